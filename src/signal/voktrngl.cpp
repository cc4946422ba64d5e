// Triangle generator for float, double, complex and 16-bit samples. The value
// is stepped by a constant slope and folded back at the peaks; it never tracks
// the phase, so a call costs one add and, near a peak, one multiply.
#include <cstddef>

#include "core/check.h"
#include "core/scale16.h"
#include "vok/signal.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "voktrngl";

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kFourPi = 12.566370614359172;

static_assert(sizeof(VokSTrnglState) == 44 && offsetof(VokSTrnglState, fallStep) == 8 &&
              offsetof(VokSTrnglState, value) == 40);
static_assert(sizeof(VokCTrnglState) == 52 && offsetof(VokCTrnglState, fallStep) == 12 &&
              offsetof(VokCTrnglState, valueRe) == 44 && offsetof(VokCTrnglState, valueIm) == 48);
static_assert(sizeof(VokDTrnglState) == 88 && offsetof(VokDTrnglState, fallStep) == 16 &&
              offsetof(VokDTrnglState, value) == 80);
static_assert(sizeof(VokZTrnglState) == 104 && offsetof(VokZTrnglState, fallStep) == 24 &&
              offsetof(VokZTrnglState, valueRe) == 88 && offsetof(VokZTrnglState, valueIm) == 96);

// Negative zero passes the sign checks: the comparisons are on values, not signs.
bool badParameters(const ArgChecks& check, double freq, double phase, double magnitude, double asym,
                   const void* state) {
    return check(magnitude < 0, "Invalid magnitude value") ||
           check(freq < 0 || freq >= 0.5, "Invalid frequence value") ||
           check(phase < 0 || phase >= kTwoPi, "Invalid phase value") ||
           check(asym <= -kPi || asym >= kPi, "Invalid asymmetry value") ||
           check(!state, "Null pointer to state");
}

// Where the wave stands at a phase: on the falling edge for phases below the
// falling interval, on the rising edge after it.
struct Start {
    double value;
    bool rising;
};

Start startAt(double phase, double magnitude, double asym) {
    const double fall = kPi + asym;
    const double rise = kPi - asym;
    if (phase >= fall) return {magnitude * (2.0 * (phase - fall) / rise - 1.0), true};
    return {magnitude * (1.0 - 2.0 * phase / fall), false};
}

// The imaginary wave runs (3π + asym)/2 ahead, brought back once into one period.
double imagPhase(double phase, double asym) {
    double p = phase + (3.0 * kPi + asym) / 2.0;
    if (p > kTwoPi) p -= kTwoPi;
    return p;
}

// Shared record fields, computed in double and stored in the record's type.
template <class Rec>
void fillCommon(Rec* r, double freq, double magnitude, double asym) {
    using T = decltype(r->magnitude);
    const double fall = kPi + asym;
    const double rise = kPi - asym;
    const double topReflect = -rise / fall;
    const double bottomReflect = -fall / rise;
    r->magnitude = static_cast<T>(magnitude);
    r->fallStep = static_cast<T>(-kFourPi * freq * magnitude / fall);
    r->riseStep = static_cast<T>(kFourPi * freq * magnitude / rise);
    r->topReflect = static_cast<T>(topReflect);
    r->bottomReflect = static_cast<T>(bottomReflect);
    r->riseWrap = static_cast<T>(kFourPi * magnitude / rise);
    r->fallWrap = static_cast<T>(kFourPi * magnitude / fall);
    r->topOffset = static_cast<T>(magnitude - magnitude * topReflect);
    r->bottomOffset = static_cast<T>(bottomReflect * magnitude - magnitude);
}

template <class Rec>
void initReal(const ArgChecks& check, double freq, double phase, double magnitude, double asym, Rec* r) {
    if (badParameters(check, freq, phase, magnitude, asym, r)) return;
    using T = decltype(r->magnitude);
    fillCommon(r, freq, magnitude, asym);
    const Start s = startAt(phase, magnitude, asym);
    r->value = static_cast<T>(s.value);
    r->step = s.rising ? r->riseStep : r->fallStep;
}

template <class Rec>
void initComplex(const ArgChecks& check, double freq, double phase, double magnitude, double asym, Rec* r) {
    if (badParameters(check, freq, phase, magnitude, asym, r)) return;
    using T = decltype(r->magnitude);
    fillCommon(r, freq, magnitude, asym);
    const Start re = startAt(phase, magnitude, asym);
    const Start im = startAt(imagPhase(phase, asym), magnitude, asym);
    r->valueRe = static_cast<T>(re.value);
    r->stepRe = re.rising ? r->riseStep : r->fallStep;
    r->valueIm = static_cast<T>(im.value);
    r->stepIm = im.rising ? r->riseStep : r->fallStep;
}

// The record's constants, read once per call.
template <class T>
struct Edges {
    T m, fallStep, riseStep, topReflect, bottomReflect, riseWrap, fallWrap;

    template <class Rec>
    explicit Edges(const Rec* r)
        : m(r->magnitude), fallStep(r->fallStep), riseStep(r->riseStep), topReflect(r->topReflect),
          bottomReflect(r->bottomReflect), riseWrap(r->riseWrap), fallWrap(r->fallWrap) {}

    // Returns the current value and moves value/step on by one sample.
    T advance(T& value, T& step) const {
        const T out = value;
        const T next = out + step;
        if (next <= m) {
            if (next >= -m) {
                value = next;
            } else {
                const T r = (next + m) * bottomReflect - m;
                if (r <= m) {
                    value = r;
                    step = riseStep;
                } else {
                    value = next + fallWrap;
                }
            }
        } else {
            const T r = (next - m) * topReflect + m;
            if (r >= -m) {
                value = r;
                step = fallStep;
            } else {
                value = next - riseWrap;
            }
        }
        return out;
    }
};

