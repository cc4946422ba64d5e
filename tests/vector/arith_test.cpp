// Floating-point vector arithmetic: results against plain scalar formulas for
// every width, size 1..67 and unaligned starts; overlap, conjugation layouts,
// single complex numbers and every argument check.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "voktest/reports.h"
#include "voktest/vector_calls.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;

// ---- element plumbing ----

template <class T> struct Api;
#define VOK_TEST_API(t, T)                                                                                   \
    template <> struct Api<T> {                                                                              \
        static constexpr auto zero = vok##t##bZero, set = vok##t##bSet, copy = vok##t##bCopy;                \
        static constexpr auto add1 = vok##t##bAdd1, sub1 = vok##t##bSub1, mpy1 = vok##t##bMpy1;              \
        static constexpr auto add2 = vok##t##bAdd2, sub2 = vok##t##bSub2, mpy2 = vok##t##bMpy2;              \
        static constexpr auto add3 = vok##t##bAdd3, sub3 = vok##t##bSub3, mpy3 = vok##t##bMpy3;              \
    };
VOK_TEST_API(s, float)
VOK_TEST_API(d, double)
VOK_TEST_API(c, FloatComplex)
VOK_TEST_API(z, DoubleComplex)
#undef VOK_TEST_API

template <class T> constexpr bool isComplexType = std::is_same_v<T, FloatComplex> || std::is_same_v<T, DoubleComplex>;

template <class T>
T make(double re, double im) {
    if constexpr (isComplexType<T>) return T{decltype(T{}.re)(re), decltype(T{}.re)(im)};
    else return T(re);
}

// Reference formulas, one element at a time.
template <class T> T refAdd(T a, T b) { if constexpr (isComplexType<T>) return {a.re + b.re, a.im + b.im}; else return a + b; }
template <class T> T refSub(T a, T b) { if constexpr (isComplexType<T>) return {a.re - b.re, a.im - b.im}; else return a - b; }
template <class T> T refMul(T a, T b) {
    if constexpr (isComplexType<T>) {
        using R = decltype(a.re);
        const R rr = a.re * b.re, ii = a.im * b.im, ri = a.re * b.im, ir = a.im * b.re;
        return {R(rr - ii), R(ri + ir)};
    } else {
        return a * b;
    }
}

template <class T>
bool sameBits(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }

template <class T>
std::vector<T> randomVector(int n, std::mt19937& rng) {
    std::uniform_real_distribution<double> u(-100.0, 100.0);
    std::vector<T> v(n);
    for (auto& x : v) x = make<T>(u(rng), u(rng));
    return v;
}

template <class T>
class Arith : public ::testing::Test {};
using ElementTypes = ::testing::Types<float, double, FloatComplex, DoubleComplex>;
TYPED_TEST_SUITE(Arith, ElementTypes);

// Each operation over sizes 1..67 at start offsets 0..3 (unaligned), every width.
TYPED_TEST(Arith, MatchesScalarFormulas) {
    using T = TypeParam;
    using A = Api<T>;
    std::mt19937 rng(1234);
    voktest::forEachWidth([&] {
        for (int n = 1; n <= 67; ++n) {
            for (int offset = 0; offset < 4; ++offset) {
                auto a = randomVector<T>(n + offset, rng), b = randomVector<T>(n + offset, rng);
                const T* pa = a.data() + offset;
                const T* pb = b.data() + offset;
                const T val = make<T>(3.25, -1.5);
                std::vector<T> dst(n + offset + 1, make<T>(7, 7));
                T* pd = dst.data() + offset;
                const T guard = dst[offset + n];
                auto check = [&](const char* what, auto expected) {
                    for (int i = 0; i < n; ++i)
                        ASSERT_TRUE(sameBits(pd[i], expected(i))) << what << " n=" << n << " i=" << i;
                    ASSERT_TRUE(sameBits(dst[offset + n], guard)) << what << " wrote past the end";
                };
                A::add3(pa, pb, pd, n); check("Add3", [&](int i) { return refAdd(pa[i], pb[i]); });
                A::sub3(pa, pb, pd, n); check("Sub3", [&](int i) { return refSub(pa[i], pb[i]); });
                A::mpy3(pa, pb, pd, n); check("Mpy3", [&](int i) { return refMul(pa[i], pb[i]); });
                A::copy(pa, pd, n); A::add2(pb, pd, n); check("Add2", [&](int i) { return refAdd(pa[i], pb[i]); });
                A::copy(pa, pd, n); A::sub2(pb, pd, n); check("Sub2", [&](int i) { return refSub(pa[i], pb[i]); });
                A::copy(pa, pd, n); A::mpy2(pb, pd, n); check("Mpy2", [&](int i) { return refMul(pa[i], pb[i]); });
                A::copy(pa, pd, n); A::add1(val, pd, n); check("Add1", [&](int i) { return refAdd(pa[i], val); });
                A::copy(pa, pd, n); A::sub1(val, pd, n); check("Sub1", [&](int i) { return refSub(pa[i], val); });
                A::copy(pa, pd, n); A::mpy1(val, pd, n); check("Mpy1", [&](int i) { return refMul(pa[i], val); });
                A::set(val, pd, n); check("Set", [&](int) { return val; });
                A::zero(pd, n); check("Zero", [&](int) { return T{}; });
                A::copy(pa, pd, n); A::mpy3(pd, pd, pd, n); check("Mpy3 in place", [&](int i) { return refMul(pa[i], pa[i]); });
                // A copy to a destination one or more elements above its source shifts the data.
                const auto original = a;
                A::copy(a.data(), a.data() + offset, n);
                for (int i = 0; i < n; ++i) ASSERT_TRUE(sameBits(a[i + offset], original[i])) << "copy up " << offset;
            }
        }
    });
}

