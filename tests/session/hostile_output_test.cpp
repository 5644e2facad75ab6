#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/stop_request.h"
#include "session/build_session.h"
#include "session/output_window.h"
#include "support/plugin_fixture.h"
#include "support/process_state.h"

namespace {

using Lines = std::vector<std::string>;

class HostileOutput : public PluginFixture {
protected:
    void build(const std::string& command, const std::string& extra = "") {
        writeConfig(configWithCommand(command, extra));
        startPlugin();
        openCommandLine("make:a.c");
    }
    size_t storedBytes() {
        size_t total = 0;
        for (const std::string& line : outputLines()) total += line.size();
        return total;
    }
};

}  // namespace

TEST_F(HostileOutput, ABuildEndsWithItsOutputEvenWhileTheChildRunsOn) {
    std::string pidFile = directory.path("child.pid");
    build("printf 'before\\n'; echo $$$$ > " + pidFile + "; exec >&- 2>&-; sleep 60");
    EXPECT_EQ(outputLines(), (Lines{"before"}));
    pid_t child = std::stoi(readWholeFile(pidFile));
    EXPECT_TRUE(processRunning(child));
    kill(child, SIGKILL);
}

// The build presses Ctrl+C itself, twice, as a user would at a build that ignores it: the
// second press stops the whole build, the sleep that holds the output open included.
TEST_F(HostileOutput, ASecondCtrlCStopsABuildThatIgnoresTheFirst) {
    std::string press = "kill -INT " + std::to_string(getpid());
    build("trap '' INT TERM; printf 'started\\n'; " + press + "; sleep 1; printf 'ignored\\n'; " + press +
          "; exec sleep 100000");
    EXPECT_EQ(outputLines(), (Lines{"started", "ignored"}));
    struct sigaction after {};
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, SIG_DFL);  // ours again once the build is over
}

TEST_F(HostileOutput, NoChildProcessOutlivesABuildAsAZombie) {
    build("printf 'done\\n'");
    build("sh -c 'sleep 0.2' & printf 'left a grandchild\\n'");
    // Our process has no children left to reap: every build's processes were handed over.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(HostileOutput, BinaryBytesAreKeptAsTheCaptureRulesSay) {
    build("printf 'a\\000b\\377\\033[31mred\\033[0m\\200\\n\\001\\002\\n'");
    EXPECT_EQ(outputLines(), (Lines{"a b\xffred\x80", "  "}));
}

TEST_F(HostileOutput, TenMegabytesWithoutALineEndComeInConsoleSizedLines) {
    build("head -c 10485760 /dev/zero | tr '\\000' a");
    ASSERT_EQ(session().lineCount(), 32768);  // 4 x 80 bytes each
    EXPECT_EQ(storedBytes(), 10485760u);
    EXPECT_EQ(std::string(session().lines.at(-1)->text()), std::string(320, 'a'));
}

TEST_F(HostileOutput, ACatastrophicPatternCannotFreezeTheBuild) {
    writeConfig("<tinker-config><parsers><sh>"
                "<error pattern='/(a+)+$/' file='' line=''/>"
                "<warning pattern='/^w/' file='' line=''/>"
                "</sh></parsers><types><filetype filename='/^(.*)\\.c$/'>"
                "<command name='Run' parser='sh'>printf 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab\\naaa\\nwarn\\n'; "
                "for i in 1 2 3 4 5 6; do printf 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab\\n'; done; printf 'aaa\\n'</command>"
                "</filetype></types></tinker-config>");
    startPlugin();
    openCommandLine("make:a.c");
    // The third line that exhausts the budget turns the pattern off for the rest of the build,
    // with one message; the other patterns go on.
    EXPECT_EQ(outputMatches(), (Lines{"-", "E :0:-1", "W :0:-1", "-", "-", "-", "-", "-", "-", "-"}));
    EXPECT_EQ(host.messageBoxTexts(), (Lines{"Pattern sh: /(a+)+$/ took too long too often: it is off for the rest of this output"}));
    openCommandLine("make:a.c");  // a new build: a new allowance
    EXPECT_EQ(outputMatches().at(1), "E :0:-1");
    EXPECT_EQ(host.messageBoxTexts().size(), 2u);
}

// Ctrl+C before hostile lines arrive: the slow pattern gives up early on each of them, and as
// that is no fault of the pattern it stays on; the quick patterns go on classifying.
TEST_F(HostileOutput, CtrlCCutsSlowMatchesShortWhileTheOutputIsClassified) {
    std::string press = "kill -INT " + std::to_string(getpid());
    writeConfig("<tinker-config><parsers><sh>"
                "<error pattern='/(a+)+$/' file='' line=''/>"
                "<warning pattern='/^w/' file='' line=''/>"
                "</sh></parsers><types><filetype filename='/^(.*)\\.c$/'>"
                "<command name='Run' parser='sh'>trap '' INT; " + press + "; "
                "for i in 1 2 3 4 5 6; do printf 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab\\n'; done; printf 'aaa\\nwarn\\n'</command>"
                "</filetype></types></tinker-config>");
    startPlugin();
    openCommandLine("make:a.c");
    EXPECT_EQ(outputMatches(), (Lines{"-", "-", "-", "-", "-", "-", "E :0:-1", "W :0:-1"}));
    EXPECT_EQ(messageTexts(), Lines{});
    EXPECT_FALSE(StopRequested());  // the next build or load is classified in full
}

