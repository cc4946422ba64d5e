// Single-precision complex and real FFTs, their packed spectra and products.
#include "transform/fft_entries.h"

namespace {

using vok::ArgChecks;
namespace impl = vok::fftimpl;
constexpr const char* kModule = "vokffts";

}  // namespace

namespace vok {

int fftComplex(FloatComplex* data, int order, bool forward, bool scaleInverse) {
    return impl::apiComplex(lanesOf(data), order, forward, scaleInverse);
}
int fftComplex(const FloatComplex* in, FloatComplex* out, int order, bool forward, bool scaleInverse) {
    return impl::apiComplexNip(lanesOf(in), lanesOf(out), order, forward, scaleInverse);
}
int fftRealToCcs(const float* in, float* ccs, int order) { return impl::apiRealToCcs(in, ccs, order); }
int fftCcsToReal(const float* ccs, float* out, int order, bool scale) {
    return impl::apiCcsToReal(ccs, out, order, scale);
}

template <>
int fftPrepare<float>(int order) {
    return impl::prepareTables<float>(order);
}

}  // namespace vok


extern "C" {
VOK_FFT_COMPLEX(vokcFft, float, FloatComplex)
VOK_FFT_COMPLEX_NIP(vokcFftNip, float, FloatComplex)
VOK_FFT_SPLIT(vokcrFft, float)
VOK_FFT_SPLIT_NIP(vokcrFftNip, float)

VOK_FFT_REAL(voksRealFftl, float, kToSpectrum, true)
VOK_FFT_REAL_NIP(voksRealFftlNip, float, kToSpectrum, true)
VOK_FFT_REAL(voksRealFft, float, kToSpectrum, false)
VOK_FFT_REAL_NIP(voksRealFftNip, float, kToSpectrum, false)
VOK_FFT_REAL(voksCcsFftl, float, kToSignal, true)
VOK_FFT_REAL_NIP(voksCcsFftlNip, float, kToSignal, true)
VOK_FFT_REAL(voksCcsFft, float, kToSignal, false)
VOK_FFT_REAL_NIP(voksCcsFftNip, float, kToSignal, false)

VOK_FFT_TWO(voksReal2Fft, float, voksRealFft)
VOK_FFT_TWO_NIP(voksReal2FftNip, float, voksRealFftNip)
VOK_FFT_TWO(voksCcs2Fft, float, voksCcsFft)
VOK_FFT_TWO_NIP(voksCcs2FftNip, float, voksCcsFftNip)

VOK_FFT_MPY2(voksMpyRCPack2, float, false)
VOK_FFT_MPY3(voksMpyRCPack3, float, false)
VOK_FFT_MPY2(voksMpyRCPerm2, float, true)
VOK_FFT_MPY3(voksMpyRCPerm3, float, true)
}
