// The allocators and the version record.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "frame/test_seams.h"
#include "vok.h"

namespace {

constexpr std::uintptr_t kAlignment = sizeof(void*) == 4 ? 8 : 64;

template <class Alloc>
void expectAlignedBlocks(Alloc alloc, int elementSize) {
    for (int count : {0, 1, 2, 3, 7, 64, 1000, 4097}) {
        auto* p = alloc(count);
        ASSERT_NE(p, nullptr) << count;
        const auto address = reinterpret_cast<std::uintptr_t>(p);
        EXPECT_EQ(address % kAlignment, 0u) << count;
        // The heap start sits in the word just below, at most one alignment step plus a word away.
        const auto start = reinterpret_cast<std::uintptr_t>(reinterpret_cast<void**>(p)[-1]);
        EXPECT_GE(address - start, sizeof(void*));
        EXPECT_LT(address - start, sizeof(void*) + kAlignment);
        std::memset(p, 0x5A, std::size_t(count) * elementSize);  // the whole block is usable (ASan checks)
        vokFree(p);
    }
}

TEST(Memory, EveryAllocatorGivesAlignedUsableBlocks) {
    expectAlignedBlocks(vokMalloc, 1);
    expectAlignedBlocks(vokwMalloc, 2);
    expectAlignedBlocks(voksMalloc, 4);
    expectAlignedBlocks(vokiMalloc, 4);
    expectAlignedBlocks(vokvMalloc, 4);
    expectAlignedBlocks(vokcMalloc, 8);
    expectAlignedBlocks(vokdMalloc, 8);
    expectAlignedBlocks(vokjMalloc, 8);
    expectAlignedBlocks(vokzMalloc, 16);
}

#if INTPTR_MAX == INT32_MAX
TEST(Memory, ClassicLayoutOn32Bit) {
    for (int count : {0, 1, 5, 100}) {
        auto* p = static_cast<unsigned char*>(vokMalloc(count));
        const auto start = reinterpret_cast<std::uintptr_t>(reinterpret_cast<void**>(p)[-1]);
        const auto handed = reinterpret_cast<std::uintptr_t>(p);
        EXPECT_EQ(handed, (start + 11) & ~std::uintptr_t(7));
        vokFree(p);
    }
}
#endif

TEST(Memory, FreeOfNullIsIgnored) { vokFree(nullptr); }

TEST(Memory, NegativeCountIsRefused) { EXPECT_EQ(vokMalloc(-1), nullptr); }

TEST(Memory, InjectedFailureReturnsNullWithoutReport) {
    vokSetErrStatus(0);
    vok::testing::failAllocationAfter(2);
    void* first = vokMalloc(8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(vokcMalloc(8), nullptr);
    void* third = vokMalloc(8);
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(vokGetErrStatus(), 0);
    vokFree(first);
    vokFree(third);
}

TEST(Version, ConstantRecord) {
    const VokLibVersion* v = vokGetLibVersion();
    ASSERT_EQ(v, vokGetLibVersion());
    EXPECT_EQ(v->numbers[0], 3);
    EXPECT_EQ(v->numbers[1], 0);
    EXPECT_EQ(v->numbers[2], 13);
    EXPECT_STREQ(v->name, "vokx1.dll");
    EXPECT_STREQ(v->version, "v4.0 Release Candidate");
    EXPECT_STREQ(v->internalVersion, "[4.00.29, 01/30/97]");
    EXPECT_STREQ(v->buildDate, "Feb 24 1998");
    EXPECT_STREQ(v->linkage, "DLL");
}

}  // namespace
