// Radix-4 FFT stages (with one radix-2 stage for odd orders), written once for
// every width and both precisions. Runs of consecutive butterflies of a stage
// share one register of twiddles; stages too short for a register run the
// same arithmetic on single complex values.
#include "kernels/simd.h"
#include "kernels/fft.h"

VOK_SIMD_BEGIN
namespace {

// Loops of scalar complex arithmetic stay scalar: GCC's vectoriser turns a
// complex product into fused multiply-subtract-adds wherever the target has
// them (AVX-512F does, -mno-fma notwithstanding), -ffp-contract=off
// notwithstanding, and the results would then depend on the width. The wide
// loops are vectorised by hand. (Clang keeps -ffp-contract=off and has no
// such attribute.)
#if defined(__clang__)
#define VOK_SCALAR_LOOP
#else
#define VOK_SCALAR_LOOP __attribute__((optimize("no-tree-vectorize")))
#endif

// The fixed-order first passes are flattened into one body each. The checking
// builds (sanitizers, fuzzing) leave inlining to the compiler: the same
// operations in the same order, in half the compile time.
#if VOK_UNROLL_KERNELS
#define VOK_FLATTEN [[gnu::flatten]]
#else
#define VOK_FLATTEN
#endif

// (re, im) -> (im, -re) is a product with -i; with +i it is (-im, re).
template <class T>
inline __attribute__((always_inline)) Vec<T> timesMinusI(Vec<T> v) {
    return negateLanes<T, true>(swapReIm<T>(v));
}
template <class T>
inline __attribute__((always_inline)) Vec<T> timesPlusI(Vec<T> v) {
    return negateLanes<T, false>(swapReIm<T>(v));
}
// A register of twiddles as the stage table keeps them: (re, re) and
// (-im, im) per complex lane, so that a product needs one shuffle only.
template <class T>
struct VTw {
    Vec<T> re, im;
};
// A run of twiddles of a stage of span s: reals k, k+1, ... of the (re, re)
// half and the same reals of the (-im, im) half that follows it.
template <class T>
inline __attribute__((always_inline)) VTw<T> loadTw(const T* run, long long s, long long k) {
    return {load(run + k), load(run + 2 * s + k)};
}
// a·w, or a·conj(w) for the inverse; rounded as (re·re - im·im, re·im + im·re).
template <class T, bool Inv>
inline __attribute__((always_inline)) Vec<T> twiddleMul(Vec<T> a, VTw<T> w) {
    if constexpr (Inv) return a * w.re - swapReIm<T>(a) * w.im;
    else return a * w.re + swapReIm<T>(a) * w.im;
}

// Scalar complex values for stages shorter than a register.
template <class T>
struct Cx {
    T re, im;
};
template <class T>
inline __attribute__((always_inline)) Cx<T> operator+(Cx<T> a, Cx<T> b) { return {a.re + b.re, a.im + b.im}; }
template <class T>
inline __attribute__((always_inline)) Cx<T> operator-(Cx<T> a, Cx<T> b) { return {a.re - b.re, a.im - b.im}; }
template <class T, bool Inv>
inline __attribute__((always_inline)) Cx<T> twiddleMul(Cx<T> a, Cx<T> w) {
    if constexpr (Inv) return {w.re * a.re + w.im * a.im, w.re * a.im - w.im * a.re};
    else return {w.re * a.re - w.im * a.im, w.re * a.im + w.im * a.re};
}
// Product with -i forward, +i inverse.
template <class T, bool Inv>
inline __attribute__((always_inline)) Cx<T> rotate(Cx<T> v) {
    if constexpr (Inv) return {-v.im, v.re};
    else return {v.im, -v.re};
}
template <class T, bool Inv>
inline __attribute__((always_inline)) Vec<T> rotate(Vec<T> v) {
    if constexpr (Inv) return timesPlusI<T>(v);
    else return timesMinusI<T>(v);
}
template <class T>
inline __attribute__((always_inline)) Cx<T> ld(const T* p) { return {p[0], p[1]}; }
// Twiddle k of a run of span s.
template <class T>
inline __attribute__((always_inline)) Cx<T> ldTw(const T* run, long long s, long long k) {
    return {run[2 * k], run[2 * s + 2 * k + 1]};
}
template <class T>
inline __attribute__((always_inline)) void st(T* p, Cx<T> v) {
    p[0] = v.re;
    p[1] = v.im;
}

// One decimation-in-time butterfly on four values (V is Vec<T> with VTw<T>
// twiddles or Cx<T> with Cx<T> twiddles).
// Its 4-point DFT on the twiddled values t1, t2, t3.
template <class T, bool Inv, class V>
inline __attribute__((always_inline)) void ditCombine(V& x0, V& x1, V& x2, V& x3, V t1, V t2, V t3) {
    const V p01 = x0 + t1, m01 = x0 - t1, p23 = t2 + t3, r23 = rotate<T, Inv>(t2 - t3);
    x0 = p01 + p23;
    x2 = p01 - p23;
    x1 = m01 + r23;
    x3 = m01 - r23;
}
template <class T, bool Inv, class V, class W>
inline __attribute__((always_inline)) void ditButterfly(V& x0, V& x1, V& x2, V& x3, W w1, W w2, W w3) {
    ditCombine<T, Inv>(x0, x1, x2, x3, twiddleMul<T, Inv>(x1, w1), twiddleMul<T, Inv>(x2, w2), twiddleMul<T, Inv>(x3, w3));
}
// Its transpose, for decimation in frequency.
template <class T, bool Inv, class V, class W>
inline __attribute__((always_inline)) void difButterfly(V& x0, V& x1, V& x2, V& x3, W w1, W w2, W w3) {
    const V p02 = x0 + x2, m02 = x0 - x2, p13 = x1 + x3, r13 = rotate<T, Inv>(x1 - x3);
    x0 = p02 + p13;
    x1 = twiddleMul<T, Inv>(p02 - p13, w1);
    x2 = twiddleMul<T, Inv>(m02 + r13, w2);
    x3 = twiddleMul<T, Inv>(m02 - r13, w3);
}

// Twiddles kept as plain (re, im) pairs, brought to the multiplying form.
template <class T>
inline __attribute__((always_inline)) VTw<T> loadPackedTw(const T* run, long long k) {
    const Vec<T> w = load(run + k);
    return {dupRe<T>(w), negateLanes<T, false>(dupIm<T>(w))};
}

// The three twiddles of a radix-4 butterfly at offset k, from packed pairs or
// from the multiplying form (runs of span s).
template <bool Packed, class T>
inline __attribute__((always_inline)) void loadTw3(const T* w1, const T* w2, const T* w3, long long s, long long k,
                                                   VTw<T>& t1, VTw<T>& t2, VTw<T>& t3) {
    if constexpr (Packed) {
        t1 = loadPackedTw(w1, k);
        t2 = loadPackedTw(w2, k);
        t3 = loadPackedTw(w3, k);
    } else {
        t1 = loadTw(w1, s, k);
        t2 = loadTw(w2, s, k);
        t3 = loadTw(w3, s, k);
    }
}

// A stage of span s shorter than a register, on single complex values.
template <class T, bool Inv, bool Dit>
VOK_SCALAR_LOOP void radix4StageShort(T* x, long long n, long long s, const T* w1, const T* w2, const T* w3) {
    for (long long base = 0; base < n; base += 4 * s) {
        T* b0 = x + 2 * base;
        for (long long k = 0; k < s; ++k) {
            T* p0 = b0 + 2 * k;
            T* p1 = p0 + 2 * s;
            T* p2 = p1 + 2 * s;
            T* p3 = p2 + 2 * s;
            Cx<T> x0 = ld(p0), x1 = ld(p1), x2 = ld(p2), x3 = ld(p3);
            const Cx<T> v1 = ldTw(w1, s, k), v2 = ldTw(w2, s, k), v3 = ldTw(w3, s, k);
            if constexpr (Dit) ditButterfly<T, Inv>(x0, x1, x2, x3, v1, v2, v3);
            else difButterfly<T, Inv>(x0, x1, x2, x3, v1, v2, v3);
            st(p0, x0);
            st(p1, x1);
            st(p2, x2);
            st(p3, x3);
        }
    }
}

// A whole radix-4 stage of span s (complex points) over n points; Packed for
// a table of plain pairs (spans of at least kPackedSpan). With to, a stage of
// at least a register's span stores its results there instead of in x.
template <class T, bool Inv, bool Dit, bool Packed = false, int S = 0>
void radix4Stage(T* x, long long nRun, long long sRun, const T* tw, T* to = nullptr) {
    // A fixed span (the last stage, n = 4S) makes the row addresses displacements.
    const long long s = S ? S : sRun;
    const long long n = S ? 4 * S : nRun;
    constexpr int L = kLanes<T>;
    constexpr int C = L / 2;  // complex values per register
    const long long run = Packed ? 2 * s : 4 * s;
    const T* w1 = tw;
    const T* w2 = tw + run;
    const T* w3 = tw + 2 * run;
    if (s >= C) {
        const long long apart = to ? to - x : 0;
        for (long long base = 0; base < n; base += 4 * s) {
            T* b0 = x + 2 * base;
            T* b1 = b0 + 2 * s;
            T* b2 = b1 + 2 * s;
            T* b3 = b2 + 2 * s;
            for (long long k = 0; k < 2 * s; k += L) {
                Vec<T> x0 = load(b0 + k), x1 = load(b1 + k), x2 = load(b2 + k), x3 = load(b3 + k);
                VTw<T> v1, v2, v3;
                loadTw3<Packed>(w1, w2, w3, s, k, v1, v2, v3);
                if constexpr (Dit) ditButterfly<T, Inv>(x0, x1, x2, x3, v1, v2, v3);
                else difButterfly<T, Inv>(x0, x1, x2, x3, v1, v2, v3);
                store(b0 + apart + k, x0);
                store(b1 + apart + k, x1);
                store(b2 + apart + k, x2);
                store(b3 + apart + k, x3);
            }
        }
        return;
    }
    if constexpr (!Packed) radix4StageShort<T, Inv, Dit>(x, n, s, w1, w2, w3);
}

// Where a transform of split arrays leaves its results: the arrays, and the
// factor of a scaled transform (applied as the separate scaling pass would).
template <class T>
struct SplitOut {
    T* re;
    T* im;
    T factor;
    bool scaled;
};

// Half a register, loaded whole with loadAs (a partial load into a full
// register would go through the stack).
template <class T>
struct HalfVecOf {
    typedef T type __attribute__((vector_size(kVectorBytes / 2)));
};
template <class T>
using HalfVec = typename HalfVecOf<T>::type;

// The C interleaved values of v to C reals and C imaginary parts, scaled when
// asked: one shuffle, two half-register stores.
template <class T>
inline __attribute__((always_inline)) void storeSplitHalves(const SplitOut<T>& out, long long at, Vec<T> v) {
    constexpr int C = kLanes<T> / 2;
    if (out.scaled) v = v * splat<T>(out.factor);
    const Vec<T> p = permute<T>(v, [](int i) { return i < kLanes<T> / 2 ? 2 * i : 2 * i - kLanes<T> + 1; });
    const auto half = [&]<int From, std::size_t... I>(std::index_sequence<I...>) {
        return HalfVec<T>(__builtin_shufflevector(p, p, (From + int(I))...));
    };
    const HalfVec<T> re = half.template operator()<0>(std::make_index_sequence<C>{});
    const HalfVec<T> im = half.template operator()<C>(std::make_index_sequence<C>{});
    std::memcpy(out.re + at, &re, sizeof re);
    std::memcpy(out.im + at, &im, sizeof im);
}

// The stages of spans s and 4s in one pass: each register column of 16
// points goes through both before it is stored, which halves the loads and
// stores of the data. tw is the table of span s; that of 4s follows it. The
// results go to to (x itself, or a separate array of n values), or with
// split (the last pass) to split arrays.
//
// S and N, when not 0, fix s and n: the row addresses become displacements,
// and the passes of 2^8-2^10 points know their whole loop.
template <class T, bool Inv, int S = 0, int N = 0>
void radix16Pass(T* x, long long nRun, long long sRun, const T* tw, T* to, const SplitOut<T>* split = nullptr) {
    const long long s = S ? S : sRun;
    const long long n = N ? N : nRun;
    constexpr int L = kLanes<T>;
    // Either stage may keep plain pairs.
    const bool packedA = s >= kernels::kPackedSpan;
    const bool packedB = 4 * s >= kernels::kPackedSpan;
    const T* a1 = tw;
    const T* a2 = tw + (packedA ? 2 : 4) * s;
    const T* a3 = tw + (packedA ? 4 : 8) * s;
    const T* b1 = tw + kernels::stageReals(s);
    const T* b2 = b1 + (packedB ? 8 : 16) * s;
    const T* b3 = b1 + (packedB ? 16 : 32) * s;
    const long long apart = to - x;
    // A copy the stores cannot alias: its pointers stay in registers.
    const SplitOut<T> splitTo = split ? *split : SplitOut<T>{};
    for (long long base = 0; base < n; base += 16 * s) {
        T* b = x + 2 * base;
        for (long long k = 0; k < 2 * s; k += L) {
            Vec<T> v[16];
            for (int m = 0; m < 16; ++m) v[m] = load(b + 2 * s * m + k);
            VTw<T> t1, t2, t3;
            if (packedA) loadTw3<true>(a1, a2, a3, s, k, t1, t2, t3);
            else loadTw3<false>(a1, a2, a3, s, k, t1, t2, t3);
            for (int q = 0; q < 16; q += 4) ditButterfly<T, Inv>(v[q], v[q + 1], v[q + 2], v[q + 3], t1, t2, t3);
            for (int q = 0; q < 4; ++q) {
                // Twiddles k + q·s of the longer stage.
                const long long kq = k + 2 * s * q;
                if (packedB)
                    ditButterfly<T, Inv>(v[q], v[q + 4], v[q + 8], v[q + 12], loadPackedTw(b1, kq),
                                         loadPackedTw(b2, kq), loadPackedTw(b3, kq));
                else
                    ditButterfly<T, Inv>(v[q], v[q + 4], v[q + 8], v[q + 12], loadTw(b1, 4 * s, kq),
                                         loadTw(b2, 4 * s, kq), loadTw(b3, 4 * s, kq));
            }
            if (split)
                for (int m = 0; m < 16; ++m) storeSplitHalves(splitTo, base + s * m + k / 2, v[m]);
            else
                for (int m = 0; m < 16; ++m) store(b + apart + 2 * s * m + k, v[m]);
        }
    }
}

// Data of at most this many bytes stay in L1 with their twiddles through a
// pass, whatever rows a butterfly reads.
constexpr long long kL1DataBytes = 32 * 1024;
// The same for the second level (1 MB per core here): a quarter of it, as
// the twiddles of its longest stages take nearly as much again (512 KB was
// slower at 2^19-2^21 points).
constexpr long long kL2DataBytes = 256 * 1024;

// The even (odd) lanes of a, then of b.
template <class T>
inline __attribute__((always_inline)) Vec<T> evenLanes(Vec<T> a, Vec<T> b) {
    return permute2<T>(a, b, [](int i) { return 2 * i; });
}
template <class T>
inline __attribute__((always_inline)) Vec<T> oddLanes(Vec<T> a, Vec<T> b) {
    return permute2<T>(a, b, [](int i) { return 2 * i + 1; });
}

// Interleaved values a, b (2C complex) to C reals and C imaginary parts each,
// scaled when asked.
template <class T>
inline __attribute__((always_inline)) void storeSplit(const SplitOut<T>& out, long long at, Vec<T> a, Vec<T> b) {
    if (out.scaled) {
        a = a * splat<T>(out.factor);
        b = b * splat<T>(out.factor);
    }
    store(out.re + at, evenLanes<T>(a, b));
    store(out.im + at, oddLanes<T>(a, b));
}

// Complex values as a register of real and one of imaginary parts: products
// with ±i cost no shuffles, and a twiddle product none either.
template <class T>
struct SplitVec {
    Vec<T> re, im;
};
template <class T>
inline __attribute__((always_inline)) SplitVec<T> operator+(SplitVec<T> a, SplitVec<T> b) {
    return {a.re + b.re, a.im + b.im};
}
template <class T>
inline __attribute__((always_inline)) SplitVec<T> operator-(SplitVec<T> a, SplitVec<T> b) {
    return {a.re - b.re, a.im - b.im};
}
template <class T, bool Inv>
inline __attribute__((always_inline)) SplitVec<T> rotate(SplitVec<T> v) {
    if constexpr (Inv) return {-v.im, v.re};
    else return {v.im, -v.re};
}
// Rounded as twiddleMul on interleaved lanes (x + y·(-z) is x - y·z exactly).
template <class T, bool Inv>
inline __attribute__((always_inline)) SplitVec<T> twiddleMul(SplitVec<T> a, SplitVec<T> w) {
    if constexpr (Inv) return {a.re * w.re + a.im * w.im, a.im * w.re - a.re * w.im};
    else return {a.re * w.re - a.im * w.im, a.im * w.re + a.re * w.im};
}

// The last stage (n = 4s, s a multiple of a register's reals) straight into
// split arrays, which saves a pass over the data: two registers of each row
// at a time split into whole registers of real and of imaginary parts before
// the butterflies, whose products then need no shuffles; so do their twiddles.
template <class T, bool Inv, bool Packed, int S = 0>
void radix4LastSplit(const T* x, long long sRun, const T* tw, const SplitOut<T>& out) {
    const long long s = S ? S : sRun;
    constexpr int L = kLanes<T>;
    const long long run = Packed ? 2 * s : 4 * s;
    const T* w1 = tw;
    const T* w2 = tw + run;
    const T* w3 = tw + 2 * run;
    // Twiddles k/2 .. k/2 + L - 1 of a run: (re, im) pairs, or the (re, re)
    // pairs and the (-im, im) pairs 2s reals on.
    const auto twiddles = [&](const T* w, long long k) -> SplitVec<T> {
        if constexpr (Packed) {
            const Vec<T> a = load(w + k), b = load(w + k + L);
            return {evenLanes<T>(a, b), oddLanes<T>(a, b)};
        } else {
            return {evenLanes<T>(load(w + k), load(w + k + L)), oddLanes<T>(load(w + 2 * s + k), load(w + 2 * s + k + L))};
        }
    };
    const Vec<T> factor = splat<T>(out.factor);
    const bool scaled = out.scaled;
    T* const re = out.re;
    T* const im = out.im;
    for (long long k = 0; k < 2 * s; k += 2 * L) {
        SplitVec<T> v[4];
        for (int j = 0; j < 4; ++j) {
            const Vec<T> a = load(x + 2 * s * j + k), b = load(x + 2 * s * j + k + L);
            v[j] = {evenLanes<T>(a, b), oddLanes<T>(a, b)};
        }
        ditButterfly<T, Inv>(v[0], v[1], v[2], v[3], twiddles(w1, k), twiddles(w2, k), twiddles(w3, k));
        for (int j = 0; j < 4; ++j) {
            if (scaled) v[j] = {v[j].re * factor, v[j].im * factor};
            store(re + s * j + k / 2, v[j].re);
            store(im + s * j + k / 2, v[j].im);
        }
    }
}

// All of x (n values) into split arrays.
template <class T>
void splitAll(const T* x, long long n, const SplitOut<T>& out) {
    constexpr int L = kLanes<T>;
    long long k = 0;
    for (; k + L <= n; k += L) storeSplit(out, k, load(x + 2 * k), load(x + 2 * k + L));
    for (; k < n; ++k) {
        out.re[k] = out.scaled ? x[2 * k] * out.factor : x[2 * k];
        out.im[k] = out.scaled ? x[2 * k + 1] * out.factor : x[2 * k + 1];
    }
}

// The decimation-in-time stages from span s on, two at a time where the span
// fills registers; tw is the table of span s. With split, the results go to
// split arrays, from the last stage itself where it allows; with out, to that
// separate interleaved array, likewise.
template <class T, bool Inv>
void ditStagesFrom(T* x, long long n, long long s, const T* tw, const SplitOut<T>* split = nullptr,
                   T* out = nullptr) {
    constexpr int C = kLanes<T> / 2;
    // Data past a cache level: the stages whose blocks fit in it run block by
    // block, all of them on one block before the next (the same butterflies
    // in another order), so the data cross the slower level once for them.
    for (const long long bytes : {kL1DataBytes, kL2DataBytes}) {
        const long long block = bytes / (2 * (long long)sizeof(T));
        if (n <= block || 4 * s > block) continue;
        for (long long b = 0; b < n; b += block) ditStagesFrom<T, Inv>(x + 2 * b, block, s, tw);
        for (; 4 * s <= block; s *= 4) tw += kernels::stageReals(s);
    }
    while (4 * s <= n) {
        if (split && 4 * s == n && s % kLanes<T> == 0) {
            if (s == 256) radix4LastSplit<T, Inv, 256 >= kernels::kPackedSpan, 256>(x, s, tw, *split);
            else if (s == 128) radix4LastSplit<T, Inv, 128 >= kernels::kPackedSpan, 128>(x, s, tw, *split);
            else if (s >= kernels::kPackedSpan) radix4LastSplit<T, Inv, true>(x, s, tw, *split);
            else radix4LastSplit<T, Inv, false>(x, s, tw, *split);
            return;
        }
        // Sixteen rows of a longer span share too few cache sets, unless
        // all the data stay in L1 anyway (and the last stage need not write
        // split arrays, which it does best alone).
        const bool shortRows = s * (long long)sizeof(T) <= 256;
        const bool inL1 = 2 * n * (long long)sizeof(T) <= kL1DataBytes && !(split && 16 * s == n);
        if (s >= C && 16 * s <= n && (shortRows || inL1)) {
            if (split && 16 * s == n) {
                // The last pass stores the split arrays itself: no pass to split.
                // Its length is 16 s, fixed with the span (256 points at span 16).
                if (s == 8) radix16Pass<T, Inv, 8>(x, n, s, tw, x, split);
                else if (s == 16) radix16Pass<T, Inv, 16, 256>(x, n, s, tw, x, split);
                else radix16Pass<T, Inv>(x, n, s, tw, x, split);
                return;
            }
            T* to = out && 16 * s == n ? out : x;
            // Fixed spans turn the sixteen row addresses into displacements.
            switch (s) {
                case 2: radix16Pass<T, Inv, 2>(x, n, s, tw, to); break;
                case 4: radix16Pass<T, Inv, 4>(x, n, s, tw, to); break;
                case 8:
                    if (n == 512) radix16Pass<T, Inv, 8, 512>(x, n, s, tw, to);
                    else radix16Pass<T, Inv, 8>(x, n, s, tw, to);
                    break;
                case 16:
                    if (n == 256) radix16Pass<T, Inv, 16, 256>(x, n, s, tw, to);
                    else if (n == 1024) radix16Pass<T, Inv, 16, 1024>(x, n, s, tw, to);
                    else radix16Pass<T, Inv, 16>(x, n, s, tw, to);
                    break;
                case 32: radix16Pass<T, Inv, 32>(x, n, s, tw, to); break;
                case 64: radix16Pass<T, Inv, 64>(x, n, s, tw, to); break;
                // The last pass of 2^11 and 2^12 points in L1: a run-time
                // span there spilled the row addresses.
                case 128: radix16Pass<T, Inv, 128>(x, n, s, tw, to); break;
                case 256: radix16Pass<T, Inv, 256>(x, n, s, tw, to); break;
                default: radix16Pass<T, Inv>(x, n, s, tw, to); break;
            }
            if (to != x) return;
            tw += kernels::stageReals(s) + kernels::stageReals(4 * s);
            s *= 16;
        } else {
            T* to = out && 4 * s == n && s >= C ? out : nullptr;
            if (4 * s == n && s == 256) radix4Stage<T, Inv, true, 256 >= kernels::kPackedSpan, 256>(x, n, s, tw, to);
            else if (4 * s == n && s == 128) radix4Stage<T, Inv, true, 128 >= kernels::kPackedSpan, 128>(x, n, s, tw, to);
            else if (s >= kernels::kPackedSpan) radix4Stage<T, Inv, true, true>(x, n, s, tw, to);
            else radix4Stage<T, Inv, true>(x, n, s, tw, to);
            if (to) return;
            tw += kernels::stageReals(s);
            s *= 4;
        }
    }
    if (split) splitAll(x, n, *split);
    if (out) std::memcpy(out, x, size_t(2 * n) * sizeof(T));
}

// The first stage of span 1 needs no twiddles.
template <class T, bool Inv>
void radix4First(T* x, long long n) {
    for (long long base = 0; base < n; base += 4) {
        T* p = x + 2 * base;
        Cx<T> x0 = ld(p), x1 = ld(p + 2), x2 = ld(p + 4), x3 = ld(p + 6);
        const Cx<T> p01 = x0 + x1, m01 = x0 - x1, p23 = x2 + x3, r23 = rotate<T, Inv>(x2 - x3);
        st(p, p01 + p23);
        st(p + 4, p01 - p23);
        st(p + 2, m01 + r23);
        st(p + 6, m01 - r23);
    }
}
template <class T, bool Inv>
void radix4FirstDif(T* x, long long n) {
    for (long long base = 0; base < n; base += 4) {
        T* p = x + 2 * base;
        Cx<T> x0 = ld(p), x1 = ld(p + 2), x2 = ld(p + 4), x3 = ld(p + 6);
        const Cx<T> p02 = x0 + x2, m02 = x0 - x2, p13 = x1 + x3, r13 = rotate<T, Inv>(x1 - x3);
        st(p, p02 + p13);
        st(p + 2, p02 - p13);
        st(p + 4, m02 + r13);
        st(p + 6, m02 - r13);
    }
}

template <class T>
void radix2Pairs(T* x, long long n) {
    for (long long i = 0; i < n; i += 2) {
        T* p = x + 2 * i;
        const Cx<T> a = ld(p), b = ld(p + 2);
        st(p, a + b);
        st(p + 2, a - b);
    }
}

template <class T, bool Inv>
void ditImpl(T* x, int order, const T* stages) {
    const long long n = 1LL << order;
    if (order == 0) return;
    long long s = 1;
    if (order & 1) {
        radix2Pairs(x, n);
        s = 2;
    }
    const T* tw = stages;
    if (s == 1 && 4 <= n) {
        radix4First<T, Inv>(x, n);
        tw += 12;
        s = 4;
    }
    ditStagesFrom<T, Inv>(x, n, s, tw);
}

template <class T, bool Inv>
void difImpl(T* x, int order, const T* stages) {
    const long long n = 1LL << order;
    if (order == 0) return;
    const long long first = (order & 1) ? 2 : 1;
    long long s = first, offset = 0;
    for (; 4 * s <= n; s *= 4) offset += kernels::stageReals(s);
    for (s /= 4; s >= first; s /= 4) {
        offset -= kernels::stageReals(s);
        if (s == 1) radix4FirstDif<T, Inv>(x, n);
        else if (s >= kernels::kPackedSpan) radix4Stage<T, Inv, false, true>(x, n, s, stages + offset);
        else radix4Stage<T, Inv, false>(x, n, s, stages + offset);
    }
    if (order & 1) radix2Pairs(x, n);
}

template <class T>
void dit(T* x, int order, const T* stages, bool inverse) {
    if (inverse) ditImpl<T, true>(x, order, stages);
    else ditImpl<T, false>(x, order, stages);
}
template <class T>
void dif(T* x, int order, const T* stages, bool inverse) {
    if (inverse) difImpl<T, true>(x, order, stages);
    else difImpl<T, false>(x, order, stages);
}

// ---- natural-order input: the bit reversal fused with the first stages ----
//
// The first F bits of the transform (F = 4: the stages of span 1 and 4; F = 3:
// the pairs and the stage of span 2) run in registers, one transform of 2^F
// points per complex lane. An index of the natural input is (a, b, c): F top
// bits, q middle bits, G bottom bits, G = min(F, order - F). The 2^F values
// one lane needs are a column c of the tile of middle value b, and the 2^F
// results land, contiguous, in row rev(c) of the tile rev(b) of the output.
// Tiles b and rev(b) are read before either is written, so the pass also runs
// in place; the later stages all have spans of at least a register.

constexpr int reverseLow(long long v, int bits) {
    long long r = 0;
    for (int i = 0; i < bits; ++i) {
        r = (r << 1) | (v & 1);
        v >>= 1;
    }
    return int(r);
}


template <class T, bool Inv>
inline __attribute__((always_inline)) void firstButterfly(Vec<T>& x0, Vec<T>& x1, Vec<T>& x2, Vec<T>& x3) {
    const Vec<T> p01 = x0 + x1, m01 = x0 - x1, p23 = x2 + x3, r23 = rotate<T, Inv>(x2 - x3);
    x0 = p01 + p23;
    x1 = m01 + r23;
    x2 = p01 - p23;
    x3 = m01 - r23;
}

// The first F bits on a[0 .. 2^F), given in bit-reversed order; wide holds
// the twiddles of the stage of span 4 (F = 4) or 2 (F = 3) in every lane, as
// the stage table keeps them. They are loaded where they are used: a copy of
// all of them would not stay in registers.
template <class T, bool Inv, int F>
inline __attribute__((always_inline)) void firstBits(Vec<T>* a, const T* wide) {
    constexpr int widest = kernels::kWidestRegister / int(sizeof(T));
    const auto tw = [wide](int j) -> VTw<T> {
        return {load(wide + 2 * j * widest), load(wide + (2 * j + 1) * widest)};
    };
    if constexpr (F == 1 || F == 3) {
        for (int g = 0; g < (1 << F); g += 2) {
            const Vec<T> u = a[g], v = a[g + 1];
            a[g] = u + v;
            a[g + 1] = u - v;
        }
        // Twiddles 1 at k = 0; the first twiddle of k = 1 is -i.
        if constexpr (F == 3) {
            ditCombine<T, Inv>(a[0], a[2], a[4], a[6], a[2], a[4], a[6]);
            ditCombine<T, Inv>(a[1], a[3], a[5], a[7], rotate<T, Inv>(a[3]), twiddleMul<T, Inv>(a[5], tw(3)),
                               twiddleMul<T, Inv>(a[7], tw(5)));
        }
    } else {
        for (int g = 0; g < (1 << F); g += 4) firstButterfly<T, Inv>(a[g], a[g + 1], a[g + 2], a[g + 3]);
        // Twiddles 1 at k = 0; the first twiddle of k = 2 is -i.
        if constexpr (F == 4) {
            ditCombine<T, Inv>(a[0], a[4], a[8], a[12], a[4], a[8], a[12]);
            ditButterfly<T, Inv>(a[1], a[5], a[9], a[13], tw(1), tw(5), tw(9));
            ditCombine<T, Inv>(a[2], a[6], a[10], a[14], rotate<T, Inv>(a[6]), twiddleMul<T, Inv>(a[10], tw(6)),
                               twiddleMul<T, Inv>(a[14], tw(10)));
            ditButterfly<T, Inv>(a[3], a[7], a[11], a[15], tw(3), tw(7), tw(11));
        }
    }
}

// The F-bit reversals of 0 .. 2^F - 1.
template <int F>
struct BitReversal {
    int v[1 << F];
    constexpr BitReversal() : v{} {
        for (int k = 0; k < (1 << F); ++k) v[k] = reverseLow(k, F);
    }
};

// (re0, im0, re1, im1, ...) from half a register of each.
template <class T>
inline __attribute__((always_inline)) Vec<T> interleaveHalves(HalfVec<T> re, HalfVec<T> im) {
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return Vec<T>(__builtin_shufflevector(re, im, ((I & 1) * (kLanes<T> / 2) + I / 2)...));
    }(std::make_index_sequence<kLanes<T>>{});
}

