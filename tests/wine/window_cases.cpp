// The output window read from the console's own input: key records written into "CONIN$"
// before the window opens, the cursor it hides and gives back, and the editor it positions.
#include <map>

#include "plugin_case.h"
#include "wine_check.h"

namespace {

using Lines = std::vector<std::string>;

const char kFiveLines[] =
    "cmd /c echo one& echo src\\a.c:1:2: error: first& echo two& echo src\\b.c:3:4: warning: second& "
    "echo src\\c.c:5:6: error: third";

// The row that the frame shows highlighted, or -1.
int highlightedRow(PluginCase& plugin, const ScreenFrame* frame) {
    if (!frame) return -1;
    Lines kinds = plugin.rowKinds(*frame, 5);
    for (size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i].size() == 2) return static_cast<int>(i);
    }
    return -1;
}

// The one editor the last calls opened, checked to stand at path, line and column; none when
// not exactly one was opened.
const ScriptedHost::EditorOpen* checkOneEditorOpened(PluginCase& plugin, const std::string& path, int line,
                                                     int column) {
    CHECK_EQ(plugin.host.editorOpens.size(), 1u);
    if (plugin.host.editorOpens.size() != 1) return nullptr;
    const ScriptedHost::EditorOpen& editor = plugin.host.editorOpens[0];
    CHECK_EQ(editor.path, path);
    CHECK_EQ(editor.line, line);
    CHECK_EQ(editor.column, column);
    return &editor;
}

}  // namespace

WINE_CASE(KeysFromTheConsoleDriveTheWindowToTheEditor) {
    PluginCase plugin("window-keys");
    plugin.writeConfig(configWith(kFiveLines));
    plugin.start();
    plugin.enterDirectory("work");
    setConsoleCursor(40, true);
    std::map<int, BOOL> cursorVisible;  // by the input records still waiting
    plugin.onFrame = [&](const ScreenFrame& frame) { cursorVisible[frame.pendingInput] = consoleCursor().bVisible; };

    // Mouse records and released keys are no key presses; Shift turns F8 backwards.
    plugin.openCommandLine("make:a.c", {mouseMove(), keyUp(VK_DOWN), keyDown(VK_DOWN), keyDown(VK_F8), keyDown(VK_F8),
                                        keyDown(VK_F8, SHIFT_PRESSED), keyDown(VK_INSERT), keyDown(VK_RETURN)});
    plugin.onFrame = nullptr;

    CHECK_EQ(plugin.keysLeft(), 1);  // Enter left the window: the closing Esc stayed unread
    CHECK_EQ(highlightedRow(plugin, plugin.frameWithPending(9)), 1);  // the first error
    CHECK_EQ(highlightedRow(plugin, plugin.frameWithPending(7)), 1);
    CHECK_EQ(highlightedRow(plugin, plugin.frameWithPending(6)), 2);
    CHECK_EQ(highlightedRow(plugin, plugin.frameWithPending(5)), 3);
    CHECK_EQ(highlightedRow(plugin, plugin.frameWithPending(4)), 4);
    CHECK_EQ(highlightedRow(plugin, plugin.frameWithPending(3)), 3);
    const ScreenFrame* numbered = plugin.frameWithPending(2);
    CHECK(numbered != nullptr);
    if (numbered) {
        CHECK_EQ(numbered->rowText(0), "000 one");
        CHECK_EQ(numbered->rowText(3), "003 src\\b.c:3:4: warning: second");
        CHECK_EQ(numbered->attributeAt(4, 3), 0xE1);  // the warning colour, highlighted
        CHECK_EQ(numbered->attributeAt(0, 0), 0x1B);  // the numbers' colour
    }
    CHECK_EQ(plugin.frameWithPending(3) ? plugin.frameWithPending(3)->rowText(0) : "", "one");

    if (const ScriptedHost::EditorOpen* editor = checkOneEditorOpened(plugin, plugin.path("work\\src\\b.c"), 3, 4)) {
        CHECK_EQ(editor->flags, static_cast<DWORD>(EF_NONMODAL));
    }
    CHECK_EQ(cursorVisible[2], FALSE);  // hidden while the window reads keys
    CHECK_EQ(consoleCursor().bVisible, TRUE);
    CHECK_EQ(consoleCursor().dwSize, 40u);
}

