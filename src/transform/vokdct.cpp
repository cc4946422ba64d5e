// Orthonormal DCT-II (forward) and DCT-III (inverse) of any length.
//
// Lengths 2, 4, 8 and 16 run fixed kernels. Every other length reorders its input
// as v = (x0, x2, x4, ..., x5, x3, x1), whose DFT V gives the outputs through
// one twiddle each: X_k = Re(e^(-iπk/2N) V_k) and X_(N-k) = -Im(...) up to the
// orthonormal factors. Even lengths pack v into N/2 complex values and run a
// DFT of N/2 points (the library's FFT for powers of two), with the real
// recombination folded into the twiddle pass (kernels/dct.h); odd lengths run
// an N-point DFT of the real sequence. Short odd lengths sum that DFT directly:
// the sequence's symmetric and antisymmetric parts against tables of cosines
// and sines give the half of the spectrum that real data need, a quarter of
// the products of a complex DFT of that length. All arithmetic is in double
// precision whatever the data type.
//
// The twiddle tables are kept per thread: each thread that transforms owns its
// table, so no thread ever frees or rebuilds a table that another thread is
// reading, and no lock is needed. A call with flags 8 releases the calling
// thread's table; thread exit releases it too.
#include <array>
#include <climits>
#include <cmath>
#include <numbers>

#include "core/check.h"
#include "core/scale16.h"
#include "frame/context.h"
#include "kernels/dct.h"
#include "transform/dftany.h"
#include "transform/fft.h"
#include "vok/dft.h"
#include "vok/frame.h"
#include "vok/transform.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "vokdct";

constexpr int kForward = VOK_Forw;
constexpr int kInverse = VOK_Inv;
constexpr int kRelease = VOK_Free;

constexpr double kSqrtHalf = 0.7071067811865476;

// Odd lengths sum their DFT directly (see oddDirect) up to 63, and up to 129
// when a prime factor above 13 would take the generic odd radix or the chirp:
// measured faster than the FFT there, slower for 121 and 125.
constexpr int kDirectOddMax = 129;
constexpr int kDirectHalfMax = (kDirectOddMax - 1) / 2;

constexpr bool hasLargePrimeFactor(int n) {
    for (int p = 2; p <= 13; ++p)
        while (n % p == 0) n /= p;
    return n > 1;
}

constexpr auto kDirectOdd = [] {
    std::array<bool, kDirectOddMax + 1> direct{};
    for (int n = 3; n <= kDirectOddMax; n += 2) direct[n] = n <= 63 || hasLargePrimeFactor(n);
    return direct;
}();

bool directOdd(int n) { return n >= 0 && n <= kDirectOddMax && kDirectOdd[n]; }

using vok::kernels::symmetricSumsWidth;
// Where the direct sums' tables start, after the twiddles, on a cache line.
int sumsAt(int n) { return ((n + 1) + 7) / 8 * 8; }

// The twiddles of the last length N of the thread, scaled by 1/√(2N) (half
// the orthonormal factor of X_k, k ≥ 1). With θ = πk/(2N):
//   even N: F_k = e^(-iθ) - i e^(-5iθ) and G_k = e^(-iθ) + i e^(-5iθ), k < N/2,
//           as two arrays (the recombination of the half-length DFT folded in);
//   odd N:  h_k = e^(-iθ), k ≤ (N-1)/2; for the direct sums, then the tables
//           cos(2πjk/N) and sin(2πjk/N), 1 ≤ j, k ≤ (N-1)/2, row j-1 and
//           column k-1 of symmetricSumsWidth(N) columns (zeros beyond).
// The table lives in the thread's context (not a thread_local object with a
// destructor, which some Windows toolchains tear down before the thread's last
// library call), so it is released with the thread's other tables.
struct DctTables {
    static vok::DctCache& cache() { return vok::threadContext().tables.dct; }

    static void release() {
        vok::DctCache& c = cache();
        vokFree(c.twiddles);
        c = {nullptr, 0};
    }

    static const double* twiddles() { return cache().twiddles; }

