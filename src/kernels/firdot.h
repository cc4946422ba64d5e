// Block FIR kernels: many consecutive outputs of one filter branch at once,
// one output per lane, so each tap is loaded once for a whole register block
// of outputs and every output still sums its terms in the scalar order
// (tap 0 first) in double. The result is bit-identical at every width and to
// the scalar accumulators of src/filter/fir.h.
//
// The data of tap j for output t is data[t - j] at single rate (the delay
// line in time order). A decimating branch reads its inputs deinterleaved
// into one stream per tap residue, the streams `stride` elements apart:
// tap j's data is data[t - (j % down) * stride - j / down], so the taps step
// from stream to stream and back by one input every `down` taps.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kernels/dispatch.h"

namespace vok::kernels {

// Where the taps find their data (see above).
struct Streams {
    int down;               // 1 at single rate
    std::ptrdiff_t stride;  // elements from one stream to the next
};
// The delay line of a single-rate branch.
inline constexpr Streams kOneLine{1, 0};

// Data, taps and outputs are passed as lanes of their real type (complex
// elements are two adjacent lanes, re then im); positions and strides count
// elements. DS, WS and OS are the lane types of data, taps and outputs.
//
// out[t * outStride] = round(sum_j taps[j * tapStride] * x_j[t]) for t in [0, n), the
// products and the sum in double, complex products as (ac - bd, ad + bc).
// Integer outputs are rounded to the nearest 32-bit integer (ties to even) and
// saturated.
template <class DS, class WS, class OS>
using FirDotKernel = void (*)(const WS* taps, std::ptrdiff_t tapStride, int count, const DS* data,
                              Streams streams, OS* out, std::ptrdiff_t outStride, int n);

// The four pairings of real and complex data and taps (outputs are complex
// when either is).
template <class DS, class WS, class OS>
struct FirDotPairings {
    FirDotKernel<DS, WS, OS> real;           // real data, real taps
    FirDotKernel<DS, WS, OS> complex;        // complex data, complex taps
    FirDotKernel<DS, WS, OS> complexByReal;  // complex data, real taps
    FirDotKernel<DS, WS, OS> realByComplex;  // real data, complex taps
};

// dst + (p - first) * dstStride receives elements p, p + down, p + 2 down, ...
// (count of them) of src, widened to double lanes, for every phase p in
// [first, down).
// The count * down elements from src must be readable. Positions and strides
// count elements (of `lanes` lanes each, two for complex data).
template <class S>
using DeinterleaveKernel = void (*)(const S* src, int lanes, int down, int first, int count, double* dst,
                                    std::ptrdiff_t dstStride);

// dst[i] = double(src[i]) for i in [0, count), count in lanes: a single-rate
// piece of float or 16-bit input widened once for the double kernels.
template <class S>
using WidenKernel = void (*)(const S* src, int count, double* dst);

struct FirDotTable {
    FirDotPairings<float, float, float> floats;    // single-precision data and taps
    FirDotPairings<double, double, double> doubles;  // double data and taps
    // Single-precision data deinterleaved into double streams, float taps.
    FirDotPairings<double, float, float> widened;
    FirDotKernel<short, float, std::int32_t> shortByReal;     // 16-bit data, float taps
    FirDotKernel<double, float, std::int32_t> widenedShort;   // 16-bit data in double streams
    DeinterleaveKernel<float> deinterleaveFloat;
    DeinterleaveKernel<double> deinterleaveDouble;
    DeinterleaveKernel<short> deinterleaveShort;
    WidenKernel<float> widenFloat;
    WidenKernel<short> widenShort;
};

extern const FirDotTable firdot_sse2, firdot_avx2, firdot_avx512;

inline const FirDotTable& firdot() { return simd::select(firdot_sse2, firdot_avx2, firdot_avx512); }

}  // namespace vok::kernels
