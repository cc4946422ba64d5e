// Wavelet filter banks: the predefined families against PyWavelets' filters,
// the structure every bank must have (normalisation, orthogonality, mirrored
// offsets), user banks through SetState/GetState, and every failure report of
// Init, SetState, GetState and vokWtFree, allocation failures included.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "frame/test_seams.h"
#include "support/reports.h"
#include "vok.h"
#include "wavelet/bank.h"
#include "wavelet_support.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;
using namespace wavtest;

bool recordIsClear(const VokWtState& st) {
    const VokWtState zero{};
    return std::memcmp(&st, &zero, sizeof st) == 0;
}

TEST(WaveletBank, HaarIsTheDocumentedBank) {
    Record<float> r(VOK_WtHaar, 0, 0, 2, 1);
    ASSERT_TRUE(r.ok());
    const VokWtState& st = r.st;
    EXPECT_EQ(st.core, 1);
    EXPECT_EQ(st.kind, 1);
    const std::vector<std::vector<float>> want = {{0.5f, 0.5f}, {0.5f, -0.5f}, {1, 1}, {-1, 1}};
    const int offsets[4] = {1, 1, 0, 0};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(st.filtLen[i], 2);
        EXPECT_EQ(st.filtOffset[i], offsets[i]);
        for (int k = 0; k < 2; ++k) EXPECT_FLOAT_EQ(r.tap(i)[k], want[i][k]) << i << ' ' << k;
    }
}

// Orthogonal banks are PyWavelets' (rec_lo, rec_hi, dec_lo, dec_hi), the
// decomposition pair scaled to a low-pass sum of 1 and the reconstruction pair
// to a sum of 2.
TEST(WaveletBank, OrthogonalFamiliesMatchPyWavelets) {
    for (const auto& f : orthogonalFamilies()) {
        SCOPED_TRACE(f.pywtName);
        const PywtBank& ref = pywtBank(f.pywtName);
        Record<double> r(f.type, f.par1, 0, 6, 2);
        ASSERT_TRUE(r.ok());
        const double scale[4] = {1 / std::sqrt(2.0), 1 / std::sqrt(2.0), std::sqrt(2.0), std::sqrt(2.0)};
        const std::vector<double>* from[4] = {&ref.recLo, &ref.recHi, &ref.decLo, &ref.decHi};
        for (int i = 0; i < 4; ++i) {
            ASSERT_EQ(r.st.filtLen[i], int(from[i]->size()));
            for (size_t k = 0; k < from[i]->size(); ++k)
                EXPECT_NEAR(r.tap(i)[k], (*from[i])[k] * scale[i], 1e-11) << i << ' ' << k;
        }
        Record<float> rf(f.type, f.par1, 0, 6, 2);
        ASSERT_TRUE(rf.ok());
        for (int i = 0; i < 4; ++i)
            for (size_t k = 0; k < from[i]->size(); ++k) EXPECT_EQ(rf.tap(i)[k], float(r.tap(i)[k]));
    }
}

