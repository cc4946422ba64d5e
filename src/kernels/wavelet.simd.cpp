// Tap-broadcast row sums of the wavelet transforms, written once for every
// width. Float data is widened to double lanes on load and narrowed once on
// store, so the float and double forms share one accumulation.
#include "kernels/simd.h"
#include "kernels/wavelet.h"

#include <type_traits>

VOK_SIMD_BEGIN
namespace {

using D = Vec<double>;
constexpr int L = kLanes<double>;

// Half a register of floats: exactly the floats that widen to one D.
typedef float HalfFloat __attribute__((vector_size(kVectorBytes / 2)));

template <class T>
inline __attribute__((always_inline)) D loadWide(const T* p) {
    if constexpr (sizeof(T) == sizeof(double)) {
        return load(p);
    } else {
        HalfFloat h;
        std::memcpy(&h, p, sizeof h);
        return __builtin_convertvector(h, D);
    }
}

template <class T>
inline __attribute__((always_inline)) D loadWidePartial(const T* p, int count) {
    if constexpr (sizeof(T) == sizeof(double)) {
        return loadPartial(p, count);
    } else {
        HalfFloat h{};
        std::memcpy(&h, p, sizeof(float) * unsigned(count));
        return __builtin_convertvector(h, D);
    }
}

template <class T>
inline __attribute__((always_inline)) void storeNarrow(T* p, D v, int count = L) {
    if constexpr (sizeof(T) == sizeof(double)) {
        std::memcpy(p, &v, sizeof(double) * unsigned(count));
    } else {
        const HalfFloat h = __builtin_convertvector(v, HalfFloat);
        std::memcpy(p, &h, sizeof(float) * unsigned(count));
    }
}

// Two-source lane selection: lanes 0 ... n-1 pick from a, n ... 2n-1 from b.
template <class V, class F>
inline __attribute__((always_inline)) V select2(V a, V b, F pick) {
    constexpr int n = int(sizeof(V) / sizeof(a[0]));
#if defined(__clang__)
    (void)pick;
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return __builtin_shufflevector(a, b, F{}(int(I))...);
    }(std::make_index_sequence<n>{});
#else
    using Index = std::conditional_t<sizeof(a[0]) == 8, long long, int>;
    typedef Index Mask __attribute__((vector_size(sizeof(V))));
    Mask m{};
    for (int i = 0; i < n; ++i) m[i] = Index(pick(i));
    return __builtin_shuffle(a, b, m);
#endif
}

// (e0, o0, e1, o1, ...) over the low and the high halves of e and o.
inline __attribute__((always_inline)) D zipLow(D e, D o) {
    return select2(e, o, [](int j) { return (j & 1) ? L + j / 2 : j / 2; });
}
inline __attribute__((always_inline)) D zipHigh(D e, D o) {
    return select2(e, o, [](int j) { return (j & 1) ? L + L / 2 + j / 2 : L / 2 + j / 2; });
}

template <class T>
using RunOf = vok::kernels::WaveletRun<T>;

// Four registers of consecutive sums starting at i.
template <class T>
inline __attribute__((always_inline)) void sums4(const RunOf<T>* runs, std::ptrdiff_t i, D* acc) {
    D a0{}, a1{}, a2{}, a3{};
    for (int r = 0; r < 2; ++r) {
        const T* row = runs[r].row + i;
        const T* taps = runs[r].taps;
        for (int q = 0; q < runs[r].count; ++q, --row) {
            const D t = splat(double(taps[2 * q]));
            a0 = a0 + t * loadWide(row);
            a1 = a1 + t * loadWide(row + L);
            a2 = a2 + t * loadWide(row + 2 * L);
            a3 = a3 + t * loadWide(row + 3 * L);
        }
    }
    acc[0] = a0;
    acc[1] = a1;
    acc[2] = a2;
    acc[3] = a3;
}

template <class T>
inline __attribute__((always_inline)) D sums1(const RunOf<T>* runs, std::ptrdiff_t i) {
    D a{};
    for (int r = 0; r < 2; ++r) {
        const T* row = runs[r].row + i;
        for (int q = 0; q < runs[r].count; ++q) a = a + splat(double(runs[r].taps[2 * q])) * loadWide(row - q);
    }
    return a;
}

// The last lanes < L sums, read without touching the rows beyond them.
template <class T>
inline __attribute__((always_inline)) D sumsPartial(const RunOf<T>* runs, std::ptrdiff_t i, int lanes) {
    D a{};
    for (int r = 0; r < 2; ++r) {
        const T* row = runs[r].row + i;
        for (int q = 0; q < runs[r].count; ++q)
            a = a + splat(double(runs[r].taps[2 * q])) * loadWidePartial(row - q, lanes);
    }
    return a;
}

template <class T>
void deinterleave(const T* src, T* even, T* odd, std::ptrdiff_t half) {
    constexpr int V = kLanes<T>;
    std::ptrdiff_t i = 0;
    for (; i + V <= half; i += V) {
        const Vec<T> lo = load(src + 2 * i), hi = load(src + 2 * i + V);
        store(even + i, select2(lo, hi, [](int j) { return 2 * j; }));
        store(odd + i, select2(lo, hi, [](int j) { return 2 * j + 1; }));
    }
    for (; i < half; ++i) {
        even[i] = src[2 * i];
        odd[i] = src[2 * i + 1];
    }
}

template <class T>
void decimate(const RunOf<T>* runs, T* dst, std::ptrdiff_t n) {
    std::ptrdiff_t i = 0;
    for (; i + 4 * L <= n; i += 4 * L) {
        D acc[4];
        sums4(runs, i, acc);
        for (int j = 0; j < 4; ++j) storeNarrow(dst + i + j * L, acc[j]);
    }
    for (; i + L <= n; i += L) storeNarrow(dst + i, sums1(runs, i));
    if (i < n) {
        const int lanes = int(n - i);
        storeNarrow(dst + i, sumsPartial(runs, i, lanes), lanes);
    }
}

template <class T>
void interpolate(const RunOf<T>* even, const RunOf<T>* odd, T* dst, std::ptrdiff_t n) {
    std::ptrdiff_t u = 0;
    for (; u + 4 * L <= n; u += 4 * L) {
        D e[4], o[4];
        sums4(even, u, e);
        sums4(odd, u, o);
        T* out = dst + 2 * u;
        for (int j = 0; j < 4; ++j) {
            storeNarrow(out + 2 * j * L, zipLow(e[j], o[j]));
            storeNarrow(out + (2 * j + 1) * L, zipHigh(e[j], o[j]));
        }
    }
    for (; u + L <= n; u += L) {
        const D e = sums1(even, u), o = sums1(odd, u);
        storeNarrow(dst + 2 * u, zipLow(e, o));
        storeNarrow(dst + 2 * u + L, zipHigh(e, o));
    }
    if (u < n) {
        const int lanes = int(n - u);
        const D e = sumsPartial(even, u, lanes), o = sumsPartial(odd, u, lanes);
        const int outputs = 2 * lanes;
        storeNarrow(dst + 2 * u, zipLow(e, o), outputs < L ? outputs : L);
        if (outputs > L) storeNarrow(dst + 2 * u + L, zipHigh(e, o), outputs - L);
    }
}

template <class T>
constexpr vok::kernels::WaveletOps<T> makeOps() {
    return {deinterleave<T>, decimate<T>, interpolate<T>};
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const WaveletTable VOK_KERNEL_TABLE(wavelet) = {simd::VOK_ISA::makeOps<float>(), simd::VOK_ISA::makeOps<double>()};
}
