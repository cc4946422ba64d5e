/* Generators, windows and Goertzel: a tone generated in blocks, windowed, and
 * measured on one frequency without a full FFT.
 *
 *   cc generators.c $(pkg-config --cflags --libs vokx1) -lm
 */
#include <math.h>
#include <stdio.h>

#include <vok.h>

#define N 800

int main(void) {
    vokSetErrMode(VOK_ErrorModeParent);

    /* 0.5·cos(2π·0.1·n): frequencies are in cycles per sample. Block calls
     * continue exactly where the previous one stopped. */
    VokSToneState tone;
    voksToneInit(0.1f, 0.0f, 0.5f, &tone);
    float x[N];
    voksbTone(&tone, x, 300);
    voksbTone(&tone, x + 300, N - 300);

    float direct = (float)(0.5 * cos(2 * M_PI * 0.1 * (N - 1)));
    printf("last sample %.6f, direct formula %.6f\n", x[N - 1], direct);

    /* Goertzel on the tone's frequency: |X| = amplitude·N/2 for a whole number
     * of periods; on another frequency almost nothing. */
    VokSGoertzState on, off;
    voksGoertzInit(0.1f, &on);
    voksGoertzInit(0.25f, &off);
    FloatComplex at = voksbGoertz(&on, x, N), away = voksbGoertz(&off, x, N);
    float magOn = hypotf(at.re, at.im), magOff = hypotf(away.re, away.im);
    printf("Goertzel at 0.1: %.1f, at 0.25: %.3f\n", magOn, magOff);

    /* A Hann window halves the coherent gain. */
    voksWinHann(x, N);
    voksGoertzReset(&on);
    at = voksbGoertz(&on, x, N);
    printf("after a Hann window: %.1f\n", hypotf(at.re, at.im));

    return vokGetErrStatus() == VOK_StatusOk && fabsf(x[0]) == 0.0f && fabsf(magOn - 200) < 0.5f &&
                   magOff < 0.5f && fabsf(hypotf(at.re, at.im) - 100) < 1
               ? 0
               : 1;
}
