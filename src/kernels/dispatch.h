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

template <class Table>
const Table& select(const Table& sse2, const Table& avx2, const Table& avx512) {
    switch (active()) {
        case kAvx512: return avx512;
        case kAvx2: return avx2;
        default: return sse2;
    }
}

}  // namespace vok::simd
