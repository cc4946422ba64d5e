// 16-bit IIR filters: the fix-point coefficient words and their common Q,
// exact results on dyadic filters, the scale modes, designed filters against a
// long-double difference equation on the quantised coefficients, both layers.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "voktest/filter_calls.h"
#include "vok.h"

namespace {

// The first n words of coefficients the set-up converted in place.
std::vector<short> wordsOf(const float* taps, int n) {
    std::vector<short> w(n);
    std::memcpy(w.data(), taps, sizeof(short) * n);
    return w;
}

// A filter over x in one scale mode: the low layer sample by sample (form 0),
// or one sample and then a block of the rest, low (1) or high layer (2). The
// high layer leaves the caller's taps alone; nothing is written past y.
std::vector<short> run(std::vector<float> taps, int n, bool biquad, const std::vector<short>& x, int mode, int* sf,
                       int form) {
    IirTapState ts{};
    IirDlyState ds{};
    IirState st{};
    std::vector<int> dly(biquad ? 2 * n : n + 1, 12345);
    std::vector<short> y(x.size() + 1, 777);
    if (form == 2) {
        const auto keep = taps;
        biquad ? vokwIirInitBq(1, taps.data(), n, &st) : vokwIirInit(1, taps.data(), n, &st);
        EXPECT_EQ(31725, st.initMarker);
        EXPECT_EQ(keep, taps);
        y[0] = vokwIir(&st, x[0], mode, sf);
        EXPECT_EQ(0, vokwbIir(&st, x.data() + 1, y.data() + 1, int(x.size()) - 1, mode, sf));
        EXPECT_EQ(0, vokIirFree(&st));
        EXPECT_EQ(0, st.initMarker);
    } else {
        biquad ? vokwIirlInitBq(0, taps.data(), n, &ts) : vokwIirlInit(0, taps.data(), n, &ts);
        vokwIirlInitDlyl(&ts, dly.data(), &ds);
        for (size_t i = 0; i < (form ? 1 : x.size()); ++i) y[i] = vokwIirl(&ts, &ds, x[i], mode, sf);
        if (form) vokwbIirl(&ts, &ds, x.data() + 1, y.data() + 1, int(x.size()) - 1, mode, sf);
    }
    EXPECT_EQ(777, y.back());
    y.pop_back();
    return y;
}

// The recursion on the coefficients the words hold, without the integer delay
// line: one arbitrary-order section, or the biquad cascade section by section.
std::vector<long double> quantised(const std::vector<short>& w, int n, bool biquad, const std::vector<short>& x) {
    const long double unit = std::ldexp(1.0L, -w[0]);
    std::vector<long double> v(x.size()), out(x.size());
    for (size_t i = 0; i < x.size(); ++i) v[i] = w[1] * unit * x[i];
    for (int q = 0; q < (biquad ? n : 1); ++q) {
        for (size_t i = 0; i < x.size(); ++i) {
            long double t = biquad ? v[i] : w[1] * unit * x[i];
            for (int k = 1; k <= (biquad ? 2 : n) && size_t(k) <= i; ++k) {
                if (biquad) t += w[3 + 4 * q + k] * unit * v[i - k] + w[1 + 4 * q + k] * unit * out[i - k];
                else t += w[2 * k + 1] * unit * x[i - k] + w[2 * k] * unit * out[i - k];
            }
            out[i] = t;
        }
        v = out;
    }
    return v;
}

// Each row a filter, optionally its words (Q, then a0 divided out, the
// denominator stored negated) and an input with its scale mode. Dyadic filters
// and the scale modes have exact outputs (automatic scaling: one factor for a
// block, one per output sample by sample); designed filters stay within a few
// units of the recursion on their quantised coefficients, the block form
// closer (its delays stay float until it ends). The high layer gives the low
// layer's block outputs and leaves the caller's taps alone.
TEST(Iir16, WordsAndFiltersInBothLayers) {
    struct Row {
        std::vector<float> taps;
        int n, biquad;
        std::vector<short> words, x = {}, y = {};  // no y: the quantised recursion
        int mode = VOK_NO_SCALE, sfIn = 0, sfOut = 0, forms = 3;  // 1 one-sample, 2 block, 3 both
    };
    std::vector<short> imp(12, 0), halving;
    imp[0] = 16384;
    for (int i = 0; i < 12; ++i) halving.push_back(short(16384 >> i));
    std::mt19937 gen(21);
    const std::vector<short> x{0, 10000, -3000, 5}, noise = voktest::randomShorts(gen, 300, 6000);
    const Row rows[] = {
        {{0.5f, 0.5f, 1, 0}, 1, 0, {14, 8192, 0, 8192},  // largest 1: R = 32767, Q = 14; the two-point mean
         {100, -2000, 30000, 30000, -32768, 6}, {50, -950, 14000, 30000, -1384, -16381}},
        {{6, -1, 0.5f, 2, 1, -1.5f}, 2, 0, {13, 3 * 8192, -4096, -4096, 6144, 2048}},  // largest 3: Q = 13
        {{20000, 2.5f, 1, 3.5f}, 1, 0, {0, 20000, -4, 2}},  // R below 2: Q = 0, -3.5 and 2.5 round to even
        // G = 2/4; -a1/a0 = -0.25, -a2/a0 = 0.5, b1/b0 = 0.5, b2/b0 = 0.25: R = 65534, Q stops at 15.
        {{2, 1, 0.5f, 4, 1, -2}, 1, 1, {15, 16384, -8192, 16384, 16384, 8192}},
        // Two sections: G multiplies both b0/a0; b1/b0 = 3 sets Q = 13.
        {{1, 3, 0, 1, 0.5f, 0, 2, 1, 1, 1, 0, -0.25f}, 2, 1, {13, 16384, -4096, 0, 24576, 0, 0, 2048, 4096, 4096}},
        {{1, 0, 1, -0.5f}, 1, 0, {}, imp, halving},
        {{2, 0, 0, 1, 0, 0}, 1, 1, {}, {1, -3, 1000}, {2, -6, 2000}},
        {{4, 1}, 0, 0, {}, x, {0, 32767, -12000, 20}, VOK_SATURATE, 0, 0, 2},  // 10000 becomes 40000
        {{4, 1}, 0, 0, {}, x, {0, 10000, -3000, 5}, VOK_FIXED_SCALE, 2, 2, 2},
        {{4, 1}, 0, 0, {}, x, {0, 20000, -6000, 10}, VOK_AUTO_SCALE, 77, 1, 2},  // floor(log2 40000) - 14 = 1
        {{4, 1}, 0, 0, {}, x, {0, 20000, -12000, 20}, VOK_AUTO_SCALE, 77, 0, 1},
        // Butterworth low passes (the second with a0 = 2) and well-damped hand-made ones.
        {{0.20657208f, 0.41314417f, 0.20657208f, 1.0f, -0.36952738f, 0.19581571f}, 2, 0, {}, noise},
        {{0.0317f * 2, 0.0951f * 2, 0.0951f * 2, 0.0317f * 2, 2.0f, -1.4590f * 2, 0.9104f * 2, -0.1978f * 2}, 3, 0,
         {}, noise},
        {{0.1f, -0.05f, 0.1f, 1.5f, -1.2f, 0.6f}, 2, 0, {}, noise},
        {{0.5f, 0.4f, 0.1f, 1.0f, -0.6f, 0.25f, 1.0f, -0.5f, 0.3f, 1.5f, 0.3f, 0.15f}, 2, 1, {}, noise},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.taps.size() << " taps, mode " << r.mode);
        auto taps = r.taps;
        IirTapState ts{};
        r.biquad ? vokwIirlInitBq(0, taps.data(), r.n, &ts) : vokwIirlInit(1, taps.data(), r.n, &ts);
        const auto words = wordsOf(taps.data(), 2 * ts.order + 2);
        EXPECT_TRUE(r.words.empty() || r.words == wordsOf(taps.data(), int(r.words.size())));
        EXPECT_EQ((std::vector<int>{r.biquad ? 2 * r.n : r.n, r.biquad, !r.biquad}),
                  (std::vector<int>{ts.order, ts.isBiquad, ts.iirType}));
        EXPECT_EQ(static_cast<void*>(taps.data()), ts.taps);
        if (r.x.empty()) continue;
        const auto ref = quantised(words, r.n, r.biquad, r.x);
        std::vector<short> y[3];
        for (int form : {0, 1, 2}) {
            if (!(r.forms & (form ? 2 : 1))) continue;
            int sf = r.sfIn;
            y[form] = run(r.taps, r.n, r.biquad, r.x, r.mode, &sf, form);
            EXPECT_EQ(r.sfOut, sf);
            long double worst = 0;
            for (size_t i = 0; i < r.x.size(); ++i) worst = std::max(worst, std::fabs(y[form][i] - ref[i]));
            EXPECT_TRUE(r.y.empty() ? worst <= (form ? 1.5L : 6.0L) : r.y == y[form]) << form;
        }
        EXPECT_TRUE(!r.y.empty() || y[0] != y[1]);
        EXPECT_TRUE(!(r.forms & 2) || y[1] == y[2]);
    }
}

// The delay line holds integers rounded to nearest even.
TEST(Iir16, DelayLineRoundsToNearestEven) {
    float taps[] = {1, 0, 1, -0.5f};
    IirTapState ts{};
    IirDlyState ds{};
    int dly = 99, sf = 0;
    vokwIirlInit(0, taps, 1, &ts);
    vokwIirlInitDlyl(&ts, &dly, &ds);
    EXPECT_EQ(0, dly);
    for (auto [in, out, held] : {std::array{3, 3, 2}, {0, 2, 1}, {0, 1, 0}}) {
        EXPECT_EQ(out, vokwIirl(&ts, &ds, short(in), VOK_NO_SCALE, &sf));
        EXPECT_EQ(held, dly);
    }
}

}  // namespace
