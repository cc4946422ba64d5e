// One-dimensional convolution against long-double sums written from the
// definition, every method forced on every type pair, the method choice around
// its switches, and the failure reports.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <random>
#include <string>
#include <vector>

#include "convolution/conv1d.h"
#include "frame/context.h"
#include "frame/test_seams.h"
#include "transform/fft.h"
#include "support/reports.h"
#include "support/values.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;
using namespace voktest;
namespace c1 = vok::conv1d;

template <class X, class H>
std::vector<LC> reference(const std::vector<X>& x, const std::vector<H>& h) {
    std::vector<LC> y(x.size() + h.size() - 1);
    for (std::size_t i = 0; i < x.size(); ++i)
        for (std::size_t j = 0; j < h.size(); ++j) y[i + j] += asLC(x[i]) * asLC(h[j]);
    return y;
}

// Largest error relative to the largest output magnitude.
template <class Y>
double relativeError(const std::vector<Y>& got, const std::vector<LC>& want) {
    long double scale = 1e-30L, err = 0;
    for (const LC& w : want) scale = std::max(scale, std::abs(w));
    for (std::size_t i = 0; i < want.size(); ++i) err = std::max(err, std::abs(asLC(got[i]) - want[i]));
    return double(err / scale);
}

// One exported function: its element types, entry point and tuning.
template <class X, class H, class Y, int (*F)(const X*, int, const H*, int, Y*), const c1::Model* M>
struct Conv {
    using XT = X;
    using HT = H;
    using YT = Y;
    static int call(const X* x, int xl, const H* h, int hl, Y* y) { return F(x, xl, h, hl, y); }
    static const c1::Model& model() { return *M; }
    static double tolerance() { return sizeof(Real<Y>) == 4 ? 2e-6 : 1e-14; }
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

// Every method and block size, called directly, gives the definition.
TYPED_TEST(Convolution, EveryMethodMatchesTheDefinition) {
    using C = TypeParam;
    const std::vector<c1::Choice> choices = {{c1::kDirect, 1}, {c1::kSingle, 1}, {c1::kSectioned, 1},
                                             {c1::kSectioned, 2}, {c1::kSectioned, 3}};
    for (auto [longLen, shortLen] : std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {7, 7}, {64, 1}, {65, 64},
                                                                     {200, 17}, {1000, 3}, {513, 100}}) {
        const auto lng = randomVector<typename C::XT>(longLen, unsigned(longLen));
        const auto sht = randomVector<typename C::HT>(shortLen, unsigned(shortLen + 7));
        const auto want = reference(lng, sht);
        for (const c1::Choice choice : choices) {
            SCOPED_TRACE(testing::Message() << longLen << "x" << shortLen << " method " << choice.method << " mode "
                                            << choice.mode);
            std::vector<typename C::YT> y(want.size());
            ASSERT_TRUE(c1::runMethod(C::model(), choice, lng.data(), longLen, sht.data(), shortLen, y.data()));
            EXPECT_LT(relativeError(y, want), choice.method == c1::kDirect ? C::tolerance() / 4 : 8 * C::tolerance());
        }
    }
}

// The exported function, either operand the longer, near and across the
// lengths at which the choice of method changes.
TYPED_TEST(Convolution, ExportedFunctionMatchesTheDefinitionAcrossTheSwitches) {
    using C = TypeParam;
    const c1::Model& m = C::model();
    const int inRange = m.thrFirst + 3;
    // Thresholds past any practical length mean "always direct": test below them.
    const int thr = std::min(m.thr[inRange - m.thrFirst], 20000);
    std::vector<std::pair<int, int>> lengths = {{1, 1}, {9, 9}, {m.directAlways, 4000}, {4000, m.directAlways + 1},
                                                {thr - 1, inRange}, {inRange, thr}, {m.thrLast + 1, 40 * (m.thrLast + 1)},
                                                {300, 300}, {5, 3}, {3, 8}, {16, 15}, {300, 20}, {700, 7}, {70, 800},
                                                {900, 150}};
    for (auto [xLen, hLen] : lengths) {
        SCOPED_TRACE(testing::Message() << xLen << " " << hLen);
        const auto x = randomVector<typename C::XT>(xLen, unsigned(xLen * 3 + 1));
        const auto h = randomVector<typename C::HT>(hLen, unsigned(hLen * 5 + 2));
        const auto want = reference(x, h);
        std::vector<typename C::YT> y(want.size());
        ReportRecorder recorder;
        EXPECT_EQ(C::call(x.data(), xLen, h.data(), hLen, y.data()), 0);
        EXPECT_REPORTS(recorder);
        EXPECT_LT(relativeError(y, want), 8 * C::tolerance());
    }
}

