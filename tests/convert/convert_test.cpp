// Conversions: integer and fix-point results against a reference that rounds
// with the processor's own rounding modes in long double, for every flag
// combination and width, under a caller rounding mode that must not matter;
// complex representations against long-double formulas; every report.
#include <gtest/gtest.h>

#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "voktest/reports.h"
#include "voktest/vector_calls.h"
#include "voktest/widths.h"
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
#define VOK_TEST_API(t, F, mod)                                                                               \
    template <> struct Api<F> {                                                                               \
        static constexpr const char *toInt = "vok" #t "bFloatToInt", *toFix = "vok" #t "bFloatToFix", *module = mod; \
        static constexpr auto floatToInt = vok##t##bFloatToInt, intToFloat = vok##t##bIntToFloat;             \
        static constexpr auto floatToFix = vok##t##bFloatToFix, fixToFloat = vok##t##bFixToFloat;             \
    };
VOK_TEST_API(s, float, "vokcvrts")
VOK_TEST_API(d, double, "vokcvrtd")
#undef VOK_TEST_API

template <class F>
class FloatToInteger : public ::testing::Test {};
using Floats = ::testing::Types<float, double>;
TYPED_TEST_SUITE(FloatToInteger, Floats);

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
                        if ((flags & VOK_OvfErr) && !(flags & VOK_Clip) && !allFit) {
                            EXPECT_REPORTS(rec, {VOK_StatusBadArg, fractBits ? Api<F>::toFix : Api<F>::toInt,
                                                 "A float exceeds an integer", Api<F>::module});
                            EXPECT_EQ(vokGetErrStatus(), VOK_StatusBadArg);
                        } else {
                            EXPECT_REPORTS(rec);
                        }
                        EXPECT_EQ(out[std::size_t(n) * bits / 8], 0xEE) << "wrote past the end";
                    }
                }
}

TYPED_TEST(FloatToInteger, EveryFlagWidthAndFractionAgainstReference) {
    voktest::forEachWidth([] { checkAgainstReference<TypeParam>(); });
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

// The named fix-point formats are the general conversion with their size and
// fraction, always signed (a VOK_Unsigned flag is ignored).
template <class F, class I>
void expectNamedFormat(void (*to)(const F*, I*, int, int), void (*from)(const I*, F*, int), int fract,
                       const char* name) {
    SCOPED_TRACE(name);
    const auto values = awkwardValues<F>();
    const int n = int(values.size()), bits = 8 * sizeof(I);
    std::vector<I> got(n), want(n);
    std::vector<F> back(n), wantBack(n);
    ReportRecorder rec;
    for (int flags :
         {VOK_RndNear | 0, VOK_RndZero | VOK_Clip, VOK_RndDown | VOK_Unsigned, VOK_RndUp | VOK_Clip | VOK_Unsigned}) {
        to(values.data(), got.data(), n, flags);
        Api<F>::floatToFix(values.data(), want.data(), n, bits, fract, flags & ~VOK_Unsigned);
        EXPECT_EQ(got, want) << flags;
        from(got.data(), back.data(), n);
        Api<F>::fixToFloat(got.data(), wantBack.data(), n, bits, fract, 0);
        EXPECT_EQ(back, wantBack) << flags;
    }
    const F big = F(1e10);
    to(&big, got.data(), 1, VOK_RndNear | VOK_OvfErr | VOK_Unsigned);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, name, "A float exceeds an integer", Api<F>::module});
}