// Properties of every predefined bank, the Vaidyanathan filter included.
TEST(WaveletBank, EveryPredefinedBankIsNormalisedAndCentred) {
    for (const auto& f : allFamilies()) {
        SCOPED_TRACE(f.label());
        Record<double> r(f.type, f.par1, f.par2, 5, 1);
        ASSERT_TRUE(r.ok());
        const VokWtState& st = r.st;
        EXPECT_EQ(st.kind, f.type <= 5 ? 1 : 2);
        EXPECT_EQ(st.wtType, f.type);
        EXPECT_EQ(st.par1, f.par1);
        EXPECT_EQ(st.par2, f.par2);
        EXPECT_EQ(st.filtLen[0], st.filtLen[3]);
        EXPECT_EQ(st.filtLen[1], st.filtLen[2]);
        long double sums[4] = {};
        for (int i = 0; i < 4; ++i) {
            EXPECT_GE(st.filtOffset[i], 0);
            EXPECT_LT(st.filtOffset[i], st.filtLen[i]);
            for (int k = 0; k < st.filtLen[i]; ++k) sums[i] += r.tap(i)[k];
        }
        // The published Symmlet tables carry about twelve exact digits, the
        // Vaidyanathan filter eight, and it keeps a little of the constant in its
        // high-pass (the bank accepts up to 1/1000 of the largest tap).
        const bool vaidyanathan = f.type == VOK_WtVaidyanathan;
        EXPECT_NEAR(double(sums[0]), 1.0, 1e-12);
        EXPECT_NEAR(double(sums[1]), 0.0, vaidyanathan ? 1e-3 * 0.5 : 1e-10);
        EXPECT_NEAR(double(sums[2]), 2.0, vaidyanathan ? 1e-7 : 1e-11);
        EXPECT_NEAR(double(sums[3]), 0.0, vaidyanathan ? 1e-3 * 2 : 1e-10);
        if (f.type <= 5) {
            const int L = st.filtLen[0];
            EXPECT_EQ(L, f.prototypeLength);
            EXPECT_EQ(st.filtOffset[0], st.filtOffset[1]);
            EXPECT_EQ(st.filtOffset[2], L - 1 - st.filtOffset[0]);
            EXPECT_EQ(st.filtOffset[3], st.filtOffset[2]);
            // Decomposition low-pass: energy 1/2 and orthogonal to its even shifts.
            for (int m = 0; m < L; m += 2) {
                long double dot = 0;
                for (int i = m; i < L; ++i) dot += (long double)r.tap(0)[i] * r.tap(0)[i - m];
                EXPECT_NEAR(double(dot), m == 0 ? 0.5 : 0.0, vaidyanathan ? 1e-7 : 1e-11) << m;
            }
            // The offset points at the largest tap after the first.
            double peak = 0;
            for (int k = 1; k < L; ++k) peak = std::max(peak, std::fabs(r.tap(0)[k]));
            EXPECT_EQ(std::fabs(r.tap(0)[st.filtOffset[0]]), peak);
        }
    }
}

TEST(WaveletBank, VaidyanathanFilterBeginsAndEndsWithThePublishedTaps) {
    Record<double> r(VOK_WtVaidyanathan, 0, 0, 5, 1);
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.st.filtLen[0], 24);
    // The prototype sums to sqrt(2); the decomposition low-pass to 1. The inner
    // taps are published to twelve decimals, so the normalisation moves the
    // ends by a few parts in 10^9.
    const double s = std::sqrt(2.0);
    const double ends[4] = {-6.290611819074752e-05, 0.0003436319048210292, 0.2501841295046622, 0.04579933411097672};
    const int at[4] = {0, 1, 22, 23};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(r.tap(0)[at[i]] * s, ends[i], 1e-8 * std::fabs(ends[i])) << at[i];
}

std::vector<double> trimmed(const std::vector<double>& v) {
    size_t b = 0, e = v.size();
    while (b < e && v[b] == 0) ++b;
    while (e > b && v[e - 1] == 0) --e;
    return {v.begin() + long(b), v.begin() + long(e)};
}

