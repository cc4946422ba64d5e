// 16-bit and complex 16-bit arithmetic: every scale mode against exact
// long-double results (floor division for the shifts), the auto-scale factor
// as the smallest one that makes every result fit, conjugation layouts,
// single numbers and the argument checks with their order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;

constexpr const char* kMod = "vokaritw";

long double scaledRef(long double r, int sf) { return std::floor(std::ldexp(r, -sf)); }
short wrapRef(long double v) {
    long double m = std::fmod(v, 65536.0L);
    if (m < 0) m += 65536.0L;
    if (m >= 32768.0L) m -= 65536.0L;
    return static_cast<short>(m);
}
short clampRef(long double v) { return static_cast<short>(v < -32768.0L ? -32768 : v > 32767.0L ? 32767 : v); }
bool fitsRef(long double v) { return v >= -32768.0L && v <= 32767.0L; }

// The stored value of an exact result r under a non-auto mode.
short modeRef(long double r, int mode, int sf) {
    switch (mode) {
    case VOK_NO_SCALE: return wrapRef(r);
    case VOK_SATURATE: return clampRef(r);
    case VOK_FIXED_SCALE: return wrapRef(scaledRef(r, sf));
    default: return clampRef(scaledRef(r, sf));
    }
}

enum class Form { one, two, three };
struct WOp {
    const char* name;
    Form form;
    int kind;  // 0 add, 1 sub, 2 mul
    void (*one)(short, short*, int, int, int*);
    void (*arr)(const short*, short*, int, int, int*);
    void (*three)(const short*, const short*, short*, int, int, int*);
};
const WOp kWOps[] = {
    {"Add1", Form::one, 0, vokwbAdd1, nullptr, nullptr}, {"Sub1", Form::one, 1, vokwbSub1, nullptr, nullptr},
    {"Mpy1", Form::one, 2, vokwbMpy1, nullptr, nullptr}, {"Add2", Form::two, 0, nullptr, vokwbAdd2, nullptr},
    {"Sub2", Form::two, 1, nullptr, vokwbSub2, nullptr}, {"Mpy2", Form::two, 2, nullptr, vokwbMpy2, nullptr},
    {"Add3", Form::three, 0, nullptr, nullptr, vokwbAdd3}, {"Sub3", Form::three, 1, nullptr, nullptr, vokwbSub3},
    {"Mpy3", Form::three, 2, nullptr, nullptr, vokwbMpy3},
};

long double exactW(int kind, short a, short b) {
    return kind == 0 ? (long double)a + b : kind == 1 ? (long double)a - b : (long double)a * b;
}

// Runs op with dst/src roles as the form has them: result[i] = a[i] op b[i].
std::vector<short> runW(const WOp& op, const std::vector<short>& a, const std::vector<short>& b, int mode, int* sf) {
    const int n = int(a.size());
    std::vector<short> dst = a;
    if (op.form == Form::one) op.one(b[0], dst.data(), n, mode, sf);
    else if (op.form == Form::two) op.arr(b.data(), dst.data(), n, mode, sf);
    else { std::vector<short> out(a.size(), 77); op.three(a.data(), b.data(), out.data(), n, mode, sf); return out; }
    return dst;
}

std::vector<short> corners(std::mt19937& rng, int n) {
    const short c[] = {0, 1, -1, 2, 181, 182, -182, 255, 16384, -16384, 32767, -32768, 32766, -32767};
    std::vector<short> v(n);
    for (int i = 0; i < n; ++i) v[i] = (i % 3 == 0) ? c[rng() % 14] : static_cast<short>(rng());
    return v;
}

TEST(Arith16, EveryModeMatchesExactResults) {
    std::mt19937 rng(11);
    const int sfs[] = {-16, -15, -3, -2, -1, 0, 1, 2, 5, 15, 16, 30, 31};
    for (const WOp& op : kWOps)
        for (int n : {1, 7, 64, 301}) {
            std::vector<short> a = corners(rng, n), b = corners(rng, n);
            if (op.form == Form::one) b.assign(n, b[0]);
            for (int mode : {0, 1, 2, 3})
                for (int sf : sfs) {
                    if (mode < 2 && sf != 0) continue;
                    int f = sf;
                    std::vector<short> got = runW(op, a, b, mode, &f);
                    EXPECT_EQ(f, sf);
                    for (int i = 0; i < n; ++i) {
                        short want = modeRef(exactW(op.kind, a[i], b[i]), mode, sf);
                        if (got[i] != want) {
                            ADD_FAILURE() << op.name << " mode " << mode << " sf " << sf << " a=" << a[i] << " b=" << b[i]
                                          << " got " << got[i] << " want " << want;
                            break;
                        }
                    }
                }
        }
}

