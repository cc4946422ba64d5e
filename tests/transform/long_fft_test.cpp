// Long complex transforms (many tiles in the permuting first pass, stages
// larger than the caches) at every kernel width, against the long-double
// reference: in place and not in place must agree bit for bit, since both
// run the same arithmetic in the same order.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "reference.h"
#include "support/widths.h"
#include "vok.h"

namespace {

using ffttest::LC;

struct Single {
    using R = float;
    using C = FloatComplex;
    static constexpr auto inPlace = vokcFft;
    static constexpr auto nip = vokcFftNip;
    static constexpr long double tolerance = 2e-7L;
};
struct Double {
    using R = double;
    using C = DoubleComplex;
    static constexpr auto inPlace = vokzFft;
    static constexpr auto nip = vokzFftNip;
    static constexpr long double tolerance = 4e-16L;
};

template <class P>
class LongFft : public ::testing::Test {};
using Precisions = ::testing::Types<Single, Double>;
TYPED_TEST_SUITE(LongFft, Precisions);

TYPED_TEST(LongFft, OddAndEvenOrdersAtEveryWidth) {
    using P = TypeParam;
    using R = typename P::R;
    for (int order : {17, 18}) {
        const long long n = 1LL << order;
        const auto x = ffttest::randomComplex(n, 11 + order);
        const auto forward = ffttest::referenceDft(x, true);
        const auto backward = ffttest::referenceDft(x, false);
        std::vector<R> input(2 * n);
        for (long long k = 0; k < n; ++k) {
            input[2 * k] = R(x[k].real());
            input[2 * k + 1] = R(x[k].imag());
        }
        voktest::forEachWidth([&] {
            for (int flags : {VOK_Forw, VOK_Inv | VOK_NoScale}) {
                std::vector<R> a = input, b(2 * n);
                P::inPlace(reinterpret_cast<typename P::C*>(a.data()), order, flags);
                P::nip(reinterpret_cast<const typename P::C*>(input.data()), reinterpret_cast<typename P::C*>(b.data()),
                       order, flags);
                ASSERT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(R))) << order << " " << flags;
                std::vector<LC> got(n);
                for (long long k = 0; k < n; ++k) got[k] = LC(a[2 * k], a[2 * k + 1]);
                const long double err = ffttest::relativeError(got, flags == VOK_Forw ? forward : backward);
                EXPECT_LT(err, P::tolerance * (order + 2)) << order << " " << flags;
            }
        });
    }
}

}  // namespace
