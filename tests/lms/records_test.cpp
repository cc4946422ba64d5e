// The LMS records: the word layout, what initialisation writes, delay-line
// lengths and their chronological view, taps ownership and filter mode, the
// step and leak accessors; and filtering without adaptation on the records.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <vector>

#include "lms_support.h"
#include "support/reports.h"

namespace {

using namespace lmstest;

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
    if (sizeof(void*) == 4) {
        EXPECT_EQ(sizeof(LmsTapState), 48u);
        EXPECT_EQ(sizeof(LmsDlyState), 16u);
        EXPECT_EQ(offsetof(LmsState, errVal), 64u);
    }
}

std::vector<int> fields(const LmsTapState& t) {
    return {t.len, t.upFactor, t.upPhase, t.downFactor, t.downPhase, t.isMultiRate, t.isFilterMode, t.errDly, t.lmsType};
}

TEST(LmsRecords, InitialisationAndAccessFunctions) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        auto taps = randomVector<W>(5, 111);
        const auto original = taps;
        LmsTapState tap;
        std::memset(&tap, 0x5A, sizeof tap);
        api.init(9, taps.data(), 5, 0.25f, 0.5f, 2, &tap);
        EXPECT_EQ(tap.taps, static_cast<void*>(taps.data()));
        EXPECT_EQ((std::vector<int>{5, 1, 0, 1, 0, 0, 1, 2, 9}), fields(tap));
        EXPECT_EQ(tap.leak, 0.5f);
        EXPECT_EQ(tap.step, 0.25f);
        // Delay-line length: the taps, errDly more when adapting, D more when decimating.
        std::vector<D> slots(16);
        LmsDlyState dly;
        for (auto [factor, adapt, len] : std::vector<std::array<int, 3>>{{1, 0, 5}, {3, 1, 10}, {3, 0, 8}, {1, 1, 7}}) {
            api.initMr(9, taps.data(), 5, 0.25f, 0.5f, 2, factor, factor - 1, &tap);
            EXPECT_EQ((std::vector<int>{5, 1, 0, factor, factor - 1, factor > 1, 1, 2, 9}), fields(tap));
            api.initDlyl(&tap, slots.data(), adapt, &dly);
            EXPECT_EQ(dly.dlyl, static_cast<void*>(slots.data()));
            EXPECT_EQ((std::vector<int>{len, 1, adapt}), (std::vector<int>{dly.len, dly.isFilterMode, dly.isAdapt}));
        }
        // The view is one short of the slots, newest first in them; the top slot is outside it.
        const auto view = randomVector<D>(6, 101);
        const D top = fromLC<D>(LC(42, 1));
        slots[6] = top;
        api.setDlyl(&tap, view.data(), &dly);
        for (int k = 0; k < 6; ++k) EXPECT_TRUE(sameBits(slots[size_t(k)], view[size_t(5 - k)])) << k;
        EXPECT_TRUE(sameBits(slots[6], top));
        std::vector<D> back(6);
        api.getDlyl(&tap, &dly, back.data());
        EXPECT_EQ(0, std::memcmp(back.data(), view.data(), sizeof(D) * 6));
        EXPECT_EQ(dly.isFilterMode, 0);
        api.setDlyl(&tap, nullptr, &dly);  // silence: every slot
        for (int k = 0; k < 7; ++k) EXPECT_TRUE(sameBits(slots[size_t(k)], D{}));
        EXPECT_EQ(dly.isFilterMode, 1);

        // Taps: a separate array is a copy; the own array hands ownership back.
        std::vector<W> out(5);
        EXPECT_EQ(api.getTaps(&tap, out.data()), 0);
        EXPECT_EQ(0, std::memcmp(out.data(), original.data(), sizeof(W) * 5));
        EXPECT_EQ(tap.isFilterMode, 0);
        EXPECT_EQ(api.getTaps(&tap, taps.data()), 0);
        EXPECT_EQ(tap.isFilterMode, 0);
        api.setTaps(taps.data(), &tap);
        EXPECT_EQ(tap.isFilterMode, 1);
        EXPECT_EQ(0, std::memcmp(taps.data(), original.data(), sizeof(W) * 5));
        const auto other = randomVector<W>(5, 112);
        api.setTaps(other.data(), &tap);
        EXPECT_EQ(0, std::memcmp(taps.data(), other.data(), sizeof(W) * 5));
        api.setTaps(nullptr, &tap);
        for (const W& w : taps) EXPECT_TRUE(sameBits(w, W{}));
    });
}

