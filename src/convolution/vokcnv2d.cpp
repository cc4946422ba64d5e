// Full two-dimensional convolution of row-major matrices: direct sums, the
// one-dimensional convolution for two single rows or columns, one cyclic
// convolution of the whole matrices, or sectioned (overlap-add) convolution.
#include <algorithm>
#include <climits>
#include <vector>

#include "convolution/conv2d.h"
#include "core/check.h"
#include "core/scale16.h"
#include "vok/conv2d.h"
#include "vok/convolution.h"

namespace {

using vok::ArgChecks;
namespace c2 = vok::conv2d;
constexpr const char* kModule = "vokcnv2d";
constexpr const char* kNoMemory = "\nMemory allocation problem\n";

bool badArguments(ArgChecks check, const void* x, int xCols, int xRows, const void* h, int hCols, int hRows,
                  const void* y) {
    return check(!x || !h || !y, "\nNull pointer to data buffer\n") ||
           check(xRows < 1 || xCols < 1, "\nBad value of data buffer size\n") ||
           check(hRows < 1 || hCols < 1, "\nBad value of data buffer size\n");
}

template <class T>
void direct(const T* x, int xCols, int xRows, const T* h, int hCols, int hRows, T* y) {
    const long long yRows = (long long)xRows + hRows - 1, yCols = (long long)xCols + hCols - 1;
    for (long long r = 0; r < yRows; ++r)
        for (long long c = 0; c < yCols; ++c) y[r * yCols + c] = T(c2::fullAt(x, xRows, xCols, h, hRows, hCols, r, c));
}

// One cyclic convolution of planes at least twice the larger operand.
template <class T>
bool wholeMatrix(ArgChecks check, const T* x, int xCols, int xRows, const T* h, int hCols, int hRows, T* y) {
    const long long rows = std::max(2LL, c2::powerOfTwoAtLeast(2LL * std::max(xRows, hRows)));
    const long long cols = std::max(2LL, c2::powerOfTwoAtLeast(2LL * std::max(xCols, hCols)));
    c2::Blocks<T, 3> work;
    if (rows * cols > INT_MAX || !(work.block[0] = c2::allocate<T>(rows * cols)) ||
        !(work.block[1] = c2::allocate<T>(rows * cols)) ||
        !(work.block[2] = c2::allocate<T>(c2::PlaneTransform<T>::scratchFloats(rows, cols)))) {
        check.report(VOK_StatusNoMemory, kNoMemory, __LINE__);
        return false;
    }
    const c2::PlaneTransform<T> hft(rows, cols, work.block[2]);
    c2::place(x, xRows, xCols, 0, 0, xRows, xCols, work.block[0], rows, cols);
    c2::place(h, hRows, hCols, 0, 0, hRows, hCols, work.block[1], rows, cols, 1.0 / double(rows * cols));
    hft(work.block[0]);
    hft(work.block[1]);
    hft.multiply(work.block[0], work.block[1], 1.0);
    hft(work.block[0]);
    const long long yRows = (long long)xRows + hRows - 1, yCols = (long long)xCols + hCols - 1;
    for (long long r = 0; r < yRows; ++r)
        std::copy(work.block[0] + r * cols, work.block[0] + r * cols + yCols, y + r * yCols);
    return true;
}

long long doubledPower(long long n) { return 2 * (n < 2 ? 1 : c2::powerOfTwoAtLeast(n)); }

// Sections of x convolved one by one with h and added into y.
template <class T>
bool overlapAdd(ArgChecks check, const T* x, int xCols, int xRows, const T* h, int hCols, int hRows, T* y) {
    if ((long long)xCols * xRows < (long long)hCols * hRows) {
        std::swap(x, h);
        std::swap(xCols, hCols);
        std::swap(xRows, hRows);
    }
    long long br = doubledPower(hRows), bc = doubledPower(hCols);
    const long long xr = doubledPower(xRows), xc = doubledPower(xCols);
    const long long r = xr / br, c = xc / bc;
    if (!(r > 1 && c > 1)) {
        if (r > c || (r == c && br > bc)) bc = std::max(xc, bc);
        else if (br <= xr) br = xr;
    }
    c2::Blocks<T, 3> work;
    if (br * bc > INT_MAX || !(work.block[0] = c2::allocate<T>(br * bc)) ||
        !(work.block[1] = c2::allocate<T>(br * bc)) ||
        !(work.block[2] = c2::allocate<T>(c2::PlaneTransform<T>::scratchFloats(br, bc)))) {
        check.report(VOK_StatusNoMemory, kNoMemory, __LINE__);
        return false;
    }
    const c2::PlaneTransform<T> hft(br, bc, work.block[2]);
    c2::place(h, hRows, hCols, 0, 0, hRows, hCols, work.block[1], br, bc, 1.0 / double(br * bc));
    hft(work.block[1]);

    const long long yRows = (long long)xRows + hRows - 1, yCols = (long long)xCols + hCols - 1;
    std::fill(y, y + yRows * yCols, T(0));
    const long long secRows = br / 2, secCols = bc / 2;
    for (long long r0 = 0; r0 < xRows; r0 += secRows) {
        for (long long c0 = 0; c0 < xCols; c0 += secCols) {
            T* plane = work.block[0];
            c2::place(x, xRows, xCols, r0, c0, secRows, secCols, plane, br, bc);
            hft(plane);
            hft.multiply(plane, work.block[1], 1.0);
            hft(plane);
            const long long rows = std::min(secRows + hRows - 1, yRows - r0);
            const long long cols = std::min(secCols + hCols - 1, yCols - c0);
            for (long long i = 0; i < rows; ++i)
                for (long long j = 0; j < cols; ++j) y[(r0 + i) * yCols + c0 + j] += plane[i * bc + j];
        }
    }
    return true;
}

template <class T>
void conv2D(ArgChecks check, const T* x, int xCols, int xRows, const T* h, int hCols, int hRows, T* y,
            int (VOK_CALL* conv1D)(const T*, int, const T*, int, T*)) {
    if (badArguments(check, x, xCols, xRows, h, hCols, hRows, y)) return;
    const int maxRows = std::max(xRows, hRows), maxCols = std::max(xCols, hCols);
    const bool fastEligible = (maxRows > 16 || maxCols >= 17) && (xCols >= 8 || xRows >= 8) &&
                              (hCols >= 8 || hRows >= 8) && !(xRows == 1 && hRows == 1) &&
                              !(xCols == 1 && hCols == 1);
    if (!fastEligible) {
        if ((maxRows <= 16 && maxCols <= 16) || (xCols < 8 && xRows < 8) || (hCols < 8 && hRows < 8)) {
            direct(x, xCols, xRows, h, hCols, hRows, y);
        } else {
            conv1D(x, std::max(xCols, xRows), h, hRows > hCols ? hRows : hCols, y);
            check.innerFailed(__LINE__);
        }
        return;
    }
    const long long dr = (long long)xRows - hRows, dc = (long long)xCols - hCols;
    const bool whole = (dr < hRows || dc < 0) && (dr < 0 || dc < hCols) && (2LL * xRows - hRows > 0 || dc >= 1) &&
                       (dr > 0 || 2LL * xCols - hCols >= 1);
    if (whole) wholeMatrix(check, x, xCols, xRows, h, hCols, hRows, y);
    else overlapAdd(check, x, xCols, xRows, h, hCols, hRows, y);
}

// 16-bit operands: small ones summed exactly in integers, others through
// float copies and the float convolution.
void wConv2D(ArgChecks check, const short* x, int xCols, int xRows, const short* h, int hCols, int hRows, short* y,
             int scaleMode, int* scaleFactor) {
    if (badArguments(check, x, xCols, xRows, h, hCols, hRows, y)) return;
    const long long yRows = (long long)xRows + hRows - 1, yCols = (long long)xCols + hCols - 1, n = yRows * yCols;
    if (n > INT_MAX) {
        check.report(VOK_StatusNoMemory, kNoMemory, __LINE__);
        return;
    }
    if ((xCols < 8 && xRows < 8) || (hCols < 8 && hRows < 8)) {
        int* sums = vokiMalloc(int(n));
        if (!sums) {
            check.report(VOK_StatusNoMemory, kNoMemory, __LINE__);
            return;
        }
        for (long long r = 0; r < yRows; ++r) {
            for (long long c = 0; c < yCols; ++c) {
                const long long i0 = std::max(0LL, r - (hRows - 1)), i1 = std::min(r, (long long)xRows - 1);
                const long long j0 = std::max(0LL, c - (hCols - 1)), j1 = std::min(c, (long long)xCols - 1);
                long long sum = 0;
                for (long long i = i0; i <= i1; ++i)
                    for (long long j = j0; j <= j1; ++j) sum += (long long)x[i * xCols + j] * h[(r - i) * hCols + c - j];
                sums[r * yCols + c] = int(std::clamp<long long>(sum, INT_MIN, INT_MAX));
            }
        }
        vok::ownScaleIntToShort(sums, y, int(n), scaleMode, scaleFactor);
        vokFree(sums);
        return;
    }
    c2::Blocks<float, 3> copies;
    const long long xn = (long long)xRows * xCols, hn = (long long)hRows * hCols;
    if (!(copies.block[0] = c2::allocate<float>(xn)) || !(copies.block[1] = c2::allocate<float>(hn)) ||
        !(copies.block[2] = c2::allocate<float>(n))) {
        check.report(VOK_StatusNoMemory, kNoMemory, __LINE__);
        return;
    }
    std::copy(x, x + xn, copies.block[0]);
    std::copy(h, h + hn, copies.block[1]);
    // The exported function on purpose: its own reports, under its own name, come first.
    voksConv2D(copies.block[0], xCols, xRows, copies.block[1], hCols, hRows, copies.block[2]);
    if (check.innerFailed(__LINE__)) return;
    vok::ownScaleFloatToShort(copies.block[2], y, int(n), scaleMode, scaleFactor);
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL voksConv2D(const float* x, int xCols, int xRows, const float* h, int hCols, int hRows,
                                 float* y) {
    conv2D(VOK_CHECKS, x, xCols, xRows, h, hCols, hRows, y, voksConv);
}
VOK_API void VOK_CALL vokdConv2D(const double* x, int xCols, int xRows, const double* h, int hCols, int hRows,
                                 double* y) {
    conv2D(VOK_CHECKS, x, xCols, xRows, h, hCols, hRows, y, vokdConv);
}
VOK_API void VOK_CALL vokwConv2D(const short* x, int xCols, int xRows, const short* h, int hCols, int hRows, short* y,
                                 int scaleMode, int* scaleFactor) {
    wConv2D(VOK_CHECKS, x, xCols, xRows, h, hCols, hRows, y, scaleMode, scaleFactor);
}

}  // extern "C"
