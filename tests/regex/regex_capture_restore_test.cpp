// Backtracking must leave no group span behind: after any backtrack every span is what it was at
// the choice being resumed, so a group that took no part in the final match is unset and a
// back-reference sees only spans of the path being tried.
#include <gtest/gtest.h>

#include <bitset>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "regex/regex.h"
#include "regex_test_support.h"

namespace {

// The spans as "0..2 -": one entry per group, "-" for a group that took no part.
std::string spanList(const MatchOutcome& outcome) {
    if (!outcome.matched) return outcome.errorCode == ErrMatchLimit ? "<match limit>" : "<no match>";
    std::string text;
    for (const CaptureSpan& span : outcome.spans) {
        if (!text.empty()) text += ' ';
        text += span.start < 0 ? "-" : std::to_string(span.start) + ".." + std::to_string(span.end);
    }
    return text;
}

// The matching rules, written for clarity instead of speed: a recursive matcher over the pattern
// text that hands the spans on by value, so that an abandoned path cannot leave one behind. It
// reads the subset that PatternGenerator writes, and keeps the engine's deliberate rules: a loop
// ends at an empty iteration (a lazy one only below its minimum, and it takes no more after an
// empty one), and an unset back-reference fails, under any quantifier.
class ReferenceMatcher {
public:
    explicit ReferenceMatcher(const std::string& expression) : text_(expression) { top_ = alternatives(); }

    // The spans of the match, empty for none; exhausted() tells a run cut short.
    std::vector<CaptureSpan> match(const std::string& subject) {
        subject_ = subject;
        steps_ = 0;
        std::vector<CaptureSpan> found;
        std::vector<CaptureSpan> spans(size_t(groups_ + 1), CaptureSpan{-1, -1});
        alternation(top_, 0, spans, [&](int end, Spans result) {
            result[0] = CaptureSpan{0, end};
            for (CaptureSpan& span : result) {
                if (span.start < 0 || span.end < 0 || span.start > span.end) span = CaptureSpan{-1, -1};
            }
            found = result;
            return true;
        });
        return found;
    }
    bool exhausted() const { return steps_ > kBudget; }

private:
    using Spans = std::vector<CaptureSpan>;
    using Next = std::function<bool(int, Spans)>;
    struct Piece;
    using Sequence = std::vector<Piece>;
    struct Piece {
        std::bitset<256> accepted;  // a one-character element
        int reference = 0;          // a back-reference
        int group = 0;              // 0: not a group; -1: a group that does not capture
        std::vector<Sequence> branches;
        int min = 1;
        int max = 1;
        bool lazy = false;
    };
    static constexpr long kBudget = 400000;

    std::vector<Sequence> alternatives() {
        std::vector<Sequence> branches(1);
        while (at_ < text_.size() && text_[at_] != ')') {
            if (text_[at_] == '|') {
                ++at_;
                branches.emplace_back();
                continue;
            }
            branches.back().push_back(piece());
        }
        return branches;
    }

    Piece piece() {
        Piece piece;
        const char c = text_[at_++];
        if (c == '(') {
            piece.group = text_.compare(at_, 2, "?:") == 0 ? (at_ += 2, -1) : ++groups_;
            piece.branches = alternatives();
            ++at_;
        } else if (c == '\\') {
            piece.reference = text_[at_++] - '0';
        } else if (c == '.') {
            piece.accepted.set().reset('\n').reset('\r');
        } else if (c == '[') {
            for (; text_[at_] != ']'; ++at_) piece.accepted.set(uint8_t(text_[at_]));
            ++at_;
        } else {
            piece.accepted.set(uint8_t(c));
        }
        quantifier(piece);
        return piece;
    }

