// One-dimensional linear convolution: the three methods (direct sums, one
// fast convolution through a single transform, sectioned overlap-save fast
// convolution), the cost model that picks one of them, and the entry-point
// template of the exported functions (modules vokconvs and vokconvd).
//
// Inside the methods the first operand is the longer one ("long", length L),
// the second the shorter ("short", length S); the output has N = L + S - 1
// elements. The fast methods run on the thread's cached FFT tables: real data
// through the real transform and its CCS spectrum, complex data through the
// complex transform.
#pragma once

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>
#include <type_traits>

#include "convolution/conv_tuning.h"
#include "convolution/products.h"
#include "core/check.h"
#include "core/complex.h"
#include "kernels/arith.h"
#include "kernels/conv.h"
#include "kernels/fft.h"
#include "transform/fft.h"
#include "transform/fft_impl.h"
#include "vok/frame.h"

namespace vok::conv1d {

namespace p = vok::products;

template <class T>
constexpr int laneCount = isComplex<T> ? 2 : 1;

// The tuning of one exported function and the names its methods report under.
struct Model {
    const char* module;
    const char* methods[3];  // direct, single transform, sectioned
    int directAlways;        // shorter lengths at or below: always direct
    int thrFirst, thrLast;   // shorter lengths with a threshold entry
    const int* thr;          // longer length from which the fast methods are weighed
    const double* tLong;     // transform cost per order, long operand's type
    const double* tShort;    // the same for the short operand's type
    const double* u;         // spectrum product and inverse transform, result type
};

namespace t = tuning;
// clang-format off
inline constexpr Model kS{"vokconvs", {"voksConv0", "voksConv1", "voksConvm"}, 14, t::kFirstSReal, t::kLastSReal,
                          t::kThrSReal, t::kRealFloatT, t::kRealFloatT, t::kRealFloatU};
inline constexpr Model kC{"vokconvs", {"vokcConv0", "vokcConv1", "vokcConvm"}, 6, t::kFirstCComplex, t::kLastCComplex,
                          t::kThrCComplex, t::kComplexFloatT, t::kComplexFloatT, t::kComplexFloatU};
inline constexpr Model kCs{"vokconvs", {"vokcsConv0", "vokcsConv1", "vokcsConvm"}, 10, t::kFirstCsMixed, t::kLastCsMixed,
                           t::kThrCsMixed, t::kComplexFloatT, t::kComplexFloatT, t::kComplexFloatU};
inline constexpr Model kSc{"vokconvs", {"vokscConv0", "vokscConv1", "vokscConvm"}, 10, t::kFirstScMixed, t::kLastScMixed,
                           t::kThrScMixed, t::kComplexFloatT, t::kComplexFloatT, t::kComplexFloatU};
inline constexpr Model kD{"vokconvd", {"vokdConv0", "vokdConv1", "vokdConvm"}, 7, t::kFirstDReal, t::kLastDReal,
                          t::kThrDReal, t::kRealDoubleT, t::kRealDoubleT, t::kRealDoubleU};
inline constexpr Model kZ{"vokconvd", {"vokzConv0", "vokzConv1", "vokzConvm"}, 4, t::kFirstZComplex, t::kLastZComplex,
                          t::kThrZComplex, t::kComplexDoubleT, t::kComplexDoubleT, t::kComplexDoubleU};
inline constexpr Model kZd{"vokconvd", {"vokzdConv0", "vokzdConv1", "vokzdConvm"}, 4, t::kFirstZdMixed, t::kLastZdMixed,
                           t::kThrZdMixed, t::kComplexDoubleT, t::kComplexDoubleT, t::kComplexDoubleU};
inline constexpr Model kDz{"vokconvd", {"vokdzConv0", "vokdzConv1", "vokdzConvm"}, 6, t::kFirstDzMixed, t::kLastDzMixed,
                           t::kThrDzMixed, t::kComplexDoubleT, t::kComplexDoubleT, t::kComplexDoubleU};
// clang-format on

enum Method { kDirect = 0, kSingle = 1, kSectioned = 2 };
struct Choice {
    Method method;
    int mode;  // sectioned: the winning block-size candidate, 1 to 3
};

inline int bitLength(long long v) {
    int bits = 0;
    for (; v > 0; v >>= 1) ++bits;
    return bits;
}

// The cheapest method for a long operand of L and a short one of S elements.
inline Choice choose(const Model& m, long long L, long long S) {
    if (S <= m.directAlways || (S <= m.thrLast && L < m.thr[S - m.thrFirst])) return {kDirect, 1};
    const long long n = L + S - 1;
    const int k = std::min(bitLength(S) + 1, 34);  // floor(log2 S) + 2
    const double never = std::numeric_limits<double>::infinity();
    auto blocks = [&](int order, long long len) {
        if (order > 32 || len < 1) return never;
        return double((n + len - 1) / len) * (m.tLong[order] + m.u[order]) + m.tShort[order];
    };
    auto blockLength = [&](int order) { return order > 40 ? 0 : (1LL << order) - S + 1; };
    int mode;
    double best;
    if (L > 32 * S) {
        mode = 3;
        best = blocks(k + 2, blockLength(k + 2));  // one transform per block, real data too
    } else {
        mode = 1;
        best = blocks(k, blockLength(k));
    }
    if (const double second = blocks(k + 1, blockLength(k + 1)); second < best) {
        mode = 2;
        best = second;
    }
    const int j = std::min(bitLength(n), 32);
    const double whole = m.tLong[j] + m.tShort[j] + m.u[j];
    if (whole <= best) return {kSingle, 1};
    return {kSectioned, mode};
}

// ---- direct sums ----

// y[n] = Σ long[k]·short[n-k]. Real data of one type goes through the vector
// kernel, each output summed in a register lane (float in double); complex
// and mixed data are summed here in extended precision. Every output is
// rounded once.
template <class L, class S, class Y>
void direct(const L* lng, long long nL, const S* sht, long long nS, Y* y) {
    if constexpr (std::is_same_v<L, Y> && std::is_same_v<S, Y> && !isComplex<Y>) {
        kernels::convOps<Y>().direct(lng, nL, sht, nS, y);
        return;
    }
    using W = p::WideOf<RealOf<Y>>;
    const long long n = nL + nS - 1;
    for (long long i = 0; i < n; ++i) {
        const long long lo = std::max(0LL, i - (nS - 1)), hi = std::min(i, nL - 1);
        p::Acc<W> s0, s1;
        long long k = lo;
        for (; k + 1 <= hi; k += 2) {
            s0 += p::product<false, W>(lng[k], sht[i - k]);
            s1 += p::product<false, W>(lng[k + 1], sht[i - k - 1]);
        }
        if (k == hi) s0 += p::product<false, W>(lng[k], sht[i - k]);
        s0 += s1;
        y[i] = p::narrow<Y>(s0);
    }
}

// ---- fast methods ----

template <class R>
R* allocate(long long count) {
    if (count > INT_MAX) return nullptr;
    R* block;
    if constexpr (std::is_same_v<R, float>) block = voksMalloc(int(count));
    else block = vokdMalloc(int(count));
    return block;
}

// The two work arrays of a fast method: the block being transformed and the
// short operand's spectrum. The transform tables are the thread's cached ones.
template <class R>
struct Work {
    R* block = nullptr;
    R* filter = nullptr;
    ~Work() {
        vokFree(block);
        vokFree(filter);
    }
    bool take(long long count) { return (block = allocate<R>(count)) && (filter = allocate<R>(count)); }
};

// dst[i] = src[from + i] for i < size, zero outside src[0 .. len), as
// interleaved (re, im) pairs when 'pairs' is set (a real source gets zero
// imaginary parts), else as reals.
template <bool pairs, class T, class R>
void load(const T* src, long long from, long long len, R* dst, long long size) {
    constexpr long long width = pairs ? 2 : 1;
    const long long lo = std::clamp(-from, 0LL, size), hi = std::clamp(len - from, lo, size);
    std::memset(dst, 0, std::size_t(width * lo) * sizeof(R));
    if constexpr (isComplex<T> || !pairs) {
        static_assert(sizeof(T) == width * sizeof(R));
        std::memcpy(dst + width * lo, src + from + lo, std::size_t(hi - lo) * sizeof(T));
    } else {
        for (long long i = lo; i < hi; ++i) {
            dst[2 * i] = src[from + i];
            dst[2 * i + 1] = 0;
        }
    }
    std::memset(dst + width * hi, 0, std::size_t(width * (size - hi)) * sizeof(R));
}

inline int orderOf(long long size) {
    int order = 0;
    while ((1LL << order) < size) ++order;
    return order;
}

// The exported transforms whose work the fast methods do: a table that cannot
// be built is reported under their names, as their VOK_Init calls report it.
template <class R>
struct Transforms {
    static constexpr const char *module = "vokffts", *real = "voksRealFftl", *ccs = "voksCcsFftl", *complex = "vokcFft";
};
template <>
struct Transforms<double> {
    static constexpr const char *module = "vokfftd", *real = "vokdRealFftl", *ccs = "vokdCcsFftl", *complex = "vokzFft";
};

// Real operands: real transforms into the CCS layout (size/2 + 1 complex
// bins), so the spectrum product is one complex multiply of the bins.
// Nothing here reports; 'failed' names the transform whose tables could not
// be built.
template <class R>
struct RealSpectra {
    using Names = Transforms<R>;
    static constexpr long long perPoint = 1;
    const char* failed = nullptr;
    static long long room(long long size) { return size + 2; }
    bool fail(const char* transform) {
        failed = transform;
        return false;
    }
    // Both directions' tables up front. Building the inverse's may release
    // the forward's to retry, so the transforms can still fail (on the first
    // block only: after it every table is in place).
    bool prepare(int order) {
        const R *stages, *extra;
        const int* swap;
        if (order < 2) return true;
        if (!fftimpl::realTables<R>(order, false, stages, swap, extra)) return fail(Names::real);
        return fftimpl::realTables<R>(order, true, stages, swap, extra) || fail(Names::ccs);
    }
    bool forward(R* x, int order) { return fftRealToCcs(x, x, order) == VOK_StatusOk || fail(Names::real); }
    bool inverse(R* x, int order) { return fftCcsToReal(x, x, order, false) == VOK_StatusOk || fail(Names::ccs); }
    static long long bins(long long size) { return size / 2 + 1; }
};

// Complex operands: the forward transform leaves its spectrum in bit-reversed
// order and the inverse takes it so; the product does not care about order.
// One table serves both, so nothing fails once it is prepared.
template <class R>
struct ComplexSpectra {
    using Names = Transforms<R>;
    static constexpr long long perPoint = 2;
    const R* stages = nullptr;
    const char* failed = nullptr;
    static long long room(long long size) { return 2 * size; }
    bool prepare(int order) {
        const int* swap;
        if (fftimpl::complexTables<R>(order, stages, swap)) return true;
        failed = Names::complex;
        return false;
    }
    bool forward(R* x, int order) const {
        kernels::fftOps<R>().dif(x, order, stages, false);
        return true;
    }
    bool inverse(R* x, int order) const {
        kernels::fftOps<R>().dit(x, order, stages, true);
        return true;
    }
    static long long bins(long long size) { return size; }
};

template <class Y>
using SpectraOf = std::conditional_t<isComplex<Y>, ComplexSpectra<RealOf<Y>>, RealSpectra<RealOf<Y>>>;

// The five argument checks, repeated by each method under its own name.
inline bool badArguments(ArgChecks check, const void* x, long long xLen, const void* h, long long hLen,
                         const void* y) {
    const CheckAll all{check};
    all(!x, "x==0");
    all(xLen < 1, "xLen<=0");
    all(!h, "h==0");
    all(hLen < 1, "hLen<=0");
    all(!y, "y==0");
    return all.failed();
}

// The transform's own report, then the method's backtrace.
template <class R>
bool transformFailed(ArgChecks method, const char* transform) {
    vokError(VOK_StatusNoMemory, transform, "No working Twd memory", Transforms<R>::module, __LINE__);
    method.backtrace(__LINE__);
    return false;
}

// Convolution of long[0 .. nL) with short[0 .. nS) through transforms of
// 'size' points, the long operand taken in windows of size points that step
// by size - (nS - 1) (overlap-save; one window covers everything when size
// >= N). The transform tables come first, then the two work arrays. Returns
// false after reporting a failure; y is then untouched.
template <class L, class S, class Y>
bool fast(ArgChecks check, const L* lng, long long nL, const S* sht, long long nS, Y* y, long long size) {
    using R = RealOf<Y>;
    using Spectra = SpectraOf<Y>;
    constexpr bool pairs = isComplex<Y>;
    Work<R> work;
    Spectra spectra;
    const int order = orderOf(size);
    if (size > (1LL << 30)) {
        check.noMemory(__LINE__);
        return false;
    }
    if (!spectra.prepare(order)) return transformFailed<R>(check, spectra.failed);
    if (!work.take(Spectra::room(size))) {
        check.noMemory(__LINE__);
        return false;
    }
    // The filter spectrum carries the 1/size of the inverse transform.
    load<pairs>(sht, 0, nS, work.filter, size);
    if (!spectra.forward(work.filter, order)) return transformFailed<R>(check, spectra.failed);
    const long long bins = Spectra::bins(size);
    kernels::arithOps<R>().mulScalar(work.filter, R(1.0 / double(size)), work.filter, int(2 * bins));

    // A window of 'size' points starting 'lead' points before the outputs it
    // yields: its first lead cyclic results are wrapped and dropped.
    const long long n = nL + nS - 1, lead = size >= n ? 0 : nS - 1, step = size >= n ? n : size - lead;
    for (long long start = 0; start < n; start += step) {
        load<pairs>(lng, start - lead, nL, work.block, size);
        const bool forward = spectra.forward(work.block, order);
        if (forward) kernels::arithOps<R>().mulComplex(work.block, work.filter, work.block, int(bins));
        if (!forward || !spectra.inverse(work.block, order)) return transformFailed<R>(check, spectra.failed);
        std::memcpy(y + start, work.block + Spectra::perPoint * lead, std::size_t(std::min(step, n - start)) * sizeof(Y));
    }
    return true;
}

inline long long powerOfTwoAtLeast(long long v) {
    long long m = 1;
    while (m < v) m <<= 1;
    return m;
}

// One transform of the smallest power of two that holds the whole result.
template <class L, class S, class Y>
bool single(const Model& model, const L* lng, long long nL, const S* sht, long long nS, Y* y) {
    const ArgChecks check{model.methods[kSingle], model.module, __LINE__};
    if (badArguments(check, lng, nL, sht, nS, y)) return false;
    if (nL + nS - 1 == 1) {
        y[0] = p::narrow<Y>(p::product<false, p::WideOf<RealOf<Y>>>(lng[0], sht[0]));
        return true;
    }
    return fast(check, lng, nL, sht, nS, y, powerOfTwoAtLeast(nL + nS - 1));
}

// Overlap-save with a block transform two or four times the short operand's
// power of two, never larger than the result needs.
template <class L, class S, class Y>
bool sectioned(const Model& model, const L* lng, long long nL, const S* sht, long long nS, Y* y, int mode) {
    const ArgChecks check{model.methods[kSectioned], model.module, __LINE__};
    if (badArguments(check, lng, nL, sht, nS, y)) return false;
    const long long n = nL + nS - 1, m0 = powerOfTwoAtLeast(nS + 1);
    long long size = m0;
    if (m0 < n) size = mode > 1 && 2 * m0 < n ? 4 * m0 : 2 * m0;
    return fast(check, lng, nL, sht, nS, y, size);
}

template <class L, class S, class Y>
bool directMethod(const Model& model, const L* lng, long long nL, const S* sht, long long nS, Y* y) {
    const ArgChecks check{model.methods[kDirect], model.module, __LINE__};
    if (badArguments(check, lng, nL, sht, nS, y)) return false;
    direct(lng, nL, sht, nS, y);
    return true;
}

// Runs the given method (the tests force each one this way).
template <class L, class S, class Y>
bool runMethod(const Model& model, Choice choice, const L* lng, int nL, const S* sht, int nS, Y* y) {
    switch (choice.method) {
        case kDirect: return directMethod(model, lng, nL, sht, nS, y);
        case kSingle: return single(model, lng, nL, sht, nS, y);
        default: return sectioned(model, lng, nL, sht, nS, y, choice.mode);
    }
}

// The exported functions: checks, operand order, method choice, backtrace.
// 'swapped' is the sibling with the operand types exchanged (the function
// itself for equal types), called when the second operand is the longer.
template <class X, class H, class Y>
int convolve(ArgChecks check, const Model& model, const X* x, int xLen, const H* h, int hLen, Y* y,
             int (VOK_CALL* swapped)(const H*, int, const X*, int, Y*)) {
    vokSetErrStatus(VOK_StatusOk);  // a failure left by an earlier call does not stop this one
    if (badArguments(check, x, xLen, h, hLen, y)) return vokGetErrStatus();
    if (xLen < hLen) {
        if constexpr (std::is_same_v<X, H>) runMethod(model, choose(model, hLen, xLen), h, hLen, x, xLen, y);
        else swapped(h, hLen, x, xLen, y);
    } else {
        runMethod(model, choose(model, xLen, hLen), x, xLen, h, hLen, y);
    }
    if (vokGetErrStatus() < 0) {
        check.backtrace(__LINE__);
        return vokGetErrStatus();
    }
    return VOK_StatusOk;
}

}  // namespace vok::conv1d
