/* Wavelets: denoise a piecewise-smooth signal by zeroing the small detail
 * coefficients of a Daubechies-4 decomposition, then reconstruct.
 *
 *   cc wavelets.c $(pkg-config --cflags --libs vokx1) -lm
 */
#include <math.h>
#include <stdio.h>

#include <vok.h>

#define ORDER 10
#define N (1 << ORDER)
#define LEVELS 4

static double rmsDiff(const float* a, const float* b) {
    double sum = 0;
    for (int i = 0; i < N; ++i) sum += (a[i] - b[i]) * (double)(a[i] - b[i]);
    return sqrt(sum / N);
}

int main(void) {
    static float clean[N], noisy[N], bands[N], denoised[N];
    unsigned seed = 1;
    for (int i = 0; i < N; ++i) {
        clean[i] = (float)(i < N / 3 ? sin(6.0 * i / N) : 0.5 + 0.3 * cos(9.0 * i / N));
        seed = seed * 1664525u + 1013904223u;
        noisy[i] = clean[i] + 0.05f * ((float)(seed >> 8) / (float)(1u << 24) - 0.5f);
    }

    vokSetErrMode(VOK_ErrorModeParent);
    VokWtState wt;
    voksWtInit(2, 0, ORDER, LEVELS, &wt, VOK_WtDaublet); /* order 2: 4 taps */
    if (voksWtDecompose(&wt, noisy, bands) != 0) return 1;

    /* bands = [approximation (N/16) | detail 4 | detail 3 | detail 2 | detail 1]:
     * keep the approximation, shrink every detail coefficient towards zero. */
    const float threshold = 0.04f;
    int kept = 0;
    for (int i = N >> LEVELS; i < N; ++i) {
        const float m = fabsf(bands[i]) - threshold;
        bands[i] = m > 0 ? copysignf(m, bands[i]) : 0.0f;
        kept += m > 0;
    }
    if (voksWtReconstruct(&wt, bands, denoised) != 0) return 1;
    vokWtFree(&wt);

    const double before = rmsDiff(noisy, clean), after = rmsDiff(denoised, clean);
    printf("%d of %d detail coefficients kept; rms error %.4f -> %.4f\n", kept, N - (N >> LEVELS), before, after);
    return after < before ? 0 : 1;
}
