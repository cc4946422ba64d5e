// Windows for float, double, complex float and complex double vectors.
#include "signal/window.h"

namespace {

using vok::ArgChecks;
namespace win = vok::window;
constexpr const char* kModule = "vokwin";

}  // namespace

#define VOK_CHECKS ArgChecks{__func__, kModule, __LINE__}

// P is the window parameter type of the element type: float for s and c, double for d and z.
#define VOK_WINDOWS(L, T, P)                                                                          \
    VOK_API void VOK_CALL vok##L##WinBartlett(T* vec, int n) {                                       \
        if (!win::badVector(VOK_CHECKS, vec, n)) win::bartlett(vec, n);                               \
    }                                                                                                 \
    VOK_API void VOK_CALL vok##L##WinHann(T* vec, int n) {                                           \
        if (!win::badVector(VOK_CHECKS, vec, n)) win::hann(vec, n);                                   \
    }                                                                                                 \
    VOK_API void VOK_CALL vok##L##WinHamming(T* vec, int n) {                                        \
        if (!win::badVector(VOK_CHECKS, vec, n)) win::hamming(vec, n);                                \
    }                                                                                                 \
    VOK_API void VOK_CALL vok##L##WinBlackman(T* vec, int n, P alpha) {                              \
        if (!win::badVector(VOK_CHECKS, vec, n)) win::blackman(vec, n, alpha);                        \
    }                                                                                                 \
    VOK_API void VOK_CALL vok##L##WinBlackmanStd(T* vec, int n) {                                    \
        if (!win::badVector(VOK_CHECKS, vec, n)) win::blackman(vec, n, static_cast<P>(-0.16));        \
    }                                                                                                 \
    VOK_API void VOK_CALL vok##L##WinBlackmanOpt(T* vec, int n) {                                    \
        if (!win::badVector(VOK_CHECKS, vec, n))                                                      \
            win::blackman(vec, n, static_cast<P>(win::blackmanOptAlpha(n)));                          \
    }                                                                                                 \
    VOK_API void VOK_CALL vok##L##WinKaiser(T* vec, int n, P alpha) {                                \
        const ArgChecks check = VOK_CHECKS;                                                           \
        if (!win::badVector(check, vec, n) && !win::hugeKaiser(check, alpha, n)) win::kaiser(vec, n, alpha); \
    }

VOK_WINDOWS(s, float, float)
VOK_WINDOWS(d, double, double)
VOK_WINDOWS(c, FloatComplex, float)
VOK_WINDOWS(z, DoubleComplex, double)
