// Cross-correlation over any lag range and autocorrelation with three norms.
#include "convolution/correlate.h"
#include "vok/convolution.h"

namespace {

using vok::ArgChecks;
namespace p = vok::products;
constexpr const char* kModule = "vokcorr";

template <class A, class B>
void crossCorr(ArgChecks check, const A* srcA, int lenA, const B* srcB, int lenB, p::ResultOf<A, B>* dst,
               int loLag, int hiLag) {
    if (vok::correlate::badCross(check, srcA, lenA, srcB, lenB, dst, loLag, hiLag)) return;
    vok::correlate::cross(srcA, lenA, srcB, lenB, dst, loLag, hiLag);
}

template <class T>
void autoCorr(ArgChecks check, const T* src, int len, T* dst, int nLags, int norm) {
    if (vok::correlate::badAuto(check, src, len, dst, nLags)) return;
    vok::correlate::autocorrelation(src, len, dst, nLags, norm);
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
