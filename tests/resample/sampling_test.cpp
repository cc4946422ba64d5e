// Up- and down-sampling: the zero-insertion and decimation patterns, phases
// carried across blocks, in-place use, and the argument checks.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;

template <class T> struct Sampling;
#define VOK_TEST_SAMPLING(t, T)                                                                   \
    template <> struct Sampling<T> {                                                              \
        static void up(const T* s, int n, T* d, int* len, int f, int* p) { vok##t##UpSample(s, n, d, len, f, p); }     \
        static void down(const T* s, int n, T* d, int* len, int f, int* p) { vok##t##DownSample(s, n, d, len, f, p); } \
    };
VOK_TEST_SAMPLING(s, float)
VOK_TEST_SAMPLING(c, FloatComplex)
VOK_TEST_SAMPLING(d, double)
VOK_TEST_SAMPLING(z, DoubleComplex)
VOK_TEST_SAMPLING(w, short)
VOK_TEST_SAMPLING(v, ShortComplex)
#undef VOK_TEST_SAMPLING

template <class T> T element(int k) {
    if constexpr (std::is_arithmetic_v<T>) return T(k + 1);
    else return T{decltype(T{}.re)(k + 1), decltype(T{}.re)(-k - 1)};
}
template <class T> bool same(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }

template <class T>
class Resampling : public ::testing::Test {};
using SampleTypes = ::testing::Types<float, FloatComplex, double, DoubleComplex, short, ShortComplex>;
TYPED_TEST_SUITE(Resampling, SampleTypes);

TYPED_TEST(Resampling, UpSamplingInsertsZerosAtThePhase) {
    using T = TypeParam;
    for (int factor = 1; factor <= 4; ++factor) {
        for (int phase = 0; phase < factor; ++phase) {
            const int n = 7;
            std::vector<T> src(n), dst(n * factor + 1, element<T>(99));
            for (int k = 0; k < n; ++k) src[k] = element<T>(k);
            int len = -1, p = phase;
            Sampling<T>::up(src.data(), n, dst.data(), &len, factor, &p);
            EXPECT_EQ(len, n * factor);
            EXPECT_EQ(p, phase);
            for (int i = 0; i < n * factor; ++i)
                EXPECT_TRUE(same(dst[i], i % factor == phase ? src[i / factor] : T{})) << factor << phase << i;
            EXPECT_TRUE(same(dst[n * factor], element<T>(99)));

            // The same array as source and destination.
            std::vector<T> inPlace(n * factor);
            std::copy(src.begin(), src.end(), inPlace.begin());
            Sampling<T>::up(inPlace.data(), n, inPlace.data(), &len, factor, &p);
            EXPECT_EQ(0, std::memcmp(inPlace.data(), dst.data(), sizeof(T) * n * factor));
        }
    }
}

TYPED_TEST(Resampling, DownSamplingAcrossBlocksEqualsOneLongCall) {
    using T = TypeParam;
    std::mt19937 rng(5);
    const int total = 500;
    std::vector<T> src(total);
    for (int k = 0; k < total; ++k) src[k] = element<T>(k);
    for (int factor = 1; factor <= 5; ++factor) {
        for (int startPhase = 0; startPhase < factor; ++startPhase) {
            std::vector<T> whole(total);
            int wholeLen = 0, wholePhase = startPhase;
            Sampling<T>::down(src.data(), total, whole.data(), &wholeLen, factor, &wholePhase);
            EXPECT_EQ(wholeLen, (total - startPhase + factor - 1) / factor);
            // Samples phase, phase + factor, ...; the phase then points into the next block.
            for (int i = 0; i < wholeLen; ++i) ASSERT_TRUE(same(whole[i], src[startPhase + i * factor])) << i;
            EXPECT_EQ(wholePhase, ((startPhase - total) % factor + factor) % factor);

            std::vector<T> pieces;
            int phase = startPhase;
            for (int at = 0; at < total;) {
                const int len = std::min(total - at, int(rng() % 11) + 1);
                std::vector<T> out(len + 1);
                int got = -1;
                Sampling<T>::down(src.data() + at, len, out.data(), &got, factor, &phase);
                ASSERT_GE(got, 0);
                ASSERT_LT(phase, factor);
                pieces.insert(pieces.end(), out.begin(), out.begin() + got);
                at += len;
            }
            ASSERT_EQ(int(pieces.size()), wholeLen);
            EXPECT_EQ(0, std::memcmp(pieces.data(), whole.data(), sizeof(T) * wholeLen));
            EXPECT_EQ(phase, wholePhase);
        }
    }
}

TEST(Resampling, ChecksInOrder) {
    float src[4] = {1, 2, 3, 4}, dst[8] = {};
    int len = 77, phase = 0, badPhase = -1, bigPhase = 3;
    struct Case {
        const float* s;
        int n;
        float* d;
        int* len;
        int factor;
        int* phase;
        const char* context;
    };
    const Case cases[] = {
        {nullptr, 0, nullptr, nullptr, 0, nullptr, "Invalid src array length"},
        {nullptr, 4, dst, &len, 2, &phase, "Null buffer pointer"},
        {src, 4, nullptr, &len, 2, &phase, "Null buffer pointer"},
        {src, 4, dst, nullptr, 0, nullptr, "Null dstLen pointer"},
        {src, 4, dst, &len, 0, nullptr, "Null phase pointer"},
        {src, 4, dst, &len, 0, &badPhase, "Invalid factor value"},
        {src, 4, dst, &len, 2, &badPhase, "Invalid phase value"},
        {src, 4, dst, &len, 3, &bigPhase, "Invalid factor value"},
    };
    for (const Case& c : cases) {
        for (bool up : {true, false}) {
            ReportRecorder rec;
            if (up) voksUpSample(c.s, c.n, c.d, c.len, c.factor, c.phase);
            else voksDownSample(c.s, c.n, c.d, c.len, c.factor, c.phase);
            EXPECT_REPORTS(rec, {VOK_StatusBadArg, up ? "voksUpSample" : "voksDownSample", c.context, "voksampl"});
            EXPECT_EQ(len, 77);
            for (float x : dst) EXPECT_EQ(x, 0);
            EXPECT_EQ(bigPhase, 3);
        }
    }
}

}  // namespace
