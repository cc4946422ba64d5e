// Windows for float, double, complex float and complex double vectors.
#include "signal/window.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "vokwin";

}  // namespace

extern "C" {

VOK_WINDOW(voksWinBartlett, float, vok::window::bartlett)
VOK_WINDOW(vokdWinBartlett, double, vok::window::bartlett)
VOK_WINDOW(vokcWinBartlett, FloatComplex, vok::window::bartlett)
VOK_WINDOW(vokzWinBartlett, DoubleComplex, vok::window::bartlett)

VOK_WINDOW(voksWinHann, float, vok::window::hann)
VOK_WINDOW(vokdWinHann, double, vok::window::hann)
VOK_WINDOW(vokcWinHann, FloatComplex, vok::window::hann)
VOK_WINDOW(vokzWinHann, DoubleComplex, vok::window::hann)

VOK_WINDOW(voksWinHamming, float, vok::window::hamming)
VOK_WINDOW(vokdWinHamming, double, vok::window::hamming)
VOK_WINDOW(vokcWinHamming, FloatComplex, vok::window::hamming)
VOK_WINDOW(vokzWinHamming, DoubleComplex, vok::window::hamming)

VOK_WINDOW_BLACKMAN(voksWinBlackman, float, float)
VOK_WINDOW_BLACKMAN(vokdWinBlackman, double, double)
VOK_WINDOW_BLACKMAN(vokcWinBlackman, FloatComplex, float)
VOK_WINDOW_BLACKMAN(vokzWinBlackman, DoubleComplex, double)

VOK_WINDOW_BLACKMAN_STD(voksWinBlackmanStd, float, float)
VOK_WINDOW_BLACKMAN_STD(vokdWinBlackmanStd, double, double)
VOK_WINDOW_BLACKMAN_STD(vokcWinBlackmanStd, FloatComplex, float)
VOK_WINDOW_BLACKMAN_STD(vokzWinBlackmanStd, DoubleComplex, double)

VOK_WINDOW_BLACKMAN_OPT(voksWinBlackmanOpt, float, float)
VOK_WINDOW_BLACKMAN_OPT(vokdWinBlackmanOpt, double, double)
VOK_WINDOW_BLACKMAN_OPT(vokcWinBlackmanOpt, FloatComplex, float)
VOK_WINDOW_BLACKMAN_OPT(vokzWinBlackmanOpt, DoubleComplex, double)

VOK_WINDOW_KAISER(voksWinKaiser, float, float)
VOK_WINDOW_KAISER(vokdWinKaiser, double, double)
VOK_WINDOW_KAISER(vokcWinKaiser, FloatComplex, float)
VOK_WINDOW_KAISER(vokzWinKaiser, DoubleComplex, double)

}  // extern "C"
