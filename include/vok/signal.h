/** @file
 * @brief Tone, triangle and random generators; windows: see @ref signal. */
/** @defgroup signal Tone, triangle and random generators; windows
 * vokx1 signal generation: tone, triangle and random generators; windows.
 *
 * Generators of tones, triangle waves and uniform or Gaussian noise, each a small
 * caller record filled by its Init and advanced by every call, so blocks of any
 * size continue one signal; and windows applied in place.
 * @par Example
 * @code
 * VokSToneState t;
 * float buf[256];
 * voksToneInit(0.05f, 0.0f, 1.0f, &t);          // 0.05 cycles per sample
 * voksbTone(&t, buf, 256);                      // the next 256 samples
 * voksWinHann(buf, 256);
 * @endcode
 * @{ */
#ifndef VOK_SIGNAL_H
#define VOK_SIGNAL_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/* Generator records hold no pointers; they are laid out in 32-bit words with
 * doubles at word (not double-word) boundaries, the same on every target. */
#pragma pack(push, 4)

/** Tone state of voksTone (float). */
typedef struct {
    /** @cond VOK_INTERNAL */
    double coef, cur, prev;
    float magnitude, freq, phase;
    char marker[4];
    /** @endcond */
} VokSToneState;
/** Tone state of vokdTone (double). */
typedef struct {
    /** @cond VOK_INTERNAL */
    double coef, cur, prev;
    double magnitude, freq, phase;
    char marker[4];
    /** @endcond */
} VokDToneState;
/** Tone state of vokcTone (FloatComplex). */
typedef struct {
    /** @cond VOK_INTERNAL */
    double coef, curRe, curIm, prevRe, prevIm;
    float magnitude, freq, phase;
    char marker[4];
    /** @endcond */
} VokCToneState;
/** Tone state of vokzTone (DoubleComplex). */
typedef struct {
    /** @cond VOK_INTERNAL */
    double coef, curRe, curIm, prevRe, prevIm;
    double magnitude, freq, phase;
    char marker[4];
    /** @endcond */
} VokZToneState;
/** Serves both vokw (32 buffered samples) and vokv (16 buffered complex samples). */
typedef struct {
    /** @cond VOK_INTERNAL */
    double coef, curRe, curIm, prevRe, prevIm;
    int bufIndex;
    union {
        short real[32];
        ShortComplex cplx[16];
    } buffer;
    short magnitude;
    float freq, phase;
    char marker[4];
    /** @endcond */
} VokWToneState;

/** @name Tone generator */
///@{
/** Tone generator (modules voktone, voktonew)
 * magnitude·cos(2π·freq·n + phase) (complex forms: magnitude·exp(j(2π·freq·n + phase)))
 * from the recurrence x[n+1] = 2cos(2π·freq)·x[n] − x[n−1], run in double and
 * continued exactly across calls. Init: 0 <= freq < 0.5, 0 <= phase < 2π,
 * magnitude >= 0. The 16-bit forms round every sample to the nearest integer.
 * Failures (VOK_StatusBadArg; generators then return 0): "Invalid magnitude value",
 * "Invalid freq value", "Invalid phase value", "Null pointer to state" (Init);
 * "Null pointer to state", "Null input buffer pointer", "Bad number of items"
 * (blocks), "Structure initialization need" (a record Init did not fill).
 * Start a tone (arguments as above); the record holds the recurrence's state. */
VOK_API void VOK_CALL voksToneInit(float freq, float phase, float magnitude, VokSToneState* state);
VOK_API void VOK_CALL vokcToneInit(float freq, float phase, float magnitude, VokCToneState* state);
VOK_API void VOK_CALL vokdToneInit(double freq, double phase, double magnitude, VokDToneState* state);
VOK_API void VOK_CALL vokzToneInit(double freq, double phase, double magnitude, VokZToneState* state);
VOK_API void VOK_CALL vokwToneInit(float freq, float phase, short magnitude, VokWToneState* state);
VOK_API void VOK_CALL vokvToneInit(float freq, float phase, short magnitude, VokWToneState* state);
///@}
/** @name The next sample of the tone */
///@{
/** The next sample of the tone. */
VOK_API float VOK_CALL voksTone(VokSToneState* state);
VOK_API double VOK_CALL vokdTone(VokDToneState* state);
VOK_API FloatComplex VOK_CALL vokcTone(VokCToneState* state);
VOK_API DoubleComplex VOK_CALL vokzTone(VokZToneState* state);
VOK_API short VOK_CALL vokwTone(VokWToneState* state);
VOK_API ShortComplex VOK_CALL vokvTone(VokWToneState* state);
///@}
/** @name The next n samples of the tone into buffer */
///@{
/** The next n samples of the tone into buffer. */
VOK_API void VOK_CALL voksbTone(VokSToneState* state, float* buffer, int n);
VOK_API void VOK_CALL vokdbTone(VokDToneState* state, double* buffer, int n);
VOK_API void VOK_CALL vokcbTone(VokCToneState* state, FloatComplex* buffer, int n);
VOK_API void VOK_CALL vokzbTone(VokZToneState* state, DoubleComplex* buffer, int n);
VOK_API void VOK_CALL vokwbTone(VokWToneState* state, short* buffer, int n);
VOK_API void VOK_CALL vokvbTone(VokWToneState* state, ShortComplex* buffer, int n);
///@}