    static bool ensure(int n) {
        vok::DctCache& c = cache();
        if (c.twiddles && c.length == n) return true;
        release();
        const bool even = n % 2 == 0;
        const int count = even ? n / 2 : (n + 1) / 2;  // complex entries per array
        const bool direct = directOdd(n);
        const int h = (n - 1) / 2, width = symmetricSumsWidth(n);
        double* table = vokdMalloc(even ? 4 * count : direct ? sumsAt(n) + 2 * h * width : 2 * count);
        if (!table) return false;
        const long double pi = std::numbers::pi_v<long double>, g = 1.0L / std::sqrt(2.0L * n);
        if (direct) vok::kernels::symmetricSumsTables(table + sumsAt(n), n);
        for (int k = 0; k < count; ++k) {
            const long double theta = pi * k / (2.0L * n);
            const long double c1 = std::cos(theta), s1 = std::sin(theta);
            if (even) {
                const long double c5 = std::cos(5 * theta), s5 = std::sin(5 * theta);
                double* f = table + 2 * k;
                double* gk = table + 2 * count + 2 * k;
                f[0] = double(g * (c1 - s5));
                f[1] = double(-g * (s1 + c5));
                gk[0] = double(g * (c1 + s5));
                gk[1] = double(g * (c5 - s1));
            } else {
                table[2 * k] = double(g * c1);
                table[2 * k + 1] = double(-g * s1);
            }
        }
        c = {table, n};
        return true;
    }
};

// cos(k·π/16) for k = 1 … 7, the constants of the 8-point kernels.
constexpr double kC1 = 0.9807852804032304, kC2 = 0.9238795325112867, kC3 = 0.8314696123025452,
                 kC4 = 0.7071067811865476, kC5 = 0.5555702330196022, kC6 = 0.3826834323650898,
                 kC7 = 0.1950903220161283;

// The 8-point kernels read their inputs through in(i) and write their outputs
// through out(k, value), all inputs before the first output (so in place
// works): the 8-point DCT then reads and writes the caller's arrays directly,
// and no value goes through a stack copy, where mixing scalar stores with
// vector loads stalls.
#define VOK_INLINE inline __attribute__((always_inline))

// Unnormalised 8-point DCT-II: y[k] = Σ x[n]·cos(π(2n+1)k/16).
template <class In, class Out>
VOK_INLINE void forward8(In x, Out out) {
    const double x0 = x(0), x1 = x(1), x2 = x(2), x3 = x(3), x4 = x(4), x5 = x(5), x6 = x(6), x7 = x(7);
    const double s0 = x0 + x7, s1 = x1 + x6, s2 = x2 + x5, s3 = x3 + x4;
    const double d0 = x0 - x7, d1 = x1 - x6, d2 = x2 - x5, d3 = x3 - x4;
    const double p0 = s0 + s3, p1 = s1 + s2, m0 = s0 - s3, m1 = s1 - s2;
    out(0, p0 + p1);
    out(4, (p0 - p1) * kC4);
    out(2, m0 * kC2 + m1 * kC6);
    out(6, m0 * kC6 - m1 * kC2);
    out(1, d0 * kC1 + d1 * kC3 + d2 * kC5 + d3 * kC7);
    out(3, d0 * kC3 - d1 * kC7 - d2 * kC1 - d3 * kC5);
    out(5, d0 * kC5 - d1 * kC1 + d2 * kC7 + d3 * kC3);
    out(7, d0 * kC7 - d1 * kC5 + d2 * kC3 - d3 * kC1);
}

// Unnormalised 8-point DCT-III, the transpose of forward8.
template <class In, class Out>
VOK_INLINE void inverse8(In y, Out out) {
    const double y0 = y(0), y1 = y(1), y2 = y(2), y3 = y(3), y4 = y(4), y5 = y(5), y6 = y(6), y7 = y(7);
    const double e0 = y0 + y4 * kC4, e1 = y0 - y4 * kC4;
    const double f0 = y2 * kC2 + y6 * kC6, f1 = y2 * kC6 - y6 * kC2;
    const double a0 = e0 + f0, a3 = e0 - f0, a1 = e1 + f1, a2 = e1 - f1;
    const double o0 = y1 * kC1 + y3 * kC3 + y5 * kC5 + y7 * kC7;
    const double o1 = y1 * kC3 - y3 * kC7 - y5 * kC1 - y7 * kC5;
    const double o2 = y1 * kC5 - y3 * kC1 + y5 * kC7 + y7 * kC3;
    const double o3 = y1 * kC7 - y3 * kC5 + y5 * kC3 - y7 * kC1;
    out(0, a0 + o0);
    out(7, a0 - o0);
    out(1, a1 + o1);
    out(6, a1 - o1);
    out(2, a2 + o2);
    out(5, a2 - o2);
    out(3, a3 + o3);
    out(4, a3 - o3);
}

