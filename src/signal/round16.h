// Rounding of a generated double to a 16-bit sample: nearest integer, ties to
// even, low 16 bits kept (a value beyond 64 bits gives the x86 "integer
// indefinite", whose low 16 bits are 0).
#pragma once

#include <cmath>
#include <cstdint>

namespace vok::signal {

inline std::int64_t truncate64(double v) {
    if (!(std::fabs(v) < 9223372036854775808.0)) return INT64_MIN;
    return static_cast<std::int64_t>(v);
}

inline short roundToShort(double v) {
    return static_cast<short>(static_cast<std::uint16_t>(truncate64(std::nearbyint(v))));
}

inline short truncateToShort(double v) {
    return static_cast<short>(static_cast<std::uint16_t>(truncate64(v)));
}

}  // namespace vok::signal
