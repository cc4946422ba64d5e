// Up-sampling by zero insertion and down-sampling without filtering, with a
// phase carried from block to block.
#include <cstring>

#include "core/check.h"
#include "vok/conv2d.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "voksampl";

template <class T>
bool badArguments(ArgChecks check, const T* src, int srcLen, const T* dst, const int* dstLen, int factor,
                  const int* phase) {
    return check(srcLen < 1, "Invalid src array length") || check(!src || !dst, "Null buffer pointer") ||
           check(!dstLen, "Null dstLen pointer") || check(!phase, "Null phase pointer") ||
           check(factor < 1, "Invalid factor value") || check(*phase < 0, "Invalid phase value") ||
           check(factor <= *phase, "Invalid factor value");
}

template <class T>
void upSample(ArgChecks check, const T* src, int srcLen, T* dst, int* dstLen, int factor, int* phase) {
    if (badArguments(check, src, srcLen, dst, dstLen, factor, phase)) return;
    *dstLen = factor * srcLen;
    if (factor == 1) {
        if (src != dst) std::memmove(dst, src, sizeof(T) * unsigned(srcLen));
        return;
    }
    // From the end toward the start, so that src may be dst: each source
    // element is read before its slot is overwritten.
    const int p = *phase;
    for (int k = srcLen - 1; k >= 0; --k) {
        const T sample = src[k];
        T* slot = dst + std::size_t(k) * factor;
        for (int j = factor - 1; j > p; --j) slot[j] = T{};
        slot[p] = sample;
        for (int j = p - 1; j >= 0; --j) slot[j] = T{};
    }
}

template <class T>
void downSample(ArgChecks check, const T* src, int srcLen, T* dst, int* dstLen, int factor, int* phase) {
    if (badArguments(check, src, srcLen, dst, dstLen, factor, phase)) return;
    if (factor == 1) {
        *dstLen = srcLen;
        if (src != dst) std::memmove(dst, src, sizeof(T) * unsigned(srcLen));
        return;
    }
    int taken = 0, index = *phase;
    for (; index < srcLen; index += factor) dst[taken++] = src[index];  // upward: safe in place
    *dstLen = taken;
    *phase = index - srcLen;
}

}  // namespace

extern "C" {

// One row per exported name: its element type and the sampling direction.
#define VOK_RESAMPLE(name, T, work)                                                                     \
    VOK_API void VOK_CALL name(const T* src, int srcLen, T* dst, int* dstLen, int factor, int* phase) { \
        work(VOK_CHECKS, src, srcLen, dst, dstLen, factor, phase);                                      \
    }

VOK_RESAMPLE(voksUpSample, float, upSample)
VOK_RESAMPLE(vokcUpSample, FloatComplex, upSample)
VOK_RESAMPLE(vokdUpSample, double, upSample)
VOK_RESAMPLE(vokzUpSample, DoubleComplex, upSample)
VOK_RESAMPLE(vokwUpSample, short, upSample)
VOK_RESAMPLE(vokvUpSample, ShortComplex, upSample)
VOK_RESAMPLE(voksDownSample, float, downSample)
VOK_RESAMPLE(vokcDownSample, FloatComplex, downSample)
VOK_RESAMPLE(vokdDownSample, double, downSample)
VOK_RESAMPLE(vokzDownSample, DoubleComplex, downSample)
VOK_RESAMPLE(vokwDownSample, short, downSample)
VOK_RESAMPLE(vokvDownSample, ShortComplex, downSample)

}  // extern "C"
