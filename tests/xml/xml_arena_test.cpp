#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "xml/xml_arena.h"

TEST(XmlArena, CarvesFromTheLastBlockWhileStrictlyBelowItsSize) {
    XmlArena* arena = XmlArena::create(16);
    char* first = arena->copyPart("abcdefgh", 7);  // 8 bytes in use
    char* second = arena->copyText("123456");      // 15: still below 16
    EXPECT_EQ(second, first + 8);
    EXPECT_EQ(arena->blockCount(), 1);
    EXPECT_STREQ(arena->copyPart("xyz", 0), "");  // 15 + 1 reaches 16: a new block
    EXPECT_EQ(arena->blockCount(), 2);
    EXPECT_STREQ(first, "abcdefg");
    EXPECT_EQ(arena->copyText(nullptr), nullptr);
    EXPECT_EQ(arena->copyPart("abc", -1), nullptr);

    // A request above the standard size gets a block of its own, all of it usable.
    char* big = static_cast<char*>(arena->allocateZeroed(1000));
    EXPECT_EQ(arena->blockCount(), 3);
    EXPECT_EQ(std::memchr(big, 1, 1000), nullptr);
    std::memset(big, 1, 1000);
    // Records after packed texts are aligned for any type.
    arena->copyText("odd");
    void* record = arena->allocate(24);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(record) % alignof(std::max_align_t), 0u);
    arena->destroy();
}

#if defined(__SANITIZE_ADDRESS__)
// The robustness tests rely on this: a write past a carved text is caught inside a live block.
TEST(XmlArenaDeathTest, TheFreePartOfABlockIsPoisoned) {
    XmlArena* arena = XmlArena::create(64);
    char* text = arena->copyText("abc");
    EXPECT_DEATH(static_cast<volatile char*>(text)[4] = 'x', "use-after-poison");
    arena->destroy();
}
#endif
