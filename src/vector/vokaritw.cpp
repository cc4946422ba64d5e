// 16-bit and complex 16-bit vector arithmetic under the scale modes, and the
// shared converters that bring float and 32-bit results back to 16 bits.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/check.h"
#include "core/scale16.h"
#include "vok/int16.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "vokaritw";

constexpr int kAuto = VOK_AUTO_SCALE;

inline bool fits16(std::int64_t r) { return r >= -32768 && r <= 32767; }
inline short low16(std::int64_t r) { return static_cast<short>(static_cast<std::uint16_t>(static_cast<std::uint64_t>(r))); }
inline short clamp16(std::int64_t r) { return static_cast<short>(r < -32768 ? -32768 : r > 32767 ? 32767 : r); }

// ---- float results ----

// The low 16 bits of trunc(x); NaN and infinities give 0.
inline short truncLow16(double x) {
    if (!std::isfinite(x)) return 0;
    double t = std::trunc(x);
    if (std::fabs(t) < 9.0e18) return low16(static_cast<std::int64_t>(t));
    return low16(static_cast<std::int64_t>(std::fmod(t, 65536.0)));  // exact for integral t
}

inline short truncClamp16(double x) {
    if (std::isnan(x)) return 0;
    if (x <= -32768.0) return -32768;
    if (x >= 32767.0) return 32767;
    return static_cast<short>(std::trunc(x));
}

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
        for (int i = 0; i < n; ++i) dst[i] = truncLow16(double(src[i]) * k);
        break;
    }
    case VOK_FIXED_SCALE | VOK_SATURATE: {
        const double k = powerOfTwo(-sf);
        for (int i = 0; i < n; ++i) dst[i] = truncClamp16(double(src[i]) * k);
        break;
    }
    case VOK_SATURATE:
        for (int i = 0; i < n; ++i) dst[i] = truncClamp16(src[i]);
        break;
    default:
        for (int i = 0; i < n; ++i) dst[i] = truncLow16(src[i]);
        break;
    }
}

inline int readFactor(const int* scaleFactor) { return scaleFactor ? *scaleFactor : 0; }

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
        return scaleMode == (VOK_FIXED_SCALE | VOK_SATURATE) ? clamp16(r) : low16(r);
    }
    case VOK_SATURATE: return clamp16(x);
    default: return low16(x);
    }
}

}  // namespace

namespace vok {

int ownScaleFloatToShort(const float* src, short* dst, int n, int scaleMode, int* scaleFactor) {
    if (n <= 0) return VOK_StatusOk;
    int sf = readFactor(scaleFactor);
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
    int sf = readFactor(scaleFactor);
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
    int sf = readFactor(scaleFactor);
    if (scaleMode == kAuto) {
        sf = autoFactorInt(largestInt(src, n));
        if (scaleFactor) *scaleFactor = sf;
    }
    for (int i = 0; i < n; ++i) dst[i] = intToShort(src[i], scaleMode, sf);
}

short ownScaleIntValueToShort(int value, int scaleMode, int* scaleFactor) {
    int sf = readFactor(scaleFactor);
    if (scaleMode == kAuto) {
        sf = autoFactorInt(value);
        if (scaleFactor) *scaleFactor = sf;
    }
    return intToShort(value, scaleMode, sf);
}

}  // namespace vok
