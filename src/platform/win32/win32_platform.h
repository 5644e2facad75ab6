#pragma once

#include <windows.h>

#include "platform/platform.h"

// The Windows way, as the host's other plug-ins do it: the command through CreateProcessA with
// its standard output and error on one inherited pipe, file times through GetFileTime, and the
// host's console through "CONIN$" and "CONOUT$".
class Win32Platform : public Platform {
public:
    ~Win32Platform() override;

    int runCommand(const char* commandLine, OutputSink& sink) override;
    bool outputWaiting() override;
    String expandEnvironment(const char* text) override;
    CommandSyntax commandSyntax() override { return CommandSyntax::WindowsArguments; }

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
    char pathSeparator() override { return '\\'; }

private:
    HANDLE outputPipe_ = nullptr;  // read end while a command runs
    HANDLE consoleInput_ = INVALID_HANDLE_VALUE;
    HANDLE consoleOutput_ = INVALID_HANDLE_VALUE;
    CONSOLE_CURSOR_INFO savedCursor_{};
    bool cursorSaved_ = false;
};
