// Every failure report of the IIR filters, float and 16-bit, both layers, in
// check order, each row one call; the rows also check that a failed call left
// the caller's coefficients, records, delay line and outputs as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "frame/test_seams.h"
#include "support/report_steps.h"
#include "vok.h"

namespace {

using voktest::Expected;
using voktest::Sentinel;
constexpr int kBad = VOK_StatusBadArg, kMem = VOK_StatusNoMemory, kBack = VOK_StatusBacktrace;
const char* const kInit = "IIR filter state structure is already initialized! Use vokIirFree to free it";
const char* const kUninit = "structure *tapStPtr wasn't initialized";

// The reports one function adds, in order, all with one status.
std::vector<Expected> reps(const char* fn, const char* module, std::vector<const char*> contexts, int status = kBad) {
    std::vector<Expected> r;
    for (const char* c : contexts) r.push_back({status, fn, c, module});
    return r;
}
std::vector<Expected> then(std::vector<Expected> a, const char* fn, const char* module) {
    a.push_back({kBack, fn, "<null>", module});
    return a;
}

template <class T, size_t N>
std::vector<T> copyOf(const T (&a)[N]) { return std::vector<T>(a, a + N); }

// Runs 'call' with the n-th allocation from now refused.
template <class Call>
auto refusing(int n, Call call) {
    return [=] {
        vok::testing::failAllocationAfter(n);
        call();
        vok::testing::failAllocationAfter(0);
    };
}

TEST(IirReports, FloatFilters) {
    voktest::ReportSteps step("vokiirl");
    const char* L = "vokiirl";
    const char* H = "vokiirh";
    float taps[] = {1, 1, 1, 0.5f};
    IirTapState ts{}, none{};
    IirDlyState ds{};
    step.run([] { voksIirlInit(2, nullptr, -1, nullptr); },
             reps("voksIirlInit", L, {"tapStPtr==0", "taps==0", "order < 0", "iirType is out of range"}));
    step.run([&] {  // a0 = -0.0 is zero
        float zeroA[] = {1, 2, -0.0f, 1};
        voksIirlInit(0, zeroA, 1, &ts);
        EXPECT_EQ(copyOf(zeroA), (std::vector<float>{1, 2, -0.0f, 1}));
        EXPECT_EQ(nullptr, ts.taps);
    }, reps("voksIirlInit", L, {"taps[order+1] equals zero"}));
    step.run([&] {
        vokSetErrStatus(kMem);
        float t[] = {2, 1, 4, 0.5f};
        voksIirlInit(0, t, 1, &ts);
        EXPECT_EQ(nullptr, ts.taps);
        EXPECT_EQ(copyOf(t), (std::vector<float>{2, 1, 4, 0.5f}));
    }, {});
    step.run([] { vokzIirlInitBq(5, nullptr, 0, nullptr); },
             reps("vokzIirlInitBq", L, {"tapStPtr==0", "taps==0", "numQuads <= 0", "iirType is out of range"}));
    for (int which : {0, 3})  // b0 or a0 of the second section
        step.run([&] {
            double bq[] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
            bq[6 + which] = -0.0;
            const auto keep = copyOf(bq);
            vokdIirlInitBq(0, bq, 2, &ts);
            EXPECT_EQ(0, std::memcmp(keep.data(), bq, sizeof bq));
        }, reps("vokdIirlInitBq", L, {"taps[?] equals zero"}));
    step.run([] { vokcIirlInitDlyl(nullptr, nullptr, nullptr); },
             reps("vokcIirlInitDlyl", L, {"tapStPtr==0", "dlyStPtr==0"}));
    step.run([&] {
        IirTapState junk{3, nullptr, 0, 7};
        vokcIirlInitDlyl(&junk, nullptr, &ds);
        EXPECT_EQ(nullptr, ds.dlyl);
    }, reps("vokcIirlInitDlyl", L, {kUninit, kUninit, "dlyl==0"}));
    step.run([] { EXPECT_EQ(0.0, vokdIirl(nullptr, nullptr, 1)); },
             reps("vokdIirl", L, {"tapStPtr==0", "dlyStPtr==0"}));
    step.run([&] {
        double dt[] = {1, 1, 1, 0.5};
        vokdIirlInit(0, dt, 1, &ts);
        const auto y = vokzdIirl(&ts, &ds, DoubleComplex{1, 1});
        EXPECT_EQ(0.0, y.re);
        EXPECT_EQ(0.0, y.im);
    }, reps("vokzdIirl", L, {"structure *dlyStPtr wasn't initialized"}));
    step.run([] { vokdbIirl(nullptr, nullptr, nullptr, nullptr, -1); },
             reps("vokdbIirl", L, {"tapStPtr==0", "dlyStPtr==0", "inSamps==0", "outSamps==0"}));
    step.run([&] {
        const double in[2] = {1, 2};
        Sentinel out(2 * sizeof(double));
        vokdbIirl(&none, &ds, in, out.as<double>(), -2);
        EXPECT_TRUE(out.untouched());
    }, reps("vokdbIirl", L, {kUninit, "numIters < 0"}));

    // The high layer.
    IirState st{}, fresh{}, good{}, cleared{};
    st.initMarker = 31725;
    const IirState before = st;
    step.run([] { vokscIirInit(0, nullptr, 1, nullptr); }, reps("vokscIirInit", H, {"statePtr==0", "tapVals==0"}));
    step.run([&] { voksIirInit(3, taps, -1, &st); },
             reps("voksIirInit", H, {"order < 0", "iirType is out of range", kInit}));
    step.run([&] { voksIirInitBq(0, taps, 0, &st); }, reps("voksIirInitBq", H, {"numQuads <= 0", kInit}));
    EXPECT_EQ(0, std::memcmp(&before, &st, sizeof st));
    step.run([&] {  // the inner set-up fails: its own report, then the backtrace; nothing kept
        const float zeroA[] = {1, 1, 0, 1};
        vokcsIirInit(0, zeroA, 1, &fresh);
        EXPECT_EQ(0, fresh.initMarker);
    }, then(reps("voksIirlInit", L, {"taps[order+1] equals zero"}), "vokcsIirInit", H));
    const double unit[12] = {1, 0, 0, 1, 0, 0};
    const char* noState = "insufficiency of memory for IIR filter state";
    for (int n : {1, 2})
        step.run(refusing(n, [&] {
            vokzIirInitBq(0, reinterpret_cast<const DoubleComplex*>(unit), 1, &fresh);
            EXPECT_EQ(0, fresh.initMarker);
        }), reps("vokzIirInitBq", H, {noState}, kMem));
    // A coefficient copy beyond the allocator's byte count fails like a refused allocation.
    step.run([&] { vokdIirInitBq(0, unit, 0x20000000, &fresh); }, reps("vokdIirInitBq", H, {noState, noState}, kMem));
    step.run([&] { EXPECT_EQ(0.0f, voksIir(nullptr, 1)); }, reps("voksIir", H, {"statePtr==0"}));
    step.run([&] { EXPECT_EQ(0.0f, voksIir(&cleared, 1)); }, reps("voksIir", H, {"IIR filter wasn't initialized"}));
    step.run([&] { voksIirInit(0, taps, 1, &good); }, {});
    step.run([&] {
        float out[2];
        EXPECT_EQ(kBad, voksbIir(&good, nullptr, out, -1));
    }, then(reps("voksbIirl", L, {"inSamps==0"}), "voksbIir", H));
    step.run([&] { EXPECT_EQ(kBad, vokIirFree(nullptr)); }, reps("vokIirFree", H, {"statePtr==0"}));
    step.run([&] { EXPECT_EQ(kBad, vokIirFree(&cleared)); }, reps("vokIirFree", H, {"IIR filter wasn't initialized"}));
    step.run([&] {  // freeing works even with a negative status left over
        vokSetErrStatus(kBad);
        EXPECT_EQ(0, vokIirFree(&good));
        EXPECT_EQ(0, good.initMarker);
    }, {});
}

// A first-order 16-bit filter with one sample through it (delay line 2).
struct Primed {
    float taps[4] = {1, 0, 1, -0.5f};
    IirTapState ts{};
    IirDlyState ds{};
    int dly = 0, sf = 0;
    Primed() {
        vokwIirlInit(0, taps, 1, &ts);
        vokwIirlInitDlyl(&ts, &dly, &ds);
        vokwIirl(&ts, &ds, 4, VOK_NO_SCALE, &sf);
    }
};

TEST(IirReports, SixteenBitFilters) {
    voktest::ReportSteps step("vokiirlw");
    const char* L = "vokiirlw";
    const char* H = "vokiirhw";
    const char* noWork = "No memory for working array";
    IirTapState ts{}, blank{};
    IirDlyState ds{}, none{};
    Primed p;
    int sf = 0;
    const short in[3] = {1, 2, 3};
    Sentinel out(3 * sizeof(short));
    step.run([] { vokwIirlInit(2, nullptr, -1, nullptr); },
             reps("vokwIirlInit", L, {"tapStPtr==0", "taps==0", "order<0", "iirType is out of range"}));
    step.run([] { vokwIirlInitBq(-1, nullptr, 0, nullptr); },
             reps("vokwIirlInitBq", L, {"tapStPtr==0", "taps==0", "numQuads<=0", "iirType is out of range"}));
    step.run([&] {
        float zeroA[] = {1, 2, -0.0f, 1};
        vokwIirlInit(0, zeroA, 1, &ts);
        EXPECT_EQ(copyOf(zeroA), (std::vector<float>{1, 2, -0.0f, 1}));
        EXPECT_EQ(nullptr, ts.taps);
    }, reps("vokwIirlInit", L, {"taps[order+1] equals zero"}));
    for (int which : {0, 3})
        step.run([&] {
            float bq[] = {1, 0.5f, 0.25f, 1, 0.1f, 0.2f, 1, 1, 1, 1, 1, 1};
            bq[6 + which] = 0;
            const auto keep = copyOf(bq);
            vokwIirlInitBq(0, bq, 2, &ts);
            EXPECT_EQ(keep, copyOf(bq));
        }, reps("vokwIirlInitBq", L, {"taps[?] equals zero"}));
    for (bool biquad : {false, true})  // no work array: the coefficients stay floats
        step.run(refusing(1, [&] {
            float t[] = {1, 0.5f, 0.25f, 1, 0.1f, 0.2f};
            const auto keep = copyOf(t);
            biquad ? vokwIirlInitBq(0, t, 1, &ts) : vokwIirlInit(0, t, 2, &ts);
            EXPECT_EQ(keep, copyOf(t));
        }), reps(biquad ? "vokwIirlInitBq" : "vokwIirlInit", L, {noWork}, kMem));
    step.run([&] {
        vokSetErrStatus(kMem);
        float t[] = {1, 1, 1, 0.5f};
        IirTapState untouched{};
        vokwIirlInit(0, t, 1, &untouched);
        vokwIirlInitBq(0, t, 1, &untouched);
        EXPECT_EQ(nullptr, untouched.taps);
        EXPECT_EQ(1.0f, t[0]);
    }, {});
    step.run([] { vokwIirlInitDlyl(nullptr, nullptr, nullptr); },
             reps("vokwIirlInitDlyl", L, {"tapStPtr==0", "dlyStPtr==0"}));
    step.run([&] {
        IirTapState junk{2, nullptr, 0, 2};
        vokwIirlInitDlyl(&junk, nullptr, &ds);
    }, reps("vokwIirlInitDlyl", L, {kUninit, kUninit, "dlyl==0"}));
    step.run([&] {  // order 0 takes a null delay line
        float gain[] = {3, 1};
        vokwIirlInit(0, gain, 0, &ts);
        vokwIirlInitDlyl(&ts, nullptr, &ds);
        EXPECT_EQ(6, vokwIirl(&ts, &ds, 2, VOK_NO_SCALE, &sf));
    }, {});
    step.run([&] { EXPECT_EQ(0, vokwIirl(nullptr, nullptr, 5, VOK_NO_SCALE, &sf)); },
             reps("vokwIirl", L, {"tapStPtr==0", "dlyStPtr==0"}));
    step.run([&] { EXPECT_EQ(0, vokwIirl(&p.ts, &none, 5, VOK_NO_SCALE, &sf)); },
             reps("vokwIirl", L, {"structure *dlyStPtr wasn't initialized"}));
    step.run([&] { vokwbIirl(nullptr, nullptr, nullptr, nullptr, -1, VOK_NO_SCALE, &sf); },
             reps("vokwbIirl", L, {"tapStPtr==0", "dlyStPtr==0", "inSamps==0", "outSamps==0"}));
    step.run([&] { vokwbIirl(&blank, &p.ds, in, out.as<short>(), -1, VOK_NO_SCALE, &sf); },
             reps("vokwbIirl", L, {kUninit, "numIters < 0"}));
    step.run([&] { vokwbIirl(&p.ts, &p.ds, in, out.as<short>(), 0, VOK_NO_SCALE, &sf); }, {});
    for (int n : {1, 2})  // each work array failing in turn: the report, zero, nothing changed
        step.run(refusing(n, [&] { EXPECT_EQ(0, vokwIirl(&p.ts, &p.ds, 8, VOK_NO_SCALE, &sf)); }),
                 reps("vokwIirl", L, {noWork}, kMem));
    for (int n : {1, 2, 3})
        step.run(refusing(n, [&] { vokwbIirl(&p.ts, &p.ds, in, out.as<short>(), 3, VOK_NO_SCALE, &sf); }),
                 reps("vokwbIirl", L, {noWork}, kMem));
    step.run([&] {
        vokSetErrStatus(kBad);
        EXPECT_EQ(0, vokwIirl(&p.ts, &p.ds, 8, VOK_NO_SCALE, &sf));
        vokwbIirl(&p.ts, &p.ds, in, out.as<short>(), 3, VOK_NO_SCALE, &sf);
    }, {});
    EXPECT_TRUE(out.untouched());
    EXPECT_EQ(2, p.dly);

    // The high layer.
    const float taps[] = {1, 0.5f, 0.25f, 1, 0.1f, 0.2f};
    IirState st{}, fresh{}, cleared{}, good{};
    st.initMarker = 31725;
    const IirState before = st;
    step.run([] { vokwIirInit(0, nullptr, 1, nullptr); }, reps("vokwIirInit", H, {"statePtr==0", "tapVals==0"}));
    step.run([&] { vokwIirInit(7, taps, -2, &st); },
             reps("vokwIirInit", H, {"order < 0", "iirType is out of range", kInit}));
    step.run([&] { vokwIirInitBq(0, taps, 0, &st); }, reps("vokwIirInitBq", H, {"numQuads <= 0", kInit}));
    EXPECT_EQ(0, std::memcmp(&before, &st, sizeof st));
    // The private copy, the private delay line, then the conversion's work array.
    for (int n : {1, 2})
        step.run(refusing(n, [&] { vokwIirInitBq(0, taps, 1, &fresh); }),
                 reps("vokwIirInitBq", H, {"insufficiency of memory for IIR filter state"}, kMem));
    step.run(refusing(3, [&] { vokwIirInit(0, taps, 2, &fresh); }),
             then(reps("vokwIirlInit", L, {noWork}, kMem), "vokwIirInit", H));
    step.run([&] {
        const float zeroB[] = {0, 1, 1, 1, 1, 1};
        vokwIirInitBq(0, zeroB, 1, &fresh);
    }, then(reps("vokwIirlInitBq", L, {"taps[?] equals zero"}), "vokwIirInitBq", H));
    EXPECT_EQ(0, fresh.initMarker);
    step.run([&] { EXPECT_EQ(0, vokwIir(nullptr, 3, VOK_NO_SCALE, &sf)); }, reps("vokwIir", H, {"statePtr==0"}));
    step.run([&] { EXPECT_EQ(0, vokwIir(&cleared, 3, VOK_NO_SCALE, &sf)); },
             reps("vokwIir", H, {"IIR filter wasn't initialized"}));
    step.run([&] { EXPECT_EQ(kBad, vokwbIir(nullptr, nullptr, nullptr, 0, VOK_NO_SCALE, &sf)); },
             reps("vokwbIir", H, {"statePtr==0", "inSamps==0", "outSamps==0"}));
    // Zero iterations are an error here, unlike the low layer.
    step.run([&] { EXPECT_EQ(kBad, vokwbIir(&cleared, in, out.as<short>(), 0, VOK_NO_SCALE, &sf)); },
             reps("vokwbIir", H, {"numIters <= 0", "IIR filter wasn't initialized"}));
    const float first[] = {1, 1, 1, -0.5f};
    step.run([&] { vokwIirInit(0, first, 1, &good); }, {});
    step.run(refusing(3, [&] { EXPECT_EQ(kMem, vokwbIir(&good, in, out.as<short>(), 2, VOK_NO_SCALE, &sf)); }),
             then(reps("vokwbIirl", L, {noWork}, kMem), "vokwbIir", H));
    step.run([&] {  // a negative status on entry stops both forms; the release still works
        vokSetErrStatus(kBad);
        EXPECT_EQ(0, vokwIir(&good, 100, VOK_NO_SCALE, &sf));
        EXPECT_EQ(kBad, vokwbIir(&good, in, out.as<short>(), 2, VOK_NO_SCALE, &sf));
        EXPECT_EQ(0, *static_cast<int*>(good.dlyState.dlyl));
        EXPECT_EQ(0, vokIirFree(&good));
    }, {});
    EXPECT_TRUE(out.untouched());
}

}  // namespace