// Stage-table reals the first F bits use up.
constexpr int firstOffset(int f) { return f == 4 ? 60 : f == 3 ? 24 : f == 2 ? 12 : 0; }

// With srcIm, src and srcIm are split arrays of the input, interleaved tile by
// tile on the way in; x is then work memory apart from them. Split input
// comes from orders of at least 6 only, whose tile rows hold at least half a
// register of each part (float at order 6 runs the 256-bit kernels).
//
// Fixed, when not 0, is the order: every row offset is then a constant.
template <class T, bool Inv, int F, int Fixed = 0>
void ditNaturalImpl(const T* src, T* x, int order, const T* stages, const T* srcIm = nullptr,
                    const SplitOut<T>* split = nullptr, T* out = nullptr) {
    if constexpr (Fixed != 0) order = Fixed;
    constexpr int P = 1 << F;
    constexpr int L = kLanes<T>;
    constexpr int C = L / 2;
    const int g = order - F < F ? order - F : F;
    const int q = order - F - g;
    const int cols = 1 << g;
    constexpr int fixedColumns = Fixed == 0 ? 0 : ((1 << (Fixed - F < F ? Fixed - F : F)) + C - 1) / C;
    const long long n = 1LL << order;
    const long long rowStride = 1LL << (order - F), dstStride = 1LL << (order - g);
    if (srcIm && cols < C) __builtin_unreachable();

    const T* wide = stages + kernels::firstPassOffset(order);
    static constexpr BitReversal<F> revF{};

    // A tile is read where it lies, or from a copy: rows of at least a
    // register (short rows padded with zeros), taken when the results would
    // overwrite values still to be read.
    constexpr int maxPitch = P > C ? P : C;
    const int pitch = cols > C ? cols : C;
    alignas(64) T copy[2 * P * maxPitch];
    if (cols < C) std::memset(copy, 0, sizeof copy);
    const auto gather = [&](long long b) {
        for (int a = 0; a < P; ++a) {
            const T* from = src + 2 * (a * rowStride + b * cols);
            T* to = copy + 2 * a * pitch;
            if (cols < C) std::memcpy(to, from, sizeof(T) * 2 * unsigned(cols));
            else
                for (int j = 0; j < 2 * cols; j += L) store(to + j, load(from + j));
        }
    };
    // Offsets (in reals) of the rows a lane reads, in the order the first
    // bits take them, from the array and from the copy, and of the output
    // row of each column; taken once, not per tile.
    long long srcRow[P], copyRow[P], outRow[P];
    for (int k = 0; k < P; ++k) {
        srcRow[k] = 2 * revF.v[k] * rowStride;
        copyRow[k] = 2 * revF.v[k] * (long long)pitch;
    }
    // Straight from the reversal, not through an array of ints: wide loads
    // of values just stored one by one would wait for the stores to retire.
    for (int c = 0; c < cols; ++c) outRow[c] = 2 * (g == F ? revF.v[c] : reverseLow(c, g)) * dstStride;
    long long splitRow[P];
    for (int k = 0; k < P; ++k) splitRow[k] = revF.v[k] * rowStride;
    // The tile at tile (rows row[k] apart), or with re, im a tile of split
    // input, interleaved in registers as it is read: half a register of
    // real parts and half of imaginary parts make one of complex values.
    const auto transformAny = [&]<bool SplitIn>(const T* tile, const long long* row, long long rb, const T* re,
                                                const T* im) {
        T* const out = x + 2 * rb * P;
        const auto column = [&](int c0) __attribute__((always_inline)) {
            const int lanes = cols - c0 < C ? cols - c0 : C;
            Vec<T> a[P];
            if constexpr (SplitIn)
                for (int k = 0; k < P; ++k)
                    a[k] = interleaveHalves<T>(loadAs<HalfVec<T>>(re + row[k] + c0),
                                                loadAs<HalfVec<T>>(im + row[k] + c0));
            else
                for (int k = 0; k < P; ++k) a[k] = load(tile + row[k] + 2 * c0);
            firstBits<T, Inv, F>(a, wide);
            if constexpr (P >= C) {
                // Whole registers: C x C transposes turn the lanes into rows.
                if (SplitIn || lanes == C) {
                    // c0 and c have no bit in common, nor have their
                    // reversals: the offset of column c0 + c is the sum of
                    // the two, and that of c a constant in a fixed order.
                    T* const group = out + outRow[c0];
                    for (int k0 = 0; k0 < P; k0 += C) {
                        Vec<T> r[C];
                        for (int j = 0; j < C; ++j) r[j] = a[k0 + j];
                        transposeComplex<T>(r);
                        for (int c = 0; c < C; ++c) store(group + outRow[c] + 2 * k0, r[c]);
                    }
                    return;
                }
            }
            if constexpr (SplitIn && P >= C) return;
            alignas(64) T v[P][L];
            for (int k = 0; k < P; ++k) store(v[k], a[k]);
            const auto put = [&](int c) {
                T* d = out + outRow[c0 + c];
                for (int k = 0; k < P; ++k) std::memcpy(d + 2 * k, &v[k][2 * c], 2 * sizeof(T));
            };
            if (lanes == C)
                for (int c = 0; c < C; ++c) put(c);
            else
                for (int c = 0; c < lanes; ++c) put(c);
        };
        // A fixed order of two register columns runs both in line: their
        // output rows become displacements (a loop reads them back from the
        // stack). More columns stay a loop, for the size of the code.
        if constexpr (fixedColumns == 2) {
            column(0);
            column(C);
        } else {
            for (int c0 = 0; c0 < cols; c0 += C) column(c0);
        }
    };
    const auto transform = [&](const T* tile, const long long* row, long long rb) {
        transformAny.template operator()<false>(tile, row, rb, nullptr, nullptr);
    };
    const auto transformSplit = [&](const long long* row, long long rb, const T* re, const T* im) {
        transformAny.template operator()<true>(nullptr, row, rb, re, im);
    };
    const bool inPlace = src == x;
    for (long long b = 0; b < (1LL << q); ++b) {
        const long long rb = reverseLow(b, q);
        if (rb < b) continue;
        if (F >= 3 && srcIm) {
            // x is apart from the arrays: tiles b and rb need no copy.
            transformSplit(splitRow, rb, src + b * cols, srcIm + b * cols);
            if (rb != b) transformSplit(splitRow, b, src + rb * cols, srcIm + rb * cols);
            continue;
        }
        // A tile of one register column is read whole before any result is
        // stored, so it needs no copy even in place.
        if (cols < C || (inPlace && rb == b && cols > C)) {
            gather(b);
            transform(copy, copyRow, rb);
        } else if (rb == b || !inPlace) {
            transform(src + 2 * b * cols, srcRow, rb);
            if (rb != b) transform(src + 2 * rb * cols, srcRow, b);
        } else {
            // Tile rb is saved before the results of tile b replace it.
            gather(rb);
            transform(src + 2 * b * cols, srcRow, rb);
            transform(copy, copyRow, b);
        }
    }

    if constexpr (Fixed != 0) return;  // the caller runs the later stages
    ditStagesFrom<T, Inv>(x, n, P, stages + firstOffset(F), split, out);
}

