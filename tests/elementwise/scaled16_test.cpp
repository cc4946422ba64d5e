// 16-bit squares, exponential, mean square and normalization: every scale mode
// through the shared converters, the scale-factor check, and allocation failures.
#include <gtest/gtest.h>

#include <cmath>

#include "frame/test_seams.h"
#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;

TEST(ShortScaled, SquaresInEveryMode) {
    const short src[] = {300, -200, 32767, -32768};
    short dst[4];
    vokwbSqr2(src, dst, 4, VOK_NO_SCALE, nullptr);
    EXPECT_EQ(dst[0], short(90000 - 65536 * 1));
    EXPECT_EQ(dst[1], short(40000 - 65536));
    vokwbSqr2(src, dst, 4, VOK_SATURATE, nullptr);
    for (short x : dst) EXPECT_EQ(x, 32767);
    int sf = 0;
    vokwbSqr2(src, dst, 4, VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(sf, 16);  // 2^30 needs 2^30 >> 16 = 16384
    EXPECT_EQ(dst[3], 16384);
    EXPECT_EQ(dst[0], 90000 >> 16);
    sf = 2;
    const short small[] = {100, -181};
    vokwbSqr2(small, dst, 2, VOK_FIXED_SCALE, &sf);
    EXPECT_EQ(dst[0], 2500);
    EXPECT_EQ(dst[1], 32761 >> 2);
    ShortComplex v[] = {{3, 4}, {-32768, -32768}};
    int vsf = 0;
    vokvbSqr1(v, 1, VOK_NO_SCALE, nullptr);
    EXPECT_EQ(v[0].re, -7);
    EXPECT_EQ(v[0].im, 24);
    vokvbSqr1(v + 1, 1, VOK_AUTO_SCALE, &vsf);
    EXPECT_EQ(v[1].re, 0);
    EXPECT_EQ(v[1].im, 32767);  // 2^31 - 1 >> 16
    EXPECT_EQ(vsf, 16);
}

TEST(ShortScaled, ExponentialTruncatesUnderTheScaleMode) {
    const short src[] = {0, 1, 2, 10, 11, -3};
    short dst[6];
    vokwbExp2(src, dst, 6, VOK_SATURATE, nullptr);
    const short sat[] = {1, 2, 7, 22026, 32767, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(dst[i], sat[i]) << i;
    int sf = 0;
    vokwbExp2(src, dst, 6, VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(sf, 1);
    EXPECT_EQ(dst[4], short(std::exp(11.0) / 2));
    EXPECT_EQ(dst[3], 11013);
    sf = -2;
    short w[] = {3, 100};
    vokwbExp1(w, 2, VOK_FIXED_SCALE | VOK_SATURATE, &sf);
    EXPECT_EQ(w[0], 80);
    EXPECT_EQ(w[1], 32767) << "beyond the float range counts as the largest float";
}

TEST(ShortScaled, MeanSquareTruncates) {
    const short s[] = {1, 2, 3};
    EXPECT_EQ(vokwStdDev(s, 3, VOK_NO_SCALE, nullptr), 4);
    const short big[] = {-32768, 32767};
    int sf = 0;
    EXPECT_EQ(vokwStdDev(big, 2, VOK_AUTO_SCALE, &sf), short((1073741824LL + 1073676289LL) / 2 >> 15));
    EXPECT_EQ(sf, 15);
    EXPECT_EQ(vokwStdDev(big, 2, VOK_SATURATE, nullptr), 32767);
}

TEST(ShortScaled, NormalizeTruncatesAndSaturates) {
    const short src[] = {10, -10, 32767};
    short dst[3];
    vokwbNormalize(src, dst, 3, 2, 4.0f);
    EXPECT_EQ(dst[0], 2);
    EXPECT_EQ(dst[1], -3);
    EXPECT_EQ(dst[2], 8191);
    vokwbNormalize(src, dst, 3, 0, 0.25f);
    EXPECT_EQ(dst[0], 40);
    EXPECT_EQ(dst[2], 32767);
    ShortComplex v[] = {{5, -7}};
    vokvbNormalize(v, v, 1, ShortComplex{1, 1}, -2.0f);
    EXPECT_EQ(v[0].re, -2);
    EXPECT_EQ(v[0].im, 4);
}

TEST(ShortScaled, ChecksAndAllocationFailures) {
    const int bad = VOK_StatusBadArg, noMem = VOK_StatusNoMemory;
    Sentinel buf(64);
    short* w = buf.as<short>();
    const auto withoutMemory = [](auto call) {
        return [call] {
            vok::testing::failAllocationAfter(1);
            call();
            vok::testing::failAllocationAfter(0);
        };
    };
    EXPECT_EACH_REPORTS(
        {[&] { vokwbSqr1(w, 4, VOK_AUTO_SCALE, nullptr); }, {bad, "vokwbSqr1", "scaleFactor==0", "vokvec"}},
        {[&] { vokvbSqr2(buf.as<ShortComplex>(), nullptr, 4, VOK_AUTO_SCALE, nullptr); }, {bad, "vokvbSqr2", "dst==0", "vokvec"}},
        {[&] { vokwbExp2(w, w, 4, VOK_AUTO_SCALE, nullptr); }, {bad, "vokwbExp2", "scaleFactor==0", "voklnexw"}},
        {[&] { EXPECT_EQ(vokwStdDev(w, 4, VOK_AUTO_SCALE, nullptr), 0); }, {bad, "vokwStdDev", "scaleFactor==0", "vokvec"}},
        {[&] { vokwbSqr1(nullptr, 0, VOK_AUTO_SCALE, nullptr); }, {bad, "vokwbSqr1", "len<=0", "vokvec"}},
        {[&] { vokwbNormalize(w, w, 4, 0, -0.0f); }, {bad, "vokwbNormalize", "factor == 0", "voknorm"}},
        {withoutMemory([&] { vokwbSqr1(w, 4, VOK_NO_SCALE, nullptr); }), {noMem, "vokwbSqr1", "NULL Pointer", "vokvec"}},
        {withoutMemory([&] { vokwbExp1(w, 4, VOK_NO_SCALE, nullptr); }), {noMem, "vokwbExp1", "NULL Pointer", "voklnexw"}});
    EXPECT_TRUE(buf.untouched());
}

}  // namespace
