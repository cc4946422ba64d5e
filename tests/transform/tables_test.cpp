// Bit reversal and twiddle tables: values against their definitions, caching
// and release, the DFT list capacity, permutations of every element size, and
// every failure report.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <vector>

#include "frame/context.h"
#include "frame/test_seams.h"
#include "support/report_steps.h"
#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;

int reverseBits(int v, int bits) {
    int r = 0;
    for (int i = 0; i < bits; ++i) r |= ((v >> i) & 1) << (bits - 1 - i);
    return r;
}

TEST(BitRev, SingleIndices) {
    EXPECT_EQ(vokBitRev(6, 3), 3);
    EXPECT_EQ(vokBitRev(12345, 0), 0);
    EXPECT_EQ(vokBitRev(241, 2), 2);
    EXPECT_EQ(vokBitRev(1, 31), 1 << 30);
    for (int order = 1; order <= 12; ++order)
        for (int v = 0; v < (1 << order); v += 1 + v / 7) EXPECT_EQ(vokBitRev(v, order), reverseBits(v, order));
}

TEST(BitRev, BadOrderReportsAndReturnsZero) {
    ReportRecorder rec;
    EXPECT_EQ(vokBitRev(5, -1), 0);
    EXPECT_EQ(vokBitRev(5, 32), 0);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokBitRev", "order<0", "vokmisc"},
                   {VOK_StatusBadArg, "vokBitRev", "order>31", "vokmisc"});
    // A negative status left behind makes it return 0 until reset.
    EXPECT_EQ(vokBitRev(6, 3), 0);
    vokSetErrStatus(VOK_StatusOk);
    EXPECT_EQ(vokBitRev(6, 3), 3);
}

TEST(BitRev, TablesMatchTheReversal) {
    for (int order = 0; order <= 14; ++order) {
        const int n = 1 << order;
        std::vector<int> tbl(n, -1);
        vokCalcBitRevTbl(tbl.data(), order);
        const int* cached = vokGetBitRevTbl(order);
        ASSERT_NE(cached, nullptr);
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(tbl[i], reverseBits(i, order)) << order << " " << i;
            ASSERT_EQ(cached[i], tbl[i]);
        }
    }
}

TEST(BitRev, CachedTableIsKeptUntilFreed) {
    const int* a = vokGetBitRevTbl(9);
    EXPECT_EQ(vokGetBitRevTbl(9), a);
    vokFreeBitRevTbls();
    EXPECT_EQ(vok::threadContext().tables.bitRev[9], nullptr);
    EXPECT_NE(vokGetBitRevTbl(9), nullptr);
    vokFreeBitRevTbls();
}

TEST(BitRev, TableFailures) {
    int tbl[4];
    voktest::ReportSteps step("vokmisc");
    step("vokCalcBitRevTbl", "order<0", [&] { vokCalcBitRevTbl(tbl, -1); });
    step("vokCalcBitRevTbl", "order>31", [&] { vokCalcBitRevTbl(tbl, 32); });
    step("vokCalcBitRevTbl", "tbl==0", [&] { vokCalcBitRevTbl(nullptr, 3); });
    step("vokGetBitRevTbl", "order<0", [&] { EXPECT_EQ(vokGetBitRevTbl(-2), nullptr); });
    step("vokGetBitRevTbl", "order>31", [&] { EXPECT_EQ(vokGetBitRevTbl(40), nullptr); });
    vokFreeBitRevTbls();
    voktest::ReportSteps noMemory("vokmisc", VOK_StatusNoMemory);
    vok::testing::failAllocationAfter(1);
    noMemory("vokGetBitRevTbl", "NULL Pointer", [&] { EXPECT_EQ(vokGetBitRevTbl(5), nullptr); });
    vokSetErrStatus(VOK_StatusOk);
    EXPECT_NE(vokGetBitRevTbl(5), nullptr);  // nothing was cached: the retry builds it
    vokFreeBitRevTbls();
}

// The permutations for every element size, against dst[rev(k)] = src[k].
template <class E>
struct Perm {
    void (*one)(E*, int);
    void (*two)(const E*, E*, int);
};

template <class E>
E valueOf(int k) {
    E e;
    unsigned char* b = reinterpret_cast<unsigned char*>(&e);
    for (std::size_t i = 0; i < sizeof(E); ++i) b[i] = static_cast<unsigned char>(k * 31 + i * 7 + (k >> 8));
    return e;
}
template <class E>
bool sameBytes(const E& a, const E& b) { return std::memcmp(&a, &b, sizeof(E)) == 0; }

