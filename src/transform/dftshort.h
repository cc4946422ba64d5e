// DFTs of the shortest lengths, written out at compile time: no plan, no
// work area, no pass loop. The call of a short length is mostly set-up
// otherwise (a plan look-up and an indirect pass costing more than the
// butterflies). The roots come from the length's own twiddle table, which
// the DFT holds anyway, but for the odd primes' (compile-time tables); sums
// run in double precision whatever the data, so the float transform rounds
// once at the end. One complex value per 128-bit register (two in the odd
// primes' VEX copies), the same operations in every lane, hence the same bits.
// All inputs are read before any output is written, so src may be dst.
#pragma once

#include "kernels/dispatch.h"
#include "vok/types.h"

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace vok::shortdft {

// Unrolled whole; the checking builds (sanitizers, fuzzing) keep the loops:
// the same operations in the same order, compiled in a fraction of the time.
#if VOK_UNROLL_KERNELS
#define VOK_SHORT_UNROLL _Pragma("GCC unroll 24")
#else
#define VOK_SHORT_UNROLL
#endif

// One complex value (re, im) per 128-bit register: the additions and the
// products by real roots are one instruction each. Every lane rounds as the
// scalar code would (x + (-y) is x - y, and a product's operands commute).
typedef double Cd __attribute__((vector_size(16)));
inline Cd splat(double x) { return Cd{x, x}; }
#if defined(__clang__)
inline Cd swapped(Cd a) { return __builtin_shufflevector(a, a, 1, 0); }
#else
typedef long long CdIndex __attribute__((vector_size(16)));
inline Cd swapped(Cd a) { return __builtin_shuffle(a, CdIndex{1, 0}); }
#endif
// Two complex values per 256-bit register, only in code compiled for AVX
// (the VEX copies below): no function takes or returns one, so the baseline's
// calling convention never meets them.
typedef double Cq __attribute__((vector_size(32)));
#define VOK_TWICE(a) __builtin_shufflevector(a, a, 0, 1, 0, 1)
#define VOK_SWAPPED_EACH(a) __builtin_shufflevector(a, a, 1, 0, 3, 2)
#define VOK_LOW(a) __builtin_shufflevector(a, a, 0, 1)
#define VOK_HIGH(a) __builtin_shufflevector(a, a, 2, 3)

// a·w as (a.re·w.re - a.im·w.im, a.im·w.re + a.re·w.im).
inline Cd times(Cd a, Cd w) { return a * splat(w[0]) + swapped(a) * Cd{-w[1], w[1]}; }
// i·a, or -i·a.
inline Cd turnUp(Cd a) { return swapped(a) * Cd{-1.0, 1.0}; }
inline Cd turnDown(Cd a) { return swapped(a) * Cd{1.0, -1.0}; }

// W^x of the transform of length N within a table of a multiple of N:
// entry x·step, conjugated for the inverse (the table holds the forward roots).
template <bool Forward, class W>
struct Roots {
    const W* table;
    int size;  // of the table
    inline Cd operator()(int x, int step) const {
        const W& w = table[(x * step) % size];
        return Cd{double(w.re), Forward ? double(w.im) : -double(w.im)};
    }
};

template <int N>
constexpr int splitOf() {
    if constexpr (N % 4 == 0 && N > 4) return 4;
    for (int p = 2; p * p <= N; ++p)
        if (N % p == 0) return p;
    return 1;
}

// The power of N's least prime that divides N, when N has another prime
// factor: N = A·B with A and B coprime needs no twiddles (the index maps
// below), else 0.
template <int N>
constexpr int coprimeSplitOf() {
    int p = 2;
    while (N % p) ++p;
    int a = 1;
    while (N % (a * p) == 0) a *= p;
    return a < N && a > 1 ? a : 0;
}
// x^-1 modulo m, for coprime x and m.
constexpr int inverseMod(int x, int m) {
    for (int y = 1; y < m; ++y)
        if (x * y % m == 1) return y;
    return m == 1 ? 0 : -1;
}

// cos and sin of 2π·m/P in long double by their series on the first
// quadrant, rounded once to double: at compile time and alike for every
// compiler, so that the odd primes need no table look-ups and their paired
// roots below are ready to multiply.
constexpr long double kPi = 3.141592653589793238462643383279502884L;
constexpr long double series(long double x, int first) {  // sum of (-1)^i x^(2i+first)/(2i+first)!
    long double term = first ? x : 1, sum = 0;
    for (int i = 0; i < 30; ++i) {
        sum += term;
        term *= -x * x / ((2 * i + first + 1) * (2 * i + first + 2));
    }
    return sum;
}
template <int P, bool Forward>
struct PrimeRoots {
    struct Table {
        double c[P], s[P];  // cos, and ∓sin for the forward and inverse transforms
    };
    static constexpr Table roots() {
        Table r{};
        for (int m = 0; m < P; ++m) {
            const int quadrant = 4 * m / P, rest = 4 * m - quadrant * P;
            const long double x = kPi / 2 * rest / P, c = series(x, 0), s = series(x, 1);
            const long double cos[4] = {c, -s, -c, s}, sin[4] = {s, c, -s, -c};
            r.c[m] = double(cos[quadrant]);
            r.s[m] = double(Forward ? -sin[quadrant] : sin[quadrant]);
        }
        return r;
    }
    static constexpr Table kRoots = roots();
    // The roots of outputs k and k + 1 (k odd) for input pair j, each twice:
    // c[j][k/2] = (c_jk, c_jk, c_j(k+1), c_j(k+1)).
    struct Pairs {
        Cq c[(P + 1) / 2][(P + 1) / 4 + 1], s[(P + 1) / 2][(P + 1) / 4 + 1];
    };
    static constexpr Pairs pairs() {
        Pairs r{};
        for (int j = 1; j <= (P - 1) / 2; ++j)
            for (int k = 1; k + 1 <= (P - 1) / 2; k += 2) {
                const double c0 = kRoots.c[j * k % P], c1 = kRoots.c[j * (k + 1) % P];
                const double s0 = kRoots.s[j * k % P], s1 = kRoots.s[j * (k + 1) % P];
                r.c[j][k / 2] = Cq{c0, c0, c1, c1};
                r.s[j][k / 2] = Cq{s0, s0, s1, s1};
            }
        return r;
    }
    alignas(32) static constexpr Pairs kPairs = pairs();
};

// out[k·os] = sum_j in[j·is]·W_N^{jk}, with W_N^x = roots(x, step).
template <int N, bool Wide, bool Forward, class W>
inline __attribute__((always_inline)) void dft(const Cd* in, int is, Cd* out, int os, Roots<Forward, W> roots,
                                                int step) {
    if constexpr (N == 1) {
        out[0] = in[0];
    } else if constexpr (N == 2) {
        const Cd a = in[0], b = in[is];
        out[0] = a + b;
        out[os] = a - b;
    } else if constexpr (N == 4) {
        const Cd t0 = in[0] + in[2 * is], t1 = in[0] - in[2 * is];
        const Cd t2 = in[is] + in[3 * is], d = in[is] - in[3 * is];
        const Cd t3 = Forward ? turnDown(d) : turnUp(d);  // ∓i·d
        out[0] = t0 + t2;
        out[os] = t1 + t3;
        out[2 * os] = t0 - t2;
        out[3 * os] = t1 - t3;
    } else if constexpr (splitOf<N>() == 1) {
        // Odd prime: pairs t_j = a_j + a_{N-j}, u_j = a_j - a_{N-j} give
        // b_k, b_{N-k} = a_0 + sum c_jk·t_j ± i·sum s_jk·u_j, the roots
        // read from PrimeRoots (the same whichever table or step).
        constexpr int h = (N - 1) / 2;
        using R = PrimeRoots<N, Forward>;
        Cd t[h + 1], u[h + 1];
        Cd sum = in[0];
        VOK_SHORT_UNROLL
        for (int j = 1; j <= h; ++j) {
            t[j] = in[j * is] + in[(N - j) * is];
            u[j] = in[j * is] - in[(N - j) * is];
            sum = sum + t[j];
        }
        out[0] = sum;
        // Two outputs per 256-bit register when the caller is compiled for
        // them: the same products and sums in each half, hence the same bits.
        constexpr int wide = Wide && h >= 3 ? h / 2 * 2 : 0;
        if constexpr (wide > 0) {
            Cq tq[h + 1], uq[h + 1];
            VOK_SHORT_UNROLL
            for (int j = 1; j <= h; ++j) {
                tq[j] = VOK_TWICE(t[j]);
                uq[j] = VOK_TWICE(u[j]);
            }
            const Cq in0 = VOK_TWICE(in[0]);
            VOK_SHORT_UNROLL
            for (int k = 1; k < wide; k += 2) {
                Cq re = in0 + tq[1] * R::kPairs.c[1][k / 2], im = uq[1] * R::kPairs.s[1][k / 2];
                VOK_SHORT_UNROLL
                for (int j = 2; j <= h; ++j) {
                    re = re + tq[j] * R::kPairs.c[j][k / 2];
                    im = im + uq[j] * R::kPairs.s[j][k / 2];
                }
                const Cq turned = VOK_SWAPPED_EACH(im) * Cq{-1.0, 1.0, -1.0, 1.0};
                const Cq plus = re + turned, minus = re - turned;
                out[k * os] = VOK_LOW(plus);
                out[(k + 1) * os] = VOK_HIGH(plus);
                out[(N - k) * os] = VOK_LOW(minus);
                out[(N - k - 1) * os] = VOK_HIGH(minus);
            }
        }
        VOK_SHORT_UNROLL
        for (int k = wide + 1; k <= h; ++k) {
            Cd re = in[0] + t[1] * splat(R::kRoots.c[k]), im = u[1] * splat(R::kRoots.s[k]);
            VOK_SHORT_UNROLL
            for (int j = 2; j <= h; ++j) {
                re = re + t[j] * splat(R::kRoots.c[j * k % N]);
                im = im + u[j] * splat(R::kRoots.s[j * k % N]);
            }
            const Cd turned = turnUp(im);
            out[k * os] = re + turned;
            out[(N - k) * os] = re - turned;
        }
    } else if constexpr (coprimeSplitOf<N>() != 0) {
        // N = A·B, A and B coprime: input n1·B + n2·A (mod N) and output k
        // with k = k1 (mod A), k = k2 (mod B) make the transform an A-point
        // one of B-point ones without twiddles, W_N^{nk} = W_A^{n1·k1}·W_B^{n2·k2}.
        constexpr int A = coprimeSplitOf<N>(), B = N / A;
        constexpr int toA = B * inverseMod(B, A), toB = A * inverseMod(A, B);
        Cd y[N];
        VOK_SHORT_UNROLL
        for (int n1 = 0; n1 < A; ++n1) {
            Cd x[B];
            VOK_SHORT_UNROLL
            for (int n2 = 0; n2 < B; ++n2) x[n2] = in[(n1 * B + n2 * A) % N * is];
            dft<B, Wide>(x, 1, y + n1 * B, 1, roots, A * step);
        }
        VOK_SHORT_UNROLL
        for (int k2 = 0; k2 < B; ++k2) {
            Cd z[A], r[A];
            VOK_SHORT_UNROLL
            for (int n1 = 0; n1 < A; ++n1) z[n1] = y[n1 * B + k2];
            dft<A, Wide>(z, 1, r, 1, roots, B * step);
            VOK_SHORT_UNROLL
            for (int k1 = 0; k1 < A; ++k1) out[(k1 * toA + k2 * toB) % N * os] = r[k1];
        }
    } else {
        // N = A·B, decimation in time: B-point transforms of every A-th input,
        // twiddled by W_N^{n1·k1}, then A-point transforms across them.
        constexpr int A = splitOf<N>(), B = N / A;
        Cd y[N];
        VOK_SHORT_UNROLL
        for (int n1 = 0; n1 < A; ++n1) dft<B, Wide>(in + n1 * is, A * is, y + n1 * B, 1, roots, A * step);
        VOK_SHORT_UNROLL
        for (int k1 = 0; k1 < B; ++k1) {
            Cd z[A];
            VOK_SHORT_UNROLL
            for (int n1 = 0; n1 < A; ++n1)
                z[n1] = n1 && k1 ? times(y[n1 * B + k1], roots(n1 * k1, step)) : y[n1 * B + k1];
            dft<A, Wide>(z, 1, out + k1 * os, B * os, roots, B * step);
        }
    }
}

// A complex value to and from its register. Float pairs convert as one
// vector (GCC makes two scalar conversions and an unpack of a conversion of
// an 8-byte vector); a 32-bit build may lack SSE2, and converts by element.
#if defined(__x86_64__)
inline Cd load(const FloatComplex& c) {
    return Cd(_mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&c)))));
}
inline void store(FloatComplex& c, Cd v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&c), _mm_castps_si128(_mm_cvtpd_ps(__m128d(v))));
}
#else
inline Cd load(const FloatComplex& c) { return Cd{double(c.re), double(c.im)}; }
inline void store(FloatComplex& c, Cd v) { c = {float(v[0]), float(v[1])}; }
#endif
inline Cd load(const DoubleComplex& c) { return Cd{c.re, c.im}; }
inline void store(DoubleComplex& c, Cd v) { c = {v[0], v[1]}; }

