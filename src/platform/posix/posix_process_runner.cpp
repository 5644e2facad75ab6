// Runs a build command: /bin/sh -c in a process group of its own, standard output and error on
// one pipe, read until the shell has ended and the pipe is closed or quiet, while the sink
// looks at the keys; a stop ends the whole group.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

#include "foundation/stop_request.h"
#include "platform/posix/posix_platform.h"

namespace {

// A build's output is read in chunks this large: each chunk costs a system call and a pass of
// classification, so a flood of output is taken in a few thousand chunks, not a few hundred
// thousand.
const unsigned kChunkSize = 64 << 10;
// The pipe may hold this much, so that a child printing fast is not stopped while the last
// chunk is taken in.
const int kPipeCapacity = 1 << 20;
// The sink looks at the keys at most this often: often enough to feel immediate, rarely
// enough to cost nothing next to the reading.
const int64_t kKeyLookIntervalMs = 10;
// The longest wait for output while the shell runs, so that keys and Ctrl+C are answered soon.
const int kOutputWaitMs = 20;
// Once the shell has ended, a pipe quiet this long is held only by processes left behind.
const int64_t kQuietEndMs = 500;

bool isBlank(const char* text) {
    for (; *text; ++text) {
        if (!std::isspace(static_cast<unsigned char>(*text))) return false;
    }
    return true;
}

ssize_t readRetrying(int fd, void* buffer, size_t size) {
    ssize_t got;
    do {
        got = read(fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    return got;
}

int64_t nowMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Ctrl+C reaches our own process group only (the build has its own): the handler notes it and
// the reading loop passes it on, a second one as SIGKILL.
volatile sig_atomic_t interruptsSeen = 0;
void onInterrupt(int) {
    interruptsSeen = interruptsSeen + 1;
    SetStopRequested(true);  // output already read is still classified, without slow matches
}

// Our SIGINT handling while the build runs; the previous one comes back however the run ends.
class InterruptCatcher {
public:
    InterruptCatcher() {
        interruptsSeen = 0;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptCatcher() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

private:
    struct sigaction previous_ {};
};

// The shell and its process group, as the reading loop watches them.
class BuildProcess {
public:
    explicit BuildProcess(pid_t shell) : shell_(shell) {}
    bool ended() {
        if (!ended_) {
            pid_t got;
            do {
                got = waitpid(shell_, &status_, WNOHANG);
            } while (got < 0 && errno == EINTR);
            ended_ = got == shell_ || (got < 0 && errno == ECHILD);
        }
        return ended_;
    }
    void signalGroup(int signalNumber) { kill(-shell_, signalNumber); }
    pid_t pid() const { return shell_; }
    void waitForEnd() {
        while (!ended_) {
            pid_t got = waitpid(shell_, &status_, 0);
            ended_ = got == shell_ || (got < 0 && errno != EINTR);
        }
    }
    int exitStatus() const {
        if (WIFEXITED(status_)) return WEXITSTATUS(status_);
        if (WIFSIGNALED(status_)) return 128 + WTERMSIG(status_);
        return 0;
    }

private:
    pid_t shell_;
    int status_ = 0;
    bool ended_ = false;
};

// Shells of earlier builds that ran on after closing their output: reaped once they end, at
// the start of a later build.
pid_t leftShells[16] = {};

void rememberLeftShell(pid_t shell) {
    for (pid_t& left : leftShells) {
        if (left == 0) {
            left = shell;
            return;
        }
    }
}

void reapLeftShells() {
    for (pid_t& left : leftShells) {
        if (left != 0 && waitpid(left, nullptr, WNOHANG) != 0) left = 0;
    }
}

}  // namespace

int PosixPlatform::runCommand(const char* commandLine, OutputSink& sink) {
    // There is nothing to start in an empty command: report it as a failed start.
    if (!commandLine || isBlank(commandLine)) return RunStartFailed;
    reapLeftShells();

    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0) return RunPipeFailed;
#ifdef F_SETPIPE_SZ
    fcntl(output[0], F_SETPIPE_SZ, kPipeCapacity);  // a smaller pipe only costs speed
#endif
    // The start report: closed unread by a successful exec, written to by a failed one.
    int startReport[2];
    if (pipe2(startReport, O_CLOEXEC) != 0) {
        close(output[0]);
        close(output[1]);
        return RunPipeFailed;
    }

    // Caught from before the start: a press in the build's first moments would otherwise end the
    // host; it is passed on once the build's group exists.
    InterruptCatcher interrupts;
    pid_t shell = fork();
    if (shell == 0) {
        // A group of its own: a stop reaches every process the build started, and nothing else.
        setpgid(0, 0);
        dup2(output[1], 1);
        dup2(output[1], 2);
        int nothing = open("/dev/null", O_RDONLY);
        if (nothing >= 0) dup2(nothing, 0);
        signal(SIGPIPE, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        signal(SIGXFSZ, SIG_DFL);  // the host ignores it; the build must not inherit that
        execl("/bin/sh", "sh", "-c", commandLine, static_cast<char*>(nullptr));
        int error = errno;
        ssize_t written = write(startReport[1], &error, sizeof error);
        (void)written;
        _exit(127);
    }
    close(output[1]);
    close(startReport[1]);
    if (shell < 0) {
        close(output[0]);
        close(startReport[0]);
        return RunStartFailed;
    }
    // Also here, so that a stop coming before the child ran still finds the group.
    setpgid(shell, shell);
    BuildProcess process(shell);
    int startError = 0;
    ssize_t reported = readRetrying(startReport[0], &startError, sizeof startError);
    close(startReport[0]);
    if (reported > 0) {
        process.waitForEnd();
        close(output[0]);
        return RunStartFailed;
    }

    RunOutcome outcome;
    outputPipe_ = output[0];
    bool pipeOpen = true;
    int64_t pipeClosedAt = 0;
    bool killed = false;
    int interruptsPassedOn = 0;
    int64_t lastOutput = nowMilliseconds();
    int64_t lastKeyLook = 0;
    char chunk[kChunkSize];
    for (;;) {
        bool shellEnded = process.ended();
        int64_t now = nowMilliseconds();
        // Quiet counts from the end of taking in the last chunk, and only with nothing waiting:
        // output that came while a slow chunk was classified is still read.
        if (shellEnded && (!pipeOpen || (now - lastOutput >= kQuietEndMs && !outputWaiting()))) break;
        // A shell that closed its output and runs on: the build is over without its status.
        if (!pipeOpen && !killed && now - pipeClosedAt >= kQuietEndMs) break;
        if (now - lastKeyLook >= kKeyLookIntervalMs) {
            lastKeyLook = now;
            if (!killed && !sink.keepRunning()) {
                outcome.stopped = killed = true;
                process.signalGroup(SIGKILL);
            }
        }
        while (interruptsPassedOn < interruptsSeen) {
            outcome.stopped = true;
            process.signalGroup(interruptsPassedOn++ == 0 ? SIGINT : SIGKILL);
        }
        if (!pipeOpen) {
            // The shell closed its output but still runs: wait for it, still answering keys.
            usleep(kKeyLookIntervalMs * 1000);
            continue;
        }
        pollfd request{output[0], POLLIN, 0};
        int ready = poll(&request, 1, shellEnded ? static_cast<int>(kQuietEndMs - (now - lastOutput)) : kOutputWaitMs);
        if (ready <= 0) continue;
        ssize_t got = readRetrying(output[0], chunk, sizeof chunk);
        if (got <= 0) {
            pipeOpen = false;
            pipeClosedAt = nowMilliseconds();
            continue;
        }
        bool taken = sink.consume(chunk, static_cast<unsigned>(got));
        lastOutput = nowMilliseconds();
        if (!taken) {
            // Nothing more can be taken in: the build ends here.
            pipeOpen = false;
            pipeClosedAt = lastOutput;
            killed = true;
            process.signalGroup(SIGKILL);
        }
    }
    outputPipe_ = -1;
    close(output[0]);
    if (killed) process.waitForEnd();
    outcome.exitKnown = process.ended();
    if (outcome.exitKnown) {
        outcome.exitStatus = process.exitStatus();
    } else {
        rememberLeftShell(process.pid());
    }
    sink.finished(outcome);
    return RunCompleted;
}


bool PosixPlatform::outputWaiting() {
    if (outputPipe_ < 0) return false;
    pollfd request{outputPipe_, POLLIN, 0};
    return poll(&request, 1, 0) > 0 && (request.revents & POLLIN);
}
