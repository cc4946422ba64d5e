// Correlations and dot products of every type pair against long-double sums of
// the definitions, direct and by block transforms, at every kernel width; the
// 16-bit forms against their float forms brought back by each scale mode;
// every failure report in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <functional>
#include <vector>

#include "convolution/fastcorr.h"
#include "frame/test_seams.h"
#include "voktest/fft_reference.h"
#include "voktest/values.h"
#include "voktest/vector_calls.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using namespace voktest;

// An output buffer of n elements, all bytes 0x5A until written, and a guard element after them.
template <class T>
struct Guarded : std::vector<T> {
    explicit Guarded(int n) : std::vector<T>(n + 1) { std::memset(this->data(), 0x5A, (n + 1) * sizeof(T)); }
    bool kept(std::size_t from) const {
        const auto* b = reinterpret_cast<const unsigned char*>(this->data());
        return std::all_of(b + from * sizeof(T), b + this->size() * sizeof(T), [](auto c) { return c == 0x5A; });
    }
};

// Lag k summed from the definition, with the sum of the terms' magnitudes.
template <class A, class B>
std::pair<LC, long double> lagSum(const std::vector<A>& a, const std::vector<B>& b, long long k) {
    std::pair<LC, long double> s{0, 0};
    for (long long n = std::max(0LL, -k); n < (long long)a.size() && n + k < (long long)b.size(); ++n) {
        s.first += std::conj(asLC(a[n])) * asLC(b[n + k]);
        s.second += std::abs(asLC(a[n])) * std::abs(asLC(b[n + k]));
    }
    return s;
}

// The error allowed: tol of the largest |sum| (at least 1); for direct sums (rel set) also each part of each output
// within rel·|sum| + abs·Σ|terms|: one rounding of a double sum (float) or of the exact, compensated sum (double),
// exact zeros beyond the overlap.
struct Bound {
    double tol;
    long double rel = 0, abs = 0;
};
template <class T>
Bound direct(double tol, long double ulps = 1) {
    return sizeof(Real<T>) == 4 ? Bound{tol, ulps * 0.6L * 0x1p-23L, 1e-13L} : Bound{tol, ulps * 0x1p-53L, 4e-19L};
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

// Runs call(dst) at every kernel width into a guarded buffer of n: checks, guard kept, the same bits at every width.
template <class R, class Call, class Check>
void atEveryWidth(int n, Call call, Check check) {
    std::vector<R> first;
    forEachWidth([&] {
        Guarded<R> dst(n);
        call(dst.data());
        check(dst);
        if (first.empty()) first = dst;
        EXPECT_EQ(0, std::memcmp(first.data(), dst.data(), dst.size() * sizeof(R)));
    });
}

// (lenA, lenB, loLag, hiLag, kind): kind 0 direct sums, 1 the transform, 2 the
// transform with srcA the same array as srcB (at lag 0 its blocks are srcB's
// segments, at other lags or with a shorter srcA they are not). Direct sums:
// lags before, across and past the overlap, counts around the lane groups of
// every width (9 lags fill one, two or four registers depending on it). The
// transform's windows of srcB reach before, into or past srcB; without work
// arrays the direct sums take over without a report.
template <class A, class B, class R>
void checkCross(void (*f)(const A*, int, const B*, int, R*, int, int), double tol) {
    std::vector<std::array<int, 5>> cases = {
        {1, 1, 0, 0, 0},          {10, 7, -12, 12, 0},      {33, 50, -3, -1, 0},         {64, 5, 60, 80, 0},
        {3, 2, -10, -7, 0},       {16, 16, -15, 15, 0},     {37, 100, 0, 63, 0},         {64, 64, 60, 92, 0},
        {20, 10, 40, 56, 0},      {300, 200, -250, -231, 0}, {501, 433, -77, -69, 0},    {501, 433, -77, -73, 0},
        {501, 433, -77, -61, 0},  {1000, 1040, 0, 16, 0},   {100, 100, -99, 99, 1},      {2000, 1500, -40, 60, 1},
        {5000, 300, -300, 10, 1}, {700, 4000, 0, 255, 1},   {3000, 3000, 2990, 3100, 1}, {1000, 800, -1100, -850, 1},
        {1000, 800, -3000, -2800, 1}, {1500, 1200, 1100, 1400, 1}};
    if constexpr (std::is_same_v<A, B>)
        cases.insert(cases.end(), {{3000, 3000, 0, 299, 2}, {3000, 3000, -100, 199, 2}, {2993, 3000, 0, 299, 2}});
    ReportRecorder recorder;
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
        atEveryWidth<R>(n, [&](R* dst) { f(aData, lenA, b.data(), lenB, dst, lo, hi); }, [&](const Guarded<R>& dst) {
            expectNear(dst.data(), n, want, fast ? Bound{tol} : direct<R>(tol));
            EXPECT_TRUE(dst.kept(n));
        });
        if (!fast) continue;
        std::vector<R> fallback(n);
        vok::testing::failAllocationAfter(1);
        f(aData, lenA, b.data(), lenB, fallback.data(), lo, hi);
        vok::testing::failAllocationAfter(0);
        expectNear(fallback.data(), n, want, Bound{tol / 10});
    }
    EXPECT_REPORTS(recorder);
}

