// The complex and real FFTs of one precision, written once; vokffts.cpp and
// vokfftd.cpp stamp out the entry points. T is float or double.
//
// Tables, per precision and order, in the internal slots of the thread:
//   slot 0: the stage twiddles of the radix-4 kernels (kernels/fft.h);
//   slot 1: the same twiddles for the bit-reversed-output path, a block of
//           its own so that VOK_Free of either path leaves the other's;
//   slot 2: the large table W_N^k, k < N/2, read by the spectrum-to-real
//           pre-processing of order m;
//   slot 3: the real recombination table (0.5 cos θ, 0.5 - 0.5 sin θ),
//           θ = 2π(j+1)/N, kept at order m-1 for a real transform of order m.
#pragma once

#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "core/check.h"
#include "core/complex.h"
#include "frame/context.h"
#include "kernels/arith.h"
#include "kernels/dispatch.h"
#include "kernels/fft.h"
#include "kernels/fftblock.h"
#include "kernels/fftsmall.h"
#include "transform/bitrev.h"
#include "transform/fft.h"
#include "vok/frame.h"
#include "vok/transform.h"

namespace vok::fftimpl {

constexpr int kStageSlot = 0;
constexpr int kPairSlot = 1;
constexpr int kLargeSlot = 2;
constexpr int kRecombSlot = 3;
constexpr double kTwoPi = 6.283185307179586;

template <class T> inline constexpr int kPrecision = kSingle;
template <> inline constexpr int kPrecision<double> = kDouble;

// The complex record of T, as the swap kernels move it.
template <class T> struct Pair;
template <> struct Pair<float> { using type = std::uint64_t; };
template <> struct Pair<double> { using type = Block16; };
template <class T>
using PairOf = typename Pair<T>::type;

template <class T>
T* allocReals(long long count) {
    if (count > 0x7fffffffLL / (long long)sizeof(T)) return nullptr;
    return static_cast<T*>(vokMalloc(int(count * (long long)sizeof(T))));
}

template <class T>
void*& slotOf(int order, int which) {
    return threadContext().tables.internalFft[kPrecision<T>][order][which];
}

template <class T>
void releaseSlot(int order, int which) {
    void*& slot = slotOf<T>(order, which);
    vokFree(slot);
    slot = nullptr;
}

inline void setTwiddle(float* p, long double angle) {
    p[0] = float(std::cos(angle));
    p[1] = float(-std::sin(angle));
}
inline void setTwiddle(double* p, long double angle) {
    p[0] = double(std::cos(angle));
    p[1] = double(-std::sin(angle));
}

// Stage twiddles of the radix-4 kernels of this order.
template <class T>
const T* stageTable(int order, int which = kStageSlot) {
    void*& slot = slotOf<T>(order, which);
    if (slot) return static_cast<const T*>(slot);
    T* table = allocReals<T>(kernels::stageTableReals<T>(order));
    if (!table) return nullptr;
    const long long n = 1LL << order;
    table[0] = 1;
    table[1] = 0;
    T* p = table;
    for (long long s = (order & 1) ? 2 : 1; 4 * s <= n; s *= 4) {
        const double step = kTwoPi / double(4 * s);
        const int multiple[3] = {2, 1, 3};
        if (s >= kernels::kPackedSpan) {
            for (int run = 0; run < 3; ++run)
                for (long long k = 0; k < s; ++k)
                    setTwiddle(p + 2 * (s * run + k), (long double)(double(multiple[run] * k) * step));
            p += kernels::stageReals(s);
            continue;
        }
        for (int run = 0; run < 3; ++run) {
            T* re = p + 4 * s * run;
            T* im = re + 2 * s;
            for (long long k = 0; k < s; ++k) {
                T w[2];
                setTwiddle(w, (long double)(double(multiple[run] * k) * step));
                re[2 * k] = re[2 * k + 1] = w[0];
                im[2 * k] = -w[1];
                im[2 * k + 1] = w[1];
            }
        }
        p += kernels::stageReals(s);
    }
    // The first-pass copies, from the split runs of span 4 (even orders,
    // after the 12 reals of span 1) or 2 (odd orders, at the start).
    const int span = (order & 1) ? 2 : 4;
    const T* runs = table + ((order & 1) ? 0 : 12);
    const int width = kernels::kWidestRegister / int(sizeof(T));
    for (int j = 0; j < kernels::firstPassTwiddles(order); ++j) {
        const T* re = runs + 4 * span * (j / span) + 2 * (j % span);
        const T* im = re + 2 * span;
        for (int lane = 0; lane < width; ++lane) {
            p[lane] = re[lane & 1];
            p[width + lane] = im[lane & 1];
        }
        p += 2 * width;
    }
    slot = table;
    return table;
}

// W_N^k for k < N/2 ((1, 0) alone for order 0).
template <class T>
const T* largeTable(int order) {
    void*& slot = slotOf<T>(order, kLargeSlot);
    if (slot) return static_cast<const T*>(slot);
    const long long half = order == 0 ? 1 : 1LL << (order - 1);
    T* table = allocReals<T>(2 * half);
    if (!table) return nullptr;
    const double step = kTwoPi / double(1LL << order);
    for (long long k = 0; k < half; ++k) setTwiddle(table + 2 * k, (long double)(double(k) * step));
    slot = table;
    return table;
}

// Recombination entries of a real transform of order m, kept at order m-1.
template <class T>
const T* recombTable(int order) {
    void*& slot = slotOf<T>(order - 1, kRecombSlot);
    if (slot) return static_cast<const T*>(slot);
    const long long n = 1LL << order;
    const long long count = order <= 2 ? 1 : n / 4;
    T* table = allocReals<T>(2 * count);
    if (!table) return nullptr;
    if (n <= 2) {
        table[0] = T(-0.5);
        table[1] = T(0.5);
    } else {
        const double step = kTwoPi / double(n);
        for (long long j = 0; j < count; ++j) {
            const long double theta = double(j + 1) * step;
            table[2 * j] = T(0.5L * std::cos(theta));
            table[2 * j + 1] = T(0.5L - 0.5L * std::sin(theta));
        }
    }
    slot = table;
    return table;
}

template <class T>
void scale(T* x, long long count, double factor) {
    kernels::arithOps<T>().mulScalar(x, T(factor), x, int(count));
}

// ---- straight-line transforms of the smallest orders ----

// Up to these orders the straight-line kernels beat the general ones (the
// block kernels below take the natural-order complex calls from order 4 or 5).
// At 32 float points the general kernel, several complex values per register,
// takes 0.7 of the time of the straight line's one per register; doubles
// are one per register either way.
template <class T> inline constexpr int kSmallComplex = 5;
template <> inline constexpr int kSmallComplex<float> = 4;
constexpr int kSmallReal = 4;
// Real transforms of these orders run the block kernels (the complex block
// of half the points and a vector recombination); at 16 points the block of
// 8, two per vector, loses to the straight line (and so does the scalar
// recursion, double, at 32 points to the block of 16).
constexpr int kRealBlockFrom = kSmallReal + 1;
constexpr int kRealBlockTo = 7;
static_assert(kRealBlockFrom >= kernels::kBlockRealFirstOrder && kRealBlockTo <= kernels::kBlockRealLastOrder);

// Whether every complex call of this order runs a straight-line kernel (or,
// at order 0, a copy), which needs no work memory.
template <class T>
constexpr bool hasSmallComplex(int order) {
    return order <= kSmallComplex<T>;
}

template <class T>
using SmallComplexFn = void (*)(const T*, const T*, T*, T*);
template <class T>
using SmallRealFn = void (*)(const T*, T*);

// Processors with AVX take the straight-line kernels in the VEX encoding
// (kernels/fftsmall.h): the same operations, none of the SSE2 forms' register
// copies, and no wait on the upper halves of registers that the caller's
// 256-bit code left set. The interleaved double transform of 16 points in
// natural order has a kernel of its own there, two values per operation in
// one 256-bit vector (at SSE2 width it runs on two halves). The bit-reversed
// complex calls are rare and keep the SSE2 kernels.

// Complex kernels, 18 per order from order 1: index 18·(order - 1) +
// 6·inverse + 2·bitOrder + scaled for interleaved data, + 12 + 2·bitOrder +
// scaled for split arrays (whose inverse exchanges the arrays instead);
// bitOrder 0 natural, 1 input reversed, 2 output reversed; with Vex the AVX
// kernels where there are some.
//
// Calls in place of up to kScalarInPlaceOrders take the kernels on scalars
// (the same operations, the same results): the next call's loads wait for
// this one's stores, and the vectors' shuffles of parts lengthen that chain
// (4 points 5.7 -> 4.7 ns float, 5.2 -> 4.8 ns double); out of place, and
// at 8 points, the vectors' fewer operations win. Calls of 8 points in
// place take a vector kernel of their own with a shorter chain
// (kernels::small::eightPoints), and those of 16 double points a shorter
// form of the pair kernel.
constexpr int kScalarInPlaceOrders = 2;
template <class T, bool Vex, bool InPlace, int Order, bool Split, bool Inv, bool RevIn, bool RevOut, bool Scaled>
constexpr SmallComplexFn<T> smallComplexFn() {
    constexpr bool natural = !RevIn && !RevOut;
    if constexpr (InPlace && Order <= kScalarInPlaceOrders) {
        namespace k = kernels::small;
        if constexpr (Vex && simd::kHasVex) return &k::complexFftScalarVex<T, Order, Split, Inv, RevIn, RevOut, Scaled>;
        else return &k::complexFftScalar<T, Order, Split, Inv, RevIn, RevOut, Scaled>;
    } else if constexpr (InPlace && natural && !Split && Order == 3) {
        if constexpr (Vex && simd::kHasVex) return &kernels::small::eightPointsVex<T, false, Inv, false, false, Scaled>;
        else return &kernels::small::eightPoints<T, false, Inv, false, false, Scaled>;
    } else if constexpr (natural && !Split && std::is_same_v<T, double> && Order == 4) {
        if constexpr (Vex && simd::kHasVex) return &kernels::small::pairFft16Wide<T, Inv, Scaled, InPlace>;
        else return &kernels::small::pairFft16Halves<T, Inv, Scaled, InPlace>;
    } else if constexpr (natural && Vex && simd::kHasVex)
        return &kernels::small::complexFftVex<T, Order, Split, Inv, RevIn, RevOut, Scaled>;
    else return &kernels::small::complexFft<T, Order, Split, Inv, RevIn, RevOut, Scaled>;
}
template <class T, bool Vex, bool InPlace, int... I>
constexpr std::array<SmallComplexFn<T>, sizeof...(I)> smallComplexTable(std::integer_sequence<int, I...>) {
    return {smallComplexFn<T, Vex, InPlace, I / 18 + 1, I % 18 >= 12, I % 18 / 6 == 1, I % 18 / 2 % 3 == 1,
                           I % 18 / 2 % 3 == 2, I % 2 == 1>()...};
}
// Real kernels, 12 per order from order 1: 12·(order - 1) + 4·layout + 2·conj + scaled.
template <class T, bool ToReal, int Order, int Layout, bool Conj, bool Scaled, bool Vex>
constexpr SmallRealFn<T> smallRealFn() {
    namespace k = kernels::small;
    if constexpr (Vex && simd::kHasVex)
        return ToReal ? &k::ccsToRealVex<T, Order, Layout, Conj, Scaled> : &k::realForwardVex<T, Order, Layout, Conj, Scaled>;
    else return ToReal ? &k::ccsToReal<T, Order, Layout, Conj, Scaled> : &k::realForward<T, Order, Layout, Conj, Scaled>;
}
template <class T, bool ToReal, bool Vex, int... I>
constexpr std::array<SmallRealFn<T>, sizeof...(I)> smallRealTable(std::integer_sequence<int, I...>) {
    return {smallRealFn<T, ToReal, I / 12 + 1, I % 12 / 4, I / 2 % 2 == 1, I % 2 == 1, Vex>()...};
}
template <class T, bool Vex, bool InPlace>
inline constexpr auto kSmallComplexFns =
    smallComplexTable<T, Vex, InPlace>(std::make_integer_sequence<int, 18 * kSmallComplex<T>>{});
template <class T, bool ToReal, bool Vex = false>
inline constexpr auto kSmallRealFns =
    smallRealTable<T, ToReal, Vex>(std::make_integer_sequence<int, 12 * kSmallReal>{});

// ---- complex transforms ----

struct Direction {
    bool inverse, inBitRev, outBitRev;
};

constexpr Direction directionOf(int flags) {
    Direction d;
    d.inverse = (flags & VOK_Inv) != 0;
    d.inBitRev = (flags & VOK_InBitRev) != 0;
    d.outBitRev = (flags & VOK_OutBitRev) != 0 && !d.inBitRev;
    return d;
}

// Split arrays, and interleaved ones off the cache line, run through
// interleaved work memory (work slot 3).
// It has a page to spare: see halfPageFrom.
constexpr std::uintptr_t kPageBytes = 4096;
template <class T>
T* splitWork(int order) {
    const long long floats = ((2LL << order) * (long long)sizeof(T) + (long long)kPageBytes) / 4;  // 4-byte units
    if ((floats + 1) / 2 > 0x7fffffffLL) return nullptr;
    return reinterpret_cast<T*>(workBuffer(3, int((floats + 1) / 2)));
}
// Work memory placed half a page from the array its last stage writes,
// modulo the page, on the same cache-line offset: that stage's loads then
// never seem to hit its own pending stores.
template <class T>
T* halfPageFrom(T* work, const void* to) {
    const std::uintptr_t apart =
        (reinterpret_cast<std::uintptr_t>(to) + kPageBytes / 2 - reinterpret_cast<std::uintptr_t>(work)) &
        (kPageBytes - 64);
    return work + apart / sizeof(T);
}

// A natural-order transform into x, read from src (or x itself when src is
// null). Wide loads and stores that straddle cache lines cost up to half the
// time of a pass: an array off the line runs through aligned work memory,
// read by the first pass and written back by the last.
template <class T>
void naturalInto(const T* src, T* x, int order, const T* stages, bool inverse) {
    if (order >= 8 && (reinterpret_cast<std::uintptr_t>(x) & 63)) {
        T* work = splitWork<T>(order);
        if (work && !(reinterpret_cast<std::uintptr_t>(work) & 63)) {
            kernels::fftOps<T>(order).ditNaturalTo(src ? src : x, halfPageFrom(work, x), x, order, stages, inverse);
            return;
        }
    }
    kernels::fftOps<T>(order).ditNatural(src, x, order, stages, inverse);
}

// In place on interleaved data; src, when given, is the input to copy (or
// permute) into x first. d by reference: passed by value, its flags, stored
// in parts, were read back as one word, which waits for the stores to retire.
template <class T>
void complexCore(const T* src, T* x, int order, const Direction& d, const T* stages, const int* swap) {
    (void)swap;
    const long long n = 1LL << order;
    if (d.outBitRev) {
        if (src) std::memcpy(x, src, size_t(2 * n) * sizeof(T));
        kernels::fftOps<T>(order).dif(x, order, stages, d.inverse);
        return;
    }
    if (!d.inBitRev) {
        naturalInto(src, x, order, stages, d.inverse);
        return;
    }
    if (src) std::memcpy(x, src, size_t(2 * n) * sizeof(T));
    kernels::fftOps<T>(order).dit(x, order, stages, d.inverse);
}

// Step 3 of every complex transform: the stage (or, for bit-reversed output,
// pair) and swap tables of the order.
template <class T>
[[gnu::cold, gnu::noinline]] bool buildComplexTables(int order, int which, const T*& stages, const int*& swap) {
    stages = stageTable<T>(order, which);
    swap = stages ? swapTable(order) : nullptr;
    if (stages && swap) return true;
    releaseInternalFftTables(kPrecision<T>);
    releaseSwapTables();
    return false;
}
template <class T>
[[gnu::always_inline]] inline bool complexTables(int order, const T*& stages, const int*& swap, bool outBitRev = false) {
    // Bit-reversed output runs its own (pair) table, so each path can be released alone.
    const int which = outBitRev ? kPairSlot : kStageSlot;
    TransformCaches& tables = threadContext().tables;
    stages = static_cast<const T*>(tables.internalFft[kPrecision<T>][order][which]);
    swap = tables.swap[order];
    if (stages && swap) [[likely]]
        return true;
    return buildComplexTables<T>(order, which, stages, swap);
}

// One direction and at most one of the bit-order flags 32, 64 and 128: the
// common case, tested without building any report.
constexpr bool complexFlagsGood(int flags) {
    const int direction = flags & 3, bitOrder = flags & 224;
    return (direction == 1 || direction == 2) && (bitOrder & (bitOrder - 1)) == 0;
}

template <class T>
[[gnu::cold, gnu::noinline]] bool complexFlagsBad(ArgChecks check, int flags) {
    return check((flags & 1) && (flags & 2), "(flags & 1) && (flags & 2)") ||
           check((flags & 1) == 0 && (flags & 2) == 0, "(flags & 1)==0 && (flags & 2)==0") ||
           check((flags & 64) && (flags & 128), "(flags & 64) && (flags & 128)") ||
           check((flags & 64) && (flags & 32), "(flags & 64) && (flags & 32)") ||
           check((flags & 32) && (flags & 128), "(flags & 32) && (flags & 128)");
}

// Steps 1 to 4; false when the call is over.
template <class T>
[[gnu::cold, gnu::noinline]] void releaseComplexTables(int order, int flags) {
    if (order < 0 || order > kMaxOrder) return;
    releaseSlot<T>(order, directionOf(flags).outBitRev ? kPairSlot : kStageSlot);
    int*& s = threadContext().tables.swap[order];
    vokFree(s);
    s = nullptr;
}

template <class T>
[[gnu::always_inline]] inline bool complexPrologue(ArgChecks check, int order, int flags, const T*& stages,
                                                   const int*& swap) {
    if (flags & VOK_Free) [[unlikely]] {
        releaseComplexTables<T>(order, flags);
        return false;
    }
    if (check(order < 0, "order<0") || check(order > 31, "order>31")) return false;
    if (!complexTables<T>(order, stages, swap, directionOf(flags).outBitRev)) {
        check.report(VOK_StatusNoMemory, "No working Twd memory", __LINE__);
        return false;
    }
    return (flags & VOK_Init) == 0;
}

constexpr bool scales(int flags) { return (flags & VOK_Inv) && !(flags & VOK_NoScale); }

// Natural-order calls of these orders (interleaved, split) run the block
// kernels: several points per register, where the straight-line kernels hold
// one and the general ones pay loops and table walks.
// Below these orders the straight-line kernels' shorter chains win; double
// interleaved data is one complex value per 128-bit register there anyway.
template <class T> inline constexpr int kBlockFrom[2] = {4, 4};
template <> inline constexpr int kBlockFrom<double>[2] = {5, 4};
template <class T> inline constexpr int kBlockTo[2] = {7, 7};
static_assert(kBlockFrom<float>[0] >= kernels::kBlockFirstOrder && kBlockFrom<double>[0] >= kernels::kBlockFirstOrder &&
              kBlockTo<float>[0] <= kernels::kBlockLastOrder);

template <class T>
constexpr bool blockCall(bool split, int order, int flags) {
    return order >= kBlockFrom<T>[split] && order <= kBlockTo<T>[split] && !(flags & (VOK_InBitRev | VOK_OutBitRev));
}

// ---- small calls by table ----

// What a call of orders 0 ... kCodedOrders - 1 runs, by its order and flag
// bits, for a call whose pointers are given and whose tables are built:
// a straight-line kernel (its index in the kernel table), a block kernel
// (kBlockCode + its row and column), or kNoCode when the call takes the
// checked path (Init, Free, order 0, bad flags, the general kernels).
// The entries take a small call by one load of this code.
constexpr int kCodedOrders = kernels::kBlockLastOrder + 1;
constexpr std::uint8_t kNoCode = 0xff, kBlockCode = 0x80;
static_assert(18 * 5 < kBlockCode && kBlockCode + 8 * 4 < kNoCode);

template <class T>
constexpr std::uint8_t complexCode(bool split, int order, int flags) {
    if (order < 1 || order >= kCodedOrders || (flags & (VOK_Init | VOK_Free)) || !complexFlagsGood(flags))
        return kNoCode;
    const bool inverse = (flags & VOK_Inv) != 0;
    if (blockCall<T>(split, order, flags))
        return std::uint8_t(kBlockCode + 8 * (order - kernels::kBlockFirstOrder) + 2 * (2 * split + inverse) +
                            scales(flags));
    if (order > kSmallComplex<T>) return kNoCode;
    const Direction d = directionOf(flags);
    const int bitOrder = d.inBitRev ? 1 : d.outBitRev ? 2 : 0;
    return std::uint8_t(18 * (order - 1) + 2 * bitOrder + scales(flags) + (split ? 12 : 6 * inverse));
}
// By order and the low byte of the flags (no complex flag lies above it).
template <class T, bool Split>
inline constexpr auto kComplexCodes = [] {
    std::array<std::array<std::uint8_t, 256>, kCodedOrders> codes{};
    for (int order = 0; order < kCodedOrders; ++order)
        for (int flags = 0; flags < 256; ++flags) codes[order][flags] = complexCode<T>(Split, order, flags);
    return codes;
}();

// Out of line: the entries keep the small frame of the straight-line
// kernels' calls.
template <class T>
[[gnu::noinline]] void runBlock(int code, const T* re, const T* im, T* reOut, T* imOut) {
    const int at = code - kBlockCode, order = at / 8 + kernels::kBlockFirstOrder;
    kernels::blockOps<T>().fn[at / 8][at % 8](re, im, reOut, imOut, at % 2 ? T(1) / T(1 << order) : T(1));
}
// The kernel of a code other than kNoCode (interleaved data pass null
// imaginary arrays).
template <class T, bool InPlace>
[[gnu::always_inline]] inline void runComplex(int code, const T* re, const T* im, T* reOut, T* imOut, int flags) {
    if (code >= kBlockCode) return runBlock<T>(code, re, im, reOut, imOut);
    const SmallComplexFn<T> fn =
        (simd::vexCopiesActive() ? kSmallComplexFns<T, true, InPlace> : kSmallComplexFns<T, false, InPlace>)[code];
    if (im && (flags & VOK_Inv)) fn(im, re, imOut, reOut);
    else fn(re, im, reOut, imOut);
}

// The small kernels' calls, after the checks; false for the general kernels.
template <class T>
[[gnu::always_inline]] inline bool smallComplex(const T* re, const T* im, T* reOut, T* imOut, int order, int flags) {
    if (order >= kCodedOrders) return false;
    const int code = (im ? kComplexCodes<T, true> : kComplexCodes<T, false>)[order][flags & 255];
    if (code == kNoCode) return false;
    if (re == reOut) runComplex<T, true>(code, re, im, reOut, imOut, flags);
    else runComplex<T, false>(code, re, im, reOut, imOut, flags);
    return true;
}

// The fast paths read the tables of a thread that has a context; the first
// call of a thread takes the checked path, which creates it.
template <class T>
[[gnu::always_inline]] inline bool complexTablesBuilt(int order, int flags) {
    const VokThreadContext* context = platform::loadContext();
    if (!context) return false;
    const TransformCaches& tables = context->tables;
    const int which = (flags & VOK_OutBitRev) ? kPairSlot : kStageSlot;  // a code has one bit order at most
    return tables.internalFft[kPrecision<T>][order][which] && tables.swap[order];
}

enum class ComplexForm { kInPlace, kNip, kSplit, kSplitNip };

template <class T>
[[gnu::noinline]] void complexInPlaceChecked(const ArgChecks& check, T* x, int order, int flags);
template <class T>
[[gnu::noinline]] void complexNipChecked(const ArgChecks& check, const T* in, T* out, int order, int flags);
template <class T>
[[gnu::noinline]] void complexSplitChecked(const ArgChecks& check, const T* reIn, const T* imIn, T* reOut, T* imOut,
                                           int order, int flags, bool nip);

// Every complex entry: the common small call (pointers given, the order's
// tables built, a code in the table) passes every check of the checked path
// and runs the same kernel; taken first, it needs no frame, and anything
// else is a tail call with the entry's constant check record.
template <class T, ComplexForm Form>
[[gnu::always_inline]] inline void complexEntry(const ArgChecks& check, const T* re, const T* im, T* reOut, T* imOut,
                                                int order, int flags) {
    constexpr bool split = Form == ComplexForm::kSplit || Form == ComplexForm::kSplitNip;
    constexpr bool nip = Form == ComplexForm::kNip || Form == ComplexForm::kSplitNip;
    if (unsigned(order) < unsigned(kCodedOrders) && re && reOut && (!split || (im && imOut))) {
        const int code = kComplexCodes<T, split>[order][flags & 255];
        if (code != kNoCode && complexTablesBuilt<T>(order, flags))
            return runComplex<T, !nip>(code, re, im, reOut, imOut, flags);
    }
    if constexpr (Form == ComplexForm::kInPlace) complexInPlaceChecked<T>(check, reOut, order, flags);
    else if constexpr (Form == ComplexForm::kNip) complexNipChecked<T>(check, re, reOut, order, flags);
    else complexSplitChecked<T>(check, re, im, reOut, imOut, order, flags, Form == ComplexForm::kSplitNip);
}

template <class T>
[[gnu::noinline]] void complexInPlaceChecked(const ArgChecks& check, T* x, int order, int flags) {
    const T* stages;
    const int* swap;
    if (!complexPrologue<T>(check, order, flags, stages, swap)) return;
    if (check(!x, "samps==0") || (!complexFlagsGood(flags) && complexFlagsBad<T>(check, flags))) return;
    if (order == 0) return;
    if (smallComplex<T>(x, nullptr, x, nullptr, order, flags)) return;
    complexCore<T>(nullptr, x, order, directionOf(flags), stages, swap);
    if (scales(flags)) scale(x, 2LL << order, 1.0 / double(1LL << order));
}

template <class T>
[[gnu::noinline]] void complexNipChecked(const ArgChecks& check, const T* in, T* out, int order, int flags) {
    const T* stages;
    const int* swap;
    if (!complexPrologue<T>(check, order, flags, stages, swap)) return;
    if (check(!in, "inSamps==0") || check(!out, "outSamps==0") ||
        (!complexFlagsGood(flags) && complexFlagsBad<T>(check, flags)))
        return;
    if (order == 0) {
        out[0] = in[0];
        out[1] = in[1];
        return;
    }
    if (smallComplex<T>(in, nullptr, out, nullptr, order, flags)) return;
    complexCore<T>(in, out, order, directionOf(flags), stages, swap);
    if (scales(flags)) scale(out, 2LL << order, 1.0 / double(1LL << order));
}

template <class T>
[[gnu::noinline]] void complexSplitChecked(const ArgChecks& check, const T* reIn, const T* imIn, T* reOut, T* imOut,
                                           int order, int flags, bool nip) {
    const T* stages;
    const int* swap;
    if (!complexPrologue<T>(check, order, flags, stages, swap)) return;
    // The straight-line kernels read and write the arrays themselves.
    T* work = hasSmallComplex<T>(order) ? nullptr : splitWork<T>(order);
    if (!work && !hasSmallComplex<T>(order)) {
        check.report(VOK_StatusNoMemory, "No working Twd memory", __LINE__);
        return;
    }
    if (flags & VOK_Init) return;
    if (nip) {
        if (check(!reIn, "reInSamps==0") || check(!imIn, "imInSamps==0") || check(!reOut, "reOutSamps==0") ||
            check(!imOut, "imOutSamps==0"))
            return;
    } else if (check(!reOut, "reSamps==0") || check(!imOut, "imSamps==0")) {
        return;
    }
    if (!complexFlagsGood(flags) && complexFlagsBad<T>(check, flags)) return;
    const long long n = 1LL << order;
    if (order == 0) {
        reOut[0] = reIn[0];
        imOut[0] = imIn[0];
        return;
    }
    if (smallComplex<T>(reIn, imIn, reOut, imOut, order, flags)) return;
    const kernels::FftOps<T>& ops = kernels::fftOps<T>(order);
    // From the flags themselves: a Direction built here and passed on was
    // stored in parts and read back whole, which waits for the stores.
    if (!(flags & (VOK_InBitRev | VOK_OutBitRev)))
        return ops.splitNatural(reIn, imIn, work, reOut, imOut, order, stages, (flags & VOK_Inv) != 0, scales(flags));
    ops.interleave(reIn, imIn, work, n);
    complexCore<T>(nullptr, work, order, directionOf(flags), stages, swap);
    const T factor = scales(flags) ? T(1.0 / double(n)) : T(1);
    if (factor != T(1)) scale(work, 2 * n, 1.0 / double(n));
    ops.deinterleave(work, reOut, imOut, n);
}

// ---- real transforms ----

enum class Layout { kPack, kPerm, kCcs };

// Real forward of order m >= 2 on x, which holds the M = N/2 complex values
// z[n] = x[2n] + i x[2n+1] (read from src instead when src is given). Leaves
// R0 at 0 and (R_k, I_k) at 2k, 2k+1 with R(N/2) at 1, or packed, (R_k, I_k)
// at 2k-1, 2k with R(N/2) at N-1.
template <class T>
void realCore(const T* src, T* x, int order, bool inverse, const T* stages, const T* recomb, bool packed = false) {
    const int half = order - 1;
    const long long m = 1LL << half;
    kernels::fftOps<T>(half).ditNatural(src, x, half, stages, inverse);
    const double z0r = x[0], z0i = x[1];
    x[0] = T(z0r + z0i);
    if (!inverse) kernels::fftOps<T>(half).realForwardPost(x, m, recomb, packed);
    else kernels::fftOps<T>(half).realInversePost(x, m, recomb, packed);
    if (packed) {
        x[2 * m - 1] = T(z0r - z0i);
        return;
    }
    if (!inverse) x[m + 1] = -x[m + 1];  // X[M/2] = conj Z[M/2]
    x[1] = T(z0r - z0i);
}

// From the core's arrangement into the caller's layout (x has N + 2 room for
// CCS); the core packs by itself.
template <class T>
void placeSpectrum(T* x, long long n, Layout layout) {
    const T nyquist = x[1];
    if (layout != Layout::kCcs) return;
    x[1] = 0;
    x[n] = nyquist;
    x[n + 1] = 0;
}

template <class T>
[[gnu::noinline]] bool buildRealTables(int order, bool ccsInput, const T*& stages, const int*& swap, const T*& extra) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        stages = stageTable<T>(order - 1);
        swap = stages ? swapTable(order - 1) : nullptr;
        extra = swap ? (ccsInput ? largeTable<T>(order) : recombTable<T>(order)) : nullptr;
        if (extra) return true;
        releaseInternalFftTables(kPrecision<T>);
    }
    return false;
}

