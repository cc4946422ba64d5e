// FFTs of 2^6 ... 2^20 points, in place, beside FFTW (FFTW_MEASURE plans,
// made once) and KissFFT (out of place: it has no in-place real transform):
// forward complex and real transforms, and the inverse real ones. The
// inverse real transforms run unscaled (VOK_NoScale), as FFTW's c2r does;
// FFTW's in-place c2r takes the N + 2 reals of its half spectrum. Items are
// transform points; the time ratio to FFTW is derived from the per-point
// rates by scripts/fft_ratios.py.
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <vector>

#include "vok.h"
#if VOK_HAVE_FFTW
#include <fftw3.h>
#endif
#if VOK_HAVE_KISSFFT
#include <kiss_fft.h>
#include <kiss_fftr.h>
#endif

namespace {

template <class T>
void fillSignal(T* data, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) data[i] = T(std::sin(0.37 * double(i)) * 0.5);
}

// Every program repeats forward transforms of one buffer, so values grow to
// infinity after a few iterations; SSE/AVX arithmetic on infinities and NaNs
// runs at full speed, and the peers see the same data.
void BM_vokcFft(benchmark::State& state) {
    const int order = int(state.range(0));
    const int n = 1 << order;
    std::vector<FloatComplex> x(n);
    fillSignal(reinterpret_cast<float*>(x.data()), 2 * std::size_t(n));
    vokcFft(x.data(), order, VOK_Forw | VOK_Init);
    for (auto _ : state) {
        vokcFft(x.data(), order, VOK_Forw);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}

void BM_vokzFft(benchmark::State& state) {
    const int order = int(state.range(0));
    const int n = 1 << order;
    std::vector<DoubleComplex> x(n);
    fillSignal(reinterpret_cast<double*>(x.data()), 2 * std::size_t(n));
    vokzFft(x.data(), order, VOK_Forw | VOK_Init);
    for (auto _ : state) {
        vokzFft(x.data(), order, VOK_Forw);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}

void BM_voksRealFftl(benchmark::State& state) {
    const int order = int(state.range(0));
    const int n = 1 << order;
    std::vector<float> x(n);
    fillSignal(x.data(), x.size());
    voksRealFftl(x.data(), order, VOK_Forw | VOK_OutRCPack | VOK_Init);
    for (auto _ : state) {
        voksRealFftl(x.data(), order, VOK_Forw | VOK_OutRCPack);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}

// Spectrum to signal, the transform that every block of the fast
// convolutions and correlations ends with.
template <class T, void (*Fft)(T*, int, int)>
void ccsFftl(benchmark::State& state) {
    const int order = int(state.range(0));
    const int n = 1 << order;
    std::vector<T> x(n);
    fillSignal(x.data(), x.size());
    const int flags = VOK_Inv | VOK_NoScale | VOK_InRCPack;
    Fft(x.data(), order, flags | VOK_Init);
    for (auto _ : state) {
        Fft(x.data(), order, flags);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}
void BM_voksCcsFftl(benchmark::State& state) { ccsFftl<float, voksCcsFftl>(state); }
void BM_vokdCcsFftl(benchmark::State& state) { ccsFftl<double, vokdCcsFftl>(state); }

// The real transform with the inverse sign.
void BM_voksRealFftlInv(benchmark::State& state) {
    const int order = int(state.range(0));
    const int n = 1 << order;
    std::vector<float> x(n);
    fillSignal(x.data(), x.size());
    const int flags = VOK_Inv | VOK_NoScale | VOK_OutRCPack;
    voksRealFftl(x.data(), order, flags | VOK_Init);
    for (auto _ : state) {
        voksRealFftl(x.data(), order, flags);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}

#if VOK_HAVE_FFTW
void BM_fftwf_c2r(benchmark::State& state) {
    const int n = 1 << state.range(0);
    auto* x = fftwf_alloc_real(n + 2);
    fftwf_plan plan = fftwf_plan_dft_c2r_1d(n, reinterpret_cast<fftwf_complex*>(x), x, FFTW_MEASURE);
    fillSignal(x, std::size_t(n) + 2);
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
    fftwf_free(x);
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}

void BM_fftw_c2r(benchmark::State& state) {
    const int n = 1 << state.range(0);
    auto* x = fftw_alloc_real(n + 2);
    fftw_plan plan = fftw_plan_dft_c2r_1d(n, reinterpret_cast<fftw_complex*>(x), x, FFTW_MEASURE);
    fillSignal(x, std::size_t(n) + 2);
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(x);
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}

void BM_fftwf_c2c(benchmark::State& state) {
    const int n = 1 << state.range(0);
    auto* x = fftwf_alloc_complex(n);
    fftwf_plan plan = fftwf_plan_dft_1d(n, x, x, FFTW_FORWARD, FFTW_MEASURE);
    fillSignal(reinterpret_cast<float*>(x), 2 * std::size_t(n));
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
    fftwf_free(x);
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}

void BM_fftw_c2c(benchmark::State& state) {
    const int n = 1 << state.range(0);
    auto* x = fftw_alloc_complex(n);
    fftw_plan plan = fftw_plan_dft_1d(n, x, x, FFTW_FORWARD, FFTW_MEASURE);
    fillSignal(reinterpret_cast<double*>(x), 2 * std::size_t(n));
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(x);
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}

void BM_fftwf_r2c(benchmark::State& state) {
    const int n = 1 << state.range(0);
    auto* x = fftwf_alloc_real(n + 2);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(n, x, reinterpret_cast<fftwf_complex*>(x), FFTW_MEASURE);
    fillSignal(x, std::size_t(n));
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
    fftwf_free(x);
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}
#endif

#if VOK_HAVE_KISSFFT
void BM_kiss_c2c(benchmark::State& state) {
    const int n = 1 << state.range(0);
    kiss_fft_cfg cfg = kiss_fft_alloc(n, 0, nullptr, nullptr);
    std::vector<kiss_fft_cpx> in(n), out(n);
    fillSignal(reinterpret_cast<float*>(in.data()), 2 * std::size_t(n));
    for (auto _ : state) {
        kiss_fft(cfg, in.data(), out.data());
        benchmark::ClobberMemory();
    }
    kiss_fft_free(cfg);
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}

void BM_kiss_r2c(benchmark::State& state) {
    const int n = 1 << state.range(0);
    kiss_fftr_cfg cfg = kiss_fftr_alloc(n, 0, nullptr, nullptr);
    std::vector<float> in(n);
    std::vector<kiss_fft_cpx> out(n / 2 + 1);
    fillSignal(in.data(), in.size());
    for (auto _ : state) {
        kiss_fftr(cfg, in.data(), out.data());
        benchmark::ClobberMemory();
    }
    kiss_fftr_free(cfg);
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}
#endif

void orders(benchmark::internal::Benchmark* b) {
    for (int m = 6; m <= 20; m += 2) b->Arg(m);
}

}  // namespace

BENCHMARK(BM_vokcFft)->Apply(orders);
BENCHMARK(BM_vokzFft)->Apply(orders);
BENCHMARK(BM_voksRealFftl)->Apply(orders);
BENCHMARK(BM_voksCcsFftl)->Apply(orders);
BENCHMARK(BM_vokdCcsFftl)->Apply(orders);
BENCHMARK(BM_voksRealFftlInv)->Apply(orders);
#if VOK_HAVE_FFTW
BENCHMARK(BM_fftwf_c2r)->Apply(orders);
BENCHMARK(BM_fftw_c2r)->Apply(orders);
BENCHMARK(BM_fftwf_c2c)->Apply(orders);
BENCHMARK(BM_fftw_c2c)->Apply(orders);
BENCHMARK(BM_fftwf_r2c)->Apply(orders);
#endif
#if VOK_HAVE_KISSFFT
BENCHMARK(BM_kiss_c2c)->Apply(orders);
BENCHMARK(BM_kiss_r2c)->Apply(orders);
#endif

BENCHMARK_MAIN();
