// The library allocator: aligned blocks whose heap start is stored in the
// pointer-sized word just below the address handed out.
#include <cstdint>
#include <cstdlib>

#include "frame/test_seams.h"
#include "vok/frame.h"

namespace {

// 32-bit builds keep the classic layout: 12 extra bytes, 8-byte alignment, the
// start address 4 to 11 bytes below the block. 64-bit builds align to a cache
// line so that every vector width can use aligned loads on library buffers.
constexpr std::size_t kAlign = sizeof(void*) == 4 ? 8 : 64;
constexpr std::size_t kExtra = sizeof(void*) == 4 ? 12 : kAlign + sizeof(void*);

thread_local int failCountdown = 0;  // test seam: n-th allocation from now fails
thread_local int failRun = 1;        // ... and so many in a row from there

void* allocate(int count, std::size_t elementSize) {
    if (failCountdown > 0 && --failCountdown == 0) {
        if (--failRun > 0) failCountdown = 1;
        return nullptr;
    }
    std::size_t request;
    if constexpr (sizeof(std::size_t) == 4) {
        // 32-bit arithmetic, as the layout requires; a wrapped request is refused.
        const std::uint64_t wide = std::uint64_t(std::uint32_t(count)) * elementSize + kExtra;
        if (count < 0 || wide > 0xFFFFFFFFu) return nullptr;
        request = std::size_t(wide);
    } else {
        if (count < 0) return nullptr;
        request = std::size_t(count) * elementSize + kExtra;
    }
    void* start = std::malloc(request);
    if (!start) return nullptr;
    const std::uintptr_t handed = (reinterpret_cast<std::uintptr_t>(start) + sizeof(void*) + kAlign - 1) & ~(kAlign - 1);
    reinterpret_cast<void**>(handed)[-1] = start;
    return reinterpret_cast<void*>(handed);
}

// Caller-visible records keep their 32-bit-word layouts on 32-bit builds.
static_assert(sizeof(ShortComplex) == 4 && sizeof(FloatComplex) == 8 && sizeof(IntComplex) == 8 &&
              sizeof(DoubleComplex) == 16);
static_assert(sizeof(void*) != 4 || sizeof(VokLibVersion) == 32);

}  // namespace

namespace vok::testing {
void failAllocationAfter(int n) { failAllocationsAfter(n, 1); }
void failAllocationsAfter(int n, int count) {
    failCountdown = n;
    failRun = count;
}
}  // namespace vok::testing

extern "C" {

VOK_API void* VOK_CALL vokMalloc(int length) { return allocate(length, 1); }
VOK_API short* VOK_CALL vokwMalloc(int length) { return static_cast<short*>(allocate(length, 2)); }
VOK_API float* VOK_CALL voksMalloc(int length) { return static_cast<float*>(allocate(length, 4)); }
VOK_API int* VOK_CALL vokiMalloc(int length) { return static_cast<int*>(allocate(length, 4)); }
VOK_API ShortComplex* VOK_CALL vokvMalloc(int length) { return static_cast<ShortComplex*>(allocate(length, 4)); }
VOK_API FloatComplex* VOK_CALL vokcMalloc(int length) { return static_cast<FloatComplex*>(allocate(length, 8)); }
VOK_API double* VOK_CALL vokdMalloc(int length) { return static_cast<double*>(allocate(length, 8)); }
VOK_API IntComplex* VOK_CALL vokjMalloc(int length) { return static_cast<IntComplex*>(allocate(length, 8)); }
VOK_API DoubleComplex* VOK_CALL vokzMalloc(int length) { return static_cast<DoubleComplex*>(allocate(length, 16)); }

VOK_API void VOK_CALL vokFree(void* block) {
    if (!block) return;
    std::free(static_cast<void**>(block)[-1]);
}

VOK_API const VokLibVersion* VOK_CALL vokGetLibVersion(void) {
    static const VokLibVersion version = {
        {3, 0, 13}, "vokx1.dll", "v4.0 Release Candidate", "[4.00.29, 01/30/97]", "Feb 24 1998", "DLL"};
    return &version;
}

}  // extern "C"
