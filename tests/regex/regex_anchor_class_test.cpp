#include <gtest/gtest.h>

#include <string>

#include "regex/regex.h"
#include "regex_test_support.h"

TEST(RegexAnchoring, AMatchStartsAtTheFirstByteAndNeedNotReachTheEnd) {
    EXPECT_EQ(matched("/b/", "ab"), "<no match>");
    MatchOutcome a = matchPattern("/a/", "ab");
    ASSERT_EQ(a.matched, 1);
    EXPECT_TRUE(a.spans[0] == (CaptureSpan{0, 1}));
    EXPECT_EQ(matched("/.*b/", "abcb"), "abcb");
    // matchRange sees nothing past its end.
    Regex regex;
    ASSERT_EQ(regex.compile("/abc/", RegexDelimited), 1);
    const char text[] = "abc";
    CaptureSpan spans[1];
    int count = 1;
    EXPECT_EQ(regex.matchRange(text, text + 2, spans, count), 0);
    EXPECT_EQ(regex.matchRange(text, text + 3, spans, count), 1);
    EXPECT_EQ(regex.matchRange(text + 1, text, spans, count), 0);
}

TEST(RegexAnchors, TextAndLineAnchors) {
    EXPECT_EQ(matched("/a$/", "a"), "a");
    EXPECT_EQ(matched("/a$/", "ab"), "<no match>");
    EXPECT_EQ(matched("/a$/", "a\n"), "<no match>");
    EXPECT_EQ(matched("/^a\\Z/", "a"), "a");
    EXPECT_EQ(matched("/\\Aa/", "a"), "a");
    EXPECT_EQ(matched("/a^/", "a"), "<no match>");
    // With m, "$" consumes the line break it stands before, CR LF as one.
    EXPECT_EQ(matched("/a$/m", "a\nb"), "a\n");
    EXPECT_EQ(matched("/a$/m", "a\r\nb"), "a\r\n");
    EXPECT_EQ(matched("/a$/m", "a\rb"), "a\r");
    EXPECT_EQ(matched("/a$/m", "a"), "a");
    EXPECT_EQ(matched("/a$/m", "ab"), "<no match>");
    EXPECT_EQ(matched("/a$^b/m", "a\nb"), "a\nb");
    EXPECT_EQ(matched("/a\\n^b/m", "a\nb"), "a\nb");
    EXPECT_EQ(matched("/a\\r^b/m", "a\rb"), "a\rb");
    EXPECT_EQ(matched("/a^b/m", "ab"), "<no match>");
    // A carriage return at the very end of a range is consumed without a look past it.
    Regex regex;
    ASSERT_EQ(regex.compile("/a$/m", RegexDelimited), 1);
    char* text = new char[2]{'a', '\r'};
    CaptureSpan spans[1];
    int count = 1;
    EXPECT_EQ(regex.matchRange(text, text + 2, spans, count), 1);
    EXPECT_EQ(spans[0].end, 2);
    delete[] text;
}

TEST(RegexAnchors, WordBoundaries) {
    EXPECT_EQ(matched("/a\\b/", "a b"), "a");
    EXPECT_EQ(matched("/a\\b/", "ab"), "<no match>");
    EXPECT_EQ(matched("/a\\b/", "a"), "a");  // the end counts as a non-word character
    EXPECT_EQ(matched("/\\b/", "x"), "");
    EXPECT_EQ(matched("/\\b/", " "), "<no match>");
    EXPECT_EQ(matched("/\\B/", " "), "");
    EXPECT_EQ(matched("/\\B/", ""), "");
    EXPECT_EQ(matched("/a\\B_/", "a_"), "a_");  // '_' is a word character
    EXPECT_EQ(matched("/:\\b1/", ":1"), ":1");
}

TEST(RegexClasses, ClassEscapesAndTheirComplements) {
    struct Case {
        const char* pattern;
        const char* accepted;
        const char* rejected;
    };
    const Case cases[] = {
        {"/\\d/", "0789", "a :"},   {"/\\D/", "a :", "05"},        {"/\\s/", " \t\n\r\f\v", "a_"},
        {"/\\S/", "a_", " \t"},     {"/\\w/", "aZ0_", " -:"},      {"/\\W/", " -:", "a0_"},
        {"/\\l/", "az", "AZ0"},     {"/\\L/", "AZ0", "az"},        {"/\\u/", "AZ", "az0"},
        {"/\\U/", "az0", "AZ"},     {"/\\i/", "aZ", "0_"},         {"/\\I/", "0_", "aZ"},
        {"/./", "a \t\x7f\xff", "\r\n"}, {"/./s", "\r\n", ""},
    };
    for (const Case& c : cases) {
        for (const char* p = c.accepted; *p; ++p) EXPECT_EQ(matched(c.pattern, std::string(1, *p)), std::string(1, *p)) << c.pattern;
        for (const char* p = c.rejected; *p; ++p) EXPECT_EQ(matched(c.pattern, std::string(1, *p)), "<no match>") << c.pattern;
    }
    // Classes are not folded under i.
    EXPECT_EQ(matched("/\\l/i", "A"), "<no match>");
    // A zero byte inside a range is an ordinary character.
    EXPECT_EQ(matched("/a.b/", std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(matched("/\\D+/", std::string("\0\0x", 3)), std::string("\0\0x", 3));
}
