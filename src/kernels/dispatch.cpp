#include "kernels/dispatch.h"

#include <atomic>

namespace vok::simd {
namespace {

// Relaxed atomics: every thread computes the same answer, so a race only
// repeats the detection.
std::atomic<int> detected{-1};

Isa detect() {
#if defined(__i386__) || defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw"))
        return kAvx512;
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return kAvx2;
#endif
    return kSse2;
}

}  // namespace

Isa supported() {
    int isa = detected.load(std::memory_order_relaxed);
    if (isa < 0) {
        isa = detect();
        detected.store(isa, std::memory_order_relaxed);
    }
    return static_cast<Isa>(isa);
}

std::atomic<int> activeWord{supported()};

void limitTo(Isa isa) {
    const Isa best = supported();
    activeWord.store(isa < best ? isa : best, std::memory_order_relaxed);
}

const char* isaName(Isa isa) {
    switch (isa) {
        case kAvx512: return "avx512";
        case kAvx2: return "avx2";
        default: return "sse2";
    }
}

}  // namespace vok::simd