// The first pass of a fixed order with everything in it inlined: its row
// offsets become displacements, and no table of them is built per call.
// Split input gets a copy of its own: one copy for both forms spilled
// registers at every order.
template <class T, bool Inv, int F, int Order, bool SplitIn>
VOK_FLATTEN void firstPassFixed(const T* src, T* x, const T* stages, const T* srcIm) {
    if (SplitIn && !srcIm) __builtin_unreachable();
    ditNaturalImpl<T, Inv, F, Order>(src, x, Order, stages, SplitIn ? srcIm : nullptr);
}
template <class T, bool Inv, int F, int Order>
void ditNaturalFixed(const T* src, T* x, const T* stages, const T* srcIm, const SplitOut<T>* split, T* out) {
    if (srcIm) firstPassFixed<T, Inv, F, Order, true>(src, x, stages, srcIm);
    else firstPassFixed<T, Inv, F, Order, false>(src, x, stages, nullptr);
    ditStagesFrom<T, Inv>(x, 1LL << Order, 1 << F, stages + firstOffset(F), split, out);
}
// ditNaturalImpl at the orders that have a fixed first pass; false at the others.
template <class T, bool Inv>
bool ditNaturalFixedOrder(const T* src, T* x, int order, const T* stages, const T* srcIm = nullptr,
                          const SplitOut<T>* split = nullptr, T* out = nullptr) {
    switch (order) {
        case 7: ditNaturalFixed<T, Inv, 3, 7>(src, x, stages, srcIm, split, out); return true;
        case 8: ditNaturalFixed<T, Inv, 4, 8>(src, x, stages, srcIm, split, out); return true;
        case 9: ditNaturalFixed<T, Inv, 3, 9>(src, x, stages, srcIm, split, out); return true;
        case 10: ditNaturalFixed<T, Inv, 4, 10>(src, x, stages, srcIm, split, out); return true;
        case 11: ditNaturalFixed<T, Inv, 3, 11>(src, x, stages, srcIm, split, out); return true;
        default: return false;
    }
}

