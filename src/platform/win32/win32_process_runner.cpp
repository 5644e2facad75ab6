// Runs a build command the way a console program expects to be run from the host: standard
// output and error both on one pipe that the child inherits, the host's console and directory
// shared, and the output read until the process has ended and the pipe is closed or quiet. The
// process runs in a job object, so that a stop (or the host's end) ends all it started.
#include <cctype>
#include <cstring>

#include "platform/win32/win32_platform.h"

namespace {

const DWORD kChunkSize = 4096;
// How long a wait for output lasts before the sink looks at the keys again.
const DWORD kKeyLookIntervalMs = 10;
// Once the process has ended, a pipe quiet this long is held only by processes left behind.
const DWORD kQuietEndMs = 500;

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

// A job that kills its processes when its last handle closes: the host ending mid-build takes
// the build along. None when the system refuses (a host already in a job that allows no other).
HANDLE createBuildJob() {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (!job) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    std::memset(&limits, 0, sizeof limits);
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

// A build that ended by itself leaves what it started running, as a compiler server expects.
void releaseBuildJob(HANDLE job) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    std::memset(&limits, 0, sizeof limits);
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

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
    // Suspended until it is in the job, so that nothing it starts can escape the job.
    BOOL started = CreateProcessA(nullptr, writableCommand.buffer(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                                  nullptr, &startup, &child);
    // The child has its copies now; the host gets its own handles back before anything else.
    standardHandles.restore();
    if (!started) return RunStartFailed;
    HandleCloser processCloser(child.hProcess);
    HANDLE job = createBuildJob();
    HandleCloser jobCloser(job);
    if (job && !AssignProcessToJobObject(job, child.hProcess)) {
        jobCloser.close();
        job = nullptr;
    }
    ResumeThread(child.hThread);
    CloseHandle(child.hThread);
    // Our copy of the write end would keep the pipe open after the child is done.
    writeCloser.close();

    PipeNote note(outputPipe_, readEnd);
    RunOutcome outcome;
    bool pipeOpen = true;
    bool processEnded = false;
    bool killed = false;
    DWORD lastOutput = GetTickCount();
    DWORD pipeClosedAt = 0;
    DWORD lastKeyLook = lastOutput - kKeyLookIntervalMs;
    char chunk[kChunkSize];
    for (;;) {
        if (!processEnded) processEnded = WaitForSingleObject(child.hProcess, 0) == WAIT_OBJECT_0;
        DWORD now = GetTickCount();
        // A process that closed its output and runs on: the build is over without its status.
        if (!pipeOpen && !killed && now - pipeClosedAt >= kQuietEndMs) break;
        if (!killed && now - lastKeyLook >= kKeyLookIntervalMs) {
            lastKeyLook = now;
            if (!sink.keepRunning()) {
                outcome.stopped = killed = true;
                if (!job || !TerminateJobObject(job, 1)) TerminateProcess(child.hProcess, 1);
            }
        }
        DWORD available = 0;
        if (pipeOpen && !PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) {
            pipeOpen = false;  // every writer is gone
            pipeClosedAt = now;
        }
        // Quiet counts from the end of taking in the last chunk, and only with nothing waiting.
        if (processEnded && (!pipeOpen || (available == 0 && now - lastOutput >= kQuietEndMs))) break;
        if (!pipeOpen || available == 0) {
            // Nothing to read: wait a little for the process instead of spinning.
            if (!processEnded) {
                processEnded = WaitForSingleObject(child.hProcess, kKeyLookIntervalMs) == WAIT_OBJECT_0;
            } else {
                Sleep(kKeyLookIntervalMs);
            }
            continue;
        }
        DWORD got = 0;
        if (!ReadFile(readEnd, chunk, available < kChunkSize ? available : kChunkSize, &got, nullptr) || got == 0) {
            pipeOpen = false;
            pipeClosedAt = GetTickCount();
            continue;
        }
        bool taken = sink.consume(chunk, static_cast<unsigned>(got));
        lastOutput = GetTickCount();
        if (!taken) {
            // Nothing more can be taken in: the build ends here.
            pipeOpen = false;
            pipeClosedAt = lastOutput;
            killed = true;
            if (!job || !TerminateJobObject(job, 1)) TerminateProcess(child.hProcess, 1);
        }
    }
    if (killed) WaitForSingleObject(child.hProcess, INFINITE);
    DWORD exitCode = STILL_ACTIVE;
    outcome.exitKnown = GetExitCodeProcess(child.hProcess, &exitCode) && exitCode != STILL_ACTIVE;
    outcome.exitStatus = outcome.exitKnown ? static_cast<int>(exitCode) : 0;
    if (job && !killed) releaseBuildJob(job);
    sink.finished(outcome);
    return RunCompleted;
}

bool Win32Platform::outputWaiting() {
    if (!outputPipe_) return false;
    DWORD available = 0;
    return PeekNamedPipe(outputPipe_, nullptr, 0, nullptr, &available, nullptr) && available > 0;
}
