// Plain loops the conversions are measured against (compiled -O3 -march=native).
#include <cmath>

void nativeFloatToShortClip(const float* src, short* dst, int n) {
    for (int i = 0; i < n; ++i) {
        float r = std::nearbyint(src[i]);
        r = r < -32768.0f ? -32768.0f : r > 32767.0f ? 32767.0f : r;
        dst[i] = static_cast<short>(r);
    }
}

void nativeShortToFloat(const short* src, float* dst, int n) {
    for (int i = 0; i < n; ++i) dst[i] = src[i];
}

void nativeMag(const float* re, const float* im, float* mag, int n) {
    for (int i = 0; i < n; ++i) mag[i] = std::sqrt(re[i] * re[i] + im[i] * im[i]);
}

// The same loop kept scalar: one element at a time, as a straightforward C
// implementation would run where the compiler does not vectorise it.
__attribute__((optimize("no-tree-vectorize"))) void scalarFloatToShortClip(const float* src, short* dst, int n) {
    for (int i = 0; i < n; ++i) {
        float r = std::nearbyint(src[i]);
        r = r < -32768.0f ? -32768.0f : r > 32767.0f ? 32767.0f : r;
        dst[i] = static_cast<short>(r);
    }
}

__attribute__((optimize("no-tree-vectorize"))) void scalarShortToFloat(const short* src, float* dst, int n) {
    for (int i = 0; i < n; ++i) dst[i] = src[i];
}
