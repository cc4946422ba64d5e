// The LMS records: what initialisation writes, the delay-line lengths, the
// chronological view of the delay line, taps ownership and filter mode, the
// step and leak accessors, and the word layout.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "lms_support.h"
#include "support/reports.h"

namespace {

using namespace lmstest;
using voktest::ReportRecorder;

TEST(LmsRecords, WordLayout) {
    // pointer, seven words, leak, step, errDly, lmsType
    EXPECT_EQ(offsetof(LmsTapState, len), sizeof(void*));
    EXPECT_EQ(offsetof(LmsTapState, isFilterMode), sizeof(void*) + 6 * sizeof(int));
    EXPECT_EQ(offsetof(LmsTapState, leak), sizeof(void*) + 7 * sizeof(int));
    EXPECT_EQ(offsetof(LmsTapState, lmsType), sizeof(void*) + 10 * sizeof(int));
    EXPECT_EQ(offsetof(LmsDlyState, isAdapt), sizeof(void*) + 2 * sizeof(int));
    EXPECT_EQ(offsetof(LmsState, tapState), 0u);
    EXPECT_GE(offsetof(LmsState, dlyState), sizeof(LmsTapState));
    EXPECT_GE(offsetof(LmsState, errVal), offsetof(LmsState, dlyState) + sizeof(LmsDlyState));
    if (sizeof(void*) == 4) {
        EXPECT_EQ(sizeof(LmsTapState), 48u);
        EXPECT_EQ(sizeof(LmsDlyState), 16u);
        EXPECT_EQ(offsetof(LmsState, errVal), 64u);
    }
}

TEST(LmsRecords, InitialisationWritesEveryField) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        W taps[5] = {};
        LmsTapState tap;
        std::memset(&tap, 0x5A, sizeof tap);
        api.init(9, taps, 5, 0.25f, 0.5f, 2, &tap);
        EXPECT_EQ(tap.taps, static_cast<void*>(taps));
        EXPECT_EQ(tap.len, 5);
        EXPECT_EQ(tap.upFactor, 1);
        EXPECT_EQ(tap.upPhase, 0);
        EXPECT_EQ(tap.downFactor, 1);
        EXPECT_EQ(tap.downPhase, 0);
        EXPECT_EQ(tap.isMultiRate, 0);
        EXPECT_EQ(tap.isFilterMode, 1);
        EXPECT_EQ(tap.leak, 0.5f);
        EXPECT_EQ(tap.step, 0.25f);
        EXPECT_EQ(tap.errDly, 2);
        EXPECT_EQ(tap.lmsType, 9);

        D dlyl[16];
        LmsDlyState dly;
        api.initDlyl(&tap, dlyl, 1, &dly);
        EXPECT_EQ(dly.dlyl, static_cast<void*>(dlyl));
        EXPECT_EQ(dly.len, 7);
        EXPECT_EQ(dly.isFilterMode, 1);
        EXPECT_EQ(dly.isAdapt, 1);
        api.initDlyl(&tap, dlyl, 0, &dly);
        EXPECT_EQ(dly.len, 5);
        EXPECT_EQ(dly.isAdapt, 0);

        api.initMr(9, taps, 5, 0.25f, 0.5f, 2, 3, 2, &tap);
        EXPECT_EQ(tap.downFactor, 3);
        EXPECT_EQ(tap.downPhase, 2);
        EXPECT_EQ(tap.isMultiRate, 1);
        api.initDlyl(&tap, dlyl, 1, &dly);
        EXPECT_EQ(dly.len, 10);
        api.initDlyl(&tap, dlyl, 0, &dly);
        EXPECT_EQ(dly.len, 8);
        api.initMr(9, taps, 5, 0.25f, 0.5f, 2, 1, 0, &tap);  // factor 1: single rate
        EXPECT_EQ(tap.isMultiRate, 0);
    });
}

TEST(LmsRecords, DelayLineViewIsChronologicalAndOneShort) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        W taps[3] = {};
        std::vector<D> slots(5);
        LmsTapState tap;
        LmsDlyState dly;
        api.init(0, taps, 3, 0.1f, 0, 2, &tap);
        api.initDlyl(&tap, slots.data(), 1, &dly);
        const auto view = randomVector<D>(4, 101);
        const D top = fromLC<D>(LC(42, 1));
        slots[4] = top;
        api.setDlyl(&tap, view.data(), &dly);
        for (int k = 0; k < 4; ++k) EXPECT_TRUE(sameBits(slots[size_t(k)], view[size_t(3 - k)])) << k;
        EXPECT_TRUE(sameBits(slots[4], top));  // outside the view
        std::vector<D> back(4);
        api.getDlyl(&tap, &dly, back.data());
        EXPECT_TRUE(std::memcmp(back.data(), view.data(), sizeof(D) * 4) == 0);
        EXPECT_EQ(dly.isFilterMode, 0);
        api.setDlyl(&tap, nullptr, &dly);  // silence: every slot
        for (const D& s : slots) EXPECT_TRUE(sameBits(s, D{}));
        EXPECT_EQ(dly.isFilterMode, 1);
    });
}

