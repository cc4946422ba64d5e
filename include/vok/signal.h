/* vokx1 signal generation: tone, triangle and random generators; windows. */
#ifndef VOK_SIGNAL_H
#define VOK_SIGNAL_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/* Generator records hold no pointers; they are laid out in 32-bit words with
 * doubles at word (not double-word) boundaries, the same on every target. */
#pragma pack(push, 4)

/* ---- Tone generator (modules voktone, voktonew) ----
 * magnitude·cos(2π·freq·n + phase) (complex forms: magnitude·exp(j(2π·freq·n + phase)))
 * from the recurrence x[n+1] = 2cos(2π·freq)·x[n] − x[n−1], run in double and
 * continued exactly across calls. Init: 0 <= freq < 0.5, 0 <= phase < 2π,
 * magnitude >= 0. The 16-bit forms round every sample to the nearest integer.
 * Failures (VOK_StatusBadArg; generators then return 0): "Invalid magnitude value",
 * "Invalid freq value", "Invalid phase value", "Null pointer to state" (Init);
 * "Null pointer to state", "Null input buffer pointer", "Bad number of items"
 * (blocks), "Structure initialization need" (a record Init did not fill). */
typedef struct {
    double coef, cur, prev;
    float magnitude, freq, phase;
    char marker[4];
} VokSToneState;
typedef struct {
    double coef, cur, prev;
    double magnitude, freq, phase;
    char marker[4];
} VokDToneState;
typedef struct {
    double coef, curRe, curIm, prevRe, prevIm;
    float magnitude, freq, phase;
    char marker[4];
} VokCToneState;
typedef struct {
    double coef, curRe, curIm, prevRe, prevIm;
    double magnitude, freq, phase;
    char marker[4];
} VokZToneState;
/* Serves both vokw (32 buffered samples) and vokv (16 buffered complex samples). */
typedef struct {
    double coef, curRe, curIm, prevRe, prevIm;
    int bufIndex;
    union {
        short real[32];
        ShortComplex cplx[16];
    } buffer;
    short magnitude;
    float freq, phase;
    char marker[4];
} VokWToneState;

VOK_API void VOK_CALL voksToneInit(float freq, float phase, float magnitude, VokSToneState* state);
VOK_API void VOK_CALL vokcToneInit(float freq, float phase, float magnitude, VokCToneState* state);
VOK_API void VOK_CALL vokdToneInit(double freq, double phase, double magnitude, VokDToneState* state);
VOK_API void VOK_CALL vokzToneInit(double freq, double phase, double magnitude, VokZToneState* state);
VOK_API void VOK_CALL vokwToneInit(float freq, float phase, short magnitude, VokWToneState* state);
VOK_API void VOK_CALL vokvToneInit(float freq, float phase, short magnitude, VokWToneState* state);
VOK_API float VOK_CALL voksTone(VokSToneState* state);
VOK_API double VOK_CALL vokdTone(VokDToneState* state);
VOK_API FloatComplex VOK_CALL vokcTone(VokCToneState* state);
VOK_API DoubleComplex VOK_CALL vokzTone(VokZToneState* state);
VOK_API short VOK_CALL vokwTone(VokWToneState* state);
VOK_API ShortComplex VOK_CALL vokvTone(VokWToneState* state);
VOK_API void VOK_CALL voksbTone(VokSToneState* state, float* buffer, int n);
VOK_API void VOK_CALL vokdbTone(VokDToneState* state, double* buffer, int n);
VOK_API void VOK_CALL vokcbTone(VokCToneState* state, FloatComplex* buffer, int n);
VOK_API void VOK_CALL vokzbTone(VokZToneState* state, DoubleComplex* buffer, int n);
VOK_API void VOK_CALL vokwbTone(VokWToneState* state, short* buffer, int n);
VOK_API void VOK_CALL vokvbTone(VokWToneState* state, ShortComplex* buffer, int n);

#pragma pack(pop)

VOK_EXTERN_C_END

#endif /* VOK_SIGNAL_H */
