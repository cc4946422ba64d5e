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