// The tables in place, read inline: this and the checks are most of the
// time of a transform of a few points.
template <class T>
inline bool realTables(int order, bool ccsInput, const T*& stages, const int*& swap, const T*& extra) {
    TransformCaches& tables = threadContext().tables;
    void* const* slots = tables.internalFft[kPrecision<T>][order - 1];
    stages = static_cast<const T*>(slots[kStageSlot]);
    swap = tables.swap[order - 1];
    extra = static_cast<const T*>(ccsInput ? tables.internalFft[kPrecision<T>][order][kLargeSlot] : slots[kRecombSlot]);
    if (stages && swap && extra) [[likely]]
        return true;
    return buildRealTables<T>(order, ccsInput, stages, swap, extra);
}

// Builds (or finds) the complex and both real tables of an order.
template <class T>
int prepareTables(int order) {
    if (order < 0 || order > kMaxOrder) return VOK_StatusBadArg;
    const T *stages, *halfStages, *extra;
    const int* swap;
    if (!complexTables<T>(order, stages, swap)) return VOK_StatusNoMemory;
    if (order >= 2 && (!realTables<T>(order, false, halfStages, swap, extra) ||
                       !realTables<T>(order, true, halfStages, swap, extra)))
        return VOK_StatusNoMemory;
    return VOK_StatusOk;
}

