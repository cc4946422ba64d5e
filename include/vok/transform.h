/** @file
 * @brief Transform flags, tables and FFTs: see @ref transform. */
/** @defgroup transform Transform flags, tables and FFTs
 * vokx1 transforms: flags, twiddle and bit-reversal tables, complex and real FFTs (modules vokmisc, voktwd, vokffts, vokfftd).
 *
 * Power-of-two FFTs: the order argument is log2 of the length (N = 2^order,
 * 0 <= order <= 31), so vokcFft(x, 10, ...) transforms 1024 points. For any other
 * length use the DFT of @ref dft (vokcDft, vokzDft). The flags word combines
 * VOK_Forw or VOK_Inv with the ordering and packing bits; VOK_Inv scales by 1/N
 * unless VOK_NoScale. Each thread caches the twiddle and bit-reversal tables it
 * has used; VOK_Init builds them ahead of time (no data touched, pointers may be
 * null) and VOK_Free, vok?FreeTwdTbls or the thread's exit release them.
 * @par Example
 * @code
 * FloatComplex x[1024];
 * vokcFft(NULL, 10, VOK_Forw | VOK_Init);       // optional: build the tables now
 * vokcFft(x, 10, VOK_Forw);                     // in place, natural order
 * vokcFft(x, 10, VOK_Inv);                      // back, scaled by 1/1024
 * vokcFft(NULL, 10, VOK_Forw | VOK_Free);       // release this order's tables
 * @endcode
 * @{ */
#ifndef VOK_TRANSFORM_H
#define VOK_TRANSFORM_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/** Transform flag word: or-ed bits of the flags argument */
#define VOK_Forw       1     /**< forward transform, exp(-2πi·nk/N) */
#define VOK_Inv        2     /**< inverse transform, exp(+2πi·nk/N), scaled by 1/N unless VOK_NoScale */
#define VOK_Init       4     /**< build (or find) the calling thread's tables for this order or length and return; data pointers may be null */
#define VOK_Free       8     /**< release the calling thread's cached tables of the transform (FFTs: of this order) and return */
#define VOK_NoScale    16    /**< no 1/N scale on the inverse */
#define VOK_NoBitRev   32    /**< input and output in natural order (also the default) */
#define VOK_InBitRev   64    /**< input already in bit-reversed order */
#define VOK_OutBitRev  128   /**< output left in bit-reversed order */
#define VOK_OutRCPack  256   /**< real forward transform: RCPack output */
#define VOK_OutRCPerm  512   /**< real forward transform: RCPerm output */
#define VOK_InRCPack   1024  /**< inverse of a real transform: RCPack input */
#define VOK_InRCPerm   4096  /**< inverse of a real transform: RCPerm input */

/** @name Bit reversal */
///@{
/** Bit reversal (module vokmisc)
 * Order m means N = 2^m elements, 0 <= m <= 31. Tables are cached per thread. */
VOK_API int VOK_CALL vokBitRev(int a, int order);
VOK_API void VOK_CALL vokCalcBitRevTbl(int* tbl, int order);
VOK_API int* VOK_CALL vokGetBitRevTbl(int order);
VOK_API void VOK_CALL vokFreeBitRevTbls(void);
VOK_API void VOK_CALL vokwbBitRev1(short* vec, int order);
VOK_API void VOK_CALL vokvbBitRev1(ShortComplex* vec, int order);
VOK_API void VOK_CALL voksbBitRev1(float* vec, int order);
VOK_API void VOK_CALL vokcbBitRev1(FloatComplex* vec, int order);
VOK_API void VOK_CALL vokdbBitRev1(double* vec, int order);
VOK_API void VOK_CALL vokzbBitRev1(DoubleComplex* vec, int order);
VOK_API void VOK_CALL vokwbBitRev2(const short* src, short* dst, int order);
VOK_API void VOK_CALL vokvbBitRev2(const ShortComplex* src, ShortComplex* dst, int order);
VOK_API void VOK_CALL voksbBitRev2(const float* src, float* dst, int order);
VOK_API void VOK_CALL vokcbBitRev2(const FloatComplex* src, FloatComplex* dst, int order);
VOK_API void VOK_CALL vokdbBitRev2(const double* src, double* dst, int order);
VOK_API void VOK_CALL vokzbBitRev2(const DoubleComplex* src, DoubleComplex* dst, int order);
///@}

/** @name Twiddle tables */
///@{
/** Twiddle tables (module voktwd)
 * Entry k of a table of length N is (cos 2πk/N, -sin 2πk/N); the v kind holds
 * them in Q14, truncated toward zero. Get returns the calling thread's cached
 * table (built on first use; never free it yourself), Calc fills a caller's
 * array. FFT tables are per order (N = 2^order, 0 <= order <= 31); DFT tables
 * are kept in one list per kind of at most 32 distinct lengths: the 33rd
 * distinct length fails with "Full Table" (VOK_StatusNoMemory, null returned)
 * while the existing tables stay valid. */