// Norm 0 keeps the sums, 1 divides by len, 2 by len - k (a rounding more);
// other values leave the raw sums (direct) or dst as it was (transform).
template <class T>
void checkAuto(void (*f)(const T*, int, T*, int, int), double tol) {
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
            atEveryWidth<T>(lags, [&](T* dst) { f(x.data(), len, dst, lags, norm); }, [&](const Guarded<T>& dst) {
                EXPECT_TRUE(dst.kept(fast && norm == 7 ? 0 : lags));
                if (!fast || norm != 7) expectNear(dst.data(), lags, want, fast ? Bound{tol} : direct<T>(tol, 3));
            });
        }
    }
}

template <class A, class B, class R>
void checkDot(R (*f)(const A*, const B*, int), double tol) {
    const auto a = randomVector<A>(101, 1), b = randomVector<B>(101, 2);
    const R got[2] = {f(a.data(), b.data(), 101), f(a.data(), b.data(), 0)};  // empty: zero, no report
    LC sum = 0;
    for (int i = 0; i < 101; ++i) sum += asLC(a[i]) * asLC(b[i]);
    expectNear(got, 2, [&](int i) { return std::pair{i ? LC(0) : sum, 0.0L}; }, Bound{tol});
    EXPECT_EQ(asLC(got[1]), LC(0));
}

