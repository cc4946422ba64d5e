/** @file
 * @brief Vector arithmetic: see @ref vector. */
/** @defgroup vector Vector arithmetic
 * vokx1 floating-point vector arithmetic and single complex numbers (module vokarith).
 *
 * Floating-point and complex arithmetic on whole vectors: form 1 takes a value
 * and a vector changed in place, form 2 a source added (subtracted, multiplied)
 * into a destination, form 3 two sources and a destination. The caller owns every
 * array; nothing is allocated. Length checks come first ("n<=0"), then the
 * pointers, and a failed check writes nothing.
 * @par Example
 * @code
 * float a[4] = {1, 2, 3, 4}, b[4] = {4, 3, 2, 1}, sum[4];
 * voksbAdd3(a, b, sum, 4);                      // sum = a + b
 * voksbMpy1(0.5f, sum, 4);                      // sum *= 0.5
 * voksbCopy(sum, a, 4);
 * @endcode
 * @{ */
#ifndef VOK_VECTOR_H
#define VOK_VECTOR_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/** @name Floating-point vector arithmetic */
///@{
/** Floating-point vector arithmetic (module vokarith)
 * Form 1 combines the scalar val into dst, form 2 the vector src (Sub2: val) into
 * dst, form 3 writes srcA op srcB (Sub3: src - val) to dst. n counts elements and
 * must be at least 1; on a bad argument nothing is written. Elements are processed
 * from the highest index down, so a copy to an overlapping destination above its
 * source is correct; Zero and Set fill upward. */
