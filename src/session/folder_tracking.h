#pragma once

#include <cstdint>
#include <vector>

#include "config/folder_messages.h"
#include "config/name_map.h"
#include "foundation/string_list.h"
#include "foundation/text_string.h"

// Follows the folders that make and ninja say their tools run in, line by line, so that each
// match can keep the number of the folder in effect at its line: a small number per match,
// not a path, as a build may have a million of them.
class FolderTracker {
public:
    // Takes the change a line says: the folder (as the line writes it) entered or left. A
    // relative folder is taken under the one in effect before.
    void change(FolderChange change, const char* line, const CaptureSpan& folder);
    // The number of the folder in effect, -1 before any (the build's working directory).
    int32_t current() const { return stack_.empty() ? -1 : stack_.back(); }
    // The folder of that number, nullptr for -1 or a number it never gave.
    const String* folder(int32_t number) { return number >= 0 && number < folders_.count() ? folders_.at(number) : nullptr; }
    void clear();

private:
    int32_t numberOf(const String& folder);
    // The folder written in the line, under the one given when it is relative.
    String resolved(const char* text, int length, int32_t under);

    StringList folders_;  // each folder once
    NameMap<int32_t> numbers_;
    // The folders entered and not yet left, the newest last. Parallel makes interleave their
    // messages, so a folder left is taken out wherever it stands.
    std::vector<int32_t> stack_;
};
