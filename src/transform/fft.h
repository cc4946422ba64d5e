// Internal interface of the FFTs for the other transform, convolution and
// correlation modules. Nothing here reports: functions that can fail return
// VOK_StatusNoMemory (tables or work memory could not be built) or
// VOK_StatusOk, and the caller reports under its own name.
//
// Orders are 0 ... 31 (N = 2^order); callers check them. Tables are the
// calling thread's and are built on first use, so a transform of an order
// allocates nothing after its first call.
#pragma once

#include "vok/types.h"

namespace vok {

// ---- complex FFT, interleaved, in place, natural order in and out ----
// Forward: X[k] = sum x[n] exp(-2πi nk/N). Inverse: the + sign, then 1/N when
// scaleInverse is set.
int fftComplex(FloatComplex* data, int order, bool forward, bool scaleInverse);
int fftComplex(DoubleComplex* data, int order, bool forward, bool scaleInverse);
// The same from in to out (in may be out).
int fftComplex(const FloatComplex* in, FloatComplex* out, int order, bool forward, bool scaleInverse);
int fftComplex(const DoubleComplex* in, DoubleComplex* out, int order, bool forward, bool scaleInverse);

// ---- real FFT through the CCS layout (N + 2 reals: R0, 0, R1, I1, ..., R(N/2), 0) ----
// Forward real transform of in[0 .. N-1] into ccs[0 .. N+1], unscaled. in and
// ccs may be the same array (of N + 2 elements).
int fftRealToCcs(const float* in, float* ccs, int order);
int fftRealToCcs(const double* in, double* ccs, int order);
// Inverse: the real signal out[0 .. N-1] of the conjugate-symmetric spectrum
// ccs[0 .. N+1], times 1/N when scale is set. May run in place.
int fftCcsToReal(const float* ccs, float* out, int order, bool scale);
int fftCcsToReal(const double* ccs, double* out, int order, bool scale);

// Builds (or finds) the tables the transforms above need for this order.
template <class R>
int fftPrepare(int order);
template <>
int fftPrepare<float>(int order);
template <>
int fftPrepare<double>(int order);

// ---- twiddle tables of the thread (entry k = (cos 2πk/N, -sin 2πk/N)) ----
// The same tables as vok{c,z,v}GetDftTwdTbl, without reports: null when memory
// is short or the list of the kind is full.
FloatComplex* dftTwiddlesC(int length);
DoubleComplex* dftTwiddlesZ(int length);
ShortComplex* dftTwiddlesV(int length);

// A work slot (0 ... 3) of the thread with room for n complex floats; null on
// failure. The integer FFTs use slots 1 and 2, the DFT slot 1, the split
// complex FFTs slot 3.
FloatComplex* workBuffer(int slot, int n);

// ---- release (used by the Free functions and after table failures) ----
void releaseInternalFftTables(int precision);  // kSingle or kDouble of frame/context.h
void releaseSwapTables();
// The swap table of an order >= 2 (cached; null when memory is short).
const int* swapTable(int order);

}  // namespace vok
