#include "build/build_session.h"

#include <utility>

#include "config/command_resolution.h"

BuildSession::~BuildSession() {
    clearOutput();
    delete[] lineBuffer;
    delete[] rowBuffer;
}

void BuildSession::clearOutput() {
    for (int i = 0; i < matches.count(); ++i) delete *matches.at(i);
    matches.clear();
    lines.clear();
}

void BuildSession::appendMatch(const LineMatch* match) {
    LineMatch* copy = match ? new LineMatch(*match) : nullptr;
    try {
        matches.append(copy);
    } catch (...) {
        delete copy;
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

void BuildSession::appendClassifiedLine(const char* text, int length) {
    const String& line = lines.appendText(text, length);
    try {
        LineMatch match;
        bool matched = ClassifyLine(currentParser.text(), line, match) != 0;
        appendMatch(matched ? &match : nullptr);
    } catch (...) {
        lines.seek(-1);
        lines.removeCurrent();
        throw;
    }
}

void BuildSession::removeLine(int index) {
    if (index < 0 || index >= lines.count()) return;
    if (index < matches.count()) {
        delete *matches.at(index);
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
