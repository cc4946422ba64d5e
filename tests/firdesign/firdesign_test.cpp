// FIR design: every design, length parity, window and normalisation against a
// long-double evaluation of the windowed ideal response, scipy.signal.firwin
// vectors, the symmetry and gain identities, and every failure report.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;
using LD = long double;
constexpr LD kPiL = 3.141592653589793238462643383279502884L;

enum Kind { Low, High, Pass, Stop };

int run(Kind kind, double f1, double f2, double* taps, int n, int win, int normal) {
    switch (kind) {
    case Low: return vokdFirLowpass(f1, taps, n, win, normal);
    case High: return vokdFirHighpass(f1, taps, n, win, normal);
    case Pass: return vokdFirBandpass(f1, f2, taps, n, win, normal);
    case Stop: return vokdFirBandstop(f1, f2, taps, n, win, normal);
    }
    return 1;
}

// The window weight of element k of n, straight from its formula.
LD weight(int win, int n, int k) {
    const LD m = n - 1;
    const LD x = 2 * kPiL * k / m;
    switch (win) {
    case 1: return k <= m / 2 ? 2 * k / m : 2 - 2 * k / m;
    case 2: {
        const LD alpha = -0.5L / (1 + std::cos(2 * kPiL / m));
        return (alpha + 1) / 2 - 0.5L * std::cos(x) - alpha / 2 * std::cos(2 * x);
    }
    case 3: return 0.54L - 0.46L * std::cos(x);
    case 4: return 0.5L - 0.5L * std::cos(x);
    default: return 1;
    }
}

// Ideal response at offset t = n − (N−1)/2 from the centre (t may be half-integral).
LD ideal(Kind kind, LD f1, LD f2, LD t) {
    auto lowpass = [t](LD f) { return t == 0 ? 2 * f : std::sin(2 * kPiL * f * t) / (kPiL * t); };
    auto allpass = [t]() { return t == 0 ? 1.0L : std::sin(kPiL * t) / (kPiL * t); };
    switch (kind) {
    case Low: return lowpass(f1);
    case High: {
        // Even lengths are the quarter-turn (antisymmetric) form cos(2πft)/(πt) on
        // the lower half; odd lengths the spectral inversion of the low-pass.
        const bool half = t != std::floor(t);
        if (!half) return allpass() - lowpass(f1);
        return -std::cos(2 * kPiL * f1 * t) / (kPiL * t);
    }
    case Pass: return lowpass(f2) - lowpass(f1);
    case Stop: return allpass() - lowpass(f2) + lowpass(f1);
    }
    return 0;
}

std::vector<LD> reference(Kind kind, LD f1, LD f2, int n, int win, int normal) {
    std::vector<LD> h(n);
    const LD c = (n - 1) / 2.0L;
    for (int i = 0; i < n; ++i) h[i] = ideal(kind, f1, f2, i - c) * weight(win, n, i);
    if (normal) {
        const LD fref = kind == High ? 0.5L : kind == Pass ? (f1 + f2) / 2 : 0;
        LD re = 0, im = 0;  // |H(fref)|, the gain of the whole array
        for (int i = 0; i < n; ++i) re += h[i] * std::cos(2 * kPiL * fref * i), im += h[i] * std::sin(2 * kPiL * fref * i);
        const LD gain = std::sqrt(re * re + im * im);
        for (auto& v : h) v /= gain;
    }
    return h;
}

using Params = std::tuple<int, int, int, int>;  // kind, n, winType, doNormal

class Design : public ::testing::TestWithParam<Params> {};

