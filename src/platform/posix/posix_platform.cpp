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
#include "platform/posix/terminal_text.h"

extern char** environ;

namespace {

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

}  // namespace

PosixPlatform::~PosixPlatform() { closeConsole(); }

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

bool PosixPlatform::pollKey(KeyEvent& event) {
    if (console_ < 0) return false;
    pollfd request{console_, POLLIN, 0};
    if (poll(&request, 1, 0) <= 0 || !(request.revents & POLLIN)) return false;
    FileByteSource source(console_);
    return readTerminalKey(source, event);
}

bool PosixPlatform::readKey(KeyEvent& event) {
    if (console_ < 0) return false;
    FileByteSource source(console_);
    return readTerminalKey(source, event);
}

void PosixPlatform::setTitle(const char* title) {
    // The title comes from the language file: a control in it would end the sequence early
    // and have the terminal act on the rest.
    String sequence("\x1b]0;");
    int start = sequence.length();
    sequence.append(title ? title : "");
    replaceTerminalControls(sequence.buffer() + start, static_cast<size_t>(sequence.length() - start),
                            localeTakesUtf8());
    sequence.append('\a');
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
