// LMS adaptation against the long-double reference for every type
// combination, error delay, leak and decimation; the step-sign rules; the two
// layers against each other; convergence on a system identification problem;
// and the 16-bit filter.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "lms_support.h"
#include "support/reports.h"

namespace {

using namespace lmstest;

// A low-layer filter over arrays the test owns; the delay line starts as
// zeros with the given chronological history in the caller's view.
template <class A>
struct LowFilter {
    using D = typename A::D;
    using W = typename A::W;
    std::vector<W> taps;
    std::vector<D> dlyl;
    LmsTapState tap{};
    LmsDlyState dly{};

    LowFilter(const A& api, const std::vector<W>& w, float step, float leak, int errDly, int factor = 1,
              int phase = 0)
        : taps(w), dlyl(w.size() + size_t(errDly) + (factor > 1 ? size_t(factor) : 0u)) {
        if (factor == 1) api.init(7, taps.data(), int(taps.size()), step, leak, errDly, &tap);
        else api.initMr(7, taps.data(), int(taps.size()), step, leak, errDly, factor, phase, &tap);
        std::memset(static_cast<void*>(dlyl.data()), 0, sizeof(D) * dlyl.size());
        api.initDlyl(&tap, dlyl.data(), 1, &dly);
    }
};

template <class W>
Reference referenceFor(const std::vector<W>& w, float step, float leak, int errDly, bool complexData) {
    Reference ref;
    for (const W& v : w) ref.w.push_back(asLC(v));
    ref.errDly = errDly;
    ref.step = step;
    ref.leak = leak;
    ref.complexData = complexData;
    return ref;
}

template <class W>
void expectTaps(const std::vector<W>& got, const Reference& ref, double tol) {
    for (size_t i = 0; i < got.size(); ++i) EXPECT_TRUE(near(asLC(got[i]), ref.w[i], tol)) << "tap " << i;
}

TEST(LmsAdapt, SingleSampleMatchesReference) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        for (auto [tapsLen, errDly, leak] : std::vector<std::tuple<int, int, float>>{
                 {1, 0, 0.0f}, {2, 0, 0.0f}, {5, 2, 0.0f}, {8, 0, 0.01f}, {3, 4, 0.05f}, {1, 1, 0.02f}}) {
            SCOPED_TRACE(testing::Message() << "L=" << tapsLen << " k=" << errDly << " leak=" << leak);
            const float step = 0.125f;
            LowFilter f(api, randomVector<W>(tapsLen, 3u + unsigned(tapsLen), 0.5), step, leak, errDly);
            Reference ref = referenceFor(f.taps, step, leak, errDly, isCx<D>);
            const auto in = randomVector<D>(40, 11), errs = randomVector<W>(40, 12, 0.5);
            for (int n = 0; n < 40; ++n) {
                const W y = api.lmsl(&f.tap, &f.dly, in[n], errs[n]);
                ASSERT_TRUE(near(asLC(y), ref.one(asLC(in[n]), asLC(errs[n]), true), api.tol)) << "sample " << n;
            }
            expectTaps(f.taps, ref, api.tol);
        }
    });
}

TEST(LmsAdapt, DecimatingBlockMatchesReference) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        for (auto [tapsLen, errDly, factor, phase] : std::vector<std::array<int, 4>>{
                 {4, 0, 1, 0}, {4, 0, 2, 1}, {3, 2, 3, 0}, {6, 1, 3, 2}, {1, 0, 4, 3}}) {
            SCOPED_TRACE(testing::Message() << "L=" << tapsLen << " k=" << errDly << " D=" << factor << " P=" << phase);
            const float step = 0.1f, leak = 0.01f;
            LowFilter f(api, randomVector<W>(tapsLen, 5, 0.5), step, leak, errDly, factor, phase);
            EXPECT_EQ(f.dly.len, tapsLen + errDly + (factor > 1 ? factor : 0));
            Reference ref = referenceFor(f.taps, step, leak, errDly, isCx<D>);
            const int blocks = 25;
            const auto in = randomVector<D>(blocks * factor, 21), errs = randomVector<W>(blocks, 22, 0.5);
            for (int b = 0; b < blocks; ++b) {
                std::vector<LC> chunk;
                for (int j = 0; j < factor; ++j) chunk.push_back(asLC(in[size_t(b * factor + j)]));
                const W y = api.blmsl(&f.tap, &f.dly, in.data() + b * factor, errs[b]);
                ASSERT_TRUE(near(asLC(y), ref.block(chunk, asLC(errs[b]), factor, phase, true), api.tol))
                    << "block " << b;
            }
            expectTaps(f.taps, ref, api.tol);
        }
    });
}

