#pragma once

#include "config/line_match.h"
#include "foundation/text_string.h"

// A path that begins with a slash or a backslash, or a drive letter and ':'.
bool IsAbsolutePath(const char* path);
// After the window closed: redraws the editor that a jump repositioned, once.
void SendPendingEditorRedraw();
// Paths are equal ignoring case, with '/' and '\' counted alike.
bool SamePath(const char* a, const char* b);
// The full path of the match's file (relative ones against the build's working directory; an
// empty one is the current editor's file in bottom-band mode); false when there is none.
bool ResolveMatchPath(const LineMatch& match, String& path);
// Activates an editor already showing the file and positions it (1), or opens a new one (0).
int OpenSourceLocation(int column, const String& path, int line);
// Enter: jumps to the selected line's source; true when the window is to be left.
bool JumpToSelected();
// F4 to F9: selects the next (+1) or previous (-1) line with a match; from the editor, the
// editor follows.
void StepToMatch(int direction);
// Delete: removes every line without a match.
void DropUnmatchedLines();
