// Double-precision conversions: double to and from integers and fix-point
// values, and the double-precision complex representations.
#include "vector/cvrt_core.h"
#include "vector/cvrt_stamps.h"

namespace {
constexpr const char* kModule = "vokcvrtd";
}

using namespace vok::convert::entry;
using vok::convert::entry::Interleaved;
using vok::convert::entry::Split;

extern "C" {
VOK_TO_INTEGER(vokdbFloatToInt, double, floatToInt)
VOK_FROM_INTEGER(vokdbIntToFloat, double, intToFloat)
VOK_TO_FIX(vokdbFloatToFix, double)
VOK_FROM_FIX(vokdbFixToFloat, double)

VOK_TO_FIXED_FORMAT(vokdbFloatToS7Fix, double, signed char, 8, 7)
VOK_TO_FIXED_FORMAT(vokdbFloatToS15Fix, double, short, 16, 15)
VOK_TO_FIXED_FORMAT(vokdbFloatToS31Fix, double, int, 32, 31)
VOK_TO_FIXED_FORMAT(vokdbFloatToS1516Fix, double, int, 32, 16)
VOK_FROM_FIXED_FORMAT(vokdbS7FixToFloat, double, signed char, 8, 7)
VOK_FROM_FIXED_FORMAT(vokdbS15FixToFloat, double, short, 16, 15)
VOK_FROM_FIXED_FORMAT(vokdbS31FixToFloat, double, int, 32, 31)
VOK_FROM_FIXED_FORMAT(vokdbS1516FixToFloat, double, int, 32, 16)

VOK_PART(vokzbReal, DoubleComplex, double, realPart)
VOK_PART(vokzbImag, DoubleComplex, double, imagPart)
VOK_CPLX_TO_2REAL(vokzbCplxTo2Real, DoubleComplex, double)
VOK_2REAL_TO_CPLX(vokzb2RealToCplx, DoubleComplex, double)
VOK_CART_TO_POLAR(vokzbCartToPolar, DoubleComplex, double)
VOK_CART_TO_POLAR_SPLIT(vokdbrCartToPolar, double)
VOK_POLAR_TO_CART(vokzbPolarToCart, DoubleComplex, double)
VOK_POLAR_TO_CART_SPLIT(vokdbrPolarToCart, double)
VOK_FROM_INTERLEAVED(vokzbMag, DoubleComplex, double, magnitude)
VOK_FROM_SPLIT(vokdbrMag, double, magnitude)
VOK_FROM_INTERLEAVED(vokzbPhase, DoubleComplex, double, vok::convert::entry::phase)
VOK_FROM_SPLIT(vokdbrPhase, double, vok::convert::entry::phase)
VOK_FROM_INTERLEAVED(vokzbPowerSpectr, DoubleComplex, double, powerSpectr)
VOK_FROM_SPLIT(vokdbrPowerSpectr, double, powerSpectr)
}  // extern "C"
