// Windows: every element type against scipy.signal.windows vectors written by
// tests/scripts/gen_windows.py, the defined values at small lengths, 16-bit
// rounding, and the failure reports of all 42 entry points.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;

// One element type's seven windows; P is its window-parameter type.
template <class T, class P>
struct WindowSet {
    char letter;
    const char* module;
    void (*bartlett)(T*, int);
    void (*hann)(T*, int);
    void (*hamming)(T*, int);
    void (*blackman)(T*, int, P);
    void (*blackmanStd)(T*, int);
    void (*blackmanOpt)(T*, int);
    void (*kaiser)(T*, int, P);

    // Applies a window by its data-file name.
    void apply(const std::string& name, T* vec, int n, double param) const {
        if (name == "bartlett") bartlett(vec, n);
        else if (name == "hann") hann(vec, n);
        else if (name == "hamming") hamming(vec, n);
        else if (name == "blackman") blackman(vec, n, P(param));
        else if (name == "blackmanstd") blackmanStd(vec, n);
        else if (name == "blackmanopt") blackmanOpt(vec, n);
        else if (name == "kaiser") kaiser(vec, n, P(param));
        else ADD_FAILURE() << "unknown window " << name;
    }
};

#define VOK_WINDOW_SET(L, T, P, module)                                                                          \
    WindowSet<T, P> {                                                                                           \
        #L[0], module, vok##L##WinBartlett, vok##L##WinHann, vok##L##WinHamming, vok##L##WinBlackman,            \
            vok##L##WinBlackmanStd, vok##L##WinBlackmanOpt, vok##L##WinKaiser                                    \
    }

const auto sSet = VOK_WINDOW_SET(s, float, float, "vokwin");
const auto dSet = VOK_WINDOW_SET(d, double, double, "vokwin");
const auto cSet = VOK_WINDOW_SET(c, FloatComplex, float, "vokwin");
const auto zSet = VOK_WINDOW_SET(z, DoubleComplex, double, "vokwin");
const auto wSet = VOK_WINDOW_SET(w, short, float, "vokwinw");
const auto vSet = VOK_WINDOW_SET(v, ShortComplex, float, "vokwinw");

struct Reference {
    std::string name;
    int n;
    double param;
    std::vector<double> w;
};

const std::vector<Reference>& references() {
    static const std::vector<Reference> refs = [] {
        std::vector<Reference> out;
        std::ifstream in(std::string(VOK_TEST_DATA_DIR) + "/windows_scipy.txt");
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream s(line);
            Reference r;
            s >> r.name >> r.n >> r.param;
            r.w.resize(r.n);
            for (double& v : r.w) s >> v;
            out.push_back(r);
        }
        return out;
    }();
    return refs;
}

// Element access shared by real and complex element types.
template <class T> constexpr int parts = 1;
template <> constexpr int parts<FloatComplex> = 2;
template <> constexpr int parts<DoubleComplex> = 2;
template <> constexpr int parts<ShortComplex> = 2;
template <class T> double part(const T& v, int) { return double(v); }
template <class T> requires (parts<T> == 2) double part(const T& v, int i) { return i ? double(v.im) : double(v.re); }
template <class T> void setPart(T& v, int, double x) { v = decltype(v + 0)(x); }
template <class T> requires (parts<T> == 2) void setPart(T& v, int i, double x) {
    (i ? v.im : v.re) = decltype(v.re)(x);
}

template <class T>
constexpr bool isInteger = std::is_same_v<T, short> || std::is_same_v<T, ShortComplex>;

template <class T>
std::vector<T> randomData(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-30000, 30000);
    std::vector<T> x(n);
    for (T& v : x)
        for (int i = 0; i < parts<T>; ++i) setPart(v, i, isInteger<T> ? std::nearbyint(dist(gen)) : dist(gen));
    return x;
}