    void quantifier(Piece& piece) {
        if (at_ >= text_.size()) return;
        const char c = text_[at_];
        if (c == '*' || c == '+' || c == '?') {
            piece.min = c == '+' ? 1 : 0;
            piece.max = c == '?' ? 1 : -1;
            ++at_;
        } else if (c == '{') {
            const size_t close = text_.find('}', at_);
            const std::string bounds = text_.substr(at_ + 1, close - at_ - 1);
            const size_t comma = bounds.find(',');
            piece.min = std::stoi(bounds.substr(0, comma));
            piece.max = comma == std::string::npos ? piece.min
                        : comma + 1 == bounds.size() ? -1
                                                     : std::stoi(bounds.substr(comma + 1));
            at_ = close + 1;
        } else {
            return;
        }
        if (at_ < text_.size() && text_[at_] == '?') {
            piece.lazy = true;
            ++at_;
        }
    }

    bool alternation(const std::vector<Sequence>& branches, int pos, const Spans& spans, const Next& next) {
        for (const Sequence& branch : branches) {
            if (sequence(branch, 0, pos, spans, next)) return true;
        }
        return false;
    }

    bool sequence(const Sequence& items, size_t i, int pos, const Spans& spans, const Next& next) {
        if (++steps_ > kBudget) return false;
        if (i == items.size()) return next(pos, spans);
        const Piece& piece = items[i];
        Next rest = [&, i](int after, Spans kept) { return sequence(items, i + 1, after, kept, next); };
        if (piece.group != 0) return piece.min == 1 && piece.max == 1 ? group(piece, pos, spans, rest) : loop(piece, pos, spans, rest);
        // One step: a character, or the referenced text.
        int length = 1;
        if (piece.reference) {
            const CaptureSpan span = spans[size_t(piece.reference)];
            if (span.start < 0 || span.end < span.start) return false;
            length = span.end - span.start;
            if (length == 0) return rest(pos, spans);
        }
        auto stepAt = [&](int p) {
            if (p + length > int(subject_.size())) return false;
            if (!piece.reference) return bool(piece.accepted[uint8_t(subject_[size_t(p)])]);
            return subject_.compare(size_t(p), size_t(length), subject_, size_t(spans[size_t(piece.reference)].start), size_t(length)) == 0;
        };
        int taken = 0;
        while ((piece.max < 0 || taken < piece.max) && stepAt(pos + taken * length)) ++taken;
        if (taken < piece.min) return false;
        if (piece.lazy) {
            for (int n = piece.min; n <= taken; ++n) {
                if (rest(pos + n * length, spans)) return true;
            }
            return false;
        }
        for (int n = taken; n >= piece.min; --n) {
            if (rest(pos + n * length, spans)) return true;
        }
        return false;
    }

    bool group(const Piece& piece, int pos, Spans spans, const Next& next) {
        if (piece.group > 0) spans[size_t(piece.group)].start = pos;
        return alternation(piece.branches, pos, spans, [&](int end, Spans kept) {
            if (piece.group > 0) kept[size_t(piece.group)].end = end;
            return next(end, kept);
        });
    }

    bool loop(const Piece& piece, int pos, const Spans& spans, const Next& next) {
        if (piece.max == 0) return next(pos, spans);
        if (piece.lazy && piece.min == 0 && next(pos, spans)) return true;
        if (iteration(piece, 0, pos, spans, next)) return true;
        return !piece.lazy && piece.min == 0 && next(pos, spans);
    }

    bool iteration(const Piece& piece, int done, int start, Spans spans, const Next& next) {
        if (piece.group > 0) spans[size_t(piece.group)].start = start;
        return alternation(piece.branches, start, spans,
                           [&](int end, Spans kept) { return afterIteration(piece, done + 1, start, end, kept, next); });
    }

    bool afterIteration(const Piece& piece, int done, int start, int end, Spans spans, const Next& next) {
        const bool empty = end == start;
        const bool capturing = piece.group > 0;
        if (empty && (!piece.lazy || done < piece.min)) {
            if (capturing) spans[size_t(piece.group)].end = end;
            return next(end, spans);
        }
        if (done < piece.min) return iteration(piece, done, end, spans, next);
        if (capturing) spans[size_t(piece.group)].end = end;
        if (!piece.lazy) return (done != piece.max && iteration(piece, done, end, spans, next)) || next(end, spans);
        return next(end, spans) || (done != piece.max && !empty && iteration(piece, done, end, spans, next));
    }

