// The host's console as the output window uses it: its size, its raw key input, the cursor's
// look and the title.
#include "platform/win32/win32_platform.h"

namespace {

const DWORD kHiddenCursorSize = 25;

HANDLE openConsoleDevice(const char* name) {
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

void closeConsoleDevice(HANDLE& handle) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

}  // namespace

Win32Platform::~Win32Platform() { closeConsole(); }

ConsoleSize Win32Platform::consoleSize() {
    ConsoleSize size;
    CONSOLE_SCREEN_BUFFER_INFO buffer;
    bool known = GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &buffer) != 0;
    if (!known) {
        // Standard output may be redirected; the console's own buffer is still there.
        HANDLE console = consoleOutput_ != INVALID_HANDLE_VALUE ? consoleOutput_ : openConsoleDevice("CONOUT$");
        known = GetConsoleScreenBufferInfo(console, &buffer) != 0;
        if (console != consoleOutput_ && console != INVALID_HANDLE_VALUE) CloseHandle(console);
    }
    if (known && buffer.dwSize.X > 0 && buffer.dwSize.Y > 0) {
        size.width = buffer.dwSize.X;
        size.height = buffer.dwSize.Y;
    }
    return size;
}

bool Win32Platform::openConsole() {
    if (consoleInput_ == INVALID_HANDLE_VALUE) consoleInput_ = openConsoleDevice("CONIN$");
    if (consoleOutput_ == INVALID_HANDLE_VALUE) {
        consoleOutput_ = openConsoleDevice("CONOUT$");
        // Saved once per opening: a second call while hidden must not save the hidden look.
        cursorSaved_ = consoleOutput_ != INVALID_HANDLE_VALUE && GetConsoleCursorInfo(consoleOutput_, &savedCursor_);
    }
    return consoleInput_ != INVALID_HANDLE_VALUE && consoleOutput_ != INVALID_HANDLE_VALUE;
}

void Win32Platform::hideCursor() {
    if (consoleOutput_ == INVALID_HANDLE_VALUE) return;
    CONSOLE_CURSOR_INFO hidden;
    hidden.dwSize = kHiddenCursorSize;
    hidden.bVisible = FALSE;
    SetConsoleCursorInfo(consoleOutput_, &hidden);
}

void Win32Platform::restoreCursor() {
    if (consoleOutput_ != INVALID_HANDLE_VALUE && cursorSaved_) SetConsoleCursorInfo(consoleOutput_, &savedCursor_);
}

void Win32Platform::closeConsole() {
    restoreCursor();
    cursorSaved_ = false;
    closeConsoleDevice(consoleInput_);
    closeConsoleDevice(consoleOutput_);
}

namespace {

void describeRecord(const INPUT_RECORD& record, KeyEvent& event) {
    if (record.EventType != KEY_EVENT) return;
    const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    event.isKey = true;
    event.keyDown = key.bKeyDown != 0;
    event.virtualKey = key.wVirtualKeyCode;
    event.controlState = key.dwControlKeyState;
    event.character = key.uChar.AsciiChar;
}

}  // namespace

bool Win32Platform::readKey(KeyEvent& event) {
    event = KeyEvent();
    if (consoleInput_ == INVALID_HANDLE_VALUE) return false;
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputA(consoleInput_, &record, 1, &read) || read != 1) return false;
    describeRecord(record, event);
    return true;
}

bool Win32Platform::pollKey(KeyEvent& event) {
    event = KeyEvent();
    if (consoleInput_ == INVALID_HANDLE_VALUE) return false;
    DWORD waiting = 0;
    if (!GetNumberOfConsoleInputEvents(consoleInput_, &waiting) || waiting == 0) return false;
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputA(consoleInput_, &record, 1, &read) || read != 1) return false;
    describeRecord(record, event);
    return true;
}

void Win32Platform::setTitle(const char* title) { SetConsoleTitleA(title ? title : ""); }
