// Elementwise functions, statistics, norms and normalization at the values
// that pin their rules: rounding of the 16-bit forms, scale modes, threshold
// comparisons on bit patterns, the complex branches, signed zeros and NaNs,
// and the reports some of them make after processing. One row per case: the
// call on literal data, the results in order (complex parts flattened,
// returned scale factors appended), their tolerance (0: the same bits), and
// the reports.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "voktest/reports.h"
#include "vok.h"

namespace {

using Values = std::vector<double>;

template <class T>
Values flat(const std::vector<T>& v) {
    Values out;
    for (const T& x : v) {
        if constexpr (std::is_arithmetic_v<T>) out.push_back(double(x));
        else out.push_back(double(x.re)), out.push_back(double(x.im));
    }
    return out;
}
// In-place and out-of-place forms on literal data.
template <class T, class... A, class... B>
Values in1(void (*f)(T*, int, A...), std::vector<T> v, B... b) {
    f(v.data(), int(v.size()), b...);
    return flat(v);
}
template <class T, class... A, class... B>
Values in2(void (*f)(const T*, T*, int, A...), const std::vector<T>& v, B... b) {
    std::vector<T> d(v.size());
    f(v.data(), d.data(), int(v.size()), b...);
    return flat(d);
}
Values withFactor(Values v, const int& sf) {  // sf read after the call has set it
    v.push_back(sf);
    return v;
}
double fromBits(std::uint32_t b) {
    float x;
    std::memcpy(&x, &b, 4);
    return x;
}

struct Row {
    std::function<Values()> run;
    Values want;
    double tol = 0;
    std::vector<voktest::Expected> reports = {};
};

const char* const kNegative = "Element of input vector is negative";
const char* const kZero = "zero element and zero thresh";

std::vector<Row> rows() {
    const double inf = INFINITY, f3 = float(1.0 / 3.0), fmax = FLT_MAX;
    using S = short;
    using SC = ShortComplex;
    return {
        // Square roots: principal branch, rounding of the 16-bit forms, report after every element is written.
        {[] { return in1(voksbSqrt1, {4.f, -0.f, 9.f}); }, {2, -0.0, 3}},
        {[] { auto r = in1(voksbSqrt1, {4.f, -1.f, 9.f}); r[1] = std::isnan(r[1]); return r; }, {2, 1, 3}, 0,
         {{VOK_StatusBadArg, "voksbSqrt1", kNegative, "vokvec"}}},
        {[] { return in2(vokzbSqrt2, {DoubleComplex{-4, 0}, {3, 4}, {0, -2}, {-1, -0.0}}); },
         {0, 2, 2, 1, 1, -1, 0, -1}, 1e-15},
        {[] { return in1(vokcbSqrt1, {FloatComplex{-9, 0}, {0, 8}}); }, {0, 3, 2, 2}, 1e-6},
        {[] { return in1(vokwbSqrt1, {S(0), S(1), S(2), S(3), S(6), S(7), S(32767), S(-5)}); },
         {0, 1, 1, 2, 2, 3, 181, 0}, 0, {{VOK_StatusBadArg, "vokwbSqrt1", kNegative, "vokvec"}}},
        {[] { return in1(vokvbSqrt1, {SC{-100, 0}, {3, 4}}); }, {0, 10, 2, 1}},  // sqrt(3+4i) = 2+i
        // Squares, logarithms, absolute values.
        {[] { return in1(voksbSqr1, {-3.f, 0.5f, 1e20f}); }, {9, 0.25, inf}},
        {[] { return in2(vokzbSqr2, {DoubleComplex{1, 2}, {0, 1}}); }, {-3, 4, -1, 0}},
        {[] { return in2(vokwbLn2, {S(1), S(2), S(3), S(7), S(8), S(20), S(32767), S(0), S(-1), S(-32768)}); },
         {0, 1, 1, 2, 2, 3, 10, -32768, -32768, -32768}},
        {[] { return in1(voksbLn1, {1.f}); }, {0.0}},
        {[] { return in1(voksbAbs1, {-0.f, -2.5f, float(fromBits(0xFFC00001u))}); }, {0, 2.5, fromBits(0x7FC00001u)}},
        {[] { return in2(vokdbAbs2, {-1e-310}); }, {1e-310}},
        {[] { return in1(vokwbAbs1, {S(-32768), S(-32767), S(5)}); }, {32767, 32767, 5}},
        // Real thresholds compare float bit patterns in numeric order; any non-zero relation is VOK_GT.
        {[] { return in1(voksbThresh1, {-3.f, 0.7f, 0.5f, -0.f, 0.f, 0.1f}, 0.5f, VOK_LT); },
         {0.5, double(0.7f), 0.5, 0.5, 0.5, 0.5}},
        {[] { return in2(voksbThresh2, {-0.5f, 2.f, -4.f, -1.f, INFINITY, -INFINITY}, -1.0f, 2); },
         {-1, -1, -4, -1, -1, -inf}},
        {[] { return in1(voksbThresh1, {-1e-45f, 0.f, -0.f, -7.f}, -0.0f, VOK_LT); }, {-0.0, 0, -0.0, -0.0}},
        {[] { return in1(voksbThresh1, {-1e-45f, 0.f, -7.f}, -0.0f, VOK_GT); }, {double(-1e-45f), -0.0, -7}},
        {[] { return in1(voksbThresh1, {-3.f}, -2.0f, VOK_LT); }, {-2}},
        {[] { return in1(vokdbThresh1, {-2., 1., 3.}, 1.5, VOK_GT); }, {-2, 1, 1.5}},
        {[] { return in1(vokwbThresh1, {S(-32768), S(5), S(32767)}, S(0), VOK_LT); }, {0, 5, 32767}},
        // Complex thresholds rescale to the threshold's magnitude, keeping the phase.
        {[] { return in1(vokcbThresh1, {FloatComplex{0.6f, 0.8f}, {3, 4}, {0, 0}, {-1, 0}}, 2.0f, VOK_LT); },
         {1.2, 1.6, 3, 4, 2, 0, -2, 0}, 1e-6},
        {[] { return in1(vokzbThresh1, {DoubleComplex{3, 4}, {0.3, 0.4}}, 1.0, VOK_GT); }, {0.6, 0.8, 0.3, 0.4}, 1e-15},
        {[] { return in1(vokvbThresh1, {SC{3, 4}, {0, 0}, {300, 400}}, S(10), VOK_LT); }, {6, 8, 10, 0, 300, 400}},
        {[] { return in1(vokvbThresh1, {SC{-32768, -32768}, {1, 1}}, S(100), VOK_GT); }, {-71, -71, 1, 1}},
        {[] { return in2(vokcbThresh2, {FloatComplex{0, 0}, {-1, 2}}, 0.0f, VOK_LT); }, {0, 0, -1, 2}},  // 0 allowed
        {[] { return in2(vokvbThresh2, {SC{0, 0}, {-1, 2}}, S(0), VOK_LT); }, {0, 0, -1, 2}},
        // Inverse thresholds: conjugate over squared magnitude, small values raised first.
        {[] { return in1(vokcbInvThresh1, {FloatComplex{3, 4}, {0.03f, 0.04f}, {0, 0}}, 0.5f); },
         {0.12, -0.16, 1.2, -1.6, 2, 0}, 1e-6},
        {[] { auto r = in1(vokzbInvThresh1, {DoubleComplex{0, -0.0}, {2, 0}}, 0.0); r[0] = r[0] > 1e38; return r; },
         {1, 0, 0.5, -0.0}, 0, {{VOK_StatusBadArg, "vokzbInvThresh1", kZero, "vokvec"}}},
        {[] { auto r = in1(vokcbInvThresh1, {FloatComplex{0, -0.f}, {2, 0}}, 0.f); r[0] = r[0] > 1e38; return r; },
         {1, 0, 0.5, -0.0}, 0, {{VOK_StatusBadArg, "vokcbInvThresh1", kZero, "vokvec"}}},
        {[] { return in2(voksbInvThresh2, {0.f, -0.f, 2.f, 0.f, 4.f, 8.f}, 0.0f); },
         {fmax, -inf, 0.5, fmax, 0.25, 0.125}, 0, {{VOK_StatusBadArg, "voksbInvThresh2", kZero, "vokvec"}}},
        {[] { return in2(vokdbInvThresh2, {0., -0., 2.}, 0.0); }, {DBL_MAX, -inf, 0.5}, 0,
         {{VOK_StatusBadArg, "vokdbInvThresh2", kZero, "vokvec"}}},
        {[] {  // products of four that leave the normal range still give plain reciprocals
             const std::vector<float> x = {1e30f, 1e30f, 1e-30f, 1e30f, 0.25f, INFINITY, 2.f, 4.f};
             auto r = in2(voksbInvThresh2, x, 0.0f);
             for (int i = 0; i < 8; ++i) r[i] *= i == 5 ? 1 : x[i];
             return r;
         },
         {1, 1, 1, 1, 1, 0, 1, 1}, 1e-6},
        // 16-bit squares and exponentials under each scale mode (the factor appended).
        {[] { return in2(vokwbSqr2, {S(300), S(-200), S(32767), S(-32768)}, VOK_NO_SCALE, nullptr); },
         {90000 - 65536, 40000 - 65536, 1, 0}},
        {[] { return in2(vokwbSqr2, {S(300), S(-32768)}, VOK_SATURATE, nullptr); }, {32767, 32767}},
        {[] { int sf = 0; return withFactor(in2(vokwbSqr2, {S(300), S(-32768)}, VOK_AUTO_SCALE, &sf), sf); },
         {90000 >> 16, 16384, 16}},
        {[] { int sf = 2; return in2(vokwbSqr2, {S(100), S(-181)}, VOK_FIXED_SCALE, &sf); }, {2500, 32761 >> 2}},
        {[] { return in1(vokvbSqr1, {SC{3, 4}}, VOK_NO_SCALE, nullptr); }, {-7, 24}},
        {[] { int sf = 0; return withFactor(in1(vokvbSqr1, {SC{-32768, -32768}}, VOK_AUTO_SCALE, &sf), sf); },
         {0, 32767, 16}},  // (2^31 - 1) >> 16
        {[] { return in2(vokwbExp2, {S(0), S(1), S(2), S(10), S(11), S(-3)}, VOK_SATURATE, nullptr); },
         {1, 2, 7, 22026, 32767, 0}},
        {[] { int sf = 0; return withFactor(in2(vokwbExp2, {S(10), S(11)}, VOK_AUTO_SCALE, &sf), sf); },
         {11013, double(short(std::exp(11.0) / 2)), 1}},
        {[] { int sf = -2; return in1(vokwbExp1, {S(3), S(100)}, VOK_FIXED_SCALE | VOK_SATURATE, &sf); }, {80, 32767}},
        // Statistics.
        {[] { const float s[] = {1, 2, 3}; return Values{voksMean(s, 3), voksMax(s, 3), voksMin(s, 3)}; }, {2, 3, 1}},
        {[] { const float s[] = {1, 2, 3}; return Values{voksStdDev(s, 3)}; }, {14.0 / 3}, 1e-6},
        {[] { const double d[] = {-0.5, 7, -9, 2}; return Values{vokdMax(d, 4), vokdMin(d, 4)}; }, {7, -9}},
        {[] {
             const short w[] = {1, 2}, neg[] = {-1, -2}, ext[] = {-32768, 32767, 5};
             return Values{double(vokwMean(w, 2)), double(vokwMean(neg, 2)), double(vokwMax(ext, 3)),
                           double(vokwMin(ext, 3))};
         },
         {1, -1, 32767, -32768}},  // truncation toward zero
        {[] { std::vector<short> many(65537, 32767); return Values{double(vokwMean(many.data(), 65537))}; }, {32767}},
        {[] {
             const short s[] = {1, 2, 3}, big[] = {-32768, 32767};
             int sf = 0;
             const short autoScaled = vokwStdDev(big, 2, VOK_AUTO_SCALE, &sf);
             return Values{double(vokwStdDev(s, 3, VOK_NO_SCALE, nullptr)), double(autoScaled), double(sf),
                           double(vokwStdDev(big, 2, VOK_SATURATE, nullptr))};
         },
         {4, double(short((1073741824LL + 1073676289LL) / 2 >> 15)), 15, 32767}},
        // Norms: relative rules, the flag word, the complex and 16-bit forms.
        {[] {
             const float a[] = {3, 4}, z[] = {0, 0}, o[] = {1, 1}, tiny[] = {1e-20f, 0};
             return Values{voksNorm(a, nullptr, 2, VOK_L2), voksNorm(a, z, 2, VOK_L2 | VOK_RELATIVE),
                           voksNorm(a, nullptr, 2, VOK_C | VOK_RELATIVE), voksNorm(z, o, 2, VOK_L1 | VOK_RELATIVE),
                           voksNorm(a, a, 2, VOK_L1 | VOK_RELATIVE), voksNorm(tiny, z, 2, VOK_L2 | VOK_RELATIVE),
                           voksNorm(a, nullptr, 2, VOK_L1), voksNorm(a, o, 2, VOK_C)};
         },
         {5, 1, 1, fmax, 0, 0, 7, 3}},  // squares below the smallest normal count as zero
        {[] {
             const double z[] = {0, 0}, t[] = {1e-300, 0}, d[] = {-2, -INFINITY};
             const float a[] = {1, -INFINITY, NAN, 2};
             return Values{vokdNorm(z, t, 2, VOK_C | VOK_RELATIVE), vokdNorm(d, nullptr, 2, VOK_C),
                           voksNorm(a, nullptr, 2, VOK_C), double(std::isnan(voksNorm(a, nullptr, 4, VOK_C)))};
         },
         {0, inf, inf, 1}},
        {[] {
             const FloatComplex c[] = {{3, 4}, {0, -1}}, cz[] = {{0, 0}, {0, 1}};
             const DoubleComplex z[] = {{1e200, 1e200}, {-3, 4}};
             const float l2 = vokcNorm(c, nullptr, 2, VOK_L2);
             return Values{vokcNorm(c, nullptr, 2, VOK_C), vokcNorm(c, nullptr, 2, VOK_L1), l2 * l2,
                           vokcNorm(c, cz, 2, VOK_L1), vokzNorm(z, nullptr, 2, VOK_C) / 1e200 / std::sqrt(2.0),
                           vokzNorm(z + 1, nullptr, 1, VOK_L1)};
         },
         {5, 6, 26, 7, 1, 5}, 1e-5},
        {[] {
             const short w[] = {-32768, 32767}, w2[] = {32767, -32768};
             const ShortComplex v[] = {{3, 4}, {-32768, -32768}}, v0[] = {{0, 0}, {0, 0}};
             return Values{vokwNorm(w, w2, 2, VOK_C), vokwNorm(w, w2, 2, VOK_L1), vokwNorm(w, w2, 2, VOK_L2),
                           vokwNorm(w, w, 2, VOK_L2 | VOK_RELATIVE), vokvNorm(v, nullptr, 1, VOK_L2),
                           vokvNorm(v, v0, 2, VOK_C), vokvNorm(v, v0, 2, VOK_L1 | VOK_RELATIVE)};
         },
         {65535, 131070, std::sqrt(2.0) * 65535, 0, 5, 32768 * std::sqrt(2.0), 1}, 0.01},
        {[] {  // small sums, exact: one unit off shows
             const short w[] = {3, -4};
             return Values{vokwNorm(w, nullptr, 2, VOK_L1), vokwNorm(w, nullptr, 2, VOK_L2)};
         },
         {7, 5}},
        // Normalization: offset, then the reciprocal factor; 16-bit results truncate and saturate.
        {[] { return in2(voksbNormalize, {1.f, 2.f, -3.f}, 1.0f, 3.0f); }, {0, f3, double(float(-4.0 / 3.0))}},
        {[] { return in2(vokdbNormalize, {10.}, 4.0, -2.0); }, {-3}},
        {[] { return in2(vokcbNormalize, {FloatComplex{1, 1}}, FloatComplex{1, -1}, 0.5f); }, {0, 4}},
        {[] { return in2(vokzbNormalize, {DoubleComplex{3, 5}}, DoubleComplex{1, 1}, 2.0); }, {1, 2}},
        {[] { return in2(vokwbNormalize, {S(10), S(-10), S(32767)}, S(2), 4.0f); }, {2, -3, 8191}},
        {[] { return in2(vokwbNormalize, {S(10), S(32767)}, S(0), 0.25f); }, {40, 32767}},
        {[] { return in2(vokvbNormalize, {SC{5, -7}}, SC{1, 1}, -2.0f); }, {-2, 4}},
    };
}

bool same(double got, double want, double tol) {
    if (tol > 0) return std::fabs(got - want) <= tol * std::max(1.0, std::fabs(want));
    return std::memcmp(&got, &want, sizeof got) == 0;
}

TEST(Values, EveryRowGivesItsResultsAndReports) {
    const auto table = rows();
    for (std::size_t r = 0; r < table.size(); ++r) {
        voktest::ReportRecorder rec;
        const Values got = table[r].run();
        ASSERT_EQ(got.size(), table[r].want.size()) << "row " << r;
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_TRUE(same(got[i], table[r].want[i], table[r].tol))
                << "row " << r << " element " << i << ": " << got[i] << " want " << table[r].want[i];
        EXPECT_TRUE(voktest::sameReports(rec.reports(), table[r].reports)) << "row " << r;
    }
}

}  // namespace
