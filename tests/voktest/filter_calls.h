// Shared pieces of the FIR and LMS tests: the entry points of every type
// combination in one record, the tolerance rule of the filter outputs, and one
// runner taking a stream through the layers of a filter.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "voktest/values.h"
#include "voktest/vector_calls.h"
#include "vok.h"

namespace voktest {

#define VOKT_FN(member, function) decltype(&function) member = function;

// The FIR record functions (set-up and access of both layers), whose
// signatures are the same for the 16-bit filters (T, TW, TD all w).
#define VOKT_FIR_RECORDS(T, TW, TD)                                                                           \
    const char *name = #T, *tapsName = #TW, *dataName = #TD;                                                  \
    VOKT_FN(lInit, vok##TW##FirlInit)                                                                         \
    VOKT_FN(lInitMr, vok##TW##FirlInitMr)                                                                     \
    VOKT_FN(lInitDlyl, vok##TD##FirlInitDlyl)                                                                 \
    VOKT_FN(lSetTaps, vok##TW##FirlSetTaps)                                                                   \
    VOKT_FN(lGetTaps, vok##TW##FirlGetTaps)                                                                   \
    VOKT_FN(lSetDlyl, vok##TD##FirlSetDlyl)                                                                   \
    VOKT_FN(lGetDlyl, vok##TD##FirlGetDlyl)                                                                   \
    VOKT_FN(hInit, vok##T##FirInit)                                                                           \
    VOKT_FN(hInitMr, vok##T##FirInitMr)                                                                       \
    VOKT_FN(hSetTaps, vok##TW##FirSetTaps)                                                                    \
    VOKT_FN(hGetTaps, vok##TW##FirGetTaps)                                                                    \
    VOKT_FN(hSetDlyl, vok##TD##FirSetDlyl)                                                                    \
    VOKT_FN(hGetDlyl, vok##TD##FirGetDlyl)

// T, TW, TD: the letters of the filter, of its taps functions and of its
// delay-line functions; D data and delay line, W taps, O output.
#define VOKT_FILTER(T, TW, TD, D_, W_, O_)                                                                    \
    using D = D_;                                                                                             \
    using W = W_;                                                                                             \
    using O = O_;                                                                                             \
    VOKT_FIR_RECORDS(T, TW, TD)                                                                               \
    VOKT_FN(firl, vok##T##Firl)                                                                               \
    VOKT_FN(bfirl, vok##T##bFirl)                                                                             \
    VOKT_FN(fir, vok##T##Fir)                                                                                 \
    VOKT_FN(bfir, vok##T##bFir)                                                                               \
    VOKT_FN(mInit, vok##TW##LmslInit)                                                                         \
    VOKT_FN(mInitMr, vok##TW##LmslInitMr)                                                                     \
    VOKT_FN(mInitDlyl, vok##TD##LmslInitDlyl)                                                                 \
    VOKT_FN(mSetTaps, vok##TW##LmslSetTaps)                                                                   \
    VOKT_FN(mGetTaps, vok##TW##LmslGetTaps)                                                                   \
    VOKT_FN(mSetDlyl, vok##TD##LmslSetDlyl)                                                                   \
    VOKT_FN(mGetDlyl, vok##TD##LmslGetDlyl)                                                                   \
    VOKT_FN(na, vok##T##LmslNa)                                                                               \
    VOKT_FN(bna, vok##T##bLmslNa)

// The adapting LMS forms, which exist for real or complex taps over data of
// the same precision and kind (s d c z) or real data (sc dz).
#define VOKT_ADAPT(T, TW, TD)                                                                                 \
    VOKT_FN(lmsl, vok##T##Lmsl)                                                                               \
    VOKT_FN(blmsl, vok##T##bLmsl)                                                                             \
    VOKT_FN(lmsInit, vok##T##LmsInit)                                                                         \
    VOKT_FN(lmsInitMr, vok##T##LmsInitMr)                                                                     \
    VOKT_FN(lms, vok##T##Lms)                                                                                 \
    VOKT_FN(blms, vok##T##bLms)                                                                               \
    VOKT_FN(des, vok##T##LmsDes)                                                                              \
    VOKT_FN(bdes, vok##T##bLmsDes)                                                                            \
    VOKT_FN(sGetTaps, vok##TW##LmsGetTaps)                                                                    \
    VOKT_FN(sSetTaps, vok##TW##LmsSetTaps)                                                                    \
    VOKT_FN(sGetDlyl, vok##TD##LmsGetDlyl)                                                                    \
    VOKT_FN(sSetDlyl, vok##TD##LmsSetDlyl)                                                                    \
    VOKT_FN(sGetErr, vok##TW##LmsGetErrVal)                                                                   \
    VOKT_FN(sSetErr, vok##TW##LmsSetErrVal)

struct FilterS { VOKT_FILTER(s, s, s, float, float, float) VOKT_ADAPT(s, s, s) };
struct FilterD { VOKT_FILTER(d, d, d, double, double, double) VOKT_ADAPT(d, d, d) };
struct FilterC { VOKT_FILTER(c, c, c, FloatComplex, FloatComplex, FloatComplex) VOKT_ADAPT(c, c, c) };
struct FilterZ { VOKT_FILTER(z, z, z, DoubleComplex, DoubleComplex, DoubleComplex) VOKT_ADAPT(z, z, z) };
struct FilterSC { VOKT_FILTER(sc, c, s, float, FloatComplex, FloatComplex) VOKT_ADAPT(sc, c, s) };
struct FilterCS { VOKT_FILTER(cs, s, c, FloatComplex, float, FloatComplex) };
struct FilterDZ { VOKT_FILTER(dz, z, d, double, DoubleComplex, DoubleComplex) VOKT_ADAPT(dz, z, d) };
struct FilterZD { VOKT_FILTER(zd, d, z, DoubleComplex, double, DoubleComplex) };
// The 16-bit records; their filtering calls take a scale mode and factor.
struct FilterW {
    using D = short;
    using W = float;
    using O = short;
    VOKT_FIR_RECORDS(w, w, w)
};

// Runs body(api) for every type combination, or only for those that adapt.
template <bool adaptingOnly = false, class Body>
void forEachFilter(Body body) {
    auto run = [&](const auto& api) {
        if constexpr (!adaptingOnly || requires { api.lms; }) {
            SCOPED_TRACE(api.name);
            body(api);
        }
    };
    run(FilterS{}), run(FilterD{}), run(FilterC{}), run(FilterZ{});
    run(FilterSC{}), run(FilterCS{}), run(FilterDZ{}), run(FilterZD{});
}

inline std::string fn(const char* letters, const char* op) { return std::string("vok") + letters + op; }
template <class T> bool sameBits(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }
// A two-state taps record's numbers, in declaration order.
inline std::vector<int> fields(const FirTapState& t) {
    return {t.len, t.upFactor, t.upPhase, t.downFactor, t.downPhase, t.isMultiRate, t.isFilterMode, t.reserved};
}
template <class T> constexpr bool isDouble = std::is_same_v<T, double> || std::is_same_v<T, DoubleComplex>;

inline std::vector<short> randomShorts(std::mt19937& gen, std::size_t n, int limit) {
    std::uniform_int_distribution<int> u(-limit, limit);
    std::vector<short> v(n);
    for (auto& s : v) s = short(u(gen));
    return v;
}

// An output within a few roundings of its type of the long-double value:
// |got - want| <= eps * (2 * mag + |want|), mag the sum of the magnitudes of
// the terms. Float outputs are double sums rounded once; double ones round
// each product and addition, which on random data stays inside eps = 2^-52.
template <class O>
::testing::AssertionResult closeTo(const O& got, LC want, long double mag) {
    const long double eps = isDouble<O> ? 0x1p-52L : 0x1p-23L;
    const LC g = asLC(got);
    if (std::abs(g - want) <= eps * (2 * mag + std::abs(want)) + 1e-300L) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << double(g.real()) << ", " << double(g.imag()) << "), want ("
                                         << double(want.real()) << ", " << double(want.imag()) << ")";
}

// One way of running a filter over the caller's records: blocks of n iterations (n * down inputs, n * up
// outputs) and, single rate, one sample at a time.
template <class D, class O>
struct Layer {
    std::function<void(const D*, O*, int)> block;
    std::function<O(const D&)> one = nullptr;
};
constexpr int kOneSample = -1;  // in a cut: one call of the one-sample form

// Equal bits, or NaN both.
template <class T>
bool sameValue(const T& a, const T& b) {
    return sameBits(&a, &b, 1) || (asLC(a) != asLC(a) && asLC(b) != asLC(b));
}

// The stream x through every layer, each cut into its calls (iterations per block call, or kOneSample):
// two guards after each block's outputs stay, every layer gives the first one's bits; returns them.
template <class D, class O>
std::vector<O> throughLayers(const std::vector<std::pair<Layer<D, O>, std::vector<int>>>& layers, const D* x,
                             int up = 1, int down = 1) {
    std::vector<O> first;
    for (std::size_t k = 0; k < layers.size(); ++k) {
        const auto& [layer, cut] = layers[k];
        std::vector<O> got;
        const D* in = x;
        for (const int n : cut) {
            const bool one = n == kOneSample;
            std::vector<O> y(one ? 1 : std::size_t(n) * std::size_t(up) + 2, fromLC<O>(7));
            if (one) y[0] = layer.one(*in);
            else layer.block(in, y.data(), n);
            EXPECT_TRUE(one || (asLC(y.end()[-2]) == LC(7) && asLC(y.back()) == LC(7))) << "wrote past " << n;
            got.insert(got.end(), y.begin(), y.end() - (one ? 0 : 2));
            in += one ? 1 : std::size_t(n) * std::size_t(down);
        }
        if (first.empty()) first = got;
        EXPECT_TRUE(sameBits(first, got)) << "layer " << k;
    }
    return first;
}

}  // namespace voktest
