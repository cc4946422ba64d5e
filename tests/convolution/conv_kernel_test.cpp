// The direct convolution and correlation kernels at every vector width: each
// output against a long-double sum with the error bound of its accumulation,
// edges and tails of every length class, and the same bits at every width.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <vector>

#include "kernels/conv.h"
#include "voktest/widths.h"

namespace {

template <class T>
std::vector<T> noise(long long n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1, 1);
    std::vector<T> v(n);
    for (auto& x : v) x = T(dist(gen));
    return v;
}

template <class T>
class DirectKernel : public ::testing::Test {};
using Reals = ::testing::Types<float, double>;
TYPED_TEST_SUITE(DirectKernel, Reals);

// (long, short) pairs around the register and group sizes of every width: each
// output within the bound of its sum (float: one rounding of a double sum;
// double: the sum's own error), the same bits at every width, a guard after
// the end; an impulse in the short operand reproduces the long one, shifted.
TYPED_TEST(DirectKernel, EveryOutputWithinTheBoundOfItsSum) {
    using T = TypeParam;
    for (auto [nL, nS] : {std::pair{1, 1}, {2, 1}, {3, 3}, {5, 2}, {8, 8}, {16, 7}, {17, 17}, {31, 4}, {33, 32},
                          {64, 15}, {100, 99}, {257, 40}, {1000, 1}, {1000, 100}, {777, 61}, {203, -19}}) {
        SCOPED_TRACE(testing::Message() << nL << "x" << nS);
        const bool impulse = nS < 0;
        nS = std::abs(nS);
        const auto lng = noise<T>(nL, unsigned(nL)), sht = noise<T>(nS, unsigned(nS + 1000));
        const long long n = nL + nS - 1;
        std::vector<long double> want(n, 0.0L), magnitude(n, 0.0L);
        for (int i = 0; i < nL; ++i)
            for (int j = 0; j < nS; ++j) {
                want[i + j] += (long double)lng[i] * sht[j];
                magnitude[i + j] += std::fabs((long double)lng[i] * sht[j]);
            }
        std::vector<T> first;
        voktest::forEachWidth([&] {
            std::vector<T> y(n + 3, T(7));
            vok::kernels::convOps<T>().direct(lng.data(), nL, sht.data(), nS, y.data());
            for (long long i = 0; i < n; ++i) {
                const long double bound =
                    sizeof(T) == 4 ? 0.5L * std::ldexp(1.0L, std::ilogb(float(want[i])) - 23) + 1e-13L * magnitude[i]
                                   : (long double)nS * std::ldexp(1.0L, -53) * magnitude[i];
                ASSERT_LE(std::fabs((long double)y[i] - want[i]), bound) << i;
            }
            for (long long i = n; i < n + 3; ++i) EXPECT_EQ(y[i], T(7)) << "past the end";
            if (first.empty()) first = y;
            EXPECT_EQ(0, std::memcmp(first.data(), y.data(), y.size() * sizeof(T)));
            for (int at : impulse ? std::vector{0, 7, nS - 1} : std::vector<int>{}) {
                std::vector<T> unit(nS, T(0));
                unit[at] = T(1);
                vok::kernels::convOps<T>().direct(lng.data(), nL, unit.data(), nS, y.data());
                for (int i = 0; i < n; ++i) ASSERT_EQ(y[i], i >= at && i - at < nL ? lng[i - at] : T(0)) << at;
            }
        });
    }
}

// ---- correlation over lags ----

// The float kernels: real·real, conj(complex)·complex, real·complex,
// conj(complex)·real; the compensated double kernels the first three.
template <class T>
struct LagsCase {
    const char* name;
    int aw, bw;  // reals per element
    int rw() const { return aw > bw ? aw : bw; }  // complex when either operand is
    void (*(*kernel)())(const T*, long long, const T*, long long, T*, long long, long long);
};
const LagsCase<float> kFloatLags[] = {{"real", 1, 1, [] { return vok::kernels::corrOps().real; }},
                                      {"complex", 2, 2, [] { return vok::kernels::corrOps().complex; }},
                                      {"realByComplex", 1, 2, [] { return vok::kernels::corrOps().realByComplex; }},
                                      {"complexByReal", 2, 1, [] { return vok::kernels::corrOps().complexByReal; }}};
