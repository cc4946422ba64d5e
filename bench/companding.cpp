// A-law and mu-law over 64 Ki samples against textbook one-sample-at-a-time
// G.711 loops (bench/native/companding_loops.cc). The textbook loops use the
// classic bit-exact formulation with the A-law even-bit inversion folded in,
// so their codes differ from this library's only in that convention; the
// timing is what is compared.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "vok.h"

void textbookLinToMuLaw(const short* src, unsigned char* dst, int n);
void textbookLinToALaw(const short* src, unsigned char* dst, int n);
void textbookMuLawToLin(const unsigned char* src, short* dst, int n);

namespace {

constexpr int kSamples = 1 << 16;

std::vector<short> speech() {
    std::mt19937 rng(3);
    std::normal_distribution<double> g(0, 3000);  // mostly small values, like speech
    std::vector<short> v(kSamples);
    for (auto& x : v) {
        const double s = g(rng);
        x = short(s > 32767 ? 32767 : s < -32768 ? -32768 : s);
    }
    return v;
}

template <class Fn>
void run(benchmark::State& state, Fn fn) {
    for (auto _ : state) {
        fn();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_vokwbLinToMuLaw(benchmark::State& state) {
    auto src = speech();
    std::vector<unsigned char> dst(kSamples);
    run(state, [&] { vokwbLinToMuLaw(src.data(), dst.data(), kSamples); });
}
void BM_textbookLinToMuLaw(benchmark::State& state) {
    auto src = speech();
    std::vector<unsigned char> dst(kSamples);
    run(state, [&] { textbookLinToMuLaw(src.data(), dst.data(), kSamples); });
}
void BM_vokwbLinToALaw(benchmark::State& state) {
    auto src = speech();
    std::vector<unsigned char> dst(kSamples);
    run(state, [&] { vokwbLinToALaw(src.data(), dst.data(), kSamples); });
}
void BM_textbookLinToALaw(benchmark::State& state) {
    auto src = speech();
    std::vector<unsigned char> dst(kSamples);
    run(state, [&] { textbookLinToALaw(src.data(), dst.data(), kSamples); });
}
void BM_vokwbMuLawToLin(benchmark::State& state) {
    auto pcm = speech();
    std::vector<unsigned char> src(kSamples);
    vokwbLinToMuLaw(pcm.data(), src.data(), kSamples);
    std::vector<short> dst(kSamples);
    run(state, [&] { vokwbMuLawToLin(src.data(), dst.data(), kSamples); });
}
void BM_textbookMuLawToLin(benchmark::State& state) {
    auto pcm = speech();
    std::vector<unsigned char> src(kSamples);
    vokwbLinToMuLaw(pcm.data(), src.data(), kSamples);
    std::vector<short> dst(kSamples);
    run(state, [&] { textbookMuLawToLin(src.data(), dst.data(), kSamples); });
}
void BM_voksbLinToMuLaw(benchmark::State& state) {
    auto pcm = speech();
    std::vector<float> src(pcm.begin(), pcm.end());
    for (auto& x : src) x /= 32768.0f;
    std::vector<unsigned char> dst(kSamples);
    run(state, [&] { voksbLinToMuLaw(src.data(), dst.data(), kSamples); });
}

}  // namespace

BENCHMARK(BM_vokwbLinToMuLaw);
BENCHMARK(BM_textbookLinToMuLaw);
BENCHMARK(BM_vokwbLinToALaw);
BENCHMARK(BM_textbookLinToALaw);
BENCHMARK(BM_vokwbMuLawToLin);
BENCHMARK(BM_textbookMuLawToLin);
BENCHMARK(BM_voksbLinToMuLaw);
BENCHMARK_MAIN();
