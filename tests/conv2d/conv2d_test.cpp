// Two-dimensional convolution and filtering against long-double sums written
// from the definitions, on every method's side of the choices, with the 16-bit
// scale modes and the failure reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "convolution/filter2d.h"
#include "frame/test_seams.h"
#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;

template <class T>
std::vector<T> randomMatrix(long long n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1, 1);
    std::vector<T> v(n);
    for (auto& x : v) x = T(dist(gen));
    return v;
}

struct Shape {
    int xRows, xCols, hRows, hCols;
};

template <class T>
std::vector<long double> reference(const std::vector<T>& x, const std::vector<T>& h, Shape s) {
    const int yr = s.xRows + s.hRows - 1, yc = s.xCols + s.hCols - 1;
    std::vector<long double> y(std::size_t(yr) * yc);
    for (int i = 0; i < s.xRows; ++i)
        for (int j = 0; j < s.xCols; ++j)
            for (int u = 0; u < s.hRows; ++u)
                for (int v = 0; v < s.hCols; ++v)
                    y[std::size_t(i + u) * yc + j + v] +=
                        (long double)x[std::size_t(i) * s.xCols + j] * h[std::size_t(u) * s.hCols + v];
    return y;
}

template <class T>
double relativeError(const std::vector<T>& got, const std::vector<long double>& want) {
    long double scale = 1e-30L, err = 0;
    for (long double w : want) scale = std::max(scale, std::fabs(w));
    for (std::size_t i = 0; i < want.size(); ++i) err = std::max(err, std::fabs(got[i] - want[i]));
    return double(err / scale);
}

template <class T>
struct Conv2DOf;
#define VOK_TEST_CONV2D(t, T, tolerance)                                  \
    template <> struct Conv2DOf<T> {                                      \
        static constexpr auto conv = vok##t##Conv2D;                      \
        static constexpr auto filter = vok##t##Filter2D;                  \
        static constexpr const char* convName = "vok" #t "Conv2D";        \
        static constexpr const char* filterName = "vok" #t "Filter2D";    \
        static constexpr double tol = tolerance;                          \
    };
VOK_TEST_CONV2D(s, float, 3e-6)
VOK_TEST_CONV2D(d, double, 1e-14)
#undef VOK_TEST_CONV2D

template <class T>
class Conv2D : public ::testing::Test {};
using Reals = ::testing::Types<float, double>;
TYPED_TEST_SUITE(Conv2D, Reals);

// direct (small), one-dimensional (rows, columns), sectioned
// with x the larger or the smaller operand or one dimension taken whole, and
// the whole-matrix transform (64x3 * 3x64, 20x20 * 15x15, equal shapes).
const std::vector<Shape> kShapes = {{1, 1, 1, 1},    {3, 4, 2, 2},   {16, 16, 16, 16}, {5, 40, 7, 3},
                                    {1, 40, 1, 9},   {30, 1, 12, 1}, {1, 3000, 1, 150}, {20, 20, 9, 9},
                                    {9, 9, 40, 33},  {100, 80, 9, 9}, {9, 8, 70, 90},   {200, 10, 9, 9},
                                    {12, 150, 8, 8}, {17, 17, 1, 8},  {64, 3, 3, 64}, {20, 20, 15, 15}, {33, 17, 33, 17},
                                    {40, 30, 10, 12}, {12, 60, 12, 9}, {20, 17, 20, 17}};

TYPED_TEST(Conv2D, EveryMethodMatchesTheDefinition) {
    using T = TypeParam;
    for (const Shape s : kShapes) {
        SCOPED_TRACE(testing::Message() << s.xRows << "x" << s.xCols << " * " << s.hRows << "x" << s.hCols);
        const auto x = randomMatrix<T>((long long)s.xRows * s.xCols, unsigned(s.xRows * 31 + s.xCols));
        const auto h = randomMatrix<T>((long long)s.hRows * s.hCols, unsigned(s.hRows * 17 + s.hCols));
        const auto want = reference(x, h, s);
        std::vector<T> y(want.size());
        ReportRecorder recorder;
        Conv2DOf<T>::conv(x.data(), s.xCols, s.xRows, h.data(), s.hCols, s.hRows, y.data());
        EXPECT_REPORTS(recorder);
        EXPECT_LT(relativeError(y, want), 8 * Conv2DOf<T>::tol);
    }
}