// The kernels on an array of doubles, in place.
VOK_INLINE void forward8(double* x) {
    forward8([x](int i) { return x[i]; }, [x](int k, double v) { x[k] = v; });
}
VOK_INLINE void inverse8(double* y) {
    inverse8([y](int i) { return y[i]; }, [y](int k, double v) { y[k] = v; });
}

// Lengths 2 and 4: the normalisation is part of the kernel; both matrices are
// orthogonal, so the inverse is the transpose.
void small2(double* x) {
    const double a = x[0], b = x[1];
    x[0] = (a + b) * kSqrtHalf;
    x[1] = (a - b) * kSqrtHalf;
}

constexpr double kQ1 = 0.6532814824381883;  // √½·cos(π/8)
constexpr double kQ3 = 0.2705980500730985;  // √½·sin(π/8)

void forward4(double* x) {
    const double p0 = x[0] + x[3], p1 = x[1] + x[2], m0 = x[0] - x[3], m1 = x[1] - x[2];
    x[0] = (p0 + p1) * 0.5;
    x[2] = (p0 - p1) * 0.5;
    x[1] = m0 * kQ1 + m1 * kQ3;
    x[3] = m0 * kQ3 - m1 * kQ1;
}

void inverse4(double* y) {
    const double e0 = (y[0] + y[2]) * 0.5, e1 = (y[0] - y[2]) * 0.5;
    const double o0 = y[1] * kQ1 + y[3] * kQ3, o1 = y[1] * kQ3 - y[3] * kQ1;
    y[0] = e0 + o0;
    y[3] = e0 - o0;
    y[1] = e1 + o1;
    y[2] = e1 - o1;
}

// The reordered sequence v[j] = x[2j] (j < ⌈N/2⌉), x[2N-2j-1] (the rest),
// written to v[j·stride].
template <class T>
void gather(const T* x, double* v, int n, int stride) {
    const int up = (n + 1) / 2;
    for (int j = 0; j < up; ++j) v[j * stride] = double(x[2 * j]);
    for (int j = up; j < n; ++j) v[j * stride] = double(x[2 * n - 2 * j - 1]);
}

// The inverse reordering: x[2j] = v[j·stride], x[2N-2j-1] = v[j·stride].
template <class T, class Store>
void scatter(const double* v, T* x, int n, int stride, Store store) {
    const int up = (n + 1) / 2;
    for (int j = 0; j < up; ++j) x[2 * j] = store(v[j * stride]);
    for (int j = up; j < n; ++j) x[2 * n - 2 * j - 1] = store(v[j * stride]);
}

bool dft(double* z, int points, bool forward) {
    auto* data = reinterpret_cast<DoubleComplex*>(z);
    if ((points & (points - 1)) == 0) {
        int order = 0;
        while ((1 << order) < points) ++order;
        return vok::fftComplex(data, order, forward, false) == VOK_StatusOk;
    }
    return vok::dftAnyLength(data, data, points, forward);
}

// Even N = 2M, forward: z holds the packed sequence (M complex values); the
// outputs go to out.
bool forwardEven(double* z, double* out, int n) {
    const int m = n / 2;
    if (!dft(z, m, true)) return false;
    const double* f = DctTables::twiddles();
    const double* g = f + n;
    const double c0 = 1.0 / std::sqrt(double(n));
    out[0] = (z[0] + z[1]) * c0;
    out[m] = (z[0] - z[1]) * c0;
    if (m % 2 == 0) {  // k = M/2 is its own partner
        const int k = m / 2;
        const double pr = z[2 * k], pi = z[2 * k + 1];
        const double* fk = f + 2 * k;
        const double* gk = g + 2 * k;
        out[k] = (fk[0] * pr - fk[1] * pi) + (gk[0] * pr - gk[1] * -pi);
        out[n - k] = -((fk[0] * pi + fk[1] * pr) + (gk[0] * -pi + gk[1] * pr));
    }
    vok::kernels::dct().forwardPost(z, out, m, f, g);
    return true;
}

