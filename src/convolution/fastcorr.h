// The block transform method of the correlations: srcA is taken P samples at
// a time (P the power of two that holds the lags), each block correlated
// cyclically over F = 2P points with the window of srcB it can reach, the
// spectra summed over the blocks and transformed back once. A lag i < P of a
// block never wraps, since t + i < 2P for every t < P.
//
// The spectra come from the thread's cached FFTs, as in the convolutions:
// real data through the real transform (CCS spectrum), complex or mixed data
// through the complex one with its spectrum left in bit-reversed order.
//
// The window of block b is segment b of srcB followed by segment b + 1, each
// P samples long, so its spectrum is S_b + (-1)^k S_(b+1), S_j the spectrum
// of segment j alone: every segment is transformed once and serves two
// blocks. When srcA is srcB itself at lag 0 (autocorrelation), the blocks of
// srcA are those segments and one transform per block does.
#pragma once

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "convolution/conv1d.h"
#include "convolution/products.h"
#include "core/complex.h"
#include "vok/frame.h"

namespace vok::fastcorr {

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

// acc[k] += conj(a[k])·(here[k] + sign_k·ahead[k]) over 'bins' complex
// values. The sign of bin k is (-1)^k: in natural order it alternates; in
// bit-reversed order the even bins fill the first half and the odd ones the
// second.
template <bool bitReversed, class W>
void accumulate(W* __restrict acc, const W* a, const W* here, const W* ahead, long long bins) {
    auto mac = [&](long long k, W sign) {
        const W br = here[2 * k] + sign * ahead[2 * k], bi = here[2 * k + 1] + sign * ahead[2 * k + 1];
        const W ar = a[2 * k], ai = a[2 * k + 1];
        acc[2 * k] += ar * br + ai * bi;
        acc[2 * k + 1] += ar * bi - ai * br;
    };
    if constexpr (bitReversed) {
        for (long long k = 0; k < bins / 2; ++k) mac(k, W(1));
        for (long long k = bins / 2; k < bins; ++k) mac(k, W(-1));
    } else {
        long long k = 0;
        for (; k + 1 < bins; k += 2) {
            mac(k, W(1));
            mac(k + 1, W(-1));
        }
        if (k < bins) mac(k, W(1));
    }
}

// dst[i] = Σ conj(srcA[n])·srcB[n + loLag + i] for i < nLags. Returns false,
// having written nothing, when the work arrays or the transform tables
// cannot be taken.
template <class A, class B, class R>
bool cross(const A* srcA, long long lenA, const B* srcB, long long lenB, R* dst, long long loLag, long long nLags) {
    using W = RealOf<R>;
    using Spectra = conv1d::SpectraOf<R>;
    constexpr bool pairs = isComplex<R>;
    const long long P = blockLength(nLags), F = 2 * P;
    const int order = conv1d::orderOf(F);
    const long long room = Spectra::room(F), bins = Spectra::bins(F);
    if (F > (1LL << 30)) return false;

    // One block of srcA and two consecutive segments of srcB; the sum of the
    // block spectra.
    W* spectra = conv1d::allocate<W>(3 * room);
    W* acc = spectra ? conv1d::allocate<W>(room) : nullptr;
    Spectra transforms;
    if (!acc || !transforms.prepare(order)) {
        vokFree(acc);
        vokFree(spectra);
        return false;
    }
    std::memset(acc, 0, std::size_t(room) * sizeof(W));
    W* block = spectra;
    W* here = spectra + room;
    W* ahead = spectra + 2 * room;

    // P samples of src from 'from' (zero outside src), zero up to F, transformed.
    auto spectrumOf = [&](const auto* src, long long len, long long from, W* out) {
        conv1d::load<pairs>(src, from, std::min(len, from + P), out, F);
        transforms.forward(out, order);
    };
    const bool selfWindows = std::is_same_v<A, B> && static_cast<const void*>(srcA) == srcB && lenA == lenB && loLag == 0;

    spectrumOf(srcB, lenB, loLag, here);
    for (long long start = 0; start < lenA; start += P) {
        spectrumOf(srcB, lenB, loLag + start + P, ahead);
        const W* blockSpectrum = here;
        if (!selfWindows) {
            spectrumOf(srcA, lenA, start, block);
            blockSpectrum = block;
        }
        accumulate<pairs>(acc, blockSpectrum, here, ahead, bins);
        std::swap(here, ahead);
    }
    transforms.inverse(acc, order);

    const W scale = W(1.0 / double(F));
    for (long long i = 0; i < nLags; ++i) {
        if constexpr (isComplex<R>) dst[i] = {acc[2 * i] * scale, acc[2 * i + 1] * scale};
        else dst[i] = acc[i] * scale;
    }
    vokFree(acc);
    vokFree(spectra);
    return true;
}

}  // namespace vok::fastcorr