TEST(Correlation, EveryTypePairMatchesTheDefinition) {
    ReportRecorder rec;
    checkCross(voksCrossCorr, 2e-6);
    checkCross(vokcCrossCorr, 2e-6);
    checkCross(vokscCrossCorr, 2e-6);
    checkCross(vokcsCrossCorr, 2e-6);
    checkCross(vokdCrossCorr, 1e-14);
    checkCross(vokzCrossCorr, 1e-14);
    checkCross(vokdzCrossCorr, 1e-14);
    checkCross(vokzdCrossCorr, 1e-14);
    checkAuto(voksAutoCorr, 2e-6);
    checkAuto(vokcAutoCorr, 2e-6);
    checkAuto(vokdAutoCorr, 1e-14);
    checkAuto(vokzAutoCorr, 1e-14);
    checkDot(voksDotProd, 1e-6);
    checkDot(vokcDotProd, 1e-6);
    checkDot(vokscDotProd, 1e-6);
    checkDot(vokcsDotProd, 1e-6);
    checkDot(vokdDotProd, 1e-15);
    checkDot(vokzDotProd, 1e-15);
    checkDot(vokdzDotProd, 1e-15);
    checkDot(vokzdDotProd, 1e-15);
    EXPECT_REPORTS(rec);
    // Sums held wider than the element: small terms survive, huge products cancel.
    const float big[3] = {1e8f, 1, -1e8f}, ones[3] = {1, 1, 1};
    EXPECT_EQ(voksDotProd(big, ones, 3), 1.0f);
    const double a[2] = {1e170, 1e170}, b[2] = {1e170, -1e170}, tiny[2] = {1e-170, 1e-170}, huge[2] = {1e170, 3e170};
    double d[2] = {9, 9};
    vokdCrossCorr(a, 2, b, 2, d, 0, 0), vokdCrossCorr(tiny, 2, huge, 2, d + 1, 0, 0);
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

TEST(Correlation16, TheFloatFormsBroughtBackByEachScaleMode) {
    checkCross16(vokwCrossCorr, voksCrossCorr);
    checkCross16(vokvCrossCorr, vokcCrossCorr);
    checkCross16(vokwvCrossCorr, vokscCrossCorr);
    checkCross16(vokvwCrossCorr, vokcsCrossCorr);
    checkAuto16(vokwAutoCorr, voksAutoCorr);
    checkAuto16(vokvAutoCorr, vokcAutoCorr);
}

// Dot products sum exactly, round to 32 bits (saturating) and convert by the mode.
TEST(DotProd16, ExactSumsSaturateOrScale) {
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

TEST(Correlation, FailuresReportInOrderAndWriteNothing) {
    const char *src = "Null SRC buffer pointer", *len = "Invalid SRC buffer length", *lag = "Invalid LAG value";
    const char *ptr = "Null buffer pointer", *dst = "Null DST buffer pointer";
    const auto noFactor = [](int mode) {
        return BadArg("Null scale factor pointer", {{mode, VOK_AUTO_SCALE}, {mode + 1}});
    };
    std::vector<BadArg> cross = {{0, src}, {2, src}, {4, dst}, {1, len}, {3, len}, {5, lag, 5}},
                        autoc = {{0, src}, {2, dst}, {1, len}, {3, lag, 5}, {3, lag, 0}},
                        dot = {{0, ptr}, {1, ptr}, {2, "Invalid value", -1}};
    CheckTable corr("vokcorr"), corrw("vokcorrw"), dotp("vokdotp"), dotpw("vokdotpw");
    VOK_CHECK_TABLE(corr, voksCrossCorr, cross);
    VOK_CHECK_TABLE(corr, vokdCrossCorr, cross);
    VOK_CHECK_TABLE(corr, vokcCrossCorr, cross);
    VOK_CHECK_TABLE(corr, vokzdCrossCorr, cross);
    VOK_CHECK_TABLE(corr, voksAutoCorr, autoc);
    VOK_CHECK_TABLE(corr, vokzAutoCorr, autoc);
    VOK_CHECK_TABLE(dotp, voksDotProd, dot);
    VOK_CHECK_TABLE(dotp, vokdDotProd, dot);
    VOK_CHECK_TABLE(dotp, vokcDotProd, dot);
    VOK_CHECK_TABLE(dotp, vokzdDotProd, dot);
    cross.push_back(noFactor(7));
    autoc.push_back(noFactor(5));
    dot.push_back(noFactor(3));
    VOK_CHECK_TABLE(corrw, vokwCrossCorr, cross);
    VOK_CHECK_TABLE(corrw, vokvwCrossCorr, cross);
    VOK_CHECK_TABLE(corrw, vokwAutoCorr, autoc);
    VOK_CHECK_TABLE(corrw, vokvAutoCorr, autoc);
    VOK_CHECK_TABLE(dotpw, vokwDotProd, dot);
    VOK_CHECK_TABLE(dotpw, vokvwDotProd, dot);
    const short w[4] = {1, 2, 3, 4};
    Sentinel out(16 * sizeof(short));
    short* s = out.as<short>();
    int sf = 0;
    for (int failing = 1; failing <= 3; ++failing)  // each of the float copies
        corrw.run([&] {
            vok::testing::failAllocationAfter(failing);
            vokwCrossCorr(w, 4, w, 4, s, 0, 3, VOK_AUTO_SCALE, &sf);
            vok::testing::failAllocationAfter(0);
        }, {{VOK_StatusNoMemory, "vokwCrossCorr", "Allocation failure", "vokcorrw"}});
    EXPECT_TRUE(out.untouched() && sf == 0);
}

}  // namespace