template <int N, bool Forward, bool Scaled, bool Wide, class C, class W>
inline __attribute__((always_inline)) void run(const C* src, C* dst, const W* table, double scale) {
    Cd a[N], b[N];
    VOK_SHORT_UNROLL
    for (int i = 0; i < N; ++i) a[i] = load(src[i]);
    dft<N, Wide>(a, 1, b, 1, Roots<Forward, W>{table, N}, 1);
    VOK_SHORT_UNROLL
    for (int i = 0; i < N; ++i) store(dst[i], Scaled ? b[i] * splat(scale) : b[i]);
}

// Out of line, once for the baseline and once in the VEX encoding, which
// processors with AVX take from 5 points (below, the kernel is too short to
// gain, and the calls measured slower): the same operations, hence the same
// bits, but three-operand forms need none of the SSE2 forms' register
// copies, and whole-register writes do not wait on upper halves that a
// caller's 256-bit code left set (simd::kHasVex says which builds have
// them).
template <int N, bool Forward, bool Scaled, class C, class W>
void runBase(const C* src, C* dst, const W* table, double scale) {
    run<N, Forward, Scaled, false>(src, dst, table, scale);
}
#if VOK_HAS_VEX_COPIES
// Without the SLP vectorizer, which given AVX joins pairs of values into
// 256-bit vectors by inserts (and a vzeroupper) on the chain of the call.
// Sanitized as the rest: exempted, it left on the stack the scope poisoning
// of the code it inlines, which a later call then tripped on.
#if defined(__clang__)
#define VOK_SHORT_VEX_ATTR __attribute__((target("avx"), flatten))
#else
#define VOK_SHORT_VEX_ATTR \
    __attribute__((target("avx"), optimize("no-tree-slp-vectorize"), flatten))
