#include "config/folder_messages.h"

namespace {

// With a tool path or a ".exe" before the name, a recursion depth after it, and either quote
// that make versions open the folder with.
const char kFolderMessage[] =
    "/^(?:\\S*[\\\\\\/])?(?:g?make|mingw32-make|ninja)(?:\\.exe)?(?:\\[\\d+\\])?: (Entering|Leaving) directory "
    "[`'](.*)'\\s*$/";
const int kSlots = 3;

}  // namespace

Regex& FolderMessagePattern() {
    static Regex* pattern = [] {
        Regex* compiled = new Regex;
        compiled->compile(kFolderMessage, RegexDelimited | RegexFirstChars);
        return compiled;
    }();
    return *pattern;
}

FolderChange ReadFolderChange(const String& line, CaptureSpan& folder) {
    if (!line.text()) return FolderUnchanged;
    CaptureSpan spans[kSlots];
    int count = kSlots;
    if (FolderMessagePattern().matchRange(line.text(), line.text() + line.length(), spans, count) != 1 ||
        count < kSlots || spans[2].start < 0) {
        return FolderUnchanged;
    }
    folder = spans[2];
    return line.text()[spans[1].start] == 'E' ? FolderEntered : FolderLeft;
}
