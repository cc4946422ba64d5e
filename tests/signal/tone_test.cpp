// Tone generator: long runs against magnitude·cos/sin of the definition in
// long double, block and single calls as one sequence, parameter limits and
// the failure reports of every entry point.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
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
constexpr long double kTwoPiL = 6.283185307179586476925286766559L;

using SKind = Generator<VokSToneState, float, float, float, voksToneInit, voksTone, voksbTone, 6e-8>;
using DKind = Generator<VokDToneState, double, double, double, vokdToneInit, vokdTone, vokdbTone, 1.2e-16>;
using CKind = Generator<VokCToneState, float, float, FloatComplex, vokcToneInit, vokcTone, vokcbTone, 6e-8>;
using ZKind = Generator<VokZToneState, double, double, DoubleComplex, vokzToneInit, vokzTone, vokzbTone, 1.2e-16>;
using WKind = Generator<VokWToneState, float, short, short, vokwToneInit, vokwTone, vokwbTone, 1.2e-16>;
using VKind = Generator<VokWToneState, float, short, ShortComplex, vokvToneInit, vokvTone, vokvbTone, 1.2e-16>;

template <class Kind>
Sample definition(typename Kind::P f, typename Kind::P p, typename Kind::M m, long long n) {
    const long double angle = kTwoPiL * (long double)f * n + (long double)p;
    return {m * std::cos(angle), Kind::cplx ? m * std::sin(angle) : 0.0L};
}

template <class Kind>
class ToneKinds : public ::testing::Test {};
using Kinds = ::testing::Types<SKind, DKind, CKind, ZKind, WKind, VKind>;
TYPED_TEST_SUITE(ToneKinds, Kinds);

TYPED_TEST(ToneKinds, LongRunsFollowTheSinusoid) {
    using K = TypeParam;
    using P = typename K::P;
    using M = typename K::M;
    const int n = 20000;
    struct Case { double f, p; };
    for (Case c : {Case{0.1, 0.0}, Case{0.013, 1.0}, Case{0.25, 3.0}, Case{0.37, 6.2}, Case{0.4999, 0.5},
                   Case{0.002, 2.5}}) {
        const P f = P(c.f), p = P(c.p);
        const M m = K::integer ? M(30000) : M(2.5);
        SCOPED_TRACE(testing::Message() << "f=" << c.f << " phase=" << c.p);
        K kind;
        kind.init(f, p, m);
        std::vector<Sample> got;
        kind.block(got, n);
        // The recurrence loses about one rounding of ω per step; its error grows
        // linearly in n, faster at low frequencies where 1/sin ω amplifies it.
        const double omega = 2 * 3.141592653589793 * double(f);
        const double drift = 1e-15 * n * (1 + 1 / std::sin(std::max(omega, 1e-3)));
        for (int i = 0; i < n; ++i) {
            const Sample want = definition<K>(f, p, m, i);
            double tol = double(m) * (K::eps + drift);
            if (K::integer) tol += 0.5;
            const double err = std::max(std::fabs(double(got[i].real() - want.real())),
                                        std::fabs(double(got[i].imag() - want.imag())));
            if (err > tol) {
                ADD_FAILURE() << "sample " << i << " got " << double(got[i].real()) << "," << double(got[i].imag())
                              << " want " << double(want.real()) << "," << double(want.imag());
                break;
            }
        }
    }
}

TYPED_TEST(ToneKinds, SingleAndBlockCallsMakeOneSequence) {
    using K = TypeParam;
    K whole, mixed;
    whole.init(0.0731f, 1.25f, 1000);
    mixed.init(0.0731f, 1.25f, 1000);
    std::vector<Sample> want, got;
    whole.block(want, 400);
    std::mt19937 gen(5);
    while (int(got.size()) < 400) {
        const int len = std::min(400 - int(got.size()), int(gen() % 40));
        if (len == 0) got.push_back(mixed.one());
        else mixed.block(got, len);
    }
    EXPECT_EQ(got, want);
}

