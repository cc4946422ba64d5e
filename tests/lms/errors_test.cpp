// Every failure report of the LMS filters, in check order, with proof that
// the failed call left records and buffers alone; the silent delay-line mode
// conflicts; and heap failures of the high-level initialisation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "filter/lms.h"
#include "lms_support.h"
#include "support/report_steps.h"
#include "support/reports.h"

namespace {

using namespace lmstest;
using voktest::ReportRecorder;
using voktest::ReportSteps;
using voktest::Sentinel;

constexpr const char* kNull = "Null buffer pointer";
constexpr const char* kLen = "Invalid buffer length";
constexpr const char* kErrDly = "Invalid error delay value";
constexpr const char* kFactor = "Invalid factor value";
constexpr int kBad = VOK_StatusBadArg;

TEST(LmsErrors, LowLayerSetUp) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        const std::string init = A::fn(api.tapsLetter, "LmslInit"), initMr = A::fn(api.tapsLetter, "LmslInitMr"),
                          initDlyl = A::fn(api.dataLetter, "LmslInitDlyl");
        typename A::W taps[4] = {};
        typename A::D dlyl[8] = {};
        Sentinel rec(sizeof(LmsTapState)), dlyRec(sizeof(LmsDlyState));
        LmsTapState* tap = rec.as<LmsTapState>();
        ReportSteps step("voklmsl");
        step(init, kNull, [&] { api.init(0, nullptr, 4, 0.1f, 0, 0, tap); });
        step(init, kNull, [&] { api.init(0, taps, 4, 0.1f, 0, 0, nullptr); });
        step(init, kNull, [&] { api.init(0, nullptr, 0, 0.1f, 0, -1, nullptr); });
        step(init, kLen, [&] { api.init(0, taps, 0, 0.1f, 0, -1, tap); });
        step(init, kErrDly, [&] { api.init(0, taps, 1, 0.1f, 0, -1, tap); });
        step(initMr, kNull, [&] { api.initMr(0, nullptr, 4, 0.1f, 0, 0, 2, 0, tap); });
        step(initMr, kLen, [&] { api.initMr(0, taps, 0, 0.1f, 0, -1, 2, -1, tap); });
        step(initMr, kErrDly, [&] { api.initMr(0, taps, 4, 0.1f, 0, -1, 2, -1, tap); });
        step(initMr, kFactor, [&] { api.initMr(0, taps, 4, 0.1f, 0, 0, 2, -1, tap); });
        step(initMr, kFactor, [&] { api.initMr(0, taps, 4, 0.1f, 0, 0, 2, 2, tap); });
        step(initMr, kFactor, [&] { api.initMr(0, taps, 4, 0.1f, 0, 0, 0, 0, tap); });
        EXPECT_TRUE(rec.untouched());
        LmsTapState good;
        api.init(0, taps, 4, 0.1f, 0, 0, &good);
        step(initDlyl, kNull, [&] { api.initDlyl(&good, dlyl, 1, nullptr); });
        step(initDlyl, kNull, [&] { api.initDlyl(nullptr, dlyl, 1, dlyRec.as<LmsDlyState>()); });
        step(initDlyl, kNull, [&] { api.initDlyl(&good, nullptr, 1, dlyRec.as<LmsDlyState>()); });
        EXPECT_TRUE(dlyRec.untouched());
    });
}

TEST(LmsErrors, LowLayerAccessAndFiltering) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
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
        const D x[1] = {};
        ReportSteps step("voklmsl");
        step(setTaps, kNull, [&] { api.setTaps(taps, nullptr); });
        step(getTaps, kNull, [&] { EXPECT_NE(api.getTaps(nullptr, out.as<W>()), 0); });
        step(getTaps, kNull, [&] { EXPECT_NE(api.getTaps(&tap, nullptr), 0); });
        step(setDlyl, kNull, [&] { api.setDlyl(nullptr, dlyl, &dly); });
        step(setDlyl, kNull, [&] { api.setDlyl(&tap, dlyl, nullptr); });
        step(getDlyl, kNull, [&] { api.getDlyl(nullptr, &dly, outD.as<D>()); });
        step(getDlyl, kNull, [&] { api.getDlyl(&tap, nullptr, outD.as<D>()); });
        step(getDlyl, kNull, [&] { api.getDlyl(&tap, &dly, nullptr); });
        step(lmsl, kNull, [&] { EXPECT_TRUE(sameBits(api.lmsl(&tap, nullptr, D{}, W{}), W{})); });
        step(lmsl, kNull, [&] { EXPECT_TRUE(sameBits(api.lmsl(nullptr, &dly, D{}, W{}), W{})); });
        step(blmsl, kNull, [&] { api.blmsl(nullptr, &dly, x, W{}); });
        step(blmsl, kNull, [&] { api.blmsl(&tap, nullptr, x, W{}); });
        step(blmsl, kNull, [&] { api.blmsl(&tap, &dly, nullptr, W{}); });
        EXPECT_TRUE(out.untouched());
        EXPECT_TRUE(outD.untouched());
        EXPECT_EQ(std::memcmp(&tap, &tapBefore, sizeof tap), 0);
        EXPECT_EQ(std::memcmp(&dly, &dlyBefore, sizeof dly), 0);
    });
}

