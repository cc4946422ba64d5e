// FIR filters: single-rate blocks of both layers per tap count, the
// single-sample forms, and polyphase interpolation and decimation, in samples
// per second of input. The block filter over 64 Ki samples and decimation by
// four are timed side by side with liquid-dsp (when installed) and a plain
// float loop compiled -O3 -march=native; their counter ns/out is the time
// per output sample.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "vok.h"

#if VOK_HAVE_LIQUID
#include <complex>
#include <liquid/liquid.h>
#endif

void nativeFirBlock(const float* rtaps, int len, const float* line, float* y, int count);
void nativeFirDecimate(const float* rtaps, int len, const float* line, float* y, int count, int down);
void nativeFirBlockDouble(const double* rtaps, int len, const double* line, double* y, int count);

namespace {

constexpr int kBlock = 4096;

std::vector<float> ramp(int n, float scale) {
    std::vector<float> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) v[std::size_t(i)] = scale * float((i * 37) % 101 - 50) / 50.0f;
    return v;
}

void BM_sbFirl(benchmark::State& state) {
    const int len = int(state.range(0));
    auto taps = ramp(len, 0.1f);
    std::vector<float> line(std::size_t(len), 0.0f), in = ramp(kBlock, 1.0f), out(kBlock);
    FirTapState tap;
    FirDlyState dly;
    voksFirlInit(taps.data(), len, &tap);
    voksFirlInitDlyl(&tap, line.data(), &dly);
    voksFirlSetDlyl(&tap, nullptr, &dly);
    for (auto _ : state) {
        voksbFirl(&tap, &dly, in.data(), out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kBlock);
}
BENCHMARK(BM_sbFirl)->Arg(4)->Arg(16)->Arg(64)->Arg(256);

void BM_sbFir(benchmark::State& state) {
    const int len = int(state.range(0));
    auto taps = ramp(len, 0.1f);
    std::vector<float> in = ramp(kBlock, 1.0f), out(kBlock);
    FirState st;
    voksFirInit(taps.data(), len, nullptr, &st);
    for (auto _ : state) {
        voksbFir(&st, in.data(), out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
    }
    vokFirFree(&st);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kBlock);
}
BENCHMARK(BM_sbFir)->Arg(4)->Arg(16)->Arg(64)->Arg(256);

void BM_zbFir(benchmark::State& state) {
    const int len = int(state.range(0));
    std::vector<DoubleComplex> taps(std::size_t(len), DoubleComplex{0.01, -0.02}), in(kBlock, DoubleComplex{1, 2}),
        out(kBlock);
    FirState st;
    vokzFirInit(taps.data(), len, nullptr, &st);
    for (auto _ : state) {
        vokzbFir(&st, in.data(), out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
    }
    vokFirFree(&st);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kBlock);
}
BENCHMARK(BM_zbFir)->Arg(16)->Arg(64);

void BM_cbFir(benchmark::State& state) {
    const int len = int(state.range(0));
    std::vector<FloatComplex> taps(std::size_t(len), FloatComplex{0.01f, -0.02f}), in(kBlock, FloatComplex{1, 2}),
        out(kBlock);
    FirState st;
    vokcFirInit(taps.data(), len, nullptr, &st);
    for (auto _ : state) {
        vokcbFir(&st, in.data(), out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
    }
    vokFirFree(&st);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kBlock);
}
BENCHMARK(BM_cbFir)->Arg(16)->Arg(64)->Arg(256);

void BM_sFir(benchmark::State& state) {
    const int len = int(state.range(0));
    auto taps = ramp(len, 0.1f);
    FirState st;
    voksFirInit(taps.data(), len, nullptr, &st);
    float x = 0.5f;
    for (auto _ : state) {
        x = -x;
        benchmark::DoNotOptimize(voksFir(&st, x));
    }
    vokFirFree(&st);
    state.SetItemsProcessed(std::int64_t(state.iterations()));
}
BENCHMARK(BM_sFir)->Arg(16)->Arg(64);

// Rational resampling U/D with 64 taps: range(0) = U, range(1) = D.
void BM_sbFirMultirate(benchmark::State& state) {
    const int up = int(state.range(0)), down = int(state.range(1));
    auto taps = ramp(64, 0.1f);
    const int iters = kBlock / down;
    std::vector<float> in = ramp(iters * down, 1.0f), out(std::size_t(iters * up));
    FirState st;
    voksFirInitMr(taps.data(), 64, nullptr, up, 0, down, 0, &st);
    for (auto _ : state) {
        voksbFir(&st, in.data(), out.data(), iters);
        benchmark::DoNotOptimize(out.data());
    }
    vokFirFree(&st);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * iters * down);
}
BENCHMARK(BM_sbFirMultirate)->Args({4, 1})->Args({1, 4})->Args({3, 2});

