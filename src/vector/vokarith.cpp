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

// One entry point per row, by signature: the exported name, its element type
// and what differs between the operations of one shape.
#define VOK_ZERO(name, T) \
    VOK_API void VOK_CALL name(T* dst, int n) { zero(VOK_CHECKS, dst, n); }
#define VOK_SET(name, T) \
    VOK_API void VOK_CALL name(T val, T* dst, int n) { set(VOK_CHECKS, val, dst, n); }
#define VOK_COPY(name, T) \
    VOK_API void VOK_CALL name(const T* src, T* dst, int n) { copy(VOK_CHECKS, src, dst, n); }
#define VOK_ARITH1(name, T, op) \
    VOK_API void VOK_CALL name(T val, T* dst, int n) { withScalar(VOK_CHECKS, op, val, dst, n); }
#define VOK_ARITH2(name, T, op, srcText) \
    VOK_API void VOK_CALL name(const T* src, T* dst, int n) { inPlaceVector(VOK_CHECKS, op, src, dst, n, srcText); }
#define VOK_ARITH3(name, T, op, aText, bText)                                 \
    VOK_API void VOK_CALL name(const T* srcA, const T* srcB, T* dst, int n) { \
        threeArrays(VOK_CHECKS, op, srcA, srcB, dst, n, aText, bText);        \
    }
#define VOK_CONJ1(name, T, work) \
    VOK_API void VOK_CALL name(T* vec, int n) { work(VOK_CHECKS, vec, n); }
#define VOK_CONJ2(name, T, work) \
    VOK_API void VOK_CALL name(const T* src, T* dst, int n) { work(VOK_CHECKS, src, dst, n); }

