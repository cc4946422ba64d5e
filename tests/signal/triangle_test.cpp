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

#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using Sample = std::complex<long double>;
constexpr long double kPiL = 3.141592653589793238462643383279503L;

// The six kinds behind one interface. P: parameter type, M: magnitude type.
struct SKind {
    using P = float; using M = float; using Rec = VokSTrnglState;
    static constexpr bool cplx = false, integer = false;
    static constexpr double eps = 6e-8;
    Rec st;
    void init(P f, P p, M m, P a) { voksTrnglInit(f, p, m, a, &st); }
    Sample one() { return voksTrngl(&st); }
    void block(std::vector<Sample>& out, int n) {
        std::vector<float> b(n);
        voksbTrngl(&st, b.data(), n);
        for (float v : b) out.push_back(v);
    }
};
struct DKind {
    using P = double; using M = double; using Rec = VokDTrnglState;
    static constexpr bool cplx = false, integer = false;
    static constexpr double eps = 1.2e-16;
    Rec st;
    void init(P f, P p, M m, P a) { vokdTrnglInit(f, p, m, a, &st); }
    Sample one() { return vokdTrngl(&st); }
    void block(std::vector<Sample>& out, int n) {
        std::vector<double> b(n);
        vokdbTrngl(&st, b.data(), n);
        for (double v : b) out.push_back(v);
    }
};
struct CKind {
    using P = float; using M = float; using Rec = VokCTrnglState;
    static constexpr bool cplx = true, integer = false;
    static constexpr double eps = 6e-8;
    Rec st;
    void init(P f, P p, M m, P a) { vokcTrnglInit(f, p, m, a, &st); }
    Sample one() { auto v = vokcTrngl(&st); return {v.re, v.im}; }
    void block(std::vector<Sample>& out, int n) {
        std::vector<FloatComplex> b(n);
        vokcbTrngl(&st, b.data(), n);
        for (auto v : b) out.emplace_back(v.re, v.im);
    }
};
struct ZKind {
    using P = double; using M = double; using Rec = VokZTrnglState;
    static constexpr bool cplx = true, integer = false;
    static constexpr double eps = 1.2e-16;
    Rec st;
    void init(P f, P p, M m, P a) { vokzTrnglInit(f, p, m, a, &st); }
    Sample one() { auto v = vokzTrngl(&st); return {v.re, v.im}; }
    void block(std::vector<Sample>& out, int n) {
        std::vector<DoubleComplex> b(n);
        vokzbTrngl(&st, b.data(), n);
        for (auto v : b) out.emplace_back(v.re, v.im);
    }
};
struct WKind {
    using P = float; using M = short; using Rec = VokSTrnglState;
    static constexpr bool cplx = false, integer = true;
    static constexpr double eps = 6e-8;
    Rec st;
    void init(P f, P p, M m, P a) { vokwTrnglInit(f, p, m, a, &st); }
    Sample one() { return vokwTrngl(&st); }
    void block(std::vector<Sample>& out, int n) {
        std::vector<short> b(n);
        vokwbTrngl(&st, b.data(), n);
        for (short v : b) out.push_back(v);
    }
};
struct VKind {
    using P = float; using M = short; using Rec = VokCTrnglState;
    static constexpr bool cplx = true, integer = true;
    static constexpr double eps = 6e-8;
    Rec st;
    void init(P f, P p, M m, P a) { vokvTrnglInit(f, p, m, a, &st); }
    Sample one() { auto v = vokvTrngl(&st); return Sample(v.re, v.im); }
    void block(std::vector<Sample>& out, int n) {
        std::vector<ShortComplex> b(n);
        vokvbTrngl(&st, b.data(), n);
        for (auto v : b) out.emplace_back(v.re, v.im);
    }
};

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

