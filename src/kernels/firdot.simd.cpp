// Block FIR dot products, written once for every width. Lanes are outputs:
// for each tap the kernel broadcasts the tap and adds its products into a
// block of accumulator registers, one shifted load of the delay line per
// register.
#include "kernels/simd.h"
#include "kernels/firdot.h"

#include <cstdint>

VOK_SIMD_BEGIN
namespace {

constexpr int V = kLanes<double>;
// Registers of outputs per block: AVX-512 has 32 registers, the others 16.
constexpr int kBlock = kVectorBytes == 64 ? 8 : 6;

// V floats, the lanes one double register widens.
typedef float HalfFloat __attribute__((vector_size(kVectorBytes / 2)));

inline __attribute__((always_inline)) Vec<double> widen(const float* p) {
    HalfFloat h;
    std::memcpy(&h, p, sizeof h);
    return __builtin_convertvector(h, Vec<double>);
}
inline __attribute__((always_inline)) Vec<double> widenPartial(const float* p, int count) {
    HalfFloat h{};
    std::memcpy(&h, p, sizeof(float) * unsigned(count));
    return __builtin_convertvector(h, Vec<double>);
}

// `count` floats of an output register (V, or fewer in the last one) to
// out[l * stride]; complex outputs go as pairs, stride in elements.
template <int OL>
inline __attribute__((always_inline)) void putFloats(float* out, std::ptrdiff_t stride, Vec<double> acc, int count) {
    const HalfFloat f = __builtin_convertvector(acc, HalfFloat);
    if (stride == 1 && count == V) {
        std::memcpy(out, &f, sizeof f);
        return;
    }
    for (int l = 0; l < count; l += OL)
        for (int k = 0; k < OL; ++k) out[(l / OL) * stride * OL + k] = f[l + k];
}

// One element type pairing: DL and WL float lanes per data and tap element
// (1 real, 2 complex); outputs are complex when either is. Positions, strides
// and offsets count elements.
template <int DL, int WL>
struct Pairing {
    static constexpr int OL = DL == 2 || WL == 2 ? 2 : 1;
    static constexpr int E = V / OL;  // output elements per register

    // The data of E outputs from element p, as lanes of the output (real
    // data under complex taps appears twice, once for re and once for im).
    template <bool Partial>
    static inline __attribute__((always_inline)) Vec<double> data(const float* p, int elems) {
        if constexpr (DL == OL) {
            return Partial ? widenPartial(p, elems * DL) : widen(p);
        } else {
            const Vec<double> x = widenPartial(p, Partial ? elems : E);
            return permute<double>(x, [](int i) { return i >> 1; });
        }
    }

    // Tap j prepared once for all registers of a block.
    struct Tap {
        Vec<double> a, b;
    };
    static inline __attribute__((always_inline)) Tap tap(const float* w) {
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
    static inline __attribute__((always_inline)) void block(const float* taps, std::ptrdiff_t tapStride, int count,
                                                            const float* data0, const int* offsets, int t0,
                                                            float* out, std::ptrdiff_t outStride, int last) {
        Vec<double> acc[R];
#pragma GCC unroll 16
        for (int v = 0; v < R; ++v) acc[v] = Vec<double>{};
        auto step = [&](const float* q, const float* w) __attribute__((always_inline)) {
            const Tap h = tap(w);
#pragma GCC unroll 16
            for (int v = 0; v < R; ++v) {
                const bool part = Partial && v == R - 1;
                const Vec<double> x = part ? data<true>(q + v * E * DL, last) : data<false>(q + v * E * DL, E);
                acc[v] += term(h, x);
            }
        };
        const float* p = data0 + std::ptrdiff_t(t0) * DL;
        const float* w = taps;
        const std::ptrdiff_t ws = tapStride * WL;
        if (!offsets) {
            for (int j = 0; j < count; ++j, w += ws) step(p - std::ptrdiff_t(j) * DL, w);
        } else {
            for (int j = 0; j < count; ++j, w += ws) step(p + std::ptrdiff_t(offsets[j]) * DL, w);
        }
#pragma GCC unroll 16
        for (int v = 0; v < R; ++v)
            putFloats<OL>(out + (std::ptrdiff_t(t0) + v * E) * outStride * OL, outStride, acc[v],
                          ((Partial && v == R - 1) ? last : E) * OL);
    }

    static void run(const float* taps, std::ptrdiff_t tapStride, int count, const float* data0, const int* offsets,
                    float* out, std::ptrdiff_t outStride, int n) {
        int t = 0;
        for (; t + kBlock * E <= n; t += kBlock * E)
            block<kBlock, false>(taps, tapStride, count, data0, offsets, t, out, outStride, E);
        for (; t + E <= n; t += E) block<1, false>(taps, tapStride, count, data0, offsets, t, out, outStride, E);
        if (t < n) block<1, true>(taps, tapStride, count, data0, offsets, t, out, outStride, n - t);
    }
};

// 16-bit samples under float taps: sums in double, rounded to the nearest
// 32-bit integer (ties to even) and saturated, as the scalar filters do.
typedef short ShortLanes __attribute__((vector_size(kVectorBytes / 4)));

inline __attribute__((always_inline)) Vec<double> widenShorts(const short* p, int count) {
    ShortLanes h{};
    std::memcpy(&h, p, sizeof(short) * unsigned(count));
    return __builtin_convertvector(h, Vec<double>);
}

inline __attribute__((always_inline)) std::int32_t roundToInt32(double v) {
    const double r = __builtin_nearbyint(v);
    if (!(r >= -2147483648.0)) return -2147483647 - 1;
    if (r > 2147483647.0) return 2147483647;
    return std::int32_t(r);
}

template <int R>
inline __attribute__((always_inline)) void shortBlock(const float* taps, std::ptrdiff_t tapStride, int count,
                                                      const short* data, const int* offsets, int t0, std::int32_t* out,
                                                      std::ptrdiff_t outStride, int last) {
    Vec<double> acc[R];
#pragma GCC unroll 16
    for (int v = 0; v < R; ++v) acc[v] = Vec<double>{};
    auto step = [&](const short* q, float w) __attribute__((always_inline)) {
        const Vec<double> h = splat(double(w));
#pragma GCC unroll 16
        for (int v = 0; v < R; ++v) acc[v] += h * widenShorts(q + v * V, v == R - 1 ? last : V);
    };
    const short* p = data + t0;
    const float* w = taps;
    if (!offsets) {
        for (int j = 0; j < count; ++j, w += tapStride) step(p - j, *w);
    } else {
        for (int j = 0; j < count; ++j, w += tapStride) step(p + offsets[j], *w);
    }
    for (int v = 0; v < R; ++v)
        for (int l = 0; l < (v == R - 1 ? last : V); ++l)
            out[(std::ptrdiff_t(t0) + v * V + l) * outStride] = roundToInt32(acc[v][l]);
}

void shortByReal(const float* taps, std::ptrdiff_t tapStride, int count, const short* data, const int* offsets,
                 std::int32_t* out, std::ptrdiff_t outStride, int n) {
    int t = 0;
    for (; t + kBlock * V <= n; t += kBlock * V) shortBlock<kBlock>(taps, tapStride, count, data, offsets, t, out, outStride, V);
    for (; t < n; t += V) shortBlock<1>(taps, tapStride, count, data, offsets, t, out, outStride, n - t < V ? n - t : V);
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
using namespace simd::VOK_ISA;
const FirDotTable VOK_KERNEL_TABLE(firdot) = {Pairing<1, 1>::run, Pairing<2, 2>::run, Pairing<2, 1>::run,
                                              Pairing<1, 2>::run, shortByReal};
}
