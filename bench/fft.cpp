// Every FFT family of both precisions beside FFTW plans of the same kind and
// placement (FFTW_MEASURE, made once): complex interleaved and split, in place
// and not; real to RCPack / CCS and back, in place and not. Orders 1 ... 20
// (21 ... 23 with --max_order=23);
// KissFFT (out of place only) beside the forward complex and real ones.
// Spectrum-to-real transforms run unscaled (VOK_NoScale), as FFTW's c2r does;
// FFTW's in-place real plans take the N + 2 reals of the half spectrum.
// Items are transform points; scripts/fft_ratios.py turns the JSON output
// into time ratios (vokx1 / peer) of each family against its peer.
//
// Every program repeats its transform on one buffer, so values grow to
// infinity after a few iterations; SSE/AVX arithmetic on infinities and NaNs
// runs at full speed, and the peers see the same kind of data.
#include <benchmark/benchmark.h>

#include <cmath>
#include <functional>
#include <string>
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

// One call of a transform of 2^order points with these flags on buffers a
// and b (b unused when in place); each buffer holds N + 2 complex values.
template <class T>
using Call = std::function<void(T* a, T* b, int order, int flags)>;

// --dirty_upper: every transform's loop starts with the upper halves of the
// vector registers left set, as a caller's 256-bit code without vzeroupper
// leaves them; SSE2-encoded code then waits on each register's previous value.
bool dirtyUpper = false;
void leaveUpperSet() {
#if defined(__x86_64__)
    if (dirtyUpper && __builtin_cpu_supports("avx")) __asm__ volatile("vpcmpeqd %%ymm15, %%ymm15, %%ymm15" ::: "xmm15");
#endif
}

// Every order up to maxOrder: odd and even orders run different pass
// structures. Above 20 the data leave the last-level cache and FFTW's
// measured plans take minutes to make: they run when asked (--max_order).
int maxOrder = 20;
void orders(benchmark::internal::Benchmark* b) {
    for (int m = 1; m <= maxOrder; ++m) b->Arg(m);
}

// The library's entry points of one precision.
template <class T, class C>
struct Vok {
    void (*fft)(C*, int, int);
    void (*fftNip)(const C*, C*, int, int);
    void (*rFft)(T*, T*, int, int);
    void (*rFftNip)(const T*, const T*, T*, T*, int, int);
    void (*realFftl)(T*, int, int);
    void (*realFftlNip)(const T*, T*, int, int);
    void (*realFft)(T*, int, int);
    void (*realFftNip)(const T*, T*, int, int);
    void (*ccsFftl)(T*, int, int);
    void (*ccsFftlNip)(const T*, T*, int, int);
    void (*ccsFft)(T*, int, int);
    void (*ccsFftNip)(const T*, T*, int, int);
};

