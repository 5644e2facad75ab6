#include "wine_check.h"

#include <cstdio>
#include <cstring>

namespace {

struct RegisteredCase {
    const char* name;
    CaseFunction run;
};

std::vector<RegisteredCase>& registry() {
    static std::vector<RegisteredCase> cases;
    return cases;
}

// The summary names the build, so that a log shows which module the cases ran on.
#if defined(__i386__)
const char kBuildName[] = "i686";
#else
const char kBuildName[] = "x86_64";
#endif

int failedChecks = 0;
const char* runningCase = "";

}  // namespace

const char* currentCaseName() { return runningCase; }

CaseRegistration::CaseRegistration(const char* name, CaseFunction run) { registry().push_back({name, run}); }

void recordCheck(bool passed, const char* file, int line, const std::string& what) {
    if (passed) return;
    ++failedChecks;
    const char* base = std::strrchr(file, '/');
    std::printf("    %s:%d: %s\n", base ? base + 1 : file, line, what.c_str());
    std::fflush(stdout);
}

int runCases(const char* filter) {
    int passed = 0;
    int failed = 0;
    for (const RegisteredCase& entry : registry()) {
        if (filter && !std::strstr(entry.name, filter)) continue;
        std::printf("case %s\n", entry.name);
        std::fflush(stdout);
        int before = failedChecks;
        runningCase = entry.name;
        entry.run();
        bool ok = failedChecks == before;
        std::printf("  %s %s\n", ok ? "passed" : "FAILED", entry.name);
        std::fflush(stdout);
        (ok ? passed : failed) += 1;
    }
    std::printf("%s: SUMMARY: %d passed, %d failed\n", kBuildName, passed, failed);
    std::fflush(stdout);
    return failed;
}
