// Element products and extended-precision accumulation shared by the dot
// products and the correlations: float data accumulates in double, double
// data in long double, and each sum is rounded once when stored.
#pragma once

#include <type_traits>

#include "core/complex.h"

namespace vok::products {

template <class T> struct Wide { using type = double; };
template <> struct Wide<double> { using type = long double; };
template <> struct Wide<DoubleComplex> { using type = long double; };
template <class T> using WideOf = typename Wide<T>::type;

// A complex value in the accumulator's precision.
template <class W>
struct Acc {
    W re = 0, im = 0;
    Acc& operator+=(const Acc& o) { re += o.re; im += o.im; return *this; }
};

template <class W, class T>
Acc<W> widen(const T& v) {
    if constexpr (isComplex<T>) return {W(v.re), W(v.im)};
    else return {W(v), 0};
}

// a·b, with conj(a) when 'conjugateFirst' (correlation) and a complex.
template <bool conjugateFirst, class W, class A, class B>
Acc<W> product(const A& a, const B& b) {
    const Acc<W> x = widen<W>(a), y = widen<W>(b);
    const W xim = conjugateFirst ? -x.im : x.im;
    return {x.re * y.re - xim * y.im, x.re * y.im + xim * y.re};
}

// The result element of a pair: complex when either operand is.
template <class A, class B>
using ResultOf = std::conditional_t<isComplex<A> || isComplex<B>,
                                    std::conditional_t<sizeof(RealOf<A>) == 8 || sizeof(RealOf<B>) == 8,
                                                       DoubleComplex, FloatComplex>,
                                    A>;

template <class R, class W>
R narrow(const Acc<W>& v) {
    if constexpr (isComplex<R>) return {RealOf<R>(v.re), RealOf<R>(v.im)};
    else return R(v.re);
}

// Σ a[i]·b[i] (or conj(a[i])·b[i]) over i < n, four terms per step.
template <bool conjugateFirst, class A, class B>
Acc<WideOf<A>> sum(const A* a, const B* b, long long n) {
    using W = WideOf<A>;
    Acc<W> s0, s1, s2, s3;
    long long i = 0;
    for (; i + 4 <= n; i += 4) {
        s0 += product<conjugateFirst, W>(a[i], b[i]);
        s1 += product<conjugateFirst, W>(a[i + 1], b[i + 1]);
        s2 += product<conjugateFirst, W>(a[i + 2], b[i + 2]);
        s3 += product<conjugateFirst, W>(a[i + 3], b[i + 3]);
    }
    for (; i < n; ++i) s0 += product<conjugateFirst, W>(a[i], b[i]);
    s0 += s1;
    s2 += s3;
    s0 += s2;
    return s0;
}

}  // namespace vok::products
