// IIR filters, every type combination through one static interface: values
// against a long-double recursion written from the difference equation (for
// 16 bits on the quantised coefficients), both layers, the segment-parallel
// cascade path at every kernel width, the lane kernel; every failure report in
// check order, each call leaving everything of the caller's alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "kernels/iir.h"
#include "voktest/filter_calls.h"
#include "voktest/sweep.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using namespace voktest;
using LD = long double;

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

template <class T> class IirTypes : public ::testing::Test {};
using AllCombos = ::testing::Types<s, d, c, z, sc, cs, dz, zd>;
TYPED_TEST_SUITE(IirTypes, AllCombos);

// Orders 0..6 and cascades of 1, 2 and 4 sections: the caller's array holds the normalised
// coefficients; the low layer sample by sample follows the recursion; its blocks of uneven sizes
// (empty ones among them) and the high layer give the same bits, write nothing past the outputs,
// and the high layer leaves the caller's taps alone.
TYPED_TEST(IirTypes, BothLayersFollowTheDifferenceEquation) {
    using P = TypeParam;
    using I = typename P::I;
    using O = typename P::O;
    const LD tolerance = sizeof(Real<O>) == 4 ? 2e-5L : 1e-12L;
    const auto x = randomVector<I>(201, 3);
    for (auto [biquad, n] : {std::pair{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 6}, {1, 1}, {1, 2}, {1, 4}}) {
        SCOPED_TRACE(testing::Message() << "biquad " << biquad << " n " << n);
        std::vector<typename P::C> taps;
        std::vector<LC> ref = asLCs(x), norm(biquad, LC(1));  // a cascade's gain leads
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
            }
            for (int k = 0; !biquad && k <= 2 * order; ++k) norm.push_back((k <= order ? b[k] : a[k - order]) / a[0]);
            if (!biquad) norm.push_back(a[order]);
        }
        std::vector<typename P::C> low[2] = {taps, taps};
        std::vector<O> dly[2] = {std::vector<O>(2 * n + 1), std::vector<O>(2 * n + 1)};
        IirTapState ts[2]{};
        IirDlyState ds[2]{};
        for (int i : {0, 1}) {  // iirType 1, then 0
            biquad ? P::initBq(1 - i, low[i].data(), n, &ts[i]) : P::init(1 - i, low[i].data(), n, &ts[i]);
            P::initDlyl(&ts[i], n ? dly[i].data() : nullptr, &ds[i]);
        }
        EXPECT_EQ((std::vector{biquad, biquad ? 2 * n : n, 1}), (std::vector{ts->isBiquad, ts->order, ts->iirType}));
        for (size_t k = 0; k < norm.size(); ++k) EXPECT_LE(std::abs(asLC(low[0][k]) - norm[k]), tolerance * 4) << k;
        const auto keep = taps;
        IirState st{};
        biquad ? P::hInitBq(biquad, taps.data(), n, &st) : P::hInit(biquad, taps.data(), n, &st);
        EXPECT_TRUE(sameBits(keep, taps));
        const Layer<I, O> low1{nullptr, [&](const I& v) { return P::one(&ts[0], &ds[0], v); }},
            lowBlocks{[&](const I* in, O* out, int len) { P::blk(&ts[1], &ds[1], in, out, len); }},
            high{[&](const I* in, O* out, int len) { EXPECT_EQ(0, P::hBlk(&st, in, out, len)); },
                 [&](const I& v) { return P::hOne(&st, v); }};
        const auto one = throughLayers<I, O>({{low1, std::vector<int>(x.size(), kOneSample)},
                                              {lowBlocks, {0, 1, 2, 5, 64, 129}}, {high, {kOneSample, 0, 200}}}, x.data());
        EXPECT_LE(maxError(one, ref) / std::max(1.0L, maxError(std::vector<LC>{}, ref)), tolerance);
        EXPECT_TRUE(vokIirFree(&st) == 0 && st.initMarker == 0);
    }
}

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

