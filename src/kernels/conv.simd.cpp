// Direct convolution sums, written once for every width and both precisions.
#include "kernels/simd.h"
#include "kernels/conv.h"

VOK_SIMD_BEGIN
namespace {

constexpr int kD = kLanes<double>;  // outputs per register
constexpr int kGroup = 4;           // registers of outputs summed together

// kD consecutive elements of T as a register of doubles.
template <class T>
struct Wide;
template <>
struct Wide<double> {
    static inline __attribute__((always_inline)) Vec<double> at(const double* p) { return load(p); }
};
template <>
struct Wide<float> {
    typedef float Narrow __attribute__((vector_size(kD * sizeof(float))));
    static inline __attribute__((always_inline)) Vec<double> at(const float* p) {
        Narrow v;
        std::memcpy(&v, p, sizeof v);
        return __builtin_convertvector(v, Vec<double>);
    }
};

// lng[at .. at + kD) with the elements outside lng[0 .. len) taken as zero.
template <class T>
Vec<double> wideClipped(const T* lng, long long len, long long at) {
    T part[kD] = {};
    for (int k = 0; k < kD; ++k)
        if (at + k >= 0 && at + k < len) part[k] = lng[at + k];
    return Wide<T>::at(part);
}

template <class T>
void storeOutputs(T* y, Vec<double> v, long long count) {
    if (count >= kD) {
        for (int k = 0; k < kD; ++k) y[k] = T(v[k]);
    } else {
        for (long long k = 0; k < count; ++k) y[k] = T(v[k]);
    }
}

template <class T>
void direct(const T* lng, long long nL, const T* sht, long long nS, T* y) {
    constexpr long long span = kGroup * kD;
    const long long n = nL + nS - 1;
    for (long long i0 = 0; i0 < n; i0 += span) {
        // Taps that reach at least one output of the group.
        const long long jLo = i0 - (nL - 1) > 0 ? i0 - (nL - 1) : 0;
        const long long jHi = i0 + span - 1 < nS - 1 ? i0 + span - 1 : nS - 1;
        Vec<double> acc[kGroup] = {};
        for (long long j = jLo; j <= jHi; ++j) {
            const Vec<double> tap = splat(double(sht[j]));
            const long long at = i0 - j;
            if (at >= 0 && at + span <= nL) {
                for (int g = 0; g < kGroup; ++g) acc[g] += tap * Wide<T>::at(lng + at + g * kD);
            } else {
                for (int g = 0; g < kGroup; ++g) acc[g] += tap * wideClipped(lng, nL, at + g * kD);
            }
        }
        for (int g = 0; g < kGroup; ++g) {
            const long long first = i0 + g * kD;
            if (first < n) storeOutputs(y + first, acc[g], n - first);
        }
    }
}

// Correlation over lags, aw and bw the floats per element of a and b (1 real,
// 2 complex). A register holds kD / bw consecutive lags; a complex a is
// conjugated: re += ar·br + ai·bi, im += ar·bi - ai·br. With a complex and b
// real, the real and imaginary parts of the lags go to registers of their own
// (re += ar·b, im -= ai·b) and are interleaved on the way out.
template <int aw, int bw, int groups>
void lagsIn(const float* a, long long lenA, const float* b, long long lenB, float* r, long long first, long long count) {
    constexpr bool splitParts = aw == 2 && bw == 1;
    constexpr long long perRegister = kD / bw, span = groups * perRegister;
    Vec<double> conjugateSigns{};
    for (int k = 0; k < kD; ++k) conjugateSigns[k] = (k & 1) ? -1.0 : 1.0;
    for (long long i0 = 0; i0 < count; i0 += span) {
        const long long k0 = first + i0;
        // The elements of a that meet b at one lag of the group at least.
        const long long nLo = -(k0 + span - 1) > 0 ? -(k0 + span - 1) : 0;
        const long long nHi = lenB - k0 < lenA ? lenB - k0 : lenA;
        Vec<double> acc[groups] = {}, accIm[groups] = {};
        for (long long n = nLo; n < nHi; ++n) {
            const Vec<double> re = splat(double(a[aw * n]));
            const double ai = double(a[aw * n + aw - 1]);
            const Vec<double> im = splitParts ? splat(-ai) : aw == 2 ? splat(ai) * conjugateSigns : Vec<double>{};
            auto add = [&](int g, Vec<double> v) {
                acc[g] += re * v;
                if constexpr (splitParts) accIm[g] += im * v;
                else if constexpr (aw == 2) acc[g] += im * swapReIm<double>(v);
            };
            const long long at = bw * (n + k0);
            if (n + k0 >= 0 && n + k0 + span <= lenB) {
                for (int g = 0; g < groups; ++g) add(g, Wide<float>::at(b + at + g * kD));
            } else {
                for (int g = 0; g < groups; ++g) add(g, wideClipped(b, bw * lenB, at + g * kD));
            }
        }
        for (int g = 0; g < groups; ++g) {
            const long long lag = i0 + g * perRegister;
            if (lag >= count) continue;
            if constexpr (splitParts) {
                for (long long k = 0; k < perRegister && lag + k < count; ++k) {
                    r[2 * (lag + k)] = float(acc[g][k]);
                    r[2 * (lag + k) + 1] = float(accIm[g][k]);
                }
            } else {
                storeOutputs(r + bw * lag, acc[g], bw * (count - lag));
            }
        }
    }
}

// Few lags fill fewer registers: no lane is summed for nothing.
template <int aw, int bw>
void lags(const float* a, long long lenA, const float* b, long long lenB, float* r, long long first, long long count) {
    constexpr long long perRegister = kD / bw;
    if (count <= perRegister) lagsIn<aw, bw, 1>(a, lenA, b, lenB, r, first, count);
    else if (count <= 2 * perRegister) lagsIn<aw, bw, 2>(a, lenA, b, lenB, r, first, count);
    else lagsIn<aw, bw, kGroup>(a, lenA, b, lenB, r, first, count);
}

// x = hi + lo exactly, hi holding the upper 26 bits of x's significand
// (Veltkamp's split; |x| below 2^995).
inline __attribute__((always_inline)) void split(Vec<double> x, Vec<double>& hi, Vec<double>& lo) {
    const Vec<double> scaled = x * 134217729.0;  // 2^27 + 1
    hi = scaled - (scaled - x);
    lo = x - hi;
}

// sum + correction += x·y, with the exact rounding errors of the product
// (Dekker) and of the addition (Knuth) folded into the correction; x and y
// come split already.
inline __attribute__((always_inline)) void addCompensated(Vec<double>& sum, Vec<double>& correction, Vec<double> x,
                                                          Vec<double> xHi, Vec<double> xLo, Vec<double> y,
                                                          Vec<double> yHi, Vec<double> yLo) {
    const Vec<double> product = x * y;
    const Vec<double> productError = ((xHi * yHi - product) + xHi * yLo + xLo * yHi) + xLo * yLo;
    const Vec<double> total = sum + product;
    const Vec<double> taken = total - sum;
    const Vec<double> sumError = (sum - (total - taken)) + (product - taken);
    sum = total;
    correction += sumError + productError;
}

// Correlation of double data over lags, laid out as the float kernel above
// (aw, bw doubles per element, a complex a conjugated), each lane a lag summed
// as an unevaluated pair sum + correction that carries the exact rounding error
// of every product and addition: about twice the precision of double.
// Operands must stay clear of overflow and underflow in their products.
template <int aw, int bw, int groups>
void lagsCompensatedIn(const double* a, long long lenA, const double* b, long long lenB, double* r, long long first,
                     long long count) {
    static_assert(bw == 2 || aw == 1, "a complex a against real b has no double kernel");
    constexpr long long perRegister = kD / bw, span = groups * perRegister;
    Vec<double> conjugateSigns{};
    for (int k = 0; k < kD; ++k) conjugateSigns[k] = (k & 1) ? -1.0 : 1.0;
    for (long long i0 = 0; i0 < count; i0 += span) {
        const long long k0 = first + i0;
        const long long nLo = -(k0 + span - 1) > 0 ? -(k0 + span - 1) : 0;
        const long long nHi = lenB - k0 < lenA ? lenB - k0 : lenA;
        Vec<double> sum[groups] = {}, correction[groups] = {};
        for (long long n = nLo; n < nHi; ++n) {
            const Vec<double> re = splat(a[aw * n]);
            const Vec<double> im = splat(a[aw * n + aw - 1]) * conjugateSigns;
            Vec<double> reHi, reLo, imHi, imLo;
            split(re, reHi, reLo);
            if constexpr (aw == 2) split(im, imHi, imLo);
            auto add = [&](int g, Vec<double> y) {
                Vec<double> yHi, yLo;
                split(y, yHi, yLo);
                addCompensated(sum[g], correction[g], re, reHi, reLo, y, yHi, yLo);
                if constexpr (aw == 2)
                    addCompensated(sum[g], correction[g], im, imHi, imLo, swapReIm<double>(y), swapReIm<double>(yHi),
                                   swapReIm<double>(yLo));
            };
            const long long at = bw * (n + k0);
            if (n + k0 >= 0 && n + k0 + span <= lenB) {
                for (int g = 0; g < groups; ++g) add(g, load(b + at + g * kD));
            } else {
                for (int g = 0; g < groups; ++g) add(g, wideClipped(b, bw * lenB, at + g * kD));
            }
        }
        for (int g = 0; g < groups; ++g) {
            const long long lag = i0 + g * perRegister;
            if (lag < count) storeOutputs(r + bw * lag, sum[g] + correction[g], bw * (count - lag));
        }
    }
}

template <int aw, int bw>
void lagsCompensated(const double* a, long long lenA, const double* b, long long lenB, double* r, long long first,
                     long long count) {
    constexpr long long perRegister = kD / bw;
    if (count <= perRegister) lagsCompensatedIn<aw, bw, 1>(a, lenA, b, lenB, r, first, count);
    else if (count <= 2 * perRegister) lagsCompensatedIn<aw, bw, 2>(a, lenA, b, lenB, r, first, count);
    else lagsCompensatedIn<aw, bw, kGroup>(a, lenA, b, lenB, r, first, count);
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const ConvTable VOK_KERNEL_TABLE(conv) = {{simd::VOK_ISA::direct<float>},
                                           {simd::VOK_ISA::direct<double>},
                                           {simd::VOK_ISA::lags<1, 1>, simd::VOK_ISA::lags<2, 2>,
                                            simd::VOK_ISA::lags<1, 2>, simd::VOK_ISA::lags<2, 1>,
                                            simd::VOK_ISA::lagsCompensated<1, 1>,
                                            simd::VOK_ISA::lagsCompensated<2, 2>,
                                            simd::VOK_ISA::lagsCompensated<1, 2>}};
}