template <class T, bool Inv>
void ditNaturalDispatch(const T* src, T* x, int order, const T* stages) {
    if (ditNaturalFixedOrder<T, Inv>(src, x, order, stages)) return;
    if (order == 0) {
        if (src != x) std::memcpy(x, src, 2 * sizeof(T));
    } else if (order & 1) {
        if (order == 1) ditNaturalImpl<T, Inv, 1>(src, x, order, stages);
        else ditNaturalImpl<T, Inv, 3>(src, x, order, stages);
    } else {
        if (order == 2) ditNaturalImpl<T, Inv, 2>(src, x, order, stages);
        else ditNaturalImpl<T, Inv, 4>(src, x, order, stages);
    }
}

// Split arrays in and out through the interleaved work memory x, orders of
// at least 6 (the general kernels' range).
template <class T, bool Inv>
void splitNaturalImpl(const T* re, const T* im, T* x, const SplitOut<T>& out, int order, const T* stages) {
    if (ditNaturalFixedOrder<T, Inv>(re, x, order, stages, im, &out)) return;
    if (order & 1) ditNaturalImpl<T, Inv, 3>(re, x, order, stages, im, &out);
    else ditNaturalImpl<T, Inv, 4>(re, x, order, stages, im, &out);
}
template <class T>
void splitNatural(const T* re, const T* im, T* x, T* reOut, T* imOut, int order, const T* stages, bool inverse,
                  bool scaled) {
    const SplitOut<T> out{reOut, imOut, T(1.0 / double(1LL << order)), scaled};
    if (inverse) splitNaturalImpl<T, true>(re, im, x, out, order, stages);
    else splitNaturalImpl<T, false>(re, im, x, out, order, stages);
}

