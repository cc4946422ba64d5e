// Random generators: exact sequences for fixed seeds against the integer core
// written out below from its definition, continuation across single and block
// calls, moments and range over 10^6 samples, and the failure reports of every
// entry point.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "voktest/generators.h"
#include "voktest/reports.h"

namespace {

using namespace voktest;
using U32 = std::uint32_t;

// The shared core: subtract-with-borrow plus congruential, seeded through the
// 15-bit auxiliary generator. Members in seeding order.
struct Core {
    U32 a, s1, s2, s3, c, l = 1131199209u;
    Core(U32 seed, U32 carry) : a(seed), s1(seed), s2(aux()), s3(aux()), c(carry) {}
    U32 aux() { return ((a = 214013u * a + 2531011u) & 0x7FFF0000u) >> 16; }
    U32 borrow(bool onZero = true) {  // the 16-bit uniform refill borrows only below zero
        U32 d = s2 - s3 - c;
        c = std::int32_t(d) < 0 || (onZero && d == 0);
        if (c) d -= 18;
        s3 = s2, s2 = s1, s1 = d;
        return d;
    }
    static U32 step(U32& lc) { return lc = 69069u * lc + 1013904243u; }
    U32 next() { return borrow() + step(l); }
};

long double uniform(long double offset, long double scale, U32 u) { return offset + std::int32_t(u) * scale; }

// Polar-method samples in double, the returned half of each pair first.
std::vector<double> gaussians(U32 seed, double mean, double sd, int count) {
    Core k(seed, 1);
    std::vector<double> out;
    while ((int)out.size() < count) {
        double x, y, s;
        do {
            x = std::int32_t(k.next()) * 4.656612873077e-10, y = std::int32_t(k.next()) * 4.656612873077e-10;
            s = x * x + y * y;
        } while (s >= 1.0 || s == 0.0);
        const double f = std::sqrt(-2.0 * std::log(s) / s);
        out.push_back(mean + sd * y * f), out.push_back(mean + sd * x * f);
    }
    return out;
}

// 16-bit uniform samples after Init: `runs` runs of `count` samples each, as
// buffer refills (count 32) or one block call deliver them.
std::vector<short> uniform16(U32 seed, short low, short high, int count, int runs) {
    Core k(seed, 0);
    U32 l2 = k.aux();
    for (int i = 0; i < 5; ++i) k.next();
    const float offset = low + 0.5f * (high - low), scale = (high - low) * 0x1p-32f;
    auto value = [&](U32 u) { return short(int(std::nearbyintl(uniform(offset, scale, u)))); };
    std::vector<short> out;
    for (int r = 0; r < runs; ++r) {
        if (count & 1) out.push_back(value(k.borrow(false) + Core::step(k.l)));
        for (int i = count & 1; i < count; i += 2) {
            const U32 d1 = k.borrow(false), d2 = k.borrow(false);
            out.push_back(value(d2 + Core::step(k.l))), out.push_back(value(d1 + Core::step(l2)));
        }
    }
    return out;
}

// Seeds as floating values: the same low 32 bits through a 64-bit integer.
double floatingSeed(U32 seed) { return seed >= 0x80000000u ? (double)(std::int32_t)seed : (double)seed; }

TEST(RandomSequences, UniformFollowsTheCoreForFixedSeeds) {
    for (U32 seed : {0u, 1u, 12345u, 0xFFFFFFF9u, 0x80000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(seed);
        Core core(seed, 0);
        std::vector<U32> u(40);
        for (U32& x : u) x = core.next();
        const double dseed = floatingSeed(seed);
        VokDRandUniState d, z;
        vokdRandUniInit(dseed, -2.0, 3.0, &d);
        EXPECT_EQ(d.offset, 0.5);
        EXPECT_EQ(d.scale, 5.0 * std::ldexp(1.0, -32));
        std::vector<double> got(30);
        vokdbRandUni(&d, got.data(), 30);
        for (int i = 0; i < 30; ++i) ASSERT_EQ(got[i], (double)uniform(d.offset, d.scale, u[5 + i])) << i;
        VokSRandUniState s;
        voksRandUniInit((float)dseed, 10.0f, 20.0f, &s);
        if ((double)(float)dseed == dseed)
            for (int i = 0; i < 30; ++i) ASSERT_EQ(voksRandUni(&s), (float)uniform(s.offset, s.scale, u[5 + i]));
        // Complex: consecutive draws, re first.
        vokzRandUniInit(dseed, -1.0, 1.0, &z);
        for (int i = 0; i < 15; ++i) {
            const DoubleComplex v = vokzRandUni(&z);
            ASSERT_EQ(v.re, (double)uniform(z.offset, z.scale, u[5 + 2 * i]));
            ASSERT_EQ(v.im, (double)uniform(z.offset, z.scale, u[6 + 2 * i]));
        }
    }
    // Seeds truncate toward zero and keep their low 32 bits.
    VokDRandUniState a, b;
    vokdRandUniInit(-7.9, 0, 1, &a);
    vokdRandUniInit(4294967289.0, 0, 1, &b);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
    vokdRandUniInit(12345.99, 0, 1, &a);
    vokdRandUniInit(12345.0 + 4294967296.0, 0, 1, &b);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}

TEST(RandomSequences, GaussianFollowsThePolarMethod) {
    const struct { U32 seed; double mean, sd; } rows[] = {{0, 0, 1}, {12345, 3, 2}, {0xFFFFFFF9u, -1.5, 0.25},
                                                          {777, 0, -1}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.seed);
        const std::vector<double> want = gaussians(r.seed, r.mean, r.sd, 30);
        const double dseed = floatingSeed(r.seed);
        VokDRandGausState d;
        vokdRandGausInit(dseed, r.mean, r.sd, &d);
        for (size_t i = 0; i < want.size(); ++i) {
            ASSERT_NEAR(vokdRandGaus(&d), want[i], 1e-15 * (1 + std::fabs(want[i]))) << i;
            EXPECT_EQ(d.pairFlag, (int)(i % 2 == 0));
        }
        VokSRandGausState s;
        voksRandGausInit((float)dseed, (float)r.mean, (float)r.sd, &s);
        if ((double)(float)dseed == dseed) {
            std::vector<float> got(want.size());
            voksbRandGaus(&s, got.data(), (int)got.size());
            for (size_t i = 0; i < want.size(); ++i) ASSERT_NEAR(got[i], want[i], 4e-7 * (1 + std::fabs(want[i])));
        }
        // 16-bit: float result truncated toward zero.
        VokWRandGausState w;
        vokwRandGausInit(r.seed, (short)r.mean, (short)r.sd, &w);
        if ((double)(short)r.mean == r.mean && (double)(short)r.sd == r.sd)
            for (double v : want) ASSERT_EQ(vokwRandGaus(&w), (short)std::trunc((float)v));
    }
}

TEST(RandomSequences, SixteenBitUniformMatchesTheBufferedPairs) {
    const struct { U32 seed; short low, high; } rows[] = {{0, -1000, 1000}, {12345, -32768, 32767}, {99, 5, 5},
                                                          {4000000000u, 300, -300}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.seed);
        const std::vector<short> v = uniform16(r.seed, r.low, r.high, 32, 2), b = uniform16(r.seed, r.low, r.high, 7, 1);
        VokWRandUniState w, c, wb;
        vokwRandUniInit(r.seed, r.low, r.high, &w);
        EXPECT_EQ(w.bufIndex, 32);
        for (size_t i = 0; i < v.size(); ++i) ASSERT_EQ(vokwRandUni(&w), v[i]) << i;
        // The complex form takes the same entries two at a time.
        vokvRandUniInit(r.seed, r.low, r.high, &c);
        for (size_t i = 0; i < v.size(); i += 2) {
            const ShortComplex z = vokvRandUni(&c);
            ASSERT_TRUE(z.re == v[i] && z.im == v[i + 1]) << i;
        }
        // A block of odd length starts with one single-stream sample.
        vokwRandUniInit(r.seed, r.low, r.high, &wb);
        std::vector<short> got(7);
        vokwbRandUni(&wb, got.data(), 7);
        EXPECT_EQ(got, b);
        EXPECT_EQ(wb.bufIndex, 32);
    }
}

