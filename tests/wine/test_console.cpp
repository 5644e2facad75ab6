#include "test_console.h"

#include <cstring>

namespace {

HANDLE openConsoleOutput() {
    return CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

}  // namespace

INPUT_RECORD keyDown(WORD virtualKey, DWORD controlState) {
    INPUT_RECORD record;
    std::memset(&record, 0, sizeof record);
    record.EventType = KEY_EVENT;
    KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    key.bKeyDown = TRUE;
    key.wRepeatCount = 1;
    key.wVirtualKeyCode = virtualKey;
    key.dwControlKeyState = controlState;
    if (virtualKey == VK_RETURN) key.uChar.AsciiChar = '\r';
    if (virtualKey == VK_ESCAPE) key.uChar.AsciiChar = 27;
    return record;
}

INPUT_RECORD keyUp(WORD virtualKey) {
    INPUT_RECORD record = keyDown(virtualKey);
    record.Event.KeyEvent.bKeyDown = FALSE;
    return record;
}

INPUT_RECORD mouseMove() {
    INPUT_RECORD record;
    std::memset(&record, 0, sizeof record);
    record.EventType = MOUSE_EVENT;
    record.Event.MouseEvent.dwMousePosition.X = 3;
    record.Event.MouseEvent.dwMousePosition.Y = 4;
    record.Event.MouseEvent.dwEventFlags = MOUSE_MOVED;
    return record;
}

ConsoleInput::ConsoleInput()
    : input_(CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr)) {}

ConsoleInput::~ConsoleInput() {
    if (input_ != INVALID_HANDLE_VALUE) CloseHandle(input_);
}

bool ConsoleInput::write(const std::vector<INPUT_RECORD>& records) {
    if (records.empty()) return true;
    DWORD written = 0;
    return WriteConsoleInputA(input_, records.data(), static_cast<DWORD>(records.size()), &written) &&
           written == records.size();
}

int ConsoleInput::pending() const {
    DWORD count = 0;
    if (!GetNumberOfConsoleInputEvents(input_, &count)) return -1;
    return static_cast<int>(count);
}

void ConsoleInput::discard() { FlushConsoleInputBuffer(input_); }

CONSOLE_CURSOR_INFO consoleCursor() {
    CONSOLE_CURSOR_INFO cursor{};
    HANDLE output = openConsoleOutput();
    GetConsoleCursorInfo(output, &cursor);
    CloseHandle(output);
    return cursor;
}

void setConsoleCursor(DWORD size, bool visible) {
    CONSOLE_CURSOR_INFO cursor{size, visible ? TRUE : FALSE};
    HANDLE output = openConsoleOutput();
    SetConsoleCursorInfo(output, &cursor);
    CloseHandle(output);
}

std::string consoleTitle() {
    char title[1024] = {0};
    GetConsoleTitleA(title, sizeof title);
    return title;
}

void setConsoleTitle(const std::string& title) { SetConsoleTitleA(title.c_str()); }

bool setConsoleSize(int width, int height) {
    HANDLE output = openConsoleOutput();
    SMALL_RECT window{0, 0, 9, 9};
    bool done = SetConsoleWindowInfo(output, TRUE, &window) &&
                SetConsoleScreenBufferSize(output, COORD{static_cast<SHORT>(width), static_cast<SHORT>(height)});
    window = SMALL_RECT{0, 0, static_cast<SHORT>(width - 1), static_cast<SHORT>(height - 1)};
    done = SetConsoleWindowInfo(output, TRUE, &window) && done;
    CloseHandle(output);
    return done;
}

COORD consoleSize() {
    CONSOLE_SCREEN_BUFFER_INFO buffer{};
    HANDLE output = openConsoleOutput();
    GetConsoleScreenBufferInfo(output, &buffer);
    CloseHandle(output);
    return buffer.dwSize;
}

bool hasConsole() {
    HANDLE output = openConsoleOutput();
    if (output == INVALID_HANDLE_VALUE) return false;
    CONSOLE_SCREEN_BUFFER_INFO buffer;
    bool console = GetConsoleScreenBufferInfo(output, &buffer) != 0;
    CloseHandle(output);
    return console;
}

int runAgainInConsole(int argc, char** argv, const char* marker) {
    char self[MAX_PATH] = {0};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string commandLine = std::string("\"") + self + "\" " + marker;
    for (int i = 1; i < argc; ++i) commandLine += std::string(" \"") + argv[i] + "\"";
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
        return 125;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 126;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
