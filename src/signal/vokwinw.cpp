// Windows for 16-bit and complex 16-bit vectors: each product is rounded to
// the nearest integer (ties to even) and its low 16 bits are kept.
#include "signal/window.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "vokwinw";

}  // namespace

extern "C" {

VOK_WINDOW(vokwWinBartlett, short, vok::window::bartlett)
VOK_WINDOW(vokvWinBartlett, ShortComplex, vok::window::bartlett)

VOK_WINDOW(vokwWinHann, short, vok::window::hann)
VOK_WINDOW(vokvWinHann, ShortComplex, vok::window::hann)

VOK_WINDOW(vokwWinHamming, short, vok::window::hamming)
VOK_WINDOW(vokvWinHamming, ShortComplex, vok::window::hamming)

VOK_WINDOW_BLACKMAN(vokwWinBlackman, short, float)
VOK_WINDOW_BLACKMAN(vokvWinBlackman, ShortComplex, float)

VOK_WINDOW_BLACKMAN_STD(vokwWinBlackmanStd, short, float)
VOK_WINDOW_BLACKMAN_STD(vokvWinBlackmanStd, ShortComplex, float)

VOK_WINDOW_BLACKMAN_OPT(vokwWinBlackmanOpt, short, float)
VOK_WINDOW_BLACKMAN_OPT(vokvWinBlackmanOpt, ShortComplex, float)

VOK_WINDOW_KAISER(vokwWinKaiser, short, float)
VOK_WINDOW_KAISER(vokvWinKaiser, ShortComplex, float)

}  // extern "C"
