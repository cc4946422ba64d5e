// The shared converters that bring wider results back to 16 bits under the
// caller's scale mode (VOK_NO_SCALE, VOK_SATURATE, VOK_FIXED_SCALE,
// VOK_AUTO_SCALE) and scale factor. Every 16-bit path of the library goes
// through these; none re-implements them. Defined in src/vector/vokaritw.cpp.
//
// In VOK_AUTO_SCALE the chosen sf (0 when every value fits, otherwise
// floor(log2 |largest|) - 14) is written back through scaleFactor; in the
// fixed modes it is read, a null pointer counting as 0. The converters make
// no reports of their own: callers check their arguments (including a null
// scaleFactor in VOK_AUTO_SCALE, which the converters then merely ignore).
// Float values are scaled by an exact power of two and truncated toward
// zero; 32-bit values are shifted arithmetically. Modes other than 1..4
// keep the low 16 bits. Defined in src/core/scale16.cpp.
//
// Below them, the primitives every 16-bit result goes through: keep the low
// 16 bits (wrap), clamp (saturate), and round to nearest with ties to even
// whatever rounding mode the calling thread has set.
#pragma once

#include <cmath>
#include <cstdint>

namespace vok {

// The caller's scale factor in the fixed modes: a null pointer counts as 0.
inline int scaleFactorOrZero(const int* scaleFactor) { return scaleFactor ? *scaleFactor : 0; }

constexpr bool fits16(std::int64_t v) { return v >= -32768 && v <= 32767; }
constexpr short wrap16(std::int64_t v) { return static_cast<short>(static_cast<std::uint16_t>(static_cast<std::uint64_t>(v))); }
constexpr short saturate16(std::int64_t v) { return static_cast<short>(v < -32768 ? -32768 : v > 32767 ? 32767 : v); }

// Nearest integer, ties to even. NaN, infinities and integral values come
// back unchanged. The tie test runs only on exact halves.
template <class F>
inline F roundHalfEven(F v) {
    const F t = std::trunc(v);
    const F d = v - t;  // exact
    if (d > F(0.5) || (d == F(0.5) && std::fmod(t, F(2)) != 0)) return t + 1;
    if (d < F(-0.5) || (d == F(-0.5) && std::fmod(t, F(2)) != 0)) return t - 1;
    return t;
}

// trunc(v) as a 64-bit integer; beyond that range (and NaN) the x86 "integer
// indefinite" INT64_MIN, as the hardware conversion gives.
inline std::int64_t truncToInt64(double v) {
    if (!(std::fabs(v) < 9223372036854775808.0)) return INT64_MIN;
    return static_cast<std::int64_t>(v);
}

// The low 16 bits of the exact trunc(v); NaN and infinities give 0.
inline short wrap16Truncated(double v) {
    if (!std::isfinite(v)) return 0;
    const double t = std::trunc(v);
    if (std::fabs(t) < 9.0e18) return wrap16(static_cast<std::int64_t>(t));
    return wrap16(static_cast<std::int64_t>(std::fmod(t, 65536.0)));  // exact for integral t
}

// trunc(v) clamped to 16 bits; NaN gives 0.
inline short saturate16Truncated(double v) {
    if (std::isnan(v)) return 0;
    if (v <= -32768.0) return -32768;
    if (v >= 32767.0) return 32767;
    return static_cast<short>(std::trunc(v));
}

// Rounded (ties to even), low 16 bits kept; beyond 64 bits the integer
// indefinite's low 16 bits, 0.
inline short wrap16Rounded(double v) { return wrap16(truncToInt64(roundHalfEven(v))); }

// Rounded (ties to even) and clamped to 16 bits; NaN gives 0.
inline short saturate16Rounded(double v) {
    const double r = roundHalfEven(v);
    if (std::isnan(r)) return 0;
    return r > 32767.0 ? short(32767) : r < -32768.0 ? short(-32768) : short(r);
}

// Rounded (ties to even) and clamped to 32 bits; NaN gives INT32_MIN, as the
// hardware conversion does.
inline std::int32_t saturate32Rounded(double v) {
    const double r = roundHalfEven(v);
    if (!(r >= -2147483648.0)) return INT32_MIN;
    if (r > 2147483647.0) return INT32_MAX;
    return std::int32_t(r);
}

// Float results (transforms, correlation, convolution, filters) to 16 bits.
// Returns the status of the conversion (0 on success).
int ownScaleFloatToShort(const float* src, short* dst, int n, int scaleMode, int* scaleFactor);

// Two float arrays that share one scale factor (complex data held as two arrays).
void ownScaleFloatPairToShort(const float* srcRe, const float* srcIm, short* dstRe, short* dstIm, int n,
                              int scaleMode, int* scaleFactor);

// 32-bit integer results to 16 bits.
void ownScaleIntToShort(const int* src, short* dst, int n, int scaleMode, int* scaleFactor);

// One 32-bit result (dot products); returns the 16-bit value.
short ownScaleIntValueToShort(int value, int scaleMode, int* scaleFactor);

}  // namespace vok
