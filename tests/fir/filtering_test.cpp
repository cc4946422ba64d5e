// Both filter layers against the long-double evaluation of the multirate
// definition, for every type combination and width.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fir_support.h"
#include "../support/widths.h"

namespace {

using namespace firtest;

const std::vector<Rates> kRates = {
    {1, 0, 1, 0, 1},  {1, 0, 1, 0, 2},  {1, 0, 1, 0, 7},  {1, 0, 1, 0, 40}, {1, 0, 3, 2, 7},  {1, 0, 4, 0, 2},
    {1, 0, 2, 1, 9},  {3, 1, 1, 0, 7},  {3, 2, 1, 0, 2},  {4, 0, 1, 0, 3},  {4, 3, 3, 1, 10}, {2, 1, 5, 4, 9},
    {5, 0, 2, 1, 3},  {3, 0, 3, 0, 9},  {3, 2, 2, 1, 1},  {7, 6, 4, 3, 23}, {2, 0, 3, 1, 64}, {1, 0, 6, 5, 20},
    {1, 0, 1, 0, 5},  {1, 0, 1, 0, 9},  {1, 0, 1, 0, 70}, {1, 0, 2, 1, 1},  {1, 0, 2, 0, 40}, {1, 0, 3, 2, 2},
    {1, 0, 3, 1, 50}, {1, 0, 4, 3, 3},  {1, 0, 4, 0, 17}, {1, 0, 5, 4, 4},  {1, 0, 5, 2, 33}, {1, 0, 8, 7, 5},
    {1, 0, 8, 3, 64}, {1, 0, 9, 4, 30},
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

// One stream per rate and type combination, cut into calls of random lengths
// (one iteration, two, then up to several hundred), run through both layers at
// every width: within rounding of the definition, the layers bit-identical to
// each other and every width bit-identical to the first, the single-rate
// one-sample forms bit-identical to the blocks, and both delay lines ending
// with the newest inputs, oldest first. Decimating rates put the tap count on
// both sides of the factor (taps fewer than D leave phases unused) and end
// calls anywhere within a deinterleaved register.
// Long streams with given calls run for float data only: tap counts on both
// sides of the register blocks, of the scratch pieces and of the limit beyond
// which a branch is filtered by the scalar loop (about 4096 taps, in one line
// or over several streams); calls shorter and longer than the filter.
struct Stream {
    Rates rate;
    std::vector<int> calls;  // iterations per call; empty: random calls, every type
};
std::ostream& operator<<(std::ostream& os, const Stream& c) { return os << c.rate << " calls=" << c.calls.size(); }

std::vector<Stream> streams() {
    std::vector<Stream> all;
    for (const Rates& r : kRates) all.push_back({r, {}});
    const std::vector<Stream> longOnes = {
        {{1, 0, 1, 0, 1}, {1, 100, 3}},    {{1, 0, 1, 0, 16}, {5, 1000, 63, 64, 65}}, {{1, 0, 1, 0, 255}, {100, 2000, 1}},
        {{1, 0, 1, 0, 1024}, {700, 3000}}, {{1, 0, 1, 0, 4100}, {5000, 300}},         {{1, 0, 4, 0, 16}, {1, 2000, 31}},
        {{1, 0, 4, 3, 64}, {10, 999}},     {{1, 0, 4, 1, 1024}, {300, 1500}},         {{1, 0, 4, 2, 2100}, {600, 700}},
        {{1, 0, 4, 1, 4100}, {900, 50}},   {{1, 0, 3, 0, 3001}, {4000}},              {{1, 0, 2, 1, 3}, {1, 1, 2000}},
        {{1, 0, 7, 6, 5}, {800}},          {{3, 1, 1, 0, 48}, {1, 900}},              {{3, 2, 5, 3, 100}, {300, 401}},
        {{4, 0, 3, 1, 70}, {2, 500}},      {{100, 0, 1, 0, 50}, {40}},                {{1, 0, 100, 99, 500}, {3, 60}}};
    all.insert(all.end(), longOnes.begin(), longOnes.end());
    return all;
}

class FirRates : public ::testing::TestWithParam<Stream> {};

TEST_P(FirRates, BothLayersFollowTheDefinitionAcrossCallsAndWidths) {
    const Rates r = GetParam().rate;
    forEachApi([&](const auto& api) {
        if (!GetParam().calls.empty() && std::string(api.name) != "s") return;
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using O = typename A::O;
        std::mt19937 gen(1234u + unsigned(r.tapsLen * 31 + r.up * 7 + r.down + r.downPhase));
        const auto h = randomVector<typename A::W>(gen, std::size_t(r.tapsLen));
        const auto history = randomVector<D>(gen, std::size_t(historyFor(r)));
        std::uniform_int_distribution<int> iters(1, r.up == 1 ? 400 : 3 * r.tapsLen / r.down + 3);
        std::vector<int> calls = GetParam().calls;
        if (calls.empty()) {
            calls = {1, 2};
            for (int i = 0; i < 6; ++i) calls.push_back(iters(gen));
        }
        int total = 0;
        for (int n : calls) total += n;
        const auto stream = randomVector<D>(gen, std::size_t(total) * std::size_t(r.down));
        const Reference ref = directMultirate(h, r, history, stream);
        const bool single = r.up == 1 && r.down == 1;
        std::vector<O> first;
        voktest::forEachWidth([&] {
            LowFilter<A> low(api, h, r, history), lowOne(api, h, r, history);
            HighFilter<A> high(api, h, r, history), highOne(api, h, r, history);
            std::vector<O> lowOut, highOut;
            std::size_t at = 0;
            for (int n : calls) {
                std::vector<O> a(std::size_t(n) * std::size_t(r.up) + 2, fromLC<O>(7)), b(a);
                api.bfirl(&low.tap, &low.dly, stream.data() + at, a.data(), n);
                api.bfir(&high.st, stream.data() + at, b.data(), n);
                for (std::size_t g = a.size() - 2; g < a.size(); ++g)  // guards after the outputs
                    EXPECT_TRUE(asLC(a[g]) == LC(7) && asLC(b[g]) == LC(7)) << "wrote past " << n;
                lowOut.insert(lowOut.end(), a.begin(), a.end() - 2);
                highOut.insert(highOut.end(), b.begin(), b.end() - 2);
                at += std::size_t(n) * std::size_t(r.down);
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
            // More samples than the single-state buffer holds, so its window
            // wraps; then the block forms continue where the single ones ended.
            const std::size_t ones = single ? std::min<std::size_t>(stream.size(), 300) : 0;
            for (std::size_t i = 0; i < ones; ++i) {
                const O a = api.firl(&lowOne.tap, &lowOne.dly, stream[i]), b = api.fir(&highOne.st, stream[i]);
                ASSERT_EQ(0, std::memcmp(&a, &lowOut[i], sizeof(O))) << i;
                ASSERT_EQ(0, std::memcmp(&b, &lowOut[i], sizeof(O))) << i;
            }
            if (single && ones < stream.size()) {
                const int rest = int(stream.size() - ones);
                std::vector<O> a(static_cast<std::size_t>(rest)), b(a.size());
                api.bfirl(&lowOne.tap, &lowOne.dly, stream.data() + ones, a.data(), rest);
                api.bfir(&highOne.st, stream.data() + ones, b.data(), rest);
                EXPECT_EQ(0, std::memcmp(a.data(), &lowOut[ones], sizeof(O) * a.size()));
                EXPECT_EQ(0, std::memcmp(b.data(), &lowOut[ones], sizeof(O) * b.size()));
            }
            const int n = historyFor(r);
            std::vector<D> lowDly(std::size_t(n) + 1), highDly(std::size_t(n) + 1), seen(history);
            seen.insert(seen.end(), stream.begin(), stream.end());  // a stream may be shorter than the line
            api.lGetDlyl(&low.tap, &low.dly, lowDly.data());
            api.hGetDlyl(&high.st, highDly.data());
            for (int i = 0; i < n; ++i) {
                const LC want = asLC(seen[seen.size() - std::size_t(n) + std::size_t(i)]);
                EXPECT_EQ(want, asLC(lowDly[std::size_t(i)])) << i;
                EXPECT_EQ(want, asLC(highDly[std::size_t(i)])) << i;
            }
        });
    });
}

INSTANTIATE_TEST_SUITE_P(Fir, FirRates, ::testing::ValuesIn(streams()));

}  // namespace
