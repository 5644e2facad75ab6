#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "config/command_resolution.h"
#include "config/composed_command.h"
#include "config/configuration.h"
#include "foundation/string_list.h"
#include "regex/regex_needle_finder.h"
#include "support/configuration_loading.h"
#include "support/temporary_directory.h"

namespace {

// Classifies every line of a captured real output with the parser.
std::vector<std::string> classifySample(const char* parser, const std::string& sample) {
    StringList lines;
    std::string path = std::string(TINKER_TEST_DATA_DIR) + "/output/" + sample;
    EXPECT_TRUE(lines.loadLines(path.c_str())) << path;
    std::vector<std::string> kinds;
    for (int i = 0; i < lines.count(); ++i) {
        LineMatch match;
        kinds.push_back(describeMatch(ClassifyLine(parser, *lines.at(i), match), match));
    }
    return kinds;
}

class DefaultConfiguration : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingReporter reporter;
        ASSERT_EQ(loadConfigurationFile(std::string(TINKER_DATA_DIR) + "/tinker.xml", reporter), 1);
        EXPECT_TRUE(reporter.problems.empty());
    }
    void TearDown() override { FreeConfiguration(); }
};

using Kinds = std::vector<std::string>;

}  // namespace

TEST_F(DefaultConfiguration, OffersItsParsersAndPrefixes) {
    for (const char* parser : {"gcc", "clang", "msvc", "make", "python", "cmake", "ninja", "rust", "go", "java", "tsc", "perl",
                               "gfortran"}) {
        EXPECT_NE(configuration().parsers.find(parser), nullptr) << parser;
    }
    EXPECT_STREQ(PrefixListForHost().text(), ":gcc:clang:cl:gpp:clangpp:gfortran:py:rustc:go:javac:tsc:perl");
    List<BuildCommand> commands;
    EXPECT_EQ(FindCommandsForFile(String("hello.c"), commands), 4);
    EXPECT_EQ(composedCommand(*commands.at(0)), "gcc -Wall -Wextra -c \"hello.c\" -o \"hello.o\"");
    List<BuildCommand> makefile;
    EXPECT_EQ(FindCommandsForFile(String("sub/Makefile"), makefile), 2);
    BuildCommand python;
    EXPECT_EQ(ResolvePrefixCommand("py", "tool.py", python), 1);
    EXPECT_EQ(composedCommand(python), "python3 \"tool.py\"");
    // A CMake project in a folder is configured and built there; in the current folder, here.
    List<BuildCommand> cmake;
    EXPECT_EQ(FindCommandsForFile(String("src/CMakeLists.txt"), cmake), 2);
    EXPECT_EQ(composedCommand(*cmake.at(0)), "cmake -S \"src/.\" -B \"src/build\" && cmake --build \"src/build\"");
    List<BuildCommand> here;
    EXPECT_EQ(FindCommandsForFile(String("CMakeLists.txt"), here), 2);
    EXPECT_EQ(composedCommand(*here.at(0)), "cmake -S \".\" -B \"build\" && cmake --build \"build\"");
    // Each new kind of file finds its commands, and nothing else does.
    const std::pair<const char*, int> kinds[] = {{"a.h", 2}, {"a.hpp", 2}, {"boot.S", 2}, {"rules.mk", 2},
                                                 {"main.rs", 2}, {"Cargo.toml", 1}, {"main.go", 3}, {"Foo.java", 2},
                                                 {"app.ts", 1}, {"x.pl", 2}, {"m.f90", 2}, {"build.ninja", 1},
                                                 {"x.cpp", 4}, {"notes.txt", 0}, {"Makefile.txt", 0}};
    for (const auto& kind : kinds) {
        List<BuildCommand> found;
        EXPECT_EQ(FindCommandsForFile(String(kind.first), found), kind.second) << kind.first;
    }
}

