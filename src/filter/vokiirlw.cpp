// 16-bit IIR filters on caller-owned records. The caller's float coefficients
// are normalised once and stored over the same array as 16-bit fix-point
// words with one common count Q of fractional bits (word 0 holds Q); the
// delay line holds 32-bit integers. Every call widens both to float, runs the
// recursion in double, and brings outputs and delays back to integers.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/check.h"
#include "core/scale16.h"
#include "filter/iir.h"
#include "vok/convert.h"
#include "vok/iir.h"

namespace {

using vok::ArgChecks;
using vok::CheckAll;
using vok::iir::allocateBytes;
using vok::iir::fillTapRecord;
using vok::iir::tapSetUpFails;
constexpr const char* kModule = "vokiirlw";
constexpr const char* kNoWork = "No memory for working array";

// The largest Q with 2^Q <= 32767 / m, m the largest magnitude among the
// values (by their bit patterns, sign cleared), and 0 when that ratio is
// below 2. Never more than 15, the most a signed 16-bit word can carry.
int chooseQ(const float* v, int n) {
    std::uint32_t largest = 0;
    for (int i = 0; i < n; ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &v[i], 4);
        bits &= 0x7FFFFFFFu;
        if (bits > largest) largest = bits;
    }
    float m;
    std::memcpy(&m, &largest, 4);
    const float r = std::fabs(32767.0f / m);
    if (r < 2.0f) return 0;
    int q = 0;
    for (float p = 1.0f; q < 15 && p * 2.0f <= r; p *= 2.0f) ++q;
    return q;
}

// Words 1 .. n of the caller's array from values[0 .. n-1], Q in word 0.
void storeWords(float* taps, const float* values, int n, int q) {
    short* words = reinterpret_cast<short*>(taps);
    // Through the exported conversion on purpose: its status handling is part
    // of the 16-bit set-up's contract.
    voksbFloatToFix(values, words + 1, n, 16, q, VOK_RndNear);
    const short head = static_cast<short>(q);
    std::memcpy(words, &head, sizeof head);
}

void init(ArgChecks check, int iirType, float* taps, int order, IirTapState* tapStPtr) {
    if (tapSetUpFails(CheckAll{check}, iirType, taps, false, order, "order<0", tapStPtr)) return;
    const float a0 = taps[order + 1];
    if (check(a0 == 0.0f, "taps[order+1] equals zero")) return;
    fillTapRecord(tapStPtr, iirType, taps, false, order);

    // In word order: a0/a0 (counted for Q, not stored), b0, then -a_k, b_k.
    const int count = 2 * order + 2;
    float* work = static_cast<float*>(allocateBytes(4LL * count));
    if (!work) {
        check.report(VOK_StatusNoMemory, kNoWork, __LINE__);
        return;
    }
    work[0] = a0 / a0;
    work[1] = taps[0] / a0;
    for (int k = 1; k <= order; ++k) {
        work[2 * k] = -(taps[order + 1 + k] / a0);
        work[2 * k + 1] = taps[k] / a0;
    }
    storeWords(taps, work + 1, count - 1, chooseQ(work, count));
    vokFree(work);
}

void initBq(ArgChecks check, int iirType, float* taps, int numQuads, IirTapState* tapStPtr) {
    if (tapSetUpFails(CheckAll{check}, iirType, taps, true, numQuads, "numQuads<=0", tapStPtr)) return;
    fillTapRecord(tapStPtr, iirType, taps, true, numQuads);

    float* work = static_cast<float*>(allocateBytes(24LL * numQuads));
    if (!work) {
        check.report(VOK_StatusNoMemory, kNoWork, __LINE__);
        return;
    }
    std::memcpy(work, taps, sizeof(float) * std::size_t(6) * std::size_t(numQuads));
    // G at 0, then -a1/a0, -a2/a0, b1/b0, b2/b0 per section; a section is read
    // whole before its results land on this or earlier places.
    float gain = 1.0f;
    for (int q = 0; q < numQuads; ++q) {
        const float* s = work + 6 * q;
        const float b0 = s[0], b1 = s[1], b2 = s[2], a0 = s[3], a1 = s[4], a2 = s[5];
        if (check(b0 == 0.0f || a0 == 0.0f, "taps[?] equals zero")) {
            vokFree(work);
            return;
        }
        gain *= b0 / a0;
        float* d = work + 1 + 4 * q;
        d[0] = -(a1 / a0);
        d[1] = -(a2 / a0);
        d[2] = b1 / b0;
        d[3] = b2 / b0;
    }
    work[0] = gain;
    const int count = 4 * numQuads + 1;
    storeWords(taps, work, count, chooseQ(work, count));
    vokFree(work);
}

// The recursions on the widened coefficients c (words 1 ..) and delays d.
void runArbitrary(const float* c, float* d, int order, const short* in, float* out, int n) {
    const double b0 = c[0];
    for (int i = 0; i < n; ++i) {
        const double x = in[i];
        if (order == 0) {
            out[i] = static_cast<float>(b0 * x);
            continue;
        }
        const float y = static_cast<float>(b0 * x + d[0]);
        for (int k = 1; k < order; ++k)
            d[k - 1] = static_cast<float>(double(c[2 * k]) * x + double(c[2 * k - 1]) * y + d[k]);
        d[order - 1] = static_cast<float>(double(c[2 * order]) * x + double(c[2 * order - 1]) * y);
        out[i] = y;
    }
}

