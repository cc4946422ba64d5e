// Tone generator core shared by the float, double and 16-bit modules and by
// the FIR designer: a second-order recurrence x[n+1] = 2cos ω·x[n] − x[n−1],
// run in double, started from the two samples before and at the phase.
#pragma once

#include <cmath>
#include <cstring>

#include "core/check.h"
#include "vok/signal.h"

namespace vok::tone {

constexpr double kTwoPi = 6.283185307179586;
constexpr char kMarker[4] = {'Q', 'T', 'X', '\0'};

// One real sequence magnitude·cos(ω·n + phase) (or ·sin with a quarter-turn
// earlier phase). The state is copied in and out around a run so the loop works
// on registers, not on the caller's packed record.
struct Recurrence {
    double coef, cur, prev;

    double next() {
        const double out = cur;
        const double nextValue = coef * cur - prev;
        prev = cur;
        cur = nextValue;
        return out;
    }
};

inline double coefficient(double freq) { return 2.0 * std::cos(kTwoPi * freq); }

// Starting values of the cosine (re) and sine (im) sequences.
struct Start {
    double coef, curRe, curIm, prevRe, prevIm;
};

inline Start start(double freq, double phase, double magnitude) {
    const double omega = kTwoPi * freq;
    return {2.0 * std::cos(omega), magnitude * std::cos(phase), magnitude * std::sin(phase),
            magnitude * std::cos(phase - omega), magnitude * std::sin(phase - omega)};
}

// The checks of every Init, in order. Negative zero is not negative.
inline bool badParameters(const ArgChecks& check, double freq, double phase, double magnitude,
                          const void* state) {
    return check(magnitude < 0, "Invalid magnitude value") ||
           check(freq < 0 || freq >= 0.5, "Invalid freq value") ||
           check(phase < 0 || phase >= kTwoPi, "Invalid phase value") ||
           check(!state, "Null pointer to state");
}

template <class State>
bool badState(const ArgChecks& check, const State* state) {
    return check(!state, "Null pointer to state") ||
           check(std::memcmp(state->marker, kMarker, 4) != 0, "Structure initialization need");
}

template <class State, class T>
bool badBlock(const ArgChecks& check, const State* state, const T* buffer, int n) {
    return check(!state, "Null pointer to state") || check(!buffer, "Null input buffer pointer") ||
           check(n < 1, "Bad number of items") ||
           check(std::memcmp(state->marker, kMarker, 4) != 0, "Structure initialization need");
}

}  // namespace vok::tone
