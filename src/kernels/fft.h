// FFT butterfly kernels. Data are interleaved complex lanes of N = 2^order
// points. The stage table of an order lists, for every radix-4 stage of span
// S (S = 1 or 2, then times 4 while 4S <= N), three runs of S complex
// twiddles W^2k, W^k, W^3k with W = exp(-2πi/4S): the factors of the second,
// third and fourth quarter of each block of 4S points. A run is 4S reals: the
// pairs (re, re) of its S twiddles, then the pairs (-im, im), so that a load
// of either is ready to multiply interleaved data; from span kPackedSpan on a
// run is the 2S reals (re, im) alone. Inverse transforms use the conjugates;
// no kernel scales.
#pragma once

#include "kernels/dispatch.h"

namespace vok::kernels {

template <class T>
struct FftOps {
    // Decimation in time: input in bit-reversed order, output natural.
    void (*dit)(T* x, int order, const T* stages, bool inverse);
    // Decimation in frequency: input natural, output bit-reversed.
    void (*dif)(T* x, int order, const T* stages, bool inverse);
    // Natural order in and out: src (or x itself when src is null or x) is
    // permuted into x on the way, so x may be the input or a separate array.
    void (*ditNatural)(const T* src, T* x, int order, const T* stages, bool inverse);
    // The recombination of a forward real transform of 2M points from the M
    // complex results of its half-length transform, for 0 < k < M/2, in place.
    // recomb[k-1] = (0.5 cos θ, 0.5 - 0.5 sin θ), θ = 2πk/2M. packed: pair k
    // goes to x[2k-1], x[2k] and Z_(M/2), conjugated, to x[M-1], x[M].
    void (*realForwardPost)(T* x, long long m, const T* recomb, bool packed);
    // The same for the inverse sign (conjugate twiddles; Z_(M/2) as it is).
    void (*realInversePost)(T* x, long long m, const T* recomb, bool packed);
    // The pre-processing of a spectrum-to-real transform of 2M points, for
    // 0 < k < M/2: from X_k and X_(M-k) the values 2 Z_k, 2 Z_(M-k) whose
    // half-length transform gives the signal, into x[2k], x[2k+1]. X_k is
    // in[2k-2], in[2k-1]: in is x + 2 or x + 1 (a packed spectrum) in place,
    // or the caller's spectrum where it lies, which saves a copy.
    // large[k] = W_2M^k; the forward direction uses the conjugates.
    void (*ccsPre)(const T* in, T* x, long long m, const T* large, bool inverse);
    // Split arrays to interleaved complex values and back, n values.
    void (*interleave)(const T* re, const T* im, T* x, long long n);
    void (*deinterleave)(const T* x, T* re, T* im, long long n);
    // A natural-order transform of split arrays (order >= 6) through the
    // interleaved work memory x, read from re, im in the first pass and
    // written to reOut, imOut (which may be re, im) by the last; scaled: by 1/N.
    void (*splitNatural)(const T* re, const T* im, T* x, T* reOut, T* imOut, int order, const T* stages,
                         bool inverse, bool scaled);
    // ditNatural through the work memory x (order >= 6), apart from src and
    // out: the first pass reads src, the last stage writes out, which may be
    // src. Spares the caller's misaligned array the split loads and stores.
    void (*ditNaturalTo)(const T* src, T* x, T* out, int order, const T* stages, bool inverse);
};

struct FftTable {
    FftOps<float> s;
    FftOps<double> d;
};

extern const FftTable fft_sse2, fft_avx2, fft_avx512;

inline const FftTable& fft() { return simd::select(fft_sse2, fft_avx2, fft_avx512); }

template <class T>
const FftOps<T>& fftOps();
template <>
inline const FftOps<float>& fftOps<float>() { return fft().s; }
template <>
inline const FftOps<double>& fftOps<double>() { return fft().d; }

// The kernels for one transform of 2^order points. A transform of at most 64
// float points has tile rows shorter than a 512-bit register, which the wide
// kernels would pad and copy; the 256-bit ones fit them exactly.
template <class T>
const FftOps<T>& fftOps(int order) {
    if constexpr (sizeof(T) == sizeof(float)) {
        if (order <= 6 && simd::active() == simd::kAvx512) return fft_avx2.s;
    }
    return fftOps<T>();
}

// Long stages read each twiddle once or a few times per pass; there half the
// bytes to fetch are worth more than the shuffles that the doubled form saves.
constexpr long long kPackedSpan = 256;
// Reals of the table of the stage of span s.
constexpr long long stageReals(long long s) { return s >= kPackedSpan ? 6 * s : 12 * s; }

// Reals of the stages of an order: where its first-pass twiddles start.
inline long long firstPassOffset(int order) {
    long long total = 0;
    const long long n = 1LL << order;
    for (long long s = (order & 1) ? 2 : 1; 4 * s <= n; s *= 4) total += stageReals(s);
    return total;
}
// After its stages, the table of an order of at least 3 repeats the twiddles
// of the stage of span 4 (even orders) or 2 (odd orders) that the
// natural-order first pass applies in every lane: per twiddle, its (re, re)
// pair across the widest register, then its (-im, im) pair. The first pass
// loads them instead of building them on every call.
constexpr int kWidestRegister = 64;
inline int firstPassTwiddles(int order) { return order < 3 ? 0 : (order & 1) ? 6 : 12; }

// Reals of the stage table of an order of element T (at least 2).
template <class T>
long long stageTableReals(int order) {
    const long long total =
        firstPassOffset(order) + 2LL * firstPassTwiddles(order) * (kWidestRegister / (long long)sizeof(T));
    return total > 0 ? total : 2;
}

}  // namespace vok::kernels
