// What initialisation and the access functions leave in the records: the
// rate fields, lengths and room of both layers, the filter-order taps of the
// single-state record and its polyphase table, and the filter-mode round trips
// of the two-state arrays.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fir_support.h"
#include "support/reports.h"

namespace {

using namespace firtest;

std::vector<int> fields(const FirTapState& t) {
    return {t.len, t.upFactor, t.upPhase, t.downFactor, t.downPhase, t.isMultiRate, t.isFilterMode, t.reserved};
}

TEST(FirlRecords, TapsAndDelayLineRoundTrips) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        std::mt19937 gen(5);
        for (bool multi : {false, true}) {
            SCOPED_TRACE(multi);
            auto taps = randomVector<W>(gen, 6);
            const auto original = taps;
            FirTapState tap;
            FirDlyState dly;
            std::memset(&tap, 0x5a, sizeof tap);
            std::memset(&dly, 0x5a, sizeof dly);
            if (multi) api.lInitMr(taps.data(), 6, 2, 1, 3, 0, &tap);
            else api.lInit(taps.data(), 6, &tap);
            EXPECT_EQ((multi ? std::vector<int>{6, 2, 1, 3, 0, 1, 1, 0} : std::vector<int>{6, 1, 0, 1, 0, 0, 1, 0}),
                      fields(tap));
            EXPECT_EQ(static_cast<void*>(taps.data()), tap.taps);
            const int n = multi ? 3 : 5;
            std::vector<D> line(6);
            api.lInitDlyl(&tap, line.data(), &dly);
            EXPECT_EQ(static_cast<void*>(line.data()), dly.dlyl);
            EXPECT_EQ(multi ? 3 : 6, dly.len);
            EXPECT_EQ(0, dly.isFilterMode);
            const auto chrono = randomVector<D>(gen, std::size_t(n));

            // A separate array: copied in reversed (newest in slot 0), copied back chronologically.
            api.lSetDlyl(&tap, chrono.data(), &dly);
            for (int i = 0; i < n; ++i) EXPECT_EQ(asLC(chrono[std::size_t(n - 1 - i)]), asLC(line[std::size_t(i)]));
            std::vector<D> back(static_cast<std::size_t>(n));
            api.lGetDlyl(&tap, &dly, back.data());
            EXPECT_EQ(0, std::memcmp(back.data(), chrono.data(), sizeof(D) * std::size_t(n)));
            EXPECT_EQ(1, dly.isFilterMode);

            // The record's own array: reversed in place both ways, leaving filter mode.
            api.lGetDlyl(&tap, &dly, line.data());
            EXPECT_EQ(0, dly.isFilterMode);
            EXPECT_EQ(0, std::memcmp(line.data(), chrono.data(), sizeof(D) * std::size_t(n)));
            api.lSetDlyl(&tap, line.data(), &dly);
            EXPECT_EQ(1, dly.isFilterMode);
            EXPECT_EQ(asLC(chrono[std::size_t(n - 1)]), asLC(line[0]));
            api.lSetDlyl(&tap, line.data(), &dly);  // already in filter mode: nothing moves
            EXPECT_EQ(asLC(chrono[std::size_t(n - 1)]), asLC(line[0]));

            // Null clears the visible slots only.
            const D scratch = line[5];
            api.lSetDlyl(&tap, nullptr, &dly);
            for (int i = 0; i < n; ++i) EXPECT_EQ(LC(0), asLC(line[std::size_t(i)]));
            if (!multi) EXPECT_EQ(asLC(scratch), asLC(line[5]));

            // Taps: a separate array is a copy; the own array hands ownership back.
            std::vector<W> got(6);
            api.lGetTaps(&tap, got.data());
            EXPECT_EQ(0, std::memcmp(got.data(), original.data(), sizeof(W) * 6));
            const auto other = randomVector<W>(gen, 6);
            api.lSetTaps(other.data(), &tap);
            EXPECT_EQ(0, std::memcmp(taps.data(), other.data(), sizeof(W) * 6));
            api.lGetTaps(&tap, taps.data());
            EXPECT_EQ(0, tap.isFilterMode);
            api.lSetTaps(nullptr, &tap);
            EXPECT_EQ(1, tap.isFilterMode);
            for (const W& w : taps) EXPECT_EQ(LC(0), asLC(w));
        }
    });
}

