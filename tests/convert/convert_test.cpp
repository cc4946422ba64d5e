// Conversions: integer and fix-point results against a reference that rounds
// with the processor's own rounding modes in long double, for every flag
// combination and width, under a caller rounding mode that must not matter;
// complex representations against long-double formulas; every report.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "support/reports.h"
#include "support/widths.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;

constexpr int kRoundings[] = {VOK_RndNear, VOK_RndZero, VOK_RndDown, VOK_RndUp};
constexpr int kFeModes[] = {FE_TONEAREST, FE_TOWARDZERO, FE_DOWNWARD, FE_UPWARD};

// Sets the caller's rounding mode for a scope.
struct CallerRounding {
    int saved = std::fegetround();
    explicit CallerRounding(int mode) { std::fesetround(mode); }
    ~CallerRounding() { std::fesetround(saved); }
};

// The reference: rintl under the asked mode, then saturate or keep low bits.
struct Expect {
    std::int64_t bits;  // the stored pattern, sign- or zero-extended
    bool fits;
};

Expect reference(long double x, int fractBits, int bits, int flags) {
    int mode = kFeModes[0];
    for (int k = 0; k < 4; ++k)
        if (flags & kRoundings[k]) mode = kFeModes[k];
    if (bits == 32 && flags == (VOK_OvfErr | VOK_Unsigned | VOK_RndZero)) mode = FE_DOWNWARD;
    const bool isUnsigned = flags & VOK_Unsigned;
    long double r;
    {
        CallerRounding rounding(mode);
        r = std::rintl(std::ldexp(x, fractBits));
    }
    const long double lo = isUnsigned ? 0 : -std::ldexp(1.0L, bits - 1);
    const long double hi = isUnsigned ? std::ldexp(1.0L, bits) - 1 : std::ldexp(1.0L, bits - 1) - 1;
    const bool fits = r >= lo && r <= hi;
    std::uint64_t pattern;
    if (flags & VOK_Clip) {
        const long double c = std::isnan(r) ? 0 : r < lo ? lo : r > hi ? hi : r;
        pattern = std::uint64_t(std::int64_t(c));
    } else if (!std::isfinite(r)) {
        pattern = 0;
    } else {
        pattern = std::uint64_t(std::int64_t(std::fmod(r, std::ldexp(1.0L, 32))));
    }
    const std::uint64_t mask = bits == 32 ? 0xFFFFFFFFu : (std::uint64_t(1) << bits) - 1;
    pattern &= mask;
    std::int64_t value = std::int64_t(pattern);
    if (!isUnsigned && (pattern >> (bits - 1)) & 1) value -= std::int64_t(mask) + 1;
    return {value, fits};
}

std::int64_t loadResult(const std::vector<unsigned char>& buf, int i, int bits, bool isUnsigned) {
    std::uint32_t v = 0;
    std::memcpy(&v, buf.data() + std::size_t(i) * (bits / 8), bits / 8);
    if (isUnsigned) return v;
    if (bits == 8) return std::int8_t(v);
    if (bits == 16) return std::int16_t(v);
    return std::int32_t(v);
}

template <class F>
std::vector<F> awkwardValues() {
    using L = std::numeric_limits<F>;
    std::vector<F> v = {F(0), -F(0), F(0.5), F(-0.5), F(1.5), F(-1.5), F(2.5), F(-2.5), F(3.7), F(-3.7),
                        F(127.5), F(-128.5), F(255.5), F(32767.5), F(-32768.5), F(65535.5), F(40000),
                        F(-40000), F(2147483520.0), F(-2147483648.0), F(4294967040.0), F(1e10), F(-1e10),
                        F(1e30), L::infinity(), -L::infinity(), L::quiet_NaN(), L::denorm_min(),
                        -L::denorm_min(), L::min(), L::max(), L::lowest(), F(0.49999997), F(-0.9999)};
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(-70000.0, 70000.0);
    for (int i = 0; i < 60; ++i) v.push_back(F(u(rng)));
    for (int i = 0; i < 20; ++i) v.push_back(F(std::round(u(rng)) + 0.5));  // halfway cases
    return v;
}

