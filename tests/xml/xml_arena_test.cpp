#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "xml/xml_arena.h"

TEST(XmlArena, CarvesFromTheLastBlockOnlyWhileStrictlyBelowItsSize) {
    XmlArena* arena = XmlArena::create(16);
    char* first = arena->copyPart("abcdefgh", 7);  // 8 bytes in use
    char* second = arena->copyPart("123456", 6);   // 15 in use: still below 16
    EXPECT_EQ(second, first + 8);
    EXPECT_EQ(arena->blockCount(), 1);
    char* third = arena->copyPart("", 0);  // 15 + 1 reaches the size: a new block
    EXPECT_EQ(arena->blockCount(), 2);
    EXPECT_NE(third, second + 7);
    EXPECT_STREQ(first, "abcdefg");
    EXPECT_STREQ(second, "123456");
    EXPECT_STREQ(third, "");
    arena->destroy();
}

TEST(XmlArena, ALargeRequestGetsABlockOfItsOwnSize) {
    XmlArena* arena = XmlArena::create(32);
    char* big = static_cast<char*>(arena->allocateZeroed(1000));
    EXPECT_EQ(arena->blockCount(), 2);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(big[i], 0);
    std::memset(big, 'x', 1000);  // the whole request is usable
    // The next small request does not fit the full block and starts a standard one.
    arena->allocate(8);
    EXPECT_EQ(arena->blockCount(), 3);
    arena->destroy();
}

TEST(XmlArena, RecordsStayAlignedBetweenPackedTexts) {
    XmlArena* arena = XmlArena::create(256);
    arena->copyText("odd");
    void* record = arena->allocate(sizeof(void*) * 3);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(record) % alignof(std::max_align_t), 0u);
    arena->copyPart("x", 1);
    record = arena->allocate(4);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(record) % alignof(std::max_align_t), 0u);
    arena->destroy();
}

TEST(XmlArena, CopiesOfNoneAndOfNegativeLengthsAreNone) {
    XmlArena* arena = XmlArena::create(0);
    EXPECT_EQ(arena->copyText(nullptr), nullptr);
    EXPECT_EQ(arena->copyPart(nullptr, 3), nullptr);
    EXPECT_EQ(arena->copyPart("abc", -1), nullptr);
    EXPECT_STREQ(arena->copyPart("abcdef", 3), "abc");
    EXPECT_STREQ(arena->copyText("whole text"), "whole text");
    arena->destroy();
}

#if defined(__SANITIZE_ADDRESS__)
// The fuzzing tests rely on this: a write past a carved text is caught inside a live block.
TEST(XmlArenaDeathTest, TheFreePartOfABlockIsPoisoned) {
    XmlArena* arena = XmlArena::create(64);
    char* text = arena->copyText("abc");
    EXPECT_DEATH(
        {
            volatile char* past = text;
            past[4] = 'x';
        },
        "use-after-poison");
    arena->destroy();
}
#endif
