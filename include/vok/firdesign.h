/** @file
 * @brief FIR filter design: see @ref firdesign. */
/** @defgroup firdesign FIR filter design
 * vokx1 FIR filter design by the window method (module vokfirg).
 *
 * Window-method design of linear-phase low-pass, high-pass, band-pass and
 * band-stop filters in double precision; frequencies are in cycles per sample.
 * The window is chosen by the VOK_FirWin* constants.
 * @par Example
 * @code
 * double taps[63];
 * float ftaps[63];
 * if (vokdFirLowpass(0.1, taps, 63, VOK_FirWinHamming, 1) == VOK_StatusOk)
 *     for (int k = 0; k < 63; ++k) ftaps[k] = (float)taps[k];
 * @endcode
 * @{ */
#ifndef VOK_FIRDESIGN_H
#define VOK_FIRDESIGN_H

#include "types.h"

/** Window of the FIR design functions (the winType argument); any other value
 * designs without a window. */
enum {
    VOK_FirWinNone = 0,          /**< no window (any value other than 1 ... 4) */
    VOK_FirWinBartlett = 1,      /**< Bartlett (triangular) */
    VOK_FirWinBlackmanOpt = 2,   /**< optimal Blackman */
    VOK_FirWinHamming = 3,       /**< Hamming */
    VOK_FirWinHann = 4           /**< Hann */
};

VOK_EXTERN_C_BEGIN

/** @name Fill taps[0..tapsLen-1] */
///@{
/** Fill taps[0..tapsLen-1] (tapsLen >= 5) with the truncated ideal response of a
 * linear-phase low-pass, high-pass, band-pass or band-stop filter; frequencies
 * are in cycles per sample, strictly between 0 and 0.5. winType selects the
 * window: VOK_FirWinBartlett (1), VOK_FirWinBlackmanOpt (2), VOK_FirWinHamming (3),
 * VOK_FirWinHann (4), anything else (VOK_FirWinNone) none.
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
///@}

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_FIRDESIGN_H */
