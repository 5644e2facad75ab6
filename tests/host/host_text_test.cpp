#include <gtest/gtest.h>

#include <cstdlib>

#include "app/batch_modes.h"
#include "app/plugin_module.h"
#include "regex/regex.h"
#include "services/environment_expansion.h"
#include "support/temporary_directory.h"
#include "windows/help_file.h"
#include "windows/panel.h"
#include "windows/window_list.h"

TEST(CommandPrefix, OnlyAnnouncedPrefixesFollowedByAColonGoToThePlugin) {
    std::string passed;
    EXPECT_TRUE(matchCommandPrefix("make:gcc:py", true, "make:hello.c", passed));
    EXPECT_EQ(passed, "make:hello.c");
    EXPECT_TRUE(matchCommandPrefix("make:gcc:py", true, "  GCC:a b.c", passed));
    EXPECT_EQ(passed, "GCC:a b.c");
    EXPECT_TRUE(matchCommandPrefix("make:gcc:py", false, "py:run.py", passed));
    EXPECT_EQ(passed, "run.py");
    EXPECT_TRUE(matchCommandPrefix("make", true, "make:", passed));
    EXPECT_FALSE(matchCommandPrefix("make:gcc", true, "makefile:x", passed));
    EXPECT_FALSE(matchCommandPrefix("make:gcc", true, "ls -l", passed));
    EXPECT_FALSE(matchCommandPrefix("make:gcc", true, ":x", passed));
    EXPECT_FALSE(matchCommandPrefix("make:gcc", true, "echo make:x", passed));
    EXPECT_FALSE(matchCommandPrefix("", true, "make:x", passed));
    EXPECT_FALSE(matchCommandPrefix("make::gcc", true, ":", passed));
}

TEST(WindowNames, PathsAreAbsoluteWithoutDetours) {
    EXPECT_EQ(normalizePath("src/a.c", "/home/me/proj"), "/home/me/proj/src/a.c");
    EXPECT_EQ(normalizePath("./src/../b.c", "/p"), "/p/b.c");
    EXPECT_EQ(normalizePath("/x//y/./z", "/p"), "/x/y/z");
    EXPECT_EQ(normalizePath("../../../..", "/a/b"), "/");
    EXPECT_EQ(normalizePath("", "/a/b/"), "/a/b");
}

TEST(EnvironmentReferences, AllThreeFormsAndTheHomeDirectory) {
    setenv("TINKER_TEST_A", "alpha", 1);
    setenv("HOME", "/home/tester", 1);
    unsetenv("TINKER_TEST_UNSET");
    EXPECT_EQ(expandEnvironmentReferences("$TINKER_TEST_A/x"), "alpha/x");
    EXPECT_EQ(expandEnvironmentReferences("${TINKER_TEST_A}x"), "alphax");
    EXPECT_EQ(expandEnvironmentReferences("%TINKER_TEST_A%.txt"), "alpha.txt");
    EXPECT_EQ(expandEnvironmentReferences("~/out.txt"), "/home/tester/out.txt");
    EXPECT_EQ(expandEnvironmentReferences("a~b"), "a~b");
    EXPECT_EQ(expandEnvironmentReferences("$TINKER_TEST_UNSET ${TINKER_TEST_UNSET} %TINKER_TEST_UNSET%"),
              "$TINKER_TEST_UNSET ${TINKER_TEST_UNSET} %TINKER_TEST_UNSET%");
    EXPECT_EQ(expandEnvironmentReferences("100% $ ${ %"), "100% $ ${ %");
}

TEST(HelpFile, TheShippedHelpHasBothTopicsAndItsLinksLeadSomewhere) {
    HelpFile help;
    ASSERT_TRUE(loadHelpFile(std::string(TINKER_DATA_DIR) + "/tinker.hlf", help));
    EXPECT_EQ(help.language, "English");
    EXPECT_EQ(help.pluginContents, "Tinker");
    ASSERT_NE(help.find("Contents"), nullptr);
    ASSERT_NE(help.find("content"), nullptr);
    EXPECT_NE(help.find("content"), help.find("Contents"));
    EXPECT_FALSE(help.find("Contents")->title.empty());
    int links = 0;
    for (const HelpTopic& topic : help.topics) {
        for (const std::string& line : topic.lines) {
            for (const HelpSegment& segment : parseHelpLine(line)) {
                if (segment.kind != HelpSegment::Link) continue;
                ++links;
                EXPECT_NE(help.find(segment.target), nullptr) << segment.target;
            }
        }
    }
    EXPECT_GT(links, 4);
}

