#pragma once

#include <termios.h>

#include <string>

#include "platform/platform.h"
#include "platform/posix/terminal_keys.h"
#include "terminal/display.h"
#include "terminal/key_source.h"

// The controlling terminal as the host uses it: raw input, the alternate screen, its size,
// and the signals that concern it (resizes, Ctrl+C during a build, termination).
class Terminal : public TerminalOutput {
public:
    Terminal() = default;
    ~Terminal() override;
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Opens /dev/tty and installs the signal handlers; false when there is no terminal.
    bool open();
    // Raw input without signals, the alternate screen, no automatic wrapping.
    void enterHostMode();
    // While the plug-in runs: still raw, but Ctrl+C raises SIGINT so that it stops the build's
    // processes (they share our process group and keep SIGINT's default action). The host
    // only notes the signal; the plug-in's read loop then sees the output end.
    void allowInterrupt(bool allowed);
    // Hands the terminal to another program as it was when we started; back with enterHostMode.
    void leaveForProgram();
    // Puts everything back as it was (also called on exit and on termination signals).
    void restore();

    ConsoleSize size() const;
    int fd() const { return fd_; }
    void write(const std::string& bytes) override;

    // True once for every resize since the last call.
    bool takeResize();
    // The descriptor that becomes readable when a signal wants the host's attention.
    int wakeFd() const;

private:
    void applyModes(bool signals);

    int fd_ = -1;
    bool saved_ = false;
    bool hostMode_ = false;
    termios original_{};
};

// Keys from the terminal, decoded as the plug-in decodes them. readKey gives up (false) when a
// resize is pending, so that the host can redraw, or when the terminal is gone (ended()).
class TerminalKeySource : public KeySource, private TerminalByteSource {
public:
    explicit TerminalKeySource(Terminal& terminal) : terminal_(terminal) {}
    bool readKey(KeyEvent& event) override;
    bool ended() const override { return ended_; }
    bool takeResize(ConsoleSize& size) override;

private:
    int readByte(int timeoutMilliseconds) override;

    Terminal& terminal_;
    bool waitingForFirstByte_ = false;
    bool ended_ = false;
};
