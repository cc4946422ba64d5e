// The exported FFT entry points, one macro per signature: a module writes one
// row per exported name (vokffts.cpp single precision, vokfftd.cpp double).
// R is the real type, C the complex record.
#pragma once

#include "transform/fft_impl.h"

// Each entry passes a constant check record of its own (name, module, line),
// so that its checked path is a tail call.
#define VOK_FFT_CHECKS(name) static constexpr ::vok::ArgChecks kChecks{#name, kModule, __LINE__}

#define VOK_FFT_COMPLEX(name, R, C)                                                                          \
    VOK_API void VOK_CALL name(C* samps, int order, int flags) {                                             \
        VOK_FFT_CHECKS(name);                                                                                \
        R* x = vok::lanesOf(samps);                                                                          \
        impl::complexEntry<R, impl::ComplexForm::kInPlace>(kChecks, x, nullptr, x, nullptr, order, flags);   \
    }
#define VOK_FFT_COMPLEX_NIP(name, R, C)                                                                      \
    VOK_API void VOK_CALL name(const C* inSamps, C* outSamps, int order, int flags) {                        \
        VOK_FFT_CHECKS(name);                                                                                \
        impl::complexEntry<R, impl::ComplexForm::kNip>(kChecks, vok::lanesOf(inSamps), nullptr,              \
                                                       vok::lanesOf(outSamps), nullptr, order, flags);       \
    }
#define VOK_FFT_SPLIT(name, R)                                                                               \
    VOK_API void VOK_CALL name(R* reSamps, R* imSamps, int order, int flags) {                               \
        VOK_FFT_CHECKS(name);                                                                                \
        impl::complexEntry<R, impl::ComplexForm::kSplit>(kChecks, reSamps, imSamps, reSamps, imSamps, order, \
                                                         flags);                                             \
    }
#define VOK_FFT_SPLIT_NIP(name, R)                                                                           \
    VOK_API void VOK_CALL name(const R* reInSamps, const R* imInSamps, R* reOutSamps, R* imOutSamps, int order, \
                               int flags) {                                                                  \
        VOK_FFT_CHECKS(name);                                                                                \
        impl::complexEntry<R, impl::ComplexForm::kSplitNip>(kChecks, reInSamps, imInSamps, reOutSamps,        \
                                                            imOutSamps, order, flags);                       \
    }

// Real signal to spectrum (work = kToSpectrum) or spectrum to real signal
// (work = kToSignal); packed: the Fftl forms' packed layouts, else CCS.
#define VOK_FFT_REAL(name, R, work, packed)                                                      \
    VOK_API void VOK_CALL name(R* samps, int order, int flags) {                                 \
        VOK_FFT_CHECKS(name);                                                                    \
        impl::realEntry<R, impl::RealWork::work, packed>(kChecks, nullptr, samps, order, flags, false); \
    }
#define VOK_FFT_REAL_NIP(name, R, work, packed)                                                  \
    VOK_API void VOK_CALL name(const R* inSamps, R* outSamps, int order, int flags) {            \
        VOK_FFT_CHECKS(name);                                                                    \
        impl::realEntry<R, impl::RealWork::work, packed>(kChecks, inSamps, outSamps, order, flags, true); \
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
