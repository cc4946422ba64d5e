// The library's own fix-point and integer conversions (vector/convert.h), for
// both precisions; the exported conversions of vokcvrts.cpp and vokcvrtd.cpp
// wrap them.
#include "vector/convert.h"

#include <cmath>

#include "kernels/convert.h"
#include "vector/cvrt_core.h"
#include "vok/convert.h"

namespace vok::convert {

bool roundingOf(int flags, Rounding& rounding) {
    const int chosen = flags & (VOK_RndNear | VOK_RndZero | VOK_RndDown | VOK_RndUp);
    switch (chosen) {
    case VOK_RndNear: rounding = Rounding::near; return true;
    case VOK_RndZero: rounding = Rounding::zero; return true;
    case VOK_RndDown: rounding = Rounding::down; return true;
    case VOK_RndUp: rounding = Rounding::up; return true;
    default: return false;
    }
}

bool floatToFix(const float* src, void* dst, int n, const FixFormat& format) {
    const auto& k = kernels::convertKernels();
    return detail::floatToFixInRegisters(src, dst, n, format, k.floatToInt, k.floatLanes);
}

void fixToFloat(const void* src, float* dst, int n, int bits, int fractBits, bool isUnsigned) {
    detail::fixToFloatScalar(src, dst, 0, n, bits, fractBits, isUnsigned);
}

bool floatToFix(const double* src, void* dst, int n, const FixFormat& format) {
    const auto& k = kernels::convertKernels();
    return detail::floatToFixInRegisters(src, dst, n, format, k.doubleToInt, k.doubleLanes);
}

void fixToFloat(const void* src, double* dst, int n, int bits, int fractBits, bool isUnsigned) {
    detail::fixToFloatScalar(src, dst, 0, n, bits, fractBits, isUnsigned);
}

std::int64_t fixValue(double x, int fractBits, Rounding rounding, std::int64_t lo, std::int64_t hi) {
    const double r = detail::roundIntegral(std::ldexp(x, fractBits), rounding);
    if (!(r >= double(lo))) return r < double(lo) ? lo : 0;  // NaN gives 0
    if (r > double(hi)) return hi;
    return static_cast<std::int64_t>(r);
}

}  // namespace vok::convert
