// Triangle generator: long runs against the piecewise-linear wave evaluated
// from its phase in long double (including the wrap branches at high
// frequency and strong asymmetry), block and single calls as one sequence,
// the starting points, and the failure reports of every entry point.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <vector>

#include "signal/generators.h"
#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Generator;
using voktest::Sample;
using voktest::toSample;
constexpr long double kPiL = 3.141592653589793238462643383279503L;

using SKind = Generator<VokSTrnglState, float, float, float, voksTrnglInit, voksTrngl, voksbTrngl, 6e-8>;
using DKind = Generator<VokDTrnglState, double, double, double, vokdTrnglInit, vokdTrngl, vokdbTrngl, 1.2e-16>;
using CKind = Generator<VokCTrnglState, float, float, FloatComplex, vokcTrnglInit, vokcTrngl, vokcbTrngl, 6e-8>;
using ZKind = Generator<VokZTrnglState, double, double, DoubleComplex, vokzTrnglInit, vokzTrngl, vokzbTrngl, 1.2e-16>;
using WKind = Generator<VokSTrnglState, float, short, short, vokwTrnglInit, vokwTrngl, vokwbTrngl, 6e-8>;
using VKind = Generator<VokCTrnglState, float, short, ShortComplex, vokvTrnglInit, vokvTrngl, vokvbTrngl, 6e-8>;

// The wave at a phase in [0, 2π): falls from +m over π + a, rises over π − a.
long double wave(long double phase, long double m, long double a) {
    const long double fall = kPiL + a, rise = kPiL - a;
    if (phase < fall) return m * (1 - 2 * phase / fall);
    return m * (2 * (phase - fall) / rise - 1);
}

long double wrapPhase(long double phase) {
    long double p = std::fmod(phase, 2 * kPiL);
    return p < 0 ? p + 2 * kPiL : p;
}

template <class Kind>
Sample definition(typename Kind::P f, typename Kind::P p, typename Kind::M m, typename Kind::P a, long long n) {
    const long double phase = (long double)p + 2 * kPiL * (long double)f * n;
    const long double re = wave(wrapPhase(phase), m, a);
    if (!Kind::cplx) return re;
    return {re, wave(wrapPhase(phase + (3 * kPiL + (long double)a) / 2), m, a)};
}

template <class Kind>
class TrnglKinds : public ::testing::Test {};
using Kinds = ::testing::Types<SKind, DKind, CKind, ZKind, WKind, VKind>;
TYPED_TEST_SUITE(TrnglKinds, Kinds);

struct Case { double f, p, a; };
// Slow and fast waves, both asymmetries, and waves whose per-sample step is
// longer than the short edge, which take the wrap branches.
const Case kCases[] = {{0.01, 0.0, 0.0},  {0.013, 1.0, 1.2}, {0.25, 3.0, -0.7}, {0.37, 6.2, 2.0},
                       {0.49, 0.5, 2.9},  {0.49, 2.0, -2.9}, {0.45, 0.0, 3.1},  {0.003, 4.0, -3.0},
                       {0.2, 3.141592653589793, 0.0}};

TYPED_TEST(TrnglKinds, LongRunsFollowTheWave) {
    using K = TypeParam;
    using P = typename K::P;
    using M = typename K::M;
    const int n = 4000;
    const M m = K::integer ? M(20000) : M(2.5);
    for (const Case& c : kCases) {
        const P f = P(c.f), p = P(c.p), a = P(c.a);
        K k;
        k.init(f, p, m, a);
        std::vector<Sample> got;
        k.block(got, n);
        // Each step rounds once; the error grows at most linearly with the count.
        // The steep edge's step sets the size of each rounding.
        const long double steep = 1 + 4 * kPiL * c.f / (kPiL - std::fabs(c.a));
        const long double drift = (long double)m * steep * K::eps * (16 + 8.0 * n);
        const long double tol = K::integer ? 1.0L + drift : drift;
        long double worst = 0;
        int at = -1;
        for (int i = 0; i < n; ++i) {
            const long double e = std::abs(got[i] - definition<K>(f, p, m, a, i));
            if (e > worst) { worst = e; at = i; }
        }
        EXPECT_LE(worst, tol) << "f=" << c.f << " p=" << c.p << " a=" << c.a << " at " << at;
    }
}

