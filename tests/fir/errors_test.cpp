// Every failure report of both FIR layers, in check order, with proof that a
// failed call left the records and the caller's buffers alone; the filter-mode
// rules; and allocation failures of the single-state initialisation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fir_support.h"
#include "frame/test_seams.h"
#include "support/report_steps.h"
#include "support/reports.h"

namespace {

using namespace firtest;
using voktest::ReportRecorder;
using voktest::ReportSteps;
using voktest::Sentinel;

constexpr const char* kNull = "Null buffer pointer";
constexpr const char* kLen = "Invalid array length";
constexpr const char* kPhase = "Invalid phase value";
constexpr const char* kFactor = "Invalid factor value";
constexpr const char* kMode = "Not filter mode";
constexpr const char* kLow = "vokfirl";
constexpr const char* kHigh = "vokfirh";

std::string fn(const char* letters, const char* op) { return std::string("vok") + letters + op; }

TEST(FirlErrors, ChecksInOrder) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        using O = typename A::O;
        const std::string init = fn(api.tapsName, "FirlInit"), initMr = fn(api.tapsName, "FirlInitMr"),
                          initDlyl = fn(api.dataName, "FirlInitDlyl"), setTaps = fn(api.tapsName, "FirlSetTaps"),
                          getTaps = fn(api.tapsName, "FirlGetTaps"), setDlyl = fn(api.dataName, "FirlSetDlyl"),
                          getDlyl = fn(api.dataName, "FirlGetDlyl"), firl = fn(api.name, "Firl"),
                          bfirl = fn(api.name, "bFirl");
        std::vector<W> taps(4, fromLC<W>(LC(0.5, 0.25)));
        std::vector<D> dlyl(4, fromLC<D>(LC(1, -1)));
        Sentinel tapRec(sizeof(FirTapState)), dlyRec(sizeof(FirDlyState)), out(sizeof(O) * 8), copy(sizeof(D) * 8);
        FirTapState* badTap = tapRec.as<FirTapState>();
        FirDlyState* badDly = dlyRec.as<FirDlyState>();
        ReportSteps step(kLow);
        step(init, kNull, [&] { api.lInit(nullptr, 4, badTap); });
        step(init, kNull, [&] { api.lInit(taps.data(), 4, nullptr); });
        step(init, kNull, [&] { api.lInit(nullptr, 0, badTap); });
        step(init, kLen, [&] { api.lInit(taps.data(), 0, badTap); });
        step(initMr, kNull, [&] { api.lInitMr(nullptr, 0, 0, -1, 0, -1, badTap); });
        step(initMr, kLen, [&] { api.lInitMr(taps.data(), 0, 0, -1, 0, -1, badTap); });
        step(initMr, kPhase, [&] { api.lInitMr(taps.data(), 4, 0, -1, 0, 0, badTap); });
        step(initMr, kPhase, [&] { api.lInitMr(taps.data(), 4, 0, 0, 0, -1, badTap); });
        step(initMr, kFactor, [&] { api.lInitMr(taps.data(), 4, 0, 0, 2, 0, badTap); });  // factor below 1
        step(initMr, kFactor, [&] { api.lInitMr(taps.data(), 4, 2, 2, 2, 0, badTap); });  // phase equal to its factor
        step(initMr, kFactor, [&] { api.lInitMr(taps.data(), 4, 2, 1, 3, 3, badTap); });
        step(initMr, kFactor, [&] { api.lInitMr(taps.data(), 4, 2, 1, 0, 0, badTap); });
        FirTapState tap{};
        FirDlyState dly{};
        api.lInit(taps.data(), 4, &tap);
        step(initDlyl, kNull, [&] { api.lInitDlyl(nullptr, nullptr, nullptr); });  // the array is checked first
        step(initDlyl, kNull, [&] { api.lInitDlyl(&tap, dlyl.data(), nullptr); });
        step(initDlyl, kNull, [&] { api.lInitDlyl(nullptr, dlyl.data(), badDly); });
        EXPECT_TRUE(tapRec.untouched());
        EXPECT_TRUE(dlyRec.untouched());
        api.lInitDlyl(&tap, dlyl.data(), &dly);
        const FirTapState tapBefore = tap;
        const FirDlyState dlyBefore = dly;
        D in[8] = {};
        const O zero{};
        auto returnsZero = [&](O got) { EXPECT_EQ(0, std::memcmp(&got, &zero, sizeof(O))); };
        step(setTaps, kNull, [&] { api.lSetTaps(taps.data(), nullptr); });
        step(getTaps, kNull, [&] { api.lGetTaps(nullptr, copy.as<W>()); });
        step(getTaps, kNull, [&] { api.lGetTaps(&tap, nullptr); });
        step(setDlyl, kNull, [&] { api.lSetDlyl(nullptr, dlyl.data(), &dly); });
        step(setDlyl, kNull, [&] { api.lSetDlyl(&tap, dlyl.data(), nullptr); });
        step(getDlyl, kMode, [&] { api.lGetDlyl(&tap, &dly, copy.as<D>()); });  // set up, but never set
        step(getDlyl, kNull, [&] { api.lGetDlyl(&tap, nullptr, copy.as<D>()); });
        step(getDlyl, kNull, [&] { api.lGetDlyl(nullptr, &dly, copy.as<D>()); });
        step(getDlyl, kNull, [&] { api.lGetDlyl(&tap, &dly, nullptr); });
        step(firl, kNull, [&] { returnsZero(api.firl(nullptr, &dly, D{})); });
        step(firl, kNull, [&] { returnsZero(api.firl(&tap, nullptr, D{})); });
        step(bfirl, kNull, [&] { api.bfirl(nullptr, &dly, in, out.as<O>(), 1); });
        step(bfirl, kNull, [&] { api.bfirl(&tap, nullptr, in, out.as<O>(), 1); });
        step(bfirl, kNull, [&] { api.bfirl(&tap, &dly, nullptr, out.as<O>(), 0); });
        step(bfirl, kNull, [&] { api.bfirl(&tap, &dly, in, nullptr, 0); });
        step(bfirl, kLen, [&] { api.bfirl(&tap, &dly, in, out.as<O>(), 0); });
        step(bfirl, kMode, [&] { api.bfirl(&tap, &dly, in, out.as<O>(), 1); });  // delay line not set yet
        api.lSetDlyl(&tap, nullptr, &dly);
        api.lGetTaps(&tap, taps.data());  // the caller takes its array back
        step(bfirl, kMode, [&] { api.bfirl(&tap, &dly, in, out.as<O>(), 1); });
        step(getTaps, kMode, [&] { api.lGetTaps(&tap, copy.as<W>()); });
        EXPECT_TRUE(out.untouched());
        EXPECT_TRUE(copy.untouched());

