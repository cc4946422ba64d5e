// The 16-bit filters: the two-state one with exact sums (dyadic taps) against
// the multirate definition under every scale mode, the single-state one
// identical to it at every rate across window wraps, rounding ties to even,
// one-sample against block forms, filter-order taps, and every failure report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "../support/widths.h"
#include "fir_support.h"
#include "frame/test_seams.h"
#include "support/report_steps.h"
#include "support/reports.h"

namespace {

using namespace firtest;
using voktest::ReportRecorder;
using voktest::Sentinel;

// Taps k/16 in [-2, 2]: every sum of products with 16-bit samples is exact in double.
std::vector<float> dyadicTaps(std::mt19937& gen, int n) {
    std::uniform_int_distribution<int> k(-32, 32);
    std::vector<float> t(static_cast<std::size_t>(n));
    for (auto& v : t) v = float(k(gen)) / 16.0f;
    return t;
}

// Independent 16-bit conversion of one rounded sum.
short expected16(std::int64_t r, int mode, int sf) {
    if (mode & VOK_FIXED_SCALE) r = sf >= 0 ? (r >> sf) : r * (std::int64_t(1) << -sf);
    if (mode & VOK_SATURATE) return short(r < -32768 ? -32768 : r > 32767 ? 32767 : r);
    return short(std::uint16_t(std::uint64_t(r)));
}

int autoFactor(const std::vector<std::int64_t>& r) {
    std::int64_t big = 0;
    for (std::int64_t v : r) big = std::max(big, v < 0 ? -v : v);
    if (big <= 32767) return 0;
    int bits = 0;
    while ((big >> bits) > 1) ++bits;  // floor(log2 big)
    return bits - 14;
}

struct Low16 {
    std::vector<float> taps;
    std::vector<short> line;
    FirTapState tap{};
    FirDlyState dly{};
    Low16(const std::vector<float>& h, const Rates& r, const std::vector<short>& history) : taps(h) {
        vokwFirlInitMr(taps.data(), int(taps.size()), r.up, r.upPhase, r.down, r.downPhase, &tap);
        line.resize(std::size_t(tap.isMultiRate ? (r.tapsLen + r.up - 1) / r.up : r.tapsLen));
        vokwFirlInitDlyl(&tap, line.data(), &dly);
        vokwFirlSetDlyl(&tap, history.data(), &dly);
    }
};

struct ModeCase {
    int mode, factor, limit;
};

void followsTheDefinitionUnderEveryScaleMode();

// At every kernel width.
TEST(FirlInt16, FollowsTheDefinitionUnderEveryScaleMode) { voktest::forEachWidth(followsTheDefinitionUnderEveryScaleMode); }

void followsTheDefinitionUnderEveryScaleMode() {
    const std::vector<Rates> rates = {{1, 0, 1, 0, 1}, {1, 0, 1, 0, 6}, {1, 0, 3, 1, 8},
                                      {3, 2, 1, 0, 7}, {4, 1, 3, 2, 10}, {5, 0, 2, 1, 3}};
    const std::vector<ModeCase> modes = {{VOK_NO_SCALE, 0, 300},      {VOK_NO_SCALE, 0, 32767},
                                         {VOK_SATURATE, 0, 32767},    {VOK_FIXED_SCALE, 3, 32767},
                                         {VOK_FIXED_SCALE | VOK_SATURATE, 1, 32767},
                                         {VOK_FIXED_SCALE | VOK_SATURATE, -2, 4000},
                                         {VOK_AUTO_SCALE, 99, 32767}, {VOK_AUTO_SCALE, 99, 200}};
    for (const Rates& r : rates) {
        for (const ModeCase& mc : modes) {
            SCOPED_TRACE(::testing::Message() << r << " mode " << mc.mode << " sf " << mc.factor);
            std::mt19937 gen(unsigned(r.tapsLen * 13 + mc.mode * 5 + mc.limit));
            const auto h = dyadicTaps(gen, r.tapsLen);
            const int visible = (r.up > 1 || r.down > 1) ? (r.tapsLen + r.up - 1) / r.up : r.tapsLen;
            const auto line = randomShorts(gen, std::size_t(visible), mc.limit);
            // History: the whole multirate line, or all but the single-rate scratch slot.
            const std::vector<short> history(line.begin(), line.end() - ((r.up > 1 || r.down > 1) ? 0 : 1));
            Low16 f(h, r, line);
            std::vector<short> stream;
            std::vector<short> got;
            std::vector<int> factors;
            for (int n : {1, 5, 2 * r.tapsLen + 1}) {
                const auto in = randomShorts(gen, std::size_t(n * r.down), mc.limit);
                std::vector<short> out(std::size_t(n * r.up));
                int sf = mc.factor;
                vokwbFirl(&f.tap, &f.dly, in.data(), out.data(), n, mc.mode, &sf);
                factors.push_back(sf);
                stream.insert(stream.end(), in.begin(), in.end());
                got.insert(got.end(), out.begin(), out.end());
            }
            const Reference ref = directMultirate(h, r, history, stream);
            ASSERT_EQ(ref.out.size(), got.size());
            std::vector<std::int64_t> sums;
            for (const LC& v : ref.out) sums.push_back(std::int64_t(std::nearbyint(v.real())));
            // Outputs per call: n * U for n = 1, 5, 2L + 1; auto mode picks one factor per call.
            std::size_t at = 0;
            int call = 0;
            for (int n : {1, 5, 2 * r.tapsLen + 1}) {
                const std::size_t count = std::size_t(n * r.up);
                std::vector<std::int64_t> part(sums.begin() + std::ptrdiff_t(at), sums.begin() + std::ptrdiff_t(at + count));
                int sf = mc.factor, mode = mc.mode;
                if (mode == VOK_AUTO_SCALE) {
                    sf = autoFactor(part);
                    mode = VOK_FIXED_SCALE | VOK_SATURATE;
                    EXPECT_EQ(sf, factors[std::size_t(call)]);
                } else {
                    EXPECT_EQ(mc.factor, factors[std::size_t(call)]);  // read, never written
                }
                for (std::size_t i = 0; i < count; ++i)
                    EXPECT_EQ(expected16(part[i], mode, sf), got[at + i]) << "output " << at + i;
                at += count;
                ++call;
            }
        }
    }
}

// Both layers, one sample at a time across several wraps of the window, give
// the block outputs and history; 0.5*2 + 0.5*3 = 2.5 rounds to 2, 3.5 to 4; a
// fixed factor of 0 with saturation is saturation alone.
TEST(FirInt16, OneSampleMatchesBlockAndTiesRoundToEven) {
    std::mt19937 gen(3);
    for (int tapsLen : {1, 2, 5, 7}) {
        SCOPED_TRACE(tapsLen);
        auto h = dyadicTaps(gen, tapsLen);
        const auto line = randomShorts(gen, std::size_t(tapsLen), 30000);
        const auto in = randomShorts(gen, std::size_t(4 * tapsLen + 11), 30000);
        const Rates r{1, 0, 1, 0, tapsLen};
        Low16 block(h, r, line), one(h, r, line);
        FirState hOne{}, hBlock{};
        vokwFirInit(h.data(), tapsLen, line.data(), &hOne);
        vokwFirInit(h.data(), tapsLen, line.data(), &hBlock);
        EXPECT_EQ(tapsLen, hOne.bufRoom);
        std::vector<short> out(in.size()), hOut(in.size());
        vokwbFirl(&block.tap, &block.dly, in.data(), out.data(), int(in.size()), VOK_SATURATE, nullptr);
        vokwbFir(&hBlock, in.data(), hOut.data(), int(in.size()), VOK_SATURATE, nullptr);
        EXPECT_EQ(out, hOut);
        for (std::size_t i = 0; i < in.size(); ++i) {
            EXPECT_EQ(out[i], vokwFirl(&one.tap, &one.dly, in[i], VOK_SATURATE, nullptr)) << i;
            EXPECT_EQ(out[i], vokwFir(&hOne, in[i], VOK_SATURATE, nullptr)) << i;
        }
        // The history agrees; the scratch slot is whatever input last passed through it.
        EXPECT_TRUE(std::equal(block.line.begin(), block.line.end() - 1, one.line.begin()));
        std::vector<short> a(static_cast<std::size_t>(tapsLen)), b(a);
        vokwFirGetDlyl(&hOne, a.data());
        vokwFirGetDlyl(&hBlock, b.data());
        EXPECT_EQ(a, b);
        vokFirFree(&hBlock);
        if (tapsLen > 2) {
            vokFirFree(&hOne);
            continue;
        }
        // The one-tap and two-tap set-ups of the single-rate form.
        h.assign(std::size_t(tapsLen), 0.5f);
        short two[2] = {2, 0};
        FirTapState tap{};
        FirDlyState dly{};
        vokwFirlInit(h.data(), tapsLen, &tap);
        vokwFirlInitDlyl(&tap, two, &dly);
        vokwFirlSetDlyl(&tap, two, &dly);
        vokwFirSetTaps(h.data(), &hOne);
        vokwFirSetDlyl(two, &hOne);
        for (short x : {3, 4}) {
            const short want = x == 4 && tapsLen == 2 ? 4 : 2;  // 1.5, 2, 2.5 and 3.5 rounded
            EXPECT_EQ(want, vokwFirl(&tap, &dly, x, VOK_NO_SCALE, nullptr));
            EXPECT_EQ(want, vokwFir(&hOne, x, VOK_NO_SCALE, nullptr));
        }
        vokFirFree(&hOne);
        int zero = 0;
        const float big[2] = {2.0f, 2.0f};
        vokwFirlSetTaps(nullptr, &tap);
        vokwFirlSetTaps(big, &tap);
        vokwFirlSetDlyl(&tap, nullptr, &dly);
        EXPECT_EQ(32767, vokwFirl(&tap, &dly, 30000, VOK_FIXED_SCALE | VOK_SATURATE, &zero));
        const short wrapped = short(std::uint16_t(std::uint32_t(60000 * tapsLen)));
        EXPECT_EQ(wrapped, vokwFirl(&tap, &dly, 30000, VOK_NO_SCALE, nullptr));
    }
}

TEST(FirlInt16, TapsHeldInFilterOrder) {
    float taps[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    FirTapState tap{};
    vokwFirlInitMr(taps, 8, 3, 0, 2, 1, &tap);
    const float packed[8] = {6, 3, 0, 7, 4, 1, 5, 2};
    EXPECT_EQ(0, std::memcmp(packed, taps, sizeof packed));
    float back[8] = {};
    vokwFirlGetTaps(&tap, back);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(float(k), back[k]);
    vokwFirlGetTaps(&tap, taps);  // in place: natural order, out of filter mode
    EXPECT_EQ(0, tap.isFilterMode);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(float(k), taps[k]);
    vokwFirlInit(taps, 4, &tap);
    const float reversed[4] = {3, 2, 1, 0};
    EXPECT_EQ(0, std::memcmp(reversed, taps, sizeof reversed));
    EXPECT_EQ(0, tap.reserved);
}

TEST(FirlInt16, FailureReportsInCheckOrder) {
    const char* kTap = "Null Tap State pointer";
    const char* kDly = "Null Dly State pointer";
    const char* kNull = "Null buffer pointer";
    const char* kNotSet = "Filter Dlyl is not setup";
    const char* kScale = "Null scale factor pointer";
    float taps[4] = {1, 2, 3, 4};
    short line[4] = {};
    short in[4] = {1, 2, 3, 4};
    Sentinel tapRec(sizeof(FirTapState)), out(16), copy(32);
    FirTapState* badTap = tapRec.as<FirTapState>();
    short* o = out.as<short>();
    voktest::ReportSteps step("vokfirlw");
    step("vokwFirlInit", kTap, [&] { vokwFirlInit(nullptr, 4, badTap); });
    step("vokwFirlInit", "Invalid array length", [&] { vokwFirlInit(taps, 0, badTap); });
    step("vokwFirlInitMr", "Invalid phase value", [&] { vokwFirlInitMr(taps, 4, 2, -1, 1, 0, badTap); });
    step("vokwFirlInitMr", "Invalid factor value", [&] { vokwFirlInitMr(taps, 4, 2, 2, 1, 0, badTap); });
    EXPECT_TRUE(tapRec.untouched());
    FirTapState tap{}, multi{};
    FirDlyState dly{};
    vokwFirlInit(taps, 4, &tap);
    step("vokwFirlInitDlyl", kDly, [&] { vokwFirlInitDlyl(&tap, nullptr, &dly); });
    step("vokwFirlInitDlyl", kNull, [&] { vokwFirlInitDlyl(&tap, line, nullptr); });
    vokwFirlInitDlyl(&tap, line, &dly);
    step("vokwFirlGetDlyl", kNotSet, [&] { vokwFirlGetDlyl(&tap, &dly, copy.as<short>()); });
    step("vokwFirlSetDlyl", kDly, [&] { vokwFirlSetDlyl(&tap, nullptr, nullptr); });
    step("vokwFirlSetDlyl", kTap, [&] { vokwFirlSetDlyl(nullptr, nullptr, &dly); });
    step("vokwFirlSetTaps", kTap, [&] { vokwFirlSetTaps(taps, nullptr); });
    step("vokwFirlGetTaps", kTap, [&] { vokwFirlGetTaps(nullptr, copy.as<float>()); });
    step("vokwFirlGetTaps", kNull, [&] { vokwFirlGetTaps(&tap, nullptr); });
    step("vokwFirl", kNotSet, [&] { EXPECT_EQ(0, vokwFirl(&tap, &dly, 5, VOK_NO_SCALE, nullptr)); });
    step("vokwbFirl", kNotSet, [&] { vokwbFirl(&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr); });
    vokwFirlSetDlyl(&tap, nullptr, &dly);
    step("vokwbFirl", kTap, [&] { vokwbFirl(nullptr, &dly, in, o, 1, VOK_NO_SCALE, nullptr); });
    step("vokwbFirl", kDly, [&] { vokwbFirl(&tap, nullptr, in, o, 1, VOK_NO_SCALE, nullptr); });
    step("vokwbFirl", kNull, [&] { vokwbFirl(&tap, &dly, nullptr, o, 0, VOK_AUTO_SCALE, nullptr); });
    step("vokwbFirl", kNull, [&] { vokwbFirl(&tap, &dly, in, nullptr, 0, VOK_AUTO_SCALE, nullptr); });
    step("vokwbFirl", "Invalid array length", [&] { vokwbFirl(&tap, &dly, in, o, 0, VOK_AUTO_SCALE, nullptr); });
    step("vokwbFirl", kScale, [&] { vokwbFirl(&tap, &dly, in, o, 1, VOK_AUTO_SCALE, nullptr); });
    step("vokwFirl", kScale, [&] { EXPECT_EQ(0, vokwFirl(&tap, &dly, 5, VOK_AUTO_SCALE, nullptr)); });
    step.run([&] {
        vok::testing::failAllocationAfter(1);
        vokwbFirl(&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr);
        vok::testing::failAllocationAfter(0);
    }, {{VOK_StatusNoMemory, "vokwbFirl", "Allocation failure", "vokfirlw"}});
    float mtaps[4] = {1, 2, 3, 4};
    short mline[2] = {};
    vokwFirlInitMr(mtaps, 4, 2, 0, 1, 0, &multi);
    vokwFirlGetTaps(&tap, taps);  // own array: leaves filter mode
    step("vokwbFirl", "Filter Taps is not setup", [&] { vokwbFirl(&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr); });
    FirDlyState mdly{};
    vokwFirlInitDlyl(&multi, mline, &mdly);
    vokwFirlSetDlyl(&multi, nullptr, &mdly);
    step("vokwFirl", "MultiRate filter", [&] { EXPECT_EQ(0, vokwFirl(&multi, &mdly, 5, VOK_NO_SCALE, nullptr)); });
    EXPECT_TRUE(out.untouched());
    EXPECT_TRUE(copy.untouched());
    for (short s : line) EXPECT_EQ(0, s);
}

// A failed temporary copy while reordering multirate taps only sets the status.
TEST(FirlInt16, ReorderAllocationFailureIsSilent) {
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

// Taps of any value: the single-state filter must round exactly where the two-state one does.
std::vector<float> anyTaps(std::mt19937& gen, int n) {
    std::vector<float> t(static_cast<std::size_t>(n));
    for (auto& v : t) v = std::uniform_real_distribution<float>(-1.5f, 1.5f)(gen);
    return t;
}

bool multi(const Rates& r) { return r.up > 1 || r.down > 1; }

class FirhwVsTwoState : public ::testing::TestWithParam<Rates> {};

TEST_P(FirhwVsTwoState, BlocksMatchSampleForSample) {
    const Rates r = GetParam();
    for (int mode : {int(VOK_NO_SCALE), int(VOK_SATURATE), int(VOK_FIXED_SCALE), int(VOK_FIXED_SCALE | VOK_SATURATE)}) {
        SCOPED_TRACE(mode);
        std::mt19937 gen(unsigned(r.tapsLen * 31 + r.up * 7 + r.down + mode));
        const auto h = anyTaps(gen, r.tapsLen);
        const int hist = multi(r) ? (r.tapsLen + r.up - 1) / r.up : r.tapsLen - 1;
        const auto history = randomShorts(gen, std::size_t(hist), 20000);
        std::vector<short> lineInit(history);
        if (!multi(r)) lineInit.push_back(0);
        Low16 low(h, r, lineInit);
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
            vokwbFirl(&low.tap, &low.dly, in.data(), want.data(), n, mode, &sfA);
            vokwbFir(&st, in.data(), got.data(), n, mode, &sfB);
            EXPECT_EQ(want, got) << "block of " << n;
            EXPECT_EQ(2, sfB);
            std::vector<short> a(low.line.size()), b(static_cast<std::size_t>(hist));
            if (hist > 0) {
                vokwFirlGetDlyl(&low.tap, &low.dly, a.data());
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

// Blocks that stay within the buffer room are one run: the automatic factor
// is the two-state filter's, chosen over the whole block.
TEST(Firhw, AutoScaleOfOneRunMatchesTwoState) {
    std::mt19937 gen(8);
    for (const Rates& r : {Rates{1, 0, 1, 0, 6}, Rates{3, 1, 2, 0, 9}}) {
        const auto h = anyTaps(gen, r.tapsLen);
        Low16 low(h, r, std::vector<short>(std::size_t(r.tapsLen), 0));
        FirState st{};
        vokwFirInitMr(h.data(), r.tapsLen, nullptr, r.up, r.upPhase, r.down, r.downPhase, &st);
        for (int limit : {200, 32767}) {
            const int n = st.bufRoom / r.down;
            const auto in = randomShorts(gen, std::size_t(n * r.down), limit);
            std::vector<short> want(std::size_t(n * r.up)), got(want.size());
            int sfA = 77, sfB = 77;
            vokwbFirl(&low.tap, &low.dly, in.data(), want.data(), n, VOK_AUTO_SCALE, &sfA);
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