WINE_CASE(FromTheEditorTheBandFollowsTheErrorsInTheOpenEditor) {
    PluginCase plugin("window-band");
    std::string source = plugin.write("project\\src\\main.c", "int main;\n");
    plugin.writeConfig(configWith("cmd /c echo main.c:2:3: error: one& echo main.c:4:1: warning: two"));
    plugin.start();
    ScriptedHost::Window editor;
    editor.type = WTYPE_EDITOR;
    editor.name = source;
    plugin.host.windows.push_back(editor);
    plugin.host.currentWindow = 1;
    plugin.enterDirectory("project\\src");  // the build runs in the current folder

    plugin.openFromEditor(2, {keyDown(VK_F8), keyDown(VK_RETURN)});
    CHECK_EQ(plugin.keysLeft(), 1);
    CHECK_EQ(plugin.host.editorOpens.size(), 0u);
    CHECK_EQ(plugin.host.positionings.size(), 2u);  // F8 follows in the editor, Enter jumps
    for (const ScriptedHost::Positioning& positioning : plugin.host.positionings) {
        CHECK_EQ(positioning.editor, source);
        CHECK_EQ(positioning.place.CurLine, 3);
        CHECK_EQ(positioning.place.CurPos, 0);  // the tool's first character
    }
    const ScreenFrame* band = plugin.frameWithPending(2);
    CHECK(band != nullptr);
    if (band) {
        CHECK_EQ(band->rowText(10), "main.c:2:3: error: one");  // the last 20 of 30 rows
        CHECK_EQ(band->attributeAt(0, 9), ScriptedHost::kUntouched);
        CHECK_EQ(band->attributeAt(0, 29), 0x10);
    }
    char directory[MAX_PATH + 1] = {0};
    GetCurrentDirectoryA(sizeof directory, directory);
    CHECK_EQ(std::string(directory), plugin.path("project\\src"));
}

// A recursive make on Windows: the folder lines lead Enter to the file in that folder, a path
// through ".." finds the editor already open on it, and a file of the folder opens there.
WINE_CASE(MakeFolderLinesLeadEnterToTheFileInThatFolder) {
    PluginCase plugin("window-folders");
    std::string header = plugin.write("project\\include\\x.h", "int a;\n");
    plugin.write("project\\lib\\f.c", "int a;\nint b;\n");
    std::string lib = plugin.path("project\\lib");
    plugin.writeConfig(configWith("cmd /c echo make[1]: Entering directory '" + lib +
                                  "'& echo ..\\include\\x.h:1:5: error: in the header& echo f.c:2:3: warning: in "
                                  "lib& echo make[1]: Leaving directory '" + lib + "'"));
    plugin.start();
    ScriptedHost::Window editor;
    editor.type = WTYPE_EDITOR;
    editor.name = header;
    plugin.host.windows.push_back(editor);
    plugin.enterDirectory("project");  // the build runs here, the tools in project\lib

    plugin.openCommandLine("make:a.c", {keyDown(VK_RETURN)});  // on the first error
    CHECK_EQ(plugin.host.editorOpens.size(), 0u);
    CHECK_EQ(plugin.host.positionings.size(), 1u);
    if (!plugin.host.positionings.empty()) {
        const ScriptedHost::Positioning& positioning = plugin.host.positionings[0];
        CHECK_EQ(positioning.editor, header);
        CHECK_EQ(positioning.place.CurLine, 0);
        CHECK_EQ(positioning.place.CurPos, 4);  // the tool's fifth character
    }

    plugin.openFromPluginsMenu(0, {keyDown(VK_F8), keyDown(VK_RETURN)});
    checkOneEditorOpened(plugin, plugin.path("project\\lib\\f.c"), 2, 3);
}