        // Setting the taps again returns to filter mode and filtering runs.
        step.run([&] { api.lSetTaps(taps.data(), &tap); api.bfirl(&tap, &dly, in, out.as<O>(), 1); }, {});
        EXPECT_EQ(tapBefore.isFilterMode, tap.isFilterMode);
        EXPECT_EQ(dlyBefore.len, dly.len);
    });
}

TEST(FirlErrors, OneSampleFormRefusesMultirateRecords) {
    float taps[6] = {1, 2, 3, 4, 5, 6};
    float dlyl[3] = {7, 8, 9};
    FirTapState tap{};
    FirDlyState dly{};
    voksFirlInitMr(taps, 6, 2, 0, 1, 0, &tap);
    voksFirlInitDlyl(&tap, dlyl, &dly);
    voksFirlSetDlyl(&tap, nullptr, &dly);
    ReportRecorder r;
    EXPECT_EQ(0.0f, voksFirl(&tap, &dly, 1.0f));
    EXPECT_REPORTS(r, {VOK_StatusBadArg, "voksFirl", kFactor, kLow});
    EXPECT_EQ(0.0f, dlyl[0]);
}

TEST(FirErrors, ChecksInOrder) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        using O = typename A::O;
        const std::string init = fn(api.name, "FirInit"), initMr = fn(api.name, "FirInitMr"),
                          setTaps = fn(api.tapsName, "FirSetTaps"), getTaps = fn(api.tapsName, "FirGetTaps"),
                          setDlyl = fn(api.dataName, "FirSetDlyl"), getDlyl = fn(api.dataName, "FirGetDlyl"),
                          fir = fn(api.name, "Fir"), bfir = fn(api.name, "bFir"), free = "vokFirFree";
        const char* kState = "Null state pointer";
        const char* kInit = "Must have been initialized";
        const char* kValue = "Invalid value";
        W taps[4] = {};
        D in[8] = {};
        Sentinel rec(sizeof(FirState)), out(sizeof(O) * 8), copy(sizeof(W) * 8);
        FirState* st = rec.as<FirState>();  // never initialised: its selfRef is not its address
        const O zero{};
        auto returnsZero = [&](O got) { EXPECT_EQ(0, std::memcmp(&got, &zero, sizeof(O))); };
        ReportSteps step(kHigh);
        step(init, kState, [&] { api.hInit(taps, 4, nullptr, nullptr); });
        step(init, kValue, [&] { api.hInit(taps, 0, nullptr, st); });
        step(initMr, kState, [&] { api.hInitMr(taps, 4, nullptr, 2, 0, 1, 0, nullptr); });
        for (const Rates& r : {Rates{0, -1, 0, -1, 0}, Rates{1, -1, 0, -1, 0}, Rates{1, -1, 1, -1, 0},
                               Rates{2, 2, 1, -1, 0}, Rates{2, 1, 3, -1, 0}, Rates{2, 1, 3, 3, 0}, Rates{2, 1, 3, 2, 0}})
            step(initMr, kValue, [&] { api.hInitMr(taps, 0, nullptr, r.up, r.upPhase, r.down, r.downPhase, st); });
        step(setTaps, kState, [&] { api.hSetTaps(taps, nullptr); });
        step(setTaps, kInit, [&] { api.hSetTaps(taps, st); });
        step(getTaps, kState, [&] { api.hGetTaps(nullptr, copy.as<W>()); });
        step(getTaps, kInit, [&] { api.hGetTaps(st, nullptr); });
        step(setDlyl, kState, [&] { api.hSetDlyl(in, nullptr); });
        step(setDlyl, kInit, [&] { api.hSetDlyl(in, st); });
        step(getDlyl, kState, [&] { api.hGetDlyl(nullptr, copy.as<D>()); });
        step(getDlyl, kInit, [&] { api.hGetDlyl(st, nullptr); });
        step(free, kState, [&] { vokFirFree(nullptr); });
        step(free, kInit, [&] { vokFirFree(st); });
        step(fir, kState, [&] { returnsZero(api.fir(nullptr, D{})); });
        step(fir, kInit, [&] { returnsZero(api.fir(st, D{})); });
        step(bfir, kState, [&] { api.bfir(nullptr, nullptr, nullptr, 0); });
        step(bfir, kInit, [&] { api.bfir(st, nullptr, nullptr, 0); });
        EXPECT_TRUE(rec.untouched());
        FirState good{};
        api.hInit(taps, 4, nullptr, &good);
        step(bfir, kNull, [&] { api.bfir(&good, nullptr, out.as<O>(), 0); });
        step(bfir, kNull, [&] { api.bfir(&good, in, nullptr, 0); });
        step(bfir, kValue, [&] { api.bfir(&good, in, out.as<O>(), 0); });
        step(getTaps, kNull, [&] { api.hGetTaps(&good, nullptr); });
        step(getDlyl, kNull, [&] { api.hGetDlyl(&good, nullptr); });

        // A freed record counts as uninitialised.
        vokFirFree(&good);
        EXPECT_EQ(nullptr, good.selfRef);
        step(bfir, kInit, [&] { api.bfir(&good, in, out.as<O>(), 1); });
        step(free, kInit, [&] { vokFirFree(&good); });
        EXPECT_TRUE(out.untouched());
        EXPECT_TRUE(copy.untouched());
    });
}

