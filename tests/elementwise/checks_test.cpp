// Argument checks of every elementwise, statistics, norm and normalization
// entry point: the exact report (status, function, context, module), the check
// order, the value checks after the pointers, and no write to the caller's
// buffers after a failed check.
#include <gtest/gtest.h>

#include "frame/test_seams.h"
#include "voktest/vector_calls.h"
#include "vok.h"

namespace {

using voktest::BadArg;
using voktest::CheckTable;

const BadArg len1{1, "len<=0"}, vec{0, "vec==0"}, len2{2, "len<=0"}, src{0, "src==0"}, dst{1, "dst==0"};

// Both forms of a function with only the length and pointers checked.
#define FORMS(t, stem, ...)                                  \
    VOK_CHECK_TABLE(t, stem##1, {len1, vec, ##__VA_ARGS__});      \
    VOK_CHECK_TABLE(t, stem##2, {len2, src, dst, ##__VA_ARGS__})

TEST(Checks, LengthPointersThenValuesInOrderAndNothingWritten) {
    CheckTable v("vokvec");
    FORMS(v, voksbSqr), FORMS(v, vokdbSqr), FORMS(v, vokcbSqr), FORMS(v, vokzbSqr);
    const BadArg sf3{3, "scaleFactor==0"}, sf4{4, "scaleFactor==0"};
    VOK_CHECK_TABLE(v, vokwbSqr1, {len1, vec, sf3}), VOK_CHECK_TABLE(v, vokwbSqr2, {len2, src, dst, sf4});
    VOK_CHECK_TABLE(v, vokvbSqr1, {len1, vec, sf3}), VOK_CHECK_TABLE(v, vokvbSqr2, {len2, src, dst, sf4});
    FORMS(v, voksbSqrt), FORMS(v, vokdbSqrt), FORMS(v, vokcbSqrt), FORMS(v, vokzbSqrt);
    FORMS(v, vokwbSqrt), FORMS(v, vokvbSqrt), FORMS(v, voksbAbs), FORMS(v, vokdbAbs), FORMS(v, vokwbAbs);
    // Real thresholds take any sign; the complex and 16-bit ones are magnitudes.
    FORMS(v, voksbThresh), FORMS(v, vokdbThresh), FORMS(v, vokwbThresh);
    const BadArg cf1{2, "thresh<0.0f", -1e-30}, cd1{2, "thresh<0.0", -0.5}, cf2{3, "thresh<0.0f", -1};
    const BadArg cd2{3, "thresh<0.0", -1};
    VOK_CHECK_TABLE(v, vokcbThresh1, {len1, vec, cf1}), VOK_CHECK_TABLE(v, vokcbThresh2, {len2, src, dst, cf2});
    VOK_CHECK_TABLE(v, vokzbThresh1, {len1, vec, cd1}), VOK_CHECK_TABLE(v, vokzbThresh2, {len2, src, dst, cd2});
    VOK_CHECK_TABLE(v, vokvbThresh1, {len1, vec, {2, "thresh<0", -1}});
    VOK_CHECK_TABLE(v, vokvbThresh2, {len2, src, dst, {3, "thresh<0", -1}});
    VOK_CHECK_TABLE(v, voksbInvThresh1, {len1, vec, cf1}), VOK_CHECK_TABLE(v, voksbInvThresh2, {len2, src, dst, cf2});
    VOK_CHECK_TABLE(v, vokdbInvThresh1, {len1, vec, cd1}), VOK_CHECK_TABLE(v, vokdbInvThresh2, {len2, src, dst, cd2});
    VOK_CHECK_TABLE(v, vokcbInvThresh1, {len1, vec, cf1}), VOK_CHECK_TABLE(v, vokcbInvThresh2, {len2, src, dst, cf2});
    VOK_CHECK_TABLE(v, vokzbInvThresh1, {len1, vec, cd1}), VOK_CHECK_TABLE(v, vokzbInvThresh2, {len2, src, dst, cd2});
    // Statistics return zero after a failed check.
    VOK_CHECK_TABLE(v, voksMean, {len1, vec}), VOK_CHECK_TABLE(v, voksStdDev, {len1, vec}), VOK_CHECK_TABLE(v, voksMax, {len1, vec});
    VOK_CHECK_TABLE(v, voksMin, {len1, vec}), VOK_CHECK_TABLE(v, vokdMean, {len1, vec}), VOK_CHECK_TABLE(v, vokdStdDev, {len1, vec});
    VOK_CHECK_TABLE(v, vokdMax, {len1, vec}), VOK_CHECK_TABLE(v, vokdMin, {len1, vec}), VOK_CHECK_TABLE(v, vokwMean, {len1, vec});
    VOK_CHECK_TABLE(v, vokwMax, {len1, vec}), VOK_CHECK_TABLE(v, vokwMin, {len1, vec});
    VOK_CHECK_TABLE(v, vokwStdDev, {len1, vec, sf3});

    CheckTable ln("voklnexp"), lnw("voklnexw");
    FORMS(ln, voksbLn), FORMS(ln, vokdbLn), FORMS(lnw, vokwbLn), FORMS(ln, voksbExp), FORMS(ln, vokdbExp);
    VOK_CHECK_TABLE(lnw, vokwbExp1, {len1, vec, sf3}), VOK_CHECK_TABLE(lnw, vokwbExp2, {len2, src, dst, sf4});

    // Norms check the flag word after the pointers: only C, L1 or L2, with or without VOK_RELATIVE.
    CheckTable nm("voknorm");
    const BadArg n{2, "n<=0"}, a{0, "srcA==0"};
    std::vector<BadArg> flags = {n, a};
    for (int f : {0, 3, 5, 6, 7, 8, 16, 1 | 16, 2 | 8 | 32, -1}) flags.push_back({3, "flag is wrong", double(f)});
    VOK_CHECK_TABLE(nm, voksNorm, flags), VOK_CHECK_TABLE(nm, vokdNorm, {n, a}), VOK_CHECK_TABLE(nm, vokcNorm, {n, a});
    VOK_CHECK_TABLE(nm, vokzNorm, {n, a}), VOK_CHECK_TABLE(nm, vokwNorm, {n, a}), VOK_CHECK_TABLE(nm, vokvNorm, {n, a});
    // Normalization refuses a zero factor of either sign.
    const std::vector<BadArg> zero = {{2, "n<=0"}, src, dst, {4, "factor == 0", 0.0}, {4, "factor == 0", -0.0}};
    VOK_CHECK_TABLE(nm, voksbNormalize, zero), VOK_CHECK_TABLE(nm, vokdbNormalize, zero), VOK_CHECK_TABLE(nm, vokcbNormalize, zero);
    VOK_CHECK_TABLE(nm, vokzbNormalize, zero), VOK_CHECK_TABLE(nm, vokwbNormalize, zero), VOK_CHECK_TABLE(nm, vokvbNormalize, zero);
}

TEST(Checks, AllocationFailuresOfTheSixteenBitWorkBuffers) {
    voktest::Sentinel buf(64);
    short* w = buf.as<short>();
    const auto withoutMemory = [](auto call) {
        vok::testing::failAllocationAfter(1);
        call();
        vok::testing::failAllocationAfter(0);
    };
    const int noMem = VOK_StatusNoMemory;
    EXPECT_EACH_REPORTS({[&] { withoutMemory([&] { vokwbSqr1(w, 4, VOK_NO_SCALE, nullptr); }); },
                         {noMem, "vokwbSqr1", "NULL Pointer", "vokvec"}},
                        {[&] { withoutMemory([&] { vokwbExp1(w, 4, VOK_NO_SCALE, nullptr); }); },
                         {noMem, "vokwbExp1", "NULL Pointer", "voklnexw"}});
    EXPECT_TRUE(buf.untouched());
}

}  // namespace