// The outputs of a fresh high-layer cascade of float (P = s) or double (P = d) data run in blocks of the
// given lengths in turn (none: sample by sample), and its delay line after them.
template <class P, class T = typename P::I>
std::pair<std::vector<T>, std::vector<T>> cascade(const std::vector<float>& t, const std::vector<T>& x,
                                                  const std::vector<int>& lengths, bool inPlace = false) {
    const std::vector<T> taps(t.begin(), t.end());
    IirState st{};
    P::hInitBq(0, taps.data(), int(t.size() / 6), &st);
    std::vector<T> y = inPlace ? x : std::vector<T>(x.size());
    for (size_t at = 0, k = 0; at < x.size(); ++k) {
        const int n = lengths.empty() ? 1 : std::min(std::abs(lengths[k % lengths.size()]), int(x.size() - at));
        if (lengths.empty()) y[at] = P::hOne(&st, x[at]);
        else EXPECT_EQ(0, P::hBlk(&st, (inPlace ? y : x).data() + at, y.data() + at, n));
        at += size_t(n);
    }
    const T* dly = static_cast<const T*>(st.dlyState.dlyl);
    std::pair<std::vector<T>, std::vector<T>> out{y, {dly, dly + st.tapState.order}};
    vokIirFree(&st);
    return out;
}

// Lengths around the segment sizes: below the threshold (one-sample bits), one short chunk, whole chunks, and
// whole chunks with tails of every kind. At every width one long block, and the same samples in place in blocks
// of random lengths (empty and short ones among them), give outputs and delays as accurate as the one-sample
// filter's, the long block's equal to the bit to the first width's. fade: the input scaled down to 2^-fade over
// the block, through the subnormal range, where products' rounding errors are no longer exact.
TEST(IirSegments, LongBlocksAreAsAccurateAsTheOneSampleFilter) {
    const auto check = [&]<class P, class T = typename P::I>(P, int nq, double radius, double fade) {
        const auto t = makeSections(nq, radius, 11u * nq);
        for (int n : {1023, 1024, 1031, 2048, 2049, 3000, 4095, 4096, 4096 + 1024 + 7, 20000}) {
            SCOPED_TRACE(testing::Message() << nq << " sections, radius " << radius << " fade " << fade << " n " << n);
            auto x = randomVector<T>(n, unsigned(n));
            for (int i = 0; i < n; ++i) x[i] = T(std::ldexp(x[i], -int(fade * i / n)));
            std::vector<LC> ref(x.begin(), x.end());
            for (size_t q = 0; q < t.size(); q += 6)
                ref = directForm({t[q], t[q + 1], t[q + 2]}, {t[q + 3], t[q + 4], t[q + 5]}, ref);
            const auto lengths = randomVector<int>(200, unsigned(n + nq), n % 2 ? 700 : 5000);  // magnitudes used
            std::pair<std::vector<T>, std::vector<T>> first;
            forEachWidth([&] {
                const auto block = cascade<P>(t, x, {n}), one = cascade<P>(t, x, {});
                const auto split = cascade<P>(t, x, lengths, true);
                // A few ulps of the signal scale (its distance from zero), or twice the one-sample error.
                const LD scale = maxError(std::vector<T>{}, ref), eps = std::numeric_limits<T>::epsilon();
                const LD tol = std::max(8 * eps * scale, 2 * maxError(one.first, ref));
                EXPECT_LE(maxError(block.first, ref), tol);
                EXPECT_LE(maxError(split.first, ref), tol);
                EXPECT_LE(std::max(maxError(one.second, block.second), maxError(one.second, split.second)), 2 * tol);
                EXPECT_TRUE(n >= 1024 || (sameBits(one.first, block.first) && sameBits(one.second, block.second)));
                if (first.first.empty()) first = block;
                EXPECT_TRUE(sameBits(first.first, block.first) && sameBits(first.second, block.second));
            });
        }
    };
    for (auto [nq, radius, fade] : {std::tuple{1, 0.7, 0}, {2, 0.8, 0}, {3, 0.95, 0}, {4, 0.6, 0}, {4, 0.995, 0},
                                    {5, 0.8, 0}, {6, 0.9, 0}, {8, 0.9, 0}, {8, 0.995, 0}, {9, 0.7, 0}, {2, 0.8, 1100},
                                    {4, 0.6, 1100}}) {
        check(s{}, nq, radius, fade);
        check(d{}, nq, radius, fade);
    }
}