TEST(TrnglErrors, InitChecksInOrderAndWritesNothing) {
    ReportRecorder rec;
    voktest::Sentinel s(sizeof(VokZTrnglState));
    auto* z = s.as<VokZTrnglState>();
    vokzTrnglInit(0.6, 7.0, -1.0, 4.0, z);  // magnitude first
    vokzTrnglInit(0.5, 7.0, 1.0, 4.0, z);
    vokzTrnglInit(-1e-300, 7.0, 1.0, 4.0, z);
    vokzTrnglInit(0.1, 6.283185307179586, 1.0, 4.0, z);
    vokzTrnglInit(0.1, -1e-300, 1.0, 4.0, z);
    vokzTrnglInit(0.1, 1.0, 1.0, 3.141592653589793, z);
    vokzTrnglInit(0.1, 1.0, 1.0, -3.141592653589793, z);
    vokzTrnglInit(0.1, 1.0, 1.0, 0.0, nullptr);
    EXPECT_TRUE(s.untouched());
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokzTrnglInit", "Invalid magnitude value", "voktrngl"},
                   {VOK_StatusBadArg, "vokzTrnglInit", "Invalid frequence value", "voktrngl"},
                   {VOK_StatusBadArg, "vokzTrnglInit", "Invalid frequence value", "voktrngl"},
                   {VOK_StatusBadArg, "vokzTrnglInit", "Invalid phase value", "voktrngl"},
                   {VOK_StatusBadArg, "vokzTrnglInit", "Invalid phase value", "voktrngl"},
                   {VOK_StatusBadArg, "vokzTrnglInit", "Invalid asymmetry value", "voktrngl"},
                   {VOK_StatusBadArg, "vokzTrnglInit", "Invalid asymmetry value", "voktrngl"},
                   {VOK_StatusBadArg, "vokzTrnglInit", "Null pointer to state", "voktrngl"});
    rec.clear();

    // Negative zeros are accepted; so is the asymmetry just inside ±π.
    VokSTrnglState st;
    voksTrnglInit(-0.0f, -0.0f, -0.0f, std::nextafter(3.14159265f, 0.0f), &st);
    VokDTrnglState dd;
    vokdTrnglInit(0.1, 0.0, 1.0, std::nextafter(-3.141592653589793, 0.0), &dd);
    vokwTrnglInit(0.1f, 0.0f, 5, 0.0f, &st);
    EXPECT_TRUE(rec.reports().empty());

    // Every other Init reports under its own name.
    VokCTrnglState c;
    voksTrnglInit(0.1f, 0, -1, 0, &st);
    vokcTrnglInit(0.1f, 7, 1, 0, &c);
    vokwTrnglInit(0.1f, 0, -1, 0, &st);
    vokvTrnglInit(0.1f, 0, 1, 3.5f, &c);
    vokdTrnglInit(0.7, 0, 1, 0, nullptr);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "voksTrnglInit", "Invalid magnitude value", "voktrngl"},
                   {VOK_StatusBadArg, "vokcTrnglInit", "Invalid phase value", "voktrngl"},
                   {VOK_StatusBadArg, "vokwTrnglInit", "Invalid magnitude value", "voktrngl"},
                   {VOK_StatusBadArg, "vokvTrnglInit", "Invalid asymmetry value", "voktrngl"},
                   {VOK_StatusBadArg, "vokdTrnglInit", "Invalid frequence value", "voktrngl"});
}

