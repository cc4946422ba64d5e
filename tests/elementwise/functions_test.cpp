// Elementwise functions: square roots, logarithm and exponential against long
// double references at every width (random patterns including denormals, +-0,
// infinities and NaNs), the bit-pattern thresholds, the shared reciprocals,
// absolute values and the reports made after processing.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "support/reports.h"
#include "support/widths.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;

std::uint32_t bitsOf(float x) { std::uint32_t b; std::memcpy(&b, &x, 4); return b; }
std::uint64_t bitsOf(double x) { std::uint64_t b; std::memcpy(&b, &x, 8); return b; }
float floatFromBits(std::uint32_t b) { float x; std::memcpy(&x, &b, 4); return x; }

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
    for (std::size_t i = 0; i < sizeof specials / sizeof *specials && i < v.size(); ++i) v[i] = specials[i];
    return v;
}

template <class T, std::size_t N>
std::vector<T> all(const T (&a)[N]) { return std::vector<T>(a, a + N); }

constexpr std::uint32_t kNegativeNanF = 0xFFC00000u;
constexpr std::uint64_t kNegativeNanD = 0xFFF8000000000000ull;

// ---- logarithm and exponential ----

float referenceLn(float x) {
    if (std::signbit(x)) return floatFromBits(kNegativeNanF);
    if (x == 0) return -INFINITY;
    return float(std::log((long double)x));
}

// Random patterns, then every 5th float of [0.5, 2) where ln is near 0.
TEST(LnExp, FloatLogarithmWithinOneUlpAndSpecialPatterns) {
    auto src = randomPatterns(20011, 11);
    for (std::uint32_t b = bitsOf(0.5f); b < bitsOf(2.0f); b += 5) src.push_back(floatFromBits(b));
    voktest::forEachWidth([&] {
        std::vector<float> dst(src.size());
        voksbLn2(src.data(), dst.data(), int(src.size()));
        long long worst = 0;
        for (std::size_t i = 0; i < src.size(); ++i) {
            const float x = src[i], want = referenceLn(x);
            if (std::signbit(x)) ASSERT_EQ(bitsOf(dst[i]), kNegativeNanF) << std::hex << bitsOf(x);
            else if (std::isnan(x)) ASSERT_EQ(bitsOf(dst[i]), bitsOf(x) | 0x00400000u) << "payload kept, quieted";
            else worst = std::max(worst, ulpDistance(dst[i], want));
        }
        EXPECT_LE(worst, 1);
    });
}

TEST(LnExp, LogarithmOfOneIsPositiveZero) {
    float one = 1.0f;
    voksbLn1(&one, 1);
    EXPECT_EQ(bitsOf(one), 0u);
}

TEST(LnExp, FloatExponentialWithinOneUlpOverflowAndUnderflow) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> u(-110.0f, 95.0f);
    std::vector<float> src(30001);
    for (auto& x : src) x = u(rng);
    const auto patterns = randomPatterns(10007, 12);
    src.insert(src.end(), patterns.begin(), patterns.end());
    for (float x : {88.72283f, 88.72284f, -87.33655f, -103.9720f, -103.9721f, -104.5f, 1e-30f, -1e-30f}) src.push_back(x);
    voktest::forEachWidth([&] {
        std::vector<float> dst(src);
        voksbExp1(dst.data(), int(dst.size()));
        long long worst = 0;
        for (std::size_t i = 0; i < src.size(); ++i) {
            const float x = src[i];
            if (std::isnan(x)) {
                ASSERT_EQ(bitsOf(dst[i]), bitsOf(x) | 0x00400000u);
                continue;
            }
            worst = std::max(worst, ulpDistance(dst[i], float(std::exp((long double)x))));
        }
        EXPECT_LE(worst, 1);
    });
    float big[3] = {89.0f, 1e30f, INFINITY}, tiny[3] = {-105.0f, -1e30f, -INFINITY};
    voksbExp1(big, 3);
    voksbExp1(tiny, 3);
    EXPECT_EQ(all(big), std::vector<float>(3, INFINITY));
    for (float t : tiny) EXPECT_EQ(bitsOf(t), 0u);
}

