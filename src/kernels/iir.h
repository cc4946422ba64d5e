// The inner loop of the segment-parallel biquad cascade.
//
// A long block is cut into kIirSegments segments of equal length that are
// filtered side by side, one segment per double lane. The samples are kept
// interleaved: v[t * kIirSegments + j] is sample t of segment j. Every width
// runs the same kIirSegments lanes (SSE2 as four registers, AVX2 as two,
// AVX-512 as one) with the same operations per lane, so the results do not
// depend on the width at all.
#pragma once

#include "kernels/dispatch.h"

namespace vok::kernels {

constexpr int kIirSegments = 8;
// The longest cascade the lane kernel keeps in registers.
constexpr int kIirLaneSections = 4;
// The coefficients the compensated kernel takes (or zero): its products'
// rounding errors are then exact at every width.
constexpr double kIirExactLow = 0x1p-100, kIirExactHigh = 0x1p100;

// What the lane kernel does with v: only reads it as input, replaces it by
// the output, or (plain kernel only) runs from zero input and adds its output.
enum IirOut : int { kReadOut = 0, kWriteOut = 1, kAddOut = 2 };

struct IirTable {
    // numSteps steps of a cascade of nq (1 .. kIirLaneSections) sections over
    // the interleaved lanes of v. coef holds a1, a2, b1, b2 per section;
    // state holds w1 then w2 of every section, kIirSegments lanes each, and
    // is left at the state after the last step (not with kAddOut, which stops
    // once the response from zero input has faded); out (an IirOut) says what
    // becomes of v.
    void (*biquadLanes)(const double* coef, int nq, double* state, double* v, int numSteps, int out);
    // The same for double data, with the feedback sums held to twice double
    // precision and w rounded once per step. Every coefficient must be zero
    // or of magnitude kIirExactLow ... kIirExactHigh; kAddOut is taken as kWriteOut.
    void (*biquadLanesCompensated)(const double* coef, int nq, double* state, double* v, int numSteps, int out);
    // The same with v summed from the rounded products alone (w as above):
    // for a cascade of one group, whose outputs pass no more sections.
    void (*biquadLanesCompensatedFeedback)(const double* coef, int nq, double* state, double* v, int numSteps, int out);
    // Segments of length m each, x[j * m + t], in and out of the interleaved
    // order: v[t * kIirSegments + j] = gain * x[j * m + t], and back (rounded
    // to the element type once).
    void (*interleaveIn)(const double* x, double gain, double* v, int m);
    void (*interleaveOut)(const double* v, double* x, int m);
    void (*interleaveInFloat)(const float* x, double gain, double* v, int m);
    void (*interleaveOutFloat)(const double* v, float* x, int m);
};

extern const IirTable iir_sse2, iir_avx2, iir_avx512;

inline const IirTable& iir() { return simd::select(iir_sse2, iir_avx2, iir_avx512); }

}  // namespace vok::kernels