TEST(LmsRecords, HighLayerOwnsCopies) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        auto taps = randomVector<W>(3, 121);
        auto hist = randomVector<D>(3, 122);  // tapsLen + errDly - 1 visible samples
        LmsState st;
        std::memset(&st, 0x77, sizeof st);
        api.hInit(4, taps.data(), 3, hist.data(), 0.5f, 0.25f, 1, &st);
        EXPECT_NE(st.tapState.taps, static_cast<void*>(taps.data()));
        EXPECT_EQ((std::vector<int>{3, 1, 0, 1, 0, 0, 1, 1, 4}), fields(st.tapState));
        EXPECT_EQ((std::vector<int>{4, 1, 1}), (std::vector<int>{st.dlyState.len, st.dlyState.isFilterMode,
                                                                st.dlyState.isAdapt}));
        EXPECT_TRUE(sameBits(api.hGetErr(&st), W{}));
        EXPECT_EQ(voksLmsGetStep(&st), 0.5f);
        EXPECT_EQ(voksLmsGetLeak(&st), 0.25f);
        voksLmsSetStep(0.125f, &st);
        voksLmsSetLeak(0.0625f, &st);
        EXPECT_EQ(st.tapState.step, 0.125f);
        EXPECT_EQ(st.tapState.leak, 0.0625f);
        EXPECT_EQ(voksLmslGetStep(&st.tapState), 0.125f);
        EXPECT_EQ(vokwLmslGetStep(&st.tapState), 0.125f);
        EXPECT_EQ(voksLmslGetLeak(&st.tapState), 0.0625f);
        const W e = fromLC<W>(LC(0.5, -2));
        api.hSetErr(e, &st);
        EXPECT_TRUE(sameBits(api.hGetErr(&st), e));
        std::vector<W> tapsBack(3);
        std::vector<D> histBack(3);
        api.hGetTaps(&st, tapsBack.data());
        api.hGetDlyl(&st, histBack.data());
        EXPECT_EQ(0, std::memcmp(tapsBack.data(), taps.data(), sizeof(W) * 3));
        EXPECT_EQ(0, std::memcmp(histBack.data(), hist.data(), sizeof(D) * 3));
        api.hSetTaps(nullptr, &st);
        api.hSetDlyl(nullptr, &st);
        api.hGetTaps(&st, tapsBack.data());
        api.hGetDlyl(&st, histBack.data());
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(sameBits(tapsBack[i], W{}) && sameBits(histBack[i], D{}));
        vokLmsFree(&st);
        EXPECT_EQ(st.tapState.taps, nullptr);
        EXPECT_EQ(st.dlyState.dlyl, nullptr);
    });
}

TEST(LmsRecords, ShortRecordsAccess) {
    float taps[3] = {1, 2, 3};
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
    float out[3];
    EXPECT_EQ(vokwLmslGetTaps(&tap, out), 0);
    EXPECT_EQ(out[2], 3.0f);
    EXPECT_EQ(tap.isFilterMode, 0);
    const float fresh[3] = {7, 8, 9};
    vokwLmslSetTaps(fresh, &tap);
    EXPECT_EQ(taps[1], 8.0f);
    EXPECT_EQ(tap.isFilterMode, 1);
    vokwLmslSetStep(0.25f, &tap);
    EXPECT_EQ(voksLmslGetStep(&tap), 0.25f);
    voksLmslSetLeak(0.125f, &tap);
    EXPECT_EQ(tap.leak, 0.125f);
}

// ---- filtering without adaptation, all eight type combinations ----

