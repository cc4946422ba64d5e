// Windows for float, double, complex float and complex double vectors.
#include "signal/window.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "vokwin";

}  // namespace

#define VOK_CHECKS ArgChecks{__func__, kModule, __LINE__}

VOK_WINDOWS(s, float, float)
VOK_WINDOWS(d, double, double)
VOK_WINDOWS(c, FloatComplex, float)
VOK_WINDOWS(z, DoubleComplex, double)
