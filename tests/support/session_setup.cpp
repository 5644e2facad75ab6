#include "support/session_setup.h"

#include <cstdlib>

#include "session/build_session.h"

void fillSession(const std::vector<std::string>& lines) {
    BuildSession& state = session();
    state.clearOutput();
    for (const std::string& line : lines) {
        if (line.size() > 2 && (line[0] == 'E' || line[0] == 'W' || line[0] == 'N') && line[1] == ':') {
            LineMatch match;
            match.kind = line[0] == 'E' ? MatchError : line[0] == 'N' ? MatchNote : MatchWarning;
            size_t fileEnd = line.find(':', 2);
            size_t lineEnd = line.find(':', fileEnd + 1);
            match.file.assign(line.substr(2, fileEnd - 2).c_str());
            match.line = std::atoi(line.c_str() + fileEnd + 1);
            match.column = std::atoi(line.c_str() + lineEnd + 1);
            state.appendLine(String(line.c_str()), &match);
        } else {
            state.appendLine(String(line.c_str()), nullptr);
        }
    }
}