// A NaN in the third segment: everything before it stays equal to the clean
// run, everything from it on is NaN, as in the one-sample filter.
TEST(IirSegments, NonFiniteInput) {
    const auto t = makeSections(3, 0.8, 8);
    auto x = randomVector<float>(5000, 9);
    const auto clean = cascade<s>(t, x, {5000}).first;
    const int bad = 2 * 256 + 100;
    x[bad] = NAN;
    forEachWidth([&] {
        const auto [yc, dc] = cascade<s>(t, x, {5000});
        const auto yd = cascade<s>(t, x, {}).first;
        for (int i = 0; i < int(x.size()); ++i) {
            ASSERT_EQ(std::isnan(yd[i]), std::isnan(yc[i])) << i;
            if (i < bad) ASSERT_EQ(clean[i], yc[i]) << i;
        }
        EXPECT_TRUE(std::isnan(dc[0]));
    });
}

// The lane kernel against a plain per-lane recursion with the same operation order: the plain
// kernel, reading v (form 0) or writing it out (1), equal to it to the bit; the compensated forms
// (double data) close to it. Every form gives the same bits at every width.
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
        std::vector<double> first[4];
        forEachWidth([&] {
            const auto& k = vok::kernels::iir();
            const decltype(k.biquadLanes) forms[] = {k.biquadLanes, k.biquadLanes, k.biquadLanesCompensated,
                                                     k.biquadLanesCompensatedFeedback};
            for (int form = 0; form < 4; ++form) {
                auto v = v0, st = state0;
                forms[form](coef.data(), nq, st.data(), v.data(), steps, form > 0);
                if (form < 2) EXPECT_TRUE(sameBits(refState, st) && sameBits(form ? refV : v0, v)) << nq << " " << form;
                else EXPECT_LE(maxError(v, refV) + maxError(st, refState), 1e-13L) << nq << " " << form;
                v.insert(v.end(), st.begin(), st.end());
                if (first[form].empty()) first[form] = v;
                EXPECT_TRUE(sameBits(first[form], v)) << nq << " " << form;
            }
        });
    }
}

// Each row a filter, optionally its words (Q, then a0 divided out, the denominator stored negated) and
// an input with its scale mode, the outputs and the low layer's delay line at the end.
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

