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

// The same cascade for double data, as close as the one-sample filter's
// long double sums: states and coefficients are cut into a high half of 26
// bits (low mantissa bits cleared) and the rest, so that the products of the
// high halves are exact. The feedback sum w adds those with TwoSum and the
// small cross terms in plain double and is rounded once, as the one-sample
// filter rounds it to its delay line. No fused multiply-add anywhere, so the
// bits do not depend on the width.
inline V highHalf(V x) {
    using I = IndexVec<double>;
    return V((I)x & splat<long long>(~((1LL << 27) - 1)));
}

// s + e = a + b exactly.
inline void twoSum(V a, V b, V& s, V& e) {
    s = a + b;
    const V bb = s - a;
    e = (a - (s - bb)) + (b - bb);
}

template <int NQ, bool Write>
void lanesCompensated(const double* coef, double* state, double* v, int numSteps) {
    // High and low halves of a1, a2, b1, b2 per section.
    V ch[NQ][4], cl[NQ][4];
    V w1[kGroups][NQ], w2[kGroups][NQ];
#pragma GCC unroll 4
    for (int q = 0; q < NQ; ++q)
        for (int k = 0; k < 4; ++k) {
            const V c = splat(coef[4 * q + k]);
            ch[q][k] = highHalf(c);
            cl[q][k] = c - ch[q][k];
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
                const V p = w1[g][q], r = w2[g][q];
                const V ph = highHalf(p), rh = highHalf(r), pl = p - ph, rl = r - rh;
                const V small = (ch[q][0] * pl + cl[q][0] * p) + (ch[q][1] * rl + cl[q][1] * r);
                V s1, e1, s2, e2;
                twoSum(x, -(ch[q][0] * ph), s1, e1);
                twoSum(s1, -(ch[q][1] * rh), s2, e2);
                const V w = s2 + ((e1 + e2) - small);
                // v from the exact high products too, in plain sums: its
                // rounding only enters the next section's input.
                const V tail = (ch[q][2] * pl + cl[q][2] * p) + (ch[q][3] * rl + cl[q][3] * r);
                x = w + ((ch[q][2] * ph + ch[q][3] * rh) + tail);
                w2[g][q] = p;
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

template <bool Write>
void compensatedAny(const double* coef, int nq, double* state, double* v, int numSteps) {
    switch (nq) {
        case 1: lanesCompensated<1, Write>(coef, state, v, numSteps); break;
        case 2: lanesCompensated<2, Write>(coef, state, v, numSteps); break;
        case 3: lanesCompensated<3, Write>(coef, state, v, numSteps); break;
        default: lanesCompensated<4, Write>(coef, state, v, numSteps); break;
    }
}

void biquadLanesCompensated(const double* coef, int nq, double* state, double* v, int numSteps, int writeOut) {
    if (writeOut) compensatedAny<true>(coef, nq, state, v, numSteps);
    else compensatedAny<false>(coef, nq, state, v, numSteps);
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const IirTable VOK_KERNEL_TABLE(iir) = {simd::VOK_ISA::biquadLanes, simd::VOK_ISA::biquadLanesCompensated};
}
