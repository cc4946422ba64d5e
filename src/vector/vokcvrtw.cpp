// 16-bit complex representations: parts, splitting and joining, and phase.
#include <cmath>

#include "vector/cvrt_entry.h"

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

}  // namespace

using namespace vok::convert::entry;

#define VOK_CHECKS ArgChecks{__func__, kModule, __LINE__}

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
