// Two-dimensional FIR filtering of an image to an output of its own size:
// direct sums over the clipped overlap, or block transforms when an
// operation count says they are cheaper.
#include <algorithm>
#include <cmath>

#include "convolution/conv2d.h"
#include "convolution/filter2d.h"
#include "core/check.h"
#include "vok/conv2d.h"

namespace {

using vok::ArgChecks;
namespace c2 = vok::conv2d;
constexpr const char* kModule = "vokfir2";

long long doubledPower(long long n) { return 2 * (n < 2 ? 1 : c2::powerOfTwoAtLeast(n)); }

// Each output block of (fr - tapRows + 1) × (fc - tapCols + 1) comes from one
// cyclic convolution of an fr × fc window of the image that starts
// tapRows - 1 rows and tapCols - 1 columns before it (overlap-save).
// Returns false, having written nothing, when the work arrays are not there.
template <class T>
bool blockFilter(const T* src, int cols, int rows, const T* taps, int tapCols, int tapRows, T* dst) {
    const long long fr = doubledPower(tapRows), fc = doubledPower(tapCols);
    c2::Blocks<T, 2> work;
    if (!(work.block[0] = c2::allocate<T>(fr * fc)) ||
        !(work.block[1] = c2::allocate<T>(fr * fc + c2::PlaneTransform<T>::scratchFloats(fr, fc))))
        return false;
    T* window = work.block[0];
    T* kernel = work.block[1];
    const c2::PlaneTransform<T> hft(fr, fc, kernel + fr * fc);
    c2::place(taps, tapRows, tapCols, 0, 0, tapRows, tapCols, kernel, fr, fc, 1.0 / double(fr * fc));
    hft(kernel);
    const vok::filter2d::Offsets at(tapRows, tapCols);
    const long long stepRows = fr - tapRows + 1, stepCols = fc - tapCols + 1;
    for (long long r0 = 0; r0 < rows; r0 += stepRows) {
        for (long long c0 = 0; c0 < cols; c0 += stepCols) {
            c2::place(src, rows, cols, r0 + at.rows - (tapRows - 1), c0 + at.cols - (tapCols - 1), fr, fc, window, fr,
                      fc);
            hft(window);
            hft.multiply(window, kernel, 1.0);
            hft(window);
            const long long outRows = std::min(stepRows, rows - r0), outCols = std::min(stepCols, cols - c0);
            for (long long i = 0; i < outRows; ++i)
                for (long long j = 0; j < outCols; ++j)
                    dst[(r0 + i) * cols + c0 + j] = window[(tapRows - 1 + i) * fc + tapCols - 1 + j];
        }
    }
    return true;
}

template <class T>
void filter2D(ArgChecks check, const T* src, int cols, int rows, const T* taps, int tapCols, int tapRows, T* dst) {
    if (vok::filter2d::badArguments(check, src, cols, rows, taps, tapCols, tapRows, dst)) return;
    if (vok::filter2d::transformCheaper(cols, rows, tapCols, tapRows) &&
        blockFilter(src, cols, rows, taps, tapCols, tapRows, dst))
        return;
    const vok::filter2d::Offsets at(tapRows, tapCols);
    for (long long r = 0; r < rows; ++r)
        for (long long c = 0; c < cols; ++c)
            dst[r * cols + c] = T(c2::fullAt(src, rows, cols, taps, tapRows, tapCols, r + at.rows, c + at.cols));
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL voksFilter2D(const float* src, int cols, int rows, const float* taps, int tapCols, int tapRows,
                                   float* dst) {
    filter2D(VOK_CHECKS, src, cols, rows, taps, tapCols, tapRows, dst);
}
VOK_API void VOK_CALL vokdFilter2D(const double* src, int cols, int rows, const double* taps, int tapCols,
                                   int tapRows, double* dst) {
    filter2D(VOK_CHECKS, src, cols, rows, taps, tapCols, tapRows, dst);
}

}  // extern "C"