// The spline pairs: type 7 analyses with the dual filter as PyWavelets' bior
// wavelets do, type 6 with the primal one; high-pass filters alternate in sign.
TEST(WaveletBank, BiorthogonalPairsMatchPyWavelets) {
    const int pairs[][2] = {{1, 1}, {1, 3}, {1, 5}, {2, 2}, {2, 4}, {2, 6}, {2, 8}, {3, 1}, {3, 3}, {3, 5}, {3, 7}, {3, 9}};
    const double s = std::sqrt(2.0);
    for (const auto& p : pairs) {
        SCOPED_TRACE(testing::Message() << p[0] << "." << p[1]);
        const PywtBank& ref = pywtBank("bior" + std::to_string(p[0]) + "." + std::to_string(p[1]));
        const auto dual = trimmed(ref.decLo), primal = trimmed(ref.recLo);
        const auto dualHigh = trimmed(ref.recHi), primalHigh = trimmed(ref.decHi);
        for (int type : {VOK_WtBiorth, VOK_WtBiorthDual}) {
            Record<double> r(type, p[0], p[1], 6, 2);
            ASSERT_TRUE(r.ok());
            const bool dualFirst = type == VOK_WtBiorthDual;
            const auto& analysis = dualFirst ? dual : primal;
            const auto& synthesis = dualFirst ? primal : dual;
            const auto& analysisHigh = dualFirst ? primalHigh : dualHigh;
            const auto& synthesisHigh = dualFirst ? dualHigh : primalHigh;
            const std::vector<double>* want[4] = {&analysis, &analysisHigh, &synthesis, &synthesisHigh};
            const double scale[4] = {1 / s, 1 / s, s, s};
            for (int i = 0; i < 4; ++i) {
                ASSERT_EQ(r.st.filtLen[i], int(want[i]->size())) << i;
                for (int k = 0; k < r.st.filtLen[i]; ++k) {
                    EXPECT_NEAR(std::fabs(r.tap(i)[k]), std::fabs((*want[i])[k]) * scale[i], 1e-15) << i << ' ' << k;
                }
            }
            // A high-pass filter is the other pass's low-pass with alternating signs:
            // decomposition high = +-(-1)^k * synthesis low / 2, reconstruction high = +-(-1)^k * 2 * analysis low.
            for (int k = 0; k < r.st.filtLen[1]; ++k)
                EXPECT_EQ(std::fabs(r.tap(1)[k] * (k % 2 ? -1 : 1) - r.tap(2)[k] / 2 * (r.tap(1)[0] / (r.tap(2)[0] / 2))), 0) << k;
            for (int k = 0; k < r.st.filtLen[3]; ++k)
                EXPECT_EQ(std::fabs(r.tap(3)[k] * (k % 2 ? -1 : 1) - 2 * r.tap(0)[k] * (r.tap(3)[0] / (2 * r.tap(0)[0]))), 0) << k;
        }
    }
}

TEST(WaveletBank, SplinePairsOneOneAndFixedTypes) {
    Record<double> r(VOK_WtBiorth, 1, 1, 3, 1);
    ASSERT_TRUE(r.ok());
    const double want[4][2] = {{0.5, 0.5}, {-0.5, 0.5}, {1, 1}, {1, -1}};
    const int offsets[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r.st.filtOffset[i], offsets[i]);
        for (int k = 0; k < 2; ++k) EXPECT_EQ(r.tap(i)[k], want[i][k]);
    }
    // Types 8 and 9 are the (2, 2) and (3, 3) pairs whatever the parameters.
    for (auto [type, order] : {std::pair{VOK_WtBiorth22, 2}, std::pair{VOK_WtBiorth33, 3}}) {
        Record<double> fixed(type, 7, 9, 4, 1), pair(VOK_WtBiorth, order, order, 4, 1);
        ASSERT_TRUE(fixed.ok() && pair.ok());
        EXPECT_EQ(fixed.st.kind, 2);
        EXPECT_EQ(fixed.st.par1, 7);
        for (int i = 0; i < 4; ++i) {
            ASSERT_EQ(fixed.st.filtLen[i], pair.st.filtLen[i]);
            EXPECT_EQ(fixed.st.filtOffset[i], pair.st.filtOffset[i]);
            for (int k = 0; k < pair.st.filtLen[i]; ++k) EXPECT_EQ(fixed.tap(i)[k], pair.tap(i)[k]);
        }
    }
}

