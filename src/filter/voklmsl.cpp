// LMS adaptive filters, low layer: two caller-owned records over caller-owned
// arrays; the caller passes the error of an earlier output with each input.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/complex.h"
#include "core/scale16.h"
#include "filter/lms.h"
#include "vok/fir.h"
#include "vok/lms.h"

namespace {

using vok::ArgChecks;
namespace lms = vok::lms;
constexpr const char* kModule = "voklmsl";
constexpr const char* kNull = "Null buffer pointer";

// The two records start with the layouts of the FIR records, so that the
// filtering-only forms run the FIR filter on them.
static_assert(offsetof(LmsTapState, taps) == 0 && offsetof(LmsTapState, len) == sizeof(void*));
static_assert(offsetof(LmsTapState, isFilterMode) == sizeof(void*) + 6 * 4);
static_assert(offsetof(LmsDlyState, dlyl) == 0 && offsetof(LmsDlyState, isFilterMode) == sizeof(void*) + 4);
#if UINTPTR_MAX == 0xffffffff
static_assert(sizeof(LmsTapState) == 12 * 4 && sizeof(LmsDlyState) == 4 * 4);
static_assert(offsetof(LmsTapState, downFactor) == 4 * 4 && offsetof(LmsTapState, leak) == 8 * 4 &&
              offsetof(LmsTapState, step) == 9 * 4 && offsetof(LmsTapState, errDly) == 10 * 4 &&
              offsetof(LmsTapState, lmsType) == 11 * 4);
static_assert(offsetof(LmsDlyState, len) == 4 && offsetof(LmsDlyState, isAdapt) == 3 * 4);
static_assert(offsetof(LmsState, dlyState) == 12 * 4 && offsetof(LmsState, errVal) == 16 * 4);
#endif

// ---- set-up ----

template <class T>
bool badInit(ArgChecks check, const T* taps, int tapsLen, int errDly, const LmsTapState* tap) {
    return check(!taps || !tap, kNull) || check(tapsLen < 1, "Invalid buffer length") ||
           check(errDly < 0, "Invalid error delay value");
}

void fillTaps(LmsTapState* tap, void* taps, int tapsLen, float step, float leak, int errDly, int lmsType,
              int downFactor, int downPhase) {
    tap->taps = taps;
    tap->len = tapsLen;
    tap->upFactor = 1;
    tap->upPhase = 0;
    tap->downFactor = downFactor;
    tap->downPhase = downPhase;
    tap->isMultiRate = downFactor >= 2 ? 1 : 0;
    tap->isFilterMode = 1;
    tap->leak = leak;
    tap->step = step;
    tap->errDly = errDly;
    tap->lmsType = lmsType;
}

template <class T>
void init(ArgChecks check, int lmsType, T* taps, int tapsLen, float step, float leak, int errDly, LmsTapState* tap) {
    if (badInit(check, taps, tapsLen, errDly, tap)) return;
    fillTaps(tap, taps, tapsLen, step, leak, errDly, lmsType, 1, 0);
}

template <class T>
void initMr(ArgChecks check, int lmsType, T* taps, int tapsLen, float step, float leak, int errDly, int downFactor,
            int downPhase, LmsTapState* tap) {
    if (badInit(check, taps, tapsLen, errDly, tap) || check(downPhase < 0, "Invalid factor value") ||
        check(downFactor <= downPhase, "Invalid factor value"))
        return;
    fillTaps(tap, taps, tapsLen, step, leak, errDly, lmsType, downFactor, downPhase);
}

template <class T>
void initDlyl(ArgChecks check, LmsTapState* tap, T* dlyl, int isAdapt, LmsDlyState* dly) {
    if (check(!dly || !tap || !dlyl, kNull)) return;
    dly->dlyl = dlyl;
    dly->isAdapt = isAdapt ? 1 : 0;
    dly->len = lms::delayLength(tap, isAdapt != 0);
    dly->isFilterMode = 1;
}

// ---- taps and delay-line access ----

template <class T>
void setTaps(ArgChecks check, const T* taps, LmsTapState* tap) {
    if (check(!tap, kNull) || check(!tap->taps, kNull)) return;
    lms::setTaps(taps, tap);
}

template <class T>
int getTaps(ArgChecks check, LmsTapState* tap, T* taps) {
    if (check(!tap || !taps, kNull)) return VOK_StatusBadArg;
    lms::getTaps(tap, taps);
    return 0;
}

template <class T>
void setDlyl(ArgChecks check, LmsTapState* tap, const T* dlyl, LmsDlyState* dly) {
    if (check(!tap || !dly, kNull) || check(!dly->dlyl, kNull)) return;
    lms::setDlyl(dlyl, dly);
}

template <class T>
void getDlyl(ArgChecks check, LmsTapState* tap, LmsDlyState* dly, T* dlyl) {
    if (check(!tap || !dly || !dlyl, kNull) || check(!dly->dlyl, kNull)) return;
    lms::getDlyl(dly, dlyl);
}

template <class R>
R setField(ArgChecks check, R value, R LmsTapState::*field, LmsTapState* tap) {
    if (check(!tap, kNull)) return 0;
    return tap->*field = value;
}

template <class R>
R getField(ArgChecks check, R LmsTapState::*field, const LmsTapState* tap) {
    if (check(!tap, kNull)) return 0;
    return tap->*field;
}

// ---- adaptive filtering ----

template <class D, class W>
W lmsl(ArgChecks check, LmsTapState* tap, LmsDlyState* dly, D samp, W err) {
    if (check(!dly, kNull) || check(!tap, kNull)) return W{};
    return lms::filterOne(tap, dly, samp, err, lms::adaptsAt<D, W>(tap->step));
}

template <class D, class W>
W blmsl(ArgChecks check, LmsTapState* tap, LmsDlyState* dly, const D* in, W err) {
    if (check(!tap || !dly, kNull) || check(!in, kNull)) return W{};
    return lms::filterBlock(tap, dly, in, err, tap->step > 0.0f);
}

// ---- filtering without adaptation ----
//
// Exactly the two-state FIR filter on the LMS records, whose first words are
// the FIR records (asserted above). The exported FIR functions are called, not
// the FIR kernels, because the FIR's own checks (filter mode, rate) report
// under the FIR's name and module. They change the arrays only, so copies of
// the records serve.

template <class D, class W>
using NaOut = std::conditional_t<vok::isComplex<D>, D, W>;

struct FirRecords {
    FirTapState tap;
    FirDlyState dly;
    FirRecords(const LmsTapState* lmsTap, const LmsDlyState* lmsDly) {
        std::memcpy(&tap, lmsTap, sizeof tap);
        std::memcpy(&dly, lmsDly, sizeof dly);
    }
};

bool naRecordsMissing(ArgChecks check, const LmsTapState* tap, const LmsDlyState* dly) {
    return check(!dly, kNull) || check(!tap, kNull);
}

bool blockNaBad(ArgChecks check, const LmsTapState* tap, const LmsDlyState* dly, const void* in, const void* out,
                int numIters) {
    return naRecordsMissing(check, tap, dly) || check(!out, kNull) || check(!in, kNull) ||
           check(numIters < 1, "Invalid buffer length");
}

// ---- 16-bit samples, float taps ----

// w[i] += (e step) x[i + errDly] in double, stored as float, on every sample and
// without leak; the output sum in double, rounded half to even and saturated.
short lmslShort(ArgChecks check, LmsTapState* tap, LmsDlyState* dly, short samp, short err) {
    if (check(!dly, kNull) || check(!tap, kNull)) return 0;
    float* w = lms::tapsOf<float>(tap);
    short* x = lms::slotsOf<short>(dly);
    const int tapsLen = tap->len, dlyLen = dly->len, errDly = tap->errDly;
    const double stepErr = double(err) * double(tap->step);
    const int count = lms::tapsInside(tapsLen, dlyLen, errDly);
    for (int i = 0; i < count; ++i) w[i] = float(double(w[i]) + stepErr * double(x[i + errDly]));
    if (dlyLen > 1) std::memmove(x + 1, x, sizeof(short) * unsigned(dlyLen - 1));
    x[0] = samp;
    double sum = 0.0;
    for (int i = 0, n = std::min(tapsLen, dlyLen); i < n; ++i) sum += double(w[i]) * double(x[i]);
    return vok::saturate16Rounded(sum);
}

}  // namespace

