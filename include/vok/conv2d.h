/* vokx1 two-dimensional convolution and filtering, up- and down-sampling (modules vokcnv2d, vokfir2, vokfir2w, voksampl). */
#ifndef VOK_CONV2D_H
#define VOK_CONV2D_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/* ---- Up- and down-sampling (module voksampl) ----
 * UpSample: dst[k*factor + *phase] = src[k], zeros elsewhere, *dstLen = factor*srcLen;
 * dst may be src (it must hold factor*srcLen elements); the phase is only read.
 * DownSample: takes src[*phase], src[*phase + factor], ... into dst, sets *dstLen to
 * their number and *phase to the phase that continues in the next block. */
VOK_API void VOK_CALL voksUpSample(const float* src, int srcLen, float* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokcUpSample(const FloatComplex* src, int srcLen, FloatComplex* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokdUpSample(const double* src, int srcLen, double* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokzUpSample(const DoubleComplex* src, int srcLen, DoubleComplex* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokwUpSample(const short* src, int srcLen, short* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokvUpSample(const ShortComplex* src, int srcLen, ShortComplex* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL voksDownSample(const float* src, int srcLen, float* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokcDownSample(const FloatComplex* src, int srcLen, FloatComplex* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokdDownSample(const double* src, int srcLen, double* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokzDownSample(const DoubleComplex* src, int srcLen, DoubleComplex* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokwDownSample(const short* src, int srcLen, short* dst, int* dstLen, int factor, int* phase);
VOK_API void VOK_CALL vokvDownSample(const ShortComplex* src, int srcLen, ShortComplex* dst, int* dstLen, int factor, int* phase);

VOK_EXTERN_C_END

#endif /* VOK_CONV2D_H */
