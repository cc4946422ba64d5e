// Block FIR dot products, written once for every width. Lanes are outputs:
// for each tap the kernel broadcasts the tap and adds its products into a
// block of accumulator registers, one shifted load of the delay line per
// register.
#include "kernels/simd.h"
#include "core/scale16.h"
#include "kernels/firdot.h"

#include <immintrin.h>

#include <cstdint>
#include <type_traits>

VOK_SIMD_BEGIN
namespace {

constexpr int V = kLanes<double>;
// Registers of outputs per block: AVX-512 has 32 registers, the others 16.
constexpr int kBlock = kVectorBytes == 64 ? 8 : 6;

// V floats or V 16-bit samples, the lanes one double register widens.
typedef float HalfFloat __attribute__((vector_size(kVectorBytes / 2)));
typedef short ShortLanes __attribute__((vector_size(kVectorBytes / 4)));

// Floats widened to doubles, one conversion per register: GCC lowers
// __builtin_convertvector from floats to doubles in halves with inserts (and
// element by element at 16 bytes), which cost as much as the products.
inline __attribute__((always_inline)) Vec<double> widenFloats(const float* p) {
#if VOK_VECTOR_BYTES == 64
    return Vec<double>(_mm512_maskz_cvtps_pd(__mmask8(0xFF), _mm256_loadu_ps(p)));
#elif VOK_VECTOR_BYTES == 32
    return Vec<double>(_mm256_cvtps_pd(_mm_loadu_ps(p)));
#else
    double pair;
    std::memcpy(&pair, p, sizeof pair);
    return Vec<double>(_mm_cvtps_pd(_mm_castpd_ps(_mm_set_sd(pair))));
#endif
}
// The low and the high half of a float register.
#if VOK_VECTOR_BYTES == 64
// Through the all-lanes masked forms: the plain ones pass an undefined
// register that GCC 12 warns of once inlined.
template <int Half>
inline __attribute__((always_inline)) __m512d widenHalf(__m512 v) {
    const __m256d half = _mm512_maskz_extractf64x4_pd(__mmask8(0xFF), _mm512_castps_pd(v), Half);
    return _mm512_maskz_cvtps_pd(__mmask8(0xFF), _mm256_castpd_ps(half));
}
#endif
inline __attribute__((always_inline)) Vec<double> widenLow(Vec<float> v) {
#if VOK_VECTOR_BYTES == 64
    return Vec<double>(widenHalf<0>(__m512(v)));
#elif VOK_VECTOR_BYTES == 32
    return Vec<double>(_mm256_cvtps_pd(_mm256_castps256_ps128(__m256(v))));
#else
    return Vec<double>(_mm_cvtps_pd(__m128(v)));
#endif
}
inline __attribute__((always_inline)) Vec<double> widenHigh(Vec<float> v) {
#if VOK_VECTOR_BYTES == 64
    return Vec<double>(widenHalf<1>(__m512(v)));
#elif VOK_VECTOR_BYTES == 32
    return Vec<double>(_mm256_cvtps_pd(_mm256_extractf128_ps(__m256(v), 1)));
#else
    return Vec<double>(_mm_cvtps_pd(_mm_movehl_ps(__m128(v), __m128(v))));
#endif
}

// V lanes of data as doubles, or the first `count` of them (zeros above).
inline __attribute__((always_inline)) Vec<double> lanesFull(const double* p) { return load<double>(p); }
inline __attribute__((always_inline)) Vec<double> lanesFull(const float* p) { return widenFloats(p); }
inline __attribute__((always_inline)) Vec<double> lanesFull(const short* p) {
    ShortLanes h;
    std::memcpy(&h, p, sizeof h);
    return __builtin_convertvector(h, Vec<double>);
}
inline __attribute__((always_inline)) Vec<double> lanesPartial(const double* p, int count) {
    return loadPartial<double>(p, count);
}
inline __attribute__((always_inline)) Vec<double> lanesPartial(const float* p, int count) {
    float h[V] = {};
    std::memcpy(h, p, sizeof(float) * unsigned(count));
    return widenFloats(h);
}
inline __attribute__((always_inline)) Vec<double> lanesPartial(const short* p, int count) {
    ShortLanes h{};
    std::memcpy(&h, p, sizeof(short) * unsigned(count));
    return __builtin_convertvector(h, Vec<double>);
}

// `count` lanes of an output register (V, or fewer in the last one) to
// out[l * stride]; complex outputs (OL = 2) go as pairs, stride in elements.
template <int OL>
inline __attribute__((always_inline)) void putLanes(float* out, std::ptrdiff_t stride, Vec<double> acc, int count) {
    const HalfFloat f = __builtin_convertvector(acc, HalfFloat);
    if (stride == 1 && count == V) {
        std::memcpy(out, &f, sizeof f);
        return;
    }
    for (int l = 0; l < count; l += OL)
        for (int k = 0; k < OL; ++k) out[(l / OL) * stride * OL + k] = f[l + k];
}
template <int OL>
inline __attribute__((always_inline)) void putLanes(double* out, std::ptrdiff_t stride, Vec<double> acc, int count) {
    if (stride == 1 && count == V) {
        store<double>(out, acc);
        return;
    }
    for (int l = 0; l < count; l += OL)
        for (int k = 0; k < OL; ++k) out[(l / OL) * stride * OL + k] = acc[l + k];
}
template <int OL>
inline __attribute__((always_inline)) void putLanes(std::int32_t* out, std::ptrdiff_t stride, Vec<double> acc,
                                                    int count) {
    for (int l = 0; l < count; ++l) out[l * stride] = vok::saturate32Rounded(acc[l]);
}

// One element type pairing: DL and WL lanes per data and tap element (1 real,
// 2 complex) of lane types DS and WS; outputs are complex when either is.
// Positions, strides and offsets count elements.
template <class DS, class WS, class OS, int DL, int WL>
struct Pairing {
    static constexpr int OL = DL == 2 || WL == 2 ? 2 : 1;
    static constexpr int E = V / OL;  // output elements per register

