#include "plugin/output_files.h"

#include "build/build_session.h"
#include "config/command_resolution.h"
#include "config/configuration.h"
#include "far/host_services.h"
#include "far/message_index.h"
#include "platform/platform.h"

namespace {

// Gives every line its classification under the session's current parser.
void classifyAllLines() {
    BuildSession& state = session();
    for (int i = 0; i < state.lines.count(); ++i) {
        LineMatch match;
        bool matched = ClassifyLine(state.currentParser.text(), *state.lines.at(i), match) != 0;
        state.matches.append(matched ? new LineMatch(match) : nullptr);
    }
}

bool classifiesAnyLine(const char* parser, StringList& lines) {
    for (int i = 0; i < lines.count(); ++i) {
        LineMatch match;
        if (ClassifyLine(parser, *lines.at(i), match)) return true;
    }
    return false;
}

// The parsers that recognise at least one line; all of them, sorted, when none does.
void findCandidateParsers(StringList& lines, StringList& candidates) {
    StringList names;
    ListParserNames(names);
    for (int i = 0; i < names.count(); ++i) {
        const String& name = *names.at(i);
        if (classifiesAnyLine(name.text(), lines)) candidates.append(name);
    }
    if (candidates.count() > 0) return;
    ShowMessage(hostMessage(MsgNoParserMatches));
    names.sortInto(candidates);
}

}  // namespace

bool LoadOutputFile(const String& path) {
    BuildSession& state = session();
    state.logFile = path;
    state.workingDirectory = platform().currentDirectory();
    if (!state.lines.loadLines(path.text())) {
        ShowMessage(hostMessage(MsgReadOutputFailed));
        return false;
    }
    state.logFileTime = platform().fileLastWriteTime(path.text());

    StringList candidates;
    findCandidateParsers(state.lines, candidates);
    int chosen = 0;
    if (candidates.count() > 1) {
        chosen = ChooseFromMenu(hostMessage(MsgChooseParserTitle), candidates, 0);
        if (chosen < 0) {
            for (int i = 0; i < state.lines.count(); ++i) state.matches.append(nullptr);
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
    state.clearOutput();
    if (!state.lines.loadLines(state.logFile.text())) {
        ShowMessage(hostMessage(MsgReadOutputFailed));
        return;
    }
    state.logFileTime = time;
    classifyAllLines();
}
