// Orthonormal DCT-II against FFTW's REDFT10 (FFTW_MEASURE plans, same
// precision). FFTW's transform is unnormalised, so its timing includes a
// scaling pass to make the work the same. With a filter naming "sweep", every
// length of bench/sweep.h, forward and inverse (REDFT01 after scaling its input).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "sweep.h"
#include "vok.h"

#ifdef VOK_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

constexpr int kForward = 1;
constexpr int kInverse = 2;

template <class T>
std::vector<T> samples(int n) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1, 1);
    std::vector<T> v(n);
    for (auto& x : v) x = T(u(rng));
    return v;
}

template <class T, int Flags>
void vokDct(benchmark::State& state) {
    const int n = int(state.range(0));
    auto x = samples<T>(n);
    std::vector<T> y(n);
    const auto call = [&] {
        if constexpr (sizeof(T) == sizeof(float)) voksDct(x.data(), y.data(), n, Flags);
        else vokdDct(x.data(), y.data(), n, Flags);
    };
    call();  // builds the length's tables outside the loop
    for (auto _ : state) {
        call();
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

// The same precision's plan: forward REDFT10 then the output scaling, inverse
// the input scaling then REDFT01 (the orthonormal DCT-III is REDFT01 of X[0]/√N,
// X[k]/√(2N)).
template <class T>
struct Fftw;
template <>
struct Fftw<float> {
    using Plan = fftwf_plan;
    static Plan plan(int n, float* in, float* out, fftw_r2r_kind kind) {
        return fftwf_plan_r2r_1d(n, in, out, kind, FFTW_MEASURE);
    }
    static void execute(Plan p) { fftwf_execute(p); }
    static void destroy(Plan p) { fftwf_destroy_plan(p); }
};
template <>
struct Fftw<double> {
    using Plan = fftw_plan;
    static Plan plan(int n, double* in, double* out, fftw_r2r_kind kind) {
        return fftw_plan_r2r_1d(n, in, out, kind, FFTW_MEASURE);
    }
    static void execute(Plan p) { fftw_execute(p); }
    static void destroy(Plan p) { fftw_destroy_plan(p); }
};

template <class T, int Flags>
void fftwDct(benchmark::State& state) {
    const int n = int(state.range(0));
    auto x = samples<T>(n);
    std::vector<T> in(n), y(n);
    auto plan = Fftw<T>::plan(n, in.data(), y.data(), Flags == kForward ? FFTW_REDFT10 : FFTW_REDFT01);
    in = x;
    const T first = T(1.0 / std::sqrt(double(n))), rest = T(1.0 / std::sqrt(2.0 * n));
    for (auto _ : state) {
        if constexpr (Flags == kForward) {
            Fftw<T>::execute(plan);
            orthonormalScale(y.data(), n);
        } else {
            in[0] = x[0] * first;
            for (int k = 1; k < n; ++k) in[k] = x[k] * rest;
            Fftw<T>::execute(plan);
        }
        benchmark::DoNotOptimize(y.data());
    }
    Fftw<T>::destroy(plan);
    state.SetItemsProcessed(state.iterations() * n);
}
#endif

void registerAll(bool everyLength) {
    if (!everyLength) {
        // Powers of two 16 ... 65536, then even (1000 = 2^3·5^3, 4800, 48000) and odd (prime 1021) lengths.
        const auto lengths = [](benchmark::internal::Benchmark* b) {
            for (int n = 16; n <= 65536; n *= 2) b->Arg(n);
            for (int n : {1000, 1021, 4800, 48000}) b->Arg(n);
        };
#ifdef VOK_HAVE_FFTW
        benchmark::RegisterBenchmark("fftwFloatDct", fftwDct<float, kForward>)->Apply(lengths);
        benchmark::RegisterBenchmark("fftwDoubleDct", fftwDct<double, kForward>)->Apply(lengths);
        benchmark::RegisterBenchmark("fftwFloatIdct", fftwDct<float, kInverse>)->Apply(lengths);
        benchmark::RegisterBenchmark("fftwDoubleIdct", fftwDct<double, kInverse>)->Apply(lengths);
#endif
        benchmark::RegisterBenchmark("vokFloatDct", vokDct<float, kForward>)->Apply(lengths);
        benchmark::RegisterBenchmark("vokDoubleDct", vokDct<double, kForward>)->Apply(lengths);
        benchmark::RegisterBenchmark("vokFloatIdct", vokDct<float, kInverse>)->Apply(lengths);
        benchmark::RegisterBenchmark("vokDoubleIdct", vokDct<double, kInverse>)->Apply(lengths);
        return;
    }
    // Each length's runs next to each other.
    for (int n : sweep::lengths()) {
#ifdef VOK_HAVE_FFTW
        benchmark::RegisterBenchmark("sweep_fftwFloatDct", fftwDct<float, kForward>)->Arg(n);
        benchmark::RegisterBenchmark("sweep_fftwDoubleDct", fftwDct<double, kForward>)->Arg(n);
        benchmark::RegisterBenchmark("sweep_fftwFloatIdct", fftwDct<float, kInverse>)->Arg(n);
        benchmark::RegisterBenchmark("sweep_fftwDoubleIdct", fftwDct<double, kInverse>)->Arg(n);
#endif
        benchmark::RegisterBenchmark("sweep_vokFloatDct", vokDct<float, kForward>)->Arg(n);
        benchmark::RegisterBenchmark("sweep_vokDoubleDct", vokDct<double, kForward>)->Arg(n);
        benchmark::RegisterBenchmark("sweep_vokFloatIdct", vokDct<float, kInverse>)->Arg(n);
        benchmark::RegisterBenchmark("sweep_vokDoubleIdct", vokDct<double, kInverse>)->Arg(n);
    }
}

}  // namespace

int main(int argc, char** argv) { return sweep::run(argc, argv, registerAll); }
