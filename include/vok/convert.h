/** @file
 * @brief Data-type conversions: see @ref convert. */
/** @defgroup convert Data-type conversions
 * vokx1 data-type and representation conversions (modules vokcvrts, vokcvrtd, vokcvrtw); A-law and mu-law companding is in companding.h.
 *
 * Conversions between float, double, integers of 8, 16 and 32 bits and fixed
 * point (rounding and overflow chosen by the flags argument), and between the
 * complex representations (interleaved, separate parts, polar form, magnitude,
 * phase, power spectrum).
 * @par Example
 * @code
 * float x[3] = {0.5f, -1.7f, 40000.0f};
 * short s[3];
 * voksbFloatToInt(x, s, 3, 16, VOK_RndNear | VOK_Clip); // 0, -2, 32767
 * @endcode
 * @{ */
#ifndef VOK_CONVERT_H
#define VOK_CONVERT_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/** Conversion flags (float to integer and float to fix-point)
 * Exactly one rounding flag; VOK_Unsigned selects the unsigned integer type,
 * VOK_Clip saturates, VOK_OvfErr reports values that do not fit. Without
 * VOK_Clip a value that does not fit keeps the low bits of the destination. */
enum {
    VOK_RndNear = 128,    /**< to nearest, ties to even */
    VOK_RndZero = 256,    /**< toward zero */
    VOK_RndDown = 512,    /**< toward minus infinity */
    VOK_RndUp = 1024,     /**< toward plus infinity */
    VOK_Unsigned = 2048,  /**< the integers are unsigned */
    VOK_Clip = 4096,      /**< saturate values that do not fit */
    VOK_OvfErr = 8192     /**< report values that do not fit */
};

/** @name Integer and fix-point conversions */
///@{
/** Integer and fix-point conversions (modules vokcvrts, vokcvrtd)
 * The integer side is a void pointer to 8, 16 or 32-bit integers (intBits or
 * fixedLen), signed unless VOK_Unsigned. Fix-point values hold value * 2^fractBits.
 * The status is cleared first and every argument check is made; on a failed check
 * nothing is written. With VOK_OvfErr (and no VOK_Clip) the destination is written
 * completely and "A float exceeds an integer" is reported if a value did not fit.
 * The rounding does not depend on the caller's floating-point rounding mode. */
VOK_API void VOK_CALL voksbFloatToInt(const float* src, void* dst, int len, int intBits, int flags);
VOK_API void VOK_CALL vokdbFloatToInt(const double* src, void* dst, int len, int intBits, int flags);
VOK_API void VOK_CALL voksbIntToFloat(const void* src, float* dst, int len, int intBits, int flags);
VOK_API void VOK_CALL vokdbIntToFloat(const void* src, double* dst, int len, int intBits, int flags);
VOK_API void VOK_CALL voksbFloatToFix(const float* src, void* dst, int len, int fixedLen, int fractBits, int flags);
VOK_API void VOK_CALL vokdbFloatToFix(const double* src, void* dst, int len, int fixedLen, int fractBits, int flags);
VOK_API void VOK_CALL voksbFixToFloat(const void* src, float* dst, int len, int fixedLen, int fractBits, int flags);
VOK_API void VOK_CALL vokdbFixToFloat(const void* src, double* dst, int len, int fixedLen, int fractBits, int flags);
///@}

/** @name Fixed formats */
///@{
/** Fixed formats: S7 (8 bits, 7 fractional), S15 (16, 15), S31 (32, 31), S1516
 * (32, 16), always signed (VOK_Unsigned is ignored). flags: one rounding flag,
 * optionally VOK_Clip and VOK_OvfErr. */
VOK_API void VOK_CALL voksbFloatToS7Fix(const float* src, signed char* dst, int len, int flags);
VOK_API void VOK_CALL voksbFloatToS15Fix(const float* src, short* dst, int len, int flags);
VOK_API void VOK_CALL voksbFloatToS31Fix(const float* src, int* dst, int len, int flags);
VOK_API void VOK_CALL voksbFloatToS1516Fix(const float* src, int* dst, int len, int flags);
VOK_API void VOK_CALL vokdbFloatToS7Fix(const double* src, signed char* dst, int len, int flags);
VOK_API void VOK_CALL vokdbFloatToS15Fix(const double* src, short* dst, int len, int flags);
VOK_API void VOK_CALL vokdbFloatToS31Fix(const double* src, int* dst, int len, int flags);
VOK_API void VOK_CALL vokdbFloatToS1516Fix(const double* src, int* dst, int len, int flags);
VOK_API void VOK_CALL voksbS7FixToFloat(const signed char* src, float* dst, int len);
VOK_API void VOK_CALL voksbS15FixToFloat(const short* src, float* dst, int len);
VOK_API void VOK_CALL voksbS31FixToFloat(const int* src, float* dst, int len);
VOK_API void VOK_CALL voksbS1516FixToFloat(const int* src, float* dst, int len);
VOK_API void VOK_CALL vokdbS7FixToFloat(const signed char* src, double* dst, int len);
VOK_API void VOK_CALL vokdbS15FixToFloat(const short* src, double* dst, int len);
VOK_API void VOK_CALL vokdbS31FixToFloat(const int* src, double* dst, int len);
VOK_API void VOK_CALL vokdbS1516FixToFloat(const int* src, double* dst, int len);
///@}

/** @name Complex representations */
///@{
/** Complex representations (vokcvrts: c, sbr; vokcvrtd: z, dbr; vokcvrtw: v, wbr)
 * Real/Imag take one part, CplxTo2Real splits, 2RealToCplx joins (a null srcReal
 * or srcImag stands for zeros). Each returns at its first failed check. */