TEST(HelpFile, LineMarkup) {
    std::vector<HelpSegment> segments = parseHelpLine(" Press #F1# or see ~the menus~@Menus@, ## not ~~ 50%");
    ASSERT_EQ(segments.size(), 5u);
    EXPECT_EQ(segments[0].text, " Press ");
    EXPECT_EQ(segments[1].kind, HelpSegment::Highlight);
    EXPECT_EQ(segments[1].text, "F1");
    EXPECT_EQ(segments[2].text, " or see ");
    EXPECT_EQ(segments[3].kind, HelpSegment::Link);
    EXPECT_EQ(segments[3].text, "the menus");
    EXPECT_EQ(segments[3].target, "Menus");
    EXPECT_EQ(segments[4].text, ", # not ~ 50%");
}

TEST(HelpFile, LanguageFilesAreChosenByTheirLanguageLine) {
    TemporaryDirectory folder;
    folder.write("a.lng", ".Language=German,Deutsch\n\"Hallo\"\n");
    folder.write("b.lng", ".Language=English,English\n\"Hello\"\n");
    folder.write("c.hlf", ".Language=German,Deutsch\n@Contents\n");
    EXPECT_EQ(findLanguageFile(folder.root(), ".lng", "English"), folder.path("b.lng"));
    EXPECT_EQ(findLanguageFile(folder.root(), ".lng", "German"), folder.path("a.lng"));
    EXPECT_EQ(findLanguageFile(folder.root(), ".lng", "Czech"), folder.path("b.lng"));
    EXPECT_EQ(findLanguageFile(folder.root(), ".hlf", "English"), folder.path("c.hlf"));
    EXPECT_EQ(findLanguageFile(folder.path("none"), ".lng", "English"), "");
}

TEST(Panel, DirectoriesFirstThenFilesAndTheCursorFollowsNames) {
    TemporaryDirectory folder;
    folder.write("b.txt", "b");
    folder.write("A.txt", "a");
    folder.write("zdir/x", "x");
    folder.write("Cdir/x", "x");
    Panel panel;
    panel.read(folder.root());
    std::vector<std::string> names;
    for (const PanelEntry& entry : panel.entries()) names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"..", "Cdir", "zdir", "A.txt", "b.txt"}));
    panel.setCursor(4);
    folder.write("a0.txt", "new");
    panel.read(folder.root());
    ASSERT_NE(panel.currentEntry(), nullptr);
    EXPECT_EQ(panel.currentEntry()->name, "b.txt");
    panel.read(folder.root(), "zdir");
    EXPECT_EQ(panel.currentEntry()->name, "zdir");
    panel.moveCursor(-10);
    EXPECT_EQ(panel.current(), 0);
    panel.moveCursor(100);
    EXPECT_EQ(panel.current(), 5);
    EXPECT_EQ(fitName("averylongname.c", 8), "averylo}");
    Panel root;
    root.read("/");
    EXPECT_NE(root.entries().empty() ? "" : root.entries().front().name, "..");
}

TEST(MatchMode, CaretStandsUnderTheErrorInThePatternText) {
    // Inside the delimiters the position counts from the expression.
    Regex regex;
    ASSERT_FALSE(regex.compile("/ab(c/", RegexDelimited | RegexFirstChars));
    EXPECT_EQ(caretColumn("/ab(c/", regex.errorCode(), regex.errorPos()), 3);
    ASSERT_FALSE(regex.compile("/abc/z", RegexDelimited | RegexFirstChars));
    EXPECT_EQ(caretColumn("/abc/z", regex.errorCode(), regex.errorPos()), 5);
    ASSERT_FALSE(regex.compile("abc", RegexDelimited | RegexFirstChars));
    EXPECT_EQ(caretColumn("abc", regex.errorCode(), regex.errorPos()), 0);
    ASSERT_FALSE(regex.compile("/a\\/b", RegexDelimited | RegexFirstChars));
    EXPECT_EQ(caretColumn("/a\\/b", regex.errorCode(), regex.errorPos()), 4);
}