VOK_API FloatComplex* VOK_CALL vokcGetDftTwdTbl(int length);
VOK_API void VOK_CALL vokcCalcDftTwdTbl(FloatComplex* tbl, int length);
VOK_API FloatComplex* VOK_CALL vokcGetFftTwdTbl(int order);
VOK_API void VOK_CALL vokcCalcFftTwdTbl(FloatComplex* tbl, int order);
///@}
/** @name Release every table of the kind held by the calling thread */
///@{
/** Release every table of the kind held by the calling thread: the DFT list is
 * emptied (its 32 slots are free again), the FFT tables of all orders and the
 * swap tables go. vokcFreeTwdTbls also releases the internal single-precision
 * FFT tables and the work buffers, vokzFreeTwdTbls the double-precision ones.
 * Tables are rebuilt on next use; pointers obtained earlier become invalid. */
VOK_API void VOK_CALL vokcFreeTwdTbls(void);
VOK_API void VOK_CALL vokzFreeTwdTbls(void);
VOK_API void VOK_CALL vokvFreeTwdTbls(void);
///@}

/** @name Get and Calc for double-precision tables */
///@{
/** Get and Calc for double-precision tables. */
VOK_API DoubleComplex* VOK_CALL vokzGetDftTwdTbl(int length);
VOK_API void VOK_CALL vokzCalcDftTwdTbl(DoubleComplex* tbl, int length);
VOK_API DoubleComplex* VOK_CALL vokzGetFftTwdTbl(int order);
VOK_API void VOK_CALL vokzCalcFftTwdTbl(DoubleComplex* tbl, int order);
///@}
/** @name Get and Calc for Q14 16-bit tables */
///@{
/** Get and Calc for Q14 16-bit tables. */
VOK_API ShortComplex* VOK_CALL vokvGetDftTwdTbl(int length);
VOK_API void VOK_CALL vokvCalcDftTwdTbl(ShortComplex* tbl, int length);
VOK_API ShortComplex* VOK_CALL vokvGetFftTwdTbl(int order);
VOK_API void VOK_CALL vokvCalcFftTwdTbl(ShortComplex* tbl, int order);
///@}

/** @name Complex FFT */
///@{
/** Complex FFT (modules vokffts, vokfftd)
 * N = 2^order points (0 <= order <= 31), in place (vokcFft, vokzFft) or from
 * inSamps to outSamps (Nip), as interleaved complex elements or as separate real
 * and imaginary arrays (cr, zr). VOK_Forw: X[k] = sum x[n]·exp(-2πi·nk/N);
 * VOK_Inv: the + sign and the 1/N scale unless VOK_NoScale. VOK_InBitRev /
 * VOK_OutBitRev take or leave the data in bit-reversed order. VOK_Init builds the
 * calling thread's tables for the order and returns (data pointers may be null);
 * VOK_Free releases them and is tested before any other argument. Failures
 * (nothing written): a bad order, null pointers, conflicting or missing flags
 * (VOK_StatusBadArg), tables that cannot be allocated (VOK_StatusNoMemory). */
VOK_API void VOK_CALL vokcFft(FloatComplex* samps, int order, int flags);
VOK_API void VOK_CALL vokcFftNip(const FloatComplex* inSamps, FloatComplex* outSamps, int order, int flags);
VOK_API void VOK_CALL vokcrFft(float* reSamps, float* imSamps, int order, int flags);
VOK_API void VOK_CALL vokcrFftNip(const float* reInSamps, const float* imInSamps, float* reOutSamps, float* imOutSamps, int order, int flags);
VOK_API void VOK_CALL vokzFft(DoubleComplex* samps, int order, int flags);
VOK_API void VOK_CALL vokzFftNip(const DoubleComplex* inSamps, DoubleComplex* outSamps, int order, int flags);
VOK_API void VOK_CALL vokzrFft(double* reSamps, double* imSamps, int order, int flags);
VOK_API void VOK_CALL vokzrFftNip(const double* reInSamps, const double* imInSamps, double* reOutSamps, double* imOutSamps, int order, int flags);
///@}

