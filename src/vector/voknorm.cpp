// Norms of a vector or of the difference of two vectors, and normalization.
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "core/check.h"
#include "core/complex.h"
#include "core/scale16.h"
#include "kernels/elementwise.h"
#include "vok/elementwise.h"

namespace {

using vok::ArgChecks;
using vok::lanesOf;
using vok::RealOf;
constexpr const char* kModule = "voknorm";

enum class Kind { maxMagnitude, sumMagnitudes, sumSquares };

template <class R>
const vok::kernels::ElementwiseOps<R>& kernels() { return vok::kernels::elementwiseOps<R>(); }

// The raw norm: max |a - b|, sum |a - b| or sum (a - b)^2 (the root comes later);
// b may be null. Float and double data through the vector kernels.
template <class T>
double rawNorm(Kind kind, const T* a, const T* b, int len) {
    const auto& k = kernels<T>();
    switch (kind) {
        case Kind::maxMagnitude: return k.maxAbsDiff(a, b, len);
        case Kind::sumMagnitudes: return k.sumAbsDiff(a, b, len);
        default: return k.sumSquaredDiff(a, b, len);
    }
}

// Complex floats: parts subtracted in float, magnitudes in double.
// Complex doubles: magnitudes through hypot, sums in long double.
template <class C>
double rawComplexNorm(Kind kind, const C* a, const C* b, int len) {
    using R = RealOf<C>;
    if (kind == Kind::sumSquares) return rawNorm(kind, lanesOf(a), lanesOf(b), 2 * len);
    using Acc = std::conditional_t<sizeof(R) == 4, double, long double>;
    Acc best = 0, sum = 0;
    for (int i = 0; i < len; ++i) {
        const R re = b ? R(a[i].re - b[i].re) : a[i].re, im = b ? R(a[i].im - b[i].im) : a[i].im;
        Acc magnitude;
        if constexpr (sizeof(R) == 4) magnitude = std::sqrt(double(re) * re + double(im) * im);
        else magnitude = std::hypot(re, im);
        if (kind == Kind::maxMagnitude) best = magnitude > best || std::isnan(magnitude) ? magnitude : best;
        else sum += magnitude;
    }
    return double(kind == Kind::maxMagnitude ? best : sum);
}

// 16-bit data: exact integer differences and sums.
double rawShortNorm(Kind kind, const short* a, const short* b, int len) {
    std::uint64_t best = 0, sum = 0;
    for (int i = 0; i < len; ++i) {
        const int d = b ? int(a[i]) - int(b[i]) : int(a[i]);
        const std::uint64_t magnitude = std::uint64_t(d < 0 ? -d : d);
        if (kind == Kind::maxMagnitude) best = magnitude > best ? magnitude : best;
        else sum += kind == Kind::sumMagnitudes ? magnitude : magnitude * magnitude;
    }
    return double(kind == Kind::maxMagnitude ? best : sum);
}

double rawShortComplexNorm(Kind kind, const ShortComplex* a, const ShortComplex* b, int len) {
    std::uint64_t best = 0, squares = 0;
    double magnitudes = 0;
    for (int i = 0; i < len; ++i) {
        const std::int64_t re = b ? int(a[i].re) - int(b[i].re) : a[i].re;
        const std::int64_t im = b ? int(a[i].im) - int(b[i].im) : a[i].im;
        const std::uint64_t m2 = std::uint64_t(re * re + im * im);
        best = m2 > best ? m2 : best;
        squares += m2;
        magnitudes += std::sqrt(double(m2));
    }
    switch (kind) {
        case Kind::maxMagnitude: return std::sqrt(double(best));
        case Kind::sumMagnitudes: return magnitudes;
        default: return double(squares);
    }
}

template <class T>
double raw(Kind kind, const T* a, const T* b, int len) {
    if constexpr (std::is_same_v<T, short>) return rawShortNorm(kind, a, b, len);
    else if constexpr (std::is_same_v<T, ShortComplex>) return rawShortComplexNorm(kind, a, b, len);
    else if constexpr (vok::isComplex<T>) return rawComplexNorm(kind, a, b, len);
    else return rawNorm(kind, a, b, len);
}

template <class Result, class T>
Result norm(ArgChecks check, const T* srcA, const T* srcB, int len, int flag) {
    const int kindBits = flag & ~VOK_RELATIVE;
    const bool wrongFlag = kindBits != VOK_C && kindBits != VOK_L1 && kindBits != VOK_L2;
    if (check(len <= 0, "n<=0") || check(!srcA, "srcA==0") || check(wrongFlag, "flag is wrong")) return 0;
    const bool relative = (flag & VOK_RELATIVE) != 0;
    if (relative && !srcB) return 1;
    const Kind kind = kindBits == VOK_C ? Kind::maxMagnitude : kindBits == VOK_L1 ? Kind::sumMagnitudes : Kind::sumSquares;
    double d = raw(kind, srcA, srcB, len);
    if (relative) {
        if (d < FLT_MIN) return 0;
        const double r = raw(kind, srcA, static_cast<const T*>(nullptr), len);
        if (r < FLT_MIN) return Result(FLT_MAX);
        d /= r;
    }
    return Result(kind == Kind::sumSquares ? std::sqrt(d) : d);
}

// ---- Normalize ----

bool badNormalize(ArgChecks check, const void* src, const void* dst, int n, double factor) {
    return check(n <= 0, "n<=0") || check(!src, "src==0") || check(!dst, "dst==0") ||
           check(factor == 0, "factor == 0");
}

template <class T>
void normalizeReal(ArgChecks check, const T* src, T* dst, int n, T offset, T factor) {
    if (badNormalize(check, src, dst, n, factor)) return;
    const double scale = 1.0 / double(factor);
    for (int i = 0; i < n; ++i) dst[i] = T(double(T(src[i] - offset)) * scale);
}

template <class C>
void normalizeComplex(ArgChecks check, const C* src, C* dst, int n, C offset, RealOf<C> factor) {
    using R = RealOf<C>;
    if (badNormalize(check, src, dst, n, factor)) return;
    const double scale = 1.0 / double(factor);
    for (int i = 0; i < n; ++i)
        dst[i] = C{R(double(R(src[i].re - offset.re)) * scale), R(double(R(src[i].im - offset.im)) * scale)};
}

// 16-bit data: (x - offset) * (1/factor) in float, truncated and saturated by
// the shared converter, a block at a time (complex parts share the blocks).
template <class T>
void normalizeShort(ArgChecks check, const T* src, T* dst, int n, T offset, float factor) {
    if (badNormalize(check, src, dst, n, factor)) return;
    constexpr int parts = std::is_same_v<T, short> ? 1 : 2;
    const double scale = 1.0 / double(factor);
    const short* in = reinterpret_cast<const short*>(src);
    short* out = reinterpret_cast<short*>(dst);
    constexpr int kBlock = 256;
    float values[kBlock];
    const int count = parts * n;
    for (int start = 0; start < count; start += kBlock) {
        const int m = count - start < kBlock ? count - start : kBlock;
        for (int k = 0; k < m; ++k) {
            const int index = start + k;
            int off;
            if constexpr (parts == 1) off = offset;
            else off = (index & 1) ? offset.im : offset.re;
            values[k] = float(double(int(in[index]) - off) * scale);
        }
        vok::ownScaleFloatToShort(values, out + start, m, VOK_SATURATE, nullptr);
    }
}

}  // namespace