template <class E>
void checkPermutations(Perm<E> p) {
    for (int order = 0; order <= 13; ++order) {
        const int n = 1 << order;
        std::vector<E> src(n), dst(n), in(n);
        for (int k = 0; k < n; ++k) src[k] = in[k] = valueOf<E>(k);
        p.two(src.data(), dst.data(), order);
        p.one(in.data(), order);
        for (int k = 0; k < n; ++k) {
            ASSERT_TRUE(sameBytes(src[k], valueOf<E>(k))) << "source changed";
            ASSERT_TRUE(sameBytes(dst[reverseBits(k, order)], src[k])) << order << " " << k;
            ASSERT_TRUE(sameBytes(in[reverseBits(k, order)], src[k])) << order << " " << k;
        }
    }
}

TEST(BitRev, PermutationsOfEveryElementSize) {
    checkPermutations<short>({vokwbBitRev1, vokwbBitRev2});
    checkPermutations<ShortComplex>({vokvbBitRev1, vokvbBitRev2});
    checkPermutations<float>({voksbBitRev1, voksbBitRev2});
    checkPermutations<FloatComplex>({vokcbBitRev1, vokcbBitRev2});
    checkPermutations<double>({vokdbBitRev1, vokdbBitRev2});
    checkPermutations<DoubleComplex>({vokzbBitRev1, vokzbBitRev2});
}

TEST(BitRev, SwapTableLayout) {
    // Order 6: M = 16 middle values over 4 bits; pairs (1,8) (2,4) (3,12) (5,10) (7,14) (11,13),
    // then 0, then the self-reversed 15, 9, 6, then 0.
    vokFreeBitRevTbls();
    short data[64];
    vokwbBitRev1(data, 6);
    const int* swap = vok::threadContext().tables.swap[6];
    ASSERT_NE(swap, nullptr);
    const std::vector<int> expected = {4, 32, 8, 16, 12, 48, 20, 40, 28, 56, 44, 52, 0, 60, 36, 24, 0};
    EXPECT_EQ(std::vector<int>(swap, swap + 17), expected);
    vokFreeBitRevTbls();
    EXPECT_EQ(vok::threadContext().tables.swap[6], nullptr);
}

TEST(BitRev, PermutationFailures) {
    voktest::Sentinel s(64 * sizeof(double));
    double* d = s.as<double>();
    voktest::ReportSteps step("vokmisc");
    step("vokdbBitRev1", "order<0", [&] { vokdbBitRev1(d, -1); });
    step("vokdbBitRev1", "order>31", [&] { vokdbBitRev1(d, 32); });
    step("vokdbBitRev1", "vec==0", [&] { vokdbBitRev1(nullptr, 3); });
    step("vokdbBitRev2", "order<0", [&] { vokdbBitRev2(d, d, -1); });
    step("vokdbBitRev2", "order>31", [&] { vokdbBitRev2(d, d, 32); });
    step("vokdbBitRev2", "src==0", [&] { vokdbBitRev2(nullptr, d, 3); });
    step("vokdbBitRev2", "dst==0", [&] { vokdbBitRev2(d, nullptr, 3); });
    vokFreeBitRevTbls();
    voktest::ReportSteps noMemory("vokmisc", VOK_StatusNoMemory);
    vok::testing::failAllocationAfter(1);
    // No swap table: the data stay as they were.
    noMemory("vokdbBitRev1", "NULL Pointer", [&] { vokdbBitRev1(d, 6); });
    EXPECT_TRUE(s.untouched());
}

// ---- twiddle tables ----

template <class C>
void expectEntry(const C& e, int k, int n);
template <>
void expectEntry(const FloatComplex& e, int k, int n) {
    const long double a = double(k) * (6.283185307179586 / double(n));
    ASSERT_EQ(e.re, float(std::cos(a))) << k << "/" << n;
    ASSERT_EQ(e.im, float(-std::sin(a))) << k << "/" << n;
}
template <>
void expectEntry(const DoubleComplex& e, int k, int n) {
    const long double a = double(k) * (6.283185307179586 / double(n));
    ASSERT_EQ(e.re, double(std::cos(a))) << k << "/" << n;
    ASSERT_EQ(e.im, double(-std::sin(a))) << k << "/" << n;
}
template <>
void expectEntry(const ShortComplex& e, int k, int n) {
    const long double a = double(k) * (6.283185307179586 / double(n));
    ASSERT_EQ(e.re, short(std::trunc(16384 * std::cos(a)))) << k << "/" << n;
    ASSERT_EQ(e.im, short(std::trunc(-16384 * std::sin(a)))) << k << "/" << n;
}

template <class C>
struct TwiddleKind {
    C* (*getDft)(int);
    void (*calcDft)(C*, int);
    C* (*getFft)(int);
    void (*calcFft)(C*, int);
    void (*freeAll)();
};

