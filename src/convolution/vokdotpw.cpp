// 16-bit dot products: exact integer sums of the products, rounded to 32 bits
// and brought back to 16 bits with the caller's scale mode.
#include <cstdint>

#include "core/check.h"
#include "core/scale16.h"
#include "vok/convolution.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "vokdotpw";

struct Wide {
    std::int64_t re = 0, im = 0;
};

Wide parts(short v) { return {v, 0}; }
Wide parts(ShortComplex v) { return {v.re, v.im}; }

// The 32-bit value of an exact sum; sums beyond the 32-bit range saturate.
int to32(std::int64_t v) { return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : int(v); }

template <class A, class B>
Wide exactSum(const A* a, const B* b, int len) {
    // Products of 16-bit values are exact in 64 bits, and so is any sum of
    // fewer than 2^33 of them: the order of the sum does not matter.
    Wide s;
    for (int i = len - 1; i >= 0; --i) {
        const Wide x = parts(a[i]), y = parts(b[i]);
        s.re += x.re * y.re - x.im * y.im;
        s.im += x.re * y.im + x.im * y.re;
    }
    return s;
}

template <class A, class B>
bool badArguments(ArgChecks check, const A* a, const B* b, int len, int scaleMode, const int* scaleFactor) {
    return check(!a, "Null buffer pointer") || check(!b, "Null buffer pointer") || check(len < 0, "Invalid value") ||
           check(scaleMode == VOK_AUTO_SCALE && !scaleFactor, "Null scale factor pointer");
}

// The two components share the scale factor, as the elements of one vector do.
ShortComplex complexResult(const Wide& s, int scaleMode, int* scaleFactor) {
    const int sums[2] = {to32(s.re), to32(s.im)};
    short out[2];
    vok::ownScaleIntToShort(sums, out, 2, scaleMode, scaleFactor);
    return {out[0], out[1]};
}

}  // namespace

extern "C" {

VOK_API short VOK_CALL vokwDotProd(const short* a, const short* b, int len, int scaleMode, int* scaleFactor) {
    if (badArguments(VOK_CHECKS, a, b, len, scaleMode, scaleFactor)) return 0;
    return vok::ownScaleIntValueToShort(to32(exactSum(a, b, len).re), scaleMode, scaleFactor);
}

#define VOK_DOT16(name, A, B)                                                                       \
    VOK_API ShortComplex VOK_CALL name(const A* a, const B* b, int len, int scaleMode, int* scaleFactor) { \
        if (badArguments(VOK_CHECKS, a, b, len, scaleMode, scaleFactor)) return {0, 0};           \
        return complexResult(exactSum(a, b, len), scaleMode, scaleFactor);                          \
    }
VOK_DOT16(vokvDotProd, ShortComplex, ShortComplex)
VOK_DOT16(vokwvDotProd, short, ShortComplex)
VOK_DOT16(vokvwDotProd, ShortComplex, short)

}  // extern "C"
