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
// points stay in registers instead of arrays on the stack. The checking builds
// (sanitizers, fuzzing) keep the loops rolled: the same operations in the same
// order, compiled in seconds instead of minutes.
#if VOK_UNROLL_KERNELS
#define VOK_UNROLL _Pragma("GCC unroll 32")
#else
#define VOK_UNROLL
#endif

// body(i) for begin <= i < end, unrolled when the bounds are known at compile
// time (R != 0). A radix known only at run time keeps its loops rolled: the
// pragma would unroll them 32 times over with remainder code for every count,
// more than half of this file's object code for no gain.
template <int R, class F>
inline __attribute__((always_inline)) void each(int begin, int end, F&& body) {
    if constexpr (R != 0) {
        VOK_UNROLL
        for (int i = begin; i < end; ++i) body(i);
    } else {
        for (int i = begin; i < end; ++i) body(i);
    }
}
#define VOK_BODY(i) [&](int i) __attribute__((always_inline))

// x in every lane, straight from memory (splat's 0 + x costs an addition
// first; no table value here is -0, the one x where the two differ).
template <class T>
inline __attribute__((always_inline)) Vec<T> broadcast(T x) {
    Vec<T> v;
    for (int i = 0; i < kLanes<T>; ++i) v[i] = x;
    return v;
}

// The direction of a transform as signs, so that one compiled body serves
// both (every radix's passes would otherwise be built twice). Flipping a sign
// bit is exact, so the bits are those of a body written for one direction.
// The tables come signed for their direction; only the turns of radices 2,
// 4 and 8, which have none, need this.
template <class T>
struct Direction {
    IndexVec<T> turn;  // sign bits of the lanes that a turn by ∓i negates

    // Built from constants and a broadcast: a mask assembled lane by lane at
    // run time went through the stack in halves and stalled the wide reload
    // that followed, once per pass.
    explicit Direction(bool inverse) {
        using Index = typename LaneIndex<T>::type;
        constexpr Index sign = Index(1) << (8 * sizeof(T) - 1);
        const Index flip = inverse ? sign : Index(0);
        turn = laneMask<T>([](int i) { return (i & 1) ? sign : Index(0); }) ^ flip;
    }
};

// Product with -i forward, +i inverse.
template <class T>
inline __attribute__((always_inline)) Vec<T> rotate(Vec<T> v, const Direction<T>& dir) {
    return Vec<T>((IndexVec<T>)swapReIm<T>(v) ^ dir.turn);
}

// Product with +i, whatever the direction.
template <class T>
inline __attribute__((always_inline)) Vec<T> turnUp(Vec<T> v) {
    return negateLanes<T, false>(swapReIm<T>(v));
}

// A complex factor spread over a register: (re, re, ...) and (-im, im, ...).
template <class T>
struct Factor {
    Vec<T> re, im;
};
template <class T>
inline __attribute__((always_inline)) Factor<T> factor(const T* w) {
    return {broadcast(w[0]), negateLanes<T, false>(broadcast(w[1]))};
}
// x·w rounded as (xr·wr - xi·wi, xi·wr + xr·wi).
template <class T>
inline __attribute__((always_inline)) Vec<T> times(Vec<T> x, Factor<T> w) {
    return x * w.re + swapReIm<T>(x) * w.im;
}

template <class T>
inline __attribute__((always_inline)) void butterfly4(Vec<T> a0, Vec<T> a1, Vec<T> a2, Vec<T> a3, Vec<T>* b, int step,
                                                       const Direction<T>& dir) {
    const Vec<T> t0 = a0 + a2, t1 = a0 - a2, t2 = a1 + a3, t3 = rotate(a1 - a3, dir);
    b[0] = t0 + t2;
    b[step] = t1 + t3;
    b[2 * step] = t0 - t2;
    b[3 * step] = t1 - t3;
}

