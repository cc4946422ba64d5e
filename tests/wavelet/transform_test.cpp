// Wavelet decomposition and reconstruction: against a long-double evaluation
// of the periodic filter-bank definition (indices taken modulo the band, no
// padding), against PyWavelets' periodized DWT up to the alignment of the
// periodic signal, perfect reconstruction for every predefined bank at every
// level, the 16-bit forms, and every failure report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "frame/test_seams.h"
#include "support/reports.h"
#include "support/widths.h"
#include "vok.h"
#include "wavelet_support.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;
using namespace wavtest;
using Long = std::vector<long double>;

long double tapOf(const VokWtState& st, int filter, int k) {
    if (st.core == 2) return static_cast<const double*>(st.tap_filt[filter])[k];
    return static_cast<const float*>(st.tap_filt[filter])[k];
}

long double filterModulo(const VokWtState& st, int filter, const Long& band, long long at) {
    const long long n = (long long)band.size();
    long double sum = 0;
    for (int k = 0; k < st.filtLen[filter]; ++k) sum += tapOf(st, filter, k) * band[size_t(((at - k) % n + n) % n)];
    return sum;
}

Long referenceDecompose(const VokWtState& st, Long x) {
    size_t n = x.size();
    for (int lev = 0; lev < st.level; ++lev) {
        const Long band(x.begin(), x.begin() + long(n));
        const size_t h = n / 2;
        for (size_t i = 0; i < h; ++i) {
            x[i] = filterModulo(st, 0, band, st.filtOffset[0] + 2 * (long long)i);
            x[h + i] = filterModulo(st, 1, band, st.filtOffset[1] + 2 * (long long)i);
        }
        n = h;
    }
    return x;
}

Long referenceReconstruct(const VokWtState& st, const Long& src) {
    size_t a = src.size() >> st.level;
    Long out(src.begin(), src.begin() + long(a));
    size_t detail = a;
    for (int lev = 0; lev < st.level; ++lev) {
        Long up(2 * a, 0), upDetail(2 * a, 0);
        for (size_t i = 0; i < a; ++i) {
            up[2 * i] = out[i];
            upDetail[2 * i] = src[detail + i];
        }
        out.assign(2 * a, 0);
        for (size_t m = 0; m < 2 * a; ++m)
            out[m] = filterModulo(st, 2, up, st.filtOffset[2] + (long long)m) +
                     filterModulo(st, 3, upDetail, st.filtOffset[3] + (long long)m);
        detail += a;
        a *= 2;
    }
    return out;
}

std::vector<double> randomSignal(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1, 1);
    std::vector<double> x(n);
    for (auto& v : x) v = dist(gen);
    return x;
}

template <class T>
double worstError(const std::vector<T>& got, const Long& want) {
    long double worst = 0;
    for (size_t i = 0; i < want.size(); ++i) worst = std::max(worst, std::fabs((long double)got[i] - want[i]));
    return double(worst);
}

template <class T>
class WaveletTransform : public ::testing::Test {};
using RealTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(WaveletTransform, RealTypes);

// Every predefined bank, orders 1 ... 7, every level: bands down to two samples
// with filters of up to 30 taps wrap around the band many times.
TYPED_TEST(WaveletTransform, MatchesTheDefinitionAndReconstructsForEveryBankAndLevel) {
    using F = Forms<TypeParam>;
    const double tolerance = std::is_same_v<TypeParam, float> ? 2e-5 : 1e-13;
    for (const auto& f : allFamilies()) {
        for (int order = 1; order <= 7; ++order) {
            for (int level = 0; level < order; ++level) {
                SCOPED_TRACE(testing::Message() << f.label() << " order " << order << " level " << level);
                Record<TypeParam> r(f.type, f.par1, f.par2, order, level);
                ASSERT_TRUE(r.ok());
                const size_t N = size_t(1) << order;
                const auto x = randomSignal(N, unsigned(order * 100 + level));
                std::vector<TypeParam> src(x.begin(), x.end()), coeffs(N), back(N);
                ASSERT_EQ(F::decompose(&r.st, src.data(), coeffs.data()), 0);
                const Long want = referenceDecompose(r.st, Long(src.begin(), src.end()));
                EXPECT_LT(worstError(coeffs, want), tolerance * (1 << level));
                ASSERT_EQ(F::reconstruct(&r.st, coeffs.data(), back.data()), 0);
                const Long wantBack = referenceReconstruct(r.st, Long(coeffs.begin(), coeffs.end()));
                EXPECT_LT(worstError(back, wantBack), 4 * tolerance * (1 << level));
                // The published tables limit how exactly a bank inverts itself:
                // about 1e-8 for the Vaidyanathan filter, 1e-12 for the Symmlets.
                const double exactness = f.type == VOK_WtVaidyanathan ? 1e-6 : f.type == VOK_WtSymmlet ? 1e-10 : 0;
                EXPECT_LT(worstError(back, Long(src.begin(), src.end())), 4 * tolerance * (1 << level) + exactness);
            }
        }
    }
}

