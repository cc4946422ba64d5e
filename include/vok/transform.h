/* vokx1 transforms: flags, twiddle and bit-reversal tables, FFTs, DFT, Goertzel, DCT. */
#ifndef VOK_TRANSFORM_H
#define VOK_TRANSFORM_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_TRANSFORM_H */
