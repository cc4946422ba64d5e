// Long float and double blocks through biquad cascades: the segment-parallel
// path against a long-double cascade and the one-sample filter, across block
// splits and kernel widths, plus the lane kernel itself.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "kernels/iir.h"
#include "support/widths.h"
#include "vok.h"

namespace {

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

template <class T = float>
std::vector<T> noise(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> u(-1, 1);
    std::vector<T> x(n);
    for (auto& v : x) v = u(gen);
    return x;
}

// a0 y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2], section by section.
template <class T>
std::vector<LD> directCascade(const std::vector<float>& t, const std::vector<T>& x) {
    std::vector<LD> v(x.begin(), x.end());
    for (size_t q = 0; q < t.size() / 6; ++q) {
        const float* s = &t[6 * q];
        LD x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (auto& e : v) {
            const LD y = (LD(s[0]) * e + LD(s[1]) * x1 + LD(s[2]) * x2 - LD(s[4]) * y1 - LD(s[5]) * y2) / LD(s[3]);
            x2 = x1, x1 = e, y2 = y1, y1 = e = y;
        }
    }
    return v;
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
        const auto x = noise<T>(n, unsigned(n));
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
    const auto x = noise(30000, 4);
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
    auto x = noise(5000, 9);
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