TEST(LnExp, DoubleFormsMatchLibmAndMarkSignedInputs) {
    const double src[] = {2.0, 1e-310, -1.0, -0.0, 0.0, INFINITY, -INFINITY, NAN, -NAN, 0.5, 700.0, 710.0, -746.0};
    constexpr int n = sizeof src / sizeof *src;
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

TEST(LnExp, ShortLogarithmRoundsAndFloorsNonPositive) {
    const short src[] = {1, 2, 3, 7, 8, 20, 32767, 0, -1, -32768};
    short dst[10];
    ReportRecorder rec;
    vokwbLn2(src, dst, 10);
    EXPECT_EQ(all(dst), (std::vector<short>{0, 1, 1, 2, 2, 3, 10, -32768, -32768, -32768}));
    EXPECT_REPORTS(rec);
}

// ---- square roots ----

template <class T>
class RealSqrt : public ::testing::Test {};
using RealTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(RealSqrt, RealTypes);

TYPED_TEST(RealSqrt, CorrectlyRoundedAndNegativesReportedOnceAfterwards) {
    using T = TypeParam;
    const auto patterns = randomPatterns(5003, 21);
    voktest::forEachWidth([&] {
        for (int n : {1, 3, 7, 16, 17, 63, 5003}) {
            std::vector<T> src(patterns.begin(), patterns.begin() + n), dst(n + 1, T(42));
            if (n == 7) src[2] = T(-1);  // the only negative
            if (n > 12) src[0] = std::fabs(src[0]);  // keep one run of non-negative data
            bool anyNegative = false;
            for (T x : src) anyNegative |= x < 0;
            ReportRecorder rec;
            if constexpr (sizeof(T) == 4) voksbSqrt2(src.data(), dst.data(), n);
            else vokdbSqrt2(src.data(), dst.data(), n);
            for (int i = 0; i < n; ++i) {
                const T x = src[i];
                if (x < 0) ASSERT_EQ(std::signbit(dst[i]) && std::isnan(dst[i]), true);
                else if (std::isnan(x)) ASSERT_TRUE(std::isnan(dst[i]));
                else ASSERT_EQ(dst[i], std::sqrt(x)) << x;  // IEEE square roots round correctly
            }
            EXPECT_EQ(dst[n], T(42));
            if (anyNegative) {
                const char* name = sizeof(T) == 4 ? "voksbSqrt2" : "vokdbSqrt2";
                EXPECT_REPORTS(rec, {VOK_StatusBadArg, name, "Element of input vector is negative", "vokvec"});
            } else {
                EXPECT_REPORTS(rec);
            }
        }
    });
}

TEST(Sqrt, WritesEveryElementBeforeReporting) {
    ReportRecorder rec;
    float v[3] = {4, -1, 9};
    voksbSqrt1(v, 3);
    EXPECT_EQ(v[0], 2.0f);
    EXPECT_TRUE(std::isnan(v[1]));
    EXPECT_EQ(v[2], 3.0f);
    EXPECT_EQ(bitsOf(-0.0f), [] { float z = -0.0f; voksbSqrt1(&z, 1); return bitsOf(z); }());
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "voksbSqrt1", "Element of input vector is negative", "vokvec"});
    EXPECT_EQ(vokGetErrStatus(), VOK_StatusBadArg);
}

TEST(Sqrt, ComplexPrincipalRootAndShortRounding) {
    const DoubleComplex z[] = {{-4, 0}, {3, 4}, {0, -2}, {-1, -0.0}};
    DoubleComplex zr[4];
    vokzbSqrt2(z, zr, 4);
    for (int i = 0; i < 4; ++i) {
        const std::complex<long double> want = std::sqrt(std::complex<long double>(z[i].re, z[i].im));
        EXPECT_NEAR(zr[i].re, double(want.real()), 1e-15);
        EXPECT_NEAR(zr[i].im, double(want.imag()), 1e-15);
        EXPECT_GE(zr[i].re, 0.0);
    }
    EXPECT_LT(zr[3].im, 0) << "the branch cut follows the sign of a zero imaginary part";
    FloatComplex c[2] = {{-9, 0}, {0, 8}};
    vokcbSqrt1(c, 2);
    EXPECT_FLOAT_EQ(c[0].im, 3.0f);
    EXPECT_FLOAT_EQ(c[1].re, 2.0f);
    EXPECT_FLOAT_EQ(c[1].im, 2.0f);

    ReportRecorder rec;
    short w[] = {0, 1, 2, 3, 6, 7, 32767, -5};
    vokwbSqrt1(w, 8);
    EXPECT_EQ(all(w), (std::vector<short>{0, 1, 1, 2, 2, 3, 181, 0}));
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokwbSqrt1", "Element of input vector is negative", "vokvec"});
    ShortComplex v[2] = {{-100, 0}, {3, 4}};
    vokvbSqrt1(v, 2);
    EXPECT_TRUE(v[0].re == 0 && v[0].im == 10 && v[1].re == 2 && v[1].im == 1);  // sqrt(3+4i) = 2+i
}

TEST(Sqr, RealAndComplexSquares) {
    float s[3] = {-3, 0.5f, 1e20f};
    voksbSqr1(s, 3);
    EXPECT_EQ(all(s), (std::vector<float>{9.0f, 0.25f, INFINITY}));
    const DoubleComplex z[] = {{1, 2}, {0, 1}};
    DoubleComplex d[2];
    vokzbSqr2(z, d, 2);
    EXPECT_TRUE(d[0].re == -3.0 && d[0].im == 4.0 && d[1].re == -1.0);
}