/** Triangle state of the s and w forms. */
typedef struct {
    /** @cond VOK_INTERNAL */
    float magnitude, step, fallStep, riseStep, topReflect, bottomReflect;
    float riseWrap, fallWrap, topOffset, bottomOffset, value;
    /** @endcond */
} VokSTrnglState;
/** Triangle state of the c and v forms. */
typedef struct {
    /** @cond VOK_INTERNAL */
    float magnitude, stepRe, stepIm, fallStep, riseStep, topReflect, bottomReflect;
    float riseWrap, fallWrap, topOffset, bottomOffset, valueRe, valueIm;
    /** @endcond */
} VokCTrnglState;
/** Triangle state of the d form. */
typedef struct {
    /** @cond VOK_INTERNAL */
    double magnitude, step, fallStep, riseStep, topReflect, bottomReflect;
    double riseWrap, fallWrap, topOffset, bottomOffset, value;
    /** @endcond */
} VokDTrnglState;
/** Triangle state of the z form. */
typedef struct {
    /** @cond VOK_INTERNAL */
    double magnitude, stepRe, stepIm, fallStep, riseStep, topReflect, bottomReflect;
    double riseWrap, fallWrap, topOffset, bottomOffset, valueRe, valueIm;
    /** @endcond */
} VokZTrnglState;

/** @name Triangle generator */
///@{
/** Triangle generator (module voktrngl)
 * A triangle of period 1/freq samples: +magnitude at phase 0, falling to
 * -magnitude over a phase of π + asym and rising back over π - asym. The value
 * is stepped directly and reflected at the peaks (wrapped when a reflection
 * would overshoot the opposite peak). Complex forms carry a second wave at
 * phase + (3π + asym)/2 in the imaginary part. Init: 0 <= freq < 0.5,
 * 0 <= phase < 2π, magnitude >= 0, -π < asym < π. 16-bit forms round each
 * sample to nearest (ties to even).
 * Failures (VOK_StatusBadArg; generators then return 0): "Invalid magnitude value",
 * "Invalid frequence value", "Invalid phase value", "Invalid asymmetry value",
 * "Null pointer to state" (Init); "Null pointer to state", "Null pointer to
 * buffer", "Invalid number of items" (blocks).
 * Start a triangle wave (arguments as above). */
VOK_API void VOK_CALL voksTrnglInit(float freq, float phase, float magnitude, float asym, VokSTrnglState* state);
VOK_API void VOK_CALL vokcTrnglInit(float freq, float phase, float magnitude, float asym, VokCTrnglState* state);
VOK_API void VOK_CALL vokwTrnglInit(float freq, float phase, short magnitude, float asym, VokSTrnglState* state);
VOK_API void VOK_CALL vokvTrnglInit(float freq, float phase, short magnitude, float asym, VokCTrnglState* state);
VOK_API void VOK_CALL vokdTrnglInit(double freq, double phase, double magnitude, double asym, VokDTrnglState* state);
VOK_API void VOK_CALL vokzTrnglInit(double freq, double phase, double magnitude, double asym, VokZTrnglState* state);
///@}
/** @name The next sample of the triangle wave */
///@{
/** The next sample of the triangle wave. */
VOK_API float VOK_CALL voksTrngl(VokSTrnglState* state);
VOK_API double VOK_CALL vokdTrngl(VokDTrnglState* state);
VOK_API FloatComplex VOK_CALL vokcTrngl(VokCTrnglState* state);
VOK_API DoubleComplex VOK_CALL vokzTrngl(VokZTrnglState* state);
VOK_API short VOK_CALL vokwTrngl(VokSTrnglState* state);
VOK_API ShortComplex VOK_CALL vokvTrngl(VokCTrnglState* state);
///@}
/** @name The next n samples of the triangle wave into buffer */
///@{
/** The next n samples of the triangle wave into buffer. */
VOK_API void VOK_CALL voksbTrngl(VokSTrnglState* state, float* buffer, int n);
VOK_API void VOK_CALL vokdbTrngl(VokDTrnglState* state, double* buffer, int n);
VOK_API void VOK_CALL vokcbTrngl(VokCTrnglState* state, FloatComplex* buffer, int n);
VOK_API void VOK_CALL vokzbTrngl(VokZTrnglState* state, DoubleComplex* buffer, int n);
VOK_API void VOK_CALL vokwbTrngl(VokSTrnglState* state, short* buffer, int n);
VOK_API void VOK_CALL vokvbTrngl(VokCTrnglState* state, ShortComplex* buffer, int n);
///@}