VOK_API void VOK_CALL vokcbReal(const FloatComplex* src, float* dst, int length);
VOK_API void VOK_CALL vokzbReal(const DoubleComplex* src, double* dst, int length);
VOK_API void VOK_CALL vokvbReal(const ShortComplex* src, short* dst, int length);
VOK_API void VOK_CALL vokcbImag(const FloatComplex* src, float* dst, int length);
VOK_API void VOK_CALL vokzbImag(const DoubleComplex* src, double* dst, int length);
VOK_API void VOK_CALL vokvbImag(const ShortComplex* src, short* dst, int length);
VOK_API void VOK_CALL vokcbCplxTo2Real(const FloatComplex* src, float* dstReal, float* dstImag, int length);
VOK_API void VOK_CALL vokzbCplxTo2Real(const DoubleComplex* src, double* dstReal, double* dstImag, int length);
VOK_API void VOK_CALL vokvbCplxTo2Real(const ShortComplex* src, short* dstReal, short* dstImag, int length);
VOK_API void VOK_CALL vokcb2RealToCplx(const float* srcReal, const float* srcImag, FloatComplex* dst, int length);
VOK_API void VOK_CALL vokzb2RealToCplx(const double* srcReal, const double* srcImag, DoubleComplex* dst, int length);
VOK_API void VOK_CALL vokvb2RealToCplx(const short* srcReal, const short* srcImag, ShortComplex* dst, int length);
///@}

/** @name Polar form, magnitude sqrt(re^2 + im^2), phase atan2(im, re) in ... */
///@{
/** Polar form, magnitude sqrt(re^2 + im^2), phase atan2(im, re) in radians and
 * power spectrum re^2 + im^2, from interleaved complex data or two real arrays. */
VOK_API void VOK_CALL vokcbCartToPolar(const FloatComplex* src, float* mag, float* phase, int length);
VOK_API void VOK_CALL vokzbCartToPolar(const DoubleComplex* src, double* mag, double* phase, int length);
VOK_API void VOK_CALL voksbrCartToPolar(const float* srcReal, const float* srcImag, float* mag, float* phase, int length);
VOK_API void VOK_CALL vokdbrCartToPolar(const double* srcReal, const double* srcImag, double* mag, double* phase, int length);
VOK_API void VOK_CALL vokcbPolarToCart(const float* mag, const float* phase, FloatComplex* dst, int length);
VOK_API void VOK_CALL vokzbPolarToCart(const double* mag, const double* phase, DoubleComplex* dst, int length);
VOK_API void VOK_CALL voksbrPolarToCart(const float* mag, const float* phase, float* dstReal, float* dstImag, int length);
VOK_API void VOK_CALL vokdbrPolarToCart(const double* mag, const double* phase, double* dstReal, double* dstImag, int length);
VOK_API void VOK_CALL vokcbMag(const FloatComplex* src, float* mag, int length);
VOK_API void VOK_CALL vokzbMag(const DoubleComplex* src, double* mag, int length);
VOK_API void VOK_CALL voksbrMag(const float* srcReal, const float* srcImag, float* mag, int length);
VOK_API void VOK_CALL vokdbrMag(const double* srcReal, const double* srcImag, double* mag, int length);
VOK_API void VOK_CALL vokcbPhase(const FloatComplex* src, float* phase, int length);
VOK_API void VOK_CALL vokzbPhase(const DoubleComplex* src, double* phase, int length);
VOK_API void VOK_CALL voksbrPhase(const float* srcReal, const float* srcImag, float* phase, int length);
VOK_API void VOK_CALL vokdbrPhase(const double* srcReal, const double* srcImag, double* phase, int length);
VOK_API void VOK_CALL vokcbPowerSpectr(const FloatComplex* src, float* spectr, int length);
VOK_API void VOK_CALL vokzbPowerSpectr(const DoubleComplex* src, double* spectr, int length);
VOK_API void VOK_CALL voksbrPowerSpectr(const float* srcReal, const float* srcImag, float* spectr, int length);
VOK_API void VOK_CALL vokdbrPowerSpectr(const double* srcReal, const double* srcImag, double* spectr, int length);
///@}

/** @name 16-bit forms */
///@{
/** 16-bit forms: Mag and PowerSpectr bring their results to 16 bits under the scale
 * mode (modes 6 and 7 and VOK_AUTO_SCALE with a null scaleFactor are reported).
 * Phase results are radians with 13 fractional bits, rounded to nearest. */
VOK_API void VOK_CALL vokvbPhase(const ShortComplex* src, short* phase, int length);
VOK_API void VOK_CALL vokwbrPhase(const short* srcReal, const short* srcImag, short* phase, int length);
///@}
/** @name 16-bit magnitude */
///@{
/** 16-bit magnitude (computed in double, rounded to float) and exact power
 * spectrum, brought to 16 bits with scaleMode and *scaleFactor (one factor for
 * the vector). After the checks of the float forms: "VOK_FIXED_SCALE and
 * VOK_AUTO_SCALE" (both mode bits set), "VOK_AUTO_SCALE and ScaleFactor==NULL";
 * VOK_StatusNoMemory "NULL Pointer" when the work vector cannot be allocated. */
VOK_API void VOK_CALL vokvbMag(const ShortComplex* src, short* mag, int length, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbrMag(const short* srcReal, const short* srcImag, short* mag, int length, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvbPowerSpectr(const ShortComplex* src, short* spectr, int length, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbrPowerSpectr(const short* srcReal, const short* srcImag, short* spectr, int length, int scaleMode, int* scaleFactor);
///@}

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_CONVERT_H */
