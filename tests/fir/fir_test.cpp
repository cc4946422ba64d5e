// Both filter layers of every type combination, and the 16-bit ones under every scale mode, against a
// long-double evaluation of the multirate definition (upsample by U at phase Pu, filter, keep every D-th
// sample from phase Pd) over streams cut into calls, at every width; what the records hold; every failure
// report in check order, leaving records and buffers alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

#include "kernels/firdot.h"
#include "voktest/fft_reference.h"
#include "voktest/filter_calls.h"
#include "voktest/sweep.h"
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

// Outputs m = 0 .. (inputs / D) * U - 1 of the history (oldest first) then the inputs, with the sum of the
// terms' magnitudes and the sum as the kernels form it: in double, newest first, (ac - bd, ad + bc).
struct Reference { std::vector<LC> out, inDouble; std::vector<long double> mag; };

template <class D, class W>
Reference directMultirate(const std::vector<W>& h, const Rates& r, const std::vector<D>& history,
                          const std::vector<D>& x, bool longDouble = true) {
    Reference ref;
    const std::int64_t H = std::int64_t(history.size()), outs = std::int64_t(x.size()) / r.down * r.up;
    for (std::int64_t m = 0; m < outs; ++m) {
        LC sum = 0;
        long double mag = 0;
        double re = 0, im = 0;
        const std::int64_t base = r.downPhase + m * r.down - r.upPhase;  // upsampled index of tap 0
        // Only the taps on samples of the signal, not on the zeros between them.
        for (std::int64_t k = (base % r.up + r.up) % r.up; k < r.tapsLen; k += r.up) {
            const std::int64_t i = (base - k) / r.up;  // exact
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

template <class T> bool allZero(const std::vector<T>& v) {
    return std::all_of(v.begin(), v.end(), [](const T& x) { return asLC(x) == LC(0); });
}

// Two pairs of records of one filter, and what set-up leaves in them. Two-state over the test's arrays:
// the first over a copy of the taps, the second over ones then set (single rate by the plain set-up);
// lines of L slots single rate (the last a scratch slot), ceil(L / U) multirate. Single-state: the first
// given taps and history, the second null ones (which clear) then set. The window holds at least
// 127 (float taps) or 63 samples beyond the history, multirate rounded to whole iterations; 16-bit
// records hold only the history and pad multirate taps to whole branches.
template <class A> struct Records {
    using D = typename A::D;
    using W = typename A::W;
    static constexpr bool w16 = std::is_same_v<D, short>;
    const A api{};
    const std::vector<W> h;
    const int hist;
    std::vector<W> taps[2];
    std::vector<D> lines[2];
    FirTapState tap[2];
    FirDlyState dly[2];
    FirState st[2] = {};

    Records(const std::vector<W>& given, const Rates& r, const std::vector<D>& history) : h(given), hist(r.history()) {
        const int len = r.tapsLen;
        std::vector<D> init(history);
        init.resize(std::size_t(r.multi() ? hist : len));
        std::memset(tap, 0x5a, sizeof tap);
        std::memset(dly, 0x5a, sizeof dly);
        for (int i = 0; i < 2; ++i) {
            taps[i] = i ? std::vector<W>(h.size(), fromLC<W>(1)) : h;
            if (i && !r.multi()) api.lInit(taps[i].data(), len, &tap[i]);
            else api.lInitMr(taps[i].data(), len, r.up, r.upPhase, r.down, r.downPhase, &tap[i]);
            EXPECT_EQ((std::vector<int>{len, r.up, r.upPhase, r.down, r.downPhase, r.multi(), 1, 0}), fields(tap[i]));
            EXPECT_TRUE(tap[i].taps == static_cast<void*>(taps[i].data()) && (w16 || i || sameBits(taps[i], h)));
            lines[i].resize(init.size());
            api.lInitDlyl(&tap[i], lines[i].data(), &dly[i]);
            EXPECT_TRUE(dly[i].dlyl == lines[i].data() && dly[i].len == int(init.size()) && !dly[i].isFilterMode);
            api.lSetDlyl(&tap[i], init.data(), &dly[i]);
        }
        // The second two-state record's arrays: a line is held newest first, the own one reversed in place
        // (again in filter mode: nothing moves), null clears the visible slots only; the own taps array is
        // handed back out of filter mode, null clears it. It ends holding taps and history.
        if constexpr (!w16) {  // the 16-bit line keeps its own order
            const std::vector<D> chrono(init.begin(), init.begin() + hist), reversed(chrono.rbegin(), chrono.rend());
            const auto visible = [&] { return std::vector<D>(lines[1].begin(), lines[1].begin() + hist); };
            EXPECT_TRUE(sameBits(reversed, visible()) && dly[1].isFilterMode == 1);
            api.lGetDlyl(&tap[1], &dly[1], lines[1].data());
            EXPECT_TRUE(sameBits(chrono, visible()) && !dly[1].isFilterMode);
            for (int again = 0; again < 2; ++again) {
                api.lSetDlyl(&tap[1], lines[1].data(), &dly[1]);
                EXPECT_TRUE(sameBits(reversed, visible()) && dly[1].isFilterMode == 1);
            }
            const D scratch = lines[1].back();
            api.lSetDlyl(&tap[1], nullptr, &dly[1]);
            EXPECT_TRUE(allZero(visible()) && (r.multi() || sameBits(scratch, lines[1].back())));
            api.lSetDlyl(&tap[1], init.data(), &dly[1]);
        }
        std::vector<W> got(h.size());
        api.lGetTaps(&tap[1], got.data());
        EXPECT_TRUE(sameBits(got, std::vector<W>(h.size(), fromLC<W>(1))));
        api.lSetTaps(h.data(), &tap[1]);
        EXPECT_TRUE(w16 || sameBits(taps[1], h));
        api.lGetTaps(&tap[1], taps[1].data());
        EXPECT_TRUE(sameBits(taps[1], h) && !tap[1].isFilterMode);
        api.lSetTaps(nullptr, &tap[1]);
        EXPECT_TRUE(allZero(taps[1]) && tap[1].isFilterMode == 1);
        api.lSetTaps(h.data(), &tap[1]);
        api.hInitMr(h.data(), len, history.data(), r.up, r.upPhase, r.down, r.downPhase, &st[0]);
        if (r.multi()) api.hInitMr(nullptr, len, nullptr, r.up, r.upPhase, r.down, r.downPhase, &st[1]);
        else api.hInit(nullptr, len, nullptr, &st[1]);
        const int held = w16 ? hist : std::max(hist, (std::is_same_v<W, float> ? 128 : 64) - 1);
        const int room = r.multi() ? (held + r.down - 1) / r.down * r.down : held + 1;
        const int padded = w16 && r.multi() ? (len + r.up - 1) / r.up * r.up : len;
        const int unroll = 32 / int(sizeof(typename A::O)), unrolled = w16 ? 0 : len / unroll * unroll;
        for (FirState& s : st) {
            EXPECT_EQ((std::vector<int>{hist, r.multi(), r.multi(), room, padded, unrolled, len, 0}),
                      (std::vector<int>{s.dlyLen, s.isMultiRate, s.phaseTable != nullptr, s.bufRoom, s.tapsLen,
                                        s.tapsLenUnrolled, s.origTapsLen, s.tapsScale}));
            EXPECT_TRUE(s.selfRef == &s && (w16 || (s.window == s.sampleBuf &&
                                                    s.bufWrap == static_cast<D*>(s.sampleBuf) + s.bufRoom)));
        }
        EXPECT_TRUE(cleared(1));
        api.hSetTaps(h.data(), &st[1]);
        api.hSetDlyl(history.data(), &st[1]);
    }
    ~Records() { for (FirState& s : st) vokFirFree(&s); }
    // Record i's taps, and its history from either layer, oldest first (the 16-bit line has a scratch slot).
    std::vector<W> tapsOf(int i) {
        std::vector<W> t(h.size(), fromLC<W>(1));
        api.hGetTaps(&st[i], t.data());
        return t;
    }
    std::vector<D> historyOf(int i, bool twoState) {
        std::vector<D> d(std::size_t(hist) + 1, fromLC<D>(1));
        if (twoState) api.lGetDlyl(&tap[i], &dly[i], d.data());
        else api.hGetDlyl(&st[i], d.data());
        d.pop_back();
        return d;
    }
    bool cleared(int i) { return allZero(tapsOf(i)) && allZero(historyOf(i, false)); }
    // Both single-state records give their taps back in natural order; null arrays clear one.
    bool tapsBackThenCleared() {
        const bool back = sameBits(tapsOf(0), h) && sameBits(tapsOf(1), h);
        api.hSetTaps(nullptr, &st[1]);
        api.hSetDlyl(nullptr, &st[1]);
        return back && cleared(1);
    }
};

// One stream per rate and type combination cut into calls, through both layers and (no upsampling) the
// adaptive filters' FIR forms at every width: single rate bit for bit the kernels' double sum, multirate
// within rounding of the definition, layers and widths bit-identical, guards after each block untouched;
// the second records one sample at a time single rate (past the single-state window), then the rest in
// one block. Long streams (float data only unless
// `every`) put tap counts on both sides of the register blocks, the scratch pieces (2033 taps fill one
// with sixteen outputs) and the scalar loop's limit (about 4096 taps).
struct Stream {
    Rates rate;
    std::vector<int> calls;               // iterations per call; empty: random calls, every type
    bool every = false, specials = false;  // specials, float only: infinities and a NaN in the stream
};
std::ostream& operator<<(std::ostream& os, const Stream& c) { return os << c.rate << " calls=" << c.calls.size(); }

const Stream kStreams[] = {
    {{1, 0, 1, 0, 1}}, {{1, 0, 1, 0, 2}}, {{1, 0, 1, 0, 7}}, {{1, 0, 1, 0, 40}}, {{1, 0, 3, 2, 7}}, {{1, 0, 4, 0, 2}},
    {{1, 0, 2, 1, 9}}, {{3, 1, 1, 0, 7}}, {{3, 2, 1, 0, 2}}, {{4, 0, 1, 0, 3}}, {{4, 3, 3, 1, 10}}, {{2, 1, 5, 4, 9}},
    {{5, 0, 2, 1, 3}}, {{3, 0, 3, 0, 9}}, {{3, 2, 2, 1, 1}}, {{7, 6, 4, 3, 23}}, {{2, 0, 3, 1, 64}},
    {{1, 0, 6, 5, 20}}, {{1, 0, 1, 0, 5}}, {{1, 0, 1, 0, 9}}, {{1, 0, 1, 0, 70}}, {{1, 0, 2, 1, 1}},
    {{1, 0, 2, 0, 40}}, {{1, 0, 3, 2, 2}}, {{1, 0, 3, 1, 50}}, {{1, 0, 4, 3, 3}}, {{1, 0, 4, 0, 17}},
    {{1, 0, 5, 4, 4}}, {{1, 0, 5, 2, 33}}, {{1, 0, 8, 7, 5}}, {{1, 0, 8, 3, 64}}, {{1, 0, 9, 4, 30}},
    {{3, 0, 4, 2, 300}}, {{8, 7, 3, 2, 7}}, {{2, 1, 3, 0, 10}}, {{1, 0, 1, 0, 1}, {1, 100, 3}},
    {{1, 0, 1, 0, 16}, {5, 1000, 63, 64, 65}}, {{1, 0, 1, 0, 255}, {100, 2000, 1}}, {{1, 0, 1, 0, 1024}, {700, 3000}},
    {{1, 0, 1, 0, 4100}, {5000, 300}}, {{1, 0, 4, 0, 16}, {1, 2000, 31}}, {{1, 0, 4, 3, 64}, {10, 999}},
    {{1, 0, 4, 1, 1024}, {300, 1500}}, {{1, 0, 4, 2, 2100}, {600, 700}}, {{1, 0, 4, 1, 4100}, {900, 50}},
    {{1, 0, 3, 0, 3001}, {4000}}, {{1, 0, 2, 1, 3}, {1, 1, 2000}}, {{1, 0, 7, 6, 5}, {800}},
    {{3, 1, 1, 0, 48}, {1, 900}}, {{3, 2, 5, 3, 100}, {300, 401}}, {{4, 0, 3, 1, 70}, {2, 500}},
    {{100, 0, 1, 0, 50}, {40}}, {{1, 0, 100, 99, 500}, {3, 60}}, {{1, 0, 1, 0, 2033}, {2100, 100}, true},
    {{1, 0, 1, 0, 2034}, {2100, 100}, true}, {{1, 0, 1, 0, 4081}, {2100, 100}, true},
    {{1, 0, 1, 0, 3}, {}, false, true}, {{1, 0, 1, 0, 40}, {}, false, true}};

class FirStreams : public ::testing::TestWithParam<Stream> {};

TEST_P(FirStreams, BothLayersFollowTheDefinitionAcrossCallsAndWidths) {
    const Stream& c = GetParam();
    const Rates r = c.rate;
    // Thousands of taps over thousands of samples take minutes under an emulator; native builds run them.
    if (kEmulated && r.tapsLen > 2000) GTEST_SKIP() << "long taps: native builds only";
    forEachFilter([&](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        using O = typename A::O;
        if ((!c.calls.empty() && !c.every && !std::is_same_v<D, float>) || (c.specials && !std::is_same_v<O, float>))
            return;
        std::mt19937 gen(1234u + unsigned(r.tapsLen * 31 + r.up * 7 + r.down + r.downPhase));
        const auto h = randomVector<W>(r.tapsLen, unsigned(gen()));
        const auto history = randomVector<D>(r.history(), unsigned(gen()));
        std::uniform_int_distribution<int> iters(1, r.up == 1 ? 400 : 3 * r.tapsLen / r.down + 3);
        std::vector<int> calls = c.calls;
        for (int i = 0; calls.size() < 8 && c.calls.empty(); ++i) calls.push_back(i < 2 ? i + 1 : iters(gen));
        auto stream = randomVector<D>(std::accumulate(calls.begin(), calls.end(), 0) * r.down, unsigned(gen()));
        const LC specials[] = {INFINITY, -INFINITY, NAN};  // at a third, half and two thirds
        for (int k = 0; c.specials && k < 3; ++k)
            stream[stream.size() * std::size_t(k + 2) / 6] = fromLC<D>(specials[k]);
        const Reference ref = directMultirate(h, r, history, stream, r.multi());
        // Everything the lines have seen, older inputs than the history first: the LMS lines (errDly 1 and,
        // decimating, D slots more) hold more of it than the filter reads.
        const int lmsLen = r.tapsLen + 1 + (r.multi() ? r.down : 0);
        const int ones = r.multi() ? 0 : std::min(300, int(stream.size()));
        auto seen = randomVector<D>(lmsLen, unsigned(gen()));
        seen.insert(seen.end(), history.begin(), history.end());
        const std::size_t pastLen = seen.size();
        seen.insert(seen.end(), stream.begin(), stream.end());
        const auto tail = [&](int n, std::size_t end) {
            return std::vector<D>(seen.begin() + std::ptrdiff_t(end) - n, seen.begin() + std::ptrdiff_t(end));
        };
        std::vector<int> cut(std::size_t(ones), kOneSample);  // the second records' calls
        if (const int rest = int(stream.size() - std::size_t(ones)) / r.down; rest > 0) cut.push_back(rest);
        std::vector<O> first;
        forEachWidth([&] {
            Records<A> rec(h, r, history);
            // Per pair of records the two layers and (no upsampling) the adaptive filters' FIR forms over
            // their own taps, step and leak unused; the first pair in the stream's calls, the second in `cut`.
            std::vector<W> lmsTaps[2] = {h, h};
            std::vector<D> slots[2];
            LmsTapState lt[2];
            LmsDlyState ld[2];
            using L = Layer<D, O>;
            std::vector<std::pair<L, std::vector<int>>> layers;
            for (int i = 0; i < 2; ++i) {
                const std::vector<int>& how = i ? cut : calls;
                layers.push_back({L{[&, i](const D* x, O* y, int n) { api.bfirl(&rec.tap[i], &rec.dly[i], x, y, n); },
                                    [&, i](const D& x) { return api.firl(&rec.tap[i], &rec.dly[i], x); }}, how});
                layers.push_back({L{[&, i](const D* x, O* y, int n) { api.bfir(&rec.st[i], x, y, n); },
                                    [&, i](const D& x) { return api.fir(&rec.st[i], x); }}, how});
                if (r.up > 1) continue;
                api.mInitMr(0, lmsTaps[i].data(), r.tapsLen, 0.5f, 0.25f, 1, r.down, r.downPhase, &lt[i]);
                slots[i] = randomVector<D>(lmsLen, 300);  // the slot above the view must not count
                api.mInitDlyl(&lt[i], slots[i].data(), 1, &ld[i]);
                EXPECT_EQ(lmsLen, ld[i].len);
                api.mSetDlyl(&lt[i], tail(lmsLen - 1, pastLen).data(), &ld[i]);
                layers.push_back({L{[&, i](const D* x, O* y, int n) { api.bna(&lt[i], &ld[i], x, y, n); },
                                    [&, i](const D& x) { return api.na(&lt[i], &ld[i], x); }}, how});
            }
            const std::vector<O> low = throughLayers(layers, stream.data(), r.up, r.down);
            ASSERT_EQ(ref.out.size(), low.size());
            for (std::size_t m = 0; first.empty() && m < low.size(); ++m)
                ASSERT_TRUE(r.multi() ? closeTo(low[m], ref.out[m], ref.mag[m])
                                      : ::testing::AssertionResult(sameValue(low[m], fromLC<O>(ref.inDouble[m])))) << m;
            if (first.empty()) first = low;
            EXPECT_TRUE(sameBits(first, low));
            for (bool twoState : {false, true})
                EXPECT_TRUE(sameBits(tail(r.history(), seen.size()), rec.historyOf(0, twoState))) << twoState;
            EXPECT_TRUE(rec.tapsBackThenCleared());
            for (int i = 0; i < 2 && r.up == 1; ++i) {
                std::vector<D> view(std::size_t(lmsLen - 1));
                api.mGetDlyl(&lt[i], &ld[i], view.data());
                EXPECT_TRUE(sameBits(tail(lmsLen - 1, seen.size()), view) && sameBits(lmsTaps[i], h)) << i;
            }
            EXPECT_TRUE(r.up > 1 || r.multi() || sameBits(slots[0], slots[1]));
        });
    });
}

INSTANTIATE_TEST_SUITE_P(Fir, FirStreams, ::testing::ValuesIn(kStreams));

// Polyphase branches (p, p + U, ...) each reversed, 16-bit ones padded to whole branches (two-state: in the
// caller's array); per output of an iteration the phase table holds branch, tap count, first sample and
// branch start. Taps come back in natural order; set up again single rate: reversed, no table.
TEST(FirRecords, TapsInFilterOrderAndPhaseTable) {
    const std::vector<float> natural = {0, 1, 2, 3, 4, 5, 6, 7}, packed = {6, 3, 0, 7, 4, 1, 5, 2};
    const std::vector<double> taps(natural.begin(), natural.end()), reversed = {3, 2, 1, 0};
    const auto v = [](const auto* p, int n) { return std::vector<double>(p, p + n); };
    FirState st{}, w{};
    vokdFirInitMr(taps.data(), 8, nullptr, 3, 1, 2, 1, &st);
    EXPECT_EQ(v(packed.data(), 8), v(static_cast<double*>(st.tapsBuf), 8));
    const std::int32_t table[3][4] = {{0, 3, 1, 0}, {2, 2, 2, 6}, {1, 3, 2, 3}};
    EXPECT_EQ(0, std::memcmp(table, st.phaseTable, sizeof table));
    vokdFirInit(taps.data(), 4, nullptr, &st);
    EXPECT_TRUE(reversed == v(static_cast<double*>(st.tapsBuf), 4) && !st.phaseTable);
    std::vector<double> back(8, 9.0);
    vokdFirGetTaps(&st, back.data());
    EXPECT_EQ(v(taps.data(), 4), v(back.data(), 4));
    vokFirFree(&st);
    vokwFirInitMr(natural.data() + 1, 7, nullptr, 3, 0, 2, 1, &w);
    EXPECT_EQ((std::vector<double>{7, 4, 1, 0, 5, 2, 0, 6, 3}), v(static_cast<float*>(w.tapsBuf), 9));
    vokFirFree(&w);
    std::vector<float> wt(natural), fback(8);
    FirTapState tap{};
    vokwFirlInitMr(wt.data(), 8, 3, 0, 2, 1, &tap);
    EXPECT_EQ(packed, wt);
    vokwFirlGetTaps(&tap, fback.data());
    EXPECT_EQ(natural, fback);
    vokwFirlGetTaps(&tap, wt.data());
    EXPECT_TRUE(wt == natural && tap.isFilterMode == 0);
    vokwFirlInit(wt.data(), 4, &tap);  // over a multirate record
    EXPECT_EQ(reversed, v(wt.data(), 4));
    EXPECT_EQ((std::vector<int>{4, 1, 0, 1, 0, 0, 1, 0}), fields(tap));
}

// One rounded sum converted to 16 bits, independently of the library.
short expected16(std::int64_t r, int mode, int sf) {
    if (mode & VOK_FIXED_SCALE) r = sf >= 0 ? (r >> sf) : r * (std::int64_t(1) << -sf);
    if (mode & VOK_SATURATE) return short(r < -32768 ? -32768 : r > 32767 ? 32767 : r);
    return short(std::uint16_t(std::uint64_t(r)));
}

// tapScale 65536: sums past 32 bits, saturated there before scaling.
struct ModeCase { int mode, factor, limit; float tapScale = 1; };

// Both layers under every scale mode at every width, in calls up to past the single-state room and of
// exactly that room (up to which the automatic factor is chosen over the whole block by both). Dyadic
// taps (k/16) make every sum exact: the outputs are the definition converted; other taps check that both
// layers round alike. Only the automatic factor is written. The second records agree.
class Fir16Streams : public ::testing::TestWithParam<Rates> {};

TEST_P(Fir16Streams, BothLayersFollowTheDefinitionUnderEveryScaleMode) {
    const Rates r = GetParam();
    const int fixSat = VOK_FIXED_SCALE | VOK_SATURATE, autoScale = VOK_AUTO_SCALE;
    const ModeCase modes[] = {
        {VOK_NO_SCALE, 0, 300}, {VOK_NO_SCALE, 0, 32767}, {VOK_SATURATE, 0, 32767}, {VOK_FIXED_SCALE, 3, 32767},
        {fixSat, 1, 32767}, {fixSat, -2, 4000}, {fixSat, 0, 32767}, {autoScale, 99, 32767}, {autoScale, 99, 200},
        {VOK_NO_SCALE, 0, 32767, 65536}, {fixSat, 16, 32767, 65536}, {autoScale, 99, 32767, 65536}};
    const int room = r.multi() ? (r.history() + r.down - 1) / r.down * r.down : r.tapsLen;
    const int calls[] = {1, 5, std::min(2 * r.tapsLen + 1, 150), room / r.down, 37};
    for (bool dyadic : {true, false}) {
        for (const ModeCase& mc : modes) {
            SCOPED_TRACE(::testing::Message() << r << " mode " << mc.mode << " sf " << mc.factor << " " << dyadic);
            std::mt19937 gen(unsigned(r.tapsLen * 13 + mc.mode * 5 + mc.limit + dyadic));
            std::vector<float> h(static_cast<std::size_t>(r.tapsLen));
            for (auto& v : h)
                v = mc.tapScale * (dyadic ? float(std::uniform_int_distribution<int>(-32, 32)(gen)) / 16.0f
                                          : std::uniform_real_distribution<float>(-1.5f, 1.5f)(gen));
            const auto history = randomShorts(gen, std::size_t(r.history()), mc.limit);
            const int iterations = std::accumulate(std::begin(calls), std::end(calls), 0);
            const auto stream = randomShorts(gen, std::size_t(iterations * r.down), mc.limit);
            const Reference ref = directMultirate(h, r, history, stream, dyadic);
            const bool automatic = mc.mode == autoScale;
            std::vector<short> first;
            forEachWidth([&] {
                Records<FilterW> rec(h, r, history);
                std::vector<short> got;
                const short* in = stream.data();
                for (int n : calls) {
                    std::vector<short> out(std::size_t(n * r.up) + 1, 777), other(out);  // a guard after each
                    int sf = mc.factor, sfHigh = mc.factor;
                    vokwbFirl(&rec.tap[0], &rec.dly[0], in, out.data(), n, mc.mode, &sf);
                    vokwbFir(&rec.st[0], in, other.data(), n, mc.mode, &sfHigh);
                    EXPECT_TRUE(out.back() == 777 && other.back() == 777);  // kept in what follows
                    if (!automatic) EXPECT_TRUE(sf == mc.factor && sfHigh == mc.factor);
                    EXPECT_TRUE((automatic && n * r.down > room) || (out == other && sf == sfHigh)) << n;
                    if (r.multi() || automatic) {
                        std::vector<short> a(out.size(), 777), b(a);
                        vokwbFirl(&rec.tap[1], &rec.dly[1], in, a.data(), n, mc.mode, &sfHigh);
                        vokwbFir(&rec.st[1], in, b.data(), n, mc.mode, &sfHigh);
                        EXPECT_TRUE(a == out && b == other);
                    }
                    for (int i = 0; !r.multi() && !automatic && i < n; ++i) {
                        EXPECT_EQ(out[i], vokwFirl(&rec.tap[1], &rec.dly[1], in[i], mc.mode, &sfHigh)) << i;
                        EXPECT_EQ(out[i], vokwFir(&rec.st[1], in[i], mc.mode, &sfHigh)) << i;
                    }
                    EXPECT_EQ(rec.historyOf(0, true), rec.historyOf(0, false));
                    std::vector<LC> exact;  // the call's sums, rounded (ties to even) and held in 32 bits
                    for (std::size_t i = got.size(); dyadic && i < got.size() + out.size() - 1; ++i)
                        exact.push_back(std::clamp(std::nearbyint(ref.out[i].real()), -0x1p31L, 0x1p31L - 1));
                    EXPECT_TRUE(!automatic || exact.empty() || sf == ffttest::autoFactor(exact));
                    std::vector<short> want;  // compared whole: tens of thousands of outputs a call
                    for (const LC& e : exact)
                        want.push_back(expected16(std::int64_t(e.real()), automatic ? fixSat : mc.mode, automatic ? sf : mc.factor));
                    const auto bad = std::mismatch(want.begin(), want.end(), out.begin());
                    EXPECT_TRUE(bad.first == want.end())
                        << "output " << got.size() + (bad.first - want.begin()) << ": " << *bad.second << " for " << *bad.first;
                    got.insert(got.end(), out.begin(), out.end() - 1);
                    in += n * r.down;
                }
                if (first.empty()) first = got;
                EXPECT_EQ(first, got);
                EXPECT_TRUE(rec.tapsBackThenCleared());
            });
        }
    }
}

// The last rows: runs of many conversion chunks, and iterations of more outputs than one chunk.
const Rates k16Rates[] = {
    {1, 0, 1, 0, 1}, {1, 0, 1, 0, 2}, {1, 0, 1, 0, 6},  {1, 0, 1, 0, 9},   {1, 0, 3, 1, 8},   {1, 0, 3, 2, 8},
    {3, 2, 1, 0, 7}, {4, 1, 3, 2, 10}, {5, 0, 2, 1, 3}, {2, 1, 2, 0, 6},   {3, 1, 2, 0, 9},   {1, 0, 1, 0, 200},
    {3, 1, 2, 0, 100}, {1, 0, 5, 2, 300}, {300, 7, 2, 1, 601}};
INSTANTIATE_TEST_SUITE_P(Fir, Fir16Streams, ::testing::ValuesIn(k16Rates));

// The 16-bit kernel of filters too long for the widened pieces (some 4096 taps, too long for the streams
// above): sums rounded to the nearest, ties to even (halves), saturated to 32 bits (huge taps), in every
// lane and tail.
TEST(Fir16Kernel, RoundsTiesToEvenAndSaturates) {
    const std::vector<float> tapSets[] = {
        {0.5f, -0.25f, 1.5f, 0, -2.5f, 0.75f}, {7e4f, 7e4f, 7e4f, 0, 0, 0}, {-1e5f, 1e-3f, 3, -7e4f, 2, 0.5f}};
    std::mt19937 gen(5u);
    const auto line = randomShorts(gen, 83, 32767);
    const short* data = line.data() + 6;
    for (const auto& taps : tapSets) {
        for (int n : {1, 5, 12, 64, 77}) {
            std::vector<std::int32_t> want(std::size_t(n) + 1, 12345);  // a guard after the outputs
            for (int t = 0; t < n; ++t) {
                double acc = 0;
                for (int j = 0; j < 6; ++j) acc += double(taps[j]) * double(data[t - j]);
                want[std::size_t(t)] = std::int32_t(std::clamp(std::nearbyint(acc), -2147483648.0, 2147483647.0));
            }
            forEachWidth([&] {
                std::vector<std::int32_t> out(want.size(), 12345);
                vok::kernels::firdot().shortByReal(taps.data(), 1, 6, data, vok::kernels::kOneLine, out.data(), 1, n);
                EXPECT_EQ(want, out) << n;
            });
        }
    }
}

constexpr const char *kNull = "Null buffer pointer", *kLen = "Invalid array length", *kValue = "Invalid value";
constexpr const char *kPhase = "Invalid phase value", *kFactor = "Invalid factor value", *kMode = "Not filter mode";
constexpr const char *kState = "Null state pointer", *kInit = "Must have been initialized";
constexpr const char *kScale = "Null scale factor pointer", *kTap = "Null Tap State pointer";
constexpr const char *kDly = "Null Dly State pointer", *kNotSet = "Filter Dlyl is not setup";
constexpr double kAuto = VOK_AUTO_SCALE;

TEST(FirErrors, BothLayersInCheckOrder) {
    forEachFilter([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        W taps[4] = {};
        D dlyl[4] = {}, in[8] = {};
        FirTapState tap{};
        FirDlyState dly{};
        // Failed calls write nowhere: records, copies and outputs all point into the table's guarded buffer.
        CheckTable step("vokfirl");
        FirTapState* badTap = step.buffer<FirTapState>();
        auto* o = step.buffer<typename A::O>();
        step(fn(api.tapsName, "FirlInit"), api.lInit,
             {{kNull, {{0}}}, {kNull, {{2}}}, {kNull, {{0}, {1, 0}}}, {kLen, {{1, 0}}}}, {taps, 4, badTap});
        step(fn(api.tapsName, "FirlInitMr"), api.lInitMr,
             {{kNull, {{0}, {1, 0}, {3, -1}}}, {kLen, {{1, 0}, {2, 0}, {3, -1}, {5, -1}}},
              {kPhase, {{2, 0}, {3, -1}, {4, 0}}}, {kPhase, {{2, 0}, {3, 0}, {4, 0}, {5, -1}}},
              {kFactor, {{2, 0}, {3, 0}}}, {kFactor, {{3, 2}}}, {kFactor, {{5, 3}}}, {kFactor, {{4, 0}}}},
             {taps, 4, 2, 1, 3, 0, badTap});
        api.lInit(taps, 4, &tap);
        step(fn(api.dataName, "FirlInitDlyl"), api.lInitDlyl, {{kNull, {{0}, {1}, {2}}}, {kNull, {{2}}}, {kNull, {{0}}},
             {kNull, {{1}}}}, {&tap, dlyl, step.buffer<FirDlyState>()});
        api.lInitDlyl(&tap, dlyl, &dly);
        step(fn(api.tapsName, "FirlSetTaps"), api.lSetTaps, {{kNull, {{1}}}}, {taps, &tap});
        step(fn(api.tapsName, "FirlGetTaps"), api.lGetTaps, {{kNull, {{0}}}, {kNull, {{1}}}}, {&tap, step.buffer<W>()});
        step(fn(api.dataName, "FirlSetDlyl"), api.lSetDlyl, {{kNull, {{0}}}, {kNull, {{2}}}}, {&tap, dlyl, &dly});
        // Set up but never set: not in filter mode.
        step(fn(api.dataName, "FirlGetDlyl"), api.lGetDlyl,
             {{kNull, {{1}}}, {kNull, {{0}}}, {kNull, {{2}}}, {kMode, {}}}, {&tap, &dly, step.buffer<D>()});
        step(fn(api.name, "Firl"), api.firl, {{kNull, {{0}}}, {kNull, {{1}}}}, {&tap, &dly, D{}});
        step(fn(api.name, "bFirl"), api.bfirl, {{kNull, {{0}}}, {kNull, {{1}}}, {kNull, {{2}, {4, 0}}},
             {kNull, {{3}, {4, 0}}}, {kLen, {{4, 0}}}, {kMode, {}}}, {&tap, &dly, in, o, 1});
        api.lSetDlyl(&tap, nullptr, &dly);
        api.lGetTaps(&tap, taps);  // the caller takes its array back
        step(fn(api.name, "bFirl"), api.bfirl, {{kMode, {}}}, {&tap, &dly, in, o, 1});
        step(fn(api.tapsName, "FirlGetTaps"), api.lGetTaps, {{kMode, {}}}, {&tap, step.buffer<W>()});
        // Setting the taps again returns to filter mode and filtering runs.
        typename A::O y[1];
        step.run([&] { api.lSetTaps(taps, &tap); }, {});
        step.run([&] { api.bfirl(&tap, &dly, in, y, 1); }, {});
        // The one-sample form is single rate only.
        api.lInitMr(taps, 4, 2, 0, 1, 0, &tap);
        api.lInitDlyl(&tap, dlyl, &dly);
        api.lSetDlyl(&tap, nullptr, &dly);
        step(fn(api.name, "Firl"), api.firl, {{kFactor, {}}}, {&tap, &dly, fromLC<D>(1)});
        EXPECT_TRUE(sameBits(dlyl[0], D{}));

        CheckTable high("vokfirh");
        FirState* st = high.buffer<FirState>();  // never initialised: its selfRef is not its address
        high(fn(api.name, "FirInit"), api.hInit, {{kState, {{3}}}, {kValue, {{1, 0}}}}, {taps, 4, nullptr, st});
        high(fn(api.name, "FirInitMr"), api.hInitMr,
             {{kState, {{7}}}, {kValue, {{3, 0}}}, {kValue, {{4, -1}}}, {kValue, {{4, 2}}}, {kValue, {{5, 0}}},
              {kValue, {{6, -1}}}, {kValue, {{6, 3}}}, {kValue, {{1, 0}}}}, {taps, 4, nullptr, 2, 1, 3, 2, st});
        const std::vector<BadArg> stateThenInit = {{kState, {{0}}}, {kInit, {{1}}}};
        const std::vector<BadArg> initThenState = {{kState, {{1}}}, {kInit, {}}};
        high(fn(api.tapsName, "FirSetTaps"), api.hSetTaps, initThenState, {taps, st});
        high(fn(api.tapsName, "FirGetTaps"), api.hGetTaps, stateThenInit, {st, step.buffer<W>()});
        high(fn(api.dataName, "FirSetDlyl"), api.hSetDlyl, initThenState, {in, st});
        high(fn(api.dataName, "FirGetDlyl"), api.hGetDlyl, stateThenInit, {st, step.buffer<D>()});
        high("vokFirFree", vokFirFree, {{kState, {{0}}}, {kInit, {}}}, {st});
        high(fn(api.name, "Fir"), api.fir, {{kState, {{0}}}, {kInit, {}}}, {st, D{}});
        high(fn(api.name, "bFir"), api.bfir, {{kState, {{0}}}, {kInit, {}}}, {st, nullptr, nullptr, 0});
        FirState good{};
        api.hInit(taps, 4, nullptr, &good);
        const std::vector<BadArg> blockRows = {{kNull, {{1}, {3, 0}}}, {kNull, {{2}, {3, 0}}}, {kValue, {{3, 0}}}};
        high(fn(api.name, "bFir"), api.bfir, blockRows, {&good, in, o, 1});
        high(fn(api.tapsName, "FirGetTaps"), api.hGetTaps, {{kNull, {{1}}}}, {&good, step.buffer<W>()});
        high(fn(api.dataName, "FirGetDlyl"), api.hGetDlyl, {{kNull, {{1}}}}, {&good, step.buffer<D>()});
        vokFirFree(&good);  // a freed record counts as uninitialised
        EXPECT_EQ(nullptr, good.selfRef);
        high(fn(api.name, "bFir"), api.bfir, {{kInit, {}}}, {&good, in, o, 1});
        high("vokFirFree", vokFirFree, {{kInit, {}}}, {&good});
    });
}

TEST(FirErrors, SixteenBitInCheckOrder) {
    float taps[4] = {1, 2, 3, 4}, mtaps[4] = {1, 2, 3, 4};
    short line[4] = {}, mline[2] = {}, in[4] = {1, 2, 3, 4};
    FirTapState tap{}, multi{};
    FirDlyState dly{}, mdly{};
    CheckTable step("vokfirlw");
    FirTapState* badTap = step.buffer<FirTapState>();
    short* o = step.buffer<short>();
    step("vokwFirlInit", vokwFirlInit, {{kTap, {{0}}}, {kTap, {{2}}}, {kLen, {{1, 0}}}}, {taps, 4, badTap});
    step("vokwFirlInitMr", vokwFirlInitMr, {{kTap, {{6}}}, {kLen, {{1, 0}}}, {kPhase, {{3, -1}}}, {kFactor, {{3, 2}}},
         {kFactor, {{5, 1}}}}, {taps, 4, 2, 0, 1, 0, badTap});
    vokwFirlInit(taps, 4, &tap);
    step("vokwFirlInitDlyl", vokwFirlInitDlyl, {{kDly, {{1}}}, {kNull, {{2}}}}, {&tap, line, &dly});
    vokwFirlInitDlyl(&tap, line, &dly);
    step("vokwFirlGetDlyl", vokwFirlGetDlyl, {{kNotSet, {}}}, {&tap, &dly, step.buffer<short>()});
    step("vokwFirlSetDlyl", vokwFirlSetDlyl, {{kDly, {{2}}}, {kTap, {{0}}}}, {&tap, nullptr, &dly});
    step("vokwFirlSetTaps", vokwFirlSetTaps, {{kTap, {{1}}}}, {taps, &tap});
    step("vokwFirlGetTaps", vokwFirlGetTaps, {{kTap, {{0}}}, {kNull, {{1}}}}, {&tap, step.buffer<float>()});
    step("vokwFirl", vokwFirl, {{kNotSet, {}}}, {&tap, &dly, 5, VOK_NO_SCALE, nullptr});
    step("vokwbFirl", vokwbFirl, {{kNotSet, {}}}, {&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr});
    vokwFirlSetDlyl(&tap, nullptr, &dly);
    step("vokwbFirl", vokwbFirl, {{kTap, {{0}}}, {kDly, {{1}}}, {kNull, {{2}, {4, 0}, {5, kAuto}}},
         {kNull, {{3}, {4, 0}, {5, kAuto}}}, {kLen, {{4, 0}, {5, kAuto}}}, {kScale, {{5, kAuto}}}},
         {&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr});
    step("vokwFirl", vokwFirl, {{kScale, {{3, kAuto}}}}, {&tap, &dly, 5, VOK_NO_SCALE, nullptr});
    step.run(robust::starved(1, [&] { vokwbFirl(&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr); }),
             {{VOK_StatusNoMemory, "vokwbFirl", "Allocation failure", "vokfirlw"}});
    vokwFirlGetTaps(&tap, taps);  // own array: leaves filter mode
    step("vokwbFirl", vokwbFirl, {{"Filter Taps is not setup", {}}}, {&tap, &dly, in, o, 1, VOK_NO_SCALE, nullptr});
    step.run([&] {
        robust::starve(1, [&] { vokwFirlInitMr(mtaps, 4, 2, 0, 1, 0, &multi); });  // the copy reordering multirate taps
        EXPECT_TRUE(vokGetErrStatus() == VOK_StatusNoMemory && multi.isFilterMode == 0);
    }, {});  // the status alone, no report
    EXPECT_EQ((std::vector<float>{1, 2, 3, 4}), std::vector<float>(mtaps, mtaps + 4));
    vokwFirlInitMr(mtaps, 4, 2, 0, 1, 0, &multi);
    vokwFirlInitDlyl(&multi, mline, &mdly);
    vokwFirlSetDlyl(&multi, nullptr, &mdly);
    step("vokwFirl", vokwFirl, {{"MultiRate filter", {}}}, {&multi, &mdly, 5, VOK_NO_SCALE, nullptr});
    for (short s : line) EXPECT_EQ(0, s);

    CheckTable high("vokfirhw");
    FirState* bad = high.buffer<FirState>();
    const float* h = taps;
    high("vokwFirInit", vokwFirInit, {{kState, {{3}}}, {kValue, {{1, 0}}}}, {h, 4, nullptr, bad});
    high("vokwFirInitMr", vokwFirInitMr, {{kState, {{7}}}, {kValue, {{3, 0}}}, {kValue, {{5, 0}}}, {kValue, {{4, 2}}},
         {kValue, {{5, 3}, {6, -1}}}, {kValue, {{1, 0}, {5, 3}}}}, {h, 4, nullptr, 2, 0, 1, 0, bad});
    FirState st{};
    high("vokwFirSetTaps", vokwFirSetTaps, {{kState, {{1}}}, {kInit, {}}}, {h, &st});
    high("vokwFirGetTaps", vokwFirGetTaps, {{kInit, {}}}, {&st, step.buffer<float>()});
    high("vokwFirSetDlyl", vokwFirSetDlyl, {{kInit, {}}}, {in, &st});
    high("vokwFirGetDlyl", vokwFirGetDlyl, {{kState, {{0}}}}, {&st, step.buffer<short>()});
    high("vokwFir", vokwFir, {{kInit, {}}}, {&st, 1, VOK_NO_SCALE, nullptr});
    high("vokwbFir", vokwbFir, {{kInit, {}}}, {&st, in, o, 1, VOK_NO_SCALE, nullptr});
    vokwFirInit(h, 4, nullptr, &st);
    high("vokwFirGetTaps", vokwFirGetTaps, {{kNull, {{1}}}}, {&st, step.buffer<float>()});
    high("vokwFirGetDlyl", vokwFirGetDlyl, {{kNull, {{1}}}}, {&st, step.buffer<short>()});
    high("vokwFir", vokwFir, {{kState, {{0}}}, {kScale, {{2, VOK_AUTO_SCALE}}}}, {&st, 1, VOK_NO_SCALE, nullptr});
    high("vokwbFir", vokwbFir, {{kState, {{0}}}, {kNull, {{1}, {3, 0}, {4, kAuto}}}, {kNull, {{2}, {3, 0}, {4, kAuto}}},
         {kValue, {{3, 0}, {4, kAuto}}}, {kScale, {{4, kAuto}}}}, {&st, in, o, 1, VOK_NO_SCALE, nullptr});
    vokFirFree(&st);
    high("vokwbFir", vokwbFir, {{kInit, {}}}, {&st, in, o, 1, VOK_NO_SCALE, nullptr});
}

// Every array of every initialisation may fail in turn: one "Allocation failure", the record uninitialised
// with nothing left allocated (the sanitizer build checks the leak); re-initialising releases the old arrays.
TEST(FirErrors, AllocationFailureLeavesRecordUninitialised) {
    const auto sweep = [](const std::string& function, const char* module, int allocations, auto init) {
        FirState st{};
        const auto check = [&] {
            const bool made = st.selfRef == &st, clear = !st.tapsBuf && !st.sampleBuf && !st.phaseTable;
            if (made) vokFirFree(&st);
            return robust::Observed{!made && clear, made};
        };
        const std::string want = "failed=all allocations=" + std::to_string(allocations);
        robust::sweep(function, {[&] { st = {}; }, [&] { init(&st); }, check},
                      {{{VOK_StatusNoMemory, function.c_str(), "Allocation failure", module}}}, {.want = want.c_str()});
    };
    const float h[5] = {1, 2, 3, 4, 5};
    sweep("vokwFirInit", "vokfirhw", 2, [&](FirState* s) { vokwFirInit(h, 5, nullptr, s); });
    sweep("vokwFirInitMr", "vokfirhw", 3, [&](FirState* s) { vokwFirInitMr(h, 5, nullptr, 2, 1, 3, 0, s); });
    forEachFilter([&](const auto& api) {
        typename std::decay_t<decltype(api)>::W taps[5] = {};
        const auto initMr = [&](FirState* s) { api.hInitMr(taps, 5, nullptr, 2, 1, 3, 0, s); };
        sweep(fn(api.name, "FirInitMr"), "vokfirh", 3, initMr);
        FirState st{};
        ReportRecorder r;
        initMr(&st);
        api.hInit(taps, 5, nullptr, &st);
        robust::starve(2, [&] { api.hInit(taps, 5, nullptr, &st); });
        EXPECT_REPORTS(r, {VOK_StatusNoMemory, fn(api.name, "FirInit").c_str(), "Allocation failure", "vokfirh"});
        EXPECT_TRUE(!st.selfRef && !st.tapsBuf && !st.sampleBuf && !st.phaseTable);
    });
}

}  // namespace
