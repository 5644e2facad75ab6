#include "session/build_run.h"

#include <memory>
#include <new>

#include "session/build_keys.h"
#include "session/build_session.h"
#include "session/build_verdict.h"
#include "session/command_composition.h"
#include "session/output_capture.h"
#include "session/output_window.h"
#include "session/source_navigation.h"
#include "session/source_paths.h"
#include "config/command_resolution.h"
#include "config/configuration.h"
#include "far/host_services.h"
#include "far/message_index.h"
#include "foundation/bulk_memory.h"
#include "foundation/stop_request.h"
#include "platform/platform.h"

namespace {

const int kFlashPasses = 6;
const int kFlashPauseMs = 50;

// Memory held back while the output is captured: given up when memory runs out, so that the
// message and the window that follow still have room to work in.
const size_t kMemoryReserve = 4 << 20;

// Running out of memory stops the capture: what was stored stays browsable.
class CaptureSink : public OutputSink {
public:
    explicit CaptureSink(RunOutcome& outcome) : reserve_(new char[kMemoryReserve]), outcome_(outcome) {}
    bool consume(const char* bytes, unsigned count) override {
        try {
            CaptureOutput(bytes, count);
            return true;
        } catch (const std::bad_alloc&) {
            reserve_.reset();
            session().outputCutShort = true;
            session().settleUnclassifiedLines();
            return false;
        }
    }
    bool keepRunning() override { return AnswerKeysDuringBuild(); }
    void finished(const RunOutcome& outcome) override { outcome_ = outcome; }

private:
    std::unique_ptr<char[]> reserve_;
    RunOutcome& outcome_;
};

// Settles the last command and parser; false when there is nothing to build.
bool resolveCommand(const String* file, const BuildCommand* resolved) {
    BuildSession& state = session();
    if (resolved) {
        state.lastCommand = resolved->command;
        state.lastPlaceholders = resolved->placeholders;
        state.lastParser = resolved->parser;
        return true;
    }
    if (!file) return true;
    List<BuildCommand> commands;
    int found = FindCommandsForFile(*file, commands);
    if (found == 0) {
        ShowMessage(hostMessage(MsgNoBuildCommand));
        return false;
    }
    int chosen = 0;
    if (found > 1) {
        StringList names;
        for (int i = 0; i < found; ++i) names.append(commands.at(i)->name);
        chosen = ChooseFromMenu(hostMessage(MsgChooseCommandTitle), names, 0);
        if (chosen < 0) return false;
    }
    const BuildCommand& command = *commands.at(chosen);
    state.lastCommand = command.command;
    state.lastPlaceholders = command.placeholders;
    state.lastParser = command.parser;
    return true;
}

// Saves every modified editor before the build reads the files; false when one fails.
bool saveModifiedEditors() {
    int count = static_cast<int>(hostAdvancedControl(ACTL_GETWINDOWCOUNT, nullptr));
    for (int position = 0; position < count; ++position) {
        WindowInfo window{};
        window.Pos = position;
        if (!hostAdvancedControl(ACTL_GETWINDOWINFO, &window)) continue;
        if (window.Type != WTYPE_EDITOR || !window.Modified) continue;
        hostSwitchToWindow(position);
        if (!hostEditorControl(ECTL_SAVEFILE, nullptr)) return false;
    }
    return true;
}

// A relative sound file lives under the plug-in's directory; either slash may be written.
String soundFilePath(const String& wavefile) {
    char separator = platform().pathSeparator();
    String path(wavefile);
    path.replaceAll(separator == '\\' ? "/" : "\\", separator == '\\' ? "\\" : "/");
    const char* text = path.text();
    if (IsAbsolutePath(text)) return path;
    String relative(pluginDirectory());
    relative.append(separator).append(path);
    return relative;
}

void signalCompletion(int64_t elapsed) {
    const Options& options = configuration().options;
    if (!options.beep || elapsed <= options.beeptime) return;
    if (options.wavefile.empty()) {
        platform().beep();
    } else {
        platform().playSound(soundFilePath(options.wavefile).text());
    }
}

// The first error or warning: the notes and the include chain before it only explain it.
void selectFirstMatch() {
    BuildSession& state = session();
    state.top = 0;
    state.horizontalOffset = 0;
    state.selected = 0;
    for (int i = 0; i < state.lineCount(); ++i) {
        const LineMatch* match = state.matchAt(i);
        if (match && match->kind != MatchNote) {
            state.selected = i;
            break;
        }
    }
    if (state.consoleHeight < state.selected) state.top = state.selected - state.consoleHeight / 2;
}

}  // namespace

