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

#include "kernels/dispatch.h"

namespace vok::kernels {

struct FirDotTable {
    // out[t * outStride] = float(sum_j double(taps[j * tapStride]) * double(x_j[t])), t in [0, n).
    void (*realFloat)(const float* taps, std::ptrdiff_t tapStride, int count, const float* data, const int* offsets,
                      float* out, std::ptrdiff_t outStride, int n);
};

extern const FirDotTable firdot_sse2, firdot_avx2, firdot_avx512;

inline const FirDotTable& firdot() { return simd::select(firdot_sse2, firdot_avx2, firdot_avx512); }

}  // namespace vok::kernels
