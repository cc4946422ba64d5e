// Checked bodies of the conversion entry points, written once for float and
// double; vokcvrts.cpp and vokcvrtd.cpp stamp out the exported names.
#pragma once

#include <cmath>
#include <cstring>
#include <limits>

#include "core/check.h"
#include "vector/convert.h"
#include "vok/convert.h"

namespace vok::convert::entry {

inline bool validWidth(int bits) { return bits == 8 || bits == 16 || bits == 32; }

inline bool validFractBits(int fractBits, int bits, bool isUnsigned) {
    return fractBits >= 0 && fractBits <= bits - (isUnsigned ? 0 : 1);
}

// The converting step shared by FloatToInt, FloatToFix and the fixed formats.
template <class F>
void convertChecked(const ArgChecks& check, const F* src, void* dst, int len, FixFormat format, int flags) {
    // 32-bit unsigned results with exactly these flags round toward minus infinity.
    if (format.bits == 32 && flags == (VOK_OvfErr | VOK_Unsigned | VOK_RndZero)) format.rounding = Rounding::down;
    format.clip = (flags & VOK_Clip) != 0;
    const bool allFit = convert::floatToFix(src, dst, len, format);
    if (!format.clip && (flags & VOK_OvfErr) && !allFit) check(true, "A float exceeds an integer");
}

template <class F>
void floatToInt(ArgChecks check, const F* src, void* dst, int len, int intBits, int flags) {
    vokSetErrStatus(VOK_StatusOk);
    const CheckAll all{check};
    Rounding rounding{};
    all(len <= 0, "len<=0");
    all(!src, "src==0");
    all(!dst, "dst==0");
    all(!validWidth(intBits), "Invalid size of an integer");
    all(!roundingOf(flags, rounding), "Invalid conversion flag");
    if (all.failed()) return;
    convertChecked(check, src, dst, len, FixFormat{intBits, 0, (flags & VOK_Unsigned) != 0, rounding}, flags);
}

template <class F>
void floatToFix(ArgChecks check, const F* src, void* dst, int len, int fixedLen, int fractBits, int flags) {
    vokSetErrStatus(VOK_StatusOk);
    const CheckAll all{check};
    Rounding rounding{};
    const bool isUnsigned = (flags & VOK_Unsigned) != 0;
    all(len <= 0, "len<=0");
    all(!src, "src==0");
    all(!dst, "dst==0");
    all(!validWidth(fixedLen), "Invalid size of a fix-point");
    all(!roundingOf(flags, rounding), "Invalid conversion flag");
    all(!validFractBits(fractBits, fixedLen, isUnsigned), "Invalid fractBits");
    if (all.failed()) return;
    convertChecked(check, src, dst, len, FixFormat{fixedLen, fractBits, isUnsigned, rounding}, flags);
}

template <class F>
void intToFloat(ArgChecks check, const void* src, F* dst, int len, int intBits, int flags) {
    vokSetErrStatus(VOK_StatusOk);
    const CheckAll all{check};
    all(len <= 0, "len<=0");
    all(!src, "src==0");
    all(!dst, "dst==0");
    all(!validWidth(intBits), "Invalid size of an integer");
    if (all.failed()) return;
    convert::fixToFloat(src, dst, len, intBits, 0, (flags & VOK_Unsigned) != 0);
}

template <class F>
void fixToFloat(ArgChecks check, const void* src, F* dst, int len, int fixedLen, int fractBits, int flags) {
    vokSetErrStatus(VOK_StatusOk);
    const CheckAll all{check};
    const bool isUnsigned = (flags & VOK_Unsigned) != 0;
    all(len <= 0, "len<=0");
    all(!src, "src==0");
    all(!dst, "dst==0");
    all(!validWidth(fixedLen), "Invalid size of a fix-point");
    all(flags != 0 && flags != VOK_Unsigned, "Invalid conversion flag");
    all(!validFractBits(fractBits, fixedLen, isUnsigned), "Invalid fractBits");
    if (all.failed()) return;
    convert::fixToFloat(src, dst, len, fixedLen, fractBits, isUnsigned);
}

// The signed fixed formats S7, S15, S31 and S1516.
template <class F>
void floatToFixedFormat(ArgChecks check, const F* src, void* dst, int len, int bits, int fractBits, int flags) {
    vokSetErrStatus(VOK_StatusOk);
    const CheckAll all{check};
    Rounding rounding{};
    all(len <= 0, "len<=0");
    all(!src, "src==0");
    all(!dst, "dst==0");
    all(!roundingOf(flags, rounding), "Invalid conversion flag");
    if (all.failed()) return;
    convertChecked(check, src, dst, len, FixFormat{bits, fractBits, false, rounding}, flags & ~VOK_Unsigned);
}

template <class F>
void fixedFormatToFloat(ArgChecks check, const void* src, F* dst, int len, int bits, int fractBits) {
    vokSetErrStatus(VOK_StatusOk);
    const CheckAll all{check};
    all(len <= 0, "len<=0");
    all(!src, "src==0");
    all(!dst, "dst==0");
    if (all.failed()) return;
    convert::fixToFloat(src, dst, len, bits, fractBits, false);
}

// ---- complex representations ----

template <class C, class R>
void realPart(ArgChecks check, const C* src, R* dst, int length) {
    if (check(length <= 0, "length<=0") || check(!src, "src==0") || check(!dst, "dst==0")) return;
    for (int i = 0; i < length; ++i) dst[i] = src[i].re;
}

template <class C, class R>
void imagPart(ArgChecks check, const C* src, R* dst, int length) {
    if (check(length <= 0, "length<=0") || check(!src, "src==0") || check(!dst, "dst==0")) return;
    for (int i = 0; i < length; ++i) dst[i] = src[i].im;
}

template <class C, class R>
void cplxTo2Real(ArgChecks check, const C* src, R* dstReal, R* dstImag, int length) {
    if (check(length <= 0, "length<=0") || check(!src, "src==0") || check(!dstReal, "dstReal==0") ||
        check(!dstImag, "dstImag==0"))
        return;
    for (int i = 0; i < length; ++i) {
        const C x = src[i];  // the destinations may overlay the source
        dstReal[i] = x.re;
        dstImag[i] = x.im;
    }
}

template <class C, class R>
void twoRealToCplx(ArgChecks check, const R* srcReal, const R* srcImag, C* dst, int length) {
    if (check(length <= 0, "length<=0") || check(!dst, "dst==0")) return;
    for (int i = 0; i < length; ++i) {
        C x;
        x.re = srcReal ? srcReal[i] : R(0);
        x.im = srcImag ? srcImag[i] : R(0);
        dst[i] = x;
    }
}

// Complex data either interleaved or as two arrays, read one element at a time.
template <class C>
struct Interleaved {
    const C* src;
    auto re(int i) const { return src[i].re; }
    auto im(int i) const { return src[i].im; }
};
template <class R>
struct Split {
    const R* srcReal;
    const R* srcImag;
    R re(int i) const { return srcReal[i]; }
    R im(int i) const { return srcImag[i]; }
};

template <class C>
bool sourceMissing(ArgChecks check, Interleaved<C> s) { return check(!s.src, "src==0"); }
template <class R>
bool sourceMissing(ArgChecks check, Split<R> s) {
    return check(!s.srcReal, "srcReal==0") || check(!s.srcImag, "srcImag==0");
}

// re^2 + im^2 with one rounding for float data; double data square and add directly.
inline double powerOf(float re, float im) {
    const double r = re, i = im;
    return r * r + i * i;
}
inline double powerOf(double re, double im) { return re * re + im * im; }

inline float magnitudeOf(float re, float im) { return static_cast<float>(std::sqrt(powerOf(re, im))); }
inline double magnitudeOf(double re, double im) {
    const double p = powerOf(re, im);
    // Outside the normal range of the squares the sum over- or underflows: use hypot there.
    if (p < std::numeric_limits<double>::min() || p > std::numeric_limits<double>::max()) return std::hypot(re, im);
    return std::sqrt(p);
}
template <class R>
R phaseOf(R re, R im) { return static_cast<R>(std::atan2(static_cast<double>(im), static_cast<double>(re))); }

template <class R, class Source>
void magnitude(ArgChecks check, Source s, R* mag, int length) {
    if (check(length <= 0, "length<=0") || check(!mag, "mag==0") || sourceMissing(check, s)) return;
    for (int i = 0; i < length; ++i) mag[i] = magnitudeOf(s.re(i), s.im(i));
}

template <class R, class Source>
void phase(ArgChecks check, Source s, R* phase, int length) {
    if (check(length <= 0, "length<=0") || check(!phase, "phase==0") || sourceMissing(check, s)) return;
    for (int i = 0; i < length; ++i) phase[i] = phaseOf<R>(s.re(i), s.im(i));
}

template <class R, class Source>
void powerSpectr(ArgChecks check, Source s, R* spectr, int length) {
    if (check(length <= 0, "length<=0") || check(!spectr, "spectr==0") || sourceMissing(check, s)) return;
    for (int i = 0; i < length; ++i) spectr[i] = static_cast<R>(powerOf(s.re(i), s.im(i)));
}

template <class C, class R>
void cartToPolar(ArgChecks check, const C* src, R* mag, R* phase, int length) {
    if (check(length <= 0, "length<=0") || check(!src, "src==0") || check(!mag, "mag==0") ||
        check(!phase, "phase==0"))
        return;
    for (int i = 0; i < length; ++i) {
        const C x = src[i];
        mag[i] = magnitudeOf(x.re, x.im);
        phase[i] = phaseOf<R>(x.re, x.im);
    }
}

template <class R>
void cartToPolar(ArgChecks check, const R* srcReal, const R* srcImag, R* mag, R* phase, int length) {
    if (check(length <= 0, "length<=0") || check(!mag, "mag==0") || check(!phase, "phase==0") ||
        check(!srcReal, "srcReal==0") || check(!srcImag, "srcImag==0"))
        return;
    for (int i = 0; i < length; ++i) {
        const R re = srcReal[i], im = srcImag[i];
        mag[i] = magnitudeOf(re, im);
        phase[i] = phaseOf<R>(re, im);
    }
}

template <class R>
void polarPoint(R m, R p, R& re, R& im) {
    const double md = m, pd = p;
    re = static_cast<R>(md * std::cos(pd));
    im = static_cast<R>(md * std::sin(pd));
}

template <class C, class R>
void polarToCart(ArgChecks check, const R* mag, const R* phase, C* dst, int length) {
    if (check(length <= 0, "length<=0") || check(!mag, "mag==0") || check(!phase, "phase==0") ||
        check(!dst, "dst==0"))
        return;
    for (int i = 0; i < length; ++i) {
        R re, im;
        polarPoint(mag[i], phase[i], re, im);
        dst[i].re = re;
        dst[i].im = im;
    }
}

template <class R>
void polarToCart(ArgChecks check, const R* mag, const R* phase, R* dstReal, R* dstImag, int length) {
    if (check(length <= 0, "length<=0") || check(!mag, "mag==0") || check(!phase, "phase==0") ||
        check(!dstReal, "dstReal==0") || check(!dstImag, "dstImag==0"))
        return;
    for (int i = 0; i < length; ++i) {
        R re, im;
        polarPoint(mag[i], phase[i], re, im);
        dstReal[i] = re;
        dstImag[i] = im;
    }
}

}  // namespace vok::convert::entry
