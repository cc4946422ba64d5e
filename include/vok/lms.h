/** @file
 * @brief LMS adaptive filters: see @ref lms. */
/** @defgroup lms LMS adaptive filters
 * vokx1 LMS adaptive filters (modules voklmsl, voklmsh).
 *
 * Adaptive FIR filters updated by the LMS rule with a step size, a leak and an
 * error delay. Low layer (vok?Lmsl): caller records over caller arrays, the taps
 * record laid out like FirTapState. High layer (vok?Lms): one LmsState owning its
 * arrays, released with vokLmsFree. The Des forms take the desired signal and
 * form the error themselves.
 * @par Example
 * @code
 * float taps[32] = {0}, out[1000];
 * LmsState st = {0};
 * voksLmsInit(0, taps, 32, NULL, 0.01f, 0.0f, 0, &st);
 * voksbLmsDes(&st, in, desired, out, 1000);     // adapts towards desired
 * vokLmsFree(&st);
 * @endcode
 * @{ */
#ifndef VOK_LMS_H
#define VOK_LMS_H

#include "types.h"

/** Taps of an adaptive filter. The first eight words have the layout of
 * FirTapState, so the two-state FIR filter runs on this record unchanged. */
typedef struct {
    void* taps;        /**< w: taps[i] multiplies the input delayed by i samples */
    int len;           /**< tapsLen */
    int upFactor;      /**< always 1 */
    int upPhase;       /**< always 0 */
    int downFactor;    /**< decimation factor D, 1 single rate */
    int downPhase;     /**< 0 <= downPhase < downFactor */
    int isMultiRate;   /**< 1 when downFactor >= 2 */
    int isFilterMode;  /**< 1 when the taps array is in filter mode (high layer: set up) */
    float leak;        /**< the taps are scaled by 1 - leak at each update */
    float step;        /**< step size */
    int errDly;        /**< error delay in samples, >= 0 */
    int lmsType;       /**< kept as given; no meaning */
} LmsTapState;

/** Delay line of an adaptive filter, slot 0 newest. The first three words have
 * the layout of FirDlyState. */
typedef struct {
    void* dlyl;        /**< the delay-line array */
    int len;           /**< tapsLen, + errDly when isAdapt, + downFactor when multirate */
    int isFilterMode;  /**< 1 when in filter mode (high layer: set up) */
    int isAdapt;       /**< 1 when the line carries the errDly extra samples adaptation reads */
} LmsDlyState;

/** The high-layer state: both records, then the error of the last output. The
 * error is of the output element type of the filter: only that member is used. */
typedef struct {
    LmsTapState tapState;  /**< taps, over a library-owned array */
    LmsDlyState dlyState;  /**< delay line, over a library-owned array */
    union {
        float s;           /**< float output */
        double d;          /**< double output */
        FloatComplex c;    /**< FloatComplex output */
        DoubleComplex z;   /**< DoubleComplex output */
    } errVal;              /**< error of the last output */
} LmsState;

VOK_EXTERN_C_BEGIN

/** @name Low layer */
///@{
/** low layer (voklmsl): caller-owned records over caller-owned arrays */
VOK_API void VOK_CALL voksLmslInit(int lmsType, float* taps, int tapsLen, float step, float leak, int errDly, LmsTapState* tapStPtr);
VOK_API void VOK_CALL voksLmslInitMr(int lmsType, float* taps, int tapsLen, float step, float leak, int errDly, int downFactor,
                                   int downPhase, LmsTapState* tapStPtr);
VOK_API void VOK_CALL voksLmslInitDlyl(LmsTapState* tapStPtr, float* dlyl, int isAdapt, LmsDlyState* dlyStPtr);
VOK_API void VOK_CALL voksLmslSetTaps(const float* taps, LmsTapState* tapStPtr);
VOK_API int VOK_CALL voksLmslGetTaps(LmsTapState* tapStPtr, float* taps);
VOK_API void VOK_CALL voksLmslSetDlyl(LmsTapState* tapStPtr, const float* dlyl, LmsDlyState* dlyStPtr);
VOK_API void VOK_CALL voksLmslGetDlyl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, float* dlyl);