template <class F> struct Api;
#define VOK_TEST_API(t, F)                                                                                      \
    template <> struct Api<F> {                                                                                 \
        static constexpr const char* toInt = "vok" #t "bFloatToInt";                                            \
        static void floatToInt(const F* s, void* d, int n, int b, int f) { vok##t##bFloatToInt(s, d, n, b, f); } \
        static void floatToFix(const F* s, void* d, int n, int b, int fb, int f) {                              \
            vok##t##bFloatToFix(s, d, n, b, fb, f);                                                             \
        }                                                                                                       \
        static void intToFloat(const void* s, F* d, int n, int b, int f) { vok##t##bIntToFloat(s, d, n, b, f); } \
        static void fixToFloat(const void* s, F* d, int n, int b, int fb, int f) {                              \
            vok##t##bFixToFloat(s, d, n, b, fb, f);                                                             \
        }                                                                                                       \
    };
VOK_TEST_API(s, float)
VOK_TEST_API(d, double)
#undef VOK_TEST_API

template <class F>
void checkAgainstReference();

template <class F>
class FloatToInteger : public ::testing::Test {};
using Floats = ::testing::Types<float, double>;
TYPED_TEST_SUITE(FloatToInteger, Floats);

TYPED_TEST(FloatToInteger, EveryFlagWidthAndFractionAgainstReference) {
    voktest::forEachWidth([] { checkAgainstReference<TypeParam>(); });
}

template <class F>
void checkAgainstReference() {
    const auto values = awkwardValues<F>();
    const int n = int(values.size());
    ReportRecorder rec;
    for (int bits : {8, 16, 32})
        for (int fractBits : {0, 3, bits - 1, bits})
            for (int rounding : kRoundings)
                for (int extra = 0; extra < 8; ++extra) {
                    const int flags = rounding | (extra & 1 ? VOK_Unsigned : 0) | (extra & 2 ? VOK_Clip : 0) |
                                      (extra & 4 ? VOK_OvfErr : 0);
                    const bool isUnsigned = flags & VOK_Unsigned;
                    if (fractBits == bits && !isUnsigned) continue;
                    for (int callerMode : {FE_TONEAREST, FE_UPWARD}) {
                        SCOPED_TRACE(::testing::Message() << "bits " << bits << " fract " << fractBits << " flags "
                                                          << flags << " caller mode " << callerMode);
                        std::vector<unsigned char> out(std::size_t(n) * 4 + 4, 0xEE);
                        rec.clear();
                        {
                            CallerRounding caller(callerMode);
                            if (fractBits == 0) Api<F>::floatToInt(values.data(), out.data(), n, bits, flags);
                            else Api<F>::floatToFix(values.data(), out.data(), n, bits, fractBits, flags);
                        }
                        bool allFit = true;
                        for (int i = 0; i < n; ++i) {
                            // Wrapping of magnitudes beyond 2^22 in 8 and 16 bits is left open for floats.
                            const long double scaled = std::ldexp((long double)values[i], fractBits);
                            const Expect e = reference(values[i], fractBits, bits, flags);
                            allFit &= e.fits;
                            const bool openCase = std::is_same_v<F, float> && bits < 32 && !(flags & VOK_Clip) &&
                                                  !(std::fabs(scaled) < 0x1p22L);
                            if (openCase) continue;
                            EXPECT_EQ(loadResult(out, i, bits, isUnsigned), e.bits) << "value " << double(values[i]);
                        }
                        const bool reported = (flags & VOK_OvfErr) && !(flags & VOK_Clip) && !allFit;
                        ASSERT_EQ(rec.reports().size(), reported ? 1u : 0u);
                        if (reported) EXPECT_EQ(rec.reports()[0].context, "A float exceeds an integer");
                        EXPECT_EQ(out[std::size_t(n) * bits / 8], 0xEE) << "wrote past the end";
                    }
                }
}

TYPED_TEST(FloatToInteger, DocumentedRoundingsAndOverflow) {
    using F = TypeParam;
    const F src[] = {F(2.5), F(-2.5), F(3.7)};
    const short expected[4][3] = {{2, -2, 4}, {2, -2, 3}, {2, -3, 3}, {3, -2, 4}};
    for (int k = 0; k < 4; ++k) {
        short dst[3];
        Api<F>::floatToInt(src, dst, 3, 16, kRoundings[k]);
        EXPECT_EQ(std::vector<short>(dst, dst + 3), std::vector<short>(expected[k], expected[k] + 3));
    }
    const F big = F(40000);
    short clipped = 0, wrapped = 0, checked = 0;
    Api<F>::floatToInt(&big, &clipped, 1, 16, VOK_RndNear | VOK_Clip);
    Api<F>::floatToInt(&big, &wrapped, 1, 16, VOK_RndNear);
    EXPECT_EQ(clipped, 32767);
    EXPECT_EQ(wrapped, -25536);
    ReportRecorder rec;
    Api<F>::floatToInt(&big, &checked, 1, 16, VOK_RndNear | VOK_OvfErr);
    EXPECT_EQ(checked, -25536);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, Api<F>::toInt, "A float exceeds an integer",
                         std::is_same_v<F, float> ? "vokcvrts" : "vokcvrtd"});
    EXPECT_EQ(vokGetErrStatus(), VOK_StatusBadArg);
}

