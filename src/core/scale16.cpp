// The shared converters that bring float and 32-bit results back to 16 bits
// under the caller's scale mode.
#include "core/scale16.h"

#include <cmath>
#include <cstdint>

#include "vok/int16.h"

namespace {

constexpr int kAuto = VOK_AUTO_SCALE;

using vok::fits16;
using vok::saturate16;
using vok::saturate16Truncated;
using vok::wrap16;
using vok::wrap16Truncated;

// ---- float results ----

// 2^-sf as an exact power of two (shift counts far outside the 16-bit range
// saturate the exponent rather than overflow it).
inline double powerOfTwo(int e) {
    if (e > 2000) e = 2000;
    if (e < -2000) e = -2000;
    return std::ldexp(1.0, e);
}

// sf for the auto mode: 0 when the element of largest magnitude fits,
// otherwise floor(log2 |m|) - 14.
int autoFactorFloat(const float* src, int n) {
    float m = 0.0f;
    float mag = 0.0f;
    for (int i = 0; i < n; ++i) {
        float a = std::fabs(src[i]);
        if (a > mag) { mag = a; m = src[i]; }
    }
    if (m >= -32768.0f && m <= 32767.0f) return 0;
    if (std::isinf(m)) return 128 - 14;
    return std::ilogb(m) - 14;
}

void convertFloat(const float* src, short* dst, int n, int scaleMode, int sf) {
    switch (scaleMode) {
    case VOK_AUTO_SCALE:
    case VOK_FIXED_SCALE: {
        const double k = powerOfTwo(-sf);
        for (int i = 0; i < n; ++i) dst[i] = wrap16Truncated(double(src[i]) * k);
        break;
    }
    case VOK_FIXED_SCALE | VOK_SATURATE: {
        const double k = powerOfTwo(-sf);
        for (int i = 0; i < n; ++i) dst[i] = saturate16Truncated(double(src[i]) * k);
        break;
    }
    case VOK_SATURATE:
        for (int i = 0; i < n; ++i) dst[i] = saturate16Truncated(src[i]);
        break;
    default:
        for (int i = 0; i < n; ++i) dst[i] = wrap16Truncated(src[i]);
        break;
    }
}

// ---- 32-bit results ----

int autoFactorInt(std::int64_t m) {
    if (fits16(m)) return 0;
    std::uint64_t mag = m < 0 ? std::uint64_t(-m) : std::uint64_t(m);
    int e = 63;
    while (!(mag >> e)) --e;
    return e - 14;
}

std::int64_t largestInt(const int* src, int n) {
    std::int64_t m = 0, mag = 0;
    for (int i = 0; i < n; ++i) {
        std::int64_t x = src[i];
        std::int64_t a = x < 0 ? -x : x;
        if (a > mag) { mag = a; m = x; }
    }
    return m;
}

// One 32-bit value under a fixed, saturating or plain mode (the auto mode has
// already been turned into a fixed shift by its caller).
inline short intToShort(std::int64_t x, int scaleMode, int sf) {
    switch (scaleMode) {
    case VOK_AUTO_SCALE:
    case VOK_FIXED_SCALE:
    case VOK_FIXED_SCALE | VOK_SATURATE: {
        std::int64_t r = x;
        if (sf > 0) r = x >> (sf < 31 ? sf : 31);
        else if (sf < 0) r = x * (std::int64_t(1) << (-sf < 15 ? -sf : 15));
        return scaleMode == (VOK_FIXED_SCALE | VOK_SATURATE) ? saturate16(r) : wrap16(r);
    }
    case VOK_SATURATE: return saturate16(x);
    default: return wrap16(x);
    }
}

}  // namespace

namespace vok {

int ownScaleFloatToShort(const float* src, short* dst, int n, int scaleMode, int* scaleFactor) {
    if (n <= 0) return VOK_StatusOk;
    int sf = vok::scaleFactorOrZero(scaleFactor);
    if (scaleMode == kAuto) {
        sf = autoFactorFloat(src, n);
        if (scaleFactor) *scaleFactor = sf;
    }
    convertFloat(src, dst, n, scaleMode, sf);
    return VOK_StatusOk;
}

void ownScaleFloatPairToShort(const float* srcRe, const float* srcIm, short* dstRe, short* dstIm, int n,
                              int scaleMode, int* scaleFactor) {
    if (n <= 0) return;
    int sf = vok::scaleFactorOrZero(scaleFactor);
    if (scaleMode == kAuto) {
        int a = autoFactorFloat(srcRe, n), b = autoFactorFloat(srcIm, n);
        sf = a > b ? a : b;
        if (scaleFactor) *scaleFactor = sf;
    }
    convertFloat(srcRe, dstRe, n, scaleMode, sf);
    convertFloat(srcIm, dstIm, n, scaleMode, sf);
}

void ownScaleIntToShort(const int* src, short* dst, int n, int scaleMode, int* scaleFactor) {
    if (n <= 0) return;
    int sf = vok::scaleFactorOrZero(scaleFactor);
    if (scaleMode == kAuto) {
        sf = autoFactorInt(largestInt(src, n));
        if (scaleFactor) *scaleFactor = sf;
    }
    for (int i = 0; i < n; ++i) dst[i] = intToShort(src[i], scaleMode, sf);
}

short ownScaleIntValueToShort(int value, int scaleMode, int* scaleFactor) {
    int sf = vok::scaleFactorOrZero(scaleFactor);
    if (scaleMode == kAuto) {
        sf = autoFactorInt(value);
        if (scaleFactor) *scaleFactor = sf;
    }
    return intToShort(value, scaleMode, sf);
}

}  // namespace vok
