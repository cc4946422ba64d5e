// The FIR engine shared by the two-state and the single-state filters: wide
// accumulators, and one polyphase loop that evaluates
//
//     u[Pu + i*U] = x[i], zero elsewhere;  v[j] = sum_k h[k] u[j-k];  out[m] = v[Pd + m*D]
//
// for any taps layout (a branch tells where the taps of one phase lie) and any
// history layout (a callable gives the input k+1 places before the block).
// Single rate is U = D = 1. Every output sums its terms newest input first and
// rounds once, so both filter layers give bit-identical results.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/complex.h"

namespace vok::fir {

template <class R> struct WideOf;
template <> struct WideOf<float> { using type = double; };
template <> struct WideOf<double> { using type = long double; };

template <class R>
struct ComplexOf;
template <> struct ComplexOf<float> { using type = FloatComplex; };
template <> struct ComplexOf<double> { using type = DoubleComplex; };

// The output element of data D filtered by taps W: complex when either is.
template <class D, class W>
using Out = std::conditional_t<isComplex<D> || isComplex<W>, typename ComplexOf<RealOf<D>>::type, D>;

// Complex elements of any precision (16-bit samples count as real).
template <class T>
constexpr bool complexElement = std::is_same_v<T, FloatComplex> || std::is_same_v<T, DoubleComplex>;

// Running sum of one output, held wider than the output and rounded once.
template <class O>
struct Acc {
    using R = typename WideOf<RealOf<O>>::type;
    R re{};
    R im{};

    template <class W, class D>
    void add(const W& w, const D& x) {
        if constexpr (!complexElement<W> && !complexElement<D>) {
            re += R(w) * R(x);
        } else if constexpr (complexElement<W> && !complexElement<D>) {
            re += R(w.re) * R(x);
            im += R(w.im) * R(x);
        } else if constexpr (!complexElement<W> && complexElement<D>) {
            re += R(w) * R(x.re);
            im += R(w) * R(x.im);
        } else {
            re += R(w.re) * R(x.re) - R(w.im) * R(x.im);
            im += R(w.re) * R(x.im) + R(w.im) * R(x.re);
        }
    }

