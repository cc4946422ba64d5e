/* vokx1 signal generation: tone, triangle and random generators; windows. */
#ifndef VOK_SIGNAL_H
#define VOK_SIGNAL_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_SIGNAL_H */
