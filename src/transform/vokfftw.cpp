// Fourier transforms of 16-bit data. The samples are taken into float in the
// thread's work slots, the single-precision transform runs there, and the
// result comes back to 16 bits once: modes 0 and 1 round to nearest with
// saturation, the scaled modes go through the shared scale converters (one
// factor for both arrays of a pair). Only two-point real transforms and the
// packed spectrum products compute in integers.
#include <climits>
#include <cstdio>
#include <cstring>

#include "core/check.h"
#include "core/scale16.h"
#include "frame/context.h"
#include "transform/fft.h"
#include "vector/convert.h"
#include "vok/dft.h"
#include "vok/frame.h"
#include "vok/int16.h"
#include "vok/transform.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "vokfftw";

// ---- argument validation ----

// Every conflict of the asked groups is reported; the count is returned.
int validateFlags(ArgChecks check, int flags, bool bitOrder, bool inPack, bool outPack) {
    int failures = 0;
    auto fail = [&](const char* context) {
        check(true, context);
        ++failures;
    };
    const bool forw = flags & VOK_Forw, inv = flags & VOK_Inv;
    if (forw && inv) fail("VOK_Forw and VOK_Inv");
    else if (!forw && !inv) fail("no VOK_Forw or VOK_Inv");
    if (bitOrder) {
        if ((flags & VOK_InBitRev) && (flags & VOK_OutBitRev)) fail("VOK_InBitRev and VOK_OutBitRev");
        else if ((flags & VOK_InBitRev) && (flags & VOK_NoBitRev)) fail("VOK_InBitRev and VOK_NoBitRev");
        else if ((flags & VOK_OutBitRev) && (flags & VOK_NoBitRev)) fail("VOK_OutBitRev and VOK_NoBitRev");
    }
    if (inPack) {
        const bool pack = flags & VOK_InRCPack, perm = flags & VOK_InRCPerm;
        if (pack && perm) fail("VOK_InRCPack and VOK_InRCPerm");
        else if (!pack && !perm) fail("no VOK_InRCPack or VOK_InRCPerm");
    }
    if (outPack) {
        const bool pack = flags & VOK_OutRCPack, perm = flags & VOK_OutRCPerm;
        if (pack && perm) fail("VOK_OutRCPack and VOK_OutRCPerm");
        else if (!pack && !perm) fail("no VOK_OutRCPack or VOK_OutRCPerm");
    }
    return failures;
}

// Both scale-mode conflicts are reported when both apply.
bool badScale(ArgChecks check, int scaleMode, const int* scaleFactor) {
    const bool both = (scaleMode & (VOK_FIXED_SCALE | VOK_AUTO_SCALE)) == (VOK_FIXED_SCALE | VOK_AUTO_SCALE);
    const bool noFactor = (scaleMode & VOK_AUTO_SCALE) && !scaleFactor;
    if (both) check(true, "VOK_FIXED_SCALE and VOK_AUTO_SCALE");
    if (noFactor) check(true, "VOK_AUTO_SCALE and scaleFactor==NULL");
    return both || noFactor;
}

bool silentlyValid(int flags, bool bitOrder, int scaleMode, const int* scaleFactor) {
    const bool forw = flags & VOK_Forw, inv = flags & VOK_Inv;
    if (forw == inv) return false;
    if (bitOrder) {
        const int bits = flags & (VOK_NoBitRev | VOK_InBitRev | VOK_OutBitRev);
        if (bits & (bits - 1)) return false;
    }
    if ((scaleMode & 6) == 6 || ((scaleMode & 4) && !scaleFactor)) return false;
    return true;
}

// ---- work slots ----

void releaseSlots() {
    for (vok::WorkSlot& slot : vok::threadContext().tables.work) {
        vokFree(slot.buffer);
        slot.buffer = nullptr;
        slot.capacity = 0;
    }
}

void releaseSwap(int order) {
    if (order < 0 || order >= vok::kOrderSlots) return;
    int*& table = vok::threadContext().tables.swap[order];
    vokFree(table);
    table = nullptr;
}

void releaseEverything() {
    vok::releaseInternalFftTables(vok::kSingle);
    vok::releaseInternalFftTables(vok::kDouble);
    vok::releaseSwapTables();
    releaseSlots();
}

FloatComplex* slotOf(int slot, long long n) {
    if (n < 1 || n > INT_MAX / (long long)sizeof(FloatComplex)) return nullptr;
    return vok::workBuffer(slot, int(n));
}

