// Cross-correlation over any lag range and autocorrelation with three norms,
// by direct extended-precision sums over the overlap of the sequences.
#include <algorithm>

#include "convolution/products.h"
#include "core/check.h"
#include "vok/convolution.h"

namespace {

using vok::ArgChecks;
namespace p = vok::products;
constexpr const char* kModule = "vokcorr";

// r[k] = Σ conj(a[n])·b[n+k] over the n where both exist.
template <class A, class B>
p::Acc<p::WideOf<A>> lag(const A* a, long long lenA, const B* b, long long lenB, long long k) {
    const long long first = std::max(0LL, -k), last = std::min(lenA, lenB - k);
    if (last <= first) return {};
    return p::sum<true>(a + first, b + first + k, last - first);
}

template <class A, class B>
void crossCorr(ArgChecks check, const A* srcA, int lenA, const B* srcB, int lenB, p::ResultOf<A, B>* dst,
               int loLag, int hiLag) {
    if (check(!srcA, "Null SRC buffer pointer") || check(!srcB, "Null SRC buffer pointer") ||
        check(!dst, "Null DST buffer pointer") || check(lenA < 1, "Invalid SRC buffer length") ||
        check(lenB < 1, "Invalid SRC buffer length") || check(loLag > hiLag, "Invalid LAG value"))
        return;
    using R = p::ResultOf<A, B>;
    const long long count = (long long)hiLag - loLag + 1;
    for (long long i = 0; i < count; ++i) dst[i] = p::narrow<R>(lag(srcA, lenA, srcB, lenB, loLag + i));
}

template <class T>
void autoCorr(ArgChecks check, const T* src, int len, T* dst, int nLags, int norm) {
    if (check(!src, "Null SRC buffer pointer") || check(!dst, "Null DST buffer pointer") ||
        check(len < 1, "Invalid SRC buffer length") || check(nLags < 1 || nLags > len, "Invalid LAG value"))
        return;
    using W = p::WideOf<T>;
    for (int k = 0; k < nLags; ++k) {
        p::Acc<W> r = lag(src, len, src, len, k);
        const W divisor = norm == 1 ? W(len) : norm == 2 ? W(len - k) : W(1);
        r.re /= divisor;
        r.im /= divisor;
        dst[k] = p::narrow<T>(r);
    }
}

}  // namespace

#define VOK_CHECKS ArgChecks{__func__, kModule, __LINE__}
#define VOK_CROSS(name, A, B)                                                                                 \
    VOK_API void VOK_CALL name(const A* srcA, int lenA, const B* srcB, int lenB, p::ResultOf<A, B>* dst,    \
                               int loLag, int hiLag) {                                                        \
        crossCorr(VOK_CHECKS, srcA, lenA, srcB, lenB, dst, loLag, hiLag);                                     \
    }
#define VOK_AUTO(name, T) \
    VOK_API void VOK_CALL name(const T* src, int len, T* dst, int nLags, int norm) { \
        autoCorr(VOK_CHECKS, src, len, dst, nLags, norm);                              \
    }

VOK_CROSS(voksCrossCorr, float, float)
VOK_CROSS(vokdCrossCorr, double, double)
VOK_CROSS(vokcCrossCorr, FloatComplex, FloatComplex)
VOK_CROSS(vokzCrossCorr, DoubleComplex, DoubleComplex)
VOK_CROSS(vokscCrossCorr, float, FloatComplex)
VOK_CROSS(vokcsCrossCorr, FloatComplex, float)
VOK_CROSS(vokdzCrossCorr, double, DoubleComplex)
VOK_CROSS(vokzdCrossCorr, DoubleComplex, double)
VOK_AUTO(voksAutoCorr, float)
VOK_AUTO(vokdAutoCorr, double)
VOK_AUTO(vokcAutoCorr, FloatComplex)
VOK_AUTO(vokzAutoCorr, DoubleComplex)