template <class T>
void releaseRealTables(int order, bool ccsInput) {
    if (order < 1 || order > kMaxOrder) return;
    releaseSlot<T>(order - 1, kStageSlot);
    if (ccsInput) releaseSlot<T>(order, kLargeSlot);
    else releaseSlot<T>(order - 1, kRecombSlot);
    int*& s = threadContext().tables.swap[order - 1];
    vokFree(s);
    s = nullptr;
}

// Steps 1 to 4 of every real transform; false when the call is over.
template <class T>
[[gnu::always_inline]] inline bool realPrologue(ArgChecks check, int order, int flags, bool ccsInput, const T*& stages, const int*& swap,
                  const T*& extra) {
    if (flags & VOK_Free) {
        releaseRealTables<T>(order, ccsInput);
        return false;
    }
    if (check(order < 0, "order<0") || check(order > 31, "order>31")) return false;
    if (order >= 2 && !realTables<T>(order, ccsInput, stages, swap, extra)) {
        check.report(VOK_StatusNoMemory, "No working Twd memory", __LINE__);
        return false;
    }
    return (flags & VOK_Init) == 0;
}

inline bool directionBad(ArgChecks check, int flags) {
    return check((flags & 1) && (flags & 2), "(flags & 1) && (flags & 2)") ||
           check((flags & 1) == 0 && (flags & 2) == 0, "(flags & 1)==0 && (flags & 2)==0");
}
inline bool outPackingBad(ArgChecks check, int flags) {
    return check((flags & 256) && (flags & 512), "(flags & 256) && (flags & 512)") ||
           check((flags & 256) == 0 && (flags & 512) == 0, "(flags & 256)==0 && (flags & 512)==0");
}
inline bool inPackingBad(ArgChecks check, int flags) {
    return check((flags & 1024) && (flags & 4096), "(flags & 1024) && (flags & 4096)") ||
           check((flags & 1024) == 0 && (flags & 4096) == 0, "(flags & 1024)==0 && (flags & 4096)==0");
}