TEST(LmsErrors, StepAndLeakAccessorsAndShortFilter) {
    float taps[2] = {};
    short dlyl[3] = {};
    LmsTapState tap;
    LmsDlyState dly;
    ReportSteps step("voklmsl");
    step("voksLmslSetStep", kNull, [] { voksLmslSetStep(1, nullptr); });
    step("voksLmslGetStep", kNull, [] { EXPECT_EQ(voksLmslGetStep(nullptr), 0.0f); });
    step("voksLmslSetLeak", kNull, [] { voksLmslSetLeak(1, nullptr); });
    step("voksLmslGetLeak", kNull, [] { EXPECT_EQ(voksLmslGetLeak(nullptr), 0.0f); });
    step("vokwLmslSetStep", kNull, [] { vokwLmslSetStep(1, nullptr); });
    step("vokwLmslGetStep", kNull, [] { EXPECT_EQ(vokwLmslGetStep(nullptr), 0.0f); });
    step("vokwLmslInit", kNull, [] { vokwLmslInit(0, nullptr, 2, 0.1f, 0, nullptr); });
    step("vokwLmslInit", kLen, [&] { vokwLmslInit(0, taps, 0, 0.1f, -1, &tap); });
    step("vokwLmslInit", kErrDly, [&] { vokwLmslInit(0, taps, 2, 0.1f, -1, &tap); });
    vokwLmslInit(0, taps, 2, 0.1f, 1, &tap);
    step("vokwLmslInitDlyl", kNull, [&] { vokwLmslInitDlyl(&tap, nullptr, &dly); });
    vokwLmslInitDlyl(&tap, dlyl, &dly);
    LmsTapState empty = tap;
    empty.taps = nullptr;
    step("vokwLmslSetTaps", kNull, [&] { vokwLmslSetTaps(taps, &empty); });
    step("vokwLmslSetTaps", kNull, [&] { vokwLmslSetTaps(taps, nullptr); });
    step("vokwLmslGetTaps", kNull, [&] { EXPECT_NE(vokwLmslGetTaps(&tap, nullptr), 0); });
    step("vokwLmslSetDlyl", kNull, [&] { vokwLmslSetDlyl(&tap, dlyl, nullptr); });
    step("vokwLmslGetDlyl", kNull, [&] { vokwLmslGetDlyl(&tap, &dly, nullptr); });
    step("vokwLmsl", kNull, [&] { EXPECT_EQ(vokwLmsl(&tap, nullptr, 1, 1), 0); });
    step("vokwLmsl", kNull, [&] { EXPECT_EQ(vokwLmsl(nullptr, &dly, 1, 1), 0); });
}

TEST(LmsErrors, HighLayerSetUp) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        const std::string init = A::fn(api.name, "LmsInit"), initMr = A::fn(api.name, "LmsInitMr");
        const typename A::W taps[2] = {};
        Sentinel rec(sizeof(LmsState));
        LmsState* st = rec.as<LmsState>();
        ReportSteps step("voklmsh");
        step(init, kNull, [&] { api.hInit(0, taps, 2, nullptr, 0.1f, 0, 0, nullptr); });
        step(init, kLen, [&] { api.hInit(0, taps, 0, nullptr, 0.1f, 0, -1, st); });
        step(init, kErrDly, [&] { api.hInit(0, taps, 2, nullptr, 0.1f, 0, -1, st); });
        step(initMr, kNull, [&] { api.hInitMr(0, taps, 2, nullptr, 0.1f, 0, 0, 2, 0, nullptr); });
        step(initMr, kLen, [&] { api.hInitMr(0, taps, 0, nullptr, 0.1f, 0, -1, 2, -1, st); });
        step(initMr, kErrDly, [&] { api.hInitMr(0, taps, 2, nullptr, 0.1f, 0, -1, 2, -1, st); });
        step(initMr, "Invalid phase value", [&] { api.hInitMr(0, taps, 2, nullptr, 0.1f, 0, 0, 2, -1, st); });
        step(initMr, kFactor, [&] { api.hInitMr(0, taps, 2, nullptr, 0.1f, 0, 0, 3, 3, st); });
        step(initMr, kFactor, [&] { api.hInitMr(0, taps, 2, nullptr, 0.1f, 0, 0, 0, 0, st); });
        EXPECT_TRUE(rec.untouched());
    });
}

