/* vokx1 data-type and representation conversions, A-law and mu-law companding (modules vokcvrts, vokcvrtd, vokcvrtw, voklaw). */
#ifndef VOK_CONVERT_H
#define VOK_CONVERT_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_CONVERT_H */
