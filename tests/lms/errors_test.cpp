// Every failure report of the LMS filters, row by row in check order, with
// proof that the failed call left records and buffers alone; the silent
// delay-line mode conflicts; and heap failures of the high-level initialisation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filter/lms.h"
#include "voktest/filter_calls.h"

namespace {

using namespace voktest;

constexpr const char* kNull = "Null buffer pointer";
constexpr const char* kLen = "Invalid buffer length";
constexpr const char* kErrDly = "Invalid error delay value";
constexpr const char* kFactor = "Invalid factor value";

TEST(LmsErrors, LowLayer) {
    forEachFilter<true>([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        W taps[4] = {};
        D dlyl[8] = {};
        Sentinel rec(sizeof(LmsTapState)), dlyRec(sizeof(LmsDlyState)), out(sizeof(W) * 4), outD(sizeof(D) * 4);
        LmsTapState *bad = rec.as<LmsTapState>(), tap;
        LmsDlyState dly;
        ReportSteps step("voklmsl");
        rejects(step, fn(api.tapsName, "LmslInit"), api.mInit, {0, taps, 4, 0.1f, 0, 0, bad},
                {{kNull, {{1}}}, {kNull, {{6}}}, {kNull, {{1}, {2, 0}, {5, -1}, {6}}}, {kLen, {{2, 0}, {5, -1}}},
                 {kErrDly, {{2, 1}, {5, -1}}}});
        rejects(step, fn(api.tapsName, "LmslInitMr"), api.mInitMr, {0, taps, 4, 0.1f, 0, 0, 2, 0, bad},
                {{kNull, {{1}}}, {kLen, {{2, 0}, {5, -1}, {7, -1}}}, {kErrDly, {{5, -1}, {7, -1}}},
                 {kFactor, {{7, -1}}}, {kFactor, {{7, 2}}}, {kFactor, {{6, 0}}}});
        api.mInit(0, taps, 3, 0.5f, 0, 0, &tap);
        rejects(step, fn(api.dataName, "LmslInitDlyl"), api.mInitDlyl, {&tap, dlyl, 1, dlyRec.as<LmsDlyState>()},
                {{kNull, {{3}}}, {kNull, {{0}}}, {kNull, {{1}}}});
        api.mInitDlyl(&tap, dlyl, 1, &dly);
        const LmsTapState tapBefore = tap;
        const LmsDlyState dlyBefore = dly;
        rejects(step, fn(api.tapsName, "LmslSetTaps"), api.mSetTaps, {taps, &tap}, {{kNull, {{1}}}});
        rejects(step, fn(api.tapsName, "LmslGetTaps"), api.mGetTaps, {&tap, out.as<W>()},
                {{kNull, {{0}}}, {kNull, {{1}}}});
        rejects(step, fn(api.dataName, "LmslSetDlyl"), api.mSetDlyl, {&tap, dlyl, &dly},
                {{kNull, {{0}}}, {kNull, {{2}}}});
        rejects(step, fn(api.dataName, "LmslGetDlyl"), api.mGetDlyl, {&tap, &dly, outD.as<D>()},
                {{kNull, {{0}}}, {kNull, {{1}}}, {kNull, {{2}}}});
        rejects(step, fn(api.name, "Lmsl"), api.lmsl, {&tap, &dly, D{}, W{}}, {{kNull, {{1}}}, {kNull, {{0}}}});
        rejects(step, fn(api.name, "bLmsl"), api.blmsl, {&tap, &dly, dlyl, W{}},
                {{kNull, {{0}}}, {kNull, {{1}}}, {kNull, {{2}}}});
        for (const Sentinel* s : {&rec, &dlyRec, &out, &outD}) EXPECT_TRUE(s->untouched());
        EXPECT_TRUE(sameBits(tap, tapBefore) && sameBits(dly, dlyBefore));
    });
}

TEST(LmsErrors, StepLeakAndShortFilter) {
    float taps[2] = {};
    short dlyl[3] = {};
    LmsTapState tap, empty;
    LmsDlyState dly;
    ReportSteps step("voklmsl");
    rejects(step, "voksLmslSetStep", voksLmslSetStep, {1.0f, &tap}, {{kNull, {{1}}}});
    rejects(step, "voksLmslGetStep", voksLmslGetStep, {&tap}, {{kNull, {{0}}}});
    rejects(step, "voksLmslSetLeak", voksLmslSetLeak, {1.0f, &tap}, {{kNull, {{1}}}});
    rejects(step, "voksLmslGetLeak", voksLmslGetLeak, {&tap}, {{kNull, {{0}}}});
    rejects(step, "vokwLmslSetStep", vokwLmslSetStep, {1.0f, &tap}, {{kNull, {{1}}}});
    rejects(step, "vokwLmslGetStep", vokwLmslGetStep, {&tap}, {{kNull, {{0}}}});
    rejects(step, "vokwLmslInit", vokwLmslInit, {0, taps, 2, 0.1f, 1, &tap},
            {{kNull, {{1}, {5}}}, {kLen, {{2, 0}, {4, -1}}}, {kErrDly, {{4, -1}}}});
    vokwLmslInit(0, taps, 2, 0.1f, 1, &tap);
    rejects(step, "vokwLmslInitDlyl", vokwLmslInitDlyl, {&tap, dlyl, &dly}, {{kNull, {{1}}}});
    vokwLmslInitDlyl(&tap, dlyl, &dly);
    empty = tap;
    empty.taps = nullptr;  // a record without taps array
    rejects(step, "vokwLmslSetTaps", vokwLmslSetTaps, {taps, &tap}, {{kNull, {{1}}}});
    rejects(step, "vokwLmslSetTaps", vokwLmslSetTaps, {taps, &empty}, {{kNull, {}}});
    rejects(step, "vokwLmslGetTaps", vokwLmslGetTaps, {&tap, taps}, {{kNull, {{1}}}});
    rejects(step, "vokwLmslSetDlyl", vokwLmslSetDlyl, {&tap, dlyl, &dly}, {{kNull, {{2}}}});
    rejects(step, "vokwLmslGetDlyl", vokwLmslGetDlyl, {&tap, &dly, dlyl}, {{kNull, {{2}}}});
    rejects(step, "vokwLmsl", vokwLmsl, {&tap, &dly, 1, 1}, {{kNull, {{1}}}, {kNull, {{0}}}});
}

TEST(LmsErrors, HighLayer) {
    forEachFilter<true>([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        const char* tapsMsg = "Taps state structure is not initialized";
        const char* dlyMsg = "Delay line state structure is not initialized";
        const std::string init = fn(api.name, "LmsInit"), initMr = fn(api.name, "LmsInitMr"), lms = fn(api.name, "Lms"),
                          blms = fn(api.name, "bLms"), des = fn(api.name, "LmsDes"), bdes = fn(api.name, "bLmsDes");
        W w0[3] = {}, taps[3], desired[4] = {};
        D in[4] = {}, hist[2];
        Sentinel rec(sizeof(LmsState)), out(sizeof(W) * 4);
        LmsState* bad = rec.as<LmsState>();
        ReportSteps step("voklmsh");
        rejects(step, init, api.lmsInit, {0, w0, 2, nullptr, 0.1f, 0, 0, bad},
                {{kNull, {{7}}}, {kLen, {{2, 0}, {6, -1}}}, {kErrDly, {{6, -1}}}});
        rejects(step, initMr, api.lmsInitMr, {0, w0, 2, nullptr, 0.1f, 0, 0, 2, 0, bad},
                {{kNull, {{9}}}, {kLen, {{2, 0}, {6, -1}, {8, -1}}}, {kErrDly, {{6, -1}, {8, -1}}},
                 {"Invalid phase value", {{8, -1}}}, {kFactor, {{7, 3}, {8, 3}}}, {kFactor, {{7, 0}}}});
        EXPECT_TRUE(rec.untouched());
        LmsState st;
        api.lmsInit(0, w0, 3, nullptr, 0.1f, 0, 0, &st);
        rejects(step, lms, api.lms, {&st, D{}, W{}}, {{kNull, {{0}}}});
        rejects(step, blms, api.blms, {&st, in, W{}}, {{kNull, {{0}}}, {kNull, {{1}}}});
        rejects(step, des, api.des, {&st, D{}, W{}}, {{kNull, {{0}}}});
        rejects(step, bdes, api.bdes, {&st, in, desired, out.as<W>(), 4},
                {{kNull, {{0}}}, {kNull, {{1}}}, {kNull, {{2}}}, {kNull, {{3}}}, {kNull, {{1}, {4, 0}}},
                 {"Bad value of number of iterations", {{4, 0}}}});
        // A get takes the record out of its set-up state until the matching set.
        step.run(
            [&] {
                api.sGetTaps(&st, taps);
                api.sGetDlyl(&st, hist);
            },
            {});
        const std::vector<D> dlyBefore(static_cast<D*>(st.dlyState.dlyl), static_cast<D*>(st.dlyState.dlyl) + 3);
        for (const char* msg : {tapsMsg, dlyMsg}) {
            rejects(step, lms, api.lms, {&st, D{}, W{}}, {{msg, {}}});
            rejects(step, blms, api.blms, {&st, in, W{}}, {{msg, {}}});
            rejects(step, des, api.des, {&st, D{}, W{}}, {{msg, {}}});
            rejects(step, bdes, api.bdes, {&st, in, desired, out.as<W>(), 4}, {{msg, {}}});
            if (msg == tapsMsg) {  // the input is checked before the record, the count after it
                rejects(step, blms, api.blms, {&st, in, W{}}, {{kNull, {{1}}}});
                rejects(step, bdes, api.bdes, {&st, in, desired, out.as<W>(), 4}, {{tapsMsg, {{1}, {4, 0}}}});
            }
            api.sSetTaps(taps, &st);
        }
        EXPECT_TRUE(out.untouched());
        EXPECT_EQ(0, std::memcmp(dlyBefore.data(), st.dlyState.dlyl, sizeof(D) * 3));
        api.sSetDlyl(hist, &st);
        step.run([&] { api.lms(&st, D{}, W{}); }, {});
        rejects(step, fn(api.tapsName, "LmsGetTaps"), api.sGetTaps, {&st, taps}, {{kNull, {{0}}}, {kNull, {{1}}}});
        rejects(step, fn(api.tapsName, "LmsSetTaps"), api.sSetTaps, {taps, &st}, {{kNull, {{1}}}});
        rejects(step, fn(api.dataName, "LmsGetDlyl"), api.sGetDlyl, {&st, hist}, {{kNull, {{0}}}, {kNull, {{1}}}});
        rejects(step, fn(api.dataName, "LmsSetDlyl"), api.sSetDlyl, {hist, &st}, {{kNull, {{1}}}});
        rejects(step, fn(api.tapsName, "LmsGetErrVal"), api.sGetErr, {&st}, {{kNull, {{0}}}});
        rejects(step, fn(api.tapsName, "LmsSetErrVal"), api.sSetErr, {W{}, &st}, {{kNull, {{1}}}});
        vokLmsFree(&st);
        // Either array of either initialisation may fail: the record ends
        // released and counts as uninitialised; freeing it again is harmless.
        for (int failing = 1; failing <= 2; ++failing) {
            for (bool mr : {false, true}) {
                SCOPED_TRACE(testing::Message() << failing << " " << mr);
                step.run(
                    [&] {
                        vok::testing::failLmsHeapAfter(failing);
                        if (mr) api.lmsInitMr(0, nullptr, 4, nullptr, 0.1f, 0, 1, 2, 1, &st);
                        else api.lmsInit(0, nullptr, 4, nullptr, 0.1f, 0, 1, &st);
                        vok::testing::failLmsHeapAfter(0);
                        EXPECT_EQ(vokGetErrStatus(), VOK_StatusNoMemory);
                    },
                    {{VOK_StatusNoMemory, (mr ? initMr : init).c_str(), "Problem to allocate memory", "voklmsh"}});
                EXPECT_TRUE(st.tapState.taps == nullptr && st.dlyState.dlyl == nullptr);
                rejects(step, lms, api.lms, {&st, D{}, W{}}, {{tapsMsg, {}}});
                vokLmsFree(&st);
            }
        }
    });
}

// The filters without adaptation: their own checks, then those of the FIR
// filters they run (reported as the FIR functions').
TEST(LmsErrors, FilteringWithoutAdaptation) {
    forEachFilter([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using O = typename A::O;
        typename A::W taps[3] = {}, tapsOut[3];
        auto slots = randomVector<D>(5, 231);  // three for the single-rate record, five when decimating by 2
        const auto before = slots;
        D view[2], in[4] = {};
        LmsTapState tap, multi;
        LmsDlyState dly, mdly;
        api.mInitMr(0, taps, 3, 0.5f, 0.25f, 0, 1, 0, &tap);
        api.mInitDlyl(&tap, slots.data(), 1, &dly);
        Sentinel out(sizeof(O) * 4);
        ReportSteps step("voklmsl");
        rejects(step, fn(api.name, "LmslNa"), api.na, {&tap, &dly, D{}}, {{kNull, {{1}}}, {kNull, {{0}}}});
        rejects(step, fn(api.name, "bLmslNa"), api.bna, {&tap, &dly, in, out.as<O>(), 4},
                {{kNull, {{1}, {2}, {3}, {4, 0}}}, {kNull, {{0}}}, {kNull, {{3}, {4, 0}}}, {kNull, {{2}, {4, 0}}},
                 {kLen, {{4, 0}}}});
        api.mGetDlyl(&tap, &dly, view);  // both records out of filter mode
        api.mGetTaps(&tap, tapsOut);
        const std::string bfirl = fn(api.name, "bFirl");
        const Expected notFilterMode{VOK_StatusBadArg, bfirl.c_str(), "Not filter mode", "vokfirl"};
        step.run([&] { api.bna(&tap, &dly, in, out.as<O>(), 4); }, {notFilterMode});
        dly.isFilterMode = 1;
        step.run([&] { api.bna(&tap, &dly, in, out.as<O>(), 4); }, {notFilterMode});
        api.mInitMr(0, taps, 3, 0.5f, 0.25f, 0, 2, 1, &multi);
        api.mInitDlyl(&multi, slots.data(), 1, &mdly);
        const std::string firl = fn(api.name, "Firl");  // the one-sample FIR is single rate
        step.run([&] { api.na(&multi, &mdly, D{}); }, {{VOK_StatusBadArg, firl.c_str(), kFactor, "vokfirl"}});
        EXPECT_TRUE(out.untouched());
        EXPECT_EQ(0, std::memcmp(before.data(), slots.data(), sizeof(D) * slots.size()));
    });
}

// The delay-line mode conflicts only set the status: no report, no change.
TEST(LmsErrors, DelayLineModeConflictsAreSilent) {
    forEachFilter<true>([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        typename std::decay_t<decltype(api)>::W taps[3] = {};
        auto line = randomVector<D>(3, 91);
        const auto before = line;
        LmsTapState tap;
        LmsDlyState dly;
        api.mInit(0, taps, 3, 0.1f, 0, 0, &tap);
        api.mInitDlyl(&tap, line.data(), 1, &dly);
        ReportRecorder r;
        // Own array in filter mode set, taken (reversed in place), taken again, set back.
        const int status[] = {VOK_StatusInternal, 0, VOK_StatusInternal, 0}, mode[] = {1, 0, 0, 1};
        const int order[][3] = {{0, 1, 2}, {1, 0, 2}, {1, 0, 2}, {0, 1, 2}};
        for (int i = 0; i < 4; ++i) {
            vokSetErrStatus(0);
            if (i % 3 == 0) api.mSetDlyl(&tap, line.data(), &dly);
            else api.mGetDlyl(&tap, &dly, line.data());
            EXPECT_EQ(vokGetErrStatus(), status[i]) << i;
            EXPECT_EQ(dly.isFilterMode, mode[i]) << i;
            for (int k = 0; k < 3; ++k) EXPECT_TRUE(sameBits(line[k], before[order[i][k]])) << i << " " << k;
        }
        EXPECT_REPORTS(r);
    });
}

}  // namespace