TYPED_TEST(Convolution, ChoiceFollowsTheDirectBoundAndTheThresholdRows) {
    using C = TypeParam;
    const c1::Model& m = C::model();
    EXPECT_EQ(c1::choose(m, 1 << 24, m.directAlways).method, c1::kDirect);
    for (int s = m.thrFirst; s <= m.thrLast; s += 7) {
        const int thr = m.thr[s - m.thrFirst];
        EXPECT_EQ(c1::choose(m, thr - 1, s).method, c1::kDirect) << s;
        EXPECT_NE(c1::choose(m, std::max(thr, 40 * s), s).method, c1::kDirect) << s;
    }
    EXPECT_NE(c1::choose(m, m.thrLast + 1, m.thrLast + 1).method, c1::kDirect);
    // A longer operand is never shorter than the shorter one: smaller entries would be dead.
    for (int s = m.thrFirst; s <= m.thrLast; ++s) EXPECT_GE(m.thr[s - m.thrFirst], s) << s;
}

TYPED_TEST(Convolution, FailedChecksAllReportThenNothingIsWritten) {
    using C = TypeParam;
    Sentinel out(64);
    ReportRecorder recorder;
    EXPECT_EQ(C::call(nullptr, 0, nullptr, -1, nullptr), VOK_StatusBadArg);
    const std::string direct = C::model().methods[c1::kDirect], module = C::model().module;
    const std::string name = direct.substr(0, direct.size() - 1);
    EXPECT_REPORTS(recorder, {VOK_StatusBadArg, name.c_str(), "x==0", module.c_str()},
                   {VOK_StatusBadArg, name.c_str(), "xLen<=0", module.c_str()},
                   {VOK_StatusBadArg, name.c_str(), "h==0", module.c_str()},
                   {VOK_StatusBadArg, name.c_str(), "hLen<=0", module.c_str()},
                   {VOK_StatusBadArg, name.c_str(), "y==0", module.c_str()});

    recorder.clear();
    const auto x = randomVector<typename C::XT>(4, 1);
    const auto h = randomVector<typename C::HT>(4, 2);
    EXPECT_EQ(C::call(x.data(), 4, h.data(), 0, out.as<typename C::YT>()), VOK_StatusBadArg);
    EXPECT_REPORTS(recorder, {VOK_StatusBadArg, name.c_str(), "hLen<=0", module.c_str()});
    EXPECT_TRUE(out.untouched());
    // A failure left behind by an earlier call does not stop the next one.
    recorder.clear();
    vokSetErrStatus(VOK_StatusBadArg);
    std::vector<typename C::YT> y(7);
    EXPECT_EQ(C::call(x.data(), 4, h.data(), 4, y.data()), 0);
    EXPECT_REPORTS(recorder);
    EXPECT_LT(relativeError(y, reference(x, h)), C::tolerance());
}

// A work array (allocations 1 and 2) or, on the first use of an order, a
// transform table (taken before the work arrays) that cannot be built: the
// method reports the first, the transform itself the second (two failures in
// a row, as the real transforms retry once), then the method and the exported
// function add their backtraces; y stays as it was. The next call works.
TYPED_TEST(Convolution, AllocationFailureInTheFastMethodsReportsUnderTheMethodName) {
    using C = TypeParam;
    using Y = typename C::YT;
    const c1::Model& m = C::model();
    const int longLen = 6000, shortLen = m.thrLast + 20;
    const auto x = randomVector<typename C::XT>(longLen, 3);
    const auto h = randomVector<typename C::HT>(shortLen, 4);
    const c1::Choice choice = c1::choose(m, longLen, shortLen);
    ASSERT_NE(choice.method, c1::kDirect);
    const std::string method = m.methods[choice.method];
    const std::string exported = method.substr(0, method.size() - 1);
    const bool single = sizeof(Real<Y>) == 4;
    const Expected table{VOK_StatusNoMemory, isCx<Y> ? (single ? "vokcFft" : "vokzFft") : (single ? "voksRealFftl" : "vokdRealFftl"),
                         "No working Twd memory", single ? "vokffts" : "vokfftd"};
    for (auto [firstCall, failing, run] : std::vector<std::array<int, 3>>{{0, 1, 1}, {0, 2, 1}, {1, 1, 2}}) {
        SCOPED_TRACE(testing::Message() << firstCall << " " << failing);
        if (firstCall) {
            vok::releaseInternalFftTables(single ? vok::kSingle : vok::kDouble);
            vok::releaseSwapTables();
        }
        Sentinel out(sizeof(Y) * (longLen + shortLen - 1));
        ReportRecorder recorder;
        vok::testing::failAllocationsAfter(failing, run);
        const int status = C::call(x.data(), longLen, h.data(), shortLen, out.as<Y>());
        vok::testing::failAllocationAfter(0);
        EXPECT_EQ(status, VOK_StatusNoMemory);
        const Expected first = firstCall ? table : Expected{VOK_StatusNoMemory, method.c_str(), "NULL Pointer", m.module};
        std::vector<Expected> want{first, {VOK_StatusBacktrace, exported.c_str(), "<null>", m.module}};
        if (firstCall) want.insert(want.begin() + 1, {VOK_StatusBacktrace, method.c_str(), "<null>", m.module});
        EXPECT_TRUE(sameReports(recorder.reports(), want));
        EXPECT_TRUE(out.untouched());
    }
    std::vector<Y> y(longLen + shortLen - 1);
    EXPECT_EQ(C::call(x.data(), longLen, h.data(), shortLen, y.data()), 0);
    EXPECT_LT(relativeError(y, reference(x, h)), 8 * C::tolerance());
}

