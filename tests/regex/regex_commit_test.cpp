#include <gtest/gtest.h>

#include <string>

#include "regex/regex.h"
#include "regex_test_support.h"

TEST(RegexCommit, BacktrackingIntoACommitFailsTheWholeMatch) {
    EXPECT_EQ(matched("/a\\Ob|ac/", "ac"), "<no match>");
    EXPECT_EQ(matched("/a\\Ob|ac/", "ab"), "ab");
    EXPECT_EQ(matched("/ac|a\\Ob/", "ac"), "ac");
    EXPECT_EQ(matched("/\\Oa|b/", "b"), "<no match>");
    EXPECT_EQ(matched("/a*\\Oab/", "aaab"), "<no match>");  // a* cannot give back
    EXPECT_EQ(matched("/a*ab\\O/", "aaab"), "aaab");
    EXPECT_EQ(matched("/(?:a\\O)?b|ac/", "ac"), "<no match>");
    // Inside an assertion a commit is local to it.
    EXPECT_EQ(matched("/(?=a\\O)b|ac/", "ac"), "ac");
    EXPECT_EQ(matched("/xy(?<!x\\O)z|xyz/", "xyz"), "xyz");
}
