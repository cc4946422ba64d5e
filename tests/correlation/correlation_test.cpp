// Correlations and dot products against long-double sums written from the
// definitions, for every type pair, lag ranges on and beyond the overlap, the
// three autocorrelation norms, and the failure reports.
#include <gtest/gtest.h>

#include <array>
#include <complex>
#include <random>
#include <vector>

#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;
using LC = std::complex<long double>;

template <class T> constexpr bool isCx = std::is_same_v<T, FloatComplex> || std::is_same_v<T, DoubleComplex>;
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
        if constexpr (isCx<T>) x = {decltype(x.re)(dist(gen)), decltype(x.re)(dist(gen))};
        else x = T(dist(gen));
    }
    return v;
}

template <class A, class B>
LC referenceLag(const std::vector<A>& a, const std::vector<B>& b, long long k) {
    LC sum = 0;
    for (long long n = 0; n < (long long)a.size(); ++n)
        if (n + k >= 0 && n + k < (long long)b.size()) sum += std::conj(asLC(a[n])) * asLC(b[n + k]);
    return sum;
}

template <class A, class B, class R>
void checkCross(void (*f)(const A*, int, const B*, int, R*, int, int), double tol) {
    for (auto [lenA, lenB, lo, hi] : std::vector<std::array<int, 4>>{
             {1, 1, 0, 0}, {10, 7, -12, 12}, {33, 50, -3, -1}, {64, 5, 60, 80}, {100, 100, -99, 99}}) {
        SCOPED_TRACE(testing::Message() << lenA << " " << lenB << " " << lo << ".." << hi);
        const auto a = randomVector<A>(lenA, unsigned(lenA)), b = randomVector<B>(lenB, unsigned(lenB + 1));
        std::vector<R> dst(hi - lo + 1);
        f(a.data(), lenA, b.data(), lenB, dst.data(), lo, hi);
        for (int k = lo; k <= hi; ++k) {
            const LC want = referenceLag(a, b, k), got = asLC(dst[k - lo]);
            EXPECT_NEAR(double(got.real()), double(want.real()), tol) << "lag " << k;
            EXPECT_NEAR(double(got.imag()), double(want.imag()), tol) << "lag " << k;
        }
    }
}

TEST(CrossCorr, EveryTypePairMatchesTheDefinitionOverAnyLagRange) {
    checkCross(voksCrossCorr, 1e-5);
    checkCross(vokcCrossCorr, 1e-5);
    checkCross(vokscCrossCorr, 1e-5);
    checkCross(vokcsCrossCorr, 1e-5);
    checkCross(vokdCrossCorr, 1e-13);
    checkCross(vokzCrossCorr, 1e-13);
    checkCross(vokdzCrossCorr, 1e-13);
    checkCross(vokzdCrossCorr, 1e-13);
}

TEST(CrossCorr, LagsBeyondTheOverlapAreZero) {
    const float a[3] = {1, 2, 3}, b[2] = {4, 5};
    float dst[4] = {9, 9, 9, 9};
    voksCrossCorr(a, 3, b, 2, dst, -10, -7);
    for (float v : dst) EXPECT_EQ(v, 0.0f);
    voksCrossCorr(a, 3, b, 2, dst, 0, 0);
    EXPECT_EQ(dst[0], 1 * 4 + 2 * 5);
    voksCrossCorr(a, 3, b, 2, dst, -2, -2);  // a[2]·b[0]
    EXPECT_EQ(dst[0], 12);
}

TEST(AutoCorr, NormsDivideByTheLengthOrTheOverlap) {
    const auto x = randomVector<DoubleComplex>(40, 4);
    for (int norm : {0, 1, 2, 7}) {
        std::vector<DoubleComplex> dst(40);
        vokzAutoCorr(x.data(), 40, dst.data(), 40, norm);
        for (int k = 0; k < 40; ++k) {
            const long double divisor = norm == 1 ? 40 : norm == 2 ? 40 - k : 1;
            const LC want = referenceLag(x, x, k) / divisor;
            EXPECT_NEAR(dst[k].re, double(want.real()), 1e-14) << norm << " " << k;
            EXPECT_NEAR(dst[k].im, double(want.imag()), 1e-14) << norm << " " << k;
        }
    }
    const float ramp[4] = {1, 2, 3, 4};
    float r[4];
    voksAutoCorr(ramp, 4, r, 4, 2);
    EXPECT_FLOAT_EQ(r[0], 30.0f / 4);
    EXPECT_FLOAT_EQ(r[3], 4.0f);  // the last lag is divided by 1
    std::vector<double> dd(5);
    const std::vector<double> xd = {1, -1, 2, 0.5, 3};
    vokdAutoCorr(xd.data(), 5, dd.data(), 3, 1);
    EXPECT_DOUBLE_EQ(dd[1], (-1 - 2 + 1 + 1.5) / 5.0);
    std::vector<FloatComplex> xc = randomVector<FloatComplex>(9, 2), rc(9);
    vokcAutoCorr(xc.data(), 9, rc.data(), 9, 0);
    EXPECT_NEAR(rc[0].im, 0.0, 1e-7);  // energy is real
}

