// FIR design: every design, length parity, window (unknown types: none) and normalisation against a
// long-double evaluation of the windowed ideal response (scipy.signal.firwin agrees where it has the
// design), and every failure report.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <tuple>
#include <vector>

#include "voktest/reports.h"
#include "vok.h"

namespace {

using LD = long double;
constexpr LD kPiL = 3.141592653589793238462643383279502884L;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

enum Kind { Low, High, Pass, Stop };
const char* const kNames[] = {"vokdFirLowpass", "vokdFirHighpass", "vokdFirBandpass", "vokdFirBandstop"};

// (f1, f2, taps, n, window, normalise); f2 is read by the band designs only.
using DesignFn = int (*)(double, double, double*, int, int, int);
const DesignFn kDesigns[] = {
    [](double f, double, double* t, int n, int w, int m) { return vokdFirLowpass(f, t, n, w, m); },
    [](double f, double, double* t, int n, int w, int m) { return vokdFirHighpass(f, t, n, w, m); },
    [](double f, double g, double* t, int n, int w, int m) { return vokdFirBandpass(f, g, t, n, w, m); },
    [](double f, double g, double* t, int n, int w, int m) { return vokdFirBandstop(f, g, t, n, w, m); }};

// The window weight of element k of n, straight from its formula.
LD weight(int win, int n, int k) {
    const LD m = n - 1, x = 2 * kPiL * k / m;
    const LD alpha = -0.5L / (1 + std::cos(2 * kPiL / m));
    switch (win) {
    case 1: return k <= m / 2 ? 2 * k / m : 2 - 2 * k / m;
    case 2: return (alpha + 1) / 2 - 0.5L * std::cos(x) - alpha / 2 * std::cos(2 * x);
    case 3: return 0.54L - 0.46L * std::cos(x);
    case 4: return 0.5L - 0.5L * std::cos(x);
    default: return 1;
    }
}

// Ideal response at offset t from the centre (t may be half-integral). Even high-pass lengths are the
// quarter-turn (antisymmetric) form cos(2πft)/(πt); odd ones the spectral inversion of the low-pass.
LD ideal(Kind kind, LD f1, LD f2, LD t) {
    auto lowpass = [t](LD f) { return t == 0 ? 2 * f : std::sin(2 * kPiL * f * t) / (kPiL * t); };
    const LD allpass = t == 0 ? 1.0L : std::sin(kPiL * t) / (kPiL * t);
    switch (kind) {
    case Low: return lowpass(f1);
    case High: return t != std::floor(t) ? -std::cos(2 * kPiL * f1 * t) / (kPiL * t) : allpass - lowpass(f1);
    case Pass: return lowpass(f2) - lowpass(f1);
    default: return allpass - lowpass(f2) + lowpass(f1);
    }
}

// Normalised: divided by |H(fref)| of the whole array.
std::vector<LD> reference(Kind kind, LD f1, LD f2, int n, int win, int normal) {
    std::vector<LD> h(n);
    for (int i = 0; i < n; ++i) h[i] = ideal(kind, f1, f2, i - (n - 1) / 2.0L) * weight(win, n, i);
    const LD fref = kind == High ? 0.5L : kind == Pass ? (f1 + f2) / 2 : 0;
    std::complex<LD> response = 0;
    for (int i = 0; i < n; ++i) response += h[i] * std::polar(1.0L, 2 * kPiL * fref * i);
    for (auto& v : h) v /= normal ? std::abs(response) : 1;
    return h;
}

class Design : public ::testing::TestWithParam<std::tuple<int, int, int, int>> {};

TEST_P(Design, MatchesWindowedIdealResponse) {
    const auto [kindIndex, n, win, normal] = GetParam();
    const Kind kind = static_cast<Kind>(kindIndex);
    for (const auto& p : {std::pair{0.05, 0.2}, {0.1, 0.45}, {0.3, 0.31}, {0.01, 0.49}, {0.25, 0.375}, {0.37, 0.45}}) {
        const double f1 = p.first, f2 = kind == Low || kind == High ? 0 : p.second;
        std::vector<double> taps(n, 1e300);  // the upper half is overwritten whatever it held
        ASSERT_EQ(kDesigns[kind](f1, f2, taps.data(), n, win, normal), VOK_StatusOk);
        const auto want = reference(kind, f1, f2, n, win, normal);
        for (int i = 0; i < n; ++i) EXPECT_NEAR(taps[i], double(want[i]), 2e-12) << f1 << " " << f2 << " " << i;
        const bool anti = kind == High && n % 2 == 0;
        for (int i = 0; i < n / 2; ++i) EXPECT_EQ(taps[n - 1 - i], anti ? -taps[i] : taps[i]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AllDesigns, Design,
                         ::testing::Combine(::testing::Values(Low, High, Pass, Stop),
                                            ::testing::Values(5, 6, 7, 8, 16, 31, 64, 101),
                                            ::testing::Values(-1, 0, 1, 2, 3, 4, 5), ::testing::Values(0, 1)));

const char kNullTaps[] = "\nNull pointer to taps[] array was passed\n";
const char kShort[] = "\ntapsLen argument is less five\n";
const char kBadRfreq[] = "\nrfreq argument isn\x92t satisfactory\n";
const char kBadLow[] = "\nrLowFreq argument isn\x92t satisfactory\n";
const char kBadHigh[] = "\nrHighFreq argument isn\x92t satisfactory\n";
const char kOrder[] = "\nrHighFreq argument is less rLowFreq argument\n";
constexpr int kNullSt = VOK_StatusNullTaps, kLenSt = VOK_StatusTapsLen, kFreq = VOK_StatusBadFreq;
constexpr int kOrd = VOK_StatusFreqOrder, kOk = VOK_StatusOk;

// One report with the status and text of the first failed check (taps, length, frequency; low, high,
// order); the taps stay as they were and the status is returned. Successes at the smallest length,
// frequencies just inside the open interval and a subnormal whose upper word is zero clear an earlier
// failure status.
TEST(FirDesign, ChecksInOrder) {
    struct Row { Kind kind; double f1, f2; bool nullTaps; int n, status; const char* context; };
    const double below = std::nextafter(0.5, 0.0), inf = std::numeric_limits<double>::infinity();
    const Row rows[] = {
        {Low, 0.7, 0, true, 4, kNullSt, kNullTaps},      {High, 0.2, 0, true, 9, kNullSt, kNullTaps},
        {Pass, 0.3, 0.1, true, 2, kNullSt, kNullTaps},   {Stop, 0.1, 0.2, true, 9, kNullSt, kNullTaps},
        {Low, 0.7, 0, false, 4, kLenSt, kShort},         {High, 0.2, 0, false, -3, kLenSt, kShort},
        {Pass, 0.3, 0.1, false, 0, kLenSt, kShort},      {Stop, 0.1, 0.2, false, 4, kLenSt, kShort},
        {Low, 0.5, 0, false, 5, kFreq, kBadRfreq},       {Low, 0.0, 0, false, 5, kFreq, kBadRfreq},
        {Low, 1e-320, 0, false, 5, kFreq, kBadRfreq},    {Low, -0.0, 0, false, 5, kFreq, kBadRfreq},
        {Low, inf, 0, false, 5, kFreq, kBadRfreq},       {High, -0.1, 0, false, 6, kFreq, kBadRfreq},
        {High, kNaN, 0, false, 6, kFreq, kBadRfreq},     {Pass, 0.0, 0.7, false, 7, kFreq, kBadLow},
        {Stop, 0.5, 0.1, false, 8, kFreq, kBadLow},      {Pass, 0.3, 0.5, false, 7, kFreq, kBadHigh},
        {Stop, 0.3, -0.2, false, 8, kFreq, kBadHigh},    {Pass, 0.3, 0.1, false, 7, kOrd, kOrder},
        {Pass, 0.2, 0.2, false, 7, kOrd, kOrder},        {Stop, 0.25, 0.25, false, 8, kOrd, kOrder},
        {Low, 1e-300, 0, false, 5, kOk, nullptr},        {Low, below, 0, false, 5, kOk, nullptr},
        {Pass, 0.2, std::nextafter(0.2, 1.0), false, 5, kOk, nullptr}};
    for (const Row& c : rows) {
        SCOPED_TRACE(::testing::Message() << kNames[c.kind] << " " << c.f1 << " " << c.f2 << " " << c.n);
        voktest::ReportRecorder rec;
        vokSetErrStatus(VOK_StatusBadArg);
        voktest::Sentinel buf(64 * sizeof(double));
        EXPECT_EQ(kDesigns[c.kind](c.f1, c.f2, c.nullTaps ? nullptr : buf.as<double>(), c.n, 3, 1), c.status);
        if (c.context) EXPECT_REPORTS(rec, {c.status, kNames[c.kind], c.context, "vokfirg"});
        else EXPECT_REPORTS(rec);
        EXPECT_EQ(c.context != nullptr, buf.untouched());
        EXPECT_EQ(vokGetErrStatus(), c.status);
    }
}

}  // namespace