TEST(FixedFormats, NamedFormatsAreTheGeneralConversion) {
    expectNamedFormat(voksbFloatToS7Fix, voksbS7FixToFloat, 7, "voksbFloatToS7Fix");
    expectNamedFormat(voksbFloatToS15Fix, voksbS15FixToFloat, 15, "voksbFloatToS15Fix");
    expectNamedFormat(voksbFloatToS31Fix, voksbS31FixToFloat, 31, "voksbFloatToS31Fix");
    expectNamedFormat(voksbFloatToS1516Fix, voksbS1516FixToFloat, 16, "voksbFloatToS1516Fix");
    expectNamedFormat(vokdbFloatToS7Fix, vokdbS7FixToFloat, 7, "vokdbFloatToS7Fix");
    expectNamedFormat(vokdbFloatToS15Fix, vokdbS15FixToFloat, 15, "vokdbFloatToS15Fix");
    expectNamedFormat(vokdbFloatToS31Fix, vokdbS31FixToFloat, 31, "vokdbFloatToS31Fix");
    expectNamedFormat(vokdbFloatToS1516Fix, vokdbS1516FixToFloat, 16, "vokdbFloatToS1516Fix");
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
#define VOK_TEST_REP(c, r, Cplx, Real, mod)                                                                      \
    template <> struct Rep<Cplx> {                                                                               \
        using R = Real;                                                                                          \
        static constexpr const char* module = mod;                                                               \
        static constexpr auto mag = vok##c##bMag, phase = vok##c##bPhase, power = vok##c##bPowerSpectr;          \
        static constexpr auto magSplit = vok##r##brMag, phaseSplit = vok##r##brPhase;                          \
        static constexpr auto powerSplit = vok##r##brPowerSpectr;                                                \
        static constexpr auto toPolar = vok##c##bCartToPolar, toPolarSplit = vok##r##brCartToPolar;              \
        static constexpr auto toCart = vok##c##bPolarToCart, toCartSplit = vok##r##brPolarToCart;                \
        static constexpr auto split = vok##c##bCplxTo2Real, join = vok##c##b2RealToCplx;                         \
        static constexpr auto real = vok##c##bReal, imag = vok##c##bImag;                                        \
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

// The checks of every representation function, in order; the 16-bit forms
// add their scale modes (the good calls are in VOK_AUTO_SCALE, number 4).
#define VOK_MAG_CHECKS(t, c, r)                                                                            \
    VOK_CHECK_TABLE(t, vok##c##bMag, {len2, {1, "mag==0"}, src0});                                               \
    VOK_CHECK_TABLE(t, vok##r##brMag, {len3, {2, "mag==0"}, re0, im1});                                         \
    VOK_CHECK_TABLE(t, vok##c##bPowerSpectr, {len2, {1, "spectr==0"}, src0});                                    \
    VOK_CHECK_TABLE(t, vok##r##brPowerSpectr, {len3, {2, "spectr==0"}, re0, im1})
#define VOK_REP_CHECKS(t, c, r)                                                                            \
    VOK_CHECK_TABLE(t, vok##c##bPhase, {len2, {1, "phase==0"}, src0});                                           \
    VOK_CHECK_TABLE(t, vok##r##brPhase, {len3, {2, "phase==0"}, re0, im1});                                     \
    VOK_CHECK_TABLE(t, vok##c##bCplxTo2Real, {len3, src0, {1, "dstReal==0"}, {2, "dstImag==0"}});                \
    VOK_CHECK_TABLE(t, vok##c##b2RealToCplx, {len3, {2, "dst==0"}});                                             \
    VOK_CHECK_TABLE(t, vok##c##bReal, {len2, src0, {1, "dst==0"}});                                              \
    VOK_CHECK_TABLE(t, vok##c##bImag, {len2, src0, {1, "dst==0"}})
#define VOK_POLAR_CHECKS(t, c, r)                                                                          \
    VOK_CHECK_TABLE(t, vok##c##bCartToPolar, {len3, src0, {1, "mag==0"}, {2, "phase==0"}});                     \
    VOK_CHECK_TABLE(t, vok##r##brCartToPolar, {len4, {2, "mag==0"}, {3, "phase==0"}, re0, im1});                \
    VOK_CHECK_TABLE(t, vok##c##bPolarToCart, {len3, mag0, phase1, {2, "dst==0"}});                              \
    VOK_CHECK_TABLE(t, vok##r##brPolarToCart, {len4, mag0, phase1, {2, "dstReal==0"}, {3, "dstImag==0"}})

TEST(RepresentationChecks, EveryCheckInOrderAndNothingWritten) {
    const voktest::BadArg len2{2, "length<=0"}, len3{3, "length<=0"}, len4{4, "length<=0"}, src0{0, "src==0"};
    const voktest::BadArg re0{0, "srcReal==0"}, im1{1, "srcImag==0"}, mag0{0, "mag==0"}, phase1{1, "phase==0"};
    voktest::CheckTable s("vokcvrts"), d("vokcvrtd"), w("vokcvrtw");
    VOK_MAG_CHECKS(s, c, s), VOK_REP_CHECKS(s, c, s), VOK_POLAR_CHECKS(s, c, s);
    VOK_MAG_CHECKS(d, z, d), VOK_REP_CHECKS(d, z, d), VOK_POLAR_CHECKS(d, z, d);
    VOK_REP_CHECKS(w, v, w);
    const char *fixedAuto = "VOK_FIXED_SCALE and VOK_AUTO_SCALE", *nullSf = "VOK_AUTO_SCALE and ScaleFactor==NULL";
    const voktest::BadArg both{3, fixedAuto, 6}, noSf{4, nullSf}, both4{4, fixedAuto, 6}, noSf5{5, nullSf};
    VOK_CHECK_TABLE(w, vokvbMag, {len2, {1, "mag==0"}, src0, both, noSf});
    VOK_CHECK_TABLE(w, vokwbrMag, {len3, {2, "mag==0"}, re0, im1, both4, noSf5});
    VOK_CHECK_TABLE(w, vokvbPowerSpectr, {len2, {1, "spectr==0"}, src0, both, noSf});
    VOK_CHECK_TABLE(w, vokwbrPowerSpectr, {len3, {2, "spectr==0"}, re0, im1, both4, noSf5});
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
}

// ---- 16-bit magnitude and power spectrum under the scale modes ----

TEST(Magnitude16, MagnitudesAndPowersUnderEachScaleMode) {
    const ShortComplex v[4] = {{3, 4}, {-300, 400}, {-32768, -32768}, {1, 1}};
    const short re[4] = {3, -300, -32768, 1}, im[4] = {4, 400, -32768, 1};
    short mag[4], magSplit[4];
    int sf = 0;
    vokvbMag(v, mag, 4, VOK_SATURATE, &sf);
    vokwbrMag(re, im, magSplit, 4, VOK_SATURATE, &sf);
    const short wantMag[4] = {5, 500, 32767, 1};  // 46341 saturates, √2 truncates
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(mag[i], wantMag[i]) << i;
        EXPECT_EQ(magSplit[i], wantMag[i]) << i;
    }
    vokvbMag(v, mag, 4, VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(sf, 1);  // 46340.95 needs one halving
    EXPECT_EQ(mag[2], 23170);
    short power[4];
    sf = 0;
    vokvbPowerSpectr(v, power, 4, VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(sf, 30 - 14);  // 2^31 is held as 2^31 - 1
    EXPECT_EQ(power[2], INT32_MAX >> 16);
    EXPECT_EQ(power[1], 250000 >> 16);
    sf = 4;
    vokwbrPowerSpectr(re, im, power, 2, VOK_FIXED_SCALE, &sf);
    EXPECT_EQ(power[0], 25 >> 4);
    EXPECT_EQ(power[1], short(250000 >> 4));  // fixed scale wraps
}

}  // namespace
