// Floating-point IIR filters, every type combination: arbitrary order and
// biquad cascades against a long-double recursion written from the difference
// equation, both layers giving the same bits, a negative status stopping all;
// long float and double blocks through the segment-parallel cascade path at
// every kernel width, and the lane kernel itself.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "kernels/iir.h"
#include "voktest/reports.h"
#include "voktest/values.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using namespace voktest;

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

// b0..bN a0..aN of a stable filter: poles of modulus <= 0.8, a0 away from one,
// b0 away from zero (a biquad section divides by it).
template <class C>
std::vector<C> stableTaps(int order, unsigned seed) {
    auto p = randomVector<C>(order, seed);
    std::vector<LC> a{isCx<C> ? LC(1.5, -0.5) : LC(2.0, 0)};
    for (int i = 0; i < order; ++i) {
        a.push_back(0);
        for (size_t k = a.size() - 1; k > 0; --k) a[k] -= (isCx<C> ? 0.55L : 0.8L) * asLC(p[i]) * a[k - 1];
    }
    auto taps = randomVector<C>(order + 1, seed + 1);
    taps[0] = fromLC<C>(asLC(taps[0]) + LC(asLC(taps[0]).real() >= 0 ? 1 : -1, 0));
    for (auto& v : a) taps.push_back(fromLC<C>(v));
    return taps;
}