    O get() const {
        using T = RealOf<O>;
        if constexpr (isComplex<O>) return O{T(re), T(im)};
        else return O(T(re));
    }
};

// The 16-bit filters: float taps times 16-bit samples summed in double, then
// rounded to the nearest 32-bit integer (ties to even, the default rounding).
template <>
struct Acc<std::int32_t> {
    double re = 0;
    void add(float w, short x) { re += double(w) * double(x); }
    std::int32_t get() const {
        const double r = std::nearbyint(re);
        if (!(r >= -2147483648.0)) return INT32_MIN;
        if (r > 2147483647.0) return INT32_MAX;
        return std::int32_t(r);
    }
};

// The taps of one polyphase branch: term m multiplies the input m places
// before the branch's newest one and is first[m * stride].
template <class W>
struct Branch {
    const W* first;
    std::ptrdiff_t stride;
    int count;
};

struct Rate {
    int tapsLen;
    int up, upPhase, down, downPhase;
};

// Number of taps of branch r: those h[r + m*U] with r + m*U < L.
inline int branchCount(int tapsLen, int up, int r) { return r < tapsLen ? (tapsLen - r + up - 1) / up : 0; }
// Offset of branch r when the branches are stored one after another.
inline int branchStart(int tapsLen, int up, int r) { return r * (tapsLen / up) + (r < tapsLen % up ? r : tapsLen % up); }

// Inputs of the history an output may reach: ceil(L/U).
inline int historyLength(int tapsLen, int up) { return tapsLen / up + (tapsLen % up ? 1 : 0); }

// Taps in natural order, used in place (the two-state layer).
template <class W>
struct NaturalTaps {
    const W* h;
    int tapsLen, up;
    Branch<W> operator()(int r) const { return {h + r, up, branchCount(tapsLen, up, r)}; }
};

// Taps in filter order (branches stored one after another, each reversed; a
// single-rate filter is one reversed branch): the single-state layer.
template <class W>
struct PackedTaps {
    const W* buf;
    int tapsLen, up;
    Branch<W> operator()(int r) const {
        const int c = branchCount(tapsLen, up, r);
        return {buf + branchStart(tapsLen, up, r) + c - 1, -1, c};
    }
};

template <class O, class W, class D, class Hist>
O branchSum(const Branch<W>& b, const D* x, std::int64_t newest, const Hist& hist) {
    Acc<O> acc;
    if (newest - (b.count - 1) >= 0) {
        const D* p = x + newest;
        const W* w = b.first;
        for (int m = 0; m < b.count; ++m, w += b.stride) acc.add(*w, p[-m]);
    } else {
        const W* w = b.first;
        for (int m = 0; m < b.count; ++m, w += b.stride) {
            const std::int64_t at = newest - m;
            acc.add(*w, at >= 0 ? x[at] : hist(int(-at - 1)));
        }
    }
    return acc.get();
}

// numIters iterations: reads numIters*D inputs, writes numIters*U outputs.
template <class O, class D, class Taps, class Hist>
void filterBlock(const Rate& rt, const Taps& taps, const Hist& hist, const D* x, O* out, int numIters) {
    const std::int64_t outs = std::int64_t(numIters) * rt.up;
    // j = Pd + m*D in the upsampled domain; newest inserted input i0 and the
    // offset r = j - (Pu + i0*U) in [0, U), kept as counters.
    std::int64_t t = std::int64_t(rt.downPhase) - rt.upPhase;  // > -U
    std::int64_t i0 = t >= 0 ? t / rt.up : -1;
    int r = int(t - i0 * rt.up);
    const std::int64_t stepInputs = rt.down / rt.up;
    const int stepRest = rt.down % rt.up;
    for (std::int64_t m = 0; m < outs; ++m) {
        out[m] = branchSum<O>(taps(r), x, i0, hist);
        i0 += stepInputs;
        r += stepRest;
        if (r >= rt.up) {
            r -= rt.up;
            ++i0;
        }
    }
}

// One output of a single-rate filter over a delay line held newest first.
template <class O, class W, class D>
O newestFirstSum(const W* h, int count, const D* slots) {
    Acc<O> acc;
    for (int k = 0; k < count; ++k) acc.add(h[k], slots[k]);
    return acc.get();
}

template <class T>
void reverseInPlace(T* p, int n) {
    for (int i = 0; i < n / 2; ++i) {
        T tmp = p[i];
        p[i] = p[n - 1 - i];
        p[n - 1 - i] = tmp;
    }
}

}  // namespace vok::fir

namespace vok::fir {

// The scale mode and factor a 16-bit filter converts with: the caller's mode
// and factor combined with the taps' own scale factor.
struct Scaling {
    int mode;
    int factor;
};

inline Scaling effectiveScaling(int scaleMode, const int* scaleFactor, int tapsScale) {
    if (scaleMode & VOK_AUTO_SCALE) return {VOK_AUTO_SCALE, 0};
    int sf = tapsScale;
    if (scaleFactor && (scaleMode & VOK_FIXED_SCALE)) sf += *scaleFactor;
    if (sf != 0) return {(scaleMode & VOK_SATURATE) | VOK_FIXED_SCALE, sf};
    return {scaleMode & VOK_SATURATE, 0};
}

// Filter order of float taps for the 16-bit filters, in place: each polyphase
// branch reversed, branches one after another (one reversed branch at single
// rate). `natural` is a copy of the taps in natural order.
inline void packTaps(const float* natural, float* packed, int tapsLen, int up) {
    for (int r = 0; r < up && r < tapsLen; ++r) {
        const int c = branchCount(tapsLen, up, r), s = branchStart(tapsLen, up, r);
        for (int m = 0; m < c; ++m) packed[s + c - 1 - m] = natural[r + m * up];
    }
}

inline void unpackTaps(const float* packed, float* natural, int tapsLen, int up) {
    for (int r = 0; r < up && r < tapsLen; ++r) {
        const int c = branchCount(tapsLen, up, r), s = branchStart(tapsLen, up, r);
        for (int m = 0; m < c; ++m) natural[r + m * up] = packed[s + c - 1 - m];
    }
}

}  // namespace vok::fir