extern "C" {

// Set-up and access for one element type T.
#define VOK_LMSL_INIT(name, T)                                                                        \
    VOK_API void VOK_CALL name(int lmsType, T* taps, int tapsLen, float step, float leak, int errDly, \
                               LmsTapState* tapStPtr) {                                               \
        init(VOK_CHECKS, lmsType, taps, tapsLen, step, leak, errDly, tapStPtr);                       \
    }
#define VOK_LMSL_INIT_MR(name, T)                                                                        \
    VOK_API void VOK_CALL name(int lmsType, T* taps, int tapsLen, float step, float leak,                \
                               int errDly, int downFactor, int downPhase, LmsTapState* tapStPtr) {       \
        initMr(VOK_CHECKS, lmsType, taps, tapsLen, step, leak, errDly, downFactor, downPhase, tapStPtr); \
    }
#define VOK_LMSL_INIT_DLYL(name, T)                                                                  \
    VOK_API void VOK_CALL name(LmsTapState* tapStPtr, T* dlyl, int isAdapt, LmsDlyState* dlyStPtr) { \
        initDlyl(VOK_CHECKS, tapStPtr, dlyl, isAdapt, dlyStPtr);                                     \
    }
#define VOK_LMSL_SET_TAPS(name, T)                                     \
    VOK_API void VOK_CALL name(const T* taps, LmsTapState* tapStPtr) { \
        setTaps(VOK_CHECKS, taps, tapStPtr);                           \
    }
#define VOK_LMSL_GET_TAPS(name, T)                              \
    VOK_API int VOK_CALL name(LmsTapState* tapStPtr, T* taps) { \
        return getTaps(VOK_CHECKS, tapStPtr, taps);             \
    }
#define VOK_LMSL_SET_DLYL(name, T)                                                            \
    VOK_API void VOK_CALL name(LmsTapState* tapStPtr, const T* dlyl, LmsDlyState* dlyStPtr) { \
        setDlyl(VOK_CHECKS, tapStPtr, dlyl, dlyStPtr);                                        \
    }
#define VOK_LMSL_GET_DLYL(name, T)                                                      \
    VOK_API void VOK_CALL name(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, T* dlyl) { \
        getDlyl(VOK_CHECKS, tapStPtr, dlyStPtr, dlyl);                                  \
    }

// Filtering only for input type D and taps type W: after its own checks the
// call is exactly the exported two-state FIR (firl, bFirl) on the same records,
// whose own checks and reports, under its own name, follow.
#define VOK_LMSL_NA(name, D, W, firl)                                                         \
    VOK_API NaOut<D, W> VOK_CALL name(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, D samp) { \
        if (naRecordsMissing(VOK_CHECKS, tapStPtr, dlyStPtr)) return NaOut<D, W>{};           \
        FirRecords fir(tapStPtr, dlyStPtr);                                                   \
        return firl(&fir.tap, &fir.dly, samp);                                                \
    }
#define VOK_BLOCK_LMSL_NA(name, D, W, bFirl)                                                   \
    VOK_API void VOK_CALL name(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const D* inSamps, \
                               NaOut<D, W>* outSamps, int numIters) {                          \
        if (blockNaBad(VOK_CHECKS, tapStPtr, dlyStPtr, inSamps, outSamps, numIters)) return;   \
        FirRecords fir(tapStPtr, dlyStPtr);                                                    \
        bFirl(&fir.tap, &fir.dly, inSamps, outSamps, numIters);                                \
    }

// Adaptive filtering for input type D and taps type W.
#define VOK_LMSL(name, D, W)                                                               \
    VOK_API W VOK_CALL name(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, D samp, W err) { \
        return lmsl(VOK_CHECKS, tapStPtr, dlyStPtr, samp, err);                            \
    }
#define VOK_BLOCK_LMSL(name, D, W)                                                                   \
    VOK_API W VOK_CALL name(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, const D* inSamps, W err) { \
        return blmsl(VOK_CHECKS, tapStPtr, dlyStPtr, inSamps, err);                                  \
    }

VOK_LMSL_INIT(voksLmslInit, float)
VOK_LMSL_INIT(vokdLmslInit, double)
VOK_LMSL_INIT(vokcLmslInit, FloatComplex)
VOK_LMSL_INIT(vokzLmslInit, DoubleComplex)

VOK_LMSL_INIT_MR(voksLmslInitMr, float)
VOK_LMSL_INIT_MR(vokdLmslInitMr, double)
VOK_LMSL_INIT_MR(vokcLmslInitMr, FloatComplex)
VOK_LMSL_INIT_MR(vokzLmslInitMr, DoubleComplex)

VOK_LMSL_INIT_DLYL(voksLmslInitDlyl, float)
VOK_LMSL_INIT_DLYL(vokdLmslInitDlyl, double)
VOK_LMSL_INIT_DLYL(vokcLmslInitDlyl, FloatComplex)
VOK_LMSL_INIT_DLYL(vokzLmslInitDlyl, DoubleComplex)

VOK_LMSL_SET_TAPS(voksLmslSetTaps, float)
VOK_LMSL_SET_TAPS(vokdLmslSetTaps, double)
VOK_LMSL_SET_TAPS(vokcLmslSetTaps, FloatComplex)
VOK_LMSL_SET_TAPS(vokzLmslSetTaps, DoubleComplex)

VOK_LMSL_GET_TAPS(voksLmslGetTaps, float)
VOK_LMSL_GET_TAPS(vokdLmslGetTaps, double)
VOK_LMSL_GET_TAPS(vokcLmslGetTaps, FloatComplex)
VOK_LMSL_GET_TAPS(vokzLmslGetTaps, DoubleComplex)

VOK_LMSL_SET_DLYL(voksLmslSetDlyl, float)
VOK_LMSL_SET_DLYL(vokdLmslSetDlyl, double)
VOK_LMSL_SET_DLYL(vokcLmslSetDlyl, FloatComplex)
VOK_LMSL_SET_DLYL(vokzLmslSetDlyl, DoubleComplex)

VOK_LMSL_GET_DLYL(voksLmslGetDlyl, float)
VOK_LMSL_GET_DLYL(vokdLmslGetDlyl, double)
VOK_LMSL_GET_DLYL(vokcLmslGetDlyl, FloatComplex)
VOK_LMSL_GET_DLYL(vokzLmslGetDlyl, DoubleComplex)

VOK_LMSL(voksLmsl, float, float)
VOK_LMSL(vokdLmsl, double, double)
VOK_LMSL(vokcLmsl, FloatComplex, FloatComplex)
VOK_LMSL(vokzLmsl, DoubleComplex, DoubleComplex)
VOK_LMSL(vokscLmsl, float, FloatComplex)
VOK_LMSL(vokdzLmsl, double, DoubleComplex)

VOK_BLOCK_LMSL(voksbLmsl, float, float)
VOK_BLOCK_LMSL(vokdbLmsl, double, double)
VOK_BLOCK_LMSL(vokcbLmsl, FloatComplex, FloatComplex)
VOK_BLOCK_LMSL(vokzbLmsl, DoubleComplex, DoubleComplex)
VOK_BLOCK_LMSL(vokscbLmsl, float, FloatComplex)
VOK_BLOCK_LMSL(vokdzbLmsl, double, DoubleComplex)

VOK_LMSL_NA(voksLmslNa, float, float, voksFirl)
VOK_LMSL_NA(vokdLmslNa, double, double, vokdFirl)
VOK_LMSL_NA(vokcLmslNa, FloatComplex, FloatComplex, vokcFirl)
VOK_LMSL_NA(vokzLmslNa, DoubleComplex, DoubleComplex, vokzFirl)
VOK_LMSL_NA(vokscLmslNa, float, FloatComplex, vokscFirl)
VOK_LMSL_NA(vokcsLmslNa, FloatComplex, float, vokcsFirl)
VOK_LMSL_NA(vokdzLmslNa, double, DoubleComplex, vokdzFirl)
VOK_LMSL_NA(vokzdLmslNa, DoubleComplex, double, vokzdFirl)

VOK_BLOCK_LMSL_NA(voksbLmslNa, float, float, voksbFirl)
VOK_BLOCK_LMSL_NA(vokdbLmslNa, double, double, vokdbFirl)
VOK_BLOCK_LMSL_NA(vokcbLmslNa, FloatComplex, FloatComplex, vokcbFirl)
VOK_BLOCK_LMSL_NA(vokzbLmslNa, DoubleComplex, DoubleComplex, vokzbFirl)
VOK_BLOCK_LMSL_NA(vokscbLmslNa, float, FloatComplex, vokscbFirl)
VOK_BLOCK_LMSL_NA(vokcsbLmslNa, FloatComplex, float, vokcsbFirl)
VOK_BLOCK_LMSL_NA(vokdzbLmslNa, double, DoubleComplex, vokdzbFirl)
VOK_BLOCK_LMSL_NA(vokzdbLmslNa, DoubleComplex, double, vokzdbFirl)

VOK_API void VOK_CALL vokwLmslSetStep(float step, LmsTapState* tapStPtr) {
    setField(VOK_CHECKS, step, &LmsTapState::step, tapStPtr);
}
VOK_API float VOK_CALL vokwLmslGetStep(const LmsTapState* tapStPtr) {
    return getField(VOK_CHECKS, &LmsTapState::step, tapStPtr);
}
VOK_API void VOK_CALL voksLmslSetStep(float step, LmsTapState* tapStPtr) {
    setField(VOK_CHECKS, step, &LmsTapState::step, tapStPtr);
}
VOK_API float VOK_CALL voksLmslGetStep(const LmsTapState* tapStPtr) {
    return getField(VOK_CHECKS, &LmsTapState::step, tapStPtr);
}
VOK_API void VOK_CALL voksLmslSetLeak(float leak, LmsTapState* tapStPtr) {
    setField(VOK_CHECKS, leak, &LmsTapState::leak, tapStPtr);
}
VOK_API float VOK_CALL voksLmslGetLeak(const LmsTapState* tapStPtr) {
    return getField(VOK_CHECKS, &LmsTapState::leak, tapStPtr);
}

VOK_API void VOK_CALL vokwLmslInit(int lmsType, float* taps, int tapsLen, float step, int errDly,
                                   LmsTapState* tapStPtr) {
    init(VOK_CHECKS, lmsType, taps, tapsLen, step, 0.0f, errDly, tapStPtr);
}
VOK_API void VOK_CALL vokwLmslInitDlyl(LmsTapState* tapStPtr, short* dlyl, LmsDlyState* dlyStPtr) {
    initDlyl(VOK_CHECKS, tapStPtr, dlyl, 1, dlyStPtr);
}
VOK_API void VOK_CALL vokwLmslSetTaps(const float* taps, LmsTapState* tapStPtr) {
    setTaps(VOK_CHECKS, taps, tapStPtr);
}
VOK_API int VOK_CALL vokwLmslGetTaps(LmsTapState* tapStPtr, float* taps) {
    return getTaps(VOK_CHECKS, tapStPtr, taps);
}
VOK_API void VOK_CALL vokwLmslSetDlyl(LmsTapState* tapStPtr, const short* dlyl, LmsDlyState* dlyStPtr) {
    setDlyl(VOK_CHECKS, tapStPtr, dlyl, dlyStPtr);
}
VOK_API void VOK_CALL vokwLmslGetDlyl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, short* dlyl) {
    getDlyl(VOK_CHECKS, tapStPtr, dlyStPtr, dlyl);
}
VOK_API short VOK_CALL vokwLmsl(LmsTapState* tapStPtr, LmsDlyState* dlyStPtr, short samp, short err) {
    return lmslShort(VOK_CHECKS, tapStPtr, dlyStPtr, samp, err);
}

}  // extern "C"
