// IIR filters on caller-owned coefficient and delay-line records.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/check.h"
#include "filter/iir.h"
#include "vok/iir.h"

#if UINTPTR_MAX == 0xffffffff
static_assert(sizeof(IirTapState) == 16 && offsetof(IirTapState, order) == 0 && offsetof(IirTapState, taps) == 4 &&
              offsetof(IirTapState, iirType) == 8 && offsetof(IirTapState, isBiquad) == 12);
static_assert(sizeof(IirDlyState) == 4 && offsetof(IirDlyState, dlyl) == 0);
static_assert(sizeof(IirState) == 24 && offsetof(IirState, tapState) == 0 && offsetof(IirState, dlyState) == 16 &&
              offsetof(IirState, initMarker) == 20);
#endif

namespace {

using vok::ArgChecks;
using vok::CheckAll;
using vok::iir::initDlyl;
using vok::iir::recordsFail;
using vok::iir::fillTapRecord;
using vok::iir::tapSetUpFails;
using vok::iir::tapRecordTests;
constexpr const char* kModule = "vokiirl";

template <class C>
void init(ArgChecks check, int iirType, C* taps, int order, IirTapState* tapStPtr) {
    if (tapSetUpFails(CheckAll{check}, iirType, taps, false, order, "order < 0", tapStPtr)) return;
    if (check(vok::iir::isZero(taps[order + 1]), "taps[order+1] equals zero")) return;
    fillTapRecord(tapStPtr, iirType, taps, false, order);
    vok::iir::normaliseArbitrary(taps, order);
}

template <class C>
void initBq(ArgChecks check, int iirType, C* taps, int numQuads, IirTapState* tapStPtr) {
    if (tapSetUpFails(CheckAll{check}, iirType, taps, true, numQuads, "numQuads <= 0", tapStPtr)) return;
    fillTapRecord(tapStPtr, iirType, taps, true, numQuads);
    // Every section is tested before any is rewritten, so a rejected array stays as it was.
    if (check(vok::iir::firstZeroSection(taps, numQuads) >= 0, "taps[?] equals zero")) return;
    vok::iir::normaliseBiquads(taps, numQuads);
}

template <class I, class C, class O>
O filterOne(ArgChecks check, const IirTapState* tapStPtr, IirDlyState* dlyStPtr, I samp) {
    const CheckAll all{check};
    all(!tapStPtr, "tapStPtr==0");
    all(!dlyStPtr, "dlyStPtr==0");
    if (all.failed() || recordsFail(all, tapStPtr, dlyStPtr)) return O{};
    return vok::iir::step<I, C, O>(*tapStPtr, static_cast<O*>(dlyStPtr->dlyl), samp);
}

template <class I, class C, class O>
void filterBlock(ArgChecks check, const IirTapState* tapStPtr, IirDlyState* dlyStPtr, const I* inSamps, O* outSamps,
                 int numIters) {
    const CheckAll all{check};
    all(!tapStPtr, "tapStPtr==0");
    all(!dlyStPtr, "dlyStPtr==0");
    all(!inSamps, "inSamps==0");
    all(!outSamps, "outSamps==0");
    if (all.failed()) return;
    tapRecordTests(all, tapStPtr);
    all(tapStPtr->order > 0 && !dlyStPtr->dlyl, "structure *dlyStPtr wasn't initialized");
    all(numIters < 0, "numIters < 0");
    if (all.failed()) return;
    vok::iir::block<I, C, O>(*tapStPtr, static_cast<O*>(dlyStPtr->dlyl), inSamps, outSamps, numIters);
}

}  // namespace

extern "C" {

#define VOK_IIRL_INIT(name, C)                                                           \
    VOK_API void VOK_CALL name(int iirType, C* taps, int order, IirTapState* tapStPtr) { \
        init(VOK_CHECKS, iirType, taps, order, tapStPtr);                                \
    }
#define VOK_IIRL_INIT_BQ(name, C)                                                           \
    VOK_API void VOK_CALL name(int iirType, C* taps, int numQuads, IirTapState* tapStPtr) { \
        initBq(VOK_CHECKS, iirType, taps, numQuads, tapStPtr);                              \
    }
#define VOK_IIRL_INIT_DLYL(name, C)                                                           \
    VOK_API void VOK_CALL name(const IirTapState* tapStPtr, C* dlyl, IirDlyState* dlyStPtr) { \
        initDlyl(VOK_CHECKS, tapStPtr, dlyl, dlyStPtr);                                       \
    }
#define VOK_IIRL(name, I, C, O)                                                           \
    VOK_API O VOK_CALL name(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, I samp) { \
        return filterOne<I, C, O>(VOK_CHECKS, tapStPtr, dlyStPtr, samp);                  \
    }
#define VOK_BLOCK_IIRL(name, I, C, O)                                                                \
    VOK_API void VOK_CALL name(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, const I* inSamps, \
                               O* outSamps, int numIters) {                                          \
        filterBlock<I, C, O>(VOK_CHECKS, tapStPtr, dlyStPtr, inSamps, outSamps, numIters);           \
    }

VOK_IIRL_INIT(voksIirlInit, float)
VOK_IIRL_INIT(vokdIirlInit, double)
VOK_IIRL_INIT(vokcIirlInit, FloatComplex)
VOK_IIRL_INIT(vokzIirlInit, DoubleComplex)

VOK_IIRL_INIT_BQ(voksIirlInitBq, float)
VOK_IIRL_INIT_BQ(vokdIirlInitBq, double)
VOK_IIRL_INIT_BQ(vokcIirlInitBq, FloatComplex)
VOK_IIRL_INIT_BQ(vokzIirlInitBq, DoubleComplex)

VOK_IIRL_INIT_DLYL(voksIirlInitDlyl, float)
VOK_IIRL_INIT_DLYL(vokdIirlInitDlyl, double)
VOK_IIRL_INIT_DLYL(vokcIirlInitDlyl, FloatComplex)
VOK_IIRL_INIT_DLYL(vokzIirlInitDlyl, DoubleComplex)

VOK_IIRL(voksIirl, float, float, float)
VOK_IIRL(vokdIirl, double, double, double)
VOK_IIRL(vokcIirl, FloatComplex, FloatComplex, FloatComplex)
VOK_IIRL(vokzIirl, DoubleComplex, DoubleComplex, DoubleComplex)
VOK_IIRL(vokscIirl, float, FloatComplex, FloatComplex)
VOK_IIRL(vokcsIirl, FloatComplex, float, FloatComplex)
VOK_IIRL(vokdzIirl, double, DoubleComplex, DoubleComplex)
VOK_IIRL(vokzdIirl, DoubleComplex, double, DoubleComplex)

VOK_BLOCK_IIRL(voksbIirl, float, float, float)
VOK_BLOCK_IIRL(vokdbIirl, double, double, double)
VOK_BLOCK_IIRL(vokcbIirl, FloatComplex, FloatComplex, FloatComplex)
VOK_BLOCK_IIRL(vokzbIirl, DoubleComplex, DoubleComplex, DoubleComplex)
VOK_BLOCK_IIRL(vokscbIirl, float, FloatComplex, FloatComplex)
VOK_BLOCK_IIRL(vokcsbIirl, FloatComplex, float, FloatComplex)
VOK_BLOCK_IIRL(vokdzbIirl, double, DoubleComplex, DoubleComplex)
VOK_BLOCK_IIRL(vokzdbIirl, DoubleComplex, double, DoubleComplex)

}  // extern "C"
