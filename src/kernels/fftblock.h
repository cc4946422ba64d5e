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
// be the output: every point is loaded before any result is stored. Results
// are multiplied by scale (1 or 1/N, exact either way) in the scaled kernels.
template <class T>
using BlockFn = void (*)(const T *re, const T *im, T *reOut, T *imOut, T scale);

constexpr int kBlockFirstOrder = 4;
constexpr int kBlockLastOrder = 7;

// Real transforms of N points through the complex block of N/2: real signal
// to spectrum (forward) and back (toReal), in place when in == out. Spectra
// are read or written with their imaginary parts times sign (-1 for the
// transform of the other direction), results multiplied by scale.
template <class T>
using BlockRealFn = void (*)(const T *in, T *out, T sign, T scale);

constexpr int kBlockRealFirstOrder = 5;
constexpr int kBlockRealLastOrder = 7;

// Complex kernels by order and 4·split + 2·inverse + scaled; real ones by
// order and layout (Pack, Perm, CCS).
template <class T>
struct BlockOps {
    BlockFn<T> fn[kBlockLastOrder - kBlockFirstOrder + 1][8];
    BlockRealFn<T> forward[kBlockRealLastOrder - kBlockRealFirstOrder + 1][3];
    BlockRealFn<T> toReal[kBlockRealLastOrder - kBlockRealFirstOrder + 1][3];
};

struct BlockTable {
    BlockOps<float> s;
    BlockOps<double> d;
};

// Twiddles of the kernels, one copy for every width, built by code of the
// baseline instruction set (a width's own units run nothing before the
// dispatch chose them): W_N^j for j < N, and the N = A·B twiddles W_N^(a·b)
// of a block, row a holding lanes b = 0 ... B-1.
template <class T, int N>
struct BlockPowers {
    alignas(64) T re[N], im[N];
    static const BlockPowers table;
};
template <class T, int A, int B>
struct BlockGrid {
    alignas(64) T re[A * B], im[A * B];
    static const BlockGrid table;
};
// Every length and block shape the kernels use, instantiated (`how`: template)
// in fftblock.cpp alone (`how`: extern template).
#define VOK_BLOCK_TABLES(T, how)         \
    how struct BlockPowers<T, 16>;       \
    how struct BlockPowers<T, 32>;       \
    how struct BlockPowers<T, 64>;       \
    how struct BlockPowers<T, 128>;      \
    how struct BlockGrid<T, 4, 4>;       \
    how struct BlockGrid<T, 8, 4>;       \
    how struct BlockGrid<T, 8, 8>;       \
    how struct BlockGrid<T, 16, 8>;
VOK_BLOCK_TABLES(float, extern template)
VOK_BLOCK_TABLES(double, extern template)

extern const BlockTable fftblock_sse2, fftblock_avx2, fftblock_avx512;

inline const BlockTable &fftBlock() { return simd::select(fftblock_sse2, fftblock_avx2, fftblock_avx512); }

template <class T>
const BlockOps<T> &blockOps();
template <>
inline const BlockOps<float> &blockOps<float>() {
    return fftBlock().s;
}
template <>
inline const BlockOps<double> &blockOps<double>() {
    return fftBlock().d;
}

}  // namespace vok::kernels
