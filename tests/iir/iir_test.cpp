// Floating-point IIR filters against a long-double recursion written from the
// difference equation (not the delay-line form), for every type combination,
// arbitrary order and biquads, both layers, and every failure report.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <vector>

#include "frame/test_seams.h"
#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;
using LC = std::complex<long double>;

template <class T> constexpr bool isCx = std::is_same_v<T, FloatComplex> || std::is_same_v<T, DoubleComplex>;
template <class T> LC asLC(const T& v) {
    if constexpr (isCx<T>) return {v.re, v.im};
    else return {(long double)v, 0};
}
template <class T> T fromLC(LC v) {
    if constexpr (isCx<T>) return {decltype(T{}.re)(v.real()), decltype(T{}.re)(v.imag())};
    else return T(v.real());
}

template <class T>
std::vector<T> randomVector(int n, unsigned seed, double lo = -1, double hi = 1) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(lo, hi);
    std::vector<T> v(n);
    for (auto& x : v) {
        if constexpr (isCx<T>) x = {decltype(x.re)(dist(gen)), decltype(x.re)(dist(gen))};
        else x = T(dist(gen));
    }
    return v;
}

// y[n] = (sum b_k x[n-k] - sum_{k>=1} a_k y[n-k]) / a0.
std::vector<LC> directForm(const std::vector<LC>& b, const std::vector<LC>& a, const std::vector<LC>& x) {
    std::vector<LC> y(x.size());
    for (size_t n = 0; n < x.size(); ++n) {
        LC s = 0;
        for (size_t k = 0; k < b.size() && k <= n; ++k) s += b[k] * x[n - k];
        for (size_t k = 1; k < a.size() && k <= n; ++k) s -= a[k] * y[n - k];
        y[n] = s / a[0];
    }
    return y;
}

// A stable filter: poles of modulus <= 0.8 (coefficients of prod (1 - p z^-1)) times a0.
template <class C>
std::vector<C> stableTaps(int order, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1, 1);
    std::vector<LC> a{1};
    for (int i = 0; i < order; ++i) {
        LC p = isCx<C> ? LC(0.55 * dist(gen), 0.55 * dist(gen)) : LC(0.8 * dist(gen), 0);
        std::vector<LC> next(a.size() + 1, 0);
        for (size_t k = 0; k < a.size(); ++k) { next[k] += a[k]; next[k + 1] -= p * a[k]; }
        a = next;
    }
    const LC a0 = isCx<C> ? LC(1.5, -0.5) : LC(2.0, 0);
    std::vector<C> taps(2 * order + 2);
    auto b = randomVector<C>(order + 1, seed + 1);
    for (int k = 0; k <= order; ++k) taps[k] = b[k];
    for (int k = 0; k <= order; ++k) taps[order + 1 + k] = fromLC<C>(a[k] * a0);
    return taps;
}

template <class I_, class C_, class O_>
struct Combo {
    using I = I_;
    using C = C_;
    using O = O_;
};

