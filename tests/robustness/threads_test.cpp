// Many threads at once: each runs a mix of vector, elementwise, conversion,
// transform (FFTs of its own orders, DFTs of its own lengths, DCTs, wavelets),
// filter (FIR, IIR, LMS) and convolution calls of its own sizes, checks every
// result against the one the main thread computed alone, and sees only its own
// status, mode and reports.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "robustness/sweep.h"

namespace {

constexpr int kThreads = 16, kRounds = 200;

// A job builds its own inputs, makes a few calls and returns all it computed.
using Job = std::function<std::vector<double>()>;
using robust::widen;

// The signal repeated (or cut) to n values of another type; complex records
// take the other signal, shifted, as their imaginary part.
template <class T>
std::vector<T> cycle(const std::vector<float>& a, const std::vector<float>& b, int n, double scale = 1.0) {
    std::vector<T> out(n);
    for (int i = 0; i < n; ++i) {
        if constexpr (requires { out[i].re; })
            out[i] = {decltype(out[i].re)(a[i % a.size()] * scale), decltype(out[i].im)(b[(i + 3) % b.size()] * scale)};
        else
            out[i] = T(a[i % a.size()] * scale);
    }
    return out;
}

// Positive values: square roots and logarithms stay finite.
std::vector<float> signal(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(0.01f, 4.0f);
    std::vector<float> x(n);
    for (auto& v : x) v = dist(gen);
    return x;
}

// Collects the results of one job, as doubles.
struct Out {
    std::vector<double> all;
    template <class T>
    Out& operator<<(const std::vector<T>& v) {
        const auto w = widen(v);
        all.insert(all.end(), w.begin(), w.end());
        return *this;
    }
    Out& operator<<(double v) { return *this << std::vector<double>{v}; }
};

std::vector<Job> jobsFor(int t) {
    const int n = 100 + 37 * t;
    const auto a = signal(n, unsigned(t)), b = signal(n, t + 50u);
    std::vector<Job> jobs;
    jobs.push_back([=] {  // arithmetic, functions, statistics, conversion
        std::vector<float> sum(n), root(n), scaled(n);
        std::vector<short> ints(n);
        voksbAdd3(a.data(), b.data(), sum.data(), n);
        voksbSqrt2(a.data(), root.data(), n);
        voksbLn2(root.data(), root.data(), n);
        for (int i = 0; i < n; ++i) scaled[i] = a[i] * 1000.5f;
        voksbFloatToInt(scaled.data(), ints.data(), n, 16, VOK_RndNear | VOK_Clip);
        return (Out{} << sum << root << ints << voksMean(a.data(), n) << voksNorm(a.data(), b.data(), n, 2)).all;
    });
    for (int length : {8 << (t % 5), 5 + 3 * t}) {  // fast and direct DCT lengths differ per thread
        jobs.push_back([=] {
            auto x = cycle<double>(a, b, length);
            std::vector<double> y(length);
            vokdDct(x.data(), y.data(), length, 1);
            vokdDct(y.data(), y.data(), length, 2);
            return y;
        });
    }
    const int cOrder = 2 + t % 10, zOrder = 12 - t % 9, rOrder = 1 + (t * 5) % 11;
    jobs.push_back([=] {  // complex FFTs, both directions, natural and bit-reversed output
        auto x = cycle<FloatComplex>(a, b, 1 << cOrder);
        Out out;
        vokcFft(x.data(), cOrder, VOK_Forw);
        out << x;
        vokcFft(x.data(), cOrder, VOK_Inv | VOK_OutBitRev);
        out << x;
        if (t % 3 == 0) vokcFft(nullptr, cOrder, VOK_Free);
        auto z = cycle<DoubleComplex>(b, a, 1 << zOrder);
        std::vector<DoubleComplex> zOut(z.size());
        vokzFftNip(z.data(), zOut.data(), zOrder, VOK_Forw);
        return (out << zOut).all;
    });
    jobs.push_back([=] {  // real FFT there and back, float and double
        auto x = cycle<float>(a, b, (1 << rOrder) + 2);
        Out out;
        voksRealFft(x.data(), rOrder, VOK_Forw);
        out << x;
        voksCcsFft(x.data(), rOrder, VOK_Inv);
        auto d = cycle<double>(b, a, 1 << (rOrder + 1));
        vokdRealFftl(d.data(), rOrder + 1, VOK_Forw | VOK_OutRCPerm);
        if (t % 4 == 1) voksRealFft(nullptr, rOrder, VOK_Free);
        return (out << x << d).all;
    });
    jobs.push_back([=] {  // 16-bit FFTs under the automatic and a fixed scale mode
        auto v = cycle<ShortComplex>(a, b, 1 << cOrder, 900.0);
        auto w = cycle<short>(a, b, 1 << rOrder, 700.0);
        int sf = 0, fixed = 2;
        vokvFft(v.data(), cOrder, VOK_Forw, VOK_AUTO_SCALE, &sf);
        vokwRealFftl(w.data(), rOrder, VOK_Forw | VOK_OutRCPack, VOK_FIXED_SCALE, &fixed);
        return (Out{} << v << sf << w).all;
    });
    const int cLen = 3 + 7 * t, zLen = 40 + 3 * t, vLen = 1 + 5 * t;
    jobs.push_back([=] {  // DFTs of lengths no other thread uses
        const auto x = cycle<FloatComplex>(a, b, cLen);
        const auto z = cycle<DoubleComplex>(b, a, zLen);
        const auto v = cycle<ShortComplex>(a, b, vLen, 500.0);
        std::vector<FloatComplex> y(cLen);
        std::vector<DoubleComplex> zy(zLen);
        std::vector<ShortComplex> vy(vLen);
        int sf = 0;
        vokcDft(x.data(), y.data(), cLen, VOK_Forw);
        Out out;
        out << y;
        vokcDft(y.data(), y.data(), cLen, VOK_Inv);  // in place
        vokzDft(z.data(), zy.data(), zLen, VOK_Forw);
        vokvDft(v.data(), vy.data(), vLen, VOK_Forw, VOK_AUTO_SCALE, &sf);
        if (t % 5 == 2) vokcDft(nullptr, nullptr, cLen, VOK_Free);
        return (out << y << zy << vy << sf).all;
    });
    jobs.push_back([=] {  // wavelets: a bank built, used and released per call
        const int order = 5 + t % 4, levels = 1 + t % (order - 1);
        VokWtState st{}, dst{};
        voksWtInit(1 + t % 10, 0, order, levels, &st, VOK_WtDaublet);
        vokdWtInit(1, 1 + 2 * (t % 3), order + 1, levels, &dst, VOK_WtBiorth);
        const auto x = cycle<float>(a, b, 1 << order);
        const auto d = cycle<double>(b, a, 2 << order);
        std::vector<float> c(x.size()), back(x.size());
        std::vector<double> dc(d.size());
        Out out;
        out << voksWtDecompose(&st, x.data(), c.data()) << voksWtReconstruct(&st, c.data(), back.data());
        out << vokdWtDecompose(&dst, d.data(), dc.data()) << c << back << dc;
        vokWtFree(&st);
        vokWtFree(&dst);
        return out.all;
    });
    const int tapsLen = 5 + 3 * t, up = 1 + t % 3, down = 1 + t % 4;
    jobs.push_back([=] {  // single-state FIR, single rate and multirate, float and 16-bit
        const auto taps = cycle<float>(b, a, tapsLen, 0.05);
        const auto dTaps = cycle<double>(a, b, tapsLen, 0.1);
        const auto x = cycle<double>(b, a, 12 * down);
        const auto ws = cycle<short>(a, b, n, 800.0);
        std::vector<float> y(n);
        std::vector<double> my(12 * up);
        std::vector<short> wy(n);
        FirState st{}, mr{}, w{};
        voksFirInit(taps.data(), tapsLen, nullptr, &st);
        voksbFir(&st, a.data(), y.data(), n);
        const float one = voksFir(&st, 1.5f);
        vokdFirInitMr(dTaps.data(), tapsLen, nullptr, up, up - 1, down, t % down, &mr);
        vokdbFir(&mr, x.data(), my.data(), 12);
        vokwFirInit(taps.data(), tapsLen, nullptr, &w);
        int sf = 1;
        vokwbFir(&w, ws.data(), wy.data(), n, VOK_FIXED_SCALE, &sf);
        for (FirState* s : {&st, &mr, &w}) vokFirFree(s);
        return (Out{} << y << one << my << wy).all;
    });
    jobs.push_back([=] {  // two-state FIR on the caller's arrays
        auto taps = cycle<FloatComplex>(b, a, tapsLen, 0.05);
        const auto x = cycle<FloatComplex>(a, b, n);
        std::vector<FloatComplex> dly(tapsLen), y(n);
        FirTapState ts{};
        FirDlyState ds{};
        vokcFirlInit(taps.data(), tapsLen, &ts);
        vokcFirlInitDlyl(&ts, dly.data(), &ds);
        vokcFirlSetTaps(taps.data(), &ts);  // both records enter filter mode
        vokcFirlSetDlyl(&ts, nullptr, &ds);
        vokcbFirl(&ts, &ds, x.data(), y.data(), n);
        return widen(y);
    });
    const int order = 1 + t % 5, quads = 1 + t % 3;
    jobs.push_back([=] {  // IIR of an order and biquad cascades, float and 16-bit
        std::vector<float> taps(2 * order + 2);
        for (int k = 0; k <= order; ++k) taps[k] = 0.1f * a[k];
        taps[order + 1] = 1.0f;
        for (int k = 1; k <= order; ++k) taps[order + 1 + k] = 0.2f / float(k + 1) * (k % 2 ? 1.0f : -1.0f);
        std::vector<double> bq;
        for (int q = 0; q < quads; ++q) bq.insert(bq.end(), {0.2, 0.1 * q, -0.05, 1.0, -0.3, 0.1 + 0.05 * q});
        const auto x = cycle<double>(b, a, n);
        const auto ws = cycle<short>(b, a, n, 900.0);
        std::vector<float> y(n);
        std::vector<double> dy(n);
        std::vector<short> wy(n);
        IirState st{}, dq{}, w{};
        int sf = 0;
        voksIirInit(0, taps.data(), order, &st);
        vokdIirInitBq(0, bq.data(), quads, &dq);
        vokwIirInit(0, taps.data(), order, &w);
        Out out;
        out << voksbIir(&st, a.data(), y.data(), n) << vokIirFree(&st);
        vokdbIir(&dq, x.data(), dy.data(), n);
        vokwbIir(&w, ws.data(), wy.data(), n, VOK_SATURATE, &sf);
        vokIirFree(&dq);
        vokIirFree(&w);
        return (out << y << dy << wy).all;
    });
    jobs.push_back([=] {  // an LMS filter learning the taps of another
        LmsState st{};
        voksLmsInit(0, nullptr, tapsLen, nullptr, 0.05f / float(tapsLen), 0.0f, 0, &st);  // a stable step
        const auto des = cycle<float>(b, a, n, 0.5);
        std::vector<float> y(n);
        voksbLmsDes(&st, a.data(), des.data(), y.data(), n);
        const double err = st.errVal.s;
        vokLmsFree(&st);
        return (Out{} << y << err).all;
    });
    const int hLen = 2 + 19 * t;
    jobs.push_back([=] {  // convolutions of lengths that choose different methods, correlations
        const auto h = cycle<float>(b, a, hLen);
        const auto x = cycle<DoubleComplex>(a, b, n);
        const auto dh = cycle<double>(b, a, hLen);
        const auto d = cycle<double>(a, b, n);
        std::vector<float> y(n + hLen - 1), r(2 * t + 9);
        std::vector<DoubleComplex> zy(n + hLen - 1);
        std::vector<double> ac(1 + t);
        Out out;
        out << voksConv(a.data(), n, h.data(), hLen, y.data()) << vokzdConv(x.data(), n, dh.data(), hLen, zy.data());
        voksCrossCorr(a.data(), n, b.data(), n, r.data(), -t - 4, t + 4);
        vokdAutoCorr(d.data(), n, ac.data(), 1 + t, t % 3);
        return (out << y << zy << r << ac).all;
    });
    const int rows = 6 + t, cols = 20 - t, kRows = 2 + t % 6, kCols = 3 + t % 5;
    jobs.push_back([=] {  // two-dimensional convolution and filtering
        const auto x = cycle<float>(a, b, rows * cols), h = cycle<float>(b, a, kRows * kCols);
        const auto dx = cycle<double>(b, a, 4 * rows * cols), dh = cycle<double>(a, b, 81);
        std::vector<float> y((rows + kRows - 1) * (cols + kCols - 1)), f(rows * cols);
        std::vector<double> dy((2 * rows + 8) * (2 * cols + 8));
        voksConv2D(x.data(), cols, rows, h.data(), kCols, kRows, y.data());
        voksFilter2D(x.data(), cols, rows, h.data(), kCols, kRows, f.data());
        vokdConv2D(dx.data(), 2 * cols, 2 * rows, dh.data(), 9, 9, dy.data());
        return (Out{} << y << f << dy).all;
    });
    jobs.push_back([=] {
        VokDGoertzState st;
        vokdGoertzInit(double(t) / n, &st);
        auto x = cycle<double>(a, b, n);
        const DoubleComplex v = vokdbGoertz(&st, x.data(), n);
        return std::vector<double>{v.re, v.im};
    });
    return jobs;
}

thread_local int reportsSeen = 0;
int VOK_CALL countingHook(int status, const char*, const char*, const char*, int) {
    ++reportsSeen;
    return status;
}

TEST(Threads, ConcurrentCallsGiveTheSingleThreadResultsAndOwnStatuses) {
    std::vector<std::vector<Job>> jobs;
    std::vector<std::vector<std::vector<double>>> expected(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        jobs.push_back(jobsFor(t));
        for (auto& job : jobs.back()) {
            expected[t].push_back(job());
            // NaN would compare unequal to itself: every reference is finite.
            for (double v : expected[t].back()) ASSERT_TRUE(std::isfinite(v)) << t << " " << expected[t].size();
        }
    }
    std::atomic<int> wrongResults{0}, wrongStatus{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            vokSetErrMode(VOK_ErrorModeParent);
            vokRedirectError(countingHook);
            while (!go) std::this_thread::yield();
            int expectedReports = 0;
            for (int round = 0; round < kRounds; ++round) {
                const int which = (round + t) % int(jobs[t].size());
                vokSetErrStatus(0);  // some jobs return the thread's status
                wrongResults += jobs[t][which]() != expected[t][which];
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
}

}  // namespace