TEST(LmsErrors, HighLayerOperations) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        const char* tapsMsg = "Taps state structure is not initialized";
        const char* dlyMsg = "Delay line state structure is not initialized";
        const std::string lms = A::fn(api.name, "Lms"), blms = A::fn(api.name, "bLms"),
                          des = A::fn(api.name, "LmsDes"), bdes = A::fn(api.name, "bLmsDes");
        const W w0[3] = {W{}, W{}, W{}};
        LmsState st;
        api.hInit(0, w0, 3, nullptr, 0.1f, 0, 0, &st);
        D in[4] = {};
        W desired[4] = {};
        Sentinel out(sizeof(W) * 4);
        ReportSteps step("voklmsh");
        step(lms, kNull, [&] { EXPECT_TRUE(sameBits(api.lms(nullptr, D{}, W{}), W{})); });
        step(blms, kNull, [&] { api.blms(nullptr, in, W{}); });
        step(blms, kNull, [&] { api.blms(&st, nullptr, W{}); });
        step(des, kNull, [&] { api.des(nullptr, D{}, W{}); });
        step(bdes, kNull, [&] { api.bdes(nullptr, in, desired, out.as<W>(), 4); });
        step(bdes, kNull, [&] { api.bdes(&st, nullptr, desired, out.as<W>(), 4); });
        step(bdes, kNull, [&] { api.bdes(&st, in, nullptr, out.as<W>(), 4); });
        step(bdes, kNull, [&] { api.bdes(&st, in, desired, nullptr, 4); });
        step(bdes, kNull, [&] { api.bdes(&st, nullptr, desired, out.as<W>(), 0); });
        step(bdes, "Bad value of number of iterations", [&] { api.bdes(&st, in, desired, out.as<W>(), 0); });

        // A get takes the record out of its set-up state until the matching set.
        W taps[3];
        vokSetErrStatus(VOK_StatusOk);
        api.hGetTaps(&st, taps);
        D hist[2];
        api.hGetDlyl(&st, hist);
        EXPECT_EQ(vokGetErrStatus(), 0);
        const std::vector<D> dlyBefore(static_cast<D*>(st.dlyState.dlyl), static_cast<D*>(st.dlyState.dlyl) + 3);
        step(lms, tapsMsg, [&] { api.lms(&st, D{}, W{}); });
        step(blms, kNull, [&] { api.blms(&st, nullptr, W{}); });
        step(blms, tapsMsg, [&] { api.blms(&st, in, W{}); });
        step(des, tapsMsg, [&] { api.des(&st, D{}, W{}); });
        step(bdes, tapsMsg, [&] { api.bdes(&st, nullptr, desired, out.as<W>(), 0); });
        api.hSetTaps(taps, &st);
        step(lms, dlyMsg, [&] { api.lms(&st, D{}, W{}); });
        step(blms, dlyMsg, [&] { api.blms(&st, in, W{}); });
        step(des, dlyMsg, [&] { api.des(&st, D{}, W{}); });
        step(bdes, dlyMsg, [&] { api.bdes(&st, in, desired, out.as<W>(), 4); });
        EXPECT_TRUE(out.untouched());
        EXPECT_TRUE(std::memcmp(dlyBefore.data(), st.dlyState.dlyl, sizeof(D) * 3) == 0);
        api.hSetDlyl(hist, &st);
        step.run([&] { api.lms(&st, D{}, W{}); }, {});

        const std::string gt = A::fn(api.tapsLetter, "LmsGetTaps"), stp = A::fn(api.tapsLetter, "LmsSetTaps"),
                          gd = A::fn(api.dataLetter, "LmsGetDlyl"), sd = A::fn(api.dataLetter, "LmsSetDlyl"),
                          ge = A::fn(api.tapsLetter, "LmsGetErrVal"), se = A::fn(api.tapsLetter, "LmsSetErrVal");
        step(gt, kNull, [&] { api.hGetTaps(nullptr, taps); });
        step(gt, kNull, [&] { api.hGetTaps(&st, nullptr); });
        step(stp, kNull, [&] { api.hSetTaps(taps, nullptr); });
        step(gd, kNull, [&] { api.hGetDlyl(nullptr, hist); });
        step(gd, kNull, [&] { api.hGetDlyl(&st, nullptr); });
        step(sd, kNull, [&] { api.hSetDlyl(hist, nullptr); });
        step(ge, kNull, [&] { EXPECT_TRUE(sameBits(api.hGetErr(nullptr), W{})); });
        step(se, kNull, [&] { api.hSetErr(W{}, nullptr); });
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
