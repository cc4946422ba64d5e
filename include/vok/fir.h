/** @file
 * @brief FIR filters: see @ref fir. */
/** @defgroup fir FIR filters
 * vokx1 FIR filters: two-state, single-state and 16-bit forms (modules vokfirl, vokfirh, vokfirlw, vokfirhw).
 *
 * Two forms of the same filters. The two-state form (vok?Firl) runs on two small
 * records (FirTapState, FirDlyState) over arrays the caller owns; Init rearranges
 * the caller's taps array in place. The single-state form (vok?Fir) keeps
 * everything in one FirState whose arrays the library allocates: Init, then any
 * number of vok?Fir / vok?bFir calls (the history carries over between calls),
 * then vokFirFree. Both have multirate variants (InitMr: interpolate by upFactor,
 * decimate by downFactor) and 16-bit forms with float taps.
 * @par Example
 * @code
 * float taps[31], in[480], out[480];
 * vokdFirLowpass(...);                          // or any taps; see @ref firdesign
 * FirState st;
 * voksFirInit(taps, 31, NULL, &st);             // null delay line: silent history
 * voksbFir(&st, in, out, 480);                  // repeat for every block
 * vokFirFree(&st);
 * @endcode
 * @{ */
#ifndef VOK_FIR_H
#define VOK_FIR_H

#include "types.h"

/** Taps of a two-state filter (nine 32-bit words on 32-bit platforms). The
 * caller owns the record and the taps array, which is used in place. */
typedef struct {
    void* taps;        /**< taps[k] multiplies the input delayed by k samples */
    int len;           /**< tapsLen, >= 1 */
    int upFactor;      /**< interpolation factor, 1 single rate */
    int upPhase;       /**< 0 <= upPhase < upFactor */
    int downFactor;    /**< decimation factor, 1 single rate */
    int downPhase;     /**< 0 <= downPhase < downFactor */
    int isMultiRate;   /**< 1 when upFactor > 1 or downFactor > 1 */
    int isFilterMode;  /**< 1 when the taps array holds the filter's internal form */
    int reserved;      /**< 0 after every initialisation (16-bit forms: the taps' scale factor) */
} FirTapState;

/** Delay line of one signal for a two-state filter (three 32-bit words). */
typedef struct {
    void* dlyl;        /**< the caller's array, slot 0 newest while in filter mode */
    int len;           /**< tapsLen single rate, ceil(tapsLen / upFactor) multirate */
    int isFilterMode;  /**< 1 when the array holds the filter's internal (reversed) order */
} FirDlyState;

/** Single-state filter (eighteen 32-bit words on 32-bit platforms); the
 * library owns tapsBuf, sampleBuf and phaseTable, released by vokFirFree. */
typedef struct {
    int upFactor;         /**< interpolation factor, 1 single rate */
    int upPhase;          /**< 0 <= upPhase < upFactor */
    int downFactor;       /**< decimation factor, 1 single rate */
    int downPhase;        /**< 0 <= downPhase < downFactor */
    int isMultiRate;      /**< 1 when upFactor > 1 or downFactor > 1 */
    void* selfRef;        /**< the record's own address while initialised */
    int tapsLen;          /**< number of taps, >= 1 */
    int tapsLenUnrolled;  /**< tapsLen rounded down to the single-sample unroll width */
    void* tapsBuf;        /**< taps in filter order: reversed, or reversed branches */
    int dlyLen;           /**< delay-line length: tapsLen - 1 single rate */
    int bufRoom;          /**< room for new samples after the delay line */
    int windowPos;        /**< 16-bit forms: start of the window in sampleBuf */
    void* sampleBuf;      /**< dlyLen + bufRoom samples */
    void* bufWrap;        /**< sampleBuf + bufRoom elements */
    void* window;         /**< current delay-line window, oldest first */
    void* phaseTable;     /**< multirate: upFactor entries of four 32-bit words */
    int tapsScale;        /**< 16-bit forms: the taps' scale factor */
    int origTapsLen;      /**< 16-bit forms: the caller's tapsLen */
} FirState;

VOK_EXTERN_C_BEGIN

