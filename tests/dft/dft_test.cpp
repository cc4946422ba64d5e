// Float and double transforms of any length against long-double sums of their
// definitions (DFT by direct sums, mixed-radix passes or chirp; orthonormal DCT;
// Goertzel's bin); the same bits at every width, caches, no memory, threads.
#include <gtest/gtest.h>

#include <array>
#include <numbers>
#include <numeric>
#include <thread>

#include "frame/context.h"
#include "transform/dftany.h"
#include "transform/dftshort.h"
#include "voktest/fft_reference.h"
#include "voktest/sweep.h"
#include "voktest/values.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using ffttest::LC;
using voktest::asLCs;
using voktest::sameBits;
using voktest::ReportRecorder;

// X[k] = c_k Σ x[i] cos(π(2i+1)k/2N) forward, x[i] = Σ c_k X[k] cos(...) inverse;
// the cosine repeats with period 4N in (2i+1)k.
std::vector<LC> referenceDct(const std::vector<LC>& x, bool forward) {
    const int n = int(x.size());
    const long double c0 = 1.0L / std::sqrt((long double)n), c = std::sqrt(2.0L / n);
    std::vector<LC> out(n);
    std::vector<long double> cosines(4 * n);
    for (int m = 0; m < 4 * n; ++m) cosines[m] = std::cos(std::numbers::pi_v<long double> * m / (2.0L * n));
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b) {
            const int k = forward ? a : b, i = forward ? b : a;
            out[a] += x[b].real() * (k == 0 ? c0 : c * cosines[(long long)(2 * i + 1) * k % (4 * n)]);
        }
    return out;
}

// A transform of any length: the DFTs (the twiddles and passes rounding once
// per stage) and the orthonormal DCTs, with the flag bits each ignores. Errors
// are the largest relative to the largest value.
template <class T, auto Fn, bool Dct>
struct Kind {
    using C = T;
    static constexpr auto call = Fn;
    static constexpr bool single = std::is_same_v<voktest::Real<T>, float>;
    static constexpr int precision = single ? vok::kSingle : vok::kDouble;
    static constexpr long double eps = single ? 3.6e-8L : 7.2e-17L;
    static constexpr std::array<int, 3> flags = {VOK_Forw, VOK_Inv, VOK_Inv | VOK_NoScale};  // the DCTs have no scale bit
    static int ignoring(int flags) {
        return flags | (Dct ? VOK_Free | VOK_NoScale : flags == VOK_Forw ? VOK_NoScale | VOK_NoBitRev : VOK_NoBitRev);
    }
    // Every length 1 ... 70, then longer ones: for the DFT 134 and 4544 run the chirp over a product of 2, 3 and 5;
    // 258, 513, 1088 the generic odd radix.
    static std::vector<int> lengths() {
        std::vector<int> all(70);
        std::iota(all.begin(), all.end(), 1);
        all.insert(all.end(), Dct ? std::initializer_list<int>{128, 256, 512, 1024, 2048, 4096, 97, 100, 210, 1000,
                                                               1021, 4800, 1 << 16, 6, 32, 16, 64, 7, 134, 513, 1088,
                                                               129, 121}
                                  : std::initializer_list<int>{71, 80, 96, 97, 100, 118, 120, 144, 160, 200, 121, 127,
                                                               169, 180, 199, 210, 251, 343, 509, 1000, 1021, 1024, 1536,
                                                               2310, 2999, 4096, 4800, 8191, 134, 258, 513, 1088, 4544});
        return all;
    }
    static auto reference(const std::vector<LC>& x, int flags) { return Dct ? referenceDct(x, flags & VOK_Forw) : ffttest::spectrum(x, flags); }
    static long double bound(int n) {
        return Dct ? single ? 2e-7 : 4e-15 * std::log2(n + 1.0) + 2e-16 : eps * (2 * std::log2((long double)n) + 4);
    }
    static long double backBound(int n) { return Dct && !single ? 3.4e-15L : 2 * bound(n); }
};
using Dfts = ::testing::Types<Kind<FloatComplex, vokcDft, false>, Kind<DoubleComplex, vokzDft, false>>;
using Transforms = ::testing::Types<Kind<FloatComplex, vokcDft, false>, Kind<DoubleComplex, vokzDft, false>,
                                    Kind<float, voksDct, true>, Kind<double, vokdDct, true>>;
