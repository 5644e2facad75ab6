// Runs a build command the way a console program expects to be run from the host: standard
// output and error both on one pipe that the child inherits, the host's console and directory
// shared, and the output read until the last writer has closed it.
#include <cctype>
#include <cstring>

#include "platform/win32/win32_platform.h"

namespace {

const DWORD kChunkSize = 4096;

bool isBlank(const char* text) {
    for (; *text; ++text) {
        if (!std::isspace(static_cast<unsigned char>(*text))) return false;
    }
    return true;
}

// Closes a handle when the run ends, however it ends.
class HandleCloser {
public:
    explicit HandleCloser(HANDLE handle) : handle_(handle) {}
    ~HandleCloser() { close(); }
    HandleCloser(const HandleCloser&) = delete;
    HandleCloser& operator=(const HandleCloser&) = delete;
    void close() {
        if (handle_) CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_;
};

// Puts the host's standard output and error back, however the run ends.
class StandardHandlesKeeper {
public:
    StandardHandlesKeeper()
        : output_(GetStdHandle(STD_OUTPUT_HANDLE)), error_(GetStdHandle(STD_ERROR_HANDLE)) {}
    ~StandardHandlesKeeper() { restore(); }
    StandardHandlesKeeper(const StandardHandlesKeeper&) = delete;
    StandardHandlesKeeper& operator=(const StandardHandlesKeeper&) = delete;
    void restore() {
        SetStdHandle(STD_OUTPUT_HANDLE, output_);
        SetStdHandle(STD_ERROR_HANDLE, error_);
    }

private:
    HANDLE output_;
    HANDLE error_;
};

// Clears the platform's note of the pipe being read, however the reading ends.
class PipeNote {
public:
    PipeNote(HANDLE& note, HANDLE pipe) : note_(note) { note_ = pipe; }
    ~PipeNote() { note_ = nullptr; }
    PipeNote(const PipeNote&) = delete;
    PipeNote& operator=(const PipeNote&) = delete;

private:
    HANDLE& note_;
};

}  // namespace

int Win32Platform::runCommand(const char* commandLine, OutputSink& sink) {
    // There is nothing to start in an empty command: report it as a failed start.
    if (!commandLine || isBlank(commandLine)) return RunStartFailed;

    StandardHandlesKeeper standardHandles;
    SECURITY_ATTRIBUTES inheritable;
    inheritable.nLength = sizeof inheritable;
    inheritable.lpSecurityDescriptor = nullptr;
    inheritable.bInheritHandle = TRUE;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return RunPipeFailed;
    HandleCloser readCloser(readEnd);
    HandleCloser writeCloser(writeEnd);
    // Only the write end is the child's. A child holding the read end too would keep the pipe
    // open from our side: should we stop reading, its writes would block for ever instead of
    // failing, and every program it starts (a compiler server, say) would carry that end along.
    if (!SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0)) return RunPipeFailed;

    if (!SetStdHandle(STD_OUTPUT_HANDLE, writeEnd)) return RunPipeFailed;
    if (!SetStdHandle(STD_ERROR_HANDLE, writeEnd)) return RunPipeFailed;

    // CreateProcessA may write into the command line, so it gets a copy.
    String writableCommand(commandLine);
    // Without STARTF_USESTDHANDLES the child takes our standard handles, which now are the
    // pipe; inheritance must be on for those handle values to be valid in the child.
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child;
    std::memset(&child, 0, sizeof child);
    BOOL started = CreateProcessA(nullptr, writableCommand.buffer(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &child);
    // The child has its copies now; the host gets its own handles back before anything else.
    standardHandles.restore();
    if (!started) return RunStartFailed;

    // The end of the output is the only sign of the end of the build: the process itself is
    // not waited for.
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    // Our copy of the write end would keep the pipe open after the child is done.
    writeCloser.close();

    PipeNote note(outputPipe_, readEnd);
    char chunk[kChunkSize];
    DWORD got = 0;
    while (ReadFile(readEnd, chunk, kChunkSize, &got, nullptr) && got > 0) {
        if (!sink.consume(chunk, static_cast<unsigned>(got))) break;
    }
    return RunCompleted;
}

bool Win32Platform::outputWaiting() {
    if (!outputPipe_) return false;
    DWORD available = 0;
    return PeekNamedPipe(outputPipe_, nullptr, 0, nullptr, &available, nullptr) && available > 0;
}