TEST(LmsRecords, TapsOwnershipAndFilterMode) {
    forEachApi([](const auto& api) {
        using W = typename std::decay_t<decltype(api)>::W;
        auto taps = randomVector<W>(4, 111);
        const auto original = taps;
        LmsTapState tap;
        api.init(0, taps.data(), 4, 0.1f, 0, 0, &tap);
        std::vector<W> out(4);
        EXPECT_EQ(api.getTaps(&tap, out.data()), 0);
        EXPECT_TRUE(std::memcmp(out.data(), original.data(), sizeof(W) * 4) == 0);
        EXPECT_EQ(tap.isFilterMode, 0);
        EXPECT_EQ(api.getTaps(&tap, taps.data()), 0);  // own array: nothing copied
        EXPECT_EQ(tap.isFilterMode, 0);
        api.setTaps(taps.data(), &tap);
        EXPECT_EQ(tap.isFilterMode, 1);
        EXPECT_TRUE(std::memcmp(taps.data(), original.data(), sizeof(W) * 4) == 0);
        const auto other = randomVector<W>(4, 112);
        api.setTaps(other.data(), &tap);
        EXPECT_TRUE(std::memcmp(taps.data(), other.data(), sizeof(W) * 4) == 0);
        api.setTaps(nullptr, &tap);
        for (const W& w : taps) EXPECT_TRUE(sameBits(w, W{}));
    });
}

TEST(LmsRecords, HighLayerOwnsCopies) {
    forEachApi([](const auto& api) {
        using D = typename std::decay_t<decltype(api)>::D;
        using W = typename std::decay_t<decltype(api)>::W;
        auto taps = randomVector<W>(3, 121);
        auto hist = randomVector<D>(3, 122);  // tapsLen + errDly - 1 visible samples
        LmsState st;
        std::memset(&st, 0x77, sizeof st);
        api.hInit(4, taps.data(), 3, hist.data(), 0.5f, 0.25f, 1, &st);
        EXPECT_NE(st.tapState.taps, static_cast<void*>(taps.data()));
        EXPECT_EQ(st.tapState.lmsType, 4);
        EXPECT_EQ(st.tapState.isFilterMode, 1);
        EXPECT_EQ(st.dlyState.len, 4);
        EXPECT_EQ(st.dlyState.isAdapt, 1);
        EXPECT_EQ(st.dlyState.isFilterMode, 1);
        EXPECT_TRUE(sameBits(api.hGetErr(&st), W{}));
        EXPECT_EQ(voksLmsGetStep(&st), 0.5f);
        EXPECT_EQ(voksLmsGetLeak(&st), 0.25f);
        voksLmsSetStep(0.125f, &st);
        voksLmsSetLeak(0.0625f, &st);
        EXPECT_EQ(st.tapState.step, 0.125f);
        EXPECT_EQ(st.tapState.leak, 0.0625f);
        EXPECT_EQ(voksLmslGetStep(&st.tapState), 0.125f);
        EXPECT_EQ(vokwLmslGetStep(&st.tapState), 0.125f);
        EXPECT_EQ(voksLmslGetLeak(&st.tapState), 0.0625f);
        const W e = fromLC<W>(LC(0.5, -2));
        api.hSetErr(e, &st);
        EXPECT_TRUE(sameBits(api.hGetErr(&st), e));

        std::vector<W> tapsBack(3);
        std::vector<D> histBack(3);
        api.hGetTaps(&st, tapsBack.data());
        api.hGetDlyl(&st, histBack.data());
        EXPECT_TRUE(std::memcmp(tapsBack.data(), taps.data(), sizeof(W) * 3) == 0);
        EXPECT_TRUE(std::memcmp(histBack.data(), hist.data(), sizeof(D) * 3) == 0);
        taps[0] = fromLC<W>(LC(9));  // the caller's arrays are not the filter's
        api.hSetTaps(nullptr, &st);
        api.hSetDlyl(nullptr, &st);
        api.hGetTaps(&st, tapsBack.data());
        for (const W& w : tapsBack) EXPECT_TRUE(sameBits(w, W{}));
        vokLmsFree(&st);
        EXPECT_EQ(st.tapState.taps, nullptr);
        EXPECT_EQ(st.dlyState.dlyl, nullptr);
    });
}

}  // namespace

namespace {

TEST(LmsRecords, ShortRecordsAccess) {
    float taps[3] = {1, 2, 3};
    short slots[5] = {0, 0, 0, 0, 99};
    LmsTapState tap;
    LmsDlyState dly;
    vokwLmslInit(5, taps, 3, 0.5f, 2, &tap);
    EXPECT_EQ(tap.lmsType, 5);
    EXPECT_EQ(tap.errDly, 2);
    EXPECT_EQ(tap.isFilterMode, 1);
    vokwLmslInitDlyl(&tap, slots, &dly);
    ASSERT_EQ(dly.len, 5);
    const short view[4] = {-4, 3, -2, 1};
    vokwLmslSetDlyl(&tap, view, &dly);
    EXPECT_EQ(slots[0], 1);
    EXPECT_EQ(slots[3], -4);
    EXPECT_EQ(slots[4], 99);
    short back[4];
    vokwLmslGetDlyl(&tap, &dly, back);
    EXPECT_EQ(std::memcmp(back, view, sizeof view), 0);
    EXPECT_EQ(dly.isFilterMode, 0);
    float out[3];
    EXPECT_EQ(vokwLmslGetTaps(&tap, out), 0);
    EXPECT_EQ(out[2], 3.0f);
    EXPECT_EQ(tap.isFilterMode, 0);
    const float fresh[3] = {7, 8, 9};
    vokwLmslSetTaps(fresh, &tap);
    EXPECT_EQ(taps[1], 8.0f);
    EXPECT_EQ(tap.isFilterMode, 1);
    vokwLmslSetStep(0.25f, &tap);
    EXPECT_EQ(voksLmslGetStep(&tap), 0.25f);
    voksLmslSetLeak(0.125f, &tap);
    EXPECT_EQ(tap.leak, 0.125f);
}

}  // namespace
