// Statistics, norms and normalization against long double references over
// random vectors (denormals, mixed signs and magnitudes), the same bits at
// every width, the relative-norm rules and non-finite data.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "support/reports.h"
#include "support/widths.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;

template <class T>
std::vector<T> randomReals(int n, std::mt19937& rng) {
    std::uniform_real_distribution<double> exponent(-40, 40), u(-1, 1);
    std::vector<T> v(n);
    for (auto& x : v) x = T(u(rng) * std::exp(exponent(rng)));
    if (n > 3) v[n / 2] = sizeof(T) == 4 ? T(FLT_TRUE_MIN) * 3 : T(4.9e-324) * 3;  // a denormal
    return v;
}

template <class T>
T ulp(T x) { return std::nextafter(std::fabs(T(x)), std::numeric_limits<T>::infinity()) - std::fabs(T(x)); }

template <class T> struct Stats;
template <> struct Stats<float> {
    static float mean(const float* v, int n) { return voksMean(v, n); }
    static float meanSquare(const float* v, int n) { return voksStdDev(v, n); }
    static float norm(const float* a, const float* b, int n, int f) { return voksNorm(a, b, n, f); }
};
template <> struct Stats<double> {
    static double mean(const double* v, int n) { return vokdMean(v, n); }
    static double meanSquare(const double* v, int n) { return vokdStdDev(v, n); }
    static double norm(const double* a, const double* b, int n, int f) { return vokdNorm(a, b, n, f); }
};

template <class T>
class RealStatistics : public ::testing::Test {};
using RealTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(RealStatistics, RealTypes);

// The error bound of a sum that is exact but for a final rounding and
// second-order terms: one ulp of the result plus a sliver of sum |x|.
template <class T>
void expectCloseSum(T got, long double want, long double absSum, const char* what, int n) {
    const long double slack = (long double)ulp(T(want)) + absSum * 1e-28L;
    EXPECT_LE(std::fabs((long double)got - want), slack) << what << " n=" << n << " want " << double(want);
}

TYPED_TEST(RealStatistics, MeanAndMeanSquareMatchLongDoubleAtEveryWidth) {
    using T = TypeParam;
    std::mt19937 rng(99);
    for (int n : {1, 2, 15, 16, 17, 31, 33, 100, 4097}) {
        const auto v = randomReals<T>(n, rng);
        long double sum = 0, squares = 0, absSum = 0;
        for (T x : v) {
            sum += x;
            squares += (long double)x * x;
            absSum += std::fabs((long double)x);
        }
        T first = 0, firstSq = 0;
        bool firstWidth = true;
        voktest::forEachWidth([&] {
            const T mean = Stats<T>::mean(v.data(), n), ms = Stats<T>::meanSquare(v.data(), n);
            expectCloseSum(mean, sum / n, absSum / n, "mean", n);
            expectCloseSum(ms, squares / n, 0, "mean square", n);
            if (firstWidth) first = mean, firstSq = ms, firstWidth = false;
            EXPECT_EQ(std::memcmp(&mean, &first, sizeof(T)), 0) << "width changed the mean, n=" << n;
            EXPECT_EQ(std::memcmp(&ms, &firstSq, sizeof(T)), 0) << "width changed the mean square, n=" << n;
        });
    }
}

TYPED_TEST(RealStatistics, CancellationAndNonFiniteData) {
    using T = TypeParam;
    // 1e20 + 1 - 1e20 in every partial position: the compensated double sum keeps
    // the 1, the float data's double sum keeps it too.
    std::vector<T> v(48, T(0));
    for (int i = 0; i < 16; ++i) v[i] = T(1e15), v[i + 16] = T(1), v[i + 32] = T(-1e15);
    EXPECT_EQ(Stats<T>::mean(v.data(), 48), T(16.0 / 48));
    const T inf = std::numeric_limits<T>::infinity();
    const T a[] = {inf, 1, 2}, b[] = {inf, -inf, 0}, c[] = {1, std::numeric_limits<T>::quiet_NaN()};
    EXPECT_EQ(Stats<T>::mean(a, 3), inf);
    EXPECT_TRUE(std::isnan(Stats<T>::mean(b, 3)));
    EXPECT_TRUE(std::isnan(Stats<T>::mean(c, 2)));
    const T big[] = {std::numeric_limits<T>::max(), std::numeric_limits<T>::max()};
    if constexpr (sizeof(T) == 4) EXPECT_EQ(Stats<T>::mean(big, 2), FLT_MAX) << "float data sum in double";
    else EXPECT_EQ(Stats<T>::mean(big, 2), inf);
}

