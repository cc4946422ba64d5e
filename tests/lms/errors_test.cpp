// Every failure report of the LMS filters, in check order, with proof that
// the failed call left records and buffers alone; the silent delay-line mode
// conflicts; and heap failures of the high-level initialisation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "filter/lms.h"
#include "lms_support.h"
#include "support/reports.h"

namespace {

using namespace lmstest;
using voktest::ReportRecorder;
using voktest::Sentinel;

constexpr const char* kNull = "Null buffer pointer";
constexpr int kBad = VOK_StatusBadArg;

TEST(LmsErrors, LowLayerSetUp) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        const std::string init = A::fn(api.tapsLetter, "LmslInit"), initMr = A::fn(api.tapsLetter, "LmslInitMr"),
                          initDlyl = A::fn(api.dataLetter, "LmslInitDlyl");
        const char* mod = "voklmsl";
        W taps[4] = {};
        D dlyl[8] = {};
        Sentinel rec(sizeof(LmsTapState));
        LmsTapState* tap = rec.as<LmsTapState>();
        ReportRecorder r;

        api.init(0, nullptr, 4, 0.1f, 0, 0, tap);
        api.init(0, taps, 4, 0.1f, 0, 0, nullptr);
        api.init(0, nullptr, 0, 0.1f, 0, -1, nullptr);
        api.init(0, taps, 0, 0.1f, 0, -1, tap);
        api.init(0, taps, 1, 0.1f, 0, -1, tap);
        EXPECT_REPORTS(r, {kBad, init.c_str(), kNull, mod}, {kBad, init.c_str(), kNull, mod},
                       {kBad, init.c_str(), kNull, mod}, {kBad, init.c_str(), "Invalid buffer length", mod},
                       {kBad, init.c_str(), "Invalid error delay value", mod});
        r.clear();

        api.initMr(0, nullptr, 4, 0.1f, 0, 0, 2, 0, tap);
        api.initMr(0, taps, 0, 0.1f, 0, -1, 2, -1, tap);
        api.initMr(0, taps, 4, 0.1f, 0, -1, 2, -1, tap);
        api.initMr(0, taps, 4, 0.1f, 0, 0, 2, -1, tap);
        api.initMr(0, taps, 4, 0.1f, 0, 0, 2, 2, tap);
        api.initMr(0, taps, 4, 0.1f, 0, 0, 0, 0, tap);
        EXPECT_REPORTS(r, {kBad, initMr.c_str(), kNull, mod}, {kBad, initMr.c_str(), "Invalid buffer length", mod},
                       {kBad, initMr.c_str(), "Invalid error delay value", mod},
                       {kBad, initMr.c_str(), "Invalid factor value", mod},
                       {kBad, initMr.c_str(), "Invalid factor value", mod},
                       {kBad, initMr.c_str(), "Invalid factor value", mod});
        EXPECT_TRUE(rec.untouched());
        r.clear();

        LmsTapState good;
        api.init(0, taps, 4, 0.1f, 0, 0, &good);
        Sentinel dlyRec(sizeof(LmsDlyState));
        api.initDlyl(&good, dlyl, 1, nullptr);
        api.initDlyl(nullptr, dlyl, 1, dlyRec.as<LmsDlyState>());
        api.initDlyl(&good, nullptr, 1, dlyRec.as<LmsDlyState>());
        EXPECT_REPORTS(r, {kBad, initDlyl.c_str(), kNull, mod}, {kBad, initDlyl.c_str(), kNull, mod},
                       {kBad, initDlyl.c_str(), kNull, mod});
        EXPECT_TRUE(dlyRec.untouched());
    });
}