// Direct sums take no work arrays; every other method does, and a refused
// one is reported with nothing written.
TYPED_TEST(Conv2D, FastMethodsReportAllocationFailure) {
    using T = TypeParam;
    for (const Shape s : {Shape{16, 16, 16, 16}, Shape{3, 4, 2, 2}, Shape{20, 20, 9, 9}, Shape{20, 20, 15, 15}, Shape{100, 80, 9, 9},
                          Shape{9, 8, 70, 90}}) {
        const bool direct = s.xRows <= 16 && s.hCols <= 16 && s.xCols <= 16;
        const auto x = randomMatrix<T>((long long)s.xRows * s.xCols, 1);
        const auto h = randomMatrix<T>((long long)s.hRows * s.hCols, 2);
        const std::size_t n = std::size_t(s.xRows + s.hRows - 1) * (s.xCols + s.hCols - 1);
        for (int failing = 1; failing <= 3; ++failing) {
            Sentinel out(n * sizeof(T));
            ReportRecorder recorder;
            vok::testing::failAllocationAfter(failing);
            Conv2DOf<T>::conv(x.data(), s.xCols, s.xRows, h.data(), s.hCols, s.hRows, out.as<T>());
            vok::testing::failAllocationAfter(0);
            if (direct) {
                EXPECT_REPORTS(recorder);
                break;
            }
            EXPECT_REPORTS(recorder,
                           {VOK_StatusNoMemory, Conv2DOf<T>::convName, "\nMemory allocation problem\n", "vokcnv2d"});
            EXPECT_TRUE(out.untouched());
        }
    }
}

TEST(Conv2DRows, SingleRowsGoThroughTheOneDimensionalConvolution) {
    const auto x = randomMatrix<float>(3000, 3), h = randomMatrix<float>(150, 4);
    Sentinel out(3149 * sizeof(float));
    ReportRecorder recorder;
    vok::testing::failAllocationAfter(1);
    voksConv2D(x.data(), 3000, 1, h.data(), 150, 1, out.as<float>());
    vok::testing::failAllocationAfter(0);
    ASSERT_EQ(recorder.reports().size(), 3u);
    EXPECT_EQ(recorder.reports()[0].status, VOK_StatusNoMemory);
    EXPECT_EQ(recorder.reports()[0].module, "vokconvs");
    EXPECT_EQ(recorder.reports()[1].function, "voksConv");
    EXPECT_EQ(recorder.reports()[2].function, "voksConv2D");
    EXPECT_EQ(recorder.reports()[2].status, VOK_StatusBacktrace);
    EXPECT_TRUE(out.untouched());
}

// ---- filtering ----

template <class T>
std::vector<long double> filterReference(const std::vector<T>& src, int rows, int cols, const std::vector<T>& taps,
                                         int tapRows, int tapCols) {
    const auto full = reference(src, taps, {rows, cols, tapRows, tapCols});
    const int r0 = tapRows / 2, c0 = tapCols / 2, fullCols = cols + tapCols - 1;
    std::vector<long double> dst(std::size_t(rows) * cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) dst[std::size_t(r) * cols + c] = full[std::size_t(r + r0) * fullCols + c + c0];
    return dst;
}

TYPED_TEST(Conv2D, FilterMatchesTheDefinitionOnBothSidesOfTheCostSwitch) {
    using T = TypeParam;
    for (const Shape s : {Shape{5, 6, 1, 1}, Shape{8, 7, 3, 3}, Shape{10, 12, 4, 2}, Shape{3, 2, 5, 4},
                          Shape{64, 64, 15, 15}, Shape{50, 70, 20, 9}, Shape{40, 33, 31, 31}, Shape{40, 30, 7, 8},
                          Shape{40, 40, 15, 15}}) {
        SCOPED_TRACE(testing::Message() << s.xRows << "x" << s.xCols << " taps " << s.hRows << "x" << s.hCols);
        const auto src = randomMatrix<T>((long long)s.xRows * s.xCols, unsigned(s.xCols + 5));
        auto taps = randomMatrix<T>((long long)s.hRows * s.hCols, unsigned(s.hCols + 9));
        const auto original = taps;
        const auto want = filterReference(src, s.xRows, s.xCols, taps, s.hRows, s.hCols);
        std::vector<T> dst(want.size());
        ReportRecorder recorder;
        Conv2DOf<T>::filter(src.data(), s.xCols, s.xRows, taps.data(), s.hCols, s.hRows, dst.data());
        EXPECT_REPORTS(recorder);
        EXPECT_LT(relativeError(dst, want), 8 * Conv2DOf<T>::tol);
        EXPECT_EQ(taps, original);
        // Without work arrays the direct sums give the same image.
        std::vector<T> fallback(want.size());
        vok::testing::failAllocationAfter(1);
        Conv2DOf<T>::filter(src.data(), s.xCols, s.xRows, taps.data(), s.hCols, s.hRows, fallback.data());
        vok::testing::failAllocationAfter(0);
        EXPECT_REPORTS(recorder);
        EXPECT_LT(relativeError(fallback, want), Conv2DOf<T>::tol);
    }
    EXPECT_TRUE(vok::filter2d::transformCheaper(64, 64, 15, 15));
    EXPECT_TRUE(vok::filter2d::transformCheaper(70, 50, 9, 20));
    EXPECT_FALSE(vok::filter2d::transformCheaper(7, 8, 3, 3));
}

