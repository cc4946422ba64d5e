// Allocation failures in the transforms: the first call of an order (and
// VOK_Init), the real and 16-bit FFTs, the DFTs. Each thread cache is
// released before every call, so the call builds all of its tables again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "robustness/sweep.h"
#include "vok.h"

namespace {

using robust::Guarded;
using robust::Observed;
using robust::randomValues;
using robust::releaseThreadCaches;
using robust::Reports;
using robust::Subject;
using robust::sweepAllocations;

constexpr int kNoMem = VOK_StatusNoMemory;
constexpr int kBadArg = VOK_StatusBadArg;
constexpr int kTrace = VOK_StatusBacktrace;

// The largest |Δre| + |Δim| between got and want: the direct sum and the
// chirp route agree to rounding, not bit for bit.
template <class C>
double worstDifference(const C* got, const std::vector<C>& want) {
    double worst = 0;
    for (std::size_t i = 0; i < want.size(); ++i)
        worst = std::max(worst, double(std::abs(got[i].re - want[i].re) + std::abs(got[i].im - want[i].im)));
    return worst;
}

template <class C>
std::vector<double> flat(const C* v, int n) {
    std::vector<double> out;
    for (int i = 0; i < n; ++i) out.insert(out.end(), {double(v[i].re), double(v[i].im)});
    return out;
}

// The complex FFT builds its tables on the first call of an order or with
// VOK_Init; it does not retry, so every table allocation is a reported failure.
class FirstCallOfAnOrder : public testing::TestWithParam<int> {};

TEST_P(FirstCallOfAnOrder, VokInitReportsEveryTableFailureAndTheTransformWorksAfterwards) {
    const int order = GetParam(), n = 1 << order;
    const auto x = randomValues<FloatComplex>(n, 1.0, unsigned(order));
    releaseThreadCaches();
    auto want = x;
    vokcFft(want.data(), order, VOK_Forw);
    const auto wantFlat = flat(want.data(), n);
    Subject s{releaseThreadCaches, [&] { vokcFft(nullptr, order, VOK_Init); },
              [&] {
                  auto got = x;
                  vokcFft(got.data(), order, VOK_Forw);  // tables are in place (or rebuilt) now
                  return Observed{true, flat(got.data(), n) == wantFlat};
              }};
    const auto f = sweepAllocations(s, {{{kNoMem, "vokcFft", "No working Twd memory", "vokffts"}}});
    EXPECT_GE(f.allocations, 2);  // twiddles and swap table at least
    EXPECT_EQ(f.failed, f.allocations);
    robust::printFigures("vokcFft VOK_Init, order " + std::to_string(order), f);
}

TEST_P(FirstCallOfAnOrder, DoubleTransformLeavesTheDataOnFailure) {
    const int order = GetParam() + 1, n = 1 << order;
    const auto x = randomValues<DoubleComplex>(n, 1.0, unsigned(order));
    releaseThreadCaches();
    auto want = x;
    vokzFft(want.data(), order, VOK_Inv | VOK_OutBitRev);
    const auto wantFlat = flat(want.data(), n);
    Guarded<DoubleComplex> data;
    Subject s{[&] {
                  releaseThreadCaches();
                  data.fill(x);
              },
              [&] { vokzFft(data.get(), order, VOK_Inv | VOK_OutBitRev); },
              [&] { return Observed{data.untouched(), flat(data.get(), n) == wantFlat}; }};
    const auto f = sweepAllocations(s, {{{kNoMem, "vokzFft", "No working Twd memory", "vokfftd"}}});
    EXPECT_EQ(f.failed, f.allocations);
    robust::printFigures("vokzFft first call, order " + std::to_string(order), f);
}

// Orders on the radix-4 path, an odd order, and orders with blocked stages.
INSTANTIATE_TEST_SUITE_P(Orders, FirstCallOfAnOrder, testing::Values(2, 7, 12, 15));

// The real FFT retries once after releasing its tables: one failure is
// survived, two in a row are reported.
TEST(RealFftAllocations, OneFailureIsRetriedTwoAreReported) {
    for (int order : {2, 9, 14}) {
        SCOPED_TRACE(order);
        const int n = 1 << order;
        const auto x = randomValues<float>(n + 2, 1.0, unsigned(order));
        releaseThreadCaches();
        std::vector<float> want(n + 2);
        voksRealFftNip(x.data(), want.data(), order, VOK_Forw);
        Guarded<float> out;
        Subject s{[&] {
                      releaseThreadCaches();
                      out.fill(std::vector<float>(n + 2, -7.0f));
                  },
                  [&] { voksRealFftNip(x.data(), out.get(), order, VOK_Forw); },
                  [&] { return Observed{out.untouched(), out.data == want}; }};
        const auto once = sweepAllocations(s, {});
        EXPECT_EQ(once.failed, 0);
        EXPECT_EQ(once.survived, once.allocations);
        const auto twice = sweepAllocations(s, {{{kNoMem, "voksRealFftNip", "No working Twd memory", "vokffts"}}}, 2);
        EXPECT_GE(twice.failed, 1);
        robust::printFigures("voksRealFftNip order " + std::to_string(order), once);
        robust::printFigures("voksRealFftNip order " + std::to_string(order), twice, 2);
    }
}

// The 16-bit FFT: work slots are retried after releasing everything; a table
// failure of the float core is traced, and the data come back unchanged
// (saturating mode: the float copy converts back exactly).
TEST(IntFftAllocations, WorkMemoryIsRetriedAndCoreFailuresTraced) {
    for (int order : {3, 10}) {
        SCOPED_TRACE(order);
        const int n = 1 << order;
        const auto x = randomValues<ShortComplex>(n, 3000.0, unsigned(order));
        releaseThreadCaches();
        auto want = x;
        vokvFft(want.data(), order, VOK_Forw, VOK_SATURATE, nullptr);
        const auto wantFlat = flat(want.data(), n);
        Guarded<ShortComplex> data;
        Subject s{[&] {
                      releaseThreadCaches();
                      data.fill(x);
                  },
                  [&] { vokvFft(data.get(), order, VOK_Forw, VOK_SATURATE, nullptr); },
                  [&] { return Observed{data.untouched(), flat(data.get(), n) == wantFlat}; }};
        const Reports core{{kNoMem, "vokcFft", "No working Twd memory", "vokffts"},
                           {kTrace, "vokvFft", "out vokcFft calc. FFT", "vokfftw"}};
        const Reports work{{kNoMem, "vokvFft", "No working memory", "vokfftw"}};
        const auto once = sweepAllocations(s, {core});
        EXPECT_GE(once.survived, 1);  // the work slot
        EXPECT_GE(once.failed, 2);    // the core's twiddle and swap tables
        const auto twice = sweepAllocations(s, {core, work}, 2);
        EXPECT_GE(twice.failed, 2);
        robust::printFigures("vokvFft order " + std::to_string(order), once);
        robust::printFigures("vokvFft order " + std::to_string(order), twice, 2);
    }
}

TEST(IntFftAllocations, RealFormsTraceTheirFloatCore) {
    const int order = 8, n = 1 << order;
    const auto x = randomValues<short>(n, 3000.0, 5u);
    releaseThreadCaches();
    std::vector<short> want(n + 2);
    vokwRealFftNip(x.data(), want.data(), order, VOK_Forw, VOK_SATURATE, nullptr);
    Guarded<short> out;
    Subject s{[&] {
                  releaseThreadCaches();
                  out.fill(std::vector<short>(n + 2, 11));
              },
              [&] { vokwRealFftNip(x.data(), out.get(), order, VOK_Forw, VOK_SATURATE, nullptr); },
              [&] { return Observed{true, out.data == want}; }};
    const Reports work{{kNoMem, "vokwRealFftNip", "No working memory", "vokfftw"}};
    const Reports core{{kNoMem, "voksRealFft", "No working Twd memory", "vokffts"},
                       {kTrace, "vokwRealFftNip", "out voksRealFft calc. FFT", "vokfftw"}};
    const auto once = sweepAllocations(s, {});
    EXPECT_EQ(once.survived, once.allocations);
    const auto twice = sweepAllocations(s, {work, core}, 2);
    EXPECT_GE(twice.failed, 2);
    robust::printFigures("vokwRealFftNip", once);
    robust::printFigures("vokwRealFftNip", twice, 2);
}

// vokcDft: the table of the length, then work slot 1; neither is retried.
// Then the transform's plan (or a long prime length's chirp and its FFT
// tables): without them the direct sum answers, so those failures are survived.
TEST(DftAllocations, SingleReportsTheTableAndTheWorkBuffer) {
    for (int length : {7, 100, 1000}) {
        SCOPED_TRACE(length);
        const auto x = randomValues<FloatComplex>(length, 1.0, unsigned(length));
        releaseThreadCaches();
        std::vector<FloatComplex> want(length);
        vokcDft(x.data(), want.data(), length, VOK_Forw);
        Guarded<FloatComplex> out;
        Subject s{[&] {
                      releaseThreadCaches();
                      out.fill(std::vector<FloatComplex>(length, FloatComplex{3, 4}));
                  },
                  [&] { vokcDft(x.data(), out.get(), length, VOK_Forw); },
                  [&] { return Observed{out.untouched(), worstDifference(out.get(), want) < 1e-5 * length}; }};
        const Reports table{{kNoMem, "vokcGetDftTwdTbl", "NULL Pointer", "voktwd"},
                            {kBadArg, "vokcDft", "TwdTbl==0", "vokdft"}};
        const Reports work{{kBadArg, "vokcDft", "buff==0", "vokdft"}};
        const auto f = sweepAllocations(s, {table, work});
        EXPECT_GT(f.allocations, 2);
        EXPECT_EQ(f.failed, 2);
        robust::printFigures("vokcDft length " + std::to_string(length), f);
    }
}

// vokzDft: its table, then the transform's plan; without the plan the direct
// sum answers from a scratch copy taken for the call.
TEST(DftAllocations, DoubleReportsTheTableAndTheScratchCopy) {
    const int length = 40;
    const auto x = randomValues<DoubleComplex>(length, 1.0, 9u);
    releaseThreadCaches();
    std::vector<DoubleComplex> want(length);
    vokzDft(x.data(), want.data(), length, VOK_Inv);
    Guarded<DoubleComplex> data;
    Subject s{[&] {
                  releaseThreadCaches();
                  data.fill(x);
              },
              [&] { vokzDft(data.get(), data.get(), length, VOK_Inv); },
              [&] { return Observed{data.untouched(), worstDifference(data.get(), want) < 1e-12}; }};
    const Reports table{{kNoMem, "vokzGetDftTwdTbl", "NULL Pointer", "voktwd"},
                        {kBadArg, "vokzDft", "TwdTbl==0", "vokdft"}};
    const Reports scratch{{kNoMem, "vokzDft", "NULL Pointer", "vokdft"}};
    const auto once = sweepAllocations(s, {table});
    EXPECT_EQ(once.allocations, 2);
    EXPECT_EQ(once.survived, 1);
    const auto twice = sweepAllocations(s, {table, scratch}, 2);
    EXPECT_EQ(twice.failed, 2);
    robust::printFigures("vokzDft", once);
    robust::printFigures("vokzDft", twice, 2);
    releaseThreadCaches();
}

// A prime length beyond the plans' radices takes the chirp.
TEST(DftAllocations, DoubleLongLengthSurvivesWithoutItsChirp) {
    const int length = 601;
    const auto x = randomValues<DoubleComplex>(length, 1.0, 19u);
    releaseThreadCaches();
    std::vector<DoubleComplex> want(length);
    vokzDft(x.data(), want.data(), length, VOK_Forw);
    Guarded<DoubleComplex> out;
    Subject s{[&] {
                  releaseThreadCaches();
                  out.fill(std::vector<DoubleComplex>(length, DoubleComplex{3, 4}));
              },
              [&] { vokzDft(x.data(), out.get(), length, VOK_Forw); },
              [&] {
                  return Observed{out.untouched(), worstDifference(out.get(), want) < 1e-11};
              }};
    const Reports table{{kNoMem, "vokzGetDftTwdTbl", "NULL Pointer", "voktwd"},
                        {kBadArg, "vokzDft", "TwdTbl==0", "vokdft"}};
    const Reports scratch{{kNoMem, "vokzDft", "NULL Pointer", "vokdft"}};
    const auto f = sweepAllocations(s, {table, scratch});
    EXPECT_GT(f.allocations, 2);
    EXPECT_EQ(f.failed, 1);
    robust::printFigures("vokzDft length 601", f);
}

// vokvDft: the table is not retried; work slot 1 is, after releasing the
// single-precision tables, and two failures in a row give "No working memory".
TEST(DftAllocations, SixteenBitRetriesItsWorkBufferOnce) {
    const int length = 50;
    const auto x = randomValues<ShortComplex>(length, 2000.0, 10u);
    releaseThreadCaches();
    std::vector<ShortComplex> want(length);
    int sf = 0;
    vokvDft(x.data(), want.data(), length, VOK_Forw, VOK_AUTO_SCALE, &sf);
    const auto wantFlat = flat(want.data(), length);
    const int wantSf = sf;
    Guarded<ShortComplex> out;
    Subject s{[&] {
                  releaseThreadCaches();
                  out.fill(std::vector<ShortComplex>(length, ShortComplex{5, 6}));
                  sf = -99;
              },
              [&] { vokvDft(x.data(), out.get(), length, VOK_Forw, VOK_AUTO_SCALE, &sf); },
              [&] {
                  return Observed{out.untouched() && sf == -99, flat(out.get(), length) == wantFlat && sf == wantSf};
              }};
    const Reports table{{kNoMem, "vokcGetDftTwdTbl", "NULL Pointer", "voktwd"},
                        {kBadArg, "vokvDft", "TwidleTbl==0", "vokdft"}};
    const Reports work{{kNoMem, "vokvDft", "No working memory", "vokdft"}};
    const auto once = sweepAllocations(s, {table});
    EXPECT_EQ(once.failed, 1);
    EXPECT_GE(once.survived, 1);
    const auto twice = sweepAllocations(s, {table, work}, 2);
    EXPECT_EQ(twice.failed, 2);
    robust::printFigures("vokvDft", once);
    robust::printFigures("vokvDft", twice, 2);
}

}  // namespace
