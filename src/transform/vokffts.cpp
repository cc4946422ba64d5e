// Single-precision complex and real FFTs, their packed spectra and products.
#include "transform/fft_impl.h"

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

int fftPrepare(int order, bool doublePrecision) {
    if (order < 0 || order > kMaxOrder) return VOK_StatusBadArg;
    const int* swap;
    if (doublePrecision) {
        const double* stages;
        if (!impl::complexTables<double>(order, stages, swap)) return VOK_StatusNoMemory;
        const double *st2, *extra;
        if (order >= 2 && (!impl::realTables<double>(order, false, st2, swap, extra) ||
                           !impl::realTables<double>(order, true, st2, swap, extra)))
            return VOK_StatusNoMemory;
    } else {
        const float* stages;
        if (!impl::complexTables<float>(order, stages, swap)) return VOK_StatusNoMemory;
        const float *st2, *extra;
        if (order >= 2 && (!impl::realTables<float>(order, false, st2, swap, extra) ||
                           !impl::realTables<float>(order, true, st2, swap, extra)))
            return VOK_StatusNoMemory;
    }
    return VOK_StatusOk;
}

}  // namespace vok


#define VOK_R float
#define VOK_C FloatComplex
#define VOK_CNAME(op) vokc##op
#define VOK_RNAME(op) voks##op
#define VOK_RPREFIX "voks"
#include "transform/fft_entries.inc"
