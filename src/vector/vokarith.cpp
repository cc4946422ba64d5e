// Floating-point vector arithmetic and single complex numbers.
#include <cstdint>
#include <cstring>

#include "core/check.h"
#include "core/complex.h"
#include "kernels/arith.h"
#include "vok/vector.h"

namespace {

using vok::ArgChecks;
using vok::isComplex;
using vok::lanesOf;
using vok::RealOf;
constexpr const char* kModule = "vokarith";

template <class T>
const vok::kernels::ArithOps<RealOf<T>>& ops() { return vok::kernels::arithOps<RealOf<T>>(); }
template <class T>
int laneCount(int n) { return n * vok::ElementTraits<T>::lanes; }

template <class T>
void zero(ArgChecks check, T* dst, int n) {
    if (check(n <= 0, "n<=0") || check(!dst, "dst==0")) return;
    std::memset(dst, 0, sizeof(T) * unsigned(n));
}

template <class T>
void set(ArgChecks check, T val, T* dst, int n) {
    if (check(n <= 0, "n<=0") || check(!dst, "dst==0")) return;
    if constexpr (isComplex<T>) ops<T>().fill(lanesOf(dst), val.re, val.im, laneCount<T>(n));
    else ops<T>().fill(dst, val, val, n);
}

template <class T>
void copy(ArgChecks check, const T* src, T* dst, int n) {
    if (check(n <= 0, "n<=0") || check(!src, "src==0") || check(!dst, "dst==0")) return;
    std::memmove(dst, src, sizeof(T) * unsigned(n));  // correct for either overlap direction
}

// Scalar forms: dst[i] = dst[i] op val.
enum class Op { add, sub, mul };

template <class T>
void withScalar(ArgChecks check, Op op, T val, T* dst, int n) {
    if (check(n <= 0, "n<=0") || check(!dst, "dst==0")) return;
    const auto& k = ops<T>();
    if constexpr (isComplex<T>) {
        auto kernel = op == Op::add ? k.addComplexScalar : op == Op::sub ? k.subComplexScalar : k.mulComplexScalar;
        kernel(lanesOf(dst), val.re, val.im, lanesOf(dst), n);
    } else {
        auto kernel = op == Op::add ? k.addScalar : op == Op::sub ? k.subScalar : k.mulScalar;
        kernel(dst, val, dst, n);
    }
}

template <class T>
void elementwise(Op op, const T* a, const T* b, T* dst, int n) {
    const auto& k = ops<T>();
    if (op == Op::mul && isComplex<T>) return k.mulComplex(lanesOf(a), lanesOf(b), lanesOf(dst), n);
    auto kernel = op == Op::add ? k.add : op == Op::sub ? k.sub : k.mul;
    kernel(lanesOf(a), lanesOf(b), lanesOf(dst), laneCount<T>(n));
}

// Form 2: dst[i] = dst[i] op src[i]; the second operand is named by 'operandName'.
template <class T>
void inPlaceVector(ArgChecks check, Op op, const T* src, T* dst, int n, const char* srcNullText) {
    if (check(n <= 0, "n<=0") || check(!src, srcNullText) || check(!dst, "dst==0")) return;
    elementwise(op, static_cast<const T*>(dst), src, dst, n);
}

// Form 3: dst[i] = a[i] op b[i].
template <class T>
void threeArrays(ArgChecks check, Op op, const T* a, const T* b, T* dst, int n, const char* aNullText,
                 const char* bNullText) {
    if (check(n <= 0, "n<=0") || check(!a, aNullText) || check(!b, bNullText) || check(!dst, "dst==0")) return;
    elementwise(op, a, b, dst, n);
}

// ---- conjugation ----

template <class T>
T conjOf(T x) {
    // Sign-bit flip, so -0 and NaN payloads come out as the bit patterns say.
    using Bits = std::conditional_t<sizeof(x.im) == 4, std::uint32_t, std::uint64_t>;
    Bits bits;
    std::memcpy(&bits, &x.im, sizeof bits);
    bits ^= Bits(1) << (8 * sizeof(Bits) - 1);
    std::memcpy(&x.im, &bits, sizeof bits);
    return x;
}

template <class T>
void conj1(ArgChecks check, T* vec, int n) {
    if (check(n <= 0, "n<=0") || check(!vec, "vec==0")) return;
    ops<T>().conj(lanesOf(vec), lanesOf(vec), n);
}

template <class T>
void conj2(ArgChecks check, const T* src, T* dst, int n) {
    if (check(n <= 0, "n<=0") || check(!src, "src==0") || check(!dst, "dst==0")) return;
    ops<T>().conj(lanesOf(src), lanesOf(dst), n);
}

template <class T>
void conjFlip2(ArgChecks check, const T* src, T* dst, int n) {
    if (check(n <= 0, "n<=0") || check(!src, "src==0") || check(!dst, "dst==0")) return;
    if (src == dst) {  // in place: exchange mirrored pairs
        for (int i = 0, j = n - 1; i <= j; ++i, --j) {
            const T low = conjOf(src[i]);
            dst[i] = conjOf(src[j]);
            dst[j] = low;
        }
        return;
    }
    for (int i = n - 1; i >= 0; --i) dst[n - 1 - i] = conjOf(src[i]);
}

// x[m] = conj(x[2n-2-m]) for m = n ... 2n-3: the mirror of a conjugate-symmetric half.
template <class T>
void mirrorConjugates(const T* half, T* dst, int n) {
    for (int m = 2 * n - 3; m >= n; --m) dst[m] = conjOf(half[2 * n - 2 - m]);
}

template <class T>
void conjExtend1(ArgChecks check, T* vec, int n) {
    if (check(n <= 0, "n<=0") || check(!vec, "vec==0")) return;
    mirrorConjugates(static_cast<const T*>(vec), vec, n);
}

template <class T>
void conjExtend2(ArgChecks check, const T* src, T* dst, int n) {
    if (check(n <= 0, "n<=0") || check(!src, "src==0") || check(!dst, "dst==0")) return;
    mirrorConjugates(src, dst, n);
    std::memmove(dst, src, sizeof(T) * unsigned(n));
}

// ---- single complex numbers ----

bool isZeroDivisor(FloatComplex b) {
    std::uint32_t re, im;
    std::memcpy(&re, &b.re, 4);
    std::memcpy(&im, &b.im, 4);
    return ((re | im) & 0x7FFFFFFFu) == 0;
}

// Only the upper words count: exponent and the 20 highest mantissa bits.
bool isZeroDivisor(DoubleComplex b) {
    std::uint64_t re, im;
    std::memcpy(&re, &b.re, 8);
    std::memcpy(&im, &b.im, 8);
    return (((re | im) >> 32) & 0x7FFFFFFFu) == 0;
}

template <class C>
C divide(ArgChecks check, C a, C b) {
    if (check(isZeroDivisor(b), "(b.re==0.0)&&(b.im==0.0)")) return C{0, 0};
    const double br = b.re, bi = b.im, ar = a.re, ai = a.im;
    const double k = 1.0 / (br * br + bi * bi);
    return C{RealOf<C>((ar * br + ai * bi) * k), RealOf<C>((br * ai - bi * ar) * k)};
}

}  // namespace