void ReportDisabledPatterns() {
    StringList disabled;
    TakeDisabledPatterns(disabled);
    for (int i = 0; i < disabled.count(); ++i) {
        ShowMessage(formatMessage(hostMessage(MsgPatternDisabled), disabled.at(i)->text()).text());
    }
}

int RunCommand(const char* commandLine, RunOutcome& outcome) {
    CaptureSink sink(outcome);
    SetStopRequested(false);
    int result = platform().runCommand(commandLine, sink);
    if (result == RunCompleted && !session().outputCutShort) {
        try {
            FinishCapture();
        } catch (const std::bad_alloc&) {
            session().outputCutShort = true;
            session().settleUnclassifiedLines();
        }
    }
    // A Ctrl+C during this build says nothing about what is classified next.
    SetStopRequested(false);
    return result;
}

namespace {

// Replaces the output with that of the last command, written into the old output's memory.
int runIntoFreshOutput(BuildSession& state) {
    BulkRecycling recycling;
    state.clearOutput();
    state.outputCutShort = false;
    state.lineLength = 0;
    state.carriageReturnPending = false;
    state.selected = 0;
    state.horizontalOffset = 0;
    state.currentParser = state.lastParser;
    state.workingDirectory = platform().currentDirectory();
    state.lastDirectory = state.workingDirectory;
    state.verdict.assign("");
    state.statusNote.assign("");
    HideCursor();
    StartClassificationRound();
    int64_t startSeconds = platform().clockSeconds();

    Platform& system = platform();
    String command = ComposeCommandLine(state.lastCommand.text(), state.lastPlaceholders, system.commandSyntax(),
                                        [&system](const char* text) { return system.expandEnvironment(text); });
    RunOutcome outcome;
    StartLiveView();
    int result = RunCommand(command.text(), outcome);
    DropWaitingKeys();

    int64_t elapsed = platform().clockSeconds() - startSeconds;
    if (result == RunCompleted) state.verdict = MakeVerdict(outcome, elapsed);
    signalCompletion(elapsed);
    return result;
}

}  // namespace

void RunBuild(const String* file, const BuildCommand* resolved) {
    BuildSession& state = session();
    if (!resolveCommand(file, resolved)) return;
    if (!saveModifiedEditors()) return;

    HANDLE screen = ClearWindowArea(true);
    int result = runIntoFreshOutput(state);
    RestoreCursor();
    selectFirstMatch();
    ReportDisabledPatterns();
    if (result != RunCompleted) {
        ShowMessage(hostMessage(result));
    } else {
        if (state.outputCutShort) ShowMessage(hostMessage(MsgOutOfMemory));
        String title = withoutHotkeyMark(hostMessage(MsgOutputWindowTitle));
        if (!title.empty()) title.append(" - ");
        platform().setTitle(title.append(state.verdict).text());
        for (int pass = 0; pass < kFlashPasses; ++pass) {
            DrawLines(0, pass % 2 == 1);
            platform().sleepMilliseconds(kFlashPauseMs);
        }
        OutputWindow();
    }
    if (host().RestoreScreen) host().RestoreScreen(screen);
    SendPendingEditorRedraw();
}
