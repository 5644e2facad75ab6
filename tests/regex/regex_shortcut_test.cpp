#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "regex/regex.h"
#include "regex_test_support.h"

namespace {

std::string firstChars(const Regex& regex) {
    std::string set;
    for (int c = 0; c < 256; ++c) {
        if (regex.isFirstChar(uint8_t(c))) set += char(c);
    }
    return set;
}

using Runs = std::vector<std::string>;

Runs literals(const char* pattern) {
    Regex regex;
    EXPECT_EQ(regex.compile(pattern, RegexDelimited), 1) << pattern;
    return regex.requiredLiterals();
}

Runs alternatives(const char* pattern) {
    Regex regex;
    EXPECT_EQ(regex.compile(pattern, RegexDelimited), 1) << pattern;
    return regex.requiredAlternatives();
}

}  // namespace

TEST(RegexFirstChars, TheSetHoldsEveryByteThatCanStartAMatch) {
    Regex regex;
    ASSERT_EQ(regex.compile("/a|b|c/o", RegexDelimited), 1);
    ASSERT_TRUE(regex.firstCharsValid());
    EXPECT_EQ(firstChars(regex), "abc");
    ASSERT_EQ(regex.compile("/(?:x*|y)[de]|\\d/", RegexDelimited | RegexFirstChars), 1);
    EXPECT_EQ(firstChars(regex), "0123456789dexy");
    ASSERT_EQ(regex.compile("/a+b|(?:cd)+|E/io", RegexDelimited), 1);
    EXPECT_EQ(firstChars(regex), "ACEace");
    ASSERT_EQ(regex.compile("/^(.+):/o", RegexDelimited), 1);
    ASSERT_TRUE(regex.firstCharsValid());
    EXPECT_EQ(firstChars(regex).size(), 254u);
    EXPECT_FALSE(regex.isFirstChar('\n'));
    ASSERT_EQ(regex.compile("/\\b(?=a)(?<!x)\\Ob/o", RegexDelimited), 1);
    EXPECT_EQ(firstChars(regex), "b");

    // Whatever may match empty, or start with what the set cannot describe, gives up.
    for (const char* pattern : {"/a*/o", "/(?:ab)*c/o", "/a|/o", "/(?=a)/o", "/$a/o", "/()x/", "/a/"}) {
        Regex other;
        ASSERT_EQ(other.compile(pattern, RegexDelimited), 1) << pattern;
        EXPECT_FALSE(other.firstCharsValid()) << pattern;
    }
    EXPECT_EQ(matched("/(?:ab)*c/o", "c"), "c");
}

TEST(RegexFirstChars, AnEmptyRangeIsRejectedWithoutReadingPastIt) {
    Regex regex;
    ASSERT_EQ(regex.compile("/a|[^b]/o", RegexDelimited), 1);
    ASSERT_TRUE(regex.firstCharsValid());
    char* buffer = new char[1]{'a'};
    CaptureSpan spans[1];
    int count = 1;
    EXPECT_EQ(regex.matchRange(buffer + 1, buffer + 1, spans, count), 0);
    EXPECT_EQ(regex.matchRange(buffer, buffer + 1, spans, count), 1);
    delete[] buffer;
    EXPECT_EQ(regex.match("", spans, count), 0);
}

TEST(RegexRequiredLiterals, RunsComeFromTheMandatorySequence) {
    EXPECT_EQ(literals("/^(.+):(\\d+):(\\d+): (fatal )?error/"), (Runs{":", ":", ": ", "error"}));
    EXPECT_EQ(literals("/^(.+):(\\d+):(\\d+): warning/"), (Runs{":", ":", ": warning"}));
    EXPECT_EQ(literals("/ERROR\\b:/i"), (Runs{"error:"}));
    EXPECT_EQ(literals("/a{3}b+c?d/"), (Runs{"aaab", "d"}));
    EXPECT_EQ(literals("/x(?:y|z)w(?=q)v/"), (Runs{"x", "w", "v"}));
    EXPECT_EQ(literals("/a|b/"), Runs{});
    EXPECT_EQ(literals("/(?:ab)?c$/m"), (Runs{"c"}));
    // A loop that runs at least once gives its first iteration; its end breaks the run.
    EXPECT_EQ(literals("/x(ab){2,}?c/"), (Runs{"xab", "c"}));
    EXPECT_EQ(literals("/((c+?){2,}a+?){3}?/"), (Runs{"c", "a"}));
    EXPECT_EQ(literals("/x(a|b)+c/"), (Runs{"x", "c"}));
    // A look-behind can move the position back: nothing after it is required.
    EXPECT_EQ(literals("/ab(?<=b)c/"), (Runs{"ab"}));
    // The filter agrees with the matcher, including folded text and text found only in order.
    EXPECT_EQ(matched("/^(.+):(\\d+):(\\d+): (fatal )?error/", "a.c:1:2: fatal error"), "a.c:1:2: fatal error");
    EXPECT_EQ(matched("/^(.+):(\\d+): error/", "error: a.c:1"), "<no match>");
    EXPECT_EQ(matched("/.*ERROR/i", "an Error"), "an Error");
    EXPECT_EQ(matched("/a.*b.*a/", "ab"), "<no match>");
    EXPECT_EQ(matched("/a.*b.*a/", "aba"), "aba");
}

