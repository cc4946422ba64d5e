// Float to integer conversion, rounded by comparisons on the exact fraction that
// the truncating conversion leaves, so the caller's rounding mode never enters.
#include "kernels/simd.h"
#include "kernels/convert.h"

#include <cstdint>

VOK_SIMD_BEGIN

namespace {

using VF = Vec<float>;
using VI = Vec<int>;
constexpr int kL = kLanes<float>;
typedef short VS __attribute__((vector_size(kVectorBytes / 2)));
typedef signed char VB __attribute__((vector_size(kVectorBytes / 4)));

inline __attribute__((always_inline)) bool allSet(VI mask) {
    int acc = -1;
    for (int i = 0; i < kL; ++i) acc &= mask[i];
    return acc != 0;
}

template <int Rounding>
inline __attribute__((always_inline)) VI rounded(VF y) {
    VI t = __builtin_convertvector(y, VI);  // toward zero
    const VF frac = y - __builtin_convertvector(t, VF);
    if constexpr (Rounding == 2) t += (frac < 0.0f);  // masks are -1 where true
    if constexpr (Rounding == 3) t -= (frac > 0.0f);
    if constexpr (Rounding == 0) {
        const VI odd = (t & 1) != 0;
        t -= (frac > 0.5f) | ((frac == 0.5f) & odd);
        t += (frac < -0.5f) | ((frac == -0.5f) & odd);
    }
    return t;
}

template <int Rounding>
int convertAll(const float* src, void* dst, int n, float scale, int bits, bool clip, int lo, int hi, bool& allFit) {
    const VF vscale = splat(scale);
    const VF limit = splat(0x1p31f);
    const VI vlo = splat(lo), vhi = splat(hi);
    VI fit = splat(-1);
    int i = 0;
    for (; i + kL <= n; i += kL) {
        const VF y = load(src + i) * vscale;  // exact: the scale is a power of two
        if (!allSet((y < limit) & (y > -limit))) break;
        VI t = rounded<Rounding>(y);
        fit &= (t >= vlo) & (t <= vhi);
        if (clip) t = t < vlo ? vlo : t > vhi ? vhi : t;
        if (bits == 32) {
            store(static_cast<int*>(dst) + i, t);
        } else if (bits == 16) {
            const VS s = __builtin_convertvector(t, VS);
            std::memcpy(static_cast<short*>(dst) + i, &s, sizeof s);
        } else {
            const VB b = __builtin_convertvector(t, VB);
            std::memcpy(static_cast<signed char*>(dst) + i, &b, sizeof b);
        }
    }
    if (!allSet(fit)) allFit = false;
    return i;
}

int floatToInt(const float* src, void* dst, int n, float scale, int bits, int rounding, bool clip, int lo, int hi,
               bool& allFit) {
    switch (rounding) {
    case 0: return convertAll<0>(src, dst, n, scale, bits, clip, lo, hi, allFit);
    case 1: return convertAll<1>(src, dst, n, scale, bits, clip, lo, hi, allFit);
    case 2: return convertAll<2>(src, dst, n, scale, bits, clip, lo, hi, allFit);
    default: return convertAll<3>(src, dst, n, scale, bits, clip, lo, hi, allFit);
    }
}

}  // namespace

VOK_SIMD_END

namespace vok::kernels {
const ConvertTable VOK_KERNEL_TABLE(convert) = {simd::VOK_ISA::floatToInt, simd::VOK_ISA::kL};
}
