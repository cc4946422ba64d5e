// The shared 16-bit result converters: every 16-bit input and many wide ones
// under each scale mode, checked against exact long-double arithmetic
// (floor division for integer shifts, truncation for floats).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "core/scale16.h"
#include "vok.h"

namespace {

using vok::ownScaleFloatPairToShort;
using vok::ownScaleFloatToShort;
using vok::ownScaleIntToShort;
using vok::ownScaleIntValueToShort;

// Reference: wrap a mathematical integer to 16 bits.
short wrapRef(long double v) {
    long double m = std::fmod(v, 65536.0L);
    if (m < 0) m += 65536.0L;
    if (m >= 32768.0L) m -= 65536.0L;
    return static_cast<short>(m);
}
short clampRef(long double v) { return static_cast<short>(v < -32768.0L ? -32768 : v > 32767.0L ? 32767 : v); }

std::vector<int> wideInts() {
    std::vector<int> v;
    for (int x = -32768; x <= 32767; ++x) v.push_back(x);
    for (int e = 15; e < 31; ++e)
        for (int d = -2; d <= 2; ++d) { v.push_back((1 << e) + d); v.push_back(-(1 << e) + d); }
    v.push_back(std::numeric_limits<int>::max());
    v.push_back(std::numeric_limits<int>::min());
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) v.push_back(static_cast<int>(rng()));
    return v;
}

class IntFixed : public ::testing::TestWithParam<int> {};

TEST_P(IntFixed, ShiftsWrapAndClampLikeExactArithmetic) {
    const int sf = GetParam();
    const std::vector<int> src = wideInts();
    const int n = int(src.size());
    std::vector<short> wrap(src.size()), sat(src.size());
    int f = sf;
    ownScaleIntToShort(src.data(), wrap.data(), n, VOK_FIXED_SCALE, &f);
    ownScaleIntToShort(src.data(), sat.data(), n, VOK_FIXED_SCALE | VOK_SATURATE, &f);
    EXPECT_EQ(f, sf) << "fixed modes only read the factor";
    int bad = 0;
    for (int i = 0; i < n && bad < 5; ++i) {
        long double exact = std::floor(std::ldexp(static_cast<long double>(src[i]), -sf));
        if (wrap[i] != wrapRef(exact) || sat[i] != clampRef(exact)) {
            ++bad;
            ADD_FAILURE() << "x=" << src[i] << " sf=" << sf << " wrap " << wrap[i] << " sat " << sat[i];
        }
        EXPECT_EQ(ownScaleIntValueToShort(src[i], VOK_FIXED_SCALE | VOK_SATURATE, &f), sat[i]);
    }
}
INSTANTIATE_TEST_SUITE_P(Factors, IntFixed, ::testing::Values(-15, -4, -2, -1, 0, 1, 2, 7, 15, 16, 30, 31));

TEST(IntConverters, PlainAndSaturatingModesAndNullFactor) {
    const std::vector<int> src = wideInts();
    const int n = int(src.size());
    std::vector<short> plain(src.size()), sat(src.size()), fixedNull(src.size());
    ownScaleIntToShort(src.data(), plain.data(), n, VOK_NO_SCALE, nullptr);
    ownScaleIntToShort(src.data(), sat.data(), n, VOK_SATURATE, nullptr);
    ownScaleIntToShort(src.data(), fixedNull.data(), n, VOK_FIXED_SCALE, nullptr);
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(plain[i], wrapRef(src[i])) << src[i];
        ASSERT_EQ(sat[i], clampRef(src[i])) << src[i];
        ASSERT_EQ(fixedNull[i], plain[i]) << src[i];
    }
    // Modes outside 1..4 keep the low 16 bits.
    int sf = 3;
    EXPECT_EQ(ownScaleIntValueToShort(70000, 6, &sf), wrapRef(70000));
    EXPECT_EQ(ownScaleIntValueToShort(70000, 7, &sf), wrapRef(70000));
}

TEST(IntConverters, AutoScaleBringsTheLargestIntoTopOctave) {
    struct Case { std::vector<int> src; int sf; };
    const Case cases[] = {
        {{1, -32768, 32767}, 0},
        {{32768}, 1},
        {{-32769, 5}, 1},
        {{65535, 3}, 1},
        {{65536, -3}, 2},
        {{std::numeric_limits<int>::min(), 1}, 17},
        {{std::numeric_limits<int>::max()}, 16},
        {{300000, -7, 12}, 4},
    };
    for (const Case& c : cases) {
        std::vector<short> dst(c.src.size());
        int sf = -99;
        ownScaleIntToShort(c.src.data(), dst.data(), int(c.src.size()), VOK_AUTO_SCALE, &sf);
        EXPECT_EQ(sf, c.sf) << c.src[0];
        for (std::size_t i = 0; i < c.src.size(); ++i) {
            EXPECT_EQ(dst[i], static_cast<short>(std::floor(std::ldexp(static_cast<long double>(c.src[i]), -c.sf))));
            int vf = -99;
            short one = ownScaleIntValueToShort(c.src[i], VOK_AUTO_SCALE, &vf);
            if (c.src[i] < -32768 || c.src[i] > 32767) {
                EXPECT_GE(std::abs(int(one)), 16384) << c.src[i];
                EXPECT_GT(vf, 0);
            } else {
                EXPECT_EQ(vf, 0);
                EXPECT_EQ(one, c.src[i]);
            }
        }
    }
}

