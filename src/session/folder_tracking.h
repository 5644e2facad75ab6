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
    // The number of the folder the line wrote (written_), under the one numbered under when it
    // is relative.
    int32_t numberOfWritten(int32_t under);
    // The number of a normalised folder, given it when it is new.
    int32_t numberOf(const String& folder);

    StringList folders_;  // each folder once, normalised
    NameMap<int32_t> numbers_;
    NameMap<int32_t> spellings_;  // absolute folders as the lines wrote them
    String written_;
    // The folders entered and not yet left, the newest last. Parallel makes interleave their
    // messages, so a folder left is taken out wherever it stands.
    std::vector<int32_t> stack_;
};
