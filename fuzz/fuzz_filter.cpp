// Fuzzes the filters: FIR filters of both layers (single rate and multirate
// with arbitrary factors and phases, block and single-sample, 16-bit under
// every scale mode), IIR filters of both layers (an order or biquads, 16-bit)
// and LMS filters. Every filter made is released again.
#include "fuzz_support.h"

namespace fuzz {

int factor(Input& in) { return in.mostly(1, 5, -2, 0); }
int phaseFor(Input& in, int f) { return in.mostly(0, f > 1 ? f - 1 : 0, -2, 6); }
int order(Input& in) { return in.mostly(0, 8, -3, -1, 7); }
int tapCount(int ord, bool biquad) { return ord >= 0 ? (biquad ? 6 * ord : 2 * ord + 2) : 0; }

// A FIR set-up of either layer: taps, then up and down factors with their phases.
Call firInit(Input& in) {
    const int tapsLen = in.length(80), up = factor(in), down = factor(in);
    return Call(in, {{tapsLen}, {tapsLen, up, phaseFor(in, up), down, phaseFor(in, down)}});
}

// Single-state FIR: init, two blocks, single samples (float, single rate), release.
template <class Init, class Block>
Entry fir(Init init, Block block) {
    return [=](Input& in) {
        FirState st{};
        firInit(in).with(&st)(init);
        if (failures || st.selfRef != &st) return;
        for (int round = 0; round < 2; ++round)
            Call(in, iterations(in, 60, st.downFactor, st.upFactor)).with(&st)(block);
        for (int i = 0; i < 3 && !st.isMultiRate && std::is_same_v<Block, decltype(&voksbFir)>; ++i)
            Call(in).with(&st)(voksFir);
        vokFirFree(&st);
    };
}

// Two-state FIR on the caller's arrays.
void firLow(Input& in) {
    FirTapState ts{};
    FirDlyState ds{};
    Call init = firInit(in);  // its taps stay in use
    init.with(&ts)(vokdFirlInitMr);
    if (failures || !ts.taps) return;
    std::vector<double> taps(ts.len, 0.25);
    std::vector<double> dly(ts.isMultiRate ? (ts.len + ts.upFactor - 1) / ts.upFactor : ts.len);
    Call c(in);
    vokdFirlInitDlyl(&ts, dly.data(), &ds);
    vokdFirlSetTaps(in.chance(2) ? nullptr : taps.data(), &ts);
    vokdFirlSetDlyl(&ts, nullptr, &ds);
    if (failures) return;
    Call(in, iterations(in, 60, ts.downFactor, ts.upFactor)).with(&ts).with(&ds)(vokdbFirl);
}

// High-layer IIR of an order or of biquads: init, two blocks, release.
template <class Init, class Block>
Entry iir(Init init, Block block, bool biquad) {
    return [=](Input& in) {
        const int type = in.range(-1, 2), ord = order(in);
        IirState st{};
        // The taps must stay as they were after a failure; the record is not compared (yet).
        Call(in, {{tapCount(ord, biquad)}, {type, ord}}).with(&st, false)(init);
        if (st.initMarker != VOK_IIR_INIT_MARKER) return;
        for (int round = 0; round < 2; ++round) Call(in, iterations(in, 100)).with(&st, false)(block);
        vokIirFree(&st);
    };
}

// Low-layer IIR on the caller's arrays (the taps are rewritten in place).
void iirLow(Input& in) {
    const int type = in.range(-1, 2), ord = order(in);
    const bool biquad = in.chance(3);
    IirTapState ts{};
    IirDlyState ds{};
    Call init(in, {{tapCount(ord, biquad)}, {type, ord}});
    init.with(&ts)(biquad ? voksIirlInitBq : voksIirlInit);
    // Biquad sections are normalised in turn: a zero b0 or a0 is found only
    // after the record and the earlier sections were written.
    init.checked = !biquad || ord < 1 || (type != 0 && type != 1);
    if (failures || !ts.taps) return;
    std::vector<float> dly(ts.order);
    Call c(in);
    voksIirlInitDlyl(&ts, dly.data(), &ds);
    if (failures) return;
    Call(in, iterations(in, 100)).with(&ts).with(&ds)(voksbIirl);
}

// High-layer LMS: single rate with a desired signal, multirate with an error.
template <class Init>
Entry lms(Init init, bool multi) {
    return [=](Input& in) {
        const int tapsLen = in.length(60), errDly = in.range(-2, 6), down = factor(in);
        // The caller's delay line holds tapsLen + errDly values, + downFactor multirate.
        const long long dlyLen = tapsLen > 0 ? tapsLen + std::max(errDly, 0) + (multi ? std::max(down, 0) : 0) : 0;
        LmsState st{};
        Call(in, {{tapsLen, dlyLen}, {0, tapsLen, errDly, down, phaseFor(in, down)}}).with(&st)(init);
        for (int i = 0; i < (multi ? 3 : 1) && !failures; ++i) {
            if (multi)
                Call(in, Shape{{st.tapState.downFactor}}).with(&st)(voksbLms);
            else
                Call(in, iterations(in, 80)).with(&st)(voksbLmsDes);
        }
        vokLmsFree(&st);
    };
}

std::vector<Entry> entries() {
    return list(fir(voksFirInit, voksbFir), fir(voksFirInitMr, voksbFir), fir(vokwFirInit, vokwbFir),
                fir(vokwFirInitMr, vokwbFir), firLow, iir(voksIirInit, voksbIir, false),
                iir(voksIirInitBq, voksbIir, true), iir(vokdIirInit, vokdbIir, false),
                iir(vokdIirInitBq, vokdbIir, true), iir(vokwIirInit, vokwbIir, false),
                iir(vokwIirInitBq, vokwbIir, true), iirLow, lms(voksLmsInit, false), lms(voksLmsInitMr, true));
}

}  // namespace fuzz
