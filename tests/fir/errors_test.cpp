// Every failure report of both FIR layers, in check order, with proof that a
// failed call left the records and the caller's buffers alone; the filter-mode
// rules; and allocation failures of the single-state initialisation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fir_support.h"
#include "frame/test_seams.h"
#include "support/reports.h"

namespace {

using namespace firtest;
using voktest::ReportRecorder;
using voktest::Sentinel;

constexpr int kBad = VOK_StatusBadArg;
constexpr const char* kNull = "Null buffer pointer";
constexpr const char* kLow = "vokfirl";
constexpr const char* kHigh = "vokfirh";

std::string fn(const char* letters, const char* op) { return std::string("vok") + letters + op; }

TEST(FirlErrors, SetUpChecksInOrder) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        const std::string init = fn(api.tapsName, "FirlInit"), initMr = fn(api.tapsName, "FirlInitMr"),
                          initDlyl = fn(api.dataName, "FirlInitDlyl");
        W taps[4] = {};
        D dlyl[4] = {};
        Sentinel tapRec(sizeof(FirTapState)), dlyRec(sizeof(FirDlyState));
        FirTapState* tap = tapRec.as<FirTapState>();
        FirDlyState* dly = dlyRec.as<FirDlyState>();
        ReportRecorder r;

        api.lInit(nullptr, 4, tap);
        api.lInit(taps, 4, nullptr);
        api.lInit(nullptr, 0, tap);
        api.lInit(taps, 0, tap);
        EXPECT_REPORTS(r, {kBad, init.c_str(), kNull, kLow}, {kBad, init.c_str(), kNull, kLow},
                       {kBad, init.c_str(), kNull, kLow}, {kBad, init.c_str(), "Invalid array length", kLow});
        r.clear();

        api.lInitMr(nullptr, 0, 0, -1, 0, -1, tap);
        api.lInitMr(taps, 0, 0, -1, 0, -1, tap);
        api.lInitMr(taps, 4, 0, -1, 0, 0, tap);
        api.lInitMr(taps, 4, 0, 0, 0, -1, tap);
        api.lInitMr(taps, 4, 0, 0, 2, 0, tap);  // factor below 1: the factor test
        api.lInitMr(taps, 4, 2, 2, 2, 0, tap);  // phase equal to its factor
        api.lInitMr(taps, 4, 2, 1, 3, 3, tap);
        api.lInitMr(taps, 4, 2, 1, 0, 0, tap);
        EXPECT_REPORTS(r, {kBad, initMr.c_str(), kNull, kLow}, {kBad, initMr.c_str(), "Invalid array length", kLow},
                       {kBad, initMr.c_str(), "Invalid phase value", kLow},
                       {kBad, initMr.c_str(), "Invalid phase value", kLow},
                       {kBad, initMr.c_str(), "Invalid factor value", kLow},
                       {kBad, initMr.c_str(), "Invalid factor value", kLow},
                       {kBad, initMr.c_str(), "Invalid factor value", kLow},
                       {kBad, initMr.c_str(), "Invalid factor value", kLow});
        r.clear();

        FirTapState good{};
        api.lInit(taps, 4, &good);
        api.lInitDlyl(nullptr, nullptr, nullptr);  // the array is checked first
        api.lInitDlyl(&good, dlyl, nullptr);
        api.lInitDlyl(nullptr, dlyl, dly);
        EXPECT_REPORTS(r, {kBad, initDlyl.c_str(), kNull, kLow}, {kBad, initDlyl.c_str(), kNull, kLow},
                       {kBad, initDlyl.c_str(), kNull, kLow});
        EXPECT_TRUE(tapRec.untouched());
        EXPECT_TRUE(dlyRec.untouched());
    });
}

