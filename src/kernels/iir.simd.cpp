// The biquad cascade over interleaved segment lanes, written once for every width.
#include "kernels/simd.h"
#include "kernels/iir.h"

VOK_SIMD_BEGIN
namespace {

using V = Vec<double>;
constexpr int kL = kLanes<double>;
constexpr int kGroups = vok::kernels::kIirSegments / kL;
constexpr int kS = vok::kernels::kIirSegments;

// All register groups advance together, so even a single section has
// kGroups independent recursions in flight per step.
template <int NQ, bool Write>
void lanes(const double* coef, double* state, double* v, int numSteps) {
    V a1[NQ], a2[NQ], b1[NQ], b2[NQ];
    V w1[kGroups][NQ], w2[kGroups][NQ];
#pragma GCC unroll 4
    for (int q = 0; q < NQ; ++q) {
        a1[q] = splat(coef[4 * q]);
        a2[q] = splat(coef[4 * q + 1]);
        b1[q] = splat(coef[4 * q + 2]);
        b2[q] = splat(coef[4 * q + 3]);
    }
#pragma GCC unroll 8
    for (int g = 0; g < kGroups; ++g)
#pragma GCC unroll 4
        for (int q = 0; q < NQ; ++q) {
            w1[g][q] = load(state + 2 * q * kS + g * kL);
            w2[g][q] = load(state + (2 * q + 1) * kS + g * kL);
        }
    for (int t = 0; t < numSteps; ++t) {
        double* row = v + t * kS;
#pragma GCC unroll 8
        for (int g = 0; g < kGroups; ++g) {
            V x = load(row + g * kL);
#pragma GCC unroll 4
            for (int q = 0; q < NQ; ++q) {
                // The order of the one-sample recursion: (v - a1 w1) - a2 w2, (w + b1 w1) + b2 w2.
                const V w = x - a1[q] * w1[g][q] - a2[q] * w2[g][q];
                x = w + b1[q] * w1[g][q] + b2[q] * w2[g][q];
                w2[g][q] = w1[g][q];
                w1[g][q] = w;
            }
            if constexpr (Write) store(row + g * kL, x);
        }
    }
#pragma GCC unroll 8
    for (int g = 0; g < kGroups; ++g)
#pragma GCC unroll 4
        for (int q = 0; q < NQ; ++q) {
            store(state + 2 * q * kS + g * kL, w1[g][q]);
            store(state + (2 * q + 1) * kS + g * kL, w2[g][q]);
        }
}

template <bool Write>
void lanesAny(const double* coef, int nq, double* state, double* v, int numSteps) {
    switch (nq) {
        case 1: lanes<1, Write>(coef, state, v, numSteps); break;
        case 2: lanes<2, Write>(coef, state, v, numSteps); break;
        case 3: lanes<3, Write>(coef, state, v, numSteps); break;
        default: lanes<4, Write>(coef, state, v, numSteps); break;
    }
}

void biquadLanes(const double* coef, int nq, double* state, double* v, int numSteps, int writeOut) {
    if (writeOut) lanesAny<true>(coef, nq, state, v, numSteps);
    else lanesAny<false>(coef, nq, state, v, numSteps);
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const IirTable VOK_KERNEL_TABLE(iir) = {simd::VOK_ISA::biquadLanes};
}