TEST(TrnglErrors, GeneratorsRefuseBadArgumentsAndWriteNothing) {
    ReportRecorder rec;
    voktest::Sentinel out(16 * sizeof(DoubleComplex));
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
    EXPECT_EQ(voksTrngl(nullptr), 0.0f);
    EXPECT_EQ(vokdTrngl(nullptr), 0.0);
    const FloatComplex cz = vokcTrngl(nullptr);
    const DoubleComplex zz = vokzTrngl(nullptr);
    EXPECT_EQ(vokwTrngl(nullptr), 0);
    const ShortComplex vz = vokvTrngl(nullptr);
    EXPECT_TRUE(cz.re == 0 && cz.im == 0 && zz.re == 0 && zz.im == 0 && vz.re == 0 && vz.im == 0);
    voksbTrngl(nullptr, nullptr, 0);  // state first
    voksbTrngl(&s, nullptr, 0);       // then buffer
    voksbTrngl(&s, out.as<float>(), 0);
    vokdbTrngl(&d, out.as<double>(), -3);
    vokcbTrngl(&c, nullptr, 4);
    vokzbTrngl(nullptr, out.as<DoubleComplex>(), 4);
    vokwbTrngl(&s, out.as<short>(), 0);
    vokvbTrngl(&c, nullptr, 1);
    EXPECT_TRUE(out.untouched());
    EXPECT_EQ(std::memcmp(&s, &s0, sizeof s), 0);
    EXPECT_EQ(std::memcmp(&c, &c0, sizeof c), 0);
    EXPECT_EQ(std::memcmp(&d, &d0, sizeof d), 0);
    EXPECT_EQ(std::memcmp(&z, &z0, sizeof z), 0);
    const char* m = "voktrngl";
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "voksTrngl", "Null pointer to state", m},
                   {VOK_StatusBadArg, "vokdTrngl", "Null pointer to state", m},
                   {VOK_StatusBadArg, "vokcTrngl", "Null pointer to state", m},
                   {VOK_StatusBadArg, "vokzTrngl", "Null pointer to state", m},
                   {VOK_StatusBadArg, "vokwTrngl", "Null pointer to state", m},
                   {VOK_StatusBadArg, "vokvTrngl", "Null pointer to state", m},
                   {VOK_StatusBadArg, "voksbTrngl", "Null pointer to state", m},
                   {VOK_StatusBadArg, "voksbTrngl", "Null pointer to buffer", m},
                   {VOK_StatusBadArg, "voksbTrngl", "Invalid number of items", m},
                   {VOK_StatusBadArg, "vokdbTrngl", "Invalid number of items", m},
                   {VOK_StatusBadArg, "vokcbTrngl", "Null pointer to buffer", m},
                   {VOK_StatusBadArg, "vokzbTrngl", "Null pointer to state", m},
                   {VOK_StatusBadArg, "vokwbTrngl", "Invalid number of items", m},
                   {VOK_StatusBadArg, "vokvbTrngl", "Null pointer to buffer", m});
}

TEST(TrnglRecord, InitFillsTheEdgeConstants) {
    VokDTrnglState d;
    const double f = 0.1, m = 3.0, a = 1.0, pi = 3.141592653589793;
    vokdTrnglInit(f, 0.25, m, a, &d);
    const double fall = pi + a, rise = pi - a;
    EXPECT_DOUBLE_EQ(d.magnitude, m);
    EXPECT_DOUBLE_EQ(d.fallStep, -4 * pi * f * m / fall);
    EXPECT_DOUBLE_EQ(d.riseStep, 4 * pi * f * m / rise);
    EXPECT_DOUBLE_EQ(d.step, d.fallStep);
    EXPECT_DOUBLE_EQ(d.topReflect, -rise / fall);
    EXPECT_DOUBLE_EQ(d.bottomReflect, -fall / rise);
    EXPECT_DOUBLE_EQ(d.riseWrap, 4 * pi * m / rise);
    EXPECT_DOUBLE_EQ(d.fallWrap, 4 * pi * m / fall);
    EXPECT_DOUBLE_EQ(d.topOffset, m - m * d.topReflect);
    EXPECT_DOUBLE_EQ(d.bottomOffset, d.bottomReflect * m - m);
    EXPECT_DOUBLE_EQ(d.value, m * (1 - 2 * 0.25 / fall));
    // The imaginary start is the same wave (3π + a)/2 further on, wrapped once.
    VokZTrnglState z;
    vokzTrnglInit(f, 5.0, m, a, &z);
    const double pim = 5.0 + (3 * pi + a) / 2 - 2 * pi;
    EXPECT_DOUBLE_EQ(z.valueIm, pim >= fall ? m * (2 * (pim - fall) / rise - 1) : m * (1 - 2 * pim / fall));
    EXPECT_DOUBLE_EQ(z.stepIm, pim >= fall ? z.riseStep : z.fallStep);
    EXPECT_DOUBLE_EQ(z.stepRe, z.riseStep);
}

}  // namespace
