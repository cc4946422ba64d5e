// The vector abstraction of the kernel sources (*.simd.cpp). Such a source is
// compiled once per instruction set with VOK_ISA (sse2, avx2, avx512) and
// VOK_VECTOR_BYTES (16, 32, 64) defined; the same code then serves every width
// through GCC's vector extensions.
//
// Everything a kernel source defines must live in namespace vok::simd::VOK_ISA
// (open it with VOK_SIMD_BEGIN): an inline function or template emitted in two
// widths under one name would let the linker pick the wider code for a
// processor that cannot run it. For the same reason kernels avoid out-of-line
// std:: templates; the helpers here are all that is needed.
#pragma once

#if !defined(VOK_ISA) || !defined(VOK_VECTOR_BYTES)
#error "kernel sources are compiled through the per-width units that CMake generates"
#endif

#include <cstddef>
#include <cstring>
#include <utility>

#define VOK_SIMD_CAT2(a, b) a##_##b
#define VOK_SIMD_CAT(a, b) VOK_SIMD_CAT2(a, b)
// The name of this width's table of a family: VOK_KERNEL_TABLE(arith) is arith_avx2, ...
#define VOK_KERNEL_TABLE(family) VOK_SIMD_CAT(family, VOK_ISA)
#define VOK_SIMD_BEGIN namespace vok::simd::VOK_ISA {
#define VOK_SIMD_END }

VOK_SIMD_BEGIN

constexpr int kVectorBytes = VOK_VECTOR_BYTES;

template <class T>
struct VecOf {
    typedef T type __attribute__((vector_size(kVectorBytes)));
};
// A full register of T lanes.
template <class T>
using Vec = typename VecOf<T>::type;
template <class T>
constexpr int kLanes = kVectorBytes / int(sizeof(T));

template <class T> struct LaneIndex;
template <> struct LaneIndex<float> { using type = int; };
template <> struct LaneIndex<double> { using type = long long; };
template <class T>
using IndexVec = Vec<typename LaneIndex<T>::type>;

template <class T>
inline __attribute__((always_inline)) Vec<T> load(const T* p) {
    Vec<T> v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
// Any vector type V (half a register, say) from the bytes at p.
template <class V, class T>
inline __attribute__((always_inline)) V loadAs(const T* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T>
inline __attribute__((always_inline)) void store(T* p, Vec<T> v) {
    std::memcpy(p, &v, sizeof v);
}
template <class T>
inline __attribute__((always_inline)) Vec<T> splat(T x) {
    return Vec<T>{} + x;
}

// The last count < kLanes<T> lanes of an array as a register (zeros above),
// and back. Tails go through the same vector code as the body: a scalar tail
// would be auto-vectorised into fused multiply-adds that round differently.
template <class T>
inline __attribute__((always_inline)) Vec<T> loadPartial(const T* p, int count) {
    Vec<T> v{};
    std::memcpy(&v, p, sizeof(T) * unsigned(count));
    return v;
}
template <class T>
inline __attribute__((always_inline)) void storePartial(T* p, Vec<T> v, int count) {
    std::memcpy(p, &v, sizeof(T) * unsigned(count));
}

// Lane masks, built by loops that the compiler folds into constants.
template <class T, class F>
inline __attribute__((always_inline)) IndexVec<T> laneMask(F pick) {
    IndexVec<T> m{};
    for (int i = 0; i < kLanes<T>; ++i) m[i] = pick(i);
    return m;
}

// Lane permutation: result[i] = v[pick(i)], pick a captureless lambda. GCC
// takes a mask vector; clang (the fuzzing build) wants constant indices.
template <class T, class F>
inline __attribute__((always_inline)) Vec<T> permute(Vec<T> v, F pick) {
#if defined(__clang__)
    (void)pick;
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return __builtin_shufflevector(v, v, F{}(int(I))...);
    }(std::make_index_sequence<kLanes<T>>{});
#else
    return __builtin_shuffle(v, laneMask<T>(pick));
#endif
}

// Two-source lane selection: result[i] = pick(i) < kLanes ? a[pick(i)] : b[pick(i) - kLanes].
template <class T, class F>
inline __attribute__((always_inline)) Vec<T> permute2(Vec<T> a, Vec<T> b, F pick) {
#if defined(__clang__)
    (void)pick;
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return __builtin_shufflevector(a, b, F{}(int(I))...);
    }(std::make_index_sequence<kLanes<T>>{});
#else
    return __builtin_shuffle(a, b, laneMask<T>(pick));
#endif
}

