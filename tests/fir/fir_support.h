// Shared pieces of the FIR tests: the entry points of every type combination,
// random data, and a long-double evaluation of the multirate
// definition (upsample by U at phase Pu, filter, keep every D-th sample from
// phase Pd) over a whole stream.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <tuple>
#include <vector>

#include "support/values.h"
#include "vok.h"

namespace firtest {

using voktest::asLC;
using voktest::fromLC;
using voktest::LC;

template <class T> constexpr bool isDouble = std::is_same_v<T, double> || std::is_same_v<T, DoubleComplex>;

template <class T> std::vector<T> randomVector(std::mt19937& gen, std::size_t n) {
    return voktest::randomVector<T>((long long)n, unsigned(gen()));
}

// The entry points of one type combination: D data (and delay line), W taps,
// O output; the two-state (l) and the single-state (h) layer.
#define FIRTEST_API(L, TL, DL, D_, W_, O_)                                       \
    struct {                                                                     \
        using D = D_;                                                            \
        using W = W_;                                                            \
        using O = O_;                                                            \
        const char *name = #L, *tapsName = #TL, *dataName = #DL;                 \
        decltype(&vok##TL##FirlInit) lInit = vok##TL##FirlInit;                  \
        decltype(&vok##TL##FirlInitMr) lInitMr = vok##TL##FirlInitMr;           \
        decltype(&vok##DL##FirlInitDlyl) lInitDlyl = vok##DL##FirlInitDlyl;     \
        decltype(&vok##TL##FirlSetTaps) lSetTaps = vok##TL##FirlSetTaps;        \
        decltype(&vok##TL##FirlGetTaps) lGetTaps = vok##TL##FirlGetTaps;        \
        decltype(&vok##DL##FirlSetDlyl) lSetDlyl = vok##DL##FirlSetDlyl;        \
        decltype(&vok##DL##FirlGetDlyl) lGetDlyl = vok##DL##FirlGetDlyl;        \
        decltype(&vok##L##Firl) firl = vok##L##Firl;                            \
        decltype(&vok##L##bFirl) bfirl = vok##L##bFirl;                         \
        decltype(&vok##L##FirInit) hInit = vok##L##FirInit;                     \
        decltype(&vok##L##FirInitMr) hInitMr = vok##L##FirInitMr;               \
        decltype(&vok##TL##FirSetTaps) hSetTaps = vok##TL##FirSetTaps;          \
        decltype(&vok##TL##FirGetTaps) hGetTaps = vok##TL##FirGetTaps;          \
        decltype(&vok##DL##FirSetDlyl) hSetDlyl = vok##DL##FirSetDlyl;          \
        decltype(&vok##DL##FirGetDlyl) hGetDlyl = vok##DL##FirGetDlyl;          \
        decltype(&vok##L##Fir) fir = vok##L##Fir;                               \
        decltype(&vok##L##bFir) bfir = vok##L##bFir;                            \
    }

template <class Body> void forEachApi(Body body) {
    FIRTEST_API(s, s, s, float, float, float) s;
    FIRTEST_API(d, d, d, double, double, double) d;
    FIRTEST_API(c, c, c, FloatComplex, FloatComplex, FloatComplex) c;
    FIRTEST_API(z, z, z, DoubleComplex, DoubleComplex, DoubleComplex) z;
    FIRTEST_API(sc, c, s, float, FloatComplex, FloatComplex) sc;
    FIRTEST_API(cs, s, c, FloatComplex, float, FloatComplex) cs;
    FIRTEST_API(dz, z, d, double, DoubleComplex, DoubleComplex) dz;
    FIRTEST_API(zd, d, z, DoubleComplex, double, DoubleComplex) zd;
    std::apply([&](const auto&... api) { (([&] { SCOPED_TRACE(api.name); body(api); })(), ...); },
               std::tie(s, d, c, z, sc, cs, dz, zd));
}

inline std::vector<short> randomShorts(std::mt19937& gen, std::size_t n, int limit) {
    std::uniform_int_distribution<int> u(-limit, limit);
    std::vector<short> v(n);
    for (auto& s : v) s = short(u(gen));
    return v;
}

struct Rates {
    int up, upPhase, down, downPhase, tapsLen;
};

inline std::ostream& operator<<(std::ostream& os, const Rates& r) {
    return os << "U=" << r.up << " Pu=" << r.upPhase << " D=" << r.down << " Pd=" << r.downPhase
              << " L=" << r.tapsLen;
}

// Direct evaluation over a whole stream: history (chronological) then the
// inputs of every call so far. Outputs m = 0 .. (inputs / D) * U - 1, each
// with the sum of the magnitudes of its terms (for the tolerance).
struct Reference {
    std::vector<LC> out;
    std::vector<long double> mag;
};

template <class D, class W>
Reference directMultirate(const std::vector<W>& h, const Rates& r, const std::vector<D>& history,
                          const std::vector<D>& x) {
    Reference ref;
    const std::int64_t H = std::int64_t(history.size());
    const std::int64_t outs = std::int64_t(x.size()) / r.down * r.up;
    auto input = [&](std::int64_t i) -> LC {
        if (i >= 0) return asLC(x[std::size_t(i)]);
        if (H + i >= 0) return asLC(history[std::size_t(H + i)]);
        ADD_FAILURE() << "the definition reached past the history at input " << i;
        return 0;
    };
    for (std::int64_t m = 0; m < outs; ++m) {
        const std::int64_t j = r.downPhase + m * r.down;
        LC sum = 0;
        long double mag = 0;
        for (std::int64_t k = 0; k < r.tapsLen; ++k) {
            const std::int64_t n = j - k - r.upPhase;  // upsampled index relative to the phase
            if (n % r.up != 0) continue;               // a zero of the upsampled signal
            const LC term = asLC(h[std::size_t(k)]) * input(n >= 0 ? n / r.up : -((-n) / r.up));
            sum += term;
            mag += std::abs(term);
        }
        ref.out.push_back(sum);
        ref.mag.push_back(mag);
    }
    return ref;
}

// The output agrees with the reference within a few roundings of its type:
// |got - want| <= eps * (2 * mag + |want|), mag the sum of the terms'
// magnitudes. Float outputs are double sums rounded once, well inside it.
// Double outputs are summed in double, each product and each addition
// rounded once: the worst case is about L * 2^-53 * mag for L terms, but on
// the random data here the roundings partly cancel and stay within the bound
// above with eps = 2^-52.
template <class O>
::testing::AssertionResult closeTo(const O& got, LC want, long double mag) {
    const long double eps = isDouble<O> ? 0x1p-52L : 0x1p-23L;
    const long double tol = eps * (2 * mag + std::abs(want)) + 1e-300L;
    const LC g = asLC(got);
    if (std::abs(g - want) <= tol) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << double(g.real()) << ", " << double(g.imag()) << "), want ("
                                         << double(want.real()) << ", " << double(want.imag()) << ")";
}

}  // namespace firtest
