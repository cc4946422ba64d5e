// DCT: the orthonormal pair against a long-double evaluation of the definition
// in both precisions and directions, the same bits at every kernel width, in
// and out of place, round trips, tables rebuilt between lengths; the 16-bit
// form; failure reports in order; allocation failures; threads.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "frame/test_seams.h"
#include "voktest/reports.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;

constexpr int kForw = 1, kInv = 2, kFree = 8;

// X[k] = c_k Σ x[i] cos(π(2i+1)k/2N) forward, x[i] = Σ c_k X[k] cos(...) inverse;
// the cosine repeats with period 4N in (2i+1)k.
std::vector<long double> referenceDct(const std::vector<double>& x, bool forward) {
    const int n = int(x.size());
    const long double c0 = 1.0L / std::sqrt((long double)n), c = std::sqrt(2.0L / n);
    std::vector<long double> out(n), cosines(4 * n);
    for (int m = 0; m < 4 * n; ++m) cosines[m] = std::cos(std::numbers::pi_v<long double> * m / (2.0L * n));
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b) {
            const int k = forward ? a : b, i = forward ? b : a;
            out[a] += x[b] * (k == 0 ? c0 : c * cosines[(long long)(2 * i + 1) * k % (4 * n)]);
        }
    return out;
}

std::vector<double> randomSignal(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1, 1);
    std::vector<double> x(n);
    for (auto& v : x) v = dist(gen);
    return x;
}

// Largest error relative to the rms, which an orthonormal transform keeps.
template <class T>
double relativeError(const std::vector<T>& got, const std::vector<long double>& want) {
    long double energy = 0, worst = 0;
    for (size_t i = 0; i < want.size(); ++i) {
        energy += want[i] * want[i];
        worst = std::max(worst, std::fabs((long double)got[i] - want[i]));
    }
    return double(worst / std::sqrt(energy / want.size() + 1e-300L));
}

// Direct lengths, the fast powers of two, and lengths alternating between the
// two paths so that each call rebuilds the tables of the other.
TEST(Dct, MatchesTheDefinitionInBothPrecisionsAndDirections) {
    std::vector<int> lengths;
    for (int n = 1; n <= 70; ++n) lengths.push_back(n);
    for (int n : {128, 256, 512, 1024, 2048, 4096, 97, 100, 210, 1000, 1021, 4800, 1 << 16, 6, 32, 16, 64, 7})
        lengths.push_back(n);
    for (int n : lengths) {
        SCOPED_TRACE(n);
        const auto x = randomSignal(n, unsigned(n));
        std::vector<double> spectrum(n), back(n);
        for (bool forward : {true, false}) {
            const auto want = n <= 4800 ? referenceDct(x, forward) : std::vector<long double>();
            std::vector<double> first;
            voktest::forEachWidth([&] {
                std::vector<double> d(n), inPlace = x;
                vokdDct(x.data(), d.data(), n, forward ? kForw : kInv);
                // The source may be the destination; only the two direction bits matter.
                vokdDct(inPlace.data(), inPlace.data(), n, forward ? kForw | kFree : kInv | 16);
                EXPECT_EQ(inPlace, d);
                if (first.empty()) first = d;
                EXPECT_EQ(d, first);
                if (want.empty()) return;
                EXPECT_LT(relativeError(d, want), 2e-14 * std::log2(n + 1.0) + 1e-15);
                std::vector<float> xs(x.begin(), x.end()), s(n);
                voksDct(xs.data(), s.data(), n, forward ? kForw : kInv);
                EXPECT_LT(relativeError(s, want), 1e-6);
            });
        }
        vokdDct(x.data(), spectrum.data(), n, kForw);
        vokdDct(spectrum.data(), back.data(), n, kInv);
        for (int i = 0; i < n; ++i) ASSERT_NEAR(back[i], x[i], 1e-14) << i;
    }
}

