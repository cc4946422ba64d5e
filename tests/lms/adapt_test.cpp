// LMS adaptation against the long-double reference for every type
// combination, error delay, leak and decimation, both layers bit for bit; the
// desired-signal forms; the step-sign and leak rules; and the 16-bit filter.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "lms_support.h"

namespace {

using namespace lmstest;

// A low-layer filter over arrays the test owns, the delay line starting as zeros.
template <class A> struct LowFilter {
    std::vector<typename A::W> taps;
    std::vector<typename A::D> dlyl;
    LmsTapState tap{};
    LmsDlyState dly{};
    LowFilter(const A& api, const std::vector<typename A::W>& w, float step, float leak, int errDly, int factor = 1,
              int phase = 0)
        : taps(w), dlyl(w.size() + size_t(errDly) + (factor > 1 ? size_t(factor) : 0u)) {
        if (factor == 1) api.init(7, taps.data(), int(taps.size()), step, leak, errDly, &tap);
        else api.initMr(7, taps.data(), int(taps.size()), step, leak, errDly, factor, phase, &tap);
        api.initDlyl(&tap, dlyl.data(), 1, &dly);
    }
};

template <class W> void expectTaps(const std::vector<W>& got, const Reference& ref, double tol) {
    for (size_t i = 0; i < got.size(); ++i) EXPECT_TRUE(near(asLC(got[i]), ref.w[i], tol)) << "tap " << i;
}

// Factor 0 runs the one-sample forms; otherwise the block forms decimate by it.
struct Case {
    int tapsLen, errDly;
    float leak;
    int factor, phase;
};

TEST(LmsAdapt, BothLayersMatchTheReference) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        for (Case c : {Case{1, 0, 0, 0, 0}, Case{2, 0, 0, 0, 0}, Case{5, 2, 0, 0, 0}, Case{8, 0, 0.01f, 0, 0},
                       Case{3, 4, 0.05f, 0, 0}, Case{1, 1, 0.02f, 0, 0}, Case{4, 0, 0.01f, 1, 0},
                       Case{4, 0, 0.01f, 2, 1}, Case{3, 2, 0.01f, 3, 0}, Case{6, 1, 0.01f, 3, 2},
                       Case{1, 0, 0.01f, 4, 3}}) {
            SCOPED_TRACE(testing::Message() << "L=" << c.tapsLen << " k=" << c.errDly << " D=" << c.factor);
            const float step = 0.125f;
            const int factor = std::max(c.factor, 1), blocks = 30;
            const auto w0 = randomVector<W>(c.tapsLen, 3u + unsigned(c.tapsLen), 0.5);
            LowFilter low(api, w0, step, c.leak, c.errDly, factor, c.phase);
            EXPECT_EQ(low.dly.len, c.tapsLen + c.errDly + (factor > 1 ? factor : 0));
            LmsState high;
            if (factor == 1) api.hInit(0, w0.data(), c.tapsLen, nullptr, step, c.leak, c.errDly, &high);
            else api.hInitMr(0, w0.data(), c.tapsLen, nullptr, step, c.leak, c.errDly, factor, c.phase, &high);
            Reference ref = referenceFor(w0, step, c.leak, c.errDly, isCx<D>);
            const auto in = randomVector<D>(blocks * factor, 11), errs = randomVector<W>(blocks, 12, 0.5);
            for (int b = 0; b < blocks; ++b) {
                const D* x = in.data() + b * factor;
                const W y = c.factor ? api.blmsl(&low.tap, &low.dly, x, errs[b]) : api.lmsl(&low.tap, &low.dly, *x, errs[b]);
                const W yHigh = c.factor ? api.blms(&high, x, errs[b]) : api.lms(&high, *x, errs[b]);
                std::vector<LC> chunk;
                for (int j = 0; j < factor; ++j) chunk.push_back(asLC(x[j]));
                ASSERT_TRUE(near(asLC(y), ref.block(chunk, asLC(errs[b]), factor, c.phase), api.tol)) << b;
                ASSERT_TRUE(sameBits(y, yHigh)) << b;  // the high layer runs the low-layer steps
            }
            expectTaps(low.taps, ref, api.tol);
            std::vector<W> highTaps(w0.size());
            api.hGetTaps(&high, highTaps.data());
            EXPECT_EQ(0, std::memcmp(highTaps.data(), low.taps.data(), sizeof(W) * w0.size()));
            vokLmsFree(&high);
        }
    });
}

