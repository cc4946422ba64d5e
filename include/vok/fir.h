/* vokx1 FIR filters: two-state, single-state and 16-bit forms (modules vokfirl, vokfirh, vokfirlw, vokfirhw). */
#ifndef VOK_FIR_H
#define VOK_FIR_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_FIR_H */
