// What the float and 16-bit two-dimensional filters share: their argument
// checks, the output alignment and the choice between direct sums and block
// transforms.
#pragma once

#include <cmath>

#include "convolution/conv2d.h"
#include "core/check.h"

namespace vok::filter2d {

inline bool badArguments(ArgChecks check, const void* src, int cols, int rows, const void* taps, int tapCols,
                         int tapRows, const void* dst) {
    return check(!src || !taps, "Null SRC buffer pointer") || check(!dst, "Null DST buffer pointer") ||
           check(cols < 1, "Invalid number of cols") || check(rows < 1, "Inlalid number of rows") ||
           check(tapCols < 1, "Invalid number of cols") || check(tapRows < 1, "Inlalid number of rows");
}

// Output (r, c) is the full convolution at (r + rows, c + cols): odd kernels
// are centred, even ones are taken half a tap late.
struct Offsets {
    long long rows, cols;
    Offsets(int tapRows, int tapCols) : rows(tapRows / 2), cols(tapCols / 2) {}
};

// Operation counts: four per tap and pixel directly; per block two plane
// transforms (rows and columns of radix-2 stages, the rotations and the fold)
// and the spectrum product, plus the kernel's transform.
inline bool transformCheaper(int cols, int rows, int tapCols, int tapRows) {
    const double direct = 4.0 * tapRows * tapCols * double(rows) * cols;
    const auto doubled = [](long long n) { return 2 * (n < 2 ? 1 : conv2d::powerOfTwoAtLeast(n)); };
    const double fr = double(doubled(tapRows)), fc = double(doubled(tapCols));
    const double blocks = std::ceil(rows / (fr - tapRows + 1)) * std::ceil(cols / (fc - tapCols + 1));
    const double plane = fr * fc * (2.0 * (std::log2(fr) + std::log2(fc)) + 6.0);
    const double transform = blocks * (2.0 * plane + 8.0 * fr * fc) + plane;
    return transform < direct;
}

}  // namespace vok::filter2d
