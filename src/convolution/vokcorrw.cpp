// 16-bit correlations: the sequences are taken into float exactly, correlated
// by the float sums, and the results brought back with the caller's scale mode.
#include <climits>
#include <type_traits>

#include "convolution/correlate.h"
#include "core/scale16.h"
#include "vok/convolution.h"
#include "vok/frame.h"

namespace {

using vok::ArgChecks;
namespace c = vok::correlate;
constexpr const char* kModule = "vokcorrw";

// The float element that holds a 16-bit element.
template <class T>
using FloatOf = std::conditional_t<std::is_same_v<T, ShortComplex>, FloatComplex, float>;
template <class T>
constexpr int lanes = std::is_same_v<T, ShortComplex> ? 2 : 1;

// Float copies of the inputs and room for the results, released together.
struct Work {
    float* blocks[3] = {};
    ~Work() {
        for (float* b : blocks) vokFree(b);
    }
    bool take(int slot, long long floats) {
        if (floats > INT_MAX) return false;
        return (blocks[slot] = voksMalloc(int(floats))) != nullptr;
    }
};

template <class T>
FloatOf<T>* floatCopy(Work& work, int slot, const T* src, int len) {
    if (!work.take(slot, (long long)len * lanes<T>)) return nullptr;
    const short* in = reinterpret_cast<const short*>(src);
    for (long long i = 0; i < (long long)len * lanes<T>; ++i) work.blocks[slot][i] = float(in[i]);
    return reinterpret_cast<FloatOf<T>*>(work.blocks[slot]);
}

bool badScale(ArgChecks check, int scaleMode, const int* scaleFactor) {
    return check(scaleMode == VOK_AUTO_SCALE && !scaleFactor, "Null scale factor pointer");
}

template <class R>
void scaleBack(const float* results, R* dst, long long count, int scaleMode, int* scaleFactor) {
    vok::ownScaleFloatToShort(results, reinterpret_cast<short*>(dst), int(count * lanes<R>), scaleMode, scaleFactor);
}

template <class A, class B, class R>
void crossCorr(ArgChecks check, const A* srcA, int lenA, const B* srcB, int lenB, R* dst, int loLag, int hiLag,
               int scaleMode, int* scaleFactor) {
    if (c::badCross(check, srcA, lenA, srcB, lenB, dst, loLag, hiLag) || badScale(check, scaleMode, scaleFactor))
        return;
    const long long count = (long long)hiLag - loLag + 1;
    Work work;
    auto* a = floatCopy(work, 0, srcA, lenA);
    auto* b = a ? floatCopy(work, 1, srcB, lenB) : nullptr;
    if (!b || !work.take(2, count * lanes<R>)) {
        check.report(VOK_StatusNoMemory, "Allocation failure", __LINE__);
        return;
    }
    c::cross(a, lenA, b, lenB, reinterpret_cast<FloatOf<R>*>(work.blocks[2]), loLag, hiLag);
    scaleBack(work.blocks[2], dst, count, scaleMode, scaleFactor);
}

template <class T>
void autoCorr(ArgChecks check, const T* src, int len, T* dst, int nLags, int norm, int scaleMode, int* scaleFactor) {
    if (c::badAuto(check, src, len, dst, nLags) || badScale(check, scaleMode, scaleFactor)) return;
    Work work;
    auto* x = floatCopy(work, 0, src, len);
    if (!x || !work.take(2, (long long)nLags * lanes<T>)) {
        check.report(VOK_StatusNoMemory, "Allocation failure", __LINE__);
        return;
    }
    c::autocorrelation(x, len, reinterpret_cast<FloatOf<T>*>(work.blocks[2]), nLags, norm);
    scaleBack(work.blocks[2], dst, nLags, scaleMode, scaleFactor);
}

}  // namespace

extern "C" {

#define VOK_CROSS16(name, A, B, R)                                                                             \
    VOK_API void VOK_CALL name(const A* srcA, int lenA, const B* srcB, int lenB, R* dst, int loLag, int hiLag, \
                               int scaleMode, int* scaleFactor) {                                              \
        crossCorr(VOK_CHECKS, srcA, lenA, srcB, lenB, dst, loLag, hiLag, scaleMode, scaleFactor);              \
    }

VOK_CROSS16(vokwCrossCorr, short, short, short)
VOK_CROSS16(vokvCrossCorr, ShortComplex, ShortComplex, ShortComplex)
VOK_CROSS16(vokwvCrossCorr, short, ShortComplex, ShortComplex)
VOK_CROSS16(vokvwCrossCorr, ShortComplex, short, ShortComplex)

VOK_API void VOK_CALL vokwAutoCorr(const short* src, int len, short* dst, int nLags, int norm, int scaleMode,
                                   int* scaleFactor) {
    autoCorr(VOK_CHECKS, src, len, dst, nLags, norm, scaleMode, scaleFactor);
}
VOK_API void VOK_CALL vokvAutoCorr(const ShortComplex* src, int len, ShortComplex* dst, int nLags, int norm,
                                   int scaleMode, int* scaleFactor) {
    autoCorr(VOK_CHECKS, src, len, dst, nLags, norm, scaleMode, scaleFactor);
}

}  // extern "C"