TEST(RegexRequiredAlternatives, OnlyAGroupEveryMatchPassesGivesThem) {
    EXPECT_EQ(alternatives("/^\\w*(Error|Exception|Interrupt|Exit)\\b.*?: /"),
              (Runs{"Error", "Exception", "Interrupt", "Exit"}));
    // A branch's literal ends where its text stops being certain.
    EXPECT_EQ(alternatives("/(abc?|de)/"), (Runs{"ab", "de"}));
    EXPECT_EQ(alternatives("/x(ab|cd)(ef|gh)/"), (Runs{"ab", "cd"}));
    // Too short to tell subjects apart, folded, skippable, repeated or not consuming: none.
    for (const char* pattern : {"/(ab|c)d/", "/(a*bc|de)/", "/(ab|)/", "/(\\bab|cd)/", "/(Error|Exit)/i",
                                "/(Error|Exit)?x/", "/(Error|Exit)*x/", "/(Error|Exit){0,2}x/", "/(?:ab|cd)e|f/",
                                "/(?=(Error|Exit))\\w+/", "/(?!(Error|Exit))\\w+/", "/((ab|cd)|ef)/"}) {
        EXPECT_EQ(alternatives(pattern), Runs{}) << pattern;
    }
    // A recompiled regex forgets the old pattern's alternatives.
    Regex regex;
    ASSERT_EQ(regex.compile("/(Error|Exit)/", RegexDelimited), 1);
    ASSERT_EQ(regex.compile("/(ab|c)/", RegexDelimited), 1);
    EXPECT_EQ(regex.requiredAlternatives(), Runs{});

    // Whatever is reported, every match holds one of the literals.
    std::mt19937 random(5);
    const char* pieces[] = {"Error", "Exit", "Err", "Ex", "ab", "cd", "e", "x", ": ", " ", "_"};
    for (const char* pattern : {"/(Error|Exit)+x/", "/(Error|Exit){1,2}/", "/\\w*(Error|Exit)\\b.*?: /",
                                "/(?:ab|cd)+(Error|Exit)/", "/(Err(?:or|xx)|Exit)x/", "/(ab|cd)|(Error|Exit)/"}) {
        Regex regex;
        ASSERT_EQ(regex.compile(pattern, RegexDelimited | RegexFirstChars), 1) << pattern;
        const Runs& required = regex.requiredAlternatives();
        for (int i = 0; i < 3000 && !required.empty(); ++i) {
            std::string subject;
            for (int n = int(random() % 8); n > 0; --n) subject += pieces[random() % 11];
            MatchOutcome outcome = matchWith(regex, subject);
            if (!outcome.matched) continue;
            std::string text = outcome.text(subject, 0);
            bool holds = false;
            for (const std::string& literal : required) holds = holds || text.find(literal) != std::string::npos;
            ASSERT_TRUE(holds) << pattern << " on " << subject;
        }
    }
}

TEST(RegexEndTrimming, ACutSubjectGivesTheSameMatch) {
    EXPECT_EQ(matched("/.*b/", "abcbd"), "abcb");
    EXPECT_EQ(matched("/a\\d+/", "a12x3"), "a12");
    EXPECT_EQ(matched("/(\\w+)[.]c/", "x.c.h"), "x.c");
    EXPECT_EQ(matched("/.*b/", "acd"), "<no match>");
    // A run that went past the cut and failed leaves no span behind.
    MatchOutcome abandoned = matchPattern("/(?:(a.*?)y|.*)b/", "abcc");
    ASSERT_EQ(abandoned.matched, 1);
    EXPECT_TRUE(abandoned.spans[0] == (CaptureSpan{0, 2}));
    EXPECT_TRUE(abandoned.spans[1] == (CaptureSpan{-1, -1}));
}
