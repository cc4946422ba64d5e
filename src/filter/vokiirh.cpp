// IIR filters that keep private copies of their coefficients and delay line.
#include <cstddef>
#include <cstring>

#include "core/check.h"
#include "filter/iir.h"
#include "vok/frame.h"
#include "vok/iir.h"

namespace {

using vok::ArgChecks;
using vok::CheckAll;
using vok::iir::setUp;
using vok::iir::stateFails;
constexpr const char* kModule = "vokiirh";

template <class I, class O>
O filterOne(ArgChecks check, IirState* statePtr, I samp, O(VOK_CALL* low)(const IirTapState*, IirDlyState*, I)) {
    if (stateFails(check, statePtr)) return O{};
    return low(&statePtr->tapState, &statePtr->dlyState, samp);
}

template <class I, class O>
int filterBlock(ArgChecks check, IirState* statePtr, const I* inSamps, O* outSamps, int numIters,
                void(VOK_CALL* low)(const IirTapState*, IirDlyState*, const I*, O*, int)) {
    if (stateFails(check, statePtr)) return vokGetErrStatus();
    low(&statePtr->tapState, &statePtr->dlyState, inSamps, outSamps, numIters);
    if (vokGetErrStatus() != 0) check.backtrace(__LINE__);
    return vokGetErrStatus();
}

}  // namespace

extern "C" {

// Each entry point runs on the taps-and-delay-line functions named last: C the
// coefficient type, I and O the sample types in and out.
#define VOK_IIR_INIT(name, C, O, lowInit, lowInitDlyl)                                           \
    VOK_API void VOK_CALL name(int iirType, const C* tapVals, int order, IirState* statePtr) {   \
        setUp<C, O>(VOK_CHECKS, iirType, tapVals, order, statePtr, false, lowInit, lowInitDlyl); \
    }
#define VOK_IIR_INIT_BQ(name, C, O, lowInitBq, lowInitDlyl)                                          \
    VOK_API void VOK_CALL name(int iirType, const C* tapVals, int numQuads, IirState* statePtr) {    \
        setUp<C, O>(VOK_CHECKS, iirType, tapVals, numQuads, statePtr, true, lowInitBq, lowInitDlyl); \
    }
#define VOK_IIR(name, I, O, low) \
    VOK_API O VOK_CALL name(IirState* statePtr, I samp) { return filterOne<I, O>(VOK_CHECKS, statePtr, samp, low); }
#define VOK_BLOCK_IIR(name, I, O, low)                                                           \
    VOK_API int VOK_CALL name(IirState* statePtr, const I* inSamps, O* outSamps, int numIters) { \
        return filterBlock<I, O>(VOK_CHECKS, statePtr, inSamps, outSamps, numIters, low);        \
    }

VOK_IIR_INIT(voksIirInit, float, float, voksIirlInit, voksIirlInitDlyl)
VOK_IIR_INIT(vokdIirInit, double, double, vokdIirlInit, vokdIirlInitDlyl)
VOK_IIR_INIT(vokcIirInit, FloatComplex, FloatComplex, vokcIirlInit, vokcIirlInitDlyl)
VOK_IIR_INIT(vokzIirInit, DoubleComplex, DoubleComplex, vokzIirlInit, vokzIirlInitDlyl)
VOK_IIR_INIT(vokscIirInit, FloatComplex, FloatComplex, vokcIirlInit, vokcIirlInitDlyl)
VOK_IIR_INIT(vokcsIirInit, float, FloatComplex, voksIirlInit, vokcIirlInitDlyl)
VOK_IIR_INIT(vokdzIirInit, DoubleComplex, DoubleComplex, vokzIirlInit, vokzIirlInitDlyl)
VOK_IIR_INIT(vokzdIirInit, double, DoubleComplex, vokdIirlInit, vokzIirlInitDlyl)

VOK_IIR_INIT_BQ(voksIirInitBq, float, float, voksIirlInitBq, voksIirlInitDlyl)
VOK_IIR_INIT_BQ(vokdIirInitBq, double, double, vokdIirlInitBq, vokdIirlInitDlyl)
VOK_IIR_INIT_BQ(vokcIirInitBq, FloatComplex, FloatComplex, vokcIirlInitBq, vokcIirlInitDlyl)
VOK_IIR_INIT_BQ(vokzIirInitBq, DoubleComplex, DoubleComplex, vokzIirlInitBq, vokzIirlInitDlyl)
VOK_IIR_INIT_BQ(vokscIirInitBq, FloatComplex, FloatComplex, vokcIirlInitBq, vokcIirlInitDlyl)
VOK_IIR_INIT_BQ(vokcsIirInitBq, float, FloatComplex, voksIirlInitBq, vokcIirlInitDlyl)
VOK_IIR_INIT_BQ(vokdzIirInitBq, DoubleComplex, DoubleComplex, vokzIirlInitBq, vokzIirlInitDlyl)
VOK_IIR_INIT_BQ(vokzdIirInitBq, double, DoubleComplex, vokdIirlInitBq, vokzIirlInitDlyl)

VOK_IIR(voksIir, float, float, voksIirl)
VOK_IIR(vokdIir, double, double, vokdIirl)
VOK_IIR(vokcIir, FloatComplex, FloatComplex, vokcIirl)
VOK_IIR(vokzIir, DoubleComplex, DoubleComplex, vokzIirl)
VOK_IIR(vokscIir, float, FloatComplex, vokscIirl)
VOK_IIR(vokcsIir, FloatComplex, FloatComplex, vokcsIirl)
VOK_IIR(vokdzIir, double, DoubleComplex, vokdzIirl)
VOK_IIR(vokzdIir, DoubleComplex, DoubleComplex, vokzdIirl)

VOK_BLOCK_IIR(voksbIir, float, float, voksbIirl)
VOK_BLOCK_IIR(vokdbIir, double, double, vokdbIirl)
VOK_BLOCK_IIR(vokcbIir, FloatComplex, FloatComplex, vokcbIirl)
VOK_BLOCK_IIR(vokzbIir, DoubleComplex, DoubleComplex, vokzbIirl)
VOK_BLOCK_IIR(vokscbIir, float, FloatComplex, vokscbIirl)
VOK_BLOCK_IIR(vokcsbIir, FloatComplex, FloatComplex, vokcsbIirl)
VOK_BLOCK_IIR(vokdzbIir, double, DoubleComplex, vokdzbIirl)
VOK_BLOCK_IIR(vokzdbIir, DoubleComplex, DoubleComplex, vokzdbIirl)

VOK_API int VOK_CALL vokIirFree(IirState* statePtr) {
    const ArgChecks check{__func__, kModule, __LINE__};
    if (check(!statePtr, "statePtr==0") ||
        check(statePtr->initMarker != VOK_IIR_INIT_MARKER, "IIR filter wasn't initialized"))
        return VOK_StatusBadArg;
    vokFree(statePtr->tapState.taps);
    vokFree(statePtr->dlyState.dlyl);
    statePtr->initMarker = 0;
    return VOK_StatusOk;
}

}  // extern "C"
