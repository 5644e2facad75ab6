#include <gtest/gtest.h>

#include <string>

#include "regex/regex.h"
#include "regex/regex_program.h"
#include "regex_test_support.h"

TEST(RegexOptions, IgnoreCase) {
    EXPECT_EQ(matched("/error/i", "ERROR: x"), "ERROR");
    EXPECT_EQ(matched("/error/", "ERROR"), "<no match>");
    EXPECT_EQ(matched("/\\x45rr/i", "err"), "err");
    EXPECT_EQ(matched("/\\QAb\\E/i", "aB"), "aB");
    EXPECT_EQ(matched("/(ab)\\1/i", "abAB"), "abAB");
    Regex regex;
    ASSERT_EQ(regex.compile("a", RegexIgnoreCase), 1);
    EXPECT_EQ(regex.program()[1].kind, CharFold);
    ASSERT_EQ(regex.compile("/\\Q:\\E\\n1/i", RegexDelimited), 1);
    EXPECT_EQ(regex.program()[1].kind, Char);  // an escape without case variants stays exact
    EXPECT_EQ(regex.program()[2].kind, Char);
    EXPECT_EQ(regex.program()[3].kind, CharFold);
}

TEST(RegexOptions, DotAllMultiLineAndExtended) {
    EXPECT_EQ(matched("/a.b/", "a\nb"), "<no match>");
    EXPECT_EQ(matched("/a.b/s", "a\nb"), "a\nb");
    EXPECT_EQ(matched("/a.b/s", "a\rb"), "a\rb");
    EXPECT_EQ(matched("/^a$/", "a\n"), "<no match>");
    EXPECT_EQ(matched("/^a$/m", "a\n"), "a\n");
    // Under x blanks, tabs and line breaks are dropped except in sets, quoted stretches and
    // after a backslash.
    EXPECT_EQ(matched("/a b\tc\nd/x", "abcd"), "abcd");
    EXPECT_EQ(matched("/a\\ b/x", "a b"), "a b");
    EXPECT_EQ(matched("/a[ ]b/x", "a b"), "a b");
    EXPECT_EQ(matched("/\\Qa b\\E/x", "a b"), "a b");
    EXPECT_EQ(matched("/a +/x", "aaa"), "aaa");
    EXPECT_EQ(matched("/a b/", "a b"), "a b");
    // Flags given to compile work like the letters.
    Regex regex;
    ASSERT_EQ(regex.compile("a.b", RegexDotAll | RegexIgnoreCase), 1);
    CaptureSpan spans[1];
    int count = 1;
    EXPECT_EQ(regex.match("A\nB", spans, count), 1);
}

TEST(RegexOptions, StrictEscapesRejectMeaninglessLetters) {
    Regex regex;
    EXPECT_EQ(regex.compile("\\d\\w\\b\\Q\\E\\O\\x41\\1", RegexStrictEscapes), 0);
    EXPECT_EQ(regex.errorCode(), ErrBadBackReference);  // every letter before it was known
    EXPECT_EQ(regex.compile("\\y", RegexStrictEscapes), 0);
    EXPECT_EQ(regex.errorCode(), ErrUnknownEscape);
    EXPECT_EQ(regex.compile("\\.\\-\\/", RegexStrictEscapes), 1);
    EXPECT_EQ(regex.compile("\\Q\\y\\E", RegexStrictEscapes), 1);  // quoted: not an escape
}