// The desired-signal forms keep their own error: one sample at a time from a
// given history, and decimating blocks whose outputs align with the phase input.
TEST(LmsAdapt, DesiredFormsMatchTheReference) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        for (int factor : {1, 2}) {
            const int tapsLen = factor == 1 ? 5 : 3, errDly = 2 - factor, phase = factor - 1, iters = 30;
            const float step = 0.05f, leak = factor == 1 ? 0.02f : 0.0f;
            const auto w0 = randomVector<W>(tapsLen, 31, 0.5);
            const auto hist = randomVector<D>(factor == 1 ? tapsLen + errDly - 1 : 0, 32);
            LmsState st;
            if (factor == 1) api.hInit(0, w0.data(), tapsLen, hist.data(), step, leak, errDly, &st);
            else api.hInitMr(0, w0.data(), tapsLen, nullptr, step, leak, errDly, factor, phase, &st);
            EXPECT_EQ(st.tapState.isMultiRate, factor - 1);
            Reference ref = referenceFor(w0, step, leak, errDly, isCx<D>);
            for (const D& v : hist) ref.history.push_back(asLC(v));
            const auto in = randomVector<D>(iters * factor, 33), des = randomVector<W>(iters, 34);
            std::vector<W> out(iters);
            if (factor > 1) api.bdes(&st, in.data(), des.data(), out.data(), iters);
            LC err = 0;
            for (int n = 0; n < iters; ++n) {
                if (factor == 1) out[n] = api.des(&st, in[n], des[n]);
                std::vector<LC> chunk;
                for (int j = 0; j < factor; ++j) chunk.push_back(asLC(in[n * factor + j]));
                const LC want = ref.block(chunk, err, factor, phase);
                ASSERT_TRUE(near(asLC(out[n]), want, api.tol)) << n;
                err = asLC(des[n]) - asLC(out[n]);
                if (factor == 1) EXPECT_TRUE(near(asLC(api.hGetErr(&st)), err, api.tol));
            }
            EXPECT_TRUE(near(asLC(api.hGetErr(&st)), err, api.tol));
            std::vector<W> taps(tapsLen);
            api.hGetTaps(&st, taps.data());
            expectTaps(taps, ref, api.tol);
            vokLmsFree(&st);
        }
    });
}

// Identify an unknown FIR system from its input and output: the taps go to
// the system's impulse response. With no step, a leak shrinks the taps in the
// desired forms only.
TEST(LmsAdapt, ConvergesToTheUnknownSystemAndLeaksOnlyWithDesired) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        const int tapsLen = 6, n = 3000;
        const auto h = randomVector<W>(tapsLen, 61, 0.8);
        const auto x = randomVector<D>(n, 62);
        std::vector<W> desired(n), out(n), w(tapsLen);
        for (int i = 0; i < n; ++i) {
            LC sum = 0;
            for (int k = 0; k < tapsLen && k <= i; ++k) sum += asLC(h[k]) * asLC(x[i - k]);
            desired[i] = fromLC<W>(sum);
        }
        LmsState st, a, b;
        api.hInit(0, nullptr, tapsLen, nullptr, 0.1f, 0.0f, 0, &st);
        api.bdes(&st, x.data(), desired.data(), out.data(), n);
        api.hGetTaps(&st, w.data());
        for (int k = 0; k < tapsLen; ++k) EXPECT_TRUE(near(asLC(w[k]), asLC(h[k]), 1e-4)) << "tap " << k;
        EXPECT_LT(double(std::abs(asLC(api.hGetErr(&st)))), 1e-4);

        const std::vector<W> w0(3, fromLC<W>(LC(1, 0.5L)));
        api.hInit(0, w0.data(), 3, nullptr, 0.0f, 0.1f, 0, &a);
        api.hInit(0, w0.data(), 3, nullptr, 0.0f, 0.1f, 0, &b);
        for (int i = 0; i < 4; ++i) {
            api.des(&a, x[i], fromLC<W>(LC(3)));
            api.lms(&b, x[i], fromLC<W>(LC(3)));
        }
        api.hGetTaps(&a, w.data());
        api.hGetTaps(&b, out.data());
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(near(asLC(w[i]), asLC(w0[0]) * std::pow(0.9L, 4), 1e-6));
            EXPECT_TRUE(sameBits(out[i], w0[i]));
        }
        for (LmsState* s : {&st, &a, &b}) vokLmsFree(s);
    });
}