TEST(WaveletBank, SixteenBitRecordsHoldTheFloatBank) {
    VokWtState w{}, s{};
    vokwWtInit(3, 0, 5, 2, &w, VOK_WtDaublet);
    voksWtInit(3, 0, 5, 2, &s, VOK_WtDaublet);
    EXPECT_EQ(w.core, 4);
    EXPECT_EQ(s.core, 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::memcmp(w.tap_filt[i], s.tap_filt[i], sizeof(float) * unsigned(s.filtLen[i])), 0);
    vokWtFree(&w);
    vokWtFree(&s);
    EXPECT_TRUE(recordIsClear(w));
}

// ---- User banks ----

template <class T>
struct UserBank {
    std::vector<T> taps[4];
    T* pointers[4];
    int lengths[4];
    int offsets[4];
    UserBank(std::vector<int> len, std::vector<int> ofs) {
        for (int i = 0; i < 4; ++i) {
            taps[i].resize(size_t(len[i]));
            for (int k = 0; k < len[i]; ++k) taps[i][k] = T(0.125 * (i + 1) + k);
            pointers[i] = taps[i].data();
            lengths[i] = len[i];
            offsets[i] = ofs[i];
        }
    }
};

template <class T>
class WaveletUserBank : public ::testing::Test {};
using Cores = ::testing::Types<float, double, short>;
TYPED_TEST_SUITE(WaveletUserBank, Cores);

TYPED_TEST(WaveletUserBank, SetStateThenGetStateRoundTrip) {
    using F = Forms<TypeParam>;
    using Tap = typename F::Tap;
    UserBank<Tap> user({4, 6, 6, 4}, {0, 5, 2, 3});
    VokWtState st{};
    ReportRecorder rec;
    F::setState(&st, VOK_WtUser, 3, 4, 5, 2, user.pointers, user.lengths, user.offsets);
    EXPECT_REPORTS(rec);
    EXPECT_EQ(st.core, F::core);
    EXPECT_EQ(st.kind, 3);
    int type = 0, par1 = 0, par2 = 0, order = 0, level = 0, len[4] = {}, ofs[4] = {};
    Tap* taps[4] = {};
    F::getState(&st, &type, &par1, &par2, &order, &level, taps, len, ofs);
    EXPECT_EQ(type, VOK_WtUser);
    EXPECT_EQ(par1, 3);
    EXPECT_EQ(par2, 4);
    EXPECT_EQ(order, 5);
    EXPECT_EQ(level, 2);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(len[i], user.lengths[i]);
        EXPECT_EQ(ofs[i], user.offsets[i]);
        EXPECT_EQ(taps[i], st.tap_filt[i]);  // the record's own arrays
        EXPECT_NE(taps[i], user.pointers[i]);
        for (int k = 0; k < len[i]; ++k) EXPECT_EQ(taps[i][k], user.taps[i][k]);
    }
    vokWtFree(&st);
    EXPECT_TRUE(recordIsClear(st));
}

TYPED_TEST(WaveletUserBank, SetStateWithAPredefinedTypeActsAsInit) {
    using F = Forms<TypeParam>;
    VokWtState st{};
    F::setState(&st, VOK_WtCoiflet, 2, 0, 6, 3, nullptr, nullptr, nullptr);
    EXPECT_EQ(st.core, F::core);
    EXPECT_EQ(st.wtType, VOK_WtCoiflet);
    EXPECT_EQ(st.filtLen[0], 12);
    EXPECT_EQ(st.level, 3);
    vokWtFree(&st);
}

// A failing call of one core's entry point: the first report, then the rest.
voktest::BadCall failing(std::function<void()> call, const char* fn, std::vector<const char*> contexts,
                         int status = VOK_StatusBadArg) {
    voktest::BadCall row{std::move(call), {status, fn, contexts[0], "vokwlts"}};
    for (size_t i = 1; i < contexts.size(); ++i) row.then.push_back({status, fn, contexts[i], "vokwlts"});
    return row;
}

