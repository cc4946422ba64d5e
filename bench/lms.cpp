// LMS adaptive filters: one step of the single-sample forms and the
// desired-signal block form, per tap count. "native" is a plain float loop
// compiled with -O3 -march=native (float sums, no leak), a lower bound rather
// than a peer: the library sums in double and applies the leak.
#include <benchmark/benchmark.h>

#include <vector>

#include "vok.h"

float nativeLmsStep(float* w, float* x, int len, float step, float err, float samp);

namespace {

template <class T>
T value(double v) {
    if constexpr (sizeof(T) == sizeof(float) || sizeof(T) == sizeof(double)) return T(v);
    else return T{decltype(T{}.re)(v), decltype(T{}.re)(-v)};
}

void BM_nativeLmsStep(benchmark::State& state) {
    const int len = int(state.range(0));
    std::vector<float> w(len, 0.0f), x(len, 0.5f);
    float s = 0.25f;
    for (auto _ : state) {
        s = -s;
        benchmark::DoNotOptimize(nativeLmsStep(w.data(), x.data(), len, 1e-4f, 0.01f, s));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * len);
}

template <class T, T (*Lmsl)(LmsTapState*, LmsDlyState*, T, T),
          void (*Init)(int, T*, int, float, float, int, LmsTapState*),
          void (*InitDlyl)(LmsTapState*, T*, int, LmsDlyState*)>
void BM_lmsl(benchmark::State& state) {
    const int len = int(state.range(0));
    std::vector<T> w(len, value<T>(0)), x(len, value<T>(0.5));
    LmsTapState tap;
    LmsDlyState dly;
    Init(0, w.data(), len, 1e-4f, 0.0f, 0, &tap);
    InitDlyl(&tap, x.data(), 1, &dly);
    T s = value<T>(0.25), e = value<T>(0.01);
    for (auto _ : state) benchmark::DoNotOptimize(Lmsl(&tap, &dly, s, e));
    state.SetItemsProcessed(int64_t(state.iterations()) * len);
}

void BM_voksbLmsDes(benchmark::State& state) {
    const int len = int(state.range(0)), n = 1024;
    std::vector<float> in(n, 0.5f), des(n, 0.25f), out(n);
    LmsState st;
    voksLmsInit(0, nullptr, len, nullptr, 1e-4f, 0.0f, 0, &st);
    for (auto _ : state) {
        voksbLmsDes(&st, in.data(), des.data(), out.data(), n);
        benchmark::ClobberMemory();
    }
    vokLmsFree(&st);
    state.SetItemsProcessed(int64_t(state.iterations()) * len * n);
}

}  // namespace

BENCHMARK(BM_nativeLmsStep)->Arg(16)->Arg(128);
BENCHMARK(BM_lmsl<float, voksLmsl, voksLmslInit, voksLmslInitDlyl>)->Name("BM_voksLmsl")->Arg(16)->Arg(128);
BENCHMARK(BM_lmsl<double, vokdLmsl, vokdLmslInit, vokdLmslInitDlyl>)->Name("BM_vokdLmsl")->Arg(16)->Arg(128);
BENCHMARK(BM_lmsl<FloatComplex, vokcLmsl, vokcLmslInit, vokcLmslInitDlyl>)->Name("BM_vokcLmsl")->Arg(16)->Arg(128);
BENCHMARK(BM_voksbLmsDes)->Arg(16)->Arg(128);
BENCHMARK_MAIN();
