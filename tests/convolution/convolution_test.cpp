// Convolutions, correlations and dot products of every type pair against long-double sums of the definitions, every
// method at every kernel width and around its switches; the 16-bit forms exactly or against their float forms brought
// back by each scale mode; every failure report in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <functional>
#include <vector>

#include "convolution/conv1d.h"
#include "convolution/fastcorr.h"
#include "frame/context.h"
#include "voktest/fft_reference.h"
#include "voktest/sweep.h"
#include "voktest/values.h"
#include "voktest/vector_calls.h"
#include "voktest/widths.h"
#include "transform/fft.h"
#include "vok.h"

namespace {

using namespace voktest;
namespace c1 = vok::conv1d;

// What the outputs hold until written.
template <class T> const T kUnset = fromLC<T>(LC(-7.25, 3.5));

// Lag k summed from the definition, Σ conj(a[n])·b[n + k], or with the index reversed the convolution's
// term k, Σ a[n]·b[k - n]; with the sum of the terms' magnitudes.
template <class A, class B>
std::pair<LC, long double> lagSum(const std::vector<A>& a, const std::vector<B>& b, long long k, bool reversed = 0) {
    const long long lenA = a.size(), lenB = b.size(), first = std::max(0LL, reversed ? k - lenB + 1 : -k);
    std::pair<LC, long double> s{0, 0};
    for (long long n = first; n < lenA && (reversed ? k >= n : n + k < lenB); ++n) {
        const LC x = reversed ? asLC(a[n]) : std::conj(asLC(a[n])), y = asLC(b[reversed ? k - n : n + k]);
        s.first += x * y;
        s.second += std::sqrt(std::norm(x) * std::norm(y));  // |x|·|y| with one root, no hypot
    }
    return s;
}
template <class X, class H>
std::vector<LC> reference(const std::vector<X>& x, const std::vector<H>& h) {
    std::vector<LC> y(x.size() + h.size() - 1);
    for (std::size_t k = 0; k < y.size(); ++k) y[k] = lagSum(x, h, k, true).first;
    return y;
}

// The error allowed: tol of the largest |sum| (at least 1); for direct sums (rel set) also each part of each output
// within rel·|sum| + abs·Σ|terms|: one rounding of a double sum (float) or of the exact, compensated sum (double),
// exact zeros beyond the overlap.
template <class T> constexpr double kTol = sizeof(Real<T>) == 4 ? 2e-6 : 1e-14;
struct Bound {
    double tol;
    long double rel = 0, abs = 0;
};
template <class T>
Bound direct(long double ulps = 1) {
    return sizeof(Real<T>) == 4 ? Bound{kTol<T>, ulps * 0.6L * 0x1p-23L, 1e-13L}
                                : Bound{kTol<T>, ulps * 0x1p-53L, 4e-19L};
}

template <class R, class Want>
void expectNear(const R* got, int n, Want want, Bound bound) {
    long double scale = 1, err = 0;
    for (int i = 0; i < n; ++i) {
        const auto [w, magnitude] = want(i);
        const LC d = asLC(got[i]) - w;
        scale = std::max(scale, std::abs(w));
        err = std::max(err, std::abs(d));
        const long double most = bound.rel * std::abs(w) + bound.abs * magnitude;
        if (bound.rel > 0) EXPECT_TRUE(std::fabs(d.real()) <= most && std::fabs(d.imag()) <= most) << i;
    }
    EXPECT_LT(double(err / scale), bound.tol);
}

// (lenA, lenB, loLag, hiLag, kind): kind 0 direct sums, 1 the transform, 2 the
// transform with srcA the same array as srcB (at lag 0 its blocks are srcB's
// segments, at other lags or with a shorter srcA they are not). Direct sums:
// lags before, across and past the overlap, counts around the lane groups of
// every width (9 lags fill one, two or four registers depending on it). The
// transform's windows of srcB reach before, into or past srcB; without work
// arrays the direct sums take over without a report.
template <class A, class B, class R>
void check(void (*f)(const A*, int, const B*, int, R*, int, int)) {
    std::vector<std::array<int, 5>> cases = {
        {1, 1, 0, 0, 0},          {10, 7, -12, 12, 0},      {33, 50, -3, -1, 0},         {64, 5, 60, 80, 0},
        {3, 2, -10, -7, 0},       {16, 16, -15, 15, 0},     {37, 100, 0, 63, 0},         {64, 64, 60, 92, 0},
        {20, 10, 40, 56, 0},      {300, 200, -250, -231, 0}, {501, 433, -77, -69, 0},    {501, 433, -77, -73, 0},
        {501, 433, -77, -61, 0},  {1000, 1040, 0, 16, 0},   {100, 100, -99, 99, 1},      {2000, 1500, -40, 60, 1},
        {5000, 300, -300, 10, 1}, {700, 4000, 0, 255, 1},   {3000, 3000, 2990, 3100, 1}, {1000, 800, -1100, -850, 1},
        {1000, 800, -3000, -2800, 1}, {1500, 1200, 1100, 1400, 1}};
    if constexpr (std::is_same_v<A, B>)
        cases.insert(cases.end(), {{3000, 3000, 0, 299, 2}, {3000, 3000, -100, 199, 2}, {2993, 3000, 0, 299, 2}});
    for (auto [lenA, lenB, lo, hi, kind] : cases) {
        SCOPED_TRACE(testing::Message() << lenA << " " << lenB << " " << lo << ".." << hi << " kind " << kind);
        const int n = hi - lo + 1;
        const bool fast = vok::fastcorr::crossTransformCheaper<A, B>(lenA, n);
        ASSERT_EQ(fast, kind > 0);
        const auto b = randomVector<B>(lenB, unsigned(lenB + 1));
        auto a = randomVector<A>(lenA, unsigned(lenA));
        if constexpr (std::is_same_v<A, B>)
            if (kind == 2) a.assign(b.begin(), b.begin() + lenA);
        const A* aData = kind == 2 ? reinterpret_cast<const A*>(b.data()) : a.data();
        std::vector<std::pair<LC, long double>> sums(n);
        for (int i = 0; i < n; ++i) sums[i] = lagSum(a, b, lo + i);
        const auto want = [&](int i) { return sums[i]; };
        const auto got = sameAtEveryWidth<R>(n, kUnset<R>, [&](R* y) { f(aData, lenA, b.data(), lenB, y, lo, hi); });
        expectNear(got.data(), n, want, fast ? Bound{kTol<R>} : direct<R>());
        if (!fast) continue;
        std::vector<R> fallback(n);
        robust::starve(1, [&] { f(aData, lenA, b.data(), lenB, fallback.data(), lo, hi); });
        expectNear(fallback.data(), n, want, Bound{kTol<R> / 10});
    }
}

// Norm 0 keeps the sums, 1 divides by len, 2 by len - k (a rounding more);
// other values leave the raw sums (direct) or dst as it was (transform).
template <class T>
void check(void (*f)(const T*, int, T*, int, int)) {
    for (auto [len, lags] : std::vector<std::array<int, 2>>{{1, 1}, {40, 1}, {40, 17}, {40, 40}, {4000, 200}}) {
        const bool fast = vok::fastcorr::autoTransformCheaper<T>(len, lags);
        ASSERT_EQ(fast, len == 4000);
        const auto x = randomVector<T>(len, 4);
        std::vector<std::pair<LC, long double>> sums(lags);
        for (int k = 0; k < lags; ++k) sums[k] = lagSum(x, x, k);
        for (int norm : {0, 1, 2, 7}) {
            SCOPED_TRACE(testing::Message() << len << " " << lags << " norm " << norm);
            const auto want = [&](int k) {
                const long double divisor = norm == 1 ? len : norm == 2 ? len - k : 1;
                return std::pair{sums[k].first / divisor, sums[k].second / divisor};
            };
            const auto got = sameAtEveryWidth<T>(lags, kUnset<T>, [&](T* dst) { f(x.data(), len, dst, lags, norm); });
            if (!fast || norm != 7) expectNear(got.data(), lags, want, fast ? Bound{kTol<T>} : direct<T>(3));
            else EXPECT_TRUE(sameBits(got, std::vector<T>(lags, kUnset<T>)));
        }
    }
}

template <class A, class B, class R>
void check(R (*f)(const A*, const B*, int)) {
    const double tol = sizeof(Real<R>) == 4 ? 1e-6 : 1e-15;
    const auto a = randomVector<A>(101, 1), b = randomVector<B>(101, 2);
    const R got[2] = {f(a.data(), b.data(), 101), f(a.data(), b.data(), 0)};  // empty: zero, no report
    const LC sum = lagSum(a, std::vector<B>(b.rbegin(), b.rend()), 100, true).first;  // Σ a[n]·b[n]
    expectNear(got, 2, [&](int i) { return std::pair{i ? LC(0) : sum, 0.0L}; }, Bound{tol});
    EXPECT_EQ(asLC(got[1]), LC(0));
}

// Each family's forms: every type pair, the four one-type forms, the four 16-bit pairs.
#define VOK_PAIRS(f) voks##f, vokc##f, voksc##f, vokcs##f, vokd##f, vokz##f, vokdz##f, vokzd##f
#define VOK_ONES(f) voks##f, vokc##f, vokd##f, vokz##f
#define VOK_SHORTS(f) vokw##f, vokv##f, vokwv##f, vokvw##f

TEST(Correlation, EveryTypePairMatchesTheDefinition) {
    ReportRecorder rec;
    const auto all = [](auto... f) { (check(f), ...); };
    all(VOK_PAIRS(CrossCorr), VOK_ONES(AutoCorr), VOK_PAIRS(DotProd));
    EXPECT_REPORTS(rec);
    // Sums held wider than the element: small terms survive, huge products cancel.
    const float big[3] = {1e8f, 1, -1e8f}, ones[3] = {1, 1, 1};
    EXPECT_EQ(voksDotProd(big, ones, 3), 1.0f);
    const double a[2] = {1e170, 1e170}, b[2] = {1e170, -1e170}, tiny[2] = {1e-170, 1e-170}, huge[2] = {1e170, 3e170};
    double d[2] = {9, 9};
    vokdCrossCorr(a, 2, b, 2, d, 0, 0);
    vokdCrossCorr(tiny, 2, huge, 2, d + 1, 0, 0);
    EXPECT_TRUE(d[0] == 0.0 && std::fabs(d[1] - 4.0) < 1e-15);
    const DoubleComplex x[2] = {{1e170, 0}, {0, 1e170}}, y[2] = {{1e170, 0}, {0, -1e170}};
    DoubleComplex z[1] = {{9, 9}};
    vokzCrossCorr(x, 2, y, 2, z, 0, 0);  // 1e340 - 1e340
    EXPECT_TRUE(z[0].re == 0.0 && z[0].im == 0.0);
}

template <class T> using Flt = std::conditional_t<std::is_same_v<T, short>, float, FloatComplex>;
// n elements whose parts are whole numbers in -1000..1000, as 16-bit data and as the float data they convert to.
template <class T>
std::pair<std::vector<T>, std::vector<Flt<T>>> wholes(int n, unsigned seed) {
    std::pair<std::vector<T>, std::vector<Flt<T>>> v{std::vector<T>(n), std::vector<Flt<T>>(n)};
    for (std::size_t i = 0; i < n * sizeof(T) / 2; ++i) {
        reinterpret_cast<short*>(v.first.data())[i] = short(int((i * 811 + seed * 97) % 2001) - 1000);
        reinterpret_cast<float*>(v.second.data())[i] = reinterpret_cast<short*>(v.first.data())[i];
    }
    return v;
}

// A 16-bit correlation converts, runs the float form and brings the n results
// back by the mode: the factor given, or the fewest halvings that fit.
template <class R>
void check16(int n, const std::function<void(R*, int, int*)>& call16, const std::function<void(Flt<R>*)>& callFloat) {
    std::vector<Flt<R>> want(n);
    callFloat(want.data());
    const int parts = int(n * sizeof(R) / 2);
    const float* w = reinterpret_cast<const float*>(want.data());
    const std::vector<LC> values(w, w + parts);
    for (int mode : {VOK_NO_SCALE, VOK_SATURATE, VOK_FIXED_SCALE, VOK_AUTO_SCALE}) {
        std::vector<short> got(parts + 2, 0x5A5A);
        int sf = 6;
        ReportRecorder rec;
        call16(reinterpret_cast<R*>(got.data()), mode, &sf);
        EXPECT_REPORTS(rec);
        EXPECT_EQ(sf, mode == VOK_AUTO_SCALE ? ffttest::autoFactor(values) : 6);
        for (int i = 0; i < parts; ++i) ASSERT_EQ(got[i], ffttest::to16(w[i], mode, sf, false)) << mode << " " << i;
        EXPECT_TRUE(got[parts] == 0x5A5A && got[parts + 1] == 0x5A5A) << "guard";
    }
}

template <class A, class B, class R>
void checkCross16(void (*f)(const A*, int, const B*, int, R*, int, int, int, int*),
                  void (*g)(const Flt<A>*, int, const Flt<B>*, int, Flt<R>*, int, int)) {
    const auto a = wholes<A>(50, 1), b = wholes<B>(40, 2);
    check16<R>(30, [&](R* d, int m, int* sf) { f(a.first.data(), 50, b.first.data(), 40, d, -10, 19, m, sf); },
               [&](Flt<R>* d) { g(a.second.data(), 50, b.second.data(), 40, d, -10, 19); });
}

template <class T>
void checkAuto16(void (*f)(const T*, int, T*, int, int, int, int*), void (*g)(const Flt<T>*, int, Flt<T>*, int, int)) {
    const auto a = wholes<T>(50, 3);
    for (int norm : {0, 1, 2})
        check16<T>(12, [&](T* d, int m, int* sf) { f(a.first.data(), 50, d, 12, norm, m, sf); },
                   [&](Flt<T>* d) { g(a.second.data(), 50, d, 12, norm); });
}

TEST(Correlation16, FloatFormsBroughtBackByEachScaleModeDotProductsExact) {
    checkCross16(vokwCrossCorr, voksCrossCorr);
    checkCross16(vokvCrossCorr, vokcCrossCorr);
    checkCross16(vokwvCrossCorr, vokscCrossCorr);
    checkCross16(vokvwCrossCorr, vokcsCrossCorr);
    checkAuto16(vokwAutoCorr, voksAutoCorr);
    checkAuto16(vokvAutoCorr, vokcAutoCorr);
    // Dot products sum exactly, round to 32 bits (saturating) and convert by the mode.
    const std::vector<short> a(100, 20000);
    const short c[3] = {-3, 7, 100}, d[3] = {5, -2, 1};
    const ShortComplex x[2] = {{1, 2}, {3, -4}}, y[2] = {{5, 6}, {-7, 8}};
    int sf = 0;
    EXPECT_EQ(vokwDotProd(a.data(), a.data(), 100, VOK_SATURATE, &sf), 32767);
    EXPECT_EQ(vokwDotProd(a.data(), a.data(), 100, VOK_AUTO_SCALE, &sf), INT32_MAX >> 16);  // 4e10 held as 2^31 - 1
    EXPECT_EQ(sf, 16);
    EXPECT_EQ(vokwDotProd(c, d, 3, VOK_NO_SCALE, nullptr), -15 - 14 + 100);
    EXPECT_EQ(vokwDotProd(c, d, 0, VOK_NO_SCALE, nullptr), 0);
    const ShortComplex want[] = {{(5 - 12) + (-21 + 32), (6 + 10) + (24 + 28)}, {-3 + 21, -6 - 28}, {-15 - 49, -18 + 56}};
    const ShortComplex got[] = {vokvDotProd(x, y, 2, VOK_NO_SCALE, nullptr), vokwvDotProd(c, x, 2, VOK_NO_SCALE, nullptr),
                                vokvwDotProd(y, c, 2, VOK_NO_SCALE, nullptr)};
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(got[i].re == want[i].re && got[i].im == want[i].im) << i;
}

TEST(Convolution, FailuresReportInOrderAndWriteNothing) {
    const char *src = "Null SRC buffer pointer", *len = "Invalid SRC buffer length", *lag = "Invalid LAG value";
    const char *ptr = "Null buffer pointer", *dst = "Null DST buffer pointer";
    const auto noFactor = [](int i) { return BadArg("Null scale factor pointer", {{i, VOK_AUTO_SCALE}, {i + 1}}); };
    std::vector<BadArg> cross = {{0, src}, {2, src}, {4, dst}, {1, len}, {3, len}, {5, lag, 5}},
                        autoc = {{0, src}, {2, dst}, {1, len}, {3, lag, 5}, {3, lag, 0}},
                        dot = {{0, ptr}, {1, ptr}, {2, "Invalid value", -1}};
    CheckTable corr("vokcorr"), corrw("vokcorrw"), dotp("vokdotp"), dotpw("vokdotpw");
    VOK_CHECK_EACH(corr, cross, VOK_PAIRS(CrossCorr));
    VOK_CHECK_EACH(corr, autoc, VOK_ONES(AutoCorr));
    VOK_CHECK_EACH(dotp, dot, VOK_PAIRS(DotProd));
    cross.push_back(noFactor(7));
    autoc.push_back(noFactor(5));
    dot.push_back(noFactor(3));
    VOK_CHECK_EACH(corrw, cross, VOK_SHORTS(CrossCorr));
    VOK_CHECK_EACH(corrw, autoc, vokwAutoCorr, vokvAutoCorr);
    VOK_CHECK_EACH(dotpw, dot, VOK_SHORTS(DotProd));
    const std::vector<BadArg> conv = {{0, "x==0"}, {1, "xLen<=0", 0}, {2, "h==0"}, {3, "hLen<=0", 0}, {4, "y==0"}};
    CheckTable convs("vokconvs", VOK_StatusBadArg, true), convd("vokconvd", VOK_StatusBadArg, true);
    CheckTable convw("vokconvw", VOK_StatusBadArg, true);  // the convolutions report every check
    VOK_CHECK_EACH(convs, conv, voksConv, vokcConv, vokcsConv, vokscConv);
    VOK_CHECK_EACH(convd, conv, vokdConv, vokzConv, vokzdConv, vokdzConv);
    VOK_CHECK_EACH(convw, conv, vokwConv);
    const short w[4] = {1, 2, 3, 4};
    Sentinel out(16 * sizeof(short));
    int sf = 0;
    for (int failing = 1; failing <= 3; ++failing)  // each of the float copies
        corrw.run(robust::starved(failing, [&] { vokwCrossCorr(w, 4, w, 4, out.as<short>(), 0, 3, VOK_AUTO_SCALE, &sf); }),
                  {{VOK_StatusNoMemory, "vokwCrossCorr", "Allocation failure", "vokcorrw"}});
    EXPECT_TRUE(out.untouched() && sf == 0);
}

// One exported function: its element types, entry point and tuning.
template <auto F, const c1::Model* M>
struct Conv;
template <class X, class H, class Y, int (*F)(const X*, int, const H*, int, Y*), const c1::Model* M>
struct Conv<F, M> {
    using XT = X;
    using HT = H;
    using YT = Y;
    static constexpr auto call = F;
    static const c1::Model& model() { return *M; }
    static constexpr double direct = sizeof(Real<Y>) == 4 ? 1.2e-7 : 2.5e-15;  // float: one rounding of a double sum
};
using AllConvs = ::testing::Types<Conv<voksConv, &c1::kS>, Conv<vokcConv, &c1::kC>, Conv<vokcsConv, &c1::kCs>,
                                  Conv<vokscConv, &c1::kSc>, Conv<vokdConv, &c1::kD>, Conv<vokzConv, &c1::kZ>,
                                  Conv<vokzdConv, &c1::kZd>, Conv<vokdzConv, &c1::kDz>>;

template <class C>
class Convolution : public ::testing::Test {};
TYPED_TEST_SUITE(Convolution, AllConvs);

// The exported function with either operand the longer, near and across the
// lengths at which the choice changes and around the register sizes, and every
// method and block size called directly at every kernel width (the same bits
// at each, nothing written past the end); the choice follows the direct bound
// and the threshold rows.
TYPED_TEST(Convolution, EveryMethodAndTheExportedFunctionMatchTheDefinition) {
    using C = TypeParam;
    const c1::Model& m = C::model();
    const int inRange = m.thrFirst + 3;
    const int thr = std::min(m.thr[inRange - m.thrFirst], 20000);  // past any practical length: "always direct"
    const c1::Choice methods[] = {{c1::kDirect, 1}, {c1::kSingle, 1}, {c1::kSectioned, 1}, {c1::kSectioned, 2},
                                  {c1::kSectioned, 3}};
    ReportRecorder recorder;
    const std::vector<std::pair<int, int>> pairs = {
        {1, 1},     {2, 1},      {7, 7},     {64, 1},      {65, 64},     {200, 17},   {1000, 3},
        {513, 100}, {9, 9},      {300, 300}, {5, 3},       {3, 8},       {16, 15},    {300, 20},
        {5, 2},     {17, 17},    {31, 4},    {33, 32},     {257, 40},    {777, 61},
        {700, 7},   {70, 800},   {900, 150}, {thr - 1, inRange},         {inRange, thr},
        {m.directAlways, 4000},  {4000, m.directAlways + 1}, {m.thrLast + 1, 40 * (m.thrLast + 1)}};
    for (auto [xLen, hLen] : pairs) {
        SCOPED_TRACE(testing::Message() << xLen << "x" << hLen);
        const auto x = randomVector<typename C::XT>(xLen, unsigned(xLen * 3 + 1));
        const auto h = randomVector<typename C::HT>(hLen, unsigned(hLen * 5 + 2));
        const auto want = reference(x, h);
        // k = -1: the exported function; then each method, which takes the longer operand first.
        for (int k = -1; k < 5 && (k < 0 || xLen >= hLen); ++k) {
            const c1::Choice choice = k < 0 ? c1::Choice{c1::kSingle, 0} : methods[k];
            SCOPED_TRACE(testing::Message() << "method " << k);
            const auto run = [&](auto* y) {
                if (k < 0) EXPECT_EQ(C::call(x.data(), xLen, h.data(), hLen, y), 0);
                else ASSERT_TRUE(c1::runMethod(m, choice, x.data(), xLen, h.data(), hLen, y));
            };
            const auto y = sameAtEveryWidth(want.size(), kUnset<typename C::YT>, run);
            EXPECT_LT(maxRelativeError(y, want), k == 0 ? C::direct : 8 * kTol<typename C::YT>);
        }
    }
    EXPECT_REPORTS(recorder);
    EXPECT_EQ(c1::choose(m, 1 << 24, m.directAlways).method, c1::kDirect);
    for (int s = m.thrFirst; s <= m.thrLast; ++s) {
        const int t = m.thr[s - m.thrFirst];
        EXPECT_GE(t, s) << s;  // a longer operand is never shorter: smaller entries would be dead
        EXPECT_EQ(c1::choose(m, t - 1, s).method, c1::kDirect) << s;
        if (s % 7 == 0) EXPECT_NE(c1::choose(m, std::max(t, 40 * s), s).method, c1::kDirect) << s;
    }
    EXPECT_NE(c1::choose(m, m.thrLast + 1, m.thrLast + 1).method, c1::kDirect);
}

// A work array (allocations 1 and 2) or, on the first use of an order, a
// transform table (taken before the work arrays, two failures as the
// transforms retry once) that cannot be had: the first report, the method's
// and the exported function's backtraces, y as it was; the next call works all
// the same.
TYPED_TEST(Convolution, AllocationFailuresWriteNothing) {
    using C = TypeParam;
    using Y = typename C::YT;
    const c1::Model& m = C::model();
    const std::string direct = m.methods[c1::kDirect], name = direct.substr(0, direct.size() - 1);
    const int longLen = 6000, shortLen = m.thrLast + 20;
    const auto x = randomVector<typename C::XT>(longLen, 3);
    const auto h = randomVector<typename C::HT>(shortLen, 4);
    Sentinel out(sizeof(Y) * (longLen + shortLen - 1));
    const c1::Choice choice = c1::choose(m, longLen, shortLen);
    ASSERT_NE(choice.method, c1::kDirect);
    const std::string method = m.methods[choice.method];
    const bool single = sizeof(Real<Y>) == 4;
    const char* transform = isCx<Y> ? (single ? "vokcFft" : "vokzFft") : (single ? "voksRealFftl" : "vokdRealFftl");
    const Expected table{VOK_StatusNoMemory, transform, "No working Twd memory", single ? "vokffts" : "vokfftd"},
        work{VOK_StatusNoMemory, method.c_str(), "NULL Pointer", m.module},
        inner{VOK_StatusBacktrace, method.c_str(), "<null>", m.module},
        outer{VOK_StatusBacktrace, name.c_str(), "<null>", m.module};
    const std::vector<Expected> cold{table, inner, outer}, warm{work, outer};  // a first call makes the tables
    for (auto [firstCall, failing, run] : std::vector<std::array<int, 3>>{{0, 1, 1}, {0, 2, 1}, {1, 1, 2}}) {
        SCOPED_TRACE(testing::Message() << firstCall << " " << failing);
        if (firstCall) {
            vok::releaseInternalFftTables(single ? vok::kSingle : vok::kDouble);
            vok::releaseSwapTables();
        }
        ReportRecorder recorder;
        const auto call = [&] { return C::call(x.data(), longLen, h.data(), shortLen, out.as<Y>()); };
        EXPECT_EQ(robust::starve(failing, call, run), VOK_StatusNoMemory);
        EXPECT_TRUE(sameReports(recorder.reports(), firstCall ? cold : warm));
    }
    EXPECT_TRUE(out.untouched());
    std::vector<Y> y(longLen + shortLen - 1);  // the failure left behind does not stop the next call
    EXPECT_EQ(C::call(x.data(), longLen, h.data(), shortLen, y.data()), 0);
    EXPECT_LT(maxRelativeError(y, reference(x, h)), 8 * kTol<typename C::YT>);
}

// Mixed types with the first operand shorter go through the sibling, which
// then shows in the backtrace; very long operands weigh the largest block.
TEST(MixedConvolution, ShorterFirstOperandIsHandedToTheSibling) {
    const auto x = randomVector<FloatComplex>(120, 5);
    const auto h = randomVector<float>(6000, 6);
    std::vector<FloatComplex> y(6119);
    vokcsConv(x.data(), 120, h.data(), 6000, y.data());  // the order's tables: the failure hits a work array
    ReportRecorder recorder;
    EXPECT_EQ(robust::starve(1, [&] { return vokcsConv(x.data(), 120, h.data(), 6000, y.data()); }), VOK_StatusNoMemory);
    const std::string method = c1::kSc.methods[c1::choose(c1::kSc, 6000, 120).method];
    EXPECT_REPORTS(recorder, {VOK_StatusNoMemory, method.c_str(), "NULL Pointer", "vokconvs"},
                   {VOK_StatusBacktrace, "vokscConv", "<null>", "vokconvs"},
                   {VOK_StatusBacktrace, "vokcsConv", "<null>", "vokconvs"});
    const auto xd = randomVector<double>(9, 7);
    const auto hd = randomVector<DoubleComplex>(30, 8);
    std::vector<DoubleComplex> a(38), b(38);
    EXPECT_EQ(vokdzConv(xd.data(), 9, hd.data(), 30, a.data()), 0);
    EXPECT_EQ(vokzdConv(hd.data(), 30, xd.data(), 9, b.data()), 0);
    EXPECT_EQ(0, std::memcmp(a.data(), b.data(), sizeof(DoubleComplex) * 38));
    const c1::Choice wide = c1::choose(c1::kS, 1 << 20, 200);
    EXPECT_TRUE(wide.method == c1::kSectioned && wide.mode >= 2);
    EXPECT_EQ(c1::choose(c1::kD, 1 << 22, 1 << 22).method, c1::kSingle);
}

// 16 bits: exact sums under every scale mode, truncated, also through the fast
// methods (long operands go through float sums) and for operands of length 1.
TEST(ShortConvolution, ExactSumsUnderEveryScaleMode) {
    struct Row {
        std::vector<short> x, h;
        int mode, sf, wantSf, divisor, tolerance;
    };
    std::vector<short> lx(3000), lh(150);
    for (int i = 0; i < 3000; ++i) lx[i] = short((i * 37) % 201 - 100);
    for (int i = 0; i < 150; ++i) lh[i] = short((i * 11) % 21 - 10);
    const std::vector<short> x = {1000, -2000, 3000, 32767, -32768, 7}, h = {3, -1, 2};
    ReportRecorder recorder;
    // Largest |y| = 32767·3 + ..., below 2^17: the automatic scale factor is 2.
    for (const Row& r : {Row{x, h, VOK_SATURATE, 0, 0, 1, 0}, Row{x, h, VOK_FIXED_SCALE, 2, 2, 4, 0},
                         Row{x, h, VOK_AUTO_SCALE, 0, 2, 4, 0}, Row{lx, lh, VOK_FIXED_SCALE, 0, 0, 1, 1},
                         Row{{-3}, {5, 7}, VOK_FIXED_SCALE, 0, 0, 1, 0}, Row{{3, -2}, {7}, VOK_SATURATE, 0, 0, 1, 0}}) {
        const auto want = reference(r.x, r.h);
        std::vector<short> y(want.size());
        int sf = r.sf;
        vokSetErrStatus(VOK_StatusBadArg);  // a failure left behind does not stop the next call
        vokwConv(r.x.data(), int(r.x.size()), r.h.data(), int(r.h.size()), y.data(), r.mode, &sf);
        EXPECT_EQ(sf, r.wantSf);
        for (std::size_t i = 0; i < y.size(); ++i)
            ASSERT_LE(std::abs(y[i] - std::clamp<long double>(std::trunc(want[i].real() / r.divisor), -32768, 32767)),
                      r.tolerance) << i;
    }
    EXPECT_REPORTS(recorder);
}

}  // namespace
