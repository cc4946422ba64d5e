/* vokx1 integer FFT, DFT, Goertzel and DCT (modules vokfftw, vokdft, vokgrtzl, vokgrtzw, vokdct). */
#ifndef VOK_DFT_H
#define VOK_DFT_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_DFT_H */