/** Uniform generator state of the s and c forms. */
typedef struct {
    /** @cond VOK_INTERNAL */
    float offset, scale;
    unsigned int lcg, borrow, s1, s2, s3, seedState;
    /** @endcond */
} VokSRandUniState;
/** Uniform generator state of the d and z forms. */
typedef struct {
    /** @cond VOK_INTERNAL */
    double offset, scale;
    unsigned int lcg, borrow, s1, s2, s3, seedState;
    /** @endcond */
} VokDRandUniState;
/** Gaussian generator state of the s and c forms. */
typedef struct {
    /** @cond VOK_INTERNAL */
    float mean, stdDev, stored;
    int pairFlag;
    unsigned int lcg, borrow, s1, s2, s3, seedState;
    /** @endcond */
} VokSRandGausState;
/** Gaussian generator state of the d and z forms. */
typedef struct {
    /** @cond VOK_INTERNAL */
    double mean, stdDev, stored;
    int pairFlag;
    unsigned int lcg, borrow, s1, s2, s3, seedState;
    /** @endcond */
} VokDRandGausState;
/** 16-bit uniform (vokw and vokv): 32 buffered samples served by the single calls. */
typedef struct {
    /** @cond VOK_INTERNAL */
    float offset, scale;
    unsigned int reserved[2];
    unsigned int lcg1, lcg2, s1, s2, s3, borrow, seedState;
    int bufIndex;
    short buffer[32];
    /** @endcond */
} VokWRandUniState;
/** 16-bit Gaussian (vokw and vokv). */
typedef struct {
    /** @cond VOK_INTERNAL */
    int pairFlag;
    unsigned int lcg, borrow, s1, s2, s3;
    short mean, stdDev, stored;
    unsigned int seedState;
    /** @endcond */
} VokWRandGausState;

/** @name Random generators */
///@{
/** Random generators (modules vokrand, vokrandw)
 * One integer core: a congruential generator (L = 69069·L + 1013904243, started
 * at 1131199209) added to a subtract-with-borrow generator (d = s2 − s3 − c,
 * less 18 with a borrow), seeded from the seed and a 15-bit auxiliary
 * congruential generator (A = 214013·A + 2531011). Uniform samples lie in
 * [low, high); Gaussian samples come in pairs from the polar method. Complex
 * samples are two consecutive draws, re first. No range checks: low > high and
 * a negative deviation are allowed.
 * Failures (VOK_StatusBadArg; single-sample calls then return 0): "Null pointer
 * to state structure", "Null pointer to data buffer", "Null length of buffer";
 * 16-bit uniform: "statePtr==0", "((void*)(0))==statePtr", "sampsLen<=0", "samps==0".
 * Seed a uniform generator of samples in [low, high). */
