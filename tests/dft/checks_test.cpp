// Argument checks of the DFT, DCT, Goertzel and 16-bit FFT entry points: the
// exact reports in check order, the status or zero returned, nothing written
// to the caller's buffers or states, and the reports when memory runs out.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "frame/context.h"
#include "voktest/sweep.h"
#include "voktest/vector_calls.h"
#include "vok.h"

namespace {

using voktest::BadArg;
using voktest::CheckTable;
using voktest::Said;
using Rows = std::vector<BadArg>;

TEST(DftChecks, ChecksInOrderWriteNothing) {
    const FloatComplex src[5] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}};
    const DoubleComplex zsrc[3] = {{1, 0}, {2, 0}, {3, 0}};
    CheckTable dft("vokdft");
    FloatComplex* dst = dft.buffer<FloatComplex>();
    DoubleComplex* zdst = dft.buffer<DoubleComplex>();
    const char* kFlag = "VOK_Forw or VOK_Inv must be as a flag";
    const Rows rows = {{0, "src==0"}, {1, "dst==0"}, {3, kFlag, 0}, {3, kFlag, VOK_Forw | VOK_Inv}, {3, kFlag, VOK_NoScale}};
    dft("vokcDft", vokcDft, rows, std::tuple{src, dst, 4, VOK_Forw});
    dft("vokzDft", vokzDft, rows, std::tuple{zsrc, zdst, 3, VOK_Forw});
    // The length comes first, through the table; Init and Free before the pointers, writing nothing.
    const Said cTable{VOK_StatusBadArg, "vokcGetDftTwdTbl", "length<=0", "voktwd"};
    const Said zTable{VOK_StatusBadArg, "vokzGetDftTwdTbl", "length<=0", "voktwd"};
    dft({VOK_BAD_CALL(vokcDft(src, dst, 0, VOK_Forw), cTable, "length<=0"), VOK_BAD_CALL(vokcDft(src, dst, -3, 0), cTable, "length<=0"),
         VOK_BAD_CALL(vokcDft(nullptr, nullptr, 4, VOK_Init)), VOK_BAD_CALL(vokcDft(nullptr, dst, 4, VOK_Free)),
         VOK_BAD_CALL(vokzDft(zsrc, zdst, 0, VOK_Forw), zTable, "length<=0"), VOK_BAD_CALL(vokzDft(nullptr, nullptr, 3, VOK_Init)),
         VOK_BAD_CALL(vokzDft(nullptr, nullptr, 3, VOK_Free))});
    EXPECT_EQ(vok::threadContext().tables.work[1].buffer, nullptr);
    // With a failure still standing the table lookup returns nothing.
    dft.run([&] {
        vokSetErrStatus(VOK_StatusBadArg);
        vokcDft(src, dst, 4, VOK_Forw);
    }, {{VOK_StatusBadArg, "vokcDft", "TwdTbl==0", "vokdft"}});
    // The scratch copy cannot be had: the call reports and leaves dst alone
    // (17: the shortest lengths need no copy).
    vokSetErrStatus(VOK_StatusOk);
    ASSERT_NE(vokzGetDftTwdTbl(17), nullptr);
    const std::vector<DoubleComplex> z17(17, DoubleComplex{1, 0});
    dft.run(robust::starved(1, [&] { vokzDft(z17.data(), zdst, 17, VOK_Forw); }, 2),  // the plan, then the direct sum's copy
            {{VOK_StatusNoMemory, "vokzDft", "NULL Pointer", "vokdft"}});
    // The work buffer cannot be had.
    vokSetErrStatus(VOK_StatusOk);
    ASSERT_NE(vokcGetDftTwdTbl(5), nullptr);
    vokcDft(nullptr, nullptr, 5, VOK_Free);  // empties slot 1
    dft.run(robust::starved(1, [&] { vokcDft(src, dst, 5, VOK_Forw); }), {{VOK_StatusBadArg, "vokcDft", "buff==0", "vokdft"}});
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
        gw("vokwGoertz", vokwGoertz, {huge}, std::tuple{st, short(1), 5, sf});  // before the mode
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
    gw.run(robust::starved(1, [&] {
        const ShortComplex r = vokvbGoertz(&s, v, 2, VOK_SATURATE, &ok);
        EXPECT_TRUE(r.re == 0 && r.im == 0);
    }), {{VOK_StatusNoMemory, "vokvbGoertz", "No memory for working array", "vokgrtzw"}});
    EXPECT_EQ(std::memcmp(&s0, &s, sizeof s), 0);
}

