// The wavelet row-sum kernels at every width: deinterleaving, the decimating
// sums and the interleaved two-phase sums against long-double direct sums,
// the same bits at every width, and no write beyond the last output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "kernels/wavelet.h"
#include "voktest/widths.h"

namespace {

using vok::kernels::WaveletRun;
using vok::kernels::waveletOps;

// Sizes around every block boundary of every width (1, 2, 4 and 8 double
// lanes, blocks of four registers), up to a few full blocks.
std::vector<long> sizes() {
    std::vector<long> s;
    for (long n = 0; n <= 70; ++n) s.push_back(n);
    for (long n : {127L, 128L, 129L, 255L, 1000L}) s.push_back(n);
    return s;
}

// Two runs of the given lengths, each over a row of its own sized exactly for
// n sums (so that the sanitizer build sees any read beyond it), taps stored at
// stride 2 with the slots in between poisoned.
template <class T>
struct RunPair {
    std::vector<T> rows[2], taps[2];
    WaveletRun<T> runs[2];
    RunPair(long n, int countA, int countB, std::mt19937& gen) {
        std::uniform_real_distribution<double> dist(-1, 1);
        const int counts[2] = {countA, countB};
        for (int r = 0; r < 2; ++r) {
            const int c = counts[r];
            rows[r].resize(size_t(std::max(0L, n + c - 1)));
            for (auto& v : rows[r]) v = T(dist(gen));
            taps[r].assign(size_t(2 * c + 1), T(1e30));
            for (int q = 0; q < c; ++q) taps[r][size_t(2 * q)] = T(dist(gen));
            // row[i - q] for q < c and i < n stays within the row.
            runs[r] = {rows[r].data() + (c > 0 ? c - 1 : 0), taps[r].data(), c};
        }
    }
    long double at(long i) const {
        long double sum = 0;
        for (const auto& run : runs)
            for (int q = 0; q < run.count; ++q) sum += (long double)run.taps[2 * q] * run.row[i - q];
        return sum;
    }
};

template <class T>
double bound() {
    return std::is_same_v<T, float> ? 1e-6 : 1e-14;  // sums of up to 24 products of magnitude <= 1
}

template <class T>
class WaveletKernel : public ::testing::Test {};
using RealTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(WaveletKernel, RealTypes);

// The decimating sums (one output row) and the two-phase sums (even and odd
// outputs interleaved) against direct sums, and the split into even and odd
// samples: the same bits at every width and nothing written past the last output.
TYPED_TEST(WaveletKernel, SumsAndSplitMatchDirectSumsAtEveryWidth) {
    using T = TypeParam;
    std::mt19937 gen(3);
    for (long n : sizes()) {
        voktest::forEachWidth([n] {
            std::vector<T> src(size_t(2 * n)), even(size_t(n + 1), T(-7)), odd(size_t(n + 1), T(-7));
            for (size_t i = 0; i < src.size(); ++i) src[i] = T(i) * T(0.5) + T(1);
            waveletOps<T>().deinterleave(src.data(), even.data(), odd.data(), n);
            for (long i = 0; i <= n; ++i) {
                ASSERT_EQ(even[size_t(i)], i < n ? src[size_t(2 * i)] : T(-7)) << n << " " << i;
                ASSERT_EQ(odd[size_t(i)], i < n ? src[size_t(2 * i + 1)] : T(-7)) << n << " " << i;
            }
        });
        for (auto [a, b] : {std::pair{1, 1}, {4, 4}, {5, 4}, {15, 15}, {0, 3}, {12, 1}, {3, 2}, {15, 12}}) {
            SCOPED_TRACE(testing::Message() << "n " << n << " counts " << a << "," << b);
            const RunPair<T> even(n, a, b, gen), odd(n, b, a, gen);
            for (int phases : {1, 2}) {
                std::vector<T> first;
                voktest::forEachWidth([&] {
                    std::vector<T> dst(size_t(phases * n + 3), T(-5));
                    if (phases == 1) waveletOps<T>().decimate(even.runs, dst.data(), n);
                    else waveletOps<T>().interpolate(even.runs, odd.runs, dst.data(), n);
                    for (long i = 0; i < phases * n; ++i) {
                        const auto& pair = i % phases ? odd : even;
                        ASSERT_NEAR(double(dst[size_t(i)]), double(pair.at(i / phases)), bound<T>()) << i;
                    }
                    for (long i = phases * n; i < phases * n + 3; ++i) EXPECT_EQ(dst[size_t(i)], T(-5)) << "past the end";
                    if (first.empty()) first = dst;
                    EXPECT_EQ(std::memcmp(first.data(), dst.data(), dst.size() * sizeof(T)), 0) << "width-dependent";
                });
            }
        }
    }
}

// Float data is summed in double and rounded once: a sum whose float partial
// sums would lose the small term keeps it.
TEST(WaveletKernel, FloatSumsAreRoundedOnce) {
    const float big = 16777216.0f;  // 2^24: big + 1 is not a float
    const float rowA[1] = {big}, rowB[2] = {1.0f, 1.0f};
    const float tapsA[1] = {1.0f}, tapsB[3] = {1.0f, 0.0f, 1.0f};
    const WaveletRun<float> runs[2] = {{rowA, tapsA, 1}, {rowB + 1, tapsB, 2}};
    voktest::forEachWidth([&] {
        float dst[1] = {};
        waveletOps<float>().decimate(runs, dst, 1);
        EXPECT_EQ(dst[0], big + 2.0f);  // 2^24 + 1 + 1 in float partial sums would give 2^24
    });
}

}  // namespace
