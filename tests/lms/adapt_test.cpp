// LMS adaptation against a long-double reference written from the update
// equations over the whole input history, for every type combination, error
// delay, leak and decimation, both layers bit for bit; the desired-signal
// forms; the step-sign and leak rules; the 16-bit filter; filtering without
// adaptation; and what the records hold.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "voktest/filter_calls.h"

namespace {

using namespace voktest;

template <class T> std::vector<T> scaled(int n, unsigned seed, long double scale) {
    std::vector<T> v = randomVector<T>(n, seed);
    for (auto& x : v) x = fromLC<T>(asLC(x) * scale);
    return v;
}

// The filter as its definition reads: x(j) the input j samples before the newest, taps w.
struct Reference {
    std::vector<LC> w, history;  // history oldest first
    int errDly = 0;
    long double step = 0, leak = 0;
    bool complexData = false;

    LC x(int j) const {
        const long long at = (long long)history.size() - 1 - j;
        return at >= 0 ? history[std::size_t(at)] : LC(0);
    }
    // A block of 'factor' inputs: the update with the vector whose newest
    // sample is aligned with input 'phase' (errDly further back), then the output.
    LC block(const std::vector<LC>& in, LC err, int factor = 1, int phase = 0) {
        const int first = factor - 1 - phase;
        for (std::size_t i = 0; i < w.size(); ++i) {
            const LC xi = x(first + int(i) + errDly);
            w[i] = (1.0L - leak) * w[i] + step * err * (complexData ? std::conj(xi) : xi);
        }
        history.insert(history.end(), in.begin(), in.end());
        LC y = 0;
        for (std::size_t i = 0; i < w.size(); ++i) y += w[i] * x(first + int(i));
        return y;
    }
};

template <class W> Reference referenceFor(const std::vector<W>& w, float step, float leak, int errDly, bool cx) {
    Reference ref{{}, {}, errDly, step, leak, cx};
    for (const W& v : w) ref.w.push_back(asLC(v));
    return ref;
}

template <class T> ::testing::AssertionResult near(const T& got, LC want, double scale = 1.0) {
    const double err = double(std::abs(asLC(got) - want)), tol = isDouble<T> ? 1e-12 : 2e-5;
    if (err <= tol * (scale + double(std::abs(want)))) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << double(asLC(got).real()) << ", " << double(asLC(got).imag())
                                         << " want " << double(want.real()) << ", " << double(want.imag());
}

// Factor 0 runs the one-sample forms; otherwise the block forms decimate by it.
TEST(LmsAdapt, BothLayersMatchTheReference) {
    forEachFilter<true>([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        struct Case {
            int tapsLen, errDly;
            float leak;
            int decimation, phase;
        };
        for (auto [tapsLen, errDly, leak, decimation, phase] :
             {Case{1, 0, 0, 0, 0}, Case{2, 0, 0, 0, 0}, Case{5, 2, 0, 0, 0}, Case{8, 0, 0.01f, 0, 0},
              Case{3, 4, 0.05f, 0, 0}, Case{1, 1, 0.02f, 0, 0}, Case{4, 0, 0.01f, 1, 0}, Case{4, 0, 0.01f, 2, 1},
              Case{3, 2, 0.01f, 3, 0}, Case{6, 1, 0.01f, 3, 2}, Case{1, 0, 0.01f, 4, 3}}) {
            SCOPED_TRACE(testing::Message() << "L=" << tapsLen << " k=" << errDly << " D=" << decimation);
            const float step = 0.125f;
            const int factor = std::max(decimation, 1), blocks = 30;
            const auto w0 = scaled<W>(tapsLen, 3u + unsigned(tapsLen), 0.5);
            std::vector<W> taps(w0);
            std::vector<D> dlyl(std::size_t(tapsLen + errDly + (factor > 1 ? factor : 0)));
            LmsTapState tap;
            LmsDlyState dly;
            LmsState high;
            api.mInitMr(7, taps.data(), tapsLen, step, leak, errDly, factor, phase, &tap);
            api.mInitDlyl(&tap, dlyl.data(), 1, &dly);
            EXPECT_EQ(std::size_t(dly.len), dlyl.size());
            if (factor == 1) api.lmsInit(0, w0.data(), tapsLen, nullptr, step, leak, errDly, &high);
            else api.lmsInitMr(0, w0.data(), tapsLen, nullptr, step, leak, errDly, factor, phase, &high);
            Reference ref = referenceFor(w0, step, leak, errDly, isCx<D>);
            const auto in = randomVector<D>(blocks * factor, 11);
            const auto errs = scaled<W>(blocks, 12, 0.5);
            for (int b = 0; b < blocks; ++b) {
                const D* x = in.data() + b * factor;
                const W y = decimation ? api.blmsl(&tap, &dly, x, errs[b]) : api.lmsl(&tap, &dly, *x, errs[b]);
                const W yHigh = decimation ? api.blms(&high, x, errs[b]) : api.lms(&high, *x, errs[b]);
                std::vector<LC> chunk;
                for (int j = 0; j < factor; ++j) chunk.push_back(asLC(x[j]));
                ASSERT_TRUE(near(y, ref.block(chunk, asLC(errs[b]), factor, phase))) << b;
                ASSERT_TRUE(sameBits(y, yHigh)) << b;  // the high layer runs the low-layer steps
            }
            std::vector<W> highTaps(w0.size());
            api.sGetTaps(&high, highTaps.data());
            for (std::size_t i = 0; i < taps.size(); ++i) {
                EXPECT_TRUE(near(taps[i], ref.w[i])) << "tap " << i;
                EXPECT_TRUE(sameBits(taps[i], highTaps[i])) << "tap " << i;
            }
            vokLmsFree(&high);
        }
    });
}

// The desired-signal forms keep their own error: one sample at a time from a
// given history, and decimating blocks whose outputs align with the phase input.
TEST(LmsAdapt, DesiredFormsMatchTheReference) {
    forEachFilter<true>([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        for (int factor : {1, 2}) {
            const int tapsLen = factor == 1 ? 5 : 3, errDly = 2 - factor, phase = factor - 1, iters = 30;
            const float step = 0.05f, leak = factor == 1 ? 0.02f : 0.0f;
            const auto w0 = scaled<W>(tapsLen, 31, 0.5);
            const auto hist = randomVector<D>(factor == 1 ? tapsLen + errDly - 1 : 0, 32);
            LmsState st;
            if (factor == 1) api.lmsInit(0, w0.data(), tapsLen, hist.data(), step, leak, errDly, &st);
            else api.lmsInitMr(0, w0.data(), tapsLen, nullptr, step, leak, errDly, factor, phase, &st);
            EXPECT_EQ(st.tapState.isMultiRate, factor - 1);
            Reference ref = referenceFor(w0, step, leak, errDly, isCx<D>);
            for (const D& v : hist) ref.history.push_back(asLC(v));
            const auto in = randomVector<D>(iters * factor, 33);
            const auto des = randomVector<W>(iters, 34);
            std::vector<W> out(iters), taps(w0.size());
            if (factor > 1) api.bdes(&st, in.data(), des.data(), out.data(), iters);
            LC err = 0;
            for (int n = 0; n < iters; ++n) {
                if (factor == 1) out[n] = api.des(&st, in[n], des[n]);
                std::vector<LC> chunk;
                for (int j = 0; j < factor; ++j) chunk.push_back(asLC(in[n * factor + j]));
                ASSERT_TRUE(near(out[n], ref.block(chunk, err, factor, phase))) << n;
                err = asLC(des[n]) - asLC(out[n]);
                if (factor == 1) EXPECT_TRUE(near(api.sGetErr(&st), err));
            }
            EXPECT_TRUE(near(api.sGetErr(&st), err));
            api.sGetTaps(&st, taps.data());
            for (std::size_t i = 0; i < taps.size(); ++i) EXPECT_TRUE(near(taps[i], ref.w[i])) << "tap " << i;
            vokLmsFree(&st);
        }
    });
}

// Identify an unknown FIR system from its input and output: the taps go to
// the system's impulse response. With no step, a leak shrinks the taps in the
// desired forms only.
TEST(LmsAdapt, ConvergesToTheUnknownSystemAndLeaksOnlyWithDesired) {
    forEachFilter<true>([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        const int tapsLen = 6, n = 3000;
        const auto h = scaled<W>(tapsLen, 61, 0.8);
        const auto x = randomVector<D>(n, 62);
        std::vector<W> desired(n), out(n), w(tapsLen);
        for (int i = 0; i < n; ++i) {
            LC sum = 0;
            for (int k = 0; k < tapsLen && k <= i; ++k) sum += asLC(h[k]) * asLC(x[i - k]);
            desired[i] = fromLC<W>(sum);
        }
        LmsState st, a, b;
        api.lmsInit(0, nullptr, tapsLen, nullptr, 0.1f, 0.0f, 0, &st);
        api.bdes(&st, x.data(), desired.data(), out.data(), n);
        api.sGetTaps(&st, w.data());
        for (int k = 0; k < tapsLen; ++k) EXPECT_LT(double(std::abs(asLC(w[k]) - asLC(h[k]))), 1e-4) << "tap " << k;
        EXPECT_LT(double(std::abs(asLC(api.sGetErr(&st)))), 1e-4);
        const std::vector<W> w0(3, fromLC<W>(LC(1, 0.5L)));
        api.lmsInit(0, w0.data(), 3, nullptr, 0.0f, 0.1f, 0, &a);
        api.lmsInit(0, w0.data(), 3, nullptr, 0.0f, 0.1f, 0, &b);
        for (int i = 0; i < 4; ++i) {
            api.des(&a, x[i], fromLC<W>(LC(3)));
            api.lms(&b, x[i], fromLC<W>(LC(3)));
        }
        api.sGetTaps(&a, w.data());
        api.sGetTaps(&b, out.data());
        for (int i = 0; i < 3; ++i) {
            EXPECT_LT(double(std::abs(asLC(w[i]) - asLC(w0[0]) * std::pow(0.9L, 4))), 1e-6);  // a float leak
            EXPECT_TRUE(sameBits(out[i], w0[i]));
        }
        for (LmsState* s : {&st, &a, &b}) vokLmsFree(s);
    });
}

// A negative step adapts only the one-sample float filter (w += step * e * x:
// 1 - 0.5 * 0.5, 2 - 0.5 * 0.25). With error delay 2 the update reads the
// input three samples back: the error of output 0, whose input was 5.
TEST(LmsAdapt, StepSignAndErrorDelay) {
    float fTaps[3][2] = {{1, 2}, {1, 2}}, fLine[3][3] = {{0.5f, 0.25f}, {0.5f, 0.25f}}, x = 1;
    double dTaps[2] = {1, 2}, dLine[2] = {0.5, 0.25};
    LmsTapState tap[4];
    LmsDlyState dly[4];
    voksLmslInit(0, fTaps[0], 2, -0.5f, 0.0f, 0, &tap[0]);
    voksLmslInit(0, fTaps[1], 2, -0.5f, 0.0f, 0, &tap[1]);
    vokdLmslInit(0, dTaps, 2, -0.5f, 0.0f, 0, &tap[2]);
    voksLmslInitDlyl(&tap[0], fLine[0], 1, &dly[0]);
    voksLmslInitDlyl(&tap[1], fLine[1], 1, &dly[1]);
    vokdLmslInitDlyl(&tap[2], dLine, 1, &dly[2]);
    voksLmsl(&tap[0], &dly[0], 1.0f, 1.0f);
    voksbLmsl(&tap[1], &dly[1], &x, 1.0f);
    vokdLmsl(&tap[2], &dly[2], 1.0, 1.0);
    EXPECT_EQ((std::vector<double>{0.75, 1.875, 1, 2, 1, 2}),
              (std::vector<double>{fTaps[0][0], fTaps[0][1], fTaps[1][0], fTaps[1][1], dTaps[0], dTaps[1]}));
    voksLmslInit(0, fTaps[2], 1, 1.0f, 0.0f, 2, &tap[3]);
    voksLmslInitDlyl(&tap[3], fLine[2], 1, &dly[3]);
    ASSERT_EQ(dly[3].len, 3);
    for (float v : {5.0f, 6.0f, 7.0f}) voksLmsl(&tap[3], &dly[3], v, 0.0f);
    EXPECT_EQ(fTaps[2][0], 0.0f);
    EXPECT_EQ(voksLmsl(&tap[3], &dly[3], 8.0f, 2.0f), 80.0f);
    EXPECT_EQ(fTaps[2][0], 10.0f);
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
    EXPECT_EQ((std::vector<int>{1, 5}), (std::vector<int>{dly.isAdapt, dly.len}));
    std::vector<double> w(taps.begin(), taps.end()), hist(8, 0.0);  // newest last
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

// One sample at a time (error delay 2) and in blocks of every length cut into
// calls, single rate and decimating: the FIR over the history (slots newest
// first), the block forms bit for bit the one-sample ones and their own split
// calls, no taps adapted, the same delay lines at the end.
TEST(LmsFiltering, IsTheFirOverTheHistory) {
    forEachFilter([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using O = typename A::O;
        struct Na {
            std::vector<typename A::W> taps;
            std::vector<D> slots;
            LmsTapState tap;
            LmsDlyState dly;
            // The FIR output whose newest input is 'newest' of the history then 'in'.
            Reference ref(const std::vector<D>& in) const {
                Reference r = referenceFor(taps, 0, 0, 0, false);
                for (std::size_t k = slots.size(); k-- > 0;) r.history.push_back(asLC(slots[k]));
                for (const D& v : in) r.history.push_back(asLC(v));
                return r;
            }
        };
        auto make = [&](int tapsLen, int errDly, int factor, int phase) {
            Na f{randomVector<typename A::W>(tapsLen, 201),
                 randomVector<D>(tapsLen + errDly + (factor > 1 ? factor : 0), 202)};
            api.mInitMr(0, f.taps.data(), tapsLen, 0.5f, 0.25f, errDly, factor, phase, &f.tap);
            api.mInitDlyl(&f.tap, f.slots.data(), 1, &f.dly);
            return f;
        };
        auto want = [](const Reference& r, long long newest) {
            std::pair<LC, long double> y{0, 0};
            for (std::size_t k = 0; k < r.w.size(); ++k) {
                y.first += r.w[k] * r.history[std::size_t(newest - (long long)k)];
                y.second += std::abs(r.w[k] * r.history[std::size_t(newest - (long long)k)]);
            }
            return y;
        };
        Na f = make(5, 2, 1, 0);
        const auto tapsBefore = f.taps;
        const auto in = randomVector<D>(20, 203);
        const Reference r = f.ref(in);
        for (int n = 0; n < 20; ++n) {
            const auto [y, mag] = want(r, 7 + n);
            ASSERT_TRUE(closeTo(api.na(&f.tap, &f.dly, in[n]), y, mag)) << n;
        }
        EXPECT_EQ(0, std::memcmp(f.taps.data(), tapsBefore.data(), sizeof(f.taps[0]) * 5));
        const std::array<int, 4> cases[] = {{7, 1, 0, 1}, {7, 1, 0, 3}, {7, 1, 0, 7}, {7, 1, 0, 40},
                                            {5, 3, 1, 6}, {2, 4, 3, 6}, {9, 2, 0, 6}};
        for (auto [tapsLen, factor, phase, blockLen] : cases) {
            SCOPED_TRACE(testing::Message() << tapsLen << " " << factor << " " << phase << " " << blockLen);
            Na a = make(tapsLen, 1, factor, phase), b = make(tapsLen, 1, factor, phase);
            const auto x = randomVector<D>(3 * blockLen * factor, 213);
            const Reference ra = a.ref(x);
            std::vector<O> whole(3 * blockLen), split(3 * blockLen);
            api.bna(&a.tap, &a.dly, x.data(), whole.data(), 3 * blockLen);
            for (int c = 0; c < 3; ++c)
                api.bna(&b.tap, &b.dly, x.data() + c * blockLen * factor, split.data() + c * blockLen, blockLen);
            for (int m = 0; m < 3 * blockLen; ++m) {
                const auto [y, mag] = want(ra, (long long)a.slots.size() + phase + (long long)m * factor);
                EXPECT_TRUE(closeTo(whole[m], y, mag)) << m;
                EXPECT_TRUE(sameBits(whole[m], split[m])) << m;
            }
            if (factor > 1) continue;
            Na one = make(tapsLen, 1, 1, 0);
            for (int n = 0; n < 3 * blockLen; ++n)
                ASSERT_TRUE(sameBits(whole[n], api.na(&one.tap, &one.dly, x[n]))) << n;
            EXPECT_EQ(0, std::memcmp(a.slots.data(), one.slots.data(), sizeof(D) * a.slots.size()));
        }
    });
}

// ---- the records ----

std::vector<int> fields(const LmsTapState& t) {
    return {t.len,         t.upFactor,     t.upPhase, t.downFactor, t.downPhase,
            t.isMultiRate, t.isFilterMode, t.errDly,  t.lmsType};
}

TEST(LmsRecords, WordLayout) {
    // pointer, seven words, leak, step, errDly, lmsType
    EXPECT_EQ(offsetof(LmsTapState, len), sizeof(void*));
    EXPECT_EQ(offsetof(LmsTapState, isFilterMode), sizeof(void*) + 6 * sizeof(int));
    EXPECT_EQ(offsetof(LmsTapState, leak), sizeof(void*) + 7 * sizeof(int));
    EXPECT_EQ(offsetof(LmsTapState, lmsType), sizeof(void*) + 10 * sizeof(int));
    EXPECT_EQ(offsetof(LmsDlyState, isAdapt), sizeof(void*) + 2 * sizeof(int));
    EXPECT_EQ(offsetof(LmsState, tapState), 0u);
    EXPECT_GE(offsetof(LmsState, dlyState), sizeof(LmsTapState));
    EXPECT_GE(offsetof(LmsState, errVal), offsetof(LmsState, dlyState) + sizeof(LmsDlyState));
    if (sizeof(void*) == 4)
        EXPECT_EQ((std::vector<std::size_t>{48, 16, 64}),
                  (std::vector<std::size_t>{sizeof(LmsTapState), sizeof(LmsDlyState), offsetof(LmsState, errVal)}));
}

// Initialisation of both layers, delay-line lengths (the taps, errDly more
// when adapting, D more when decimating) and their chronological view one
// short of the slots, taps ownership and filter mode, step, leak and error.
TEST(LmsRecords, InitialisationAndAccessFunctions) {
    forEachFilter([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        auto taps = randomVector<W>(5, 111);
        const auto original = taps, other = randomVector<W>(5, 112);
        LmsTapState tap;
        std::memset(&tap, 0x5A, sizeof tap);
        api.mInit(9, taps.data(), 5, 0.25f, 0.5f, 2, &tap);
        EXPECT_EQ(tap.taps, static_cast<void*>(taps.data()));
        EXPECT_EQ((std::vector<int>{5, 1, 0, 1, 0, 0, 1, 2, 9}), fields(tap));
        EXPECT_TRUE(tap.leak == 0.5f && tap.step == 0.25f);
        std::vector<D> slots(16);
        LmsDlyState dly;
        for (auto [factor, adapt, len] : std::vector<std::array<int, 3>>{{1, 0, 5}, {3, 1, 10}, {3, 0, 8}, {1, 1, 7}}) {
            api.mInitMr(9, taps.data(), 5, 0.25f, 0.5f, 2, factor, factor - 1, &tap);
            EXPECT_EQ((std::vector<int>{5, 1, 0, factor, factor - 1, factor > 1, 1, 2, 9}), fields(tap));
            api.mInitDlyl(&tap, slots.data(), adapt, &dly);
            EXPECT_EQ(dly.dlyl, static_cast<void*>(slots.data()));
            EXPECT_EQ((std::vector<int>{len, 1, adapt}), (std::vector<int>{dly.len, dly.isFilterMode, dly.isAdapt}));
        }
        const auto view = randomVector<D>(6, 101);
        const D top = fromLC<D>(LC(42, 1));
        slots[6] = top;
        api.mSetDlyl(&tap, view.data(), &dly);
        for (int k = 0; k < 6; ++k) EXPECT_TRUE(sameBits(slots[std::size_t(k)], view[std::size_t(5 - k)])) << k;
        EXPECT_TRUE(sameBits(slots[6], top));
        std::vector<D> back(6);
        api.mGetDlyl(&tap, &dly, back.data());
        EXPECT_EQ(0, std::memcmp(back.data(), view.data(), sizeof(D) * 6));
        EXPECT_EQ(dly.isFilterMode, 0);
        api.mSetDlyl(&tap, nullptr, &dly);  // silence: every slot
        for (int k = 0; k < 7; ++k) EXPECT_TRUE(sameBits(slots[std::size_t(k)], D{}));
        EXPECT_EQ(dly.isFilterMode, 1);
        // Taps: a separate array is a copy; the own array hands ownership back.
        std::vector<W> out(5);
        EXPECT_EQ(api.mGetTaps(&tap, out.data()), 0);
        EXPECT_EQ(0, std::memcmp(out.data(), original.data(), sizeof(W) * 5));
        EXPECT_EQ(tap.isFilterMode, 0);
        EXPECT_EQ(api.mGetTaps(&tap, taps.data()), 0);
        EXPECT_EQ(tap.isFilterMode, 0);
        api.mSetTaps(taps.data(), &tap);
        EXPECT_EQ(tap.isFilterMode, 1);
        EXPECT_EQ(0, std::memcmp(taps.data(), original.data(), sizeof(W) * 5));
        api.mSetTaps(other.data(), &tap);
        EXPECT_EQ(0, std::memcmp(taps.data(), other.data(), sizeof(W) * 5));
        api.mSetTaps(nullptr, &tap);
        for (const W& w : taps) EXPECT_TRUE(sameBits(w, W{}));
        if constexpr (requires { api.lms; }) {
            // The high layer owns copies.
            LmsState st;
            std::memset(&st, 0x77, sizeof st);
            api.lmsInit(4, original.data(), 3, view.data(), 0.5f, 0.25f, 1, &st);  // 3 + 1 - 1 visible samples
            EXPECT_NE(st.tapState.taps, static_cast<const void*>(original.data()));
            EXPECT_EQ((std::vector<int>{3, 1, 0, 1, 0, 0, 1, 1, 4}), fields(st.tapState));
            EXPECT_EQ((std::vector<int>{4, 1, 1}),
                      (std::vector<int>{st.dlyState.len, st.dlyState.isFilterMode, st.dlyState.isAdapt}));
            EXPECT_TRUE(sameBits(api.sGetErr(&st), W{}));
            const W e = fromLC<W>(LC(0.5, -2));
            api.sSetErr(e, &st);
            EXPECT_TRUE(sameBits(api.sGetErr(&st), e));
            api.sGetTaps(&st, out.data());
            api.sGetDlyl(&st, back.data());
            EXPECT_EQ(0, std::memcmp(out.data(), original.data(), sizeof(W) * 3));
            EXPECT_EQ(0, std::memcmp(back.data(), view.data(), sizeof(D) * 3));
            api.sSetTaps(nullptr, &st);
            api.sSetDlyl(nullptr, &st);
            api.sGetTaps(&st, out.data());
            api.sGetDlyl(&st, back.data());
            for (int i = 0; i < 3; ++i) EXPECT_TRUE(sameBits(out[i], W{}) && sameBits(back[i], D{}));
            vokLmsFree(&st);
            EXPECT_TRUE(st.tapState.taps == nullptr && st.dlyState.dlyl == nullptr);
        }
    });
}

// The step and leak accessors of both layers share the taps record; the
// 16-bit records as the float ones.
TEST(LmsRecords, StepLeakAndShortRecords) {
    float w[3] = {};
    LmsState st;
    voksLmsInit(0, w, 3, nullptr, 0.5f, 0.25f, 0, &st);
    EXPECT_EQ((std::vector<float>{0.5f, 0.25f}), (std::vector<float>{voksLmsGetStep(&st), voksLmsGetLeak(&st)}));
    voksLmsSetStep(0.125f, &st);
    voksLmsSetLeak(0.0625f, &st);
    EXPECT_EQ((std::vector<float>{0.125f, 0.0625f, 0.125f, 0.125f, 0.0625f}),
              (std::vector<float>{st.tapState.step, st.tapState.leak, voksLmslGetStep(&st.tapState),
                                  vokwLmslGetStep(&st.tapState), voksLmslGetLeak(&st.tapState)}));
    vokLmsFree(&st);
    float taps[3] = {1, 2, 3}, out[3];
    short slots[5] = {0, 0, 0, 0, 99};
    LmsTapState tap;
    LmsDlyState dly;
    vokwLmslInit(5, taps, 3, 0.5f, 2, &tap);
    EXPECT_EQ((std::vector<int>{3, 1, 0, 1, 0, 0, 1, 2, 5}), fields(tap));
    vokwLmslInitDlyl(&tap, slots, &dly);
    ASSERT_EQ(dly.len, 5);
    const short view[4] = {-4, 3, -2, 1};
    vokwLmslSetDlyl(&tap, view, &dly);
    EXPECT_EQ((std::vector<short>{1, -2, 3, -4, 99}), std::vector<short>(slots, slots + 5));
    short back[4];
    vokwLmslGetDlyl(&tap, &dly, back);
    EXPECT_EQ(std::memcmp(back, view, sizeof view), 0);
    EXPECT_EQ(dly.isFilterMode, 0);
    EXPECT_EQ(vokwLmslGetTaps(&tap, out), 0);
    EXPECT_EQ(out[2], 3.0f);
    EXPECT_EQ(tap.isFilterMode, 0);
    const float fresh[3] = {7, 8, 9};
    vokwLmslSetTaps(fresh, &tap);
    EXPECT_EQ(taps[1], 8.0f);
    EXPECT_EQ(tap.isFilterMode, 1);
    vokwLmslSetStep(0.25f, &tap);
    voksLmslSetLeak(0.125f, &tap);
    EXPECT_EQ((std::vector<float>{0.25f, 0.125f}), (std::vector<float>{voksLmslGetStep(&tap), tap.leak}));
}

}  // namespace