TEST(LmsAdapt, NegativeStepAdaptsOnlyTheSingleSampleFloatFilter) {
    auto run = [](auto init, auto initDlyl, auto filter, auto x) {
        using T = decltype(x);
        T taps[2] = {T(1), T(2)}, dlyl[2] = {T(0.5), T(0.25)};
        LmsTapState tap;
        LmsDlyState dly;
        init(0, taps, 2, -0.5f, 0.0f, 0, &tap);
        initDlyl(&tap, dlyl, 1, &dly);
        filter(&tap, &dly, x);
        return std::vector<double>{double(taps[0]), double(taps[1])};
    };
    // w += step * e * x: 1 - 0.5*0.5, 2 - 0.5*0.25
    auto one = [](auto lmsl) { return [lmsl](auto* t, auto* d, auto x) { lmsl(t, d, x, decltype(x)(1)); }; };
    EXPECT_EQ(run(voksLmslInit, voksLmslInitDlyl, one(voksLmsl), 1.0f), (std::vector<double>{0.75, 1.875}));
    EXPECT_EQ(run(vokdLmslInit, vokdLmslInitDlyl, one(vokdLmsl), 1.0), (std::vector<double>{1, 2}));
    auto block = [](LmsTapState* t, LmsDlyState* d, float x) { voksbLmsl(t, d, &x, 1.0f); };
    EXPECT_EQ(run(voksLmslInit, voksLmslInitDlyl, block, 1.0f), (std::vector<double>{1, 2}));
}

TEST(LmsAdapt, ErrorDelayUsesTheVectorOfThreeSamplesBack) {
    // One tap, errDly 2: the delay line holds 3 samples and the update reads the oldest.
    float taps[1] = {0}, dlyl[3] = {0, 0, 0};
    LmsTapState tap;
    LmsDlyState dly;
    voksLmslInit(0, taps, 1, 1.0f, 0.0f, 2, &tap);
    voksLmslInitDlyl(&tap, dlyl, 1, &dly);
    ASSERT_EQ(dly.len, 3);
    for (float x : {5.0f, 6.0f, 7.0f}) voksLmsl(&tap, &dly, x, 0.0f);
    EXPECT_EQ(taps[0], 0.0f);
    const float y = voksLmsl(&tap, &dly, 8.0f, 2.0f);  // the error of output 0, whose input was 5
    EXPECT_EQ(taps[0], 10.0f);
    EXPECT_EQ(y, 80.0f);
}

// 16-bit samples: float taps adapted in double and rounded, outputs rounded
// half to even and saturated.
TEST(LmsAdapt, ShortFilterMatchesDoubleReferenceAndSaturates) {
    std::vector<float> taps = {0.25f, -0.5f, 0.125f, 0.75f};
    std::vector<short> dlyl(4 + 1, 0);
    LmsTapState tap;
    LmsDlyState dly;
    vokwLmslInit(3, taps.data(), 4, 1e-8f, 1, &tap);
    EXPECT_EQ(tap.leak, 0.0f);
    vokwLmslInitDlyl(&tap, dlyl.data(), &dly);
    EXPECT_EQ(dly.isAdapt, 1);
    EXPECT_EQ(dly.len, 5);
    std::vector<double> w(taps.begin(), taps.end());
    std::vector<double> hist(8, 0.0);  // newest last
    int saturated = 0;
    std::mt19937 gen(81);
    std::uniform_int_distribution<int> sample(-12000, 12000);
    for (int n = 0; n < 50; ++n) {
        const short s = short(sample(gen)), e = short(sample(gen));
        for (int i = 0; i < 4; ++i) w[i] = float(w[i] + double(e) * double(1e-8f) * hist[hist.size() - 1 - (i + 1)]);
        hist.push_back(s);
        double y = 0;
        for (int i = 0; i < 4; ++i) y += w[i] * hist[hist.size() - 1 - i];
        const double r = std::min(32767.0, std::max(-32768.0, std::nearbyint(y)));
        EXPECT_EQ(vokwLmsl(&tap, &dly, s, e), short(r)) << "sample " << n;
        saturated += r != std::nearbyint(y);
    }
    for (int i = 0; i < 4; ++i) EXPECT_EQ(taps[i], float(w[i]));
    EXPECT_GT(saturated, 0);  // the walk reached the clamp on the way

    float half[1] = {0.5f};
    short line[1] = {0};
    vokwLmslInit(0, half, 1, 0.0f, 0, &tap);
    vokwLmslInitDlyl(&tap, line, &dly);
    const short in[] = {1, 3, -5, 20000, -20000, 8191}, want[] = {0, 2, -2, 32767, -32768, 32764};
    for (int i = 0; i < 6; ++i) {
        if (i == 3) half[0] = 4.0f;
        EXPECT_EQ(want[i], vokwLmsl(&tap, &dly, in[i], 0)) << i;
    }
}

}  // namespace