#define NA_API(t, tw, td, D_, W_, O_, tolerance)                         \
    struct {                                                             \
        using D = D_;                                                    \
        using W = W_;                                                    \
        using O = O_;                                                    \
        const char* name = #t;                                           \
        double tol = tolerance;                                          \
        decltype(&vok##tw##LmslInitMr) initMr = vok##tw##LmslInitMr;     \
        decltype(&vok##td##LmslInitDlyl) initDlyl = vok##td##LmslInitDlyl; \
        decltype(&vok##tw##LmslGetTaps) getTaps = vok##tw##LmslGetTaps;  \
        decltype(&vok##td##LmslGetDlyl) getDlyl = vok##td##LmslGetDlyl;  \
        decltype(&vok##t##LmslNa) na = vok##t##LmslNa;                   \
        decltype(&vok##t##bLmslNa) bna = vok##t##bLmslNa;                \
    }

template <class Body> void forEachNa(Body body) {
    NA_API(s, s, s, float, float, float, 1e-6) s;
    NA_API(d, d, d, double, double, double, 1e-14) d;
    NA_API(c, c, c, FloatComplex, FloatComplex, FloatComplex, 1e-6) c;
    NA_API(z, z, z, DoubleComplex, DoubleComplex, DoubleComplex, 1e-14) z;
    NA_API(sc, c, s, float, FloatComplex, FloatComplex, 1e-6) sc;
    NA_API(cs, s, c, FloatComplex, float, FloatComplex, 1e-6) cs;
    NA_API(dz, z, d, double, DoubleComplex, DoubleComplex, 1e-14) dz;
    NA_API(zd, d, z, DoubleComplex, double, DoubleComplex, 1e-14) zd;
    std::apply([&](const auto&... api) { (([&] { SCOPED_TRACE(api.name); body(api); })(), ...); },
               std::tie(s, d, c, z, sc, cs, dz, zd));
}

// Taps and a delay line holding random history (newest first in the slots).
template <class A> struct NaFilter {
    std::vector<typename A::W> taps;
    std::vector<typename A::D> slots;
    std::vector<LC> history;  // oldest first
    LmsTapState tap{};
    LmsDlyState dly{};
    NaFilter(const A& api, int tapsLen, int errDly, int factor, int phase, unsigned seed)
        : taps(randomVector<typename A::W>(tapsLen, seed)),
          slots(randomVector<typename A::D>(tapsLen + errDly + (factor > 1 ? factor : 0), seed + 1)) {
        api.initMr(0, taps.data(), tapsLen, 0.5f, 0.25f, errDly, factor, phase, &tap);
        api.initDlyl(&tap, slots.data(), 1, &dly);
        for (size_t k = slots.size(); k-- > 0;) history.push_back(asLC(slots[k]));
    }
    // The FIR output whose newest input is 'newest' of the history followed by 'in'.
    template <class V> LC response(const V& in, long long newest) const {
        std::vector<LC> all(history);
        for (const auto& v : in) all.push_back(asLC(v));
        LC y = 0;
        for (size_t k = 0; k < taps.size(); ++k) y += asLC(taps[k]) * all[size_t(newest - (long long)k)];
        return y;
    }
};

// One sample at a time (error delay 2) and in blocks of every length cut into
// calls, single rate and decimating: the FIR over the history, the block
// forms bit for bit the one-sample ones and their own split calls, no taps
// adapted, the same delay lines at the end.
TEST(LmsFiltering, IsTheFirOverTheHistory) {
    forEachNa([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using O = typename std::decay_t<decltype(api)>::O;
        NaFilter f(api, 5, 2, 1, 0, 201);
        const auto tapsBefore = f.taps;
        const auto in = randomVector<D>(20, 203);
        for (int n = 0; n < 20; ++n)
            ASSERT_TRUE(near(asLC(api.na(&f.tap, &f.dly, in[n])), f.response(in, 7 + n), api.tol)) << n;
        EXPECT_EQ(0, std::memcmp(f.taps.data(), tapsBefore.data(), sizeof(f.taps[0]) * 5));
        for (auto [tapsLen, factor, phase, blockLen] :
             std::vector<std::array<int, 4>>{{7, 1, 0, 1}, {7, 1, 0, 3}, {7, 1, 0, 7}, {7, 1, 0, 40}, {5, 3, 1, 6}, {2, 4, 3, 6},
                                             {9, 2, 0, 6}}) {
            SCOPED_TRACE(testing::Message() << tapsLen << " " << factor << " " << phase << " " << blockLen);
            NaFilter a(api, tapsLen, 1, factor, phase, 211), b(api, tapsLen, 1, factor, phase, 211);
            const auto x = randomVector<D>(3 * blockLen * factor, 213);
            std::vector<O> whole(3 * blockLen), split(3 * blockLen);
            const long long hist = (long long)a.slots.size();
            api.bna(&a.tap, &a.dly, x.data(), whole.data(), 3 * blockLen);
            for (int c = 0; c < 3; ++c)
                api.bna(&b.tap, &b.dly, x.data() + c * blockLen * factor, split.data() + c * blockLen, blockLen);
            for (int m = 0; m < 3 * blockLen; ++m) {
                EXPECT_TRUE(near(asLC(whole[m]), a.response(x, hist + phase + (long long)m * factor), api.tol)) << m;
                EXPECT_TRUE(sameBits(whole[m], split[m])) << m;
            }
            if (factor > 1) continue;
            NaFilter one(api, tapsLen, 1, 1, 0, 211);
            for (int n = 0; n < 3 * blockLen; ++n) ASSERT_TRUE(sameBits(whole[n], api.na(&one.tap, &one.dly, x[n]))) << n;
            EXPECT_EQ(0, std::memcmp(a.slots.data(), one.slots.data(), sizeof(D) * a.slots.size()));
        }
    });
}

TEST(LmsFiltering, FailureReports) {
    forEachNa([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using O = typename A::O;
        const std::string na = fn(api.name, "LmslNa"), bna = fn(api.name, "bLmslNa");
        // Past their own pointer and length checks the FIR functions run and report themselves.
        const std::string firl = fn(api.name, "Firl"), bfirl = fn(api.name, "bFirl");
        const char *m = "voklmsl", *nul = "Null buffer pointer";
        NaFilter f(api, 3, 0, 1, 0, 231);
        const auto slotsBefore = f.slots;
        const D in[4] = {};
        voktest::Sentinel out(sizeof(O) * 4);
        voktest::ReportRecorder r;
        EXPECT_TRUE(sameBits(api.na(&f.tap, nullptr, D{}), O{}));
        EXPECT_TRUE(sameBits(api.na(nullptr, &f.dly, D{}), O{}));
        api.bna(&f.tap, nullptr, nullptr, nullptr, 0);
        api.bna(nullptr, &f.dly, in, out.as<O>(), 4);
        api.bna(&f.tap, &f.dly, in, nullptr, 0);
        api.bna(&f.tap, &f.dly, nullptr, out.as<O>(), 0);
        api.bna(&f.tap, &f.dly, in, out.as<O>(), 0);
        std::vector<D> view(2);
        api.getDlyl(&f.tap, &f.dly, view.data());  // both records out of filter mode
        std::vector<typename A::W> tapsOut(3);
        api.getTaps(&f.tap, tapsOut.data());
        api.bna(&f.tap, &f.dly, in, out.as<O>(), 4);
        f.dly.isFilterMode = 1;
        api.bna(&f.tap, &f.dly, in, out.as<O>(), 4);
        NaFilter g(api, 3, 0, 2, 1, 233);
        api.na(&g.tap, &g.dly, D{});  // the one-sample FIR is single rate
        const int bad = VOK_StatusBadArg;
        EXPECT_REPORTS(r, {bad, na.c_str(), nul, m}, {bad, na.c_str(), nul, m}, {bad, bna.c_str(), nul, m},
                       {bad, bna.c_str(), nul, m}, {bad, bna.c_str(), nul, m}, {bad, bna.c_str(), nul, m},
                       {bad, bna.c_str(), "Invalid buffer length", m},
                       {bad, bfirl.c_str(), "Not filter mode", "vokfirl"},
                       {bad, bfirl.c_str(), "Not filter mode", "vokfirl"},
                       {bad, firl.c_str(), "Invalid factor value", "vokfirl"});
        EXPECT_TRUE(out.untouched());
        EXPECT_EQ(0, std::memcmp(f.slots.data(), slotsBefore.data(), sizeof(D) * f.slots.size()));
    });
}

}  // namespace