// ---- thresholds ----

TEST(Thresh, FloatComparesPatternsInNumericOrder) {
    float a[] = {-3.0f, 0.7f, 0.5f, -0.0f, 0.0f, 0.1f};
    voksbThresh1(a, 6, 0.5f, VOK_LT);
    const float lt[] = {0.5f, 0.7f, 0.5f, 0.5f, 0.5f, 0.5f};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(bitsOf(a[i]), bitsOf(lt[i])) << i;

    const float b[] = {-0.5f, 2.0f, -4.0f, -1.0f, INFINITY, -INFINITY};
    float out[6];
    voksbThresh2(b, out, 6, -1.0f, 2);  // any non-zero relation is VOK_GT
    const float gt[] = {-1.0f, -1.0f, -4.0f, -1.0f, -1.0f, -INFINITY};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(bitsOf(out[i]), bitsOf(gt[i])) << i;

    // Thresh -0: every negative non-zero value is below it, +0 is above it.
    float c[] = {-1e-45f, 0.0f, -0.0f, -7.0f};
    voksbThresh1(c, 4, -0.0f, VOK_LT);
    EXPECT_EQ(bitsOf(c[0]), 0x80000000u);
    EXPECT_EQ(bitsOf(c[1]), 0u);
    EXPECT_EQ(bitsOf(c[3]), 0x80000000u);
    float d[] = {-1e-45f, 0.0f, -7.0f};
    voksbThresh1(d, 3, -0.0f, VOK_GT);
    EXPECT_EQ(bitsOf(d[0]), bitsOf(-1e-45f));
    EXPECT_EQ(bitsOf(d[1]), 0x80000000u);
}

TEST(Thresh, DoubleAndShortCompareValues) {
    double a[] = {-2, 1, 3};
    vokdbThresh1(a, 3, 1.5, VOK_GT);
    EXPECT_EQ(all(a), (std::vector<double>{-2, 1, 1.5}));
    short w[] = {-32768, 5, 32767};
    vokwbThresh1(w, 3, 0, VOK_LT);
    EXPECT_EQ(all(w), (std::vector<short>{0, 5, 32767}));
}

template <class C>
class ComplexThresh : public ::testing::Test {};
using ComplexTypes = ::testing::Types<FloatComplex, DoubleComplex>;
TYPED_TEST_SUITE(ComplexThresh, ComplexTypes);

template <class C> void thresh1(C* v, int n, double t, int rel);
template <> void thresh1(FloatComplex* v, int n, double t, int rel) { vokcbThresh1(v, n, float(t), rel); }
template <> void thresh1(DoubleComplex* v, int n, double t, int rel) { vokzbThresh1(v, n, t, rel); }
template <class C> void invThresh1(C* v, int n, double t);
template <> void invThresh1(FloatComplex* v, int n, double t) { vokcbInvThresh1(v, n, float(t)); }
template <> void invThresh1(DoubleComplex* v, int n, double t) { vokzbInvThresh1(v, n, t); }

TYPED_TEST(ComplexThresh, RescalesToThreshKeepingPhase) {
    using C = TypeParam;
    C v[] = {{0.6, 0.8}, {3, 4}, {0, 0}, {0, 1e-200 > 0 ? 0 : 0}, {-1, 0}};
    thresh1(v, 5, 2.0, VOK_LT);
    EXPECT_NEAR(v[0].re, 1.2, 1e-6);
    EXPECT_NEAR(v[0].im, 1.6, 1e-6);
    EXPECT_EQ(v[1].re, 3);
    EXPECT_EQ(v[2].re, 2);  // no phase: thresh on the real axis
    EXPECT_EQ(v[2].im, 0);
    EXPECT_NEAR(v[4].re, -2, 1e-6);
    C w[] = {{3, 4}, {0.3, 0.4}};
    thresh1(w, 2, 1.0, VOK_GT);
    EXPECT_NEAR(w[0].re, 0.6, 1e-6);
    EXPECT_NEAR(w[0].im, 0.8, 1e-6);
    EXPECT_NEAR(w[1].re, 0.3, 1e-7);
}