// Dyadic filters and the scale modes have exact outputs (automatic scaling: one factor for a block, one per
// output sample by sample), the delay line rounds to nearest even; designed filters stay within a few units
// of the recursion on their quantised coefficients, the block form closer (its delays stay float until it
// ends). Both layers give the same outputs, in blocks and sample by sample.
TEST(Iir16, WordsAndFiltersInBothLayers) {
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
        {{1, 0, 1, -0.5f}, 1, 0, {}, {16384, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // the impulse response halves
         {16384, 8192, 4096, 2048, 1024, 512, 256, 128, 64, 32, 16, 8}},
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
        EXPECT_EQ((std::vector<int>{r.biquad ? 2 * r.n : r.n, r.biquad, !r.biquad, 1}),
                  (std::vector<int>{ts.order, ts.isBiquad, ts.iirType, static_cast<void*>(taps.data()) == ts.taps}));
        if (r.x.empty()) continue;
        const auto ref = quantised(words, r.n, r.biquad, r.x);
        // Both layers sample by sample (form 0), or one sample and then a block of the rest (form 1); nothing
        // written past the outputs.
        std::vector<short> y[2];
        for (int form : {0, 1}) {
            if (!(r.forms & (form + 1))) continue;
            auto mine = r.taps, own = r.taps;
            IirTapState lt{};
            IirDlyState ds{};
            IirState st{};
            std::vector<int> dly(r.biquad ? 2 * r.n : r.n + 1, 12345);
            int sf = r.sfIn, sfHigh = r.sfIn;
            const int rest = int(r.x.size()) - 1;
            r.biquad ? vokwIirlInitBq(0, mine.data(), r.n, &lt) : vokwIirlInit(0, mine.data(), r.n, &lt);
            vokwIirlInitDlyl(&lt, dly.data(), &ds);
            r.biquad ? vokwIirInitBq(1, own.data(), r.n, &st) : vokwIirInit(1, own.data(), r.n, &st);
            EXPECT_TRUE(st.initMarker == 31725 && r.taps == own);  // the high layer keeps its own copy
            using L = Layer<short, short>;
            const auto cut = form ? std::vector{kOneSample, rest} : std::vector<int>(rest + 1, kOneSample);
            y[form] = throughLayers<short, short>(
                {{L{[&](const short* in, short* out, int n) { vokwbIirl(&lt, &ds, in, out, n, r.mode, &sf); },
                    [&](const short& v) { return vokwIirl(&lt, &ds, v, r.mode, &sf); }}, cut},
                 {L{[&](const short* in, short* out, int n) {
                        EXPECT_EQ(0, vokwbIir(&st, in, out, n, r.mode, &sfHigh));
                    }, [&](const short& v) { return vokwIir(&st, v, r.mode, &sfHigh); }}, cut}}, r.x.data());
            EXPECT_TRUE(sf == r.sfOut && sfHigh == r.sfOut) << sf << " " << sfHigh;
            EXPECT_TRUE(vokIirFree(&st) == 0 && st.initMarker == 0);
            EXPECT_TRUE(std::equal(r.held.begin(), r.held.end(), dly.begin())) << form;
            EXPECT_TRUE(r.y.empty() ? maxError(y[form], ref) <= (form ? 1.5L : 6.0L) : r.y == y[form]) << form;
        }
        EXPECT_TRUE(!r.y.empty() || y[0] != y[1]);
    }
}

