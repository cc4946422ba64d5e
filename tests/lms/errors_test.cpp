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

// The low layer of every type combination, the filters without adaptation
// (their own checks, then those of the FIR filters they run, reported as the
// FIR functions'), and the delay-line mode conflicts, which only set the status.
TEST(LmsErrors, LowLayer) {
    forEachFilter([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        using O = typename A::O;
        W taps[4] = {};
        D dlyl[8] = {};
        Sentinel rec(sizeof(LmsTapState)), dlyRec(sizeof(LmsDlyState)), out(sizeof(O) * 4), outD(sizeof(D) * 4);
        LmsTapState *bad = rec.as<LmsTapState>(), tap, multi;
        LmsDlyState dly, mdly;
        CheckTable step("voklmsl");
        step(fn(api.tapsName, "LmslInit"), api.mInit,
             {{kNull, {{1}}}, {kNull, {{6}}}, {kNull, {{1}, {2, 0}, {5, -1}, {6}}}, {kLen, {{2, 0}, {5, -1}}},
              {kErrDly, {{2, 1}, {5, -1}}}}, {0, taps, 4, 0.1f, 0, 0, bad});
        step(fn(api.tapsName, "LmslInitMr"), api.mInitMr,
             {{kNull, {{1}}}, {kLen, {{2, 0}, {5, -1}, {7, -1}}}, {kErrDly, {{5, -1}, {7, -1}}}, {kFactor, {{7, -1}}},
              {kFactor, {{7, 2}}}, {kFactor, {{6, 0}}}}, {0, taps, 4, 0.1f, 0, 0, 2, 0, bad});
        api.mInit(0, taps, 3, 0.5f, 0, 0, &tap);
        step(fn(api.dataName, "LmslInitDlyl"), api.mInitDlyl, {{kNull, {{3}}}, {kNull, {{0}}}, {kNull, {{1}}}},
             {&tap, dlyl, 1, dlyRec.as<LmsDlyState>()});
        auto line = randomVector<D>(3, 91);
        const auto lineBefore = line;
        api.mInitDlyl(&tap, line.data(), 1, &dly);
        const LmsTapState tapBefore = tap;
        const LmsDlyState dlyBefore = dly;
        step(fn(api.tapsName, "LmslSetTaps"), api.mSetTaps, {{kNull, {{1}}}}, {taps, &tap});
        step(fn(api.tapsName, "LmslGetTaps"), api.mGetTaps, {{kNull, {{0}}}, {kNull, {{1}}}}, {&tap, out.as<W>()});
        step(fn(api.dataName, "LmslSetDlyl"), api.mSetDlyl, {{kNull, {{0}}}, {kNull, {{2}}}}, {&tap, dlyl, &dly});
        step(fn(api.dataName, "LmslGetDlyl"), api.mGetDlyl, {{kNull, {{0}}}, {kNull, {{1}}}, {kNull, {{2}}}},
             {&tap, &dly, outD.as<D>()});
        if constexpr (requires { api.lmsl; }) {
            step(fn(api.name, "Lmsl"), api.lmsl, {{kNull, {{1}}}, {kNull, {{0}}}}, {&tap, &dly, D{}, W{}});
            step(fn(api.name, "bLmsl"), api.blmsl, {{kNull, {{0}}}, {kNull, {{1}}}, {kNull, {{2}}}},
                 {&tap, &dly, dlyl, W{}});
        }
        D in[4] = {};
        step(fn(api.name, "LmslNa"), api.na, {{kNull, {{1}}}, {kNull, {{0}}}}, {&tap, &dly, D{}});
        step(fn(api.name, "bLmslNa"), api.bna,
             {{kNull, {{1}, {2}, {3}, {4, 0}}}, {kNull, {{0}}}, {kNull, {{3}, {4, 0}}}, {kNull, {{2}, {4, 0}}},
              {kLen, {{4, 0}}}}, {&tap, &dly, in, out.as<O>(), 4});
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
        step.run([&] { api.bna(&tap, &dly, in, out.as<O>(), 4); }, {notFilterMode});
        dly.isFilterMode = 1;
        step.run([&] { api.bna(&tap, &dly, in, out.as<O>(), 4); }, {notFilterMode});
        api.mInitMr(0, taps, 3, 0.5f, 0.25f, 0, 2, 1, &multi);
        api.mInitDlyl(&multi, dlyl, 1, &mdly);  // the one-sample FIR is single rate
        step.run([&] { api.na(&multi, &mdly, D{}); }, {{VOK_StatusBadArg, firl.c_str(), kFactor, "vokfirl"}});
        for (const Sentinel* s : {&rec, &dlyRec, &out, &outD}) EXPECT_TRUE(s->untouched());
        EXPECT_EQ(0, std::memcmp(lineBefore.data(), line.data(), sizeof(D) * 3));
    });
}

