// Two-dimensional FIR filtering of 16-bit images with float taps: the taps
// become 16-bit fixed-point numbers with one count of fractional bits, the
// sums are exact 64-bit integers, and the results come back to 16 bits under
// the caller's scale mode.
#include <algorithm>
#include <cmath>

#include "convolution/filter2d.h"
#include "core/check.h"
#include "core/scale16.h"
#include "vok/conv2d.h"
#include "vok/frame.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "vokfir2w";

// The most fractional bits (0 to 15) that keep every tap within 16 bits.
int fractionalBits(const float* taps, long long n) {
    double largest = 0;
    for (long long i = 0; i < n; ++i) largest = std::max(largest, std::fabs(double(taps[i])));
    int q = 15;
    while (q > 0 && vok::roundHalfEven(largest * std::ldexp(1.0, q)) > 32767.0) --q;
    return q;
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL vokwFilter2D(const short* src, int cols, int rows, const float* taps, int tapCols, int tapRows,
                                   short* dst, int scaleMode, int* scaleFactor) {
    const ArgChecks check{__func__, kModule, __LINE__};
    if (vok::filter2d::badArguments(check, src, cols, rows, taps, tapCols, tapRows, dst) ||
        check(!scaleFactor, "Null scale factor pointer"))
        return;
    const long long tapCount = (long long)tapRows * tapCols, pixels = (long long)rows * cols;
    // One block: the fixed-point taps (as ints), then the results.
    if (tapCount + 2 * pixels > 0x7fffffff) {
        check.report(VOK_StatusNoMemory, "Allocation failure", __LINE__);
        return;
    }
    float* work = voksMalloc(int(tapCount + pixels));
    if (!work) {
        check.report(VOK_StatusNoMemory, "Allocation failure", __LINE__);
        return;
    }
    int* fixedTaps = reinterpret_cast<int*>(work);
    float* results = work + tapCount;
    const int q = fractionalBits(taps, tapCount);
    // A NaN tap has no fixed-point value; it counts as zero.
    for (long long i = 0; i < tapCount; ++i) {
        const double scaled = vok::roundHalfEven(double(taps[i]) * std::ldexp(1.0, q));
        fixedTaps[i] = std::isnan(scaled) ? 0 : int(std::clamp(scaled, -32768.0, 32767.0));
    }

    const vok::filter2d::Offsets at(tapRows, tapCols);
    const double unit = std::ldexp(1.0, -q);
    for (long long r = 0; r < rows; ++r) {
        for (long long c = 0; c < cols; ++c) {
            const long long pr = r + at.rows, pc = c + at.cols;
            const long long i0 = std::max(0LL, pr - (tapRows - 1)), i1 = std::min(pr, (long long)rows - 1);
            const long long j0 = std::max(0LL, pc - (tapCols - 1)), j1 = std::min(pc, (long long)cols - 1);
            long long sum = 0;
            for (long long i = i0; i <= i1; ++i)
                for (long long j = j0; j <= j1; ++j)
                    sum += (long long)src[i * cols + j] * fixedTaps[(pr - i) * tapCols + pc - j];
            results[r * cols + c] = float(double(sum) * unit);
        }
    }
    vok::ownScaleFloatToShort(results, dst, int(pixels), scaleMode, scaleFactor);
    vokFree(work);
}

}  // extern "C"
