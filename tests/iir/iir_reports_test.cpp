// Every failure report of the IIR filters, all nine type families, both
// layers, in check order, each row one call; the rows also check that a failed
// call left the caller's coefficients, records, delay line and outputs as they were.
#include <gtest/gtest.h>

#include <vector>

#include "frame/test_seams.h"
#include "iir/iir_calls.h"
#include "voktest/report_steps.h"
#include "voktest/values.h"

namespace {

using namespace iirtest;
using voktest::Expected;
using voktest::sameBits;
using voktest::valuesOf;
constexpr int kBad = VOK_StatusBadArg, kMem = VOK_StatusNoMemory;
const char* const kInit = "IIR filter state structure is already initialized! Use vokIirFree to free it";
const char* const kUninit = "structure *tapStPtr wasn't initialized";
const char* const kNotInit = "IIR filter wasn't initialized";
const char* const kNoState = "insufficiency of memory for IIR filter state";
const char* const kNoWork = "No memory for working array";

// The reports of P::names[k] (9: the release), in order, all with one status;
// after an inner failure, the backtrace of the outer function names[outer].
template <class P>
std::vector<Expected> reps(int k, std::vector<const char*> contexts, int status = kBad, int outer = -1) {
    std::vector<Expected> r;
    for (const char* c : contexts)
        r.push_back({status, k < 9 ? P::names[k] : "vokIirFree", c, k < 5 ? P::low : k < 9 ? P::high : "vokiirh"});
    if (outer >= 0) r.push_back({VOK_StatusBacktrace, P::names[outer], "<null>", P::high});
    return r;
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

template <class T> bool isZero(const T& v) { return sameBits(&v, std::vector<T>(1).data(), 1); }

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
    using O = typename P::O;
    // names: init, initBq, initDlyl, one, blk, hInit, hInitBq, hOne, hBlk
    voktest::ReportSteps step(P::low);
    IirTapState ts{}, blank{};
    IirDlyState ds{}, none{};
    auto first = valuesOf<C>({1, 0, 1, -0.5L});
    const auto bq = valuesOf<C>({1, 0.5L, 0.25L, 1, 0.1L, 0.2L});
    typename P::Dl dly[2] = {};
    const std::vector<typename P::I> in(4, voktest::fromLC<typename P::I>(4));
    voktest::Sentinel out(4 * sizeof(O));
    step.run([&] { P::init(2, nullptr, -1, nullptr); },
             reps<P>(0, {"tapStPtr==0", "taps==0", P::orderMsg, "iirType is out of range"}));
    step.run([&] { P::initBq(-1, nullptr, 0, nullptr); },
             reps<P>(1, {"tapStPtr==0", "taps==0", P::quadsMsg, "iirType is out of range"}));
    for (int which : {-1, 0, 3})  // order 1 with a0 = -0; two sections, the second's b0 or a0 -0
        step.run([&] {
            auto taps = which < 0 ? valuesOf<C>({1, 2, -0.0L, 1}) : bq;
            if (which >= 0) taps.insert(taps.end(), bq.begin(), bq.end());
            if (which >= 0) taps[6 + which] = valuesOf<C>({-0.0L})[0];
            const auto keep = taps;
            which < 0 ? P::init(0, taps.data(), 1, &ts) : P::initBq(0, taps.data(), 2, &ts);
            EXPECT_TRUE(sameBits(keep, taps));
            EXPECT_TRUE(which >= 0 || ts.taps == nullptr);
        }, reps<P>(which < 0 ? 0 : 1, {which < 0 ? "taps[order+1] equals zero" : "taps[?] equals zero"}));
    step.run([&] { P::initDlyl(nullptr, nullptr, nullptr); }, reps<P>(2, {"tapStPtr==0", "dlyStPtr==0"}));
    step.run([&] {
        IirTapState junk{3, nullptr, 0, 7};
        P::initDlyl(&junk, nullptr, &ds);
        EXPECT_EQ(nullptr, ds.dlyl);
    }, reps<P>(2, {kUninit, kUninit, "dlyl==0"}));
    step.run([&] { EXPECT_TRUE(isZero(P::one(nullptr, nullptr, in[0]))); }, reps<P>(3, {"tapStPtr==0", "dlyStPtr==0"}));
    step.run([&] {
        P::init(0, first.data(), 1, &ts);
        EXPECT_TRUE(isZero(P::one(&ts, &none, in[0])));
    }, reps<P>(3, {"structure *dlyStPtr wasn't initialized"}));
    step.run([&] { P::blk(nullptr, nullptr, nullptr, nullptr, -1); },
             reps<P>(4, {"tapStPtr==0", "dlyStPtr==0", "inSamps==0", "outSamps==0"}));
    step.run([&] {
        P::initDlyl(&ts, dly, &ds);
        P::blk(&blank, &ds, in.data(), out.as<O>(), -2);
    }, reps<P>(4, {kUninit, "numIters < 0"}));

    // The high layer.
    IirState st{}, cleared{}, fresh{}, good{};
    st.initMarker = 31725;
    const IirState before = st;
    step.run([&] { P::hInit(0, nullptr, 1, nullptr); }, reps<P>(5, {"statePtr==0", "tapVals==0"}));
    step.run([&] { P::hInitBq(0, nullptr, 1, nullptr); }, reps<P>(6, {"statePtr==0", "tapVals==0"}));
    step.run([&] { P::hInit(3, bq.data(), -1, &st); }, reps<P>(5, {"order < 0", "iirType is out of range", kInit}));
    step.run([&] { P::hInitBq(0, bq.data(), 0, &st); }, reps<P>(6, {"numQuads <= 0", kInit}));
    EXPECT_TRUE(sameBits(&before, &st, 1));
    step.run([&] { EXPECT_TRUE(isZero(P::hOne(nullptr, in[0]))); }, reps<P>(7, {"statePtr==0"}));
    step.run([&] { EXPECT_TRUE(isZero(P::hOne(&cleared, in[0]))); }, reps<P>(7, {kNotInit}));
    step.run([&] { EXPECT_EQ(kBad, P::hBlk(nullptr, nullptr, nullptr, 0)); },
             P::k16 ? reps<P>(8, {"statePtr==0", "inSamps==0", "outSamps==0"}) : reps<P>(8, {"statePtr==0"}));
    for (int k : {1, 2})  // the private copy, then the private delay line
        step.run(refusing(k, [&] { P::hInitBq(0, bq.data(), 1, &fresh); }), reps<P>(6, {kNoState}, kMem));
    // A coefficient copy beyond the allocator's byte count fails like a refused allocation.
    if constexpr (!P::k16)
        step.run([&] { P::hInitBq(0, bq.data(), 0x20000000, &fresh); }, reps<P>(6, {kNoState, kNoState}, kMem));
    const auto zeroA = valuesOf<C>({1, 1, 0, 1}), zeroB = valuesOf<C>({0, 1, 1, 1, 1, 1});
    step.run([&] { P::hInit(0, zeroA.data(), 1, &fresh); }, reps<P>(0, {"taps[order+1] equals zero"}, kBad, 5));
    step.run([&] { P::hInitBq(0, zeroB.data(), 1, &fresh); }, reps<P>(1, {"taps[?] equals zero"}, kBad, 6));
    step.run([&] { P::hInit(0, bq.data(), 2, &good); }, {});
    if constexpr (!P::k16)
        step.run([&] { EXPECT_EQ(kBad, P::hBlk(&good, nullptr, out.as<O>(), -1)); },
                 reps<P>(4, {"inSamps==0"}, kBad, 8));
    step.run([&] { EXPECT_EQ(kBad, vokIirFree(nullptr)); }, reps<P>(9, {"statePtr==0"}));
    step.run([&] { EXPECT_EQ(kBad, vokIirFree(&cleared)); }, reps<P>(9, {kNotInit}));

    step.run([&] {
        P::one(&ts, &ds, in[0]);
        P::hOne(&good, in[0]);
    }, {});
    const IirState goodBefore = good;
    const auto* goodDly = static_cast<typename P::Dl*>(good.dlyState.dlyl);
    const std::vector<typename P::Dl> dlyBefore(dly, dly + 1), goodDlyBefore(goodDly, goodDly + 2);
    // The 16-bit work arrays: a refusal reports, returns zero and changes
    // nothing; order 0 takes a null delay line; zero iterations are fine in
    // the low layer and an error in the high one.
    if constexpr (P::k16) {
        for (int biquad : {0, 1})  // no work array: the coefficients stay floats
            step.run(refusing(1, [&] {
                auto t = bq;
                IirTapState t2{};
                biquad ? P::initBq(0, t.data(), 1, &t2) : P::init(0, t.data(), 2, &t2);
                EXPECT_TRUE(sameBits(bq, t));
            }), reps<P>(biquad, {kNoWork}, kMem));
        step.run([&] {
            float gain[] = {3, 1};
            IirTapState t2{};
            IirDlyState d2{};
            P::init(0, gain, 0, &t2);
            P::initDlyl(&t2, nullptr, &d2);
            EXPECT_EQ(6, P::one(&t2, &d2, 2));
            P::blk(&ts, &ds, in.data(), out.as<O>(), 0);
        }, {});
        for (int n : {1, 2})  // each work array failing in turn
            step.run(refusing(n, [&] { EXPECT_EQ(0, P::one(&ts, &ds, 8)); }), reps<P>(3, {kNoWork}, kMem));
        for (int n : {1, 2, 3})
            step.run(refusing(n, [&] { P::blk(&ts, &ds, in.data(), out.as<O>(), 3); }), reps<P>(4, {kNoWork}, kMem));
        EXPECT_EQ(2, dly[0]);
        step.run(refusing(3, [&] { P::hInit(0, bq.data(), 2, &fresh); }), reps<P>(0, {kNoWork}, kMem, 5));
        step.run([&] { EXPECT_EQ(kBad, P::hBlk(&cleared, in.data(), out.as<O>(), 0)); },
                 reps<P>(8, {"numIters <= 0", kNotInit}));
        step.run(refusing(3, [&] { EXPECT_EQ(kMem, P::hBlk(&good, in.data(), out.as<O>(), 2)); }),
                 reps<P>(4, {kNoWork}, kMem, 8));
    }
    EXPECT_EQ(0, fresh.initMarker);
    auto unused = valuesOf<C>({2, 1, 4, 0.5L, 1, 1});
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
        EXPECT_TRUE(t2.taps == nullptr && other.initMarker == 0 && sameBits(&goodBefore, &good, 1));
        EXPECT_TRUE(sameBits(dlyBefore.data(), dly, 1) && sameBits(goodDlyBefore.data(), goodDly, 2));
        EXPECT_TRUE(sameBits(unusedBefore, unused));
        EXPECT_EQ(0, vokIirFree(&good));  // only the release still works
        EXPECT_EQ(0, good.initMarker);
    }, {});
    EXPECT_TRUE(out.untouched());
}

}  // namespace