// ---- small real calls by table ----

// What a real call of orders 0 ... kCodedOrders - 1 runs, as for the complex
// calls: a straight-line kernel's index, kBlockCode + a block kernel's, or
// kNoCode. conj: the spectrum's imaginary parts negated (the inverse sign
// forward, the forward sign back to the signal).
template <class T>
constexpr std::uint8_t realCode(bool toReal, bool packed, int order, int flags) {
    const int direction = flags & 3;
    if (order < 1 || order >= kCodedOrders || (flags & (VOK_Init | VOK_Free)) || direction == 0 || direction == 3)
        return kNoCode;
    const int pack = toReal ? VOK_InRCPack : VOK_OutRCPack, perm = toReal ? VOK_InRCPerm : VOK_OutRCPerm;
    if (packed && !(flags & pack) == !(flags & perm)) return kNoCode;
    const int layout = int(!packed ? Layout::kCcs : (flags & pack) ? Layout::kPack : Layout::kPerm);
    const int conj = toReal == !(flags & VOK_Inv);
    if (order <= kSmallReal) return std::uint8_t(12 * (order - 1) + 4 * layout + 2 * conj + scales(flags));
    return std::uint8_t(kBlockCode + 4 * (3 * (order - kRealBlockFrom) + layout) + 2 * conj + scales(flags));
}
static_assert(12 * 5 < kBlockCode && kBlockCode + 4 * 3 * 4 < kNoCode);
// The flag bits a real call reads, as one byte: direction, Init, Free and
// NoScale, and the two packing bits of its side.
template <bool ToReal>
constexpr int realFlagIndex(int flags) {
    if constexpr (ToReal) return (flags & 31) | ((flags >> 5) & (VOK_InRCPack >> 5 | VOK_InRCPerm >> 5));
    else return (flags & 31) | ((flags >> 3) & (VOK_OutRCPack >> 3 | VOK_OutRCPerm >> 3));
}
template <class T, bool ToReal, bool Packed>
inline constexpr auto kRealCodes = [] {
    std::array<std::array<std::uint8_t, 256>, kCodedOrders> codes{};
    for (int index = 0; index < 256; ++index) {
        // The flags of this index (none for an index no flags give).
        const int side = ToReal ? (index & 32) << 5 | (index & 128) << 5 : (index & 96) << 3;
        const int flags = (index & 31) | side;
        for (int order = 0; order < kCodedOrders; ++order)
            codes[order][index] = realFlagIndex<ToReal>(flags) == index ? realCode<T>(ToReal, Packed, order, flags) : kNoCode;
    }
    return codes;
}();