VOK_API void VOK_CALL vokdLmslInit(int lmsType, double* taps, int tapsLen, float step, float leak, int errDly, LmsTapState* tapStPtr);
VOK_API void VOK_CALL vokdLmslInitMr(int lmsType, double* taps, int tapsLen, float step, float leak, int errDly, int downFactor,
                                   int downPhase, LmsTapState* tapStPtr);
VOK_API void VOK_CALL vokdLmslInitDlyl(LmsTapState* tapStPtr, double* dlyl, int isAdapt, LmsDlyState* dlyStPtr);
VOK_API void VOK_CALL vokdLmslSetTaps(const double* taps, LmsTapState* tapStPtr);
VOK_API int VOK_CALL vokdLmslGetTaps(LmsTapState* tapStPtr, double* taps);
VOK_API void VOK_CALL vokdLmslSetDlyl(LmsTapState* tapStPtr, const double* dlyl, LmsDlyState* dlyStPtr);
VOK_API void VOK_CALL vokdLmslGetDlyl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, double* dlyl);

VOK_API void VOK_CALL vokcLmslInit(int lmsType, FloatComplex* taps, int tapsLen, float step, float leak, int errDly, LmsTapState* tapStPtr);
VOK_API void VOK_CALL vokcLmslInitMr(int lmsType, FloatComplex* taps, int tapsLen, float step, float leak, int errDly, int downFactor,
                                   int downPhase, LmsTapState* tapStPtr);
VOK_API void VOK_CALL vokcLmslInitDlyl(LmsTapState* tapStPtr, FloatComplex* dlyl, int isAdapt, LmsDlyState* dlyStPtr);
VOK_API void VOK_CALL vokcLmslSetTaps(const FloatComplex* taps, LmsTapState* tapStPtr);
VOK_API int VOK_CALL vokcLmslGetTaps(LmsTapState* tapStPtr, FloatComplex* taps);
VOK_API void VOK_CALL vokcLmslSetDlyl(LmsTapState* tapStPtr, const FloatComplex* dlyl, LmsDlyState* dlyStPtr);
VOK_API void VOK_CALL vokcLmslGetDlyl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, FloatComplex* dlyl);

VOK_API void VOK_CALL vokzLmslInit(int lmsType, DoubleComplex* taps, int tapsLen, float step, float leak, int errDly, LmsTapState* tapStPtr);
VOK_API void VOK_CALL vokzLmslInitMr(int lmsType, DoubleComplex* taps, int tapsLen, float step, float leak, int errDly, int downFactor,
                                   int downPhase, LmsTapState* tapStPtr);
VOK_API void VOK_CALL vokzLmslInitDlyl(LmsTapState* tapStPtr, DoubleComplex* dlyl, int isAdapt, LmsDlyState* dlyStPtr);
VOK_API void VOK_CALL vokzLmslSetTaps(const DoubleComplex* taps, LmsTapState* tapStPtr);
VOK_API int VOK_CALL vokzLmslGetTaps(LmsTapState* tapStPtr, DoubleComplex* taps);
VOK_API void VOK_CALL vokzLmslSetDlyl(LmsTapState* tapStPtr, const DoubleComplex* dlyl, LmsDlyState* dlyStPtr);
VOK_API void VOK_CALL vokzLmslGetDlyl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, DoubleComplex* dlyl);
///@}

/** @name Step and leak of a taps record of any element type */
///@{
/** Step and leak of a taps record of any element type. */
VOK_API void VOK_CALL vokwLmslSetStep(float step, LmsTapState* tapStPtr);
VOK_API float VOK_CALL vokwLmslGetStep(const LmsTapState* tapStPtr);
VOK_API void VOK_CALL voksLmslSetStep(float step, LmsTapState* tapStPtr);
VOK_API float VOK_CALL voksLmslGetStep(const LmsTapState* tapStPtr);
VOK_API void VOK_CALL voksLmslSetLeak(float leak, LmsTapState* tapStPtr);
VOK_API float VOK_CALL voksLmslGetLeak(const LmsTapState* tapStPtr);
///@}

/** @name One adaptation step with the error of an earlier output, then one ... */
///@{
/** One adaptation step with the error of an earlier output, then one output;
 * the block form consumes downFactor inputs per output. */