#define VOK_CHECKS ArgChecks{__func__, kModule, __LINE__}

// Every operation for the four element types, t the letter and T the element.
#define VOK_ARITH_ENTRIES(t, T)                                                                        \
    VOK_API void VOK_CALL vok##t##bZero(T* dst, int n) { zero(VOK_CHECKS, dst, n); }                   \
    VOK_API void VOK_CALL vok##t##bSet(T val, T* dst, int n) { set(VOK_CHECKS, val, dst, n); }         \
    VOK_API void VOK_CALL vok##t##bCopy(const T* src, T* dst, int n) { copy(VOK_CHECKS, src, dst, n); } \
    VOK_API void VOK_CALL vok##t##bAdd1(T val, T* dst, int n) { withScalar(VOK_CHECKS, Op::add, val, dst, n); } \
    VOK_API void VOK_CALL vok##t##bSub1(T val, T* dst, int n) { withScalar(VOK_CHECKS, Op::sub, val, dst, n); } \
    VOK_API void VOK_CALL vok##t##bMpy1(T val, T* dst, int n) { withScalar(VOK_CHECKS, Op::mul, val, dst, n); } \
    VOK_API void VOK_CALL vok##t##bAdd2(const T* src, T* dst, int n) {                                 \
        inPlaceVector(VOK_CHECKS, Op::add, src, dst, n, "src==0");                                     \
    }                                                                                                  \
    VOK_API void VOK_CALL vok##t##bSub2(const T* val, T* dst, int n) {                                 \
        inPlaceVector(VOK_CHECKS, Op::sub, val, dst, n, "val==0");                                     \
    }                                                                                                  \
    VOK_API void VOK_CALL vok##t##bMpy2(const T* src, T* dst, int n) {                                 \
        inPlaceVector(VOK_CHECKS, Op::mul, src, dst, n, "src==0");                                     \
    }                                                                                                  \
    VOK_API void VOK_CALL vok##t##bAdd3(const T* srcA, const T* srcB, T* dst, int n) {                 \
        threeArrays(VOK_CHECKS, Op::add, srcA, srcB, dst, n, "srcA==0", "srcB==0");                    \
    }                                                                                                  \
    VOK_API void VOK_CALL vok##t##bSub3(const T* src, const T* val, T* dst, int n) {                   \
        threeArrays(VOK_CHECKS, Op::sub, src, val, dst, n, "src==0", "val==0");                        \
    }                                                                                                  \
    VOK_API void VOK_CALL vok##t##bMpy3(const T* srcA, const T* srcB, T* dst, int n) {                 \
        threeArrays(VOK_CHECKS, Op::mul, srcA, srcB, dst, n, "srcA==0", "srcB==0");                    \
    }

