#include "host_flush_target.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench_clock.h"

namespace {

const double kFlushBudgetPerSecond = 60;
const double kRunLimitSeconds = 300;

// Reads what the host writes until the text appears (true) or the host ends or time runs out.
bool readUntil(int terminal, const std::string& wanted, std::string& seen, double deadline) {
    char buffer[65536];
    while (wallSeconds() < deadline) {
        pollfd request{terminal, POLLIN, 0};
        if (poll(&request, 1, 100) <= 0) continue;
        ssize_t got = read(terminal, buffer, sizeof buffer);
        if (got <= 0) return false;
        seen.append(buffer, size_t(got));
        if (seen.find(wanted) != std::string::npos) return true;
        // Keep only a tail long enough to find the text across reads.
        if (seen.size() > 1 << 16) seen.erase(0, seen.size() - wanted.size());
    }
    return false;
}

void send(int terminal, const char* keys) {
    ssize_t written = write(terminal, keys, std::strlen(keys));
    (void)written;
}

// The most writes that fall into any one second.
size_t busiestSecond(const std::vector<long long>& times) {
    size_t most = 0;
    size_t first = 0;
    for (size_t last = 0; last < times.size(); ++last) {
        while (times[last] - times[first] >= 1000000) ++first;
        most = std::max(most, last - first + 1);
    }
    return most;
}

}  // namespace

TargetResult measureHostFlushes(const std::string& tinkerProgram, const std::string& moduleDirectory,
                                const std::string& workDirectory) {
    TargetResult result;
    result.name = "host_flushes";
    result.peer = kFlushBudgetPerSecond;
    result.peerText = "60 writes/s (the budget)";
    result.goal = 1;
    std::string log = workDirectory + "/terminal-writes.log";

    winsize size{};
    size.ws_col = 120;
    size.ws_row = 40;
    int terminal = -1;
    pid_t child = forkpty(&terminal, nullptr, nullptr, &size);
    if (child < 0) {
        result.valid = false;
        return result;
    }
    if (child == 0) {
        if (chdir(workDirectory.c_str()) != 0) _exit(127);
        setenv("TERM", "xterm-256color", 1);
        setenv("TINKER_WRITE_LOG", log.c_str(), 1);
        std::string module = moduleDirectory + "/tinker.so";
        execl(tinkerProgram.c_str(), tinkerProgram.c_str(), "--module", module.c_str(), "make:bench.build",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    // The plug-in sets the console title when the build is over and its window opens.
    std::string seen;
    double deadline = wallSeconds() + kRunLimitSeconds;
    bool built = readUntil(terminal, "\x1b]0;", seen, deadline);
    usleep(200000);
    send(terminal, "\x1b");
    usleep(300000);
    send(terminal, "\x1b[21~");  // F10 quits
    readUntil(terminal, "\x01never\x01", seen, wallSeconds() + 10);
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    close(terminal);

    std::vector<long long> times;
    std::ifstream writes(log);
    for (long long time = 0; writes >> time;) times.push_back(time);
    size_t busiest = busiestSecond(times);
    result.figure = double(busiest);
    result.figureText = std::to_string(busiest) + " writes in the busiest second (" + std::to_string(times.size()) +
                        " in all)";
    result.valid = built && !times.empty();
    return result;
}
