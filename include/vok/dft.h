/** @file
 * @brief Goertzel, integer FFT, DFT of any length and DCT: see @ref dft. */
/** @defgroup dft Goertzel, integer FFT, DFT of any length and DCT
 * vokx1 integer FFT, DFT, Goertzel and DCT (modules vokfftw, vokdft, vokgrtzl, vokgrtzw, vokdct).
 *
 * Transforms that are not power-of-two FFTs: the Goertzel filter for one
 * frequency, the 16-bit FFTs (the same layouts as @ref transform, with a scale
 * mode), the DFT of any length (its twiddle tables share the thread's list of at
 * most 32 distinct lengths) and the orthonormal DCT. Goertzel states are caller
 * records filled by Init; the tables are the thread's.
 * @par Example
 * @code
 * FloatComplex x[1000], X[1000];
 * vokcDft(x, X, 1000, VOK_Forw);                // any length
 * VokSGoertzState g;
 * voksGoertzInit(50.0f / 1000.0f, &g);          // bin 50 of 1000
 * FloatComplex bin = voksbGoertz(&g, signal, 1000);
 * @endcode
 * @{ */
#ifndef VOK_DFT_H
#define VOK_DFT_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/** Goertzel state of the float forms (s, c) and the 16-bit forms (w, v). */
typedef struct {
    /** @cond VOK_INTERNAL */
    float freq, cosW, sinW, twoCosW;
    FloatComplex prev2, prev1;
    /** @endcond */
} VokSGoertzState;
/** Goertzel state of the double forms (d, z); fields as in VokSGoertzState. */
typedef struct {
    /** @cond VOK_INTERNAL */
    double freq, cosW, sinW, twoCosW;
    DoubleComplex prev2, prev1;
    /** @endcond */
} VokDGoertzState;

/** @name Goertzel */
///@{
/** Goertzel (modules vokgrtzl, vokgrtzw)
 * Evaluates one relative frequency freq (0 <= freq < 1, cycles per sample) of
 * a signal sample by sample: after samples x[0..n] the value returned is
 * sum x[m]·exp(iω(n+1-m)), ω = 2π·freq, which for freq = k/N and n+1 = N is the
 * DFT bin X[k]. Init stores freq, cos ω, sin ω and 2cos ω and clears the
 * history; Reset clears the history only. Float states serve s, c, w and v,
 * double states d and z.
 * Failures (VOK_StatusBadArg; the result is (0, 0), the state unchanged):
 * "Null state pointer", "Invalid frequency value" (Init), "Null buffer pointer",
 * "Invalid array length" (blocks); the 16-bit forms then "Zero scale factor
 * pointer", "Too large scale factor" (*scaleFactor outside -14..14),
 * "Erroneus scale mode" (scaleMode >= 5), and "No memory for working array"
 * (VOK_StatusNoMemory) in the 16-bit block forms.
 * Prepare a state for the relative frequency freq (0 <= freq < 1) and clear its
 * history. Returns the thread's status (0 on success). */
