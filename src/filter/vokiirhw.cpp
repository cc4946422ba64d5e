// 16-bit IIR filters that keep private copies of their coefficients (as
// fix-point words) and of their 32-bit delay line.
#include "core/check.h"
#include "filter/iir.h"
#include "vok/frame.h"
#include "vok/iir.h"

namespace {

using vok::ArgChecks;
using vok::CheckAll;
constexpr const char* kModule = "vokiirhw";

}  // namespace

extern "C" {

VOK_API void VOK_CALL vokwIirInit(int iirType, const float* tapVals, int order, IirState* statePtr) {
    vok::iir::setUp<float, int>(VOK_CHECKS, iirType, tapVals, order, statePtr, false, vokwIirlInit, vokwIirlInitDlyl);
}

VOK_API void VOK_CALL vokwIirInitBq(int iirType, const float* tapVals, int numQuads, IirState* statePtr) {
    vok::iir::setUp<float, int>(VOK_CHECKS, iirType, tapVals, numQuads, statePtr, true, vokwIirlInitBq,
                                vokwIirlInitDlyl);
}

VOK_API short VOK_CALL vokwIir(IirState* statePtr, short samp, int scaleMode, int* scaleFactor) {
    if (vok::iir::stateFails(VOK_CHECKS, statePtr)) return 0;
    // The exported function on purpose: its own reports, under its own name, come first.
    return vokwIirl(&statePtr->tapState, &statePtr->dlyState, samp, scaleMode, scaleFactor);
}

VOK_API int VOK_CALL vokwbIir(IirState* statePtr, const short* inSamps, short* outSamps, int numIters, int scaleMode,
                              int* scaleFactor) {
    const ArgChecks check = VOK_CHECKS;
    const CheckAll all{check};
    all(!statePtr, "statePtr==0");
    all(!inSamps, "inSamps==0");
    all(!outSamps, "outSamps==0");
    if (all.failed()) return vokGetErrStatus();
    all(numIters < 1, "numIters <= 0");
    all(statePtr->initMarker != VOK_IIR_INIT_MARKER, "IIR filter wasn't initialized");
    if (all.failed()) return vokGetErrStatus();
    // The exported function on purpose: its own reports, under its own name, come first.
    vokwbIirl(&statePtr->tapState, &statePtr->dlyState, inSamps, outSamps, numIters, scaleMode, scaleFactor);
    if (vokGetErrStatus() != 0) check.backtrace(__LINE__);
    return vokGetErrStatus();
}

}  // extern "C"
