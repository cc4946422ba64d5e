// Real FFTs and packed spectra: RCPack, RCPerm and CCS layouts against numpy's
// rfft and a long-double reference for every order, both directions, in place
// and not; the spectrum-to-real inverses; the two-signal forms; the packed
// products; every failure report and the release of tables.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frame/context.h"
#include "frame/test_seams.h"
#include "reference.h"
#include "support/report_steps.h"
#include "support/reports.h"
#include "support/widths.h"
#include "vok.h"

namespace {

using ffttest::LC;
using voktest::ReportRecorder;

// The entry points of one precision, letter L.
#define REAL_FFT_PRECISION(Name, L, Real, tol, same, prec, mod)                                                \
    struct Name {                                                                                         \
        using R = Real;                                                                                   \
        static constexpr auto realFftl = vok##L##RealFftl, realFftlNip = vok##L##RealFftlNip;              \
        static constexpr auto realFft = vok##L##RealFft, realFftNip = vok##L##RealFftNip;                  \
        static constexpr auto ccsFftl = vok##L##CcsFftl, ccsFftlNip = vok##L##CcsFftlNip;                  \
        static constexpr auto ccsFft = vok##L##CcsFft, ccsFftNip = vok##L##CcsFftNip;                      \
        static constexpr auto real2 = vok##L##Real2Fft, real2Nip = vok##L##Real2FftNip;                    \
        static constexpr auto ccs2 = vok##L##Ccs2Fft, ccs2Nip = vok##L##Ccs2FftNip;                        \
        static constexpr auto pack2 = vok##L##MpyRCPack2, pack3 = vok##L##MpyRCPack3;                      \
        static constexpr auto perm2 = vok##L##MpyRCPerm2, perm3 = vok##L##MpyRCPerm3;                      \
        static constexpr long double tolerance = tol;                                                     \
        static constexpr int sameAtEveryWidth = same; /* up to this order */                              \
        static constexpr int precision = prec;                                                            \
        static constexpr const char* module = mod;                                                        \
        static constexpr const char* prefix = "vok" #L;                                                   \
    };
REAL_FFT_PRECISION(Single, s, float, 3e-7L, 16, vok::kSingle, "vokffts")
REAL_FFT_PRECISION(Double, d, double, 6e-16L, 16, vok::kDouble, "vokfftd")

enum class Layout { kPack, kPerm, kCcs };

// The N/2 + 1 bins from a stored spectrum.
template <class R>
std::vector<LC> unpack(const std::vector<R>& s, long long n, Layout layout) {
    std::vector<LC> bins(n / 2 + 1);
    if (n == 1) return {LC(s[0], 0)};
    for (long long k = 0; k <= n / 2; ++k) {
        if (layout == Layout::kCcs) bins[k] = LC(s[2 * k], s[2 * k + 1]);
        else if (k == 0) bins[k] = LC(s[0], 0);
        else if (k == n / 2) bins[k] = LC(layout == Layout::kPack ? s[n - 1] : s[1], 0);
        else if (layout == Layout::kPack) bins[k] = LC(s[2 * k - 1], s[2 * k]);
        else bins[k] = LC(s[2 * k], s[2 * k + 1]);
    }
    return bins;
}

// And back: a stored spectrum from bins (imaginary parts of bin 0 and N/2 kept for CCS).
template <class R>
std::vector<R> pack(const std::vector<LC>& bins, long long n, Layout layout) {
    std::vector<R> s(layout == Layout::kCcs ? n + 2 : n);
    if (n == 1) {
        s[0] = R(bins[0].real());
        return s;
    }
    for (long long k = 0; k <= n / 2; ++k) {
        const R re = R(bins[k].real()), im = R(bins[k].imag());
        if (layout == Layout::kCcs) {
            s[2 * k] = re;
            s[2 * k + 1] = im;
        } else if (k == 0) {
            s[0] = re;
        } else if (k == n / 2) {
            s[layout == Layout::kPack ? n - 1 : 1] = re;
        } else if (layout == Layout::kPack) {
            s[2 * k - 1] = re;
            s[2 * k] = im;
        } else {
            s[2 * k] = re;
            s[2 * k + 1] = im;
        }
    }
    return s;
}

template <class P>
std::vector<typename P::R> forward(const std::vector<typename P::R>& x, int order, int flags, Layout layout, bool nip) {
    using R = typename P::R;
    const long long n = 1LL << order;
    std::vector<R> buf(layout == Layout::kCcs ? n + 2 : n, R(-77));
    if (!nip) std::copy(x.begin(), x.end(), buf.begin());
    const std::vector<R> in = x;
    if (layout == Layout::kCcs) nip ? P::realFftNip(in.data(), buf.data(), order, flags) : P::realFft(buf.data(), order, flags);
    else {
        const int f = flags | (layout == Layout::kPack ? VOK_OutRCPack : VOK_OutRCPerm);
        nip ? P::realFftlNip(in.data(), buf.data(), order, f) : P::realFftl(buf.data(), order, f);
    }
    EXPECT_EQ(in, x);
    return buf;
}

template <class P>
std::vector<typename P::R> backward(const std::vector<typename P::R>& s, int order, int flags, Layout layout, bool nip) {
    using R = typename P::R;
    const long long n = 1LL << order;
    std::vector<R> buf = s, out(n, R(-77));
    if (layout == Layout::kCcs) nip ? P::ccsFftNip(s.data(), out.data(), order, flags) : P::ccsFft(buf.data(), order, flags);
    else {
        const int f = flags | (layout == Layout::kPack ? VOK_InRCPack : VOK_InRCPerm);
        nip ? P::ccsFftlNip(s.data(), out.data(), order, f) : P::ccsFftl(buf.data(), order, f);
    }
    if (!nip) std::copy(buf.begin(), buf.begin() + n, out.begin());
    return out;
}

template <class R>
std::vector<LC> asComplex(const std::vector<R>& x) {
    std::vector<LC> c(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) c[i] = LC(x[i], 0);
    return c;
}

template <class P>
class RealFft : public ::testing::Test {};
using Precisions = ::testing::Types<Single, Double>;
TYPED_TEST_SUITE(RealFft, Precisions);

constexpr Layout kLayouts[] = {Layout::kPack, Layout::kPerm, Layout::kCcs};

TYPED_TEST(RealFft, SpectraOfEveryOrderLayoutAndDirection) {
    using P = TypeParam;
    using R = typename P::R;
    for (int order = 0; order <= (voktest::kEmulated ? 12 : 16); ++order) {
        const long long n = 1LL << order;
        const auto signal = ffttest::randomComplex(n, 40 + order, true);
        std::vector<R> x(n);
        for (long long i = 0; i < n; ++i) x[i] = R(signal[i].real());
        for (bool inverse : {false, true}) {
            auto want = ffttest::referenceDft(asComplex(x), !inverse);
            want.resize(n / 2 + 1);
            for (int extra : {0, VOK_NoScale}) {
                if (!inverse && extra) continue;
                if (inverse && !extra)
                    for (auto& v : want) v /= (long double)n;
                const int flags = (inverse ? VOK_Inv : VOK_Forw) | extra;
                std::vector<std::vector<LC>> firstWidth;  // every width matches it bit for bit
                voktest::forEachWidth([&] {
                    std::size_t case_ = 0;
                    for (Layout layout : kLayouts)
                        for (bool nip : {false, true}) {
                            const auto got = unpack(forward<P>(x, order, flags, layout, nip), n, layout);
                            ASSERT_LT(ffttest::relativeError(got, want), P::tolerance * (order + 2))
                                << order << " " << flags << " " << int(layout) << " " << nip;
                            if (layout == Layout::kCcs) ASSERT_EQ(got[0].imag(), 0) << "CCS keeps a zero at 1";
                            if (case_ == firstWidth.size()) firstWidth.push_back(got);
                            if (order <= P::sameAtEveryWidth)
                                ASSERT_EQ(got, firstWidth[case_]) << order << " " << flags << " " << int(layout);
                            ++case_;
                        }
                });
                if (inverse && !extra)
                    for (auto& v : want) v *= (long double)n;
            }
        }
    }
}

TYPED_TEST(RealFft, SignalsFromSpectraOfEveryOrder) {
    using P = TypeParam;
    using R = typename P::R;
    for (int order = 0; order <= (voktest::kEmulated ? 12 : 16); ++order) {
        const long long n = 1LL << order;
        // A conjugate-symmetric spectrum from a real signal, so that the sums are real.
        const auto signal = ffttest::randomComplex(n, 90 + order, true);
        auto bins = ffttest::referenceDft(signal, true);
        bins.resize(n / 2 + 1);
        for (bool inverse : {true, false}) {
            // x[n] = Σ X[k] exp(±2πi nk/N) over the full symmetric spectrum.
            std::vector<LC> full(n);
            for (long long k = 0; k < n; ++k) full[k] = k <= n / 2 ? bins[k] : std::conj(bins[n - k]);
            auto want = ffttest::referenceDft(full, !inverse);
            if (inverse)
                for (auto& v : want) v /= (long double)n;
            const int flags = inverse ? VOK_Inv : VOK_Forw;
            std::vector<std::vector<LC>> firstWidth;  // every width matches it bit for bit
            voktest::forEachWidth([&] {
                std::size_t case_ = 0;
                for (Layout layout : kLayouts)
                    for (bool nip : {false, true}) {
                        auto stored = pack<R>(bins, n, layout);
                        if (layout == Layout::kCcs && n > 1) {
                            stored[1] = R(5);  // ignored imaginary parts
                            stored[n + 1] = R(-3);
                        }
                        const auto got = asComplex(backward<P>(stored, order, flags, layout, nip));
                        ASSERT_LT(ffttest::relativeError(got, want), P::tolerance * (order + 2))
                            << order << " " << flags << " " << int(layout) << " " << nip;
                        if (case_ == firstWidth.size()) firstWidth.push_back(got);
                        if (order <= P::sameAtEveryWidth)
                            ASSERT_EQ(got, firstWidth[case_]) << order << " " << flags << " " << int(layout);
                        ++case_;
                    }
            });
        }
    }
}

// numpy.fft.rfft vectors of tests/scripts/gen_rfft.py, in all three layouts.
TYPED_TEST(RealFft, MatchesNumpy) {
    using P = TypeParam;
    using R = typename P::R;
    std::ifstream file(VOK_TEST_DATA_DIR "/rfft_numpy.txt");
    ASSERT_TRUE(file.good());
    std::string line;
    int blocks = 0;
    while (std::getline(file, line)) {
        int order = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "order %d", &order), 1);
        const long long n = 1LL << order;
        std::getline(file, line);
        std::istringstream xs(line);
        std::vector<R> x(n);
        for (auto& v : x) {
            double d;
            xs >> d;
            v = R(d);
        }
        std::getline(file, line);
        std::istringstream ss(line);
        std::vector<LC> want(n / 2 + 1);
        for (auto& v : want) {
            double re, im;
            ss >> re >> im;
            v = LC(re, im);
        }
        for (Layout layout : kLayouts) {
            const auto got = unpack(forward<P>(x, order, VOK_Forw, layout, true), n, layout);
            EXPECT_LT(ffttest::relativeError(got, want), P::tolerance * (order + 2)) << order;
        }
        ++blocks;
    }
    EXPECT_EQ(blocks, 12);
}

