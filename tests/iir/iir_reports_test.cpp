// Every failure report of the IIR filters, all nine type families, both
// layers, in check order, each row one call; the rows also check that a failed
// call left the caller's coefficients, records, delay line and outputs as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "frame/test_seams.h"
#include "iir/iir_calls.h"
#include "voktest/report_steps.h"
#include "voktest/values.h"

namespace {

using namespace iirtest;
using voktest::Expected;
using voktest::Sentinel;
constexpr int kBad = VOK_StatusBadArg, kMem = VOK_StatusNoMemory, kBack = VOK_StatusBacktrace;
const char* const kInit = "IIR filter state structure is already initialized! Use vokIirFree to free it";
const char* const kUninit = "structure *tapStPtr wasn't initialized";
const char* const kNoState = "insufficiency of memory for IIR filter state";
const char* const kNoWork = "No memory for working array";

// The reports one function adds, in order, all with one status; optionally a backtrace of another after them.
std::vector<Expected> reps(const char* fn, const char* module, std::vector<const char*> contexts, int status = kBad) {
    std::vector<Expected> r;
    for (const char* c : contexts) r.push_back({status, fn, c, module});
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

template <class C>
std::vector<C> coef(std::initializer_list<float> v) {
    std::vector<C> r;
    for (float x : v) r.push_back(voktest::fromLC<C>(voktest::LC(x)));
    return r;
}
template <class T>
bool same(const T* a, const T* b, std::size_t n = 1) {
    return std::memcmp(a, b, sizeof(T) * n) == 0;
}
template <class T>
bool isZero(const T& v) {
    const T zero{};
    return same(&v, &zero);
}

template <class T>
class IirReports : public ::testing::Test {};
using Families = ::testing::Types<s, d, c, z, sc, cs, dz, zd, w>;
TYPED_TEST_SUITE(IirReports, Families);

// A failed set-up keeps the caller's coefficients (a0 = -0.0 is zero; b0 or
// a0 of a later section) and leaves the record empty; an inner set-up failing
// adds the outer function's backtrace. A negative status on entry stops every
// operation but the release, silently, writing nothing.
TYPED_TEST(IirReports, EveryFamily) {
    using P = TypeParam;
    using C = typename P::C;
    using I = typename P::I;
    using O = typename P::O;
    constexpr bool k16 = std::is_same_v<P, w>;
    // init, initBq, initDlyl, one, blk, hInit, hInitBq, hOne, hBlk
    const char *const *n = P::names, *L = P::low, *H = P::high;
    voktest::ReportSteps step(L);
    IirTapState ts{}, blank{};
    IirDlyState ds{}, none{};
    auto first = coef<C>({1, 0, 1, -0.5f});
    const auto bq = coef<C>({1, 0.5f, 0.25f, 1, 0.1f, 0.2f});
    typename P::Dl dly[2] = {};
    const std::vector<I> in(4, voktest::fromLC<I>(voktest::LC(4)));
    Sentinel out(4 * sizeof(O));
    step.run([&] { P::init(2, nullptr, -1, nullptr); },
             reps(n[0], L, {"tapStPtr==0", "taps==0", P::orderMsg, "iirType is out of range"}));
    step.run([&] { P::initBq(-1, nullptr, 0, nullptr); },
             reps(n[1], L, {"tapStPtr==0", "taps==0", P::quadsMsg, "iirType is out of range"}));
    step.run([&] {
        auto zeroA = coef<C>({1, 2, -0.0f, 1});
        const auto keep = zeroA;
        P::init(0, zeroA.data(), 1, &ts);
        EXPECT_TRUE(same(keep.data(), zeroA.data(), 4));
        EXPECT_EQ(nullptr, ts.taps);
    }, reps(n[0], L, {"taps[order+1] equals zero"}));
    for (int which : {0, 3})
        step.run([&] {
            auto two = coef<C>({1, 0.5f, 0.25f, 1, 0.1f, 0.2f, 1, 1, 1, 1, 1, 1});
            two[6 + which] = coef<C>({-0.0f})[0];
            const auto keep = two;
            P::initBq(0, two.data(), 2, &ts);
            EXPECT_TRUE(same(keep.data(), two.data(), 12));
        }, reps(n[1], L, {"taps[?] equals zero"}));
    step.run([&] { P::initDlyl(nullptr, nullptr, nullptr); }, reps(n[2], L, {"tapStPtr==0", "dlyStPtr==0"}));
    step.run([&] {
        IirTapState junk{3, nullptr, 0, 7};
        P::initDlyl(&junk, nullptr, &ds);
        EXPECT_EQ(nullptr, ds.dlyl);
    }, reps(n[2], L, {kUninit, kUninit, "dlyl==0"}));
    step.run([&] { EXPECT_TRUE(isZero(P::one(nullptr, nullptr, in[0]))); },
             reps(n[3], L, {"tapStPtr==0", "dlyStPtr==0"}));
    step.run([&] {
        P::init(0, first.data(), 1, &ts);
        EXPECT_TRUE(isZero(P::one(&ts, &none, in[0])));
    }, reps(n[3], L, {"structure *dlyStPtr wasn't initialized"}));
    step.run([&] { P::blk(nullptr, nullptr, nullptr, nullptr, -1); },
             reps(n[4], L, {"tapStPtr==0", "dlyStPtr==0", "inSamps==0", "outSamps==0"}));
    step.run([&] {
        P::initDlyl(&ts, dly, &ds);
        P::blk(&blank, &ds, in.data(), out.as<O>(), -2);
    }, reps(n[4], L, {kUninit, "numIters < 0"}));

    // The high layer.
    IirState st{}, cleared{}, fresh{}, good{};
    st.initMarker = 31725;
    const IirState before = st;
    step.run([&] { P::hInit(0, nullptr, 1, nullptr); }, reps(n[5], H, {"statePtr==0", "tapVals==0"}));
    step.run([&] { P::hInitBq(0, nullptr, 1, nullptr); }, reps(n[6], H, {"statePtr==0", "tapVals==0"}));
    step.run([&] { P::hInit(3, bq.data(), -1, &st); },
             reps(n[5], H, {"order < 0", "iirType is out of range", kInit}));
    step.run([&] { P::hInitBq(0, bq.data(), 0, &st); }, reps(n[6], H, {"numQuads <= 0", kInit}));
    EXPECT_TRUE(same(&before, &st));
    step.run([&] { EXPECT_TRUE(isZero(P::hOne(nullptr, in[0]))); }, reps(n[7], H, {"statePtr==0"}));
    step.run([&] { EXPECT_TRUE(isZero(P::hOne(&cleared, in[0]))); }, reps(n[7], H, {"IIR filter wasn't initialized"}));
    step.run([&] { EXPECT_EQ(kBad, P::hBlk(nullptr, nullptr, nullptr, 0)); },
             k16 ? reps(n[8], H, {"statePtr==0", "inSamps==0", "outSamps==0"}) : reps(n[8], H, {"statePtr==0"}));
    for (int k : {1, 2})  // the private copy, then the private delay line
        step.run(refusing(k, [&] { P::hInitBq(0, bq.data(), 1, &fresh); }), reps(n[6], H, {kNoState}, kMem));
    // A coefficient copy beyond the allocator's byte count fails like a refused allocation.
    if constexpr (!k16)
        step.run([&] { P::hInitBq(0, bq.data(), 0x20000000, &fresh); }, reps(n[6], H, {kNoState, kNoState}, kMem));
    const auto zeroA = coef<C>({1, 1, 0, 1}), zeroB = coef<C>({0, 1, 1, 1, 1, 1});
    step.run([&] { P::hInit(0, zeroA.data(), 1, &fresh); },
             then(reps(n[0], L, {"taps[order+1] equals zero"}), n[5], H));
    step.run([&] { P::hInitBq(0, zeroB.data(), 1, &fresh); }, then(reps(n[1], L, {"taps[?] equals zero"}), n[6], H));
    EXPECT_EQ(0, fresh.initMarker);
    step.run([&] { P::hInit(0, bq.data(), 2, &good); }, {});
    if constexpr (!k16)
        step.run([&] { EXPECT_EQ(kBad, P::hBlk(&good, nullptr, out.as<O>(), -1)); },
                 then(reps(n[4], L, {"inSamps==0"}), n[8], H));
    step.run([&] { EXPECT_EQ(kBad, vokIirFree(nullptr)); }, reps("vokIirFree", "vokiirh", {"statePtr==0"}));
    step.run([&] { EXPECT_EQ(kBad, vokIirFree(&cleared)); },
             reps("vokIirFree", "vokiirh", {"IIR filter wasn't initialized"}));

    step.run([&] {
        P::one(&ts, &ds, in[0]);
        P::hOne(&good, in[0]);
    }, {});
    const IirState goodBefore = good;
    const auto* goodDly = static_cast<typename P::Dl*>(good.dlyState.dlyl);
    const std::vector<typename P::Dl> dlyBefore(dly, dly + 1), goodDlyBefore(goodDly, goodDly + 2);
    auto unused = coef<C>({2, 1, 4, 0.5f, 1, 1});
    const auto unusedBefore = unused;
    step.run([&] {
        vokSetErrStatus(kBad);
        IirTapState t2{};
        IirState other{};
        EXPECT_TRUE(isZero(P::one(&ts, &ds, in[0])));
        EXPECT_TRUE(isZero(P::hOne(&good, in[0])));
        P::blk(&ts, &ds, in.data(), out.as<O>(), 3);
        EXPECT_EQ(kBad, P::hBlk(&good, in.data(), out.as<O>(), 3));
        P::init(0, unused.data(), 1, &t2);
        P::initBq(0, unused.data(), 1, &t2);
        P::hInit(0, unused.data(), 1, &other);
        P::hInitBq(0, unused.data(), 1, &other);
        P::initDlyl(&ts, dly, &ds);
        EXPECT_TRUE(t2.taps == nullptr && other.initMarker == 0 && same(&goodBefore, &good));
        EXPECT_TRUE(same(dlyBefore.data(), dly) && same(goodDlyBefore.data(), goodDly, 2));
        EXPECT_TRUE(same(unusedBefore.data(), unused.data(), 6));
        EXPECT_EQ(0, vokIirFree(&good));  // only the release still works
        EXPECT_EQ(0, good.initMarker);
    }, {});
    EXPECT_TRUE(out.untouched());
}

// A first-order 16-bit filter with one sample through it (delay line 2).
struct Primed {
    float taps[4] = {1, 0, 1, -0.5f};
    IirTapState ts{};
    IirDlyState ds{};
    int dly = 0;
    Primed() {
        w::init(0, taps, 1, &ts);
        w::initDlyl(&ts, &dly, &ds);
        w::one(&ts, &ds, 4);
    }
};

// The work arrays of the 16-bit filters: a refusal reports, returns zero and
// changes nothing; order 0 takes a null delay line; zero iterations are fine
// in the low layer and an error in the high one.
TEST(IirReports, SixteenBitWorkArrays) {
    Primed p;
    voktest::ReportSteps step("vokiirlw");
    const char *L = "vokiirlw", *H = "vokiirhw";
    IirTapState ts{};
    IirDlyState ds{};
    const short in[3] = {1, 2, 3};
    Sentinel out(3 * sizeof(short));
    for (bool biquad : {false, true})  // no work array: the coefficients stay floats
        step.run(refusing(1, [&] {
            float t[] = {1, 0.5f, 0.25f, 1, 0.1f, 0.2f}, keep[6];
            std::memcpy(keep, t, sizeof t);
            biquad ? w::initBq(0, t, 1, &ts) : w::init(0, t, 2, &ts);
            EXPECT_TRUE(same(keep, t, 6));
        }), reps(biquad ? "vokwIirlInitBq" : "vokwIirlInit", L, {kNoWork}, kMem));
    step.run([&] {
        float gain[] = {3, 1};
        w::init(0, gain, 0, &ts);
        w::initDlyl(&ts, nullptr, &ds);
        EXPECT_EQ(6, w::one(&ts, &ds, 2));
        w::blk(&p.ts, &p.ds, in, out.as<short>(), 0);
    }, {});
    for (int n : {1, 2})  // each work array failing in turn
        step.run(refusing(n, [&] { EXPECT_EQ(0, w::one(&p.ts, &p.ds, 8)); }), reps("vokwIirl", L, {kNoWork}, kMem));
    for (int n : {1, 2, 3})
        step.run(refusing(n, [&] { w::blk(&p.ts, &p.ds, in, out.as<short>(), 3); }),
                 reps("vokwbIirl", L, {kNoWork}, kMem));
    EXPECT_EQ(2, p.dly);

    const float taps[] = {1, 0.5f, 0.25f, 1, 0.1f, 0.2f}, first[] = {1, 1, 1, -0.5f};
    IirState fresh{}, cleared{}, good{};
    step.run(refusing(3, [&] { w::hInit(0, taps, 2, &fresh); }),
             then(reps("vokwIirlInit", L, {kNoWork}, kMem), "vokwIirInit", H));
    EXPECT_EQ(0, fresh.initMarker);
    step.run([&] { EXPECT_EQ(kBad, w::hBlk(&cleared, in, out.as<short>(), 0)); },
             reps("vokwbIir", H, {"numIters <= 0", "IIR filter wasn't initialized"}));
    step.run([&] { w::hInit(0, first, 1, &good); }, {});
    step.run(refusing(3, [&] { EXPECT_EQ(kMem, w::hBlk(&good, in, out.as<short>(), 2)); }),
             then(reps("vokwbIirl", L, {kNoWork}, kMem), "vokwbIir", H));
    EXPECT_EQ(0, *static_cast<int*>(good.dlyState.dlyl));
    EXPECT_EQ(0, vokIirFree(&good));
    EXPECT_TRUE(out.untouched());
}

}  // namespace
