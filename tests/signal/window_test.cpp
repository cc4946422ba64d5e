// Windows: every element type against the window formulas evaluated in long double (I0 by its power series), zero
// weights exact, 16-bit rounding, and the failure reports of all 42 entry points.
#include <gtest/gtest.h>

#include <array>
#include <cfenv>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "voktest/reports.h"
#include "voktest/vector_calls.h"
#include "vok.h"

namespace {

using L = long double;
constexpr L kPi = 3.141592653589793238462643383279503L;
enum Window { kBartlett, kHann, kHamming, kBlackman, kBlackmanStd, kBlackmanOpt, kKaiser };
const char* const kNames[] = {"Bartlett", "Hann", "Hamming", "Blackman", "BlackmanStd", "BlackmanOpt", "Kaiser"};

// One element type's seven windows, indexed by Window, all called with the parameter.
template <class T, class P>
using WindowSet = std::array<void (*)(T*, int, P), 7>;
template <auto F, class T, class P>
void withParam(T* vec, int n, P p) {
    if constexpr (std::is_invocable_v<decltype(F), T*, int, P>) F(vec, n, p);
    else F(vec, n);
}
template <class T, class P, auto... F>
WindowSet<T, P> windowSet() { return {withParam<F, T, P>...}; }
#define VOK_WINDOWS(l) \
    vok##l##WinBartlett, vok##l##WinHann, vok##l##WinHamming, vok##l##WinBlackman, vok##l##WinBlackmanStd, \
        vok##l##WinBlackmanOpt

L besselI0(L x) {
    L term = 1, sum = 1;
    for (int k = 1; k < x || term > sum * 1e-22L; ++k) sum += term *= (x / (2 * k)) * (x / (2 * k));
    return sum;
}

// w[k] of window w at length n; P rounds the fixed Blackman parameters as the type's form does.
template <class P>
L weight(int w, int n, int k, L alpha) {
    k = std::min(k, n - 1 - k);  // applied in pairs
    const L m = n - 1, c1 = std::cos(2 * kPi * k / m), c2 = std::cos(4 * kPi * k / m);
    if (w == kBlackmanStd) alpha = P(-0.16);
    if (w == kBlackmanOpt) alpha = P(-(0.5L / std::cos(kPi / m)) * (0.5L / std::cos(kPi / m)));
    if (w >= kBlackman && w <= kBlackmanOpt && k == 0) return 0;  // exact for every α
    switch (w) {
    case kBartlett: return k <= m / 2 ? 2 * k / m : 2 - 2 * k / m;
    case kHann: return 0.5L - 0.5L * c1;
    case kHamming: return 0.54L - 0.46L * c1;
    case kKaiser: return besselI0(alpha * std::sqrt(L(k) * (m - k))) / besselI0(alpha * m / 2);
    default: return (alpha + 1) / 2 - 0.5L * c1 - alpha / 2 * c2;
    }
}

template <class T, class P>
void compareWithFormulas(char letter, const WindowSet<T, P>& set) {
    constexpr bool integer = std::is_same_v<T, short> || std::is_same_v<T, ShortComplex>;
    constexpr int nParts = std::is_arithmetic_v<T> ? 1 : 2;
    using Part = std::conditional_t<integer, short, P>;  // a complex element is two parts in a row
    std::mt19937 gen(31);
    std::uniform_real_distribution<double> dist(-30000, 30000);
    for (int n : {3, 4, 5, 8, 33, 64, 101, 256})
        for (int w = kBartlett; w <= kKaiser; ++w)
            for (double param : w == kBlackman ? std::vector<double>{-0.3, 0.25, 1.0}
                                : w == kKaiser ? std::vector<double>{0, 0.05, -0.2, 1.5} : std::vector<double>{0}) {
                SCOPED_TRACE(testing::Message() << letter << " " << kNames[w] << " n=" << n << " " << param);
                std::vector<T> x(n);
                auto* xp = reinterpret_cast<Part*>(x.data());
                for (int i = 0; i < n * nParts; ++i) xp[i] = Part(integer ? std::nearbyint(dist(gen)) : dist(gen));
                std::vector<T> y = x;
                const auto* yp = reinterpret_cast<const Part*>(y.data());
                set[w](y.data(), n, P(param));
                // Kaiser's I0 approximations are good to about 2e-7; float forms round their parameter.
                const double rel = std::max(w == kKaiser ? 1e-6 : 1e-13, sizeof(P) == 4 ? 3e-7 : 0.0);
                for (int k = 0; k < n; ++k)
                    for (int i = 0; i < nParts; ++i) {
                        const double in = xp[k * nParts + i], got = yp[k * nParts + i];
                        if (n % 2 == 1 && k == n / 2) {
                            ASSERT_EQ(got, in) << "middle element changed";
                            continue;
                        }
                        const L wt = weight<P>(w, n, k, L(P(param)));
                        if (wt == 0 && k == 0) ASSERT_EQ(got, 0.0) << "first pair";
                        double want = double(in * wt);
                        // Weights above 1 (Blackman with α > 0) wrap 16-bit products around.
                        if (integer) want -= 65536.0 * std::round((want - got) / 65536.0);
                        const double tol =
                            std::fabs(in) * rel + (integer ? 0.5 : sizeof(P) == 4 ? 6e-8 * std::fabs(want) : 0);
                        ASSERT_NEAR(got, want, tol) << "k=" << k;
                    }
            }
}

TEST(Windows, EveryTypeMatchesTheFormulas) {
    compareWithFormulas('s', windowSet<float, float, VOK_WINDOWS(s), voksWinKaiser>());
    compareWithFormulas('d', windowSet<double, double, VOK_WINDOWS(d), vokdWinKaiser>());
    compareWithFormulas('c', windowSet<FloatComplex, float, VOK_WINDOWS(c), vokcWinKaiser>());
    compareWithFormulas('z', windowSet<DoubleComplex, double, VOK_WINDOWS(z), vokzWinKaiser>());
    compareWithFormulas('w', windowSet<short, float, VOK_WINDOWS(w), vokwWinKaiser>());
    compareWithFormulas('v', windowSet<ShortComplex, float, VOK_WINDOWS(v), vokvWinKaiser>());
}

// The pointer first, then the length (below 3), then Kaiser's parameter (α·(n − 1)/2 above 308).
TEST(Windows, FailuresAreReportedInOrderAndWriteNothing) {
    const std::vector<voktest::BadArg> win = {{0, "Null pointer to buffer"}, {1, "Bad number of items", 2}},
                                       kaiser = {win[0], win[1], {2, "Huge window parameter", 1000}};
    voktest::CheckTable f("vokwin"), w("vokwinw");
    VOK_CHECK_EACH(f, win, VOK_WINDOWS(s), VOK_WINDOWS(d), VOK_WINDOWS(c), VOK_WINDOWS(z));
    VOK_CHECK_EACH(f, kaiser, voksWinKaiser, vokdWinKaiser, vokcWinKaiser, vokzWinKaiser);
    VOK_CHECK_EACH(w, win, VOK_WINDOWS(w), VOK_WINDOWS(v));
    VOK_CHECK_EACH(w, kaiser, vokwWinKaiser, vokvWinKaiser);
    // α·(n − 1)/2 may reach 308, whatever its sign, but not pass it: 6.2·100/2 = 310.
    const voktest::BadArg huge{2, "Huge window parameter", 6.2};
    VOK_CHECK_TABLE(f, vokdWinKaiser, {huge}, {f.buffer<double>(), 101, 0.0});
    VOK_CHECK_TABLE(w, vokwWinKaiser, {huge}, {w.buffer<short>(), 101, 0.0f});
    std::vector<double> a(101, 1.0);
    f.run([&] {
        vokdWinKaiser(a.data(), 101, -6.1);
        vokdWinKaiser(a.data(), 5, 154.0);
    }, {});
    EXPECT_NE(a[0], 1.0);
}

// Products round by their own rule whatever rounding mode the caller has set.
TEST(Windows, SixteenBitProductsRoundToNearestEven) {
    for (int rounding : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(rounding);
        // Bartlett of length 5 has weights 0, 0.5, 1, 0.5, 0: every odd product is a tie.
        std::vector<short> w = {32767, 32767, 32767, 32765, -32767}, h(4, 32767);
        vokwWinBartlett(w.data(), 5);
        vokwWinHann(h.data(), 4);  // weights a sliver below 0.75
        std::vector<ShortComplex> v = {{3, -3}, {5, -5}, {7, 7}, {9, 1}, {1, 3}};
        vokvWinBartlett(v.data(), 5);
        std::fesetround(FE_TONEAREST);
        EXPECT_EQ(w, (std::vector<short>{0, 16384, 32767, 16382, 0})) << rounding;
        EXPECT_EQ(h, (std::vector<short>{0, 24575, 24575, 0})) << rounding;
        EXPECT_TRUE(v[1].re == 2 && v[1].im == -2 && v[3].re == 4 && v[3].im == 0) << rounding;
    }
    // Hann's weights come from a rounded cos(π/2): just below 0.5, so no tie.
    std::vector<short> w(5, 32767);
    vokwWinHann(w.data(), 5);
    EXPECT_EQ(w, (std::vector<short>{0, 16383, 32767, 16383, 0}));
}

}  // namespace