VOK_API float VOK_CALL voksLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, float samp, float err);
VOK_API double VOK_CALL vokdLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, double samp, double err);
VOK_API FloatComplex VOK_CALL vokcLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, FloatComplex samp, FloatComplex err);
VOK_API DoubleComplex VOK_CALL vokzLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, DoubleComplex samp, DoubleComplex err);
VOK_API FloatComplex VOK_CALL vokscLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, float samp, FloatComplex err);
VOK_API DoubleComplex VOK_CALL vokdzLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, double samp, DoubleComplex err);
VOK_API float VOK_CALL voksbLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const float* inSamps, float err);
VOK_API double VOK_CALL vokdbLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const double* inSamps, double err);
VOK_API FloatComplex VOK_CALL vokcbLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const FloatComplex* inSamps, FloatComplex err);
VOK_API DoubleComplex VOK_CALL vokzbLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const DoubleComplex* inSamps, DoubleComplex err);
VOK_API FloatComplex VOK_CALL vokscbLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const float* inSamps, FloatComplex err);
VOK_API DoubleComplex VOK_CALL vokdzbLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const double* inSamps, DoubleComplex err);
///@}

/** @name Filtering without adaptation, through the two-state FIR filter on the ... */
///@{
/** Filtering without adaptation, through the two-state FIR filter on the same records. */
VOK_API float VOK_CALL voksLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, float samp);
VOK_API double VOK_CALL vokdLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, double samp);
VOK_API FloatComplex VOK_CALL vokcLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, FloatComplex samp);
VOK_API DoubleComplex VOK_CALL vokzLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, DoubleComplex samp);
VOK_API FloatComplex VOK_CALL vokscLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, float samp);
VOK_API FloatComplex VOK_CALL vokcsLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, FloatComplex samp);
VOK_API DoubleComplex VOK_CALL vokdzLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, double samp);
VOK_API DoubleComplex VOK_CALL vokzdLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, DoubleComplex samp);
VOK_API void VOK_CALL voksbLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const float* inSamps, float* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokdbLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const double* inSamps, double* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokcbLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const FloatComplex* inSamps, FloatComplex* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokzbLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const DoubleComplex* inSamps, DoubleComplex* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokscbLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const float* inSamps, FloatComplex* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokcsbLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const FloatComplex* inSamps, FloatComplex* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokdzbLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const double* inSamps, DoubleComplex* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokzdbLmslNa(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const DoubleComplex* inSamps, DoubleComplex* outSamps,
                                 int numIters);
///@}

/** @name 16-bit samples with float taps */
///@{
/** 16-bit samples with float taps. */
VOK_API void VOK_CALL vokwLmslInit(int lmsType, float* taps, int tapsLen, float step, int errDly, LmsTapState* tapStPtr);
VOK_API void VOK_CALL vokwLmslInitDlyl(LmsTapState* tapStPtr, short* dlyl, LmsDlyState* dlyStPtr);
VOK_API void VOK_CALL vokwLmslSetTaps(const float* taps, LmsTapState* tapStPtr);
VOK_API int VOK_CALL vokwLmslGetTaps(LmsTapState* tapStPtr, float* taps);
VOK_API void VOK_CALL vokwLmslSetDlyl(LmsTapState* tapStPtr, const short* dlyl, LmsDlyState* dlyStPtr);
VOK_API void VOK_CALL vokwLmslGetDlyl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, short* dlyl);
VOK_API short VOK_CALL vokwLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, short samp, short err);
///@}

/** @name High layer */
///@{
/** high layer (voklmsh): one record owning its taps and delay line */
VOK_API void VOK_CALL voksLmsInit(int lmsType, const float* taps, int tapsLen, const float* dlyl, float step, float leak,
                               int errDly, LmsState* statePtr);
VOK_API void VOK_CALL voksLmsInitMr(int lmsType, const float* taps, int tapsLen, const float* dlyl, float step, float leak,
                                 int errDly, int downFactor, int downPhase, LmsState* statePtr);
VOK_API float VOK_CALL voksLms(LmsState* statePtr, float samp, float err);
VOK_API float VOK_CALL voksbLms(LmsState* statePtr, const float* inSamps, float err);
VOK_API float VOK_CALL voksLmsDes(LmsState* statePtr, float samp, float desired);
VOK_API void VOK_CALL voksbLmsDes(LmsState* statePtr, const float* inSamps, const float* desSamps, float* outSamps,
                               int numIters);