TEST_F(DefaultConfiguration, GccAndClangOutput) {
    EXPECT_EQ(classifySample("gcc", "gcc_warn.txt"),
              (Kinds{"-", "E warn.c:6:12", "-", "-", "N warn.c:6:12", "-", "W warn.c:2:12", "-", "-"}));
    EXPECT_EQ(classifySample("gcc", "gcc_fatal.txt"), (Kinds{"E bad.c:2:10", "-", "-", "-"}));
    // "In file included from" points at the includer: a note.
    EXPECT_EQ(classifySample("gcc", "gcc_include.txt"),
              (Kinds{"N inc.c:1:-1", "-", "E inc.h:1:36", "-", "-", "N inc.h:1:36"}));
    EXPECT_EQ(classifySample("gcc", "gcc_link.txt"), (Kinds{"-", "E link.c:0:-1", "E :0:-1"}));
    EXPECT_EQ(classifySample("gcc", "gcc_warnings.txt"),
              (Kinds{"W warnonly.c:2:12", "-", "-", "-", "W warnonly.c:5:5", "-", "-", "N warnonly.c:4:9", "-", "-"}));
    EXPECT_EQ(classifySample("gcc", "gxx_template.txt"),
              (Kinds{"-", "E tmpl.cpp:5:68", "-", "-", "-", "-", "E tmpl.cpp:4:102", "-", "-"}));
    EXPECT_EQ(classifySample("clang", "clang_errors.txt"), (Kinds{"E warn.c:6:12", "-", "-", "-"}));
    EXPECT_EQ(classifySample("clang", "clang_fatal.txt"), (Kinds{"E bad.c:2:10", "-", "-", "-"}));
    EXPECT_EQ(classifySample("clang", "clang_link.txt"), (Kinds{"-", "E link.c:0:-1", "E :0:-1"}));
    EXPECT_EQ(classifySample("clang", "clang_warnings.txt"),
              (Kinds{"W warnonly.c:5:20", "-", "-", "N warnonly.c:4:10", "-", "-", "-", "W warnonly.c:2:12", "-", "-",
                     "-"}));
    EXPECT_EQ(ParserColumnKind("gcc"), ColumnDisplay);  // gcc counts a tab to the next eighth column
    EXPECT_EQ(ParserColumnKind("clang"), ColumnCharacters);
}

TEST_F(DefaultConfiguration, MakeOutput) {
    EXPECT_EQ(classifySample("make", "make_errors.txt"),
              (Kinds{"-", "-", "E warn.c:6:12", "-", "-", "N warn.c:6:12", "E Makefile:5:-1"}));
    EXPECT_EQ(classifySample("make", "make_missing.txt"), (Kinds{"-", "E :0:-1"}));
    EXPECT_EQ(classifySample("make", "make_recursive.txt"),
              (Kinds{"-", "-", "-", "-", "E warn.c:6:12", "-", "-", "N warn.c:6:12", "E ../Makefile.sub:2:-1", "-",
                     "E Makefile.top:2:-1"}));
    EXPECT_EQ(ParserColumnKind("make"), ColumnDisplay);
}

TEST_F(DefaultConfiguration, PythonAndMsvcOutput) {
    EXPECT_EQ(classifySample("python", "python_traceback.txt"),
              (Kinds{"-", "E /tmp/samples/pyproj/main.py:2:-1", "-", "-", "E /tmp/samples/pyproj/mod.py:2:-1", "-",
                     "-", "E :0:-1"}));
    EXPECT_EQ(classifySample("python", "python_syntax.txt"),
              (Kinds{"E /tmp/samples/pyproj/syntax.py:1:-1", "-", "-", "E :0:-1"}));
    EXPECT_EQ(classifySample("msvc", "msvc_cl.txt"),
              (Kinds{"-", "E hello.c:6:-1", "W hello.c:5:12", "E C:\\proj\\util.c:14:3", "E :0:-1", "W :0:-1",
                     "E :0:-1", "E :0:-1", "W :0:-1", "E :0:-1"}));
    // A column seen by an attempt that failed further on is not the line's column.
    LineMatch match;
    const String parenthesized("x(1,2)y(30,40)z.cpp(57) : error C2065: 'x': undeclared identifier");
    EXPECT_EQ(describeMatch(ClassifyLine("msvc", parenthesized, match), match), "E x(1,2)y(30,40)z.cpp:57:-1");
}

