/** @file
 * @brief Elementwise functions, statistics and norms: see @ref elementwise. */
/** @defgroup elementwise Elementwise functions, statistics and norms
 * vokx1 elementwise functions, statistics, norms and normalization (modules vokvec, voklnexp, voklnexw, voknorm).
 *
 * Square, square root, thresholds, absolute value, logarithm and exponential of
 * every element (form 1 in place, form 2 from src to dst), and the statistics
 * and norms of a vector. No state and no allocation.
 * @par Example
 * @code
 * float x[5] = {-2, -1, 0, 1, 2}, y[5];
 * voksbAbs2(x, y, 5);                           // y = |x|
 * float mean = voksMean(y, 5);                  // 1.2
 * float l2 = voksNorm(x, NULL, 5, VOK_L2);       // sqrt(10)
 * @endcode
 * @{ */
#ifndef VOK_ELEMENTWISE_H
#define VOK_ELEMENTWISE_H

#include "types.h"

/** Relation of the thresholds: VOK_LT raises elements below thresh to thresh,
 * VOK_GT (any value other than VOK_LT) lowers elements above it. */
enum {
    VOK_LT = 0,   /**< raise elements below the threshold */
    VOK_GT = 1    /**< lower elements above the threshold */
};

/** Norm kinds: exactly one of VOK_C, VOK_L1, VOK_L2, optionally with VOK_RELATIVE. */
enum {
    VOK_C = 1,         /**< maximum magnitude */
    VOK_L1 = 2,        /**< sum of magnitudes */
    VOK_L2 = 4,        /**< square root of the sum of squares */
    VOK_RELATIVE = 8   /**< the norm of srcA - srcB divided by the norm of srcA */
};

VOK_EXTERN_C_BEGIN

/** @name Elementwise functions */
///@{
/** Elementwise functions
 * Form 1 works in place on vec, form 2 reads src and writes dst (they may be the
 * same array). Checks: "len<=0", then "vec==0" or "src==0", "dst==0"; a failed
 * check writes nothing. The 16-bit forms that take scaleMode and scaleFactor
 * bring their results to 16 bits under that mode; VOK_AUTO_SCALE with a null
 * scaleFactor reports "scaleFactor==0".
 *
 * Sqr: x*x (complex z*z). 16-bit: the square is formed in 32 bits; the complex
 * 16-bit imaginary part 2*re*im saturates at 2^31-1 (both parts -32768) and
 * both parts of all elements share one scale factor. */
VOK_API void VOK_CALL voksbSqr1(float* vec, int len);
VOK_API void VOK_CALL voksbSqr2(const float* src, float* dst, int len);
VOK_API void VOK_CALL vokdbSqr1(double* vec, int len);
VOK_API void VOK_CALL vokdbSqr2(const double* src, double* dst, int len);
VOK_API void VOK_CALL vokcbSqr1(FloatComplex* vec, int len);
VOK_API void VOK_CALL vokcbSqr2(const FloatComplex* src, FloatComplex* dst, int len);
VOK_API void VOK_CALL vokzbSqr1(DoubleComplex* vec, int len);
VOK_API void VOK_CALL vokzbSqr2(const DoubleComplex* src, DoubleComplex* dst, int len);
///@}

/** @name Sqrt */
///@{
/** Sqrt: correctly rounded square root (complex: principal root). The real forms
 * process the whole vector and then report "Element of input vector is
 * negative" once if any element was below zero (-0 is not): such an element
 * becomes the negative quiet NaN (sign, exponent and top fraction bit set) in
 * the float and double forms and 0 in the 16-bit form. 16-bit results are
 * rounded to the nearest integer (the complex parts likewise). */
