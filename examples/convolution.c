/* Convolution and correlation: smooth a step with a moving average, then find
 * where a known pulse sits inside a longer recording.
 *
 *   cc convolution.c $(pkg-config --cflags --libs vokx1) -lm
 */
#include <math.h>
#include <stdio.h>

#include <vok.h>

#define LEN 4000
#define PULSE 64
#define WHERE 1234

int main(void) {
    vokSetErrMode(VOK_ErrorModeParent);

    /* A 5-point moving average turns a step into a ramp of 5 samples. The
     * library picks the direct, single-transform or sectioned method. */
    float step[16], average[5], ramp[16 + 5 - 1];
    for (int i = 0; i < 16; ++i) step[i] = i < 8 ? 0.0f : 1.0f;
    for (int i = 0; i < 5; ++i) average[i] = 0.2f;
    voksConv(step, 16, average, 5, ramp);
    printf("smoothed step:");
    for (int i = 6; i < 14; ++i) printf(" %.1f", ramp[i]);
    printf("\n");

    /* A pseudo-random pulse hidden at sample WHERE of a quiet recording. */
    static float pulse[PULSE], recording[LEN], score[LEN];
    unsigned seed = 12345;
    for (int i = 0; i < PULSE; ++i) {
        seed = seed * 1103515245u + 12345u;
        pulse[i] = (seed >> 16 & 1) ? 1.0f : -1.0f;
    }
    for (int i = 0; i < LEN; ++i) recording[i] = 0.05f * (float)sin(0.3 * i);
    for (int i = 0; i < PULSE; ++i) recording[WHERE + i] += pulse[i];

    /* score[lag] = sum over n of pulse[n]·recording[n + lag], lags 0 .. LEN-PULSE. */
    voksCrossCorr(pulse, PULSE, recording, LEN, score, 0, LEN - PULSE);
    int best = 0;
    for (int lag = 1; lag <= LEN - PULSE; ++lag)
        if (score[lag] > score[best]) best = lag;
    printf("pulse found at sample %d (score %.1f of %d)\n", best, score[best], PULSE);

    return vokGetErrStatus() == VOK_StatusOk && best == WHERE && fabsf(ramp[10] - 0.6f) < 1e-6f ? 0 : 1;
}
