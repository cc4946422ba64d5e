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

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const ConvTable VOK_KERNEL_TABLE(conv) = {{simd::VOK_ISA::direct<float>}, {simd::VOK_ISA::direct<double>}};
}
