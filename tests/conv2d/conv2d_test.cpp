// Two-dimensional convolution and filtering against long-double sums on every method's side of the choices,
// 16-bit scale modes, allocation failures; up- and down-sampling of every type; every call's checks in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "convolution/filter2d.h"
#include "voktest/sweep.h"
#include "voktest/values.h"
#include "voktest/vector_calls.h"
#include "vok.h"

namespace {

using namespace voktest;
const char* const kNoMemory = "\nMemory allocation problem\n";

struct Shape { int xRows, xCols, hRows, hCols; };

// The full convolution; centred, the part where a tap's (rows/2, cols/2) element lands on the source element.
template <class T>
std::vector<long double> reference(const std::vector<T>& x, const std::vector<T>& h, Shape s, bool centred = false) {
    const int yr = centred ? s.xRows : s.xRows + s.hRows - 1, yc = centred ? s.xCols : s.xCols + s.hCols - 1;
    const int r0 = centred ? s.hRows / 2 : 0, c0 = centred ? s.hCols / 2 : 0;
    std::vector<long double> y(std::size_t(yr) * yc);
    for (int i = 0; i < s.xRows; ++i)
        for (int j = 0; j < s.xCols; ++j)
            for (int t = 0; t < s.hRows * s.hCols; ++t)  // tap (t / hCols, t % hCols)
                if (const int r = i + t / s.hCols - r0, c = j + t % s.hCols - c0; r >= 0 && r < yr && c >= 0 && c < yc)
                    y[std::size_t(r) * yc + c] += (long double)x[i * s.xCols + j] * h[t];
    return y;
}

// One interface per element type; single rows go through the named one-dimensional convolution.
template <class T> struct Conv2DOf;
#define CONV2D_OF(T, t, tolerance)                                                                            \
    template <> struct Conv2DOf<T> {                                                                          \
        static constexpr auto conv = vok##t##Conv2D, filter = vok##t##Filter2D;                               \
        static constexpr const char *convName = "vok" #t "Conv2D", *rowName = "vok" #t "Conv";                \
        static constexpr const char *rowAlloc = "vok" #t "Convm", *rowModule = "vokconv" #t;                  \
        static constexpr double tol = tolerance;                                                              \
    };
CONV2D_OF(float, s, 3e-6)
CONV2D_OF(double, d, 1e-14)

template <class T> class Conv2D : public ::testing::Test {};
using Reals = ::testing::Types<float, double>;
TYPED_TEST_SUITE(Conv2D, Reals);

// Convolution: direct (small), one-dimensional (rows, columns, a long row), sectioned (x the larger or smaller
// operand, or one dimension whole), the whole-matrix transform (64x3 * 3x64, 20x20 * 15x15, equal shapes), h twice
// as tall or x twice as wide at the whole-matrix edges (sectioned, as the swapped call is, to the bit). Direct sums
// take no work arrays; the others refuse each of their three and write nothing. Filtering (the last rows): both
// sides of the cost switch; without work arrays the direct sums give the same image. The taps are left alone.
// One tap scales; an even kernel aligns half a tap late.
TYPED_TEST(Conv2D, EveryMethodMatchesTheDefinitionAndReportsAllocationFailure) {
    using T = TypeParam;
    using F = Conv2DOf<T>;
    const std::vector<Shape> shapes = {
        {1, 1, 1, 1}, {3, 4, 2, 2}, {16, 16, 16, 16}, {5, 40, 7, 3}, {1, 40, 1, 9}, {30, 1, 12, 1}, {1, 3000, 1, 150},
        {20, 20, 9, 9}, {9, 9, 40, 33}, {100, 80, 9, 9}, {9, 8, 70, 90}, {200, 10, 9, 9}, {12, 150, 8, 8},
        {17, 17, 1, 8}, {64, 3, 3, 64}, {20, 20, 15, 15}, {33, 17, 33, 17}, {40, 30, 10, 12}, {12, 60, 12, 9},
        {20, 17, 20, 17}, {10, 20, 20, 24}, {12, 20, 9, 10},
        {5, 6, 1, 1}, {8, 7, 3, 3}, {10, 12, 4, 2}, {3, 2, 5, 4}, {64, 64, 15, 15}, {50, 70, 20, 9}, {40, 33, 31, 31},
        {40, 30, 7, 8}, {40, 40, 15, 15}};
    for (std::size_t row = 0; row < shapes.size(); ++row) {
        const Shape s = shapes[row];
        const bool filtering = row + 9 >= shapes.size();  // the last nine rows
        SCOPED_TRACE(testing::Message() << s.xRows << "x" << s.xCols << " * " << s.hRows << "x" << s.hCols);
        const auto x = randomVector<T>(s.xRows * s.xCols, unsigned(s.xRows * 31 + s.xCols));
        const auto h = randomVector<T>(s.hRows * s.hCols, unsigned(s.hRows * 17 + s.hCols));
        const auto want = reference(x, h, s, filtering);
        std::vector<T> y(want.size()), other(want.size());
        const auto call = [&](T* dst) {
            (filtering ? F::filter : F::conv)(x.data(), s.xCols, s.xRows, h.data(), s.hCols, s.hRows, dst);
        };
        ReportRecorder recorder;
        call(y.data());
        EXPECT_LT(maxRelativeError(y, want), 8 * F::tol);
        EXPECT_EQ(h, randomVector<T>(s.hRows * s.hCols, unsigned(s.hRows * 17 + s.hCols)));
        if (filtering) {
            robust::starve(1, [&] { call(other.data()); });
            EXPECT_REPORTS(recorder);
            EXPECT_LT(maxRelativeError(other, want), F::tol);
            continue;
        }
        EXPECT_REPORTS(recorder);
        if (2 * s.xRows == s.hRows || s.xCols == 2 * s.hCols) {  // both orders section the same pair of operands
            F::conv(h.data(), s.hCols, s.hRows, x.data(), s.xCols, s.xRows, other.data());
            EXPECT_TRUE(sameBits(y, other));
        }
        const bool direct = (std::max(s.xRows, s.hRows) <= 16 && std::max(s.xCols, s.hCols) <= 16) ||
                            (s.hRows < 8 && s.hCols < 8);
        const bool longRow = s.xCols == 3000, oneDimensional = longRow || s.xRows == 1 || s.xCols == 1;
        for (int failing = 1; failing <= (longRow ? 1 : oneDimensional ? 0 : 3); ++failing) {
            Sentinel out(want.size() * sizeof(T));
            recorder.clear();
            robust::starve(failing, [&] { call(out.as<T>()); });
            if (longRow)
                EXPECT_REPORTS(recorder, {VOK_StatusNoMemory, F::rowAlloc, "NULL Pointer", F::rowModule},
                               {VOK_StatusBacktrace, F::rowName, "<null>", F::rowModule},
                               {VOK_StatusBacktrace, F::convName, "<null>", "vokcnv2d"});
            else if (direct) EXPECT_REPORTS(recorder);
            else EXPECT_REPORTS(recorder, {VOK_StatusNoMemory, F::convName, kNoMemory, "vokcnv2d"});
            EXPECT_EQ(out.untouched(), !direct);
        }
    }
    EXPECT_TRUE(vok::filter2d::transformCheaper(64, 64, 15, 15));
    EXPECT_TRUE(vok::filter2d::transformCheaper(70, 50, 9, 20));
    EXPECT_FALSE(vok::filter2d::transformCheaper(7, 8, 3, 3));
    const std::vector<T> src = {1, 2, 3, 4, 5, 6};  // 2 rows of 3
    const T gain = T(-2.5), unit[4] = {0, 0, 0, 1};
    std::vector<T> dst(6), same(6);
    F::filter(src.data(), 3, 2, &gain, 1, 1, dst.data());
    F::filter(src.data(), 3, 2, unit, 2, 2, same.data());
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(dst[i] == gain * src[i] && same[i] == src[i]) << i;
}

template <class T> using Sampler = void (*)(const T*, int, T*, int*, int, int*);

template <class T> T element(int k) {  // never zero, so an inserted zero shows
    if constexpr (requires { T{}.re; }) return T{decltype(T{}.re)(k + 1), decltype(T{}.re)(-k - 1)};
    else return T(k + 1);
}

template <class T>
void checkSampling(Sampler<T> up, Sampler<T> down) {
    const int n = 7, total = 500;
    std::vector<T> src(total);
    for (int k = 0; k < total; ++k) src[k] = element<T>(k);
    const T zero{}, guard = element<T>(99);
    std::mt19937 rng(5);
    for (int factor = 1; factor <= 5; ++factor) {
        for (int phase = 0; phase < factor; ++phase) {
            SCOPED_TRACE(testing::Message() << "factor " << factor << " phase " << phase);
            const int m = n * factor;  // the up-sampled length
            std::vector<T> dst(m + 1, guard), inPlace(src.begin(), src.begin() + m);
            int len = -1, p = phase;
            up(src.data(), n, dst.data(), &len, factor, &p);
            EXPECT_TRUE(len == m && p == phase) << len << " " << p;
            for (int i = 0; i <= m; ++i)  // the source sample at the phase, zeros between, the guard after
                EXPECT_TRUE(sameBits(&dst[i], i == m ? &guard : i % factor == phase ? &src[i / factor] : &zero, 1))
                    << i;
            up(inPlace.data(), n, inPlace.data(), &len, factor, &p);
            EXPECT_TRUE(sameBits(inPlace.data(), dst.data(), m));
            // Samples phase, phase + factor, ...; the phase then points into the next block.
            std::vector<T> whole(total + 1, guard), pieces;
            int wholeLen = 0, wholePhase = phase, blockPhase = phase;
            down(src.data(), total, whole.data(), &wholeLen, factor, &wholePhase);
            EXPECT_EQ(wholeLen, (total - phase + factor - 1) / factor);
            EXPECT_EQ(wholePhase, ((phase - total) % factor + factor) % factor);
            for (int i = 0; i <= wholeLen; ++i)
                ASSERT_TRUE(sameBits(&whole[i], i == wholeLen ? &guard : &src[phase + i * factor], 1)) << i;
            for (int at = 0, blockLen = 0; at < total; at += blockLen) {
                blockLen = std::min(total - at, int(rng() % 11) + 1);
                std::vector<T> out(blockLen + 1);
                int got = -1;
                down(src.data() + at, blockLen, out.data(), &got, factor, &blockPhase);
                ASSERT_TRUE(got >= 0 && blockPhase < factor);
                pieces.insert(pieces.end(), out.begin(), out.begin() + got);
            }
            EXPECT_TRUE(sameBits(pieces, std::vector<T>(whole.begin(), whole.begin() + wholeLen)));
            EXPECT_EQ(blockPhase, wholePhase);
        }
    }
}

TEST(Resampling, PatternsPhasesAndBlocksForEveryType) {
    std::apply([](auto... kinds) { (checkSampling(kinds.first, kinds.second), ...); },
               std::tuple{std::pair{&voksUpSample, &voksDownSample}, std::pair{&vokcUpSample, &vokcDownSample},
                          std::pair{&vokdUpSample, &vokdDownSample}, std::pair{&vokzUpSample, &vokzDownSample},
                          std::pair{&vokwUpSample, &vokwDownSample}, std::pair{&vokvUpSample, &vokvDownSample}});
}

// Small operands sum exactly; large ones go through float sums truncated toward zero (one step low at most)
// and fail as the float form does, with a backtrace; filtering with 15-bit fixed-point taps: two steps.
TEST(ShortConv2D, ScaleModesExactSmallSumsLargeOnesThroughFloat) {
    const std::vector<short> x = {30000, -30000, 12345, 7, -8, 9}, h = {3, -2, 1, 4};  // 2 x 3, 2 x 2
    const auto want = reference(x, h, {2, 3, 2, 2});
    std::vector<short> y(want.size()), scaled(want.size());
    ReportRecorder recorder;
    int sf = 0, autoSf = 0;
    vokwConv2D(x.data(), 3, 2, h.data(), 2, 2, y.data(), VOK_SATURATE, &sf);
    vokwConv2D(x.data(), 3, 2, h.data(), 2, 2, scaled.data(), VOK_AUTO_SCALE, &autoSf);
    EXPECT_EQ(autoSf, 3);  // largest |y| = 150000 needs 2^3
    for (std::size_t i = 0; i < y.size(); ++i) EXPECT_EQ(y[i], std::clamp<long double>(want[i], -32768, 32767)) << i;
    for (std::size_t i = 0; i < y.size(); ++i) EXPECT_EQ(scaled[i], (short)std::floor(want[i] / 8)) << i;
    const auto bx = randomVector<short>(40 * 30, 1, 31), bh = randomVector<short>(9 * 10, 2, 5);
    const auto src = randomVector<short>(20 * 25, 3, 10001);
    const auto taps = randomVector<float>(12, 5);
    const auto exact = reference(std::vector<float>(src.begin(), src.end()), taps, {20, 25, 3, 4}, true);
    for (int mode : {VOK_SATURATE, VOK_FIXED_SCALE}) {
        sf = mode == VOK_FIXED_SCALE ? 1 : 0;
        std::vector<short> dst(src.size());
        vokwFilter2D(src.data(), 25, 20, taps.data(), 4, 3, dst.data(), mode, &sf);
        for (std::size_t i = 0; i < dst.size(); ++i)
            ASSERT_LE(std::fabs(dst[i] - std::clamp<long double>(exact[i] / (1 << sf), -32768, 32767)), 2.0L) << i;
    }
    const auto big = reference(bx, bh, {40, 30, 9, 10});
    y.resize(big.size());
    for (int scale : {0, 1}) {
        vokwConv2D(bx.data(), 30, 40, bh.data(), 10, 9, y.data(), VOK_FIXED_SCALE, &scale);
        for (std::size_t i = 0; i < y.size(); ++i) ASSERT_LE(std::fabs(y[i] - big[i] / (1 << scale)), 1.0L) << i;
    }
    EXPECT_REPORTS(recorder);
    Sentinel out(y.size() * 2);
    for (int failing = 1; failing <= 4; ++failing)
        robust::starve(failing,
                       [&] { vokwConv2D(bx.data(), 30, 40, bh.data(), 10, 9, out.as<short>(), VOK_FIXED_SCALE, &sf); });
    const Expected own{VOK_StatusNoMemory, "vokwConv2D", kNoMemory, "vokcnv2d"};
    EXPECT_REPORTS(recorder, own, own, own, {VOK_StatusNoMemory, "voksConv2D", kNoMemory, "vokcnv2d"},
                   {VOK_StatusBacktrace, "vokwConv2D", "<null>", "vokcnv2d"});
    EXPECT_TRUE(out.untouched());
}

// The checks of each call in their order (the 16-bit filter's allocation failures are swept in the robustness
// tests); the sampling phase is read once its pointer passed, and one not below the factor is a bad factor.
TEST(Conv2DChecks, ChecksInOrder) {
    const char *null = "\nNull pointer to data buffer\n", *size = "\nBad value of data buffer size\n";
    const char *cols = "Invalid number of cols", *rows = "Inlalid number of rows", *src = "Null SRC buffer pointer";
    const std::vector<BadArg> conv = {{0, null}, {3, null}, {6, null}, {2, size}, {1, size}, {5, size}, {4, size}};
    std::vector<BadArg> filter = {{0, src}, {3, src}, {6, "Null DST buffer pointer"}, {1, cols}, {2, rows},
                                  {4, cols}, {5, rows}};
    CheckTable c("vokcnv2d"), f("vokfir2"), fw("vokfir2w");
    VOK_CHECK_EACH(c, conv, voksConv2D, vokdConv2D, vokwConv2D);
    VOK_CHECK_EACH(f, filter, voksFilter2D, vokdFilter2D);
    filter.push_back({8, "Null scale factor pointer"});
    VOK_CHECK_TABLE(fw, vokwFilter2D, filter);
    using Args = std::tuple<const float*, int, float*, int*, int, int*>;
    using Entry = std::pair<const char*, Sampler<float>>;
    for (const auto& [name, fn] : {Entry{"voksUpSample", voksUpSample}, {"voksDownSample", voksDownSample}}) {
        CheckTable table("voksampl");
        int phase = 0, badPhase = -1, bigPhase = 3;
        float* buf = table.buffer<float>();
        const auto call = [&](int k, int* p) { return Args{buf, 4, buf, table.buffer<int>(), k, p}; };
        table(name, fn, {{1, "Invalid src array length", 0}, {0, "Null buffer pointer"}, {2, "Null buffer pointer"},
                         {3, "Null dstLen pointer"}, {5, "Null phase pointer"}, {4, "Invalid factor value", 0}},
              call(2, &phase));
        table(name, fn, {{4, "Invalid factor value", 0}, {"Invalid phase value", {}}}, call(2, &badPhase));
        table(name, fn, {{"Invalid factor value", {}}}, call(3, &bigPhase));
        EXPECT_TRUE(phase == 0 && badPhase == -1 && bigPhase == 3);
    }
}

}  // namespace