// Through the work memory x, apart from src and out, orders of at least 6:
// the last stage stores to out.
template <class T, bool Inv>
void ditNaturalToImpl(const T* src, T* x, T* out, int order, const T* stages) {
    if (ditNaturalFixedOrder<T, Inv>(src, x, order, stages, nullptr, nullptr, out)) return;
    if (order & 1) ditNaturalImpl<T, Inv, 3>(src, x, order, stages, nullptr, nullptr, out);
    else ditNaturalImpl<T, Inv, 4>(src, x, order, stages, nullptr, nullptr, out);
}
template <class T>
void ditNaturalTo(const T* src, T* x, T* out, int order, const T* stages, bool inverse) {
    if (inverse) ditNaturalToImpl<T, true>(src, x, out, order, stages);
    else ditNaturalToImpl<T, false>(src, x, out, order, stages);
}

template <class T>
void ditNatural(const T* src, T* x, int order, const T* stages, bool inverse) {
    if (!src) src = x;
    if (inverse) ditNaturalDispatch<T, true>(src, x, order, stages);
    else ditNaturalDispatch<T, false>(src, x, order, stages);
}

// ---- recombination of the half-length transform of a real forward FFT ----
//
// For 0 < k < M/2, with z_k, z_(M-k) the half-length results and (a, b) the
// recombination entry of k: delta = Re z_k - Re z_(M-k), sigma = Im z_k +
// Im z_(M-k), u = b delta + a sigma, v = b sigma - a delta; then z_k becomes
// (Re z_(M-k) + u, v - Im z_(M-k)) and z_(M-k) becomes (Re z_k - u, v - Im z_k).
// A register takes C values of k upwards and their partners downwards.

