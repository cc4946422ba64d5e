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

#define VOK_SAMPLING_ENTRIES(t, T)                                                                   \
    VOK_API void VOK_CALL vok##t##UpSample(const T* src, int srcLen, T* dst, int* dstLen, int factor,   \
                                           int* phase) {                                             \
        upSample(VOK_CHECKS, src, srcLen, dst, dstLen, factor, phase);                               \
    }                                                                                                \
    VOK_API void VOK_CALL vok##t##DownSample(const T* src, int srcLen, T* dst, int* dstLen, int factor, \
                                             int* phase) {                                           \
        downSample(VOK_CHECKS, src, srcLen, dst, dstLen, factor, phase);                             \
    }

extern "C" {
VOK_SAMPLING_ENTRIES(s, float)
VOK_SAMPLING_ENTRIES(c, FloatComplex)
VOK_SAMPLING_ENTRIES(d, double)
VOK_SAMPLING_ENTRIES(z, DoubleComplex)
VOK_SAMPLING_ENTRIES(w, short)
VOK_SAMPLING_ENTRIES(v, ShortComplex)
}
