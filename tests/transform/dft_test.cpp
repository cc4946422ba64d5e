// DFT of any length: values against a long-double direct sum for every length
// 1 ... 70, primes up to 8191 and mixed factorisations, inverse round trips and
// scaling, the same bits at every kernel width, the 16-bit form under every
// scale mode, the caches and every failure.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <vector>

#include "frame/context.h"
#include "frame/test_seams.h"
#include "reference.h"
#include "support/report_steps.h"
#include "support/reports.h"
#include "support/widths.h"
#include "transform/dftany.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;
using LC = std::complex<long double>;

using ffttest::directDft;

std::vector<LC> randomSignal(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1, 1);
    std::vector<LC> x(n);
    for (auto& v : x) v = LC(float(dist(gen)), float(dist(gen)));  // exactly representable in float
    return x;
}

template <class C>
std::vector<C> toRecords(const std::vector<LC>& x) {
    std::vector<C> out(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) out[i] = {decltype(C::re)(x[i].real()), decltype(C::re)(x[i].imag())};
    return out;
}

template <class C>
long double maxError(const std::vector<C>& got, const std::vector<LC>& want, long double factor = 1) {
    long double worst = 0;
    for (std::size_t i = 0; i < want.size(); ++i)
        worst = std::max(worst, std::abs(LC(got[i].re, got[i].im) - want[i] * factor));
    return worst;
}

template <class C> void dft(const C* src, C* dst, int n, int flags);
template <> void dft<FloatComplex>(const FloatComplex* src, FloatComplex* dst, int n, int flags) {
    vokcDft(src, dst, n, flags);
}
template <> void dft<DoubleComplex>(const DoubleComplex* src, DoubleComplex* dst, int n, int flags) {
    vokzDft(src, dst, n, flags);
}

// Release the thread's DFT lists so that each case starts with room for 32 lengths.
void freeTables() {
    vokcFreeTwdTbls();
    vokzFreeTwdTbls();
    vokvFreeTwdTbls();
}

template <class C>
struct Precision;
template <> struct Precision<FloatComplex> { static constexpr long double eps = 6e-8L; };
template <> struct Precision<DoubleComplex> { static constexpr long double eps = 1.2e-16L; };

template <class C>
class DftValues : public ::testing::Test {
protected:
    void TearDown() override { freeTables(); }

    // Forward and inverse against the reference, and forward-then-inverse back to the input.
    void checkLength(int n) {
        const std::vector<LC> x = randomSignal(n, 1000u + unsigned(n));
        const std::vector<C> src = toRecords<C>(x);
        // Twiddle rounding and the folded storage each contribute a unit in
        // the last place per term; they add up like a random walk.
        const long double tol = 16 * Precision<C>::eps * std::sqrt((long double)n) * std::sqrt((long double)n);
        std::vector<C> fwd(n), inv(n), back(n);
        dft<C>(src.data(), fwd.data(), n, VOK_Forw);
        dft<C>(src.data(), inv.data(), n, VOK_Inv);
        ASSERT_EQ(vokGetErrStatus(), VOK_StatusOk) << n;
        EXPECT_LE(maxError(fwd, directDft(x, true)), tol) << "forward, length " << n;
        EXPECT_LE(maxError(inv, directDft(x, false), 1.0L / n), tol / n) << "inverse, length " << n;
        dft<C>(fwd.data(), back.data(), n, VOK_Inv);
        EXPECT_LE(maxError(back, x), 4 * tol / std::sqrt((long double)n)) << "round trip, length " << n;
    }
};
using DftTypes = ::testing::Types<FloatComplex, DoubleComplex>;
TYPED_TEST_SUITE(DftValues, DftTypes);

TYPED_TEST(DftValues, EveryLengthUpTo70) {
    for (int n = 1; n <= 70; ++n) {
        this->checkLength(n);
        if (n % 30 == 0) freeTables();
    }
}

TYPED_TEST(DftValues, PrimeLengths) {
    const int primes[] = {71, 73, 79, 83, 89, 97, 101, 103, 107, 109, 113, 127, 131, 137, 139, 149, 151, 157,
                          163, 167, 173, 179, 181, 191, 193, 197, 199, 211, 251, 331, 401, 509, 631, 769, 887,
                          1009, 1013, 1019, 1021};
    int used = 0;
    for (int p : primes) {
        this->checkLength(p);
        if (++used % 30 == 0) freeTables();
    }
}

