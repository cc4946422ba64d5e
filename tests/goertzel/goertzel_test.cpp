// Goertzel: the value after N samples at freq k/N is the DFT bin, across any
// split into single samples and blocks; frequency validation; failure reports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <complex>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "frame/test_seams.h"
#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;

static_assert(sizeof(VokSGoertzState) == 32 && sizeof(VokDGoertzState) == 64);

template <class R>
std::vector<std::complex<R>> randomSignal(int n, bool complexData, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<R> dist(-1, 1);
    std::vector<std::complex<R>> x(n);
    for (auto& v : x) v = {dist(gen), complexData ? dist(gen) : R(0)};
    return x;
}

// The k-th bin of the length-N DFT in the Goertzel sign convention,
// Σ x[m]·exp(+2πi·k(N−m)/N) = Σ x[m]·exp(−2πi·km/N), in long double.
template <class R>
std::complex<long double> dftBin(const std::vector<std::complex<R>>& x, int k) {
    const int n = int(x.size());
    std::complex<long double> sum = 0;
    for (int m = 0; m < n; ++m) {
        const long double angle = -2 * std::numbers::pi_v<long double> * (long double)((long long)k * m % n) / n;
        sum += std::complex<long double>(x[m].real(), x[m].imag()) * std::polar(1.0L, angle);
    }
    return sum;
}

// The four floating kinds behind one interface: a state, Init, a sample, a block, Reset.
template <class R_, class State, class Sample, auto Init, auto One, auto Block, auto Reset>
struct Kind {
    using R = R_;
    State st;
    static constexpr bool complexData = !std::is_same_v<Sample, R>;
    static Sample in(std::complex<R> x) {
        if constexpr (complexData) return {x.real(), x.imag()};
        else return x.real();
    }
    int init(R f) { return Init(f, &st); }
    void reset() { Reset(&st); }
    std::complex<R> sample(std::complex<R> x) { auto v = One(&st, in(x)); return {v.re, v.im}; }
    std::complex<R> block(const std::vector<std::complex<R>>& x, int from, int len) {
        std::vector<Sample> d(len);
        for (int i = 0; i < len; ++i) d[i] = in(x[from + i]);
        auto v = Block(&st, d.data(), len);
        return {v.re, v.im};
    }
};
using SingleReal = Kind<float, VokSGoertzState, float, voksGoertzInit, voksGoertz, voksbGoertz, voksGoertzReset>;
using SingleComplex =
    Kind<float, VokSGoertzState, FloatComplex, vokcGoertzInit, vokcGoertz, vokcbGoertz, vokcGoertzReset>;
using DoubleReal = Kind<double, VokDGoertzState, double, vokdGoertzInit, vokdGoertz, vokdbGoertz, vokdGoertzReset>;
using DoubleComplexKind =
    Kind<double, VokDGoertzState, DoubleComplex, vokzGoertzInit, vokzGoertz, vokzbGoertz, vokzGoertzReset>;

template <class Kind>
class GoertzelKinds : public ::testing::Test {};
using Kinds = ::testing::Types<SingleReal, SingleComplex, DoubleReal, DoubleComplexKind>;
TYPED_TEST_SUITE(GoertzelKinds, Kinds);

TYPED_TEST(GoertzelKinds, ValueAfterNSamplesIsTheDftBinWhateverTheSplit) {
    using R = typename TypeParam::R;
    const double epsilon = std::numeric_limits<R>::epsilon();
    std::mt19937 gen(3);
    for (int n : {1, 4, 7, 64, 250}) {
        const auto x = randomSignal<R>(n, TypeParam::complexData, unsigned(n));
        for (int k : {0, 1, n / 3, n - 1}) {
            if (k >= n) continue;
            SCOPED_TRACE(testing::Message() << "n=" << n << " k=" << k);
            const auto want = dftBin(x, k);
            // The recurrence's rounding error grows with N² at low frequencies.
            const double tolerance = 2 * epsilon * (n * n + 8);
            TypeParam kind;
            ASSERT_EQ(kind.init(R(k) / R(n)), VOK_StatusOk);
            std::complex<R> got;
            for (int i = 0; i < n;) {  // random mix of single samples and blocks
                const int len = std::min(n - i, int(gen() % 9));
                if (len == 0) got = kind.sample(x[i++]);
                else got = kind.block(x, i, len), i += len;
            }
            EXPECT_NEAR(got.real(), double(want.real()), tolerance);
            EXPECT_NEAR(got.imag(), double(want.imag()), tolerance);
        }
    }
}