extern "C" {

VOK_API float VOK_CALL voksNorm(const float* srcA, const float* srcB, int len, int flag) {
    return norm<float>(VOK_CHECKS, srcA, srcB, len, flag);
}
VOK_API float VOK_CALL vokcNorm(const FloatComplex* srcA, const FloatComplex* srcB, int len, int flag) {
    return norm<float>(VOK_CHECKS, srcA, srcB, len, flag);
}
VOK_API double VOK_CALL vokdNorm(const double* srcA, const double* srcB, int len, int flag) {
    return norm<double>(VOK_CHECKS, srcA, srcB, len, flag);
}
VOK_API double VOK_CALL vokzNorm(const DoubleComplex* srcA, const DoubleComplex* srcB, int len, int flag) {
    return norm<double>(VOK_CHECKS, srcA, srcB, len, flag);
}
VOK_API float VOK_CALL vokwNorm(const short* srcA, const short* srcB, int len, int flag) {
    return norm<float>(VOK_CHECKS, srcA, srcB, len, flag);
}
VOK_API float VOK_CALL vokvNorm(const ShortComplex* srcA, const ShortComplex* srcB, int len, int flag) {
    return norm<float>(VOK_CHECKS, srcA, srcB, len, flag);
}

VOK_API void VOK_CALL voksbNormalize(const float* src, float* dst, int n, float offset, float factor) {
    normalizeReal(VOK_CHECKS, src, dst, n, offset, factor);
}
VOK_API void VOK_CALL vokdbNormalize(const double* src, double* dst, int n, double offset, double factor) {
    normalizeReal(VOK_CHECKS, src, dst, n, offset, factor);
}
VOK_API void VOK_CALL vokcbNormalize(const FloatComplex* src, FloatComplex* dst, int n, FloatComplex offset, float factor) {
    normalizeComplex(VOK_CHECKS, src, dst, n, offset, factor);
}
VOK_API void VOK_CALL vokzbNormalize(const DoubleComplex* src, DoubleComplex* dst, int n, DoubleComplex offset,
                                     double factor) {
    normalizeComplex(VOK_CHECKS, src, dst, n, offset, factor);
}

VOK_API void VOK_CALL vokwbNormalize(const short* src, short* dst, int n, short offset, float factor) {
    normalizeShort(VOK_CHECKS, src, dst, n, offset, factor);
}
VOK_API void VOK_CALL vokvbNormalize(const ShortComplex* src, ShortComplex* dst, int n, ShortComplex offset,
                                     float factor) {
    normalizeShort(VOK_CHECKS, src, dst, n, offset, factor);
}

}  // extern "C"
