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

TEST(LmsErrors, LowLayer) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        const std::string init = fn(api.tapsLetter, "LmslInit"), initMr = fn(api.tapsLetter, "LmslInitMr"),
                          initDlyl = fn(api.dataLetter, "LmslInitDlyl"), setTaps = fn(api.tapsLetter, "LmslSetTaps"),
                          getTaps = fn(api.tapsLetter, "LmslGetTaps"), setDlyl = fn(api.dataLetter, "LmslSetDlyl"),
                          getDlyl = fn(api.dataLetter, "LmslGetDlyl"), lmsl = fn(api.name, "Lmsl"),
                          blmsl = fn(api.name, "bLmsl");
        W taps[4] = {};
        D dlyl[8] = {};
        Sentinel rec(sizeof(LmsTapState)), dlyRec(sizeof(LmsDlyState)), out(sizeof(W) * 4), outD(sizeof(D) * 4);
        LmsTapState* bad = rec.as<LmsTapState>();
        ReportSteps step("voklmsl");
        step(init, kNull, [&] { api.init(0, nullptr, 4, 0.1f, 0, 0, bad); });
        step(init, kNull, [&] { api.init(0, taps, 4, 0.1f, 0, 0, nullptr); });
        step(init, kNull, [&] { api.init(0, nullptr, 0, 0.1f, 0, -1, nullptr); });
        step(init, kLen, [&] { api.init(0, taps, 0, 0.1f, 0, -1, bad); });
        step(init, kErrDly, [&] { api.init(0, taps, 1, 0.1f, 0, -1, bad); });
        step(initMr, kNull, [&] { api.initMr(0, nullptr, 4, 0.1f, 0, 0, 2, 0, bad); });
        step(initMr, kLen, [&] { api.initMr(0, taps, 0, 0.1f, 0, -1, 2, -1, bad); });
        step(initMr, kErrDly, [&] { api.initMr(0, taps, 4, 0.1f, 0, -1, 2, -1, bad); });
        step(initMr, kFactor, [&] { api.initMr(0, taps, 4, 0.1f, 0, 0, 2, -1, bad); });
        step(initMr, kFactor, [&] { api.initMr(0, taps, 4, 0.1f, 0, 0, 2, 2, bad); });
        step(initMr, kFactor, [&] { api.initMr(0, taps, 4, 0.1f, 0, 0, 0, 0, bad); });
        LmsTapState tap;
        LmsDlyState dly;
        api.init(0, taps, 3, 0.5f, 0, 0, &tap);
        step(initDlyl, kNull, [&] { api.initDlyl(&tap, dlyl, 1, nullptr); });
        step(initDlyl, kNull, [&] { api.initDlyl(nullptr, dlyl, 1, dlyRec.as<LmsDlyState>()); });
        step(initDlyl, kNull, [&] { api.initDlyl(&tap, nullptr, 1, dlyRec.as<LmsDlyState>()); });
        api.initDlyl(&tap, dlyl, 1, &dly);
        const LmsTapState tapBefore = tap;
        const LmsDlyState dlyBefore = dly;
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
        step(blmsl, kNull, [&] { api.blmsl(nullptr, &dly, dlyl, W{}); });
        step(blmsl, kNull, [&] { api.blmsl(&tap, nullptr, dlyl, W{}); });
        step(blmsl, kNull, [&] { api.blmsl(&tap, &dly, nullptr, W{}); });
        for (const Sentinel* s : {&rec, &dlyRec, &out, &outD}) EXPECT_TRUE(s->untouched());
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

