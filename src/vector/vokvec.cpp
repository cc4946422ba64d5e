// Elementwise square, square root, thresholds and absolute value, and the
// statistics of one vector (mean, mean square, maximum, minimum).
#include <cfloat>
#include <climits>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "core/check.h"
#include "core/complex.h"
#include "core/scale16.h"
#include "kernels/arith.h"
#include "kernels/elementwise.h"
#include "vector/vecforms.h"
#include "vok/elementwise.h"

namespace {

using vok::ArgChecks;
using vok::isComplex;
using vok::lanesOf;
using vok::RealOf;
using vok::vec::Form;
using vok::vec::badVectors;
constexpr const char* kModule = "vokvec";

template <class R>
const vok::kernels::ArithOps<R>& arith() { return vok::kernels::arithOps<R>(); }
template <class R>
const vok::kernels::ElementwiseOps<R>& kernels() { return vok::kernels::elementwiseOps<R>(); }

void reportNegative(ArgChecks check, int line) {
    check.report(VOK_StatusBadArg, "Element of input vector is negative", line);
}

// ---- Sqr ----

template <class T>
void sqr(ArgChecks check, Form form, const T* src, T* dst, int len) {
    if (badVectors(check, form, len, src, dst)) return;
    if constexpr (isComplex<T>) arith<RealOf<T>>().mulComplex(lanesOf(src), lanesOf(src), lanesOf(dst), len);
    else arith<T>().mul(src, src, dst, len);
}

// ---- Sqrt ----

template <class T>
void sqrtReal(ArgChecks check, Form form, const T* src, T* dst, int len) {
    if (badVectors(check, form, len, src, dst)) return;
    if (kernels<T>().sqrt(src, dst, len)) reportNegative(check, __LINE__);
}

template <class T>
void sqrtComplex(ArgChecks check, Form form, const T* src, T* dst, int len) {
    if (badVectors(check, form, len, src, dst)) return;
    using R = RealOf<T>;
    for (int i = 0; i < len; ++i) {
        const std::complex<R> root = std::sqrt(std::complex<R>(src[i].re, src[i].im));
        dst[i] = T{root.real(), root.imag()};
    }
}

void sqrtShort(ArgChecks check, Form form, const short* src, short* dst, int len) {
    if (badVectors(check, form, len, src, dst)) return;
    bool negative = false;
    for (int i = 0; i < len; ++i) {
        const int x = src[i];
        negative |= x < 0;
        dst[i] = x < 0 ? short(0) : short(std::sqrt(double(x)) + 0.5);  // an integer's root is never a tie
    }
    if (negative) reportNegative(check, __LINE__);
}

void sqrtShortComplex(ArgChecks check, Form form, const ShortComplex* src, ShortComplex* dst, int len) {
    if (badVectors(check, form, len, src, dst)) return;
    for (int i = 0; i < len; ++i) {
        const std::complex<double> root = std::sqrt(std::complex<double>(src[i].re, src[i].im));
        dst[i] = ShortComplex{short(std::lround(root.real())), short(std::lround(root.imag()))};
    }
}

// ---- Thresh ----

// Float patterns as signed integers, remapped so that integer order is the
// order the patterns stand for (-0 just below +0, NaNs at the ends).
int orderKey(float x) {
    std::int32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits < 0 ? bits ^ 0x7FFFFFFF : bits;
}

template <class T>
void threshReal(ArgChecks check, Form form, const T* src, T* dst, int len, T thresh, int relOp) {
    if (badVectors(check, form, len, src, dst)) return;
    if constexpr (std::is_same_v<T, float>) {
        const int limit = orderKey(thresh);
        for (int i = 0; i < len; ++i) {
            const int key = orderKey(src[i]);
            dst[i] = (relOp == VOK_LT ? key < limit : key > limit) ? thresh : src[i];
        }
    } else {
        for (int i = 0; i < len; ++i)
            dst[i] = (relOp == VOK_LT ? src[i] < thresh : src[i] > thresh) ? thresh : src[i];
    }
}

constexpr const char* negativeThreshText(float) { return "thresh<0.0f"; }
constexpr const char* negativeThreshText(double) { return "thresh<0.0"; }

// Complex floats are measured in double, complex doubles in double.
template <class T>
void threshComplex(ArgChecks check, Form form, const T* src, T* dst, int len, RealOf<T> thresh, int relOp) {
    using R = RealOf<T>;
    if (badVectors(check, form, len, src, dst) || check(thresh < 0, negativeThreshText(thresh))) return;
    const double t2 = double(thresh) * double(thresh);
    for (int i = 0; i < len; ++i) {
        const double re = src[i].re, im = src[i].im;
        const double m2 = re * re + im * im;
        if (relOp == VOK_LT ? m2 < t2 : m2 > t2) {
            if (relOp == VOK_LT && m2 < DBL_MIN) {  // zero or denormal: no phase to keep
                dst[i] = T{thresh, src[i].im};
                continue;
            }
            const double k = std::sqrt(t2 / m2);
            dst[i] = T{R(re * k), R(im * k)};
        } else {
            dst[i] = src[i];
        }
    }
}

void threshShort(ArgChecks check, Form form, const short* src, short* dst, int len, short thresh, int relOp) {
    if (badVectors(check, form, len, src, dst)) return;
    for (int i = 0; i < len; ++i)
        dst[i] = (relOp == VOK_LT ? src[i] < thresh : src[i] > thresh) ? thresh : src[i];
}

void threshShortComplex(ArgChecks check, Form form, const ShortComplex* src, ShortComplex* dst, int len, short thresh,
                        int relOp) {
    if (badVectors(check, form, len, src, dst) || check(thresh < 0, "thresh<0")) return;
    const std::int64_t t2 = std::int64_t(thresh) * thresh;
    for (int i = 0; i < len; ++i) {
        const std::int64_t re = src[i].re, im = src[i].im, m2 = re * re + im * im;
        if (relOp == VOK_LT ? m2 < t2 : m2 > t2) {
            if (m2 == 0) {
                dst[i] = ShortComplex{thresh, src[i].im};
                continue;
            }
            const double k = std::sqrt(double(t2) / double(m2));
            dst[i] = ShortComplex{vok::saturate16Rounded(double(re) * k), vok::saturate16Rounded(double(im) * k)};
        } else {
            dst[i] = src[i];
        }
    }
}

// ---- InvThresh ----

template <class T>
bool isPositiveZero(T x) {
    return x == 0 && !std::signbit(x);
}

// Reciprocals of four elements from one division. With all four magnitudes
// within 2^(+-k), k a fifth of the exponent range, every partial product below
// (r * d: five factors at most) stays normal; other groups (zeros, infinities,
// NaNs, extremes) divide one by one.
template <class T>
void reciprocals(const T* x, T* dst, int len) {
    constexpr int k = (1 - std::numeric_limits<T>::min_exponent) / 5;
    const T hi = std::ldexp(T(1), k), lo = std::ldexp(T(1), -k);
    const auto inRange = [&](T v) { return std::fabs(v) >= lo && std::fabs(v) <= hi; };
    int i = 0;
    for (; i + 4 <= len; i += 4) {
        const T a = x[i], b = x[i + 1], c = x[i + 2], d = x[i + 3];
        if (inRange(a) && inRange(b) && inRange(c) && inRange(d)) {
            const T ab = a * b, cd = c * d;
            const T r = T(1) / (ab * cd);
            dst[i] = r * b * cd;
            dst[i + 1] = r * a * cd;
            dst[i + 2] = r * d * ab;
            dst[i + 3] = r * c * ab;
        } else {
            for (int j = 0; j < 4; ++j) dst[i + j] = T(1) / x[i + j];
        }
    }
    for (; i < len; ++i) dst[i] = T(1) / x[i];
}

template <class T>
void invThreshReal(ArgChecks check, Form form, const T* src, T* dst, int len, T thresh) {
    if (badVectors(check, form, len, src, dst) || check(thresh < 0, negativeThreshText(thresh))) return;
    bool zeroSeen = false;
    // Blocks of the raised values, so that dst may alias src.
    constexpr int kBlock = 256;
    T raised[kBlock];
    for (int start = 0; start < len; start += kBlock) {
        const int count = len - start < kBlock ? len - start : kBlock;
        for (int k = 0; k < count; ++k) {
            const T x = src[start + k];
            raised[k] = thresh > 0 && std::fabs(x) < thresh ? std::copysign(thresh, x) : x;
        }
        reciprocals(raised, dst + start, count);
        if (thresh == 0)
            for (int k = 0; k < count; ++k)
                if (isPositiveZero(raised[k])) {
                    dst[start + k] = std::numeric_limits<T>::max();
                    zeroSeen = true;
                }
    }
    if (zeroSeen) check.report(VOK_StatusBadArg, "zero element and zero thresh", __LINE__);
}

template <class T>
void invThreshComplex(ArgChecks check, Form form, const T* src, T* dst, int len, RealOf<T> thresh) {
    using R = RealOf<T>;
    if (badVectors(check, form, len, src, dst) || check(thresh < 0, negativeThreshText(thresh))) return;
    bool zeroSeen = false;
    const double t = thresh, t2 = t * t;
    for (int i = 0; i < len; ++i) {
        double re = src[i].re, im = src[i].im;
        double m2 = re * re + im * im;
        if (m2 == 0 && re == 0 && im == 0 && thresh == 0) {
            dst[i] = T{std::numeric_limits<R>::max(), R(0)};
            zeroSeen = true;
            continue;
        }
        if (m2 < t2) {
            if (re == 0 && im == 0) {
                re = t;
                im = 0;
            } else {
                const double k = m2 > 0 ? std::sqrt(t2 / m2) : t / std::hypot(re, im);
                re *= k;
                im *= k;
            }
            m2 = re * re + im * im;
        }
        dst[i] = T{R(re / m2), R(-im / m2)};
    }
    if (zeroSeen) check.report(VOK_StatusBadArg, "zero element and zero thresh", __LINE__);
}

// ---- Abs ----

template <class T>
void absReal(ArgChecks check, Form form, const T* src, T* dst, int len) {
    if (badVectors(check, form, len, src, dst)) return;
    for (int i = 0; i < len; ++i) dst[i] = std::fabs(src[i]);
}

void absShort(ArgChecks check, Form form, const short* src, short* dst, int len) {
    if (badVectors(check, form, len, src, dst)) return;
    for (int i = 0; i < len; ++i) dst[i] = src[i] == SHRT_MIN ? short(SHRT_MAX) : short(src[i] < 0 ? -src[i] : src[i]);
}

// ---- statistics ----

bool badStatistics(ArgChecks check, const void* vec, int len) {
    return check(len <= 0, "len<=0") || check(!vec, "vec==0");
}

template <class T>
T mean(ArgChecks check, const T* vec, int len) {
    if (badStatistics(check, vec, len)) return 0;
    return T(kernels<T>().sum(vec, len) / len);
}

template <class T>
T meanSquare(ArgChecks check, const T* vec, int len) {
    if (badStatistics(check, vec, len)) return 0;
    return T(kernels<T>().sumSquares(vec, len) / len);
}

template <class T>
T largest(ArgChecks check, const T* vec, int len) {
    if (badStatistics(check, vec, len)) return 0;
    T best = vec[0];
    for (int i = 1; i < len; ++i) best = vec[i] > best ? vec[i] : best;
    return best;
}

template <class T>
T smallest(ArgChecks check, const T* vec, int len) {
    if (badStatistics(check, vec, len)) return 0;
    T best = vec[0];
    for (int i = 1; i < len; ++i) best = vec[i] < best ? vec[i] : best;
    return best;
}

short meanShort(ArgChecks check, const short* vec, int len) {
    if (badStatistics(check, vec, len)) return 0;
    std::uint32_t sum = 0;  // 32-bit sum, wrapping as the hardware would
    for (int i = 0; i < len; ++i) sum += std::uint32_t(std::int32_t(vec[i]));
    return short(std::int32_t(sum) / len);
}

// ---- 16-bit squares and mean square, through the shared 16-bit converters ----

bool badScaleFactor(ArgChecks check, int scaleMode, const int* scaleFactor) {
    return check(scaleMode == VOK_AUTO_SCALE && !scaleFactor, "scaleFactor==0");
}

// The squares (complex: re^2 - im^2 and 2 re im, the latter saturated at
// 2^31 - 1) in 32 bits, then to 16 bits with one scale factor for the call.
template <class T>
void sqrShort(ArgChecks check, Form form, const T* src, T* dst, int len, int scaleMode, int* scaleFactor) {
    if (badVectors(check, form, len, src, dst) || badScaleFactor(check, scaleMode, scaleFactor)) return;
    constexpr int parts = std::is_same_v<T, short> ? 1 : 2;
    int* wide = vokiMalloc(parts * len);
    if (!wide) {
        check.noMemory(__LINE__);
        return;
    }
    for (int i = 0; i < len; ++i) {
        if constexpr (parts == 1) {
            wide[i] = int(src[i]) * int(src[i]);
        } else {
            const std::int64_t re = src[i].re, im = src[i].im, twice = 2 * re * im;
            wide[2 * i] = int(re * re - im * im);
            wide[2 * i + 1] = twice > INT_MAX ? INT_MAX : int(twice);
        }
    }
    vok::ownScaleIntToShort(wide, reinterpret_cast<short*>(dst), parts * len, scaleMode, scaleFactor);
    vokFree(wide);
}

short meanSquareShort(ArgChecks check, const short* vec, int len, int scaleMode, int* scaleFactor) {
    if (badStatistics(check, vec, len) || badScaleFactor(check, scaleMode, scaleFactor)) return 0;
    std::int64_t sum = 0;
    for (int i = 0; i < len; ++i) sum += int(vec[i]) * int(vec[i]);
    return vok::ownScaleIntValueToShort(int(sum / len), scaleMode, scaleFactor);
}

}  // namespace