/** @name Two-state filter */
///@{
/** Two-state filter (module vokfirl)
 * Init stores taps (tapsLen >= 1) in *tapStPtr and rearranges the caller's array
 * into filter order; InitMr does the same for a polyphase filter that
 * interpolates by upFactor and decimates by downFactor. InitDlyl attaches the
 * caller's delay-line array (len elements, see FirDlyState) and clears it.
 * SetTaps / GetTaps and SetDlyl / GetDlyl copy taps and history in natural
 * order. The first letter is the element type of the arrays. */
VOK_API void VOK_CALL voksFirlInit(float* taps, int tapsLen, FirTapState* tapStPtr);
VOK_API void VOK_CALL voksFirlInitMr(float* taps, int tapsLen, int upFactor, int upPhase, int downFactor, int downPhase,
                                   FirTapState* tapStPtr);
VOK_API void VOK_CALL voksFirlInitDlyl(FirTapState* tapStPtr, float* dlyl, FirDlyState* dlyStPtr);
VOK_API void VOK_CALL voksFirlSetTaps(const float* taps, FirTapState* tapStPtr);
VOK_API void VOK_CALL voksFirlGetTaps(FirTapState* tapStPtr, float* taps);
VOK_API void VOK_CALL voksFirlSetDlyl(FirTapState* tapStPtr, const float* dlyl, FirDlyState* dlyStPtr);
VOK_API void VOK_CALL voksFirlGetDlyl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, float* dlyl);

VOK_API void VOK_CALL vokcFirlInit(FloatComplex* taps, int tapsLen, FirTapState* tapStPtr);
VOK_API void VOK_CALL vokcFirlInitMr(FloatComplex* taps, int tapsLen, int upFactor, int upPhase, int downFactor, int downPhase,
                                   FirTapState* tapStPtr);
VOK_API void VOK_CALL vokcFirlInitDlyl(FirTapState* tapStPtr, FloatComplex* dlyl, FirDlyState* dlyStPtr);
VOK_API void VOK_CALL vokcFirlSetTaps(const FloatComplex* taps, FirTapState* tapStPtr);
VOK_API void VOK_CALL vokcFirlGetTaps(FirTapState* tapStPtr, FloatComplex* taps);
VOK_API void VOK_CALL vokcFirlSetDlyl(FirTapState* tapStPtr, const FloatComplex* dlyl, FirDlyState* dlyStPtr);
VOK_API void VOK_CALL vokcFirlGetDlyl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, FloatComplex* dlyl);

VOK_API void VOK_CALL vokdFirlInit(double* taps, int tapsLen, FirTapState* tapStPtr);
VOK_API void VOK_CALL vokdFirlInitMr(double* taps, int tapsLen, int upFactor, int upPhase, int downFactor, int downPhase,
                                   FirTapState* tapStPtr);
VOK_API void VOK_CALL vokdFirlInitDlyl(FirTapState* tapStPtr, double* dlyl, FirDlyState* dlyStPtr);
VOK_API void VOK_CALL vokdFirlSetTaps(const double* taps, FirTapState* tapStPtr);
VOK_API void VOK_CALL vokdFirlGetTaps(FirTapState* tapStPtr, double* taps);
VOK_API void VOK_CALL vokdFirlSetDlyl(FirTapState* tapStPtr, const double* dlyl, FirDlyState* dlyStPtr);
VOK_API void VOK_CALL vokdFirlGetDlyl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, double* dlyl);

VOK_API void VOK_CALL vokzFirlInit(DoubleComplex* taps, int tapsLen, FirTapState* tapStPtr);
VOK_API void VOK_CALL vokzFirlInitMr(DoubleComplex* taps, int tapsLen, int upFactor, int upPhase, int downFactor, int downPhase,
                                   FirTapState* tapStPtr);
VOK_API void VOK_CALL vokzFirlInitDlyl(FirTapState* tapStPtr, DoubleComplex* dlyl, FirDlyState* dlyStPtr);
VOK_API void VOK_CALL vokzFirlSetTaps(const DoubleComplex* taps, FirTapState* tapStPtr);
VOK_API void VOK_CALL vokzFirlGetTaps(FirTapState* tapStPtr, DoubleComplex* taps);
VOK_API void VOK_CALL vokzFirlSetDlyl(FirTapState* tapStPtr, const DoubleComplex* dlyl, FirDlyState* dlyStPtr);
VOK_API void VOK_CALL vokzFirlGetDlyl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, DoubleComplex* dlyl);
///@}

