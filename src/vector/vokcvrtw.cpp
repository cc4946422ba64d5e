// 16-bit complex representations: parts, splitting and joining, and phase.
#include <cmath>
#include <cstdint>

#include "core/scale16.h"
#include "vector/cvrt_entry.h"
#include "vok/frame.h"

namespace {

constexpr const char* kModule = "vokcvrtw";
using vok::ArgChecks;
using vok::convert::entry::Interleaved;
using vok::convert::entry::Split;
using vok::convert::entry::sourceMissing;

// Radians with 13 fractional bits: pi * 2^13 = 25736 leaves room in 16 bits.
constexpr int kPhaseFractBits = 13;

template <class Source>
void phase16(ArgChecks check, Source s, short* phase, int length) {
    if (check(length <= 0, "length<=0") || check(!phase, "phase==0") || sourceMissing(check, s)) return;
    for (int i = 0; i < length; ++i) {
        const double angle = std::atan2(double(s.im(i)), double(s.re(i)));
        phase[i] = static_cast<short>(
            vok::convert::fixValue(angle, kPhaseFractBits, vok::convert::Rounding::near, -32768, 32767));
    }
}

bool badScaleMode(ArgChecks check, int scaleMode, const int* scaleFactor) {
    return check((scaleMode & VOK_FIXED_SCALE) && (scaleMode & VOK_AUTO_SCALE), "VOK_FIXED_SCALE and VOK_AUTO_SCALE") ||
           check((scaleMode & VOK_AUTO_SCALE) && !scaleFactor, "VOK_AUTO_SCALE and ScaleFactor==NULL");
}

// The float nearest to |re + i im|, whatever rounding mode the caller has
// set. The first guess may be a step off under a directed mode; the squares
// of the midpoints to its neighbours (25 significant bits, so exact) against
// the exact power settle it. No midpoint is a square root of an integer.
float nearestMagnitude(std::int64_t re, std::int64_t im) {
    const double power = double(re * re + im * im);
    float m = float(std::sqrt(power));
    for (;;) {
        const float up = std::nextafter(m, INFINITY), down = std::nextafter(m, 0.0f);
        const double above = (double(m) + up) / 2, below = (double(m) + down) / 2;
        if (above * above < power) m = up;
        else if (m > 0 && below * below > power) m = down;
        else return m;
    }
}

// Magnitudes rounded once to float, then brought to 16 bits with one scale
// factor for the whole vector.
template <class Source>
void mag16(ArgChecks check, Source s, short* mag, int length, int scaleMode, int* scaleFactor) {
    if (check(length <= 0, "length<=0") || check(!mag, "mag==0") || sourceMissing(check, s) ||
        badScaleMode(check, scaleMode, scaleFactor))
        return;
    float* work = voksMalloc(length);
    if (!work) return void(check.noMemory(__LINE__));
    for (int i = 0; i < length; ++i) work[i] = nearestMagnitude(s.re(i), s.im(i));
    vok::ownScaleFloatToShort(work, mag, length, scaleMode, scaleFactor);
    vokFree(work);
}

// Exact integer power spectrum; only (-32768, -32768) gives 2^31, which is
// held as 2^31 - 1.
template <class Source>
void powerSpectr16(ArgChecks check, Source s, short* spectr, int length, int scaleMode, int* scaleFactor) {
    if (check(length <= 0, "length<=0") || check(!spectr, "spectr==0") || sourceMissing(check, s) ||
        badScaleMode(check, scaleMode, scaleFactor))
        return;
    int* work = vokiMalloc(length);
    if (!work) return void(check.noMemory(__LINE__));
    for (int i = 0; i < length; ++i) {
        const std::int64_t re = s.re(i), im = s.im(i), power = re * re + im * im;
        work[i] = power > INT32_MAX ? INT32_MAX : int(power);
    }
    vok::ownScaleIntToShort(work, spectr, length, scaleMode, scaleFactor);
    vokFree(work);
}

}  // namespace

using namespace vok::convert::entry;

extern "C" {

VOK_API void VOK_CALL vokvbReal(const ShortComplex* src, short* dst, int length) {
    realPart(VOK_CHECKS, src, dst, length);
}
VOK_API void VOK_CALL vokvbImag(const ShortComplex* src, short* dst, int length) {
    imagPart(VOK_CHECKS, src, dst, length);
}
VOK_API void VOK_CALL vokvbCplxTo2Real(const ShortComplex* src, short* dstReal, short* dstImag, int length) {
    cplxTo2Real(VOK_CHECKS, src, dstReal, dstImag, length);
}
VOK_API void VOK_CALL vokvb2RealToCplx(const short* srcReal, const short* srcImag, ShortComplex* dst, int length) {
    twoRealToCplx(VOK_CHECKS, srcReal, srcImag, dst, length);
}
VOK_API void VOK_CALL vokvbPhase(const ShortComplex* src, short* phase, int length) {
    phase16(VOK_CHECKS, Interleaved<ShortComplex>{src}, phase, length);
}
VOK_API void VOK_CALL vokwbrPhase(const short* srcReal, const short* srcImag, short* phase, int length) {
    phase16(VOK_CHECKS, Split<short>{srcReal, srcImag}, phase, length);
}
VOK_API void VOK_CALL vokvbMag(const ShortComplex* src, short* mag, int length, int scaleMode, int* scaleFactor) {
    mag16(VOK_CHECKS, Interleaved<ShortComplex>{src}, mag, length, scaleMode, scaleFactor);
}
VOK_API void VOK_CALL vokwbrMag(const short* srcReal, const short* srcImag, short* mag, int length, int scaleMode,
                                int* scaleFactor) {
    mag16(VOK_CHECKS, Split<short>{srcReal, srcImag}, mag, length, scaleMode, scaleFactor);
}
VOK_API void VOK_CALL vokvbPowerSpectr(const ShortComplex* src, short* spectr, int length, int scaleMode,
                                       int* scaleFactor) {
    powerSpectr16(VOK_CHECKS, Interleaved<ShortComplex>{src}, spectr, length, scaleMode, scaleFactor);
}
VOK_API void VOK_CALL vokwbrPowerSpectr(const short* srcReal, const short* srcImag, short* spectr, int length,
                                        int scaleMode, int* scaleFactor) {
    powerSpectr16(VOK_CHECKS, Split<short>{srcReal, srcImag}, spectr, length, scaleMode, scaleFactor);
}

}  // extern "C"
