// Discrete Fourier transform of any length. The shortest lengths run code of
// their own with the roots of their twiddle table (transform/dftshort.h); a
// power of two runs as the FFT of its order, a length whose prime factors are
// small as a mixed-radix FFT (transform/mixedfft.h); a long one with a large
// prime factor as the chirp convolution below; the rest, and any length whose
// plan or chirp cannot be had, by the folded direct sum.
//
// The input is copied first (so src may be dst), then symmetric pairs are
// folded: b[k] <- (b[k] + b[N-k])/2 and b[N-k] <- (b[k] - b[N-k])/2. Output j
// then needs one twiddle per pair, W^{jk} = (c, s) with s = -sin:
//   b[k]·W^{jk} + b[N-k]·W^{-jk} = 2·(c·Re b[k] - s·Im b[N-k], c·Im b[k] + s·Re b[N-k])
// (s negated for the inverse). The twiddle index advances by j modulo N, an
// addition and a comparison per step. Sums are in double precision; an even
// length adds its unpaired middle sample with the sign (-1)^j.
//
// Long lengths take the chirp route instead, the same transform in
// O(N log N): with 2jk = j² + k² - (j - k)²,
//   X[j] = w[j] · sum_k (x[k]·w[k]) · conj(w[j - k]),  w[k] = exp(-iπk²/N),
// a convolution done by FFTs of M >= 2N - 1 points in the precision of the
// data: a power of two, or a product of 2, 3 and 5 that is much shorter (the
// mixed-radix passes cost more per point than the FFT of a power of two).
// The chirp, the spectrum of its conjugate and the work areas are kept per
// thread for the latest such length and precision, so repeated calls
// allocate nothing.
// When that memory or the FFT tables cannot be had the direct sum runs.
#include <cmath>
#include <cstring>
#include <numbers>
#include <type_traits>

#include "core/check.h"
#include "core/scale16.h"
#include "frame/context.h"
#include "kernels/dispatch.h"
#include "transform/dftany.h"
#include "transform/dftshort.h"
#include "transform/fft.h"
#include "transform/mixedfft.h"
#include "vok/dft.h"
#include "vok/frame.h"
#include "vok/transform.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "vokdft";

void releaseSlot(int slot) {
    vok::WorkSlot& w = vok::threadContext().tables.work[slot];
    vokFree(w.buffer);
    w.buffer = nullptr;
    w.capacity = 0;
}

bool badDirection(int flags) {
    const bool forward = (flags & VOK_Forw) != 0;
    const bool inverse = (flags & VOK_Inv) != 0;
    return forward == inverse;
}

// Lengths from here on take the chirp route: below it the direct sum is
// as fast and exact to the last bit of its double sums.
constexpr int kChirpFromLength = 48;

template <class W>
using Complex = std::conditional_t<std::is_same_v<W, double>, DoubleComplex, FloatComplex>;

// The chirp of one length in the working precision W of its element type:
// single-precision data run single-precision FFTs.
template <class W>
struct Chirp {
    long long m;
    int order;             // M = 2^order, or -1 for the mixed-radix FFT of M
    Complex<W>* chirp;     // w[k], k < N
    Complex<W>* spectrum;  // FFT of conj(w[k]) laid out circularly over M, times 1/M
    Complex<W>* work;      // M points, and M more for the mixed-radix FFT (out of place)
};

void releaseChirp() {
    vok::ChirpCache& cache = vok::threadContext().tables.chirp;
    vokFree(cache.block);
    cache = {0, 0, nullptr};
}

bool isPowerOfTwo(int n) { return (n & (n - 1)) == 0; }

int chirpOrder(int n) {
    int order = 0;
    while ((1LL << order) < 2LL * n - 1) ++order;
    return order;
}

// The convolution length for n: the smallest product of 2, 3 and 5 that holds
// 2n - 1 points when it is below two thirds of the power of two (order -1),
// else the power of two. The mixed-radix passes took about 1.5 times the
// power of two's time per point.
long long chirpLength(int n, int& order) {
    order = chirpOrder(n);
    const long long pow2 = 1LL << order, need = 2LL * n - 1;
    long long best = pow2;
    for (long long f5 = 1; f5 < pow2; f5 *= 5)
        for (long long f3 = f5; f3 < pow2; f3 *= 3) {
            long long v = f3;
            while (v < need) v *= 2;
            if (v < best) best = v;
        }
    if (3 * best >= 2 * pow2 || best > 0x7fffffffLL) return pow2;
    order = -1;
    return best;
}

