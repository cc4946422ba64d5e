// The biquad cascade over interleaved segment lanes, written once for every width.
#include <cstring>

#include "kernels/simd.h"
#include "kernels/iir.h"

#if VOK_VECTOR_BYTES > 16
#include <immintrin.h>
#endif

VOK_SIMD_BEGIN
namespace {

using V = Vec<double>;
constexpr int kL = kLanes<double>;
constexpr int kGroups = vok::kernels::kIirSegments / kL;
constexpr int kS = vok::kernels::kIirSegments;
using vok::kernels::kReadOut, vok::kernels::kWriteOut, vok::kernels::kAddOut;

// One biquad section of the plain recursion, in the order of the one-sample
// filter: (v - a1 w1) - a2 w2, then (w + b1 w1) + b2 w2.
struct PlainSection {
    static constexpr bool kCompensated = false;
    V a1, a2, b1, b2;
    void setCoefficients(const double* c) {
        a1 = splat(c[0]);
        a2 = splat(c[1]);
        b1 = splat(c[2]);
        b2 = splat(c[3]);
    }
    struct State {
        V w1, w2;
    };
    State enter(V w1, V w2) const { return {w1, w2}; }
    // The section's output for input x; the state advances by one step.
    inline __attribute__((always_inline)) V step(V x, State& s) const {
        const V w = x - a1 * s.w1 - a2 * s.w2;
        x = w + b1 * s.w1 + b2 * s.w2;
        s.w2 = s.w1;
        s.w1 = w;
        return x;
    }
};

// The same section for double data, as close as the one-sample filter's
// long double sums. Every product comes with its exact rounding error
// (p + e = c w), the feedback sum w adds the rounded products with TwoSum and
// their errors in plain double and is rounded once, as the one-sample filter
// rounds it to its delay line; the output v adds the same terms in plain sums.
// The errors come from fused multiply-adds where the width has them and from
// Dekker's split products at SSE2: both are exact, hence equal, as long as
// nothing underflows or overflows, which holds for coefficients of 2^-100 ...
// 2^100 (the caller's condition) and states of 2^-860 ... 2^900; outside
// that range a state's errors count as zero at every width.
constexpr double kExactLow = 0x1p-860, kExactHigh = 0x1p900;

inline __attribute__((always_inline)) V absolute(V x) {
    using I = IndexVec<double>;
    return V((I)x & splat<long long>(0x7fffffffffffffffLL));
}

#if VOK_VECTOR_BYTES == 16
#define VOK_IIR_FMA
// The nearest value of 26 significant bits: x plus half its unit in the
// 26th bit, low 27 bits cleared. The rest then fits 26 bits as well, so the
// four partial products of two such splits are exact.
inline __attribute__((always_inline)) V highHalf(V x) {
    using I = IndexVec<double>;
    const V half = V((I)x & splat<long long>(0xfff0000000000000LL)) * 0x1p-26;
    return V((I)(x + half) & splat<long long>(~((1LL << 27) - 1)));
}
struct Factor {  // a coefficient or a state with its halves
    V whole, high, low;
};
inline __attribute__((always_inline)) Factor factor(V x) {
    const V h = highHalf(x);
    return {x, h, x - h};
}
// The state's halves, and its in-range mask.
struct StateFactor {
    Factor f;
    V inRange;
};
inline __attribute__((always_inline)) StateFactor stateFactor(V w) {
    const V a = absolute(w);
    return {factor(w), V((a >= splat(kExactLow)) & (a <= splat(kExactHigh)))};
}
// c w - p exactly (p = c w rounded), zero for states out of range.
inline __attribute__((always_inline)) V productError(const Factor& c, const StateFactor& w, V p) {
    using I = IndexVec<double>;
    const V e = (((c.high * w.f.high - p) + c.high * w.f.low) + c.low * w.f.high) + c.low * w.f.low;
    return V((I)e & (I)w.inRange);
}
// Sums that may run on the multiplier: a + b, a - b, rounded as such.
inline __attribute__((always_inline)) V addM(V a, V b) { return a + b; }
inline __attribute__((always_inline)) V subM(V a, V b) { return a - b; }
#elif VOK_VECTOR_BYTES == 32
// The AVX2 level implies FMA; the build keeps it off elsewhere, so that no
// sum of products is ever fused behind our back.
#define VOK_IIR_FMA __attribute__((target("fma")))
struct Factor {
    V whole;
};
inline __attribute__((always_inline)) Factor factor(V x) { return {x}; }
struct StateFactor {
    Factor f;
    V inRange;
};
inline __attribute__((always_inline)) StateFactor stateFactor(V w) {
    const V a = absolute(w);
    return {{w}, V((a >= splat(kExactLow)) & (a <= splat(kExactHigh)))};
}
VOK_IIR_FMA inline __attribute__((always_inline)) V productError(const Factor& c, const StateFactor& w, V p) {
    using I = IndexVec<double>;
    const V e = V(_mm256_fmsub_pd(__m256d(c.whole), __m256d(w.f.whole), __m256d(p)));
    return V((I)e & (I)w.inRange);
}
// a + b as a fused a * 1 + b, the same rounding on the multiply pipe, which
// the products leave idle while the sums keep the add pipe full.
VOK_IIR_FMA inline __attribute__((always_inline)) V addM(V a, V b) {
    return V(_mm256_fmadd_pd(__m256d(a), __m256d(splat(1.0)), __m256d(b)));
}
VOK_IIR_FMA inline __attribute__((always_inline)) V subM(V a, V b) {
    return V(_mm256_fmsub_pd(__m256d(a), __m256d(splat(1.0)), __m256d(b)));
}
#else
#define VOK_IIR_FMA
struct Factor {
    V whole;
};
inline __attribute__((always_inline)) Factor factor(V x) { return {x}; }
struct StateFactor {
    Factor f;
    __mmask8 inRange;
};
inline __attribute__((always_inline)) StateFactor stateFactor(V w) {
    const __m512d a = __m512d(absolute(w));
    const __mmask8 low = _mm512_cmp_pd_mask(a, __m512d(splat(kExactLow)), _CMP_GE_OQ);
    return {{w}, _mm512_mask_cmp_pd_mask(low, a, __m512d(splat(kExactHigh)), _CMP_LE_OQ)};
}
inline __attribute__((always_inline)) V productError(const Factor& c, const StateFactor& w, V p) {
    return V(_mm512_maskz_fmsub_pd(w.inRange, __m512d(c.whole), __m512d(w.f.whole), __m512d(p)));
}
inline __attribute__((always_inline)) V addM(V a, V b) {
    return V(_mm512_fmadd_pd(__m512d(a), __m512d(splat(1.0)), __m512d(b)));
}
inline __attribute__((always_inline)) V subM(V a, V b) {
    return V(_mm512_fmsub_pd(__m512d(a), __m512d(splat(1.0)), __m512d(b)));
}
#endif

// s + e = a - b exactly.
VOK_IIR_FMA inline __attribute__((always_inline)) void twoDiff(V a, V b, V& s, V& e) {
    s = a - b;
    const V bb = a - s;
    e = (a - (s + bb)) + subM(bb, b);
}

// OutputErrors: v takes its products' errors as well. Without them v is a
// few roundings off, which only matters where it passes many resonant
// sections after this one (two groups of them).
template <bool OutputErrors>
struct CompensatedSection {
    static constexpr bool kCompensated = true;
    Factor c[4];  // a1, a2, b1, b2
    void setCoefficients(const double* coef) {
        for (int k = 0; k < 4; ++k) c[k] = factor(splat(coef[k]));
    }
    struct State {
        V w1, w2;
        StateFactor f2;  // w2's, from the step before
    };
    VOK_IIR_FMA State enter(V w1, V w2) const { return {w1, w2, stateFactor(w2)}; }
    VOK_IIR_FMA inline __attribute__((always_inline)) V step(V x, State& s) const {
        const StateFactor f1 = stateFactor(s.w1);
        const V p1 = c[0].whole * s.w1, p2 = c[1].whole * s.w2;
        const V q1 = c[2].whole * s.w1, q2 = c[3].whole * s.w2;
        const V e = addM(productError(c[0], f1, p1), productError(c[1], s.f2, p2));
        V f{};
        if constexpr (OutputErrors) f = addM(productError(c[2], f1, q1), productError(c[3], s.f2, q2));
        V s1, e1, s2, e2;
        twoDiff(x, p1, s1, e1);
        twoDiff(s1, p2, s2, e2);
        const V w = s2 + ((e1 + e2) - e);
        s.w2 = s.w1;
        s.f2 = f1;
        s.w1 = w;
        // v from the same terms in plain sums: its rounding only enters the
        // next section's input.
        if constexpr (OutputErrors) return addM(w, addM(addM(q1, q2), f));
        else return addM(w, addM(q1, q2));
    }
};

// One iteration of the skewed loop: section q filters step t - q, from the
// output section q - 1 left in carry[q] one iteration before, so that the
// sections of an iteration do not wait for each other. Guard leaves out the
// sections that have no step t - q (the first and last NQ - 1 iterations).
template <class Section, int NQ, int Out, bool Guard>
VOK_IIR_FMA inline __attribute__((always_inline)) void skewed(const Section* sections,
                                                              typename Section::State (*st)[NQ], V (*carry)[NQ],
                                                              double* v, int t, int numSteps) {
#pragma GCC unroll 8
    for (int g = 0; g < kGroups; ++g)
#pragma GCC unroll 4
        for (int q = NQ - 1; q >= 0; --q) {
            if (Guard && (t - q < 0 || t - q >= numSteps)) continue;
            const V x = q != 0 ? carry[g][q] : Out == kAddOut ? V{} : load(v + t * kS + g * kL);
            const V y = sections[q].step(x, st[g][q]);
            if (q + 1 < NQ) carry[g][q + 1] = y;
            else if (Out == kWriteOut) store(v + (t - q) * kS + g * kL, y);
            else if (Out == kAddOut) store(v + (t - q) * kS + g * kL, load(v + (t - q) * kS + g * kL) + y);
        }
}

// All register groups advance together, so even a single section has
// kGroups independent recursions in flight per step.
template <class Section, int NQ, int Out>
VOK_IIR_FMA void lanes(const double* coef, double* state, double* v, int numSteps) {
    Section sections[NQ];
    typename Section::State st[kGroups][NQ];
    V carry[kGroups][NQ] = {};
#pragma GCC unroll 4
    for (int q = 0; q < NQ; ++q) sections[q].setCoefficients(coef + 4 * q);
#pragma GCC unroll 8
    for (int g = 0; g < kGroups; ++g)
#pragma GCC unroll 4
        for (int q = 0; q < NQ; ++q) {
            st[g][q] = sections[q].enter(load(state + 2 * q * kS + g * kL), load(state + (2 * q + 1) * kS + g * kL));
        }
    const int last = numSteps + NQ - 1, bodyEnd = numSteps > NQ - 1 ? numSteps : NQ - 1;
    // A response from zero input decays: a lane whose states (and outputs in
    // flight) have all fallen to 2^-80 of its largest start state is set to
    // zero, a far smaller change than the rounding of those start states to
    // double. The rule reads only the lane's own values, so every width drops
    // it at the same step; once every lane is zero the rest adds nothing.
    using I = IndexVec<double>;
    V dropBelow[kGroups];
    if constexpr (Out == kAddOut) {
#pragma GCC unroll 8
        for (int g = 0; g < kGroups; ++g) {
            V m{};
#pragma GCC unroll 4
            for (int q = 0; q < NQ; ++q)
                for (V a : {absolute(st[g][q].w1), absolute(st[g][q].w2)}) {
                    const I larger = a > m;
                    m = V((larger & (I)a) | (~larger & (I)m));
                }
            dropBelow[g] = m * 0x1p-80;
            // Infinite or NaN starts never drop.
            dropBelow[g] = V((I)dropBelow[g] & (I)(dropBelow[g] <= splat(0x1p900)));
        }
    }
    int t = 0;
    for (; t < NQ - 1 && t < last; ++t) skewed<Section, NQ, Out, true>(sections, st, carry, v, t, numSteps);
    for (; t < bodyEnd; ++t) {
        skewed<Section, NQ, Out, false>(sections, st, carry, v, t, numSteps);
        if (Out == kAddOut && (t & 15) == 15) {
            I live{};
#pragma GCC unroll 8
            for (int g = 0; g < kGroups; ++g) {
                I keep{};
#pragma GCC unroll 4
                for (int q = 0; q < NQ; ++q) {
                    keep |= ~(absolute(st[g][q].w1) <= dropBelow[g]);  // NaN stays
                    keep |= ~(absolute(st[g][q].w2) <= dropBelow[g]);
                    if (q) keep |= ~(absolute(carry[g][q]) <= dropBelow[g]);
                }
#pragma GCC unroll 4
                for (int q = 0; q < NQ; ++q) {
                    st[g][q].w1 = V((I)st[g][q].w1 & keep);
                    st[g][q].w2 = V((I)st[g][q].w2 & keep);
                    if (q) carry[g][q] = V((I)carry[g][q] & keep);
                }
                live |= keep;
            }
            bool any = false;
            for (int i = 0; i < kL; ++i) any |= live[i] != 0;
            if (!any) return;  // the state after the block is not wanted from this form
        }
    }
    for (; t < last; ++t) skewed<Section, NQ, Out, true>(sections, st, carry, v, t, numSteps);
#pragma GCC unroll 8
    for (int g = 0; g < kGroups; ++g)
#pragma GCC unroll 4
        for (int q = 0; q < NQ; ++q) {
            store(state + 2 * q * kS + g * kL, st[g][q].w1);
            store(state + (2 * q + 1) * kS + g * kL, st[g][q].w2);
        }
}

template <class Section, int Out>
void lanesAny(const double* coef, int nq, double* state, double* v, int numSteps) {
    switch (nq) {
        case 1: lanes<Section, 1, Out>(coef, state, v, numSteps); break;
        case 2: lanes<Section, 2, Out>(coef, state, v, numSteps); break;
        case 3: lanes<Section, 3, Out>(coef, state, v, numSteps); break;
        default: lanes<Section, 4, Out>(coef, state, v, numSteps); break;
    }
}

template <class Section>
void biquadLanes(const double* coef, int nq, double* state, double* v, int numSteps, int out) {
    if (out == kAddOut && !Section::kCompensated) lanesAny<Section, kAddOut>(coef, nq, state, v, numSteps);
    else if (out) lanesAny<Section, kWriteOut>(coef, nq, state, v, numSteps);
    else lanesAny<Section, kReadOut>(coef, nq, state, v, numSteps);
}

// kL elements of E as doubles, and back (rounded to E once).
template <class E>
inline __attribute__((always_inline)) V loadWide(const E* p) {
    typedef E Narrow __attribute__((vector_size(kL * sizeof(E))));
    Narrow n;
    std::memcpy(&n, p, sizeof n);
    return __builtin_convertvector(n, V);
}
template <class E>
inline __attribute__((always_inline)) void storeNarrow(E* p, V v) {
    typedef E Narrow __attribute__((vector_size(kL * sizeof(E))));
    const Narrow n = __builtin_convertvector(v, Narrow);
    std::memcpy(p, &n, sizeof n);
}

// v[t * kS + j] = gain * x[j * m + t] (in) or x[j * m + t] = v[t * kS + j]
// (out): the segments in and out of the interleaved order.
template <class E, bool In>
void interleave(E* x, double gain, double* v, int m) {
    int t0 = 0;
    for (; t0 + kL <= m; t0 += kL)
#pragma GCC unroll 8
        for (int g = 0; g < kGroups; ++g) {
            V r[kL];
#pragma GCC unroll 8
            for (int i = 0; i < kL; ++i)
                r[i] = In ? loadWide(x + (g * kL + i) * m + t0) * gain : load(v + (t0 + i) * kS + g * kL);
            transposeRows<double>(r);
#pragma GCC unroll 8
            for (int i = 0; i < kL; ++i) {
                if (In) store(v + (t0 + i) * kS + g * kL, r[i]);
                else storeNarrow(x + (g * kL + i) * m + t0, r[i]);
            }
        }
    for (; t0 < m; ++t0)
        for (int j = 0; j < kS; ++j) {
            if (In) v[t0 * kS + j] = gain * double(x[j * m + t0]);
            else x[j * m + t0] = E(v[t0 * kS + j]);
        }
}
template <class E>
void interleaveIn(const E* x, double gain, double* v, int m) {
    interleave<E, true>(const_cast<E*>(x), gain, v, m);
}
template <class E>
void interleaveOut(const double* v, E* x, int m) {
    interleave<E, false>(x, 0, const_cast<double*>(v), m);
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const IirTable VOK_KERNEL_TABLE(iir) = {simd::VOK_ISA::biquadLanes<simd::VOK_ISA::PlainSection>,
                                         simd::VOK_ISA::biquadLanes<simd::VOK_ISA::CompensatedSection<true>>,
                                         simd::VOK_ISA::biquadLanes<simd::VOK_ISA::CompensatedSection<false>>,
                                         simd::VOK_ISA::interleaveIn<double>, simd::VOK_ISA::interleaveOut<double>,
                                         simd::VOK_ISA::interleaveIn<float>, simd::VOK_ISA::interleaveOut<float>};
}
