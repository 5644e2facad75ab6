#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "regex/regex.h"
#include "regex/regex_program.h"
#include "regex_test_support.h"

namespace {

std::vector<int> kinds(const Regex& regex) {
    std::vector<int> result;
    const RegexNode* node = regex.program();
    while (node && node->kind != Accept) {
        result.push_back(node->kind);
        node = node->next;
    }
    if (node) result.push_back(Accept);
    return result;
}

struct CompileError {
    const char* pattern;
    int code;
    int position;
};

void expectError(const CompileError& e, uint32_t flags = RegexDelimited) {
    Regex regex;
    EXPECT_EQ(regex.compile(e.pattern, flags), 0) << e.pattern;
    EXPECT_EQ(regex.errorCode(), e.code) << e.pattern;
    EXPECT_EQ(regex.errorPos(), e.position) << e.pattern;
    EXPECT_EQ(regex.program(), nullptr) << e.pattern;
}

}  // namespace

TEST(RegexDelimitedForm, ExpressionOptionsAndMissingDelimiters) {
    Regex delimited;
    ASSERT_EQ(delimited.compile("/abc/", RegexDelimited), 1);
    EXPECT_EQ(delimited.errorCode(), ErrNone);
    const std::vector<int> abc = {GroupOpen, Char, Char, Char, GroupClose, Accept};
    EXPECT_EQ(kinds(delimited), abc);
    EXPECT_EQ(delimited.programSize(), 6);
    Regex plain;
    ASSERT_EQ(plain.compile("abc", 0), 1);
    EXPECT_EQ(kinds(plain), abc);

    expectError({"/abc", ErrSyntax, 3});
    expectError({"abc/", ErrSyntax, 0});
    expectError({"", ErrSyntax, 0});
    expectError({"/", ErrSyntax, 0});
    expectError({"/a\\/", ErrSyntax, 3});  // the escaped slash does not close
    expectError({"/a/q", ErrBadOption, 3});
    expectError({"/a/imq", ErrBadOption, 5});
    // Errors inside the expression count from its first character.
    expectError({"/a**/", ErrNothingToRepeat, 2});

    EXPECT_EQ(matched("/a\\/b/", "a/bc"), "a/b");
    EXPECT_EQ(matched("/x/isxmo", "X"), "X");
    // "//" matches the empty prefix of anything.
    MatchOutcome empty = matchPattern("//", "text");
    EXPECT_EQ(empty.matched, 1);
    EXPECT_TRUE(empty.spans[0] == (CaptureSpan{0, 0}));
}