TYPED_TEST(FloatToInteger, FixToFloatInvertsAndRoundsToNearest) {
    using F = TypeParam;
    std::mt19937 rng(9);
    std::vector<std::int32_t> ints(300);
    for (auto& v : ints) v = std::int32_t(rng());
    ints[0] = INT32_MIN; ints[1] = INT32_MAX; ints[2] = 16777217; ints[3] = -16777219; ints[4] = 0;
    for (int bits : {8, 16, 32})
        for (bool isUnsigned : {false, true})
            for (int fractBits : {0, 5, bits - 1}) {
                std::vector<unsigned char> raw(ints.size() * 4);
                for (std::size_t i = 0; i < ints.size(); ++i) std::memcpy(&raw[i * (bits / 8)], &ints[i], bits / 8);
                std::vector<F> out(ints.size());
                {
                    CallerRounding caller(FE_UPWARD);
                    if (fractBits == 0) Api<F>::intToFloat(raw.data(), out.data(), int(ints.size()), bits, isUnsigned ? VOK_Unsigned : 0);
                    else Api<F>::fixToFloat(raw.data(), out.data(), int(ints.size()), bits, fractBits, isUnsigned ? VOK_Unsigned : 0);
                }
                for (std::size_t i = 0; i < ints.size(); ++i) {
                    const long double exact = std::ldexp((long double)loadResult(raw, int(i), bits, isUnsigned), -fractBits);
                    EXPECT_EQ(out[i], F(exact)) << bits << " bits, element " << i;  // F(long double) rounds to nearest here
                }
            }
}

TEST(FixedFormats, KnownValuesBothWays) {
    const float half = 0.5f;
    short s15 = 0;
    voksbFloatToS15Fix(&half, &s15, 1, VOK_RndNear);
    EXPECT_EQ(s15, 16384);
    float back = 0;
    voksbS15FixToFloat(&s15, &back, 1);
    EXPECT_EQ(back, 0.5f);
    const double vals[] = {-1.0, 0.99999, 1.0, -0.25};
    signed char s7[4];
    vokdbFloatToS7Fix(vals, s7, 4, VOK_RndNear | VOK_Clip);
    EXPECT_EQ(std::vector<int>(s7, s7 + 4), (std::vector<int>{-128, 127, 127, -32}));
    int s31[4], s1516[4];
    vokdbFloatToS31Fix(vals, s31, 4, VOK_RndZero | VOK_Clip);
    EXPECT_EQ(s31[0], INT32_MIN);
    EXPECT_EQ(s31[2], INT32_MAX);
    voksbFloatToS1516Fix(std::vector<float>{-1.0f, 0.99999f, 1.0f, -0.25f}.data(), s1516, 4, VOK_RndNear);
    EXPECT_EQ(s1516[3], -16384);
    double d[4];
    vokdbS1516FixToFloat(s1516, d, 4);
    EXPECT_EQ(d[2], 1.0);
    ReportRecorder rec;
    const double two = 2.0;
    vokdbFloatToS15Fix(&two, &s15, 1, VOK_RndNear | VOK_OvfErr | VOK_Unsigned);  // the format stays signed
    EXPECT_EQ(s15, 0);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokdbFloatToS15Fix", "A float exceeds an integer", "vokcvrtd"});
}

