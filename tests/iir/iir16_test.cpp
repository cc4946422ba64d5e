// 16-bit IIR filters: the fix-point coefficient words and their common Q,
// exact results on dyadic filters, designed filters against a long-double
// difference equation on the quantised coefficients, the scale modes, both
// layers, and every failure report.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "frame/test_seams.h"
#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;

std::vector<short> wordsOf(const float* taps, int n) {
    std::vector<short> w(n);
    std::memcpy(w.data(), taps, sizeof(short) * n);
    return w;
}

TEST(Iir16Words, ArbitraryOrderLayoutAndQ) {
    IirTapState ts{};
    // The largest normalised value is a0/a0 = 1: R = 32767, Q = 14.
    float t1[] = {0.5f, 0.5f, 1, 0};
    vokwIirlInit(1, t1, 1, &ts);
    EXPECT_EQ((std::vector<short>{14, 8192, 0, 8192}), wordsOf(t1, 4));
    EXPECT_EQ(1, ts.order);
    EXPECT_EQ(1, ts.iirType);
    EXPECT_EQ(0, ts.isBiquad);
    EXPECT_EQ(static_cast<void*>(t1), ts.taps);

    // a0 = 2 divides everything; the largest value 3 gives R = 10922.3 and Q = 13;
    // the denominator terms are stored negated.
    float t2[] = {6, -1, 0.5f, 2, 1, -1.5f};
    vokwIirlInit(0, t2, 2, &ts);
    EXPECT_EQ((std::vector<short>{13, 3 * 8192, -4096, -4096, 6144, 2048}), wordsOf(t2, 6));

    // A value of 20000 leaves R below 2: Q = 0 and plain rounded integers.
    float t3[] = {20000, 2.5f, 1, 3.5f};
    vokwIirlInit(0, t3, 1, &ts);
    EXPECT_EQ((std::vector<short>{0, 20000, -4, 2}), wordsOf(t3, 4));  // -3.5 and 2.5 round to even
}

TEST(Iir16Words, BiquadLayoutAndQ) {
    IirTapState ts{};
    // G = 2/4 = 0.5; -a1/a0 = -0.25, -a2/a0 = 0.5, b1/b0 = 0.5, b2/b0 = 0.25;
    // the largest is 0.5, R = 65534, and Q stops at 15.
    float bq[] = {2, 1, 0.5f, 4, 1, -2};
    vokwIirlInitBq(0, bq, 1, &ts);
    EXPECT_EQ((std::vector<short>{15, 16384, -8192, 16384, 16384, 8192}), wordsOf(bq, 6));
    EXPECT_EQ(1, ts.isBiquad);
    EXPECT_EQ(2, ts.order);

    // Two sections: G multiplies both b0/a0; b1/b0 = 3 sets Q = 13.
    float two[] = {1, 3, 0, 1, 0.5f, 0, /**/ 2, 1, 1, 1, 0, -0.25f};
    vokwIirlInitBq(0, two, 2, &ts);
    EXPECT_EQ((std::vector<short>{13, 16384, -4096, 0, 24576, 0, 0, 2048, 4096, 4096}), wordsOf(two, 10));
    EXPECT_EQ(4, ts.order);
}

// Runs a low-level filter over x with the given scale mode, sample by sample
// or (block) one sample and then a block of the rest; returns the outputs.
std::vector<short> runLow(std::vector<float> taps, int n, bool biquad, const std::vector<short>& x, int mode,
                          int* sf, bool block) {
    IirTapState ts{};
    IirDlyState ds{};
    std::vector<int> dly(biquad ? 2 * n : n + 1, 12345);
    if (biquad) vokwIirlInitBq(0, taps.data(), n, &ts);
    else vokwIirlInit(0, taps.data(), n, &ts);
    vokwIirlInitDlyl(&ts, dly.data(), &ds);
    std::vector<short> y(x.size());
    if (block) {
        // The first sample alone, then the rest as one block.
        y[0] = vokwIirl(&ts, &ds, x[0], mode, sf);
        vokwbIirl(&ts, &ds, x.data() + 1, y.data() + 1, int(x.size()) - 1, mode, sf);
    } else {
        for (size_t i = 0; i < x.size(); ++i) y[i] = vokwIirl(&ts, &ds, x[i], mode, sf);
    }
    return y;
}