TEST(RandomContinuation, SingleAndBlockCallsInterleaveWithoutAGap) {
    VokSRandUniState u1, u2;
    VokDRandGausState g1, g2;
    VokWRandGausState w1, w2;
    voksRandUniInit(42.0f, -1.0f, 1.0f, &u1);
    vokdRandGausInit(42.0, 1.0, 2.0, &g1);
    vokwRandGausInit(42u, 100, 300, &w1);
    u2 = u1, g2 = g1, w2 = w1;
    std::vector<float> ua(301), ub(301);
    std::vector<double> ga(301), gb(301);
    std::vector<short> wa(301), wb(301);
    voksbRandUni(&u1, ua.data(), 301);
    vokdbRandGaus(&g1, ga.data(), 301);
    vokwbRandGaus(&w1, wa.data(), 301);
    // Odd chunks split the Gaussian pairs across calls.
    for (int i = 0, step = 1; i < 301; i += step, step = step % 7 + 2) {
        const int n = std::min(step, 301 - i);
        if (n == 1) {
            ub[i] = voksRandUni(&u2), gb[i] = vokdRandGaus(&g2), wb[i] = vokwRandGaus(&w2);
        } else {
            voksbRandUni(&u2, &ub[i], n);
            vokdbRandGaus(&g2, &gb[i], n);
            vokwbRandGaus(&w2, &wb[i], n);
        }
    }
    EXPECT_EQ(ub, ua);
    EXPECT_EQ(gb, ga);
    EXPECT_EQ(wb, wa);
    EXPECT_EQ(std::memcmp(&u1, &u2, sizeof u1), 0);
    EXPECT_EQ(std::memcmp(&g1, &g2, sizeof g1), 0);
    // Complex blocks are the real sequence two at a time.
    VokSRandGausState c1, c2;
    vokcRandGausInit(9.0f, 0.0f, 1.0f, &c1);
    voksRandGausInit(9.0f, 0.0f, 1.0f, &c2);
    std::vector<FloatComplex> cb(50);
    vokcbRandGaus(&c1, cb.data(), 50);
    for (const FloatComplex& v : cb) {
        ASSERT_EQ(v.re, voksRandGaus(&c2));
        ASSERT_EQ(v.im, voksRandGaus(&c2));
    }
}

