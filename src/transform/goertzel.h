// The Goertzel recurrence shared by the floating-point and 16-bit modules.
#pragma once

#include <cmath>

#include "core/check.h"
#include "vok/dft.h"

namespace vok::goertzel {

// The state record of a precision: float states for s, c, w, v; double for d, z.
template <class R> struct StateOf;
template <> struct StateOf<float> { using type = VokSGoertzState; using Complex = FloatComplex; };
template <> struct StateOf<double> { using type = VokDGoertzState; using Complex = DoubleComplex; };
template <class R> using State = typename StateOf<R>::type;
template <class R> using Complex = typename StateOf<R>::Complex;

// Valid frequencies: 0 <= freq < 1, with -0 accepted and every NaN refused.
template <class R>
bool validFrequency(R freq) { return (freq > 0 || freq == 0) && freq < 1; }

template <class R>
int init(ArgChecks check, R freq, State<R>* state) {
    if (check(!state, "Null state pointer")) return VOK_StatusBadArg;
    if (check(!validFrequency(freq), "Invalid frequency value")) return VOK_StatusBadArg;
    // The angle and its sine and cosine in extended precision, rounded once.
    const long double omega = 6.283185307179586L * (long double)freq;
    const long double cosW = std::cos(omega), sinW = std::sin(omega);
    state->freq = freq;
    state->cosW = R(cosW);
    state->sinW = R(sinW);
    state->twoCosW = R(2 * cosW);
    state->prev2 = {0, 0};
    state->prev1 = {0, 0};
    return VOK_StatusOk;
}

template <class R>
void reset(ArgChecks check, State<R>* state) {
    if (check(!state, "Null state pointer")) return;
    state->prev2 = {0, 0};
    state->prev1 = {0, 0};
}

// One step: s = 2cos ω·s[n−1] − s[n−2] + x; returns e^{iω}·s − s[n−1].
template <class R>
Complex<R> step(State<R>& st, R xRe, R xIm) {
    const R sRe = st.twoCosW * st.prev1.re - st.prev2.re + xRe;
    const R sIm = st.twoCosW * st.prev1.im - st.prev2.im + xIm;
    const Complex<R> older = st.prev1;
    st.prev2 = older;
    st.prev1 = {sRe, sIm};
    return {st.cosW * sRe - st.sinW * sIm - older.re, st.cosW * sIm + st.sinW * sRe - older.im};
}

template <class R> R realPart(R x) { return x; }
template <class R> R imagPart(R) { return 0; }
template <class R> R realPart(Complex<R> x) { return x.re; }
template <class R> R imagPart(Complex<R> x) { return x.im; }

// Runs the recurrence over a block of samples of type T (real or complex, in
// the state's precision) and returns the value after the last one.
template <class R, class T>
Complex<R> block(State<R>& st, const T* samples, int length) {
    Complex<R> value{0, 0};
    for (int i = 0; i < length; ++i) value = step<R>(st, realPart<R>(samples[i]), imagPart<R>(samples[i]));
    return value;
}

}  // namespace vok::goertzel
