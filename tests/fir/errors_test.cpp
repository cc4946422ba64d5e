// Every failure report of the FIR filters, row by row in check order, with
// proof that a failed call left records and buffers alone; allocation
// failures of the single-state initialisations.
#include <gtest/gtest.h>

#include <string>

#include "frame/test_seams.h"
#include "voktest/filter_calls.h"

namespace {

using namespace voktest;

constexpr const char* kNull = "Null buffer pointer";
constexpr const char* kLen = "Invalid array length";
constexpr const char* kPhase = "Invalid phase value";
constexpr const char* kFactor = "Invalid factor value";
constexpr const char* kMode = "Not filter mode";
constexpr const char* kState = "Null state pointer";
constexpr const char* kInit = "Must have been initialized";
constexpr const char* kValue = "Invalid value";
constexpr const char* kScale = "Null scale factor pointer";

TEST(FirErrors, BothLayersInCheckOrder) {
    forEachFilter([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        using O = typename A::O;
        W taps[4] = {};
        D dlyl[4] = {}, in[8] = {};
        Sentinel tapRec(sizeof(FirTapState)), dlyRec(sizeof(FirDlyState)), out(sizeof(O) * 8), copy(sizeof(W) * 8),
            rec(sizeof(FirState));
        FirTapState *badTap = tapRec.as<FirTapState>(), tap{};
        FirDlyState *badDly = dlyRec.as<FirDlyState>(), dly{};
        O* o = out.as<O>();
        ReportSteps step("vokfirl");
        rejects(step, fn(api.tapsName, "FirlInit"), api.lInit, {taps, 4, badTap},
                {{kNull, {{0}}}, {kNull, {{2}}}, {kNull, {{0}, {1, 0}}}, {kLen, {{1, 0}}}});
        rejects(step, fn(api.tapsName, "FirlInitMr"), api.lInitMr, {taps, 4, 2, 1, 3, 0, badTap},
                {{kNull, {{0}, {1, 0}, {3, -1}}}, {kLen, {{1, 0}, {2, 0}, {3, -1}, {5, -1}}},
                 {kPhase, {{2, 0}, {3, -1}, {4, 0}}}, {kPhase, {{2, 0}, {3, 0}, {4, 0}, {5, -1}}},
                 {kFactor, {{2, 0}, {3, 0}}}, {kFactor, {{3, 2}}}, {kFactor, {{5, 3}}}, {kFactor, {{4, 0}}}});
        api.lInit(taps, 4, &tap);
        rejects(step, fn(api.dataName, "FirlInitDlyl"), api.lInitDlyl, {&tap, dlyl, badDly},
                {{kNull, {{0}, {1}, {2}}}, {kNull, {{2}}}, {kNull, {{0}}}, {kNull, {{1}}}});
        EXPECT_TRUE(tapRec.untouched() && dlyRec.untouched());
        api.lInitDlyl(&tap, dlyl, &dly);
        rejects(step, fn(api.tapsName, "FirlSetTaps"), api.lSetTaps, {taps, &tap}, {{kNull, {{1}}}});
        rejects(step, fn(api.tapsName, "FirlGetTaps"), api.lGetTaps, {&tap, copy.as<W>()},
                {{kNull, {{0}}}, {kNull, {{1}}}});
        rejects(step, fn(api.dataName, "FirlSetDlyl"), api.lSetDlyl, {&tap, dlyl, &dly},
                {{kNull, {{0}}}, {kNull, {{2}}}});
        // Set up but never set: not in filter mode.
        rejects(step, fn(api.dataName, "FirlGetDlyl"), api.lGetDlyl, {&tap, &dly, copy.as<D>()},
                {{kMode, {}}, {kNull, {{1}}}, {kNull, {{0}}}, {kNull, {{2}}}});
        rejects(step, fn(api.name, "Firl"), api.firl, {&tap, &dly, D{}}, {{kNull, {{0}}}, {kNull, {{1}}}});
        rejects(step, fn(api.name, "bFirl"), api.bfirl, {&tap, &dly, in, o, 1},
                {{kNull, {{0}}}, {kNull, {{1}}}, {kNull, {{2}, {4, 0}}}, {kNull, {{3}, {4, 0}}}, {kLen, {{4, 0}}},
                 {kMode, {}}});
        api.lSetDlyl(&tap, nullptr, &dly);
        api.lGetTaps(&tap, taps);  // the caller takes its array back
        rejects(step, fn(api.name, "bFirl"), api.bfirl, {&tap, &dly, in, o, 1}, {{kMode, {}}});
        rejects(step, fn(api.tapsName, "FirlGetTaps"), api.lGetTaps, {&tap, copy.as<W>()}, {{kMode, {}}});
        // Setting the taps again returns to filter mode and filtering runs.
        step.run(
            [&] {
                api.lSetTaps(taps, &tap);
                O y[1];
                api.bfirl(&tap, &dly, in, y, 1);
            },
            {});
        // The one-sample form is single rate only.
        FirTapState mr{};
        FirDlyState mdly{};
        D mline[2] = {};
        api.lInitMr(taps, 4, 2, 0, 1, 0, &mr);
        api.lInitDlyl(&mr, mline, &mdly);
        api.lSetDlyl(&mr, nullptr, &mdly);
        rejects(step, fn(api.name, "Firl"), api.firl, {&mr, &mdly, fromLC<D>(1)}, {{kFactor, {}}});
        EXPECT_TRUE(sameBits(mline[0], D{}));

        ReportSteps high("vokfirh");
        FirState* st = rec.as<FirState>();  // never initialised: its selfRef is not its address
        rejects(high, fn(api.name, "FirInit"), api.hInit, {taps, 4, nullptr, st},
                {{kState, {{3}}}, {kValue, {{1, 0}}}});
        rejects(high, fn(api.name, "FirInitMr"), api.hInitMr, {taps, 4, nullptr, 2, 1, 3, 2, st},
                {{kState, {{7}}}, {kValue, {{3, 0}}}, {kValue, {{4, -1}}}, {kValue, {{4, 2}}}, {kValue, {{5, 0}}},
                 {kValue, {{6, -1}}}, {kValue, {{6, 3}}}, {kValue, {{1, 0}}}});
        const std::vector<Bad> stateThenInit = {{kState, {{0}}}, {kInit, {{1}}}};
        const std::vector<Bad> initThenState = {{kState, {{1}}}, {kInit, {}}};
        rejects(high, fn(api.tapsName, "FirSetTaps"), api.hSetTaps, {taps, st}, initThenState);
        rejects(high, fn(api.tapsName, "FirGetTaps"), api.hGetTaps, {st, copy.as<W>()}, stateThenInit);
        rejects(high, fn(api.dataName, "FirSetDlyl"), api.hSetDlyl, {in, st}, initThenState);
        rejects(high, fn(api.dataName, "FirGetDlyl"), api.hGetDlyl, {st, copy.as<D>()}, stateThenInit);
        rejects(high, "vokFirFree", vokFirFree, {st}, {{kState, {{0}}}, {kInit, {}}});
        rejects(high, fn(api.name, "Fir"), api.fir, {st, D{}}, {{kState, {{0}}}, {kInit, {}}});
        rejects(high, fn(api.name, "bFir"), api.bfir, {st, nullptr, nullptr, 0}, {{kState, {{0}}}, {kInit, {}}});
        EXPECT_TRUE(rec.untouched());
        FirState good{};
        api.hInit(taps, 4, nullptr, &good);
        rejects(high, fn(api.name, "bFir"), api.bfir, {&good, in, o, 1},
                {{kNull, {{1}, {3, 0}}}, {kNull, {{2}, {3, 0}}}, {kValue, {{3, 0}}}});
        rejects(high, fn(api.tapsName, "FirGetTaps"), api.hGetTaps, {&good, copy.as<W>()}, {{kNull, {{1}}}});
        rejects(high, fn(api.dataName, "FirGetDlyl"), api.hGetDlyl, {&good, copy.as<D>()}, {{kNull, {{1}}}});
        vokFirFree(&good);  // a freed record counts as uninitialised
        EXPECT_EQ(nullptr, good.selfRef);
        rejects(high, fn(api.name, "bFir"), api.bfir, {&good, in, o, 1}, {{kInit, {}}});
        rejects(high, "vokFirFree", vokFirFree, {&good}, {{kInit, {}}});
        EXPECT_TRUE(out.untouched() && copy.untouched());
    });
}

TEST(FirErrors, SixteenBitInCheckOrder) {
    const char* kTap = "Null Tap State pointer";
    const char* kDly = "Null Dly State pointer";
    const char* kNotSet = "Filter Dlyl is not setup";
    float taps[4] = {1, 2, 3, 4}, mtaps[4] = {1, 2, 3, 4};
    short line[4] = {}, mline[2] = {}, in[4] = {1, 2, 3, 4};
    Sentinel tapRec(sizeof(FirTapState)), out(16), copy(32), rec(sizeof(FirState));
    FirTapState *badTap = tapRec.as<FirTapState>(), tap{}, multi{};
    FirDlyState dly{}, mdly{};
    short* o = out.as<short>();
    ReportSteps step("vokfirlw");
    rejects(step, "vokwFirlInit", vokwFirlInit, {taps, 4, badTap}, {{kTap, {{0}}}, {kTap, {{2}}}, {kLen, {{1, 0}}}});
    rejects(step, "vokwFirlInitMr", vokwFirlInitMr, {taps, 4, 2, 0, 1, 0, badTap},
            {{kPhase, {{3, -1}}}, {kFactor, {{3, 2}}}, {kFactor, {{5, 1}}}});
    EXPECT_TRUE(tapRec.untouched());
    vokwFirlInit(taps, 4, &tap);
    rejects(step, "vokwFirlInitDlyl", vokwFirlInitDlyl, {&tap, line, &dly}, {{kDly, {{1}}}, {kNull, {{2}}}});
    vokwFirlInitDlyl(&tap, line, &dly);
    rejects(step, "vokwFirlGetDlyl", vokwFirlGetDlyl, {&tap, &dly, copy.as<short>()}, {{kNotSet, {}}});
    rejects(step, "vokwFirlSetDlyl", vokwFirlSetDlyl, {&tap, nullptr, &dly}, {{kDly, {{2}}}, {kTap, {{0}}}});
    rejects(step, "vokwFirlSetTaps", vokwFirlSetTaps, {taps, &tap}, {{kTap, {{1}}}});
    rejects(step, "vokwFirlGetTaps", vokwFirlGetTaps, {&tap, copy.as<float>()}, {{kTap, {{0}}}, {kNull, {{1}}}});
    rejects(step, "vokwFirl", vokwFirl, {&tap, &dly, 5, VOK_NO_SCALE, nullptr}, {{kNotSet, {}}});
    rejects(step, "vokwbFirl", vokwbFirl, {&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr}, {{kNotSet, {}}});
    vokwFirlSetDlyl(&tap, nullptr, &dly);
    rejects(step, "vokwbFirl", vokwbFirl, {&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr},
            {{kTap, {{0}}}, {kDly, {{1}}}, {kNull, {{2}, {4, 0}, {5, VOK_AUTO_SCALE}}},
             {kNull, {{3}, {4, 0}, {5, VOK_AUTO_SCALE}}}, {kLen, {{4, 0}, {5, VOK_AUTO_SCALE}}},
             {kScale, {{5, VOK_AUTO_SCALE}}}});
    rejects(step, "vokwFirl", vokwFirl, {&tap, &dly, 5, VOK_NO_SCALE, nullptr}, {{kScale, {{3, VOK_AUTO_SCALE}}}});
    step.run([&] {
        vok::testing::failAllocationAfter(1);
        vokwbFirl(&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr);
        vok::testing::failAllocationAfter(0);
    }, {{VOK_StatusNoMemory, "vokwbFirl", "Allocation failure", "vokfirlw"}});
    vokwFirlGetTaps(&tap, taps);  // own array: leaves filter mode
    rejects(step, "vokwbFirl", vokwbFirl, {&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr},
            {{"Filter Taps is not setup", {}}});
    vokwFirlInitMr(mtaps, 4, 2, 0, 1, 0, &multi);
    vokwFirlInitDlyl(&multi, mline, &mdly);
    vokwFirlSetDlyl(&multi, nullptr, &mdly);
    rejects(step, "vokwFirl", vokwFirl, {&multi, &mdly, 5, VOK_NO_SCALE, nullptr}, {{"MultiRate filter", {}}});
    for (short s : line) EXPECT_EQ(0, s);

    ReportSteps high("vokfirhw");
    FirState* bad = rec.as<FirState>();
    const float* h = taps;
    rejects(high, "vokwFirInit", vokwFirInit, {h, 4, nullptr, bad}, {{kState, {{3}}}, {kValue, {{1, 0}}}});
    rejects(high, "vokwFirInitMr", vokwFirInitMr, {h, 4, nullptr, 2, 0, 1, 0, bad},
            {{kState, {{7}}}, {kValue, {{3, 0}}}, {kValue, {{5, 0}}}, {kValue, {{4, 2}}}, {kValue, {{5, 3}, {6, -1}}},
             {kValue, {{1, 0}, {5, 3}}}});
    EXPECT_TRUE(rec.untouched());
    FirState st{};
    rejects(high, "vokwFirSetTaps", vokwFirSetTaps, {h, &st}, {{kState, {{1}}}, {kInit, {}}});
    rejects(high, "vokwFirGetTaps", vokwFirGetTaps, {&st, copy.as<float>()}, {{kInit, {}}});
    rejects(high, "vokwFirSetDlyl", vokwFirSetDlyl, {in, &st}, {{kInit, {}}});
    rejects(high, "vokwFirGetDlyl", vokwFirGetDlyl, {&st, copy.as<short>()}, {{kState, {{0}}}});
    rejects(high, "vokwFir", vokwFir, {&st, 1, VOK_NO_SCALE, nullptr}, {{kInit, {}}});
    rejects(high, "vokwbFir", vokwbFir, {&st, in, o, 1, VOK_NO_SCALE, nullptr}, {{kInit, {}}});
    vokwFirInit(h, 4, nullptr, &st);
    rejects(high, "vokwFirGetTaps", vokwFirGetTaps, {&st, copy.as<float>()}, {{kNull, {{1}}}});
    rejects(high, "vokwFirGetDlyl", vokwFirGetDlyl, {&st, copy.as<short>()}, {{kNull, {{1}}}});
    rejects(high, "vokwFir", vokwFir, {&st, 1, VOK_NO_SCALE, nullptr},
            {{kState, {{0}}}, {kScale, {{2, VOK_AUTO_SCALE}}}});
    rejects(high, "vokwbFir", vokwbFir, {&st, in, o, 1, VOK_NO_SCALE, nullptr},
            {{kState, {{0}}}, {kNull, {{1}, {3, 0}, {4, VOK_AUTO_SCALE}}}, {kNull, {{2}, {3, 0}, {4, VOK_AUTO_SCALE}}},
             {kValue, {{3, 0}, {4, VOK_AUTO_SCALE}}}, {kScale, {{4, VOK_AUTO_SCALE}}}});
    vokFirFree(&st);
    rejects(high, "vokwbFir", vokwbFir, {&st, in, o, 1, VOK_NO_SCALE, nullptr}, {{kInit, {}}});
    EXPECT_TRUE(out.untouched() && copy.untouched());
}

// Every array of every initialisation may fail: one "Allocation failure",
// the record uninitialised with nothing left allocated (the sanitizer build
// checks the leak); re-initialising a live record releases its arrays first.
TEST(FirErrors, AllocationFailureLeavesRecordUninitialised) {
    auto fails = [](const char* function, const char* module, int after, auto init) {
        SCOPED_TRACE(::testing::Message() << function << " " << after);
        FirState st{};
        ReportRecorder r;
        vok::testing::failAllocationAfter(after);
        init(&st);
        vok::testing::failAllocationAfter(0);
        EXPECT_REPORTS(r, {VOK_StatusNoMemory, function, "Allocation failure", module});
        EXPECT_EQ(nullptr, st.selfRef);
        EXPECT_TRUE(!st.tapsBuf && !st.sampleBuf && !st.phaseTable);
    };
    const float h[5] = {1, 2, 3, 4, 5};
    for (int after = 1; after <= 3; ++after) {
        if (after < 3) fails("vokwFirInit", "vokfirhw", after, [&](FirState* s) { vokwFirInit(h, 5, nullptr, s); });
        fails("vokwFirInitMr", "vokfirhw", after, [&](FirState* s) { vokwFirInitMr(h, 5, nullptr, 2, 1, 3, 0, s); });
        forEachFilter([&](const auto& api) {
            typename std::decay_t<decltype(api)>::W taps[5] = {};
            const std::string name = fn(api.name, "FirInitMr");
            fails(name.c_str(), "vokfirh", after, [&](FirState* s) { api.hInitMr(taps, 5, nullptr, 2, 1, 3, 0, s); });
            if (after != 2) return;
            const std::string init = fn(api.name, "FirInit");
            fails(init.c_str(), "vokfirh", 2, [&](FirState* s) {
                vok::testing::failAllocationAfter(0);
                api.hInitMr(taps, 5, nullptr, 2, 1, 3, 0, s);
                api.hInit(taps, 5, nullptr, s);
                vok::testing::failAllocationAfter(2);
                api.hInit(taps, 5, nullptr, s);
            });
        });
    }
    // A failed temporary copy while reordering multirate taps only sets the status.
    float taps[6] = {1, 2, 3, 4, 5, 6};
    FirTapState tap{};
    ReportRecorder r;
    vok::testing::failAllocationAfter(1);
    vokwFirlInitMr(taps, 6, 2, 0, 1, 0, &tap);
    vok::testing::failAllocationAfter(0);
    EXPECT_REPORTS(r);
    EXPECT_EQ(VOK_StatusNoMemory, vokGetErrStatus());
    EXPECT_EQ(0, tap.isFilterMode);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(float(k + 1), taps[k]);
}

}  // namespace