// One FFT of the chirp's M points from `in` to `out` (the same array for a
// power of two); false when the mixed-radix plan cannot be had.
template <class C>
bool chirpFft(C* in, C* out, long long m, int order, bool forward) {
    if (order >= 0) return vok::fftComplex(in, order, forward, false) == VOK_StatusOk;
    return vok::mixedRadixDft(in, out, int(m), forward, 1.0);
}

// The thread's chirp for length n (not a power of two), built on first use;
// false when memory or the FFT tables are short. The filter spectrum is taken
// in double precision whatever W.
template <class W>
bool chirpFor(int n, Chirp<W>& c) {
    constexpr int precision = sizeof(W) == sizeof(double) ? vok::kDouble : vok::kSingle;
    int order = 0;
    const long long m = chirpLength(n, order);
    if (order > vok::kMaxOrder ||
        (order >= 0 && (vok::fftPrepare<double>(order) != VOK_StatusOk || vok::fftPrepare<W>(order) != VOK_StatusOk)))
        return false;
    const long long workPoints = order >= 0 ? m : 2 * m;
    vok::ChirpCache& cache = vok::threadContext().tables.chirp;
    if (cache.length != n || cache.precision != precision) {
        releaseChirp();
        const long long count = n + m + workPoints;
        constexpr long long kBytes = sizeof(Complex<W>);
        if (count > 0x7fffffffLL / kBytes) return false;
        auto* block = static_cast<Complex<W>*>(vokMalloc(int(count * kBytes)));
        if (!block) return false;
        DoubleComplex* h = precision == vok::kDouble ? reinterpret_cast<DoubleComplex*>(block + n) : vokzMalloc(int(m));
        if (!h) {
            vokFree(block);
            return false;
        }
        // k² is taken modulo 2N exactly so the angle stays small for any length.
        const long long twoN = 2LL * n;
        for (long long k = 0; k < m; ++k) h[k] = {0, 0};
        for (long long k = 0; k < n; ++k) {
            const long double a = std::numbers::pi_v<long double> * (long double)((k * k) % twoN) / n;
            const double re = double(std::cos(a)), im = double(-std::sin(a));
            block[k] = {W(re), W(im)};
            h[k] = {re, -im};
            if (k) h[m - k] = {re, -im};
        }
        if (!chirpFft(h, h, m, order, true)) {
            if (precision != vok::kDouble) vokFree(h);
            vokFree(block);
            return false;
        }
        // The 1/M of the inverse FFT rides on the filter (exact for a power of two).
        const double invM = 1.0 / double(m);
        Complex<W>* spectrum = block + n;
        for (long long f = 0; f < m; ++f) spectrum[f] = {W(h[f].re * invM), W(h[f].im * invM)};
        if (precision != vok::kDouble) vokFree(h);
        cache = {n, precision, block};
    }
    auto* block = static_cast<Complex<W>*>(cache.block);
    c = Chirp<W>{m, order, block, block + n, block + n + m};
    return true;
}

