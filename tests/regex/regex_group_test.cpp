#include <gtest/gtest.h>

#include <string>

#include "regex/regex.h"
#include "regex_test_support.h"

namespace {

std::string group(const char* pattern, const std::string& subject, int k) {
    MatchOutcome outcome = matchPattern(pattern, subject);
    return outcome.matched ? outcome.text(subject, k) : "<no match>";
}

}  // namespace

TEST(RegexAlternatives, LeftToRightWithUntakenGroupsCleared) {
    EXPECT_EQ(matched("/a|b|c/o", "c"), "c");
    EXPECT_EQ(matched("/a|ab/", "ab"), "a");  // the first alternative that works wins
    EXPECT_EQ(matched("/(a|ab)(c|bcd)/", "abcd"), "abcd");
    EXPECT_EQ(group("/(a|ab)(c|bcd)/", "abcd", 2), "bcd");
    MatchOutcome b = matchPattern("/(a)|b/", "b");
    ASSERT_EQ(b.matched, 1);
    EXPECT_TRUE(b.spans[1] == (CaptureSpan{-1, -1}));
    EXPECT_EQ(matched("/x(?:|y)z/", "xz"), "xz");
    EXPECT_EQ(matched("/x(?:y|)z/", "xz"), "xz");
    EXPECT_EQ(matched("/|a/", "a"), "");
    EXPECT_EQ(group("/((a)|(b))+/", "ab", 3), "b");
    // A group that only a failed alternative passed is unset.
    MatchOutcome abandoned = matchPattern("/(?:(a)x|ab)/", "ab");
    ASSERT_EQ(abandoned.matched, 1);
    EXPECT_TRUE(abandoned.spans[1] == (CaptureSpan{-1, -1}));
}

TEST(RegexCaptures, NumberingRoomAndTidying) {
    MatchOutcome nested = matchPattern("/((a)(?:b)(c))/", "abc");
    ASSERT_EQ(nested.matched, 1);
    EXPECT_EQ(nested.count, 4);
    EXPECT_EQ(nested.text("abc", 1), "abc");
    EXPECT_EQ(nested.text("abc", 2), "a");
    EXPECT_EQ(nested.text("abc", 3), "c");

    // Fewer spans than groups: the extra groups are not recorded and the rest are untouched.
    Regex regex;
    ASSERT_EQ(regex.compile("/(a)(b)(c)/", RegexDelimited), 1);
    CaptureSpan spans[4] = {{9, 9}, {9, 9}, {9, 9}, {9, 9}};
    int count = 2;
    ASSERT_EQ(regex.match("abc", spans, count), 1);
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(spans[1] == (CaptureSpan{0, 1}));
    EXPECT_TRUE(spans[2] == (CaptureSpan{9, 9}));
    // More room than groups: count comes back as the group count.
    count = 4;
    ASSERT_EQ(regex.match("abc", spans, count), 1);
    EXPECT_EQ(count, 4);
    int ten = 10;
    CaptureSpan many[10];
    ASSERT_EQ(regex.match("abc", many, ten), 1);
    EXPECT_EQ(ten, 4);

    // Inside a loop, a failed iteration's capture is restored.
    MatchOutcome restored = matchPattern("/(?:(a)b)?a/", "ac");
    ASSERT_EQ(restored.matched, 1);
    EXPECT_TRUE(restored.spans[1] == (CaptureSpan{-1, -1}));
    // A group whose end was never set is cleared.
    MatchOutcome loopStart = matchPattern("/(b)*a/", "a");
    ASSERT_EQ(loopStart.matched, 1);
    EXPECT_TRUE(loopStart.spans[1] == (CaptureSpan{-1, -1}));
}

TEST(RegexGroupLoops, GreedyLoopsTakeTheMostIterations) {
    MatchOutcome ab = matchPattern("/(ab)*/", "ababx");
    ASSERT_EQ(ab.matched, 1);
    EXPECT_TRUE(ab.spans[0] == (CaptureSpan{0, 4}));
    EXPECT_TRUE(ab.spans[1] == (CaptureSpan{2, 4}));
    EXPECT_EQ(matched("/(x){0}y/", "y"), "y");
    EXPECT_EQ(matched("/(x){0}y/", "xy"), "<no match>");
    EXPECT_TRUE(matchPattern("/(x){0}y/", "y").spans[1] == (CaptureSpan{-1, -1}));
    EXPECT_EQ(matched("/(ab){2}/", "ababab"), "abab");
    EXPECT_EQ(group("/(ab){2}/", "ababab", 1), "ab");
    EXPECT_EQ(matched("/(ab){2}/", "abx"), "<no match>");
    EXPECT_EQ(matched("/(a){2,3}/", "aaaa"), "aaa");
    EXPECT_EQ(matched("/(?:a|bc)+d/", "abcad"), "abcad");
    EXPECT_EQ(matched("/(?:ab)+ab/", "ababab"), "ababab");  // gives an iteration back
    EXPECT_EQ(group("/(a|b)+b/", "aab", 1), "a");
    // An empty iteration ends the loop, even below its minimum.
    EXPECT_EQ(group("/(a?)*b/", "aab", 1), "");
    EXPECT_EQ(matched("/(a?)*b/", "aab"), "aab");
    EXPECT_EQ(matched("/(?:)+x/", "x"), "x");
    EXPECT_EQ(matched("/(a|)*b/", "b"), "b");
    EXPECT_EQ(matched("/(?:a*)*b/", "aaab"), "aaab");
    // Nested loops restore the inner captures when an outer iteration is given back.
    EXPECT_EQ(group("/(?:(a)|b)*c/", "abc", 1), "a");
    EXPECT_EQ(group("/(?:x(\\d)+,)+x/", "x12,x3,x", 1), "3");
}

TEST(RegexGroupLoops, LazyLoopsTakeTheFewestIterations) {
    EXPECT_EQ(matched("/(a|b)*?c/", "abc"), "abc");
    EXPECT_EQ(group("/(a|b)*?c/", "abc", 1), "b");
    EXPECT_EQ(matched("/(a)*?/", "aaa"), "");
    EXPECT_EQ(matched("/(ab)+?/", "abab"), "ab");
    EXPECT_EQ(matched("/(ab){2,}?/", "ababab"), "abab");
    EXPECT_EQ(group("/(a){0,2}?b/", "aab", 1), "a");
    EXPECT_EQ(matched("/(a){0,2}?b/", "aaab"), "<no match>");
    EXPECT_EQ(matched("/(?:a|ab)*?c/", "aabc"), "aabc");
    // A lazy loop with an empty iteration below its minimum ends there.
    EXPECT_EQ(matched("/(a?){3}?b/", "b"), "b");
    EXPECT_EQ(matched("/(?:){1000000000}?x/", "x"), "x");
}
