// Fix-point and integer conversions for the library's own use (integer FFT,
// integer IIR coefficients, 16-bit paths). The exported conversions are thin
// checked wrappers around these. Rounding is carried out exactly in integer and
// exact floating-point steps, so it never depends on the caller's rounding mode.
#pragma once

#include <cstdint>

namespace vok::convert {

enum class Rounding { near, zero, down, up };

// An integer or fix-point destination: 8, 16 or 32 bits holding value * 2^fractBits.
struct FixFormat {
    int bits = 16;
    int fractBits = 0;
    bool isUnsigned = false;
    Rounding rounding = Rounding::near;
    bool clip = false;  // saturate; otherwise a value that does not fit keeps its low bits
};

// The rounding a flag word asks for; false unless exactly one rounding flag is set.
bool roundingOf(int flags, Rounding& rounding);

// src[i] * 2^fractBits rounded and stored in the format's integers at dst.
// Returns true when every value fitted (NaN never fits; with clip it becomes 0).
bool floatToFix(const float* src, void* dst, int n, const FixFormat& format);
bool floatToFix(const double* src, void* dst, int n, const FixFormat& format);

// dst[i] = src[i] / 2^fractBits; float results are rounded to nearest, ties to even.
void fixToFloat(const void* src, float* dst, int n, int bits, int fractBits, bool isUnsigned);
void fixToFloat(const void* src, double* dst, int n, int bits, int fractBits, bool isUnsigned);

// One value: x * 2^fractBits rounded as asked, saturated to [lo, hi].
std::int64_t fixValue(double x, int fractBits, Rounding rounding, std::int64_t lo, std::int64_t hi);

}  // namespace vok::convert
