// Conversions over 64 Ki samples against plain -march=native loops.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "vok.h"

void nativeFloatToShortClip(const float* src, short* dst, int n);
void nativeShortToFloat(const short* src, float* dst, int n);
void nativeMag(const float* re, const float* im, float* mag, int n);
void scalarFloatToShortClip(const float* src, short* dst, int n);
void scalarShortToFloat(const short* src, float* dst, int n);

namespace {

constexpr int kSamples = 65536;

std::vector<float> samples() {
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> u(-40000.0f, 40000.0f);
    std::vector<float> v(kSamples);
    for (auto& x : v) x = u(rng);
    return v;
}

void perSample(benchmark::State& state) {
    state.SetItemsProcessed(int64_t(state.iterations()) * kSamples);
}

void BM_voksbFloatToInt16Clip(benchmark::State& state) {
    const auto src = samples();
    std::vector<short> dst(kSamples);
    for (auto _ : state) {
        voksbFloatToInt(src.data(), dst.data(), kSamples, 16, VOK_RndNear | VOK_Clip);
        benchmark::ClobberMemory();
    }
    perSample(state);
}

void BM_nativeFloatToShortClip(benchmark::State& state) {
    const auto src = samples();
    std::vector<short> dst(kSamples);
    for (auto _ : state) {
        nativeFloatToShortClip(src.data(), dst.data(), kSamples);
        benchmark::ClobberMemory();
    }
    perSample(state);
}

void BM_scalarFloatToShortClip(benchmark::State& state) {
    const auto src = samples();
    std::vector<short> dst(kSamples);
    for (auto _ : state) {
        scalarFloatToShortClip(src.data(), dst.data(), kSamples);
        benchmark::ClobberMemory();
    }
    perSample(state);
}

void BM_voksbFloatToInt32Wrap(benchmark::State& state) {
    const auto src = samples();
    std::vector<int> dst(kSamples);
    for (auto _ : state) {
        voksbFloatToInt(src.data(), dst.data(), kSamples, 32, VOK_RndDown);
        benchmark::ClobberMemory();
    }
    perSample(state);
}

void BM_vokdbFloatToInt16Clip(benchmark::State& state) {
    const auto f = samples();
    const std::vector<double> src(f.begin(), f.end());
    std::vector<short> dst(kSamples);
    for (auto _ : state) {
        vokdbFloatToInt(src.data(), dst.data(), kSamples, 16, VOK_RndNear | VOK_Clip);
        benchmark::ClobberMemory();
    }
    perSample(state);
}

void BM_voksbIntToFloat16(benchmark::State& state) {
    std::vector<short> src(kSamples, 1234);
    std::vector<float> dst(kSamples);
    for (auto _ : state) {
        voksbIntToFloat(src.data(), dst.data(), kSamples, 16, 0);
        benchmark::ClobberMemory();
    }
    perSample(state);
}

void BM_nativeShortToFloat(benchmark::State& state) {
    std::vector<short> src(kSamples, 1234);
    std::vector<float> dst(kSamples);
    for (auto _ : state) {
        nativeShortToFloat(src.data(), dst.data(), kSamples);
        benchmark::ClobberMemory();
    }
    perSample(state);
}

void BM_scalarShortToFloat(benchmark::State& state) {
    std::vector<short> src(kSamples, 1234);
    std::vector<float> dst(kSamples);
    for (auto _ : state) {
        scalarShortToFloat(src.data(), dst.data(), kSamples);
        benchmark::ClobberMemory();
    }
    perSample(state);
}

void BM_voksbrMag(benchmark::State& state) {
    const auto re = samples(), im = samples();
    std::vector<float> mag(kSamples);
    for (auto _ : state) {
        voksbrMag(re.data(), im.data(), mag.data(), kSamples);
        benchmark::ClobberMemory();
    }
    perSample(state);
}

void BM_nativeMag(benchmark::State& state) {
    const auto re = samples(), im = samples();
    std::vector<float> mag(kSamples);
    for (auto _ : state) {
        nativeMag(re.data(), im.data(), mag.data(), kSamples);
        benchmark::ClobberMemory();
    }
    perSample(state);
}

}  // namespace

BENCHMARK(BM_voksbFloatToInt16Clip);
BENCHMARK(BM_nativeFloatToShortClip);
BENCHMARK(BM_scalarFloatToShortClip);
BENCHMARK(BM_voksbFloatToInt32Wrap);
BENCHMARK(BM_vokdbFloatToInt16Clip);
BENCHMARK(BM_voksbIntToFloat16);
BENCHMARK(BM_nativeShortToFloat);
BENCHMARK(BM_scalarShortToFloat);
BENCHMARK(BM_voksbrMag);
BENCHMARK(BM_nativeMag);
BENCHMARK_MAIN();
