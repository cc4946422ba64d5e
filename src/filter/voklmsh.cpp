// LMS adaptive filters, high layer: one record that keeps both low-layer
// records, private copies of the taps and delay line, and the last error.
//
// The two private arrays come from the ordinary heap, not the library
// allocator: they are plain element arrays with no alignment contract.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "filter/lms.h"
#include "vok/lms.h"

namespace {

using vok::ArgChecks;
namespace lms = vok::lms;
constexpr const char* kModule = "voklmsh";
constexpr const char* kNull = "Null buffer pointer";
constexpr const char* kTapsNotSet = "Taps state structure is not initialized";
constexpr const char* kDlylNotSet = "Delay line state structure is not initialized";

thread_local int heapFailCountdown = 0;  // test seam: n-th heap request from now fails

void* heapArray(std::int64_t count, std::size_t elementSize) {
    if (heapFailCountdown > 0 && --heapFailCountdown == 0) return nullptr;
    if (count < 1 || count > INT32_MAX) return nullptr;
    const std::uint64_t bytes = std::uint64_t(count) * elementSize;
    if (bytes > SIZE_MAX) return nullptr;
    return std::malloc(std::size_t(bytes));
}

// The error member of the output type W.
template <class W> W& errOf(LmsState* st);
template <> float& errOf<float>(LmsState* st) { return st->errVal.s; }
template <> double& errOf<double>(LmsState* st) { return st->errVal.d; }
template <> FloatComplex& errOf<FloatComplex>(LmsState* st) { return st->errVal.c; }
template <> DoubleComplex& errOf<DoubleComplex>(LmsState* st) { return st->errVal.z; }
template <class W>
W errOf(const LmsState* st) { return errOf<W>(const_cast<LmsState*>(st)); }

inline float difference(float a, float b) { return a - b; }
inline double difference(double a, double b) { return a - b; }
template <class C>
inline C difference(C a, C b) { return C{a.re - b.re, a.im - b.im}; }

void release(LmsState* st) {
    std::free(st->tapState.taps);
    std::free(st->dlyState.dlyl);
    st->tapState.taps = nullptr;
    st->dlyState.dlyl = nullptr;
    // A released record reports itself as not set up rather than reach freed memory.
    st->tapState.isFilterMode = 0;
    st->dlyState.isFilterMode = 0;
}

// ---- initialisation ----

template <class D, class W>
void init(ArgChecks check, int lmsType, const W* taps, int tapsLen, const D* dlyl, float step, float leak,
          int errDly, int downFactor, int downPhase, LmsState* st) {
    LmsTapState& tap = st->tapState;
    LmsDlyState& dly = st->dlyState;
    tap.taps = nullptr;
    tap.len = tapsLen;
    tap.upFactor = 1;
    tap.upPhase = 0;
    tap.downFactor = downFactor;
    tap.downPhase = downPhase;
    tap.isMultiRate = downFactor > 1 ? 1 : 0;
    tap.leak = leak;
    tap.step = step;
    tap.errDly = errDly;
    tap.lmsType = lmsType;
    errOf<W>(st) = W{};

    const std::int64_t dlyLen = std::int64_t(tapsLen) + errDly + (tap.isMultiRate ? downFactor : 0);
    tap.taps = heapArray(tapsLen, sizeof(W));
    tap.isFilterMode = tap.taps ? 1 : 0;
    dly.dlyl = heapArray(dlyLen, sizeof(D));
    dly.isFilterMode = dly.dlyl ? 1 : 0;
    if (!tap.taps || !dly.dlyl) {
        release(st);
        check.report(VOK_StatusNoMemory, "Problem to allocate memory", __LINE__);
        return;
    }
    dly.len = int(dlyLen);
    dly.isAdapt = 1;
    // The top slot is outside the caller's view but is read by the first update.
    std::memset(dly.dlyl, 0, sizeof(D) * std::size_t(dlyLen));
    lms::setTaps(taps, &tap);
    lms::setDlyl(dlyl, &dly);
}

template <class D, class W>
void initSingle(ArgChecks check, int lmsType, const W* taps, int tapsLen, const D* dlyl, float step, float leak,
                int errDly, LmsState* st) {
    if (check(!st, kNull) || check(tapsLen < 1, "Invalid buffer length") ||
        check(errDly < 0, "Invalid error delay value"))
        return;
    init(check, lmsType, taps, tapsLen, dlyl, step, leak, errDly, 1, 0, st);
}

template <class D, class W>
void initMr(ArgChecks check, int lmsType, const W* taps, int tapsLen, const D* dlyl, float step, float leak,
            int errDly, int downFactor, int downPhase, LmsState* st) {
    if (check(!st, kNull) || check(tapsLen < 1, "Invalid buffer length") ||
        check(errDly < 0, "Invalid error delay value") || check(downPhase < 0, "Invalid phase value") ||
        check(downFactor <= downPhase, "Invalid factor value"))
        return;
    init(check, lmsType, taps, tapsLen, dlyl, step, leak, errDly, downFactor, downPhase, st);
}

// ---- filtering ----

bool notSetUp(ArgChecks check, const LmsState* st) {
    return check(!st->tapState.isFilterMode, kTapsNotSet) || check(!st->dlyState.isFilterMode, kDlylNotSet);
}

template <class D, class W>
W withError(ArgChecks check, LmsState* st, D samp, W err) {
    if (check(!st, kNull) || notSetUp(check, st)) return W{};
    return lms::filterOne(&st->tapState, &st->dlyState, samp, err, lms::adaptsAt<D, W>(st->tapState.step));
}

template <class D, class W>
W blockWithError(ArgChecks check, LmsState* st, const D* in, W err) {
    if (check(!st, kNull) || check(!in, kNull) || notSetUp(check, st)) return W{};
    return lms::filterBlock(&st->tapState, &st->dlyState, in, err, st->tapState.step > 0.0f);
}

// The desired-signal forms adapt on every sample with the stored error, then
// store the error of the new output.
template <class D, class W>
W withDesired(ArgChecks check, LmsState* st, D samp, W desired) {
    if (check(!st, kNull) || notSetUp(check, st)) return W{};
    W& err = errOf<W>(st);
    const W y = lms::filterOne(&st->tapState, &st->dlyState, samp, err, true);
    err = difference(desired, y);
    return y;
}

template <class D, class W>
void blockWithDesired(ArgChecks check, LmsState* st, const D* in, const W* desired, W* out, int numIters) {
    if (check(!st, kNull) || notSetUp(check, st) || check(!in || !desired || !out, kNull) ||
        check(numIters < 1, "Bad value of number of iterations"))
        return;
    W& err = errOf<W>(st);
    const int factor = st->tapState.downFactor;
    for (int t = 0; t < numIters; ++t) {
        const W y = lms::filterBlock(&st->tapState, &st->dlyState, in + std::size_t(t) * unsigned(factor), err, true);
        const W want = desired[t];  // read before the write: the arrays may be one
        out[t] = y;
        err = difference(want, y);
    }
}

// ---- access ----

template <class T>
void getTaps(ArgChecks check, LmsState* st, T* taps) {
    if (check(!st || !taps, kNull) || check(!st->tapState.taps, kNull)) return;
    lms::getTaps(&st->tapState, taps);
}

template <class T>
void setTaps(ArgChecks check, const T* taps, LmsState* st) {
    if (check(!st, kNull) || check(!st->tapState.taps, kNull)) return;
    lms::setTaps(taps, &st->tapState);
}

template <class T>
void getDlyl(ArgChecks check, LmsState* st, T* dlyl) {
    if (check(!st || !dlyl, kNull) || check(!st->dlyState.dlyl, kNull)) return;
    lms::getDlyl(&st->dlyState, dlyl);
}

template <class T>
void setDlyl(ArgChecks check, const T* dlyl, LmsState* st) {
    if (check(!st, kNull) || check(!st->dlyState.dlyl, kNull)) return;
    lms::setDlyl(dlyl, &st->dlyState);
}

template <class T>
T getErr(ArgChecks check, const LmsState* st) {
    if (check(!st, kNull)) return T{};
    return errOf<T>(st);
}

template <class T>
void setErr(ArgChecks check, T value, LmsState* st) {
    if (check(!st, kNull)) return;
    errOf<T>(st) = value;
}

}  // namespace