// The chirp transform of n samples of src into dst (the inverse conjugates
// both chirps and the filter); false, with dst untouched, when an FFT plan
// cannot be had.
template <class C>
bool chirpDft(const Chirp<decltype(C::re)>& c, const C* src, C* dst, int n, bool forward, bool scale) {
    using W = decltype(C::re);
    const long long m = c.m;
    const W conj = forward ? W(1) : W(-1);
    Complex<W>* a = c.work;
    Complex<W>* freq = c.order >= 0 ? a : a + m;  // the spectrum of a
    for (int k = 0; k < n; ++k) {
        const W xr = src[k].re, xi = src[k].im;
        const W wr = c.chirp[k].re, wi = conj * c.chirp[k].im;
        a[k] = {xr * wr - xi * wi, xr * wi + xi * wr};
    }
    for (long long k = n; k < m; ++k) a[k] = {0, 0};
    if (!chirpFft(a, freq, m, c.order, true)) return false;
    // The inverse filter conj(conj w) has the spectrum conj(H[-f]).
    if (forward) {
        for (long long f = 0; f < m; ++f) {
            const Complex<W> hf = c.spectrum[f];
            const W ar = freq[f].re, ai = freq[f].im;
            freq[f] = {ar * hf.re - ai * hf.im, ar * hf.im + ai * hf.re};
        }
    } else {
        for (long long f = 0; f < m; ++f) {
            const Complex<W>& mirror = c.spectrum[f ? m - f : 0];
            const W ar = freq[f].re, ai = freq[f].im;
            freq[f] = {ar * mirror.re + ai * mirror.im, ai * mirror.re - ar * mirror.im};
        }
    }
    if (!chirpFft(freq, a, m, c.order, false)) return false;
    if (scale) {
        const W factor = W(1.0 / double(n));
        for (int j = 0; j < n; ++j) {
            const W wr = c.chirp[j].re, wi = conj * c.chirp[j].im;
            const W yr = a[j].re * wr - a[j].im * wi, yi = a[j].re * wi + a[j].im * wr;
            dst[j] = {yr * factor, yi * factor};
        }
    } else {
        for (int j = 0; j < n; ++j) {
            const W wr = c.chirp[j].re, wi = conj * c.chirp[j].im;
            dst[j] = {a[j].re * wr - a[j].im * wi, a[j].re * wi + a[j].im * wr};
        }
    }
    return true;
}

// The chirp route for a long length: true when it produced dst, false when
// the length is short or the chirp could not be built (the direct sum runs).
template <class C>
bool chirpTransform(const C* src, C* dst, int n, int flags) {
    Chirp<decltype(C::re)> chirp;
    if (n < kChirpFromLength || !chirpFor(n, chirp)) return false;
    const bool forward = (flags & VOK_Forw) != 0;
    return chirpDft(chirp, src, dst, n, forward, !forward && !(flags & VOK_NoScale));
}

// A power of two takes the FFT of its order, a length of small prime factors
// the mixed-radix FFT, a longer one the chirp; false leaves the work to the
// direct sum.
template <class C>
bool fastTransform(const C* src, C* dst, int n, int flags) {
    const bool forward = (flags & VOK_Forw) != 0;
    const bool scaled = !forward && !(flags & VOK_NoScale);
    if (isPowerOfTwo(n)) {
        int order = 0;
        while ((1 << order) < n) ++order;
        if (vok::fftComplex(src, dst, order, forward, scaled) == VOK_StatusOk) return true;
    }
    const double scale = scaled ? 1.0 / double(n) : 1.0;
    return vok::mixedRadixDft(src, dst, n, forward, scale) || chirpTransform(src, dst, n, flags);
}

// The shortest lengths, written out (transform/dftshort.h); false for the others.
template <class C, class W>
bool shortTransform(const C* src, C* dst, int n, int flags, const W* table) {
    if (!vok::shortdft::covers<C>(n)) return false;
    const bool forward = (flags & VOK_Forw) != 0;
    const double scale = !forward && !(flags & VOK_NoScale) ? 1.0 / double(n) : 1.0;
    vok::shortdft::transform(src, dst, n, table, forward, scale, vok::simd::vexCopiesActive());
    return true;
}

