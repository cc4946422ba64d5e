// The exported FFT entry points, one macro per signature: a module writes one
// row per exported name (vokffts.cpp single precision, vokfftd.cpp double).
// R is the real type, C the complex record.
#pragma once

#include "transform/fft_impl.h"

#define VOK_FFT_COMPLEX(name, R, C)                                               \
    VOK_API void VOK_CALL name(C* samps, int order, int flags) {                  \
        impl::complexInPlace<R>(VOK_CHECKS, vok::lanesOf(samps), order, flags); \
    }
#define VOK_FFT_COMPLEX_NIP(name, R, C)                                                                  \
    VOK_API void VOK_CALL name(const C* inSamps, C* outSamps, int order, int flags) {                    \
        impl::complexNip<R>(VOK_CHECKS, vok::lanesOf(inSamps), vok::lanesOf(outSamps), order, flags); \
    }
#define VOK_FFT_SPLIT(name, R)                                                                   \
    VOK_API void VOK_CALL name(R* reSamps, R* imSamps, int order, int flags) {                   \
        impl::complexSplit<R>(VOK_CHECKS, reSamps, imSamps, reSamps, imSamps, order, flags, false); \
    }
#define VOK_FFT_SPLIT_NIP(name, R)                                                                           \
    VOK_API void VOK_CALL name(const R* reInSamps, const R* imInSamps, R* reOutSamps, R* imOutSamps, int order, \
                               int flags) {                                                                  \
        impl::complexSplit<R>(VOK_CHECKS, reInSamps, imInSamps, reOutSamps, imOutSamps, order, flags, true);   \
    }

// Real signal to spectrum (work = realForward) or spectrum to real signal
// (work = ccsInverse); packed: the Fftl forms' packed layouts.
#define VOK_FFT_REAL(name, R, work, packed)                                          \
    VOK_API void VOK_CALL name(R* samps, int order, int flags) {                     \
        impl::work<R>(VOK_CHECKS, nullptr, samps, order, flags, packed, false);     \
    }
#define VOK_FFT_REAL_NIP(name, R, work, packed)                                           \
    VOK_API void VOK_CALL name(const R* inSamps, R* outSamps, int order, int flags) {     \
        impl::work<R>(VOK_CHECKS, inSamps, outSamps, order, flags, packed, true);        \
    }

// Two signals through the single transform 'one': y is transformed even when
// x failed, and a negative status afterwards is re-reported once.
namespace vok::fftimpl {
template <class Calls>
int twoSignals(ArgChecks check, const char* innerContext, Calls calls) {
    calls();
    const int status = vokGetErrStatus();
    return status < 0 ? check.report(VOK_StatusBacktrace, innerContext, __LINE__) : status;
}
}  // namespace vok::fftimpl
#define VOK_FFT_TWO(name, R, one)                                                    \
    VOK_API int VOK_CALL name(R* xSamps, R* ySamps, int order, int flags) {          \
        return impl::twoSignals(VOK_CHECKS, "out " #one, [&] {                       \
            one(xSamps, order, flags);                                               \
            if (!(flags & (VOK_Init | VOK_Free))) one(ySamps, order, flags);         \
        });                                                                          \
    }
#define VOK_FFT_TWO_NIP(name, R, one)                                                                      \
    VOK_API int VOK_CALL name(const R* xInSamps, R* xOutSamps, const R* yInSamps, R* yOutSamps, int order, \
                              int flags) {                                                                 \
        return impl::twoSignals(VOK_CHECKS, "out " #one, [&] {                                             \
            one(xInSamps, xOutSamps, order, flags);                                                        \
            if (!(flags & (VOK_Init | VOK_Free))) one(yInSamps, yOutSamps, order, flags);                  \
        });                                                                                                \
    }

// Products of packed spectra (perm: the RCPerm layout, else RCPack).
#define VOK_FFT_MPY2(name, R, perm)                                          \
    VOK_API void VOK_CALL name(const R* src, R* dst, int order) {            \
        impl::mulPacked<R>(VOK_CHECKS, src, dst, dst, order, perm, false);   \
    }
#define VOK_FFT_MPY3(name, R, perm)                                                   \
    VOK_API void VOK_CALL name(const R* srcA, const R* srcB, R* dst, int order) {     \
        impl::mulPacked<R>(VOK_CHECKS, srcA, srcB, dst, order, perm, true);          \
    }