TEST(Statistics, SmallCasesAndShortForms) {
    const float s[] = {1, 2, 3};
    EXPECT_FLOAT_EQ(voksStdDev(s, 3), 14.0f / 3);
    EXPECT_EQ(voksMean(s, 3), 2.0f);
    EXPECT_EQ(voksMax(s, 3), 3.0f);
    EXPECT_EQ(voksMin(s, 3), 1.0f);
    const double d[] = {-0.5, 7, -9, 2};
    EXPECT_EQ(vokdMax(d, 4), 7.0);
    EXPECT_EQ(vokdMin(d, 4), -9.0);
    const short w[] = {1, 2}, neg[] = {-1, -2}, ext[] = {-32768, 32767, 5};
    EXPECT_EQ(vokwMean(w, 2), 1);
    EXPECT_EQ(vokwMean(neg, 2), -1) << "truncation toward zero";
    EXPECT_EQ(vokwMax(ext, 3), 32767);
    EXPECT_EQ(vokwMin(ext, 3), -32768);
    std::vector<short> many(65537, 32767);  // sum 2147450879: just fits
    EXPECT_EQ(vokwMean(many.data(), int(many.size())), 32767) << "the sum needs all 32 bits";
}

// ---- norms ----

template <class T>
long double refNorm(const std::vector<T>& a, const std::vector<T>* b, int flag) {
    long double best = 0, sum = 0, squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const long double d = b ? (long double)T(a[i] - (*b)[i]) : (long double)a[i];
        best = std::max(best, std::fabs(d));
        sum += std::fabs(d);
        squares += d * d;
    }
    switch (flag) {
        case VOK_C: return best;
        case VOK_L1: return sum;
        default: return std::sqrt(squares);
    }
}

TYPED_TEST(RealStatistics, NormsOfVectorsAndDifferences) {
    using T = TypeParam;
    std::mt19937 rng(17);
    for (int n : {1, 7, 16, 33, 1000}) {
        const auto a = randomReals<T>(n, rng), b = randomReals<T>(n, rng);
        for (int flag : {VOK_C, VOK_L1, VOK_L2}) {
            const long double plain = refNorm<T>(a, nullptr, flag), diff = refNorm(a, &b, flag);
            T first = 0;
            bool firstWidth = true;
            voktest::forEachWidth([&] {
                const T got = Stats<T>::norm(a.data(), nullptr, n, flag);
                const T gotDiff = Stats<T>::norm(a.data(), b.data(), n, flag);
                const T gotRel = Stats<T>::norm(a.data(), b.data(), n, flag | VOK_RELATIVE);
                const long double tol = 2 * (long double)std::numeric_limits<T>::epsilon();
                EXPECT_NEAR(double(got / plain), 1.0, double(tol)) << flag << " n=" << n;
                EXPECT_NEAR(double(gotDiff / diff), 1.0, double(tol)) << flag << " n=" << n;
                EXPECT_NEAR(double(gotRel / (diff / plain)), 1.0, double(2 * tol)) << flag << " n=" << n;
                if (firstWidth) first = gotDiff, firstWidth = false;
                EXPECT_EQ(std::memcmp(&first, &gotDiff, sizeof(T)), 0);
            });
        }
    }
}

TEST(Norm, RelativeRulesAndFlagWord) {
    const float a[] = {3, 4}, zeros[] = {0, 0}, ones[] = {1, 1};
    EXPECT_EQ(voksNorm(a, nullptr, 2, VOK_L2), 5.0f);
    EXPECT_EQ(voksNorm(a, zeros, 2, VOK_L2 | VOK_RELATIVE), 1.0f);
    EXPECT_EQ(voksNorm(a, nullptr, 2, VOK_C | VOK_RELATIVE), 1.0f) << "no second vector";
    EXPECT_EQ(voksNorm(zeros, ones, 2, VOK_L1 | VOK_RELATIVE), 3.4028235e+38f);
    EXPECT_EQ(voksNorm(a, a, 2, VOK_L1 | VOK_RELATIVE), 0.0f);
    const float tiny[] = {1e-20f, 0}, tinier[] = {0, 0};
    // Squares below the smallest normal float count as zero before the root.
    EXPECT_EQ(voksNorm(tiny, tinier, 2, VOK_L2 | VOK_RELATIVE), 0.0f);
    EXPECT_EQ(vokdNorm(std::vector<double>{0, 0}.data(), std::vector<double>{1e-300, 0}.data(), 2, VOK_C | VOK_RELATIVE), 0.0);
    EXPECT_EQ(voksNorm(a, nullptr, 2, VOK_L1), 7.0f);
    EXPECT_EQ(voksNorm(a, ones, 2, VOK_C), 3.0f);

    ReportRecorder rec;
    for (int flag : {0, 3, 5, 6, 7, 8, 16, 1 | 16, 2 | 8 | 32, -1}) EXPECT_EQ(voksNorm(a, nullptr, 2, flag), 0.0f) << flag;
    std::vector<voktest::Expected> expected(10, {VOK_StatusBadArg, "voksNorm", "flag is wrong", "voknorm"});
    EXPECT_TRUE(voktest::sameReports(rec.reports(), expected));
}