#endif
template <int N, bool Forward, bool Scaled, class C, class W>
VOK_SHORT_VEX_ATTR void runVex(const C* src, C* dst, const W* table, double scale) {
    run<N, Forward, Scaled, true>(src, dst, table, scale);
}
#undef VOK_SHORT_VEX_ATTR
#else
template <int N, bool Forward, bool Scaled, class C, class W>
void runVex(const C* src, C* dst, const W* table, double scale);  // never instantiated
#endif

// The lengths written out here: where they beat the vector passes (measured
// against them), in float too, whose conversions to double and back cost
// less than the passes' set-up: up to 15 all of them. Beyond, those whose
// factors' kernels are short enough (not 4·7 nor 2·25 against their passes,
// nor in float 20, 24 and 30).
template <class C>
constexpr bool covers(int n) {
    const bool beyond15 = n == 18 || n == 21 || n == 22 || n == 25 || n == 26;
    if constexpr (sizeof(C::re) == sizeof(float)) return (n >= 2 && n <= 15) || beyond15;
    else return (n >= 2 && n <= 15) || beyond15 || n == 20 || n == 24 || n == 30;
}

// The DFT of a covered length n with its twiddle table (entry k = W_n^k of
// the forward transform), times scale (1 multiplies by nothing); vex takes
// the VEX copies from 5 points. Compiled apart (dftshort.cpp): the instances
// take most of the DFT's build time.
void transform(const FloatComplex* src, FloatComplex* dst, int n, const FloatComplex* table, bool forward,
               double scale, bool vex);
void transform(const DoubleComplex* src, DoubleComplex* dst, int n, const DoubleComplex* table, bool forward,
               double scale, bool vex);

#undef VOK_SHORT_UNROLL
#undef VOK_TWICE
#undef VOK_SWAPPED_EACH
#undef VOK_LOW
#undef VOK_HIGH

}  // namespace vok::shortdft
