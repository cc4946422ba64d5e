// Entry-point shapes of the floating-point conversions, one exported name per
// use, shared by vokcvrts.cpp (float) and vokcvrtd.cpp (double). The including
// file defines kModule first.
#pragma once

#include "core/check.h"
#include "vector/cvrt_entry.h"

// Integer and fix-point conversions; work is the generic conversion.
#define VOK_TO_INTEGER(name, F, work)                                                   \
    VOK_API void VOK_CALL name(const F* src, void* dst, int len, int bits, int flags) { \
        work(VOK_CHECKS, src, dst, len, bits, flags);                                   \
    }
#define VOK_FROM_INTEGER(name, F, work)                                                 \
    VOK_API void VOK_CALL name(const void* src, F* dst, int len, int bits, int flags) { \
        work(VOK_CHECKS, src, dst, len, bits, flags);                                   \
    }
#define VOK_TO_FIX(name, F)                                                                                \
    VOK_API void VOK_CALL name(const F* src, void* dst, int len, int fixedLen, int fractBits, int flags) { \
        floatToFix(VOK_CHECKS, src, dst, len, fixedLen, fractBits, flags);                                 \
    }
#define VOK_FROM_FIX(name, F)                                                                              \
    VOK_API void VOK_CALL name(const void* src, F* dst, int len, int fixedLen, int fractBits, int flags) { \
        fixToFloat(VOK_CHECKS, src, dst, len, fixedLen, fractBits, flags);                                 \
    }

// Fixed formats: the integer type I holds bits bits, fract of them fractional.
#define VOK_TO_FIXED_FORMAT(name, F, I, bits, fract)                       \
    VOK_API void VOK_CALL name(const F* src, I* dst, int len, int flags) { \
        floatToFixedFormat(VOK_CHECKS, src, dst, len, bits, fract, flags); \
    }
#define VOK_FROM_FIXED_FORMAT(name, F, I, bits, fract)              \
    VOK_API void VOK_CALL name(const I* src, F* dst, int len) {     \
        fixedFormatToFloat(VOK_CHECKS, src, dst, len, bits, fract); \
    }

// Complex representations: C the complex type, R its real type, and the
// operations on interleaved (C) or split (two R arrays) complex data.
#define VOK_PART(name, C, R, work) \
    VOK_API void VOK_CALL name(const C* src, R* dst, int length) { work(VOK_CHECKS, src, dst, length); }
#define VOK_CPLX_TO_2REAL(name, C, R)                                              \
    VOK_API void VOK_CALL name(const C* src, R* dstReal, R* dstImag, int length) { \
        cplxTo2Real(VOK_CHECKS, src, dstReal, dstImag, length);                    \
    }
#define VOK_2REAL_TO_CPLX(name, C, R)                                                    \
    VOK_API void VOK_CALL name(const R* srcReal, const R* srcImag, C* dst, int length) { \
        twoRealToCplx(VOK_CHECKS, srcReal, srcImag, dst, length);                        \
    }
#define VOK_CART_TO_POLAR(name, C, R)                                        \
    VOK_API void VOK_CALL name(const C* src, R* mag, R* phase, int length) { \
        cartToPolar(VOK_CHECKS, src, mag, phase, length);                    \
    }
#define VOK_CART_TO_POLAR_SPLIT(name, R)                                                           \
    VOK_API void VOK_CALL name(const R* srcReal, const R* srcImag, R* mag, R* phase, int length) { \
        cartToPolar(VOK_CHECKS, srcReal, srcImag, mag, phase, length);                             \
    }
#define VOK_POLAR_TO_CART(name, C, R)                                              \
    VOK_API void VOK_CALL name(const R* mag, const R* phase, C* dst, int length) { \
        polarToCart(VOK_CHECKS, mag, phase, dst, length);                          \
    }
#define VOK_POLAR_TO_CART_SPLIT(name, R)                                                           \
    VOK_API void VOK_CALL name(const R* mag, const R* phase, R* dstReal, R* dstImag, int length) { \
        polarToCart(VOK_CHECKS, mag, phase, dstReal, dstImag, length);                             \
    }
#define VOK_FROM_INTERLEAVED(name, C, R, work)                     \
    VOK_API void VOK_CALL name(const C* src, R* dst, int length) { \
        work(VOK_CHECKS, Interleaved<C>{src}, dst, length);        \
    }
#define VOK_FROM_SPLIT(name, R, work)                                                    \
    VOK_API void VOK_CALL name(const R* srcReal, const R* srcImag, R* dst, int length) { \
        work(VOK_CHECKS, Split<R>{srcReal, srcImag}, dst, length);                       \
    }
