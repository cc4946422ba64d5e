// Block FFTs of 16 ... 128 points (see fftblock.h). N = A·B, point n = B·a + b
// in row a, column b; result k1 + A·k2 is
//   sum_b W_N^(b·k1) W_B^(b·k2) sum_a x[B·a + b] W_A^(a·k1),
// so the rows' transform runs down the columns lane-wise, the twiddles are one
// vector per row, and after transposing B x B tiles the columns' transform
// runs lane-wise again, each tile's results being B adjacent outputs.
#include "kernels/fftblock.h"

#include <cmath>
#include <utility>

#include "kernels/simd.h"

// The unrolled points sit in instrumented stack slots under the sanitizers,
// which makes these bodies slow to compile; loads and stores are fixed by the
// order and the tests check guard elements around every output.
#define VOK_BLOCK_INLINE inline __attribute__((always_inline, no_sanitize("address", "undefined", "thread")))
#define VOK_BLOCK_LAMBDA __attribute__((always_inline, no_sanitize("address", "undefined", "thread")))
#define VOK_BLOCK_KERNEL __attribute__((no_sanitize("address", "undefined", "thread")))

// Vectors wider than the registers of the narrower builds pass between the
// helpers below, all inlined: no such value crosses a call boundary.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
// Short of registers, GCC 12 parks 64-bit values in MMX registers, which
// leaves the x87 stack unusable for the caller's long double arithmetic.
#pragma GCC target("no-mmx")
#endif

// After the target pragma: the recursion is inlined into these kernels and
// must be compiled for the same target.
#include "kernels/splitradix.h"

