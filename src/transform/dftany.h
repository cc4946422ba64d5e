// Internal DFT of any length for the other transform modules. Nothing here
// reports; the caller reports under its own name.
#pragma once

#include "vok/types.h"

namespace vok {

// Unscaled forward (or inverse, + sign) DFT of n points; src may equal dst.
// false when tables or work memory cannot be had (nothing written then).
bool dftAnyLength(const DoubleComplex* src, DoubleComplex* dst, int n, bool forward);

}  // namespace vok
