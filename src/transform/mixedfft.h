// Mixed-radix FFT of any length whose prime factors are small, for the DFT.
// Nothing here reports. Plans (factors, twiddles, work areas) are the calling
// thread's, built on a length's first call and kept for the latest few
// lengths, so repeated calls of one length allocate nothing.
#pragma once

#include "vok/types.h"

namespace vok {

// Forward (or inverse, + sign) DFT of n points of src into dst, times scale;
// src may equal dst. false, with nothing written, when n has a prime factor
// too large for the passes or memory is short.
bool mixedRadixDft(const FloatComplex* src, FloatComplex* dst, int n, bool forward, double scale);
bool mixedRadixDft(const DoubleComplex* src, DoubleComplex* dst, int n, bool forward, double scale);

// Releases the thread's plans of one precision (kSingle or kDouble of frame/context.h).
void releaseMixedRadixPlans(int precision);

}  // namespace vok