TYPED_TEST(ComplexThresh, InverseIsConjugateOverSquaredMagnitude) {
    using C = TypeParam;
    C v[] = {{3, 4}, {0.03, 0.04}, {0, 0}};
    invThresh1(v, 3, 0.5);
    EXPECT_NEAR(v[0].re, 0.12, 1e-7);
    EXPECT_NEAR(v[0].im, -0.16, 1e-7);
    EXPECT_NEAR(v[1].re, 1.2, 1e-6);  // raised to magnitude 0.5 first
    EXPECT_NEAR(v[1].im, -1.6, 1e-6);
    EXPECT_NEAR(v[2].re, 2.0, 1e-7);
    ReportRecorder rec;
    C z[] = {{0, -0.0}, {2, 0}};
    invThresh1(z, 2, 0.0);
    EXPECT_GT(z[0].re, 1e38);
    EXPECT_EQ(z[1].re, 0.5);
    ASSERT_EQ(rec.reports().size(), 1u);
    EXPECT_EQ(rec.reports()[0].context, "zero element and zero thresh");
}

TEST(Thresh, ShortComplexRoundsRescaledParts) {
    ShortComplex v[] = {{3, 4}, {0, 0}, {300, 400}};
    vokvbThresh1(v, 3, 10, VOK_LT);
    EXPECT_TRUE(v[0].re == 6 && v[0].im == 8 && v[1].re == 10 && v[2].re == 300);
    ShortComplex g[] = {{-32768, -32768}, {1, 1}};
    vokvbThresh1(g, 2, 100, VOK_GT);
    EXPECT_TRUE(g[0].re == -71 && g[0].im == -71 && g[1].re == 1);
}

template <class T>
class InvThresh : public ::testing::Test {};
TYPED_TEST_SUITE(InvThresh, RealTypes);

template <class T> void invThresh2(const T* s, T* d, int n, T t);
template <> void invThresh2(const float* s, float* d, int n, float t) { voksbInvThresh2(s, d, n, t); }
template <> void invThresh2(const double* s, double* d, int n, double t) { vokdbInvThresh2(s, d, n, t); }

TYPED_TEST(InvThresh, ReciprocalsWithinTwoUlpsAndRaisedSmallValues) {
    using T = TypeParam;
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> mag(-30, 30);
    for (int n : {1, 4, 5, 11, 300, 1027}) {
        std::vector<T> src(n), dst(n);
        for (auto& x : src) x = T(std::exp(mag(rng))) * (rng() & 1 ? 1 : -1);
        const T thresh = T(1e-6);
        ReportRecorder rec;
        invThresh2(src.data(), dst.data(), n, thresh);
        for (int i = 0; i < n; ++i) {
            const T raised = std::fabs(src[i]) < thresh ? std::copysign(thresh, src[i]) : src[i];
            const long double want = 1.0L / raised;
            ASSERT_NEAR(double(dst[i] / want), 1.0, 3 * std::numeric_limits<T>::epsilon()) << n << " " << i;
        }
        EXPECT_REPORTS(rec);
    }
    // Products of four that leave the normal range still give plain reciprocals.
    const T extremes[] = {T(1e30), T(1e30), T(1e-30), T(1e30), T(0.25), std::numeric_limits<T>::infinity(), T(2), T(4)};
    T out[8];
    invThresh2(extremes, out, 8, T(0));
    for (int i = 0; i < 8; ++i)
        if (i != 5) EXPECT_NEAR(double(out[i] * extremes[i]), 1.0, 1e-6) << i;
    EXPECT_EQ(bitsOf(out[5]), bitsOf(T(0)));
}

TYPED_TEST(InvThresh, PositiveZeroWithZeroThreshGivesLargestAndReportsOnce) {
    using T = TypeParam;
    const T src[] = {0, -T(0), 2, 0, 4, 8};
    T dst[6];
    ReportRecorder rec;
    invThresh2(src, dst, 6, T(0));
    EXPECT_EQ(dst[0], std::numeric_limits<T>::max());
    EXPECT_EQ(dst[1], -std::numeric_limits<T>::infinity());
    EXPECT_EQ(dst[2], T(0.5));
    EXPECT_EQ(dst[3], std::numeric_limits<T>::max());
    EXPECT_EQ(dst[5], T(0.125));
    const char* name = sizeof(T) == 4 ? "voksbInvThresh2" : "vokdbInvThresh2";
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, name, "zero element and zero thresh", "vokvec"});
}

TEST(Abs, ClearsSignBitAndSaturatesShortMinimum) {
    float f[] = {-0.0f, -2.5f, floatFromBits(0xFFC00001u)};
    voksbAbs1(f, 3);
    EXPECT_TRUE(bitsOf(f[0]) == 0u && f[1] == 2.5f && bitsOf(f[2]) == 0x7FC00001u);
    const double d[] = {-1e-310};
    double dd[1];
    vokdbAbs2(d, dd, 1);
    EXPECT_EQ(dd[0], 1e-310);
    short w[] = {-32768, -32767, 5};
    vokwbAbs1(w, 3);
    EXPECT_EQ(all(w), (std::vector<short>{32767, 32767, 5}));
}

}  // namespace