VOK_SIMD_BEGIN
namespace {

using kernels::splitradix::unroll;

// B complex values, parts apart.
template <class T, int B>
struct Wide {
    typedef T V __attribute__((vector_size(B * sizeof(T))));
    V re, im;
};
template <class T, int B>
VOK_BLOCK_INLINE Wide<T, B> operator+(const Wide<T, B> &a, const Wide<T, B> &b) {
    return {a.re + b.re, a.im + b.im};
}
template <class T, int B>
VOK_BLOCK_INLINE Wide<T, B> operator-(const Wide<T, B> &a, const Wide<T, B> &b) {
    return {a.re - b.re, a.im - b.im};
}
// Product with -i, exact.
template <class T, int B>
VOK_BLOCK_INLINE Wide<T, B> timesMinusI(const Wide<T, B> &a) {
    return {a.im, -a.re};
}
template <class T, int B>
VOK_BLOCK_INLINE Wide<T, B> mul(const Wide<T, B> &a, const typename Wide<T, B>::V &wr,
                                const typename Wide<T, B>::V &wi) {
    return {a.re * wr - a.im * wi, a.re * wi + a.im * wr};
}

template <class V>
VOK_BLOCK_INLINE V loadVec(const void *p) {
    V v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}
template <class V>
VOK_BLOCK_INLINE void storeVec(void *p, const V &v) {
    __builtin_memcpy(p, &v, sizeof v);
}

// a·W_N^K with the unit, quarter and eighth turns taken exactly.
template <class T, int B, int N, int K>
VOK_BLOCK_INLINE Wide<T, B> twiddle(const Wide<T, B> &a) {
    typedef typename Wide<T, B>::V V;
    constexpr T half = T(0.70710678118654752440L);
    if constexpr (K == 0)
        return a;
    else if constexpr (4 * K == N)
        return timesMinusI(a);
    else if constexpr (8 * K == N)
        return {(a.re + a.im) * half, (a.im - a.re) * half};
    else if constexpr (8 * K == 3 * N)
        return {(a.im - a.re) * half, (-a.re - a.im) * half};
    else {
        const V wr = V{} + kernels::BlockPowers<T, N>::table.re[K], wi = V{} + kernels::BlockPowers<T, N>::table.im[K];
        return mul(a, wr, wi);
    }
}

// Forward transform of x[0 .. N) into y, lane by lane, split radix.
template <class T, int B>
struct WideOps {
    template <int N, int K>
    VOK_BLOCK_INLINE static Wide<T, B> twiddle(const Wide<T, B> &a) {
        return simd::VOK_ISA::twiddle<T, B, N, K>(a);
    }
    VOK_BLOCK_INLINE static Wide<T, B> timesMinusI(const Wide<T, B> &a) { return simd::VOK_ISA::timesMinusI(a); }
    VOK_BLOCK_INLINE static Wide<T, B> differenceTimesMinusI(const Wide<T, B> &a, const Wide<T, B> &b) { return timesMinusI(a - b); }
};
template <class T, int B, int N>
VOK_BLOCK_INLINE void dft(const Wide<T, B> *x, Wide<T, B> *y) {
    kernels::splitradix::dft<Wide<T, B>, N, WideOps<T, B>>(x, y);
}

// Lanes of two vectors: lane j of the result is lane Pick{}(j) of (u, v).
template <class V, class Pick, int... J>
VOK_BLOCK_INLINE V shuffleLanes(const V &u, const V &v, std::integer_sequence<int, J...>) {
    return __builtin_shufflevector(u, v, Pick{}(J)...);
}
template <class V, int B, class Pick>
VOK_BLOCK_INLINE V shuffle(const V &u, const V &v) {
    return shuffleLanes<V, Pick>(u, v, std::make_integer_sequence<int, B>{});
}

// Transposes r[0 .. B) (row i, lane j) one index bit at a time: step H
// exchanges bit H of the row with bit H of the lane.
template <class V, int B, int H>
VOK_BLOCK_INLINE void transposeStep(V *r) {
    const auto low = [](int j) constexpr { return (j & H) ? B + j - H : j; };
    const auto high = [](int j) constexpr { return (j & H) ? B + j : j + H; };
    unroll<B>([&](auto ic) VOK_BLOCK_LAMBDA {
        constexpr int i = ic;
        if constexpr ((i & H) == 0) {
            const V u = r[i], v = r[i + H];
            r[i] = shuffle<V, B, decltype(low)>(u, v);
            r[i + H] = shuffle<V, B, decltype(high)>(u, v);
        }
    });
}
template <class V, int B>
VOK_BLOCK_INLINE void transpose(V *r) {
    if constexpr (B >= 8) transposeStep<V, B, 4>(r);
    if constexpr (B >= 4) transposeStep<V, B, 2>(r);
    transposeStep<V, B, 1>(r);
}

// The block transform from interleaved or split data (SplitIn) to
// interleaved or split data (SplitOut).
// Results are multiplied by scale when Scalable.
template <class T, int A, int B, bool SplitIn, bool SplitOut, bool Inv, bool Scalable>
VOK_BLOCK_INLINE void blockBody(const T *re, const T *im, T *reOut, T *imOut, T scale = T(1)) {
    typedef typename Wide<T, B>::V V;
    const auto evens = [](int j) constexpr { return 2 * j; };
    const auto odds = [](int j) constexpr { return 2 * j + 1; };
    const auto lowPairs = [](int j) constexpr { return (j & 1) * B + j / 2; };
    const auto highPairs = [](int j) constexpr { return (j & 1) * B + B / 2 + j / 2; };
    Wide<T, B> x[A], y[A];
    // The inverse is the forward transform with the parts exchanged on the way in
    // and out.
    unroll<A>([&](auto a) VOK_BLOCK_LAMBDA {
        V r, i;
        if constexpr (SplitIn) {
            __builtin_memcpy(&r, re + B * a, sizeof r);
            __builtin_memcpy(&i, im + B * a, sizeof i);
        } else {
            V lo, hi;
            __builtin_memcpy(&lo, re + 2 * B * a, sizeof lo);
            __builtin_memcpy(&hi, re + 2 * B * a + B, sizeof hi);
            r = shuffle<V, B, decltype(evens)>(lo, hi);
            i = shuffle<V, B, decltype(odds)>(lo, hi);
        }
        x[a] = Inv ? Wide<T, B>{i, r} : Wide<T, B>{r, i};
    });
    dft<T, B, A>(x, y);
    unroll<A - 1>([&](auto ac) VOK_BLOCK_LAMBDA {
        constexpr int a = ac + 1;
        // Row a's twiddles W_N^(a·b), lane b.
        typedef typename Wide<T, B>::V V;
        const V wr = loadVec<V>(kernels::BlockGrid<T, A, B>::table.re + B * a);
        const V wi = loadVec<V>(kernels::BlockGrid<T, A, B>::table.im + B * a);
        y[a] = mul(y[a], wr, wi);
    });
    unroll<A / B>([&](auto tc) VOK_BLOCK_LAMBDA {
        constexpr int t = tc;
        V tr[B], ti[B];
        unroll<B>([&](auto i) VOK_BLOCK_LAMBDA {
            tr[i] = y[t * B + i].re;
            ti[i] = y[t * B + i].im;
        });
        transpose<V, B>(tr);
        transpose<V, B>(ti);
        Wide<T, B> u[B], z[B];
        unroll<B>([&](auto i) VOK_BLOCK_LAMBDA { u[i] = {tr[i], ti[i]}; });
        dft<T, B, B>(u, z);
        unroll<B>([&](auto kc) VOK_BLOCK_LAMBDA {
            constexpr int at = t * B + A * kc;
            Wide<T, B> v = z[kc];
            if constexpr (Scalable) {
                const V s = V{} + scale;
                v = {v.re * s, v.im * s};
            }
            const V r = Inv ? v.im : v.re, i = Inv ? v.re : v.im;
            if constexpr (SplitOut) {
                __builtin_memcpy(reOut + at, &r, sizeof r);
                __builtin_memcpy(imOut + at, &i, sizeof i);
            } else {
                const V lo = shuffle<V, B, decltype(lowPairs)>(r, i), hi = shuffle<V, B, decltype(highPairs)>(r, i);
                __builtin_memcpy(reOut + 2 * at, &lo, sizeof lo);
                __builtin_memcpy(reOut + 2 * at + B, &hi, sizeof hi);
            }
        });
    });
}

// Unscaled calls (scale 1) skip the products, exact as they are.
template <class T, int A, int B, bool Split, bool Inv, bool Scaled>
VOK_BLOCK_KERNEL void block(const T *re, const T *im, T *reOut, T *imOut, T scale) {
    blockBody<T, A, B, Split, Split, Inv, Scaled>(re, im, reOut, imOut, scale);
}

// The block shape of each order: columns as wide as the rows allow, up to 8.
template <int Order>
constexpr int kColumns = Order <= 3   ? 2
                         : Order <= 5 ? 4
                                      : 8;

// ---- real transforms: the complex block of N/2 points and its recombination ----

enum { kPack = 0, kPerm = 1, kCcs = 2 };

// The partners of bins k ... k+B-1 (k a multiple of B) among M: bins M-k ...
// M-k-B+1, lane 0 of `next` (bins M-k ...) and lanes B-1 ... 1 of `prev`
// (bins M-k-B ...), so that every load is a vector stored whole before.
template <class V, int B>
VOK_BLOCK_INLINE V partners(const V &prev, const V &next) {
    const auto pick = [](int j) constexpr { return j == 0 ? B : B - j; };
    return shuffle<V, B, decltype(pick)>(prev, next);
}

// N = 2^Order reals as M = N/2 complex values z[n] = x[2n] + i x[2n+1], their
// transform Z, and X[k] = (Z[k] + conj Z[M-k])/2 - i W_N^k (Z[k] - conj
// Z[M-k])/2 for B values of k at a time; the imaginary parts are multiplied by
// sign (-1: the inverse sign, the conjugated spectrum) and everything by scale.
template <class T, int Order, int Layout>
VOK_BLOCK_KERNEL void realForward(const T *in, T *out, T sign, T scale) {
    constexpr int M = 1 << (Order - 1), N = 2 * M, B = kColumns<Order - 1>, A = M / B, C = M / B;
    typedef typename Wide<T, B>::V V;
    const auto lowPairs = [](int j) constexpr { return (j & 1) * B + j / 2; };
    const auto highPairs = [](int j) constexpr { return (j & 1) * B + B / 2 + j / 2; };
    const auto oneDown = [](int j) constexpr { return j + 1; };
    alignas(64) T zr[M], zi[M];
    blockBody<T, A, B, false, true, false, false>(in, nullptr, zr, zi);
    // The interleaved bins X[0 .. M), two vectors per B of them, and one more
    // holding X[M].
    V pairs[2 * C + 1];
    unroll<C>([&](auto cc) VOK_BLOCK_LAMBDA {
        constexpr int c = cc, k = c * B;
        const V half = V{} + T(0.5);
        const V pr = loadVec<V>(zr + k), pi = loadVec<V>(zi + k);
        constexpr int prev = M - k - B, next = c == 0 ? 0 : M - k;
        const V qr = partners<V, B>(loadVec<V>(zr + prev), loadVec<V>(zr + next));
        const V qi = -partners<V, B>(loadVec<V>(zi + prev), loadVec<V>(zi + next));
        const V ar = (pr + qr) * half, ai = (pi + qi) * half, br = (pr - qr) * half, bi = (pi - qi) * half;
        const V wr = loadVec<V>(kernels::BlockPowers<T, N>::table.re + k),
                wi = loadVec<V>(kernels::BlockPowers<T, N>::table.im + k);
        const V cr = br * wr - bi * wi,
                ci = br * wi + bi * wr;  // W b; then X = a - i W b
        V xr = ar + ci, xi = ai - cr;
        xr = xr * scale;
        xi = xi * (sign * scale);
        pairs[2 * c] = shuffle<V, B, decltype(lowPairs)>(xr, xi);
        pairs[2 * c + 1] = shuffle<V, B, decltype(highPairs)>(xr, xi);
    });
    const T first = (zr[0] + zi[0]) * scale, last = (zr[0] - zi[0]) * scale;
    pairs[0][0] = first;
    pairs[0][1] = Layout == kPerm ? last : T(0);
    pairs[2 * C] = V{};
    pairs[2 * C][0] = last;
    if constexpr (Layout == kPack) {
        // Pack is the pairs one real down, R0 kept in front.
        unroll<2 * C>([&](auto v) VOK_BLOCK_LAMBDA {
            V shifted = shuffle<V, B, decltype(oneDown)>(pairs[v], pairs[v + 1]);
            if constexpr (v == 0) shifted[0] = first;
            storeVec(out + B * v, shifted);
        });
    } else {
        unroll<2 * C>([&](auto v) VOK_BLOCK_LAMBDA { storeVec(out + B * v, pairs[v]); });
        if constexpr (Layout == kCcs) {
            out[N] = last;
            out[N + 1] = 0;
        }
    }
}

// N = 2^Order reals from the bins X[0 .. M] of a layout, M = N/2:
// Z[k] = (X[k] + conj X[M-k]) + i w^k (X[k] - conj X[M-k]), w = exp(2πi/N),
// whose inverse transform of M points is z[n] = x[2n] + i x[2n+1]. The
// imaginary parts are taken times sign (-1: the forward sign, the inverse one
// on the conjugated spectrum), the results times scale (a power of two,
// applied to Z: the same values as on x).
template <class T, int Order, int Layout>
VOK_BLOCK_KERNEL void ccsToReal(const T *in, T *out, T sign, T scale) {
    constexpr int M = 1 << (Order - 1), N = 2 * M, B = kColumns<Order - 1>, A = M / B, C = M / B;
    typedef typename Wide<T, B>::V V;
    const auto evens = [](int j) constexpr { return 2 * j; };
    const auto odds = [](int j) constexpr { return 2 * j + 1; };
    const auto oneUp = [](int j) constexpr { return B - 1 + j; };
    // The layout's reals as whole vectors, as the previous transform in place
    // stored them; Pack's pairs (one real up) are formed from them.
    V raw[2 * C + 1];
    unroll<2 * C>([&](auto v) VOK_BLOCK_LAMBDA { raw[v] = loadVec<V>(in + B * v); });
    raw[2 * C] = V{};
    const T x0 = raw[0][0];
    const T xm = Layout == kPack ? raw[2 * C - 1][B - 1] : Layout == kPerm ? raw[0][1] : in[N];
    V xr[C + 1], xi[C + 1];
    unroll<C>([&](auto c) VOK_BLOCK_LAMBDA {
        V lo = raw[2 * c], hi = raw[2 * c + 1];
        if constexpr (Layout == kPack) {
            lo = shuffle<V, B, decltype(oneUp)>(c == 0 ? V{} : raw[2 * c - 1], raw[2 * c]);
            hi = shuffle<V, B, decltype(oneUp)>(raw[2 * c], raw[2 * c + 1]);
        }
        xr[c] = shuffle<V, B, decltype(evens)>(lo, hi);
        const V im = shuffle<V, B, decltype(odds)>(lo, hi);
        xi[c] = im * sign;
    });
    xr[0][0] = x0;
    xi[0][0] = 0;
    xr[C] = V{};
    xr[C][0] = xm;
    xi[C] = V{};
    alignas(64) T zr[M], zi[M];
    unroll<C>([&](auto cc) VOK_BLOCK_LAMBDA {
        constexpr int c = cc, k = c * B;
        const V pr = xr[c], pi = xi[c];
        const V qr = partners<V, B>(xr[C - c - 1], xr[C - c]);
        const V qi = -partners<V, B>(xi[C - c - 1], xi[C - c]);
        const V sr = pr + qr, si = pi + qi, dr = pr - qr, di = pi - qi;
        const V wr = loadVec<V>(kernels::BlockPowers<T, N>::table.re + k),
                wi = loadVec<V>(kernels::BlockPowers<T, N>::table.im + k);
        const V rr = dr * wr + di * wi,
                ri = di * wr - dr * wi;                        // w^k d, w^k = conj W_N^k
        const V a = (sr - ri) * scale, b = (si + rr) * scale;  // sum + i r
        storeVec(zr + k, a);
        storeVec(zi + k, b);
    });
    blockBody<T, A, B, true, false, true, false>(zr, zi, out, nullptr);
}

template <class T, int Order>
struct RealRow {
    template <int... I>
    static constexpr void fill(kernels::BlockRealFn<T> *forward, kernels::BlockRealFn<T> *toReal,
                               std::integer_sequence<int, I...>) {
        ((forward[I] = &realForward<T, Order, I>), ...);
        ((toReal[I] = &ccsToReal<T, Order, I>), ...);
    }
};

template <class T, int Order>
struct BlockRow {
    static constexpr int B = kColumns<Order>, A = (1 << Order) / B;
    template <int... I>
    static constexpr void fill(kernels::BlockFn<T> *row, std::integer_sequence<int, I...>) {
        ((row[I] = &block<T, A, B, I / 4 == 1, I / 2 % 2 == 1, I % 2 == 1>), ...);
    }
};
template <class T>
constexpr kernels::BlockOps<T> blockOps() {
    kernels::BlockOps<T> ops{};
    [&]<int... O>(std::integer_sequence<int, O...>) {
        (BlockRow<T, O + kernels::kBlockFirstOrder>::fill(ops.fn[O], std::make_integer_sequence<int, 8>{}), ...);
    }
    (std::make_integer_sequence<int, kernels::kBlockLastOrder - kernels::kBlockFirstOrder + 1>{});
    [&]<int... O>(std::integer_sequence<int, O...>) {
        (RealRow<T, O + kernels::kBlockRealFirstOrder>::fill(ops.forward[O], ops.toReal[O],
                                                             std::make_integer_sequence<int, 3>{}),
         ...);
    }
    (std::make_integer_sequence<int, kernels::kBlockRealLastOrder - kernels::kBlockRealFirstOrder + 1>{});
    return ops;
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const BlockTable VOK_KERNEL_TABLE(fftblock) = {simd::VOK_ISA::blockOps<float>(), simd::VOK_ISA::blockOps<double>()};
}