VOK_API void VOK_CALL voksbZero(float* dst, int n);
VOK_API void VOK_CALL vokdbZero(double* dst, int n);
VOK_API void VOK_CALL vokcbZero(FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbZero(DoubleComplex* dst, int n);
VOK_API void VOK_CALL voksbSet(float val, float* dst, int n);
VOK_API void VOK_CALL vokdbSet(double val, double* dst, int n);
VOK_API void VOK_CALL vokcbSet(FloatComplex val, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbSet(DoubleComplex val, DoubleComplex* dst, int n);
VOK_API void VOK_CALL voksbCopy(const float* src, float* dst, int n);
VOK_API void VOK_CALL vokdbCopy(const double* src, double* dst, int n);
VOK_API void VOK_CALL vokcbCopy(const FloatComplex* src, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbCopy(const DoubleComplex* src, DoubleComplex* dst, int n);
VOK_API void VOK_CALL voksbAdd1(float val, float* dst, int n);
VOK_API void VOK_CALL vokdbAdd1(double val, double* dst, int n);
VOK_API void VOK_CALL vokcbAdd1(FloatComplex val, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbAdd1(DoubleComplex val, DoubleComplex* dst, int n);
VOK_API void VOK_CALL voksbAdd2(const float* src, float* dst, int n);
VOK_API void VOK_CALL vokdbAdd2(const double* src, double* dst, int n);
VOK_API void VOK_CALL vokcbAdd2(const FloatComplex* src, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbAdd2(const DoubleComplex* src, DoubleComplex* dst, int n);
VOK_API void VOK_CALL voksbAdd3(const float* srcA, const float* srcB, float* dst, int n);
VOK_API void VOK_CALL vokdbAdd3(const double* srcA, const double* srcB, double* dst, int n);
VOK_API void VOK_CALL vokcbAdd3(const FloatComplex* srcA, const FloatComplex* srcB, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbAdd3(const DoubleComplex* srcA, const DoubleComplex* srcB, DoubleComplex* dst, int n);
VOK_API void VOK_CALL voksbSub1(float val, float* dst, int n);
VOK_API void VOK_CALL vokdbSub1(double val, double* dst, int n);
VOK_API void VOK_CALL vokcbSub1(FloatComplex val, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbSub1(DoubleComplex val, DoubleComplex* dst, int n);
VOK_API void VOK_CALL voksbSub2(const float* val, float* dst, int n);
VOK_API void VOK_CALL vokdbSub2(const double* val, double* dst, int n);
VOK_API void VOK_CALL vokcbSub2(const FloatComplex* val, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbSub2(const DoubleComplex* val, DoubleComplex* dst, int n);
VOK_API void VOK_CALL voksbSub3(const float* src, const float* val, float* dst, int n);
VOK_API void VOK_CALL vokdbSub3(const double* src, const double* val, double* dst, int n);
VOK_API void VOK_CALL vokcbSub3(const FloatComplex* src, const FloatComplex* val, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbSub3(const DoubleComplex* src, const DoubleComplex* val, DoubleComplex* dst, int n);
VOK_API void VOK_CALL voksbMpy1(float val, float* dst, int n);
VOK_API void VOK_CALL vokdbMpy1(double val, double* dst, int n);
VOK_API void VOK_CALL vokcbMpy1(FloatComplex val, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbMpy1(DoubleComplex val, DoubleComplex* dst, int n);
VOK_API void VOK_CALL voksbMpy2(const float* src, float* dst, int n);
VOK_API void VOK_CALL vokdbMpy2(const double* src, double* dst, int n);
VOK_API void VOK_CALL vokcbMpy2(const FloatComplex* src, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbMpy2(const DoubleComplex* src, DoubleComplex* dst, int n);
VOK_API void VOK_CALL voksbMpy3(const float* srcA, const float* srcB, float* dst, int n);
VOK_API void VOK_CALL vokdbMpy3(const double* srcA, const double* srcB, double* dst, int n);
VOK_API void VOK_CALL vokcbMpy3(const FloatComplex* srcA, const FloatComplex* srcB, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbMpy3(const DoubleComplex* srcA, const DoubleComplex* srcB, DoubleComplex* dst, int n);
///@}

/** @name Conjugation */
///@{
/** Conjugation; the sign bit of im is flipped (+0 becomes -0, NaN payloads kept).
 * ConjFlip2: dst[n-1-i] = conj(src[i]).
 * ConjExtend: completes a conjugate-symmetric sequence of length 2n-2 from its
 * first n elements: x[m] = conj(x[2n-2-m]) for m = n ... 2n-3 (dst holds 2n-2,
 * or 1 element when n = 1). */
VOK_API void VOK_CALL vokcbConj1(FloatComplex* vec, int n);
VOK_API void VOK_CALL vokzbConj1(DoubleComplex* vec, int n);
VOK_API void VOK_CALL vokcbConj2(const FloatComplex* src, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbConj2(const DoubleComplex* src, DoubleComplex* dst, int n);
VOK_API void VOK_CALL vokcbConjFlip2(const FloatComplex* src, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbConjFlip2(const DoubleComplex* src, DoubleComplex* dst, int n);
VOK_API void VOK_CALL vokcbConjExtend1(FloatComplex* vec, int n);
VOK_API void VOK_CALL vokzbConjExtend1(DoubleComplex* vec, int n);
VOK_API void VOK_CALL vokcbConjExtend2(const FloatComplex* src, FloatComplex* dst, int n);
VOK_API void VOK_CALL vokzbConjExtend2(const DoubleComplex* src, DoubleComplex* dst, int n);
///@}

/** @name Single complex numbers */
///@{
/** Single complex numbers. Div reports "(b.re==0.0)&&(b.im==0.0)" and returns (0, 0)
 * when b is zero (vokzDiv also treats magnitudes below 2^-1042 as zero). */
VOK_API FloatComplex VOK_CALL vokcAdd(FloatComplex a, FloatComplex b);
VOK_API DoubleComplex VOK_CALL vokzAdd(DoubleComplex a, DoubleComplex b);
VOK_API FloatComplex VOK_CALL vokcSub(FloatComplex a, FloatComplex b);
VOK_API DoubleComplex VOK_CALL vokzSub(DoubleComplex a, DoubleComplex b);
VOK_API FloatComplex VOK_CALL vokcMpy(FloatComplex a, FloatComplex b);
VOK_API DoubleComplex VOK_CALL vokzMpy(DoubleComplex a, DoubleComplex b);
VOK_API FloatComplex VOK_CALL vokcDiv(FloatComplex a, FloatComplex b);
VOK_API DoubleComplex VOK_CALL vokzDiv(DoubleComplex a, DoubleComplex b);
VOK_API FloatComplex VOK_CALL vokcConj(FloatComplex a);
VOK_API DoubleComplex VOK_CALL vokzConj(DoubleComplex a);
VOK_API FloatComplex VOK_CALL vokcSet(float re, float im);
VOK_API DoubleComplex VOK_CALL vokzSet(double re, double im);
///@}

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_VECTOR_H */
