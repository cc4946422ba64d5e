// Vector arithmetic against plain -march=native loops and memcpy.
// Bytes processed count every array read and written.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "vok.h"

void nativeAdd3(const float* a, const float* b, float* d, int n);
void nativeComplexMpy3(const FloatComplex* a, const FloatComplex* b, FloatComplex* d, int n);

namespace {

template <class T>
struct Buffers {
    explicit Buffers(int n) : a(n), b(n), d(n) {
        for (int i = 0; i < n; ++i) {
            std::memset(&a[i], 0, sizeof(T));
            std::memset(&b[i], 0, sizeof(T));
        }
    }
    std::vector<T> a, b, d;
};

void finish(benchmark::State& state, int arrays, std::size_t elementSize) {
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0) * arrays * int64_t(elementSize));
}

void BM_voksbAdd3(benchmark::State& state) {
    const int n = int(state.range(0));
    Buffers<float> buf(n);
    for (auto _ : state) {
        voksbAdd3(buf.a.data(), buf.b.data(), buf.d.data(), n);
        benchmark::ClobberMemory();
    }
    finish(state, 3, sizeof(float));
}

void BM_nativeAdd3(benchmark::State& state) {
    const int n = int(state.range(0));
    Buffers<float> buf(n);
    for (auto _ : state) {
        nativeAdd3(buf.a.data(), buf.b.data(), buf.d.data(), n);
        benchmark::ClobberMemory();
    }
    finish(state, 3, sizeof(float));
}

void BM_vokcbMpy3(benchmark::State& state) {
    const int n = int(state.range(0));
    Buffers<FloatComplex> buf(n);
    for (auto _ : state) {
        vokcbMpy3(buf.a.data(), buf.b.data(), buf.d.data(), n);
        benchmark::ClobberMemory();
    }
    finish(state, 3, sizeof(FloatComplex));
}

void BM_nativeComplexMpy3(benchmark::State& state) {
    const int n = int(state.range(0));
    Buffers<FloatComplex> buf(n);
    for (auto _ : state) {
        nativeComplexMpy3(buf.a.data(), buf.b.data(), buf.d.data(), n);
        benchmark::ClobberMemory();
    }
    finish(state, 3, sizeof(FloatComplex));
}

void BM_voksbCopy(benchmark::State& state) {
    const int n = int(state.range(0));
    Buffers<float> buf(n);
    for (auto _ : state) {
        voksbCopy(buf.a.data(), buf.d.data(), n);
        benchmark::ClobberMemory();
    }
    finish(state, 2, sizeof(float));
}

void BM_memcpy(benchmark::State& state) {
    const int n = int(state.range(0));
    Buffers<float> buf(n);
    for (auto _ : state) {
        std::memcpy(buf.d.data(), buf.a.data(), sizeof(float) * n);
        benchmark::ClobberMemory();
    }
    finish(state, 2, sizeof(float));
}

}  // namespace

BENCHMARK(BM_voksbAdd3)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK(BM_nativeAdd3)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK(BM_vokcbMpy3)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK(BM_nativeComplexMpy3)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK(BM_voksbCopy)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK(BM_memcpy)->Arg(1 << 10)->Arg(1 << 20);
BENCHMARK_MAIN();
