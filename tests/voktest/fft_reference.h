// Long-double references for the transform tests: a direct DFT for short
// lengths, a radix-2 transform (exact twiddles per level) for long ones,
// and the rules that bring exact values to 16 bits.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace ffttest {

using LC = std::complex<long double>;

// exp(∓2πi·m/N) for m < N, each angle rounded once as 2π·m/N.
inline std::vector<LC> roots(long long n, bool forward) {
    std::vector<LC> w(n);
    for (long long m = 0; m < n; ++m) {
        const long double a = 2 * std::numbers::pi_v<long double> * (long double)m / n;
        w[m] = LC(std::cos(a), forward ? -std::sin(a) : std::sin(a));
    }
    return w;
}

// X[k] = Σ x[n]·exp(∓2πi·nk/N), the sign negative for forward.
inline std::vector<LC> directDft(const std::vector<LC>& x, bool forward) {
    const long long n = (long long)x.size();
    const std::vector<LC> w = roots(n, forward);
    std::vector<LC> out(n);
    for (long long k = 0; k < n; ++k) {
        long double re = 0, im = 0;  // real arithmetic: no NaN recovery per product
        for (long long j = 0, m = 0; j < n; ++j) {  // m = j·k mod N
            re += x[j].real() * w[m].real() - x[j].imag() * w[m].imag();
            im += x[j].real() * w[m].imag() + x[j].imag() * w[m].real();
            if ((m += k) >= n) m -= n;
        }
        out[k] = LC(re, im);
    }
    return out;
}

// Radix 2: the transforms of the even and the odd samples, joined with the root of
// index k·N/s at span s, the same value as its own 2π·k/s (the ratio is a power
// of two). The roots of each length are kept per thread: the tests transform the
// same lengths many times.
inline void radix2Fft(std::vector<LC>& x, bool forward, long long stride = 1) {
    const long long n = (long long)x.size(), h = n / 2;
    thread_local std::vector<LC> w[2];
    std::vector<LC>& root = w[forward];
    if (stride == 1 && (long long)root.size() != n) root = roots(n, forward);
    if (n == 1) return;
    std::vector<LC> half[2] = {std::vector<LC>(h), std::vector<LC>(h)};
    for (long long i = 0; i < n; ++i) half[i % 2][i / 2] = x[i];
    for (auto& v : half) radix2Fft(v, forward, 2 * stride);
    for (long long k = 0; k < h; ++k) {
        const LC t = root[k * stride] * half[1][k];
        x[k] = half[0][k] + t, x[k + h] = half[0][k] - t;
    }
}

inline std::vector<LC> referenceDft(std::vector<LC> x, bool forward) {
    if (x.size() <= 256 || (x.size() & (x.size() - 1))) return directDft(x, forward);
    radix2Fft(x, forward);
    return x;
}

// The transform the flags ask for: direction, and 1/N on an inverse unless VOK_NoScale.
inline std::vector<LC> spectrum(const std::vector<LC>& x, int flags) {
    std::vector<LC> y = referenceDft(x, flags & 1);
    if ((flags & 2) && !(flags & 16))
        for (LC& v : y) v /= (long double)x.size();
    return y;
}

// The stored layouts of a real signal's spectrum.
enum Layout { kPack, kPerm, kCcs };

// Where bin k's real and imaginary parts are stored (-1: not stored; CCS keeps
// the imaginary parts of bins 0 and N/2).
inline std::pair<long long, long long> slots(long long k, long long n, int layout) {
    if (layout == kCcs) return {2 * k, 2 * k + 1};
    if (k == 0 || k == n / 2) return {k == 0 ? 0 : layout == kPack ? n - 1 : 1, -1};
    return layout == kPack ? std::pair{2 * k - 1, 2 * k} : std::pair{2 * k, 2 * k + 1};
}
// The N/2 + 1 bins of a stored spectrum, and back.
template <class R>
std::vector<LC> unpack(const R* s, long long n, int layout) {
    std::vector<LC> bins(n / 2 + 1);
    for (long long k = 0; k <= n / 2; ++k) {
        const auto [re, im] = slots(k, n, layout);
        bins[k] = LC(s[re], im < 0 ? 0 : s[im]);
    }
    return bins;
}
template <class R>
std::vector<R> pack(const std::vector<LC>& bins, long long n, int layout) {
    std::vector<R> s(layout == kCcs ? n / 2 * 2 + 2 : n);
    for (long long k = 0; k <= n / 2; ++k) {
        const auto [re, im] = slots(k, n, layout);
        s[re] = R(bins[k].real());
        if (im >= 0) s[im] = R(bins[k].imag());
    }
    return s;
}

// The transform the flags ask for of the conjugate-symmetric spectrum whose
// first N/2 + 1 bins are given (the imaginary parts of bins 0 and N/2 ignored).
inline std::vector<LC> ofBins(std::vector<LC> bins, long long n, int flags) {
    bins[0] = bins[0].real(), bins[n / 2] = bins[n / 2].real();
    std::vector<LC> full(n);
    for (long long k = 0; k < n; ++k) full[k] = k <= n / 2 ? bins[k] : std::conj(bins[n - k]);
    return spectrum(full, flags);
}

inline int reverseBits(long long v, int bits) {
    long long r = 0;
    for (int i = 0; i < bits; ++i) r |= ((v >> i) & 1) << (bits - 1 - i);
    return int(r);
}

// An exact value in 16 bits. The FFTs round modes 0 and 1 to nearest and
// saturate; otherwise v·2^-sf (modes 2, 3, 4) is truncated toward zero, then
// saturated (modes 1, 3) or wrapped to the low 16 bits.
inline int to16(long double v, int mode, int sf, bool fftRounding) {
    const bool nearest = fftRounding && mode <= 1, saturate = mode == 1 || mode == 3 || (fftRounding && mode == 0);
    const long double t = nearest ? std::nearbyint(v) : std::trunc(mode >= 2 ? std::ldexp(v, -sf) : v);
    if (saturate) return int(std::clamp(t, -32768.0L, 32767.0L));
    return short((unsigned short)(long long)std::fmod(t, 65536.0L));
}

// The factor the automatic mode picks: the fewest halvings that fit the largest part.
inline int autoFactor(const std::vector<LC>& x) {
    long double m = 0;
    for (const LC& v : x) m = std::max({m, std::fabs(v.real()), std::fabs(v.imag())});
    return m <= 32767 ? 0 : std::ilogb(m) - 14;
}

}  // namespace ffttest
