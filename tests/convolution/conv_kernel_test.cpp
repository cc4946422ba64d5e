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
#include "support/widths.h"

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

// (long, short) pairs around the register and group sizes of every width.
const std::vector<std::pair<int, int>> kLengths = {{1, 1},  {2, 1},  {3, 3},   {5, 2},   {8, 8},    {16, 7},
                                                   {17, 17}, {31, 4}, {33, 32}, {64, 15}, {100, 99}, {257, 40},
                                                   {1000, 1}, {1000, 100}};

TYPED_TEST(DirectKernel, EveryOutputWithinTheBoundOfItsSum) {
    using T = TypeParam;
    for (auto [nL, nS] : kLengths) {
        const auto lng = noise<T>(nL, unsigned(nL)), sht = noise<T>(nS, unsigned(nS + 1000));
        const long long n = nL + nS - 1;
        std::vector<long double> want(n, 0.0L), magnitude(n, 0.0L);
        for (int i = 0; i < nL; ++i)
            for (int j = 0; j < nS; ++j) {
                want[i + j] += (long double)lng[i] * sht[j];
                magnitude[i + j] += std::fabs((long double)lng[i] * sht[j]);
            }
        voktest::forEachWidth([&] {
            SCOPED_TRACE(testing::Message() << nL << "x" << nS);
            std::vector<T> y(n + 3, T(7));
            vok::kernels::convOps<T>().direct(lng.data(), nL, sht.data(), nS, y.data());
            for (long long i = 0; i < n; ++i) {
                // float: one rounding of a double sum; double: the sum's own error.
                const long double bound =
                    sizeof(T) == 4 ? 0.5L * std::ldexp(1.0L, std::ilogb(float(want[i])) - 23) + 1e-13L * magnitude[i]
                                   : (long double)nS * std::ldexp(1.0L, -53) * magnitude[i];
                ASSERT_LE(std::fabs((long double)y[i] - want[i]), bound) << i;
            }
            for (long long i = n; i < n + 3; ++i) EXPECT_EQ(y[i], T(7)) << "past the end";
        });
    }
}

TYPED_TEST(DirectKernel, SameBitsAtEveryWidth) {
    using T = TypeParam;
    const int nL = 777, nS = 61;
    const auto lng = noise<T>(nL, 5), sht = noise<T>(nS, 6);
    std::vector<T> first;
    voktest::forEachWidth([&] {
        std::vector<T> y(nL + nS - 1);
        vok::kernels::convOps<T>().direct(lng.data(), nL, sht.data(), nS, y.data());
        if (first.empty()) first = y;
        else EXPECT_EQ(0, std::memcmp(first.data(), y.data(), y.size() * sizeof(T)));
    });
}

// An impulse in either operand reproduces the other exactly, shifted.
TYPED_TEST(DirectKernel, ImpulseShiftsTheOtherOperand) {
    using T = TypeParam;
    const int nL = 203, nS = 19;
    const auto lng = noise<T>(nL, 9);
    voktest::forEachWidth([&] {
        for (int at : {0, 7, nS - 1}) {
            std::vector<T> sht(nS, T(0)), y(nL + nS - 1);
            sht[at] = T(1);
            vok::kernels::convOps<T>().direct(lng.data(), nL, sht.data(), nS, y.data());
            for (int i = 0; i < nL + nS - 1; ++i) ASSERT_EQ(y[i], i >= at && i - at < nL ? lng[i - at] : T(0)) << at;
        }
    });
}

// ---- correlation over lags ----

// The float kernels: real·real, conj(complex)·complex, real·complex, conj(complex)·real.
struct LagsCase {
    const char* name;
    int aw, bw;  // floats per element
    int rw() const { return aw > bw ? aw : bw; }  // complex when either operand is
    vok::kernels::CorrLagsKernel (*kernel)();
};
const LagsCase kLagsKernels[] = {{"real", 1, 1, [] { return vok::kernels::corrOps().real; }},
                                 {"complex", 2, 2, [] { return vok::kernels::corrOps().complex; }},
                                 {"realByComplex", 1, 2, [] { return vok::kernels::corrOps().realByComplex; }},
                                 {"complexByReal", 2, 1, [] { return vok::kernels::corrOps().complexByReal; }}};

using LC = std::complex<long double>;
LC element(const std::vector<float>& v, int w, long long i) { return w == 2 ? LC(v[2 * i], v[2 * i + 1]) : LC(v[i], 0); }

// (lenA, lenB, first lag, lag count): lags before, across and past the
// overlap, counts around the lane groups of every width.
const std::vector<std::array<int, 4>> kLagCases = {{1, 1, 0, 1},     {5, 3, -7, 15},   {16, 16, -15, 31},
                                                   {37, 100, 0, 64}, {100, 37, -40, 9}, {64, 64, 60, 33},
                                                   {300, 200, -250, 70}, {20, 10, 40, 17}, {1000, 1040, 0, 41}};

TEST(CorrelationLagsKernel, EveryLagWithinTheBoundOfItsSum) {
    for (const LagsCase& c : kLagsKernels) {
        for (auto [lenA, lenB, first, count] : kLagCases) {
            SCOPED_TRACE(testing::Message() << c.name << " " << lenA << " " << lenB << " " << first << "+" << count);
            const auto a = noise<float>(c.aw * lenA, unsigned(lenA)), b = noise<float>(c.bw * lenB, unsigned(lenB + 9));
            std::vector<LC> want(count);
            std::vector<long double> magnitude(count);
            for (int i = 0; i < count; ++i)
                for (long long n = 0; n < lenA; ++n)
                    if (const long long at = n + first + i; at >= 0 && at < lenB) {
                        const LC term = std::conj(element(a, c.aw, n)) * element(b, c.bw, at);
                        want[i] += term;
                        magnitude[i] += std::abs(term);
                    }
            voktest::forEachWidth([&] {
                std::vector<float> r(c.rw() * (count + 2), 7.0f);
                c.kernel()(a.data(), lenA, b.data(), lenB, r.data(), first, count);
                for (int i = 0; i < count; ++i) {
                    const LC got = element(r, c.rw(), i);
                    const long double bound = 0.6L * std::ldexp(1.0L, -23) * std::abs(want[i]) + 1e-13L * magnitude[i];
                    ASSERT_LE(std::abs(got.real() - want[i].real()), bound) << i;
                    ASSERT_LE(std::abs(got.imag() - want[i].imag()), bound) << i;
                }
                for (std::size_t i = c.rw() * count; i < r.size(); ++i) EXPECT_EQ(r[i], 7.0f) << "past the end";
            });
        }
    }
}

TEST(CorrelationLagsKernel, SameBitsAtEveryWidth) {
    // 9 lags fill one, two or four registers depending on the width.
    for (const LagsCase& c : kLagsKernels)
        for (int count : {9, 123}) {
            SCOPED_TRACE(testing::Message() << c.name << " " << count);
            const int lenA = 501, lenB = 433, first = -77;
            const auto a = noise<float>(c.aw * lenA, 3), b = noise<float>(c.bw * lenB, 4);
            std::vector<float> reference;
            voktest::forEachWidth([&] {
                std::vector<float> r(c.rw() * count);
                c.kernel()(a.data(), lenA, b.data(), lenB, r.data(), first, count);
                if (reference.empty()) reference = r;
                else EXPECT_EQ(0, std::memcmp(reference.data(), r.data(), r.size() * sizeof(float)));
            });
        }
}

// The compensated double kernels: within about one rounding of the exact sum.
struct DoubleLagsCase {
    const char* name;
    int aw, bw;
    vok::kernels::CorrLagsDoubleKernel (*kernel)();
};
const DoubleLagsCase kDoubleLagsKernels[] = {
    {"real", 1, 1, [] { return vok::kernels::corrOps().realDouble; }},
    {"complex", 2, 2, [] { return vok::kernels::corrOps().complexDouble; }},
    {"realByComplex", 1, 2, [] { return vok::kernels::corrOps().realByComplexDouble; }}};

LC element(const std::vector<double>& v, int w, long long i) { return w == 2 ? LC(v[2 * i], v[2 * i + 1]) : LC(v[i], 0); }

TEST(CorrelationLagsKernel, DoubleLagsWithinOneRoundingOfTheExactSum) {
    for (const DoubleLagsCase& c : kDoubleLagsKernels) {
        for (auto [lenA, lenB, first, count] : kLagCases) {
            SCOPED_TRACE(testing::Message() << c.name << " " << lenA << " " << lenB << " " << first << "+" << count);
            const auto a = noise<double>(c.aw * lenA, unsigned(lenA + 3)), b = noise<double>(c.bw * lenB, unsigned(lenB + 4));
            std::vector<LC> want(count);
            std::vector<long double> magnitude(count);
            for (int i = 0; i < count; ++i)
                for (long long n = 0; n < lenA; ++n)
                    if (const long long at = n + first + i; at >= 0 && at < lenB) {
                        const LC x = element(a, c.aw, n), y = element(b, c.bw, at);
                        want[i] += std::conj(x) * y;
                        magnitude[i] += std::abs(x) * std::abs(y);
                    }
            voktest::forEachWidth([&] {
                std::vector<double> r(c.bw * (count + 2), 7.0);
                c.kernel()(a.data(), lenA, b.data(), lenB, r.data(), first, count);
                for (int i = 0; i < count; ++i) {
                    // One rounding to double, the long-double reference's own error, nothing more.
                    const LC got = element(r, c.bw, i);
                    const long double bound = std::ldexp(1.0L, -53) * std::abs(want[i]) + 4e-19L * magnitude[i];
                    ASSERT_LE(std::fabs(got.real() - want[i].real()), bound) << i;
                    ASSERT_LE(std::fabs(got.imag() - want[i].imag()), bound) << i;
                }
                for (std::size_t i = c.bw * count; i < r.size(); ++i) EXPECT_EQ(r[i], 7.0) << "past the end";
            });
        }
    }
}

TEST(CorrelationLagsKernel, DoubleSameBitsAtEveryWidth) {
    for (const DoubleLagsCase& c : kDoubleLagsKernels)
        for (int count : {5, 123}) {
            SCOPED_TRACE(testing::Message() << c.name << " " << count);
            const int lenA = 501, lenB = 433, first = -77;
            const auto a = noise<double>(c.aw * lenA, 13), b = noise<double>(c.bw * lenB, 14);
            std::vector<double> reference;
            voktest::forEachWidth([&] {
                std::vector<double> r(c.bw * count);
                c.kernel()(a.data(), lenA, b.data(), lenB, r.data(), first, count);
                if (reference.empty()) reference = r;
                else EXPECT_EQ(0, std::memcmp(reference.data(), r.data(), r.size() * sizeof(double)));
            });
        }
}

}  // namespace
