// The permutation kernels behind the bit-reversal functions and the FFTs.
//
// An index k of N = 2^m elements is (h, mid, l): top bit, m-2 middle bits,
// bottom bit, and its reversal is (l, rev(mid), h). The swap table lists the
// middle values once: pairs (i, j = rev(i)), a 0, the self-reversed values, a
// 0, each stored as 4·mid. Every middle value then moves its four positions
// (h, l) together, so a pair costs four exchanges and nothing is tested twice.
#pragma once

#include <cstdint>
#include <utility>

namespace vok {

// Elements of 16 bytes move as one record.
struct Block16 {
    std::uint64_t a, b;
};

// In-place reversal of N = 2^m elements (m >= 3) with the swap table of order m.
template <class E>
void swapKernel(E* x, int order, const int* table) {
    const int half = 1 << (order - 1);
    int t = 0;
    for (; table[t] != 0; t += 2) {
        const int a = table[t] >> 1, b = table[t + 1] >> 1;  // 2i and 2j
        std::swap(x[a], x[b]);
        std::swap(x[half + a], x[b + 1]);
        std::swap(x[a + 1], x[half + b]);
        std::swap(x[half + a + 1], x[half + b + 1]);
    }
    for (++t;; ++t) {
        const int f = table[t] >> 1;
        std::swap(x[f + 1], x[half + f]);
        if (f == 0) break;
    }
}

// dst[bitrev(k)] = src[k] for N = 2^m elements (m >= 3); no overlap.
template <class E>
void copyKernel(const E* src, E* dst, int order, const int* table) {
    const int half = 1 << (order - 1);
    int t = 0;
    for (; table[t] != 0; t += 2) {
        const int a = table[t] >> 1, b = table[t + 1] >> 1;
        dst[b] = src[a];
        dst[b + 1] = src[half + a];
        dst[half + b] = src[a + 1];
        dst[half + b + 1] = src[half + a + 1];
        dst[a] = src[b];
        dst[a + 1] = src[half + b];
        dst[half + a] = src[b + 1];
        dst[half + a + 1] = src[half + b + 1];
    }
    for (++t;; ++t) {
        const int f = table[t] >> 1;
        dst[f] = src[f];
        dst[f + 1] = src[half + f];
        dst[half + f] = src[f + 1];
        dst[half + f + 1] = src[half + f + 1];
        if (f == 0) break;
    }
}

// Any order: orders 0 and 1 need nothing, order 2 one exchange; table is
// used from order 3 on.
template <class E>
void reverseInPlace(E* x, int order, const int* table) {
    if (order == 2) std::swap(x[1], x[2]);
    else if (order >= 3) swapKernel(x, order, table);
}
template <class E>
void reverseCopy(const E* src, E* dst, int order, const int* table) {
    const int n = 1 << order;
    if (order >= 3) return copyKernel(src, dst, order, table);
    dst[0] = src[0];
    dst[n - 1] = src[n - 1];
    if (n == 4) {
        dst[1] = src[2];
        dst[2] = src[1];
    }
}

}  // namespace vok