VOK_API void VOK_CALL vokdLmsInit(int lmsType, const double* taps, int tapsLen, const double* dlyl, float step, float leak,
                               int errDly, LmsState* statePtr);
VOK_API void VOK_CALL vokdLmsInitMr(int lmsType, const double* taps, int tapsLen, const double* dlyl, float step, float leak,
                                 int errDly, int downFactor, int downPhase, LmsState* statePtr);
VOK_API double VOK_CALL vokdLms(LmsState* statePtr, double samp, double err);
VOK_API double VOK_CALL vokdbLms(LmsState* statePtr, const double* inSamps, double err);
VOK_API double VOK_CALL vokdLmsDes(LmsState* statePtr, double samp, double desired);
VOK_API void VOK_CALL vokdbLmsDes(LmsState* statePtr, const double* inSamps, const double* desSamps, double* outSamps,
                               int numIters);

VOK_API void VOK_CALL vokcLmsInit(int lmsType, const FloatComplex* taps, int tapsLen, const FloatComplex* dlyl, float step, float leak,
                               int errDly, LmsState* statePtr);
VOK_API void VOK_CALL vokcLmsInitMr(int lmsType, const FloatComplex* taps, int tapsLen, const FloatComplex* dlyl, float step, float leak,
                                 int errDly, int downFactor, int downPhase, LmsState* statePtr);
VOK_API FloatComplex VOK_CALL vokcLms(LmsState* statePtr, FloatComplex samp, FloatComplex err);
VOK_API FloatComplex VOK_CALL vokcbLms(LmsState* statePtr, const FloatComplex* inSamps, FloatComplex err);
VOK_API FloatComplex VOK_CALL vokcLmsDes(LmsState* statePtr, FloatComplex samp, FloatComplex desired);
VOK_API void VOK_CALL vokcbLmsDes(LmsState* statePtr, const FloatComplex* inSamps, const FloatComplex* desSamps, FloatComplex* outSamps,
                               int numIters);

VOK_API void VOK_CALL vokzLmsInit(int lmsType, const DoubleComplex* taps, int tapsLen, const DoubleComplex* dlyl, float step, float leak,
                               int errDly, LmsState* statePtr);
VOK_API void VOK_CALL vokzLmsInitMr(int lmsType, const DoubleComplex* taps, int tapsLen, const DoubleComplex* dlyl, float step, float leak,
                                 int errDly, int downFactor, int downPhase, LmsState* statePtr);
VOK_API DoubleComplex VOK_CALL vokzLms(LmsState* statePtr, DoubleComplex samp, DoubleComplex err);
VOK_API DoubleComplex VOK_CALL vokzbLms(LmsState* statePtr, const DoubleComplex* inSamps, DoubleComplex err);
VOK_API DoubleComplex VOK_CALL vokzLmsDes(LmsState* statePtr, DoubleComplex samp, DoubleComplex desired);
VOK_API void VOK_CALL vokzbLmsDes(LmsState* statePtr, const DoubleComplex* inSamps, const DoubleComplex* desSamps, DoubleComplex* outSamps,
                               int numIters);

VOK_API void VOK_CALL vokscLmsInit(int lmsType, const FloatComplex* taps, int tapsLen, const float* dlyl, float step, float leak,
                               int errDly, LmsState* statePtr);
VOK_API void VOK_CALL vokscLmsInitMr(int lmsType, const FloatComplex* taps, int tapsLen, const float* dlyl, float step, float leak,
                                 int errDly, int downFactor, int downPhase, LmsState* statePtr);
VOK_API FloatComplex VOK_CALL vokscLms(LmsState* statePtr, float samp, FloatComplex err);
VOK_API FloatComplex VOK_CALL vokscbLms(LmsState* statePtr, const float* inSamps, FloatComplex err);
VOK_API FloatComplex VOK_CALL vokscLmsDes(LmsState* statePtr, float samp, FloatComplex desired);
VOK_API void VOK_CALL vokscbLmsDes(LmsState* statePtr, const float* inSamps, const FloatComplex* desSamps, FloatComplex* outSamps,
                               int numIters);

VOK_API void VOK_CALL vokdzLmsInit(int lmsType, const DoubleComplex* taps, int tapsLen, const double* dlyl, float step, float leak,
                               int errDly, LmsState* statePtr);