TEST(LmsAdapt, HighLayerDesiredFormsMatchReference) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        const int tapsLen = 5, errDly = 1;
        const float step = 0.05f, leak = 0.02f;
        const auto w0 = randomVector<W>(tapsLen, 31, 0.5);
        const auto hist = randomVector<D>(tapsLen + errDly - 1, 32);
        LmsState st;
        api.hInit(0, w0.data(), tapsLen, hist.data(), step, leak, errDly, &st);
        Reference ref = referenceFor(w0, step, leak, errDly, isCx<D>);
        for (const D& v : hist) ref.history.push_back(asLC(v));
        const auto in = randomVector<D>(30, 33), des = randomVector<W>(30, 34);
        LC err = 0;
        for (int n = 0; n < 30; ++n) {
            const W y = api.des(&st, in[n], des[n]);
            const LC want = ref.one(asLC(in[n]), err, true);
            ASSERT_TRUE(near(asLC(y), want, api.tol)) << "sample " << n;
            err = asLC(des[n]) - asLC(y);
            EXPECT_TRUE(near(asLC(api.hGetErr(&st)), err, api.tol));
        }
        std::vector<W> taps(tapsLen);
        api.hGetTaps(&st, taps.data());
        expectTaps(taps, ref, api.tol);
        vokLmsFree(&st);
    });
}

TEST(LmsAdapt, BlockDesiredAlignsOutputsWithThePhaseInput) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        const int tapsLen = 3, factor = 2, phase = 1, iters = 12;
        const float step = 0.05f;
        const auto w0 = randomVector<W>(tapsLen, 41, 0.5);
        LmsState st;
        api.hInitMr(0, w0.data(), tapsLen, nullptr, step, 0.0f, 0, factor, phase, &st);
        EXPECT_EQ(st.dlyState.len, tapsLen + factor);
        EXPECT_EQ(st.tapState.isMultiRate, 1);
        Reference ref = referenceFor(w0, step, 0.0f, 0, isCx<D>);
        const auto in = randomVector<D>(iters * factor, 42), des = randomVector<W>(iters, 43);
        std::vector<W> out(iters);
        api.bdes(&st, in.data(), des.data(), out.data(), iters);
        LC err = 0;
        for (int t = 0; t < iters; ++t) {
            const LC want = ref.block({asLC(in[2 * t]), asLC(in[2 * t + 1])}, err, factor, phase, true);
            EXPECT_TRUE(near(asLC(out[t]), want, api.tol)) << "iteration " << t;
            err = asLC(des[t]) - asLC(out[t]);
        }
        EXPECT_TRUE(near(asLC(api.hGetErr(&st)), err, api.tol));
        vokLmsFree(&st);
    });
}

