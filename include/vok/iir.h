/** @file
 * @brief IIR filters: see @ref iir. */
/** @defgroup iir IIR filters
 * vokx1 IIR filters and their 16-bit forms (modules vokiirl, vokiirh, vokiirlw, vokiirhw).
 *
 * Arbitrary-order and biquad-cascade IIR filters. Low layer (vok?Iirl): caller
 * records over caller arrays; Init rewrites the coefficient array in place, so
 * one array is initialised once. High layer (vok?Iir): one IirState that must be
 * zeroed before its first Init; Init copies the coefficients and allocates the
 * delay line, vokIirFree releases them (free before initialising again).
 * @par Example
 * @code
 * float sos[6] = {b0, b1, b2, a0, a1, a2};      // one biquad section
 * IirState st = {0};                            // zeroed before the first Init
 * voksIirInitBq(VOK_IirType0, sos, 1, &st);
 * voksbIir(&st, in, out, n);                    // the history carries over
 * vokIirFree(&st);
 * @endcode
 * @{ */
#ifndef VOK_IIR_H
#define VOK_IIR_H

#include "types.h"

/** Coefficients of one filter: order N (2 x numQuads for a biquad cascade), the
 * normalised coefficient array, the type tag 0 or 1, and 0 arbitrary order /
 * 1 biquad cascade. */
typedef struct {
    int order;      /**< filter order N */
    void* taps;     /**< the normalised coefficients */
    int iirType;    /**< VOK_IirType0 or VOK_IirType1, as given to Init */
    int isBiquad;   /**< 0 arbitrary order, 1 biquad cascade */
} IirTapState;

/** The delay line: N elements of the delay-line type. */
typedef struct {
    void* dlyl;     /**< N elements */
} IirDlyState;

/** The high-level state: both records and initMarker (31725 while initialised). */
typedef struct {
    IirTapState tapState;   /**< coefficients, in a library-owned copy */
    IirDlyState dlyState;   /**< library-owned delay line */
    int initMarker;         /**< VOK_IIR_INIT_MARKER while initialised */
} IirState;

/** The value of IirState.initMarker while the record is initialised. */
#define VOK_IIR_INIT_MARKER 31725

/** The iirType argument: a tag checked (0 or 1) and stored; both filter alike. */
enum {
    VOK_IirType0 = 0,   /**< type tag 0 */
    VOK_IirType1 = 1    /**< type tag 1 */
};

VOK_EXTERN_C_BEGIN

/* ---- Low layer (module vokiirl): caller-owned records and arrays ---- */

/** @name Rewrite taps */
///@{
/** Rewrite taps (b0..bN, a0..aN) in place into normalised form and fill *tapStPtr. */
VOK_API void VOK_CALL voksIirlInit(int iirType, float* taps, int order, IirTapState* tapStPtr);
VOK_API void VOK_CALL vokdIirlInit(int iirType, double* taps, int order, IirTapState* tapStPtr);
VOK_API void VOK_CALL vokcIirlInit(int iirType, FloatComplex* taps, int order, IirTapState* tapStPtr);
VOK_API void VOK_CALL vokzIirlInit(int iirType, DoubleComplex* taps, int order, IirTapState* tapStPtr);
///@}
/** @name Biquads */
///@{
/** Biquads: taps holds b0, b1, b2, a0, a1, a2 per section; rewritten as G, then a1, a2, b1, b2 per section. */
VOK_API void VOK_CALL voksIirlInitBq(int iirType, float* taps, int numQuads, IirTapState* tapStPtr);
VOK_API void VOK_CALL vokdIirlInitBq(int iirType, double* taps, int numQuads, IirTapState* tapStPtr);
VOK_API void VOK_CALL vokcIirlInitBq(int iirType, FloatComplex* taps, int numQuads, IirTapState* tapStPtr);
VOK_API void VOK_CALL vokzIirlInitBq(int iirType, DoubleComplex* taps, int numQuads, IirTapState* tapStPtr);
///@}
/** @name Attach and clear a delay line of tapStPtr->order elements */
///@{
/** Attach and clear a delay line of tapStPtr->order elements. */
VOK_API void VOK_CALL voksIirlInitDlyl(const IirTapState* tapStPtr, float* dlyl, IirDlyState* dlyStPtr);
VOK_API void VOK_CALL vokdIirlInitDlyl(const IirTapState* tapStPtr, double* dlyl, IirDlyState* dlyStPtr);
VOK_API void VOK_CALL vokcIirlInitDlyl(const IirTapState* tapStPtr, FloatComplex* dlyl, IirDlyState* dlyStPtr);
VOK_API void VOK_CALL vokzIirlInitDlyl(const IirTapState* tapStPtr, DoubleComplex* dlyl, IirDlyState* dlyStPtr);
///@}
/** @name One sample */
///@{
/** One sample; zero after a failure. */
VOK_API float VOK_CALL voksIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, float samp);
VOK_API double VOK_CALL vokdIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, double samp);
VOK_API FloatComplex VOK_CALL vokcIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, FloatComplex samp);
VOK_API DoubleComplex VOK_CALL vokzIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, DoubleComplex samp);
VOK_API FloatComplex VOK_CALL vokscIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, float samp);
VOK_API FloatComplex VOK_CALL vokcsIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, FloatComplex samp);
VOK_API DoubleComplex VOK_CALL vokdzIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, double samp);
VOK_API DoubleComplex VOK_CALL vokzdIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, DoubleComplex samp);
///@}
/** @name NumIters samples, exactly as numIters calls of the one-sample form */
///@{
/** numIters samples, exactly as numIters calls of the one-sample form. */
VOK_API void VOK_CALL voksbIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, const float* inSamps,
                                float* outSamps, int numIters);