TYPED_TEST(GoertzelKinds, ResetStartsAgainAtTheSameFrequency) {
    using R = typename TypeParam::R;
    const auto x = randomSignal<R>(16, TypeParam::complexData, 9);
    TypeParam kind;
    kind.init(R(0.125));
    const auto first = kind.block(x, 0, 16);
    kind.block(x, 0, 5);  // leftover history
    kind.reset();
    EXPECT_EQ(kind.st.freq, R(0.125));
    EXPECT_EQ(kind.block(x, 0, 16), first);
}

TEST(Goertzel, InitStoresTheAngleFunctionsAndRefusesBadFrequencies) {
    VokDGoertzState st{};
    ASSERT_EQ(vokdGoertzInit(0.1, &st), VOK_StatusOk);
    EXPECT_EQ(st.cosW, std::cos(2 * std::numbers::pi * 0.1));
    EXPECT_NEAR(st.sinW, std::sin(2 * std::numbers::pi * 0.1), 1e-16);
    EXPECT_EQ(st.twoCosW, 2 * st.cosW);

    ReportRecorder rec;
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double bad : {1.0, -0.5, -1e-300, inf, -inf, nan, -nan}) {
        const VokDGoertzState before = st;
        EXPECT_EQ(vokdGoertzInit(bad, &st), VOK_StatusBadArg) << bad;
        EXPECT_EQ(std::memcmp(&before, &st, sizeof st), 0);
    }
    EXPECT_EQ(vokdGoertzInit(-0.0, &st), VOK_StatusOk);
    EXPECT_EQ(vokzGoertzInit(0.5, nullptr), VOK_StatusBadArg);
    EXPECT_EQ(voksGoertzInit(2.0f, nullptr), VOK_StatusBadArg);  // the state is checked first
    std::vector<voktest::Expected> want(7, {VOK_StatusBadArg, "vokdGoertzInit", "Invalid frequency value", "vokgrtzl"});
    want.push_back({VOK_StatusBadArg, "vokzGoertzInit", "Null state pointer", "vokgrtzl"});
    want.push_back({VOK_StatusBadArg, "voksGoertzInit", "Null state pointer", "vokgrtzl"});
    EXPECT_TRUE(voktest::sameReports(rec.reports(), want));
}

TEST(Goertzel, BadCallsReturnZeroAndLeaveTheStateAlone) {
    VokSGoertzState st;
    vokcGoertzInit(0.2f, &st);
    const FloatComplex data[3] = {{1, 2}, {3, 4}, {5, 6}};
    vokcbGoertz(&st, data, 3);
    const VokSGoertzState before = st;
    ReportRecorder rec;
    auto isZero = [](auto v) { return v.re == 0 && v.im == 0; };
    EXPECT_TRUE(isZero(vokcGoertz(nullptr, {1, 1})));
    EXPECT_TRUE(isZero(vokcbGoertz(nullptr, nullptr, 0)));
    EXPECT_TRUE(isZero(vokcbGoertz(&st, nullptr, 0)));
    EXPECT_TRUE(isZero(vokcbGoertz(&st, data, 0)));
    EXPECT_TRUE(isZero(vokzbGoertz(nullptr, nullptr, 3)));
    vokdGoertzReset(nullptr);
    EXPECT_EQ(std::memcmp(&before, &st, sizeof st), 0);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokcGoertz", "Null state pointer", "vokgrtzl"},
                   {VOK_StatusBadArg, "vokcbGoertz", "Null state pointer", "vokgrtzl"},
                   {VOK_StatusBadArg, "vokcbGoertz", "Null buffer pointer", "vokgrtzl"},
                   {VOK_StatusBadArg, "vokcbGoertz", "Invalid array length", "vokgrtzl"},
                   {VOK_StatusBadArg, "vokzbGoertz", "Null state pointer", "vokgrtzl"},
                   {VOK_StatusBadArg, "vokdGoertzReset", "Null state pointer", "vokgrtzl"});
}

}  // namespace