// Even N, inverse: y holds the N inputs; the sequence comes back packed in z.
bool inverseEven(const double* y, double* z, int n) {
    const int m = n / 2;
    const double* f = DctTables::twiddles();
    const double* g = f + n;
    const double c0 = 1.0 / std::sqrt(double(n));
    z[0] = (y[0] + y[m]) * c0;
    z[1] = (y[0] - y[m]) * c0;
    if (m % 2 == 0) {
        const int k = m / 2;
        const double pr = y[k], pi = -y[n - k];
        const double* fk = f + 2 * k;
        const double* gk = g + 2 * k;
        z[2 * k] = (fk[0] * pr + fk[1] * pi) + (gk[0] * pr + gk[1] * pi);
        z[2 * k + 1] = (fk[0] * pi - fk[1] * pr) + (gk[0] * -pi + gk[1] * pr);
    }
    vok::kernels::dct().inversePre(y, z, m, f, g);
    return dft(z, m, false);
}

// Odd N, forward: z holds the sequence as N complex values with zero
// imaginary parts.
bool forwardOdd(double* z, double* out, int n) {
    if (!dft(z, n, true)) return false;
    const double* h = DctTables::twiddles();
    out[0] = z[0] / std::sqrt(double(n));
    for (int k = 1; 2 * k < n; ++k) {
        const double hr = h[2 * k], hi = h[2 * k + 1], vr = z[2 * k], vi = z[2 * k + 1];
        out[k] = 2 * (hr * vr - hi * vi);
        out[n - k] = -2 * (hr * vi + hi * vr);
    }
    return true;
}

// Odd N, inverse: the conjugate-symmetric spectrum V_k = conj h_k (Y_k - i
// Y_(N-k)), then the real sequence in the real parts of z.
bool inverseOdd(const double* y, double* z, int n) {
    const double* h = DctTables::twiddles();
    z[0] = y[0] / std::sqrt(double(n));
    z[1] = 0;
    for (int k = 1; 2 * k < n; ++k) {
        const double hr = h[2 * k], hi = h[2 * k + 1], a = y[k], b = y[n - k];
        const double vr = hr * a - hi * b, vi = -(hr * b + hi * a);
        z[2 * k] = vr;
        z[2 * k + 1] = vi;
        z[2 * (n - k)] = vr;
        z[2 * (n - k) + 1] = -vi;
    }
    return dft(z, n, false);
}

// Short odd N from the direct sums, forward or inverse, src into dst (src ==
// dst allowed: everything is read first). With a_j = v_j + v_(N-j) and b_j =
// v_j - v_(N-j), the DFT of the reordered sequence is V_k = v_0 + Σ a_j
// cos(2πjk/N) - i Σ b_j sin(2πjk/N); the inverse takes its real spectrum apart
// the same way (the tables are symmetric in j and k).
template <class T, class Store>
void oddDirect(const T* src, T* dst, int n, bool forward, Store store) {
    const int h = (n - 1) / 2, width = symmetricSumsWidth(n);
    const double* twiddle = DctTables::twiddles();
    const double* cosines = twiddle + sumsAt(n);
    const double* sines = cosines + h * width;
    double v[kDirectOddMax], a[kDirectHalfMax], b[kDirectHalfMax];
    alignas(64) double re[kDirectHalfMax + 8], im[kDirectHalfMax + 8];
    const auto& sums = vok::kernels::dct().symmetricSums;
    if (forward) {
        const double first = double(src[0]);
        gather(src, v, n, 1);
        double v0 = first;
        for (int j = 1; j <= h; ++j) {
            a[j - 1] = v[j] + v[n - j];
            b[j - 1] = v[j] - v[n - j];
            v0 += a[j - 1];
        }
        sums(a, b, re, im, h, width, cosines, sines);
        double x[kDirectOddMax];
        x[0] = v0 / std::sqrt(double(n));
        for (int k = 1; k <= h; ++k) {
            const double hr = twiddle[2 * k], hi = twiddle[2 * k + 1], vr = first + re[k - 1], vi = -im[k - 1];
            x[k] = 2 * (hr * vr - hi * vi);
            x[n - k] = -2 * (hr * vi + hi * vr);
        }
        for (int i = 0; i < n; ++i) dst[i] = store(x[i]);
        return;
    }
    // V_k = conj h_k (Y_k - i Y_(N-k)); v_j = V_0 + Σ 2 Re(V_k e^(2πijk/N)).
    const double z0 = double(src[0]) / std::sqrt(double(n));
    double v0 = z0;
    for (int k = 1; k <= h; ++k) {
        const double hr = twiddle[2 * k], hi = twiddle[2 * k + 1], y = double(src[k]), yq = double(src[n - k]);
        a[k - 1] = 2 * (hr * y - hi * yq);
        b[k - 1] = 2 * -(hr * yq + hi * y);
        v0 += a[k - 1];
    }
    sums(a, b, re, im, h, width, cosines, sines);
    v[0] = v0;
    for (int j = 1; j <= h; ++j) {
        v[j] = z0 + re[j - 1] - im[j - 1];
        v[n - j] = z0 + re[j - 1] + im[j - 1];
    }
    scatter(v, dst, n, 1, store);
}

