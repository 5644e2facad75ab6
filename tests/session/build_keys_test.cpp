#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "session/build_session.h"
#include "support/plugin_fixture.h"
#include "support/process_state.h"

namespace {

using Lines = std::vector<std::string>;

class BuildKeys : public PluginFixture {
protected:
    void build(const std::string& command) {
        writeConfig(configWithCommand(command));
        startPlugin();
        openCommandLine("make:a.c");
    }
};

std::vector<pid_t> readPids(const std::string& path) {
    std::istringstream text(readWholeFile(path));
    std::vector<pid_t> pids;
    for (pid_t pid; text >> pid;) pids.push_back(pid);
    return pids;
}

bool startsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

}  // namespace

TEST_F(BuildKeys, EscAsksAndStopEndsTheBuildAndEverythingItStarted) {
    std::string pidFile = directory.path("pids");
    // A grandchild in the background, one in the foreground of a subshell, and the shell itself.
    std::string command = "sleep 60 & echo $! > " + pidFile + "; (sleep 60 & echo $! >> " + pidFile +
                          "; wait) & printf 'started\\n'; sleep 60; printf 'never\\n'";
    int escapes = 0;
    platform.waitingKey = [&](KeyEvent& key) {
        if (session().lineCount() < 1 || readPids(pidFile).size() < 2 || escapes == 2) return false;
        ++escapes;
        key = keyPress(VK_ESCAPE);
        return true;
    };
    host.messageAnswers = {1, 0};  // Continue first, then Stop
    auto start = std::chrono::steady_clock::now();
    build(command);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));  // ends, not hangs

    ASSERT_EQ(host.messageBoxes.size(), 2u);
    EXPECT_EQ(host.messageBoxes[0], (Lines{"Tinker", host.message(39), host.message(40), host.message(41)}));
    EXPECT_EQ(outputLines(), (Lines{"started"}));
    EXPECT_TRUE(startsWith(session().verdict.text(), host.message(30) + ", ")) << session().verdict.text();
    EXPECT_EQ(platform.readsAfterKeysRanOut, 1);  // the window showed what had arrived

    std::vector<pid_t> pids = readPids(pidFile);
    ASSERT_EQ(pids.size(), 2u);
    for (pid_t pid : pids) {
        for (int wait = 0; wait < 100 && processRunning(pid); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_FALSE(processRunning(pid)) << pid;
        if (processRunning(pid)) kill(pid, SIGKILL);
    }
}

TEST_F(BuildKeys, TheLiveViewScrollsAndKeysTypedDuringTheBuildDoNotReachTheWindow) {
    std::deque<KeyEvent> typed = {keyPress(VK_UP),  keyPress(VK_UP),     keyPress(VK_PRIOR),  keyPress(VK_END),
                                  keyPress(VK_HOME), keyPress(VK_DELETE), keyPress(VK_RETURN), keyPress('Q')};
    std::vector<std::string> topRows;
    std::vector<std::string> bottomRows;
    platform.waitingKey = [&](KeyEvent& key) {
        if (session().lineCount() < 100 || typed.empty()) return false;
        topRows.push_back(host.rowText(0));
        bottomRows.push_back(host.rowText(host.height - 1));
        key = typed.front();
        typed.pop_front();
        return true;
    };
    build("seq 1 100; sleep 1; printf 'a.c:1:1: error: e\\n'");

    ASSERT_EQ(topRows.size(), 8u);
    // Before each key: the tail, one up, two up, a page more, the tail again, the top.
    EXPECT_EQ(topRows[0], "76");
    EXPECT_EQ(topRows[1], "75");
    EXPECT_EQ(topRows[2], "74");
    EXPECT_EQ(topRows[3], "49");
    EXPECT_EQ(topRows[4], "76");
    EXPECT_EQ(topRows[5], "1");
    std::string mark = host.message(42);
    EXPECT_EQ(bottomRows[0], "100");
    EXPECT_NE(bottomRows[1].find(mark), std::string::npos) << bottomRows[1];
    EXPECT_EQ(bottomRows[4], "100");
    EXPECT_NE(bottomRows[5].find(mark), std::string::npos) << bottomRows[5];

    // Delete, Enter and Q were dropped: every line is there, no editor opened, and the window
    // closed only with the Esc read after the build.
    EXPECT_EQ(outputLines().size(), 101u);
    EXPECT_TRUE(host.editorOpens.empty());
    EXPECT_EQ(platform.readsAfterKeysRanOut, 1);
    EXPECT_EQ(session().selected, 100);
    EXPECT_GT(platform.keyLooks, 8);
}