// The float transform rounded to nearest and saturated.
TEST(Dct, SixteenBitFormRoundsTheFloatTransformAndSaturates) {
    for (int n : {1, 2, 4, 50, 64}) {
        std::vector<short> x(n);
        std::mt19937 gen(n);
        for (auto& v : x) v = short(int(gen() % 40001) - 20000);
        std::vector<float> xf(x.begin(), x.end()), yf(n);
        std::vector<short> y(n);
        for (int flags : {kForw, kInv}) {
            voksDct(xf.data(), yf.data(), n, flags);
            vokwDct(x.data(), y.data(), n, flags);
            for (int i = 0; i < n; ++i)
                ASSERT_EQ(y[i], short(std::clamp(std::nearbyint(yf[i]), -32768.0f, 32767.0f))) << n << " " << i;
        }
    }
    short big[2] = {30000, 30000}, neg[2] = {-30000, -30000}, out[4];
    vokwDct(big, out, 2, kForw), vokwDct(neg, out + 2, 2, kForw);  // ±42426 saturate
    EXPECT_EQ(std::vector<short>(out, out + 4), (std::vector<short>{32767, 0, -32768, 0}));
}

TEST(Dct, FailuresReportInOrderAndWriteNothing) {
    ReportRecorder rec;
    Sentinel out(64 * sizeof(float));
    float src[64] = {};
    const char *ptr = "\nNull pointer to data buffer\n", *size = "\nBad value of data buffer size\n";
    const char* flag = "\nBad value of the transform flag\n";
    voksDct(nullptr, out.as<float>(), 8, kForw);
    voksDct(src, nullptr, 0, 3);
    voksDct(src, out.as<float>(), 0, 3);
    voksDct(src, out.as<float>(), 8, 3);
    voksDct(src, out.as<float>(), 8, 0);
    vokdDct(nullptr, nullptr, 8, kInv);
    vokwDct(nullptr, nullptr, 8, kInv);
    vokwDct(out.as<short>(), out.as<short>(), -1, kInv);
    vokdDct(nullptr, nullptr, 0, kFree);  // a release checks nothing
    EXPECT_TRUE(out.untouched());
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "voksDct", ptr, "vokdct"}, {VOK_StatusBadArg, "voksDct", ptr, "vokdct"},
                   {VOK_StatusBadArg, "voksDct", size, "vokdct"}, {VOK_StatusBadArg, "voksDct", flag, "vokdct"},
                   {VOK_StatusBadArg, "voksDct", flag, "vokdct"}, {VOK_StatusBadArg, "vokdDct", ptr, "vokdct"},
                   {VOK_StatusBadArg, "vokwDct", ptr, "vokdct"}, {VOK_StatusBadArg, "vokwDct", size, "vokdct"});
}

// The work copy, then each table: every allocation fails in turn until the call succeeds.
TEST(Dct, AllocationFailuresAreReportedAndWriteNothing) {
    for (int n : {12, 15, 64}) {
        int failing = 1;
        for (;; ++failing) {
            SCOPED_TRACE(testing::Message() << "n=" << n << " failing=" << failing);
            ReportRecorder rec;
            std::vector<double> x(n, 1.0);
            Sentinel out(n * sizeof(double));
            vokdDct(nullptr, nullptr, 0, kFree);
            vok::testing::failAllocationAfter(failing);
            vokdDct(x.data(), out.as<double>(), n, kForw);
            vok::testing::failAllocationAfter(0);
            if (rec.reports().empty()) {
                EXPECT_NEAR(out.as<double>()[0], std::sqrt(double(n)), 1e-13);  // works again
                break;
            }
            EXPECT_TRUE(out.untouched());
            EXPECT_REPORTS(rec, {VOK_StatusNoMemory, "vokdDct", "\nMemory allocation problem\n", "vokdct"});
        }
        EXPECT_GT(failing, 2);
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
                const auto x = randomSignal(n, unsigned(t * 100 + round));
                std::vector<double> y(n), back(n);
                vokdDct(x.data(), y.data(), n, kForw);
                vokdDct(y.data(), back.data(), n, kInv);
                for (int i = 0; i < n; ++i) failures[t] += std::fabs(back[i] - x[i]) > 1e-12;
                if (round % 10 == 9) vokdDct(nullptr, nullptr, 0, kFree);
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures, std::vector<int>(8, 0));
}

}  // namespace
