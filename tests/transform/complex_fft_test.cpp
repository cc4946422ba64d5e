// Complex FFTs of both precisions against long-double references for every
// order, form (in place, not in place, split arrays), direction, bit order
// and scaling flag, at every kernel width, up to orders beyond the caches;
// check order and messages of every failure; table release on failure.
#include <gtest/gtest.h>

#include <cstring>
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

struct Single {
    using R = float;
    using C = FloatComplex;
    static constexpr auto inPlace = vokcFft;
    static constexpr auto nip = vokcFftNip;
    static constexpr auto split = vokcrFft;
    static constexpr auto splitNip = vokcrFftNip;
    static constexpr long double tolerance = 2e-7L;
    static constexpr int sameAtEveryWidth = 16;  // up to this order
    static constexpr int precision = vok::kSingle;
    static constexpr const char* module = "vokffts";
    static constexpr const char* names[4] = {"vokcFft", "vokcFftNip", "vokcrFft", "vokcrFftNip"};
};
struct Double {
    using R = double;
    using C = DoubleComplex;
    static constexpr auto inPlace = vokzFft;
    static constexpr auto nip = vokzFftNip;
    static constexpr auto split = vokzrFft;
    static constexpr auto splitNip = vokzrFftNip;
    static constexpr long double tolerance = 4e-16L;
    static constexpr int sameAtEveryWidth = 16;
    static constexpr int precision = vok::kDouble;
    static constexpr const char* module = "vokfftd";
    static constexpr const char* names[4] = {"vokzFft", "vokzFftNip", "vokzrFft", "vokzrFftNip"};
};

enum Form { kInPlace, kNip, kSplit, kSplitNip };

// Runs one form on x (natural-order values as the caller stores them) and
// returns what the caller gets back.
template <class P>
std::vector<LC> run(Form form, const std::vector<LC>& x, int order, int flags) {
    using R = typename P::R;
    const std::size_t n = x.size();
    std::vector<R> a(2 * n), re(n), im(n);
    for (std::size_t k = 0; k < n; ++k) {
        a[2 * k] = R(x[k].real());
        a[2 * k + 1] = R(x[k].imag());
        re[k] = a[2 * k];
        im[k] = a[2 * k + 1];
    }
    const std::vector<R> a0 = a, re0 = re, im0 = im;
    std::vector<R> out(2 * n), reOut(n), imOut(n);
    auto* c = reinterpret_cast<typename P::C*>(a.data());
    auto* co = reinterpret_cast<typename P::C*>(out.data());
    switch (form) {
        case kInPlace: P::inPlace(c, order, flags); out = a; break;
        case kNip:
            P::nip(c, co, order, flags);
            EXPECT_EQ(a, a0) << "input changed";
            break;
        case kSplit:
            P::split(re.data(), im.data(), order, flags);
            reOut = re;
            imOut = im;
            break;
        case kSplitNip:
            P::splitNip(re.data(), im.data(), reOut.data(), imOut.data(), order, flags);
            EXPECT_EQ(re, re0);
            EXPECT_EQ(im, im0);
            break;
    }
    std::vector<LC> y(n);
    for (std::size_t k = 0; k < n; ++k)
        y[k] = form >= kSplit ? LC(reOut[k], imOut[k]) : LC(out[2 * k], out[2 * k + 1]);
    return y;
}

// The expected caller-visible result of flags on input x.
std::vector<LC> expected(const std::vector<LC>& stored, int order, int flags) {
    const std::size_t n = stored.size();
    std::vector<LC> x = stored;
    if (flags & VOK_InBitRev)
        for (std::size_t k = 0; k < n; ++k) x[k] = stored[ffttest::reverseBits(k, order)];
    std::vector<LC> y = ffttest::referenceDft(x, (flags & VOK_Forw) != 0);
    if ((flags & VOK_Inv) && !(flags & VOK_NoScale))
        for (auto& v : y) v /= (long double)n;
    if ((flags & VOK_OutBitRev) && !(flags & VOK_InBitRev)) {
        std::vector<LC> r(n);
        for (std::size_t k = 0; k < n; ++k) r[ffttest::reverseBits(k, order)] = y[k];
        y = r;
    }
    return y;
}

template <class P>
class ComplexFft : public ::testing::Test {};
using Precisions = ::testing::Types<Single, Double>;
TYPED_TEST_SUITE(ComplexFft, Precisions);

