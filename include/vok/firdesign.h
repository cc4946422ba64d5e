/* vokx1 FIR filter design by the window method (module vokfirg). */
#ifndef VOK_FIRDESIGN_H
#define VOK_FIRDESIGN_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/* Fill taps[0..tapsLen-1] (tapsLen >= 5) with the truncated ideal response of a
 * linear-phase low-pass, high-pass, band-pass or band-stop filter; frequencies
 * are in cycles per sample, strictly between 0 and 0.5. winType selects the
 * window: 1 Bartlett, 2 optimal Blackman, 3 Hamming, 4 Hann, anything else none.
 * doNormal != 0 scales the filter to unit gain at 0 (low-pass, band-stop), at 0.5
 * (high-pass) or at the band centre (band-pass). Even-length high-pass filters are
 * antisymmetric, all others symmetric.
 * Returns 0 and clears the thread's status on success; otherwise reports and
 * returns VOK_StatusNullTaps, VOK_StatusTapsLen, VOK_StatusBadFreq or
 * VOK_StatusFreqOrder (rHighFreq <= rLowFreq), writing nothing. */
VOK_API int VOK_CALL vokdFirLowpass(double rfreq, double* taps, int tapsLen, int winType, int doNormal);
VOK_API int VOK_CALL vokdFirHighpass(double rfreq, double* taps, int tapsLen, int winType, int doNormal);
VOK_API int VOK_CALL vokdFirBandpass(double rLowFreq, double rHighFreq, double* taps, int tapsLen, int winType,
                                     int doNormal);
VOK_API int VOK_CALL vokdFirBandstop(double rLowFreq, double rHighFreq, double* taps, int tapsLen, int winType,
                                     int doNormal);

VOK_EXTERN_C_END

#endif /* VOK_FIRDESIGN_H */