template <class P>
class Dft : public ::testing::Test {
protected:
    void TearDown() override {
        vok::testing::failAllocationAfter(0);
        robust::releaseThreadCaches();
        vokSetErrStatus(VOK_StatusOk);
    }
};
template <class P>
class AnyLength : public Dft<P> {};
TYPED_TEST_SUITE(Dft, Dfts);
TYPED_TEST_SUITE(AnyLength, Transforms);

// DFT: short lengths run the direct sums, lengths of small prime factors
// mixed-radix passes (every radix, partial registers included), long ones with
// a large factor a chirp convolution. DCT: direct lengths, the fast powers of
// two, and lengths alternating between the two paths so that each call
// rebuilds the tables of the other. Each as accurate as an FFT, in or out of
// place, at every width the same bits, the inverse undoing the forward.
TYPED_TEST(AnyLength, EveryPathAgainstTheDefinitionAtEveryWidth) {
    using P = TypeParam;
    using C = typename P::C;
    int used = 0;
    for (int n : P::lengths()) {
        if (voktest::kEmulated && n > 1536) continue;
        SCOPED_TRACE(n);
        const std::vector<C> src = voktest::randomVector<C>(n, 1000u + unsigned(n));
        const std::vector<LC> x = asLCs(src);
        for (int flags : P::flags) {
            const std::vector<LC> want = n <= 8191 ? P::reference(x, flags) : std::vector<LC>();
            std::vector<LC> singleWant;
            const std::vector<C> out = voktest::sameAtEveryWidth<C>(n, voktest::fromLC<C>(LC(-77, -77)), [&](C* o) {
                std::vector<C> inPlace = src;
                P::call(src.data(), o, n, flags);
                P::call(inPlace.data(), inPlace.data(), n, P::ignoring(flags));
                ASSERT_EQ(vokGetErrStatus(), VOK_StatusOk);
                EXPECT_TRUE(sameBits(o, inPlace.data(), std::size_t(n)));
                // The other modules' transform is the unscaled vokzDft, also after a float chirp
                // of n (which must not take the double one).
                if constexpr (std::is_same_v<C, DoubleComplex>) {
                    if (flags != VOK_Inv) return;
                    std::vector<C> any(n), anyInv(n), forward(n), unscaled(n);
                    P::call(src.data(), forward.data(), n, VOK_Forw);
                    P::call(src.data(), unscaled.data(), n, VOK_Inv | VOK_NoScale);
                    std::vector<FloatComplex> single = voktest::randomVector<FloatComplex>(n, 0);
                    if (singleWant.empty()) singleWant = ffttest::directDft(asLCs(single), true);
                    vokcDft(single.data(), single.data(), n, VOK_Forw);
                    EXPECT_LE(voktest::maxRelativeError(single, singleWant), 3.6e-8L * (2 * std::log2((long double)n) + 4));
                    ASSERT_TRUE(vok::dftAnyLength(src.data(), any.data(), n, true));
                    ASSERT_TRUE(vok::dftAnyLength(src.data(), anyInv.data(), n, false));
                    if (!vok::shortdft::covers<C>(n)) EXPECT_TRUE(sameBits(any, forward) && sameBits(anyInv, unscaled));
                    else  // vokzDft's own code for them; the other modules keep to the passes
                        EXPECT_LE(std::max(voktest::maxRelativeError(any, forward), voktest::maxRelativeError(anyInv, unscaled)), P::bound(n));
                }
            }, 1);
            if (!want.empty()) EXPECT_LE(voktest::maxRelativeError(out, want), P::bound(n)) << flags;
        }
        std::vector<C> spectrum(n), back(n);
        P::call(src.data(), spectrum.data(), n, VOK_Forw);
        P::call(spectrum.data(), back.data(), n, VOK_Inv);
        EXPECT_LE(voktest::maxRelativeError(back, x), P::backBound(n));
        if (++used % 30 == 0) robust::releaseThreadCaches();  // the lists hold 32 lengths
    }
}

