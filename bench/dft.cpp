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

// The library's calls of one precision.
template <class C>
struct Vok;
template <>
struct Vok<FloatComplex> {
    static void dft(const FloatComplex* x, FloatComplex* y, int n, int flags) { vokcDft(x, y, n, flags); }
    static void freeTables() { vokcFreeTwdTbls(); }
};
template <>
struct Vok<DoubleComplex> {
    static void dft(const DoubleComplex* x, DoubleComplex* y, int n, int flags) { vokzDft(x, y, n, flags); }
    static void freeTables() { vokzFreeTwdTbls(); }
};

// The inverse is scaled by 1/N on both sides.
template <class C, int Flags>
void vokDft(benchmark::State& state) {
    const int n = int(state.range(0));
    auto x = signal<C>(n), y = x;
    Vok<C>::dft(x.data(), y.data(), n, Flags);  // builds the length's twiddles outside the loop
    for (auto _ : state) {
        Vok<C>::dft(x.data(), y.data(), n, Flags);
        benchmark::DoNotOptimize(y.data());
    }
    Vok<C>::freeTables();  // a sweep of many lengths would fill the thread's list of tables
    state.SetItemsProcessed(state.iterations() * n);
}

#ifdef VOK_HAVE_FFTW
// FFTW's calls of one precision.
template <class C>
struct Fftw;
template <>
struct Fftw<FloatComplex> {
    using Complex = fftwf_complex;
    using Plan = fftwf_plan;
    static Complex* alloc(int n) { return fftwf_alloc_complex(std::size_t(n)); }
    static Plan plan(int n, Complex* in, Complex* out, int sign) {
        return fftwf_plan_dft_1d(n, in, out, sign, FFTW_MEASURE);
    }
    static void execute(Plan p) { fftwf_execute(p); }
    static void destroy(Plan p) { fftwf_destroy_plan(p); }
    static void release(Complex* p) { fftwf_free(p); }
};
template <>
struct Fftw<DoubleComplex> {
    using Complex = fftw_complex;
    using Plan = fftw_plan;
    static Complex* alloc(int n) { return fftw_alloc_complex(std::size_t(n)); }
    static Plan plan(int n, Complex* in, Complex* out, int sign) {
        return fftw_plan_dft_1d(n, in, out, sign, FFTW_MEASURE);
    }
    static void execute(Plan p) { fftw_execute(p); }
    static void destroy(Plan p) { fftw_destroy_plan(p); }
    static void release(Complex* p) { fftw_free(p); }
};

// The backward transform followed by FFTW's missing 1/N pass.
template <class C, int Sign>
void fftwDft(benchmark::State& state) {
    using F = Fftw<C>;
    const int n = int(state.range(0));
    auto* in = F::alloc(n);
    auto* out = F::alloc(n);
    auto plan = F::plan(n, in, out, Sign);
    auto x = signal<C>(n);
    for (int i = 0; i < n; ++i) {
        in[i][0] = x[std::size_t(i)].re;
        in[i][1] = x[std::size_t(i)].im;
    }
    const decltype(C::re) scale = decltype(C::re)(1.0 / n);
    for (auto _ : state) {
        F::execute(plan);
        if constexpr (Sign == FFTW_BACKWARD)
            for (int i = 0; i < n; ++i) {
                out[i][0] *= scale;
                out[i][1] *= scale;
            }
        benchmark::DoNotOptimize(out);
    }
    F::destroy(plan);
    F::release(in);
    F::release(out);
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
        add("fftwFloatDft", fftwDft<FloatComplex, FFTW_FORWARD>, n);
#endif
        add("vokFloatDft", vokDft<FloatComplex, VOK_Forw>, n);
#ifdef VOK_HAVE_FFTW
        add("fftwDoubleDft", fftwDft<DoubleComplex, FFTW_FORWARD>, n);
#endif
        add("vokDoubleDft", vokDft<DoubleComplex, VOK_Forw>, n);
        if (!everyLength) continue;
#ifdef VOK_HAVE_FFTW
        add("fftwDoubleIdft", fftwDft<DoubleComplex, FFTW_BACKWARD>, n);
#endif
        add("vokDoubleIdft", vokDft<DoubleComplex, VOK_Inv>, n);
    }
}

}  // namespace

int main(int argc, char** argv) { return sweep::run(argc, argv, registerAll); }