// Bands long enough for the full blocks of every kernel width: every width
// gives the same bits, and they match the definition.
TYPED_TEST(WaveletTransform, EveryKernelWidthGivesTheSameBitsOnLongBands) {
    using F = Forms<TypeParam>;
    const double tolerance = std::is_same_v<TypeParam, float> ? 2e-5 : 1e-13;
    const int order = 10;
    const size_t N = size_t(1) << order;
    for (const auto& f : allFamilies()) {
        for (int level : {1, 4, 9}) {
            SCOPED_TRACE(testing::Message() << f.label() << " level " << level);
            Record<TypeParam> r(f.type, f.par1, f.par2, order, level);
            ASSERT_TRUE(r.ok());
            const auto x = randomSignal(N, unsigned(level));
            const std::vector<TypeParam> src(x.begin(), x.end());
            const Long want = referenceDecompose(r.st, Long(src.begin(), src.end()));
            std::vector<TypeParam> firstCoeffs, firstBack;
            voktest::forEachWidth([&] {
                std::vector<TypeParam> coeffs(N), back(N);
                ASSERT_EQ(F::decompose(&r.st, src.data(), coeffs.data()), 0);
                ASSERT_EQ(F::reconstruct(&r.st, coeffs.data(), back.data()), 0);
                if (firstCoeffs.empty()) {
                    firstCoeffs = coeffs;
                    firstBack = back;
                    EXPECT_LT(worstError(coeffs, want), tolerance * (1 << level));
                    EXPECT_LT(worstError(back, referenceReconstruct(r.st, Long(coeffs.begin(), coeffs.end()))),
                              4 * tolerance * (1 << level));
                }
                EXPECT_EQ(coeffs, firstCoeffs);
                EXPECT_EQ(back, firstBack);
            });
        }
    }
}

