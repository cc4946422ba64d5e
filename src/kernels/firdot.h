// Block FIR kernels: many consecutive outputs of one filter branch at once,
// one output per lane, so each tap is loaded once for a whole register block
// of outputs and every output still sums its terms in the scalar order
// (tap 0 first) in double. The result is bit-identical at every width and to
// the scalar accumulators of src/filter/fir.h.
//
// The data of tap j for output t is data[t - j] at single rate (the delay
// line in time order), data[t + offsets[j]] when offsets is given: a
// decimating branch reads its inputs deinterleaved into one stream per tap
// residue, and offsets[j] finds tap j's stream.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kernels/dispatch.h"

namespace vok::kernels {

// Data, taps and outputs are passed as float lanes (complex elements are two
// adjacent lanes, re then im); positions, strides and offsets count elements.
using FirDotKernel = void (*)(const float* taps, std::ptrdiff_t tapStride, int count, const float* data,
                              const int* offsets, float* out, std::ptrdiff_t outStride, int n);

// out[t * outStride] = round(sum_j taps[j * tapStride] * x_j[t]) for t in [0, n), the
// products and the sum in double, complex products as (ac - bd, ad + bc).
struct FirDotTable {
    FirDotKernel realFloat;       // float data, float taps
    FirDotKernel complexFloat;    // complex data, complex taps
    FirDotKernel complexByReal;   // complex data, float taps
    FirDotKernel realByComplex;   // float data, complex taps
    // 16-bit data, float taps: each sum rounded to the nearest 32-bit integer
    // (ties to even) and saturated.
    void (*shortByReal)(const float* taps, std::ptrdiff_t tapStride, int count, const short* data, const int* offsets,
                        std::int32_t* out, std::ptrdiff_t outStride, int n);
};

extern const FirDotTable firdot_sse2, firdot_avx2, firdot_avx512;

inline const FirDotTable& firdot() { return simd::select(firdot_sse2, firdot_avx2, firdot_avx512); }

}  // namespace vok::kernels
