/* vokx1 LMS adaptive filters (modules voklmsl, voklmsh). */
#ifndef VOK_LMS_H
#define VOK_LMS_H

#include "types.h"

VOK_EXTERN_C_BEGIN

VOK_EXTERN_C_END

#endif /* VOK_LMS_H */