// Relative RMS error of got against want (times factor).
template <class C>
long double relativeRms(const std::vector<C>& got, const std::vector<LC>& want, long double factor = 1) {
    long double err = 0, ref = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        err += std::norm(LC(got[i].re, got[i].im) - want[i] * factor);
        ref += std::norm(want[i] * factor);
    }
    return std::sqrt(err / ref);
}

// Lengths of small prime factors go through mixed-radix FFT passes, long ones
// with a large factor through a chirp convolution; either must be as accurate
// as an FFT, in both directions, in place, scaled or not (bits beside the
// direction ignored).
TYPED_TEST(DftValues, LongLengthsAreAsAccurateAsAnFft) {
    using C = TypeParam;
    for (int n : {6, 9, 35, 48, 100, 120, 210, 343, 1000, 1024, 1536, 2310, 2999, 4096, 4800, 8191}) {
        if (voktest::kEmulated && n > 1536) continue;
        const std::vector<LC> x = randomSignal(n, 5u + unsigned(n));
        const std::vector<LC> fwdRef = directDft(x, true), invRef = directDft(x, false);
        const long double bound = 2 * Precision<C>::eps * std::log2((long double)n);
        std::vector<C> data = toRecords<C>(x), raw(n), scaled(n);
        dft<C>(data.data(), data.data(), n, VOK_Forw | VOK_NoScale | VOK_NoBitRev);
        dft<C>(toRecords<C>(x).data(), raw.data(), n, VOK_Inv | VOK_NoScale);
        dft<C>(toRecords<C>(x).data(), scaled.data(), n, VOK_Inv);
        ASSERT_EQ(vokGetErrStatus(), VOK_StatusOk) << n;
        EXPECT_LE(relativeRms(data, fwdRef), bound) << "forward in place, length " << n;
        EXPECT_LE(relativeRms(raw, invRef), bound) << "unscaled inverse, length " << n;
        EXPECT_LE(relativeRms(scaled, invRef, 1.0L / n), bound) << "inverse, length " << n;
    }
    freeTables();
}

// Every kernel width gives the same bits, for every radix of the passes
// (partial registers included) and for the chirp.
TYPED_TEST(DftValues, EveryWidthGivesTheSameBits) {
    using C = TypeParam;
    for (int n : {21, 60, 90, 118, 121, 169, 180, 343, 1000, 1021, 2310, 4800}) {
        const std::vector<C> src = toRecords<C>(randomSignal(n, 3u + unsigned(n)));
        for (int flags : {VOK_Forw, VOK_Inv}) {
            std::vector<C> first;
            voktest::forEachWidth([&] {
                std::vector<C> out = src;
                dft<C>(out.data(), out.data(), n, flags);
                if (first.empty()) first = out;
                EXPECT_EQ(std::memcmp(first.data(), out.data(), sizeof(C) * std::size_t(n)), 0) << n;
            });
        }
    }
    freeTables();
}

// The internal transform of the other modules is the unscaled vokzDft, also
// after a float transform of the same length.
TEST(DftAnyLength, IsTheUnscaledDoubleTransform) {
    for (int n : {1, 13, 210, 1021})
        for (bool forward : {true, false}) {
            const std::vector<DoubleComplex> x = toRecords<DoubleComplex>(randomSignal(n, unsigned(n)));
            std::vector<DoubleComplex> want(n), got = x;
            vokzDft(x.data(), want.data(), n, forward ? VOK_Forw : VOK_Inv | VOK_NoScale);
            std::vector<FloatComplex> single = toRecords<FloatComplex>(randomSignal(n, 1));
            vokcDft(single.data(), single.data(), n, VOK_Forw);  // the float chirp of n in between
            ASSERT_TRUE(vok::dftAnyLength(got.data(), got.data(), n, forward));
            EXPECT_EQ(std::memcmp(want.data(), got.data(), sizeof(DoubleComplex) * std::size_t(n)), 0) << n;
        }
    freeTables();
}

