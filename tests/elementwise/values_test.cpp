// Elementwise functions, statistics, norms and normalization: a table of the values that pin their rules (16-bit
// rounding and scale modes, thresholds on bit patterns, complex branches, signed zeros, NaNs, reports after
// processing, failed work buffers), then float and double against long-double references; all at every width,
// with the same bits at every width.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "voktest/sweep.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using Values = std::vector<double>;
using Call = std::function<Values()>;
using robust::starved;
using voktest::ReportRecorder;
using voktest::sameBits;

struct Factor {  // a scale factor passed by pointer: its value after the call is appended to the results
    int value;
};
// A call on literal data: in place, into a second buffer (whose element after the output is a guard to keep) or a
// statistic.
template <class T, class F, class... B>
Call onData(F f, std::vector<T> v, B... b) {
    return [=] {
        std::vector<T> out(v.size() + 1, v[0]);
        int sf = 0;
        const auto pass = [&sf](auto x) {
            if constexpr (std::is_same_v<decltype(x), Factor>) return &(sf = x.value);
            else return x;
        };
        Values flat;
        if constexpr (!std::is_invocable_v<F, T*, int, decltype(pass(b))...>) {
            f(v.data(), out.data(), int(v.size()), pass(b)...);
        } else if constexpr (std::is_void_v<std::invoke_result_t<F, T*, int, decltype(pass(b))...>>) {
            std::copy(v.begin(), v.end(), out.begin());
            f(out.data(), int(v.size()), pass(b)...);
        } else {
            flat.push_back(double(f(v.data(), int(v.size()), pass(b)...)));
        }
        EXPECT_TRUE(sameBits(&out.back(), &v[0], 1)) << "wrote past the end";
        out.pop_back();
        if (flat.empty()) flat = robust::widen(out);
        if ((std::is_same_v<B, Factor> || ...)) flat.push_back(sf);
        return flat;
    };
}
template <class T, class... A, class... B>
Call in1(void (*f)(T*, int, A...), std::vector<T> v, B... b) { return onData<T>(f, v, b...); }
template <class T, class... A, class... B>
Call in2(void (*f)(const T*, T*, int, A...), std::vector<T> v, B... b) { return onData<T>(f, v, b...); }
template <class T, class R, class... A, class... B>
Call stat(R (*f)(const T*, int, A...), std::vector<T> v, B... b) { return onData<T>(f, v, b...); }
// Statistics of one vector, and norms of a (or a - b, b not empty) under each flag.
template <class T, class... F>
Call each(std::vector<T> v, F... f) {
    return [=] { return Values{double(f(v.data(), int(v.size())))...}; };
}
template <class T, class R>
Call norms(R (*f)(const T*, const T*, int, int), std::vector<T> a, std::vector<T> b, std::vector<int> flags) {
    return [=] {
        Values out;
        for (int flag : flags) out.push_back(f(a.data(), b.empty() ? nullptr : b.data(), int(a.size()), flag));
        return out;
    };
}
Call at(Call call, std::size_t i, double (*f)(double)) {  // one result replaced by what it must satisfy
    return [=] {
        Values v = call();
        v[i] = f(v[i]);
        return v;
    };
}
double isNan(double x) { return std::isnan(x); }
double isHuge(double x) { return x > 1e38; }

struct Row {
    Call run;      // a call on literal data
    Values want;   // its results in order, complex parts flattened
    double tol = 0;  // relative; 0: the same bits
    std::vector<voktest::Expected> reports = {};
};

const char* const kNegative = "Element of input vector is negative";
const char* const kZero = "zero element and zero thresh";

