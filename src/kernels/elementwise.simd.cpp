// Square roots, float logarithm and exponential, sums and norm pieces, written
// once for every width and both precisions.
#include <immintrin.h>

#include "kernels/simd.h"
#include "kernels/elementwise.h"

VOK_SIMD_BEGIN
namespace {

using I64 = long long;
using U64 = unsigned long long;
typedef U64 U64Vec __attribute__((vector_size(kVectorBytes)));
typedef float HalfFloatVec __attribute__((vector_size(kVectorBytes / 2)));

template <class To, class From>
inline __attribute__((always_inline)) To bitsAs(From v) {
    return __builtin_bit_cast(To, v);
}

inline __attribute__((always_inline)) Vec<float> vsqrt(Vec<float> v) {
#if VOK_VECTOR_BYTES == 16
    return _mm_sqrt_ps(v);
#elif VOK_VECTOR_BYTES == 32
    return _mm256_sqrt_ps(v);
#elif defined(__clang__)
    return _mm512_sqrt_ps(v);
#else
    return __builtin_ia32_sqrtps512_mask(v, v, __mmask16(-1), _MM_FROUND_CUR_DIRECTION);  // all lanes: no merge source
#endif
}
inline __attribute__((always_inline)) Vec<double> vsqrt(Vec<double> v) {
#if VOK_VECTOR_BYTES == 16
    return _mm_sqrt_pd(v);
#elif VOK_VECTOR_BYTES == 32
    return _mm256_sqrt_pd(v);
#elif defined(__clang__)
    return _mm512_sqrt_pd(v);
#else
    return __builtin_ia32_sqrtpd512_mask(v, v, __mmask8(-1), _MM_FROUND_CUR_DIRECTION);
#endif
}

// Float lanes to double lanes and back, half a register at a time.
inline __attribute__((always_inline)) void widen(Vec<float> v, Vec<double>& lo, Vec<double>& hi) {
    HalfFloatVec l, h;
    std::memcpy(&l, &v, sizeof l);
    std::memcpy(&h, reinterpret_cast<const char*>(&v) + sizeof l, sizeof h);
    lo = __builtin_convertvector(l, Vec<double>);
    hi = __builtin_convertvector(h, Vec<double>);
}
inline __attribute__((always_inline)) Vec<float> narrow(Vec<double> lo, Vec<double> hi) {
    const HalfFloatVec l = __builtin_convertvector(lo, HalfFloatVec), h = __builtin_convertvector(hi, HalfFloatVec);
    Vec<float> v;
    std::memcpy(&v, &l, sizeof l);
    std::memcpy(reinterpret_cast<char*>(&v) + sizeof l, &h, sizeof h);
    return v;
}

// ---- square root ----

template <class T>
bool sqrtLoop(const T* src, T* dst, int count) {
    constexpr int L = kLanes<T>;
    IndexVec<T> negative{};
    int i = 0;
    for (; i + L <= count; i += L) {
        const Vec<T> v = load(src + i);
        negative |= v < T(0);
        store(dst + i, vsqrt(v));
    }
    if (i < count) {
        const Vec<T> v = loadPartial(src + i, count - i);  // zero lanes above count are never negative
        negative |= v < T(0);
        storePartial(dst + i, vsqrt(v), count - i);
    }
    bool any = false;
    for (int k = 0; k < L; ++k) any |= negative[k] != 0;
    return any;
}

// ---- float logarithm and exponential through double lanes ----

// ln y for positive finite y: y = m * 2^e with m in [sqrt(1/2), sqrt(2)), and
// ln m = 2 atanh(s), s = (m - 1)/(m + 1), from its series up to s^17.
inline __attribute__((always_inline)) Vec<double> lnPositive(Vec<double> y) {
    const U64Vec bits = bitsAs<U64Vec>(y);
    const U64Vec biased = bits >> 52;
    Vec<double> m = bitsAs<Vec<double>>((bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull);
    const IndexVec<double> big = m > 1.4142135623730951;
    m = big ? m * 0.5 : m;
    const Vec<double> e = (bitsAs<Vec<double>>(biased | 0x4330000000000000ull) - 4503599627370496.0) - 1023.0 +
                          (big ? splat(1.0) : splat(0.0));
    const Vec<double> f = m - 1.0;
    const Vec<double> s = f / (f + 2.0);
    const Vec<double> z = s * s;
    Vec<double> p = splat(1.0 / 17);
    p = p * z + 1.0 / 15;
    p = p * z + 1.0 / 13;
    p = p * z + 1.0 / 11;
    p = p * z + 1.0 / 9;
    p = p * z + 1.0 / 7;
    p = p * z + 1.0 / 5;
    p = p * z + 1.0 / 3;
    p = p * z + 1.0;
    return e * 0.69314718055994530942 + (s + s) * p;
}

// e^x for x clamped to [-104, 89] (beyond these the float result is 0 or inf):
// x = k ln2 + r, |r| <= ln2/2, e^r from its Taylor series up to r^11.
inline __attribute__((always_inline)) Vec<double> expClamped(Vec<double> x) {
    constexpr double kShifter = 6755399441055744.0;  // 1.5 * 2^52: adding it rounds to an integer
    x = x > 89.0 ? splat(89.0) : x;
    x = x < -104.0 ? splat(-104.0) : x;
    const Vec<double> t = x * 1.4426950408889634074 + kShifter;
    const Vec<double> k = t - kShifter;
    const Vec<double> r = (x - k * 6.93147180369123816490e-01) - k * 1.90821492927058770002e-10;
    const IndexVec<double> ki = bitsAs<IndexVec<double>>(t) - bitsAs<I64>(kShifter);
    const Vec<double> scale = bitsAs<Vec<double>>((ki + 1023) << 52);
    Vec<double> p = splat(1.0 / 39916800);
    p = p * r + 1.0 / 3628800;
    p = p * r + 1.0 / 362880;
    p = p * r + 1.0 / 40320;
    p = p * r + 1.0 / 5040;
    p = p * r + 1.0 / 720;
    p = p * r + 1.0 / 120;
    p = p * r + 1.0 / 24;
    p = p * r + 1.0 / 6;
    p = p * r + 0.5;
    p = p * r + 1.0;
    p = p * r + 1.0;
    return p * scale;
}

inline __attribute__((always_inline)) Vec<float> lnBlock(Vec<float> x) {
    Vec<double> lo, hi;
    widen(x, lo, hi);
    const Vec<float> y = narrow(lnPositive(lo), lnPositive(hi));
    const IndexVec<float> bits = bitsAs<IndexVec<float>>(x);
    const IndexVec<float> special = (bits & 0x7F800000) == 0x7F800000;  // +inf or NaN
    IndexVec<float> out = bitsAs<IndexVec<float>>(y);
    out = special ? bitsAs<IndexVec<float>>(x + x) : out;
    out = bits == 0 ? splat(int(0xFF800000u)) : out;
    out = bits < 0 ? splat(int(0xFFC00000u)) : out;  // sign bit set: negative quiet NaN
    return bitsAs<Vec<float>>(out);
}

inline __attribute__((always_inline)) Vec<float> expBlock(Vec<float> x) {
    Vec<double> lo, hi;
    widen(x, lo, hi);
    const Vec<float> y = narrow(expClamped(lo), expClamped(hi));
    const IndexVec<float> isNan = (bitsAs<IndexVec<float>>(x) & 0x7FFFFFFF) > 0x7F800000;
    return isNan ? x + x : y;
}

template <Vec<float> (*Block)(Vec<float>)>
void floatMap(const float* src, float* dst, int count) {
    constexpr int L = kLanes<float>;
    int i = 0;
    for (; i + L <= count; i += L) store(dst + i, Block(load(src + i)));
    if (i < count) storePartial(dst + i, Block(loadPartial(src + i, count - i)), count - i);
}

// ---- sums over 16 fixed partials ----

constexpr int kPartials = 16;
constexpr int kWide = kPartials / kLanes<double>;  // double registers holding the partials

struct PlainPartials {
    Vec<double> s[kWide] = {};
    inline __attribute__((always_inline)) void add(int q, Vec<double> x) { s[q] += x; }
    double total() const {
        double part[kPartials];
        std::memcpy(part, s, sizeof part);
        for (int width = kPartials / 2; width >= 1; width /= 2)
            for (int k = 0; k < width; ++k) part[k] += part[k + width];
        return part[0];
    }
};

// Each partial keeps its rounding errors (two-sum) in a second register.
struct CompensatedPartials {
    Vec<double> s[kWide] = {}, c[kWide] = {};
    inline __attribute__((always_inline)) void add(int q, Vec<double> x) {
        const Vec<double> t = s[q] + x;
        const Vec<double> back = t - s[q];
        c[q] += (s[q] - (t - back)) + (x - back);
        s[q] = t;
    }
    double total() const {
        double sum[kPartials], err[kPartials];
        std::memcpy(sum, s, sizeof sum);
        std::memcpy(err, c, sizeof err);
        double hi = 0, lo = 0, plain = 0;
        for (int k = 0; k < kPartials; ++k) {
            plain += sum[k];
            const double t = hi + sum[k];
            const double back = t - hi;
            lo += (hi - (t - back)) + (sum[k] - back) + err[k];
            hi = t;
        }
        // An infinity or NaN among the partials makes the error terms meaningless.
        if (!(plain - plain == 0)) return plain;
        return hi + lo;
    }
};

template <class T> struct PartialsFor;
template <> struct PartialsFor<float> { using type = PlainPartials; };
template <> struct PartialsFor<double> { using type = CompensatedPartials; };

struct Identity { inline __attribute__((always_inline)) Vec<double> operator()(Vec<double> x) const { return x; } };
struct Square { inline __attribute__((always_inline)) Vec<double> operator()(Vec<double> x) const { return x * x; } };
struct Magnitude {
    inline __attribute__((always_inline)) Vec<double> operator()(Vec<double> x) const {
        return bitsAs<Vec<double>>(bitsAs<IndexVec<double>>(x) & 0x7FFFFFFFFFFFFFFFll);
    }
};

// One block of 16 elements: the difference (or the element) in T, then the
// term in double, into the partial its index selects.
template <class T, bool kWithB, class Term, class Partials>
inline __attribute__((always_inline)) void feedBlock(const T* a, const T* b, Term term, Partials& acc) {
    constexpr int L = kLanes<T>;
    for (int j = 0; j < kPartials / L; ++j) {
        Vec<T> v = load(a + j * L);
        if constexpr (kWithB) v = v - load(b + j * L);
        if constexpr (sizeof(T) == 4) {
            Vec<double> lo, hi;
            widen(v, lo, hi);
            acc.add(2 * j, term(lo));
            acc.add(2 * j + 1, term(hi));
        } else {
            acc.add(j, term(v));
        }
    }
}

template <class T, bool kWithB, class Term>
double sumTerms(const T* a, const T* b, int count, Term term) {
    typename PartialsFor<T>::type acc;
    int i = 0;
    for (; i + kPartials <= count; i += kPartials) feedBlock<T, kWithB>(a + i, b + i * kWithB, term, acc);
    if (i < count) {
        T ta[kPartials] = {}, tb[kPartials] = {};  // zeros add nothing to the partials
        std::memcpy(ta, a + i, sizeof(T) * unsigned(count - i));
        if constexpr (kWithB) std::memcpy(tb, b + i, sizeof(T) * unsigned(count - i));
        feedBlock<T, kWithB>(ta, tb, term, acc);
    }
    return acc.total();
}

template <class T, class Term>
double sumOf(const T* a, const T* b, int count, Term term) {
    return b ? sumTerms<T, true>(a, b, count, term) : sumTerms<T, false>(a, b, count, term);
}

// Largest |a - b| by the bit pattern of the magnitude, so NaN patterns win over infinities.
template <class T, bool kWithB>
T maxMagnitudeLoop(const T* a, const T* b, int count) {
    using I = typename LaneIndex<T>::type;
    constexpr int L = kLanes<T>;
    constexpr I kMagnitude = ~(I(1) << (8 * sizeof(T) - 1));
    IndexVec<T> best{};
    int i = 0;
    for (; i < count; i += L) {
        const int lanes = count - i < L ? count - i : L;
        Vec<T> v = lanes == L ? load(a + i) : loadPartial(a + i, lanes);
        if constexpr (kWithB) v = v - (lanes == L ? load(b + i) : loadPartial(b + i, lanes));
        const IndexVec<T> m = bitsAs<IndexVec<T>>(v) & kMagnitude;
        best = m > best ? m : best;
    }
    I top = 0;
    for (int k = 0; k < L; ++k) top = best[k] > top ? best[k] : top;
    return __builtin_bit_cast(T, top);
}

template <class T>
T maxMagnitude(const T* a, const T* b, int count) {
    return b ? maxMagnitudeLoop<T, true>(a, b, count) : maxMagnitudeLoop<T, false>(a, b, count);
}

template <class T>
constexpr vok::kernels::ElementwiseOps<T> makeOps() {
    return {
        sqrtLoop<T>,
        [](const T* a, int c) { return sumOf<T>(a, nullptr, c, Identity{}); },
        [](const T* a, int c) { return sumOf<T>(a, nullptr, c, Square{}); },
        maxMagnitude<T>,
        [](const T* a, const T* b, int c) { return sumOf<T>(a, b, c, Magnitude{}); },
        [](const T* a, const T* b, int c) { return sumOf<T>(a, b, c, Square{}); },
    };
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const ElementwiseTable VOK_KERNEL_TABLE(elementwise) = {
    simd::VOK_ISA::makeOps<float>(),
    simd::VOK_ISA::makeOps<double>(),
    simd::VOK_ISA::floatMap<simd::VOK_ISA::lnBlock>,
    simd::VOK_ISA::floatMap<simd::VOK_ISA::expBlock>,
};
}