// The thread keeps the plans of recent lengths and the chirp of one: switching
// lengths back and forth allocates nothing and gives the same results as the
// first time, and VOK_Free releases them.
TYPED_TEST(DftValues, SwitchingLengthsGivesTheSameResults) {
    using C = TypeParam;
    const std::vector<C> a = toRecords<C>(randomSignal(300, 1)), b = toRecords<C>(randomSignal(457, 2));
    std::vector<C> a1(300), a2(300), b1(457), b2(457);
    dft<C>(a.data(), a1.data(), 300, VOK_Forw);
    dft<C>(b.data(), b1.data(), 457, VOK_Forw);
    vok::testing::failAllocationAfter(1);  // an allocation now would take the direct sum
    dft<C>(a.data(), a2.data(), 300, VOK_Forw);
    dft<C>(b.data(), b2.data(), 457, VOK_Inv);
    dft<C>(b.data(), b2.data(), 457, VOK_Forw);
    vok::testing::failAllocationAfter(0);
    for (int i = 0; i < 300; ++i) EXPECT_TRUE(a1[i].re == a2[i].re && a1[i].im == a2[i].im) << i;
    for (int i = 0; i < 457; ++i) EXPECT_TRUE(b1[i].re == b2[i].re && b1[i].im == b2[i].im) << i;
    const vok::TransformCaches& caches = vok::threadContext().tables;
    const void* const& plan = caches.dftPlans[sizeof(C) == sizeof(FloatComplex) ? vok::kSingle : vok::kDouble].plans[0];
    EXPECT_NE(caches.chirp.block, nullptr);
    EXPECT_NE(plan, nullptr);
    dft<C>(nullptr, nullptr, 457, VOK_Free);
    EXPECT_EQ(caches.chirp.block, nullptr);
    EXPECT_EQ(plan, nullptr);
    freeTables();
}

// When the plan or the chirp cannot be built the direct sum answers instead:
// no report, the same transform within the direct sum's bound.
TYPED_TEST(DftValues, ShortMemoryFallsBackToTheDirectSum) {
    using C = TypeParam;
    for (int n : {211, 35}) {
        const std::vector<LC> x = randomSignal(n, 9);
        const std::vector<C> src = toRecords<C>(x);
        ReportRecorder rec;
        dft<C>(nullptr, nullptr, n, VOK_Free);  // drops plans and chirp (and for vokcDft the slot)
        std::vector<C> out(n);
        dft<C>(src.data(), out.data(), n, VOK_Init);  // slot and table back, no plan or chirp yet
        vok::testing::failAllocationAfter(1);
        dft<C>(src.data(), out.data(), n, VOK_Forw);
        vok::testing::failAllocationAfter(0);
        EXPECT_EQ(vokGetErrStatus(), VOK_StatusOk);
        EXPECT_TRUE(rec.reports().empty());
        EXPECT_LE(maxError(out, directDft(x, true)), 16 * Precision<C>::eps * n);
    }
    freeTables();
}

// ---- failures: exact reports, check order, nothing written ----

class DftFailures : public ::testing::Test {
protected:
    void TearDown() override {
        vok::testing::failAllocationAfter(0);
        freeTables();
        vokSetErrStatus(VOK_StatusOk);
    }
};

TEST_F(DftFailures, SinglePrecisionChecksInOrder) {
    const FloatComplex src[4] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}};
    Sentinel out(4 * sizeof(FloatComplex));
    FloatComplex* dst = out.as<FloatComplex>();
    const char* kFlag = "VOK_Forw or VOK_Inv must be as a flag";
    voktest::ReportSteps step("vokdft");
    step.run([&] { vokcDft(src, dst, 0, VOK_Forw); },
             {{VOK_StatusBadArg, "vokcGetDftTwdTbl", "length<=0", "voktwd"},
              {VOK_StatusBadArg, "vokcDft", "length<=0", "vokdft"}});
    // The length comes before the flags.
    step.run([&] { vokcDft(src, dst, -3, 0); },
             {{VOK_StatusBadArg, "vokcGetDftTwdTbl", "length<=0", "voktwd"},
              {VOK_StatusBadArg, "vokcDft", "length<=0", "vokdft"}});
    step("vokcDft", "src==0", [&] { vokcDft(nullptr, dst, 4, 0); });
    step("vokcDft", "dst==0", [&] { vokcDft(src, nullptr, 4, 0); });
    step("vokcDft", kFlag, [&] { vokcDft(src, dst, 4, 0); });
    step("vokcDft", kFlag, [&] { vokcDft(src, dst, 4, VOK_Forw | VOK_Inv); });
    // Init and Free come before the pointer checks and write nothing.
    step.run([&] { vokcDft(nullptr, nullptr, 4, VOK_Init); vokcDft(nullptr, dst, 4, VOK_Free); }, {});
    EXPECT_EQ(vok::threadContext().tables.work[1].buffer, nullptr);
    // With a failure still standing the table lookup returns nothing.
    step("vokcDft", "TwdTbl==0", [&] { vokSetErrStatus(VOK_StatusBadArg); vokcDft(src, dst, 4, VOK_Forw); });
    EXPECT_TRUE(out.untouched());
}