TYPED_TEST(ComplexFft, EveryOrderFormAndFlagAtEveryWidth) {
    using P = TypeParam;
    const int flagSets[] = {VOK_Forw,
                            VOK_Inv,
                            VOK_Inv | VOK_NoScale,
                            VOK_Forw | VOK_NoBitRev,
                            VOK_Forw | VOK_InBitRev,
                            VOK_Inv | VOK_InBitRev,
                            VOK_Forw | VOK_OutBitRev,
                            VOK_Inv | VOK_OutBitRev | VOK_NoScale};
    // References first: they do not depend on the width.
    std::vector<std::vector<LC>> inputs;
    std::vector<std::vector<std::vector<LC>>> wants;
    const int maxOrder = voktest::kEmulated ? 12 : 16;
    for (int order = 0; order <= maxOrder; ++order) {
        inputs.push_back(ffttest::randomComplex(1LL << order, 100 + order));
        wants.emplace_back();
        for (int flags : flagSets) wants.back().push_back(expected(inputs.back(), order, flags));
    }
    // Every width gives the first width's results bit for bit.
    std::vector<std::vector<LC>> firstWidth;
    voktest::forEachWidth([&] {
        std::size_t case_ = 0;
        for (int order = 0; order <= maxOrder; ++order) {
            for (std::size_t fi = 0; fi < std::size(flagSets); ++fi) {
                const int flags = flagSets[fi];
                // Long transforms: one form per flag set keeps the run short.
                for (int f = kInPlace; f <= kSplitNip; ++f) {
                    if (order > 11 && f != int(fi % 4)) continue;
                    const auto got = run<P>(Form(f), inputs[order], order, flags);
                    const long double err = ffttest::relativeError(got, wants[order][fi]);
                    ASSERT_LT(err, P::tolerance * (order + 2)) << "order " << order << " flags " << flags << " form " << f;
                    if (case_ == firstWidth.size()) firstWidth.push_back(got);
                    if (order <= P::sameAtEveryWidth)
                        ASSERT_EQ(got, firstWidth[case_]) << "order " << order << " flags " << flags << " form " << f;
                    ++case_;
                }
            }
        }
    });
}

// Long transforms: many tiles in the permuting first pass, stages larger than
// the caches. In place and not in place run the same arithmetic in the same
// order, so they agree bit for bit at every width.
TYPED_TEST(ComplexFft, LongOrdersAtEveryWidth) {
    using P = TypeParam;
    using R = typename P::R;
    using C = typename P::C;
    for (int order = 17; order <= (voktest::kEmulated ? 17 : 18); ++order) {
        const long long n = 1LL << order;
        const auto x = ffttest::randomComplex(n, 11 + order);
        const auto forward = ffttest::referenceDft(x, true), backward = ffttest::referenceDft(x, false);
        std::vector<R> input(2 * n);
        for (long long k = 0; k < n; ++k) {
            input[2 * k] = R(x[k].real());
            input[2 * k + 1] = R(x[k].imag());
        }
        voktest::forEachWidth([&] {
            for (int flags : {VOK_Forw, VOK_Inv | VOK_NoScale}) {
                std::vector<R> a = input, b(2 * n);
                P::inPlace(reinterpret_cast<C*>(a.data()), order, flags);
                P::nip(reinterpret_cast<const C*>(input.data()), reinterpret_cast<C*>(b.data()), order, flags);
                ASSERT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(R))) << order << " " << flags;
                std::vector<LC> got(n);
                for (long long k = 0; k < n; ++k) got[k] = LC(a[2 * k], a[2 * k + 1]);
                const long double err = ffttest::relativeError(got, flags == VOK_Forw ? forward : backward);
                EXPECT_LT(err, P::tolerance * (order + 2)) << order << " " << flags;
            }
        });
    }
}

