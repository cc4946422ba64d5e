// Failure reports of the 16-bit IIR filters, and that a failed call leaves
// the caller's coefficients, delay line and outputs as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "frame/test_seams.h"
#include "support/report_steps.h"
#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::ReportSteps;
using voktest::Sentinel;
constexpr int kBad = VOK_StatusBadArg;
constexpr int kMem = VOK_StatusNoMemory;

TEST(Iir16Reports, LowLayerInitialisation) {
    ReportRecorder rec;
    vokwIirlInit(2, nullptr, -1, nullptr);
    EXPECT_REPORTS(rec, {kBad, "vokwIirlInit", "tapStPtr==0", "vokiirlw"}, {kBad, "vokwIirlInit", "taps==0", "vokiirlw"},
                   {kBad, "vokwIirlInit", "order<0", "vokiirlw"},
                   {kBad, "vokwIirlInit", "iirType is out of range", "vokiirlw"});
    rec.clear();
    vokwIirlInitBq(-1, nullptr, 0, nullptr);
    EXPECT_REPORTS(rec, {kBad, "vokwIirlInitBq", "tapStPtr==0", "vokiirlw"},
                   {kBad, "vokwIirlInitBq", "taps==0", "vokiirlw"}, {kBad, "vokwIirlInitBq", "numQuads<=0", "vokiirlw"},
                   {kBad, "vokwIirlInitBq", "iirType is out of range", "vokiirlw"});

    // a0 = -0.0 is zero; nothing changes.
    rec.clear();
    IirTapState ts{};
    float zeroA[] = {1, 2, -0.0f, 1};
    const std::vector<float> keep(zeroA, zeroA + 4);
    vokwIirlInit(0, zeroA, 1, &ts);
    EXPECT_REPORTS(rec, {kBad, "vokwIirlInit", "taps[order+1] equals zero", "vokiirlw"});
    EXPECT_EQ(keep, std::vector<float>(zeroA, zeroA + 4));
    EXPECT_EQ(nullptr, ts.taps);

    // A zero b0 or a0 in the second section: the caller's array is untouched.
    for (int which : {0, 3}) {
        rec.clear();
        float bq[] = {1, 0.5f, 0.25f, 1, 0.1f, 0.2f, 1, 1, 1, 1, 1, 1};
        bq[6 + which] = 0;
        const std::vector<float> before(bq, bq + 12);
        vokwIirlInitBq(0, bq, 2, &ts);
        EXPECT_REPORTS(rec, {kBad, "vokwIirlInitBq", "taps[?] equals zero", "vokiirlw"});
        EXPECT_EQ(before, std::vector<float>(bq, bq + 12));
    }

    // No work array: the coefficients stay floats.
    for (bool biquad : {false, true}) {
        rec.clear();
        float t[] = {1, 0.5f, 0.25f, 1, 0.1f, 0.2f};
        const std::vector<float> before(t, t + 6);
        vok::testing::failAllocationAfter(1);
        if (biquad) vokwIirlInitBq(0, t, 1, &ts);
        else vokwIirlInit(0, t, 2, &ts);
        vok::testing::failAllocationAfter(0);
        EXPECT_REPORTS(rec, {kMem, biquad ? "vokwIirlInitBq" : "vokwIirlInit", "No memory for working array",
                             "vokiirlw"});
        EXPECT_EQ(before, std::vector<float>(t, t + 6));
    }

    // A negative status on entry: nothing happens, nothing is reported.
    rec.clear();
    vokSetErrStatus(kMem);
    float t[] = {1, 1, 1, 0.5f};
    IirTapState untouched{};
    vokwIirlInit(0, t, 1, &untouched);
    vokwIirlInitBq(0, t, 1, &untouched);
    EXPECT_EQ(nullptr, untouched.taps);
    EXPECT_EQ(1.0f, t[0]);
    EXPECT_TRUE(rec.reports().empty());
}

TEST(Iir16Reports, DelayLineSetUp) {
    ReportRecorder rec;
    vokwIirlInitDlyl(nullptr, nullptr, nullptr);
    EXPECT_REPORTS(rec, {kBad, "vokwIirlInitDlyl", "tapStPtr==0", "vokiirlw"},
                   {kBad, "vokwIirlInitDlyl", "dlyStPtr==0", "vokiirlw"});
    rec.clear();
    IirTapState junk{2, nullptr, 0, 2};
    IirDlyState ds{};
    vokwIirlInitDlyl(&junk, nullptr, &ds);
    EXPECT_REPORTS(rec, {kBad, "vokwIirlInitDlyl", "structure *tapStPtr wasn't initialized", "vokiirlw"},
                   {kBad, "vokwIirlInitDlyl", "structure *tapStPtr wasn't initialized", "vokiirlw"},
                   {kBad, "vokwIirlInitDlyl", "dlyl==0", "vokiirlw"});
    // Order 0 takes a null delay line.
    rec.clear();
    float gain[] = {3, 1};
    IirTapState ts{};
    vokwIirlInit(0, gain, 0, &ts);
    vokwIirlInitDlyl(&ts, nullptr, &ds);
    int sf = 0;
    EXPECT_EQ(6, vokwIirl(&ts, &ds, 2, VOK_NO_SCALE, &sf));
    EXPECT_TRUE(rec.reports().empty());
}

