// One-dimensional convolution: voksConv and vokcConv against an FFTW
// overlap-save written here (plans made once outside the loop), plus the
// measurements bench/conv_tuning.py turns into the cost model of the method
// selector (BM_tune*). Two-dimensional figures are in bench/conv2d.cpp; the
// 2-D runs kept here are the older short list. Items are output samples.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
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
std::vector<FloatComplex> complexSignal(int n, int seed) {
    std::vector<FloatComplex> v(n);
    for (int i = 0; i < n; ++i) v[i] = {float(std::sin(0.37 * i + seed) * 0.5), float(std::cos(0.23 * i - seed))};
    return v;
}

// The (long, short) pairs every peer runs.
void pairs(benchmark::internal::Benchmark* b) {
    for (auto [l, s] : {std::pair{1 << 10, 16}, {1 << 16, 64}, {1 << 16, 1 << 10}, {1 << 20, 1 << 12}, {1 << 12, 1 << 12}})
        b->Args({l, s});
}

void items(benchmark::State& state, long long n) { state.SetItemsProcessed(int64_t(state.iterations()) * n); }

void BM_voksConv(benchmark::State& state) {
    const int xLen = int(state.range(0)), hLen = int(state.range(1));
    const auto x = signal(xLen, 1), h = signal(hLen, 2);
    std::vector<float> y(xLen + hLen - 1);
    for (auto _ : state) {
        voksConv(x.data(), xLen, h.data(), hLen, y.data());
        benchmark::ClobberMemory();
    }
    items(state, (long long)y.size());
}
BENCHMARK(BM_voksConv)->Apply(pairs);

void BM_vokcConv(benchmark::State& state) {
    const int xLen = int(state.range(0)), hLen = int(state.range(1));
    const auto x = complexSignal(xLen, 1), h = complexSignal(hLen, 2);
    std::vector<FloatComplex> y(xLen + hLen - 1);
    for (auto _ : state) {
        vokcConv(x.data(), xLen, h.data(), hLen, y.data());
        benchmark::ClobberMemory();
    }
    items(state, (long long)y.size());
}
BENCHMARK(BM_vokcConv)->Apply(pairs);

void BM_vokdConv(benchmark::State& state) {
    const int xLen = int(state.range(0)), hLen = int(state.range(1));
    std::vector<double> x(xLen), h(hLen), y(xLen + hLen - 1);
    for (int i = 0; i < xLen; ++i) x[i] = std::sin(0.37 * i);
    for (int i = 0; i < hLen; ++i) h[i] = std::cos(0.11 * i);
    for (auto _ : state) {
        vokdConv(x.data(), xLen, h.data(), hLen, y.data());
        benchmark::ClobberMemory();
    }
    items(state, (long long)y.size());
}
BENCHMARK(BM_vokdConv)->Apply(pairs);

#if VOK_HAVE_FFTW
// Block transform of the peer: four times the short operand's power of two
// (at least 256 points), never more than the whole result needs.
int peerBlock(int l, int s) {
    int p = 1, whole = 1;
    while (p < s) p <<= 1;
    while (whole < l + s - 1) whole <<= 1;
    return std::min(whole, std::max(4 * p, 256));
}

