// Vector arithmetic and conjugation of every element type at every width,
// sizes 1..67 from unaligned starts, against the same formula applied one
// element at a time (the same bits), with guards on both sides of the output;
// the single complex numbers and every argument check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "voktest/reports.h"
#include "voktest/values.h"
#include "voktest/vector_calls.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using voktest::isCx;

template <class T> struct Api;
#define VOK_TEST_API(t, T)                                                                      \
    template <> struct Api<T> {                                                                 \
        static constexpr auto zero = vok##t##bZero, set = vok##t##bSet, copy = vok##t##bCopy;   \
        static constexpr decltype(&vok##t##bAdd1) by1[] = {vok##t##bAdd1, vok##t##bSub1, vok##t##bMpy1}; \
        static constexpr decltype(&vok##t##bAdd2) by2[] = {vok##t##bAdd2, vok##t##bSub2, vok##t##bMpy2}; \
        static constexpr decltype(&vok##t##bAdd3) by3[] = {vok##t##bAdd3, vok##t##bSub3, vok##t##bMpy3}; \
    };
VOK_TEST_API(s, float)
VOK_TEST_API(d, double)
VOK_TEST_API(c, FloatComplex)
VOK_TEST_API(z, DoubleComplex)
#undef VOK_TEST_API

template <class T> struct Cx;
#define VOK_TEST_CX(t, T)                                                                                  \
    template <> struct Cx<T> {                                                                             \
        static constexpr auto conj1 = vok##t##bConj1, conj2 = vok##t##bConj2, flip2 = vok##t##bConjFlip2;  \
        static constexpr auto extend1 = vok##t##bConjExtend1, extend2 = vok##t##bConjExtend2;              \
        static constexpr auto add = vok##t##Add, sub = vok##t##Sub, mpy = vok##t##Mpy, conj = vok##t##Conj; \
        static constexpr auto set = vok##t##Set;                                                           \
    };
VOK_TEST_CX(c, FloatComplex)
VOK_TEST_CX(z, DoubleComplex)
#undef VOK_TEST_CX

template <class T> T add(T a, T b) { if constexpr (isCx<T>) return {a.re + b.re, a.im + b.im}; else return a + b; }
template <class T> T sub(T a, T b) { if constexpr (isCx<T>) return {a.re - b.re, a.im - b.im}; else return a - b; }
template <class T> T mul(T a, T b) {
    if constexpr (isCx<T>) return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
    else return a * b;
}
template <class T> T apply(int op, T a, T b) { return op == 0 ? add(a, b) : op == 1 ? sub(a, b) : mul(a, b); }
template <class T> T conj(T a) {
    a.im = -a.im;  // flips only the sign bit, of zeros and NaNs too
    return a;
}
template <class T> bool sameBits(const T& a, const T& b) { return voktest::sameBits(&a, &b, 1); }

template <class T>
struct Op {
    const char* name;
    std::function<void(T*)> run;  // on the output
    std::function<T(int)> want;   // element i
    bool fromA = false;           // the output starts as a copy of srcA
};

template <class T>
class Arith : public ::testing::Test {};
using ElementTypes = ::testing::Types<float, double, FloatComplex, DoubleComplex>;
TYPED_TEST_SUITE(Arith, ElementTypes);

TYPED_TEST(Arith, EveryOperationMatchesItsFormulaAtEveryWidthSizeAndOffset) {
    using T = TypeParam;
    using A = Api<T>;
    const T val = voktest::fromLC<T>({3.25L, -1.5L}), fill = voktest::fromLC<T>({7, 7});
    voktest::forEachWidth([&] {
        for (int n = 1; n <= 67; ++n) {
            for (int offset = 0; offset < 4; ++offset) {
                const auto a = voktest::randomVector<T>(n + offset, 4 * n + offset, 100);
                const auto b = voktest::randomVector<T>(n + offset, 1000 + 4 * n + offset, 100);
                const T* pa = a.data() + offset;
                const T* pb = b.data() + offset;
                std::vector<Op<T>> ops = {
                    {"Mpy3 on one", [&](T* d) { A::by3[2](d, d, d, n); }, [&](int i) { return mul(pa[i], pa[i]); }, 1},
                    {"Set", [&](T* d) { A::set(val, d, n); }, [&](int) { return val; }},
                    {"Zero", [&](T* d) { A::zero(d, n); }, [&](int) { return T{}; }},
                    {"Copy", [&](T* d) { A::copy(pa, d, n); }, [&](int i) { return pa[i]; }},
                };
                for (int k = 0; k < 3; ++k)  // add, sub, mpy: into a third vector, onto a vector, by a value
                    ops.insert(ops.end(), {{"3", [&, k](T* d) { A::by3[k](pa, pb, d, n); },
                                            [&, k](int i) { return apply(k, pa[i], pb[i]); }},
                                           {"2", [&, k](T* d) { A::by2[k](pb, d, n); },
                                            [&, k](int i) { return apply(k, pa[i], pb[i]); }, true},
                                           {"1", [&, k](T* d) { A::by1[k](val, d, n); },
                                            [&, k](int i) { return apply(k, pa[i], val); }, true}});
                std::vector<T> s(pa, pa + n);  // conjugation sees zeros and a NaN
                if constexpr (isCx<T>) {
                    using C = Cx<T>;
                    s[0].im = std::numeric_limits<decltype(s[0].im)>::quiet_NaN();
                    s[n - 1] = {-0.0f, 0.0f};
                    ops.push_back({"Conj2", [&](T* d) { C::conj2(s.data(), d, n); },
                                   [&](int i) { return conj(s[i]); }});
                    ops.push_back({"ConjFlip2", [&](T* d) { C::flip2(s.data(), d, n); },
                                   [&](int i) { return conj(s[n - 1 - i]); }});
                    ops.push_back({"Conj1", [&](T* d) { C::conj1(d, n); }, [&](int i) { return conj(pa[i]); }, true});
                    ops.push_back({"ConjFlip2 in place", [&](T* d) { C::flip2(d, d, n); },
                                   [&](int i) { return conj(pa[n - 1 - i]); }, true});
                }
                for (const Op<T>& op : ops) {
                    std::vector<T> dst(n + offset + 1, fill);
                    if (op.fromA) std::copy(pa, pa + n, dst.begin() + offset);
                    op.run(dst.data() + offset);
                    for (int i = 0; i < n; ++i)
                        ASSERT_TRUE(sameBits(dst[offset + i], op.want(i)))
                            << op.name << " #" << &op - ops.data() << " n=" << n << " i=" << i;
                    for (int i : {-1, n})
                        if (offset + i >= 0) ASSERT_TRUE(sameBits(dst[offset + i], fill)) << op.name << " outside";
                }
                auto shifted = a;  // a copy to a destination above its source moves the data up
                A::copy(shifted.data(), shifted.data() + offset, n);
                ASSERT_EQ(std::memcmp(shifted.data() + offset, a.data(), n * sizeof(T)), 0) << "copy up " << offset;
                if constexpr (isCx<T>) {
                    using C = Cx<T>;
                    for (int i = 0; i < n; ++i) {
                        const T x = s[i], y = pb[i];
                        ASSERT_TRUE(sameBits(C::add(x, y), add(x, y)) && sameBits(C::sub(x, y), sub(x, y)) &&
                                    sameBits(C::mpy(pa[i], y), mul(pa[i], y)) && sameBits(C::conj(x), conj(x)) &&
                                    sameBits(C::set(x.re, x.im), x))
                            << "single complex " << i;
                    }
                    if (offset > 0) continue;
                    // Both forms complete x[N-k] = conj(x[k]) over N = 2n-2 elements (1 for n = 1).
                    const int total = n == 1 ? 1 : 2 * n - 2;
                    std::vector<T> two(total + 1, fill), one(total + 1, fill);
                    std::copy(pa, pa + n, one.begin());
                    C::extend2(pa, two.data(), n);
                    C::extend1(one.data(), n);
                    for (int k = 0; k <= total; ++k) {
                        const T want = k == total ? fill : k < n ? pa[k] : conj(pa[total - k]);
                        ASSERT_TRUE(sameBits(two[k], want) && sameBits(one[k], want)) << "extend n=" << n << " " << k;
                    }
                }
            }
        }
    });
}

TEST(SingleComplex, DivisionInDoublePrecisionAndByZero) {
    voktest::ReportRecorder rec;
    const DoubleComplex q = vokzDiv({1, 2}, {3, 4});
    EXPECT_NEAR(q.re, 11.0L / 25, 1e-16);
    EXPECT_NEAR(q.im, 2.0L / 25, 1e-16);
    // Float division forms the quotient in double and rounds once.
    const FloatComplex a{1e-20f, 3}, b{7, 1e-3f};
    const double k = 1.0 / (double(b.re) * b.re + double(b.im) * b.im);
    const FloatComplex f = vokcDiv(a, b);
    EXPECT_EQ(f.re, float((double(a.re) * b.re + double(a.im) * b.im) * k));
    EXPECT_EQ(f.im, float((double(b.re) * a.im - double(b.im) * a.re) * k));
    // A float denormal divisor is not zero, nor a double one whose upper word has a bit set.
    vokcDiv({1, 0}, {1e-45f, 0});
    vokzDiv({1, 0}, {0, std::ldexp(1.0, -1041)});
    EXPECT_REPORTS(rec);
    // Zero, or a double divisor below 2^-1042, reports and gives zero.
    const FloatComplex fz = vokcDiv({5, 5}, {-0.0f, 0.0f});
    const DoubleComplex zz = vokzDiv({5, 5}, {0, 4.9e-324});
    EXPECT_TRUE(fz.re == 0 && fz.im == 0 && zz.re == 0 && zz.im == 0);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokcDiv", "(b.re==0.0)&&(b.im==0.0)", "vokarith"},
                   {VOK_StatusBadArg, "vokzDiv", "(b.re==0.0)&&(b.im==0.0)", "vokarith"});
}

#define VOK_SDCZ(f) voks##f, vokd##f, vokc##f, vokz##f

TEST(ArithChecks, OrderAndTexts) {
    using Rows = std::vector<voktest::BadArg>;
    voktest::CheckTable t("vokarith");
    const voktest::BadArg n1{1, "n<=0"}, n2{2, "n<=0"}, n3{3, "n<=0"}, src{0, "src==0"}, dst1{1, "dst==0"};
    VOK_CHECK_EACH(t, (Rows{n1, {0, "dst==0"}}), VOK_SDCZ(bZero));
    VOK_CHECK_EACH(t, (Rows{n2, dst1}), VOK_SDCZ(bSet), VOK_SDCZ(bAdd1), VOK_SDCZ(bSub1), VOK_SDCZ(bMpy1));
    VOK_CHECK_EACH(t, (Rows{n2, src, dst1}), VOK_SDCZ(bCopy), VOK_SDCZ(bAdd2), VOK_SDCZ(bMpy2), vokcbConj2, vokzbConj2,
                   vokcbConjFlip2, vokzbConjFlip2, vokcbConjExtend2, vokzbConjExtend2);
    VOK_CHECK_EACH(t, (Rows{n2, {0, "val==0"}, dst1}), VOK_SDCZ(bSub2));
    VOK_CHECK_EACH(t, (Rows{n3, {0, "srcA==0"}, {1, "srcB==0"}, {2, "dst==0"}}), VOK_SDCZ(bAdd3), VOK_SDCZ(bMpy3));
    VOK_CHECK_EACH(t, (Rows{n3, src, {1, "val==0"}, {2, "dst==0"}}), VOK_SDCZ(bSub3));
    VOK_CHECK_EACH(t, (Rows{n1, {0, "vec==0"}}), vokcbConj1, vokzbConj1, vokcbConjExtend1, vokzbConjExtend1);
}

}  // namespace
