#include <gtest/gtest.h>

#include <string>

#include "regex/regex.h"
#include "regex_test_support.h"

TEST(RegexLookAhead, AssertsWithoutConsuming) {
    EXPECT_EQ(matched("/a(?=b)/", "ab"), "a");
    EXPECT_EQ(matched("/a(?=b)/", "ac"), "<no match>");
    EXPECT_EQ(matched("/a(?!b)/", "ab"), "<no match>");
    EXPECT_EQ(matched("/a(?!b)/", "ac"), "a");
    EXPECT_EQ(matched("/a(?!b)/", "a"), "a");
    EXPECT_EQ(matched("/(?=x|a)a/", "a"), "a");
    EXPECT_EQ(matched("/(?!x|y)./", "y"), "<no match>");
    EXPECT_EQ(matched("/(?=.*:)\\w+/", "ab:"), "ab");
    EXPECT_EQ(matched("/(?=.*:)\\w+/", "ab"), "<no match>");
    // Captures made inside a look-ahead stay; what it tried is not backtracked into.
    MatchOutcome inside = matchPattern("/(?=(a+))a/", "aaa");
    ASSERT_EQ(inside.matched, 1);
    EXPECT_TRUE(inside.spans[0] == (CaptureSpan{0, 1}));
    EXPECT_TRUE(inside.spans[1] == (CaptureSpan{0, 3}));
    EXPECT_EQ(matched("/(?=(a+))a*b\\1/", "aaab"), "<no match>");
    EXPECT_EQ(matched("/(?!(?!a)b)./", "b"), "<no match>");
    EXPECT_EQ(matched("/(?!(?!a)b)./", "a"), "a");
}

TEST(RegexLookBehind, LooksBackByTheWidthOfItsBody) {
    EXPECT_EQ(matched("/(?<!a)b/", "b"), "b");
    EXPECT_EQ(matched("/(?<=a)b/", "b"), "<no match>");
    EXPECT_EQ(matched("/a(?<=a)b/", "ab"), "ab");
    EXPECT_EQ(matched("/a(?<!a)b/", "ab"), "<no match>");
    EXPECT_EQ(matched("/ab(?<=ab)c/", "abc"), "abc");
    EXPECT_EQ(matched("/xb(?<=ab)c/", "xbc"), "<no match>");
    EXPECT_EQ(matched("/x(?<![ab])c/", "xc"), "xc");
    EXPECT_EQ(matched("/\\d+(?<=5)x/", "125x"), "125x");
    EXPECT_EQ(matched("/(?<=)a/", "a"), "a");
    EXPECT_EQ(matched("/a(?<=\\x61)/", "a"), "a");
    // The width counts elements: an anchor in the body makes it reach one character further
    // back, and the match goes on from where the body ended.
    EXPECT_EQ(matched("/aa(?<=^a)a/", "aa"), "aa");
}