// The code of a checked call (packed known at run time there).
template <class T, bool ToReal>
std::uint8_t realCodeOf(bool packed, int order, int flags) {
    const int index = realFlagIndex<ToReal>(flags);
    return packed ? kRealCodes<T, ToReal, true>[order][index] : kRealCodes<T, ToReal, false>[order][index];
}

// The block kernels' real transforms, out of line: the entries keep the
// small frame of their smallest orders' calls.
template <class T, bool ToReal>
[[gnu::noinline]] void realBlock(int code, const T* in, T* out) {
    const kernels::BlockOps<T>& ops = kernels::blockOps<T>();
    const int at = code - kBlockCode, row = at / 12 + kRealBlockFrom - kernels::kBlockRealFirstOrder;
    const T scale = at % 2 ? T(1) / T(1 << (row + kernels::kBlockRealFirstOrder)) : T(1);
    (ToReal ? ops.toReal : ops.forward)[row][at % 12 / 4](in, out, at / 2 % 2 ? T(-1) : T(1), scale);
}
template <class T, bool ToReal>
[[gnu::always_inline]] inline void runReal(int code, const T* in, T* out) {
    if (code >= kBlockCode) return realBlock<T, ToReal>(code, in, out);
    (simd::vexCopiesActive() ? kSmallRealFns<T, ToReal, true> : kSmallRealFns<T, ToReal>)[code](in, out);
}

