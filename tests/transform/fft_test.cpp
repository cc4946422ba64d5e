// Complex and real FFTs of both precisions and of 16 bits (every scale mode) against the
// long-double reference at every order, form, placement, direction, bit order, scaling
// flag and kernel width (the same bits at every width); the packed products, the tables
// Init builds and Free or a failed allocation releases, every failure report in check
// order. Bit reversal and twiddle tables: definitions, caching, capacity.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "frame/context.h"
#include "frame/test_seams.h"
#include "voktest/fft_reference.h"
#include "voktest/reports.h"
#include "voktest/values.h"
#include "voktest/vector_calls.h"
#include "voktest/widths.h"
#include "vok.h"

namespace {

using namespace ffttest;
using voktest::ReportRecorder;
using voktest::asLCs;

// The entry points of one precision: X the complex letter, L the real one. The largest
// error may reach the unit roundoff times order + 2 of the largest value.
#define FFT_PRECISION(Name, X, L, Real, Cx, tol, prec, mod)                                                                 \
    struct Name {                                                                                                           \
        using R = Real;                                                                                                     \
        using C = Cx;                                                                                                       \
        static constexpr auto fft = vok##X##Fft, fftNip = vok##X##FftNip, split = vok##X##rFft, splitNip = vok##X##rFftNip; \
        static constexpr auto realFft = vok##L##RealFft, realFftNip = vok##L##RealFftNip, realFftl = vok##L##RealFftl;      \
        static constexpr auto realFftlNip = vok##L##RealFftlNip, ccsFft = vok##L##CcsFft, ccsFftNip = vok##L##CcsFftNip;    \
        static constexpr auto ccsFftl = vok##L##CcsFftl, ccsFftlNip = vok##L##CcsFftlNip, real2 = vok##L##Real2Fft;         \
        static constexpr auto real2Nip = vok##L##Real2FftNip, ccs2 = vok##L##Ccs2Fft, ccs2Nip = vok##L##Ccs2FftNip;         \
        static constexpr auto pack2 = vok##L##MpyRCPack2, pack3 = vok##L##MpyRCPack3, perm2 = vok##L##MpyRCPerm2;           \
        static constexpr auto perm3 = vok##L##MpyRCPerm3;                                                                   \
        static constexpr long double tolerance = tol;                                                                       \
        static constexpr int precision = prec, minOrder = 0, maxOrder = 18, modes = 1, factors[1] = {0};                     \
        static constexpr const char* module = mod;                                                                          \
        static inline const std::string cx = "vok" #X, re = "vok" #L;                                                       \
        static long double gain(bool, long long) { return 1; }                                                              \
    };
FFT_PRECISION(Single, c, s, float, FloatComplex, 6e-8L, vok::kSingle, "vokffts")
FFT_PRECISION(Double, z, d, double, DoubleComplex, 1.2e-16L, vok::kDouble, "vokfftd")

// The 16-bit forms take the scale mode and factor of the run last set here.
int scaleMode, scaleFactor;
template <auto fn, class Ret, class... A>
Ret scaled(A... a) {
    fn(a..., scaleMode, &scaleFactor);
    return Ret(VOK_StatusOk);
}
// Modes 2 and 3 scale by the factor given (-1 a left shift), the automatic mode must
// return the fewest halvings that fit. Signals of ±8000 (y twice that), stored spectra of about ±400.
struct Int16 {
    using R = short;
    using C = ShortComplex;
    using Real = void (*)(R*, int, int);
    using Nip = void (*)(const R*, R*, int, int);
    using TwoNip = int (*)(const R*, R*, const R*, R*, int, int);
    static constexpr void (*fft)(C*, int, int) = scaled<vokvFft>, (*fftNip)(const C*, C*, int, int) = scaled<vokvFftNip>;
    static constexpr void (*split)(R*, R*, int, int) = scaled<vokvrFft>, (*splitNip)(const R*, const R*, R*, R*, int, int) = scaled<vokvrFftNip>;
    static constexpr Real realFft = scaled<vokwRealFft>, realFftl = scaled<vokwRealFftl>, ccsFft = scaled<vokwCcsFft>, ccsFftl = scaled<vokwCcsFftl>;
    static constexpr Nip realFftNip = scaled<vokwRealFftNip>, realFftlNip = scaled<vokwRealFftlNip>, ccsFftNip = scaled<vokwCcsFftNip>;
    static constexpr Nip ccsFftlNip = scaled<vokwCcsFftlNip>;
    static constexpr int (*real2)(R*, R*, int, int) = scaled<vokwReal2Fft>, (*ccs2)(R*, R*, int, int) = scaled<vokwCcs2Fft>;
    static constexpr TwoNip real2Nip = scaled<vokwReal2FftNip>, ccs2Nip = scaled<vokwCcs2FftNip>;
    static constexpr int minOrder = 1, maxOrder = 7, modes = 5, factors[5] = {0, 0, 3, -1, 0};
    static long double gain(bool spectrum, long long n) { return spectrum ? 400 / (8000 * std::sqrt((long double)n)) : 8000; }
};

enum Kind { kComplex, kReal, kSpectrum, kTwoReal, kTwoSpectrum };

// One caller-visible form: for complex, layout is 0 in place, 1 not in place,
// 2 split, 3 split not in place; for the real forms the spectrum layout.
struct Row { Kind kind; int layout, flags; bool nip; };

std::vector<Row> rows() {
    std::vector<Row> out;
    for (int flags : {VOK_Forw, VOK_Inv, VOK_Inv | VOK_NoScale, VOK_Forw | VOK_NoBitRev, VOK_Forw | VOK_InBitRev,
                      VOK_Inv | VOK_InBitRev, VOK_Forw | VOK_OutBitRev, VOK_Inv | VOK_OutBitRev | VOK_NoScale})
        for (int form = 0; form < 4; ++form) out.push_back({kComplex, form, flags, form % 2 == 1});
    for (int flags : {VOK_Forw, VOK_Inv, VOK_Inv | VOK_NoScale})
        for (bool nip : {false, true}) {
            for (int layout : {kPack, kPerm, kCcs}) out.insert(out.end(), {{kReal, layout, flags, nip}, {kSpectrum, layout, flags, nip}});
            out.insert(out.end(), {{kTwoReal, kCcs, flags, nip}, {kTwoSpectrum, kCcs, flags, nip}});
        }
    return out;
}

// Long complex transforms run one form per flag set; the longest only the
// interleaved forms, forward and unscaled inverse.
bool runs(const Row& r, int order, int index) {
    if (order > 16) return r.kind == kComplex && r.layout < 2 && (r.flags == VOK_Forw || r.flags == (VOK_Inv | VOK_NoScale));
    return order <= 11 || r.kind != kComplex || r.layout == index / 4 % 4;
}

// The stored spectrum the spectrum forms read: x's real part transformed,
// scaled and rounded to the element type.
template <class P>
std::vector<LC> stored(const std::vector<LC>& x) {
    const long long n = x.size();
    std::vector<LC> in(x);
    for (LC& v : in) v = v.real() * P::gain(true, n);
    in = referenceDft(in, true);
    in.resize(n / 2 + 1);
    return unpack(pack<typename P::R>(in, n, kCcs).data(), n, kCcs);
}

// What the caller should read back: the reference of the row's transform (the
// spectrum forms: of bins, x's stored spectrum; the two-signal forms: x's, then
// y's, which is twice x's).
template <class P>
std::vector<LC> expected(const Row& r, const std::vector<LC>& x, const std::vector<LC>& bins, int order) {
    const long long n = x.size();
    std::vector<LC> in = x, y;
    if (r.kind == kComplex) {
        const bool inRev = r.flags & VOK_InBitRev, outRev = (r.flags & VOK_OutBitRev) && !inRev;
        for (long long k = 0; k < n && inRev; ++k) in[k] = x[reverseBits(k, order)];
        y = spectrum(in, r.flags);
        for (long long k = 0; k < n && outRev; ++k) in[reverseBits(k, order)] = y[k];
        return outRev ? in : y;
    }
    for (LC& v : in) v = v.real();
    y = r.kind % 2 ? spectrum(in, r.flags) : ofBins(bins, n, r.flags);  // kReal, kTwoReal: the bins
    if (r.kind % 2) y.resize(n / 2 + 1);
    for (std::size_t k = 0, size = y.size(); k < size && r.kind >= kTwoReal; ++k) y.push_back(2.0L * y[k]);
    return y;
}

// Runs the row's form on x (or bins) and returns what the caller reads back. Outputs
// carry a guard element; inputs of the not-in-place forms stay as they were,
// and so does what an in-place output leaves of its buffer.
template <class P>
std::vector<LC> run(const Row& r, const std::vector<LC>& x, const std::vector<LC>& bins, int order) {
    using R = typename P::R;
    using C = typename P::C;
    const long long n = x.size(), size = r.layout == kCcs ? n / 2 * 2 + 2 : n;
    const R guard = R(-77);
    if (r.kind == kComplex) {
        std::vector<R> a(2 * n), re(n), im(n), reOut(n + 1, guard), imOut(n + 1, guard), room(2 * n + 40, guard);
        for (long long k = 0; k < n; ++k) {
            a[2 * k] = re[k] = R(x[k].real());
            a[2 * k + 1] = im[k] = R(x[k].imag());
        }
        const std::vector<R> a0 = a, re0 = re, im0 = im;
        // In place one value off the cache line, not in place on it: the
        // caller sees the same bits either way.
        R* place = reinterpret_cast<R*>((reinterpret_cast<std::uintptr_t>(room.data()) + 63) & ~std::uintptr_t(63)) + (r.layout ? 0 : 2);
        if (r.layout == 0) std::copy(a.begin(), a.end(), place);
        if (r.layout == 0) P::fft(reinterpret_cast<C*>(place), order, r.flags);
        if (r.layout == 1) P::fftNip(reinterpret_cast<C*>(a.data()), reinterpret_cast<C*>(place), order, r.flags);
        if (r.layout == 2) P::split(re.data(), im.data(), order, r.flags);
        if (r.layout == 3) P::splitNip(re.data(), im.data(), reOut.data(), imOut.data(), order, r.flags);
        EXPECT_TRUE(r.layout == 2 || (a == a0 && re == re0 && im == im0)) << "input changed";
        EXPECT_TRUE(r.layout >= 2 ? reOut.back() == guard && imOut.back() == guard : place[2 * n] == guard);
        std::vector<LC> y(n);
        for (long long k = 0; k < n; ++k)
            y[k] = r.layout == 2 ? LC(re[k], im[k]) : r.layout == 3 ? LC(reOut[k], imOut[k]) : LC(place[2 * k], place[2 * k + 1]);
        return y;
    }
    const bool fromReal = r.kind % 2, ccs = r.layout == kCcs;
    std::vector<R> in(size);
    for (long long k = 0; k < n && fromReal; ++k) in[k] = R(x[k].real());
    if (!fromReal) in = pack<R>(bins, n, r.layout);
    if (!fromReal && ccs && n > 1) in[1] = R(5);  // ignored imaginary parts
    if (!fromReal && ccs && n > 1) in[n + 1] = R(-3);
    // In place on a copy of the input: what the output leaves of it stays as it was.
    const long long outputs = fromReal ? size : n;
    std::vector<R> twice = in, out(std::max(size, outputs) + 1, guard);
    for (R& v : twice) v = R(2 * v);
    if (!r.nip) std::copy(in.begin(), in.end(), out.begin());
    std::vector<R> out2 = out;
    if (!r.nip) std::copy(twice.begin(), twice.end(), out2.begin());
    const std::vector<R> in0 = in, twice0 = twice, out0 = out, out20 = out2;
    const int packings[2][2] = {{VOK_InRCPack, VOK_InRCPerm}, {VOK_OutRCPack, VOK_OutRCPerm}};
    const int f = r.flags | (ccs ? 0 : packings[fromReal][r.layout]);
    if (r.kind >= kTwoReal && r.nip)  // y is twice x
        EXPECT_EQ((fromReal ? P::real2Nip : P::ccs2Nip)(in.data(), out.data(), twice.data(), out2.data(), order, f), VOK_StatusOk);
    else if (r.kind >= kTwoReal)
        EXPECT_EQ((fromReal ? P::real2 : P::ccs2)(out.data(), out2.data(), order, f), VOK_StatusOk);
    else if (r.nip)
        (fromReal ? (ccs ? P::realFftNip : P::realFftlNip) : (ccs ? P::ccsFftNip : P::ccsFftlNip))(in.data(), out.data(), order, f);
    else
        (fromReal ? (ccs ? P::realFft : P::realFftl) : (ccs ? P::ccsFft : P::ccsFftl))(out.data(), order, f);
    EXPECT_TRUE(in == in0 && twice == twice0) << "input changed";
    EXPECT_TRUE(std::equal(out.begin() + outputs, out.end(), out0.begin() + outputs) &&
                std::equal(out2.begin() + outputs, out2.end(), out20.begin() + outputs)) << "wrote past the output";
    // Float y is exactly twice x; 16-bit y is checked against its own reference.
    for (long long k = 0; k < outputs && r.kind >= kTwoReal && P::modes == 1; ++k) EXPECT_EQ(out2[k], 2 * out[k]) << "y at " << k;
    auto read = [&](const std::vector<R>& o) { return fromReal ? unpack(o.data(), n, r.layout) : std::vector<LC>(o.begin(), o.begin() + n); };
    std::vector<LC> got = read(out), y = read(out2);
    if (r.kind >= kTwoReal) got.insert(got.end(), y.begin(), y.end());
    return got;
}

template <class P> class Fft : public ::testing::Test {};
template <class P> class FftForms : public ::testing::Test {};
using Floats = ::testing::Types<Single, Double>;
using Precisions = ::testing::Types<Single, Double, Int16>;
TYPED_TEST_SUITE(Fft, Floats);
TYPED_TEST_SUITE(FftForms, Precisions);

// 16-bit: each part within one unit of the exact value brought to 16 bits by the mode.
TYPED_TEST(FftForms, EveryFormAgainstTheReferenceAtEveryWidth) {
    using P = TypeParam;
    const std::vector<Row> table = rows();
    for (int order = P::minOrder; order <= P::maxOrder; ++order) {
        if (voktest::kEmulated && order > 12 && order != 17) continue;
        std::vector<LC> x = asLCs(voktest::randomVector<DoubleComplex>(1LL << order, 100 + order));
        for (LC& v : x) v = P::modes == 1 ? v : LC(std::round(v.real() * P::gain(false, 1)), std::round(v.imag() * P::gain(false, 1)));
        const std::vector<LC> bins = stored<P>(x);  // what the spectrum forms read
        std::map<std::pair<int, int>, std::vector<LC>> wants;  // by kind and flags
        std::vector<std::vector<LC>> firstWidth(table.size() * P::modes);
        voktest::forEachWidth([&] {
            std::vector<std::vector<LC>> previous(P::modes);
            for (std::size_t i = 0; i < table.size(); ++i)
                for (int mode = 0; mode < P::modes; ++mode) {
                    const Row& r = table[i];
                    if (!runs(r, order, int(i))) continue;
                    std::vector<LC>& want = wants[{r.kind, r.flags}];
                    if (want.empty()) want = expected<P>(r, x, bins, order);
                    const std::string what = "order " + std::to_string(order) + " row " + std::to_string(i) + " mode " + std::to_string(mode);
                    scaleMode = mode;
                    scaleFactor = P::factors[mode];
                    const auto got = run<P>(r, x, bins, order);
                    const int sf = mode == VOK_AUTO_SCALE ? autoFactor(want) : P::factors[mode];
                    if constexpr (P::modes > 1) {
                        ASSERT_EQ(scaleFactor, sf) << what;
                        for (std::size_t k = 0; k < want.size(); ++k)
                            ASSERT_TRUE(std::abs(got[k].real() - to16(want[k].real(), mode, sf, true)) <= 1 &&
                                        std::abs(got[k].imag() - to16(want[k].imag(), mode, sf, true)) <= 1)
                                << what << " at " << k << ": " << got[k] << " for " << want[k];
                    } else {
                        ASSERT_LT(voktest::maxRelativeError(got, want), P::tolerance * (order + 2)) << what;
                    }
                    if (r.kind != kComplex && r.layout == kCcs) ASSERT_EQ(got[0].imag(), 0) << what;
                    // In place and not in place run the same arithmetic in the same order.
                    if (r.kind == kComplex && r.layout == 1 && runs(table[i - 1], order, int(i - 1)))
                        ASSERT_EQ(got, previous[mode]) << what;
                    std::vector<LC>& first = firstWidth[i * P::modes + mode];
                    if (first.empty()) first = got;
                    ASSERT_EQ(got, first) << what;
                    previous[mode] = got;
                }
        });
    }
}

TYPED_TEST(Fft, PackedProducts) {
    using P = TypeParam;
    using R = typename P::R;
    for (int order = 0; order <= 7; ++order)
        for (int layout : {kPack, kPerm}) {
            const long long n = 1LL << order;
            // The products of what the caller can store.
            const auto a = pack<R>(referenceDft(asLCs(voktest::randomVector<double>(n, order)), true), n, layout);
            const auto b = pack<R>(referenceDft(asLCs(voktest::randomVector<double>(n, order + 50)), true), n, layout);
            std::vector<LC> prod = unpack(a.data(), n, layout), bins = unpack(b.data(), n, layout);
            for (long long k = 0; k <= n / 2; ++k) prod[k] *= bins[k];
            std::vector<R> d3(n + 1, R(-77)), d2 = b;
            (layout == kPack ? P::pack3 : P::perm3)(a.data(), b.data(), d3.data(), order);
            (layout == kPack ? P::pack2 : P::perm2)(a.data(), d2.data(), order);
            EXPECT_EQ(d3.back(), R(-77));
            EXPECT_EQ(d2, std::vector<R>(d3.begin(), d3.end() - 1));
            EXPECT_LT(voktest::maxRelativeError(unpack(d3.data(), n, layout), prod), P::tolerance * 4) << order;
        }
}

TYPED_TEST(Fft, TablesBuiltByInitReleasedByFreeAndAfterFailure) {
    using P = TypeParam;
    using R = typename P::R;
    ReportRecorder rec;
    auto& t = vok::threadContext().tables;
    auto* fft = t.internalFft[P::precision];
    P::fft(nullptr, 7, VOK_Forw | VOK_Init);
    EXPECT_TRUE(fft[7][0] != nullptr && t.swap[7] != nullptr);
    P::fft(nullptr, 7, VOK_Free);
    EXPECT_TRUE(fft[7][0] == nullptr && t.swap[7] == nullptr);
    P::fft(nullptr, 99, VOK_Free);  // any order, no report
    P::split(nullptr, nullptr, 5, VOK_Inv | VOK_Init);
    // Each bit order keeps a table of its own: after the Free of one, the
    // other's next call builds only the swap table (which every Free releases).
    for (int freed : {0, VOK_OutBitRev}) {
        P::fft(nullptr, 7, VOK_Forw | VOK_Init);
        P::fft(nullptr, 7, VOK_Forw | VOK_OutBitRev | VOK_Init);
        P::fft(nullptr, 7, VOK_Free | freed);
        vok::testing::failAllocationAfter(2);
        P::fft(nullptr, 7, VOK_Forw | (VOK_OutBitRev - freed) | VOK_Init);
        vok::testing::failAllocationAfter(0);
    }
    // A real transform of order m uses the complex tables of order m - 1.
    P::realFftl(nullptr, 9, VOK_Forw | VOK_Init);
    EXPECT_TRUE(fft[8][0] != nullptr && fft[8][3] != nullptr && t.swap[8] != nullptr);
    P::ccsFft(nullptr, 9, VOK_Inv | VOK_Init);
    EXPECT_NE(fft[9][2], nullptr);
    P::realFftl(nullptr, 9, VOK_Free);
    EXPECT_TRUE(fft[8][3] == nullptr && t.swap[8] == nullptr);
    P::ccsFft(nullptr, 9, VOK_Free);
    EXPECT_EQ(fft[9][2], nullptr);
    // A failed table allocation is retried once after releasing the precision's tables.
    P::realFft(nullptr, 10, VOK_Free);
    std::vector<R> x(1024 + 2, R(1));
    vok::testing::failAllocationAfter(1);
    P::realFft(x.data(), 10, VOK_Forw);
    EXPECT_NEAR(x[0], 1024, 1e-3);
    EXPECT_TRUE(rec.reports().empty());
    // A second failure is reported, writes nothing and leaves the precision without tables.
    P::fft(nullptr, 4, VOK_Forw | VOK_Init);
    ASSERT_NE(fft[4][0], nullptr);
    P::fft(nullptr, 8, VOK_Free);
    voktest::Sentinel s(256 * sizeof(typename P::C));
    vok::testing::failAllocationAfter(1);
    P::fft(s.as<typename P::C>(), 8, VOK_Forw);
    vok::testing::failAllocationAfter(0);
    EXPECT_REPORTS(rec, {VOK_StatusNoMemory, (P::cx + "Fft").c_str(), "No working Twd memory", P::module});
    EXPECT_TRUE(s.untouched() && fft[4][0] == nullptr && t.swap[4] == nullptr);
    vokSetErrStatus(VOK_StatusOk);
}

TYPED_TEST(Fft, FailuresInOrder) {
    using P = TypeParam;
    using R = typename P::R;
    const std::string cx = P::cx, re = P::re;
    const char *fwInv = "(flags & 1) && (flags & 2)", *noDir = "(flags & 1)==0 && (flags & 2)==0";
    voktest::CheckTable t(P::module);
    t(cx + "Fft", P::fft, {3, 1},
      {{1, "order<0", -1}, {1, "order>31", 32}, {0, "samps==0"}, {2, fwInv, 3}, {2, noDir, 0},
       {2, "(flags & 64) && (flags & 128)", 1 + 64 + 128}, {2, "(flags & 64) && (flags & 32)", 1 + 64 + 32},
       {2, "(flags & 32) && (flags & 128)", 2 + 32 + 128}});
    t(cx + "FftNip", P::fftNip, {3, 1}, {{0, "inSamps==0"}, {1, "outSamps==0"}});
    t(cx + "rFft", P::split, {3, 1}, {{0, "reSamps==0"}, {1, "imSamps==0"}});
    t(cx + "rFftNip", P::splitNip, {3, 1},
      {{0, "reInSamps==0"}, {1, "imInSamps==0"}, {2, "reOutSamps==0"}, {3, "imOutSamps==0"}});
    t(re + "RealFftl", P::realFftl, {6, 257},
      {{1, "order<0", -1}, {1, "order>31", 32}, {0, "samps==0"}, {2, fwInv, 3 | 256}, {2, noDir, 256},
       {2, "(flags & 256) && (flags & 512)", 1 | 256 | 512}, {2, "(flags & 256)==0 && (flags & 512)==0", 1}});
    t(re + "CcsFftl", P::ccsFftl, {6, 2 | 1024},
      {{2, "(flags & 1024) && (flags & 4096)", 2 | 1024 | 4096}, {2, "(flags & 1024)==0 && (flags & 4096)==0", 2 | 512}});
    t(re + "RealFftNip", P::realFftNip, {6, 1}, {{0, "inSamps==0"}, {1, "outSamps==0"}});
    t(re + "CcsFftlNip", P::ccsFftlNip, {6, 1 | 1024}, {{1, "outSamps==0"}});
    t(re + "RealFft", P::realFft, {6, 1}, {{2, noDir, 0}});  // no packing checks in the CCS forms
    t(re + "MpyRCPack3", P::pack3, {3},
      {{3, "order<0", -1}, {3, "order>31", 32}, {0, "srcA==0"}, {1, "srcB==0"}, {2, "dst==0"}});
    t(re + "MpyRCPerm2", P::perm2, {3}, {{0, "src==0"}, {1, "dst==0"}});
    // The two-signal forms pass a failure of the x call on, and y is still
    // transformed; with VOK_Init or VOK_Free they make the x call only.
    auto twice = [&](auto call, const std::string& one, const char* context) {
        const std::string x = re + one, y = re + one.substr(0, one.find('F')) + "2" + one.substr(one.find('F')), out = "out " + x;
        t.run(call, {{VOK_StatusBadArg, x.c_str(), context, P::module}, {VOK_StatusBacktrace, y.c_str(), out.c_str(), P::module}});
    };
    std::vector<R> x(66, R(1)), y(66, R(1)), out(66);
    twice([&] { EXPECT_EQ(P::real2(nullptr, y.data(), 6, VOK_Forw), VOK_StatusBacktrace); }, "RealFft", "samps==0");
    EXPECT_NE(y[0], R(1));
    twice([&] { P::real2Nip(x.data(), nullptr, y.data(), out.data(), 6, 1); }, "RealFftNip", "outSamps==0");
    twice([&] { P::ccs2(x.data(), nullptr, 6, VOK_Forw); }, "CcsFft", "samps==0");
    twice([&] { P::ccs2Nip(nullptr, out.data(), y.data(), out.data(), 6, 1); }, "CcsFftNip", "inSamps==0");
    t.run([&] { P::real2(nullptr, nullptr, 9, VOK_Forw | VOK_Init); }, {});
    t.run([&] { P::ccs2(nullptr, nullptr, 9, VOK_Free); }, {});
    vokSetErrStatus(VOK_StatusOk);
}

// dst[rev(k)] = src[k] out of place and in place, the source left alone.
template <class E>
void checkPermutations(std::pair<void (*)(E*, int), void (*)(const E*, E*, int)> calls) {
    const auto [one, two] = calls;
    constexpr std::size_t size = sizeof(E);
    for (int order = 0; order <= 13; ++order) {
        std::vector<unsigned char> src(size << order), dst(src.size()), in(src.size()), want(src.size());
        for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<unsigned char>(i / size * 31 + i % size * 7 + (i / size >> 8));
        for (std::size_t i = 0; i < src.size(); ++i) want[reverseBits(i / size, order) * size + i % size] = src[i];
        const std::vector<unsigned char> src0 = in = src;
        two(reinterpret_cast<const E*>(src.data()), reinterpret_cast<E*>(dst.data()), order);
        one(reinterpret_cast<E*>(in.data()), order);
        ASSERT_EQ(src, src0) << "source changed";
        ASSERT_TRUE(dst == want && in == want) << order;
    }
}

TEST(BitRev, IndicesTablesAndPermutationsOfEveryElementSize) {
    EXPECT_EQ(vokBitRev(12345, 0), 0);
    EXPECT_EQ(vokBitRev(241, 2), 2);  // only the low bits count
    EXPECT_EQ(vokBitRev(1, 31), 1 << 30);
    for (int order = 0; order <= 14; ++order) {
        std::vector<int> tbl(1 << order, -1);
        vokCalcBitRevTbl(tbl.data(), order);
        const int* cached = vokGetBitRevTbl(order);
        ASSERT_TRUE(cached != nullptr && vokGetBitRevTbl(order) == cached);
        for (int i = 0; i < 1 << order; ++i) {
            ASSERT_EQ(tbl[i], reverseBits(i, order)) << order << " " << i;
            ASSERT_TRUE(cached[i] == tbl[i] && vokBitRev(i, order) == tbl[i]);
        }
    }
    std::apply([](auto... calls) { (checkPermutations(calls), ...); },
               std::tuple{std::pair{&vokwbBitRev1, &vokwbBitRev2}, std::pair{&vokvbBitRev1, &vokvbBitRev2}, std::pair{&voksbBitRev1, &voksbBitRev2},
                          std::pair{&vokcbBitRev1, &vokcbBitRev2}, std::pair{&vokdbBitRev1, &vokdbBitRev2}, std::pair{&vokzbBitRev1, &vokzbBitRev2}});
    // Order 6: M = 16 middle values over 4 bits; pairs (1,8) (2,4) (3,12) (5,10) (7,14) (11,13),
    // then 0, then the self-reversed 15, 9, 6, then 0.
    const auto& t = vok::threadContext().tables;
    ASSERT_NE(t.swap[6], nullptr);
    EXPECT_EQ(std::vector<int>(t.swap[6], t.swap[6] + 17),
              (std::vector<int>{4, 32, 8, 16, 12, 48, 20, 40, 28, 56, 44, 52, 0, 60, 36, 24, 0}));
    vokFreeBitRevTbls();
    EXPECT_TRUE(t.swap[6] == nullptr && t.bitRev[9] == nullptr);
}

// Entry k of length n is exp(-2πi·k/n) with the angle k·(2π/n) in double,
// rounded to the element type (16-bit: 2^14 times it, truncated).
template <class C>
void checkTwiddles(C* (*getDft)(int), void (*calcDft)(C*, int), C* (*getFft)(int), void (*calcFft)(C*, int)) {
    using R = decltype(C::re);
    const long double scale = std::is_same_v<R, short> ? 16384 : 1;
    for (int length : {1, 2, 3, 5, 12, 100, 1000, -1, -2, -4, -8, -16, -256, -4096}) {  // negative: FFT of -length
        const int n = std::abs(length), order = std::ilogb(n);
        std::vector<C> t(n);
        length > 0 ? calcDft(t.data(), n) : calcFft(t.data(), order);
        const C* cached = length > 0 ? getDft(n) : getFft(order);
        ASSERT_TRUE(cached != nullptr && cached == (length > 0 ? getDft(n) : getFft(order)));
        for (int k = 0; k < n; ++k) {
            const long double a = double(k) * (6.283185307179586 / double(n)), c = scale * std::cos(a), s = -scale * std::sin(a);
            ASSERT_TRUE(t[k].re == R(scale > 1 ? std::trunc(c) : c) && t[k].im == R(scale > 1 ? std::trunc(s) : s)) << k << "/" << n;
        }
        ASSERT_TRUE(voktest::sameBits(cached, t.data(), n));
    }
}

// Each kind's list holds 32 lengths: past them the look-up reports the full list, and so does a DFT of a new length
// (writing nothing), and while that failure is pending even a listed length's; once cleared, a listed length works.
// Free empties the list and releases the kind's FFT twiddles, the precision's internal FFT tables and the swap tables.
TEST(Twiddles, EntriesListCapacityAndRelease) {
    checkTwiddles<FloatComplex>(vokcGetDftTwdTbl, vokcCalcDftTwdTbl, vokcGetFftTwdTbl, vokcCalcFftTwdTbl);
    checkTwiddles<DoubleComplex>(vokzGetDftTwdTbl, vokzCalcDftTwdTbl, vokzGetFftTwdTbl, vokzCalcFftTwdTbl);
    checkTwiddles<ShortComplex>(vokvGetDftTwdTbl, vokvCalcDftTwdTbl, vokvGetFftTwdTbl, vokvCalcFftTwdTbl);
    vokvFreeTwdTbls();
    voktest::ReportRecorder rec;
    auto& ctx = vok::threadContext();
    vokcFreeTwdTbls();
    const int capacity = 32;
    std::vector<FloatComplex> ones(capacity + 1, FloatComplex{1, 1}), res(capacity + 1);
    std::vector<FloatComplex*> tables;
    for (int n = 1; n <= capacity; ++n) {
        vokcDft(ones.data(), res.data(), n, VOK_Forw);
        tables.push_back(vokcGetDftTwdTbl(n));
    }
    EXPECT_EQ(std::count(tables.begin(), tables.end(), nullptr), 0);
    EXPECT_EQ(vokcGetDftTwdTbl(capacity + 1), nullptr);
    const voktest::Expected fullList{VOK_StatusNoMemory, "vokcGetDftTwdTbl", "Full Table", "voktwd"};
    const voktest::Expected noTable{VOK_StatusBadArg, "vokcDft", "TwdTbl==0", "vokdft"};
    EXPECT_REPORTS(rec, fullList);
    rec.clear();
    voktest::Sentinel full((capacity + 1) * sizeof(FloatComplex));
    vokcDft(ones.data(), full.as<FloatComplex>(), capacity + 1, VOK_Forw);
    vokcDft(ones.data(), full.as<FloatComplex>(), capacity, VOK_Forw);
    EXPECT_REPORTS(rec, fullList, noTable, noTable);
    EXPECT_TRUE(full.untouched());
    rec.clear();
    EXPECT_EQ(vokcGetDftTwdTbl(17), tables[16]);
    vokcDft(ones.data(), res.data(), capacity, VOK_Forw);
    EXPECT_REPORTS(rec);
    EXPECT_FLOAT_EQ(res[0].re, float(capacity));
    EXPECT_NE(vokzGetDftTwdTbl(33), nullptr);  // each kind counts its own
    vokcFreeTwdTbls();
    EXPECT_EQ(ctx.dftCount[vok::kKindC], 0);
    EXPECT_NE(vokcGetDftTwdTbl(33), nullptr);
    vokcFreeTwdTbls();
    vokzGetFftTwdTbl(5);
    vokzFft(nullptr, 6, VOK_Forw | VOK_Init);
    EXPECT_TRUE(ctx.tables.internalFft[vok::kDouble][6][0] != nullptr && ctx.tables.swap[6] != nullptr);
    vokzFreeTwdTbls();
    EXPECT_TRUE(ctx.tables.fftTwiddle[vok::kKindZ][5] == nullptr && ctx.dftCount[vok::kKindZ] == 0);
    EXPECT_TRUE(ctx.tables.internalFft[vok::kDouble][6][0] == nullptr && ctx.tables.swap[6] == nullptr);
}

TEST(Tables, FailuresInOrder) {
    using Rows = std::vector<voktest::BadArg>;
    const Rows order = {{1, "order<0", -1}, {1, "order>31", 32}};
    voktest::CheckTable misc("vokmisc"), twd("voktwd");
    for (int bad : {-1, 32})  // returns zero, not the status
        misc.run([&] { EXPECT_EQ(vokBitRev(5, bad), 0); }, {{VOK_StatusBadArg, "vokBitRev", order[bad > 0].context, "vokmisc"}});
    VOK_CHECK_TABLE(misc, vokCalcBitRevTbl, {order[0], order[1], {0, "tbl==0"}});
    VOK_CHECK_TABLE(misc, vokGetBitRevTbl, {{0, "order<0", -2}, {0, "order>31", 40}});
    VOK_CHECK_EACH(misc, (Rows{order[0], order[1], {0, "vec==0"}}), vokwbBitRev1, vokvbBitRev1, voksbBitRev1,
                   vokcbBitRev1, vokdbBitRev1, vokzbBitRev1);
    VOK_CHECK_EACH(misc, (Rows{{2, "order<0", -1}, {2, "order>31", 32}, {0, "src==0"}, {1, "dst==0"}}), vokwbBitRev2,
                   vokvbBitRev2, voksbBitRev2, vokcbBitRev2, vokdbBitRev2, vokzbBitRev2);
    // A negative status left behind makes vokBitRev return 0 until reset.
    misc.run([&] {
        vokSetErrStatus(VOK_StatusBadArg);
        EXPECT_EQ(vokBitRev(6, 3), 0);
    }, {});
    misc.run([&] { EXPECT_EQ(vokBitRev(6, 3), 3); }, {});
    VOK_CHECK_EACH(twd, (Rows{{1, "length<=0", 0}, {0, "tbl==0"}}), vokcCalcDftTwdTbl, vokzCalcDftTwdTbl, vokvCalcDftTwdTbl);
    VOK_CHECK_EACH(twd, (Rows{order[0], order[1], {0, "tbl==0"}}), vokcCalcFftTwdTbl, vokzCalcFftTwdTbl, vokvCalcFftTwdTbl);
    VOK_CHECK_EACH(twd, (Rows{{0, "length<=0", 0}}), vokcGetDftTwdTbl, vokzGetDftTwdTbl, vokvGetDftTwdTbl);
    VOK_CHECK_EACH(twd, (Rows{{0, "order<0", -1}, {0, "order>31", 32}}), vokcGetFftTwdTbl, vokzGetFftTwdTbl, vokvGetFftTwdTbl);
    // Allocation failures: nothing is cached, a retry builds the table; without
    // a swap table the data stay as they were.
    vokSetErrStatus(VOK_StatusOk);
    vokFreeBitRevTbls();
    vokcFreeTwdTbls();
    auto failing = [](auto call) { return [=] { vok::testing::failAllocationAfter(1); call(); }; };
    const auto noMemory = [](const char* fn, const char* mod) { return std::vector<voktest::Expected>{{VOK_StatusNoMemory, fn, "NULL Pointer", mod}}; };
    misc.run(failing([] { EXPECT_EQ(vokGetBitRevTbl(5), nullptr); }), noMemory("vokGetBitRevTbl", "vokmisc"));
    misc.run([] { EXPECT_NE(vokGetBitRevTbl(5), nullptr); }, {});
    vokFreeBitRevTbls();
    misc.run(failing([&] { vokdbBitRev1(misc.buffer<double>(), 6); }), noMemory("vokdbBitRev1", "vokmisc"));
    twd.run(failing([] { EXPECT_EQ(vokcGetFftTwdTbl(4), nullptr); }), noMemory("vokcGetFftTwdTbl", "voktwd"));
    twd.run(failing([] { EXPECT_EQ(vokcGetDftTwdTbl(9), nullptr); }), noMemory("vokcGetDftTwdTbl", "voktwd"));
    vok::testing::failAllocationAfter(0);
    EXPECT_EQ(vok::threadContext().dftCount[vok::kKindC], 0);
    vokSetErrStatus(VOK_StatusOk);
}

}  // namespace
