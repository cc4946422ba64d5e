// Runtime choice of the kernel width, made once per process from CPUID.
//
// Each kernel family (src/kernels/<family>.simd.cpp) is compiled once per
// instruction set into a table of function pointers named <family>_<isa>;
// select() hands out the table of the widest set this processor runs.
#pragma once

#include <atomic>

namespace vok::simd {

enum Isa : int { kSse2 = 0, kAvx2 = 1, kAvx512 = 2, kIsaCount = 3 };

// The widest instruction set of this processor (AVX2 counts only with FMA,
// AVX-512 only with F, DQ, VL and BW).
Isa supported();
// The word that active() reads: set when the library loads and by limitTo()
// (zero, the baseline, before that).
extern std::atomic<int> activeWord;

// The set the kernels use now: supported(), or less after limitTo(). Read
// inline, since calls of a few nanoseconds choose their kernel through it.
inline Isa active() { return static_cast<Isa>(activeWord.load(std::memory_order_relaxed)); }
// Restricts the kernels to at most isa (tests run every width this way).
void limitTo(Isa isa);
const char* isaName(Isa isa);

// Whether this build holds VEX-encoded copies of the straight-line kernels
// (the short FFTs and DFTs): the same source and operations, hence the same
// results, without the SSE2 forms' register copies or their waits on upper
// register halves. 64-bit only: a 32-bit build may keep doubles in x87
// registers. VOK_NO_VEX_COPIES leaves them out (the fuzz build, whose
// compiler takes a minute over them and which runs the same source anyway).
#if defined(__x86_64__) && !defined(VOK_NO_VEX_COPIES)
#define VOK_HAS_VEX_COPIES 1
#else
#define VOK_HAS_VEX_COPIES 0
#endif
inline constexpr bool kHasVex = VOK_HAS_VEX_COPIES;
// Whether calls take those copies now: at AVX2 and AVX-512 widths.
inline bool vexCopiesActive() { return kHasVex && active() != kSse2; }

template <class Table>
const Table& select(const Table& sse2, const Table& avx2, const Table& avx512) {
    switch (active()) {
        case kAvx512: return avx512;
        case kAvx2: return avx2;
        default: return sse2;
    }
}

}  // namespace vok::simd
