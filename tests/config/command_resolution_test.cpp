#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/command_resolution.h"
#include "config/configuration.h"
#include "config/composed_command.h"
#include "support/configuration_loading.h"

namespace {

class CommandResolution : public ::testing::Test {
protected:
    ~CommandResolution() override { FreeConfiguration(); }
    void load(const std::string& xml) {
        RecordingReporter reporter;
        ASSERT_EQ(loadConfigurationText(xml, reporter), 1);
        ASSERT_TRUE(reporter.problems.empty());
    }
};

}  // namespace

TEST_F(CommandResolution, EveryMatchingTypeContributesInFileOrder) {
    load("<tinker-config><parsers><p><error pattern='/^e/' file='' line=''/></p></parsers><types>"
         "<filetype filename='/^(.*)\\.c$/i'>"
         "<command name='Compile' parser='p'>gcc -c $0 -o $1.o</command>"
         "<command name='Lint' parser='q'>lint $1</command></filetype>"
         "<filetype filename='/^x/'><command name='Other' parser='p'>other</command></filetype>"
         "<filetype filename='/^(.+)\\.(c|h)$/'><command name='Any' parser='p'>any $2</command></filetype>"
         "</types></tinker-config>");
    List<BuildCommand> commands;
    ASSERT_EQ(FindCommandsForFile(String("HELLO.C"), commands), 2);
    EXPECT_EQ(composedCommand(*commands.at(0)), "gcc -c 'HELLO.C' -o 'HELLO'.o");
    EXPECT_STREQ(commands.at(1)->name.text(), "Lint");
    EXPECT_STREQ(commands.at(1)->parser.text(), "q");

    List<BuildCommand> both;
    ASSERT_EQ(FindCommandsForFile(String("hello.c"), both), 3);
    EXPECT_STREQ(both.at(0)->name.text(), "Compile");
    EXPECT_EQ(composedCommand(*both.at(2)), "any 'c'");

    List<BuildCommand> none;
    EXPECT_EQ(FindCommandsForFile(String(""), none), 0);
}

TEST_F(CommandResolution, PrefixesResolveOnlyTheirOwnCommand) {
    load("<tinker-config><parsers><p><error pattern='/^e/' file='' line=''/></p></parsers><types>"
         "<filetype filename='/^(.+)\\.c$/'>"
         "<command name='Compile' parser='p' prefix='gcc'>gcc -c $0 -o $1.o</command>"
         "<command name='Upper' parser='p' prefix='GCC'>never</command></filetype>"
         "<filetype filename='/^(.*)$/'><command name='Any' parser='p'>any</command></filetype>"
         "</types></tinker-config>");
    BuildCommand command;
    ASSERT_EQ(ResolvePrefixCommand("gcc", "hello.c", command), 1);
    EXPECT_EQ(composedCommand(command), "gcc -c 'hello.c' -o 'hello'.o");
    EXPECT_STREQ(command.name.text(), "Compile");
    EXPECT_EQ(ResolvePrefixCommand("gcc", "", command), 0);  // the type does not accept it
    EXPECT_EQ(ResolvePrefixCommand("gcc", "hello.py", command), 0);
    EXPECT_EQ(ResolvePrefixCommand("gc", "hello.c", command), 0);
    EXPECT_EQ(ResolvePrefixCommand("gcc", "hello.c", command), 1);
    EXPECT_EQ(ResolvePrefixCommand("GCC", "hello.c", command), 1);  // found only as written
    EXPECT_EQ(ResolvePrefixCommand("unknown", "hello.c", command), 0);
}

TEST_F(CommandResolution, ClassificationReadsFileLineAndColumn) {
    load("<tinker-config><parsers>"
         "<p>"
         "<warning pattern='/^(.+):(\\d+):(\\d+): (warning|error)/' file='1' line='2' pos='3'/>"
         "<error pattern='/^(.+):(\\d+):(\\d+): error/' file='1' line='2' pos='3'/>"
         "<error pattern='/^E (\\S+) ([-+\\d]+)/' file='' line='2'/>"
         "<error pattern='/^L(\\d)/' file='1' line='1'/>"
         "<error pattern='/^opt (a)?(b)/' file='1' line='1' pos='1'/>"
         "<error pattern='/^far (x)/' file='12' line='12' pos='-5'/>"
         "</p></parsers><types><filetype filename='/x/'/></types></tinker-config>");
    LineMatch match;
    // Errors are tried before warnings, whatever their order in the file.
    EXPECT_EQ(describeMatch(ClassifyLine("p", String("a.c:3:7: error: x"), match), match), "E a.c:3:7");
    EXPECT_EQ(describeMatch(ClassifyLine("p", String("src/b.c:10:2: warning: y"), match), match), "W src/b.c:10:2");
    EXPECT_EQ(describeMatch(ClassifyLine("p", String("E f 0012"), match), match), "E :12:-1");
    EXPECT_EQ(describeMatch(ClassifyLine("p", String("E f +7"), match), match), "E :7:-1");
    // The number is read from the slot's start on, past its end.
    EXPECT_EQ(describeMatch(ClassifyLine("p", String("L123"), match), match), "E 1:123:-1");
    // A slot that took no part, or a group outside 0 to 9, gives no file, line 0, no column.
    EXPECT_EQ(describeMatch(ClassifyLine("p", String("opt b"), match), match), "E :0:-1");
    EXPECT_EQ(describeMatch(ClassifyLine("p", String("far x"), match), match), "E :0:-1");

    LineMatch untouched;
    untouched.line = 99;
    EXPECT_EQ(ClassifyLine("p", String("nothing here"), untouched), 0);
    EXPECT_EQ(untouched.line, 99);
    EXPECT_EQ(ClassifyLine("missing", String("a.c:3:7: error: x"), untouched), 0);
    EXPECT_EQ(ClassifyLine("", String("a.c:3:7: error: x"), untouched), 0);
    EXPECT_EQ(ClassifyLine(nullptr, String("a.c:3:7: error: x"), untouched), 0);
}
