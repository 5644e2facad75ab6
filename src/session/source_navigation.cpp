#include "session/source_navigation.h"

#include <cctype>
#include <cstring>

#include "session/build_session.h"
#include "session/output_window.h"
#include "far/host_services.h"
#include "far/message_index.h"
#include "foundation/regular_file.h"
#include "platform/platform.h"

namespace {

char pathCharacter(char ch) {
    if (ch == '/') return '\\';
    return static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
}

// The position of an editor window showing the path, or -1.
int findEditorWindow(const String& path) {
    int count = static_cast<int>(hostAdvancedControl(ACTL_GETWINDOWCOUNT, nullptr));
    for (int position = 0; position < count; ++position) {
        WindowInfo window{};
        window.Pos = position;
        if (!hostAdvancedControl(ACTL_GETWINDOWINFO, &window)) continue;
        window.Name[sizeof window.Name - 1] = 0;
        if (window.Type == WTYPE_EDITOR && SamePath(path.text(), window.Name)) return position;
    }
    return -1;
}

}  // namespace

bool IsAbsolutePath(const char* path) {
    return path[0] == '\\' || path[0] == '/' || (path[0] && path[1] == ':');
}

void SendPendingEditorRedraw() {
    BuildSession& state = session();
    if (!state.editorRedraw) return;
    hostEditorControl(ECTL_REDRAW, nullptr);
    state.editorRedraw = false;
}

bool SamePath(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (pathCharacter(*a) != pathCharacter(*b)) return false;
    }
    return *a == 0 && *b == 0;
}

bool ResolveMatchPath(const LineMatch& match, String& path) {
    BuildSession& state = session();
    String file(match.file.text() ? match.file.text() : "");
    if (file.empty()) {
        if (state.mode != WindowBottomBand) return false;
        EditorInfo editor{};
        if (!hostEditorControl(ECTL_GETINFO, &editor) || !editor.FileName) return false;
        file.assign(editor.FileName);
        if (file.empty()) return false;
    }
    if (IsAbsolutePath(file.text())) {
        path.assign(file);
    } else {
        path.assign(state.workingDirectory);
        path.append(platform().pathSeparator()).append(file);
    }
    return true;
}

int OpenSourceLocation(int column, const String& path, int line) {
    int cursorColumn = column == -1 ? 0 : column;
    int position = findEditorWindow(path);
    if (position < 0) {
        // A new file may be edited; a FIFO or a device would hang the editor that reads it.
        if (KindOfPath(path.text()) == PathKind::Other) {
            ShowMessage(formatMessage(hostMessage(MsgNotRegularFile), path.text()).text());
            return 0;
        }
        if (host().Editor) host().Editor(path.text(), "", 0, 0, -1, -1, EF_NONMODAL, line, cursorColumn);
        return 0;
    }
    hostSwitchToWindow(position);
    EditorInfo editor{};
    hostEditorControl(ECTL_GETINFO, &editor);
    EditorSetPosition place{};
    place.CurLine = line - 1;
    place.CurPos = cursorColumn;
    place.CurTabPos = -1;
    // One line of context above, unless the whole file fits in the window.
    place.TopScreenLine = line == 1 || editor.TotalLines < editor.WindowSizeY ? 0 : line - 2;
    place.LeftPos = 0;
    place.Overtype = -1;
    hostEditorControl(ECTL_SETPOSITION, &place);
    session().editorRedraw = true;
    return 1;
}

bool JumpToSelected() {
    BuildSession& state = session();
    const LineMatch* match = state.matchAt(state.selected);
    if (!match) return false;
    String path;
    if (!ResolveMatchPath(*match, path)) return false;
    platform().restoreCursor();
    if (OpenSourceLocation(match->column, path, match->line) == 0) state.editorRedraw = false;
    return true;
}

void StepToMatch(int direction) {
    BuildSession& state = session();
    int target = state.selected + direction < 0 ? 0 : state.selected + direction;
    while (target >= 0 && target < state.lineCount() && !state.matchAt(target)) target += direction;
    if (target < 0 || target >= state.lineCount()) return;

    state.selected = target;
    scrollToSelected();

    if (state.mode != WindowBottomBand) return;
    const LineMatch* match = state.matchAt(target);
    String path;
    if (ResolveMatchPath(*match, path) && OpenSourceLocation(match->column, path, match->line) == 1) {
        hostEditorControl(ECTL_REDRAW, nullptr);
    }
    platform().restoreCursor();
    ClearWindowArea(false);
}

void DropUnmatchedLines() {
    BuildSession& state = session();
    for (int i = state.lineCount() - 1; i >= 0; --i) {
        if (state.matchAt(i)) continue;
        state.removeLine(i);
        if (i < state.selected) --state.selected;
    }
    if (state.lineCount() == 0) state.appendLine(String(""), nullptr);
    if (state.top > state.selected) state.top = state.selected;
    if (state.selected > state.lineCount() - 1) state.selected = state.lineCount() - 1;
    ClearWindowArea(false);
}
