// The fast Hartley transform and the cyclic convolution it gives, used by
// the two-dimensional fast convolution.
//
// The Hartley transform H[k] = Σ x[n]·cas(2πkn/N), cas = cos + sin, is real for
// real data and is its own inverse up to 1/N, so one routine serves both
// directions. Complex data is carried as two real lanes (real parts, imaginary
// parts), each transformed on its own; the product of two spectra is formed
// from the bins k and N-k together.
#pragma once

#include <cmath>
#include <cstddef>

namespace vok::hartley {

// cos(2πk/N) and sin(2πk/N) for k < N/2, computed in double for each length.
template <class R>
struct Table {
    R* cosines;  // N/2 entries
    R* sines;    // N/2 entries

    static std::size_t floats(std::size_t n) { return n < 2 ? 2 : n; }

    void build(std::size_t n) const {
        const double step = 6.283185307179586476925286766559 / double(n);
        for (std::size_t k = 0; k < n / 2; ++k) {
            cosines[k] = R(std::cos(step * double(k)));
            sines[k] = R(std::sin(step * double(k)));
        }
    }
};

template <class R>
Table<R> tableIn(R* room, std::size_t n) {
    return {room, room + Table<R>::floats(n) / 2};
}

// Puts x into bit-reversed order (n a power of two).
template <class R>
void bitReverse(R* x, std::size_t n) {
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j |= bit;
        if (i < j) {
            const R t = x[i];
            x[i] = x[j];
            x[j] = t;
        }
    }
}

// In-place Hartley transform of n = 2^order contiguous points with a table
// built for n: bit reversal, then radix-2 stages.
template <class R>
void transform(R* x, std::size_t n, const Table<R>& table) {
    if (n < 2) return;
    bitReverse(x, n);
    for (std::size_t i = 0; i < n; i += 2) {
        const R a = x[i], b = x[i + 1];
        x[i] = a + b;
        x[i + 1] = a - b;
    }
    // Each stage merges the transforms E and O of two halves of length h:
    // H[k] = E[k] + cos·O[k] + sin·O[h-k], H[k+h] = E[k] - (cos·O[k] + sin·O[h-k]).
    for (std::size_t h = 2; h < n; h <<= 1) {
        const std::size_t stride = n / (2 * h);
        for (std::size_t s = 0; s < n; s += 2 * h) {
            R* e = x + s;
            R* o = x + s + h;
            {
                const R a = e[0], b = o[0];
                e[0] = a + b;
                o[0] = a - b;
                const R c = e[h / 2], d = o[h / 2];
                e[h / 2] = c + d;
                o[h / 2] = c - d;
            }
            for (std::size_t k = 1; k < h / 2; ++k) {
                const R c = table.cosines[k * stride], sn = table.sines[k * stride];
                const R ok = o[k], om = o[h - k];
                const R t1 = ok * c + om * sn;
                const R t2 = ok * sn - om * c;
                const R ek = e[k], em = e[h - k];
                e[k] = ek + t1;
                o[k] = ek - t1;
                e[h - k] = em + t2;
                o[h - k] = em - t2;
            }
        }
    }
}

}  // namespace vok::hartley
