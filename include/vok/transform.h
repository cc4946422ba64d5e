/* vokx1 transforms: flags, twiddle and bit-reversal tables, complex and real FFTs (modules vokmisc, voktwd, vokffts, vokfftd). */
#ifndef VOK_TRANSFORM_H
#define VOK_TRANSFORM_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_TRANSFORM_H */
