// Block FFTs of 4 ... 128 points (see fftblock.h). N = A·B, point n = B·a + b
// in row a, column b; result k1 + A·k2 is
//   sum_b W_N^(b·k1) W_B^(b·k2) sum_a x[B·a + b] W_A^(a·k1),
// so the rows' transform runs down the columns lane-wise, the twiddles are one
// vector per row, and after transposing B x B tiles the columns' transform
// runs lane-wise again, each tile's results being B adjacent outputs.
#include <cmath>
#include <utility>

#include "kernels/fftblock.h"
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
#endif

VOK_SIMD_BEGIN
namespace {

template <int N, class F>
VOK_BLOCK_INLINE void unroll(F&& f) {
    [&]<int... I>(std::integer_sequence<int, I...>) VOK_BLOCK_LAMBDA { (f(std::integral_constant<int, I>{}), ...); }(
        std::make_integer_sequence<int, N>{});
}

// B complex values, parts apart.
template <class T, int B>
struct Wide {
    typedef T V __attribute__((vector_size(B * sizeof(T))));
    V re, im;
};
template <class T, int B>
VOK_BLOCK_INLINE Wide<T, B> operator+(const Wide<T, B>& a, const Wide<T, B>& b) { return {a.re + b.re, a.im + b.im}; }
template <class T, int B>
VOK_BLOCK_INLINE Wide<T, B> operator-(const Wide<T, B>& a, const Wide<T, B>& b) { return {a.re - b.re, a.im - b.im}; }
// Product with -i, exact.
template <class T, int B>
VOK_BLOCK_INLINE Wide<T, B> timesMinusI(const Wide<T, B>& a) { return {a.im, -a.re}; }
template <class T, int B>
VOK_BLOCK_INLINE Wide<T, B> mul(const Wide<T, B>& a, const typename Wide<T, B>::V& wr, const typename Wide<T, B>::V& wi) {
    return {a.re * wr - a.im * wi, a.re * wi + a.im * wr};
}

// W_128^j = (cos 2πj/128, -sin 2πj/128): the angle formed in double, its
// sine and cosine taken in long double, as the library's twiddle tables are.
constexpr int kRootCount = 128;
template <class T>
struct Roots {
    T re[kRootCount], im[kRootCount];
    Roots() {
        const double step = 6.283185307179586 / double(kRootCount);
        for (int j = 0; j < kRootCount; ++j) {
            const long double angle = double(j) * step;
            re[j] = T(std::cos(angle));
            im[j] = T(-std::sin(angle));
        }
    }
};
template <class T>
const Roots<T> kRoots{};

// a·W_N^K with the unit, quarter and eighth turns taken exactly.
template <class T, int B, int N, int K>
VOK_BLOCK_INLINE Wide<T, B> twiddle(const Wide<T, B>& a) {
    typedef typename Wide<T, B>::V V;
    constexpr T half = T(0.70710678118654752440L);
    if constexpr (K == 0) return a;
    else if constexpr (4 * K == N) return timesMinusI(a);
    else if constexpr (8 * K == N) return {(a.re + a.im) * half, (a.im - a.re) * half};
    else if constexpr (8 * K == 3 * N) return {(a.im - a.re) * half, (-a.re - a.im) * half};
    else {
        constexpr int j = K * (kRootCount / N);
        const V wr = V{} + kRoots<T>.re[j], wi = V{} + kRoots<T>.im[j];
        return mul(a, wr, wi);
    }
}

// Forward transform of x[0 .. N) into y, lane by lane, split radix.
template <class T, int B, int N>
VOK_BLOCK_INLINE void dft(const Wide<T, B>* x, Wide<T, B>* y) {
    if constexpr (N == 1) {
        y[0] = x[0];
    } else if constexpr (N == 2) {
        y[0] = x[0] + x[1];
        y[1] = x[0] - x[1];
    } else {
        constexpr int Q = N / 4;
        Wide<T, B> even[2 * Q], one[Q], three[Q], e[2 * Q], u[Q], z[Q];
        unroll<2 * Q>([&](auto i) VOK_BLOCK_LAMBDA { even[i] = x[2 * i]; });
        unroll<Q>([&](auto i) VOK_BLOCK_LAMBDA {
            one[i] = x[4 * i + 1];
            three[i] = x[4 * i + 3];
        });
        dft<T, B, 2 * Q>(even, e);
        dft<T, B, Q>(one, u);
        dft<T, B, Q>(three, z);
        unroll<Q>([&](auto kc) VOK_BLOCK_LAMBDA {
            constexpr int k = kc;
            const Wide<T, B> a = twiddle<T, B, N, k>(u[k]), b = twiddle<T, B, N, 3 * k>(z[k]);
            const Wide<T, B> s = a + b, d = timesMinusI(a - b);
            y[k] = e[k] + s;
            y[k + 2 * Q] = e[k] - s;
            y[k + Q] = e[k + Q] + d;
            y[k + 3 * Q] = e[k + Q] - d;
        });
    }
}

// Row a's twiddles W_N^(a·b), lane b.
template <class T, int A, int B>
struct BlockTwiddles {
    typedef typename Wide<T, B>::V V;
    V re[A], im[A];
    BlockTwiddles() {
        for (int a = 0; a < A; ++a)
            for (int b = 0; b < B; ++b) {
                // From the angle, as the roots are: the two tables start up in no set order.
                const long double angle = double(a * b) * (6.283185307179586 / double(A * B));
                re[a][b] = T(std::cos(angle));
                im[a][b] = T(-std::sin(angle));
            }
    }
};
template <class T, int A, int B>
const BlockTwiddles<T, A, B> kBlockTwiddles{};

// Lanes of two vectors: lane j of the result is lane Pick{}(j) of (u, v).
template <class V, class Pick, int... J>
VOK_BLOCK_INLINE V shuffleLanes(const V& u, const V& v, std::integer_sequence<int, J...>) {
    return __builtin_shufflevector(u, v, Pick{}(J)...);
}
template <class V, int B, class Pick>
VOK_BLOCK_INLINE V shuffle(const V& u, const V& v) {
    return shuffleLanes<V, Pick>(u, v, std::make_integer_sequence<int, B>{});
}

// Transposes r[0 .. B) (row i, lane j) one index bit at a time: step H
// exchanges bit H of the row with bit H of the lane.
template <class V, int B, int H>
VOK_BLOCK_INLINE void transposeStep(V* r) {
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
VOK_BLOCK_INLINE void transpose(V* r) {
    if constexpr (B >= 8) transposeStep<V, B, 4>(r);
    if constexpr (B >= 4) transposeStep<V, B, 2>(r);
    transposeStep<V, B, 1>(r);
}

template <class T, int A, int B, bool Split, bool Inv, bool Scaled>
VOK_BLOCK_KERNEL void block(const T* re, const T* im, T* reOut, T* imOut) {
    typedef typename Wide<T, B>::V V;
    const auto evens = [](int j) constexpr { return 2 * j; };
    const auto odds = [](int j) constexpr { return 2 * j + 1; };
    const auto lowPairs = [](int j) constexpr { return (j & 1) * B + j / 2; };
    const auto highPairs = [](int j) constexpr { return (j & 1) * B + B / 2 + j / 2; };
    Wide<T, B> x[A], y[A];
    // The inverse is the forward transform with the parts exchanged on the way in and out.
    unroll<A>([&](auto a) VOK_BLOCK_LAMBDA {
        V r, i;
        if constexpr (Split) {
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
        y[a] = mul(y[a], kBlockTwiddles<T, A, B>.re[a], kBlockTwiddles<T, A, B>.im[a]);
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
            if constexpr (Scaled) {
                const V s = V{} + T(1.0 / double(A * B));
                v = {v.re * s, v.im * s};
            }
            const V r = Inv ? v.im : v.re, i = Inv ? v.re : v.im;
            if constexpr (Split) {
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

// The block shape of each order: columns as wide as the rows allow, up to 8.
template <int Order>
constexpr int kColumns = Order <= 3 ? 2 : Order <= 5 ? 4 : 8;

template <class T, int Order>
struct BlockRow {
    static constexpr int B = kColumns<Order>, A = (1 << Order) / B;
    template <int... I>
    static constexpr void fill(kernels::BlockFn<T>* row, std::integer_sequence<int, I...>) {
        ((row[I] = &block<T, A, B, I / 4 == 1, I / 2 % 2 == 1, I % 2 == 1>), ...);
    }
};
template <class T>
constexpr kernels::BlockOps<T> blockOps() {
    kernels::BlockOps<T> ops{};
    [&]<int... O>(std::integer_sequence<int, O...>) {
        (BlockRow<T, O + kernels::kBlockFirstOrder>::fill(ops.fn[O], std::make_integer_sequence<int, 8>{}), ...);
    }(std::make_integer_sequence<int, kernels::kBlockLastOrder - kernels::kBlockFirstOrder + 1>{});
    return ops;
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const BlockTable VOK_KERNEL_TABLE(fftblock) = {simd::VOK_ISA::blockOps<float>(), simd::VOK_ISA::blockOps<double>()};
}
