#pragma once

#include <windows.h>

#include <string>

// Ends the whole run with a failed summary when one call into the module never returns (a
// pipe whose write end stays open, a window that never sees its closing key): the case is
// named instead of the run silently running into its outer time limit.
class HangGuard {
public:
    HangGuard();
    ~HangGuard();
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;

private:
    HANDLE returned_;
    HANDLE watcher_;
};