    // The data of E outputs from element p, as lanes of the output (real
    // data under complex taps appears twice, once for re and once for im).
    template <bool Partial>
    static inline __attribute__((always_inline)) Vec<double> data(const DS* p, int elems) {
        if constexpr (DL == OL) {
            return Partial ? lanesPartial(p, elems * DL) : lanesFull(p);
        } else {
            const Vec<double> x = lanesPartial(p, Partial ? elems : E);
            return permute<double>(x, [](int i) { return i >> 1; });
        }
    }

    // Tap j prepared once for all registers of a block.
    struct Tap {
        Vec<double> a, b;
    };
    static inline __attribute__((always_inline)) Tap tap(const WS* w) {
        if constexpr (WL == 1) {
            return {splat(double(w[0])), Vec<double>{}};
        } else if constexpr (DL == 1) {
            Vec<double> t{};
            for (int i = 0; i < V; ++i) t[i] = double(w[i & 1]);
            return {t, Vec<double>{}};
        } else {
            // re += wr*xr - wi*xi, im += wr*xi + wi*xr: the (-wi, +wi) pattern
            // rounds -(wi*xi) exactly as the scalar subtraction does.
            Vec<double> t{};
            for (int i = 0; i < V; ++i) t[i] = (i & 1) ? double(w[1]) : -double(w[1]);
            return {splat(double(w[0])), t};
        }
    }
    static inline __attribute__((always_inline)) Vec<double> term(const Tap& t, Vec<double> x) {
        if constexpr (DL == 2 && WL == 2) return t.a * x + t.b * swapReIm<double>(x);
        else return t.a * x;
    }

    // R registers of outputs starting at output t0; `last` output elements
    // are valid in the final register (E for full blocks).
    template <int R, bool Partial>
    static inline __attribute__((always_inline)) void block(const WS* taps, std::ptrdiff_t tapStride, int count,
                                                            const DS* data0, vok::kernels::Streams streams, int t0,
                                                            OS* out, std::ptrdiff_t outStride, int last) {
        Vec<double> acc[R];
#pragma GCC unroll 16
        for (int v = 0; v < R; ++v) acc[v] = Vec<double>{};
        auto step = [&](const DS* q, const WS* w) __attribute__((always_inline)) {
            const Tap h = tap(w);
#pragma GCC unroll 16
            for (int v = 0; v < R; ++v) {
                const bool part = Partial && v == R - 1;
                const Vec<double> x = part ? data<true>(q + v * E * DL, last) : data<false>(q + v * E * DL, E);
                acc[v] += term(h, x);
            }
        };
        const DS* p = data0 + std::ptrdiff_t(t0) * DL;
        const WS* w = taps;
        const std::ptrdiff_t ws = tapStride * WL;
        if (streams.down == 1) {
            for (int j = 0; j < count; ++j, w += ws) step(p - std::ptrdiff_t(j) * DL, w);
        } else {
            // Taps in order: one from each stream, then the next older input.
            const std::ptrdiff_t hop = streams.stride * DL;
            for (int j0 = 0; j0 < count; j0 += streams.down, p -= DL) {
                const int j1 = count - j0 < streams.down ? count : j0 + streams.down;
                const DS* q = p;
                for (int j = j0; j < j1; ++j, w += ws, q -= hop) step(q, w);
            }
        }
#pragma GCC unroll 16
        for (int v = 0; v < R; ++v)
            putLanes<OL>(out + (std::ptrdiff_t(t0) + v * E) * outStride * OL, outStride, acc[v],
                         ((Partial && v == R - 1) ? last : E) * OL);
    }