VOK_API void VOK_CALL voksbSqrt1(float* vec, int len);
VOK_API void VOK_CALL voksbSqrt2(const float* src, float* dst, int len);
VOK_API void VOK_CALL vokdbSqrt1(double* vec, int len);
VOK_API void VOK_CALL vokdbSqrt2(const double* src, double* dst, int len);
VOK_API void VOK_CALL vokcbSqrt1(FloatComplex* vec, int len);
VOK_API void VOK_CALL vokcbSqrt2(const FloatComplex* src, FloatComplex* dst, int len);
VOK_API void VOK_CALL vokzbSqrt1(DoubleComplex* vec, int len);
VOK_API void VOK_CALL vokzbSqrt2(const DoubleComplex* src, DoubleComplex* dst, int len);
VOK_API void VOK_CALL vokwbSqrt1(short* vec, int len);
VOK_API void VOK_CALL vokwbSqrt2(const short* src, short* dst, int len);
VOK_API void VOK_CALL vokvbSqrt1(ShortComplex* vec, int len);
VOK_API void VOK_CALL vokvbSqrt2(const ShortComplex* src, ShortComplex* dst, int len);
///@}

/** @name Thresh */
///@{
/** Thresh: relOp VOK_LT replaces elements below thresh by thresh, VOK_GT those
 * above it. The float form orders values by their bit patterns read as signed
 * integers (so -0 is below +0 and a NaN sorts by its pattern). Complex forms
 * compare |z|^2 with thresh^2 and rescale a violating element to magnitude
 * thresh keeping its phase; with VOK_LT an element whose |z|^2 is zero or
 * denormal gets thresh as its real part and keeps its imaginary part (both
 * complex float and complex double). Complex forms report "thresh<0.0f"
 * (float), "thresh<0.0" (double) or "thresh<0" (16-bit) for a negative thresh.
 * The complex 16-bit form rescales in double and rounds to the nearest integer. */
VOK_API void VOK_CALL voksbThresh1(float* vec, int len, float thresh, int relOp);
VOK_API void VOK_CALL voksbThresh2(const float* src, float* dst, int len, float thresh, int relOp);
VOK_API void VOK_CALL vokdbThresh1(double* vec, int len, double thresh, int relOp);
VOK_API void VOK_CALL vokdbThresh2(const double* src, double* dst, int len, double thresh, int relOp);
VOK_API void VOK_CALL vokcbThresh1(FloatComplex* vec, int len, float thresh, int relOp);
VOK_API void VOK_CALL vokcbThresh2(const FloatComplex* src, FloatComplex* dst, int len, float thresh, int relOp);
VOK_API void VOK_CALL vokzbThresh1(DoubleComplex* vec, int len, double thresh, int relOp);
VOK_API void VOK_CALL vokzbThresh2(const DoubleComplex* src, DoubleComplex* dst, int len, double thresh, int relOp);
VOK_API void VOK_CALL vokwbThresh1(short* vec, int len, short thresh, int relOp);
VOK_API void VOK_CALL vokwbThresh2(const short* src, short* dst, int len, short thresh, int relOp);
VOK_API void VOK_CALL vokvbThresh1(ShortComplex* vec, int len, short thresh, int relOp);
VOK_API void VOK_CALL vokvbThresh2(const ShortComplex* src, ShortComplex* dst, int len, short thresh, int relOp);
///@}

/** @name InvThresh */
///@{
/** InvThresh: with thresh > 0 an element of magnitude below thresh first becomes
 * thresh with the element's sign; then every element becomes its reciprocal,
 * four elements sharing one division (1/(a*b*c*d) times the other three).
 * Negative thresh reports "thresh<0.0f" / "thresh<0.0". With thresh = 0 an
 * element whose pattern is +0 becomes the largest finite value of its type and,
 * after the whole vector, "zero element and zero thresh" is reported (-0 gives
 * -infinity). Complex forms: an element with |z| below thresh is rescaled to
 * magnitude thresh keeping its phase (a zero element becomes (thresh, 0)), then
 * replaced by conj(z)/|z|^2; with thresh = 0 a zero element (both parts +-0)
 * becomes (largest finite value, 0) and is reported the same way. */
VOK_API void VOK_CALL voksbInvThresh1(float* vec, int len, float thresh);
VOK_API void VOK_CALL voksbInvThresh2(const float* src, float* dst, int len, float thresh);
VOK_API void VOK_CALL vokdbInvThresh1(double* vec, int len, double thresh);
VOK_API void VOK_CALL vokdbInvThresh2(const double* src, double* dst, int len, double thresh);
VOK_API void VOK_CALL vokcbInvThresh1(FloatComplex* vec, int len, float thresh);
VOK_API void VOK_CALL vokcbInvThresh2(const FloatComplex* src, FloatComplex* dst, int len, float thresh);
VOK_API void VOK_CALL vokzbInvThresh1(DoubleComplex* vec, int len, double thresh);
VOK_API void VOK_CALL vokzbInvThresh2(const DoubleComplex* src, DoubleComplex* dst, int len, double thresh);
///@}