// b holds the copied input (it is folded in place); dst receives N outputs.
template <class C, class T>
void foldedDft(C* b, C* dst, int n, const T* twiddles, bool forward, bool scale) {
    double sumRe = 0, sumIm = 0;
    for (int k = 0; k < n; ++k) {
        sumRe += double(b[k].re);
        sumIm += double(b[k].im);
    }
    const bool even = (n % 2) == 0;
    const int pairs = even ? n / 2 - 1 : (n - 1) / 2;
    for (int k = 1; k <= pairs; ++k) {
        const double aRe = double(b[k].re), aIm = double(b[k].im);
        const double zRe = double(b[n - k].re), zIm = double(b[n - k].im);
        b[k] = {decltype(b[k].re)((aRe + zRe) * 0.5), decltype(b[k].re)((aIm + zIm) * 0.5)};
        b[n - k] = {decltype(b[k].re)((aRe - zRe) * 0.5), decltype(b[k].re)((aIm - zIm) * 0.5)};
    }
    const double b0Re = double(b[0].re), b0Im = double(b[0].im);
    const double midRe = even ? double(b[n / 2].re) : 0.0;
    const double midIm = even ? double(b[n / 2].im) : 0.0;
    const double sign = forward ? 1.0 : -1.0;
    const double factor = scale ? 1.0 / double(n) : 1.0;
    for (int j = 1; j < n; ++j) {
        double re = 0, im = 0;
        int m = 0;
        for (int k = 1; k <= pairs; ++k) {
            m += j;
            if (m >= n) m -= n;
            const double c = double(twiddles[m].re);
            const double s = sign * double(twiddles[m].im);
            re += c * double(b[k].re) - s * double(b[n - k].im);
            im += c * double(b[k].im) + s * double(b[n - k].re);
        }
        double outRe = 2 * re + b0Re, outIm = 2 * im + b0Im;
        if (even) {
            if (j & 1) {
                outRe -= midRe;
                outIm -= midIm;
            } else {
                outRe += midRe;
                outIm += midIm;
            }
        }
        dst[j] = {decltype(dst[j].re)(outRe * factor), decltype(dst[j].re)(outIm * factor)};
    }
    dst[0] = {decltype(dst[0].re)(sumRe * factor), decltype(dst[0].re)(sumIm * factor)};
}

// The length's twiddle table through the exported look-up, on purpose: its
// own reports, under its own name, come first. The thread's latest length
// skips the call when no failure is pending (the look-up finds it then and
// reports nothing); a pending failure makes the look-up return none.
template <class C>
C* twiddleTable(const VokThreadContext& ctx, int length, int kind, C* (VOK_CALL* lookUp)(int)) {
    const vok::DftTableList& list = ctx.tables.dft[kind];
    if (list.recentLength == length && ctx.status >= 0) [[likely]]
        return static_cast<C*>(list.recentTable);
    return lookUp(length);
}

void dftSingle(ArgChecks check, const FloatComplex* src, FloatComplex* dst, int length, int flags) {
    VokThreadContext& ctx = vok::threadContext();
    FloatComplex* table = twiddleTable(ctx, length, vok::kKindC, vokcGetDftTwdTbl);
    const vok::WorkSlot& slot = ctx.tables.work[1];
    FloatComplex* buff = slot.buffer && slot.capacity >= length ? slot.buffer : vok::workBuffer(1, length);
    if (check(length < 1, "length<=0") || check(!table, "TwdTbl==0") || check(!buff, "buff==0")) return;
    if (flags & VOK_Init) return;
    if (flags & VOK_Free) {
        releaseSlot(1);
        releaseChirp();
        vok::releaseMixedRadixPlans(vok::kSingle);
        return;
    }
    if (check(!src, "src==0") || check(!dst, "dst==0") ||
        check(badDirection(flags), "VOK_Forw or VOK_Inv must be as a flag"))
        return;
    if (shortTransform(src, dst, length, flags, table) || fastTransform(src, dst, length, flags)) return;
    if (buff != src) std::memmove(buff, src, sizeof(FloatComplex) * std::size_t(length));
    const bool forward = (flags & VOK_Forw) != 0;
    foldedDft(buff, dst, length, table, forward, !forward && !(flags & VOK_NoScale));
}

void dftDouble(ArgChecks check, const DoubleComplex* src, DoubleComplex* dst, int length, int flags) {
    DoubleComplex* table = twiddleTable(vok::threadContext(), length, vok::kKindZ, vokzGetDftTwdTbl);
    if (check(length < 1, "length<=0") || check(!table, "TwdTbl==0")) return;
    if (flags & VOK_Free) {
        releaseChirp();
        vok::releaseMixedRadixPlans(vok::kDouble);
    }
    if (flags & (VOK_Init | VOK_Free)) return;
    if (check(!src, "src==0") || check(!dst, "dst==0") ||
        check(badDirection(flags), "VOK_Forw or VOK_Inv must be as a flag"))
        return;
    if (shortTransform(src, dst, length, flags, table) || fastTransform(src, dst, length, flags)) return;
    DoubleComplex* copy = vokzMalloc(length);
    if (!copy) {
        check.noMemory(__LINE__);
        return;
    }
    std::memcpy(copy, src, sizeof(DoubleComplex) * std::size_t(length));
    const bool forward = (flags & VOK_Forw) != 0;
    foldedDft(copy, dst, length, table, forward, !forward && !(flags & VOK_NoScale));
    vokFree(copy);
}

