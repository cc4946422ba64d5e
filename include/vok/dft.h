/* vokx1 integer FFT, DFT, Goertzel and DCT (modules vokfftw, vokdft, vokgrtzl, vokgrtzw, vokdct). */
#ifndef VOK_DFT_H
#define VOK_DFT_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/* ---- DCT (module vokdct) ----
 * Orthonormal DCT-II of any length >= 1 with VOK_Forw (1), its inverse, the
 * orthonormal DCT-III, with VOK_Inv (2); exactly one of the two bits must be
 * set, other bits are ignored. src is read before dst is written, so src may
 * equal dst. Power-of-two lengths take a recursive fast path, other lengths a
 * direct sum over a cosine table; sums are in double precision.
 * Failures (nothing written): "\nNull pointer to data buffer\n",
 * "\nBad value of data buffer size\n", "\nBad value of the transform flag\n"
 * (VOK_StatusBadArg), "\nMemory allocation problem\n" (VOK_StatusNoMemory, also
 * when a table cannot be built).
 * Tables: each thread keeps its own cosine and secant tables, so concurrent
 * transforms of different lengths on different threads are safe; flags equal
 * to 8 (VOK_Free) release the calling thread's tables, and thread exit does.
 * vokwDct transforms in float and rounds to the nearest 16-bit value (ties to
 * even) with saturation; it takes no scale mode. */
VOK_API void VOK_CALL voksDct(const float* src, float* dst, int length, int flags);
VOK_API void VOK_CALL vokdDct(const double* src, double* dst, int length, int flags);
VOK_API void VOK_CALL vokwDct(const short* src, short* dst, int length, int flags);

VOK_EXTERN_C_END

#endif /* VOK_DFT_H */