TEST(LmsErrors, StepLeakAndShortFilter) {
    float taps[2] = {};
    short dlyl[3] = {};
    LmsTapState tap, empty;
    LmsDlyState dly;
    CheckTable step("voklmsl");
    step("voksLmslSetStep", voksLmslSetStep, {{kNull, {{1}}}}, {1.0f, &tap});
    step("voksLmslGetStep", voksLmslGetStep, {{kNull, {{0}}}}, {&tap});
    step("voksLmslSetLeak", voksLmslSetLeak, {{kNull, {{1}}}}, {1.0f, &tap});
    step("voksLmslGetLeak", voksLmslGetLeak, {{kNull, {{0}}}}, {&tap});
    step("vokwLmslSetStep", vokwLmslSetStep, {{kNull, {{1}}}}, {1.0f, &tap});
    step("vokwLmslGetStep", vokwLmslGetStep, {{kNull, {{0}}}}, {&tap});
    step("vokwLmslInit", vokwLmslInit, {{kNull, {{1}, {5}}}, {kLen, {{2, 0}, {4, -1}}}, {kErrDly, {{4, -1}}}},
         {0, taps, 2, 0.1f, 1, &tap});
    vokwLmslInit(0, taps, 2, 0.1f, 1, &tap);
    step("vokwLmslInitDlyl", vokwLmslInitDlyl, {{kNull, {{1}}}}, {&tap, dlyl, &dly});
    vokwLmslInitDlyl(&tap, dlyl, &dly);
    empty = tap;
    empty.taps = nullptr;  // a record without taps array
    step("vokwLmslSetTaps", vokwLmslSetTaps, {{kNull, {{1}}}}, {taps, &tap});
    step("vokwLmslSetTaps", vokwLmslSetTaps, {{kNull, {}}}, {taps, &empty});
    step("vokwLmslGetTaps", vokwLmslGetTaps, {{kNull, {{1}}}}, {&tap, taps});
    step("vokwLmslSetDlyl", vokwLmslSetDlyl, {{kNull, {{2}}}}, {&tap, dlyl, &dly});
    step("vokwLmslGetDlyl", vokwLmslGetDlyl, {{kNull, {{2}}}}, {&tap, &dly, dlyl});
    step("vokwLmsl", vokwLmsl, {{kNull, {{1}}}, {kNull, {{0}}}}, {&tap, &dly, 1, 1});
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
        CheckTable step("voklmsh");
        step(init, api.lmsInit, {{kNull, {{7}}}, {kLen, {{2, 0}, {6, -1}}}, {kErrDly, {{6, -1}}}},
             {0, w0, 2, nullptr, 0.1f, 0, 0, bad});
        step(initMr, api.lmsInitMr,
             {{kNull, {{9}}}, {kLen, {{2, 0}, {6, -1}, {8, -1}}}, {kErrDly, {{6, -1}, {8, -1}}},
              {"Invalid phase value", {{8, -1}}}, {kFactor, {{7, 3}, {8, 3}}}, {kFactor, {{7, 0}}}},
             {0, w0, 2, nullptr, 0.1f, 0, 0, 2, 0, bad});
        EXPECT_TRUE(rec.untouched());
        LmsState st;
        api.lmsInit(0, w0, 3, nullptr, 0.1f, 0, 0, &st);
        step(lms, api.lms, {{kNull, {{0}}}}, {&st, D{}, W{}});
        step(blms, api.blms, {{kNull, {{0}}}, {kNull, {{1}}}}, {&st, in, W{}});
        step(des, api.des, {{kNull, {{0}}}}, {&st, D{}, W{}});
        step(bdes, api.bdes,
             {{kNull, {{0}}}, {kNull, {{1}}}, {kNull, {{2}}}, {kNull, {{3}}}, {kNull, {{1}, {4, 0}}},
              {"Bad value of number of iterations", {{4, 0}}}}, {&st, in, desired, out.as<W>(), 4});
        // A get takes the record out of its set-up state until the matching set.
        step.run([&] {
            api.sGetTaps(&st, taps);
            api.sGetDlyl(&st, hist);
        }, {});
        const std::vector<D> dlyBefore(static_cast<D*>(st.dlyState.dlyl), static_cast<D*>(st.dlyState.dlyl) + 3);
        for (const char* msg : {tapsMsg, dlyMsg}) {
            step(lms, api.lms, {{msg, {}}}, {&st, D{}, W{}});
            step(blms, api.blms, {{msg, {}}}, {&st, in, W{}});
            step(des, api.des, {{msg, {}}}, {&st, D{}, W{}});
            step(bdes, api.bdes, {{msg, {}}}, {&st, in, desired, out.as<W>(), 4});
            if (msg == tapsMsg) {  // the input is checked before the record, the count after it
                step(blms, api.blms, {{kNull, {{1}}}}, {&st, in, W{}});
                step(bdes, api.bdes, {{tapsMsg, {{1}, {4, 0}}}}, {&st, in, desired, out.as<W>(), 4});
            }
            api.sSetTaps(taps, &st);
        }
        EXPECT_TRUE(out.untouched());
        EXPECT_EQ(0, std::memcmp(dlyBefore.data(), st.dlyState.dlyl, sizeof(D) * 3));
        api.sSetDlyl(hist, &st);
        step.run([&] { api.lms(&st, D{}, W{}); }, {});
        step(fn(api.tapsName, "LmsGetTaps"), api.sGetTaps, {{kNull, {{0}}}, {kNull, {{1}}}}, {&st, taps});
        step(fn(api.tapsName, "LmsSetTaps"), api.sSetTaps, {{kNull, {{1}}}}, {taps, &st});
        step(fn(api.dataName, "LmsGetDlyl"), api.sGetDlyl, {{kNull, {{0}}}, {kNull, {{1}}}}, {&st, hist});
        step(fn(api.dataName, "LmsSetDlyl"), api.sSetDlyl, {{kNull, {{1}}}}, {hist, &st});
        step(fn(api.tapsName, "LmsGetErrVal"), api.sGetErr, {{kNull, {{0}}}}, {&st});
        step(fn(api.tapsName, "LmsSetErrVal"), api.sSetErr, {{kNull, {{1}}}}, {W{}, &st});
        vokLmsFree(&st);
        // Either array of either initialisation may fail: the record ends
        // released and counts as uninitialised; freeing it again is harmless.
        for (int failing = 1; failing <= 2; ++failing) {
            for (bool mr : {false, true}) {
                SCOPED_TRACE(testing::Message() << failing << " " << mr);
                step.run([&] {
                    vok::testing::failLmsHeapAfter(failing);
                    if (mr) api.lmsInitMr(0, nullptr, 4, nullptr, 0.1f, 0, 1, 2, 1, &st);
                    else api.lmsInit(0, nullptr, 4, nullptr, 0.1f, 0, 1, &st);
                    vok::testing::failLmsHeapAfter(0);
                    EXPECT_EQ(vokGetErrStatus(), VOK_StatusNoMemory);
                }, {{VOK_StatusNoMemory, (mr ? initMr : init).c_str(), "Problem to allocate memory", "voklmsh"}});
                EXPECT_TRUE(st.tapState.taps == nullptr && st.dlyState.dlyl == nullptr);
                step(lms, api.lms, {{tapsMsg, {}}}, {&st, D{}, W{}});
                vokLmsFree(&st);
            }
        }
    });
}

}  // namespace