TEST(RegexCompileErrors, EveryCodeAtItsPosition) {
    const CompileError errors[] = {
        {"a{2,1}", ErrBadCount, 2},      {"a{99999999999}", ErrBadCount, 2}, {"a{1,x}", ErrBadCount, 2},
        {"a{1x}", ErrBadCount, 2},       {"*a", ErrNothingToRepeat, 0},      {"a**", ErrNothingToRepeat, 2},
        {"(?=a)*", ErrNothingToRepeat, 5}, {"^*", ErrNothingToRepeat, 1},    {"a|*", ErrNothingToRepeat, 2},
        {"(*)", ErrNothingToRepeat, 1},  {"\\O+", ErrNothingToRepeat, 2},    {"a+++", ErrNothingToRepeat, 2},
        {"\\1(a)", ErrBadBackReference, 0}, {"(a\\1)", ErrBadBackReference, 2}, {"(a)\\0", ErrBadBackReference, 3},
        {"(a)\\2", ErrBadBackReference, 3}, {"(", ErrUnbalanced, 0},         {"a)", ErrUnbalanced, 1},
        {"((a)", ErrUnbalanced, 0},      {"[abc", ErrUnbalanced, 0},         {"a{2", ErrUnbalanced, 1},
        {"[\\]", ErrUnbalanced, 0},      {"\\x", ErrSyntax, 2},              {"a\\xg", ErrSyntax, 3},
        {"[\\xg]", ErrSyntax, 3},        {"[a-\\x]", ErrSyntax, 5},          {"(?P)", ErrSyntax, 2},
        {"(?<x)", ErrSyntax, 3},         {"(?<=a|b)c", ErrSyntax, 5},        {"(?<=a+)c", ErrSyntax, 5},
        {"(?<=(a))", ErrSyntax, 4},      {"(?<!a{2})", ErrSyntax, 5},
    };
    for (const CompileError& e : errors) expectError(e, 0);

    // Unknown escaped letters are literals unless strict escapes are asked for.
    expectError({"ab\\q", ErrUnknownEscape, 2}, RegexStrictEscapes);
    expectError({"[a\\q]", ErrUnknownEscape, 2}, RegexStrictEscapes);
    EXPECT_EQ(matched("/\\q\\%/", "q%"), "q%");

    // 255 groups may be open at once, not 256.
    std::string deep(255, '(');
    deep += std::string(255, ')');
    Regex regex;
    EXPECT_EQ(regex.compile(deep.c_str(), 0), 1);
    expectError({(std::string(256, '(') + std::string(256, ')')).c_str(), ErrTooComplex, 255}, 0);
    // The construct stack also holds the vertical bars of the open groups.
    std::string bars = "a";
    for (int i = 0; i < 255; ++i) bars += "|a";
    EXPECT_EQ(regex.compile(bars.c_str(), 0), 1);
    bars += "|a";
    expectError({bars.c_str(), ErrTooComplex, int(bars.size()) - 2}, 0);
}

TEST(RegexCompileErrors, AFailedCompileLeavesNothingToMatch) {
    Regex regex;
    CaptureSpan spans[2] = {{5, 6}, {7, 8}};
    int count = 2;
    EXPECT_EQ(regex.match("a", spans, count), 0);
    EXPECT_EQ(regex.errorCode(), ErrNotCompiled);
    ASSERT_EQ(regex.compile("(a)", 0), 1);
    EXPECT_EQ(regex.groupCount(), 2);
    EXPECT_EQ(regex.compile("(a", 0), 0);
    EXPECT_EQ(regex.match("a", spans, count), 0);
    EXPECT_EQ(regex.errorCode(), ErrUnbalanced);
    EXPECT_TRUE(spans[0] == (CaptureSpan{5, 6}));  // untouched
    ASSERT_EQ(regex.compile("b", 0), 1);
    EXPECT_EQ(regex.groupCount(), 1);
    EXPECT_EQ(regex.match("b", spans, count), 1);
}

TEST(RegexQuantifierSyntax, BoundsLazyFormsAndWhatCanBeRepeated) {
    Regex one;
    ASSERT_EQ(one.compile("a{1}", 0), 1);
    EXPECT_EQ(kinds(one), (std::vector<int>{GroupOpen, Char, GroupClose, Accept}));
    // "{1}" writes nothing, so the '?' after it is a quantifier, not a lazy mark.
    Regex optional;
    ASSERT_EQ(optional.compile("a{1}?", 0), 1);
    const RegexNode& repeat = optional.program()[1];
    EXPECT_EQ(repeat.kind, RepeatChar);
    EXPECT_EQ(repeat.min, 0);
    EXPECT_EQ(repeat.max, 1);

    struct Bounds {
        const char* pattern;
        int kind;
        int min;
        int max;
    };
    const Bounds bounds[] = {
        {"a+?", RepeatCharLazy, 1, -1}, {"a{2,}", RepeatChar, 2, -1},      {"a{2,5}?", RepeatCharLazy, 2, 5},
        {"a{,4}", RepeatChar, 0, 4},    {"a{}", RepeatChar, 0, 0},         {"[^a]*", RepeatNotChar, 0, -1},
        {"(?:ab)+", RepeatGroup, 1, -1}, {"(a)*?", RepeatGroupLazy, 0, -1},
    };
    for (const Bounds& b : bounds) {
        Regex regex;
        ASSERT_EQ(regex.compile(b.pattern, 0), 1) << b.pattern;
        const RegexNode& node = regex.program()[1];
        EXPECT_EQ(node.kind, b.kind) << b.pattern;
        EXPECT_EQ(node.min, b.min) << b.pattern;
        EXPECT_EQ(node.max, b.max) << b.pattern;
    }
}