namespace vok::testing {
void failLmsHeapAfter(int n) { heapFailCountdown = n; }
}  // namespace vok::testing

// Initialisation and filtering for input type D and taps type W, letters t.
#define VOK_LMSH_FILTER(t, D, W)                                                                              \
    VOK_API void VOK_CALL vok##t##LmsInit(int lmsType, const W* taps, int tapsLen, const D* dlyl, float step,  \
                                          float leak, int errDly, LmsState* statePtr) {                       \
        initSingle(VOK_CHECKS, lmsType, taps, tapsLen, dlyl, step, leak, errDly, statePtr);                   \
    }                                                                                                         \
    VOK_API void VOK_CALL vok##t##LmsInitMr(int lmsType, const W* taps, int tapsLen, const D* dlyl, float step, \
                                            float leak, int errDly, int downFactor, int downPhase,            \
                                            LmsState* statePtr) {                                             \
        initMr(VOK_CHECKS, lmsType, taps, tapsLen, dlyl, step, leak, errDly, downFactor, downPhase, statePtr); \
    }                                                                                                         \
    VOK_API W VOK_CALL vok##t##Lms(LmsState* statePtr, D samp, W err) {                                       \
        return withError(VOK_CHECKS, statePtr, samp, err);                                                    \
    }                                                                                                         \
    VOK_API W VOK_CALL vok##t##bLms(LmsState* statePtr, const D* inSamps, W err) {                            \
        return blockWithError(VOK_CHECKS, statePtr, inSamps, err);                                            \
    }                                                                                                         \
    VOK_API W VOK_CALL vok##t##LmsDes(LmsState* statePtr, D samp, W desired) {                                \
        return withDesired(VOK_CHECKS, statePtr, samp, desired);                                              \
    }                                                                                                         \
    VOK_API void VOK_CALL vok##t##bLmsDes(LmsState* statePtr, const D* inSamps, const W* desSamps, W* outSamps, \
                                          int numIters) {                                                     \
        blockWithDesired(VOK_CHECKS, statePtr, inSamps, desSamps, outSamps, numIters);                        \
    }

