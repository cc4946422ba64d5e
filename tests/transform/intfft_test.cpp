// 16-bit FFTs: every layout against a long-double DFT brought to 16 bits with
// the rule of the scale mode, shared factors of paired arrays, the integer
// two-point forms, the packed products against exact 64-bit arithmetic, and
// every failure report with nothing written.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "frame/context.h"
#include "support/report_steps.h"
#include "support/reports.h"
#include "transform/reference.h"
#include "vok.h"

namespace {

using ffttest::LC;
using voktest::ReportRecorder;
using voktest::Sentinel;

// Modes 0 and 1 round to nearest and saturate; the scaled modes truncate
// v·2^-sf toward zero and then saturate (3) or keep the low 16 bits (2, 4).
long long expected16(long double v, int mode, int sf) {
    if (mode == 0 || mode == 1) {
        const long double r = std::nearbyint(v);
        return (long long)(r < -32768 ? -32768 : r > 32767 ? 32767 : r);
    }
    const long double t = std::trunc(std::ldexp(v, -sf));
    if (mode == 3) return (long long)(t < -32768 ? -32768 : t > 32767 ? 32767 : t);
    return (long long)short((unsigned short)(long long)std::fmod(t, 65536.0L));
}

int autoFactor(const std::vector<long double>& values) {
    long double m = 0;
    for (long double v : values) m = std::max(m, std::fabs(v));
    return m <= 32767 ? 0 : std::ilogb(m) - 14;
}

// |got - want| <= 1, counted on the 16-bit circle for the wrapping modes.
::testing::AssertionResult near16(const short* got, const std::vector<long double>& want, int mode, int sf) {
    for (std::size_t i = 0; i < want.size(); ++i) {
        const int d = short(got[i] - short(expected16(want[i], mode, sf)));
        if (d < -1 || d > 1)
            return ::testing::AssertionFailure() << "index " << i << ": got " << got[i] << ", want "
                                                 << expected16(want[i], mode, sf) << " (exact " << double(want[i])
                                                 << ", sf " << sf << ")";
    }
    return ::testing::AssertionSuccess();
}

std::vector<short> randomShorts(std::size_t n, int amplitude, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> dist(-amplitude, amplitude);
    std::vector<short> v(n);
    for (short& x : v) x = short(dist(gen));
    return v;
}

std::vector<LC> spectrum(const std::vector<LC>& x, int flags) {
    std::vector<LC> X = ffttest::directDft(x, (flags & VOK_Forw) != 0);
    if ((flags & VOK_Inv) && !(flags & VOK_NoScale))
        for (LC& v : X) v /= (long double)x.size();
    return X;
}

struct Case {
    int order, flags, mode;
};
std::vector<Case> cases() {
    std::vector<Case> out;
    for (int order : {1, 2, 3, 5, 7})
        for (int flags : {VOK_Forw, VOK_Inv, VOK_Inv | VOK_NoScale})
            for (int mode : {0, 1, 2, 3, 4}) out.push_back({order, flags, mode});
    return out;
}
int factorFor(int mode) { return mode == 2 ? 3 : mode == 3 ? -1 : 0; }

class IntFftValues : public ::testing::TestWithParam<Case> {
protected:
    void TearDown() override {
        vokcFreeTwdTbls();
        vokSetErrStatus(VOK_StatusOk);
    }
};

TEST_P(IntFftValues, ComplexInterleavedAndSplit) {
    const Case c = GetParam();
    const int n = 1 << c.order;
    const std::vector<short> re = randomShorts(n, 9000, 11u * c.order + c.mode);
    const std::vector<short> im = randomShorts(n, 9000, 13u * c.order + c.mode);
    std::vector<LC> x(n);
    std::vector<ShortComplex> data(n);
    for (int i = 0; i < n; ++i) {
        x[i] = LC(re[i], im[i]);
        data[i] = {re[i], im[i]};
    }
    const std::vector<LC> X = spectrum(x, c.flags);
    std::vector<long double> wantRe(n), wantIm(n), interleaved(2 * n);
    for (int i = 0; i < n; ++i) {
        wantRe[i] = interleaved[2 * i] = X[i].real();
        wantIm[i] = interleaved[2 * i + 1] = X[i].imag();
    }
    ReportRecorder rec;
    int sf = factorFor(c.mode);
    vokvFft(data.data(), c.order, c.flags, c.mode, &sf);
    const int want = c.mode == 4 ? autoFactor(interleaved) : factorFor(c.mode);
    EXPECT_EQ(sf, want);
    EXPECT_TRUE(near16(reinterpret_cast<short*>(data.data()), interleaved, c.mode, want));

    std::vector<short> outRe(n), outIm(n);
    sf = factorFor(c.mode);
    vokvrFftNip(re.data(), im.data(), outRe.data(), outIm.data(), c.order, c.flags, c.mode, &sf);
    EXPECT_EQ(sf, want);  // one factor for both arrays: the larger one needed
    EXPECT_TRUE(near16(outRe.data(), wantRe, c.mode, want));
    EXPECT_TRUE(near16(outIm.data(), wantIm, c.mode, want));

    std::vector<ShortComplex> copy(n);
    for (int i = 0; i < n; ++i) copy[i] = {re[i], im[i]};
    std::vector<ShortComplex> nip(n);
    sf = factorFor(c.mode);
    vokvFftNip(copy.data(), nip.data(), c.order, c.flags, c.mode, &sf);
    EXPECT_TRUE(near16(reinterpret_cast<short*>(nip.data()), interleaved, c.mode, want));
    EXPECT_REPORTS(rec);
}

// The spectrum of a real signal as CCS values (N + 2).
std::vector<long double> ccsOf(const std::vector<short>& s, int flags) {
    std::vector<LC> x(s.begin(), s.end());
    const std::vector<LC> X = spectrum(x, flags);
    std::vector<long double> out(s.size() + 2);
    for (std::size_t k = 0; k <= s.size() / 2; ++k) {
        out[2 * k] = X[k].real();
        out[2 * k + 1] = X[k].imag();
    }
    return out;
}

std::vector<long double> packedOf(const std::vector<long double>& ccs, bool perm) {
    const std::size_t n = ccs.size() - 2;
    std::vector<long double> out(n);
    out[0] = ccs[0];
    if (perm) {
        out[1] = ccs[n];
        for (std::size_t i = 2; i < n; ++i) out[i] = ccs[i];
    } else {
        for (std::size_t i = 1; i + 1 < n; ++i) out[i] = ccs[i + 1];
        out[n - 1] = ccs[n];
    }
    return out;
}

TEST_P(IntFftValues, RealSignalsAndPackedLayouts) {
    const Case c = GetParam();
    const int n = 1 << c.order;
    const std::vector<short> x = randomShorts(n, 12000, 17u * c.order + c.mode);
    const std::vector<long double> ccs = ccsOf(x, c.flags);
    ReportRecorder rec;
    const int want = c.mode == 4 ? autoFactor(ccs) : factorFor(c.mode);

    std::vector<short> out(n + 2);
    int sf = factorFor(c.mode);
    vokwRealFftNip(x.data(), out.data(), c.order, c.flags, c.mode, &sf);
    EXPECT_EQ(sf, want);
    EXPECT_TRUE(near16(out.data(), ccs, c.mode, want));

    for (bool perm : {false, true}) {
        std::vector<short> packed(x);
        sf = factorFor(c.mode);
        vokwRealFftl(packed.data(), c.order, c.flags | (perm ? VOK_OutRCPerm : VOK_OutRCPack), c.mode, &sf);
        EXPECT_EQ(sf, want) << perm;
        EXPECT_TRUE(near16(packed.data(), packedOf(ccs, perm), c.mode, want)) << perm;
    }

    // Two signals share the factor.
    std::vector<short> a(n + 2), b(n + 2);
    const std::vector<short> y = randomShorts(n, 300, 5u * c.order + c.mode);
    std::copy(x.begin(), x.end(), a.begin());
    std::copy(y.begin(), y.end(), b.begin());
    sf = factorFor(c.mode);
    vokwReal2Fft(a.data(), b.data(), c.order, c.flags, c.mode, &sf);
    EXPECT_EQ(sf, want);
    EXPECT_TRUE(near16(a.data(), ccs, c.mode, want));
    EXPECT_TRUE(near16(b.data(), ccsOf(y, c.flags), c.mode, want));
    EXPECT_REPORTS(rec);
}

INSTANTIATE_TEST_SUITE_P(AllModes, IntFftValues, ::testing::ValuesIn(cases()));

TEST(IntFftEdges, TwoPointRealFormsInIntegers) {
    ReportRecorder rec;
    short v[2] = {3, 5};
    vokwRealFftl(v, 1, VOK_Forw | VOK_OutRCPack, 1, nullptr);
    EXPECT_EQ(v[0], 8);
    EXPECT_EQ(v[1], -2);
    vokwRealFftl(v, 1, VOK_Inv | VOK_OutRCPerm, 1, nullptr);
    EXPECT_EQ(v[0], 3);
    EXPECT_EQ(v[1], 5);
    short w[2] = {3, 5};
    vokwRealFftl(w, 1, VOK_Inv | VOK_OutRCPack, 1, nullptr);
    EXPECT_EQ(w[0], 4);
    EXPECT_EQ(w[1], -1);
    // CCS output with zero imaginary parts, and saturation of the sum.
    short ccs[4] = {32000, 3000, 77, 77};
    vokwRealFft(ccs, 1, VOK_Forw, 1, nullptr);
    EXPECT_EQ(ccs[0], 32767);
    EXPECT_EQ(ccs[1], 0);
    EXPECT_EQ(ccs[2], 29000);
    EXPECT_EQ(ccs[3], 0);
    short back[2];
    const short ccsSpectrum[4] = {100, 9, -20, 9};
    int sf = 0;
    vokwCcsFftNip(ccsSpectrum, back, 1, VOK_Inv | VOK_NoScale, VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(back[0], 80);
    EXPECT_EQ(back[1], 120);
    EXPECT_EQ(sf, 0);
    // Two signals get one automatic factor.
    short x[4] = {30000, 30000, 0, 0}, y[4] = {1000, -1000, 0, 0};
    vokwReal2Fft(x, y, 1, VOK_Forw, VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(sf, 1);
    EXPECT_EQ(x[0], 30000);
    EXPECT_EQ(x[2], 0);
    EXPECT_EQ(y[0], 0);
    EXPECT_EQ(y[2], 1000);
    EXPECT_REPORTS(rec);
}

// The mode tables above allow one unit; here the exact values tell rounding
// to nearest (modes 0 and 1) from truncation: an inverse impulse of 3 over
// four points is 0.75 everywhere.
TEST(IntFftEdges, ModesZeroAndOneRoundToNearest) {
    for (int mode : {0, 1}) {
        ShortComplex c[4] = {{3, -3}, {0, 0}, {0, 0}, {0, 0}};
        vokvFft(c, 2, VOK_Inv, mode, nullptr);
        for (const ShortComplex& v : c) {
            EXPECT_EQ(v.re, 1) << mode;
            EXPECT_EQ(v.im, -1) << mode;
        }
    }
}

TEST(IntFftEdges, OrderZero) {
    ReportRecorder rec;
    short x[2] = {7, 9}, y[2] = {-4, 9};
    vokwReal2Fft(x, y, 0, VOK_Forw, 0, nullptr);
    EXPECT_EQ(x[0], 7);
    EXPECT_EQ(x[1], 0);
    EXPECT_EQ(y[0], -4);
    EXPECT_EQ(y[1], 0);
    ShortComplex c[1] = {{5, 6}}, d[1] = {{0, 0}};
    vokvFft(c, 0, VOK_Inv, 2, nullptr);
    EXPECT_EQ(c[0].re, 5);
    vokvFftNip(c, d, 0, VOK_Inv, 2, nullptr);
    EXPECT_EQ(d[0].im, 6);
    short r[1] = {-3};
    vokwRealFftl(r, 0, VOK_Forw | VOK_OutRCPack, 0, nullptr);
    EXPECT_EQ(r[0], -3);
    EXPECT_REPORTS(rec);
}

TEST(IntFftEdges, CcsRoundTripAndAutoScaleThatFits) {
    ReportRecorder rec;
    const int order = 6, n = 1 << order;
    const std::vector<short> x = randomShorts(n, 400, 99);
    std::vector<short> ccsSpectrum(n + 2), back(n);
    int sf = -5;
    vokwRealFftNip(x.data(), ccsSpectrum.data(), order, VOK_Forw, VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(sf, 0);  // every value fits: no scaling
    vokwCcsFftNip(ccsSpectrum.data(), back.data(), order, VOK_Inv, 1, nullptr);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(back[i], x[i], 2) << i;
    std::vector<short> packed(x);
    vokwRealFftl(packed.data(), order, VOK_Forw | VOK_OutRCPerm, 0, nullptr);
    vokwCcsFftl(packed.data(), order, VOK_Inv | VOK_InRCPerm, 0, nullptr);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(packed[i], x[i], 2) << i;
    std::vector<short> a(ccsSpectrum), b(ccsSpectrum);
    vokwCcs2Fft(a.data(), b.data(), order, VOK_Inv, 0, nullptr);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(b[i], x[i], 2) << i;
    EXPECT_REPORTS(rec);
    vokcFreeTwdTbls();
}

// ---- failures ----

TEST(IntFftFailures, OrderFlagsAndScaleModesInOrder) {
    Sentinel data(1024);
    short* d = data.as<short>();
    ShortComplex* c = data.as<ShortComplex>();
    int sf = 0;
    voktest::ReportSteps step("vokfftw");
    step("vokvFft", "order<0", [&] { vokvFft(c, -1, VOK_Forw, 0, &sf); });
    step("vokvFft", "order>31", [&] { vokvFft(c, 32, VOK_Forw, 0, &sf); });
    step("vokvFft", "samps==0", [&] { vokvFft(nullptr, 3, VOK_Forw, 0, &sf); });
    step.run([&] { vokvFft(c, 3, VOK_Forw | VOK_Inv | VOK_InBitRev | VOK_OutBitRev, 0, &sf); },
             {{VOK_StatusBadArg, "vokvFft", "VOK_Forw and VOK_Inv", "vokfftw"},
              {VOK_StatusBadArg, "vokvFft", "VOK_InBitRev and VOK_OutBitRev", "vokfftw"}});
    step.run([&] { vokvFft(c, 3, VOK_InBitRev | VOK_NoBitRev, 7, nullptr); },
             {{VOK_StatusBadArg, "vokvFft", "no VOK_Forw or VOK_Inv", "vokfftw"},
              {VOK_StatusBadArg, "vokvFft", "VOK_InBitRev and VOK_NoBitRev", "vokfftw"}});
    step.run([&] { vokvFft(c, 3, VOK_Inv, 7, nullptr); },
             {{VOK_StatusBadArg, "vokvFft", "VOK_FIXED_SCALE and VOK_AUTO_SCALE", "vokfftw"},
              {VOK_StatusBadArg, "vokvFft", "VOK_AUTO_SCALE and scaleFactor==NULL", "vokfftw"}});
    step("vokvFft", "VOK_AUTO_SCALE and scaleFactor==NULL", [&] { vokvFft(c, 3, VOK_Inv, 5, nullptr); });
    step("vokwRealFftl", "VOK_OutRCPack and VOK_OutRCPerm",
         [&] { vokwRealFftl(d, 3, VOK_Forw | VOK_OutRCPack | VOK_OutRCPerm, 6, &sf); });
    step("vokwCcsFftl", "no VOK_InRCPack or VOK_InRCPerm", [&] { vokwCcsFftl(d, 3, VOK_Forw, 0, &sf); });
    step("vokwCcsFftl", "VOK_InRCPack and VOK_InRCPerm",
         [&] { vokwCcsFftl(d, 3, VOK_Forw | VOK_InRCPack | VOK_InRCPerm | VOK_NoBitRev | VOK_InBitRev, 0, &sf); });
    step("vokwRealFftl", "no VOK_OutRCPack or VOK_OutRCPerm", [&] { vokwRealFftl(d, 3, VOK_Forw, 0, &sf); });
    step("vokwRealFft", "VOK_FIXED_SCALE and VOK_AUTO_SCALE",
         [&] { vokwRealFft(d, 3, VOK_Forw | VOK_OutRCPack | VOK_OutRCPerm | VOK_InBitRev | VOK_OutBitRev, 6, &sf); });
    EXPECT_TRUE(data.untouched());
}

TEST(IntFftFailures, PointerNamesAndNothingWritten) {
    Sentinel out(512);
    short* o = out.as<short>();
    ShortComplex* co = out.as<ShortComplex>();
    const short in[16] = {1, 2, 3};
    const ShortComplex* cin = reinterpret_cast<const ShortComplex*>(in);
    voktest::ReportSteps step("vokfftw");
    step("vokvFftNip", "inSamps==0", [&] { vokvFftNip(nullptr, co, 2, VOK_Forw, 0, nullptr); });
    step("vokvFftNip", "outSamps==0", [&] { vokvFftNip(cin, nullptr, 2, VOK_Forw, 0, nullptr); });
    step("vokvrFft", "imSamps==0", [&] { vokvrFft(o, nullptr, 2, VOK_Forw, 0, nullptr); });
    step("vokvrFftNip", "imOutSamps==0", [&] { vokvrFftNip(in, in, o, nullptr, 2, VOK_Forw, 0, nullptr); });
    step("vokwRealFftNip", "outSamps==0", [&] { vokwRealFftNip(in, nullptr, 2, VOK_Forw, 0, nullptr); });
    step("vokwReal2Fft", "ySamps==0", [&] { vokwReal2Fft(o, nullptr, 2, VOK_Forw, 0, nullptr); });
    step("vokwCcs2FftNip", "yInSamps==0", [&] { vokwCcs2FftNip(in, o, nullptr, o, 2, VOK_Inv, 0, nullptr); });
    // The not-in-place complex form refuses a bad mode through the in-place
    // one, with a backtrace, and copies nothing.
    step.run([&] { vokvFftNip(cin, co, 2, VOK_Forw, 6, nullptr); },
             {{VOK_StatusBadArg, "vokvFft", "VOK_FIXED_SCALE and VOK_AUTO_SCALE", "vokfftw"},
              {VOK_StatusBadArg, "vokvFft", "VOK_AUTO_SCALE and scaleFactor==NULL", "vokfftw"},
              {VOK_StatusBacktrace, "vokvFftNip", "out vokvFft", "vokfftw"}});
    EXPECT_TRUE(out.untouched());
    vokSetErrStatus(VOK_StatusOk);
}

TEST(IntFftFailures, InitAndFreePassThrough) {
    ReportRecorder rec;
    vokvFft(nullptr, 6, VOK_Init, 6, nullptr);
    vokwRealFft(nullptr, 6, VOK_Init, 0, nullptr);
    vokwReal2Fft(nullptr, nullptr, 6, VOK_Init, 0, nullptr);
    EXPECT_REPORTS(rec);
    EXPECT_NE(vok::threadContext().tables.work[1].buffer, nullptr);
    EXPECT_NE(vok::threadContext().tables.work[2].buffer, nullptr);
    vokvFft(nullptr, 6, VOK_Free, 0, nullptr);
    vokwCcs2Fft(nullptr, nullptr, 40, VOK_Free, 0, nullptr);
    EXPECT_REPORTS(rec);
    for (const vok::WorkSlot& slot : vok::threadContext().tables.work) EXPECT_EQ(slot.buffer, nullptr);
    vokcFreeTwdTbls();
}

// ---- packed spectrum products ----

// A real product under a fixed mode: a right shift by f adds one unit of the
// first dropped bit only, floor((p + 1) / 2^f); a left shift multiplies.
long long fixedProduct(long long p, int mode, int f) {
    if (f > 0) p = (p + 1) >> f;
    else if (f < 0) p *= 1LL << -f;
    if (mode == 3 || mode == 1) return p < -32768 ? -32768 : p > 32767 ? 32767 : p;
    return short((unsigned short)(long long)p);
}

struct MpyCase {
    int order, mode, factor;
    bool perm, three;
};

class IntPackedProducts : public ::testing::TestWithParam<MpyCase> {};

TEST_P(IntPackedProducts, RealValuesExactlyAndPairsAsComplexProducts) {
    const MpyCase c = GetParam();
    const int n = 1 << c.order;
    const std::vector<short> a = randomShorts(n, 30000, 3u + c.order);
    const std::vector<short> b = randomShorts(n, 30000, 7u + c.mode);
    std::vector<short> dst(c.three ? std::vector<short>(n, 0) : b);
    int sf = c.factor;
    ReportRecorder rec;
    if (c.three) (c.perm ? vokwMpyRCPerm3 : vokwMpyRCPack3)(a.data(), b.data(), dst.data(), c.order, c.mode, &sf);
    else (c.perm ? vokwMpyRCPerm2 : vokwMpyRCPack2)(a.data(), dst.data(), c.order, c.mode, &sf);
    EXPECT_REPORTS(rec);
    const int second = c.perm ? 1 : n - 1;
    const int start = c.perm ? 2 : 1, pairs = c.order >= 2 ? n / 2 - 1 : 0;
    // The pairs, as the complex vector multiply gives them under the same mode.
    std::vector<ShortComplex> want(pairs > 0 ? pairs : 1);
    int pairSf = c.factor;
    if (pairs > 0)
        vokvbMpy3(reinterpret_cast<const ShortComplex*>(a.data() + start),
                  reinterpret_cast<const ShortComplex*>(b.data() + start), want.data(), pairs, c.mode, &pairSf);
    const long long p0 = (long long)a[0] * b[0], p1 = (long long)a[second] * b[second];
    if (c.mode == 4) {
        int realSf = 0;
        while (std::max(std::llabs(p0 >> realSf), c.order >= 1 ? std::llabs(p1 >> realSf) : 0) > 32767 ||
               (p0 >> realSf) < -32768 || (c.order >= 1 && (p1 >> realSf) < -32768))
            ++realSf;
        const int common = pairs > 0 ? std::max(realSf, pairSf) : realSf;
        EXPECT_EQ(sf, common);
        EXPECT_EQ(dst[0], short(p0 >> common));
        if (c.order >= 1) EXPECT_EQ(dst[second], short(p1 >> common));
        for (int i = 0; i < pairs; ++i) {
            EXPECT_EQ(dst[start + 2 * i], short(want[i].re >> (common - pairSf))) << i;
            EXPECT_EQ(dst[start + 2 * i + 1], short(want[i].im >> (common - pairSf))) << i;
        }
        return;
    }
    const int f = (c.mode == 2 || c.mode == 3) ? c.factor : 0;
    auto expectReal = [&](long long p) {
        return c.mode == 0 ? (long long)short((unsigned short)(long long)p) : fixedProduct(p, c.mode, f);
    };
    EXPECT_EQ(dst[0], expectReal(p0));
    if (c.order >= 1) EXPECT_EQ(dst[second], expectReal(p1));
    for (int i = 0; i < pairs; ++i) {
        EXPECT_EQ(dst[start + 2 * i], want[i].re) << i;
        EXPECT_EQ(dst[start + 2 * i + 1], want[i].im) << i;
    }
}

std::vector<MpyCase> mpyCases() {
    std::vector<MpyCase> out;
    for (int order : {0, 1, 2, 4})
        for (int mode : {0, 1, 2, 3, 4})
            for (bool perm : {false, true})
                for (bool three : {false, true}) {
                    const int factor = mode == 2 ? 13 : mode == 3 ? (order % 2 ? -2 : 15) : 0;
                    out.push_back({order, mode, factor, perm, three});
                }
    return out;
}
INSTANTIATE_TEST_SUITE_P(Layouts, IntPackedProducts, ::testing::ValuesIn(mpyCases()));

TEST(IntPackedProducts, AutoScaleTakesTheLargerFactor) {
    // Small real values, large pairs: the reals are shifted to the pairs' factor.
    short a[8] = {2, 3, 30000, 30000, 30000, -30000, 30000, 30000};
    short d[8] = {5, 7, 30000, 30000, 30000, 30000, -30000, 30000};
    int sf = 0;
    vokwMpyRCPerm2(a, d, 3, VOK_AUTO_SCALE, &sf);
    EXPECT_GT(sf, 0);
    EXPECT_EQ(d[0], short(10 >> sf));
    EXPECT_EQ(d[1], short(21 >> sf));
    // Large reals, small pairs: the pairs are shifted to the reals' factor.
    short x[4] = {-32768, 1, 2, 32767};
    short y[4] = {-32768, 1, 3, 32767};
    short out[4];
    vokwMpyRCPack3(x, y, out, 2, VOK_AUTO_SCALE, &sf);
    EXPECT_EQ(sf, 16);  // 2^30 needs 16 halvings to fit
    EXPECT_EQ(out[0], 16384);
    EXPECT_EQ(out[3], short((32767LL * 32767) >> 16));
    // The pair (1 + 2i)(1 + 3i) = (-5, 5) shifted arithmetically by 16.
    EXPECT_EQ(out[1], -1);
    EXPECT_EQ(out[2], 0);
}

TEST(IntPackedProducts, Failures) {
    Sentinel out(64);
    short* d = out.as<short>();
    const short s[8] = {};
    voktest::ReportSteps step("vokfftw");
    step("vokwMpyRCPack2", "order<0", [&] { vokwMpyRCPack2(s, d, -1, 0, nullptr); });
    step("vokwMpyRCPack2", "order>31", [&] { vokwMpyRCPack2(s, d, 32, 0, nullptr); });
    step("vokwMpyRCPerm2", "src==0", [&] { vokwMpyRCPerm2(nullptr, d, 3, 0, nullptr); });
    step("vokwMpyRCPack3", "srcB==0", [&] { vokwMpyRCPack3(s, nullptr, d, 3, 0, nullptr); });
    step("vokwMpyRCPerm3", "srcA==0", [&] { vokwMpyRCPerm3(nullptr, s, d, 3, 0, nullptr); });
    step("vokwMpyRCPerm3", "dst==0", [&] { vokwMpyRCPerm3(s, s, nullptr, 3, 0, nullptr); });
    step("vokwMpyRCPack2", "scaleFactor==0", [&] { vokwMpyRCPack2(s, d, 3, VOK_AUTO_SCALE, nullptr); });
    EXPECT_TRUE(out.untouched());
    vokSetErrStatus(VOK_StatusOk);
}

}  // namespace