void BM_wbFirl(benchmark::State& state) {
    const int len = int(state.range(0));
    auto taps = ramp(len, 0.1f);
    std::vector<short> line(std::size_t(len), 0), in(kBlock, 1000), out(kBlock);
    FirTapState tap;
    FirDlyState dly;
    vokwFirlInit(taps.data(), len, &tap);
    vokwFirlInitDlyl(&tap, line.data(), &dly);
    vokwFirlSetDlyl(&tap, nullptr, &dly);
    for (auto _ : state) {
        vokwbFirl(&tap, &dly, in.data(), out.data(), kBlock, VOK_SATURATE, nullptr);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kBlock);
}
BENCHMARK(BM_wbFirl)->Arg(16)->Arg(64);

void BM_wbFir(benchmark::State& state) {
    const int len = int(state.range(0));
    auto taps = ramp(len, 0.1f);
    std::vector<short> in(kBlock, 1000), out(kBlock);
    FirState st;
    vokwFirInit(taps.data(), len, nullptr, &st);
    for (auto _ : state) {
        vokwbFir(&st, in.data(), out.data(), kBlock, VOK_SATURATE, nullptr);
        benchmark::DoNotOptimize(out.data());
    }
    vokFirFree(&st);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kBlock);
}
BENCHMARK(BM_wbFir)->Arg(16)->Arg(64);

// ---- side by side: 64 Ki samples, single rate and decimation by four ----

constexpr int kLong = 1 << 16;

