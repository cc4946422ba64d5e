// DCT: orthonormal forward/inverse pair against a long-double evaluation of
// the definition at every kernel width (bit-identical between widths), in and
// out of place, round trips, scipy's orthonormal DCT-II, the 16-bit form,
// failure reports, allocation failures and concurrent use from many threads.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "frame/test_seams.h"
#include "support/reports.h"
#include "support/widths.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;

// Transform flag values: forward, inverse, release.
constexpr int kForw = 1, kInv = 2, kFree = 8;

std::vector<long double> referenceDct(const std::vector<double>& x, bool forward) {
    const int n = int(x.size());
    const long double pi = std::numbers::pi_v<long double>;
    const long double c0 = 1.0L / std::sqrt((long double)n), c = std::sqrt(2.0L / n);
    // cos(π(2i+1)k/(2N)) repeats with period 4N in (2i+1)k.
    std::vector<long double> cosines(4 * n);
    for (int m = 0; m < 4 * n; ++m) cosines[m] = std::cos(pi * m / (2.0L * n));
    std::vector<long double> out(n);
    for (int a = 0; a < n; ++a) {
        long double sum = 0;
        for (int b = 0; b < n; ++b) {
            const int k = forward ? a : b, i = forward ? b : a;
            sum += x[b] * (k == 0 ? c0 : c * cosines[(long long)(2 * i + 1) * k % (4 * n)]);
        }
        out[a] = sum;
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

// Largest error relative to the signal's rms, which an orthonormal transform keeps.
template <class T>
double relativeError(const std::vector<T>& got, const std::vector<long double>& want) {
    long double energy = 0, worst = 0;
    for (size_t i = 0; i < want.size(); ++i) {
        energy += want[i] * want[i];
        worst = std::max(worst, std::fabs((long double)got[i] - want[i]));
    }
    return double(worst / std::sqrt(energy / want.size() + 1e-300L));
}

TEST(Dct, MatchesTheDefinitionInBothPrecisionsAndDirections) {
    std::vector<int> lengths;
    for (int n = 1; n <= 70; ++n) lengths.push_back(n);
    for (int n : {128, 256, 512, 1024, 2048, 4096, 97, 100, 210, 1000, 1021, 4800, 1 << 16}) lengths.push_back(n);
    for (int n : lengths) {
        SCOPED_TRACE(n);
        const auto x = randomSignal(n, unsigned(n));
        std::vector<double> spectrum(n), back(n);
        for (bool forward : {true, false}) {
            const auto want = n <= 4800 ? referenceDct(x, forward) : std::vector<long double>();
            const int flags = forward ? kForw : kInv;
            std::vector<double> first;
            voktest::forEachWidth([&] {
                std::vector<double> d(n), inPlace = x;
                vokdDct(x.data(), d.data(), n, flags);
                // The source may be the destination; only the two direction bits matter.
                vokdDct(inPlace.data(), inPlace.data(), n, forward ? kForw | kFree : kInv);
                EXPECT_EQ(inPlace, d);
                if (first.empty()) first = d;
                EXPECT_EQ(d, first);
                if (want.empty()) return;
                EXPECT_LT(relativeError(d, want), 2e-14 * std::log2(n + 1.0) + 1e-15);
                std::vector<float> xs(x.begin(), x.end()), s(n);
                voksDct(xs.data(), s.data(), n, flags);
                EXPECT_LT(relativeError(s, want), 1e-6);
            });
        }
        vokdDct(x.data(), spectrum.data(), n, kForw);
        vokdDct(spectrum.data(), back.data(), n, kInv);
        for (int i = 0; i < n; ++i) ASSERT_NEAR(back[i], x[i], 1e-14) << i;
    }
}

TEST(Dct, AgreesWithScipyOrthonormalTypeTwo) {
    std::ifstream in(VOK_TEST_DATA_DIR "/dct_scipy.txt");
    ASSERT_TRUE(in) << "missing tests/data/dct_scipy.txt";
    std::string line;
    int seen = 0;
    for (int n; std::getline(in, line); ++seen) {
        std::istringstream fields(line);
        fields >> n;
        std::vector<double> x(n), want(n), got(n);
        for (int i = 0; i < n; ++i) x[i] = ((i * 7919) % 1000) / 500.0 - 1.0;
        for (auto& v : want) fields >> v;
        vokdDct(x.data(), got.data(), n, kForw);
        for (int i = 0; i < n; ++i) EXPECT_NEAR(got[i], want[i], 1e-12) << "n=" << n << " k=" << i;
    }
    EXPECT_GE(seen, 10);
}

TEST(Dct, AlternatingLengthsRebuildTheTables) {
    for (int round = 0; round < 3; ++round) {
        for (int n : {6, 10, 32, 16, 64, 7}) {
            const auto x = randomSignal(n, unsigned(n + round));
            std::vector<double> y(n);
            vokdDct(x.data(), y.data(), n, kForw);
            EXPECT_LT(relativeError(y, referenceDct(x, true)), 1e-13) << n;
        }
    }
    double dummy = 0;
    vokdDct(nullptr, nullptr, 0, kFree);  // release, with no argument checks
    vokdDct(&dummy, &dummy, 1, kForw);
    EXPECT_EQ(dummy, 0.0);
}

TEST(Dct, SixteenBitFormRoundsToNearestEvenAndSaturates) {
    // Length 1: the transform is the identity, so the rounding is seen directly
    // through a length-2 pair: (a + b)/√2 and (a − b)/√2.
    short big[2] = {30000, 30000}, out[2] = {};
    vokwDct(big, out, 2, kForw);
    EXPECT_EQ(out[0], 32767);  // 42426 saturates
    EXPECT_EQ(out[1], 0);
    short neg[2] = {-30000, -30000};
    vokwDct(neg, out, 2, kForw);
    EXPECT_EQ(out[0], -32768);
    // Constant 4 over 4 samples: X[0] = 4·√4 = 8 exactly.
    short four[4] = {4, 4, 4, 4}, y[4];
    vokwDct(four, y, 4, kForw);
    EXPECT_EQ(y[0], 8);
    EXPECT_EQ(y[1], 0);
    // Length 1 copies; a random vector agrees with the rounded float transform.
    std::vector<short> x(50);
    std::mt19937 gen(11);
    for (auto& v : x) v = short(int(gen() % 20001) - 10000);
    std::vector<float> xf(x.begin(), x.end()), yf(50);
    std::vector<short> yw(50);
    voksDct(xf.data(), yf.data(), 50, kForw);
    vokwDct(x.data(), yw.data(), 50, kForw);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(yw[i], short(std::nearbyint(yf[i]))) << i;
}

TEST(Dct, BadArgumentsAreReportedInOrderAndWriteNothing) {
    ReportRecorder rec;
    Sentinel out(64 * sizeof(float));
    float src[64] = {};
    voksDct(nullptr, out.as<float>(), 8, kForw);
    voksDct(src, nullptr, 0, 3);
    voksDct(src, out.as<float>(), 0, 3);
    voksDct(src, out.as<float>(), 8, 3);
    voksDct(src, out.as<float>(), 8, 0);
    vokdDct(nullptr, nullptr, 8, kInv);
    vokwDct(nullptr, nullptr, 8, kInv);
    EXPECT_TRUE(out.untouched());
    EXPECT_REPORTS(rec,
                   {VOK_StatusBadArg, "voksDct", "\nNull pointer to data buffer\n", "vokdct"},
                   {VOK_StatusBadArg, "voksDct", "\nNull pointer to data buffer\n", "vokdct"},
                   {VOK_StatusBadArg, "voksDct", "\nBad value of data buffer size\n", "vokdct"},
                   {VOK_StatusBadArg, "voksDct", "\nBad value of the transform flag\n", "vokdct"},
                   {VOK_StatusBadArg, "voksDct", "\nBad value of the transform flag\n", "vokdct"},
                   {VOK_StatusBadArg, "vokdDct", "\nNull pointer to data buffer\n", "vokdct"},
                   {VOK_StatusBadArg, "vokwDct", "\nNull pointer to data buffer\n", "vokdct"});
}

TEST(Dct, AllocationFailuresAreReportedAndWriteNothing) {
    vokdDct(nullptr, nullptr, 0, kFree);
    for (int n : {12, 15, 64}) {
        // The first allocation is the work copy, the next ones the tables:
        // every one of them is made to fail in turn until the call succeeds.
        int failing = 1;
        for (;; ++failing) {
            SCOPED_TRACE(testing::Message() << "n=" << n << " failing=" << failing);
            ReportRecorder rec;
            std::vector<double> x(n, 1.0);
            Sentinel out(n * sizeof(double));
            vok::testing::failAllocationAfter(failing);
            vokdDct(x.data(), out.as<double>(), n, kForw);
            vok::testing::failAllocationAfter(0);
            vokdDct(nullptr, nullptr, 0, kFree);
            if (rec.reports().empty()) break;
            EXPECT_TRUE(out.untouched());
            EXPECT_REPORTS(rec, {VOK_StatusNoMemory, "vokdDct", "\nMemory allocation problem\n", "vokdct"});
        }
        EXPECT_GT(failing, 2);  // the work copy and the twiddle table at least
    }
    // After the failures the transform works again.
    std::vector<double> x(64, 1.0), y(64);
    vokdDct(x.data(), y.data(), 64, kForw);
    EXPECT_NEAR(y[0], 8.0, 1e-13);
}

TEST(Dct, ThreadsOfDifferentLengthsDoNotDisturbEachOther) {
    std::vector<int> failures(8, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &failures] {
            const int lengths[2] = {t % 2 ? 6 + t : 8 << t, t % 2 ? 64 << (t % 3) : 5 + 2 * t};
            for (int round = 0; round < 40; ++round) {
                const int n = lengths[round % 2];
                const auto x = randomSignal(n, unsigned(t * 100 + round));
                std::vector<double> y(n), back(n);
                vokdDct(x.data(), y.data(), n, kForw);
                vokdDct(y.data(), back.data(), n, kInv);
                for (int i = 0; i < n; ++i)
                    if (std::fabs(back[i] - x[i]) > 1e-12) ++failures[t];
                if (round % 10 == 9) vokdDct(nullptr, nullptr, 0, kFree);
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < 8; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

}  // namespace