// Taps, delay line and error access for element type T, letter t.
#define VOK_LMSH_ACCESS(t, T)                                                                                 \
    VOK_API void VOK_CALL vok##t##LmsGetTaps(LmsState* statePtr, T* taps) { getTaps(VOK_CHECKS, statePtr, taps); } \
    VOK_API void VOK_CALL vok##t##LmsSetTaps(const T* taps, LmsState* statePtr) {                             \
        setTaps(VOK_CHECKS, taps, statePtr);                                                                  \
    }                                                                                                         \
    VOK_API void VOK_CALL vok##t##LmsGetDlyl(LmsState* statePtr, T* dlyl) { getDlyl(VOK_CHECKS, statePtr, dlyl); } \
    VOK_API void VOK_CALL vok##t##LmsSetDlyl(const T* dlyl, LmsState* statePtr) {                             \
        setDlyl(VOK_CHECKS, dlyl, statePtr);                                                                  \
    }                                                                                                         \
    VOK_API T VOK_CALL vok##t##LmsGetErrVal(const LmsState* statePtr) { return getErr<T>(VOK_CHECKS, statePtr); } \
    VOK_API void VOK_CALL vok##t##LmsSetErrVal(T errVal, LmsState* statePtr) {                                \
        setErr(VOK_CHECKS, errVal, statePtr);                                                                 \
    }

extern "C" {

VOK_LMSH_FILTER(s, float, float)
VOK_LMSH_FILTER(d, double, double)
VOK_LMSH_FILTER(c, FloatComplex, FloatComplex)
VOK_LMSH_FILTER(z, DoubleComplex, DoubleComplex)
VOK_LMSH_FILTER(sc, float, FloatComplex)
VOK_LMSH_FILTER(dz, double, DoubleComplex)

VOK_LMSH_ACCESS(s, float)
VOK_LMSH_ACCESS(d, double)
VOK_LMSH_ACCESS(c, FloatComplex)
VOK_LMSH_ACCESS(z, DoubleComplex)

VOK_API float VOK_CALL voksLmsGetStep(const LmsState* statePtr) { return statePtr->tapState.step; }
VOK_API void VOK_CALL voksLmsSetStep(float step, LmsState* statePtr) { statePtr->tapState.step = step; }
VOK_API float VOK_CALL voksLmsGetLeak(const LmsState* statePtr) { return statePtr->tapState.leak; }
VOK_API void VOK_CALL voksLmsSetLeak(float leak, LmsState* statePtr) { statePtr->tapState.leak = leak; }

VOK_API void VOK_CALL vokLmsFree(LmsState* statePtr) { release(statePtr); }

}  // extern "C"