void perOutput(benchmark::State& state, int outputs) {
    state.counters["ns/out"] = benchmark::Counter(double(state.iterations()) * outputs,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_vokFirBlock(benchmark::State& state) {
    const int len = int(state.range(0));
    auto taps = ramp(len, 0.1f);
    std::vector<float> in = ramp(kLong, 1.0f), out(kLong);
    FirState st;
    voksFirInit(taps.data(), len, nullptr, &st);
    for (auto _ : state) {
        voksbFir(&st, in.data(), out.data(), kLong);
        benchmark::DoNotOptimize(out.data());
    }
    vokFirFree(&st);
    perOutput(state, kLong);
}

void BM_vokFirlBlock(benchmark::State& state) {
    const int len = int(state.range(0));
    auto taps = ramp(len, 0.1f);
    std::vector<float> line(std::size_t(len), 0.0f), in = ramp(kLong, 1.0f), out(kLong);
    FirTapState tap;
    FirDlyState dly;
    voksFirlInit(taps.data(), len, &tap);
    voksFirlInitDlyl(&tap, line.data(), &dly);
    voksFirlSetDlyl(&tap, nullptr, &dly);
    for (auto _ : state) {
        voksbFirl(&tap, &dly, in.data(), out.data(), kLong);
        benchmark::DoNotOptimize(out.data());
    }
    perOutput(state, kLong);
}

void BM_nativeFirBlock(benchmark::State& state) {
    const int len = int(state.range(0));
    auto taps = ramp(len, 0.1f);
    std::vector<float> rtaps(taps.rbegin(), taps.rend()), line(std::size_t(len - 1 + kLong), 0.0f), out(kLong);
    const auto in = ramp(kLong, 1.0f);
    for (auto _ : state) {
        // The block follows the history, as a filter keeping its own line must arrange.
        std::copy(line.end() - (len - 1), line.end(), line.begin());
        std::copy(in.begin(), in.end(), line.begin() + (len - 1));
        nativeFirBlock(rtaps.data(), len, line.data(), out.data(), kLong);
        benchmark::DoNotOptimize(out.data());
    }
    perOutput(state, kLong);
}

void BM_vokFirDecimate4(benchmark::State& state) {
    const int len = int(state.range(0));
    auto taps = ramp(len, 0.1f);
    std::vector<float> in = ramp(kLong, 1.0f), out(kLong / 4);
    FirState st;
    voksFirInitMr(taps.data(), len, nullptr, 1, 0, 4, 0, &st);
    for (auto _ : state) {
        voksbFir(&st, in.data(), out.data(), kLong / 4);
        benchmark::DoNotOptimize(out.data());
    }
    vokFirFree(&st);
    perOutput(state, kLong / 4);
}

void BM_nativeFirDecimate4(benchmark::State& state) {
    const int len = int(state.range(0));
    auto taps = ramp(len, 0.1f);
    std::vector<float> rtaps(taps.rbegin(), taps.rend()), line(std::size_t(len + kLong), 0.0f), out(kLong / 4);
    const auto in = ramp(kLong, 1.0f);
    for (auto _ : state) {
        std::copy(line.end() - len, line.end(), line.begin());
        std::copy(in.begin(), in.end(), line.begin() + len);
        nativeFirDecimate(rtaps.data(), len, line.data() + 1, out.data(), kLong / 4, 4);
        benchmark::DoNotOptimize(out.data());
    }
    perOutput(state, kLong / 4);
}

// Double data: single rate and decimation by four, and the plain double loop.
void BM_vokFirBlockDouble(benchmark::State& state) {
    const int len = int(state.range(0));
    const auto t = ramp(len, 0.1f), x = ramp(kLong, 1.0f);
    const std::vector<double> taps(t.begin(), t.end()), in(x.begin(), x.end());
    std::vector<double> out(kLong);
    FirState st;
    vokdFirInit(taps.data(), len, nullptr, &st);
    for (auto _ : state) {
        vokdbFir(&st, in.data(), out.data(), kLong);
        benchmark::DoNotOptimize(out.data());
    }
    vokFirFree(&st);
    perOutput(state, kLong);
}

void BM_vokFirDecimate4Double(benchmark::State& state) {
    const int len = int(state.range(0));
    const auto t = ramp(len, 0.1f), x = ramp(kLong, 1.0f);
    const std::vector<double> taps(t.begin(), t.end()), in(x.begin(), x.end());
    std::vector<double> out(kLong / 4);
    FirState st;
    vokdFirInitMr(taps.data(), len, nullptr, 1, 0, 4, 0, &st);
    for (auto _ : state) {
        vokdbFir(&st, in.data(), out.data(), kLong / 4);
        benchmark::DoNotOptimize(out.data());
    }
    vokFirFree(&st);
    perOutput(state, kLong / 4);
}

void BM_nativeFirBlockDouble(benchmark::State& state) {
    const int len = int(state.range(0));
    const auto t = ramp(len, 0.1f), x = ramp(kLong, 1.0f);
    const std::vector<double> rtaps(t.rbegin(), t.rend()), in(x.begin(), x.end());
    std::vector<double> line(std::size_t(len - 1 + kLong), 0.0), out(kLong);
    for (auto _ : state) {
        std::copy(line.end() - (len - 1), line.end(), line.begin());
        std::copy(in.begin(), in.end(), line.begin() + (len - 1));
        nativeFirBlockDouble(rtaps.data(), len, line.data(), out.data(), kLong);
        benchmark::DoNotOptimize(out.data());
    }
    perOutput(state, kLong);
}

BENCHMARK(BM_vokFirBlockDouble)->Arg(16)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_vokFirDecimate4Double)->Arg(16)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_nativeFirBlockDouble)->Arg(16)->Arg(64)->Arg(256)->Arg(1024);

#if VOK_HAVE_LIQUID
void BM_liquidFirfilt(benchmark::State& state) {
    const int len = int(state.range(0));
    auto taps = ramp(len, 0.1f);
    std::vector<float> in = ramp(kLong, 1.0f), out(kLong);
    firfilt_rrrf q = firfilt_rrrf_create(taps.data(), unsigned(len));
    for (auto _ : state) {
        firfilt_rrrf_execute_block(q, in.data(), kLong, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    firfilt_rrrf_destroy(q);
    perOutput(state, kLong);
}

void BM_liquidFirDecimate4(benchmark::State& state) {
    const int len = int(state.range(0));
    auto taps = ramp(len, 0.1f);
    std::vector<float> in = ramp(kLong, 1.0f), out(kLong / 4);
    firdecim_rrrf q = firdecim_rrrf_create(4, taps.data(), unsigned(len));
    for (auto _ : state) {
        firdecim_rrrf_execute_block(q, in.data(), kLong / 4, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    firdecim_rrrf_destroy(q);
    perOutput(state, kLong / 4);
}
BENCHMARK(BM_liquidFirfilt)->Arg(16)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_liquidFirDecimate4)->Arg(16)->Arg(64)->Arg(256)->Arg(1024);
#endif

BENCHMARK(BM_vokFirBlock)->Arg(16)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_vokFirlBlock)->Arg(16)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_nativeFirBlock)->Arg(16)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_vokFirDecimate4)->Arg(16)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_nativeFirDecimate4)->Arg(16)->Arg(64)->Arg(256)->Arg(1024);

}  // namespace

BENCHMARK_MAIN();
