/** @file
 * @brief Convolution, correlation and resampling: see @ref convolution. */
/** @defgroup convolution Convolution, correlation and resampling
 * vokx1 one-dimensional convolution, correlation and dot products (modules vokconvs, vokconvd, vokconvw, vokcorr, vokcorrw, vokdotp, vokdotpw).
 *
 * Linear convolution, cross- and autocorrelation over a range of lags, and dot
 * products; all work on caller arrays and allocate only internally.
 * @par Example
 * @code
 * float x[100], h[8], y[107];                   // y holds xLen + hLen - 1 values
 * voksConv(x, 100, h, 8, y);
 * float r[21];
 * voksCrossCorr(x, 100, h, 8, r, -10, 10);      // lags -10 ... 10
 * @endcode
 * @{ */
#ifndef VOK_CONVOLUTION_H
#define VOK_CONVOLUTION_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/** @name Convolution */
///@{
/** Convolution (modules vokconvs, vokconvd, vokconvw)
 * Full linear convolution y[n] = sum over k of x[k]·h[n-k], n < xLen + hLen - 1;
 * y is complex when either operand is (first letter: x's type, second: h's).
 * Each call picks direct sums, one fast convolution through a single
 * transform, or sectioned (overlap-save) fast convolution by a cost model;
 * the result is the same up to rounding. Direct sums are in extended
 * precision. The float and double forms return the status (0 or negative).
 * Failures: every check runs, VOK_StatusBadArg, nothing written: "x==0",
 * "xLen<=0", "h==0", "hLen<=0", "y==0"; a work array that cannot be taken:
 * VOK_StatusNoMemory "NULL Pointer" under the method's name (voksConv1,
 * voksConvm, ...), then a backtrace under the exported name.
 * vokwConv converts x and h exactly to float, runs voksConv and brings the
 * result back with scaleMode and *scaleFactor; float copies that cannot be
 * made: "NULL pointer to float copy x" / "... h" / "... y" (VOK_StatusNoMemory). */
VOK_API int VOK_CALL voksConv(const float* x, int xLen, const float* h, int hLen, float* y);
VOK_API int VOK_CALL vokcConv(const FloatComplex* x, int xLen, const FloatComplex* h, int hLen, FloatComplex* y);
VOK_API int VOK_CALL vokcsConv(const FloatComplex* x, int xLen, const float* h, int hLen, FloatComplex* y);
VOK_API int VOK_CALL vokscConv(const float* x, int xLen, const FloatComplex* h, int hLen, FloatComplex* y);
VOK_API int VOK_CALL vokdConv(const double* x, int xLen, const double* h, int hLen, double* y);
VOK_API int VOK_CALL vokzConv(const DoubleComplex* x, int xLen, const DoubleComplex* h, int hLen, DoubleComplex* y);
VOK_API int VOK_CALL vokzdConv(const DoubleComplex* x, int xLen, const double* h, int hLen, DoubleComplex* y);
VOK_API int VOK_CALL vokdzConv(const double* x, int xLen, const DoubleComplex* h, int hLen, DoubleComplex* y);
VOK_API void VOK_CALL vokwConv(const short* x, int xLen, const short* h, int hLen, short* y, int scaleMode, int* scaleFactor);
///@}

/** @name Correlation */
///@{
/** Correlation (module vokcorr)
 * Cross-correlation r[k] = sum over n of conj(srcA[n])·srcB[n+k] (terms outside
 * either sequence are zero; conjugation only for complex srcA) for the lags
 * loLag..hiLag, written to dst[0..hiLag-loLag]; lags may be negative. The
 * first letter is the type of srcA, the second that of srcB; dst is complex
 * when either is. Sums are in extended precision (double for float data, long
 * double for double data) and rounded once.
 * Autocorrelation for lags 0..nLags-1 with norm 0 (raw sums), 1 (divided by
 * len) or 2 (divided by len - k); other norms leave the raw sums.
 * Failures (VOK_StatusBadArg, nothing written, checked in this order):
 * "Null SRC buffer pointer" (srcA, then srcB / src), "Null DST buffer pointer",
 * "Invalid SRC buffer length" (lenA, then lenB / len), "Invalid LAG value"
 * (loLag > hiLag; nLags outside 1..len). */
