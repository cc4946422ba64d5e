// 16-bit and complex 16-bit vector arithmetic under the scale modes.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/check.h"
#include "core/scale16.h"
#include "vok/int16.h"

namespace {

using vok::ArgChecks;
using vok::fits16;
using vok::saturate16;
using vok::wrap16;
constexpr const char* kModule = "vokaritw";

}  // namespace

// ---- arithmetic ----

namespace {

// The exact result of one element, formed in 32 bits. A complex product whose
// a.im*b.re term is 2^30 (both factors -32768) never counts as fitting at
// sf = 0, since the imaginary sum can then leave the 32-bit range.
struct WideW { std::int32_t r; };
struct WideV { std::int32_t re, im; bool forceScale; };

template <class T> struct WideOf;
template <> struct WideOf<short> { using type = WideW; };
template <> struct WideOf<ShortComplex> { using type = WideV; };

enum class Op { add, sub, mul };

inline std::int32_t wrap32(std::int64_t x) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(x))); }

inline WideW compute(Op op, short a, short b) {
    switch (op) {
    case Op::add: return {std::int32_t(a) + b};
    case Op::sub: return {std::int32_t(a) - b};
    default: return {std::int32_t(a) * b};
    }
}

inline WideV compute(Op op, ShortComplex a, ShortComplex b) {
    switch (op) {
    case Op::add: return {std::int32_t(a.re) + b.re, std::int32_t(a.im) + b.im, false};
    case Op::sub: return {std::int32_t(a.re) - b.re, std::int32_t(a.im) - b.im, false};
    default: {
        std::int64_t imRe = std::int64_t(a.im) * b.re;
        return {wrap32(std::int64_t(a.re) * b.re - std::int64_t(a.im) * b.im), wrap32(std::int64_t(a.re) * b.im + imRe),
                imRe == (std::int64_t(1) << 30)};
    }
    }
}

// One 32-bit result under modes 0..3 (other modes act as the fixed mode).
struct FixedStore {
    int mode;
    int sf;
    unsigned shift;  // |sf| modulo 32

    FixedStore(int m, int f) : mode(m), sf(f), shift((f >= 0 ? unsigned(f) : 0u - unsigned(f)) & 31u) {}

    short operator()(std::int32_t r) const {
        switch (mode) {
        case VOK_NO_SCALE: return wrap16(r);
        case VOK_SATURATE: return saturate16(r);
        case VOK_FIXED_SCALE | VOK_SATURATE:
            if (sf >= 0) return saturate16(r >> shift);
            if (shift >= 16) return r > 0 ? 32767 : r < 0 ? -32768 : 0;
            if (r > (32767 >> shift)) return 32767;
            if (r < (-32768 >> shift)) return -32768;
            return wrap16(std::int64_t(r) * (std::int64_t(1) << shift));
        default:
            if (sf >= 0) return wrap16(r >> shift);
            return wrap16(std::int64_t(std::uint32_t(r) << shift));
        }
    }
};

inline void storeFixed(short& d, WideW w, const FixedStore& s) { d = s(w.r); }
inline void storeFixed(ShortComplex& d, WideV w, const FixedStore& s) { d = {s(w.re), s(w.im)}; }

inline bool fitsAt(WideW w, unsigned s) { return fits16(w.r >> s); }
inline bool fitsAt(WideV w, unsigned s) { return (s > 0 || !w.forceScale) && fits16(w.re >> s) && fits16(w.im >> s); }
inline void storeShifted(short& d, WideW w, unsigned s) { d = static_cast<short>(w.r >> s); }
inline void storeShifted(ShortComplex& d, WideV w, unsigned s) { d = {static_cast<short>(w.re >> s), static_cast<short>(w.im >> s)}; }
inline void shiftStored(short& d, unsigned s) { d = static_cast<short>(d >> s); }
inline void shiftStored(ShortComplex& d, unsigned s) { d = {static_cast<short>(d.re >> s), static_cast<short>(d.im >> s)}; }

// Stores elem(i) for i = 0 .. n-1 under the caller's mode. elem reads only the
// operands of index i, so the walk of the auto mode may look ahead of what it
// has stored even when dst is also an operand.
template <class T, class Elem>
void storeResults(T* dst, int n, int scaleMode, int* scaleFactor, Elem elem) {
    if (scaleMode != VOK_AUTO_SCALE) {
        const FixedStore store(scaleMode, vok::scaleFactorOrZero(scaleFactor));
        for (int i = 0; i < n; ++i) storeFixed(dst[i], elem(i), store);
        return;
    }
    int first = 0;
    for (; first < n; ++first) {
        auto w = elem(first);
        if (!fitsAt(w, 0)) break;
        storeShifted(dst[first], w, 0);
    }
    unsigned s = 0;
    if (first < n) {
        s = 1;
        for (int i = first; i < n; ++i) {
            auto w = elem(i);
            while (!fitsAt(w, s)) ++s;
        }
        for (int i = 0; i < first; ++i) shiftStored(dst[i], s);
        for (int i = first; i < n; ++i) storeShifted(dst[i], elem(i), s);
    }
    *scaleFactor = int(s);
}

