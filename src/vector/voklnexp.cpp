// Natural logarithm and exponential of float and double vectors. Float uses
// the vector kernels (double lanes, one rounding); double uses the C library.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/check.h"
#include "kernels/elementwise.h"
#include "vector/vecforms.h"
#include "vok/elementwise.h"

namespace {

using vok::ArgChecks;
using vok::vec::Form;
using vok::vec::badVectors;
constexpr const char* kModule = "voklnexp";

constexpr std::uint64_t kNegativeQuietNan = 0xFFF8000000000000ull;

double lnDouble(double x) {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    if (bits >> 63) {  // negatives, -0 and NaNs with the sign bit set
        double nan;
        std::memcpy(&nan, &kNegativeQuietNan, sizeof nan);
        return nan;
    }
    return std::isnan(x) ? x + x : std::log(x);
}

void lnFloat(ArgChecks check, Form form, const float* src, float* dst, int len) {
    if (badVectors(check, form, len, src, dst)) return;
    vok::kernels::elementwise().lnFloat(src, dst, len);
}

void expFloat(ArgChecks check, Form form, const float* src, float* dst, int len) {
    if (badVectors(check, form, len, src, dst)) return;
    vok::kernels::elementwise().expFloat(src, dst, len);
}

void lnDoubles(ArgChecks check, Form form, const double* src, double* dst, int len) {
    if (badVectors(check, form, len, src, dst)) return;
    for (int i = 0; i < len; ++i) dst[i] = lnDouble(src[i]);
}

void expDoubles(ArgChecks check, Form form, const double* src, double* dst, int len) {
    if (badVectors(check, form, len, src, dst)) return;
    for (int i = 0; i < len; ++i) dst[i] = std::isnan(src[i]) ? src[i] + src[i] : std::exp(src[i]);
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL voksbLn1(float* vec, int len) { lnFloat(VOK_CHECKS, Form::inPlace, vec, vec, len); }
VOK_API void VOK_CALL voksbLn2(const float* src, float* dst, int len) { lnFloat(VOK_CHECKS, Form::twoArrays, src, dst, len); }
VOK_API void VOK_CALL vokdbLn1(double* vec, int len) { lnDoubles(VOK_CHECKS, Form::inPlace, vec, vec, len); }
VOK_API void VOK_CALL vokdbLn2(const double* src, double* dst, int len) { lnDoubles(VOK_CHECKS, Form::twoArrays, src, dst, len); }
VOK_API void VOK_CALL voksbExp1(float* vec, int len) { expFloat(VOK_CHECKS, Form::inPlace, vec, vec, len); }
VOK_API void VOK_CALL voksbExp2(const float* src, float* dst, int len) { expFloat(VOK_CHECKS, Form::twoArrays, src, dst, len); }
VOK_API void VOK_CALL vokdbExp1(double* vec, int len) { expDoubles(VOK_CHECKS, Form::inPlace, vec, vec, len); }
VOK_API void VOK_CALL vokdbExp2(const double* src, double* dst, int len) { expDoubles(VOK_CHECKS, Form::twoArrays, src, dst, len); }

}  // extern "C"
