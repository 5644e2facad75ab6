#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "session/build_session.h"
#include "session/output_window.h"
#include "support/plugin_fixture.h"

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

bool processRunning(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("State:", 0) == 0) return line.find('Z') == std::string::npos;
    }
    return false;
}

}  // namespace

TEST_F(HostileOutput, ABuildEndsWithItsOutputEvenWhileTheChildRunsOn) {
    std::string pidFile = directory.path("child.pid");
    build("printf 'before\\n'; echo $$$$ > " + pidFile + "; exec >&- 2>&-; sleep 60");
    EXPECT_EQ(outputLines(), (Lines{"before"}));
    pid_t child = std::stoi(readWholeFile(pidFile));
    EXPECT_TRUE(processRunning(child));
    kill(child, SIGKILL);
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
                "<command name='Run' parser='sh'>printf 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab\\naaa\\nwarn\\n'</command>"
                "</filetype></types></tinker-config>");
    startPlugin();
    openCommandLine("make:a.c");
    EXPECT_EQ(outputMatches(), (Lines{"-", "E :0:-1", "W :0:-1"}));
}

TEST_F(HostileOutput, AHugeLogWithoutLineEndsLoadsInBoundedPieces) {
    writeConfig(configWithCommand("true"));
    startPlugin();
    std::string log = directory.path("huge.log");
    {
        std::ofstream file(log, std::ios::binary);
        std::string block(1 << 20, 'x');
        for (int i = 0; i < 200; ++i) file << block;
        file << "\nA.c:1:2: error: the end\n";
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
    EXPECT_EQ(total, 200u * (1 << 20) + 23);
    EXPECT_LT(longest, static_cast<size_t>(1 << 20));
    EXPECT_EQ(outputMatches().back(), "E A.c:1:2");
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