TEST(ConversionChecks, EveryCheckReportedAndNothingWritten) {
    const int bad = VOK_StatusBadArg;
    const char *ms = "vokcvrts", *md = "vokcvrtd", *flag = "Invalid conversion flag";
    Sentinel dst(64);
    const float src[4] = {1, 2, 3, 4};
    void* d = dst.as<void>();
    EXPECT_EACH_REPORTS(
        {[&] { voksbFloatToInt(nullptr, d, 0, 12, VOK_RndNear | VOK_RndZero); }, {bad, "voksbFloatToInt", "len<=0", ms},
         {{bad, "voksbFloatToInt", "src==0", ms}, {bad, "voksbFloatToInt", "Invalid size of an integer", ms},
          {bad, "voksbFloatToInt", flag, ms}}},
        {[&] { vokdbFloatToFix(nullptr, nullptr, 3, 24, 16, 0); }, {bad, "vokdbFloatToFix", "src==0", md},
         {{bad, "vokdbFloatToFix", "dst==0", md}, {bad, "vokdbFloatToFix", "Invalid size of a fix-point", md},
          {bad, "vokdbFloatToFix", flag, md}}},
        {[&] { voksbFloatToFix(src, d, 4, 16, 16, VOK_RndNear); }, {bad, "voksbFloatToFix", "Invalid fractBits", ms}},
        {[&] { voksbFloatToFix(src, d, 4, 16, -1, VOK_RndNear | VOK_Unsigned); },
         {bad, "voksbFloatToFix", "Invalid fractBits", ms}},
        {[&] { voksbFixToFloat(src, dst.as<float>(), 4, 16, 3, VOK_Clip); }, {bad, "voksbFixToFloat", flag, ms}},
        {[&] { voksbIntToFloat(src, dst.as<float>(), 4, 64, 0); }, {bad, "voksbIntToFloat", "Invalid size of an integer", ms}},
        {[&] { vokdbFloatToS31Fix(nullptr, dst.as<int>(), 4, 0); }, {bad, "vokdbFloatToS31Fix", "src==0", md},
         {{bad, "vokdbFloatToS31Fix", flag, md}}},
        {[&] { vokdbS7FixToFloat(nullptr, nullptr, -1); }, {bad, "vokdbS7FixToFloat", "len<=0", md},
         {{bad, "vokdbS7FixToFloat", "src==0", md}, {bad, "vokdbS7FixToFloat", "dst==0", md}}});
    EXPECT_TRUE(dst.untouched());
    // Unsigned 16-bit fix-point may use all 16 bits as fraction; a good call clears the status.
    unsigned short u = 0;
    const float x = 0.75f;
    voksbFloatToFix(&x, &u, 1, 16, 16, VOK_RndNear | VOK_Unsigned);
    EXPECT_EQ(u, 49152);
    EXPECT_EQ(vokGetErrStatus(), VOK_StatusOk);
}

// ---- complex representations ----

