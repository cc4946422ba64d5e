// The six generator kinds (float, double, their complex forms and the two
// 16-bit forms) behind one interface, so that each behaviour is one typed test.
#pragma once

#include <complex>
#include <type_traits>
#include <vector>

#include "vok.h"

namespace voktest {

using Sample = std::complex<long double>;

template <class T>
Sample toSample(T v) {
    if constexpr (std::is_arithmetic_v<T>) return Sample(v);
    else return Sample(v.re, v.im);
}

// P: parameter type, M: magnitude type, Out: sample type, Eps: relative rounding.
template <class State, class P_, class M_, class Out, auto Init, auto One, auto Block, double Eps>
struct Generator {
    using P = P_;
    using M = M_;
    static constexpr bool cplx = !std::is_arithmetic_v<Out>;
    static constexpr bool integer = std::is_same_v<Out, short> || std::is_same_v<Out, ShortComplex>;
    static constexpr double eps = Eps;
    State st;
    template <class... Args>
    void init(Args... args) { Init(args..., &st); }
    Sample one() { return toSample(One(&st)); }
    void block(std::vector<Sample>& out, int n) {
        std::vector<Out> b(n);
        Block(&st, b.data(), n);
        for (Out v : b) out.push_back(toSample(v));
    }
};

}  // namespace voktest