std::vector<Row> rows() {
    const double inf = INFINITY, f3 = float(1.0 / 3.0), fmax = FLT_MAX, half = std::sqrt(0.5), tiny = 0x1p-511 * half;
    using S = short;
    using SC = ShortComplex;
    const std::vector<S> big = {-32768, 32767};
    return {
        // Complex square roots on the principal branch; 16-bit ones rounded, reporting after every element.
        {in2(vokzbSqrt2, {DoubleComplex{-4, 0}, {3, 4}, {0, -2}, {-1, -0.0}}), {0, 2, 2, 1, 1, -1, 0, -1}, 1e-15},
        {in1(vokcbSqrt1, {FloatComplex{-9, 0}, {0, 8}}), {0, 3, 2, 2}, 1e-6},
        {in1(vokwbSqrt1, {S(0), S(1), S(2), S(3), S(6), S(7), S(32767), S(-5)}), {0, 1, 1, 2, 2, 3, 181, 0}, 0,
         {{VOK_StatusBadArg, "vokwbSqrt1", kNegative, "vokvec"}}},
        {in2(vokwbSqrt2, {S(-5), S(2), S(3), S(181)}), {0, 1, 2, 13}, 0,
         {{VOK_StatusBadArg, "vokwbSqrt2", kNegative, "vokvec"}}},
        {in1(vokvbSqrt1, {SC{-100, 0}, {3, 4}}), {0, 10, 2, 1}},  // sqrt(3+4i) = 2+i
        // Squares, logarithms, absolute values.
        {in2(vokzbSqr2, {DoubleComplex{1, 2}, {0, 1}}), {-3, 4, -1, 0}},
        {in2(vokwbLn2, {S(1), S(2), S(3), S(7), S(8), S(20), S(32767), S(0), S(-1), S(-32768)}),
         {0, 1, 1, 2, 2, 3, 10, -32768, -32768, -32768}},
        {in2(vokdbAbs2, {-1e-310}), {1e-310}},
        {in1(vokwbAbs1, {S(-32768), S(-32767), S(5)}), {32767, 32767, 5}},
        // Real thresholds compare float bit patterns in numeric order; any non-zero relation is VOK_GT.
        {in1(voksbThresh1, {-3.f, 0.7f, 0.5f, -0.f, 0.f, 0.1f}, 0.5f, VOK_LT), {0.5, double(0.7f), 0.5, 0.5, 0.5, 0.5}},
        {in2(voksbThresh2, {-0.5f, 2.f, -4.f, -1.f, INFINITY, -INFINITY}, -1.0f, 2), {-1, -1, -4, -1, -1, -inf}},
        {in1(voksbThresh1, {-1e-45f, 0.f, -0.f, -7.f}, -0.0f, VOK_LT), {-0.0, 0, -0.0, -0.0}},
        {in1(voksbThresh1, {-1e-45f, 0.f, -7.f}, -0.0f, VOK_GT), {double(-1e-45f), -0.0, -7}},
        {in1(voksbThresh1, {-3.f}, -2.0f, VOK_LT), {-2}},
        {in1(vokdbThresh1, {-2., 1., 3.}, 1.5, VOK_GT), {-2, 1, 1.5}},
        {in1(vokwbThresh1, {S(-32768), S(5), S(32767)}, S(0), VOK_LT), {0, 5, 32767}},
        // Complex thresholds rescale to the threshold's magnitude, keeping the phase.
        {in1(vokcbThresh1, {FloatComplex{0.6f, 0.8f}, {3, 4}, {0, 0}, {-1, 0}}, 2.0f, VOK_LT),
         {1.2, 1.6, 3, 4, 2, 0, -2, 0}, 1e-6},
        {in1(vokzbThresh1, {DoubleComplex{3, 4}, {0.3, 0.4}}, 1.0, VOK_GT), {0.6, 0.8, 0.3, 0.4}, 1e-15},
        {in1(vokzbThresh1, {DoubleComplex{tiny, tiny}}, 1.0, VOK_LT), {half, half}, 1e-15},  // |z|^2 = DBL_MIN
        {in1(vokvbThresh1, {SC{3, 4}, {0, 0}, {300, 400}}, S(10), VOK_LT), {6, 8, 10, 0, 300, 400}},
        {in1(vokvbThresh1, {SC{-32768, -32768}, {1, 1}}, S(100), VOK_GT), {-71, -71, 1, 1}},
        {in2(vokcbThresh2, {FloatComplex{0, 0}, {-1, 2}}, 0.0f, VOK_LT), {0, 0, -1, 2}},  // 0 allowed
        {in2(vokvbThresh2, {SC{0, 0}, {-1, 2}}, S(0), VOK_LT), {0, 0, -1, 2}},
        // Inverse thresholds: conjugate over squared magnitude, small values raised first.
        {in1(vokcbInvThresh1, {FloatComplex{3, 4}, {0.03f, 0.04f}, {0, 0}}, 0.5f), {0.12, -0.16, 1.2, -1.6, 2, 0},
         1e-6},
        {at(in1(vokzbInvThresh1, {DoubleComplex{0, -0.0}, {2, 0}}, 0.0), 0, isHuge), {1, 0, 0.5, -0.0}, 0,
         {{VOK_StatusBadArg, "vokzbInvThresh1", kZero, "vokvec"}}},
        {at(in1(vokcbInvThresh1, {FloatComplex{0, -0.f}, {2, 0}}, 0.f), 0, isHuge), {1, 0, 0.5, -0.0}, 0,
         {{VOK_StatusBadArg, "vokcbInvThresh1", kZero, "vokvec"}}},
        {in2(voksbInvThresh2, {0.f, -0.f, 2.f, 0.f, 4.f, 8.f}, 0.0f), {fmax, -inf, 0.5, fmax, 0.25, 0.125}, 0,
         {{VOK_StatusBadArg, "voksbInvThresh2", kZero, "vokvec"}}},
        {in2(vokdbInvThresh2, {0., -0., 2.}, 0.0), {DBL_MAX, -inf, 0.5}, 0,
         {{VOK_StatusBadArg, "vokdbInvThresh2", kZero, "vokvec"}}},
        {[] {  // products of four that leave the normal range still give plain reciprocals
             const std::vector<float> x = {1e30f, 1e30f, 1e-30f, 1e30f, 0.25f, INFINITY, 2, 4, 1e17f, 1e17f, 1e17f,
                                           1e-17f};
             auto r = in2(voksbInvThresh2, x, 0.0f)();
             for (int i = 0; i < 12; ++i) r[i] *= i == 5 ? 1 : x[i];
             return r;
         }, {1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1}, 1e-6},
        // 16-bit squares and exponentials under each scale mode (the factor appended).
        {in2(vokwbSqr2, {S(300), S(-200), S(32767), S(-32768)}, VOK_NO_SCALE, nullptr),
         {90000 - 65536, 40000 - 65536, 1, 0}},
        {in2(vokwbSqr2, {S(300), S(-32768)}, VOK_SATURATE, nullptr), {32767, 32767}},
        {in2(vokwbSqr2, {S(300), S(-32768)}, VOK_AUTO_SCALE, Factor{0}), {90000 >> 16, 16384, 16}},
        {in2(vokwbSqr2, {S(100), S(-181)}, VOK_FIXED_SCALE, Factor{2}), {2500, 32761 >> 2, 2}},
        {in1(vokvbSqr1, {SC{3, 4}}, VOK_NO_SCALE, nullptr), {-7, 24}},
        {in1(vokvbSqr1, {SC{-32768, -32768}}, VOK_AUTO_SCALE, Factor{0}), {0, 32767, 16}},  // 2^31-1>>16
        {in2(vokwbExp2, {S(0), S(1), S(2), S(10), S(11), S(-3)}, VOK_SATURATE, nullptr), {1, 2, 7, 22026, 32767, 0}},
        {in2(vokwbExp2, {S(10), S(11)}, VOK_AUTO_SCALE, Factor{0}), {11013, double(short(std::exp(11.0) / 2)), 1}},
        {in1(vokwbExp1, {S(3), S(100)}, VOK_FIXED_SCALE | VOK_SATURATE, Factor{-2}), {80, 32767, -2}},
        // Without their 32-bit work buffer the 16-bit squares and exponentials leave the data alone.
        {starved(1, in1(vokwbSqr1, {S(5), S(-7)}, VOK_NO_SCALE, nullptr)), {5, -7}, 0,
         {{VOK_StatusNoMemory, "vokwbSqr1", "NULL Pointer", "vokvec"}}},
        {starved(1, in1(vokwbExp1, {S(5), S(-7)}, VOK_NO_SCALE, nullptr)), {5, -7}, 0,
         {{VOK_StatusNoMemory, "vokwbExp1", "NULL Pointer", "voklnexw"}}},
        // Statistics; 16-bit means truncate toward zero.
        {each(std::vector<float>{1, 2, 3}, voksMean, voksMax, voksMin), {2, 3, 1}},
        {each(std::vector<float>{1, 2, 3}, voksStdDev), {14.0 / 3}, 1e-6},
        {each(std::vector<double>{-0.5, 7, -9, 2}, vokdMax, vokdMin), {7, -9}},
        {each(std::vector<short>{1, 2}, vokwMean), {1}},
        {each(std::vector<short>{-1, -2}, vokwMean), {-1}},
        {each(big, vokwMax, vokwMin), {32767, -32768}},
        {each(std::vector<short>(65537, 32767), vokwMean), {32767}},
        {stat(vokwStdDev, {S(1), S(2), S(3)}, VOK_NO_SCALE, nullptr), {4}},
        {stat(vokwStdDev, big, VOK_AUTO_SCALE, Factor{0}), {(1073741824 + 1073676289) / 2 >> 15, 15}},
        {stat(vokwStdDev, big, VOK_SATURATE, nullptr), {32767}},
        // Norms: relative rules (squares below the smallest normal count as zero), the complex and 16-bit forms.
        {norms(voksNorm, {3.f, 4.f}, {}, {VOK_L2, VOK_C | VOK_RELATIVE, VOK_L1}), {5, 1, 7}},
        {norms(voksNorm, {3.f, 4.f}, {0.f, 0.f}, {VOK_L2 | VOK_RELATIVE}), {1}},
        {norms(voksNorm, {3.f, 4.f}, {1.f, 1.f}, {VOK_C}), {3}},
        {norms(voksNorm, {3.f, 4.f}, {3.f, 4.f}, {VOK_L1 | VOK_RELATIVE}), {0}},
        {norms(voksNorm, {0.f, 0.f}, {1.f, 1.f}, {VOK_L1 | VOK_RELATIVE}), {fmax}},
        {norms(voksNorm, {1e-20f, 0.f}, {0.f, 0.f}, {VOK_L2 | VOK_RELATIVE}), {0}},
        {norms(vokdNorm, {0., 0.}, {1e-300, 0.}, {VOK_C | VOK_RELATIVE}), {0}},
        {norms(vokdNorm, {-2., -INFINITY}, {}, {VOK_C}), {inf}},
        {norms(voksNorm, {1.f, -INFINITY}, {}, {VOK_C}), {inf}},
        {at(norms(voksNorm, {1.f, -INFINITY, NAN, 2.f}, {}, {VOK_C}), 0, isNan), {1}},
        {norms(vokcNorm, {FloatComplex{3, 4}, {0, -1}}, {}, {VOK_C, VOK_L1, VOK_L2}), {5, 6, std::sqrt(26.0)}, 1e-6},
        {norms(vokcNorm, {FloatComplex{3, 4}, {0, -1}}, {{0, 0}, {0, 1}}, {VOK_L1}), {7}},
        {norms(vokzNorm, {DoubleComplex{1e200, 1e200}, {-3, 4}}, {}, {VOK_C}), {std::sqrt(2.0) * 1e200}, 1e-15},
        {norms(vokzNorm, {DoubleComplex{-3, 4}}, {}, {VOK_L1}), {5}},
        {norms(vokwNorm, big, {S(32767), S(-32768)}, {VOK_C, VOK_L1, VOK_L2}), {65535, 131070, std::sqrt(2.0) * 65535},
         1e-6},
        {norms(vokwNorm, big, big, {VOK_L2 | VOK_RELATIVE}), {0}},
        {norms(vokwNorm, {S(3), S(-4)}, {}, {VOK_L1, VOK_L2}), {7, 5}},  // small sums, exact
        {norms(vokvNorm, {SC{3, 4}}, {}, {VOK_L2}), {5}},
        {norms(vokvNorm, {SC{3, 4}, {-32768, -32768}}, {{0, 0}, {0, 0}}, {VOK_C, VOK_L1 | VOK_RELATIVE}),
         {32768 * std::sqrt(2.0), 1}, 1e-6},
        // Normalization: offset, then the reciprocal factor; 16-bit results truncate and saturate.
        {in2(voksbNormalize, {1.f, 2.f, -3.f}, 1.0f, 3.0f), {0, f3, double(float(-4.0 / 3.0))}},
        {in2(vokdbNormalize, {10.}, 4.0, -2.0), {-3}},
        {in2(vokcbNormalize, {FloatComplex{1, 1}}, FloatComplex{1, -1}, 0.5f), {0, 4}},
        {in2(vokzbNormalize, {DoubleComplex{3, 5}}, DoubleComplex{1, 1}, 2.0), {1, 2}},
        {in2(vokwbNormalize, {S(10), S(-10), S(32767)}, S(2), 4.0f), {2, -3, 8191}},
        {in2(vokwbNormalize, {S(10), S(32767)}, S(0), 0.25f), {40, 32767}},
        {in2(vokvbNormalize, {SC{5, -7}}, SC{1, 1}, -2.0f), {-2, 4}},
    };
}

