#include "plugin/output_files.h"

#include <cstring>
#include <new>

#include "session/build_run.h"
#include "session/build_session.h"
#include "config/command_resolution.h"
#include "config/configuration.h"
#include "far/host_services.h"
#include "far/message_index.h"
#include "foundation/bulk_memory.h"
#include "foundation/terminal_escapes.h"
#include "platform/platform.h"

namespace {

const char kEscapeByte = 0x1B;

// Gives every line its classification under the session's current parser. When memory runs
// out the remaining lines stay unclassified.
void classifyAllLines() {
    StartClassificationRound();
    try {
        session().classifyNewLines();
    } catch (const std::bad_alloc&) {
        session().settleUnclassifiedLines();
        ShowMessage(hostMessage(MsgOutOfMemory));
    }
    ReportDisabledPatterns();
}

// A log saved from a coloured build holds the colour codes: the lines are kept as a build
// stores them, without.
void removeColourCodes(StringList& lines, int from) {
    // One search of the stored text finds the next escape byte; the lines before it have none.
    // Addresses are compared as numbers, as a line may lie in another block.
    StringList::TextRegion region{nullptr, nullptr};
    uintptr_t searchedFrom = 0;
    uintptr_t nextEscape = 0;
    lines.visitFrom(from, [&](int, String& line) {
        if (line.length() == 0) return true;
        const char* text = line.text();
        uintptr_t address = reinterpret_cast<uintptr_t>(text);
        if (!region.holds(text)) {
            region = lines.regionOf(line);
            searchedFrom = 0;
        }
        if (!searchedFrom || address < searchedFrom || address > nextEscape) {
            const void* escape = std::memchr(text, kEscapeByte, static_cast<size_t>(region.end - text));
            searchedFrom = address;
            nextEscape = reinterpret_cast<uintptr_t>(escape ? escape : region.end);
        }
        if (nextEscape >= address + static_cast<uintptr_t>(line.length())) return true;
        RemoveTerminalEscapes(line.buffer(), line.length());
        line.updateLength();
        return true;
    });
}

// Reads the file into the output lines; false when it cannot be read. When memory runs out the
// lines read so far stay.
bool readOutputLines(const char* path) {
    StringList& lines = session().lines;
    int first = lines.count();
    // Most logs have no escape byte: the search for line ends tells, and the lines need no look.
    // Cut short by a lack of memory, the search tells nothing: the lines are looked at.
    bool escapeRead = true;
    try {
        if (!lines.loadLines(path, kEscapeByte, &escapeRead)) {
            ShowMessage(hostMessage(MsgReadOutputFailed));
            return false;
        }
    } catch (const std::bad_alloc&) {
        ShowMessage(hostMessage(MsgOutOfMemory));
    }
    if (escapeRead) removeColourCodes(lines, first);
    return true;
}

// The parsers that recognise at least one line; all of them, sorted, when none does.
void findCandidateParsers(StringList& lines, StringList& candidates) {
    StringList names;
    ListParserNames(names);
    FindParsersMatchingLines(names, lines, candidates);
    if (candidates.count() > 0) return;
    ShowMessage(hostMessage(MsgNoParserMatches));
    names.sortInto(candidates);
}

}  // namespace

bool LoadOutputFile(const String& path) {
    BuildSession& state = session();
    state.logFile = path;
    state.verdict.assign("");
    state.statusNote.assign("");
    state.workingDirectory = platform().currentDirectory();
    if (!readOutputLines(path.text())) return false;
    state.logFileTime = platform().fileLastWriteTime(path.text());

    StringList candidates;
    findCandidateParsers(state.lines, candidates);
    int chosen = 0;
    if (candidates.count() > 1) {
        chosen = ChooseFromMenu(hostMessage(MsgChooseParserTitle), candidates, 0);
        if (chosen < 0) {
            state.matches.appendCopies(nullptr, state.lines.count());
            return false;
        }
    }
    // Without any configured parser the lines are shown as they are.
    state.currentParser = candidates.count() > 0 ? *candidates.at(chosen) : String("");
    classifyAllLines();
    return true;
}

void RefreshLoadedOutput() {
    BuildSession& state = session();
    if (state.logFile.empty()) return;
    uint64_t time = platform().fileLastWriteTime(state.logFile.text());
    if (time == 0 || time == state.logFileTime) return;
    BulkRecycling recycling;  // the old lines' memory takes the new ones
    state.clearOutput();
    if (!readOutputLines(state.logFile.text())) return;
    state.logFileTime = time;
    classifyAllLines();
}
