#include "robustness/thread_jobs.h"

#include <cstring>
#include <type_traits>

#include "vok.h"

namespace robust {
namespace {

// Every value as doubles, complex records as (re, im) pairs.
template <class T>
std::vector<double> widen(const std::vector<T>& v) {
    std::vector<double> out;
    for (const T& x : v) {
        if constexpr (std::is_arithmetic_v<T>) out.push_back(double(x));
        else out.insert(out.end(), {double(x.re), double(x.im)});
    }
    return out;
}

// The signal repeated (or cut) to n values, as another type.
template <class T>
std::vector<T> cycle(const std::vector<float>& x, int n, double scale = 1.0) {
    std::vector<T> out(n);
    for (int i = 0; i < n; ++i) out[i] = T(x[i % x.size()] * scale);
    return out;
}
template <class C>
std::vector<C> cycleComplex(const std::vector<float>& re, const std::vector<float>& im, int n, double scale = 1.0) {
    std::vector<C> out(n);
    for (int i = 0; i < n; ++i) {
        out[i].re = decltype(out[i].re)(re[i % re.size()] * scale);
        out[i].im = decltype(out[i].im)(im[(i + 3) % im.size()] * scale);
    }
    return out;
}

template <class V>
void append(std::vector<double>& to, const V& v) {
    const auto w = widen(v);
    to.insert(to.end(), w.begin(), w.end());
}

}  // namespace

std::vector<Job> transformJobs(int t, const std::vector<float>& a, const std::vector<float>& b) {
    std::vector<Job> jobs;
    const int cOrder = 2 + t % 10, zOrder = 12 - t % 9, rOrder = 1 + (t * 5) % 11;
    jobs.push_back([=] {  // complex FFTs, both directions, natural and bit-reversed output
        auto x = cycleComplex<FloatComplex>(a, b, 1 << cOrder);
        std::vector<double> out;
        vokcFft(x.data(), cOrder, VOK_Forw);
        append(out, x);
        vokcFft(x.data(), cOrder, VOK_Inv | VOK_OutBitRev);
        append(out, x);
        if (t % 3 == 0) vokcFft(nullptr, cOrder, VOK_Free);
        auto z = cycleComplex<DoubleComplex>(b, a, 1 << zOrder);
        std::vector<DoubleComplex> zOut(z.size());
        vokzFftNip(z.data(), zOut.data(), zOrder, VOK_Forw);
        append(out, zOut);
        return out;
    });
    jobs.push_back([=] {  // real FFT there and back, float and double
        auto x = cycle<float>(a, (1 << rOrder) + 2);
        std::vector<double> out;
        voksRealFft(x.data(), rOrder, VOK_Forw);
        append(out, x);
        voksCcsFft(x.data(), rOrder, VOK_Inv);
        append(out, x);
        auto d = cycle<double>(b, 1 << (rOrder + 1));
        vokdRealFftl(d.data(), rOrder + 1, VOK_Forw | VOK_OutRCPerm);
        append(out, d);
        if (t % 4 == 1) voksRealFft(nullptr, rOrder, VOK_Free);
        return out;
    });
    jobs.push_back([=] {  // 16-bit FFTs under a fixed and the automatic scale mode
        auto v = cycleComplex<ShortComplex>(a, b, 1 << cOrder, 900.0);
        int sf = 0;
        std::vector<double> out;
        vokvFft(v.data(), cOrder, VOK_Forw, VOK_AUTO_SCALE, &sf);
        append(out, v);
        out.push_back(sf);
        auto w = cycle<short>(a, 1 << rOrder, 700.0);
        int fixed = 2;
        vokwRealFftl(w.data(), rOrder, VOK_Forw | VOK_OutRCPack, VOK_FIXED_SCALE, &fixed);
        append(out, w);
        return out;
    });
    const int cLen = 3 + 7 * t, zLen = 40 + 3 * t, vLen = 1 + 5 * t;
    jobs.push_back([=] {  // DFTs of lengths no other thread uses
        const auto x = cycleComplex<FloatComplex>(a, b, cLen);
        std::vector<FloatComplex> y(cLen);
        std::vector<double> out;
        vokcDft(x.data(), y.data(), cLen, VOK_Forw);
        append(out, y);
        vokcDft(y.data(), y.data(), cLen, VOK_Inv);
        append(out, y);
        const auto z = cycleComplex<DoubleComplex>(b, a, zLen);
        std::vector<DoubleComplex> zy(zLen);
        vokzDft(z.data(), zy.data(), zLen, VOK_Forw);
        append(out, zy);
        const auto v = cycleComplex<ShortComplex>(a, b, vLen, 500.0);
        std::vector<ShortComplex> vy(vLen);
        int sf = 0;
        vokvDft(v.data(), vy.data(), vLen, VOK_Forw, VOK_AUTO_SCALE, &sf);
        append(out, vy);
        out.push_back(sf);
        if (t % 5 == 2) vokcDft(nullptr, nullptr, cLen, VOK_Free);
        return out;
    });
    jobs.push_back([=] {  // wavelets: a bank built, used and released per call
        const int order = 5 + t % 4, levels = 1 + t % (order - 1);
        VokWtState st{}, dst{};
        voksWtInit(1 + t % 10, 0, order, levels, &st, VOK_WtDaublet);
        vokdWtInit(1, 1 + 2 * (t % 3), order + 1, levels, &dst, VOK_WtBiorth);
        const auto x = cycle<float>(a, 1 << order);
        std::vector<float> c(x.size()), back(x.size());
        std::vector<double> out;
        out.push_back(voksWtDecompose(&st, x.data(), c.data()));
        out.push_back(voksWtReconstruct(&st, c.data(), back.data()));
        append(out, c);
        append(out, back);
        const auto d = cycle<double>(b, 2 << order);
        std::vector<double> dc(d.size());
        out.push_back(vokdWtDecompose(&dst, d.data(), dc.data()));
        append(out, dc);
        vokWtFree(&st);
        vokWtFree(&dst);
        return out;
    });
    return jobs;
}

std::vector<Job> filterJobs(int t, const std::vector<float>& a, const std::vector<float>& b) {
    std::vector<Job> jobs;
    const int n = int(a.size());
    const int tapsLen = 5 + 3 * t;
    jobs.push_back([=] {  // single-state FIR, single rate and multirate, float and 16-bit
        const auto taps = cycle<float>(b, tapsLen, 0.05);
        std::vector<double> out;
        FirState st{};
        voksFirInit(taps.data(), tapsLen, nullptr, &st);
        std::vector<float> y(n);
        voksbFir(&st, a.data(), y.data(), n);
        append(out, y);
        out.push_back(voksFir(&st, 1.5f));
        vokFirFree(&st);
        const int up = 1 + t % 3, down = 1 + t % 4, blocks = 12;
        FirState mr{};
        const auto zt = cycle<double>(a, tapsLen, 0.1);
        vokdFirInitMr(zt.data(), tapsLen, nullptr, up, up - 1, down, t % down, &mr);
        const auto x = cycle<double>(b, blocks * down);
        std::vector<double> my(blocks * up);
        vokdbFir(&mr, x.data(), my.data(), blocks);
        append(out, my);
        vokFirFree(&mr);
        FirState w{};
        vokwFirInit(taps.data(), tapsLen, nullptr, &w);
        const auto ws = cycle<short>(a, n, 800.0);
        std::vector<short> wy(n);
        int sf = 1;
        vokwbFir(&w, ws.data(), wy.data(), n, VOK_FIXED_SCALE, &sf);
        append(out, wy);
        vokFirFree(&w);
        return out;
    });
    jobs.push_back([=] {  // two-state FIR on the caller's arrays
        auto taps = cycleComplex<FloatComplex>(b, a, tapsLen, 0.05);
        std::vector<FloatComplex> dly(tapsLen);
        FirTapState ts{};
        FirDlyState ds{};
        vokcFirlInit(taps.data(), tapsLen, &ts);
        vokcFirlInitDlyl(&ts, dly.data(), &ds);
        vokcFirlSetTaps(taps.data(), &ts);  // both records enter filter mode
        vokcFirlSetDlyl(&ts, nullptr, &ds);
        const auto x = cycleComplex<FloatComplex>(a, b, n);
        std::vector<FloatComplex> y(n);
        vokcbFirl(&ts, &ds, x.data(), y.data(), n);
        return widen(y);
    });
    const int order = 1 + t % 5, quads = 1 + t % 3;
    jobs.push_back([=] {  // IIR of an order and biquad cascades, float and 16-bit
        std::vector<float> taps(2 * order + 2);
        for (int k = 0; k <= order; ++k) taps[k] = 0.1f * a[k];
        taps[order + 1] = 1.0f;
        for (int k = 1; k <= order; ++k) taps[order + 1 + k] = 0.2f / float(k + 1) * (k % 2 ? 1.0f : -1.0f);
        std::vector<double> out;
        IirState st{};
        voksIirInit(0, taps.data(), order, &st);
        std::vector<float> y(n);
        out.push_back(voksbIir(&st, a.data(), y.data(), n));
        append(out, y);
        out.push_back(vokIirFree(&st));
        std::vector<double> bq;
        for (int q = 0; q < quads; ++q) bq.insert(bq.end(), {0.2, 0.1 * q, -0.05, 1.0, -0.3, 0.1 + 0.05 * q});
        IirState dq{};
        vokdIirInitBq(0, bq.data(), quads, &dq);
        const auto x = cycle<double>(b, n);
        std::vector<double> dy(n);
        vokdbIir(&dq, x.data(), dy.data(), n);
        append(out, dy);
        vokIirFree(&dq);
        IirState w{};
        vokwIirInit(0, taps.data(), order, &w);
        const auto ws = cycle<short>(b, n, 900.0);
        std::vector<short> wy(n);
        int sf = 0;
        vokwbIir(&w, ws.data(), wy.data(), n, VOK_SATURATE, &sf);
        append(out, wy);
        vokIirFree(&w);
        return out;
    });
    jobs.push_back([=] {  // an LMS filter learning the taps of another
        LmsState st{};
        voksLmsInit(0, nullptr, tapsLen, nullptr, 0.05f / float(tapsLen), 0.0f, 0, &st);  // a stable step
        const auto des = cycle<float>(b, n, 0.5);
        std::vector<float> y(n);
        voksbLmsDes(&st, a.data(), des.data(), y.data(), n);
        std::vector<double> out = widen(y);
        out.push_back(st.errVal.s);
        vokLmsFree(&st);
        return out;
    });
    const int hLen = 2 + 19 * t;
    jobs.push_back([=] {  // convolutions of lengths that choose different methods, correlations
        const auto h = cycle<float>(b, hLen);
        std::vector<float> y(n + hLen - 1);
        std::vector<double> out;
        out.push_back(voksConv(a.data(), n, h.data(), hLen, y.data()));
        append(out, y);
        const auto x = cycleComplex<DoubleComplex>(a, b, n);
        const auto dh = cycle<double>(b, hLen);
        std::vector<DoubleComplex> zy(n + hLen - 1);
        out.push_back(vokzdConv(x.data(), n, dh.data(), hLen, zy.data()));
        append(out, zy);
        std::vector<float> r(2 * t + 9);
        voksCrossCorr(a.data(), n, b.data(), n, r.data(), -t - 4, t + 4);
        append(out, r);
        std::vector<double> ac(1 + t);
        const auto d = cycle<double>(a, n);
        vokdAutoCorr(d.data(), n, ac.data(), 1 + t, t % 3);
        append(out, ac);
        return out;
    });
    const int rows = 6 + t, cols = 20 - t, kRows = 2 + t % 6, kCols = 3 + t % 5;
    jobs.push_back([=] {  // two-dimensional convolution and filtering
        const auto x = cycle<float>(a, rows * cols), h = cycle<float>(b, kRows * kCols);
        std::vector<float> y((rows + kRows - 1) * (cols + kCols - 1)), f(rows * cols);
        voksConv2D(x.data(), cols, rows, h.data(), kCols, kRows, y.data());
        voksFilter2D(x.data(), cols, rows, h.data(), kCols, kRows, f.data());
        std::vector<double> out = widen(y);
        append(out, f);
        const auto dx = cycle<double>(b, 4 * rows * cols), dh = cycle<double>(a, 81);
        std::vector<double> dy((2 * rows + 8) * (2 * cols + 8));
        vokdConv2D(dx.data(), 2 * cols, 2 * rows, dh.data(), 9, 9, dy.data());
        append(out, dy);
        return out;
    });
    return jobs;
}

}  // namespace robust
