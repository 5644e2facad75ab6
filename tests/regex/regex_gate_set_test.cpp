#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "regex/regex.h"
#include "regex/regex_gate_set.h"
#include "regex/regex_needle_finder.h"

namespace {

std::vector<std::string> sampleLines() {
    std::vector<std::string> lines;
    for (const char* name : {"gcc_warn.txt", "gcc_link.txt", "gxx_template.txt", "clang_link.txt", "make_recursive.txt",
                             "python_traceback.txt", "msvc_cl.txt"}) {
        std::ifstream file(std::string(TINKER_TEST_DATA_DIR) + "/output/" + name);
        for (std::string line; std::getline(file, line);) lines.push_back(line);
    }
    return lines;
}

}  // namespace

// A gate rules a subject out only when no pattern that shares it could match.
TEST(RegexGateSet, NoSubjectThatAPatternMatchesIsRuledOut) {
    const char* patterns[] = {
        "/^(.+?):(\\d+):(\\d+): (fatal )?error:/",     "/^(.+?):(\\d+): (fatal )?error:/",
        "/^(.+?):\\(\\.\\w+\\+0x[0-9a-f]+\\): undefined reference/", "/^\\S*ld(\\.exe)?: cannot find /",
        "/^(.+?):(\\d+):(\\d+): warning:/",            "/^\\s*(.+?)\\((\\d+)(,(\\d+))?\\) ?: (fatal )?error /",
        "/^.+? : (fatal )?error LNK\\d+/",              "/^\\s*File \"(.+?)\", line (\\d+)/",
        "/^(.+?):(\\d+): \\w*Warning: /",               "/^.*ERROR/i",
        "/^(a|b)/",                                     "/^.*:/",
        // Gates that must begin the subject.
        "/^In file included from /",                     "/^(?:error|warning)(?:\\[\\w+\\])?: /",
        "/^make(?:\\[\\d+\\])?: /",                        "/^python[\\d.]*: /",
    };
    std::vector<std::unique_ptr<Regex>> regexes;
    std::vector<int> gates;
    RegexGateSet set;
    for (const char* pattern : patterns) {
        regexes.emplace_back(new Regex);
        ASSERT_EQ(regexes.back()->compile(pattern, RegexDelimited | RegexFirstChars), 1) << pattern;
        gates.push_back(set.add(*regexes.back()));
    }
    EXPECT_EQ(gates[0], gates[1]);  // both need "error:"
    EXPECT_EQ(gates[10], -1);       // nothing to look for beyond its first character

    std::vector<std::string> subjects = sampleLines();
    std::mt19937 random(11);
    size_t samples = subjects.size();
    for (size_t i = 0; i < 3000; ++i) {
        std::string line = subjects[random() % samples];
        // Moved about, cut, doubled and padded, so that literals fall on every block boundary
        // and past the short-subject limit.
        line = std::string(random() % 40, random() % 2 ? ' ' : 'x') + line;
        if (random() % 3 == 0) line = line.substr(0, random() % (line.size() + 1));
        if (random() % 10 == 0) line = std::string(1000 + random() % 100, '=') + line;
        subjects.push_back(line);
    }
    int ruledOut = 0;
    for (const std::string& subject : subjects) {
        uint32_t passing = set.passing(subject.data(), subject.data() + subject.size());
        for (size_t p = 0; p < regexes.size(); ++p) {
            CaptureSpan spans[10];
            int count = 10;
            bool matches = regexes[p]->matchRange(subject.data(), subject.data() + subject.size(), spans, count) == 1;
            bool passes = gates[p] < 0 || (passing >> gates[p] & 1);
            ASSERT_TRUE(passes || !matches) << patterns[p] << " on " << subject;
            ruledOut += !passes;
        }
    }
    EXPECT_GT(ruledOut, int(subjects.size()));  // and most subjects are ruled out for most patterns
}

namespace {

struct BulkCase {
    std::vector<const char*> patterns;
    std::vector<std::string> literals;  // every byte string of every gate that is searched for
};

// Text mostly of filler, with whole gate literals, pieces of them, zero bytes and newlines.
std::string bulkText(std::mt19937& random, size_t length) {
    static const char* const pieces[] = {"error:", "err", "or:", ": warning:", ": warn", "xerror:", "Error", "Err",
                                         "Exception", "Exce", "Exit", "Ex", "ab", "a", "b", "Abort", "Note:", "Fatal"};
    std::string text;
    while (text.size() < length) {
        unsigned roll = random() % 100;
        if (roll < 8) text += pieces[random() % (sizeof pieces / sizeof *pieces)];
        else if (roll < 12) text += roll % 2 ? '\0' : '\n';
        else text += char("xyz .:=(0"[random() % 9]);
    }
    text.resize(length);
    return text;
}

}  // namespace

