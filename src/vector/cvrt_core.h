// Element-by-element conversion steps shared by the float and double modules.
// Every step is exact or rounds explicitly: scaling by 2^k is exact, truncation
// by an integer cast ignores the rounding mode, and the fraction left over is
// exact, so the chosen rounding is applied by comparisons alone.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstddef>
#include <cstring>

#include "vector/convert.h"

namespace vok::convert::detail {

// y rounded to an integral value (y itself when it is already integral, ±inf or NaN).
inline double roundIntegral(double y, Rounding rounding) {
    if (!(std::fabs(y) < 0x1p52)) return y;
    const std::int64_t whole = static_cast<std::int64_t>(y);  // toward zero
    const double t = static_cast<double>(whole);
    const double frac = y - t;  // exact, in (-1, 1)
    switch (rounding) {
    case Rounding::zero: return t;
    case Rounding::down: return frac < 0 ? t - 1 : t;
    case Rounding::up: return frac > 0 ? t + 1 : t;
    case Rounding::near: break;
    }
    const bool odd = (whole & 1) != 0;
    if (frac > 0.5 || (frac == 0.5 && odd)) return t + 1;
    if (frac < -0.5 || (frac == -0.5 && odd)) return t - 1;
    return t;
}

struct Range {
    double lo, hi;
};

inline Range rangeOf(int bits, bool isUnsigned) {
    if (isUnsigned) return {0.0, std::ldexp(1.0, bits) - 1};
    return {-std::ldexp(1.0, bits - 1), std::ldexp(1.0, bits - 1) - 1};
}

// The low 32 bits of an integral value in two's complement; ±inf and NaN give 0.
inline std::uint32_t lowBits(double r) {
    if (std::fabs(r) < 0x1p63) return static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(r)));
    if (!std::isfinite(r)) return 0;
    // Beyond 2^63 the value is a multiple of a large power of two; fmod is exact.
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(std::fmod(r, 0x1p32)));
}

inline void storeBits(void* dst, int i, int bits, std::uint32_t v) {
    switch (bits) {
    case 8: static_cast<std::uint8_t*>(dst)[i] = static_cast<std::uint8_t>(v); break;
    case 16: static_cast<std::uint16_t*>(dst)[i] = static_cast<std::uint16_t>(v); break;
    default: static_cast<std::uint32_t*>(dst)[i] = v; break;
    }
}

inline std::int64_t loadFix(const void* src, int i, int bits, bool isUnsigned) {
    switch (bits) {
    case 8:
        return isUnsigned ? std::int64_t(static_cast<const std::uint8_t*>(src)[i])
                          : std::int64_t(static_cast<const std::int8_t*>(src)[i]);
    case 16:
        return isUnsigned ? std::int64_t(static_cast<const std::uint16_t*>(src)[i])
                          : std::int64_t(static_cast<const std::int16_t*>(src)[i]);
    default:
        return isUnsigned ? std::int64_t(static_cast<const std::uint32_t*>(src)[i])
                          : std::int64_t(static_cast<const std::int32_t*>(src)[i]);
    }
}

// v rounded to 24 significant bits, to nearest with ties to even, so that the
// conversion to float that follows is exact.
inline std::int64_t roundTo24Bits(std::int64_t v) {
    const bool negative = v < 0;
    std::uint64_t a = negative ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    if (a >= (std::uint64_t(1) << 24)) {
        int shift = 0;
        while ((a >> shift) >= (std::uint64_t(1) << 24)) ++shift;
        std::uint64_t q = a >> shift;
        const std::uint64_t rest = a & ((std::uint64_t(1) << shift) - 1);
        const std::uint64_t half = std::uint64_t(1) << (shift - 1);
        if (rest > half || (rest == half && (q & 1))) ++q;
        a = q << shift;
    }
    return negative ? -static_cast<std::int64_t>(a) : static_cast<std::int64_t>(a);
}

