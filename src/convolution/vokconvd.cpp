// Double-precision linear convolution: real, complex and mixed operands.
#include "convolution/conv1d.h"
#include "vok/convolution.h"

namespace {
namespace c = vok::conv1d;
constexpr const char* kModule = "vokconvd";
}  // namespace

extern "C" {

VOK_API int VOK_CALL vokdConv(const double* x, int xLen, const double* h, int hLen, double* y) {
    return c::convolve(VOK_CHECKS, c::kD, x, xLen, h, hLen, y, vokdConv);
}
VOK_API int VOK_CALL vokzConv(const DoubleComplex* x, int xLen, const DoubleComplex* h, int hLen, DoubleComplex* y) {
    return c::convolve(VOK_CHECKS, c::kZ, x, xLen, h, hLen, y, vokzConv);
}
VOK_API int VOK_CALL vokzdConv(const DoubleComplex* x, int xLen, const double* h, int hLen, DoubleComplex* y) {
    return c::convolve(VOK_CHECKS, c::kZd, x, xLen, h, hLen, y, vokdzConv);
}
VOK_API int VOK_CALL vokdzConv(const double* x, int xLen, const DoubleComplex* h, int hLen, DoubleComplex* y) {
    return c::convolve(VOK_CHECKS, c::kDz, x, xLen, h, hLen, y, vokzdConv);
}

}  // extern "C"
