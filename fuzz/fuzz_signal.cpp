// Fuzzes the signal generators and windows: tone, triangle and random
// generators of every type with arbitrary frequencies, phases, magnitudes,
// asymmetries, seeds and bounds (NaN and infinities included), block lengths
// and null pointers; every window of every type with arbitrary lengths and
// parameters; the window-method FIR design. A reported failure must leave
// the caller's buffer as it was.
#include "fuzz_support.h"

namespace {

using fuzz::Buffer;
using fuzz::Input;
using fuzz::bytesFor;
using fuzz::maybe;

// One generator: Init with fuzzed parameters, then a few blocks and samples.
template <class State, class T, class InitFn, class OneFn, class BlockFn>
void generator(Input& in, const char* what, InitFn init, OneFn one, BlockFn block) {
    State st{};
    fuzz::beginCall();
    init(in, in.chance(1) ? nullptr : &st);
    if (fuzz::failures) return;
    for (int round = in.range(1, 3); round > 0; --round) {
        const int n = in.length(4000);
        Buffer buf(in, bytesFor<T>(n));
        fuzz::beginCall();
        block(in.chance(1) ? nullptr : &st, maybe<T>(in, buf), n);
        fuzz::expectUntouchedOnFailure(what, buf);
        fuzz::beginCall();
        (void)one(&st);
    }
}

void generators(Input& in) {
    const auto mag16 = [&] { return short(in.range(-40000, 40000)); };
    switch (in.byte() % 12) {
        case 0:
            generator<VokSToneState, float>(
                in, "voksbTone", [&](Input& i, VokSToneState* s) { voksToneInit(i.real(), i.real(), i.real(), s); },
                voksTone, voksbTone);
            break;
        case 1:
            generator<VokZToneState, DoubleComplex>(
                in, "vokzbTone", [&](Input& i, VokZToneState* s) { vokzToneInit(i.real(), i.real(), i.real(), s); },
                vokzTone, vokzbTone);
            break;
        case 2:
            generator<VokWToneState, short>(
                in, "vokwbTone", [&](Input& i, VokWToneState* s) { vokwToneInit(i.real(), i.real(), mag16(), s); },
                vokwTone, vokwbTone);
            break;
        case 3:
            generator<VokWToneState, ShortComplex>(
                in, "vokvbTone", [&](Input& i, VokWToneState* s) { vokvToneInit(i.real(), i.real(), mag16(), s); },
                vokvTone, vokvbTone);
            break;
        case 4:
            generator<VokSTrnglState, float>(
                in, "voksbTrngl",
                [&](Input& i, VokSTrnglState* s) { voksTrnglInit(i.real(), i.real(), i.real(), i.real(), s); },
                voksTrngl, voksbTrngl);
            break;
        case 5:
            generator<VokCTrnglState, ShortComplex>(
                in, "vokvbTrngl",
                [&](Input& i, VokCTrnglState* s) { vokvTrnglInit(i.real(), i.real(), mag16(), i.real(), s); },
                vokvTrngl, vokvbTrngl);
            break;
        case 6:
            generator<VokDTrnglState, double>(
                in, "vokdbTrngl",
                [&](Input& i, VokDTrnglState* s) { vokdTrnglInit(i.real(), i.real(), i.real(), i.real(), s); },
                vokdTrngl, vokdbTrngl);
            break;
        case 7:
            generator<VokSRandUniState, FloatComplex>(
                in, "vokcbRandUni",
                [&](Input& i, VokSRandUniState* s) { vokcRandUniInit(i.real(), i.real(), i.real(), s); },
                vokcRandUni, vokcbRandUni);
            break;
        case 8:
            generator<VokDRandGausState, double>(
                in, "vokdbRandGaus",
                [&](Input& i, VokDRandGausState* s) { vokdRandGausInit(i.real(), i.real(), i.real(), s); },
                vokdRandGaus, vokdbRandGaus);
            break;
        case 9:
            generator<VokWRandUniState, short>(
                in, "vokwbRandUni",
                [&](Input& i, VokWRandUniState* s) { vokwRandUniInit(i.bits32(), mag16(), mag16(), s); },
                vokwRandUni, vokwbRandUni);
            break;
        case 10:
            generator<VokWRandGausState, ShortComplex>(
                in, "vokvbRandGaus",
                [&](Input& i, VokWRandGausState* s) { vokvRandGausInit(i.bits32(), mag16(), mag16(), s); },
                vokvRandGaus, vokvbRandGaus);
            break;
        default:
            generator<VokSRandGausState, float>(
                in, "voksbRandGaus",
                [&](Input& i, VokSRandGausState* s) { voksRandGausInit(i.real(), i.real(), i.real(), s); },
                voksRandGaus, voksbRandGaus);
            break;
    }
}

// Every window of one element type, in place on an exact-size buffer.
template <class T, class A>
void windows(Input& in, void (VOK_CALL* bartlett)(T*, int), void (VOK_CALL* hann)(T*, int),
             void (VOK_CALL* hamming)(T*, int), void (VOK_CALL* blackman)(T*, int, A),
             void (VOK_CALL* blackmanStd)(T*, int), void (VOK_CALL* blackmanOpt)(T*, int),
             void (VOK_CALL* kaiser)(T*, int, A)) {
    const int n = in.length(3000);
    Buffer buf(in, bytesFor<T>(n));
    T* vec = maybe<T>(in, buf);
    const A alpha = A(in.real());
    fuzz::beginCall();
    switch (in.byte() % 7) {
        case 0: bartlett(vec, n); break;
        case 1: hann(vec, n); break;
        case 2: hamming(vec, n); break;
        case 3: blackman(vec, n, alpha); break;
        case 4: blackmanStd(vec, n); break;
        case 5: blackmanOpt(vec, n); break;
        default: kaiser(vec, n, alpha); break;
    }
    fuzz::expectUntouchedOnFailure("window", buf);
}

void windowsOfSomeType(Input& in) {
    switch (in.byte() % 6) {
        case 0:
            windows<float, float>(in, voksWinBartlett, voksWinHann, voksWinHamming, voksWinBlackman,
                                  voksWinBlackmanStd, voksWinBlackmanOpt, voksWinKaiser);
            break;
        case 1:
            windows<double, double>(in, vokdWinBartlett, vokdWinHann, vokdWinHamming, vokdWinBlackman,
                                    vokdWinBlackmanStd, vokdWinBlackmanOpt, vokdWinKaiser);
            break;
        case 2:
            windows<FloatComplex, float>(in, vokcWinBartlett, vokcWinHann, vokcWinHamming, vokcWinBlackman,
                                         vokcWinBlackmanStd, vokcWinBlackmanOpt, vokcWinKaiser);
            break;
        case 3:
            windows<DoubleComplex, double>(in, vokzWinBartlett, vokzWinHann, vokzWinHamming, vokzWinBlackman,
                                           vokzWinBlackmanStd, vokzWinBlackmanOpt, vokzWinKaiser);
            break;
        case 4:
            windows<short, float>(in, vokwWinBartlett, vokwWinHann, vokwWinHamming, vokwWinBlackman,
                                  vokwWinBlackmanStd, vokwWinBlackmanOpt, vokwWinKaiser);
            break;
        default:
            windows<ShortComplex, float>(in, vokvWinBartlett, vokvWinHann, vokvWinHamming, vokvWinBlackman,
                                         vokvWinBlackmanStd, vokvWinBlackmanOpt, vokvWinKaiser);
            break;
    }
}

// Window-method FIR design with any cut-offs, length, window and normalisation.
void design(Input& in) {
    const int n = in.length(600), window = in.range(-1, 6), normal = in.range(-1, 2);
    Buffer taps(in, bytesFor<double>(n));
    double* t = maybe<double>(in, taps);
    const double lo = in.real(), hi = in.real();
    fuzz::beginCall();
    switch (in.byte() % 4) {
        case 0: vokdFirLowpass(lo, t, n, window, normal); break;
        case 1: vokdFirHighpass(lo, t, n, window, normal); break;
        case 2: vokdFirBandpass(lo, hi, t, n, window, normal); break;
        default: vokdFirBandstop(lo, hi, t, n, window, normal); break;
    }
    fuzz::expectUntouchedOnFailure("FIR design", taps);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    while (!in.empty()) {
        switch (in.byte() % 3) {
            case 0: generators(in); break;
            case 1: windowsOfSomeType(in); break;
            default: design(in); break;
        }
    }
    return 0;
}
