// Fuzzes convolution and correlation: one-dimensional convolutions of every
// type pair (lengths that reach every method), cross-correlations with
// negative lags, autocorrelations with every norm, dot products, the
// two-dimensional convolution and filter on small matrices, up- and
// down-sampling with arbitrary factors and phases.
#include "fuzz_support.h"

namespace {

using fuzz::Buffer;
using fuzz::Input;
using fuzz::bytesFor;
using fuzz::maybe;
using fuzz::scaleMode;

template <class X, class H, class Y>
void conv(Input& in, int (VOK_CALL* f)(const X*, int, const H*, int, Y*)) {
    const int xLen = in.length(3000), hLen = in.length(300);
    Buffer x(in, bytesFor<X>(xLen)), h(in, bytesFor<H>(hLen));
    Buffer y(in, bytesFor<Y>(xLen > 0 && hLen > 0 ? xLen + hLen - 1 : 0));
    fuzz::beginCall();
    const int status = f(maybe<X>(in, x), xLen, maybe<H>(in, h), hLen, maybe<Y>(in, y));
    if ((status < 0) != (fuzz::failures > 0)) {
        std::fprintf(stderr, "convolution returned %d after %d reports\n", status, fuzz::failures);
        std::abort();
    }
    fuzz::expectUntouchedOnFailure("conv", x, h, y);
}

void convShort(Input& in) {
    const int xLen = in.length(2000), hLen = in.length(200);
    Buffer x(in, bytesFor<short>(xLen)), h(in, bytesFor<short>(hLen));
    Buffer y(in, bytesFor<short>(xLen > 0 && hLen > 0 ? xLen + hLen - 1 : 0));
    int factor = in.range(-20, 20);
    fuzz::beginCall();
    vokwConv(maybe<short>(in, x), xLen, maybe<short>(in, h), hLen, maybe<short>(in, y), scaleMode(in),
             in.chance(1) ? nullptr : &factor);
    fuzz::expectUntouchedOnFailure("vokwConv", x, h, y);
}

template <class A, class B, class D>
void cross(Input& in, void (VOK_CALL* f)(const A*, int, const B*, int, D*, int, int)) {
    const int lenA = in.length(500), lenB = in.length(500);
    const int lo = in.range(-600, 600), hi = in.chance(6) ? lo + in.range(0, 100) : in.range(-600, 600);
    Buffer a(in, bytesFor<A>(lenA)), b(in, bytesFor<B>(lenB));
    Buffer d(in, bytesFor<D>(hi >= lo ? (long long)hi - lo + 1 : 0));
    fuzz::beginCall();
    f(maybe<A>(in, a), lenA, maybe<B>(in, b), lenB, maybe<D>(in, d), lo, hi);
    fuzz::expectUntouchedOnFailure("CrossCorr", a, b, d);
}

template <class T>
void autoCorr(Input& in, void (VOK_CALL* f)(const T*, int, T*, int, int)) {
    const int len = in.length(800), lags = in.chance(6) ? in.range(1, len > 0 ? len : 1) : in.range(-3, 900);
    Buffer s(in, bytesFor<T>(len)), d(in, bytesFor<T>(lags));
    fuzz::beginCall();
    f(maybe<T>(in, s), len, maybe<T>(in, d), lags, in.range(-2, 4));
    fuzz::expectUntouchedOnFailure("AutoCorr", s, d);
}

void corrShort(Input& in) {
    const int lenA = in.length(400), lenB = in.length(400);
    const int lo = in.range(-500, 500), hi = lo + in.range(-2, 60);
    Buffer a(in, bytesFor<ShortComplex>(lenA)), b(in, bytesFor<ShortComplex>(lenB));
    Buffer d(in, bytesFor<ShortComplex>(hi >= lo ? hi - lo + 1 : 0));
    int factor = in.range(-20, 20);
    int* pf = in.chance(1) ? nullptr : &factor;
    fuzz::beginCall();
    if (in.chance(4))
        vokvCrossCorr(maybe<ShortComplex>(in, a), lenA, maybe<ShortComplex>(in, b), lenB, maybe<ShortComplex>(in, d),
                      lo, hi, scaleMode(in), pf);
    else
        vokwAutoCorr(maybe<short>(in, a), lenA, maybe<short>(in, d), hi - lo + 1, in.range(-1, 3), scaleMode(in), pf);
    fuzz::expectUntouchedOnFailure("16-bit correlation", a, b, d);
}

void dot(Input& in) {
    const int len = in.length(3000);
    Buffer a(in, bytesFor<DoubleComplex>(len)), b(in, bytesFor<DoubleComplex>(len));
    int factor = in.range(-20, 20);
    fuzz::beginCall();
    switch (in.byte() % 5) {
        case 0: voksDotProd(maybe<float>(in, a), maybe<float>(in, b), len); break;
        case 1: vokzDotProd(maybe<DoubleComplex>(in, a), maybe<DoubleComplex>(in, b), len); break;
        case 2: vokcsDotProd(maybe<FloatComplex>(in, a), maybe<float>(in, b), len); break;
        case 3: vokwDotProd(maybe<short>(in, a), maybe<short>(in, b), len, scaleMode(in), &factor); break;
        default: vokvDotProd(maybe<ShortComplex>(in, a), maybe<ShortComplex>(in, b), len, scaleMode(in),
                             in.chance(1) ? nullptr : &factor);
    }
    fuzz::expectUntouchedOnFailure("DotProd", a, b);
}

int side(Input& in) { return in.chance(7) ? in.range(1, 40) : in.range(-2, 0); }

void conv2d(Input& in) {
    const int xc = side(in), xr = side(in), hc = side(in), hr = side(in);
    const long long xn = xc > 0 && xr > 0 ? xc * xr : 0, hn = hc > 0 && hr > 0 ? hc * hr : 0;
    const long long yn = xn && hn ? (long long)(xc + hc - 1) * (xr + hr - 1) : 0;
    const int which = in.byte() % 3;
    Buffer x(in, bytesFor<double>(xn)), h(in, bytesFor<double>(hn)), y(in, bytesFor<double>(yn));
    int factor = in.range(-20, 20);
    fuzz::beginCall();
    switch (which) {
        case 0: voksConv2D(maybe<float>(in, x), xc, xr, maybe<float>(in, h), hc, hr, maybe<float>(in, y)); break;
        case 1: vokdConv2D(maybe<double>(in, x), xc, xr, maybe<double>(in, h), hc, hr, maybe<double>(in, y)); break;
        default:
            vokwConv2D(maybe<short>(in, x), xc, xr, maybe<short>(in, h), hc, hr, maybe<short>(in, y), scaleMode(in),
                       in.chance(1) ? nullptr : &factor);
    }
    fuzz::expectUntouchedOnFailure("Conv2D", x, h, y);
}

void filter2d(Input& in) {
    const int cols = side(in), rows = side(in), tc = side(in), tr = side(in);
    const long long n = cols > 0 && rows > 0 ? cols * rows : 0, tn = tc > 0 && tr > 0 ? tc * tr : 0;
    const int which = in.byte() % 3;
    Buffer s(in, bytesFor<double>(n)), t(in, bytesFor<double>(tn)), d(in, bytesFor<double>(n));
    int factor = in.range(-20, 20);
    fuzz::beginCall();
    switch (which) {
        case 0: voksFilter2D(maybe<float>(in, s), cols, rows, maybe<float>(in, t), tc, tr, maybe<float>(in, d)); break;
        case 1: vokdFilter2D(maybe<double>(in, s), cols, rows, maybe<double>(in, t), tc, tr, maybe<double>(in, d)); break;
        default:
            vokwFilter2D(maybe<short>(in, s), cols, rows, maybe<float>(in, t), tc, tr, maybe<short>(in, d),
                         scaleMode(in), in.chance(1) ? nullptr : &factor);
    }
    fuzz::expectUntouchedOnFailure("Filter2D", s, t, d);
}

template <class T>
void sampling(Input& in, void (VOK_CALL* up)(const T*, int, T*, int*, int, int*),
              void (VOK_CALL* down)(const T*, int, T*, int*, int, int*)) {
    const int len = in.length(500), factor = in.chance(6) ? in.range(1, 9) : in.range(-3, 0);
    int phase = in.chance(6) ? in.range(0, factor > 0 ? factor - 1 : 0) : in.range(-3, 12);
    int outLen = -12345;
    const bool isUp = in.chance(4);
    const long long room = len > 0 && factor > 0 ? (isUp ? (long long)len * factor : len / factor + 1) : 0;
    Buffer s(in, bytesFor<T>(isUp && in.chance(2) ? room : len)), d(in, bytesFor<T>(room));
    const int phaseBefore = phase;
    fuzz::beginCall();
    if (isUp) up(maybe<T>(in, s), len, maybe<T>(in, d), in.chance(1) ? nullptr : &outLen, factor,
                 in.chance(1) ? nullptr : &phase);
    else down(maybe<T>(in, s), len, maybe<T>(in, d), in.chance(1) ? nullptr : &outLen, factor,
              in.chance(1) ? nullptr : &phase);
    fuzz::expectUntouchedOnFailure("Up/DownSample", s, d);
    if (fuzz::failures && (outLen != -12345 || phase != phaseBefore)) {
        std::fprintf(stderr, "Up/DownSample reported a failure but wrote the length or phase\n");
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    while (!in.empty()) {
        switch (in.byte() % 20) {
            case 0: conv<float, float, float>(in, voksConv); break;
            case 1: conv<FloatComplex, FloatComplex, FloatComplex>(in, vokcConv); break;
            case 2: conv<FloatComplex, float, FloatComplex>(in, vokcsConv); break;
            case 3: conv<double, double, double>(in, vokdConv); break;
            case 4: conv<double, DoubleComplex, DoubleComplex>(in, vokdzConv); break;
            case 5: conv<DoubleComplex, DoubleComplex, DoubleComplex>(in, vokzConv); break;
            case 6: convShort(in); break;
            case 7: cross<float, float, float>(in, voksCrossCorr); break;
            case 8: cross<FloatComplex, float, FloatComplex>(in, vokcsCrossCorr); break;
            case 9: cross<DoubleComplex, DoubleComplex, DoubleComplex>(in, vokzCrossCorr); break;
            case 10: autoCorr<float>(in, voksAutoCorr); break;
            case 11: autoCorr<DoubleComplex>(in, vokzAutoCorr); break;
            case 12: corrShort(in); break;
            case 13: dot(in); break;
            case 14: case 15: conv2d(in); break;
            case 16: filter2d(in); break;
            case 17: sampling<float>(in, voksUpSample, voksDownSample); break;
            case 18: sampling<DoubleComplex>(in, vokzUpSample, vokzDownSample); break;
            default: sampling<short>(in, vokwUpSample, vokwDownSample); break;
        }
    }
    return 0;
}
