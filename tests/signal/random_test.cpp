// Random generators: exact sequences for fixed seeds against the integer core written out below from its definition,
// single and block calls as one sequence, moments over 10^6 samples, and the failure reports of every kind.
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

// The shared core: subtract-with-borrow plus congruential, seeded by the 15-bit auxiliary one (members in that order).
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
            x = std::int32_t(k.next()) * 4.656612873077e-10;
            y = std::int32_t(k.next()) * 4.656612873077e-10;
            s = x * x + y * y;
        } while (s >= 1.0 || s == 0.0);
        const double f = std::sqrt(-2.0 * std::log(s) / s);
        out.insert(out.end(), {mean + sd * y * f, mean + sd * x * f});
    }
    return out;
}

// 16-bit uniform samples after Init: `runs` buffer refills (count 32) or block calls of `count` samples.
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
            out.insert(out.end(), {value(d2 + Core::step(k.l)), value(d1 + Core::step(l2))});
        }
    }
    return out;
}

// Seeds as floating values: the same low 32 bits through a 64-bit integer.
double floatingSeed(U32 seed) { return seed >= 0x80000000u ? (double)(std::int32_t)seed : (double)seed; }

TEST(RandomSequences, SixteenBitUniformMatchesTheBufferedPairs) {
    const struct { U32 seed; short low, high; } rows[] = {{0, -1000, 1000}, {12345, -32768, 32767}, {99, 5, 5},
                                                          {4000000000u, 300, -300}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.seed);
        const std::vector<short> v = uniform16(r.seed, r.low, r.high, 32, 2);
        VokWRandUniState w, c;
        vokwRandUniInit(r.seed, r.low, r.high, &w);
        vokvRandUniInit(r.seed, r.low, r.high, &c);
        std::vector<short> got(7);
        // The complex form takes pairs; blocks draw past the buffer, not from it (changing the next refill).
        for (size_t i = 0; i < v.size(); i += 2) {
            if (i == 4) vokwbRandUni(&w, got.data(), 7);
            const ShortComplex z = vokvRandUni(&c);
            ASSERT_TRUE(z.re == v[i] && z.im == v[i + 1]) << i;
            if (i < 32) ASSERT_TRUE(vokwRandUni(&w) == v[i] && vokwRandUni(&w) == v[i + 1]) << i;
        }
        for (int n : {7, 1}) {  // a block of odd length starts with one single-stream sample; complex ones draw pairs
            std::vector<short> block(size_t(n), 0x5A5A), pairs(2 * size_t(n) + 2, 0x5A5A);
            vokwRandUniInit(r.seed, r.low, r.high, &w);
            vokwbRandUni(&w, block.data(), n);
            EXPECT_EQ(block, uniform16(r.seed, r.low, r.high, n, 1)) << n;
            vokvRandUniInit(r.seed, r.low, r.high, &c);
            vokvbRandUni(&c, reinterpret_cast<ShortComplex*>(pairs.data()), n);
            std::vector<short> want = uniform16(r.seed, r.low, r.high, 2 * n, 1);
            want.insert(want.end(), {0x5A5A, 0x5A5A});  // the guard after the block
            EXPECT_EQ(pairs, want) << "complex " << n;
        }
    }
}

// The core's samples: inside [lo, hi], mean within 5 standard errors, variance within 1%, uniform/normal kurtosis.
void expectMoments(const std::vector<double>& v, double mean, double var, double lo = -1e300, double hi = 1e300) {
    long double s = 0, s2 = 0, k4 = 0;
    for (double x : v) {
        ASSERT_TRUE(x >= lo && x <= hi) << x;
        s += x;
    }
    const long double m = s / v.size();
    for (double x : v) s2 += (x - m) * (x - m), k4 += std::pow((x - m) / std::sqrt(var), 4);
    EXPECT_NEAR((double)m, mean, 5 * std::sqrt(var / v.size()) + 1e-12);
    EXPECT_NEAR((double)(s2 / (v.size() - 1)), var, 0.01 * var);
    EXPECT_NEAR((double)(k4 / v.size()), lo < -1e299 ? 3.0 : 1.8, 0.05);  // normal and uniform kurtosis
}

TEST(RandomStatistics, RangeAndMomentsOfTheCore) {
    std::vector<double> d(1000000);
    VokDRandUniState du;
    VokDRandGausState dg;
    vokdRandUniInit(2024.0, -3.0, 5.0, &du);
    vokdbRandUni(&du, d.data(), (int)d.size());
    expectMoments(d, 1.0, 64.0 / 12, -3.0, std::nextafter(5.0, 0.0));
    vokdRandGausInit(31.0, 2.0, 3.0, &dg);
    vokdbRandGaus(&dg, d.data(), (int)d.size());
    expectMoments(d, 2.0, 9.0);
}

