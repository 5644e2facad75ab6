#include "plugin/typed_command.h"

#include <vector>

#include "session/build_run.h"
#include "session/build_session.h"
#include "config/command_resolution.h"
#include "config/configuration.h"
#include "config/configuration_records.h"
#include "far/host_services.h"
#include "far/message_index.h"

namespace {

// The host keeps the commands typed here under this name and offers them again.
const char kCommandHistory[] = "TinkerCommand";
const int kCommandLength = 1024;

// The parser for a typed command: the last build's, else the user's choice among all of them;
// false when the user cancelled the choice.
bool chooseParser(String& parser) {
    BuildSession& state = session();
    if (!state.currentParser.empty()) {
        parser = state.currentParser;
        return true;
    }
    StringList names;
    ListParserNames(names);
    if (names.count() == 0) {
        parser.assign("");  // no parser at all: the lines are shown as they are
        return true;
    }
    StringList sorted;
    names.sortInto(sorted);
    int chosen = ChooseFromMenu(hostMessage(MsgChooseParserTitle), sorted, 0);
    if (chosen < 0) return false;
    parser = *sorted.at(chosen);
    return true;
}

}  // namespace

void RunTypedCommand() {
    if (!host().InputBox) return;
    BuildSession& state = session();
    std::vector<char> typed(kCommandLength, 0);
    if (!host().InputBox(hostMessage(MsgRunCommandTitle), hostMessage(MsgRunCommandPrompt), kCommandHistory,
                         state.lastCommand.text() ? state.lastCommand.text() : "", typed.data(), kCommandLength,
                         nullptr, FIB_BUTTONS)) {
        return;
    }
    typed[kCommandLength - 1] = 0;
    BuildCommand command;
    command.command.assign(typed.data());
    if (command.command.empty()) return;
    if (!chooseParser(command.parser)) return;
    state.logFile.assign("");
    state.mode = WindowFullScreen;
    RunBuild(nullptr, &command);
}
