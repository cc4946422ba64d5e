// Fuzzes the conversions and companding: float/double to and from 8, 16 and
// 32-bit integers and fix-point with arbitrary widths, fraction bits and
// rounding flags, the fixed S7/S15/S31/S15.16 forms, polar/cartesian,
// magnitudes under every scale mode, A-law and mu-law both ways. Values come
// from the input as bit patterns, so NaN, infinities and huge values appear.
#include "fuzz_support.h"

namespace {

using fuzz::Buffer;
using fuzz::Input;
using fuzz::bytesFor;
using fuzz::maybe;
using fuzz::scaleMode;

// Bytes per element of an integer side of 'bits' bits; a width the library
// refuses gets one byte, so that any write on a refused call shows up.
std::size_t intBytes(int bits) { return bits == 16 ? 2 : bits == 32 ? 4 : 1; }
int intWidth(Input& in) { return in.chance(6) ? 8 << in.range(0, 2) : in.range(-4, 40); }
int convFlags(Input& in) { return in.chance(6) ? in.range(0, 15) : int(in.bits32()); }

template <class F>
void integerSide(Input& in, void (VOK_CALL* toInt)(const F*, void*, int, int, int),
                 void (VOK_CALL* fromInt)(const void*, F*, int, int, int),
                 void (VOK_CALL* toFix)(const F*, void*, int, int, int, int),
                 void (VOK_CALL* fromFix)(const void*, F*, int, int, int, int)) {
    const int n = in.length(2000), bits = intWidth(in), fract = in.range(-4, 40), flags = convFlags(in);
    Buffer fl(in, bytesFor<F>(n)), ints(in, n > 0 ? std::size_t(n) * intBytes(bits) : 0);
    F* pf = maybe<F>(in, fl);
    void* pi = in.chance(1) ? nullptr : ints.as<void>();
    fuzz::beginCall();
    switch (in.byte() % 4) {
        case 0: toInt(pf, pi, n, bits, flags); break;
        case 1: fromInt(pi, pf, n, bits, flags); break;
        case 2: toFix(pf, pi, n, bits, fract, flags); break;
        default: fromFix(pi, pf, n, bits, fract, flags); break;
    }
    fuzz::expectUntouchedOnFailure("integer conversion", fl, ints);
}

void fixedForms(Input& in) {
    const int n = in.length(2000), flags = convFlags(in);
    Buffer f(in, bytesFor<float>(n)), d(in, bytesFor<double>(n)), s8(in, bytesFor<signed char>(n)),
        s16(in, bytesFor<short>(n)), s32(in, bytesFor<int>(n));
    fuzz::beginCall();
    switch (in.byte() % 8) {
        case 0: voksbFloatToS7Fix(maybe<float>(in, f), maybe<signed char>(in, s8), n, flags); break;
        case 1: voksbFloatToS15Fix(maybe<float>(in, f), maybe<short>(in, s16), n, flags); break;
        case 2: vokdbFloatToS31Fix(maybe<double>(in, d), maybe<int>(in, s32), n, flags); break;
        case 3: vokdbFloatToS1516Fix(maybe<double>(in, d), maybe<int>(in, s32), n, flags); break;
        case 4: voksbS31FixToFloat(maybe<int>(in, s32), maybe<float>(in, f), n); break;
        case 5: vokdbS7FixToFloat(maybe<signed char>(in, s8), maybe<double>(in, d), n); break;
        case 6: voksbS1516FixToFloat(maybe<int>(in, s32), maybe<float>(in, f), n); break;
        default: vokdbS15FixToFloat(maybe<short>(in, s16), maybe<double>(in, d), n); break;
    }
    fuzz::expectUntouchedOnFailure("fixed form", f, d, s8, s16, s32);
}

void complexForms(Input& in) {
    const int n = in.length(2000);
    Buffer c(in, bytesFor<FloatComplex>(n)), a(in, bytesFor<float>(n)), b(in, bytesFor<float>(n)),
        v(in, bytesFor<ShortComplex>(n)), w(in, bytesFor<short>(n));
    int factor = in.range(-20, 20);
    int* pFactor = in.chance(1) ? nullptr : &factor;
    const int mode = scaleMode(in);
    fuzz::beginCall();
    switch (in.byte() % 6) {
        case 0: vokcbCartToPolar(maybe<FloatComplex>(in, c), maybe<float>(in, a), maybe<float>(in, b), n); break;
        case 1: vokcbPolarToCart(maybe<float>(in, a), maybe<float>(in, b), maybe<FloatComplex>(in, c), n); break;
        case 2: voksbrPhase(maybe<float>(in, a), maybe<float>(in, b), maybe<float>(in, a), n); break;
        case 3: vokvbMag(maybe<ShortComplex>(in, v), maybe<short>(in, w), n, mode, pFactor); break;
        case 4: vokvbPowerSpectr(maybe<ShortComplex>(in, v), maybe<short>(in, w), n, mode, pFactor); break;
        default: vokvbPhase(maybe<ShortComplex>(in, v), maybe<short>(in, w), n); break;
    }
    fuzz::expectUntouchedOnFailure("complex form", c, a, b, v, w);
}

void companding(Input& in) {
    const int n = in.length(2000);
    Buffer law(in, bytesFor<unsigned char>(n)), other(in, bytesFor<unsigned char>(n)), f(in, bytesFor<float>(n)),
        d(in, bytesFor<double>(n)), i32(in, bytesFor<int>(n)), s16(in, bytesFor<short>(n));
    auto* pl = maybe<unsigned char>(in, law);
    fuzz::beginCall();
    switch (in.byte() % 8) {
        case 0: voksbLinToALaw(maybe<float>(in, f), pl, n); break;
        case 1: vokdbLinToMuLaw(maybe<double>(in, d), pl, n); break;
        case 2: vokibLinToALaw(maybe<int>(in, i32), pl, n); break;
        case 3: vokwbLinToMuLaw(maybe<short>(in, s16), pl, n); break;
        case 4: voksbMuLawToLin(pl, maybe<float>(in, f), n); break;
        case 5: vokibALawToLin(pl, maybe<int>(in, i32), n); break;
        case 6: vokMuLawToALaw(pl, maybe<unsigned char>(in, other), n); break;
        default: vokALawToMuLaw(pl, pl, n); break;
    }
    fuzz::expectUntouchedOnFailure("companding", law, other, f, d, i32, s16);
}

}  // namespace

// VOK_OvfErr reports values that did not fit once the destination is written.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::reportsAfterOutput = {"A float exceeds an integer"};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    while (!in.empty()) {
        switch (in.byte() % 5) {
            case 0:
                integerSide<float>(in, voksbFloatToInt, voksbIntToFloat, voksbFloatToFix, voksbFixToFloat);
                break;
            case 1:
                integerSide<double>(in, vokdbFloatToInt, vokdbIntToFloat, vokdbFloatToFix, vokdbFixToFloat);
                break;
            case 2: fixedForms(in); break;
            case 3: complexForms(in); break;
            default: companding(in); break;
        }
    }
    return 0;
}
