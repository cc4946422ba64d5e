// Twiddle tables of the three kinds (complex float, double and Q14 16-bit),
// the per-thread lists and per-order caches that keep them, and the work
// buffer slots of the transforms.
#include <cmath>

#include "core/check.h"
#include "frame/context.h"
#include "transform/fft.h"
#include "transform/mixedfft.h"
#include "vok/frame.h"
#include "vok/transform.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "voktwd";
constexpr double kTwoPi = 6.283185307179586;

// Entry k is (cos, -sin) of k·(2π/N); the angle is formed in double, the
// functions evaluated in long double, then rounded (or, for Q14, truncated).
template <class C>
C twiddle(long double c, long double s);
template <>
FloatComplex twiddle<FloatComplex>(long double c, long double s) { return {float(c), float(-s)}; }
template <>
DoubleComplex twiddle<DoubleComplex>(long double c, long double s) { return {double(c), double(-s)}; }
template <>
ShortComplex twiddle<ShortComplex>(long double c, long double s) {
    return {short(int(16384.0L * c)), short(int(-16384.0L * s))};
}

template <class C>
void fillTable(C* tbl, long long n) {
    const double step = kTwoPi / double(n);
    for (long long k = 0; k < n; ++k) {
        const long double angle = double(k) * step;
        tbl[k] = twiddle<C>(std::cos(angle), std::sin(angle));
    }
}

template <class C> constexpr int kindOf();
template <> constexpr int kindOf<FloatComplex>() { return vok::kKindC; }
template <> constexpr int kindOf<DoubleComplex>() { return vok::kKindZ; }
template <> constexpr int kindOf<ShortComplex>() { return vok::kKindV; }

template <class C>
C* allocTable(long long n) {
    if (n > 0x7fffffffLL / (long long)sizeof(C)) return nullptr;
    return static_cast<C*>(vokMalloc(int(n * (long long)sizeof(C))));
}

enum class Lookup { kFound, kFull, kNoMemory };

// The list entry of this length, or a new one filled and appended.
template <class C>
C* dftTable(int length, Lookup& outcome) {
    VokThreadContext& ctx = vok::threadContext();
    constexpr int kind = kindOf<C>();
    vok::DftTableList& list = ctx.tables.dft[kind];
    int& count = ctx.dftCount[kind];
    for (int i = 0; i < count; ++i)
        if (list.lengths[i] == length) {
            outcome = Lookup::kFound;
            list.recentLength = length;
            list.recentTable = list.tables[i];
            return static_cast<C*>(list.tables[i]);
        }
    if (count >= ctx.tableCapacity) {
        outcome = Lookup::kFull;
        return nullptr;
    }
    C* table = allocTable<C>(length);
    if (!table) {
        outcome = Lookup::kNoMemory;
        return nullptr;
    }
    fillTable(table, length);
    list.lengths[count] = length;
    list.tables[count] = table;
    list.recentLength = length;
    list.recentTable = table;
    ++count;
    outcome = Lookup::kFound;
    return table;
}

template <class C>
C* getDft(ArgChecks check, int length) {
    vok::CheckAll all{check};
    all(length < 1, "length<=0");
    if (all.failed()) return nullptr;
    Lookup outcome;
    C* table = dftTable<C>(length, outcome);
    if (outcome == Lookup::kFull) check.report(VOK_StatusNoMemory, "Full Table", __LINE__);
    else if (outcome == Lookup::kNoMemory) check.noMemory(__LINE__);
    return table;
}

template <class C>
void calcDft(ArgChecks check, C* tbl, int length) {
    if (check(length <= 0, "length<=0") || check(!tbl, "tbl==0")) return;
    fillTable(tbl, length);
}

template <class C>
C* getFft(ArgChecks check, int order) {
    vok::CheckAll all{check};
    all(order < 0, "order<0");
    all(order > 31, "order>31");
    if (all.failed()) return nullptr;
    void*& slot = vok::threadContext().tables.fftTwiddle[kindOf<C>()][order];
    if (slot) return static_cast<C*>(slot);
    C* table = allocTable<C>(1LL << order);
    if (!table) {
        check.noMemory(__LINE__);
        return nullptr;
    }
    fillTable(table, 1LL << order);
    slot = table;
    return table;
}

template <class C>
void calcFft(ArgChecks check, C* tbl, int order) {
    if (check(order < 0, "order<0") || check(order > 31, "order>31") || check(!tbl, "tbl==0")) return;
    fillTable(tbl, 1LL << order);
}

