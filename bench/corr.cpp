// Cross- and autocorrelation of a 64 Ki-sample signal over few, some and many
// lags (16, 128, 1 Ki), through the exported functions and their own choice
// between direct sums and block transforms. bench/corr_numpy.py times
// numpy.correlate and scipy.signal.correlate on the same slices. Items are
// lags times input samples.
#include <benchmark/benchmark.h>

#include <cmath>
#include <type_traits>
#include <vector>

#include "signals.h"
#include "vok.h"

namespace {

using bench::signal;

void lagCounts(benchmark::internal::Benchmark* b) {
    for (int lags : {16, 128, 1 << 10}) b->Args({1 << 16, lags});
}

// Lags 0 ... nLags-1 of srcA (lenA samples) against srcB, which is long enough
// for every lag to see all of srcA (numpy's 'valid' correlation of srcB with srcA).
template <class T, void (VOK_CALL* F)(const T*, int, const T*, int, T*, int, int)>
void BM_crossCorr(benchmark::State& state) {
    const int lenA = int(state.range(0)), nLags = int(state.range(1)), lenB = lenA + nLags - 1;
    const auto a = signal<T>(lenA, 1), b = signal<T>(lenB, 2);
    std::vector<T> dst(nLags);
    for (auto _ : state) {
        F(a.data(), lenA, b.data(), lenB, dst.data(), 0, nLags - 1);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * lenA * nLags);
}

template <class T, void (VOK_CALL* F)(const T*, int, T*, int, int)>
void BM_autoCorr(benchmark::State& state) {
    const int len = int(state.range(0)), nLags = int(state.range(1));
    const auto x = signal<T>(len, 3);
    std::vector<T> dst(nLags);
    for (auto _ : state) {
        F(x.data(), len, dst.data(), nLags, 0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * len * nLags);
}

// clang-format off
BENCHMARK_TEMPLATE(BM_crossCorr, float, voksCrossCorr)->Name("BM_voksCrossCorr")->Apply(lagCounts);
BENCHMARK_TEMPLATE(BM_crossCorr, double, vokdCrossCorr)->Name("BM_vokdCrossCorr")->Apply(lagCounts);
BENCHMARK_TEMPLATE(BM_crossCorr, FloatComplex, vokcCrossCorr)->Name("BM_vokcCrossCorr")->Apply(lagCounts);
BENCHMARK_TEMPLATE(BM_autoCorr, float, voksAutoCorr)->Name("BM_voksAutoCorr")->Apply(lagCounts);
BENCHMARK_TEMPLATE(BM_autoCorr, FloatComplex, vokcAutoCorr)->Name("BM_vokcAutoCorr")->Apply(lagCounts);
// clang-format on

}  // namespace

BENCHMARK_MAIN();
