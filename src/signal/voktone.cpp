// Tone generator for float, double, complex float and complex double samples.
#include <cstddef>
#include <cstring>

#include "signal/tone.h"

namespace {

using vok::ArgChecks;
namespace tone = vok::tone;
constexpr const char* kModule = "voktone";

// The records are word-packed and identical on every target.
static_assert(sizeof(VokSToneState) == 40 && offsetof(VokSToneState, magnitude) == 24 &&
              offsetof(VokSToneState, marker) == 36);
static_assert(sizeof(VokDToneState) == 52 && offsetof(VokDToneState, magnitude) == 24 &&
              offsetof(VokDToneState, marker) == 48);
static_assert(sizeof(VokCToneState) == 56 && offsetof(VokCToneState, prevIm) == 32 &&
              offsetof(VokCToneState, magnitude) == 40 && offsetof(VokCToneState, marker) == 52);
static_assert(sizeof(VokZToneState) == 68 && offsetof(VokZToneState, magnitude) == 40 &&
              offsetof(VokZToneState, marker) == 64);

template <class State, class P>
void initReal(const ArgChecks& check, P freq, P phase, P magnitude, State* state) {
    if (tone::badParameters(check, freq, phase, magnitude, state)) return;
    const tone::Start s = tone::start(freq, phase, magnitude);
    state->coef = s.coef;
    state->cur = s.curRe;
    state->prev = s.prevRe;
    state->magnitude = magnitude;
    state->freq = freq;
    state->phase = phase;
    std::memcpy(state->marker, tone::kMarker, 4);
}

template <class State, class P>
void initComplex(const ArgChecks& check, P freq, P phase, P magnitude, State* state) {
    if (tone::badParameters(check, freq, phase, magnitude, state)) return;
    const tone::Start s = tone::start(freq, phase, magnitude);
    state->coef = s.coef;
    state->curRe = s.curRe;
    state->curIm = s.curIm;
    state->prevRe = s.prevRe;
    state->prevIm = s.prevIm;
    state->magnitude = magnitude;
    state->freq = freq;
    state->phase = phase;
    std::memcpy(state->marker, tone::kMarker, 4);
}

template <class T, class State>
void runReal(State* state, T* out, int n) {
    tone::Recurrence r{state->coef, state->cur, state->prev};
    for (int i = 0; i < n; ++i) out[i] = static_cast<T>(r.next());
    state->cur = r.cur;
    state->prev = r.prev;
}

template <class C, class State>
void runComplex(State* state, C* out, int n) {
    using R = decltype(C{}.re);
    tone::Recurrence re{state->coef, state->curRe, state->prevRe};
    tone::Recurrence im{state->coef, state->curIm, state->prevIm};
    for (int i = 0; i < n; ++i) {
        out[i].re = static_cast<R>(re.next());
        out[i].im = static_cast<R>(im.next());
    }
    state->curRe = re.cur;
    state->prevRe = re.prev;
    state->curIm = im.cur;
    state->prevIm = im.prev;
}

template <class T, class State>
T oneReal(const ArgChecks& check, State* state) {
    T out{};
    if (tone::badState(check, state)) return out;
    runReal(state, &out, 1);
    return out;
}

template <class C, class State>
C oneComplex(const ArgChecks& check, State* state) {
    C out{};
    if (tone::badState(check, state)) return out;
    runComplex(state, &out, 1);
    return out;
}

template <class T, class State>
void blockReal(const ArgChecks& check, State* state, T* buffer, int n) {
    if (tone::badBlock(check, state, buffer, n)) return;
    runReal(state, buffer, n);
}

template <class C, class State>
void blockComplex(const ArgChecks& check, State* state, C* buffer, int n) {
    if (tone::badBlock(check, state, buffer, n)) return;
    runComplex(state, buffer, n);
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL voksToneInit(float freq, float phase, float magnitude, VokSToneState* state) {
    initReal(VOK_CHECKS, freq, phase, magnitude, state);
}
VOK_API void VOK_CALL vokcToneInit(float freq, float phase, float magnitude, VokCToneState* state) {
    initComplex(VOK_CHECKS, freq, phase, magnitude, state);
}
VOK_API void VOK_CALL vokdToneInit(double freq, double phase, double magnitude, VokDToneState* state) {
    initReal(VOK_CHECKS, freq, phase, magnitude, state);
}
VOK_API void VOK_CALL vokzToneInit(double freq, double phase, double magnitude, VokZToneState* state) {
    initComplex(VOK_CHECKS, freq, phase, magnitude, state);
}

VOK_API float VOK_CALL voksTone(VokSToneState* state) { return oneReal<float>(VOK_CHECKS, state); }
VOK_API double VOK_CALL vokdTone(VokDToneState* state) { return oneReal<double>(VOK_CHECKS, state); }
VOK_API FloatComplex VOK_CALL vokcTone(VokCToneState* state) { return oneComplex<FloatComplex>(VOK_CHECKS, state); }
VOK_API DoubleComplex VOK_CALL vokzTone(VokZToneState* state) { return oneComplex<DoubleComplex>(VOK_CHECKS, state); }

VOK_API void VOK_CALL voksbTone(VokSToneState* state, float* buffer, int n) { blockReal(VOK_CHECKS, state, buffer, n); }
VOK_API void VOK_CALL vokdbTone(VokDToneState* state, double* buffer, int n) { blockReal(VOK_CHECKS, state, buffer, n); }
VOK_API void VOK_CALL vokcbTone(VokCToneState* state, FloatComplex* buffer, int n) {
    blockComplex(VOK_CHECKS, state, buffer, n);
}
VOK_API void VOK_CALL vokzbTone(VokZToneState* state, DoubleComplex* buffer, int n) {
    blockComplex(VOK_CHECKS, state, buffer, n);
}

}  // extern "C"
