#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "config/configuration.h"
#include "far/host_services.h"
#include "support/plugin_fixture.h"

namespace {

class PluginBinding : public PluginFixture {
protected:
    std::string announcedPrefix() {
        PluginInfo info{};
        info.Reserved = 0xABCD;
        GetPluginInfo(&info);
        EXPECT_EQ(info.Reserved, 0xABCDu);  // untouched
        return info.CommandPrefix;
    }
};

std::string configWithPrefixes(const std::string& prefixes) {
    std::string commands;
    size_t start = 0;
    while (start <= prefixes.size()) {
        size_t comma = prefixes.find(',', start);
        std::string prefix = prefixes.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        commands += "<command name='c' parser='sh' prefix='" + prefix + "'>run $0</command>";
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return configWithCommand("x", "<filetype filename='/^(.+)$/'>" + commands + "</filetype>");
}

}  // namespace

TEST_F(PluginBinding, AnnouncesItsMenusAndFlags) {
    writeConfig(configWithCommand("echo"));
    startPlugin();
    PluginInfo info{};
    GetPluginInfo(&info);
    EXPECT_EQ(info.StructSize, static_cast<int>(sizeof(PluginInfo)));
    EXPECT_EQ(info.Flags, static_cast<DWORD>(PF_EDITOR | PF_FULLCMDLINE));
    EXPECT_EQ(info.DiskMenuStringsNumber, 0);
    ASSERT_EQ(info.PluginMenuStringsNumber, 1);
    EXPECT_EQ(std::string(info.PluginMenuStrings[0]), host.message(0));
    ASSERT_EQ(info.PluginConfigStringsNumber, 1);
    EXPECT_EQ(std::string(info.PluginConfigStrings[0]), host.message(21));
    EXPECT_STREQ(info.CommandPrefix, "make");
    EXPECT_TRUE(host.messageBoxes.empty());
}

TEST_F(PluginBinding, CommandPrefixFollowsTheConfiguration) {
    writeConfig(configWithPrefixes("cc,PAS"));
    startPlugin();
    EXPECT_EQ(announcedPrefix(), "make:cc:pas");
    // Asking for the prefixes is enough to see a changed file; a file that cannot be loaded
    // then is reported by the next invocation, not by the question.
    writeConfig(configWithPrefixes("cc,PAS,go"));
    touchConfig();
    EXPECT_EQ(announcedPrefix(), "make:cc:pas:go");
    std::remove(configPath().c_str());
    EXPECT_EQ(announcedPrefix(), "make");
    EXPECT_TRUE(host.messageBoxes.empty());
    OpenPlugin(OPEN_DISKMENU, 0);
    EXPECT_EQ(host.messageBoxTexts(), (std::vector<std::string>{"Failed to load config!"}));

    writeConfig(configWithPrefixes(""));  // a single empty prefix adds nothing
    touchConfig();
    OpenPlugin(OPEN_DISKMENU, 0);
    EXPECT_EQ(announcedPrefix(), "make");

    writeConfig(configWithPrefixes(",x"));
    touchConfig();
    OpenPlugin(OPEN_DISKMENU, 0);
    EXPECT_EQ(announcedPrefix(), "make::x");
}

TEST_F(PluginBinding, ALongPrefixListIsCutToWholePrefixes) {
    std::string prefixes;
    for (int i = 0; i < 40000; ++i) prefixes += (i ? "," : "") + std::string("prefix") + std::to_string(10000 + i);
    writeConfig(configWithPrefixes(prefixes));
    startPlugin();
    std::string announced = announcedPrefix();
    EXPECT_LE(announced.size(), 1023u);
    EXPECT_EQ(announced.rfind("make:prefix10000:prefix10001", 0), 0u);
    // Every announced prefix is whole: each piece is "prefix" and five digits.
    size_t start = announced.find(':') + 1;
    while (start < announced.size()) {
        size_t end = announced.find(':', start);
        std::string piece = announced.substr(start, end == std::string::npos ? std::string::npos : end - start);
        EXPECT_EQ(piece.size(), 11u) << piece;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    EXPECT_GT(announced.size(), 1000u);
}

TEST_F(PluginBinding, AMissingConfigurationIsReportedAndRetriedLater) {
    startPlugin();
    EXPECT_EQ(host.messageBoxTexts(), (std::vector<std::string>{host.message(3)}));
    EXPECT_EQ(host.messageBoxes[0][0], "Tinker");
    EXPECT_EQ(host.messageBoxes[0][2], "Ok");
    EXPECT_EQ(announcedPrefix(), "make");

    // Once the file exists, the next invocation loads it.
    writeConfig(configWithPrefixes("cc"));
    OpenPlugin(OPEN_DISKMENU, 0);
    EXPECT_EQ(announcedPrefix(), "make:cc");
    EXPECT_EQ(host.messageBoxes.size(), 1u);
}

TEST_F(PluginBinding, TheConfigurationIsReloadedOnlyWhenItsTimeChanges) {
    writeConfig(configWithPrefixes("one"));
    startPlugin();
    timespec loadedTime = configTime();
    writeConfig(configWithPrefixes("two"));
    setConfigTime(loadedTime);  // new content, old time: not seen as a change
    OpenPlugin(OPEN_DISKMENU, 0);
    EXPECT_EQ(announcedPrefix(), "make:one");
    touchConfig();
    OpenPlugin(OPEN_DISKMENU, 0);
    EXPECT_EQ(announcedPrefix(), "make:two");
}

TEST_F(PluginBinding, ADeletedConfigurationFailsEveryInvocationUntilItReturns) {
    writeConfig(configWithCommand("printf 'never\\n'"));
    startPlugin();
    std::remove(configPath().c_str());
    openCommandLine("make:a.c");
    EXPECT_EQ(host.messageBoxTexts(), (std::vector<std::string>{"Failed to load config!"}));
    EXPECT_EQ(session().lineCount(), 0);  // nothing else happened
    EXPECT_EQ(configuration().fileTypes.count(), 0);

    writeConfig(configWithCommand("printf 'back\\n'"));
    openCommandLine("make:a.c");
    EXPECT_EQ(outputLines(), (std::vector<std::string>{"back"}));
}

TEST_F(PluginBinding, ConfigurationProblemsAreShownWithTheirNames) {
    writeConfig("<tinker-config><parsers><bad><error pattern='/(/' file='' line=''/></bad></parsers>"
                "<types><filetype filename='nope'/><filetype filename='/x/'><command>a</command></filetype></types>"
                "</tinker-config>");
    startPlugin();
    EXPECT_EQ(host.messageBoxTexts(), (std::vector<std::string>{"Invalid entry in parser bad: it is disabled",
                                                                "Invalid file name pattern: nope", host.message(16)}));
}

TEST_F(PluginBinding, MessageFormatsFromTheLanguageFileAreFilledSafely) {
    host.messageTexts[17] = std::string("%d%n in %s with %s and 100%%");
    host.messageTexts[15] = std::string("no placeholder");
    host.messageTexts[16].reset();
    writeConfig("<tinker-config><parsers><pp><error pattern='/(/' file='' line=''/></pp></parsers>"
                "<types><filetype filename='%s'/><filetype filename='/x/'><command>a</command></filetype></types>"
                "</tinker-config>");
    startPlugin();
    ASSERT_EQ(host.messageBoxes.size(), 3u);
    EXPECT_EQ(host.messageBoxes[0][1], "%d%n in pp with %s and 100%");
    EXPECT_EQ(host.messageBoxes[1][1], "no placeholder");
    // A message index without text falls back to the fixed form.
    EXPECT_EQ(host.messageBoxes[2], (std::vector<std::string>{"Wrong argument!", "Msg", "Ok"}));
}

TEST_F(PluginBinding, OpenPluginNeverOpensAPanel) {
    writeConfig(configWithCommand("true"));
    startPlugin();
    EXPECT_EQ(OpenPlugin(OPEN_DISKMENU, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenPlugin(OPEN_PLUGINSMENU, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenPlugin(OPEN_COMMANDLINE, reinterpret_cast<INT_PTR>("nothing")), INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenPlugin(OPEN_COMMANDLINE, 0), INVALID_HANDLE_VALUE);
}