// The complex (c, z) and split real (s, d) forms of one precision.
template <class C> struct Rep;
#define VOK_TEST_REP(c, r, Cplx, Real, mod)                                                                  \
    template <> struct Rep<Cplx> {                                                                           \
        using R = Real;                                                                                      \
        using C = Cplx;                                                                                      \
        static constexpr const char* module = mod;                                                           \
        static void mag(const C* s, R* m, int n) { vok##c##bMag(s, m, n); }                                  \
        static void magSplit(const R* a, const R* b, R* m, int n) { vok##r##brMag(a, b, m, n); }             \
        static void phase(const C* s, R* p, int n) { vok##c##bPhase(s, p, n); }                              \
        static void phaseSplit(const R* a, const R* b, R* p, int n) { vok##r##brPhase(a, b, p, n); }         \
        static void power(const C* s, R* p, int n) { vok##c##bPowerSpectr(s, p, n); }                        \
        static void powerSplit(const R* a, const R* b, R* p, int n) { vok##r##brPowerSpectr(a, b, p, n); }   \
        static void toPolar(const C* s, R* m, R* p, int n) { vok##c##bCartToPolar(s, m, p, n); }             \
        static void toPolarSplit(const R* a, const R* b, R* m, R* p, int n) {                                \
            vok##r##brCartToPolar(a, b, m, p, n);                                                            \
        }                                                                                                    \
        static void toCart(const R* m, const R* p, C* d, int n) { vok##c##bPolarToCart(m, p, d, n); }        \
        static void toCartSplit(const R* m, const R* p, R* a, R* b, int n) {                                 \
            vok##r##brPolarToCart(m, p, a, b, n);                                                            \
        }                                                                                                    \
        static void split(const C* s, R* a, R* b, int n) { vok##c##bCplxTo2Real(s, a, b, n); }               \
        static void join(const R* a, const R* b, C* d, int n) { vok##c##b2RealToCplx(a, b, d, n); }          \
        static void real(const C* s, R* d, int n) { vok##c##bReal(s, d, n); }                                \
        static void imag(const C* s, R* d, int n) { vok##c##bImag(s, d, n); }                                \
    };
VOK_TEST_REP(c, s, FloatComplex, float, "vokcvrts")
VOK_TEST_REP(z, d, DoubleComplex, double, "vokcvrtd")
#undef VOK_TEST_REP

template <class C>
class Representations : public ::testing::Test {};
using Complexes = ::testing::Types<FloatComplex, DoubleComplex>;
TYPED_TEST_SUITE(Representations, Complexes);

TYPED_TEST(Representations, PolarMagnitudePhaseAndPowerAgainstLongDouble) {
    using C = TypeParam;
    using R = typename Rep<C>::R;
    const R big = std::is_same_v<R, float> ? R(1e30) : R(1e200);
    std::vector<C> src = {{3, 4}, {0, 0}, {-0.0, 0}, {-1, -0.0}, {big, big}, {R(1e-30), R(-1e-30)}, {-2, 1e-3}};
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(-1000, 1000);
    for (int i = 0; i < 300; ++i) src.push_back({R(u(rng)), R(u(rng))});
    const int n = int(src.size());
    std::vector<R> re(n), im(n), mag(n), phase(n), power(n), mag2(n), phase2(n), power2(n), m3(n), p3(n), m4(n), p4(n);
    Rep<C>::split(src.data(), re.data(), im.data(), n);
    Rep<C>::mag(src.data(), mag.data(), n);
    Rep<C>::phase(src.data(), phase.data(), n);
    Rep<C>::power(src.data(), power.data(), n);
    Rep<C>::magSplit(re.data(), im.data(), mag2.data(), n);
    Rep<C>::phaseSplit(re.data(), im.data(), phase2.data(), n);
    Rep<C>::powerSplit(re.data(), im.data(), power2.data(), n);
    Rep<C>::toPolar(src.data(), m3.data(), p3.data(), n);
    Rep<C>::toPolarSplit(re.data(), im.data(), m4.data(), p4.data(), n);
    const long double eps = std::numeric_limits<R>::epsilon();
    for (int i = 0; i < n; ++i) {
        const long double a = src[i].re, b = src[i].im;
        ASSERT_EQ(re[i], src[i].re);
        ASSERT_EQ(im[i], src[i].im);
        const long double m = std::hypot(a, b), p = std::atan2(b, a), q = a * a + b * b;
        EXPECT_LE(std::fabs(mag[i] - m), eps * m) << i;
        EXPECT_LE(std::fabs(phase[i] - p), eps * std::fabs(p)) << i;
        EXPECT_EQ(std::signbit(phase[i]), std::signbit(p)) << i;
        if (q <= std::numeric_limits<R>::max() && q >= std::numeric_limits<R>::min()) EXPECT_LE(std::fabs(power[i] - q), eps * q) << i;
        for (auto* v : {&mag2, &m3, &m4}) EXPECT_EQ((*v)[i], mag[i]);
        for (auto* v : {&phase2, &p3, &p4}) EXPECT_EQ((*v)[i], phase[i]);
        EXPECT_EQ(power2[i], power[i]);
    }
    // Back to Cartesian form and the parts alone.
    std::vector<C> cart(n);
    std::vector<R> cre(n), cim(n), part(n);
    Rep<C>::toCart(mag.data(), phase.data(), cart.data(), n);
    Rep<C>::toCartSplit(mag.data(), phase.data(), cre.data(), cim.data(), n);
    for (int i = 0; i < n; ++i) {
        const long double m = mag[i], p = phase[i];
        EXPECT_LE(std::fabs(cart[i].re - m * std::cos(p)), 2 * eps * m) << i;
        EXPECT_LE(std::fabs(cart[i].im - m * std::sin(p)), 2 * eps * m) << i;
        EXPECT_EQ(cre[i], cart[i].re);
        EXPECT_EQ(cim[i], cart[i].im);
    }
    Rep<C>::real(src.data(), part.data(), n);
    EXPECT_EQ(part, re);
    Rep<C>::imag(src.data(), part.data(), n);
    EXPECT_EQ(part, im);
    std::vector<C> joined(n);
    Rep<C>::join(re.data(), nullptr, joined.data(), n);
    for (int i = 0; i < n; ++i) EXPECT_TRUE(joined[i].re == re[i] && joined[i].im == 0 && !std::signbit(joined[i].im));
    Rep<C>::join(nullptr, im.data(), joined.data(), n);
    for (int i = 0; i < n; ++i) EXPECT_TRUE(joined[i].re == 0 && joined[i].im == im[i]);
}

TYPED_TEST(Representations, ChecksInOrderAndNothingWritten) {
    using C = TypeParam;
    using R = typename Rep<C>::R;
    const char* mod = Rep<C>::module;
    ReportRecorder rec;
    Sentinel out(64);
    C src[2] = {};
    R re[2] = {};
    Rep<C>::mag(nullptr, nullptr, 2);
    Rep<C>::magSplit(re, nullptr, out.as<R>(), 2);
    Rep<C>::phase(src, out.as<R>(), 0);
    Rep<C>::powerSplit(nullptr, re, out.as<R>(), 2);
    Rep<C>::toPolarSplit(nullptr, re, out.as<R>(), nullptr, 2);
    Rep<C>::toPolar(src, nullptr, out.as<R>(), 2);
    Rep<C>::toCart(re, re, nullptr, 2);
    Rep<C>::toCartSplit(re, nullptr, out.as<R>(), nullptr, 2);
    Rep<C>::split(src, out.as<R>(), nullptr, 2);
    Rep<C>::join(re, re, nullptr, 2);
    Rep<C>::real(nullptr, out.as<R>(), 1);
    std::vector<std::string> contexts;
    for (const auto& r : rec.reports()) {
        EXPECT_EQ(r.status, VOK_StatusBadArg);
        EXPECT_EQ(r.module, mod);
        contexts.push_back(r.context);
    }
    EXPECT_EQ(contexts, (std::vector<std::string>{"mag==0", "srcImag==0", "length<=0", "srcReal==0", "phase==0",
                                                  "mag==0", "dst==0", "phase==0", "dstImag==0", "dst==0", "src==0"}));
    EXPECT_TRUE(out.untouched());
}

TEST(ShortRepresentations, PartsJoinAndPhase) {
    const ShortComplex src[5] = {{1, 0}, {0, 1}, {-32768, 0}, {-32768, -1}, {5, -32768}};
    short re[5], im[5], phase[5], phase2[5];
    vokvbCplxTo2Real(src, re, im, 5);
    vokvbPhase(src, phase, 5);
    vokwbrPhase(re, im, phase2, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(re[i], src[i].re);
        EXPECT_EQ(im[i], src[i].im);
        EXPECT_EQ(phase[i], short(std::nearbyint(std::atan2(double(src[i].im), double(src[i].re)) * 8192)));
        EXPECT_EQ(phase2[i], phase[i]);
    }
    EXPECT_EQ(phase[2], 25736);  // pi in 13 fractional bits
    ShortComplex joined[5];
    vokvb2RealToCplx(nullptr, im, joined, 5);
    short part[5];
    vokvbReal(joined, part, 5);
    EXPECT_EQ(std::vector<short>(part, part + 5), std::vector<short>(5, 0));
    vokvbImag(joined, part, 5);
    EXPECT_EQ(std::vector<short>(part, part + 5), std::vector<short>(im, im + 5));
    ReportRecorder rec;
    vokvbPhase(src, nullptr, 5);
    vokwbrPhase(re, nullptr, phase, 5);
    vokvbReal(src, part, -3);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokvbPhase", "phase==0", "vokcvrtw"},
                   {VOK_StatusBadArg, "vokwbrPhase", "srcImag==0", "vokcvrtw"},
                   {VOK_StatusBadArg, "vokvbReal", "length<=0", "vokcvrtw"});
}

}  // namespace