// Slots 1 (and 2) with n complex floats each; on failure everything is
// released and the request made once more.
bool acquire(ArgChecks check, int count, long long n, float* (&buffers)[2]) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        bool ok = true;
        for (int i = 0; i < count && ok; ++i) {
            buffers[i] = reinterpret_cast<float*>(slotOf(1 + i, n));
            ok = buffers[i] != nullptr;
        }
        if (ok) return true;
        if (attempt == 0) releaseEverything();
    }
    check.report(VOK_StatusNoMemory, "No working memory", __LINE__);
    return false;
}

// ---- conversions ----

void toFloat(const short* src, float* dst, long long n) {
    for (long long i = 0; i < n; ++i) dst[i] = float(src[i]);
}

void roundSaturate(const float* src, short* dst, long long n) {
    vok::convert::FixFormat format;
    format.bits = 16;
    format.rounding = vok::convert::Rounding::near;
    format.clip = true;
    vok::convert::floatToFix(src, dst, int(n), format);
}

// One or two float arrays back to 16 bits; a pair shares one scale factor.
void backTo16(float* const (&src)[2], short* const (&dst)[2], int count, long long n, int scaleMode,
              int* scaleFactor) {
    if (scaleMode == 0 || scaleMode == 1) {
        for (int i = 0; i < count; ++i) roundSaturate(src[i], dst[i], n);
    } else if (count == 1) {
        vok::ownScaleFloatToShort(src[0], dst[0], int(n), scaleMode, scaleFactor);
    } else {
        vok::ownScaleFloatPairToShort(src[0], src[1], dst[0], dst[1], int(n), scaleMode, scaleFactor);
    }
}

// ---- the common sequence ----

enum class Order1 { kFloat, kRealPacked, kRealCcs, kPackedReal, kCcsReal };

struct Job {
    const char* core;                                  // the float transform's name, for backtraces
    void (*call)(float* a, float* b, int order, int flags);
    int arrays;                                        // 1 or 2 signals
    const short* in[2];
    short* out[2];
    const void* pointers[4];
    const char* pointerNames[4];
    int pointerCount;
    bool bitOrder, inPack, outPack;
    bool nip;                                          // in and out are different arrays
    bool zeroAtOneOnOrder0;                            // the two-signal CCS output writes 0 at position 1
    Order1 order1;
    long long slotSize;                                // complex floats per slot
    long long inCount, outCount;                       // 16-bit values per signal, as functions of N
};

void backtrace(ArgChecks check, const char* core, const char* what, int line) {
    char context[64];
    std::snprintf(context, sizeof context, "out %s %s", core, what);
    check.report(VOK_StatusBacktrace, context, line);
}

// Two-point real transforms in 32-bit integers.
void integerOrder1(const Job& job, int flags, int scaleMode, int* scaleFactor) {
    int values[8] = {};
    int per = 0;
    for (int s = 0; s < job.arrays; ++s) {
        const short* in = job.in[s];
        const int a = in[0];
        const int b = job.order1 == Order1::kCcsReal ? in[2] : in[1];
        int sum = a + b, diff = a - b;
        if ((flags & VOK_Inv) && !(flags & VOK_NoScale)) {
            sum >>= 1;
            diff >>= 1;
        }
        int* v = values + 4 * s;
        if (job.order1 == Order1::kRealCcs) {
            v[0] = sum, v[1] = 0, v[2] = diff, v[3] = 0;
            per = 4;
        } else {
            v[0] = sum, v[1] = diff;
            per = 2;
        }
    }
    // Pack both signals together so that they share one factor.
    int packed[8];
    for (int s = 0; s < job.arrays; ++s)
        for (int i = 0; i < per; ++i) packed[s * per + i] = values[4 * s + i];
    short results[8];
    vok::ownScaleIntToShort(packed, results, per * job.arrays, scaleMode, scaleFactor);
    for (int s = 0; s < job.arrays; ++s) std::memcpy(job.out[s], results + s * per, sizeof(short) * per);
}