TYPED_TEST(RealFft, SmallAndSpecialSignals) {
    using P = TypeParam;
    using R = typename P::R;
    R one[2] = {7, 9};
    P::realFft(one, 0, VOK_Forw);
    EXPECT_EQ(one[0], 7);
    EXPECT_EQ(one[1], 0);
    R out[4] = {1, 1, 1, 1};
    P::realFftNip(one, out, 0, VOK_Inv);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 0);
    R two[4] = {3, 5, -1, -1};
    P::realFft(two, 1, VOK_Forw);
    EXPECT_EQ(std::vector<R>(two, two + 4), (std::vector<R>{8, 0, -2, 0}));
    for (int f : {VOK_OutRCPack, VOK_OutRCPerm}) {
        R pair[2] = {3, 5};
        P::realFftl(pair, 1, VOK_Forw | f);
        EXPECT_EQ(pair[0], 8);
        EXPECT_EQ(pair[1], -2);
    }
}

TYPED_TEST(RealFft, TwoSignalForms) {
    using P = TypeParam;
    using R = typename P::R;
    ReportRecorder rec;
    const int order = 6;
    const long long n = 64;
    std::vector<R> x(n + 2), y(n + 2);
    for (long long i = 0; i < n; ++i) {
        x[i] = R(std::cos(0.1 * i));
        y[i] = R(0.01 * i);
    }
    const auto sx = forward<P>(std::vector<R>(x.begin(), x.begin() + n), order, VOK_Forw, Layout::kCcs, true);
    const auto sy = forward<P>(std::vector<R>(y.begin(), y.begin() + n), order, VOK_Forw, Layout::kCcs, true);
    std::vector<R> ox(n + 2), oy(n + 2);
    EXPECT_EQ(P::real2Nip(x.data(), ox.data(), y.data(), oy.data(), order, VOK_Forw), VOK_StatusOk);
    EXPECT_EQ(P::real2(x.data(), y.data(), order, VOK_Forw), VOK_StatusOk);
    EXPECT_EQ(ox, sx);
    EXPECT_EQ(oy, sy);
    EXPECT_EQ(x, sx);
    EXPECT_EQ(y, sy);
    std::vector<R> bx(n), by(n);
    EXPECT_EQ(P::ccs2Nip(x.data(), bx.data(), y.data(), by.data(), order, VOK_Inv), VOK_StatusOk);
    EXPECT_EQ(P::ccs2(x.data(), y.data(), order, VOK_Inv), VOK_StatusOk);
    for (long long i = 0; i < n; ++i) {
        EXPECT_NEAR(bx[i], std::cos(0.1 * i), 1e-5);
        EXPECT_NEAR(by[i], 0.01 * i, 1e-5);
        EXPECT_EQ(x[i], bx[i]);
        EXPECT_EQ(y[i], by[i]);
    }
    EXPECT_TRUE(rec.reports().empty());
    // y is transformed after x failed, and the failure is re-reported once.
    std::vector<R> y2(y.begin(), y.end());
    EXPECT_EQ(P::real2(nullptr, y2.data(), order, VOK_Inv), VOK_StatusBacktrace);
    const std::string pre = P::prefix;
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, (pre + "RealFft").c_str(), "samps==0", P::module},
                   {VOK_StatusBacktrace, (pre + "Real2Fft").c_str(), ("out " + pre + "RealFft").c_str(), P::module});
    EXPECT_NE(y2, y);
    rec.clear();
    P::real2Nip(x.data(), nullptr, y.data(), oy.data(), order, VOK_Forw);
    P::ccs2(x.data(), nullptr, order, VOK_Forw);
    P::ccs2Nip(nullptr, bx.data(), y.data(), by.data(), order, VOK_Forw);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, (pre + "RealFftNip").c_str(), "outSamps==0", P::module},
                   {VOK_StatusBacktrace, (pre + "Real2FftNip").c_str(), ("out " + pre + "RealFftNip").c_str(), P::module},
                   {VOK_StatusBadArg, (pre + "CcsFft").c_str(), "samps==0", P::module},
                   {VOK_StatusBacktrace, (pre + "Ccs2Fft").c_str(), ("out " + pre + "CcsFft").c_str(), P::module},
                   {VOK_StatusBadArg, (pre + "CcsFftNip").c_str(), "inSamps==0", P::module},
                   {VOK_StatusBacktrace, (pre + "Ccs2FftNip").c_str(), ("out " + pre + "CcsFftNip").c_str(), P::module});
    vokSetErrStatus(VOK_StatusOk);
    // Init and Free make the x call only; null pointers are fine then.
    rec.clear();
    EXPECT_EQ(P::real2(nullptr, nullptr, 9, VOK_Forw | VOK_Init), VOK_StatusOk);
    EXPECT_EQ(P::ccs2(nullptr, nullptr, 9, VOK_Free), VOK_StatusOk);
    EXPECT_TRUE(rec.reports().empty());
}

