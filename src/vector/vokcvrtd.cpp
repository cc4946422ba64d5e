// Double-precision conversions: double to and from integers and fix-point
// values, and the double-precision complex representations.
#include "kernels/convert.h"
#include "vector/cvrt_core.h"
#include "vector/cvrt_stamps.h"

namespace vok::convert {

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

namespace {
constexpr const char* kModule = "vokcvrtd";
}

using namespace vok::convert::entry;
using vok::convert::entry::Interleaved;
using vok::convert::entry::Split;

#define VOK_CHECKS vok::ArgChecks{__func__, kModule, __LINE__}

VOK_INTEGER_CONVERSION_ENTRIES(d, double)
#define VOK_FIXED_FORMAT_ENTRIES(Name, I, bits, fract) VOK_FIXED_ENTRIES(d, double, Name, I, bits, fract)
VOK_FIXED_FORMATS(VOK_FIXED_FORMAT_ENTRIES)
VOK_REPRESENTATION_ENTRIES(z, d, DoubleComplex, double)
