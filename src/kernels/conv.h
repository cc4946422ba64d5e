// Direct linear convolution of real data, vectorised over the outputs: each
// lane of a register is one output, summed over the taps of the short operand
// in ascending order, so the result is the same at every width. Float data is
// accumulated in double (its products are exact there) and rounded once.
#pragma once

#include "kernels/dispatch.h"

namespace vok::kernels {

template <class T>
struct ConvOps {
    // y[i] = Σ_j sht[j]·lng[i-j] for every i < nL + nS - 1 (terms outside
    // lng left out); nL >= nS >= 1. y is written, not accumulated into.
    void (*direct)(const T* lng, long long nL, const T* sht, long long nS, T* y);
};

struct ConvTable {
    ConvOps<float> s;
    ConvOps<double> d;
};

extern const ConvTable conv_sse2, conv_avx2, conv_avx512;

inline const ConvTable& conv() { return simd::select(conv_sse2, conv_avx2, conv_avx512); }

template <class T>
const ConvOps<T>& convOps();
template <>
inline const ConvOps<float>& convOps<float>() { return conv().s; }
template <>
inline const ConvOps<double>& convOps<double>() { return conv().d; }

}  // namespace vok::kernels
