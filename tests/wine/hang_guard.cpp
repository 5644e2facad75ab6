#include "hang_guard.h"

#include <cstdio>

#include "wine_check.h"

namespace {

// Far beyond any case's longest call (a build of two seconds at most).
const DWORD kLimitMilliseconds = 60000;

struct Watch {
    std::string caseName;
    HANDLE returned;
};

DWORD WINAPI watch(void* parameter) {
    Watch* watched = static_cast<Watch*>(parameter);
    if (WaitForSingleObject(watched->returned, kLimitMilliseconds) == WAIT_TIMEOUT) {
        std::printf("  FAILED %s: a call into the module never returned\nSUMMARY: 0 passed, 1 failed\n",
                    watched->caseName.c_str());
        std::fflush(stdout);
        ExitProcess(3);
    }
    delete watched;
    return 0;
}

}  // namespace

HangGuard::HangGuard() : returned_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    watcher_ = CreateThread(nullptr, 0, watch, new Watch{currentCaseName(), returned_}, 0, nullptr);
}

HangGuard::~HangGuard() {
    SetEvent(returned_);
    if (watcher_) {
        WaitForSingleObject(watcher_, INFINITE);
        CloseHandle(watcher_);
    }
    CloseHandle(returned_);
}
