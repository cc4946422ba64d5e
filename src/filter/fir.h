// The FIR engine shared by the two-state and the single-state filters: double
// accumulators, and one polyphase loop that evaluates
//
//     u[Pu + i*U] = x[i], zero elsewhere;  v[j] = sum_k h[k] u[j-k];  out[m] = v[Pd + m*D]
//
// for any taps layout (a branch tells where the taps of one phase lie) and any
// history layout (a callable gives the input k+1 places before the block).
// Single rate is U = D = 1. Every output sums its terms newest input first and
// rounds once, so both filter layers give bit-identical results.
#pragma once

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/complex.h"
#include "core/scale16.h"
#include "kernels/firdot.h"
#include "vok/fir.h"

namespace vok::fir {

// The two-state taps record as every Init form writes it before its taps are set.
inline void describeTaps(void* taps, int tapsLen, int up, int upPhase, int down, int downPhase, FirTapState* tap) {
    tap->taps = taps;
    tap->len = tapsLen;
    tap->upFactor = up;
    tap->upPhase = upPhase;
    tap->downFactor = down;
    tap->downPhase = downPhase;
    tap->isMultiRate = (up > 1 || down > 1) ? 1 : 0;
    tap->isFilterMode = 0;
}

// The precision a sum is held in: double for both, so that the single-sample
// forms round exactly as the block kernels (double data sums in double).
template <class R> struct WideOf;
template <> struct WideOf<float> { using type = double; };
template <> struct WideOf<double> { using type = double; };

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

// Running sum of one output, held in double and rounded once.
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
        return saturate32Rounded(re);
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

// Bytes of the stack scratch a single-rate pass gathers its history-reaching
// inputs into, and doubles of the one a decimating or widened pass fills.
constexpr int kScratchBytes = 16384;
constexpr int kStreamDoubles = 4096;

// Lanes of an element as the kernels see it.
template <class T>
struct LaneView {
    using type = RealOf<T>;
    static constexpr int count = isComplex<T> ? 2 : 1;
};
template <> struct LaneView<short> { using type = short; static constexpr int count = 1; };
template <> struct LaneView<std::int32_t> { using type = std::int32_t; static constexpr int count = 1; };

template <class T>
auto* lanes(T* p) {
    using L = typename LaneView<std::remove_const_t<T>>::type;
    if constexpr (std::is_const_v<T>) return reinterpret_cast<const L*>(p);
    else return reinterpret_cast<L*>(p);
}

// The kernel of one pairing out of a set of four.
template <class D, class W, class Set>
auto pairingOf(const Set& set) {
    if constexpr (complexElement<D> && complexElement<W>) return set.complex;
    else if constexpr (complexElement<D>) return set.complexByReal;
    else if constexpr (complexElement<W>) return set.realByComplex;
    else return set.real;
}

// The kernel that reads the data in place.
template <class D, class W>
auto directKernel() {
    const kernels::FirDotTable& k = kernels::firdot();
    if constexpr (std::is_same_v<D, short>) return k.shortByReal;
    else if constexpr (std::is_same_v<RealOf<D>, float>) return pairingOf<D, W>(k.floats);
    else return pairingOf<D, W>(k.doubles);
}

// The kernel that reads the data deinterleaved into double streams, and the deinterleaver.
template <class D, class W>
auto streamKernel() {
    const kernels::FirDotTable& k = kernels::firdot();
    if constexpr (std::is_same_v<D, short>) return k.widenedShort;
    else if constexpr (std::is_same_v<RealOf<D>, float>) return pairingOf<D, W>(k.widened);
    else return pairingOf<D, W>(k.doubles);
}
template <class D>
auto deinterleaver() {
    const kernels::FirDotTable& k = kernels::firdot();
    if constexpr (std::is_same_v<D, short>) return k.deinterleaveShort;
    else if constexpr (std::is_same_v<RealOf<D>, float>) return k.deinterleaveFloat;
    else return k.deinterleaveDouble;
}

// The widener of a single-rate piece of float or 16-bit data.
template <class D>
auto widener() {
    const kernels::FirDotTable& k = kernels::firdot();
    if constexpr (std::is_same_v<D, short>) return k.widenShort;
    else return k.widenFloat;
}

// Data the block kernels would otherwise widen for every tap.
template <class D>
constexpr bool narrowData = !std::is_same_v<typename LaneView<D>::type, double>;

template <class D>
void putLanes(const D& v, double* to) {
    if constexpr (complexElement<D>) {
        to[0] = double(v.re);
        to[1] = double(v.im);
    } else {
        to[0] = double(v);
    }
}

// Every pairing of the filters has its kernels: data and taps of one
// precision, or 16-bit data under float taps.
template <class D, class W>
constexpr bool hasBlockKernel =
    std::is_same_v<D, short> ? std::is_same_v<W, float>
                             : std::is_same_v<typename LaneView<D>::type, typename LaneView<W>::type>;

// n outputs of a phase whose newest input advances by down > 1 per output,
// out[t * outStride] for t in [0, n). The inputs are deinterleaved into one
// double stream per tap residue (taps q, q + D, q + 2D, ... read every D-th
// input), a piece of outputs at a time; each output then sums its taps in
// order from the streams, exactly as from the input.
template <class O, class D, class W, class Hist>
void decimatingPhase(const Branch<W>& b, std::int64_t i0, int down, const Hist& hist, const D* x, O* out,
                     std::ptrdiff_t outStride, int n) {
    constexpr int el = LaneView<D>::count;
    constexpr int capacity = kStreamDoubles / el;  // elements
    const int c = b.count;
    // Stream p holds the inputs of residue q = down - 1 - p; with fewer taps
    // than down the streams of the residues without taps are skipped.
    const int used = c < down ? c : down;
    const int first = down - used;
    const int depth = (c + down - 1) / down;  // taps of the fullest residue
    int pieceMax = used > 0 ? capacity / used - (depth - 1) : 0;
    // Whole register blocks of the kernel at every width (12, 24 or 64
    // outputs) per piece: a short remainder runs at one register's latency.
    if (pieceMax >= 192) pieceMax -= pieceMax % 192;
    if (pieceMax < 16) {
        for (int t = 0; t < n; ++t) out[t * outStride] = branchSum<O>(b, x, i0 + std::int64_t(t) * down, hist);
        return;
    }
    const int streamLen = pieceMax + depth - 1;
    alignas(64) double scratch[kStreamDoubles];
    // Tap j reads stream used - 1 - j % down, j / down inputs before its newest.
    const std::ptrdiff_t newestOfTap0 = (std::ptrdiff_t(used) - 1) * streamLen + depth - 1;
    const auto kernel = streamKernel<D, W>();
    const auto split = deinterleaver<D>();
    for (int t0 = 0; t0 < n; t0 += pieceMax) {
        const int piece = n - t0 < pieceMax ? n - t0 : pieceMax;
        // Stream element u of phase p is input base + u*down + p; the first
        // ones may lie in the history.
        const std::int64_t base = i0 - (down - 1) + (std::int64_t(t0) - (depth - 1)) * down;
        const int len = piece + depth - 1;
        std::int64_t early = base >= 0 ? 0 : (-base + down - 1) / down;
        if (early > len) early = len;
        // Streams of residues with fewer taps than the fullest start before
        // the oldest input any output reads; those slots are never read and
        // the history may not reach them.
        const std::int64_t oldest = i0 - (c - 1);
        for (int u = 0; u < early; ++u)
            for (int p = first; p < down; ++p) {
                const std::int64_t i = base + std::int64_t(u) * down + p;
                double* to = scratch + (std::ptrdiff_t(p - first) * streamLen + u) * el;
                if (i >= 0) putLanes(x[i], to);
                else if (i >= oldest) putLanes(hist(int(-i - 1)), to);
                else putLanes(D{}, to);
            }
        if (early < len)
            split(lanes(x + (base + early * down)), el, down, first, len - int(early), scratch + early * el, streamLen);
        kernel(lanes(b.first), b.stride, c, scratch + newestOfTap0 * el, kernels::Streams{down, streamLen},
               lanes(out + std::ptrdiff_t(t0) * outStride), outStride, piece);
    }
}

// n outputs of a single-rate phase of float or 16-bit data: each piece of
// input (the window of its outputs) is widened into a double scratch once and
// filtered there, instead of widening every input once per tap. The terms and
// their order are those of the direct kernel, so the outputs are the same.
// Returns false, having done nothing, when the filter is too long for pieces
// of the scratch to pay.
template <class O, class D, class W, class Hist>
bool widenedPhase(const Branch<W>& b, std::int64_t i0, const Hist& hist, const D* x, O* out,
                  std::ptrdiff_t outStride, int n) {
    constexpr int el = LaneView<D>::count;
    constexpr int capacity = kStreamDoubles / el;  // elements
    const int c = b.count;
    int pieceMax = capacity - (c - 1);
    // Whole register blocks of the kernel at every width per piece.
    if (pieceMax >= 192) pieceMax -= pieceMax % 192;
    if (pieceMax < 16) return false;
    alignas(64) double scratch[kStreamDoubles];
    const auto kernel = streamKernel<D, W>();
    const auto widen = widener<D>();
    for (int t0 = 0; t0 < n; t0 += pieceMax) {
        const int piece = n - t0 < pieceMax ? n - t0 : pieceMax;
        // Scratch element u is input from + u; the first ones may lie in the history.
        const std::int64_t from = i0 + t0 - (c - 1);
        const int len = piece + c - 1;
        const int early = from >= 0 ? 0 : (-from < len ? int(-from) : len);
        for (int u = 0; u < early; ++u) putLanes(hist(int(-(from + u) - 1)), scratch + std::ptrdiff_t(u) * el);
        if (early < len)
            widen(lanes(x + (from + early)), (len - early) * el, scratch + std::ptrdiff_t(early) * el);
        kernel(lanes(b.first), b.stride, c, scratch + std::ptrdiff_t(c - 1) * el, kernels::kOneLine,
               lanes(out + std::ptrdiff_t(t0) * outStride), outStride, piece);
    }
    return true;
}

// n outputs of one phase, out[t * outStride] for t in [0, n).
template <class O, class D, class W, class Hist>
void vectorPhase(const Branch<W>& b, std::int64_t i0, int down, const Hist& hist, const D* x, O* out,
                 std::ptrdiff_t outStride, int n) {
    if (down > 1) {
        decimatingPhase(b, i0, down, hist, x, out, outStride, n);
        return;
    }
    if constexpr (narrowData<D>) {
        if (widenedPhase(b, i0, hist, x, out, outStride, n)) return;
    }
    constexpr int kScratchElements = kScratchBytes / int(sizeof(D));
    const auto kernel = directKernel<D, W>();
    const int c = b.count;
    // Outputs whose whole window lies in the block read it in place.
    const std::int64_t direct = c - 1 - i0 > 0 ? c - 1 - i0 : 0;
    if (direct < n) {
        kernel(lanes(b.first), b.stride, c, lanes(x + i0 + direct), kernels::kOneLine,
               lanes(out + direct * outStride), outStride, n - int(direct));
        n = int(direct);
    }
    if (n <= 0) return;
    // The others from the scratch: their windows gathered oldest first.
    int pieceMax = kScratchElements - c + 1;
    if (pieceMax >= 192) pieceMax -= pieceMax % 192;
    if (pieceMax < 16) {
        for (int t = 0; t < n; ++t) out[t * outStride] = branchSum<O>(b, x, i0 + t, hist);
        return;
    }
    D scratch[kScratchElements];
    for (int t0 = 0; t0 < n; t0 += pieceMax) {
        const int piece = n - t0 < pieceMax ? n - t0 : pieceMax;
        const std::int64_t from = i0 + t0 - (c - 1);
        const int len = piece + c - 1;
        for (int u = 0; u < len; ++u) {
            const std::int64_t i = from + u;
            scratch[u] = i >= 0 ? x[i] : hist(int(-i - 1));
        }
        kernel(lanes(b.first), b.stride, c, lanes(scratch + c - 1), kernels::kOneLine,
               lanes(out + std::ptrdiff_t(t0) * outStride), outStride, piece);
    }
}

// The outputs of phases [e0, e1) of numIters iterations (reading numIters*D
// inputs): phase e of iteration t goes to out[(e - e0) + t * (e1 - e0)].
template <class O, class D, class Taps, class Hist>
void filterPhases(const Rate& rt, const Taps& taps, const Hist& hist, const D* x, O* out, int numIters, int e0,
                  int e1) {
    using W = std::remove_cv_t<std::remove_reference_t<decltype(*taps(0).first)>>;
    const int stride = e1 - e0;
    for (int e = e0; e < e1; ++e) {
        // Output e sits at upsampled index j = Pd + e*D; its newest input and branch follow from j - Pu (> -U).
        const std::int64_t t = std::int64_t(rt.downPhase) + std::int64_t(e) * rt.down - rt.upPhase;
        const std::int64_t i0 = t >= 0 ? t / rt.up : -1;
        const Branch<W> b = taps(int(t - i0 * rt.up));
        O* to = out + (e - e0);
        if (b.count == 0) {
            // A phase without taps (more phases than taps) reads no input.
            for (std::int64_t m = 0; m < numIters; ++m) to[m * stride] = O{};
        } else if constexpr (hasBlockKernel<D, W>) {
            vectorPhase<O>(b, i0, rt.down, hist, x, to, stride, numIters);
        } else {
            for (std::int64_t m = 0; m < numIters; ++m) to[m * stride] = branchSum<O>(b, x, i0 + m * rt.down, hist);
        }
    }
}

// numIters iterations: reads numIters*D inputs, writes numIters*U outputs.
template <class O, class D, class Taps, class Hist>
void filterBlock(const Rate& rt, const Taps& taps, const Hist& hist, const D* x, O* out, int numIters) {
    filterPhases(rt, taps, hist, x, out, numIters, 0, rt.up);
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

// The filter order of taps: each polyphase branch of `up` reversed, branches
// one after another (one reversed branch at single rate). Natural taps at
// index `naturalLen` and beyond are padding: not read when packing (their
// packed places keep what they hold) and not written when unpacking.
template <class W>
void packTaps(const W* natural, W* packed, int tapsLen, int up, int naturalLen = INT_MAX) {
    for (int r = 0; r < up && r < tapsLen; ++r) {
        const int c = branchCount(tapsLen, up, r), s = branchStart(tapsLen, up, r);
        for (int m = 0; m < c && r + m * up < naturalLen; ++m) packed[s + c - 1 - m] = natural[r + m * up];
    }
}

template <class W>
void unpackTaps(const W* packed, W* natural, int tapsLen, int up, int naturalLen = INT_MAX) {
    for (int r = 0; r < up && r < tapsLen; ++r) {
        const int c = branchCount(tapsLen, up, r), s = branchStart(tapsLen, up, r);
        for (int m = 0; m < c && r + m * up < naturalLen; ++m) natural[r + m * up] = packed[s + c - 1 - m];
    }
}

}  // namespace vok::fir
