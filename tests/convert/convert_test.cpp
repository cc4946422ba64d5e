// Conversions: integer and fix-point results against a reference that rounds with the processor's own
// rounding modes in long double, for every flag combination and width, under a caller rounding mode that
// must not matter; complex representations against long-double formulas; every report.
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "voktest/vector_calls.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using namespace voktest;
using Want = std::vector<Expected>;

constexpr int kRoundings[] = {VOK_RndNear, VOK_RndZero, VOK_RndDown, VOK_RndUp}, kNear = VOK_RndNear;
const char* const kExceeds = "A float exceeds an integer";

// rintl under the asked mode, then saturated or wrapped to the width: the stored value, and whether the
// rounded value fits.
std::pair<std::int64_t, bool> reference(long double x, int fractBits, int bits, int flags) {
    // 32-bit unsigned results under exactly these flags round down.
    const int mode = bits == 32 && flags == (VOK_OvfErr | VOK_Unsigned | VOK_RndZero) ? FE_DOWNWARD
                     : flags & VOK_RndZero ? FE_TOWARDZERO : flags & VOK_RndDown ? FE_DOWNWARD
                     : flags & VOK_RndUp   ? FE_UPWARD : FE_TONEAREST;
    std::fesetround(mode);
    const long double r = std::rintl(std::ldexp(x, fractBits));
    std::fesetround(FE_TONEAREST);
    const long double span = std::ldexp(1.0L, bits), lo = flags & VOK_Unsigned ? 0 : -span / 2, hi = lo + span - 1;
    long double v = flags & VOK_Clip ? std::clamp(r, lo, hi) : std::isfinite(r) ? std::fmod(r, span) : 0;
    v = std::isnan(v) ? 0 : v < lo ? v + span : v > hi ? v - span : v;
    return {std::int64_t(v), r >= lo && r <= hi};
}

std::int64_t loadResult(const void* buf, int i, int bits, bool isUnsigned) {
    std::uint32_t v = 0;
    std::memcpy(&v, static_cast<const unsigned char*>(buf) + std::size_t(i) * (bits / 8), bits / 8);
    if (isUnsigned) return v;
    return bits == 8 ? std::int8_t(v) : bits == 16 ? std::int16_t(v) : std::int32_t(v);
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
    for (int i = 0; i < 80; ++i) v.push_back(i < 60 ? F(u(rng)) : F(std::round(u(rng)) + 0.5));  // then halfway cases
    return v;
}