template <class T, class C>
void registerVok(const std::string& c, const std::string& r, const Vok<T, C>& v) {
    const auto add = [](const std::string& name, Call<T> call, int flags) {
        benchmark::RegisterBenchmark(name.c_str(), [call, flags](benchmark::State& state) {
            const int order = int(state.range(0));
            const std::size_t n = std::size_t(1) << order;
            // The library's own allocator, aligned to the cache line as FFTW's
            // is: a vector's buffer sits anywhere on the line, which moves the
            // figures by up to half from one allocation to the next.
            const std::size_t reals = 2 * n + 4;
            T* a = static_cast<T*>(vokMalloc(int(reals * sizeof(T))));
            T* b = static_cast<T*>(vokMalloc(int(reals * sizeof(T))));
            fillSignal(a, reals);
            fillSignal(b, reals);
            call(a, b, order, flags | VOK_Init);
            leaveUpperSet();
            for (auto _ : state) {
                call(a, b, order, flags);
                benchmark::ClobberMemory();
            }
            vokFree(a);
            vokFree(b);
            state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(n));
        })->Apply(orders);
    };
    const auto cx = [](T* p) { return reinterpret_cast<C*>(p); };
    // The imaginary half of a split buffer.
    const auto im = [](T* p, int m) { return p + (std::size_t(1) << m) + 2; };
    const int fwd = VOK_Forw, pack = VOK_Forw | VOK_OutRCPack, inv = VOK_Inv | VOK_NoScale;
    add(c + "Fft", [=](T* a, T*, int m, int f) { v.fft(cx(a), m, f); }, fwd);
    add(c + "FftNip", [=](T* a, T* b, int m, int f) { v.fftNip(cx(a), cx(b), m, f); }, fwd);
    add(c + "rFft", [=](T* a, T*, int m, int f) { v.rFft(a, im(a, m), m, f); }, fwd);
    add(c + "rFftNip", [=](T* a, T* b, int m, int f) { v.rFftNip(a, im(a, m), b, im(b, m), m, f); }, fwd);
    add(r + "RealFftl", [=](T* a, T*, int m, int f) { v.realFftl(a, m, f); }, pack);
    add(r + "RealFftlNip", [=](T* a, T* b, int m, int f) { v.realFftlNip(a, b, m, f); }, pack);
    add(r + "RealFft", [=](T* a, T*, int m, int f) { v.realFft(a, m, f); }, fwd);
    add(r + "RealFftNip", [=](T* a, T* b, int m, int f) { v.realFftNip(a, b, m, f); }, fwd);
    add(r + "CcsFftl", [=](T* a, T*, int m, int f) { v.ccsFftl(a, m, f); }, inv | VOK_InRCPack);
    add(r + "CcsFftlNip", [=](T* a, T* b, int m, int f) { v.ccsFftlNip(a, b, m, f); }, inv | VOK_InRCPack);
    add(r + "CcsFft", [=](T* a, T*, int m, int f) { v.ccsFft(a, m, f); }, inv);
    add(r + "CcsFftNip", [=](T* a, T* b, int m, int f) { v.ccsFftNip(a, b, m, f); }, inv);
}

#if VOK_HAVE_FFTW
// FFTW_MEASURE at 2^23 points takes a minute or two per plan. Plans of orders
// above 20 are measured for at most --fftw_timelimit=SECONDS each (the rest
// estimated), and --fftw_wisdom=FILE keeps every plan in FILE.f and FILE.d
// (read before the run, written after it) for the next run.
double largePlanSeconds = FFTW_NO_TIMELIMIT;
std::string wisdomFile;

