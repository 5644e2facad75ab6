#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The console of the test process, seen from the host's side: input records written into
// "CONIN$" for the module to read, and the cursor, title and size it should leave as found.

INPUT_RECORD keyDown(WORD virtualKey, DWORD controlState = 0);
INPUT_RECORD keyUp(WORD virtualKey);
INPUT_RECORD mouseMove();

class ConsoleInput {
public:
    ConsoleInput();
    ~ConsoleInput();
    ConsoleInput(const ConsoleInput&) = delete;
    ConsoleInput& operator=(const ConsoleInput&) = delete;

    bool write(const std::vector<INPUT_RECORD>& records);
    // Records written and not read yet.
    int pending() const;
    void discard();

private:
    HANDLE input_;
};

CONSOLE_CURSOR_INFO consoleCursor();
void setConsoleCursor(DWORD size, bool visible);
std::string consoleTitle();
void setConsoleTitle(const std::string& title);
// Gives the console a buffer of exactly this size (its window shrunk to fit first).
bool setConsoleSize(int width, int height);
COORD consoleSize();

// Runs this program again, with the same arguments and the marker, where it gets a console of
// its own without a window and the same standard handles; returns its exit code. A program
// started by Wine with its input from /dev/null has no console at all.
bool hasConsole();
int runAgainInConsole(int argc, char** argv, const char* marker);
