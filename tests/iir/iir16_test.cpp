// 16-bit IIR filters: the fix-point coefficient words and their common Q,
// exact results on dyadic filters, the scale modes, designed filters against a
// long-double difference equation on the quantised coefficients, both layers.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "vok.h"

namespace {

std::vector<short> wordsOf(const float* taps, int n) {
    std::vector<short> w(n);
    std::memcpy(w.data(), taps, sizeof(short) * n);
    return w;
}

// Q, then the words; a0 divided out, the denominator stored negated.
TEST(Iir16, CoefficientWordsAndQ) {
    struct Row {
        std::vector<float> taps;
        int n, biquad;
        std::vector<short> words;
    };
    const Row rows[] = {
        {{0.5f, 0.5f, 1, 0}, 1, 0, {14, 8192, 0, 8192}},                         // largest 1: R = 32767, Q = 14
        {{6, -1, 0.5f, 2, 1, -1.5f}, 2, 0, {13, 3 * 8192, -4096, -4096, 6144, 2048}},  // largest 3: Q = 13
        {{20000, 2.5f, 1, 3.5f}, 1, 0, {0, 20000, -4, 2}},  // R below 2: Q = 0, -3.5 and 2.5 round to even
        // G = 2/4; -a1/a0 = -0.25, -a2/a0 = 0.5, b1/b0 = 0.5, b2/b0 = 0.25: R = 65534, Q stops at 15.
        {{2, 1, 0.5f, 4, 1, -2}, 1, 1, {15, 16384, -8192, 16384, 16384, 8192}},
        // Two sections: G multiplies both b0/a0; b1/b0 = 3 sets Q = 13.
        {{1, 3, 0, 1, 0.5f, 0, 2, 1, 1, 1, 0, -0.25f}, 2, 1, {13, 16384, -4096, 0, 24576, 0, 0, 2048, 4096, 4096}},
    };
    for (auto r : rows) {
        IirTapState ts{};
        r.biquad ? vokwIirlInitBq(0, r.taps.data(), r.n, &ts) : vokwIirlInit(1, r.taps.data(), r.n, &ts);
        EXPECT_EQ(r.words, wordsOf(r.taps.data(), int(r.words.size())));
        EXPECT_EQ(r.biquad ? 2 * r.n : r.n, ts.order);
        EXPECT_EQ(r.biquad, ts.isBiquad);
        EXPECT_EQ(!r.biquad, ts.iirType);
        EXPECT_EQ(static_cast<void*>(r.taps.data()), ts.taps);
    }
}

// A low-level filter over x in one scale mode, sample by sample or (block)
// one sample and then a block of the rest.
std::vector<short> runLow(std::vector<float> taps, int n, bool biquad, const std::vector<short>& x, int mode,
                          int* sf, bool block) {
    IirTapState ts{};
    IirDlyState ds{};
    std::vector<int> dly(biquad ? 2 * n : n + 1, 12345);
    biquad ? vokwIirlInitBq(0, taps.data(), n, &ts) : vokwIirlInit(0, taps.data(), n, &ts);
    vokwIirlInitDlyl(&ts, dly.data(), &ds);
    std::vector<short> y(x.size());
    for (size_t i = 0; i < (block ? 1 : x.size()); ++i) y[i] = vokwIirl(&ts, &ds, x[i], mode, sf);
    if (block) vokwbIirl(&ts, &ds, x.data() + 1, y.data() + 1, int(x.size()) - 1, mode, sf);
    return y;
}

TEST(Iir16, DyadicFiltersAreExactAndScaleModes) {
    for (bool block : {false, true}) {
        int sf = 0;
        const std::vector<short> x{100, -2000, 30000, 30000, -32768, 6};
        const auto y = runLow({0.5f, 0.5f, 1, 0}, 1, false, x, VOK_NO_SCALE, &sf, block);  // two-point mean
        for (size_t i = 0; i < x.size(); ++i) EXPECT_EQ(x[i] / 2 + (i ? x[i - 1] / 2 : 0), y[i]) << i;
        std::vector<short> imp(12, 0);
        imp[0] = 16384;
        const auto h = runLow({1, 0, 1, -0.5f}, 1, false, imp, VOK_NO_SCALE, &sf, block);  // halving response
        for (int i = 0; i < 12; ++i) EXPECT_EQ(16384 >> i, h[i]) << i;
        const auto g = runLow({2, 0, 0, 1, 0, 0}, 1, true, {1, -3, 1000}, VOK_NO_SCALE, &sf, block);  // gain 2
        EXPECT_EQ((std::vector<short>{2, -6, 2000}), g);
    }
    // A gain of 4: 10000 becomes 40000 before scaling.
    const std::vector<short> x{0, 10000, -3000, 5};
    int sf = 0;
    EXPECT_EQ((std::vector<short>{0, 32767, -12000, 20}), runLow({4, 1}, 0, false, x, VOK_SATURATE, &sf, true));
    sf = 2;
    EXPECT_EQ((std::vector<short>{0, 10000, -3000, 5}), runLow({4, 1}, 0, false, x, VOK_FIXED_SCALE, &sf, true));
    EXPECT_EQ(2, sf);
    sf = 77;  // one scale factor for the whole block: floor(log2 40000) - 14 = 1
    EXPECT_EQ((std::vector<short>{0, 20000, -6000, 10}), runLow({4, 1}, 0, false, x, VOK_AUTO_SCALE, &sf, true));
    EXPECT_EQ(1, sf);
    // Sample by sample each output gets its own.
    EXPECT_EQ((std::vector<short>{0, 20000, -12000, 20}), runLow({4, 1}, 0, false, x, VOK_AUTO_SCALE, &sf, false));
    EXPECT_EQ(0, sf);

    // The delay line holds integers rounded to nearest even.
    float taps[] = {1, 0, 1, -0.5f};
    IirTapState ts{};
    IirDlyState ds{};
    int dly = 99;
    vokwIirlInit(0, taps, 1, &ts);
    vokwIirlInitDlyl(&ts, &dly, &ds);
    EXPECT_EQ(0, dly);
    for (auto [in, out, held] : {std::array{3, 3, 2}, {0, 2, 1}, {0, 1, 0}}) {
        EXPECT_EQ(out, vokwIirl(&ts, &ds, short(in), VOK_NO_SCALE, &sf));
        EXPECT_EQ(held, dly);
    }
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

std::vector<short> randomShorts(int n, unsigned seed, int amplitude) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> dist(-amplitude, amplitude);
    std::vector<short> v(n);
    for (auto& e : v) e = short(dist(gen));
    return v;
}

struct Design {
    std::vector<float> taps;  // b0..bN a0..aN, or 6 per section
    int n;
    bool biquad;
};
// Butterworth low passes (the second with a0 = 2) and well-damped hand-made ones.
const Design kDesigns[] = {
    {{0.20657208f, 0.41314417f, 0.20657208f, 1.0f, -0.36952738f, 0.19581571f}, 2, false},
    {{0.0317f * 2, 0.0951f * 2, 0.0951f * 2, 0.0317f * 2, 2.0f, -1.4590f * 2, 0.9104f * 2, -0.1978f * 2}, 3, false},
    {{0.1f, -0.05f, 0.1f, 1.5f, -1.2f, 0.6f}, 2, false},
    {{0.5f, 0.4f, 0.1f, 1.0f, -0.6f, 0.25f, 1.0f, -0.5f, 0.3f, 1.5f, 0.3f, 0.15f}, 2, true},
};

// Integer delays after every call and truncated outputs: a few units at most;
// a block keeps its delays in float until it ends. The high layer gives the
// low layer's values and leaves the caller's taps alone.
TEST(Iir16, DesignedFiltersFollowTheirQuantisedCoefficientsInBothLayers) {
    for (const auto& d : kDesigns) {
        SCOPED_TRACE(d.taps.size());
        auto taps = d.taps;
        IirTapState ts{};
        d.biquad ? vokwIirlInitBq(0, taps.data(), d.n, &ts) : vokwIirlInit(0, taps.data(), d.n, &ts);
        const auto x = randomShorts(300, 21, 6000);
        const auto ref = quantised(wordsOf(taps.data(), 2 * ts.order + 2), d.n, d.biquad, x);
        int sf = 0;
        std::vector<short> forms[2];
        for (bool block : {false, true}) {
            forms[block] = runLow(d.taps, d.n, d.biquad, x, VOK_NO_SCALE, &sf, block);
            long double worst = 0;
            for (size_t i = 0; i < x.size(); ++i) worst = std::max(worst, std::fabs(forms[block][i] - ref[i]));
            EXPECT_LE(worst, block ? 1.5L : 6.0L) << block;
        }
        EXPECT_NE(forms[0], forms[1]);

        const auto loud = randomShorts(100, 5, 12000);
        const auto want = runLow(d.taps, d.n, d.biquad, loud, VOK_SATURATE, &sf, true);
        IirState st{};
        auto mine = d.taps;
        d.biquad ? vokwIirInitBq(1, mine.data(), d.n, &st) : vokwIirInit(1, mine.data(), d.n, &st);
        ASSERT_EQ(31725, st.initMarker);
        EXPECT_EQ(mine, d.taps);
        std::vector<short> y(loud.size());
        y[0] = vokwIir(&st, loud[0], VOK_SATURATE, &sf);
        EXPECT_EQ(0, vokwbIir(&st, loud.data() + 1, y.data() + 1, 99, VOK_SATURATE, &sf));
        EXPECT_EQ(want, y);
        EXPECT_EQ(0, vokIirFree(&st));
        EXPECT_EQ(0, st.initMarker);
    }
}

}  // namespace