template <class T>
[[gnu::always_inline]] inline bool realTablesBuilt(int order, bool ccsInput) {
    if (order < 2) return true;
    const VokThreadContext* context = platform::loadContext();
    if (!context) return false;
    const TransformCaches& tables = context->tables;
    void* const* slots = tables.internalFft[kPrecision<T>][order - 1];
    return slots[kStageSlot] && tables.swap[order - 1] &&
           (ccsInput ? tables.internalFft[kPrecision<T>][order][kLargeSlot] : slots[kRecombSlot]);
}

template <class T>
[[gnu::noinline]] void toSpectrumChecked(const ArgChecks& check, const T* in, T* out, int order, int flags, bool packed,
                                         bool nip);
template <class T>
[[gnu::noinline]] void toSignalChecked(const ArgChecks& check, const T* in, T* out, int order, int flags, bool packed,
                                       bool nip);

enum class RealWork { kToSpectrum, kToSignal };

// Every real entry, as complexEntry: the common small call by one load of
// its code, anything else a tail call to the checked path.
template <class T, RealWork Work, bool Packed>
[[gnu::always_inline]] inline void realEntry(const ArgChecks& check, const T* in, T* out, int order, int flags, bool nip) {
    constexpr bool toReal = Work == RealWork::kToSignal;
    if (unsigned(order) < unsigned(kCodedOrders) && out && (!nip || in)) {
        const int code = kRealCodes<T, toReal, Packed>[order][realFlagIndex<toReal>(flags)];
        if (code != kNoCode && realTablesBuilt<T>(order, toReal)) return runReal<T, toReal>(code, nip ? in : out, out);
    }
    if constexpr (toReal) toSignalChecked<T>(check, in, out, order, flags, Packed, nip);
    else toSpectrumChecked<T>(check, in, out, order, flags, Packed, nip);
}