VOK_API void VOK_CALL vokdbIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, const double* inSamps,
                                double* outSamps, int numIters);
VOK_API void VOK_CALL vokcbIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, const FloatComplex* inSamps,
                                FloatComplex* outSamps, int numIters);
VOK_API void VOK_CALL vokzbIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, const DoubleComplex* inSamps,
                                DoubleComplex* outSamps, int numIters);
VOK_API void VOK_CALL vokscbIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, const float* inSamps,
                                 FloatComplex* outSamps, int numIters);
VOK_API void VOK_CALL vokcsbIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, const FloatComplex* inSamps,
                                 FloatComplex* outSamps, int numIters);
VOK_API void VOK_CALL vokdzbIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, const double* inSamps,
                                 DoubleComplex* outSamps, int numIters);
VOK_API void VOK_CALL vokzdbIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, const DoubleComplex* inSamps,
                                 DoubleComplex* outSamps, int numIters);
///@}

/* ---- High layer (module vokiirh): private copies, released by vokIirFree ---- */

/** @name Initialise the high-level state *statePtr from tapVals */
///@{
/** Initialise the high-level state *statePtr from tapVals (b0..bN, a0..aN for
 * order N; iirType VOK_IirType0 or VOK_IirType1): the library copies the
 * coefficients, normalises the copy and allocates a cleared delay line; release
 * both with vokIirFree. The record must be zeroed (or at least not hold
 * VOK_IIR_INIT_MARKER in initMarker) before its first Init. A second Init of an
 * initialised record fails with "IIR filter state structure is already
 * initialized! Use vokIirFree to free it" and changes nothing: free it first.
 * Other failures: "statePtr==0", "tapVals==0", "order < 0", "iirType is out of
 * range", "insufficiency of memory for IIR filter state". The Bq forms take
 * numQuads biquad sections of six coefficients (b0, b1, b2, a0, a1, a2) each. */
