/* vokx1 transforms: flags, twiddle and bit-reversal tables, complex and real FFTs (modules vokmisc, voktwd, vokffts, vokfftd). */
#ifndef VOK_TRANSFORM_H
#define VOK_TRANSFORM_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/* ---- Transform flag word ---- */
#define VOK_Forw       1
#define VOK_Inv        2
#define VOK_Init       4
#define VOK_Free       8
#define VOK_NoScale    16
#define VOK_NoBitRev   32
#define VOK_InBitRev   64
#define VOK_OutBitRev  128
#define VOK_OutRCPack  256
#define VOK_OutRCPerm  512
#define VOK_InRCPack   1024
#define VOK_InRCPerm   4096

/* ---- Bit reversal (module vokmisc) ----
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

/* ---- Twiddle tables (module voktwd) ----
 * Entry k of a table of length N is (cos 2πk/N, -sin 2πk/N); the v kind holds
 * them in Q14, truncated toward zero. */
VOK_API FloatComplex* VOK_CALL vokcGetDftTwdTbl(int length);
VOK_API void VOK_CALL vokcCalcDftTwdTbl(FloatComplex* tbl, int length);
VOK_API FloatComplex* VOK_CALL vokcGetFftTwdTbl(int order);
VOK_API void VOK_CALL vokcCalcFftTwdTbl(FloatComplex* tbl, int order);
VOK_API void VOK_CALL vokcFreeTwdTbls(void);
VOK_API DoubleComplex* VOK_CALL vokzGetDftTwdTbl(int length);
VOK_API void VOK_CALL vokzCalcDftTwdTbl(DoubleComplex* tbl, int length);
VOK_API DoubleComplex* VOK_CALL vokzGetFftTwdTbl(int order);
VOK_API void VOK_CALL vokzCalcFftTwdTbl(DoubleComplex* tbl, int order);
VOK_API void VOK_CALL vokzFreeTwdTbls(void);
VOK_API ShortComplex* VOK_CALL vokvGetDftTwdTbl(int length);
VOK_API void VOK_CALL vokvCalcDftTwdTbl(ShortComplex* tbl, int length);
VOK_API ShortComplex* VOK_CALL vokvGetFftTwdTbl(int order);
VOK_API void VOK_CALL vokvCalcFftTwdTbl(ShortComplex* tbl, int order);
VOK_API void VOK_CALL vokvFreeTwdTbls(void);

/* ---- Complex FFT (modules vokffts, vokfftd) ---- */
VOK_API void VOK_CALL vokcFft(FloatComplex* samps, int order, int flags);
VOK_API void VOK_CALL vokcFftNip(const FloatComplex* inSamps, FloatComplex* outSamps, int order, int flags);
VOK_API void VOK_CALL vokcrFft(float* reSamps, float* imSamps, int order, int flags);
VOK_API void VOK_CALL vokcrFftNip(const float* reInSamps, const float* imInSamps, float* reOutSamps, float* imOutSamps, int order, int flags);
VOK_API void VOK_CALL vokzFft(DoubleComplex* samps, int order, int flags);
VOK_API void VOK_CALL vokzFftNip(const DoubleComplex* inSamps, DoubleComplex* outSamps, int order, int flags);
VOK_API void VOK_CALL vokzrFft(double* reSamps, double* imSamps, int order, int flags);
VOK_API void VOK_CALL vokzrFftNip(const double* reInSamps, const double* imInSamps, double* reOutSamps, double* imOutSamps, int order, int flags);

/* ---- Real FFT and packed spectra (modules vokffts, vokfftd) ----
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

VOK_EXTERN_C_END

#endif /* VOK_TRANSFORM_H */
