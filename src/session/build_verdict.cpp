#include "session/build_verdict.h"

#include <cstdio>

#include "session/build_session.h"
#include "far/host_services.h"
#include "far/message_index.h"

namespace {

const char kPartSeparator[] = ", ";

void appendPart(String& verdict, const char* part) {
    if (!part || !*part) return;
    if (!verdict.empty()) verdict.append(kPartSeparator);
    verdict.append(part);
}

void appendNumbered(String& verdict, int format, long long number) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%lld", number);
    const char* text = hostMessage(format);
    if (text) appendPart(verdict, formatMessage(text, digits).text());
}

// "1 error" or "N errors"; nothing for none.
void appendCount(String& verdict, int count, int one, int many) {
    if (count == 1) {
        appendPart(verdict, hostMessage(one));
    } else if (count > 1) {
        appendNumbered(verdict, many, count);
    }
}

}  // namespace

String MakeVerdict(const RunOutcome& outcome, int64_t seconds) {
    BuildSession& state = session();
    int errors = 0;
    int warnings = 0;
    state.matches.visitFrom(0, [&](int index, const LineMatch* match) {
        if (index >= state.lineCount()) return false;
        // Notes explain an error or a warning; they are not counted on their own.
        if (match) {
            errors += match->kind == MatchError;
            warnings += match->kind == MatchWarning;
        }
        return true;
    });
    String verdict("");
    if (outcome.stopped) {
        appendPart(verdict, hostMessage(MsgVerdictStopped));
    } else if (outcome.exitKnown) {
        appendNumbered(verdict, MsgVerdictExit, outcome.exitStatus);
    }
    if (errors == 0 && warnings == 0) appendPart(verdict, hostMessage(MsgVerdictNoErrors));
    appendCount(verdict, errors, MsgVerdictOneError, MsgVerdictErrors);
    appendCount(verdict, warnings, MsgVerdictOneWarning, MsgVerdictWarnings);
    appendNumbered(verdict, MsgVerdictSeconds, seconds);
    return verdict;
}
