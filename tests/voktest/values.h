// Element-type plumbing shared by the tests: the public complex records as
// long-double complex numbers, bit-for-bit comparisons (across widths too),
// error measures and random vectors from a fixed seed.
#pragma once

#include <algorithm>
#include <complex>
#include <cstring>
#include <initializer_list>
#include <random>
#include <type_traits>
#include <vector>

#include "voktest/widths.h"
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
inline LC asLC(const ShortComplex& v) { return {(long double)v.re, (long double)v.im}; }
// n elements, or a whole vector, of any element type.
template <class T> std::vector<LC> asLCs(const T* v, std::size_t n) {
    std::vector<LC> r(n);
    for (std::size_t i = 0; i < n; ++i) r[i] = asLC(v[i]);
    return r;
}
template <class T> std::vector<LC> asLCs(const std::vector<T>& v) { return asLCs(v.data(), v.size()); }
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

// Runs 'fill' at every width on n elements followed by 'guards' more, all first set to 'guard': the guards must
// stay, and the n elements come out the same bits at every width; returns them.
template <class T, class Fill>
std::vector<T> sameAtEveryWidth(std::size_t n, T guard, Fill fill, std::size_t guards = 2) {
    std::vector<T> first;
    forEachWidth([&] {
        std::vector<T> out(n + guards, guard);
        fill(out.data());
        for (std::size_t i = n; i < out.size(); ++i) EXPECT_TRUE(sameBits(&out[i], &guard, 1)) << "wrote past the end";
        if (first.empty()) first = out;
        EXPECT_TRUE(sameBits(first, out)) << "width-dependent";
    });
    first.resize(n);
    return first;
}

// The largest distance between two signals of any element types (got empty: want's largest magnitude), and
// that relative to want's largest magnitude.
template <class G, class W>
long double maxError(const std::vector<G>& got, const std::vector<W>& want) {
    long double err = 0;
    for (std::size_t i = 0; i < want.size(); ++i)
        err = std::max(err, std::abs((got.empty() ? LC(0) : asLC(got[i])) - asLC(want[i])));
    return err;
}
template <class G, class W>
double maxRelativeError(const std::vector<G>& got, const std::vector<W>& want) {
    return double(maxError(got, want) / std::max(1e-30L, maxError(std::vector<W>{}, want)));
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