// Two-state delay lines: L single rate, ceil(L / U) multirate (factors 1 and
// 1 are single rate); the taps are used in place, never reordered.
TEST(FirlRecords, DelayLineLengths) {
    double taps[7] = {1, 2, 3, 4, 5, 6, 7}, dlyl[7];
    FirTapState tap;
    FirDlyState dly;
    for (auto [up, down, len] : std::vector<std::array<int, 3>>{
             {1, 1, 7}, {3, 1, 3}, {3, 2, 3}, {1, 4, 7}, {2, 2, 4}, {4, 1, 2}, {8, 3, 1}}) {
        vokdFirlInitMr(taps, 7, up, up - 1, down, down - 1, &tap);
        EXPECT_EQ((std::vector<int>{7, up, up - 1, down, down - 1, up > 1 || down > 1, 1, 0}), fields(tap));
        vokdFirlInitDlyl(&tap, dlyl, &dly);
        EXPECT_EQ(len, dly.len) << up;
    }
    for (int k = 0; k < 7; ++k) EXPECT_EQ(k + 1, taps[k]);
}

TEST(FirRecords, LengthsRoomAndUnrollWidths) {
    struct Case {
        int up, upPhase, down, downPhase, tapsLen, dlyLen, floatRoom, otherRoom;
    };
    // Room base 128 for float taps, 64 otherwise; multirate room a multiple of D.
    for (Case c : {Case{1, 0, 1, 0, 10, 9, 128, 64}, Case{1, 0, 1, 0, 200, 199, 200, 200},
                   Case{1, 0, 1, 0, 1, 0, 128, 64}, Case{2, 1, 3, 0, 10, 5, 129, 63},
                   Case{3, 0, 4, 2, 300, 100, 128, 100}, Case{1, 0, 5, 4, 7, 7, 130, 65}}) {
        SCOPED_TRACE(c.tapsLen);
        FirState s{}, z{}, cs{};
        std::vector<float> fl(std::size_t(c.tapsLen), 0.0f);
        std::vector<DoubleComplex> zt(std::size_t(c.tapsLen), DoubleComplex{0, 0});
        voksFirInitMr(fl.data(), c.tapsLen, nullptr, c.up, c.upPhase, c.down, c.downPhase, &s);
        vokzFirInitMr(zt.data(), c.tapsLen, nullptr, c.up, c.upPhase, c.down, c.downPhase, &z);
        vokcsFirInitMr(fl.data(), c.tapsLen, nullptr, c.up, c.upPhase, c.down, c.downPhase, &cs);
        for (FirState* st : {&s, &z, &cs}) {
            EXPECT_EQ(static_cast<void*>(st), st->selfRef);
            EXPECT_EQ(c.dlyLen, st->dlyLen);
            EXPECT_EQ(c.tapsLen, st->tapsLen);
            EXPECT_EQ(c.up > 1 || c.down > 1 ? 1 : 0, st->isMultiRate);
            EXPECT_EQ(st->sampleBuf, st->window);
            EXPECT_EQ(c.up > 1 || c.down > 1, st->phaseTable != nullptr);
        }
        EXPECT_EQ(c.floatRoom, s.bufRoom);
        EXPECT_EQ(c.floatRoom, cs.bufRoom);
        EXPECT_EQ(c.otherRoom, z.bufRoom);
        EXPECT_EQ(static_cast<char*>(s.sampleBuf) + sizeof(float) * std::size_t(s.bufRoom), s.bufWrap);
        EXPECT_EQ(static_cast<char*>(z.sampleBuf) + sizeof(DoubleComplex) * std::size_t(z.bufRoom), z.bufWrap);
        for (FirState* st : {&s, &z, &cs}) vokFirFree(st);
    }
    int widths[8];
    forEachApi([&, i = 0](const auto& api) mutable {
        using W = typename std::decay_t<decltype(api)>::W;
        std::vector<W> taps(11);
        FirState st{};
        api.hInit(taps.data(), 11, nullptr, &st);
        widths[i++] = st.tapsLenUnrolled;
        vokFirFree(&st);
    });
    // s d c z sc cs dz zd: unrolled by 8, 4, 4, 2, 4, 4, 2, 2.
    const int want[8] = {8, 8, 8, 10, 8, 8, 10, 10};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(want[i], widths[i]) << i;
}

