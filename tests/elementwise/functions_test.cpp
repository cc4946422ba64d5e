// Elementwise functions, statistics and norms against long-double references
// at every width: random bit patterns (denormals, +-0, infinities, NaNs) for
// the logarithm, exponential and square roots, random magnitudes for the
// reciprocals, sums and norms, which must also give the same bits at every width.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "voktest/reports.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;

std::uint32_t bitsOf(float x) { std::uint32_t b; std::memcpy(&b, &x, 4); return b; }
std::uint64_t bitsOf(double x) { std::uint64_t b; std::memcpy(&b, &x, 8); return b; }
float floatFromBits(std::uint32_t b) { float x; std::memcpy(&x, &b, 4); return x; }
template <class T>
bool sameBits(T a, T b) { return bitsOf(a) == bitsOf(b); }

// Distance in representable floats (0 when equal, NaNs only match NaNs).
long long ulpDistance(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) ? 0 : 1LL << 40;
    auto key = [](float x) { const std::int32_t k = std::int32_t(bitsOf(x)); return k < 0 ? -(long long)(k & 0x7FFFFFFF) : (long long)k; };
    return std::llabs(key(a) - key(b));
}

// Random float patterns: all exponents (denormals included) and both signs,
// then the special values at the front.
std::vector<float> randomPatterns(int n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<float> v(n);
    for (auto& x : v) x = floatFromBits(rng());
    const float specials[] = {0.0f, -0.0f, INFINITY, -INFINITY, NAN, 1.0f, -1.0f, FLT_MIN, FLT_TRUE_MIN, FLT_MAX,
                              floatFromBits(0x7FA00001u), floatFromBits(0xFFC00123u)};
    for (std::size_t i = 0; i < std::size(specials) && i < v.size(); ++i) v[i] = specials[i];
    return v;
}

constexpr std::uint32_t kNegativeNanF = 0xFFC00000u;
constexpr std::uint64_t kNegativeNanD = 0xFFF8000000000000ull;

// ---- logarithm and exponential ----

// Random patterns, then every 5th float of [0.5, 2) where ln is near 0.
TEST(LnExp, FloatLogarithmWithinOneUlpAndSpecialPatterns) {
    auto src = randomPatterns(20011, 11);
    for (std::uint32_t b = bitsOf(0.5f); b < bitsOf(2.0f); b += 5) src.push_back(floatFromBits(b));
    voktest::forEachWidth([&] {
        std::vector<float> dst(src.size());
        voksbLn2(src.data(), dst.data(), int(src.size()));
        long long worst = 0;
        for (std::size_t i = 0; i < src.size(); ++i) {
            const float x = src[i];
            if (std::signbit(x)) ASSERT_EQ(bitsOf(dst[i]), kNegativeNanF) << std::hex << bitsOf(x);
            else if (std::isnan(x)) ASSERT_EQ(bitsOf(dst[i]), bitsOf(x) | 0x00400000u) << "payload kept, quieted";
            else worst = std::max(worst, ulpDistance(dst[i], x == 0 ? -INFINITY : float(std::log((long double)x))));
        }
        EXPECT_LE(worst, 1);
    });
}

TEST(LnExp, FloatExponentialWithinOneUlpOverflowAndUnderflow) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> u(-110.0f, 95.0f);
    std::vector<float> src(30001);
    for (auto& x : src) x = u(rng);
    const auto patterns = randomPatterns(10007, 12);
    src.insert(src.end(), patterns.begin(), patterns.end());
    for (float x : {88.72283f, 88.72284f, -87.33655f, -103.9720f, -103.9721f, -104.5f, 1e-30f, -1e-30f, 89.0f, 1e30f,
                    -105.0f, -1e30f})
        src.push_back(x);
    voktest::forEachWidth([&] {
        std::vector<float> dst(src);
        voksbExp1(dst.data(), int(dst.size()));
        long long worst = 0;
        for (std::size_t i = 0; i < src.size(); ++i) {
            const float x = src[i];
            if (std::isnan(x)) ASSERT_EQ(bitsOf(dst[i]), bitsOf(x) | 0x00400000u);
            else if (x <= -105.0f) ASSERT_EQ(bitsOf(dst[i]), 0u) << x;  // +0 on underflow
            else worst = std::max(worst, ulpDistance(dst[i], float(std::exp((long double)x))));
        }
        EXPECT_LE(worst, 1);
    });
}

