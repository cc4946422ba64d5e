// The direct convolution and correlation kernels at every vector width: each
// output against a long-double sum with the error bound of its accumulation,
// edges and tails of every length class, nothing written past the end and the
// same bits at every width. A convolution is the correlation with the short
// operand reversed, so one harness serves both.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "kernels/conv.h"
#include "voktest/values.h"
#include "voktest/widths.h"

namespace {

using voktest::LC;

template <class T>
LC element(const std::vector<T>& v, int w, long long i) { return w == 2 ? LC(v[2 * i], v[2 * i + 1]) : LC(v[i], 0); }

// r[i] = Σ conj(a[n])·b[n + first + i] for count lags of interleaved data (w reals an element): each part of
// every output within rel·|r[i]| + abs·Σ|terms|, two guard elements kept, the same bits at every width.
template <class T>
void checkAtEveryWidth(const std::vector<T>& a, int aw, const std::vector<T>& b, int bw, long long first, int count,
                       long double rel, long double abs, const std::function<void(T*)>& run) {
    const int rw = std::max(aw, bw);
    const long long lenA = (long long)a.size() / aw, lenB = (long long)b.size() / bw;
    std::vector<LC> want(count);
    std::vector<long double> magnitude(count);
    for (int i = 0; i < count; ++i)
        for (long long n = 0; n < lenA; ++n)
            if (const long long at = n + first + i; at >= 0 && at < lenB) {
                want[i] += std::conj(element(a, aw, n)) * element(b, bw, at);
                magnitude[i] += std::abs(element(a, aw, n)) * std::abs(element(b, bw, at));
            }
    std::vector<T> firstWidth;
    voktest::forEachWidth([&] {
        std::vector<T> r(rw * (count + 2), T(7));
        run(r.data());
        for (int i = 0; i < count; ++i) {
            const LC got = element(r, rw, i);
            const long double bound = rel * std::abs(want[i]) + abs * magnitude[i];
            ASSERT_LE(std::fabs(got.real() - want[i].real()), bound) << i;
            ASSERT_LE(std::fabs(got.imag() - want[i].imag()), bound) << i;
        }
        for (std::size_t i = rw * count; i < r.size(); ++i) EXPECT_EQ(r[i], T(7)) << "past the end";
        if (firstWidth.empty()) firstWidth = r;
        else EXPECT_EQ(0, std::memcmp(firstWidth.data(), r.data(), r.size() * sizeof(T)));
    });
}

// Float sums: one rounding of a double sum; double convolution: the plain sum's
// own error; double lags: one rounding of the exact (compensated) sum.
template <class T>
constexpr long double kRel = sizeof(T) == 4 ? 0.6L / (1 << 23) : 0x1p-53L;

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
        const std::vector<T> reversed(sht.rbegin(), sht.rend());
        const long double rel = at >= 0 || sizeof(T) == 8 ? 0 : kRel<T>;
        const long double abs = at >= 0 ? 0 : sizeof(T) == 4 ? 1e-13L : nS * 0x1p-53L;
        checkAtEveryWidth<T>(reversed, 1, lng, 1, 1 - nS, nL + nS - 1, rel, abs, [&](T* y) {
            vok::kernels::convOps<T>().direct(lng.data(), nL, sht.data(), nS, y);
        });
    }
}

// The float lag kernels: real·real, conj(complex)·complex, real·complex,
// conj(complex)·real; the compensated double kernels the first three.
template <class T>
struct LagsCase {
    const char* name;
    int aw, bw;  // reals per element
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

// (lenA, lenB, first lag, lag count): lags before, across and past the
// overlap, counts around the lane groups of every width (9 lags fill one,
// two or four registers depending on it).
template <class T, std::size_t K>
void checkLags(const LagsCase<T> (&kernels)[K], long double abs) {
    for (const LagsCase<T>& c : kernels)
        for (auto [lenA, lenB, first, count] : std::vector<std::array<int, 4>>{
                 {1, 1, 0, 1},       {5, 3, -7, 15},     {16, 16, -15, 31},   {37, 100, 0, 64},
                 {100, 37, -40, 9},  {64, 64, 60, 33},   {300, 200, -250, 70}, {20, 10, 40, 17},
                 {1000, 1040, 0, 41}, {501, 433, -77, 9}, {501, 433, -77, 123}, {501, 433, -77, 5}}) {
            SCOPED_TRACE(testing::Message() << c.name << " " << lenA << " " << lenB << " " << first << "+" << count);
            const auto a = voktest::randomVector<T>(c.aw * lenA, unsigned(lenA));
            const auto b = voktest::randomVector<T>(c.bw * lenB, unsigned(lenB + 9));
            checkAtEveryWidth<T>(a, c.aw, b, c.bw, first, count, kRel<T>, abs,
                                 [&](T* r) { c.kernel()(a.data(), lenA, b.data(), lenB, r, first, count); });
        }
}

TEST(CorrelationLagsKernel, LagsWithinTheBoundOfTheirSumsAtEveryWidth) {
    checkLags(kFloatLags, 1e-13L);
    checkLags(kDoubleLags, 4e-19L);
}

}  // namespace
