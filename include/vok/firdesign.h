/* vokx1 FIR filter design by the window method (module vokfirg). */
#ifndef VOK_FIRDESIGN_H
#define VOK_FIRDESIGN_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_FIRDESIGN_H */