// firstGate never steps past a whole gate, and stops only where one begins.
TEST(RegexGateSet, FirstGateFindsTheFirstWholeGateOfAStretch) {
    const std::vector<BulkCase> cases = {
        {{"/.*error:/", "/.*: warning:/", "/.*xerror:/", "/^\\w*(Error|Exception|Exit)\\b/", "/.*ab/"},
         {"error:", ": warning:", "xerror:", "Error", "Exception", "Exit", "ab"}},
        {{"/.*ab/"}, {"ab"}},
        // More strings than one wide pass takes.
        {{"/.*error:/", "/^\\w*(Error|Exception|Exit)\\b/", "/.*(Abort|Note:|Fatal|ab)/", "/.*: warning:/"},
         {"error:", "Error", "Exception", "Exit", "Abort", "Note:", "Fatal", "ab", ": warning:"}},
        // Short alternatives that the longer gate holds.
        {{"/.*(Ex|rr)y/", "/.*error:/"}, {"Ex", "rr", "error:"}},
        // Gates that their patterns begin with are compared at a subject's start instead; one
        // shared with a pattern that may have it anywhere is searched for.
        {{"/(Ex|rr)y/", "/.*error:/", "/ab/", "/: warning:/", "/Fatal/", "/.*Fatal/"}, {"error:", "Fatal"}},
        {{"/(Ex|rr)y/", "/ab/"}, {}},
    };
    std::mt19937 random(3);
    for (bool wide : {true, false}) {
        RegexNeedleFinder::allowWide(wide);
        for (const BulkCase& bulk : cases) {
            std::vector<std::unique_ptr<Regex>> regexes;
            RegexGateSet set;
            for (const char* pattern : bulk.patterns) {
                regexes.emplace_back(new Regex);
                ASSERT_EQ(regexes.back()->compile(pattern, RegexDelimited | RegexFirstChars), 1) << pattern;
                ASSERT_GE(set.add(*regexes.back()), 0) << pattern;
            }
            for (int round = 0; round < 150; ++round) {
                std::string source = bulkText(random, round % 3 ? random() % 600 : random() % 20000);
                if (wide && round % 2) set.fitBulkSearch(source.data(), std::min<size_t>(source.size(), 1 + random() % 4000));
                // An exact-size copy, so that a read past the stretch's end is caught.
                std::unique_ptr<char[]> text(new char[source.size()]);
                std::copy(source.begin(), source.end(), text.get());
                std::vector<std::pair<size_t, size_t>> found;  // start and end of each whole literal
                for (const std::string& literal : bulk.literals) {
                    for (size_t at = source.find(literal); at != std::string::npos; at = source.find(literal, at + 1)) {
                        found.emplace_back(at, at + literal.size());
                    }
                }
                for (int pick = 0; pick < 30; ++pick) {
                    size_t begin = random() % (source.size() + 1);
                    size_t end = begin + random() % (source.size() - begin + 1);
                    if (pick % 3 == 0) end = std::min(source.size(), begin + random() % 40);
                    if (pick % 3 == 1 && !found.empty()) {  // a literal touching the end
                        end = found[random() % found.size()].second;
                        begin = end - std::min<size_t>(end, random() % 200);
                    }
                    const char* first = set.firstGate(text.get() + begin, text.get() + end);
                    ASSERT_TRUE(first >= text.get() + begin && first <= text.get() + end);
                    size_t p = size_t(first - text.get());
#if !defined(TINKER_SSE2_SEARCH)
                    // Without vector instructions no stretch is searched: every place may hold one.
                    ASSERT_EQ(p, bulk.literals.empty() ? end : begin);
                    continue;
#endif
                    size_t firstEnd = end + 1;  // the earliest end of a whole literal in the stretch
                    for (const auto& at : found) {
                        if (at.first >= begin && at.second <= end) firstEnd = std::min(firstEnd, at.second);
                    }
                    bool startsOne = false;
                    for (const auto& at : found) startsOne = startsOne || (at.first == p && at.second <= end);
                    SCOPED_TRACE(testing::Message() << "wide " << wide << ", [" << begin << ", " << end << ") of "
                                                    << source.size() << ", patterns from " << bulk.patterns.front());
                    ASSERT_EQ(p == end, firstEnd > end) << "at " << p;
                    ASSERT_TRUE(p == end || (startsOne && p < firstEnd)) << "at " << p << ", first end " << firstEnd;
                }
            }
        }
    }
    RegexNeedleFinder::allowWide(true);

    // A folded or one-byte gate may stand anywhere; with no gates there is nothing to find.
    const char text[] = "no gate here at all";
    for (const char* pattern : {"/.*x/i", "/.*x/"}) {
        Regex odd, plain;
        ASSERT_EQ(odd.compile(pattern, RegexDelimited | RegexFirstChars), 1);
        ASSERT_EQ(plain.compile("/.*error:/", RegexDelimited | RegexFirstChars), 1);
        RegexGateSet set;
        set.add(plain);
        ASSERT_GE(set.add(odd), 0);
        EXPECT_EQ(set.firstGate(text, text + sizeof text - 1), text) << pattern;
    }
    EXPECT_EQ(RegexGateSet().firstGate(text, text + sizeof text - 1), text + sizeof text - 1);
}

