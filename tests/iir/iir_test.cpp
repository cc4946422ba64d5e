// Floating-point IIR filters, every type combination: the normalised
// coefficients, arbitrary order and biquad cascades against a long-double
// recursion written from the difference equation, both layers giving the same
// bits; long float and double blocks through the segment-parallel cascade
// path at every kernel width, and the lane kernel itself.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "iir/iir_calls.h"
#include "kernels/iir.h"
#include "voktest/values.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using namespace voktest;
using namespace iirtest;

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
    const long double tolerance = sizeof(Real<O>) == 4 ? 2e-5L : 1e-12L;
    const auto x = randomVector<typename P::I>(201, 3);
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
            for (int k = 0; k <= order; ++k) b.push_back(asLC(t[k])), a.push_back(asLC(t[order + 1 + k]));
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
        std::vector<O> dly(2 * n + 1), dly2(2 * n + 1), one(x.size()), blk(x.size() + 1), high(x.size() + 1);
        biquad ? P::initBq(1, low.data(), n, &ts) : P::init(1, low.data(), n, &ts);
        biquad ? P::initBq(0, low2.data(), n, &ts2) : P::init(0, low2.data(), n, &ts2);
        EXPECT_EQ((std::vector<int>{biquad, biquad ? 2 * n : n, 1}),
                  (std::vector<int>{ts.isBiquad, ts.order, ts.iirType}));
        for (size_t k = 0; k < norm.size(); ++k) EXPECT_LE(std::abs(asLC(low[k]) - norm[k]), tolerance * 4) << k;
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
        blk.back() = high.back() = fromLC<O>(LC(7, 7));
        for (int len : {0, 1, 2, 5, 64, 129}) P::blk(&ts2, &ds2, x.data() + pos, blk.data() + pos, len), pos += len;
        EXPECT_TRUE(sameBits(one, {blk.begin(), blk.end() - 1}));

        const auto keep = taps;
        IirState st{};
        biquad ? P::hInitBq(biquad, taps.data(), n, &st) : P::hInit(biquad, taps.data(), n, &st);
        EXPECT_TRUE(sameBits(keep, taps));
        high[0] = P::hOne(&st, x[0]);
        EXPECT_EQ(0, P::hBlk(&st, x.data() + 1, &high.back(), 0));  // writes nothing, not even the guard
        EXPECT_EQ(0, P::hBlk(&st, x.data() + 1, high.data() + 1, 200));
        EXPECT_TRUE(sameBits(one, {high.begin(), high.end() - 1}));
        EXPECT_TRUE(sameBits(std::vector<O>{blk.back(), high.back()}, std::vector<O>(2, fromLC<O>(LC(7, 7)))));
        EXPECT_EQ(0, vokIirFree(&st));
        EXPECT_EQ(0, st.initMarker);
    }
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

template <class A, class B>
LD maxError(const std::vector<A>& a, const std::vector<B>& b) {
    LD err = 0;
    for (size_t i = 0; i < a.size(); ++i) err = std::max(err, std::fabs(LD(a[i]) - LD(b[i])));
    return err;
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
        const auto ref = directCascade(t, x);
        std::mt19937 gen(unsigned(n + nq));
        std::uniform_int_distribution<int> len(0, n % 2 ? 700 : 5000);
        std::vector<int> lengths(200);
        for (int& l : lengths) l = len(gen);
        std::vector<T> first, firstDelay;
        forEachWidth([&] {
            Cascade<P> blockF(t), oneF(t), splitF(t);
            const auto yb = blockF.run(x, {n}), y1 = oneF.run(x, {}), ys = splitF.run(x, lengths, true);
            // A few ulps of the signal scale (the largest distance from zero), or twice the one-sample error.
            const LD scale = maxError(std::vector<T>(x.size()), ref), eps = std::numeric_limits<T>::epsilon();
            const LD tol = std::max(8 * eps * scale, 2 * maxError(y1, ref));
            EXPECT_LE(maxError(yb, ref), tol);
            EXPECT_LE(maxError(ys, ref), tol);
            EXPECT_LE(maxError(oneF.delay(), blockF.delay()), 2 * tol);
            EXPECT_LE(maxError(oneF.delay(), splitF.delay()), 2 * tol);
            EXPECT_TRUE(n >= 1024 || (sameBits(y1, yb) && sameBits(oneF.delay(), blockF.delay())));
            if (first.empty()) first = yb, firstDelay = blockF.delay();
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
        forEachWidth([&] {
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
