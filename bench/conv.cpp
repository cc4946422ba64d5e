// Linear convolution against FFTW (one real transform of the whole result,
// the way scipy.signal.fftconvolve does it) and a plain direct loop, for the
// lengths where each of the library's methods runs. Items are output samples.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "vok.h"
#if VOK_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

std::vector<float> signal(int n, int seed) {
    std::vector<float> v(n);
    for (int i = 0; i < n; ++i) v[i] = float(std::sin(0.37 * i + seed) * 0.5);
    return v;
}

void BM_voksConv(benchmark::State& state) {
    const int xLen = int(state.range(0)), hLen = int(state.range(1));
    const auto x = signal(xLen, 1), h = signal(hLen, 2);
    std::vector<float> y(xLen + hLen - 1);
    for (auto _ : state) {
        voksConv(x.data(), xLen, h.data(), hLen, y.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(y.size()));
}

void BM_vokdConv(benchmark::State& state) {
    const int xLen = int(state.range(0)), hLen = int(state.range(1));
    std::vector<double> x(xLen), h(hLen), y(xLen + hLen - 1);
    for (int i = 0; i < xLen; ++i) x[i] = std::sin(0.37 * i);
    for (int i = 0; i < hLen; ++i) h[i] = std::cos(0.11 * i);
    for (auto _ : state) {
        vokdConv(x.data(), xLen, h.data(), hLen, y.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(y.size()));
}

void BM_directLoop(benchmark::State& state) {
    const int xLen = int(state.range(0)), hLen = int(state.range(1));
    const auto x = signal(xLen, 1), h = signal(hLen, 2);
    std::vector<float> y(xLen + hLen - 1);
    for (auto _ : state) {
        std::fill(y.begin(), y.end(), 0.0f);
        for (int i = 0; i < xLen; ++i)
            for (int j = 0; j < hLen; ++j) y[i + j] += x[i] * h[j];
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(y.size()));
}

#if VOK_HAVE_FFTW
// Plans made once outside the loop (FFTW_ESTIMATE); transforms, spectrum
// product and copies inside it.
void BM_fftwConv(benchmark::State& state) {
    const int xLen = int(state.range(0)), hLen = int(state.range(1)), n = xLen + hLen - 1;
    int m = 1;
    while (m < n) m <<= 1;
    const auto x = signal(xLen, 1), h = signal(hLen, 2);
    float* a = fftwf_alloc_real(m);
    float* b = fftwf_alloc_real(m);
    fftwf_complex* A = fftwf_alloc_complex(m / 2 + 1);
    fftwf_complex* B = fftwf_alloc_complex(m / 2 + 1);
    fftwf_plan fa = fftwf_plan_dft_r2c_1d(m, a, A, FFTW_ESTIMATE);
    fftwf_plan fb = fftwf_plan_dft_r2c_1d(m, b, B, FFTW_ESTIMATE);
    fftwf_plan back = fftwf_plan_dft_c2r_1d(m, A, a, FFTW_ESTIMATE);
    std::vector<float> y(n);
    for (auto _ : state) {
        std::fill(a, a + m, 0.0f);
        std::fill(b, b + m, 0.0f);
        std::copy(x.begin(), x.end(), a);
        std::copy(h.begin(), h.end(), b);
        fftwf_execute(fa);
        fftwf_execute(fb);
        for (int k = 0; k <= m / 2; ++k) {
            const float re = A[k][0] * B[k][0] - A[k][1] * B[k][1], im = A[k][0] * B[k][1] + A[k][1] * B[k][0];
            A[k][0] = re / float(m);
            A[k][1] = im / float(m);
        }
        fftwf_execute(back);
        std::copy(a, a + n, y.begin());
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(fa);
    fftwf_destroy_plan(fb);
    fftwf_destroy_plan(back);
    fftwf_free(a);
    fftwf_free(b);
    fftwf_free(A);
    fftwf_free(B);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(n));
}
BENCHMARK(BM_fftwConv)->Args({1000, 10})->Args({4000, 120})->Args({65536, 200})->Args({20000, 20000});
#endif

void BM_voksConv2D(benchmark::State& state) {
    const int side = int(state.range(0)), kernel = int(state.range(1));
    const auto x = signal(side * side, 3), h = signal(kernel * kernel, 4);
    std::vector<float> y((side + kernel - 1) * (side + kernel - 1));
    for (auto _ : state) {
        voksConv2D(x.data(), side, side, h.data(), kernel, kernel, y.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(y.size()));
}

void BM_voksFilter2D(benchmark::State& state) {
    const int side = int(state.range(0)), kernel = int(state.range(1));
    const auto x = signal(side * side, 3), h = signal(kernel * kernel, 4);
    std::vector<float> y(side * side);
    for (auto _ : state) {
        voksFilter2D(x.data(), side, side, h.data(), kernel, kernel, y.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(y.size()));
}

}  // namespace

BENCHMARK(BM_voksConv)->Args({1000, 10})->Args({4000, 120})->Args({65536, 200})->Args({20000, 20000});
BENCHMARK(BM_vokdConv)->Args({1000, 10})->Args({4000, 120})->Args({65536, 200})->Args({20000, 20000});
BENCHMARK(BM_directLoop)->Args({1000, 10})->Args({4000, 120})->Args({65536, 200});
BENCHMARK(BM_voksConv2D)->Args({64, 5})->Args({256, 9})->Args({256, 64});
BENCHMARK(BM_voksFilter2D)->Args({256, 3})->Args({256, 15})->Args({256, 31});
BENCHMARK_MAIN();