template <class T, class P>
void compareWithScipy(const WindowSet<T, P>& set) {
    constexpr bool integer = isInteger<T>;
    constexpr bool single = sizeof(P) == 4 && !integer;
    int checked = 0;
    for (const Reference& r : references()) {
        SCOPED_TRACE(testing::Message() << set.letter << " " << r.name << " n=" << r.n << " param=" << r.param);
        const std::vector<T> x = randomData<T>(r.n, unsigned(r.n * 31 + checked));
        std::vector<T> y = x;
        set.apply(r.name, y.data(), r.n, r.param);
        // Kaiser's I0 approximations are good to about 2e-7; the parameter is
        // rounded to float for the single-precision and 16-bit forms.
        double rel = r.name == "kaiser" ? 1e-6 : 1e-13;
        if (sizeof(P) == 4) rel = std::max(rel, 3e-7);
        for (int k = 0; k < r.n; ++k) {
            for (int i = 0; i < parts<T>; ++i) {
                const double in = part(x[k], i), got = part(y[k], i);
                if (r.n % 2 == 1 && k == r.n / 2) {
                    ASSERT_EQ(got, in) << "middle element changed";
                    continue;
                }
                double want = in * r.w[k];
                // Weights above 1 (Blackman with α > 0) wrap 16-bit products around.
                if (integer) want -= 65536.0 * std::round((want - got) / 65536.0);
                double tol = std::fabs(in) * rel + (integer ? 0.5 : 0.0);
                if (single) tol += std::fabs(want) * 6e-8;
                ASSERT_NEAR(got, want, tol) << "k=" << k;
            }
        }
        ++checked;
    }
    EXPECT_GT(checked, 80);
}

TEST(Windows, EveryTypeMatchesScipy) {
    compareWithScipy(sSet), compareWithScipy(dSet), compareWithScipy(cSet);
    compareWithScipy(zSet), compareWithScipy(wSet), compareWithScipy(vSet);
}

TEST(Windows, SmallLengthsTakeTheDefinedValues) {
    std::vector<float> x(5, 2.0f);
    voksWinBartlett(x.data(), 5);
    EXPECT_EQ(x, (std::vector<float>{0, 1, 2, 1, 0}));
    x.assign(3, 4.0f);
    voksWinHamming(x.data(), 3);
    EXPECT_EQ(x, (std::vector<float>{float(4 * 0.08), 4, float(4 * 0.08)}));
    for (auto fn : {voksWinHann, voksWinBlackmanStd, voksWinBlackmanOpt}) {
        x.assign(3, 4.0f);
        fn(x.data(), 3);  // the first pair gets exactly 0, the middle keeps its value
        EXPECT_EQ(x, (std::vector<float>{0, 4, 0}));
    }
    std::vector<double> d(4, -1.0);
    vokdWinBlackman(d.data(), 4, 0.7);
    EXPECT_EQ(d[0], -0.0);
    EXPECT_EQ(d[3], -0.0);
    d.assign(7, 3.0);
    vokdWinKaiser(d.data(), 7, 0.0);  // α = 0 is the rectangular window
    EXPECT_EQ(d, std::vector<double>(7, 3.0));
}

TEST(Windows, KaiserParameterLimitAndSign) {
    ReportRecorder rec;
    std::vector<double> a(101, 1.0), b(101, 1.0);
    vokdWinKaiser(a.data(), 101, 6.2);  // 6.2·100·0.5 = 310 > 308
    EXPECT_EQ(a, std::vector<double>(101, 1.0));
    vokdWinKaiser(a.data(), 101, 6.1);
    vokdWinKaiser(b.data(), 101, -6.1);  // a negative parameter gives the same window
    EXPECT_EQ(a, b);
    EXPECT_LT(a[0], 1e-10);
    EXPECT_GT(a[0], 0.0);
    std::vector<short> w(101, 1000);
    vokwWinKaiser(w.data(), 101, 6.2f);
    EXPECT_EQ(w, std::vector<short>(101, 1000));
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokdWinKaiser", "Huge window parameter", "vokwin"},
                   {VOK_StatusBadArg, "vokwWinKaiser", "Huge window parameter", "vokwinw"});
}

