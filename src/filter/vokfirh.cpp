// Single-state FIR filter: one record whose arrays the library owns. The taps
// are kept in filter order (reversed, or reversed polyphase branches) and the
// history chronologically, so every output is a forward dot product over a
// window; the single-sample form slides that window through a buffer and
// moves the history back once per bufRoom samples.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/check.h"
#include "filter/fir.h"
#include "filter/firstate.h"
#include "vok/fir.h"

namespace {

using vok::ArgChecks;
namespace fir = vok::fir;
using fir::fillPhaseTable;
using fir::PhaseEntry;
constexpr const char* kModule = "vokfirh";
constexpr const char* kNullState = "Null state pointer";
constexpr const char* kNotInit = "Must have been initialized";
constexpr const char* kNull = "Null buffer pointer";
constexpr const char* kInvalid = "Invalid value";

#if UINTPTR_MAX == 0xffffffff
static_assert(sizeof(FirState) == 18 * 4);
static_assert(offsetof(FirState, selfRef) == 5 * 4 && offsetof(FirState, tapsBuf) == 8 * 4 &&
              offsetof(FirState, sampleBuf) == 12 * 4 && offsetof(FirState, window) == 14 * 4 &&
              offsetof(FirState, phaseTable) == 15 * 4 && offsetof(FirState, origTapsLen) == 17 * 4);
#endif

bool initialised(const FirState* st) { return st->selfRef == st; }

template <class T>
T* tapsOf(const FirState* st) { return static_cast<T*>(st->tapsBuf); }
template <class T>
T* windowOf(const FirState* st) { return static_cast<T*>(st->window); }
template <class T>
T* bufferOf(const FirState* st) { return static_cast<T*>(st->sampleBuf); }

void* allocate(std::size_t bytes) {
    if (bytes > std::size_t(INT_MAX)) return nullptr;
    return vokMalloc(int(bytes));
}

// ---- taps and delay-line access ----

template <class W>
void storeTaps(const W* taps, FirState* st) {
    W* buf = tapsOf<W>(st);
    const int len = st->tapsLen, up = st->upFactor;
    if (!taps) {
        std::memset(static_cast<void*>(buf), 0, sizeof(W) * std::size_t(len));
        return;
    }
    fir::packTaps(taps, buf, len, up);
}

template <class W>
void setTaps(ArgChecks check, const W* taps, FirState* st) {
    if (check(!st, kNullState) || check(!initialised(st), kNotInit)) return;
    storeTaps(taps, st);
}

template <class W>
void getTaps(ArgChecks check, FirState* st, W* taps) {
    if (check(!st, kNullState) || check(!initialised(st), kNotInit) || check(!taps, kNull)) return;
    const W* buf = tapsOf<W>(st);
    const int len = st->tapsLen, up = st->upFactor;
    fir::unpackTaps(buf, taps, len, up);
}

template <class D>
void storeDlyl(const D* dlyl, FirState* st) {
    if (st->dlyLen < 1) return;
    const std::size_t bytes = sizeof(D) * std::size_t(st->dlyLen);
    if (!dlyl) std::memset(st->window, 0, bytes);
    else std::memcpy(st->window, dlyl, bytes);
}

template <class D>
void setDlyl(ArgChecks check, const D* dlyl, FirState* st) {
    if (check(!st, kNullState) || check(!initialised(st), kNotInit)) return;
    storeDlyl(dlyl, st);
}

template <class D>
void getDlyl(ArgChecks check, FirState* st, D* dlyl) {
    if (check(!st, kNullState) || check(!initialised(st), kNotInit) || check(!dlyl, kNull)) return;
    if (st->dlyLen > 0) std::memcpy(static_cast<void*>(dlyl), st->window, sizeof(D) * std::size_t(st->dlyLen));
}

// ---- initialisation ----

// Unroll width of the single-sample dot product, by type combination.
template <class D, class W>
constexpr int unrollWidth() {
    if constexpr (std::is_same_v<D, float> && std::is_same_v<W, float>) return 8;
    else if constexpr (std::is_same_v<vok::RealOf<D>, float> || (std::is_same_v<D, double> && std::is_same_v<W, double>))
        return 4;
    else return 2;
}

template <class D, class W>
void commonInit(ArgChecks check, const W* taps, int tapsLen, const D* dlyl, int up, int upPhase, int down,
                int downPhase, FirState* st) {
    if (initialised(st)) fir::releaseState(st);
    st->upFactor = up;
    st->upPhase = upPhase;
    st->downFactor = down;
    st->downPhase = downPhase;
    st->isMultiRate = (up >= 2 || down >= 2) ? 1 : 0;
    st->tapsLen = tapsLen;
    constexpr int unroll = unrollWidth<D, W>();
    st->tapsLenUnrolled = tapsLen / unroll * unroll;
    const int d = st->isMultiRate ? fir::historyLength(tapsLen, up) : tapsLen - 1;
    st->dlyLen = d;
    const int base = std::is_same_v<W, float> ? 128 : 64;
    const int room = d < base ? base - 1 : d;
    st->bufRoom = st->isMultiRate ? int((std::int64_t(room) + down - 1) / down * down) : room + 1;
    st->windowPos = 0;
    st->tapsScale = 0;
    st->origTapsLen = tapsLen;
    st->selfRef = st;
    st->tapsBuf = nullptr;
    st->sampleBuf = nullptr;
    st->phaseTable = nullptr;
    st->window = nullptr;
    st->bufWrap = nullptr;

    st->tapsBuf = allocate(sizeof(W) * std::size_t(tapsLen));
    st->sampleBuf = allocate(sizeof(D) * (std::size_t(d) + std::size_t(st->bufRoom)));
    if (st->sampleBuf) {
        st->window = st->sampleBuf;
        st->bufWrap = bufferOf<D>(st) + st->bufRoom;
    }
    if (st->isMultiRate) st->phaseTable = allocate(sizeof(PhaseEntry) * std::size_t(up));
    if (!st->tapsBuf || !st->sampleBuf || (st->isMultiRate && !st->phaseTable)) {
        fir::releaseState(st);
        check.report(VOK_StatusNoMemory, "Allocation failure", __LINE__);
        return;
    }
    if (st->isMultiRate) fillPhaseTable(st);
    storeTaps(taps, st);
    storeDlyl(dlyl, st);
}

template <class D, class W>
void init(ArgChecks check, const W* taps, int tapsLen, const D* dlyl, FirState* st) {
    if (check(!st, kNullState) || check(tapsLen < 1, kInvalid)) return;
    commonInit(check, taps, tapsLen, dlyl, 1, 0, 1, 0, st);
}

template <class D, class W>
void initMr(ArgChecks check, const W* taps, int tapsLen, const D* dlyl, int up, int upPhase, int down, int downPhase,
            FirState* st) {
    if (check(!st, kNullState) || check(up < 1, kInvalid) || check(down < 1, kInvalid) ||
        check(upPhase < 0 || upPhase > up - 1, kInvalid) || check(downPhase < 0 || downPhase > down - 1, kInvalid) ||
        check(tapsLen < 1, kInvalid))
        return;
    commonInit(check, taps, tapsLen, dlyl, up, upPhase, down, downPhase, st);
}

void firFree(ArgChecks check, FirState* st) {
    if (check(!st, kNullState) || check(!initialised(st), kNotInit)) return;
    fir::releaseState(st);
}

// ---- filtering ----

template <class D, class W>
fir::Out<D, W> firOne(ArgChecks check, FirState* st, D samp) {
    using O = fir::Out<D, W>;
    if (check(!st, kNullState) || check(!initialised(st), kNotInit)) return O{};
    // The one-sample form is single rate; a multirate buffer has no room for it.
    if (check(st->isMultiRate != 0, kInvalid)) return O{};
    D* window = windowOf<D>(st);
    const int d = st->dlyLen;
    window[d] = samp;
    // Newest first, as the block forms sum.
    const W* taps = tapsOf<W>(st);
    fir::Acc<O> acc;
    for (int k = st->tapsLen - 1; k >= 0; --k) acc.add(taps[k], window[k]);
    ++window;
    if (window == st->bufWrap) {
        if (d > 0) std::memmove(st->sampleBuf, st->bufWrap, sizeof(D) * std::size_t(d));
        window = bufferOf<D>(st);
    }
    st->window = window;
    return acc.get();
}

// History for the block filter: the chronological window, newest last.
template <class D>
struct WindowHistory {
    const D* oldest;
    int length;
    D operator()(int k) const { return oldest[length - 1 - k]; }
};

template <class D, class W>
void bfir(ArgChecks check, FirState* st, const D* in, fir::Out<D, W>* out, int numIters) {
    if (check(!st, kNullState) || check(!initialised(st), kNotInit) || check(!in || !out, kNull) ||
        check(numIters < 1, kInvalid))
        return;
    const fir::Rate rate{st->tapsLen, st->upFactor, st->upPhase, st->downFactor, st->downPhase};
    const int d = st->dlyLen;
    D* buf = bufferOf<D>(st);
    D* window = windowOf<D>(st);
    // Bring the history to the start of the buffer; the outputs that reach
    // into it read it there, the others read the input directly.
    if (window != buf && d > 0) std::memmove(static_cast<void*>(buf), window, sizeof(D) * std::size_t(d));
    st->window = buf;
    fir::filterBlock(rate, fir::PackedTaps<W>{tapsOf<const W>(st), rate.tapsLen, rate.up},
                     WindowHistory<D>{buf, d}, in, out, numIters);
    const std::int64_t total = std::int64_t(numIters) * rate.down;
    if (total < d) {
        std::memmove(static_cast<void*>(buf), buf + total, sizeof(D) * std::size_t(d - total));
        std::memcpy(static_cast<void*>(buf + (d - total)), in, sizeof(D) * std::size_t(total));
    } else if (d > 0) {
        std::memcpy(static_cast<void*>(buf), in + (total - d), sizeof(D) * std::size_t(d));
    }
}

}  // namespace

