#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "regex/regex.h"
#include "regex/regex_gate_set.h"

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
