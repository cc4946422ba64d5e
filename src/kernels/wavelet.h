// Inner sums of the periodic wavelet transforms. A level of either transform
// reduces to sums over runs: a run pairs every second tap of a filter with
// consecutive samples of one contiguous, already periodically extended row,
// stepping back one sample per tap,
//
//   run(i) = sum_{q < count} taps[2q] * row[i - q].
//
// The decimating filters are two runs over the even and odd halves of the
// deinterleaved band (the even and the odd taps); each output phase of the
// interpolating filters is one run over the approximation and one over the
// detail band. Every sum starts at zero, runs over the runs and their taps in
// order and is kept in double for both element types, then rounded once to T;
// the kernels vectorise over i with the taps broadcast, so every width gives
// the same bits.
#pragma once

#include <cstddef>

#include "kernels/dispatch.h"

namespace vok::kernels {

template <class T>
struct WaveletRun {
    const T* row;
    const T* taps;  // read with stride 2
    int count;
};

template <class T>
struct WaveletOps {
    // even[i] = src[2i], odd[i] = src[2i + 1], i < half.
    void (*deinterleave)(const T* src, T* even, T* odd, std::ptrdiff_t half);
    // dst[i] = runs[0](i) + runs[1](i), i < n.
    void (*decimate)(const WaveletRun<T>* runs, T* dst, std::ptrdiff_t n);
    // dst[2u] = even[0](u) + even[1](u), dst[2u + 1] = odd[0](u) + odd[1](u), u < n.
    void (*interpolate)(const WaveletRun<T>* even, const WaveletRun<T>* odd, T* dst, std::ptrdiff_t n);
};

struct WaveletTable {
    WaveletOps<float> s;
    WaveletOps<double> d;
};

extern const WaveletTable wavelet_sse2, wavelet_avx2, wavelet_avx512;

inline const WaveletTable& wavelet() { return simd::select(wavelet_sse2, wavelet_avx2, wavelet_avx512); }

template <class T>
const WaveletOps<T>& waveletOps();
template <>
inline const WaveletOps<float>& waveletOps<float>() { return wavelet().s; }
template <>
inline const WaveletOps<double>& waveletOps<double>() { return wavelet().d; }

}  // namespace vok::kernels
