// Two-state FIR filter: a taps record and a delay-line record over arrays the
// caller owns; one sample at a time or in blocks, single rate or polyphase.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/check.h"
#include "filter/fir.h"
#include "vok/fir.h"

namespace {

using vok::ArgChecks;
namespace fir = vok::fir;
constexpr const char* kModule = "vokfirl";
constexpr const char* kNull = "Null buffer pointer";
constexpr const char* kLength = "Invalid array length";
constexpr const char* kNotFilter = "Not filter mode";

static_assert(offsetof(FirTapState, taps) == 0 && offsetof(FirTapState, len) == sizeof(void*));
static_assert(offsetof(FirTapState, reserved) == sizeof(void*) + 7 * 4);
static_assert(offsetof(FirDlyState, isFilterMode) == sizeof(void*) + 4);
#if UINTPTR_MAX == 0xffffffff
static_assert(sizeof(FirTapState) == 9 * 4 && sizeof(FirDlyState) == 3 * 4);
static_assert(offsetof(FirTapState, upFactor) == 2 * 4 && offsetof(FirTapState, downPhase) == 5 * 4 &&
              offsetof(FirTapState, isMultiRate) == 6 * 4 && offsetof(FirTapState, isFilterMode) == 7 * 4);
static_assert(offsetof(FirDlyState, len) == 4);
#endif

template <class T>
T* tapsOf(const FirTapState* tap) { return static_cast<T*>(tap->taps); }
template <class T>
T* slotsOf(const FirDlyState* dly) { return static_cast<T*>(dly->dlyl); }

// Elements of the delay line the caller sees: the last slot of a single-rate
// line is scratch space the next input pushes out.
int visibleLength(const FirTapState* tap, const FirDlyState* dly) { return tap->isMultiRate ? dly->len : dly->len - 1; }

// ---- set-up ----

template <class T>
void setTaps(ArgChecks check, const T* taps, FirTapState* tap) {
    if (check(!tap, kNull)) return;
    T* own = tapsOf<T>(tap);
    if (!(taps == own && tap->isFilterMode)) {
        if (!taps) std::memset(static_cast<void*>(own), 0, sizeof(T) * std::size_t(tap->len));
        else if (taps != own) std::memmove(static_cast<void*>(own), taps, sizeof(T) * std::size_t(tap->len));
    }
    tap->isFilterMode = 1;
}

template <class T>
void init(ArgChecks check, T* taps, int tapsLen, FirTapState* tap) {
    if (check(!taps || !tap, kNull) || check(tapsLen < 1, kLength)) return;
    fir::describeTaps(taps, tapsLen, 1, 0, 1, 0, tap);
    setTaps(check, taps, tap);
    tap->reserved = 0;
}

template <class T>
void initMr(ArgChecks check, T* taps, int tapsLen, int up, int upPhase, int down, int downPhase, FirTapState* tap) {
    if (check(!taps || !tap, kNull) || check(tapsLen < 1, kLength) ||
        check(upPhase < 0 || downPhase < 0, "Invalid phase value") || check(up <= upPhase, "Invalid factor value") ||
        check(down <= downPhase, "Invalid factor value"))
        return;
    fir::describeTaps(taps, tapsLen, up, upPhase, down, downPhase, tap);
    setTaps(check, taps, tap);
    tap->reserved = 0;
}

template <class T>
void initDlyl(ArgChecks check, FirTapState* tap, T* dlyl, FirDlyState* dly) {
    if (check(!dlyl, kNull) || check(!dly || !tap, kNull)) return;
    dly->dlyl = dlyl;
    dly->len = tap->isMultiRate ? fir::historyLength(tap->len, tap->upFactor) : tap->len;
    dly->isFilterMode = 0;
}

// ---- taps and delay-line access ----

template <class T>
void getTaps(ArgChecks check, FirTapState* tap, T* taps) {
    if (check(!taps || !tap, kNull) || check(!tap->isFilterMode, kNotFilter)) return;
    T* own = tapsOf<T>(tap);
    if (taps == own) tap->isFilterMode = 0;
    else std::memcpy(static_cast<void*>(taps), own, sizeof(T) * std::size_t(tap->len));
}

template <class T>
void setDlyl(ArgChecks check, FirTapState* tap, const T* dlyl, FirDlyState* dly) {
    if (check(!dly || !tap, kNull)) return;
    const int n = visibleLength(tap, dly);
    T* slots = slotsOf<T>(dly);
    if (!dlyl) {
        if (n > 0) std::memset(static_cast<void*>(slots), 0, sizeof(T) * std::size_t(n));
    } else if (dlyl == slots) {
        if (!dly->isFilterMode) fir::reverseInPlace(slots, n);
    } else {
        for (int i = 0; i < n; ++i) slots[i] = dlyl[n - 1 - i];
    }
    dly->isFilterMode = 1;
}

template <class T>
void getDlyl(ArgChecks check, FirTapState* tap, FirDlyState* dly, T* dlyl) {
    if (check(!dly, kNull) || check(!tap, kNull) || check(!dlyl, kNull) || check(!dly->isFilterMode, kNotFilter))
        return;
    const int n = visibleLength(tap, dly);
    T* slots = slotsOf<T>(dly);
    if (dlyl == slots) {
        fir::reverseInPlace(slots, n);
        dly->isFilterMode = 0;
    } else {
        for (int i = 0; i < n; ++i) dlyl[i] = slots[n - 1 - i];
    }
}

// ---- filtering ----

template <class D, class W>
fir::Out<D, W> firl(ArgChecks check, FirTapState* tap, FirDlyState* dly, D samp) {
    using O = fir::Out<D, W>;
    if (check(!tap || !dly, kNull)) return O{};
    // The one-sample form is single rate; a multirate record would read past its line.
    if (check(tap->isMultiRate != 0, "Invalid factor value")) return O{};
    D* slots = slotsOf<D>(dly);
    const int len = dly->len;
    if (len > 1) std::memmove(static_cast<void*>(slots + 1), slots, sizeof(D) * std::size_t(len - 1));
    slots[0] = samp;
    return fir::newestFirstSum<O>(tapsOf<const W>(tap), tap->len < len ? tap->len : len, slots);
}

// History for the block filter: slot k is the input k+1 places before the block.
template <class D>
struct SlotHistory {
    const D* slots;
    D operator()(int k) const { return slots[k]; }
};

template <class D, class W>
void bfirl(ArgChecks check, FirTapState* tap, FirDlyState* dly, const D* in, fir::Out<D, W>* out, int numIters) {
    if (check(!dly || !tap, kNull) || check(!in || !out, kNull) || check(numIters < 1, kLength) ||
        check(!dly->isFilterMode, kNotFilter) || check(!tap->isFilterMode, kNotFilter))
        return;
    const bool multi = tap->isMultiRate != 0;
    const fir::Rate rate{tap->len, multi ? tap->upFactor : 1, multi ? tap->upPhase : 0, multi ? tap->downFactor : 1,
                         multi ? tap->downPhase : 0};
    D* slots = slotsOf<D>(dly);
    fir::filterBlock(rate, fir::NaturalTaps<W>{tapsOf<const W>(tap), rate.tapsLen, rate.up}, SlotHistory<D>{slots},
                     in, out, numIters);
    // The line ends as if every input had been pushed through it.
    const std::int64_t total = std::int64_t(numIters) * rate.down;
    const int len = dly->len;
    const int fresh = total < len ? int(total) : len;
    if (fresh < len) std::memmove(static_cast<void*>(slots + fresh), slots, sizeof(D) * std::size_t(len - fresh));
    for (int k = 0; k < fresh; ++k) slots[k] = in[total - 1 - k];
}

}  // namespace