TYPED_TEST(TrnglKinds, SingleAndBlockCallsFormOneSequence) {
    using K = TypeParam;
    using P = typename K::P;
    using M = typename K::M;
    const M m = K::integer ? M(1234) : M(0.75);
    std::mt19937 rng(7);
    for (const Case& c : kCases) {
        K whole, mixed;
        whole.init(P(c.f), P(c.p), m, P(c.a));
        mixed.init(P(c.f), P(c.p), m, P(c.a));
        std::vector<Sample> a, b;
        whole.block(a, 700);
        while ((int)b.size() < 700) {
            const int take = std::min<int>(700 - (int)b.size(), (int)(rng() % 37));
            if (take == 0) b.push_back(mixed.one());
            else mixed.block(b, take);
        }
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i], b[i]) << "sample " << i << " f=" << c.f;
        EXPECT_EQ(std::memcmp(&whole.st, &mixed.st, sizeof whole.st), 0);
    }
}

TYPED_TEST(TrnglKinds, StartingPointsAndConstants) {
    using K = TypeParam;
    using P = typename K::P;
    using M = typename K::M;
    const M m = K::integer ? M(1000) : M(2);
    const long double tol = K::integer ? 0.5L : 8 * K::eps * m;
    // Phase 0 starts at the top and falls.
    K top;
    top.init(P(0.05), P(0), m, P(0.5));
    const Sample t0 = top.one(), t1 = top.one();
    EXPECT_NEAR((double)t0.real(), (double)m, (double)tol);
    EXPECT_LT(t1.real(), t0.real());
    // Phase π + a starts at the bottom and rises.
    K bottom;
    const P a = P(-0.5);
    bottom.init(P(0.05), P(kPiL + a), m, a);
    const Sample b0 = bottom.one(), b1 = bottom.one();
    EXPECT_NEAR((double)b0.real(), -(double)m, (double)(tol + 1e-6L * m));
    EXPECT_GT(b1.real(), b0.real());
    // A symmetric complex wave has its imaginary part a quarter period late: 0, rising.
    if (K::cplx) {
        K q;
        q.init(P(0.05), P(0), m, P(0));
        const Sample q0 = q.one(), q1 = q.one();
        EXPECT_NEAR((double)q0.imag(), 0.0, (double)tol);
        EXPECT_GT(q1.imag(), q0.imag());
    }
    // Zero frequency holds the starting value, the largest accepted one keeps running.
    K still;
    still.init(P(0), P(1.0), m, P(0.3));
    std::vector<Sample> s;
    still.block(s, 50);
    for (const Sample& v : s) EXPECT_EQ(v, s[0]);
    EXPECT_LE(std::abs(s[0] - definition<K>(P(0), P(1.0), m, P(0.3), 0)), 2 * tol);
    K fast;
    ReportRecorder rec;
    fast.init(std::nextafter(P(0.5), P(0)), P(0), m, P(0));
    EXPECT_TRUE(rec.reports().empty());
}