// With no memory the record stays as it was: each of the five allocations fails in turn.
template <class Call>
void addAllocationFailures(std::vector<voktest::BadCall>& rows, Call call, const char* fn) {
    for (int n = 1; n <= 5; ++n)
        rows.push_back(failing([=] {
            vok::testing::failAllocationAfter(n);
            call();
            vok::testing::failAllocationAfter(0);
        }, fn, {"No working wavelet memory"}, VOK_StatusNoMemory));
}

TYPED_TEST(WaveletUserBank, SetStateFailures) {
    using F = Forms<TypeParam>;
    using Tap = typename F::Tap;
    const char* fn = F::setStateName;
    VokWtState st{};
    // A user bank built inside the call, spoiled by 'spoil'.
    const auto user = [&](int order, int level, std::vector<int> len, std::vector<int> ofs, auto spoil) {
        return [=, &st] {
            UserBank<Tap> b(len, ofs);
            spoil(b);
            F::setState(&st, VOK_WtUser, 0, 0, order, level, b.pointers, b.lengths, b.offsets);
        };
    };
    const auto asIs = [](UserBank<Tap>&) {};
    const std::vector<int> len{4, 6, 6, 4}, ofs{0, 1, 2, 3};
    std::vector<voktest::BadCall> rows = {
        failing([&] { UserBank<Tap> b(len, ofs);
                      F::setState(nullptr, VOK_WtUser, 0, 0, 4, 1, b.pointers, b.lengths, b.offsets); },
                fn, {"wtState==0"}),
        failing(user(0, 5, len, ofs, asIs), fn, {"dataOrder<1", "level>(dataOrder-1)"}),
        failing(user(32, -1, len, ofs, asIs), fn, {"dataOrder>31", "level<0"}),
        failing([&] { F::setState(&st, VOK_WtUser, 0, 0, 4, 1, nullptr, nullptr, nullptr); }, fn,
                {"Ftaps eq. NULL", "Flen eq. NULL", "Fofs eq. NULL"}),
        failing([&] { UserBank<Tap> b(len, ofs);
                      F::setState(&st, VOK_WtUser, 0, 0, 4, 1, b.pointers, nullptr, b.offsets); },
                fn, {"Flen eq. NULL"}),
    };
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
                    {VOK_StatusBadArg, F::initBuilderName, "error in parameter Symmlet filter", "vokwlts"},
                    {{VOK_StatusBacktrace, fn, F::setStateBacktrace, "vokwlts"}}});
    EXPECT_TRUE(voktest::eachReports(rows));
    EXPECT_TRUE(recordIsClear(st));  // no failed SetState touched the record
}

TYPED_TEST(WaveletUserBank, GetStateChecksEveryPointer) {
    using F = Forms<TypeParam>;
    using Tap = typename F::Tap;
    const char* fn = F::getStateName;
    Record<TypeParam> r(VOK_WtHaar, 0, 0, 3, 1);
    Sentinel out(256);
    int* ints = out.as<int>();
    Tap** taps = reinterpret_cast<Tap**>(ints + 16);
    EXPECT_TRUE(voktest::eachReports({
        failing([] { F::getState(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); },
                fn, {"wtState==0", "wtType==0", "par1==0", "par2==0", "dataOrder==0", "level==0", "Ftaps==0",
                     "Flen==0", "Fofs==0"}),
        failing([&] { F::getState(&r.st, ints, ints + 1, ints + 2, ints + 3, ints + 4, taps, ints + 8, nullptr); },
                fn, {"Fofs==0"}),
    }));
    EXPECT_TRUE(out.untouched());
}