VOK_API void VOK_CALL vokdzLmsInitMr(int lmsType, const DoubleComplex* taps, int tapsLen, const double* dlyl, float step, float leak,
                                 int errDly, int downFactor, int downPhase, LmsState* statePtr);
VOK_API DoubleComplex VOK_CALL vokdzLms(LmsState* statePtr, double samp, DoubleComplex err);
VOK_API DoubleComplex VOK_CALL vokdzbLms(LmsState* statePtr, const double* inSamps, DoubleComplex err);
VOK_API DoubleComplex VOK_CALL vokdzLmsDes(LmsState* statePtr, double samp, DoubleComplex desired);
VOK_API void VOK_CALL vokdzbLmsDes(LmsState* statePtr, const double* inSamps, const DoubleComplex* desSamps, DoubleComplex* outSamps,
                               int numIters);
///@}

/** @name Copy taps and delay line out of or into the record, and read or set ... */
///@{
/** Copy taps and delay line out of or into the record, and read or set the
 * stored error of the last output. */
VOK_API void VOK_CALL voksLmsGetTaps(LmsState* statePtr, float* taps);
VOK_API void VOK_CALL voksLmsSetTaps(const float* taps, LmsState* statePtr);
VOK_API void VOK_CALL voksLmsGetDlyl(LmsState* statePtr, float* dlyl);
VOK_API void VOK_CALL voksLmsSetDlyl(const float* dlyl, LmsState* statePtr);
VOK_API float VOK_CALL voksLmsGetErrVal(const LmsState* statePtr);
VOK_API void VOK_CALL voksLmsSetErrVal(float errVal, LmsState* statePtr);

VOK_API void VOK_CALL vokdLmsGetTaps(LmsState* statePtr, double* taps);
VOK_API void VOK_CALL vokdLmsSetTaps(const double* taps, LmsState* statePtr);
VOK_API void VOK_CALL vokdLmsGetDlyl(LmsState* statePtr, double* dlyl);
VOK_API void VOK_CALL vokdLmsSetDlyl(const double* dlyl, LmsState* statePtr);
VOK_API double VOK_CALL vokdLmsGetErrVal(const LmsState* statePtr);
VOK_API void VOK_CALL vokdLmsSetErrVal(double errVal, LmsState* statePtr);

VOK_API void VOK_CALL vokcLmsGetTaps(LmsState* statePtr, FloatComplex* taps);
VOK_API void VOK_CALL vokcLmsSetTaps(const FloatComplex* taps, LmsState* statePtr);
VOK_API void VOK_CALL vokcLmsGetDlyl(LmsState* statePtr, FloatComplex* dlyl);
VOK_API void VOK_CALL vokcLmsSetDlyl(const FloatComplex* dlyl, LmsState* statePtr);
VOK_API FloatComplex VOK_CALL vokcLmsGetErrVal(const LmsState* statePtr);
VOK_API void VOK_CALL vokcLmsSetErrVal(FloatComplex errVal, LmsState* statePtr);

VOK_API void VOK_CALL vokzLmsGetTaps(LmsState* statePtr, DoubleComplex* taps);
VOK_API void VOK_CALL vokzLmsSetTaps(const DoubleComplex* taps, LmsState* statePtr);
VOK_API void VOK_CALL vokzLmsGetDlyl(LmsState* statePtr, DoubleComplex* dlyl);
VOK_API void VOK_CALL vokzLmsSetDlyl(const DoubleComplex* dlyl, LmsState* statePtr);
VOK_API DoubleComplex VOK_CALL vokzLmsGetErrVal(const LmsState* statePtr);
VOK_API void VOK_CALL vokzLmsSetErrVal(DoubleComplex errVal, LmsState* statePtr);
///@}

/** @name Plain field access */
///@{
/** Plain field access: the record must be valid. */
VOK_API float VOK_CALL voksLmsGetStep(const LmsState* statePtr);
VOK_API void VOK_CALL voksLmsSetStep(float step, LmsState* statePtr);
VOK_API float VOK_CALL voksLmsGetLeak(const LmsState* statePtr);
VOK_API void VOK_CALL voksLmsSetLeak(float leak, LmsState* statePtr);
///@}
/** Release the arrays the library allocated for *statePtr. */
VOK_API void VOK_CALL vokLmsFree(LmsState* statePtr);

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_LMS_H */
