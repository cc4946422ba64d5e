// Fuzzes the signal generators and windows: tone, triangle and random
// generators of every type with arbitrary frequencies, phases, magnitudes,
// asymmetries, seeds and bounds (NaN and infinities included), block lengths
// and null pointers; every window of every type with arbitrary lengths and
// parameters; the window-method FIR design.
#include "fuzz_support.h"

namespace {

using fuzz::Call;
using fuzz::Entry;

// One generator: Init with fuzzed parameters, then a few blocks and samples.
template <class State, class Init, class One, class Block>
Entry generator(Init init, One one, Block block) {
    return [=](fuzz::Input& in) {
        State st{};
        if (Call(in).with(&st)(init), fuzz::failures) return;
        for (int round = in.range(1, 3); round > 0; --round) {
            const int n = in.length(4000);
            Call(in, {n}, {n}).with(&st)(block);
            Call(in).with(&st)(one);
        }
    };
}

}  // namespace

const std::vector<Entry>& fuzz::entries() {
    static const auto all =
        list(generator<VokSToneState>(voksToneInit, voksTone, voksbTone),
             generator<VokZToneState>(vokzToneInit, vokzTone, vokzbTone),
             generator<VokWToneState>(vokwToneInit, vokwTone, vokwbTone),
             generator<VokWToneState>(vokvToneInit, vokvTone, vokvbTone),
             generator<VokSTrnglState>(voksTrnglInit, voksTrngl, voksbTrngl),
             generator<VokCTrnglState>(vokvTrnglInit, vokvTrngl, vokvbTrngl),
             generator<VokDTrnglState>(vokdTrnglInit, vokdTrngl, vokdbTrngl),
             generator<VokSRandUniState>(vokcRandUniInit, vokcRandUni, vokcbRandUni),
             generator<VokDRandGausState>(vokdRandGausInit, vokdRandGaus, vokdbRandGaus),
             generator<VokWRandUniState>(vokwRandUniInit, vokwRandUni, vokwbRandUni),
             generator<VokWRandGausState>(vokvRandGausInit, vokvRandGaus, vokvbRandGaus),
             generator<VokSRandGausState>(voksRandGausInit, voksRandGaus, voksbRandGaus), voksWinBartlett, voksWinHann,
             voksWinHamming, voksWinBlackman, voksWinBlackmanStd, voksWinBlackmanOpt, voksWinKaiser, vokdWinBartlett,
             vokdWinHann, vokdWinHamming, vokdWinBlackman, vokdWinBlackmanStd, vokdWinBlackmanOpt, vokdWinKaiser,
             vokcWinBartlett, vokcWinHann, vokcWinHamming, vokcWinBlackman, vokcWinBlackmanStd, vokcWinBlackmanOpt,
             vokcWinKaiser, vokzWinBartlett, vokzWinHann, vokzWinHamming, vokzWinBlackman, vokzWinBlackmanStd,
             vokzWinBlackmanOpt, vokzWinKaiser, vokwWinBartlett, vokwWinHann, vokwWinHamming, vokwWinBlackman,
             vokwWinBlackmanStd, vokwWinBlackmanOpt, vokwWinKaiser, vokvWinBartlett, vokvWinHann, vokvWinHamming,
             vokvWinBlackman, vokvWinBlackmanStd, vokvWinBlackmanOpt, vokvWinKaiser, vec(vokdFirLowpass, 1, 600),
             vec(vokdFirHighpass, 1, 600), vec(vokdFirBandpass, 1, 600), vec(vokdFirBandstop, 1, 600));
    return all;
}
