// Fuzzes the signal generators and windows: tone, triangle and random
// generators of every type with arbitrary frequencies, phases, magnitudes,
// asymmetries, seeds and bounds (NaN and infinities included), block lengths
// and null pointers; every window of every type with arbitrary lengths and
// parameters; the window-method FIR design.
#include "fuzz_support.h"

namespace fuzz {

// One generator: Init with fuzzed parameters, then a few blocks and samples.
template <class State, class Init, class One, class Block>
Entry generator(Init init, One one, Block block) {
    return [=](Input& in) {
        State st{};
        Call(in).with(&st)(init);
        if (failures) return;
        for (int round = in.range(1, 3); round > 0; --round) {
            Call(in, iterations(in, 4000)).with(&st)(block);
            Call(in).with(&st)(one);
        }
    };
}

// A generator of type t by its stem and state, and the seven windows of one element type.
#define VOK_GENERATOR(t, Stem, St) generator<Vok##St>(vok##t##Stem##Init, vok##t##Stem, vok##t##b##Stem)
#define VOK_WINDOWS(t)                                                                               \
    vok##t##WinBartlett, vok##t##WinHann, vok##t##WinHamming, vok##t##WinBlackman, vok##t##WinBlackmanStd, \
        vok##t##WinBlackmanOpt, vok##t##WinKaiser

std::vector<Entry> entries() {
    return list(
        VOK_GENERATOR(s, Tone, SToneState), VOK_GENERATOR(z, Tone, ZToneState), VOK_GENERATOR(w, Tone, WToneState),
        VOK_GENERATOR(v, Tone, WToneState), VOK_GENERATOR(s, Trngl, STrnglState), VOK_GENERATOR(v, Trngl, CTrnglState),
        VOK_GENERATOR(d, Trngl, DTrnglState), VOK_GENERATOR(c, RandUni, SRandUniState),
        VOK_GENERATOR(d, RandGaus, DRandGausState), VOK_GENERATOR(w, RandUni, WRandUniState),
        VOK_GENERATOR(v, RandGaus, WRandGausState), VOK_GENERATOR(s, RandGaus, SRandGausState), VOK_WINDOWS(s),
        VOK_WINDOWS(d), VOK_WINDOWS(c), VOK_WINDOWS(z), VOK_WINDOWS(w), VOK_WINDOWS(v), vec(vokdFirLowpass, 1, 600),
        vec(vokdFirHighpass, 1, 600), vec(vokdFirBandpass, 1, 600), vec(vokdFirBandstop, 1, 600));
}

}  // namespace fuzz