// Form 1 (vec, len, extra...) and form 2 (src, dst, len, extra...) of one operation.
#define VOK_FORMS(name1, name2, T, impl)                                                             \
    VOK_API void VOK_CALL name1(T* vec, int len) { impl(VOK_CHECKS, Form::inPlace, vec, vec, len); } \
    VOK_API void VOK_CALL name2(const T* src, T* dst, int len) { impl(VOK_CHECKS, Form::twoArrays, src, dst, len); }

#define VOK_THRESH_FORMS(name1, name2, T, R, impl)                                    \
    VOK_API void VOK_CALL name1(T* vec, int len, R thresh, int relOp) {               \
        impl(VOK_CHECKS, Form::inPlace, vec, vec, len, thresh, relOp);                \
    }                                                                                 \
    VOK_API void VOK_CALL name2(const T* src, T* dst, int len, R thresh, int relOp) { \
        impl(VOK_CHECKS, Form::twoArrays, src, dst, len, thresh, relOp);              \
    }

#define VOK_INVTHRESH_FORMS(name1, name2, T, R, impl)                                                                  \
    VOK_API void VOK_CALL name1(T* vec, int len, R thresh) { impl(VOK_CHECKS, Form::inPlace, vec, vec, len, thresh); } \
    VOK_API void VOK_CALL name2(const T* src, T* dst, int len, R thresh) {                                             \
        impl(VOK_CHECKS, Form::twoArrays, src, dst, len, thresh);                                                      \
    }

