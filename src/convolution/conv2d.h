// Two-dimensional convolution machinery shared by the convolution (vokcnv2d)
// and filtering (vokfir2) modules: direct sums over the clipped overlap, and
// cyclic convolution of power-of-two planes through the two-dimensional
// Hartley transform.
//
// The plane transform runs the one-dimensional Hartley transform along every
// row, rotates the plane (rows become columns) into a scratch plane, runs it
// along every row again and rotates back. That gives the separable cas·cas
// transform; folding each bin with its mirrors (u,-v), (-u,v), (-u,-v) turns it
// into the true two-dimensional Hartley transform cas(2π(uy/R + vx/C)), which
// is its own inverse up to 1/(R·C) and has a product rule like the 1-D one.
#pragma once

#include <algorithm>
#include <climits>
#include <cstring>
#include <type_traits>

#include "convolution/hartley.h"
#include "convolution/products.h"
#include "vok/frame.h"

namespace vok::conv2d {

namespace p = vok::products;

// Σ x(i, j)·h(pr - i, pc - j) over the overlap, in extended precision.
template <class T>
p::WideOf<T> fullAt(const T* x, long long xRows, long long xCols, const T* h, long long hRows, long long hCols,
                    long long pr, long long pc) {
    using W = p::WideOf<T>;
    const long long i0 = std::max(0LL, pr - (hRows - 1)), i1 = std::min(pr, xRows - 1);
    const long long j0 = std::max(0LL, pc - (hCols - 1)), j1 = std::min(pc, xCols - 1);
    W sum = 0;
    for (long long i = i0; i <= i1; ++i) {
        const T* xr = x + i * xCols;
        const T* hr = h + (pr - i) * hCols + pc;
        for (long long j = j0; j <= j1; ++j) sum += W(xr[j]) * W(hr[-j]);
    }
    return sum;
}

template <class R>
R* allocate(long long count) {
    if (count < 1 || count > INT_MAX) return nullptr;
    R* block;
    if constexpr (std::is_same_v<R, float>) block = voksMalloc(int(count));
    else block = vokdMalloc(int(count));
    if (block) std::memset(block, 0, std::size_t(count) * sizeof(R));
    return block;
}

// Library blocks released together.
template <class R, int n>
struct Blocks {
    R* block[n] = {};
    ~Blocks() {
        for (R* b : block) vokFree(b);
    }
};

inline long long powerOfTwoAtLeast(long long v) {
    long long m = 1;
    while (m < v) m <<= 1;
    return m;
}

// Transforms of rows × cols planes (powers of two); the scratch plane holds
// rows·cols values and then the tables of both lengths.
template <class R>
struct PlaneTransform {
    long long rows, cols;
    R* scratch;
    hartley::Table<R> alongRows, alongCols;  // tables for length cols and rows

    static long long scratchFloats(long long rows, long long cols) {
        return rows * cols + (long long)hartley::Table<R>::floats(std::size_t(rows)) +
               (long long)hartley::Table<R>::floats(std::size_t(cols));
    }

    PlaneTransform(long long r, long long c, R* room) : rows(r), cols(c), scratch(room) {
        alongRows = hartley::tableIn(room + rows * cols, std::size_t(cols));
        alongCols = hartley::tableIn(room + rows * cols + (long long)hartley::Table<R>::floats(std::size_t(cols)),
                                     std::size_t(rows));
        alongRows.build(std::size_t(cols));
        alongCols.build(std::size_t(rows));
    }

    // dst (cols × rows) = src (rows × cols) turned so that rows become columns.
    static void rotate(const R* src, R* dst, long long rows, long long cols) {
        for (long long r = 0; r < rows; ++r)
            for (long long c = 0; c < cols; ++c) dst[c * rows + r] = src[r * cols + c];
    }

    // In place: the true two-dimensional Hartley transform (unscaled).
    void operator()(R* plane) const {
        for (long long r = 0; r < rows; ++r) hartley::transform(plane + r * cols, std::size_t(cols), alongRows);
        rotate(plane, scratch, rows, cols);
        for (long long c = 0; c < cols; ++c) hartley::transform(scratch + c * rows, std::size_t(rows), alongCols);
        rotate(scratch, plane, cols, rows);
        for (long long u = 0; u <= rows / 2; ++u) {
            const long long nu = (rows - u) & (rows - 1);
            for (long long v = 0; v <= cols / 2; ++v) {
                const long long nv = (cols - v) & (cols - 1);
                R& a = plane[u * cols + v];
                R& b = plane[nu * cols + v];
                R& c = plane[u * cols + nv];
                R& d = plane[nu * cols + nv];
                const double ta = a, tb = b, tc = c, td = d;
                a = R(0.5 * (ta + tb + tc - td));
                b = R(0.5 * (tb + ta + td - tc));
                c = R(0.5 * (tc + td + ta - tb));
                d = R(0.5 * (td + tc + tb - ta));
            }
        }
    }

    // a = spectrum of the cyclic convolution of the planes whose spectra are
    // a and b, times scale.
    void multiply(R* a, const R* b, double scale) const {
        const double half = 0.5 * scale;
        for (long long u = 0; u < rows; ++u) {
            const long long nu = (rows - u) & (rows - 1);
            for (long long v = 0; v < cols; ++v) {
                const long long nv = (cols - v) & (cols - 1);
                const long long k = u * cols + v, m = nu * cols + nv;
                if (m < k) continue;  // done with its mirror
                const double ak = a[k], am = a[m], bk = b[k], bm = b[m];
                a[k] = R(half * (ak * (bk + bm) + am * (bk - bm)));
                a[m] = R(half * (am * (bm + bk) + ak * (bm - bk)));
            }
        }
    }
};

// Copies a rows × cols block of src (row stride srcStride) whose top-left
// corner is (r0, c0) of src into the top-left of plane (row stride planeCols),
// zero where the block leaves src; the rest of the plane is cleared.
template <class T, class R>
void place(const T* src, long long srcRows, long long srcCols, long long r0, long long c0, long long rows,
           long long cols, R* plane, long long planeRows, long long planeCols, double scale = 1.0) {
    std::memset(plane, 0, std::size_t(planeRows * planeCols) * sizeof(R));
    for (long long r = 0; r < rows; ++r) {
        const long long sr = r0 + r;
        if (sr < 0 || sr >= srcRows) continue;
        for (long long c = 0; c < cols; ++c) {
            const long long sc = c0 + c;
            if (sc >= 0 && sc < srcCols) plane[r * planeCols + c] = R(scale * double(src[sr * srcCols + sc]));
        }
    }
}

}  // namespace vok::conv2d
