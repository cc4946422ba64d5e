// Two-dimensional convolution and filtering at image sizes, reported in
// milliseconds so the figures sit next to bench/conv2d_scipy.py's
// (scipy.signal.fftconvolve / convolve2d on the same shapes and data).
// Conv2D returns the full result; Filter2D the centred 'same' one.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "vok.h"

namespace {

// The same deterministic operands the Python script builds.
template <typename T>
std::vector<T> image(int cols, int rows, double seed) {
    std::vector<T> v(size_t(cols) * size_t(rows));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            v[size_t(r) * cols + c] = T(std::sin(0.37 * c + 0.11 * r + seed) * 0.5);
    return v;
}

template <typename T>
void conv2dImpl(benchmark::State& state,
                void(VOK_CALL* f)(const T*, int, int, const T*, int, int, T*)) {
    const int n = int(state.range(0)), k = int(state.range(1));
    const auto x = image<T>(n, n, 1.0), h = image<T>(k, k, 2.0);
    std::vector<T> y(size_t(n + k - 1) * size_t(n + k - 1));
    for (auto _ : state) {
        f(x.data(), n, n, h.data(), k, k, y.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(y.size()));
}

template <typename T>
void filter2dImpl(benchmark::State& state,
                  void(VOK_CALL* f)(const T*, int, int, const T*, int, int, T*)) {
    const int n = int(state.range(0)), k = int(state.range(1));
    const auto x = image<T>(n, n, 1.0), h = image<T>(k, k, 2.0);
    std::vector<T> y(size_t(n) * size_t(n));
    for (auto _ : state) {
        f(x.data(), n, n, h.data(), k, k, y.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(y.size()));
}

void BM_voksConv2D(benchmark::State& s) { conv2dImpl<float>(s, voksConv2D); }
void BM_vokdConv2D(benchmark::State& s) { conv2dImpl<double>(s, vokdConv2D); }
void BM_voksFilter2D(benchmark::State& s) { filter2dImpl<float>(s, voksFilter2D); }
void BM_vokdFilter2D(benchmark::State& s) { filter2dImpl<double>(s, vokdFilter2D); }

}  // namespace

BENCHMARK(BM_voksConv2D)->Args({512, 15})->Args({512, 64})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_vokdConv2D)->Args({512, 15})->Args({512, 64})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_voksFilter2D)->Args({1024, 5})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_vokdFilter2D)->Args({1024, 5})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
