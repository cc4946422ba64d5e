// Views of the public element records as lanes of their real type, and
// complex arithmetic on the records themselves.
#pragma once

#include <type_traits>

#include "vok/types.h"

namespace vok {

template <class T> struct ElementTraits;
template <> struct ElementTraits<float> { using Real = float; static constexpr int lanes = 1; };
template <> struct ElementTraits<double> { using Real = double; static constexpr int lanes = 1; };
template <> struct ElementTraits<FloatComplex> { using Real = float; static constexpr int lanes = 2; };
template <> struct ElementTraits<DoubleComplex> { using Real = double; static constexpr int lanes = 2; };

template <class T>
using RealOf = typename ElementTraits<T>::Real;
template <class T>
constexpr bool isComplex = ElementTraits<T>::lanes == 2;

// Element arrays seen as arrays of their real lanes (complex records are two
// adjacent reals, so this is the same memory).
template <class T>
inline RealOf<T>* lanesOf(T* p) { return reinterpret_cast<RealOf<T>*>(p); }
template <class T>
inline const RealOf<T>* lanesOf(const T* p) { return reinterpret_cast<const RealOf<T>*>(p); }

template <class C>
constexpr C complexMul(C a, C b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

}  // namespace vok
