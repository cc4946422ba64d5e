// Windows for 16-bit and complex 16-bit vectors: each product is rounded to
// the nearest integer (ties to even) and its low 16 bits are kept.
#include "signal/window.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "vokwinw";

}  // namespace

VOK_WINDOWS(w, short, float)
VOK_WINDOWS(v, ShortComplex, float)
