// Environment, files, directories, sound and time the Windows way.
#include "platform/win32/win32_platform.h"

#include <mmsystem.h>

namespace {

// A monotonic count in milliseconds; QueryPerformanceCounter is there on every Windows the
// host runs on, unlike GetTickCount64, and does not wrap after 49 days like GetTickCount.
int64_t monotonicMilliseconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER value;
        if (!QueryPerformanceFrequency(&value) || value.QuadPart <= 0) value.QuadPart = 1000;
        return value;
    }();
    LARGE_INTEGER counter;
    if (!QueryPerformanceCounter(&counter)) return static_cast<int64_t>(GetTickCount());
    int64_t ticks = counter.QuadPart;
    int64_t perSecond = frequency.QuadPart;
    return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
}

}  // namespace

String Win32Platform::expandEnvironment(const char* text) {
    // The first call only tells the size; the environment could still grow in between, so
    // ask again until the result fits.
    DWORD needed = ExpandEnvironmentStringsA(text, nullptr, 0);
    while (needed > 0) {
        String expanded;
        expanded.prepare(static_cast<int>(needed) + 1);
        DWORD written = ExpandEnvironmentStringsA(text, expanded.buffer(), needed + 1);
        if (written == 0) break;
        if (written <= needed + 1) {
            expanded.updateLength();
            return expanded;
        }
        needed = written;
    }
    return String(text);
}

uint64_t Win32Platform::fileLastWriteTime(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    FILETIME written{};
    uint64_t time = 0;
    if (GetFileTime(file, nullptr, nullptr, &written)) {
        time = static_cast<uint64_t>(written.dwHighDateTime) << 32 | written.dwLowDateTime;
    }
    CloseHandle(file);
    return time;
}

String Win32Platform::currentDirectory() {
    String directory;
    DWORD size = MAX_PATH;
    for (;;) {
        directory.prepare(static_cast<int>(size));
        DWORD length = GetCurrentDirectoryA(size + 1, directory.buffer());
        if (length == 0) {
            directory.buffer()[0] = 0;
            break;
        }
        // Too small: the result is the size needed, its terminating zero included.
        if (length <= size) break;
        size = length;
    }
    directory.updateLength();
    return directory;
}

bool Win32Platform::setCurrentDirectory(const char* path) { return SetCurrentDirectoryA(path) != 0; }

void Win32Platform::playSound(const char* path) {
    PlaySoundA(path, nullptr, SND_FILENAME | SND_APPLICATION | SND_ASYNC);
}

void Win32Platform::beep() { MessageBeep(0); }

int64_t Win32Platform::clockSeconds() { return monotonicMilliseconds() / 1000; }

int64_t Win32Platform::clockMilliseconds() { return monotonicMilliseconds(); }

void Win32Platform::sleepMilliseconds(int milliseconds) { Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds)); }

Platform& systemPlatform() {
    static Win32Platform system;
    return system;
}
