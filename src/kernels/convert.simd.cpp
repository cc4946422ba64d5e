// Float to integer conversion, rounded by comparisons on the exact fraction that
// the truncating conversion leaves, so the caller's rounding mode never enters.
#include "kernels/simd.h"
#include "kernels/convert.h"

#include <cstdint>
#include <immintrin.h>

VOK_SIMD_BEGIN

namespace {

template <class F> using VI = IndexVec<F>;
template <class F, class I, int Bytes>
struct NarrowOf {
    typedef I type __attribute__((vector_size(kLanes<F> * Bytes)));
};

// True when every lane of a comparison mask is set: one movemask per register
// (a loop over the lanes would cost a reduction per register).
template <class F>
inline __attribute__((always_inline)) bool allSet(VI<F> mask) {
#if VOK_VECTOR_BYTES == 64
    __m512i m;
    std::memcpy(&m, &mask, sizeof m);
    if constexpr (sizeof(F) == 4) return _mm512_movepi32_mask(m) == 0xFFFF;
    else return _mm512_movepi64_mask(m) == 0xFF;
#elif VOK_VECTOR_BYTES == 32
    __m256i m;
    std::memcpy(&m, &mask, sizeof m);
    if constexpr (sizeof(F) == 4) return _mm256_movemask_ps(_mm256_castsi256_ps(m)) == 0xFF;
    else return _mm256_movemask_pd(_mm256_castsi256_pd(m)) == 0xF;
#else
    __m128i m;
    std::memcpy(&m, &mask, sizeof m);
    if constexpr (sizeof(F) == 4) return _mm_movemask_ps(_mm_castsi128_ps(m)) == 0xF;
    else return _mm_movemask_pd(_mm_castsi128_pd(m)) == 0x3;
#endif
}

#if VOK_VECTOR_BYTES >= 32
// AVX and AVX-512 round to an integral value under a mode named in the
// instruction itself, so the caller's rounding mode never enters here either.
template <class F, int Rounding>
inline __attribute__((always_inline)) Vec<F> roundIntegral(Vec<F> y) {
    constexpr int kMode = (Rounding == 0   ? _MM_FROUND_TO_NEAREST_INT
                           : Rounding == 1 ? _MM_FROUND_TO_ZERO
                           : Rounding == 2 ? _MM_FROUND_TO_NEG_INF
                                           : _MM_FROUND_TO_POS_INF) |
                          _MM_FROUND_NO_EXC;
#if VOK_VECTOR_BYTES == 64
    // All-lanes masked forms: GCC 12's unmasked ones read an uninitialised operand.
    if constexpr (sizeof(F) == 4) return Vec<F>(_mm512_maskz_roundscale_ps(__mmask16(0xFFFF), __m512(y), kMode));
    else return Vec<F>(_mm512_maskz_roundscale_pd(__mmask8(0xFF), __m512d(y), kMode));
#else
    if constexpr (sizeof(F) == 4) return Vec<F>(_mm256_round_ps(__m256(y), kMode));
    else return Vec<F>(_mm256_round_pd(__m256d(y), kMode));
#endif
}
#endif

template <class F, int Rounding>
inline __attribute__((always_inline)) VI<F> rounded(Vec<F> y) {
#if VOK_VECTOR_BYTES >= 32
    return __builtin_convertvector(roundIntegral<F, Rounding>(y), VI<F>);  // integral: exact
#else
    VI<F> t = __builtin_convertvector(y, VI<F>);  // toward zero
    const Vec<F> frac = y - __builtin_convertvector(t, Vec<F>);
    if constexpr (Rounding == 2) t += (frac < F(0));  // masks are -1 where true
    if constexpr (Rounding == 3) t -= (frac > F(0));
    if constexpr (Rounding == 0) {
        const VI<F> odd = (t & 1) != 0;
        t -= (frac > F(0.5)) | ((frac == F(0.5)) & odd);
        t += (frac < F(-0.5)) | ((frac == F(-0.5)) & odd);
    }
    return t;
#endif
}

template <class F, class I, int Bytes>
inline __attribute__((always_inline)) void storeNarrow(void* dst, int i, VI<F> t) {
    using N = typename NarrowOf<F, I, Bytes>::type;
    const N narrow = __builtin_convertvector(t, N);  // keeps the low bits
    std::memcpy(static_cast<char*>(dst) + std::size_t(i) * Bytes, &narrow, sizeof narrow);
}

template <class F, int Rounding, int Bits, bool Clip>
int convertAll(const F* src, void* dst, int n, F scale, int lo, int hi, bool& allFit) {
    constexpr int kL = kLanes<F>;
    using L = typename LaneIndex<F>::type;
    const Vec<F> vscale = splat(scale);
    const Vec<F> limit = splat(F(0x1p31));
    const VI<F> vlo = splat(L(lo)), vhi = splat(L(hi));
    VI<F> fit = splat(L(-1));
    int i = 0;
    for (; i + kL <= n; i += kL) {
        const Vec<F> y = load(src + i) * vscale;  // exact: the scale is a power of two
        if (!allSet<F>((y < limit) & (y > -limit))) break;
        VI<F> t = rounded<F, Rounding>(y);
        fit &= (t >= vlo) & (t <= vhi);
        if constexpr (Clip) t = t < vlo ? vlo : t > vhi ? vhi : t;
        if constexpr (Bits == 32) storeNarrow<F, int, 4>(dst, i, t);
        else if constexpr (Bits == 16) storeNarrow<F, short, 2>(dst, i, t);
        else storeNarrow<F, signed char, 1>(dst, i, t);
    }
    if (!allSet<F>(fit)) allFit = false;
    return i;
}

template <class F, int Rounding>
int byWidth(const F* src, void* dst, int n, F scale, int bits, bool clip, int lo, int hi, bool& allFit) {
    if (clip) {
        if (bits == 32) return convertAll<F, Rounding, 32, true>(src, dst, n, scale, lo, hi, allFit);
        if (bits == 16) return convertAll<F, Rounding, 16, true>(src, dst, n, scale, lo, hi, allFit);
        return convertAll<F, Rounding, 8, true>(src, dst, n, scale, lo, hi, allFit);
    }
    if (bits == 32) return convertAll<F, Rounding, 32, false>(src, dst, n, scale, lo, hi, allFit);
    if (bits == 16) return convertAll<F, Rounding, 16, false>(src, dst, n, scale, lo, hi, allFit);
    return convertAll<F, Rounding, 8, false>(src, dst, n, scale, lo, hi, allFit);
}

template <class F>
int floatToInt(const F* src, void* dst, int n, F scale, int bits, int rounding, bool clip, int lo, int hi,
               bool& allFit) {
    switch (rounding) {
    case 0: return byWidth<F, 0>(src, dst, n, scale, bits, clip, lo, hi, allFit);
    case 1: return byWidth<F, 1>(src, dst, n, scale, bits, clip, lo, hi, allFit);
    case 2: return byWidth<F, 2>(src, dst, n, scale, bits, clip, lo, hi, allFit);
    default: return byWidth<F, 3>(src, dst, n, scale, bits, clip, lo, hi, allFit);
    }
}

}  // namespace

VOK_SIMD_END

namespace vok::kernels {
const ConvertTable VOK_KERNEL_TABLE(convert) = {simd::VOK_ISA::floatToInt<float>, simd::VOK_ISA::floatToInt<double>,
                                                 simd::VOK_ISA::kLanes<float>, simd::VOK_ISA::kLanes<double>};
}