TEST_F(DftFailures, DoublePrecisionChecksInOrder) {
    const DoubleComplex src[3] = {{1, 0}, {2, 0}, {3, 0}};
    Sentinel out(3 * sizeof(DoubleComplex));
    DoubleComplex* dst = out.as<DoubleComplex>();
    voktest::ReportSteps step("vokdft");
    step.run([&] { vokzDft(src, dst, 0, VOK_Forw); },
             {{VOK_StatusBadArg, "vokzGetDftTwdTbl", "length<=0", "voktwd"},
              {VOK_StatusBadArg, "vokzDft", "length<=0", "vokdft"}});
    step.run([&] { vokzDft(nullptr, nullptr, 3, VOK_Init); vokzDft(nullptr, nullptr, 3, VOK_Free); }, {});
    step("vokzDft", "src==0", [&] { vokzDft(nullptr, dst, 3, VOK_Forw); });
    step("vokzDft", "dst==0", [&] { vokzDft(src, nullptr, 3, VOK_Forw); });
    step("vokzDft", "VOK_Forw or VOK_Inv must be as a flag", [&] { vokzDft(src, dst, 3, VOK_NoScale); });
    // The scratch copy cannot be had: the call reports and leaves dst alone.
    vokSetErrStatus(VOK_StatusOk);
    ASSERT_NE(vokzGetDftTwdTbl(3), nullptr);
    voktest::ReportSteps noMemory("vokdft", VOK_StatusNoMemory);
    vok::testing::failAllocationsAfter(1, 2);  // the plan, then the direct sum's copy
    noMemory("vokzDft", "NULL Pointer", [&] { vokzDft(src, dst, 3, VOK_Forw); });
    vok::testing::failAllocationAfter(0);
    EXPECT_TRUE(out.untouched());
}

TEST_F(DftFailures, WorkBufferMissing) {
    ReportRecorder rec;
    const FloatComplex src[5] = {};
    Sentinel out(5 * sizeof(FloatComplex));
    ASSERT_NE(vokcGetDftTwdTbl(5), nullptr);
    vokcDft(nullptr, nullptr, 5, VOK_Free);  // empties slot 1
    vok::testing::failAllocationAfter(1);
    vokcDft(src, out.as<FloatComplex>(), 5, VOK_Forw);
    vok::testing::failAllocationAfter(0);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokcDft", "buff==0", "vokdft"});
    EXPECT_TRUE(out.untouched());
}

TEST_F(DftFailures, FullTableOnTheLengthPastTheCapacity) {
    ReportRecorder rec;
    const int capacity = vok::threadContext().tableCapacity;
    std::vector<FloatComplex> src(capacity + 1, FloatComplex{1, 1}), dst(capacity + 1);
    for (int n = 1; n <= capacity; ++n) vokcDft(src.data(), dst.data(), n, VOK_Forw);
    EXPECT_REPORTS(rec);
    Sentinel out((capacity + 1) * sizeof(FloatComplex));
    vokcDft(src.data(), out.as<FloatComplex>(), capacity + 1, VOK_Forw);
    EXPECT_REPORTS(rec, {VOK_StatusNoMemory, "vokcGetDftTwdTbl", "Full Table", "voktwd"},
                   {VOK_StatusBadArg, "vokcDft", "TwdTbl==0", "vokdft"});
    EXPECT_TRUE(out.untouched());
    // A length already in the list still works.
    vokSetErrStatus(VOK_StatusOk);
    rec.clear();
    vokcDft(src.data(), dst.data(), capacity, VOK_Forw);
    EXPECT_REPORTS(rec);
    EXPECT_FLOAT_EQ(dst[0].re, float(capacity));
}

