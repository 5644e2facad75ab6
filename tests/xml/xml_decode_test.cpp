#include <gtest/gtest.h>

#include "xml/parsed_text.h"

TEST(XmlDecodeText, WhitespaceIsTrimmedAndInnerRunsBecomeOneBlank) {
    EXPECT_EQ(decoded("  one\n two  "), "one two");
    EXPECT_EQ(decoded("\t\r\na \t\r\n b\r\n"), "a b");
    EXPECT_EQ(decoded(" \t\r\n "), "");
    EXPECT_EQ(decoded(""), "");
    EXPECT_EQ(decoded("x"), "x");
}

TEST(XmlDecodeText, NamedEntitiesAndCharacterReferences) {
    EXPECT_EQ(decoded("1 &lt; 2 &amp;&amp; &#65;&#x42;"), "1 < 2 && AB");
    EXPECT_EQ(decoded("&quot;&apos;&gt;"), "\"'>");
    EXPECT_EQ(decoded("&#x4a;&#x4A;&#106;"), "JJj");
    EXPECT_EQ(decoded("&amp;lt;"), "&lt;");  // decoded once, not twice
    // The value is cut to 8 bits; a huge one saturates first.
    EXPECT_EQ(decoded("&#321;"), "A");
    EXPECT_EQ(decoded("&#99999999999999999999;"), "\xff");
    // Whatever byte follows the digits is dropped, not only ";".
    EXPECT_EQ(decoded("&#65x&#x42 c"), "ABc");
}

TEST(XmlDecodeText, UnknownOrIncompleteReferencesAreCopied) {
    EXPECT_EQ(decoded("&copy; R&D &amp"), "&copy; R&D &amp");
    EXPECT_EQ(decoded("&#;&#x;&#xg;"), "&#;&#x;&#xg;");
    // No blanks or signs before the digits.
    EXPECT_EQ(decoded("&# 65;&#-5;&#+5;"), "&# 65;&#-5;&#+5;");
}

TEST(XmlDecodeText, AReferenceAtTheEndStopsAtTheTerminator) {
    EXPECT_EQ(decoded("a&"), "a&");
    EXPECT_EQ(decoded("a&#"), "a&#");
    EXPECT_EQ(decoded("a&#x"), "a&#x");
    EXPECT_EQ(decoded("a&#65"), "aA");
    EXPECT_EQ(decoded("a&#x4"), "a\x04");
    EXPECT_EQ(decoded("a&l"), "a&l");
}
