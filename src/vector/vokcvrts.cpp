// Single-precision conversions: float to and from integers and fix-point
// values, and the single-precision complex representations.
#include "vector/cvrt_core.h"
#include "vector/cvrt_stamps.h"

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
