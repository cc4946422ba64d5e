// Single-precision linear convolution: real, complex and mixed operands.
#include "convolution/conv1d.h"
#include "vok/convolution.h"

namespace {
namespace c = vok::conv1d;
constexpr const char* kModule = "vokconvs";
}  // namespace

extern "C" {

VOK_API int VOK_CALL voksConv(const float* x, int xLen, const float* h, int hLen, float* y) {
    return c::convolve(VOK_CHECKS, c::kS, x, xLen, h, hLen, y, voksConv);
}
VOK_API int VOK_CALL vokcConv(const FloatComplex* x, int xLen, const FloatComplex* h, int hLen, FloatComplex* y) {
    return c::convolve(VOK_CHECKS, c::kC, x, xLen, h, hLen, y, vokcConv);
}
VOK_API int VOK_CALL vokcsConv(const FloatComplex* x, int xLen, const float* h, int hLen, FloatComplex* y) {
    return c::convolve(VOK_CHECKS, c::kCs, x, xLen, h, hLen, y, vokscConv);
}
VOK_API int VOK_CALL vokscConv(const float* x, int xLen, const FloatComplex* h, int hLen, FloatComplex* y) {
    return c::convolve(VOK_CHECKS, c::kSc, x, xLen, h, hLen, y, vokcsConv);
}

}  // extern "C"