TEST_F(HostileOutput, AHugeLogWithoutLineEndsLoadsInBoundedPiecesAndSavesBackWhole) {
    writeConfig(configWithCommand("true"));
    startPlugin();
    std::string log = directory.path("huge.log");
    {
        std::ofstream file(log, std::ios::binary);
        std::string block(1 << 20, 'x');
        for (int i = 0; i < 200; ++i) file << block;
        file << "\nA.c:1:2: error: the end\n" << block << "\n\nno line end";
    }
    std::filesystem::current_path(directory.root());
    host.panelItems = {"huge.log"};
    openFromPluginsMenu(3);
    BuildSession& state = session();
    size_t total = 0;
    size_t longest = 0;
    for (int i = 0; i < state.lineCount(); ++i) {
        size_t length = state.lines.at(i)->length();
        total += length;
        longest = std::max(longest, length);
    }
    EXPECT_EQ(total, 201u * (1 << 20) + 23 + 11);
    EXPECT_LT(longest, static_cast<size_t>(1 << 20));
    EXPECT_EQ(outputMatches().at(201), "E A.c:1:2");

    host.inputAnswers.push_back(directory.path("saved.log"));
    openFromPluginsMenu(4);
    EXPECT_EQ(std::system(("cmp -s " + log + " " + directory.path("saved.log")).c_str()), 0);
    EXPECT_TRUE(host.messageBoxes.empty());
}

// Reading a FIFO waits for a writer and reading a terminal waits for input: neither is opened
// as a log, a configuration or a source file, and the host never hangs on one.
TEST_F(HostileOutput, OnlyRegularFilesAreOpened) {
    std::filesystem::current_path(directory.root());
    ASSERT_EQ(mkfifo(directory.path("fifo.log").c_str(), 0600), 0);
    build("printf 'fifo.log:1:1: error: a FIFO\\n/dev/tty:1:1: error: a terminal\\n.:1:1: error: a folder\\n'");
    for (int line = 0; line < 3; ++line) {
        platform.keys.clear();
        for (int down = 0; down < line; ++down) platform.pressKey(VK_DOWN);
        platform.pressKey(VK_RETURN);
        openFromPluginsMenu(0);
    }
    EXPECT_TRUE(host.editorOpens.empty());
    std::string folder = directory.path(".");
    folder.resize(folder.size() - 2);  // paths are tidied before they are opened
    EXPECT_EQ(host.messageBoxTexts(), (Lines{"Not a regular file, not opened: " + directory.path("fifo.log"),
                                     "Not a regular file, not opened: /dev/tty",
                                     "Not a regular file, not opened: " + folder}));

    host.panelItems = {"fifo.log"};
    openFromPluginsMenu(3);
    EXPECT_EQ(host.messageBoxTexts().back(), host.message(14));

    std::filesystem::remove(configPath());
    ASSERT_EQ(mkfifo(configPath().c_str(), 0600), 0);
    touchConfig();
    openCommandLine("make:a.c");
    EXPECT_EQ(host.messageBoxTexts().back(), "Failed to load config!");
}

#if !defined(__SANITIZE_ADDRESS__)
// Runs in a child process whose address space is limited, so that the build really runs out
// of memory; the child reports through its exit status.
TEST_F(HostileOutput, RunningOutOfMemoryKeepsWhatWasCapturedAndTheHostAlive) {
    writeConfig(configWithCommand("while :; do echo 'a.c:1:1: error: endless output, line after line after line'; done"));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit limit{};
        std::ifstream statm("/proc/self/statm");
        long pages = 0;
        statm >> pages;
        limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (160u << 20);
        setrlimit(RLIMIT_AS, &limit);
        // Memory stays full after the build: the checks below allocate nothing.
        try {
            const char* outOfMemoryText = host.messageTexts.at(25)->c_str();
            startPlugin();
            openCommandLine("make:a.c");  // returns normally: nothing was thrown at the host
            BuildSession& state = session();
            if (state.lineCount() < 1000) _exit(3);
            if (!state.outputCutShort) _exit(4);
            if (host.messageBoxes.empty() || host.messageBoxes.back().at(1) != outOfMemoryText) _exit(5);
            if (state.matches.count() != state.lineCount()) _exit(6);
            DrawLines(state.lineCount() - 10, true);  // still browsable
            if (host.characters[0].find("endless output") == std::string::npos) _exit(7);
            _exit(0);
        } catch (...) {
            _exit(8);
        }
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif
