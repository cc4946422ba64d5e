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

#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using Sample = std::complex<long double>;
constexpr long double kTwoPiL = 6.283185307179586476925286766559L;

// The six kinds behind one interface. P is the parameter type, M the magnitude type.
struct SKind {
    using P = float; using M = float;
    static constexpr bool cplx = false, integer = false;
    static constexpr double eps = 6e-8;
    VokSToneState st;
    void init(P f, P p, M m) { voksToneInit(f, p, m, &st); }
    Sample one() { return voksTone(&st); }
    void block(std::vector<Sample>& out, int n) {
        std::vector<float> b(n);
        voksbTone(&st, b.data(), n);
        for (float v : b) out.push_back(v);
    }
};
struct DKind {
    using P = double; using M = double;
    static constexpr bool cplx = false, integer = false;
    static constexpr double eps = 1.2e-16;
    VokDToneState st;
    void init(P f, P p, M m) { vokdToneInit(f, p, m, &st); }
    Sample one() { return vokdTone(&st); }
    void block(std::vector<Sample>& out, int n) {
        std::vector<double> b(n);
        vokdbTone(&st, b.data(), n);
        for (double v : b) out.push_back(v);
    }
};
struct CKind {
    using P = float; using M = float;
    static constexpr bool cplx = true, integer = false;
    static constexpr double eps = 6e-8;
    VokCToneState st;
    void init(P f, P p, M m) { vokcToneInit(f, p, m, &st); }
    Sample one() { auto v = vokcTone(&st); return {v.re, v.im}; }
    void block(std::vector<Sample>& out, int n) {
        std::vector<FloatComplex> b(n);
        vokcbTone(&st, b.data(), n);
        for (auto v : b) out.emplace_back(v.re, v.im);
    }
};
struct ZKind {
    using P = double; using M = double;
    static constexpr bool cplx = true, integer = false;
    static constexpr double eps = 1.2e-16;
    VokZToneState st;
    void init(P f, P p, M m) { vokzToneInit(f, p, m, &st); }
    Sample one() { auto v = vokzTone(&st); return {v.re, v.im}; }
    void block(std::vector<Sample>& out, int n) {
        std::vector<DoubleComplex> b(n);
        vokzbTone(&st, b.data(), n);
        for (auto v : b) out.emplace_back(v.re, v.im);
    }
};
struct WKind {
    using P = float; using M = short;
    static constexpr bool cplx = false, integer = true;
    static constexpr double eps = 1.2e-16;
    VokWToneState st;
    void init(P f, P p, M m) { vokwToneInit(f, p, m, &st); }
    Sample one() { return vokwTone(&st); }
    void block(std::vector<Sample>& out, int n) {
        std::vector<short> b(n);
        vokwbTone(&st, b.data(), n);
        for (short v : b) out.push_back(v);
    }
};
struct VKind {
    using P = float; using M = short;
    static constexpr bool cplx = true, integer = true;
    static constexpr double eps = 1.2e-16;
    VokWToneState st;
    void init(P f, P p, M m) { vokvToneInit(f, p, m, &st); }
    Sample one() { auto v = vokvTone(&st); return Sample(v.re, v.im); }
    void block(std::vector<Sample>& out, int n) {
        std::vector<ShortComplex> b(n);
        vokvbTone(&st, b.data(), n);
        for (auto v : b) out.emplace_back(v.re, v.im);
    }
};

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

