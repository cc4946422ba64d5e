// Square roots, float logarithm and exponential, sums and norm pieces, written
// once for every width and both precisions.
#include <immintrin.h>

#include "kernels/simd.h"
#include "kernels/elementwise.h"

VOK_SIMD_BEGIN
namespace {

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

// Float lanes to double lanes, half a register at a time. SSE2 gets its own
// instructions: half registers of 8 bytes would go through memory.
inline __attribute__((always_inline)) void widen(Vec<float> v, Vec<double>& lo, Vec<double>& hi) {
#if VOK_VECTOR_BYTES == 16
    lo = _mm_cvtps_pd(v);
    hi = _mm_cvtps_pd(_mm_movehl_ps(v, v));
#else
    HalfFloatVec l, h;
    std::memcpy(&l, &v, sizeof l);
    std::memcpy(&h, reinterpret_cast<const char*>(&v) + sizeof l, sizeof h);
    lo = __builtin_convertvector(l, Vec<double>);
    hi = __builtin_convertvector(h, Vec<double>);
#endif
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

// ---- float logarithm and exponential ----
// Both work in float lanes: the polynomial cores (fitted by
// scripts/fit_float_lnexp.py) are good to 6e-9 relative, so the results
// stay within one ulp of the exact value; ln2 is split so that k ln2 is exact.

constexpr float kLn2High = 0.693359375f;         // 355/512: k * kLn2High is exact for |k| < 2^15
constexpr float kLn2Low = -2.12194440e-4f;       // ln2 - kLn2High

// ln x for positive finite x: x = m 2^e, m in [sqrt(1/2), sqrt(2)), f = m - 1,
// ln(1 + f) = f - f^2/2 + f^3 Q(f).
inline __attribute__((always_inline)) Vec<float> lnPositive(Vec<float> x) {
    const IndexVec<float> denormal = bitsAs<IndexVec<float>>(x) < 0x00800000;
    const Vec<float> scaled = denormal ? x * 8388608.0f : x;  // 2^23 lifts denormals
    const IndexVec<float> bits = bitsAs<IndexVec<float>>(scaled);
    Vec<float> m = bitsAs<Vec<float>>((bits & 0x007FFFFF) | 0x3F800000);
    const IndexVec<float> big = m > 1.41421356f;
    m = big ? m * 0.5f : m;
    const IndexVec<float> e = (bits >> 23) - 127 - (denormal & 23) - big;  // masks are -1
    const Vec<float> ef = __builtin_convertvector(e, Vec<float>);
    const Vec<float> f = m - 1.0f, f2 = f * f, f4 = f2 * f2;
    const Vec<float> q01 = f * -2.500081956e-01f + 3.333333135e-01f, q23 = f * -1.662337035e-01f + 2.000122517e-01f,
                     q45 = f * -1.316010505e-01f + 1.420181394e-01f, q67 = f * -7.634153962e-02f + 1.276113540e-01f;
    const Vec<float> q = (q23 * f2 + q01) + (q67 * f2 + q45) * f4;
    const Vec<float> tail = (f * f2 * q - 0.5f * f2) + ef * kLn2Low;
    return ef * kLn2High + (f + tail);
}

// e^x for x clamped to [-104, 89] (beyond them the result is 0 or inf):
// x = k ln2 + r, |r| <= ln2/2, e^r = 1 + r + r^2/2 + r^3 P(r); 2^k is applied
// in two halves so that denormal results and k = 128 need no special case.
inline __attribute__((always_inline)) Vec<float> expClamped(Vec<float> x) {
    constexpr float kShifter = 12582912.0f;  // 1.5 * 2^23: adding it rounds to an integer
    x = x > 89.0f ? splat(89.0f) : x;
    x = x < -104.0f ? splat(-104.0f) : x;
    const Vec<float> t = x * 1.44269504f + kShifter;
    const Vec<float> k = t - kShifter;
    const Vec<float> r = (x - k * kLn2High) - k * kLn2Low;
    const IndexVec<float> ki = bitsAs<IndexVec<float>>(t) - bitsAs<int>(kShifter);
    const IndexVec<float> k1 = ki >> 1, k2 = ki - k1;
    const Vec<float> r2 = r * r;
    const Vec<float> poly = (r * 4.166723788e-02f + 1.666653454e-01f) + (r * 1.386372722e-03f + 8.367463015e-03f) * r2;
    const Vec<float> er = (r + (0.5f * r2 + r2 * r * poly)) + 1.0f;
    return (er * bitsAs<Vec<float>>((k1 + 127) << 23)) * bitsAs<Vec<float>>((k2 + 127) << 23);
}

inline __attribute__((always_inline)) Vec<float> lnBlock(Vec<float> x) {
    const IndexVec<float> bits = bitsAs<IndexVec<float>>(x);
    const IndexVec<float> special = (bits & 0x7F800000) == 0x7F800000;  // +inf or NaN
    IndexVec<float> out = bitsAs<IndexVec<float>>(lnPositive(x));
    out = special ? bitsAs<IndexVec<float>>(x + x) : out;
    out = bits == 0 ? splat(int(0xFF800000u)) : out;
    out = bits < 0 ? splat(int(0xFFC00000u)) : out;  // sign bit set: negative quiet NaN
    return bitsAs<Vec<float>>(out);
}

inline __attribute__((always_inline)) Vec<float> expBlock(Vec<float> x) {
    const IndexVec<float> isNan = (bitsAs<IndexVec<float>>(x) & 0x7FFFFFFF) > 0x7F800000;
    return isNan ? x + x : expClamped(x);
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