// Real signal to spectrum. packed: the Fftl forms (layout from the flags);
// otherwise CCS. in null: in place on out.
template <class T>
[[gnu::noinline]] void toSpectrumChecked(const ArgChecks& check, const T* in, T* out, int order, int flags, bool packed,
                                         bool nip) {
    const T *stages = nullptr, *recomb = nullptr;
    const int* swap = nullptr;
    if (!realPrologue<T>(check, order, flags, false, stages, swap, recomb)) return;
    if (nip) {
        if (check(!in, "inSamps==0") || check(!out, "outSamps==0")) return;
    } else if (check(!out, "samps==0")) {
        return;
    }
    if (directionBad(check, flags) || (packed && outPackingBad(check, flags))) return;
    if (order == 0) {
        out[0] = nip ? in[0] : out[0];
        if (!packed) out[1] = 0;
        return;
    }
    if (order < kCodedOrders) return runReal<T, false>(realCodeOf<T, false>(packed, order, flags), nip ? in : out, out);
    const Layout layout = !packed ? Layout::kCcs : (flags & VOK_OutRCPack) ? Layout::kPack : Layout::kPerm;
    const long long n = 1LL << order;
    realCore<T>(nip ? in : nullptr, out, order, (flags & VOK_Inv) != 0, stages, recomb, layout == Layout::kPack);
    placeSpectrum(out, n, layout);
    if (scales(flags)) scale(out, layout == Layout::kCcs ? n + 2 : n, 1.0 / double(n));
}

// Spectrum to N reals in x, order >= 2: X0 and X(N/2) given, the pairs X_k
// for 0 < k < N/2 at pairs[2k-2], pairs[2k-1] (x + 2 in place). With work
// (N reals apart from pairs and x) the half-length transform runs from work
// into x: its first pass then needs no copies of the tiles it overwrites.
template <class T>
void ccsCore(const T* pairs, T x0, T xh, T* x, int order, bool inverse, const T* stages, const T* large,
             T* work = nullptr) {
    const int half = order - 1;
    const long long m = 1LL << half;
    T* pre = work ? work : x;
    const T midRe = pairs[m - 2], midIm = pairs[m - 1];  // X(M/2)
    kernels::fftOps<T>(half).ccsPre(pairs, pre, m, large, inverse);
    T* mid = pre + m;  // complex value M/2 sits at reals M, M+1
    mid[0] = T(2.0 * double(midRe));
    mid[1] = T((inverse ? -2.0 : 2.0) * double(midIm));
    pre[0] = T(double(x0) + double(xh));
    pre[1] = T(double(x0) - double(xh));
    kernels::fftOps<T>(half).ditNatural(work, x, half, stages, inverse);
}

