// The direct convolution kernel at every vector width: each output against a
// long-double sum with the error bound of its accumulation, edges and tails
// of every length class, and the same bits at every width.
#include <gtest/gtest.h>

#include <cmath>
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

}  // namespace
