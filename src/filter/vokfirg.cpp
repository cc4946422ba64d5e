// FIR design by the window method: the ideal response of a low-pass,
// high-pass, band-pass or band-stop filter, truncated, windowed, optionally
// normalised, then mirrored. The sinusoids come from double tone recurrences,
// one per frequency and one sample per tap, started at the phase that makes
// sample n of the tone the sine (or cosine) the tap at offset d_(n+1) needs.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "signal/tone.h"
#include "signal/window.h"
#include "vok/firdesign.h"

namespace {

using vok::ArgChecks;
namespace tone = vok::tone;
namespace win = vok::window;
constexpr const char* kModule = "vokfirg";
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

enum class Kind { Lowpass, Highpass, Bandpass, Bandstop };

tone::Recurrence toneAt(double freq, double phase) {
    const tone::Start s = tone::start(freq, phase, 1.0);
    return {s.coef, s.curRe, s.prevRe};
}

// Phase of a tone whose sample n is sin(2π·f·(n+1)) (odd lengths).
double sinePhase(double f) { return f < 0.25 ? kTwoPi * (f + 0.75) : kTwoPi * (f - 0.25); }
// ... whose sample n is −sin(2π·f·(n+1)) (odd lengths).
double negSinePhase(double f) { return kTwoPi * (f + 0.25); }
// ... sin(2π·f·(n+½)) and −sin(2π·f·(n+½)) (even lengths).
double halfSinePhase(double f) { return kPi * (f + 1.5); }
double halfNegSinePhase(double f) { return kPi * (f + 0.5); }

// Positive means: the upper 32-bit word of the double, read as signed, is > 0.
bool notPositive(double f) {
    std::uint64_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return static_cast<std::int32_t>(bits >> 32) <= 0;
}
bool badFrequency(double f) { return notPositive(f) || !(f < 0.5); }

int failWith(const ArgChecks& check, int status, const char* message) {
    check.report(status, message, check.line);
    return status;
}

int badArguments(const ArgChecks& check, Kind kind, double fLow, double fHigh, const double* taps, int n) {
    if (!taps) return failWith(check, VOK_StatusNullTaps, "\nNull pointer to taps[] array was passed\n");
    if (n < 5) return failWith(check, VOK_StatusTapsLen, "\ntapsLen argument is less five\n");
    if (kind == Kind::Lowpass || kind == Kind::Highpass) {
        if (badFrequency(fLow)) return failWith(check, VOK_StatusBadFreq, "\nrfreq argument isn\x92t satisfactory\n");
        return VOK_StatusOk;
    }
    if (badFrequency(fLow)) return failWith(check, VOK_StatusBadFreq, "\nrLowFreq argument isn\x92t satisfactory\n");
    if (badFrequency(fHigh)) return failWith(check, VOK_StatusBadFreq, "\nrHighFreq argument isn\x92t satisfactory\n");
    if (fHigh <= fLow)
        return failWith(check, VOK_StatusFreqOrder, "\nrHighFreq argument is less rLowFreq argument\n");
    return VOK_StatusOk;
}

// Taps 0 .. h-1 and, for odd n, the centre h: tap h-k = numerator_k / (π·d_k).
void idealResponse(Kind kind, double fLow, double fHigh, double* taps, int n) {
    const int h = n / 2;
    const bool odd = n % 2 == 1;
    double centre = 0;
    tone::Recurrence a{}, b{};
    switch (kind) {
    case Kind::Lowpass:
        centre = 2 * fLow;
        a = toneAt(fLow, odd ? sinePhase(fLow) : halfSinePhase(fLow));
        break;
    case Kind::Highpass:
        centre = 1 - 2 * fLow;
        a = toneAt(fLow, odd ? negSinePhase(fLow) : kPi * fLow);  // even: cos(2π·f·(n+½))
        break;
    case Kind::Bandpass:
        centre = 2 * (fHigh - fLow);
        a = toneAt(fLow, odd ? negSinePhase(fLow) : halfNegSinePhase(fLow));
        b = toneAt(fHigh, odd ? sinePhase(fHigh) : halfSinePhase(fHigh));
        break;
    case Kind::Bandstop:
        centre = 1 - 2 * (fHigh - fLow);
        if (odd) {
            a = toneAt(fLow, sinePhase(fLow));
            b = toneAt(fHigh, negSinePhase(fHigh));
        } else {  // sin(π·d_k) = ±1 here, and the tones carry the opposite signs
            a = toneAt(fLow, halfNegSinePhase(fLow));
            b = toneAt(fHigh, halfSinePhase(fHigh));
        }
        break;
    }
    if (odd) taps[h] = centre;

    double denominator = odd ? kPi : kPi * 0.5;
    double alternating = 1.0;
    for (int k = 1; k <= h; ++k, denominator += kPi) {
        double numerator;
        if (kind == Kind::Lowpass || kind == Kind::Highpass) {
            numerator = a.next();
        } else if (kind == Kind::Bandstop && !odd) {
            const double low = a.next(), high = b.next();
            numerator = alternating - high - low;
            alternating = -alternating;
        } else {
            const double low = a.next(), high = b.next();
            numerator = high + low;
        }
        taps[h - k] = numerator / denominator;
    }
}

void applyWindow(double* taps, int n, int winType) {
    switch (winType) {
    case 1: win::bartlett(taps, n); break;
    case 2: win::blackman(taps, n, win::blackmanOptAlpha(n)); break;
    case 3: win::hamming(taps, n); break;
    case 4: win::hann(taps, n); break;
    default: break;
    }
}

// Amplitude response at the reference frequency, from the lower half and centre.
double amplitude(Kind kind, double fLow, double fHigh, const double* taps, int n) {
    const int h = n / 2;
    const bool odd = n % 2 == 1;
    double sum = 0;
    double centre = 0;
    if (kind == Kind::Highpass) {
        for (int i = 0; i < h; ++i) sum += (i % 2 == 0 ? -taps[i] : taps[i]);
        if (odd) centre = h % 2 == 0 ? -taps[h] : taps[h];
    } else if (kind == Kind::Bandpass) {
        const double fc = (fLow + fHigh) * 0.5;
        tone::Recurrence c = toneAt(fc, odd ? kTwoPi * fc : kPi * fc);
        for (int k = 1; k <= h; ++k) sum += taps[h - k] * c.next();
        if (odd) centre = taps[h];
    } else {
        int i = 0;
        for (; i + 4 <= h; i += 4) sum = sum + taps[i] + taps[i + 1] + taps[i + 2] + taps[i + 3];
        for (; i < h; ++i) sum += taps[i];
        if (odd) centre = taps[h];
    }
    return 2 * sum + centre;
}

int design(const ArgChecks& check, Kind kind, double fLow, double fHigh, double* taps, int n, int winType,
           int doNormal) {
    if (const int status = badArguments(check, kind, fLow, fHigh, taps, n)) return status;
    const int h = n / 2;
    const int computed = h + n % 2;  // the lower half and the centre
    idealResponse(kind, fLow, fHigh, taps, n);
    applyWindow(taps, n, winType);
    if (doNormal) {
        const double gain = 1.0 / std::fabs(amplitude(kind, fLow, fHigh, taps, n));
        for (int i = 0; i < computed; ++i) taps[i] *= gain;
    }
    const bool antisymmetric = kind == Kind::Highpass && n % 2 == 0;
    for (int i = 0; i < h; ++i) taps[n - 1 - i] = antisymmetric ? -taps[i] : taps[i];
    vokSetErrStatus(VOK_StatusOk);
    return VOK_StatusOk;
}

}  // namespace

extern "C" {

VOK_API int VOK_CALL vokdFirLowpass(double rfreq, double* taps, int tapsLen, int winType, int doNormal) {
    return design(VOK_CHECKS, Kind::Lowpass, rfreq, 0, taps, tapsLen, winType, doNormal);
}
VOK_API int VOK_CALL vokdFirHighpass(double rfreq, double* taps, int tapsLen, int winType, int doNormal) {
    return design(VOK_CHECKS, Kind::Highpass, rfreq, 0, taps, tapsLen, winType, doNormal);
}
VOK_API int VOK_CALL vokdFirBandpass(double rLowFreq, double rHighFreq, double* taps, int tapsLen, int winType,
                                     int doNormal) {
    return design(VOK_CHECKS, Kind::Bandpass, rLowFreq, rHighFreq, taps, tapsLen, winType, doNormal);
}
VOK_API int VOK_CALL vokdFirBandstop(double rLowFreq, double rHighFreq, double* taps, int tapsLen, int winType,
                                     int doNormal) {
    return design(VOK_CHECKS, Kind::Bandstop, rLowFreq, rHighFreq, taps, tapsLen, winType, doNormal);
}

}  // extern "C"