VOK_API void VOK_CALL voksIirInit(int iirType, const float* tapVals, int order, IirState* statePtr);
VOK_API void VOK_CALL vokdIirInit(int iirType, const double* tapVals, int order, IirState* statePtr);
VOK_API void VOK_CALL vokcIirInit(int iirType, const FloatComplex* tapVals, int order, IirState* statePtr);
VOK_API void VOK_CALL vokzIirInit(int iirType, const DoubleComplex* tapVals, int order, IirState* statePtr);
VOK_API void VOK_CALL vokscIirInit(int iirType, const FloatComplex* tapVals, int order, IirState* statePtr);
VOK_API void VOK_CALL vokcsIirInit(int iirType, const float* tapVals, int order, IirState* statePtr);
VOK_API void VOK_CALL vokdzIirInit(int iirType, const DoubleComplex* tapVals, int order, IirState* statePtr);
VOK_API void VOK_CALL vokzdIirInit(int iirType, const double* tapVals, int order, IirState* statePtr);
VOK_API void VOK_CALL voksIirInitBq(int iirType, const float* tapVals, int numQuads, IirState* statePtr);
VOK_API void VOK_CALL vokdIirInitBq(int iirType, const double* tapVals, int numQuads, IirState* statePtr);
VOK_API void VOK_CALL vokcIirInitBq(int iirType, const FloatComplex* tapVals, int numQuads, IirState* statePtr);
VOK_API void VOK_CALL vokzIirInitBq(int iirType, const DoubleComplex* tapVals, int numQuads, IirState* statePtr);
VOK_API void VOK_CALL vokscIirInitBq(int iirType, const FloatComplex* tapVals, int numQuads, IirState* statePtr);
VOK_API void VOK_CALL vokcsIirInitBq(int iirType, const float* tapVals, int numQuads, IirState* statePtr);
VOK_API void VOK_CALL vokdzIirInitBq(int iirType, const DoubleComplex* tapVals, int numQuads, IirState* statePtr);
VOK_API void VOK_CALL vokzdIirInitBq(int iirType, const double* tapVals, int numQuads, IirState* statePtr);
VOK_API float VOK_CALL voksIir(IirState* statePtr, float samp);
VOK_API double VOK_CALL vokdIir(IirState* statePtr, double samp);
VOK_API FloatComplex VOK_CALL vokcIir(IirState* statePtr, FloatComplex samp);
VOK_API DoubleComplex VOK_CALL vokzIir(IirState* statePtr, DoubleComplex samp);
VOK_API FloatComplex VOK_CALL vokscIir(IirState* statePtr, float samp);
VOK_API FloatComplex VOK_CALL vokcsIir(IirState* statePtr, FloatComplex samp);
VOK_API DoubleComplex VOK_CALL vokdzIir(IirState* statePtr, double samp);
VOK_API DoubleComplex VOK_CALL vokzdIir(IirState* statePtr, DoubleComplex samp);
///@}
/** @name Returns 0 or the negative status */
///@{
/** Returns 0 or the negative status. */
VOK_API int VOK_CALL voksbIir(IirState* statePtr, const float* inSamps, float* outSamps, int numIters);
VOK_API int VOK_CALL vokdbIir(IirState* statePtr, const double* inSamps, double* outSamps, int numIters);
VOK_API int VOK_CALL vokcbIir(IirState* statePtr, const FloatComplex* inSamps, FloatComplex* outSamps, int numIters);
VOK_API int VOK_CALL vokzbIir(IirState* statePtr, const DoubleComplex* inSamps, DoubleComplex* outSamps, int numIters);
VOK_API int VOK_CALL vokscbIir(IirState* statePtr, const float* inSamps, FloatComplex* outSamps, int numIters);
VOK_API int VOK_CALL vokcsbIir(IirState* statePtr, const FloatComplex* inSamps, FloatComplex* outSamps, int numIters);
VOK_API int VOK_CALL vokdzbIir(IirState* statePtr, const double* inSamps, DoubleComplex* outSamps, int numIters);
VOK_API int VOK_CALL vokzdbIir(IirState* statePtr, const DoubleComplex* inSamps, DoubleComplex* outSamps, int numIters);
///@}
/** Releases the private arrays of any initialised IirState; returns the status. */
VOK_API int VOK_CALL vokIirFree(IirState* statePtr);

/** @name 16-bit forms */
///@{
/** 16-bit forms (modules vokiirlw, vokiirhw)
 * Float coefficients are rewritten as 16-bit fix-point words with one common
 * count Q of fractional bits (word 0); the delay line holds 32-bit integers. */
VOK_API void VOK_CALL vokwIirlInit(int iirType, float* taps, int order, IirTapState* tapStPtr);
VOK_API void VOK_CALL vokwIirlInitBq(int iirType, float* taps, int numQuads, IirTapState* tapStPtr);
VOK_API void VOK_CALL vokwIirlInitDlyl(const IirTapState* tapStPtr, int* dlyl, IirDlyState* dlyStPtr);
VOK_API short VOK_CALL vokwIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, short samp, int scaleMode,
                                  int* scaleFactor);
VOK_API void VOK_CALL vokwbIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, const short* inSamps,
                                  short* outSamps, int numIters, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwIirInit(int iirType, const float* tapVals, int order, IirState* statePtr);
VOK_API void VOK_CALL vokwIirInitBq(int iirType, const float* tapVals, int numQuads, IirState* statePtr);
VOK_API short VOK_CALL vokwIir(IirState* statePtr, short samp, int scaleMode, int* scaleFactor);
VOK_API int VOK_CALL vokwbIir(IirState* statePtr, const short* inSamps, short* outSamps, int numIters,
                               int scaleMode, int* scaleFactor);
///@}


VOK_EXTERN_C_END

/** @} */
#endif /* VOK_IIR_H */
