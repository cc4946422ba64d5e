// Elementwise functions, mean and norm over float vectors against plain C
// library loops. The logarithm and exponential benchmarks also report the
// largest error of their results in ulps against a long double reference
// (counter max_ulp) over the benchmark's inputs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "vok.h"

void nativeSqrt(const float* src, float* dst, int n);
void nativeLn(const float* src, float* dst, int n);
void nativeExp(const float* src, float* dst, int n);
float nativeMean(const float* src, int n);
float nativeNormL2(const float* a, const float* b, int n);

namespace {

std::vector<float> inputs(int n, double lo, double hi, bool logScale) {
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> u(lo, hi);
    std::vector<float> v(n);
    for (auto& x : v) x = float(logScale ? std::exp(u(rng)) : u(rng));
    return v;
}

long long orderedKey(float x) {
    std::int32_t k;
    std::memcpy(&k, &x, 4);
    return k < 0 ? -(long long)(k & 0x7FFFFFFF) : (long long)k;
}

double maxUlp(const std::vector<float>& src, const std::vector<float>& got, long double (*ref)(long double)) {
    long long worst = 0;
    for (std::size_t i = 0; i < src.size(); ++i)
        worst = std::max(worst, std::llabs(orderedKey(got[i]) - orderedKey(float(ref(src[i])))));
    return double(worst);
}

long double refLn(long double x) { return std::log(x); }
long double refExp(long double x) { return std::exp(x); }

template <class Fn>
void runMap(benchmark::State& state, const std::vector<float>& src, Fn fn, long double (*ref)(long double)) {
    std::vector<float> dst(src.size());
    for (auto _ : state) {
        fn(src.data(), dst.data(), int(src.size()));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(src.size()));
    if (ref) state.counters["max_ulp"] = maxUlp(src, dst, ref);
}

const std::vector<float>& positives(int n) { static auto v = inputs(n, -20, 20, true); return v; }
const std::vector<float>& exponents(int n) { static auto v = inputs(n, -87, 88, false); return v; }
const std::vector<float>& mixed(int n) { static auto v = inputs(n, -100, 100, false); return v; }

void BM_voksbSqrt2(benchmark::State& s) { runMap(s, positives(int(s.range(0))), voksbSqrt2, nullptr); }
void BM_nativeSqrt(benchmark::State& s) { runMap(s, positives(int(s.range(0))), nativeSqrt, nullptr); }
void BM_voksbLn2(benchmark::State& s) { runMap(s, positives(int(s.range(0))), voksbLn2, refLn); }
void BM_nativeLn(benchmark::State& s) { runMap(s, positives(int(s.range(0))), nativeLn, refLn); }
void BM_voksbExp2(benchmark::State& s) { runMap(s, exponents(int(s.range(0))), voksbExp2, refExp); }
void BM_nativeExp(benchmark::State& s) { runMap(s, exponents(int(s.range(0))), nativeExp, refExp); }

void BM_voksMean(benchmark::State& state) {
    const auto& v = mixed(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(voksMean(v.data(), int(v.size())));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(v.size()));
}
void BM_nativeMean(benchmark::State& state) {
    const auto& v = mixed(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(nativeMean(v.data(), int(v.size())));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(v.size()));
}
void BM_voksNormL2(benchmark::State& state) {
    const auto& a = mixed(int(state.range(0)));
    const auto& b = positives(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(voksNorm(a.data(), b.data(), int(a.size()), VOK_L2));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(a.size()));
}
void BM_nativeNormL2(benchmark::State& state) {
    const auto& a = mixed(int(state.range(0)));
    const auto& b = positives(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(nativeNormL2(a.data(), b.data(), int(a.size())));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(a.size()));
}

}  // namespace

constexpr int kLength = 1 << 16;
BENCHMARK(BM_voksbSqrt2)->Arg(kLength);
BENCHMARK(BM_nativeSqrt)->Arg(kLength);
BENCHMARK(BM_voksbLn2)->Arg(kLength);
BENCHMARK(BM_nativeLn)->Arg(kLength);
BENCHMARK(BM_voksbExp2)->Arg(kLength);
BENCHMARK(BM_nativeExp)->Arg(kLength);
BENCHMARK(BM_voksMean)->Arg(kLength);
BENCHMARK(BM_nativeMean)->Arg(kLength);
BENCHMARK(BM_voksNormL2)->Arg(kLength);
BENCHMARK(BM_nativeNormL2)->Arg(kLength);
BENCHMARK_MAIN();