/** @name Real FFT and packed spectra */
///@{
/** Real FFT and packed spectra (modules vokffts, vokfftd)
 * RCPack: R0, R1, I1, ..., R(N/2-1), I(N/2-1), R(N/2)
 * RCPerm: R0, R(N/2), R1, I1, ..., R(N/2-1), I(N/2-1)
 * CCS:    R0, 0, R1, I1, ..., R(N/2), 0 (N + 2 values)
 * RealFft / RealFftl take N real samples to a spectrum (CCS, or RCPack/RCPerm
 * chosen by VOK_OutRCPack / VOK_OutRCPerm); CcsFft / CcsFftl take a spectrum
 * (CCS, or VOK_InRCPack / VOK_InRCPerm) back to N real samples. VOK_Forw uses
 * exp(-2πi·nk/N), VOK_Inv exp(+2πi·nk/N) and the 1/N scale unless VOK_NoScale,
 * so CcsFft(VOK_Inv) inverts RealFft(VOK_Forw). Nip forms leave the input
 * alone. Real2Fft / Ccs2Fft transform two signals with the same order and flags
 * and return the thread's status. MpyRCPack/MpyRCPerm multiply spectra
 * pointwise in the packed layouts (2: dst *= src, 3: dst = srcA * srcB).
 * Failures are reported as for the complex FFT: bad order, bad or conflicting
 * flags, null pointers, tables that cannot be allocated; nothing is written. */
VOK_API void VOK_CALL voksRealFftl(float* samps, int order, int flags);
VOK_API void VOK_CALL voksRealFftlNip(const float* inSamps, float* outSamps, int order, int flags);
VOK_API void VOK_CALL voksCcsFftl(float* samps, int order, int flags);
VOK_API void VOK_CALL voksCcsFftlNip(const float* inSamps, float* outSamps, int order, int flags);
VOK_API void VOK_CALL voksRealFft(float* samps, int order, int flags);
VOK_API void VOK_CALL voksRealFftNip(const float* inSamps, float* outSamps, int order, int flags);
VOK_API void VOK_CALL voksCcsFft(float* samps, int order, int flags);
VOK_API void VOK_CALL voksCcsFftNip(const float* inSamps, float* outSamps, int order, int flags);
VOK_API int VOK_CALL voksReal2Fft(float* xSamps, float* ySamps, int order, int flags);
VOK_API int VOK_CALL voksReal2FftNip(const float* xInSamps, float* xOutSamps, const float* yInSamps, float* yOutSamps, int order, int flags);
VOK_API int VOK_CALL voksCcs2Fft(float* xSamps, float* ySamps, int order, int flags);
VOK_API int VOK_CALL voksCcs2FftNip(const float* xInSamps, float* xOutSamps, const float* yInSamps, float* yOutSamps, int order, int flags);
VOK_API void VOK_CALL voksMpyRCPack2(const float* src, float* dst, int order);
VOK_API void VOK_CALL voksMpyRCPack3(const float* srcA, const float* srcB, float* dst, int order);
VOK_API void VOK_CALL voksMpyRCPerm2(const float* src, float* dst, int order);
VOK_API void VOK_CALL voksMpyRCPerm3(const float* srcA, const float* srcB, float* dst, int order);
VOK_API void VOK_CALL vokdRealFftl(double* samps, int order, int flags);
VOK_API void VOK_CALL vokdRealFftlNip(const double* inSamps, double* outSamps, int order, int flags);
VOK_API void VOK_CALL vokdCcsFftl(double* samps, int order, int flags);
VOK_API void VOK_CALL vokdCcsFftlNip(const double* inSamps, double* outSamps, int order, int flags);
VOK_API void VOK_CALL vokdRealFft(double* samps, int order, int flags);
VOK_API void VOK_CALL vokdRealFftNip(const double* inSamps, double* outSamps, int order, int flags);
VOK_API void VOK_CALL vokdCcsFft(double* samps, int order, int flags);
VOK_API void VOK_CALL vokdCcsFftNip(const double* inSamps, double* outSamps, int order, int flags);
VOK_API int VOK_CALL vokdReal2Fft(double* xSamps, double* ySamps, int order, int flags);
VOK_API int VOK_CALL vokdReal2FftNip(const double* xInSamps, double* xOutSamps, const double* yInSamps, double* yOutSamps, int order, int flags);
VOK_API int VOK_CALL vokdCcs2Fft(double* xSamps, double* ySamps, int order, int flags);
VOK_API int VOK_CALL vokdCcs2FftNip(const double* xInSamps, double* xOutSamps, const double* yInSamps, double* yOutSamps, int order, int flags);
VOK_API void VOK_CALL vokdMpyRCPack2(const double* src, double* dst, int order);
VOK_API void VOK_CALL vokdMpyRCPack3(const double* srcA, const double* srcB, double* dst, int order);
VOK_API void VOK_CALL vokdMpyRCPerm2(const double* src, double* dst, int order);
VOK_API void VOK_CALL vokdMpyRCPerm3(const double* srcA, const double* srcB, double* dst, int order);
///@}

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_TRANSFORM_H */
