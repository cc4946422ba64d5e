/** @file
 * @brief Wavelets: see @ref wavelet. */
/** @defgroup wavelet Wavelets
 * vokx1 wavelets: filter-bank state, decomposition and reconstruction (module vokwlts).
 *
 * A VokWtState holds a four-filter bank (decomposition low-pass and high-pass,
 * reconstruction low-pass and high-pass), the signal order (2^dataOrder samples)
 * and the number of levels. Init builds it from a predefined family, SetState
 * also installs a caller's bank (type VOK_WtUser), vokWtFree releases it.
 * Decompose writes, coarse first, the approximation of N/2^level samples and the
 * detail bands of levels level ... 1; Reconstruct inverts it. Boundaries are
 * extended periodically, so every band is exactly half of the one it came from.
 *
 * Discrete wavelet decomposition and reconstruction of signals of 2^dataOrder
 * samples over a number of levels. Init fills a caller VokWtState and allocates
 * its filter bank; vokWtFree releases it.
 * @par Example
 * @code
 * VokWtState wt;
 * float x[1024], bands[1024];
 * voksWtInit(4, 0, 10, 5, &wt, VOK_WtDaublet);  // Daubechies-4, 1024 samples, 5 levels
 * voksWtDecompose(&wt, x, bands);               // approximation, then details
 * voksWtReconstruct(&wt, bands, x);
 * vokWtFree(&wt);
 * @endcode
 * @{ */
#ifndef VOK_WAVELET_H
#define VOK_WAVELET_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/** Wavelet types (the wtType argument). */
enum {
    VOK_WtHaar = 1,          /**< Haar; par1 ignored */
    VOK_WtDaublet = 2,       /**< Daubechies extremal phase, par1 = 1 ... 10, 2*par1 taps */
    VOK_WtSymmlet = 3,       /**< least-asymmetric Daubechies, par1 = 1 ... 7, 2*(par1+3) taps */
    VOK_WtCoiflet = 4,       /**< Coiflet, par1 = 1 ... 5, 6*par1 taps */
    VOK_WtVaidyanathan = 5,  /**< 24-tap orthogonal filter */
    VOK_WtBiorth = 6,        /**< Cohen-Daubechies-Feauveau, primal order par1, dual order par2:
                                (1; 1,3,5), (2; 2,4,6,8), (3; 1,3,5,7,9) */
    VOK_WtBiorthDual = 7,    /**< the same with analysis and synthesis exchanged */
    VOK_WtBiorth22 = 8,      /**< Cohen-Daubechies-Feauveau (2, 2) */
    VOK_WtBiorth33 = 9,      /**< Cohen-Daubechies-Feauveau (3, 3) */
    VOK_WtUser = 10          /**< the caller's bank (SetState only) */
};

/** Caller-owned record, 32-bit words in this order. The tap arrays hold float for
 * cores 1 and 4 and double for core 2; they and src_pad belong to the record and
 * are released by vokWtFree. */
typedef struct {
    int core;             /**< element type of the bank: 1 float, 2 double, 4 16-bit (float taps) */
    int wtType;           /**< one of VOK_WtHaar ... VOK_WtUser */
    int kind;             /**< 1 orthogonal, 2 biorthogonal, 3 user-defined */
    int par1;             /**< first family parameter (see the wavelet types) */
    int par2;             /**< second family parameter (biorthogonal dual order) */
    int dataOrder;        /**< log2 of the signal length, 1 ... 31 */
    int level;            /**< decomposition levels, 0 ... dataOrder-1 */
    int filtLen[4];       /**< lengths of the four filters */
    int filtOffset[4];    /**< offsets (alignment) of the four filters */
    void* tap_filt[4];    /**< decomposition low, high; reconstruction low, high */
    void* src_pad;        /**< 2^dataOrder + 2*max(filtLen[0], filtLen[1]) elements of the core type */
} VokWtState;

/** @name Build the bank of a predefined family wtType */
///@{
/** Build the bank of a predefined family wtType (parameters par1, par2) for
 * signals of 2^dataOrder samples decomposed over level levels. The library
 * allocates the record's arrays: release them with vokWtFree. */
VOK_API void VOK_CALL voksWtInit(int par1, int par2, int dataOrder, int level, VokWtState* wtState, int wtType);
VOK_API void VOK_CALL vokdWtInit(int par1, int par2, int dataOrder, int level, VokWtState* wtState, int wtType);
VOK_API void VOK_CALL vokwWtInit(int par1, int par2, int dataOrder, int level, VokWtState* wtState, int wtType);
///@}

/** @name With wtType VOK_WtUser install four filters */
///@{
/** With wtType VOK_WtUser install four filters (Ftaps: four tap pointers, Flen:
 * four lengths, Fofs: four offsets); with any other type behave as Init. */
VOK_API void VOK_CALL voksWtSetState(VokWtState* wtState, int wtType, int par1, int par2, int dataOrder, int level,
                                     float** Ftaps, const int* Flen, const int* Fofs);
VOK_API void VOK_CALL vokdWtSetState(VokWtState* wtState, int wtType, int par1, int par2, int dataOrder, int level,
                                     double** Ftaps, const int* Flen, const int* Fofs);
VOK_API void VOK_CALL vokwWtSetState(VokWtState* wtState, int wtType, int par1, int par2, int dataOrder, int level,
                                     float** Ftaps, const int* Flen, const int* Fofs);
///@}

/** @name Copies type, parameters, order, level, lengths and offsets out */
///@{
/** Copies type, parameters, order, level, lengths and offsets out; Ftaps receives
 * the record's own four tap pointers (not copies). */
VOK_API void VOK_CALL voksWtGetState(const VokWtState* wtState, int* wtType, int* par1, int* par2, int* dataOrder,
                                     int* level, float** Ftaps, int* Flen, int* Fofs);
VOK_API void VOK_CALL vokdWtGetState(const VokWtState* wtState, int* wtType, int* par1, int* par2, int* dataOrder,
                                     int* level, double** Ftaps, int* Flen, int* Fofs);
VOK_API void VOK_CALL vokwWtGetState(const VokWtState* wtState, int* wtType, int* par1, int* par2, int* dataOrder,
                                     int* level, float** Ftaps, int* Flen, int* Fofs);
///@}

/** Release the arrays the library allocated for *wtState. */
VOK_API void VOK_CALL vokWtFree(VokWtState* wtState);

/** @name Src and dst hold 2^dataOrder elements and must not overlap */
///@{
/** src and dst hold 2^dataOrder elements and must not overlap. The result is the
 * thread's status: 0, or negative after a failed check. */
VOK_API int VOK_CALL voksWtDecompose(const VokWtState* wtState, const float* src, float* dst);
VOK_API int VOK_CALL vokdWtDecompose(const VokWtState* wtState, const double* src, double* dst);
VOK_API int VOK_CALL vokwWtDecompose(const VokWtState* wtState, const short* src, short* dst);
VOK_API int VOK_CALL voksWtReconstruct(const VokWtState* wtState, const float* src, float* dst);
VOK_API int VOK_CALL vokdWtReconstruct(const VokWtState* wtState, const double* src, double* dst);
VOK_API int VOK_CALL vokwWtReconstruct(const VokWtState* wtState, const short* src, short* dst);
///@}

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_WAVELET_H */
