// What initialisation and the access functions leave in the records of both
// layers: rate fields, lengths and room, the filter-order taps and polyphase
// table, and the filter-mode round trips of the two-state arrays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "voktest/filter_calls.h"

namespace {

using namespace voktest;

std::vector<int> fields(const FirTapState& t) {
    return {t.len, t.upFactor, t.upPhase, t.downFactor, t.downPhase, t.isMultiRate, t.isFilterMode, t.reserved};
}

template <class T> std::vector<LC> lc(const T* p, int n) {
    std::vector<LC> v;
    for (int i = 0; i < n; ++i) v.push_back(asLC(p[i]));
    return v;
}

TEST(FirRecords, TwoStateRoundTrips) {
    forEachFilter([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        for (bool multi : {false, true}) {
            SCOPED_TRACE(multi);
            auto taps = randomVector<W>(6, 5 + multi);
            const auto original = taps, other = randomVector<W>(6, 7);
            FirTapState tap;
            FirDlyState dly;
            std::memset(&tap, 0x5a, sizeof tap);
            std::memset(&dly, 0x5a, sizeof dly);
            if (multi) api.lInitMr(taps.data(), 6, 2, 1, 3, 0, &tap);
            else api.lInit(taps.data(), 6, &tap);
            EXPECT_EQ((std::vector<int>{6, multi ? 2 : 1, multi, multi ? 3 : 1, 0, multi, 1, 0}), fields(tap));
            EXPECT_EQ(static_cast<void*>(taps.data()), tap.taps);
            const int n = multi ? 3 : 5;
            std::vector<D> line(6);
            api.lInitDlyl(&tap, line.data(), &dly);
            EXPECT_EQ(static_cast<void*>(line.data()), dly.dlyl);
            EXPECT_EQ((std::vector<int>{multi ? 3 : 6, 0}), (std::vector<int>{dly.len, dly.isFilterMode}));
            const auto chrono = randomVector<D>(n, 9);
            std::vector<LC> reversed = lc(chrono.data(), n);
            std::reverse(reversed.begin(), reversed.end());
            // A separate array is copied in reversed (newest in slot 0).
            api.lSetDlyl(&tap, chrono.data(), &dly);
            EXPECT_EQ(reversed, lc(line.data(), n));
            EXPECT_EQ(1, dly.isFilterMode);
            // The record's own array: reversed in place both ways, leaving and entering filter mode;
            // set again in filter mode, nothing moves.
            api.lGetDlyl(&tap, &dly, line.data());
            EXPECT_EQ(0, dly.isFilterMode);
            EXPECT_EQ(lc(chrono.data(), n), lc(line.data(), n));
            for (int again = 0; again < 2; ++again) {
                api.lSetDlyl(&tap, line.data(), &dly);
                EXPECT_EQ(1, dly.isFilterMode);
                EXPECT_EQ(reversed, lc(line.data(), n));
            }
            // Null clears the visible slots only.
            const D scratch = line[5];
            api.lSetDlyl(&tap, nullptr, &dly);
            EXPECT_EQ(std::vector<LC>(std::size_t(n)), lc(line.data(), n));
            if (!multi) EXPECT_TRUE(sameBits(scratch, line[5]));
            // Taps: a separate array is a copy; the own array hands ownership back.
            std::vector<W> got(6);
            api.lGetTaps(&tap, got.data());
            EXPECT_EQ(lc(original.data(), 6), lc(got.data(), 6));
            api.lSetTaps(other.data(), &tap);
            EXPECT_EQ(lc(other.data(), 6), lc(taps.data(), 6));
            api.lGetTaps(&tap, taps.data());
            EXPECT_EQ(0, tap.isFilterMode);
            api.lSetTaps(nullptr, &tap);
            EXPECT_EQ(1, tap.isFilterMode);
            EXPECT_EQ(std::vector<LC>(6), lc(taps.data(), 6));
        }
    });
}

// Two-state delay lines: L single rate, ceil(L / U) multirate (factors 1 and
// 1 are single rate), the taps used in place, never reordered. Single-state
// history: L - 1 single rate, ceil(L / U) multirate; room: at least the
// history and base - 1 (base 128 for float taps, 64 otherwise) plus one,
// multirate a multiple of D; 16-bit: the taps single rate, the history to a
// multiple of D multirate, taps padded to whole branches.
TEST(FirRecords, LengthsAndRoom) {
    const int cases[][5] = {{1, 0, 1, 0, 7},  {3, 2, 1, 0, 7},  {3, 2, 2, 1, 7},  {1, 0, 4, 3, 7},
                            {2, 1, 2, 1, 7},  {4, 3, 1, 0, 7},  {8, 7, 3, 2, 7},  {1, 0, 1, 0, 200},
                            {1, 0, 1, 0, 1},  {2, 1, 3, 0, 10}, {3, 0, 4, 2, 300}, {1, 0, 5, 4, 7}};
    for (auto [up, upPhase, down, downPhase, len] : cases) {
        SCOPED_TRACE(::testing::Message() << up << " " << down << " " << len);
        const bool multi = up > 1 || down > 1;
        const int history = multi ? (len + up - 1) / up : len - 1;
        auto room = [&](int base) {
            const int r = history < base ? base - 1 : history;
            return multi ? down * ((r + down - 1) / down) : r + 1;
        };
        std::vector<double> taps(static_cast<std::size_t>(len)), line(taps.size());
        for (int k = 0; k < len; ++k) taps[std::size_t(k)] = k + 1;
        const auto before = taps;
        FirTapState tap;
        FirDlyState dly;
        vokdFirlInitMr(taps.data(), len, up, upPhase, down, downPhase, &tap);
        EXPECT_EQ((std::vector<int>{len, up, upPhase, down, downPhase, multi, 1, 0}), fields(tap));
        vokdFirlInitDlyl(&tap, line.data(), &dly);
        EXPECT_EQ(multi ? history : len, dly.len);
        EXPECT_EQ(before, taps);
        FirState s{}, z{}, cs{}, w{};
        std::vector<float> fl(std::size_t(len), 0.0f);
        std::vector<DoubleComplex> zt(std::size_t(len), DoubleComplex{0, 0});
        voksFirInitMr(fl.data(), len, nullptr, up, upPhase, down, downPhase, &s);
        vokzFirInitMr(zt.data(), len, nullptr, up, upPhase, down, downPhase, &z);
        vokcsFirInitMr(fl.data(), len, nullptr, up, upPhase, down, downPhase, &cs);
        vokwFirInitMr(fl.data(), len, nullptr, up, upPhase, down, downPhase, &w);
        for (FirState* st : {&s, &z, &cs, &w}) {
            EXPECT_EQ(static_cast<void*>(st), st->selfRef);
            EXPECT_EQ(history, st->dlyLen);
            EXPECT_EQ(multi, st->isMultiRate);
            EXPECT_EQ(multi, st->phaseTable != nullptr);
        }
        for (FirState* st : {&s, &z, &cs}) {
            EXPECT_EQ(len, st->tapsLen);
            EXPECT_EQ(st->sampleBuf, st->window);
        }
        const int shortRoom = multi ? down * ((history + down - 1) / down) : len;
        EXPECT_EQ((std::vector<int>{room(128), room(128), room(64), shortRoom}),
                  (std::vector<int>{s.bufRoom, cs.bufRoom, z.bufRoom, w.bufRoom}));
        EXPECT_EQ(multi ? (len + up - 1) / up * up : len, w.tapsLen);
        EXPECT_EQ(0, w.tapsLenUnrolled);
        EXPECT_EQ(static_cast<char*>(s.sampleBuf) + sizeof(float) * std::size_t(s.bufRoom), s.bufWrap);
        EXPECT_EQ(static_cast<char*>(z.sampleBuf) + sizeof(DoubleComplex) * std::size_t(z.bufRoom), z.bufWrap);
        for (FirState* st : {&s, &z, &cs, &w}) vokFirFree(st);
    }
    // s d c z sc cs dz zd: 11 taps unrolled by 8, 4, 4, 2, 4, 4, 2, 2.
    std::vector<int> widths;
    forEachFilter([&](const auto& api) {
        std::vector<typename std::decay_t<decltype(api)>::W> taps(11);
        FirState st{};
        api.hInit(taps.data(), 11, nullptr, &st);
        widths.push_back(st.tapsLenUnrolled);
        vokFirFree(&st);
    });
    EXPECT_EQ((std::vector<int>{8, 8, 8, 10, 8, 8, 10, 10}), widths);
}

// Branches of the polyphase taps (p, p + U, ...) each reversed, padded with
// zeros to whole branches in the 16-bit single-state record; per output of an
// iteration the phase table holds branch, tap count, first sample and branch
// start. The taps come back in natural order; re-initialised single rate,
// reversed with no table.
TEST(FirRecords, TapsInFilterOrderAndPhaseTable) {
    const double taps[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    const float ftaps[8] = {0, 1, 2, 3, 4, 5, 6, 7}, packed[8] = {6, 3, 0, 7, 4, 1, 5, 2}, reversed[4] = {3, 2, 1, 0};
    FirState st{}, w{};
    vokdFirInitMr(taps, 8, nullptr, 3, 1, 2, 1, &st);
    EXPECT_EQ(lc(packed, 8), lc(static_cast<double*>(st.tapsBuf), 8));
    const std::int32_t table[3][4] = {{0, 3, 1, 0}, {2, 2, 2, 6}, {1, 3, 2, 3}};
    EXPECT_EQ(0, std::memcmp(table, st.phaseTable, sizeof table));
    vokwFirInitMr(ftaps + 1, 7, nullptr, 3, 0, 2, 1, &w);
    const float padded[9] = {7, 4, 1, 0, 5, 2, 0, 6, 3};
    EXPECT_EQ(lc(padded, 9), lc(static_cast<float*>(w.tapsBuf), 9));
    float fback[8] = {};
    vokwFirGetTaps(&w, fback);
    EXPECT_EQ(lc(ftaps + 1, 7), lc(fback, 7));
    vokwFirSetTaps(nullptr, &w);  // null arrays clear
    vokwFirGetTaps(&w, fback);
    EXPECT_EQ(std::vector<LC>(7), lc(fback, 7));
    short dl[3] = {9, 9, 9};
    vokwFirGetDlyl(&w, dl);
    EXPECT_EQ(std::vector<LC>(3), lc(dl, 3));
    vokFirFree(&w);
    EXPECT_EQ(nullptr, w.selfRef);
    double back[8] = {};
    vokdFirGetTaps(&st, back);
    EXPECT_EQ(lc(taps, 8), lc(back, 8));
    vokdFirInit(taps, 4, nullptr, &st);
    EXPECT_EQ(lc(reversed, 4), lc(static_cast<double*>(st.tapsBuf), 4));
    EXPECT_EQ(nullptr, st.phaseTable);
    vokdFirGetTaps(&st, back);
    EXPECT_EQ(lc(taps, 4), lc(back, 4));
    vokFirFree(&st);
    EXPECT_EQ(nullptr, st.phaseTable);
    // The 16-bit two-state taps are rearranged in the caller's array.
    float wt[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    FirTapState tap{};
    vokwFirlInitMr(wt, 8, 3, 0, 2, 1, &tap);
    EXPECT_EQ(lc(packed, 8), lc(wt, 8));
    vokwFirlGetTaps(&tap, fback);
    EXPECT_EQ(lc(ftaps, 8), lc(fback, 8));
    vokwFirlGetTaps(&tap, wt);  // in place: natural order, out of filter mode
    EXPECT_EQ(0, tap.isFilterMode);
    EXPECT_EQ(lc(ftaps, 8), lc(wt, 8));
    vokwFirlInit(wt, 4, &tap);  // over a multirate record: every rate field back to single rate
    EXPECT_EQ(lc(reversed, 4), lc(wt, 4));
    EXPECT_EQ((std::vector<int>{4, 1, 0, 1, 0, 0, 1, 0}), fields(tap));
}

}  // namespace