TEST(LnExp, DoubleFormsMatchLibmAndMarkSignedInputs) {
    const double src[] = {2.0, 1e-310, -1.0, -0.0, 0.0, INFINITY, -INFINITY, NAN, -NAN, 0.5, 700.0, 710.0, -746.0};
    constexpr int n = std::size(src);
    double ln[n], ex[n];
    vokdbLn2(src, ln, n);
    vokdbExp2(src, ex, n);
    for (int i = 0; i < n; ++i) {
        const double x = src[i];
        if (std::signbit(x)) EXPECT_EQ(bitsOf(ln[i]), kNegativeNanD) << i;
        else if (x == 0) EXPECT_EQ(ln[i], -INFINITY);
        else if (!std::isnan(x)) EXPECT_EQ(ln[i], std::log(x));
        if (!std::isnan(x)) EXPECT_EQ(bitsOf(ex[i]), bitsOf(std::exp(x))) << i;
        else EXPECT_TRUE(std::isnan(ex[i]));
    }
}

// ---- square roots and reciprocals of the real types ----

template <class T>
class Real : public ::testing::Test {};
using RealTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(Real, RealTypes);

template <class T> struct Api;
template <> struct Api<float> {
    static constexpr auto sqrt2 = voksbSqrt2, invThresh2 = voksbInvThresh2;
    static constexpr auto mean = voksMean, meanSquare = voksStdDev, norm = voksNorm;
    static constexpr const char* sqrtName = "voksbSqrt2";
};
template <> struct Api<double> {
    static constexpr auto sqrt2 = vokdbSqrt2, invThresh2 = vokdbInvThresh2;
    static constexpr auto mean = vokdMean, meanSquare = vokdStdDev, norm = vokdNorm;
    static constexpr const char* sqrtName = "vokdbSqrt2";
};

TYPED_TEST(Real, SquareRootsCorrectlyRoundedAndNegativesReportedOnceAfterwards) {
    using T = TypeParam;
    const auto patterns = randomPatterns(5003, 21);
    voktest::forEachWidth([&] {
        for (int n : {1, 3, 7, 16, 17, 63, 5003}) {
            std::vector<T> src(patterns.begin(), patterns.begin() + n), dst(n + 1, T(42));
            if (n == 7) src[2] = T(-1);  // the only negative
            if (n > 12) src[0] = std::fabs(src[0]);
            bool anyNegative = false;
            for (T x : src) anyNegative |= x < 0;
            ReportRecorder rec;
            Api<T>::sqrt2(src.data(), dst.data(), n);
            for (int i = 0; i < n; ++i) {
                const T x = src[i];
                if (x < 0) ASSERT_TRUE(std::signbit(dst[i]) && std::isnan(dst[i]));
                else if (std::isnan(x)) ASSERT_TRUE(std::isnan(dst[i]));
                else ASSERT_EQ(dst[i], std::sqrt(x)) << x;  // IEEE square roots round correctly
            }
            EXPECT_EQ(dst[n], T(42));
            std::vector<voktest::Expected> want;
            if (anyNegative)
                want.push_back({VOK_StatusBadArg, Api<T>::sqrtName, "Element of input vector is negative", "vokvec"});
            EXPECT_TRUE(voktest::sameReports(rec.reports(), want));
        }
    });
}

TYPED_TEST(Real, ReciprocalsWithinTwoUlpsAndRaisedSmallValues) {
    using T = TypeParam;
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> mag(-30, 30);
    for (int n : {1, 4, 5, 11, 300, 1027}) {
        std::vector<T> src(n), dst(n);
        for (auto& x : src) x = T(std::exp(mag(rng))) * (rng() & 1 ? 1 : -1);
        const T thresh = T(1e-6);
        ReportRecorder rec;
        Api<T>::invThresh2(src.data(), dst.data(), n, thresh);
        for (int i = 0; i < n; ++i) {
            const T raised = std::fabs(src[i]) < thresh ? std::copysign(thresh, src[i]) : src[i];
            ASSERT_NEAR(double(dst[i] * (1.0L * raised)), 1.0, 3 * std::numeric_limits<T>::epsilon()) << n << " " << i;
        }
        EXPECT_REPORTS(rec);
    }
}

// ---- statistics and norms ----

template <class T>
std::vector<T> randomReals(int n, std::mt19937& rng) {
    std::uniform_real_distribution<double> exponent(-40, 40), u(-1, 1);
    std::vector<T> v(n);
    for (auto& x : v) x = T(u(rng) * std::exp(exponent(rng)));
    if (n > 3) v[n / 2] = std::numeric_limits<T>::denorm_min() * 3;
    return v;
}

