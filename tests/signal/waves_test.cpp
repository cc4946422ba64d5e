// Tone and triangle generators: long runs against the wave evaluated from its
// phase in long double (the triangle's wrap branches at high frequency and
// strong asymmetry included), block and single calls as one sequence,
// starting points, parameter limits and the failure reports of every entry
// point.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "voktest/generators.h"
#include "voktest/reports.h"
#include "voktest/vector_calls.h"

namespace {

using namespace voktest;
constexpr long double kPiL = 3.141592653589793238462643383279503L;

struct Case { double f, p, a; };

// magnitude·(cos, sin) of 2π·f·n + phase.
template <class K, char L>
struct Tone : K {
    static std::string name() { return std::string("vok") + L + "Tone"; }
    static const char* module() { return K::integer ? "voktonew" : "voktone"; }
    using P = typename K::P;
    using M = typename K::M;
    static constexpr bool tri = false;
    static constexpr int runLength = 20000;
    static M magnitude() { return K::integer ? M(30000) : M(2.5); }
    static std::vector<Case> cases() {
        return {{0.1, 0.0, 0}, {0.013, 1.0, 0}, {0.25, 3.0, 0}, {0.37, 6.2, 0}, {0.4999, 0.5, 0}, {0.002, 2.5, 0}};
    }
    void start(const Case& c, M m) { this->init(P(c.f), P(c.p), m); }
    static Sample at(const Case& c, M m, long long n) {
        const long double angle = 2 * kPiL * (long double)P(c.f) * n + (long double)P(c.p);
        return {m * std::cos(angle), K::cplx ? m * std::sin(angle) : 0.0L};
    }
    // The recurrence loses about one rounding of ω per step; its error grows
    // linearly in n, faster at low frequencies where 1/sin ω amplifies it.
    static long double tolerance(const Case& c, M m, int n) {
        const double omega = 2 * 3.141592653589793 * double(P(c.f));
        const double drift = 1e-15 * n * (1 + 1 / std::sin(std::max(omega, 1e-3)));
        return double(m) * (K::eps + drift) + (K::integer ? 0.5 : 0);
    }
};

// Falls from +m over π + a, rises over π − a; the complex part runs a quarter
// of the symmetric period (shifted by a/2) behind.
template <class K, char L>
struct Triangle : K {
    static std::string name() { return std::string("vok") + L + "Trngl"; }
    static const char* module() { return "voktrngl"; }
    using P = typename K::P;
    using M = typename K::M;
    static constexpr bool tri = true;
    static constexpr int runLength = 4000;
    static M magnitude() { return K::integer ? M(20000) : M(2.5); }
    // Slow and fast waves, both asymmetries, and waves whose per-sample step is
    // longer than the short edge, which take the wrap branches.
    static std::vector<Case> cases() {
        return {{0.01, 0.0, 0.0}, {0.013, 1.0, 1.2}, {0.25, 3.0, -0.7}, {0.37, 6.2, 2.0}, {0.49, 0.5, 2.9},
                {0.49, 2.0, -2.9}, {0.45, 0.0, 3.1}, {0.003, 4.0, -3.0}, {0.2, 3.141592653589793, 0.0}};
    }
    void start(const Case& c, M m) { this->init(P(c.f), P(c.p), m, P(c.a)); }
    static long double wave(long double phase, long double m, long double a) {
        phase = std::fmod(phase, 2 * kPiL);
        if (phase < 0) phase += 2 * kPiL;
        const long double fall = kPiL + a, rise = kPiL - a;
        return phase < fall ? m * (1 - 2 * phase / fall) : m * (2 * (phase - fall) / rise - 1);
    }
    static Sample at(const Case& c, M m, long long n) {
        const long double a = P(c.a), phase = (long double)P(c.p) + 2 * kPiL * (long double)P(c.f) * n;
        return {wave(phase, m, a), K::cplx ? wave(phase + (3 * kPiL + a) / 2, m, a) : 0.0L};
    }
    // Each step rounds once, the steep edge's step setting its size; the error
    // grows at most linearly with the count.
    static long double tolerance(const Case& c, M m, int n) {
        const long double steep = 1 + 4 * kPiL * c.f / (kPiL - std::fabs(c.a));
        return (long double)m * steep * K::eps * (16 + 8.0 * n) + (K::integer ? 1 : 0);
    }
};

#define TONE(l, St, P, M, Out, eps) \
    Tone<Generator<St, P, M, Out, vok##l##ToneInit, vok##l##Tone, vok##l##bTone, eps>, (#l)[0]>
#define TRI(l, St, P, M, Out, eps) \
    Triangle<Generator<St, P, M, Out, vok##l##TrnglInit, vok##l##Trngl, vok##l##bTrngl, eps>, (#l)[0]>
using Kinds = ::testing::Types<
    TONE(s, VokSToneState, float, float, float, 6e-8), TONE(d, VokDToneState, double, double, double, 1.2e-16),
    TONE(c, VokCToneState, float, float, FloatComplex, 6e-8),
    TONE(z, VokZToneState, double, double, DoubleComplex, 1.2e-16),
    TONE(w, VokWToneState, float, short, short, 1.2e-16), TONE(v, VokWToneState, float, short, ShortComplex, 1.2e-16),
    TRI(s, VokSTrnglState, float, float, float, 6e-8), TRI(d, VokDTrnglState, double, double, double, 1.2e-16),
    TRI(c, VokCTrnglState, float, float, FloatComplex, 6e-8),
    TRI(z, VokZTrnglState, double, double, DoubleComplex, 1.2e-16),
    TRI(w, VokSTrnglState, float, short, short, 6e-8), TRI(v, VokCTrnglState, float, short, ShortComplex, 6e-8)>;

template <class Kind>
class Waves : public ::testing::Test {};
TYPED_TEST_SUITE(Waves, Kinds);

TYPED_TEST(Waves, LongRunsFollowTheDefinition) {
    using K = TypeParam;
    const auto m = K::magnitude();
    for (const Case& c : K::cases()) {
        K k;
        k.start(c, m);
        std::vector<Sample> got;
        k.block(got, K::runLength);
        long double worst = 0;
        int at = -1;
        for (int i = 0; i < K::runLength; ++i) {
            const Sample want = K::at(c, m, i);
            const long double e = std::max(std::fabs(got[i].real() - want.real()), std::fabs(got[i].imag() - want.imag()));
            if (e > worst) worst = e, at = i;
        }
        EXPECT_LE(worst, K::tolerance(c, m, K::runLength)) << "f=" << c.f << " p=" << c.p << " a=" << c.a << " at " << at;
    }
}

TYPED_TEST(Waves, SingleAndBlockCallsFormOneSequence) {
    using K = TypeParam;
    std::mt19937 rng(7);
    for (const Case& c : K::cases()) {
        K whole, mixed;
        whole.start(c, K::magnitude());
        mixed.start(c, K::magnitude());
        std::vector<Sample> a, b;
        whole.block(a, 700);
        while ((int)b.size() < 700) {
            const int take = std::min<int>(700 - (int)b.size(), (int)(rng() % 37));
            if (take == 0) b.push_back(mixed.one());
            else mixed.block(b, take);
        }
        ASSERT_EQ(a, b) << "f=" << c.f;
        if (K::tri) EXPECT_EQ(std::memcmp(&whole.st, &mixed.st, sizeof whole.st), 0);
    }
}

TYPED_TEST(Waves, ZeroFrequencyHoldsTheStartAndTheLimitsAreExclusive) {
    using K = TypeParam;
    using P = typename K::P;
    using M = typename K::M;
    const M m = K::magnitude();
    const Case still{0, 0.75, 0.3};
    K k;
    k.start(still, m);
    std::vector<Sample> s;
    k.block(s, 50);
    const long double tol = K::integer ? (K::tri ? 1 : 0.5L) : (K::tri ? 16 : 4) * K::eps * m;
    for (const Sample& v : s) EXPECT_EQ(v, s[0]);
    EXPECT_LE(std::abs(s[0] - K::at(still, m, 0)), tol);
    ReportRecorder rec;
    k.start({std::nextafter(P(0.5), P(0)), std::nextafter(P(6.283185307179586), P(0)), 0}, m);
    k.start({-0.0, -0.0, -0.0}, -M(0));  // negative zeros are not negative
    EXPECT_TRUE(rec.reports().empty());
    const char* freq = K::tri ? "Invalid frequence value" : "Invalid freq value";
    ReportSteps step(K::module());
    step(K::name() + "Init", freq, [&] { k.start({0.5, 0, 0}, 1); });
    step(K::name() + "Init", "Invalid phase value", [&] { k.start({0, 6.283185307179586, 0}, 1); });
    step(K::name() + "Init", "Invalid magnitude value", [&] { k.start({0, 0, 0}, M(-1)); });
    step(K::name() + "Init", freq, [&] { k.start({-(double)std::numeric_limits<P>::denorm_min(), 0, 0}, 1); });
}

// A triangle at phase 0 starts at the top and falls; at π + a it starts at the
// bottom and rises; a symmetric complex one has its imaginary part at 0, rising.
TYPED_TEST(Waves, TriangleStartingPoints) {
    using K = TypeParam;
    using P = typename K::P;
    if constexpr (K::tri) {
        const auto m = K::integer ? typename K::M(1000) : typename K::M(2);
        const long double tol = K::integer ? 0.5L : 8 * K::eps * m;
        K top, bottom, q;
        top.start({0.05, 0, 0.5}, m);
        const Sample t0 = top.one();
        EXPECT_NEAR((double)t0.real(), (double)m, (double)tol);
        EXPECT_LT(top.one().real(), t0.real());
        bottom.start({0.05, double(P(kPiL - 0.5)), -0.5}, m);
        const Sample b0 = bottom.one();
        EXPECT_NEAR((double)b0.real(), -(double)m, (double)(tol + 1e-6L * m));
        EXPECT_GT(bottom.one().real(), b0.real());
        if (K::cplx) {
            q.start({0.05, 0, 0}, m);
            const Sample q0 = q.one();
            EXPECT_NEAR((double)q0.imag(), 0.0, (double)tol);
            EXPECT_GT(q.one().imag(), q0.imag());
        }
    }
}

TYPED_TEST(Waves, FailuresOfEveryEntryPoint) {
    using K = TypeParam;
    using P = typename K::P;
    const std::string fn = K::name();
    if constexpr (K::tri)
        expectGeneratorChecks<K>(fn, {K::module(), "Null pointer to state", "Null pointer to state", "Null pointer to state",
                                      "Null pointer to buffer", "Invalid number of items"},
                                 P(0.1), P(0), typename K::M(1), P(0));
    else
        expectGeneratorChecks<K>(fn, {K::module(), "Null pointer to state",
                                      "Null pointer to state", "Null pointer to state", "Null input buffer pointer",
                                      "Bad number of items", "Structure initialization need"},
                                 P(0.1), P(0), typename K::M(1));
}

// Set-up checks run magnitude, frequency, phase (and asymmetry), then the
// state pointer; a tone record whose marker is spoiled is refused and left alone.
TEST(Waves, SetUpCheckOrderAndTheRecordMarker) {
    const char *mag = "Invalid magnitude value", *freq = "Invalid frequence value", *phase = "Invalid phase value";
    const char *asym = "Invalid asymmetry value", *state = "Null pointer to state";
    const double pi = 3.141592653589793;
    CheckTable tone("voktone"), tri("voktrngl");
    tone("vokzToneInit", vokzToneInit, {{2, mag, -1}, {0, "Invalid freq value", 0.6}, {1, phase, 7}, {3, state}},
         {0.1, 1, 1, tone.buffer<VokZToneState>()});
    // Float parameters cannot hold -1e-300: it becomes an accepted -0.
    const std::vector<BadArg> floats = {{2, mag, -1}, {0, freq, 0.5}, {1, phase, 7}, {3, asym, 3.5}, {4, state}};
    const std::vector<BadArg> doubles = {{2, mag, -1},         {0, freq, 0.5},      {0, freq, -1e-300},
                                         {1, phase, 2 * pi},   {1, phase, -1e-300}, {3, asym, pi},
                                         {3, asym, -pi},       {4, state}};
    tri("vokzTrnglInit", vokzTrnglInit, doubles, {0.1, 1, 1, 0, tri.buffer<VokZTrnglState>()});
    tri("vokcTrnglInit", vokcTrnglInit, floats, {0.1f, 1, 1, 0, tri.buffer<VokCTrnglState>()});
    tri("vokvTrnglInit", vokvTrnglInit, floats, {0.1f, 1, 1, 0, tri.buffer<VokCTrnglState>()});
    VokSToneState st;
    voksToneInit(0.1f, 0, 1, &st);
    VokSToneState spoiled = st;
    spoiled.marker[2] = 'Y';
    const VokSToneState spoiledBefore = spoiled;
    Sentinel s(64);
    const char* init = "Structure initialization need";
    const int bad = VOK_StatusBadArg;
    EXPECT_EACH_REPORTS({[&] { voksbTone(&spoiled, s.as<float>(), 4); }, {bad, "voksbTone", init, "voktone"}},
                        {[&] { EXPECT_EQ(voksTone(&spoiled), 0.0f); }, {bad, "voksTone", init, "voktone"}});
    EXPECT_TRUE(s.untouched());
    EXPECT_EQ(std::memcmp(&spoiled, &spoiledBefore, sizeof spoiled), 0);
    // Negative zeros are accepted; so is the asymmetry just inside ±π.
    ReportRecorder rec;
    VokSTrnglState ss;
    VokDTrnglState d;
    voksTrnglInit(-0.0f, -0.0f, -0.0f, std::nextafter(3.14159265f, 0.0f), &ss);
    vokdTrnglInit(0.1, 0.0, 1.0, std::nextafter(-pi, 0.0), &d);
    vokwTrnglInit(0.1f, 0.0f, 5, 0.0f, &ss);
    EXPECT_TRUE(rec.reports().empty());
}

TEST(Tone, SixteenBitSamplesRoundToNearestEvenAndBlocksDrainTheBufferFirst) {
    VokWToneState a, b;
    vokwToneInit(0.0f, 0.0f, 12345, &a);  // freq 0: every sample is the rounded magnitude·cos(phase)
    EXPECT_EQ(vokwTone(&a), 12345);
    vokvToneInit(0.0f, float(std::acos(0.5)), 3, &a);  // 1.5 and 2.598...
    const ShortComplex v = vokvTone(&a);
    EXPECT_EQ(v.re, short(std::nearbyint(3 * std::cos(double(float(std::acos(0.5)))))));
    EXPECT_EQ(v.im, 3);
    vokwToneInit(0.05f, 0.3f, 20000, &a);
    vokwToneInit(0.05f, 0.3f, 20000, &b);
    std::vector<short> want(100), got, part(40);
    vokwbTone(&a, want.data(), 100);
    for (int i = 0; i < 5; ++i) got.push_back(vokwTone(&b));  // fills the buffer, 27 left
    EXPECT_EQ(b.bufIndex, 5);
    vokwbTone(&b, part.data(), 40);  // 27 from the buffer, 13 generated
    EXPECT_EQ(b.bufIndex, 32);
    got.insert(got.end(), part.begin(), part.end());
    while (got.size() < 100) got.push_back(vokwTone(&b));
    EXPECT_EQ(got, want);
}

}  // namespace
