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

// A pattern that every such line matches, compiled once: its gate lets a search of stored
// output find them.
Regex& FolderMessagePattern();
// Whether the line says that a folder is entered or left ("make[1]: Entering directory
// '/src'", also with a backquote, "make:", a tool path or ".exe", and ninja's), with the
// folder's span in the line.
FolderChange ReadFolderChange(const String& line, CaptureSpan& folder);