void freeKind(int kind) {
    VokThreadContext& ctx = vok::threadContext();
    vok::TransformCaches& t = ctx.tables;
    for (int i = 0; i < ctx.dftCount[kind]; ++i) {
        vokFree(t.dft[kind].tables[i]);
        t.dft[kind].tables[i] = nullptr;
        t.dft[kind].lengths[i] = 0;
    }
    ctx.dftCount[kind] = 0;
    t.dft[kind].recentLength = 0;
    t.dft[kind].recentTable = nullptr;
    for (void*& table : t.fftTwiddle[kind]) {
        vokFree(table);
        table = nullptr;
    }
    vok::releaseSwapTables();
}

}  // namespace

namespace vok {

FloatComplex* dftTwiddlesC(int length) {
    Lookup outcome;
    return length < 1 ? nullptr : dftTable<FloatComplex>(length, outcome);
}
DoubleComplex* dftTwiddlesZ(int length) {
    Lookup outcome;
    return length < 1 ? nullptr : dftTable<DoubleComplex>(length, outcome);
}
ShortComplex* dftTwiddlesV(int length) {
    Lookup outcome;
    return length < 1 ? nullptr : dftTable<ShortComplex>(length, outcome);
}

FloatComplex* workBuffer(int slot, int n) {
    if (n < 1 || slot < 0 || slot >= kWorkSlots) return nullptr;
    WorkSlot& w = threadContext().tables.work[slot];
    if (w.buffer && w.capacity >= n) return w.buffer;
    vokFree(w.buffer);
    w.buffer = vokcMalloc(n);
    w.capacity = w.buffer ? n : 0;
    return w.buffer;
}

void releaseInternalFftTables(int precision) {
    TransformCaches& t = threadContext().tables;
    for (auto& perOrder : t.internalFft[precision])
        for (void*& table : perOrder) {
            vokFree(table);
            table = nullptr;
        }
}

}  // namespace vok


extern "C" {

#define VOK_GET_DFT_TWIDDLES(name, C) \
    VOK_API C* VOK_CALL name(int length) { return getDft<C>(VOK_CHECKS, length); }
#define VOK_CALC_DFT_TWIDDLES(name, C) \
    VOK_API void VOK_CALL name(C* tbl, int length) { calcDft<C>(VOK_CHECKS, tbl, length); }
#define VOK_GET_FFT_TWIDDLES(name, C) \
    VOK_API C* VOK_CALL name(int order) { return getFft<C>(VOK_CHECKS, order); }
#define VOK_CALC_FFT_TWIDDLES(name, C) \
    VOK_API void VOK_CALL name(C* tbl, int order) { calcFft<C>(VOK_CHECKS, tbl, order); }

VOK_GET_DFT_TWIDDLES(vokcGetDftTwdTbl, FloatComplex)
VOK_CALC_DFT_TWIDDLES(vokcCalcDftTwdTbl, FloatComplex)
VOK_GET_FFT_TWIDDLES(vokcGetFftTwdTbl, FloatComplex)
VOK_CALC_FFT_TWIDDLES(vokcCalcFftTwdTbl, FloatComplex)
VOK_GET_DFT_TWIDDLES(vokzGetDftTwdTbl, DoubleComplex)
VOK_CALC_DFT_TWIDDLES(vokzCalcDftTwdTbl, DoubleComplex)
VOK_GET_FFT_TWIDDLES(vokzGetFftTwdTbl, DoubleComplex)
VOK_CALC_FFT_TWIDDLES(vokzCalcFftTwdTbl, DoubleComplex)
VOK_GET_DFT_TWIDDLES(vokvGetDftTwdTbl, ShortComplex)
VOK_CALC_DFT_TWIDDLES(vokvCalcDftTwdTbl, ShortComplex)
VOK_GET_FFT_TWIDDLES(vokvGetFftTwdTbl, ShortComplex)
VOK_CALC_FFT_TWIDDLES(vokvCalcFftTwdTbl, ShortComplex)

VOK_API void VOK_CALL vokcFreeTwdTbls(void) {
    freeKind(vok::kKindC);
    vok::releaseInternalFftTables(vok::kSingle);
    vok::releaseMixedRadixPlans(vok::kSingle);
    for (vok::WorkSlot& slot : vok::threadContext().tables.work) {
        vokFree(slot.buffer);
        slot.buffer = nullptr;
        slot.capacity = 0;
    }
}
VOK_API void VOK_CALL vokzFreeTwdTbls(void) {
    freeKind(vok::kKindZ);
    vok::releaseInternalFftTables(vok::kDouble);
    vok::releaseMixedRadixPlans(vok::kDouble);
}
VOK_API void VOK_CALL vokvFreeTwdTbls(void) { freeKind(vok::kKindV); }

}  // extern "C"