TEST(Tone, InitFillsTheRecordAsDefined) {
    VokDToneState d;
    vokdToneInit(0.125, 1.0, 3.0, &d);
    EXPECT_EQ(d.coef, 2 * std::cos(6.283185307179586 * 0.125));
    EXPECT_EQ(d.cur, 3.0 * std::cos(1.0));
    EXPECT_EQ(d.prev, 3.0 * std::cos(1.0 - 6.283185307179586 * 0.125));
    EXPECT_EQ(std::memcmp(d.marker, "QTX", 4), 0);
    VokWToneState w;
    vokwToneInit(0.125f, 1.0f, 7, &w);
    EXPECT_EQ(w.bufIndex, 32);
    EXPECT_EQ(w.curIm, 7 * std::sin(1.0));
    EXPECT_EQ(w.prevIm, 7 * std::sin(1.0 - 6.283185307179586 * 0.125));
    EXPECT_EQ(w.magnitude, 7);
    vokvToneInit(0.125f, 1.0f, 7, &w);
    EXPECT_EQ(w.bufIndex, 16);
    EXPECT_EQ(sizeof(VokSToneState), 40u);
    EXPECT_EQ(sizeof(VokDToneState), 52u);
    EXPECT_EQ(sizeof(VokCToneState), 56u);
    EXPECT_EQ(sizeof(VokZToneState), 68u);
    EXPECT_EQ(sizeof(VokWToneState), 124u);
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
    ReportRecorder rec;
    voktest::Sentinel s(sizeof(VokZToneState));
    auto* z = s.as<VokZToneState>();
    vokzToneInit(0.6, 7.0, -1.0, z);  // magnitude is checked first
    vokzToneInit(0.6, 7.0, 1.0, z);
    vokzToneInit(0.1, 7.0, 1.0, z);
    vokzToneInit(0.1, 1.0, 1.0, nullptr);
    const DoubleComplex zero = vokzTone(z);  // never initialised
    EXPECT_EQ(zero.re, 0.0);
    EXPECT_EQ(zero.im, 0.0);
    EXPECT_TRUE(s.untouched());
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokzToneInit", "Invalid magnitude value", "voktone"},
                   {VOK_StatusBadArg, "vokzToneInit", "Invalid freq value", "voktone"},
                   {VOK_StatusBadArg, "vokzToneInit", "Invalid phase value", "voktone"},
                   {VOK_StatusBadArg, "vokzToneInit", "Null pointer to state", "voktone"},
                   {VOK_StatusBadArg, "vokzTone", "Structure initialization need", "voktone"});
    rec.clear();

    VokSToneState st;
    voksToneInit(0.1f, 0, 1, &st);
    const VokSToneState before = st;
    voktest::Sentinel out(16 * sizeof(double));
    EXPECT_EQ(voksTone(nullptr), 0.0f);
    voksbTone(nullptr, nullptr, 0);
    voksbTone(&st, nullptr, 0);
    voksbTone(&st, out.as<float>(), 0);
    st.marker[2] = 'Y';
    voksbTone(&st, out.as<float>(), 4);
    EXPECT_EQ(voksTone(&st), 0.0f);
    st.marker[2] = 'X';
    EXPECT_EQ(std::memcmp(&st, &before, sizeof st), 0);
    EXPECT_TRUE(out.untouched());
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "voksTone", "Null pointer to state", "voktone"},
                   {VOK_StatusBadArg, "voksbTone", "Null pointer to state", "voktone"},
                   {VOK_StatusBadArg, "voksbTone", "Null input buffer pointer", "voktone"},
                   {VOK_StatusBadArg, "voksbTone", "Bad number of items", "voktone"},
                   {VOK_StatusBadArg, "voksbTone", "Structure initialization need", "voktone"},
                   {VOK_StatusBadArg, "voksTone", "Structure initialization need", "voktone"});
    rec.clear();

    // Every remaining entry point, each with its own name and module.
    VokWToneState w{};
    VokCToneState c{};
    VokDToneState d{};
    vokdbTone(&d, out.as<double>(), 3);
    vokcbTone(&c, out.as<FloatComplex>(), 3);
    EXPECT_EQ(vokwTone(&w), 0);
    const ShortComplex v = vokvTone(&w);
    EXPECT_EQ(v.re | v.im, 0);
    vokwbTone(&w, nullptr, 3);
    vokvbTone(&w, out.as<ShortComplex>(), -1);
    vokwToneInit(0.1f, 0.1f, -5, &w);
    vokvToneInit(0.1f, 0.1f, 5, nullptr);
    voksToneInit(0.1f, 0.1f, 5, nullptr);
    vokcToneInit(0.1f, 0.1f, 5, nullptr);
    vokdToneInit(0.1, 0.1, 5, nullptr);
    EXPECT_EQ(vokdTone(&d), 0.0);
    EXPECT_EQ(vokcTone(nullptr).re, 0.0f);
    vokzbTone(nullptr, nullptr, 1);
    EXPECT_TRUE(out.untouched());
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokdbTone", "Structure initialization need", "voktone"},
                   {VOK_StatusBadArg, "vokcbTone", "Structure initialization need", "voktone"},
                   {VOK_StatusBadArg, "vokwTone", "Structure initialization need", "voktonew"},
                   {VOK_StatusBadArg, "vokvTone", "Structure initialization need", "voktonew"},
                   {VOK_StatusBadArg, "vokwbTone", "Null input buffer pointer", "voktonew"},
                   {VOK_StatusBadArg, "vokvbTone", "Bad number of items", "voktonew"},
                   {VOK_StatusBadArg, "vokwToneInit", "Invalid magnitude value", "voktonew"},
                   {VOK_StatusBadArg, "vokvToneInit", "Null pointer to state", "voktonew"},
                   {VOK_StatusBadArg, "voksToneInit", "Null pointer to state", "voktone"},
                   {VOK_StatusBadArg, "vokcToneInit", "Null pointer to state", "voktone"},
                   {VOK_StatusBadArg, "vokdToneInit", "Null pointer to state", "voktone"},
                   {VOK_StatusBadArg, "vokdTone", "Structure initialization need", "voktone"},
                   {VOK_StatusBadArg, "vokcTone", "Null pointer to state", "voktone"},
                   {VOK_StatusBadArg, "vokzbTone", "Null pointer to state", "voktone"});
}

}  // namespace
