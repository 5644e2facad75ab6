#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// What the module asked of the system where Wine's behaviour cannot show a fault: Wine hands
// a child the standard handles even without inheritance, and plays no sound without a device.
// The module's imports are pointed at recorders that note the arguments (and the state of the
// pipe at the moment the child is created) and then call the real function.
struct ProcessCreation {
    std::string commandLine;
    bool applicationNamed = false;
    BOOL inheritHandles = FALSE;
    DWORD creationFlags = 0;
    bool startupHoldsOnlyItsSize = false;
    bool environmentGiven = false;
    bool directoryGiven = false;
    bool standardOutputIsPipe = false;  // both standard handles are the pipe's write end
    bool standardErrorIsPipe = false;
    bool writeEndInheritable = false;
    bool readEndInheritable = false;
    BOOL started = FALSE;
};

struct PipeCreation {
    bool inheritable = false;
    DWORD size = 0;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
};

struct SoundPlayed {
    std::string path;
    bool moduleGiven = false;
    DWORD flags = 0;
};

struct SystemCalls {
    std::vector<PipeCreation> pipes;
    std::vector<ProcessCreation> processes;
    std::vector<SoundPlayed> sounds;
    std::vector<UINT> beeps;
    // Called before each read of a console input record, while the record is still unread.
    std::function<void()> beforeConsoleRead;
};

// Starts recording the module's calls (into a fresh record); false when it imports one of them
// under another name than expected.
bool recordSystemCalls(HMODULE module);
SystemCalls& recordedSystemCalls();
