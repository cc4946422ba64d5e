// Single-state FIR filter of 16-bit samples with float taps. The record owns
// its arrays: the taps in filter order (padded with zeros to whole polyphase
// branches) and a sample buffer whose window start is an index. Sums are
// formed in double, rounded to 32-bit integers and brought to 16 bits under
// the caller's scale mode, one run at a time.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/check.h"
#include "core/scale16.h"
#include "filter/fir.h"
#include "filter/firstate.h"
#include "vok/fir.h"

namespace {

using vok::ArgChecks;
namespace fir = vok::fir;
using fir::fillPhaseTable;
constexpr const char* kModule = "vokfirhw";
constexpr const char* kNullState = "Null state pointer";
constexpr const char* kNotInit = "Must have been initialized";
constexpr const char* kNull = "Null buffer pointer";
constexpr const char* kInvalid = "Invalid value";
constexpr const char* kNullScale = "Null scale factor pointer";

bool initialised(const FirState* st) { return st->selfRef == st; }
float* tapsOf(const FirState* st) { return static_cast<float*>(st->tapsBuf); }
short* bufferOf(const FirState* st) { return static_cast<short*>(st->sampleBuf); }
int upOf(const FirState* st) { return st->isMultiRate ? st->upFactor : 1; }

// ---- taps and delay-line access ----

void storeTaps(const float* taps, FirState* st) {
    float* buf = tapsOf(st);
    std::memset(buf, 0, sizeof(float) * std::size_t(st->tapsLen));
    if (!taps) return;
    const int up = upOf(st), orig = st->origTapsLen;
    // Natural tap k sits at position k of the padded natural order; the
    // padding taps stay zero.
    fir::packTaps(taps, buf, st->tapsLen, up, orig);
}

void setTaps(ArgChecks check, const float* taps, FirState* st) {
    if (check(!st, kNullState) || check(!initialised(st), kNotInit)) return;
    storeTaps(taps, st);
}

void getTaps(ArgChecks check, FirState* st, float* taps) {
    if (check(!st, kNullState) || check(!initialised(st), kNotInit) || check(!taps, kNull)) return;
    const float* buf = tapsOf(st);
    const int up = upOf(st), orig = st->origTapsLen;
    fir::unpackTaps(buf, taps, st->tapsLen, up, orig);
}

void storeDlyl(const short* dlyl, FirState* st) {
    if (st->dlyLen < 1) return;
    short* at = bufferOf(st) + st->windowPos;
    const std::size_t bytes = sizeof(short) * std::size_t(st->dlyLen);
    if (!dlyl) std::memset(at, 0, bytes);
    else std::memcpy(at, dlyl, bytes);
}

void setDlyl(ArgChecks check, const short* dlyl, FirState* st) {
    if (check(!st, kNullState) || check(!initialised(st), kNotInit)) return;
    storeDlyl(dlyl, st);
}

void getDlyl(ArgChecks check, FirState* st, short* dlyl) {
    if (check(!st, kNullState) || check(!initialised(st), kNotInit) || check(!dlyl, kNull)) return;
    if (st->dlyLen > 0)
        std::memcpy(dlyl, bufferOf(st) + st->windowPos, sizeof(short) * std::size_t(st->dlyLen));
}

// ---- initialisation ----

void commonInit(ArgChecks check, const float* taps, int tapsLen, const short* dlyl, int up, int upPhase, int down,
                int downPhase, FirState* st) {
    vokSetErrStatus(VOK_StatusOk);
    const bool multi = up >= 2 || down >= 2;
    const int d = multi ? fir::historyLength(tapsLen, up) : tapsLen - 1;
    const std::int64_t padded = multi ? std::int64_t(up) * d : tapsLen;
    const std::int64_t room = multi ? (std::int64_t(d) + down - 1) / down * down : tapsLen;
    st->upFactor = up;
    st->upPhase = upPhase;
    st->downFactor = down;
    st->downPhase = downPhase;
    st->isMultiRate = multi ? 1 : 0;
    st->selfRef = st;
    st->tapsLen = padded <= INT_MAX ? int(padded) : 0;
    st->tapsLenUnrolled = 0;
    st->tapsBuf = nullptr;
    st->dlyLen = d;
    st->bufRoom = room <= INT_MAX ? int(room) : 0;
    st->windowPos = 0;
    st->sampleBuf = nullptr;
    st->bufWrap = nullptr;
    st->window = nullptr;
    st->phaseTable = nullptr;
    st->tapsScale = 0;
    st->origTapsLen = tapsLen;
    const std::int64_t samples = std::int64_t(d) + room;
    bool ok = padded <= INT_MAX / 4 && samples <= INT_MAX / 2;
    if (ok && multi) {
        st->phaseTable = up <= INT_MAX / 16 ? vokMalloc(16 * up) : nullptr;
        if (st->phaseTable) fillPhaseTable(st);
        else ok = false;
    }
    if (ok) {
        st->tapsBuf = voksMalloc(int(padded));
        // Setting the taps of the record just filled cannot fail.
        if (st->tapsBuf) storeTaps(taps, st);
        else ok = false;
    }
    if (ok) {
        st->sampleBuf = vokwMalloc(int(samples));
        if (st->sampleBuf) storeDlyl(dlyl, st);
        else ok = false;
    }
    if (!ok) {
        fir::releaseState(st);
        check.report(VOK_StatusNoMemory, "Allocation failure", __LINE__);
    }
}

void init(ArgChecks check, const float* taps, int tapsLen, const short* dlyl, FirState* st) {
    if (check(!st, kNullState) || check(tapsLen < 1, kInvalid)) return;
    commonInit(check, taps, tapsLen, dlyl, 1, 0, 1, 0, st);
}

void initMr(ArgChecks check, const float* taps, int tapsLen, const short* dlyl, int up, int upPhase, int down,
            int downPhase, FirState* st) {
    if (check(!st, kNullState) || check(up < 1, kInvalid) || check(down < 1, kInvalid) ||
        check(upPhase < 0 || upPhase > up - 1, kInvalid) || check(downPhase < 0 || downPhase > down - 1, kInvalid) ||
        check(tapsLen < 1, kInvalid))
        return;
    commonInit(check, taps, tapsLen, dlyl, up, upPhase, down, downPhase, st);
}

// ---- filtering ----

short firOne(ArgChecks check, FirState* st, short samp, int scaleMode, int* scaleFactor) {
    if (check(!st, kNullState) || check(!initialised(st), kNotInit) ||
        check((scaleMode & VOK_AUTO_SCALE) && !scaleFactor, kNullScale))
        return 0;
    // The one-sample form is single rate; a multirate buffer has no room for its window.
    if (check(st->isMultiRate != 0, kInvalid)) return 0;
    short* buf = bufferOf(st);
    const int d = st->dlyLen;
    short* window = buf + st->windowPos;
    window[d] = samp;
    const float* taps = tapsOf(st);
    fir::Acc<std::int32_t> acc;
    for (int k = st->tapsLen - 1; k >= 0; --k) acc.add(taps[k], window[k]);
    if (st->windowPos + 1 >= st->bufRoom) {
        if (d > 0) std::memmove(buf, window + 1, sizeof(short) * std::size_t(d));
        st->windowPos = 0;
    } else {
        ++st->windowPos;
    }
    fir::Scaling s = fir::effectiveScaling(scaleMode, scaleFactor, st->tapsScale);
    const short v = vok::ownScaleIntValueToShort(acc.get(), s.mode, &s.factor);
    if (s.mode == VOK_AUTO_SCALE) *scaleFactor = s.factor - st->tapsScale;
    return v;
}

// The input k+1 places before a chunk of the block: earlier block
// inputs, then the chronological history held at the start of the buffer.
struct ChainHistory {
    const short* in;
    std::int64_t consumed;  // block inputs before the run
    const short* line;
    int length;
    short operator()(int k) const {
        return k < consumed ? in[consumed - 1 - k] : line[length - 1 - (k - consumed)];
    }
};

// Outputs of iterations [first, first + count), converted to 16 bits in
// chunks; in auto mode a first pass finds the run's factor. Returns the factor.
int filterRun(const FirState* st, const short* in, short* out, std::int64_t first, std::int64_t count,
              const fir::Scaling& scaling) {
    const bool multi = st->isMultiRate != 0;
    const int up = upOf(st);
    const fir::Rate rate{st->tapsLen, up, multi ? st->upPhase : 0, multi ? st->downFactor : 1,
                         multi ? st->downPhase : 0};
    const fir::PackedTaps<float> taps{tapsOf(st), st->tapsLen, up};
    constexpr int kChunk = 256;
    std::int32_t work[kChunk];
    // A chunk is whole iterations, or part of the phases of one iteration
    // when an iteration has more outputs than the chunk holds.
    const int itersPerChunk = up <= kChunk ? kChunk / up : 1;
    const int phasesPerChunk = up <= kChunk ? up : kChunk;
    auto forEachChunk = [&](auto use) {
        for (std::int64_t it = 0; it < count; it += itersPerChunk) {
            const int iters = int(count - it < itersPerChunk ? count - it : itersPerChunk);
            const std::int64_t consumed = (first + it) * rate.down;
            const ChainHistory hist{in, consumed, bufferOf(st), st->dlyLen};
            for (int e0 = 0; e0 < up; e0 += phasesPerChunk) {
                const int e1 = up - e0 < phasesPerChunk ? up : e0 + phasesPerChunk;
                fir::filterPhases(rate, taps, hist, in + consumed, work, iters, e0, e1);
                use(it * up + e0, iters * (e1 - e0));
            }
        }
    };
    int factor = scaling.factor, mode = scaling.mode;
    if (mode == VOK_AUTO_SCALE) {
        // The factor follows the result of largest magnitude.
        std::int64_t biggest = 0;
        std::int32_t pick = 0;
        forEachChunk([&](std::int64_t, int n) {
            for (int i = 0; i < n; ++i) {
                const std::int64_t a = work[i] < 0 ? -std::int64_t(work[i]) : work[i];
                if (a > biggest) {
                    biggest = a;
                    pick = work[i];
                }
            }
        });
        vok::ownScaleIntValueToShort(pick, VOK_AUTO_SCALE, &factor);
        mode = factor != 0 ? (VOK_FIXED_SCALE | VOK_SATURATE) : VOK_SATURATE;
    }
    forEachChunk([&](std::int64_t at, int n) {
        int sf = factor;
        vok::ownScaleIntToShort(work, out + at, n, mode, &sf);
    });
    return factor;
}

void shiftRight(short* p, std::int64_t n, int by) {
    if (by <= 0) return;
    for (std::int64_t i = 0; i < n; ++i) p[i] = short(p[i] >> (by > 15 ? 15 : by));
}

void bfir(ArgChecks check, FirState* st, const short* in, short* out, int numIters, int scaleMode,
          int* scaleFactor) {
    if (check(!st, kNullState) || check(!initialised(st), kNotInit) || check(!in || !out, kNull) ||
        check(numIters < 1, kInvalid) || check((scaleMode & VOK_AUTO_SCALE) && !scaleFactor, kNullScale))
        return;
    const int d = st->dlyLen, up = upOf(st), down = st->isMultiRate ? st->downFactor : 1;
    short* buf = bufferOf(st);
    // Bring the history to the start of the buffer.
    if (st->windowPos != 0 && d > 0) std::memmove(buf, buf + st->windowPos, sizeof(short) * std::size_t(d));
    st->windowPos = 0;
    const std::int64_t total = std::int64_t(numIters) * down;
    const std::int64_t buffered = (total < st->bufRoom ? total : st->bufRoom) / down;
    const fir::Scaling s = fir::effectiveScaling(scaleMode, scaleFactor, st->tapsScale);
    // Two runs: the outputs that go through the buffer, then those read from the input directly.
    const int f1 = filterRun(st, in, out, 0, buffered, s);
    int f2 = f1;
    if (buffered < numIters) f2 = filterRun(st, in, out + buffered * up, buffered, numIters - buffered, s);
    if (s.mode == VOK_AUTO_SCALE) {
        if (f1 < f2) shiftRight(out, buffered * up, f2 - f1);
        else shiftRight(out + buffered * up, (numIters - buffered) * up, f1 - f2);
        *scaleFactor = (f1 > f2 ? f1 : f2) - st->tapsScale;
    }
    // New history: the last d samples of (history, inputs).
    if (d > 0) {
        if (total < d) {
            std::memmove(buf, buf + total, sizeof(short) * std::size_t(d - total));
            std::memcpy(buf + (d - total), in, sizeof(short) * std::size_t(total));
        } else {
            std::memcpy(buf, in + (total - d), sizeof(short) * std::size_t(d));
        }
    }
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL vokwFirInit(const float* taps, int tapsLen, const short* dlyl, FirState* statePtr) {
    init(VOK_CHECKS, taps, tapsLen, dlyl, statePtr);
}

VOK_API void VOK_CALL vokwFirInitMr(const float* taps, int tapsLen, const short* dlyl, int upFactor, int upPhase,
                                    int downFactor, int downPhase, FirState* statePtr) {
    initMr(VOK_CHECKS, taps, tapsLen, dlyl, upFactor, upPhase, downFactor, downPhase, statePtr);
}

VOK_API void VOK_CALL vokwFirSetTaps(const float* taps, FirState* statePtr) { setTaps(VOK_CHECKS, taps, statePtr); }

VOK_API void VOK_CALL vokwFirGetTaps(FirState* statePtr, float* taps) { getTaps(VOK_CHECKS, statePtr, taps); }

VOK_API void VOK_CALL vokwFirSetDlyl(const short* dlyl, FirState* statePtr) { setDlyl(VOK_CHECKS, dlyl, statePtr); }

VOK_API void VOK_CALL vokwFirGetDlyl(FirState* statePtr, short* dlyl) { getDlyl(VOK_CHECKS, statePtr, dlyl); }

VOK_API short VOK_CALL vokwFir(FirState* statePtr, short samp, int scaleMode, int* scaleFactor) {
    return firOne(VOK_CHECKS, statePtr, samp, scaleMode, scaleFactor);
}

VOK_API void VOK_CALL vokwbFir(FirState* statePtr, const short* inSamps, short* outSamps, int numIters,
                               int scaleMode, int* scaleFactor) {
    bfir(VOK_CHECKS, statePtr, inSamps, outSamps, numIters, scaleMode, scaleFactor);
}

}  // extern "C"
