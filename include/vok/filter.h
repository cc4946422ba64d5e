/* vokx1 filters: FIR (two-state, single-state, 16-bit), FIR design, IIR, LMS. */
#ifndef VOK_FILTER_H
#define VOK_FILTER_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_FILTER_H */