TEST(RegexProgram, ElementsAndCounts) {
    Regex regex;
    ASSERT_EQ(regex.compile("(a|b|c)(?:d)((e))", 0), 1);
    EXPECT_EQ(regex.groupCount(), 4);

    // The look-behind width is the number of elements in its body.
    Regex behind;
    ASSERT_EQ(behind.compile("(?<=ab)c", 0), 1);
    EXPECT_EQ(behind.program()[1].kind, LookBehind);
    EXPECT_EQ(behind.program()[1].index, 2);

    // A quoted stretch: every character literal, a backslash pair two of them.
    Regex quoted;
    ASSERT_EQ(quoted.compile("\\Q\\d\\E", 0), 1);
    EXPECT_EQ(kinds(quoted), (std::vector<int>{GroupOpen, Char, Char, GroupClose, Accept}));
    EXPECT_EQ(quoted.program()[1].operand, uint32_t('\\'));
    EXPECT_EQ(quoted.program()[2].operand, uint32_t('d'));
    EXPECT_EQ(matched("/\\Q(a\\E/", "(a"), "(a");
    EXPECT_EQ(matched("/\\Q*+?[/", "*+?["), "*+?[");  // the stretch may run to the end

    // Escapes that write literals, anchors and classes.
    EXPECT_EQ(matched("/\\e\\f\\n\\r\\t/", "\x1b\f\n\r\t"), "\x1b\f\n\r\t");
    EXPECT_EQ(matched("/\\x41\\x4a\\x4Bz/", "AJKz"), "AJKz");
    EXPECT_EQ(matched("/\\x7/", "\x07"), "\x07");
    Regex trailing;
    ASSERT_EQ(trailing.compile("a\\", 0), 1);  // a lone final backslash is a literal
    EXPECT_EQ(matched("/\\\\/", "\\"), "\\");

    // The program holds exactly the validation count: 3, then the set 1, its bounds 0, "x" 1,
    // "(?:" 1, "y" 1, ")" 1, "\Q" 1, "p" 1, the quoted pair 2, "\E" 1.
    Regex sized;
    ASSERT_EQ(sized.compile("[abc]{2,3}x(?:y)\\Qp\\q\\E", 0), 1);
    EXPECT_EQ(sized.programSize(), 13);
}

TEST(RegexRobustness, ArbitraryPatternTextCompilesOrFailsCleanly) {
    // Meant for the sanitized build: any mix of syntax characters either compiles into a
    // program that matches safely or fails with a code, never a bad read or write.
    std::mt19937 random(7);
    const char alphabet[] = "ab:1 ()[]{}|*+?.^$\\-,029xQEOdDwbBsnAZ<=!/imo";
    int compiled = 0;
    for (int i = 0; i < 8000; ++i) {
        std::string pattern;
        for (int k = int(random() % 16); k > 0; --k) pattern += alphabet[random() % (sizeof alphabet - 1)];
        for (uint32_t flags : {0u, uint32_t(RegexDelimited | RegexFirstChars), uint32_t(RegexIgnoreCase | RegexExtended | RegexStrictEscapes)}) {
            Regex regex;
            if (!regex.compile(pattern.c_str(), flags)) {
                EXPECT_GE(regex.errorCode(), ErrSyntax) << pattern;
                EXPECT_LE(regex.errorCode(), ErrNothingToRepeat) << pattern;
                continue;
            }
            ++compiled;
            regex.setMatchLimit(100000);
            std::string subject;
            for (int k = int(random() % 10); k > 0; --k) subject += "ab:1 \nxQ"[random() % 8];
            matchWith(regex, subject);
        }
    }
    EXPECT_GT(compiled, 6000);
}