namespace {

// Every line of the captured outputs, moved about and cut so that the literals the parsers
// look for fall at every offset, stored the ways an output's lines are stored.
void storeSampleLines(StringList& lines, const std::string& loadedPath) {
    std::vector<std::string> samples;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(TINKER_TEST_DATA_DIR) + "/output")) {
        std::ifstream file(entry.path());
        for (std::string line; std::getline(file, line);) samples.push_back(line);
    }
    // The toolchain corpus: its lines are the last field of each row.
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::string(TINKER_TEST_DATA_DIR) + "/toolchains/corpus")) {
        if (entry.path().extension() != ".tsv") continue;
        std::ifstream file(entry.path());
        for (std::string row; std::getline(file, row);) {
            size_t text = 0;
            for (int tab = 0; tab < 4 && text != std::string::npos; ++tab) text = row.find('\t', text) + 1;
            samples.push_back(row.substr(text));
        }
    }
    // Literals the parsers look for at the very start of a line.
    samples.push_back("Exception: raised where its line starts");
    samples.push_back("Error: and again");
    std::mt19937 random(5);
    std::ofstream loaded(loadedPath, std::ios::binary);
    for (int i = 0; i < 6000; ++i) {
        std::string line = samples[random() % samples.size()];
        if (random() % 3 == 0) line = std::string(random() % 40, ' ') + line;
        if (random() % 4 == 0) line = line.substr(0, random() % (line.size() + 1));
        if (i % 2 == 0) {
            loaded << line << '\n';
        } else {
            lines.appendText(line.c_str(), int(line.size()));
        }
    }
    loaded.close();
    ASSERT_TRUE(lines.loadLines(loadedPath.c_str()));
    std::string kept(70000, '-');  // a text with a buffer of its own
    lines.appendText((kept + "a.c:1:2: error: far out").c_str(), int(kept.size()) + 23);
    lines.at(3)->assign("b.c:4:5: warning: rewritten");  // rewritten where it is kept
    lines.at(5)->assign("x");
}

}  // namespace

// Passing over lines in bulk gives, line for line, the classification of each line alone,
// from the first line or from any later one, with the wide search or without it.
TEST_F(DefaultConfiguration, StoredLinesAreClassifiedInBulkAsOneByOne) {
    TemporaryDirectory directory;
    StringList lines;
    storeSampleLines(lines, directory.path("loaded.txt"));
    StringList parsers;
    ListParserNames(parsers);
    for (bool wide : {true, false}) {
        RegexNeedleFinder::allowWide(wide);
        for (int p = 0; p < parsers.count(); ++p) {
            const char* parser = parsers.at(p)->text();
            for (int first : {0, 37}) {
                std::vector<std::string> expected(size_t(lines.count()) - size_t(first), "-");
                for (int i = first; i < lines.count(); ++i) {
                    LineMatch match;
                    expected[size_t(i - first)] = describeMatch(ClassifyLine(parser, *lines.at(i), match), match);
                }
                std::vector<std::string> found(expected.size(), "-");
                ClassifyStoredLines(parser, lines, first, [&](int index, LineMatch& match) {
                    found[size_t(index - first)] = describeMatch(match.kind, match);
                    return true;
                });
                ASSERT_EQ(found, expected) << parser << " from line " << first << (wide ? " (wide)" : "");
            }
            int calls = 0;
            ClassifyStoredLines(parser, lines, 0, [&calls](int, LineMatch&) { return ++calls < 0; });
            EXPECT_EQ(calls, 1) << parser;  // stops at the first match when told to
        }
    }
    RegexNeedleFinder::allowWide(true);
}

// Parser detection gives what classifying every line with every parser gives, whether a
// parser's first matching line stands near the start of the output or far behind it.
TEST_F(DefaultConfiguration, ParsersAreFoundWhereverTheirFirstMatchingLineStands) {
    StringList parsers;
    ListParserNames(parsers);
    const char* lateLines[] = {"a.c(3) : error C2065: 'x': undeclared identifier",
                               "  File \"tool.py\", line 7, in <module>", "make: *** [all] Error 2",
                               "ValueError: bad value", "b.c:4:5: warning: unused",
                               "error[E0425]: cannot find value `x` in this scope", ""};
    for (const char* late : lateLines) {
        for (int at : {3, 5000, 9999}) {
            StringList lines;
            for (int i = 0; i < 10000; ++i) {
                // The filler holds literals of gates, but no line any parser matches.
                std::string filler = i == at ? late : "[ 42%] Building C object: -Werror=x error " + std::to_string(i);
                lines.appendText(filler.c_str(), int(filler.size()));
            }
            StringList expected;
            for (int p = 0; p < parsers.count(); ++p) {
                for (int i = 0; i < lines.count(); ++i) {
                    LineMatch match;
                    if (!ClassifyLine(parsers.at(p)->text(), *lines.at(i), match)) continue;
                    expected.append(*parsers.at(p));
                    break;
                }
            }
            StringList found;
            FindParsersMatchingLines(parsers, lines, found);
            ASSERT_EQ(found.count(), expected.count()) << late << " at " << at;
            for (int i = 0; i < found.count(); ++i) EXPECT_STREQ(found.at(i)->text(), expected.at(i)->text());
        }
    }
}