#define COMBO(tag, I_, C_, O_, ct, ot)                                                                        \
    struct tag {                                                                                              \
        using I = I_;                                                                                         \
        using C = C_;                                                                                         \
        using O = O_;                                                                                         \
        static void init(int t, C* taps, int order, IirTapState* s) { vok##ct##IirlInit(t, taps, order, s); } \
        static void initBq(int t, C* taps, int nq, IirTapState* s) { vok##ct##IirlInitBq(t, taps, nq, s); }   \
        static void initDlyl(const IirTapState* s, O* d, IirDlyState* ds) { vok##ot##IirlInitDlyl(s, d, ds); } \
        static O one(const IirTapState* s, IirDlyState* d, I x) { return vok##tag##Iirl(s, d, x); }           \
        static void blk(const IirTapState* s, IirDlyState* d, const I* x, O* y, int n) {                     \
            vok##tag##bIirl(s, d, x, y, n);                                                                  \
        }                                                                                                     \
        static void hInit(int t, const C* taps, int n, IirState* s) { vok##tag##IirInit(t, taps, n, s); }     \
        static void hInitBq(int t, const C* taps, int n, IirState* s) { vok##tag##IirInitBq(t, taps, n, s); } \
        static O hOne(IirState* s, I x) { return vok##tag##Iir(s, x); }                                       \
        static int hBlk(IirState* s, const I* x, O* y, int n) { return vok##tag##bIir(s, x, y, n); }          \
        static constexpr const char* names[9] = {                                                             \
            "vok" #ct "IirlInit", "vok" #ct "IirlInitBq", "vok" #ot "IirlInitDlyl", "vok" #tag "Iirl",        \
            "vok" #tag "bIirl",   "vok" #tag "IirInit",   "vok" #tag "IirInitBq",   "vok" #tag "Iir",         \
            "vok" #tag "bIir"};                                                                               \
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

template <class T>
bool sameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), sizeof(T) * a.size()) == 0;
}

// Orders 0..6 and cascades of 1, 2 and 4 sections: the low layer sample by
// sample follows the recursion; its blocks of uneven sizes and the high layer
// give the same bits, and the high layer leaves the caller's taps alone.
TYPED_TEST(IirTypes, BothLayersFollowTheDifferenceEquation) {
    using P = TypeParam;
    using O = typename P::O;
    const long double tolerance = sizeof(Real<O>) == 4 ? 2e-5L : 1e-12L;
    const auto x = randomVector<typename P::I>(201, 3);
    std::vector<LC> xl;
    for (auto& v : x) xl.push_back(asLC(v));
    for (auto [biquad, n] : {std::pair{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 6}, {1, 1}, {1, 2}, {1, 4}}) {
        SCOPED_TRACE(testing::Message() << "biquad " << biquad << " n " << n);
        std::vector<typename P::C> taps;
        std::vector<LC> ref = xl;
        for (int q = 0; q < (biquad ? n : 1); ++q) {
            const int order = biquad ? 2 : n;
            const auto t = stableTaps<typename P::C>(order, 7 + n + 10 * q);
            taps.insert(taps.end(), t.begin(), t.end());
            std::vector<LC> b, a;
            for (int k = 0; k <= order; ++k) b.push_back(asLC(t[k])), a.push_back(asLC(t[order + 1 + k]));
            ref = directForm(b, a, ref);
        }
        auto low = taps, low2 = taps;
        IirTapState ts{}, ts2{};
        IirDlyState ds{}, ds2{};
        std::vector<O> dly(2 * n + 1), dly2(2 * n + 1), one(x.size()), blk(x.size()), high(x.size());
        biquad ? P::initBq(1, low.data(), n, &ts) : P::init(1, low.data(), n, &ts);
        biquad ? P::initBq(0, low2.data(), n, &ts2) : P::init(0, low2.data(), n, &ts2);
        EXPECT_EQ(biquad, ts.isBiquad);
        EXPECT_EQ(biquad ? 2 * n : n, ts.order);
        P::initDlyl(&ts, n ? dly.data() : nullptr, &ds);
        P::initDlyl(&ts2, n ? dly2.data() : nullptr, &ds2);
        long double worst = 0, scale = 1;
        for (size_t i = 0; i < x.size(); ++i) {
            one[i] = P::one(&ts, &ds, x[i]);
            worst = std::max(worst, std::abs(asLC(one[i]) - ref[i]));
            scale = std::max(scale, std::abs(ref[i]));
        }
        EXPECT_LE(worst / scale, tolerance);
        int pos = 0;
        for (int len : {0, 1, 2, 5, 64, 129}) P::blk(&ts2, &ds2, x.data() + pos, blk.data() + pos, len), pos += len;
        EXPECT_TRUE(sameBits(one, blk));

        const auto keep = taps;
        IirState st{};
        biquad ? P::hInitBq(biquad, taps.data(), n, &st) : P::hInit(biquad, taps.data(), n, &st);
        EXPECT_TRUE(sameBits(keep, taps));
        high[0] = P::hOne(&st, x[0]);
        EXPECT_EQ(0, P::hBlk(&st, x.data() + 1, high.data() + 1, 200));
        EXPECT_TRUE(sameBits(one, high));
        EXPECT_EQ(0, vokIirFree(&st));
        EXPECT_EQ(0, st.initMarker);
    }
}

// Every entry point's first checks with its own name, then a negative status
// on entry stopping every operation silently, with nothing written.
TYPED_TEST(IirTypes, ChecksThenANegativeStatusOnEntryStopsEveryOperation) {
    using P = TypeParam;
    using O = typename P::O;
    const char *low = "vokiirl", *high = "vokiirh", *taps0 = "tapStPtr==0", *dly0 = "dlyStPtr==0";
    ReportRecorder rec;
    P::init(2, nullptr, -1, nullptr);
    P::initBq(5, nullptr, 0, nullptr);
    P::initDlyl(nullptr, nullptr, nullptr);
    EXPECT_TRUE(sameBits(std::vector<O>(1), {P::one(nullptr, nullptr, {})}));
    P::blk(nullptr, nullptr, nullptr, nullptr, -1);
    P::hInit(0, nullptr, 1, nullptr);
    P::hInitBq(0, nullptr, 1, nullptr);
    P::hOne(nullptr, {});
    EXPECT_EQ(VOK_StatusBadArg, P::hBlk(nullptr, nullptr, nullptr, 1));
    std::vector<Expected> want;
    const std::vector<std::vector<const char*>> contexts = {
        {taps0, "taps==0", "order < 0", "iirType is out of range"}, {taps0, "taps==0", "numQuads <= 0",
        "iirType is out of range"}, {taps0, dly0}, {taps0, dly0}, {taps0, dly0, "inSamps==0", "outSamps==0"},
        {"statePtr==0", "tapVals==0"}, {"statePtr==0", "tapVals==0"}, {"statePtr==0"}, {"statePtr==0"}};
    for (int f = 0; f < 9; ++f)
        for (const char* c : contexts[f]) want.push_back({VOK_StatusBadArg, P::names[f], c, f < 5 ? low : high});
    EXPECT_TRUE(sameReports(rec.reports(), want));
    rec.clear();

    auto taps = stableTaps<typename P::C>(2, 5);
    IirTapState ts{};
    IirDlyState ds{};
    std::vector<O> dly(2);
    P::init(0, taps.data(), 2, &ts);
    P::initDlyl(&ts, dly.data(), &ds);
    IirState st{};
    P::hInit(0, taps.data(), 2, &st);
    auto x = randomVector<typename P::I>(4, 9);
    P::one(&ts, &ds, x[0]);
    P::hOne(&st, x[0]);
    const auto dlyBefore = dly;
    const IirState stBefore = st;
    const std::vector<O> highDly(static_cast<O*>(st.dlyState.dlyl), static_cast<O*>(st.dlyState.dlyl) + 2);

    vokSetErrStatus(VOK_StatusNoMemory);
    const std::vector<O> zero(1);
    EXPECT_TRUE(sameBits(zero, {P::one(&ts, &ds, x[1])}));
    EXPECT_TRUE(sameBits(zero, {P::hOne(&st, x[1])}));
    Sentinel out(4 * sizeof(O));
    P::blk(&ts, &ds, x.data(), out.as<O>(), 4);
    EXPECT_EQ(VOK_StatusNoMemory, P::hBlk(&st, x.data(), out.as<O>(), 4));
    EXPECT_TRUE(out.untouched());
    IirState other{};
    P::hInit(0, taps.data(), 2, &other);
    P::hInitBq(0, taps.data(), 1, &other);
    EXPECT_EQ(0, other.initMarker);
    auto fresh = stableTaps<typename P::C>(2, 5);
    const auto freshCopy = fresh;
    IirTapState ts2{};
    P::init(0, fresh.data(), 2, &ts2);
    P::initBq(0, fresh.data(), 1, &ts2);
    EXPECT_EQ(nullptr, ts2.taps);
    EXPECT_TRUE(sameBits(fresh, freshCopy));
    P::initDlyl(&ts, dly.data(), &ds);
    EXPECT_TRUE(sameBits(dlyBefore, dly));
    EXPECT_TRUE(sameBits(highDly, {static_cast<O*>(st.dlyState.dlyl), static_cast<O*>(st.dlyState.dlyl) + 2}));
    EXPECT_EQ(0, std::memcmp(&stBefore, &st, sizeof st));
    EXPECT_TRUE(rec.reports().empty());
    EXPECT_EQ(0, vokIirFree(&st));  // only the release still works
}

// Exact values: order 0 (no delay line), a halving impulse response, the
// biquad gain and layout, complex a0 normalisation, empty blocks.
TEST(Iir, ExactRecursionsAndCoefficientLayouts) {
    IirTapState ts{};
    IirDlyState ds{};
    float t0[] = {3, 2};
    voksIirlInit(0, t0, 0, &ts);
    voksIirlInitDlyl(&ts, nullptr, &ds);
    EXPECT_EQ(3.0f, voksIirl(&ts, &ds, 2));
    EXPECT_EQ((std::vector<float>{1.5f, 2}), std::vector<float>(t0, t0 + 2));  // the last element keeps its value

    double t1[] = {1, 0, 1, -0.5}, d1[1];
    vokdIirlInit(0, t1, 1, &ts);
    EXPECT_EQ(-0.5, t1[2]);
    vokdIirlInitDlyl(&ts, d1, &ds);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(std::ldexp(1.0, -i), vokdIirl(&ts, &ds, i == 0 ? 1.0 : 0.0));

    float bq[] = {2, 0, 0, 1, 0, 0}, dq[2], in[] = {1, -3, 0.25f}, out[3];
    voksIirlInitBq(0, bq, 1, &ts);
    voksIirlInitDlyl(&ts, dq, &ds);
    voksbIirl(&ts, &ds, in, out, 3);
    EXPECT_EQ((std::vector<float>{2, -6, 0.5f}), std::vector<float>(out, out + 3));
    const float before[2] = {dq[0], dq[1]};
    voksbIirl(&ts, &ds, in, out, 0);
    EXPECT_EQ(0, std::memcmp(before, dq, sizeof dq));

    double bq2[] = {2, 4, 6, 4, 1, 2, /* section 2 */ 1, 3, 5, 0.5, 2, 1};
    vokdIirlInitBq(1, bq2, 2, &ts);
    EXPECT_EQ(1, ts.iirType);
    const double want[] = {(2.0 / 4) * (1 / 0.5), 0.25, 0.5, 2, 3, 4, 2, 3, 5};
    for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(want[i], bq2[i]) << i;

    // Complex a0 = (0, 2): every coefficient times the reciprocal (0, -0.5).
    FloatComplex ct[] = {{1, 0}, {0, 1}, {0, 2}, {2, 0}};
    vokcIirlInit(0, ct, 1, &ts);
    const float wantC[] = {0, -0.5f, 0.5f, 0, 0, -1};
    EXPECT_EQ(0, std::memcmp(wantC, ct, sizeof wantC));

    // The high layer: order 0 needs no delay; zero iterations change nothing.
    IirState gain{}, st{};
    const DoubleComplex g[2] = {{2, 0}, {0, 1}};
    vokzIirInit(1, g, 0, &gain);
    const DoubleComplex y = vokzIir(&gain, DoubleComplex{1, 0});
    EXPECT_EQ(0.0, y.re);
    EXPECT_EQ(-2.0, y.im);
    const float ba[4] = {1, 1, 1, -0.5f};
    voksIirInit(0, ba, 1, &st);
    voksIir(&st, 1);
    const float kept = *static_cast<float*>(st.dlyState.dlyl);
    float none = 7;
    EXPECT_EQ(0, voksbIir(&st, &none, &none, 0));
    EXPECT_EQ(kept, *static_cast<float*>(st.dlyState.dlyl));
    EXPECT_EQ(7.0f, none);
    EXPECT_EQ(0, vokIirFree(&gain));
    EXPECT_EQ(0, vokIirFree(&st));
}

// ---- Long blocks through biquad cascades: the segment-parallel path ----

using LD = long double;

// Sections b0, b1, b2, a0, a1, a2 with complex poles of modulus about `radius`
// (a0, b0 away from one, so that normalisation matters).
std::vector<float> makeSections(int nq, double radius, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<float> t;
    for (int q = 0; q < nq; ++q) {
        const double r = radius * (0.9 + 0.1 * u(gen)), th = 0.1 + 2.8 * u(gen);
        const double a0 = 0.5 + u(gen), b0 = 0.25 + u(gen);
        t.insert(t.end(), {float(b0), float(b0 * (2 * u(gen) - 1)), float(b0 * (u(gen) - 0.5)), float(a0),
                           float(-2 * r * std::cos(th) * a0), float(r * r * a0)});
    }
    return t;
}

// The cascade section by section through the difference equation.
template <class T>
std::vector<LD> directCascade(const std::vector<float>& t, const std::vector<T>& x) {
    std::vector<LC> v(x.begin(), x.end());
    for (size_t q = 0; q < t.size(); q += 6)
        v = directForm({t[q], t[q + 1], t[q + 2]}, {t[q + 3], t[q + 4], t[q + 5]}, v);
    std::vector<LD> y;
    for (const LC& e : v) y.push_back(e.real());
    return y;
}

template <class T>
LD maxError(const std::vector<T>& got, const std::vector<LD>& ref) {
    LD err = 0;
    for (size_t i = 0; i < got.size(); ++i) err = std::max(err, std::fabs(LD(got[i]) - ref[i]));
    return err;
}
// A few ulps of the signal scale, or what the one-sample filter itself reaches.
template <class T>
LD bound(const std::vector<LD>& ref, LD oneSampleError) {
    LD m = 0;
    for (LD e : ref) m = std::max(m, std::fabs(e));
    return std::max(8 * LD(std::numeric_limits<T>::epsilon()) * m, 2 * oneSampleError);
}

// A high-layer filter of float or double data.
template <class T = float>
struct Filter {
    static constexpr bool kFloat = std::is_same_v<T, float>;
    IirState st{};
    explicit Filter(const std::vector<float>& t) {
        const std::vector<T> taps(t.begin(), t.end());
        kFloat ? voksIirInitBq(0, (const float*)taps.data(), int(t.size() / 6), &st)
               : vokdIirInitBq(0, (const double*)taps.data(), int(t.size() / 6), &st);
    }
    ~Filter() { vokIirFree(&st); }
    const T* delay() const { return static_cast<const T*>(st.dlyState.dlyl); }
    int run(const T* x, T* y, int n) {
        return kFloat ? voksbIir(&st, (const float*)x, (float*)y, n) : vokdbIir(&st, (const double*)x, (double*)y, n);
    }
    std::vector<T> block(const std::vector<T>& x) {
        std::vector<T> y(x.size());
        EXPECT_EQ(0, run(x.data(), y.data(), int(x.size())));
        return y;
    }
    std::vector<T> oneByOne(const std::vector<T>& x) {
        std::vector<T> y(x.size());
        for (size_t i = 0; i < x.size(); ++i) y[i] = kFloat ? voksIir(&st, float(x[i])) : vokdIir(&st, x[i]);
        return y;
    }
};

// Lengths around the segment sizes: below the threshold (one-sample bits), one
// short chunk, whole chunks, and whole chunks with tails of every kind. At every
// width the outputs and delays are as accurate as the one-sample filter's and
// equal to the bit to those of the first width.
template <class T>
void expectAccurateLongBlocks(int nq, double radius) {
    const auto t = makeSections(nq, radius, 11u * nq);
    for (int n : {1023, 1024, 1031, 2048, 2049, 3000, 4095, 4096, 4096 + 1024 + 7, 20000}) {
        SCOPED_TRACE(testing::Message() << nq << " sections, radius " << radius << ", length " << n);
        const auto x = randomVector<T>(n, unsigned(n));
        const auto ref = directCascade(t, x);
        std::vector<T> first, firstDelay;
        voktest::forEachWidth([&] {
            Filter<T> blockF(t), oneF(t);
            const auto yb = blockF.block(x), y1 = oneF.oneByOne(x);
            const std::vector<T> d(blockF.delay(), blockF.delay() + 2 * nq);
            const LD tol = bound<T>(ref, maxError(y1, ref));
            EXPECT_LE(maxError(yb, ref), tol);
            for (int k = 0; k < 2 * nq; ++k) EXPECT_NEAR(oneF.delay()[k], d[k], double(2 * tol)) << "delay " << k;
            if (n < 1024) EXPECT_EQ(0, std::memcmp(y1.data(), yb.data(), sizeof(T) * n));
            if (n < 1024) EXPECT_EQ(0, std::memcmp(oneF.delay(), d.data(), sizeof(T) * 2 * nq));
            if (first.empty()) first = yb, firstDelay = d;
            EXPECT_EQ(0, std::memcmp(first.data(), yb.data(), sizeof(T) * yb.size()));
            EXPECT_EQ(0, std::memcmp(firstDelay.data(), d.data(), sizeof(T) * d.size()));
        });
    }
}

TEST(IirSegments, LongBlocksAreAsAccurateAsTheOneSampleFilter) {
    for (auto [nq, radius] : {std::pair{1, 0.7}, {2, 0.8}, {3, 0.95}, {4, 0.6}, {4, 0.995}, {5, 0.8}, {6, 0.9},
                              {8, 0.9}, {9, 0.7}}) {
        expectAccurateLongBlocks<float>(nq, radius);
        expectAccurateLongBlocks<double>(nq, radius);
    }
}

// Random splits, zero-length and short blocks among them, leave the filter
// where one long block and one-sample calls leave it; in place is the same.
TEST(IirSegments, BlockSplitsOfRandomLengthsAndInPlace) {
    const auto t = makeSections(4, 0.9, 3);
    const auto x = randomVector<float>(30000, 4);
    const auto ref = directCascade(t, x);
    Filter whole(t), ones(t), inPlace(t);
    const auto yw = whole.block(x), y1 = ones.oneByOne(x);
    const LD tol = bound<float>(ref, maxError(y1, ref));
    EXPECT_LE(maxError(yw, ref), tol);
    auto y = x;
    ASSERT_EQ(0, inPlace.run(y.data(), y.data(), int(y.size())));
    EXPECT_EQ(0, std::memcmp(yw.data(), y.data(), sizeof(float) * y.size()));
    voktest::forEachWidth([&] {
        for (unsigned seed = 1; seed <= 4; ++seed) {
            std::mt19937 gen(seed);
            std::uniform_int_distribution<int> len(0, seed % 2 ? 700 : 5000);
            Filter f(t);
            for (size_t at = 0; at < x.size();) {
                const int n = std::min<int>(len(gen), int(x.size() - at));
                ASSERT_EQ(0, f.run(x.data() + at, y.data() + at, n));
                at += size_t(n);
            }
            EXPECT_LE(maxError(y, ref), tol) << "seed " << seed;
            for (int k = 0; k < 8; ++k) EXPECT_NEAR(ones.delay()[k], f.delay()[k], double(2 * tol));
        }
    });
}

// A NaN in the third segment: everything before it stays equal to the clean
// run, everything from it on is NaN, as in the one-sample filter.
TEST(IirSegments, NonFiniteInput) {
    const auto t = makeSections(3, 0.8, 8);
    auto x = randomVector<float>(5000, 9);
    const auto clean = Filter(t).block(x);
    const int bad = 2 * 256 + 100;
    x[bad] = NAN;
    voktest::forEachWidth([&] {
        Filter c(t), d(t);
        const auto yc = c.block(x), yd = d.oneByOne(x);
        for (int i = 0; i < int(x.size()); ++i) {
            ASSERT_EQ(std::isnan(yd[i]), std::isnan(yc[i])) << i;
            if (i < bad) ASSERT_EQ(clean[i], yc[i]) << i;
        }
        EXPECT_TRUE(std::isnan(c.delay()[0]));
    });
}

// The lane kernel against a plain per-lane recursion with the same operation
// order: equal to the bit at every width, with and without writing out.
TEST(IirSegments, LaneKernelIsThePerLaneRecursion) {
    constexpr int S = vok::kernels::kIirSegments;
    std::mt19937 gen(17);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int nq = 1; nq <= vok::kernels::kIirLaneSections; ++nq) {
        std::vector<double> coef(4 * nq), state0(2 * nq * S), v0(S * 37);
        for (auto* v : {&coef, &state0, &v0})
            for (auto& c : *v) c = (v == &coef ? 0.45 : 1) * u(gen);
        std::vector<double> refV = v0, refState = state0;
        for (int j = 0; j < S; ++j)
            for (int t = 0; t < 37; ++t) {
                double& x = refV[t * S + j];
                for (int q = 0; q < nq; ++q) {
                    double& w1 = refState[2 * q * S + j];
                    double& w2 = refState[(2 * q + 1) * S + j];
                    const double* c = &coef[4 * q];
                    const double w = x - c[0] * w1 - c[1] * w2;
                    x = w + c[2] * w1 + c[3] * w2;
                    w2 = w1, w1 = w;
                }
            }
        voktest::forEachWidth([&] {
            for (int write = 0; write < 2; ++write) {
                auto v = v0, st = state0;
                vok::kernels::iir().biquadLanes(coef.data(), nq, st.data(), v.data(), 37, write);
                EXPECT_EQ(0, std::memcmp(refState.data(), st.data(), sizeof(double) * st.size())) << nq;
                EXPECT_EQ(0, std::memcmp((write ? refV : v0).data(), v.data(), sizeof(double) * v.size())) << nq;
            }
        });
    }
}

}  // namespace
