// Orthonormal DCT-II against FFTW's REDFT10 (FFTW_MEASURE plans, same
// precision). FFTW's transform is unnormalised, so its timing includes a
// scaling pass to make the work the same.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "vok.h"

#ifdef VOK_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

constexpr int kForward = 1;

template <class T>
std::vector<T> samples(int n) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1, 1);
    std::vector<T> v(n);
    for (auto& x : v) x = T(u(rng));
    return v;
}

void vokFloatDct(benchmark::State& state) {
    const int n = int(state.range(0));
    auto x = samples<float>(n);
    std::vector<float> y(n);
    for (auto _ : state) {
        voksDct(x.data(), y.data(), n, kForward);
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void vokDoubleDct(benchmark::State& state) {
    const int n = int(state.range(0));
    auto x = samples<double>(n);
    std::vector<double> y(n);
    for (auto _ : state) {
        vokdDct(x.data(), y.data(), n, kForward);
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

#ifdef VOK_HAVE_FFTW
// REDFT10 gives 2·Σ x[n]·cos(π(2n+1)k/2N); the orthonormal result scales X[0]
// by 1/(2√N) and the rest by 1/√(2N).
template <class T>
void orthonormalScale(T* y, int n) {
    const T first = T(0.5 / std::sqrt(double(n))), rest = T(1.0 / std::sqrt(2.0 * n));
    y[0] *= first;
    for (int k = 1; k < n; ++k) y[k] *= rest;
}

void fftwFloatDct(benchmark::State& state) {
    const int n = int(state.range(0));
    auto x = samples<float>(n);
    std::vector<float> in(n), y(n);
    fftwf_plan plan = fftwf_plan_r2r_1d(n, in.data(), y.data(), FFTW_REDFT10, FFTW_MEASURE);
    in = x;
    for (auto _ : state) {
        fftwf_execute(plan);
        orthonormalScale(y.data(), n);
        benchmark::DoNotOptimize(y.data());
    }
    fftwf_destroy_plan(plan);
    state.SetItemsProcessed(state.iterations() * n);
}

void fftwDoubleDct(benchmark::State& state) {
    const int n = int(state.range(0));
    auto x = samples<double>(n);
    std::vector<double> in(n), y(n);
    fftw_plan plan = fftw_plan_r2r_1d(n, in.data(), y.data(), FFTW_REDFT10, FFTW_MEASURE);
    in = x;
    for (auto _ : state) {
        fftw_execute(plan);
        orthonormalScale(y.data(), n);
        benchmark::DoNotOptimize(y.data());
    }
    fftw_destroy_plan(plan);
    state.SetItemsProcessed(state.iterations() * n);
}

// Powers of two, then even (1000 = 2^3·5^3, 4800, 48000) and odd (prime 1021) lengths.
void lengths(benchmark::internal::Benchmark* b) {
    for (int n : {16, 64, 1024, 65536, 1000, 1021, 4800, 48000}) b->Arg(n);
}

BENCHMARK(fftwFloatDct)->Apply(lengths);
BENCHMARK(fftwDoubleDct)->Apply(lengths);
#endif

BENCHMARK(vokFloatDct)->Apply(lengths);
BENCHMARK(vokDoubleDct)->Apply(lengths);

}  // namespace

BENCHMARK_MAIN();