// The high layer runs the low-layer steps on its embedded records: the same
// inputs and errors give the same bits.
TEST(LmsAdapt, HighLayerEqualsLowLayer) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        const int tapsLen = 4, errDly = 2;
        const float step = 0.2f, leak = 0.03f;
        const auto w0 = randomVector<W>(tapsLen, 51, 0.5);
        LowFilter low(api, w0, step, leak, errDly);
        LmsState st;
        api.hInit(0, w0.data(), tapsLen, nullptr, step, leak, errDly, &st);
        const auto in = randomVector<D>(30, 52), des = randomVector<W>(30, 53);
        W err{};
        for (int n = 0; n < 30; ++n) {
            const W yLow = api.lmsl(&low.tap, &low.dly, in[n], err);
            const W yHigh = n % 2 ? api.des(&st, in[n], des[n]) : api.lms(&st, in[n], err);
            ASSERT_TRUE(sameBits(yLow, yHigh)) << "sample " << n;
            err = fromLC<W>(asLC(des[n]) - asLC(yLow));
            if (n % 2 == 0) {
                // keep the high layer's stored error in step for the next desired-form call
                W stored = fromLC<W>(asLC(des[n]) - asLC(yHigh));
                std::memcpy(static_cast<void*>(&st.errVal), &stored, sizeof(W));
            }
        }
        std::vector<W> taps(tapsLen);
        api.hGetTaps(&st, taps.data());
        for (int i = 0; i < tapsLen; ++i) EXPECT_TRUE(sameBits(taps[i], low.taps[i])) << "tap " << i;
        vokLmsFree(&st);

        // the block forms
        LowFilter lowB(api, w0, step, 0.0f, 0, 2, 1);
        api.hInitMr(0, w0.data(), tapsLen, nullptr, step, 0.0f, 0, 2, 1, &st);
        const auto in2 = randomVector<D>(20, 54);
        for (int b = 0; b < 10; ++b) {
            const W e = fromLC<W>(LC(0.1L * b, -0.05L * b));
            ASSERT_TRUE(sameBits(api.blmsl(&lowB.tap, &lowB.dly, in2.data() + 2 * b, e),
                                 api.blms(&st, in2.data() + 2 * b, e)));
        }
        vokLmsFree(&st);
    });
}

// Identify an unknown FIR system from its input and output: the taps go to
// the system's impulse response.
TEST(LmsAdapt, ConvergesToTheUnknownSystem) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        const int tapsLen = 6, n = 3000;
        const auto h = randomVector<W>(tapsLen, 61, 0.8);
        const auto x = randomVector<D>(n, 62);
        std::vector<W> desired(n);
        for (int i = 0; i < n; ++i) {
            LC sum = 0;
            for (int k = 0; k < tapsLen && k <= i; ++k) sum += asLC(h[k]) * asLC(x[i - k]);
            desired[i] = fromLC<W>(sum);
        }
        LmsState st;
        api.hInit(0, nullptr, tapsLen, nullptr, 0.1f, 0.0f, 0, &st);
        std::vector<W> out(n);
        api.bdes(&st, x.data(), desired.data(), out.data(), n);
        std::vector<W> w(tapsLen);
        api.hGetTaps(&st, w.data());
        for (int k = 0; k < tapsLen; ++k) EXPECT_TRUE(near(asLC(w[k]), asLC(h[k]), 1e-4)) << "tap " << k;
        EXPECT_LT(double(std::abs(asLC(api.hGetErr(&st)))), 1e-4);
        vokLmsFree(&st);
    });
}

TEST(LmsAdapt, LeakAloneActsInTheDesiredFormsOnly) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        const std::vector<W> w0(3, fromLC<W>(LC(1, 0.5L)));
        const auto in = randomVector<D>(4, 71);
        LmsState a, b;
        api.hInit(0, w0.data(), 3, nullptr, 0.0f, 0.1f, 0, &a);
        api.hInit(0, w0.data(), 3, nullptr, 0.0f, 0.1f, 0, &b);
        for (int n = 0; n < 4; ++n) {
            api.des(&a, in[n], fromLC<W>(LC(3)));
            api.lms(&b, in[n], fromLC<W>(LC(3)));
        }
        std::vector<W> wa(3), wb(3);
        api.hGetTaps(&a, wa.data());
        api.hGetTaps(&b, wb.data());
        const LC shrunk = asLC(w0[0]) * std::pow(0.9L, 4);
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(near(asLC(wa[i]), shrunk, 1e-6));
            EXPECT_TRUE(sameBits(wb[i], w0[i]));
        }
        vokLmsFree(&a);
        vokLmsFree(&b);
    });
}