TYPED_TEST(RealFft, PackedProducts) {
    using P = TypeParam;
    using R = typename P::R;
    for (int order = 0; order <= 7; ++order) {
        const long long n = 1LL << order;
        const auto sa = ffttest::randomComplex(n, order, true), sb = ffttest::randomComplex(n, order + 50, true);
        auto ba = ffttest::referenceDft(sa, true), bb = ffttest::referenceDft(sb, true);
        ba.resize(n / 2 + 1);
        bb.resize(n / 2 + 1);
        std::vector<LC> prod(n / 2 + 1);
        for (long long k = 0; k <= n / 2; ++k) {
            ba[k] = LC(R(ba[k].real()), R(ba[k].imag()));
            bb[k] = LC(R(bb[k].real()), R(bb[k].imag()));
            prod[k] = ba[k] * bb[k];
        }
        for (Layout layout : {Layout::kPack, Layout::kPerm}) {
            const auto a = pack<R>(ba, n, layout), b = pack<R>(bb, n, layout);
            std::vector<R> d3(n), d2 = b;
            (layout == Layout::kPack ? P::pack3 : P::perm3)(a.data(), b.data(), d3.data(), order);
            (layout == Layout::kPack ? P::pack2 : P::perm2)(a.data(), d2.data(), order);
            EXPECT_EQ(d2, d3);
            EXPECT_LT(ffttest::relativeError(unpack(d3, n, layout), prod), P::tolerance * 4) << order;
        }
    }
}

