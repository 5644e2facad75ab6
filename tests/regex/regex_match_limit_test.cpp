#include <gtest/gtest.h>

#include <string>

#include "foundation/stop_request.h"
#include "regex/regex.h"
#include "regex_test_support.h"

TEST(RegexMatchLimit, ARunawayMatchEndsAsNoMatchWithItsCode) {
    Regex regex;
    ASSERT_EQ(regex.compile("/(a+)+$/", RegexDelimited | RegexFirstChars), 1);
    EXPECT_EQ(regex.matchLimit(), Regex::kDefaultMatchLimit);
    std::string runaway = std::string(30, 'a') + "b";
    MatchOutcome outcome = matchWith(regex, runaway);
    EXPECT_EQ(outcome.matched, 0);
    EXPECT_EQ(outcome.errorCode, ErrMatchLimit);

    // The next match starts with a fresh budget and a clear code.
    MatchOutcome normal = matchWith(regex, "aaaa");
    EXPECT_EQ(normal.matched, 1);
    EXPECT_EQ(normal.errorCode, ErrNone);
    EXPECT_EQ(normal.text("aaaa", 1), "aaaa");

    // Once the user asks to stop, a long match gives up early with a code of its own, even
    // without a limit, while a short one still matches.
    SetStopRequested(true);
    regex.setMatchLimit(0);
    EXPECT_EQ(matchWith(regex, runaway).errorCode, ErrMatchAbandoned);
    EXPECT_EQ(matchWith(regex, "aaaa").matched, 1);
    SetStopRequested(false);

    // Without a limit the same kind of search runs to its end.
    regex.setMatchLimit(0);
    MatchOutcome unlimited = matchWith(regex, std::string(14, 'a') + "b");
    EXPECT_EQ(unlimited.matched, 0);
    EXPECT_EQ(unlimited.errorCode, ErrNone);
}

TEST(RegexMatchLimit, MatchesWithinTheBudgetAreUnchanged) {
    Regex regex;
    ASSERT_EQ(regex.compile("/^(.+):(\\d+):(\\d+): (fatal )?error/", RegexDelimited | RegexFirstChars), 1);
    const std::string line = "src/a.c:12:5: error: 'x' undeclared";
    MatchOutcome generous = matchWith(regex, line);
    ASSERT_EQ(generous.matched, 1);
    // Below the steps this match needs it runs out; from there on nothing changes.
    uint32_t needed = 1;
    for (;; ++needed) {
        ASSERT_LT(needed, 10000u);
        regex.setMatchLimit(needed);
        MatchOutcome outcome = matchWith(regex, line);
        if (outcome.errorCode != ErrMatchLimit) {
            EXPECT_TRUE(outcome == generous);
            break;
        }
        EXPECT_EQ(outcome.matched, 0);
    }
    EXPECT_GT(needed, 10u);
    regex.setMatchLimit(needed + 1);
    EXPECT_TRUE(matchWith(regex, line) == generous);
}

TEST(RegexStack, DeepBacktrackingUsesTheHeapNotTheMachineStack) {
    // Two choice points per character, over a million characters, and matched twice so that
    // the chunks kept from the first match serve the second.
    std::string subject;
    for (int i = 0; i < 500000; ++i) subject += "ab";
    subject += "c";
    Regex regex;
    ASSERT_EQ(regex.compile("/((?:a|b)*)c/", RegexDelimited), 1);
    for (int round = 0; round < 2; ++round) {
        MatchOutcome outcome = matchWith(regex, subject);
        ASSERT_EQ(outcome.matched, 1);
        EXPECT_EQ(outcome.spans[1].end, 1000000);
    }
    MatchOutcome lazy = matchPattern("/(?:a|b)*?c/", subject);
    EXPECT_EQ(lazy.matched, 1);
    EXPECT_EQ(matched("/(?:a|b)*d/", subject), "<no match>");
}
