// The split-radix recursion of the fully unrolled kernels, written once for
// every value type: a complex value in one vector (kernels/fftsmall.h) or B
// complex values, parts apart (kernels/fftblock.simd.cpp). V needs + and -;
// Ops supplies the two products:
//   Ops::template twiddle<N, K>(a)   a·W_N^K (exact at the unit and eighth turns),
//   Ops::timesMinusI(a)              a·(-i), exact;
//   Ops::differenceTimesMinusI(a, b) (a - b)·(-i), exact.
#pragma once

#include <utility>

namespace vok::kernels::splitradix {

// Inlined into kernels that the sanitizers leave uninstrumented (see their
// files): an instrumented stack slot per unrolled point would make them
// slow to compile.
#define VOK_SPLITRADIX_INLINE inline __attribute__((always_inline, no_sanitize("address", "undefined", "thread")))
#define VOK_SPLITRADIX_LAMBDA __attribute__((always_inline, no_sanitize("address", "undefined", "thread")))

// Calls f(std::integral_constant<int, i>) for i = 0 ... N-1: the index is a
// constant in every copy of the body.
template <int N, class F>
VOK_SPLITRADIX_INLINE void unroll(F&& f) {
    [&]<int... I>(std::integer_sequence<int, I...>) VOK_SPLITRADIX_LAMBDA { (f(std::integral_constant<int, I>{}), ...); }(
        std::make_integer_sequence<int, N>{});
}

// Forward transform of x[0 .. N) into y[0 .. N): the even points, then the
// points 1 and 3 modulo 4, each a shorter transform.
template <class V, int N, class Ops>
VOK_SPLITRADIX_INLINE void dft(const V* x, V* y) {
    if constexpr (N == 1) {
        y[0] = x[0];
    } else if constexpr (N == 2) {
        y[0] = x[0] + x[1];
        y[1] = x[0] - x[1];
    } else {
        constexpr int Q = N / 4;
        V even[2 * Q], one[Q], three[Q], e[2 * Q], u[Q], z[Q];
        unroll<2 * Q>([&](auto i) VOK_SPLITRADIX_LAMBDA { even[i] = x[2 * i]; });
        unroll<Q>([&](auto i) VOK_SPLITRADIX_LAMBDA {
            one[i] = x[4 * i + 1];
            three[i] = x[4 * i + 3];
        });
        dft<V, 2 * Q, Ops>(even, e);
        dft<V, Q, Ops>(one, u);
        dft<V, Q, Ops>(three, z);
        unroll<Q>([&](auto kc) VOK_SPLITRADIX_LAMBDA {
            constexpr int k = kc;
            const V a = Ops::template twiddle<N, k>(u[k]), b = Ops::template twiddle<N, 3 * k>(z[k]);
            const V s = a + b, d = Ops::differenceTimesMinusI(a, b);
            y[k] = e[k] + s;
            y[k + 2 * Q] = e[k] - s;
            y[k + Q] = e[k + Q] + d;
            y[k + 3 * Q] = e[k + Q] - d;
        });
    }
}

#undef VOK_SPLITRADIX_INLINE
#undef VOK_SPLITRADIX_LAMBDA

}  // namespace vok::kernels::splitradix