TEST(Arith16, AutoScaleUsesTheSmallestSharedFactor) {
    std::mt19937 rng(5);
    for (const WOp& op : kWOps)
        for (int n : {1, 2, 9, 200}) {
            for (int trial = 0; trial < 20; ++trial) {
                std::vector<short> a = corners(rng, n), b = corners(rng, n);
                if (trial % 4 == 0) for (auto& x : a) x = static_cast<short>(x / 512);  // mostly fitting
                if (op.form == Form::one) b.assign(n, b[0]);
                int need = 0;
                for (int i = 0; i < n; ++i) {
                    long double r = exactW(op.kind, a[i], b[i]);
                    int s = 0;
                    while (!fitsRef(scaledRef(r, s))) ++s;
                    need = std::max(need, s);
                }
                int sf = -5;
                std::vector<short> got = runW(op, a, b, VOK_AUTO_SCALE, &sf);
                ASSERT_EQ(sf, need) << op.name;
                if (op.kind != 2) EXPECT_LE(sf, 1);
                for (int i = 0; i < n; ++i) ASSERT_EQ(got[i], (short)scaledRef(exactW(op.kind, a[i], b[i]), sf)) << op.name;
            }
        }
}

TEST(Arith16, DocumentedCorners) {
    short x[3] = {32767, 100, -7};
    int sf = 9;
    vokwbAdd1(1, x, 1, VOK_NO_SCALE, &sf);
    EXPECT_EQ(x[0], -32768);
    x[0] = 32767;
    vokwbAdd1(1, x, 1, VOK_SATURATE, &sf);
    EXPECT_EQ(x[0], 32767);
    vokwbAdd1(1, x, 3, VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(sf, 1);
    EXPECT_EQ(x[0], 16384);
    EXPECT_EQ(x[1], 50);
    EXPECT_EQ(x[2], -3);  // -6 >> 1

    short m[3] = {100, 200, 1000};
    vokwbMpy1(300, m, 3, VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(sf, 4);
    EXPECT_EQ(m[0], 1875);
    EXPECT_EQ(m[1], 3750);
    EXPECT_EQ(m[2], 18750);

    short f[2] = {10, -20};
    vokwbSub1(5, f, 2, VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(sf, 0);
    EXPECT_EQ(f[1], -25);

    short p[2] = {10000, -3};
    sf = -2;
    vokwbMpy1(1, p, 2, VOK_FIXED_SCALE, &sf);
    EXPECT_EQ(p[0], short(40000 - 65536));
    EXPECT_EQ(p[1], -12);
    p[0] = 10000;
    vokwbMpy1(1, p, 1, VOK_FIXED_SCALE | VOK_SATURATE, &sf);
    EXPECT_EQ(p[0], 32767);
    p[0] = 3;
    vokwbAdd1(0, p, 1, VOK_FIXED_SCALE, nullptr);  // null factor counts as 0
    EXPECT_EQ(p[0], 3);
}

// ---- complex ----

struct Exact { long double re, im; };
Exact exactV(int kind, ShortComplex a, ShortComplex b) {
    if (kind == 0) return {(long double)a.re + b.re, (long double)a.im + b.im};
    if (kind == 1) return {(long double)a.re - b.re, (long double)a.im - b.im};
    return {(long double)a.re * b.re - (long double)a.im * b.im, (long double)a.re * b.im + (long double)a.im * b.re};
}

TEST(Arith16Complex, FixedModesAndAutoFactor) {
    std::mt19937 rng(17);
    auto pick = [&] { return corners(rng, 1)[0]; };
    for (int kind : {0, 1, 2})
        for (int trial = 0; trial < 300; ++trial) {
            const int n = 1 + trial % 13;
            std::vector<ShortComplex> a(n), b(n), out(n);
            for (int i = 0; i < n; ++i) { a[i] = {pick(), pick()}; b[i] = {pick(), pick()}; }
            if (trial % 5 == 0) for (auto& e : a) e = {short(e.re / 256), short(e.im / 256)};
            auto run = [&](int mode, int* sf) {
                if (kind == 0) vokvbAdd3(a.data(), b.data(), out.data(), n, mode, sf);
                else if (kind == 1) vokvbSub3(a.data(), b.data(), out.data(), n, mode, sf);
                else vokvbMpy3(a.data(), b.data(), out.data(), n, mode, sf);
            };
            for (int mode : {1, 3}) {
                int sf = trial % 7 - 3;
                run(mode, &sf);
                for (int i = 0; i < n; ++i) {
                    Exact e = exactV(kind, a[i], b[i]);
                    ASSERT_EQ(out[i].re, modeRef(e.re, mode, mode == 1 ? 0 : sf));
                    if (!(kind == 2 && a[i].im == -32768 && b[i].re == -32768 && a[i].re == -32768 && b[i].im == -32768))
                        ASSERT_EQ(out[i].im, modeRef(e.im, mode, mode == 1 ? 0 : sf));
                }
            }
            int need = 0;
            for (int i = 0; i < n; ++i) {
                Exact e = exactV(kind, a[i], b[i]);
                int s = (kind == 2 && a[i].im == -32768 && b[i].re == -32768) ? 1 : 0;
                while (!fitsRef(scaledRef(e.re, s)) || !fitsRef(scaledRef(e.im, s))) ++s;
                need = std::max(need, s);
            }
            int sf = -1;
            run(VOK_AUTO_SCALE, &sf);
            ASSERT_EQ(sf, need);
            for (int i = 0; i < n; ++i) {
                Exact e = exactV(kind, a[i], b[i]);
                ASSERT_EQ(out[i].re, (short)scaledRef(e.re, sf));
                ASSERT_EQ(out[i].im, (short)scaledRef(e.im, sf));
            }
        }
}

::testing::AssertionResult is(ShortComplex v, int re, int im) {
    if (v.re == re && v.im == im) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << v.re << ", " << v.im << ") instead of (" << re << ", " << im << ")";
}

TEST(Arith16Complex, InPlaceFormsSingleNumbersAndDivision) {
    ShortComplex d[2] = {{1, 2}, {30000, -30000}};
    const ShortComplex s[2] = {{3, 4}, {10000, -10000}};
    int sf = 0;
    vokvbAdd2(s, d, 2, VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(sf, 1);
    EXPECT_TRUE(is(d[0], 2, 3));
    EXPECT_TRUE(is(d[1], 20000, -20000));
    vokvbMpy1({0, 1}, d, 1, VOK_NO_SCALE, nullptr);  // times i
    EXPECT_TRUE(is(d[0], -3, 2));
    // The imaginary sum 2^31 is formed in 32 bits and wraps to -2^31.
    EXPECT_TRUE(is(vokvMpy({-32768, -32768}, {-32768, -32768}, VOK_AUTO_SCALE, &sf), 0, -32768));
    EXPECT_EQ(sf, 16);
    EXPECT_EQ(vokvMpy({0, -32768}, {-32768, 0}, VOK_AUTO_SCALE, &sf).im, 16384);  // a.im*b.re = 2^30 alone
    EXPECT_EQ(sf, 16);
    EXPECT_TRUE(is(vokvSub({5, 5}, {7, -7}, VOK_NO_SCALE, nullptr), -2, 12));
    EXPECT_TRUE(is(vokvAdd({32767, 0}, {1, 0}, VOK_SATURATE, nullptr), 32767, 0));
    EXPECT_TRUE(is(vokvDiv({7, 0}, {2, 0}), 3, 0));
    EXPECT_TRUE(is(vokvDiv({-7, 10}, {0, 2}), 5, 3));  // (-7+10i)/(2i) = 5 + 3.5i
    EXPECT_EQ(vokvDiv({-32768, 0}, {0, 1}).im, 32767);  // 32768 i clamps
    EXPECT_TRUE(is(vokvConj({5, -32768}), 5, -32768));
    EXPECT_TRUE(is(vokvConj({5, 9}), 5, -9));
    EXPECT_TRUE(is(vokvSet(4, -4), 4, -4));
}

TEST(Arith16Complex, ConjugationLayouts) {
    const ShortComplex src[4] = {{1, 2}, {3, -32768}, {5, 6}, {7, 8}};
    ShortComplex dst[6] = {};
    vokvbConj2(src, dst, 4);
    EXPECT_TRUE(is(dst[1], 3, -32768));
    EXPECT_TRUE(is(dst[3], 7, -8));
    vokvbConjFlip2(src, dst, 3);
    EXPECT_TRUE(is(dst[0], 5, -6));
    EXPECT_TRUE(is(dst[2], 1, -2));
    ShortComplex inPlace[3] = {{1, 2}, {3, 4}, {5, 6}};
    vokvbConjFlip2(inPlace, inPlace, 3);
    EXPECT_TRUE(is(inPlace[0], 5, -6) && is(inPlace[1], 3, -4) && is(inPlace[2], 1, -2));
    ShortComplex ext[6] = {{9, 9}, {9, 9}, {9, 9}, {9, 9}, {9, 9}, {9, 9}};
    vokvbConjExtend2(src, ext, 3);
    EXPECT_TRUE(is(ext[2], 5, 6));
    EXPECT_TRUE(is(ext[3], 3, -32768));
    EXPECT_TRUE(is(ext[4], 9, 9));  // 2n-2 elements only
    ShortComplex e1[6] = {{1, 2}, {3, 4}, {5, 6}, {7, 8}, {0, 0}, {0, 0}};
    vokvbConjExtend1(e1, 4);
    EXPECT_TRUE(is(e1[4], 5, -6) && is(e1[5], 3, -4));
    ShortComplex c1[1] = {{1, 1}};
    vokvbConjExtend1(c1, 2);
    vokvbConj1(c1, 1);
    EXPECT_TRUE(is(c1[0], 1, -1));
}

// ---- argument checks ----

TEST(Arith16Checks, ReportsInOrderAndWritesNothing) {
    const int bad = VOK_StatusBadArg;
    Sentinel buf(64);
    short* w = buf.as<short>();
    ShortComplex* v = buf.as<ShortComplex>();
    const short ws[4] = {1, 2, 3, 4};
    const ShortComplex vs[4] = {};
    int sf = 0;
    EXPECT_EACH_REPORTS(
        {[&] { vokwbAdd1(1, w, 0, VOK_AUTO_SCALE, nullptr); }, {bad, "vokwbAdd1", "n<=0", kMod}},
        {[&] { vokwbSub1(1, nullptr, 4, VOK_AUTO_SCALE, nullptr); }, {bad, "vokwbSub1", "dst==0", kMod}},
        {[&] { vokwbMpy1(1, w, 4, VOK_AUTO_SCALE, nullptr); }, {bad, "vokwbMpy1", "scalefactor==0", kMod}},
        {[&] { vokwbSub2(nullptr, nullptr, 4, 0, nullptr); }, {bad, "vokwbSub2", "val==0", kMod}},
        {[&] { vokwbMpy2(ws, nullptr, 4, 0, nullptr); }, {bad, "vokwbMpy2", "dst==0", kMod}},
        {[&] { vokwbAdd3(ws, nullptr, nullptr, 4, 0, &sf); }, {bad, "vokwbAdd3", "srcB==0", kMod}},
        {[&] { vokwbSub3(ws, ws, w, 4, VOK_AUTO_SCALE, nullptr); }, {bad, "vokwbSub3", "scalefactor==0", kMod}},
        {[&] { vokvbMpy3(nullptr, vs, v, 4, 0, &sf); }, {bad, "vokvbMpy3", "srcA==0", kMod}},
        {[&] { vokvbAdd2(vs, v, -1, 0, &sf); }, {bad, "vokvbAdd2", "n<=0", kMod}},
        {[&] { vokwbZero(nullptr, 3); }, {bad, "vokwbZero", "dst==0", kMod}},
        {[&] { vokvbSet({1, 1}, v, 0); }, {bad, "vokvbSet", "n<=0", kMod}},
        {[&] { vokvbCopy(vs, nullptr, 2); }, {bad, "vokvbCopy", "dst==0", kMod}},
        {[&] { vokvbConjExtend1(nullptr, 2); }, {bad, "vokvbConjExtend1", "vec==0", kMod}},
        {[&] { vokvbConjFlip2(nullptr, v, 2); }, {bad, "vokvbConjFlip2", "src==0", kMod}},
        {[&] { EXPECT_TRUE(is(vokvMpy({3, 3}, {3, 3}, VOK_AUTO_SCALE, nullptr), 0, 0)); },
         {bad, "vokvbMpy3", "scalefactor==0", kMod}, {{VOK_StatusBacktrace, "vokvMpy", "<null>", kMod}}},
        {[&] { EXPECT_TRUE(is(vokvDiv({3, 3}, {0, 0}), 0, 0)); }, {bad, "vokvDiv", "(b.re==0)&&(b.im==0)", kMod}});
    EXPECT_TRUE(buf.untouched());
}

}  // namespace