// A first-order filter with one sample already through it (delay line 2).
struct Primed {
    float taps[4] = {1, 0, 1, -0.5f};
    IirTapState ts{};
    IirDlyState ds{};
    int dly = 0;
    Primed() {
        vokwIirlInit(0, taps, 1, &ts);
        vokwIirlInitDlyl(&ts, &dly, &ds);
        int sf = 0;
        vokwIirl(&ts, &ds, 4, VOK_NO_SCALE, &sf);
    }
};

TEST(Iir16Reports, LowLayerFilters) {
    ReportRecorder rec;
    int sf = 0;
    Primed p;
    IirDlyState none{};
    IirTapState blank{};
    const short in[3] = {1, 2, 3};
    Sentinel out(3 * sizeof(short));
    {
        ReportSteps step("vokiirlw");
        step.run([&] { EXPECT_EQ(0, vokwIirl(nullptr, nullptr, 5, VOK_NO_SCALE, &sf)); },
                 {{kBad, "vokwIirl", "tapStPtr==0", "vokiirlw"}, {kBad, "vokwIirl", "dlyStPtr==0", "vokiirlw"}});
        step("vokwIirl", "structure *dlyStPtr wasn't initialized",
             [&] { EXPECT_EQ(0, vokwIirl(&p.ts, &none, 5, VOK_NO_SCALE, &sf)); });
        step.run([&] { vokwbIirl(nullptr, nullptr, nullptr, nullptr, -1, VOK_NO_SCALE, &sf); },
                 {{kBad, "vokwbIirl", "tapStPtr==0", "vokiirlw"}, {kBad, "vokwbIirl", "dlyStPtr==0", "vokiirlw"},
                  {kBad, "vokwbIirl", "inSamps==0", "vokiirlw"}, {kBad, "vokwbIirl", "outSamps==0", "vokiirlw"}});
        step.run([&] { vokwbIirl(&blank, &p.ds, in, out.as<short>(), -1, VOK_NO_SCALE, &sf); },
                 {{kBad, "vokwbIirl", "structure *tapStPtr wasn't initialized", "vokiirlw"},
                  {kBad, "vokwbIirl", "numIters < 0", "vokiirlw"}});
    }
    // Zero iterations do nothing.
    rec.clear();
    vokwbIirl(&p.ts, &p.ds, in, out.as<short>(), 0, VOK_NO_SCALE, &sf);
    EXPECT_TRUE(rec.reports().empty());
    EXPECT_TRUE(out.untouched());
    EXPECT_EQ(2, p.dly);

    // Each work array failing in turn: the report, zero, and nothing changed.
    for (int n : {1, 2}) {
        rec.clear();
        vok::testing::failAllocationAfter(n);
        EXPECT_EQ(0, vokwIirl(&p.ts, &p.ds, 8, VOK_NO_SCALE, &sf));
        vok::testing::failAllocationAfter(0);
        EXPECT_REPORTS(rec, {kMem, "vokwIirl", "No memory for working array", "vokiirlw"});
        EXPECT_EQ(2, p.dly);
    }
    for (int n : {1, 2, 3}) {
        rec.clear();
        vok::testing::failAllocationAfter(n);
        vokwbIirl(&p.ts, &p.ds, in, out.as<short>(), 3, VOK_NO_SCALE, &sf);
        vok::testing::failAllocationAfter(0);
        EXPECT_REPORTS(rec, {kMem, "vokwbIirl", "No memory for working array", "vokiirlw"});
        EXPECT_TRUE(out.untouched());
        EXPECT_EQ(2, p.dly);
    }

    // A negative status on entry.
    rec.clear();
    vokSetErrStatus(kBad);
    EXPECT_EQ(0, vokwIirl(&p.ts, &p.ds, 8, VOK_NO_SCALE, &sf));
    vokwbIirl(&p.ts, &p.ds, in, out.as<short>(), 3, VOK_NO_SCALE, &sf);
    EXPECT_TRUE(out.untouched());
    EXPECT_EQ(2, p.dly);
    EXPECT_TRUE(rec.reports().empty());
}

