#pragma once

#include "platform/platform.h"

// The POSIX way: /bin/sh -c on a pipe, stat times, getcwd/chdir, and the controlling terminal
// as the console (raw key input decoded into key events, escape sequences for cursor and title).
class PosixPlatform : public Platform {
public:
    ~PosixPlatform() override;

    int runCommand(const char* commandLine, OutputSink& sink) override;
    bool outputWaiting() override;
    String expandEnvironment(const char* text) override;
    CommandSyntax commandSyntax() override { return CommandSyntax::PosixShell; }

    uint64_t fileLastWriteTime(const char* path) override;
    String currentDirectory() override;
    bool setCurrentDirectory(const char* path) override;

    ConsoleSize consoleSize() override;
    bool openConsole() override;
    void hideCursor() override;
    void restoreCursor() override;
    void closeConsole() override;
    bool readKey(KeyEvent& event) override;
    void setTitle(const char* title) override;

    void playSound(const char* path) override;
    void beep() override;
    int64_t clockSeconds() override;
    int64_t clockMilliseconds() override;
    void sleepMilliseconds(int milliseconds) override;
    char pathSeparator() override { return '/'; }
    void* allocateLarge(size_t size) override;
    void releaseLarge(void* block, size_t size) override;

private:
    void writeToTerminal(const char* bytes);

    int outputPipe_ = -1;   // read end while a command runs
    int console_ = -1;      // the controlling terminal while the console is open
    bool cursorHidden_ = false;
};