TEST(LmsAdapt, NegativeStepAdaptsOnlyTheSingleSampleFloatFilter) {
    auto run = [](auto lmsl, auto init, auto initDlyl, auto x) {
        using T = decltype(x);
        T taps[2] = {T(1), T(2)}, dlyl[2] = {T(0.5), T(0.25)};
        LmsTapState tap;
        LmsDlyState dly;
        init(0, taps, 2, -0.5f, 0.0f, 0, &tap);
        initDlyl(&tap, dlyl, 1, &dly);
        lmsl(&tap, &dly, x, T(1));
        return std::vector<double>{double(taps[0]), double(taps[1])};
    };
    // w += step * e * x: 1 - 0.5*0.5, 2 - 0.5*0.25
    EXPECT_EQ(run(voksLmsl, voksLmslInit, voksLmslInitDlyl, 1.0f), (std::vector<double>{0.75, 1.875}));
    EXPECT_EQ(run(vokdLmsl, vokdLmslInit, vokdLmslInitDlyl, 1.0), (std::vector<double>{1, 2}));
    auto block = [](float x) {
        float taps[2] = {1, 2}, dlyl[2] = {0.5f, 0.25f};
        LmsTapState tap;
        LmsDlyState dly;
        voksLmslInit(0, taps, 2, -0.5f, 0.0f, 0, &tap);
        voksLmslInitDlyl(&tap, dlyl, 1, &dly);
        voksbLmsl(&tap, &dly, &x, 1.0f);
        return std::vector<double>{taps[0], taps[1]};
    };
    EXPECT_EQ(block(1.0f), (std::vector<double>{1, 2}));
}

TEST(LmsAdapt, ErrorDelayUsesTheVectorOfThreeSamplesBack) {
    // One tap, errDly 2: the delay line holds 3 samples and the update reads the oldest.
    float taps[1] = {0};
    float dlyl[3] = {0, 0, 0};
    LmsTapState tap;
    LmsDlyState dly;
    voksLmslInit(0, taps, 1, 1.0f, 0.0f, 2, &tap);
    voksLmslInitDlyl(&tap, dlyl, 1, &dly);
    ASSERT_EQ(dly.len, 3);
    voksLmsl(&tap, &dly, 5.0f, 0.0f);
    voksLmsl(&tap, &dly, 6.0f, 0.0f);
    voksLmsl(&tap, &dly, 7.0f, 0.0f);
    EXPECT_EQ(taps[0], 0.0f);
    // the error goes with output n-1-k = 0, whose input was 5
    const float y = voksLmsl(&tap, &dly, 8.0f, 2.0f);
    EXPECT_EQ(taps[0], 10.0f);
    EXPECT_EQ(y, 80.0f);
}

// ---- 16-bit samples ----

TEST(LmsAdapt, ShortFilterMatchesDoubleReference) {
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
}

TEST(LmsAdapt, ShortFilterRoundsHalfToEvenAndSaturates) {
    float taps[1] = {0.5f};
    short dlyl[1] = {0};
    LmsTapState tap;
    LmsDlyState dly;
    vokwLmslInit(0, taps, 1, 0.0f, 0, &tap);
    vokwLmslInitDlyl(&tap, dlyl, &dly);
    EXPECT_EQ(vokwLmsl(&tap, &dly, 1, 0), 0);
    EXPECT_EQ(vokwLmsl(&tap, &dly, 3, 0), 2);
    EXPECT_EQ(vokwLmsl(&tap, &dly, -5, 0), -2);
    taps[0] = 4.0f;
    EXPECT_EQ(vokwLmsl(&tap, &dly, 20000, 0), 32767);
    EXPECT_EQ(vokwLmsl(&tap, &dly, -20000, 0), -32768);
    EXPECT_EQ(vokwLmsl(&tap, &dly, 8191, 0), 32764);
}

}  // namespace