TEST(FirlErrors, AccessAndFilteringChecksInOrder) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        using O = typename A::O;
        const std::string setTaps = fn(api.tapsName, "FirlSetTaps"), getTaps = fn(api.tapsName, "FirlGetTaps"),
                          setDlyl = fn(api.dataName, "FirlSetDlyl"), getDlyl = fn(api.dataName, "FirlGetDlyl"),
                          firl = fn(api.name, "Firl"), bfirl = fn(api.name, "bFirl");
        std::vector<W> taps(4, fromLC<W>(LC(0.5, 0.25)));
        std::vector<D> dlyl(4, fromLC<D>(LC(1, -1)));
        FirTapState tap{};
        FirDlyState dly{};
        api.lInit(taps.data(), 4, &tap);
        api.lInitDlyl(&tap, dlyl.data(), &dly);
        const FirTapState tapBefore = tap;
        const FirDlyState dlyBefore = dly;
        Sentinel out(sizeof(O) * 8), copy(sizeof(D) * 8);
        D in[8] = {};
        ReportRecorder r;

        api.lSetTaps(taps.data(), nullptr);
        api.lGetTaps(nullptr, copy.as<W>());
        api.lGetTaps(&tap, nullptr);
        api.lSetDlyl(nullptr, dlyl.data(), &dly);
        api.lSetDlyl(&tap, dlyl.data(), nullptr);
        api.lGetDlyl(&tap, &dly, copy.as<D>());  // set up, but never set
        api.lGetDlyl(&tap, nullptr, copy.as<D>());
        api.lGetDlyl(nullptr, &dly, copy.as<D>());
        api.lGetDlyl(&tap, &dly, nullptr);
        EXPECT_REPORTS(r, {kBad, setTaps.c_str(), kNull, kLow}, {kBad, getTaps.c_str(), kNull, kLow},
                       {kBad, getTaps.c_str(), kNull, kLow}, {kBad, setDlyl.c_str(), kNull, kLow},
                       {kBad, setDlyl.c_str(), kNull, kLow}, {kBad, getDlyl.c_str(), "Not filter mode", kLow},
                       {kBad, getDlyl.c_str(), kNull, kLow}, {kBad, getDlyl.c_str(), kNull, kLow},
                       {kBad, getDlyl.c_str(), kNull, kLow});
        r.clear();

        const O zero{};
        O got = api.firl(nullptr, &dly, D{});
        EXPECT_EQ(0, std::memcmp(&got, &zero, sizeof(O)));
        got = api.firl(&tap, nullptr, D{});
        EXPECT_EQ(0, std::memcmp(&got, &zero, sizeof(O)));
        api.bfirl(nullptr, &dly, in, out.as<O>(), 1);
        api.bfirl(&tap, nullptr, in, out.as<O>(), 1);
        api.bfirl(&tap, &dly, nullptr, out.as<O>(), 0);
        api.bfirl(&tap, &dly, in, nullptr, 0);
        api.bfirl(&tap, &dly, in, out.as<O>(), 0);
        api.bfirl(&tap, &dly, in, out.as<O>(), 1);  // delay line not set yet
        api.lSetDlyl(&tap, nullptr, &dly);
        api.lGetTaps(&tap, taps.data());  // the caller takes its array back
        api.bfirl(&tap, &dly, in, out.as<O>(), 1);
        api.lGetTaps(&tap, copy.as<W>());
        EXPECT_REPORTS(r, {kBad, firl.c_str(), kNull, kLow}, {kBad, firl.c_str(), kNull, kLow},
                       {kBad, bfirl.c_str(), kNull, kLow}, {kBad, bfirl.c_str(), kNull, kLow},
                       {kBad, bfirl.c_str(), kNull, kLow}, {kBad, bfirl.c_str(), kNull, kLow},
                       {kBad, bfirl.c_str(), "Invalid array length", kLow},
                       {kBad, bfirl.c_str(), "Not filter mode", kLow}, {kBad, bfirl.c_str(), "Not filter mode", kLow},
                       {kBad, getTaps.c_str(), "Not filter mode", kLow});
        EXPECT_TRUE(out.untouched());
        EXPECT_TRUE(copy.untouched());
        r.clear();

        // Setting the taps again returns to filter mode and filtering runs.
        api.lSetTaps(taps.data(), &tap);
        api.bfirl(&tap, &dly, in, out.as<O>(), 1);
        EXPECT_REPORTS(r);
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
    EXPECT_REPORTS(r, {kBad, "voksFirl", "Invalid factor value", kLow});
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
                          fir = fn(api.name, "Fir"), bfir = fn(api.name, "bFir");
        const char* kState = "Null state pointer";
        const char* kInit = "Must have been initialized";
        const char* kValue = "Invalid value";
        W taps[4] = {};
        D in[8] = {};
        Sentinel rec(sizeof(FirState)), out(sizeof(O) * 8), copy(sizeof(W) * 8);
        FirState* st = rec.as<FirState>();  // never initialised: its selfRef is not its address
        ReportRecorder r;

        api.hInit(taps, 4, nullptr, nullptr);
        api.hInit(taps, 0, nullptr, st);
        api.hInitMr(taps, 4, nullptr, 2, 0, 1, 0, nullptr);
        api.hInitMr(taps, 0, nullptr, 0, -1, 0, -1, st);
        api.hInitMr(taps, 0, nullptr, 1, -1, 0, -1, st);
        api.hInitMr(taps, 0, nullptr, 1, -1, 1, -1, st);
        api.hInitMr(taps, 0, nullptr, 2, 2, 1, -1, st);
        api.hInitMr(taps, 0, nullptr, 2, 1, 3, -1, st);
        api.hInitMr(taps, 0, nullptr, 2, 1, 3, 3, st);
        api.hInitMr(taps, 0, nullptr, 2, 1, 3, 2, st);
        EXPECT_REPORTS(r, {kBad, init.c_str(), kState, kHigh}, {kBad, init.c_str(), kValue, kHigh},
                       {kBad, initMr.c_str(), kState, kHigh}, {kBad, initMr.c_str(), kValue, kHigh},
                       {kBad, initMr.c_str(), kValue, kHigh}, {kBad, initMr.c_str(), kValue, kHigh},
                       {kBad, initMr.c_str(), kValue, kHigh}, {kBad, initMr.c_str(), kValue, kHigh},
                       {kBad, initMr.c_str(), kValue, kHigh}, {kBad, initMr.c_str(), kValue, kHigh});
        r.clear();

        api.hSetTaps(taps, nullptr);
        api.hSetTaps(taps, st);
        api.hGetTaps(nullptr, copy.as<W>());
        api.hGetTaps(st, nullptr);
        api.hSetDlyl(in, nullptr);
        api.hSetDlyl(in, st);
        api.hGetDlyl(nullptr, copy.as<D>());
        api.hGetDlyl(st, nullptr);
        vokFirFree(nullptr);
        vokFirFree(st);
        EXPECT_REPORTS(r, {kBad, setTaps.c_str(), kState, kHigh}, {kBad, setTaps.c_str(), kInit, kHigh},
                       {kBad, getTaps.c_str(), kState, kHigh}, {kBad, getTaps.c_str(), kInit, kHigh},
                       {kBad, setDlyl.c_str(), kState, kHigh}, {kBad, setDlyl.c_str(), kInit, kHigh},
                       {kBad, getDlyl.c_str(), kState, kHigh}, {kBad, getDlyl.c_str(), kInit, kHigh},
                       {kBad, "vokFirFree", kState, kHigh}, {kBad, "vokFirFree", kInit, kHigh});
        r.clear();

        const O zero{};
        O got = api.fir(nullptr, D{});
        EXPECT_EQ(0, std::memcmp(&got, &zero, sizeof(O)));
        got = api.fir(st, D{});
        EXPECT_EQ(0, std::memcmp(&got, &zero, sizeof(O)));
        api.bfir(nullptr, nullptr, nullptr, 0);
        api.bfir(st, nullptr, nullptr, 0);
        EXPECT_TRUE(rec.untouched());
        FirState good{};
        api.hInit(taps, 4, nullptr, &good);
        api.bfir(&good, nullptr, out.as<O>(), 0);
        api.bfir(&good, in, nullptr, 0);
        api.bfir(&good, in, out.as<O>(), 0);
        api.hGetTaps(&good, nullptr);
        api.hGetDlyl(&good, nullptr);
        EXPECT_REPORTS(r, {kBad, fir.c_str(), kState, kHigh}, {kBad, fir.c_str(), kInit, kHigh},
                       {kBad, bfir.c_str(), kState, kHigh}, {kBad, bfir.c_str(), kInit, kHigh},
                       {kBad, bfir.c_str(), kNull, kHigh}, {kBad, bfir.c_str(), kNull, kHigh},
                       {kBad, bfir.c_str(), kValue, kHigh}, {kBad, getTaps.c_str(), kNull, kHigh},
                       {kBad, getDlyl.c_str(), kNull, kHigh});
        EXPECT_TRUE(out.untouched());
        EXPECT_TRUE(copy.untouched());
        r.clear();

        // A freed record counts as uninitialised.
        vokFirFree(&good);
        EXPECT_EQ(nullptr, good.selfRef);
        api.bfir(&good, in, out.as<O>(), 1);
        vokFirFree(&good);
        EXPECT_REPORTS(r, {kBad, bfir.c_str(), kInit, kHigh}, {kBad, "vokFirFree", kInit, kHigh});
        EXPECT_TRUE(out.untouched());
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
