// 16-bit magnitude and power spectrum under the scale modes, and their checks.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "support/reports.h"
#include "vok.h"

namespace {

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

TEST(Magnitude16, ModeChecksComeAfterTheBufferChecks) {
    voktest::ReportRecorder rec;
    const ShortComplex v[1] = {{1, 1}};
    voktest::Sentinel out(8);
    int sf = 0;
    vokvbMag(nullptr, out.as<short>(), 1, 6, nullptr);
    vokvbMag(v, out.as<short>(), 1, 6, &sf);
    vokvbMag(v, out.as<short>(), 1, VOK_AUTO_SCALE, nullptr);
    vokwbrPowerSpectr(nullptr, nullptr, nullptr, 0, 6, nullptr);
    vokwbrPowerSpectr(nullptr, nullptr, out.as<short>(), 1, 6, nullptr);
    EXPECT_TRUE(out.untouched());
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokvbMag", "src==0", "vokcvrtw"},
                   {VOK_StatusBadArg, "vokvbMag", "VOK_FIXED_SCALE and VOK_AUTO_SCALE", "vokcvrtw"},
                   {VOK_StatusBadArg, "vokvbMag", "VOK_AUTO_SCALE and ScaleFactor==NULL", "vokcvrtw"},
                   {VOK_StatusBadArg, "vokwbrPowerSpectr", "length<=0", "vokcvrtw"},
                   {VOK_StatusBadArg, "vokwbrPowerSpectr", "srcReal==0", "vokcvrtw"});
}

}  // namespace