    std::string text_;
    size_t at_ = 0;
    int groups_ = 0;
    std::vector<Sequence> top_;
    std::string subject_;
    long steps_ = 0;
};

// Patterns where spans are set and abandoned: groups in loops, optional groups, nested counted
// and lazy loops, and back-references into loops.
class PatternGenerator {
public:
    explicit PatternGenerator(uint32_t seed) : random_(seed) {}

    std::string expression() {
        groups_ = 0;
        closed_.clear();
        return sequence(3);
    }

    std::string subject() {
        std::string text;
        for (int length = pick(10); length > 0; --length) text += "abc"[pick(3)];
        return text;
    }

private:
    int pick(size_t n) { return int(random_() % n); }

    std::string sequence(int depth) {
        std::string text;
        for (int items = 1 + pick(3); items > 0; --items) text += item(depth);
        return text;
    }

    std::string item(int depth) {
        static const char* const simple[] = {"a", "b", "c", "a", "b", "[ab]", "."};
        const int choice = pick(100);
        if (choice < 40 || depth == 0) return simple[pick(7)] + (pick(3) == 0 ? quantifier() : "");
        if (choice < 52 && !closed_.empty()) {
            std::string reference = "\\" + std::to_string(closed_[size_t(pick(closed_.size()))]);
            return reference + (pick(3) == 0 ? quantifier() : "");
        }
        const bool capturing = choice >= 62 && groups_ < 9;
        const int number = capturing ? ++groups_ : 0;
        std::string body = sequence(depth - 1);
        while (pick(100) < 30) body += "|" + sequence(depth - 1);
        if (capturing) closed_.push_back(number);
        return (capturing ? "(" : "(?:") + body + ")" + (pick(3) != 0 ? quantifier() : "");
    }

    std::string quantifier() {
        static const char* const forms[] = {"*", "+", "?", "{2}", "{0,2}", "{1,}", "{2,}", "{1,3}", "{3}"};
        return std::string(forms[pick(9)]) + (pick(5) < 2 ? "?" : "");
    }

    std::mt19937 random_;
    int groups_ = 0;
    std::vector<int> closed_;
};

}  // namespace

