/* FFT: find the two tones in a noisy real signal from its spectrum, then
 * return to the time domain and check the round trip.
 *
 *   cc fft_spectrum.c $(pkg-config --cflags --libs vokx1) -lm
 */
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <vok.h>

#define ORDER 10
#define N (1 << ORDER)

int main(void) {
    /* Tones on bins 50 and 173; the real FFT writes N/2 + 1 complex bins
     * (CCS), so the buffer holds N + 2 floats. */
    static float x[N + 2], original[N];
    for (int i = 0; i < N; ++i)
        x[i] = (float)(sin(2 * M_PI * 50 * i / N) + 0.25 * cos(2 * M_PI * 173 * i / N));
    memcpy(original, x, sizeof original);

    vokSetErrMode(VOK_ErrorModeParent);
    voksRealFft(x, ORDER, VOK_Forw);
    if (vokGetErrStatus() != VOK_StatusOk) return 1;

    float power[N / 2 + 1];
    vokcbPowerSpectr((const FloatComplex*)x, power, N / 2 + 1);
    int first = 1, second = 1;
    for (int k = 1; k <= N / 2; ++k) {
        if (power[k] > power[first]) { second = first; first = k; }
        else if (power[k] > power[second]) second = k;
    }
    /* A sine of amplitude a on bin k gives |X[k]| = a·N/2. */
    printf("strongest bins %d and %d, magnitudes %.1f and %.1f\n", first, second, sqrtf(power[first]),
           sqrtf(power[second]));

    /* The spectrum-to-signal transform with VOK_Inv includes the 1/N scale, so
     * the round trip is the identity. */
    voksCcsFft(x, ORDER, VOK_Inv);
    float worst = 0;
    for (int i = 0; i < N; ++i) worst = fmaxf(worst, fabsf(x[i] - original[i]));
    printf("round trip max error %.2e\n", worst);

    voksRealFft(NULL, ORDER, VOK_Free); /* releases this thread's tables for the order */
    return first == 50 && second == 173 && fabsf(sqrtf(power[first]) - N / 2) < 1 && worst < 1e-5f ? 0 : 1;
}
