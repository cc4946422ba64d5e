/* vokx1 two-dimensional convolution and filtering, up- and down-sampling (modules vokcnv2d, vokfir2, vokfir2w, voksampl). */
#ifndef VOK_CONV2D_H
#define VOK_CONV2D_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_CONV2D_H */
