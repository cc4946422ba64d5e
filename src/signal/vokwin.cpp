// Windows for float, double, complex float and complex double vectors.
#include "signal/window.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "vokwin";

}  // namespace

VOK_WINDOWS(s, float, float)
VOK_WINDOWS(d, double, double)
VOK_WINDOWS(c, FloatComplex, float)
VOK_WINDOWS(z, DoubleComplex, double)
