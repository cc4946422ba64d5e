// Goertzel evaluation of one frequency, 16-bit data: samples are taken into
// float exactly, the float recurrence runs on the float state, and the value
// is brought back to 16 bits with the caller's scale mode.
#include <vector>

#include "core/scale16.h"
#include "transform/goertzel.h"
#include "vok/frame.h"

namespace {

using vok::ArgChecks;
namespace g = vok::goertzel;
constexpr const char* kModule = "vokgrtzw";

bool badScale(ArgChecks check, int scaleMode, const int* scaleFactor) {
    return check(!scaleFactor, "Zero scale factor pointer") ||
           check(*scaleFactor < -14 || *scaleFactor > 14, "Too large scale factor") ||
           check(scaleMode >= 5, "Erroneus scale mode");
}

ShortComplex toShort(FloatComplex v, int scaleMode, int* scaleFactor) {
    const float pair[2] = {v.re, v.im};
    short out[2];
    vok::ownScaleFloatToShort(pair, out, 2, scaleMode, scaleFactor);
    return {out[0], out[1]};
}

template <class T>
ShortComplex oneSample(ArgChecks check, VokSGoertzState* state, T sample, int scaleMode, int* scaleFactor) {
    if (check(!state, "Null state pointer") || badScale(check, scaleMode, scaleFactor)) return {0, 0};
    FloatComplex v;
    if constexpr (std::is_same_v<T, short>) v = g::step<float>(*state, float(sample), 0.0f);
    else v = g::step<float>(*state, float(sample.re), float(sample.im));
    return toShort(v, scaleMode, scaleFactor);
}

template <class T>
ShortComplex blockOf(ArgChecks check, VokSGoertzState* state, const T* buffer, int length, int scaleMode,
                     int* scaleFactor) {
    if (check(!state, "Null state pointer") || check(!buffer, "Null buffer pointer") ||
        check(length < 1, "Invalid array length") || badScale(check, scaleMode, scaleFactor))
        return {0, 0};
    constexpr bool complexData = std::is_same_v<T, ShortComplex>;
    const int floats = complexData ? 2 * length : length;
    float* work = voksMalloc(floats);
    if (!work) {
        check.report(VOK_StatusNoMemory, "No memory for working array", __LINE__);
        return {0, 0};
    }
    const short* lanes = reinterpret_cast<const short*>(buffer);
    for (int i = 0; i < floats; ++i) work[i] = float(lanes[i]);
    FloatComplex v;
    if constexpr (complexData) v = g::block<float>(*state, reinterpret_cast<const FloatComplex*>(work), length);
    else v = g::block<float>(*state, work, length);
    vokFree(work);
    return toShort(v, scaleMode, scaleFactor);
}

}  // namespace


VOK_API int VOK_CALL vokwGoertzInit(float freq, VokSGoertzState* state) { return g::init(VOK_CHECKS, freq, state); }
VOK_API int VOK_CALL vokvGoertzInit(float freq, VokSGoertzState* state) { return g::init(VOK_CHECKS, freq, state); }
VOK_API void VOK_CALL vokwGoertzReset(VokSGoertzState* state) { g::reset<float>(VOK_CHECKS, state); }
VOK_API void VOK_CALL vokvGoertzReset(VokSGoertzState* state) { g::reset<float>(VOK_CHECKS, state); }

VOK_API ShortComplex VOK_CALL vokwGoertz(VokSGoertzState* state, short sample, int scaleMode, int* scaleFactor) {
    return oneSample(VOK_CHECKS, state, sample, scaleMode, scaleFactor);
}
VOK_API ShortComplex VOK_CALL vokvGoertz(VokSGoertzState* state, ShortComplex sample, int scaleMode,
                                         int* scaleFactor) {
    return oneSample(VOK_CHECKS, state, sample, scaleMode, scaleFactor);
}
VOK_API ShortComplex VOK_CALL vokwbGoertz(VokSGoertzState* state, const short* buffer, int length, int scaleMode,
                                          int* scaleFactor) {
    return blockOf(VOK_CHECKS, state, buffer, length, scaleMode, scaleFactor);
}
VOK_API ShortComplex VOK_CALL vokvbGoertz(VokSGoertzState* state, const ShortComplex* buffer, int length,
                                          int scaleMode, int* scaleFactor) {
    return blockOf(VOK_CHECKS, state, buffer, length, scaleMode, scaleFactor);
}
