// The LMS filter steps shared by the low layer (voklmsl) and the high layer
// (voklmsh): adaptation, the delay-line push and the output sum, written once
// for every pair of data and taps element types.
//
// Data type D (input and delay line) and taps type W (taps, error, output):
// (float, float), (double, double), (FloatComplex, FloatComplex),
// (DoubleComplex, DoubleComplex), (float, FloatComplex), (double, DoubleComplex).
#pragma once

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "core/check.h"
#include "vok/lms.h"

namespace vok::lms {

// ---- wide arithmetic: sums and updates are formed in it and rounded once ----

template <class R>
struct Cx {
    R re, im;
};
template <class R>
inline Cx<R> operator+(Cx<R> a, Cx<R> b) { return {a.re + b.re, a.im + b.im}; }
template <class R>
inline Cx<R> operator*(Cx<R> a, Cx<R> b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }
template <class R>
inline Cx<R> operator*(Cx<R> a, R b) { return {a.re * b, a.im * b}; }
template <class R>
inline Cx<R> operator*(R a, Cx<R> b) { return {a * b.re, a * b.im}; }

template <class T> struct WideTraits;
template <> struct WideTraits<float> { using Type = double; };
template <> struct WideTraits<double> { using Type = long double; };
template <> struct WideTraits<FloatComplex> { using Type = Cx<double>; };
template <> struct WideTraits<DoubleComplex> { using Type = Cx<long double>; };
template <class T>
using Wide = typename WideTraits<T>::Type;

inline double widen(float x) { return x; }
inline long double widen(double x) { return x; }
inline Cx<double> widen(FloatComplex x) { return {x.re, x.im}; }
inline Cx<long double> widen(DoubleComplex x) { return {x.re, x.im}; }

template <class T, class R>
inline T narrow(R x) { return T(x); }
template <class T, class R>
inline T narrow(Cx<R> x) {
    using E = decltype(T{}.re);
    return T{E(x.re), E(x.im)};
}

template <class R>
inline R conjOf(R x) { return x; }
template <class R>
inline Cx<R> conjOf(Cx<R> x) { return {x.re, -x.im}; }

template <class T>
inline Wide<T> wideZero() { return Wide<T>{}; }

// The wide type of a taps element's real part: the type of the step, the leak
// and the (1 - leak) factor in the update.
template <class W>
using WideReal = std::conditional_t<std::is_same_v<Wide<W>, double> || std::is_same_v<Wide<W>, Cx<double>>, double,
                                    long double>;

// ---- the three steps ----

// w[i] = (1 - leak) w[i] + step e conj(x[i]) for i < count, and the leak alone
// for the taps from count up (their input lies beyond the delay line).
template <class D, class W>
void adapt(W* w, int tapsLen, const D* x, int count, float step, float leak, W err) {
    const WideReal<W> keep = WideReal<W>(1) - WideReal<W>(leak);
    const Wide<W> stepErr = WideReal<W>(step) * widen(err);
    int i = 0;
    for (; i < count; ++i) w[i] = narrow<W>(keep * widen(w[i]) + stepErr * conjOf(widen(x[i])));
    for (; i < tapsLen; ++i) w[i] = narrow<W>(keep * widen(w[i]));
}

// y = sum of w[i] x[i] over i < count, in the wide type, rounded once.
template <class D, class W>
W output(const W* w, const D* x, int count) {
    Wide<W> acc = wideZero<W>();
    for (int i = 0; i < count; ++i) acc = acc + widen(w[i]) * widen(x[i]);
    return narrow<W>(acc);
}

// Number of taps whose input, starting at slot 'first', lies inside the line.
inline int tapsInside(int tapsLen, int dlyLen, int first) { return std::clamp(dlyLen - first, 0, tapsLen); }

template <class D>
inline D* slotsOf(const LmsDlyState* dly) { return static_cast<D*>(dly->dlyl); }
template <class W>
inline W* tapsOf(const LmsTapState* tap) { return static_cast<W*>(tap->taps); }

// One sample: adapt with the vector errDly samples back (when asked), push the
// input into slot 0 (every slot moves up one, the top one falls out), return
// the output.
template <class D, class W>
W filterOne(LmsTapState* tap, LmsDlyState* dly, D samp, W err, bool adaptNow) {
    W* w = tapsOf<W>(tap);
    D* x = slotsOf<D>(dly);
    const int tapsLen = tap->len, dlyLen = dly->len, errDly = tap->errDly;
    if (adaptNow) adapt(w, tapsLen, x + errDly, tapsInside(tapsLen, dlyLen, errDly), tap->step, tap->leak, err);
    if (dlyLen > 1) std::memmove(x + 1, x, sizeof(D) * unsigned(dlyLen - 1));
    x[0] = samp;
    return output(w, x, std::min(tapsLen, dlyLen));
}

// One decimating step: downFactor inputs in, one output out, aligned with input
// downPhase of the block. With downFactor 1 it is filterOne.
template <class D, class W>
W filterBlock(LmsTapState* tap, LmsDlyState* dly, const D* in, W err, bool adaptNow) {
    W* w = tapsOf<W>(tap);
    D* x = slotsOf<D>(dly);
    const int tapsLen = tap->len, dlyLen = dly->len, errDly = tap->errDly;
    const int factor = tap->downFactor;
    const int first = factor - 1 - tap->downPhase;  // slot of the newest sample of the output's vector
    if (adaptNow)
        adapt(w, tapsLen, x + first + errDly, tapsInside(tapsLen, dlyLen, first + errDly), tap->step, tap->leak, err);
    const int kept = std::clamp(dlyLen - factor, 0, tapsLen + errDly);
    if (kept > 0) std::memmove(x + factor, x, sizeof(D) * unsigned(kept));
    const int stored = std::min(factor, dlyLen);
    for (int j = 0; j < stored; ++j) x[j] = in[factor - 1 - j];
    return output(w, x + first, tapsInside(tapsLen, dlyLen, first));
}

// The single-sample float filter adapts for a step of either sign; the other
// caller-error forms only for a positive step.
template <class D, class W>
bool adaptsAt(float step) {
    if constexpr (std::is_same_v<D, float> && std::is_same_v<W, float>) return step != 0.0f;
    else return step > 0.0f;
}

// ---- record set-up and access, shared by both layers ----

// Slots of a delay line for the given taps record.
inline int delayLength(const LmsTapState* tap, bool isAdapt) {
    return tap->len + (isAdapt ? tap->errDly : 0) + (tap->isMultiRate ? tap->downFactor : 0);
}

template <class T>
void setTaps(const T* taps, LmsTapState* tap) {
    T* own = tapsOf<T>(tap);
    if (!taps) std::memset(static_cast<void*>(own), 0, sizeof(T) * unsigned(tap->len));
    else if (taps != own) std::memmove(static_cast<void*>(own), taps, sizeof(T) * unsigned(tap->len));
    tap->isFilterMode = 1;
}

template <class T>
void getTaps(LmsTapState* tap, T* taps) {
    const T* own = tapsOf<T>(tap);
    if (taps != own) std::memmove(static_cast<void*>(taps), own, sizeof(T) * unsigned(tap->len));
    tap->isFilterMode = 0;
}

template <class T>
void reverseInPlace(T* a, int n) { std::reverse(a, a + std::max(n, 0)); }

// The caller's view is chronological and one slot short (the top slot is the
// one the next input pushes out).
template <class T>
void setDlyl(const T* dlyl, LmsDlyState* dly) {
    T* slots = slotsOf<T>(dly);
    const int n = dly->len - 1;
    if (!dlyl) {
        std::memset(static_cast<void*>(slots), 0, sizeof(T) * unsigned(dly->len));
    } else if (dlyl == slots) {
        if (dly->isFilterMode) {
            vokSetErrStatus(VOK_StatusInternal);
            return;
        }
        reverseInPlace(slots, n);
    } else {
        for (int k = 0; k < n; ++k) slots[k] = dlyl[n - 1 - k];
    }
    dly->isFilterMode = 1;
}

template <class T>
void getDlyl(LmsDlyState* dly, T* dlyl) {
    T* slots = slotsOf<T>(dly);
    const int n = dly->len - 1;
    if (dlyl == slots) {
        if (!dly->isFilterMode) {
            vokSetErrStatus(VOK_StatusInternal);
            return;
        }
        reverseInPlace(slots, n);
    } else {
        for (int k = 0; k < n; ++k) dlyl[k] = slots[n - 1 - k];
    }
    dly->isFilterMode = 0;
}

}  // namespace vok::lms

namespace vok::testing {
// Makes the n-th heap request of the high-level LMS initialisation from now on
// fail (1 = the next one); 0 switches injection off.
void failLmsHeapAfter(int n);
}  // namespace vok::testing
