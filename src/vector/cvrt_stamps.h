// Entry points of the floating-point conversions, stamped out once per
// floating type by vokcvrts.cpp (float) and vokcvrtd.cpp (double). The
// including file defines kModule and VOK_CHECKS first.
#pragma once

#include "vector/cvrt_entry.h"

// The integer and fix-point conversions of one floating type t / F.
#define VOK_INTEGER_CONVERSION_ENTRIES(t, F)                                                                              \
    VOK_API void VOK_CALL vok##t##bFloatToInt(const F* src, void* dst, int len, int intBits, int flags) {                 \
        floatToInt(VOK_CHECKS, src, dst, len, intBits, flags);                                                            \
    }                                                                                                                     \
    VOK_API void VOK_CALL vok##t##bIntToFloat(const void* src, F* dst, int len, int intBits, int flags) {                 \
        intToFloat(VOK_CHECKS, src, dst, len, intBits, flags);                                                            \
    }                                                                                                                     \
    VOK_API void VOK_CALL vok##t##bFloatToFix(const F* src, void* dst, int len, int fixedLen, int fractBits, int flags) { \
        floatToFix(VOK_CHECKS, src, dst, len, fixedLen, fractBits, flags);                                                \
    }                                                                                                                     \
    VOK_API void VOK_CALL vok##t##bFixToFloat(const void* src, F* dst, int len, int fixedLen, int fractBits, int flags) { \
        fixToFloat(VOK_CHECKS, src, dst, len, fixedLen, fractBits, flags);                                                \
    }

// Fixed formats: name, integer type, bits, fractional bits.
#define VOK_FIXED_FORMATS(X) X(S7, signed char, 8, 7) X(S15, short, 16, 15) X(S31, int, 32, 31) X(S1516, int, 32, 16)

#define VOK_FIXED_ENTRIES(t, F, Name, I, bits, fract)                                                   \
    VOK_API void VOK_CALL vok##t##bFloatTo##Name##Fix(const F* src, I* dst, int len, int flags) {       \
        floatToFixedFormat(VOK_CHECKS, src, dst, len, bits, fract, flags);                              \
    }                                                                                                   \
    VOK_API void VOK_CALL vok##t##b##Name##FixToFloat(const I* src, F* dst, int len) {                  \
        fixedFormatToFloat(VOK_CHECKS, src, dst, len, bits, fract);                                     \
    }

// Complex representations: t the complex letter, r the real letter, C and R the types.
#define VOK_REPRESENTATION_ENTRIES(t, r, C, R)                                                                  \
    VOK_API void VOK_CALL vok##t##bReal(const C* src, R* dst, int length) { realPart(VOK_CHECKS, src, dst, length); } \
    VOK_API void VOK_CALL vok##t##bImag(const C* src, R* dst, int length) { imagPart(VOK_CHECKS, src, dst, length); } \
    VOK_API void VOK_CALL vok##t##bCplxTo2Real(const C* src, R* dstReal, R* dstImag, int length) {              \
        cplxTo2Real(VOK_CHECKS, src, dstReal, dstImag, length);                                                 \
    }                                                                                                           \
    VOK_API void VOK_CALL vok##t##b2RealToCplx(const R* srcReal, const R* srcImag, C* dst, int length) {        \
        twoRealToCplx(VOK_CHECKS, srcReal, srcImag, dst, length);                                               \
    }                                                                                                           \
    VOK_API void VOK_CALL vok##t##bCartToPolar(const C* src, R* mag, R* phase, int length) {                   \
        cartToPolar(VOK_CHECKS, src, mag, phase, length);                                                       \
    }                                                                                                           \
    VOK_API void VOK_CALL vok##r##brCartToPolar(const R* srcReal, const R* srcImag, R* mag, R* phase, int length) { \
        cartToPolar(VOK_CHECKS, srcReal, srcImag, mag, phase, length);                                          \
    }                                                                                                           \
    VOK_API void VOK_CALL vok##t##bPolarToCart(const R* mag, const R* phase, C* dst, int length) {             \
        polarToCart(VOK_CHECKS, mag, phase, dst, length);                                                       \
    }                                                                                                           \
    VOK_API void VOK_CALL vok##r##brPolarToCart(const R* mag, const R* phase, R* dstReal, R* dstImag, int length) { \
        polarToCart(VOK_CHECKS, mag, phase, dstReal, dstImag, length);                                          \
    }                                                                                                           \
    VOK_API void VOK_CALL vok##t##bMag(const C* src, R* mag, int length) {                                     \
        magnitude(VOK_CHECKS, Interleaved<C>{src}, mag, length);                                                \
    }                                                                                                           \
    VOK_API void VOK_CALL vok##r##brMag(const R* srcReal, const R* srcImag, R* mag, int length) {              \
        magnitude(VOK_CHECKS, Split<R>{srcReal, srcImag}, mag, length);                                         \
    }                                                                                                           \
    VOK_API void VOK_CALL vok##t##bPhase(const C* src, R* phase, int length) {                                 \
        vok::convert::entry::phase(VOK_CHECKS, Interleaved<C>{src}, phase, length);                                           \
    }                                                                                                           \
    VOK_API void VOK_CALL vok##r##brPhase(const R* srcReal, const R* srcImag, R* phase, int length) {          \
        vok::convert::entry::phase(VOK_CHECKS, Split<R>{srcReal, srcImag}, phase, length);                                    \
    }                                                                                                           \
    VOK_API void VOK_CALL vok##t##bPowerSpectr(const C* src, R* spectr, int length) {                          \
        powerSpectr(VOK_CHECKS, Interleaved<C>{src}, spectr, length);                                           \
    }                                                                                                           \
    VOK_API void VOK_CALL vok##r##brPowerSpectr(const R* srcReal, const R* srcImag, R* spectr, int length) {   \
        powerSpectr(VOK_CHECKS, Split<R>{srcReal, srcImag}, spectr, length);                                    \
    }