void run(ArgChecks check, const Job& job, int order, int flags, int scaleMode, int* scaleFactor) {
    if (flags & VOK_Free) {
        job.call(nullptr, nullptr, order, VOK_Free);
        releaseSwap(order);
        releaseSlots();
        return;
    }
    vok::CheckAll all{check};
    all(order < 0, "order<0");
    all(order > 31, "order>31");
    if (all.failed()) return;
    const bool init = flags & VOK_Init;
    if (!init) {
        for (int i = 0; i < job.pointerCount; ++i)
            if (check(!job.pointers[i], job.pointerNames[i])) return;
        if (validateFlags(check, flags, job.bitOrder, job.inPack, job.outPack) != 0) return;
        if (badScale(check, scaleMode, scaleFactor)) return;
    }
    if (order == 0) {
        if (init) return;
        for (int s = 0; s < job.arrays; ++s) {
            if (job.nip) job.out[s][0] = job.in[s][0];
            if (job.zeroAtOneOnOrder0) job.out[s][1] = 0;
        }
        return;
    }
    if (order == 1 && job.order1 != Order1::kFloat && !init) {
        integerOrder1(job, flags, scaleMode, scaleFactor);
        return;
    }
    const long long n = 1LL << order;
    float* buffers[2] = {nullptr, nullptr};
    const long long slotSize = job.slotSize == 0 ? n : n / 2 + 1;
    if (!acquire(check, job.arrays, slotSize, buffers)) return;
    if (init) {
        job.call(nullptr, nullptr, order, VOK_Init);
        if (vokGetErrStatus() < 0) backtrace(check, job.core, "VOK_Init", __LINE__);
        return;
    }
    const long long inCount = job.inCount == 0 ? 2 * n : n + job.inCount - 1;
    const long long outCount = job.outCount == 0 ? 2 * n : n + job.outCount - 1;
    for (int s = 0; s < job.arrays; ++s) toFloat(job.in[s], buffers[s], inCount);
    job.call(buffers[0], buffers[1], order, flags);
    if (vokGetErrStatus() < 0) backtrace(check, job.core, "calc. FFT", __LINE__);
    backTo16(buffers, job.out, job.arrays, outCount, scaleMode, scaleFactor);
}

// Counts are coded relative to N: 0 means 2N, c > 0 means N + c - 1.
//
// The float core runs through its exported entry point on purpose: a failure
// in it must be reported under the core's own name (e.g. vokcFft, "No working
// Twd memory") before this form traces it ("out vokcFft calc. FFT").
constexpr long long kTwoN = 0, kN = 1, kNPlus2 = 3;

Job single(const char* core, void (*call)(float*, float*, int, int), const short* in, short* out, bool nip,
           const void* p0, const char* n0, const void* p1, const char* n1) {
    Job job{};
    job.core = core;
    job.call = call;
    job.arrays = 1;
    job.in[0] = in;
    job.out[0] = out;
    job.pointers[0] = p0;
    job.pointerNames[0] = n0;
    job.pointers[1] = p1;
    job.pointerNames[1] = n1;
    job.pointerCount = nip ? 2 : 1;
    job.nip = nip;
    return job;
}

// Two signals in and out; the pointers checked are the four arrays of the
// not-in-place form or the two of the in-place one, in that order.
Job pair(const char* core, void (*call)(float*, float*, int, int), const short* in0, const short* in1, short* out0,
         short* out1, bool nip, const char* const (&nipNames)[4], const char* const (&inPlaceNames)[2]) {
    Job job{};
    job.core = core;
    job.call = call;
    job.arrays = 2;
    job.in[0] = in0;
    job.in[1] = in1;
    job.out[0] = out0;
    job.out[1] = out1;
    const void* nipPointers[4] = {in0, in1, out0, out1};
    job.pointerCount = nip ? 4 : 2;
    for (int i = 0; i < job.pointerCount; ++i) {
        job.pointers[i] = nip ? nipPointers[i] : nipPointers[2 + i];
        job.pointerNames[i] = nip ? nipNames[i] : inPlaceNames[i];
    }
    job.nip = nip;
    return job;
}

// Packed real forms: RealFftl (N in, N packed out), CcsFftl (N packed in, N
// out), RealFft (N in, N + 2 out), CcsFft (N + 2 in, N out).
enum class RealKind { kRealFftl, kCcsFftl, kRealFft, kCcsFft };

