// The block transform method of the correlations: where the operation count
// picks it, it matches long-double sums; without its work arrays the direct
// sums take over silently.
#include <gtest/gtest.h>

#include <array>
#include <complex>
#include <random>
#include <vector>

#include "convolution/fastcorr.h"
#include "frame/test_seams.h"
#include "support/reports.h"
#include "vok.h"

namespace {

using LC = std::complex<long double>;
template <class T> constexpr bool isCx = std::is_same_v<T, FloatComplex> || std::is_same_v<T, DoubleComplex>;
template <class T> using Real = std::conditional_t<std::is_same_v<T, float> || std::is_same_v<T, FloatComplex>, float, double>;
template <class T> LC asLC(const T& v) {
    if constexpr (isCx<T>) return {v.re, v.im};
    else return {(long double)v, 0};
}

template <class T>
std::vector<T> randomVector(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1, 1);
    std::vector<T> v(n);
    for (auto& x : v) {
        if constexpr (isCx<T>) x = {Real<T>(dist(gen)), Real<T>(dist(gen))};
        else x = T(dist(gen));
    }
    return v;
}

template <class A, class B>
LC lag(const std::vector<A>& a, const std::vector<B>& b, long long k) {
    LC sum = 0;
    for (long long n = 0; n < (long long)a.size(); ++n)
        if (n + k >= 0 && n + k < (long long)b.size()) sum += std::conj(asLC(a[n])) * asLC(b[n + k]);
    return sum;
}

template <class A, class B, class R>
void checkCross(void (*f)(const A*, int, const B*, int, R*, int, int), double tol) {
    for (auto [lenA, lenB, lo, hi] : std::vector<std::array<int, 4>>{
             {2000, 1500, -40, 60}, {5000, 300, -300, 10}, {700, 4000, 0, 255}, {3000, 3000, 2990, 3100}}) {
        SCOPED_TRACE(testing::Message() << lenA << " " << lenB << " " << lo << ".." << hi);
        ASSERT_TRUE((vok::fastcorr::crossTransformCheaper<A, B>(lenA, hi - lo + 1)));
        const auto a = randomVector<A>(lenA, unsigned(lenA)), b = randomVector<B>(lenB, unsigned(lenB + 1));
        std::vector<R> dst(hi - lo + 1), fallback(hi - lo + 1);
        voktest::ReportRecorder recorder;
        f(a.data(), lenA, b.data(), lenB, dst.data(), lo, hi);
        vok::testing::failAllocationAfter(1);
        f(a.data(), lenA, b.data(), lenB, fallback.data(), lo, hi);
        vok::testing::failAllocationAfter(0);
        EXPECT_REPORTS(recorder);
        long double scale = 1, err = 0, errFallback = 0;
        for (int k = lo; k <= hi; ++k) scale = std::max(scale, std::abs(lag(a, b, k)));
        for (int k = lo; k <= hi; ++k) {
            const LC want = lag(a, b, k);
            err = std::max(err, std::abs(asLC(dst[k - lo]) - want));
            errFallback = std::max(errFallback, std::abs(asLC(fallback[k - lo]) - want));
        }
        EXPECT_LT(double(err / scale), tol);
        EXPECT_LT(double(errFallback / scale), tol / 10);
    }
}

TEST(CorrelationTransform, EveryTypePairMatchesTheDefinition) {
    checkCross(voksCrossCorr, 2e-6);
    checkCross(vokcCrossCorr, 2e-6);
    checkCross(vokscCrossCorr, 2e-6);
    checkCross(vokcsCrossCorr, 2e-6);
    checkCross(vokdCrossCorr, 1e-14);
    checkCross(vokzCrossCorr, 1e-14);
    checkCross(vokdzCrossCorr, 1e-14);
    checkCross(vokzdCrossCorr, 1e-14);
}

TEST(CorrelationTransform, FewLagsOfShortSignalsStayDirect) {
    EXPECT_FALSE((vok::fastcorr::crossTransformCheaper<float, float>(10, 3)));
    EXPECT_FALSE((vok::fastcorr::crossTransformCheaper<DoubleComplex, double>(100, 1)));
    EXPECT_FALSE(vok::fastcorr::autoTransformCheaper<float>(10, 4));
    EXPECT_TRUE(vok::fastcorr::autoTransformCheaper<float>(4000, 200));
}

template <class T>
void checkAuto(void (*f)(const T*, int, T*, int, int), double tol) {
    const int len = 4000, nLags = 200;
    ASSERT_TRUE(vok::fastcorr::autoTransformCheaper<T>(len, nLags));
    const auto x = randomVector<T>(len, 9);
    for (int norm : {0, 1, 2}) {
        std::vector<T> dst(nLags);
        f(x.data(), len, dst.data(), nLags, norm);
        for (int k = 0; k < nLags; k += 13) {
            const long double divisor = norm == 0 ? 1 : norm == 1 ? len : len - k;
            const LC want = lag(x, x, k) / divisor;
            EXPECT_LT(double(std::abs(asLC(dst[k]) - want)), tol * double(std::abs(lag(x, x, 0)) / divisor))
                << norm << " " << k;
        }
    }
    // Other norms: the transform method leaves dst as it was.
    voktest::Sentinel out(sizeof(T) * nLags);
    f(x.data(), len, out.as<T>(), nLags, 7);
    EXPECT_TRUE(out.untouched());
}

TEST(CorrelationTransform, AutocorrelationNormsMatchTheDefinition) {
    checkAuto(voksAutoCorr, 2e-6);
    checkAuto(vokcAutoCorr, 2e-6);
    checkAuto(vokdAutoCorr, 1e-14);
    checkAuto(vokzAutoCorr, 1e-14);
}

}  // namespace