TEST(Norm, NanAndInfinityInMaximumMagnitude) {
    const float a[] = {1, -INFINITY, NAN, 2};
    EXPECT_TRUE(std::isnan(voksNorm(a, nullptr, 4, VOK_C)));
    EXPECT_EQ(voksNorm(a, nullptr, 2, VOK_C), INFINITY);
    const double d[] = {-2, -INFINITY};
    EXPECT_EQ(vokdNorm(d, nullptr, 2, VOK_C), INFINITY);
}

TEST(Norm, ComplexAndShortForms) {
    const FloatComplex c[] = {{3, 4}, {0, -1}}, cz[] = {{0, 0}, {0, 1}};
    EXPECT_FLOAT_EQ(vokcNorm(c, nullptr, 2, VOK_C), 5.0f);
    EXPECT_FLOAT_EQ(vokcNorm(c, nullptr, 2, VOK_L1), 6.0f);
    EXPECT_FLOAT_EQ(vokcNorm(c, nullptr, 2, VOK_L2), std::sqrt(26.0f));
    EXPECT_FLOAT_EQ(vokcNorm(c, cz, 2, VOK_L1), 7.0f);
    const DoubleComplex z[] = {{1e200, 1e200}, {-3, 4}};
    EXPECT_NEAR(vokzNorm(z, nullptr, 2, VOK_C) / (std::sqrt(2.0) * 1e200), 1.0, 1e-15) << "no overflow in the magnitude";
    EXPECT_NEAR(vokzNorm(z + 1, nullptr, 1, VOK_L1), 5.0, 1e-15);
    const short w[] = {-32768, 32767}, w2[] = {32767, -32768};
    EXPECT_EQ(vokwNorm(w, w2, 2, VOK_C), 65535.0f);
    EXPECT_EQ(vokwNorm(w, w2, 2, VOK_L1), 131070.0f);
    EXPECT_FLOAT_EQ(vokwNorm(w, w2, 2, VOK_L2), float(std::sqrt(2.0) * 65535));
    EXPECT_EQ(vokwNorm(w, w, 2, VOK_L2 | VOK_RELATIVE), 0.0f);
    const ShortComplex v[] = {{3, 4}, {-32768, -32768}}, v0[] = {{0, 0}, {0, 0}};
    EXPECT_FLOAT_EQ(vokvNorm(v, nullptr, 1, VOK_L2), 5.0f);
    EXPECT_FLOAT_EQ(vokvNorm(v, v0, 2, VOK_C), float(32768 * std::sqrt(2.0)));
    EXPECT_FLOAT_EQ(vokvNorm(v, v0, 2, VOK_L1 | VOK_RELATIVE), 1.0f);
}

// ---- normalize ----

TEST(Normalize, OffsetThenReciprocalFactor) {
    const float s[] = {1, 2, -3};
    float sd[3];
    voksbNormalize(s, sd, 3, 1.0f, 3.0f);
    EXPECT_EQ(sd[0], 0.0f);
    EXPECT_EQ(sd[1], float(1.0 / 3.0));
    EXPECT_EQ(sd[2], float(-4.0 / 3.0));
    const double d[] = {10};
    double dd[1];
    vokdbNormalize(d, dd, 1, 4, -2);
    EXPECT_EQ(dd[0], -3.0);
    const FloatComplex c[] = {{1, 1}};
    FloatComplex cd[1];
    vokcbNormalize(c, cd, 1, FloatComplex{1, -1}, 0.5f);
    EXPECT_EQ(cd[0].re, 0.0f);
    EXPECT_EQ(cd[0].im, 4.0f);
    DoubleComplex z[] = {{3, 5}};
    vokzbNormalize(z, z, 1, DoubleComplex{1, 1}, 2);
    EXPECT_EQ(z[0].re, 1.0);
    EXPECT_EQ(z[0].im, 2.0);
}

}  // namespace
