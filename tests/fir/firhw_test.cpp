// The 16-bit single-state filter: outputs and history identical to the
// 16-bit two-state filter at single and multiple rates, across window wraps
// and block sizes on both sides of the buffer room, taps round trips, and
// every failure report.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "fir_support.h"
#include "frame/test_seams.h"
#include "support/report_steps.h"
#include "support/reports.h"
#include "vok.h"

namespace {

using namespace firtest;
using voktest::ReportRecorder;
using voktest::Sentinel;

std::vector<float> taps(std::mt19937& gen, int n) {
    std::uniform_real_distribution<float> u(-1.5f, 1.5f);
    std::vector<float> t(static_cast<std::size_t>(n));
    for (auto& v : t) v = u(gen);
    return t;
}

bool multi(const Rates& r) { return r.up > 1 || r.down > 1; }

class FirhwVsTwoState : public ::testing::TestWithParam<Rates> {};

TEST_P(FirhwVsTwoState, BlocksMatchSampleForSample) {
    const Rates r = GetParam();
    for (int mode : {int(VOK_NO_SCALE), int(VOK_SATURATE), int(VOK_FIXED_SCALE), int(VOK_FIXED_SCALE | VOK_SATURATE)}) {
        SCOPED_TRACE(mode);
        std::mt19937 gen(unsigned(r.tapsLen * 31 + r.up * 7 + r.down + mode));
        const auto h = taps(gen, r.tapsLen);
        const int hist = multi(r) ? (r.tapsLen + r.up - 1) / r.up : r.tapsLen - 1;
        const auto history = randomShorts(gen, std::size_t(hist), 20000);
        std::vector<float> lowTaps(h);
        FirTapState tap{};
        FirDlyState dly{};
        vokwFirlInitMr(lowTaps.data(), r.tapsLen, r.up, r.upPhase, r.down, r.downPhase, &tap);
        std::vector<short> line(std::size_t(multi(r) ? hist : r.tapsLen));
        vokwFirlInitDlyl(&tap, line.data(), &dly);
        std::vector<short> lineInit(history);
        if (!multi(r)) lineInit.push_back(0);
        vokwFirlSetDlyl(&tap, lineInit.data(), &dly);
        FirState st{};
        vokwFirInitMr(h.data(), r.tapsLen, history.data(), r.up, r.upPhase, r.down, r.downPhase, &st);
        ASSERT_EQ(st.selfRef, &st);
        EXPECT_EQ(r.tapsLen, st.origTapsLen);
        EXPECT_EQ(0, st.tapsScale);
        // Blocks shorter and longer than the buffer room, and a single iteration.
        for (int n : {1, 3, 2 * r.tapsLen + 5, 1, 37}) {
            const auto in = randomShorts(gen, std::size_t(n * r.down), 20000);
            std::vector<short> want(std::size_t(n * r.up)), got(want.size());
            int sfA = 2, sfB = 2;
            vokwbFirl(&tap, &dly, in.data(), want.data(), n, mode, &sfA);
            vokwbFir(&st, in.data(), got.data(), n, mode, &sfB);
            EXPECT_EQ(want, got) << "block of " << n;
            EXPECT_EQ(2, sfB);
            std::vector<short> a(line.size()), b(static_cast<std::size_t>(hist));
            if (hist > 0) {
                vokwFirlGetDlyl(&tap, &dly, a.data());
                vokwFirGetDlyl(&st, b.data());
                a.resize(std::size_t(hist));
                EXPECT_EQ(a, b);
            }
        }
        vokFirFree(&st);
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, FirhwVsTwoState,
                         ::testing::Values(Rates{1, 0, 1, 0, 1}, Rates{1, 0, 1, 0, 2}, Rates{1, 0, 1, 0, 9},
                                           Rates{1, 0, 3, 2, 8}, Rates{3, 2, 1, 0, 7}, Rates{4, 1, 3, 2, 10},
                                           Rates{5, 0, 2, 1, 3}, Rates{2, 1, 2, 0, 6},
                                           // Runs of many conversion chunks, and iterations of more
                                           // outputs than one chunk.
                                           Rates{1, 0, 1, 0, 200}, Rates{3, 1, 2, 0, 100}, Rates{1, 0, 5, 2, 300},
                                           Rates{300, 7, 2, 1, 601}));

TEST(Firhw, OneSampleAcrossWrapsMatchesBlockAndAutoScale) {
    std::mt19937 gen(5);
    for (int tapsLen : {1, 2, 5}) {
        SCOPED_TRACE(tapsLen);
        const auto h = taps(gen, tapsLen);
        const auto history = randomShorts(gen, std::size_t(tapsLen - 1), 30000);
        const auto in = randomShorts(gen, std::size_t(4 * tapsLen + 11), 30000);  // several wraps of the window
        FirState one{}, block{};
        vokwFirInit(h.data(), tapsLen, history.data(), &one);
        vokwFirInit(h.data(), tapsLen, history.data(), &block);
        EXPECT_EQ(tapsLen, one.bufRoom);
        std::vector<short> out(in.size());
        vokwbFir(&block, in.data(), out.data(), int(in.size()), VOK_SATURATE, nullptr);
        for (std::size_t i = 0; i < in.size(); ++i)
            EXPECT_EQ(out[i], vokwFir(&one, in[i], VOK_SATURATE, nullptr)) << i;
        std::vector<short> a(static_cast<std::size_t>(tapsLen)), b(a);
        vokwFirGetDlyl(&one, a.data());
        vokwFirGetDlyl(&block, b.data());
        EXPECT_EQ(a, b);
        vokFirFree(&one);
        vokFirFree(&block);
    }
    // 0.5*2 + 0.5*3 = 2.5 rounds to 2, and 3.5 to 4.
    const float half[2] = {0.5f, 0.5f};
    const short line[1] = {2};
    FirState st{};
    vokwFirInit(half, 2, line, &st);
    EXPECT_EQ(2, vokwFir(&st, 3, VOK_NO_SCALE, nullptr));
    EXPECT_EQ(4, vokwFir(&st, 4, VOK_NO_SCALE, nullptr));
    vokFirFree(&st);
}

// Blocks that stay within the buffer room are one run: the automatic factor
// is the two-state filter's, chosen over the whole block.
TEST(Firhw, AutoScaleOfOneRunMatchesTwoState) {
    std::mt19937 gen(8);
    for (const Rates& r : {Rates{1, 0, 1, 0, 6}, Rates{3, 1, 2, 0, 9}}) {
        const auto h = taps(gen, r.tapsLen);
        std::vector<float> lowTaps(h);
        FirTapState tap{};
        FirDlyState dly{};
        vokwFirlInitMr(lowTaps.data(), r.tapsLen, r.up, r.upPhase, r.down, r.downPhase, &tap);
        std::vector<short> line(std::size_t(r.tapsLen), 0);
        vokwFirlInitDlyl(&tap, line.data(), &dly);
        vokwFirlSetDlyl(&tap, nullptr, &dly);
        FirState st{};
        vokwFirInitMr(h.data(), r.tapsLen, nullptr, r.up, r.upPhase, r.down, r.downPhase, &st);
        for (int limit : {200, 32767}) {
            const int n = st.bufRoom / r.down;
            const auto in = randomShorts(gen, std::size_t(n * r.down), limit);
            std::vector<short> want(std::size_t(n * r.up)), got(want.size());
            int sfA = 77, sfB = 77;
            vokwbFirl(&tap, &dly, in.data(), want.data(), n, VOK_AUTO_SCALE, &sfA);
            vokwbFir(&st, in.data(), got.data(), n, VOK_AUTO_SCALE, &sfB);
            EXPECT_EQ(want, got);
            EXPECT_EQ(sfA, sfB);
        }
        vokFirFree(&st);
    }
}

TEST(Firhw, TapsRoundTripAndNullArraysClear) {
    const float h[7] = {1, 2, 3, 4, 5, 6, 7};
    FirState st{};
    vokwFirInitMr(h, 7, nullptr, 3, 0, 2, 1, &st);
    EXPECT_EQ(9, st.tapsLen);  // padded to whole branches
    EXPECT_EQ(3, st.dlyLen);
    EXPECT_EQ(4, st.bufRoom);
    EXPECT_EQ(0, st.tapsLenUnrolled);
    const float packed[9] = {7, 4, 1, 0, 5, 2, 0, 6, 3};
    for (int k = 0; k < 9; ++k) EXPECT_EQ(packed[k], static_cast<float*>(st.tapsBuf)[k]) << k;
    float back[7] = {};
    vokwFirGetTaps(&st, back);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(h[k], back[k]);
    vokwFirSetTaps(nullptr, &st);
    vokwFirGetTaps(&st, back);
    for (float v : back) EXPECT_EQ(0.0f, v);
    short dl[3] = {9, 9, 9};
    vokwFirGetDlyl(&st, dl);
    for (short v : dl) EXPECT_EQ(0, v);
    vokFirFree(&st);
    EXPECT_EQ(nullptr, st.selfRef);
}

TEST(Firhw, FailureReportsInCheckOrder) {
    const char* kState = "Null state pointer";
    const char* kInit = "Must have been initialized";
    const char* kNull = "Null buffer pointer";
    const char* kInv = "Invalid value";
    const char* kScale = "Null scale factor pointer";
    const float h[4] = {1, 2, 3, 4};
    const short in[4] = {1, 2, 3, 4};
    Sentinel rec(sizeof(FirState)), out(16), copy(32);
    FirState* bad = rec.as<FirState>();
    voktest::ReportSteps step("vokfirhw");
    step("vokwFirInit", kState, [&] { vokwFirInit(h, 4, nullptr, nullptr); });
    step("vokwFirInit", kInv, [&] { vokwFirInit(h, 0, nullptr, bad); });
    step("vokwFirInitMr", kState, [&] { vokwFirInitMr(h, 4, nullptr, 2, 0, 1, 0, nullptr); });
    step("vokwFirInitMr", kInv, [&] { vokwFirInitMr(h, 4, nullptr, 0, 0, 1, 0, bad); });
    step("vokwFirInitMr", kInv, [&] { vokwFirInitMr(h, 4, nullptr, 2, 0, 0, 0, bad); });
    step("vokwFirInitMr", kInv, [&] { vokwFirInitMr(h, 4, nullptr, 2, 2, 1, 0, bad); });
    step("vokwFirInitMr", kInv, [&] { vokwFirInitMr(h, 4, nullptr, 2, 0, 3, -1, bad); });
    step("vokwFirInitMr", kInv, [&] { vokwFirInitMr(h, 0, nullptr, 2, 0, 3, 0, bad); });
    EXPECT_TRUE(rec.untouched());
    FirState st{};
    step("vokwFirSetTaps", kState, [&] { vokwFirSetTaps(h, nullptr); });
    step("vokwFirSetTaps", kInit, [&] { vokwFirSetTaps(h, &st); });
    step("vokwFirGetTaps", kInit, [&] { vokwFirGetTaps(&st, copy.as<float>()); });
    step("vokwFirSetDlyl", kInit, [&] { vokwFirSetDlyl(in, &st); });
    step("vokwFirGetDlyl", kState, [&] { vokwFirGetDlyl(nullptr, copy.as<short>()); });
    step("vokwFir", kInit, [&] { EXPECT_EQ(0, vokwFir(&st, 1, VOK_NO_SCALE, nullptr)); });
    step("vokwbFir", kInit, [&] { vokwbFir(&st, in, out.as<short>(), 1, VOK_NO_SCALE, nullptr); });
    vokwFirInit(h, 4, nullptr, &st);
    step("vokwFirGetTaps", kNull, [&] { vokwFirGetTaps(&st, nullptr); });
    step("vokwFirGetDlyl", kNull, [&] { vokwFirGetDlyl(&st, nullptr); });
    step("vokwFir", kState, [&] { EXPECT_EQ(0, vokwFir(nullptr, 1, VOK_NO_SCALE, nullptr)); });
    step("vokwFir", kScale, [&] { EXPECT_EQ(0, vokwFir(&st, 1, VOK_AUTO_SCALE, nullptr)); });
    step("vokwbFir", kState, [&] { vokwbFir(nullptr, in, out.as<short>(), 1, VOK_NO_SCALE, nullptr); });
    step("vokwbFir", kNull, [&] { vokwbFir(&st, nullptr, out.as<short>(), 0, VOK_AUTO_SCALE, nullptr); });
    step("vokwbFir", kNull, [&] { vokwbFir(&st, in, nullptr, 0, VOK_AUTO_SCALE, nullptr); });
    step("vokwbFir", kInv, [&] { vokwbFir(&st, in, out.as<short>(), 0, VOK_AUTO_SCALE, nullptr); });
    step("vokwbFir", kScale, [&] { vokwbFir(&st, in, out.as<short>(), 1, VOK_AUTO_SCALE, nullptr); });
    vokFirFree(&st);
    step("vokwbFir", kInit, [&] { vokwbFir(&st, in, out.as<short>(), 1, VOK_NO_SCALE, nullptr); });
    EXPECT_TRUE(out.untouched());
    EXPECT_TRUE(copy.untouched());
}

// Every allocation of the initialisation may fail: the record ends
// uninitialised and one "Allocation failure" is reported.
TEST(Firhw, AllocationFailureLeavesRecordUninitialised) {
    const float h[5] = {1, 2, 3, 4, 5};
    for (int rateCase = 0; rateCase < 2; ++rateCase) {
        for (int after = 1; after <= (rateCase ? 3 : 2); ++after) {
            SCOPED_TRACE(::testing::Message() << rateCase << " " << after);
            FirState st{};
            ReportRecorder r;
            vok::testing::failAllocationAfter(after);
            if (rateCase) vokwFirInitMr(h, 5, nullptr, 2, 1, 3, 0, &st);
            else vokwFirInit(h, 5, nullptr, &st);
            vok::testing::failAllocationAfter(0);
            EXPECT_REPORTS(r, {VOK_StatusNoMemory, rateCase ? "vokwFirInitMr" : "vokwFirInit", "Allocation failure",
                               "vokfirhw"});
            EXPECT_EQ(nullptr, st.selfRef);
        }
    }
}

}  // namespace
