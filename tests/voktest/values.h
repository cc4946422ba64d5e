// Element-type plumbing shared by the convolution and correlation tests: the
// public complex records as long-double complex numbers, random vectors from
// a fixed seed, and the correlation lag summed from its definition.
#pragma once

#include <algorithm>
#include <complex>
#include <cstring>
#include <initializer_list>
#include <random>
#include <type_traits>
#include <vector>

#include "vok.h"

namespace voktest {

using LC = std::complex<long double>;

template <class T> constexpr bool isCx = std::is_same_v<T, FloatComplex> || std::is_same_v<T, DoubleComplex>;
template <class T>
using Real = std::conditional_t<std::is_same_v<T, float> || std::is_same_v<T, FloatComplex>, float, double>;

template <class T> LC asLC(const T& v) {
    if constexpr (isCx<T>) return {v.re, v.im};
    else return {(long double)v, 0};
}
inline LC asLC(const LC& v) { return v; }
template <class T> T fromLC(LC v) {
    if constexpr (isCx<T>) return {Real<T>(v.real()), Real<T>(v.imag())};
    else return T(v.real());
}

// The values given, as T (complex ones with a zero imaginary part).
template <class T>
std::vector<T> valuesOf(std::initializer_list<long double> v) {
    std::vector<T> r;
    for (long double x : v) r.push_back(fromLC<T>(x));
    return r;
}

// Equal to the bit: n elements, or whole vectors.
template <class T>
bool sameBits(const T* a, const T* b, std::size_t n) {
    return std::memcmp(a, b, sizeof(T) * n) == 0;
}
template <class T>
bool sameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && sameBits(a.data(), b.data(), a.size());
}

// Largest error relative to the largest wanted magnitude.
template <class G, class W>
double maxRelativeError(const std::vector<G>& got, const std::vector<W>& want) {
    long double scale = 1e-30L, err = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        scale = std::max(scale, std::abs(asLC(want[i])));
        err = std::max(err, std::abs(asLC(got[i]) - asLC(want[i])));
    }
    return double(err / scale);
}

// n values (both parts of complex ones) uniform in [-scale, scale).
template <class T>
std::vector<T> randomVector(long long n, unsigned seed, double scale = 1) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-scale, scale);
    std::vector<T> v(n);
    for (auto& x : v) {
        if constexpr (requires { x.re; }) x = {decltype(x.re)(dist(gen)), decltype(x.im)(dist(gen))};
        else x = T(dist(gen));
    }
    return v;
}

}  // namespace voktest