TEST(TrnglErrors, EveryEntryPointChecksInOrderAndWritesNothing) {
    const int bad = VOK_StatusBadArg;
    const char *m = "voktrngl", *ns = "Null pointer to state", *nb = "Null pointer to buffer";
    const char *nn = "Invalid number of items", *mag = "Invalid magnitude value", *freq = "Invalid frequence value";
    const char *phase = "Invalid phase value", *asym = "Invalid asymmetry value";
    const double pi = 3.141592653589793;
    voktest::Sentinel zs(sizeof(VokZTrnglState)), out(16 * sizeof(DoubleComplex));
    auto* zi = zs.as<VokZTrnglState>();
    VokSTrnglState s;
    VokCTrnglState c;
    VokDTrnglState d;
    VokZTrnglState z;
    voksTrnglInit(0.1f, 0, 1, 0, &s);
    vokcTrnglInit(0.1f, 0, 1, 0, &c);
    vokdTrnglInit(0.1, 0, 1, 0, &d);
    vokzTrnglInit(0.1, 0, 1, 0, &z);
    const VokSTrnglState s0 = s;
    const VokCTrnglState c0 = c;
    const VokDTrnglState d0 = d;
    const VokZTrnglState z0 = z;
    EXPECT_EACH_REPORTS(
        {[&] { vokzTrnglInit(0.6, 7.0, -1.0, 4.0, zi); }, {bad, "vokzTrnglInit", mag, m}},  // magnitude first
        {[&] { vokzTrnglInit(0.5, 7.0, 1.0, 4.0, zi); }, {bad, "vokzTrnglInit", freq, m}},
        {[&] { vokzTrnglInit(-1e-300, 7.0, 1.0, 4.0, zi); }, {bad, "vokzTrnglInit", freq, m}},
        {[&] { vokzTrnglInit(0.1, 2 * pi, 1.0, 4.0, zi); }, {bad, "vokzTrnglInit", phase, m}},
        {[&] { vokzTrnglInit(0.1, -1e-300, 1.0, 4.0, zi); }, {bad, "vokzTrnglInit", phase, m}},
        {[&] { vokzTrnglInit(0.1, 1.0, 1.0, pi, zi); }, {bad, "vokzTrnglInit", asym, m}},
        {[&] { vokzTrnglInit(0.1, 1.0, 1.0, -pi, zi); }, {bad, "vokzTrnglInit", asym, m}},
        {[&] { vokzTrnglInit(0.1, 1.0, 1.0, 0.0, nullptr); }, {bad, "vokzTrnglInit", ns, m}},
        // Every other Init reports under its own name.
        {[&] { VokSTrnglState t; voksTrnglInit(0.1f, 0, -1, 0, &t); }, {bad, "voksTrnglInit", mag, m}},
        {[&] { VokCTrnglState t; vokcTrnglInit(0.1f, 7, 1, 0, &t); }, {bad, "vokcTrnglInit", phase, m}},
        {[&] { VokSTrnglState t; vokwTrnglInit(0.1f, 0, -1, 0, &t); }, {bad, "vokwTrnglInit", mag, m}},
        {[&] { VokCTrnglState t; vokvTrnglInit(0.1f, 0, 1, 3.5f, &t); }, {bad, "vokvTrnglInit", asym, m}},
        {[&] { vokdTrnglInit(0.7, 0, 1, 0, nullptr); }, {bad, "vokdTrnglInit", freq, m}},
        // Generators return zero, blocks check state, buffer, length.
        {[&] { EXPECT_EQ(voksTrngl(nullptr), 0.0f); }, {bad, "voksTrngl", ns, m}},
        {[&] { EXPECT_EQ(vokdTrngl(nullptr), 0.0); }, {bad, "vokdTrngl", ns, m}},
        {[&] { EXPECT_EQ(toSample(vokcTrngl(nullptr)), Sample(0)); }, {bad, "vokcTrngl", ns, m}},
        {[&] { EXPECT_EQ(toSample(vokzTrngl(nullptr)), Sample(0)); }, {bad, "vokzTrngl", ns, m}},
        {[&] { EXPECT_EQ(vokwTrngl(nullptr), 0); }, {bad, "vokwTrngl", ns, m}},
        {[&] { EXPECT_EQ(toSample(vokvTrngl(nullptr)), Sample(0)); }, {bad, "vokvTrngl", ns, m}},
        {[&] { voksbTrngl(nullptr, nullptr, 0); }, {bad, "voksbTrngl", ns, m}},
        {[&] { voksbTrngl(&s, nullptr, 0); }, {bad, "voksbTrngl", nb, m}},
        {[&] { voksbTrngl(&s, out.as<float>(), 0); }, {bad, "voksbTrngl", nn, m}},
        {[&] { vokdbTrngl(&d, out.as<double>(), -3); }, {bad, "vokdbTrngl", nn, m}},
        {[&] { vokcbTrngl(&c, nullptr, 4); }, {bad, "vokcbTrngl", nb, m}},
        {[&] { vokzbTrngl(nullptr, out.as<DoubleComplex>(), 4); }, {bad, "vokzbTrngl", ns, m}},
        {[&] { vokwbTrngl(&s, out.as<short>(), 0); }, {bad, "vokwbTrngl", nn, m}},
        {[&] { vokvbTrngl(&c, nullptr, 1); }, {bad, "vokvbTrngl", nb, m}});
    EXPECT_TRUE(zs.untouched());
    EXPECT_TRUE(out.untouched());
    EXPECT_EQ(std::memcmp(&s, &s0, sizeof s), 0);
    EXPECT_EQ(std::memcmp(&c, &c0, sizeof c), 0);
    EXPECT_EQ(std::memcmp(&d, &d0, sizeof d), 0);
    EXPECT_EQ(std::memcmp(&z, &z0, sizeof z), 0);

    // Negative zeros are accepted; so is the asymmetry just inside ±π.
    ReportRecorder rec;
    voksTrnglInit(-0.0f, -0.0f, -0.0f, std::nextafter(3.14159265f, 0.0f), &s);
    vokdTrnglInit(0.1, 0.0, 1.0, std::nextafter(-pi, 0.0), &d);
    vokwTrnglInit(0.1f, 0.0f, 5, 0.0f, &s);
    EXPECT_TRUE(rec.reports().empty());
}

}  // namespace