// FFTW's plan calls of one precision, spelled once for both.
#define FFTW_PEER(P, T, prefix)                                                                                   \
    void register_##prefix() {                                                                                    \
        using Cx = P##_complex;                                                                                   \
        const auto add = [](std::string name, std::function<P##_plan(T*, T*, int)> make) {                        \
            benchmark::RegisterBenchmark((std::string(#prefix) + "_" + name).c_str(), [make](benchmark::State& s) { \
                const int order = int(s.range(0));                                                                \
                const std::size_t n = std::size_t(1) << order;                                                    \
                T* a = P##_alloc_real(2 * n + 4);                                                                 \
                T* b = P##_alloc_real(2 * n + 4);                                                                 \
                P##_set_timelimit(order > 20 ? largePlanSeconds : FFTW_NO_TIMELIMIT);                             \
                P##_plan plan = make(a, b, int(n));                                                               \
                fillSignal(a, 2 * n + 4);                                                                         \
                fillSignal(b, 2 * n + 4);                                                                         \
                leaveUpperSet();                                                                                  \
                for (auto _ : s) {                                                                                \
                    P##_execute(plan);                                                                            \
                    benchmark::ClobberMemory();                                                                   \
                }                                                                                                 \
                P##_destroy_plan(plan);                                                                           \
                P##_free(a);                                                                                      \
                P##_free(b);                                                                                      \
                s.SetItemsProcessed(int64_t(s.iterations()) * int64_t(n));                                        \
            })->Apply(orders);                                                                                    \
        };                                                                                                        \
        const auto cx = [](T* p) { return reinterpret_cast<Cx*>(p); };                                            \
        add("c2c", [=](T* a, T*, int n) { return P##_plan_dft_1d(n, cx(a), cx(a), FFTW_FORWARD, FFTW_MEASURE); }); \
        add("c2c_nip", [=](T* a, T* b, int n) {                                                                   \
            return P##_plan_dft_1d(n, cx(a), cx(b), FFTW_FORWARD, FFTW_MEASURE);                                  \
        });                                                                                                       \
        add("split", [](T* a, T*, int n) {                                                                        \
            P##_iodim dim{n, 1, 1};                                                                               \
            T* im = a + n + 2;                                                                                    \
            return P##_plan_guru_split_dft(1, &dim, 0, nullptr, a, im, a, im, FFTW_MEASURE);                      \
        });                                                                                                       \
        add("split_nip", [](T* a, T* b, int n) {                                                                  \
            P##_iodim dim{n, 1, 1};                                                                               \
            return P##_plan_guru_split_dft(1, &dim, 0, nullptr, a, a + n + 2, b, b + n + 2, FFTW_MEASURE);        \
        });                                                                                                       \
        add("r2c", [=](T* a, T*, int n) { return P##_plan_dft_r2c_1d(n, a, cx(a), FFTW_MEASURE); });              \
        add("r2c_nip", [=](T* a, T* b, int n) { return P##_plan_dft_r2c_1d(n, a, cx(b), FFTW_MEASURE); });        \
        add("c2r", [=](T* a, T*, int n) { return P##_plan_dft_c2r_1d(n, cx(a), a, FFTW_MEASURE); });              \
        add("c2r_nip", [=](T* a, T* b, int n) { return P##_plan_dft_c2r_1d(n, cx(a), b, FFTW_MEASURE); });        \
    }
FFTW_PEER(fftwf, float, fftwf)
FFTW_PEER(fftw, double, fftw)
#undef FFTW_PEER
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

}  // namespace

int main(int argc, char** argv) {
    // Our own flags, taken out before the library's parse.
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--max_order=", 0) == 0) maxOrder = std::stoi(arg.substr(12));
        else if (arg == "--dirty_upper") dirtyUpper = true;
#if VOK_HAVE_FFTW
        else if (arg.rfind("--fftw_timelimit=", 0) == 0) largePlanSeconds = std::stod(arg.substr(17));
        else if (arg.rfind("--fftw_wisdom=", 0) == 0) wisdomFile = arg.substr(14);
#endif
        else argv[kept++] = argv[i];
    }
    argc = kept;
#if VOK_HAVE_FFTW
    if (!wisdomFile.empty()) {
        fftwf_import_wisdom_from_filename((wisdomFile + ".f").c_str());
        fftw_import_wisdom_from_filename((wisdomFile + ".d").c_str());
    }
#endif
    registerVok<float, FloatComplex>("vokc", "voks",
                                     {vokcFft, vokcFftNip, vokcrFft, vokcrFftNip, voksRealFftl, voksRealFftlNip,
                                      voksRealFft, voksRealFftNip, voksCcsFftl, voksCcsFftlNip, voksCcsFft,
                                      voksCcsFftNip});
    registerVok<double, DoubleComplex>("vokz", "vokd",
                                       {vokzFft, vokzFftNip, vokzrFft, vokzrFftNip, vokdRealFftl, vokdRealFftlNip,
                                        vokdRealFft, vokdRealFftNip, vokdCcsFftl, vokdCcsFftlNip, vokdCcsFft,
                                        vokdCcsFftNip});
#if VOK_HAVE_FFTW
    register_fftwf();
    register_fftw();
#endif
#if VOK_HAVE_KISSFFT
    benchmark::RegisterBenchmark("kiss_c2c", BM_kiss_c2c)->Apply(orders);
    benchmark::RegisterBenchmark("kiss_r2c", BM_kiss_r2c)->Apply(orders);
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
#if VOK_HAVE_FFTW
    if (!wisdomFile.empty()) {
        // A file per precision: FILE.f and FILE.d.
        fftwf_export_wisdom_to_filename((wisdomFile + ".f").c_str());
        fftw_export_wisdom_to_filename((wisdomFile + ".d").c_str());
    }
#endif
    return 0;
}