// Past the short-subject limit the gates are searched one by one, alternatives too; a subject
// that no pattern of the gate may begin with is not searched.
TEST(RegexGateSet, ALongSubjectPassesAnAlternativesGate) {
    Regex regex;
    ASSERT_EQ(regex.compile("/^\\w*(Error|Exception|Exit)\\b/", RegexDelimited | RegexFirstChars), 1);
    RegexGateSet set;
    int gate = set.add(regex);
    ASSERT_GE(gate, 0);
    for (size_t padding : {10, 2000}) {
        std::string subject = std::string(padding, 'a') + "Exit";
        EXPECT_EQ(set.passing(subject.data(), subject.data() + subject.size()) >> gate & 1, 1u) << padding;
        subject.front() = '=';
        EXPECT_EQ(set.passing(subject.data(), subject.data() + subject.size()) >> gate & 1, 0u) << padding;
        subject.front() = 'a';
        subject.back() = 'x';
        EXPECT_EQ(set.passing(subject.data(), subject.data() + subject.size()) >> gate & 1, 0u) << padding;
    }
}

// Fitted to a sample of text the pattern does not match, the gate is the literal found there
// least (a leading one counts only where a line begins); it still passes every subject that
// the pattern matches.
TEST(RegexGateSet, TheRarestLiteralInASampleGatesAPattern) {
    const std::string sample = "src/a.c:3:1: error: x\nsrc/b.c:9: warning: y\nmake: *** [all] Error 1\n"
                               "gcc -Werror=format -c a.c\nIn file included from a.h:2:\nwarned at line 4\n";
    struct Case {
        const char* pattern;
        const char* passesOnlyOwnGate;  // a subject with the gate add chooses but not the rarest
        const char* matched;
    };
    const Case cases[] = {
        {"/^(.+?\\.java):(\\d+): error:/", "src/a.c:3: error: x", "Foo.java:3: error: x"},
        // " at line " stands in the sample once, "error: " often but never where a line begins.
        {"/^error: (.*) at line /", "eh at line 4", "error: x at line 3"},
    };
    for (const Case& test : cases) {
        Regex regex;
        ASSERT_EQ(regex.compile(test.pattern, RegexDelimited | RegexFirstChars), 1) << test.pattern;
        RegexGateSet own, rarest;
        int ownGate = own.add(regex);
        int rarestGate = rarest.addRarestIn(regex, sample.data(), sample.size());
        ASSERT_GE(ownGate, 0);
        ASSERT_GE(rarestGate, 0);
        auto passes = [](const RegexGateSet& set, int gate, const std::string& subject) {
            return (set.passing(subject.data(), subject.data() + subject.size()) >> gate & 1) != 0;
        };
        EXPECT_TRUE(passes(rarest, rarestGate, test.matched)) << test.pattern;
        EXPECT_TRUE(passes(own, ownGate, test.passesOnlyOwnGate)) << test.pattern;
        EXPECT_FALSE(passes(rarest, rarestGate, test.passesOnlyOwnGate)) << test.pattern;
    }
}
