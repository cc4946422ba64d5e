// Single-precision conversions: float to and from integers and fix-point
// values, and the single-precision complex representations.
#include "kernels/convert.h"
#include "vector/cvrt_core.h"
#include "vector/cvrt_stamps.h"

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

}  // namespace vok::convert

namespace {
constexpr const char* kModule = "vokcvrts";
}

using namespace vok::convert::entry;
using vok::convert::entry::Interleaved;
using vok::convert::entry::Split;

#define VOK_CHECKS vok::ArgChecks{__func__, kModule, __LINE__}

VOK_INTEGER_CONVERSION_ENTRIES(s, float)
#define VOK_FIXED_FORMAT_ENTRIES(Name, I, bits, fract) VOK_FIXED_ENTRIES(s, float, Name, I, bits, fract)
VOK_FIXED_FORMATS(VOK_FIXED_FORMAT_ENTRIES)
VOK_REPRESENTATION_ENTRIES(c, s, FloatComplex, float)
