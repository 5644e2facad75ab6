#pragma once

#include "platform/platform.h"

// Reads one key from a terminal in raw mode and decodes its escape sequence into a key event
// with the virtual-key code and control state a Windows console would report.
// readByte(timeoutMs) returns the next byte, or -1 when none came in time (-1 timeout: wait).
class TerminalByteSource {
public:
    virtual ~TerminalByteSource() = default;
    virtual int readByte(int timeoutMilliseconds) = 0;
};

// False when the source ended or failed before a whole key was read.
bool readTerminalKey(TerminalByteSource& source, KeyEvent& event);

// A byte source over a file descriptor.
class FileByteSource : public TerminalByteSource {
public:
    explicit FileByteSource(int fd) : fd_(fd) {}
    int readByte(int timeoutMilliseconds) override;

private:
    int fd_;
};
