// Bit reversal: the single-index function, the cached index tables, the swap
// tables that drive the permutation kernels, and the permutations themselves.
#include <cstdint>

#include "core/check.h"
#include "frame/context.h"
#include "transform/bitrev.h"
#include "transform/fft.h"
#include "vok/frame.h"
#include "vok/transform.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "vokmisc";

void fillBitRevTable(int* tbl, int order) {
    const int n = 1 << order;
    tbl[0] = 0;
    tbl[n - 1] = n - 1;
    int j = 0;
    for (int i = 1; i <= n - 2; ++i) {
        int half = n >> 1;
        while (j >= half) {
            j -= half;
            half >>= 1;
        }
        j += half;
        if (i <= j) {
            tbl[j] = i;
            tbl[i] = j;
        }
    }
}

// Pairs from the front, self-reversed values from position M-1 down, a 0
// after each list (2·pairs + self-reversed = M - 1, so the lists meet).
void fillSwapTable(int* tbl, int order) {
    const int m = 1 << (order - 2);
    if (m < 2) {
        tbl[0] = tbl[1] = 0;
        return;
    }
    int front = 0, back = m - 1, j = 0;
    for (int i = 1; i < m; ++i) {
        int half = m >> 1;
        while (j >= half) {
            j -= half;
            half >>= 1;
        }
        j += half;
        if (i < j) {
            tbl[front++] = 4 * i;
            tbl[front++] = 4 * j;
        } else if (i == j) {
            tbl[back--] = 4 * i;
        }
    }
    tbl[front] = 0;
    tbl[m] = 0;
}

template <class E>
void bitRev1(ArgChecks check, E* vec, int order) {
    if (check(order < 0, "order<0") || check(order > 31, "order>31") || check(!vec, "vec==0")) return;
    const int* table = nullptr;
    if (order >= 3 && !(table = vok::swapTable(order))) {
        check.noMemory(__LINE__);
        return;
    }
    vok::reverseInPlace(vec, order, table);
}

template <class E>
void bitRev2(ArgChecks check, const E* src, E* dst, int order) {
    if (check(order < 0, "order<0") || check(order > 31, "order>31") || check(!src, "src==0") ||
        check(!dst, "dst==0"))
        return;
    const int* table = nullptr;
    if (order >= 3 && !(table = vok::swapTable(order))) {
        check.noMemory(__LINE__);
        return;
    }
    vok::reverseCopy(src, dst, order, table);
}

}  // namespace

namespace vok {

const int* swapTable(int order) {
    int*& slot = threadContext().tables.swap[order];
    if (slot) return slot;
    int* table = vokiMalloc(order <= 1 ? 1 : 1 << (order - 1));
    if (!table) return nullptr;
    if (order >= 2) fillSwapTable(table, order);
    else table[0] = 0;
    slot = table;
    return slot;
}

void releaseSwapTables() {
    for (int*& table : threadContext().tables.swap) {
        vokFree(table);
        table = nullptr;
    }
}

}  // namespace vok


extern "C" {

VOK_API int VOK_CALL vokBitRev(int a, int order) {
    vok::CheckAll all{VOK_CHECKS};
    all(order < 0, "order<0");
    all(order > 31, "order>31");
    if (all.failed() || order <= 0) return 0;
    const unsigned bits = unsigned(a);
    unsigned r = 0;
    for (int i = 0; i < order; ++i) r = 2 * r + ((bits >> i) & 1u);
    return int(r);
}

VOK_API void VOK_CALL vokCalcBitRevTbl(int* tbl, int order) {
    ArgChecks check = VOK_CHECKS;
    if (check(order < 0, "order<0") || check(order > 31, "order>31") || check(!tbl, "tbl==0")) return;
    fillBitRevTable(tbl, order);
}

VOK_API int* VOK_CALL vokGetBitRevTbl(int order) {
    vok::CheckAll all{VOK_CHECKS};
    all(order < 0, "order<0");
    all(order > 31, "order>31");
    if (all.failed()) return nullptr;
    int*& slot = vok::threadContext().tables.bitRev[order];
    if (slot) return slot;
    int* table = order >= 31 ? nullptr : vokiMalloc(1 << order);
    if (!table) {
        all.checks.noMemory(__LINE__);
        return nullptr;
    }
    fillBitRevTable(table, order);
    slot = table;
    return slot;
}

VOK_API void VOK_CALL vokFreeBitRevTbls(void) {
    for (int*& table : vok::threadContext().tables.bitRev) {
        vokFree(table);
        table = nullptr;
    }
    vok::releaseSwapTables();
}

// E the element, Kernel an unsigned type of its size (bit reversal moves bits, not values).
#define VOK_BITREV1(name, E, Kernel) \
    VOK_API void VOK_CALL name(E* vec, int order) { bitRev1(VOK_CHECKS, reinterpret_cast<Kernel*>(vec), order); }
#define VOK_BITREV2(name, E, Kernel)                                                                      \
    VOK_API void VOK_CALL name(const E* src, E* dst, int order) {                                         \
        bitRev2(VOK_CHECKS, reinterpret_cast<const Kernel*>(src), reinterpret_cast<Kernel*>(dst), order); \
    }

VOK_BITREV1(vokwbBitRev1, short, std::uint16_t)
VOK_BITREV2(vokwbBitRev2, short, std::uint16_t)
VOK_BITREV1(vokvbBitRev1, ShortComplex, std::uint32_t)
VOK_BITREV2(vokvbBitRev2, ShortComplex, std::uint32_t)
VOK_BITREV1(voksbBitRev1, float, std::uint32_t)
VOK_BITREV2(voksbBitRev2, float, std::uint32_t)
VOK_BITREV1(vokcbBitRev1, FloatComplex, std::uint64_t)
VOK_BITREV2(vokcbBitRev2, FloatComplex, std::uint64_t)
VOK_BITREV1(vokdbBitRev1, double, std::uint64_t)
VOK_BITREV2(vokdbBitRev2, double, std::uint64_t)
VOK_BITREV1(vokzbBitRev1, DoubleComplex, vok::Block16)
VOK_BITREV2(vokzbBitRev2, DoubleComplex, vok::Block16)

}  // extern "C"