// One precision: its general conversions, its named fix-point formats as the pairs (to, from), its
// complex (c, z) and split real (s, d) representations.
template <class F> struct Api;
#define VOK_TEST_API(t, c, F, Cplx, mod)                                                                             \
    template <> struct Api<F> {                                                                                      \
        using C = Cplx;                                                                                              \
        static constexpr const char *prefix = "vok" #t "b", *module = mod;                                           \
        static constexpr auto floatToInt = vok##t##bFloatToInt, intToFloat = vok##t##bIntToFloat;                    \
        static constexpr auto floatToFix = vok##t##bFloatToFix, fixToFloat = vok##t##bFixToFloat;                    \
        static constexpr auto s7 = std::make_pair(vok##t##bFloatToS7Fix, vok##t##bS7FixToFloat);                     \
        static constexpr auto s15 = std::make_pair(vok##t##bFloatToS15Fix, vok##t##bS15FixToFloat);                  \
        static constexpr auto s31 = std::make_pair(vok##t##bFloatToS31Fix, vok##t##bS31FixToFloat);                  \
        static constexpr auto s1516 = std::make_pair(vok##t##bFloatToS1516Fix, vok##t##bS1516FixToFloat);            \
        static constexpr auto mag = vok##c##bMag, phase = vok##c##bPhase, power = vok##c##bPowerSpectr,              \
                              real = vok##c##bReal, imag = vok##c##bImag, split = vok##c##bCplxTo2Real;              \
        static constexpr auto magS = vok##t##brMag, phaseS = vok##t##brPhase, powerS = vok##t##brPowerSpectr,        \
                              polar = vok##c##bCartToPolar, polarS = vok##t##brCartToPolar;                          \
        static constexpr auto cart = vok##c##bPolarToCart, cartS = vok##t##brPolarToCart, join = vok##c##b2RealToCplx; \
    };
VOK_TEST_API(s, c, float, FloatComplex, "vokcvrts")
VOK_TEST_API(d, z, double, DoubleComplex, "vokcvrtd")
#undef VOK_TEST_API

template <class F>
class Convert : public ::testing::Test {};
using Floats = ::testing::Types<float, double>;
TYPED_TEST_SUITE(Convert, Floats);

// Every width, fraction and flag word under two caller modes: to integers against the reference; back
// from random integers exactly, else rounded to nearest whatever the caller's mode (F(double)
// rounds to nearest here).
template <class F>
void checkAgainstReference() {
    using A = Api<F>;
    const auto values = awkwardValues<F>();
    const int n = int(values.size());
    // Read as packed 8, 16 or 32-bit integers: the extremes of each width are among them.
    std::vector<std::int32_t> ints = {INT32_MIN, INT32_MAX, 16777217, -16777219, 0};
    for (std::mt19937 rng(9); ints.size() < 300;) ints.push_back(std::int32_t(rng()));
    const int m = int(ints.size());
    for (int bits : {8, 16, 32})
        for (int fractBits : {0, 3, bits - 1, bits})
            for (int flags = 0; flags < 64; ++flags) {
                // Each rounding with every subset of VOK_Unsigned, VOK_Clip and VOK_OvfErr, in two caller modes.
                const int word = kRoundings[flags & 3] | (flags & 4 ? VOK_Unsigned : 0) |
                                 (flags & 8 ? VOK_Clip : 0) | (flags & 16 ? VOK_OvfErr : 0);
                const int callerMode = flags & 32 ? FE_UPWARD : FE_TONEAREST;
                const bool isUnsigned = word & VOK_Unsigned;
                if (fractBits == bits && !isUnsigned) continue;
                SCOPED_TRACE(::testing::Message() << bits << " bits, fraction " << fractBits << ", flags " << flags);
                std::vector<unsigned char> out(std::size_t(n) * 4 + 4, 0xEE);
                std::vector<F> back(m + 1, F(7));
                ReportRecorder rec;
                std::fesetround(callerMode);
                fractBits ? A::floatToFix(values.data(), out.data(), n, bits, fractBits, word)
                          : A::floatToInt(values.data(), out.data(), n, bits, word);
                std::fesetround(FE_TONEAREST);
                bool allFit = true;
                for (int i = 0; i < n; ++i) {
                    const auto [want, fits] = reference(values[i], fractBits, bits, word);
                    allFit &= fits;
                    // Wrapping of magnitudes beyond 2^22 in 8 and 16 bits is left open for floats.
                    if (!std::is_same_v<F, float> || bits == 32 || (word & VOK_Clip) ||
                        std::fabs(std::ldexp((long double)values[i], fractBits)) < 0x1p22L)
                        EXPECT_EQ(loadResult(out.data(), i, bits, isUnsigned), want) << "value " << double(values[i]);
                }
                const bool overflow = (word & VOK_OvfErr) && !(word & VOK_Clip) && !allFit;
                const std::string name = A::prefix + std::string(fractBits ? "FloatToFix" : "FloatToInt");
                const Want report{{VOK_StatusBadArg, name.c_str(), kExceeds, A::module}};
                EXPECT_TRUE(sameReports(rec.reports(), overflow ? report : Want{}));
                EXPECT_EQ(vokGetErrStatus(), overflow ? VOK_StatusBadArg : VOK_StatusOk);
                EXPECT_EQ(out[std::size_t(n) * bits / 8], 0xEE) << "wrote past the end";
                if (flags & ~(4 | 32)) continue;  // the way back once per signedness and caller mode
                std::fesetround(callerMode);
                fractBits ? A::fixToFloat(ints.data(), back.data(), m, bits, fractBits, word & VOK_Unsigned)
                          : A::intToFloat(ints.data(), back.data(), m, bits, word & VOK_Unsigned);
                std::fesetround(FE_TONEAREST);
                for (int i = 0; i < m; ++i)
                    EXPECT_EQ(back[i], F(std::ldexp(double(loadResult(ints.data(), i, bits, isUnsigned)), -fractBits)))
                        << "integer " << i;
                EXPECT_EQ(back[m], F(7)) << "wrote past the end";
            }
}

TYPED_TEST(Convert, EveryFlagWidthAndFractionAgainstReference) {
    forEachWidth([] { checkAgainstReference<TypeParam>(); });
}

const BadArg kLen{2, "len<=0"}, kSrc{0, "src==0"}, kDst{1, "dst==0"};

// A named fix-point format is the general conversion with its size and fraction, always signed (a
// VOK_Unsigned flag is ignored); it checks and reports overflow under its own name.
template <class F, class I>
void namedFormat(CheckTable& t,
                 std::pair<void(VOK_CALL*)(const F*, I*, int, int), void(VOK_CALL*)(const I*, F*, int)> format,
                 int fract, const std::string& size) {
    const std::string to = Api<F>::prefix + ("FloatTo" + size + "Fix"), from = Api<F>::prefix + (size + "FixToFloat");
    SCOPED_TRACE(to);
    const auto values = awkwardValues<F>();
    const int n = int(values.size()), bits = 8 * sizeof(I);
    std::vector<I> got(n), want(n);
    std::vector<F> back(n), wantBack(n);
    for (int flags : {kNear, VOK_RndZero | VOK_Clip, VOK_RndDown | VOK_Unsigned, VOK_RndUp | VOK_Clip | VOK_Unsigned}) {
        format.first(values.data(), got.data(), n, flags);
        Api<F>::floatToFix(values.data(), want.data(), n, bits, fract, flags & ~VOK_Unsigned);
        format.second(got.data(), back.data(), n);
        Api<F>::fixToFloat(got.data(), wantBack.data(), n, bits, fract, 0);
        EXPECT_TRUE(got == want && back == wantBack) << flags;
    }
    const F big = F(1e10);
    t.run([&] { format.first(&big, got.data(), 1, VOK_RndNear | VOK_OvfErr | VOK_Unsigned); },
          {{VOK_StatusBadArg, to.c_str(), kExceeds, Api<F>::module}});
    t(to, format.first, {4, kNear}, {kLen, kSrc, kDst, {3, "Invalid conversion flag", 512 + 1024}});  // length 4
    t(from, format.second, {4}, {kLen, kSrc, kDst});
}

// The conversions run every check and report each failure, in the order of the rows; a signed
// fix-point has at most fixedLen - 1 fraction bits.
TYPED_TEST(Convert, ChecksInOrderAndNamedFormats) {
    using A = Api<TypeParam>;
    CheckTable t(A::module, VOK_StatusBadArg, true);
    const std::string p = A::prefix;
    const char* flag = "Invalid conversion flag";
    const BadArg intSize{3, "Invalid size of an integer", 12}, fixSize{3, "Invalid size of a fix-point", 24};
    const BadArg fract{4, "Invalid fractBits", -1}, twoRoundings{4, flag, 128 + 256}, clip{5, flag, VOK_Clip};
    t(p + "FloatToInt", A::floatToInt, {4, 16, kNear}, {kLen, kSrc, kDst, intSize, twoRoundings});
    t(p + "IntToFloat", A::intToFloat, {4, 16, 0}, {kLen, kSrc, kDst, intSize});
    t(p + "FloatToFix", A::floatToFix, {4, 16, 3, kNear}, {kLen, kSrc, kDst, fixSize, {5, flag, 0}, fract});
    t(p + "FloatToFix", A::floatToFix, {4, 16, 3, kNear}, {{4, "Invalid fractBits", 16}});
    t(p + "FixToFloat", A::fixToFloat, {4, 16, 3, 0}, {kLen, kSrc, kDst, fixSize, clip, fract});
    // Length 1; an unsigned fix-point may use all of its bits as fraction.
    const TypeParam x = TypeParam(0.75);
    unsigned short u[2] = {0, 0};
    t.run([&] { A::floatToFix(&x, u, 1, 16, 16, kNear | VOK_Unsigned); }, {});
    t.run([&] { A::floatToInt(&x, u + 1, 1, 16, VOK_RndUp); }, {});
    EXPECT_TRUE(u[0] == 49152 && u[1] == 1);
    namedFormat(t, A::s7, 7, "S7");
    namedFormat(t, A::s15, 15, "S15");
    namedFormat(t, A::s31, 31, "S31");
    namedFormat(t, A::s1516, 16, "S1516");
}

// Every complex form against long double, the split forms equal to the complex ones; one element, and
// more than 128, so the magnitude runs its blocks and its tail.
TYPED_TEST(Convert, EveryRepresentationAgainstLongDouble) {
    using R = TypeParam;
    using F = Api<R>;
    using C = typename F::C;
    const R big = std::is_same_v<R, float> ? R(1e30) : R(1e200), guard = R(-7);
    std::vector<C> src = {{3, 4}, {0, 0}, {-0.0, 0}, {-1, -0.0}, {big, big}, {R(1e-30), R(-1e-30)}, {-2, 1e-3}};
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(-1000, 1000);
    while (src.size() < 307) src.push_back({R(u(rng)), R(u(rng))});
    for (const int n : {1, int(src.size())}) {
        ReportRecorder rec;
        enum { Re, Im, Mag, Phase, Power, MagS, PhaseS, PowerS, PolM, PolP, PolSM, PolSP, Real, Imag, CRe, CIm, kOuts };
        std::vector<std::vector<R>> o(kOuts, std::vector<R>(n + 1, guard));  // one guard element after each output
        F::split(src.data(), o[Re].data(), o[Im].data(), n);
        F::mag(src.data(), o[Mag].data(), n);
        F::phase(src.data(), o[Phase].data(), n);
        F::power(src.data(), o[Power].data(), n);
        F::magS(o[Re].data(), o[Im].data(), o[MagS].data(), n);
        F::phaseS(o[Re].data(), o[Im].data(), o[PhaseS].data(), n);
        F::powerS(o[Re].data(), o[Im].data(), o[PowerS].data(), n);
        F::polar(src.data(), o[PolM].data(), o[PolP].data(), n);
        F::polarS(o[Re].data(), o[Im].data(), o[PolSM].data(), o[PolSP].data(), n);
        F::real(src.data(), o[Real].data(), n);
        F::imag(src.data(), o[Imag].data(), n);
        F::cartS(o[Mag].data(), o[Phase].data(), o[CRe].data(), o[CIm].data(), n);
        for (auto [x, y] : {std::pair{MagS, Mag}, {PolM, Mag}, {PolSM, Mag}, {PhaseS, Phase}, {PolP, Phase},
                            {PolSP, Phase}, {PowerS, Power}, {Real, Re}, {Imag, Im}})
            EXPECT_EQ(o[x], o[y]) << "output " << x << " differs from " << y;
        std::vector<C> cart(n + 1, C{guard, guard}), joinRe(n), joinIm(n);
        F::cart(o[Mag].data(), o[Phase].data(), cart.data(), n);
        F::join(o[Re].data(), nullptr, joinRe.data(), n);
        F::join(nullptr, o[Im].data(), joinIm.data(), n);
        const long double eps = std::numeric_limits<R>::epsilon();
        for (int i = 0; i < n; ++i) {
            const long double a = src[i].re, b = src[i].im, mag = o[Mag][i], phase = o[Phase][i];
            const long double m = std::hypot(a, b), p = std::atan2(b, a), q = a * a + b * b;
            const bool normalPower = q <= std::numeric_limits<R>::max() && q >= std::numeric_limits<R>::min();
            const long double cartError = std::max(std::fabs(cart[i].re - mag * std::cos(phase)),
                                                   std::fabs(cart[i].im - mag * std::sin(phase)));
            EXPECT_TRUE(o[Re][i] == a && o[Im][i] == b && o[CRe][i] == cart[i].re && o[CIm][i] == cart[i].im) << i;
            EXPECT_TRUE(std::fabs(mag - m) <= eps * m && std::fabs(phase - p) <= eps * std::fabs(p)) << i;
            EXPECT_TRUE(std::signbit(phase) == std::signbit(p) && cartError <= 2 * eps * mag) << i;
            EXPECT_TRUE(!normalPower || std::fabs(o[Power][i] - q) <= eps * q) << i;
            EXPECT_TRUE(joinRe[i].re == a && joinRe[i].im == 0 && !std::signbit(joinRe[i].im)) << i;
            EXPECT_TRUE(joinIm[i].re == 0 && joinIm[i].im == b) << i;
        }
        for (const auto& v : o) EXPECT_EQ(v[n], guard) << "wrote past the end of output " << &v - o.data();
        EXPECT_TRUE(cart[n].re == guard && cart[n].im == guard);
        EXPECT_REPORTS(rec);
    }
}

// The checks of every representation function, in order; the 16-bit forms add their scale modes (the
// good calls are in VOK_AUTO_SCALE, number 4).
#define VOK_REP_CHECKS(t, c, r)                                                                                      \
    VOK_CHECK_TABLE(t, vok##c##bPhase, {len2, {1, "phase==0"}, src0});                                               \
    VOK_CHECK_TABLE(t, vok##r##brPhase, {len3, {2, "phase==0"}, re0, im1});                                          \
    VOK_CHECK_TABLE(t, vok##c##bCplxTo2Real, {len3, src0, {1, "dstReal==0"}, {2, "dstImag==0"}});                    \
    VOK_CHECK_TABLE(t, vok##c##b2RealToCplx, {len3, {2, "dst==0"}});                                                 \
    VOK_CHECK_EACH(t, parts, vok##c##bReal, vok##c##bImag)
#define VOK_FLOAT_REP_CHECKS(t, c, r)                                                                                \
    VOK_REP_CHECKS(t, c, r);                                                                                         \
    VOK_CHECK_TABLE(t, vok##c##bMag, {len2, {1, "mag==0"}, src0});                                                   \
    VOK_CHECK_TABLE(t, vok##r##brMag, {len3, {2, "mag==0"}, re0, im1});                                              \
    VOK_CHECK_TABLE(t, vok##c##bPowerSpectr, {len2, {1, "spectr==0"}, src0});                                        \
    VOK_CHECK_TABLE(t, vok##r##brPowerSpectr, {len3, {2, "spectr==0"}, re0, im1});                                   \
    VOK_CHECK_TABLE(t, vok##c##bCartToPolar, {len3, src0, {1, "mag==0"}, {2, "phase==0"}});                          \
    VOK_CHECK_TABLE(t, vok##r##brCartToPolar, {len4, {2, "mag==0"}, {3, "phase==0"}, re0, im1});                     \
    VOK_CHECK_TABLE(t, vok##c##bPolarToCart, {len3, mag0, phase1, {2, "dst==0"}});                                   \
    VOK_CHECK_TABLE(t, vok##r##brPolarToCart, {len4, mag0, phase1, {2, "dstReal==0"}, {3, "dstImag==0"}})

TEST(RepresentationChecks, EveryCheckInOrderAndNothingWritten) {
    const BadArg len2{2, "length<=0"}, len3{3, "length<=0"}, len4{4, "length<=0"}, src0{0, "src==0"};
    const BadArg re0{0, "srcReal==0"}, im1{1, "srcImag==0"}, mag0{0, "mag==0"}, phase1{1, "phase==0"};
    const std::vector<BadArg> parts{len2, src0, {1, "dst==0"}};
    CheckTable s("vokcvrts"), d("vokcvrtd"), w("vokcvrtw");
    VOK_FLOAT_REP_CHECKS(s, c, s);
    VOK_FLOAT_REP_CHECKS(d, z, d);
    VOK_REP_CHECKS(w, v, w);
    const char *fixedAuto = "VOK_FIXED_SCALE and VOK_AUTO_SCALE", *nullSf = "VOK_AUTO_SCALE and ScaleFactor==NULL";
    const BadArg both{3, fixedAuto, 6}, noSf{4, nullSf}, both4{4, fixedAuto, 6}, noSf5{5, nullSf};
    VOK_CHECK_TABLE(w, vokvbMag, {len2, {1, "mag==0"}, src0, both, noSf});
    VOK_CHECK_TABLE(w, vokwbrMag, {len3, {2, "mag==0"}, re0, im1, both4, noSf5});
    VOK_CHECK_TABLE(w, vokvbPowerSpectr, {len2, {1, "spectr==0"}, src0, both, noSf});
    VOK_CHECK_TABLE(w, vokwbrPowerSpectr, {len3, {2, "spectr==0"}, re0, im1, both4, noSf5});
}

}  // namespace
