#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <string>
#include <vector>

#include "session/build_session.h"
#include "support/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

class BuildVerdict : public PluginFixture {
protected:
    // Builds with the command; the window's last row is looked at when its first key is read.
    void build(const std::string& command, int64_t startSeconds = 100, int64_t endSeconds = 100) {
        writeConfig(configWithCommand(command));
        if (started) {
            touchConfig();
        } else {
            startPlugin();
            started = true;
        }
        platform.clockSeconds_ = {startSeconds, endSeconds};
        lastRows.clear();
        platform.beforeKey = [this](const KeyEvent&) { lastRows.push_back(host.rowText(host.height - 1)); };
        openCommandLine("make:a.c");
    }
    std::vector<std::string> lastRows;
    bool started = false;
};

const char kFailingBuild[] =
    "printf 'a.c:1:1: error: one\\nplain\\na.c:2:1: error: two\\na.c:3:1: warning: three\\n'; exit 3";

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

TEST_F(BuildVerdict, TheExitStatusCountsAndTimeAreShownNotStored) {
    build(kFailingBuild, 100, 104);
    const std::string failed = "exit 3, 2 errors, 1 warning, 4 s";
    EXPECT_EQ(session().verdict.text(), failed);
    EXPECT_EQ(platform.titles.back(), host.message(23) + " - " + failed);
    ASSERT_FALSE(lastRows.empty());
    EXPECT_TRUE(endsWith(lastRows[0], " " + failed)) << lastRows[0];
    EXPECT_EQ(outputLines().size(), 4u);

    // F8 steps from the first error to the warning, then past the last says so; Shift+F8
    // before the first likewise. The note goes with the next key.
    platform.pressKey(VK_F8);
    platform.pressKey(VK_F8);
    platform.pressKey(VK_F8);
    platform.pressKey(VK_HOME);
    platform.pressKey(VK_F8, SHIFT_PRESSED);
    platform.pressKey(VK_DOWN);
    lastRows.clear();
    openCommandLine("make:a.c");
    ASSERT_EQ(lastRows.size(), 7u);
    EXPECT_TRUE(endsWith(lastRows[3], " " + host.message(37))) << lastRows[3];
    EXPECT_TRUE(endsWith(lastRows[5], " " + host.message(38))) << lastRows[5];
    EXPECT_EQ(lastRows[6].find_first_not_of(' '), lastRows[6].size() - failed.size()) << lastRows[6];
    EXPECT_EQ(session().selected, 1);

    build("printf 'fine\\n'");
    EXPECT_EQ(session().verdict.text(), std::string("exit 0, no errors, 0 s"));
    build("printf 'a.c:1:1: warning: w\\n'; kill -TERM $$$$");
    EXPECT_EQ(session().verdict.text(), std::string("exit 143, 1 warning, 0 s"));
}

TEST_F(BuildVerdict, AProcessLeftBehindDoesNotHoldTheBuild) {
    std::string pidFile = directory.path("left.pid");
    auto start = std::chrono::steady_clock::now();
    build("sleep 60 & echo $! > " + pidFile + "; printf 'one\\n'; sleep 0.3; printf 'a.c:1:1: error: two'; exit 2");
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(30));  // ends, does not hang
    EXPECT_EQ(outputLines(), (Lines{"one", "a.c:1:1: error: two"}));
    EXPECT_EQ(session().verdict.text(), std::string("exit 2, 1 error, 0 s"));
    pid_t left = std::stoi(readWholeFile(pidFile));
    EXPECT_EQ(kill(left, 0), 0);  // left running, as it was started
    kill(left, SIGKILL);
}
