// The IIR recursions of the floating-point filters, written once for every
// combination of input, coefficient and delay-line types.
//
// Float data are worked in double and double data in long double; a value is
// rounded to its element type only when it is stored (output, delay line).
#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "core/check.h"
#include "vok/frame.h"

#include "core/complex.h"
#include "filter/iircascade.h"
#include "vok/iir.h"

namespace vok::iir {

template <class R>
using WideReal = std::conditional_t<std::is_same_v<R, float>, double, long double>;

template <class A>
struct WideComplex {
    A re, im;
};

// The working type of an element type.
template <class T>
using Wide = std::conditional_t<isComplex<T>, WideComplex<WideReal<RealOf<T>>>, WideReal<RealOf<T>>>;

template <class T>
inline Wide<T> widen(const T& x) {
    if constexpr (isComplex<T>) return {x.re, x.im};
    else return x;
}

// Widened to the (possibly complex) working type W.
template <class W, class T>
inline W widenTo(const T& x) {
    if constexpr (std::is_arithmetic_v<W>) return static_cast<W>(x);
    else if constexpr (isComplex<T>) return {x.re, x.im};
    else return {x, 0};
}

template <class T, class W>
inline T narrow(const W& x) {
    using R = RealOf<T>;
    if constexpr (isComplex<T>) return {static_cast<R>(x.re), static_cast<R>(x.im)};
    else return static_cast<T>(x);
}

template <class A>
inline WideComplex<A> operator+(WideComplex<A> a, WideComplex<A> b) { return {a.re + b.re, a.im + b.im}; }
template <class A>
inline WideComplex<A> operator-(WideComplex<A> a, WideComplex<A> b) { return {a.re - b.re, a.im - b.im}; }
template <class A>
inline WideComplex<A> operator*(WideComplex<A> a, WideComplex<A> b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
// A real factor scales both parts (the plain complex product with a zero imaginary part).
template <class A>
inline WideComplex<A> operator*(A a, WideComplex<A> b) { return {a * b.re, a * b.im}; }
template <class A>
inline WideComplex<A> operator*(WideComplex<A> a, A b) { return {a.re * b, a.im * b}; }

template <class T>
inline bool isZero(const T& x) {
    if constexpr (isComplex<T>) return x.re == 0 && x.im == 0;
    else return x == 0;  // -0.0 compares equal
}

// 1 / a as the library's complex division computes it: k = 1 / |a|^2 in
// double, then (a.re k, -a.im k). Real types take the plain reciprocal.
template <class T>
inline T reciprocal(const T& a) {
    if constexpr (isComplex<T>) {
        using R = RealOf<T>;
        const double re = a.re, im = a.im;
        const double k = 1.0 / (re * re + im * im);
        return {static_cast<R>(re * k), static_cast<R>(-im * k)};
    } else {
        return T(1) / a;
    }
}

template <class T>
inline T product(const T& a, const T& b) {
    if constexpr (isComplex<T>) return complexMul(a, b);
    else return a * b;
}

// In-place normalisation of b0..bN, a0..aN: b_k c at k, a_k c at N + k, c = 1 / a0.
template <class C>
void normaliseArbitrary(C* taps, int order) {
    const C c = reciprocal(taps[order + 1]);
    for (int k = 0; k <= order; ++k) taps[k] = product(taps[k], c);
    for (int k = 1; k <= order; ++k) taps[order + k] = product(taps[order + 1 + k], c);
}

// Index of the first section whose b0 or a0 is zero, or -1.
template <class C>
int firstZeroSection(const C* taps, int numQuads) {
    for (int q = 0; q < numQuads; ++q)
        if (isZero(taps[6 * q]) || isZero(taps[6 * q + 3])) return q;
    return -1;
}

// In-place biquad layout: G at 0, then a1/a0, a2/a0, b1/b0, b2/b0 per section.
// Each section is read whole before its four results are written, which only
// reach places of this or earlier sections.
template <class C>
void normaliseBiquads(C* taps, int numQuads) {
    C gain{};
    if constexpr (isComplex<C>) gain = {1, 0};
    else gain = 1;
    for (int q = 0; q < numQuads; ++q) {
        const C* s = taps + 6 * q;
        const C b0 = s[0], b1 = s[1], b2 = s[2], a0 = s[3], a1 = s[4], a2 = s[5];
        const C ra = reciprocal(a0), rb = reciprocal(b0);
        gain = product(gain, product(b0, ra));
        C* d = taps + 1 + 4 * q;
        d[0] = product(a1, ra);
        d[1] = product(a2, ra);
        d[2] = product(b1, rb);
        d[3] = product(b2, rb);
    }
    taps[0] = gain;
}

// One sample through the arbitrary-order section (delays after the adders).
template <class I, class C, class O>
inline O stepArbitrary(const C* taps, O* d, int order, const I& samp) {
    using W = Wide<O>;
    const W x = widenTo<W>(samp);
    const auto b0 = widen(taps[0]);
    if (order == 0) return narrow<O>(b0 * x);
    const W y = b0 * x + widen(d[0]);
    for (int k = 1; k < order; ++k) d[k - 1] = narrow<O>(widen(taps[k]) * x - widen(taps[order + k]) * y + widen(d[k]));
    d[order - 1] = narrow<O>(widen(taps[order]) * x - widen(taps[2 * order]) * y);
    return narrow<O>(y);
}

// One sample through the biquad cascade; (w1, w2) of section q at d[2q], d[2q + 1].
template <class I, class C, class O>
inline O stepBiquads(const C* taps, O* d, int numQuads, const I& samp) {
    using W = Wide<O>;
    W v = widen(taps[0]) * widenTo<W>(samp);
    for (int q = 0; q < numQuads; ++q) {
        const C* s = taps + 1 + 4 * q;
        const W w1 = widen(d[2 * q]), w2 = widen(d[2 * q + 1]);
        const W w = v - widen(s[0]) * w1 - widen(s[1]) * w2;
        v = w + widen(s[2]) * w1 + widen(s[3]) * w2;
        d[2 * q + 1] = d[2 * q];
        d[2 * q] = narrow<O>(w);
    }
    return narrow<O>(v);
}

template <class I, class C, class O>
inline O step(const IirTapState& t, O* d, const I& samp) {
    const C* taps = static_cast<const C*>(t.taps);
    return t.isBiquad ? stepBiquads<I, C, O>(taps, d, t.order / 2, samp) : stepArbitrary<I, C, O>(taps, d, t.order, samp);
}

// The one-sample recursion of a short cascade with the coefficients and the
// delay line in locals, so that nothing goes through memory between samples;
// the delay values are still rounded to O at every sample, as stepBiquads does.
template <int NQ, class I, class C, class O>
void exactBiquads(const C* taps, O* d, const I* in, O* out, int n) {
    using W = Wide<O>;
    const C g = taps[0];
    C c[NQ][4];  // widened at each use: long double locals would not fit the x87 registers
    O w1[NQ], w2[NQ];
    for (int q = 0; q < NQ; ++q) {
        for (int k = 0; k < 4; ++k) c[q][k] = taps[1 + 4 * q + k];
        w1[q] = d[2 * q];
        w2[q] = d[2 * q + 1];
    }
    for (int i = 0; i < n; ++i) {
        W v = widen(g) * widenTo<W>(in[i]);
        for (int q = 0; q < NQ; ++q) {
            const W a = widen(w1[q]), b = widen(w2[q]);
            const W w = v - widen(c[q][0]) * a - widen(c[q][1]) * b;
            v = w + widen(c[q][2]) * a + widen(c[q][3]) * b;
            w2[q] = w1[q];
            w1[q] = narrow<O>(w);
        }
        out[i] = narrow<O>(v);
    }
    for (int q = 0; q < NQ; ++q) {
        d[2 * q] = w1[q];
        d[2 * q + 1] = w2[q];
    }
}

template <class I, class C, class O>
void blockBiquads(const C* taps, O* d, int nq, const I* in, O* out, int n) {
    // Long blocks run as parallel segments (filter/iircascade.h): float data
    // in double, double data with their feedback sums compensated to the
    // accuracy of the long double recursion (plain double segments came to
    // over twice its error on resonant cascades).
    if constexpr ((std::is_same_v<O, float> || std::is_same_v<O, double>) && std::is_same_v<I, O> &&
                  std::is_same_v<C, O>) {
        const int done = kernels::biquadSegments<O>(taps, d, nq, in, out, n);
        in += done, out += done, n -= done;
    }
    // The long double recursion of double data keeps its values on the x87
    // stack; locals only add spills there.
    if constexpr (std::is_same_v<WideReal<RealOf<O>>, double>) {
        switch (nq) {
            case 1: return exactBiquads<1, I, C, O>(taps, d, in, out, n);
            case 2: return exactBiquads<2, I, C, O>(taps, d, in, out, n);
            case 3: return exactBiquads<3, I, C, O>(taps, d, in, out, n);
            case 4: return exactBiquads<4, I, C, O>(taps, d, in, out, n);
            default: break;
        }
    }
    for (int i = 0; i < n; ++i) out[i] = stepBiquads<I, C, O>(taps, d, nq, in[i]);
}

template <class I, class C, class O>
void block(const IirTapState& t, O* d, const I* in, O* out, int n) {
    const C* taps = static_cast<const C*>(t.taps);
    if (t.isBiquad) {
        blockBiquads<I, C, O>(taps, d, t.order / 2, in, out, n);
    } else {
        const int order = t.order;
        for (int i = 0; i < n; ++i) out[i] = stepArbitrary<I, C, O>(taps, d, order, in[i]);
    }
}

// ---- Check groups and set-up steps shared by the floating-point and 16-bit
// modules; each reports under the ArgChecks (function, module) it is given. ----

// The record tests shared by the delay-line set-up and the filters.
inline void tapRecordTests(const CheckAll& all, const IirTapState* t) {
    all(!t->taps, "structure *tapStPtr wasn't initialized");
    all(t->isBiquad != 0 && t->isBiquad != 1, "structure *tapStPtr wasn't initialized");
}

// The argument checks of a tap record's set-up, arbitrary order or biquads
// (the count under its own message), and the record's filling.
template <class C>
bool tapSetUpFails(const CheckAll& all, int iirType, const C* taps, bool biquad, int count, const char* badCount,
                   const IirTapState* tapStPtr) {
    all(!tapStPtr, "tapStPtr==0");
    all(!taps, "taps==0");
    all(biquad ? count < 1 : count < 0, badCount);
    all(iirType != 0 && iirType != 1, "iirType is out of range");
    return all.failed();
}

template <class C>
void fillTapRecord(IirTapState* tapStPtr, int iirType, C* taps, bool biquad, int count) {
    tapStPtr->order = biquad ? 2 * count : count;
    tapStPtr->taps = taps;
    tapStPtr->iirType = iirType;
    tapStPtr->isBiquad = biquad ? 1 : 0;
}

template <class O>
void initDlyl(ArgChecks check, const IirTapState* tapStPtr, O* dlyl, IirDlyState* dlyStPtr) {
    const CheckAll all{check};
    all(!tapStPtr, "tapStPtr==0");
    all(!dlyStPtr, "dlyStPtr==0");
    if (all.failed()) return;
    tapRecordTests(all, tapStPtr);
    all(tapStPtr->order > 0 && !dlyl, "dlyl==0");
    if (all.failed()) return;
    dlyStPtr->dlyl = dlyl;
    if (tapStPtr->order > 0) std::memset(static_cast<void*>(dlyl), 0, sizeof(O) * std::size_t(tapStPtr->order));
}

inline bool recordsFail(const CheckAll& all, const IirTapState* tapStPtr, const IirDlyState* dlyStPtr) {
    tapRecordTests(all, tapStPtr);
    all(tapStPtr->order > 0 && !dlyStPtr->dlyl, "structure *dlyStPtr wasn't initialized");
    return all.failed();
}

// A request that does not fit the allocator's byte count fails like any other.
inline void* allocateBytes(long long bytes) { return bytes > 0x7FFFFFFF ? nullptr : vokMalloc(int(bytes)); }

template <class C>
using TapInit = void(VOK_CALL*)(int, C*, int, IirTapState*);
template <class O>
using DlyInit = void(VOK_CALL*)(const IirTapState*, O*, IirDlyState*);

// The steps shared by the arbitrary-order and biquad set-ups: tapCount
// coefficients and dlyCount delay elements, the sizes already validated.
// tapInit and dlyInit are the exported two-state Init functions on purpose: a
// failure there is reported under their own name, then traced by this one.
template <class C, class O>
void setUp(ArgChecks check, int iirType, const C* tapVals, int count, IirState* statePtr, bool biquad,
           TapInit<C> tapInit, DlyInit<O> dlyInit) {
    const CheckAll all{check};
    all(!statePtr, "statePtr==0");
    all(!tapVals, "tapVals==0");
    if (all.failed()) return;
    if (biquad) all(count < 1, "numQuads <= 0");
    else all(count < 0, "order < 0");
    all(iirType != 0 && iirType != 1, "iirType is out of range");
    all(statePtr->initMarker == VOK_IIR_INIT_MARKER,
        "IIR filter state structure is already initialized! Use vokIirFree to free it");
    if (all.failed()) return;

    const long long tapCount = biquad ? 6LL * count : 2LL * count + 2;
    const long long dlyCount = biquad ? 2LL * count : count;
    C* taps = static_cast<C*>(allocateBytes((long long)sizeof(C) * tapCount));
    if (!taps) check.report(VOK_StatusNoMemory, "insufficiency of memory for IIR filter state", __LINE__);
    O* dlyl = static_cast<O*>(allocateBytes((long long)sizeof(O) * dlyCount));
    if (!dlyl) check.report(VOK_StatusNoMemory, "insufficiency of memory for IIR filter state", __LINE__);
    if (vokGetErrStatus() < 0) {
        vokFree(taps);
        vokFree(dlyl);
        return;
    }

    statePtr->initMarker = VOK_IIR_INIT_MARKER;
    std::memcpy(static_cast<void*>(taps), tapVals, sizeof(C) * std::size_t(tapCount));
    tapInit(iirType, taps, count, &statePtr->tapState);
    if (vokGetErrStatus() != 0) {
        check.backtrace(__LINE__);
        vokFree(taps);
        vokFree(dlyl);
        statePtr->initMarker = 0;
        return;
    }
    dlyInit(&statePtr->tapState, dlyl, &statePtr->dlyState);
}

// statePtr and initMarker, each followed by the stop on a negative status.
inline bool stateFails(ArgChecks check, const IirState* statePtr) {
    check(!statePtr, "statePtr==0");
    if (vokGetErrStatus() < 0) return true;
    check(statePtr->initMarker != VOK_IIR_INIT_MARKER, "IIR filter wasn't initialized");
    return vokGetErrStatus() < 0;
}

}  // namespace vok::iir