TYPED_TEST(RealFft, FailuresInOrder) {
    using P = TypeParam;
    using R = typename P::R;
    voktest::Sentinel s(66 * sizeof(R));
    R* d = s.as<R>();
    const std::string pre = P::prefix;
    const std::string fl = pre + "RealFftl", cl = pre + "CcsFftl", rn = pre + "RealFftNip", cn = pre + "CcsFftlNip",
                      p3 = pre + "MpyRCPack3", e2 = pre + "MpyRCPerm2";
    voktest::ReportSteps step(P::module);
    step(fl, "order<0", [&] { P::realFftl(d, -1, 257); });
    step(fl, "order>31", [&] { P::realFftl(d, 32, 257); });
    step(fl, "samps==0", [&] { P::realFftl(nullptr, 6, 3); });
    step(fl, "(flags & 1) && (flags & 2)", [&] { P::realFftl(d, 6, 3 | 256); });
    step(fl, "(flags & 1)==0 && (flags & 2)==0", [&] { P::realFftl(d, 6, 256); });
    step(fl, "(flags & 256) && (flags & 512)", [&] { P::realFftl(d, 6, 1 | 256 | 512); });
    step(fl, "(flags & 256)==0 && (flags & 512)==0", [&] { P::realFftl(d, 6, 1); });
    step(cl, "(flags & 1024) && (flags & 4096)", [&] { P::ccsFftl(d, 6, 2 | 1024 | 4096); });
    step(cl, "(flags & 1024)==0 && (flags & 4096)==0", [&] { P::ccsFftl(d, 6, 2 | 512); });
    step(rn, "inSamps==0", [&] { P::realFftNip(nullptr, d, 6, 1); });
    step(rn, "outSamps==0", [&] { P::realFftNip(d, nullptr, 6, 1); });
    step(cn, "outSamps==0", [&] { P::ccsFftlNip(d, nullptr, 6, 1 | 1024); });
    // No packing checks in the CCS forms.
    step(pre + "RealFft", "(flags & 1)==0 && (flags & 2)==0", [&] { P::realFft(d, 6, 0); });
    step(p3, "order<0", [&] { P::pack3(d, d, d, -1); });
    step(p3, "order>31", [&] { P::pack3(d, d, d, 32); });
    step(p3, "srcA==0", [&] { P::pack3(nullptr, d, d, 3); });
    step(p3, "srcB==0", [&] { P::pack3(d, nullptr, d, 3); });
    step(p3, "dst==0", [&] { P::pack3(d, d, nullptr, 3); });
    step(e2, "src==0", [&] { P::perm2(nullptr, d, 3); });
    step(e2, "dst==0", [&] { P::perm2(d, nullptr, 3); });
    EXPECT_TRUE(s.untouched());
}