// One value, scaled and rounded; 'fits' tells whether it lies in the range.
inline std::uint32_t fixBits(double y, const FixFormat& format, Range range, bool& fits) {
    const double r = roundIntegral(y, format.rounding);
    fits = r >= range.lo && r <= range.hi;  // false for NaN
    if (!format.clip) return lowBits(r);
    const double c = fits ? r : r < range.lo ? range.lo : r > range.hi ? range.hi : 0.0;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(c));
}

template <class F>
bool floatToFixScalar(const F* src, void* dst, int begin, int end, const FixFormat& format) {
    const double scale = std::ldexp(1.0, format.fractBits);
    const Range range = rangeOf(format.bits, format.isUnsigned);
    bool allFit = true;
    for (int i = begin; i < end; ++i) {
        bool fits;
        // float sources scale exactly in double; double sources overflow only to ±inf
        storeBits(dst, i, format.bits, fixBits(static_cast<double>(src[i]) * scale, format, range, fits));
        allFit &= fits;
    }
    return allFit;
}

template <class I, class F>
void widen(const void* src, F* dst, int begin, int end, F scale) {
    const I* in = static_cast<const I*>(src);
    for (int i = begin; i < end; ++i) dst[i] = static_cast<F>(in[i]) * scale;  // exact for float up to 16 bits, for double always
}

// Whole registers through a kernel; a register holding a value beyond 2^31
// (or NaN), and the tail, go element by element.
template <class F, class Kernel>
bool floatToFixInRegisters(const F* src, void* dst, int n, const FixFormat& format, Kernel kernel, int lanes) {
    const int bits = format.bits;
    const int lo = format.isUnsigned ? 0 : bits == 32 ? INT32_MIN : -(1 << (bits - 1));
    const int hi = bits == 32 ? INT32_MAX : format.isUnsigned ? (1 << bits) - 1 : (1 << (bits - 1)) - 1;
    const F scale = std::ldexp(F(1), format.fractBits);
    const int rounding = static_cast<int>(format.rounding);
    bool allFit = true;
    for (int i = 0; i < n;) {
        i += kernel(src + i, static_cast<char*>(dst) + std::size_t(i) * unsigned(bits / 8), n - i, scale, bits,
                    rounding, format.clip, lo, hi, allFit);
        const int end = n - i < lanes ? n : i + lanes;
        allFit &= floatToFixScalar(src, dst, i, end, format);
        i = end;
    }
    return allFit;
}

inline void fixToFloatScalar(const void* src, float* dst, int begin, int end, int bits, int fractBits,
                             bool isUnsigned) {
    const float scale = std::ldexp(1.0f, -fractBits);
    if (bits == 8) return isUnsigned ? widen<std::uint8_t>(src, dst, begin, end, scale)
                                     : widen<std::int8_t>(src, dst, begin, end, scale);
    if (bits == 16) return isUnsigned ? widen<std::uint16_t>(src, dst, begin, end, scale)
                                      : widen<std::int16_t>(src, dst, begin, end, scale);
    for (int i = begin; i < end; ++i)
        dst[i] = static_cast<float>(roundTo24Bits(loadFix(src, i, bits, isUnsigned))) * scale;
}

inline void fixToFloatScalar(const void* src, double* dst, int begin, int end, int bits, int fractBits,
                             bool isUnsigned) {
    const double scale = std::ldexp(1.0, -fractBits);  // every 32-bit value converts exactly
    if (bits == 8) return isUnsigned ? widen<std::uint8_t>(src, dst, begin, end, scale)
                                     : widen<std::int8_t>(src, dst, begin, end, scale);
    if (bits == 16) return isUnsigned ? widen<std::uint16_t>(src, dst, begin, end, scale)
                                      : widen<std::int16_t>(src, dst, begin, end, scale);
    return isUnsigned ? widen<std::uint32_t>(src, dst, begin, end, scale)
                      : widen<std::int32_t>(src, dst, begin, end, scale);
}

}  // namespace vok::convert::detail
