/* vokx1 IIR filters and their 16-bit forms (modules vokiirl, vokiirh, vokiirlw, vokiirhw). */
#ifndef VOK_IIR_H
#define VOK_IIR_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_IIR_H */