TEST(DotProd, EveryTypePairAndTheEmptyProduct) {
    const auto fs = randomVector<float>(101, 1);
    const auto fc = randomVector<FloatComplex>(101, 2);
    const auto ds = randomVector<double>(101, 3);
    const auto dc = randomVector<DoubleComplex>(101, 4);
    auto ref = [](const auto& a, const auto& b) {
        LC s = 0;
        for (size_t i = 0; i < a.size(); ++i) s += asLC(a[i]) * asLC(b[i]);
        return s;
    };
    auto near = [](auto got, LC want, double tol) {
        const LC g = asLC(got);
        EXPECT_NEAR(double(g.real()), double(want.real()), tol);
        EXPECT_NEAR(double(g.imag()), double(want.imag()), tol);
    };
    near(voksDotProd(fs.data(), fs.data(), 101), ref(fs, fs), 1e-5);
    near(vokcDotProd(fc.data(), fc.data(), 101), ref(fc, fc), 1e-5);
    near(vokscDotProd(fs.data(), fc.data(), 101), ref(fs, fc), 1e-5);
    near(vokcsDotProd(fc.data(), fs.data(), 101), ref(fc, fs), 1e-5);
    near(vokdDotProd(ds.data(), ds.data(), 101), ref(ds, ds), 1e-14);
    near(vokzDotProd(dc.data(), dc.data(), 101), ref(dc, dc), 1e-14);
    near(vokdzDotProd(ds.data(), dc.data(), 101), ref(ds, dc), 1e-14);
    near(vokzdDotProd(dc.data(), ds.data(), 101), ref(dc, ds), 1e-14);
    // Extended precision: the float sum of these would lose the small terms.
    const float big[3] = {1e8f, 1, -1e8f}, ones[3] = {1, 1, 1};
    EXPECT_EQ(voksDotProd(big, ones, 3), 1.0f);
    ReportRecorder rec;
    EXPECT_EQ(voksDotProd(big, ones, 0), 0.0f);
    EXPECT_TRUE(rec.reports().empty());
}

TEST(Correlation, BadArgumentsAreReportedInOrderAndWriteNothing) {
    ReportRecorder rec;
    const float a[4] = {1, 2, 3, 4};
    Sentinel out(16 * sizeof(float));
    float* d = out.as<float>();
    voksCrossCorr(nullptr, 0, nullptr, 0, nullptr, 1, 0);
    voksCrossCorr(a, 0, nullptr, 0, nullptr, 1, 0);
    voksCrossCorr(a, 0, a, 0, nullptr, 1, 0);
    voksCrossCorr(a, 0, a, 0, d, 1, 0);
    voksCrossCorr(a, 4, a, 0, d, 1, 0);
    voksCrossCorr(a, 4, a, 4, d, 1, 0);
    voksAutoCorr(nullptr, 0, nullptr, 0, 0);
    voksAutoCorr(a, 0, nullptr, 0, 0);
    voksAutoCorr(a, 0, d, 0, 0);
    voksAutoCorr(a, 4, d, 5, 0);
    voksAutoCorr(a, 4, d, 0, 0);
    EXPECT_EQ(vokzdDotProd(nullptr, nullptr, -1).re, 0.0);
    EXPECT_EQ(voksDotProd(a, nullptr, -1), 0.0f);
    EXPECT_EQ(voksDotProd(a, a, -1), 0.0f);
    EXPECT_TRUE(out.untouched());
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "voksCrossCorr", "Null SRC buffer pointer", "vokcorr"},
                   {VOK_StatusBadArg, "voksCrossCorr", "Null SRC buffer pointer", "vokcorr"},
                   {VOK_StatusBadArg, "voksCrossCorr", "Null DST buffer pointer", "vokcorr"},
                   {VOK_StatusBadArg, "voksCrossCorr", "Invalid SRC buffer length", "vokcorr"},
                   {VOK_StatusBadArg, "voksCrossCorr", "Invalid SRC buffer length", "vokcorr"},
                   {VOK_StatusBadArg, "voksCrossCorr", "Invalid LAG value", "vokcorr"},
                   {VOK_StatusBadArg, "voksAutoCorr", "Null SRC buffer pointer", "vokcorr"},
                   {VOK_StatusBadArg, "voksAutoCorr", "Null DST buffer pointer", "vokcorr"},
                   {VOK_StatusBadArg, "voksAutoCorr", "Invalid SRC buffer length", "vokcorr"},
                   {VOK_StatusBadArg, "voksAutoCorr", "Invalid LAG value", "vokcorr"},
                   {VOK_StatusBadArg, "voksAutoCorr", "Invalid LAG value", "vokcorr"},
                   {VOK_StatusBadArg, "vokzdDotProd", "Null buffer pointer", "vokdotp"},
                   {VOK_StatusBadArg, "voksDotProd", "Null buffer pointer", "vokdotp"},
                   {VOK_StatusBadArg, "voksDotProd", "Invalid value", "vokdotp"});
}

}  // namespace