void runBiquads(const float* c, float* d, int numQuads, const short* in, float* out, int n) {
    for (int i = 0; i < n; ++i) {
        double v = double(c[0]) * in[i];
        for (int q = 0; q < numQuads; ++q) {
            const float* s = c + 1 + 4 * q;
            const double w1 = d[2 * q], w2 = d[2 * q + 1];
            const double w = v + double(s[0]) * w1 + double(s[1]) * w2;
            v = w + double(s[2]) * w1 + double(s[3]) * w2;
            d[2 * q + 1] = d[2 * q];
            d[2 * q] = static_cast<float>(w);
        }
        out[i] = static_cast<float>(v);
    }
}

// n samples through the records, the checks done. The block form (outWork
// true) also widens its outputs in a work array. Returns false after a failed
// allocation, with the delay line and outputs untouched.
bool filter(ArgChecks check, const IirTapState* t, IirDlyState* ds, const short* in, short* out, int n,
            bool outWork, int scaleMode, int* scaleFactor) {
    const int order = t->order;
    const int count = 2 * order + 1;  // arbitrary order and biquads alike
    float one = 0;
    float* coef = static_cast<float*>(allocateBytes(4LL * count));
    float* dly = coef ? static_cast<float*>(allocateBytes(4LL * order)) : nullptr;
    float* y = !dly ? nullptr : outWork ? static_cast<float*>(allocateBytes(4LL * n)) : &one;
    if (!y) {
        check.report(VOK_StatusNoMemory, kNoWork, __LINE__);
        vokFree(dly);
        vokFree(coef);
        return false;
    }
    const short* words = static_cast<const short*>(t->taps);
    short q;
    std::memcpy(&q, words, sizeof q);
    // The exported function on purpose: its own reports, under its own name, come first.
    voksbFixToFloat(words + 1, coef, count, 16, q, 0);
    int* dlyl = static_cast<int*>(ds->dlyl);
    if (order > 0) voksbIntToFloat(dlyl, dly, order, 32, 0);

    if (t->isBiquad) runBiquads(coef, dly, order / 2, in, y, n);
    else runArbitrary(coef, dly, order, in, y, n);
    vok::ownScaleFloatToShort(y, out, n, scaleMode, scaleFactor);
    if (order > 0) voksbFloatToInt(dly, dlyl, order, 32, VOK_RndNear);
    if (outWork) vokFree(y);
    vokFree(dly);
    vokFree(coef);
    return true;
}

short filterOne(ArgChecks check, const IirTapState* tapStPtr, IirDlyState* dlyStPtr, short samp, int scaleMode,
                int* scaleFactor) {
    const CheckAll all{check};
    all(!tapStPtr, "tapStPtr==0");
    all(!dlyStPtr, "dlyStPtr==0");
    if (all.failed() || vok::iir::recordsFail(all, tapStPtr, dlyStPtr)) return 0;
    short y = 0;
    return filter(check, tapStPtr, dlyStPtr, &samp, &y, 1, false, scaleMode, scaleFactor) ? y : short(0);
}

void filterBlock(ArgChecks check, const IirTapState* tapStPtr, IirDlyState* dlyStPtr, const short* inSamps,
                 short* outSamps, int numIters, int scaleMode, int* scaleFactor) {
    const CheckAll all{check};
    all(!tapStPtr, "tapStPtr==0");
    all(!dlyStPtr, "dlyStPtr==0");
    all(!inSamps, "inSamps==0");
    all(!outSamps, "outSamps==0");
    if (all.failed()) return;
    vok::iir::tapRecordTests(all, tapStPtr);
    all(tapStPtr->order > 0 && !dlyStPtr->dlyl, "structure *dlyStPtr wasn't initialized");
    all(numIters < 0, "numIters < 0");
    if (all.failed() || numIters == 0) return;
    filter(check, tapStPtr, dlyStPtr, inSamps, outSamps, numIters, true, scaleMode, scaleFactor);
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL vokwIirlInit(int iirType, float* taps, int order, IirTapState* tapStPtr) {
    init(VOK_CHECKS, iirType, taps, order, tapStPtr);
}

VOK_API void VOK_CALL vokwIirlInitBq(int iirType, float* taps, int numQuads, IirTapState* tapStPtr) {
    initBq(VOK_CHECKS, iirType, taps, numQuads, tapStPtr);
}

VOK_API void VOK_CALL vokwIirlInitDlyl(const IirTapState* tapStPtr, int* dlyl, IirDlyState* dlyStPtr) {
    vok::iir::initDlyl(VOK_CHECKS, tapStPtr, dlyl, dlyStPtr);
}

VOK_API short VOK_CALL vokwIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, short samp, int scaleMode,
                                int* scaleFactor) {
    return filterOne(VOK_CHECKS, tapStPtr, dlyStPtr, samp, scaleMode, scaleFactor);
}

VOK_API void VOK_CALL vokwbIirl(const IirTapState* tapStPtr, IirDlyState* dlyStPtr, const short* inSamps,
                                short* outSamps, int numIters, int scaleMode, int* scaleFactor) {
    filterBlock(VOK_CHECKS, tapStPtr, dlyStPtr, inSamps, outSamps, numIters, scaleMode, scaleFactor);
}

}  // extern "C"
