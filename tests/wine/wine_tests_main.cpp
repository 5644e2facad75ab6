// The Windows cases: the real module driven through its exports by a host of our own, with a
// console of known size whose input the cases fill with key records.
#include <cstdio>
#include <cstring>

#include "test_console.h"
#include "wine_check.h"

namespace {

const char kInConsoleMarker[] = "--in-console";
const int kConsoleWidth = 100;
const int kConsoleHeight = 30;

}  // namespace

int main(int argc, char** argv) {
    bool relaunched = argc > 1 && std::strcmp(argv[1], kInConsoleMarker) == 0;
    if (!relaunched && !hasConsole()) return runAgainInConsole(argc, argv, kInConsoleMarker);
    int first = relaunched ? 2 : 1;
    const char* filter = argc > first ? argv[first] : nullptr;

    // A size unlike the defaults, so that a module that fails to read it draws the wrong area.
    if (!setConsoleSize(kConsoleWidth, kConsoleHeight)) {
        std::printf("the console could not be given %dx%d cells\nSUMMARY: 0 passed, 1 failed\n", kConsoleWidth,
                    kConsoleHeight);
        return 1;
    }
    return runCases(filter) == 0 ? 0 : 1;
}
