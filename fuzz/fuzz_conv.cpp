// Fuzzes convolution and correlation: one-dimensional convolutions of every
// type pair (lengths that reach every method), cross-correlations with
// negative lags, autocorrelations with every norm, dot products, the
// two-dimensional convolution and filter on small matrices, up- and
// down-sampling with arbitrary factors and phases.
#include "fuzz_support.h"

namespace {

using fuzz::Entry;
using fuzz::Input;
using fuzz::Shape;

long long product(int a, int b) { return a > 0 && b > 0 ? (long long)a * b : 0; }

template <class F>
Entry conv(F f) {
    return fuzz::shaped(
        f,
        [](Input& in) {
            const int xLen = in.length(3000), hLen = in.length(300);
            return Shape{{xLen, hLen, xLen > 0 && hLen > 0 ? xLen + hLen - 1 : 0}, {xLen, hLen}};
        },
        true);
}

template <class F>
Entry cross(F f) {
    return fuzz::shaped(f, [](Input& in) {
        const int lenA = in.length(500), lenB = in.length(500), lo = in.range(-600, 600);
        const int hi = in.chance(6) ? lo + in.range(0, 100) : in.range(-600, 600);
        return Shape{{lenA, lenB, hi >= lo ? (long long)hi - lo + 1 : 0}, {lenA, lenB, lo, hi}};
    });
}

template <class F>
Entry autoCorr(F f) {
    return fuzz::shaped(f, [](Input& in) {
        const int len = in.length(800), lags = in.chance(6) ? in.range(1, len > 0 ? len : 1) : in.range(-3, 900);
        return Shape{{len, lags}, {len, lags, in.range(-2, 4)}};
    });
}

int side(Input& in) { return in.chance(7) ? in.range(1, 40) : in.range(-2, 0); }

// Two-dimensional: x and taps of any sides, the output of the convolution's or the filter's size.
template <class F>
Entry twoD(F f, bool full) {
    return fuzz::shaped(f, [=](Input& in) {
        const int xc = side(in), xr = side(in), hc = side(in), hr = side(in);
        const long long xn = product(xc, xr), hn = product(hc, hr);
        const long long yn = !full ? xn : xn && hn ? (long long)(xc + hc - 1) * (xr + hr - 1) : 0;
        return Shape{{xn, hn, yn}, {xc, xr, hc, hr}};
    });
}

// Up- or down-sampling: a failure leaves the output length and the phase as they were.
template <class F>
Entry sampling(F f, bool up) {
    return fuzz::shaped(f, [=](Input& in) {
        const int len = in.length(500), factor = in.chance(6) ? in.range(1, 9) : in.range(-3, 0);
        const int phase = in.chance(6) ? in.range(0, factor > 0 ? factor - 1 : 0) : in.range(-3, 12);
        const long long room = len > 0 && factor > 0 ? (up ? (long long)len * factor : len / factor + 1) : 0;
        return Shape{{up && in.chance(2) ? room : len, room}, {len, -12345, factor, phase}};
    });
}

}  // namespace

const std::vector<Entry>& fuzz::entries() {
    static const auto all =
        list(conv(voksConv), conv(vokcConv), conv(vokcsConv), conv(vokdConv), conv(vokdzConv), conv(vokzConv),
             conv(vokwConv), cross(voksCrossCorr), cross(vokcsCrossCorr), cross(vokzCrossCorr), cross(vokvCrossCorr),
             autoCorr(voksAutoCorr), autoCorr(vokzAutoCorr), autoCorr(vokwAutoCorr), voksDotProd, vokzDotProd,
             vokcsDotProd, vokwDotProd, vokvDotProd, twoD(voksConv2D, true), twoD(vokdConv2D, true),
             twoD(vokwConv2D, true), twoD(voksFilter2D, false), twoD(vokdFilter2D, false), twoD(vokwFilter2D, false),
             sampling(voksUpSample, true), sampling(voksDownSample, false), sampling(vokzUpSample, true),
             sampling(vokzDownSample, false), sampling(vokwUpSample, true), sampling(vokwDownSample, false));
    return all;
}
