// Up- and down-sampling of every element type: the zero-insertion and
// decimation patterns, phases carried across blocks, in-place use, a guard
// element after every output, and the argument checks in order.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "voktest/reports.h"
#include "vok.h"

namespace {

template <class T>
using Sampler = void (*)(const T*, int, T*, int*, int, int*);

template <class T> T element(int k) {
    if constexpr (std::is_arithmetic_v<T>) return T(k + 1);
    else return T{decltype(T{}.re)(k + 1), decltype(T{}.re)(-k - 1)};
}
template <class T> bool same(const T* a, const T* b, int n = 1) { return std::memcmp(a, b, sizeof(T) * n) == 0; }

template <class T>
void checkSampling(Sampler<T> up, Sampler<T> down) {
    const int n = 7, total = 500;
    std::vector<T> src(total);
    for (int k = 0; k < total; ++k) src[k] = element<T>(k);
    const T zero{}, guard = element<T>(99);
    std::mt19937 rng(5);
    for (int factor = 1; factor <= 5; ++factor) {
        for (int phase = 0; phase < factor; ++phase) {
            SCOPED_TRACE(testing::Message() << "factor " << factor << " phase " << phase);
            std::vector<T> dst(n * factor + 1, guard), inPlace(n * factor);
            int len = -1, p = phase;
            up(src.data(), n, dst.data(), &len, factor, &p);
            EXPECT_EQ(len, n * factor);
            EXPECT_EQ(p, phase);
            for (int i = 0; i < n * factor; ++i)
                EXPECT_TRUE(same(&dst[i], i % factor == phase ? &src[i / factor] : &zero)) << i;
            EXPECT_TRUE(same(&dst[n * factor], &guard));
            std::copy(src.begin(), src.begin() + n, inPlace.begin());
            up(inPlace.data(), n, inPlace.data(), &len, factor, &p);
            EXPECT_TRUE(same(inPlace.data(), dst.data(), n * factor));

            // Samples phase, phase + factor, ...; the phase then points into the next block.
            std::vector<T> whole(total + 1, guard), pieces;
            int wholeLen = 0, wholePhase = phase;
            down(src.data(), total, whole.data(), &wholeLen, factor, &wholePhase);
            EXPECT_EQ(wholeLen, (total - phase + factor - 1) / factor);
            for (int i = 0; i < wholeLen; ++i) ASSERT_TRUE(same(&whole[i], &src[phase + i * factor])) << i;
            EXPECT_TRUE(same(&whole[wholeLen], &guard));
            EXPECT_EQ(wholePhase, ((phase - total) % factor + factor) % factor);
            p = phase;
            for (int at = 0; at < total;) {
                const int blockLen = std::min(total - at, int(rng() % 11) + 1);
                std::vector<T> out(blockLen + 1);
                int got = -1;
                down(src.data() + at, blockLen, out.data(), &got, factor, &p);
                ASSERT_TRUE(got >= 0 && p < factor);
                pieces.insert(pieces.end(), out.begin(), out.begin() + got);
                at += blockLen;
            }
            ASSERT_EQ(int(pieces.size()), wholeLen);
            EXPECT_TRUE(same(pieces.data(), whole.data(), wholeLen));
            EXPECT_EQ(p, wholePhase);
        }
    }
}

TEST(Resampling, PatternsPhasesAndBlocksForEveryType) {
    checkSampling<float>(voksUpSample, voksDownSample);
    checkSampling<FloatComplex>(vokcUpSample, vokcDownSample);
    checkSampling<double>(vokdUpSample, vokdDownSample);
    checkSampling<DoubleComplex>(vokzUpSample, vokzDownSample);
    checkSampling<short>(vokwUpSample, vokwDownSample);
    checkSampling<ShortComplex>(vokvUpSample, vokvDownSample);
}

TEST(Resampling, ChecksInOrder) {
    float src[4] = {1, 2, 3, 4}, dst[8] = {};
    int len = 77, phase = 0, badPhase = -1, bigPhase = 3;
    struct Case {
        const float* s;
        int n;
        float* d;
        int *len, factor, *phase;
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
            voktest::ReportRecorder rec;
            (up ? voksUpSample : voksDownSample)(c.s, c.n, c.d, c.len, c.factor, c.phase);
            EXPECT_REPORTS(rec, {VOK_StatusBadArg, up ? "voksUpSample" : "voksDownSample", c.context, "voksampl"});
            EXPECT_EQ(len, 77);
            for (float x : dst) EXPECT_EQ(x, 0);
            EXPECT_EQ(bigPhase, 3);
        }
    }
}

}  // namespace
