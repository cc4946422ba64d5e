// Bit reversal and twiddle tables: values against their definitions, caching
// and release, the DFT list capacity, permutations of every element size, and
// every failure report.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "frame/context.h"
#include "frame/test_seams.h"
#include "voktest/fft_reference.h"
#include "voktest/report_steps.h"
#include "voktest/reports.h"
#include "voktest/vector_calls.h"
#include "vok.h"

namespace {

using ffttest::reverseBits;

// dst[rev(k)] = src[k] out of place and in place, the source left alone.
template <class E>
void checkPermutations(void (*one)(E*, int), void (*two)(const E*, E*, int)) {
    constexpr std::size_t size = sizeof(E);
    for (int order = 0; order <= 13; ++order) {
        std::vector<unsigned char> src(size << order), dst(src.size()), in(src.size()), want(src.size());
        for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<unsigned char>(i / size * 31 + i % size * 7 + (i / size >> 8));
        for (std::size_t i = 0; i < src.size(); ++i) want[reverseBits(i / size, order) * size + i % size] = src[i];
        const std::vector<unsigned char> src0 = in = src;
        two(reinterpret_cast<const E*>(src.data()), reinterpret_cast<E*>(dst.data()), order);
        one(reinterpret_cast<E*>(in.data()), order);
        ASSERT_EQ(src, src0) << "source changed";
        ASSERT_EQ(dst, want) << order;
        ASSERT_EQ(in, want) << order;
    }
}

TEST(BitRev, IndicesTablesAndPermutationsOfEveryElementSize) {
    EXPECT_EQ(vokBitRev(12345, 0), 0);
    EXPECT_EQ(vokBitRev(241, 2), 2);  // only the low bits count
    EXPECT_EQ(vokBitRev(1, 31), 1 << 30);
    for (int order = 0; order <= 14; ++order) {
        std::vector<int> tbl(1 << order, -1);
        vokCalcBitRevTbl(tbl.data(), order);
        const int* cached = vokGetBitRevTbl(order);
        ASSERT_TRUE(cached != nullptr && vokGetBitRevTbl(order) == cached);
        for (int i = 0; i < 1 << order; ++i) {
            ASSERT_EQ(tbl[i], reverseBits(i, order)) << order << " " << i;
            ASSERT_TRUE(cached[i] == tbl[i] && vokBitRev(i, order) == tbl[i]);
        }
    }
    checkPermutations(vokwbBitRev1, vokwbBitRev2);
    checkPermutations(vokvbBitRev1, vokvbBitRev2);
    checkPermutations(voksbBitRev1, voksbBitRev2);
    checkPermutations(vokcbBitRev1, vokcbBitRev2);
    checkPermutations(vokdbBitRev1, vokdbBitRev2);
    checkPermutations(vokzbBitRev1, vokzbBitRev2);
    // Order 6: M = 16 middle values over 4 bits; pairs (1,8) (2,4) (3,12) (5,10) (7,14) (11,13),
    // then 0, then the self-reversed 15, 9, 6, then 0.
    const auto& t = vok::threadContext().tables;
    ASSERT_NE(t.swap[6], nullptr);
    EXPECT_EQ(std::vector<int>(t.swap[6], t.swap[6] + 17),
              (std::vector<int>{4, 32, 8, 16, 12, 48, 20, 40, 28, 56, 44, 52, 0, 60, 36, 24, 0}));
    vokFreeBitRevTbls();
    EXPECT_TRUE(t.swap[6] == nullptr && t.bitRev[9] == nullptr);
}

// Entry k of length n is exp(-2πi·k/n) with the angle k·(2π/n) in double,
// rounded to the element type (16-bit: 2^14 times it, truncated).
template <class C>
void checkTwiddles(C* (*getDft)(int), void (*calcDft)(C*, int), C* (*getFft)(int), void (*calcFft)(C*, int)) {
    using R = decltype(C::re);
    const long double scale = std::is_same_v<R, short> ? 16384 : 1;
    for (int length : {1, 2, 3, 5, 12, 100, 1000, -1, -2, -4, -8, -16, -256, -4096}) {  // negative: FFT of -length
        const int n = std::abs(length), order = std::ilogb(n);
        std::vector<C> t(n);
        length > 0 ? calcDft(t.data(), n) : calcFft(t.data(), order);
        const C* cached = length > 0 ? getDft(n) : getFft(order);
        ASSERT_TRUE(cached != nullptr && cached == (length > 0 ? getDft(n) : getFft(order)));
        for (int k = 0; k < n; ++k) {
            const long double a = double(k) * (6.283185307179586 / double(n)), c = scale * std::cos(a);
            const long double s = -scale * std::sin(a);
            ASSERT_EQ(t[k].re, R(std::is_same_v<R, short> ? std::trunc(c) : c)) << k << "/" << n;
            ASSERT_EQ(t[k].im, R(std::is_same_v<R, short> ? std::trunc(s) : s)) << k << "/" << n;
            ASSERT_EQ(std::memcmp(&cached[k], &t[k], sizeof(C)), 0);
        }
    }
}

// Each kind's list holds 32 lengths; its Free empties it and releases the
// kind's FFT twiddles, the precision's internal FFT tables and the swap tables.
TEST(Twiddles, EntriesListCapacityAndRelease) {
    checkTwiddles<FloatComplex>(vokcGetDftTwdTbl, vokcCalcDftTwdTbl, vokcGetFftTwdTbl, vokcCalcFftTwdTbl);
    checkTwiddles<DoubleComplex>(vokzGetDftTwdTbl, vokzCalcDftTwdTbl, vokzGetFftTwdTbl, vokzCalcFftTwdTbl);
    checkTwiddles<ShortComplex>(vokvGetDftTwdTbl, vokvCalcDftTwdTbl, vokvGetFftTwdTbl, vokvCalcFftTwdTbl);
    vokvFreeTwdTbls();
    voktest::ReportRecorder rec;
    auto& ctx = vok::threadContext();
    vokcFreeTwdTbls();
    std::vector<FloatComplex*> tables;
    for (int n = 1; n <= 32; ++n) tables.push_back(vokcGetDftTwdTbl(n));
    for (FloatComplex* t : tables) EXPECT_NE(t, nullptr);
    EXPECT_EQ(vokcGetDftTwdTbl(33), nullptr);
    EXPECT_REPORTS(rec, {VOK_StatusNoMemory, "vokcGetDftTwdTbl", "Full Table", "voktwd"});
    vokSetErrStatus(VOK_StatusOk);
    EXPECT_EQ(vokcGetDftTwdTbl(17), tables[16]);
    EXPECT_NE(vokzGetDftTwdTbl(33), nullptr);  // each kind counts its own
    vokcFreeTwdTbls();
    EXPECT_EQ(ctx.dftCount[vok::kKindC], 0);
    EXPECT_NE(vokcGetDftTwdTbl(33), nullptr);
    vokcFreeTwdTbls();
    vokzGetFftTwdTbl(5);
    vokzFft(nullptr, 6, VOK_Forw | VOK_Init);
    EXPECT_TRUE(ctx.tables.internalFft[vok::kDouble][6][0] != nullptr && ctx.tables.swap[6] != nullptr);
    vokzFreeTwdTbls();
    EXPECT_TRUE(ctx.tables.fftTwiddle[vok::kKindZ][5] == nullptr && ctx.dftCount[vok::kKindZ] == 0);
    EXPECT_TRUE(ctx.tables.internalFft[vok::kDouble][6][0] == nullptr && ctx.tables.swap[6] == nullptr);
}

TEST(Tables, FailuresInOrder) {
    using Rows = std::vector<voktest::BadArg>;
    const Rows order = {{1, "order<0", -1}, {1, "order>31", 32}};
    voktest::CheckTable misc("vokmisc"), twd("voktwd");
    for (int bad : {-1, 32})  // returns zero, not the status
        misc.run([&] { EXPECT_EQ(vokBitRev(5, bad), 0); }, {{VOK_StatusBadArg, "vokBitRev", order[bad > 0].context, "vokmisc"}});
    VOK_CHECK_TABLE(misc, vokCalcBitRevTbl, {order[0], order[1], {0, "tbl==0"}});
    VOK_CHECK_TABLE(misc, vokGetBitRevTbl, {{0, "order<0", -2}, {0, "order>31", 40}});
    VOK_CHECK_EACH(misc, (Rows{order[0], order[1], {0, "vec==0"}}), vokwbBitRev1, vokvbBitRev1, voksbBitRev1,
                   vokcbBitRev1, vokdbBitRev1, vokzbBitRev1);
    VOK_CHECK_EACH(misc, (Rows{{2, "order<0", -1}, {2, "order>31", 32}, {0, "src==0"}, {1, "dst==0"}}), vokwbBitRev2,
                   vokvbBitRev2, voksbBitRev2, vokcbBitRev2, vokdbBitRev2, vokzbBitRev2);
    // A negative status left behind makes vokBitRev return 0 until reset.
    misc.run([&] { vokSetErrStatus(VOK_StatusBadArg); EXPECT_EQ(vokBitRev(6, 3), 0); }, {});
    misc.run([&] { vokSetErrStatus(VOK_StatusOk); EXPECT_EQ(vokBitRev(6, 3), 3); }, {});
    VOK_CHECK_EACH(twd, (Rows{{1, "length<=0", 0}, {0, "tbl==0"}}), vokcCalcDftTwdTbl, vokzCalcDftTwdTbl, vokvCalcDftTwdTbl);
    VOK_CHECK_EACH(twd, (Rows{order[0], order[1], {0, "tbl==0"}}), vokcCalcFftTwdTbl, vokzCalcFftTwdTbl, vokvCalcFftTwdTbl);
    VOK_CHECK_EACH(twd, (Rows{{0, "length<=0", 0}}), vokcGetDftTwdTbl, vokzGetDftTwdTbl, vokvGetDftTwdTbl);
    VOK_CHECK_EACH(twd, (Rows{{0, "order<0", -1}, {0, "order>31", 32}}), vokcGetFftTwdTbl, vokzGetFftTwdTbl, vokvGetFftTwdTbl);
    // Allocation failures: nothing is cached, a retry builds the table; without
    // a swap table the data stay as they were.
    vokSetErrStatus(VOK_StatusOk);
    vokFreeBitRevTbls();
    vokcFreeTwdTbls();
    voktest::ReportSteps miscMemory("vokmisc", VOK_StatusNoMemory), twdMemory("voktwd", VOK_StatusNoMemory);
    auto failing = [](auto call) { return [=] { vok::testing::failAllocationAfter(1); call(); }; };
    miscMemory("vokGetBitRevTbl", "NULL Pointer", failing([] { EXPECT_EQ(vokGetBitRevTbl(5), nullptr); }));
    misc.run([] { EXPECT_NE(vokGetBitRevTbl(5), nullptr); }, {});
    vokFreeBitRevTbls();
    miscMemory("vokdbBitRev1", "NULL Pointer", failing([&] { vokdbBitRev1(misc.buffer<double>(), 6); }));
    twdMemory("vokcGetFftTwdTbl", "NULL Pointer", failing([] { EXPECT_EQ(vokcGetFftTwdTbl(4), nullptr); }));
    twdMemory("vokcGetDftTwdTbl", "NULL Pointer", failing([] { EXPECT_EQ(vokcGetDftTwdTbl(9), nullptr); }));
    vok::testing::failAllocationAfter(0);
    EXPECT_EQ(vok::threadContext().dftCount[vok::kKindC], 0);
    vokSetErrStatus(VOK_StatusOk);
}

}  // namespace
