// Argument checks of every elementwise, statistics, norm and normalization
// entry point: the exact report (status, function, context, module), the check
// order, the value checks after the pointers, and no write to the caller's
// buffers after a failed check.
#include <gtest/gtest.h>

#include "voktest/vector_calls.h"
#include "vok.h"

namespace {

using voktest::BadArg;
using voktest::CheckTable;
using Rows = std::vector<BadArg>;

TEST(Checks, LengthPointersThenValuesInOrderAndNothingWritten) {
    const BadArg len1{1, "len<=0"}, vec{0, "vec==0"}, len2{2, "len<=0"}, src{0, "src==0"}, dst{1, "dst==0"};
    const Rows one = {len1, vec}, two = {len2, src, dst};
    // Statistics have the first form's checks and return zero after a failed one.
    CheckTable v("vokvec");
    VOK_CHECK_EACH(v, one, voksbSqr1, vokdbSqr1, vokcbSqr1, vokzbSqr1, voksbSqrt1, vokdbSqrt1, vokcbSqrt1, vokzbSqrt1);
    VOK_CHECK_EACH(v, one, vokwbSqrt1, vokvbSqrt1, voksbAbs1, vokdbAbs1, vokwbAbs1, voksbThresh1, vokdbThresh1);
    VOK_CHECK_EACH(v, one, vokwbThresh1, voksMean, voksStdDev, voksMax, voksMin, vokdMean, vokdStdDev, vokdMax);
    VOK_CHECK_EACH(v, one, vokdMin, vokwMean, vokwMax, vokwMin);
    VOK_CHECK_EACH(v, two, voksbSqr2, vokdbSqr2, vokcbSqr2, vokzbSqr2, voksbSqrt2, vokdbSqrt2, vokcbSqrt2, vokzbSqrt2);
    VOK_CHECK_EACH(v, two, vokwbSqrt2, vokvbSqrt2, voksbAbs2, vokdbAbs2, vokwbAbs2, voksbThresh2, vokdbThresh2);
    VOK_CHECK_EACH(v, two, vokwbThresh2);
    const Rows scaled1 = {len1, vec, {3, "scaleFactor==0"}}, scaled2 = {len2, src, dst, {4, "scaleFactor==0"}};
    VOK_CHECK_EACH(v, scaled1, vokwbSqr1, vokvbSqr1, vokwStdDev);
    VOK_CHECK_EACH(v, scaled2, vokwbSqr2, vokvbSqr2);
    // Real thresholds take any sign; the complex and 16-bit ones are magnitudes.
    const Rows f1 = {len1, vec, {2, "thresh<0.0f", -1e-30}}, f2 = {len2, src, dst, {3, "thresh<0.0f", -1}};
    const Rows d1 = {len1, vec, {2, "thresh<0.0", -0.5}}, d2 = {len2, src, dst, {3, "thresh<0.0", -1}};
    VOK_CHECK_EACH(v, f1, vokcbThresh1, voksbInvThresh1, vokcbInvThresh1);
    VOK_CHECK_EACH(v, f2, vokcbThresh2, voksbInvThresh2, vokcbInvThresh2);
    VOK_CHECK_EACH(v, d1, vokzbThresh1, vokdbInvThresh1, vokzbInvThresh1);
    VOK_CHECK_EACH(v, d2, vokzbThresh2, vokdbInvThresh2, vokzbInvThresh2);
    const Rows w1 = {len1, vec, {2, "thresh<0", -1}}, w2 = {len2, src, dst, {3, "thresh<0", -1}};
    VOK_CHECK_EACH(v, w1, vokvbThresh1);
    VOK_CHECK_EACH(v, w2, vokvbThresh2);

    CheckTable ln("voklnexp"), lnw("voklnexw");
    VOK_CHECK_EACH(ln, one, voksbLn1, vokdbLn1, voksbExp1, vokdbExp1);
    VOK_CHECK_EACH(ln, two, voksbLn2, vokdbLn2, voksbExp2, vokdbExp2);
    VOK_CHECK_EACH(lnw, one, vokwbLn1);
    VOK_CHECK_EACH(lnw, two, vokwbLn2);
    VOK_CHECK_EACH(lnw, scaled1, vokwbExp1);
    VOK_CHECK_EACH(lnw, scaled2, vokwbExp2);

    // Norms check the flag word after the pointers: only C, L1 or L2, with or without VOK_RELATIVE.
    CheckTable nm("voknorm");
    const Rows norms = {{2, "n<=0"}, {0, "srcA==0"}};
    Rows flags = norms;
    for (int f : {0, 3, 5, 6, 7, 8, 16, 1 | 16, 2 | 8 | 32, -1}) flags.push_back({3, "flag is wrong", double(f)});
    VOK_CHECK_EACH(nm, flags, voksNorm);
    VOK_CHECK_EACH(nm, norms, vokdNorm, vokcNorm, vokzNorm, vokwNorm, vokvNorm);
    // Normalization refuses a zero factor of either sign.
    const Rows normalize = {{2, "n<=0"}, src, dst, {4, "factor == 0", 0.0}, {4, "factor == 0", -0.0}};
    VOK_CHECK_EACH(nm, normalize, voksbNormalize, vokdbNormalize, vokcbNormalize, vokzbNormalize, vokwbNormalize);
    VOK_CHECK_EACH(nm, normalize, vokvbNormalize);
}

}  // namespace