TYPED_TEST(ToneKinds, ZeroFrequencyIsConstantAndTheLimitsAreExclusive) {
    using K = TypeParam;
    using P = typename K::P;
    using M = typename K::M;
    K kind;
    kind.init(0, P(0.75), M(100));
    const Sample want{100 * std::cos(0.75L), K::cplx ? 100 * std::sin(0.75L) : 0.0L};
    for (int i = 0; i < 50; ++i) {
        const Sample v = kind.one();
        const double tol = K::integer ? 0.5 : 100 * 4 * K::eps;
        ASSERT_NEAR(double(v.real()), double(want.real()), tol);
        ASSERT_NEAR(double(v.imag()), double(want.imag()), tol);
    }
    ReportRecorder rec;
    const P belowHalf = std::nextafter(P(0.5), P(0)), belowTwoPi = std::nextafter(P(6.283185307179586), P(0));
    kind.init(belowHalf, belowTwoPi, 0);  // accepted
    kind.init(-P(0), -P(0), -M(0));       // negative zeros are not negative
    EXPECT_TRUE(rec.reports().empty());
    kind.init(P(0.5), 0, 1);
    kind.init(0, P(6.283185307179586), 1);
    kind.init(0, 0, M(-1));
    kind.init(-std::numeric_limits<P>::denorm_min(), 0, 1);
    ASSERT_EQ(rec.reports().size(), 4u);
    EXPECT_EQ(rec.reports()[0].context, "Invalid freq value");
    EXPECT_EQ(rec.reports()[1].context, "Invalid phase value");
    EXPECT_EQ(rec.reports()[2].context, "Invalid magnitude value");
    EXPECT_EQ(rec.reports()[3].context, "Invalid freq value");
}

TEST(Tone, SixteenBitSamplesRoundToNearestEven) {
    // freq 0: every sample is the rounded magnitude·cos(phase).
    VokWToneState w;
    vokwToneInit(0.0f, 0.0f, 12345, &w);
    EXPECT_EQ(vokwTone(&w), 12345);
    vokvToneInit(0.0f, float(std::acos(0.5)), 3, &w);  // 1.5 and 2.598...
    const ShortComplex v = vokvTone(&w);
    EXPECT_EQ(v.re, short(std::nearbyint(3 * std::cos(double(float(std::acos(0.5)))))));
    EXPECT_EQ(v.im, 3);
}

TEST(Tone, SixteenBitBlockDrainsTheBufferFirst) {
    VokWToneState a, b;
    vokwToneInit(0.05f, 0.3f, 20000, &a);
    vokwToneInit(0.05f, 0.3f, 20000, &b);
    std::vector<short> want(100);
    vokwbTone(&a, want.data(), 100);
    std::vector<short> got;
    for (int i = 0; i < 5; ++i) got.push_back(vokwTone(&b));  // fills the buffer, 27 left
    EXPECT_EQ(b.bufIndex, 5);
    std::vector<short> part(40);
    vokwbTone(&b, part.data(), 40);  // 27 from the buffer, 13 generated
    EXPECT_EQ(b.bufIndex, 32);
    got.insert(got.end(), part.begin(), part.end());
    while (got.size() < 100) got.push_back(vokwTone(&b));
    EXPECT_EQ(got, want);
}

