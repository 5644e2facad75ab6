#include "plugin/invocation_routes.h"

#include <cctype>
#include <cstring>

#include "session/build_run.h"
#include "session/build_session.h"
#include "session/output_window.h"
#include "session/source_navigation.h"
#include "config/command_resolution.h"
#include "config/configuration.h"
#include "far/host_services.h"
#include "far/message_index.h"
#include "foundation/bulk_memory.h"
#include "platform/platform.h"
#include "plugin/output_files.h"
#include "plugin/typed_command.h"

namespace {

const char kPrefixMismatchText[] = "Command doesn't match prefix";
const int kSaveFileNameLength = 256;

enum EditorMenuItem { EditorShowOutput, EditorRepeatBuild, EditorBuildFile };
enum PluginsMenuItem {
    PluginsShowOutput,
    PluginsRepeatBuild,
    PluginsBuildFile,
    PluginsLoadOutput,
    PluginsSaveOutput,
    PluginsRunCommand,
};

// The directory a repeat changed away from, to go back to after the build.
String savedDirectory("");

const char* messageText(int index) {
    const char* text = hostMessage(index);
    return text ? text : "";
}

int showInvocationMenu(const int* items, int count) {
    StringList texts;
    // The menu numbers its items, and FAR takes only the first '&' for the hotkey: the texts'
    // own marks would show.
    for (int i = 0; i < count; ++i) texts.append(withoutHotkeyMark(messageText(items[i])));
    return ChooseFromMenu(hostMessage(MsgInvocationMenuTitle), texts, 0);
}

void showOutputWindow() {
    HANDLE screen = ClearWindowArea(true);
    OutputWindow();
    if (host().RestoreScreen) host().RestoreScreen(screen);
    SendPendingEditorRedraw();
}

void restoreSavedDirectory() {
    if (savedDirectory.empty()) return;
    platform().setCurrentDirectory(savedDirectory.text());
    savedDirectory.assign("");
}

void repeatLastBuild() {
    BuildSession& state = session();
    state.logFile.assign("");
    savedDirectory = platform().currentDirectory();
    // Run anywhere else, the build would act on the wrong files. Before the first build there is
    // no folder yet and nothing to repeat, which the build says.
    if (!state.lastDirectory.empty() && !platform().setCurrentDirectory(state.lastDirectory.text())) {
        savedDirectory.assign("");
        ShowMessage(formatMessage(hostMessage(MsgBuildFolderMissing), state.lastDirectory.text()).text());
        return;
    }
    RunBuild(nullptr, nullptr);
}

// The fixed prefix, in any case, takes the first four characters whatever follows them.
bool startsWithMake(const char* text) {
    static const char make[] = "make";
    for (int i = 0; i < 4; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != make[i]) return false;
    }
    return true;
}

void buildFromCommandLine(const char* text) {
    BuildSession& state = session();
    state.logFile.assign("");
    state.mode = WindowFullScreen;
    const char* colon = std::strchr(text, ':');
    if (!colon) return;
    if (startsWithMake(text)) {
        String file(colon + 1);
        RunBuild(&file, nullptr);
        return;
    }
    String prefix;
    prefix.assignPart(text, 0, static_cast<int>(colon - text));
    prefix.toLower();
    BuildCommand command;
    if (!ResolvePrefixCommand(prefix.text(), colon + 1, command)) {
        ShowMessage(kPrefixMismatchText);
        return;
    }
    RunBuild(nullptr, &command);
}

// The build runs in the host's current folder, where the user chose to build, like every other.
void buildEditedFile() {
    BuildSession& state = session();
    state.logFile.assign("");
    EditorInfo editor{};
    if (!hostEditorControl(ECTL_GETINFO, &editor) || !editor.FileName) return;
    String file(editor.FileName);
    RunBuild(&file, nullptr);
}

