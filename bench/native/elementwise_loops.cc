// Plain C library loops compiled with -O3 -march=native: what a caller would
// write without the library.
#include <cmath>

void nativeSqrt(const float* src, float* dst, int n) {
    for (int i = 0; i < n; ++i) dst[i] = std::sqrt(src[i]);
}
void nativeLn(const float* src, float* dst, int n) {
    for (int i = 0; i < n; ++i) dst[i] = std::log(src[i]);
}
void nativeExp(const float* src, float* dst, int n) {
    for (int i = 0; i < n; ++i) dst[i] = std::exp(src[i]);
}
float nativeMean(const float* src, int n) {
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += src[i];
    return float(sum / n);
}
float nativeNormL2(const float* a, const float* b, int n) {
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        const double d = a[i] - b[i];
        sum += d * d;
    }
    return float(std::sqrt(sum));
}
