// Fuzzes the element-wise functions and statistics: squares, roots,
// thresholds, absolute values, logarithms and exponentials in place (16-bit
// ones under every scale mode), means, deviations, extremes, norms and
// normalisation, on arbitrary lengths and bit patterns (NaN and infinities
// included) and null pointers.
#include "fuzz_support.h"

namespace {

using fuzz::Buffer;
using fuzz::Input;
using fuzz::bytesFor;
using fuzz::maybe;
using fuzz::scaleMode;

void inPlace(Input& in) {
    const int n = in.length(3000);
    Buffer f(in, bytesFor<float>(n)), d(in, bytesFor<double>(n)), c(in, bytesFor<FloatComplex>(n)),
        w(in, bytesFor<short>(n)), v(in, bytesFor<ShortComplex>(n));
    int factor = in.range(-20, 20);
    int* pFactor = in.chance(1) ? nullptr : &factor;
    const int mode = scaleMode(in), relOp = in.range(-2, 3);
    const float thresh = in.real();
    fuzz::beginCall();
    switch (in.byte() % 14) {
        case 0: voksbSqrt1(maybe<float>(in, f), n); break;
        case 1: vokcbSqrt1(maybe<FloatComplex>(in, c), n); break;
        case 2: vokvbSqrt1(maybe<ShortComplex>(in, v), n); break;
        case 3: voksbThresh1(maybe<float>(in, f), n, thresh, relOp); break;
        case 4: vokcbThresh1(maybe<FloatComplex>(in, c), n, thresh, relOp); break;
        case 5: vokwbThresh1(maybe<short>(in, w), n, short(in.range(-40000, 40000)), relOp); break;
        case 6: vokdbInvThresh1(maybe<double>(in, d), n, thresh); break;
        case 7: vokwbSqr1(maybe<short>(in, w), n, mode, pFactor); break;
        case 8: vokvbSqr1(maybe<ShortComplex>(in, v), n, mode, pFactor); break;
        case 9: vokwbAbs1(maybe<short>(in, w), n); break;
        case 10: vokdbLn1(maybe<double>(in, d), n); break;
        case 11: vokwbLn1(maybe<short>(in, w), n); break;
        case 12: vokwbExp1(maybe<short>(in, w), n, mode, pFactor); break;
        default: voksbExp1(maybe<float>(in, f), n); break;
    }
    fuzz::expectUntouchedOnFailure("in-place function", f, d, c, w, v);
}

void statistics(Input& in) {
    const int n = in.length(3000), flag = in.range(-2, 8);
    Buffer a(in, bytesFor<float>(n)), b(in, bytesFor<float>(n)), da(in, bytesFor<double>(n)),
        db(in, bytesFor<double>(n)), wa(in, bytesFor<short>(n)), wb(in, bytesFor<short>(n));
    const float offset = in.real(), scale = in.real();
    fuzz::beginCall();
    switch (in.byte() % 10) {
        case 0: (void)voksMean(maybe<float>(in, a), n); break;
        case 1: (void)vokwMean(maybe<short>(in, wa), n); break;
        case 2: (void)voksStdDev(maybe<float>(in, a), n); break;
        case 3: (void)vokwMax(maybe<short>(in, wa), n); break;
        case 4: (void)vokdMin(maybe<double>(in, da), n); break;
        case 5: (void)voksNorm(maybe<float>(in, a), in.chance(3) ? nullptr : b.as<float>(), n, flag); break;
        case 6: (void)vokdNorm(maybe<double>(in, da), in.chance(3) ? nullptr : db.as<double>(), n, flag); break;
        case 7: (void)vokwNorm(maybe<short>(in, wa), in.chance(3) ? nullptr : wb.as<short>(), n, flag); break;
        case 8: voksbNormalize(maybe<float>(in, a), maybe<float>(in, b), n, offset, scale); break;
        default: vokwbNormalize(maybe<short>(in, wa), maybe<short>(in, wb), n, short(in.range(-9, 9)), scale); break;
    }
    fuzz::expectUntouchedOnFailure("statistics", a, b, da, db, wa, wb);
}

}  // namespace

// Square roots of negative elements and reciprocals of zeros are reported
// once the whole vector is done.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::reportsAfterOutput = {"Element of input vector is negative", "zero element and zero thresh"};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    while (!in.empty()) {
        if (in.byte() & 1) inPlace(in);
        else statistics(in);
    }
    return 0;
}
