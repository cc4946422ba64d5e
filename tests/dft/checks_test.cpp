// Argument checks of the DFT, DCT, Goertzel and 16-bit FFT entry points: the
// exact reports in check order, the status or zero returned, nothing written
// to the caller's buffers or states, and the reports when memory runs out.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "frame/context.h"
#include "voktest/sweep.h"
#include "voktest/vector_calls.h"
#include "vok.h"

namespace {

using voktest::BadArg;
using voktest::CheckTable;
using voktest::Expected;
using voktest::ReportSteps;
using Rows = std::vector<BadArg>;

TEST(DftChecks, ChecksInOrderWriteNothing) {
    const FloatComplex src[5] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}};
    const DoubleComplex zsrc[3] = {{1, 0}, {2, 0}, {3, 0}};
    voktest::Sentinel out(5 * sizeof(DoubleComplex));
    FloatComplex* dst = out.as<FloatComplex>();
    DoubleComplex* zdst = out.as<DoubleComplex>();
    const char* kFlag = "VOK_Forw or VOK_Inv must be as a flag";
    auto length = [](const char* table, const char* dft) {
        return std::vector<Expected>{{VOK_StatusBadArg, table, "length<=0", "voktwd"}, {VOK_StatusBadArg, dft, "length<=0", "vokdft"}};
    };
    ReportSteps step("vokdft");
    step.run([&] { vokcDft(src, dst, 0, VOK_Forw); }, length("vokcGetDftTwdTbl", "vokcDft"));
    step.run([&] { vokcDft(src, dst, -3, 0); }, length("vokcGetDftTwdTbl", "vokcDft"));  // length before flags
    step("vokcDft", "src==0", [&] { vokcDft(nullptr, dst, 4, 0); });
    step("vokcDft", "dst==0", [&] { vokcDft(src, nullptr, 4, 0); });
    step("vokcDft", kFlag, [&] { vokcDft(src, dst, 4, 0); });
    step("vokcDft", kFlag, [&] { vokcDft(src, dst, 4, VOK_Forw | VOK_Inv); });
    // Init and Free come before the pointer checks and write nothing.
    step.run([&] { vokcDft(nullptr, nullptr, 4, VOK_Init); }, {});
    step.run([&] { vokcDft(nullptr, dst, 4, VOK_Free); }, {});
    EXPECT_EQ(vok::threadContext().tables.work[1].buffer, nullptr);
    // With a failure still standing the table lookup returns nothing.
    step("vokcDft", "TwdTbl==0", [&] {
        vokSetErrStatus(VOK_StatusBadArg);
        vokcDft(src, dst, 4, VOK_Forw);
    });
    step.run([&] { vokzDft(zsrc, zdst, 0, VOK_Forw); }, length("vokzGetDftTwdTbl", "vokzDft"));
    step.run([&] { vokzDft(nullptr, nullptr, 3, VOK_Init); }, {});
    step.run([&] { vokzDft(nullptr, nullptr, 3, VOK_Free); }, {});
    step("vokzDft", "src==0", [&] { vokzDft(nullptr, zdst, 3, VOK_Forw); });
    step("vokzDft", "dst==0", [&] { vokzDft(zsrc, nullptr, 3, VOK_Forw); });
    step("vokzDft", kFlag, [&] { vokzDft(zsrc, zdst, 3, VOK_NoScale); });
    // The scratch copy cannot be had: the call reports and leaves dst alone.
    vokSetErrStatus(VOK_StatusOk);
    ASSERT_NE(vokzGetDftTwdTbl(3), nullptr);
    ReportSteps noMemory("vokdft", VOK_StatusNoMemory);
    vok::testing::failAllocationsAfter(1, 2);  // the plan, then the direct sum's copy
    noMemory("vokzDft", "NULL Pointer", [&] { vokzDft(zsrc, zdst, 3, VOK_Forw); });
    // The work buffer cannot be had.
    vokSetErrStatus(VOK_StatusOk);
    ASSERT_NE(vokcGetDftTwdTbl(5), nullptr);
    vokcDft(nullptr, nullptr, 5, VOK_Free);  // empties slot 1
    vok::testing::failAllocationAfter(1);
    step("vokcDft", "buff==0", [&] { vokcDft(src, dst, 5, VOK_Forw); });
    vok::testing::failAllocationAfter(0);
    EXPECT_TRUE(out.untouched());
    robust::releaseThreadCaches();
}

