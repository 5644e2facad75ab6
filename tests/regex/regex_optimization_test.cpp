#include <gtest/gtest.h>

#include <random>
#include <string>

#include "regex/regex.h"
#include "regex_test_support.h"

namespace {

// Builds random patterns over a small alphabet from every construct of the syntax, so that
// the shortcuts meet anchors, sets, groups, loops, back-references, look-arounds and commits.
class PatternGenerator {
public:
    explicit PatternGenerator(uint32_t seed) : random_(seed) {}

    std::string pattern() {
        groups_ = 0;
        closed_.clear();
        std::string body = sequence(3);
        std::string options;
        if (chance(15)) options += 'i';
        if (chance(10)) options += 'm';
        if (chance(10)) options += 's';
        return "/" + body + "/" + options;
    }

    std::string subject() {
        static const char alphabet[] = {'a', 'b', 'c', 'A', 'B', ':', '1', '2', ' ', '\n', '_'};
        int length = pick(13);
        std::string text;
        for (int i = 0; i < length; ++i) text += alphabet[pick(sizeof alphabet)];
        return text;
    }

private:
    int pick(size_t n) { return int(random_() % n); }
    bool chance(int percent) { return pick(100) < percent; }

    std::string sequence(int depth) {
        std::string text;
        int items = 1 + pick(4);
        for (int i = 0; i < items; ++i) text += item(depth);
        return text;
    }

    std::string alternation(int depth) {
        std::string text = sequence(depth);
        while (chance(35)) text += "|" + sequence(depth);
        return text;
    }

    std::string atom(int depth, bool& repeatable) {
        static const char* const simple[] = {"a", "b", "c", "A", ":", "1", " ", ".", "\\d", "\\w", "\\s", "\\D", "\\W",
                                             "\\u", "\\l", "[ab]", "[^a]", "[a-c]", "[^\\d:]", "[b]", "\\x61", "\\n",
                                             "[\\s1]", "\\Qa:\\E"};
        static const char* const anchors[] = {"^", "$", "\\b", "\\B", "\\A", "\\Z", "\\O"};
        repeatable = true;
        int choice = pick(100);
        if (choice < 55 || depth == 0) return simple[pick(sizeof simple / sizeof *simple)];
        if (choice < 63) {
            repeatable = false;
            return anchors[pick(sizeof anchors / sizeof *anchors)];
        }
        if (choice < 70 && !closed_.empty()) return "\\" + std::to_string(closed_[size_t(pick(closed_.size()))]);
        if (choice < 76) {
            repeatable = false;
            static const char* const behind[] = {"(?<=a)", "(?<!a)", "(?<=\\d:)", "(?<![ab])", "(?<=.)"};
            if (chance(50)) return behind[pick(sizeof behind / sizeof *behind)];
            return std::string(chance(50) ? "(?=" : "(?!") + alternation(depth - 1) + ")";
        }
        if (choice < 84) return "(?:" + alternation(depth - 1) + ")";
        int number = ++groups_;
        std::string text = "(" + alternation(depth - 1) + ")";
        closed_.push_back(number);
        return text;
    }

    std::string quantifier() {
        static const char* const forms[] = {"*", "+", "?", "{2}", "{0,2}", "{1,}", "{0}", "{1,3}"};
        std::string text = forms[pick(sizeof forms / sizeof *forms)];
        if (chance(40)) text += "?";
        return text;
    }

    std::string item(int depth) {
        bool repeatable = false;
        std::string text = atom(depth, repeatable);
        if (repeatable && chance(40)) text += quantifier();
        return text;
    }

    std::mt19937 random_;
    int groups_ = 0;
    std::vector<int> closed_;
};

}  // namespace

TEST(RegexOptimizations, ShortcutsNeverChangeAResult) {
    constexpr uint32_t kBudget = 200000;
    PatternGenerator generator(20240611);
    int compiled = 0;
    int matches = 0;
    int exhausted = 0;
    for (int p = 0; p < 4000; ++p) {
        std::string pattern = generator.pattern();
        Regex fast;
        Regex plain;
        plain.setOptimizations(false);
        // The shortcuts save steps, so only runs within the budget on both sides compare.
        fast.setMatchLimit(kBudget);
        plain.setMatchLimit(kBudget);
        int ok = fast.compile(pattern.c_str(), RegexDelimited | RegexFirstChars);
        ASSERT_EQ(ok, plain.compile(pattern.c_str(), RegexDelimited | RegexFirstChars)) << pattern;
        if (!ok) continue;
        ++compiled;
        for (int s = 0; s < 40; ++s) {
            std::string subject = generator.subject();
            MatchOutcome withShortcuts = matchWith(fast, subject);
            MatchOutcome without = matchWith(plain, subject);
            if (withShortcuts.errorCode == ErrMatchLimit || without.errorCode == ErrMatchLimit) {
                ++exhausted;
                continue;
            }
            matches += without.matched;
            ASSERT_TRUE(withShortcuts == without) << "pattern " << pattern << " subject \"" << subject << "\"";
        }
    }
    // The generator must keep producing patterns that compile and subjects that match.
    EXPECT_GT(compiled, 3000);
    EXPECT_GT(matches, 20000);
    EXPECT_LT(exhausted, 1000);
}
