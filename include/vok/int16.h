/** @file
 * @brief 16-bit vector arithmetic: see @ref int16. */
/** @defgroup int16 16-bit vector arithmetic
 * vokx1 16-bit vector arithmetic with scale modes (module vokaritw).
 *
 * The same operations on 16-bit and ShortComplex vectors: every result is formed
 * exactly and brought to 16 bits under the scale mode (VOK_NO_SCALE wraps,
 * VOK_SATURATE clamps, VOK_FIXED_SCALE divides by 2^scaleFactor, VOK_AUTO_SCALE
 * chooses the factor and writes it back).
 * @par Example
 * @code
 * short a[4] = {30000, 2, 3, 4}, b[4] = {30000, 3, 2, 1}, sum[4];
 * int sf = 0;
 * vokwbAdd3(a, b, sum, 4, VOK_AUTO_SCALE, &sf); // sf becomes 1: sum holds (a + b) / 2
 * vokwbAdd3(a, b, sum, 4, VOK_SATURATE, &sf);   // sum[0] is 32767
 * @endcode
 * @{ */
#ifndef VOK_INT16_H
#define VOK_INT16_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/** @name Short vectors */
///@{
/** short vectors: dst = dst op val, dst op src, srcA op srcB (Sub3: src - val), results brought to
 * 16 bits under scaleMode; in VOK_AUTO_SCALE the chosen sf is written to *scaleFactor. Failures
 * (VOK_StatusBadArg): "n<=0", the pointers in argument order ("...==0"), then "scalefactor==0". */
VOK_API void VOK_CALL vokwbAdd1(short val, short* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbSub1(short val, short* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbMpy1(short val, short* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbAdd2(const short* src, short* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbSub2(const short* val, short* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbMpy2(const short* src, short* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbAdd3(const short* srcA, const short* srcB, short* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbSub3(const short* src, const short* val, short* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbMpy3(const short* srcA, const short* srcB, short* dst, int n, int scaleMode, int* scaleFactor);
///@}

/** @name Fill, set and copy short vectors */
///@{
/** Fill, set and copy short vectors. Failures: "n<=0", "src==0" (Copy), "dst==0". */
VOK_API void VOK_CALL vokwbZero(short* dst, int n);
VOK_API void VOK_CALL vokwbSet(short val, short* dst, int n);
VOK_API void VOK_CALL vokwbCopy(const short* src, short* dst, int n);
///@}

/** @name ShortComplex vectors */
///@{
/** ShortComplex vectors: dst = dst op val, dst op src, srcA op srcB (Sub3: src - val), results brought to
 * 16 bits under scaleMode; in VOK_AUTO_SCALE the chosen sf is written to *scaleFactor. Failures
 * (VOK_StatusBadArg): "n<=0", the pointers in argument order ("...==0"), then "scalefactor==0". */
VOK_API void VOK_CALL vokvbAdd1(ShortComplex val, ShortComplex* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvbSub1(ShortComplex val, ShortComplex* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvbMpy1(ShortComplex val, ShortComplex* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvbAdd2(const ShortComplex* src, ShortComplex* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvbSub2(const ShortComplex* val, ShortComplex* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvbMpy2(const ShortComplex* src, ShortComplex* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvbAdd3(const ShortComplex* srcA, const ShortComplex* srcB, ShortComplex* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvbSub3(const ShortComplex* src, const ShortComplex* val, ShortComplex* dst, int n, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvbMpy3(const ShortComplex* srcA, const ShortComplex* srcB, ShortComplex* dst, int n, int scaleMode, int* scaleFactor);
///@}

/** @name Fill, set and copy ShortComplex vectors */
///@{
/** Fill, set and copy ShortComplex vectors. Failures: "n<=0", "src==0" (Copy), "dst==0". */
VOK_API void VOK_CALL vokvbZero(ShortComplex* dst, int n);
VOK_API void VOK_CALL vokvbSet(ShortComplex val, ShortComplex* dst, int n);
VOK_API void VOK_CALL vokvbCopy(const ShortComplex* src, ShortComplex* dst, int n);
///@}

/** @name Conjugation of ShortComplex vectors */
///@{
/** Conjugation of ShortComplex vectors (-32768 stays -32768): in place, to dst, reversed into dst,
 * and extension of the first n elements of a conjugate-symmetric sequence to its 2n-2 elements.
 * Failures: "n<=0", then "vec==0" or "src==0", "dst==0". */
VOK_API void VOK_CALL vokvbConj1(ShortComplex* vec, int n);
VOK_API void VOK_CALL vokvbConj2(const ShortComplex* src, ShortComplex* dst, int n);
VOK_API void VOK_CALL vokvbConjFlip2(const ShortComplex* src, ShortComplex* dst, int n);
VOK_API void VOK_CALL vokvbConjExtend2(const ShortComplex* src, ShortComplex* dst, int n);
VOK_API void VOK_CALL vokvbConjExtend1(ShortComplex* vec, int n);
///@}

/** @name Single ShortComplex numbers */
///@{
/** Single ShortComplex numbers. Add, Sub and Mpy scale as the vector forms and return (0, 0) after a
 * failed vector call (backtrace); Div truncates and clamps, "(b.re==0)&&(b.im==0)" for a zero divisor. */
VOK_API ShortComplex VOK_CALL vokvAdd(ShortComplex a, ShortComplex b, int scaleMode, int* scaleFactor);
VOK_API ShortComplex VOK_CALL vokvSub(ShortComplex a, ShortComplex b, int scaleMode, int* scaleFactor);
VOK_API ShortComplex VOK_CALL vokvMpy(ShortComplex a, ShortComplex b, int scaleMode, int* scaleFactor);
VOK_API ShortComplex VOK_CALL vokvDiv(ShortComplex a, ShortComplex b);
VOK_API ShortComplex VOK_CALL vokvConj(ShortComplex a);
VOK_API ShortComplex VOK_CALL vokvSet(short re, short im);
///@}

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_INT16_H */