void realForm(ArgChecks check, RealKind kind, const short* in, short* out, bool nip, int order, int flags,
              int scaleMode, int* scaleFactor) {
    static void (*const calls[])(float*, float*, int, int) = {
        [](float* a, float*, int o, int f) { voksRealFftl(a, o, f); },
        [](float* a, float*, int o, int f) { voksCcsFftl(a, o, f); },
        [](float* a, float*, int o, int f) { voksRealFft(a, o, f); },
        [](float* a, float*, int o, int f) { voksCcsFft(a, o, f); },
    };
    static const char* const cores[] = {"voksRealFftl", "voksCcsFftl", "voksRealFft", "voksCcsFft"};
    const int k = int(kind);
    Job job = nip ? single(cores[k], calls[k], in, out, true, in, "inSamps==0", out, "outSamps==0")
                  : single(cores[k], calls[k], out, out, false, out, "samps==0", nullptr, nullptr);
    job.slotSize = 1;  // N/2 + 1
    job.inPack = kind == RealKind::kCcsFftl;
    job.outPack = kind == RealKind::kRealFftl;
    job.inCount = kind == RealKind::kCcsFft ? kNPlus2 : kN;
    job.outCount = kind == RealKind::kRealFft ? kNPlus2 : kN;
    static const Order1 order1[] = {Order1::kRealPacked, Order1::kPackedReal, Order1::kRealCcs, Order1::kCcsReal};
    job.order1 = order1[k];
    if (nip && kind == RealKind::kRealFft) job.zeroAtOneOnOrder0 = true;
    run(check, job, order, flags, scaleMode, scaleFactor);
}

// The two-signal forms: one common scale factor for both spectra or signals.
void pairWithCommonScale(ArgChecks check, bool forwardReal, const short* xIn, short* xOut, const short* yIn,
                         short* yOut, bool nip, int order, int flags, int scaleMode, int* scaleFactor) {
    Job job = pair(forwardReal ? "voksReal2Fft" : "voksCcs2Fft",
                   forwardReal ? +[](float* a, float* b, int o, int f) { voksReal2Fft(a, b, o, f); }
                               : +[](float* a, float* b, int o, int f) { voksCcs2Fft(a, b, o, f); },
                   xIn, yIn, xOut, yOut, nip, {"xInSamps==0", "yInSamps==0", "xOutSamps==0", "yOutSamps==0"},
                   {"xSamps==0", "ySamps==0"});
    job.zeroAtOneOnOrder0 = forwardReal;
    job.order1 = forwardReal ? Order1::kRealCcs : Order1::kCcsReal;
    job.slotSize = 1;
    job.inCount = forwardReal ? kN : kNPlus2;
    job.outCount = forwardReal ? kNPlus2 : kN;
    run(check, job, order, flags, scaleMode, scaleFactor);
}

void complexSplit(ArgChecks check, const short* reIn, const short* imIn, short* reOut, short* imOut, bool nip,
                  int order, int flags, int scaleMode, int* scaleFactor) {
    Job job = pair("vokcrFft", [](float* a, float* b, int o, int f) { vokcrFft(a, b, o, f); }, reIn, imIn, reOut,
                   imOut, nip, {"reInSamps==0", "imInSamps==0", "reOutSamps==0", "imOutSamps==0"},
                   {"reSamps==0", "imSamps==0"});
    job.bitOrder = true;
    job.order1 = Order1::kFloat;
    job.slotSize = 1;  // N floats fit in N/2 + 1 complex floats
    job.inCount = kN;
    job.outCount = kN;
    run(check, job, order, flags, scaleMode, scaleFactor);
}

void complexInPlace(ArgChecks check, ShortComplex* samps, int order, int flags, int scaleMode, int* scaleFactor) {
    short* lanes = reinterpret_cast<short*>(samps);
    Job job = single("vokcFft", [](float* a, float*, int o, int f) { vokcFft(reinterpret_cast<FloatComplex*>(a), o, f); },
                     lanes, lanes, false, samps, "samps==0", nullptr, nullptr);
    job.bitOrder = true;
    job.order1 = Order1::kFloat;
    job.slotSize = 0;  // N
    job.inCount = kTwoN;
    job.outCount = kTwoN;
    run(check, job, order, flags, scaleMode, scaleFactor);
}

// The copy is made only when the in-place transform is going to accept the
// call, so a refused call leaves outSamps as it was.
void complexNip(ArgChecks check, const ShortComplex* inSamps, ShortComplex* outSamps, int order, int flags,
                int scaleMode, int* scaleFactor) {
    if (!(flags & VOK_Free)) {
        vok::CheckAll all{check};
        all(order < 0, "order<0");
        all(order > 31, "order>31");
        if (all.failed()) return;
        if (!(flags & VOK_Init)) {
            if (check(!inSamps, "inSamps==0") || check(!outSamps, "outSamps==0")) return;
            if (order == 0) {
                outSamps[0] = inSamps[0];
                return;
            }
            if (silentlyValid(flags, true, scaleMode, scaleFactor) && inSamps != outSamps)
                std::memcpy(outSamps, inSamps, sizeof(ShortComplex) * (std::size_t(1) << order));
        }
    }
    vokvFft(outSamps, order, flags, scaleMode, scaleFactor);
    if (vokGetErrStatus() < 0) check.report(VOK_StatusBacktrace, "out vokvFft", __LINE__);
}

