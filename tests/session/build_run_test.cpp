#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/build_session.h"
#include "config/configuration.h"
#include "support/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

class BuildRun : public PluginFixture {
protected:
    void build(const std::string& options, int64_t startSeconds, int64_t endSeconds) {
        writeConfig(configWithCommand("printf 'x\\n'", "") .insert(15, options));
        startPlugin();
        platform.clockSeconds_ = {startSeconds, endSeconds};
        openCommandLine("make:a.c");
    }
};

}  // namespace

TEST_F(BuildRun, ABuildLongerThanBeeptimeBeeps) {
    build("<options beep='yes' beeptime='10'/>", 100, 110);
    EXPECT_EQ(platform.beeps, 0);  // exactly beeptime: no signal
    platform.clockSeconds_ = {100, 111};
    openCommandLine("make:a.c");
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_TRUE(platform.soundsPlayed.empty());
}

TEST_F(BuildRun, WithoutTheBeepOptionNothingSounds) {
    build("<options beeptime='1'/>", 100, 500);
    EXPECT_EQ(platform.beeps, 0);
    EXPECT_TRUE(platform.soundsPlayed.empty());
}

TEST_F(BuildRun, ARelativeSoundFileIsPlayedFromThePluginFolder) {
    build("<options beep='yes' beeptime='0' wavefile='sounds\\done.wav'/>", 100, 101);
    EXPECT_EQ(platform.soundsPlayed, (Lines{moduleDirectory() + "//sounds/done.wav"}));
    EXPECT_EQ(platform.beeps, 0);

    writeConfig(configWithCommand("printf 'x\\n'").insert(15, "<options beep='yes' wavefile='/usr/share/ding.wav'/>"));
    touchConfig();
    platform.clockSeconds_ = {100, 101};
    openCommandLine("make:a.c");
    EXPECT_EQ(platform.soundsPlayed.back(), "/usr/share/ding.wav");
}

TEST_F(BuildRun, TheFirstClassifiedLineIsSelectedAndScrolledIntoView) {
    std::string lines = "printf 'plain\\n'; seq 1 40; printf 'a.c:1:1: warning: w\\n'";
    writeConfig(configWithCommand(lines));
    startPlugin();
    std::string windowTopRow;
    platform.beforeKey = [&](const KeyEvent&) { windowTopRow = host.rowText(0); };
    openCommandLine("make:a.c");
    EXPECT_EQ(session().selected, 41);
    EXPECT_EQ(session().top, 41 - 12);
    EXPECT_EQ(windowTopRow, "29");

    writeConfig(configWithCommand("printf 'one\\ntwo\\n'"));
    touchConfig();
    openCommandLine("make:a.c");
    EXPECT_EQ(session().selected, 0);
    EXPECT_EQ(session().top, 0);
    EXPECT_EQ(platform.readsAfterKeysRanOut, 2);  // the window opened normally
}

TEST_F(BuildRun, EnvironmentReferencesAreExpandedWhenTheCommandRuns) {
    setenv("TINKER_TEST_WORD", "expanded", 1);
    writeConfig(configWithCommand("echo '%TINKER_TEST_WORD% %TINKER_UNDEFINED_NAME%'"));
    startPlugin();
    openCommandLine("make:a.c");
    EXPECT_EQ(outputLines(), (Lines{"expanded %TINKER_UNDEFINED_NAME%"}));
    EXPECT_STREQ(session().lastCommand.text(), "echo '%TINKER_TEST_WORD% %TINKER_UNDEFINED_NAME%'");
}

TEST_F(BuildRun, TheCursorIsHiddenDuringTheBuildAndRestoredAfter) {
    writeConfig(configWithCommand("printf 'x\\n'"));
    startPlugin();
    openCommandLine("make:a.c");
    EXPECT_EQ(platform.cursorHides, 2);  // the build, then the window
    EXPECT_EQ(platform.cursorRestores, platform.cursorHides);
    EXPECT_EQ(platform.consoleOpens, platform.consoleCloses);
}
