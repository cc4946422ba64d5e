// IIR filters that keep private copies of their coefficients and delay line.
#include <cstddef>
#include <cstring>

#include "core/check.h"
#include "vok/frame.h"
#include "vok/iir.h"

namespace {

using vok::ArgChecks;
using vok::CheckAll;
constexpr const char* kModule = "vokiirh";

// A request that does not fit the allocator's byte count fails like any other.
void* allocateBytes(long long bytes) { return bytes > 0x7FFFFFFF ? nullptr : vokMalloc(int(bytes)); }

template <class C>
using TapInit = void(VOK_CALL*)(int, C*, int, IirTapState*);
template <class O>
using DlyInit = void(VOK_CALL*)(const IirTapState*, O*, IirDlyState*);

// The steps shared by the arbitrary-order and biquad set-ups: tapCount
// coefficients and dlyCount delay elements, the sizes already validated.
template <class C, class O>
void setUp(ArgChecks check, int iirType, const C* tapVals, int count, IirState* statePtr, bool biquad,
           TapInit<C> tapInit, DlyInit<O> dlyInit) {
    const CheckAll all{check};
    all(!statePtr, "statePtr==0");
    all(!tapVals, "tapVals==0");
    if (all.failed()) return;
    if (biquad) all(count < 1, "numQuads <= 0");
    else all(count < 0, "order < 0");
    all(iirType != 0 && iirType != 1, "iirType is out of range");
    all(statePtr->initMarker == VOK_IIR_INIT_MARKER,
        "IIR filter state structure is already initialized! Use vokIirFree to free it");
    if (all.failed()) return;

    const long long tapCount = biquad ? 6LL * count : 2LL * count + 2;
    const long long dlyCount = biquad ? 2LL * count : count;
    C* taps = static_cast<C*>(allocateBytes((long long)sizeof(C) * tapCount));
    if (!taps) check.report(VOK_StatusNoMemory, "insufficiency of memory for IIR filter state", __LINE__);
    O* dlyl = static_cast<O*>(allocateBytes((long long)sizeof(O) * dlyCount));
    if (!dlyl) check.report(VOK_StatusNoMemory, "insufficiency of memory for IIR filter state", __LINE__);
    if (vokGetErrStatus() < 0) {
        vokFree(taps);
        vokFree(dlyl);
        return;
    }

    statePtr->initMarker = VOK_IIR_INIT_MARKER;
    std::memcpy(static_cast<void*>(taps), tapVals, sizeof(C) * std::size_t(tapCount));
    tapInit(iirType, taps, count, &statePtr->tapState);
    if (vokGetErrStatus() != 0) {
        check.backtrace(__LINE__);
        vokFree(taps);
        vokFree(dlyl);
        statePtr->initMarker = 0;
        return;
    }
    dlyInit(&statePtr->tapState, dlyl, &statePtr->dlyState);
}

// statePtr and initMarker, each followed by the stop on a negative status.
bool stateFails(ArgChecks check, const IirState* statePtr) {
    check(!statePtr, "statePtr==0");
    if (vokGetErrStatus() < 0) return true;
    check(statePtr->initMarker != VOK_IIR_INIT_MARKER, "IIR filter wasn't initialized");
    return vokGetErrStatus() < 0;
}

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

#define VOK_CHECKS ArgChecks{__func__, kModule, __LINE__}
#define VOK_IIR(t, I, C, O, ct, ot)                                                                             \
    VOK_API void VOK_CALL vok##t##IirInit(int iirType, const C* tapVals, int order, IirState* statePtr) {       \
        setUp<C, O>(VOK_CHECKS, iirType, tapVals, order, statePtr, false, vok##ct##IirlInit,                    \
                    vok##ot##IirlInitDlyl);                                                                     \
    }                                                                                                           \
    VOK_API void VOK_CALL vok##t##IirInitBq(int iirType, const C* tapVals, int numQuads, IirState* statePtr) {  \
        setUp<C, O>(VOK_CHECKS, iirType, tapVals, numQuads, statePtr, true, vok##ct##IirlInitBq,                \
                    vok##ot##IirlInitDlyl);                                                                     \
    }                                                                                                           \
    VOK_API O VOK_CALL vok##t##Iir(IirState* statePtr, I samp) {                                                \
        return filterOne<I, O>(VOK_CHECKS, statePtr, samp, vok##t##Iirl);                                       \
    }                                                                                                           \
    VOK_API int VOK_CALL vok##t##bIir(IirState* statePtr, const I* inSamps, O* outSamps, int numIters) {        \
        return filterBlock<I, O>(VOK_CHECKS, statePtr, inSamps, outSamps, numIters, vok##t##bIirl);             \
    }

VOK_IIR(s, float, float, float, s, s)
VOK_IIR(d, double, double, double, d, d)
VOK_IIR(c, FloatComplex, FloatComplex, FloatComplex, c, c)
VOK_IIR(z, DoubleComplex, DoubleComplex, DoubleComplex, z, z)
VOK_IIR(sc, float, FloatComplex, FloatComplex, c, c)
VOK_IIR(cs, FloatComplex, float, FloatComplex, s, c)
VOK_IIR(dz, double, DoubleComplex, DoubleComplex, z, z)
VOK_IIR(zd, DoubleComplex, double, DoubleComplex, d, z)

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
