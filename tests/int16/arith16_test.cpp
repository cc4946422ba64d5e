// 16-bit and complex 16-bit arithmetic, representations and the shared 16-bit converters: every scale
// mode and factor against exact long-double results (floor for integer shifts, truncation for floats),
// the auto-scale factor, conjugation layouts, single numbers and the argument checks in order.
#include <array>
#include <cfenv>
#include <cmath>
#include <random>

#include "core/scale16.h"
#include "voktest/vector_calls.h"
#include "vok.h"

namespace {

short wrapRef(long double v) { return short((unsigned short)(long long)std::fmod(v, 65536.0L)); }
bool fits(long double v) { return v >= -32768.0L && v <= 32767.0L; }

// The stored value of the exact result r under mode (0 to 3) and factor sf; `round` turns the scaled
// value into an integer (floor for shifts, trunc for floats).
short modeRef(long double r, int mode, int sf, long double (*round)(long double)) {
    const long double scaled = round(std::ldexp(r, mode & VOK_FIXED_SCALE ? -sf : 0));
    return mode & VOK_SATURATE ? short(std::clamp(scaled, -32768.0L, 32767.0L)) : wrapRef(scaled);
}

// run(mode, &factor) gives the 16-bit results of a computation with these exact results: in every fixed
// mode at every factor (only read; a null one counts as 0), and in auto mode, which must pick the factor
// given; under every rounding mode the caller may have set.
using Run16 = std::function<std::vector<short>(int, int*)>;
void expectModes(const std::vector<long double>& exact, const Run16& run, long double (*round)(long double),
                 const std::vector<int>& factors, const std::vector<int>& autoFactor) {
    for (int mode : {0, 1, 2, 3, 4})  // none, saturate, fixed, fixed and saturate, auto
        for (int sf : mode < VOK_AUTO_SCALE ? factors : autoFactor) {
            if (mode < VOK_FIXED_SCALE && sf != 0) continue;
            for (int rounding : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
                int f = mode == VOK_AUTO_SCALE ? -99 : sf;
                std::fesetround(rounding);
                const std::vector<short> got = run(mode, &f);
                std::fesetround(FE_TONEAREST);
                ASSERT_EQ(f, sf) << "mode " << mode;
                if (mode == VOK_FIXED_SCALE && sf == 0) EXPECT_EQ(run(mode, nullptr), got) << "null factor";
                for (std::size_t i = 0; i < exact.size(); ++i)
                    ASSERT_EQ(got[i], modeRef(exact[i], mode == VOK_AUTO_SCALE ? VOK_FIXED_SCALE : mode, sf, round))
                        << exact[i] << " mode " << mode << " sf " << sf << " i " << i << " rounding " << rounding;
            }
        }
}

// Every form gives d[i] = a[i] op b[i], vectors of either type held as their 16-bit parts: in place on
// a copy of a (with b[0] or b as the operand), or into a fresh vector from a and b.
using Run = std::function<std::vector<short>(const std::vector<short>&, const std::vector<short>&, int, int*)>;
template <class A, class... P>
Run form(void(VOK_CALL* f)(A, P...)) {
    using E = std::remove_cv_t<std::remove_pointer_t<A>>;
    return [f](auto& a, auto& b, int m, int* sf) {
        std::vector<short> d = sizeof...(P) == 5 ? std::vector<short>(a.size()) : a;
        const E* y = reinterpret_cast<const E*>(b.data());
        E* out = reinterpret_cast<E*>(d.data());
        const int n = int(a.size() * sizeof(short) / sizeof(E));
        if constexpr (sizeof...(P) == 5) f(reinterpret_cast<const E*>(a.data()), y, out, n, m, sf);
        else if constexpr (std::is_pointer_v<A>) f(y, out, n, m, sf);
        else f(y[0], out, n, m, sf);
        return d;
    };
}
// Op i: real (i < 9) or complex, scalar first (i % 9 < 3), kind i % 3 (add, sub, mul).
const Run kOps[] = {form(vokwbAdd1), form(vokwbSub1), form(vokwbMpy1), form(vokwbAdd2), form(vokwbSub2),
                    form(vokwbMpy2), form(vokwbAdd3), form(vokwbSub3), form(vokwbMpy3), form(vokvbAdd1),
                    form(vokvbSub1), form(vokvbMpy1), form(vokvbAdd2), form(vokvbSub2), form(vokvbMpy2),
                    form(vokvbAdd3), form(vokvbSub3), form(vokvbMpy3)};

TEST(Arith16, EveryFormModeAndFactorMatchesExactResults) {
    const short c[] = {0, 1, -1, 2, 181, 182, -182, 255, 16384, -16384, 32767, -32768, 32766, -32767};
    std::mt19937 rng(11);
    const auto pick = [&](int i, int div) { return short((i % 3 == 0 ? c[rng() % 14] : short(rng())) / div); };
    for (int op = 0; op < 18; ++op)
        for (int n : {1, 2, 7, 64, 301})
            for (int trial = 0; trial < 5; ++trial) {
                const int parts = op < 9 ? 1 : 2, kind = op % 3, len = n * parts;
                // Corners and randoms, small in a on trials 0-1 and in b on 1; trial 4's results far below -32768.
                std::vector<short> a(len), b(len);
                for (int i = 0; i < len; ++i) {
                    a[i] = trial == 4 ? -32768 : pick(i, trial < 2 ? 512 : 1);
                    b[i] = trial == 4 ? (kind == 0 ? -32768 : 32767) : pick(i, trial == 1 ? 512 : 1);
                }
                for (int i = 0; op % 9 < 3 && i < len; ++i) b[i] = b[i % parts];  // the scalar forms' operand
                std::vector<long double> want;
                int need = 0;
                for (int i = 0; i < len; ++i) {
                    const int re = i - i % 2;  // of a complex product's element
                    if (kind < 2 || parts == 1)
                        want.push_back(kind == 0 ? a[i] + b[i] : kind == 1 ? a[i] - b[i] : a[i] * b[i]);
                    else if (i == re) want.push_back((long double)a[re] * b[re] - (long double)a[re + 1] * b[re + 1]);
                    // The imaginary sum is formed in 32 bits: 2^31 (all four parts -32768) wraps to -2^31.
                    else want.push_back((int)(unsigned)((long long)a[re] * b[i] + (long long)a[i] * b[re]));
                    while (!fits(std::floor(std::ldexp(want.back(), -need)))) ++need;
                }
                SCOPED_TRACE("op " + std::to_string(op) + " n " + std::to_string(n));
                expectModes(want, [&](int m, int* f) { return kOps[op](a, b, m, f); }, std::floor,
                            {-16, -15, -3, -1, 0, 1, 2, 5, 15, 16, 30, 31}, {need});
            }
}

// The complex forms and their split twins: parts and join exactly, phase in 13 fraction bits rounded to
// nearest (pi is 25736), magnitude through float truncated and the power spectrum (2^31 held as
// 2^31 - 1) in every mode.
TEST(Representations16, PartsPhaseMagnitudeAndPowerInEveryMode) {
    const std::vector<ShortComplex> v = {{3, 4}, {-300, 400}, {-32768, -32768}, {1, 1}, {-32768, 0}, {-32768, -1},
                                         {5, -32768}, {-7, 9}, {32767, 32767}, {0, 0}, {-1, 0}, {1, -1}};
    const int n = int(v.size());
    std::vector<short> re(n), im(n), phase(n), phase2(n), real(n), imag(n);
    std::vector<ShortComplex> joined(n);
    vokvbCplxTo2Real(v.data(), re.data(), im.data(), n);
    std::fesetround(FE_UPWARD);  // the phase rounds to nearest whatever the caller's mode
    vokvbPhase(v.data(), phase.data(), n);
    std::fesetround(FE_TOWARDZERO);
    vokwbrPhase(re.data(), im.data(), phase2.data(), n);
    std::fesetround(FE_TONEAREST);
    vokvb2RealToCplx(nullptr, im.data(), joined.data(), n);
    vokvbReal(joined.data(), real.data(), n);
    vokvbImag(v.data(), imag.data(), n);
    std::vector<long double> mag, power;
    for (int i = 0; i < n; ++i) {
        EXPECT_TRUE(re[i] == v[i].re && im[i] == v[i].im && joined[i].re == 0 && joined[i].im == im[i]) << i;
        EXPECT_TRUE(real[i] == 0 && imag[i] == im[i] && phase2[i] == phase[i]) << i;
        EXPECT_EQ(phase[i], short(std::nearbyint(std::atan2(double(v[i].im), double(v[i].re)) * 8192))) << i;
        mag.push_back(float(std::hypot((long double)v[i].re, (long double)v[i].im)));
        power.push_back(std::min((long double)v[i].re * v[i].re + (long double)v[i].im * v[i].im, 2147483647.0L));
    }
    EXPECT_EQ(phase[4], 25736);
    // The magnitude 46340.95 needs one halving, 2^31 - 1 needs 16; scaled up, the float step shows.
    const auto both = [&](auto cplx, auto split) -> Run16 {
        return [&, cplx, split](int mode, int* f) {
            std::vector<short> d(n), d2(n);
            cplx(v.data(), d.data(), n, mode, f);
            split(re.data(), im.data(), d2.data(), n, mode, f);
            EXPECT_EQ(d, d2) << "split form, mode " << mode;
            return d;
        };
    };
    expectModes(mag, both(vokvbMag, vokwbrMag), std::trunc, {-6, -1, 0, 1, 3, 15, 16}, {1});
    expectModes(power, both(vokvbPowerSpectr, vokwbrPowerSpectr), std::floor, {-2, 0, 1, 4, 16, 31}, {16});
}

using Pairs = std::vector<std::array<int, 2>>;
Pairs pairs(const std::vector<ShortComplex>& v) {
    Pairs r;
    for (const ShortComplex& x : v) r.push_back({x.re, x.im});
    return r;
}

TEST(Arith16Complex, SingleNumbersConjugationLayoutsAndDivision) {
    int sf = 0, sf2 = 0;
    // In order: 2^31 in the imaginary sum wraps; a.im*b.re = 2^30 alone; 32768 i clamps.
    EXPECT_EQ(pairs({vokvMpy({-32768, -32768}, {-32768, -32768}, VOK_AUTO_SCALE, &sf),
                     vokvMpy({0, -32768}, {-32768, 0}, VOK_AUTO_SCALE, &sf2),
                     vokvSub({5, 5}, {7, -7}, VOK_NO_SCALE, nullptr), vokvAdd({32767, 0}, {1, 0}, VOK_SATURATE, nullptr),
                     vokvDiv({7, 0}, {2, 0}), vokvDiv({-7, 10}, {0, 2}), vokvDiv({-32768, 0}, {0, 1}),
                     vokvConj({5, -32768}), vokvConj({5, 9}), vokvSet(4, -4)}),
              (Pairs{{0, -32768}, {0, 16384}, {-2, 12}, {32767, 0}, {3, 0}, {5, 3}, {0, 32767}, {5, -32768}, {5, -9},
                     {4, -4}}));
    EXPECT_TRUE(sf == 16 && sf2 == 16);
    // Each layout on a buffer that starts as 1..8 and two (9, 9): out of place, in place, extended (2n-2
    // elements only), the in-place extension then the conjugate of one.
    const ShortComplex src[4] = {{1, 2}, {3, -32768}, {5, 6}, {7, 8}};
    const std::pair<std::function<void(ShortComplex*)>, Pairs> layouts[] = {
        {[&](ShortComplex* d) { vokvbConj2(src, d, 4); }, {{1, -2}, {3, -32768}, {5, -6}, {7, -8}, {9, 9}}},
        {[&](ShortComplex* d) { vokvbConjFlip2(src, d, 3); }, {{5, -6}, {3, -32768}, {1, -2}, {7, 8}}},
        {[&](ShortComplex* d) { vokvbConjFlip2(d, d, 3); }, {{5, -6}, {3, -4}, {1, -2}, {7, 8}}},
        {[&](ShortComplex* d) { vokvbConjExtend2(src, d, 3); }, {{1, 2}, {3, -32768}, {5, 6}, {3, -32768}, {9, 9}}},
        {[&](ShortComplex* d) { vokvbConjExtend1(d, 4); }, {{1, 2}, {3, 4}, {5, 6}, {7, 8}, {5, -6}, {3, -4}}},
        {[&](ShortComplex* d) { vokvbConj1(d, 1); }, {{1, -2}, {3, 4}}},
    };
    for (const auto& row : layouts) {
        std::vector<ShortComplex> d = {{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 9}, {9, 9}};
        row.first(d.data());
        EXPECT_EQ(pairs({d.begin(), d.begin() + row.second.size()}), row.second) << "layout " << &row - layouts;
    }
}

// Every form of both types: the checks in order, the factor last (good calls are in auto mode, 4).
TEST(Arith16Checks, ReportsInOrderAndWritesNothing) {
    using Rows = std::vector<voktest::BadArg>;
    const voktest::BadArg n1{1, "n<=0"}, n2{2, "n<=0"}, n3{3, "n<=0"}, src{0, "src==0"}, dst{1, "dst==0"},
        dst2{2, "dst==0"}, sf4{4, "scalefactor==0"}, sf5{5, "scalefactor==0"};
    voktest::CheckTable t("vokaritw");
    VOK_CHECK_EACH(t, (Rows{n2, dst, sf4}), vokwbAdd1, vokwbSub1, vokwbMpy1, vokvbAdd1, vokvbSub1, vokvbMpy1);
    VOK_CHECK_EACH(t, (Rows{n2, src, dst, sf4}), vokwbAdd2, vokwbMpy2, vokvbAdd2, vokvbMpy2);
    VOK_CHECK_EACH(t, (Rows{n2, {0, "val==0"}, dst, sf4}), vokwbSub2, vokvbSub2);
    const voktest::BadArg srcA{0, "srcA==0"}, srcB{1, "srcB==0"};
    VOK_CHECK_EACH(t, (Rows{n3, srcA, srcB, dst2, sf5}), vokwbAdd3, vokwbMpy3, vokvbAdd3, vokvbMpy3);
    VOK_CHECK_EACH(t, (Rows{n3, src, {1, "val==0"}, dst2, sf5}), vokwbSub3, vokvbSub3);
    VOK_CHECK_EACH(t, (Rows{n1, {0, "dst==0"}}), vokwbZero, vokvbZero);
    VOK_CHECK_EACH(t, (Rows{n2, dst}), vokwbSet, vokvbSet);
    VOK_CHECK_EACH(t, (Rows{n2, src, dst}), vokwbCopy, vokvbCopy, vokvbConj2, vokvbConjFlip2, vokvbConjExtend2);
    VOK_CHECK_EACH(t, (Rows{n1, {0, "vec==0"}}), vokvbConj1, vokvbConjExtend1);
    const char* mod = "vokaritw";
    t.run([&] { EXPECT_EQ(pairs({vokvMpy({3, 3}, {3, 3}, VOK_AUTO_SCALE, nullptr)}), (Pairs{{0, 0}})); },
          {{VOK_StatusBadArg, "vokvbMpy3", "scalefactor==0", mod}, {VOK_StatusBacktrace, "vokvMpy", "<null>", mod}});
    t.run([&] { EXPECT_EQ(pairs({vokvDiv({3, 3}, {0, 0})}), (Pairs{{0, 0}})); },
          {{VOK_StatusBadArg, "vokvDiv", "(b.re==0)&&(b.im==0)", mod}});
}

// A converter over src in every fixed mode at the factors given, then over each auto row (values..., the
// factor that brings the largest magnitude into the top octave) in auto mode.
template <class S>
void expectConverter(auto convert, long double (*round)(long double), const std::vector<S>& src,
                     const std::vector<int>& factors, const std::vector<std::vector<double>>& autoRows) {
    const auto check = [&](const std::vector<S>& x, const std::vector<int>& fixed, const std::vector<int>& autoFactor) {
        const Run16 run = [&](int mode, int* f) {
            std::vector<short> d(x.size());
            convert(x.data(), d.data(), int(x.size()), mode, f);
            return d;
        };
        expectModes({x.begin(), x.end()}, run, round, fixed, autoFactor);
    };
    check(src, factors, {});
    for (const auto& row : autoRows) check(std::vector<S>(row.begin(), row.end() - 1), {}, {int(row.back())});
}

TEST(Converters, EveryModeFactorAndAutoScaleOfIntegerAndFloatResults) {
    std::mt19937 rng(7);
    std::vector<int> ints = {2147483647, -2147483647 - 1};
    for (int x = -32768; x <= 32767; ++x) ints.push_back(x);
    for (int e = 15; e < 31; ++e)
        for (int d = -2; d <= 2; ++d) ints.insert(ints.end(), {(1 << e) + d, -(1 << e) + d});
    for (int i = 0; i < 20000; ++i) ints.push_back(static_cast<int>(rng()));
    // The single-value converter stores each value as the vector one does.
    const auto byValue = [](const int* s, short* d, int n, int m, int* f) {
        for (int i = 0; i < n; ++i) d[i] = vok::ownScaleIntValueToShort(s[i], m, f);
    };
    const std::vector<int> intFactors = {-15, -4, -2, -1, 0, 1, 2, 7, 15, 16, 30, 31};
    expectConverter<int>(vok::ownScaleIntToShort, std::floor, ints, intFactors,
                         {{1, -32768, 32767, 0}, {32768, 1}, {-32769, 5, 1}, {65535, 3, 1}, {65536, -3, 2},
                          {-2147483648.0, 1, 17}, {2147483647.0, 16}, {300000, -7, 12, 4}});
    expectConverter<int>(byValue, std::floor, ints, intFactors,
                         {{1, 0}, {-32768, 0}, {32767, 0}, {32768, 1}, {-32769, 1}, {65535, 1}, {65536, 2},
                          {300000, 4}, {-2147483648.0, 17}, {2147483647.0, 16}});
    int sf = 3;  // modes outside 1..4 keep the low 16 bits
    for (int mode : {6, 7}) EXPECT_EQ(vok::ownScaleIntValueToShort(70000, mode, &sf), wrapRef(70000)) << mode;
    std::vector<float> floats = {-32768.0f, 32767.0f, 32767.99f, -32768.5f, 32768.0f, -0.99f, 0.99f, 1e9f, -1e9f,
                                 3e38f, -3e38f, 65535.75f, -65536.25f};
    for (int x = -40000; x <= 40000; x += 7) floats.push_back(float(x) + 0.5f * float((x & 3) - 1));
    for (int i = 0; i < 5000; ++i) floats.push_back(std::uniform_real_distribution<float>(-4e6f, 4e6f)(rng));
    const auto floatToShort = [](const float* s, short* d, int n, int m, int* f) {
        EXPECT_EQ(vok::ownScaleFloatToShort(s, d, n, m, f), VOK_StatusOk);
    };
    expectConverter<float>(floatToShort, std::trunc, floats, {-6, -1, 0, 1, 3, 15, 20},
                           {{40000.0f, -3.7f, 100.9f, 1}, {-32768.0f, 0}, {32767.0f, -32768.0f, 0.5f, 0},
                            {32767.5f, 0}, {-32768.5f, 1}, {1.0e6f, 2.0f, 5}, {0.0f, 0.0f, 0}});
    // A pair (real parts, then imaginary) shares the larger factor: 300000 needs 4, -70000 only 2.
    const auto pair = [](const float* s, short* d, int n, int m, int* f) {
        vok::ownScaleFloatPairToShort(s, s + n / 2, d, d + n / 2, n / 2, m, f);
    };
    expectConverter<float>(pair, std::trunc, {1000.0f, -70000.0f, 5.5f, 300000.0f, 2.0f, -9.0f},
                           {-6, -1, 0, 1, 3, 15, 20}, {{1000.0f, -70000.0f, 5.5f, 300000.0f, 2.0f, -9.0f, 4}});
}

}  // namespace
