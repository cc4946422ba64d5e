// Direct linear convolution of real data, vectorised over the outputs: each
// lane of a register is one output, summed over the taps of the short operand
// in ascending order, so the result is the same at every width. Float data is
// accumulated in double (its products are exact there) and rounded once. The
// correlation sums of float data run the same way over the lags.
#pragma once

#include "kernels/dispatch.h"

namespace vok::kernels {

template <class T>
struct ConvOps {
    // y[i] = Σ_j sht[j]·lng[i-j] for every i < nL + nS - 1 (terms outside
    // lng left out); nL >= nS >= 1. y is written, not accumulated into.
    void (*direct)(const T* lng, long long nL, const T* sht, long long nS, T* y);
};

// Correlation sums of float data, vectorised over the lags: each lane is one
// lag, summed over the elements of a in ascending order in double (float
// products are exact there) and rounded once, so the result is the same at
// every width. Complex arrays are passed as (re, im) float pairs, lengths
// count elements. r[i] = Σ_n conj(a[n])·b[n + first + i] for i < count, over
// the n where b[n + first + i] exists (an empty sum is zero).
using CorrLagsKernel = void (*)(const float* a, long long lenA, const float* b, long long lenB, float* r,
                                long long first, long long count);
using CorrLagsDoubleKernel = void (*)(const double* a, long long lenA, const double* b, long long lenB, double* r,
                                      long long first, long long count);
struct CorrOps {
    CorrLagsKernel real;           // real a, real b
    CorrLagsKernel complex;        // complex a, complex b
    CorrLagsKernel realByComplex;  // real a, complex b
    CorrLagsKernel complexByReal;  // complex a, real b
    // Double data, each lag summed with the exact rounding error of every
    // product and addition carried along (about 106 significant bits), which
    // needs the products clear of overflow and underflow: every nonzero
    // magnitude within [2^-450, 2^450].
    CorrLagsDoubleKernel realDouble;             // real a, real b
    CorrLagsDoubleKernel complexDouble;          // complex a, complex b
    CorrLagsDoubleKernel realByComplexDouble;    // real a, complex b
};

struct ConvTable {
    ConvOps<float> s;
    ConvOps<double> d;
    CorrOps corr;
};

extern const ConvTable conv_sse2, conv_avx2, conv_avx512;

inline const ConvTable& conv() { return simd::select(conv_sse2, conv_avx2, conv_avx512); }

inline const CorrOps& corrOps() { return conv().corr; }

template <class T>
const ConvOps<T>& convOps();
template <>
inline const ConvOps<float>& convOps<float>() { return conv().s; }
template <>
inline const ConvOps<double>& convOps<double>() { return conv().d; }

}  // namespace vok::kernels
