#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/command_resolution.h"
#include "config/composed_command.h"
#include "config/configuration.h"
#include "support/configuration_loading.h"

namespace {

class ConfigurationLoader : public ::testing::Test {
protected:
    ConfigurationLoader() {
        configuration().colors = ColorSet();
        configuration().options = Options();
    }
    ~ConfigurationLoader() override { FreeConfiguration(); }

    int load(const std::string& xml) {
        reporter.problems.clear();
        return loadConfigurationText(xml, reporter);
    }
    bool parserExists(const char* name) { return configuration().parsers.find(name) != nullptr; }
    std::vector<std::string> parserNames() {
        StringList names;
        ListParserNames(names);
        std::vector<std::string> result;
        for (int i = 0; i < names.count(); ++i) result.push_back(names.at(i)->text());
        return result;
    }

    RecordingReporter reporter;
};

const char kParsers[] =
    "<parsers><gcc><error pattern='/^(.+):(\\d+): error/' file='1' line='2'/></gcc></parsers>";
const char kTypes[] =
    "<types><filetype filename='/^(.*)\\.c$/'><command name='Compile' parser='gcc'>cc $0</command>"
    "</filetype></types>";

std::string document(const std::string& body) { return "<tinker-config>" + body + "</tinker-config>"; }

}  // namespace

TEST_F(ConfigurationLoader, MissingSectionsStopTheLoad) {
    // Without parsers nothing but colours and options is read, and nothing is reported.
    EXPECT_EQ(load(document("<colors text='3'/><options beep='yes'/>" + std::string(kTypes))), 0);
    EXPECT_TRUE(reporter.problems.empty());
    EXPECT_EQ(configuration().colors.text, 3);
    EXPECT_EQ(configuration().options.beep, 1);
    EXPECT_EQ(configuration().fileTypes.count(), 0);

    // A parsers section with no child element counts as missing.
    EXPECT_EQ(load(document("<parsers><!-- none --></parsers>" + std::string(kTypes))), 0);
    EXPECT_TRUE(reporter.problems.empty());

    // Without types: message 18, but the parsers stay and no prefix is announced.
    EXPECT_EQ(load(document(kParsers)), 0);
    EXPECT_EQ(reporter.problems, (std::vector<std::string>{"18"}));
    EXPECT_TRUE(parserExists("gcc"));
    EXPECT_TRUE(PrefixListForHost().empty());
    List<BuildCommand> commands;
    EXPECT_EQ(FindCommandsForFile(String("a.c"), commands), 0);

    EXPECT_EQ(load(document(std::string(kParsers) + "<types>text only</types>")), 0);
    EXPECT_EQ(reporter.problems, (std::vector<std::string>{"18"}));

    EXPECT_EQ(load(document(std::string(kParsers) + kTypes)), 1);
    EXPECT_TRUE(reporter.problems.empty());
}

TEST_F(ConfigurationLoader, ColoursAndOptionsSurviveReloadsAsTheFormatSays) {
    ASSERT_EQ(load(document("<colors background='1' text='2' error='3' warning='4' numbers='5'/>"
                            "<options shownumbers='YES' autodelete='yes' beep='Yes' beeptime='15s' "
                            "wavefile='sounds/done.wav'/>" +
                            std::string(kParsers) + kTypes)),
              1);
    const ColorSet& colors = configuration().colors;
    EXPECT_EQ(colors.background + colors.text * 10 + colors.error * 100 + colors.warning * 1000 + colors.numbers * 10000,
              54321);
    Options& options = configuration().options;
    EXPECT_EQ(options.shownumbers, 1);
    EXPECT_EQ(options.autodelete, 1);
    EXPECT_EQ(options.beep, 1);
    EXPECT_EQ(options.beeptime, 15);
    EXPECT_STREQ(options.wavefile.text(), "sounds/done.wav");

    // Colours gone, options present without beep, beeptime or wavefile: flags off, the rest kept.
    ASSERT_EQ(load(document("<options shownumbers='1' autodelete='true'/>" + std::string(kParsers) + kTypes)), 1);
    EXPECT_EQ(colors.numbers, 5);
    EXPECT_EQ(options.shownumbers, 0);
    EXPECT_EQ(options.autodelete, 0);
    EXPECT_EQ(options.beep, 0);
    EXPECT_EQ(options.beeptime, 15);
    EXPECT_STREQ(options.wavefile.text(), "sounds/done.wav");

    // No options section at all: everything kept.
    options.beep = 1;
    ASSERT_EQ(load(document("<options beeptime='abc'/>" + std::string(kParsers) + kTypes)), 1);
    EXPECT_EQ(options.beeptime, 0);
    ASSERT_EQ(load(document(std::string(kParsers) + kTypes)), 1);
    EXPECT_EQ(options.beep, 0);  // set by the previous load's options section
    EXPECT_EQ(options.beeptime, 0);
}

TEST_F(ConfigurationLoader, InvalidEntriesRemoveTheirParserOncePerEntry) {
    ASSERT_EQ(load(document("<parsers>"
                            "<good><error pattern='/^x/' file='' line=''/></good>"
                            "<broken>"
                            "<error pattern='/^ok/' file='' line=''/>"
                            "<warning pattern='/^w/' line='1'/>"  // no file
                            "<warning pattern='/^w/' file='' line=''/>"
                            "<error pattern='/(/' file='' line=''/>"  // does not compile
                            "</broken>"
                            "<nopattern><warning file='1' line='1'/></nopattern>"
                            "<noline><error pattern='/^a/' file='1'/></noline>"
                            "<unslashed><error pattern='^a' file='1' line='1'/></unslashed>"
                            "</parsers>" +
                            std::string(kTypes))),
              1);
    EXPECT_EQ(reporter.problems,
              (std::vector<std::string>{"17:broken", "17:broken", "17:nopattern", "17:noline", "17:unslashed"}));
    EXPECT_EQ(parserNames(), (std::vector<std::string>{"good"}));
    LineMatch match;
    EXPECT_EQ(ClassifyLine("broken", String("ok"), match), 0);
    EXPECT_EQ(ClassifyLine("good", String("x"), match), MatchError);
}

