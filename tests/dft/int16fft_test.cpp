// 16-bit DFT, DCT and Goertzel against the exact (or float) transform brought to
// 16 bits by the scale mode's rule; the FFTs' exact small cases, their packed
// products against 64-bit integers, tables and work buffers.
#include <gtest/gtest.h>

#include <functional>

#include "frame/context.h"
#include "voktest/fft_reference.h"
#include "voktest/sweep.h"
#include "voktest/values.h"
#include "vok.h"

namespace {

using namespace ffttest;
using voktest::ReportRecorder;
using voktest::randomVector;
using Shorts = std::vector<short>;

ShortComplex* cx(short* v) { return reinterpret_cast<ShortComplex*>(v); }

// Each part within one unit of the exact transform brought to 16 bits by the
// mode (truncated, not rounded as the FFTs do), the factor as the mode gives it.
TEST(Int16Transforms, DftOfAnyLengthAgainstTheExactTransform) {
    robust::releaseThreadCaches();  // the lists hold 32 lengths
    for (int n : {2, 3, 7, 16, 30, 45})
        for (int flags : {VOK_Forw, VOK_Inv, VOK_Inv | VOK_NoScale})
            for (int mode = 0; mode <= 4; ++mode) {
                SCOPED_TRACE(testing::Message() << "n " << n << " flags " << flags << " mode " << mode);
                Shorts x = randomVector<short>(2 * n + 1, 11u * n + mode, 9000);
                x[2 * n] = 0x5A5A;  // the guard of the output
                std::vector<LC> in(n);
                for (int i = 0; i < n; ++i) in[i] = LC(x[2 * i], x[2 * i + 1]);
                const std::vector<LC> want = spectrum(in, flags);
                const int given = mode == 2 ? 3 : mode == 3 ? -1 : 0, sf = mode == 4 ? autoFactor(want) : given;
                const Shorts x0 = x;
                Shorts out(x);
                int factor = given;
                ReportRecorder rec;
                EXPECT_EQ(vokvDft(cx(x.data()), cx(out.data()), n, flags, mode, &factor), VOK_StatusOk);
                EXPECT_REPORTS(rec);
                EXPECT_TRUE(factor == sf && x == x0 && out[2 * n] == 0x5A5A) << "factor " << factor << ", input or guard";
                for (int i = 0; i < n; ++i)
                    ASSERT_TRUE(std::abs(out[2 * i] - to16(want[i].real(), mode, sf, false)) <= 1 &&
                                std::abs(out[2 * i + 1] - to16(want[i].imag(), mode, sf, false)) <= 1) << i;
            }
    vokcFreeTwdTbls();
}

// Exact small cases, which the tables above allow one unit: order 1 in integers,
// saturation, one automatic factor for two signals, rounding to nearest in
// modes 0 and 1, order 0 and length 1 copying, the automatic factor 0 when values
// fit; packed products whose reals and pairs need different factors, either way; a DCT saturating (±42426).
TEST(Int16Transforms, ExactSmallCases) {
    const struct {
        Shorts data;
        std::function<void(short* d, int* sf)> call;
        Shorts want;
        int sf;  // 9 when the calls leave it alone
    } cases[] = {
        {{3, 5}, [](short* d, int*) { vokwRealFftl(d, 1, VOK_Forw | VOK_OutRCPack, 1, nullptr); }, {8, -2}, 9},
        {{8, -2}, [](short* d, int*) { vokwRealFftl(d, 1, VOK_Inv | VOK_OutRCPerm, 1, nullptr); }, {3, 5}, 9},
        {{3, 5}, [](short* d, int*) { vokwRealFftl(d, 1, VOK_Inv | VOK_OutRCPack, 1, nullptr); }, {4, -1}, 9},
        {{32000, 3000, 77, 77}, [](short* d, int*) { vokwRealFft(d, 1, VOK_Forw, 1, nullptr); }, {32767, 0, 29000, 0}, 9},
        {{100, 9, -20, 9, 0, 0}, [](short* d, int* sf) { vokwCcsFftNip(d, d + 4, 1, VOK_Inv | VOK_NoScale, 4, sf); }, {100, 9, -20, 9, 80, 120}, 0},
        {{30000, 30000, 0, 0, 1000, -1000, 0, 0}, [](short* d, int* sf) { vokwReal2Fft(d, d + 4, 1, VOK_Forw, 4, sf); },
         {30000, 0, 0, 0, 0, 0, 1000, 0}, 1},
        {{3, -3, 0, 0, 0, 0, 0, 0}, [](short* d, int*) { vokvFft(cx(d), 2, VOK_Inv, 0, nullptr); }, {1, -1, 1, -1, 1, -1, 1, -1}, 9},
        {{3, -3, 0, 0, 0, 0, 0, 0}, [](short* d, int*) { vokvFft(cx(d), 2, VOK_Inv, 1, nullptr); }, {1, -1, 1, -1, 1, -1, 1, -1}, 9},
        {{7, 9, -4, 9, 5, 6, 0, 0, -3}, [](short* d, int*) {
             vokwReal2Fft(d, d + 2, 0, VOK_Forw, 0, nullptr);
             vokvFft(cx(d + 4), 0, VOK_Inv, 2, nullptr);
             vokvFftNip(cx(d + 4), cx(d + 6), 0, VOK_Inv, 2, nullptr);
             vokwRealFftl(d + 8, 0, VOK_Forw | VOK_OutRCPack, 0, nullptr);
         }, {7, 0, -4, 0, 5, 6, 5, 6, -3}, 9},
        {{-7, 12, 0, 0, 100, 1, -50, 3, 0, 0, 0, 0}, [](short* d, int* sf) {
             vokvDft(cx(d), cx(d + 2), 1, VOK_Inv, VOK_FIXED_SCALE, nullptr);
             vokvDft(cx(d + 4), cx(d + 8), 2, VOK_Forw, VOK_AUTO_SCALE, sf);
         }, {-7, 12, -7, 12, 100, 1, -50, 3, 50, 4, 150, -2}, 0},
        // Large reals, small pairs: the pairs are shifted to the reals' factor (2^30 needs 16 halvings);
        // the pair (1 + 2i)(1 + 3i) = (-5, 5) shifted arithmetically by 16; in either layout, nothing past the end.
        {{-32768, 1, 2, 32767, -32768, 1, 3, 32767, 0, 0, 0, 0, 77}, [](short* d, int* sf) { vokwMpyRCPack3(d, d + 4, d + 8, 2, VOK_AUTO_SCALE, sf); },
         {-32768, 1, 2, 32767, -32768, 1, 3, 32767, 16384, -1, 0, short((32767LL * 32767) >> 16), 77}, 16},
        {{-32768, 32767, 1, 2, -32768, 32767, 1, 3, 0, 0, 0, 0, 77}, [](short* d, int* sf) { vokwMpyRCPerm3(d, d + 4, d + 8, 2, VOK_AUTO_SCALE, sf); },
         {-32768, 32767, 1, 2, -32768, 32767, 1, 3, 16384, short((32767LL * 32767) >> 16), -1, 0, 77}, 16},
        // Small reals, large pairs: the reals are shifted to the pairs' factor, 2^30 needing 16 halvings.
        {{2, 3, 30000, 30000, 30000, -30000, 30000, 30000, 5, 7, 30000, 30000, 30000, 30000, -30000, 30000},
         [](short* d, int* sf) { vokwMpyRCPerm2(d, d + 8, 3, VOK_AUTO_SCALE, sf); },
         {2, 3, 30000, 30000, 30000, -30000, 30000, 30000, 10 >> 16, 21 >> 16, 0, 27465, 27465, 0, -27466, 0}, 16},
        {{30000, 30000, -30000, -30000, 0, 0, 0, 0},
         [](short* d, int*) { vokwDct(d, d + 4, 2, VOK_Forw); vokwDct(d + 2, d + 6, 2, VOK_Forw); },
         {30000, 30000, -30000, -30000, 32767, 0, -32768, 0}, 9},
    };
    for (const auto& e : cases) {
        ReportRecorder rec;
        Shorts d = e.data;
        int sf = 9;
        e.call(d.data(), &sf);
        EXPECT_TRUE(d == e.want && sf == e.sf) << &e - cases;
        EXPECT_REPORTS(rec);
    }
    vokcFreeTwdTbls();
}

TEST(Int16Transforms, InitFreeAndTheWorkBuffer) {
    ReportRecorder rec;
    const VokThreadContext& ctx = vok::threadContext();
    vokvFft(nullptr, 6, VOK_Init, 6, nullptr);
    vokwRealFft(nullptr, 6, VOK_Init, 0, nullptr);
    vokwReal2Fft(nullptr, nullptr, 6, VOK_Init, 0, nullptr);
    EXPECT_TRUE(ctx.tables.work[1].buffer != nullptr && ctx.tables.work[2].buffer != nullptr);
    vokvFft(nullptr, 6, VOK_Free, 0, nullptr);
    vokwCcs2Fft(nullptr, nullptr, 40, VOK_Free, 0, nullptr);
    for (const vok::WorkSlot& slot : ctx.tables.work) EXPECT_EQ(slot.buffer, nullptr);
    // The DFT: Free releases the slots, the lists and the plans; Init brings a length back.
    EXPECT_EQ(vokvDft(nullptr, nullptr, 0, VOK_Free, 6, nullptr), VOK_StatusOk);
    EXPECT_EQ(ctx.dftCount[vok::kKindC], 0);
    for (const vok::WorkSlot& slot : ctx.tables.work) EXPECT_EQ(slot.buffer, nullptr);
    for (const void* plan : ctx.tables.dftPlans[vok::kSingle].plans) EXPECT_EQ(plan, nullptr);
    EXPECT_EQ(vokvDft(nullptr, nullptr, 5, VOK_Init, 6, nullptr), VOK_StatusOk);
    EXPECT_EQ(ctx.dftCount[vok::kKindC], 1);
    // The table is rebuilt, the buffer fails once; after the tables are
    // released the second attempt succeeds and the call completes.
    const ShortComplex src[3] = {{1, 2}, {3, 4}, {5, 6}};
    ShortComplex dst[3];
    int sf = 0;
    vokvDft(nullptr, nullptr, 3, VOK_Free, 0, nullptr);
    EXPECT_EQ(robust::starve(2, [&] { return vokvDft(src, dst, 3, VOK_Forw, 0, &sf); }), VOK_StatusOk);
    EXPECT_TRUE(dst[0].re == 9 && dst[0].im == 12);
    EXPECT_REPORTS(rec);
    vokcFreeTwdTbls();
}

// Real products under a fixed mode: a right shift by f adds one unit of the
// first dropped bit only, floor((p + 1) / 2^f); a left shift multiplies. Pairs
// are the 16-bit complex vector multiply under the same mode; the automatic
// mode shifts reals and pairs by the larger of their factors.
TEST(Int16Transforms, PackedProductsRealValuesExactlyAndPairsAsComplexProducts) {
    for (int order : {0, 1, 2, 4})
        for (int mode = 0; mode <= 4; ++mode)
            for (int form = 0; form < 4; ++form) {
                const bool perm = form & 1, three = form & 2;
                SCOPED_TRACE(testing::Message() << order << " " << mode << " " << perm << " " << three);
                const int n = 1 << order, factor = mode == 2 ? (order % 2 ? 1 : 13 * (order > 0)) : mode == 3 ? (order % 2 ? -2 : 15) : 0;
                const Shorts a = randomVector<short>(n, 3u + order, 30000), b = randomVector<short>(n, 7u + mode, 30000);
                Shorts dst = three ? Shorts(n + 1, 0) : b;
                int sf = factor, pairSf = factor, realSf = 0;
                ReportRecorder rec;
                if (three) (perm ? vokwMpyRCPerm3 : vokwMpyRCPack3)(a.data(), b.data(), dst.data(), order, mode, &sf);
                else (perm ? vokwMpyRCPerm2 : vokwMpyRCPack2)(a.data(), dst.data(), order, mode, &sf);
                EXPECT_REPORTS(rec);
                EXPECT_TRUE(!three || dst[n] == 0);
                const int second = perm ? 1 : n - 1, start = perm ? 2 : 1, pairs = order >= 2 ? n / 2 - 1 : 0;
                std::vector<ShortComplex> want(std::max(pairs, 1));
                if (pairs > 0)
                    vokvbMpy3(reinterpret_cast<const ShortComplex*>(a.data() + start),
                              reinterpret_cast<const ShortComplex*>(b.data() + start), want.data(), pairs, mode, &pairSf);
                const long long p0 = (long long)a[0] * b[0], p1 = (long long)a[second] * b[second];
                auto fits = [&](long long p) { return (p >> realSf) >= -32768 && (p >> realSf) <= 32767; };
                while (!fits(p0) || (order >= 1 && !fits(p1))) ++realSf;
                const int common = pairs > 0 ? std::max(realSf, pairSf) : realSf, shift = mode == 4 ? common - pairSf : 0;
                if (mode == 4) EXPECT_EQ(sf, common);
                auto real = [&](long long p) -> long long {
                    if (mode == 4 || mode == 0) return short(mode ? p >> common : p);
                    p = factor > 0 && mode >= 2 ? (p + 1) >> factor : factor < 0 ? p * (1LL << -factor) : p;
                    return mode == 2 ? short(p) : std::clamp(p, -32768LL, 32767LL);
                };
                EXPECT_EQ(dst[0], real(p0));
                if (order >= 1) EXPECT_EQ(dst[second], real(p1));
                for (int i = 0; i < pairs; ++i)
                    EXPECT_TRUE(dst[start + 2 * i] == short(want[i].re >> shift) &&
                                dst[start + 2 * i + 1] == short(want[i].im >> shift)) << i;
            }
}

// The 16-bit value is the float kind's value brought to 16 bits by the mode
// (truncated; saturated, scaled by the given factor, or by the fewest halvings
// that fit); w runs samples then a block, v a block then samples.
TEST(Int16Transforms, GoertzelIsTheFloatRecurrenceBroughtBackByTheScaleMode) {
    const Shorts x = randomVector<short>(74, 74, 1000);
    const std::vector<float> xf(x.begin(), x.end());
    const auto* xv = reinterpret_cast<const ShortComplex*>(x.data());
    VokSGoertzState w, v, f, c;
    ASSERT_EQ(vokwGoertzInit(0.3f, &w) + vokvGoertzInit(0.3f, &v) + voksGoertzInit(0.3f, &f) + vokcGoertzInit(0.3f, &c), 0);
    const FloatComplex wantW = voksbGoertz(&f, xf.data(), 74), wantV = vokcbGoertz(&c, reinterpret_cast<const FloatComplex*>(xf.data()), 37);
    for (int mode : {VOK_SATURATE, VOK_FIXED_SCALE, VOK_AUTO_SCALE}) {
        SCOPED_TRACE(mode);
        int sfW = 2, sfV = 2;
        ShortComplex gotW{}, gotV = vokvbGoertz(&v, xv, 20, mode, &sfV);
        for (int i = 0; i < 40; ++i) gotW = vokwGoertz(&w, x[i], mode, &sfW);
        gotW = vokwbGoertz(&w, x.data() + 40, 34, mode, &sfW);
        for (int i = 20; i < 37; ++i) gotV = vokvGoertz(&v, xv[i], mode, &sfV);
        for (auto [got, want, sf] : {std::tuple{gotW, wantW, sfW}, std::tuple{gotV, wantV, sfV}}) {
            EXPECT_EQ(sf, mode == VOK_AUTO_SCALE ? autoFactor({LC(want.re, want.im)}) : 2);
            EXPECT_TRUE(got.re == to16(want.re, mode, sf, false) && got.im == to16(want.im, mode, sf, false)) << got.re << " " << got.im;
        }
        vokwGoertzReset(&w);
        vokvGoertzReset(&v);
    }
    // Sums beyond 16 bits: saturated, or scaled by 2^3 exactly.
    const std::vector<ShortComplex> big(8, ShortComplex{30000, -30000});
    int sf = 0;
    vokvGoertzInit(0.0f, &v);
    ShortComplex r = vokvbGoertz(&v, big.data(), 8, VOK_SATURATE, &sf);
    EXPECT_TRUE(r.re == 32767 && r.im == -32768);
    vokvGoertzReset(&v);
    r = vokvbGoertz(&v, big.data(), 8, VOK_AUTO_SCALE, &sf);
    EXPECT_TRUE(r.re == 30000 && r.im == -30000 && sf == 3);
}

// The float transform rounded to nearest (saturation: ExactSmallCases).
TEST(Int16Transforms, DctRoundsTheFloatTransform) {
    for (int n : {1, 2, 4, 50, 64})
        for (int flags : {VOK_Forw, VOK_Inv}) {
            const Shorts x = randomVector<short>(n, n, 20000);
            std::vector<float> xf(x.begin(), x.end()), yf(n);
            Shorts y(n);
            voksDct(xf.data(), yf.data(), n, flags);
            vokwDct(x.data(), y.data(), n, flags);
            for (int i = 0; i < n; ++i) ASSERT_EQ(y[i], short(std::clamp(std::nearbyint(yf[i]), -32768.0f, 32767.0f))) << n << " " << i;
        }
}

}  // namespace
