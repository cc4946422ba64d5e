// Fuzzes convolution and correlation: one-dimensional convolutions of every
// type pair (lengths that reach every method), cross-correlations with
// negative lags, autocorrelations with every norm, dot products, the
// two-dimensional convolution and filter on small matrices, up- and
// down-sampling with arbitrary factors and phases.
#include "fuzz_support.h"

namespace fuzz {

Shape conv(Input& in) {
    const int xLen = in.length(3000), hLen = in.length(300);
    return {{xLen, hLen, xLen > 0 && hLen > 0 ? xLen + hLen - 1 : 0}, {xLen, hLen}};
}

Shape cross(Input& in) {
    const int lenA = in.length(500), lenB = in.length(500), lo = in.range(-600, 600);
    const int hi = in.chance(6) ? lo + in.range(0, 100) : in.range(-600, 600);
    return {{lenA, lenB, hi >= lo ? (long long)hi - lo + 1 : 0}, {lenA, lenB, lo, hi}};
}

Shape autoCorr(Input& in) {
    const int len = in.length(800), lags = in.mostly(1, len > 0 ? len : 1, -3, 900);
    return {{len, lags}, {len, lags, in.range(-2, 4)}};
}

// Two-dimensional: x and taps of any sides, the output of the convolution's or the filter's size.
Shape twoD(Input& in, bool full) {
    int s[4];
    for (int& side : s) side = in.mostly(1, 40, -2, 0, 7);
    const auto [xc, xr, hc, hr] = s;
    const long long xn = xc > 0 && xr > 0 ? (long long)xc * xr : 0, hn = hc > 0 && hr > 0 ? (long long)hc * hr : 0;
    const long long yn = !full ? xn : xn && hn ? (long long)(xc + hc - 1) * (xr + hr - 1) : 0;
    return {{xn, hn, yn}, {xc, xr, hc, hr}};
}

// Up- or down-sampling: a failure leaves the output length and the phase as they were.
Shape sampling(Input& in, bool up) {
    const int len = in.length(500), factor = in.mostly(1, 9, -3, 0);
    const int phase = in.mostly(0, factor > 0 ? factor - 1 : 0, -3, 12);
    const long long room = len > 0 && factor > 0 ? (up ? (long long)len * factor : len / factor + 1) : 0;
    return {{up && in.chance(2) ? room : len, room}, {len, -12345, factor, phase}};
}

std::vector<Entry> entries() {
    return list(shaped<true>(voksConv, conv), shaped<true>(vokcConv, conv), shaped<true>(vokcsConv, conv),
                shaped<true>(vokdConv, conv), shaped<true>(vokdzConv, conv), shaped<true>(vokzConv, conv),
                shaped<true>(vokwConv, conv), shaped(voksCrossCorr, cross), shaped(vokcsCrossCorr, cross),
                shaped(vokzCrossCorr, cross), shaped(vokvCrossCorr, cross), shaped(voksAutoCorr, autoCorr),
                shaped(vokzAutoCorr, autoCorr), shaped(vokwAutoCorr, autoCorr), voksDotProd, vokzDotProd, vokcsDotProd,
                vokwDotProd, vokvDotProd, shaped(voksConv2D, twoD, true), shaped(vokdConv2D, twoD, true),
                shaped(vokwConv2D, twoD, true), shaped(voksFilter2D, twoD, false), shaped(vokdFilter2D, twoD, false),
                shaped(vokwFilter2D, twoD, false), shaped(voksUpSample, sampling, true),
                shaped(voksDownSample, sampling, false), shaped(vokzUpSample, sampling, true),
                shaped(vokzDownSample, sampling, false), shaped(vokwUpSample, sampling, true),
                shaped(vokwDownSample, sampling, false));
}

}  // namespace fuzz