// A sum exact but for a final rounding and second-order terms: one ulp of the
// result plus a sliver of sum |x|.
template <class T>
void expectCloseSum(T got, long double want, long double absSum, const char* what, int n) {
    const T w = T(want);
    const long double ulp = std::nextafter(std::fabs(w), std::numeric_limits<T>::infinity()) - std::fabs(w);
    EXPECT_LE(std::fabs((long double)got - want), ulp + absSum * 1e-28L) << what << " n=" << n << " " << double(want);
}

TYPED_TEST(Real, MeanAndMeanSquareMatchLongDoubleAtEveryWidth) {
    using T = TypeParam;
    std::mt19937 rng(99);
    for (int n : {1, 2, 15, 16, 17, 31, 33, 100, 4097}) {
        const auto v = randomReals<T>(n, rng);
        long double sum = 0, squares = 0, absSum = 0;
        for (T x : v) sum += x, squares += (long double)x * x, absSum += std::fabs((long double)x);
        T first = 0, firstSq = 0;
        bool firstWidth = true;
        voktest::forEachWidth([&] {
            const T mean = Api<T>::mean(v.data(), n), ms = Api<T>::meanSquare(v.data(), n);
            expectCloseSum(mean, sum / n, absSum / n, "mean", n);
            expectCloseSum(ms, squares / n, 0, "mean square", n);
            if (firstWidth) first = mean, firstSq = ms, firstWidth = false;
            EXPECT_TRUE(sameBits(mean, first) && sameBits(ms, firstSq)) << "width changed the result, n=" << n;
        });
    }
}

TYPED_TEST(Real, MeanCancellationAndNonFiniteData) {
    using T = TypeParam;
    // 1e15 + 1 - 1e15 in every partial position: the wide sum keeps the 1.
    std::vector<T> v(48, T(0));
    for (int i = 0; i < 16; ++i) v[i] = T(1e15), v[i + 16] = T(1), v[i + 32] = T(-1e15);
    EXPECT_EQ(Api<T>::mean(v.data(), 48), T(16.0 / 48));
    using L = std::numeric_limits<T>;
    const T a[] = {L::infinity(), 1, 2}, b[] = {L::infinity(), -L::infinity(), 0}, c[] = {1, L::quiet_NaN()};
    EXPECT_EQ(Api<T>::mean(a, 3), L::infinity());
    EXPECT_TRUE(std::isnan(Api<T>::mean(b, 3)));
    EXPECT_TRUE(std::isnan(Api<T>::mean(c, 2)));
    const T big[] = {L::max(), L::max()};
    EXPECT_EQ(Api<T>::mean(big, 2), sizeof(T) == 4 ? L::max() : L::infinity()) << "float data sum in double";
}

template <class T>
long double refNorm(const std::vector<T>& a, const std::vector<T>* b, int flag) {
    long double best = 0, sum = 0, squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const long double d = b ? (long double)T(a[i] - (*b)[i]) : (long double)a[i];
        best = std::max(best, std::fabs(d)), sum += std::fabs(d), squares += d * d;
    }
    return flag == VOK_C ? best : flag == VOK_L1 ? sum : std::sqrt(squares);
}

TYPED_TEST(Real, NormsOfVectorsDifferencesAndRatios) {
    using T = TypeParam;
    std::mt19937 rng(17);
    for (int n : {1, 7, 16, 33, 1000}) {
        const auto a = randomReals<T>(n, rng), b = randomReals<T>(n, rng);
        for (int flag : {VOK_C, VOK_L1, VOK_L2}) {
            const long double plain = refNorm<T>(a, nullptr, flag), diff = refNorm(a, &b, flag);
            const double tol = 2 * std::numeric_limits<T>::epsilon();
            T first = 0;
            bool firstWidth = true;
            voktest::forEachWidth([&] {
                const T gotDiff = Api<T>::norm(a.data(), b.data(), n, flag);
                EXPECT_NEAR(double(Api<T>::norm(a.data(), nullptr, n, flag) / plain), 1.0, tol) << flag << " n=" << n;
                EXPECT_NEAR(double(gotDiff / diff), 1.0, tol) << flag << " n=" << n;
                EXPECT_NEAR(double(Api<T>::norm(a.data(), b.data(), n, flag | VOK_RELATIVE) / (diff / plain)), 1.0,
                            2 * tol);
                if (firstWidth) first = gotDiff, firstWidth = false;
                EXPECT_TRUE(sameBits(first, gotDiff));
            });
        }
    }
}

}  // namespace
