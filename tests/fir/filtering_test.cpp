// Both filter layers of every type combination, and the 16-bit ones under
// every scale mode, against a long-double evaluation of the multirate
// definition (upsample by U at phase Pu, filter, keep every D-th sample from
// phase Pd) over whole streams cut into calls, at every width.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "kernels/firdot.h"
#include "voktest/filter_calls.h"
#include "voktest/widths.h"

namespace {

using namespace voktest;

struct Rates {
    int up, upPhase, down, downPhase, tapsLen;
    bool multi() const { return up > 1 || down > 1; }
    // The history a filter holds: ceil(L / U) inputs multirate, L - 1 otherwise.
    int history() const { return multi() ? (tapsLen + up - 1) / up : tapsLen - 1; }
};

std::ostream& operator<<(std::ostream& os, const Rates& r) {
    return os << "U=" << r.up << " Pu=" << r.upPhase << " D=" << r.down << " Pd=" << r.downPhase << " L=" << r.tapsLen;
}

// Outputs m = 0 .. (inputs / D) * U - 1 of the history (chronological)
// followed by the inputs, each with the sum of its terms' magnitudes and the
// sum as the single-rate kernels form it: products and sum in double, newest
// input first, complex products as (ac - bd, ad + bc).
struct Reference {
    std::vector<LC> out, inDouble;
    std::vector<long double> mag;
};

template <class D, class W>
Reference directMultirate(const std::vector<W>& h, const Rates& r, const std::vector<D>& history,
                          const std::vector<D>& x, bool longDouble = true) {
    Reference ref;
    const std::int64_t H = std::int64_t(history.size()), outs = std::int64_t(x.size()) / r.down * r.up;
    for (std::int64_t m = 0; m < outs; ++m) {
        LC sum = 0;
        long double mag = 0;
        double re = 0, im = 0;
        for (std::int64_t k = 0; k < r.tapsLen; ++k) {
            const std::int64_t n = r.downPhase + m * r.down - k - r.upPhase;  // upsampled index
            if (n % r.up != 0) continue;                                      // a zero of the upsampled signal
            const std::int64_t i = n >= 0 ? n / r.up : -((-n) / r.up);
            if (H + i < 0) ADD_FAILURE() << "the definition reached past the history at input " << i;
            const LC in = i >= 0 ? asLC(x[std::size_t(i)]) : asLC(history[std::size_t(H + i)]);
            const LC w = asLC(h[std::size_t(k)]), term = longDouble ? w * in : 0;  // a slow product
            sum += term;
            mag += std::abs(term);
            const double wr = double(w.real()), wi = double(w.imag()), xr = double(in.real()), xi = double(in.imag());
            re += wr * xr - wi * xi;
            im += wr * xi + wi * xr;
        }
        ref.inDouble.push_back(LC(re, im));
        ref.out.push_back(sum);
        ref.mag.push_back(mag);
    }
    return ref;
}

// Equal bits, or NaN both.
template <class T> bool sameValue(const T& a, const T& b) {
    return sameBits(a, b) || (asLC(a) != asLC(a) && asLC(b) != asLC(b));
}

// Random streams and taps of a given seed.
template <class T> std::vector<T> randoms(std::mt19937& gen, int n) { return randomVector<T>(n, unsigned(gen())); }

// One stream per rate and type combination cut into calls (one iteration,
// two, then random lengths up to several hundred), through both layers at
// every width: single rate bit for bit the kernels' double sum, multirate
// within rounding of the definition, the layers bit-identical to each other
// and every width to the first, guards after each output block untouched.
// A second pair of records, taps and history set after a null
// initialisation, takes the single-rate one-sample forms (over more samples
// than the single-state window holds) and then the rest in one block: both
// give the same outputs. Both delay lines end with the newest inputs, taps
// come back as set, null arrays clear. Decimating rates put the tap count on
// both sides of the factor. Long streams with given calls (float data only
// unless `every`) put tap counts on both sides of the register blocks, of
// the scratch pieces (2033 taps fill it with sixteen outputs, 2034 just miss
// it) and of the limit of the scalar loop (about 4096 taps). Infinities and
// NaNs travel through the lanes as through the scalar sum.
struct Stream {
    Rates rate;
    std::vector<int> calls;  // iterations per call; empty: random calls, every type
    bool every = false;
    bool specials = false;  // float only: infinities and a NaN in the stream
};
std::ostream& operator<<(std::ostream& os, const Stream& c) { return os << c.rate << " calls=" << c.calls.size(); }

const Stream kStreams[] = {
    {{1, 0, 1, 0, 1}},     {{1, 0, 1, 0, 2}},     {{1, 0, 1, 0, 7}},     {{1, 0, 1, 0, 40}},    {{1, 0, 3, 2, 7}},
    {{1, 0, 4, 0, 2}},     {{1, 0, 2, 1, 9}},     {{3, 1, 1, 0, 7}},     {{3, 2, 1, 0, 2}},     {{4, 0, 1, 0, 3}},
    {{4, 3, 3, 1, 10}},    {{2, 1, 5, 4, 9}},     {{5, 0, 2, 1, 3}},     {{3, 0, 3, 0, 9}},     {{3, 2, 2, 1, 1}},
    {{7, 6, 4, 3, 23}},    {{2, 0, 3, 1, 64}},    {{1, 0, 6, 5, 20}},    {{1, 0, 1, 0, 5}},     {{1, 0, 1, 0, 9}},
    {{1, 0, 1, 0, 70}},    {{1, 0, 2, 1, 1}},     {{1, 0, 2, 0, 40}},    {{1, 0, 3, 2, 2}},     {{1, 0, 3, 1, 50}},
    {{1, 0, 4, 3, 3}},     {{1, 0, 4, 0, 17}},    {{1, 0, 5, 4, 4}},     {{1, 0, 5, 2, 33}},    {{1, 0, 8, 7, 5}},
    {{1, 0, 8, 3, 64}},    {{1, 0, 9, 4, 30}},
    {{1, 0, 1, 0, 1}, {1, 100, 3}},       {{1, 0, 1, 0, 16}, {5, 1000, 63, 64, 65}},
    {{1, 0, 1, 0, 255}, {100, 2000, 1}},
    {{1, 0, 1, 0, 1024}, {700, 3000}},    {{1, 0, 1, 0, 4100}, {5000, 300}},         {{1, 0, 4, 0, 16}, {1, 2000, 31}},
    {{1, 0, 4, 3, 64}, {10, 999}},        {{1, 0, 4, 1, 1024}, {300, 1500}},         {{1, 0, 4, 2, 2100}, {600, 700}},
    {{1, 0, 4, 1, 4100}, {900, 50}},      {{1, 0, 3, 0, 3001}, {4000}},              {{1, 0, 2, 1, 3}, {1, 1, 2000}},
    {{1, 0, 7, 6, 5}, {800}},             {{3, 1, 1, 0, 48}, {1, 900}},              {{3, 2, 5, 3, 100}, {300, 401}},
    {{4, 0, 3, 1, 70}, {2, 500}},         {{100, 0, 1, 0, 50}, {40}},                {{1, 0, 100, 99, 500}, {3, 60}},
    {{1, 0, 1, 0, 2033}, {2100, 100}, true}, {{1, 0, 1, 0, 2034}, {2100, 100}, true},
    {{1, 0, 1, 0, 4081}, {2100, 100}, true}, {{1, 0, 1, 0, 3}, {}, false, true},
    {{1, 0, 1, 0, 40}, {}, false, true}};

class FirStreams : public ::testing::TestWithParam<Stream> {};

TEST_P(FirStreams, BothLayersFollowTheDefinitionAcrossCallsAndWidths) {
    const Rates r = GetParam().rate;
    forEachFilter([&](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        using O = typename A::O;
        const Stream& c = GetParam();
        if ((!c.calls.empty() && !c.every && !std::is_same_v<D, float>) || (c.specials && !std::is_same_v<O, float>))
            return;
        std::mt19937 gen(1234u + unsigned(r.tapsLen * 31 + r.up * 7 + r.down + r.downPhase));
        const auto h = randoms<W>(gen, r.tapsLen);
        const auto history = randoms<D>(gen, r.history());
        std::uniform_int_distribution<int> iters(1, r.up == 1 ? 400 : 3 * r.tapsLen / r.down + 3);
        std::vector<int> calls = c.calls;
        if (calls.empty()) {
            calls = {1, 2};
            for (int i = 0; i < 6; ++i) calls.push_back(iters(gen));
        }
        int total = 0;
        for (int n : calls) total += n;
        auto stream = randoms<D>(gen, total * r.down);
        if (c.specials) {
            stream[stream.size() / 3] = fromLC<D>(INFINITY);
            stream[stream.size() / 2] = fromLC<D>(-INFINITY);
            stream[stream.size() * 2 / 3] = fromLC<D>(NAN);
        }
        const Reference ref = directMultirate(h, r, history, stream, r.multi());
        const std::size_t ones = r.multi() ? 0 : std::min<std::size_t>(stream.size(), 300);
        auto cleared = [&](FirState& s) {
            std::vector<LC> got;
            std::vector<W> t(h.size(), fromLC<W>(1));
            std::vector<D> d(history.size() + 1, fromLC<D>(1));  // never empty: a null buffer is refused
            api.hGetTaps(&s, t.data());
            api.hGetDlyl(&s, d.data());
            d.pop_back();
            for (const W& v : t) got.push_back(asLC(v));
            for (const D& v : d) got.push_back(asLC(v));
            return got == std::vector<LC>(got.size());
        };
        std::vector<O> first;
        forEachWidth([&] {
            // Two-state records over arrays the test owns.
            std::vector<W> taps[2] = {h, h};
            std::vector<D> lines[2];
            FirTapState tap[2];
            FirDlyState dly[2];
            FirState st[2] = {};
            for (int i = 0; i < 2; ++i) {
                api.lInitMr(taps[i].data(), r.tapsLen, r.up, r.upPhase, r.down, r.downPhase, &tap[i]);
                lines[i].resize(std::size_t(r.multi() ? r.history() : r.tapsLen));
                api.lInitDlyl(&tap[i], lines[i].data(), &dly[i]);
                api.lSetDlyl(&tap[i], history.data(), &dly[i]);
            }
            api.hInitMr(h.data(), r.tapsLen, history.data(), r.up, r.upPhase, r.down, r.downPhase, &st[0]);
            api.hInitMr(nullptr, r.tapsLen, nullptr, r.up, r.upPhase, r.down, r.downPhase, &st[1]);
            EXPECT_TRUE(cleared(st[1]));
            api.hSetTaps(h.data(), &st[1]);
            api.hSetDlyl(history.data(), &st[1]);
            std::vector<O> low, high;
            std::size_t at = 0;
            for (int n : calls) {
                std::vector<O> a(std::size_t(n) * std::size_t(r.up) + 2, fromLC<O>(7)), b(a);
                api.bfirl(&tap[0], &dly[0], stream.data() + at, a.data(), n);
                api.bfir(&st[0], stream.data() + at, b.data(), n);
                for (std::size_t g = a.size() - 2; g < a.size(); ++g)
                    EXPECT_TRUE(asLC(a[g]) == LC(7) && asLC(b[g]) == LC(7)) << "wrote past " << n;
                low.insert(low.end(), a.begin(), a.end() - 2);
                high.insert(high.end(), b.begin(), b.end() - 2);
                at += std::size_t(n) * std::size_t(r.down);
            }
            ASSERT_EQ(ref.out.size(), low.size());
            EXPECT_EQ(0, std::memcmp(low.data(), high.data(), sizeof(O) * low.size()));
            if (first.empty()) {
                first = low;
                for (std::size_t m = 0; m < low.size(); ++m) {
                    if (r.multi()) ASSERT_TRUE(closeTo(low[m], ref.out[m], ref.mag[m])) << m;
                    else ASSERT_TRUE(sameValue(low[m], fromLC<O>(ref.inDouble[m]))) << m;
                }
            }
            EXPECT_EQ(0, std::memcmp(first.data(), low.data(), sizeof(O) * first.size()));
            for (std::size_t i = 0; i < ones; ++i) {
                ASSERT_TRUE(sameBits(api.firl(&tap[1], &dly[1], stream[i]), low[i])) << i;
                ASSERT_TRUE(sameBits(api.fir(&st[1], stream[i]), low[i])) << i;
            }
            if (const int rest = int(stream.size() - ones) / r.down; rest > 0) {
                std::vector<O> a(std::size_t(rest) * std::size_t(r.up)), b(a.size());
                api.bfirl(&tap[1], &dly[1], stream.data() + ones, a.data(), rest);
                api.bfir(&st[1], stream.data() + ones, b.data(), rest);
                EXPECT_EQ(0, std::memcmp(a.data(), &low[ones], sizeof(O) * a.size()));
                EXPECT_EQ(0, std::memcmp(b.data(), &low[ones], sizeof(O) * b.size()));
            }
            const int n = r.history();
            std::vector<D> lowDly(std::size_t(n) + 1), highDly(std::size_t(n) + 1), seen(history);
            seen.insert(seen.end(), stream.begin(), stream.end());  // a stream may be shorter than the line
            api.lGetDlyl(&tap[0], &dly[0], lowDly.data());
            api.hGetDlyl(&st[0], highDly.data());
            for (int i = 0; i < n; ++i) {
                const LC want = asLC(seen[seen.size() - std::size_t(n) + std::size_t(i)]);
                EXPECT_TRUE(want == asLC(lowDly[std::size_t(i)]) && want == asLC(highDly[std::size_t(i)])) << i;
            }
            std::vector<W> back(h.size());
            api.hGetTaps(&st[1], back.data());
            EXPECT_EQ(0, std::memcmp(back.data(), h.data(), sizeof(W) * h.size()));
            api.hSetTaps(nullptr, &st[1]);
            api.hSetDlyl(nullptr, &st[1]);
            EXPECT_TRUE(cleared(st[1]));
            for (FirState& s : st) vokFirFree(&s);
        });
    });
}

INSTANTIATE_TEST_SUITE_P(Fir, FirStreams, ::testing::ValuesIn(kStreams));

// ---- 16-bit samples ----

// One rounded sum converted to 16 bits, independently of the library.
short expected16(std::int64_t r, int mode, int sf) {
    if (mode & VOK_FIXED_SCALE) r = sf >= 0 ? (r >> sf) : r * (std::int64_t(1) << -sf);
    if (mode & VOK_SATURATE) return short(r < -32768 ? -32768 : r > 32767 ? 32767 : r);
    return short(std::uint16_t(std::uint64_t(r)));
}

// The automatic factor of a block: the largest magnitude brought to 15 bits.
int autoFactor(const std::vector<std::int64_t>& r) {
    std::int64_t big = 0;
    for (std::int64_t v : r) big = std::max(big, v < 0 ? -v : v);
    int bits = 0;
    while ((big >> bits) > 1) ++bits;  // floor(log2 big)
    return big <= 32767 ? 0 : bits - 14;
}

struct ModeCase {
    int mode, factor, limit;
    float tapScale = 1;  // 65536: sums past 32 bits, saturated there before scaling
};

// Both layers through calls of one iteration, a few, more than the
// single-state buffer room and exactly its room (where the automatic factor
// is chosen over the whole block by both), every scale mode, at every width.
// Dyadic taps (k/16) make every sum exact: then the two-state outputs are
// the definition converted; taps of any value check that the single-state
// filter rounds exactly where the two-state one does. Factors are read and
// never written, except the automatic one of each call. Records whose taps
// and history are set after initialisation give the same outputs, one
// sample at a time where single rate.
class Fir16Streams : public ::testing::TestWithParam<Rates> {};

TEST_P(Fir16Streams, BothLayersFollowTheDefinitionUnderEveryScaleMode) {
    const Rates r = GetParam();
    const ModeCase modes[] = {{VOK_NO_SCALE, 0, 300},    {VOK_NO_SCALE, 0, 32767},
                              {VOK_SATURATE, 0, 32767},  {VOK_FIXED_SCALE, 3, 32767},
                              {VOK_FIXED_SCALE | VOK_SATURATE, 1, 32767},
                              {VOK_FIXED_SCALE | VOK_SATURATE, -2, 4000}, {VOK_FIXED_SCALE | VOK_SATURATE, 0, 32767},
                              {VOK_AUTO_SCALE, 99, 32767}, {VOK_AUTO_SCALE, 99, 200},
                              {VOK_NO_SCALE, 0, 32767, 65536}, {VOK_FIXED_SCALE | VOK_SATURATE, 16, 32767, 65536},
                              {VOK_AUTO_SCALE, 99, 32767, 65536}};
    // The definition is checked at the first width, every other width against it.
    std::vector<std::vector<short>> firstWidth;
    forEachWidth([&] {
        std::size_t run = 0;
        for (bool dyadic : {true, false}) {
            for (const ModeCase& mc : modes) {
                SCOPED_TRACE(::testing::Message() << r << " mode " << mc.mode << " sf " << mc.factor << " " << dyadic);
                std::mt19937 gen(unsigned(r.tapsLen * 13 + mc.mode * 5 + mc.limit + dyadic));
                std::vector<float> h(static_cast<std::size_t>(r.tapsLen)), taps[2];
                for (auto& v : h)
                    v = mc.tapScale * (dyadic ? float(std::uniform_int_distribution<int>(-32, 32)(gen)) / 16.0f
                                              : std::uniform_real_distribution<float>(-1.5f, 1.5f)(gen));
                const auto history = randomShorts(gen, std::size_t(r.history()), mc.limit);
                std::vector<short> lines[2];
                FirTapState tap[2];
                FirDlyState dly[2];
                FirState st[2] = {};
                for (int i = 0; i < 2; ++i) {
                    taps[i].assign(h.size(), i ? 0.0f : 1.0f);
                    vokwFirlInitMr(taps[i].data(), r.tapsLen, r.up, r.upPhase, r.down, r.downPhase, &tap[i]);
                    vokwFirlSetTaps(h.data(), &tap[i]);
                    std::vector<short> init(history);
                    init.resize(std::size_t(r.multi() ? r.history() : r.tapsLen));  // the scratch slot
                    lines[i].resize(init.size());
                    vokwFirlInitDlyl(&tap[i], lines[i].data(), &dly[i]);
                    vokwFirlSetDlyl(&tap[i], init.data(), &dly[i]);
                }
                vokwFirInitMr(h.data(), r.tapsLen, history.data(), r.up, r.upPhase, r.down, r.downPhase, &st[0]);
                vokwFirInitMr(nullptr, r.tapsLen, nullptr, r.up, r.upPhase, r.down, r.downPhase, &st[1]);
                vokwFirSetTaps(h.data(), &st[1]);
                vokwFirSetDlyl(history.data(), &st[1]);
                ASSERT_EQ(r.tapsLen, st[0].origTapsLen);
                EXPECT_EQ(0, st[0].tapsScale);
                std::vector<short> stream;
                std::vector<std::pair<std::size_t, int>> factors;  // first output and factor of each call
                std::vector<short> got;
                for (int n : {1, 5, std::min(2 * r.tapsLen + 1, 150), st[0].bufRoom / r.down, 37}) {
                    const auto in = randomShorts(gen, std::size_t(n * r.down), mc.limit);
                    std::vector<short> out(std::size_t(n * r.up) + 1, 777), other(out);  // a guard after each
                    int sf = mc.factor, sfHigh = mc.factor;
                    vokwbFirl(&tap[0], &dly[0], in.data(), out.data(), n, mc.mode, &sf);
                    vokwbFir(&st[0], in.data(), other.data(), n, mc.mode, &sfHigh);
                    EXPECT_TRUE(out.back() == 777 && other.back() == 777);
                    out.pop_back();
                    other.pop_back();
                    if (mc.mode != VOK_AUTO_SCALE) EXPECT_TRUE(sf == mc.factor && sfHigh == mc.factor);
                    if (mc.mode != VOK_AUTO_SCALE || n * r.down <= st[0].bufRoom) {
                        EXPECT_EQ(out, other) << "block of " << n;
                        EXPECT_EQ(sf, sfHigh);
                    }
                    // The records set after initialisation: one sample at a time, or the same blocks.
                    if (r.multi() || mc.mode == VOK_AUTO_SCALE) {
                        std::vector<short> a(out.size()), b(out.size());
                        vokwbFirl(&tap[1], &dly[1], in.data(), a.data(), n, mc.mode, &sfHigh);
                        vokwbFir(&st[1], in.data(), b.data(), n, mc.mode, &sfHigh);
                        EXPECT_TRUE(a == out && b == other);
                    }
                    for (std::size_t i = 0; !r.multi() && mc.mode != VOK_AUTO_SCALE && i < in.size(); ++i) {
                        EXPECT_EQ(out[i], vokwFirl(&tap[1], &dly[1], in[i], mc.mode, &sfHigh)) << i;
                        EXPECT_EQ(out[i], vokwFir(&st[1], in[i], mc.mode, &sfHigh)) << i;
                    }
                    factors.push_back({got.size(), sf});
                    stream.insert(stream.end(), in.begin(), in.end());
                    got.insert(got.end(), out.begin(), out.end());
                    std::vector<short> a(std::size_t(r.history()) + 1), b(a);
                    vokwFirlGetDlyl(&tap[0], &dly[0], a.data());
                    vokwFirGetDlyl(&st[0], b.data());
                    EXPECT_TRUE(std::equal(a.begin(), a.end() - 1, b.begin()));  // not the scratch slot
                }
                for (FirState& s : st) vokFirFree(&s);
                if (run++ < firstWidth.size()) {
                    EXPECT_EQ(firstWidth[run - 1], got);
                    continue;
                }
                firstWidth.push_back(got);
                if (!dyadic) continue;
                const Reference ref = directMultirate(h, r, history, stream);
                ASSERT_EQ(ref.out.size(), got.size());
                factors.push_back({got.size(), 0});
                for (std::size_t c = 0; c + 1 < factors.size(); ++c) {
                    std::vector<std::int64_t> part;
                    for (std::size_t i = factors[c].first; i < factors[c + 1].first; ++i)
                        part.push_back(std::clamp<std::int64_t>(std::int64_t(std::nearbyint(ref.out[i].real())),
                                                                INT32_MIN, INT32_MAX));
                    int sf = mc.factor, mode = mc.mode;
                    if (mode == VOK_AUTO_SCALE) {
                        sf = autoFactor(part);
                        mode = VOK_FIXED_SCALE | VOK_SATURATE;
                        EXPECT_EQ(sf, factors[c].second);
                    }
                    for (std::size_t i = 0; i < part.size(); ++i)
                        EXPECT_EQ(expected16(part[i], mode, sf), got[factors[c].first + i]) << factors[c].first + i;
                }
            }
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Fir, Fir16Streams,
                         ::testing::Values(Rates{1, 0, 1, 0, 1}, Rates{1, 0, 1, 0, 2}, Rates{1, 0, 1, 0, 6},
                                           Rates{1, 0, 1, 0, 9}, Rates{1, 0, 3, 1, 8}, Rates{1, 0, 3, 2, 8},
                                           Rates{3, 2, 1, 0, 7}, Rates{4, 1, 3, 2, 10}, Rates{5, 0, 2, 1, 3},
                                           Rates{2, 1, 2, 0, 6}, Rates{3, 1, 2, 0, 9},
                                           // Runs of many conversion chunks, and iterations of more
                                           // outputs than one chunk.
                                           Rates{1, 0, 1, 0, 200}, Rates{3, 1, 2, 0, 100}, Rates{1, 0, 5, 2, 300},
                                           Rates{300, 7, 2, 1, 601}));

// The 16-bit kernel of filters longer than the widened pieces allow (some
// 4096 taps, too long for the streams above): sums rounded to the nearest
// integer with ties to even and saturated to 32 bits, in every lane and tail.
TEST(Fir16Kernel, RoundsTiesToEvenAndSaturates) {
    // Halves make ties; the huge taps push sums past 32 bits.
    const std::vector<float> tapSets[] = {{0.5f, -0.25f, 1.5f, 0.0f, -2.5f, 0.75f},
                                          {70000.0f, 70000.0f, 70000.0f, 0.0f, 0.0f, 0.0f},
                                          {-1e5f, 1e-3f, 3.0f, -70000.0f, 2.0f, 0.5f}};
    std::mt19937 gen(5u);
    const auto line = randomShorts(gen, 83, 32767);
    const short* data = line.data() + 6;
    for (const auto& taps : tapSets) {
        for (int n : {1, 5, 12, 64, 77}) {
            forEachWidth([&] {
                std::vector<std::int32_t> out(std::size_t(n) + 1, 12345);
                vok::kernels::firdot().shortByReal(taps.data(), 1, 6, data, vok::kernels::kOneLine, out.data(), 1, n);
                for (int t = 0; t < n; ++t) {
                    double acc = 0;
                    for (int j = 0; j < 6; ++j) acc += double(taps[std::size_t(j)]) * double(data[t - j]);
                    const double want = std::clamp(std::nearbyint(acc), -2147483648.0, 2147483647.0);
                    EXPECT_EQ(std::int32_t(want), out[std::size_t(t)]) << n << " " << t;
                }
                EXPECT_EQ(12345, out.back());
            });
        }
    }
}

}  // namespace
