// Window values shared by the floating-point and 16-bit window modules.
//
// Every window is symmetric and is applied in pairs: the weight w[k] scales
// elements k and n-1-k for k < n/2; the middle element of an odd length has
// weight 1 and is left alone. Weights are generated in double for every
// element type; `scale(T&, double)` decides how one element takes its weight.
#pragma once

#include <cmath>
#include <cstdint>

#include "core/check.h"
#include "core/scale16.h"
#include "vok/signal.h"

namespace vok::window {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

inline void scale(float& v, double w) { v = static_cast<float>(static_cast<double>(v) * w); }
inline void scale(double& v, double w) { v = v * w; }
inline void scale(FloatComplex& v, double w) { scale(v.re, w), scale(v.im, w); }
inline void scale(DoubleComplex& v, double w) { scale(v.re, w), scale(v.im, w); }
inline void scale(short& v, double w) { v = wrap16Rounded(static_cast<double>(v) * w); }
inline void scale(ShortComplex& v, double w) { scale(v.re, w), scale(v.im, w); }

template <class T>
inline void scalePair(T* vec, int n, int k, double w) {
    scale(vec[k], w);
    scale(vec[n - 1 - k], w);
}

template <class T>
bool badVector(const ArgChecks& check, const T* vec, int n) {
    return check(!vec, "Null pointer to buffer") || check(n < 3, "Bad number of items");
}

// w[k] = 2k/M, the step added once per pair.
template <class T>
void bartlett(T* vec, int n) {
    const double step = 2.0 / (n - 1);
    double w = 0.0;
    for (int k = 0; k < n / 2; ++k, w += step) scalePair(vec, n, k, w);
}

// w[k] = a0 − a1·cos(kθ) − a2·cos(2kθ), θ = 2π/M, the cosines by the
// three-term recurrence from cos θ and cos 2θ; the first pair takes `first`,
// the formula's exact value at k = 0.
template <class T>
void cosineSum(T* vec, int n, double a0, double a1, double a2, double first) {
    const int pairs = n / 2;
    scalePair(vec, n, 0, first);
    if (pairs < 2) return;
    const double theta = kTwoPi / (n - 1);
    const double cos1 = std::cos(theta), cos2 = std::cos(2.0 * theta);
    const double twoCos1 = 2.0 * cos1, twoCos2 = 2.0 * cos2;
    double c1Prev = 1.0, c1 = cos1, c2Prev = 1.0, c2 = cos2;
    for (int k = 1; k < pairs; ++k) {
        scalePair(vec, n, k, a0 - a1 * c1 - a2 * c2);
        const double c1Next = twoCos1 * c1 - c1Prev;
        const double c2Next = twoCos2 * c2 - c2Prev;
        c1Prev = c1, c1 = c1Next;
        c2Prev = c2, c2 = c2Next;
    }
}

template <class T>
void hann(T* vec, int n) { cosineSum(vec, n, 0.5, 0.5, 0.0, 0.0); }
template <class T>
void hamming(T* vec, int n) { cosineSum(vec, n, 0.54, 0.46, 0.0, 0.08); }
template <class T>
void blackman(T* vec, int n, double alpha) {
    cosineSum(vec, n, (alpha + 1.0) * 0.5, 0.5, alpha * 0.5, 0.0);
}

// α of the optimal Blackman window: −0.5/(1 + cos(2π/M)) = −(0.5/cos(π/M))².
inline double blackmanOptAlpha(int n) {
    const double r = 0.5 / std::cos(kPi / (n - 1));
    return -(r * r);
}

// I0 by the two polynomial approximations of Abramowitz and Stegun (9.8.1,
// 9.8.2), from the square of its argument: the small branch needs no root.
inline double besselI0Squared(double x2) {
    if (x2 < 14.0625) {
        const double t = x2 / 14.0625;
        return 1.0 + t * (3.5156229 + t * (3.0899424 + t * (1.2067492 + t * (0.2659732 +
                     t * (0.0360768 + t * 0.0045813)))));
    }
    const double x = std::sqrt(x2);
    const double y = 3.75 / x;
    const double p = 0.39894228 + y * (0.01328592 + y * (0.00225319 + y * (-0.00157565 + y * (0.00916281 +
                     y * (-0.02057706 + y * (0.02635537 + y * (-0.01647633 + y * 0.00392377)))))));
    return std::exp(x) / std::sqrt(x) * p;
}

inline bool hugeKaiser(const ArgChecks& check, double alpha, int n) {
    return check(alpha * (n - 1) * 0.5 > 308.0, "Huge window parameter");
}

// w[k] = I0(α·√(k(M−k))) / I0(α·M/2), with q = k(M−k) kept as an integer.
template <class T>
void kaiser(T* vec, int n, double alpha) {
    const int m = n - 1;
    const double alpha2 = alpha * alpha;
    const double half = alpha * m * 0.5;
    const double norm = 1.0 / besselI0Squared(half * half);
    std::int64_t q = 0;
    for (int k = 0; k < n / 2; ++k) {
        scalePair(vec, n, k, besselI0Squared(alpha2 * static_cast<double>(q)) * norm);
        q += m - 1 - 2 * k;
    }
}

}  // namespace vok::window

// Window entry points, one exported name per use: T the element type and P the
// parameter type (float for the float and 16-bit forms, double for the double
// ones). Reports go under the including module's kModule.
#define VOK_WINDOW(name, T, shape) \
    VOK_API void VOK_CALL name(T* vec, int n) { if (!vok::window::badVector(VOK_CHECKS, vec, n)) shape(vec, n); }
#define VOK_WINDOW_BLACKMAN(name, T, P)                                                        \
    VOK_API void VOK_CALL name(T* vec, int n, P alpha) {                                       \
        if (!vok::window::badVector(VOK_CHECKS, vec, n)) vok::window::blackman(vec, n, alpha); \
    }
#define VOK_WINDOW_BLACKMAN_STD(name, T, P)                                                                    \
    VOK_API void VOK_CALL name(T* vec, int n) {                                                                \
        if (!vok::window::badVector(VOK_CHECKS, vec, n)) vok::window::blackman(vec, n, static_cast<P>(-0.16)); \
    }
#define VOK_WINDOW_BLACKMAN_OPT(name, T, P)                                                  \
    VOK_API void VOK_CALL name(T* vec, int n) {                                              \
        if (!vok::window::badVector(VOK_CHECKS, vec, n))                                     \
            vok::window::blackman(vec, n, static_cast<P>(vok::window::blackmanOptAlpha(n))); \
    }
#define VOK_WINDOW_KAISER(name, T, P)                                                            \
    VOK_API void VOK_CALL name(T* vec, int n, P alpha) {                                         \
        const vok::ArgChecks check = VOK_CHECKS;                                                 \
        if (!vok::window::badVector(check, vec, n) && !vok::window::hugeKaiser(check, alpha, n)) \
            vok::window::kaiser(vec, n, alpha);                                                  \
    }