// ---- argument checks: order, texts, and no write on failure ----

TEST(ArithChecks, OrderAndTexts) {
    voktest::CheckTable t("vokarith");
    const voktest::BadArg n1{1, "n<=0"}, n2{2, "n<=0"}, n3{3, "n<=0"}, src{0, "src==0"}, dst1{1, "dst==0"};
    VOK_CHECK_TABLE(t, voksbZero, {n1, {0, "dst==0"}});
    VOK_CHECK_TABLE(t, vokzbSet, {n2, dst1});
    VOK_CHECK_TABLE(t, vokdbCopy, {n2, src, dst1});
    VOK_CHECK_TABLE(t, vokcbAdd1, {n2, dst1});
    VOK_CHECK_TABLE(t, voksbSub1, {n2, dst1});
    VOK_CHECK_TABLE(t, vokdbMpy1, {n2, dst1});
    VOK_CHECK_TABLE(t, voksbAdd2, {n2, src, dst1});
    VOK_CHECK_TABLE(t, vokzbMpy2, {n2, src, dst1});
    VOK_CHECK_TABLE(t, vokcbSub2, {n2, {0, "val==0"}, dst1});
    VOK_CHECK_TABLE(t, voksbAdd3, {n3, {0, "srcA==0"}, {1, "srcB==0"}, {2, "dst==0"}});
    VOK_CHECK_TABLE(t, vokzbMpy3, {n3, {0, "srcA==0"}, {1, "srcB==0"}, {2, "dst==0"}});
    VOK_CHECK_TABLE(t, vokdbSub3, {n3, src, {1, "val==0"}, {2, "dst==0"}});
    VOK_CHECK_TABLE(t, vokcbConj1, {n1, {0, "vec==0"}});
    VOK_CHECK_TABLE(t, vokzbConjExtend1, {n1, {0, "vec==0"}});
    VOK_CHECK_TABLE(t, vokzbConj2, {n2, src, dst1});
    VOK_CHECK_TABLE(t, vokcbConjFlip2, {n2, src, dst1});
    VOK_CHECK_TABLE(t, vokcbConjExtend2, {n2, src, dst1});
}

// ---- conjugation ----

template <class C> struct ConjApi;
template <> struct ConjApi<FloatComplex> {
    static constexpr auto conj1 = vokcbConj1, conj2 = vokcbConj2, flip2 = vokcbConjFlip2;
};
template <> struct ConjApi<DoubleComplex> {
    static constexpr auto conj1 = vokzbConj1, conj2 = vokzbConj2, flip2 = vokzbConjFlip2;
};

template <class C>
void expectConjugationLayouts() {
    using R = decltype(C{}.re);
    using A = ConjApi<C>;
    const R nan = std::numeric_limits<R>::quiet_NaN();
    std::vector<C> src = {{1, 0}, {2, -3}, {4, nan}, {5, 6}, {-7, R(-0.0)}};
    const int n = int(src.size());
    auto conjBits = [](C x) { x.im = -x.im; return x; };  // negation flips only the sign bit
    voktest::forEachWidth([&] {
        std::vector<C> dst(n);
        A::conj2(src.data(), dst.data(), n);
        for (int i = 0; i < n; ++i) EXPECT_TRUE(sameBits(dst[i], conjBits(src[i]))) << i;
        EXPECT_TRUE(std::signbit(dst[0].im));  // +0 becomes -0
        auto inPlace = src;
        A::conj1(inPlace.data(), n);
        EXPECT_EQ(std::memcmp(inPlace.data(), dst.data(), sizeof(C) * n), 0);
    });
    std::vector<C> flipped(n);
    A::flip2(src.data(), flipped.data(), n);
    for (int i = 0; i < n; ++i) EXPECT_TRUE(sameBits(flipped[n - 1 - i], conjBits(src[i])));
    auto selfFlip = src;  // in place as well
    A::flip2(selfFlip.data(), selfFlip.data(), n);
    EXPECT_EQ(std::memcmp(selfFlip.data(), flipped.data(), sizeof(C) * n), 0);
}

