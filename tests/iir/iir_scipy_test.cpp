// Floating-point IIR filters against scipy.signal.lfilter and sosfilt
// (tests/scripts/gen_iir.py): Butterworth, Chebyshev and elliptic designs,
// real and frequency-shifted complex ones, through every type combination
// whose element kinds match the stored case.
#include <gtest/gtest.h>

#include <complex>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "vok.h"

namespace {

using LD = std::complex<long double>;

struct Case {
    std::string form;  // "ba" or "sos"
    bool cxTaps = false, cxIn = false;
    int n = 0, len = 0;
    std::vector<LD> taps, x, y;
    std::string line;
};

std::vector<LD> readValues(std::istringstream& in, int count, bool cx) {
    std::vector<LD> v(count);
    for (auto& e : v) {
        long double re = 0, im = 0;
        in >> re;
        if (cx) in >> im;
        e = {re, im};
    }
    return v;
}

std::vector<Case> loadCases() {
    std::vector<Case> cases;
    std::ifstream file(std::string(VOK_TEST_DATA_DIR) + "/iir_scipy.txt");
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream in(line);
        Case c;
        std::string ck, xk;
        in >> c.form >> ck >> xk >> c.n >> c.len;
        c.cxTaps = ck == "c";
        c.cxIn = xk == "c";
        const int count = c.form == "ba" ? 2 * c.n + 2 : 6 * c.n;
        c.taps = readValues(in, count, c.cxTaps);
        c.x = readValues(in, c.len, c.cxIn);
        c.y = readValues(in, c.len, c.cxTaps || c.cxIn);
        c.line = line.substr(0, 40);
        if (in) cases.push_back(c);
    }
    return cases;
}

template <class T> constexpr bool isCx = std::is_same_v<T, FloatComplex> || std::is_same_v<T, DoubleComplex>;
template <class T> T make(LD v) {
    if constexpr (isCx<T>) return {decltype(T{}.re)(v.real()), decltype(T{}.re)(v.imag())};
    else return T(v.real());
}
template <class T> LD back(const T& v) {
    if constexpr (isCx<T>) return {v.re, v.im};
    else return {(long double)v, 0};
}

// One combination of the high layer: input I, coefficients C, output O.
template <class I, class C, class O>
struct HighLayer {
    void(VOK_CALL* init)(int, const C*, int, IirState*);
    void(VOK_CALL* initBq)(int, const C*, int, IirState*);
    int(VOK_CALL* block)(IirState*, const I*, O*, int);
    long double tolerance;

    void run(const Case& c) const {
        std::vector<C> taps;
        for (auto& t : c.taps) taps.push_back(make<C>(t));
        std::vector<I> x;
        for (auto& v : c.x) x.push_back(make<I>(v));
        IirState st{};
        (c.form == "ba" ? init : initBq)(0, taps.data(), c.n, &st);
        ASSERT_EQ(31725, st.initMarker) << c.line;
        std::vector<O> y(c.len);
        // Two blocks, so that the delay line carries over between calls.
        ASSERT_EQ(0, block(&st, x.data(), y.data(), 37));
        ASSERT_EQ(0, block(&st, x.data() + 37, y.data() + 37, c.len - 37));
        EXPECT_EQ(0, vokIirFree(&st));
        long double scale = 1, worst = 0;
        for (auto& r : c.y) scale = std::max(scale, std::abs(r));
        for (int i = 0; i < c.len; ++i) worst = std::max(worst, std::abs(back(y[i]) - c.y[i]));
        EXPECT_LE(worst / scale, tolerance) << c.line;
    }
};

constexpr long double kFloat = 2e-5L, kDouble = 1e-12L;

TEST(IirScipy, EveryCaseThroughEveryMatchingCombination) {
    const auto cases = loadCases();
    ASSERT_EQ(cases.size(), 44u) << "tests/data/iir_scipy.txt missing or short";
    const HighLayer<float, float, float> s{voksIirInit, voksIirInitBq, voksbIir, kFloat};
    const HighLayer<double, double, double> d{vokdIirInit, vokdIirInitBq, vokdbIir, kDouble};
    const HighLayer<FloatComplex, FloatComplex, FloatComplex> c{vokcIirInit, vokcIirInitBq, vokcbIir, kFloat};
    const HighLayer<DoubleComplex, DoubleComplex, DoubleComplex> z{vokzIirInit, vokzIirInitBq, vokzbIir, kDouble};
    const HighLayer<float, FloatComplex, FloatComplex> sc{vokscIirInit, vokscIirInitBq, vokscbIir, kFloat};
    const HighLayer<FloatComplex, float, FloatComplex> cs{vokcsIirInit, vokcsIirInitBq, vokcsbIir, kFloat};
    const HighLayer<double, DoubleComplex, DoubleComplex> dz{vokdzIirInit, vokdzIirInitBq, vokdzbIir, kDouble};
    const HighLayer<DoubleComplex, double, DoubleComplex> zd{vokzdIirInit, vokzdIirInitBq, vokzdbIir, kDouble};
    int runs = 0;
    for (const auto& k : cases) {
        if (!k.cxTaps && !k.cxIn) s.run(k), d.run(k);
        if (!k.cxTaps && k.cxIn) cs.run(k), zd.run(k);
        if (k.cxTaps && !k.cxIn) sc.run(k), dz.run(k);
        // Complex filters take any input; real data and taps enter as complex values too.
        c.run(k), z.run(k);
        runs += 4;
    }
    EXPECT_EQ(runs, 4 * 44);
}

}  // namespace