TEST(RandomContinuation, SixteenBitBlocksLeaveTheBufferAlone) {
    VokWRandUniState a, b;
    vokwRandUniInit(5u, -100, 100, &a);
    b = a;
    std::vector<short> singles(10);
    for (short& v : singles) v = vokwRandUni(&a);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(vokwRandUni(&b), singles[i]);
    std::vector<short> blk(9);
    vokwbRandUni(&b, blk.data(), 9);  // draws past the buffer, not from it
    EXPECT_EQ(b.bufIndex, 3);
    for (int i = 3; i < 10; ++i) EXPECT_EQ(vokwRandUni(&b), singles[i]);
}

// Moments over 10^6 samples: mean within 5 standard errors, variance within 1%,
// and every sample inside [lo, hi].
template <class T>
void expectMoments(const std::vector<T>& v, double mean, double var, double lo = -1e300, double hi = 1e300) {
    long double s = 0, s2 = 0;
    for (T x : v) {
        ASSERT_TRUE(x >= lo && x <= hi) << x;
        s += x;
    }
    const long double m = s / v.size();
    for (T x : v) s2 += ((long double)x - m) * ((long double)x - m);
    EXPECT_NEAR((double)m, mean, 5 * std::sqrt(var / v.size()) + 1e-12);
    EXPECT_NEAR((double)(s2 / (v.size() - 1)), var, 0.01 * var);
}

