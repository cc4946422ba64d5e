// DFT of any length against FFTW's mixed-radix plans (FFTW_MEASURE, same
// precision, out of place), forward, unscaled on both sides, the two side by
// side per length. Lengths of small prime factors (60 ... 48000), primes
// (1021, 8191) and a power of two (1024) for reference; with a filter naming
// "sweep", every length of bench/sweep.h instead, and the double inverse.
#include <benchmark/benchmark.h>

#include <complex>
#include <random>
#include <string>
#include <vector>

#include "sweep.h"
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
    vokcFreeTwdTbls();  // a sweep of many lengths would fill the thread's list of tables
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
    vokzFreeTwdTbls();  // a sweep of many lengths would fill the thread's list of tables
    state.SetItemsProcessed(state.iterations() * n);
}

// Scaled by 1/N on both sides.
void vokDoubleIdft(benchmark::State& state) {
    const int n = int(state.range(0));
    auto x = signal<DoubleComplex>(n), y = x;
    vokzDft(x.data(), y.data(), n, VOK_Inv);
    for (auto _ : state) {
        vokzDft(x.data(), y.data(), n, VOK_Inv);
        benchmark::DoNotOptimize(y.data());
    }
    vokzFreeTwdTbls();  // a sweep of many lengths would fill the thread's list of tables
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

void fftwDoubleIdft(benchmark::State& state) {
    const int n = int(state.range(0));
    auto* in = fftw_alloc_complex(std::size_t(n));
    auto* out = fftw_alloc_complex(std::size_t(n));
    fftw_plan plan = fftw_plan_dft_1d(n, in, out, FFTW_BACKWARD, FFTW_MEASURE);
    auto x = signal<DoubleComplex>(n);
    for (int i = 0; i < n; ++i) in[i][0] = x[std::size_t(i)].re, in[i][1] = x[std::size_t(i)].im;
    const double scale = 1.0 / n;
    for (auto _ : state) {
        fftw_execute(plan);
        for (int i = 0; i < n; ++i) out[i][0] *= scale, out[i][1] *= scale;
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
void registerAll(bool everyLength) {
    const std::string prefix = everyLength ? "sweep_" : "";
    const auto add = [&](const char* name, void (*run)(benchmark::State&), int n) {
        benchmark::RegisterBenchmark((prefix + name).c_str(), run)->Arg(n);
    };
    const std::vector<int> lengths =
        everyLength ? sweep::lengths() : std::vector<int>{60,   64,   80,   100,  120,  160,  240,   320,
                                                480,  1000, 1021, 1024, 4800, 8191, 10000, 48000};
    for (int n : lengths) {
#ifdef VOK_HAVE_FFTW
        add("fftwFloatDft", fftwFloatDft, n);
#endif
        add("vokFloatDft", vokFloatDft, n);
#ifdef VOK_HAVE_FFTW
        add("fftwDoubleDft", fftwDoubleDft, n);
#endif
        add("vokDoubleDft", vokDoubleDft, n);
        if (!everyLength) continue;
#ifdef VOK_HAVE_FFTW
        add("fftwDoubleIdft", fftwDoubleIdft, n);
#endif
        add("vokDoubleIdft", vokDoubleIdft, n);
    }
}

}  // namespace

int main(int argc, char** argv) { return sweep::run(argc, argv, registerAll); }
