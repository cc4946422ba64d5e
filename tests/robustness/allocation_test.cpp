// Allocation failures: every library allocation of a call fails in turn (or
// two in a row, for the paths that release their caches and retry once); the
// call reports it or works around it, leaves the caller's buffers alone, and
// the next call works. Transforms release the thread's caches before every
// call, so the call builds all of its tables again.
#include <gtest/gtest.h>

#include "voktest/sweep.h"

namespace {

using robust::Reports;
using robust::sweepBuffer;
using robust::sweepInit;
using voktest::randomVector;

constexpr int kNoMem = VOK_StatusNoMemory, kBadArg = VOK_StatusBadArg, kTrace = VOK_StatusBacktrace;
Reports kTwd(const char* function, const char* module) { return {{kNoMem, function, "No working Twd memory", module}}; }
std::string named(const char* what, int n) { return what + std::to_string(n); }

// The complex FFT builds its tables on the first call of an order or with
// VOK_Init and does not retry: every table allocation is a reported failure.
// Orders on the radix-4 path, an odd order, and orders with blocked stages.
TEST(TransformAllocations, FirstCallOfAnOrderReportsEveryTable) {
    for (int order : {2, 7, 12, 15}) {
        const int n = 1 << order;
        const auto x = randomVector<FloatComplex>(n, unsigned(order));
        robust::releaseThreadCaches();
        auto want = x;
        vokcFft(want.data(), order, VOK_Forw);
        const robust::Subject init{robust::releaseThreadCaches, [&] { vokcFft(nullptr, order, VOK_Init); },
                                   [&] {
                                       auto got = x;
                                       vokcFft(got.data(), order, VOK_Forw);  // tables in place (or rebuilt) now
                                       return robust::Observed{true, robust::widen(got) == robust::widen(want)};
                                   }};
        // Twiddles and swap table at least.
        robust::sweep(named("vokcFft VOK_Init, order ", order), init, {kTwd("vokcFft", "vokffts")},
                      {.want = "allocations>=2 failed=all"});
        sweepBuffer(
            named("vokzFft first call, order ", order + 1), randomVector<DoubleComplex>(2 * n, unsigned(order)),
            [&](DoubleComplex* d) { vokzFft(d, order + 1, VOK_Inv | VOK_OutBitRev); }, {kTwd("vokzFft", "vokfftd")},
            {.want = "failed=all"});
    }
}

// The real FFT retries once after releasing its tables: one failure is
// survived, two in a row are reported. The 16-bit forms retry their work
// slots after releasing everything and trace a failure of their float core
// (saturating mode: the float copy converts back exactly).
TEST(TransformAllocations, RealAndSixteenBitFftsRetryOnce) {
    for (int order : {2, 3, 9, 10, 14}) {
        const int n = 1 << order;
        const auto x = randomVector<float>(n + 2, unsigned(order));
        auto real = [&](float* y) { voksRealFftNip(x.data(), y, order, VOK_Forw); };
        const std::vector<float> pattern(n + 2, -7.0f);
        const std::string name = named("voksRealFftNip order ", order);
        sweepBuffer(name, pattern, real, {}, {.want = "failed=0 survived=all"});
        sweepBuffer(name, pattern, real, {kTwd("voksRealFftNip", "vokffts")}, {.run = 2, .want = "failed>=1"});
        if (order != 3 && order != 10) continue;
        const Reports core{{kNoMem, "vokcFft", "No working Twd memory", "vokffts"},
                           {kTrace, "vokvFft", "out vokcFft calc. FFT", "vokfftw"}};
        const auto v = randomVector<ShortComplex>(n, unsigned(order), 3000.0);
        auto fft16 = [&](ShortComplex* d) { vokvFft(d, order, VOK_Forw, VOK_SATURATE, nullptr); };
        // The work slot survives; the core's twiddle and swap tables fail.
        sweepBuffer(named("vokvFft order ", order), v, fft16, {core}, {.want = "survived>=1 failed>=2"});
        sweepBuffer(named("vokvFft order ", order), v, fft16,
                    {core, {{kNoMem, "vokvFft", "No working memory", "vokfftw"}}}, {.run = 2, .want = "failed>=2"});
    }
    const auto x = randomVector<short>(256, 5u, 3000.0);
    auto real16 = [&](short* y) { vokwRealFftNip(x.data(), y, 8, VOK_Forw, VOK_SATURATE, nullptr); };
    const Reports work{{kNoMem, "vokwRealFftNip", "No working memory", "vokfftw"}};
    const Reports core{{kNoMem, "voksRealFft", "No working Twd memory", "vokffts"},
                       {kTrace, "vokwRealFftNip", "out voksRealFft calc. FFT", "vokfftw"}};
    sweepBuffer("vokwRealFftNip", std::vector<short>(258, 11), real16, {}, {.want = "survived=all"});
    // A failure of the float core still converts the (untransformed) copy back into the output.
    sweepBuffer("vokwRealFftNip", std::vector<short>(258, 11), real16, {work, core},
                {.run = 2, .kept = false, .want = "failed>=2"});
}

// The DFTs: the table of the length, then a work slot (vokcDft), a scratch copy
// for an in-place call (vokzDft) or a retried work slot (vokvDft); then the
// transform's plan (or a long prime length's chirp and its FFT tables): without
// them the direct sum answers, so those failures are survived.
TEST(TransformAllocations, DftsReportTheirTableAndWorkBuffers) {
    for (int length : {7, 100, 1000}) {
        const auto x = randomVector<FloatComplex>(length, unsigned(length));
        sweepBuffer(
            named("vokcDft length ", length), std::vector<FloatComplex>(length, FloatComplex{3, 4}),
            [&](FloatComplex* y) { vokcDft(x.data(), y, length, VOK_Forw); },
            {{{kNoMem, "vokcGetDftTwdTbl", "NULL Pointer", "voktwd"}, {kBadArg, "vokcDft", "TwdTbl==0", "vokdft"}},
             {{kBadArg, "vokcDft", "buff==0", "vokdft"}}},
            {.tol = 1e-5 * length, .want = "allocations>2 failed=2"});
    }
    const Reports table{{kNoMem, "vokzGetDftTwdTbl", "NULL Pointer", "voktwd"},
                        {kBadArg, "vokzDft", "TwdTbl==0", "vokdft"}};
    const Reports scratch{{kNoMem, "vokzDft", "NULL Pointer", "vokdft"}};
    auto inPlace = [](DoubleComplex* d) { vokzDft(d, d, 40, VOK_Inv); };
    const auto z = randomVector<DoubleComplex>(40, 9u);
    sweepBuffer("vokzDft", z, inPlace, {table}, {.tol = 1e-12, .want = "allocations=2 survived=1"});
    sweepBuffer("vokzDft", z, inPlace, {table, scratch}, {.run = 2, .tol = 1e-12, .want = "failed=2"});
    const auto x = randomVector<DoubleComplex>(601, 19u);  // a prime beyond the plans' radices: the chirp
    sweepBuffer(
        "vokzDft length 601", std::vector<DoubleComplex>(601, DoubleComplex{3, 4}),
        [&](DoubleComplex* y) { vokzDft(x.data(), y, 601, VOK_Forw); }, {table, scratch},
        {.tol = 1e-11, .want = "allocations>2 failed=1"});
    // The scale factor rides in one more element, so that it is checked as an output too.
    const auto v = randomVector<ShortComplex>(50, 10u, 2000.0);
    auto dft16 = [&](ShortComplex* y) {
        int sf = y[50].re;
        vokvDft(v.data(), y, 50, VOK_Forw, VOK_AUTO_SCALE, &sf);
        y[50].re = short(sf);
    };
    const std::vector<ShortComplex> pattern(51, ShortComplex{5, 6});
    const Reports table16{{kNoMem, "vokcGetDftTwdTbl", "NULL Pointer", "voktwd"},
                          {kBadArg, "vokvDft", "TwidleTbl==0", "vokdft"}};
    // Without its plan the direct sum answers: a 16-bit value may round the other way.
    sweepBuffer("vokvDft", pattern, dft16, {table16}, {.tol = 1.0, .want = "failed=1 survived>=1"});
    sweepBuffer("vokvDft", pattern, dft16, {table16, {{kNoMem, "vokvDft", "No working memory", "vokdft"}}},
                {.run = 2, .want = "failed=2"});
    robust::releaseThreadCaches();
}

TEST(ConvolutionAllocations, SixteenBitCopiesAndTheFloatCore) {
    const int xLen = 3000, hLen = 400;
    const auto x = randomVector<short>(xLen, 1u, 100.0), h = randomVector<short>(hLen, 2u, 100.0);
    std::vector<Reports> allowed;
    for (const char* copy :
         {"NULL pointer to float copy x", "NULL pointer to float copy h", "NULL pointer to float copy y"})
        allowed.push_back({{kNoMem, "vokwConv", copy, "vokconvw"}});
    const Reports traces{{kTrace, "voksConv", "<null>", "vokconvs"}, {kTrace, "vokwConv", "<null>", "vokconvw"}};
    for (const char* method : {"voksConv1", "voksConvm"}) {
        allowed.push_back({{kNoMem, method, "NULL Pointer", "vokconvs"}, traces[0], traces[1]});
        for (const char* transform : {"voksRealFftl", "voksCcsFftl"})
            allowed.push_back({{kNoMem, transform, "No working Twd memory", "vokffts"},
                               {kTrace, method, "<null>", "vokconvs"},
                               traces[0],
                               traces[1]});
    }
    // The first call of an order builds the transform tables too; two failures
    // in a row, as the real transforms retry once. Three copies, four tables,
    // the fast method's two work arrays.
    sweepBuffer(
        "vokwConv 3000 x 400", std::vector<short>(xLen + hLen - 1, 77),
        [&](short* y) {
            int sf = 8;
            vokwConv(x.data(), xLen, h.data(), hLen, y, VOK_FIXED_SCALE, &sf);
        },
        allowed, {.run = 2, .want = "failed=all allocations>=9"});
}

TEST(ConvolutionAllocations, TwoDimensionalTransformsReportOrFallBack) {
    const int xc = 48, xr = 40, hc = 21, hr = 17;
    const auto x = randomVector<float>(xc * xr, 3u), h = randomVector<float>(hc * hr, 4u);
    const auto xs = randomVector<short>(xc * xr, 5u, 1000.0);
    sweepBuffer(
        "voksConv2D 48x40 * 21x17", std::vector<float>((xc + hc - 1) * (xr + hr - 1), 9.0f),
        [&](float* y) { voksConv2D(x.data(), xc, xr, h.data(), hc, hr, y); },
        {{{kNoMem, "voksConv2D", "\nMemory allocation problem\n", "vokcnv2d"}}},
        {.tol = 1e-5, .release = false, .want = "failed=all allocations>=1"});
    // The filter falls back to direct sums when the transform's arrays are short.
    sweepBuffer(
        "voksFilter2D 48x40, 21x17 taps", std::vector<float>(xc * xr, 9.0f),
        [&](float* y) { voksFilter2D(x.data(), xc, xr, h.data(), hc, hr, y); }, {},
        {.tol = 1e-5, .release = false, .want = "survived=all"});
    // The 16-bit filter reports its own work arrays.
    sweepBuffer(
        "vokwFilter2D 48x40, 21x17 taps", std::vector<short>(xc * xr, 5),
        [&](short* y) {
            int sf = 0;
            vokwFilter2D(xs.data(), xc, xr, h.data(), hc, hr, y, VOK_SATURATE, &sf);
        },
        {{{kNoMem, "vokwFilter2D", "Allocation failure", "vokfir2w"}}}, {.release = false, .want = "failed>=1"});
}

TEST(FilterAllocations, InitsReleaseWhatTheyTook) {
    const auto taps = randomVector<float>(37, 6u, 0.2), x = randomVector<float>(180, 7u);
    const auto xs = randomVector<short>(200, 8u, 2000.0);
    auto firMade = [](FirState& st) { return st.selfRef == &st; };
    auto firRun = [&](FirState& st) {
        std::vector<float> y(120);
        voksbFir(&st, x.data(), y.data(), 60);
        return y;
    };
    auto firRun16 = [&](FirState& st) {
        std::vector<short> y(200);
        int sf = 0;
        vokwbFir(&st, xs.data(), y.data(), 200, VOK_SATURATE, &sf);
        return y;
    };
    // Taps, samples, the polyphase table.
    sweepInit<FirState>(
        "voksFirInitMr 37 taps, 2/3", [&](FirState& st) { voksFirInitMr(taps.data(), 37, nullptr, 2, 1, 3, 2, &st); },
        firMade, firRun, vokFirFree, {{{kNoMem, "voksFirInitMr", "Allocation failure", "vokfirh"}}},
        "failed=all allocations>=3");
    sweepInit<FirState>("vokwFirInit 37 taps", [&](FirState& st) { vokwFirInit(taps.data(), 37, nullptr, &st); },
                        firMade, firRun16, vokFirFree, {{{kNoMem, "vokwFirInit", "Allocation failure", "vokfirhw"}}},
                        "failed=all allocations>=2");

    const std::vector<float> iir{0.2f, 0.1f, -0.1f, 0.05f, 0.02f, 1.0f, -0.3f, 0.1f, 0.05f, -0.02f};
    auto iirMade = [](IirState& st) { return st.initMarker == VOK_IIR_INIT_MARKER; };
    auto iirFree = [](IirState* st) { vokIirFree(st); };
    sweepInit<IirState>(
        "voksIirInit order 4", [&](IirState& st) { voksIirInit(0, iir.data(), 4, &st); }, iirMade,
        [&](IirState& st) {
            std::vector<float> y(100);
            voksbIir(&st, x.data(), y.data(), 100);
            return y;
        },
        iirFree, {{{kNoMem, "voksIirInit", "insufficiency of memory for IIR filter state", "vokiirh"}}},
        "failed=all allocations>=2");
    sweepInit<IirState>(
        "vokwIirInit order 4", [&](IirState& st) { vokwIirInit(0, iir.data(), 4, &st); }, iirMade,
        [&](IirState& st) {
            std::vector<short> y(100);
            int sf = 0;
            vokwbIir(&st, xs.data(), y.data(), 100, VOK_SATURATE, &sf);
            return y;
        },
        iirFree,
        {{{kNoMem, "vokwIirInit", "insufficiency of memory for IIR filter state", "vokiirhw"}},
         {{kNoMem, "vokwIirlInit", "No memory for working array", "vokiirlw"},
          {kTrace, "vokwIirInit", "<null>", "vokiirhw"}}},
        "failed=all allocations>=2");
}

// The wavelet banks' allocations fail one at a time in the wavelet tests.
TEST(WaveletAllocations, SixteenBitTransforms) {
    VokWtState bank{};
    vokwWtInit(4, 0, 8, 3, &bank, VOK_WtDaublet);
    const auto x = randomVector<short>(256, 11u, 3000.0);
    sweepBuffer(
        "vokwWtDecompose db4, order 8", std::vector<short>(256, 3),
        [&](short* y) { vokwWtDecompose(&bank, x.data(), y); },
        {{{kNoMem, "vokwWtDecompose", "No memory for working arrays", "vokwlts"}}},
        {.release = false, .want = "failed=all allocations>=1"});
    vokWtFree(&bank);
}

}  // namespace
