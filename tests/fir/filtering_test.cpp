// Both filter layers against the long-double evaluation of the multirate
// definition, over streams cut into calls of random lengths, for every type
// combination; the two layers must agree bit for bit.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fir_support.h"
#include "../support/widths.h"

namespace {

using namespace firtest;

const std::vector<Rates> kRates = {
    {1, 0, 1, 0, 1},  {1, 0, 1, 0, 2},  {1, 0, 1, 0, 7},  {1, 0, 1, 0, 40}, {1, 0, 3, 2, 7},  {1, 0, 4, 0, 2},
    {1, 0, 2, 1, 9},  {3, 1, 1, 0, 7},  {3, 2, 1, 0, 2},  {4, 0, 1, 0, 3},  {4, 3, 3, 1, 10}, {2, 1, 5, 4, 9},
    {5, 0, 2, 1, 3},  {3, 0, 3, 0, 9},  {3, 2, 2, 1, 1},  {7, 6, 4, 3, 23}, {2, 0, 3, 1, 64}, {1, 0, 6, 5, 20},
};

// The two-state filter over arrays the test owns.
template <class A>
struct LowFilter {
    std::vector<typename A::W> taps;
    std::vector<typename A::D> dlyl;
    FirTapState tap{};
    FirDlyState dly{};