// ---- spectrum products ----

// A real product under a non-automatic mode.
short storeProduct(long long p, int scaleMode, const int* scaleFactor) {
    if (scaleMode == VOK_SATURATE) return vok::saturate16(p);
    if (scaleMode == VOK_FIXED_SCALE || scaleMode == (VOK_FIXED_SCALE | VOK_SATURATE)) {
        const int f = vok::scaleFactorOrZero(scaleFactor);
        if (f > 0) p = ((p >> 1) + (p & 1)) >> (f - 1 < 62 ? f - 1 : 62);
        else if (f < 0) p = p * (1LL << (-f < 32 ? -f : 32));
        return scaleMode == VOK_FIXED_SCALE ? vok::wrap16(p) : vok::saturate16(p);
    }
    return vok::wrap16(p);
}

// dst = a·b for RCPack (perm false) or RCPerm spectra of N = 2^order values.
void mulPacked(ArgChecks check, const short* a, const short* b, short* dst, int order, int scaleMode,
               int* scaleFactor, bool perm, bool three) {
    if (check(order < 0, "order<0") || check(order > 31, "order>31")) return;
    if (three) {
        if (check(!a, "srcA==0") || check(!b, "srcB==0")) return;
    } else if (check(!a, "src==0")) {
        return;
    }
    if (check(!dst, "dst==0") || check(scaleMode == VOK_AUTO_SCALE && !scaleFactor, "scaleFactor==0")) return;
    const long long n = 1LL << order;
    const long long second = perm ? 1 : n - 1;  // the other real value (order >= 1)
    const int reals = order >= 1 ? 2 : 1;
    long long p[2] = {(long long)a[0] * b[0], reals == 2 ? (long long)a[second] * b[second] : 0};
    short r[2];
    int realShift = 0;
    if (scaleMode == VOK_AUTO_SCALE) {
        for (int i = 0; i < reals; ++i) {
            long long v = p[i] >> realShift;
            while (!vok::fits16(v)) {
                ++realShift;
                v = p[i] >> realShift;
            }
        }
        for (int i = 0; i < reals; ++i) r[i] = short(p[i] >> realShift);
    } else {
        for (int i = 0; i < reals; ++i) r[i] = storeProduct(p[i], scaleMode, scaleFactor);
    }
    const long long pairStart = perm ? 2 : 1;
    const long long pairs = order >= 2 ? n / 2 - 1 : 0;
    if (pairs > 0) {
        const auto* pa = reinterpret_cast<const ShortComplex*>(a + pairStart);
        const auto* pb = reinterpret_cast<const ShortComplex*>(b + pairStart);
        auto* pd = reinterpret_cast<ShortComplex*>(dst + pairStart);
        // The exported function on purpose: its own reports, under its own name, come first.
        vokvbMpy3(pa, pb, pd, int(pairs), scaleMode, scaleFactor);
        if (scaleMode == VOK_AUTO_SCALE) {
            const int pairShift = *scaleFactor;
            if (pairShift > realShift) {
                for (int i = 0; i < reals; ++i) r[i] = short(r[i] >> (pairShift - realShift));
            } else if (realShift > pairShift) {
                short* values = dst + pairStart;
                for (long long i = 0; i < 2 * pairs; ++i) values[i] = short(values[i] >> (realShift - pairShift));
                *scaleFactor = realShift;
            }
        }
    } else if (scaleMode == VOK_AUTO_SCALE) {
        *scaleFactor = realShift;
    }
    dst[0] = r[0];
    if (reals == 2) dst[second] = r[1];
}

}  // namespace

#define VOK_SCALE int scaleMode, int* scaleFactor