TEST(Iir16Reports, HighLayer) {
    ReportRecorder rec;
    vokwIirInit(0, nullptr, 1, nullptr);
    EXPECT_REPORTS(rec, {kBad, "vokwIirInit", "statePtr==0", "vokiirhw"}, {kBad, "vokwIirInit", "tapVals==0", "vokiirhw"});

    rec.clear();
    const float taps[] = {1, 0.5f, 0.25f, 1, 0.1f, 0.2f};
    IirState st{};
    st.initMarker = 31725;
    const IirState before = st;
    vokwIirInit(7, taps, -2, &st);
    EXPECT_REPORTS(rec, {kBad, "vokwIirInit", "order < 0", "vokiirhw"},
                   {kBad, "vokwIirInit", "iirType is out of range", "vokiirhw"},
                   {kBad, "vokwIirInit", "IIR filter state structure is already initialized! Use vokIirFree to free it",
                    "vokiirhw"});
    rec.clear();
    vokwIirInitBq(0, taps, 0, &st);
    EXPECT_REPORTS(rec, {kBad, "vokwIirInitBq", "numQuads <= 0", "vokiirhw"},
                   {kBad, "vokwIirInitBq", "IIR filter state structure is already initialized! Use vokIirFree to free it",
                    "vokiirhw"});
    EXPECT_EQ(0, std::memcmp(&before, &st, sizeof st));

    // The private copy, the private delay line, then the conversion's work array.
    for (int n : {1, 2}) {
        rec.clear();
        IirState fresh{};
        vok::testing::failAllocationAfter(n);
        vokwIirInitBq(0, taps, 1, &fresh);
        vok::testing::failAllocationAfter(0);
        EXPECT_REPORTS(rec, {kMem, "vokwIirInitBq", "insufficiency of memory for IIR filter state", "vokiirhw"});
        EXPECT_EQ(0, fresh.initMarker);
    }
    rec.clear();
    IirState fresh{};
    vok::testing::failAllocationAfter(3);
    vokwIirInit(0, taps, 2, &fresh);
    vok::testing::failAllocationAfter(0);
    EXPECT_REPORTS(rec, {kMem, "vokwIirlInit", "No memory for working array", "vokiirlw"},
                   {VOK_StatusBacktrace, "vokwIirInit", "<null>", "vokiirhw"});
    EXPECT_EQ(0, fresh.initMarker);

    rec.clear();
    const float zeroB[] = {0, 1, 1, 1, 1, 1};
    vokwIirInitBq(0, zeroB, 1, &fresh);
    EXPECT_REPORTS(rec, {kBad, "vokwIirlInitBq", "taps[?] equals zero", "vokiirlw"},
                   {VOK_StatusBacktrace, "vokwIirInitBq", "<null>", "vokiirhw"});
    EXPECT_EQ(0, fresh.initMarker);
}

TEST(Iir16Reports, HighLayerFilters) {
    ReportRecorder rec;
    int sf = 0;
    EXPECT_EQ(0, vokwIir(nullptr, 3, VOK_NO_SCALE, &sf));
    rec.clear();
    IirState cleared{};
    EXPECT_EQ(0, vokwIir(&cleared, 3, VOK_NO_SCALE, &sf));
    EXPECT_REPORTS(rec, {kBad, "vokwIir", "IIR filter wasn't initialized", "vokiirhw"});

    rec.clear();
    EXPECT_EQ(kBad, vokwbIir(nullptr, nullptr, nullptr, 0, VOK_NO_SCALE, &sf));
    EXPECT_REPORTS(rec, {kBad, "vokwbIir", "statePtr==0", "vokiirhw"}, {kBad, "vokwbIir", "inSamps==0", "vokiirhw"},
                   {kBad, "vokwbIir", "outSamps==0", "vokiirhw"});
    rec.clear();
    const short in[2] = {1, 2};
    Sentinel out(2 * sizeof(short));
    // Zero iterations are an error here, unlike the low layer.
    EXPECT_EQ(kBad, vokwbIir(&cleared, in, out.as<short>(), 0, VOK_NO_SCALE, &sf));
    EXPECT_REPORTS(rec, {kBad, "vokwbIir", "numIters <= 0", "vokiirhw"},
                   {kBad, "vokwbIir", "IIR filter wasn't initialized", "vokiirhw"});
    EXPECT_TRUE(out.untouched());

    // A failure inside the low layer comes back as a backtrace under this name.
    rec.clear();
    const float taps[] = {1, 1, 1, -0.5f};
    IirState st{};
    vokwIirInit(0, taps, 1, &st);
    vok::testing::failAllocationAfter(3);
    EXPECT_EQ(kMem, vokwbIir(&st, in, out.as<short>(), 2, VOK_NO_SCALE, &sf));
    vok::testing::failAllocationAfter(0);
    EXPECT_REPORTS(rec, {kMem, "vokwbIirl", "No memory for working array", "vokiirlw"},
                   {VOK_StatusBacktrace, "vokwbIir", "<null>", "vokiirhw"});
    EXPECT_TRUE(out.untouched());

    // A negative status on entry stops both forms; the release still works.
    rec.clear();
    vokSetErrStatus(kBad);
    EXPECT_EQ(0, vokwIir(&st, 100, VOK_NO_SCALE, &sf));
    EXPECT_EQ(kBad, vokwbIir(&st, in, out.as<short>(), 2, VOK_NO_SCALE, &sf));
    EXPECT_TRUE(out.untouched());
    EXPECT_EQ(0, *static_cast<int*>(st.dlyState.dlyl));
    EXPECT_TRUE(rec.reports().empty());
    EXPECT_EQ(0, vokIirFree(&st));
}

}  // namespace
