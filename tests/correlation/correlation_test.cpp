// Correlations and dot products against long-double sums written from the
// definitions, for every type pair, lag ranges on and beyond the overlap, the
// three autocorrelation norms, and the failure reports.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "frame/test_seams.h"
#include "support/reports.h"
#include "support/values.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;
using namespace voktest;

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

// Products beyond the range of double that cancel: the sums keep the range of
// long double, as the definition asks, whatever the summation.
TEST(CrossCorr, HugeProductsThatCancelSumToZero) {
    const double a[2] = {1e170, 1e170}, b[2] = {1e170, -1e170};
    double dst[1] = {9};
    vokdCrossCorr(a, 2, b, 2, dst, 0, 0);
    EXPECT_EQ(dst[0], 0.0);
    const double tiny[2] = {1e-170, 1e-170}, big[2] = {1e170, 3e170};
    vokdCrossCorr(tiny, 2, big, 2, dst, 0, 0);
    EXPECT_NEAR(dst[0], 4.0, 1e-15);
    const DoubleComplex x[2] = {{1e170, 0}, {0, 1e170}}, y[2] = {{1e170, 0}, {0, -1e170}};
    DoubleComplex z[1] = {{9, 9}};
    vokzCrossCorr(x, 2, y, 2, z, 0, 0);  // 1e340 - 1e340
    EXPECT_EQ(z[0].re, 0.0);
    EXPECT_EQ(z[0].im, 0.0);
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

// One representative per type family: the typed forms share one checking path.
TEST(Correlation, BadArgumentsAreReportedInOrderAndWriteNothing) {
    const int bad = VOK_StatusBadArg;
    const char *src = "Null SRC buffer pointer", *dst = "Null DST buffer pointer";
    const char *len = "Invalid SRC buffer length", *lag = "Invalid LAG value", *m = "vokcorr";
    const float a[4] = {1, 2, 3, 4};
    Sentinel out(16 * sizeof(float));
    float* d = out.as<float>();
    EXPECT_EACH_REPORTS(
        {[&] { voksCrossCorr(nullptr, 0, nullptr, 0, nullptr, 1, 0); }, {bad, "voksCrossCorr", src, m}},
        {[&] { voksCrossCorr(a, 0, nullptr, 0, nullptr, 1, 0); }, {bad, "voksCrossCorr", src, m}},
        {[&] { voksCrossCorr(a, 0, a, 0, nullptr, 1, 0); }, {bad, "voksCrossCorr", dst, m}},
        {[&] { voksCrossCorr(a, 0, a, 0, d, 1, 0); }, {bad, "voksCrossCorr", len, m}},
        {[&] { voksCrossCorr(a, 4, a, 0, d, 1, 0); }, {bad, "voksCrossCorr", len, m}},
        {[&] { voksCrossCorr(a, 4, a, 4, d, 1, 0); }, {bad, "voksCrossCorr", lag, m}},
        {[&] { voksAutoCorr(nullptr, 0, nullptr, 0, 0); }, {bad, "voksAutoCorr", src, m}},
        {[&] { voksAutoCorr(a, 0, nullptr, 0, 0); }, {bad, "voksAutoCorr", dst, m}},
        {[&] { voksAutoCorr(a, 0, d, 0, 0); }, {bad, "voksAutoCorr", len, m}},
        {[&] { voksAutoCorr(a, 4, d, 5, 0); }, {bad, "voksAutoCorr", lag, m}},
        {[&] { voksAutoCorr(a, 4, d, 0, 0); }, {bad, "voksAutoCorr", lag, m}},
        {[&] { EXPECT_EQ(vokzdDotProd(nullptr, nullptr, -1).re, 0.0); }, {bad, "vokzdDotProd", "Null buffer pointer", "vokdotp"}},
        {[&] { EXPECT_EQ(voksDotProd(a, nullptr, -1), 0.0f); }, {bad, "voksDotProd", "Null buffer pointer", "vokdotp"}},
        {[&] { EXPECT_EQ(voksDotProd(a, a, -1), 0.0f); }, {bad, "voksDotProd", "Invalid value", "vokdotp"}});
    EXPECT_TRUE(out.untouched());
}

TEST(Correlation16, MatchesTheFloatSumsBroughtBackWithTheScaleMode) {
    std::mt19937 gen(5);
    std::vector<short> a(50), b(40);
    for (auto& v : a) v = short(int(gen() % 2001) - 1000);
    for (auto& v : b) v = short(int(gen() % 2001) - 1000);
    std::vector<float> af(a.begin(), a.end()), bf(b.begin(), b.end()), rf(30);
    voksCrossCorr(af.data(), 50, bf.data(), 40, rf.data(), -10, 19);
    std::vector<short> r(30);
    int sf = 0;
    vokwCrossCorr(a.data(), 50, b.data(), 40, r.data(), -10, 19, VOK_AUTO_SCALE, &sf);
    EXPECT_GT(sf, 0);  // sums of up to 40 products of 1000s exceed 16 bits
    for (int i = 0; i < 30; ++i) EXPECT_EQ(r[i], short(std::trunc(std::ldexp(double(rf[i]), -sf)))) << i;
    int fixed = 6;
    vokwAutoCorr(a.data(), 50, r.data(), 10, 1, VOK_FIXED_SCALE, &fixed);
    voksAutoCorr(af.data(), 50, rf.data(), 10, 1);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(r[i], short(std::trunc(rf[i] / 64))) << i;
    // Complex and mixed forms conjugate the first sequence.
    const ShortComplex v[2] = {{0, 1}, {2, 0}};
    const short w[2] = {3, 4};
    ShortComplex out[1];
    vokvwCrossCorr(v, 2, w, 2, out, 0, 0, VOK_NO_SCALE, nullptr);
    EXPECT_EQ(out[0].re, 8);  // conj(i)·3 + 2·4
    EXPECT_EQ(out[0].im, -3);
    vokwvCrossCorr(w, 2, v, 2, out, 0, 0, VOK_SATURATE, nullptr);
    EXPECT_EQ(out[0].re, 8);
    EXPECT_EQ(out[0].im, 3);
    ShortComplex auto1[2];
    vokvAutoCorr(v, 2, auto1, 2, 0, VOK_NO_SCALE, nullptr);
    EXPECT_EQ(auto1[0].re, 5);
    EXPECT_EQ(auto1[1].re, 0);
    EXPECT_EQ(auto1[1].im, -2);  // conj(i)·2
}

TEST(DotProd16, ExactSumsSaturateOrScale) {
    std::vector<short> a(100, 20000), b(100, 20000);
    int sf = 0;
    EXPECT_EQ(vokwDotProd(a.data(), b.data(), 100, VOK_SATURATE, &sf), 32767);
    // 100·4e8 = 4e10 saturates to 2^31 - 1 before the auto scale: sf = 30 - 14.
    EXPECT_EQ(vokwDotProd(a.data(), b.data(), 100, VOK_AUTO_SCALE, &sf), INT32_MAX >> 16);
    EXPECT_EQ(sf, 16);
    const short c[3] = {-3, 7, 100}, d[3] = {5, -2, 1};
    EXPECT_EQ(vokwDotProd(c, d, 3, VOK_NO_SCALE, nullptr), -15 - 14 + 100);
    const ShortComplex x[2] = {{1, 2}, {3, -4}}, y[2] = {{5, 6}, {-7, 8}};
    ShortComplex z = vokvDotProd(x, y, 2, VOK_NO_SCALE, nullptr);
    EXPECT_EQ(z.re, (5 - 12) + (-21 + 32));
    EXPECT_EQ(z.im, (6 + 10) + (24 + 28));
    z = vokwvDotProd(c, x, 2, VOK_NO_SCALE, nullptr);
    EXPECT_EQ(z.re, -3 + 21);
    EXPECT_EQ(z.im, -6 - 28);
    EXPECT_EQ(vokwDotProd(c, d, 0, VOK_NO_SCALE, nullptr), 0);
}

TEST(Correlation16, ScaleAndAllocationFailuresAreReported) {
    const int bad = VOK_StatusBadArg;
    const short a[4] = {1, 2, 3, 4};
    Sentinel out(8 * sizeof(short));
    short* d = out.as<short>();
    int sf = 0;
    std::vector<voktest::BadCall> rows = {
        {[&] { vokwCrossCorr(a, 4, a, 4, d, 0, 3, VOK_AUTO_SCALE, nullptr); },
         {bad, "vokwCrossCorr", "Null scale factor pointer", "vokcorrw"}},
        {[&] { vokwAutoCorr(a, 4, d, 5, 0, VOK_AUTO_SCALE, nullptr); }, {bad, "vokwAutoCorr", "Invalid LAG value", "vokcorrw"}},
        {[&] { vokvwDotProd(nullptr, a, 1, 0, nullptr); }, {bad, "vokvwDotProd", "Null buffer pointer", "vokdotpw"}},
        {[&] { vokwDotProd(a, a, 1, VOK_AUTO_SCALE, nullptr); }, {bad, "vokwDotProd", "Null scale factor pointer", "vokdotpw"}},
    };
    for (int failing = 1; failing <= 3; ++failing)
        rows.push_back({[&, failing] {
                            vok::testing::failAllocationAfter(failing);
                            vokwCrossCorr(a, 4, a, 4, d, 0, 3, VOK_AUTO_SCALE, &sf);
                            vok::testing::failAllocationAfter(0);
                        },
                        {VOK_StatusNoMemory, "vokwCrossCorr", "Allocation failure", "vokcorrw"}});
    EXPECT_TRUE(voktest::eachReports(rows));
    EXPECT_TRUE(out.untouched());
}

}  // namespace
