/** @file
 * @brief Two-dimensional convolution and filtering: see @ref conv2d. */
/** @defgroup conv2d Two-dimensional convolution and filtering
 * vokx1 two-dimensional convolution and filtering, up- and down-sampling (modules vokcnv2d, vokfir2, vokfir2w, voksampl).
 *
 * Two-dimensional convolution and filtering of row-major images, and up- and
 * down-sampling of signals by an integer factor with a phase that carries over
 * between calls.
 * @par Example
 * @code
 * float img[64 * 48], k3[9], out[66 * 50];
 * voksConv2D(img, 64, 48, k3, 3, 3, out);      // full convolution
 * int len = 0, phase = 0;
 * voksDownSample(sig, 1000, half, &len, 2, &phase);
 * @endcode
 * @{ */
#ifndef VOK_CONV2D_H
#define VOK_CONV2D_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/** @name Two-dimensional convolution */
///@{
/** Two-dimensional convolution (module vokcnv2d)
 * Row-major matrices; y has (xRows + hRows - 1) rows of (xCols + hCols - 1)
 * columns, y(p, q) = sum of x(i, j)·h(p - i, q - j). Small operands are summed
 * directly (extended precision), two single rows or columns go through the
 * one-dimensional convolution, larger ones through one cyclic convolution of
 * the whole matrices or sectioned (overlap-add) convolution, both by the
 * two-dimensional Hartley transform.
 * Failures (nothing written; the first failing check stops):
 * "\nNull pointer to data buffer\n", "\nBad value of data buffer size\n"
 * (VOK_StatusBadArg), "\nMemory allocation problem\n" (VOK_StatusNoMemory).
 * vokwConv2D sums small operands (one of them below 8 × 8) exactly in
 * integers, others in float; the result comes back under scaleMode and
 * *scaleFactor. */
VOK_API void VOK_CALL voksConv2D(const float* x, int xCols, int xRows, const float* h, int hCols, int hRows, float* y);
VOK_API void VOK_CALL vokdConv2D(const double* x, int xCols, int xRows, const double* h, int hCols, int hRows, double* y);
VOK_API void VOK_CALL vokwConv2D(const short* x, int xCols, int xRows, const short* h, int hCols, int hRows, short* y, int scaleMode, int* scaleFactor);
///@}

/** @name Two-dimensional filtering */
///@{
/** Two-dimensional filtering (modules vokfir2, vokfir2w)
 * dst (rows × cols) is the full convolution of src with taps taken at
 * (r + tapRows/2, c + tapCols/2): odd kernels are centred. Direct sums or block
 * transforms, whichever an operation count finds cheaper (the direct sums
 * also when the transform's work arrays cannot be taken). taps is only read.
 * Failures (VOK_StatusBadArg, nothing written, the first failing check stops):
 * "Null SRC buffer pointer" (src or taps), "Null DST buffer pointer",
 * "Invalid number of cols" (cols), "Inlalid number of rows" (rows), then the
 * same two texts for tapCols and tapRows. vokwFilter2D then reports "Null scale
 * factor pointer" and "Allocation failure" (VOK_StatusNoMemory); it turns the
 * float taps into 16-bit fixed-point numbers with one count of fractional bits
 * and sums exactly before bringing the results back to 16 bits. */
VOK_API void VOK_CALL voksFilter2D(const float* src, int cols, int rows, const float* taps, int tapCols, int tapRows, float* dst);
VOK_API void VOK_CALL vokdFilter2D(const double* src, int cols, int rows, const double* taps, int tapCols, int tapRows, double* dst);
VOK_API void VOK_CALL vokwFilter2D(const short* src, int cols, int rows, const float* taps, int tapCols, int tapRows, short* dst, int scaleMode, int* scaleFactor);
///@}

/** @name Up- and down-sampling */
///@{
/** Up- and down-sampling (module voksampl)
 * UpSample: dst[k*factor + *phase] = src[k], zeros elsewhere, *dstLen = factor*srcLen;
 * dst may be src (it must hold factor*srcLen elements); the phase is only read.
 * DownSample: takes src[*phase], src[*phase + factor], ... into dst, sets *dstLen to
 * their number and *phase to the phase that continues in the next block. */
VOK_API void VOK_CALL voksUpSample(const float* src, int srcLen, float* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokcUpSample(const FloatComplex* src, int srcLen, FloatComplex* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokdUpSample(const double* src, int srcLen, double* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokzUpSample(const DoubleComplex* src, int srcLen, DoubleComplex* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokwUpSample(const short* src, int srcLen, short* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokvUpSample(const ShortComplex* src, int srcLen, ShortComplex* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL voksDownSample(const float* src, int srcLen, float* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokcDownSample(const FloatComplex* src, int srcLen, FloatComplex* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokdDownSample(const double* src, int srcLen, double* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokzDownSample(const DoubleComplex* src, int srcLen, DoubleComplex* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokwDownSample(const short* src, int srcLen, short* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokvDownSample(const ShortComplex* src, int srcLen, ShortComplex* dst, int* dstLen, int factor, int* phase);
///@}

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_CONV2D_H */
