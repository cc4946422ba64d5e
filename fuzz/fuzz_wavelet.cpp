// Fuzzes the wavelets: Init of every core with arbitrary types, parameters,
// orders and levels; SetState with the caller's banks (lengths and offsets
// read from the input); GetState; Decompose and Reconstruct on the bank made.
// Every bank made is released again.
#include "fuzz_support.h"

namespace {

using fuzz::Buffer;
using fuzz::Input;
using fuzz::bytesFor;
using fuzz::maybe;

void stateUnchanged(const VokWtState& now, const VokWtState& before, const char* what) {
    if (fuzz::failures && std::memcmp(&now, &before, sizeof now) != 0) {
        std::fprintf(stderr, "%s reported a failure but changed the state\n", what);
        std::abort();
    }
}

// Decompose and Reconstruct on a bank of 'core' (1 float, 2 double, 4 16-bit).
template <class T>
void transforms(Input& in, const VokWtState& st,
                int (VOK_CALL* decompose)(const VokWtState*, const T*, T*),
                int (VOK_CALL* reconstruct)(const VokWtState*, const T*, T*)) {
    const long long n = 1LL << st.dataOrder;
    for (int round = 0; round < 2; ++round) {
        Buffer src(in, bytesFor<T>(n)), dst(in, bytesFor<T>(n));
        const VokWtState before = st;
        fuzz::beginCall();
        const int status = (in.chance(4) ? decompose : reconstruct)(in.chance(1) ? nullptr : &st,
                                                                     maybe<T>(in, src), maybe<T>(in, dst));
        if ((status < 0) != (fuzz::failures > 0)) {
            std::fprintf(stderr, "wavelet transform returned %d after %d reports\n", status, fuzz::failures);
            std::abort();
        }
        fuzz::expectUntouchedOnFailure("wavelet transform", src);
        fuzz::expectUntouchedOnFailure("wavelet transform", dst);
        stateUnchanged(st, before, "wavelet transform");
    }
}

template <class T, class Taps>
void bank(Input& in, int core,
          void (VOK_CALL* init)(int, int, int, int, VokWtState*, int),
          void (VOK_CALL* setState)(VokWtState*, int, int, int, int, int, Taps**, const int*, const int*),
          int (VOK_CALL* decompose)(const VokWtState*, const T*, T*),
          int (VOK_CALL* reconstruct)(const VokWtState*, const T*, T*)) {
    const int type = in.chance(6) ? in.range(1, 10) : in.range(-2, 14);
    const int par1 = in.chance(6) ? in.range(1, 10) : in.range(-3, 14), par2 = in.chance(6) ? in.range(1, 9) : in.range(-3, 12);
    // Valid orders above 14 would take large signal buffers: only refused ones.
    const int order = in.chance(7) ? in.range(1, 12) : in.chance(4) ? in.range(-2, 0) : in.range(32, 40);
    const int level = in.chance(6) ? in.range(0, order > 1 ? order - 1 : 0) : in.range(-2, 40);
    VokWtState st{};
    const VokWtState before = st;
    if (in.chance(4) || type != VOK_WtUser) {
        fuzz::beginCall();
        if (in.chance(4)) init(par1, par2, order, level, in.chance(1) ? nullptr : &st, type);
        else setState(in.chance(1) ? nullptr : &st, type, par1, par2, order, level, nullptr, nullptr, nullptr);
    } else {
        int len[4], ofs[4];
        Taps* taps[4];
        std::vector<Buffer*> owned;
        for (int k = 0; k < 4; ++k) {
            len[k] = in.chance(7) ? in.range(1, 30) : in.range(-2, 0);
            ofs[k] = in.chance(6) ? in.range(0, len[k] > 0 ? len[k] - 1 : 0) : in.range(-5, 40);
            owned.push_back(new Buffer(in, bytesFor<Taps>(len[k])));
            taps[k] = in.chance(1) ? nullptr : owned.back()->template as<Taps>();
        }
        fuzz::beginCall();
        setState(in.chance(1) ? nullptr : &st, VOK_WtUser, par1, par2, order, level, in.chance(1) ? nullptr : taps,
                 in.chance(1) ? nullptr : len, in.chance(1) ? nullptr : ofs);
        for (Buffer* b : owned) {
            fuzz::expectUntouchedOnFailure("WtSetState taps", *b);
            delete b;
        }
    }
    stateUnchanged(st, before, "WtInit/SetState");
    if (fuzz::failures || st.core != core || st.dataOrder > 14) {
        vokWtFree(&st);
        return;
    }
    int wtType = -1, p1 = -1, p2 = -1, o = -1, l = -1, lens[4], offs[4];
    Taps* got[4];
    fuzz::beginCall();
    if (core == 1) voksWtGetState(&st, &wtType, &p1, &p2, &o, &l, reinterpret_cast<float**>(got), lens, offs);
    if (core == 1 && !fuzz::failures && (o != st.dataOrder || l != st.level || wtType != st.wtType)) {
        std::fprintf(stderr, "voksWtGetState does not give back the record\n");
        std::abort();
    }
    if (core != 1) vokwWtGetState(&st, nullptr, &p1, &p2, &o, &l, nullptr, lens, offs);  // a null output: reported
    transforms<T>(in, st, decompose, reconstruct);
    vokWtFree(&st);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    while (!in.empty()) {
        switch (in.byte() % 3) {
            case 0: bank<float, float>(in, 1, voksWtInit, voksWtSetState, voksWtDecompose, voksWtReconstruct); break;
            case 1: bank<double, double>(in, 2, vokdWtInit, vokdWtSetState, vokdWtDecompose, vokdWtReconstruct); break;
            default: bank<short, float>(in, 4, vokwWtInit, vokwWtSetState, vokwWtDecompose, vokwWtReconstruct); break;
        }
    }
    return 0;
}