    static void run(const WS* taps, std::ptrdiff_t tapStride, int count, const DS* data0,
                    vok::kernels::Streams streams, OS* out, std::ptrdiff_t outStride, int n) {
        int t = 0;
        for (; t + kBlock * E <= n; t += kBlock * E)
            block<kBlock, false>(taps, tapStride, count, data0, streams, t, out, outStride, E);
        for (; t + E <= n; t += E) block<1, false>(taps, tapStride, count, data0, streams, t, out, outStride, E);
        if (t < n) block<1, true>(taps, tapStride, count, data0, streams, t, out, outStride, n - t);
    }
};

template <class DS, class WS, class OS>
constexpr vok::kernels::FirDotPairings<DS, WS, OS> pairings() {
    return {Pairing<DS, WS, OS, 1, 1>::run, Pairing<DS, WS, OS, 2, 2>::run, Pairing<DS, WS, OS, 2, 1>::run,
            Pairing<DS, WS, OS, 1, 2>::run};
}

// A register whose lane i is lane Map{}(i) of the K registers r, their lanes
// numbered one after another: one shuffle from a single register, else a chain
// of two-source shuffles, each bringing in the lanes of one more register.
template <class T, int K, class Map>
struct Gather {
    static constexpr int N = kLanes<T>;
    template <int R>
    static inline __attribute__((always_inline)) Vec<T> merge(Vec<T> acc, Vec<T> r) {
        return permute2<T>(acc, r, [](int i) { return Map{}(i) / N == R ? N + Map{}(i) % N : i; });
    }
    template <int... R>
    static inline __attribute__((always_inline)) Vec<T> chain(const Vec<T>* r, std::integer_sequence<int, R...>) {
        Vec<T> acc = permute2<T>(r[0], r[1], [](int i) { return Map{}(i) / N < 2 ? Map{}(i) : 0; });
        ((acc = merge<R + 2>(acc, r[R + 2])), ...);
        return acc;
    }
    static inline __attribute__((always_inline)) Vec<T> from(const Vec<T>* r) {
        if constexpr (K == 1) return permute<T>(r[0], [](int i) { return Map{}(i); });
        else return chain(r, std::make_integer_sequence<int, K - 2>{});
    }
};

// Deinterleaving by a factor D of 2 to 8: EPR elements of every phase per
// step, from D registers of the source (D * EPR consecutive elements), each
// phase's register merged from them by a chain of two-source shuffles. Float
// sources are shuffled as floats, twice the lanes per shuffle, and widened
// after; the others are widened first.
template <class S, int D, int EL>
struct Phases {
    using T = std::conditional_t<sizeof(S) == sizeof(float), float, double>;  // lanes shuffled
    static constexpr int N = kLanes<T>;
    static constexpr int EPR = N / EL;
    // Lane i of phase P's register is source lane at(P, i) of the step.
    static constexpr int at(int p, int i) { return ((i / EL) * D + p) * EL + i % EL; }

    static inline __attribute__((always_inline)) Vec<T> source(const S* p) {
        if constexpr (sizeof(S) == sizeof(float)) return load<float>(p);
        else return lanesFull(p);
    }
    static inline __attribute__((always_inline)) void put(double* to, Vec<T> v) {
        if constexpr (sizeof(T) == sizeof(float)) {
            store<double>(to, widenLow(v));
            store<double>(to + V, widenHigh(v));
        } else {
            store<double>(to, v);
        }
    }

    template <int P>
    struct Lanes {
        constexpr int operator()(int i) const { return at(P, i); }
    };
    template <int... P>
    static inline __attribute__((always_inline)) void step(const S* src, int first, double* dst,
                                                           std::ptrdiff_t lanesStride,
                                                           std::integer_sequence<int, P...>) {
        Vec<T> r[D];
#pragma GCC unroll 8
        for (int k = 0; k < D; ++k) r[k] = source(src + k * N);
        ((P >= first ? put(dst + (P - first) * lanesStride, Gather<T, D, Lanes<P>>::from(r))
                     : void()),
         ...);
    }
    static int run(const S* src, int first, int count, double* dst, std::ptrdiff_t stride) {
        const std::ptrdiff_t lanesStride = stride * EL;
        int u = 0;
        for (; u + EPR <= count; u += EPR)
            step(src + std::ptrdiff_t(u) * D * EL, first, dst + std::ptrdiff_t(u) * EL, lanesStride,
                 std::make_integer_sequence<int, D>{});
        return u;
    }
};

// Float sources of an even factor D, real or complex: each shuffled register
// holds V lanes of two phases, low half and high half, which widen straight
// into the two phases' streams. Half as many elements per step as Phases, but
// one shuffle chain per two phases instead of one per phase, and each chain
// reads half the registers.
template <int D, int EL>
struct PhasePairs {
    static_assert(D % 2 == 0);
    static constexpr int N = kLanes<float>;
    static constexpr int H = N / 2;          // lanes of one phase per register
    static constexpr int EPH = H / EL;       // elements of every phase per step
    static constexpr int K = D / 2;          // source registers per step (D * H lanes)
    // Lane i of the register of phases P and P + 1 is source lane at(P, i) of the step.
    static constexpr int at(int p, int i) {
        const int q = i < H ? p : p + 1, l = i % H;
        return ((l / EL) * D + q) * EL + l % EL;
    }