VOK_API int VOK_CALL voksGoertzInit(float freq, VokSGoertzState* state);
VOK_API int VOK_CALL vokcGoertzInit(float freq, VokSGoertzState* state);
VOK_API int VOK_CALL vokdGoertzInit(double freq, VokDGoertzState* state);
VOK_API int VOK_CALL vokzGoertzInit(double freq, VokDGoertzState* state);
///@}
/** @name Clear the history, keeping the frequency */
///@{
/** Clear the history, keeping the frequency: the next sample starts a new sum. */
VOK_API void VOK_CALL voksGoertzReset(VokSGoertzState* state);
VOK_API void VOK_CALL vokcGoertzReset(VokSGoertzState* state);
VOK_API void VOK_CALL vokdGoertzReset(VokDGoertzState* state);
VOK_API void VOK_CALL vokzGoertzReset(VokDGoertzState* state);
///@}
/** @name Feed one sample */
///@{
/** Feed one sample; returns the value of the sum so far (the DFT bin once N samples are in). */
VOK_API FloatComplex VOK_CALL voksGoertz(VokSGoertzState* state, float sample);
VOK_API FloatComplex VOK_CALL vokcGoertz(VokSGoertzState* state, FloatComplex sample);
VOK_API DoubleComplex VOK_CALL vokdGoertz(VokDGoertzState* state, double sample);
VOK_API DoubleComplex VOK_CALL vokzGoertz(VokDGoertzState* state, DoubleComplex sample);
///@}
/** @name Feed length samples of buffer */
///@{
/** Feed length samples of buffer; returns the value after the last one. */
VOK_API FloatComplex VOK_CALL voksbGoertz(VokSGoertzState* state, const float* buffer, int length);
VOK_API FloatComplex VOK_CALL vokcbGoertz(VokSGoertzState* state, const FloatComplex* buffer, int length);
VOK_API DoubleComplex VOK_CALL vokdbGoertz(VokDGoertzState* state, const double* buffer, int length);
VOK_API DoubleComplex VOK_CALL vokzbGoertz(VokDGoertzState* state, const DoubleComplex* buffer, int length);
///@}
/** @name 16-bit forms */
///@{
/** 16-bit forms: Init and Reset as above (a float state). */
VOK_API int VOK_CALL vokwGoertzInit(float freq, VokSGoertzState* state);
VOK_API int VOK_CALL vokvGoertzInit(float freq, VokSGoertzState* state);
VOK_API void VOK_CALL vokwGoertzReset(VokSGoertzState* state);
VOK_API void VOK_CALL vokvGoertzReset(VokSGoertzState* state);
///@}
/** @name 16-bit forms */
///@{
/** 16-bit forms: the value is brought to 16 bits under scaleMode / *scaleFactor. */
VOK_API ShortComplex VOK_CALL vokwGoertz(VokSGoertzState* state, short sample, int scaleMode, int* scaleFactor);
VOK_API ShortComplex VOK_CALL vokvGoertz(VokSGoertzState* state, ShortComplex sample, int scaleMode, int* scaleFactor);
VOK_API ShortComplex VOK_CALL vokwbGoertz(VokSGoertzState* state, const short* buffer, int length, int scaleMode, int* scaleFactor);
VOK_API ShortComplex VOK_CALL vokvbGoertz(VokSGoertzState* state, const ShortComplex* buffer, int length, int scaleMode, int* scaleFactor);
///@}

/** @name Integer FFT */
///@{
/** integer FFT (module vokfftw)
 * 16-bit forms of the complex (vokcFft, vokcrFft) and real (voksRealFftl,
 * voksCcsFftl, voksRealFft, voksCcsFft, voksReal2Fft, voksCcs2Fft) transforms,
 * with the same layouts. The data are transformed in float in the thread's
 * work slots 1 and 2 and brought back once: modes 0 and 1 round to nearest
 * with saturation, the scaled modes use the scale factor (one factor for the
 * two arrays of the vr and two-signal forms; VOK_AUTO_SCALE returns it).
 * Two-point real transforms are exact integer sums and differences.
 * Failures (VOK_StatusBadArg, nothing written): "order<0", "order>31", the
 * pointers ("samps==0", ...), the flags ("VOK_Forw and VOK_Inv",
 * "no VOK_Forw or VOK_Inv", bit-order and packing conflicts), then
 * "VOK_FIXED_SCALE and VOK_AUTO_SCALE" and "VOK_AUTO_SCALE and
 * scaleFactor==NULL"; "No working memory" (VOK_StatusNoMemory); a failed float
 * core is re-reported as "out <core> VOK_Init" or "out <core> calc. FFT".
 * The products multiply packed 16-bit spectra in integers: dst = dst·src
 * (2) or srcA·srcB (3), checks "order<0", "order>31", the pointers, and
 * "scaleFactor==0" for VOK_AUTO_SCALE without a factor. */
