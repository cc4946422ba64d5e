// Kernels of the elementwise functions, statistics and norms. Sums run over
// 16 fixed partial sums (element i feeds partial i mod 16) that are added in a
// fixed order at the end, so a result does not depend on the vector width:
// float data accumulate in double, double data in compensated double.
#pragma once

#include "kernels/dispatch.h"

namespace vok::kernels {

template <class T>
struct ElementwiseOps {
    // dst[i] = sqrt(src[i]); true when some element was below zero.
    bool (*sqrt)(const T* src, T* dst, int count);
    double (*sum)(const T* src, int count);
    double (*sumSquares)(const T* src, int count);
    // Norm pieces of a - b, or of a alone when b is null.
    T (*maxAbsDiff)(const T* a, const T* b, int count);      // by magnitude bit patterns
    double (*sumAbsDiff)(const T* a, const T* b, int count);
    double (*sumSquaredDiff)(const T* a, const T* b, int count);
};

struct ElementwiseTable {
    ElementwiseOps<float> s;
    ElementwiseOps<double> d;
    // Float logarithm and exponential, evaluated in double lanes and rounded once.
    void (*lnFloat)(const float* src, float* dst, int count);
    void (*expFloat)(const float* src, float* dst, int count);
};

extern const ElementwiseTable elementwise_sse2, elementwise_avx2, elementwise_avx512;

inline const ElementwiseTable& elementwise() {
    return simd::select(elementwise_sse2, elementwise_avx2, elementwise_avx512);
}

template <class T>
const ElementwiseOps<T>& elementwiseOps();
template <>
inline const ElementwiseOps<float>& elementwiseOps<float>() { return elementwise().s; }
template <>
inline const ElementwiseOps<double>& elementwiseOps<double>() { return elementwise().d; }

}  // namespace vok::kernels
