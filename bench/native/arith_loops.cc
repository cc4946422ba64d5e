// Plain loops compiled with -O3 -march=native: the yardstick for the library's
// dispatched kernels.
#include "vok/types.h"

void nativeAdd3(const float* a, const float* b, float* d, int n) {
    for (int i = 0; i < n; ++i) d[i] = a[i] + b[i];
}

void nativeComplexMpy3(const FloatComplex* a, const FloatComplex* b, FloatComplex* d, int n) {
    for (int i = 0; i < n; ++i) {
        const float re = a[i].re * b[i].re - a[i].im * b[i].im;
        const float im = a[i].re * b[i].im + a[i].im * b[i].re;
        d[i].re = re;
        d[i].im = im;
    }
}