TYPED_TEST(WaveletUserBank, InitFailures) {
    using F = Forms<TypeParam>;
    const char* fn = F::initBuilderName;  // the 16-bit Init reports through the float one
    VokWtState st;
    std::memset(&st, 0x5A, sizeof st);
    const auto init = [&](int p, int q, int order, int level, int type) {
        return [=, &st] { F::init(p, q, order, level, &st, type); };
    };
    std::vector<voktest::BadCall> rows = {
        failing([] { F::init(1, 0, 4, 1, nullptr, VOK_WtHaar); }, fn, {"wtState==0"}),
        failing(init(1, 0, 0, 5, VOK_WtHaar), fn, {"dataOrder<1", "level>(dataOrder-1)"}),
        failing(init(1, 0, 32, -1, VOK_WtHaar), fn, {"dataOrder>31", "level<0"}),
        failing(init(1, 0, 1, 1, VOK_WtHaar), fn, {"level>(dataOrder-1)"}),  // order 1 allows level 0 only
        // A signal of 2^31 samples cannot be padded.
        failing(init(1, 0, 31, 0, VOK_WtHaar), fn, {"No working wavelet memory"}, VOK_StatusNoMemory),
    };
    for (int type : {0, 10, 11, -1}) rows.push_back(failing(init(1, 1, 4, 1, type), fn, {"error in the type of wavelet"}));
    struct Parameter { int type, tooLarge; const char* message; };
    for (Parameter t : {Parameter{VOK_WtDaublet, 11, "error in parameter Daublet filter"},
                        {VOK_WtSymmlet, 8, "error in parameter Symmlet filter"},
                        {VOK_WtCoiflet, 6, "error in parameter Coiflet filter"}})
        for (int p : {0, t.tooLarge}) rows.push_back(failing(init(p, 0, 4, 1, t.type), fn, {t.message}));
    for (auto [p, q] : {std::pair{1, 2}, {2, 1}, {2, 3}, {3, 2}, {3, 11}, {4, 4}, {0, 0}})
        for (int type : {VOK_WtBiorth, VOK_WtBiorthDual})
            rows.push_back(failing(init(p, q, 4, 1, type), fn, {"error in wavelet parameters"}));
    // The pad, then the four tap arrays; after a failure the record holds nothing.
    addAllocationFailures(rows, init(2, 0, 6, 2, VOK_WtDaublet), fn);
    if (F::core == 4)
        for (auto& row : rows) row.then.push_back({VOK_StatusBacktrace, "vokwWtInit", "out voksWtInit", "vokwlts"});
    EXPECT_TRUE(voktest::eachReports(rows));
    EXPECT_TRUE(recordIsClear(st));
    ReportRecorder rec;
    F::init(1, 0, 1, 0, &st, VOK_WtHaar);
    EXPECT_REPORTS(rec);
    EXPECT_EQ(st.dataOrder, 1);
    vokWtFree(&st);
}

TEST(WaveletBank, FreeOfNoRecordIsReported) {
    ReportRecorder rec;
    vokWtFree(nullptr);
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "vokWtFree", "wtState==0", "vokwlts"});
}

// The orthogonal bank builder on prototypes that no predefined family has.
TEST(WaveletBank, OrthogonalBuilderRefusesUnusablePrototypes) {
    struct Case {
        std::vector<double> h;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{1, 1, 1}, "Odd ortho. filter length"},
        {{1e-10, -1e-10, 1e-11, 0}, "Small ortho. filter taps values"},
        {{1, 1, 1, 1}, "Bad low-pass ortho. filter taps"},       // not orthogonal to its shift by 2
        {{1, -1}, "Bad low-pass ortho. filter taps"},            // sums to zero
        {{1, 0.5}, "Bad high-pass ortho. filter taps"},          // high-pass keeps a constant
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        ReportRecorder rec;
        vok::wavelet::Bank bank;
        EXPECT_FALSE(vok::wavelet::buildOrthogonalBank({"voksWtInit", "vokwlts", 1}, c.h.data(), int(c.h.size()), bank));
        EXPECT_REPORTS(rec, {VOK_StatusBadArg, "voksWtInit", c.message, "vokwlts"});
    }
}

}  // namespace