constexpr int kBad = VOK_StatusBadArg, kMem = VOK_StatusNoMemory;
const char* const kInit = "IIR filter state structure is already initialized! Use vokIirFree to free it";
const char *const kUninit = "structure *tapStPtr wasn't initialized", *const kNotInit = "IIR filter wasn't initialized";
const char* const kNoState = "insufficiency of memory for IIR filter state";
const char* const kNoWork = "No memory for working array";
const char *const kTap = "tapStPtr==0", *const kState = "statePtr==0", *const kType = "iirType is out of range";

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
    CheckTable step(P::low);
    // The call (with the refuse-th allocation from now refused) reports the contexts in order as P::names[k]
    // (9: the release), all with one status; after an inner failure, the backtrace of the outer names[outer].
    const auto run = [&](int k, auto call, std::vector<const char*> contexts, int status = kBad, int outer = -1,
                         int refuse = 0) {
        std::vector<Expected> r;
        for (const char* c : contexts)
            r.push_back({status, k < 9 ? P::names[k] : "vokIirFree", c, k < 5 ? P::low : k < 9 ? P::high : "vokiirh"});
        if (outer >= 0) r.push_back({VOK_StatusBacktrace, P::names[outer], "<null>", P::high});
        step.run(robust::starved(refuse, call), r);
    };
    IirTapState ts{}, blank{}, junk{3, nullptr, 0, 7}, unset{};
    IirDlyState ds{}, none{};
    auto first = valuesOf<C>({1, 0, 1, -0.5L});
    const auto bq = valuesOf<C>({1, 0.5L, 0.25L, 1, 0.1L, 0.2L});
    typename P::Dl dly[2] = {};
    const std::vector<typename P::I> in(4, fromLC<typename P::I>(4));
    O* out = step.buffer<O>();  // failed calls write nowhere: the table checks its buffer
    run(0, [&] { P::init(2, nullptr, -1, nullptr); }, {kTap, "taps==0", P::k16 ? "order<0" : "order < 0", kType});
    run(1, [&] { P::initBq(-1, nullptr, 0, nullptr); }, {kTap, "taps==0", P::k16 ? "numQuads<=0" : "numQuads <= 0",
                                                           kType});
    for (int which : {-1, 0, 3})  // order 1 with a0 = -0; two sections, the second's b0 or a0 -0
        run(which < 0 ? 0 : 1, [&] {
            auto taps = which < 0 ? valuesOf<C>({1, 2, -0.0L, 1}) : bq;
            if (which >= 0) taps.insert(taps.end(), bq.begin(), bq.end());
            if (which >= 0) taps[6 + which] = fromLC<C>(-0.0L);
            const auto keep = taps;
            which < 0 ? P::init(0, taps.data(), 1, &ts) : P::initBq(0, taps.data(), 2, &ts);
            EXPECT_TRUE(sameBits(keep, taps));
            EXPECT_TRUE(which >= 0 || ts.taps == nullptr);
        }, {which < 0 ? "taps[order+1] equals zero" : "taps[?] equals zero"});
    run(2, [&] { P::initDlyl(nullptr, nullptr, nullptr); }, {kTap, "dlyStPtr==0"});
    run(2, [&] { P::initDlyl(&junk, nullptr, &ds); }, {kUninit, kUninit, "dlyl==0"});
    EXPECT_EQ(nullptr, ds.dlyl);
    run(3, [&] { EXPECT_TRUE(sameBits(P::one(nullptr, nullptr, in[0]), O{})); }, {kTap, "dlyStPtr==0"});
    run(0, [&] { P::init(0, first.data(), 1, &ts); }, {});
    run(3, [&] { EXPECT_TRUE(sameBits(P::one(&ts, &none, in[0]), O{})); }, {"structure *dlyStPtr wasn't initialized"});
    run(4, [&] { P::blk(nullptr, nullptr, nullptr, nullptr, -1); }, {kTap, "dlyStPtr==0", "inSamps==0", "outSamps==0"});
    run(2, [&] { P::initDlyl(&ts, dly, &ds); }, {});
    run(4, [&] { P::blk(&blank, &ds, in.data(), out, -2); }, {kUninit, "numIters < 0"});
    IirState st{}, cleared{}, fresh{}, good{}, other{};
    st.initMarker = 31725;
    const IirState before = st;
    run(5, [&] { P::hInit(0, nullptr, 1, nullptr); }, {kState, "tapVals==0"});
    run(6, [&] { P::hInitBq(0, nullptr, 1, nullptr); }, {kState, "tapVals==0"});
    run(5, [&] { P::hInit(3, bq.data(), -1, &st); }, {"order < 0", kType, kInit});
    run(6, [&] { P::hInitBq(0, bq.data(), 0, &st); }, {"numQuads <= 0", kInit});
    EXPECT_TRUE(sameBits(&before, &st, 1));
    run(7, [&] { EXPECT_TRUE(sameBits(P::hOne(nullptr, in[0]), O{})); }, {kState});
    run(7, [&] { EXPECT_TRUE(sameBits(P::hOne(&cleared, in[0]), O{})); }, {kNotInit});
    run(8, [&] { EXPECT_EQ(kBad, P::hBlk(nullptr, nullptr, nullptr, 0)); },
        P::k16 ? std::vector{kState, "inSamps==0", "outSamps==0"} : std::vector{kState});
    for (int k : {1, 2})  // the private copy, then the private delay line
        run(6, [&] { P::hInitBq(0, bq.data(), 1, &fresh); }, {kNoState}, kMem, -1, k);
    // A coefficient copy beyond the allocator's byte count fails like a refused allocation.
    if constexpr (!P::k16) run(6, [&] { P::hInitBq(0, bq.data(), 0x20000000, &fresh); }, {kNoState, kNoState}, kMem);
    const auto zeroA = valuesOf<C>({1, 1, 0, 1}), zeroB = valuesOf<C>({0, 1, 1, 1, 1, 1});
    run(0, [&] { P::hInit(0, zeroA.data(), 1, &fresh); }, {"taps[order+1] equals zero"}, kBad, 5);
    run(1, [&] { P::hInitBq(0, zeroB.data(), 1, &fresh); }, {"taps[?] equals zero"}, kBad, 6);
    run(0, [&] { P::hInit(0, bq.data(), 2, &good); }, {});
    if constexpr (!P::k16) run(4, [&] { EXPECT_EQ(kBad, P::hBlk(&good, nullptr, out, -1)); }, {"inSamps==0"}, kBad, 8);
    run(9, [&] { EXPECT_EQ(kBad, vokIirFree(nullptr)); }, {kState});
    run(9, [&] { EXPECT_EQ(kBad, vokIirFree(&cleared)); }, {kNotInit});
    run(0, [&] { P::one(&ts, &ds, in[0]); }, {});
    run(0, [&] { P::hOne(&good, in[0]); }, {});
    const IirState goodBefore = good;
    const auto* goodDly = static_cast<typename P::Dl*>(good.dlyState.dlyl);
    const std::vector<typename P::Dl> dlyBefore(dly, dly + 1), goodDlyBefore(goodDly, goodDly + 2);
    // The 16-bit work arrays: a refusal reports, returns zero and changes
    // nothing; order 0 takes a null delay line; zero iterations are fine in
    // the low layer and an error in the high one.
    if constexpr (P::k16) {
        for (int biquad : {0, 1})  // no work array: the coefficients stay floats
            run(biquad, [&] {
                auto t = bq;
                IirTapState t2{};
                biquad ? P::initBq(0, t.data(), 1, &t2) : P::init(0, t.data(), 2, &t2);
                EXPECT_TRUE(sameBits(bq, t));
            }, {kNoWork}, kMem, -1, 1);
        float gain[] = {3, 1};
        IirTapState gainTaps{};
        IirDlyState gainDly{};
        run(0, [&] { P::init(0, gain, 0, &gainTaps); }, {});
        run(2, [&] { P::initDlyl(&gainTaps, nullptr, &gainDly); }, {});
        run(3, [&] { EXPECT_EQ(6, P::one(&gainTaps, &gainDly, 2)); }, {});
        run(4, [&] { P::blk(&ts, &ds, in.data(), out, 0); }, {});
        for (int n : {1, 2})  // each work array failing in turn
            run(3, [&] { EXPECT_EQ(0, P::one(&ts, &ds, 8)); }, {kNoWork}, kMem, -1, n);
        for (int n : {1, 2, 3}) run(4, [&] { P::blk(&ts, &ds, in.data(), out, 3); }, {kNoWork}, kMem, -1, n);
        EXPECT_EQ(2, dly[0]);
        run(0, [&] { P::hInit(0, bq.data(), 2, &fresh); }, {kNoWork}, kMem, 5, 3);
        run(8, [&] { EXPECT_EQ(kBad, P::hBlk(&cleared, in.data(), out, 0)); }, {"numIters <= 0", kNotInit});
        run(4, [&] { EXPECT_EQ(kMem, P::hBlk(&good, in.data(), out, 2)); }, {kNoWork}, kMem, 8, 3);
    }
    EXPECT_EQ(0, fresh.initMarker);
    auto unused = valuesOf<C>({2, 1, 4, 0.5L, 1, 1});
    const auto unusedBefore = unused;
    run(0, [&] {
        vokSetErrStatus(kBad);
        EXPECT_TRUE(sameBits(P::one(&ts, &ds, in[0]), O{}));
        EXPECT_TRUE(sameBits(P::hOne(&good, in[0]), O{}));
        P::blk(&ts, &ds, in.data(), out, 3);
        EXPECT_EQ(kBad, P::hBlk(&good, in.data(), out, 3));
        P::init(0, unused.data(), 1, &unset);
        P::initBq(0, unused.data(), 1, &unset);
        P::hInit(0, unused.data(), 1, &other);
        P::hInitBq(0, unused.data(), 1, &other);
        P::initDlyl(&ts, dly, &ds);
        EXPECT_TRUE(unset.taps == nullptr && other.initMarker == 0 && sameBits(&goodBefore, &good, 1));
        EXPECT_TRUE(sameBits(dlyBefore.data(), dly, 1) && sameBits(goodDlyBefore.data(), goodDly, 2));
        EXPECT_TRUE(sameBits(unusedBefore, unused));
        EXPECT_TRUE(vokIirFree(&good) == 0 && good.initMarker == 0);  // only the release still works
    }, {});
}

}  // namespace
