// Five-level Daubechies-4 (8 taps) decomposition, reconstruction and both of 2^20
// samples with periodic boundaries. PyWavelets does the same work with
// mode='periodization' (bench/wavelet_pywt.py runs it and prints both).
// Items are input samples, so items_per_second inverts to ns/sample.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "vok.h"

namespace {

constexpr int kOrder = 20;
constexpr int kLevels = 5;
constexpr int kDaubOrder = 4;
constexpr int kLength = 1 << kOrder;

template <class T>
std::vector<T> samples(int n) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-1, 1);
    std::vector<T> v(n);
    for (auto& x : v) x = T(u(rng));
    return v;
}

template <class T>
struct Api;

template <>
struct Api<float> {
    static void init(VokWtState* s) { voksWtInit(kDaubOrder, 0, kOrder, kLevels, s, VOK_WtDaublet); }
    static int decompose(const VokWtState* s, const float* x, float* y) { return voksWtDecompose(s, x, y); }
    static int reconstruct(const VokWtState* s, const float* x, float* y) { return voksWtReconstruct(s, x, y); }
};

template <>
struct Api<double> {
    static void init(VokWtState* s) { vokdWtInit(kDaubOrder, 0, kOrder, kLevels, s, VOK_WtDaublet); }
    static int decompose(const VokWtState* s, const double* x, double* y) { return vokdWtDecompose(s, x, y); }
    static int reconstruct(const VokWtState* s, const double* x, double* y) { return vokdWtReconstruct(s, x, y); }
};

template <class T>
void wtDecompose(benchmark::State& state) {
    VokWtState wt{};
    Api<T>::init(&wt);
    auto x = samples<T>(kLength);
    std::vector<T> bands(kLength);
    for (auto _ : state) {
        if (Api<T>::decompose(&wt, x.data(), bands.data()) != 0) state.SkipWithError("decompose failed");
        benchmark::DoNotOptimize(bands.data());
        benchmark::ClobberMemory();
    }
    vokWtFree(&wt);
    state.SetItemsProcessed(state.iterations() * kLength);
}

template <class T>
void wtReconstruct(benchmark::State& state) {
    VokWtState wt{};
    Api<T>::init(&wt);
    auto x = samples<T>(kLength);
    std::vector<T> bands(kLength), y(kLength);
    Api<T>::decompose(&wt, x.data(), bands.data());
    for (auto _ : state) {
        if (Api<T>::reconstruct(&wt, bands.data(), y.data()) != 0) state.SkipWithError("reconstruct failed");
        benchmark::DoNotOptimize(y.data());
        benchmark::ClobberMemory();
    }
    vokWtFree(&wt);
    state.SetItemsProcessed(state.iterations() * kLength);
}

template <class T>
void wtRoundTrip(benchmark::State& state) {
    VokWtState wt{};
    Api<T>::init(&wt);
    auto x = samples<T>(kLength);
    std::vector<T> bands(kLength), y(kLength);
    for (auto _ : state) {
        if (Api<T>::decompose(&wt, x.data(), bands.data()) != 0 ||
            Api<T>::reconstruct(&wt, bands.data(), y.data()) != 0)
            state.SkipWithError("round trip failed");
        benchmark::DoNotOptimize(y.data());
        benchmark::ClobberMemory();
    }
    // A benchmark of a transform that does not invert is worthless: check once.
    double worst = 0;
    for (int i = 0; i < kLength; ++i) {
        const double d = double(y[i]) - double(x[i]);
        worst = d < 0 ? (-d > worst ? -d : worst) : (d > worst ? d : worst);
    }
    state.counters["max_error"] = worst;
    vokWtFree(&wt);
    state.SetItemsProcessed(state.iterations() * kLength);
}

BENCHMARK(wtDecompose<float>)->Name("voksWtDecompose/db4/L5/2^20")->Unit(benchmark::kMillisecond);
BENCHMARK(wtReconstruct<float>)->Name("voksWtReconstruct/db4/L5/2^20")->Unit(benchmark::kMillisecond);
BENCHMARK(wtRoundTrip<float>)->Name("voksWtDecompose+Reconstruct/db4/L5/2^20")->Unit(benchmark::kMillisecond);
BENCHMARK(wtDecompose<double>)->Name("vokdWtDecompose/db4/L5/2^20")->Unit(benchmark::kMillisecond);
BENCHMARK(wtReconstruct<double>)->Name("vokdWtReconstruct/db4/L5/2^20")->Unit(benchmark::kMillisecond);
BENCHMARK(wtRoundTrip<double>)->Name("vokdWtDecompose+Reconstruct/db4/L5/2^20")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