TEST(Windows, SixteenBitProductsRoundToNearestEven) {
    // Bartlett of length 5 has weights 0, 0.5, 1, 0.5, 0: every odd product is a tie.
    std::vector<short> w = {32767, 32767, 32767, 32765, -32767};
    vokwWinBartlett(w.data(), 5);
    EXPECT_EQ(w, (std::vector<short>{0, 16384, 32767, 16382, 0}));
    // Hann's weights come from a rounded cos(π/2): just below 0.5, so no tie.
    w = {32767, 32767, 32767, 32767, 32767};
    vokwWinHann(w.data(), 5);
    EXPECT_EQ(w, (std::vector<short>{0, 16383, 32767, 16383, 0}));
    std::vector<ShortComplex> v = {{3, -3}, {5, -5}, {7, 7}, {9, 1}, {1, 3}};
    vokvWinBartlett(v.data(), 5);
    const std::vector<std::pair<int, int>> want = {{0, 0}, {2, -2}, {7, 7}, {4, 0}, {0, 0}};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(v[k].re, want[k].first) << k;
        EXPECT_EQ(v[k].im, want[k].second) << k;
    }
    // A Blackman parameter that lifts the weights above 1 wraps to the low 16 bits.
    std::vector<short> big(5, 30000);
    vokwWinBlackman(big.data(), 5, -3.0f);  // w[1] = (α+1)/2 - 0.5cos(π/2) - (α/2)cos(π) ≈ -2.5
    const double w1 = (-3.0 + 1) / 2 - 0.5 * std::cos(3.141592653589793 / 2) - (-1.5) * std::cos(3.141592653589793);
    EXPECT_EQ(big[1], short(std::uint16_t(std::llround(30000 * w1))));
}

TEST(Windows, ComplexPartsShareTheWeight) {
    std::vector<FloatComplex> c(9, FloatComplex{1.5f, -2.5f});
    vokcWinBlackmanStd(c.data(), 9);
    std::vector<float> re(9, 1.5f), im(9, -2.5f);
    voksWinBlackmanStd(re.data(), 9);
    voksWinBlackmanStd(im.data(), 9);
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(c[k].re, re[k]);
        EXPECT_EQ(c[k].im, im[k]);
    }
}

template <class T, class P>
void failures(const WindowSet<T, P>& set) {
    ReportRecorder rec;
    voktest::Sentinel s(8 * sizeof(T));
    T* vec = s.as<T>();
    const std::string prefix = std::string("vok") + set.letter + "Win";
    std::vector<voktest::Expected> want;
    std::vector<std::string> names;  // keeps the strings of `want` alive
    names.reserve(7);
    auto expect = [&](const char* window, std::initializer_list<const char*> contexts) {
        names.push_back(prefix + window);
        for (const char* c : contexts) want.push_back({VOK_StatusBadArg, names.back().c_str(), c, set.module});
    };
    set.bartlett(nullptr, 0), set.bartlett(vec, 2), set.bartlett(vec, -1);
    expect("Bartlett", {"Null pointer to buffer", "Bad number of items", "Bad number of items"});
    set.hann(nullptr, 8), set.hann(vec, 1);
    expect("Hann", {"Null pointer to buffer", "Bad number of items"});
    set.hamming(nullptr, 8), set.hamming(vec, 0);
    expect("Hamming", {"Null pointer to buffer", "Bad number of items"});
    set.blackman(nullptr, 8, 1), set.blackman(vec, 2, 1);
    expect("Blackman", {"Null pointer to buffer", "Bad number of items"});
    set.blackmanStd(nullptr, 8), set.blackmanStd(vec, 2);
    expect("BlackmanStd", {"Null pointer to buffer", "Bad number of items"});
    set.blackmanOpt(nullptr, 8), set.blackmanOpt(vec, 2);
    expect("BlackmanOpt", {"Null pointer to buffer", "Bad number of items"});
    set.kaiser(nullptr, 2, 1000), set.kaiser(vec, 2, 1000), set.kaiser(vec, 8, P(88.1));
    expect("Kaiser", {"Null pointer to buffer", "Bad number of items", "Huge window parameter"});
    EXPECT_TRUE(voktest::sameReports(rec.reports(), want));
    EXPECT_TRUE(s.untouched());
    set.kaiser(vec, 8, P(88));  // 88·7·0.5 = 308 passes
    EXPECT_FALSE(s.untouched());
}

TEST(Windows, FailuresAreReportedInOrderAndWriteNothing) {
    failures(sSet), failures(dSet), failures(cSet), failures(zSet), failures(wSet), failures(vSet);
}

}  // namespace