// Overlap-save with real transforms: r2c of each window, product with the
// filter spectrum (1/M folded in), c2r, the valid part copied out.
void BM_fftwConvReal(benchmark::State& state) {
    const int l = int(state.range(0)), s = int(state.range(1)), n = l + s - 1, m = peerBlock(l, s);
    const auto x = signal(l, 1), h = signal(s, 2);
    float* block = fftwf_alloc_real(m);
    fftwf_complex* spectrum = fftwf_alloc_complex(m / 2 + 1);
    fftwf_complex* filt = fftwf_alloc_complex(m / 2 + 1);
    fftwf_plan fwd = fftwf_plan_dft_r2c_1d(m, block, spectrum, FFTW_MEASURE);
    fftwf_plan inv = fftwf_plan_dft_c2r_1d(m, spectrum, block, FFTW_MEASURE);
    std::vector<float> y(n);
    const int lead = m >= n ? 0 : s - 1, step = m >= n ? n : m - lead;
    for (auto _ : state) {
        std::fill(block, block + m, 0.0f);
        std::copy(h.begin(), h.end(), block);
        fftwf_execute_dft_r2c(fwd, block, filt);
        for (int k = 0; k <= m / 2; ++k) filt[k][0] /= float(m), filt[k][1] /= float(m);
        for (int start = 0; start < n; start += step) {
            const int from = start - lead, lo = std::max(0, -from), hi = std::clamp(l - from, lo, m);
            std::fill(block, block + lo, 0.0f);
            std::copy(x.begin() + (from + lo), x.begin() + (from + hi), block + lo);
            std::fill(block + hi, block + m, 0.0f);
            fftwf_execute(fwd);
            for (int k = 0; k <= m / 2; ++k) {
                const float re = spectrum[k][0] * filt[k][0] - spectrum[k][1] * filt[k][1];
                const float im = spectrum[k][0] * filt[k][1] + spectrum[k][1] * filt[k][0];
                spectrum[k][0] = re, spectrum[k][1] = im;
            }
            fftwf_execute(inv);
            std::copy(block + lead, block + lead + std::min(step, n - start), y.begin() + start);
        }
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(fwd);
    fftwf_destroy_plan(inv);
    fftwf_free(block);
    fftwf_free(spectrum);
    fftwf_free(filt);
    items(state, n);
}
BENCHMARK(BM_fftwConvReal)->Apply(pairs);

// The same with complex transforms for complex data.
void BM_fftwConvComplex(benchmark::State& state) {
    const int l = int(state.range(0)), s = int(state.range(1)), n = l + s - 1, m = peerBlock(l, s);
    const auto x = complexSignal(l, 1), h = complexSignal(s, 2);
    fftwf_complex* block = fftwf_alloc_complex(m);
    fftwf_complex* filt = fftwf_alloc_complex(m);
    fftwf_plan fwd = fftwf_plan_dft_1d(m, block, block, FFTW_FORWARD, FFTW_MEASURE);
    fftwf_plan inv = fftwf_plan_dft_1d(m, block, block, FFTW_BACKWARD, FFTW_MEASURE);
    std::vector<FloatComplex> y(n);
    const int lead = m >= n ? 0 : s - 1, step = m >= n ? n : m - lead;
    auto* window = reinterpret_cast<FloatComplex*>(block);
    for (auto _ : state) {
        std::fill(window, window + m, FloatComplex{0, 0});
        std::copy(h.begin(), h.end(), window);
        fftwf_execute_dft(fwd, block, filt);
        for (int k = 0; k < m; ++k) filt[k][0] /= float(m), filt[k][1] /= float(m);
        for (int start = 0; start < n; start += step) {
            const int from = start - lead, lo = std::max(0, -from), hi = std::clamp(l - from, lo, m);
            std::fill(window, window + lo, FloatComplex{0, 0});
            std::copy(x.begin() + (from + lo), x.begin() + (from + hi), window + lo);
            std::fill(window + hi, window + m, FloatComplex{0, 0});
            fftwf_execute(fwd);
            for (int k = 0; k < m; ++k) {
                const float re = block[k][0] * filt[k][0] - block[k][1] * filt[k][1];
                const float im = block[k][0] * filt[k][1] + block[k][1] * filt[k][0];
                block[k][0] = re, block[k][1] = im;
            }
            fftwf_execute(inv);
            std::copy(window + lead, window + lead + std::min(step, n - start), y.begin() + start);
        }
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(fwd);
    fftwf_destroy_plan(inv);
    fftwf_free(block);
    fftwf_free(filt);
    items(state, n);
}
BENCHMARK(BM_fftwConvComplex)->Apply(pairs);
#endif

// ---- measurements of the cost model (bench/conv_tuning.py) ----
// T: the zero-filled window of 2^order points loaded (half of it from the
// operand) and transformed forward. U: the spectrum product, the inverse
// transform and the copy of half a window out. Both through the same
// transforms the fast methods use. Direct: the always-direct shorter lengths
// of each function, per output.

template <class R>
struct Kind;
template <>
struct Kind<float> {
    static void forward(float* x, int order) { voksRealFft(x, order, VOK_Forw); }
    static void inverse(float* x, int order) { voksCcsFft(x, order, VOK_Inv | VOK_NoScale); }
    static void mul(const float* a, float* b, int bins) {
        vokcbMpy3(reinterpret_cast<const FloatComplex*>(a), reinterpret_cast<const FloatComplex*>(b),
                  reinterpret_cast<FloatComplex*>(b), bins);
    }
};
template <>
struct Kind<double> {
    static void forward(double* x, int order) { vokdRealFft(x, order, VOK_Forw); }
    static void inverse(double* x, int order) { vokdCcsFft(x, order, VOK_Inv | VOK_NoScale); }
    static void mul(const double* a, double* b, int bins) {
        vokzbMpy3(reinterpret_cast<const DoubleComplex*>(a), reinterpret_cast<const DoubleComplex*>(b),
                  reinterpret_cast<DoubleComplex*>(b), bins);
    }
};
template <>
struct Kind<FloatComplex> {
    static void forward(FloatComplex* x, int order) { vokcFft(x, order, VOK_Forw | VOK_OutBitRev); }
    static void inverse(FloatComplex* x, int order) { vokcFft(x, order, VOK_Inv | VOK_InBitRev | VOK_NoScale); }
    static void mul(const FloatComplex* a, FloatComplex* b, int bins) { vokcbMpy3(a, b, b, bins); }
};
template <>
struct Kind<DoubleComplex> {
    static void forward(DoubleComplex* x, int order) { vokzFft(x, order, VOK_Forw | VOK_OutBitRev); }
    static void inverse(DoubleComplex* x, int order) { vokzFft(x, order, VOK_Inv | VOK_InBitRev | VOK_NoScale); }
    static void mul(const DoubleComplex* a, DoubleComplex* b, int bins) { vokzbMpy3(a, b, b, bins); }
};

template <class E>
constexpr bool kComplex = std::is_same_v<E, FloatComplex> || std::is_same_v<E, DoubleComplex>;

// Room of a window and its spectrum bins (CCS for real data), in elements.
template <class E>
long long windowRoom(long long n) { return kComplex<E> ? n : n + 2; }
template <class E>
int binsOf(long long n) { return int(kComplex<E> ? n : n / 2 + 1); }

template <class E>
void BM_tuneT(benchmark::State& state) {
    const int order = int(state.range(0));
    const long long n = 1LL << order;
    std::vector<E> src(n, E{}), x(windowRoom<E>(n) + 2);
    for (long long i = 0; i < n; ++i) std::memset(&src[i], 0x3c, sizeof(E));  // finite nonzero bits
    for (auto _ : state) {
        std::memset(x.data() + n / 2, 0, std::size_t(n - n / 2) * sizeof(E));
        std::memcpy(x.data(), src.data(), std::size_t(n / 2) * sizeof(E));
        Kind<E>::forward(x.data(), order);
        benchmark::ClobberMemory();
    }
}

template <class E>
void BM_tuneU(benchmark::State& state) {
    const int order = int(state.range(0));
    const long long n = 1LL << order;
    std::vector<E> filter(windowRoom<E>(n) + 2), x(windowRoom<E>(n) + 2), y(n);
    for (auto& v : filter) std::memset(&v, 0x3c, sizeof(E));
    for (auto& v : x) std::memset(&v, 0x3c, sizeof(E));
    for (auto _ : state) {
        Kind<E>::mul(filter.data(), x.data(), binsOf<E>(n));
        Kind<E>::inverse(x.data(), order);
        std::memcpy(y.data(), x.data() + n / 2, std::size_t(n / 2) * sizeof(E));
        benchmark::ClobberMemory();  // the values overflow to inf and NaN: no slower on SSE
    }
}

// Per-output cost of the direct method of one function at shorter length S
// (range 1) with a longer operand of 8192 (always direct at these S).
template <class X, class H, class Y, int (VOK_CALL* F)(const X*, int, const H*, int, Y*)>
void BM_tuneDirect(benchmark::State& state) {
    const int l = 8192, s = int(state.range(0));
    std::vector<X> x(l);
    std::vector<H> h(s);
    for (auto& v : x) std::memset(&v, 0x3c, sizeof(X));
    for (auto& v : h) std::memset(&v, 0x3c, sizeof(H));
    std::vector<Y> y(l + s - 1);
    for (auto _ : state) {
        F(x.data(), l, h.data(), s, y.data());
        benchmark::ClobberMemory();
    }
    items(state, l + s - 1);
}

void orders(benchmark::internal::Benchmark* b) {
    for (int m = 1; m <= 20; ++m) b->Arg(m);
}
BENCHMARK_TEMPLATE(BM_tuneT, float)->Apply(orders);
BENCHMARK_TEMPLATE(BM_tuneU, float)->Apply(orders);
BENCHMARK_TEMPLATE(BM_tuneT, FloatComplex)->Apply(orders);
BENCHMARK_TEMPLATE(BM_tuneU, FloatComplex)->Apply(orders);
BENCHMARK_TEMPLATE(BM_tuneT, double)->Apply(orders);
BENCHMARK_TEMPLATE(BM_tuneU, double)->Apply(orders);
BENCHMARK_TEMPLATE(BM_tuneT, DoubleComplex)->Apply(orders);
BENCHMARK_TEMPLATE(BM_tuneU, DoubleComplex)->Apply(orders);
// clang-format off
BENCHMARK_TEMPLATE(BM_tuneDirect, float, float, float, voksConv)->Arg(1)->Arg(8)->Arg(14);
BENCHMARK_TEMPLATE(BM_tuneDirect, FloatComplex, FloatComplex, FloatComplex, vokcConv)->Arg(1)->Arg(3)->Arg(6);
BENCHMARK_TEMPLATE(BM_tuneDirect, FloatComplex, float, FloatComplex, vokcsConv)->Arg(1)->Arg(5)->Arg(10);
BENCHMARK_TEMPLATE(BM_tuneDirect, float, FloatComplex, FloatComplex, vokscConv)->Arg(1)->Arg(5)->Arg(10);
BENCHMARK_TEMPLATE(BM_tuneDirect, double, double, double, vokdConv)->Arg(1)->Arg(4)->Arg(7);
BENCHMARK_TEMPLATE(BM_tuneDirect, DoubleComplex, DoubleComplex, DoubleComplex, vokzConv)->Arg(1)->Arg(2)->Arg(4);
BENCHMARK_TEMPLATE(BM_tuneDirect, DoubleComplex, double, DoubleComplex, vokzdConv)->Arg(1)->Arg(2)->Arg(4);
BENCHMARK_TEMPLATE(BM_tuneDirect, double, DoubleComplex, DoubleComplex, vokdzConv)->Arg(1)->Arg(3)->Arg(6);
// clang-format on

void BM_voksConv2D(benchmark::State& state) {
    const int side = int(state.range(0)), kernel = int(state.range(1));
    const auto x = signal(side * side, 3), h = signal(kernel * kernel, 4);
    std::vector<float> y((side + kernel - 1) * (side + kernel - 1));
    for (auto _ : state) {
        voksConv2D(x.data(), side, side, h.data(), kernel, kernel, y.data());
        benchmark::ClobberMemory();
    }
    items(state, (long long)y.size());
}
BENCHMARK(BM_voksConv2D)->Args({64, 5})->Args({256, 9})->Args({256, 64});

}  // namespace

BENCHMARK_MAIN();