TEST_P(Design, MatchesWindowedIdealResponse) {
    const auto [kindIndex, n, win, normal] = GetParam();
    const Kind kind = static_cast<Kind>(kindIndex);
    const double pairs[][2] = {{0.05, 0.2}, {0.1, 0.45}, {0.3, 0.31}, {0.01, 0.49}, {0.25, 0.375}};
    for (const auto& p : pairs) {
        const double f1 = p[0], f2 = kind == Low || kind == High ? 0 : p[1];
        std::vector<double> taps(n, 1e300);  // the upper half is overwritten whatever it held
        ASSERT_EQ(run(kind, f1, f2, taps.data(), n, win, normal), VOK_StatusOk);
        const auto want = reference(kind, f1, f2, n, win, normal);
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(taps[i], static_cast<double>(want[i]), 2e-12) << "f1=" << f1 << " f2=" << f2 << " i=" << i;
        const bool anti = kind == High && n % 2 == 0;
        for (int i = 0; i < n / 2; ++i) EXPECT_EQ(taps[n - 1 - i], anti ? -taps[i] : taps[i]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AllDesigns, Design,
                         ::testing::Combine(::testing::Values(Low, High, Pass, Stop),
                                            ::testing::Values(5, 6, 7, 8, 16, 31, 64, 101),
                                            ::testing::Values(0, 1, 2, 3, 4), ::testing::Values(0, 1)));

// Window-method filters of scipy.signal.firwin, windowed and scaled the same way.
TEST(FirDesignScipy, MatchesFirwin) {
    std::ifstream in(std::string(VOK_TEST_DATA_DIR) + "/firdesign_scipy.txt");
    ASSERT_TRUE(in) << "tests/data/firdesign_scipy.txt missing";
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::string kindName;
        int n, win, normal;
        double f1, f2;
        s >> kindName >> n >> win >> normal >> f1 >> f2;
        const Kind kind = kindName == "low" ? Low : kindName == "high" ? High : kindName == "bandpass" ? Pass : Stop;
        std::vector<double> want(n), taps(n);
        for (auto& v : want) s >> v;
        ASSERT_EQ(run(kind, f1, f2, taps.data(), n, win, normal), VOK_StatusOk) << line;
        for (int i = 0; i < n; ++i) EXPECT_NEAR(taps[i], want[i], 2e-12) << kindName << ' ' << n << ' ' << win << ' ' << i;
        ++checked;
    }
    EXPECT_GT(checked, 500);
}

// Normalised designs have unit gain at their reference frequency.
TEST(FirDesign, NormalisedGainIsOne) {
    for (int n : {5, 6, 9, 12, 33, 40}) {
        for (int win = 0; win <= 4; ++win) {
            std::vector<double> t(n);
            LD sum = 0, alt = 0;
            ASSERT_EQ(vokdFirLowpass(0.13, t.data(), n, win, 1), 0);
            for (double v : t) sum += v;
            EXPECT_NEAR(std::fabs(static_cast<double>(sum)), 1.0, 1e-13) << n << ' ' << win;
            ASSERT_EQ(vokdFirBandstop(0.1, 0.3, t.data(), n, win, 1), 0);
            sum = 0;
            for (double v : t) sum += v;
            EXPECT_NEAR(std::fabs(static_cast<double>(sum)), 1.0, 1e-13) << n << ' ' << win;
            ASSERT_EQ(vokdFirHighpass(0.3, t.data(), n, win, 1), 0);
            for (int i = 0; i < n; ++i) alt += i % 2 ? -t[i] : t[i];
            EXPECT_NEAR(std::fabs(static_cast<double>(alt)), 1.0, 1e-13) << n << ' ' << win;
        }
    }
}

TEST(FirDesign, UnknownWindowTypesApplyNoWindow) {
    for (int n : {7, 10}) {
        std::vector<double> none(n), five(n), negative(n);
        ASSERT_EQ(vokdFirBandpass(0.1, 0.2, none.data(), n, 0, 1), 0);
        ASSERT_EQ(vokdFirBandpass(0.1, 0.2, five.data(), n, 5, 1), 0);
        ASSERT_EQ(vokdFirBandpass(0.1, 0.2, negative.data(), n, -1, 1), 0);
        EXPECT_EQ(none, five);
        EXPECT_EQ(none, negative);
    }
}

TEST(FirDesign, SuccessClearsEarlierFailureStatus) {
    double taps[8];
    vokSetErrStatus(VOK_StatusBadArg);
    ASSERT_EQ(vokdFirHighpass(0.2, taps, 8, 3, 0), 0);
    EXPECT_EQ(vokGetErrStatus(), VOK_StatusOk);
}

// Smallest accepted length, frequencies just inside the open interval, and a
// subnormal so small that the upper word of the double is zero.
TEST(FirDesign, FrequencyAndLengthLimits) {
    double taps[5];
    EXPECT_EQ(vokdFirLowpass(1e-300, taps, 5, 0, 0), 0);
    EXPECT_EQ(vokdFirLowpass(std::nextafter(0.5, 0.0), taps, 5, 0, 0), 0);
    EXPECT_EQ(vokdFirBandpass(0.2, std::nextafter(0.2, 1.0), taps, 5, 0, 0), 0);
    ReportRecorder rec;
    EXPECT_EQ(vokdFirLowpass(1e-320, taps, 5, 0, 0), VOK_StatusBadFreq);
    EXPECT_EQ(vokdFirLowpass(-0.0, taps, 5, 0, 0), VOK_StatusBadFreq);
    EXPECT_EQ(vokdFirLowpass(std::numeric_limits<double>::quiet_NaN(), taps, 5, 0, 0), VOK_StatusBadFreq);
    EXPECT_EQ(vokdFirLowpass(std::numeric_limits<double>::infinity(), taps, 5, 0, 0), VOK_StatusBadFreq);
}

const char kNullTaps[] = "\nNull pointer to taps[] array was passed\n";
const char kShort[] = "\ntapsLen argument is less five\n";
const char kBadRfreq[] = "\nrfreq argument isn\x92t satisfactory\n";
const char kBadLow[] = "\nrLowFreq argument isn\x92t satisfactory\n";
const char kBadHigh[] = "\nrHighFreq argument isn\x92t satisfactory\n";
const char kOrder[] = "\nrHighFreq argument is less rLowFreq argument\n";

struct Failure {
    Kind kind;
    double f1, f2;
    bool nullTaps;
    int n;
    int status;
    const char* context;
};

const char* nameOf(Kind kind) {
    switch (kind) {
    case Low: return "vokdFirLowpass";
    case High: return "vokdFirHighpass";
    case Pass: return "vokdFirBandpass";
    case Stop: return "vokdFirBandstop";
    }
    return "";
}

class DesignFailure : public ::testing::TestWithParam<Failure> {};

// One report with the status and text of the first failed check; the taps
// stay as they were and the status is returned.
TEST_P(DesignFailure, ReportsFirstFailedCheckAndWritesNothing) {
    const Failure& c = GetParam();
    ReportRecorder rec;
    Sentinel buf(64 * sizeof(double));
    double* taps = c.nullTaps ? nullptr : buf.as<double>();
    EXPECT_EQ(run(c.kind, c.f1, c.f2, taps, c.n, 3, 1), c.status);
    EXPECT_REPORTS(rec, {c.status, nameOf(c.kind), c.context, "vokfirg"});
    EXPECT_TRUE(buf.untouched());
    EXPECT_EQ(vokGetErrStatus(), c.status);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Checks, DesignFailure,
    ::testing::Values(
        // taps before length before frequency
        Failure{Low, 0.7, 0, true, 4, VOK_StatusNullTaps, kNullTaps},
        Failure{High, 0.2, 0, true, 9, VOK_StatusNullTaps, kNullTaps},
        Failure{Pass, 0.3, 0.1, true, 2, VOK_StatusNullTaps, kNullTaps},
        Failure{Stop, 0.1, 0.2, true, 9, VOK_StatusNullTaps, kNullTaps},
        Failure{Low, 0.7, 0, false, 4, VOK_StatusTapsLen, kShort},
        Failure{High, 0.2, 0, false, -3, VOK_StatusTapsLen, kShort},
        Failure{Pass, 0.3, 0.1, false, 0, VOK_StatusTapsLen, kShort},
        Failure{Stop, 0.1, 0.2, false, 4, VOK_StatusTapsLen, kShort},
        Failure{Low, 0.5, 0, false, 5, VOK_StatusBadFreq, kBadRfreq},
        Failure{Low, 0.0, 0, false, 5, VOK_StatusBadFreq, kBadRfreq},
        Failure{High, -0.1, 0, false, 6, VOK_StatusBadFreq, kBadRfreq},
        Failure{High, kNaN, 0, false, 6, VOK_StatusBadFreq, kBadRfreq},
        // low before high before order
        Failure{Pass, 0.0, 0.7, false, 7, VOK_StatusBadFreq, kBadLow},
        Failure{Stop, 0.5, 0.1, false, 8, VOK_StatusBadFreq, kBadLow},
        Failure{Pass, 0.3, 0.5, false, 7, VOK_StatusBadFreq, kBadHigh},
        Failure{Stop, 0.3, -0.2, false, 8, VOK_StatusBadFreq, kBadHigh},
        Failure{Pass, 0.3, 0.1, false, 7, VOK_StatusFreqOrder, kOrder},
        Failure{Pass, 0.2, 0.2, false, 7, VOK_StatusFreqOrder, kOrder},
        Failure{Stop, 0.25, 0.25, false, 8, VOK_StatusFreqOrder, kOrder}));

}  // namespace
