// Goertzel: after N samples at freq k/N every kind gives the DFT bin, whatever
// the split into samples and blocks; Reset restarts; 16-bit kinds give the
// float value brought back by the scale mode; every failure reports in order,
// returns zero and leaves the state alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "frame/test_seams.h"
#include "voktest/reports.h"
#include "voktest/fft_reference.h"
#include "vok.h"

namespace {

using ffttest::LC;

static_assert(sizeof(VokSGoertzState) == 32 && sizeof(VokDGoertzState) == 64);

template <class State, class Sample, auto Init, auto One, auto Block, auto Reset>
struct Kind {
    using R = decltype(State::freq);
    static Sample in(LC x) {
        if constexpr (requires(Sample s) { s.re; }) return {R(x.real()), R(x.imag())};
        else return Sample(x.real());
    }
    // A random mix of single samples and blocks; the value after the last sample.
    static LC run(State* st, const std::vector<LC>& x, std::mt19937& gen) {
        LC got;
        for (std::size_t i = 0; i < x.size();) {
            const std::size_t len = std::min(x.size() - i, std::size_t(gen() % 9));
            std::vector<Sample> d(std::max<std::size_t>(len, 1), in(x[i]));
            for (std::size_t j = 0; j < len; ++j) d[j] = in(x[i + j]);
            const auto v = len ? Block(st, d.data(), int(len)) : One(st, d[0]);
            got = LC(v.re, v.im), i += std::max<std::size_t>(len, 1);
        }
        return got;
    }
    static void check() {
        const bool cx = requires(Sample s) { s.re; };
        std::mt19937 gen(3);
        for (int n : {1, 4, 7, 64, 250})
            for (int k : {0, 1, n / 3, n - 1}) {
                if (k >= n) continue;
                SCOPED_TRACE(testing::Message() << "n=" << n << " k=" << k);
                const std::vector<LC> x = ffttest::randomComplex(n, unsigned(n), !cx);
                const LC want = ffttest::directDft(x, true)[k];
                State st;
                ASSERT_EQ(Init(R(k) / R(n), &st), VOK_StatusOk);
                // The recurrence's rounding error grows with N² at low frequencies.
                const double tolerance = 2 * std::numeric_limits<R>::epsilon() * (n * n + 8);
                std::mt19937 split(gen);
                const LC got = run(&st, x, gen);
                EXPECT_NEAR(double(got.real()), double(want.real()), tolerance);
                EXPECT_NEAR(double(got.imag()), double(want.imag()), tolerance);
                Block(&st, std::vector<Sample>(3, in(x[0])).data(), 3);  // leftover history
                Reset(&st);
                EXPECT_EQ(st.freq, R(k) / R(n));
                EXPECT_EQ(run(&st, x, split), got) << "after Reset";
            }
    }
};

TEST(Goertzel, EveryKindGivesTheDftBinWhateverTheSplit) {
    Kind<VokSGoertzState, float, voksGoertzInit, voksGoertz, voksbGoertz, voksGoertzReset>::check();
    Kind<VokSGoertzState, FloatComplex, vokcGoertzInit, vokcGoertz, vokcbGoertz, vokcGoertzReset>::check();
    Kind<VokDGoertzState, double, vokdGoertzInit, vokdGoertz, vokdbGoertz, vokdGoertzReset>::check();
    Kind<VokDGoertzState, DoubleComplex, vokzGoertzInit, vokzGoertz, vokzbGoertz, vokzGoertzReset>::check();
    VokDGoertzState st;
    ASSERT_EQ(vokdGoertzInit(0.1, &st), VOK_StatusOk);
    EXPECT_EQ(st.cosW, std::cos(2 * std::numbers::pi * 0.1));
    EXPECT_NEAR(st.sinW, std::sin(2 * std::numbers::pi * 0.1), 1e-16);
    EXPECT_EQ(st.twoCosW, 2 * st.cosW);
    EXPECT_EQ(vokdGoertzInit(-0.0, &st), VOK_StatusOk);
}

// The 16-bit value is the float kind's value brought to 16 bits by the mode
// (truncated; saturated, scaled by the given factor, or by the fewest halvings
// that fit); w runs samples then a block, v a block then samples.
TEST(Goertzel16, FloatRecurrenceBroughtBackByTheScaleMode) {
    std::vector<short> x(74);
    for (int i = 0; i < 74; ++i) x[i] = short(i * 811 % 2000 - 1000);
    const std::vector<float> xf(x.begin(), x.end());
    const auto* xv = reinterpret_cast<const ShortComplex*>(x.data());
    VokSGoertzState w, v, f, c;
    vokwGoertzInit(0.3f, &w), vokvGoertzInit(0.3f, &v), voksGoertzInit(0.3f, &f), vokcGoertzInit(0.3f, &c);
    const FloatComplex wantW = voksbGoertz(&f, xf.data(), 74);
    const FloatComplex wantV = vokcbGoertz(&c, reinterpret_cast<const FloatComplex*>(xf.data()), 37);
    for (int mode : {VOK_SATURATE, VOK_FIXED_SCALE, VOK_AUTO_SCALE}) {
        SCOPED_TRACE(mode);
        int sfW = 2, sfV = 2;
        ShortComplex gotW{}, gotV = vokvbGoertz(&v, xv, 20, mode, &sfV);
        for (int i = 0; i < 40; ++i) gotW = vokwGoertz(&w, x[i], mode, &sfW);
        gotW = vokwbGoertz(&w, x.data() + 40, 34, mode, &sfW);
        for (int i = 20; i < 37; ++i) gotV = vokvGoertz(&v, xv[i], mode, &sfV);
        for (auto [got, want, sf] : {std::tuple{gotW, wantW, sfW}, std::tuple{gotV, wantV, sfV}}) {
            const std::vector<LC> value{LC(want.re, want.im)};
            EXPECT_EQ(sf, mode == VOK_AUTO_SCALE ? ffttest::autoFactor(value) : 2);
            EXPECT_EQ(got.re, ffttest::to16(want.re, mode, sf, false));
            EXPECT_EQ(got.im, ffttest::to16(want.im, mode, sf, false));
        }
        vokwGoertzReset(&w), vokvGoertzReset(&v);
    }
    // Sums beyond 16 bits: saturated, or scaled by 2^3 exactly.
    const std::vector<ShortComplex> big(8, ShortComplex{30000, -30000});
    int sf = 0;
    vokvGoertzInit(0.0f, &v);
    ShortComplex r = vokvbGoertz(&v, big.data(), 8, VOK_SATURATE, &sf);
    EXPECT_TRUE(r.re == 32767 && r.im == -32768);
    vokvGoertzReset(&v);
    r = vokvbGoertz(&v, big.data(), 8, VOK_AUTO_SCALE, &sf);
    EXPECT_TRUE(r.re == 30000 && r.im == -30000 && sf == 3);
}

template <class V>
bool zero(V v) { return v.re == 0 && v.im == 0; }

TEST(Goertzel, FailuresReportInOrderReturnZeroAndLeaveTheStateAlone) {
    VokSGoertzState s;
    VokDGoertzState d;
    vokcGoertzInit(0.2f, &s), vokdGoertzInit(0.2, &d);
    const FloatComplex data[3] = {{1, 2}, {3, 4}, {5, 6}};
    const double real[3] = {1, 2, 3};
    vokcbGoertz(&s, data, 3), vokdbGoertz(&d, real, 3);
    const VokSGoertzState s0 = s;
    const VokDGoertzState d0 = d;
    const ShortComplex v[2] = {{1, 2}, {3, 4}};
    const short w[2] = {1, 2};
    int big = 15, low = -15, ok = 0;
    const char *state = "Null state pointer", *buffer = "Null buffer pointer", *length = "Invalid array length";
    const char *freq = "Invalid frequency value", *factor = "Too large scale factor";
    struct Row {
        const char *function, *context;
        std::function<bool()> call;  // true when the call returned its failure value
    };
    std::vector<Row> rows;
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    for (double bad : {1.0, -0.5, -1e-30, inf, -inf, nan, -nan}) {
        rows.push_back({"vokdGoertzInit", freq, [&, bad] { return vokdGoertzInit(bad, &d) == VOK_StatusBadArg; }});
        rows.push_back({"vokvGoertzInit", freq, [&, bad] { return vokvGoertzInit(float(bad), &s) == VOK_StatusBadArg; }});
    }
    rows.insert(rows.end(), {
        {"voksGoertzInit", state, [] { return voksGoertzInit(2.0f, nullptr) == VOK_StatusBadArg; }},  // state first
        {"vokzGoertzInit", state, [] { return vokzGoertzInit(0.5, nullptr) == VOK_StatusBadArg; }},
        {"vokwGoertzInit", state, [] { return vokwGoertzInit(0.5f, nullptr) == VOK_StatusBadArg; }},
        {"vokdGoertzReset", state, [] { return vokdGoertzReset(nullptr), true; }},
        {"vokvGoertzReset", state, [] { return vokvGoertzReset(nullptr), true; }},
        {"vokcGoertz", state, [] { return zero(vokcGoertz(nullptr, {1, 1})); }},
        {"vokdGoertz", state, [] { return zero(vokdGoertz(nullptr, 1)); }},
        {"vokcbGoertz", state, [] { return zero(vokcbGoertz(nullptr, nullptr, 0)); }},
        {"vokcbGoertz", buffer, [&] { return zero(vokcbGoertz(&s, nullptr, 0)); }},
        {"vokcbGoertz", length, [&] { return zero(vokcbGoertz(&s, data, 0)); }},
        {"vokzbGoertz", state, [] { return zero(vokzbGoertz(nullptr, nullptr, 3)); }},
        {"vokdbGoertz", length, [&] { return zero(vokdbGoertz(&d, real, -1)); }},
        {"vokwGoertz", state, [&] { return zero(vokwGoertz(nullptr, 1, 9, nullptr)); }},
        {"vokwGoertz", factor, [&] { return zero(vokwGoertz(&s, 1, VOK_NO_SCALE, &big)); }},  // whatever the mode
        {"vokwGoertz", factor, [&] { return zero(vokwGoertz(&s, 1, VOK_NO_SCALE, &low)); }},
        {"vokvGoertz", "Zero scale factor pointer", [&] { return zero(vokvGoertz(&s, v[0], VOK_AUTO_SCALE, nullptr)); }},
        {"vokvGoertz", "Erroneus scale mode", [&] { return zero(vokvGoertz(&s, v[0], 5, &ok)); }},
        {"vokvbGoertz", buffer, [&] { return zero(vokvbGoertz(&s, nullptr, 2, 5, nullptr)); }},
        {"vokvbGoertz", length, [&] { return zero(vokvbGoertz(&s, v, 0, 5, nullptr)); }},
        {"vokwbGoertz", state, [&] { return zero(vokwbGoertz(nullptr, nullptr, 0, 0, nullptr)); }},
        {"vokwbGoertz", factor, [&] { return zero(vokwbGoertz(&s, w, 2, 0, &big)); }},
    });
    voktest::ReportSteps steps("");
    for (const Row& r : rows) {
        const bool w16 = r.function[3] == 'w' || r.function[3] == 'v';
        steps.run([&] { EXPECT_TRUE(r.call()) << r.function; }, {{VOK_StatusBadArg, r.function, r.context,
                                                                   w16 ? "vokgrtzw" : "vokgrtzl"}});
    }
    steps.run([&] {
        vok::testing::failAllocationAfter(1);
        EXPECT_TRUE(zero(vokvbGoertz(&s, v, 2, VOK_SATURATE, &ok)));
        vok::testing::failAllocationAfter(0);
    }, {{VOK_StatusNoMemory, "vokvbGoertz", "No memory for working array", "vokgrtzw"}});
    EXPECT_EQ(std::memcmp(&s0, &s, sizeof s), 0);
    EXPECT_EQ(std::memcmp(&d0, &d, sizeof d), 0);
}

}  // namespace
