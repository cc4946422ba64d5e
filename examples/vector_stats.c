/* Vector arithmetic, statistics and a 16-bit conversion: the level of a
 * noisy tone before and after removing its DC offset.
 *
 *   cc vector_stats.c $(pkg-config --cflags --libs vokx1) -lm
 */
#include <math.h>
#include <stdio.h>

#include <vok.h>

#define N 1000

int main(void) {
    float x[N], centred[N];
    short pcm[N];
    for (int i = 0; i < N; ++i) x[i] = 0.25f + 0.5f * (float)sin(0.05 * i);

    /* Statuses instead of the default question "end the application?". */
    vokSetErrMode(VOK_ErrorModeParent);
    vokRedirectError(vokStdErrReport);

    const float mean = voksMean(x, N);
    /* A deliberate mistake, to show what a failed call looks like: a length
     * of 0 is reported on standard error and the call returns. */
    printf("deliberate bad call (length 0), its report on standard error is expected:\n");
    fflush(stdout);
    voksbSub3(x, (float[]){0}, centred, 0);
    if (vokGetErrStatus() != VOK_StatusBadArg) return 1;
    printf("the call returned with status %d (%s); cleared, carrying on\n", vokGetErrStatus(),
           vokErrorStr(vokGetErrStatus()));
    vokSetErrStatus(VOK_StatusOk); /* the status is sticky: ours to clear */

    voksbCopy(x, centred, N);
    voksbSub1(mean, centred, N);
    const float rms = voksNorm(centred, NULL, N, VOK_L2) / sqrtf((float)N);
    const float peak = voksNorm(centred, NULL, N, VOK_C);

    /* To 16 bits: scaled by 2^15, rounded to nearest, saturated. */
    voksbMpy1(32768.0f, centred, N);
    voksbFloatToInt(centred, pcm, N, 16, VOK_RndNear | VOK_Clip);

    printf("mean %.4f  rms %.4f  peak %.4f  first samples %d %d %d\n", mean, rms, peak, pcm[0], pcm[1], pcm[2]);
    /* A sine of amplitude 0.5 has an rms of 0.3536. */
    return fabsf(rms - 0.3536f) < 0.01f && fabsf(mean - 0.25f) < 0.02f ? 0 : 1;
}
