// Many threads at once: each runs a mix of vector, conversion, transform
// (FFTs, DFTs and DCTs of its own sizes, wavelets), filter (FIR, IIR, LMS),
// convolution and Goertzel calls, gets the results the main thread computed
// alone, and sees only its own status, mode, hook and reports, which start
// from the defaults.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "robustness/job.h"
#include "voktest/reports.h"

namespace {

using robust::Job;
constexpr int kThreads = 16, kRounds = 200;

const std::function<void(Job&)> kJobs[] = {
    [](Job& j) {  // arithmetic, functions, statistics, conversion
        const int n = j.n;
        float *a = j.buf<float>(n), *b = j.buf<float>(n, true), *root = j.buf<float>(n);
        voksbAdd3(a, b, j.buf<float>(n), n);
        voksbSqrt2(a, root, n);
        voksbLn2(root, root, n);
        voksbFloatToInt(j.buf<float>(n, false, 1000.5), j.buf<short>(n), n, 16, VOK_RndNear | VOK_Clip);
        j.keep(voksMean(a, n));
        j.keep(voksNorm(a, b, n, 2));
    },
    [](Job& j) {  // fast and direct DCT lengths differ per thread; Goertzel
        for (int length : {8 << (j.t % 5), 5 + 3 * j.t}) {
            double* y = j.buf<double>(length);
            vokdDct(j.buf<double>(length), y, length, 1);
            vokdDct(y, y, length, 2);
        }
        VokDGoertzState st;
        vokdGoertzInit(double(j.t) / j.n, &st);
        j.keep(vokdbGoertz(&st, j.buf<double>(j.n), j.n));
    },
    [](Job& j) {  // complex FFTs, both directions, natural and bit-reversed output
        const int c = 2 + j.t % 10, z = 12 - j.t % 9;
        FloatComplex* x = j.buf<FloatComplex>(1 << c);
        vokcFft(x, c, VOK_Forw);
        j.keep(x, 1 << c);
        vokcFft(x, c, VOK_Inv | VOK_OutBitRev);
        if (j.t % 3 == 0) vokcFft(nullptr, c, VOK_Free);
        vokzFftNip(j.buf<DoubleComplex>(1 << z, true), j.buf<DoubleComplex>(1 << z), z, VOK_Forw);
    },
    [](Job& j) {  // real FFT there and back, float and double
        const int r = 1 + (j.t * 5) % 11;
        float* x = j.buf<float>((1 << r) + 2);
        voksRealFft(x, r, VOK_Forw);
        j.keep(x, (1 << r) + 2);
        voksCcsFft(x, r, VOK_Inv);
        vokdRealFftl(j.buf<double>(2 << r, true), r + 1, VOK_Forw | VOK_OutRCPerm);
        if (j.t % 4 == 1) voksRealFft(nullptr, r, VOK_Free);
    },
    [](Job& j) {  // 16-bit FFTs under the automatic and a fixed scale mode
        const int c = 2 + j.t % 10, r = 1 + (j.t * 5) % 11;
        int fixed = 2;
        vokvFft(j.buf<ShortComplex>(1 << c, false, 900), c, VOK_Forw, VOK_AUTO_SCALE, j.buf<int>(1));
        vokwRealFftl(j.buf<short>(1 << r, false, 700), r, VOK_Forw | VOK_OutRCPack, VOK_FIXED_SCALE, &fixed);
    },
    [](Job& j) {  // DFTs of lengths no other thread uses, one in place
        const int c = 3 + 7 * j.t, z = 40 + 3 * j.t, v = 1 + 5 * j.t;
        FloatComplex* y = j.buf<FloatComplex>(c);
        vokcDft(j.buf<FloatComplex>(c), y, c, VOK_Forw);
        j.keep(y, c);
        vokcDft(y, y, c, VOK_Inv);
        vokzDft(j.buf<DoubleComplex>(z, true), j.buf<DoubleComplex>(z), z, VOK_Forw);
        vokvDft(j.buf<ShortComplex>(v, false, 500), j.buf<ShortComplex>(v), v, VOK_Forw, VOK_AUTO_SCALE, j.buf<int>(1));
        if (j.t % 5 == 2) vokcDft(nullptr, nullptr, c, VOK_Free);
    },
    [](Job& j) {  // wavelets: a bank built, used and released per call
        const int t = j.t, order = 5 + t % 4, levels = 1 + t % (order - 1);
        VokWtState st{}, dst{};
        voksWtInit(1 + t % 10, 0, order, levels, &st, VOK_WtDaublet);
        vokdWtInit(1, 1 + 2 * (t % 3), order + 1, levels, &dst, VOK_WtBiorth);
        float *x = j.buf<float>(1 << order), *c = j.buf<float>(1 << order);
        j.keep(voksWtDecompose(&st, x, c));
        j.keep(voksWtReconstruct(&st, c, j.buf<float>(1 << order)));
        j.keep(vokdWtDecompose(&dst, j.buf<double>(2 << order, true), j.buf<double>(2 << order)));
        vokWtFree(&st);
        vokWtFree(&dst);
    },
    [](Job& j) {  // single-state FIR, single rate and multirate, float and 16-bit
        const int t = j.t, n = j.n, taps = 5 + 3 * t, up = 1 + t % 3, down = 1 + t % 4;
        const float* f = j.buf<float>(taps, true, 0.05);
        FirState st{}, mr{}, w{};
        voksFirInit(f, taps, nullptr, &st);
        voksbFir(&st, j.buf<float>(n), j.buf<float>(n), n);
        j.keep(voksFir(&st, 1.5f));
        vokdFirInitMr(j.buf<double>(taps, false, 0.1), taps, nullptr, up, up - 1, down, t % down, &mr);
        vokdbFir(&mr, j.buf<double>(12 * down, true), j.buf<double>(12 * up), 12);
        vokwFirInit(f, taps, nullptr, &w);
        int sf = 1;
        vokwbFir(&w, j.buf<short>(n, false, 800), j.buf<short>(n), n, VOK_FIXED_SCALE, &sf);
        for (FirState* s : {&st, &mr, &w}) vokFirFree(s);
    },
    [](Job& j) {  // two-state FIR on the caller's arrays
        const int taps = 5 + 3 * j.t;
        FloatComplex* f = j.buf<FloatComplex>(taps, true, 0.05);
        FirTapState ts{};
        FirDlyState ds{};
        vokcFirlInit(f, taps, &ts);
        vokcFirlInitDlyl(&ts, j.buf<FloatComplex>(taps), &ds);
        vokcFirlSetTaps(f, &ts);  // both records enter filter mode
        vokcFirlSetDlyl(&ts, nullptr, &ds);
        vokcbFirl(&ts, &ds, j.buf<FloatComplex>(j.n), j.buf<FloatComplex>(j.n), j.n);
    },
    [](Job& j) {  // IIR of an order and biquad cascades, float and 16-bit
        const int t = j.t, n = j.n, order = 1 + t % 5, quads = 1 + t % 3;
        // Feedback taps below 0.2 and at most five of them: the sum of their sizes stays below one, stable.
        float *a = j.buf<float>(n), *taps = j.buf<float>(2 * order + 2, false, 0.05);
        taps[order + 1] = 1.0f;
        std::vector<double> bq;
        for (int q = 0; q < quads; ++q) bq.insert(bq.end(), {0.2, 0.1 * q, -0.05, 1.0, -0.3, 0.1 + 0.05 * q});
        IirState st{}, dq{}, w{};
        int sf = 0;
        voksIirInit(0, taps, order, &st);
        vokdIirInitBq(0, bq.data(), quads, &dq);
        vokwIirInit(0, taps, order, &w);
        j.keep(voksbIir(&st, a, j.buf<float>(n), n));
        j.keep(vokIirFree(&st));
        vokdbIir(&dq, j.buf<double>(n, true), j.buf<double>(n), n);
        vokwbIir(&w, j.buf<short>(n, true, 900), j.buf<short>(n), n, VOK_SATURATE, &sf);
        for (IirState* s : {&dq, &w}) vokIirFree(s);
    },
    [](Job& j) {  // an LMS filter learning the taps of another
        const int taps = 5 + 3 * j.t;
        LmsState st{};
        voksLmsInit(0, nullptr, taps, nullptr, 0.05f / float(taps), 0.0f, 0, &st);  // a stable step
        voksbLmsDes(&st, j.buf<float>(j.n), j.buf<float>(j.n, true, 0.5), j.buf<float>(j.n), j.n);
        j.keep(st.errVal.s);
        vokLmsFree(&st);
    },
    [](Job& j) {  // convolutions of lengths that choose different methods, correlations
        const int t = j.t, n = j.n, h = 2 + 19 * t;
        const float* a = j.buf<float>(n);
        j.keep(voksConv(a, n, j.buf<float>(h, true), h, j.buf<float>(n + h - 1)));
        j.keep(vokzdConv(j.buf<DoubleComplex>(n), n, j.buf<double>(h, true), h, j.buf<DoubleComplex>(n + h - 1)));
        voksCrossCorr(a, n, j.buf<float>(n, true), n, j.buf<float>(2 * t + 9), -t - 4, t + 4);
        vokdAutoCorr(j.buf<double>(n), n, j.buf<double>(1 + t), 1 + t, t % 3);
    },
    [](Job& j) {  // two-dimensional convolution and filtering
        const int t = j.t, rows = 6 + t, cols = 20 - t, kRows = 2 + t % 6, kCols = 3 + t % 5;
        const float *x = j.buf<float>(rows * cols), *h = j.buf<float>(kRows * kCols, true);
        voksConv2D(x, cols, rows, h, kCols, kRows, j.buf<float>((rows + kRows - 1) * (cols + kCols - 1)));
        voksFilter2D(x, cols, rows, h, kCols, kRows, j.buf<float>(rows * cols));
        vokdConv2D(j.buf<double>(4 * rows * cols, true), 2 * cols, 2 * rows, j.buf<double>(81), 9, 9,
                   j.buf<double>((2 * rows + 8) * (2 * cols + 8)));
    },
};
constexpr int kJobCount = int(std::size(kJobs));

std::vector<double> run(int job, int t) {
    Job j(t);
    kJobs[job](j);
    return j.results();
}

thread_local int reportsSeen = 0;
int VOK_CALL countingHook(int status, const char*, const char*, const char*, int) {
    ++reportsSeen;
    return status;
}

TEST(Threads, ConcurrentCallsGiveTheSingleThreadResultsAndOwnStatuses) {
    std::vector<std::vector<std::vector<double>>> expected(kThreads);
    for (int t = 0; t < kThreads; ++t)
        for (int job = 0; job < kJobCount; ++job) {
            expected[t].push_back(run(job, t));
            // NaN would compare unequal to itself: every reference is finite.
            for (double v : expected[t].back()) ASSERT_TRUE(std::isfinite(v)) << t << " " << job;
        }
    std::atomic<int> wrongResults{0}, wrongStatus{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    voktest::ReportRecorder mainThread(2);  // a mode, hook and status no other thread sees
    vokSetErrStatus(-5);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            wrongStatus += vokGetErrStatus() != 0 || vokGetErrMode() != VOK_ErrorModeLeaf;
            vokSetErrMode(VOK_ErrorModeParent);
            wrongStatus += vokRedirectError(countingHook) != vokGuiBoxReport;
            while (!go) std::this_thread::yield();
            int expectedReports = 0;
            for (int round = 0; round < kRounds; ++round) {
                const int which = (round + t) % kJobCount;
                vokSetErrStatus(0);  // some jobs return the thread's status
                wrongResults += run(which, t) != expected[t][which];
                // A failing call on some threads: its status and report stay here.
                if ((round + t) % 3 == 0) {
                    voksbSqrt2(nullptr, nullptr, 5);
                    ++expectedReports;
                    wrongStatus += vokGetErrStatus() != VOK_StatusBadArg;
                }
                vokSetErrStatus(1000 + t);
                std::this_thread::yield();
                wrongStatus += vokGetErrStatus() != 1000 + t || vokGetErrMode() != VOK_ErrorModeParent;
            }
            wrongStatus += reportsSeen != expectedReports;
        });
    }
    go = true;
    for (auto& th : threads) th.join();
    EXPECT_EQ(wrongResults.load(), 0);
    EXPECT_EQ(wrongStatus.load(), 0);
    EXPECT_TRUE(vokGetErrStatus() == -5 && vokGetErrMode() == 2);
}

}  // namespace