VOK_API void VOK_CALL vokvFft(ShortComplex* samps, int order, int flags, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvFftNip(const ShortComplex* inSamps, ShortComplex* outSamps, int order, int flags,
                                 int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvrFft(short* reSamps, short* imSamps, int order, int flags, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokvrFftNip(const short* reInSamps, const short* imInSamps, short* reOutSamps,
                                  short* imOutSamps, int order, int flags, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwRealFftl(short* samps, int order, int flags, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwRealFftlNip(const short* inSamps, short* outSamps, int order, int flags, int scaleMode,
        int* scaleFactor);
VOK_API void VOK_CALL vokwCcsFftl(short* samps, int order, int flags, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwCcsFftlNip(const short* inSamps, short* outSamps, int order, int flags, int scaleMode,
        int* scaleFactor);
VOK_API void VOK_CALL vokwRealFft(short* samps, int order, int flags, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwRealFftNip(const short* inSamps, short* outSamps, int order, int flags, int scaleMode,
        int* scaleFactor);
VOK_API void VOK_CALL vokwCcsFft(short* samps, int order, int flags, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwCcsFftNip(const short* inSamps, short* outSamps, int order, int flags, int scaleMode,
        int* scaleFactor);
VOK_API void VOK_CALL vokwReal2Fft(short* xSamps, short* ySamps, int order, int flags, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwReal2FftNip(const short* xInSamps, short* xOutSamps, const short* yInSamps,
        short* yOutSamps, int order, int flags, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwCcs2Fft(short* xSamps, short* ySamps, int order, int flags, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwCcs2FftNip(const short* xInSamps, short* xOutSamps, const short* yInSamps,
        short* yOutSamps, int order, int flags, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwMpyRCPack2(const short* src, short* dst, int order, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwMpyRCPack3(const short* srcA, const short* srcB, short* dst, int order, int scaleMode,
        int* scaleFactor);
VOK_API void VOK_CALL vokwMpyRCPerm2(const short* src, short* dst, int order, int scaleMode, int* scaleFactor);
VOK_API void VOK_CALL vokwMpyRCPerm3(const short* srcA, const short* srcB, short* dst, int order, int scaleMode,
        int* scaleFactor);
///@}

/** @name DFT of any length */
///@{
/** DFT of any length (module vokdft)
 * Forward dst[j] = sum src[k]·exp(-2πi·jk/N); VOK_Inv uses the + sign and
 * scales by 1/N unless VOK_NoScale. src may equal dst. The twiddles come from
 * the thread's DFT table of the length (the same list as vok{c,z}GetDftTwdTbl,
 * so a 33rd distinct length fails with "Full Table"). Lengths of 48 and more
 * are computed through double-precision FFTs (a chirp convolution), shorter
 * ones by the folded direct sum.
 * vokcDft: "length<=0", "TwdTbl==0", "buff==0" (work slot 1), then VOK_Init
 * returns and VOK_Free releases slot 1; "src==0", "dst==0",
 * "VOK_Forw or VOK_Inv must be as a flag". vokzDft: the same without the slot
 * (VOK_Init and VOK_Free return at once). vokvDft: VOK_Free releases the
 * single-precision tables and slot 1; "length<=0", "TwidleTbl==0", "src==0",
 * "dst==0", the flag, "VOK_FIXED_SCALE and VOK_AUTO_SCALE",
 * "VOK_AUTO_SCALE and ScaleFactor==NULL"; "No working memory" when slot 1
 * cannot hold 2·length values even after the tables were released. */
VOK_API void VOK_CALL vokcDft(const FloatComplex* src, FloatComplex* dst, int length, int flags);
VOK_API void VOK_CALL vokzDft(const DoubleComplex* src, DoubleComplex* dst, int length, int flags);
VOK_API int VOK_CALL vokvDft(const ShortComplex* src, ShortComplex* dst, int length, int flags, int scaleMode,
                             int* scaleFactor);
///@}

/** @name DCT */
///@{
/** DCT (module vokdct)
 * Orthonormal DCT-II of any length >= 1 with VOK_Forw (1), its inverse, the
 * orthonormal DCT-III, with VOK_Inv (2); exactly one of the two bits must be
 * set, other bits are ignored. src is read before dst is written, so src may
 * equal dst. Power-of-two lengths take a recursive fast path, other lengths a
 * direct sum over a cosine table; sums are in double precision.
 * Failures (nothing written): "\nNull pointer to data buffer\n",
 * "\nBad value of data buffer size\n", "\nBad value of the transform flag\n"
 * (VOK_StatusBadArg), "\nMemory allocation problem\n" (VOK_StatusNoMemory, also
 * when a table cannot be built).
 * Tables: each thread keeps its own cosine and secant tables, so concurrent
 * transforms of different lengths on different threads are safe; flags equal
 * to 8 (VOK_Free) release the calling thread's tables, and thread exit does.
 * vokwDct transforms in float and rounds to the nearest 16-bit value (ties to
 * even) with saturation; it takes no scale mode. */
VOK_API void VOK_CALL voksDct(const float* src, float* dst, int length, int flags);
VOK_API void VOK_CALL vokdDct(const double* src, double* dst, int length, int flags);
VOK_API void VOK_CALL vokwDct(const short* src, short* dst, int length, int flags);
///@}

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_DFT_H */
