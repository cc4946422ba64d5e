// Double-precision complex and real FFTs, their packed spectra and products.
#include "transform/fft_impl.h"

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

}  // namespace vok


#define VOK_R double
#define VOK_C DoubleComplex
#define VOK_CNAME(op) vokz##op
#define VOK_RNAME(op) vokd##op
#define VOK_RPREFIX "vokd"
#include "transform/fft_entries.inc"