// Each form checks its length, pointers in argument order, then (auto mode)
// the scale-factor pointer; false when a check failed.
inline bool checkFactor(ArgChecks check, int scaleMode, const int* scaleFactor) {
    return !check(scaleMode == VOK_AUTO_SCALE && !scaleFactor, "scalefactor==0");
}

template <class T>
void withScalar(ArgChecks check, Op op, T val, T* dst, int n, int scaleMode, int* scaleFactor) {
    if (check(n <= 0, "n<=0") || check(!dst, "dst==0") || !checkFactor(check, scaleMode, scaleFactor)) return;
    storeResults(dst, n, scaleMode, scaleFactor, [=](int i) { return compute(op, dst[i], val); });
}

template <class T>
void inPlace(ArgChecks check, Op op, const T* src, T* dst, int n, int scaleMode, int* scaleFactor, const char* srcText) {
    if (check(n <= 0, "n<=0") || check(!src, srcText) || check(!dst, "dst==0") ||
        !checkFactor(check, scaleMode, scaleFactor))
        return;
    storeResults(dst, n, scaleMode, scaleFactor, [=](int i) { return compute(op, dst[i], src[i]); });
}

template <class T>
bool threeArrays(ArgChecks check, Op op, const T* a, const T* b, T* dst, int n, int scaleMode, int* scaleFactor,
                 const char* aText, const char* bText) {
    if (check(n <= 0, "n<=0") || check(!a, aText) || check(!b, bText) || check(!dst, "dst==0") ||
        !checkFactor(check, scaleMode, scaleFactor))
        return false;
    storeResults(dst, n, scaleMode, scaleFactor, [=](int i) { return compute(op, a[i], b[i]); });
    return true;
}

template <class T>
void zero(ArgChecks check, T* dst, int n) {
    if (check(n <= 0, "n<=0") || check(!dst, "dst==0")) return;
    std::memset(dst, 0, sizeof(T) * unsigned(n));
}

template <class T>
void set(ArgChecks check, T val, T* dst, int n) {
    if (check(n <= 0, "n<=0") || check(!dst, "dst==0")) return;
    for (int i = 0; i < n; ++i) dst[i] = val;
}

template <class T>
void copy(ArgChecks check, const T* src, T* dst, int n) {
    if (check(n <= 0, "n<=0") || check(!src, "src==0") || check(!dst, "dst==0")) return;
    std::memmove(dst, src, sizeof(T) * unsigned(n));
}

// Negation keeps -32768 (the low 16 bits of +32768).
inline ShortComplex conj(ShortComplex a) { return {a.re, wrap16(-std::int32_t(a.im))}; }

}  // namespace

// One entry point per row, by signature: the exported name, its element type
// and what differs between the operations of one shape.
#define VOK_ARITH1(name, T, op)                                                         \
    VOK_API void VOK_CALL name(T val, T* dst, int n, int scaleMode, int* scaleFactor) { \
        withScalar(VOK_CHECKS, op, val, dst, n, scaleMode, scaleFactor);                \
    }
#define VOK_ARITH2(name, T, op, srcText)                                                       \
    VOK_API void VOK_CALL name(const T* src, T* dst, int n, int scaleMode, int* scaleFactor) { \
        inPlace(VOK_CHECKS, op, src, dst, n, scaleMode, scaleFactor, srcText);                 \
    }
#define VOK_ARITH3(name, T, op, aText, bText)                                                                  \
    VOK_API void VOK_CALL name(const T* srcA, const T* srcB, T* dst, int n, int scaleMode, int* scaleFactor) { \
        threeArrays(VOK_CHECKS, op, srcA, srcB, dst, n, scaleMode, scaleFactor, aText, bText);                 \
    }
#define VOK_ZERO(name, T) \
    VOK_API void VOK_CALL name(T* dst, int n) { zero(VOK_CHECKS, dst, n); }
#define VOK_SET(name, T) \
    VOK_API void VOK_CALL name(T val, T* dst, int n) { set(VOK_CHECKS, val, dst, n); }
#define VOK_COPY(name, T) \
    VOK_API void VOK_CALL name(const T* src, T* dst, int n) { copy(VOK_CHECKS, src, dst, n); }

