// Long blocks through a biquad cascade of real data, kIirSegments segments at a time.
//
// The cascade is linear, so a segment's output is its zero-state response
// plus the response to the state it starts from. A first pass runs every
// segment from a zero state and yields its zero-state end state e_j; the
// true start states then follow in a short scalar sweep,
//     S_0 = the delay line,  S_{j+1} = e_j + Phi S_j,
// with Phi the transition of the cascade over one segment's length, and a
// second pass filters every segment from its true start state. Float data
// are summed in double, double data in compensated double lanes with the
// start states in long double; there (up to four sections) the first pass
// keeps its zero-state outputs and the second only adds the plain responses
// to the start states, until they fade. The delay line is rounded to its
// element type once, when it is stored after the block.
#pragma once

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "kernels/iir.h"

namespace vok::kernels {

namespace iircascade {

// Longer cascades run through the lane kernel in groups of kIirLaneSections.
constexpr int kMaxSections = 2 * kIirLaneSections;
constexpr int kMaxStates = 2 * kMaxSections;
constexpr int kMaxSegment = 256;  // a chunk of 8 x 256 doubles stays in L1
// Double data through one group of sections: the responses to the start
// states fade within a few hundred steps and are cut off there, so longer
// segments spread the fixed costs of a chunk (the transition, the sweep).
constexpr int kMaxSegmentLong = 1024;
constexpr int kMinSegment = 128;  // below this the transition costs more than it saves

// The start states are worked in A: double for float data, long double for
// double data, whose lanes come as close as the long double recursion.
template <class A>
struct Plan {
    int nq = 0, dim = 0;
    double gain = 0;
    double coef[4 * kMaxSections] = {};
    A step[kMaxStates * kMaxStates] = {};  // one sample without input
    int phiLength = 0;
    A phi[kMaxStates * kMaxStates] = {};  // step to the power phiLength
};

// One sample with zero input from state s (w1, w2 per section) into out.
template <class A>
inline void zeroInputStep(const Plan<A>& p, const A* s, A* out) {
    A v = 0;
    for (int q = 0; q < p.nq; ++q) {
        const double* c = p.coef + 4 * q;
        const A w1 = s[2 * q], w2 = s[2 * q + 1];
        const A w = v - c[0] * w1 - c[1] * w2;
        v = w + c[2] * w1 + c[3] * w2;
        out[2 * q] = w;
        out[2 * q + 1] = w1;
    }
}

// c = a b for dim x dim matrices, row-major (dim even). Two sums at a time,
// each in the order of j, so that their latencies overlap.
template <class A>
inline void matMul(const A* a, const A* b, A* c, int dim) {
    for (int r = 0; r < dim; ++r)
        for (int k = 0; k < dim; k += 2) {
            A sum0 = 0, sum1 = 0;
            for (int j = 0; j < dim; ++j) {
                sum0 += a[r * dim + j] * b[j * dim + k];
                sum1 += a[r * dim + j] * b[j * dim + k + 1];
            }
            c[r * dim + k] = sum0;
            c[r * dim + k + 1] = sum1;
        }
}

template <class A>
inline void matVecAdd(const A* a, const A* x, const A* add, A* y, int dim) {
    for (int r = 0; r < dim; r += 2) {
        A sum0 = 0, sum1 = 0;
        for (int j = 0; j < dim; ++j) {
            sum0 += a[r * dim + j] * x[j];
            sum1 += a[(r + 1) * dim + j] * x[j];
        }
        y[r] = add[r] + sum0;
        y[r + 1] = add[r + 1] + sum1;
    }
}

template <class A, class E>
void makePlan(Plan<A>& p, const E* taps, int nq) {
    p.nq = nq;
    p.dim = 2 * nq;
    p.gain = double(taps[0]);
    for (int k = 0; k < 4 * nq; ++k) p.coef[k] = double(taps[1 + k]);
    A e[kMaxStates] = {}, col[kMaxStates];
    for (int k = 0; k < p.dim; ++k) {
        e[k] = 1;
        zeroInputStep(p, e, col);
        e[k] = 0;
        for (int r = 0; r < p.dim; ++r) p.step[r * p.dim + k] = col[r];
    }
    p.phiLength = 0;
}

// Phi = step^length by squaring.
template <class A>
inline void setPhi(Plan<A>& p, int length) {
    if (p.phiLength == length) return;
    const int dim = p.dim, cells = dim * dim;
    A base[kMaxStates * kMaxStates], tmp[kMaxStates * kMaxStates];
    for (int i = 0; i < cells; ++i) base[i] = p.step[i], p.phi[i] = 0;
    for (int r = 0; r < dim; ++r) p.phi[r * dim + r] = 1;
    for (int e = length;;) {
        if (e & 1) {
            matMul(p.phi, base, tmp, dim);
            for (int i = 0; i < cells; ++i) p.phi[i] = tmp[i];
        }
        e >>= 1;
        if (!e) break;
        matMul(base, base, tmp, dim);
        for (int i = 0; i < cells; ++i) base[i] = tmp[i];
    }
    p.phiLength = length;
}

// One chunk of kIirSegments * m samples; s is the state before and after.
template <class A, class E>
void chunk(Plan<A>& p, A* s, const E* in, E* out, int m, double* buf, double* work) {
    constexpr int S = kIirSegments;
    const int dim = p.dim;
    if constexpr (std::is_same_v<E, double>) iir().interleaveIn(in, p.gain, buf, m);
    else iir().interleaveInFloat(in, p.gain, buf, m);
    const int groups = (p.nq + kIirLaneSections - 1) / kIirLaneSections;
    double lanes[kMaxStates * S] = {};
    // The zero-state end states at lanes become the true start states; s
    // becomes the state after the chunk.
    auto sweep = [&] {
        setPhi(p, m);
        A start[kMaxStates], end[kMaxStates], next[kMaxStates];
        for (int k = 0; k < dim; ++k) start[k] = s[k];
        for (int j = 0; j < S; ++j) {
            for (int k = 0; k < dim; ++k) end[k] = lanes[k * S + j];
            for (int k = 0; k < dim; ++k) lanes[k * S + j] = double(start[k]);
            matVecAdd(p.phi, start, end, next, dim);
            for (int k = 0; k < dim; ++k) start[k] = next[k];
        }
        for (int k = 0; k < dim; ++k) s[k] = start[k];
    };
    if (std::is_same_v<E, double> && groups == 1) {
        // The zero-state responses in compensated lanes, in place of the
        // input; the responses to the true start states in plain lanes from
        // zero input, added to them. (Longer cascades, whose plain responses
        // pass two groups, came to twice the one-sample filter's error so.)
        iir().biquadLanesCompensatedFeedback(p.coef, p.nq, lanes, buf, m, kWriteOut);
        sweep();
        iir().biquadLanes(p.coef, p.nq, lanes, buf, m, kAddOut);
    } else {
        // Each group of sections over the whole chunk, from the states at lanes.
        const auto kernel = std::is_same_v<E, double> ? iir().biquadLanesCompensated : iir().biquadLanes;
        auto run = [&](double* v, bool keepLast) {
            for (int g = 0; g < groups; ++g) {
                const int first = g * kIirLaneSections, count = std::min(kIirLaneSections, p.nq - first);
                kernel(p.coef + 4 * first, count, lanes + 2 * first * S, v, m, keepLast || g + 1 < groups);
            }
        };
        if (groups == 1) {
            run(buf, false);
        } else {
            for (int i = 0; i < S * m; ++i) work[i] = buf[i];
            run(work, false);
        }
        sweep();
        run(buf, true);
        for (int k = 0; k < dim; ++k) s[k] = lanes[k * S + S - 1];
    }

    if constexpr (std::is_same_v<E, double>) iir().interleaveOut(buf, out, m);
    else iir().interleaveOutFloat(buf, out, m);
}

}  // namespace iircascade

// Filters the leading part of in[0 .. n) that the segment scheme suits and
// returns its length (0 when the cascade is too long or the block too short);
// the caller filters the rest sample by sample from the stored delay line.
// taps are normalised (gain, then a1, a2, b1, b2 per section), d the delay line.
template <class E>
int biquadSegments(const E* taps, E* d, int nq, const E* in, E* out, int n) {
    using namespace iircascade;
    constexpr int S = kIirSegments;
    // The transition costs dim^3 per squaring: longer cascades need longer blocks.
    const int groups = (nq + kIirLaneSections - 1) / kIirLaneSections;
    if (nq > kMaxSections || n < S * kMinSegment * groups * groups) return 0;
    if constexpr (std::is_same_v<E, double>) {
        for (int k = 0; k < 4 * nq; ++k) {
            const double c = std::fabs(double(taps[1 + k]));
            if (c != 0 && !(c >= kIirExactLow && c <= kIirExactHigh)) return 0;
        }
    }
    using A = std::conditional_t<std::is_same_v<E, float>, double, long double>;
    Plan<A> p;
    makePlan(p, taps, nq);
    A s[kMaxStates];
    for (int k = 0; k < p.dim; ++k) s[k] = double(d[k]);
    const int maxSegment = std::is_same_v<E, double> && groups == 1 ? kMaxSegmentLong : kMaxSegment;
    constexpr int room = std::is_same_v<E, double> ? S * kMaxSegmentLong : 2 * S * kMaxSegment;
    static_assert(room >= 2 * S * kMaxSegment);
    alignas(64) double space[room];
    double *buf = space, *work = space + S * kMaxSegment;  // work: the first pass of a multi-group cascade
    int done = 0;
    for (;;) {
        int m = (n - done) / S;
        if (m > maxSegment) m = maxSegment;
        if (m < kMinSegment) break;
        chunk(p, s, in + done, out + done, m, buf, work);
        done += S * m;
    }
    for (int k = 0; k < p.dim; ++k) d[k] = E(s[k]);
    return done;
}

}  // namespace vok::kernels
