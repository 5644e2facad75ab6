#include "session/build_session.h"

#include <new>
#include <utility>

#include "config/command_resolution.h"

BuildSession::~BuildSession() {
    clearOutput();
    delete[] lineBuffer;
    delete[] rowBuffer;
}

void BuildSession::clearOutput() {
    matches.clear();
    matchStore.clear();
    matchFileTexts.clear();
    lines.clear();
    folders.clear();
}

void BuildSession::appendMatch(const LineMatch* match) {
    if (!match) {
        matches.append(nullptr);
        return;
    }
    appendMatch(*match);
}

void BuildSession::appendMatch(const LineMatch& match) {
    // The file name goes to the texts kept together: a million matches cost no allocation each.
    const char* text = match.file.text();
    int length = match.file.length();
    LineMatch& stored = matchStore.append(
        LineMatch{match.kind, match.folder,
                  text ? String::inStorage(matchFileTexts.room(size_t(length) + 1), text, length) : String(),
                  match.line, match.column});
    try {
        matches.append(&stored);
    } catch (...) {
        matchStore.seek(-1);
        matchStore.removeCurrent();
        throw;
    }
}

// Either both lists grow or neither: an allocation failure leaves them in step.
void BuildSession::appendLine(String&& text, const LineMatch* match) {
    lines.append(std::move(text));
    try {
        appendMatch(match);
    } catch (...) {
        lines.seek(-1);
        lines.removeCurrent();
        throw;
    }
}

void BuildSession::classifyNewLines() {
    int first = matches.count();
    if (first >= lines.count()) return;
    ClassifyStoredLines(
        currentParser.text(), lines, first,
        [this](int index, LineMatch& match) {
            matches.appendCopies(nullptr, index - matches.count());
            match.folder = folders.current();
            appendMatch(match);
            return true;
        },
        [this](const String& line, FolderChange change, const CaptureSpan& folder) {
            folders.change(change, line.text(), folder);
        });
    matches.appendCopies(nullptr, lines.count() - matches.count());
}

void BuildSession::settleUnclassifiedLines() {
    try {
        matches.appendCopies(nullptr, lines.count() - matches.count());
    } catch (const std::bad_alloc&) {
        while (lines.count() > matches.count()) {
            lines.seek(-1);
            lines.removeCurrent();
        }
    }
}

void BuildSession::removeLine(int index) {
    if (index < 0 || index >= lines.count()) return;
    if (index < matches.count()) {
        matches.seek(index);
        matches.removeCurrent();
    }
    lines.seek(index);
    lines.removeCurrent();
}

namespace {
BuildSession* currentSession = nullptr;
}

BuildSession& session() {
    if (!currentSession) currentSession = new BuildSession;
    return *currentSession;
}

void resetBuildSession() {
    delete currentSession;
    currentSession = nullptr;
}
