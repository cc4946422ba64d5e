/* An application outside the source tree: plain C, installed headers and library. */
#include <stdio.h>
#include <vok.h>

int main(void) {
    float a[3] = {1, 2, 3}, b[3] = {10, 20, 30}, sum[3];
    voksbAdd3(a, b, sum, 3);
    printf("%s: %g %g %g\n", vokGetLibVersion()->name, sum[0], sum[1], sum[2]);
    return sum[0] == 11 && sum[1] == 22 && sum[2] == 33 ? 0 : 1;
}
