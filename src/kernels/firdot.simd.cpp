// Block FIR dot products, written once for every width. Lanes are outputs:
// for each tap the kernel broadcasts the tap and adds its products into a
// block of accumulator registers, one shifted load of the delay line per
// register.
#include "kernels/simd.h"
#include "kernels/firdot.h"

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

inline __attribute__((always_inline)) void putFloats(float* out, std::ptrdiff_t stride, Vec<double> acc, int count) {
    const HalfFloat f = __builtin_convertvector(acc, HalfFloat);
    if (stride == 1 && count == V) {
        std::memcpy(out, &f, sizeof f);
        return;
    }
    for (int l = 0; l < count; ++l) out[l * stride] = f[l];
}

// R registers of outputs starting at output t0; `last` lanes are valid in the
// final register (V for full blocks).
template <int R, bool Partial>
inline __attribute__((always_inline)) void realBlock(const float* taps, std::ptrdiff_t tapStride, int count,
                                                     const float* data, const int* offsets, int t0, float* out,
                                                     std::ptrdiff_t outStride, int last) {
    Vec<double> acc[R];
#pragma GCC unroll 16
    for (int v = 0; v < R; ++v) acc[v] = Vec<double>{};
    auto step = [&](const float* q, double tap) __attribute__((always_inline)) {
        const Vec<double> h = splat(tap);
#pragma GCC unroll 16
        for (int v = 0; v < R; ++v) {
            const Vec<double> x = (Partial && v == R - 1) ? widenPartial(q + v * V, last) : widen(q + v * V);
            acc[v] += h * x;
        }
    };
    const float* p = data + t0;
    const float* w = taps;
    if (!offsets) {
        for (int j = 0; j < count; ++j, w += tapStride) step(p - j, double(*w));
    } else {
        for (int j = 0; j < count; ++j, w += tapStride) step(p + offsets[j], double(*w));
    }
#pragma GCC unroll 16
    for (int v = 0; v < R; ++v)
        putFloats(out + (t0 + v * V) * outStride, outStride, acc[v], (Partial && v == R - 1) ? last : V);
}

void realFloat(const float* taps, std::ptrdiff_t tapStride, int count, const float* data, const int* offsets,
               float* out, std::ptrdiff_t outStride, int n) {
    int t = 0;
    for (; t + kBlock * V <= n; t += kBlock * V)
        realBlock<kBlock, false>(taps, tapStride, count, data, offsets, t, out, outStride, V);
    for (; t + V <= n; t += V) realBlock<1, false>(taps, tapStride, count, data, offsets, t, out, outStride, V);
    if (t < n) realBlock<1, true>(taps, tapStride, count, data, offsets, t, out, outStride, n - t);
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const FirDotTable VOK_KERNEL_TABLE(firdot) = {simd::VOK_ISA::realFloat};
}