TYPED_TEST(ComplexFft, InitBuildsAndFreeReleasesTables) {
    using P = TypeParam;
    ReportRecorder rec;
    auto& t = vok::threadContext().tables;
    P::inPlace(nullptr, 7, VOK_Forw | VOK_Init);
    EXPECT_NE(t.internalFft[P::precision][7][0], nullptr);
    EXPECT_NE(t.swap[7], nullptr);
    P::inPlace(nullptr, 7, VOK_Free);
    EXPECT_EQ(t.internalFft[P::precision][7][0], nullptr);
    EXPECT_EQ(t.swap[7], nullptr);
    P::inPlace(nullptr, 99, VOK_Free);  // any order, no report
    P::split(nullptr, nullptr, 5, VOK_Inv | VOK_Init);
    // Each bit order keeps a table of its own: after the Free of one, the
    // other's next call builds only the swap table (which every Free releases).
    for (int freed : {0, VOK_OutBitRev}) {
        P::inPlace(nullptr, 7, VOK_Forw | VOK_Init);
        P::inPlace(nullptr, 7, VOK_Forw | VOK_OutBitRev | VOK_Init);
        P::inPlace(nullptr, 7, VOK_Free | freed);
        vok::testing::failAllocationAfter(2);
        P::inPlace(nullptr, 7, VOK_Forw | (VOK_OutBitRev - freed) | VOK_Init);
        vok::testing::failAllocationAfter(0);
    }
    EXPECT_TRUE(rec.reports().empty());
}

TYPED_TEST(ComplexFft, FailuresInOrder) {
    using P = TypeParam;
    using R = typename P::R;
    using C = typename P::C;
    voktest::Sentinel s(64 * sizeof(C));
    C* d = s.as<C>();
    R* r = s.as<R>();
    voktest::ReportSteps step(P::module);
    const std::string fft = P::names[0], nip = P::names[1], split = P::names[2], splitNip = P::names[3];
    step(fft, "order<0", [&] { P::inPlace(d, -1, VOK_Forw); });
    step(fft, "order>31", [&] { P::inPlace(d, 32, VOK_Forw); });
    step(fft, "samps==0", [&] { P::inPlace(nullptr, 3, 3); });  // the pointer is checked before the flags
    step(fft, "(flags & 1) && (flags & 2)", [&] { P::inPlace(d, 3, 3); });
    step(fft, "(flags & 1)==0 && (flags & 2)==0", [&] { P::inPlace(d, 3, 0); });
    step(fft, "(flags & 64) && (flags & 128)", [&] { P::inPlace(d, 3, 1 + 64 + 128); });
    step(fft, "(flags & 64) && (flags & 32)", [&] { P::inPlace(d, 3, 1 + 64 + 32); });
    step(fft, "(flags & 32) && (flags & 128)", [&] { P::inPlace(d, 3, 2 + 32 + 128); });
    step(nip, "inSamps==0", [&] { P::nip(nullptr, d, 3, 1); });
    step(nip, "outSamps==0", [&] { P::nip(d, nullptr, 3, 1); });
    step(split, "reSamps==0", [&] { P::split(nullptr, r, 3, 1); });
    step(split, "imSamps==0", [&] { P::split(r, nullptr, 3, 1); });
    step(splitNip, "reInSamps==0", [&] { P::splitNip(nullptr, r, r, r, 3, 1); });
    step(splitNip, "imInSamps==0", [&] { P::splitNip(r, nullptr, r, r, 3, 1); });
    step(splitNip, "reOutSamps==0", [&] { P::splitNip(r, r, nullptr, r, 3, 1); });
    step(splitNip, "imOutSamps==0", [&] { P::splitNip(r, r, r, nullptr, 3, 1); });
    EXPECT_TRUE(s.untouched());
}

TYPED_TEST(ComplexFft, TableFailureReleasesThePrecisionsTables) {
    using P = TypeParam;
    using C = typename P::C;
    ReportRecorder rec;
    auto& t = vok::threadContext().tables;
    P::inPlace(nullptr, 4, VOK_Forw | VOK_Init);
    ASSERT_NE(t.internalFft[P::precision][4][0], nullptr);
    P::inPlace(nullptr, 8, VOK_Free);
    voktest::Sentinel s(256 * sizeof(C));
    vok::testing::failAllocationAfter(1);
    P::inPlace(s.as<C>(), 8, VOK_Forw);
    EXPECT_REPORTS(rec, {VOK_StatusNoMemory, P::names[0], "No working Twd memory", P::module});
    EXPECT_TRUE(s.untouched());
    EXPECT_EQ(t.internalFft[P::precision][4][0], nullptr);
    EXPECT_EQ(t.swap[4], nullptr);
    vok::testing::failAllocationAfter(0);
    vokSetErrStatus(VOK_StatusOk);
}

}  // namespace