TEST(LmsErrors, LowLayerAccessAndFiltering) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        const char* mod = "voklmsl";
        const std::string setTaps = A::fn(api.tapsLetter, "LmslSetTaps"), getTaps = A::fn(api.tapsLetter, "LmslGetTaps"),
                          setDlyl = A::fn(api.dataLetter, "LmslSetDlyl"), getDlyl = A::fn(api.dataLetter, "LmslGetDlyl"),
                          lmsl = A::fn(api.name, "Lmsl"), blmsl = A::fn(api.name, "bLmsl");
        W taps[3] = {};
        D dlyl[3] = {};
        LmsTapState tap;
        LmsDlyState dly;
        api.init(0, taps, 3, 0.5f, 0, 0, &tap);
        api.initDlyl(&tap, dlyl, 1, &dly);
        const LmsTapState tapBefore = tap;
        const LmsDlyState dlyBefore = dly;
        Sentinel out(sizeof(W) * 3), outD(sizeof(D) * 3);
        ReportRecorder r;

        api.setTaps(taps, nullptr);
        EXPECT_NE(api.getTaps(nullptr, out.as<W>()), 0);
        EXPECT_NE(api.getTaps(&tap, nullptr), 0);
        api.setDlyl(nullptr, dlyl, &dly);
        api.setDlyl(&tap, dlyl, nullptr);
        api.getDlyl(nullptr, &dly, outD.as<D>());
        api.getDlyl(&tap, nullptr, outD.as<D>());
        api.getDlyl(&tap, &dly, nullptr);
        const D x[1] = {};
        EXPECT_TRUE(sameBits(api.lmsl(&tap, nullptr, D{}, W{}), W{}));
        EXPECT_TRUE(sameBits(api.lmsl(nullptr, &dly, D{}, W{}), W{}));
        api.blmsl(nullptr, &dly, x, W{});
        api.blmsl(&tap, nullptr, x, W{});
        api.blmsl(&tap, &dly, nullptr, W{});
        const char* st = setTaps.c_str();
        const char* gt = getTaps.c_str();
        const char* sd = setDlyl.c_str();
        const char* gd = getDlyl.c_str();
        EXPECT_REPORTS(r, {kBad, st, kNull, mod}, {kBad, gt, kNull, mod}, {kBad, gt, kNull, mod},
                       {kBad, sd, kNull, mod}, {kBad, sd, kNull, mod}, {kBad, gd, kNull, mod},
                       {kBad, gd, kNull, mod}, {kBad, gd, kNull, mod}, {kBad, lmsl.c_str(), kNull, mod},
                       {kBad, lmsl.c_str(), kNull, mod}, {kBad, blmsl.c_str(), kNull, mod},
                       {kBad, blmsl.c_str(), kNull, mod}, {kBad, blmsl.c_str(), kNull, mod});
        EXPECT_TRUE(out.untouched());
        EXPECT_TRUE(outD.untouched());
        EXPECT_EQ(std::memcmp(&tap, &tapBefore, sizeof tap), 0);
        EXPECT_EQ(std::memcmp(&dly, &dlyBefore, sizeof dly), 0);
    });
}

