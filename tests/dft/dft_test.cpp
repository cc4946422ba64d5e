// DFT of any length in both precisions against a long-double direct sum:
// every length 1 ... 70, primes, mixed factorisations and chirp lengths,
// forward in and out of place, scaled and unscaled inverse, round trips, the
// same bits at every kernel width; the thread's caches of plans and chirp,
// the direct sum when memory is short, and every failure.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "frame/context.h"
#include "frame/test_seams.h"
#include "voktest/fft_reference.h"
#include "voktest/report_steps.h"
#include "voktest/reports.h"
#include "voktest/widths.h"
#include "transform/dftany.h"
#include "vok.h"

namespace {

using ffttest::LC;
using voktest::ReportRecorder;
using voktest::Sentinel;

// Values exactly representable in float.
std::vector<LC> randomSignal(int n, unsigned seed) {
    std::vector<LC> x = ffttest::randomComplex(n, seed);
    for (LC& v : x) v = LC(float(v.real()), float(v.imag()));
    return x;
}

template <class C>
std::vector<C> toRecords(const std::vector<LC>& x) {
    std::vector<C> out(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) out[i] = {decltype(C::re)(x[i].real()), decltype(C::re)(x[i].imag())};
    return out;
}

// Relative RMS error of got against want.
template <class C>
long double relativeRms(const std::vector<C>& got, const std::vector<LC>& want) {
    long double err = 0, ref = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        err += std::norm(LC(got[i].re, got[i].im) - want[i]);
        ref += std::norm(want[i]);
    }
    return std::sqrt(err / ref);
}

struct Single {
    using C = FloatComplex;
    static constexpr auto dft = vokcDft;
    static constexpr long double eps = 6e-8L;
    static constexpr int precision = vok::kSingle;
};
struct Double {
    using C = DoubleComplex;
    static constexpr auto dft = vokzDft;
    static constexpr long double eps = 1.2e-16L;
    static constexpr int precision = vok::kDouble;
};

// Release the thread's DFT lists so that each case starts with room for 32 lengths.
void freeTables() {
    vokcFreeTwdTbls();
    vokzFreeTwdTbls();
    vokvFreeTwdTbls();
}

template <class P>
class Dft : public ::testing::Test {
protected:
    void TearDown() override {
        vok::testing::failAllocationAfter(0);
        freeTables();
        vokSetErrStatus(VOK_StatusOk);
    }
};
using Precisions = ::testing::Types<Single, Double>;
TYPED_TEST_SUITE(Dft, Precisions);

// Short lengths run the direct sums, lengths of small prime factors mixed-radix
// passes (every radix, partial registers included), long ones with a large
// factor a chirp convolution: each as accurate as an FFT, at every width the same bits.
TYPED_TEST(Dft, EveryPathAgainstTheDirectSumAtEveryWidth) {
    using P = TypeParam;
    using C = typename P::C;
    std::vector<int> lengths;
    for (int n = 1; n <= 70; ++n) lengths.push_back(n);
    for (int n : {71, 80, 96, 97, 100, 118, 120, 144, 160, 200, 121, 127, 169, 180, 199, 210, 251, 343, 509, 1000, 1021, 1024, 1536, 2310,
                  2999, 4096, 4800, 8191})
        if (!voktest::kEmulated || n <= 1536) lengths.push_back(n);
    int used = 0;
    for (int n : lengths) {
        SCOPED_TRACE(n);
        const std::vector<LC> x = randomSignal(n, 1000u + unsigned(n));
        const std::vector<LC> fwd = ffttest::directDft(x, true), raw = ffttest::directDft(x, false);
        std::vector<LC> inv = raw;
        for (LC& v : inv) v /= (long double)n;
        // The twiddles and the passes round once per stage.
        const long double bound = P::eps * (2 * std::log2((long double)n) + 4);
        const std::vector<C> src = toRecords<C>(x);
        std::vector<std::vector<C>> first;
        voktest::forEachWidth([&] {
            std::vector<C> inPlace = src, out(n + 1, C{-77, -77}), scaled(n), unscaled(n), back(n);
            P::dft(inPlace.data(), inPlace.data(), n, VOK_Forw | VOK_NoScale | VOK_NoBitRev);  // other bits ignored
            P::dft(src.data(), out.data(), n, VOK_Forw);
            P::dft(src.data(), scaled.data(), n, VOK_Inv);
            P::dft(src.data(), unscaled.data(), n, VOK_Inv | VOK_NoScale);
            P::dft(out.data(), back.data(), n, VOK_Inv);
            ASSERT_EQ(vokGetErrStatus(), VOK_StatusOk);
            EXPECT_TRUE(out[n].re == -77 && out[n].im == -77);
            out.pop_back();
            EXPECT_LE(relativeRms(out, fwd), bound);
            EXPECT_EQ(std::memcmp(out.data(), inPlace.data(), n * sizeof(C)), 0);
            EXPECT_LE(relativeRms(scaled, inv), bound);
            EXPECT_LE(relativeRms(unscaled, raw), bound);
            EXPECT_LE(relativeRms(back, x), 2 * bound);
            const std::vector<C>* results[] = {&out, &scaled, &unscaled};
            for (std::size_t i = 0; i < 3; ++i) {
                if (first.size() == i) first.push_back(*results[i]);
                EXPECT_EQ(std::memcmp(results[i]->data(), first[i].data(), n * sizeof(C)), 0) << i;
            }
            // The other modules' transform is the unscaled vokzDft, also after a float chirp of n.
            if constexpr (std::is_same_v<C, DoubleComplex>) {
                std::vector<FloatComplex> single = toRecords<FloatComplex>(x);
                vokcDft(single.data(), single.data(), n, VOK_Forw);
                std::vector<C> any(n), anyInv(n);
                ASSERT_TRUE(vok::dftAnyLength(src.data(), any.data(), n, true));
                ASSERT_TRUE(vok::dftAnyLength(src.data(), anyInv.data(), n, false));
                EXPECT_TRUE(!std::memcmp(any.data(), out.data(), n * sizeof(C)) &&
                            !std::memcmp(anyInv.data(), unscaled.data(), n * sizeof(C)));
            }
        });
        if (++used % 30 == 0) freeTables();
    }
}

