#include <gtest/gtest.h>

#include "foundation/text_string.h"

TEST(StringGrowth, ConstructionCopyAndAssignmentFollowTheCapacityRules) {
    String abc("abc");
    EXPECT_EQ(abc.capacity(), 19);
    abc.assign("0123456789012345678");  // 19 characters: grows to 19 + 4 + 1
    EXPECT_EQ(abc.capacity(), 24);
    EXPECT_STREQ(abc.text(), "0123456789012345678");

    String original("abcdefgh");
    String copy(original);
    EXPECT_EQ(copy.capacity(), 11);
    copy.prepare(5);  // fits: nothing changes
    EXPECT_STREQ(copy.text(), "abcdefgh");
    copy.prepare(11);  // must grow: content discarded
    EXPECT_EQ(copy.capacity(), 14);
    EXPECT_EQ(copy.length(), 0);
    EXPECT_STREQ(copy.text(), "");

    String none;
    String emptyCopy(none);
    EXPECT_EQ(emptyCopy.capacity(), 1);
    EXPECT_STREQ(emptyCopy.text(), "");

    String grown;
    EXPECT_TRUE(grown.reserve(100));
    EXPECT_EQ(grown.capacity(), 126);
    EXPECT_FALSE(grown.reserve(50));
}

TEST(StringGrowth, AppendKeepsContentAcrossGrowth) {
    String text("x");
    for (int i = 0; i < 200; ++i) text.append(static_cast<char>('a' + i % 26));
    EXPECT_EQ(text.length(), 201);
    EXPECT_EQ(text.text()[0], 'x');
    EXPECT_EQ(text.text()[200], 'a' + 199 % 26);
    text.append(String()).append("!");
    EXPECT_EQ(text.length(), 202);
    EXPECT_STREQ(String("ab").concat("cd").text(), "abcd");
}

TEST(StringAssign, AssigningAnEmptyStringTerminatesTheOldBuffer) {
    String text("hello");
    text.assign(String());
    EXPECT_EQ(text.length(), 0);
    EXPECT_STREQ(text.text(), "");
}

TEST(StringAssign, SelfOverlappingPiecesSurvive) {
    String text("hello world");
    text.assign(text.text() + 6);
    EXPECT_STREQ(text.text(), "world");
    text.appendPart(text.text(), 0, -1);
    EXPECT_STREQ(text.text(), "worldworld");
    text.assignPart(text.text(), 5, 3);
    EXPECT_STREQ(text.text(), "wor");
}

TEST(StringEquality, BufferlessStringsDifferFromTheEmptyText) {
    String none;
    EXPECT_FALSE(none.equals(""));
    EXPECT_TRUE(none.equals(nullptr));
    none.assign("");
    EXPECT_TRUE(none.equals(""));
    EXPECT_FALSE(none.equals(nullptr));
    String text("abc");
    EXPECT_TRUE(text.equals("abc"));
    EXPECT_FALSE(text.equals("ab"));
    EXPECT_FALSE(text.equals("abcd"));
}

TEST(StringPieces, StartAndCountAreClamped) {
    String piece;
    piece.assignPart("hello", -3, -1);
    EXPECT_STREQ(piece.text(), "llo");
    piece.assignPart("hello", -9, 2);
    EXPECT_STREQ(piece.text(), "");
    piece.assignPart("hello", 5, 1);
    EXPECT_STREQ(piece.text(), "");
    piece.assignPart("hello", 1, 99);
    EXPECT_STREQ(piece.text(), "ello");
    EXPECT_EQ(piece.appendPart("xyz", 1, 1), 5);
    EXPECT_STREQ(piece.text(), "elloy");
    EXPECT_STREQ(String("hello").mid(1, 3).text(), "ell");
    EXPECT_STREQ(String().mid(0, 3).text(), "");
}

TEST(StringSearch, FindCountsFromTheEndAndRejectsOutOfRangeStarts) {
    String text("abcb");
    EXPECT_EQ(text.find("b", 1, -1), 3);
    EXPECT_EQ(text.find("b", 1, 5), -1);
    EXPECT_EQ(text.find("b", 1, 4), -1);
    EXPECT_EQ(text.find("b", 1, 0), 1);
    EXPECT_EQ(text.find("cbx", 2, 0), 2);
    EXPECT_EQ(text.find("b", 1, -9), -1);
    EXPECT_EQ(String::compareBytes("a", "b"), -1);
    EXPECT_EQ(String::compareBytes("\xe4", "z"), 1);  // unsigned bytes
    EXPECT_EQ(String::compareBytes("ab", "ab"), 0);
    EXPECT_EQ(String::compareBytes("B", "a"), -1);  // case-sensitive
}

TEST(StringEditing, EraseCutsOrRemoves) {
    String text("hello");
    text.erase(1, 2);
    EXPECT_STREQ(text.text(), "hlo");
    text.assign("hello");
    text.erase(1, 9);
    EXPECT_STREQ(text.text(), "h");
    text.assign("hello");
    text.erase(-2, -1);
    EXPECT_STREQ(text.text(), "hel");
    text.erase(-9, 1);
    EXPECT_STREQ(text.text(), "hel");
    text.erase(7, 1);  // past the end: nothing to remove
    EXPECT_STREQ(text.text(), "hel");
    EXPECT_EQ(text.length(), 3);
    EXPECT_STREQ(String("MiXeD").toLower().text(), "mixed");
}

TEST(StringEditing, ReplaceAllNeverSearchesInsertedText) {
    String text("aaaa");
    EXPECT_EQ(text.replaceAll("aa", "a"), 2);
    EXPECT_STREQ(text.text(), "aa");
    text.assign("x");
    EXPECT_EQ(text.replaceAll("x", "xx"), 1);
    EXPECT_STREQ(text.text(), "xx");
    text.assign("a/b/c");
    EXPECT_EQ(text.replaceAll("/", "\\"), 2);
    EXPECT_STREQ(text.text(), "a\\b\\c");
    EXPECT_EQ(text.replaceAll("q", "z"), 0);
    EXPECT_STREQ(text.text(), "a\\b\\c");
}