TEST(LmsErrors, StepAndLeakAccessorsAndShortFilter) {
    ReportRecorder r;
    voksLmslSetStep(1, nullptr);
    EXPECT_EQ(voksLmslGetStep(nullptr), 0.0f);
    voksLmslSetLeak(1, nullptr);
    EXPECT_EQ(voksLmslGetLeak(nullptr), 0.0f);
    vokwLmslSetStep(1, nullptr);
    EXPECT_EQ(vokwLmslGetStep(nullptr), 0.0f);
    float taps[2] = {};
    short dlyl[3] = {};
    vokwLmslInit(0, nullptr, 2, 0.1f, 0, nullptr);
    LmsTapState tap;
    vokwLmslInit(0, taps, 0, 0.1f, -1, &tap);
    vokwLmslInit(0, taps, 2, 0.1f, -1, &tap);
    vokwLmslInit(0, taps, 2, 0.1f, 1, &tap);
    LmsDlyState dly;
    vokwLmslInitDlyl(&tap, nullptr, &dly);
    vokwLmslInitDlyl(&tap, dlyl, &dly);
    LmsTapState empty = tap;
    empty.taps = nullptr;
    vokwLmslSetTaps(taps, &empty);
    vokwLmslSetTaps(taps, nullptr);
    EXPECT_NE(vokwLmslGetTaps(&tap, nullptr), 0);
    vokwLmslSetDlyl(&tap, dlyl, nullptr);
    vokwLmslGetDlyl(&tap, &dly, nullptr);
    EXPECT_EQ(vokwLmsl(&tap, nullptr, 1, 1), 0);
    EXPECT_EQ(vokwLmsl(nullptr, &dly, 1, 1), 0);
    const char* m = "voklmsl";
    EXPECT_REPORTS(r, {kBad, "voksLmslSetStep", kNull, m}, {kBad, "voksLmslGetStep", kNull, m},
                   {kBad, "voksLmslSetLeak", kNull, m}, {kBad, "voksLmslGetLeak", kNull, m},
                   {kBad, "vokwLmslSetStep", kNull, m}, {kBad, "vokwLmslGetStep", kNull, m},
                   {kBad, "vokwLmslInit", kNull, m}, {kBad, "vokwLmslInit", "Invalid buffer length", m},
                   {kBad, "vokwLmslInit", "Invalid error delay value", m}, {kBad, "vokwLmslInitDlyl", kNull, m},
                   {kBad, "vokwLmslSetTaps", kNull, m}, {kBad, "vokwLmslSetTaps", kNull, m},
                   {kBad, "vokwLmslGetTaps", kNull, m}, {kBad, "vokwLmslSetDlyl", kNull, m},
                   {kBad, "vokwLmslGetDlyl", kNull, m}, {kBad, "vokwLmsl", kNull, m}, {kBad, "vokwLmsl", kNull, m});
}

TEST(LmsErrors, HighLayerSetUp) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using W = typename A::W;
        const char* mod = "voklmsh";
        const std::string initS = A::fn(api.name, "LmsInit"), initMrS = A::fn(api.name, "LmsInitMr");
        const char* init = initS.c_str();
        const char* initMr = initMrS.c_str();
        const W taps[2] = {};
        Sentinel rec(sizeof(LmsState));
        LmsState* st = rec.as<LmsState>();
        ReportRecorder r;
        api.hInit(0, taps, 2, nullptr, 0.1f, 0, 0, nullptr);
        api.hInit(0, taps, 0, nullptr, 0.1f, 0, -1, st);
        api.hInit(0, taps, 2, nullptr, 0.1f, 0, -1, st);
        api.hInitMr(0, taps, 2, nullptr, 0.1f, 0, 0, 2, 0, nullptr);
        api.hInitMr(0, taps, 0, nullptr, 0.1f, 0, -1, 2, -1, st);
        api.hInitMr(0, taps, 2, nullptr, 0.1f, 0, -1, 2, -1, st);
        api.hInitMr(0, taps, 2, nullptr, 0.1f, 0, 0, 2, -1, st);
        api.hInitMr(0, taps, 2, nullptr, 0.1f, 0, 0, 3, 3, st);
        api.hInitMr(0, taps, 2, nullptr, 0.1f, 0, 0, 0, 0, st);
        EXPECT_REPORTS(r, {kBad, init, kNull, mod}, {kBad, init, "Invalid buffer length", mod},
                       {kBad, init, "Invalid error delay value", mod}, {kBad, initMr, kNull, mod},
                       {kBad, initMr, "Invalid buffer length", mod}, {kBad, initMr, "Invalid error delay value", mod},
                       {kBad, initMr, "Invalid phase value", mod}, {kBad, initMr, "Invalid factor value", mod},
                       {kBad, initMr, "Invalid factor value", mod});
        EXPECT_TRUE(rec.untouched());
    });
}