// The thread keeps the plans of recent lengths and the chirp of one: switching
// lengths back and forth allocates nothing and gives the same results as the
// first time, and VOK_Free releases them.
TYPED_TEST(Dft, SwitchingLengthsGivesTheSameResults) {
    using P = TypeParam;
    using C = typename P::C;
    const std::vector<C> a = voktest::randomVector<C>(300, 1), b = voktest::randomVector<C>(457, 2);
    std::vector<C> a1(300), a2(300), b1(457), b2(457);
    P::call(a.data(), a1.data(), 300, VOK_Forw);
    P::call(b.data(), b1.data(), 457, VOK_Forw);
    robust::starve(1, [&] {  // an allocation now would take the direct sum
        P::call(a.data(), a2.data(), 300, VOK_Forw);
        P::call(b.data(), b2.data(), 457, VOK_Inv);
        P::call(b.data(), b2.data(), 457, VOK_Forw);
    });
    EXPECT_TRUE(sameBits(a1, a2) && sameBits(b1, b2));
    const vok::TransformCaches& caches = vok::threadContext().tables;
    const void* const& plan = caches.dftPlans[P::precision].plans[0];
    EXPECT_TRUE(caches.chirp.block != nullptr && plan != nullptr);
    P::call(nullptr, nullptr, 457, VOK_Free);
    EXPECT_TRUE(caches.chirp.block == nullptr && plan == nullptr);
    // When the plan or the chirp cannot be built the direct sum answers
    // instead: no report, the same transform within the direct sum's bound.
    for (int n : {211, 35}) {
        const std::vector<C> src = voktest::randomVector<C>(n, 9);
        const std::vector<LC> x = asLCs(src);
        ReportRecorder rec;
        P::call(nullptr, nullptr, n, VOK_Free);  // drops plans and chirp (and for vokcDft the slot)
        std::vector<C> out(n);
        P::call(src.data(), out.data(), n, VOK_Init);  // slot and table back, no plan or chirp yet
        robust::starve(1, [&] { P::call(src.data(), out.data(), n, VOK_Forw); });
        EXPECT_REPORTS(rec);
        EXPECT_LE(voktest::maxRelativeError(out, ffttest::directDft(x, true)), 16 * P::eps * n);
    }
}

// The work copy, then each table: every allocation fails in turn, reported
// with nothing written. Short odd lengths allocate their table only.
TEST(Dct, AllocationFailuresAreReportedAndWriteNothing) {
    for (auto [n, want] : {std::pair{12, "failed>=2"}, {15, "failed=1"}, {65, "failed>=2"}, {64, "failed>=2"}}) {
        const std::vector<double> x(n, 1.0);
        voktest::Sentinel out(0);
        const auto prepare = [&] {
            vokdDct(nullptr, nullptr, 0, VOK_Free);
            out = voktest::Sentinel(n * sizeof(double));
        };
        const auto call = [&] { vokdDct(x.data(), out.as<double>(), n, VOK_Forw); };
        const auto check = [&] { return robust::Observed{out.untouched(), std::fabs(out.as<double>()[0] - std::sqrt(n)) < 1e-13}; };
        const robust::Reports noMemory = {{VOK_StatusNoMemory, "vokdDct", "\nMemory allocation problem\n", "vokdct"}};
        robust::sweep("vokdDct of " + std::to_string(n), {prepare, call, check}, {noMemory}, {.want = want});
    }
}

