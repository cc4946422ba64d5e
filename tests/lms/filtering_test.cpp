// Filtering without adaptation on the LMS records, for all eight type
// combinations: against long-double convolution over the history, the block
// form against the single-sample form, decimation, continuity across calls,
// and the failure reports.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lms_support.h"
#include "support/reports.h"

namespace {

using namespace lmstest;
using voktest::ReportRecorder;
using voktest::Sentinel;

template <class D_, class W_, class O_>
struct NaApi {
    using D = D_;
    using W = W_;
    using O = O_;
    const char* name;
    double tol;
    void (*initMr)(int, W*, int, float, float, int, int, int, LmsTapState*);
    void (*initDlyl)(LmsTapState*, D*, int, LmsDlyState*);
    int (*getTaps)(LmsTapState*, W*);
    void (*getDlyl)(LmsTapState*, LmsDlyState*, D*);
    O (*na)(LmsTapState*, LmsDlyState*, D);
    void (*bna)(LmsTapState*, LmsDlyState*, const D*, O*, int);
};

#define NA_API(t, tw, td, D, W, O, tol)                                                                  \
    NaApi<D, W, O> {                                                                                     \
        #t, tol, vok##tw##LmslInitMr, vok##td##LmslInitDlyl, vok##tw##LmslGetTaps, vok##td##LmslGetDlyl, \
            vok##t##LmslNa, vok##t##bLmslNa                                                              \
    }

template <class Body>
void forEachNa(Body body) {
    body(NA_API(s, s, s, float, float, float, 1e-6));
    body(NA_API(d, d, d, double, double, double, 1e-14));
    body(NA_API(c, c, c, FloatComplex, FloatComplex, FloatComplex, 1e-6));
    body(NA_API(z, z, z, DoubleComplex, DoubleComplex, DoubleComplex, 1e-14));
    body(NA_API(sc, c, s, float, FloatComplex, FloatComplex, 1e-6));
    body(NA_API(cs, s, c, FloatComplex, float, FloatComplex, 1e-6));
    body(NA_API(dz, z, d, double, DoubleComplex, DoubleComplex, 1e-14));
    body(NA_API(zd, d, z, DoubleComplex, double, DoubleComplex, 1e-14));
}

// Taps and a delay line holding 'history' (newest first in the slots).
template <class A>
struct NaFilter {
    using D = typename A::D;
    using W = typename A::W;
    std::vector<W> taps;
    std::vector<D> slots;
    LmsTapState tap{};
    LmsDlyState dly{};
    NaFilter(const A& api, int tapsLen, int errDly, int factor, int phase, unsigned seed)
        : taps(randomVector<W>(tapsLen, seed)) {
        api.initMr(0, taps.data(), tapsLen, 0.5f, 0.25f, errDly, factor, phase, &tap);
        slots = randomVector<D>(tapsLen + errDly + (factor > 1 ? factor : 0), seed + 1);
        api.initDlyl(&tap, slots.data(), 1, &dly);
    }
    // The whole signal oldest first: the history the slots hold, then 'in'.
    template <class V>
    std::vector<LC> signal(const V& in) const {
        std::vector<LC> all;
        for (size_t k = slots.size(); k-- > 0;) all.push_back(asLC(slots[k]));
        for (const auto& v : in) all.push_back(asLC(v));
        return all;
    }
    LC response(const std::vector<LC>& all, long long newest) const {
        LC y = 0;
        for (size_t k = 0; k < taps.size(); ++k) y += asLC(taps[k]) * all[size_t(newest - (long long)k)];
        return y;
    }
};

TEST(LmsFiltering, SingleSampleIsTheFirOverTheHistory) {
    forEachNa([](const auto& api) {
        SCOPED_TRACE(api.name);
        NaFilter f(api, 5, 2, 1, 0, 201);
        const auto tapsBefore = f.taps;
        const auto in = randomVector<typename decltype(f)::D>(20, 203);
        const auto all = f.signal(in);
        const long long hist = (long long)f.slots.size();
        for (int n = 0; n < 20; ++n)
            ASSERT_TRUE(near(asLC(api.na(&f.tap, &f.dly, in[n])), f.response(all, hist + n), api.tol)) << n;
        EXPECT_TRUE(std::memcmp(f.taps.data(), tapsBefore.data(), sizeof(f.taps[0]) * 5) == 0);  // no adaptation
    });
}

TEST(LmsFiltering, BlockEqualsSampleBySampleAndContinuesAcrossCalls) {
    forEachNa([](const auto& api) {
        SCOPED_TRACE(api.name);
        using D = typename std::decay_t<decltype(api)>::D;
        using O = typename std::decay_t<decltype(api)>::O;
        for (int blockLen : {1, 3, 7, 40}) {
            SCOPED_TRACE(blockLen);
            NaFilter a(api, 7, 1, 1, 0, 211), b(api, 7, 1, 1, 0, 211);
            const auto in = randomVector<D>(3 * blockLen, 213);
            std::vector<O> out(3 * blockLen);
            for (int c = 0; c < 3; ++c)
                api.bna(&a.tap, &a.dly, in.data() + c * blockLen, out.data() + c * blockLen, blockLen);
            for (int n = 0; n < 3 * blockLen; ++n) ASSERT_TRUE(sameBits(out[n], api.na(&b.tap, &b.dly, in[n]))) << n;
            EXPECT_TRUE(std::memcmp(a.slots.data(), b.slots.data(), sizeof(D) * a.slots.size()) == 0);
        }
    });
}

TEST(LmsFiltering, DecimationTakesTheOutputAtThePhase) {
    forEachNa([](const auto& api) {
        SCOPED_TRACE(api.name);
        using D = typename std::decay_t<decltype(api)>::D;
        using O = typename std::decay_t<decltype(api)>::O;
        for (auto [tapsLen, factor, phase] : std::vector<std::array<int, 3>>{{5, 3, 1}, {2, 4, 3}, {9, 2, 0}}) {
            SCOPED_TRACE(testing::Message() << tapsLen << " " << factor << " " << phase);
            NaFilter f(api, tapsLen, 0, factor, phase, 221), g(api, tapsLen, 0, factor, phase, 221);
            const int iters = 6;
            const auto in = randomVector<D>(2 * iters * factor, 223);
            const auto all = f.signal(in);
            const long long hist = (long long)f.slots.size();
            std::vector<O> out(2 * iters), split(2 * iters);
            api.bna(&f.tap, &f.dly, in.data(), out.data(), 2 * iters);
            for (int m = 0; m < 2 * iters; ++m)
                EXPECT_TRUE(near(asLC(out[m]), f.response(all, hist + phase + (long long)m * factor), api.tol)) << m;
            api.bna(&g.tap, &g.dly, in.data(), split.data(), iters);
            api.bna(&g.tap, &g.dly, in.data() + iters * factor, split.data() + iters, iters);
            for (int m = 0; m < 2 * iters; ++m) EXPECT_TRUE(sameBits(out[m], split[m])) << m;
        }
    });
}

TEST(LmsFiltering, FailureReports) {
    forEachNa([](const auto& api) {
        SCOPED_TRACE(api.name);
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        using O = typename A::O;
        const std::string naS = std::string("vok") + api.name + "LmslNa", bnaS = std::string("vok") + api.name + "bLmslNa";
        // Past their own pointer and length checks the FIR functions run and report themselves.
        const std::string firS = std::string("vok") + api.name + "Firl", bfirS = std::string("vok") + api.name + "bFirl";
        const char* na = naS.c_str();
        const char* bna = bnaS.c_str();
        const char* m = "voklmsl";
        const char* nul = "Null buffer pointer";
        NaFilter f(api, 3, 0, 1, 0, 231);
        const auto slotsBefore = f.slots;
        const D in[4] = {};
        Sentinel out(sizeof(O) * 4);
        ReportRecorder r;
        EXPECT_TRUE(sameBits(api.na(&f.tap, nullptr, D{}), O{}));
        EXPECT_TRUE(sameBits(api.na(nullptr, &f.dly, D{}), O{}));
        api.bna(&f.tap, nullptr, nullptr, nullptr, 0);
        api.bna(nullptr, &f.dly, in, out.as<O>(), 4);
        api.bna(&f.tap, &f.dly, in, nullptr, 0);
        api.bna(&f.tap, &f.dly, nullptr, out.as<O>(), 0);
        api.bna(&f.tap, &f.dly, in, out.as<O>(), 0);
        std::vector<D> view(2);
        api.getDlyl(&f.tap, &f.dly, view.data());  // both records out of filter mode
        std::vector<W> tapsOut(3);
        api.getTaps(&f.tap, tapsOut.data());
        api.bna(&f.tap, &f.dly, in, out.as<O>(), 4);
        f.dly.isFilterMode = 1;
        api.bna(&f.tap, &f.dly, in, out.as<O>(), 4);
        NaFilter g(api, 3, 0, 2, 1, 233);
        api.na(&g.tap, &g.dly, D{});  // the one-sample FIR is single rate
        EXPECT_REPORTS(r, {VOK_StatusBadArg, na, nul, m}, {VOK_StatusBadArg, na, nul, m},
                       {VOK_StatusBadArg, bna, nul, m}, {VOK_StatusBadArg, bna, nul, m},
                       {VOK_StatusBadArg, bna, nul, m}, {VOK_StatusBadArg, bna, nul, m},
                       {VOK_StatusBadArg, bna, "Invalid buffer length", m},
                       {VOK_StatusBadArg, bfirS.c_str(), "Not filter mode", "vokfirl"},
                       {VOK_StatusBadArg, bfirS.c_str(), "Not filter mode", "vokfirl"},
                       {VOK_StatusBadArg, firS.c_str(), "Invalid factor value", "vokfirl"});
        EXPECT_TRUE(out.untouched());
        EXPECT_TRUE(std::memcmp(f.slots.data(), slotsBefore.data(), sizeof(D) * f.slots.size()) == 0);
    });
}

}  // namespace
