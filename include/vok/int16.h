/* vokx1 16-bit vector arithmetic with scale modes (module vokaritw). */
#ifndef VOK_INT16_H
#define VOK_INT16_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_INT16_H */