/** @name Abs */
///@{
/** Abs: |x| by clearing the sign bit (NaN payloads kept). The 16-bit |-32768|
 * saturates to 32767. */
VOK_API void VOK_CALL voksbAbs1(float* vec, int len);
VOK_API void VOK_CALL voksbAbs2(const float* src, float* dst, int len);
VOK_API void VOK_CALL vokdbAbs1(double* vec, int len);
VOK_API void VOK_CALL vokdbAbs2(const double* src, double* dst, int len);
VOK_API void VOK_CALL vokwbAbs1(short* vec, int len);
VOK_API void VOK_CALL vokwbAbs2(const short* src, short* dst, int len);
///@}
/** @name 16-bit squares */
///@{
/** 16-bit squares: 32-bit squares (complex: re^2 - im^2 and 2·re·im, the latter
 * saturated at 2^31 - 1) brought to 16 bits with one scale factor for the call;
 * VOK_AUTO_SCALE with a null scaleFactor reports "scaleFactor==0". */
VOK_API void VOK_CALL vokwbSqr1(short* vec, int len, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbSqr2(const short* src, short* dst, int len, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvbSqr1(ShortComplex* vec, int len, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvbSqr2(const ShortComplex* src, ShortComplex* dst, int len, int scaleMode, int* scaleFactor);
///@}

/** @name Ln and Exp, module voklnexp */
///@{
/** Ln and Exp, module voklnexp (float, double) and voklnexw (16-bit).
 * Ln: an element with its sign bit set (negatives, -0, negative NaNs) gives the
 * negative quiet NaN whose only fraction bit is the highest; +0 gives -infinity;
 * no report is made. Float results are within 1 ulp of the exact value, double
 * results as accurate as the C library's log and exp.
 * Exp: results beyond the largest finite value are +infinity, results below the
 * smallest denormal are +0 (no report); a NaN stays a NaN with its payload.
 * 16-bit Ln: ln x rounded to the nearest integer; zero and negative elements
 * give -32768 (no report). 16-bit Exp: e^x truncated toward zero under the
 * scale mode (VOK_SATURATE clamps to 32767; e^x beyond the float range counts
 * as the largest finite float). */
VOK_API void VOK_CALL voksbLn1(float* vec, int len);
VOK_API void VOK_CALL voksbLn2(const float* src, float* dst, int len);
VOK_API void VOK_CALL vokdbLn1(double* vec, int len);
VOK_API void VOK_CALL vokdbLn2(const double* src, double* dst, int len);
VOK_API void VOK_CALL vokwbLn1(short* vec, int len);
VOK_API void VOK_CALL vokwbLn2(const short* src, short* dst, int len);
VOK_API void VOK_CALL voksbExp1(float* vec, int len);
VOK_API void VOK_CALL voksbExp2(const float* src, float* dst, int len);
VOK_API void VOK_CALL vokdbExp1(double* vec, int len);
VOK_API void VOK_CALL vokdbExp2(const double* src, double* dst, int len);
///@}
/** @name 16-bit exponential */
///@{
/** 16-bit exponential: e^x in float (beyond the float range the largest float),
 * brought to 16 bits with the scale mode; "scaleFactor==0" as for Sqr. */
VOK_API void VOK_CALL vokwbExp1(short* vec, int len, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbExp2(const short* src, short* dst, int len, int scaleMode, int* scaleFactor);
///@}

/** @name Statistics */
///@{
/** Statistics (module vokvec)
 * Mean: (1/len) sum x. StdDev: the mean square (1/len) sum x^2, no mean
 * subtracted and no root taken. Max, Min: largest and smallest element (a NaN
 * is never chosen unless it is the first element). Float sums run in double,
 * double sums in compensated double, over 16 fixed partial sums. 16-bit: the
 * mean is the 32-bit sum divided by len with truncation toward zero; the mean
 * square is the exact sum of squares divided by len with truncation, brought to
 * 16 bits under the scale mode. Checks: "len<=0", "vec==0" (and "scaleFactor==0"
 * for vokwStdDev in VOK_AUTO_SCALE); a failure returns 0. */
VOK_API float VOK_CALL voksMean(const float* vec, int len);
VOK_API double VOK_CALL vokdMean(const double* vec, int len);
VOK_API short VOK_CALL vokwMean(const short* vec, int len);
VOK_API float VOK_CALL voksStdDev(const float* vec, int len);
VOK_API double VOK_CALL vokdStdDev(const double* vec, int len);
///@}
/** 16-bit mean square: the exact sum of squares divided by len (truncated),
 * brought to 16 bits with the scale mode; "scaleFactor==0" in VOK_AUTO_SCALE
 * with a null scaleFactor. */
VOK_API short VOK_CALL vokwStdDev(const short* vec, int len, int scaleMode, int* scaleFactor);

/** @name Largest and smallest element */
///@{
/** Largest and smallest element (a NaN is never chosen unless it is the first). */
VOK_API float VOK_CALL voksMax(const float* vec, int len);
VOK_API double VOK_CALL vokdMax(const double* vec, int len);
VOK_API short VOK_CALL vokwMax(const short* vec, int len);
VOK_API float VOK_CALL voksMin(const float* vec, int len);
VOK_API double VOK_CALL vokdMin(const double* vec, int len);
VOK_API short VOK_CALL vokwMin(const short* vec, int len);
///@}

/** @name Norms */
///@{
/** Norms (module voknorm)
 * The norm of srcA - srcB, or of srcA when srcB is null; flag is one of VOK_C
 * (max magnitude), VOK_L1 (sum of magnitudes), VOK_L2 (Euclidean), optionally
 * with VOK_RELATIVE (divided by the norm of srcA; 1.0 when srcB is null; 0.0
 * when the difference's raw norm is below 1.1754944e-38; 3.4028235e+38 when
 * srcA's is). Complex magnitudes are sqrt(re^2 + im^2); float, complex float
 * and 16-bit sums run in double, double sums in compensated double. Checks:
 * "n<=0", "srcA==0", "flag is wrong"; a failure returns 0.0. */
VOK_API float VOK_CALL voksNorm(const float* srcA, const float* srcB, int len, int flag);
VOK_API float VOK_CALL vokcNorm(const FloatComplex* srcA, const FloatComplex* srcB, int len, int flag);
VOK_API double VOK_CALL vokdNorm(const double* srcA, const double* srcB, int len, int flag);
VOK_API double VOK_CALL vokzNorm(const DoubleComplex* srcA, const DoubleComplex* srcB, int len, int flag);
VOK_API float VOK_CALL vokwNorm(const short* srcA, const short* srcB, int len, int flag);
VOK_API float VOK_CALL vokvNorm(const ShortComplex* srcA, const ShortComplex* srcB, int len, int flag);
///@}

/** @name Normalize */
///@{
/** Normalize: dst[i] = (src[i] - offset) * (1/factor), the reciprocal formed once
 * in double. Checks: "n<=0", "src==0", "dst==0", "factor == 0" (+0 or -0).
 * 16-bit results are truncated toward zero and saturated. */
VOK_API void VOK_CALL voksbNormalize(const float* src, float* dst, int n, float offset, float factor);
VOK_API void VOK_CALL vokcbNormalize(const FloatComplex* src, FloatComplex* dst, int n, FloatComplex offset, float factor);
VOK_API void VOK_CALL vokdbNormalize(const double* src, double* dst, int n, double offset, double factor);
VOK_API void VOK_CALL vokzbNormalize(const DoubleComplex* src, DoubleComplex* dst, int n, DoubleComplex offset, double factor);
///@}
/** @name 16-bit normalization */
///@{
/** 16-bit normalization: (x - offset)/factor in float, truncated toward zero
 * and saturated to 16 bits (complex: each part with its offset part). */
VOK_API void VOK_CALL vokwbNormalize(const short* src, short* dst, int n, short offset, float factor);
VOK_API void VOK_CALL vokvbNormalize(const ShortComplex* src, ShortComplex* dst, int n, ShortComplex offset, float factor);
///@}

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_ELEMENTWISE_H */
