#include "system_call_recorder.h"

#include <cstring>

#include "import_table.h"

namespace {

SystemCalls calls;

using CreatePipeFunction = BOOL(WINAPI*)(PHANDLE, PHANDLE, LPSECURITY_ATTRIBUTES, DWORD);
using CreateProcessFunction = BOOL(WINAPI*)(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD,
                                            LPVOID, LPCSTR, LPSTARTUPINFOA, LPPROCESS_INFORMATION);
using PlaySoundFunction = BOOL(WINAPI*)(LPCSTR, HMODULE, DWORD);
using MessageBeepFunction = BOOL(WINAPI*)(UINT);
using ReadConsoleInputFunction = BOOL(WINAPI*)(HANDLE, PINPUT_RECORD, DWORD, LPDWORD);

CreatePipeFunction realCreatePipe = nullptr;
CreateProcessFunction realCreateProcess = nullptr;
PlaySoundFunction realPlaySound = nullptr;
MessageBeepFunction realMessageBeep = nullptr;
ReadConsoleInputFunction realReadConsoleInput = nullptr;

bool inheritable(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) && (flags & HANDLE_FLAG_INHERIT);
}

bool onlySizeSet(const STARTUPINFOA* startup) {
    if (!startup || startup->cb != sizeof *startup) return false;
    STARTUPINFOA empty;
    std::memset(&empty, 0, sizeof empty);
    empty.cb = sizeof empty;
    return std::memcmp(startup, &empty, sizeof empty) == 0;
}

BOOL WINAPI recordCreatePipe(PHANDLE readEnd, PHANDLE writeEnd, LPSECURITY_ATTRIBUTES attributes, DWORD size) {
    BOOL created = realCreatePipe(readEnd, writeEnd, attributes, size);
    PipeCreation pipe;
    pipe.inheritable = attributes && attributes->nLength == sizeof *attributes && attributes->bInheritHandle &&
                       !attributes->lpSecurityDescriptor;
    pipe.size = size;
    if (created) {
        pipe.readEnd = *readEnd;
        pipe.writeEnd = *writeEnd;
    }
    calls.pipes.push_back(pipe);
    return created;
}

BOOL WINAPI recordCreateProcess(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                                LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD flags,
                                LPVOID environment, LPCSTR directory, LPSTARTUPINFOA startup,
                                LPPROCESS_INFORMATION information) {
    ProcessCreation creation;
    creation.commandLine = commandLine ? commandLine : "";
    creation.applicationNamed = application != nullptr;
    creation.inheritHandles = inheritHandles;
    creation.creationFlags = flags;
    creation.startupHoldsOnlyItsSize = onlySizeSet(startup);
    creation.environmentGiven = environment != nullptr;
    creation.directoryGiven = directory != nullptr;
    if (!calls.pipes.empty()) {
        const PipeCreation& pipe = calls.pipes.back();
        creation.standardOutputIsPipe = GetStdHandle(STD_OUTPUT_HANDLE) == pipe.writeEnd;
        creation.standardErrorIsPipe = GetStdHandle(STD_ERROR_HANDLE) == pipe.writeEnd;
        creation.writeEndInheritable = inheritable(pipe.writeEnd);
        creation.readEndInheritable = inheritable(pipe.readEnd);
    }
    creation.started = realCreateProcess(application, commandLine, processAttributes, threadAttributes,
                                         inheritHandles, flags, environment, directory, startup, information);
    DWORD error = GetLastError();
    calls.processes.push_back(creation);
    SetLastError(error);
    return creation.started;
}

BOOL WINAPI recordPlaySound(LPCSTR path, HMODULE module, DWORD flags) {
    calls.sounds.push_back({path ? path : "", module != nullptr, flags});
    return realPlaySound(path, module, flags);
}

BOOL WINAPI recordMessageBeep(UINT type) {
    calls.beeps.push_back(type);
    return realMessageBeep(type);
}

BOOL WINAPI recordReadConsoleInput(HANDLE input, PINPUT_RECORD records, DWORD count, LPDWORD read) {
    if (calls.beforeConsoleRead) calls.beforeConsoleRead();
    return realReadConsoleInput(input, records, count, read);
}

template <typename Function>
bool replace(HMODULE module, const char* library, const char* name, Function replacement, Function& original) {
    void* previous = replaceImport(module, library, name, reinterpret_cast<void*>(replacement));
    // A module loaded twice already calls the recorder: the real function is the one noted then.
    if (previous != reinterpret_cast<void*>(replacement)) original = reinterpret_cast<Function>(previous);
    return previous != nullptr;
}

}  // namespace

bool recordSystemCalls(HMODULE module) {
    calls = SystemCalls();
    bool all = replace(module, "kernel32.dll", "CreatePipe", recordCreatePipe, realCreatePipe);
    all = replace(module, "kernel32.dll", "CreateProcessA", recordCreateProcess, realCreateProcess) && all;
    all = replace(module, "winmm.dll", "PlaySoundA", recordPlaySound, realPlaySound) && all;
    all = replace(module, "user32.dll", "MessageBeep", recordMessageBeep, realMessageBeep) && all;
    all = replace(module, "kernel32.dll", "ReadConsoleInputA", recordReadConsoleInput, realReadConsoleInput) && all;
    return all;
}

SystemCalls& recordedSystemCalls() { return calls; }