// ---- float results ----

short truncWrapRef(long double x) { return wrapRef(std::trunc(x)); }
short truncClampRef(long double x) { return clampRef(std::trunc(x < -32768.0L ? -32768.0L : x > 32767.0L ? 32767.0L : x)); }

std::vector<float> wideFloats() {
    std::vector<float> v;
    for (int x = -40000; x <= 40000; x += 7) v.push_back(float(x) + 0.5f * float((x & 3) - 1));
    const float corners[] = {-32768.0f, 32767.0f, 32767.99f, -32768.5f, 32768.0f, -0.99f, 0.99f, 1e9f, -1e9f,
                             3e38f, -3e38f, 65535.75f, -65536.25f};
    for (float c : corners) v.push_back(c);
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(-4e6f, 4e6f);
    for (int i = 0; i < 5000; ++i) v.push_back(u(rng));
    return v;
}

class FloatFixed : public ::testing::TestWithParam<int> {};

TEST_P(FloatFixed, ScaledValuesTruncateThenWrapOrClamp) {
    const int sf = GetParam();
    const std::vector<float> src = wideFloats();
    const int n = int(src.size());
    std::vector<short> wrap(src.size()), sat(src.size());
    int f = sf;
    EXPECT_EQ(ownScaleFloatToShort(src.data(), wrap.data(), n, VOK_FIXED_SCALE, &f), VOK_StatusOk);
    EXPECT_EQ(ownScaleFloatToShort(src.data(), sat.data(), n, VOK_FIXED_SCALE | VOK_SATURATE, &f), VOK_StatusOk);
    EXPECT_EQ(f, sf);
    for (int i = 0; i < n; ++i) {
        long double scaled = std::ldexp(static_cast<long double>(src[i]), -sf);
        ASSERT_EQ(wrap[i], truncWrapRef(scaled)) << src[i] << " sf=" << sf;
        ASSERT_EQ(sat[i], truncClampRef(scaled)) << src[i] << " sf=" << sf;
    }
}
INSTANTIATE_TEST_SUITE_P(Factors, FloatFixed, ::testing::Values(-6, -1, 0, 1, 3, 15, 20));

TEST(FloatConverters, PlainSaturatingAndAutoModes) {
    const std::vector<float> src = wideFloats();
    const int n = int(src.size());
    std::vector<short> plain(src.size()), sat(src.size());
    ownScaleFloatToShort(src.data(), plain.data(), n, VOK_NO_SCALE, nullptr);
    ownScaleFloatToShort(src.data(), sat.data(), n, VOK_SATURATE, nullptr);
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(plain[i], truncWrapRef(src[i])) << src[i];
        ASSERT_EQ(sat[i], truncClampRef(src[i])) << src[i];
    }
    struct Case { std::vector<float> src; int sf; };
    const Case cases[] = {
        {{40000.0f, -3.7f, 100.9f}, 1},
        {{-32768.0f}, 0},
        {{32767.0f, -32768.0f, 0.5f}, 0},
        {{32767.5f}, 0},
        {{-32768.5f}, 1},
        {{1.0e6f, 2.0f}, 5},
        {{0.0f, 0.0f}, 0},
    };
    for (const Case& c : cases) {
        std::vector<short> dst(c.src.size());
        int sf = -99;
        ownScaleFloatToShort(c.src.data(), dst.data(), int(c.src.size()), VOK_AUTO_SCALE, &sf);
        EXPECT_EQ(sf, c.sf) << c.src[0];
        for (std::size_t i = 0; i < c.src.size(); ++i)
            EXPECT_EQ(dst[i], truncWrapRef(std::ldexp(static_cast<long double>(c.src[i]), -c.sf))) << c.src[i];
    }
}

TEST(FloatConverters, PairSharesTheLargerFactor) {
    const float re[] = {1000.0f, -70000.0f, 5.5f};
    const float im[] = {300000.0f, 2.0f, -9.0f};
    short dre[3], dim[3];
    int sf = 0;
    ownScaleFloatPairToShort(re, im, dre, dim, 3, VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(sf, 4);  // 300000 needs 4, -70000 only 2
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dre[i], truncWrapRef(re[i] / 16.0L));
        EXPECT_EQ(dim[i], truncWrapRef(im[i] / 16.0L));
    }
    sf = -1;
    ownScaleFloatPairToShort(re, im, dre, dim, 3, VOK_FIXED_SCALE | VOK_SATURATE, &sf);
    EXPECT_EQ(dre[0], 2000);
    EXPECT_EQ(dre[1], -32768);
    EXPECT_EQ(dim[0], 32767);
    EXPECT_EQ(dim[2], -18);
}

}  // namespace
