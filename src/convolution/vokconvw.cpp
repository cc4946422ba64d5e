// 16-bit linear convolution: exact float copies convolved in single
// precision, the result brought back under the caller's scale mode.
#include "core/check.h"
#include "core/scale16.h"
#include "vok/convolution.h"
#include "vok/frame.h"

namespace {

constexpr const char* kModule = "vokconvw";

struct FloatCopies {
    float* x = nullptr;
    float* h = nullptr;
    float* y = nullptr;
    ~FloatCopies() {
        vokFree(x);
        vokFree(h);
        vokFree(y);
    }
};

float* floatCopy(const short* src, int len) {
    float* copy = voksMalloc(len);
    if (copy)
        for (int i = 0; i < len; ++i) copy[i] = float(src[i]);
    return copy;
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL vokwConv(const short* x, int xLen, const short* h, int hLen, short* y, int scaleMode,
                               int* scaleFactor) {
    vokSetErrStatus(VOK_StatusOk);  // as voksConv: an earlier failure does not stop this call
    const vok::ArgChecks check{__func__, kModule, __LINE__};
    const vok::CheckAll all{check};
    all(!x, "x==0");
    all(xLen < 1, "xLen<=0");
    all(!h, "h==0");
    all(hLen < 1, "hLen<=0");
    all(!y, "y==0");
    if (all.failed()) return;
    const long long n = (long long)xLen + hLen - 1;
    FloatCopies copies;
    if (!(copies.x = floatCopy(x, xLen))) {
        check.report(VOK_StatusNoMemory, "NULL pointer to float copy x", __LINE__);
        return;
    }
    if (!(copies.h = floatCopy(h, hLen))) {
        check.report(VOK_StatusNoMemory, "NULL pointer to float copy h", __LINE__);
        return;
    }
    if (n > 0x7fffffff || !(copies.y = voksMalloc(int(n)))) {
        check.report(VOK_StatusNoMemory, "NULL pointer to float copy y", __LINE__);
        return;
    }
    // The exported function on purpose: its own reports, under its own name, come first.
    if (voksConv(copies.x, xLen, copies.h, hLen, copies.y) < 0) {
        check.backtrace(__LINE__);
        return;
    }
    vok::ownScaleFloatToShort(copies.y, y, int(n), scaleMode, scaleFactor);
}

}  // extern "C"
