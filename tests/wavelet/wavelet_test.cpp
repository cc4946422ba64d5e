// Wavelet banks and transforms: the predefined banks against PyWavelets' filters
// and the structure every bank must have, user banks, decomposition and
// reconstruction against a long-double periodic filter bank at every level and
// kernel width, the 16-bit forms, and every failure report.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <tuple>
#include <vector>

#include "frame/test_seams.h"
#include "voktest/reports.h"
#include "voktest/values.h"
#include "voktest/widths.h"
#include "vok.h"
#include "wavelet/bank.h"

namespace {

using namespace voktest;
using Long = std::vector<long double>;

// The entry points and report names of one core (1 float, 2 double, 4 16-bit).
// The 16-bit Init builds its bank through the float one, which reports.
template <class T>
struct Forms;
#define VOK_WAVELET_FORMS(t, T, TapType, coreNumber, builderName)                                    \
    template <>                                                                                   \
    struct Forms<T> {                                                                             \
        using Tap = TapType;                                                                      \
        static constexpr int core = coreNumber;                                                   \
        static constexpr auto init = vok##t##WtInit;                                              \
        static constexpr auto setState = vok##t##WtSetState;                                      \
        static constexpr auto getState = vok##t##WtGetState;                                      \
        static constexpr auto decompose = vok##t##WtDecompose;                                    \
        static constexpr auto reconstruct = vok##t##WtReconstruct;                                \
        static constexpr const char* builder = builderName;                                       \
        static constexpr const char* name[4] = {"vok" #t "WtSetState", "vok" #t "WtGetState",     \
                                                "vok" #t "WtDecompose", "vok" #t "WtReconstruct"}; \
    };
VOK_WAVELET_FORMS(s, float, float, 1, "voksWtInit")
VOK_WAVELET_FORMS(d, double, double, 2, "vokdWtInit")
VOK_WAVELET_FORMS(w, short, float, 4, "voksWtInit")
#undef VOK_WAVELET_FORMS

// A record initialised for one core, released when it goes.
template <class T>
struct Record {
    VokWtState st{};
    Record(int type, int par1, int par2, int order, int level) { Forms<T>::init(par1, par2, order, level, &st, type); }
    ~Record() {
        if (st.src_pad) vokWtFree(&st);
    }
    bool ok() const { return st.src_pad != nullptr; }
    const typename Forms<T>::Tap* tap(int i) const { return static_cast<const typename Forms<T>::Tap*>(st.tap_filt[i]); }
};

struct Family {
    int type, par1, par2;
    std::string pywt;  // PyWavelets' name
    int length;        // of the orthogonal prototype
};
const int kPairs[][2] = {{1, 1}, {1, 3}, {1, 5}, {2, 2}, {2, 4}, {2, 6}, {2, 8}, {3, 1}, {3, 3}, {3, 5}, {3, 7}, {3, 9}};

std::vector<Family> families() {
    std::vector<Family> f = {{VOK_WtHaar, 0, 0, "db1", 2}};
    for (int p = 1; p <= 10; ++p) f.push_back({VOK_WtDaublet, p, 0, "db" + std::to_string(p), 2 * p});
    for (int p = 1; p <= 7; ++p) f.push_back({VOK_WtSymmlet, p, 0, "sym" + std::to_string(p + 3), 2 * (p + 3)});
    for (int p = 1; p <= 5; ++p) f.push_back({VOK_WtCoiflet, p, 0, "coif" + std::to_string(p), 6 * p});
    f.push_back({VOK_WtVaidyanathan, 0, 0, "", 24});
    for (int type : {VOK_WtBiorth, VOK_WtBiorthDual})
        for (const auto& p : kPairs)
            f.push_back({type, p[0], p[1], "bior" + std::to_string(p[0]) + "." + std::to_string(p[1]), 0});
    f.push_back({VOK_WtBiorth22, 0, 0, "", 0});
    f.push_back({VOK_WtBiorth33, 0, 0, "", 0});
    return f;
}

// PyWavelets' dec_lo, dec_hi, rec_lo, rec_hi (tests/scripts/gen_wavelet.py).
const std::vector<double>* pywtBank(const std::string& name) {
    static const auto banks = [] {
        std::map<std::string, std::array<std::vector<double>, 4>> b;
        std::ifstream in(VOK_TEST_DATA_DIR "/wavelet_pywt.txt");
        for (std::string line, kind, n; std::getline(in, line);) {
            std::istringstream(line) >> kind >> n;
            for (auto& row : b[n]) {
                std::getline(in, line);
                std::istringstream words(line);
                for (double x; words >> x;) row.push_back(x);
            }
        }
        return b;
    }();
    const auto it = banks.find(name);
    EXPECT_NE(it, banks.end()) << name;
    return it == banks.end() ? nullptr : it->second.data();
}

std::vector<double> trimmed(const std::vector<double>& v) {
    size_t b = 0, e = v.size();
    while (b < e && v[b] == 0) ++b;
    while (e > b && v[e - 1] == 0) --e;
    return {v.begin() + long(b), v.begin() + long(e)};
}

bool recordIsClear(const VokWtState& st) {
    const VokWtState zero{};
    return std::memcmp(&st, &zero, sizeof st) == 0;
}

// Orthogonal banks are PyWavelets' (rec_lo, rec_hi, dec_lo, dec_hi), the spline
// pairs its bior filters (type 7 analysing with the dual one as PyWavelets does,
// type 6 with the primal one), the decomposition pair scaled to a low-pass sum of
// 1 and the reconstruction pair to 2; the float banks are the double ones rounded.
// Every bank is normalised, its offsets in range, an orthogonal one mirrored,
// orthogonal to its even shifts and pointing at its largest tap after the first.
TEST(WaveletBank, PredefinedBanksMatchPyWaveletsAndHaveTheirStructure) {
    const double s = std::sqrt(2.0);
    for (const auto& f : families()) {
        SCOPED_TRACE(testing::Message() << f.type << "(" << f.par1 << "," << f.par2 << ")");
        Record<double> r(f.type, f.par1, f.par2, 6, 2);
        Record<float> rf(f.type, f.par1, f.par2, 6, 2);
        ASSERT_TRUE(r.ok() && rf.ok());
        const VokWtState& st = r.st;
        const bool ortho = f.type <= 5, vaid = f.type == VOK_WtVaidyanathan;
        EXPECT_EQ(st.kind, ortho ? 1 : 2);
        EXPECT_EQ(st.wtType, f.type);
        EXPECT_EQ(st.par1, f.par1);
        EXPECT_EQ(st.par2, f.par2);
        EXPECT_EQ(st.filtLen[0], st.filtLen[3]);
        EXPECT_EQ(st.filtLen[1], st.filtLen[2]);
        if (const auto* ref = f.pywt.empty() ? nullptr : pywtBank(f.pywt)) {
            const bool dual = f.type == VOK_WtBiorthDual;
            const int order[2][4] = {{2, 3, 0, 1}, {dual ? 0 : 2, dual ? 1 : 3, dual ? 2 : 0, dual ? 3 : 1}};
            const double scale[4] = {1 / s, 1 / s, s, s};
            for (int i = 0; i < 4; ++i) {
                const auto want = trimmed(ref[order[!ortho][i]]);
                ASSERT_EQ(st.filtLen[i], int(want.size())) << i;
                for (size_t k = 0; k < want.size(); ++k) {
                    if (ortho) EXPECT_NEAR(r.tap(i)[k], want[k] * scale[i], 1e-11) << i << ' ' << k;
                    else EXPECT_NEAR(std::fabs(r.tap(i)[k]), std::fabs(want[k]) * scale[i], 1e-15) << i << ' ' << k;
                }
            }
        }
        // A spline high-pass is the other pass's low-pass with alternating signs.
        for (auto [hi, lo] : {std::pair{1, 2}, {3, 0}})
            for (int k = 0; !ortho && k < st.filtLen[hi]; ++k)
                EXPECT_EQ(r.tap(hi)[k] * (k % 2 ? -1 : 1), r.tap(lo)[k] * (r.tap(hi)[0] / r.tap(lo)[0])) << k;
        long double sums[4] = {};
        for (int i = 0; i < 4; ++i) {
            EXPECT_GE(st.filtOffset[i], 0);
            EXPECT_LT(st.filtOffset[i], st.filtLen[i]);
            for (int k = 0; k < st.filtLen[i]; ++k) {
                sums[i] += r.tap(i)[k];
                EXPECT_EQ(rf.tap(i)[k], float(r.tap(i)[k]));
            }
        }
        // The published Symmlet tables carry about twelve exact digits, the
        // Vaidyanathan filter eight, and it keeps a little of the constant in its
        // high-pass (the bank accepts up to 1/1000 of the largest tap).
        EXPECT_NEAR(double(sums[0]), 1.0, 1e-12);
        EXPECT_NEAR(double(sums[1]), 0.0, vaid ? 1e-3 * 0.5 : 1e-10);
        EXPECT_NEAR(double(sums[2]), 2.0, vaid ? 1e-7 : 1e-11);
        EXPECT_NEAR(double(sums[3]), 0.0, vaid ? 1e-3 * 2 : 1e-10);
        if (!ortho) continue;
        const int L = st.filtLen[0];
        EXPECT_EQ(L, f.length);
        EXPECT_EQ(st.filtOffset[0], st.filtOffset[1]);
        EXPECT_EQ(st.filtOffset[2], L - 1 - st.filtOffset[0]);
        EXPECT_EQ(st.filtOffset[3], st.filtOffset[2]);
        for (int m = 0; m < L; m += 2) {
            long double dot = 0;
            for (int i = m; i < L; ++i) dot += (long double)r.tap(0)[i] * r.tap(0)[i - m];
            EXPECT_NEAR(double(dot), m == 0 ? 0.5 : 0.0, vaid ? 1e-7 : 1e-11) << m;
        }
        double peak = 0;
        for (int k = 1; k < L; ++k) peak = std::max(peak, std::fabs(r.tap(0)[k]));
        EXPECT_EQ(std::fabs(r.tap(0)[st.filtOffset[0]]), peak);
    }
}

TEST(WaveletBank, DocumentedBanksAndFixedTypes) {
    // Haar and the (1, 1) spline pair, taps and offsets.
    Record<float> haar(VOK_WtHaar, 0, 0, 2, 1);
    Record<double> pair11(VOK_WtBiorth, 1, 1, 3, 1);
    const double want[2][4][2] = {{{0.5, 0.5}, {0.5, -0.5}, {1, 1}, {-1, 1}}, {{0.5, 0.5}, {-0.5, 0.5}, {1, 1}, {1, -1}}};
    const int offsets[2][4] = {{1, 1, 0, 0}, {0, 0, 1, 1}};
    EXPECT_EQ(haar.st.core, 1);
    EXPECT_EQ(pair11.st.core, 2);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(haar.st.filtOffset[i], offsets[0][i]);
        EXPECT_EQ(pair11.st.filtOffset[i], offsets[1][i]);
        for (int k = 0; k < 2; ++k) EXPECT_EQ(haar.tap(i)[k], float(want[0][i][k])) << i << ' ' << k;
        for (int k = 0; k < 2; ++k) EXPECT_EQ(pair11.tap(i)[k], want[1][i][k]) << i << ' ' << k;
    }
    // The Vaidyanathan prototype sums to sqrt(2); its inner taps are published to
    // twelve decimals, so the normalisation moves the ends by a few parts in 10^9.
    Record<double> v(VOK_WtVaidyanathan, 0, 0, 5, 1);
    const double ends[4] = {-6.290611819074752e-05, 0.0003436319048210292, 0.2501841295046622, 0.04579933411097672};
    const int at[4] = {0, 1, 22, 23};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(v.tap(0)[at[i]] * std::sqrt(2.0), ends[i], 1e-8 * std::fabs(ends[i])) << at[i];
    // Types 8 and 9 are the (2, 2) and (3, 3) pairs whatever the parameters.
    for (auto [type, order] : {std::pair{VOK_WtBiorth22, 2}, std::pair{VOK_WtBiorth33, 3}}) {
        Record<double> fixed(type, 7, 9, 4, 1), pair(VOK_WtBiorth, order, order, 4, 1);
        EXPECT_EQ(fixed.st.par1, 7);
        for (int i = 0; i < 4; ++i) {
            ASSERT_EQ(fixed.st.filtLen[i], pair.st.filtLen[i]);
            EXPECT_EQ(fixed.st.filtOffset[i], pair.st.filtOffset[i]);
            EXPECT_EQ(0, std::memcmp(fixed.tap(i), pair.tap(i), sizeof(double) * pair.st.filtLen[i]));
        }
    }
}

// The orthogonal bank builder on prototypes that no predefined family has.
TEST(WaveletBank, OrthogonalBuilderRefusesUnusablePrototypes) {
    const std::pair<std::vector<double>, const char*> cases[] = {
        {{1, 1, 1}, "Odd ortho. filter length"},
        {{1e-10, -1e-10, 1e-11, 0}, "Small ortho. filter taps values"},
        {{1, 1, 1, 1}, "Bad low-pass ortho. filter taps"},  // not orthogonal to its shift by 2
        {{1, -1}, "Bad low-pass ortho. filter taps"},       // sums to zero
        {{1, 0.5}, "Bad high-pass ortho. filter taps"},     // high-pass keeps a constant
    };
    ReportRecorder rec;
    for (const auto& [h, message] : cases) {
        rec.clear();
        vok::wavelet::Bank bank;
        EXPECT_FALSE(vok::wavelet::buildOrthogonalBank({"voksWtInit", "vokwlts", 1}, h.data(), int(h.size()), bank));
        EXPECT_REPORTS(rec, {VOK_StatusBadArg, "voksWtInit", message, "vokwlts"});
    }
    rec.clear();
    vokWtFree(nullptr);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokWtFree", "wtState==0", "vokwlts"});
}

// ---- The transforms ----

long double filterModulo(const VokWtState& st, int filter, const Long& band, long long at) {
    const long long n = (long long)band.size();
    long double sum = 0;
    for (int k = 0; k < st.filtLen[filter]; ++k) {
        const void* t = st.tap_filt[filter];
        const long double tap = st.core == 2 ? static_cast<const double*>(t)[k] : static_cast<const float*>(t)[k];
        sum += tap * band[size_t(((at - k) % n + n) % n)];
    }
    return sum;
}

// The periodic filter bank: indices taken modulo the band, no padding.
Long referenceDecompose(const VokWtState& st, Long x) {
    for (size_t lev = 0, n = x.size(); lev < size_t(st.level); ++lev, n /= 2) {
        const Long band(x.begin(), x.begin() + long(n));
        for (size_t i = 0; i < n / 2; ++i) {
            x[i] = filterModulo(st, 0, band, st.filtOffset[0] + 2 * (long long)i);
            x[n / 2 + i] = filterModulo(st, 1, band, st.filtOffset[1] + 2 * (long long)i);
        }
    }
    return x;
}

Long referenceReconstruct(const VokWtState& st, const Long& src) {
    size_t a = src.size() >> st.level;
    Long out(src.begin(), src.begin() + long(a));
    for (int lev = 0; lev < st.level; ++lev, a *= 2) {
        Long up(2 * a, 0), upDetail(2 * a, 0);
        for (size_t i = 0; i < a; ++i) up[2 * i] = out[i], upDetail[2 * i] = src[a + i];
        out.assign(2 * a, 0);
        for (size_t m = 0; m < 2 * a; ++m)
            out[m] = filterModulo(st, 2, up, st.filtOffset[2] + (long long)m) +
                     filterModulo(st, 3, upDetail, st.filtOffset[3] + (long long)m);
    }
    return out;
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

// Every predefined bank, orders 1 ... 7 at every level (bands down to two
// samples, filters of up to 30 taps wrapping around them many times) and order
// 10 (the full blocks of every kernel width): every width gives the same bits,
// matching the definition, and reconstruction inverts decomposition.
TYPED_TEST(WaveletTransform, MatchesTheDefinitionAndReconstructsAtEveryLevelAndWidth) {
    using F = Forms<TypeParam>;
    const double tolerance = std::is_same_v<TypeParam, float> ? 2e-5 : 1e-13;
    std::vector<std::pair<int, int>> shapes = {{10, 1}, {10, 4}, {10, 9}};
    for (int order = 1; order <= 7; ++order)
        for (int level = 0; level < order; ++level) shapes.push_back({order, level});
    for (const auto& f : families()) {
        for (auto [order, level] : shapes) {
            SCOPED_TRACE(testing::Message() << f.type << "(" << f.par1 << "," << f.par2 << ") " << order << " " << level);
            Record<TypeParam> r(f.type, f.par1, f.par2, order, level);
            ASSERT_TRUE(r.ok());
            const size_t N = size_t(1) << order;
            const auto src = randomVector<TypeParam>(long(N), unsigned(order * 100 + level));
            const Long x(src.begin(), src.end()), want = referenceDecompose(r.st, x);
            std::vector<TypeParam> firstCoeffs, firstBack;
            forEachWidth([&] {
                std::vector<TypeParam> coeffs(N), back(N);
                ASSERT_EQ(F::decompose(&r.st, src.data(), coeffs.data()), 0);
                ASSERT_EQ(F::reconstruct(&r.st, coeffs.data(), back.data()), 0);
                if (firstCoeffs.empty()) firstCoeffs = coeffs, firstBack = back;
                EXPECT_EQ(coeffs, firstCoeffs);
                EXPECT_EQ(back, firstBack);
            });
            EXPECT_LT(worstError(firstCoeffs, want), tolerance * (1 << level));
            const Long coeffs(firstCoeffs.begin(), firstCoeffs.end());
            EXPECT_LT(worstError(firstBack, referenceReconstruct(r.st, coeffs)), 4 * tolerance * (1 << level));
            // The published tables limit how exactly a bank inverts itself:
            // about 1e-8 for the Vaidyanathan filter, 1e-12 for the Symmlets.
            const double exact = f.type == VOK_WtVaidyanathan ? 1e-6 : f.type == VOK_WtSymmlet ? 1e-10 : 0;
            EXPECT_LT(worstError(firstBack, x), 4 * tolerance * (1 << level) + exact);
        }
    }
}

// Exact cases: Haar on four samples both ways, level 0 copying both ways; and
// the transforms allocate nothing (the 16-bit work arrays are swept elsewhere).
TYPED_TEST(WaveletTransform, ExactCasesAllocatingNothing) {
    using F = Forms<TypeParam>;
    Record<TypeParam> r(VOK_WtHaar, 0, 0, 2, 1), copy(VOK_WtCoiflet, 3, 0, 1, 0);
    const TypeParam a = 3, b = 10, c = -4, d = 7.5, x[4] = {a, b, c, d};
    const TypeParam want[4] = {(a + b) / 2, (c + d) / 2, (b - a) / 2, (d - c) / 2};
    TypeParam y[4], back[4], y0[2], z0[2];
    Record<TypeParam> sym(VOK_WtSymmlet, 2, 0, 6, 5);
    std::vector<TypeParam> ones(64, 1), coeffs(64);
    vok::testing::failAllocationAfter(1);
    EXPECT_EQ(F::decompose(&sym.st, ones.data(), coeffs.data()), 0);
    EXPECT_EQ(F::reconstruct(&sym.st, coeffs.data(), ones.data()), 0);
    ASSERT_EQ(F::decompose(&r.st, x, y), 0);
    ASSERT_EQ(F::reconstruct(&r.st, y, back), 0);
    EXPECT_EQ(F::decompose(&copy.st, x, y0), 0);
    EXPECT_EQ(F::reconstruct(&copy.st, x, z0), 0);
    void* next = vokMalloc(8);  // still the first allocation since the seam was set
    vok::testing::failAllocationAfter(0);
    EXPECT_EQ(next, nullptr);
    vokFree(next);
    EXPECT_EQ(0, std::memcmp(want, y, sizeof y));
    EXPECT_EQ(0, std::memcmp(x, back, sizeof back));  // exact: the Haar taps are 1/2 and 1
    EXPECT_EQ(0, std::memcmp(x, y0, sizeof y0));
    EXPECT_EQ(0, std::memcmp(x, z0, sizeof z0));
}

short roundSaturated(float v) { return short(std::clamp(std::nearbyint(double(v)), -32768.0, 32767.0)); }

// The 16-bit forms are the float transform (on the float bank) rounded and saturated.
TEST(WaveletTransform, SixteenBitFormsRoundTheFloatTransform) {
    std::mt19937 gen(5);
    std::uniform_int_distribution<int> dist(-32768, 32767);
    for (const auto& f : families()) {
        Record<short> w(f.type, f.par1, f.par2, 6, 3);
        Record<float> s(f.type, f.par1, f.par2, 6, 3);
        std::vector<short> x(64), y(64), back(64);
        for (size_t i = 0; i < 64; ++i) x[i] = short(i % 7 == 3 ? (i % 2 ? -32768 : 32767) : dist(gen));
        std::vector<float> xf(x.begin(), x.end()), yf(64), yw(64), backF(64);
        ASSERT_EQ(vokwWtDecompose(&w.st, x.data(), y.data()), 0);
        ASSERT_EQ(voksWtDecompose(&s.st, xf.data(), yf.data()), 0);
        ASSERT_EQ(vokwWtReconstruct(&w.st, y.data(), back.data()), 0);
        yw.assign(y.begin(), y.end());
        ASSERT_EQ(voksWtReconstruct(&s.st, yw.data(), backF.data()), 0);
        for (size_t i = 0; i < 64; ++i) {
            EXPECT_EQ(y[i], roundSaturated(yf[i])) << f.type << ' ' << i;
            EXPECT_EQ(back[i], roundSaturated(backF[i])) << f.type << ' ' << i;
        }
    }
}

// ---- User banks and failure reports, for every core ----

template <class T>
struct UserBank {
    std::vector<T> taps[4];
    T* pointers[4];
    int lengths[4], offsets[4];
    UserBank(std::vector<int> len, std::vector<int> ofs) {
        for (int i = 0; i < 4; ++i) {
            for (int k = 0; k < len[i]; ++k) taps[i].push_back(T(0.125 * (i + 1) + k));
            pointers[i] = taps[i].data();
            lengths[i] = len[i];
            offsets[i] = ofs[i];
        }
    }
};

template <class T>
class WaveletCore : public ::testing::Test {};
using Cores = ::testing::Types<float, double, short>;
TYPED_TEST_SUITE(WaveletCore, Cores);

// SetState copies a user bank that GetState hands back as the record's own
// arrays; with a predefined type it acts as Init.
TYPED_TEST(WaveletCore, UserBanksRoundTrip) {
    using F = Forms<TypeParam>;
    using Tap = typename F::Tap;
    UserBank<Tap> user({4, 6, 6, 4}, {0, 5, 2, 3});
    VokWtState st{}, coif{};
    ReportRecorder rec;
    F::setState(&st, VOK_WtUser, 3, 4, 5, 2, user.pointers, user.lengths, user.offsets);
    F::setState(&coif, VOK_WtCoiflet, 2, 0, 6, 3, nullptr, nullptr, nullptr);
    EXPECT_REPORTS(rec);
    EXPECT_EQ(st.core, F::core);
    EXPECT_EQ(st.kind, 3);
    EXPECT_EQ(coif.core, F::core);
    EXPECT_EQ(coif.wtType, VOK_WtCoiflet);
    EXPECT_EQ(coif.filtLen[0], 12);
    EXPECT_EQ(coif.level, 3);
    int got[5] = {}, len[4] = {}, ofs[4] = {};
    Tap* taps[4] = {};
    F::getState(&st, got, got + 1, got + 2, got + 3, got + 4, taps, len, ofs);
    EXPECT_EQ(std::vector<int>(got, got + 5), (std::vector<int>{VOK_WtUser, 3, 4, 5, 2}));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(len[i], user.lengths[i]);
        EXPECT_EQ(ofs[i], user.offsets[i]);
        EXPECT_EQ(taps[i], st.tap_filt[i]);
        EXPECT_NE(taps[i], user.pointers[i]);
        EXPECT_EQ(std::vector<Tap>(taps[i], taps[i] + len[i]), user.taps[i]);
    }
    vokWtFree(&st);
    vokWtFree(&coif);
    EXPECT_TRUE(recordIsClear(st));
}

// A failing call: the first report, then the rest, one status, one module.
BadCall failing(std::function<void()> call, const char* fn, std::vector<const char*> contexts,
                int status = VOK_StatusBadArg) {
    BadCall row{std::move(call), {status, fn, contexts[0], "vokwlts"}};
    for (size_t i = 1; i < contexts.size(); ++i) row.then.push_back({status, fn, contexts[i], "vokwlts"});
    return row;
}

// With no memory the record stays as it was: each of the five allocations fails in turn.
template <class Call>
void addAllocationFailures(std::vector<BadCall>& rows, Call call, const char* fn) {
    for (int n = 1; n <= 5; ++n)
        rows.push_back(failing([=] {
            vok::testing::failAllocationAfter(n);
            call();
            vok::testing::failAllocationAfter(0);
        }, fn, {"No working wavelet memory"}, VOK_StatusNoMemory));
}

TYPED_TEST(WaveletCore, InitSetStateAndGetStateFailures) {
    using F = Forms<TypeParam>;
    using Tap = typename F::Tap;
    VokWtState st{};
    const auto init = [&](int p, int q, int order, int level, int type) {
        return [=, &st] { F::init(p, q, order, level, &st, type); };
    };
    const char* fn = F::builder;  // the 16-bit Init reports through the float one
    std::vector<BadCall> rows = {
        failing([] { F::init(1, 0, 4, 1, nullptr, VOK_WtHaar); }, fn, {"wtState==0"}),
        failing(init(1, 0, 0, 5, VOK_WtHaar), fn, {"dataOrder<1", "level>(dataOrder-1)"}),
        failing(init(1, 0, 32, -1, VOK_WtHaar), fn, {"dataOrder>31", "level<0"}),
        failing(init(1, 0, 1, 1, VOK_WtHaar), fn, {"level>(dataOrder-1)"}),  // order 1 allows level 0 only
        // A signal of 2^31 samples cannot be padded.
        failing(init(1, 0, 31, 0, VOK_WtHaar), fn, {"No working wavelet memory"}, VOK_StatusNoMemory),
    };
    for (int type : {0, 10, 11, -1}) rows.push_back(failing(init(1, 1, 4, 1, type), fn, {"error in the type of wavelet"}));
    for (auto [type, tooLarge, message] : {std::tuple{VOK_WtDaublet, 11, "error in parameter Daublet filter"},
                                           {VOK_WtSymmlet, 8, "error in parameter Symmlet filter"},
                                           {VOK_WtCoiflet, 6, "error in parameter Coiflet filter"}})
        for (int p : {0, tooLarge}) rows.push_back(failing(init(p, 0, 4, 1, type), fn, {message}));
    for (auto [p, q] : {std::pair{1, 2}, {2, 1}, {2, 3}, {3, 2}, {3, 11}, {4, 4}, {0, 0}})
        for (int type : {VOK_WtBiorth, VOK_WtBiorthDual})
            rows.push_back(failing(init(p, q, 4, 1, type), fn, {"error in wavelet parameters"}));
    addAllocationFailures(rows, init(2, 0, 6, 2, VOK_WtDaublet), fn);  // the pad, then the four tap arrays
    if (F::core == 4)
        for (auto& row : rows) row.then.push_back({VOK_StatusBacktrace, "vokwWtInit", "out voksWtInit", "vokwlts"});

    // SetState: a user bank built inside the call, spoiled by 'spoil'.
    fn = F::name[0];
    const auto user = [&](int order, int level, std::vector<int> len, std::vector<int> ofs, auto spoil) {
        return [=, &st] {
            UserBank<Tap> b(len, ofs);
            spoil(b);
            F::setState(&st, VOK_WtUser, 0, 0, order, level, b.pointers, b.lengths, b.offsets);
        };
    };
    const auto asIs = [](UserBank<Tap>&) {};
    const std::vector<int> len{4, 6, 6, 4}, ofs{0, 1, 2, 3};
    UserBank<Tap> good(len, ofs);
    rows.push_back(failing([&] { F::setState(nullptr, VOK_WtUser, 0, 0, 4, 1, good.pointers, good.lengths, good.offsets); },
                           fn, {"wtState==0"}));
    rows.push_back(failing(user(0, 5, len, ofs, asIs), fn, {"dataOrder<1", "level>(dataOrder-1)"}));
    rows.push_back(failing(user(32, -1, len, ofs, asIs), fn, {"dataOrder>31", "level<0"}));
    rows.push_back(failing([&] { F::setState(&st, VOK_WtUser, 0, 0, 4, 1, nullptr, nullptr, nullptr); }, fn,
                           {"Ftaps eq. NULL", "Flen eq. NULL", "Fofs eq. NULL"}));
    rows.push_back(failing([&] { F::setState(&st, VOK_WtUser, 0, 0, 4, 1, good.pointers, nullptr, good.offsets); }, fn,
                           {"Flen eq. NULL"}));
    for (int i = 0; i < 4; ++i)
        rows.push_back(failing(user(4, 1, len, ofs, [i](UserBank<Tap>& b) { b.pointers[i] = nullptr; }), fn,
                               {"Bad pointers in Ftaps"}));
    for (std::vector<int> bad : {std::vector<int>{4, 6, 4, 6}, {1, 6, 6, 1}, {4, 1, 1, 4}, {4, 6, 6, 5}})
        rows.push_back(failing(user(4, 1, bad, {0, 0, 0, 0}, asIs), fn, {"Bad filter lengths"}));
    for (std::vector<int> bad : {std::vector<int>{-1, 0, 0, 0}, {0, 6, 0, 0}, {0, 0, 6, 0}, {0, 0, 0, 4}})
        rows.push_back(failing(user(4, 1, len, bad, asIs), fn, {"Bad filter offsets"}));
    addAllocationFailures(rows, user(4, 1, len, ofs, asIs), fn);
    // A predefined type that Init refuses: Init's report, then a backtrace.
    rows.push_back({[&] { F::setState(&st, VOK_WtSymmlet, 8, 0, 4, 1, nullptr, nullptr, nullptr); },
                    {VOK_StatusBadArg, F::builder, "error in parameter Symmlet filter", "vokwlts"},
                    {{VOK_StatusBacktrace, fn, F::core == 2 ? "out vokdWtInit" : "out voksWtInit", "vokwlts"}}});

    // GetState checks every pointer and writes nothing when one is missing.
    fn = F::name[1];
    Record<TypeParam> r(VOK_WtHaar, 0, 0, 3, 1);
    Sentinel out(256);
    int* ints = out.as<int>();
    rows.push_back(failing([&] { F::getState(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); },
                           fn, {"wtState==0", "wtType==0", "par1==0", "par2==0", "dataOrder==0", "level==0", "Ftaps==0",
                                "Flen==0", "Fofs==0"}));
    rows.push_back(failing([&] {
        F::getState(&r.st, ints, ints + 1, ints + 2, ints + 3, ints + 4, reinterpret_cast<Tap**>(ints + 16), ints + 8,
                    nullptr);
    }, fn, {"Fofs==0"}));
    EXPECT_TRUE(eachReports(rows));
    EXPECT_TRUE(recordIsClear(st));  // no failed Init or SetState touched the record
    EXPECT_TRUE(out.untouched());
    ReportRecorder rec;
    F::init(1, 0, 1, 0, &st, VOK_WtHaar);
    EXPECT_REPORTS(rec);
    EXPECT_EQ(st.dataOrder, 1);
    vokWtFree(&st);
}

// Every record check of both transforms, in order, then one fault at a time;
// the destination stays as it was, and a negative status stops them quietly.
TYPED_TEST(WaveletCore, TransformChecks) {
    using F = Forms<TypeParam>;
    Record<TypeParam> r(VOK_WtDaublet, 2, 0, 3, 2);
    TypeParam x[8] = {};
    for (int forward : {1, 0}) {
        const auto fn = forward ? F::decompose : F::reconstruct;
        const char* name = F::name[forward ? 2 : 3];
        ReportRecorder rec;
        const auto expect = [&](const VokWtState* st, const TypeParam* src, std::vector<const char*> contexts) {
            Sentinel out(8 * sizeof(TypeParam));
            rec.clear();
            EXPECT_EQ(fn(st, src, out.as<TypeParam>()), contexts.empty() ? 0 : VOK_StatusBadArg);
            EXPECT_EQ(out.untouched(), !contexts.empty());
            std::vector<Expected> want;
            for (const char* c : contexts) want.push_back({VOK_StatusBadArg, name, c, "vokwlts"});
            EXPECT_TRUE(sameReports(rec.reports(), want));
        };
        const auto corrupt = [&](auto change, std::vector<const char*> contexts) {
            VokWtState st = r.st;
            change(st);
            expect(&st, x, contexts);
        };
        expect(nullptr, nullptr, {"wtState==0"});
        expect(&r.st, nullptr, {"src==0"});
        rec.clear();
        EXPECT_EQ(fn(&r.st, x, nullptr), VOK_StatusBadArg);
        EXPECT_REPORTS(rec, {VOK_StatusBadArg, name, "dst==0", "vokwlts"});
        VokWtState broken{};
        broken.core = 3;
        broken.level = -1;
        broken.filtLen[0] = 1;
        broken.filtOffset[2] = -1;
        expect(&broken, x, {"error in the (float, double or short) core", "wtState->dataOrder<1", "wtState->level<0",
                            "error in the type of wavelet", "wtState->tap_filt[ 0 ]==0", "wtState->tap_filt[ 1 ]==0",
                            "wtState->tap_filt[ 2 ]==0", "wtState->tap_filt[ 3 ]==0", "wtState->src_pad==0",
                            "error in the filter lengths", "error in the filter offsets"});
        corrupt([](VokWtState& st) { st.dataOrder = 32; }, {"wtState->dataOrder>31"});
        corrupt([](VokWtState& st) { st.level = 3; }, {"wtState->level>(wtState->dataOrder-1)"});
        corrupt([](VokWtState& st) { st.kind = 4; }, {"error in the type of wavelet"});
        corrupt([](VokWtState& st) { st.filtLen[1] = st.filtLen[2] = 6; }, {"error in the filter lengths ortho. wavelet"});
        corrupt([](VokWtState& st) { std::fill_n(st.filtLen, 4, 3); }, {"error in the filter lengths ortho. wavelet"});
        corrupt([](VokWtState& st) { st.filtLen[3] = 6; }, {"error in the filter lengths"});
        corrupt([](VokWtState& st) { st.filtOffset[1] = 4; }, {"error in the filter offsets"});
        corrupt([](VokWtState& st) { st.core = st.core == 1 ? 2 : 1; }, {"error in the (float, double or short) core"});
        // Odd or unequal lengths are fine for a biorthogonal or user bank.
        corrupt([](VokWtState& st) { st.kind = 2, st.filtLen[1] = st.filtLen[2] = 3; }, {});
        Sentinel quiet(8 * sizeof(TypeParam));
        rec.clear();
        vokSetErrStatus(VOK_StatusBadArg);
        EXPECT_EQ(fn(&r.st, x, quiet.as<TypeParam>()), VOK_StatusBadArg);
        EXPECT_REPORTS(rec);
        EXPECT_TRUE(quiet.untouched());
    }
}

}  // namespace