TEST(FirRecords, TapsInFilterOrderAndPhaseTable) {
    const double taps[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    FirState st{};
    vokdFirInitMr(taps, 8, nullptr, 3, 1, 2, 1, &st);
    // Branches of 3, 3 and 2 taps (p, p+3, p+6), each reversed.
    const double packed[8] = {6, 3, 0, 7, 4, 1, 5, 2};
    EXPECT_EQ(0, std::memcmp(packed, st.tapsBuf, sizeof packed));
    // Per output of an iteration: branch, tap count, first sample, branch start.
    const std::int32_t table[3][4] = {{0, 3, 1, 0}, {2, 2, 2, 6}, {1, 3, 2, 3}};
    EXPECT_EQ(0, std::memcmp(table, st.phaseTable, sizeof table));
    double back[8] = {};
    vokdFirGetTaps(&st, back);
    EXPECT_EQ(0, std::memcmp(taps, back, sizeof back));

    vokdFirInit(taps, 4, nullptr, &st);  // re-initialised: single rate, fully reversed
    const double reversed[4] = {3, 2, 1, 0};
    EXPECT_EQ(0, std::memcmp(reversed, st.tapsBuf, sizeof reversed));
    EXPECT_EQ(nullptr, st.phaseTable);
    vokdFirGetTaps(&st, back);
    EXPECT_EQ(0, std::memcmp(taps, back, sizeof(double) * 4));
    vokFirFree(&st);
    EXPECT_EQ(nullptr, st.phaseTable);
}

TEST(FirRecords, AccessFunctionsKeepNaturalAndChronologicalOrder) {
    forEachApi([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        using D = typename A::D;
        using W = typename A::W;
        using O = typename A::O;
        std::mt19937 gen(9);
        for (Rates r : {Rates{1, 0, 1, 0, 9}, Rates{4, 1, 3, 2, 9}, Rates{1, 0, 2, 1, 5}}) {
            SCOPED_TRACE(r);
            // Null taps and history: silence in, silence out.
            FirState st{};
            api.hInitMr(nullptr, r.tapsLen, nullptr, r.up, r.upPhase, r.down, r.downPhase, &st);
            const auto in = randomVector<D>(gen, std::size_t(4 * r.down));
            std::vector<O> out(std::size_t(4 * r.up));
            api.bfir(&st, in.data(), out.data(), 4);
            for (const O& o : out) EXPECT_EQ(LC(0), asLC(o));

            const auto taps = randomVector<W>(gen, std::size_t(r.tapsLen));
            api.hSetTaps(taps.data(), &st);
            std::vector<W> back(taps.size());
            api.hGetTaps(&st, back.data());
            EXPECT_EQ(0, std::memcmp(taps.data(), back.data(), sizeof(W) * taps.size()));

            const auto line = randomVector<D>(gen, std::size_t(st.dlyLen));
            api.hSetDlyl(line.data(), &st);
            std::vector<D> got(line.size());
            api.hGetDlyl(&st, got.data());
            EXPECT_EQ(0, std::memcmp(line.data(), got.data(), sizeof(D) * line.size()));
            api.hSetDlyl(nullptr, &st);
            api.hGetDlyl(&st, got.data());
            for (const D& d : got) EXPECT_EQ(LC(0), asLC(d));
            vokFirFree(&st);
        }
    });
}

}  // namespace
