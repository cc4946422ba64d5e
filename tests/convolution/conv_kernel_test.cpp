// The direct convolution kernel at every vector width: each output against a
// long-double sum with the error bound of its accumulation, edges and tails of
// every length class, nothing written past the end and the same bits at every
// width. (The correlation kernels are checked through the correlations.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "kernels/conv.h"
#include "voktest/values.h"
#include "voktest/widths.h"

namespace {

template <class T>
class DirectKernel : public ::testing::Test {};
using Reals = ::testing::Types<float, double>;
TYPED_TEST_SUITE(DirectKernel, Reals);

// (long, short, impulse) around the register and group sizes of every width;
// an impulse at a position of the short operand reproduces the long one
// shifted, exactly.
TYPED_TEST(DirectKernel, EveryOutputWithinTheBoundOfItsSum) {
    using T = TypeParam;
    for (auto [nL, nS, at] : std::vector<std::array<int, 3>>{
             {1, 1, -1},   {2, 1, -1},     {3, 3, -1},     {5, 2, -1},    {8, 8, -1},     {16, 7, -1},
             {17, 17, -1}, {31, 4, -1},    {33, 32, -1},   {64, 15, -1},  {100, 99, -1},  {257, 40, -1},
             {1000, 1, -1}, {1000, 100, -1}, {777, 61, -1}, {203, 19, 0}, {203, 19, 7},   {203, 19, 18}}) {
        SCOPED_TRACE(testing::Message() << nL << "x" << nS << " impulse at " << at);
        const auto lng = voktest::randomVector<T>(nL, unsigned(nL));
        auto sht = voktest::randomVector<T>(nS, unsigned(nS + 1000));
        if (at >= 0) {
            std::fill(sht.begin(), sht.end(), T(0));
            sht[at] = T(1);
        }
        const long long n = nL + nS - 1;
        std::vector<long double> want(n, 0.0L), magnitude(n, 0.0L);
        for (int i = 0; i < nL; ++i)
            for (int j = 0; j < nS; ++j) {
                want[i + j] += (long double)lng[i] * sht[j];
                magnitude[i + j] += std::fabs((long double)lng[i] * sht[j]);
            }
        // Float: one rounding of a double sum; double: the plain sum's own error; an impulse: exact.
        const long double rel = at >= 0 || sizeof(T) == 8 ? 0 : 0.6L * 0x1p-23L;
        const long double abs = at >= 0 ? 0 : sizeof(T) == 4 ? 1e-13L : nS * 0x1p-53L;
        std::vector<T> first;
        voktest::forEachWidth([&] {
            std::vector<T> y(n + 3, T(7));
            vok::kernels::convOps<T>().direct(lng.data(), nL, sht.data(), nS, y.data());
            for (long long i = 0; i < n; ++i)
                ASSERT_LE(std::fabs((long double)y[i] - want[i]), rel * std::fabs(want[i]) + abs * magnitude[i]) << i;
            for (long long i = n; i < n + 3; ++i) EXPECT_EQ(y[i], T(7)) << "past the end";
            if (first.empty()) first = y;
            EXPECT_EQ(0, std::memcmp(first.data(), y.data(), y.size() * sizeof(T)));
        });
    }
}

}  // namespace
