// Double-precision complex and real FFTs, their packed spectra and products.
#include "transform/fft_entries.h"

namespace {

using vok::ArgChecks;
namespace impl = vok::fftimpl;
constexpr const char* kModule = "vokfftd";

}  // namespace

namespace vok {

int fftComplex(DoubleComplex* data, int order, bool forward, bool scaleInverse) {
    return impl::apiComplex(lanesOf(data), order, forward, scaleInverse);
}
int fftComplex(const DoubleComplex* in, DoubleComplex* out, int order, bool forward, bool scaleInverse) {
    return impl::apiComplexNip(lanesOf(in), lanesOf(out), order, forward, scaleInverse);
}
int fftRealToCcs(const double* in, double* ccs, int order) { return impl::apiRealToCcs(in, ccs, order); }
int fftCcsToReal(const double* ccs, double* out, int order, bool scale) {
    return impl::apiCcsToReal(ccs, out, order, scale);
}

template <>
int fftPrepare<double>(int order) {
    return impl::prepareTables<double>(order);
}

}  // namespace vok


extern "C" {
VOK_FFT_COMPLEX(vokzFft, double, DoubleComplex)
VOK_FFT_COMPLEX_NIP(vokzFftNip, double, DoubleComplex)
VOK_FFT_SPLIT(vokzrFft, double)
VOK_FFT_SPLIT_NIP(vokzrFftNip, double)

VOK_FFT_REAL(vokdRealFftl, double, kToSpectrum, true)
VOK_FFT_REAL_NIP(vokdRealFftlNip, double, kToSpectrum, true)
VOK_FFT_REAL(vokdRealFft, double, kToSpectrum, false)
VOK_FFT_REAL_NIP(vokdRealFftNip, double, kToSpectrum, false)
VOK_FFT_REAL(vokdCcsFftl, double, kToSignal, true)
VOK_FFT_REAL_NIP(vokdCcsFftlNip, double, kToSignal, true)
VOK_FFT_REAL(vokdCcsFft, double, kToSignal, false)
VOK_FFT_REAL_NIP(vokdCcsFftNip, double, kToSignal, false)

VOK_FFT_TWO(vokdReal2Fft, double, vokdRealFft)
VOK_FFT_TWO_NIP(vokdReal2FftNip, double, vokdRealFftNip)
VOK_FFT_TWO(vokdCcs2Fft, double, vokdCcsFft)
VOK_FFT_TWO_NIP(vokdCcs2FftNip, double, vokdCcsFftNip)

VOK_FFT_MPY2(vokdMpyRCPack2, double, false)
VOK_FFT_MPY3(vokdMpyRCPack3, double, false)
VOK_FFT_MPY2(vokdMpyRCPerm2, double, true)
VOK_FFT_MPY3(vokdMpyRCPerm3, double, true)
}