// The exact sequences above pin every form to the core; the core itself must
// give a uniform and a normal distribution.
TEST(RandomStatistics, RangeAndMomentsOfTheCore) {
    const int n = 1000000;
    VokDRandUniState du;
    VokDRandGausState dg;
    vokdRandUniInit(2024.0, -3.0, 5.0, &du);
    vokdRandGausInit(31.0, 2.0, 3.0, &dg);
    std::vector<double> d(n);
    vokdbRandUni(&du, d.data(), n);
    expectMoments(d, 1.0, 64.0 / 12, -3.0, std::nextafter(5.0, 0.0));
    vokdbRandGaus(&dg, d.data(), n);
    expectMoments(d, 2.0, 9.0);
    long double k4 = 0;
    for (double x : d) k4 += std::pow((x - 2.0) / 3.0, 4);
    EXPECT_NEAR((double)(k4 / n), 3.0, 0.05);  // normal kurtosis
}

// Every entry point checks state, then buffer and length; the 16-bit uniform
// blocks check the length before the buffer and have texts of their own.
template <class K>
void expectRandomChecks(const std::string& fn, bool uniform16) {
    const char *ns = "Null pointer to state structure", *sp = "statePtr==0";
    const GeneratorTexts floating{"vokrand", ns, ns, ns, "Null pointer to data buffer", "Null length of buffer"};
    const GeneratorTexts u16{"vokrandw", sp, "((void*)(0))==statePtr", sp, "samps==0", "sampsLen<=0", nullptr, true};
    expectGeneratorChecks<K>(fn, uniform16 ? u16 : floating, typename K::P(1), typename K::M(0), typename K::M(1));
}

#define RANDOM_KIND(l, Stem, St, Seed, M, Out) \
    Generator<St, Seed, M, Out, vok##l##Stem##Init, vok##l##Stem, vok##l##b##Stem, 0.0>
TEST(RandomErrors, EveryEntryPointChecksInOrderReturnsZeroAndWritesNothing) {
    expectRandomChecks<RANDOM_KIND(s, RandUni, VokSRandUniState, float, float, float)>("voksRandUni", false);
    expectRandomChecks<RANDOM_KIND(c, RandUni, VokSRandUniState, float, float, FloatComplex)>("vokcRandUni", false);
    expectRandomChecks<RANDOM_KIND(d, RandUni, VokDRandUniState, double, double, double)>("vokdRandUni", false);
    expectRandomChecks<RANDOM_KIND(z, RandUni, VokDRandUniState, double, double, DoubleComplex)>("vokzRandUni", false);
    expectRandomChecks<RANDOM_KIND(w, RandUni, VokWRandUniState, unsigned, short, short)>("vokwRandUni", true);
    expectRandomChecks<RANDOM_KIND(v, RandUni, VokWRandUniState, unsigned, short, ShortComplex)>("vokvRandUni", true);
    expectRandomChecks<RANDOM_KIND(s, RandGaus, VokSRandGausState, float, float, float)>("voksRandGaus", false);
    expectRandomChecks<RANDOM_KIND(c, RandGaus, VokSRandGausState, float, float, FloatComplex)>("vokcRandGaus", false);
    expectRandomChecks<RANDOM_KIND(d, RandGaus, VokDRandGausState, double, double, double)>("vokdRandGaus", false);
    expectRandomChecks<RANDOM_KIND(z, RandGaus, VokDRandGausState, double, double, DoubleComplex)>("vokzRandGaus", false);
    expectRandomChecks<RANDOM_KIND(w, RandGaus, VokWRandGausState, unsigned, short, short)>("vokwRandGaus", false);
    expectRandomChecks<RANDOM_KIND(v, RandGaus, VokWRandGausState, unsigned, short, ShortComplex)>("vokvRandGaus", false);
}

}  // namespace
