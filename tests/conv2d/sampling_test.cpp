// Up- and down-sampling of every element type: the zero-insertion and
// decimation patterns, phases carried across blocks, in-place use, a guard
// element after every output, and the argument checks in order.
#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

#include "voktest/values.h"
#include "voktest/vector_calls.h"
#include "vok.h"

namespace {

using namespace voktest;
template <class T>
using Sampler = void (*)(const T*, int, T*, int*, int, int*);

template <class T> T element(int k) {  // never zero, so an inserted zero shows
    if constexpr (requires { T{}.re; }) return T{decltype(T{}.re)(k + 1), decltype(T{}.re)(-k - 1)};
    else return T(k + 1);
}

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
            std::vector<T> dst(n * factor + 1, guard), inPlace(src.begin(), src.begin() + n);
            inPlace.resize(n * factor);
            int len = -1, p = phase;
            up(src.data(), n, dst.data(), &len, factor, &p);
            EXPECT_TRUE(len == n * factor && p == phase) << len << " " << p;
            for (int i = 0; i < n * factor; ++i)
                EXPECT_TRUE(sameBits(&dst[i], i % factor == phase ? &src[i / factor] : &zero, 1)) << i;
            EXPECT_TRUE(sameBits(&dst[n * factor], &guard, 1));
            up(inPlace.data(), n, inPlace.data(), &len, factor, &p);
            EXPECT_TRUE(sameBits(inPlace.data(), dst.data(), n * factor));

            // Samples phase, phase + factor, ...; the phase then points into the next block.
            std::vector<T> whole(total + 1, guard), pieces;
            int wholeLen = 0, wholePhase = phase;
            down(src.data(), total, whole.data(), &wholeLen, factor, &wholePhase);
            EXPECT_EQ(wholeLen, (total - phase + factor - 1) / factor);
            EXPECT_EQ(wholePhase, ((phase - total) % factor + factor) % factor);
            for (int i = 0; i < wholeLen; ++i) ASSERT_TRUE(sameBits(&whole[i], &src[phase + i * factor], 1)) << i;
            EXPECT_TRUE(sameBits(&whole[wholeLen], &guard, 1));
            p = phase;
            for (int at = 0, blockLen = 0; at < total; at += blockLen) {
                blockLen = std::min(total - at, int(rng() % 11) + 1);
                std::vector<T> out(blockLen + 1);
                int got = -1;
                down(src.data() + at, blockLen, out.data(), &got, factor, &p);
                ASSERT_TRUE(got >= 0 && p < factor);
                pieces.insert(pieces.end(), out.begin(), out.begin() + got);
            }
            EXPECT_TRUE(sameBits(pieces, std::vector<T>(whole.begin(), whole.begin() + wholeLen)));
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

// The phase is read only once its pointer passed; a phase not below the factor is a bad factor.
TEST(Resampling, ChecksInOrder) {
    const char* factor = "Invalid factor value";
    using Entry = std::pair<const char*, Sampler<float>>;
    for (const auto& [name, fn] : {Entry{"voksUpSample", voksUpSample}, {"voksDownSample", voksDownSample}}) {
        CheckTable table("voksampl");
        int phase = 0, badPhase = -1, bigPhase = 3;
        const auto call = [&](int f, int* p) {
            return std::tuple<const float*, int, float*, int*, int, int*>{
                table.buffer<float>(), 4, table.buffer<float>(), table.buffer<int>(), f, p};
        };
        table(name, fn, {{1, "Invalid src array length", 0}, {0, "Null buffer pointer"}, {2, "Null buffer pointer"},
                         {3, "Null dstLen pointer"}, {5, "Null phase pointer"}, {4, factor, 0}}, call(2, &phase));
        table(name, fn, {{4, factor, 0}, {"Invalid phase value", {}}}, call(2, &badPhase));
        table(name, fn, {{factor, {}}}, call(3, &bigPhase));
        EXPECT_TRUE(phase == 0 && badPhase == -1 && bigPhase == 3);
    }
}

}  // namespace