/** @name Filtering */
///@{
/** Filtering; in a two-letter name the first is the data (and delay line), the second the taps. */
VOK_API float VOK_CALL voksFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, float samp);
VOK_API double VOK_CALL vokdFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, double samp);
VOK_API FloatComplex VOK_CALL vokcFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, FloatComplex samp);
VOK_API DoubleComplex VOK_CALL vokzFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, DoubleComplex samp);
VOK_API FloatComplex VOK_CALL vokscFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, float samp);
VOK_API FloatComplex VOK_CALL vokcsFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, FloatComplex samp);
VOK_API DoubleComplex VOK_CALL vokdzFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, double samp);
VOK_API DoubleComplex VOK_CALL vokzdFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, DoubleComplex samp);
VOK_API void VOK_CALL voksbFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, const float* inSamps, float* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokdbFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, const double* inSamps, double* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokcbFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, const FloatComplex* inSamps, FloatComplex* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokzbFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, const DoubleComplex* inSamps, DoubleComplex* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokscbFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, const float* inSamps, FloatComplex* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokcsbFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, const FloatComplex* inSamps, FloatComplex* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokdzbFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, const double* inSamps, DoubleComplex* outSamps,
                                 int numIters);
VOK_API void VOK_CALL vokzdbFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, const DoubleComplex* inSamps, DoubleComplex* outSamps,
                                 int numIters);
///@}

/* ---- Single-state filter (module vokfirh) ---- */
/** @name Initialise *statePtr as a single-rate filter */
///@{
/** Initialise *statePtr as a single-rate filter: the taps are copied (null taps:
 * all zero) and the delay line of tapsLen - 1 samples is filled from dlyl, oldest
 * first; a null dlyl means a silent history. The library allocates the record's
 * arrays: release them with vokFirFree. Initialising an initialised record
 * releases it first. Fails with "Null state pointer", "Invalid value"
 * (tapsLen < 1) or "Allocation failure" (VOK_StatusNoMemory; the record is left
 * uninitialised). */
VOK_API void VOK_CALL voksFirInit(const float* taps, int tapsLen, const float* dlyl, FirState* statePtr);
VOK_API void VOK_CALL vokdFirInit(const double* taps, int tapsLen, const double* dlyl, FirState* statePtr);
VOK_API void VOK_CALL vokcFirInit(const FloatComplex* taps, int tapsLen, const FloatComplex* dlyl, FirState* statePtr);
VOK_API void VOK_CALL vokzFirInit(const DoubleComplex* taps, int tapsLen, const DoubleComplex* dlyl, FirState* statePtr);
VOK_API void VOK_CALL vokscFirInit(const FloatComplex* taps, int tapsLen, const float* dlyl, FirState* statePtr);
VOK_API void VOK_CALL vokcsFirInit(const float* taps, int tapsLen, const FloatComplex* dlyl, FirState* statePtr);
VOK_API void VOK_CALL vokdzFirInit(const DoubleComplex* taps, int tapsLen, const double* dlyl, FirState* statePtr);
VOK_API void VOK_CALL vokzdFirInit(const double* taps, int tapsLen, const DoubleComplex* dlyl, FirState* statePtr);
///@}

/** @name As vok?FirInit, for a polyphase filter that interpolates by upFactor ... */
///@{
/** As vok?FirInit, for a polyphase filter that interpolates by upFactor and
 * decimates by downFactor (phases 0 <= upPhase < upFactor, 0 <= downPhase <
 * downFactor; "Invalid value" otherwise). The delay line holds
 * ceil(tapsLen / upFactor) - 1 samples; dlyl may be null (silence). */
VOK_API void VOK_CALL voksFirInitMr(const float* taps, int tapsLen, const float* dlyl, int upFactor, int upPhase,
                                  int downFactor, int downPhase, FirState* statePtr);
VOK_API void VOK_CALL vokdFirInitMr(const double* taps, int tapsLen, const double* dlyl, int upFactor, int upPhase,
                                  int downFactor, int downPhase, FirState* statePtr);
