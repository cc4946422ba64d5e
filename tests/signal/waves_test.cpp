// Tone and triangle generators: long runs against the wave evaluated in long double, block and single calls as one
// sequence, the parameter limits and the failure reports of every entry point.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "voktest/generators.h"
#include "voktest/reports.h"
#include "voktest/vector_calls.h"

namespace {

using namespace voktest;
constexpr long double kPiL = 3.141592653589793238462643383279503L;

struct Case { double f, p, a; };

// Tone: magnitude·(cos, sin) of 2π·f·n + phase. Triangle: falls from +m over π + a, rises over π − a; its complex part
// runs a quarter of the symmetric period (shifted by a/2) behind.
template <class K, char L, bool Tri>
struct Wave : K {
    static std::string name() { return std::string("vok") + L + (Tri ? "Trngl" : "Tone"); }
    static const char* module() { return Tri ? "voktrngl" : K::integer ? "voktonew" : "voktone"; }
    using P = typename K::P;
    using M = typename K::M;
    static constexpr bool tri = Tri;
    static constexpr int runLength = Tri ? 4000 : 20000;
    static M magnitude() { return K::integer ? M(Tri ? 20000 : 30000) : M(2.5); }
    // Still, slow and fast waves; triangles of both asymmetries, some stepping past the short edge (wrap branches).
    static std::vector<Case> cases() {
        if (!Tri)
            return {{0.1, 0.0, 0}, {0.013, 1.0, 0}, {0.25, 3.0, 0}, {0.37, 6.2, 0}, {0.4999, 0.5, 0}, {0.002, 2.5, 0},
                    {0, 0.75, 0}};
        return {{0, 0.75, 0.3},   {0.01, 0.0, 0.0},  {0.013, 1.0, 1.2}, {0.25, 3.0, -0.7},  {0.37, 6.2, 2.0},
                {0.49, 0.5, 2.9}, {0.49, 2.0, -2.9}, {0.45, 0.0, 3.1},  {0.003, 4.0, -3.0}, {0.2, double(kPiL), 0.0}};
    }
    void start(const Case& c, M m) {
        if constexpr (Tri) this->init(P(c.f), P(c.p), m, P(c.a));
        else this->init(P(c.f), P(c.p), m);
    }
    static long double wave(long double phase, long double m, long double a) {
        phase = std::fmod(phase, 2 * kPiL);
        if (phase < 0) phase += 2 * kPiL;
        const long double fall = kPiL + a, rise = kPiL - a;
        return phase < fall ? m * (1 - 2 * phase / fall) : m * (2 * (phase - fall) / rise - 1);
    }
    static Sample at(const Case& c, M m, long long n) {
        const long double a = P(c.a), phase = (long double)P(c.p) + 2 * kPiL * (long double)P(c.f) * n;
        if (Tri) return {wave(phase, m, a), K::cplx ? wave(phase + (3 * kPiL + a) / 2, m, a) : 0.0L};
        return {m * std::cos(phase), K::cplx ? m * std::sin(phase) : 0.0L};
    }
    // The tone's recurrence loses about one rounding of ω per step; its error grows linearly in n, faster at low
    // frequencies where 1/sin ω amplifies it. Each triangle step rounds once, the steep edge's step setting its size.
    static long double tolerance(const Case& c, M m, int n) {
        const double omega = 2 * 3.141592653589793 * double(P(c.f));
        const double drift = 1e-15 * n * (1 + 1 / std::sin(std::max(omega, 1e-3)));
        const long double steep = 1 + 4 * kPiL * c.f / (kPiL - std::fabs(c.a));
        if (Tri) return (long double)m * steep * K::eps * (16 + 8.0 * n) + (K::integer ? 1 : 0);
        return double(m) * (K::eps + drift) + (K::integer ? 0.5 : 0);
    }
};

#define WAVE(l, Stem, St, P, M, Out, eps) \
    Wave<Generator<St, P, M, Out, vok##l##Stem##Init, vok##l##Stem, vok##l##b##Stem, eps>, (#l)[0], #Stem[1] == 'r'>
#define BOTH(l, t, r, P, M, Out, eps, triEps) \
    WAVE(l, Tone, Vok##t##ToneState, P, M, Out, eps), WAVE(l, Trngl, Vok##r##TrnglState, P, M, Out, triEps)
constexpr double kF = 6e-8, kD = 1.2e-16;  // float and double rounding
using Kinds = ::testing::Types<
    BOTH(s, S, S, float, float, float, kF, kF), BOTH(d, D, D, double, double, double, kD, kD),
    BOTH(c, C, C, float, float, FloatComplex, kF, kF), BOTH(z, Z, Z, double, double, DoubleComplex, kD, kD),
    BOTH(w, W, S, float, short, short, kD, kF), BOTH(v, W, C, float, short, ShortComplex, kD, kF)>;

template <class Kind>
class Waves : public ::testing::Test {};
TYPED_TEST_SUITE(Waves, Kinds);

// Single and block calls form one sequence; the 16-bit tone's singles come from a buffer the blocks drain first, so
// only its records differ.
TYPED_TEST(Waves, LongRunsFollowTheDefinitionAsOneSequence) {
    using K = TypeParam;
    const auto m = K::magnitude();
    for (const Case& c : K::cases()) {
        expectOneSequence<K>(700, [&](K& k) { k.start(c, m); }, K::tri || !K::integer);
        K k;
        k.start(c, m);
        std::vector<Sample> got;
        k.block(got, K::runLength);
        const long double tol = K::tolerance(c, m, K::runLength);
        for (int i = 0; i < K::runLength; ++i) {
            const Sample want = K::at(c, m, i);
            ASSERT_LE(std::max(std::fabs(got[i].real() - want.real()), std::fabs(got[i].imag() - want.imag())), tol)
                << "f=" << c.f << " p=" << c.p << " a=" << c.a << " at " << i;
        }
    }
}

// Set-up checks magnitude, frequency, phase (asymmetry), then state; limits are exclusive, -0 is not negative; then
// the checks every generator shares.
TYPED_TEST(Waves, ParameterLimitsAndFailuresOfEveryEntryPoint) {
    using K = TypeParam;
    using P = typename K::P;
    const auto m = K::magnitude();
    K k;
    CheckTable t(K::module());
    t.run([&] {
        k.start({std::nextafter(P(0.5), P(0)), std::nextafter(P(6.283185307179586), P(0)), 0}, m);
        k.start({-0.0, -0.0, -0.0}, typename K::M(-0.0));
        k.start({0.1, 0, std::nextafter(P(-3.141592653589793), P(0))}, m);
    }, {});
    const double tiny = -(double)std::numeric_limits<P>::denorm_min(), pi = 3.141592653589793;
    const char *freq = K::tri ? "Invalid frequence value" : "Invalid freq value", *phase = "Invalid phase value";
    std::vector<BadArg> rows = {{2, "Invalid magnitude value", -1}, {0, freq, 0.5}, {0, freq, tiny},
                                {1, phase, 2 * pi},                 {1, phase, tiny}};
    if (K::tri) rows.insert(rows.end(), {{3, "Invalid asymmetry value", pi}, {3, "Invalid asymmetry value", -pi}});
    const char *ns = "Null pointer to state", *init = "Structure initialization need";
    rows.push_back({K::tri ? 4 : 3, ns});
    auto* st = t.buffer<typename K::State>();
    if constexpr (K::tri) t(K::name() + "Init", K::initFn, rows, {P(0.1), P(0), m, P(0), st});
    else t(K::name() + "Init", K::initFn, rows, {P(0.1), P(0), m, st});
    const GeneratorTexts tri{K::module(), ns, ns, ns, "Null pointer to buffer", "Invalid number of items"},
        tone{K::module(), ns, ns, ns, "Null input buffer pointer", "Bad number of items", init};
    if constexpr (K::tri) expectGeneratorChecks<K>(K::name(), tri, P(0.1), P(0), typename K::M(1), P(0));
    else expectGeneratorChecks<K>(K::name(), tone, P(0.1), P(0), typename K::M(1));
}

// A tone record whose marker is spoiled is refused and left alone.
TEST(Tone, SpoiledRecordMarkerAndSixteenBitRounding) {
    VokSToneState spoiled;
    voksToneInit(0.1f, 0, 1, &spoiled);
    spoiled.marker[2] = 'Y';
    const VokSToneState before = spoiled;
    CheckTable tone("voktone");
    const std::vector<BadArg> refused = {{"Structure initialization need", {}}};
    tone("voksbTone", voksbTone, refused, {&spoiled, tone.buffer<float>(), 4});
    tone("voksTone", voksTone, refused, {&spoiled});
    EXPECT_EQ(std::memcmp(&spoiled, &before, sizeof spoiled), 0);
    // At frequency 0 every sample is magnitude·(cos, sin)(phase) rounded to nearest.
    VokWToneState a;
    vokwToneInit(0.0f, 0.0f, 12345, &a);
    EXPECT_EQ(vokwTone(&a), 12345);
    vokvToneInit(0.0f, float(std::acos(0.5)), 3, &a);  // 1.5 and 2.598...
    const ShortComplex v = vokvTone(&a);
    EXPECT_EQ(v.re, short(std::nearbyint(3 * std::cos(double(float(std::acos(0.5)))))));
    EXPECT_EQ(v.im, 3);
}

}  // namespace