TEST_F(ConfigurationLoader, ARepeatedParserReplacesTheEarlierOne) {
    ASSERT_EQ(load(document("<parsers>"
                            "<gcc><error pattern='/^first/' file='' line=''/></gcc>"
                            "<cl><warning pattern='/^w/' file='' line=''/></cl>"
                            "<gcc><warning pattern='/^second/' file='' line=''/></gcc>"
                            "</parsers>" +
                            std::string(kTypes))),
              1);
    LineMatch match;
    EXPECT_EQ(ClassifyLine("gcc", String("first"), match), 0);
    EXPECT_EQ(ClassifyLine("gcc", String("second"), match), MatchWarning);
    EXPECT_EQ(parserNames(), (std::vector<std::string>{"cl", "gcc"}));
}

TEST_F(ConfigurationLoader, EightParsersGrowTheTableAndListInBucketOrder) {
    std::string parsers = "<parsers>";
    for (int i = 0; i < 9; ++i) {
        parsers += "<p" + std::to_string(i) + "><error pattern='/^x/' file='' line=''/></p" + std::to_string(i) + ">";
    }
    ASSERT_EQ(load(document(parsers + "</parsers>" + kTypes)), 1);
    EXPECT_EQ(configuration().parsers.size(), 16);
    std::vector<std::string> names = parserNames();
    ASSERT_EQ(names.size(), 9u);
    for (size_t i = 1; i < names.size(); ++i) {
        EXPECT_LE(NameMap<int>::hash(names[i - 1].c_str()) % 16, NameMap<int>::hash(names[i].c_str()) % 16);
    }
}

TEST_F(ConfigurationLoader, FileTypesAndCommandsWithTheirProblems) {
    ASSERT_EQ(load(document(std::string(kParsers) +
                            "<types>"
                            "<filetype><command name='lost' parser='gcc'>x</command></filetype>"
                            "<filetype filename='^(.*)\\.c$'><command name='bad' parser='gcc'>x</command></filetype>"
                            "<filetype filename='/^(.*)\\.c$/q'><command name='bad' parser='gcc'>x</command></filetype>"
                            "<filetype filename='/^(.*)\\.c$/'>"
                            "<command parser='gcc'>no name</command>"
                            "<command name='no parser'>x</command>"
                            "<command name='Multi' parser='gcc' prefix='cc'>gcc\n   -c\t$0\n-o $1.o</command>"
                            "<command name='Cdata' parser='gcc'><![CDATA[a<b]]></command>"
                            "<command name='Empty' parser='gcc' prefix=''/>"
                            "</filetype>"
                            "<filetype filename='/x/'/>"
                            "</types>")),
              1);
    EXPECT_EQ(reporter.problems,
              (std::vector<std::string>{"15:^(.*)\\.c$", "15:/^(.*)\\.c$/q", "16", "16"}));
    FileTypeList& types = configuration().fileTypes;
    ASSERT_EQ(types.count(), 2);  // a type without any valid command stays
    EXPECT_EQ((*types.at(1))->commands.count(), 0);
    List<BuildCommand*>& commands = (*types.at(0))->commands;
    ASSERT_EQ(commands.count(), 3);
    EXPECT_STREQ((*commands.at(0))->command.text(), "gcc -c $0 -o $1.o");
    EXPECT_STREQ((*commands.at(1))->command.text(), "[CDATA[a<b]]");
    EXPECT_STREQ((*commands.at(2))->command.text(), "");
    EXPECT_STREQ(configuration().prefixList.text(), ":cc:");
}

TEST_F(ConfigurationLoader, PrefixesAreListedInFileOrderAndTheLastOneWins) {
    ASSERT_EQ(load(document(std::string(kParsers) +
                            "<types><filetype filename='/^(.*)$/'>"
                            "<command name='one' parser='gcc' prefix='GCC'>first $0</command>"
                            "<command name='two' parser='gcc' prefix='cl'>second $0</command>"
                            "<command name='three' parser='gcc' prefix='cl'>third $0</command>"
                            "</filetype></types>")),
              1);
    EXPECT_STREQ(PrefixListForHost().text(), ":GCC:cl:cl");
    BuildCommand command;
    ASSERT_EQ(ResolvePrefixCommand("cl", "x", command), 1);
    EXPECT_EQ(composedCommand(command), "third 'x'");

    ASSERT_EQ(load(document(std::string(kParsers) +
                            "<types><filetype filename='/^(.*)$/'>"
                            "<command name='one' parser='gcc' prefix=''>x</command>"
                            "</filetype></types>")),
              1);
    EXPECT_STREQ(configuration().prefixList.text(), ":");
    EXPECT_STREQ(PrefixListForHost().text(), "");
}

TEST_F(ConfigurationLoader, FreeingTwiceIsHarmless) {
    ASSERT_EQ(load(document(std::string(kParsers) + kTypes)), 1);
    FreeConfiguration();
    FreeConfiguration();
    EXPECT_EQ(configuration().parsers.count(), 0);
    EXPECT_EQ(configuration().fileTypes.count(), 0);
    EXPECT_TRUE(configuration().prefixList.empty());
    StringList names;
    ListParserNames(names);
    EXPECT_EQ(names.count(), 0);
}