VOK_API void VOK_CALL vokcFirInitMr(const FloatComplex* taps, int tapsLen, const FloatComplex* dlyl, int upFactor, int upPhase,
                                  int downFactor, int downPhase, FirState* statePtr);
VOK_API void VOK_CALL vokzFirInitMr(const DoubleComplex* taps, int tapsLen, const DoubleComplex* dlyl, int upFactor, int upPhase,
                                  int downFactor, int downPhase, FirState* statePtr);
VOK_API void VOK_CALL vokscFirInitMr(const FloatComplex* taps, int tapsLen, const float* dlyl, int upFactor, int upPhase,
                                  int downFactor, int downPhase, FirState* statePtr);
VOK_API void VOK_CALL vokcsFirInitMr(const float* taps, int tapsLen, const FloatComplex* dlyl, int upFactor, int upPhase,
                                  int downFactor, int downPhase, FirState* statePtr);
VOK_API void VOK_CALL vokdzFirInitMr(const DoubleComplex* taps, int tapsLen, const double* dlyl, int upFactor, int upPhase,
                                  int downFactor, int downPhase, FirState* statePtr);
VOK_API void VOK_CALL vokzdFirInitMr(const double* taps, int tapsLen, const DoubleComplex* dlyl, int upFactor, int upPhase,
                                  int downFactor, int downPhase, FirState* statePtr);
///@}

/** @name Replace the taps */
///@{
/** Replace the taps (null: all zero) or the delay line (null: silence) of an
 * initialised filter, or copy them out in natural order (taps[k] multiplies the
 * input delayed by k; the delay line oldest first). A record of a mixed type
 * uses the taps type's functions for the taps and the data type's for the delay
 * line. "Must have been initialized" on a record not initialised or freed. */
VOK_API void VOK_CALL voksFirSetTaps(const float* taps, FirState* statePtr);
VOK_API void VOK_CALL voksFirGetTaps(FirState* statePtr, float* taps);
VOK_API void VOK_CALL voksFirSetDlyl(const float* dlyl, FirState* statePtr);
VOK_API void VOK_CALL voksFirGetDlyl(FirState* statePtr, float* dlyl);
VOK_API void VOK_CALL vokcFirSetTaps(const FloatComplex* taps, FirState* statePtr);
VOK_API void VOK_CALL vokcFirGetTaps(FirState* statePtr, FloatComplex* taps);
VOK_API void VOK_CALL vokcFirSetDlyl(const FloatComplex* dlyl, FirState* statePtr);
VOK_API void VOK_CALL vokcFirGetDlyl(FirState* statePtr, FloatComplex* dlyl);
VOK_API void VOK_CALL vokdFirSetTaps(const double* taps, FirState* statePtr);
VOK_API void VOK_CALL vokdFirGetTaps(FirState* statePtr, double* taps);
VOK_API void VOK_CALL vokdFirSetDlyl(const double* dlyl, FirState* statePtr);
VOK_API void VOK_CALL vokdFirGetDlyl(FirState* statePtr, double* dlyl);
VOK_API void VOK_CALL vokzFirSetTaps(const DoubleComplex* taps, FirState* statePtr);
VOK_API void VOK_CALL vokzFirGetTaps(FirState* statePtr, DoubleComplex* taps);
VOK_API void VOK_CALL vokzFirSetDlyl(const DoubleComplex* dlyl, FirState* statePtr);
VOK_API void VOK_CALL vokzFirGetDlyl(FirState* statePtr, DoubleComplex* dlyl);
///@}

/** @name Filter one sample of a single-rate filter and return the output */
///@{
/** Filter one sample of a single-rate filter and return the output (zero after a
 * failure). A multirate state must use the block form. */
VOK_API float VOK_CALL voksFir(FirState* statePtr, float samp);
VOK_API double VOK_CALL vokdFir(FirState* statePtr, double samp);
VOK_API FloatComplex VOK_CALL vokcFir(FirState* statePtr, FloatComplex samp);
VOK_API DoubleComplex VOK_CALL vokzFir(FirState* statePtr, DoubleComplex samp);
VOK_API FloatComplex VOK_CALL vokscFir(FirState* statePtr, float samp);
VOK_API FloatComplex VOK_CALL vokcsFir(FirState* statePtr, FloatComplex samp);
VOK_API DoubleComplex VOK_CALL vokdzFir(FirState* statePtr, double samp);
VOK_API DoubleComplex VOK_CALL vokzdFir(FirState* statePtr, DoubleComplex samp);
///@}