// Threads of different lengths (fast and direct) and releases do not disturb each other.
TEST(Dct, ThreadsOfDifferentLengthsDoNotDisturbEachOther) {
    std::vector<int> failures(8, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t, &failures] {
            const int lengths[2] = {t % 2 ? 6 + t : 8 << t, t % 2 ? 64 << (t % 3) : 5 + 2 * t};
            for (int round = 0; round < 40; ++round) {
                const int n = lengths[round % 2];
                const auto x = voktest::randomVector<double>(n, unsigned(t * 100 + round));
                std::vector<double> y(n), back(n);
                vokdDct(x.data(), y.data(), n, VOK_Forw);
                vokdDct(y.data(), back.data(), n, VOK_Inv);
                for (int i = 0; i < n; ++i) failures[t] += std::fabs(back[i] - x[i]) > 1e-12;
                if (round % 10 == 9) vokdDct(nullptr, nullptr, 0, VOK_Free);
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures, std::vector<int>(8, 0));
}

// After N samples at freq k/N every kind gives the DFT bin, whatever the split
// into single samples and blocks; Reset restarts from the same frequency.
template <class State, class Sample, auto Init, auto One, auto Block, auto Reset>
struct Goertzel {
    using R = decltype(State::freq);
    // A random mix of single samples and blocks; the value after the last sample.
    static LC run(State* st, const std::vector<LC>& x, std::mt19937& gen) {
        LC got;
        for (std::size_t i = 0, len = 0; i < x.size(); i += std::max<std::size_t>(len, 1)) {
            len = std::min(x.size() - i, std::size_t(gen() % 9));
            std::vector<Sample> d;
            for (std::size_t j = 0; j < std::max<std::size_t>(len, 1); ++j) d.push_back(voktest::fromLC<Sample>(x[i + j]));
            const auto v = len ? Block(st, d.data(), int(len)) : One(st, d[0]);
            got = LC(v.re, v.im);
        }
        return got;
    }
    static void check() {
        std::mt19937 gen(3);
        for (int n : {1, 4, 7, 64, 250})
            for (int k : {0, 1, n / 3, n - 1}) {
                if (k >= n) continue;
                SCOPED_TRACE(testing::Message() << "n=" << n << " k=" << k);
                const std::vector<LC> x = asLCs(voktest::randomVector<Sample>(n, unsigned(n)));
                const LC want = ffttest::directDft(x, true)[k];
                State st;
                ASSERT_EQ(Init(R(k) / R(n), &st), VOK_StatusOk);
                // The recurrence's rounding error grows with N² at low frequencies.
                const double tolerance = 2 * std::numeric_limits<R>::epsilon() * (n * n + 8);
                std::mt19937 split(gen);
                const LC got = run(&st, x, gen);
                EXPECT_NEAR(double(got.real()), double(want.real()), tolerance);
                EXPECT_NEAR(double(got.imag()), double(want.imag()), tolerance);
                Block(&st, std::vector<Sample>(3, voktest::fromLC<Sample>(x[0])).data(), 3);  // leftover history
                Reset(&st);
                EXPECT_EQ(st.freq, R(k) / R(n));
                EXPECT_EQ(run(&st, x, split), got) << "after Reset";
            }
    }
};

TEST(Goertzel, EveryKindGivesTheDftBinWhateverTheSplit) {
    static_assert(sizeof(VokSGoertzState) == 32 && sizeof(VokDGoertzState) == 64);
    Goertzel<VokSGoertzState, float, voksGoertzInit, voksGoertz, voksbGoertz, voksGoertzReset>::check();
    Goertzel<VokSGoertzState, FloatComplex, vokcGoertzInit, vokcGoertz, vokcbGoertz, vokcGoertzReset>::check();
    Goertzel<VokDGoertzState, double, vokdGoertzInit, vokdGoertz, vokdbGoertz, vokdGoertzReset>::check();
    Goertzel<VokDGoertzState, DoubleComplex, vokzGoertzInit, vokzGoertz, vokzbGoertz, vokzGoertzReset>::check();
    VokDGoertzState st;
    ASSERT_EQ(vokdGoertzInit(0.1, &st), VOK_StatusOk);
    EXPECT_EQ(st.cosW, std::cos(2 * std::numbers::pi * 0.1));
    EXPECT_NEAR(st.sinW, std::sin(2 * std::numbers::pi * 0.1), 1e-16);
    EXPECT_EQ(st.twoCosW, 2 * st.cosW);
    EXPECT_EQ(vokdGoertzInit(-0.0, &st), VOK_StatusOk);
}

}  // namespace
