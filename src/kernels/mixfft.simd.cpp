// Mixed-radix FFT passes, written once for every width and both precisions.
// A register holds consecutive sub-transforms q (the s side by side); a pass
// with fewer of them than a register holds loads and stores part of one, and
// a last register that would be partial is moved back to end at the last
// point, so every lane runs the same operations whatever the width.
#include "kernels/simd.h"
#include "kernels/mixfft.h"

VOK_SIMD_BEGIN
namespace {

using kernels::kMaxRadix;

// The butterflies of a radix known at compile time unroll fully, so that their
// points stay in registers instead of arrays on the stack.
#define VOK_UNROLL _Pragma("GCC unroll 32")

// x in every lane, straight from memory (splat's 0 + x costs an addition
// first; no table value here is -0, the one x where the two differ).
template <class T>
inline __attribute__((always_inline)) Vec<T> broadcast(T x) {
    Vec<T> v;
    for (int i = 0; i < kLanes<T>; ++i) v[i] = x;
    return v;
}

// Product with -i forward, +i inverse.
template <class T, bool Inv>
inline __attribute__((always_inline)) Vec<T> rotate(Vec<T> v) {
    return negateLanes<T, !Inv>(swapReIm<T>(v));
}

// A complex factor spread over a register: (re, re, ...) and (-im, im, ...).
template <class T>
struct Factor {
    Vec<T> re, im;
};
template <class T, bool Inv>
inline __attribute__((always_inline)) Factor<T> factor(const T* w) {
    return {broadcast(w[0]), broadcast(Inv ? -w[1] : w[1]) * reNegator<T>()};
}
// x·w rounded as (xr·wr - xi·wi, xi·wr + xr·wi).
template <class T>
inline __attribute__((always_inline)) Vec<T> times(Vec<T> x, Factor<T> w) {
    return x * w.re + swapReIm<T>(x) * w.im;
}

template <class T, bool Inv>
inline __attribute__((always_inline)) void butterfly4(Vec<T> a0, Vec<T> a1, Vec<T> a2, Vec<T> a3, Vec<T>* b, int step) {
    const Vec<T> t0 = a0 + a2, t1 = a0 - a2, t2 = a1 + a3, t3 = rotate<T, Inv>(a1 - a3);
    b[0] = t0 + t2;
    b[step] = t1 + t3;
    b[2 * step] = t0 - t2;
    b[3 * step] = t1 - t3;
}

// Radix 8 as two radix-4 halves joined by the eighth roots of unity.
template <class T, bool Inv>
inline __attribute__((always_inline)) void butterfly8(const Vec<T>* a, Vec<T>* b) {
    Vec<T> e[4], o[4];
    butterfly4<T, Inv>(a[0], a[2], a[4], a[6], e, 1);
    butterfly4<T, Inv>(a[1], a[3], a[5], a[7], o, 1);
    const Vec<T> half = splat(T(0.707106781186547524400844362104849039L));
    const Vec<T> o1 = (o[1] + rotate<T, Inv>(o[1])) * half;  // (1 ∓ i)/√2
    const Vec<T> o2 = rotate<T, Inv>(o[2]);
    const Vec<T> o3 = rotate<T, Inv>((o[3] + rotate<T, Inv>(o[3])) * half);
    b[0] = e[0] + o[0];
    b[4] = e[0] - o[0];
    b[1] = e[1] + o1;
    b[5] = e[1] - o1;
    b[2] = e[2] + o2;
    b[6] = e[2] - o2;
    b[3] = e[3] + o3;
    b[7] = e[3] - o3;
}

// Odd radix r from the symmetric pairs t_j = a_j + a_(r-j), u_j = a_j - a_(r-j):
// b_k = a_0 + sum c_jk t_j ∓ i sum s_jk u_j, b_(r-k) the other sign.
// The roots of a radix, cos at 2i and sin at 2i+1, are broadcast from the
// table where they are used: copying them to registers up front cost more
// than a short pass's butterflies (the copies spill anyway).
template <class T>
struct Roots {
    const T* at;
    inline __attribute__((always_inline)) Vec<T> operator[](int i) const { return broadcast(at[i]); }
};
// A long pass reuses them often enough to spread them over registers once.
template <class T, int R>
struct SpreadRoots {
    Vec<T> v[2 * R];
    explicit SpreadRoots(const T* at) {
        for (int i = 0; i < 2 * R; ++i) v[i] = broadcast(at[i]);
    }
    inline __attribute__((always_inline)) const Vec<T>& operator[](int i) const { return v[i]; }
};

// The roots of the radix r·stride serve radix r at every stride-th entry.
template <class T, bool Inv, int R, class Rt>
inline __attribute__((always_inline)) void butterflyOdd(const Vec<T>* a, Vec<T>* b, int r, const Rt& roots,
                                                        int stride) {
    const int n = R ? R : r;
    const int h = (n - 1) / 2;
    Vec<T> t[R ? (R + 1) / 2 : kMaxRadix / 2], u[R ? (R + 1) / 2 : kMaxRadix / 2];
    if constexpr (R == 0)  // as in the passes: a radix known only at run time
        for (int j = 0; j < kMaxRadix / 2; ++j) t[j] = u[j] = Vec<T>{};
    Vec<T> sum = a[0];
    VOK_UNROLL
    for (int j = 1; j <= h; ++j) {
        t[j] = a[j] + a[n - j];
        u[j] = a[j] - a[n - j];
        sum = sum + t[j];
    }
    b[0] = sum;
    VOK_UNROLL
    for (int k = 1; k <= h; ++k) {
        Vec<T> re = a[0] + t[1] * roots[2 * k * stride], im = u[1] * roots[2 * k * stride + 1];
        int index = k;
        VOK_UNROLL
        for (int j = 2; j <= h; ++j) {
            index += k;
            if (index >= n) index -= n;
            re = re + t[j] * roots[2 * index * stride];
            im = im + u[j] * roots[2 * index * stride + 1];
        }
        const Vec<T> turned = rotate<T, Inv>(im);
        b[k] = re + turned;
        b[n - k] = re - turned;
    }
}

// Composite radices R = A·B: B transforms of A points (inputs B apart), the
// inner twiddles w_R^(j2·k1), then A transforms of B points.
constexpr int splitOf(int r) {
    switch (r) {
        case 6: case 10: return 2;
        case 12: case 16: case 20: return 4;
        case 9: return 3;
        case 15: return 5;
        case 25: return 5;
        default: return 0;
    }
}

template <class T, bool Inv, int R, class Rt>
inline __attribute__((always_inline)) void butterfly(const Vec<T>* a, Vec<T>* b, int r, const Rt& roots,
                                                     int stride);

template <class T, bool Inv, int R, class Rt>
inline __attribute__((always_inline)) void butterflyComposite(const Vec<T>* a, Vec<T>* b, const Rt& roots,
                                                              int stride) {
    constexpr int A = splitOf(R), B = R / A;
    Vec<T> c[R];
    VOK_UNROLL
    for (int j2 = 0; j2 < B; ++j2) {
        Vec<T> in[A], out[A];
        VOK_UNROLL
        for (int j1 = 0; j1 < A; ++j1) in[j1] = a[B * j1 + j2];
        butterfly<T, Inv, A>(in, out, A, roots, stride * B);
        VOK_UNROLL
        for (int k1 = 0; k1 < A; ++k1) {
            const int at = (j2 * k1) % R * stride;
            const Vec<T> wIm = roots[2 * at + 1] * reNegator<T>();
            c[k1 * B + j2] = j2 && k1 ? times(out[k1], Factor<T>{roots[2 * at], Inv ? wIm : -wIm}) : out[k1];
        }
    }
    VOK_UNROLL
    for (int k1 = 0; k1 < A; ++k1) {
        Vec<T> in[B], out[B];
        VOK_UNROLL
        for (int j2 = 0; j2 < B; ++j2) in[j2] = c[k1 * B + j2];
        butterfly<T, Inv, B>(in, out, B, roots, stride * A);
        VOK_UNROLL
        for (int k2 = 0; k2 < B; ++k2) b[k1 + A * k2] = out[k2];
    }
}

template <class T, bool Inv, int R, class Rt>
inline __attribute__((always_inline)) void butterfly(const Vec<T>* a, Vec<T>* b, int r, const Rt& roots,
                                                     int stride) {
    if constexpr (R == 2) {
        b[0] = a[0] + a[1];
        b[1] = a[0] - a[1];
    } else if constexpr (R == 4) {
        butterfly4<T, Inv>(a[0], a[1], a[2], a[3], b, 1);
    } else if constexpr (R == 8) {
        butterfly8<T, Inv>(a, b);
    } else if constexpr (splitOf(R) != 0) {
        butterflyComposite<T, Inv, R>(a, b, roots, stride);
    } else {
        butterflyOdd<T, Inv, R>(a, b, r, roots, stride);
    }
}

template <class T, bool Inv, int R, class Spread>
void passOf(const T* in, T* out, int r, long long m, long long s, const T* twiddles, const T* roots) {
    constexpr int kSize = R ? R : kMaxRadix;
    constexpr long long kPoints = kLanes<T> / 2;
    const int n = R ? R : r;
    Vec<T> a[kSize], b[kSize];
    if constexpr (R == 0)  // a radix known only at run time hides that every lane is set
        for (int i = 0; i < kSize; ++i) a[i] = b[i] = Vec<T>{};
    Factor<T> w[kSize];
    const Spread spread{roots};
    for (long long p = 0; p < m; ++p) {
        const bool twiddled = p > 0;
        if (twiddled)
            VOK_UNROLL
            for (int k = 1; k < n; ++k) w[k] = factor<T, Inv>(twiddles + 2 * (p * (n - 1) + k - 1));
        for (long long q0 = 0; q0 < s; q0 += kPoints) {
            // A last register that would be partial moves back over points already
            // done (computing them again, to the same bits) when there are enough.
            const long long q = q0 + kPoints > s && s >= kPoints ? s - kPoints : q0;
            const int reals = int(s - q < kPoints ? s - q : kPoints) * 2;
            VOK_UNROLL
            for (int j = 0; j < n; ++j) {
                const T* from = in + 2 * (q + s * (p + j * m));
                a[j] = reals == kLanes<T> ? load(from) : loadPartial(from, reals);
            }
            butterfly<T, Inv, R>(a, b, r, spread, 1);
            VOK_UNROLL
            for (int k = 0; k < n; ++k) {
                const Vec<T> v = twiddled && k > 0 ? times(b[k], w[k]) : b[k];
                T* to = out + 2 * (q + s * (n * p + k));
                if (reals == kLanes<T>) store(to, v);
                else storePartial(to, v, reals);
            }
        }
    }
}

// The first pass (s = 1) has a single sub-transform per p; there a register
// holds consecutive p instead, with their twiddles kept k-major so that one
// load brings them. The outputs of full registers go out in blocks of as many
// k as a register holds points, transposed; the rest lane by lane.
template <class T, bool Inv, int R>
void firstPassOf(const T* in, T* out, int r, long long m, const T* twiddles, const T* roots) {
    constexpr int kSize = R ? R : kMaxRadix;
    constexpr long long kPoints = kLanes<T> / 2;
    const int n = R ? R : r;
    Vec<T> a[kSize], b[kSize];
    if constexpr (R == 0)  // a radix known only at run time hides that every lane is set
        for (int i = 0; i < kSize; ++i) a[i] = b[i] = Vec<T>{};
    T lanes[kLanes<T>];
    const Roots<T> spread{roots};
    for (long long p0 = 0; p0 < m; p0 += kPoints) {
        const long long p = p0 + kPoints > m && m >= kPoints ? m - kPoints : p0;
        const int count = int(m - p < kPoints ? m - p : kPoints);
        const int reals = 2 * count;
        VOK_UNROLL
        for (int j = 0; j < n; ++j) {
            const T* from = in + 2 * (p + j * m);
            a[j] = reals == kLanes<T> ? load(from) : loadPartial(from, reals);
        }
        butterfly<T, Inv, R>(a, b, r, spread, 1);
        VOK_UNROLL
        for (int k = 1; k < n; ++k) {
            const T* at = twiddles + 2 * ((k - 1) * m + p);
            const Vec<T> w = reals == kLanes<T> ? load(at) : loadPartial(at, reals);
            const Vec<T> wIm = dupIm<T>(w) * reNegator<T>();
            b[k] = b[k] * dupRe<T>(w) + swapReIm<T>(b[k]) * (Inv ? -wIm : wIm);
        }
        int k = 0;
        if (count == kPoints)
            for (; k + kPoints <= n; k += kPoints) {
                Vec<T> rows[kPoints];
                for (int i = 0; i < kPoints; ++i) rows[i] = b[k + i];
                transposeComplex<T>(rows);
                for (int c = 0; c < kPoints; ++c) store(out + 2 * (n * (p + c) + k), rows[c]);
            }
        for (; k < n; ++k) {
            store(lanes, b[k]);
            for (int c = 0; c < count; ++c) std::memcpy(out + 2 * (n * (p + c) + k), lanes + 2 * c, 2 * sizeof(T));
        }
    }
}

template <class T, bool Inv, int R>
void passOrFirst(const T* in, T* out, int r, long long m, long long s, const T* twiddles, const T* roots) {
    if (s == 1 && m > 1) firstPassOf<T, Inv, R>(in, out, r, m, twiddles, roots);
    else if (R != 0 && m * ((s + kLanes<T> / 2 - 1) / (kLanes<T> / 2)) >= 8)
        passOf<T, Inv, R, SpreadRoots<T, R ? R : 1>>(in, out, r, m, s, twiddles, roots);
    else passOf<T, Inv, R, Roots<T>>(in, out, r, m, s, twiddles, roots);
}

template <class T, bool Inv>
void passIn(const T* in, T* out, int r, long long m, long long s, const T* twiddles, const T* roots) {
    switch (r) {
        case 2: return passOrFirst<T, Inv, 2>(in, out, r, m, s, twiddles, roots);
        case 3: return passOrFirst<T, Inv, 3>(in, out, r, m, s, twiddles, roots);
        case 4: return passOrFirst<T, Inv, 4>(in, out, r, m, s, twiddles, roots);
        case 5: return passOrFirst<T, Inv, 5>(in, out, r, m, s, twiddles, roots);
        case 7: return passOrFirst<T, Inv, 7>(in, out, r, m, s, twiddles, roots);
        case 8: return passOrFirst<T, Inv, 8>(in, out, r, m, s, twiddles, roots);
        case 11: return passOrFirst<T, Inv, 11>(in, out, r, m, s, twiddles, roots);
        case 13: return passOrFirst<T, Inv, 13>(in, out, r, m, s, twiddles, roots);
        case 6: return passOrFirst<T, Inv, 6>(in, out, r, m, s, twiddles, roots);
        case 9: return passOrFirst<T, Inv, 9>(in, out, r, m, s, twiddles, roots);
        case 10: return passOrFirst<T, Inv, 10>(in, out, r, m, s, twiddles, roots);
        case 12: return passOrFirst<T, Inv, 12>(in, out, r, m, s, twiddles, roots);
        case 16: return passOrFirst<T, Inv, 16>(in, out, r, m, s, twiddles, roots);
        case 20: return passOrFirst<T, Inv, 20>(in, out, r, m, s, twiddles, roots);
        case 25: return passOrFirst<T, Inv, 25>(in, out, r, m, s, twiddles, roots);
        case 15: return passOrFirst<T, Inv, 15>(in, out, r, m, s, twiddles, roots);
        default: return passOrFirst<T, Inv, 0>(in, out, r, m, s, twiddles, roots);
    }
}

template <class T>
void pass(const T* in, T* out, int r, long long m, long long s, const T* twiddles, const T* roots, bool inverse) {
    if (inverse) passIn<T, true>(in, out, r, m, s, twiddles, roots);
    else passIn<T, false>(in, out, r, m, s, twiddles, roots);
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const MixFftTable VOK_KERNEL_TABLE(mixfft) = {
    {simd::VOK_ISA::pass<float>},
    {simd::VOK_ISA::pass<double>},
};
}  // namespace vok::kernels
