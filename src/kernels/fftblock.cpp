// The block kernels' twiddles (kernels/fftblock.h), the angle formed in
// double and its sine and cosine taken in long double, as every twiddle
// table of the library is.
#include "kernels/fftblock.h"

#include <cmath>

namespace vok::kernels {
namespace {

template <class T>
void setPower(T *re, T *im, int j, int n) {
    const long double angle = double(j) * (6.283185307179586 / double(n));
    *re = T(std::cos(angle));
    *im = T(-std::sin(angle));
}

template <class T, int N>
BlockPowers<T, N> makePowers() {
    BlockPowers<T, N> p;
    for (int j = 0; j < N; ++j) setPower(p.re + j, p.im + j, j, N);
    return p;
}

template <class T, int A, int B>
BlockGrid<T, A, B> makeGrid() {
    BlockGrid<T, A, B> g;
    for (int a = 0; a < A; ++a)
        for (int b = 0; b < B; ++b) setPower(g.re + B * a + b, g.im + B * a + b, a * b, A * B);
    return g;
}

}  // namespace

template <class T, int N>
const BlockPowers<T, N> BlockPowers<T, N>::table = makePowers<T, N>();
template <class T, int A, int B>
const BlockGrid<T, A, B> BlockGrid<T, A, B>::table = makeGrid<T, A, B>();

VOK_BLOCK_TABLES(float, template)
VOK_BLOCK_TABLES(double, template)

}  // namespace vok::kernels
