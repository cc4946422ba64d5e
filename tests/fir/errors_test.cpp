// Every failure report of the FIR filters, row by row in check order, with proof that a failed call
// left records and buffers alone; allocation failures of the single-state initialisations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/test_seams.h"
#include "voktest/filter_calls.h"

namespace {

using namespace voktest;

constexpr const char *kNull = "Null buffer pointer", *kLen = "Invalid array length", *kValue = "Invalid value";
constexpr const char *kPhase = "Invalid phase value", *kFactor = "Invalid factor value", *kMode = "Not filter mode";
constexpr const char *kState = "Null state pointer", *kInit = "Must have been initialized";
constexpr const char *kScale = "Null scale factor pointer", *kTap = "Null Tap State pointer";
constexpr const char *kDly = "Null Dly State pointer", *kNotSet = "Filter Dlyl is not setup";

TEST(FirErrors, BothLayersInCheckOrder) {
    forEachFilter([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        using O = typename A::O;
        W taps[4] = {};
        D dlyl[4] = {}, in[8] = {};
        FirTapState tap{};
        FirDlyState dly{};
        // Failed calls write nowhere: records, copies and outputs all point into the table's guarded buffer.
        CheckTable step("vokfirl");
        FirTapState* badTap = step.buffer<FirTapState>();
        O* o = step.buffer<O>();
        step(fn(api.tapsName, "FirlInit"), api.lInit,
             {{kNull, {{0}}}, {kNull, {{2}}}, {kNull, {{0}, {1, 0}}}, {kLen, {{1, 0}}}}, {taps, 4, badTap});
        step(fn(api.tapsName, "FirlInitMr"), api.lInitMr,
             {{kNull, {{0}, {1, 0}, {3, -1}}}, {kLen, {{1, 0}, {2, 0}, {3, -1}, {5, -1}}},
              {kPhase, {{2, 0}, {3, -1}, {4, 0}}}, {kPhase, {{2, 0}, {3, 0}, {4, 0}, {5, -1}}},
              {kFactor, {{2, 0}, {3, 0}}}, {kFactor, {{3, 2}}}, {kFactor, {{5, 3}}}, {kFactor, {{4, 0}}}},
             {taps, 4, 2, 1, 3, 0, badTap});
        api.lInit(taps, 4, &tap);
        step(fn(api.dataName, "FirlInitDlyl"), api.lInitDlyl,
             {{kNull, {{0}, {1}, {2}}}, {kNull, {{2}}}, {kNull, {{0}}}, {kNull, {{1}}}},
             {&tap, dlyl, step.buffer<FirDlyState>()});
        api.lInitDlyl(&tap, dlyl, &dly);
        step(fn(api.tapsName, "FirlSetTaps"), api.lSetTaps, {{kNull, {{1}}}}, {taps, &tap});
        step(fn(api.tapsName, "FirlGetTaps"), api.lGetTaps, {{kNull, {{0}}}, {kNull, {{1}}}}, {&tap, step.buffer<W>()});
        step(fn(api.dataName, "FirlSetDlyl"), api.lSetDlyl, {{kNull, {{0}}}, {kNull, {{2}}}}, {&tap, dlyl, &dly});
        // Set up but never set: not in filter mode.
        step(fn(api.dataName, "FirlGetDlyl"), api.lGetDlyl,
             {{kNull, {{1}}}, {kNull, {{0}}}, {kNull, {{2}}}, {kMode, {}}}, {&tap, &dly, step.buffer<D>()});
        step(fn(api.name, "Firl"), api.firl, {{kNull, {{0}}}, {kNull, {{1}}}}, {&tap, &dly, D{}});
        step(fn(api.name, "bFirl"), api.bfirl,
             {{kNull, {{0}}}, {kNull, {{1}}}, {kNull, {{2}, {4, 0}}}, {kNull, {{3}, {4, 0}}}, {kLen, {{4, 0}}},
              {kMode, {}}}, {&tap, &dly, in, o, 1});
        api.lSetDlyl(&tap, nullptr, &dly);
        api.lGetTaps(&tap, taps);  // the caller takes its array back
        step(fn(api.name, "bFirl"), api.bfirl, {{kMode, {}}}, {&tap, &dly, in, o, 1});
        step(fn(api.tapsName, "FirlGetTaps"), api.lGetTaps, {{kMode, {}}}, {&tap, step.buffer<W>()});
        // Setting the taps again returns to filter mode and filtering runs.
        O y[1];
        step.run([&] { api.lSetTaps(taps, &tap); }, {});
        step.run([&] { api.bfirl(&tap, &dly, in, y, 1); }, {});
        // The one-sample form is single rate only.
        api.lInitMr(taps, 4, 2, 0, 1, 0, &tap);
        api.lInitDlyl(&tap, dlyl, &dly);
        api.lSetDlyl(&tap, nullptr, &dly);
        step(fn(api.name, "Firl"), api.firl, {{kFactor, {}}}, {&tap, &dly, fromLC<D>(1)});
        EXPECT_TRUE(sameBits(dlyl[0], D{}));

        CheckTable high("vokfirh");
        FirState* st = high.buffer<FirState>();  // never initialised: its selfRef is not its address
        high(fn(api.name, "FirInit"), api.hInit, {{kState, {{3}}}, {kValue, {{1, 0}}}}, {taps, 4, nullptr, st});
        high(fn(api.name, "FirInitMr"), api.hInitMr,
             {{kState, {{7}}}, {kValue, {{3, 0}}}, {kValue, {{4, -1}}}, {kValue, {{4, 2}}}, {kValue, {{5, 0}}},
              {kValue, {{6, -1}}}, {kValue, {{6, 3}}}, {kValue, {{1, 0}}}}, {taps, 4, nullptr, 2, 1, 3, 2, st});
        const std::vector<BadArg> stateThenInit = {{kState, {{0}}}, {kInit, {{1}}}};
        const std::vector<BadArg> initThenState = {{kState, {{1}}}, {kInit, {}}};
        high(fn(api.tapsName, "FirSetTaps"), api.hSetTaps, initThenState, {taps, st});
        high(fn(api.tapsName, "FirGetTaps"), api.hGetTaps, stateThenInit, {st, step.buffer<W>()});
        high(fn(api.dataName, "FirSetDlyl"), api.hSetDlyl, initThenState, {in, st});
        high(fn(api.dataName, "FirGetDlyl"), api.hGetDlyl, stateThenInit, {st, step.buffer<D>()});
        high("vokFirFree", vokFirFree, {{kState, {{0}}}, {kInit, {}}}, {st});
        high(fn(api.name, "Fir"), api.fir, {{kState, {{0}}}, {kInit, {}}}, {st, D{}});
        high(fn(api.name, "bFir"), api.bfir, {{kState, {{0}}}, {kInit, {}}}, {st, nullptr, nullptr, 0});
        FirState good{};
        api.hInit(taps, 4, nullptr, &good);
        high(fn(api.name, "bFir"), api.bfir, {{kNull, {{1}, {3, 0}}}, {kNull, {{2}, {3, 0}}}, {kValue, {{3, 0}}}},
             {&good, in, o, 1});
        high(fn(api.tapsName, "FirGetTaps"), api.hGetTaps, {{kNull, {{1}}}}, {&good, step.buffer<W>()});
        high(fn(api.dataName, "FirGetDlyl"), api.hGetDlyl, {{kNull, {{1}}}}, {&good, step.buffer<D>()});
        vokFirFree(&good);  // a freed record counts as uninitialised
        EXPECT_EQ(nullptr, good.selfRef);
        high(fn(api.name, "bFir"), api.bfir, {{kInit, {}}}, {&good, in, o, 1});
        high("vokFirFree", vokFirFree, {{kInit, {}}}, {&good});
    });
}

TEST(FirErrors, SixteenBitInCheckOrder) {
    float taps[4] = {1, 2, 3, 4}, mtaps[4] = {1, 2, 3, 4};
    short line[4] = {}, mline[2] = {}, in[4] = {1, 2, 3, 4};
    FirTapState tap{}, multi{};
    FirDlyState dly{}, mdly{};
    CheckTable step("vokfirlw");
    FirTapState* badTap = step.buffer<FirTapState>();
    short* o = step.buffer<short>();
    step("vokwFirlInit", vokwFirlInit, {{kTap, {{0}}}, {kTap, {{2}}}, {kLen, {{1, 0}}}}, {taps, 4, badTap});
    step("vokwFirlInitMr", vokwFirlInitMr,
         {{kTap, {{6}}}, {kLen, {{1, 0}}}, {kPhase, {{3, -1}}}, {kFactor, {{3, 2}}}, {kFactor, {{5, 1}}}},
         {taps, 4, 2, 0, 1, 0, badTap});
    vokwFirlInit(taps, 4, &tap);
    step("vokwFirlInitDlyl", vokwFirlInitDlyl, {{kDly, {{1}}}, {kNull, {{2}}}}, {&tap, line, &dly});
    vokwFirlInitDlyl(&tap, line, &dly);
    step("vokwFirlGetDlyl", vokwFirlGetDlyl, {{kNotSet, {}}}, {&tap, &dly, step.buffer<short>()});
    step("vokwFirlSetDlyl", vokwFirlSetDlyl, {{kDly, {{2}}}, {kTap, {{0}}}}, {&tap, nullptr, &dly});
    step("vokwFirlSetTaps", vokwFirlSetTaps, {{kTap, {{1}}}}, {taps, &tap});
    step("vokwFirlGetTaps", vokwFirlGetTaps, {{kTap, {{0}}}, {kNull, {{1}}}}, {&tap, step.buffer<float>()});
    step("vokwFirl", vokwFirl, {{kNotSet, {}}}, {&tap, &dly, 5, VOK_NO_SCALE, nullptr});
    step("vokwbFirl", vokwbFirl, {{kNotSet, {}}}, {&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr});
    vokwFirlSetDlyl(&tap, nullptr, &dly);
    step("vokwbFirl", vokwbFirl,
         {{kTap, {{0}}}, {kDly, {{1}}}, {kNull, {{2}, {4, 0}, {5, VOK_AUTO_SCALE}}},
          {kNull, {{3}, {4, 0}, {5, VOK_AUTO_SCALE}}}, {kLen, {{4, 0}, {5, VOK_AUTO_SCALE}}},
          {kScale, {{5, VOK_AUTO_SCALE}}}}, {&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr});
    step("vokwFirl", vokwFirl, {{kScale, {{3, VOK_AUTO_SCALE}}}}, {&tap, &dly, 5, VOK_NO_SCALE, nullptr});
    step.run([&] {
        vok::testing::failAllocationAfter(1);
        vokwbFirl(&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr);
        vok::testing::failAllocationAfter(0);
    }, {{VOK_StatusNoMemory, "vokwbFirl", "Allocation failure", "vokfirlw"}});
    vokwFirlGetTaps(&tap, taps);  // own array: leaves filter mode
    step("vokwbFirl", vokwbFirl, {{"Filter Taps is not setup", {}}}, {&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr});
    step.run([&] {
        vok::testing::failAllocationAfter(1);  // the temporary copy that reorders multirate taps
        vokwFirlInitMr(mtaps, 4, 2, 0, 1, 0, &multi);
        vok::testing::failAllocationAfter(0);
        EXPECT_TRUE(vokGetErrStatus() == VOK_StatusNoMemory && multi.isFilterMode == 0);
    }, {});  // the status alone, no report
    EXPECT_EQ((std::vector<float>{1, 2, 3, 4}), std::vector<float>(mtaps, mtaps + 4));
    vokwFirlInitMr(mtaps, 4, 2, 0, 1, 0, &multi);
    vokwFirlInitDlyl(&multi, mline, &mdly);
    vokwFirlSetDlyl(&multi, nullptr, &mdly);
    step("vokwFirl", vokwFirl, {{"MultiRate filter", {}}}, {&multi, &mdly, 5, VOK_NO_SCALE, nullptr});
    for (short s : line) EXPECT_EQ(0, s);

    CheckTable high("vokfirhw");
    FirState* bad = high.buffer<FirState>();
    const float* h = taps;
    high("vokwFirInit", vokwFirInit, {{kState, {{3}}}, {kValue, {{1, 0}}}}, {h, 4, nullptr, bad});
    high("vokwFirInitMr", vokwFirInitMr,
         {{kState, {{7}}}, {kValue, {{3, 0}}}, {kValue, {{5, 0}}}, {kValue, {{4, 2}}}, {kValue, {{5, 3}, {6, -1}}},
          {kValue, {{1, 0}, {5, 3}}}}, {h, 4, nullptr, 2, 0, 1, 0, bad});
    FirState st{};
    high("vokwFirSetTaps", vokwFirSetTaps, {{kState, {{1}}}, {kInit, {}}}, {h, &st});
    high("vokwFirGetTaps", vokwFirGetTaps, {{kInit, {}}}, {&st, step.buffer<float>()});
    high("vokwFirSetDlyl", vokwFirSetDlyl, {{kInit, {}}}, {in, &st});
    high("vokwFirGetDlyl", vokwFirGetDlyl, {{kState, {{0}}}}, {&st, step.buffer<short>()});
    high("vokwFir", vokwFir, {{kInit, {}}}, {&st, 1, VOK_NO_SCALE, nullptr});
    high("vokwbFir", vokwbFir, {{kInit, {}}}, {&st, in, o, 1, VOK_NO_SCALE, nullptr});
    vokwFirInit(h, 4, nullptr, &st);
    high("vokwFirGetTaps", vokwFirGetTaps, {{kNull, {{1}}}}, {&st, step.buffer<float>()});
    high("vokwFirGetDlyl", vokwFirGetDlyl, {{kNull, {{1}}}}, {&st, step.buffer<short>()});
    high("vokwFir", vokwFir, {{kState, {{0}}}, {kScale, {{2, VOK_AUTO_SCALE}}}}, {&st, 1, VOK_NO_SCALE, nullptr});
    high("vokwbFir", vokwbFir,
         {{kState, {{0}}}, {kNull, {{1}, {3, 0}, {4, VOK_AUTO_SCALE}}}, {kNull, {{2}, {3, 0}, {4, VOK_AUTO_SCALE}}},
          {kValue, {{3, 0}, {4, VOK_AUTO_SCALE}}}, {kScale, {{4, VOK_AUTO_SCALE}}}},
         {&st, in, o, 1, VOK_NO_SCALE, nullptr});
    vokFirFree(&st);
    high("vokwbFir", vokwbFir, {{kInit, {}}}, {&st, in, o, 1, VOK_NO_SCALE, nullptr});
}

// Every array of every initialisation may fail: one "Allocation failure", the record uninitialised with
// nothing left allocated (the sanitizer build checks the leak); re-initialising releases the old arrays.
TEST(FirErrors, AllocationFailureLeavesRecordUninitialised) {
    auto fails = [](const std::string& function, const char* module, int after, auto init) {
        SCOPED_TRACE(::testing::Message() << function << " " << after);
        FirState st{};
        ReportRecorder r;
        vok::testing::failAllocationAfter(after);
        init(&st);
        vok::testing::failAllocationAfter(0);
        EXPECT_REPORTS(r, {VOK_StatusNoMemory, function.c_str(), "Allocation failure", module});
        EXPECT_TRUE(!st.selfRef && !st.tapsBuf && !st.sampleBuf && !st.phaseTable);
    };
    const float h[5] = {1, 2, 3, 4, 5};
    for (int after = 1; after <= 3; ++after) {
        if (after < 3) fails("vokwFirInit", "vokfirhw", after, [&](FirState* s) { vokwFirInit(h, 5, nullptr, s); });
        fails("vokwFirInitMr", "vokfirhw", after, [&](FirState* s) { vokwFirInitMr(h, 5, nullptr, 2, 1, 3, 0, s); });
        forEachFilter([&](const auto& api) {
            typename std::decay_t<decltype(api)>::W taps[5] = {};
            fails(fn(api.name, "FirInitMr"), "vokfirh", after,
                  [&](FirState* s) { api.hInitMr(taps, 5, nullptr, 2, 1, 3, 0, s); });
            if (after != 2) return;
            fails(fn(api.name, "FirInit"), "vokfirh", 2, [&](FirState* s) {
                vok::testing::failAllocationAfter(0);
                api.hInitMr(taps, 5, nullptr, 2, 1, 3, 0, s);
                api.hInit(taps, 5, nullptr, s);
                vok::testing::failAllocationAfter(2);
                api.hInit(taps, 5, nullptr, s);
            });
        });
    }
}

}  // namespace
