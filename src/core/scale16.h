// The shared converters that bring wider results back to 16 bits under the
// caller's scale mode (VOK_NO_SCALE, VOK_SATURATE, VOK_FIXED_SCALE,
// VOK_AUTO_SCALE) and scale factor. Every 16-bit path of the library goes
// through these; none re-implements them. Defined in src/vector/vokaritw.cpp.
//
// In VOK_AUTO_SCALE the chosen sf (0 when every value fits, otherwise
// floor(log2 |largest|) - 14) is written back through scaleFactor; in the
// fixed modes it is read, a null pointer counting as 0. The converters make
// no reports of their own: callers check their arguments (including a null
// scaleFactor in VOK_AUTO_SCALE, which the converters then merely ignore).
// Float values are scaled by an exact power of two and truncated toward
// zero; 32-bit values are shifted arithmetically. Modes other than 1..4
// keep the low 16 bits.
#pragma once

namespace vok {

// Float results (transforms, correlation, convolution, filters) to 16 bits.
// Returns the status of the conversion (0 on success).
int ownScaleFloatToShort(const float* src, short* dst, int n, int scaleMode, int* scaleFactor);

// Two float arrays that share one scale factor (complex data held as two arrays).
void ownScaleFloatPairToShort(const float* srcRe, const float* srcIm, short* dstRe, short* dstIm, int n,
                              int scaleMode, int* scaleFactor);

// 32-bit integer results to 16 bits.
void ownScaleIntToShort(const int* src, short* dst, int n, int scaleMode, int* scaleFactor);

// One 32-bit result (dot products); returns the 16-bit value.
short ownScaleIntValueToShort(int value, int scaleMode, int* scaleFactor);

}  // namespace vok