// Each of the three arrays can fail; the record ends uninitialised and
// nothing stays allocated (the sanitizer build checks the leak).
TEST(FirErrors, AllocationFailureLeavesNothingAllocated) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using W = typename A::W;
        const std::string initMr = fn(api.name, "FirInitMr"), init = fn(api.name, "FirInit");
        W taps[5] = {};
        for (int failing = 1; failing <= 3; ++failing) {
            SCOPED_TRACE(failing);
            FirState st{};
            ReportRecorder r;
            vok::testing::failAllocationAfter(failing);
            api.hInitMr(taps, 5, nullptr, 2, 1, 3, 0, &st);
            vok::testing::failAllocationAfter(0);
            EXPECT_REPORTS(r, {VOK_StatusNoMemory, initMr.c_str(), "Allocation failure", kHigh});
            EXPECT_NE(static_cast<void*>(&st), st.selfRef);
            EXPECT_EQ(nullptr, st.tapsBuf);
            EXPECT_EQ(nullptr, st.sampleBuf);
            EXPECT_EQ(nullptr, st.phaseTable);
        }
        // Re-initialising a live record releases its arrays first, also when
        // the new allocation then fails.
        FirState st{};
        api.hInitMr(taps, 5, nullptr, 2, 1, 3, 0, &st);
        api.hInit(taps, 5, nullptr, &st);
        ReportRecorder r;
        vok::testing::failAllocationAfter(2);
        api.hInit(taps, 5, nullptr, &st);
        vok::testing::failAllocationAfter(0);
        EXPECT_REPORTS(r, {VOK_StatusNoMemory, init.c_str(), "Allocation failure", kHigh});
        EXPECT_EQ(nullptr, st.selfRef);
    });
}

}  // namespace
