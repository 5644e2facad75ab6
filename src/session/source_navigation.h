#pragma once

#include "config/line_match.h"
#include "foundation/text_string.h"
#include "session/source_paths.h"

// After the window closed: redraws the editor that a jump repositioned, once.
void SendPendingEditorRedraw();
// The full, normalised path of the match's file: a relative one under the folder the tools ran
// in at its line or under the build's working directory, whichever holds it (an empty one is
// the current editor's file in bottom-band mode); false when there is none.
bool ResolveMatchPath(const LineMatch& match, String& path);
// Activates an editor already showing the file and puts it on the line and the column, counted
// from 1 as the tool counts them (a ColumnKind; -1 for no column) (1), or opens a new one
// there (0).
int OpenSourceLocation(int column, const String& path, int line, int columnKind);
// Enter: jumps to the selected line's source; true when the window is to be left.
bool JumpToSelected();
// F4 to F9: selects the next (+1) or previous (-1) error or warning; from the editor, the
// editor follows.
void StepToMatch(int direction);
// Delete: removes every line without a match.
void DropUnmatchedLines();
