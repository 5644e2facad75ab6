#include <gtest/gtest.h>

#include <string>

#include "regex/regex.h"
#include "regex_test_support.h"

TEST(RegexBackReferences, RepeatTheCapturedText) {
    EXPECT_EQ(matched("/(a)\\1/", "aa"), "aa");
    EXPECT_EQ(matched("/(a)\\1/", "ab"), "<no match>");
    EXPECT_EQ(matched("/(\\w+) \\1/", "ab ab"), "ab ab");
    EXPECT_EQ(matched("/(\\w+) \\1/", "ab a"), "<no match>");
    EXPECT_EQ(matched("/(a+)\\1/i", "aAa"), "aA");
    EXPECT_EQ(matched("/(a)\\1/", "aA"), "<no match>");
    EXPECT_EQ(matched("/(a)\\1*?$/", "aaa"), "aaa");
    EXPECT_EQ(matched("/(ab)\\1*ab/", "abababab"), "abababab");
    EXPECT_EQ(matched("/(ab)\\1{2}/", "ababab"), "ababab");
    EXPECT_EQ(matched("/(ab)\\1{2}/", "abab"), "<no match>");
    EXPECT_EQ(matched("/(ab)\\1+?x/", "abababx"), "abababx");
    // Every digit belongs to the number; group 10 needs room for eleven spans.
    const char* ten = "/(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\10/";
    EXPECT_EQ(matchPattern(ten, "abcdefghijj", 10).errorCode, ErrCaptureCapacity);
    EXPECT_EQ(matchPattern(ten, "abcdefghijj", 11).text("abcdefghijj", 0), "abcdefghijj");
    EXPECT_EQ(matchPattern(ten, "abcdefghija0", 11).matched, 0);
    // A group without a capture fails the reference, even an optional one.
    EXPECT_EQ(matched("/(?:(a)|b)\\1/", "b"), "<no match>");
    EXPECT_EQ(matched("/(?:(a)|b)\\1*/", "b"), "<no match>");
    // An empty capture matches empty, however often it is repeated.
    EXPECT_EQ(matched("/()\\1*x/", "x"), "x");
    EXPECT_EQ(matched("/()\\1{2000000000}x/", "x"), "x");
    EXPECT_EQ(matched("/(a?)\\1*?b/", "c"), "<no match>");
    EXPECT_EQ(matched("/(a?)\\1*b/", "c"), "<no match>");
    EXPECT_EQ(matchPattern("/(a?)\\1*?b/", "c").errorCode, ErrNone);
}

TEST(RegexBackReferences, TheCallerMustProvideRoomForTheReferencedGroup) {
    Regex regex;
    ASSERT_EQ(regex.compile("/(a)(b)\\2/", RegexDelimited), 1);
    EXPECT_EQ(regex.maxBackReference(), 2);
    CaptureSpan spans[3] = {{4, 4}, {4, 4}, {4, 4}};
    int count = 2;
    EXPECT_EQ(regex.match("abb", spans, count), 0);
    EXPECT_EQ(regex.errorCode(), ErrCaptureCapacity);
    EXPECT_EQ(regex.errorPos(), 2);
    EXPECT_TRUE(spans[0] == (CaptureSpan{4, 4}));
    count = 3;
    EXPECT_EQ(regex.match("abb", spans, count), 1);
    EXPECT_EQ(regex.errorCode(), ErrNone);
}
