// Allocation failures: every library allocation of a call fails in turn (or
// two in a row, for the paths that release their caches and retry once); the
// call reports it or works around it, leaves the caller's buffers alone, and
// the next call works. Transforms release the thread's caches before every
// call, so the call builds all of its tables again.
#include <gtest/gtest.h>

#include "robustness/job.h"

namespace {

using robust::Job;
using robust::Options;
using robust::Reports;

constexpr int kNoMem = VOK_StatusNoMemory, kBadArg = VOK_StatusBadArg, kTrace = VOK_StatusBacktrace;
Reports twd(const char* function, const char* module) { return {{kNoMem, function, "No working Twd memory", module}}; }
std::string named(const char* what, int n) { return what + std::to_string(n); }

// Calls on the buffers of a job: a failure leaves every buffer as it was made
// (unless 'kept' is false), a survived one gives what the calls give when
// every allocation succeeds.
void sweepJob(const std::string& name, const std::function<void(Job&)>& call, const std::vector<Reports>& allowed,
              const Options& options) {
    robust::releaseThreadCaches();
    Job reference;
    call(reference);
    const std::vector<double> want = reference.results();
    std::unique_ptr<Job> job;
    auto prepare = [&] {
        if (options.release) robust::releaseThreadCaches();
        job = std::make_unique<Job>();
    };
    auto check = [&] {
        const std::vector<double> got = job->results();
        const bool right = got.size() == want.size() && robust::near(got, want, options.tol);
        return robust::Observed{!options.kept || got == job->made(), right};
    };
    robust::sweep(name, {prepare, [&] { call(*job); }, check}, allowed, options);
}

// A row swept with single failures ('once') and, when 'twice' wants figures,
// with runs of two, where a retried path gives up and the 'retried' reports
// may come as well.
void add(std::string name, std::function<void(Job&)> call, std::vector<Reports> allowed, Options once,
         Options twice = {}, std::vector<Reports> retried = {}) {
    sweepJob(name, call, allowed, once);
    if (!*twice.want) return;
    twice.run = 2;
    allowed.insert(allowed.end(), retried.begin(), retried.end());
    sweepJob(name, call, allowed, twice);
}

TEST(Allocations, EveryFailureIsReportedOrSurvivedAndLeavesTheCallerAlone) {
    // The complex FFT builds its tables (twiddles and swap table at least) on
    // the first call of an order or with VOK_Init and does not retry. Orders on
    // the radix-4 path, an odd order, orders with blocked stages.
    for (int order : {2, 7, 12, 15}) {
        Job reference;
        robust::releaseThreadCaches();
        vokcFft(reference.buf<FloatComplex>(1 << order), order, VOK_Forw);
        const std::vector<double> want = reference.results();
        auto check = [&] {
            Job j;
            vokcFft(j.buf<FloatComplex>(1 << order), order, VOK_Forw);  // with the tables the set-up left
            return robust::Observed{true, j.results() == want};
        };
        robust::sweep(named("vokcFft VOK_Init, order ", order),
                      {robust::releaseThreadCaches, [&] { vokcFft(nullptr, order, VOK_Init); }, check},
                      {twd("vokcFft", "vokffts")}, {.want = "allocations>=2 failed=all"});
        add(named("vokzFft first call, order ", order + 1),
            [order](Job& j) { vokzFft(j.buf<DoubleComplex>(2 << order), order + 1, VOK_Inv | VOK_OutBitRev); },
            {twd("vokzFft", "vokfftd")}, {.want = "failed=all"});
    }
    // The real FFT retries once after releasing its tables: one failure is
    // survived, two in a row are reported. The 16-bit forms retry their work
    // slot after releasing everything and trace a failure of their float core
    // (saturating mode: the float copy converts back exactly); vokvFft's core
    // is the complex FFT, whose tables fail.
    for (int order : {2, 3, 9, 10, 14}) {
        const int n = 1 << order;
        add(named("voksRealFftNip order ", order),
            [order, n](Job& j) { voksRealFftNip(j.buf<float>(n), j.buf<float>(n + 2), order, VOK_Forw); }, {},
            {.want = "failed=0 survived=all"}, {.want = "failed>=1"}, {twd("voksRealFftNip", "vokffts")});
        if (order == 3 || order == 10)
            add(named("vokvFft order ", order),
                [order, n](Job& j) { vokvFft(j.buf<ShortComplex>(n, false, 3e3), order, VOK_Forw, VOK_SATURATE, 0); },
                {{twd("vokcFft", "vokffts")[0], {kTrace, "vokvFft", "out vokcFft calc. FFT", "vokfftw"}}},
                {.want = "survived>=1 failed>=2"}, {.want = "failed>=2"},
                {{{kNoMem, "vokvFft", "No working memory", "vokfftw"}}});
    }
    // A failure of the float core still converts the (untransformed) copy back into the output.
    add("vokwRealFftNip",
        [](Job& j) { vokwRealFftNip(j.buf<short>(256, false, 3e3), j.buf<short>(258), 8, VOK_Forw, VOK_SATURATE, 0); },
        {}, {.want = "survived=all"}, {.kept = false, .want = "failed>=2"},
        {{{kNoMem, "vokwRealFftNip", "No working memory", "vokfftw"}},
         {twd("voksRealFft", "vokffts")[0], {kTrace, "vokwRealFftNip", "out voksRealFft calc. FFT", "vokfftw"}}});

    // The DFTs: the table of the length, then a work slot (vokcDft), a scratch
    // copy for an in-place call (vokzDft) or a retried work slot (vokvDft);
    // then the plan (or a long prime length's chirp and its FFT tables):
    // without them the direct sum answers, so those failures are survived.
    for (int n : {17, 100, 1000})
        add(named("vokcDft length ", n),
            [n](Job& j) { vokcDft(j.buf<FloatComplex>(n), j.buf<FloatComplex>(n, true), n, VOK_Forw); },
            {{{kNoMem, "vokcGetDftTwdTbl", "NULL Pointer", "voktwd"}, {kBadArg, "vokcDft", "TwdTbl==0", "vokdft"}},
             {{kBadArg, "vokcDft", "buff==0", "vokdft"}}},
            {.tol = 1e-5 * n, .want = "allocations>2 failed=2"});
    const Reports table{{kNoMem, "vokzGetDftTwdTbl", "NULL Pointer", "voktwd"},
                        {kBadArg, "vokzDft", "TwdTbl==0", "vokdft"}};
    const Reports scratch{{kNoMem, "vokzDft", "NULL Pointer", "vokdft"}};
    add("vokzDft",
        [](Job& j) {
            DoubleComplex* d = j.buf<DoubleComplex>(40);
            vokzDft(d, d, 40, VOK_Inv);
        },
        {table}, {.tol = 1e-12, .want = "allocations=2 survived=1"}, {.tol = 1e-12, .want = "failed=2"}, {scratch});
    // 601: a prime beyond the plans' radices, the chirp.
    add("vokzDft length 601",
        [](Job& j) { vokzDft(j.buf<DoubleComplex>(601), j.buf<DoubleComplex>(601, true), 601, VOK_Forw); },
        {table, scratch}, {.tol = 1e-11, .want = "allocations>2 failed=1"});
    // Without its plan the direct sum answers: a 16-bit value may round the other way.
    add("vokvDft",
        [](Job& j) {
            vokvDft(j.buf<ShortComplex>(50, false, 2000), j.buf<ShortComplex>(50), 50, VOK_Forw, VOK_AUTO_SCALE,
                    j.buf<int>(1));
        },
        {{{kNoMem, "vokcGetDftTwdTbl", "NULL Pointer", "voktwd"}, {kBadArg, "vokvDft", "TwidleTbl==0", "vokdft"}}},
        {.tol = 1.0, .want = "failed=1 survived>=1"}, {.want = "failed=2"},
        {{{kNoMem, "vokvDft", "No working memory", "vokdft"}}});

    // 16-bit convolution: three float copies, then the float core's method
    // work arrays and the tables of the first call of an order (two failures
    // in a row, as the real transforms retry once), traced outwards.
    std::vector<Reports> conv;
    for (const char* copy :
         {"NULL pointer to float copy x", "NULL pointer to float copy h", "NULL pointer to float copy y"})
        conv.push_back({{kNoMem, "vokwConv", copy, "vokconvw"}});
    const voktest::Expected core{kTrace, "voksConv", "<null>", "vokconvs"};
    const voktest::Expected out{kTrace, "vokwConv", "<null>", "vokconvw"};
    for (const char* method : {"voksConv1", "voksConvm"}) {
        conv.push_back({{kNoMem, method, "NULL Pointer", "vokconvs"}, core, out});
        for (const char* fft : {"voksRealFftl", "voksCcsFftl"})
            conv.push_back({twd(fft, "vokffts")[0], {kTrace, method, "<null>", "vokconvs"}, core, out});
    }
    add("vokwConv 3000 x 400",
        [](Job& j) {
            int sf = 8;
            vokwConv(j.buf<short>(3000, false, 100), 3000, j.buf<short>(400, true, 100), 400, j.buf<short>(3399),
                     VOK_FIXED_SCALE, &sf);
        },
        conv, {.run = 2, .want = "failed=all allocations>=9"});

    // Two dimensions: the convolution reports, the float filter falls back to
    // direct sums when the transform's arrays are short, the 16-bit filter
    // reports its own work arrays.
    add("voksConv2D 48x40 * 21x17",
        [](Job& j) { voksConv2D(j.buf<float>(1920), 48, 40, j.buf<float>(357, true), 21, 17, j.buf<float>(68 * 56)); },
        {{{kNoMem, "voksConv2D", "\nMemory allocation problem\n", "vokcnv2d"}}},
        {.tol = 1e-5, .release = false, .want = "failed=all allocations>=1"});
    add("voksFilter2D 48x40, 21x17 taps",
        [](Job& j) { voksFilter2D(j.buf<float>(1920), 48, 40, j.buf<float>(357, true), 21, 17, j.buf<float>(1920)); },
        {}, {.tol = 1e-5, .release = false, .want = "survived=all"});
    add("vokwFilter2D 48x40, 21x17 taps",
        [](Job& j) {
            vokwFilter2D(j.buf<short>(1920, false, 1000), 48, 40, j.buf<float>(357, true), 21, 17, j.buf<short>(1920),
                         VOK_SATURATE, j.buf<int>(1, false, 0));
        },
        {{{kNoMem, "vokwFilter2D", "Allocation failure", "vokfir2w"}}}, {.release = false, .want = "failed>=1"});

    // Filter set-ups release what they took (the FIR set-ups are swept in the FIR tests): a record failed is left
    // unmade (nothing to filter or free; LSan sees a leak), one made filters as with every allocation granted
    // (the 16-bit filter's work arrays fail in turn too).
    static const float iir[] = {0.2f, 0.1f, -0.1f, 0.05f, 0.02f, 1.0f, -0.3f, 0.1f, 0.05f, -0.02f};
    const char* iirNoMem = "insufficiency of memory for IIR filter state";
    const auto order4 = [](auto init, auto filter) {
        return [=](Job& j) {
            IirState st{};
            init(0, iir, 4, &st);
            if (st.initMarker != VOK_IIR_INIT_MARKER) return;
            filter(j, &st);
            vokIirFree(&st);
        };
    };
    add("voksIirInit order 4",
        order4(voksIirInit, [](Job& j, IirState* st) { voksbIir(st, j.buf<float>(100), j.buf<float>(100), 100); }),
        {{{kNoMem, "voksIirInit", iirNoMem, "vokiirh"}}}, {.want = "failed=all allocations>=2"});
    add("vokwIirInit order 4", order4(vokwIirInit, [](Job& j, IirState* st) {
            vokwbIir(st, j.buf<short>(100, false, 500), j.buf<short>(100), 100, VOK_SATURATE, j.buf<int>(1, false, 0));
        }),
        {{{kNoMem, "vokwIirInit", iirNoMem, "vokiirhw"}},
         {{kNoMem, "vokwIirlInit", "No memory for working array", "vokiirlw"},
          {kTrace, "vokwIirInit", "<null>", "vokiirhw"}},
         {{kNoMem, "vokwbIirl", "No memory for working array", "vokiirlw"},
          {kTrace, "vokwbIir", "<null>", "vokiirhw"}}},
        {.want = "failed=all allocations>=2"});

    // A bank's own allocations fail one at a time in the wavelet tests; here its decomposition's.
    VokWtState bank{};
    vokwWtInit(4, 0, 8, 3, &bank, VOK_WtDaublet);
    sweepJob(
        "vokwWtDecompose db4, order 8",
        [&](Job& j) { vokwWtDecompose(&bank, j.buf<short>(256, false, 3000), j.buf<short>(256)); },
        {{{kNoMem, "vokwWtDecompose", "No memory for working arrays", "vokwlts"}}},
        {.release = false, .want = "failed=all allocations>=1"});
    vokWtFree(&bank);
    robust::releaseThreadCaches();
}

}  // namespace