TYPED_TEST(Conv2D, FilterWithOneTapScalesAndEvenKernelsAlignHalfATapLate) {
    using T = TypeParam;
    const std::vector<T> src = {1, 2, 3, 4, 5, 6};  // 2 rows of 3
    const T gain = T(-2.5);
    std::vector<T> dst(6);
    Conv2DOf<T>::filter(src.data(), 3, 2, &gain, 1, 1, dst.data());
    for (int i = 0; i < 6; ++i) EXPECT_EQ(dst[i], gain * src[i]);
    // A 2 × 2 kernel with a single one at (1, 1) reproduces the image.
    const T unit[4] = {0, 0, 0, 1};
    Conv2DOf<T>::filter(src.data(), 3, 2, unit, 2, 2, dst.data());
    for (int i = 0; i < 6; ++i) EXPECT_EQ(dst[i], src[i]);
}

TYPED_TEST(Conv2D, ChecksStopAtTheFirstFailure) {
    using T = TypeParam;
    using F = Conv2DOf<T>;
    const int bad = VOK_StatusBadArg;
    const char *conv = F::convName, *filter = F::filterName, *mc = "vokcnv2d", *mf = "vokfir2";
    const char *null = "\nNull pointer to data buffer\n", *size = "\nBad value of data buffer size\n";
    const T a[4] = {1, 2, 3, 4};
    Sentinel out(64);
    T* y = out.as<T>();
    EXPECT_EACH_REPORTS(
        {[&] { F::conv(a, 2, 2, nullptr, 0, 0, y); }, {bad, conv, null, mc}},
        {[&] { F::conv(a, 0, 2, a, 2, 2, y); }, {bad, conv, size, mc}},
        {[&] { F::conv(a, 2, 2, a, 2, -1, y); }, {bad, conv, size, mc}},
        {[&] { F::conv(a, 2, 2, a, 2, 2, nullptr); }, {bad, conv, null, mc}},
        {[&] { F::filter(a, 2, 2, nullptr, 2, 2, y); }, {bad, filter, "Null SRC buffer pointer", mf}},
        {[&] { F::filter(a, 2, 2, a, 2, 2, nullptr); }, {bad, filter, "Null DST buffer pointer", mf}},
        {[&] { F::filter(a, 0, 0, a, 2, 2, y); }, {bad, filter, "Invalid number of cols", mf}},
        {[&] { F::filter(a, 2, 0, a, 0, 2, y); }, {bad, filter, "Inlalid number of rows", mf}},
        {[&] { F::filter(a, 2, 2, a, 0, 0, y); }, {bad, filter, "Invalid number of cols", mf}},
        {[&] { F::filter(a, 2, 2, a, 2, 0, y); }, {bad, filter, "Inlalid number of rows", mf}});
    EXPECT_TRUE(out.untouched());
}

// ---- 16 bits ----

