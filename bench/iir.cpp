// IIR filtering: a cascade of four biquad sections over 64 Ki floats, the
// library's block form against a plain direct-form-II loop in float, the same
// in 1 Ki blocks and with one to eight sections, plus an arbitrary-order
// filter of order 8 and the 16-bit block form. bench/iir_sosfilt.py runs this
// program and scipy.signal.sosfilt on the same sections and input.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "vok.h"

namespace {

constexpr int kLen = 64 * 1024;
constexpr int kQuads = 4;

// Four well-damped low-pass sections: b0, b1, b2, a0, a1, a2 each.
std::vector<float> sections(int nq = kQuads) {
    std::vector<float> t;
    for (int q = 0; q < nq; ++q) {
        const float r = 0.5f + 0.1f * float(q % 4), c = std::cos(0.3f + 0.2f * float(q % 4));
        t.insert(t.end(), {0.2f, 0.4f, 0.2f, 1.0f, -2 * r * c, r * r});
    }
    return t;
}

std::vector<float> input() {
    std::vector<float> x(kLen);
    for (int i = 0; i < kLen; ++i) x[i] = std::sin(0.01f * i) + 0.25f * std::sin(1.3f * i);
    return x;
}

// The plain loop: normalised coefficients G, (a1, a2, b1, b2) per section.
struct Plain {
    float g = 1;
    float c[kQuads][4];
    float w[kQuads][2] = {};
    explicit Plain(const std::vector<float>& t) {
        for (int q = 0; q < kQuads; ++q) {
            const float* s = &t[6 * q];
            g *= s[0] / s[3];
            c[q][0] = s[4] / s[3];
            c[q][1] = s[5] / s[3];
            c[q][2] = s[1] / s[0];
            c[q][3] = s[2] / s[0];
        }
    }
    void run(const float* x, float* y, int n) {
        for (int i = 0; i < n; ++i) {
            float v = g * x[i];
            for (int q = 0; q < kQuads; ++q) {
                const float u = v - c[q][0] * w[q][0] - c[q][1] * w[q][1];
                v = u + c[q][2] * w[q][0] + c[q][3] * w[q][1];
                w[q][1] = w[q][0];
                w[q][0] = u;
            }
            y[i] = v;
        }
    }
};

void samples(benchmark::State& state) { state.SetItemsProcessed(int64_t(state.iterations()) * kLen); }

void BM_voksbIir_biquads4(benchmark::State& state) {
    const auto t = sections();
    const auto x = input();
    std::vector<float> y(kLen);
    IirState st{};
    voksIirInitBq(0, t.data(), kQuads, &st);
    for (auto _ : state) {
        voksbIir(&st, x.data(), y.data(), kLen);
        benchmark::ClobberMemory();
    }
    vokIirFree(&st);
    samples(state);
}

// The same filter fed in blocks of state.range(0) samples.
void BM_voksbIir_biquads4_blocks(benchmark::State& state) {
    const int blk = int(state.range(0));
    const auto t = sections();
    const auto x = input();
    std::vector<float> y(kLen);
    IirState st{};
    voksIirInitBq(0, t.data(), kQuads, &st);
    for (auto _ : state) {
        for (int at = 0; at < kLen; at += blk) voksbIir(&st, x.data() + at, y.data() + at, blk);
        benchmark::ClobberMemory();
    }
    vokIirFree(&st);
    samples(state);
}

// Cascades of state.range(0) sections (the sections of sections(n)).
void BM_voksbIir_sections(benchmark::State& state) {
    const int nq = int(state.range(0));
    const auto t = sections(nq);
    const auto x = input();
    std::vector<float> y(kLen);
    IirState st{};
    voksIirInitBq(0, t.data(), nq, &st);
    for (auto _ : state) {
        voksbIir(&st, x.data(), y.data(), kLen);
        benchmark::ClobberMemory();
    }
    vokIirFree(&st);
    samples(state);
}

void BM_plainLoop_biquads4(benchmark::State& state) {
    const auto x = input();
    std::vector<float> y(kLen);
    Plain p(sections());
    for (auto _ : state) {
        p.run(x.data(), y.data(), kLen);
        benchmark::ClobberMemory();
    }
    samples(state);
}

void BM_vokdbIir_biquads4(benchmark::State& state) {
    const auto t = sections();
    const std::vector<double> td(t.begin(), t.end());
    const auto x = input();
    const std::vector<double> xd(x.begin(), x.end());
    std::vector<double> y(kLen);
    IirState st{};
    vokdIirInitBq(0, td.data(), kQuads, &st);
    for (auto _ : state) {
        vokdbIir(&st, xd.data(), y.data(), kLen);
        benchmark::ClobberMemory();
    }
    vokIirFree(&st);
    samples(state);
}

void BM_voksbIir_order8(benchmark::State& state) {
    // The same four sections multiplied out into one section of order 8.
    const auto t = sections();
    std::vector<double> b{1}, a{1};
    for (int q = 0; q < kQuads; ++q) {
        std::vector<double> nb(b.size() + 2, 0), na(a.size() + 2, 0);
        for (size_t k = 0; k < b.size(); ++k)
            for (int j = 0; j < 3; ++j) nb[k + j] += b[k] * t[6 * q + j], na[k + j] += a[k] * t[6 * q + 3 + j];
        b = nb, a = na;
    }
    std::vector<float> taps(b.begin(), b.end());
    taps.insert(taps.end(), a.begin(), a.end());
    const auto x = input();
    std::vector<float> y(kLen);
    IirState st{};
    voksIirInit(0, taps.data(), 2 * kQuads, &st);
    for (auto _ : state) {
        voksbIir(&st, x.data(), y.data(), kLen);
        benchmark::ClobberMemory();
    }
    vokIirFree(&st);
    samples(state);
}

void BM_vokwbIir_biquads4(benchmark::State& state) {
    const auto t = sections();
    const auto x = input();
    std::vector<short> xs(kLen), y(kLen);
    for (int i = 0; i < kLen; ++i) xs[i] = short(x[i] * 20000);
    IirState st{};
    vokwIirInitBq(0, t.data(), kQuads, &st);
    int sf = 0;
    for (auto _ : state) {
        vokwbIir(&st, xs.data(), y.data(), kLen, VOK_SATURATE, &sf);
        benchmark::ClobberMemory();
    }
    vokIirFree(&st);
    samples(state);
}

}  // namespace

BENCHMARK(BM_voksbIir_biquads4);
BENCHMARK(BM_voksbIir_biquads4_blocks)->Arg(256)->Arg(1024)->Arg(4096);
BENCHMARK(BM_voksbIir_sections)->Arg(1)->Arg(2)->Arg(8);
BENCHMARK(BM_plainLoop_biquads4);
BENCHMARK(BM_vokdbIir_biquads4);
BENCHMARK(BM_voksbIir_order8);
BENCHMARK(BM_vokwbIir_biquads4);

BENCHMARK_MAIN();
