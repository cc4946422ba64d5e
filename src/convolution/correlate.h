// Correlation sums shared by the floating-point and 16-bit modules: direct
// extended-precision sums over the overlap of the two sequences. Float data
// (real, complex and the mixed pairs) goes through the vector kernels, each
// lag summed in double; double data (all pairs but complex against real)
// through the compensated ones when its magnitudes allow; the rest is summed
// here in long double.
#pragma once

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "convolution/products.h"
#include "core/check.h"
#include "kernels/conv.h"

namespace vok::correlate {

namespace p = vok::products;

// The argument checks of the correlations, in their reporting order.
inline bool badCross(ArgChecks check, const void* srcA, int lenA, const void* srcB, int lenB, const void* dst,
                     int loLag, int hiLag) {
    return check(!srcA, "Null SRC buffer pointer") || check(!srcB, "Null SRC buffer pointer") ||
           check(!dst, "Null DST buffer pointer") || check(lenA < 1, "Invalid SRC buffer length") ||
           check(lenB < 1, "Invalid SRC buffer length") || check(loLag > hiLag, "Invalid LAG value");
}

inline bool badAuto(ArgChecks check, const void* src, int len, const void* dst, int nLags) {
    return check(!src, "Null SRC buffer pointer") || check(!dst, "Null DST buffer pointer") ||
           check(len < 1, "Invalid SRC buffer length") || check(nLags < 1 || nLags > len, "Invalid LAG value");
}

// r[k] = Σ conj(a[n])·b[n+k] over the n where both exist.
template <class A, class B>
p::Acc<p::WideOf<A>> lag(const A* a, long long lenA, const B* b, long long lenB, long long k) {
    const long long first = std::max(0LL, -k), last = std::min(lenA, lenB - k);
    if (last <= first) return {};
    return p::sum<true>(a + first, b + first + k, last - first);
}

// The vector kernel for this type pair, or null.
template <class A, class B>
kernels::CorrLagsKernel lagsKernel() {
    const kernels::CorrOps& ops = kernels::corrOps();
    if constexpr (std::is_same_v<A, float> && std::is_same_v<B, float>) return ops.real;
    else if constexpr (std::is_same_v<A, FloatComplex> && std::is_same_v<B, FloatComplex>) return ops.complex;
    else if constexpr (std::is_same_v<A, float> && std::is_same_v<B, FloatComplex>) return ops.realByComplex;
    else if constexpr (std::is_same_v<A, FloatComplex> && std::is_same_v<B, float>) return ops.complexByReal;
    else return nullptr;
}

// The compensated double kernel for this type pair, or null.
template <class A, class B>
kernels::CorrLagsDoubleKernel compensatedKernel() {
    const kernels::CorrOps& ops = kernels::corrOps();
    if constexpr (std::is_same_v<A, double> && std::is_same_v<B, double>) return ops.realDouble;
    else if constexpr (std::is_same_v<A, DoubleComplex> && std::is_same_v<B, DoubleComplex>) return ops.complexDouble;
    else if constexpr (std::is_same_v<A, double> && std::is_same_v<B, DoubleComplex>) return ops.realByComplexDouble;
    else return nullptr;
}

// Whether every value is zero or of a magnitude within [2^-450, 2^450]: then
// the compensated double kernel sums as exactly as long double would (and
// more). NaN fails the test.
inline bool moderate(const double* x, long long n) {
    bool outside = false;
    for (long long i = 0; i < n; ++i) {
        const double m = std::fabs(x[i]);
        outside |= (m > 0x1p450) | (m != m) | ((m < 0x1p-450) & (m != 0));
    }
    return !outside;
}

// dst[i] = r[loLag + i] for i < count (arguments already checked).
template <class A, class B>
void lags(const A* srcA, long long lenA, const B* srcB, long long lenB, p::ResultOf<A, B>* dst, long long loLag,
          long long count) {
    using R = p::ResultOf<A, B>;
    if (const kernels::CorrLagsKernel kernel = lagsKernel<A, B>()) {
        kernel(reinterpret_cast<const float*>(srcA), lenA, reinterpret_cast<const float*>(srcB), lenB,
               reinterpret_cast<float*>(dst), loLag, count);
        return;
    }
    if (const kernels::CorrLagsDoubleKernel kernel = compensatedKernel<A, B>()) {
        const double* a = reinterpret_cast<const double*>(srcA);
        const double* b = reinterpret_cast<const double*>(srcB);
        constexpr long long aw = isComplex<A> ? 2 : 1, bw = isComplex<B> ? 2 : 1;
        const bool bInsideA = static_cast<const void*>(srcB) == srcA && bw * lenB <= aw * lenA;
        if (moderate(a, aw * lenA) && (bInsideA || moderate(b, bw * lenB))) {
            kernel(a, lenA, b, lenB, reinterpret_cast<double*>(dst), loLag, count);
            return;
        }
    }
    for (long long i = 0; i < count; ++i) dst[i] = p::narrow<R>(lag(srcA, lenA, srcB, lenB, loLag + i));
}

template <class A, class B>
void cross(const A* srcA, int lenA, const B* srcB, int lenB, p::ResultOf<A, B>* dst, int loLag, int hiLag) {
    lags(srcA, lenA, srcB, lenB, dst, loLag, (long long)hiLag - loLag + 1);
}

// dst[k] = r[k] for k < nLags, normalised by norm (1: by len, 2: by len - k).
template <class T>
void autocorrelation(const T* src, int len, T* dst, int nLags, int norm) {
    // The sums first, then the norm in place.
    lags(src, len, src, len, dst, 0, nLags);
    if (norm != 1 && norm != 2) return;
    using R = RealOf<T>;
    const R byLength = R(1) / R(len);
    for (int k = 0; k < nLags; ++k) {
        auto normed = [&](R v) { return norm == 1 ? v * byLength : v / R(len - k); };
        if constexpr (isComplex<T>) dst[k] = {normed(dst[k].re), normed(dst[k].im)};
        else dst[k] = normed(dst[k]);
    }
}

}  // namespace vok::correlate
