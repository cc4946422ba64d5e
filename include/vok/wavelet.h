/* vokx1 wavelets: filter-bank state, decomposition and reconstruction. */
#ifndef VOK_WAVELET_H
#define VOK_WAVELET_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_WAVELET_H */
