/* vokx1 convolution, correlation, dot products, 2-D filtering, resampling. */
#ifndef VOK_CONVOLUTION_H
#define VOK_CONVOLUTION_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_CONVOLUTION_H */
