#include "session/folder_tracking.h"

#include "platform/platform.h"
#include "session/source_paths.h"

void FolderTracker::change(FolderChange change, const char* line, const CaptureSpan& folder) {
    written_.assignBytes(line + folder.start, folder.end - folder.start);
    if (change == FolderEntered) {
        stack_.push_back(numberOfWritten(current()));
        return;
    }
    if (change != FolderLeft) return;
    bool absolute = IsAbsolutePath(written_.text());
    int32_t left = absolute ? numberOfWritten(-1) : -1;
    for (size_t i = stack_.size(); i-- > 0;) {
        // A relative folder is left from the one it was entered under.
        if (!absolute) left = numberOfWritten(i > 0 ? stack_[i - 1] : -1);
        if (stack_[i] == left) {
            stack_.erase(stack_.begin() + static_cast<long>(i));
            return;
        }
    }
}

void FolderTracker::clear() {
    stack_.clear();
    spellings_.clear();
    numbers_.clear();
    folders_.clear();
}

int32_t FolderTracker::numberOfWritten(int32_t under) {
    // make writes the same absolute folders again and again: their spelling finds them at once.
    bool absolute = IsAbsolutePath(written_.text());
    if (absolute) {
        if (int32_t* known = spellings_.find(written_.text())) return *known;
    }
    char separator = platform().pathSeparator();
    const String* base = folder(under);
    String resolved = base ? JoinPath(*base, written_.text(), separator) : NormalisePath(written_.text(), separator);
    int32_t number = numberOf(resolved);
    if (absolute) spellings_.insertOrReplace(written_.text(), number);
    return number;
}

int32_t FolderTracker::numberOf(const String& folder) {
    const char* key = folder.text() ? folder.text() : "";
    if (int32_t* known = numbers_.find(key)) return *known;
    int32_t number = folders_.count();
    folders_.append(folder);
    try {
        numbers_.insertOrReplace(key, number);
    } catch (...) {
        folders_.seek(-1);
        folders_.removeCurrent();
        throw;
    }
    return number;
}