TEST(Tone, FailuresAreReportedInOrderAndWriteNothing) {
    const int bad = VOK_StatusBadArg;
    const char *m = "voktone", *mw = "voktonew", *init = "Structure initialization need";
    voktest::Sentinel s(sizeof(VokZToneState)), out(16 * sizeof(double));
    auto* z = s.as<VokZToneState>();
    VokSToneState st;
    voksToneInit(0.1f, 0, 1, &st);
    const VokSToneState before = st;
    VokSToneState spoiled = st;
    spoiled.marker[2] = 'Y';
    const VokSToneState spoiledBefore = spoiled;
    VokWToneState w{};
    VokCToneState c{};
    VokDToneState d{};
    EXPECT_EACH_REPORTS(
        {[&] { vokzToneInit(0.6, 7.0, -1.0, z); }, {bad, "vokzToneInit", "Invalid magnitude value", m}},
        {[&] { vokzToneInit(0.6, 7.0, 1.0, z); }, {bad, "vokzToneInit", "Invalid freq value", m}},
        {[&] { vokzToneInit(0.1, 7.0, 1.0, z); }, {bad, "vokzToneInit", "Invalid phase value", m}},
        {[&] { vokzToneInit(0.1, 1.0, 1.0, nullptr); }, {bad, "vokzToneInit", "Null pointer to state", m}},
        {[&] { EXPECT_TRUE(toSample(vokzTone(z)) == Sample(0)); }, {bad, "vokzTone", init, m}},
        {[&] { EXPECT_EQ(voksTone(nullptr), 0.0f); }, {bad, "voksTone", "Null pointer to state", m}},
        {[&] { voksbTone(nullptr, nullptr, 0); }, {bad, "voksbTone", "Null pointer to state", m}},
        {[&] { voksbTone(&st, nullptr, 0); }, {bad, "voksbTone", "Null input buffer pointer", m}},
        {[&] { voksbTone(&st, out.as<float>(), 0); }, {bad, "voksbTone", "Bad number of items", m}},
        {[&] { voksbTone(&spoiled, out.as<float>(), 4); }, {bad, "voksbTone", init, m}},
        {[&] { EXPECT_EQ(voksTone(&spoiled), 0.0f); }, {bad, "voksTone", init, m}},
        // Every remaining entry point, each with its own name and module.
        {[&] { vokdbTone(&d, out.as<double>(), 3); }, {bad, "vokdbTone", init, m}},
        {[&] { vokcbTone(&c, out.as<FloatComplex>(), 3); }, {bad, "vokcbTone", init, m}},
        {[&] { EXPECT_EQ(vokwTone(&w), 0); }, {bad, "vokwTone", init, mw}},
        {[&] { EXPECT_TRUE(toSample(vokvTone(&w)) == Sample(0)); }, {bad, "vokvTone", init, mw}},
        {[&] { vokwbTone(&w, nullptr, 3); }, {bad, "vokwbTone", "Null input buffer pointer", mw}},
        {[&] { vokvbTone(&w, out.as<ShortComplex>(), -1); }, {bad, "vokvbTone", "Bad number of items", mw}},
        {[&] { vokwToneInit(0.1f, 0.1f, -5, &w); }, {bad, "vokwToneInit", "Invalid magnitude value", mw}},
        {[&] { vokvToneInit(0.1f, 0.1f, 5, nullptr); }, {bad, "vokvToneInit", "Null pointer to state", mw}},
        {[&] { voksToneInit(0.1f, 0.1f, 5, nullptr); }, {bad, "voksToneInit", "Null pointer to state", m}},
        {[&] { vokcToneInit(0.1f, 0.1f, 5, nullptr); }, {bad, "vokcToneInit", "Null pointer to state", m}},
        {[&] { vokdToneInit(0.1, 0.1, 5, nullptr); }, {bad, "vokdToneInit", "Null pointer to state", m}},
        {[&] { EXPECT_EQ(vokdTone(&d), 0.0); }, {bad, "vokdTone", init, m}},
        {[&] { EXPECT_EQ(vokcTone(nullptr).re, 0.0f); }, {bad, "vokcTone", "Null pointer to state", m}},
        {[&] { vokzbTone(nullptr, nullptr, 1); }, {bad, "vokzbTone", "Null pointer to state", m}});
    EXPECT_TRUE(s.untouched());
    EXPECT_TRUE(out.untouched());
    EXPECT_EQ(std::memcmp(&st, &before, sizeof st), 0);
    EXPECT_EQ(std::memcmp(&spoiled, &spoiledBefore, sizeof st), 0);
}

}  // namespace