TEST(LmsErrors, HighLayerOperations) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        const char* mod = "voklmsh";
        const char* tapsMsg = "Taps state structure is not initialized";
        const char* dlyMsg = "Delay line state structure is not initialized";
        const std::string lmsS = A::fn(api.name, "Lms"), blmsS = A::fn(api.name, "bLms"),
                          desS = A::fn(api.name, "LmsDes"), bdesS = A::fn(api.name, "bLmsDes");
        const char* lms = lmsS.c_str();
        const char* blms = blmsS.c_str();
        const char* des = desS.c_str();
        const char* bdes = bdesS.c_str();
        const W w0[3] = {W{}, W{}, W{}};
        LmsState st;
        api.hInit(0, w0, 3, nullptr, 0.1f, 0, 0, &st);
        D in[4] = {};
        W desired[4] = {};
        Sentinel out(sizeof(W) * 4);
        ReportRecorder r;

        EXPECT_TRUE(sameBits(api.lms(nullptr, D{}, W{}), W{}));
        api.blms(nullptr, in, W{});
        api.blms(&st, nullptr, W{});
        api.des(nullptr, D{}, W{});
        api.bdes(nullptr, in, desired, out.as<W>(), 4);
        api.bdes(&st, nullptr, desired, out.as<W>(), 4);
        api.bdes(&st, in, nullptr, out.as<W>(), 4);
        api.bdes(&st, in, desired, nullptr, 4);
        api.bdes(&st, nullptr, desired, out.as<W>(), 0);
        api.bdes(&st, in, desired, out.as<W>(), 0);
        EXPECT_REPORTS(r, {kBad, lms, kNull, mod}, {kBad, blms, kNull, mod}, {kBad, blms, kNull, mod},
                       {kBad, des, kNull, mod}, {kBad, bdes, kNull, mod}, {kBad, bdes, kNull, mod},
                       {kBad, bdes, kNull, mod}, {kBad, bdes, kNull, mod}, {kBad, bdes, kNull, mod},
                       {kBad, bdes, "Bad value of number of iterations", mod});
        r.clear();

        // A get takes the record out of its set-up state until the matching set.
        W taps[3];
        api.hGetTaps(&st, taps);
        D hist[2];
        api.hGetDlyl(&st, hist);
        EXPECT_EQ(vokGetErrStatus(), 0);
        const std::vector<D> dlyBefore(static_cast<D*>(st.dlyState.dlyl), static_cast<D*>(st.dlyState.dlyl) + 3);
        api.lms(&st, D{}, W{});
        api.blms(&st, nullptr, W{});
        api.blms(&st, in, W{});
        api.des(&st, D{}, W{});
        api.bdes(&st, nullptr, desired, out.as<W>(), 0);
        api.hSetTaps(taps, &st);
        api.lms(&st, D{}, W{});
        api.blms(&st, in, W{});
        api.des(&st, D{}, W{});
        api.bdes(&st, in, desired, out.as<W>(), 4);
        EXPECT_REPORTS(r, {kBad, lms, tapsMsg, mod}, {kBad, blms, kNull, mod}, {kBad, blms, tapsMsg, mod},
                       {kBad, des, tapsMsg, mod}, {kBad, bdes, tapsMsg, mod}, {kBad, lms, dlyMsg, mod},
                       {kBad, blms, dlyMsg, mod}, {kBad, des, dlyMsg, mod}, {kBad, bdes, dlyMsg, mod});
        EXPECT_TRUE(out.untouched());
        EXPECT_TRUE(std::memcmp(dlyBefore.data(), st.dlyState.dlyl, sizeof(D) * 3) == 0);
        api.hSetDlyl(hist, &st);
        r.clear();
        api.lms(&st, D{}, W{});
        EXPECT_REPORTS(r);
        r.clear();

        // access
        const std::string gt = A::fn(api.tapsLetter, "LmsGetTaps"), stp = A::fn(api.tapsLetter, "LmsSetTaps"),
                          gd = A::fn(api.dataLetter, "LmsGetDlyl"), sd = A::fn(api.dataLetter, "LmsSetDlyl"),
                          ge = A::fn(api.tapsLetter, "LmsGetErrVal"), se = A::fn(api.tapsLetter, "LmsSetErrVal");
        api.hGetTaps(nullptr, taps);
        api.hGetTaps(&st, nullptr);
        api.hSetTaps(taps, nullptr);
        api.hGetDlyl(nullptr, hist);
        api.hGetDlyl(&st, nullptr);
        api.hSetDlyl(hist, nullptr);
        EXPECT_TRUE(sameBits(api.hGetErr(nullptr), W{}));
        api.hSetErr(W{}, nullptr);
        EXPECT_REPORTS(r, {kBad, gt.c_str(), kNull, mod}, {kBad, gt.c_str(), kNull, mod},
                       {kBad, stp.c_str(), kNull, mod}, {kBad, gd.c_str(), kNull, mod},
                       {kBad, gd.c_str(), kNull, mod}, {kBad, sd.c_str(), kNull, mod},
                       {kBad, ge.c_str(), kNull, mod}, {kBad, se.c_str(), kNull, mod});
        vokLmsFree(&st);
    });
}