// Mixed types with the first operand shorter go through the sibling.
TEST(MixedConvolution, ShorterFirstOperandIsHandedToTheSiblingAndBacktraced) {
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
    recorder.clear();
    EXPECT_EQ(vokdzConv(xd.data(), 9, hd.data(), 30, a.data()), 0);
    EXPECT_EQ(vokzdConv(hd.data(), 30, xd.data(), 9, b.data()), 0);
    EXPECT_REPORTS(recorder);
    for (int i = 0; i < 38; ++i) {
        EXPECT_EQ(a[i].re, b[i].re);
        EXPECT_EQ(a[i].im, b[i].im);
    }
}

// The candidate with the largest block when the long operand dwarfs the short one.
TEST(ConvolutionChoice, VeryLongOperandsWeighTheLargestBlock) {
    const c1::Choice wide = c1::choose(c1::kS, 1 << 20, 200);
    EXPECT_EQ(wide.method, c1::kSectioned);
    EXPECT_GE(wide.mode, 2);
    EXPECT_EQ(c1::choose(c1::kD, 1 << 22, 1 << 22).method, c1::kSingle);
}

// ---- 16-bit: exact sums under every scale mode, also through the fast methods ----

TEST(ShortConvolution, ExactSumsUnderEveryScaleMode) {
    struct Row {
        std::vector<short> x, h;
        int mode, sf, wantSf, divisor, tolerance;  // long operands go through float sums
    };
    std::vector<short> lx(3000), lh(150);
    for (int i = 0; i < 3000; ++i) lx[i] = short((i * 37) % 201 - 100);
    for (int i = 0; i < 150; ++i) lh[i] = short((i * 11) % 21 - 10);
    const std::vector<short> x = {1000, -2000, 3000, 32767, -32768, 7}, h = {3, -1, 2};
    // Largest |y| = 32767·3 + ..., below 2^17: the automatic scale factor is 2.
    for (const Row& r : {Row{x, h, VOK_SATURATE, 0, 0, 1, 0}, Row{x, h, VOK_FIXED_SCALE, 2, 2, 4, 0},
                         Row{x, h, VOK_AUTO_SCALE, 0, 2, 4, 0}, Row{lx, lh, VOK_FIXED_SCALE, 0, 0, 1, 1}}) {
        const auto want = reference(std::vector<double>(r.x.begin(), r.x.end()), std::vector<double>(r.h.begin(), r.h.end()));
        std::vector<short> y(want.size());
        ReportRecorder recorder;
        int sf = r.sf;
        vokwConv(r.x.data(), int(r.x.size()), r.h.data(), int(r.h.size()), y.data(), r.mode, &sf);
        EXPECT_REPORTS(recorder);
        EXPECT_EQ(sf, r.wantSf);
        for (std::size_t i = 0; i < y.size(); ++i)
            ASSERT_LE(std::abs(y[i] - std::clamp<long double>(std::trunc(want[i].real() / r.divisor), -32768, 32767)),
                      r.tolerance) << i;
    }
}

// The allocation failures of the 16-bit form are swept in the robustness tests.
TEST(ShortConvolution, FailuresReportInOrderAndWriteNothing) {
    Sentinel out(16);
    ReportRecorder recorder;
    vokwConv(nullptr, 0, nullptr, 0, out.as<short>(), VOK_SATURATE, nullptr);
    std::vector<Expected> want;
    for (const char* c : {"x==0", "xLen<=0", "h==0", "hLen<=0"}) want.push_back({VOK_StatusBadArg, "vokwConv", c, "vokconvw"});
    EXPECT_TRUE(sameReports(recorder.reports(), want));
    EXPECT_TRUE(out.untouched());
    recorder.clear();
    vokwConv(nullptr, 0, nullptr, 0, nullptr, VOK_SATURATE, nullptr);
    EXPECT_EQ(recorder.reports().back().context, "y==0");
    recorder.clear();
    vokSetErrStatus(VOK_StatusBadArg);  // a failure left behind does not stop the next call
    const short a[2] = {3, -2}, b[2] = {5, 7};
    short y[3] = {};
    int sf = 0;
    vokwConv(a, 2, b, 2, y, VOK_FIXED_SCALE, &sf);
    EXPECT_REPORTS(recorder);
    EXPECT_EQ(std::vector<short>(y, y + 3), (std::vector<short>{15, 11, -14}));
}

}  // namespace
