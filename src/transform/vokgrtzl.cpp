// Goertzel evaluation of one frequency, floating-point data.
#include "transform/goertzel.h"

namespace {

using vok::ArgChecks;
namespace g = vok::goertzel;
constexpr const char* kModule = "vokgrtzl";

template <class R>
g::Complex<R> oneSample(ArgChecks check, g::State<R>* state, R re, R im) {
    if (check(!state, "Null state pointer")) return {0, 0};
    return g::step<R>(*state, re, im);
}

template <class R, class T>
g::Complex<R> blockOf(ArgChecks check, g::State<R>* state, const T* buffer, int length) {
    if (check(!state, "Null state pointer") || check(!buffer, "Null buffer pointer") ||
        check(length < 1, "Invalid array length"))
        return {0, 0};
    return g::block<R>(*state, buffer, length);
}

}  // namespace


VOK_API int VOK_CALL voksGoertzInit(float freq, VokSGoertzState* state) { return g::init(VOK_CHECKS, freq, state); }
VOK_API int VOK_CALL vokcGoertzInit(float freq, VokSGoertzState* state) { return g::init(VOK_CHECKS, freq, state); }
VOK_API int VOK_CALL vokdGoertzInit(double freq, VokDGoertzState* state) { return g::init(VOK_CHECKS, freq, state); }
VOK_API int VOK_CALL vokzGoertzInit(double freq, VokDGoertzState* state) { return g::init(VOK_CHECKS, freq, state); }

VOK_API void VOK_CALL voksGoertzReset(VokSGoertzState* state) { g::reset<float>(VOK_CHECKS, state); }
VOK_API void VOK_CALL vokcGoertzReset(VokSGoertzState* state) { g::reset<float>(VOK_CHECKS, state); }
VOK_API void VOK_CALL vokdGoertzReset(VokDGoertzState* state) { g::reset<double>(VOK_CHECKS, state); }
VOK_API void VOK_CALL vokzGoertzReset(VokDGoertzState* state) { g::reset<double>(VOK_CHECKS, state); }

VOK_API FloatComplex VOK_CALL voksGoertz(VokSGoertzState* state, float sample) {
    return oneSample<float>(VOK_CHECKS, state, sample, 0.0f);
}
VOK_API FloatComplex VOK_CALL vokcGoertz(VokSGoertzState* state, FloatComplex sample) {
    return oneSample<float>(VOK_CHECKS, state, sample.re, sample.im);
}
VOK_API DoubleComplex VOK_CALL vokdGoertz(VokDGoertzState* state, double sample) {
    return oneSample<double>(VOK_CHECKS, state, sample, 0.0);
}
VOK_API DoubleComplex VOK_CALL vokzGoertz(VokDGoertzState* state, DoubleComplex sample) {
    return oneSample<double>(VOK_CHECKS, state, sample.re, sample.im);
}

VOK_API FloatComplex VOK_CALL voksbGoertz(VokSGoertzState* state, const float* buffer, int length) {
    return blockOf<float>(VOK_CHECKS, state, buffer, length);
}
VOK_API FloatComplex VOK_CALL vokcbGoertz(VokSGoertzState* state, const FloatComplex* buffer, int length) {
    return blockOf<float>(VOK_CHECKS, state, buffer, length);
}
VOK_API DoubleComplex VOK_CALL vokdbGoertz(VokDGoertzState* state, const double* buffer, int length) {
    return blockOf<double>(VOK_CHECKS, state, buffer, length);
}
VOK_API DoubleComplex VOK_CALL vokzbGoertz(VokDGoertzState* state, const DoubleComplex* buffer, int length) {
    return blockOf<double>(VOK_CHECKS, state, buffer, length);
}
