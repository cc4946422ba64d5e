/* vokx1 one-dimensional convolution, correlation and dot products (modules vokconvs, vokconvd, vokconvw, vokcorr, vokcorrw, vokdotp, vokdotpw). */
#ifndef VOK_CONVOLUTION_H
#define VOK_CONVOLUTION_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_CONVOLUTION_H */