// Complex lanes in reverse order.
template <class T>
inline __attribute__((always_inline)) Vec<T> reverseComplex(Vec<T> v) {
    return permute<T>(v, [](int i) { return kLanes<T> - 2 - (i & ~1) + (i & 1); });
}
// Real lanes of re, imaginary lanes of im.
template <class T>
inline __attribute__((always_inline)) Vec<T> blendReIm(Vec<T> re, Vec<T> im) {
    const IndexVec<T> odd = laneMask<T>([](int i) { return (i & 1) ? -1 : 0; });
    return Vec<T>(((IndexVec<T>)re & ~odd) | ((IndexVec<T>)im & odd));
}

// For the inverse sign the twiddle is conjugated: u = b delta - a sigma,
// v = a delta + b sigma; z_k becomes z_k - (u, v) and z_(M-k) becomes
// (Re z_(M-k) + u, Im z_(M-k) - v).
//
// Packed, each result pair k lands one real lower (the caller's packed
// layout, R_k at 2k-1 and I_k at 2k), which saves a pass to move them. The
// shifted stores of the upper pairs overwrite the imaginary part of the
// next pair down, still to be read: carry keeps it.
template <class T, bool Inv, bool Packed>
VOK_SCALAR_LOOP void realPost(T* x, long long m, const T* recomb) {
    constexpr int L = kLanes<T>;
    constexpr int C = L / 2;
    constexpr int shift = Packed ? 1 : 0;
    const Vec<T> neg = reNegator<T>();
    T carry = x[2 * m - 1];  // Im z_(M-k) of the next k
    long long k = 1;
    // Packed, each upper run is loaded before the stores of the run above
    // it: loaded after them it would be overwritten, and a load overlapping
    // a pending store in part stalls.
    Vec<T> qRaw{};
    if (Packed && 1 + C <= m / 2) qRaw = load(x + 2 * (m - C));
    for (; k + C <= m / 2; k += C) {
        T* pp = x + 2 * k;
        T* qp = x + 2 * (m - k - C + 1);
        if constexpr (!Packed) qRaw = load(qp);
        const Vec<T> p = load(pp), q = reverseComplex<T>(qRaw), r = load(recomb + 2 * (k - 1));
        const Vec<T> e = blendReIm<T>(p - q, p + q);
        const Vec<T> turned = (dupRe<T>(r) * swapReIm<T>(e)) * neg;
        Vec<T> low, high;
        if constexpr (Inv) {
            const Vec<T> w = dupIm<T>(r) * e + turned;
            low = p - w;
            high = reverseComplex<T>(q - w * neg);
        } else {
            const Vec<T> w = dupIm<T>(r) * e - turned;
            low = w - q * neg;
            high = reverseComplex<T>((p - w) * -neg);
        }
        if constexpr (Packed) {
            carry = qp[-1];
            if (k + 2 * C <= m / 2) qRaw = load(qp - 2 * C);
        }
        store(pp - shift, low);
        store(qp - shift, high);
    }
    for (; k < m / 2; ++k) {
        T* pp = x + 2 * k;
        T* qp = x + 2 * (m - k);
        const T a = recomb[2 * (k - 1)], b = recomb[2 * (k - 1) + 1];
        const T pr = pp[0], pi = pp[1], qr = qp[0], qi = Packed ? carry : qp[1];
        if constexpr (Packed) carry = qp[-1];
        const T delta = pr - qr, sigma = pi + qi;
        T* po = pp - shift;
        T* qo = qp - shift;
        if constexpr (Inv) {
            const T u = b * delta - a * sigma, v = a * delta + b * sigma;
            po[0] = pr - u;
            po[1] = pi - v;
            qo[0] = qr + u;
            qo[1] = qi - v;
        } else {
            const T u = b * delta + a * sigma, v = b * sigma - a * delta;
            po[0] = u + qr;
            po[1] = v - qi;
            qo[0] = pr - u;
            qo[1] = v - pi;
        }
    }
    if constexpr (Packed) {
        // Z_(M/2), conjugated forward; carry holds its imaginary part.
        x[m - 1] = x[m];
        x[m] = Inv ? carry : -carry;
    }
}
template <class T, bool Inv>
void realPostLayout(T* x, long long m, const T* recomb, bool packed) {
    if (packed) realPost<T, Inv, true>(x, m, recomb);
    else realPost<T, Inv, false>(x, m, recomb);
}

