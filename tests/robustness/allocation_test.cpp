// Allocation failures: every library allocation of a call fails in turn (or
// two in a row, for the paths that release their caches and retry once); the
// call reports it or works around it, leaves the caller's buffers alone, and
// the next call works. Transforms release the thread's caches before every
// call, so the call builds all of its tables again.
#include <gtest/gtest.h>

#include "voktest/sweep.h"

namespace {

using robust::Options;
using robust::Reports;
using voktest::randomVector;
using Row = std::function<void()>;  // one sweep

constexpr int kNoMem = VOK_StatusNoMemory, kBadArg = VOK_StatusBadArg, kTrace = VOK_StatusBacktrace;
Reports twd(const char* function, const char* module) { return {{kNoMem, function, "No working Twd memory", module}}; }
std::string named(const char* what, int n) { return what + std::to_string(n); }

// A call writing into one buffer that holds 'initial' first, swept with single
// failures ('once') and, when 'twice' wants figures, with runs of two, where a
// retried path gives up and the 'retried' reports may come as well.
template <class T, class Call>
void buffer(std::vector<Row>& rows, std::string name, std::vector<T> initial, Call call, std::vector<Reports> allowed,
            Options once, Options twice = {}, std::vector<Reports> retried = {}) {
    rows.push_back([=] { robust::sweepBuffer(name, initial, call, allowed, once); });
    if (!*twice.want) return;
    twice.run = 2;
    allowed.insert(allowed.end(), retried.begin(), retried.end());
    rows.push_back([=] { robust::sweepBuffer(name, initial, call, allowed, twice); });
}

// A filter record's set-up, and what the record made then gives.
bool made(FirState& st) { return st.selfRef == &st; }
bool made(IirState& st) { return st.initMarker == VOK_IIR_INIT_MARKER; }
void release(FirState* st) { vokFirFree(st); }
void release(IirState* st) { vokIirFree(st); }
template <class State, class Init, class Run>
void init(std::vector<Row>& rows, std::string name, Init make, Run run, std::vector<Reports> allowed,
          const char* want) {
    auto isMade = [](State& st) { return made(st); };
    auto free = [](State* st) { release(st); };
    rows.push_back([=] { robust::sweepInit<State>(name, make, isMade, run, free, allowed, want); });
}
template <class T, class Filter>
std::vector<T> output(int length, Filter filter) {
    std::vector<T> y(length);
    int scaleFactor = 0;
    filter(y.data(), &scaleFactor);
    return y;
}

std::vector<Row> table() {
    std::vector<Row> rows;
    // The complex FFT builds its tables (twiddles and swap table at least) on
    // the first call of an order or with VOK_Init and does not retry. Orders on
    // the radix-4 path, an odd order, orders with blocked stages.
    for (int order : {2, 7, 12, 15}) {
        rows.push_back([order] {
            const auto x = randomVector<FloatComplex>(1 << order, order);
            robust::releaseThreadCaches();
            auto want = x;
            vokcFft(want.data(), order, VOK_Forw);
            auto check = [&] {
                auto got = x;
                vokcFft(got.data(), order, VOK_Forw);  // with the tables the set-up left (or rebuilt)
                return robust::Observed{true, robust::widen(got) == robust::widen(want)};
            };
            robust::sweep(named("vokcFft VOK_Init, order ", order),
                          {robust::releaseThreadCaches, [&] { vokcFft(nullptr, order, VOK_Init); }, check},
                          {twd("vokcFft", "vokffts")}, {.want = "allocations>=2 failed=all"});
        });
        buffer(rows, named("vokzFft first call, order ", order + 1), randomVector<DoubleComplex>(2 << order, order),
               [order](DoubleComplex* d) { vokzFft(d, order + 1, VOK_Inv | VOK_OutBitRev); },
               {twd("vokzFft", "vokfftd")}, {.want = "failed=all"});
    }
    // The real FFT retries once after releasing its tables: one failure is
    // survived, two in a row are reported. The 16-bit forms retry their work
    // slot after releasing everything and trace a failure of their float core
    // (saturating mode: the float copy converts back exactly); vokvFft's core
    // is the complex FFT, whose tables fail.
    for (int order : {2, 3, 9, 10, 14}) {
        const auto x = randomVector<float>((1 << order) + 2, order);
        buffer(rows, named("voksRealFftNip order ", order), std::vector<float>((1 << order) + 2, -7.0f),
               [x, order](float* y) { voksRealFftNip(x.data(), y, order, VOK_Forw); }, {},
               {.want = "failed=0 survived=all"}, {.want = "failed>=1"}, {twd("voksRealFftNip", "vokffts")});
        if (order == 3 || order == 10)
            buffer(rows, named("vokvFft order ", order), randomVector<ShortComplex>(1 << order, order, 3000.0),
                   [order](ShortComplex* d) { vokvFft(d, order, VOK_Forw, VOK_SATURATE, nullptr); },
                   {{twd("vokcFft", "vokffts")[0], {kTrace, "vokvFft", "out vokcFft calc. FFT", "vokfftw"}}},
                   {.want = "survived>=1 failed>=2"}, {.want = "failed>=2"},
                   {{{kNoMem, "vokvFft", "No working memory", "vokfftw"}}});
    }
    // A failure of the float core still converts the (untransformed) copy back into the output.
    const auto s = randomVector<short>(256, 5u, 3000.0);
    buffer(rows, "vokwRealFftNip", std::vector<short>(258, 11),
           [s](short* y) { vokwRealFftNip(s.data(), y, 8, VOK_Forw, VOK_SATURATE, nullptr); }, {},
           {.want = "survived=all"}, {.kept = false, .want = "failed>=2"},
           {{{kNoMem, "vokwRealFftNip", "No working memory", "vokfftw"}},
            {twd("voksRealFft", "vokffts")[0], {kTrace, "vokwRealFftNip", "out voksRealFft calc. FFT", "vokfftw"}}});

    // The DFTs: the table of the length, then a work slot (vokcDft), a scratch
    // copy for an in-place call (vokzDft) or a retried work slot (vokvDft);
    // then the plan (or a long prime length's chirp and its FFT tables):
    // without them the direct sum answers, so those failures are survived.
    for (int length : {7, 100, 1000}) {
        const auto x = randomVector<FloatComplex>(length, length);
        buffer(rows, named("vokcDft length ", length), std::vector<FloatComplex>(length, FloatComplex{3, 4}),
               [x, length](FloatComplex* y) { vokcDft(x.data(), y, length, VOK_Forw); },
               {{{kNoMem, "vokcGetDftTwdTbl", "NULL Pointer", "voktwd"}, {kBadArg, "vokcDft", "TwdTbl==0", "vokdft"}},
                {{kBadArg, "vokcDft", "buff==0", "vokdft"}}},
               {.tol = 1e-5 * length, .want = "allocations>2 failed=2"});
    }
    const Reports table{{kNoMem, "vokzGetDftTwdTbl", "NULL Pointer", "voktwd"},
                        {kBadArg, "vokzDft", "TwdTbl==0", "vokdft"}};
    const Reports scratch{{kNoMem, "vokzDft", "NULL Pointer", "vokdft"}};
    buffer(rows, "vokzDft", randomVector<DoubleComplex>(40, 9u), [](DoubleComplex* d) { vokzDft(d, d, 40, VOK_Inv); },
           {table}, {.tol = 1e-12, .want = "allocations=2 survived=1"}, {.tol = 1e-12, .want = "failed=2"}, {scratch});
    const auto z = randomVector<DoubleComplex>(601, 19u);  // a prime beyond the plans' radices: the chirp
    buffer(rows, "vokzDft length 601", std::vector<DoubleComplex>(601, DoubleComplex{3, 4}),
           [z](DoubleComplex* y) { vokzDft(z.data(), y, 601, VOK_Forw); }, {table, scratch},
           {.tol = 1e-11, .want = "allocations>2 failed=1"});
    // The scale factor rides in one more element, so that it is checked as an
    // output too. Without its plan the direct sum answers: a 16-bit value may
    // round the other way.
    const auto v = randomVector<ShortComplex>(50, 10u, 2000.0);
    buffer(rows, "vokvDft", std::vector<ShortComplex>(51, ShortComplex{5, 6}),
           [v](ShortComplex* y) {
               int sf = y[50].re;
               vokvDft(v.data(), y, 50, VOK_Forw, VOK_AUTO_SCALE, &sf);
               y[50].re = short(sf);
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
    const auto cx = randomVector<short>(3000, 1u, 100.0), ch = randomVector<short>(400, 2u, 100.0);
    buffer(rows, "vokwConv 3000 x 400", std::vector<short>(3399, 77),
           [cx, ch](short* y) {
               int sf = 8;
               vokwConv(cx.data(), 3000, ch.data(), 400, y, VOK_FIXED_SCALE, &sf);
           },
           conv, {.run = 2, .want = "failed=all allocations>=9"});

    // Two dimensions: the convolution reports, the float filter falls back to
    // direct sums when the transform's arrays are short, the 16-bit filter
    // reports its own work arrays.
    const auto x2 = randomVector<float>(48 * 40, 3u), h2 = randomVector<float>(21 * 17, 4u);
    const auto s2 = randomVector<short>(48 * 40, 5u, 1000.0);
    buffer(rows, "voksConv2D 48x40 * 21x17", std::vector<float>(68 * 56, 9.0f),
           [x2, h2](float* y) { voksConv2D(x2.data(), 48, 40, h2.data(), 21, 17, y); },
           {{{kNoMem, "voksConv2D", "\nMemory allocation problem\n", "vokcnv2d"}}},
           {.tol = 1e-5, .release = false, .want = "failed=all allocations>=1"});
    buffer(rows, "voksFilter2D 48x40, 21x17 taps", std::vector<float>(48 * 40, 9.0f),
           [x2, h2](float* y) { voksFilter2D(x2.data(), 48, 40, h2.data(), 21, 17, y); }, {},
           {.tol = 1e-5, .release = false, .want = "survived=all"});
    buffer(rows, "vokwFilter2D 48x40, 21x17 taps", std::vector<short>(48 * 40, 5),
           [s2, h2](short* y) {
               int sf = 0;
               vokwFilter2D(s2.data(), 48, 40, h2.data(), 21, 17, y, VOK_SATURATE, &sf);
           },
           {{{kNoMem, "vokwFilter2D", "Allocation failure", "vokfir2w"}}}, {.release = false, .want = "failed>=1"});

    // Filter set-ups release what they took: taps, samples, the polyphase table.
    const auto taps = randomVector<float>(37, 6u, 0.2), x = randomVector<float>(180, 7u);
    const auto xs = randomVector<short>(200, 8u, 2000.0);
    init<FirState>(rows, "voksFirInitMr 37 taps, 2/3",
                   [taps](FirState& st) { voksFirInitMr(taps.data(), 37, nullptr, 2, 1, 3, 2, &st); },
                   [x](FirState& st) {
                       return output<float>(120, [&](float* y, int*) { voksbFir(&st, x.data(), y, 60); });
                   },
                   {{{kNoMem, "voksFirInitMr", "Allocation failure", "vokfirh"}}}, "failed=all allocations>=3");
    init<FirState>(rows, "vokwFirInit 37 taps", [taps](FirState& st) { vokwFirInit(taps.data(), 37, nullptr, &st); },
                   [xs](FirState& st) {
                       return output<short>(200,
                                            [&](short* y, int* sf) { vokwbFir(&st, xs.data(), y, 200, VOK_SATURATE, sf); });
                   },
                   {{{kNoMem, "vokwFirInit", "Allocation failure", "vokfirhw"}}}, "failed=all allocations>=2");
    const std::vector<float> iir{0.2f, 0.1f, -0.1f, 0.05f, 0.02f, 1.0f, -0.3f, 0.1f, 0.05f, -0.02f};
    const char* iirNoMem = "insufficiency of memory for IIR filter state";
    init<IirState>(rows, "voksIirInit order 4", [iir](IirState& st) { voksIirInit(0, iir.data(), 4, &st); },
                   [x](IirState& st) {
                       return output<float>(100, [&](float* y, int*) { voksbIir(&st, x.data(), y, 100); });
                   },
                   {{{kNoMem, "voksIirInit", iirNoMem, "vokiirh"}}}, "failed=all allocations>=2");
    init<IirState>(rows, "vokwIirInit order 4", [iir](IirState& st) { vokwIirInit(0, iir.data(), 4, &st); },
                   [xs](IirState& st) {
                       return output<short>(100,
                                            [&](short* y, int* sf) { vokwbIir(&st, xs.data(), y, 100, VOK_SATURATE, sf); });
                   },
                   {{{kNoMem, "vokwIirInit", iirNoMem, "vokiirhw"}},
                    {{kNoMem, "vokwIirlInit", "No memory for working array", "vokiirlw"},
                     {kTrace, "vokwIirInit", "<null>", "vokiirhw"}}},
                   "failed=all allocations>=2");

    // A bank's own allocations fail one at a time in the wavelet tests; here its decomposition's.
    const auto w = randomVector<short>(256, 11u, 3000.0);
    rows.push_back([w] {
        VokWtState bank{};
        vokwWtInit(4, 0, 8, 3, &bank, VOK_WtDaublet);
        robust::sweepBuffer("vokwWtDecompose db4, order 8", std::vector<short>(256, 3),
                            [&](short* y) { vokwWtDecompose(&bank, w.data(), y); },
                            {{{kNoMem, "vokwWtDecompose", "No memory for working arrays", "vokwlts"}}},
                            {.release = false, .want = "failed=all allocations>=1"});
        vokWtFree(&bank);
    });
    return rows;
}

TEST(Allocations, EveryFailureIsReportedOrSurvivedAndLeavesTheCallerAlone) {
    for (const Row& row : table()) row();
    robust::releaseThreadCaches();
}

}  // namespace
