// Passes of a mixed-radix (Stockham, decimation in frequency) FFT of any
// length N = r1·r2·…·rk. Data are interleaved complex lanes. A pass of radix r
// works on sub-transforms of length n = r·m, s of them side by side (s is the
// product of the radices of the passes before it, n·s = N):
//
//   a_j = in[q + s·(p + j·m)],  j < r,
//   out[q + s·(r·p + k)] = (sum_j a_j·w_r^{jk}) · W_n^{pk},   p < m, q < s,
//
// with w_r = exp(-2πi/r) and W_n = exp(-2πi/n) (their conjugates for the
// inverse). The passes read one array and write another, and the last one
// leaves the transform in natural order. Nothing is scaled.
//
// The tables come in the direction of the transform (W_n and w_r, or their
// conjugates for the inverse). twiddles holds, for p < m and k = 1 … r-1,
// W_n^{pk} as (re, im) pairs at 2·(p·(r-1) + k-1), or k-major at
// 2·((k-1)·m + p) in the first pass (s = 1); a short first pass
// (firstTwiddlesSpread) has them spread instead, (re, re) at 4·(k-1)·m + 2p
// and (-im, im) 2·m reals after. The pass with m = 1 needs none. roots holds
// w_r^i as (re, im) at 2i, i < r (radices 2, 4 and 8 need none). The kernels
// vectorise over q and run the same operations in the same order in every
// lane and at every width.
#pragma once

#include "kernels/dispatch.h"

namespace vok::kernels {

// Radices with their own butterflies: 2, 3, 4, 5, 7, 8, 11, 13 and the
// composites 6, 9, 10, 12, 15, 16, 20, 25 of them; any other odd radix below
// kMaxRadix runs the generic odd butterfly.
constexpr int kMaxRadix = 64;

// A short first pass keeps its twiddles spread, ready to multiply: twice the
// table, but no lane shuffles per butterfly.
constexpr bool firstTwiddlesSpread(int radix, long long m) { return m * (radix - 1) <= 512; }

template <class T>
struct MixFftOps {
    using Pass = void (*)(const T* in, T* out, int radix, long long m, long long s, const T* twiddles,
                          const T* roots, bool inverse);
    // The compiled pass for one shape, chosen once when a plan is made.
    Pass (*choose)(int radix, long long m, long long s);
};

struct MixFftTable {
    MixFftOps<float> s;
    MixFftOps<double> d;
};

extern const MixFftTable mixfft_sse2, mixfft_avx2, mixfft_avx512;

inline const MixFftTable& mixfft() { return simd::select(mixfft_sse2, mixfft_avx2, mixfft_avx512); }

// The passes for `points` sub-transforms side by side: the widest register
// they fill at least once, so that no load or store is partial (a last
// register overlaps the one before; every width gives the same bits, so
// passes of one transform may mix them).
template <class T>
const MixFftOps<T>& mixfftOps(long long points) {
    const auto pick = [](const MixFftTable& t) -> const MixFftOps<T>& {
        if constexpr (sizeof(T) == sizeof(float)) return t.s;
        else return t.d;
    };
    const simd::Isa isa = simd::active();
    const auto fills = [points](long long bytes) {
        const long long perRegister = bytes / (2 * (long long)sizeof(T));
        return points >= perRegister;
    };
    if (isa >= simd::kAvx512 && fills(64)) return pick(mixfft_avx512);
    if (isa >= simd::kAvx2 && fills(32)) return pick(mixfft_avx2);
    return pick(mixfft_sse2);
}

}  // namespace vok::kernels
