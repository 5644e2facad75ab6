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

TEST(RegexRepetition, GreedyTakesTheMostAndGivesBack) {
    EXPECT_EQ(matched("/x+/i", "XXy"), "XX");
    EXPECT_EQ(matched("/X+/", "XX"), "XX");
    EXPECT_EQ(matched("/a{3}/", "aa"), "<no match>");
    EXPECT_EQ(matched("/a{3}/", "aaaa"), "aaa");
    EXPECT_EQ(matched("/a{2,3}/", "aaaa"), "aaa");
    EXPECT_EQ(matched("/a{0}b/", "ab"), "<no match>");
    EXPECT_EQ(matched("/a*ab/", "aaab"), "aaab");
    EXPECT_EQ(matched("/\\d+5/", "12345"), "12345");
    EXPECT_EQ(matched("/[ab]*c/", "ababc"), "ababc");
    EXPECT_EQ(matched("/[^:]*:/", "abc:d:"), "abc:");
    EXPECT_EQ(matched("/\\w+\\d/", "ab12x"), "ab12");
    EXPECT_EQ(matched("/\\W+-/", " -- x"), " --");
    EXPECT_EQ(matched("/a.{0,2}b/s", "a123b"), "<no match>");
    EXPECT_EQ(matched("/a.*b/s", "a1\n2b"), "a1\n2b");
    EXPECT_EQ(matched("/a.*b/", "a1\n2b"), "<no match>");
    EXPECT_EQ(matched("/.*/", "ab\r\ncd"), "ab");
    EXPECT_EQ(matched("/[^a]+/i", "bcAd"), "bc");
    // Giving back across group closes leaves each group the end it was matched with.
    EXPECT_EQ(group("/(.+):(\\d+)/", "a:1:x:2y", 1), "a:1:x");
    EXPECT_EQ(group("/(.+):(\\d+)/", "a:1:x:2y", 2), "2");
    EXPECT_EQ(group("/((\\w+)):/", "ab:c", 2), "ab");
    EXPECT_EQ(group("/^(.+):(\\d+):(\\d+): (fatal )?error/", "src/a.c:12:5: fatal error: x", 4), "fatal ");
}

TEST(RegexRepetition, LazyTakesTheFewest) {
    MatchOutcome x = matchPattern("/x.*?\\d/", "x1y2");
    ASSERT_EQ(x.matched, 1);
    EXPECT_TRUE(x.spans[0] == (CaptureSpan{0, 2}));
    EXPECT_EQ(matched("/a+?/", "aaa"), "a");
    EXPECT_EQ(matched("/a{2,3}?/", "aaaa"), "aa");
    EXPECT_EQ(matched("/a*?$/", "aaa"), "aaa");
    EXPECT_EQ(matched("/a.*?b/", "axxbyyb"), "axxb");
    EXPECT_EQ(matched("/a.{0,2}?b/", "axxxb"), "<no match>");
    EXPECT_EQ(matched("/\\d*?[a-c]/", "123b"), "123b");
    EXPECT_EQ(matched("/.*?\\n/s", "ab\ncd\n"), "ab\n");
    EXPECT_EQ(group("/(.*?):(\\d+)/", "a:b:12", 1), "a:b");
    EXPECT_EQ(group("/(.*?)x/", "abxx", 1), "ab");
    EXPECT_EQ(matched("/[ab]*?b/", "aab"), "aab");
    EXPECT_EQ(matched("/:*?:/", "::"), ":");
}

TEST(RegexRepetition, LongSubjectsRunInTightLoops) {
    std::string subject(1000000, 'a');
    subject += ":1";
    EXPECT_EQ(group("/(.+):(\\d)/", subject, 2), "1");
    EXPECT_EQ(matched("/a*b/", subject), "<no match>");
    EXPECT_EQ(matched("/a*?:/", subject), subject.substr(0, subject.size() - 1));
}