TEST(Iir16Filter, DyadicFiltersAreExact) {
    for (bool block : {false, true}) {
        SCOPED_TRACE(block);
        int sf = 0;
        // Two-point mean of even samples.
        const std::vector<short> x{100, -2000, 30000, 30000, -32768, 6};
        const auto y = runLow({0.5f, 0.5f, 1, 0}, 1, false, x, VOK_NO_SCALE, &sf, block);
        for (size_t i = 0; i < x.size(); ++i) EXPECT_EQ(x[i] / 2 + (i ? x[i - 1] / 2 : 0), y[i]) << i;

        // First-order low pass: impulse response 16384, 8192, 4096, ...
        std::vector<short> imp(12, 0);
        imp[0] = 16384;
        const auto h = runLow({1, 0, 1, -0.5f}, 1, false, imp, VOK_NO_SCALE, &sf, block);
        for (int i = 0; i < 12; ++i) EXPECT_EQ(16384 >> i, h[i]) << i;

        // One biquad section b = (2, 0, 0), a = (1, 0, 0): twice the input.
        const auto g = runLow({2, 0, 0, 1, 0, 0}, 1, true, {1, -3, 1000}, VOK_NO_SCALE, &sf, block);
        EXPECT_EQ((std::vector<short>{2, -6, 2000}), g);
    }
}

TEST(Iir16Filter, TheDelayLineHoldsRoundedIntegers) {
    float taps[] = {1, 0, 1, -0.5f};
    IirTapState ts{};
    IirDlyState ds{};
    int dly = 99;
    vokwIirlInit(0, taps, 1, &ts);
    vokwIirlInitDlyl(&ts, &dly, &ds);
    EXPECT_EQ(0, dly);
    int sf = 0;
    EXPECT_EQ(3, vokwIirl(&ts, &ds, 3, VOK_NO_SCALE, &sf));
    EXPECT_EQ(2, dly);  // 1.5 to nearest even
    EXPECT_EQ(2, vokwIirl(&ts, &ds, 0, VOK_NO_SCALE, &sf));
    EXPECT_EQ(1, dly);
    EXPECT_EQ(1, vokwIirl(&ts, &ds, 0, VOK_NO_SCALE, &sf));
    EXPECT_EQ(0, dly);  // 0.5 to nearest even
}

TEST(Iir16Filter, ScaleModes) {
    // A gain of 4 (order 0): 10000 becomes 40000 before scaling. The leading
    // zero is filtered alone, the rest as one block.
    const std::vector<short> x{0, 10000, -3000, 5};
    const std::vector<float> gain{4, 1};
    int sf = 0;
    EXPECT_EQ((std::vector<short>{0, 32767, -12000, 20}), runLow(gain, 0, false, x, VOK_SATURATE, &sf, true));
    sf = 2;
    EXPECT_EQ((std::vector<short>{0, 10000, -3000, 5}), runLow(gain, 0, false, x, VOK_FIXED_SCALE, &sf, true));
    EXPECT_EQ(2, sf);
    // One scale factor for the whole block: floor(log2 40000) - 14 = 1.
    sf = 77;
    EXPECT_EQ((std::vector<short>{0, 20000, -6000, 10}), runLow(gain, 0, false, x, VOK_AUTO_SCALE, &sf, true));
    EXPECT_EQ(1, sf);
    // Sample by sample each output gets its own.
    EXPECT_EQ((std::vector<short>{0, 20000, -12000, 20}), runLow(gain, 0, false, x, VOK_AUTO_SCALE, &sf, false));
    EXPECT_EQ(0, sf);
}

// y[n] = sum b_k x[n-k] + sum (-a_k) y[n-k] on the coefficients the words
// hold (a0 already divided out), without the integer delay line.
std::vector<long double> quantisedReference(const std::vector<short>& w, int order, const std::vector<short>& x) {
    const long double unit = std::ldexp(1.0L, -w[0]);
    std::vector<long double> y(x.size());
    for (size_t n = 0; n < x.size(); ++n) {
        long double s = w[1] * unit * x[n];
        for (int k = 1; k <= order && size_t(k) <= n; ++k)
            s += w[2 * k + 1] * unit * x[n - k] + w[2 * k] * unit * y[n - k];
        y[n] = s;
    }
    return y;
}

