#pragma once

#include "foundation/text_string.h"
#include "regex/regex.h"

// make and ninja say in which folder the tools they run work ("make[2]: Entering directory
// '/src/lib'", "ninja: Entering directory `build'"): a relative file name in a later message
// is relative to that folder.
enum FolderChange {
    FolderUnchanged = 0,
    FolderEntered = 1,
    FolderLeft = 2,
};

// The pattern of those lines, compiled once: group 1 says entering or leaving, group 2 is the
// folder.
Regex& FolderMessagePattern();
// Whether the line says that a folder is entered or left, with the folder's span in the line.
FolderChange ReadFolderChange(const String& line, CaptureSpan& folder);