TEST(DftChecks, DctAndGoertzelChecksInOrderReturnZeroAndWriteNothing) {
    const char *ptr = "\nNull pointer to data buffer\n", *size = "\nBad value of data buffer size\n";
    const char* flag = "\nBad value of the transform flag\n";
    CheckTable dct("vokdct");
    const Rows dctRows = {{0, ptr}, {1, ptr}, {2, size, 0}, {2, size, -1}, {3, flag, 3}, {3, flag, 0}, {3, flag, 16}};
    VOK_CHECK_EACH(dct, dctRows, voksDct, vokdDct, vokwDct);
    dct.run([] { vokdDct(nullptr, nullptr, 0, 8); }, {});  // a release checks nothing

    CheckTable gl("vokgrtzl"), gw("vokgrtzw");
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    const BadArg state{0, "Null state pointer"}, buffer{1, "Null buffer pointer"}, length{2, "Invalid array length"};
    const BadArg huge{"Too large scale factor", {}};  // the factor in the buffer is no small number
    Rows init = {{1, "Null state pointer"}};          // before the frequency
    for (double bad : {1.0, -0.5, -1e-30, inf, -inf, nan, -nan}) init.push_back({0, "Invalid frequency value", bad});
    VOK_CHECK_EACH(gl, init, voksGoertzInit, vokcGoertzInit, vokdGoertzInit, vokzGoertzInit);
    VOK_CHECK_EACH(gw, init, vokwGoertzInit, vokvGoertzInit);
    VOK_CHECK_EACH(gl, Rows{state}, voksGoertzReset, vokcGoertzReset, vokdGoertzReset, vokzGoertzReset, voksGoertz);
    VOK_CHECK_EACH(gl, Rows{state}, vokcGoertz, vokdGoertz, vokzGoertz);
    VOK_CHECK_EACH(gw, Rows{state}, vokwGoertzReset, vokvGoertzReset);
    const Rows block = {state, buffer, length, {2, "Invalid array length", -1}};
    VOK_CHECK_EACH(gl, block, voksbGoertz, vokcbGoertz, vokdbGoertz, vokzbGoertz);
    const Rows sample16 = {state, {3, "Zero scale factor pointer"}, huge};
    VOK_CHECK_EACH(gw, sample16, vokwGoertz, vokvGoertz);
    Rows block16 = block;
    block16.insert(block16.end(), {{4, "Zero scale factor pointer"}, huge});
    VOK_CHECK_EACH(gw, block16, vokwbGoertz, vokvbGoertz);
    // Factors just past ±14 whatever the mode, then the mode.
    VokSGoertzState* st = gw.buffer<VokSGoertzState>();
    const short* w = gw.buffer<short>();
    const ShortComplex* v = gw.buffer<ShortComplex>();
    int big = 15, low = -15, ok = 0;
    const Rows mode = {{2, "Erroneus scale mode", 5}};
    for (int* sf : {&big, &low}) {
        gw("vokwGoertz", vokwGoertz, {huge}, std::tuple{st, short(1), 0, sf});
        gw("vokvbGoertz", vokvbGoertz, {huge}, std::tuple{st, v, 2, 1, sf});
    }
    gw("vokwGoertz", vokwGoertz, mode, std::tuple{st, short(1), 0, &ok});
    gw("vokvGoertz", vokvGoertz, mode, std::tuple{st, ShortComplex{1, 2}, 0, &ok});
    gw("vokwbGoertz", vokwbGoertz, {{3, "Erroneus scale mode", 5}}, std::tuple{st, w, 2, 0, &ok});
    // Out of memory: zero returned, the state as it was.
    VokSGoertzState s;
    vokvGoertzInit(0.2f, &s);
    vokvbGoertz(&s, v, 2, VOK_SATURATE, &ok);
    const VokSGoertzState s0 = s;
    vok::testing::failAllocationAfter(1);
    gw.run([&] {
        const ShortComplex r = vokvbGoertz(&s, v, 2, VOK_SATURATE, &ok);
        EXPECT_TRUE(r.re == 0 && r.im == 0);
    }, {{VOK_StatusNoMemory, "vokvbGoertz", "No memory for working array", "vokgrtzw"}});
    vok::testing::failAllocationAfter(0);
    EXPECT_EQ(std::memcmp(&s0, &s, sizeof s), 0);
}