TYPED_TEST(RealFft, TablesBuiltByInitReleasedByFreeAndAfterFailure) {
    using P = TypeParam;
    using R = typename P::R;
    ReportRecorder rec;
    auto& t = vok::threadContext().tables;
    P::realFftl(nullptr, 9, VOK_Forw | VOK_Init);
    EXPECT_NE(t.internalFft[P::precision][8][0], nullptr);
    EXPECT_NE(t.internalFft[P::precision][8][3], nullptr);
    EXPECT_NE(t.swap[8], nullptr);
    P::ccsFft(nullptr, 9, VOK_Inv | VOK_Init);
    EXPECT_NE(t.internalFft[P::precision][9][2], nullptr);
    P::realFftl(nullptr, 9, VOK_Free);
    EXPECT_EQ(t.internalFft[P::precision][8][3], nullptr);
    EXPECT_EQ(t.swap[8], nullptr);
    P::ccsFft(nullptr, 9, VOK_Free);
    EXPECT_EQ(t.internalFft[P::precision][9][2], nullptr);
    EXPECT_TRUE(rec.reports().empty());
    // A failed table allocation is retried once after releasing the precision's tables.
    std::vector<R> x(1024 + 2, R(1));
    P::realFft(nullptr, 10, VOK_Free);
    vok::testing::failAllocationAfter(1);
    P::realFft(x.data(), 10, VOK_Forw);
    vok::testing::failAllocationAfter(0);
    EXPECT_TRUE(rec.reports().empty());
    EXPECT_NEAR(x[0], 1024, 1e-3);
    vokSetErrStatus(VOK_StatusOk);
}

}  // namespace