TYPED_TEST(WaveletTransform, HaarOnFourSamples) {
    using F = Forms<TypeParam>;
    Record<TypeParam> r(VOK_WtHaar, 0, 0, 2, 1);
    const TypeParam a = 3, b = 10, c = -4, d = 7.5;
    const TypeParam x[4] = {a, b, c, d};
    TypeParam y[4], back[4];
    ASSERT_EQ(F::decompose(&r.st, x, y), 0);
    const TypeParam want[4] = {(a + b) / 2, (c + d) / 2, (b - a) / 2, (d - c) / 2};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(y[i], want[i]) << i;
    ASSERT_EQ(F::reconstruct(&r.st, y, back), 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(back[i], x[i]) << i;  // exact: the Haar taps are 1/2 and 1
}

TYPED_TEST(WaveletTransform, LevelZeroCopiesBothWays) {
    using F = Forms<TypeParam>;
    Record<TypeParam> r(VOK_WtCoiflet, 3, 0, 1, 0);  // order 1 allows level 0 only
    const TypeParam x[2] = {1.25, -7};
    TypeParam y[2] = {}, z[2] = {};
    EXPECT_EQ(F::decompose(&r.st, x, y), 0);
    EXPECT_EQ(F::reconstruct(&r.st, x, z), 0);
    EXPECT_EQ(std::memcmp(x, y, sizeof x), 0);
    EXPECT_EQ(std::memcmp(x, z, sizeof x), 0);
}

// One level coincides with PyWavelets' periodized DWT of the reversed signal
// (our analysis filters are its synthesis ones), once rotated into place.
TEST(WaveletTransform, OneLevelMatchesPyWaveletsUpToAlignment) {
    const int N = 32;
    const auto x = pywtInput(N);
    const double s = std::sqrt(2.0);
    for (const auto& f : orthogonalFamilies()) {
        SCOPED_TRACE(f.pywtName);
        Record<double> r(f.type, f.par1, 0, 5, 1);
        std::vector<double> y(N);
        ASSERT_EQ(vokdWtDecompose(&r.st, x.data(), y.data()), 0);
        bool matched = false;
        for (int rot = 0; rot < 2 && !matched; ++rot) {
            const auto it = pywtData().dwt.find(f.pywtName + "/" + std::to_string(rot));
            ASSERT_NE(it, pywtData().dwt.end());
            const auto& ref = it->second;
            ASSERT_EQ(ref.cA.size(), size_t(N / 2));
            for (int shift = 0; shift < N / 2 && !matched; ++shift) {
                double worst = 0;
                for (int i = 0; i < N / 2; ++i) {
                    // Output i of the reversed signal is output -i here, up to the shift.
                    const int j = ((shift - i) % (N / 2) + N / 2) % (N / 2);
                    worst = std::max(worst, std::fabs(y[size_t(i)] * s - ref.cA[size_t(j)]));
                    worst = std::max(worst, std::fabs(std::fabs(y[size_t(N / 2 + i)] * s) - std::fabs(ref.cD[size_t(j)])));
                }
                matched = worst < 1e-10;
            }
        }
        EXPECT_TRUE(matched);
    }
}

// ---- 16-bit forms ----

short roundSaturated(float v) {
    const double r = std::nearbyint(double(v));
    return short(std::clamp(r, -32768.0, 32767.0));
}

TEST(WaveletTransform, SixteenBitFormsRoundTheFloatTransform) {
    std::mt19937 gen(5);
    std::uniform_int_distribution<int> dist(-32768, 32767);
    for (const auto& f : allFamilies()) {
        SCOPED_TRACE(f.label());
        Record<short> w(f.type, f.par1, f.par2, 6, 3);
        Record<float> s(f.type, f.par1, f.par2, 6, 3);
        ASSERT_TRUE(w.ok() && s.ok());
        std::vector<short> x(64), y(64), back(64);
        for (size_t i = 0; i < 64; ++i) x[i] = short(i % 7 == 3 ? (i % 2 ? -32768 : 32767) : dist(gen));
        std::vector<float> xf(x.begin(), x.end()), yf(64), yw(64), backF(64);
        ASSERT_EQ(vokwWtDecompose(&w.st, x.data(), y.data()), 0);
        ASSERT_EQ(voksWtDecompose(&s.st, xf.data(), yf.data()), 0);
        for (size_t i = 0; i < 64; ++i) EXPECT_EQ(y[i], roundSaturated(yf[i])) << i;
        ASSERT_EQ(vokwWtReconstruct(&w.st, y.data(), back.data()), 0);
        yw.assign(y.begin(), y.end());
        ASSERT_EQ(voksWtReconstruct(&s.st, yw.data(), backF.data()), 0);
        for (size_t i = 0; i < 64; ++i) EXPECT_EQ(back[i], roundSaturated(backF[i])) << i;
    }
    // Within range, a round trip loses only the rounding of the coefficients.
    Record<short> w(VOK_WtDaublet, 2, 0, 7, 4);
    std::vector<short> x(128), y(128), back(128);
    for (size_t i = 0; i < 128; ++i) x[i] = short(dist(gen) / 4);
    vokwWtDecompose(&w.st, x.data(), y.data());
    vokwWtReconstruct(&w.st, y.data(), back.data());
    for (size_t i = 0; i < 128; ++i) EXPECT_NEAR(back[i], x[i], 6) << i;
}

// The work arrays of the 16-bit forms are swept in the robustness tests.
TYPED_TEST(WaveletTransform, FloatAndDoubleTransformsAllocateNothing) {
    using F = Forms<TypeParam>;
    Record<TypeParam> r(VOK_WtSymmlet, 2, 0, 6, 5);
    std::vector<TypeParam> x(64, 1), y(64);
    vok::testing::failAllocationAfter(1);
    EXPECT_EQ(F::decompose(&r.st, x.data(), y.data()), 0);
    EXPECT_EQ(F::reconstruct(&r.st, y.data(), x.data()), 0);
    void* next = vokMalloc(8);  // still the first allocation since the seam was set
    vok::testing::failAllocationAfter(0);
    EXPECT_EQ(next, nullptr);
    vokFree(next);
}

// ---- Failure reports ----

template <class T>
class WaveletTransformChecks : public ::testing::Test {};
using AllCores = ::testing::Types<float, double, short>;
TYPED_TEST_SUITE(WaveletTransformChecks, AllCores);

TYPED_TEST(WaveletTransformChecks, NullArgumentsStopAtOnce) {
    using F = Forms<TypeParam>;
    Record<TypeParam> r(VOK_WtHaar, 0, 0, 3, 1);
    TypeParam x[8] = {};
    for (bool forward : {true, false}) {
        const auto fn = forward ? F::decompose : F::reconstruct;
        const char* name = forward ? F::decomposeName : F::reconstructName;
        Sentinel dst(8 * sizeof(TypeParam));
        ReportRecorder rec;
        EXPECT_EQ(fn(nullptr, nullptr, nullptr), VOK_StatusBadArg);
        vokSetErrStatus(0);
        EXPECT_EQ(fn(&r.st, nullptr, dst.as<TypeParam>()), VOK_StatusBadArg);
        vokSetErrStatus(0);
        EXPECT_EQ(fn(&r.st, x, nullptr), VOK_StatusBadArg);
        EXPECT_REPORTS(rec, {VOK_StatusBadArg, name, "wtState==0", "vokwlts"}, {VOK_StatusBadArg, name, "src==0", "vokwlts"},
                       {VOK_StatusBadArg, name, "dst==0", "vokwlts"});
        EXPECT_TRUE(dst.untouched());
    }
}

TYPED_TEST(WaveletTransformChecks, EveryRecordCheckRunsAndReports) {
    using F = Forms<TypeParam>;
    const char* m = "vokwlts";
    TypeParam x[8] = {};
    for (bool forward : {true, false}) {
        const auto fn = forward ? F::decompose : F::reconstruct;
        const char* name = forward ? F::decomposeName : F::reconstructName;
        Sentinel dst(8 * sizeof(TypeParam));
        ReportRecorder rec;
        VokWtState broken{};
        broken.core = 3;
        broken.dataOrder = 0;
        broken.level = -1;
        broken.kind = 0;
        broken.filtLen[0] = 1;
        broken.filtOffset[2] = -1;
        EXPECT_EQ(fn(&broken, x, dst.as<TypeParam>()), VOK_StatusBadArg);
        EXPECT_REPORTS(rec, {VOK_StatusBadArg, name, "error in the (float, double or short) core", m},
                       {VOK_StatusBadArg, name, "wtState->dataOrder<1", m}, {VOK_StatusBadArg, name, "wtState->level<0", m},
                       {VOK_StatusBadArg, name, "error in the type of wavelet", m},
                       {VOK_StatusBadArg, name, "wtState->tap_filt[ 0 ]==0", m},
                       {VOK_StatusBadArg, name, "wtState->tap_filt[ 1 ]==0", m},
                       {VOK_StatusBadArg, name, "wtState->tap_filt[ 2 ]==0", m},
                       {VOK_StatusBadArg, name, "wtState->tap_filt[ 3 ]==0", m},
                       {VOK_StatusBadArg, name, "wtState->src_pad==0", m},
                       {VOK_StatusBadArg, name, "error in the filter lengths", m},
                       {VOK_StatusBadArg, name, "error in the filter offsets", m});
        rec.clear();

        // One fault at a time on an otherwise good record.
        Record<TypeParam> r(VOK_WtDaublet, 2, 0, 3, 2);
        const auto expectOne = [&](auto corrupt, std::vector<const char*> contexts) {
            VokWtState st = r.st;
            corrupt(st);
            Sentinel out(8 * sizeof(TypeParam));
            EXPECT_EQ(fn(&st, x, out.as<TypeParam>()), contexts.empty() ? 0 : VOK_StatusBadArg);
            EXPECT_EQ(out.untouched(), !contexts.empty());
            std::vector<voktest::Expected> want;
            for (const char* c : contexts) want.push_back({VOK_StatusBadArg, name, c, m});
            EXPECT_TRUE(voktest::sameReports(rec.reports(), want));
            rec.clear();
        };
        expectOne([](VokWtState& st) { st.dataOrder = 32; },
                  {"wtState->dataOrder>31"});
        expectOne([](VokWtState& st) { st.level = 3; }, {"wtState->level>(wtState->dataOrder-1)"});
        expectOne([](VokWtState& st) { st.kind = 4; }, {"error in the type of wavelet"});
        expectOne([](VokWtState& st) { st.filtLen[1] = st.filtLen[2] = 6; }, {"error in the filter lengths ortho. wavelet"});
        expectOne([](VokWtState& st) { st.filtLen[0] = st.filtLen[1] = st.filtLen[2] = st.filtLen[3] = 3; },
                  {"error in the filter lengths ortho. wavelet"});
        expectOne([](VokWtState& st) { st.filtLen[3] = 6; }, {"error in the filter lengths"});
        expectOne([](VokWtState& st) { st.filtOffset[1] = 4; }, {"error in the filter offsets"});
        expectOne([](VokWtState& st) { st.core = st.core == 1 ? 2 : 1; }, {"error in the (float, double or short) core"});
        // Odd or unequal lengths are fine for a biorthogonal or user bank.
        expectOne(
            [](VokWtState& st) {
                st.kind = 2;
                st.filtLen[1] = st.filtLen[2] = 3;
            },
            {});
        EXPECT_TRUE(dst.untouched());
        // A negative status from an earlier failure stops the transform quietly.
        Sentinel quiet(8 * sizeof(TypeParam));
        vokSetErrStatus(VOK_StatusBadArg);
        EXPECT_EQ(fn(&r.st, x, quiet.as<TypeParam>()), VOK_StatusBadArg);
        EXPECT_REPORTS(rec);
        EXPECT_TRUE(quiet.untouched());
    }
}

}  // namespace