TEST(Conj, SignBitFlipAndReversal) {
    expectConjugationLayouts<FloatComplex>();
    expectConjugationLayouts<DoubleComplex>();
}

TEST(Conj, ExtendCompletesTheSymmetricSequence) {
    for (int n = 1; n <= 9; ++n) {
        std::vector<FloatComplex> src(n);
        for (int k = 0; k < n; ++k) src[k] = {float(k + 1), float(10 * (k + 1))};
        const int total = n == 1 ? 1 : 2 * n - 2;
        std::vector<FloatComplex> dst(total + 1, FloatComplex{99, 99});
        vokcbConjExtend2(src.data(), dst.data(), n);
        for (int k = 0; k < n && k < total; ++k) EXPECT_TRUE(sameBits(dst[k], src[k])) << n << " " << k;
        for (int k = 1; k < n - 1; ++k) {  // x[N-k] = conj(x[k])
            EXPECT_EQ(dst[total - k].re, src[k].re);
            EXPECT_EQ(dst[total - k].im, -src[k].im);
        }
        EXPECT_EQ(dst[total].re, 99) << "wrote past 2n-2 elements";

        std::vector<DoubleComplex> vec(total + 1, DoubleComplex{99, 99});
        for (int k = 0; k < n; ++k) vec[k] = {double(k + 1), double(-(k + 1))};
        vokzbConjExtend1(vec.data(), n);
        for (int k = 1; k < n - 1; ++k) EXPECT_EQ(vec[total - k].im, k + 1);
        EXPECT_EQ(vec[total].re, 99);
    }
}

// ---- single complex numbers ----

TEST(SingleComplex, ArithmeticAndConstruction) {
    const FloatComplex a = vokcSet(1.5f, -2), b = vokcSet(3, 4);
    EXPECT_EQ(vokcAdd(a, b).re, 4.5f);
    EXPECT_EQ(vokcSub(a, b).im, -6);
    const FloatComplex m = vokcMpy(a, b);
    EXPECT_EQ(m.re, 1.5f * 3 - (-2.0f) * 4);
    EXPECT_EQ(m.im, 1.5f * 4 + (-2.0f) * 3);
    const DoubleComplex c = vokzConj(vokzSet(1, 0));
    EXPECT_TRUE(std::signbit(c.im));
    const DoubleComplex p = vokzMpy({1, 2}, {3, 4});
    EXPECT_EQ(p.re, -5);
    EXPECT_EQ(p.im, 10);
}

TEST(SingleComplex, DivisionInDoublePrecision) {
    ReportRecorder rec;
    const DoubleComplex q = vokzDiv({1, 2}, {3, 4});
    const long double k = 1.0L / 25;
    EXPECT_NEAR(q.re, (3 + 8) * k, 1e-16);
    EXPECT_NEAR(q.im, (6 - 4) * k, 1e-16);
    // Float division forms the quotient in double and rounds once.
    const FloatComplex a{1e-20f, 3}, b{7, 1e-3f};
    const double kd = 1.0 / (double(b.re) * b.re + double(b.im) * b.im);
    const FloatComplex f = vokcDiv(a, b);
    EXPECT_EQ(f.re, float((double(a.re) * b.re + double(a.im) * b.im) * kd));
    EXPECT_EQ(f.im, float((double(b.re) * a.im - double(b.im) * a.re) * kd));
    EXPECT_TRUE(rec.reports().empty());
}

TEST(SingleComplex, DivisionByZeroReportsAndReturnsZero) {
    ReportRecorder rec;
    const FloatComplex f = vokcDiv({5, 5}, {-0.0f, 0.0f});
    EXPECT_EQ(f.re, 0);
    EXPECT_EQ(f.im, 0);
    // Below 2^-1042 the double divisor counts as zero; just above it does not.
    const DoubleComplex z = vokzDiv({5, 5}, {0, 4.9e-324});
    EXPECT_EQ(z.re, 0);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokcDiv", "(b.re==0.0)&&(b.im==0.0)", "vokarith"},
                   {VOK_StatusBadArg, "vokzDiv", "(b.re==0.0)&&(b.im==0.0)", "vokarith"});
    // A float denormal divisor is not zero, nor a double one whose upper word has a bit set.
    rec.clear();
    vokcDiv({1, 0}, {1e-45f, 0});
    vokzDiv({1, 0}, {0, std::ldexp(1.0, -1041)});
    EXPECT_TRUE(rec.reports().empty());
}

}  // namespace