// Exact integral results (the 16-bit ones among them) are the same whatever rounding mode the caller has set.
TEST(Values, EveryRowGivesItsResultsAndReportsAtEveryWidth) {
    const auto table = rows();
    for (std::size_t r = 0; r < table.size(); ++r) {
        SCOPED_TRACE(testing::Message() << "row " << r);
        const Values& want = table[r].want;
        const bool integral = !table[r].tol && std::all_of(want.begin(), want.end(), [](double x) {
            return !std::isfinite(x) || x == std::trunc(x);
        });
        for (int rounding : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) voktest::forEachWidth([&] {
            if (rounding != FE_TONEAREST && !integral) return;
            SCOPED_TRACE(testing::Message() << "caller rounding " << rounding);
            ReportRecorder rec;
            std::fesetround(rounding);
            const Values got = table[r].run();
            std::fesetround(FE_TONEAREST);
            ASSERT_EQ(got.size(), want.size());
            // tol relative to max(1, |want|); 0: the same bits (the same value under other modes: x - x may be -0)
            const double tol = table[r].tol;
            for (std::size_t i = 0; i < got.size(); ++i)
                EXPECT_TRUE(tol ? std::fabs(got[i] - want[i]) <= tol * std::max(1.0, std::fabs(want[i]))
                                : rounding == FE_TONEAREST ? sameBits(&got[i], &want[i], 1) : got[i] == want[i])
                    << "element " << i << ": " << got[i] << " want " << want[i];
            EXPECT_TRUE(voktest::sameReports(rec.reports(), table[r].reports));
        });
    }
}