// 16 points from two 8-point kernels: the even outputs are the transform of
// s[i] = x[i] + x[15-i]; the odd ones X[2k+1] = G[k] + G[k+1] with G the
// transform of d[i] = (x[i] - x[15-i]) / (2 cos((2i+1)π/32)). The inverse
// runs the same steps backwards (the odd-part matrix is symmetric).
constexpr double kHalfSecants16[8] = {0.5024192861881557, 0.5224986149396889, 0.5669440348163577,
                                      0.6468217833599901, 0.7881546234512502, 1.0606776859903471,
                                      1.7224470982383342, 5.1011486186891553};

void forward16(double* x) {
    double s[8], d[8];
    for (int i = 0; i < 8; ++i) {
        s[i] = x[i] + x[15 - i];
        d[i] = (x[i] - x[15 - i]) * kHalfSecants16[i];
    }
    forward8(s);
    forward8(d);
    for (int k = 0; k < 8; ++k) {
        x[2 * k] = s[k];
        x[2 * k + 1] = k < 7 ? d[k] + d[k + 1] : d[k];
    }
}

void inverse16(double* y) {
    double e[8], o[8];
    for (int k = 0; k < 8; ++k) {
        e[k] = y[2 * k];
        o[k] = y[2 * k + 1] * kHalfSecants16[k];
    }
    inverse8(e);
    forward8(o);
    for (int k = 0; k < 7; ++k) o[k] += o[k + 1];
    for (int i = 0; i < 8; ++i) {
        y[i] = e[i] + o[i];
        y[15 - i] = e[i] - o[i];
    }
}

// Lengths 1, 2, 4, 8 and 16, orthonormal, src into dst through a copy in
// double (src == dst allowed). The scale factors are constants of N.
template <int N, class T, class Store>
void fixedKernel(const T* src, T* dst, bool forward, Store store) {
    if constexpr (N == 8) {
        constexpr double c0 = 0x1.6a09e667f3bccp-2, c = 0.5;  // 1.0 / sqrt(8.0), as rounded at run time
        const auto scale = [](int k, double v) { return k ? v * c : v * c0; };
        if (forward)
            forward8([src](int i) { return double(src[i]); }, [&](int k, double v) { dst[k] = store(scale(k, v)); });
        else
            inverse8([&](int i) { return scale(i, double(src[i])); }, [&](int k, double v) { dst[k] = store(v); });
        return;
    }
    double x[N];
    for (int i = 0; i < N; ++i) x[i] = double(src[i]);
    if constexpr (N == 2) small2(x);
    if constexpr (N == 4) forward ? forward4(x) : inverse4(x);
    if constexpr (N == 16) {
        constexpr double c0 = 0.25, c = 0x1.6a09e667f3bcdp-2;  // sqrt(2.0 / 16), one unit above 1 / sqrt(8.0)
        if (!forward) {
            x[0] *= c0;
            for (int i = 1; i < N; ++i) x[i] *= c;
        }
        forward ? forward16(x) : inverse16(x);
        if (forward) {
            x[0] *= c0;
            for (int i = 1; i < N; ++i) x[i] *= c;
        }
    }
    for (int i = 0; i < N; ++i) dst[i] = store(x[i]);
}

// The fixed kernel of n, or false when n has none.
template <class T, class Store>
bool fixedLength(const T* src, T* dst, int n, bool forward, Store store) {
    switch (n) {
        case 1: fixedKernel<1>(src, dst, forward, store); return true;
        case 2: fixedKernel<2>(src, dst, forward, store); return true;
        case 4: fixedKernel<4>(src, dst, forward, store); return true;
        case 8: fixedKernel<8>(src, dst, forward, store); return true;
        case 16: fixedKernel<16>(src, dst, forward, store); return true;
        default: return false;
    }
}

