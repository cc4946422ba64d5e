// The block transform method of the correlations: srcA is taken P samples at
// a time (P the power of two that holds the lags), each block correlated
// cyclically over F = 2P points with the window of srcB it can reach, the
// spectra summed over the blocks and transformed back once. A lag i < P of a
// block never wraps, since t + i < 2P for every t < P.
//
// Cyclic correlation is the cyclic convolution with the first operand
// conjugated and reversed (index -t mod F), done with Hartley spectra.
#pragma once

#include <climits>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "convolution/hartley.h"
#include "convolution/products.h"
#include "core/complex.h"
#include "vok/frame.h"

namespace vok::fastcorr {

namespace p = vok::products;

template <class T>
constexpr int laneCount = isComplex<T> ? 2 : 1;

inline long long blockLength(long long nLags) {
    long long n = 1;
    while (n < nLags) n <<= 1;
    return n;
}

// Operation counts of one transform of n points.
inline double c1(double n) { return 24.0 * std::floor(n * std::log2(n) / 2.0); }
inline double c2(double n) { return n == 1 ? 8.0 : 8.0 + 40.0 * (n / 2 - 1); }
inline double c3(double n) { return n == 1 ? 8.0 : 8.0 + 36.0 * (n / 2 - 1); }

template <class A, class B>
bool crossTransformCheaper(long long lenA, long long nLags) {
    const double P = double(blockLength(nLags)), F = 2 * P, blocks = std::ceil(double(lenA) / P);
    if constexpr (!isComplex<A> && !isComplex<B>)
        return 0.75 * c1(P) + blocks * (0.75 * c1(F) + 2 * 8 * P + 14 * P) + c3(P) < 4.0 * lenA * nLags;
    else if constexpr (isComplex<A> && isComplex<B>)
        return c1(F) + blocks * (14 * F + 2 * c1(F)) < 14.0 * lenA * nLags;
    else
        return c1(F) + blocks * (c1(P) + c2(P) + c1(F) + 14 * F) < 8.0 * lenA * nLags;
}

template <class T>
bool autoTransformCheaper(long long len, long long nLags) {
    const double P = double(blockLength(nLags)), F = 2 * P, blocks = std::ceil(double(len) / P);
    double direct = 0;
    for (long long k = 0; k < nLags; ++k) direct += double(len - k);
    if constexpr (isComplex<T>)
        return 2 * c1(F) + 0.5 * 12 * F + (blocks - 1) * (4 * F + c1(F) + 16 * F) < 11.0 * direct;
    else
        return c1(P) + blocks * (c1(P) + c2(P) + 6 * P + 14 * P) + c3(P) < 4.0 * direct;
}

template <class R>
R* allocate(long long count) {
    if (count > INT_MAX) return nullptr;
    R* block;
    if constexpr (std::is_same_v<R, float>) block = voksMalloc(int(count));
    else block = vokdMalloc(int(count));
    if (block) std::memset(block, 0, std::size_t(count) * sizeof(R));
    return block;
}

// dst[i] = Σ conj(srcA[n])·srcB[n + loLag + i] for i < nLags. Returns false,
// having written nothing, when the work arrays cannot be taken.
template <class A, class B, class R>
bool cross(const A* srcA, long long lenA, const B* srcB, long long lenB, R* dst, long long loLag, long long nLags) {
    using W = RealOf<R>;
    constexpr int la = laneCount<A>, lb = laneCount<B>, lr = laneCount<R>;
    const long long P = blockLength(nLags), F = 2 * P;
    W* work = allocate<W>((la + lb + lr) * F);
    W* acc = work ? allocate<W>(lr * F + (long long)hartley::Table<W>::floats(std::size_t(F))) : nullptr;
    if (!acc) {
        vokFree(work);
        return false;
    }
    const hartley::Table<W> table = hartley::tableIn(acc + lr * F, std::size_t(F));
    table.build(std::size_t(F));
    const hartley::Lanes<W> a{{work, work + F}, la};
    const hartley::Lanes<W> b{{work + la * F, work + la * F + F}, lb};
    const hartley::Lanes<W> product{{work + (la + lb) * F, work + (la + lb) * F + F}, lr};
    for (long long start = 0; start < lenA; start += P) {
        // a[t] = conj(srcA[start + (-t mod F)]), nonzero only for indices below P.
        for (long long t = 0; t < F; ++t) {
            const long long s = (F - t) & (F - 1), at = start + s;
            const bool inside = s < P && at < lenA;
            if constexpr (isComplex<A>) {
                a.lane[0][t] = inside ? W(srcA[at].re) : W(0);
                a.lane[1][t] = inside ? W(-srcA[at].im) : W(0);
            } else {
                a.lane[0][t] = inside ? W(srcA[at]) : W(0);
            }
        }
        for (long long t = 0; t < F; ++t) {
            const long long at = loLag + start + t;
            const bool inside = at >= 0 && at < lenB;
            if constexpr (isComplex<B>) {
                b.lane[0][t] = inside ? W(srcB[at].re) : W(0);
                b.lane[1][t] = inside ? W(srcB[at].im) : W(0);
            } else {
                b.lane[0][t] = inside ? W(srcB[at]) : W(0);
            }
        }
        for (int i = 0; i < la; ++i) hartley::transform(a.lane[i], std::size_t(F), table);
        for (int i = 0; i < lb; ++i) hartley::transform(b.lane[i], std::size_t(F), table);
        hartley::multiply(a, b, product, std::size_t(F), 1.0 / double(F));
        for (int i = 0; i < lr; ++i)
            for (long long t = 0; t < F; ++t) acc[i * F + t] += product.lane[i][t];
    }
    for (int i = 0; i < lr; ++i) hartley::transform(acc + i * F, std::size_t(F), table);
    for (long long i = 0; i < nLags; ++i) {
        if constexpr (isComplex<R>) dst[i] = {acc[i], acc[F + i]};
        else dst[i] = acc[i];
    }
    vokFree(acc);
    vokFree(work);
    return true;
}

}  // namespace vok::fastcorr
