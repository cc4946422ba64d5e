// LMS test support: the entry points of each type combination in one record
// per combination, and a reference adaptive filter in long double written from
// the update equations over the whole input history (no delay-line slots).
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/values.h"
#include "vok.h"

namespace lmstest {

using voktest::asLC;
using voktest::fromLC;
using voktest::isCx;
using voktest::LC;

template <class T> std::vector<T> randomVector(int n, unsigned seed, long double scale = 1) {
    std::vector<T> v = voktest::randomVector<T>(n, seed);
    for (auto& x : v) x = fromLC<T>(asLC(x) * scale);
    return v;
}
template <class T> bool sameBits(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }
inline std::string fn(const char* letters, const char* op) { return std::string("vok") + letters + op; }

// The adapting entry points: input type D, taps type W; t, tw, td the letters
// of the filter, of the taps-record and of the delay-line functions.
#define LMSTEST_API(t, tw, td, D_, W_, tolerance)                     \
    struct {                                                          \
        using D = D_;                                                 \
        using W = W_;                                                 \
        const char *name = #t, *tapsLetter = #tw, *dataLetter = #td;  \
        double tol = tolerance;                                       \
        decltype(&vok##tw##LmslInit) init = vok##tw##LmslInit;        \
        decltype(&vok##tw##LmslInitMr) initMr = vok##tw##LmslInitMr;  \
        decltype(&vok##td##LmslInitDlyl) initDlyl = vok##td##LmslInitDlyl; \
        decltype(&vok##tw##LmslSetTaps) setTaps = vok##tw##LmslSetTaps; \
        decltype(&vok##tw##LmslGetTaps) getTaps = vok##tw##LmslGetTaps; \
        decltype(&vok##td##LmslSetDlyl) setDlyl = vok##td##LmslSetDlyl; \
        decltype(&vok##td##LmslGetDlyl) getDlyl = vok##td##LmslGetDlyl; \
        decltype(&vok##t##Lmsl) lmsl = vok##t##Lmsl;                  \
        decltype(&vok##t##bLmsl) blmsl = vok##t##bLmsl;               \
        decltype(&vok##t##LmsInit) hInit = vok##t##LmsInit;           \
        decltype(&vok##t##LmsInitMr) hInitMr = vok##t##LmsInitMr;     \
        decltype(&vok##t##Lms) lms = vok##t##Lms;                     \
        decltype(&vok##t##bLms) blms = vok##t##bLms;                  \
        decltype(&vok##t##LmsDes) des = vok##t##LmsDes;               \
        decltype(&vok##t##bLmsDes) bdes = vok##t##bLmsDes;            \
        decltype(&vok##tw##LmsGetTaps) hGetTaps = vok##tw##LmsGetTaps; \
        decltype(&vok##tw##LmsSetTaps) hSetTaps = vok##tw##LmsSetTaps; \
        decltype(&vok##td##LmsGetDlyl) hGetDlyl = vok##td##LmsGetDlyl; \
        decltype(&vok##td##LmsSetDlyl) hSetDlyl = vok##td##LmsSetDlyl; \
        decltype(&vok##tw##LmsGetErrVal) hGetErr = vok##tw##LmsGetErrVal; \
        decltype(&vok##tw##LmsSetErrVal) hSetErr = vok##tw##LmsSetErrVal; \
    }

// Runs body(api) for every adaptive type combination.
template <class Body> void forEachApi(Body body) {
    LMSTEST_API(s, s, s, float, float, 2e-5) s;
    LMSTEST_API(d, d, d, double, double, 1e-12) d;
    LMSTEST_API(c, c, c, FloatComplex, FloatComplex, 2e-5) c;
    LMSTEST_API(z, z, z, DoubleComplex, DoubleComplex, 1e-12) z;
    LMSTEST_API(sc, c, s, float, FloatComplex, 2e-5) sc;
    LMSTEST_API(dz, z, d, double, DoubleComplex, 1e-12) dz;
    std::apply([&](const auto&... api) { (([&] { SCOPED_TRACE(api.name); body(api); })(), ...); },
               std::tie(s, d, c, z, sc, dz));
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
    // Decimation by 'factor' (1: one sample): the output is aligned with input 'phase' of the block.
    LC block(const std::vector<LC>& in, LC err, int factor = 1, int phase = 0) {
        adapt(err, factor - 1 - phase);
        history.insert(history.end(), in.begin(), in.end());
        return out(factor - 1 - phase);
    }
};

template <class W> Reference referenceFor(const std::vector<W>& w, float step, float leak, int errDly, bool cx) {
    Reference ref{{}, {}, errDly, step, leak, cx};
    for (const W& v : w) ref.w.push_back(asLC(v));
    return ref;
}

inline ::testing::AssertionResult near(LC got, LC want, double relTol, double scale = 1.0) {
    const double err = double(std::abs(got - want));
    const double bound = relTol * (scale + double(std::abs(want)));
    if (err <= bound) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << double(got.real()) << ", " << double(got.imag())
                                         << ") want (" << double(want.real()) << ", " << double(want.imag())
                                         << ") error " << err << " > " << bound;
}

}  // namespace lmstest
