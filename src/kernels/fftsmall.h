// Straight-line FFTs of the smallest orders. A call of a few dozen points
// costs more in loops, permutation passes and table walks than in
// arithmetic, so these load every point once, run a split-radix transform
// fully unrolled at compile time (the bit reversal is only the order in
// which values are named), and store every result once, scaled (by 1/N, a
// constant of the order) or conjugated on the way. Plain scalar code compiled
// once for every width, so its results do not depend on the width the other
// kernels run at.
//
// Only a forward complex transform is written: the inverse one is the
// forward transform with real and imaginary parts exchanged on the way in
// and out, which the loads and stores do for free.
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "kernels/dispatch.h"
#include "kernels/splitradix.h"

namespace vok::kernels::small {

#define VOK_SMALL_INLINE inline __attribute__((always_inline, no_sanitize("address", "undefined", "thread")))
// The sanitizers keep every unrolled point in an instrumented stack slot,
// which makes these few hundred flattened bodies take minutes to compile;
// their loads and stores are fixed by the order, and the tests check guard
// elements around every output, so the kernels themselves go uninstrumented.
#define VOK_SMALL_LAMBDA __attribute__((always_inline, no_sanitize("address", "undefined", "thread")))
#define VOK_SMALL_KERNEL __attribute__((flatten, no_sanitize("address", "undefined", "thread")))

// A complex value as one vector of its two parts: the same lane-wise
// arithmetic as the scalar formulas (a product of a complex value and a
// twiddle is re·wr + (-im)·wi and im·wr + re·wi, rounded as written).
template <class T>
struct Cx {
    typedef T V __attribute__((vector_size(2 * sizeof(T))));
    V v;
    VOK_SMALL_INLINE Cx() = default;
    VOK_SMALL_INLINE Cx(V x) : v(x) {}
    VOK_SMALL_INLINE Cx(T re, T im) : v(V{re, im}) {}
    VOK_SMALL_INLINE T re() const { return v[0]; }
    VOK_SMALL_INLINE T im() const { return v[1]; }
};
template <class T>
VOK_SMALL_INLINE Cx<T> operator+(Cx<T> a, Cx<T> b) { return a.v + b.v; }
template <class T>
VOK_SMALL_INLINE Cx<T> operator-(Cx<T> a, Cx<T> b) { return a.v - b.v; }
template <class T>
VOK_SMALL_INLINE typename Cx<T>::V swapParts(typename Cx<T>::V v) { return __builtin_shufflevector(v, v, 1, 0); }
// Exact sign changes of parts, as a flip of the sign bits: the same value as
// a product with -1, at a quarter of its latency, which is what a call of a
// few points waits for.
template <class T, bool Re, bool Im>
VOK_SMALL_INLINE typename Cx<T>::V negate(typename Cx<T>::V v) {
    typedef std::conditional_t<sizeof(T) == 4, std::int32_t, std::int64_t> Bits;
    typedef Bits B __attribute__((vector_size(2 * sizeof(T))));
    constexpr Bits sign = Bits(1) << (8 * sizeof(T) - 1);
    return (typename Cx<T>::V)((B)v ^ B{Re ? sign : 0, Im ? sign : 0});
}
template <class T>
VOK_SMALL_INLINE Cx<T> conj(Cx<T> a) { return negate<T, false, true>(a.v); }
// Product with -i: (im, -re).
template <class T>
VOK_SMALL_INLINE Cx<T> timesMinusI(Cx<T> a) { return negate<T, false, true>(swapParts<T>(a.v)); }
template <class T>
VOK_SMALL_INLINE Cx<T> times(Cx<T> a, T s) { return a.v * s; }

using splitradix::unroll;

// W_128^j = (cos 2πj/128, -sin 2πj/128), j < 128: every twiddle these
// kernels need, the angle formed in double and its sine and cosine taken in
// long double as the library's twiddle tables are.
constexpr int kRootCount = 128;
// Beside each, the two vectors a product by it takes, (re, re) and (-im,
// im), read ready rather than formed from the parts on every use.
template <class T>
struct Roots {
    Cx<T> w[kRootCount];
    typename Cx<T>::V reRe[kRootCount], imIm[kRootCount];
    Roots() {
        const double step = 6.283185307179586 / double(kRootCount);
        for (int j = 0; j < kRootCount; ++j) {
            const long double angle = double(j) * step;
            w[j] = {T(std::cos(angle)), T(-std::sin(angle))};
            reRe[j] = typename Cx<T>::V{w[j].re(), w[j].re()};
            imIm[j] = typename Cx<T>::V{-w[j].im(), w[j].im()};
        }
    }
};
template <class T>
inline const Roots<T> kRoots{};

// a·W_128^J.
template <class T, int J>
VOK_SMALL_INLINE Cx<T> mulRoot(Cx<T> a) {
    return a.v * kRoots<T>.reRe[J] + swapParts<T>(a.v) * kRoots<T>.imIm[J];
}

// a·W_N^K, with the unit and eighth-turn twiddles taken exactly.
template <class T, int N, int K>
VOK_SMALL_INLINE Cx<T> twiddle(Cx<T> a) {
    constexpr T half = T(0.70710678118654752440L);
    if constexpr (K == 0) return a;
    else if constexpr (4 * K == N) return timesMinusI(a);
    else if constexpr (8 * K == N) return times(a + timesMinusI(a), half);
    else if constexpr (8 * K == 3 * N) return times(timesMinusI(a) - a, half);
    else return mulRoot<T, K * (kRootCount / N)>(a);
}

// Forward transform of x[0 .. N) into y[0 .. N), split radix.
template <class T>
struct CxOps {
    template <int N, int K>
    VOK_SMALL_INLINE static Cx<T> twiddle(Cx<T> a) { return small::twiddle<T, N, K>(a); }
    VOK_SMALL_INLINE static Cx<T> timesMinusI(Cx<T> a) { return small::timesMinusI(a); }
    // ((a - b).im, (b - a).re): the two differences side by side, one
    // shuffle after them rather than a shuffle and a sign flip in a row,
    // which a call of a few points waits for. The same value as -(a - b).re
    // but for its sign when the parts cancel exactly (+0 for -0).
    VOK_SMALL_INLINE static Cx<T> differenceTimesMinusI(Cx<T> a, Cx<T> b) {
        return __builtin_shufflevector((a - b).v, (b - a).v, 1, 2);
    }
};
template <class T, int N>
VOK_SMALL_INLINE void dft(const Cx<T>* x, Cx<T>* y) {
    splitradix::dft<Cx<T>, N, CxOps<T>>(x, y);
}

template <int Bits>
constexpr int reverse(int v) {
    int r = 0;
    for (int i = 0; i < Bits; ++i) r |= ((v >> i) & 1) << (Bits - 1 - i);
    return r;
}

// ---- complex ----

// Loads and stores of one complex value: adjacent parts (Split false; Swap
// exchanges them on the way) or the parts of two arrays.
template <class T, bool Split, bool Swap>
VOK_SMALL_INLINE Cx<T> get(const T* re, const T* im, int at) {
    if constexpr (Split) return Cx<T>(re[at], im[at]);
    typename Cx<T>::V v;
    __builtin_memcpy(&v, re + 2 * at, sizeof v);
    return Swap ? Cx<T>(swapParts<T>(v)) : Cx<T>(v);
}
template <class T, bool Split, bool Swap>
VOK_SMALL_INLINE void put(T* re, T* im, int at, Cx<T> c) {
    if constexpr (Split) {
        re[at] = c.re();
        im[at] = c.im();
    } else {
        const typename Cx<T>::V v = Swap ? swapParts<T>(c.v) : c.v;
        __builtin_memcpy(re + 2 * at, &v, sizeof v);
    }
}

// A pair of parts loaded as one vector and kept so: left alone, the
// compiler takes the parts by separate loads and may merge the neighbours
// of two pairs into one load, which spans two stores of the caller's last
// transform in place and waits for both to reach the cache.
template <class T>
VOK_SMALL_INLINE Cx<T> getWhole(const T* p, int at) {
    typedef typename Cx<T>::V Loose __attribute__((aligned(sizeof(T)), may_alias));
    typename Cx<T>::V v = *reinterpret_cast<const Loose*>(p + 2 * at);
#if defined(__clang__)
    constexpr bool hint = false;  // the merged load is GCC's; clang refuses the constraint on 8-byte vectors
#elif defined(__x86_64__)
    constexpr bool hint = true;
#else
    constexpr bool hint = sizeof v == 16;  // 32-bit x86 keeps 8-byte vectors in MMX registers
#endif
    if constexpr (hint) __asm__("" : "+x"(v));
    return v;
}

// One part in both lanes, loaded so: left alone, the compiler computes on
// the part and forms the pair by a shuffle after.
template <class T>
VOK_SMALL_INLINE typename Cx<T>::V broadcast(const T* p) {
    typename Cx<T>::V v{*p, *p};
#if defined(__clang__)
    constexpr bool hint = false;
#elif defined(__x86_64__)
    constexpr bool hint = true;
#else
    constexpr bool hint = sizeof v == 16;
#endif
    if constexpr (hint) __asm__("" : "+x"(v));
    return v;
}

// The transform of 2^Order points, interleaved (im, imOut unused) or split.
// Inv: the inverse, as the forward transform of the exchanged parts; split
// arrays get it by the caller passing the imaginary arrays as the real ones.
// RevIn: point n stored at bitrev(n); RevOut: result k stored at bitrev(k).
// Results are multiplied by 1/N when Scaled.
template <class T, int Order, bool Split, bool Inv, bool RevIn, bool RevOut, bool Scaled>
VOK_SMALL_KERNEL void complexFft(const T* re, const T* im, T* reOut, T* imOut) {
    constexpr int N = 1 << Order;
    constexpr T scale = T(1.0 / double(N));
    if constexpr (Split && Order == 2 && !RevIn && !RevOut) {
        // Split arrays of 4 points two parts to a vector, as they lie: the
        // loads and stores of single parts cost more than the arithmetic.
        typedef typename Cx<T>::V V;
        const auto pair = [](const T* p) VOK_SMALL_LAMBDA { return get<T, false, false>(p, nullptr, 0).v; };
        const V s = pair(re) + pair(re + 2), d = pair(re) - pair(re + 2);  // (a, c) and (b, d), real parts
        const V si = pair(im) + pair(im + 2), di = pair(im) - pair(im + 2), nd = pair(re + 2) - pair(re);
        // X0, X2 = a ± c and X1, X3 = b ± (-i d), -i d as differenceTimesMinusI forms it.
        const Cx<T> u = __builtin_shufflevector(s, d, 0, 2), w = __builtin_shufflevector(s, di, 1, 3);
        const Cx<T> ui = __builtin_shufflevector(si, di, 0, 2), wi = __builtin_shufflevector(si, nd, 1, 3);
        put<T, false, false>(reOut, nullptr, 0, Scaled ? times(u + w, scale) : u + w);
        put<T, false, false>(reOut, nullptr, 1, Scaled ? times(u - w, scale) : u - w);
        put<T, false, false>(imOut, nullptr, 0, Scaled ? times(ui + wi, scale) : ui + wi);
        put<T, false, false>(imOut, nullptr, 1, Scaled ? times(ui - wi, scale) : ui - wi);
        return;
    }
    Cx<T> x[N], y[N];
    unroll<N>([&](auto n) VOK_SMALL_LAMBDA { x[n] = get<T, Split, Inv>(re, im, RevIn ? reverse<Order>(n) : int(n)); });
    dft<T, N>(x, y);
    unroll<N>([&](auto k) VOK_SMALL_LAMBDA {
        put<T, Split, Inv>(reOut, imOut, RevOut ? reverse<Order>(k) : int(k), Scaled ? times(y[k], scale) : y[k]);
    });
}

// The same kernel in the VEX encoding, for processors with AVX: its
// three-operand forms need none of the register copies that the two-operand
// SSE2 forms take (about a quarter of a double kernel), and the
// operations, hence the results, are the same. It also writes whole vector
// registers: an SSE2 operation keeps the upper half of its destination, so
// after a caller's 256-bit code that left those halves set (no vzeroupper)
// every one of them waits for the register's previous value, which tripled
// a call of 8 float points on Zen 5 (simd::kHasVex says which builds have
// these copies).
#if VOK_HAS_VEX_COPIES
#define VOK_SMALL_VEX __attribute__((target("avx"), flatten, no_sanitize("address", "undefined", "thread")))
template <class T, int Order, bool Split, bool Inv, bool RevIn, bool RevOut, bool Scaled>
VOK_SMALL_VEX void complexFftVex(const T* re, const T* im, T* reOut, T* imOut) {
    complexFft<T, Order, Split, Inv, RevIn, RevOut, Scaled>(re, im, reOut, imOut);
}
#else
template <class T, int Order, bool Split, bool Inv, bool RevIn, bool RevOut, bool Scaled>
void complexFftVex(const T* re, const T* im, T* reOut, T* imOut);  // never instantiated
#endif

// The transform of 8 points for calls in place, with complexFft's template
// arguments and the same values (a part that cancels exactly may come out
// +0 for -0): the odd points' eighth turns, the longest chain of such a call,
// from parts loaded into both lanes, a sum and a difference of parts in one
// operation, no shuffle of parts after the loads (9.2 -> 8.4 ns double in
// place). Out of place its extra loads and operations cost more than the
// chain saves (4.9 -> 5.3 ns), so those calls keep complexFft.
template <class T, bool Split, bool Inv, bool RevIn, bool RevOut, bool Scaled>
VOK_SMALL_INLINE void eightPointBody(const T* re, const T* im, T* reOut, T* imOut) {
    constexpr T scale = T(1.0 / 8);
    typedef typename Cx<T>::V V;
    const auto at = [](int n) VOK_SMALL_LAMBDA { return RevIn ? reverse<3>(n) : n; };
    const auto part = [&](int n, bool imaginary) VOK_SMALL_LAMBDA {
        const T* p = Split ? (imaginary ? im : re) + at(n) : re + 2 * at(n) + (imaginary != Inv);
        return broadcast<T>(p);
    };
    // (a - b, a + b) lane by lane.
    const auto subAdd = [](V a, V b) VOK_SMALL_LAMBDA { return __builtin_shufflevector(a - b, a + b, 0, 3); };
    const auto x = [&](int n) VOK_SMALL_LAMBDA { return get<T, Split, Inv>(re, im, at(n)); };
    Cx<T> even[4] = {x(0), x(2), x(4), x(6)}, e[4], y[8];
    dft<T, 4>(even, e);
    // u = x1 - x5 and z = x3 - x7; their parts, and the negated ones (n...) the sums below take.
    const V nure = part(5, false) - part(1, false), uim = part(1, true) - part(5, true);
    const V nuim = part(5, true) - part(1, true);
    const V nzre = part(7, false) - part(3, false), zim = part(3, true) - part(7, true);
    const V nzim = part(7, true) - part(3, true);
    // u·W_8 = h(u + (-i)u) and z·W_8^3 = h((-i)z - z); the -i multiple of
    // their difference as the sum h((-i)u - u) + h(z + (-i)z), the same
    // values as forming it from the difference, one shuffle sooner.
    const V h = V{T(0.70710678118654752440L), T(0.70710678118654752440L)};
    const Cx<T> a = subAdd(uim, nure) * h, b = subAdd(nzre, nzim) * h;
    const Cx<T> d1 = subAdd(nure, nuim) * h + subAdd(zim, nzre) * h, s1 = a + b;
    const Cx<T> u0 = x(1) + x(5), z0 = x(3) + x(7);
    const Cx<T> s0 = u0 + z0, d0 = CxOps<T>::differenceTimesMinusI(u0, z0);
    y[0] = e[0] + s0, y[4] = e[0] - s0, y[2] = e[2] + d0, y[6] = e[2] - d0;
    y[1] = e[1] + s1, y[5] = e[1] - s1, y[3] = e[3] + d1, y[7] = e[3] - d1;
    unroll<8>([&](auto k) VOK_SMALL_LAMBDA {
        put<T, Split, Inv>(reOut, imOut, RevOut ? reverse<3>(k) : int(k), Scaled ? times(y[k], scale) : y[k]);
    });
}
template <class T, bool Split, bool Inv, bool RevIn, bool RevOut, bool Scaled>
VOK_SMALL_KERNEL void eightPoints(const T* re, const T* im, T* reOut, T* imOut) {
    eightPointBody<T, Split, Inv, RevIn, RevOut, Scaled>(re, im, reOut, imOut);
}
#if VOK_HAS_VEX_COPIES
template <class T, bool Split, bool Inv, bool RevIn, bool RevOut, bool Scaled>
VOK_SMALL_VEX void eightPointsVex(const T* re, const T* im, T* reOut, T* imOut) {
    eightPointBody<T, Split, Inv, RevIn, RevOut, Scaled>(re, im, reOut, imOut);
}
#else
template <class T, bool Split, bool Inv, bool RevIn, bool RevOut, bool Scaled>
void eightPointsVex(const T* re, const T* im, T* reOut, T* imOut);  // never instantiated
#endif

// ---- complex, one part per operation ----

// A complex value as two scalars, with the same operations as Cx's lanes,
// rounded as they are: a + b, a·W, (a - b)·(-i) as ((a - b).im, (b - a).re).
// A call of a few points in place waits for its longest chain, and scalars
// take none of the vectors' shuffles of parts on it.
template <class T>
struct Sc {
    T re, im;
};
template <class T>
VOK_SMALL_INLINE Sc<T> operator+(Sc<T> a, Sc<T> b) { return {a.re + b.re, a.im + b.im}; }
template <class T>
VOK_SMALL_INLINE Sc<T> operator-(Sc<T> a, Sc<T> b) { return {a.re - b.re, a.im - b.im}; }

template <class T>
struct ScOps {
    template <int N, int K>
    VOK_SMALL_INLINE static Sc<T> twiddle(Sc<T> a) {
        constexpr T half = T(0.70710678118654752440L);
        if constexpr (K == 0) return a;
        else if constexpr (4 * K == N) return timesMinusI(a);
        else if constexpr (8 * K == N) return {(a.re + a.im) * half, (a.im + -a.re) * half};
        else if constexpr (8 * K == 3 * N) return {(a.im - a.re) * half, (-a.re - a.im) * half};
        else {
            constexpr int J = K * (kRootCount / N);
            const T c = kRoots<T>.reRe[J][0], s = kRoots<T>.imIm[J][1];  // cos and -sin
            return {a.re * c + a.im * -s, a.im * c + a.re * s};
        }
    }
    VOK_SMALL_INLINE static Sc<T> timesMinusI(Sc<T> a) { return {a.im, -a.re}; }
    VOK_SMALL_INLINE static Sc<T> differenceTimesMinusI(Sc<T> a, Sc<T> b) { return {a.im - b.im, b.re - a.re}; }
};

// For the kernels on scalars, here and the real ones' VEX copies below
// (without GCC's SLP vectorizer: see there).
#if defined(__clang__)
#define VOK_SMALL_SCALAR __attribute__((flatten, no_sanitize("address", "undefined", "thread")))
#define VOK_SMALL_SCALAR_VEX __attribute__((target("avx"), flatten, no_sanitize("address", "undefined", "thread")))
#else
#define VOK_SMALL_SCALAR \
    __attribute__((optimize("no-tree-slp-vectorize"), flatten, no_sanitize("address", "undefined", "thread")))
#define VOK_SMALL_SCALAR_VEX                                                                 \
    __attribute__((target("avx"), optimize("no-tree-slp-vectorize"), flatten, \
                   no_sanitize("address", "undefined", "thread")))
#endif

// complexFft on scalars: every part loaded and stored alone.
template <class T, int Order, bool Split, bool Inv, bool RevIn, bool RevOut, bool Scaled>
VOK_SMALL_INLINE void complexScalarBody(const T* re, const T* im, T* reOut, T* imOut) {
    constexpr int N = 1 << Order;
    constexpr T scale = T(1.0 / double(N));
    Sc<T> x[N], y[N];
    unroll<N>([&](auto n) VOK_SMALL_LAMBDA {
        const int at = RevIn ? reverse<Order>(n) : int(n);
        const T a = Split ? re[at] : re[2 * at], b = Split ? im[at] : re[2 * at + 1];
        x[n] = Inv && !Split ? Sc<T>{b, a} : Sc<T>{a, b};
    });
    splitradix::dft<Sc<T>, N, ScOps<T>>(x, y);
    unroll<N>([&](auto k) VOK_SMALL_LAMBDA {
        const int at = RevOut ? reverse<Order>(k) : int(k);
        Sc<T> v = y[k];
        if constexpr (Scaled) v = {v.re * scale, v.im * scale};
        if constexpr (Inv && !Split) v = {v.im, v.re};
        if constexpr (Split) {
            reOut[at] = v.re;
            imOut[at] = v.im;
        } else {
            reOut[2 * at] = v.re;
            reOut[2 * at + 1] = v.im;
        }
    });
}
template <class T, int Order, bool Split, bool Inv, bool RevIn, bool RevOut, bool Scaled>
VOK_SMALL_SCALAR void complexFftScalar(const T* re, const T* im, T* reOut, T* imOut) {
    complexScalarBody<T, Order, Split, Inv, RevIn, RevOut, Scaled>(re, im, reOut, imOut);
}
#if VOK_HAS_VEX_COPIES
template <class T, int Order, bool Split, bool Inv, bool RevIn, bool RevOut, bool Scaled>
VOK_SMALL_SCALAR_VEX void complexFftScalarVex(const T* re, const T* im, T* reOut, T* imOut) {
    complexScalarBody<T, Order, Split, Inv, RevIn, RevOut, Scaled>(re, im, reOut, imOut);
}
#else
template <class T, int Order, bool Split, bool Inv, bool RevIn, bool RevOut, bool Scaled>
void complexFftScalarVex(const T* re, const T* im, T* reOut, T* imOut);  // never instantiated
#endif

// ---- 16 points, two complex values per operation ----

// Two complex values (lo, hi) as the halves of one 256-bit vector (Wide) or
// as two 128-bit ones (Halves): the 16-point kernel below is written once
// over either, so every width runs the same operations on every value, and
// with AVX it takes half the additions of the kernel of one value per
// vector. A blend keeps lo of one pair and hi of another, so that a lane
// can take its own formula; on halves the other lane is never computed.
template <class T>
struct CxPairHalves {
    typedef typename Cx<T>::V V;
    V lo, hi;
    template <bool Swap>
    VOK_SMALL_INLINE static CxPairHalves load(const T* p) {
        const V v = get<T, false, Swap>(p, nullptr, 0).v;
        return {v, v};
    }
    VOK_SMALL_INLINE static CxPairHalves both(V v) { return {v, v}; }
    VOK_SMALL_INLINE static CxPairHalves blend(CxPairHalves a, CxPairHalves b) { return {a.lo, b.hi}; }
    template <bool Swap>
    VOK_SMALL_INLINE void store(T* p) const {
        put<T, false, Swap>(p, nullptr, 0, lo);
        put<T, false, Swap>(p, nullptr, 1, hi);
    }
    template <bool Lo, bool Hi>
    VOK_SMALL_INLINE CxPairHalves swapped() const {
        return {Lo ? swapParts<T>(lo) : lo, Hi ? swapParts<T>(hi) : hi};
    }
    template <bool A, bool B, bool C, bool D>
    VOK_SMALL_INLINE CxPairHalves flipped() const {
        return {negate<T, A, B>(lo), negate<T, C, D>(hi)};
    }
    // (x.im, y.re) of each value.
    VOK_SMALL_INLINE static CxPairHalves crossed(CxPairHalves x, CxPairHalves y) {
        return {__builtin_shufflevector(x.lo, y.lo, 1, 2), __builtin_shufflevector(x.hi, y.hi, 1, 2)};
    }
    VOK_SMALL_INLINE friend CxPairHalves operator+(CxPairHalves a, CxPairHalves b) { return {a.lo + b.lo, a.hi + b.hi}; }
    VOK_SMALL_INLINE friend CxPairHalves operator-(CxPairHalves a, CxPairHalves b) { return {a.lo - b.lo, a.hi - b.hi}; }
    VOK_SMALL_INLINE friend CxPairHalves operator*(CxPairHalves a, CxPairHalves b) { return {a.lo * b.lo, a.hi * b.hi}; }
};

#if VOK_HAS_VEX_COPIES
// Used only inside functions compiled for AVX, where 256-bit values pass as
// such: the warning about their passing elsewhere does not apply.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"
template <class T>
struct CxPairWide {
    typedef typename Cx<T>::V V;
    typedef T W __attribute__((vector_size(4 * sizeof(T))));
    W v;
    // One 16-byte load into both halves: GCC otherwise loads one half and
    // inserts it into the other, a shuffle more.
    VOK_SMALL_INLINE static CxPairWide broadcast(const T* p) {
#if !defined(__clang__)
        if constexpr (sizeof(T) == 8) return {(W)__builtin_ia32_vbroadcastf128_pd256((const V*)p)};
#endif
        const V h = get<T, false, false>(p, nullptr, 0).v;
        return {__builtin_shufflevector(h, h, 0, 1, 0, 1)};
    }
    template <bool Swap>
    VOK_SMALL_INLINE static CxPairWide load(const T* p) {
        const CxPairWide w = broadcast(p);
        return Swap ? w.template swapped<true, true>() : w;
    }
    VOK_SMALL_INLINE static CxPairWide both(const V& h) { return broadcast(reinterpret_cast<const T*>(&h)); }
    VOK_SMALL_INLINE static CxPairWide both(V&& h) { return {__builtin_shufflevector(h, h, 0, 1, 0, 1)}; }
    VOK_SMALL_INLINE static CxPairWide blend(CxPairWide a, CxPairWide b) {
#if !defined(__clang__)
        // A blend, not the lane permute GCC picks for the shuffle (three times its latency).
        if constexpr (sizeof(T) == 8) return {(W)__builtin_ia32_blendpd256(a.v, b.v, 0xc)};
#endif
        return {__builtin_shufflevector(a.v, b.v, 0, 1, 6, 7)};
    }
    template <bool Swap>
    VOK_SMALL_INLINE void store(T* p) const {
        const W w = Swap ? __builtin_shufflevector(v, v, 1, 0, 3, 2) : v;
        __builtin_memcpy(p, &w, sizeof w);
    }
    template <bool Lo, bool Hi>
    VOK_SMALL_INLINE CxPairWide swapped() const {
        return {__builtin_shufflevector(v, v, Lo, !Lo, Hi ? 3 : 2, Hi ? 2 : 3)};
    }
    template <bool A, bool B, bool C, bool D>
    VOK_SMALL_INLINE CxPairWide flipped() const {
        typedef std::conditional_t<sizeof(T) == 4, std::int32_t, std::int64_t> Bits;
        typedef Bits I __attribute__((vector_size(4 * sizeof(T))));
        constexpr Bits s = Bits(1) << (8 * sizeof(T) - 1);
        return {(W)((I)v ^ I{A ? s : 0, B ? s : 0, C ? s : 0, D ? s : 0})};
    }
    VOK_SMALL_INLINE static CxPairWide crossed(CxPairWide x, CxPairWide y) { return {__builtin_shufflevector(x.v, y.v, 1, 4, 3, 6)}; }
    VOK_SMALL_INLINE friend CxPairWide operator+(CxPairWide a, CxPairWide b) { return {a.v + b.v}; }
    VOK_SMALL_INLINE friend CxPairWide operator-(CxPairWide a, CxPairWide b) { return {a.v - b.v}; }
    VOK_SMALL_INLINE friend CxPairWide operator*(CxPairWide a, CxPairWide b) { return {a.v * b.v}; }
};
#pragma GCC diagnostic pop
#endif

// Products by -i of both values or of hi alone, and by W_128^J, as Cx's.
template <class P>
VOK_SMALL_INLINE P pairTimesMinusI(P a) { return a.template swapped<true, true>().template flipped<false, true, false, true>(); }
// (a - b)·(-i) of both values, as CxOps::differenceTimesMinusI.
template <class P>
VOK_SMALL_INLINE P pairDifferenceTimesMinusI(P a, P b) { return P::crossed(a - b, b - a); }
template <class P>
VOK_SMALL_INLINE P hiTimesMinusI(P a) { return a.template swapped<false, true>().template flipped<false, false, false, true>(); }
template <class T, int J, class P>
VOK_SMALL_INLINE P pairMulRoot(P a) {
    return a * P::both(kRoots<T>.reRe[J]) + a.template swapped<true, true>() * P::both(kRoots<T>.imIm[J]);
}

// The split-radix transform of 16 points (the same formulas as dft<T, 16>)
// on pairs: every pair loaded as (x_n, x_n), so that (x_n, x_n) + (x_n+8,
// -x_n+8) is (x_n + x_n+8, x_n - x_n+8), and every later pair holds two
// values the recursion forms alike; the results come out as neighbours,
// (y_2j, y_2j+1).
template <class T, class P, bool Inv, bool Scaled, bool InPlace>
VOK_SMALL_INLINE void pairFft16(const T* in, T* out) {
    constexpr T half = T(0.70710678118654752440L);
    const auto x = [&](int n) VOK_SMALL_LAMBDA { return P::template load<Inv>(in + 2 * n); };
    // (x_n + x_n+8, x_n - x_n+8)
    const auto sumDif = [&](int n) VOK_SMALL_LAMBDA { return x(n) + x(n + 8).template flipped<false, false, true, true>(); };
    const P pm0 = sumDif(0), pm2 = sumDif(2), pm4 = sumDif(4), pm6 = sumDif(6);
    const P pm1 = sumDif(1), pm3 = sumDif(3), pm5 = sumDif(5), pm7 = sumDif(7);
    const P h = P::both(typename Cx<T>::V{half, half});
    // The 8 even points: (e0, e1), (e2, e3) of the 4 points 0 mod 4; the
    // 2-point transforms of 2 and 6 mod 8 with their second values twiddled
    // by W_8 and W_8^3, then their sums and differences.
    const P q4 = hiTimesMinusI(pm4);
    const P e01 = pm0 + q4, e23 = pm0 - q4;
    const P a8 = P::blend(pm2, (pm2 + pairTimesMinusI(pm2)) * h);
    const P b8 = P::blend(pm6, (pairTimesMinusI(pm6) - pm6) * h);
    const P s8 = a8 + b8, d8 = pairDifferenceTimesMinusI(a8, b8);
    const P f01 = e01 + s8, f45 = e01 - s8, f23 = e23 + d8, f67 = e23 - d8;
    // The 4 points 1 mod 4 (u) and 3 mod 4 (z), values 0 and 1, 2 and 3, twiddled.
    // In place, (x_n + x_n+8, -i(x_n - x_n+8)) from loads whose hi parts are
    // swapped: no shuffle or sign flip after the sum on the longest chain
    // (the same values; a part that cancels exactly may come out +0 for -0).
    // Out of place its extra operations cost more than the chain saves.
    const auto q = [&](int n) VOK_SMALL_LAMBDA {
        return x(n).template swapped<false, true>().template flipped<false, false, false, true>() +
               x(n + 8).template swapped<false, true>().template flipped<false, false, true, false>();
    };
    const P q5 = InPlace ? q(5) : hiTimesMinusI(pm5), q7 = InPlace ? q(7) : hiTimesMinusI(pm7);
    const P u01 = pm1 + q5, u23 = pm1 - q5, z01 = pm3 + q7, z23 = pm3 - q7;
    const P a01 = P::blend(u01, pairMulRoot<T, 8>(u01));
    const P a23 = P::blend((u23 + pairTimesMinusI(u23)) * h, pairMulRoot<T, 24>(u23));
    const P b01 = P::blend(z01, pairMulRoot<T, 24>(z01));
    const P b23 = P::blend((pairTimesMinusI(z23) - z23) * h, pairMulRoot<T, 72>(z23));
    const P s01 = a01 + b01, s23 = a23 + b23;
    const P d01 = pairDifferenceTimesMinusI(a01, b01), d23 = pairDifferenceTimesMinusI(a23, b23);
    const P y[8] = {f01 + s01, f23 + s23, f45 + d01, f67 + d23, f01 - s01, f23 - s23, f45 - d01, f67 - d23};
    const P scale = P::both(typename Cx<T>::V{T(1.0 / 16), T(1.0 / 16)});
    unroll<8>([&](auto j) VOK_SMALL_LAMBDA { (Scaled ? y[j] * scale : y[j]).template store<Inv>(out + 4 * j); });
}

template <class T, bool Inv, bool Scaled, bool InPlace>
VOK_SMALL_KERNEL void pairFft16Halves(const T* re, const T*, T* reOut, T*) {
    pairFft16<T, CxPairHalves<T>, Inv, Scaled, InPlace>(re, reOut);
}
#if VOK_HAS_VEX_COPIES
template <class T, bool Inv, bool Scaled, bool InPlace>
VOK_SMALL_VEX void pairFft16Wide(const T* re, const T*, T* reOut, T*) {
    pairFft16<T, CxPairWide<T>, Inv, Scaled, InPlace>(re, reOut);
}
#else
template <class T, bool Inv, bool Scaled, bool InPlace>
void pairFft16Wide(const T* re, const T* im, T* reOut, T* imOut);  // never instantiated
#endif

// ---- real signal to spectrum ----

// The smallest real transforms as scalar recursions on half spectra: a call
// of a few points in place waits for its longest chain of operations (the
// next call reads what this one wrote), and the real split keeps that chain
// at one addition per halving plus one product, where the complex half
// transform and its recombination add the shuffles of two parts per vector.
//
// Half spectrum of N reals: re[0 .. N/2], im[0 .. N/2] (im[0] and im[N/2]
// zero, not stored). X[k] = E[k] + W_N^k O[k] from the half spectra of the
// even and odd points, and X[N/2-k] = conj(E[k] - W_N^k O[k]).
template <class T, int N>
VOK_SMALL_INLINE void realDft(const T* x, T* re, T* im) {
    if constexpr (N == 1) {
        re[0] = x[0];
    } else if constexpr (N == 2) {
        re[0] = x[0] + x[1];
        re[1] = x[0] - x[1];
    } else {
        constexpr int H = N / 2, Q = N / 4;
        T even[H], odd[H], er[Q + 1], ei[Q + 1], orr[Q + 1], oi[Q + 1];
        unroll<H>([&](auto n) VOK_SMALL_LAMBDA {
            even[n] = x[2 * n];
            odd[n] = x[2 * n + 1];
        });
        realDft<T, H>(even, er, ei);
        realDft<T, H>(odd, orr, oi);
        re[0] = er[0] + orr[0];
        re[H] = er[0] - orr[0];
        re[Q] = er[Q];
        im[Q] = -orr[Q];
        unroll<Q - 1>([&](auto jc) VOK_SMALL_LAMBDA {
            constexpr int j = jc + 1;
            T tr, ti;
            if constexpr (8 * j == N) {
                constexpr T h = T(0.70710678118654752440L);
                tr = (orr[j] + oi[j]) * h;
                ti = (oi[j] - orr[j]) * h;
            } else {
                const Cx<T> w = kRoots<T>.w[j * (kRootCount / N)];  // (cos, -sin)
                tr = orr[j] * w.re() - oi[j] * w.im();
                ti = oi[j] * w.re() + orr[j] * w.im();
            }
            re[j] = er[j] + tr;
            im[j] = ei[j] + ti;
            re[H - j] = er[j] - tr;
            im[H - j] = ti - ei[j];
        });
    }
}

// The inverse: N reals x[n] = sum of X[k] w^kn over the whole conjugate-
// symmetric spectrum, w = exp(2πi/N), unscaled. The even points are the
// transform of A[k] = X[k] + conj X[N/2-k], the odd ones of B[k] = (X[k] -
// conj X[N/2-k]) w^k, both half spectra of N/2 points.
//
// Bin N/8 of A and B is bin Q of the half transforms, which doubles it: the
// halves get it doubled already (Doubled), so that B's product by 1/√2 and
// the doubling are one product by √2, the same value one operation sooner
// on the longest chain of a call in place.
template <class T, int N, bool Doubled = false>
VOK_SMALL_INLINE void realIdft(const T* re, const T* im, T* x) {
    if constexpr (N == 1) {
        x[0] = re[0];
    } else if constexpr (N == 2) {
        x[0] = re[0] + re[1];
        x[1] = re[0] - re[1];
    } else {
        constexpr int H = N / 2, Q = N / 4;
        T ar[Q + 1], ai[Q + 1], br[Q + 1], bi[Q + 1], even[H], odd[H];
        ar[0] = re[0] + re[H];
        br[0] = re[0] - re[H];
        ar[Q] = Doubled ? re[Q] : re[Q] + re[Q];
        br[Q] = Doubled ? -im[Q] : -(im[Q] + im[Q]);
        unroll<Q - 1>([&](auto jc) VOK_SMALL_LAMBDA {
            constexpr int j = jc + 1;
            ar[j] = re[j] + re[H - j];
            ai[j] = im[j] - im[H - j];
            const T dr = re[j] - re[H - j], di = im[j] + im[H - j];
            if constexpr (8 * j == N) {
                constexpr T twoH = 2 * T(0.70710678118654752440L);
                ar[j] = ar[j] + ar[j];
                ai[j] = ai[j] + ai[j];
                br[j] = (dr - di) * twoH;
                bi[j] = (dr + di) * twoH;
            } else {
                const Cx<T> w = kRoots<T>.w[j * (kRootCount / N)];  // (cos, -sin)
                br[j] = dr * w.re() + di * w.im();
                bi[j] = di * w.re() - dr * w.im();
            }
        });
        realIdft<T, H, (N >= 8)>(ar, ai, even);
        realIdft<T, H, (N >= 8)>(br, bi, odd);
        unroll<H>([&](auto n) VOK_SMALL_LAMBDA {
            x[2 * n] = even[n];
            x[2 * n + 1] = odd[n];
        });
    }
}

// Up to this order the real kernels run the scalar recursions: to 16
// points, the complex half transform's shuffles of two parts per vector
// cost more than the scalar code's longer listing.
constexpr int kScalarRealOrders = 4;

// Up to this order the real kernels load and store one part at a time.
constexpr int kScalarStoreOrders = 3;

enum PackedLayout { kPack = 0, kPerm = 1, kCcs = 2 };

// Positions of the real and imaginary parts of bin k (0 < k < N/2) in Perm
// and CCS, and of the real bin N/2 in a layout of N reals (N + 2 for CCS).
template <int Layout>
constexpr int reAt(int k) { return 2 * k; }
template <int Layout, int N>
constexpr int nyquistAt() { return Layout == kPack ? N - 1 : Layout == kPerm ? 1 : N; }

// The bins X[0 .. N/2] of N = 2^Order reals (Order 1 ... kScalarRealOrders)
// by the scalar recursion, stored in the layout. Conj: the inverse sign,
// which for a real signal conjugates the spectrum.
template <class T, int Order, int Layout, bool Conj, bool Scaled>
VOK_SMALL_KERNEL void realForward(const T* in, T* out) {
    constexpr int M = 1 << (Order - 1), N = 2 * M;
    constexpr T scale = T(1.0 / double(N));
    Cx<T> X[M + 1];
    const auto bin = [&](auto kc, Cx<T> v) VOK_SMALL_LAMBDA {
        if constexpr (Scaled) v = times(v, scale);
        X[kc] = Conj ? conj(v) : v;
    };
    static_assert(Order <= kScalarRealOrders, "larger orders run the block kernels");
    T x[N], re[M + 1], im[M + 1];
    unroll<N>([&](auto n) VOK_SMALL_LAMBDA { x[n] = in[n]; });
    realDft<T, N>(x, re, im);
    unroll<M - 1>([&](auto kc) VOK_SMALL_LAMBDA {
        constexpr int k = kc + 1;
        bin(std::integral_constant<int, k>{}, Cx<T>(re[k], im[k]));
    });
    const T r0 = re[0], rm = re[M];
    const T first = Scaled ? r0 * scale : r0, last = Scaled ? rm * scale : rm;
    // Up to 8 points one part per store, as the next call in place loads
    // them (a pair formed from two parts is a shuffle on that call's chain:
    // 8 points 7.2 -> 6.1 ns in place); 16 points as pairs at even
    // positions, the loads of a spectrum-to-real call in place: a load
    // spanning two earlier stores would wait for both to reach the cache.
    const auto pairAt = [&](int at, typename Cx<T>::V v) VOK_SMALL_LAMBDA { __builtin_memcpy(out + at, &v, sizeof v); };
    if constexpr (Order <= kScalarStoreOrders) {
        const int at1 = Layout == kPack ? 1 : 2;
        out[0] = first;
        unroll<M - 1>([&](auto kc) VOK_SMALL_LAMBDA {
            out[at1 + 2 * kc] = X[kc + 1].re();
            out[at1 + 2 * kc + 1] = X[kc + 1].im();
        });
        if constexpr (Layout == kCcs) out[1] = T(0), out[N + 1] = T(0);
        out[nyquistAt<Layout, N>()] = last;
    } else if constexpr (Layout == kPack) {
        unroll<M>([&](auto jc) VOK_SMALL_LAMBDA {
            constexpr int j = jc;
            pairAt(2 * j, typename Cx<T>::V{j == 0 ? first : X[j].im(), j + 1 == M ? last : X[j + 1].re()});
        });
    } else {
        pairAt(0, typename Cx<T>::V{first, Layout == kPerm ? last : T(0)});
        unroll<M - 1>([&](auto kc) VOK_SMALL_LAMBDA { pairAt(2 * (kc + 1), X[kc + 1].v); });
        if constexpr (Layout == kCcs) pairAt(N, typename Cx<T>::V{last, T(0)});
    }
}

// ---- conjugate-symmetric spectrum to real signal ----

// N = 2^Order reals (Order 1 ... kScalarRealOrders) from the bins X[0 .. N/2]
// of a layout: x[n] = sum of X[k] w^kn over the whole conjugate-symmetric
// spectrum, w = exp(2πi/N), unscaled. Conj: the forward sign, the inverse
// one on the conjugated spectrum.
//
// A call in place waits for its longest chain from the loads of what the
// call before stored: the scalar recursion has no shuffles of parts on it
// (8 points 7.5 -> 6.2 ns float in place, against vector sums of the
// stored pairs), and Pack's bins of 16 points, which straddle the pairs
// stored, are loaded as those pairs.
template <class T, int Order, int Layout, bool Conj, bool Scaled>
VOK_SMALL_KERNEL void ccsToReal(const T* in, T* out) {
    static_assert(Order >= 1 && Order <= kScalarRealOrders);
    constexpr int M = 1 << (Order - 1), N = 2 * M;
    constexpr T scale = T(1.0 / double(N));
    typedef typename Cx<T>::V V;
    // Up to 8 points every part is loaded and stored alone (the previous call
    // in place stored them so), 16 points as pairs at even positions.
    constexpr bool scalar = Order <= kScalarStoreOrders;
    if constexpr (Order == 1) {
        const T x0 = in[0], xm = in[nyquistAt<Layout, N>()];
        const Cx<T> a = V{x0, x0} + negate<T, false, true>(V{xm, xm});  // (r0 + r1, r0 - r1)
        put<T, false, false>(out, nullptr, 0, Scaled ? times(a, scale) : a);
    } else {
        T re[M + 1], im[M + 1], x[N];
        if constexpr (Layout == kPack && scalar) {
            re[0] = in[0];
            re[M] = in[N - 1];
            unroll<M - 1>([&](auto kc) VOK_SMALL_LAMBDA {
                constexpr int k = kc + 1;
                re[k] = in[2 * k - 1];
                im[k] = Conj ? -in[2 * k] : in[2 * k];
            });
        } else if constexpr (Layout == kPack) {
            // Bin k straddles the pairs k-1 and k: loaded as the two parts of
            // one vector it would span two stores of the transform before.
            Cx<T> pairs[M];
            unroll<M>([&](auto j) VOK_SMALL_LAMBDA { pairs[j] = getWhole<T>(in, j); });
            re[0] = pairs[0].re();
            re[M] = pairs[M - 1].im();
            unroll<M - 1>([&](auto kc) VOK_SMALL_LAMBDA {
                constexpr int k = kc + 1;
                re[k] = pairs[k - 1].im();
                im[k] = Conj ? -pairs[k].re() : pairs[k].re();
            });
        } else {
            re[0] = in[0];
            re[M] = in[nyquistAt<Layout, N>()];
            unroll<M - 1>([&](auto kc) VOK_SMALL_LAMBDA {
                constexpr int k = kc + 1;
                re[k] = in[reAt<Layout>(k)];
                im[k] = Conj ? -in[reAt<Layout>(k) + 1] : in[reAt<Layout>(k) + 1];
            });
        }
        realIdft<T, N>(re, im, x);
        if constexpr (scalar) {
            unroll<N>([&](auto n) VOK_SMALL_LAMBDA { out[n] = Scaled ? x[n] * scale : x[n]; });
        } else {
            unroll<M>([&](auto n) VOK_SMALL_LAMBDA {
                Cx<T> v(x[2 * n], x[2 * n + 1]);
                if constexpr (Scaled) v = times(v, scale);
                __builtin_memcpy(out + 2 * n, &v.v, sizeof v.v);
            });
        }
    }
}

// The real kernels in the VEX encoding, as complexFftVex, and as scalar
// as the SSE2 ones: GCC's vectorizer, given AVX, gathers their scalars into
// vectors by shuffles on the chain of a call in place (8 points 7.0 -> 9.9 ns).
#if VOK_HAS_VEX_COPIES
template <class T, int Order, int Layout, bool Conj, bool Scaled>
VOK_SMALL_SCALAR_VEX void realForwardVex(const T* in, T* out) {
    realForward<T, Order, Layout, Conj, Scaled>(in, out);
}
template <class T, int Order, int Layout, bool Conj, bool Scaled>
VOK_SMALL_SCALAR_VEX void ccsToRealVex(const T* in, T* out) {
    ccsToReal<T, Order, Layout, Conj, Scaled>(in, out);
}
#else
template <class T, int Order, int Layout, bool Conj, bool Scaled>
void realForwardVex(const T* in, T* out);  // never instantiated
template <class T, int Order, int Layout, bool Conj, bool Scaled>
void ccsToRealVex(const T* in, T* out);
#endif

#undef VOK_SMALL_INLINE
#undef VOK_SMALL_KERNEL
#undef VOK_SMALL_LAMBDA
#undef VOK_SMALL_VEX
#undef VOK_SMALL_SCALAR
#undef VOK_SMALL_SCALAR_VEX

}  // namespace vok::kernels::small
