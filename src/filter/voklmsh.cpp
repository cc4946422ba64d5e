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

extern "C" {

// Initialisation and filtering for input type D and taps type W.
#define VOK_LMS_INIT(name, D, W)                                                                   \
    VOK_API void VOK_CALL name(int lmsType, const W* taps, int tapsLen, const D* dlyl, float step, \
                               float leak, int errDly, LmsState* statePtr) {                       \
        initSingle(VOK_CHECKS, lmsType, taps, tapsLen, dlyl, step, leak, errDly, statePtr);        \
    }
#define VOK_LMS_INIT_MR(name, D, W)                                                                            \
    VOK_API void VOK_CALL name(int lmsType, const W* taps, int tapsLen, const D* dlyl, float step,             \
                               float leak, int errDly, int downFactor, int downPhase,                          \
                               LmsState* statePtr) {                                                           \
        initMr(VOK_CHECKS, lmsType, taps, tapsLen, dlyl, step, leak, errDly, downFactor, downPhase, statePtr); \
    }
#define VOK_LMS(name, D, W)                                      \
    VOK_API W VOK_CALL name(LmsState* statePtr, D samp, W err) { \
        return withError(VOK_CHECKS, statePtr, samp, err);       \
    }
#define VOK_BLOCK_LMS(name, D, W)                                          \
    VOK_API W VOK_CALL name(LmsState* statePtr, const D* inSamps, W err) { \
        return blockWithError(VOK_CHECKS, statePtr, inSamps, err);         \
    }
#define VOK_LMS_DES(name, D, W)                                      \
    VOK_API W VOK_CALL name(LmsState* statePtr, D samp, W desired) { \
        return withDesired(VOK_CHECKS, statePtr, samp, desired);     \
    }
#define VOK_BLOCK_LMS_DES(name, D, W)                                                                \
    VOK_API void VOK_CALL name(LmsState* statePtr, const D* inSamps, const W* desSamps, W* outSamps, \
                               int numIters) {                                                       \
        blockWithDesired(VOK_CHECKS, statePtr, inSamps, desSamps, outSamps, numIters);               \
    }

// Taps, delay line and error access for element type T.
#define VOK_LMS_GET_TAPS(name, T) \
    VOK_API void VOK_CALL name(LmsState* statePtr, T* taps) { getTaps(VOK_CHECKS, statePtr, taps); }
#define VOK_LMS_SET_TAPS(name, T)                                   \
    VOK_API void VOK_CALL name(const T* taps, LmsState* statePtr) { \
        setTaps(VOK_CHECKS, taps, statePtr);                        \
    }
#define VOK_LMS_GET_DLYL(name, T) \
    VOK_API void VOK_CALL name(LmsState* statePtr, T* dlyl) { getDlyl(VOK_CHECKS, statePtr, dlyl); }
#define VOK_LMS_SET_DLYL(name, T)                                   \
    VOK_API void VOK_CALL name(const T* dlyl, LmsState* statePtr) { \
        setDlyl(VOK_CHECKS, dlyl, statePtr);                        \
    }
#define VOK_LMS_GET_ERR_VAL(name, T) \
    VOK_API T VOK_CALL name(const LmsState* statePtr) { return getErr<T>(VOK_CHECKS, statePtr); }
#define VOK_LMS_SET_ERR_VAL(name, T)                           \
    VOK_API void VOK_CALL name(T errVal, LmsState* statePtr) { \
        setErr(VOK_CHECKS, errVal, statePtr);                  \
    }

VOK_LMS_INIT(voksLmsInit, float, float)
VOK_LMS_INIT(vokdLmsInit, double, double)
VOK_LMS_INIT(vokcLmsInit, FloatComplex, FloatComplex)
VOK_LMS_INIT(vokzLmsInit, DoubleComplex, DoubleComplex)
VOK_LMS_INIT(vokscLmsInit, float, FloatComplex)
VOK_LMS_INIT(vokdzLmsInit, double, DoubleComplex)

VOK_LMS_INIT_MR(voksLmsInitMr, float, float)
VOK_LMS_INIT_MR(vokdLmsInitMr, double, double)
VOK_LMS_INIT_MR(vokcLmsInitMr, FloatComplex, FloatComplex)
VOK_LMS_INIT_MR(vokzLmsInitMr, DoubleComplex, DoubleComplex)
VOK_LMS_INIT_MR(vokscLmsInitMr, float, FloatComplex)
VOK_LMS_INIT_MR(vokdzLmsInitMr, double, DoubleComplex)

VOK_LMS(voksLms, float, float)
VOK_LMS(vokdLms, double, double)
VOK_LMS(vokcLms, FloatComplex, FloatComplex)
VOK_LMS(vokzLms, DoubleComplex, DoubleComplex)
VOK_LMS(vokscLms, float, FloatComplex)
VOK_LMS(vokdzLms, double, DoubleComplex)

VOK_BLOCK_LMS(voksbLms, float, float)
VOK_BLOCK_LMS(vokdbLms, double, double)
VOK_BLOCK_LMS(vokcbLms, FloatComplex, FloatComplex)
VOK_BLOCK_LMS(vokzbLms, DoubleComplex, DoubleComplex)
VOK_BLOCK_LMS(vokscbLms, float, FloatComplex)
VOK_BLOCK_LMS(vokdzbLms, double, DoubleComplex)

VOK_LMS_DES(voksLmsDes, float, float)
VOK_LMS_DES(vokdLmsDes, double, double)
VOK_LMS_DES(vokcLmsDes, FloatComplex, FloatComplex)
VOK_LMS_DES(vokzLmsDes, DoubleComplex, DoubleComplex)
VOK_LMS_DES(vokscLmsDes, float, FloatComplex)
VOK_LMS_DES(vokdzLmsDes, double, DoubleComplex)

VOK_BLOCK_LMS_DES(voksbLmsDes, float, float)
VOK_BLOCK_LMS_DES(vokdbLmsDes, double, double)
VOK_BLOCK_LMS_DES(vokcbLmsDes, FloatComplex, FloatComplex)
VOK_BLOCK_LMS_DES(vokzbLmsDes, DoubleComplex, DoubleComplex)
VOK_BLOCK_LMS_DES(vokscbLmsDes, float, FloatComplex)
VOK_BLOCK_LMS_DES(vokdzbLmsDes, double, DoubleComplex)

VOK_LMS_GET_TAPS(voksLmsGetTaps, float)
VOK_LMS_GET_TAPS(vokdLmsGetTaps, double)
VOK_LMS_GET_TAPS(vokcLmsGetTaps, FloatComplex)
VOK_LMS_GET_TAPS(vokzLmsGetTaps, DoubleComplex)

VOK_LMS_SET_TAPS(voksLmsSetTaps, float)
VOK_LMS_SET_TAPS(vokdLmsSetTaps, double)
VOK_LMS_SET_TAPS(vokcLmsSetTaps, FloatComplex)
VOK_LMS_SET_TAPS(vokzLmsSetTaps, DoubleComplex)

VOK_LMS_GET_DLYL(voksLmsGetDlyl, float)
VOK_LMS_GET_DLYL(vokdLmsGetDlyl, double)
VOK_LMS_GET_DLYL(vokcLmsGetDlyl, FloatComplex)
VOK_LMS_GET_DLYL(vokzLmsGetDlyl, DoubleComplex)

VOK_LMS_SET_DLYL(voksLmsSetDlyl, float)
VOK_LMS_SET_DLYL(vokdLmsSetDlyl, double)
VOK_LMS_SET_DLYL(vokcLmsSetDlyl, FloatComplex)
VOK_LMS_SET_DLYL(vokzLmsSetDlyl, DoubleComplex)

VOK_LMS_GET_ERR_VAL(voksLmsGetErrVal, float)
VOK_LMS_GET_ERR_VAL(vokdLmsGetErrVal, double)
VOK_LMS_GET_ERR_VAL(vokcLmsGetErrVal, FloatComplex)
VOK_LMS_GET_ERR_VAL(vokzLmsGetErrVal, DoubleComplex)

VOK_LMS_SET_ERR_VAL(voksLmsSetErrVal, float)
VOK_LMS_SET_ERR_VAL(vokdLmsSetErrVal, double)
VOK_LMS_SET_ERR_VAL(vokcLmsSetErrVal, FloatComplex)
VOK_LMS_SET_ERR_VAL(vokzLmsSetErrVal, DoubleComplex)

VOK_API float VOK_CALL voksLmsGetStep(const LmsState* statePtr) { return statePtr->tapState.step; }
VOK_API void VOK_CALL voksLmsSetStep(float step, LmsState* statePtr) { statePtr->tapState.step = step; }
VOK_API float VOK_CALL voksLmsGetLeak(const LmsState* statePtr) { return statePtr->tapState.leak; }
VOK_API void VOK_CALL voksLmsSetLeak(float leak, LmsState* statePtr) { statePtr->tapState.leak = leak; }

VOK_API void VOK_CALL vokLmsFree(LmsState* statePtr) { release(statePtr); }

}  // extern "C"
