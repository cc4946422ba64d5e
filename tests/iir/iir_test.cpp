// IIR filters, every type combination through one static interface: values
// against a long-double recursion written from the difference equation (for
// 16 bits on the quantised coefficients), both layers, the segment-parallel
// cascade path at every kernel width, the lane kernel; every failure report in
// check order, each row one call that leaves everything of the caller's alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "frame/test_seams.h"
#include "kernels/iir.h"
#include "voktest/filter_calls.h"
#include "voktest/vector_calls.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using namespace voktest;

int scaleFactor = 0;

// I input, C coefficients, O output, Dl delay line; ct/ot the letters of the
// coefficient and delay-line set-ups; the 16-bit filters' scale mode bound to no scaling.
#define COMBO(tag, I_, C_, O_, Dl_, ct, ot, ...)                                                              \
    struct tag {                                                                                             \
        using I = I_;                                                                                        \
        using C = C_;                                                                                        \
        using O = O_;                                                                                        \
        using Dl = Dl_;                                                                                      \
        static constexpr bool k16 = sizeof(I_) == 2;                                                         \
        static constexpr const char* low = k16 ? "vokiirlw" : "vokiirl";                                     \
        static constexpr const char* high = k16 ? "vokiirhw" : "vokiirh";                                    \
        static constexpr const char* orderMsg = k16 ? "order<0" : "order < 0";                               \
        static constexpr const char* quadsMsg = k16 ? "numQuads<=0" : "numQuads <= 0";                       \
        static constexpr auto init = [](auto... a) { return vok##ct##IirlInit(a...); };                      \
        static constexpr auto initBq = [](auto... a) { return vok##ct##IirlInitBq(a...); };                  \
        static constexpr auto initDlyl = [](auto... a) { return vok##ot##IirlInitDlyl(a...); };              \
        static constexpr auto one = [](auto... a) { return vok##tag##Iirl(a... __VA_OPT__(, ) __VA_ARGS__); }; \
        static constexpr auto blk = [](auto... a) { return vok##tag##bIirl(a... __VA_OPT__(, ) __VA_ARGS__); }; \
        static constexpr auto hInit = [](auto... a) { return vok##tag##IirInit(a...); };                     \
        static constexpr auto hInitBq = [](auto... a) { return vok##tag##IirInitBq(a...); };                 \
        static constexpr auto hOne = [](auto... a) { return vok##tag##Iir(a... __VA_OPT__(, ) __VA_ARGS__); }; \
        static constexpr auto hBlk = [](auto... a) { return vok##tag##bIir(a... __VA_OPT__(, ) __VA_ARGS__); }; \
        static constexpr const char* names[9] = {                                                            \
            "vok" #ct "IirlInit", "vok" #ct "IirlInitBq", "vok" #ot "IirlInitDlyl", "vok" #tag "Iirl",       \
            "vok" #tag "bIirl",   "vok" #tag "IirInit",   "vok" #tag "IirInitBq",   "vok" #tag "Iir",        \
            "vok" #tag "bIir"};                                                                              \
    };
COMBO(s, float, float, float, float, s, s)
COMBO(d, double, double, double, double, d, d)
COMBO(c, FloatComplex, FloatComplex, FloatComplex, FloatComplex, c, c)
COMBO(z, DoubleComplex, DoubleComplex, DoubleComplex, DoubleComplex, z, z)
COMBO(sc, float, FloatComplex, FloatComplex, FloatComplex, c, c)
COMBO(cs, FloatComplex, float, FloatComplex, FloatComplex, s, c)
COMBO(dz, double, DoubleComplex, DoubleComplex, DoubleComplex, z, z)
COMBO(zd, DoubleComplex, double, DoubleComplex, DoubleComplex, d, z)
COMBO(w, short, float, short, int, w, w, VOK_NO_SCALE, &scaleFactor)
#undef COMBO

using LD = long double;

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

// The largest distance between two signals of any element types (of b from zero: its largest magnitude).
LC lc(const LC& v) { return v; }
template <class T> LC lc(const T& v) { return asLC(v); }
template <class A, class B>
LD maxError(const std::vector<A>& a, const std::vector<B>& b) {
    LD err = 0;
    for (size_t i = 0; i < b.size(); ++i) err = std::max(err, std::abs((a.empty() ? LC(0) : lc(a[i])) - lc(b[i])));
    return err;
}

template <class T> class IirTypes : public ::testing::Test {};
using AllCombos = ::testing::Types<s, d, c, z, sc, cs, dz, zd>;
TYPED_TEST_SUITE(IirTypes, AllCombos);

// Orders 0..6 and cascades of 1, 2 and 4 sections: the caller's array holds
// the normalised coefficients; the low layer sample by sample follows the
// recursion; its blocks of uneven sizes (empty ones among them) and the high
// layer give the same bits, write nothing past the outputs, and the high layer
// leaves the caller's taps alone.
TYPED_TEST(IirTypes, BothLayersFollowTheDifferenceEquation) {
    using P = TypeParam;
    using O = typename P::O;
    const LD tolerance = sizeof(Real<O>) == 4 ? 2e-5L : 1e-12L;
    const auto x = randomVector<typename P::I>(201, 3);
    const O guard = fromLC<O>(LC(7, 7));
    std::vector<LC> xl;
    for (auto& v : x) xl.push_back(asLC(v));
    for (auto [biquad, n] : {std::pair{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 6}, {1, 1}, {1, 2}, {1, 4}}) {
        SCOPED_TRACE(testing::Message() << "biquad " << biquad << " n " << n);
        std::vector<typename P::C> taps;
        std::vector<LC> ref = xl, norm{1};
        for (int q = 0; q < (biquad ? n : 1); ++q) {
            const int order = biquad ? 2 : n;
            const auto t = stableTaps<typename P::C>(order, 7 + n + 10 * q);
            taps.insert(taps.end(), t.begin(), t.end());
            std::vector<LC> b, a;
            for (int k = 0; k < 2 * order + 2; ++k) (k <= order ? b : a).push_back(asLC(t[k]));
            ref = directForm(b, a, ref);
            // b_k / a0, then a_k / a0 one place down, the last kept; or the gain, then a1, a2 by a0, b1, b2 by b0.
            if (biquad) {
                norm[0] *= b[0] / a[0];
                norm.insert(norm.end(), {a[1] / a[0], a[2] / a[0], b[1] / b[0], b[2] / b[0]});
            } else {
                norm.clear();
                for (int k = 0; k <= 2 * order; ++k) norm.push_back(k <= order ? b[k] / a[0] : a[k - order] / a[0]);
                norm.push_back(a[order]);
            }
        }
        auto low = taps, low2 = taps;
        IirTapState ts{}, ts2{};
        IirDlyState ds{}, ds2{};
        std::vector<O> dly(2 * n + 1), dly2(2 * n + 1), one(x.size()), blk(x.size() + 1, guard), high(blk);
        biquad ? P::initBq(1, low.data(), n, &ts) : P::init(1, low.data(), n, &ts);
        biquad ? P::initBq(0, low2.data(), n, &ts2) : P::init(0, low2.data(), n, &ts2);
        EXPECT_EQ((std::vector<int>{biquad, biquad ? 2 * n : n, 1}),
                  (std::vector<int>{ts.isBiquad, ts.order, ts.iirType}));
        for (size_t k = 0; k < norm.size(); ++k) EXPECT_LE(std::abs(asLC(low[k]) - norm[k]), tolerance * 4) << k;
        P::initDlyl(&ts, n ? dly.data() : nullptr, &ds);
        P::initDlyl(&ts2, n ? dly2.data() : nullptr, &ds2);
        for (size_t i = 0; i < x.size(); ++i) one[i] = P::one(&ts, &ds, x[i]);
        EXPECT_LE(maxError(one, ref) / std::max(1.0L, maxError(std::vector<LC>{}, ref)), tolerance);
        for (auto [at, len] : {std::pair{0, 0}, {0, 1}, {1, 2}, {3, 5}, {8, 64}, {72, 129}})
            P::blk(&ts2, &ds2, x.data() + at, blk.data() + at, len);
        EXPECT_TRUE(sameBits(one, {blk.begin(), blk.end() - 1}));

        const auto keep = taps;
        IirState st{};
        biquad ? P::hInitBq(biquad, taps.data(), n, &st) : P::hInit(biquad, taps.data(), n, &st);
        EXPECT_TRUE(sameBits(keep, taps));
        high[0] = P::hOne(&st, x[0]);
        EXPECT_EQ(0, P::hBlk(&st, x.data() + 1, &high.back(), 0));  // writes nothing, not even the guard
        EXPECT_EQ(0, P::hBlk(&st, x.data() + 1, high.data() + 1, 200));
        EXPECT_TRUE(sameBits(one, {high.begin(), high.end() - 1}));
        EXPECT_TRUE(sameBits(std::vector<O>{blk.back(), high.back()}, std::vector<O>(2, guard)));
        EXPECT_EQ(0, vokIirFree(&st));
        EXPECT_EQ(0, st.initMarker);
    }
}

// ---- Long blocks through biquad cascades: the segment-parallel path ----

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

// A high-layer cascade of float (P = s) or double (P = d) data, run in blocks
// of the given lengths in turn (none: sample by sample).
template <class P>
struct Cascade {
    using T = typename P::I;
    IirState st{};
    explicit Cascade(const std::vector<float>& t) {
        const std::vector<T> taps(t.begin(), t.end());
        P::hInitBq(0, taps.data(), int(t.size() / 6), &st);
    }
    ~Cascade() { vokIirFree(&st); }
    std::vector<T> delay() const {
        return {(const T*)st.dlyState.dlyl, (const T*)st.dlyState.dlyl + st.tapState.order};
    }
    std::vector<T> run(const std::vector<T>& x, const std::vector<int>& lengths, bool inPlace = false) {
        std::vector<T> y = inPlace ? x : std::vector<T>(x.size());
        for (size_t at = 0, k = 0; at < x.size(); ++k) {
            const int n = lengths.empty() ? 1 : std::min(std::abs(lengths[k % lengths.size()]), int(x.size() - at));
            if (lengths.empty()) y[at] = P::hOne(&st, x[at]);
            else EXPECT_EQ(0, P::hBlk(&st, (inPlace ? y : x).data() + at, y.data() + at, n));
            at += size_t(n);
        }
        return y;
    }
};

// Lengths around the segment sizes: below the threshold (one-sample bits), one
// short chunk, whole chunks, and whole chunks with tails of every kind. At every
// width one long block, and the same samples in place in blocks of random
// lengths (empty and short ones among them), give outputs and delays as
// accurate as the one-sample filter's; the long block's equal to the bit to
// those of the first width.
template <class P>
void expectAccurateLongBlocks(int nq, double radius, double fade) {
    using T = typename P::I;
    const auto t = makeSections(nq, radius, 11u * nq);
    for (int n : {1023, 1024, 1031, 2048, 2049, 3000, 4095, 4096, 4096 + 1024 + 7, 20000}) {
        SCOPED_TRACE(testing::Message() << nq << " sections, radius " << radius << ", fade " << fade << ", length " << n);
        auto x = randomVector<T>(n, unsigned(n));
        for (int i = 0; i < n; ++i) x[i] = T(std::ldexp(x[i], -int(fade * i / n)));
        std::vector<LC> ref(x.begin(), x.end());
        for (size_t q = 0; q < t.size(); q += 6)
            ref = directForm({t[q], t[q + 1], t[q + 2]}, {t[q + 3], t[q + 4], t[q + 5]}, ref);
        const auto lengths = randomVector<int>(200, unsigned(n + nq), n % 2 ? 700 : 5000);  // magnitudes used
        std::vector<T> first, firstDelay;
        forEachWidth([&] {
            Cascade<P> blockF(t), oneF(t), splitF(t);
            const auto yb = blockF.run(x, {n}), y1 = oneF.run(x, {}), ys = splitF.run(x, lengths, true);
            // A few ulps of the signal scale (its distance from zero), or twice the one-sample error.
            const LD scale = maxError(std::vector<T>{}, ref), eps = std::numeric_limits<T>::epsilon();
            const LD tol = std::max(8 * eps * scale, 2 * maxError(y1, ref));
            EXPECT_LE(maxError(yb, ref), tol);
            EXPECT_LE(maxError(ys, ref), tol);
            EXPECT_LE(maxError(oneF.delay(), blockF.delay()), 2 * tol);
            EXPECT_LE(maxError(oneF.delay(), splitF.delay()), 2 * tol);
            EXPECT_TRUE(n >= 1024 || (sameBits(y1, yb) && sameBits(oneF.delay(), blockF.delay())));
            if (first.empty()) first = yb;
            if (firstDelay.empty()) firstDelay = blockF.delay();
            EXPECT_TRUE(sameBits(first, yb) && sameBits(firstDelay, blockF.delay()));
        });
    }
}

TEST(IirSegments, LongBlocksAreAsAccurateAsTheOneSampleFilter) {
    // fade: the input scaled down to 2^-fade over the block, through the
    // subnormal range, where products' rounding errors are no longer exact.
    for (auto [nq, radius, fade] : {std::tuple{1, 0.7, 0}, {2, 0.8, 0}, {3, 0.95, 0}, {4, 0.6, 0}, {4, 0.995, 0},
                                    {5, 0.8, 0}, {6, 0.9, 0}, {8, 0.9, 0}, {8, 0.995, 0}, {9, 0.7, 0}, {2, 0.8, 1100},
                                    {4, 0.6, 1100}}) {
        expectAccurateLongBlocks<s>(nq, radius, fade);
        expectAccurateLongBlocks<d>(nq, radius, fade);
    }
}

// A NaN in the third segment: everything before it stays equal to the clean
// run, everything from it on is NaN, as in the one-sample filter.
TEST(IirSegments, NonFiniteInput) {
    const auto t = makeSections(3, 0.8, 8);
    auto x = randomVector<float>(5000, 9);
    const auto clean = Cascade<s>(t).run(x, {5000});
    const int bad = 2 * 256 + 100;
    x[bad] = NAN;
    forEachWidth([&] {
        Cascade<s> c(t), d(t);
        const auto yc = c.run(x, {5000}), yd = d.run(x, {});
        for (int i = 0; i < int(x.size()); ++i) {
            ASSERT_EQ(std::isnan(yd[i]), std::isnan(yc[i])) << i;
            if (i < bad) ASSERT_EQ(clean[i], yc[i]) << i;
        }
        EXPECT_TRUE(std::isnan(c.delay()[0]));
    });
}

// The lane kernel against a plain per-lane recursion with the same operation
// order: equal to the bit at every width, with and without writing out; the
// compensated kernel close to it and equal to itself at every width.
TEST(IirSegments, LaneKernelIsThePerLaneRecursion) {
    constexpr int S = vok::kernels::kIirSegments, steps = 37;
    for (int nq = 1; nq <= vok::kernels::kIirLaneSections; ++nq) {
        auto coef = randomVector<double>(4 * nq, nq, 0.45);
        const auto state0 = randomVector<double>(2 * nq * S, nq + 50), v0 = randomVector<double>(S * steps, nq + 99);
        auto refV = v0, refState = state0;
        for (int j = 0; j < S; ++j)
            for (int t = 0; t < steps; ++t)
                for (int q = 0; q < nq; ++q) {
                    double &x = refV[t * S + j], &w1 = refState[2 * q * S + j], &w2 = refState[(2 * q + 1) * S + j];
                    const double* c = &coef[4 * q];
                    const double w = x - c[0] * w1 - c[1] * w2;
                    x = w + c[2] * w1 + c[3] * w2;
                    w2 = w1;
                    w1 = w;
                }
        std::vector<double> firstV[2], firstState[2];
        forEachWidth([&] {
            for (int write = 0; write < 2; ++write) {
                auto v = v0, st = state0;
                vok::kernels::iir().biquadLanes(coef.data(), nq, st.data(), v.data(), steps, write);
                EXPECT_TRUE(sameBits(refState, st) && sameBits(write ? refV : v0, v)) << nq << " " << write;
            }
            // The compensated forms (double data): the same recursion up to rounding, the same bits at every width.
            for (int form = 0; form < 2; ++form) {
                auto v = v0, st = state0;
                const auto& k = vok::kernels::iir();
                (form ? k.biquadLanesCompensatedFeedback : k.biquadLanesCompensated)(coef.data(), nq, st.data(), v.data(), steps, 1);
                EXPECT_LE(maxError(v, refV) + maxError(st, refState), 1e-13L) << nq << " " << form;
                if (firstV[form].empty()) firstV[form] = v, firstState[form] = st;
                EXPECT_TRUE(sameBits(firstV[form], v) && sameBits(firstState[form], st)) << nq << " " << form;
            }
        });
    }
}

// ---- 16 bits ----

// Each row a filter, optionally its words (Q, then a0 divided out, the
// denominator stored negated) and an input with its scale mode, the outputs
// and the low layer's delay line at the end.
struct Row16 {
    std::vector<float> taps;
    int n, biquad;
    std::vector<short> words, x = {}, y = {};  // no y: the quantised recursion
    int mode = VOK_NO_SCALE, sfIn = 0, sfOut = 0, forms = 3;  // 1 one-sample, 2 block (both layers), 3 all
    std::vector<int> held = {};
};

// The recursion on the coefficients the words hold, without the integer delay
// line: b_k and -a_k interleaved, or the gain and per section -a1, -a2, b1, b2.
std::vector<LC> quantised(const std::vector<short>& w, int n, bool biquad, const std::vector<short>& x) {
    const LD u = std::ldexp(1.0L, -w[0]);
    std::vector<LC> v(x.begin(), x.end()), b, a{1};
    for (int k = 0; !biquad && k <= n; ++k) b.push_back(w[2 * k + 1] * u);
    for (int k = 1; !biquad && k <= n; ++k) a.push_back(-w[2 * k] * u);
    if (!biquad) return directForm(b, a, v);
    for (auto& e : v) e *= w[1] * u;
    for (int q = 0; q < n; ++q)
        v = directForm({1, w[4 + 4 * q] * u, w[5 + 4 * q] * u}, {1, -w[2 + 4 * q] * u, -w[3 + 4 * q] * u}, v);
    return v;
}

// Dyadic filters and the scale modes have exact outputs (automatic scaling:
// one factor for a block, one per output sample by sample), the delay line
// rounds to nearest even; designed filters stay within a few units of the
// recursion on their quantised coefficients, the block form closer (its delays
// stay float until it ends). The high layer gives the low layer's block outputs.
TEST(Iir16, WordsAndFiltersInBothLayers) {
    std::vector<short> imp(12, 0), halving;
    imp[0] = 16384;
    for (int i = 0; i < 12; ++i) halving.push_back(short(16384 >> i));
    std::mt19937 gen(21);
    const std::vector<short> x{0, 10000, -3000, 5}, noise = randomShorts(gen, 300, 6000);
    const Row16 rows[] = {
        {{0.5f, 0.5f, 1, 0}, 1, 0, {14, 8192, 0, 8192},  // largest 1: R = 32767, Q = 14; the two-point mean
         {100, -2000, 30000, 30000, -32768, 6}, {50, -950, 14000, 30000, -1384, -16381}},
        {{6, -1, 0.5f, 2, 1, -1.5f}, 2, 0, {13, 3 * 8192, -4096, -4096, 6144, 2048}},  // largest 3: Q = 13
        {{20000, 2.5f, 1, 3.5f}, 1, 0, {0, 20000, -4, 2}},  // R below 2: Q = 0, -3.5 and 2.5 round to even
        // G = 2/4; -a1/a0 = -0.25, -a2/a0 = 0.5, b1/b0 = 0.5, b2/b0 = 0.25: R = 65534, Q stops at 15.
        {{2, 1, 0.5f, 4, 1, -2}, 1, 1, {15, 16384, -8192, 16384, 16384, 8192}},
        // Two sections: G multiplies both b0/a0; b1/b0 = 3 sets Q = 13.
        {{1, 3, 0, 1, 0.5f, 0, 2, 1, 1, 1, 0, -0.25f}, 2, 1, {13, 16384, -4096, 0, 24576, 0, 0, 2048, 4096, 4096}},
        {{1, 0, 1, -0.5f}, 1, 0, {}, imp, halving},
        {{1, 0, 1, -0.5f}, 1, 0, {}, {3, 0, 0}, {3, 2, 1}, VOK_NO_SCALE, 0, 0, 3, {0}},  // held 1.5 -> 2, 0.5 -> 0
        {{2, 0, 0, 1, 0, 0}, 1, 1, {}, {1, -3, 1000}, {2, -6, 2000}},
        {{4, 1}, 0, 0, {}, x, {0, 32767, -12000, 20}, VOK_SATURATE, 0, 0, 2},  // 10000 becomes 40000
        {{4, 1}, 0, 0, {}, x, {0, 10000, -3000, 5}, VOK_FIXED_SCALE, 2, 2, 2},
        {{4, 1}, 0, 0, {}, x, {0, 20000, -6000, 10}, VOK_AUTO_SCALE, 77, 1, 2},  // floor(log2 40000) - 14 = 1
        {{4, 1}, 0, 0, {}, x, {0, 20000, -12000, 20}, VOK_AUTO_SCALE, 77, 0, 1},
        // Butterworth low passes (the second with a0 = 2) and well-damped hand-made ones.
        {{0.20657208f, 0.41314417f, 0.20657208f, 1.0f, -0.36952738f, 0.19581571f}, 2, 0, {}, noise},
        {{0.0317f * 2, 0.0951f * 2, 0.0951f * 2, 0.0317f * 2, 2.0f, -1.4590f * 2, 0.9104f * 2, -0.1978f * 2}, 3, 0,
         {}, noise},
        {{0.1f, -0.05f, 0.1f, 1.5f, -1.2f, 0.6f}, 2, 0, {}, noise},
        {{0.5f, 0.4f, 0.1f, 1.0f, -0.6f, 0.25f, 1.0f, -0.5f, 0.3f, 1.5f, 0.3f, 0.15f}, 2, 1, {}, noise},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.taps.size() << " taps, mode " << r.mode);
        auto taps = r.taps;
        IirTapState ts{};
        r.biquad ? vokwIirlInitBq(0, taps.data(), r.n, &ts) : vokwIirlInit(1, taps.data(), r.n, &ts);
        std::vector<short> words(2 * ts.order + 2);  // converted in place
        std::memcpy(words.data(), taps.data(), sizeof(short) * words.size());
        EXPECT_TRUE(r.words.empty() || r.words == words);
        EXPECT_EQ((std::vector<int>{r.biquad ? 2 * r.n : r.n, r.biquad, !r.biquad}),
                  (std::vector<int>{ts.order, ts.isBiquad, ts.iirType}));
        EXPECT_EQ(static_cast<void*>(taps.data()), ts.taps);
        if (r.x.empty()) continue;
        const auto ref = quantised(words, r.n, r.biquad, r.x);
        // The low layer sample by sample (form 0), or one sample and then a block of
        // the rest, low (1) or high layer (2); nothing written past the outputs.
        std::vector<short> y[3];
        for (int form : {0, 1, 2}) {
            if (!(r.forms & (form ? 2 : 1))) continue;
            auto mine = r.taps;
            IirTapState lt{};
            IirDlyState ds{};
            IirState st{};
            std::vector<int> dly(r.biquad ? 2 * r.n : r.n + 1, 12345);
            y[form].assign(r.x.size() + 1, 777);
            int sf = r.sfIn;
            const int rest = int(r.x.size()) - 1;
            if (form == 2) {
                r.biquad ? vokwIirInitBq(1, mine.data(), r.n, &st) : vokwIirInit(1, mine.data(), r.n, &st);
                EXPECT_EQ(31725, st.initMarker);
                EXPECT_EQ(r.taps, mine);  // the high layer keeps its own copy
                y[2][0] = vokwIir(&st, r.x[0], r.mode, &sf);
                EXPECT_EQ(0, vokwbIir(&st, r.x.data() + 1, y[2].data() + 1, rest, r.mode, &sf));
                EXPECT_EQ(0, vokIirFree(&st));
                EXPECT_EQ(0, st.initMarker);
            } else {
                r.biquad ? vokwIirlInitBq(0, mine.data(), r.n, &lt) : vokwIirlInit(0, mine.data(), r.n, &lt);
                vokwIirlInitDlyl(&lt, dly.data(), &ds);
                for (int i = 0; i < (form ? 1 : rest + 1); ++i) y[form][i] = vokwIirl(&lt, &ds, r.x[i], r.mode, &sf);
                if (form) vokwbIirl(&lt, &ds, r.x.data() + 1, y[1].data() + 1, rest, r.mode, &sf);
            }
            EXPECT_EQ(777, y[form].back());
            y[form].pop_back();
            EXPECT_EQ(r.sfOut, sf);
            EXPECT_TRUE(form == 2 || std::equal(r.held.begin(), r.held.end(), dly.begin())) << form;
            EXPECT_TRUE(r.y.empty() ? maxError(y[form], ref) <= (form ? 1.5L : 6.0L) : r.y == y[form]) << form;
        }
        EXPECT_TRUE(!r.y.empty() || y[0] != y[1]);
        EXPECT_TRUE(!(r.forms & 2) || y[1] == y[2]);
    }
}

// ---- Failure reports ----

constexpr int kBad = VOK_StatusBadArg, kMem = VOK_StatusNoMemory;
const char* const kInit = "IIR filter state structure is already initialized! Use vokIirFree to free it";
const char* const kUninit = "structure *tapStPtr wasn't initialized";
const char* const kNotInit = "IIR filter wasn't initialized";
const char* const kNoState = "insufficiency of memory for IIR filter state";
const char* const kNoWork = "No memory for working array";

// The reports of P::names[k] (9: the release), in order, all with one status;
// after an inner failure, the backtrace of the outer function names[outer].
template <class P>
std::vector<Expected> reps(int k, std::vector<const char*> contexts, int status = kBad, int outer = -1) {
    std::vector<Expected> r;
    for (const char* c : contexts)
        r.push_back({status, k < 9 ? P::names[k] : "vokIirFree", c, k < 5 ? P::low : k < 9 ? P::high : "vokiirh"});
    if (outer >= 0) r.push_back({VOK_StatusBacktrace, P::names[outer], "<null>", P::high});
    return r;
}

// Runs 'call' with the n-th allocation from now refused.
template <class Call>
auto refusing(int n, Call call) {
    return [=] {
        vok::testing::failAllocationAfter(n);
        call();
        vok::testing::failAllocationAfter(0);
    };
}

template <class T> class IirReports : public ::testing::Test {};
using Families = ::testing::Types<s, d, c, z, sc, cs, dz, zd, w>;
TYPED_TEST_SUITE(IirReports, Families);

// A failed set-up keeps the caller's coefficients (a0 = -0.0 is zero; b0 or
// a0 of a later section) and leaves the record empty; an inner set-up failing
// adds the outer function's backtrace. A negative status on entry stops every
// operation but the release, silently, writing nothing.
TYPED_TEST(IirReports, EveryFamily) {
    using P = TypeParam;
    using C = typename P::C;
    using O = typename P::O;
    // names: init, initBq, initDlyl, one, blk, hInit, hInitBq, hOne, hBlk
    CheckTable step(P::low);
    IirTapState ts{}, blank{};
    IirDlyState ds{}, none{};
    auto first = valuesOf<C>({1, 0, 1, -0.5L});
    const auto bq = valuesOf<C>({1, 0.5L, 0.25L, 1, 0.1L, 0.2L});
    typename P::Dl dly[2] = {};
    const std::vector<typename P::I> in(4, fromLC<typename P::I>(4));
    Sentinel out(4 * sizeof(O));
    step.run([&] { P::init(2, nullptr, -1, nullptr); },
             reps<P>(0, {"tapStPtr==0", "taps==0", P::orderMsg, "iirType is out of range"}));
    step.run([&] { P::initBq(-1, nullptr, 0, nullptr); },
             reps<P>(1, {"tapStPtr==0", "taps==0", P::quadsMsg, "iirType is out of range"}));
    for (int which : {-1, 0, 3})  // order 1 with a0 = -0; two sections, the second's b0 or a0 -0
        step.run([&] {
            auto taps = which < 0 ? valuesOf<C>({1, 2, -0.0L, 1}) : bq;
            if (which >= 0) taps.insert(taps.end(), bq.begin(), bq.end());
            if (which >= 0) taps[6 + which] = valuesOf<C>({-0.0L})[0];
            const auto keep = taps;
            which < 0 ? P::init(0, taps.data(), 1, &ts) : P::initBq(0, taps.data(), 2, &ts);
            EXPECT_TRUE(sameBits(keep, taps));
            EXPECT_TRUE(which >= 0 || ts.taps == nullptr);
        }, reps<P>(which < 0 ? 0 : 1, {which < 0 ? "taps[order+1] equals zero" : "taps[?] equals zero"}));
    step.run([&] { P::initDlyl(nullptr, nullptr, nullptr); }, reps<P>(2, {"tapStPtr==0", "dlyStPtr==0"}));
    step.run([&] {
        IirTapState junk{3, nullptr, 0, 7};
        P::initDlyl(&junk, nullptr, &ds);
        EXPECT_EQ(nullptr, ds.dlyl);
    }, reps<P>(2, {kUninit, kUninit, "dlyl==0"}));
    step.run([&] { EXPECT_TRUE(sameBits(P::one(nullptr, nullptr, in[0]), O{})); },
             reps<P>(3, {"tapStPtr==0", "dlyStPtr==0"}));
    step.run([&] {
        P::init(0, first.data(), 1, &ts);
        EXPECT_TRUE(sameBits(P::one(&ts, &none, in[0]), O{}));
    }, reps<P>(3, {"structure *dlyStPtr wasn't initialized"}));
    step.run([&] { P::blk(nullptr, nullptr, nullptr, nullptr, -1); },
             reps<P>(4, {"tapStPtr==0", "dlyStPtr==0", "inSamps==0", "outSamps==0"}));
    step.run([&] {
        P::initDlyl(&ts, dly, &ds);
        P::blk(&blank, &ds, in.data(), out.as<O>(), -2);
    }, reps<P>(4, {kUninit, "numIters < 0"}));

    // The high layer.
    IirState st{}, cleared{}, fresh{}, good{};
    st.initMarker = 31725;
    const IirState before = st;
    step.run([&] { P::hInit(0, nullptr, 1, nullptr); }, reps<P>(5, {"statePtr==0", "tapVals==0"}));
    step.run([&] { P::hInitBq(0, nullptr, 1, nullptr); }, reps<P>(6, {"statePtr==0", "tapVals==0"}));
    step.run([&] { P::hInit(3, bq.data(), -1, &st); }, reps<P>(5, {"order < 0", "iirType is out of range", kInit}));
    step.run([&] { P::hInitBq(0, bq.data(), 0, &st); }, reps<P>(6, {"numQuads <= 0", kInit}));
    EXPECT_TRUE(sameBits(&before, &st, 1));
    step.run([&] { EXPECT_TRUE(sameBits(P::hOne(nullptr, in[0]), O{})); }, reps<P>(7, {"statePtr==0"}));
    step.run([&] { EXPECT_TRUE(sameBits(P::hOne(&cleared, in[0]), O{})); }, reps<P>(7, {kNotInit}));
    step.run([&] { EXPECT_EQ(kBad, P::hBlk(nullptr, nullptr, nullptr, 0)); },
             P::k16 ? reps<P>(8, {"statePtr==0", "inSamps==0", "outSamps==0"}) : reps<P>(8, {"statePtr==0"}));
    for (int k : {1, 2})  // the private copy, then the private delay line
        step.run(refusing(k, [&] { P::hInitBq(0, bq.data(), 1, &fresh); }), reps<P>(6, {kNoState}, kMem));
    // A coefficient copy beyond the allocator's byte count fails like a refused allocation.
    if constexpr (!P::k16)
        step.run([&] { P::hInitBq(0, bq.data(), 0x20000000, &fresh); }, reps<P>(6, {kNoState, kNoState}, kMem));
    const auto zeroA = valuesOf<C>({1, 1, 0, 1}), zeroB = valuesOf<C>({0, 1, 1, 1, 1, 1});
    step.run([&] { P::hInit(0, zeroA.data(), 1, &fresh); }, reps<P>(0, {"taps[order+1] equals zero"}, kBad, 5));
    step.run([&] { P::hInitBq(0, zeroB.data(), 1, &fresh); }, reps<P>(1, {"taps[?] equals zero"}, kBad, 6));
    step.run([&] { P::hInit(0, bq.data(), 2, &good); }, {});
    if constexpr (!P::k16)
        step.run([&] { EXPECT_EQ(kBad, P::hBlk(&good, nullptr, out.as<O>(), -1)); },
                 reps<P>(4, {"inSamps==0"}, kBad, 8));
    step.run([&] { EXPECT_EQ(kBad, vokIirFree(nullptr)); }, reps<P>(9, {"statePtr==0"}));
    step.run([&] { EXPECT_EQ(kBad, vokIirFree(&cleared)); }, reps<P>(9, {kNotInit}));

    step.run([&] {
        P::one(&ts, &ds, in[0]);
        P::hOne(&good, in[0]);
    }, {});
    const IirState goodBefore = good;
    const auto* goodDly = static_cast<typename P::Dl*>(good.dlyState.dlyl);
    const std::vector<typename P::Dl> dlyBefore(dly, dly + 1), goodDlyBefore(goodDly, goodDly + 2);
    // The 16-bit work arrays: a refusal reports, returns zero and changes
    // nothing; order 0 takes a null delay line; zero iterations are fine in
    // the low layer and an error in the high one.
    if constexpr (P::k16) {
        for (int biquad : {0, 1})  // no work array: the coefficients stay floats
            step.run(refusing(1, [&] {
                auto t = bq;
                IirTapState t2{};
                biquad ? P::initBq(0, t.data(), 1, &t2) : P::init(0, t.data(), 2, &t2);
                EXPECT_TRUE(sameBits(bq, t));
            }), reps<P>(biquad, {kNoWork}, kMem));
        step.run([&] {
            float gain[] = {3, 1};
            IirTapState t2{};
            IirDlyState d2{};
            P::init(0, gain, 0, &t2);
            P::initDlyl(&t2, nullptr, &d2);
            EXPECT_EQ(6, P::one(&t2, &d2, 2));
            P::blk(&ts, &ds, in.data(), out.as<O>(), 0);
        }, {});
        for (int n : {1, 2})  // each work array failing in turn
            step.run(refusing(n, [&] { EXPECT_EQ(0, P::one(&ts, &ds, 8)); }), reps<P>(3, {kNoWork}, kMem));
        for (int n : {1, 2, 3})
            step.run(refusing(n, [&] { P::blk(&ts, &ds, in.data(), out.as<O>(), 3); }), reps<P>(4, {kNoWork}, kMem));
        EXPECT_EQ(2, dly[0]);
        step.run(refusing(3, [&] { P::hInit(0, bq.data(), 2, &fresh); }), reps<P>(0, {kNoWork}, kMem, 5));
        step.run([&] { EXPECT_EQ(kBad, P::hBlk(&cleared, in.data(), out.as<O>(), 0)); },
                 reps<P>(8, {"numIters <= 0", kNotInit}));
        step.run(refusing(3, [&] { EXPECT_EQ(kMem, P::hBlk(&good, in.data(), out.as<O>(), 2)); }),
                 reps<P>(4, {kNoWork}, kMem, 8));
    }
    EXPECT_EQ(0, fresh.initMarker);
    auto unused = valuesOf<C>({2, 1, 4, 0.5L, 1, 1});
    const auto unusedBefore = unused;
    step.run([&] {
        vokSetErrStatus(kBad);
        IirTapState t2{};
        IirState other{};
        EXPECT_TRUE(sameBits(P::one(&ts, &ds, in[0]), O{}));
        EXPECT_TRUE(sameBits(P::hOne(&good, in[0]), O{}));
        P::blk(&ts, &ds, in.data(), out.as<O>(), 3);
        EXPECT_EQ(kBad, P::hBlk(&good, in.data(), out.as<O>(), 3));
        P::init(0, unused.data(), 1, &t2);
        P::initBq(0, unused.data(), 1, &t2);
        P::hInit(0, unused.data(), 1, &other);
        P::hInitBq(0, unused.data(), 1, &other);
        P::initDlyl(&ts, dly, &ds);
        EXPECT_TRUE(t2.taps == nullptr && other.initMarker == 0 && sameBits(&goodBefore, &good, 1));
        EXPECT_TRUE(sameBits(dlyBefore.data(), dly, 1) && sameBits(goodDlyBefore.data(), goodDly, 2));
        EXPECT_TRUE(sameBits(unusedBefore, unused));
        EXPECT_EQ(0, vokIirFree(&good));  // only the release still works
        EXPECT_EQ(0, good.initMarker);
    }, {});
    EXPECT_TRUE(out.untouched());
}

}  // namespace
