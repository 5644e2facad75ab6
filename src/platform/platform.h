#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/text_string.h"

// Receives the child's output, chunk by chunk, as it is read from the pipe.
class OutputSink {
public:
    virtual ~OutputSink() = default;
    // False when no more output can be taken: the reading stops and the pipe is closed.
    virtual bool consume(const char* bytes, unsigned count) = 0;
};

// One console input record, reduced to what the plug-in and the hosts look at.
struct KeyEvent {
    bool isKey = false;       // a key record (not mouse, focus or size)
    bool keyDown = false;
    int virtualKey = 0;       // VK_* code
    unsigned controlState = 0;  // *_CTRL_PRESSED, SHIFT_PRESSED, *_ALT_PRESSED
    char character = 0;       // the typed character, 0 for keys without one
};

struct ConsoleSize {
    int width = 80;
    int height = 25;
};

// Results of runCommand; they double as the message index shown for a failed start.
enum RunResult {
    RunCompleted = 0,
    RunPipeFailed = 1,
    RunStartFailed = 2,
};

// How the system splits a command line into the program's arguments.
enum class CommandSyntax {
    PosixShell,        // run by /bin/sh -c
    WindowsArguments,  // handed to CreateProcess, split by the C runtime's rules
};

// Everything the plug-in does through the operating system. One implementation per system;
// tests replace the parts they must control (console input, size, clock, sound).
class Platform {
public:
    virtual ~Platform() = default;

    // Runs the command with standard output and error on one pipe, handing every chunk read
    // (at most 4096 bytes) to the sink until the output ends. Returns a RunResult.
    virtual int runCommand(const char* commandLine, OutputSink& sink) = 0;
    // True while a command runs and more of its output is already waiting to be read.
    virtual bool outputWaiting() = 0;
    // Replaces %NAME% references to defined environment variables; others stay as written.
    virtual String expandEnvironment(const char* text) = 0;
    // How runCommand's command line is split into the program's arguments.
    virtual CommandSyntax commandSyntax() = 0;

    // The file's last-write time, 0 when it cannot be opened.
    virtual uint64_t fileLastWriteTime(const char* path) = 0;
    virtual String currentDirectory() = 0;
    virtual bool setCurrentDirectory(const char* path) = 0;

    virtual ConsoleSize consoleSize() = 0;
    // Opens the console input and output and saves the cursor's look.
    virtual bool openConsole() = 0;
    virtual void hideCursor() = 0;
    // Puts back the cursor saved by openConsole.
    virtual void restoreCursor() = 0;
    virtual void closeConsole() = 0;
    // Blocks for one input record from the console opened by openConsole; false on failure.
    virtual bool readKey(KeyEvent& event) = 0;
    virtual void setTitle(const char* title) = 0;

    // Starts playing a sound file without waiting for it.
    virtual void playSound(const char* path) = 0;
    virtual void beep() = 0;
    virtual int64_t clockSeconds() = 0;
    virtual int64_t clockMilliseconds() = 0;
    virtual void sleepMilliseconds(int milliseconds) = 0;
    virtual char pathSeparator() = 0;

    // Large blocks for the stored output; the system's way may ask for large pages. None when
    // no memory is left.
    virtual void* allocateLarge(size_t size);
    virtual void releaseLarge(void* block, size_t size);
};

// The platform in use: the system's own unless a test installed another.
Platform& platform();
// Installs a replacement (tests); nullptr goes back to the system's own.
void setPlatform(Platform* replacement);
// The system's own implementation.
Platform& systemPlatform();