#define VOK_STATISTIC(name, T, impl) \
    VOK_API T VOK_CALL name(const T* vec, int len) { return impl(VOK_CHECKS, vec, len); }

extern "C" {
VOK_FORMS(voksbSqr1, voksbSqr2, float, sqr)
VOK_FORMS(vokdbSqr1, vokdbSqr2, double, sqr)
VOK_FORMS(vokcbSqr1, vokcbSqr2, FloatComplex, sqr)
VOK_FORMS(vokzbSqr1, vokzbSqr2, DoubleComplex, sqr)

VOK_FORMS(voksbSqrt1, voksbSqrt2, float, sqrtReal)
VOK_FORMS(vokdbSqrt1, vokdbSqrt2, double, sqrtReal)
VOK_FORMS(vokcbSqrt1, vokcbSqrt2, FloatComplex, sqrtComplex)
VOK_FORMS(vokzbSqrt1, vokzbSqrt2, DoubleComplex, sqrtComplex)
VOK_FORMS(vokwbSqrt1, vokwbSqrt2, short, sqrtShort)
VOK_FORMS(vokvbSqrt1, vokvbSqrt2, ShortComplex, sqrtShortComplex)

VOK_THRESH_FORMS(voksbThresh1, voksbThresh2, float, float, threshReal)
VOK_THRESH_FORMS(vokdbThresh1, vokdbThresh2, double, double, threshReal)
VOK_THRESH_FORMS(vokcbThresh1, vokcbThresh2, FloatComplex, float, threshComplex)
VOK_THRESH_FORMS(vokzbThresh1, vokzbThresh2, DoubleComplex, double, threshComplex)
VOK_THRESH_FORMS(vokwbThresh1, vokwbThresh2, short, short, threshShort)
VOK_THRESH_FORMS(vokvbThresh1, vokvbThresh2, ShortComplex, short, threshShortComplex)

VOK_INVTHRESH_FORMS(voksbInvThresh1, voksbInvThresh2, float, float, invThreshReal)
VOK_INVTHRESH_FORMS(vokdbInvThresh1, vokdbInvThresh2, double, double, invThreshReal)
VOK_INVTHRESH_FORMS(vokcbInvThresh1, vokcbInvThresh2, FloatComplex, float, invThreshComplex)
VOK_INVTHRESH_FORMS(vokzbInvThresh1, vokzbInvThresh2, DoubleComplex, double, invThreshComplex)

VOK_FORMS(voksbAbs1, voksbAbs2, float, absReal)
VOK_FORMS(vokdbAbs1, vokdbAbs2, double, absReal)
VOK_FORMS(vokwbAbs1, vokwbAbs2, short, absShort)

VOK_STATISTIC(voksMean, float, mean)
VOK_STATISTIC(vokdMean, double, mean)
VOK_STATISTIC(vokwMean, short, meanShort)
VOK_STATISTIC(voksStdDev, float, meanSquare)
VOK_STATISTIC(vokdStdDev, double, meanSquare)
VOK_STATISTIC(voksMax, float, largest)
VOK_STATISTIC(vokdMax, double, largest)
VOK_STATISTIC(vokwMax, short, largest)
VOK_STATISTIC(voksMin, float, smallest)
VOK_STATISTIC(vokdMin, double, smallest)
VOK_STATISTIC(vokwMin, short, smallest)

VOK_API void VOK_CALL vokwbSqr1(short* vec, int len, int scaleMode, int* scaleFactor) {
    sqrShort(VOK_CHECKS, Form::inPlace, vec, vec, len, scaleMode, scaleFactor);
}
VOK_API void VOK_CALL vokwbSqr2(const short* src, short* dst, int len, int scaleMode, int* scaleFactor) {
    sqrShort(VOK_CHECKS, Form::twoArrays, src, dst, len, scaleMode, scaleFactor);
}
VOK_API void VOK_CALL vokvbSqr1(ShortComplex* vec, int len, int scaleMode, int* scaleFactor) {
    sqrShort(VOK_CHECKS, Form::inPlace, vec, vec, len, scaleMode, scaleFactor);
}
VOK_API void VOK_CALL vokvbSqr2(const ShortComplex* src, ShortComplex* dst, int len, int scaleMode, int* scaleFactor) {
    sqrShort(VOK_CHECKS, Form::twoArrays, src, dst, len, scaleMode, scaleFactor);
}
VOK_API short VOK_CALL vokwStdDev(const short* vec, int len, int scaleMode, int* scaleFactor) {
    return meanSquareShort(VOK_CHECKS, vec, len, scaleMode, scaleFactor);
}

}  // extern "C"