// Distance in representable floats (0 when equal, NaNs only match NaNs).
long long ulpDistance(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) ? 0 : 1LL << 40;
    const auto key = [](float x) { return std::bit_cast<std::int32_t>(std::fabs(x)) * (std::signbit(x) ? -1LL : 1LL); };
    return std::llabs(key(a) - key(b));
}

// Random float patterns: all exponents (denormals included) and both signs,
// then the special values at the front.
std::vector<float> randomPatterns(int n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<float> v(n);
    for (auto& x : v) x = std::bit_cast<float>(std::uint32_t(rng()));
    const float specials[] = {0.0f, -0.0f, INFINITY, -INFINITY, NAN, 1.0f, -1.0f, FLT_MIN, FLT_TRUE_MIN, FLT_MAX,
                              std::bit_cast<float>(0x7FA00001u), std::bit_cast<float>(0xFFC00123u)};
    std::copy(std::begin(specials), std::end(specials), v.begin());
    return v;
}

float quieted(float nan) { return std::bit_cast<float>(std::bit_cast<std::uint32_t>(nan) | 0x00400000u); }

// Both forms at every width on the first 1, 3, 7, 16, 17, 63 and all elements:
// the exact bits where want() pins them, else within one ulp; nothing written
// past the end; one report after processing when an element is negative and
// the function reports it (the text given), else none.
template <class T, class Want>
void expectForms(void (*form1)(T*, int), void (*form2)(const T*, T*, int), const std::string& name,
                 const std::vector<T>& src, Want want, const char* negative = nullptr) {
    voktest::forEachWidth([&] {
        for (int n : {1, 3, 7, 16, 17, 63, int(src.size())}) {
            std::vector<T> one(src.begin(), src.begin() + n), two(n + 1, T(42));
            const bool reported = negative && std::any_of(one.begin(), one.end(), [](T x) { return x < 0; });
            for (const std::string form : {"1", "2"}) {
                ReportRecorder rec;
                if (form == "1") form1(one.data(), n);
                else form2(src.data(), two.data(), n);
                std::vector<voktest::Expected> reports;
                if (reported) reports.push_back({VOK_StatusBadArg, (name + form).c_str(), negative, "vokvec"});
                EXPECT_TRUE(voktest::sameReports(rec.reports(), reports)) << name << form << " n=" << n;
            }
            ASSERT_EQ(two[n], T(42)) << name << " wrote past the end";
            ASSERT_TRUE(sameBits(one.data(), two.data(), n)) << name << ": the forms differ";
            long long worst = 0;
            for (int i = 0; i < n; ++i) {
                const auto [w, exact] = want(src[i]);
                if (exact) ASSERT_TRUE(sameBits(&two[i], &w, 1)) << name << " of " << src[i];
                else worst = std::max(worst, ulpDistance(float(two[i]), float(w)));
            }
            EXPECT_LE(worst, 1) << name;
        }
    });
}