// ---- 16-bit form ----

// An exact value brought to 16 bits: scaled by 2^-sf, truncated toward zero,
// then saturated (modes 1 and 3) or wrapped to the low 16 bits.
short toShort(long double v, int mode, int sf) {
    if (mode == VOK_FIXED_SCALE || mode == (VOK_FIXED_SCALE | VOK_SATURATE) || mode == VOK_AUTO_SCALE)
        v = std::ldexp(v, -sf);
    const long double t = std::trunc(v);
    if (mode == VOK_SATURATE || mode == (VOK_FIXED_SCALE | VOK_SATURATE))
        return short(t < -32768 ? -32768 : t > 32767 ? 32767 : t);
    return short((unsigned short)(long long)std::fmod(t, 65536.0L));
}

int autoFactor(const std::vector<LC>& x) {
    long double m = 0;
    for (const LC& v : x) m = std::max({m, std::fabs(v.real()), std::fabs(v.imag())});
    return m <= 32767 ? 0 : std::ilogb(m) - 14;
}

struct ShortCase {
    int length, flags, mode, factor;
};

class ShortDft : public ::testing::TestWithParam<ShortCase> {
protected:
    void TearDown() override { freeTables(); }
};

TEST_P(ShortDft, MatchesTheExactTransformBroughtTo16Bits) {
    const ShortCase c = GetParam();
    std::mt19937 gen(unsigned(c.length * 31 + c.mode));
    std::uniform_int_distribution<int> dist(-2000, 2000);
    std::vector<ShortComplex> src(c.length);
    std::vector<LC> x(c.length);
    for (int i = 0; i < c.length; ++i) {
        src[i] = {short(dist(gen)), short(dist(gen))};
        x[i] = LC(src[i].re, src[i].im);
    }
    std::vector<LC> want = directDft(x, (c.flags & VOK_Forw) != 0);
    if ((c.flags & VOK_Inv) && !(c.flags & VOK_NoScale))
        for (LC& v : want) v /= (long double)c.length;
    int sf = c.factor;
    std::vector<ShortComplex> dst(c.length);
    ReportRecorder rec;
    EXPECT_EQ(vokvDft(src.data(), dst.data(), c.length, c.flags, c.mode, &sf), VOK_StatusOk);
    EXPECT_REPORTS(rec);
    const int usedSf = c.mode == VOK_AUTO_SCALE ? autoFactor(want) : c.factor;
    if (c.mode == VOK_AUTO_SCALE) EXPECT_EQ(sf, usedSf);
    else EXPECT_EQ(sf, c.factor);
    for (int i = 0; i < c.length; ++i) {
        EXPECT_LE(std::abs(short(dst[i].re - toShort(want[i].real(), c.mode, usedSf))), 1) << i;
        EXPECT_LE(std::abs(short(dst[i].im - toShort(want[i].imag(), c.mode, usedSf))), 1) << i;
    }
}

std::vector<ShortCase> shortCases() {
    std::vector<ShortCase> out;
    for (int length : {2, 3, 7, 16, 30, 45})
        for (int flags : {VOK_Forw, VOK_Inv, VOK_Inv | VOK_NoScale})
            for (int mode : {0, 1, 2, 3, 4})
                out.push_back({length, flags, mode, mode == VOK_FIXED_SCALE ? 2 : mode == 3 ? -1 : 0});
    return out;
}
INSTANTIATE_TEST_SUITE_P(Modes, ShortDft, ::testing::ValuesIn(shortCases()));