// Interleaved complex lanes (re, im, re, im, ...).
template <class T>
inline __attribute__((always_inline)) Vec<T> dupRe(Vec<T> v) {
    return permute<T>(v, [](int i) { return i & ~1; });
}
template <class T>
inline __attribute__((always_inline)) Vec<T> dupIm(Vec<T> v) {
    return permute<T>(v, [](int i) { return i | 1; });
}
template <class T>
inline __attribute__((always_inline)) Vec<T> swapReIm(Vec<T> v) {
    return permute<T>(v, [](int i) { return i ^ 1; });
}
// The sign of the imaginary lanes (Odd) or of the real lanes flipped: an
// exact product with -1, one cheap bitwise operation.
template <class T, bool Odd>
inline __attribute__((always_inline)) Vec<T> negateLanes(Vec<T> v) {
    using Index = typename LaneIndex<T>::type;
    constexpr Index sign = Index(1) << (8 * sizeof(T) - 1);
    const IndexVec<T> mask = laneMask<T>([](int i) { return ((i & 1) != 0) == Odd ? sign : Index(0); });
    return Vec<T>((IndexVec<T>)v ^ mask);
}
// (-1, +1, -1, +1, ...): turns the cross products into re = ac - bd, im = ad + bc.
template <class T>
inline __attribute__((always_inline)) Vec<T> reNegator() {
    Vec<T> m{};
    for (int i = 0; i < kLanes<T>; ++i) m[i] = (i & 1) ? T(1) : T(-1);
    return m;
}
// Products rounded exactly as the scalar formula (no fused multiply-add).
template <class T>
inline __attribute__((always_inline)) Vec<T> complexMul(Vec<T> a, Vec<T> b) {
    return dupRe<T>(a) * b + (dupIm<T>(a) * swapReIm<T>(b)) * reNegator<T>();
}

// A transpose of N x N elements of W lanes each (N = kLanes / W: real
// values for W = 1, complex ones for W = 2) held one row per register, in
// steps: in one step the off-diagonal D x D blocks of every 2D x 2D block
// change places.
template <class T, int W, int D>
inline __attribute__((always_inline)) void swapBlocks(Vec<T>* r) {
    constexpr int N = kLanes<T> / W;
    for (int i = 0; i < N; ++i) {
        if (i & D) continue;
        const Vec<T> a = r[i], b = r[i + D];
        r[i] = permute2<T>(a, b, [](int l) { return ((l / W) & D) ? kLanes<T> + l - W * D : l; });
        r[i + D] = permute2<T>(a, b, [](int l) { return ((l / W) & D) ? kLanes<T> + l : l + W * D; });
    }
}

template <class T, int W = 1>
inline __attribute__((always_inline)) void transposeRows(Vec<T>* r) {
    constexpr int N = kLanes<T> / W;
    if constexpr (N >= 16) swapBlocks<T, W, 8>(r);
    if constexpr (N >= 8) swapBlocks<T, W, 4>(r);
    if constexpr (N >= 4) swapBlocks<T, W, 2>(r);
    if constexpr (N >= 2) swapBlocks<T, W, 1>(r);
}

template <class T>
inline __attribute__((always_inline)) void transposeComplex(Vec<T>* r) {
    transposeRows<T, 2>(r);
}

VOK_SIMD_END
