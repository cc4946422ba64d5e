// IIR filter values. Floating point, every type combination: the normalised
// coefficients, arbitrary order and biquad cascades against a long-double
// recursion written from the difference equation, both layers giving the same
// bits; long float and double blocks through the segment-parallel cascade path
// at every kernel width, and the lane kernel itself. 16 bits: the coefficient
// words and their common Q, exact results on dyadic filters, the scale modes,
// designed filters against the recursion on the quantised coefficients.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "iir/iir_calls.h"
#include "kernels/iir.h"
#include "voktest/filter_calls.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using namespace voktest;
using namespace iirtest;
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

template <class T>
class IirTypes : public ::testing::Test {};
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
            const int n = lengths.empty() ? 1 : std::min<int>(lengths[k % lengths.size()], int(x.size() - at));
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
void expectAccurateLongBlocks(int nq, double radius) {
    using T = typename P::I;
    const auto t = makeSections(nq, radius, 11u * nq);
    for (int n : {1023, 1024, 1031, 2048, 2049, 3000, 4095, 4096, 4096 + 1024 + 7, 20000}) {
        SCOPED_TRACE(testing::Message() << nq << " sections, radius " << radius << ", length " << n);
        const auto x = randomVector<T>(n, unsigned(n));
        std::vector<LC> ref(x.begin(), x.end());
        for (size_t q = 0; q < t.size(); q += 6)
            ref = directForm({t[q], t[q + 1], t[q + 2]}, {t[q + 3], t[q + 4], t[q + 5]}, ref);
        std::mt19937 gen(unsigned(n + nq));
        std::uniform_int_distribution<int> len(0, n % 2 ? 700 : 5000);
        std::vector<int> lengths(200);
        for (int& l : lengths) l = len(gen);
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
    for (auto [nq, radius] : {std::pair{1, 0.7}, {2, 0.8}, {3, 0.95}, {4, 0.6}, {4, 0.995}, {5, 0.8}, {6, 0.9},
                              {8, 0.9}, {9, 0.7}}) {
        expectAccurateLongBlocks<s>(nq, radius);
        expectAccurateLongBlocks<d>(nq, radius);
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
// order: equal to the bit at every width, with and without writing out.
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
        forEachWidth([&] {
            for (int write = 0; write < 2; ++write) {
                auto v = v0, st = state0;
                vok::kernels::iir().biquadLanes(coef.data(), nq, st.data(), v.data(), steps, write);
                EXPECT_TRUE(sameBits(refState, st) && sameBits(write ? refV : v0, v)) << nq << " " << write;
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

// A row's filter over its input: the low layer sample by sample (form 0), or
// one sample and then a block of the rest, low (1) or high layer (2). The high
// layer leaves the caller's taps alone; nothing is written past the outputs.
std::vector<short> run(const Row16& r, int form, int* sf, std::vector<int>& dly) {
    auto taps = r.taps;
    IirTapState ts{};
    IirDlyState ds{};
    IirState st{};
    dly.assign(r.biquad ? 2 * r.n : r.n + 1, 12345);
    std::vector<short> y(r.x.size() + 1, 777);
    const int rest = int(r.x.size()) - 1;
    if (form == 2) {
        r.biquad ? vokwIirInitBq(1, taps.data(), r.n, &st) : vokwIirInit(1, taps.data(), r.n, &st);
        EXPECT_EQ(31725, st.initMarker);
        EXPECT_EQ(r.taps, taps);
        y[0] = vokwIir(&st, r.x[0], r.mode, sf);
        EXPECT_EQ(0, vokwbIir(&st, r.x.data() + 1, y.data() + 1, rest, r.mode, sf));
        EXPECT_EQ(0, vokIirFree(&st));
        EXPECT_EQ(0, st.initMarker);
    } else {
        r.biquad ? vokwIirlInitBq(0, taps.data(), r.n, &ts) : vokwIirlInit(0, taps.data(), r.n, &ts);
        vokwIirlInitDlyl(&ts, dly.data(), &ds);
        for (size_t i = 0; i < (form ? 1 : r.x.size()); ++i) y[i] = vokwIirl(&ts, &ds, r.x[i], r.mode, sf);
        if (form) vokwbIirl(&ts, &ds, r.x.data() + 1, y.data() + 1, rest, r.mode, sf);
    }
    EXPECT_EQ(777, y.back());
    y.pop_back();
    return y;
}

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
        std::vector<short> y[3];
        for (int form : {0, 1, 2}) {
            if (!(r.forms & (form ? 2 : 1))) continue;
            int sf = r.sfIn;
            std::vector<int> dly;
            y[form] = run(r, form, &sf, dly);
            EXPECT_EQ(r.sfOut, sf);
            EXPECT_TRUE(form == 2 || std::equal(r.held.begin(), r.held.end(), dly.begin())) << form;
            EXPECT_TRUE(r.y.empty() ? maxError(y[form], ref) <= (form ? 1.5L : 6.0L) : r.y == y[form]) << form;
        }
        EXPECT_TRUE(!r.y.empty() || y[0] != y[1]);
        EXPECT_TRUE(!(r.forms & 2) || y[1] == y[2]);
    }
}

}  // namespace