const LagsCase<double> kDoubleLags[] = {
    {"real", 1, 1, [] { return vok::kernels::corrOps().realDouble; }},
    {"complex", 2, 2, [] { return vok::kernels::corrOps().complexDouble; }},
    {"realByComplex", 1, 2, [] { return vok::kernels::corrOps().realByComplexDouble; }}};

using LC = std::complex<long double>;
template <class T>
LC element(const std::vector<T>& v, int w, long long i) { return w == 2 ? LC(v[2 * i], v[2 * i + 1]) : LC(v[i], 0); }

// (lenA, lenB, first lag, lag count): lags before, across and past the
// overlap, counts around the lane groups of every width (9 lags fill one,
// two or four registers depending on it).
const std::vector<std::array<int, 4>> kLagCases = {{1, 1, 0, 1},     {5, 3, -7, 15},   {16, 16, -15, 31},
                                                   {37, 100, 0, 64}, {100, 37, -40, 9}, {64, 64, 60, 33},
                                                   {300, 200, -250, 70}, {20, 10, 40, 17}, {1000, 1040, 0, 41},
                                                   {501, 433, -77, 9}, {501, 433, -77, 123}, {501, 433, -77, 5}};

// Float lags within one rounding of a double sum; double lags within one
// rounding of the exact sum (plus the long-double reference's own error).
// Every width gives the same bits.
template <class T, std::size_t K>
void checkLags(const LagsCase<T> (&kernels)[K], long double relative, long double absolute) {
    for (const LagsCase<T>& c : kernels) {
        for (auto [lenA, lenB, first, count] : kLagCases) {
            SCOPED_TRACE(testing::Message() << c.name << " " << lenA << " " << lenB << " " << first << "+" << count);
            const auto a = noise<T>(c.aw * lenA, unsigned(lenA)), b = noise<T>(c.bw * lenB, unsigned(lenB + 9));
            std::vector<LC> want(count);
            std::vector<long double> magnitude(count);
            for (int i = 0; i < count; ++i)
                for (long long n = 0; n < lenA; ++n)
                    if (const long long at = n + first + i; at >= 0 && at < lenB) {
                        const LC x = element(a, c.aw, n), y = element(b, c.bw, at);
                        want[i] += std::conj(x) * y;
                        magnitude[i] += std::abs(x) * std::abs(y);
                    }
            std::vector<T> firstWidth;
            voktest::forEachWidth([&] {
                std::vector<T> r(c.rw() * (count + 2), T(7));
                c.kernel()(a.data(), lenA, b.data(), lenB, r.data(), first, count);
                for (int i = 0; i < count; ++i) {
                    const LC got = element(r, c.rw(), i);
                    const long double bound = relative * std::abs(want[i]) + absolute * magnitude[i];
                    ASSERT_LE(std::fabs(got.real() - want[i].real()), bound) << i;
                    ASSERT_LE(std::fabs(got.imag() - want[i].imag()), bound) << i;
                }
                for (std::size_t i = c.rw() * count; i < r.size(); ++i) EXPECT_EQ(r[i], T(7)) << "past the end";
                if (firstWidth.empty()) firstWidth = r;
                else EXPECT_EQ(0, std::memcmp(firstWidth.data(), r.data(), r.size() * sizeof(T)));
            });
        }
    }
}

TEST(CorrelationLagsKernel, LagsWithinTheBoundOfTheirSumsAtEveryWidth) {
    checkLags(kFloatLags, 0.6L * std::ldexp(1.0L, -23), 1e-13L);
    checkLags(kDoubleLags, std::ldexp(1.0L, -53), 4e-19L);
}

}  // namespace