int dftShort(ArgChecks check, const ShortComplex* src, ShortComplex* dst, int length, int flags, int scaleMode,
             int* scaleFactor) {
    if (flags & VOK_Free) {
        vokcFreeTwdTbls();
        releaseSlot(1);
        releaseChirp();
        return VOK_StatusOk;
    }
    if (check(length < 1, "length<=0")) return VOK_StatusBadArg;
    // The exported function on purpose: its own reports, under its own name, come first.
    if (check(!vokcGetDftTwdTbl(length), "TwidleTbl==0")) return VOK_StatusBadArg;
    if (flags & VOK_Init) return VOK_StatusOk;
    if (check(!src, "src==0") || check(!dst, "dst==0") ||
        check(badDirection(flags), "VOK_Forw or VOK_Inv must be as a flag") ||
        check((scaleMode & 6) == 6, "VOK_FIXED_SCALE and VOK_AUTO_SCALE") ||
        check((scaleMode & 4) && !scaleFactor, "VOK_AUTO_SCALE and ScaleFactor==NULL"))
        return VOK_StatusBadArg;
    if (length == 1) {
        dst[0] = src[0];
        return VOK_StatusOk;
    }
    FloatComplex* buff = vok::workBuffer(1, 2 * length);
    if (!buff) {
        vokcFreeTwdTbls();
        releaseSlot(1);
        buff = vok::workBuffer(1, 2 * length);
        if (!buff) return check.report(VOK_StatusNoMemory, "No working memory", __LINE__);
    }
    const short* lanes = reinterpret_cast<const short*>(src);
    float* in = reinterpret_cast<float*>(buff);
    for (int i = 0; i < 2 * length; ++i) in[i] = float(lanes[i]);
    vokcDft(buff, buff + length, length, flags);
    if (vokGetErrStatus() < 0) check.report(VOK_StatusBacktrace, "vokvDft float core error", __LINE__);
    return vok::ownScaleFloatToShort(reinterpret_cast<const float*>(buff + length), reinterpret_cast<short*>(dst),
                                     2 * length, scaleMode, scaleFactor);
}

}  // namespace

namespace vok {

bool dftAnyLength(const DoubleComplex* src, DoubleComplex* dst, int n, bool forward) {
    if (n < 1 || !src || !dst) return false;
    // The short lengths' own code needs the twiddle table, which would take
    // a place in the thread's list: the other modules keep to the passes.
    if (fastTransform(src, dst, n, forward ? VOK_Forw : VOK_Inv | VOK_NoScale)) return true;
    DoubleComplex* table = dftTwiddlesZ(n);
    DoubleComplex* copy = table ? vokzMalloc(n) : nullptr;
    if (!copy) return false;
    std::memcpy(copy, src, sizeof(DoubleComplex) * std::size_t(n));
    foldedDft(copy, dst, n, table, forward, false);
    vokFree(copy);
    return true;
}

}  // namespace vok


extern "C" {

VOK_API void VOK_CALL vokcDft(const FloatComplex* src, FloatComplex* dst, int length, int flags) {
    dftSingle(VOK_CHECKS, src, dst, length, flags);
}
VOK_API void VOK_CALL vokzDft(const DoubleComplex* src, DoubleComplex* dst, int length, int flags) {
    dftDouble(VOK_CHECKS, src, dst, length, flags);
}
VOK_API int VOK_CALL vokvDft(const ShortComplex* src, ShortComplex* dst, int length, int flags, int scaleMode,
                             int* scaleFactor) {
    return dftShort(VOK_CHECKS, src, dst, length, flags, scaleMode, scaleFactor);
}

}  // extern "C"