// NaNs keep their payload, quieted; the logarithm of anything with the sign
// bit set is the negative quiet NaN; the float exponential gives +0 from -105
// down; IEEE square roots round correctly; double logarithms and exponentials
// are the C library's.
TEST(Forms, LogarithmExponentialSquareRootAbsoluteValueAndSquare) {
    auto lnSrc = randomPatterns(20011, 11);
    for (std::uint32_t b = std::bit_cast<std::uint32_t>(0.5f); b < 0x40000000u; b += 5)  // [0.5, 2): ln near 0
        lnSrc.push_back(std::bit_cast<float>(b));
    expectForms(voksbLn1, voksbLn2, "voksbLn", lnSrc, [](float x) -> std::pair<float, bool> {
        if (std::signbit(x)) return {std::bit_cast<float>(0xFFC00000u), true};
        if (std::isnan(x)) return {quieted(x), true};
        return {x == 0 ? -INFINITY : float(std::log((long double)x)), x == 0 || x == 1};
    });
    auto expSrc = randomPatterns(10007, 12);
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> u(-110.0f, 95.0f);
    for (int i = 0; i < 30001; ++i) expSrc.push_back(u(rng));
    expSrc.insert(expSrc.end(), {88.72283f, 88.72284f, -87.33655f, -103.9720f, -103.9721f, -104.5f, 1e-30f, -1e-30f,
                                 89.0f, 1e30f, -105.0f, -1e30f});
    expectForms(voksbExp1, voksbExp2, "voksbExp", expSrc, [](float x) -> std::pair<float, bool> {
        if (std::isnan(x)) return {quieted(x), true};
        if (x <= -105.0f) return {0.0f, true};
        return {float(std::exp((long double)x)), false};
    });
    const auto fs = randomPatterns(5003, 21);
    std::vector<double> ds(fs.begin(), fs.end());
    ds.insert(ds.end(), {1e-310, 700.0, 710.0, -746.0});
    const auto exact = [](auto f) { return [f](auto x) { return std::pair{decltype(x)(f(x)), true}; }; };
    expectForms(voksbSqrt1, voksbSqrt2, "voksbSqrt", fs, exact([](float x) { return std::sqrt(x); }), kNegative);
    expectForms(vokdbSqrt1, vokdbSqrt2, "vokdbSqrt", ds, exact([](double x) { return std::sqrt(x); }), kNegative);
    const double negNan = std::bit_cast<double>(0xFFF8000000000000ull);
    const auto lnDouble = [=](double x) { return std::signbit(x) ? negNan : std::log(x); };
    expectForms(vokdbLn1, vokdbLn2, "vokdbLn", ds, exact(lnDouble));
    expectForms(vokdbExp1, vokdbExp2, "vokdbExp", ds, exact([](double x) { return std::exp(x); }));
    expectForms(voksbAbs1, voksbAbs2, "voksbAbs", fs, exact([](float x) { return std::fabs(x); }));
    expectForms(vokdbAbs1, vokdbAbs2, "vokdbAbs", ds, exact([](double x) { return std::fabs(x); }));
    expectForms(voksbSqr1, voksbSqr2, "voksbSqr", fs, exact([](float x) { return x * x; }));
    expectForms(vokdbSqr1, vokdbSqr2, "vokdbSqr", ds, exact([](double x) { return x * x; }));
}