TEST(DftChecks, SixteenBitFftChecksInOrderWriteNothing) {
    voktest::Sentinel data(1024);
    short* d = data.as<short>();
    ShortComplex* c = data.as<ShortComplex>();
    const short in[16] = {1, 2, 3};
    const ShortComplex* ci = reinterpret_cast<const ShortComplex*>(in);
    int sf = 0;
    auto bad = [](const char* f, const char* context) { return Expected{VOK_StatusBadArg, f, context, "vokfftw"}; };
    const char *both = "VOK_FIXED_SCALE and VOK_AUTO_SCALE", *noFactor = "VOK_AUTO_SCALE and scaleFactor==NULL";
    ReportSteps step("vokfftw"), dft("vokdft");
    step("vokvFft", "order<0", [&] { vokvFft(c, -1, VOK_Forw, 0, &sf); });
    step("vokvFft", "order>31", [&] { vokvFft(c, 32, VOK_Forw, 0, &sf); });
    step("vokvFft", "samps==0", [&] { vokvFft(nullptr, 3, VOK_Forw, 0, &sf); });
    step.run([&] { vokvFft(c, 3, VOK_Forw | VOK_Inv | VOK_InBitRev | VOK_OutBitRev, 0, &sf); },
             {bad("vokvFft", "VOK_Forw and VOK_Inv"), bad("vokvFft", "VOK_InBitRev and VOK_OutBitRev")});
    step.run([&] { vokvFft(c, 3, VOK_InBitRev | VOK_NoBitRev, 7, nullptr); },
             {bad("vokvFft", "no VOK_Forw or VOK_Inv"), bad("vokvFft", "VOK_InBitRev and VOK_NoBitRev")});
    step("vokvFft", "VOK_OutBitRev and VOK_NoBitRev", [&] { vokvFft(c, 3, VOK_Forw | VOK_OutBitRev | VOK_NoBitRev, 0, &sf); });
    step.run([&] { vokvFft(c, 3, VOK_Inv, 7, nullptr); }, {bad("vokvFft", both), bad("vokvFft", noFactor)});
    step("vokvFft", noFactor, [&] { vokvFft(c, 3, VOK_Inv, 5, nullptr); });
    step("vokwRealFftl", "VOK_OutRCPack and VOK_OutRCPerm", [&] { vokwRealFftl(d, 3, VOK_Forw | VOK_OutRCPack | VOK_OutRCPerm, 6, &sf); });
    step("vokwCcsFftl", "no VOK_InRCPack or VOK_InRCPerm", [&] { vokwCcsFftl(d, 3, VOK_Forw, 0, &sf); });
    step("vokwCcsFftl", "VOK_InRCPack and VOK_InRCPerm",
         [&] { vokwCcsFftl(d, 3, VOK_Forw | VOK_InRCPack | VOK_InRCPerm | VOK_NoBitRev | VOK_InBitRev, 0, &sf); });
    step("vokwRealFftl", "no VOK_OutRCPack or VOK_OutRCPerm", [&] { vokwRealFftl(d, 3, VOK_Forw, 0, &sf); });
    step("vokwRealFft", both, [&] { vokwRealFft(d, 3, VOK_Forw | VOK_OutRCPack | VOK_OutRCPerm | VOK_InBitRev | VOK_OutBitRev, 6, &sf); });
    step("vokvFftNip", "inSamps==0", [&] { vokvFftNip(nullptr, c, 2, VOK_Forw, 0, nullptr); });
    step("vokvFftNip", "outSamps==0", [&] { vokvFftNip(ci, nullptr, 2, VOK_Forw, 0, nullptr); });
    step("vokvrFft", "imSamps==0", [&] { vokvrFft(d, nullptr, 2, VOK_Forw, 0, nullptr); });
    step("vokvrFftNip", "imOutSamps==0", [&] { vokvrFftNip(in, in, d, nullptr, 2, VOK_Forw, 0, nullptr); });
    step("vokwRealFftNip", "outSamps==0", [&] { vokwRealFftNip(in, nullptr, 2, VOK_Forw, 0, nullptr); });
    step("vokwReal2Fft", "ySamps==0", [&] { vokwReal2Fft(d, nullptr, 2, VOK_Forw, 0, nullptr); });
    step("vokwCcs2FftNip", "yInSamps==0", [&] { vokwCcs2FftNip(in, d, nullptr, d, 2, VOK_Inv, 0, nullptr); });
    // The not-in-place complex form refuses a bad mode through the in-place one, with a backtrace.
    step.run([&] { vokvFftNip(ci, c, 2, VOK_Forw, 6, nullptr); },
             {bad("vokvFft", both), bad("vokvFft", noFactor), {VOK_StatusBacktrace, "vokvFftNip", "out vokvFft", "vokfftw"}});
    step("vokwMpyRCPack2", "order<0", [&] { vokwMpyRCPack2(in, d, -1, 0, nullptr); });
    step("vokwMpyRCPack2", "order>31", [&] { vokwMpyRCPack2(in, d, 32, 0, nullptr); });
    step("vokwMpyRCPerm2", "src==0", [&] { vokwMpyRCPerm2(nullptr, d, 3, 0, nullptr); });
    step("vokwMpyRCPack3", "srcB==0", [&] { vokwMpyRCPack3(in, nullptr, d, 3, 0, nullptr); });
    step("vokwMpyRCPerm3", "srcA==0", [&] { vokwMpyRCPerm3(nullptr, in, d, 3, 0, nullptr); });
    step("vokwMpyRCPerm3", "dst==0", [&] { vokwMpyRCPerm3(in, in, nullptr, 3, 0, nullptr); });
    step("vokwMpyRCPack2", "scaleFactor==0", [&] { vokwMpyRCPack2(in, d, 3, VOK_AUTO_SCALE, nullptr); });
    // The DFT returns the status and leaves the factor alone.
    auto vDft = [&](const ShortComplex* s, ShortComplex* o, int length, int flags, int mode, int* factor) {
        return [=] { EXPECT_EQ(vokvDft(s, o, length, flags, mode, factor), VOK_StatusBadArg); };
    };
    const char *flag = "VOK_Forw or VOK_Inv must be as a flag", *noFactorDft = "VOK_AUTO_SCALE and ScaleFactor==NULL";
    dft("vokvDft", "length<=0", vDft(ci, c, 0, VOK_Forw, 0, &sf));
    dft("vokvDft", "src==0", vDft(nullptr, c, 4, 0, 6, nullptr));
    dft("vokvDft", "dst==0", vDft(ci, nullptr, 4, 0, 6, nullptr));
    dft("vokvDft", flag, vDft(ci, c, 4, 0, 6, nullptr));
    dft("vokvDft", flag, vDft(ci, c, 4, VOK_Inv | VOK_Forw, 6, nullptr));
    dft("vokvDft", both, vDft(ci, c, 4, VOK_Inv, 6, nullptr));
    dft("vokvDft", both, vDft(ci, c, 4, VOK_Inv, 7, &sf));
    dft("vokvDft", noFactorDft, vDft(ci, c, 4, VOK_Inv, VOK_AUTO_SCALE, nullptr));
    dft("vokvDft", noFactorDft, vDft(ci, c, 4, VOK_Inv, 5, nullptr));
    EXPECT_TRUE(data.untouched() && sf == 0);
    robust::releaseThreadCaches();
}

}  // namespace
