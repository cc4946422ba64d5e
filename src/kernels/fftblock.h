// Complex FFTs of a few dozen points, natural order, as an A x B block held
// in registers: B points side by side in one vector (real and imaginary
// parts in vectors of their own), a transform of A points down the rows for
// all B columns at once, the twiddles of the block, a transpose of B x B
// tiles and a transform of B points, again lane by lane. Every operation is
// the same lane-wise arithmetic at every width, so the results are too.
#pragma once

#include "kernels/dispatch.h"

namespace vok::kernels {

// re, im: interleaved data in re (im unused), or split arrays. The input may
// be the output: every point is loaded before any result is stored.
template <class T>
using BlockFn = void (*)(const T* re, const T* im, T* reOut, T* imOut);

constexpr int kBlockFirstOrder = 2;
constexpr int kBlockLastOrder = 7;

// Kernels by order and variant: 4·split + 2·inverse + scaled (by 1/N).
template <class T>
struct BlockOps {
    BlockFn<T> fn[kBlockLastOrder - kBlockFirstOrder + 1][8];
};

struct BlockTable {
    BlockOps<float> s;
    BlockOps<double> d;
};

extern const BlockTable fftblock_sse2, fftblock_avx2, fftblock_avx512;

inline const BlockTable& fftBlock() { return simd::select(fftblock_sse2, fftblock_avx2, fftblock_avx512); }

template <class T>
const BlockOps<T>& blockOps();
template <>
inline const BlockOps<float>& blockOps<float>() { return fftBlock().s; }
template <>
inline const BlockOps<double>& blockOps<double>() { return fftBlock().d; }

}  // namespace vok::kernels