TEST(RegexCaptureRestore, SpansOfAbandonedAttemptsAreUndone) {
    struct Case {
        const char* pattern;
        const char* subject;
        const char* spans;  // PCRE2's answer
    };
    const Case cases[] = {
        // A loop left and re-entered by backtracking.
        {"/(a|(b))+\\2/", "aba", "<no match>"},
        {"/(?:xy|x(y)q|x)*yz/", "xyz", "0..3 -"},
        // A loop resumed with zero iterations.
        {"/(a)?\\1/", "a", "<no match>"},
        {"/(ab)*ab/", "ab", "0..2 -"},
        {"/(b){0,2}b/", "b", "0..1 -"},
        {"/^(.+?)(:\\d+)?:(\\d+):\\s/", "f:1: x", "0..5 0..1 - 2..3"},
        // The span saved before its start is overwritten.
        {"/(a*a)*?\\1/", "aabba", "0..2 0..1"},
        {"/(a*a){1,2}?a/", "aaa", "0..3 0..2"},
        // The msvc error pattern: the column of a failed attempt is not reported.
        {"/^\\s*(.+?)\\((\\d+)(,(\\d+))?\\) ?: (fatal )?error /", "x(1,2)y(30,40)z.cpp(57) : error C2065: ...",
         "0..32 0..19 20..22 - - -"},
        {"/^\\s*(.+?)\\((\\d+)(,(\\d+))?\\) ?: (fatal )?error /", "a.cpp(12,5): fatal error C1083: x",
         "0..25 0..5 6..8 8..10 9..10 13..19"},
        // Outside loops, and past the subject's cut end.
        {"/(?:(a)x|ab)/", "ab", "0..2 -"},
        {"/(?:(a.*?)y|.*)b/", "abcc", "0..2 -"},
        // Look-aheads: kept after success, undone by a backtrack past them or when they fail.
        {"/(?=(a))ab/", "ab", "0..2 0..1"},
        {"/(?:(?=(a)b)x|ab)/", "ab", "0..2 -"},
        {"/(?:(?=(a)(b))a\\2|a)b/", "ab", "0..2 - -"},
        {"/(?:(?!(a)b)ax|a)b/", "ab", "0..2 -"},
        {"/(a|(?=(b)))*\\2c/", "abc", "0..3 1..1 1..2"},
        // A look-ahead whose body saved more spans than one stack chunk holds.
        {"/(?=((a)(b))+)a/", "abababababababababab", "0..1 18..20 18..19 19..20"},
        {"/(?:(?=((a)(b))+)c|ab)/", "abababababababababab", "0..2 - - -"},
        // Lazy counted loops; the subject without an "a" is refused before any backtracking.
        {"/((c+?){2,}a+?){3}?/", "cccccccccccccccccccccccc", "<no match>"},
        {"/((c+?){2,}a+?){3}?/", "cccacccacccacccacccaccca", "0..12 8..12 10..11"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(spanList(matchPattern(c.pattern, c.subject)), c.spans) << c.pattern << " on " << c.subject;
    }

    // Each nested lazy counted loop adds its own work instead of multiplying what is inside it.
    Regex nested;
    ASSERT_EQ(nested.compile("/((((c{1,2}?a){2}?b){2}?d){2}?e){2}?x/", RegexDelimited), 1);
    nested.setOptimizations(false);
    nested.setMatchLimit(2000);
    const std::string blocks = "cacabcacabdcacabcacabde";
    MatchOutcome refused = matchWith(nested, blocks + blocks);
    EXPECT_EQ(refused.matched, 0);
    EXPECT_EQ(refused.errorCode, ErrNone);
    EXPECT_EQ(spanList(matchWith(nested, blocks + blocks + "x")), "0..47 23..46 34..45 39..44 41..43");
}

TEST(RegexCaptureRestore, GeneratedPatternsAgreeWithTheRules) {
    constexpr uint32_t kBudget = 200000;
    PatternGenerator generator(20250318);
    int compared = 0;
    int matches = 0;
    int unsetGroups = 0;
    for (int p = 0; p < 1500; ++p) {
        const std::string expression = generator.expression();
        const std::string pattern = "/" + expression + "/";
        Regex fast;
        Regex plain;
        plain.setOptimizations(false);
        fast.setMatchLimit(kBudget);
        plain.setMatchLimit(kBudget);
        ASSERT_EQ(fast.compile(pattern.c_str(), RegexDelimited | RegexFirstChars), 1) << pattern;
        ASSERT_EQ(plain.compile(pattern.c_str(), RegexDelimited | RegexFirstChars), 1) << pattern;
        ReferenceMatcher reference(expression);
        for (int s = 0; s < 12; ++s) {
            const std::string subject = generator.subject();
            const MatchOutcome withShortcuts = matchWith(fast, subject);
            const MatchOutcome without = matchWith(plain, subject);
            const std::vector<CaptureSpan> expected = reference.match(subject);
            if (withShortcuts.errorCode == ErrMatchLimit || without.errorCode == ErrMatchLimit || reference.exhausted()) continue;
            ++compared;
            ASSERT_TRUE(withShortcuts == without) << pattern << " on \"" << subject << "\"";
            ASSERT_EQ(without.matched, expected.empty() ? 0 : 1) << pattern << " on \"" << subject << "\"";
            if (!without.matched) continue;
            ++matches;
            ASSERT_TRUE(without.spans == expected) << pattern << " on \"" << subject << "\": " << spanList(without);
            for (const CaptureSpan& span : without.spans) unsetGroups += span.start < 0;
        }
    }
    // The generator must keep producing subjects that match, with groups both set and unset.
    EXPECT_GT(compared, 15000);
    EXPECT_GT(matches, 3500);
    EXPECT_GT(unsetGroups, 7000);
}
