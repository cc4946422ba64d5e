// The passes around the half-length complex DFT of an even-length DCT.
//
// A DCT of N = 2M points reorders its input as v = (x0, x2, x4, ..., x5, x3,
// x1) and transforms z[m] = v[2m] + i v[2m+1] with an M-point DFT Z. With the
// twiddles F_k and G_k of the length (0 < k < M), the orthonormal outputs are
//   U_k = F_k Z_k + G_k conj Z_(M-k),  X_k = Re U_k,  X_(N-k) = -Im U_k,
// and the inverse, with P_k = Y_k - i Y_(N-k), rebuilds
//   Z_k = conj F_k P_k + G_(M-k) conj P_(M-k)
// for an unscaled inverse M-point DFT. Both passes take k with its partner
// M - k, for 0 < 2k < M; the caller handles k = 0 and k = M/2. Every width
// rounds each product and sum as the scalar formula does.
#pragma once

#include <cmath>
#include <numbers>

#include "kernels/dispatch.h"

namespace vok::kernels {

struct DctOps {
    // z: the M complex values Z (2M reals); x: the N outputs; f, g: the
    // complex twiddles indexed by k (M each).
    void (*forwardPost)(const double* z, double* x, long long m, const double* f, const double* g);
    // y: the N inputs Y; z: the M complex values for the inverse DFT.
    void (*inversePre)(const double* y, double* z, long long m, const double* f, const double* g);
    // The real and imaginary sums of a short odd-length DFT of real data (and
    // of its inverse): re[k] = Σ a[j]·cosines[j·width + k] and im[k] = Σ
    // b[j]·sines[j·width + k] over j < h, in that order, for k < width (a
    // multiple of 8, so every width fills its registers).
    void (*symmetricSums)(const double* a, const double* b, double* re, double* im, long long h, long long width,
                          const double* cosines, const double* sines);
};

extern const DctOps dct_sse2, dct_avx2, dct_avx512;

// The columns of symmetricSums' tables for an odd length n: h = (n-1)/2
// rounded up to whole 512-bit registers.
inline int symmetricSumsWidth(int n) { return ((n - 1) / 2 + 7) / 8 * 8; }
// Fills those tables: cos(2πjk/n) at row j-1, column k-1, for 1 ≤ j, k ≤ h
// (zeros beyond h), then the sines likewise at cosines + h·width.
inline void symmetricSumsTables(double* cosines, int n) {
    const int h = (n - 1) / 2, width = symmetricSumsWidth(n);
    double* sines = cosines + h * width;
    for (int j = 1; j <= h; ++j)
        for (int k = 1; k <= width; ++k) {
            const long double a = 2 * std::numbers::pi_v<long double> * ((j * k) % n) / n;
            const int at = (j - 1) * width + k - 1;
            cosines[at] = k <= h ? double(std::cos(a)) : 0.0;
            sines[at] = k <= h ? double(std::sin(a)) : 0.0;
        }
}

inline const DctOps& dct() { return simd::select(dct_sse2, dct_avx2, dct_avx512); }

}  // namespace vok::kernels