template <class T>
std::vector<T> randomReals(int n, std::mt19937& rng) {
    std::uniform_real_distribution<double> exponent(-40, 40), u(-1, 1);
    std::vector<T> v(n);
    for (auto& x : v) x = T(u(rng) * std::exp(exponent(rng)));
    if (n > 3) v[n / 2] = std::numeric_limits<T>::denorm_min() * 3;
    return v;
}

// The norm of a, or of a - b (each difference rounded to T first).
template <class T>
long double refNorm(const std::vector<T>& a, const std::vector<T>* b, int flag) {
    long double best = 0, sum = 0, squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const long double d = b ? (long double)T(a[i] - (*b)[i]) : (long double)a[i];
        best = std::max(best, std::fabs(d));
        sum += std::fabs(d);
        squares += d * d;
    }
    return flag == VOK_C ? best : flag == VOK_L1 ? sum : std::sqrt(squares);
}

// Mean and mean square exact but for a final rounding and second-order terms
// (one ulp of the result plus a sliver of sum |x|); norms, of differences and
// relative, within two epsilons; reciprocals of the values raised to 1e-12 in
// magnitude within three epsilons, without a report. Means of cancelling and
// of non-finite data first.
template <class T, class Mean, class Norm>
void sumsNormsAndReciprocals(Mean mean, Mean meanSquare, Norm norm, void (*invThresh2)(const T*, T*, int, T)) {
    using L = std::numeric_limits<T>;
    SCOPED_TRACE(sizeof(T) == 4 ? "float" : "double");
    std::vector<T> v(48, T(1));  // 1e15 + 1 - 1e15 in every partial position: the wide sum keeps the 1
    std::fill(v.begin(), v.begin() + 16, T(1e15));
    std::fill(v.begin() + 32, v.end(), T(-1e15));
    EXPECT_EQ(mean(v.data(), 48), T(16.0 / 48));
    const T inf[] = {L::infinity(), 1, 2}, infs[] = {L::infinity(), -L::infinity(), 0}, nan[] = {1, L::quiet_NaN()};
    EXPECT_EQ(mean(inf, 3), L::infinity());
    EXPECT_TRUE(std::isnan(mean(infs, 3)) && std::isnan(mean(nan, 2)));
    const T big[] = {L::max(), L::max()};
    EXPECT_EQ(mean(big, 2), sizeof(T) == 4 ? L::max() : L::infinity()) << "float data sum in double";
    std::mt19937 rng(99);
    const auto expectClose = [](T got, long double want, long double absSum, int n) {
        const T w = T(want);
        const long double ulp = std::nextafter(std::fabs(w), L::infinity()) - std::fabs(w);
        EXPECT_LE(std::fabs((long double)got - want), ulp + absSum * 1e-28L) << "n=" << n << " " << double(want);
    };
    for (int n : {1, 2, 7, 15, 16, 17, 31, 33, 100, 1000, 4097}) {
        const auto a = randomReals<T>(n, rng), b = randomReals<T>(n, rng);
        long double sum = 0, squares = 0, absSum = 0;
        for (T x : a) {
            sum += x;
            squares += (long double)x * x;
            absSum += std::fabs((long double)x);
        }
        // Means, norms of a - b and the reciprocals, the same bits at every width.
        voktest::sameAtEveryWidth<T>(5 + n, T(0), [&](T* got) {
            got[0] = mean(a.data(), n), got[1] = meanSquare(a.data(), n);
            expectClose(got[0], sum / n, absSum / n, n);
            expectClose(got[1], squares / n, 0, n);
            T* next = got + 2;
            for (int flag : {VOK_C, VOK_L1, VOK_L2}) {
                const long double plain = refNorm<T>(a, nullptr, flag), diff = refNorm(a, &b, flag);
                const double tol = 2 * L::epsilon();
                const T d = *next++ = norm(a.data(), b.data(), n, flag);
                EXPECT_NEAR(double(d / diff), 1.0, tol) << flag << " n=" << n;
                EXPECT_NEAR(double(norm(a.data(), nullptr, n, flag) / plain), 1.0, tol) << flag << " n=" << n;
                const T relative = norm(a.data(), b.data(), n, flag | VOK_RELATIVE);
                EXPECT_NEAR(double(relative / (diff / plain)), 1.0, 2 * tol) << flag << " n=" << n;
            }
            ReportRecorder rec;
            invThresh2(a.data(), next, n, T(1e-12));
            EXPECT_REPORTS(rec);
            for (int i = 0; i < n; ++i) {
                const long double raised = std::fabs(a[i]) < T(1e-12) ? std::copysign(T(1e-12), a[i]) : a[i];
                ASSERT_NEAR(double(next[i] * raised), 1.0, 3 * L::epsilon()) << n << " " << i;
            }
        });
    }
}

TEST(Real, SumsNormsAndReciprocalsMatchLongDoubleWithTheSameBitsAtEveryWidth) {
    sumsNormsAndReciprocals<float>(voksMean, voksStdDev, voksNorm, voksbInvThresh2);
    sumsNormsAndReciprocals<double>(vokdMean, vokdStdDev, vokdNorm, vokdbInvThresh2);
}

}  // namespace
