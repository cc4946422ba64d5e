// Elementwise arithmetic kernels over float or double lanes. Complex vectors
// are passed as interleaved lanes; counts are in lanes (reals) unless named
// nComplex. Every kernel walks from the highest index down, so a destination
// overlapping its source at a higher address is handled like memmove.
#pragma once

#include "kernels/dispatch.h"

namespace vok::kernels {

template <class T>
struct ArithOps {
    void (*add)(const T* a, const T* b, T* dst, int count);
    void (*sub)(const T* a, const T* b, T* dst, int count);
    void (*mul)(const T* a, const T* b, T* dst, int count);
    void (*addScalar)(const T* a, T val, T* dst, int count);
    void (*subScalar)(const T* a, T val, T* dst, int count);
    void (*mulScalar)(const T* a, T val, T* dst, int count);
    // (re, im) repeated over the interleaved lanes.
    void (*addComplexScalar)(const T* a, T re, T im, T* dst, int nComplex);
    void (*subComplexScalar)(const T* a, T re, T im, T* dst, int nComplex);
    void (*mulComplexScalar)(const T* a, T re, T im, T* dst, int nComplex);
    void (*mulComplex)(const T* a, const T* b, T* dst, int nComplex);
    void (*conj)(const T* src, T* dst, int nComplex);
    void (*fill)(T* dst, T re, T im, int count);  // upward, lanes alternate re, im
};

struct ArithTable {
    ArithOps<float> s;
    ArithOps<double> d;
};

extern const ArithTable arith_sse2, arith_avx2, arith_avx512;

inline const ArithTable& arith() { return simd::select(arith_sse2, arith_avx2, arith_avx512); }

template <class T>
const ArithOps<T>& arithOps();
template <>
inline const ArithOps<float>& arithOps<float>() { return arith().s; }
template <>
inline const ArithOps<double>& arithOps<double>() { return arith().d; }

}  // namespace vok::kernels
