// One-dimensional convolution against long-double sums written from the
// definition, every method forced on every type pair, the method choice around
// its switches, and the failure reports.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "convolution/conv1d.h"
#include "frame/context.h"
#include "frame/test_seams.h"
#include "voktest/reports.h"
#include "voktest/values.h"
#include "voktest/widths.h"
#include "transform/fft.h"
#include "vok.h"

namespace {

using namespace voktest;
namespace c1 = vok::conv1d;

template <class X, class H>
std::vector<LC> reference(const std::vector<X>& x, const std::vector<H>& h) {
    std::vector<LC> y(x.size() + h.size() - 1);
    for (std::size_t i = 0; i < x.size(); ++i)
        for (std::size_t j = 0; j < h.size(); ++j) y[i + j] += asLC(x[i]) * asLC(h[j]);
    return y;
}

// One exported function: its element types, entry point and tuning.
template <class X, class H, class Y, int (*F)(const X*, int, const H*, int, Y*), const c1::Model* M>
struct Conv {
    using XT = X;
    using HT = H;
    using YT = Y;
    static constexpr auto call = F;
    static const c1::Model& model() { return *M; }
    static constexpr double tolerance = sizeof(Real<Y>) == 4 ? 2e-6 : 1e-14;
    static constexpr double direct = sizeof(Real<Y>) == 4 ? 1.2e-7 : 2.5e-15;  // float: one rounding of a double sum
};

using AllConvs = ::testing::Types<Conv<float, float, float, voksConv, &c1::kS>,
                                  Conv<FloatComplex, FloatComplex, FloatComplex, vokcConv, &c1::kC>,
                                  Conv<FloatComplex, float, FloatComplex, vokcsConv, &c1::kCs>,
                                  Conv<float, FloatComplex, FloatComplex, vokscConv, &c1::kSc>,
                                  Conv<double, double, double, vokdConv, &c1::kD>,
                                  Conv<DoubleComplex, DoubleComplex, DoubleComplex, vokzConv, &c1::kZ>,
                                  Conv<DoubleComplex, double, DoubleComplex, vokzdConv, &c1::kZd>,
                                  Conv<double, DoubleComplex, DoubleComplex, vokdzConv, &c1::kDz>>;

template <class C>
class Convolution : public ::testing::Test {};
TYPED_TEST_SUITE(Convolution, AllConvs);

// The exported function with either operand the longer, near and across the
// lengths at which the choice changes and around the register sizes, and every
// method and block size called directly at every kernel width (the same bits
// at each, nothing written past the end); the choice follows the direct bound
// and the threshold rows.
TYPED_TEST(Convolution, EveryMethodAndTheExportedFunctionMatchTheDefinition) {
    using C = TypeParam;
    const c1::Model& m = C::model();
    const int inRange = m.thrFirst + 3;
    const int thr = std::min(m.thr[inRange - m.thrFirst], 20000);  // past any practical length: "always direct"
    const std::vector<std::pair<int, int>> pairs = {
        {1, 1},     {2, 1},      {7, 7},     {64, 1},      {65, 64},     {200, 17},   {1000, 3},
        {513, 100}, {9, 9},      {300, 300}, {5, 3},       {3, 8},       {16, 15},    {300, 20},
        {5, 2},     {17, 17},    {31, 4},    {33, 32},     {257, 40},    {777, 61},
        {700, 7},   {70, 800},   {900, 150}, {thr - 1, inRange},         {inRange, thr},
        {m.directAlways, 4000},  {4000, m.directAlways + 1}, {m.thrLast + 1, 40 * (m.thrLast + 1)}};
    for (auto [xLen, hLen] : pairs) {
        SCOPED_TRACE(testing::Message() << xLen << "x" << hLen);
        const auto x = randomVector<typename C::XT>(xLen, unsigned(xLen * 3 + 1));
        const auto h = randomVector<typename C::HT>(hLen, unsigned(hLen * 5 + 2));
        const auto want = reference(x, h);
        std::vector<typename C::YT> y(want.size());
        ReportRecorder recorder;
        EXPECT_EQ(C::call(x.data(), xLen, h.data(), hLen, y.data()), 0);
        EXPECT_REPORTS(recorder);
        EXPECT_LT(maxRelativeError(y, want), 8 * C::tolerance);
        for (const c1::Choice choice : {c1::Choice{c1::kDirect, 1}, {c1::kSingle, 1}, {c1::kSectioned, 1},
                                        {c1::kSectioned, 2}, {c1::kSectioned, 3}}) {
            if (xLen < hLen) break;  // the methods take the longer operand first
            SCOPED_TRACE(testing::Message() << "method " << choice.method << choice.mode);
            std::vector<typename C::YT> first;
            forEachWidth([&] {
                y.assign(want.size() + 1, fromLC<typename C::YT>(7));
                ASSERT_TRUE(c1::runMethod(m, choice, x.data(), xLen, h.data(), hLen, y.data()));
                EXPECT_LT(maxRelativeError(y, want), choice.method == c1::kDirect ? C::direct : 8 * C::tolerance);
                EXPECT_EQ(asLC(y.back()), LC(7)) << "past the end";
                if (first.empty()) first = y;
                EXPECT_EQ(0, std::memcmp(first.data(), y.data(), y.size() * sizeof(y[0])));
            });
        }
    }
    EXPECT_EQ(c1::choose(m, 1 << 24, m.directAlways).method, c1::kDirect);
    for (int s = m.thrFirst; s <= m.thrLast; ++s) {
        const int t = m.thr[s - m.thrFirst];
        EXPECT_GE(t, s) << s;  // a longer operand is never shorter: smaller entries would be dead
        EXPECT_EQ(c1::choose(m, t - 1, s).method, c1::kDirect) << s;
        if (s % 7 == 0) EXPECT_NE(c1::choose(m, std::max(t, 40 * s), s).method, c1::kDirect) << s;
    }
    EXPECT_NE(c1::choose(m, m.thrLast + 1, m.thrLast + 1).method, c1::kDirect);
}

// All five checks report, in order; a failed check writes nothing. A work array
// (allocations 1 and 2) or, on the first use of an order, a transform table
// (taken before the work arrays, two failures as the transforms retry once)
// that cannot be had: the first report, the method's and the exported
// function's backtraces, y as it was; the next call works all the same.
TYPED_TEST(Convolution, FailuresReportInOrderAndWriteNothing) {
    using C = TypeParam;
    using Y = typename C::YT;
    const c1::Model& m = C::model();
    const std::string direct = m.methods[c1::kDirect], name = direct.substr(0, direct.size() - 1);
    const auto bad = [&](const char* context) { return Expected{VOK_StatusBadArg, name.c_str(), context, m.module}; };
    const int longLen = 6000, shortLen = m.thrLast + 20;
    const auto x = randomVector<typename C::XT>(longLen, 3);
    const auto h = randomVector<typename C::HT>(shortLen, 4);
    Sentinel out(sizeof(Y) * (longLen + shortLen - 1));
    ReportRecorder recorder;
    EXPECT_EQ(C::call(nullptr, 0, nullptr, -1, nullptr), VOK_StatusBadArg);
    EXPECT_REPORTS(recorder, bad("x==0"), bad("xLen<=0"), bad("h==0"), bad("hLen<=0"), bad("y==0"));
    recorder.clear();
    EXPECT_EQ(C::call(x.data(), 4, h.data(), 0, out.as<Y>()), VOK_StatusBadArg);
    EXPECT_REPORTS(recorder, bad("hLen<=0"));

    const c1::Choice choice = c1::choose(m, longLen, shortLen);
    ASSERT_NE(choice.method, c1::kDirect);
    const std::string method = m.methods[choice.method];
    const bool single = sizeof(Real<Y>) == 4;
    const char* transform = isCx<Y> ? (single ? "vokcFft" : "vokzFft") : (single ? "voksRealFftl" : "vokdRealFftl");
    const Expected table{VOK_StatusNoMemory, transform, "No working Twd memory", single ? "vokffts" : "vokfftd"};
    for (auto [firstCall, failing, run] : std::vector<std::array<int, 3>>{{0, 1, 1}, {0, 2, 1}, {1, 1, 2}}) {
        SCOPED_TRACE(testing::Message() << firstCall << " " << failing);
        if (firstCall) {
            vok::releaseInternalFftTables(single ? vok::kSingle : vok::kDouble);
            vok::releaseSwapTables();
        }
        recorder.clear();
        vok::testing::failAllocationsAfter(failing, run);
        EXPECT_EQ(C::call(x.data(), longLen, h.data(), shortLen, out.as<Y>()), VOK_StatusNoMemory);
        vok::testing::failAllocationAfter(0);
        const Expected work{VOK_StatusNoMemory, method.c_str(), "NULL Pointer", m.module},
            inner{VOK_StatusBacktrace, method.c_str(), "<null>", m.module},
            outer{VOK_StatusBacktrace, name.c_str(), "<null>", m.module};
        const auto want = firstCall ? std::vector{table, inner, outer} : std::vector{work, outer};
        EXPECT_TRUE(sameReports(recorder.reports(), want));
    }
    EXPECT_TRUE(out.untouched());
    std::vector<Y> y(longLen + shortLen - 1);  // the failure left behind does not stop the next call
    EXPECT_EQ(C::call(x.data(), longLen, h.data(), shortLen, y.data()), 0);
    EXPECT_LT(maxRelativeError(y, reference(x, h)), 8 * C::tolerance);
}

// Mixed types with the first operand shorter go through the sibling, which
// then shows in the backtrace; very long operands weigh the largest block.
TEST(MixedConvolution, ShorterFirstOperandIsHandedToTheSibling) {
    const auto x = randomVector<FloatComplex>(120, 5);
    const auto h = randomVector<float>(6000, 6);
    std::vector<FloatComplex> y(6119);
    vokcsConv(x.data(), 120, h.data(), 6000, y.data());  // the order's tables: the failure hits a work array
    ReportRecorder recorder;
    vok::testing::failAllocationAfter(1);
    EXPECT_EQ(vokcsConv(x.data(), 120, h.data(), 6000, y.data()), VOK_StatusNoMemory);
    vok::testing::failAllocationAfter(0);
    const std::string method = c1::kSc.methods[c1::choose(c1::kSc, 6000, 120).method];
    EXPECT_REPORTS(recorder, {VOK_StatusNoMemory, method.c_str(), "NULL Pointer", "vokconvs"},
                   {VOK_StatusBacktrace, "vokscConv", "<null>", "vokconvs"},
                   {VOK_StatusBacktrace, "vokcsConv", "<null>", "vokconvs"});
    const auto xd = randomVector<double>(9, 7);
    const auto hd = randomVector<DoubleComplex>(30, 8);
    std::vector<DoubleComplex> a(38), b(38);
    EXPECT_EQ(vokdzConv(xd.data(), 9, hd.data(), 30, a.data()), 0);
    EXPECT_EQ(vokzdConv(hd.data(), 30, xd.data(), 9, b.data()), 0);
    EXPECT_EQ(0, std::memcmp(a.data(), b.data(), sizeof(DoubleComplex) * 38));
    const c1::Choice wide = c1::choose(c1::kS, 1 << 20, 200);
    EXPECT_TRUE(wide.method == c1::kSectioned && wide.mode >= 2);
    EXPECT_EQ(c1::choose(c1::kD, 1 << 22, 1 << 22).method, c1::kSingle);
}

// 16 bits: exact sums under every scale mode, truncated, also through the fast
// methods (long operands go through float sums) and for operands of length 1;
// the checks in order, nothing written (the allocation failures are swept in
// the robustness tests).
TEST(ShortConvolution, ExactSumsUnderEveryScaleModeAndChecks) {
    struct Row {
        std::vector<short> x, h;
        int mode, sf, wantSf, divisor, tolerance;
    };
    std::vector<short> lx(3000), lh(150);
    for (int i = 0; i < 3000; ++i) lx[i] = short((i * 37) % 201 - 100);
    for (int i = 0; i < 150; ++i) lh[i] = short((i * 11) % 21 - 10);
    const std::vector<short> x = {1000, -2000, 3000, 32767, -32768, 7}, h = {3, -1, 2};
    ReportRecorder recorder;
    // Largest |y| = 32767·3 + ..., below 2^17: the automatic scale factor is 2.
    for (const Row& r : {Row{x, h, VOK_SATURATE, 0, 0, 1, 0}, Row{x, h, VOK_FIXED_SCALE, 2, 2, 4, 0},
                         Row{x, h, VOK_AUTO_SCALE, 0, 2, 4, 0}, Row{lx, lh, VOK_FIXED_SCALE, 0, 0, 1, 1},
                         Row{{-3}, {5, 7}, VOK_FIXED_SCALE, 0, 0, 1, 0}, Row{{3, -2}, {7}, VOK_SATURATE, 0, 0, 1, 0}}) {
        const auto want = reference(r.x, r.h);
        std::vector<short> y(want.size());
        int sf = r.sf;
        vokSetErrStatus(VOK_StatusBadArg);  // a failure left behind does not stop the next call
        vokwConv(r.x.data(), int(r.x.size()), r.h.data(), int(r.h.size()), y.data(), r.mode, &sf);
        EXPECT_EQ(sf, r.wantSf);
        for (std::size_t i = 0; i < y.size(); ++i)
            ASSERT_LE(std::abs(y[i] - std::clamp<long double>(std::trunc(want[i].real() / r.divisor), -32768, 32767)),
                      r.tolerance) << i;
    }
    EXPECT_REPORTS(recorder);
    Sentinel out(16);
    vokwConv(nullptr, 0, nullptr, 0, out.as<short>(), VOK_SATURATE, nullptr);
    vokwConv(x.data(), 6, h.data(), 3, nullptr, VOK_SATURATE, nullptr);
    std::vector<Expected> want;
    for (const char* c : {"x==0", "xLen<=0", "h==0", "hLen<=0", "y==0"})
        want.push_back({VOK_StatusBadArg, "vokwConv", c, "vokconvw"});
    EXPECT_TRUE(sameReports(recorder.reports(), want));
    EXPECT_TRUE(out.untouched());
}

}  // namespace