// Radix 8 as two radix-4 halves joined by the eighth roots of unity.
template <class T>
inline __attribute__((always_inline)) void butterfly8(const Vec<T>* a, Vec<T>* b, const Direction<T>& dir) {
    Vec<T> e[4], o[4];
    butterfly4(a[0], a[2], a[4], a[6], e, 1, dir);
    butterfly4(a[1], a[3], a[5], a[7], o, 1, dir);
    const Vec<T> half = splat(T(0.707106781186547524400844362104849039L));
    const Vec<T> o1 = (o[1] + rotate(o[1], dir)) * half;  // (1 ∓ i)/√2
    const Vec<T> o2 = rotate(o[2], dir);
    const Vec<T> o3 = rotate((o[3] + rotate(o[3], dir)) * half, dir);
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
// b_k = a_0 + sum c_jk t_j + i sum s_jk u_j, b_(r-k) the other sign, with s
// the sines of the direction's roots (negative forward).
// The roots of a radix, cos at 2i and sin at 2i+1, are broadcast from the
// table where they are used: copying them to registers up front cost more
// than a short pass's butterflies (the copies spill anyway).
// At an index known only at run time (the generic odd radix), the lane loop of
// broadcast became narrow stores and a wide reload through the stack, which
// stalled every product; lane 0 spread by a permutation is one instruction.
template <class T>
inline __attribute__((always_inline)) Vec<T> broadcastAt(const T* p) {
    Vec<T> v{};
    v[0] = *p;
    return permute<T>(v, [](int) { return 0; });
}
template <class T>
struct Roots {
    const T* at;
    inline __attribute__((always_inline)) Vec<T> operator[](int i) const { return broadcastAt(at + i); }
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
template <class T, int R, class Rt>
inline __attribute__((always_inline)) void butterflyOdd(const Vec<T>* a, Vec<T>* b, int r, const Rt& roots,
                                                        int stride, const Direction<T>&) {
    const int n = R ? R : r;
    const int h = (n - 1) / 2;
    Vec<T> t[R ? (R + 1) / 2 : kMaxRadix / 2], u[R ? (R + 1) / 2 : kMaxRadix / 2];
    if constexpr (R == 0)  // as in the passes: a radix known only at run time
        for (int j = 0; j < kMaxRadix / 2; ++j) t[j] = u[j] = Vec<T>{};
    Vec<T> sum = a[0];
    each<R>(1, h + 1, VOK_BODY(j) {
        t[j] = a[j] + a[n - j];
        u[j] = a[j] - a[n - j];
        sum = sum + t[j];
    });
    b[0] = sum;
    each<R>(1, h + 1, VOK_BODY(k) {
        Vec<T> re = a[0] + t[1] * roots[2 * k * stride], im = u[1] * roots[2 * k * stride + 1];
        int index = k;
        each<R>(2, h + 1, VOK_BODY(j) {
            index += k;
            if (index >= n) index -= n;
            re = re + t[j] * roots[2 * index * stride];
            im = im + u[j] * roots[2 * index * stride + 1];
        });
        const Vec<T> turned = turnUp<T>(im);
        b[k] = re + turned;
        b[n - k] = re - turned;
    });
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

template <class T, int R, class Rt>
inline __attribute__((always_inline)) void butterfly(const Vec<T>* a, Vec<T>* b, int r, const Rt& roots,
                                                     int stride, const Direction<T>& dir);

template <class T, int R, class Rt>
inline __attribute__((always_inline)) void butterflyComposite(const Vec<T>* a, Vec<T>* b, const Rt& roots,
                                                              int stride, const Direction<T>& dir) {
    constexpr int A = splitOf(R), B = R / A;
    Vec<T> c[R];
    VOK_UNROLL
    for (int j2 = 0; j2 < B; ++j2) {
        Vec<T> in[A], out[A];
        VOK_UNROLL
        for (int j1 = 0; j1 < A; ++j1) in[j1] = a[B * j1 + j2];
        butterfly<T, A>(in, out, A, roots, stride * B, dir);
        VOK_UNROLL
        for (int k1 = 0; k1 < A; ++k1) {
            const int at = (j2 * k1) % R * stride;
            const Vec<T> wIm = negateLanes<T, false>(roots[2 * at + 1]);
            c[k1 * B + j2] = j2 && k1 ? times(out[k1], Factor<T>{roots[2 * at], wIm}) : out[k1];
        }
    }
    VOK_UNROLL
    for (int k1 = 0; k1 < A; ++k1) {
        Vec<T> in[B], out[B];
        VOK_UNROLL
        for (int j2 = 0; j2 < B; ++j2) in[j2] = c[k1 * B + j2];
        butterfly<T, B>(in, out, B, roots, stride * A, dir);
        VOK_UNROLL
        for (int k2 = 0; k2 < B; ++k2) b[k1 + A * k2] = out[k2];
    }
}

template <class T, int R, class Rt>
inline __attribute__((always_inline)) void butterfly(const Vec<T>* a, Vec<T>* b, int r, const Rt& roots,
                                                     int stride, const Direction<T>& dir) {
    if constexpr (R == 2) {
        b[0] = a[0] + a[1];
        b[1] = a[0] - a[1];
    } else if constexpr (R == 4) {
        butterfly4(a[0], a[1], a[2], a[3], b, 1, dir);
    } else if constexpr (R == 8) {
        butterfly8(a, b, dir);
    } else if constexpr (splitOf(R) != 0) {
        butterflyComposite<T, R>(a, b, roots, stride, dir);
    } else {
        butterflyOdd<T, R>(a, b, r, roots, stride, dir);
    }
}

// Partial registers: the passes are chosen (mixfftOps) so that their points
// fill a register at least once, except one point of single precision at
// the narrowest width; only that width compiles the partial code.
template <class T>
constexpr bool kMayBePartial = kVectorBytes == 16 && kLanes<T> > 2;

// A register of count < kLanes<T> reals (zeros above) and back. The one
// partial register that occurs, one point of single precision, moves as a
// 64-bit lane; a copy of a variable length straight into a register would
// keep every point of the butterfly in memory, so other counts go through a
// staging line.
template <class T>
inline __attribute__((always_inline)) Vec<T> loadSome(const T* p, int count, T* stage) {
    if (count * sizeof(T) == sizeof(double)) {
        double bits;
        std::memcpy(&bits, p, sizeof bits);
        return (Vec<T>)(Vec<double>{bits});
    }
    for (int i = 0; i < kLanes<T>; ++i) stage[i] = i < count ? p[i] : T(0);
    return load(stage);
}
template <class T>
inline __attribute__((always_inline)) void storeSome(T* p, Vec<T> v, int count, T* stage) {
    if (count * sizeof(T) == sizeof(double)) {
        const double bits = ((Vec<double>)v)[0];
        std::memcpy(p, &bits, sizeof bits);
        return;
    }
    store(stage, v);
    std::memcpy(p, stage, sizeof(T) * unsigned(count));
}

// GCC cannot see that w is set wherever it is used (some radices only).
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
// Last: the transform's last pass (m = 1, no twiddles). Knowing m there spares
// the address arithmetic of the general loops, which took about a tenth of a
// short transform (N = 60 ... 120) ending in a single register of points.
template <class T, int R, class Spread, bool Last>
void passOf(const T* in, T* out, int r, long long mAny, long long s, const T* twiddles, const T* roots,
            bool inverse) {
    const Direction<T> dir(inverse);
    const long long m = Last ? 1 : mAny;
    constexpr int kSize = R ? R : kMaxRadix;
    constexpr long long kPoints = kLanes<T> / 2;
    const int n = R ? R : r;
    Vec<T> a[kSize], b[kSize];
    if constexpr (R == 0)  // a radix known only at run time hides that every lane is set
        for (int i = 0; i < kSize; ++i) a[i] = b[i] = Vec<T>{};
    Factor<T> w[kSize];  // set for each p > 0, the only p that use them
    const Spread spread{roots};
    const bool partial = kMayBePartial<T> && s < kPoints;
    alignas(64) T stage[kLanes<T>];
    for (long long p = 0; p < m; ++p) {
        const bool twiddled = p > 0;
        if (twiddled) each<R>(1, n, VOK_BODY(k) { w[k] = factor(twiddles + 2 * (p * (n - 1) + k - 1)); });
        for (long long q0 = 0; q0 < s; q0 += kPoints) {
            // A last register that would be partial moves back over points already
            // done (computing them again, to the same bits).
            const long long q = q0 + kPoints > s && !partial ? s - kPoints : q0;
            each<R>(0, n, VOK_BODY(j) {
                const T* from = in + 2 * (q + s * (p + j * m));
                a[j] = partial ? loadSome(from, int(2 * s), stage) : load(from);
            });
            butterfly<T, R>(a, b, r, spread, 1, dir);
            each<R>(0, n, VOK_BODY(k) {
                const Vec<T> v = twiddled && k > 0 ? times(b[k], w[k]) : b[k];
                T* to = out + 2 * (q + s * (n * p + k));
                if (partial) storeSome(to, v, int(2 * s), stage);
                else store(to, v);
            });
        }
    }
}

#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif

// The first pass (s = 1) has a single sub-transform per p; there a register
// holds consecutive p instead, with their twiddles kept k-major so that one
// load brings them (spread over a register's lanes, ready to multiply, for
// the short passes). The outputs of full registers go out in blocks of as
// many k as a register holds points, transposed; the rest lane by lane.
template <class T, int R>
void firstPassOf(const T* in, T* out, int r, long long m, const T* twiddles, const T* roots, bool inverse) {
    const Direction<T> dir(inverse);
    constexpr int kSize = R ? R : kMaxRadix;
    constexpr long long kPoints = kLanes<T> / 2;
    const int n = R ? R : r;
    const bool spreadTwiddles = kernels::firstTwiddlesSpread(n, m);
    Vec<T> a[kSize], b[kSize];
    if constexpr (R == 0)  // a radix known only at run time hides that every lane is set
        for (int i = 0; i < kSize; ++i) a[i] = b[i] = Vec<T>{};
    alignas(64) T lanes[kLanes<T>];
    const Roots<T> spread{roots};
    for (long long p0 = 0; p0 < m; p0 += kPoints) {
        const long long p = p0 + kPoints > m && m >= kPoints ? m - kPoints : p0;
        const int count = int(m - p < kPoints ? m - p : kPoints);
        const bool partial = kMayBePartial<T> && count < kPoints;
        each<R>(0, n, VOK_BODY(j) {
            const T* from = in + 2 * (p + j * m);
            a[j] = partial ? loadSome(from, 2 * count, lanes) : load(from);
        });
        butterfly<T, R>(a, b, r, spread, 1, dir);
        each<R>(1, n, VOK_BODY(k) {
            Vec<T> wRe, wIm;
            if (spreadTwiddles) {
                const T* at = twiddles + 4 * (k - 1) * m + 2 * p;
                wRe = partial ? loadSome(at, 2 * count, lanes) : load(at);
                wIm = partial ? loadSome(at + 2 * m, 2 * count, lanes) : load(at + 2 * m);
            } else {
                const T* at = twiddles + 2 * ((k - 1) * m + p);
                const Vec<T> w = partial ? loadSome(at, 2 * count, lanes) : load(at);
                wRe = dupRe<T>(w);
                wIm = negateLanes<T, false>(dupIm<T>(w));
            }
            b[k] = b[k] * wRe + swapReIm<T>(b[k]) * wIm;
        });
        int k = 0;
        if (!partial)
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

template <class T>
using Pass = typename kernels::MixFftOps<T>::Pass;

template <class T, int R>
void firstEntry(const T* in, T* out, int r, long long m, long long, const T* twiddles, const T* roots,
                bool inverse) {
    firstPassOf<T, R>(in, out, r, m, twiddles, roots, inverse);
}

template <class T, int R>
Pass<T> passFor(long long m, long long s) {
    if (s == 1 && m > 1) return firstEntry<T, R>;
    if (R != 0 && m * ((s + kLanes<T> / 2 - 1) / (kLanes<T> / 2)) >= 8)
        return passOf<T, R, SpreadRoots<T, R ? R : 1>, false>;
    if (R != 0 && m == 1) return passOf<T, R, Roots<T>, true>;
    return passOf<T, R, Roots<T>, false>;
}

template <class T>
Pass<T> choose(int r, long long m, long long s) {
    switch (r) {
        case 2: return passFor<T, 2>(m, s);
        case 3: return passFor<T, 3>(m, s);
        case 4: return passFor<T, 4>(m, s);
        case 5: return passFor<T, 5>(m, s);
        case 7: return passFor<T, 7>(m, s);
        case 8: return passFor<T, 8>(m, s);
        case 11: return passFor<T, 11>(m, s);
        case 13: return passFor<T, 13>(m, s);
        case 6: return passFor<T, 6>(m, s);
        case 9: return passFor<T, 9>(m, s);
        case 10: return passFor<T, 10>(m, s);
        case 12: return passFor<T, 12>(m, s);
        case 16: return passFor<T, 16>(m, s);
        case 20: return passFor<T, 20>(m, s);
        case 25: return passFor<T, 25>(m, s);
        case 15: return passFor<T, 15>(m, s);
        default: return passFor<T, 0>(m, s);
    }
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const MixFftTable VOK_KERNEL_TABLE(mixfft) = {
    {simd::VOK_ISA::choose<float>},
    {simd::VOK_ISA::choose<double>},
};
}  // namespace vok::kernels