// Per combination: the low-level init of the coefficient type, delay-line init, filters.
#define COMBO(tag, I, C, O, ct, ot)                                                                         \
    struct tag : Combo<I, C, O> {                                                                           \
        static constexpr const char* name = #tag;                                                           \
        static void init(int t, C* taps, int order, IirTapState* s) { vok##ct##IirlInit(t, taps, order, s); } \
        static void initBq(int t, C* taps, int nq, IirTapState* s) { vok##ct##IirlInitBq(t, taps, nq, s); }  \
        static void initDlyl(const IirTapState* s, O* d, IirDlyState* ds) { vok##ot##IirlInitDlyl(s, d, ds); } \
        static O one(const IirTapState* s, IirDlyState* d, I x) { return vok##tag##Iirl(s, d, x); }          \
        static void blk(const IirTapState* s, IirDlyState* d, const I* x, O* y, int n) {                    \
            vok##tag##bIirl(s, d, x, y, n);                                                                 \
        }                                                                                                   \
        static void hInit(int t, const C* taps, int order, IirState* s) { vok##tag##IirInit(t, taps, order, s); } \
        static void hInitBq(int t, const C* taps, int nq, IirState* s) { vok##tag##IirInitBq(t, taps, nq, s); } \
        static O hOne(IirState* s, I x) { return vok##tag##Iir(s, x); }                                      \
        static int hBlk(IirState* s, const I* x, O* y, int n) { return vok##tag##bIir(s, x, y, n); }         \
        static constexpr const char* lowOne = "vok" #tag "Iirl";                                            \
        static constexpr const char* lowBlk = "vok" #tag "bIirl";                                           \
        static constexpr const char* highBlk = "vok" #tag "bIir";                                           \
        static constexpr const char* highInit = "vok" #tag "IirInit";                                       \
        static constexpr const char* lowInit = "vok" #ct "IirlInit";                                        \
    };
COMBO(s, float, float, float, s, s)
COMBO(d, double, double, double, d, d)
COMBO(c, FloatComplex, FloatComplex, FloatComplex, c, c)
COMBO(z, DoubleComplex, DoubleComplex, DoubleComplex, z, z)
COMBO(sc, float, FloatComplex, FloatComplex, c, c)
COMBO(cs, FloatComplex, float, FloatComplex, s, c)
COMBO(dz, double, DoubleComplex, DoubleComplex, z, z)
COMBO(zd, DoubleComplex, double, DoubleComplex, d, z)

template <class T>
class IirTypes : public ::testing::Test {};
using AllCombos = ::testing::Types<s, d, c, z, sc, cs, dz, zd>;
TYPED_TEST_SUITE(IirTypes, AllCombos);

template <class O>
long double tolerance() { return std::is_same_v<O, float> || std::is_same_v<O, FloatComplex> ? 2e-5L : 1e-12L; }

template <class O>
void expectNear(const std::vector<O>& got, const std::vector<LC>& ref, const char* what) {
    long double worst = 0, scale = 1;
    for (auto& r : ref) scale = std::max(scale, std::abs(r));
    for (size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(asLC(got[i]) - ref[i]));
    EXPECT_LE(worst / scale, tolerance<O>()) << what;
}

TYPED_TEST(IirTypes, ArbitraryOrderMatchesTheDifferenceEquation) {
    using P = TypeParam;
    using I = typename P::I;
    using C = typename P::C;
    using O = typename P::O;
    for (int order : {0, 1, 2, 3, 6}) {
        SCOPED_TRACE(order);
        auto taps = stableTaps<C>(order, 7 + order);
        std::vector<LC> b, a;
        for (int k = 0; k <= order; ++k) b.push_back(asLC(taps[k])), a.push_back(asLC(taps[order + 1 + k]));
        auto x = randomVector<I>(201, 3);
        std::vector<LC> xl;
        for (auto& v : x) xl.push_back(asLC(v));
        const auto ref = directForm(b, a, xl);

        // Low layer, one sample at a time and as blocks of uneven sizes: identical results.
        auto lowTaps = taps;
        IirTapState ts{};
        IirDlyState ds{};
        std::vector<O> dly(order + 1);
        P::init(1, lowTaps.data(), order, &ts);
        P::initDlyl(&ts, order ? dly.data() : nullptr, &ds);
        std::vector<O> one(x.size()), blk(x.size());
        for (size_t i = 0; i < x.size(); ++i) one[i] = P::one(&ts, &ds, x[i]);
        expectNear(one, ref, "one sample");

        auto lowTaps2 = taps;
        P::init(0, lowTaps2.data(), order, &ts);
        P::initDlyl(&ts, order ? dly.data() : nullptr, &ds);
        int pos = 0;
        for (int len : {0, 1, 2, 5, 64, 129}) {
            P::blk(&ts, &ds, x.data() + pos, blk.data() + pos, len);
            pos += len;
        }
        ASSERT_EQ(pos, 201);
        EXPECT_EQ(0, std::memcmp(one.data(), blk.data(), sizeof(O) * one.size()));

        // High layer: the same values, the caller's coefficients untouched.
        auto keep = taps;
        IirState st{};
        P::hInit(0, taps.data(), order, &st);
        EXPECT_EQ(0, std::memcmp(keep.data(), taps.data(), sizeof(C) * taps.size()));
        std::vector<O> high(x.size());
        high[0] = P::hOne(&st, x[0]);
        EXPECT_EQ(0, P::hBlk(&st, x.data() + 1, high.data() + 1, 200));
        EXPECT_EQ(0, std::memcmp(one.data(), high.data(), sizeof(O) * one.size()));
        EXPECT_EQ(0, vokIirFree(&st));
        EXPECT_EQ(0, st.initMarker);
    }
}

TYPED_TEST(IirTypes, BiquadCascadeMatchesTheProductOfItsSections) {
    using P = TypeParam;
    using I = typename P::I;
    using C = typename P::C;
    using O = typename P::O;
    for (int nq : {1, 2, 4}) {
        SCOPED_TRACE(nq);
        std::vector<C> taps;
        std::vector<LC> xl;
        auto x = randomVector<I>(150, 11);
        for (auto& v : x) xl.push_back(asLC(v));
        std::vector<LC> ref = xl;
        for (int q = 0; q < nq; ++q) {
            auto t = stableTaps<C>(2, 40 + q);
            // b = t[0..2], a = t[3..5]: keep b0 well away from zero.
            t[0] = fromLC<C>(asLC(t[0]) + LC(asLC(t[0]).real() >= 0 ? 1 : -1, 0));
            taps.insert(taps.end(), t.begin(), t.end());
            ref = directForm({asLC(t[0]), asLC(t[1]), asLC(t[2])}, {asLC(t[3]), asLC(t[4]), asLC(t[5])}, ref);
        }
        auto low = taps;
        IirTapState ts{};
        IirDlyState ds{};
        std::vector<O> dly(2 * nq);
        P::initBq(0, low.data(), nq, &ts);
        EXPECT_EQ(1, ts.isBiquad);
        EXPECT_EQ(2 * nq, ts.order);
        P::initDlyl(&ts, dly.data(), &ds);
        std::vector<O> one(x.size()), high(x.size());
        for (size_t i = 0; i < x.size(); ++i) one[i] = P::one(&ts, &ds, x[i]);
        expectNear(one, ref, "biquads");

        IirState st{};
        P::hInitBq(1, taps.data(), nq, &st);
        EXPECT_EQ(0, P::hBlk(&st, x.data(), high.data(), 150));
        EXPECT_EQ(0, std::memcmp(one.data(), high.data(), sizeof(O) * one.size()));
        EXPECT_EQ(0, vokIirFree(&st));
    }
}

TEST(Iir, EdgeCasesOfTheRecursions) {
    // Order 0: b0/a0 times the input, no delay line.
    float t0[] = {3, 2};
    IirTapState ts{};
    IirDlyState ds{};
    voksIirlInit(0, t0, 0, &ts);
    voksIirlInitDlyl(&ts, nullptr, &ds);
    EXPECT_EQ(3.0f, voksIirl(&ts, &ds, 2));
    EXPECT_EQ(1.5f, t0[0]);
    EXPECT_EQ(2.0f, t0[1]);  // the unused last element keeps its value

    // First-order low pass: impulse response 1, 0.5, 0.25, ...
    double t1[] = {1, 0, 1, -0.5};
    double d1[1];
    vokdIirlInit(0, t1, 1, &ts);
    EXPECT_EQ(-0.5, t1[2]);
    vokdIirlInitDlyl(&ts, d1, &ds);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(std::ldexp(1.0, -i), vokdIirl(&ts, &ds, i == 0 ? 1.0 : 0.0));

    // One section b = (2, 0, 0), a = (1, 0, 0): G = 2.
    float bq[] = {2, 0, 0, 1, 0, 0};
    float dq[2];
    voksIirlInitBq(0, bq, 1, &ts);
    EXPECT_EQ(2.0f, bq[0]);
    voksIirlInitDlyl(&ts, dq, &ds);
    float in[] = {1, -3, 0.25f}, out[3];
    voksbIirl(&ts, &ds, in, out, 3);
    EXPECT_EQ(2.0f, out[0]);
    EXPECT_EQ(-6.0f, out[1]);
    EXPECT_EQ(0.5f, out[2]);

    // numIters = 0 leaves the delay line alone.
    float t2[] = {1, 1, 1, -0.5f};
    float d2[1];
    voksIirlInit(0, t2, 1, &ts);
    voksIirlInitDlyl(&ts, d2, &ds);
    voksIirl(&ts, &ds, 1);
    const float before = d2[0];
    voksbIirl(&ts, &ds, in, out, 0);
    EXPECT_EQ(before, d2[0]);
}

TEST(Iir, BiquadLayoutAndComplexNormalisation) {
    double bq[] = {2, 4, 6, 4, 1, 2, /* section 2 */ 1, 3, 5, 0.5, 2, 1};
    IirTapState ts{};
    vokdIirlInitBq(1, bq, 2, &ts);
    EXPECT_EQ(1, ts.iirType);
    const double want[] = {(2.0 / 4) * (1 / 0.5), 0.25, 0.5, 2, 3, 4, 2, 3, 5};
    for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(want[i], bq[i]) << i;

    // Complex a0 = (0, 2): every coefficient times the reciprocal (0, -0.5).
    FloatComplex ct[] = {{1, 0}, {0, 1}, {0, 2}, {2, 0}};
    vokcIirlInit(0, ct, 1, &ts);
    EXPECT_EQ(0.0f, ct[0].re); EXPECT_EQ(-0.5f, ct[0].im);
    EXPECT_EQ(0.5f, ct[1].re); EXPECT_EQ(0.0f, ct[1].im);
    EXPECT_EQ(0.0f, ct[2].re); EXPECT_EQ(-1.0f, ct[2].im);
}

TEST(IirReports, LowLayerInitialisation) {
    ReportRecorder rec;
    const int bad = VOK_StatusBadArg;
    float taps[] = {1, 0, 1, 0};
    IirTapState ts{};
    voksIirlInit(2, nullptr, -1, nullptr);
    EXPECT_REPORTS(rec, {bad, "voksIirlInit", "tapStPtr==0", "vokiirl"}, {bad, "voksIirlInit", "taps==0", "vokiirl"},
                   {bad, "voksIirlInit", "order < 0", "vokiirl"},
                   {bad, "voksIirlInit", "iirType is out of range", "vokiirl"});
    rec.clear();
    float zeroA[] = {1, 2, -0.0f, 1};
    voksIirlInit(0, zeroA, 1, &ts);
    EXPECT_REPORTS(rec, {bad, "voksIirlInit", "taps[order+1] equals zero", "vokiirl"});
    EXPECT_EQ(1.0f, zeroA[0]);
    EXPECT_EQ(2.0f, zeroA[1]);
    EXPECT_EQ(nullptr, ts.taps);

    // A negative status on entry stops everything.
    rec.clear();
    vokSetErrStatus(VOK_StatusNoMemory);
    voksIirlInit(0, taps, 1, &ts);
    EXPECT_EQ(nullptr, ts.taps);
    EXPECT_EQ(1.0f, taps[0]);
    EXPECT_TRUE(rec.reports().empty());

    rec.clear();
    vokzIirlInitBq(5, nullptr, 0, nullptr);
    EXPECT_REPORTS(rec, {bad, "vokzIirlInitBq", "tapStPtr==0", "vokiirl"},
                   {bad, "vokzIirlInitBq", "taps==0", "vokiirl"}, {bad, "vokzIirlInitBq", "numQuads <= 0", "vokiirl"},
                   {bad, "vokzIirlInitBq", "iirType is out of range", "vokiirl"});
    for (int which : {0, 3}) {
        rec.clear();
        double bq[] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
        bq[6 + which] = -0.0;
        double copy[12];
        std::memcpy(copy, bq, sizeof bq);
        vokdIirlInitBq(0, bq, 2, &ts);
        EXPECT_REPORTS(rec, {bad, "vokdIirlInitBq", "taps[?] equals zero", "vokiirl"});
        EXPECT_EQ(0, std::memcmp(copy, bq, sizeof bq));
    }

    rec.clear();
    vokcIirlInitDlyl(nullptr, nullptr, nullptr);
    EXPECT_REPORTS(rec, {bad, "vokcIirlInitDlyl", "tapStPtr==0", "vokiirl"},
                   {bad, "vokcIirlInitDlyl", "dlyStPtr==0", "vokiirl"});
    rec.clear();
    IirTapState junk{3, nullptr, 0, 7};
    IirDlyState ds{};
    vokcIirlInitDlyl(&junk, nullptr, &ds);
    EXPECT_REPORTS(rec, {bad, "vokcIirlInitDlyl", "structure *tapStPtr wasn't initialized", "vokiirl"},
                   {bad, "vokcIirlInitDlyl", "structure *tapStPtr wasn't initialized", "vokiirl"},
                   {bad, "vokcIirlInitDlyl", "dlyl==0", "vokiirl"});
    EXPECT_EQ(nullptr, ds.dlyl);
}

TEST(IirReports, LowLayerFilters) {
    ReportRecorder rec;
    const int bad = VOK_StatusBadArg;
    EXPECT_EQ(0.0, vokdIirl(nullptr, nullptr, 1));
    EXPECT_REPORTS(rec, {bad, "vokdIirl", "tapStPtr==0", "vokiirl"}, {bad, "vokdIirl", "dlyStPtr==0", "vokiirl"});

    rec.clear();
    double taps[] = {1, 1, 1, 0.5};
    IirTapState ts{};
    IirDlyState ds{};
    vokdIirlInit(0, taps, 1, &ts);
    const auto y = vokzdIirl(&ts, &ds, DoubleComplex{1, 1});
    EXPECT_EQ(0.0, y.re);
    EXPECT_EQ(0.0, y.im);
    EXPECT_REPORTS(rec, {bad, "vokzdIirl", "structure *dlyStPtr wasn't initialized", "vokiirl"});

    rec.clear();
    vokdbIirl(nullptr, nullptr, nullptr, nullptr, -1);
    EXPECT_REPORTS(rec, {bad, "vokdbIirl", "tapStPtr==0", "vokiirl"}, {bad, "vokdbIirl", "dlyStPtr==0", "vokiirl"},
                   {bad, "vokdbIirl", "inSamps==0", "vokiirl"}, {bad, "vokdbIirl", "outSamps==0", "vokiirl"});
    rec.clear();
    double in[2] = {1, 2};
    Sentinel out(2 * sizeof(double));
    IirTapState none{};
    vokdbIirl(&none, &ds, in, out.as<double>(), -2);
    EXPECT_REPORTS(rec, {bad, "vokdbIirl", "structure *tapStPtr wasn't initialized", "vokiirl"},
                   {bad, "vokdbIirl", "numIters < 0", "vokiirl"});
    EXPECT_TRUE(out.untouched());
}

TEST(IirReports, HighLayer) {
    ReportRecorder rec;
    const int bad = VOK_StatusBadArg;
    float taps[] = {1, 1, 1, 0.5f};
    vokscIirInit(0, nullptr, 1, nullptr);
    EXPECT_REPORTS(rec, {bad, "vokscIirInit", "statePtr==0", "vokiirh"}, {bad, "vokscIirInit", "tapVals==0", "vokiirh"});

    rec.clear();
    IirState st{};
    st.initMarker = 31725;
    const IirState before = st;
    voksIirInit(3, taps, -1, &st);
    EXPECT_REPORTS(rec, {bad, "voksIirInit", "order < 0", "vokiirh"},
                   {bad, "voksIirInit", "iirType is out of range", "vokiirh"},
                   {bad, "voksIirInit", "IIR filter state structure is already initialized! Use vokIirFree to free it",
                    "vokiirh"});
    EXPECT_EQ(0, std::memcmp(&before, &st, sizeof st));

    rec.clear();
    voksIirInitBq(0, taps, 0, &st);
    EXPECT_REPORTS(rec, {bad, "voksIirInitBq", "numQuads <= 0", "vokiirh"},
                   {bad, "voksIirInitBq", "IIR filter state structure is already initialized! Use vokIirFree to free it",
                    "vokiirh"});

    // The inner set-up fails: its own report, then the backtrace; nothing kept.
    rec.clear();
    IirState fresh{};
    const float zeroA[] = {1, 1, 0, 1};
    vokcsIirInit(0, zeroA, 1, &fresh);
    EXPECT_REPORTS(rec, {bad, "voksIirlInit", "taps[order+1] equals zero", "vokiirl"},
                   {VOK_StatusBacktrace, "vokcsIirInit", "<null>", "vokiirh"});
    EXPECT_EQ(0, fresh.initMarker);

    for (int n : {1, 2}) {
        rec.clear();
        vok::testing::failAllocationAfter(n);
        IirState st2{};
        vokzIirInitBq(0, reinterpret_cast<const DoubleComplex*>(taps), 1, &st2);
        vok::testing::failAllocationAfter(0);
        EXPECT_REPORTS(rec, {VOK_StatusNoMemory, "vokzIirInitBq", "insufficiency of memory for IIR filter state", "vokiirh"});
        EXPECT_EQ(0, st2.initMarker);
    }

    rec.clear();
    EXPECT_EQ(0.0f, voksIir(nullptr, 1));
    vokSetErrStatus(0);
    IirState cleared{};
    EXPECT_EQ(0.0f, voksIir(&cleared, 1));
    EXPECT_REPORTS(rec, {bad, "voksIir", "statePtr==0", "vokiirh"}, {bad, "voksIir", "IIR filter wasn't initialized", "vokiirh"});

    // The block form: the inner report, then a backtrace under its own name, and the status.
    rec.clear();
    IirState good{};
    voksIirInit(0, taps, 1, &good);
    float out[2];
    EXPECT_EQ(bad, voksbIir(&good, nullptr, out, -1));
    EXPECT_REPORTS(rec, {bad, "voksbIirl", "inSamps==0", "vokiirl"}, {VOK_StatusBacktrace, "voksbIir", "<null>", "vokiirh"});

    rec.clear();
    EXPECT_EQ(bad, vokIirFree(nullptr));
    EXPECT_EQ(bad, vokIirFree(&cleared));
    EXPECT_REPORTS(rec, {bad, "vokIirFree", "statePtr==0", "vokiirh"},
                   {bad, "vokIirFree", "IIR filter wasn't initialized", "vokiirh"});
    // Freeing works even with a negative status left over.
    vokSetErrStatus(bad);
    EXPECT_EQ(0, vokIirFree(&good));
    EXPECT_EQ(0, good.initMarker);
}

TYPED_TEST(IirTypes, ANegativeStatusOnEntryStopsEveryOperation) {
    using P = TypeParam;
    using I = typename P::I;
    using C = typename P::C;
    using O = typename P::O;
    ReportRecorder rec;
    auto taps = stableTaps<C>(2, 5);
    IirTapState ts{};
    IirDlyState ds{};
    std::vector<O> dly(2);
    P::init(0, taps.data(), 2, &ts);
    P::initDlyl(&ts, dly.data(), &ds);
    IirState st{};
    P::hInit(0, taps.data(), 2, &st);
    auto x = randomVector<I>(4, 9);
    P::one(&ts, &ds, x[0]);
    P::hOne(&st, x[0]);
    const auto dlyBefore = dly;
    const IirState stBefore = st;
    std::vector<unsigned char> highDly(2 * sizeof(O));
    std::memcpy(highDly.data(), st.dlyState.dlyl, highDly.size());

    vokSetErrStatus(VOK_StatusNoMemory);
    const O zero{};
    O got = P::one(&ts, &ds, x[1]);
    EXPECT_EQ(0, std::memcmp(&zero, &got, sizeof(O)));
    got = P::hOne(&st, x[1]);
    EXPECT_EQ(0, std::memcmp(&zero, &got, sizeof(O)));
    Sentinel out(4 * sizeof(O));
    P::blk(&ts, &ds, x.data(), out.as<O>(), 4);
    EXPECT_EQ(VOK_StatusNoMemory, P::hBlk(&st, x.data(), out.as<O>(), 4));
    EXPECT_TRUE(out.untouched());
    IirState other{};
    P::hInit(0, taps.data(), 2, &other);
    P::hInitBq(0, taps.data(), 1, &other);
    EXPECT_EQ(0, other.initMarker);
    auto fresh = stableTaps<C>(2, 5);
    const auto freshCopy = fresh;
    IirTapState ts2{};
    P::init(0, fresh.data(), 2, &ts2);
    P::initBq(0, fresh.data(), 1, &ts2);
    EXPECT_EQ(nullptr, ts2.taps);
    EXPECT_EQ(0, std::memcmp(fresh.data(), freshCopy.data(), sizeof(C) * fresh.size()));
    P::initDlyl(&ts, dly.data() , &ds);
    EXPECT_EQ(0, std::memcmp(dlyBefore.data(), dly.data(), sizeof(O) * dly.size()));
    EXPECT_EQ(0, std::memcmp(highDly.data(), st.dlyState.dlyl, highDly.size()));
    EXPECT_EQ(0, std::memcmp(&stBefore, &st, sizeof st));
    EXPECT_TRUE(rec.reports().empty());

    // Only the release still works.
    EXPECT_EQ(0, vokIirFree(&st));
}

TEST(IirReports, HighLayerSizesAndEmptyBlocks) {
    ReportRecorder rec;
    // A coefficient copy beyond the allocator's byte count fails like a refused allocation.
    const double taps[6] = {1, 0, 0, 1, 0, 0};
    IirState st{};
    vokdIirInitBq(0, taps, 0x20000000, &st);
    EXPECT_REPORTS(rec, {VOK_StatusNoMemory, "vokdIirInitBq", "insufficiency of memory for IIR filter state", "vokiirh"},
                   {VOK_StatusNoMemory, "vokdIirInitBq", "insufficiency of memory for IIR filter state", "vokiirh"});
    EXPECT_EQ(0, st.initMarker);

    // Zero iterations succeed and leave the delay line alone.
    rec.clear();
    const float ba[4] = {1, 1, 1, -0.5f};
    voksIirInit(0, ba, 1, &st);
    voksIir(&st, 1);
    const float kept = *static_cast<float*>(st.dlyState.dlyl);
    float none = 7;
    EXPECT_EQ(0, voksbIir(&st, &none, &none, 0));
    EXPECT_EQ(kept, *static_cast<float*>(st.dlyState.dlyl));
    EXPECT_EQ(7.0f, none);
    // Order 0 needs no delay elements.
    IirState gain{};
    const DoubleComplex g[2] = {{2, 0}, {0, 1}};
    vokzIirInit(1, g, 0, &gain);
    const DoubleComplex y = vokzIir(&gain, DoubleComplex{1, 0});
    EXPECT_DOUBLE_EQ(0.0, y.re);
    EXPECT_DOUBLE_EQ(-2.0, y.im);
    EXPECT_TRUE(rec.reports().empty());
    EXPECT_EQ(0, vokIirFree(&gain));
    EXPECT_EQ(0, vokIirFree(&st));
}

}  // namespace