extern "C" {

VOK_ARITH1(vokwbAdd1, short, Op::add)
VOK_ARITH1(vokvbAdd1, ShortComplex, Op::add)
VOK_ARITH1(vokwbSub1, short, Op::sub)
VOK_ARITH1(vokvbSub1, ShortComplex, Op::sub)
VOK_ARITH1(vokwbMpy1, short, Op::mul)
VOK_ARITH1(vokvbMpy1, ShortComplex, Op::mul)
VOK_ARITH2(vokwbAdd2, short, Op::add, "src==0")
VOK_ARITH2(vokvbAdd2, ShortComplex, Op::add, "src==0")
VOK_ARITH2(vokwbSub2, short, Op::sub, "val==0")
VOK_ARITH2(vokvbSub2, ShortComplex, Op::sub, "val==0")
VOK_ARITH2(vokwbMpy2, short, Op::mul, "src==0")
VOK_ARITH2(vokvbMpy2, ShortComplex, Op::mul, "src==0")
VOK_ARITH3(vokwbAdd3, short, Op::add, "srcA==0", "srcB==0")
VOK_ARITH3(vokvbAdd3, ShortComplex, Op::add, "srcA==0", "srcB==0")
VOK_ARITH3(vokwbSub3, short, Op::sub, "src==0", "val==0")
VOK_ARITH3(vokvbSub3, ShortComplex, Op::sub, "src==0", "val==0")
VOK_ARITH3(vokwbMpy3, short, Op::mul, "srcA==0", "srcB==0")
VOK_ARITH3(vokvbMpy3, ShortComplex, Op::mul, "srcA==0", "srcB==0")
VOK_ZERO(vokwbZero, short)
VOK_ZERO(vokvbZero, ShortComplex)
VOK_SET(vokwbSet, short)
VOK_SET(vokvbSet, ShortComplex)
VOK_COPY(vokwbCopy, short)
VOK_COPY(vokvbCopy, ShortComplex)


// Conjugation of complex 16-bit vectors.
VOK_API void VOK_CALL vokvbConj1(ShortComplex* vec, int n) {
    ArgChecks check{__func__, kModule, __LINE__};
    if (check(n <= 0, "n<=0") || check(!vec, "vec==0")) return;
    for (int i = 0; i < n; ++i) vec[i] = conj(vec[i]);
}

VOK_API void VOK_CALL vokvbConj2(const ShortComplex* src, ShortComplex* dst, int n) {
    ArgChecks check{__func__, kModule, __LINE__};
    if (check(n <= 0, "n<=0") || check(!src, "src==0") || check(!dst, "dst==0")) return;
    for (int i = 0; i < n; ++i) dst[i] = conj(src[i]);
}

VOK_API void VOK_CALL vokvbConjFlip2(const ShortComplex* src, ShortComplex* dst, int n) {
    ArgChecks check{__func__, kModule, __LINE__};
    if (check(n <= 0, "n<=0") || check(!src, "src==0") || check(!dst, "dst==0")) return;
    for (int i = 0, j = n - 1; i <= j; ++i, --j) {  // pairwise, so that src == dst works too
        ShortComplex a = src[i], b = src[j];
        dst[j] = conj(a);
        dst[i] = conj(b);
    }
}

VOK_API void VOK_CALL vokvbConjExtend2(const ShortComplex* src, ShortComplex* dst, int n) {
    ArgChecks check{__func__, kModule, __LINE__};
    if (check(n <= 0, "n<=0") || check(!src, "src==0") || check(!dst, "dst==0")) return;
    if (dst != src) std::memmove(dst, src, sizeof(ShortComplex) * unsigned(n));
    for (int m = n; m <= 2 * n - 3; ++m) dst[m] = conj(dst[2 * n - 2 - m]);
}

VOK_API void VOK_CALL vokvbConjExtend1(ShortComplex* vec, int n) {
    ArgChecks check{__func__, kModule, __LINE__};
    if (check(n <= 0, "n<=0") || check(!vec, "vec==0")) return;
    for (int m = n; m <= 2 * n - 3; ++m) vec[m] = conj(vec[2 * n - 2 - m]);
}

// Single complex 16-bit numbers.
#define VOK_SINGLE16(name, vectorName, op)                                                                    \
    VOK_API ShortComplex VOK_CALL name(ShortComplex a, ShortComplex b, int scaleMode, int* scaleFactor) {     \
        ArgChecks check{__func__, kModule, __LINE__};                                                         \
        ShortComplex r{0, 0};                                                                                 \
        if (!threeArrays(ArgChecks{vectorName, kModule, __LINE__}, op, &a, &b, &r, 1, scaleMode, scaleFactor, \
                         "srcA==0", "srcB==0")) {                                                             \
            check.backtrace(__LINE__);                                                                        \
            return ShortComplex{0, 0};                                                                        \
        }                                                                                                     \
        return r;                                                                                             \
    }
VOK_SINGLE16(vokvAdd, "vokvbAdd3", Op::add)
VOK_SINGLE16(vokvSub, "vokvbSub3", Op::sub)
VOK_SINGLE16(vokvMpy, "vokvbMpy3", Op::mul)
#undef VOK_SINGLE16

VOK_API ShortComplex VOK_CALL vokvDiv(ShortComplex a, ShortComplex b) {
    ArgChecks check{__func__, kModule, __LINE__};
    if (check(b.re == 0 && b.im == 0, "(b.re==0)&&(b.im==0)")) return ShortComplex{0, 0};
    const double k = 1.0 / (double(b.re) * b.re + double(b.im) * b.im);
    const double re = (double(a.re) * b.re + double(a.im) * b.im) * k;
    const double im = (double(a.im) * b.re - double(a.re) * b.im) * k;
    return ShortComplex{vok::saturate16Truncated(re), vok::saturate16Truncated(im)};
}

VOK_API ShortComplex VOK_CALL vokvConj(ShortComplex a) { return conj(a); }

VOK_API ShortComplex VOK_CALL vokvSet(short re, short im) { return ShortComplex{re, im}; }

}  // extern "C"