extern "C" {
VOK_ZERO(voksbZero, float)
VOK_ZERO(vokdbZero, double)
VOK_ZERO(vokcbZero, FloatComplex)
VOK_ZERO(vokzbZero, DoubleComplex)
VOK_SET(voksbSet, float)
VOK_SET(vokdbSet, double)
VOK_SET(vokcbSet, FloatComplex)
VOK_SET(vokzbSet, DoubleComplex)
VOK_COPY(voksbCopy, float)
VOK_COPY(vokdbCopy, double)
VOK_COPY(vokcbCopy, FloatComplex)
VOK_COPY(vokzbCopy, DoubleComplex)
VOK_ARITH1(voksbAdd1, float, Op::add)
VOK_ARITH1(vokdbAdd1, double, Op::add)
VOK_ARITH1(vokcbAdd1, FloatComplex, Op::add)
VOK_ARITH1(vokzbAdd1, DoubleComplex, Op::add)
VOK_ARITH1(voksbSub1, float, Op::sub)
VOK_ARITH1(vokdbSub1, double, Op::sub)
VOK_ARITH1(vokcbSub1, FloatComplex, Op::sub)
VOK_ARITH1(vokzbSub1, DoubleComplex, Op::sub)
VOK_ARITH1(voksbMpy1, float, Op::mul)
VOK_ARITH1(vokdbMpy1, double, Op::mul)
VOK_ARITH1(vokcbMpy1, FloatComplex, Op::mul)
VOK_ARITH1(vokzbMpy1, DoubleComplex, Op::mul)
VOK_ARITH2(voksbAdd2, float, Op::add, "src==0")
VOK_ARITH2(vokdbAdd2, double, Op::add, "src==0")
VOK_ARITH2(vokcbAdd2, FloatComplex, Op::add, "src==0")
VOK_ARITH2(vokzbAdd2, DoubleComplex, Op::add, "src==0")
VOK_ARITH2(voksbSub2, float, Op::sub, "val==0")
VOK_ARITH2(vokdbSub2, double, Op::sub, "val==0")
VOK_ARITH2(vokcbSub2, FloatComplex, Op::sub, "val==0")
VOK_ARITH2(vokzbSub2, DoubleComplex, Op::sub, "val==0")
VOK_ARITH2(voksbMpy2, float, Op::mul, "src==0")
VOK_ARITH2(vokdbMpy2, double, Op::mul, "src==0")
VOK_ARITH2(vokcbMpy2, FloatComplex, Op::mul, "src==0")
VOK_ARITH2(vokzbMpy2, DoubleComplex, Op::mul, "src==0")
VOK_ARITH3(voksbAdd3, float, Op::add, "srcA==0", "srcB==0")
VOK_ARITH3(vokdbAdd3, double, Op::add, "srcA==0", "srcB==0")
VOK_ARITH3(vokcbAdd3, FloatComplex, Op::add, "srcA==0", "srcB==0")
VOK_ARITH3(vokzbAdd3, DoubleComplex, Op::add, "srcA==0", "srcB==0")
VOK_ARITH3(voksbSub3, float, Op::sub, "src==0", "val==0")
VOK_ARITH3(vokdbSub3, double, Op::sub, "src==0", "val==0")
VOK_ARITH3(vokcbSub3, FloatComplex, Op::sub, "src==0", "val==0")
VOK_ARITH3(vokzbSub3, DoubleComplex, Op::sub, "src==0", "val==0")
VOK_ARITH3(voksbMpy3, float, Op::mul, "srcA==0", "srcB==0")
VOK_ARITH3(vokdbMpy3, double, Op::mul, "srcA==0", "srcB==0")
VOK_ARITH3(vokcbMpy3, FloatComplex, Op::mul, "srcA==0", "srcB==0")
VOK_ARITH3(vokzbMpy3, DoubleComplex, Op::mul, "srcA==0", "srcB==0")
VOK_CONJ1(vokcbConj1, FloatComplex, conj1)
VOK_CONJ1(vokzbConj1, DoubleComplex, conj1)
VOK_CONJ2(vokcbConj2, FloatComplex, conj2)
VOK_CONJ2(vokzbConj2, DoubleComplex, conj2)
VOK_CONJ2(vokcbConjFlip2, FloatComplex, conjFlip2)
VOK_CONJ2(vokzbConjFlip2, DoubleComplex, conjFlip2)
VOK_CONJ1(vokcbConjExtend1, FloatComplex, conjExtend1)
VOK_CONJ1(vokzbConjExtend1, DoubleComplex, conjExtend1)
VOK_CONJ2(vokcbConjExtend2, FloatComplex, conjExtend2)
VOK_CONJ2(vokzbConjExtend2, DoubleComplex, conjExtend2)

VOK_API FloatComplex VOK_CALL vokcAdd(FloatComplex a, FloatComplex b) { return FloatComplex{a.re + b.re, a.im + b.im}; }
VOK_API FloatComplex VOK_CALL vokcSub(FloatComplex a, FloatComplex b) { return FloatComplex{a.re - b.re, a.im - b.im}; }
VOK_API FloatComplex VOK_CALL vokcMpy(FloatComplex a, FloatComplex b) { return vok::complexMul(a, b); }
VOK_API FloatComplex VOK_CALL vokcDiv(FloatComplex a, FloatComplex b) { return divide(VOK_CHECKS, a, b); }
VOK_API FloatComplex VOK_CALL vokcConj(FloatComplex a) { return conjOf(a); }
VOK_API FloatComplex VOK_CALL vokcSet(float re, float im) { return FloatComplex{re, im}; }

VOK_API DoubleComplex VOK_CALL vokzAdd(DoubleComplex a, DoubleComplex b) { return DoubleComplex{a.re + b.re, a.im + b.im}; }
VOK_API DoubleComplex VOK_CALL vokzSub(DoubleComplex a, DoubleComplex b) { return DoubleComplex{a.re - b.re, a.im - b.im}; }
VOK_API DoubleComplex VOK_CALL vokzMpy(DoubleComplex a, DoubleComplex b) { return vok::complexMul(a, b); }
VOK_API DoubleComplex VOK_CALL vokzDiv(DoubleComplex a, DoubleComplex b) { return divide(VOK_CHECKS, a, b); }
VOK_API DoubleComplex VOK_CALL vokzConj(DoubleComplex a) { return conjOf(a); }
VOK_API DoubleComplex VOK_CALL vokzSet(double re, double im) { return DoubleComplex{re, im}; }
}  // extern "C"