TEST(ShortDftEdges, LengthOneCopiesAndFreeReleases) {
    ReportRecorder rec;
    const ShortComplex one[] = {{-7, 12}};
    ShortComplex out[1] = {};
    EXPECT_EQ(vokvDft(one, out, 1, VOK_Inv, VOK_FIXED_SCALE, nullptr), VOK_StatusOk);
    EXPECT_EQ(out[0].re, -7);
    EXPECT_EQ(out[0].im, 12);
    // Auto scale of values that fit reports factor 0.
    const ShortComplex two[] = {{100, 1}, {-50, 3}};
    ShortComplex res[2];
    int sf = 9;
    EXPECT_EQ(vokvDft(two, res, 2, VOK_Forw, VOK_AUTO_SCALE, &sf), VOK_StatusOk);
    EXPECT_EQ(sf, 0);
    EXPECT_EQ(res[0].re, 50);
    EXPECT_EQ(res[0].im, 4);
    EXPECT_EQ(res[1].re, 150);
    EXPECT_EQ(res[1].im, -2);
    EXPECT_EQ(vokvDft(nullptr, nullptr, 0, VOK_Free, 6, nullptr), VOK_StatusOk);
    const VokThreadContext& ctx = vok::threadContext();
    EXPECT_EQ(ctx.dftCount[vok::kKindC], 0);
    for (const vok::WorkSlot& slot : ctx.tables.work) EXPECT_EQ(slot.buffer, nullptr);
    for (const void* plan : ctx.tables.dftPlans[vok::kSingle].plans) EXPECT_EQ(plan, nullptr);
    EXPECT_EQ(vokvDft(nullptr, nullptr, 5, VOK_Init, 6, nullptr), VOK_StatusOk);
    EXPECT_EQ(ctx.dftCount[vok::kKindC], 1);
    EXPECT_REPORTS(rec);
    freeTables();
}

TEST(ShortDftEdges, FailuresInOrderWriteNothing) {
    ReportRecorder rec;
    const ShortComplex src[4] = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};
    Sentinel out(4 * sizeof(ShortComplex));
    ShortComplex* dst = out.as<ShortComplex>();
    int sf = 0;
    struct Call {
        const ShortComplex* s;
        ShortComplex* d;
        int length, flags, mode;
        int* factor;
        const char* context;
    };
    const Call calls[] = {
        {src, dst, 0, VOK_Forw, 0, &sf, "length<=0"},
        {nullptr, dst, 4, 0, 6, nullptr, "src==0"},
        {src, nullptr, 4, 0, 6, nullptr, "dst==0"},
        {src, dst, 4, 0, 6, nullptr, "VOK_Forw or VOK_Inv must be as a flag"},
        {src, dst, 4, VOK_Inv | VOK_Forw, 6, nullptr, "VOK_Forw or VOK_Inv must be as a flag"},
        {src, dst, 4, VOK_Inv, 6, nullptr, "VOK_FIXED_SCALE and VOK_AUTO_SCALE"},
        {src, dst, 4, VOK_Inv, 7, &sf, "VOK_FIXED_SCALE and VOK_AUTO_SCALE"},
        {src, dst, 4, VOK_Inv, VOK_AUTO_SCALE, nullptr, "VOK_AUTO_SCALE and ScaleFactor==NULL"},
        {src, dst, 4, VOK_Inv, 5, nullptr, "VOK_AUTO_SCALE and ScaleFactor==NULL"},
    };
    for (const Call& c : calls) {
        rec.clear();
        vokSetErrStatus(VOK_StatusOk);
        EXPECT_EQ(vokvDft(c.s, c.d, c.length, c.flags, c.mode, c.factor), VOK_StatusBadArg) << c.context;
        EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokvDft", c.context, "vokdft"});
    }
    EXPECT_TRUE(out.untouched());
    EXPECT_EQ(sf, 0);
    freeTables();
    vokSetErrStatus(VOK_StatusOk);
}

TEST(ShortDftEdges, WorkBufferFailureIsRetriedOnce) {
    ReportRecorder rec;
    const ShortComplex src[3] = {{1, 2}, {3, 4}, {5, 6}};
    ShortComplex dst[3];
    int sf = 0;
    ASSERT_NE(vokcGetDftTwdTbl(3), nullptr);
    vokvDft(nullptr, nullptr, 3, VOK_Free, 0, nullptr);
    // The table is rebuilt, the buffer fails once; after the tables are
    // released the second attempt succeeds and the call completes.
    vok::testing::failAllocationAfter(2);
    EXPECT_EQ(vokvDft(src, dst, 3, VOK_Forw, 0, &sf), VOK_StatusOk);
    vok::testing::failAllocationAfter(0);
    EXPECT_REPORTS(rec);
    EXPECT_EQ(dst[0].re, 9);
    EXPECT_EQ(dst[0].im, 12);
    freeTables();
}

}  // namespace
