#pragma once

#include <cstdint>

#include "config/configuration_records.h"
#include "config/line_match.h"
#include "session/folder_tracking.h"
#include "foundation/list.h"
#include "foundation/string_list.h"
#include "foundation/text_arena.h"
#include "foundation/text_string.h"

enum WindowMode {
    WindowFullScreen,
    WindowBottomBand,  // the last rows of the console, under an editor
};

// Rows of the window in bottom-band mode.
const int kBandRows = 20;

// The state of the last build or loaded output; it lives as long as the module, so that the
// output can be shown again and the build repeated later.
struct BuildSession {
    BuildSession() = default;
    BuildSession(const BuildSession&) = delete;
    BuildSession& operator=(const BuildSession&) = delete;
    ~BuildSession();

    StringList lines;
    List<LineMatch*> matches;  // parallel to lines; none for a line without a match
    // The matches themselves, made in the node blocks of a list instead of one allocation each;
    // a removed line's match stays here until the output is cleared.
    List<LineMatch> matchStore;
    // The texts of the matches' file names, kept together instead of one allocation each.
    TextArena matchFileTexts;
    // The last build, which "repeat" runs again: its command as configured (its placeholders
    // standing for lastPlaceholders), parser and folder. Loading a log leaves them as they are.
    String lastCommand{""};
    PlaceholderTexts lastPlaceholders;
    String lastParser{""};
    String lastDirectory{""};
    // The parser of the output shown, and the folder its relative file names start from.
    String currentParser{""};
    String workingDirectory{""};
    // The folders make and ninja said their tools ran in; each match keeps the number of its.
    FolderTracker folders;
    String logFile{""};
    uint64_t logFileTime = 0;
    WindowMode mode = WindowFullScreen;
    int selected = 0;
    int top = 0;
    int horizontalOffset = 0;
    bool editorRedraw = false;
    bool outputCutShort = false;  // memory ran out: the output stops where it was cut
    // How the last build went, shown with its output; empty for a loaded log.
    String verdict{""};
    // A short note shown in the verdict's place until the next key (F8 found nothing, say).
    String statusNote{""};

    // The line being assembled from the pipe.
    char* lineBuffer = nullptr;
    int lineLength = 0;
    int lineCapacity = 0;
    bool carriageReturnPending = false;  // a CR ended the last chunk: its LF may start the next

    // One row of the window as it is drawn (console width plus room for the numbers).
    char* rowBuffer = nullptr;

    // Console size as last refreshed.
    int consoleWidth = 80;
    int consoleHeight = 25;

    // Empties the output lines and their matches.
    void clearOutput();
    // Appends a line with a copy of its match (none for no match).
    void appendLine(String&& text, const LineMatch* match);
    // Appends a copy of a match (none for no match) for the line stored last.
    void appendMatch(const LineMatch* match);
    void appendMatch(const LineMatch& match);
    // Classifies the lines stored since the last one classified, under the current parser, many
    // at a time, following the folders the lines enter and leave. When memory runs out, the
    // lines not reached have no match yet.
    void classifyNewLines();
    // After memory ran out: the lines without a match get none, or, when even that finds no
    // memory, go; either way the two lists are in step again.
    void settleUnclassifiedLines();
    LineMatch* matchAt(int index) { return index >= 0 && index < matches.count() ? *matches.at(index) : nullptr; }
    int lineCount() const { return lines.count(); }
    // Removes the line at index and its match.
    void removeLine(int index);
};

BuildSession& session();
// Forgets everything (tests start from a fresh session).
void resetBuildSession();