// Every kind behind one interface; 16-bit uniform blocks bypass the singles' buffer, so only they are not one sequence.
template <class G, char L, bool Gaus>
struct Random : G {
    static std::string name() { return std::string("vok") + L + (Gaus ? "RandGaus" : "RandUni"); }
    static constexpr bool u16 = G::integer && !Gaus, gaus = Gaus;
};
#define RANDOM(l, Stem, St, Seed, M, Out) \
    Random<Generator<St, Seed, M, Out, vok##l##Stem##Init, vok##l##Stem, vok##l##b##Stem, 0.0>, #l[0], #Stem[4] == 'G'>
#define RANDOM_BOTH(l, T, Seed, M, Out) \
    RANDOM(l, RandUni, Vok##T##RandUniState, Seed, M, Out), RANDOM(l, RandGaus, Vok##T##RandGausState, Seed, M, Out)
using Kinds = ::testing::Types<
    RANDOM_BOTH(s, S, float, float, float), RANDOM_BOTH(c, S, float, float, FloatComplex),
    RANDOM_BOTH(d, D, double, double, double), RANDOM_BOTH(z, D, double, double, DoubleComplex),
    RANDOM_BOTH(w, W, unsigned, short, short), RANDOM_BOTH(v, W, unsigned, short, ShortComplex)>;

template <class Kind>
class RandomKinds : public ::testing::Test {};
TYPED_TEST_SUITE(RandomKinds, Kinds);

// Blocks follow the core for fixed seeds (a and b the bounds, or the mean and deviation): uniform samples are
// offset + scale·u (complex ones take consecutive draws, re first), Gaussians the polar method in double (float
// ones within their rounding, 16-bit ones truncated from float where mean and deviation are whole). The 16-bit
// uniform blocks have a test of their own; the others' single and block calls form one sequence.
TYPED_TEST(RandomKinds, BlocksFollowTheCoreForFixedSeedsAsOneSequence) {
    using K = TypeParam;
    using M = typename K::M;
    if constexpr (!K::u16) expectOneSequence<K>(700, [](K& k) { k.init(42, 100, 300); }, true);
    const struct { U32 seed; double a, b; } rows[] = {{0, 0, 1}, {1, -2, 3}, {12345, 3, 2}, {0xFFFFFFF9u, -1.5, 0.25},
                                                      {777, 0, -1}, {0x80000000u, 10, 20}, {0xFFFFFFFFu, -1, 1}};
    for (const auto& r : rows) {
        if (K::u16 || (K::integer && (M(r.a) != r.a || M(r.b) != r.b))) continue;
        SCOPED_TRACE(r.seed);
        K k;
        // Floating seeds truncate toward zero and keep their low 32 bits: double ones come with a fraction, away
        // from zero, the non-negative ones 2^32 higher.
        const double seed = floatingSeed(r.seed), wide = seed < 0 ? seed - 0.9 : seed + 0x1p32 + 0.99;
        k.init(typename K::P(K::integer ? double(r.seed) : sizeof(typename K::P) == 8 ? wide : seed), M(r.a), M(r.b));
        std::vector<Sample> got;
        k.block(got, K::cplx ? 15 : 30);
        const std::vector<double> gauss = gaussians(r.seed, r.a, r.b, 30);
        Core core(r.seed, 0);
        for (int i = 0; i < 5; ++i) core.next();
        if constexpr (!K::gaus)
            EXPECT_TRUE(k.st.offset == M((r.a + r.b) / 2) && k.st.scale == M(std::ldexp(r.b - r.a, -32)));
        for (int i = 0; i < 30; ++i) {
            const Sample& z = got[K::cplx ? i / 2 : i];
            const long double x = K::cplx && i % 2 ? z.imag() : z.real(), w = gauss[i];
            if constexpr (!K::gaus) {
                ASSERT_EQ(x, (M)uniform(k.st.offset, k.st.scale, core.next())) << i;
            } else if constexpr (K::integer) {
                ASSERT_EQ(x, std::trunc((float)w)) << i;
            } else {
                ASSERT_NEAR(double(x), w, (sizeof(M) == 4 ? 4e-7 : 1e-15) * (1 + std::fabs(w))) << i;
            }
        }
        if constexpr (K::gaus && !K::cplx) {  // the second of a pair comes from the record
            k.one();
            EXPECT_EQ(k.st.pairFlag, 1);
            k.one();
            EXPECT_EQ(k.st.pairFlag, 0);
        }
    }
}

// State, then buffer and length; the 16-bit uniform blocks check the length first and have texts of their own.
TYPED_TEST(RandomKinds, FailuresOfEveryEntryPoint) {
    using K = TypeParam;
    const char *ns = "Null pointer to state structure", *sp = "statePtr==0";
    const GeneratorTexts floating{"vokrand", ns, ns, ns, "Null pointer to data buffer", "Null length of buffer"};
    const GeneratorTexts u16{"vokrandw", sp, "((void*)(0))==statePtr", sp, "samps==0", "sampsLen<=0", nullptr, true};
    expectGeneratorChecks<K>(K::name(), K::u16 ? u16 : floating, typename K::P(1), typename K::M(0), typename K::M(1));
}

}  // namespace
