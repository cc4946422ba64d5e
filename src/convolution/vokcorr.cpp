// Cross-correlation over any lag range and autocorrelation with three norms,
// by direct sums or, when an operation count says it is cheaper, by block
// transforms.
#include "convolution/correlate.h"
#include "convolution/fastcorr.h"
#include "vok/convolution.h"

namespace {

using vok::ArgChecks;
namespace p = vok::products;
constexpr const char* kModule = "vokcorr";

template <class A, class B>
void crossCorr(ArgChecks check, const A* srcA, int lenA, const B* srcB, int lenB, p::ResultOf<A, B>* dst,
               int loLag, int hiLag) {
    if (vok::correlate::badCross(check, srcA, lenA, srcB, lenB, dst, loLag, hiLag)) return;
    // Without its work arrays the transform method gives way to the direct sums.
    const long long nLags = (long long)hiLag - loLag + 1;
    if (vok::fastcorr::crossTransformCheaper<A, B>(lenA, nLags) &&
        vok::fastcorr::cross(srcA, lenA, srcB, lenB, dst, loLag, nLags))
        return;
    vok::correlate::cross(srcA, lenA, srcB, lenB, dst, loLag, hiLag);
}

template <class T>
void autoCorr(ArgChecks check, const T* src, int len, T* dst, int nLags, int norm) {
    if (vok::correlate::badAuto(check, src, len, dst, nLags)) return;
    if (vok::fastcorr::autoTransformCheaper<T>(len, nLags)) {
        if (norm < 0 || norm > 2) return;  // the transform method knows no other norm
        if (vok::fastcorr::cross(src, len, src, len, dst, 0, nLags)) {
            using R = vok::RealOf<T>;
            for (int k = 0; k < nLags && norm != 0; ++k) {
                const R factor = norm == 1 ? R(1) / R(len) : R(1) / R(len - k);
                if constexpr (vok::isComplex<T>) dst[k] = {dst[k].re * factor, dst[k].im * factor};
                else dst[k] *= factor;
            }
            return;
        }
    }
    vok::correlate::autocorrelation(src, len, dst, nLags, norm);
}

}  // namespace

extern "C" {

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

}  // extern "C"
