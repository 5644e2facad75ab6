#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/build_session.h"
#include "support/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

class TypedCommand : public PluginFixture {};

const int kRunCommandItem = 5;
const int kRepeatItem = 1;

}  // namespace

TEST_F(TypedCommand, ATypedCommandRunsAsABuildAndIsOfferedAgain) {
    writeConfig(configWithCommand("printf 'never\\n'"));
    startPlugin();

    // No build yet: an empty box, and the parser is chosen.
    host.inputAnswers = {std::string("printf 'a.c:1:1: error: x\\n'; exit 4")};
    host.menuAnswers = {0};
    openFromPluginsMenu(kRunCommandItem);
    ASSERT_EQ(host.menus.size(), 2u);
    EXPECT_EQ(ScriptedHost::menuItemText(host.menus[0].items.back()), host.message(43));
    EXPECT_EQ(host.menus[1].title, host.message(13));
    ASSERT_EQ(host.inputBoxes.size(), 1u);
    EXPECT_EQ(host.inputBoxes[0].title, host.message(44));
    EXPECT_EQ(host.inputBoxes[0].prompt, host.message(45));
    EXPECT_EQ(host.inputBoxes[0].history, "TinkerCommand");
    EXPECT_EQ(host.inputBoxes[0].initial, "");
    EXPECT_EQ(outputMatches(), (Lines{"E a.c:1:1"}));
    EXPECT_EQ(session().verdict.text(), std::string("exit 4, 1 error, 0 s"));
    EXPECT_EQ(platform.readsAfterKeysRanOut, 1);  // the window was shown

    // The box holds the last command; cancelled, nothing runs.
    openFromPluginsMenu(kRunCommandItem);
    EXPECT_EQ(host.inputBoxes.at(1).initial, "printf 'a.c:1:1: error: x\\n'; exit 4");
    EXPECT_EQ(platform.commandsRun.size(), 1u);

    // An edited command keeps the last parser (no chooser) and is what a repeat runs.
    host.inputAnswers = {std::string("printf 'a.c:2:2: warning: y\\n'")};
    openFromPluginsMenu(kRunCommandItem);
    openFromPluginsMenu(kRepeatItem);
    EXPECT_EQ(host.menus.size(), 5u);
    EXPECT_EQ(platform.commandsRun, (Lines{"printf 'a.c:1:1: error: x\\n'; exit 4", "printf 'a.c:2:2: warning: y\\n'",
                                           "printf 'a.c:2:2: warning: y\\n'"}));
    EXPECT_EQ(outputMatches(), (Lines{"W a.c:2:2"}));
}
