#include "platform/posix/posix_platform.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/terminal_keys.h"

extern char** environ;

namespace {

// A build's output is read in chunks this large: each chunk costs a system call and a pass of
// classification, so a flood of output is taken in a few thousand chunks, not a few hundred
// thousand.
const unsigned kChunkSize = 64 << 10;
// The pipe may hold this much, so that a child printing fast is not stopped while the last
// chunk is taken in.
const int kPipeCapacity = 1 << 20;

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

void waitRetrying(pid_t pid) {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// The value of an environment variable named by the first length bytes of name: exact first,
// then ignoring case, as Windows treats variable names.
const char* findVariable(const char* name, size_t length) {
    if (length == 0) return nullptr;
    const char* caseless = nullptr;
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* text = *entry;
        if (std::strlen(text) <= length || text[length] != '=') continue;
        if (std::strncmp(text, name, length) == 0) return text + length + 1;
        if (!caseless && strncasecmp(text, name, length) == 0) caseless = text + length + 1;
    }
    return caseless;
}

// Starts a program detached from us: the middle process exits at once, so the grandchild is
// reparented and never left as a zombie of ours.
void spawnDetached(const char* program, const char* argument) {
    pid_t middle = fork();
    if (middle < 0) return;
    if (middle == 0) {
        if (fork() == 0) {
            int nothing = open("/dev/null", O_RDWR);
            if (nothing >= 0) {
                dup2(nothing, 0);
                dup2(nothing, 1);
                dup2(nothing, 2);
            }
            execlp(program, program, argument, static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(0);
    }
    waitRetrying(middle);
}

bool programOnPath(const char* program) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    String candidate;
    for (const char* start = path;; ) {
        const char* colon = std::strchr(start, ':');
        int length = colon ? static_cast<int>(colon - start) : static_cast<int>(std::strlen(start));
        candidate.assignPart(start, 0, length);
        candidate.append('/').append(program);
        if (access(candidate.text(), X_OK) == 0) return true;
        if (!colon) return false;
        start = colon + 1;
    }
}

// The process group of the running build, and the Ctrl+C presses since it started. The build
// has a group of its own, so a build that ignores Ctrl+C can still be stopped: the first press
// is passed on as SIGINT, every further one kills the whole group.
volatile sig_atomic_t buildGroup = 0;
volatile sig_atomic_t interruptPresses = 0;

void onInterruptDuringBuild(int) {
    int saved = errno;
    if (buildGroup > 0) kill(-buildGroup, ++interruptPresses == 1 ? SIGINT : SIGKILL);
    errno = saved;
}

// Ctrl+C goes to the build while the object lives; the host's own handling comes back after.
class BuildInterruptForwarding {
public:
    explicit BuildInterruptForwarding(pid_t group) {
        interruptPresses = 0;
        buildGroup = group;
        struct sigaction forwarding {};
        forwarding.sa_handler = onInterruptDuringBuild;
        sigemptyset(&forwarding.sa_mask);
        forwarding.sa_flags = SA_RESTART;
        sigaction(SIGINT, &forwarding, &previous_);
    }
    ~BuildInterruptForwarding() {
        sigaction(SIGINT, &previous_, nullptr);
        buildGroup = 0;
    }
    BuildInterruptForwarding(const BuildInterruptForwarding&) = delete;
    BuildInterruptForwarding& operator=(const BuildInterruptForwarding&) = delete;

private:
    struct sigaction previous_ {};
};

}  // namespace

PosixPlatform::~PosixPlatform() { closeConsole(); }

int PosixPlatform::runCommand(const char* commandLine, OutputSink& sink) {
    // There is nothing to start in an empty command: report it as a failed start.
    if (!commandLine || isBlank(commandLine)) return RunStartFailed;

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

    pid_t middle = fork();
    if (middle == 0) {
        // The middle process only starts the shell and leaves, so the shell is reparented and
        // reaped by the system whenever it ends, even long after the output closed. Its pid
        // names the build's process group, which lives on in the shell and its children.
        setpgid(0, 0);
        pid_t shell = fork();
        if (shell == 0) {
            dup2(output[1], 1);
            dup2(output[1], 2);
            int nothing = open("/dev/null", O_RDONLY);
            if (nothing >= 0) dup2(nothing, 0);
            signal(SIGPIPE, SIG_DFL);
            signal(SIGINT, SIG_DFL);
            signal(SIGXFSZ, SIG_DFL);  // the host ignores it; the build must not inherit that
            execl("/bin/sh", "sh", "-c", commandLine, static_cast<char*>(nullptr));
        }
        if (shell > 0) _exit(0);
        // The fork or the exec failed: tell the parent why.
        int error = errno;
        ssize_t written = write(startReport[1], &error, sizeof error);
        (void)written;
        _exit(127);
    }
    close(output[1]);
    close(startReport[1]);
    if (middle < 0) {
        close(output[0]);
        close(startReport[0]);
        return RunStartFailed;
    }
    setpgid(middle, middle);  // whichever of the two runs first makes the group
    BuildInterruptForwarding forwarding(middle);
    waitRetrying(middle);
    int startError = 0;
    ssize_t reported = readRetrying(startReport[0], &startError, sizeof startError);
    close(startReport[0]);
    if (reported > 0) {
        close(output[0]);
        return RunStartFailed;
    }

    outputPipe_ = output[0];
    char chunk[kChunkSize];
    for (;;) {
        ssize_t got = readRetrying(output[0], chunk, sizeof chunk);
        if (got <= 0 || !sink.consume(chunk, static_cast<unsigned>(got))) break;
    }
    outputPipe_ = -1;
    close(output[0]);
    return RunCompleted;
}

bool PosixPlatform::outputWaiting() {
    if (outputPipe_ < 0) return false;
    pollfd request{outputPipe_, POLLIN, 0};
    return poll(&request, 1, 0) > 0 && (request.revents & POLLIN);
}

String PosixPlatform::expandEnvironment(const char* text) {
    String result;
    result.prepare(0);
    const char* scan = text;
    while (*scan) {
        const char* percent = std::strchr(scan, '%');
        if (!percent) {
            result.append(scan);
            break;
        }
        result.appendPart(scan, 0, static_cast<int>(percent - scan));
        const char* closing = std::strchr(percent + 1, '%');
        if (!closing) {
            result.append(percent);
            break;
        }
        const char* value = findVariable(percent + 1, static_cast<size_t>(closing - percent - 1));
        if (value) {
            result.append(value);
        } else {
            result.appendPart(percent, 0, static_cast<int>(closing - percent + 1));
        }
        scan = closing + 1;
    }
    return result;
}

uint64_t PosixPlatform::fileLastWriteTime(const char* path) {
    // Looked at, not opened: opening a FIFO would wait for a writer.
    struct stat status;
    if (stat(path, &status) != 0) return 0;
    return static_cast<uint64_t>(status.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(status.st_mtim.tv_nsec) +
           1;
}

String PosixPlatform::currentDirectory() {
    String directory;
    for (int size = 260;; size *= 2) {
        directory.prepare(size);
        if (getcwd(directory.buffer(), static_cast<size_t>(size) + 1)) break;
        if (errno != ERANGE) {
            directory.buffer()[0] = 0;
            break;
        }
    }
    directory.updateLength();
    return directory;
}

bool PosixPlatform::setCurrentDirectory(const char* path) { return chdir(path) == 0; }

ConsoleSize PosixPlatform::consoleSize() {
    ConsoleSize size;
    winsize window{};
    int fd = console_ >= 0 ? console_ : open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0 && ioctl(fd, TIOCGWINSZ, &window) == 0 && window.ws_col > 0 && window.ws_row > 0) {
        size.width = window.ws_col;
        size.height = window.ws_row;
    }
    if (fd >= 0 && fd != console_) close(fd);
    return size;
}

bool PosixPlatform::openConsole() {
    if (console_ < 0) console_ = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    cursorHidden_ = false;
    return console_ >= 0;
}

void PosixPlatform::hideCursor() {
    writeToTerminal("\x1b[?25l");
    cursorHidden_ = true;
}

void PosixPlatform::restoreCursor() {
    if (cursorHidden_) writeToTerminal("\x1b[?25h");
    cursorHidden_ = false;
}

void PosixPlatform::closeConsole() {
    restoreCursor();
    if (console_ >= 0) close(console_);
    console_ = -1;
}

bool PosixPlatform::readKey(KeyEvent& event) {
    if (console_ < 0) return false;
    FileByteSource source(console_);
    return readTerminalKey(source, event);
}

void PosixPlatform::setTitle(const char* title) {
    String sequence("\x1b]0;");
    sequence.append(title).append('\a');
    writeToTerminal(sequence.text());
}

void PosixPlatform::playSound(const char* path) {
    static const char* const players[] = {"paplay", "pw-play", "aplay"};
    for (const char* player : players) {
        if (programOnPath(player)) {
            spawnDetached(player, path);
            return;
        }
    }
    beep();
}

void PosixPlatform::beep() { writeToTerminal("\a"); }

int64_t PosixPlatform::clockSeconds() { return static_cast<int64_t>(time(nullptr)); }

int64_t PosixPlatform::clockMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void PosixPlatform::sleepMilliseconds(int milliseconds) {
    timespec pause{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

void* PosixPlatform::allocateLarge(size_t size) {
    // Aligned to a huge page and marked for huge pages: the kernel then backs the block with a
    // few large pages instead of faulting in hundreds of small ones.
    const size_t hugePage = 2 << 20;
    void* block = nullptr;
    if (posix_memalign(&block, hugePage, size) != 0) return nullptr;
#ifdef MADV_HUGEPAGE
    madvise(block, size, MADV_HUGEPAGE);
#endif
    return block;
}

void PosixPlatform::releaseLarge(void* block, size_t) { std::free(block); }

void PosixPlatform::writeToTerminal(const char* bytes) {
    int fd = console_ >= 0 ? console_ : open("/dev/tty", O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return;
    size_t length = std::strlen(bytes);
    while (length > 0) {
        ssize_t written = write(fd, bytes, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        bytes += written;
        length -= static_cast<size_t>(written);
    }
    if (fd != console_) close(fd);
}

Platform& systemPlatform() {
    static PosixPlatform system;
    return system;
}
