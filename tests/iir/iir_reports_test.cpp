// Every failure report of the IIR filters, float and 16-bit, both layers, in
// check order, each row one call; the rows also check that a failed call left
// the caller's coefficients, records, delay line and outputs as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "frame/test_seams.h"
#include "voktest/report_steps.h"
#include "vok.h"

namespace {

using voktest::Expected;
using voktest::Sentinel;
constexpr int kBad = VOK_StatusBadArg, kMem = VOK_StatusNoMemory, kBack = VOK_StatusBacktrace;
const char* const kInit = "IIR filter state structure is already initialized! Use vokIirFree to free it";
const char* const kUninit = "structure *tapStPtr wasn't initialized";
const char* const kNoState = "insufficiency of memory for IIR filter state";
const char* const kNoWork = "No memory for working array";

// The reports one function adds, in order, all with one status; optionally a backtrace of another after them.
std::vector<Expected> reps(const std::string& fn, const char* module, std::vector<const char*> contexts,
                           int status = kBad) {
    static std::deque<std::string> names;  // the reports keep pointers to the names
    names.push_back(fn);
    std::vector<Expected> r;
    for (const char* c : contexts) r.push_back({status, names.back().c_str(), c, module});
    return r;
}
std::vector<Expected> then(std::vector<Expected> a, const char* fn, const char* module) {
    a.push_back({kBack, fn, "<null>", module});
    return a;
}

// Runs 'call' with the n-th allocation from now refused.
template <class Call>
auto refusing(int n, Call call) {
    return [=] {
        vok::testing::failAllocationAfter(n);
        call();
        vok::testing::failAllocationAfter(0);
    };
}

// The float (one element type standing for all) or the 16-bit filters, seen
// through float coefficients and whole-number samples.
struct Family {
    const char *prefix, *low, *high, *order, *quads;  // entry-point prefix, modules, two contexts
    void (*init)(int, float*, int, IirTapState*);
    void (*initBq)(int, float*, int, IirTapState*);
    void (*initDlyl)(const IirTapState*, void*, IirDlyState*);
    double (*one)(const IirTapState*, IirDlyState*, int);
    void (*blk)(const IirTapState*, IirDlyState*, const void*, void*, int);
    void (*hInit)(int, const float*, int, IirState*);
    void (*hInitBq)(int, const float*, int, IirState*);
    double (*hOne)(IirState*, int);
    std::string operator()(const char* stem) const { return prefix + std::string(stem); }
};

int sf = 0;
const Family kFloat{"voks", "vokiirl", "vokiirh", "order < 0", "numQuads <= 0",
                    [](int t, float* c, int n, IirTapState* s) { voksIirlInit(t, c, n, s); },
                    [](int t, float* c, int n, IirTapState* s) { voksIirlInitBq(t, c, n, s); },
                    [](const IirTapState* s, void* d, IirDlyState* ds) { voksIirlInitDlyl(s, (float*)d, ds); },
                    [](const IirTapState* s, IirDlyState* d, int x) { return double(voksIirl(s, d, float(x))); },
                    [](const IirTapState* s, IirDlyState* d, const void* x, void* y, int n) {
                        voksbIirl(s, d, (const float*)x, (float*)y, n);
                    },
                    [](int t, const float* c, int n, IirState* s) { voksIirInit(t, c, n, s); },
                    [](int t, const float* c, int n, IirState* s) { voksIirInitBq(t, c, n, s); },
                    [](IirState* s, int x) { return double(voksIir(s, float(x))); }};
const Family kShort{"vokw", "vokiirlw", "vokiirhw", "order<0", "numQuads<=0",
                    [](int t, float* c, int n, IirTapState* s) { vokwIirlInit(t, c, n, s); },
                    [](int t, float* c, int n, IirTapState* s) { vokwIirlInitBq(t, c, n, s); },
                    [](const IirTapState* s, void* d, IirDlyState* ds) { vokwIirlInitDlyl(s, (int*)d, ds); },
                    [](const IirTapState* s, IirDlyState* d, int x) {
                        return double(vokwIirl(s, d, short(x), VOK_NO_SCALE, &sf));
                    },
                    [](const IirTapState* s, IirDlyState* d, const void* x, void* y, int n) {
                        vokwbIirl(s, d, (const short*)x, (short*)y, n, VOK_NO_SCALE, &sf);
                    },
                    [](int t, const float* c, int n, IirState* s) { vokwIirInit(t, c, n, s); },
                    [](int t, const float* c, int n, IirState* s) { vokwIirInitBq(t, c, n, s); },
                    [](IirState* s, int x) { return double(vokwIir(s, short(x), VOK_NO_SCALE, &sf)); }};

// The rows both families share. A failed set-up keeps the caller's coefficients
// (a0 = -0.0 is zero; b0 or a0 of a later section) and leaves the record empty.
void sharedRows(voktest::ReportSteps& step, const Family& f) {
    const char *L = f.low, *H = f.high;
    IirTapState ts{}, blank{};
    IirDlyState ds{}, none{};
    float first[] = {1, 0, 1, -0.5f};
    const float bq[] = {1, 0.5f, 0.25f, 1, 0.1f, 0.2f};
    int dly[2] = {};
    const short in[3] = {1, 2, 3};
    Sentinel out(3 * sizeof(double));
    step.run([&] { f.init(2, nullptr, -1, nullptr); },
             reps(f("IirlInit"), L, {"tapStPtr==0", "taps==0", f.order, "iirType is out of range"}));
    step.run([&] { f.initBq(-1, nullptr, 0, nullptr); },
             reps(f("IirlInitBq"), L, {"tapStPtr==0", "taps==0", f.quads, "iirType is out of range"}));
    step.run([&] {
        float zeroA[] = {1, 2, -0.0f, 1};
        const float keep[] = {1, 2, -0.0f, 1};
        f.init(0, zeroA, 1, &ts);
        EXPECT_EQ(0, std::memcmp(zeroA, keep, sizeof zeroA));
        EXPECT_EQ(nullptr, ts.taps);
    }, reps(f("IirlInit"), L, {"taps[order+1] equals zero"}));
    for (int which : {0, 3})
        step.run([&] {
            float two[] = {1, 0.5f, 0.25f, 1, 0.1f, 0.2f, 1, 1, 1, 1, 1, 1}, keep[12];
            two[6 + which] = -0.0f;
            std::memcpy(keep, two, sizeof two);
            f.initBq(0, two, 2, &ts);
            EXPECT_EQ(0, std::memcmp(keep, two, sizeof two));
        }, reps(f("IirlInitBq"), L, {"taps[?] equals zero"}));
    step.run([&] {
        vokSetErrStatus(kMem);
        float t[] = {2, 1, 4, 0.5f};
        IirTapState untouched{};
        f.init(0, t, 1, &untouched);
        f.initBq(0, t, 1, &untouched);
        EXPECT_EQ(nullptr, untouched.taps);
        EXPECT_EQ(2.0f, t[0]);
    }, {});
    step.run([&] { f.initDlyl(nullptr, nullptr, nullptr); },
             reps(f("IirlInitDlyl"), L, {"tapStPtr==0", "dlyStPtr==0"}));
    step.run([&] {
        IirTapState junk{3, nullptr, 0, 7};
        f.initDlyl(&junk, nullptr, &ds);
        EXPECT_EQ(nullptr, ds.dlyl);
    }, reps(f("IirlInitDlyl"), L, {kUninit, kUninit, "dlyl==0"}));
    step.run([&] { EXPECT_EQ(0.0, f.one(nullptr, nullptr, 5)); }, reps(f("Iirl"), L, {"tapStPtr==0", "dlyStPtr==0"}));
    step.run([&] {
        f.init(0, first, 1, &ts);
        EXPECT_EQ(0.0, f.one(&ts, &none, 5));
    }, reps(f("Iirl"), L, {"structure *dlyStPtr wasn't initialized"}));
    step.run([&] { f.blk(nullptr, nullptr, nullptr, nullptr, -1); },
             reps(f("bIirl"), L, {"tapStPtr==0", "dlyStPtr==0", "inSamps==0", "outSamps==0"}));
    step.run([&] {
        f.initDlyl(&ts, dly, &ds);
        f.blk(&blank, &ds, in, out.as<void>(), -2);
    }, reps(f("bIirl"), L, {kUninit, "numIters < 0"}));
    EXPECT_TRUE(out.untouched());

    // The high layer.
    IirState st{}, cleared{};
    st.initMarker = 31725;
    const IirState before = st;
    step.run([&] { f.hInit(0, nullptr, 1, nullptr); }, reps(f("IirInit"), H, {"statePtr==0", "tapVals==0"}));
    step.run([&] { f.hInit(3, first, -1, &st); },
             reps(f("IirInit"), H, {"order < 0", "iirType is out of range", kInit}));
    step.run([&] { f.hInitBq(0, bq, 0, &st); }, reps(f("IirInitBq"), H, {"numQuads <= 0", kInit}));
    EXPECT_EQ(0, std::memcmp(&before, &st, sizeof st));
    step.run([&] { EXPECT_EQ(0.0, f.hOne(nullptr, 1)); }, reps(f("Iir"), H, {"statePtr==0"}));
    step.run([&] { EXPECT_EQ(0.0, f.hOne(&cleared, 1)); }, reps(f("Iir"), H, {"IIR filter wasn't initialized"}));
    for (int n : {1, 2})  // the private copy, then the private delay line
        step.run(refusing(n, [&] {
            IirState fresh{};
            f.hInitBq(0, bq, 1, &fresh);
            EXPECT_EQ(0, fresh.initMarker);
        }), reps(f("IirInitBq"), H, {kNoState}, kMem));
}

TEST(IirReports, FloatFilters) {
    voktest::ReportSteps step("vokiirl");
    sharedRows(step, kFloat);
    const char* L = "vokiirl";
    const char* H = "vokiirh";
    IirState fresh{}, good{}, cleared{};
    step.run([&] {  // the inner set-up fails: its own report, then the backtrace; nothing kept
        const float zeroA[] = {1, 1, 0, 1};
        vokcsIirInit(0, zeroA, 1, &fresh);
        EXPECT_EQ(0, fresh.initMarker);
    }, then(reps("voksIirlInit", L, {"taps[order+1] equals zero"}), "vokcsIirInit", H));
    // A coefficient copy beyond the allocator's byte count fails like a refused allocation.
    const double unit[12] = {1, 0, 0, 1, 0, 0};
    step.run([&] { vokdIirInitBq(0, unit, 0x20000000, &fresh); }, reps("vokdIirInitBq", H, {kNoState, kNoState}, kMem));
    const float ba[] = {1, 1, 1, 0.5f};
    step.run([&] { voksIirInit(0, ba, 1, &good); }, {});
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
    int dly = 0;
    Primed() {
        vokwIirlInit(0, taps, 1, &ts);
        vokwIirlInitDlyl(&ts, &dly, &ds);
        vokwIirl(&ts, &ds, 4, VOK_NO_SCALE, &sf);
    }
};

TEST(IirReports, SixteenBitFilters) {
    Primed p;
    voktest::ReportSteps step("vokiirlw");
    sharedRows(step, kShort);
    const char* L = "vokiirlw";
    const char* H = "vokiirhw";
    IirTapState ts{};
    IirDlyState ds{};
    const short in[3] = {1, 2, 3};
    Sentinel out(3 * sizeof(short));
    for (bool biquad : {false, true})  // no work array: the coefficients stay floats
        step.run(refusing(1, [&] {
            float t[] = {1, 0.5f, 0.25f, 1, 0.1f, 0.2f}, keep[6];
            std::memcpy(keep, t, sizeof t);
            biquad ? vokwIirlInitBq(0, t, 1, &ts) : vokwIirlInit(0, t, 2, &ts);
            EXPECT_EQ(0, std::memcmp(keep, t, sizeof t));
        }), reps(biquad ? "vokwIirlInitBq" : "vokwIirlInit", L, {kNoWork}, kMem));
    step.run([&] {  // order 0 takes a null delay line; zero iterations are fine in the low layer
        float gain[] = {3, 1};
        vokwIirlInit(0, gain, 0, &ts);
        vokwIirlInitDlyl(&ts, nullptr, &ds);
        EXPECT_EQ(6, vokwIirl(&ts, &ds, 2, VOK_NO_SCALE, &sf));
        vokwbIirl(&p.ts, &p.ds, in, out.as<short>(), 0, VOK_NO_SCALE, &sf);
    }, {});
    for (int n : {1, 2})  // each work array failing in turn: the report, zero, nothing changed
        step.run(refusing(n, [&] { EXPECT_EQ(0, vokwIirl(&p.ts, &p.ds, 8, VOK_NO_SCALE, &sf)); }),
                 reps("vokwIirl", L, {kNoWork}, kMem));
    for (int n : {1, 2, 3})
        step.run(refusing(n, [&] { vokwbIirl(&p.ts, &p.ds, in, out.as<short>(), 3, VOK_NO_SCALE, &sf); }),
                 reps("vokwbIirl", L, {kNoWork}, kMem));
    step.run([&] {
        vokSetErrStatus(kBad);
        EXPECT_EQ(0, vokwIirl(&p.ts, &p.ds, 8, VOK_NO_SCALE, &sf));
        vokwbIirl(&p.ts, &p.ds, in, out.as<short>(), 3, VOK_NO_SCALE, &sf);
    }, {});
    EXPECT_EQ(2, p.dly);

    // The high layer: the conversion's work array, a refused inner set-up, the block checks.
    const float taps[] = {1, 0.5f, 0.25f, 1, 0.1f, 0.2f}, zeroB[] = {0, 1, 1, 1, 1, 1}, first[] = {1, 1, 1, -0.5f};
    IirState fresh{}, cleared{}, good{};
    step.run(refusing(3, [&] { vokwIirInit(0, taps, 2, &fresh); }),
             then(reps("vokwIirlInit", L, {kNoWork}, kMem), "vokwIirInit", H));
    step.run([&] { vokwIirInitBq(0, zeroB, 1, &fresh); },
             then(reps("vokwIirlInitBq", L, {"taps[?] equals zero"}), "vokwIirInitBq", H));
    EXPECT_EQ(0, fresh.initMarker);
    step.run([&] { EXPECT_EQ(kBad, vokwbIir(nullptr, nullptr, nullptr, 0, VOK_NO_SCALE, &sf)); },
             reps("vokwbIir", H, {"statePtr==0", "inSamps==0", "outSamps==0"}));
    // Zero iterations are an error here, unlike the low layer.
    step.run([&] { EXPECT_EQ(kBad, vokwbIir(&cleared, in, out.as<short>(), 0, VOK_NO_SCALE, &sf)); },
             reps("vokwbIir", H, {"numIters <= 0", "IIR filter wasn't initialized"}));
    step.run([&] { vokwIirInit(0, first, 1, &good); }, {});
    step.run(refusing(3, [&] { EXPECT_EQ(kMem, vokwbIir(&good, in, out.as<short>(), 2, VOK_NO_SCALE, &sf)); }),
             then(reps("vokwbIirl", L, {kNoWork}, kMem), "vokwbIir", H));
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