TEST(LmsErrors, HighLayer) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        const char* tapsMsg = "Taps state structure is not initialized";
        const char* dlyMsg = "Delay line state structure is not initialized";
        const std::string init = fn(api.name, "LmsInit"), initMr = fn(api.name, "LmsInitMr"), lms = fn(api.name, "Lms"),
                          blms = fn(api.name, "bLms"), des = fn(api.name, "LmsDes"), bdes = fn(api.name, "bLmsDes");
        const W w0[3] = {};
        Sentinel rec(sizeof(LmsState)), out(sizeof(W) * 4);
        LmsState* bad = rec.as<LmsState>();
        ReportSteps step("voklmsh");
        step(init, kNull, [&] { api.hInit(0, w0, 2, nullptr, 0.1f, 0, 0, nullptr); });
        step(init, kLen, [&] { api.hInit(0, w0, 0, nullptr, 0.1f, 0, -1, bad); });
        step(init, kErrDly, [&] { api.hInit(0, w0, 2, nullptr, 0.1f, 0, -1, bad); });
        step(initMr, kNull, [&] { api.hInitMr(0, w0, 2, nullptr, 0.1f, 0, 0, 2, 0, nullptr); });
        step(initMr, kLen, [&] { api.hInitMr(0, w0, 0, nullptr, 0.1f, 0, -1, 2, -1, bad); });
        step(initMr, kErrDly, [&] { api.hInitMr(0, w0, 2, nullptr, 0.1f, 0, -1, 2, -1, bad); });
        step(initMr, "Invalid phase value", [&] { api.hInitMr(0, w0, 2, nullptr, 0.1f, 0, 0, 2, -1, bad); });
        step(initMr, kFactor, [&] { api.hInitMr(0, w0, 2, nullptr, 0.1f, 0, 0, 3, 3, bad); });
        step(initMr, kFactor, [&] { api.hInitMr(0, w0, 2, nullptr, 0.1f, 0, 0, 0, 0, bad); });
        EXPECT_TRUE(rec.untouched());

        LmsState st;
        api.hInit(0, w0, 3, nullptr, 0.1f, 0, 0, &st);
        D in[4] = {};
        W desired[4] = {};
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
        D hist[2];
        step.run([&] { api.hGetTaps(&st, taps); api.hGetDlyl(&st, hist); }, {});
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
        EXPECT_EQ(0, std::memcmp(dlyBefore.data(), st.dlyState.dlyl, sizeof(D) * 3));
        api.hSetDlyl(hist, &st);
        step.run([&] { api.lms(&st, D{}, W{}); }, {});

        const std::string gt = fn(api.tapsLetter, "LmsGetTaps"), stp = fn(api.tapsLetter, "LmsSetTaps"),
                          gd = fn(api.dataLetter, "LmsGetDlyl"), sd = fn(api.dataLetter, "LmsSetDlyl"),
                          ge = fn(api.tapsLetter, "LmsGetErrVal"), se = fn(api.tapsLetter, "LmsSetErrVal");
        step(gt, kNull, [&] { api.hGetTaps(nullptr, taps); });
        step(gt, kNull, [&] { api.hGetTaps(&st, nullptr); });
        step(stp, kNull, [&] { api.hSetTaps(taps, nullptr); });
        step(gd, kNull, [&] { api.hGetDlyl(nullptr, hist); });
        step(gd, kNull, [&] { api.hGetDlyl(&st, nullptr); });
        step(sd, kNull, [&] { api.hSetDlyl(hist, nullptr); });
        step(ge, kNull, [&] { EXPECT_TRUE(sameBits(api.hGetErr(nullptr), W{})); });
        step(se, kNull, [&] { api.hSetErr(W{}, nullptr); });
        vokLmsFree(&st);

        // Either array of either initialisation may fail: the record ends
        // released and counts as uninitialised; freeing it again is harmless.
        for (int failing = 1; failing <= 2; ++failing) {
            for (bool mr : {false, true}) {
                SCOPED_TRACE(testing::Message() << failing << " " << mr);
                step.run(
                    [&] {
                        vok::testing::failLmsHeapAfter(failing);
                        if (mr) api.hInitMr(0, nullptr, 4, nullptr, 0.1f, 0, 1, 2, 1, &st);
                        else api.hInit(0, nullptr, 4, nullptr, 0.1f, 0, 1, &st);
                        vok::testing::failLmsHeapAfter(0);
                        EXPECT_EQ(vokGetErrStatus(), VOK_StatusNoMemory);
                    },
                    {{VOK_StatusNoMemory, (mr ? initMr : init).c_str(), "Problem to allocate memory", "voklmsh"}});
                EXPECT_EQ(st.tapState.taps, nullptr);
                EXPECT_EQ(st.dlyState.dlyl, nullptr);
                step(lms, tapsMsg, [&] { api.lms(&st, D{}, W{}); });
                vokLmsFree(&st);
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
        // Own array in filter mode set, taken (reversed in place), taken again, set back.
        const int status[] = {VOK_StatusInternal, 0, VOK_StatusInternal, 0}, mode[] = {1, 0, 0, 1};
        const int order[][3] = {{0, 1, 2}, {1, 0, 2}, {1, 0, 2}, {0, 1, 2}};
        for (int i = 0; i < 4; ++i) {
            vokSetErrStatus(0);
            if (i % 3 == 0) api.setDlyl(&tap, line.data(), &dly);
            else api.getDlyl(&tap, &dly, line.data());
            EXPECT_EQ(vokGetErrStatus(), status[i]) << i;
            EXPECT_EQ(dly.isFilterMode, mode[i]) << i;
            for (int k = 0; k < 3; ++k) EXPECT_TRUE(sameBits(line[k], before[order[i][k]])) << i << " " << k;
        }
        EXPECT_REPORTS(r);
    });
}

}  // namespace