// The half-length orders at which a spectrum-to-real transform runs through
// work memory; longer ones are bound by memory traffic, which the extra
// array only adds to.
constexpr int kCcsWorkFrom = 7, kCcsWorkTo = 11;

template <class T>
[[gnu::noinline]] void toSignalChecked(const ArgChecks& check, const T* in, T* out, int order, int flags, bool packed,
                                       bool nip) {
    const T *stages = nullptr, *large = nullptr;
    const int* swap = nullptr;
    if (!realPrologue<T>(check, order, flags, true, stages, swap, large)) return;
    if (nip) {
        if (check(!in, "inSamps==0") || check(!out, "outSamps==0")) return;
    } else if (check(!out, "samps==0")) {
        return;
    }
    if (directionBad(check, flags) || (packed && inPackingBad(check, flags))) return;
    const Layout layout = !packed ? Layout::kCcs : (flags & VOK_InRCPack) ? Layout::kPack : Layout::kPerm;
    const long long n = 1LL << order;
    const T* src = nip ? in : out;
    if (order == 0) {
        out[0] = src[0];
        return;
    }
    if (order < kCodedOrders) return runReal<T, true>(realCodeOf<T, true>(packed, order, flags), src, out);
    const T xh = layout == Layout::kCcs ? src[n] : layout == Layout::kPerm ? src[1] : src[n - 1];
    // The pairs are read where they lie; the pre-processing goes to work
    // memory (none: in place on out), even in place.
    T* work = order - 1 >= kCcsWorkFrom && order - 1 <= kCcsWorkTo ? splitWork<T>(order - 1) : nullptr;
    ccsCore<T>(src + (layout == Layout::kPack ? 1 : 2), src[0], xh, out, order, (flags & VOK_Inv) != 0, stages, large,
               work ? halfPageFrom(work, out) : nullptr);
    if (scales(flags)) scale(out, n, 1.0 / double(n));
}

// ---- products of packed spectra ----

template <class T>
void mulPacked(ArgChecks check, const T* a, const T* b, T* dst, int order, bool perm, bool three) {
    if (check(order < 0, "order<0") || check(order > 31, "order>31")) return;
    if (three) {
        if (check(!a, "srcA==0") || check(!b, "srcB==0")) return;
    } else if (check(!a, "src==0")) {
        return;
    }
    if (check(!dst, "dst==0")) return;
    const long long n = 1LL << order;
    dst[0] = a[0] * b[0];
    if (order >= 1) {
        const long long second = perm ? 1 : n - 1;
        dst[second] = a[second] * b[second];
    }
    if (order >= 2) {
        const long long first = perm ? 2 : 1;
        kernels::arithOps<T>().mulComplex(a + first, b + first, dst + first, int(n / 2 - 1));
    }
}

// ---- the internal interface of transform/fft.h ----

// The flags of an exported call doing what an internal call asks, so that
// both take the same small kernels.
constexpr int internalFlags(bool forward, bool scaleInverse) {
    return forward ? VOK_Forw : scaleInverse ? VOK_Inv : VOK_Inv | VOK_NoScale;
}

template <class T>
int apiComplex(T* x, int order, bool forward, bool scaleInverse) {
    const T* stages;
    const int* swap;
    if (!complexTables<T>(order, stages, swap)) return VOK_StatusNoMemory;
    if (order == 0) return VOK_StatusOk;
    if (smallComplex<T>(x, nullptr, x, nullptr, order, internalFlags(forward, scaleInverse))) return VOK_StatusOk;
    complexCore<T>(nullptr, x, order, Direction{!forward, false, false}, stages, swap);
    if (!forward && scaleInverse) scale(x, 2LL << order, 1.0 / double(1LL << order));
    return VOK_StatusOk;
}

// Out of place (in may equal out), natural order in and out.
template <class T>
int apiComplexNip(const T* in, T* out, int order, bool forward, bool scaleInverse) {
    const T* stages;
    const int* swap;
    if (!complexTables<T>(order, stages, swap)) return VOK_StatusNoMemory;
    if (order == 0) {
        out[0] = in[0];
        out[1] = in[1];
        return VOK_StatusOk;
    }
    if (smallComplex<T>(in, nullptr, out, nullptr, order, internalFlags(forward, scaleInverse))) return VOK_StatusOk;
    complexCore<T>(in == out ? nullptr : in, out, order, Direction{!forward, false, false}, stages, swap);
    if (!forward && scaleInverse) scale(out, 2LL << order, 1.0 / double(1LL << order));
    return VOK_StatusOk;
}

template <class T>
int apiRealToCcs(const T* in, T* ccs, int order) {
    const T *stages = nullptr, *recomb = nullptr;
    const int* swap = nullptr;
    if (order >= 2 && !realTables<T>(order, false, stages, swap, recomb)) return VOK_StatusNoMemory;
    const long long n = 1LL << order;
    if (order <= 1) {
        const T a = in[0], b = order == 1 ? in[1] : T(0);
        ccs[0] = order == 1 ? a + b : a;
        ccs[1] = 0;
        if (order == 1) {
            ccs[2] = a - b;
            ccs[3] = 0;
        }
        return VOK_StatusOk;
    }
    realCore<T>(in, ccs, order, false, stages, recomb);
    placeSpectrum(ccs, n, Layout::kCcs);
    return VOK_StatusOk;
}

template <class T>
int apiCcsToReal(const T* ccs, T* out, int order, bool scaleResult) {
    const T *stages = nullptr, *large = nullptr;
    const int* swap = nullptr;
    if (order >= 2 && !realTables<T>(order, true, stages, swap, large)) return VOK_StatusNoMemory;
    const long long n = 1LL << order;
    const T x0 = ccs[0], xh = order == 0 ? T(0) : ccs[n];
    if (order == 0) {
        out[0] = x0;
        return VOK_StatusOk;
    }
    if (order == 1) {
        out[0] = x0 + xh;
        out[1] = x0 - xh;
    } else {
        ccsCore<T>(ccs + 2, x0, xh, out, order, true, stages, large);
    }
    if (scaleResult) scale(out, n, 1.0 / double(n));
    return VOK_StatusOk;
}

}  // namespace vok::fftimpl