extern "C" {

#define VOK_FIRL_INIT(name, T)                                                \
    VOK_API void VOK_CALL name(T* taps, int tapsLen, FirTapState* tapStPtr) { \
        init(VOK_CHECKS, taps, tapsLen, tapStPtr);                            \
    }
#define VOK_FIRL_INIT_MR(name, T)                                                               \
    VOK_API void VOK_CALL name(T* taps, int tapsLen, int upFactor, int upPhase, int downFactor, \
                               int downPhase, FirTapState* tapStPtr) {                          \
        initMr(VOK_CHECKS, taps, tapsLen, upFactor, upPhase, downFactor, downPhase, tapStPtr);  \
    }
#define VOK_FIRL_INIT_DLYL(name, T)                                                     \
    VOK_API void VOK_CALL name(FirTapState* tapStPtr, T* dlyl, FirDlyState* dlyStPtr) { \
        initDlyl(VOK_CHECKS, tapStPtr, dlyl, dlyStPtr);                                 \
    }
#define VOK_FIRL_SET_TAPS(name, T)                                     \
    VOK_API void VOK_CALL name(const T* taps, FirTapState* tapStPtr) { \
        setTaps(VOK_CHECKS, taps, tapStPtr);                           \
    }
#define VOK_FIRL_GET_TAPS(name, T)                               \
    VOK_API void VOK_CALL name(FirTapState* tapStPtr, T* taps) { \
        getTaps(VOK_CHECKS, tapStPtr, taps);                     \
    }
#define VOK_FIRL_SET_DLYL(name, T)                                                            \
    VOK_API void VOK_CALL name(FirTapState* tapStPtr, const T* dlyl, FirDlyState* dlyStPtr) { \
        setDlyl(VOK_CHECKS, tapStPtr, dlyl, dlyStPtr);                                        \
    }
#define VOK_FIRL_GET_DLYL(name, T)                                                      \
    VOK_API void VOK_CALL name(FirTapState* tapStPtr, FirDlyState* dlyStPtr, T* dlyl) { \
        getDlyl(VOK_CHECKS, tapStPtr, dlyStPtr, dlyl);                                  \
    }

VOK_FIRL_INIT(voksFirlInit, float)
VOK_FIRL_INIT(vokcFirlInit, FloatComplex)
VOK_FIRL_INIT(vokdFirlInit, double)
VOK_FIRL_INIT(vokzFirlInit, DoubleComplex)

VOK_FIRL_INIT_MR(voksFirlInitMr, float)
VOK_FIRL_INIT_MR(vokcFirlInitMr, FloatComplex)
VOK_FIRL_INIT_MR(vokdFirlInitMr, double)
VOK_FIRL_INIT_MR(vokzFirlInitMr, DoubleComplex)

VOK_FIRL_INIT_DLYL(voksFirlInitDlyl, float)
VOK_FIRL_INIT_DLYL(vokcFirlInitDlyl, FloatComplex)
VOK_FIRL_INIT_DLYL(vokdFirlInitDlyl, double)
VOK_FIRL_INIT_DLYL(vokzFirlInitDlyl, DoubleComplex)

VOK_FIRL_SET_TAPS(voksFirlSetTaps, float)
VOK_FIRL_SET_TAPS(vokcFirlSetTaps, FloatComplex)
VOK_FIRL_SET_TAPS(vokdFirlSetTaps, double)
VOK_FIRL_SET_TAPS(vokzFirlSetTaps, DoubleComplex)

VOK_FIRL_GET_TAPS(voksFirlGetTaps, float)
VOK_FIRL_GET_TAPS(vokcFirlGetTaps, FloatComplex)
VOK_FIRL_GET_TAPS(vokdFirlGetTaps, double)
VOK_FIRL_GET_TAPS(vokzFirlGetTaps, DoubleComplex)

VOK_FIRL_SET_DLYL(voksFirlSetDlyl, float)
VOK_FIRL_SET_DLYL(vokcFirlSetDlyl, FloatComplex)
VOK_FIRL_SET_DLYL(vokdFirlSetDlyl, double)
VOK_FIRL_SET_DLYL(vokzFirlSetDlyl, DoubleComplex)

VOK_FIRL_GET_DLYL(voksFirlGetDlyl, float)
VOK_FIRL_GET_DLYL(vokcFirlGetDlyl, FloatComplex)
VOK_FIRL_GET_DLYL(vokdFirlGetDlyl, double)
VOK_FIRL_GET_DLYL(vokzFirlGetDlyl, DoubleComplex)

// D the data type, W the taps type.
#define VOK_FIRL(name, D, W)                                                                     \
    VOK_API fir::Out<D, W> VOK_CALL name(FirTapState* tapStPtr, FirDlyState* dlyStPtr, D samp) { \
        return firl<D, W>(VOK_CHECKS, tapStPtr, dlyStPtr, samp);                                 \
    }
#define VOK_BLOCK_FIRL(name, D, W)                                                             \
    VOK_API void VOK_CALL name(FirTapState* tapStPtr, FirDlyState* dlyStPtr, const D* inSamps, \
                               fir::Out<D, W>* outSamps, int numIters) {                       \
        bfirl<D, W>(VOK_CHECKS, tapStPtr, dlyStPtr, inSamps, outSamps, numIters);              \
    }

VOK_FIRL(voksFirl, float, float)
VOK_FIRL(vokdFirl, double, double)
VOK_FIRL(vokcFirl, FloatComplex, FloatComplex)
VOK_FIRL(vokzFirl, DoubleComplex, DoubleComplex)
VOK_FIRL(vokscFirl, float, FloatComplex)
VOK_FIRL(vokcsFirl, FloatComplex, float)
VOK_FIRL(vokdzFirl, double, DoubleComplex)
VOK_FIRL(vokzdFirl, DoubleComplex, double)

VOK_BLOCK_FIRL(voksbFirl, float, float)
VOK_BLOCK_FIRL(vokdbFirl, double, double)
VOK_BLOCK_FIRL(vokcbFirl, FloatComplex, FloatComplex)
VOK_BLOCK_FIRL(vokzbFirl, DoubleComplex, DoubleComplex)
VOK_BLOCK_FIRL(vokscbFirl, float, FloatComplex)
VOK_BLOCK_FIRL(vokcsbFirl, FloatComplex, float)
VOK_BLOCK_FIRL(vokdzbFirl, double, DoubleComplex)
VOK_BLOCK_FIRL(vokzdbFirl, DoubleComplex, double)

}  // extern "C"
