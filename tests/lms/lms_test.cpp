// LMS filters of every type combination: values against a long-double reference
// over the whole input history (the forms without adaptation run in the FIR
// streams), what the records hold, every failure report in check order (the
// failed call leaves everything alone), heap failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "filter/lms.h"
#include "voktest/filter_calls.h"

namespace {

using namespace voktest;

constexpr const char *kNull = "Null buffer pointer", *kLen = "Invalid buffer length";
constexpr const char *kErrDly = "Invalid error delay value", *kFactor = "Invalid factor value";

// The filter as its definition reads: x(j) the input j samples before the newest, taps w.
struct Reference {
    std::vector<LC> w, history;  // history oldest first
    int errDly = 0;
    long double step = 0, leak = 0;  // both 0: the taps stay
    bool complexData = false;
    int lineLen = 1 << 30;  // slots of the delay line: older inputs read as zero

    LC x(int j) const {
        if (j >= lineLen) return 0;
        const long long at = (long long)history.size() - 1 - j;
        return at >= 0 ? history[std::size_t(at)] : LC(0);
    }
    // A block of 'factor' inputs: the update with the vector whose newest
    // sample is aligned with input 'phase' (errDly further back), then the output.
    LC block(const std::vector<LC>& in, LC err, int factor, int phase) {
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

template <class T> ::testing::AssertionResult near(const T& got, LC want) {
    const double err = double(std::abs(asLC(got) - want)), tol = isDouble<T> ? 1e-12 : 2e-5;
    if (err <= tol * (1 + double(std::abs(want)))) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << double(asLC(got).real()) << ", " << double(asLC(got).imag())
                                         << " want " << double(want.real()) << ", " << double(want.imag());
}

std::vector<int> fields(const LmsTapState& t) {
    return {t.len, t.upFactor, t.upPhase, t.downFactor, t.downPhase, t.isMultiRate, t.isFilterMode, t.errDly, t.lmsType};
}
std::vector<int> fields(const LmsDlyState& l) { return {l.len, l.isFilterMode, l.isAdapt}; }

// Each row through the low layer (with the error-delay slots, and without
// them: the taps whose input lies past that line only leak), the high layer
// fed the same errors (the same bits) and the desired-signal forms, which make
// their own errors, all from one history. D 0 runs the one-sample forms,
// otherwise the block forms decimate by D. A step that is not positive adapts
// only in voksLmsl and in the desired forms (so a leak alone acts there).
TEST(LmsAdapt, EveryFormMatchesTheReference) {
    forEachFilter<true>([]<class A>(const A& api) {
        using D = typename A::D;
        using W = typename A::W;
        using Case = std::tuple<int, int, float, float, int, int>;  // L, errDly, step, leak, D, phase
        for (auto [tapsLen, errDly, step, leak, decimation, phase] : std::vector<Case>{
                 {1, 0, 0.125f, 0, 0, 0}, {2, 0, 0.125f, 0, 0, 0}, {5, 2, 0.125f, 0, 0, 0}, {8, 0, 0.125f, 0.01f, 0, 0},
                 {3, 4, 0.125f, 0.05f, 0, 0}, {1, 1, -0.25f, 0.02f, 0, 0}, {3, 1, 0, 0.1f, 0, 0},
                 {4, 0, 0.125f, 0.01f, 1, 0}, {4, 0, -0.25f, 0.01f, 1, 0}, {4, 0, 0.125f, 0.01f, 2, 1},
                 {3, 2, 0.125f, 0.01f, 3, 0}, {6, 1, 0.125f, 0.01f, 3, 2}, {1, 0, 0.125f, 0.01f, 4, 3},
                 {5, 2, 0.125f, 0.05f, 1, 0}, {5, 2, 0.125f, 0.05f, 2, 0}}) {
            SCOPED_TRACE(testing::Message() << tapsLen << " " << errDly << " " << step << " " << decimation);
            const int factor = std::max(decimation, 1), blocks = 30;
            const int shortLen = tapsLen + (factor > 1 ? factor : 0), len = shortLen + errDly;
            const auto w0 = randomVector<W>(tapsLen, 3u + unsigned(tapsLen), 0.5);
            const auto hist = randomVector<D>(len - 1, 4);
            const bool adapts = step > 0 || (step < 0 && !decimation && std::is_same_v<W, float>);
            const auto w0L = asLCs(w0), histL = asLCs(hist);
            const std::vector<LC> shortHist(histL.end() - (shortLen - 1), histL.end());
            // The low layer with the error-delay slots, and without them; the desired form's reference.
            struct Low {
                std::vector<W> taps;
                std::vector<D> line;
                Reference ref;
                LmsTapState t;
                LmsDlyState d;
            } lows[2] = {{w0, std::vector<D>(len), {w0L, histL, errDly, adapts ? step : 0, adapts ? leak : 0, isCx<D>}},
                         {w0, std::vector<D>(shortLen),
                          {w0L, shortHist, errDly, adapts ? step : 0, adapts ? leak : 0, isCx<D>, shortLen}}};
            Reference refDes{w0L, histL, errDly, step, leak, isCx<D>};
            LmsState high, des;
            const std::vector<int> want{tapsLen, 1, 0, factor, phase, factor > 1, 1, errDly, 7};
            for (Low& l : lows) {
                if (decimation) api.mInitMr(7, l.taps.data(), tapsLen, step, leak, errDly, factor, phase, &l.t);
                else api.mInit(7, l.taps.data(), tapsLen, step, leak, errDly, &l.t);
                api.mInitDlyl(&l.t, l.line.data(), &l == lows, &l.d);
                api.mSetDlyl(&l.t, hist.data() + (len - l.d.len), &l.d);  // the newest part of the history
                EXPECT_EQ((std::vector<int>{int(l.line.size()), 1, &l == lows}), fields(l.d));
            }
            for (LmsState* s : {&high, &des})
                if (factor == 1) api.lmsInit(7, w0.data(), tapsLen, hist.data(), step, leak, errDly, s);
                else api.lmsInitMr(7, w0.data(), tapsLen, hist.data(), step, leak, errDly, factor, phase, s);
            for (const LmsTapState* t : {&lows[0].t, &high.tapState, &lows[1].t})
                EXPECT_TRUE(fields(*t) == want && t->step == step && t->leak == leak);
            EXPECT_EQ((std::vector<int>{len, 1, 1}), fields(high.dlyState));
            EXPECT_TRUE(sameBits(api.sGetErr(&des), W{}));
            const auto in = randomVector<D>(blocks * factor, 11);
            const auto errs = randomVector<W>(blocks, 12, 0.5), desired = randomVector<W>(blocks, 13);
            std::vector<W> desOut(blocks);
            if (decimation) api.bdes(&des, in.data(), desired.data(), desOut.data(), blocks);
            LC err = 0;
            for (int b = 0; b < blocks; ++b) {
                const D* x = in.data() + b * factor;
                const auto chunk = asLCs(x, std::size_t(factor));
                W y[2];
                for (int i : {0, 1}) {
                    Low& l = lows[i];
                    y[i] = decimation ? api.blmsl(&l.t, &l.d, x, errs[b]) : api.lmsl(&l.t, &l.d, *x, errs[b]);
                    ASSERT_TRUE(near(y[i], l.ref.block(chunk, asLC(errs[b]), factor, phase))) << b << " " << i;
                }
                const W yHigh = decimation ? api.blms(&high, x, errs[b]) : api.lms(&high, *x, errs[b]);
                if (!decimation) desOut[b] = api.des(&des, *x, desired[b]);
                ASSERT_TRUE(sameBits(y[0], yHigh)) << b;  // the high layer runs the low-layer steps
                ASSERT_TRUE(near(desOut[b], refDes.block(chunk, err, factor, phase))) << b;
                err = asLC(desired[b]) - asLC(desOut[b]);
            }
            EXPECT_TRUE(near(api.sGetErr(&des), err));
            std::vector<W> highTaps(w0.size()), desTaps(w0.size());
            std::vector<D> lowView(len), highView(len);
            api.sGetTaps(&high, highTaps.data());
            api.sGetTaps(&des, desTaps.data());
            api.mGetDlyl(&lows[0].t, &lows[0].d, lowView.data());
            api.sGetDlyl(&high, highView.data());
            EXPECT_TRUE(sameBits(lows[0].taps, highTaps));
            for (std::size_t i = 0; i < w0.size(); ++i)
                EXPECT_TRUE(near(lows[0].taps[i], lows[0].ref.w[i]) && near(desTaps[i], refDes.w[i]) &&
                            near(lows[1].taps[i], lows[1].ref.w[i])) << "tap " << i;
            // The views: oldest first, the newest input last.
            EXPECT_TRUE(sameBits(lowView.data(), highView.data(), len - 1) &&
                        sameBits(lowView.data(), in.data() + in.size() - len + 1, len - 1));
            for (LmsState* s : {&high, &des}) vokLmsFree(s);
        }
    });
}

// 16-bit samples: float taps adapted in double (no leak) and rounded, outputs
// rounded half to even and saturated; the records as the float ones.
TEST(LmsAdapt, ShortFilterMatchesDoubleReferenceAndSaturates) {
    std::vector<float> taps = {0.25f, -0.5f, 0.125f, 0.75f};
    std::vector<short> dlyl(4 + 1, 99);
    LmsTapState tap;
    LmsDlyState dly;
    vokwLmslInit(3, taps.data(), 4, 1e-8f, 1, &tap);
    vokwLmslInitDlyl(&tap, dlyl.data(), &dly);
    EXPECT_TRUE(fields(tap) == (std::vector<int>{4, 1, 0, 1, 0, 0, 1, 1, 3}) && tap.leak == 0 && tap.step == 1e-8f);
    EXPECT_EQ((std::vector<int>{5, 1, 1}), fields(dly));
    vokwLmslSetDlyl(&tap, nullptr, &dly);
    std::vector<double> w(taps.begin(), taps.end()), hist(8, 0.0);  // newest last
    int saturated = 0;
    std::mt19937 gen(81);
    const auto s = randomShorts(gen, 50, 12000), e = randomShorts(gen, 50, 12000);
    for (int n = 0; n < 50; ++n) {
        for (int i = 0; i < 4; ++i) w[i] = float(w[i] + double(e[n]) * double(1e-8f) * hist[hist.size() - 2 - i]);
        hist.push_back(s[n]);
        double y = 0;
        for (int i = 0; i < 4; ++i) y += w[i] * hist[hist.size() - 1 - i];
        const double r = std::min(32767.0, std::max(-32768.0, std::nearbyint(y)));
        EXPECT_EQ(vokwLmsl(&tap, &dly, s[n], e[n]), short(r)) << "sample " << n;
        saturated += r != std::nearbyint(y);
    }
    EXPECT_GT(saturated, 0);  // the walk reached the clamp on the way
    float out[4];
    short view[4];
    EXPECT_EQ(vokwLmslGetTaps(&tap, out), 0);
    vokwLmslGetDlyl(&tap, &dly, view);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(out[i] == float(w[i]) && view[i] == s[46 + i]) << i;
    EXPECT_TRUE(tap.isFilterMode == 0 && dly.isFilterMode == 0);
    const short back[4] = {-4, 3, -2, 1};
    vokwLmslSetDlyl(&tap, back, &dly);
    EXPECT_EQ((std::vector<short>{1, -2, 3, -4}), std::vector<short>(dlyl.begin(), dlyl.begin() + 4));
    float half[1] = {7};
    short line[1] = {0};
    const float one = 0.5f;
    vokwLmslInit(0, half, 1, 0.0f, 0, &tap);
    vokwLmslSetTaps(&one, &tap);
    vokwLmslInitDlyl(&tap, line, &dly);
    EXPECT_TRUE(half[0] == 0.5f && tap.isFilterMode == 1);
    const short in[] = {1, 3, -5, 20000, -20000, 8191}, want[] = {0, 2, -2, 32767, -32768, 32764};
    for (int i = 0; i < 6; ++i) {
        if (i == 3) half[0] = 4.0f;
        EXPECT_EQ(want[i], vokwLmsl(&tap, &dly, in[i], 0)) << i;
    }
    // Its reports, on those records.
    CheckTable step("voklmsl");
    step("vokwLmslInit", vokwLmslInit, {{kNull, {{1}, {5}}}, {kLen, {{2, 0}, {4, -1}}}, {4, kErrDly, -1}},
         {0, half, 1, 0.1f, 1, &tap});
    step("vokwLmslInitDlyl", vokwLmslInitDlyl, {{1, kNull}}, {&tap, line, &dly});
    LmsTapState empty = tap;
    empty.taps = nullptr;  // a record without taps array
    step("vokwLmslSetTaps", vokwLmslSetTaps, {{1, kNull}}, {half, &tap});
    step("vokwLmslSetTaps", vokwLmslSetTaps, {{kNull, {}}}, {half, &empty});
    step("vokwLmslGetTaps", vokwLmslGetTaps, {{1, kNull}}, {&tap, half});
    step("vokwLmslSetDlyl", vokwLmslSetDlyl, {{2, kNull}}, {&tap, line, &dly});
    step("vokwLmslGetDlyl", vokwLmslGetDlyl, {{2, kNull}}, {&tap, &dly, line});
    step("vokwLmsl", vokwLmsl, {{1, kNull}, {0, kNull}}, {&tap, &dly, 1, 1});
}

// The records: pointer, seven words, leak, step, errDly, lmsType; the three in
// turn. The step and leak accessors of both layers share the taps record.
TEST(LmsRecords, LayoutStepAndLeak) {
    const std::size_t p = sizeof(void*), i = sizeof(int);
    EXPECT_EQ((std::vector<std::size_t>{p, p + 6 * i, p + 7 * i, p + 10 * i, p + 2 * i, 0}),
              (std::vector<std::size_t>{offsetof(LmsTapState, len), offsetof(LmsTapState, isFilterMode),
                                        offsetof(LmsTapState, leak), offsetof(LmsTapState, lmsType),
                                        offsetof(LmsDlyState, isAdapt), offsetof(LmsState, tapState)}));
    EXPECT_GE(offsetof(LmsState, dlyState), sizeof(LmsTapState));
    EXPECT_GE(offsetof(LmsState, errVal), offsetof(LmsState, dlyState) + sizeof(LmsDlyState));
    if (p == 4)
        EXPECT_EQ((std::vector<std::size_t>{48, 16, 64}),
                  (std::vector<std::size_t>{sizeof(LmsTapState), sizeof(LmsDlyState), offsetof(LmsState, errVal)}));
    float w[3] = {};
    LmsState st;
    LmsTapState* t = &st.tapState;
    voksLmsInit(0, w, 3, nullptr, 0.5f, 0.25f, 0, &st);
    EXPECT_TRUE(voksLmsGetStep(&st) == 0.5f && voksLmsGetLeak(&st) == 0.25f);
    voksLmsSetStep(0.125f, &st);
    voksLmsSetLeak(0.0625f, &st);
    EXPECT_EQ((std::vector<float>{0.125f, 0.0625f, 0.125f, 0.125f, 0.0625f}),
              (std::vector<float>{t->step, t->leak, voksLmslGetStep(t), vokwLmslGetStep(t), voksLmslGetLeak(t)}));
    vokwLmslSetStep(0.25f, t);
    voksLmslSetLeak(0.5f, t);
    EXPECT_TRUE(voksLmsGetStep(&st) == 0.25f && voksLmsGetLeak(&st) == 0.5f);
    voksLmslSetStep(0.75f, t);
    EXPECT_EQ(0.75f, t->step);
    vokLmsFree(&st);
    CheckTable step("voklmsl");
    VOK_CHECK_EACH(step, {BadArg(1, kNull)}, voksLmslSetStep, voksLmslSetLeak, vokwLmslSetStep);
    VOK_CHECK_EACH(step, {BadArg(0, kNull)}, voksLmslGetStep, voksLmslGetLeak, vokwLmslGetStep);
}

// The low layer of every type combination, the filters without adaptation
// (their own checks, then those of the FIR filters they run, reported as the
// FIR functions'), and the delay-line mode conflicts, which only set the status.
TEST(LmsRecords, LowLayerReportsAndAccess) {
    forEachFilter([]<class A>(const A& api) {
        using D = typename A::D;
        using W = typename A::W;
        using O = typename A::O;
        W taps[4] = {};
        D dlyl[8] = {};
        CheckTable step("voklmsl");  // its buffer stands for every record and output a failed call must not write
        LmsTapState *bad = step.buffer<LmsTapState>(), tap, multi;
        LmsDlyState dly, mdly;
        step(fn(api.tapsName, "LmslInit"), api.mInit,
             {{1, kNull}, {6, kNull}, {kNull, {{1}, {2, 0}, {5, -1}, {6}}}, {kLen, {{2, 0}, {5, -1}}},
              {kErrDly, {{2, 1}, {5, -1}}}}, {0, taps, 4, 0.1f, 0, 0, bad});
        step(fn(api.tapsName, "LmslInitMr"), api.mInitMr,
             {{1, kNull}, {kLen, {{2, 0}, {5, -1}, {7, -1}}}, {kErrDly, {{5, -1}, {7, -1}}}, {7, kFactor, -1},
              {7, kFactor, 2}, {6, kFactor, 0}}, {0, taps, 4, 0.1f, 0, 0, 2, 0, bad});
        api.mInit(0, taps, 3, 0.5f, 0, 0, &tap);
        step(fn(api.dataName, "LmslInitDlyl"), api.mInitDlyl, {{3, kNull}, {0, kNull}, {1, kNull}},
             {&tap, dlyl, 1, step.buffer<LmsDlyState>()});
        auto line = randomVector<D>(3, 91);
        const auto lineBefore = line;
        api.mInitDlyl(&tap, line.data(), 1, &dly);
        const LmsTapState tapBefore = tap;
        const LmsDlyState dlyBefore = dly;
        step(fn(api.tapsName, "LmslSetTaps"), api.mSetTaps, {{1, kNull}}, {taps, &tap});
        step(fn(api.tapsName, "LmslGetTaps"), api.mGetTaps, {{0, kNull}, {1, kNull}}, {&tap, step.buffer<W>()});
        step(fn(api.dataName, "LmslSetDlyl"), api.mSetDlyl, {{0, kNull}, {2, kNull}}, {&tap, dlyl, &dly});
        step(fn(api.dataName, "LmslGetDlyl"), api.mGetDlyl, {{0, kNull}, {1, kNull}, {2, kNull}},
             {&tap, &dly, step.buffer<D>()});
        if constexpr (requires { api.lmsl; }) {
            step(fn(api.name, "Lmsl"), api.lmsl, {{1, kNull}, {0, kNull}}, {&tap, &dly, D{}, W{}});
            step(fn(api.name, "bLmsl"), api.blmsl, {{0, kNull}, {1, kNull}, {2, kNull}}, {&tap, &dly, dlyl, W{}});
        }
        D in[4] = {};
        step(fn(api.name, "LmslNa"), api.na, {{1, kNull}, {0, kNull}}, {&tap, &dly, D{}});
        step(fn(api.name, "bLmslNa"), api.bna,
             {{kNull, {{1}, {2}, {3}, {4, 0}}}, {0, kNull}, {kNull, {{3}, {4, 0}}}, {kNull, {{2}, {4, 0}}},
              {4, kLen, 0}}, {&tap, &dly, in, step.buffer<O>(), 4});
        EXPECT_TRUE(sameBits(tap, tapBefore) && sameBits(dly, dlyBefore));

        // Own array in filter mode set, taken (reversed in place), taken again, set back: no report.
        const int status[] = {VOK_StatusInternal, 0, VOK_StatusInternal, 0}, mode[] = {1, 0, 0, 1};
        const int order[][3] = {{0, 1, 2}, {1, 0, 2}, {1, 0, 2}, {0, 1, 2}};
        for (int i = 0; i < 4; ++i) {
            step.run([&] {
                if (i % 3 == 0) api.mSetDlyl(&tap, line.data(), &dly);
                else api.mGetDlyl(&tap, &dly, line.data());
                EXPECT_EQ(vokGetErrStatus(), status[i]) << i;
            }, {});
            EXPECT_EQ(dly.isFilterMode, mode[i]) << i;
            for (int k = 0; k < 3; ++k) EXPECT_TRUE(sameBits(line[k], lineBefore[order[i][k]])) << i << " " << k;
        }
        // Out of filter mode, either record: the FIR filter refuses.
        api.mGetDlyl(&tap, &dly, in);
        api.mGetTaps(&tap, taps);
        const std::string bfirl = fn(api.name, "bFirl"), firl = fn(api.name, "Firl");
        const Expected notFilterMode{VOK_StatusBadArg, bfirl.c_str(), "Not filter mode", "vokfirl"};
        step.run([&] { api.bna(&tap, &dly, in, step.buffer<O>(), 4); }, {notFilterMode});
        dly.isFilterMode = 1;
        step.run([&] { api.bna(&tap, &dly, in, step.buffer<O>(), 4); }, {notFilterMode});
        api.mInitMr(0, taps, 3, 0.5f, 0.25f, 0, 2, 1, &multi);
        api.mInitDlyl(&multi, dlyl, 1, &mdly);  // the one-sample FIR is single rate
        step.run([&] { api.na(&multi, &mdly, D{}); }, {{VOK_StatusBadArg, firl.c_str(), kFactor, "vokfirl"}});
        EXPECT_TRUE(sameBits(lineBefore, line));

        // Beyond filtering: the caller's slots, the scratch slot beyond the view,
        // silence, taps ownership and filter mode, the high layer's copies.
        auto own = randomVector<W>(5, 111);
        const auto original = own, other = randomVector<W>(5, 112);
        std::vector<D> slots(16);
        api.mInitMr(9, own.data(), 5, 0.25f, 0.5f, 2, 1, 0, &tap);
        api.mInitDlyl(&tap, slots.data(), 0, &dly);
        EXPECT_TRUE(dly.dlyl == slots.data() && dly.len == 5);
        const auto view = randomVector<D>(6, 101);
        slots[4] = fromLC<D>(LC(42, 1));
        api.mSetDlyl(&tap, view.data(), &dly);
        for (int k = 0; k < 4; ++k) EXPECT_TRUE(sameBits(slots[std::size_t(k)], view[std::size_t(3 - k)])) << k;
        EXPECT_TRUE(sameBits(slots[4], fromLC<D>(LC(42, 1))));
        api.mSetDlyl(&tap, nullptr, &dly);  // silence: every slot
        for (int k = 0; k < 5; ++k) EXPECT_TRUE(sameBits(slots[std::size_t(k)], D{}));
        // Taps: a separate array is a copy; the own array hands ownership back.
        std::vector<W> copy(5);
        EXPECT_EQ(api.mGetTaps(&tap, copy.data()), 0);
        EXPECT_TRUE(sameBits(copy, original) && tap.isFilterMode == 0);
        EXPECT_EQ(api.mGetTaps(&tap, own.data()), 0);
        api.mSetTaps(own.data(), &tap);
        EXPECT_TRUE(tap.isFilterMode == 1 && sameBits(own, original));
        api.mSetTaps(other.data(), &tap);
        EXPECT_TRUE(sameBits(own, other));
        api.mSetTaps(nullptr, &tap);
        for (const W& w : own) EXPECT_TRUE(sameBits(w, W{}));
    });
}

TEST(LmsErrors, HighLayer) {
    forEachFilter<true>([]<class A>(const A& api) {
        using D = typename A::D;
        using W = typename A::W;
        const char* tapsMsg = "Taps state structure is not initialized";
        const char* dlyMsg = "Delay line state structure is not initialized";
        const std::string init = fn(api.name, "LmsInit"), initMr = fn(api.name, "LmsInitMr"), lms = fn(api.name, "Lms"),
                          blms = fn(api.name, "bLms"), des = fn(api.name, "LmsDes"), bdes = fn(api.name, "bLmsDes");
        W w0[3] = {}, taps[3], desired[4] = {};
        D in[4] = {}, hist[2];
        // The high layer owns copies; null taps and history are zeros.
        LmsState st;
        std::memset(&st, 0x77, sizeof st);
        const auto original = randomVector<W>(3, 111);
        api.lmsInit(4, original.data(), 3, nullptr, 0.5f, 0.25f, 1, &st);
        EXPECT_NE(st.tapState.taps, static_cast<const void*>(original.data()));
        const W e = fromLC<W>(LC(0.5, -2));
        api.sSetErr(e, &st);
        EXPECT_TRUE(sameBits(api.sGetErr(&st), e));
        api.sSetTaps(nullptr, &st);
        api.sGetTaps(&st, taps);
        api.sGetDlyl(&st, in);
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(sameBits(taps[i], W{}) && sameBits(in[i], D{}));
        vokLmsFree(&st);
        EXPECT_TRUE(st.tapState.taps == nullptr && st.dlyState.dlyl == nullptr);
        CheckTable step("voklmsh");
        LmsState* bad = step.buffer<LmsState>();
        step(init, api.lmsInit, {{7, kNull}, {kLen, {{2, 0}, {6, -1}}}, {6, kErrDly, -1}},
             {0, w0, 2, nullptr, 0.1f, 0, 0, bad});
        step(initMr, api.lmsInitMr,
             {{9, kNull}, {kLen, {{2, 0}, {6, -1}, {8, -1}}}, {kErrDly, {{6, -1}, {8, -1}}},
              {8, "Invalid phase value", -1}, {kFactor, {{7, 3}, {8, 3}}}, {7, kFactor, 0}},
             {0, w0, 2, nullptr, 0.1f, 0, 0, 2, 0, bad});
        api.lmsInit(0, w0, 3, nullptr, 0.1f, 0, 0, &st);
        step(bdes, api.bdes,
             {{0, kNull}, {1, kNull}, {2, kNull}, {3, kNull}, {kNull, {{1}, {4, 0}}},
              {4, "Bad value of number of iterations", 0}}, {&st, in, desired, step.buffer<W>(), 4});
        // A get takes the record out of its set-up state until the matching set.
        step.run([&] {
            api.sGetTaps(&st, taps);
            api.sGetDlyl(&st, hist);
        }, {});
        const std::vector<D> dlyBefore(static_cast<D*>(st.dlyState.dlyl), static_cast<D*>(st.dlyState.dlyl) + 3);
        for (const char* msg : {tapsMsg, dlyMsg}) {  // after the record pointer and blms's input, before the rest
            step(lms, api.lms, {{0, kNull}, {msg, {}}}, {&st, D{}, W{}});
            step(blms, api.blms, {{0, kNull}, {1, kNull}, {msg, {}}}, {&st, in, W{}});
            step(des, api.des, {{0, kNull}, {msg, {}}}, {&st, D{}, W{}});
            step(bdes, api.bdes, {{msg, {}}}, {&st, in, desired, step.buffer<W>(), 4});
            step(bdes, api.bdes, {{msg, {{1}, {4, 0}}}}, {&st, in, desired, step.buffer<W>(), 4});
            api.sSetTaps(taps, &st);
        }
        EXPECT_TRUE(sameBits(dlyBefore.data(), static_cast<D*>(st.dlyState.dlyl), 3));
        api.sSetDlyl(hist, &st);
        step.run([&] { api.lms(&st, D{}, W{}); }, {});
        step(fn(api.tapsName, "LmsGetTaps"), api.sGetTaps, {{0, kNull}, {1, kNull}}, {&st, taps});
        step(fn(api.tapsName, "LmsSetTaps"), api.sSetTaps, {{1, kNull}}, {taps, &st});
        step(fn(api.dataName, "LmsGetDlyl"), api.sGetDlyl, {{0, kNull}, {1, kNull}}, {&st, hist});
        step(fn(api.dataName, "LmsSetDlyl"), api.sSetDlyl, {{1, kNull}}, {hist, &st});
        step(fn(api.tapsName, "LmsGetErrVal"), api.sGetErr, {{0, kNull}}, {&st});
        step(fn(api.tapsName, "LmsSetErrVal"), api.sSetErr, {{1, kNull}}, {W{}, &st});
        vokLmsFree(&st);
        // Either array of either initialisation may fail: the record ends
        // released and counts as uninitialised; freeing it again is harmless.
        for (int run = 0; run < 4; ++run) {  // the first or second allocation, single or multi rate
            const bool mr = run % 2;
            SCOPED_TRACE(run);
            step.run([&] {
                vok::testing::failLmsHeapAfter(1 + run / 2);
                if (mr) api.lmsInitMr(0, nullptr, 4, nullptr, 0.1f, 0, 1, 2, 1, &st);
                else api.lmsInit(0, nullptr, 4, nullptr, 0.1f, 0, 1, &st);
                vok::testing::failLmsHeapAfter(0);
                EXPECT_EQ(vokGetErrStatus(), VOK_StatusNoMemory);
            }, {{VOK_StatusNoMemory, (mr ? initMr : init).c_str(), "Problem to allocate memory", "voklmsh"}});
            EXPECT_TRUE(st.tapState.taps == nullptr && st.dlyState.dlyl == nullptr);
            step(lms, api.lms, {{tapsMsg, {}}}, {&st, D{}, W{}});
            vokLmsFree(&st);
        }
    });
}

}  // namespace
