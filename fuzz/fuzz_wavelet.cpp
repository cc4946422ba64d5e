// Fuzzes the wavelets of every core: Init and SetState with arbitrary types, parameters, orders, levels
// and caller's banks; GetState; Decompose and Reconstruct on the bank made, which is released again.
#include "fuzz_support.h"

namespace fuzz {

// A bank of 'core' (1 float, 2 double, 4 16-bit) made by Init or SetState, then used.
template <class Taps, class Init, class Set, class Transform>
Entry bank(int core, Init init, Set setState, Transform decompose, Transform reconstruct) {
    return [=](Input& in) {
        const int type = in.mostly(1, 10, -2, 14), par1 = in.mostly(1, 10, -3, 14), par2 = in.mostly(1, 9, -3, 12);
        // Valid orders above 14 would take large signal buffers: only refused ones.
        const int order = in.chance(7) ? in.range(1, 12) : in.chance(4) ? in.range(-2, 0) : in.range(32, 40);
        const int level = in.mostly(0, order > 1 ? order - 1 : 0, -2, 40);
        VokWtState st{};
        {  // made, and checked, before it is used
            Call c(in, {{0}, {par1, par2, order, level, type}});
            if (in.chance(4)) {
                c.with(&st)(init);
            } else {  // a predefined type's bank, or the caller's
                const bool user = !in.chance(4) && type == VOK_WtUser;
                int len[4] = {}, ofs[4] = {};
                Taps* taps[4] = {};
                for (int k = 0; user && k < 4; ++k) {
                    len[k] = in.mostly(1, 30, -2, 0, 7);
                    ofs[k] = in.mostly(0, len[k] > 0 ? len[k] - 1 : 0, -5, 40);
                    taps[k] = c.buf<Taps>(len[k]);
                }
                setState(c.keep(in.chance(1) ? nullptr : &st), type, par1, par2, order, level,
                         user && !in.chance(1) ? taps : nullptr, user && !in.chance(1) ? len : nullptr,
                         user && !in.chance(1) ? ofs : nullptr);
            }
        }
        if (!failures && st.core == core && st.dataOrder <= 14) {
            int wtType = -1, p1 = -1, p2 = -1, o = -1, l = -1, lens[4], offs[4];
            Taps* got[4];
            Call check(in);
            if (core != 1)
                vokwWtGetState(&st, nullptr, &p1, &p2, &o, &l, nullptr, lens, offs);  // reported
            else
                voksWtGetState(&st, &wtType, &p1, &p2, &o, &l, reinterpret_cast<float**>(got), lens, offs);
            require(core != 1 || failures || (o == st.dataOrder && l == st.level && wtType == st.wtType),
                    "voksWtGetState does not give back the record");
            for (int round = 0; round < 2; ++round) {
                Call c(in, Shape{{1LL << st.dataOrder}});
                requireStatus(c.with(&st)(in.chance(4) ? decompose : reconstruct));
            }
        }
        vokWtFree(&st);
    };
}

std::vector<Entry> entries() {
    return list(bank<float>(1, voksWtInit, voksWtSetState, voksWtDecompose, voksWtReconstruct),
                bank<double>(2, vokdWtInit, vokdWtSetState, vokdWtDecompose, vokdWtReconstruct),
                bank<float>(4, vokwWtInit, vokwWtSetState, vokwWtDecompose, vokwWtReconstruct));
}

}  // namespace fuzz