VOK_API void VOK_CALL voksCrossCorr(const float* srcA, int lenA, const float* srcB, int lenB, float* dst, int loLag, int hiLag);
VOK_API void VOK_CALL vokdCrossCorr(const double* srcA, int lenA, const double* srcB, int lenB, double* dst, int loLag, int hiLag);
VOK_API void VOK_CALL vokcCrossCorr(const FloatComplex* srcA, int lenA, const FloatComplex* srcB, int lenB, FloatComplex* dst, int loLag, int hiLag);
VOK_API void VOK_CALL vokzCrossCorr(const DoubleComplex* srcA, int lenA, const DoubleComplex* srcB, int lenB, DoubleComplex* dst, int loLag, int hiLag);
VOK_API void VOK_CALL vokscCrossCorr(const float* srcA, int lenA, const FloatComplex* srcB, int lenB, FloatComplex* dst, int loLag, int hiLag);
VOK_API void VOK_CALL vokcsCrossCorr(const FloatComplex* srcA, int lenA, const float* srcB, int lenB, FloatComplex* dst, int loLag, int hiLag);
VOK_API void VOK_CALL vokdzCrossCorr(const double* srcA, int lenA, const DoubleComplex* srcB, int lenB, DoubleComplex* dst, int loLag, int hiLag);
VOK_API void VOK_CALL vokzdCrossCorr(const DoubleComplex* srcA, int lenA, const double* srcB, int lenB, DoubleComplex* dst, int loLag, int hiLag);
VOK_API void VOK_CALL voksAutoCorr(const float* src, int len, float* dst, int nLags, int norm);
VOK_API void VOK_CALL vokdAutoCorr(const double* src, int len, double* dst, int nLags, int norm);
VOK_API void VOK_CALL vokcAutoCorr(const FloatComplex* src, int len, FloatComplex* dst, int nLags, int norm);
VOK_API void VOK_CALL vokzAutoCorr(const DoubleComplex* src, int len, DoubleComplex* dst, int nLags, int norm);
///@}

/** @name 16-bit correlation */
///@{
/** 16-bit correlation (module vokcorrw)
 * As the float forms, computed on exact float copies of the 16-bit data; the
 * results are brought back to 16 bits with scaleMode and *scaleFactor (one
 * factor for the whole result; VOK_AUTO_SCALE writes it back). After the float
 * forms' checks: "Null scale factor pointer" (VOK_AUTO_SCALE with a null
 * scaleFactor); "Allocation failure" (VOK_StatusNoMemory) when a float copy
 * cannot be made. The first letter is srcA's type, the second srcB's. */
VOK_API void VOK_CALL vokwCrossCorr(const short* srcA, int lenA, const short* srcB, int lenB, short* dst, int loLag, int hiLag, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvCrossCorr(const ShortComplex* srcA, int lenA, const ShortComplex* srcB, int lenB, ShortComplex* dst, int loLag, int hiLag, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwvCrossCorr(const short* srcA, int lenA, const ShortComplex* srcB, int lenB, ShortComplex* dst, int loLag, int hiLag, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvwCrossCorr(const ShortComplex* srcA, int lenA, const short* srcB, int lenB, ShortComplex* dst, int loLag, int hiLag, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwAutoCorr(const short* src, int len, short* dst, int nLags, int norm, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvAutoCorr(const ShortComplex* src, int len, ShortComplex* dst, int nLags, int norm, int scaleMode, int* scaleFactor);
///@}

/** @name Dot products */
///@{
/** Dot products (module vokdotp)
 * sum of a[i]·b[i] over i < len, no conjugation, accumulated in extended
 * precision four terms per step; the first letter is the type of a. len 0
 * gives zero. Failures (VOK_StatusBadArg, result zero): "Null buffer pointer"
 * (a, then b), "Invalid value" (len < 0). */
VOK_API float VOK_CALL voksDotProd(const float* a, const float* b, int len);
VOK_API double VOK_CALL vokdDotProd(const double* a, const double* b, int len);
VOK_API FloatComplex VOK_CALL vokcDotProd(const FloatComplex* a, const FloatComplex* b, int len);
VOK_API DoubleComplex VOK_CALL vokzDotProd(const DoubleComplex* a, const DoubleComplex* b, int len);
VOK_API FloatComplex VOK_CALL vokscDotProd(const float* a, const FloatComplex* b, int len);
VOK_API FloatComplex VOK_CALL vokcsDotProd(const FloatComplex* a, const float* b, int len);
VOK_API DoubleComplex VOK_CALL vokdzDotProd(const double* a, const DoubleComplex* b, int len);
VOK_API DoubleComplex VOK_CALL vokzdDotProd(const DoubleComplex* a, const double* b, int len);
///@}

/** @name 16-bit dot products */
///@{
/** 16-bit dot products (module vokdotpw)
 * The exact sum of the products, saturated to 32 bits, brought back to 16 bits
 * with scaleMode and *scaleFactor (complex forms: both components with one
 * factor). Failures as the float forms, then "Null scale factor pointer"
 * (VOK_AUTO_SCALE with a null scaleFactor); the result is then zero. */
VOK_API short VOK_CALL vokwDotProd(const short* a, const short* b, int len, int scaleMode, int* scaleFactor);
VOK_API ShortComplex VOK_CALL vokvDotProd(const ShortComplex* a, const ShortComplex* b, int len, int scaleMode, int* scaleFactor);
VOK_API ShortComplex VOK_CALL vokwvDotProd(const short* a, const ShortComplex* b, int len, int scaleMode, int* scaleFactor);
VOK_API ShortComplex VOK_CALL vokvwDotProd(const ShortComplex* a, const short* b, int len, int scaleMode, int* scaleFactor);
///@}

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_CONVOLUTION_H */