void openFromEditor() {
    static const int items[] = {MsgShowOutput, MsgRepeatBuild, MsgBuildEditedFile};
    int choice = showInvocationMenu(items, 3);
    if (choice < 0) return;
    BuildSession& state = session();
    state.mode = WindowBottomBand;
    switch (choice) {
        case EditorShowOutput:
            RefreshLoadedOutput();
            if (state.lineCount() > 0) showOutputWindow();
            break;
        case EditorRepeatBuild:
            repeatLastBuild();
            restoreSavedDirectory();
            break;
        case EditorBuildFile:
            buildEditedFile();
            break;
        default:
            break;
    }
}

// The name of the active panel's current item; false for an empty panel.
bool currentPanelItem(String& name) {
    if (!host().Control) return false;
    PanelInfo panel{};
    if (!host().Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &panel)) return false;
    if (panel.ItemsNumber <= 0 || !panel.PanelItems) return false;
    int current = panel.CurrentItem;
    if (current < 0 || current >= panel.ItemsNumber) current = 0;
    char fileName[MAX_PATH + 1];
    std::memcpy(fileName, panel.PanelItems[current].FindData.cFileName, MAX_PATH);
    fileName[MAX_PATH] = 0;
    name.assign(fileName);
    return true;
}

// Replaces the output with the file under the panel's cursor, written into the old output's
// memory; false when there is nothing to show.
bool loadFreshOutputFromPanel(BuildSession& state) {
    BulkRecycling recycling;
    state.clearOutput();
    String name;
    if (!currentPanelItem(name)) return false;
    String path = platform().currentDirectory();
    path.append(platform().pathSeparator()).append(name);
    return LoadOutputFile(path);
}

void loadOutputFromPanel() {
    BuildSession& state = session();
    state.mode = WindowFullScreen;
    if (!loadFreshOutputFromPanel(state)) return;
    state.top = 0;
    state.selected = 0;
    showOutputWindow();
}

void saveOutputToFile() {
    if (!host().InputBox) return;
    char fileName[kSaveFileNameLength] = {0};
    // The menu item's text titles the box, where FAR shows it as it is.
    String title = withoutHotkeyMark(messageText(MsgSaveOutput));
    if (!host().InputBox(title.text(), hostMessage(MsgSaveOutputPrompt), nullptr, "", fileName, kSaveFileNameLength,
                         nullptr, FIB_BUTTONS | FIB_EXPANDENV)) {
        return;
    }
    fileName[kSaveFileNameLength - 1] = 0;
    if (!session().lines.saveLines(fileName)) ShowMessage(hostMessage(MsgSaveOutputFailed));
}

void openFromPluginsMenu() {
    static const int items[] = {MsgShowOutput, MsgRepeatBuild, MsgBuildFileUnderCursor,
                                MsgLoadOutput, MsgSaveOutput,  MsgRunCommand};
    int choice = showInvocationMenu(items, 6);
    BuildSession& state = session();
    switch (choice) {
        case PluginsShowOutput:
            if (state.lineCount() == 0) break;
            RefreshLoadedOutput();
            state.mode = WindowFullScreen;
            showOutputWindow();
            break;
        case PluginsRepeatBuild:
            if (state.lastCommand.empty()) break;
            state.mode = WindowFullScreen;
            repeatLastBuild();
            restoreSavedDirectory();
            break;
        case PluginsBuildFile: {
            state.logFile.assign("");
            String name;
            // An empty panel has no file to build.
            if (!currentPanelItem(name)) break;
            state.mode = WindowFullScreen;
            RunBuild(&name, nullptr);
            restoreSavedDirectory();
            break;
        }
        case PluginsLoadOutput:
            loadOutputFromPanel();
            break;
        case PluginsSaveOutput:
            saveOutputToFile();
            break;
        case PluginsRunCommand:
            RunTypedCommand();
            restoreSavedDirectory();
            break;
        default:
            break;
    }
}

}  // namespace

void routeInvocation(int openFrom, INT_PTR item) {
    switch (openFrom) {
        case OPEN_COMMANDLINE:
            if (item) buildFromCommandLine(reinterpret_cast<const char*>(item));
            restoreSavedDirectory();
            break;
        case OPEN_EDITOR:
            openFromEditor();
            break;
        case OPEN_PLUGINSMENU:
            openFromPluginsMenu();
            break;
        default:
            break;
    }
}