#define VOK_CONJ_ENTRIES(t, T)                                                                            \
    VOK_API void VOK_CALL vok##t##bConj1(T* vec, int n) { conj1(VOK_CHECKS, vec, n); }                    \
    VOK_API void VOK_CALL vok##t##bConj2(const T* src, T* dst, int n) { conj2(VOK_CHECKS, src, dst, n); } \
    VOK_API void VOK_CALL vok##t##bConjFlip2(const T* src, T* dst, int n) { conjFlip2(VOK_CHECKS, src, dst, n); } \
    VOK_API void VOK_CALL vok##t##bConjExtend1(T* vec, int n) { conjExtend1(VOK_CHECKS, vec, n); }        \
    VOK_API void VOK_CALL vok##t##bConjExtend2(const T* src, T* dst, int n) { conjExtend2(VOK_CHECKS, src, dst, n); }

#define VOK_COMPLEX_ENTRIES(t, C, R)                                                              \
    VOK_API C VOK_CALL vok##t##Add(C a, C b) { return C{a.re + b.re, a.im + b.im}; }              \
    VOK_API C VOK_CALL vok##t##Sub(C a, C b) { return C{a.re - b.re, a.im - b.im}; }              \
    VOK_API C VOK_CALL vok##t##Mpy(C a, C b) { return vok::complexMul(a, b); }                    \
    VOK_API C VOK_CALL vok##t##Div(C a, C b) { return divide(VOK_CHECKS, a, b); }                 \
    VOK_API C VOK_CALL vok##t##Conj(C a) { return conjOf(a); }                                    \
    VOK_API C VOK_CALL vok##t##Set(R re, R im) { return C{re, im}; }

extern "C" {
VOK_ARITH_ENTRIES(s, float)
VOK_ARITH_ENTRIES(d, double)
VOK_ARITH_ENTRIES(c, FloatComplex)
VOK_ARITH_ENTRIES(z, DoubleComplex)
VOK_CONJ_ENTRIES(c, FloatComplex)
VOK_CONJ_ENTRIES(z, DoubleComplex)
VOK_COMPLEX_ENTRIES(c, FloatComplex, float)
VOK_COMPLEX_ENTRIES(z, DoubleComplex, double)
}
