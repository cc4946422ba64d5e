/** @file
 * @brief A-law and mu-law companding: see @ref companding. */
/** @defgroup companding A-law and mu-law companding
 * vokx1 A-law and mu-law companding (module voklaw).
 *
 * Code words are unsigned 8-bit. Linear samples: 16-bit, 32-bit (the 16-bit
 * value in the upper half), float and double (1.0 is the 16-bit value 32768;
 * compression truncates toward zero after scaling).
 * A-law codes have bit 7 set for non-negative samples, bits 6-4 the segment and
 * bits 3-0 the mantissa (a G.711 A-law octet is this code XOR 0x55); mu-law
 * codes are the G.711 octets. Every function checks "len<=0", "src==0",
 * "dst==0" in this order and returns at the first failure.
 *
 * G.711-style A-law and mu-law: linear samples to 8-bit codes and back, in
 * blocks; the caller owns both arrays.
 * @par Example
 * @code
 * short pcm[160];
 * unsigned char law[160];
 * vokwbLinToMuLaw(pcm, law, 160);
 * vokwbMuLawToLin(law, pcm, 160);
 * @endcode
 * @{ */
#ifndef VOK_COMPANDING_H
#define VOK_COMPANDING_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/** @name Linear samples to A-law codes, dst[k] = A-law(src[k]) */
///@{
/** Linear samples to A-law codes, dst[k] = A-law(src[k]). */
VOK_API void VOK_CALL vokwbLinToALaw(const short* src, unsigned char* dst, int len);
VOK_API void VOK_CALL vokibLinToALaw(const int* src, unsigned char* dst, int len);
VOK_API void VOK_CALL voksbLinToALaw(const float* src, unsigned char* dst, int len);
VOK_API void VOK_CALL vokdbLinToALaw(const double* src, unsigned char* dst, int len);
///@}

/** @name A-law codes to linear samples */
///@{
/** A-law codes to linear samples (exact: every code has one linear value). */
VOK_API void VOK_CALL vokwbALawToLin(const unsigned char* src, short* dst, int len);
VOK_API void VOK_CALL vokibALawToLin(const unsigned char* src, int* dst, int len);
VOK_API void VOK_CALL voksbALawToLin(const unsigned char* src, float* dst, int len);
VOK_API void VOK_CALL vokdbALawToLin(const unsigned char* src, double* dst, int len);
///@}

/** @name Linear samples to mu-law codes, dst[k] = mu-law(src[k]) */
///@{
/** Linear samples to mu-law codes, dst[k] = mu-law(src[k]). */
VOK_API void VOK_CALL vokwbLinToMuLaw(const short* src, unsigned char* dst, int len);
VOK_API void VOK_CALL vokibLinToMuLaw(const int* src, unsigned char* dst, int len);
VOK_API void VOK_CALL voksbLinToMuLaw(const float* src, unsigned char* dst, int len);
VOK_API void VOK_CALL vokdbLinToMuLaw(const double* src, unsigned char* dst, int len);
///@}

/** @name Mu-law codes to linear samples */
///@{
/** Mu-law codes to linear samples. */
VOK_API void VOK_CALL vokwbMuLawToLin(const unsigned char* src, short* dst, int len);
VOK_API void VOK_CALL vokibMuLawToLin(const unsigned char* src, int* dst, int len);
VOK_API void VOK_CALL voksbMuLawToLin(const unsigned char* src, float* dst, int len);
VOK_API void VOK_CALL vokdbMuLawToLin(const unsigned char* src, double* dst, int len);
///@}

/** @name Direct transcoding between the two laws through fixed tables */
///@{
/** Direct transcoding between the two laws through fixed tables. */
VOK_API void VOK_CALL vokMuLawToALaw(const unsigned char* src, unsigned char* dst, int len);
VOK_API void VOK_CALL vokALawToMuLaw(const unsigned char* src, unsigned char* dst, int len);
///@}

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_COMPANDING_H */