// The thread keeps the plans of recent lengths and the chirp of one: switching
// lengths back and forth allocates nothing and gives the same results as the
// first time, and VOK_Free releases them.
TYPED_TEST(Dft, SwitchingLengthsGivesTheSameResults) {
    using P = TypeParam;
    using C = typename P::C;
    const std::vector<C> a = toRecords<C>(randomSignal(300, 1)), b = toRecords<C>(randomSignal(457, 2));
    std::vector<C> a1(300), a2(300), b1(457), b2(457);
    P::dft(a.data(), a1.data(), 300, VOK_Forw);
    P::dft(b.data(), b1.data(), 457, VOK_Forw);
    vok::testing::failAllocationAfter(1);  // an allocation now would take the direct sum
    P::dft(a.data(), a2.data(), 300, VOK_Forw);
    P::dft(b.data(), b2.data(), 457, VOK_Inv);
    P::dft(b.data(), b2.data(), 457, VOK_Forw);
    vok::testing::failAllocationAfter(0);
    EXPECT_EQ(std::memcmp(a1.data(), a2.data(), 300 * sizeof(C)), 0);
    EXPECT_EQ(std::memcmp(b1.data(), b2.data(), 457 * sizeof(C)), 0);
    const vok::TransformCaches& caches = vok::threadContext().tables;
    const void* const& plan = caches.dftPlans[P::precision].plans[0];
    EXPECT_TRUE(caches.chirp.block != nullptr && plan != nullptr);
    P::dft(nullptr, nullptr, 457, VOK_Free);
    EXPECT_TRUE(caches.chirp.block == nullptr && plan == nullptr);
    // When the plan or the chirp cannot be built the direct sum answers
    // instead: no report, the same transform within the direct sum's bound.
    for (int n : {211, 35}) {
        const std::vector<LC> x = randomSignal(n, 9);
        const std::vector<C> src = toRecords<C>(x);
        ReportRecorder rec;
        P::dft(nullptr, nullptr, n, VOK_Free);  // drops plans and chirp (and for vokcDft the slot)
        std::vector<C> out(n);
        P::dft(src.data(), out.data(), n, VOK_Init);  // slot and table back, no plan or chirp yet
        vok::testing::failAllocationAfter(1);
        P::dft(src.data(), out.data(), n, VOK_Forw);
        vok::testing::failAllocationAfter(0);
        EXPECT_REPORTS(rec);
        EXPECT_LE(relativeRms(out, ffttest::directDft(x, true)), 16 * P::eps * n);
    }
}