extern "C" {

VOK_API void VOK_CALL vokvFft(ShortComplex* samps, int order, int flags, VOK_SCALE) {
    complexInPlace(VOK_CHECKS, samps, order, flags, scaleMode, scaleFactor);
}
VOK_API void VOK_CALL vokvFftNip(const ShortComplex* inSamps, ShortComplex* outSamps, int order, int flags,
                                 VOK_SCALE) {
    complexNip(VOK_CHECKS, inSamps, outSamps, order, flags, scaleMode, scaleFactor);
}
VOK_API void VOK_CALL vokvrFft(short* reSamps, short* imSamps, int order, int flags, VOK_SCALE) {
    complexSplit(VOK_CHECKS, reSamps, imSamps, reSamps, imSamps, false, order, flags, scaleMode, scaleFactor);
}
VOK_API void VOK_CALL vokvrFftNip(const short* reInSamps, const short* imInSamps, short* reOutSamps,
                                  short* imOutSamps, int order, int flags, VOK_SCALE) {
    complexSplit(VOK_CHECKS, reInSamps, imInSamps, reOutSamps, imOutSamps, true, order, flags, scaleMode,
                 scaleFactor);
}

#define VOK_REAL_FORM(name, kind)                                                              \
    VOK_API void VOK_CALL name(short* samps, int order, int flags, VOK_SCALE) {                \
        realForm(VOK_CHECKS, kind, samps, samps, false, order, flags, scaleMode, scaleFactor); \
    }
#define VOK_REAL_FORM_NIP(name, kind)                                                                 \
    VOK_API void VOK_CALL name(const short* inSamps, short* outSamps, int order, int flags, VOK_SCALE) { \
        realForm(VOK_CHECKS, kind, inSamps, outSamps, true, order, flags, scaleMode, scaleFactor);    \
    }
VOK_REAL_FORM(vokwRealFftl, RealKind::kRealFftl)
VOK_REAL_FORM_NIP(vokwRealFftlNip, RealKind::kRealFftl)
VOK_REAL_FORM(vokwCcsFftl, RealKind::kCcsFftl)
VOK_REAL_FORM_NIP(vokwCcsFftlNip, RealKind::kCcsFftl)
VOK_REAL_FORM(vokwRealFft, RealKind::kRealFft)
VOK_REAL_FORM_NIP(vokwRealFftNip, RealKind::kRealFft)
VOK_REAL_FORM(vokwCcsFft, RealKind::kCcsFft)
VOK_REAL_FORM_NIP(vokwCcsFftNip, RealKind::kCcsFft)

#define VOK_TWO_FORM(name, forwardReal)                                                                     \
    VOK_API void VOK_CALL name(short* xSamps, short* ySamps, int order, int flags, VOK_SCALE) {             \
        pairWithCommonScale(VOK_CHECKS, forwardReal, xSamps, xSamps, ySamps, ySamps, false, order, flags,   \
                            scaleMode, scaleFactor);                                                        \
    }
#define VOK_TWO_FORM_NIP(name, forwardReal)                                                                 \
    VOK_API void VOK_CALL name(const short* xInSamps, short* xOutSamps, const short* yInSamps,              \
                               short* yOutSamps, int order, int flags, VOK_SCALE) {                         \
        pairWithCommonScale(VOK_CHECKS, forwardReal, xInSamps, xOutSamps, yInSamps, yOutSamps, true, order, \
                            flags, scaleMode, scaleFactor);                                                 \
    }
VOK_TWO_FORM(vokwReal2Fft, true)
VOK_TWO_FORM_NIP(vokwReal2FftNip, true)
VOK_TWO_FORM(vokwCcs2Fft, false)
VOK_TWO_FORM_NIP(vokwCcs2FftNip, false)

VOK_API void VOK_CALL vokwMpyRCPack2(const short* src, short* dst, int order, VOK_SCALE) {
    mulPacked(VOK_CHECKS, src, dst, dst, order, scaleMode, scaleFactor, false, false);
}
VOK_API void VOK_CALL vokwMpyRCPerm2(const short* src, short* dst, int order, VOK_SCALE) {
    mulPacked(VOK_CHECKS, src, dst, dst, order, scaleMode, scaleFactor, true, false);
}
VOK_API void VOK_CALL vokwMpyRCPack3(const short* srcA, const short* srcB, short* dst, int order, VOK_SCALE) {
    mulPacked(VOK_CHECKS, srcA, srcB, dst, order, scaleMode, scaleFactor, false, true);
}
VOK_API void VOK_CALL vokwMpyRCPerm3(const short* srcA, const short* srcB, short* dst, int order, VOK_SCALE) {
    mulPacked(VOK_CHECKS, srcA, srcB, dst, order, scaleMode, scaleFactor, true, true);
}

}  // extern "C"
