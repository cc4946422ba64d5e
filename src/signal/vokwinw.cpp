// Windows for 16-bit and complex 16-bit vectors: each product is rounded to
// the nearest integer (ties to even) and its low 16 bits are kept.
#include "signal/window.h"

namespace {

using vok::ArgChecks;
namespace win = vok::window;
constexpr const char* kModule = "vokwinw";

}  // namespace

#define VOK_CHECKS ArgChecks{__func__, kModule, __LINE__}

#define VOK_WINDOWS(L, T)                                                                             \
    VOK_API void VOK_CALL vok##L##WinBartlett(T* vec, int n) {                                       \
        if (!win::badVector(VOK_CHECKS, vec, n)) win::bartlett(vec, n);                               \
    }                                                                                                 \
    VOK_API void VOK_CALL vok##L##WinHann(T* vec, int n) {                                           \
        if (!win::badVector(VOK_CHECKS, vec, n)) win::hann(vec, n);                                   \
    }                                                                                                 \
    VOK_API void VOK_CALL vok##L##WinHamming(T* vec, int n) {                                        \
        if (!win::badVector(VOK_CHECKS, vec, n)) win::hamming(vec, n);                                \
    }                                                                                                 \
    VOK_API void VOK_CALL vok##L##WinBlackman(T* vec, int n, float alpha) {                          \
        if (!win::badVector(VOK_CHECKS, vec, n)) win::blackman(vec, n, alpha);                        \
    }                                                                                                 \
    VOK_API void VOK_CALL vok##L##WinBlackmanStd(T* vec, int n) {                                    \
        if (!win::badVector(VOK_CHECKS, vec, n)) win::blackman(vec, n, -0.16f);                       \
    }                                                                                                 \
    VOK_API void VOK_CALL vok##L##WinBlackmanOpt(T* vec, int n) {                                    \
        if (!win::badVector(VOK_CHECKS, vec, n))                                                      \
            win::blackman(vec, n, static_cast<float>(win::blackmanOptAlpha(n)));                      \
    }                                                                                                 \
    VOK_API void VOK_CALL vok##L##WinKaiser(T* vec, int n, float alpha) {                            \
        const ArgChecks check = VOK_CHECKS;                                                           \
        if (!win::badVector(check, vec, n) && !win::hugeKaiser(check, alpha, n)) win::kaiser(vec, n, alpha); \
    }

VOK_WINDOWS(w, short)
VOK_WINDOWS(v, ShortComplex)