TEST(DftFailures, ChecksInOrderWriteNothing) {
    const FloatComplex src[5] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}};
    const DoubleComplex zsrc[3] = {{1, 0}, {2, 0}, {3, 0}};
    Sentinel out(5 * sizeof(DoubleComplex));
    FloatComplex* dst = out.as<FloatComplex>();
    DoubleComplex* zdst = out.as<DoubleComplex>();
    const char* kFlag = "VOK_Forw or VOK_Inv must be as a flag";
    auto length = [](const char* table, const char* dft) {
        return std::vector<voktest::Expected>{{VOK_StatusBadArg, table, "length<=0", "voktwd"},
                                              {VOK_StatusBadArg, dft, "length<=0", "vokdft"}};
    };
    voktest::ReportSteps step("vokdft");
    step.run([&] { vokcDft(src, dst, 0, VOK_Forw); }, length("vokcGetDftTwdTbl", "vokcDft"));
    step.run([&] { vokcDft(src, dst, -3, 0); }, length("vokcGetDftTwdTbl", "vokcDft"));  // length before flags
    step("vokcDft", "src==0", [&] { vokcDft(nullptr, dst, 4, 0); });
    step("vokcDft", "dst==0", [&] { vokcDft(src, nullptr, 4, 0); });
    step("vokcDft", kFlag, [&] { vokcDft(src, dst, 4, 0); });
    step("vokcDft", kFlag, [&] { vokcDft(src, dst, 4, VOK_Forw | VOK_Inv); });
    // Init and Free come before the pointer checks and write nothing.
    step.run([&] { vokcDft(nullptr, nullptr, 4, VOK_Init), vokcDft(nullptr, dst, 4, VOK_Free); }, {});
    EXPECT_EQ(vok::threadContext().tables.work[1].buffer, nullptr);
    // With a failure still standing the table lookup returns nothing.
    step("vokcDft", "TwdTbl==0", [&] { vokSetErrStatus(VOK_StatusBadArg), vokcDft(src, dst, 4, VOK_Forw); });
    step.run([&] { vokzDft(zsrc, zdst, 0, VOK_Forw); }, length("vokzGetDftTwdTbl", "vokzDft"));
    step.run([&] { vokzDft(nullptr, nullptr, 3, VOK_Init), vokzDft(nullptr, nullptr, 3, VOK_Free); }, {});
    step("vokzDft", "src==0", [&] { vokzDft(nullptr, zdst, 3, VOK_Forw); });
    step("vokzDft", "dst==0", [&] { vokzDft(zsrc, nullptr, 3, VOK_Forw); });
    step("vokzDft", kFlag, [&] { vokzDft(zsrc, zdst, 3, VOK_NoScale); });
    // The scratch copy cannot be had: the call reports and leaves dst alone.
    vokSetErrStatus(VOK_StatusOk);
    ASSERT_NE(vokzGetDftTwdTbl(3), nullptr);
    voktest::ReportSteps noMemory("vokdft", VOK_StatusNoMemory);
    vok::testing::failAllocationsAfter(1, 2);  // the plan, then the direct sum's copy
    noMemory("vokzDft", "NULL Pointer", [&] { vokzDft(zsrc, zdst, 3, VOK_Forw); });
    // The work buffer cannot be had.
    vokSetErrStatus(VOK_StatusOk);
    ASSERT_NE(vokcGetDftTwdTbl(5), nullptr);
    vokcDft(nullptr, nullptr, 5, VOK_Free);  // empties slot 1
    vok::testing::failAllocationAfter(1);
    step("vokcDft", "buff==0", [&] { vokcDft(src, dst, 5, VOK_Forw); });
    vok::testing::failAllocationAfter(0);
    EXPECT_TRUE(out.untouched());
    freeTables();
    // The list is full on the length past its capacity; a length already in it still works.
    ReportRecorder rec;
    const int capacity = vok::threadContext().tableCapacity;
    std::vector<FloatComplex> ones(capacity + 1, FloatComplex{1, 1}), res(capacity + 1);
    for (int n = 1; n <= capacity; ++n) vokcDft(ones.data(), res.data(), n, VOK_Forw);
    EXPECT_REPORTS(rec);
    Sentinel full((capacity + 1) * sizeof(FloatComplex));
    vokcDft(ones.data(), full.as<FloatComplex>(), capacity + 1, VOK_Forw);
    EXPECT_REPORTS(rec, {VOK_StatusNoMemory, "vokcGetDftTwdTbl", "Full Table", "voktwd"},
                   {VOK_StatusBadArg, "vokcDft", "TwdTbl==0", "vokdft"});
    EXPECT_TRUE(full.untouched());
    rec.clear();
    vokcDft(ones.data(), res.data(), capacity, VOK_Forw);
    EXPECT_REPORTS(rec);
    EXPECT_FLOAT_EQ(res[0].re, float(capacity));
}

}  // namespace