// ---- the pre-processing of a spectrum-to-real transform ----
//
// For 0 < k < M/2, with X_k, X_(M-k) the spectrum values and (c, s) = W_N^k
// from the large table (s of the opposite sign for the forward direction):
// delta = Re X_k - Re X_(M-k), sigma = Im X_k + Im X_(M-k), and the sum and
// difference S = Re X_k + Re X_(M-k), D = Im X_k - Im X_(M-k); t = s delta -
// c sigma, p = c delta + s sigma; X_k becomes (S + t, D + p) and X_(M-k)
// becomes (S - t, p - D). A register takes C values of k upwards and their
// partners downwards, as in the recombination.

// In place on a packed spectrum (in = x + 1) each result pair lands one real
// above its input and overwrites the real part of the next pair up, still to
// be read: each lower run is loaded before the stores of the run below it
// (a load overlapping a pending store in part would also stall), and carry
// keeps the real for the scalar tail.
template <class T, bool Shifted>
VOK_SCALAR_LOOP void ccsPreImpl(const T* in, T* x, long long m, const T* large, bool inverse) {
    constexpr int L = kLanes<T>;
    constexpr int C = L / 2;
    const Vec<T> neg = reNegator<T>();
    // The sign of s, applied as an exact product.
    const T sign = inverse ? T(1) : T(-1);
    const Vec<T> signs = splat<T>(sign);
    T carry = in[0];  // Re X_k of the next k
    long long k = 1;
    Vec<T> pRaw{};
    if (Shifted && 1 + C <= m / 2) pRaw = load(in);
    for (; k + C <= m / 2; k += C) {
        T* pp = x + 2 * k;
        T* qp = x + 2 * (m - k - C + 1);
        if constexpr (!Shifted) pRaw = load(in + 2 * (k - 1));
        const Vec<T> p = pRaw, q = reverseComplex<T>(load(in + 2 * (m - k - C))), w = load(large + 2 * k);
        const Vec<T> sum = p + q, diff = p - q;
        const Vec<T> e = blendReIm<T>(diff, sum);  // (delta, sigma)
        const Vec<T> f = blendReIm<T>(sum, diff);  // (S, D)
        const Vec<T> g = (dupIm<T>(w) * signs) * e + (dupRe<T>(w) * swapReIm<T>(e)) * neg;  // (t, p)
        if constexpr (Shifted) {
            carry = in[2 * (k + C - 1)];
            if (k + 2 * C <= m / 2) pRaw = load(in + 2 * (k + C - 1));
        }
        store(pp, f + g);
        store(qp, reverseComplex<T>((f - g) * -neg));
    }
    for (; k < m / 2; ++k) {
        T* pp = x + 2 * k;
        T* qp = x + 2 * (m - k);
        const T c = large[2 * k], s = sign * large[2 * k + 1];
        const T kr = Shifted ? carry : in[2 * k - 2], ki = in[2 * k - 1], mr = in[2 * (m - k) - 2],
                mi = in[2 * (m - k) - 1];
        if constexpr (Shifted) carry = in[2 * k];
        const T delta = kr - mr, sigma = ki + mi, dd = ki - mi, ss = kr + mr;
        const T t = s * delta - c * sigma, pr = c * delta + s * sigma;
        pp[0] = ss + t;
        pp[1] = dd + pr;
        qp[0] = ss - t;
        qp[1] = pr - dd;
    }
}
template <class T>
void ccsPre(const T* in, T* x, long long m, const T* large, bool inverse) {
    if (in == x + 1) ccsPreImpl<T, true>(in, x, m, large, inverse);
    else ccsPreImpl<T, false>(in, x, m, large, inverse);
}

