// The block transform method of the correlations: where the operation count
// picks it, it matches long-double sums at every kernel width, whether srcB's
// windows reach before, into or past srcB and whether srcA is srcB itself;
// without its work arrays the direct sums take over silently.
#include <gtest/gtest.h>

#include <array>
#include <complex>
#include <random>
#include <vector>

#include "convolution/fastcorr.h"
#include "frame/test_seams.h"
#include "voktest/reports.h"
#include "voktest/values.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using namespace voktest;

template <class R, class A, class B>
long double worstError(const std::vector<R>& got, const std::vector<A>& a, const std::vector<B>& b, int lo) {
    long double scale = 1, err = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
        const LC want = referenceLag(a, b, lo + (long long)i);
        scale = std::max(scale, std::abs(want)), err = std::max(err, std::abs(asLC(got[i]) - want));
    }
    return err / scale;
}

// Windows of srcB before, into or past srcB; when A is B also srcA the same
// array as srcB: at lag 0 its blocks are srcB's segments, at other lags or with
// a shorter srcA they are not. Without work arrays the direct sums take over.
template <class A, class B, class R>
void checkCross(void (*f)(const A*, int, const B*, int, R*, int, int), double tol) {
    std::vector<std::array<int, 5>> cases = {{2000, 1500, -40, 60, 0},   {5000, 300, -300, 10, 0},
                                             {700, 4000, 0, 255, 0},     {3000, 3000, 2990, 3100, 0},
                                             {1000, 800, -1100, -850, 0}, {1000, 800, -3000, -2800, 0},
                                             {1500, 1200, 1100, 1400, 0}};
    if constexpr (std::is_same_v<A, B>) cases.insert(cases.end(), {{3000, 3000, 0, 299, 1}, {3000, 3000, -100, 199, 1},
                                                                   {2993, 3000, 0, 299, 1}});
    for (auto [lenA, lenB, lo, hi, self] : cases) {
        SCOPED_TRACE(testing::Message() << lenA << " " << lenB << " " << lo << ".." << hi << " self " << self);
        ASSERT_TRUE((vok::fastcorr::crossTransformCheaper<A, B>(lenA, hi - lo + 1)));
        const auto b = randomVector<B>(lenB, unsigned(lenB + 1));
        auto a = randomVector<A>(lenA, unsigned(lenA));
        if constexpr (std::is_same_v<A, B>) if (self) a.assign(b.begin(), b.begin() + lenA);
        const A* aData = self ? reinterpret_cast<const A*>(b.data()) : a.data();
        std::vector<R> dst(hi - lo + 1), fallback(hi - lo + 1);
        voktest::ReportRecorder recorder;
        voktest::forEachWidth([&] {
            f(aData, lenA, b.data(), lenB, dst.data(), lo, hi);
            EXPECT_LT(double(worstError(dst, a, b, lo)), tol);
        });
        vok::testing::failAllocationAfter(1);
        f(aData, lenA, b.data(), lenB, fallback.data(), lo, hi);
        vok::testing::failAllocationAfter(0);
        EXPECT_REPORTS(recorder);
        EXPECT_LT(double(worstError(fallback, a, b, lo)), tol / 10);
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
    std::vector<LC> raw(nLags);
    for (int k = 0; k < nLags; ++k) raw[k] = referenceLag(x, x, k);
    voktest::forEachWidth([&] {
        for (int norm : {0, 1, 2}) {
            std::vector<T> dst(nLags);
            f(x.data(), len, dst.data(), nLags, norm);
            for (int k = 0; k < nLags; ++k) {
                const long double divisor = norm == 0 ? 1 : norm == 1 ? len : len - k;
                EXPECT_LT(double(std::abs(asLC(dst[k]) - raw[k] / divisor)), tol * double(std::abs(raw[0]) / divisor))
                    << norm << " " << k;
            }
        }
    });
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
