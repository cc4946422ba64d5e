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

extern "C" {
VOK_TO_INTEGER(voksbFloatToInt, float, floatToInt)
VOK_FROM_INTEGER(voksbIntToFloat, float, intToFloat)
VOK_TO_FIX(voksbFloatToFix, float)
VOK_FROM_FIX(voksbFixToFloat, float)

VOK_TO_FIXED_FORMAT(voksbFloatToS7Fix, float, signed char, 8, 7)
VOK_TO_FIXED_FORMAT(voksbFloatToS15Fix, float, short, 16, 15)
VOK_TO_FIXED_FORMAT(voksbFloatToS31Fix, float, int, 32, 31)
VOK_TO_FIXED_FORMAT(voksbFloatToS1516Fix, float, int, 32, 16)
VOK_FROM_FIXED_FORMAT(voksbS7FixToFloat, float, signed char, 8, 7)
VOK_FROM_FIXED_FORMAT(voksbS15FixToFloat, float, short, 16, 15)
VOK_FROM_FIXED_FORMAT(voksbS31FixToFloat, float, int, 32, 31)
VOK_FROM_FIXED_FORMAT(voksbS1516FixToFloat, float, int, 32, 16)

VOK_PART(vokcbReal, FloatComplex, float, realPart)
VOK_PART(vokcbImag, FloatComplex, float, imagPart)
VOK_CPLX_TO_2REAL(vokcbCplxTo2Real, FloatComplex, float)
VOK_2REAL_TO_CPLX(vokcb2RealToCplx, FloatComplex, float)
VOK_CART_TO_POLAR(vokcbCartToPolar, FloatComplex, float)
VOK_CART_TO_POLAR_SPLIT(voksbrCartToPolar, float)
VOK_POLAR_TO_CART(vokcbPolarToCart, FloatComplex, float)
VOK_POLAR_TO_CART_SPLIT(voksbrPolarToCart, float)
VOK_FROM_INTERLEAVED(vokcbMag, FloatComplex, float, magnitude)
VOK_FROM_SPLIT(voksbrMag, float, magnitude)
VOK_FROM_INTERLEAVED(vokcbPhase, FloatComplex, float, vok::convert::entry::phase)
VOK_FROM_SPLIT(voksbrPhase, float, vok::convert::entry::phase)
VOK_FROM_INTERLEAVED(vokcbPowerSpectr, FloatComplex, float, powerSpectr)
VOK_FROM_SPLIT(voksbrPowerSpectr, float, powerSpectr)
}  // extern "C"
