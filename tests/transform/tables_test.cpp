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
#include "vok.h"

namespace {

using ffttest::reverseBits;

// dst[rev(k)] = src[k] out of place and in place, the source left alone.
template <class E>
void checkPermutations(void (*one)(E*, int), void (*two)(const E*, E*, int)) {
    auto valueOf = [](int k) {
        E e;
        auto* b = reinterpret_cast<unsigned char*>(&e);
        for (std::size_t i = 0; i < sizeof(E); ++i) b[i] = static_cast<unsigned char>(k * 31 + i * 7 + (k >> 8));
        return e;
    };
    for (int order = 0; order <= 13; ++order) {
        const int n = 1 << order;
        std::vector<E> src(n), dst(n), in(n);
        for (int k = 0; k < n; ++k) src[k] = in[k] = valueOf(k);
        two(src.data(), dst.data(), order);
        one(in.data(), order);
        for (int k = 0; k < n; ++k) {
            const E want = valueOf(k);
            ASSERT_EQ(std::memcmp(&src[k], &want, sizeof(E)), 0) << "source changed";
            ASSERT_EQ(std::memcmp(&dst[reverseBits(k, order)], &want, sizeof(E)), 0) << order << " " << k;
            ASSERT_EQ(std::memcmp(&in[reverseBits(k, order)], &want, sizeof(E)), 0) << order << " " << k;
        }
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
    checkPermutations<short>(vokwbBitRev1, vokwbBitRev2);
    checkPermutations<ShortComplex>(vokvbBitRev1, vokvbBitRev2);
    checkPermutations<float>(voksbBitRev1, voksbBitRev2);
    checkPermutations<FloatComplex>(vokcbBitRev1, vokcbBitRev2);
    checkPermutations<double>(vokdbBitRev1, vokdbBitRev2);
    checkPermutations<DoubleComplex>(vokzbBitRev1, vokzbBitRev2);
    // Order 6: M = 16 middle values over 4 bits; pairs (1,8) (2,4) (3,12) (5,10) (7,14) (11,13),
    // then 0, then the self-reversed 15, 9, 6, then 0.
    const auto& t = vok::threadContext().tables;
    const int* swap = t.swap[6];
    ASSERT_NE(swap, nullptr);
    EXPECT_EQ(std::vector<int>(swap, swap + 17),
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
    voktest::Sentinel s(64 * sizeof(double));
    double* d = s.as<double>();
    int tbl[4];
    FloatComplex t[4];
    voktest::ReportSteps misc("vokmisc"), twd("voktwd");
    misc("vokBitRev", "order<0", [&] { EXPECT_EQ(vokBitRev(5, -1), 0); });
    misc("vokBitRev", "order>31", [&] { EXPECT_EQ(vokBitRev(5, 32), 0); });
    // A negative status left behind makes it return 0 until reset.
    misc.run([&] { vokSetErrStatus(VOK_StatusBadArg); EXPECT_EQ(vokBitRev(6, 3), 0); }, {});
    misc.run([&] { EXPECT_EQ(vokBitRev(6, 3), 3); }, {});
    misc("vokCalcBitRevTbl", "order<0", [&] { vokCalcBitRevTbl(tbl, -1); });
    misc("vokCalcBitRevTbl", "order>31", [&] { vokCalcBitRevTbl(tbl, 32); });
    misc("vokCalcBitRevTbl", "tbl==0", [&] { vokCalcBitRevTbl(nullptr, 3); });
    misc("vokGetBitRevTbl", "order<0", [&] { EXPECT_EQ(vokGetBitRevTbl(-2), nullptr); });
    misc("vokGetBitRevTbl", "order>31", [&] { EXPECT_EQ(vokGetBitRevTbl(40), nullptr); });
    misc("vokdbBitRev1", "order<0", [&] { vokdbBitRev1(d, -1); });
    misc("vokdbBitRev1", "order>31", [&] { vokdbBitRev1(d, 32); });
    misc("vokdbBitRev1", "vec==0", [&] { vokdbBitRev1(nullptr, 3); });
    misc("vokdbBitRev2", "order<0", [&] { vokdbBitRev2(d, d, -1); });
    misc("vokdbBitRev2", "order>31", [&] { vokdbBitRev2(d, d, 32); });
    misc("vokdbBitRev2", "src==0", [&] { vokdbBitRev2(nullptr, d, 3); });
    misc("vokdbBitRev2", "dst==0", [&] { vokdbBitRev2(d, nullptr, 3); });
    twd("vokcCalcDftTwdTbl", "length<=0", [&] { vokcCalcDftTwdTbl(t, 0); });
    twd("vokcCalcDftTwdTbl", "tbl==0", [&] { vokcCalcDftTwdTbl(nullptr, 4); });
    twd("vokcCalcFftTwdTbl", "order<0", [&] { vokcCalcFftTwdTbl(t, -1); });
    twd("vokcCalcFftTwdTbl", "order>31", [&] { vokcCalcFftTwdTbl(t, 32); });
    twd("vokcCalcFftTwdTbl", "tbl==0", [&] { vokcCalcFftTwdTbl(nullptr, 2); });
    twd("vokcGetDftTwdTbl", "length<=0", [&] { EXPECT_EQ(vokcGetDftTwdTbl(0), nullptr); });
    twd("vokzGetFftTwdTbl", "order<0", [&] { EXPECT_EQ(vokzGetFftTwdTbl(-1), nullptr); });
    twd("vokvGetFftTwdTbl", "order>31", [&] { EXPECT_EQ(vokvGetFftTwdTbl(32), nullptr); });
    // Allocation failures: nothing is cached, a retry builds the table; without
    // a swap table the data stay as they were.
    vokFreeBitRevTbls();
    vokcFreeTwdTbls();
    voktest::ReportSteps miscMemory("vokmisc", VOK_StatusNoMemory), twdMemory("voktwd", VOK_StatusNoMemory);
    auto failing = [](auto call) { return [=] { vok::testing::failAllocationAfter(1), call(); }; };
    miscMemory("vokGetBitRevTbl", "NULL Pointer", failing([] { EXPECT_EQ(vokGetBitRevTbl(5), nullptr); }));
    misc.run([] { EXPECT_NE(vokGetBitRevTbl(5), nullptr); }, {});
    vokFreeBitRevTbls();
    miscMemory("vokdbBitRev1", "NULL Pointer", failing([=] { vokdbBitRev1(d, 6); }));
    twdMemory("vokcGetFftTwdTbl", "NULL Pointer", failing([] { EXPECT_EQ(vokcGetFftTwdTbl(4), nullptr); }));
    twdMemory("vokcGetDftTwdTbl", "NULL Pointer", failing([] { EXPECT_EQ(vokcGetDftTwdTbl(9), nullptr); }));
    vok::testing::failAllocationAfter(0);
    EXPECT_EQ(vok::threadContext().dftCount[vok::kKindC], 0);
    EXPECT_TRUE(s.untouched());
    vokSetErrStatus(VOK_StatusOk);
}

}  // namespace
