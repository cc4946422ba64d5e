// Two-state FIR filter of 16-bit samples with float taps. The caller's taps
// array is rearranged into filter order (reversed branches) and the delay line
// stays chronological, so each output is a dot product ending at the newest
// sample; sums are formed in double, rounded to 32-bit integers and brought to
// 16 bits under the caller's scale mode.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/check.h"
#include "core/scale16.h"
#include "filter/fir.h"
#include "vok/fir.h"

namespace {

using vok::ArgChecks;
namespace fir = vok::fir;
constexpr const char* kModule = "vokfirlw";
constexpr const char* kNullTap = "Null Tap State pointer";
constexpr const char* kNullDly = "Null Dly State pointer";
constexpr const char* kNull = "Null buffer pointer";
constexpr const char* kLength = "Invalid array length";
constexpr const char* kTapsNotSet = "Filter Taps is not setup";
constexpr const char* kDlylNotSet = "Filter Dlyl is not setup";
constexpr const char* kNullScale = "Null scale factor pointer";

float* tapsOf(const FirTapState* tap) { return static_cast<float*>(tap->taps); }
short* lineOf(const FirDlyState* dly) { return static_cast<short*>(dly->dlyl); }

// Rearranges `len` taps between natural and filter order in place. Single
// rate is a plain reversal; multirate goes through a temporary copy, and a
// failed allocation only sets the thread's status.
bool reorderInPlace(FirTapState* tap, bool toFilterOrder) {
    float* taps = tapsOf(tap);
    const int len = tap->len, up = tap->isMultiRate ? tap->upFactor : 1;
    if (up == 1) {
        fir::reverseInPlace(taps, len);
        return true;
    }
    float* copy = len <= INT32_MAX / 4 ? static_cast<float*>(vokMalloc(4 * len)) : nullptr;
    if (!copy) {
        vokSetErrStatus(VOK_StatusNoMemory);
        return false;
    }
    std::memcpy(copy, taps, sizeof(float) * std::size_t(len));
    if (toFilterOrder) fir::packTaps(copy, taps, len, up);
    else fir::unpackTaps(copy, taps, len, up);
    vokFree(copy);
    return true;
}

void setTaps(ArgChecks check, const float* taps, FirTapState* tap) {
    if (check(!tap, kNullTap)) return;
    float* own = tapsOf(tap);
    if (!taps) {
        std::memset(own, 0, sizeof(float) * std::size_t(tap->len));
        tap->isFilterMode = 1;
        return;
    }
    if (taps == own && tap->isFilterMode) return;
    if (taps != own) std::memmove(own, taps, sizeof(float) * std::size_t(tap->len));
    tap->isFilterMode = reorderInPlace(tap, true) ? 1 : 0;
}

void init(ArgChecks check, float* taps, int tapsLen, FirTapState* tap) {
    if (check(!tap || !taps, kNullTap) || check(tapsLen < 1, kLength)) return;
    fir::describeTaps(taps, tapsLen, 1, 0, 1, 0, tap);
    setTaps(check, taps, tap);
    tap->reserved = 0;
}

void initMr(ArgChecks check, float* taps, int tapsLen, int up, int upPhase, int down, int downPhase,
            FirTapState* tap) {
    if (check(!taps || !tap, kNullTap) || check(tapsLen < 1, kLength) ||
        check(upPhase < 0 || downPhase < 0, "Invalid phase value") ||
        check(up <= upPhase || down <= downPhase, "Invalid factor value"))
        return;
    fir::describeTaps(taps, tapsLen, up, upPhase, down, downPhase, tap);
    setTaps(check, taps, tap);
    tap->reserved = 0;
}

void initDlyl(ArgChecks check, FirTapState* tap, short* dlyl, FirDlyState* dly) {
    if (check(!dlyl, kNullDly) || check(!dly || !tap, kNull)) return;
    dly->dlyl = dlyl;
    dly->len = tap->isMultiRate ? fir::historyLength(tap->len, tap->upFactor) : tap->len;
    dly->isFilterMode = 0;
}

void getTaps(ArgChecks check, FirTapState* tap, float* taps) {
    if (check(!tap, kNullTap) || check(!taps, kNull) || check(!tap->isFilterMode, kTapsNotSet)) return;
    float* own = tapsOf(tap);
    if (taps == own) {
        if (reorderInPlace(tap, false)) tap->isFilterMode = 0;
        return;
    }
    fir::unpackTaps(own, taps, tap->len, tap->isMultiRate ? tap->upFactor : 1);
}

void setDlyl(ArgChecks check, FirTapState* tap, const short* dlyl, FirDlyState* dly) {
    if (check(!dly, kNullDly) || check(!tap, kNullTap)) return;
    short* own = lineOf(dly);
    if (!dlyl) std::memset(own, 0, sizeof(short) * std::size_t(dly->len));
    else if (dlyl != own) std::memmove(own, dlyl, sizeof(short) * std::size_t(dly->len));
    dly->isFilterMode = 1;
}

void getDlyl(ArgChecks check, FirTapState* tap, FirDlyState* dly, short* dlyl) {
    if (check(!dly, kNullDly) || check(!tap, kNullTap) || check(!dlyl, kNull) ||
        check(!dly->isFilterMode, kDlylNotSet))
        return;
    short* own = lineOf(dly);
    if (dlyl == own) dly->isFilterMode = 0;
    else std::memcpy(dlyl, own, sizeof(short) * std::size_t(dly->len));
}

// ---- filtering ----

short toShort(std::int32_t r, int scaleMode, int* scaleFactor, int tapsScale) {
    fir::Scaling s = fir::effectiveScaling(scaleMode, scaleFactor, tapsScale);
    const short v = vok::ownScaleIntValueToShort(r, s.mode, &s.factor);
    if (s.mode == VOK_AUTO_SCALE) *scaleFactor = s.factor - tapsScale;
    return v;
}

short firl(ArgChecks check, FirTapState* tap, FirDlyState* dly, short samp, int scaleMode, int* scaleFactor) {
    if (check(!tap, kNullTap) || check(!dly, kNullDly) || check(!tap->isFilterMode, kTapsNotSet) ||
        check(!dly->isFilterMode, kDlylNotSet) || check(tap->isMultiRate != 0, "MultiRate filter") ||
        check((scaleMode & VOK_AUTO_SCALE) && !scaleFactor, kNullScale))
        return 0;
    short* line = lineOf(dly);
    const int len = dly->len;
    const float* taps = tapsOf(tap);
    line[len - 1] = samp;
    fir::Acc<std::int32_t> acc;
    const int count = tap->len < len ? tap->len : len;
    for (int k = count - 1; k >= 0; --k) acc.add(taps[k], line[len - count + k]);
    if (len > 1) std::memmove(line, line + 1, sizeof(short) * std::size_t(len - 1));
    return toShort(acc.get(), scaleMode, scaleFactor, tap->reserved);
}

// History of a chronological line: the input k+1 places before the block.
struct LineHistory {
    const short* line;
    int newest;  // index of the newest history sample
    short operator()(int k) const { return line[newest - k]; }
};

// The line keeps the last `keep` samples of (its first `keep` slots, then `in`).
void appendHistory(short* line, int keep, const short* in, std::int64_t count) {
    if (keep <= 0) return;
    if (count >= keep) {
        std::memcpy(line, in + (count - keep), sizeof(short) * std::size_t(keep));
        return;
    }
    std::memmove(line, line + count, sizeof(short) * std::size_t(keep - count));
    std::memcpy(line + (keep - count), in, sizeof(short) * std::size_t(count));
}

void bfirl(ArgChecks check, FirTapState* tap, FirDlyState* dly, const short* in, short* out, int numIters,
           int scaleMode, int* scaleFactor) {
    if (check(!tap, kNullTap) || check(!dly, kNullDly) || check(!tap->isFilterMode, kTapsNotSet) ||
        check(!dly->isFilterMode, kDlylNotSet) || check(!in || !out, kNull) || check(numIters < 1, kLength) ||
        check((scaleMode & VOK_AUTO_SCALE) && !scaleFactor, kNullScale))
        return;
    const bool multi = tap->isMultiRate != 0;
    const fir::Rate rate{tap->len, multi ? tap->upFactor : 1, multi ? tap->upPhase : 0, multi ? tap->downFactor : 1,
                         multi ? tap->downPhase : 0};
    const std::int64_t outs = std::int64_t(numIters) * rate.up;
    auto* work = outs <= INT32_MAX / 4 ? static_cast<std::int32_t*>(vokMalloc(int(outs * 4))) : nullptr;
    if (!work) {
        check.report(VOK_StatusNoMemory, "Allocation failure", __LINE__);
        return;
    }
    short* line = lineOf(dly);
    const int len = dly->len;
    // Single rate: the last slot is where the next input goes, the history before it.
    const int history = multi ? len : len - 1;
    fir::filterBlock(rate, fir::PackedTaps<float>{tapsOf(tap), rate.tapsLen, rate.up}, LineHistory{line, history - 1},
                     in, work, numIters);
    const std::int64_t total = std::int64_t(numIters) * rate.down;
    if (!multi && history > 0) {
        // The first inputs went through the line, the last of them staying in the scratch slot.
        const int pushed = total < history ? int(total) : history;
        line[len - 1] = in[pushed - 1];
    }
    appendHistory(line, history, in, total);
    // All results of the call share one conversion (and, in auto mode, one factor).
    fir::Scaling s = fir::effectiveScaling(scaleMode, scaleFactor, tap->reserved);
    vok::ownScaleIntToShort(work, out, int(outs), s.mode, &s.factor);
    if (s.mode == VOK_AUTO_SCALE) *scaleFactor = s.factor - tap->reserved;
    vokFree(work);
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL vokwFirlInit(float* taps, int tapsLen, FirTapState* tapStPtr) {
    init(VOK_CHECKS, taps, tapsLen, tapStPtr);
}

VOK_API void VOK_CALL vokwFirlInitMr(float* taps, int tapsLen, int upFactor, int upPhase, int downFactor,
                                     int downPhase, FirTapState* tapStPtr) {
    initMr(VOK_CHECKS, taps, tapsLen, upFactor, upPhase, downFactor, downPhase, tapStPtr);
}

VOK_API void VOK_CALL vokwFirlInitDlyl(FirTapState* tapStPtr, short* dlyl, FirDlyState* dlyStPtr) {
    initDlyl(VOK_CHECKS, tapStPtr, dlyl, dlyStPtr);
}

VOK_API void VOK_CALL vokwFirlSetTaps(const float* taps, FirTapState* tapStPtr) { setTaps(VOK_CHECKS, taps, tapStPtr); }

VOK_API void VOK_CALL vokwFirlGetTaps(FirTapState* tapStPtr, float* taps) { getTaps(VOK_CHECKS, tapStPtr, taps); }

VOK_API void VOK_CALL vokwFirlSetDlyl(FirTapState* tapStPtr, const short* dlyl, FirDlyState* dlyStPtr) {
    setDlyl(VOK_CHECKS, tapStPtr, dlyl, dlyStPtr);
}

VOK_API void VOK_CALL vokwFirlGetDlyl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, short* dlyl) {
    getDlyl(VOK_CHECKS, tapStPtr, dlyStPtr, dlyl);
}

VOK_API short VOK_CALL vokwFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, short samp, int scaleMode,
                                int* scaleFactor) {
    return firl(VOK_CHECKS, tapStPtr, dlyStPtr, samp, scaleMode, scaleFactor);
}

VOK_API void VOK_CALL vokwbFirl(FirTapState* tapStPtr, FirDlyState* dlyStPtr, const short* inSamps, short* outSamps,
                                int numIters, int scaleMode, int* scaleFactor) {
    bfirl(VOK_CHECKS, tapStPtr, dlyStPtr, inSamps, outSamps, numIters, scaleMode, scaleFactor);
}

}  // extern "C"