TEST(ShortConv2D, SmallOperandsSumExactlyUnderTheScaleModes) {
    const std::vector<short> x = {30000, -30000, 12345, 7, -8, 9};  // 2 × 3
    const std::vector<short> h = {3, -2, 1, 4};                       // 2 × 2
    const auto want = reference(x, h, {2, 3, 2, 2});
    std::vector<short> y(want.size());
    ReportRecorder recorder;
    int sf = 0;
    vokwConv2D(x.data(), 3, 2, h.data(), 2, 2, y.data(), VOK_SATURATE, &sf);
    for (std::size_t i = 0; i < y.size(); ++i) EXPECT_EQ(y[i], (short)std::clamp<long double>(want[i], -32768, 32767));
    sf = 0;
    vokwConv2D(x.data(), 3, 2, h.data(), 2, 2, y.data(), VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(sf, 3);  // largest |y| = 150000 needs 2^3
    for (std::size_t i = 0; i < y.size(); ++i) EXPECT_EQ(y[i], (short)std::floor(want[i] / 8)) << i;
    EXPECT_REPORTS(recorder);
}

// Float sums are truncated toward zero, so a result a rounding below an
// integer may land one step low.
TEST(ShortConv2D, LargeOperandsThroughFloatStayWithinOneStep) {
    std::vector<short> x(40 * 30), h(9 * 10);
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = short(int(i * 37 % 61) - 30);
    for (std::size_t i = 0; i < h.size(); ++i) h[i] = short(int(i * 11 % 9) - 4);
    const auto want = reference(x, h, {40, 30, 9, 10});
    std::vector<short> y(want.size());
    int sf = 0;
    vokwConv2D(x.data(), 30, 40, h.data(), 10, 9, y.data(), VOK_FIXED_SCALE, &sf);
    int off = 0;
    for (std::size_t i = 0; i < y.size(); ++i) off += std::fabs(y[i] - want[i]) > 1.0L;
    EXPECT_EQ(off, 0);

    ReportRecorder recorder;
    Sentinel out(y.size() * 2);
    for (int failing = 1; failing <= 3; ++failing) {
        vok::testing::failAllocationAfter(failing);
        vokwConv2D(x.data(), 30, 40, h.data(), 10, 9, out.as<short>(), VOK_FIXED_SCALE, &sf);
        vok::testing::failAllocationAfter(0);
    }
    EXPECT_REPORTS(recorder, {VOK_StatusNoMemory, "vokwConv2D", "\nMemory allocation problem\n", "vokcnv2d"},
                   {VOK_StatusNoMemory, "vokwConv2D", "\nMemory allocation problem\n", "vokcnv2d"},
                   {VOK_StatusNoMemory, "vokwConv2D", "\nMemory allocation problem\n", "vokcnv2d"});
    recorder.clear();
    vok::testing::failAllocationAfter(4);
    vokwConv2D(x.data(), 30, 40, h.data(), 10, 9, out.as<short>(), VOK_FIXED_SCALE, &sf);
    vok::testing::failAllocationAfter(0);
    EXPECT_REPORTS(recorder, {VOK_StatusNoMemory, "voksConv2D", "\nMemory allocation problem\n", "vokcnv2d"},
                   {VOK_StatusBacktrace, "vokwConv2D", "<null>", "vokcnv2d"});
    EXPECT_TRUE(out.untouched());
}

// Fixed-point taps (15 fractional bits here) and truncation keep the result
// within two steps of the exact filter.
TEST(ShortFilter2D, FollowsTheExactFilterWithinTwoSteps) {
    const int rows = 20, cols = 25, tapRows = 3, tapCols = 4;
    std::vector<short> src(rows * cols);
    for (std::size_t i = 0; i < src.size(); ++i) src[i] = short(int(i * 2654435761u % 20001) - 10000);
    const auto taps = randomMatrix<float>(tapRows * tapCols, 5);
    std::vector<float> srcF(src.begin(), src.end());
    std::vector<long double> want = filterReference(srcF, rows, cols, taps, tapRows, tapCols);
    for (int mode : {VOK_SATURATE, VOK_FIXED_SCALE}) {
        int sf = mode == VOK_FIXED_SCALE ? 1 : 0;
        std::vector<short> dst(src.size());
        ReportRecorder recorder;
        vokwFilter2D(src.data(), cols, rows, taps.data(), tapCols, tapRows, dst.data(), mode, &sf);
        EXPECT_REPORTS(recorder);
        for (std::size_t i = 0; i < dst.size(); ++i) {
            const long double v = std::clamp<long double>(want[i] / (1 << sf), -32768, 32767);
            EXPECT_LE(std::fabs(dst[i] - v), 2.0L) << i;
        }
    }
}

// Its allocation failures are swept in the robustness tests.
TEST(ShortFilter2D, FailuresReportInOrderAndWriteNothing) {
    const int bad = VOK_StatusBadArg;
    const short a[4] = {1, 2, 3, 4};
    const float t[4] = {1, 2, 3, 4};
    int sf = 0;
    Sentinel out(16);
    short* y = out.as<short>();
    EXPECT_EACH_REPORTS(
        {[&] { vokwFilter2D(nullptr, 2, 2, t, 2, 2, y, VOK_SATURATE, &sf); },
         {bad, "vokwFilter2D", "Null SRC buffer pointer", "vokfir2w"}},
        {[&] { vokwFilter2D(a, 2, 2, t, 2, -3, y, VOK_SATURATE, &sf); },
         {bad, "vokwFilter2D", "Inlalid number of rows", "vokfir2w"}},
        {[&] { vokwFilter2D(a, 2, 2, t, 2, 2, y, VOK_SATURATE, nullptr); },
         {bad, "vokwFilter2D", "Null scale factor pointer", "vokfir2w"}});
    EXPECT_TRUE(out.untouched());
}

}  // namespace