// ---- split arrays ----

template <class T>
void interleave(const T* re, const T* im, T* x, long long n) {
    constexpr int L = kLanes<T>;
    long long k = 0;
    for (; k + L <= n; k += L) {
        const Vec<T> a = load(re + k), b = load(im + k);
        store(x + 2 * k, permute2<T>(a, b, [](int i) { return (i & 1) * kLanes<T> + i / 2; }));
        store(x + 2 * k + L, permute2<T>(a, b, [](int i) { return (i & 1) * kLanes<T> + kLanes<T> / 2 + i / 2; }));
    }
    for (; k < n; ++k) {
        x[2 * k] = re[k];
        x[2 * k + 1] = im[k];
    }
}
template <class T>
void deinterleave(const T* x, T* re, T* im, long long n) {
    constexpr int L = kLanes<T>;
    long long k = 0;
    for (; k + L <= n; k += L) {
        const Vec<T> a = load(x + 2 * k), b = load(x + 2 * k + L);
        store(re + k, evenLanes<T>(a, b));
        store(im + k, oddLanes<T>(a, b));
    }
    for (; k < n; ++k) {
        re[k] = x[2 * k];
        im[k] = x[2 * k + 1];
    }
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const FftTable VOK_KERNEL_TABLE(fft) = {
    {simd::VOK_ISA::dit<float>, simd::VOK_ISA::dif<float>, simd::VOK_ISA::ditNatural<float>,
     simd::VOK_ISA::realPostLayout<float, false>, simd::VOK_ISA::realPostLayout<float, true>, simd::VOK_ISA::ccsPre<float>,
     simd::VOK_ISA::interleave<float>, simd::VOK_ISA::deinterleave<float>, simd::VOK_ISA::splitNatural<float>,
     simd::VOK_ISA::ditNaturalTo<float>},
    {simd::VOK_ISA::dit<double>, simd::VOK_ISA::dif<double>, simd::VOK_ISA::ditNatural<double>,
     simd::VOK_ISA::realPostLayout<double, false>, simd::VOK_ISA::realPostLayout<double, true>,
     simd::VOK_ISA::ccsPre<double>, simd::VOK_ISA::interleave<double>, simd::VOK_ISA::deinterleave<double>,
     simd::VOK_ISA::splitNatural<double>, simd::VOK_ISA::ditNaturalTo<double>},
};
}  // namespace vok::kernels
