// Natural logarithm and exponential of 16-bit vectors.
#include <cfloat>
#include <cmath>

#include "core/check.h"
#include "core/scale16.h"
#include "vector/vecforms.h"
#include "vok/elementwise.h"
#include "vok/frame.h"

namespace {

using vok::ArgChecks;
using vok::vec::Form;
using vok::vec::badVectors;
constexpr const char* kModule = "voklnexw";

// ln x rounded to the nearest integer; zero and negatives have no logarithm
// in 16 bits and give the most negative value.
void lnShort(ArgChecks check, Form form, const short* src, short* dst, int len) {
    if (badVectors(check, form, len, src, dst)) return;
    for (int i = 0; i < len; ++i) dst[i] = src[i] <= 0 ? short(-32768) : short(std::lround(std::log(double(src[i]))));
}

// e^x in float (the largest finite float standing in for results beyond the
// float range), then to 16 bits under the caller's scale mode.
void expShort(ArgChecks check, Form form, const short* src, short* dst, int len, int scaleMode, int* scaleFactor) {
    if (badVectors(check, form, len, src, dst) || check(scaleMode == VOK_AUTO_SCALE && !scaleFactor, "scaleFactor==0"))
        return;
    float* values = voksMalloc(len);
    if (!values) {
        check.noMemory(__LINE__);
        return;
    }
    for (int i = 0; i < len; ++i) {
        const double e = std::exp(double(src[i]));
        values[i] = e > FLT_MAX ? FLT_MAX : float(e);
    }
    vok::ownScaleFloatToShort(values, dst, len, scaleMode, scaleFactor);
    vokFree(values);
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL vokwbLn1(short* vec, int len) { lnShort(VOK_CHECKS, Form::inPlace, vec, vec, len); }
VOK_API void VOK_CALL vokwbLn2(const short* src, short* dst, int len) { lnShort(VOK_CHECKS, Form::twoArrays, src, dst, len); }

VOK_API void VOK_CALL vokwbExp1(short* vec, int len, int scaleMode, int* scaleFactor) {
    expShort(VOK_CHECKS, Form::inPlace, vec, vec, len, scaleMode, scaleFactor);
}
VOK_API void VOK_CALL vokwbExp2(const short* src, short* dst, int len, int scaleMode, int* scaleFactor) {
    expShort(VOK_CHECKS, Form::twoArrays, src, dst, len, scaleMode, scaleFactor);
}

}  // extern "C"