template <class Out, class Rec, class Store>
void runReal(Rec* r, Out* out, int n, Store store) {
    using T = decltype(r->magnitude);
    const Edges<T> e(r);
    T value = r->value, step = r->step;
    for (int i = 0; i < n; ++i) out[i] = store(e.advance(value, step));
    r->value = value;
    r->step = step;
}

template <class Out, class Rec, class Store>
void runComplex(Rec* r, Out* out, int n, Store store) {
    using T = decltype(r->magnitude);
    const Edges<T> e(r);
    T valueRe = r->valueRe, stepRe = r->stepRe, valueIm = r->valueIm, stepIm = r->stepIm;
    for (int i = 0; i < n; ++i) {
        out[i].re = store(e.advance(valueRe, stepRe));
        out[i].im = store(e.advance(valueIm, stepIm));
    }
    r->valueRe = valueRe;
    r->stepRe = stepRe;
    r->valueIm = valueIm;
    r->stepIm = stepIm;
}

template <class T>
T same(T v) { return v; }
short toShort(float v) { return vok::wrap16Rounded(v); }

bool badBlock(const ArgChecks& check, const void* state, const void* buffer, int n) {
    return check(!state, "Null pointer to state") || check(!buffer, "Null pointer to buffer") ||
           check(n < 1, "Invalid number of items");
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL voksTrnglInit(float freq, float phase, float magnitude, float asym, VokSTrnglState* state) {
    initReal(VOK_CHECKS, freq, phase, magnitude, asym, state);
}
VOK_API void VOK_CALL vokcTrnglInit(float freq, float phase, float magnitude, float asym, VokCTrnglState* state) {
    initComplex(VOK_CHECKS, freq, phase, magnitude, asym, state);
}
VOK_API void VOK_CALL vokwTrnglInit(float freq, float phase, short magnitude, float asym, VokSTrnglState* state) {
    initReal(VOK_CHECKS, freq, phase, magnitude, asym, state);
}
VOK_API void VOK_CALL vokvTrnglInit(float freq, float phase, short magnitude, float asym, VokCTrnglState* state) {
    initComplex(VOK_CHECKS, freq, phase, magnitude, asym, state);
}
VOK_API void VOK_CALL vokdTrnglInit(double freq, double phase, double magnitude, double asym,
                                    VokDTrnglState* state) {
    initReal(VOK_CHECKS, freq, phase, magnitude, asym, state);
}
VOK_API void VOK_CALL vokzTrnglInit(double freq, double phase, double magnitude, double asym,
                                    VokZTrnglState* state) {
    initComplex(VOK_CHECKS, freq, phase, magnitude, asym, state);
}

VOK_API float VOK_CALL voksTrngl(VokSTrnglState* state) {
    float out = 0;
    if (!VOK_CHECKS(!state, "Null pointer to state")) runReal(state, &out, 1, same<float>);
    return out;
}
VOK_API double VOK_CALL vokdTrngl(VokDTrnglState* state) {
    double out = 0;
    if (!VOK_CHECKS(!state, "Null pointer to state")) runReal(state, &out, 1, same<double>);
    return out;
}
VOK_API FloatComplex VOK_CALL vokcTrngl(VokCTrnglState* state) {
    FloatComplex out{0, 0};
    if (!VOK_CHECKS(!state, "Null pointer to state")) runComplex(state, &out, 1, same<float>);
    return out;
}
VOK_API DoubleComplex VOK_CALL vokzTrngl(VokZTrnglState* state) {
    DoubleComplex out{0, 0};
    if (!VOK_CHECKS(!state, "Null pointer to state")) runComplex(state, &out, 1, same<double>);
    return out;
}
VOK_API short VOK_CALL vokwTrngl(VokSTrnglState* state) {
    short out = 0;
    if (!VOK_CHECKS(!state, "Null pointer to state")) runReal(state, &out, 1, toShort);
    return out;
}
VOK_API ShortComplex VOK_CALL vokvTrngl(VokCTrnglState* state) {
    ShortComplex out{0, 0};
    if (!VOK_CHECKS(!state, "Null pointer to state")) runComplex(state, &out, 1, toShort);
    return out;
}

VOK_API void VOK_CALL voksbTrngl(VokSTrnglState* state, float* buffer, int n) {
    if (!badBlock(VOK_CHECKS, state, buffer, n)) runReal(state, buffer, n, same<float>);
}
VOK_API void VOK_CALL vokdbTrngl(VokDTrnglState* state, double* buffer, int n) {
    if (!badBlock(VOK_CHECKS, state, buffer, n)) runReal(state, buffer, n, same<double>);
}
VOK_API void VOK_CALL vokcbTrngl(VokCTrnglState* state, FloatComplex* buffer, int n) {
    if (!badBlock(VOK_CHECKS, state, buffer, n)) runComplex(state, buffer, n, same<float>);
}
VOK_API void VOK_CALL vokzbTrngl(VokZTrnglState* state, DoubleComplex* buffer, int n) {
    if (!badBlock(VOK_CHECKS, state, buffer, n)) runComplex(state, buffer, n, same<double>);
}
VOK_API void VOK_CALL vokwbTrngl(VokSTrnglState* state, short* buffer, int n) {
    if (!badBlock(VOK_CHECKS, state, buffer, n)) runReal(state, buffer, n, toShort);
}
VOK_API void VOK_CALL vokvbTrngl(VokCTrnglState* state, ShortComplex* buffer, int n) {
    if (!badBlock(VOK_CHECKS, state, buffer, n)) runComplex(state, buffer, n, toShort);
}

}  // extern "C"
