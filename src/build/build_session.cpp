#include "build/build_session.h"

BuildSession::~BuildSession() {
    clearOutput();
    delete[] lineBuffer;
}

void BuildSession::clearOutput() {
    for (int i = 0; i < matches.count(); ++i) delete *matches.at(i);
    matches.clear();
    lines.clear();
}

void BuildSession::appendLine(const String& text, const LineMatch* match) {
    matches.append(match ? new LineMatch(*match) : nullptr);
    lines.append(text);
}

void BuildSession::removeLine(int index) {
    matches.seek(index);
    delete *matches.at(index);
    matches.removeCurrent();
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