VOK_API void VOK_CALL voksRandUniInit(float seed, float low, float high, VokSRandUniState* state);
VOK_API void VOK_CALL vokcRandUniInit(float seed, float low, float high, VokSRandUniState* state);
VOK_API void VOK_CALL vokdRandUniInit(double seed, double low, double high, VokDRandUniState* state);
VOK_API void VOK_CALL vokzRandUniInit(double seed, double low, double high, VokDRandUniState* state);
VOK_API void VOK_CALL vokwRandUniInit(unsigned int seed, short low, short high, VokWRandUniState* state);
VOK_API void VOK_CALL vokvRandUniInit(unsigned int seed, short low, short high, VokWRandUniState* state);
///@}
/** @name Seed a Gaussian generator of mean and standard deviation stdDev */
///@{
/** Seed a Gaussian generator of mean and standard deviation stdDev. */
VOK_API void VOK_CALL voksRandGausInit(float seed, float mean, float stdDev, VokSRandGausState* state);
VOK_API void VOK_CALL vokcRandGausInit(float seed, float mean, float stdDev, VokSRandGausState* state);
VOK_API void VOK_CALL vokdRandGausInit(double seed, double mean, double stdDev, VokDRandGausState* state);
VOK_API void VOK_CALL vokzRandGausInit(double seed, double mean, double stdDev, VokDRandGausState* state);
VOK_API void VOK_CALL vokwRandGausInit(unsigned int seed, short mean, short stdDev, VokWRandGausState* state);
VOK_API void VOK_CALL vokvRandGausInit(unsigned int seed, short mean, short stdDev, VokWRandGausState* state);
///@}
/** @name The next uniform sample */
///@{
/** The next uniform sample. */
VOK_API float VOK_CALL voksRandUni(VokSRandUniState* state);
VOK_API double VOK_CALL vokdRandUni(VokDRandUniState* state);
VOK_API FloatComplex VOK_CALL vokcRandUni(VokSRandUniState* state);
VOK_API DoubleComplex VOK_CALL vokzRandUni(VokDRandUniState* state);
VOK_API short VOK_CALL vokwRandUni(VokWRandUniState* state);
VOK_API ShortComplex VOK_CALL vokvRandUni(VokWRandUniState* state);
///@}
/** @name The next Gaussian sample */
///@{
/** The next Gaussian sample. */
VOK_API float VOK_CALL voksRandGaus(VokSRandGausState* state);
VOK_API double VOK_CALL vokdRandGaus(VokDRandGausState* state);
VOK_API FloatComplex VOK_CALL vokcRandGaus(VokSRandGausState* state);
VOK_API DoubleComplex VOK_CALL vokzRandGaus(VokDRandGausState* state);
VOK_API short VOK_CALL vokwRandGaus(VokWRandGausState* state);
VOK_API ShortComplex VOK_CALL vokvRandGaus(VokWRandGausState* state);
///@}
/** @name The next n uniform samples into buffer */
///@{
/** The next n uniform samples into buffer. */
VOK_API void VOK_CALL voksbRandUni(VokSRandUniState* state, float* buffer, int n);
VOK_API void VOK_CALL vokdbRandUni(VokDRandUniState* state, double* buffer, int n);
VOK_API void VOK_CALL vokcbRandUni(VokSRandUniState* state, FloatComplex* buffer, int n);
VOK_API void VOK_CALL vokzbRandUni(VokDRandUniState* state, DoubleComplex* buffer, int n);
VOK_API void VOK_CALL vokwbRandUni(VokWRandUniState* state, short* buffer, int n);
VOK_API void VOK_CALL vokvbRandUni(VokWRandUniState* state, ShortComplex* buffer, int n);
///@}
/** @name The next n Gaussian samples into buffer */
///@{
/** The next n Gaussian samples into buffer. */
VOK_API void VOK_CALL voksbRandGaus(VokSRandGausState* state, float* buffer, int n);
VOK_API void VOK_CALL vokdbRandGaus(VokDRandGausState* state, double* buffer, int n);
VOK_API void VOK_CALL vokcbRandGaus(VokSRandGausState* state, FloatComplex* buffer, int n);
VOK_API void VOK_CALL vokzbRandGaus(VokDRandGausState* state, DoubleComplex* buffer, int n);
VOK_API void VOK_CALL vokwbRandGaus(VokWRandGausState* state, short* buffer, int n);
VOK_API void VOK_CALL vokvbRandGaus(VokWRandGausState* state, ShortComplex* buffer, int n);
///@}

#pragma pack(pop)