TEST(DftChecks, SixteenBitFftChecksInOrderWriteNothing) {
    CheckTable fft("vokfftw"), dft("vokdft");
    short* d = fft.buffer<short>();
    ShortComplex* c = fft.buffer<ShortComplex>();
    const short in[16] = {1, 2, 3};
    const ShortComplex* ci = reinterpret_cast<const ShortComplex*>(in);
    int sf = 0;
    const char *both = "VOK_FIXED_SCALE and VOK_AUTO_SCALE", *noFactor = "VOK_AUTO_SCALE and scaleFactor==NULL";
    const int inv = VOK_Inv, fwd = VOK_Forw, bitRev = VOK_InBitRev | VOK_OutBitRev, pack = VOK_OutRCPack | VOK_OutRCPerm;
    fft({VOK_BAD_CALL(vokvFft(c, -1, fwd, 0, &sf), "order<0"), VOK_BAD_CALL(vokvFft(c, 32, fwd, 0, &sf), "order>31"),
         VOK_BAD_CALL(vokvFft(nullptr, 3, fwd, 0, &sf), "samps==0"),
         VOK_BAD_CALL(vokvFft(c, 3, fwd | inv | bitRev, 0, &sf), "VOK_Forw and VOK_Inv", "VOK_InBitRev and VOK_OutBitRev"),
         VOK_BAD_CALL(vokvFft(c, 3, VOK_InBitRev | VOK_NoBitRev, 7, nullptr), "no VOK_Forw or VOK_Inv", "VOK_InBitRev and VOK_NoBitRev"),
         VOK_BAD_CALL(vokvFft(c, 3, fwd | VOK_OutBitRev | VOK_NoBitRev, 0, &sf), "VOK_OutBitRev and VOK_NoBitRev"),
         VOK_BAD_CALL(vokvFft(c, 3, inv, 7, nullptr), both, noFactor), VOK_BAD_CALL(vokvFft(c, 3, inv, 5, nullptr), noFactor),
         VOK_BAD_CALL(vokwRealFftl(d, 3, fwd | pack, 6, &sf), "VOK_OutRCPack and VOK_OutRCPerm"),
         VOK_BAD_CALL(vokwCcsFftl(d, 3, fwd, 0, &sf), "no VOK_InRCPack or VOK_InRCPerm"),
         VOK_BAD_CALL(vokwCcsFftl(d, 3, fwd | VOK_InRCPack | VOK_InRCPerm | VOK_NoBitRev | VOK_InBitRev, 0, &sf), "VOK_InRCPack and VOK_InRCPerm"),
         VOK_BAD_CALL(vokwRealFftl(d, 3, fwd, 0, &sf), "no VOK_OutRCPack or VOK_OutRCPerm"),
         VOK_BAD_CALL(vokwRealFft(d, 3, fwd | pack | bitRev, 6, &sf), both),
         VOK_BAD_CALL(vokvFftNip(nullptr, c, 2, fwd, 0, nullptr), "inSamps==0"),
         VOK_BAD_CALL(vokvFftNip(ci, nullptr, 2, fwd, 0, nullptr), "outSamps==0"),
         VOK_BAD_CALL(vokvrFft(d, nullptr, 2, fwd, 0, nullptr), "imSamps==0"),
         VOK_BAD_CALL(vokvrFftNip(in, in, d, nullptr, 2, fwd, 0, nullptr), "imOutSamps==0"),
         VOK_BAD_CALL(vokwRealFftNip(in, nullptr, 2, fwd, 0, nullptr), "outSamps==0"),
         VOK_BAD_CALL(vokwReal2Fft(d, nullptr, 2, fwd, 0, nullptr), "ySamps==0"),
         VOK_BAD_CALL(vokwCcs2FftNip(in, d, nullptr, d, 2, inv, 0, nullptr), "yInSamps==0"),
         // The not-in-place complex form refuses a bad mode through the in-place one, with a backtrace.
         VOK_BAD_CALL(vokvFftNip(ci, c, 2, fwd, 6, nullptr), {"vokvFft", both}, {"vokvFft", noFactor},
                      {VOK_StatusBacktrace, nullptr, "out vokvFft", nullptr})});
    const Rows product = {{2, "order<0", -1}, {2, "order>31", 32}, {0, "src==0"}, {1, "dst==0"},
                          {"scaleFactor==0", {{3, VOK_AUTO_SCALE}, {4}}}};
    VOK_CHECK_EACH(fft, product, vokwMpyRCPack2, vokwMpyRCPerm2);
    const Rows product3 = {{3, "order<0", -1}, {3, "order>31", 32}, {0, "srcA==0"}, {1, "srcB==0"}, {2, "dst==0"},
                           {"scaleFactor==0", {{4, VOK_AUTO_SCALE}, {5}}}};
    VOK_CHECK_EACH(fft, product3, vokwMpyRCPack3, vokwMpyRCPerm3);
    // The DFT returns the status and leaves the factor alone.
    const char *flag = "VOK_Forw or VOK_Inv must be as a flag", *noFactorDft = "VOK_AUTO_SCALE and ScaleFactor==NULL";
    const Rows dftRows = {{2, "length<=0", 0}, {0, "src==0"}, {1, "dst==0"}, {3, flag, 0}, {3, flag, fwd | inv}, {4, both, 6},
                          {4, both, 7}, {5, noFactorDft}, {noFactorDft, {{4, 5}, {5}}}};
    dft("vokvDft", vokvDft, dftRows, std::tuple{ci, dft.buffer<ShortComplex>(), 4, inv, int(VOK_AUTO_SCALE), &sf});
    EXPECT_EQ(sf, 0);
    robust::releaseThreadCaches();
}

}  // namespace
