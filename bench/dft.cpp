// DFT of any length against FFTW's mixed-radix plans (FFTW_MEASURE, same
// precision, out of place), forward, unscaled on both sides, the two side by
// side per length. Lengths of small prime factors (60 ... 48000), primes
// (1021, 8191) and a power of two (1024) for reference.
#include <benchmark/benchmark.h>

#include <complex>
#include <random>
#include <vector>

#include "vok.h"

#ifdef VOK_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

template <class C>
std::vector<C> signal(int n) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-1, 1);
    std::vector<C> v(static_cast<std::size_t>(n));
    for (auto& x : v) {
        x.re = decltype(x.re)(u(rng));
        x.im = decltype(x.im)(u(rng));
    }
    return v;
}

void vokFloatDft(benchmark::State& state) {
    const int n = int(state.range(0));
    auto x = signal<FloatComplex>(n), y = x;
    vokcDft(x.data(), y.data(), n, VOK_Forw);  // builds the length's twiddles outside the loop
    for (auto _ : state) {
        vokcDft(x.data(), y.data(), n, VOK_Forw);
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void vokDoubleDft(benchmark::State& state) {
    const int n = int(state.range(0));
    auto x = signal<DoubleComplex>(n), y = x;
    vokzDft(x.data(), y.data(), n, VOK_Forw);
    for (auto _ : state) {
        vokzDft(x.data(), y.data(), n, VOK_Forw);
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

#ifdef VOK_HAVE_FFTW
void fftwFloatDft(benchmark::State& state) {
    const int n = int(state.range(0));
    auto* in = fftwf_alloc_complex(std::size_t(n));
    auto* out = fftwf_alloc_complex(std::size_t(n));
    fftwf_plan plan = fftwf_plan_dft_1d(n, in, out, FFTW_FORWARD, FFTW_MEASURE);
    auto x = signal<FloatComplex>(n);
    for (int i = 0; i < n; ++i) in[i][0] = x[std::size_t(i)].re, in[i][1] = x[std::size_t(i)].im;
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::DoNotOptimize(out);
    }
    fftwf_destroy_plan(plan);
    fftwf_free(in);
    fftwf_free(out);
    state.SetItemsProcessed(state.iterations() * n);
}

void fftwDoubleDft(benchmark::State& state) {
    const int n = int(state.range(0));
    auto* in = fftw_alloc_complex(std::size_t(n));
    auto* out = fftw_alloc_complex(std::size_t(n));
    fftw_plan plan = fftw_plan_dft_1d(n, in, out, FFTW_FORWARD, FFTW_MEASURE);
    auto x = signal<DoubleComplex>(n);
    for (int i = 0; i < n; ++i) in[i][0] = x[std::size_t(i)].re, in[i][1] = x[std::size_t(i)].im;
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
    state.SetItemsProcessed(state.iterations() * n);
}

#endif

// Each length's runs next to each other, so that a change of load on the
// machine touches both sides of a ratio alike.
const bool registered = [] {
    for (int n : {60, 64, 80, 100, 120, 160, 240, 320, 480, 1000, 1021, 1024, 4800, 8191, 10000, 48000}) {
#ifdef VOK_HAVE_FFTW
        benchmark::RegisterBenchmark("fftwFloatDft", fftwFloatDft)->Arg(n);
#endif
        benchmark::RegisterBenchmark("vokFloatDft", vokFloatDft)->Arg(n);
#ifdef VOK_HAVE_FFTW
        benchmark::RegisterBenchmark("fftwDoubleDft", fftwDoubleDft)->Arg(n);
#endif
        benchmark::RegisterBenchmark("vokDoubleDft", vokDoubleDft)->Arg(n);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
