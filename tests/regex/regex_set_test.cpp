#include <gtest/gtest.h>

#include <string>

#include "regex/regex.h"
#include "regex/regex_program.h"
#include "regex_test_support.h"

namespace {

// Every byte value that the one-character pattern accepts, as a string.
std::string members(const char* pattern) {
    Regex regex;
    EXPECT_EQ(regex.compile(pattern, RegexDelimited), 1) << pattern;
    std::string accepted;
    for (int c = 0; c < 256; ++c) {
        char byte = char(c);
        CaptureSpan spans[1];
        int count = 1;
        if (regex.matchRange(&byte, &byte + 1, spans, count) && spans[0].end == 1) accepted += byte;
    }
    return accepted;
}

int firstKind(const char* pattern) {
    Regex regex;
    EXPECT_EQ(regex.compile(pattern, RegexDelimited), 1) << pattern;
    return regex.program() ? regex.program()[1].kind : 0;
}

}  // namespace

TEST(RegexSets, MembersRangesAndEscapes) {
    EXPECT_EQ(members("/[\\d-]/"), "-0123456789");
    EXPECT_EQ(members("/[\\n]/"), "n");
    EXPECT_EQ(members("/[\\t\\]\\\\\\-]/"), "-\\]t");
    EXPECT_EQ(members("/[z-a]/"), "z");
    EXPECT_EQ(members("/[a-c-e]/"), "abcde");
    EXPECT_EQ(members("/[-a]/"), "-a");
    EXPECT_EQ(members("/[a-]/"), "-a");
    EXPECT_NE(members("/[\\w-z]/").find('-'), std::string::npos);  // no range after a class
    EXPECT_EQ(members("/[\\x41-\\x43]/"), "ABC");
    EXPECT_EQ(members("/[a-\\x63]/"), "abc");
    EXPECT_EQ(members("/[a-\\d]/"), "-0123456789a");  // "-" before an escape is a literal
    EXPECT_EQ(members("/[+-\\-]/"), "+-");
    EXPECT_EQ(members("/[+-\\x2d]/"), "+,-");  // ... unless the escape is \x
    EXPECT_EQ(members("/[\\x00-a]/"), std::string("\0-a", 3));  // '\x00' starts no range
    EXPECT_EQ(members("/[^\\d\\s]/").find_first_of("0 9\t"), std::string::npos);
    EXPECT_EQ(members("/[^\\d\\s]/").size(), 256u - 10 - 6);
    EXPECT_EQ(members("/[ab]x/").size(), 0u);  // the set alone is not the pattern
    EXPECT_EQ(matched("/[ab]x/", "bx"), "bx");
    EXPECT_EQ(matched("/[(|)]+/", "(|)"), "(|)");
    EXPECT_EQ(matched("/[\\](]+/", "](]x"), "](]");  // a "(" inside a set opens no group
}

TEST(RegexSets, EmptySetsMatchNothing) {
    EXPECT_EQ(members("/[]/"), "");
    EXPECT_EQ(members("/[^]/"), "");
    EXPECT_EQ(matched("/[]a]/", "]"), "<no match>");
    EXPECT_EQ(matched("/a[]*b/", "ab"), "ab");
}

TEST(RegexSets, CountRulesPickTheElement) {
    EXPECT_EQ(firstKind("/[a]/"), Char);
    EXPECT_EQ(firstKind("/[^a]/"), NotChar);
    EXPECT_EQ(firstKind("/[a]/i"), CharFold);
    EXPECT_EQ(firstKind("/[^A]/i"), NotCharFold);
    EXPECT_EQ(firstKind("/[aa]/"), CharSet);
    EXPECT_EQ(firstKind("/[a-a]/"), CharSet);
    EXPECT_EQ(firstKind("/[^\\d]/"), CharSet);
    EXPECT_EQ(members("/[^a]/").size(), 255u);
    EXPECT_EQ(members("/[^A]/i").find_first_of("aA"), std::string::npos);
    // Only a set of every byte becomes a dot, and then one that takes line breaks too.
    EXPECT_EQ(firstKind("/[\\x00\\x01-\\xff]/"), AnyChar);
    EXPECT_EQ(firstKind("/[\\s\\S]/"), AnyChar);
    EXPECT_EQ(members("/[\\s\\S]/").size(), 256u);
    EXPECT_EQ(firstKind("/[\\x01-\\xff]/"), CharSet);
    EXPECT_EQ(members("/[\\x01-\\xff]/").size(), 255u);
}

TEST(RegexSets, IgnoreCaseAddsBothCases) {
    EXPECT_EQ(members("/[a-c]/i"), "ABCabc");
    EXPECT_EQ(members("/[B]/i"), "Bb");
    EXPECT_EQ(members("/[^b-c]/i").find_first_of("bBcC"), std::string::npos);
    EXPECT_EQ(matched("/[x]+/i", "xXxy"), "xXx");
}