    template <int P>
    struct Lanes {
        constexpr int operator()(int i) const { return at(P, i); }
    };
    template <int... Q>
    static inline __attribute__((always_inline)) void step(const float* src, int first, double* dst,
                                                           std::ptrdiff_t lanesStride,
                                                           std::integer_sequence<int, Q...>) {
        Vec<float> r[K];
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k) r[k] = load<float>(src + k * N);
        auto put = [&](auto pairIndex) __attribute__((always_inline)) {
            constexpr int P = 2 * decltype(pairIndex)::value;
            if (P + 1 < first) return;
            const Vec<float> v = Gather<float, K, Lanes<P>>::from(r);
            if (P >= first) store<double>(dst + (P - first) * lanesStride, widenLow(v));
            store<double>(dst + (P + 1 - first) * lanesStride, widenHigh(v));
        };
        (put(std::integral_constant<int, Q>{}), ...);
    }
    static int run(const float* src, int first, int count, double* dst, std::ptrdiff_t stride) {
        const std::ptrdiff_t lanesStride = stride * EL;
        int u = 0;
        for (; u + EPH <= count; u += EPH)
            step(src + std::ptrdiff_t(u) * D * EL, first, dst + std::ptrdiff_t(u) * EL, lanesStride,
                 std::make_integer_sequence<int, D / 2>{});
        return u;
    }
};

template <class S, int D, int EL>
int deinterleaveBy(const S* src, int first, int count, double* dst, std::ptrdiff_t stride) {
    if constexpr (std::is_same_v<S, float> && D % 2 == 0) return PhasePairs<D, EL>::run(src, first, count, dst, stride);
    else return Phases<S, D, EL>::run(src, first, count, dst, stride);
}

template <class S, int EL>
int deinterleaveVector(const S* src, int down, int first, int count, double* dst, std::ptrdiff_t stride) {
    switch (down) {
        case 2: return deinterleaveBy<S, 2, EL>(src, first, count, dst, stride);
        case 3: return deinterleaveBy<S, 3, EL>(src, first, count, dst, stride);
        case 4: return deinterleaveBy<S, 4, EL>(src, first, count, dst, stride);
        case 5: return deinterleaveBy<S, 5, EL>(src, first, count, dst, stride);
        case 6: return deinterleaveBy<S, 6, EL>(src, first, count, dst, stride);
        case 7: return deinterleaveBy<S, 7, EL>(src, first, count, dst, stride);
        case 8: return deinterleaveBy<S, 8, EL>(src, first, count, dst, stride);
        default: return 0;
    }
}

template <class S>
void deinterleave(const S* src, int lanes, int down, int first, int count, double* dst, std::ptrdiff_t stride) {
    const int done = lanes == 2 ? deinterleaveVector<S, 2>(src, down, first, count, dst, stride)
                                : deinterleaveVector<S, 1>(src, down, first, count, dst, stride);
    // The rest (and factors above 8) element by element.
    for (int p = first; p < down; ++p) {
        double* to = dst + std::ptrdiff_t(p - first) * stride * lanes;
        for (int u = done; u < count; ++u)
            for (int l = 0; l < lanes; ++l)
                to[std::ptrdiff_t(u) * lanes + l] = double(src[(std::ptrdiff_t(u) * down + p) * lanes + l]);
    }
}

template <class S>
void widen(const S* src, int count, double* dst) {
    int i = 0;
    for (; i + 4 * V <= count; i += 4 * V) {
#pragma GCC unroll 4
        for (int k = 0; k < 4; ++k) store<double>(dst + i + k * V, lanesFull(src + i + k * V));
    }
    for (; i + V <= count; i += V) store<double>(dst + i, lanesFull(src + i));
    for (; i < count; ++i) dst[i] = double(src[i]);
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
using namespace simd::VOK_ISA;
const FirDotTable VOK_KERNEL_TABLE(firdot) = {
    pairings<float, float, float>(),
    pairings<double, double, double>(),
    pairings<double, float, float>(),
    Pairing<short, float, std::int32_t, 1, 1>::run,
    Pairing<double, float, std::int32_t, 1, 1>::run,
    deinterleave<float>,
    deinterleave<double>,
    deinterleave<short>,
    widen<float>,
    widen<short>,
};
}
