// Does the automatic method choice keep up with the best method? Each
// convolution pair and correlation lag count runs once per method, forced
// through the internal method functions (this program links the internal
// archive, so forcing adds no exported name), and once through the exported
// function. bench/selector_check.py prints the automatic time against the
// best forced one. The label of an automatic run names the method it chose.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "convolution/conv1d.h"
#include "convolution/correlate.h"
#include "convolution/fastcorr.h"
#include "signals.h"
#include "vok.h"

namespace {

namespace c1 = vok::conv1d;

using bench::signal;

// Forced convolution methods, by benchmark argument 2.
enum Forced { kAuto = 0, kDirect, kSingle, kSectionedTwice, kSectionedFourTimes };
const char* const kForcedNames[] = {"auto", "direct", "single", "sectioned 2x", "sectioned 4x"};

void convCases(benchmark::internal::Benchmark* b) {
    for (auto [l, s] : {std::pair{1 << 10, 16}, {1 << 16, 64}, {1 << 16, 1 << 10}, {1 << 20, 1 << 12}, {1 << 12, 1 << 12}})
        for (int forced = kAuto; forced <= kSectionedFourTimes; ++forced) b->Args({l, s, forced});
}

std::string choiceName(c1::Choice choice) {
    if (choice.method == c1::kDirect) return "direct";
    if (choice.method == c1::kSingle) return "single";
    return "sectioned mode " + std::to_string(choice.mode);
}

template <class T, int (VOK_CALL* F)(const T*, int, const T*, int, T*)>
void conv(benchmark::State& state, const c1::Model& model) {
    const int l = int(state.range(0)), s = int(state.range(1));
    const auto forced = Forced(state.range(2));
    const auto x = signal<T>(l, 1), h = signal<T>(s, 2);
    std::vector<T> y(l + s - 1);
    const c1::Choice choice = forced == kDirect             ? c1::Choice{c1::kDirect, 1}
                              : forced == kSingle           ? c1::Choice{c1::kSingle, 1}
                              : forced == kSectionedTwice   ? c1::Choice{c1::kSectioned, 1}
                                                            : c1::Choice{c1::kSectioned, 2};
    for (auto _ : state) {
        if (forced == kAuto) F(x.data(), l, h.data(), s, y.data());
        else c1::runMethod(model, choice, x.data(), l, h.data(), s, y.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel(forced == kAuto ? "auto: " + choiceName(c1::choose(model, l, s)) : kForcedNames[forced]);
    state.SetItemsProcessed(int64_t(state.iterations()) * (l + s - 1));
}
void BM_voksConv(benchmark::State& state) { conv<float, voksConv>(state, c1::kS); }
void BM_vokcConv(benchmark::State& state) { conv<FloatComplex, vokcConv>(state, c1::kC); }
BENCHMARK(BM_voksConv)->Apply(convCases);
BENCHMARK(BM_vokcConv)->Apply(convCases);

// Correlation: argument 2 is 0 (automatic), 1 (direct sums) or 2 (block
// transforms). 32 and 64 lags straddle the real crossover of the counts.
void corrCases(benchmark::internal::Benchmark* b) {
    for (int lags : {16, 32, 64, 128, 1 << 10})
        for (int forced = 0; forced <= 2; ++forced) b->Args({1 << 16, lags, forced});
}

template <class T, void (VOK_CALL* F)(const T*, int, const T*, int, T*, int, int)>
void crossCorr(benchmark::State& state) {
    const int lenA = int(state.range(0)), nLags = int(state.range(1)), lenB = lenA + nLags - 1;
    const int forced = int(state.range(2));
    const auto a = signal<T>(lenA, 1), b = signal<T>(lenB, 2);
    std::vector<T> dst(nLags);
    for (auto _ : state) {
        if (forced == 0) F(a.data(), lenA, b.data(), lenB, dst.data(), 0, nLags - 1);
        else if (forced == 1) vok::correlate::cross(a.data(), lenA, b.data(), lenB, dst.data(), 0, nLags - 1);
        else vok::fastcorr::cross(a.data(), lenA, b.data(), lenB, dst.data(), 0, nLags);
        benchmark::ClobberMemory();
    }
    const bool transform = vok::fastcorr::crossTransformCheaper<T, T>(lenA, nLags);
    state.SetLabel(forced == 0 ? (transform ? "auto: transform" : "auto: direct") : forced == 1 ? "direct" : "transform");
    state.SetItemsProcessed(int64_t(state.iterations()) * lenA * nLags);
}
void BM_voksCrossCorr(benchmark::State& state) { crossCorr<float, voksCrossCorr>(state); }
void BM_vokcCrossCorr(benchmark::State& state) { crossCorr<FloatComplex, vokcCrossCorr>(state); }
void BM_vokdCrossCorr(benchmark::State& state) { crossCorr<double, vokdCrossCorr>(state); }
BENCHMARK(BM_voksCrossCorr)->Apply(corrCases);
BENCHMARK(BM_vokcCrossCorr)->Apply(corrCases);
BENCHMARK(BM_vokdCrossCorr)->Apply(corrCases);

}  // namespace

BENCHMARK_MAIN();
