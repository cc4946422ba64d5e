/* vokx1 elementwise functions, statistics, norms and normalization (modules vokvec, voklnexp, voklnexw, voknorm). */
#ifndef VOK_ELEMENTWISE_H
#define VOK_ELEMENTWISE_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_ELEMENTWISE_H */