extern "C" {

// D the data type, W the taps type.
#define VOK_FIR_INIT(name, D, W)                                                                \
    VOK_API void VOK_CALL name(const W* taps, int tapsLen, const D* dlyl, FirState* statePtr) { \
        init(VOK_CHECKS, taps, tapsLen, dlyl, statePtr);                                        \
    }
#define VOK_FIR_INIT_MR(name, D, W)                                                                  \
    VOK_API void VOK_CALL name(const W* taps, int tapsLen, const D* dlyl, int upFactor, int upPhase, \
                               int downFactor, int downPhase, FirState* statePtr) {                  \
        initMr(VOK_CHECKS, taps, tapsLen, dlyl, upFactor, upPhase, downFactor, downPhase, statePtr); \
    }
#define VOK_FIR(name, D, W)                                            \
    VOK_API fir::Out<D, W> VOK_CALL name(FirState* statePtr, D samp) { \
        return firOne<D, W>(VOK_CHECKS, statePtr, samp);               \
    }
#define VOK_BLOCK_FIR(name, D, W)                                                              \
    VOK_API void VOK_CALL name(FirState* statePtr, const D* inSamps, fir::Out<D, W>* outSamps, \
                               int numIters) {                                                 \
        bfir<D, W>(VOK_CHECKS, statePtr, inSamps, outSamps, numIters);                         \
    }

VOK_FIR_INIT(voksFirInit, float, float)
VOK_FIR_INIT(vokcFirInit, FloatComplex, FloatComplex)
VOK_FIR_INIT(vokdFirInit, double, double)
VOK_FIR_INIT(vokzFirInit, DoubleComplex, DoubleComplex)
VOK_FIR_INIT(vokscFirInit, float, FloatComplex)
VOK_FIR_INIT(vokcsFirInit, FloatComplex, float)
VOK_FIR_INIT(vokdzFirInit, double, DoubleComplex)
VOK_FIR_INIT(vokzdFirInit, DoubleComplex, double)

VOK_FIR_INIT_MR(voksFirInitMr, float, float)
VOK_FIR_INIT_MR(vokcFirInitMr, FloatComplex, FloatComplex)
VOK_FIR_INIT_MR(vokdFirInitMr, double, double)
VOK_FIR_INIT_MR(vokzFirInitMr, DoubleComplex, DoubleComplex)
VOK_FIR_INIT_MR(vokscFirInitMr, float, FloatComplex)
VOK_FIR_INIT_MR(vokcsFirInitMr, FloatComplex, float)
VOK_FIR_INIT_MR(vokdzFirInitMr, double, DoubleComplex)
VOK_FIR_INIT_MR(vokzdFirInitMr, DoubleComplex, double)

VOK_FIR(voksFir, float, float)
VOK_FIR(vokcFir, FloatComplex, FloatComplex)
VOK_FIR(vokdFir, double, double)
VOK_FIR(vokzFir, DoubleComplex, DoubleComplex)
VOK_FIR(vokscFir, float, FloatComplex)
VOK_FIR(vokcsFir, FloatComplex, float)
VOK_FIR(vokdzFir, double, DoubleComplex)
VOK_FIR(vokzdFir, DoubleComplex, double)

VOK_BLOCK_FIR(voksbFir, float, float)
VOK_BLOCK_FIR(vokcbFir, FloatComplex, FloatComplex)
VOK_BLOCK_FIR(vokdbFir, double, double)
VOK_BLOCK_FIR(vokzbFir, DoubleComplex, DoubleComplex)
VOK_BLOCK_FIR(vokscbFir, float, FloatComplex)
VOK_BLOCK_FIR(vokcsbFir, FloatComplex, float)
VOK_BLOCK_FIR(vokdzbFir, double, DoubleComplex)
VOK_BLOCK_FIR(vokzdbFir, DoubleComplex, double)

#define VOK_FIR_SET_TAPS(name, T)                                   \
    VOK_API void VOK_CALL name(const T* taps, FirState* statePtr) { \
        setTaps(VOK_CHECKS, taps, statePtr);                        \
    }
#define VOK_FIR_GET_TAPS(name, T) \
    VOK_API void VOK_CALL name(FirState* statePtr, T* taps) { getTaps(VOK_CHECKS, statePtr, taps); }
#define VOK_FIR_SET_DLYL(name, T)                                   \
    VOK_API void VOK_CALL name(const T* dlyl, FirState* statePtr) { \
        setDlyl(VOK_CHECKS, dlyl, statePtr);                        \
    }
#define VOK_FIR_GET_DLYL(name, T) \
    VOK_API void VOK_CALL name(FirState* statePtr, T* dlyl) { getDlyl(VOK_CHECKS, statePtr, dlyl); }

VOK_FIR_SET_TAPS(voksFirSetTaps, float)
VOK_FIR_SET_TAPS(vokcFirSetTaps, FloatComplex)
VOK_FIR_SET_TAPS(vokdFirSetTaps, double)
VOK_FIR_SET_TAPS(vokzFirSetTaps, DoubleComplex)

VOK_FIR_GET_TAPS(voksFirGetTaps, float)
VOK_FIR_GET_TAPS(vokcFirGetTaps, FloatComplex)
VOK_FIR_GET_TAPS(vokdFirGetTaps, double)
VOK_FIR_GET_TAPS(vokzFirGetTaps, DoubleComplex)

VOK_FIR_SET_DLYL(voksFirSetDlyl, float)
VOK_FIR_SET_DLYL(vokcFirSetDlyl, FloatComplex)
VOK_FIR_SET_DLYL(vokdFirSetDlyl, double)
VOK_FIR_SET_DLYL(vokzFirSetDlyl, DoubleComplex)

VOK_FIR_GET_DLYL(voksFirGetDlyl, float)
VOK_FIR_GET_DLYL(vokcFirGetDlyl, FloatComplex)
VOK_FIR_GET_DLYL(vokdFirGetDlyl, double)
VOK_FIR_GET_DLYL(vokzFirGetDlyl, DoubleComplex)

VOK_API void VOK_CALL vokFirFree(FirState* statePtr) { firFree(VOK_CHECKS, statePtr); }

}  // extern "C"