// The biquad cascade on its words, section by section as difference equations.
std::vector<long double> quantisedBiquads(const std::vector<short>& w, int nq, const std::vector<short>& x) {
    const long double unit = std::ldexp(1.0L, -w[0]);
    std::vector<long double> v(x.size());
    for (size_t n = 0; n < x.size(); ++n) v[n] = w[1] * unit * x[n];
    for (int q = 0; q < nq; ++q) {
        const short* s = &w[2 + 4 * q];
        std::vector<long double> out(x.size());
        for (size_t n = 0; n < x.size(); ++n) {
            // Section: (1 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2), -a1, -a2 stored.
            long double t = v[n];
            if (n >= 1) t += s[2] * unit * v[n - 1] + s[0] * unit * out[n - 1];
            if (n >= 2) t += s[3] * unit * v[n - 2] + s[1] * unit * out[n - 2];
            out[n] = t;
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
    const char* name;
    std::vector<float> taps;  // b0..bN a0..aN, or 6 per section
    int n;
    bool biquad;
};

// Low-pass designs of scipy.signal.butter (the second with a0 = 2) and two
// hand-made well-damped ones.
const Design kDesigns[] = {
    {"butter2", {0.20657208f, 0.41314417f, 0.20657208f, 1.0f, -0.36952738f, 0.19581571f}, 2, false},
    {"butter3", {0.0317f * 2, 0.0951f * 2, 0.0951f * 2, 0.0317f * 2, 2.0f, -1.4590f * 2, 0.9104f * 2, -0.1978f * 2},
     3, false},
    {"resonator", {0.1f, -0.05f, 0.1f, 1.5f, -1.2f, 0.6f}, 2, false},
    {"sos2", {0.5f, 0.4f, 0.1f, 1.0f, -0.6f, 0.25f, 1.0f, -0.5f, 0.3f, 1.5f, 0.3f, 0.15f}, 2, true},
};

TEST(Iir16Filter, DesignedFiltersFollowTheirQuantisedCoefficients) {
    for (const auto& d : kDesigns) {
        SCOPED_TRACE(d.name);
        auto taps = d.taps;
        IirTapState ts{};
        if (d.biquad) vokwIirlInitBq(0, taps.data(), d.n, &ts);
        else vokwIirlInit(0, taps.data(), d.n, &ts);
        const auto w = wordsOf(taps.data(), 2 * ts.order + 2);
        const auto x = randomShorts(300, 21, 6000);
        const auto ref = d.biquad ? quantisedBiquads(w, d.n, x) : quantisedReference(w, d.n, x);
        int sf = 0;
        std::vector<short> forms[2];
        for (bool block : {false, true}) {
            forms[block] = runLow(d.taps, d.n, d.biquad, x, VOK_NO_SCALE, &sf, block);
            long double worst = 0;
            // Integer delays after every call and truncated outputs: a few units at most;
            // a block keeps its delays in float until it ends.
            for (size_t i = 0; i < x.size(); ++i) worst = std::max(worst, std::fabs(forms[block][i] - ref[i]));
            EXPECT_LE(worst, block ? 1.5L : 6.0L) << block;
        }
        EXPECT_NE(forms[0], forms[1]);
    }
}

TEST(Iir16Filter, HighLayerMatchesTheLowLayer) {
    for (const auto& d : kDesigns) {
        SCOPED_TRACE(d.name);
        const auto x = randomShorts(100, 5, 12000);
        int sf = 0;
        const auto want = runLow(d.taps, d.n, d.biquad, x, VOK_SATURATE, &sf, true);
        const auto keep = d.taps;
        IirState st{};
        if (d.biquad) vokwIirInitBq(1, d.taps.data(), d.n, &st);
        else vokwIirInit(1, d.taps.data(), d.n, &st);
        ASSERT_EQ(31725, st.initMarker);
        EXPECT_EQ(keep, d.taps);
        std::vector<short> y(x.size());
        y[0] = vokwIir(&st, x[0], VOK_SATURATE, &sf);
        EXPECT_EQ(0, vokwbIir(&st, x.data() + 1, y.data() + 1, 99, VOK_SATURATE, &sf));
        EXPECT_EQ(want, y);
        EXPECT_EQ(0, vokIirFree(&st));
        EXPECT_EQ(0, st.initMarker);
    }
}

}  // namespace