/** @name Windows */
///@{
/** Windows (modules vokwin, vokwinw)
 * Multiply vec[0..n-1] in place by a symmetric window of length n (M = n-1):
 * Bartlett 2k/M rising to 1 at the centre; Hann 0.5-0.5cos(2πk/M); Hamming
 * 0.54-0.46cos(2πk/M); Blackman (α+1)/2-0.5cos(2πk/M)-(α/2)cos(4πk/M), Std with
 * α = -0.16, Opt with α = -0.5/(1+cos(2π/M)); Kaiser I0(α√(k(M-k)))/I0(αM/2).
 * Weights are computed in double; complex elements have both parts scaled; 16-bit
 * products are rounded to nearest (ties to even), low 16 bits kept.
 * Failures (VOK_StatusBadArg, nothing written): "Null pointer to buffer",
 * "Bad number of items" (n < 3), "Huge window parameter" (Kaiser, α·M/2 > 308). */
VOK_API void VOK_CALL voksWinBartlett(float* vec, int n);
VOK_API void VOK_CALL vokdWinBartlett(double* vec, int n);
VOK_API void VOK_CALL vokcWinBartlett(FloatComplex* vec, int n);
VOK_API void VOK_CALL vokzWinBartlett(DoubleComplex* vec, int n);
VOK_API void VOK_CALL vokwWinBartlett(short* vec, int n);
VOK_API void VOK_CALL vokvWinBartlett(ShortComplex* vec, int n);
VOK_API void VOK_CALL voksWinHann(float* vec, int n);
VOK_API void VOK_CALL vokdWinHann(double* vec, int n);
VOK_API void VOK_CALL vokcWinHann(FloatComplex* vec, int n);
VOK_API void VOK_CALL vokzWinHann(DoubleComplex* vec, int n);
VOK_API void VOK_CALL vokwWinHann(short* vec, int n);
VOK_API void VOK_CALL vokvWinHann(ShortComplex* vec, int n);
VOK_API void VOK_CALL voksWinHamming(float* vec, int n);
VOK_API void VOK_CALL vokdWinHamming(double* vec, int n);
VOK_API void VOK_CALL vokcWinHamming(FloatComplex* vec, int n);
VOK_API void VOK_CALL vokzWinHamming(DoubleComplex* vec, int n);
VOK_API void VOK_CALL vokwWinHamming(short* vec, int n);
VOK_API void VOK_CALL vokvWinHamming(ShortComplex* vec, int n);
VOK_API void VOK_CALL voksWinBlackman(float* vec, int n, float alpha);
VOK_API void VOK_CALL vokdWinBlackman(double* vec, int n, double alpha);
VOK_API void VOK_CALL vokcWinBlackman(FloatComplex* vec, int n, float alpha);
VOK_API void VOK_CALL vokzWinBlackman(DoubleComplex* vec, int n, double alpha);
VOK_API void VOK_CALL vokwWinBlackman(short* vec, int n, float alpha);
VOK_API void VOK_CALL vokvWinBlackman(ShortComplex* vec, int n, float alpha);
VOK_API void VOK_CALL voksWinBlackmanStd(float* vec, int n);
VOK_API void VOK_CALL vokdWinBlackmanStd(double* vec, int n);
VOK_API void VOK_CALL vokcWinBlackmanStd(FloatComplex* vec, int n);
VOK_API void VOK_CALL vokzWinBlackmanStd(DoubleComplex* vec, int n);
VOK_API void VOK_CALL vokwWinBlackmanStd(short* vec, int n);
VOK_API void VOK_CALL vokvWinBlackmanStd(ShortComplex* vec, int n);
VOK_API void VOK_CALL voksWinBlackmanOpt(float* vec, int n);
VOK_API void VOK_CALL vokdWinBlackmanOpt(double* vec, int n);
VOK_API void VOK_CALL vokcWinBlackmanOpt(FloatComplex* vec, int n);
VOK_API void VOK_CALL vokzWinBlackmanOpt(DoubleComplex* vec, int n);
VOK_API void VOK_CALL vokwWinBlackmanOpt(short* vec, int n);
VOK_API void VOK_CALL vokvWinBlackmanOpt(ShortComplex* vec, int n);
VOK_API void VOK_CALL voksWinKaiser(float* vec, int n, float alpha);
VOK_API void VOK_CALL vokdWinKaiser(double* vec, int n, double alpha);
VOK_API void VOK_CALL vokcWinKaiser(FloatComplex* vec, int n, float alpha);
VOK_API void VOK_CALL vokzWinKaiser(DoubleComplex* vec, int n, double alpha);
VOK_API void VOK_CALL vokwWinKaiser(short* vec, int n, float alpha);
VOK_API void VOK_CALL vokvWinKaiser(ShortComplex* vec, int n, float alpha);
///@}

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_SIGNAL_H */