    LowFilter(const A& api, const std::vector<typename A::W>& h, const Rates& r,
              const std::vector<typename A::D>& history)
        : taps(h) {
        api.lInitMr(taps.data(), int(taps.size()), r.up, r.upPhase, r.down, r.downPhase, &tap);
        dlyl.resize(std::size_t(tap.isMultiRate ? (r.tapsLen + r.up - 1) / r.up : r.tapsLen));
        api.lInitDlyl(&tap, dlyl.data(), &dly);
        api.lSetDlyl(&tap, history.data(), &dly);
    }
};

template <class A>
struct HighFilter {
    FirState st{};
    HighFilter(const A& api, const std::vector<typename A::W>& h, const Rates& r,
               const std::vector<typename A::D>& history) {
        api.hInitMr(h.data(), int(h.size()), history.data(), r.up, r.upPhase, r.down, r.downPhase, &st);
    }
    ~HighFilter() { vokFirFree(&st); }
};

int historyFor(const Rates& r) {
    const bool multi = r.up > 1 || r.down > 1;
    return multi ? (r.tapsLen + r.up - 1) / r.up : r.tapsLen - 1;
}

class FirRates : public ::testing::TestWithParam<Rates> {};

TEST_P(FirRates, BothLayersFollowTheDefinitionAcrossCalls) {
    const Rates r = GetParam();
    voktest::forEachWidth([&] { forEachApi([&](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using O = typename A::O;
        std::mt19937 gen(1234u + unsigned(r.tapsLen * 31 + r.up * 7 + r.down));
        const auto h = randomVector<typename A::W>(gen, std::size_t(r.tapsLen));
        const auto history = randomVector<D>(gen, std::size_t(historyFor(r)));
        LowFilter<A> low(api, h, r, history);
        HighFilter<A> high(api, h, r, history);

        // Calls of random lengths, from one iteration to several times the filter.
        std::uniform_int_distribution<int> iters(1, 3 * r.tapsLen / r.down + 3);
        std::vector<D> stream;
        std::vector<O> lowOut, highOut;
        for (int call = 0; call < 8; ++call) {
            const int n = call == 0 ? 1 : iters(gen);
            const auto in = randomVector<D>(gen, std::size_t(n) * std::size_t(r.down));
            std::vector<O> a(std::size_t(n) * std::size_t(r.up)), b(a.size());
            api.bfirl(&low.tap, &low.dly, in.data(), a.data(), n);
            api.bfir(&high.st, in.data(), b.data(), n);
            stream.insert(stream.end(), in.begin(), in.end());
            lowOut.insert(lowOut.end(), a.begin(), a.end());
            highOut.insert(highOut.end(), b.begin(), b.end());
        }
        const Reference ref = directMultirate(h, r, history, stream);
        ASSERT_EQ(ref.out.size(), lowOut.size());
        for (std::size_t m = 0; m < lowOut.size(); ++m) EXPECT_TRUE(closeTo(lowOut[m], ref.out[m], ref.mag[m])) << m;
        EXPECT_EQ(0, std::memcmp(lowOut.data(), highOut.data(), sizeof(O) * lowOut.size()));

        // Both delay lines end holding the newest inputs, oldest first.
        const int n = historyFor(r);
        std::vector<D> lowDly(std::size_t(n) + 1), highDly(std::size_t(n) + 1);
        api.lGetDlyl(&low.tap, &low.dly, lowDly.data());
        api.hGetDlyl(&high.st, highDly.data());
        for (int i = 0; i < n; ++i) {
            const LC want = asLC(stream[stream.size() - std::size_t(n) + std::size_t(i)]);
            EXPECT_EQ(want, asLC(lowDly[std::size_t(i)])) << i;
            EXPECT_EQ(want, asLC(highDly[std::size_t(i)])) << i;
        }
    }); });
}

INSTANTIATE_TEST_SUITE_P(Fir, FirRates, ::testing::ValuesIn(kRates));

// Decimation over long calls of random lengths, for every type combination:
// the inputs are deinterleaved a register at a time, so the tap counts lie on
// both sides of the factor (taps fewer than D leave phases unused) and the
// calls end anywhere within a register. Every width gives the same outputs.
struct Decimation {
    int down, downPhase, tapsLen;
};

std::ostream& operator<<(std::ostream& os, const Decimation& d) {
    return os << "D=" << d.down << " Pd=" << d.downPhase << " L=" << d.tapsLen;
}

class FirDecimation : public ::testing::TestWithParam<Decimation> {};

TEST_P(FirDecimation, EveryTypeFollowsTheDefinitionAtEveryWidth) {
    const Rates r{1, 0, GetParam().down, GetParam().downPhase, GetParam().tapsLen};
    forEachApi([&](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using O = typename A::O;
        std::mt19937 gen(555u + unsigned(r.tapsLen * 17 + r.down * 5 + r.downPhase));
        const auto h = randomVector<typename A::W>(gen, std::size_t(r.tapsLen));
        const auto history = randomVector<D>(gen, std::size_t(historyFor(r)));
        std::uniform_int_distribution<int> iters(1, 400);
        std::vector<int> calls = {1, 2};
        for (int i = 0; i < 5; ++i) calls.push_back(iters(gen));
        int total = 0;
        for (int n : calls) total += n;
        const auto stream = randomVector<D>(gen, std::size_t(total) * std::size_t(r.down));
        const Reference ref = directMultirate(h, r, history, stream);

        std::vector<O> first;
        voktest::forEachWidth([&] {
            LowFilter<A> low(api, h, r, history);
            HighFilter<A> high(api, h, r, history);
            std::vector<O> lowOut, highOut;
            std::size_t at = 0;
            for (int n : calls) {
                std::vector<O> a(static_cast<std::size_t>(n)), b(a.size());
                api.bfirl(&low.tap, &low.dly, stream.data() + at, a.data(), n);
                api.bfir(&high.st, stream.data() + at, b.data(), n);
                at += std::size_t(n) * std::size_t(r.down);
                lowOut.insert(lowOut.end(), a.begin(), a.end());
                highOut.insert(highOut.end(), b.begin(), b.end());
            }
            ASSERT_EQ(ref.out.size(), lowOut.size());
            EXPECT_EQ(0, std::memcmp(lowOut.data(), highOut.data(), sizeof(O) * lowOut.size()));
            if (first.empty()) {
                first = lowOut;
                for (std::size_t m = 0; m < lowOut.size(); ++m)
                    ASSERT_TRUE(closeTo(lowOut[m], ref.out[m], ref.mag[m])) << m;
            } else {
                EXPECT_EQ(0, std::memcmp(first.data(), lowOut.data(), sizeof(O) * first.size()));
            }
        });
    });
}

INSTANTIATE_TEST_SUITE_P(Fir, FirDecimation,
                         ::testing::Values(Decimation{2, 1, 1}, Decimation{2, 0, 40}, Decimation{3, 2, 2},
                                           Decimation{3, 1, 50}, Decimation{4, 3, 3}, Decimation{4, 0, 17},
                                           Decimation{5, 4, 4}, Decimation{5, 2, 33}, Decimation{8, 7, 5},
                                           Decimation{8, 3, 64}, Decimation{9, 4, 30}));

// Single rate: the one-sample forms give exactly the block results.
TEST(FirSingleSample, MatchesBlockFiltering) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using O = typename A::O;
        for (int tapsLen : {1, 2, 5, 9, 70}) {
            SCOPED_TRACE(tapsLen);
            std::mt19937 gen(77u + unsigned(tapsLen));
            const Rates r{1, 0, 1, 0, tapsLen};
            const auto h = randomVector<typename A::W>(gen, std::size_t(tapsLen));
            const auto history = randomVector<D>(gen, std::size_t(tapsLen - 1));
            // More samples than the single-state buffer holds, so its window wraps.
            const auto in = randomVector<D>(gen, 300);
            LowFilter<A> lowBlock(api, h, r, history), lowOne(api, h, r, history);
            HighFilter<A> highBlock(api, h, r, history), highOne(api, h, r, history);
            std::vector<O> block(in.size()), block2(in.size());
            api.bfirl(&lowBlock.tap, &lowBlock.dly, in.data(), block.data(), int(in.size()));
            api.bfir(&highBlock.st, in.data(), block2.data(), int(in.size()));
            for (std::size_t i = 0; i < in.size(); ++i) {
                const O a = api.firl(&lowOne.tap, &lowOne.dly, in[i]);
                const O b = api.fir(&highOne.st, in[i]);
                EXPECT_EQ(0, std::memcmp(&a, &block[i], sizeof(O))) << i;
                EXPECT_EQ(0, std::memcmp(&b, &block2[i], sizeof(O))) << i;
            }
            // After the one-sample calls the block forms continue as well.
            const auto more = randomVector<D>(gen, 13);
            std::vector<O> a(more.size()), b(more.size()), c(more.size());
            api.bfirl(&lowBlock.tap, &lowBlock.dly, more.data(), a.data(), int(more.size()));
            api.bfirl(&lowOne.tap, &lowOne.dly, more.data(), b.data(), int(more.size()));
            api.bfir(&highOne.st, more.data(), c.data(), int(more.size()));
            EXPECT_EQ(0, std::memcmp(a.data(), b.data(), sizeof(O) * a.size()));
            EXPECT_EQ(0, std::memcmp(a.data(), c.data(), sizeof(O) * a.size()));
        }
    });
}

}  // namespace
