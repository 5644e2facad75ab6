#include "session/folder_tracking.h"

#include "platform/platform.h"
#include "session/source_paths.h"

void FolderTracker::change(FolderChange change, const char* line, const CaptureSpan& folder) {
    const char* text = line + folder.start;
    int length = folder.end - folder.start;
    if (change == FolderEntered) {
        int32_t number = numberOf(resolved(text, length, current()));
        stack_.push_back(number);
        return;
    }
    if (change != FolderLeft) return;
    for (size_t i = stack_.size(); i-- > 0;) {
        int32_t under = i > 0 ? stack_[i - 1] : -1;
        if (folders_.at(stack_[i])->equals(resolved(text, length, under).text())) {
            stack_.erase(stack_.begin() + static_cast<long>(i));
            return;
        }
    }
}

void FolderTracker::clear() {
    stack_.clear();
    numbers_.clear();
    folders_.clear();
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

String FolderTracker::resolved(const char* text, int length, int32_t under) {
    String written;
    written.assignPart(text, 0, length);
    char separator = platform().pathSeparator();
    const String* base = folder(under);
    return base ? JoinPath(*base, written.text(), separator) : NormalisePath(written.text(), separator);
}
