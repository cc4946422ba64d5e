// Fuzzes the filters: FIR filters of both layers (single rate and multirate
// with arbitrary factors and phases, block and single-sample, 16-bit under
// every scale mode), IIR filters of both layers (an order or biquads, 16-bit)
// and LMS filters. Every filter made is released again.
#include "fuzz_support.h"

namespace {

using fuzz::Buffer;
using fuzz::Input;
using fuzz::bytesFor;
using fuzz::maybe;
using fuzz::scaleMode;

int factor(Input& in) { return in.chance(6) ? in.range(1, 5) : in.range(-2, 0); }
int phaseFor(Input& in, int f) { return in.chance(6) ? in.range(0, f > 1 ? f - 1 : 0) : in.range(-2, 6); }

// A record that must not change when the call that got it reported a failure.
template <class R>
struct Record {
    R value{};
    R before{};
    void snap() { before = value; }
    bool unchanged() const { return std::memcmp(&value, &before, sizeof(R)) == 0; }
};

template <class... Records>
void recordsUntouched(const char* what, const Records&... records) {
    if (fuzz::failures && !(records.unchanged() && ...)) {
        std::fprintf(stderr, "%s reported a failure but changed its record\n", what);
        std::abort();
    }
}

// Single-state FIR (float or 16-bit): init, a block, single samples, release.
void firHigh(Input& in, bool sixteen) {
    const int tapsLen = in.length(80), up = factor(in), down = factor(in);
    const int upPhase = phaseFor(in, up), downPhase = phaseFor(in, down);
    const bool multi = in.chance(3);
    Buffer taps(in, bytesFor<float>(tapsLen)), dly(in, bytesFor<float>(tapsLen));
    Record<FirState> st;
    st.snap();
    fuzz::beginCall();
    if (sixteen) {
        const float* t = maybe<float>(in, taps);
        const short* d = maybe<short>(in, dly);
        if (multi) vokwFirInitMr(t, tapsLen, d, up, upPhase, down, downPhase, in.chance(1) ? nullptr : &st.value);
        else vokwFirInit(t, tapsLen, d, in.chance(1) ? nullptr : &st.value);
    } else {
        const float* t = maybe<float>(in, taps);
        const float* d = maybe<float>(in, dly);
        if (multi) voksFirInitMr(t, tapsLen, d, up, upPhase, down, downPhase, in.chance(1) ? nullptr : &st.value);
        else voksFirInit(t, tapsLen, d, in.chance(1) ? nullptr : &st.value);
    }
    fuzz::expectUntouchedOnFailure("FirInit", taps, dly);
    recordsUntouched("FirInit", st);
    if (fuzz::failures || st.value.selfRef != &st.value) return;
    const int iters = in.length(60);
    const int ud = st.value.upFactor, dd = st.value.downFactor;
    for (int block = 0; block < 2; ++block) {
        Buffer x(in, bytesFor<float>((long long)iters * dd)), y(in, bytesFor<float>((long long)iters * ud));
        int sf = in.range(-20, 20);
        st.snap();
        fuzz::beginCall();
        if (sixteen) vokwbFir(&st.value, maybe<short>(in, x), maybe<short>(in, y), iters, scaleMode(in), &sf);
        else voksbFir(&st.value, maybe<float>(in, x), maybe<float>(in, y), iters);
        fuzz::expectUntouchedOnFailure("bFir", x, y);
        recordsUntouched("bFir", st);
    }
    if (!sixteen && !st.value.isMultiRate) {
        fuzz::beginCall();
        for (int i = 0; i < 3; ++i) voksFir(&st.value, in.real());
    }
    vokFirFree(&st.value);
}

// Two-state FIR on the caller's arrays.
void firLow(Input& in) {
    const int tapsLen = in.length(80), up = factor(in), down = factor(in);
    const int upPhase = phaseFor(in, up), downPhase = phaseFor(in, down);
    Buffer taps(in, bytesFor<double>(tapsLen));
    Record<FirTapState> ts;
    Record<FirDlyState> ds;
    ts.snap();
    fuzz::beginCall();
    vokdFirlInitMr(maybe<double>(in, taps), tapsLen, up, upPhase, down, downPhase, in.chance(1) ? nullptr : &ts.value);
    fuzz::expectUntouchedOnFailure("FirlInitMr", taps);
    recordsUntouched("FirlInitMr", ts);
    if (fuzz::failures || !ts.value.taps) return;
    const int dlyLen = ts.value.isMultiRate ? (tapsLen + ts.value.upFactor - 1) / ts.value.upFactor : tapsLen;
    Buffer dly(in, bytesFor<double>(dlyLen));
    fuzz::beginCall();
    vokdFirlInitDlyl(&ts.value, dly.as<double>(), &ds.value);
    vokdFirlSetTaps(in.chance(2) ? nullptr : taps.as<double>(), &ts.value);
    vokdFirlSetDlyl(&ts.value, nullptr, &ds.value);
    if (fuzz::failures) return;
    const int iters = in.length(60);
    Buffer x(in, bytesFor<double>((long long)iters * ts.value.downFactor));
    Buffer y(in, bytesFor<double>((long long)iters * ts.value.upFactor));
    ts.snap();
    ds.snap();
    fuzz::beginCall();
    vokdbFirl(&ts.value, &ds.value, maybe<double>(in, x), maybe<double>(in, y), iters);
    fuzz::expectUntouchedOnFailure("bFirl", x, y);
    recordsUntouched("bFirl", ts, ds);
}

// High-layer IIR (float, double biquads, 16-bit): init, two blocks, release.
void iirHigh(Input& in) {
    const int which = in.byte() % 3, type = in.range(-1, 2);
    const bool biquad = in.chance(3);
    const int order = in.chance(7) ? in.range(0, 8) : in.range(-3, -1);
    const long long coeffs = order >= 0 ? (biquad ? 6LL * order : 2LL * order + 2) : 0;
    Buffer taps(in, bytesFor<double>(coeffs));
    Record<IirState> st;
    st.snap();
    fuzz::beginCall();
    IirState* sp = in.chance(1) ? nullptr : &st.value;
    switch (which) {
        case 0: biquad ? voksIirInitBq(type, maybe<float>(in, taps), order, sp) : voksIirInit(type, maybe<float>(in, taps), order, sp); break;
        case 1: biquad ? vokdIirInitBq(type, maybe<double>(in, taps), order, sp) : vokdIirInit(type, maybe<double>(in, taps), order, sp); break;
        default: biquad ? vokwIirInitBq(type, maybe<float>(in, taps), order, sp) : vokwIirInit(type, maybe<float>(in, taps), order, sp); break;
    }
    fuzz::expectUntouchedOnFailure("IirInit", taps);
    if (st.value.initMarker != VOK_IIR_INIT_MARKER) return;
    for (int block = 0; block < 2; ++block) {
        const int iters = in.length(100);
        Buffer x(in, bytesFor<double>(iters)), y(in, bytesFor<double>(iters));
        int sf = in.range(-20, 20);
        fuzz::beginCall();
        switch (which) {
            case 0: voksbIir(&st.value, maybe<float>(in, x), maybe<float>(in, y), iters); break;
            case 1: vokdbIir(&st.value, maybe<double>(in, x), maybe<double>(in, y), iters); break;
            default: vokwbIir(&st.value, maybe<short>(in, x), maybe<short>(in, y), iters, scaleMode(in),
                              in.chance(1) ? nullptr : &sf);
        }
        fuzz::expectUntouchedOnFailure("bIir", x, y);
    }
    vokIirFree(&st.value);
}

// Low-layer IIR on the caller's arrays (the taps are rewritten in place).
void iirLow(Input& in) {
    const int type = in.range(-1, 2), order = in.chance(7) ? in.range(0, 8) : in.range(-3, -1);
    const bool biquad = in.chance(3);
    const long long coeffs = order >= 0 ? (biquad ? 6LL * order : 2LL * order + 2) : 0;
    Buffer taps(in, bytesFor<float>(coeffs));
    Record<IirTapState> ts;
    Record<IirDlyState> ds;
    ts.snap();
    fuzz::beginCall();
    float* tp = maybe<float>(in, taps);
    IirTapState* tsp = in.chance(1) ? nullptr : &ts.value;
    if (biquad) voksIirlInitBq(type, tp, order, tsp);
    else voksIirlInit(type, tp, order, tsp);
    // Biquad sections are normalised in turn: a zero b0 or a0 is found only
    // after the record and the earlier sections were written.
    if (!biquad || !tp || !tsp || order < 1 || (type != 0 && type != 1)) {
        fuzz::expectUntouchedOnFailure("IirlInit", taps);
        recordsUntouched("IirlInit", ts);
    }
    if (fuzz::failures || !ts.value.taps) return;
    Buffer dly(in, bytesFor<float>(ts.value.order));
    fuzz::beginCall();
    voksIirlInitDlyl(&ts.value, dly.as<float>(), &ds.value);
    if (fuzz::failures) return;
    const int iters = in.length(100);
    Buffer x(in, bytesFor<float>(iters)), y(in, bytesFor<float>(iters));
    fuzz::beginCall();
    voksbIirl(&ts.value, &ds.value, maybe<float>(in, x), maybe<float>(in, y), iters);
    fuzz::expectUntouchedOnFailure("bIirl", x, y);
}

// High-layer LMS: single rate with a desired signal, multirate with an error.
void lms(Input& in) {
    const int tapsLen = in.length(60), errDly = in.range(-2, 6);
    const float step = in.real() / 1000.0f, leak = in.chance(6) ? 0.0f : in.real() / 100.0f;
    const bool multi = in.chance(3);
    const int down = factor(in), phase = phaseFor(in, down);
    // The caller's delay line holds tapsLen + errDly values, + downFactor multirate.
    const long long dlyLen = tapsLen > 0 ? tapsLen + (errDly > 0 ? errDly : 0) + (multi && down > 0 ? down : 0) : 0;
    Buffer taps(in, bytesFor<float>(tapsLen)), dly(in, bytesFor<float>(dlyLen));
    LmsState st{};
    fuzz::beginCall();
    if (multi)
        voksLmsInitMr(0, maybe<float>(in, taps), tapsLen, maybe<float>(in, dly), step, leak, errDly, down, phase, &st);
    else
        voksLmsInit(0, maybe<float>(in, taps), tapsLen, maybe<float>(in, dly), step, leak, errDly, &st);
    fuzz::expectUntouchedOnFailure("LmsInit", taps, dly);
    if (fuzz::failures) {
        vokLmsFree(&st);
        return;
    }
    const int iters = in.length(80);
    if (!multi) {
        Buffer x(in, bytesFor<float>(iters)), d(in, bytesFor<float>(iters)), y(in, bytesFor<float>(iters));
        fuzz::beginCall();
        voksbLmsDes(&st, maybe<float>(in, x), maybe<float>(in, d), maybe<float>(in, y), iters);
        fuzz::expectUntouchedOnFailure("bLmsDes", x, d, y);
    } else {
        Buffer x(in, bytesFor<float>(st.tapState.downFactor));
        fuzz::beginCall();
        for (int i = 0; i < 3; ++i) voksbLms(&st, maybe<float>(in, x), in.real());
    }
    vokLmsFree(&st);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    while (!in.empty()) {
        switch (in.byte() % 7) {
            case 0: firHigh(in, false); break;
            case 1: firHigh(in, true); break;
            case 2: firLow(in); break;
            case 3: iirHigh(in); break;
            case 4: iirLow(in); break;
            default: lms(in); break;
        }
    }
    return 0;
}
