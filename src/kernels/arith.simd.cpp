// Elementwise arithmetic, written once for every width and both precisions.
#include "kernels/simd.h"
#include "kernels/arith.h"

VOK_SIMD_BEGIN
namespace {

struct Add { template <class X> X operator()(X a, X b) const { return a + b; } };
struct Sub { template <class X> X operator()(X a, X b) const { return a - b; } };
struct Mul { template <class X> X operator()(X a, X b) const { return a * b; } };
struct MulComplex {
    template <class T> Vec<T> operator()(Vec<T> a, Vec<T> b) const { return complexMul<T>(a, b); }
};

// dst[k] = op(a[k], b[k]) from the top down in blocks of four registers, then
// one register at a time, then the lanes left at the bottom.
template <class T, class Op>
void binary(const T* a, const T* b, T* dst, int count, Op op) {
    constexpr int L = kLanes<T>;
    int i = count;
    for (; i >= 4 * L; i -= 4 * L) {
        const Vec<T> a3 = load(a + i - L), a2 = load(a + i - 2 * L), a1 = load(a + i - 3 * L), a0 = load(a + i - 4 * L);
        const Vec<T> b3 = load(b + i - L), b2 = load(b + i - 2 * L), b1 = load(b + i - 3 * L), b0 = load(b + i - 4 * L);
        store(dst + i - L, op(a3, b3));
        store(dst + i - 2 * L, op(a2, b2));
        store(dst + i - 3 * L, op(a1, b1));
        store(dst + i - 4 * L, op(a0, b0));
    }
    for (; i >= L; i -= L) store(dst + i - L, op(load(a + i - L), load(b + i - L)));
    for (; i > 0; --i) dst[i - 1] = op(a[i - 1], b[i - 1]);
}

// dst[k] = op(a[k], pattern[k]) where pattern repeats the pair (p0, p1).
template <class T, class Op>
void withPattern(const T* a, T p0, T p1, T* dst, int count, Op op) {
    constexpr int L = kLanes<T>;
    Vec<T> pattern{};
    for (int k = 0; k < L; ++k) pattern[k] = (k & 1) ? p1 : p0;
    int i = count;  // count is even whenever p0 != p1
    for (; i >= 2 * L; i -= 2 * L) {
        const Vec<T> hi = load(a + i - L), lo = load(a + i - 2 * L);
        store(dst + i - L, op(hi, pattern));
        store(dst + i - 2 * L, op(lo, pattern));
    }
    for (; i >= L; i -= L) store(dst + i - L, op(load(a + i - L), pattern));
    for (; i > 0; --i) dst[i - 1] = op(a[i - 1], ((i - 1) & 1) ? p1 : p0);
}

template <class T>
void mulComplexScalarLoop(const T* a, T re, T im, T* dst, int n) {
    constexpr int L = kLanes<T>;
    Vec<T> b{};
    for (int k = 0; k < L; ++k) b[k] = (k & 1) ? im : re;
    int i = 2 * n;
    for (; i >= L; i -= L) store(dst + i - L, complexMul<T>(load(a + i - L), b));
    if (i > 0) storePartial(dst, complexMul<T>(loadPartial(a, i), b), i);
}

template <class T>
void mulComplexLoop(const T* a, const T* b, T* dst, int n) {
    constexpr int L = kLanes<T>;
    int i = 2 * n;
    for (; i >= 2 * L; i -= 2 * L) {
        const Vec<T> x1 = load(a + i - L), x0 = load(a + i - 2 * L);
        const Vec<T> y1 = load(b + i - L), y0 = load(b + i - 2 * L);
        store(dst + i - L, complexMul<T>(x1, y1));
        store(dst + i - 2 * L, complexMul<T>(x0, y0));
    }
    for (; i >= L; i -= L) store(dst + i - L, complexMul<T>(load(a + i - L), load(b + i - L)));
    if (i > 0) storePartial(dst, complexMul<T>(loadPartial(a, i), loadPartial(b, i)), i);
}

// Conjugation flips the sign bit of every imaginary lane: -0 and NaN payloads survive.
template <class T>
void conjLoop(const T* src, T* dst, int n) {
    using I = typename LaneIndex<T>::type;
    constexpr int L = kLanes<T>;
    const IndexVec<T> flip = laneMask<T>([](int k) { return (k & 1) ? I(1) << (8 * sizeof(T) - 1) : I(0); });
    int i = 2 * n;
    for (; i >= L; i -= L) {
        IndexVec<T> bits;
        std::memcpy(&bits, src + i - L, sizeof bits);
        bits ^= flip;
        std::memcpy(dst + i - L, &bits, sizeof bits);
    }
    for (i /= 2; i > 0; --i) {
        I bits;
        std::memcpy(&bits, src + 2 * i - 1, sizeof bits);
        bits ^= I(1) << (8 * sizeof(T) - 1);
        dst[2 * i - 2] = src[2 * i - 2];
        std::memcpy(dst + 2 * i - 1, &bits, sizeof bits);
    }
}

template <class T>
void fillLoop(T* dst, T re, T im, int count) {
    constexpr int L = kLanes<T>;
    Vec<T> v{};
    for (int k = 0; k < L; ++k) v[k] = (k & 1) ? im : re;
    int i = 0;
    for (; i + L <= count; i += L) store(dst + i, v);
    for (; i < count; ++i) dst[i] = (i & 1) ? im : re;
}

template <class T>
constexpr vok::kernels::ArithOps<T> makeOps() {
    return {
        [](const T* a, const T* b, T* d, int c) { binary(a, b, d, c, Add{}); },
        [](const T* a, const T* b, T* d, int c) { binary(a, b, d, c, Sub{}); },
        [](const T* a, const T* b, T* d, int c) { binary(a, b, d, c, Mul{}); },
        [](const T* a, T v, T* d, int c) { withPattern(a, v, v, d, c, Add{}); },
        [](const T* a, T v, T* d, int c) { withPattern(a, v, v, d, c, Sub{}); },
        [](const T* a, T v, T* d, int c) { withPattern(a, v, v, d, c, Mul{}); },
        [](const T* a, T re, T im, T* d, int n) { withPattern(a, re, im, d, 2 * n, Add{}); },
        [](const T* a, T re, T im, T* d, int n) { withPattern(a, re, im, d, 2 * n, Sub{}); },
        mulComplexScalarLoop<T>,
        mulComplexLoop<T>,
        conjLoop<T>,
        fillLoop<T>,
    };
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const ArithTable VOK_KERNEL_TABLE(arith) = {simd::VOK_ISA::makeOps<float>(), simd::VOK_ISA::makeOps<double>()};
}