namespace {

TEST(Goertzel16, RunsTheFloatRecurrenceAndScalesTheValueBack) {
    VokSGoertzState w, f;
    vokwGoertzInit(0.25f, &w);
    voksGoertzInit(0.25f, &f);
    const short pulse[4] = {1000, 0, 0, 0};
    int sf = 0;
    ShortComplex v = vokwbGoertz(&w, pulse, 4, VOK_SATURATE, &sf);
    EXPECT_EQ(v.re, 1000);
    EXPECT_EQ(v.im, 0);
    vokwGoertzReset(&w);
    sf = 2;
    v = vokwbGoertz(&w, pulse, 4, VOK_FIXED_SCALE, &sf);
    EXPECT_EQ(v.re, 250);
    // The same samples one at a time and as float data give the same value.
    vokwGoertzReset(&w);
    std::vector<short> x(37);
    for (int i = 0; i < 37; ++i) x[i] = short(i * 811 % 2000 - 1000);
    sf = 0;
    for (short s : x) v = vokwGoertz(&w, s, VOK_SATURATE, &sf);
    std::vector<float> xf(x.begin(), x.end());
    const FloatComplex want = voksbGoertz(&f, xf.data(), 37);
    EXPECT_EQ(v.re, short(std::trunc(want.re)));
    EXPECT_EQ(v.im, short(std::trunc(want.im)));
}

TEST(Goertzel16, LargeValuesSaturateOrAreAutoScaled) {
    VokSGoertzState st;
    vokvGoertzInit(0.0f, &st);
    std::vector<ShortComplex> x(8, ShortComplex{30000, -30000});
    int sf = 0;
    ShortComplex v = vokvbGoertz(&st, x.data(), 8, VOK_SATURATE, &sf);
    EXPECT_EQ(v.re, 32767);
    EXPECT_EQ(v.im, -32768);
    vokvGoertzReset(&st);
    v = vokvbGoertz(&st, x.data(), 8, VOK_AUTO_SCALE, &sf);
    EXPECT_GT(sf, 0);  // 240000 needs a scale factor
    EXPECT_NEAR(std::ldexp(double(v.re), sf), 240000.0, std::ldexp(1.0, sf));
    EXPECT_NEAR(std::ldexp(double(v.im), sf), -240000.0, std::ldexp(1.0, sf));
}

TEST(Goertzel16, ScaleArgumentsAreCheckedAfterTheStateAndBuffer) {
    VokSGoertzState st;
    vokvGoertzInit(0.1f, &st);
    const VokSGoertzState before = st;
    const ShortComplex x[2] = {{1, 2}, {3, 4}};
    ReportRecorder rec;
    int sf = 15, ok = 0, bad = -15;
    vokwGoertz(&st, 1, VOK_NO_SCALE, &sf);
    vokwGoertz(&st, 1, VOK_NO_SCALE, &bad);
    vokvGoertz(&st, x[0], VOK_AUTO_SCALE, nullptr);
    vokvGoertz(&st, x[0], 5, &ok);
    vokvbGoertz(&st, nullptr, 2, 5, nullptr);
    vokvbGoertz(&st, x, 0, 5, nullptr);
    vokwbGoertz(nullptr, nullptr, 0, 0, nullptr);
    vok::testing::failAllocationAfter(1);
    const ShortComplex none = vokvbGoertz(&st, x, 2, VOK_SATURATE, &ok);
    vok::testing::failAllocationAfter(0);
    EXPECT_EQ(none.re, 0);
    EXPECT_EQ(std::memcmp(&before, &st, sizeof st), 0);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokwGoertz", "Too large scale factor", "vokgrtzw"},
                   {VOK_StatusBadArg, "vokwGoertz", "Too large scale factor", "vokgrtzw"},
                   {VOK_StatusBadArg, "vokvGoertz", "Zero scale factor pointer", "vokgrtzw"},
                   {VOK_StatusBadArg, "vokvGoertz", "Erroneus scale mode", "vokgrtzw"},
                   {VOK_StatusBadArg, "vokvbGoertz", "Null buffer pointer", "vokgrtzw"},
                   {VOK_StatusBadArg, "vokvbGoertz", "Invalid array length", "vokgrtzw"},
                   {VOK_StatusBadArg, "vokwbGoertz", "Null state pointer", "vokgrtzw"},
                   {VOK_StatusNoMemory, "vokvbGoertz", "No memory for working array", "vokgrtzw"});
}

}  // namespace