TEST(LmsErrors, HeapFailureOfEitherArray) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        const std::string initS = A::fn(api.name, "LmsInit"), initMrS = A::fn(api.name, "LmsInitMr"),
                          lmsS = A::fn(api.name, "Lms");
        for (int failing = 1; failing <= 2; ++failing) {
            SCOPED_TRACE(failing);
            for (bool mr : {false, true}) {
                LmsState st;
                ReportRecorder r;
                vok::testing::failLmsHeapAfter(failing);
                if (mr) api.hInitMr(0, nullptr, 4, nullptr, 0.1f, 0, 1, 2, 1, &st);
                else api.hInit(0, nullptr, 4, nullptr, 0.1f, 0, 1, &st);
                vok::testing::failLmsHeapAfter(0);
                EXPECT_REPORTS(r, {VOK_StatusNoMemory, (mr ? initMrS : initS).c_str(), "Problem to allocate memory",
                                   "voklmsh"});
                EXPECT_EQ(vokGetErrStatus(), VOK_StatusNoMemory);
                EXPECT_EQ(st.tapState.taps, nullptr);
                EXPECT_EQ(st.dlyState.dlyl, nullptr);
                r.clear();
                api.lms(&st, D{}, W{});
                EXPECT_REPORTS(r, {kBad, lmsS.c_str(), "Taps state structure is not initialized", "voklmsh"});
                vokLmsFree(&st);  // harmless on a released record
            }
        }
    });
}

// The delay-line mode conflicts only set the status: no report, no change.
TEST(LmsErrors, DelayLineModeConflictsAreSilent) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        W taps[3] = {};
        auto line = randomVector<D>(3, 91);
        const auto before = line;
        LmsTapState tap;
        LmsDlyState dly;
        api.init(0, taps, 3, 0.1f, 0, 0, &tap);
        api.initDlyl(&tap, line.data(), 1, &dly);
        ReportRecorder r;
        api.setDlyl(&tap, line.data(), &dly);  // own array, already in filter mode
        EXPECT_EQ(vokGetErrStatus(), VOK_StatusInternal);
        EXPECT_TRUE(std::memcmp(line.data(), before.data(), sizeof(D) * 3) == 0);
        EXPECT_EQ(dly.isFilterMode, 1);
        vokSetErrStatus(0);
        api.getDlyl(&tap, &dly, line.data());  // own array: reversed in place, out of filter mode
        EXPECT_EQ(vokGetErrStatus(), 0);
        EXPECT_EQ(dly.isFilterMode, 0);
        EXPECT_TRUE(sameBits(line[0], before[1]) && sameBits(line[1], before[0]) && sameBits(line[2], before[2]));
        api.getDlyl(&tap, &dly, line.data());  // own array, not in filter mode
        EXPECT_EQ(vokGetErrStatus(), VOK_StatusInternal);
        EXPECT_TRUE(sameBits(line[0], before[1]) && sameBits(line[1], before[0]));
        EXPECT_EQ(dly.isFilterMode, 0);
        vokSetErrStatus(0);
        api.setDlyl(&tap, line.data(), &dly);  // own array out of filter mode: reversed back
        EXPECT_EQ(vokGetErrStatus(), 0);
        EXPECT_EQ(dly.isFilterMode, 1);
        EXPECT_TRUE(std::memcmp(line.data(), before.data(), sizeof(D) * 3) == 0);
        EXPECT_REPORTS(r);
    });
}

}  // namespace