template <class C>
void checkKind(TwiddleKind<C> kind) {
    for (int n : {1, 2, 3, 5, 12, 100, 1000}) {
        std::vector<C> t(n);
        kind.calcDft(t.data(), n);
        const C* cached = kind.getDft(n);
        ASSERT_NE(cached, nullptr);
        EXPECT_EQ(kind.getDft(n), cached);
        for (int k = 0; k < n; ++k) {
            expectEntry(t[k], k, n);
            expectEntry(cached[k], k, n);
        }
    }
    for (int order = 0; order <= 12; ++order) {
        const int n = 1 << order;
        std::vector<C> t(n);
        kind.calcFft(t.data(), order);
        const C* cached = kind.getFft(order);
        ASSERT_NE(cached, nullptr);
        EXPECT_EQ(kind.getFft(order), cached);
        for (int k = 0; k < n; ++k) {
            expectEntry(t[k], k, n);
            ASSERT_EQ(std::memcmp(&cached[k], &t[k], sizeof(C)), 0);
        }
    }
    kind.freeAll();
}

TEST(Twiddles, EntriesOfEveryKind) {
    checkKind<FloatComplex>({vokcGetDftTwdTbl, vokcCalcDftTwdTbl, vokcGetFftTwdTbl, vokcCalcFftTwdTbl, vokcFreeTwdTbls});
    checkKind<DoubleComplex>({vokzGetDftTwdTbl, vokzCalcDftTwdTbl, vokzGetFftTwdTbl, vokzCalcFftTwdTbl, vokzFreeTwdTbls});
    checkKind<ShortComplex>({vokvGetDftTwdTbl, vokvCalcDftTwdTbl, vokvGetFftTwdTbl, vokvCalcFftTwdTbl, vokvFreeTwdTbls});
}

TEST(Twiddles, DftListHoldsThirtyTwoTables) {
    ReportRecorder rec;
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
    vokzFreeTwdTbls();
    EXPECT_EQ(vok::threadContext().dftCount[vok::kKindC], 0);
    EXPECT_NE(vokcGetDftTwdTbl(33), nullptr);
    vokcFreeTwdTbls();
}

TEST(Twiddles, FreeReleasesTheKindsTables) {
    vokzGetFftTwdTbl(5);
    vokzGetDftTwdTbl(7);
    vokzFft(nullptr, 6, VOK_Forw | VOK_Init);
    auto& t = vok::threadContext().tables;
    EXPECT_NE(t.internalFft[vok::kDouble][6][0], nullptr);
    EXPECT_NE(t.swap[6], nullptr);
    vokzFreeTwdTbls();
    EXPECT_EQ(t.fftTwiddle[vok::kKindZ][5], nullptr);
    EXPECT_EQ(t.internalFft[vok::kDouble][6][0], nullptr);
    EXPECT_EQ(t.swap[6], nullptr);
    EXPECT_EQ(vok::threadContext().dftCount[vok::kKindZ], 0);
}

TEST(Twiddles, Failures) {
    FloatComplex t[4];
    voktest::ReportSteps step("voktwd");
    step("vokcCalcDftTwdTbl", "length<=0", [&] { vokcCalcDftTwdTbl(t, 0); });
    step("vokcCalcDftTwdTbl", "tbl==0", [&] { vokcCalcDftTwdTbl(nullptr, 4); });
    step("vokcCalcFftTwdTbl", "order<0", [&] { vokcCalcFftTwdTbl(t, -1); });
    step("vokcCalcFftTwdTbl", "order>31", [&] { vokcCalcFftTwdTbl(t, 32); });
    step("vokcCalcFftTwdTbl", "tbl==0", [&] { vokcCalcFftTwdTbl(nullptr, 2); });
    step("vokcGetDftTwdTbl", "length<=0", [&] { EXPECT_EQ(vokcGetDftTwdTbl(0), nullptr); });
    step("vokzGetFftTwdTbl", "order<0", [&] { EXPECT_EQ(vokzGetFftTwdTbl(-1), nullptr); });
    step("vokvGetFftTwdTbl", "order>31", [&] { EXPECT_EQ(vokvGetFftTwdTbl(32), nullptr); });
    vokcFreeTwdTbls();
    voktest::ReportSteps noMemory("voktwd", VOK_StatusNoMemory);
    vok::testing::failAllocationAfter(1);
    noMemory("vokcGetFftTwdTbl", "NULL Pointer", [&] { EXPECT_EQ(vokcGetFftTwdTbl(4), nullptr); });
    vok::testing::failAllocationAfter(1);
    noMemory("vokcGetDftTwdTbl", "NULL Pointer", [&] { EXPECT_EQ(vokcGetDftTwdTbl(9), nullptr); });
    EXPECT_EQ(vok::threadContext().dftCount[vok::kKindC], 0);
    vokSetErrStatus(VOK_StatusOk);
}

}  // namespace
