/* FIR and IIR filters: a window-method low-pass run in blocks on a
 * single-state FIR, the same filter decimating by 4, and a two-section
 * biquad cascade whose step response settles at unit gain.
 *
 *   cc filters.c $(pkg-config --cflags --libs vokx1) -lm
 */
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <vok.h>

#define TAPS 63
#define N 1000

/* One low-pass biquad (b0, b1, b2, a0, a1, a2) from the bilinear transform. */
static void lowPassBiquad(double cutoff, double q, float* s) {
    const double w = 2 * M_PI * cutoff, alpha = sin(w) / (2 * q), c = cos(w);
    const float b[6] = {(float)((1 - c) / 2), (float)(1 - c), (float)((1 - c) / 2),
                        (float)(1 + alpha), (float)(-2 * c), (float)(1 - alpha)};
    memcpy(s, b, sizeof b);
}

int main(void) {
    vokSetErrMode(VOK_ErrorModeParent);

    /* Cut-off at 0.1 cycles per sample, Hamming window (3), unit gain at 0. */
    double design[TAPS];
    float taps[TAPS];
    vokdFirLowpass(0.1, design, TAPS, 3, 1);
    for (int i = 0; i < TAPS; ++i) taps[i] = (float)design[i];

    static float x[N], y[N], reference[N + TAPS - 1];
    for (int i = 0; i < N; ++i) x[i] = (float)(sin(0.05 * i) + sin(2.5 * i)); /* keep the first, drop the second */

    /* The state keeps its history, so two blocks give what one block would. */
    FirState fir;
    voksFirInit(taps, TAPS, NULL, &fir);
    voksbFir(&fir, x, y, 400);
    voksbFir(&fir, x + 400, y + 400, N - 400);
    vokFirFree(&fir);
    voksConv(x, N, taps, TAPS, reference);
    float worst = 0;
    for (int i = 0; i < N; ++i) worst = fmaxf(worst, fabsf(y[i] - reference[i]));
    const float late = y[N - 1], expected = (float)sin(0.05 * (N - 1 - TAPS / 2));
    printf("FIR: blocks vs convolution %.1e; filtered %.4f, slow tone alone %.4f\n", worst, late, expected);

    /* Decimation by 4: only every fourth output is computed. */
    float decimated[N / 4];
    voksFirInitMr(taps, TAPS, NULL, 1, 0, 4, 0, &fir);
    voksbFir(&fir, x, decimated, N / 4); /* numIters counts outputs */
    vokFirFree(&fir);
    printf("decimated sample 100: %.4f (full rate %.4f)\n", decimated[100], y[400]);

    /* Two identical biquads (a 4th-order low-pass): the step settles at 1. */
    float sections[12];
    lowPassBiquad(0.05, 0.7071, sections);
    lowPassBiquad(0.05, 0.7071, sections + 6);
    IirState iir;
    memset(&iir, 0, sizeof iir); /* an initialised record would be refused */
    voksIirInitBq(0, sections, 2, &iir);
    float ones[N], step[N];
    for (int i = 0; i < N; ++i) ones[i] = 1.0f;
    voksbIir(&iir, ones, step, N);
    vokIirFree(&iir);
    printf("IIR step response after %d samples: %.5f\n", N, step[N - 1]);

    return vokGetErrStatus() == VOK_StatusOk && worst < 1e-5f && fabsf(late - expected) < 0.02f &&
                   fabsf(decimated[100] - y[400]) < 1e-5f && fabsf(step[N - 1] - 1) < 1e-4f
               ? 0
               : 1;
}