/** @name Filter a block */
///@{
/** Filter a block: numIters iterations, each reading downFactor inputs and
 * writing upFactor outputs (numIters inputs and outputs single rate). The history
 * carries over to the next call, so blocks of any size give the outputs of one
 * long block. numIters < 1: "Invalid value". */
VOK_API void VOK_CALL voksbFir(FirState* statePtr, const float* inSamps, float* outSamps, int numIters);
VOK_API void VOK_CALL vokdbFir(FirState* statePtr, const double* inSamps, double* outSamps, int numIters);
VOK_API void VOK_CALL vokcbFir(FirState* statePtr, const FloatComplex* inSamps, FloatComplex* outSamps, int numIters);
VOK_API void VOK_CALL vokzbFir(FirState* statePtr, const DoubleComplex* inSamps, DoubleComplex* outSamps, int numIters);
VOK_API void VOK_CALL vokscbFir(FirState* statePtr, const float* inSamps, FloatComplex* outSamps, int numIters);
VOK_API void VOK_CALL vokcsbFir(FirState* statePtr, const FloatComplex* inSamps, FloatComplex* outSamps, int numIters);
VOK_API void VOK_CALL vokdzbFir(FirState* statePtr, const double* inSamps, DoubleComplex* outSamps, int numIters);
VOK_API void VOK_CALL vokzdbFir(FirState* statePtr, const DoubleComplex* inSamps, DoubleComplex* outSamps, int numIters);
///@}

/** Release the arrays the library allocated for *statePtr; the record is then
 * uninitialised and may be initialised again. */
VOK_API void VOK_CALL vokFirFree(FirState* statePtr);

/** @name 16-bit samples, float taps, two-state */
///@{
/** 16-bit samples, float taps, two-state (vokfirlw): the taps array is
 * rearranged into filter order, the delay line is chronological */
VOK_API void VOK_CALL vokwFirlInit(float* taps, int tapsLen, FirTapState* tapStPtr);
VOK_API void VOK_CALL vokwFirlInitMr(float* taps, int tapsLen, int upFactor, int upPhase, int downFactor, int downPhase,
                                   FirTapState* tapStPtr);
VOK_API void VOK_CALL vokwFirlInitDlyl(FirTapState* tapStPtr, short* dlyl, FirDlyState* dlyStPtr);
VOK_API void VOK_CALL vokwFirlSetTaps(const float* taps, FirTapState* tapStPtr);
VOK_API void VOK_CALL vokwFirlGetTaps(FirTapState* tapStPtr, float* taps);
VOK_API void VOK_CALL vokwFirlSetDlyl(FirTapState* tapStPtr, const short* dlyl, FirDlyState* dlyStPtr);
VOK_API void VOK_CALL vokwFirlGetDlyl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, short* dlyl);
VOK_API short VOK_CALL vokwFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, short samp, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, const short* inSamps, short* outSamps,
                              int numIters, int scaleMode, int* scaleFactor);
///@}

/** @name Single-state 16-bit filter */
///@{
/** Single-state 16-bit filter (float taps), released with vokFirFree. */
VOK_API void VOK_CALL vokwFirInit(const float* taps, int tapsLen, const short* dlyl, FirState* statePtr);
VOK_API void VOK_CALL vokwFirInitMr(const float* taps, int tapsLen, const short* dlyl, int upFactor, int upPhase,
                                  int downFactor, int downPhase, FirState* statePtr);
VOK_API void VOK_CALL vokwFirSetTaps(const float* taps, FirState* statePtr);
VOK_API void VOK_CALL vokwFirGetTaps(FirState* statePtr, float* taps);
VOK_API void VOK_CALL vokwFirSetDlyl(const short* dlyl, FirState* statePtr);
VOK_API void VOK_CALL vokwFirGetDlyl(FirState* statePtr, short* dlyl);
VOK_API short VOK_CALL vokwFir(FirState* statePtr, short samp, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwbFir(FirState* statePtr, const short* inSamps, short* outSamps, int numIters,
                             int scaleMode, int* scaleFactor);
///@}

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_FIR_H */
