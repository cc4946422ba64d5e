// LMS test support: the entry points of each type combination gathered in one
// table, and a reference adaptive filter in long double written from the
// update equations over the whole input history (no delay-line slots).
#pragma once

#include <gtest/gtest.h>

#include <complex>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "vok.h"

namespace lmstest {

using LC = std::complex<long double>;

template <class T> constexpr bool isCx = std::is_same_v<T, FloatComplex> || std::is_same_v<T, DoubleComplex>;

template <class T> LC asLC(const T& v) {
    if constexpr (isCx<T>) return {v.re, v.im};
    else return {(long double)v, 0.0L};
}
template <class T> T fromLC(LC v) {
    if constexpr (isCx<T>) return T{decltype(T{}.re)(v.real()), decltype(T{}.re)(v.imag())};
    else return T(v.real());
}

template <class T>
std::vector<T> randomVector(int n, unsigned seed, double scale = 1.0) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-scale, scale);
    std::vector<T> v(n);
    for (auto& x : v) {
        if constexpr (isCx<T>) x = {decltype(x.re)(dist(gen)), decltype(x.re)(dist(gen))};
        else x = T(dist(gen));
    }
    return v;
}

template <class T> bool sameBits(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }

// The entry points of one type combination: input type D, taps type W.
template <class D_, class W_>
struct Api {
    using D = D_;
    using W = W_;
    const char* name;
    const char* tapsLetter;  // the letter of the taps-record functions
    const char* dataLetter;  // the letter of the delay-line functions
    double tol;  // relative tolerance of outputs and taps against the reference
    void (*init)(int, W*, int, float, float, int, LmsTapState*);
    void (*initMr)(int, W*, int, float, float, int, int, int, LmsTapState*);
    void (*initDlyl)(LmsTapState*, D*, int, LmsDlyState*);
    void (*setDlyl)(LmsTapState*, const D*, LmsDlyState*);
    int (*getTaps)(LmsTapState*, W*);
    W (*lmsl)(LmsTapState*, LmsDlyState*, D, W);
    W (*blmsl)(LmsTapState*, LmsDlyState*, const D*, W);
    void (*hInit)(int, const W*, int, const D*, float, float, int, LmsState*);
    void (*hInitMr)(int, const W*, int, const D*, float, float, int, int, int, LmsState*);
    W (*lms)(LmsState*, D, W);
    W (*blms)(LmsState*, const D*, W);
    W (*des)(LmsState*, D, W);
    void (*bdes)(LmsState*, const D*, const W*, W*, int);
    void (*hGetTaps)(LmsState*, W*);
    void (*hSetTaps)(const W*, LmsState*);
    void (*hGetDlyl)(LmsState*, D*);
    W (*hGetErr)(const LmsState*);
    void (*setTaps)(const W*, LmsTapState*);
    void (*getDlyl)(LmsTapState*, LmsDlyState*, D*);
    void (*hSetDlyl)(const D*, LmsState*);
    void (*hSetErr)(W, LmsState*);

    // The exported name made of a letter group and an operation.
    static std::string fn(const char* letters, const char* op) { return std::string("vok") + letters + op; }
};

#define LMSTEST_API(t, tw, td, D, W, tol)                                                                       \
    Api<D, W> {                                                                                                 \
        #t, #tw, #td, tol, vok##tw##LmslInit, vok##tw##LmslInitMr, vok##td##LmslInitDlyl, vok##td##LmslSetDlyl,          \
            vok##tw##LmslGetTaps, vok##t##Lmsl, vok##t##bLmsl, vok##t##LmsInit, vok##t##LmsInitMr, vok##t##Lms, \
            vok##t##bLms, vok##t##LmsDes, vok##t##bLmsDes, vok##tw##LmsGetTaps, vok##tw##LmsSetTaps,            \
            vok##td##LmsGetDlyl, vok##tw##LmsGetErrVal, vok##tw##LmslSetTaps, vok##td##LmslGetDlyl,            \
            vok##td##LmsSetDlyl, vok##tw##LmsSetErrVal                                                          \
    }

inline const auto apiS = LMSTEST_API(s, s, s, float, float, 2e-5);
inline const auto apiD = LMSTEST_API(d, d, d, double, double, 1e-12);
inline const auto apiC = LMSTEST_API(c, c, c, FloatComplex, FloatComplex, 2e-5);
inline const auto apiZ = LMSTEST_API(z, z, z, DoubleComplex, DoubleComplex, 1e-12);
inline const auto apiSC = LMSTEST_API(sc, c, s, float, FloatComplex, 2e-5);
inline const auto apiDZ = LMSTEST_API(dz, z, d, double, DoubleComplex, 1e-12);

// Runs body(api) for every adaptive type combination.
template <class Body>
void forEachApi(Body body) {
    { SCOPED_TRACE("s"); body(apiS); }
    { SCOPED_TRACE("d"); body(apiD); }
    { SCOPED_TRACE("c"); body(apiC); }
    { SCOPED_TRACE("z"); body(apiZ); }
    { SCOPED_TRACE("sc"); body(apiSC); }
    { SCOPED_TRACE("dz"); body(apiDZ); }
}

// The filter as its definition reads: the inputs seen so far, x(j) the input j
// samples before the newest, taps w.
struct Reference {
    std::vector<LC> w;
    std::vector<LC> history;  // oldest first
    int errDly = 0;
    long double step = 0, leak = 0;
    bool complexData = false;

    LC x(int j) const {
        const long long at = (long long)history.size() - 1 - j;
        return at >= 0 ? history[size_t(at)] : LC(0);
    }
    // Update with the vector whose newest sample is 'first' samples back, errDly further.
    void adapt(LC err, int first) {
        for (size_t i = 0; i < w.size(); ++i) {
            const LC xi = x(first + int(i) + errDly);
            w[i] = (1.0L - leak) * w[i] + step * err * (complexData ? std::conj(xi) : xi);
        }
    }
    LC out(int first) const {
        LC y = 0;
        for (size_t i = 0; i < w.size(); ++i) y += w[i] * x(first + int(i));
        return y;
    }
    LC one(LC samp, LC err, bool adaptNow) {
        if (adaptNow) adapt(err, 0);
        history.push_back(samp);
        return out(0);
    }
    // Decimation by 'factor': the output is aligned with input 'phase' of the block.
    LC block(const std::vector<LC>& in, LC err, int factor, int phase, bool adaptNow) {
        if (adaptNow) adapt(err, factor - 1 - phase);
        for (const LC& v : in) history.push_back(v);
        return out(factor - 1 - phase);
    }
};

inline ::testing::AssertionResult near(LC got, LC want, double relTol, double scale = 1.0) {
    const double err = double(std::abs(got - want));
    const double bound = relTol * (scale + double(std::abs(want)));
    if (err <= bound) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << double(got.real()) << ", " << double(got.imag())
                                         << ") want (" << double(want.real()) << ", " << double(want.imag())
                                         << ") error " << err << " > " << bound;
}

}  // namespace lmstest
