// Shared pieces of the FIR tests: the entry points of every type combination
// in one table, random data, and a long-double evaluation of the multirate
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

#include "vok.h"

namespace firtest {

using LC = std::complex<long double>;

inline LC asLC(short v) { return {(long double)v, 0}; }
inline LC asLC(float v) { return {v, 0}; }
inline LC asLC(double v) { return {v, 0}; }
inline LC asLC(FloatComplex v) { return {v.re, v.im}; }
inline LC asLC(DoubleComplex v) { return {v.re, v.im}; }

template <class T> T fromLC(LC v);
template <> inline float fromLC<float>(LC v) { return float(v.real()); }
template <> inline double fromLC<double>(LC v) { return double(v.real()); }
template <> inline FloatComplex fromLC<FloatComplex>(LC v) { return {float(v.real()), float(v.imag())}; }
template <> inline DoubleComplex fromLC<DoubleComplex>(LC v) { return {double(v.real()), double(v.imag())}; }

template <class T>
constexpr bool isDouble = std::is_same_v<T, double> || std::is_same_v<T, DoubleComplex>;

template <class T>
std::vector<T> randomVector(std::mt19937& gen, std::size_t n) {
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<T> v(n);
    for (auto& e : v) e = fromLC<T>(LC(u(gen), u(gen)));
    return v;
}

// The entry points of one type combination: D data (and delay line), W taps,
// O output; the two-state and the single-state layer.
template <class D_, class W_, class O_>
struct Api {
    using D = D_;
    using W = W_;
    using O = O_;
    const char* name;
    const char* tapsName;  // letter of the taps-type access functions
    const char* dataName;  // letter of the data-type access functions
    void(VOK_CALL* lInit)(W*, int, FirTapState*);
    void(VOK_CALL* lInitMr)(W*, int, int, int, int, int, FirTapState*);
    void(VOK_CALL* lInitDlyl)(FirTapState*, D*, FirDlyState*);
    void(VOK_CALL* lSetTaps)(const W*, FirTapState*);
    void(VOK_CALL* lGetTaps)(FirTapState*, W*);
    void(VOK_CALL* lSetDlyl)(FirTapState*, const D*, FirDlyState*);
    void(VOK_CALL* lGetDlyl)(FirTapState*, FirDlyState*, D*);
    O(VOK_CALL* firl)(FirTapState*, FirDlyState*, D);
    void(VOK_CALL* bfirl)(FirTapState*, FirDlyState*, const D*, O*, int);
    void(VOK_CALL* hInit)(const W*, int, const D*, FirState*);
    void(VOK_CALL* hInitMr)(const W*, int, const D*, int, int, int, int, FirState*);
    void(VOK_CALL* hSetTaps)(const W*, FirState*);
    void(VOK_CALL* hGetTaps)(FirState*, W*);
    void(VOK_CALL* hSetDlyl)(const D*, FirState*);
    void(VOK_CALL* hGetDlyl)(FirState*, D*);
    O(VOK_CALL* fir)(FirState*, D);
    void(VOK_CALL* bfir)(FirState*, const D*, O*, int);
};

#define FIRTEST_API(L, TL, DL, D, W, O)                                                                         \
    Api<D, W, O> {                                                                                              \
        #L, #TL, #DL, vok##TL##FirlInit, vok##TL##FirlInitMr, vok##DL##FirlInitDlyl, vok##TL##FirlSetTaps,       \
            vok##TL##FirlGetTaps, vok##DL##FirlSetDlyl, vok##DL##FirlGetDlyl, vok##L##Firl, vok##L##bFirl,       \
            vok##L##FirInit, vok##L##FirInitMr, vok##TL##FirSetTaps, vok##TL##FirGetTaps, vok##DL##FirSetDlyl,   \
            vok##DL##FirGetDlyl, vok##L##Fir, vok##L##bFir                                                       \
    }

inline auto allApis() {
    return std::make_tuple(FIRTEST_API(s, s, s, float, float, float), FIRTEST_API(d, d, d, double, double, double),
                           FIRTEST_API(c, c, c, FloatComplex, FloatComplex, FloatComplex),
                           FIRTEST_API(z, z, z, DoubleComplex, DoubleComplex, DoubleComplex),
                           FIRTEST_API(sc, c, s, float, FloatComplex, FloatComplex),
                           FIRTEST_API(cs, s, c, FloatComplex, float, FloatComplex),
                           FIRTEST_API(dz, z, d, double, DoubleComplex, DoubleComplex),
                           FIRTEST_API(zd, d, z, DoubleComplex, double, DoubleComplex));
}

template <class Body>
void forEachApi(Body body) {
    std::apply([&](const auto&... api) { (([&] { SCOPED_TRACE(api.name); body(api); })(), ...); }, allApis());
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
