// The 16-bit two-state filter: exact sums (dyadic taps) against the
// multirate definition, rounding ties to even, every scale mode against an
// independent conversion, one-sample against block forms, the filter-order
// taps in the caller's array, and every failure report.
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

TEST(FirlInt16, OneSampleMatchesBlockAndTiesRoundToEven) {
    std::mt19937 gen(3);
    for (int tapsLen : {1, 2, 7}) {
        const auto h = dyadicTaps(gen, tapsLen);
        const auto line = randomShorts(gen, std::size_t(tapsLen), 20000);
        const auto in = randomShorts(gen, 40, 20000);
        const Rates r{1, 0, 1, 0, tapsLen};
        Low16 block(h, r, line), one(h, r, line);
        std::vector<short> out(in.size());
        vokwbFirl(&block.tap, &block.dly, in.data(), out.data(), int(in.size()), VOK_SATURATE, nullptr);
        for (std::size_t i = 0; i < in.size(); ++i)
            EXPECT_EQ(out[i], vokwFirl(&one.tap, &one.dly, in[i], VOK_SATURATE, nullptr)) << i;
        // The history agrees; the scratch slot is whatever input last passed through it.
        EXPECT_TRUE(std::equal(block.line.begin(), block.line.end() - 1, one.line.begin()));
    }
    // 0.5*2 + 0.5*3 = 2.5 rounds to 2; 0.5*3 + 0.5*4 = 3.5 rounds to 4.
    float taps[2] = {0.5f, 0.5f};
    short line[2] = {2, 0};
    FirTapState tap{};
    FirDlyState dly{};
    vokwFirlInit(taps, 2, &tap);
    vokwFirlInitDlyl(&tap, line, &dly);
    vokwFirlSetDlyl(&tap, line, &dly);
    EXPECT_EQ(2, vokwFirl(&tap, &dly, 3, VOK_NO_SCALE, nullptr));
    EXPECT_EQ(4, vokwFirl(&tap, &dly, 4, VOK_NO_SCALE, nullptr));
    // A fixed factor of 0 with saturation is saturation alone.
    int zero = 0;
    vokwFirlSetTaps(nullptr, &tap);
    float big[2] = {2.0f, 2.0f};
    vokwFirlSetTaps(big, &tap);
    EXPECT_EQ(32767, vokwFirl(&tap, &dly, 30000, VOK_FIXED_SCALE | VOK_SATURATE, &zero));
    EXPECT_EQ(short(std::uint16_t(std::uint32_t(120000))), vokwFirl(&tap, &dly, 30000, VOK_NO_SCALE, nullptr));
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

}  // namespace
