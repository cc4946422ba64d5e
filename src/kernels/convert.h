// Float or double to 8, 16 or 32-bit integer conversion in whole registers. A kernel
// stops at the first register holding a value of magnitude 2^31 or more (or
// NaN) and returns how many elements it converted; the caller converts the
// rest of that register one element at a time and calls it again.
#pragma once

#include "kernels/dispatch.h"

namespace vok::kernels {

// rounding: 0 nearest (ties to even), 1 toward zero, 2 down, 3 up. lo and hi
// bound the destination type (hi at most 2^31 - 1); clip saturates to them,
// otherwise the low bits are kept. allFit is cleared when a value lay outside.
struct ConvertTable {
    int (*floatToInt)(const float* src, void* dst, int n, float scale, int bits, int rounding, bool clip, int lo,
                      int hi, bool& allFit);
    int (*doubleToInt)(const double* src, void* dst, int n, double scale, int bits, int rounding, bool clip, int lo,
                       int hi, bool& allFit);
    int floatLanes, doubleLanes;  // elements per register
};

extern const ConvertTable convert_sse2, convert_avx2, convert_avx512;

inline const ConvertTable& convertKernels() { return simd::select(convert_sse2, convert_avx2, convert_avx512); }

}  // namespace vok::kernels
