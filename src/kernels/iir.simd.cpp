// The biquad cascade over interleaved segment lanes, written once for every width.
#include "kernels/simd.h"
#include "kernels/iir.h"

VOK_SIMD_BEGIN
namespace {

using V = Vec<double>;
constexpr int kL = kLanes<double>;
constexpr int kGroups = vok::kernels::kIirSegments / kL;
constexpr int kS = vok::kernels::kIirSegments;

// One biquad section of the plain recursion, in the order of the one-sample
// filter: (v - a1 w1) - a2 w2, then (w + b1 w1) + b2 w2.
struct PlainSection {
    V a1, a2, b1, b2;
    void setCoefficients(const double* c) {
        a1 = splat(c[0]);
        a2 = splat(c[1]);
        b1 = splat(c[2]);
        b2 = splat(c[3]);
    }
    // The section's output for input x; w1, w2 advance by one step.
    inline __attribute__((always_inline)) V step(V x, V& w1, V& w2) const {
        const V w = x - a1 * w1 - a2 * w2;
        x = w + b1 * w1 + b2 * w2;
        w2 = w1;
        w1 = w;
        return x;
    }
};

// The same section for double data, as close as the one-sample filter's
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

struct CompensatedSection {
    V ch[4], cl[4];  // high and low halves of a1, a2, b1, b2
    void setCoefficients(const double* c) {
        for (int k = 0; k < 4; ++k) {
            const V whole = splat(c[k]);
            ch[k] = highHalf(whole);
            cl[k] = whole - ch[k];
        }
    }
    inline __attribute__((always_inline)) V step(V x, V& w1, V& w2) const {
        const V p = w1, r = w2;
        const V ph = highHalf(p), rh = highHalf(r), pl = p - ph, rl = r - rh;
        const V small = (ch[0] * pl + cl[0] * p) + (ch[1] * rl + cl[1] * r);
        V s1, e1, s2, e2;
        twoSum(x, -(ch[0] * ph), s1, e1);
        twoSum(s1, -(ch[1] * rh), s2, e2);
        const V w = s2 + ((e1 + e2) - small);
        // v from the exact high products too, in plain sums: its rounding
        // only enters the next section's input.
        const V tail = (ch[2] * pl + cl[2] * p) + (ch[3] * rl + cl[3] * r);
        w2 = p;
        w1 = w;
        return w + ((ch[2] * ph + ch[3] * rh) + tail);
    }
};

// All register groups advance together, so even a single section has
// kGroups independent recursions in flight per step.
template <class Section, int NQ, bool Write>
void lanes(const double* coef, double* state, double* v, int numSteps) {
    Section sections[NQ];
    V w1[kGroups][NQ], w2[kGroups][NQ];
#pragma GCC unroll 4
    for (int q = 0; q < NQ; ++q) sections[q].setCoefficients(coef + 4 * q);
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
            for (int q = 0; q < NQ; ++q) x = sections[q].step(x, w1[g][q], w2[g][q]);
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

template <class Section, bool Write>
void lanesAny(const double* coef, int nq, double* state, double* v, int numSteps) {
    switch (nq) {
        case 1: lanes<Section, 1, Write>(coef, state, v, numSteps); break;
        case 2: lanes<Section, 2, Write>(coef, state, v, numSteps); break;
        case 3: lanes<Section, 3, Write>(coef, state, v, numSteps); break;
        default: lanes<Section, 4, Write>(coef, state, v, numSteps); break;
    }
}

template <class Section>
void biquadLanes(const double* coef, int nq, double* state, double* v, int numSteps, int writeOut) {
    if (writeOut) lanesAny<Section, true>(coef, nq, state, v, numSteps);
    else lanesAny<Section, false>(coef, nq, state, v, numSteps);
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const IirTable VOK_KERNEL_TABLE(iir) = {simd::VOK_ISA::biquadLanes<simd::VOK_ISA::PlainSection>,
                                         simd::VOK_ISA::biquadLanes<simd::VOK_ISA::CompensatedSection>};
}