bool checkArguments(ArgChecks check, const void* src, const void* dst, int length, int flags) {
    const int direction = flags & (kForward | kInverse);
    return !(check(!src || !dst, "\nNull pointer to data buffer\n") ||
             check(length < 1, "\nBad value of data buffer size\n") ||
             check(direction != kForward && direction != kInverse, "\nBad value of the transform flag\n"));
}

// The transform of src into dst. The work array holds the reordered sequence
// (N reals for even N, N complex values for odd N) and, for data other than
// double, the N values in double on the other side of the transform.
template <class T, class Store>
void dct(ArgChecks check, const T* src, T* dst, int n, int flags, Store store) {
    const bool forward = (flags & kForward) != 0;
    // The fixed kernels take a few nanoseconds: a table or an allocation would double that.
    if (fixedLength(src, dst, n, forward, store)) return;
    if (directOdd(n)) {
        if (DctTables::ensure(n)) oddDirect(src, dst, n, forward, store);
        else check.report(VOK_StatusNoMemory, "\nMemory allocation problem\n", __LINE__);
        return;
    }
    const bool even = n % 2 == 0;
    const long long seqReals = even ? n : 2LL * n;
    const long long workReals = seqReals + n;
    double* work = workReals <= INT_MAX ? vokdMalloc(int(workReals)) : nullptr;
    if (!work) {
        check.report(VOK_StatusNoMemory, "\nMemory allocation problem\n", __LINE__);
        return;
    }
    double* seq = work;
    double* other = work + seqReals;
    bool done = true;
    if (!DctTables::ensure(n)) {
        done = false;
    } else if (forward) {
        gather(src, seq, n, even ? 1 : 2);
        if (!even)
            for (int j = 0; j < n; ++j) seq[2 * j + 1] = 0;
        // Double results go straight to dst: src has been read.
        double* out = other;
        if constexpr (sizeof(T) == sizeof(double)) out = reinterpret_cast<double*>(dst);
        done = even ? forwardEven(seq, out, n) : forwardOdd(seq, out, n);
        if constexpr (sizeof(T) != sizeof(double))
            if (done)
                for (int i = 0; i < n; ++i) dst[i] = store(other[i]);
    } else {
        // Double inputs are read in place: dst is written only at the end.
        const double* in = other;
        if constexpr (sizeof(T) == sizeof(double)) in = reinterpret_cast<const double*>(src);
        else
            for (int i = 0; i < n; ++i) other[i] = double(src[i]);
        done = even ? inverseEven(in, seq, n) : inverseOdd(in, seq, n);
        if (done) scatter(seq, dst, n, even ? 1 : 2, store);
    }
    if (!done) check.report(VOK_StatusNoMemory, "\nMemory allocation problem\n", __LINE__);
    vokFree(work);
}

constexpr auto toFloat = [](double v) { return float(v); };
constexpr auto toDouble = [](double v) { return v; };

}  // namespace

VOK_API void VOK_CALL voksDct(const float* src, float* dst, int length, int flags) {
    ArgChecks check{__func__, kModule, __LINE__};
    if (flags == kRelease) return DctTables::release();
    if (checkArguments(check, src, dst, length, flags)) dct(check, src, dst, length, flags, toFloat);
}

VOK_API void VOK_CALL vokdDct(const double* src, double* dst, int length, int flags) {
    ArgChecks check{__func__, kModule, __LINE__};
    if (flags == kRelease) return DctTables::release();
    if (checkArguments(check, src, dst, length, flags)) dct(check, src, dst, length, flags, toDouble);
}

VOK_API void VOK_CALL vokwDct(const short* src, short* dst, int length, int flags) {
    ArgChecks check{__func__, kModule, __LINE__};
    if (flags == kRelease) return DctTables::release();
    // The 16-bit input is exact in float; the float transform's result is
    // rounded to the nearest 16-bit value and saturated.
    if (checkArguments(check, src, dst, length, flags))
        dct<short>(check, src, dst, length, flags,
                   [](double v) { return vok::saturate16Rounded(double(float(v))); });
}
