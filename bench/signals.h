// Smooth deterministic test signals shared by the benchmark programs, real or
// complex, so that every program times the same kind of data.
#pragma once

#include <cmath>
#include <type_traits>
#include <vector>

#include "vok.h"

namespace bench {

template <class T>
std::vector<T> signal(long long n, int seed) {
    std::vector<T> v(n);
    for (long long i = 0; i < n; ++i) {
        const double re = std::sin(0.37 * double(i) + seed) * 0.5, im = std::cos(0.23 * double(i) - seed);
        if constexpr (std::is_same_v<T, FloatComplex>) v[i] = {float(re), float(im)};
        else if constexpr (std::is_same_v<T, DoubleComplex>) v[i] = {re, im};
        else v[i] = T(re);
    }
    return v;
}

}  // namespace bench
