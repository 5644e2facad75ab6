#include "session/source_navigation.h"

#include "session/build_session.h"
#include "session/output_window.h"
#include "session/source_columns.h"
#include "config/command_resolution.h"
#include "far/host_services.h"
#include "far/message_index.h"
#include "foundation/regular_file.h"
#include "platform/platform.h"

namespace {

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

// The 0-based character of the file's line that the tool's column marks.
int characterOfColumn(int column, const String& path, int line, int columnKind) {
    if (column <= 0) return 0;
    if (columnKind != ColumnDisplay) return column - 1;
    String text;
    // A line that cannot be read is taken to hold no tab.
    if (!ReadFileLine(path.text(), line, text)) return column - 1;
    return CharacterAtDisplayColumn(text.text(), text.length(), column);
}

// A matched line that the steps stop at: errors and warnings, not the notes between them.
bool isStepTarget(const LineMatch* match) { return match && (match->kind == MatchError || match->kind == MatchWarning); }

}  // namespace

void SendPendingEditorRedraw() {
    BuildSession& state = session();
    if (!state.editorRedraw) return;
    hostEditorControl(ECTL_REDRAW, nullptr);
    state.editorRedraw = false;
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
        path = NormalisePath(file.text(), platform().pathSeparator());
        return true;
    }
    path = ResolveSourceFile(file.text(), state.folders.folder(match.folder), state.workingDirectory);
    return true;
}

int OpenSourceLocation(int column, const String& path, int line, int columnKind) {
    int position = findEditorWindow(path);
    if (position < 0) {
        // A new file may be edited; a FIFO or a device would hang the editor that reads it.
        if (KindOfPath(path.text()) == PathKind::Other) {
            ShowMessage(formatMessage(hostMessage(MsgNotRegularFile), path.text()).text());
            return 0;
        }
        int character = characterOfColumn(column, path, line, columnKind);
        if (host().Editor) host().Editor(path.text(), "", 0, 0, -1, -1, EF_NONMODAL, line, character + 1);
        return 0;
    }
    hostSwitchToWindow(position);
    EditorInfo editor{};
    hostEditorControl(ECTL_GETINFO, &editor);
    EditorSetPosition place{};
    place.CurLine = line - 1;
    // The editor places a screen column itself where its tabs stop where the tool's do.
    bool byScreenColumn = columnKind == ColumnDisplay && column > 0 &&
                          (editor.TabSize <= 0 || editor.TabSize == kToolTabSize);
    place.CurPos = byScreenColumn ? -1 : characterOfColumn(column, path, line, columnKind);
    place.CurTabPos = byScreenColumn ? column - 1 : -1;
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
    int columns = ParserColumnKind(state.currentParser.text());
    if (OpenSourceLocation(match->column, path, match->line, columns) == 0) state.editorRedraw = false;
    return true;
}

void StepToMatch(int direction) {
    BuildSession& state = session();
    int target = state.selected + direction < 0 ? 0 : state.selected + direction;
    while (target >= 0 && target < state.lineCount() && !isStepTarget(state.matchAt(target))) target += direction;
    if (target < 0 || target >= state.lineCount() || target == state.selected) {
        const char* note = hostMessage(direction > 0 ? MsgNoMatchAfter : MsgNoMatchBefore);
        state.statusNote.assign(note ? note : "");
        return;
    }

    state.selected = target;
    scrollToSelected();

    if (state.mode != WindowBottomBand) return;
    const LineMatch* match = state.matchAt(target);
    String path;
    int columns = ParserColumnKind(state.currentParser.text());
    if (ResolveMatchPath(*match, path) && OpenSourceLocation(match->column, path, match->line, columns) == 1) {
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
