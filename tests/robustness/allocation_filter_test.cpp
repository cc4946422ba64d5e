// Allocation failures in convolution, filter and wavelet set-up: every
// allocation of the call fails in turn; the call reports it (or works around
// it), leaves the caller's buffers alone, and the next call works.
#include <gtest/gtest.h>

#include <random>

#include "robustness/sweep.h"
#include "vok.h"

namespace {

using robust::Guarded;
using robust::near;
using robust::Observed;
using robust::randomValues;
using robust::Reports;
using robust::Subject;
using robust::sweepAllocations;

constexpr int kNoMem = VOK_StatusNoMemory;
constexpr int kTrace = VOK_StatusBacktrace;

TEST(ConvolutionAllocations, SixteenBitCopiesAndTheFloatCore) {
    const int xLen = 3000, hLen = 400;
    const auto x = randomValues<short>(xLen, 100.0, 1u), h = randomValues<short>(hLen, 100.0, 2u);
    std::vector<short> want(xLen + hLen - 1);
    int sf = 8;
    vokwConv(x.data(), xLen, h.data(), hLen, want.data(), VOK_FIXED_SCALE, &sf);
    Guarded<short> y;
    // The first call of an order: the transform tables are built too.
    Subject s{[&] {
                  robust::releaseThreadCaches();
                  y.fill(std::vector<short>(want.size(), 77));
              },
              [&] { vokwConv(x.data(), xLen, h.data(), hLen, y.get(), VOK_FIXED_SCALE, &sf); },
              [&] { return Observed{y.untouched(), y.data == want}; }};
    std::vector<Reports> allowed;
    for (const char* copy : {"NULL pointer to float copy x", "NULL pointer to float copy h", "NULL pointer to float copy y"})
        allowed.push_back({{kNoMem, "vokwConv", copy, "vokconvw"}});
    for (const char* method : {"voksConv1", "voksConvm"}) {
        const Reports traces{{kTrace, "voksConv", nullptr, "vokconvs"}, {kTrace, "vokwConv", nullptr, "vokconvw"}};
        allowed.push_back({{kNoMem, method, "NULL Pointer", "vokconvs"}, traces[0], traces[1]});
        for (const char* transform : {"voksRealFftl", "voksCcsFftl"})
            allowed.push_back({{kNoMem, transform, "No working Twd memory", "vokffts"},
                               {kTrace, method, nullptr, "vokconvs"}, traces[0], traces[1]});
    }
    const auto f = sweepAllocations(s, allowed, 2);  // two in a row: the real transforms retry once
    EXPECT_EQ(f.failed, f.allocations);
    EXPECT_GE(f.allocations, 9);  // three copies, four tables, the fast method's two work arrays
    robust::printFigures("vokwConv 3000 x 400", f, 2);
}

TEST(ConvolutionAllocations, TwoDimensionalTransformsReportOrFallBack) {
    const int xc = 48, xr = 40, hc = 21, hr = 17;
    const auto x = randomValues<float>(xc * xr, 1.0, 3u), h = randomValues<float>(hc * hr, 1.0, 4u);
    std::vector<float> conv((xc + hc - 1) * (xr + hr - 1)), filt(xc * xr);
    voksConv2D(x.data(), xc, xr, h.data(), hc, hr, conv.data());
    voksFilter2D(x.data(), xc, xr, h.data(), hc, hr, filt.data());
    Guarded<float> y;
    Subject conv2d{[&] { y.fill(std::vector<float>(conv.size(), 9.0f)); },
                   [&] { voksConv2D(x.data(), xc, xr, h.data(), hc, hr, y.get()); },
                   [&] { return Observed{y.untouched(), near(y.get(), conv, 1e-5)}; }};
    const auto c = sweepAllocations(conv2d, {{{kNoMem, "voksConv2D", "\nMemory allocation problem\n", "vokcnv2d"}}});
    EXPECT_EQ(c.failed, c.allocations);
    EXPECT_GE(c.allocations, 1);
    robust::printFigures("voksConv2D 48x40 * 21x17", c);
    // Filter2D falls back to direct sums when the transform's arrays are short.
    Subject filter{[&] { y.fill(std::vector<float>(filt.size(), 9.0f)); },
                   [&] { voksFilter2D(x.data(), xc, xr, h.data(), hc, hr, y.get()); },
                   [&] { return Observed{y.untouched(), near(y.get(), filt, 1e-5)}; }};
    const auto f = sweepAllocations(filter, {});
    EXPECT_EQ(f.survived, f.allocations);
    robust::printFigures("voksFilter2D 48x40, 21x17 taps", f);
    // The 16-bit filter reports its own work arrays.
    const auto xs = randomValues<short>(xc * xr, 1000.0, 5u);
    std::vector<short> want(xc * xr);
    int sf = 0;
    vokwFilter2D(xs.data(), xc, xr, h.data(), hc, hr, want.data(), VOK_SATURATE, &sf);
    Guarded<short> ys;
    Subject wfilter{[&] { ys.fill(std::vector<short>(want.size(), 5)); },
                    [&] { vokwFilter2D(xs.data(), xc, xr, h.data(), hc, hr, ys.get(), VOK_SATURATE, &sf); },
                    [&] { return Observed{ys.untouched(), ys.data == want}; }};
    const auto w = sweepAllocations(wfilter, {{{kNoMem, "vokwFilter2D", "Allocation failure", "vokfir2w"}}});
    EXPECT_GE(w.failed, 1);
    robust::printFigures("vokwFilter2D 48x40, 21x17 taps", w);
}

// FIR set-up: taps, samples and the polyphase table; a failure leaves the
// record uninitialised with nothing allocated (LSan sees any leak).
TEST(FilterAllocations, FirInitReleasesWhatItTook) {
    const auto taps = randomValues<float>(37, 0.2, 6u);
    const auto x = randomValues<float>(60 * 3, 1.0, 7u);
    const auto xs = randomValues<short>(200, 2000.0, 8u);
    for (bool sixteen : {false, true}) {
        SCOPED_TRACE(sixteen);
        auto run = [&](FirState& st) {
            std::vector<double> out;
            if (sixteen) {
                std::vector<short> y(200);
                int sf = 0;
                vokwbFir(&st, xs.data(), y.data(), 200, VOK_SATURATE, &sf);
                out.assign(y.begin(), y.end());
            } else {
                std::vector<float> y(60 * 2);
                voksbFir(&st, x.data(), y.data(), 60);
                out.assign(y.begin(), y.end());
            }
            return out;
        };
        auto init = [&](FirState& st) {
            if (sixteen) vokwFirInit(taps.data(), 37, nullptr, &st);
            else voksFirInitMr(taps.data(), 37, nullptr, 2, 1, 3, 2, &st);
        };
        FirState ref{};
        init(ref);
        const auto want = run(ref);
        vokFirFree(&ref);
        FirState st{};
        Subject s{[&] { st = FirState{}; }, [&] { init(st); },
                  [&] {
                      const bool made = st.selfRef == &st;
                      const bool right = made && run(st) == want;
                      if (made) vokFirFree(&st);
                      return Observed{!made, right};
                  }};
        const auto f = sixteen ? sweepAllocations(s, {{{kNoMem, "vokwFirInit", "Allocation failure", "vokfirhw"}}})
                               : sweepAllocations(s, {{{kNoMem, "voksFirInitMr", "Allocation failure", "vokfirh"}}});
        EXPECT_EQ(f.failed, f.allocations);
        EXPECT_GE(f.allocations, sixteen ? 2 : 3);
        robust::printFigures(sixteen ? "vokwFirInit 37 taps" : "voksFirInitMr 37 taps, 2/3", f);
    }
}

TEST(FilterAllocations, IirInitLeavesNothingAllocated) {
    const int order = 4;
    std::vector<float> taps{0.2f, 0.1f, -0.1f, 0.05f, 0.02f, 1.0f, -0.3f, 0.1f, 0.05f, -0.02f};
    const auto x = randomValues<float>(100, 1.0, 9u);
    const auto xs = randomValues<short>(100, 3000.0, 10u);
    for (bool sixteen : {false, true}) {
        SCOPED_TRACE(sixteen);
        auto run = [&](IirState& st) {
            std::vector<double> out;
            if (sixteen) {
                std::vector<short> y(100);
                int sf = 0;
                vokwbIir(&st, xs.data(), y.data(), 100, VOK_SATURATE, &sf);
                out.assign(y.begin(), y.end());
            } else {
                std::vector<float> y(100);
                voksbIir(&st, x.data(), y.data(), 100);
                out.assign(y.begin(), y.end());
            }
            return out;
        };
        auto init = [&](IirState& st) {
            if (sixteen) vokwIirInit(0, taps.data(), order, &st);
            else voksIirInit(0, taps.data(), order, &st);
        };
        IirState ref{};
        init(ref);
        const auto want = run(ref);
        vokIirFree(&ref);
        IirState st{};
        Subject s{[&] { st = IirState{}; }, [&] { init(st); },
                  [&] {
                      const bool made = st.initMarker == VOK_IIR_INIT_MARKER;
                      const bool right = made && run(st) == want;
                      if (made) vokIirFree(&st);
                      return Observed{!made, right};
                  }};
        const char* name = sixteen ? "vokwIirInit" : "voksIirInit";
        const char* module = sixteen ? "vokiirhw" : "vokiirh";
        const Reports state{{kNoMem, name, "insufficiency of memory for IIR filter state", module}};
        const Reports inner{{kNoMem, "vokwIirlInit", "No memory for working array", "vokiirlw"},
                            {kTrace, "vokwIirInit", nullptr, "vokiirhw"}};
        const auto f = sweepAllocations(s, {state, inner});
        EXPECT_EQ(f.failed, f.allocations);
        EXPECT_GE(f.allocations, 2);
        robust::printFigures(std::string(name) + " order 4", f);
    }
}

TEST(WaveletAllocations, InitAndSixteenBitTransforms) {
    const auto x = randomValues<short>(256, 3000.0, 11u);
    VokWtState ref{};
    vokwWtInit(4, 0, 8, 3, &ref, VOK_WtDaublet);
    std::vector<short> want(256);
    vokwWtDecompose(&ref, x.data(), want.data());
    VokWtState st{};
    Subject init{[&] { st = VokWtState{}; }, [&] { voksWtInit(4, 0, 8, 3, &st, VOK_WtDaublet); },
                 [&] {
                     const bool made = st.src_pad != nullptr;
                     if (made) vokWtFree(&st);
                     return Observed{!made, made};
                 }};
    const auto i = sweepAllocations(init, {{{kNoMem, "voksWtInit", "No working wavelet memory", "vokwlts"}}});
    EXPECT_EQ(i.failed, i.allocations);
    EXPECT_EQ(i.allocations, 5);  // four filters and the padded signal
    robust::printFigures("voksWtInit db4, order 8", i);
    Guarded<short> out;
    Subject decompose{[&] { out.fill(std::vector<short>(256, 3)); },
                      [&] { vokwWtDecompose(&ref, x.data(), out.get()); },
                      [&] { return Observed{out.untouched(), out.data == want}; }};
    const auto d = sweepAllocations(decompose, {{{kNoMem, "vokwWtDecompose", "No memory for working arrays", "vokwlts"}}});
    EXPECT_EQ(d.failed, d.allocations);
    EXPECT_GE(d.allocations, 1);
    robust::printFigures("vokwWtDecompose db4, order 8", d);
    vokWtFree(&ref);
}

}  // namespace
