#include "terminal/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

const char kEnterScreen[] = "\x1b[?1049h\x1b[?7l\x1b[?25l\x1b[0m\x1b[H\x1b[2J";
const char kLeaveScreen[] = "\x1b[0m\x1b[?7h\x1b[?25h\x1b[?1049l";

// What the signal handlers need, reachable without locks.
volatile sig_atomic_t resizePending = 0;
int wakePipe[2] = {-1, -1};
int signalTerminal = -1;
termios signalOriginal;
volatile sig_atomic_t signalOriginalSaved = 0;
volatile sig_atomic_t signalInHostMode = 0;

void writeAll(int fd, const char* bytes, size_t length) {
    while (length > 0) {
        ssize_t written = ::write(fd, bytes, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        bytes += written;
        length -= static_cast<size_t>(written);
    }
}

void onResize(int) {
    int saved = errno;
    resizePending = 1;
    if (wakePipe[1] >= 0) {
        ssize_t written = ::write(wakePipe[1], "r", 1);
        (void)written;
    }
    errno = saved;
}

// Ctrl+C while a build runs is meant for the build's processes; a broken pipe is an error
// result. Neither may end the host. (A handler, unlike SIG_IGN, is not inherited by children.)
void onNothing(int) {}

void onTerminate(int signalNumber) {
    if (signalTerminal >= 0) {
        if (signalInHostMode) writeAll(signalTerminal, kLeaveScreen, sizeof kLeaveScreen - 1);
        if (signalOriginalSaved) tcsetattr(signalTerminal, TCSANOW, &signalOriginal);
    }
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void install(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

}  // namespace

Terminal::~Terminal() {
    restore();
    if (fd_ >= 0) close(fd_);
    signalTerminal = -1;
}

bool Terminal::open() {
    fd_ = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) return false;
    if (tcgetattr(fd_, &original_) == 0) {
        saved_ = true;
        signalOriginal = original_;
        signalOriginalSaved = 1;
    }
    signalTerminal = fd_;
    if (wakePipe[0] < 0 && pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) wakePipe[0] = wakePipe[1] = -1;
    install(SIGWINCH, onResize);
    install(SIGINT, onNothing);
    install(SIGQUIT, onNothing);
    install(SIGPIPE, onNothing);
    install(SIGTERM, onTerminate);
    install(SIGHUP, onTerminate);
    return true;
}

void Terminal::applyModes(bool signals) {
    if (!saved_) return;
    termios modes = original_;
    modes.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    modes.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    modes.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    modes.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
    modes.c_cflag |= CS8;
    modes.c_cc[VMIN] = 1;
    modes.c_cc[VTIME] = 0;
    if (signals) {
        // Only Ctrl+C: a quit or suspend key would take the host down or stop it.
        modes.c_lflag |= ISIG;
        modes.c_cc[VQUIT] = _POSIX_VDISABLE;
        modes.c_cc[VSUSP] = _POSIX_VDISABLE;
        if (modes.c_cc[VINTR] == _POSIX_VDISABLE) modes.c_cc[VINTR] = 3;
    }
    // TCSANOW: keys typed ahead must survive the switch.
    tcsetattr(fd_, TCSANOW, &modes);
}

void Terminal::enterHostMode() {
    applyModes(false);
    if (!hostMode_) writeAll(fd_, kEnterScreen, sizeof kEnterScreen - 1);
    hostMode_ = true;
    signalInHostMode = 1;
}

void Terminal::allowInterrupt(bool allowed) { applyModes(allowed); }

void Terminal::leaveForProgram() {
    if (hostMode_) writeAll(fd_, kLeaveScreen, sizeof kLeaveScreen - 1);
    hostMode_ = false;
    signalInHostMode = 0;
    if (!saved_) return;
    // The host waits for the program: a suspend key would stop it with no one to resume it.
    termios modes = original_;
    modes.c_cc[VSUSP] = _POSIX_VDISABLE;
    tcsetattr(fd_, TCSANOW, &modes);
}

void Terminal::restore() {
    if (fd_ < 0) return;
    if (hostMode_) writeAll(fd_, kLeaveScreen, sizeof kLeaveScreen - 1);
    hostMode_ = false;
    signalInHostMode = 0;
    if (saved_) tcsetattr(fd_, TCSANOW, &original_);
}

ConsoleSize Terminal::size() const {
    ConsoleSize size;
    winsize window{};
    if (fd_ >= 0 && ioctl(fd_, TIOCGWINSZ, &window) == 0 && window.ws_col > 0 && window.ws_row > 0) {
        size.width = window.ws_col;
        size.height = window.ws_row;
    }
    return size;
}

void Terminal::write(const std::string& bytes) {
    if (fd_ >= 0) writeAll(fd_, bytes.data(), bytes.size());
}

bool Terminal::takeResize() {
    char drained[64];
    while (wakePipe[0] >= 0 && read(wakePipe[0], drained, sizeof drained) > 0) {
    }
    bool pending = resizePending != 0;
    resizePending = 0;
    return pending;
}

int Terminal::wakeFd() const { return wakePipe[0]; }

bool TerminalKeySource::readKey(KeyEvent& event) {
    if (ended_) return false;
    return readTerminalKey(*this, event);
}

bool TerminalKeySource::takeResize(ConsoleSize& size) {
    if (!terminal_.takeResize()) return false;
    size = terminal_.size();
    return true;
}

int TerminalKeySource::readByte(int timeoutMilliseconds) {
    // Only the wait for a key's first byte gives way to a resize; the rest of an escape
    // sequence is read whole.
    bool firstByte = timeoutMilliseconds < 0;
    for (;;) {
        pollfd requests[2] = {{terminal_.fd(), POLLIN, 0}, {terminal_.wakeFd(), POLLIN, 0}};
        int watched = firstByte && terminal_.wakeFd() >= 0 ? 2 : 1;
        int ready = poll(requests, watched, timeoutMilliseconds);
        if (ready < 0 && errno == EINTR) {
            if (firstByte && resizePending) return -1;
            continue;
        }
        if (ready <= 0) return -1;
        if (requests[0].revents & POLLIN) {
            unsigned char byte;
            ssize_t got = read(terminal_.fd(), &byte, 1);
            if (got == 1) return byte;
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            ended_ = true;
            return -1;
        }
        if (requests[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            ended_ = true;
            return -1;
        }
        if (watched == 2 && (requests[1].revents & POLLIN)) return -1;
    }
}
