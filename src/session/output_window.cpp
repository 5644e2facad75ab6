#include "session/output_window.h"

#include <cstdio>
#include <cstring>

#include "session/build_session.h"
#include "session/source_navigation.h"
#include "config/configuration.h"
#include "far/host_services.h"
#include "platform/platform.h"

namespace {

const char kHelpTopic[] = "Contents";
const int kNumbersWidth = 4;  // "000 "
// Room in a row beyond the console width: a line number of any size and the terminator.
const int kRowSlack = 24;
// A console that keeps failing to deliver input ends the window instead of spinning forever.
const int kMaxFailedReads = 1000;

int swapNibbles(int attribute) { return ((attribute & 0xF) << 4) | ((attribute >> 4) & 0xF); }

int lineAttribute(const LineMatch* match) {
    const ColorSet& colors = configuration().colors;
    int foreground = !match ? colors.text : match->kind == MatchError ? colors.error : colors.warning;
    return foreground | (colors.background << 4);
}

void refreshConsoleSize() {
    BuildSession& state = session();
    ConsoleSize size = platform().consoleSize();
    state.consoleWidth = size.width > 0 ? size.width : 1;
    state.consoleHeight = size.height > 0 ? size.height : 1;
}

bool isControlled(const KeyEvent& key) { return key.controlState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED); }

int lastLine() { return session().lineCount() - 1; }

// The longest of the visible lines, for Ctrl+Right.
int longestVisibleLine() {
    BuildSession& state = session();
    int longest = 0;
    for (int i = state.top; i < state.top + visibleRows() && i < state.lineCount(); ++i) {
        int length = state.lines.at(i)->length();
        if (length > longest) longest = length;
    }
    return longest;
}

void handleKey(const KeyEvent& key, bool& leave) {
    BuildSession& state = session();
    int page = visibleRows();
    int count = state.lineCount();
    switch (key.virtualKey) {
        case VK_RETURN:
            leave = JumpToSelected();
            break;
        case VK_ESCAPE:
            leave = true;
            break;
        case VK_PRIOR:
            state.selected = state.selected - page < 0 ? 0 : state.selected - page;
            state.top = state.top - page < 0 ? 0 : state.top - page;
            break;
        case VK_NEXT:
            state.selected += page;
            state.top += page;
            if (state.selected > lastLine()) state.selected = lastLine();
            if (state.top > count - page) state.top = count - page;
            if (state.top < 0) state.top = 0;
            break;
        case VK_END:
            state.selected = lastLine();
            state.top = count - page < 0 ? 0 : count - page;
            break;
        case VK_HOME:
            state.selected = 0;
            state.top = 0;
            break;
        case VK_LEFT:
            if (isControlled(key)) {
                state.horizontalOffset = 0;
            } else if (state.horizontalOffset > 0) {
                --state.horizontalOffset;
            }
            break;
        case VK_UP:
            if (state.selected > 0) --state.selected;
            if (state.selected < state.top && state.top > 0) --state.top;
            break;
        case VK_RIGHT:
            if (isControlled(key)) {
                int textWidth = state.consoleWidth - (configuration().options.shownumbers ? kNumbersWidth : 0);
                int longest = longestVisibleLine();
                if (longest > textWidth) state.horizontalOffset = longest - textWidth + 1;
            } else {
                ++state.horizontalOffset;
            }
            break;
        case VK_DOWN:
            if (state.selected < lastLine()) ++state.selected;
            if (state.selected - state.top >= page && state.top + 1 + page <= count) ++state.top;
            break;
        case VK_INSERT:
            configuration().options.shownumbers = !configuration().options.shownumbers;
            break;
        case VK_DELETE:
            DropUnmatchedLines();
            break;
        case VK_F1:
            if (host().ShowHelp) host().ShowHelp(host().ModuleName, kHelpTopic, 0);
            break;
        case VK_F4: case VK_F5: case VK_F6: case VK_F7: case VK_F8: case VK_F9:
            StepToMatch(key.controlState & SHIFT_PRESSED ? -1 : 1);
            break;
        default:
            break;
    }
    if (state.top < 0) state.top = 0;
}

}  // namespace

int visibleRows() {
    BuildSession& state = session();
    if (state.mode != WindowBottomBand) return state.consoleHeight;
    return state.consoleHeight < kBandRows ? state.consoleHeight : kBandRows;
}

int windowFirstRow() {
    BuildSession& state = session();
    if (state.mode != WindowBottomBand) return 0;
    // A console lower than the band shows the band from its top row.
    return state.consoleHeight > kBandRows ? state.consoleHeight - kBandRows : 0;
}

void scrollToSelected() {
    BuildSession& state = session();
    int page = visibleRows();
    bool lineBelow = state.selected + 1 < state.lineCount();
    int context = state.mode == WindowBottomBand && page > 1 && lineBelow ? 1 : 0;
    if (state.selected < state.top) state.top = state.selected;
    if (state.selected + context >= state.top + page) state.top = state.selected + context - page + 1;
    if (state.top < 0) state.top = 0;
}

HANDLE ClearWindowArea(bool saveScreen) {
    BuildSession& state = session();
    refreshConsoleSize();
    if (4 * state.consoleWidth != state.lineCapacity) {
        delete[] state.lineBuffer;
        delete[] state.rowBuffer;
        state.lineBuffer = nullptr;
        state.rowBuffer = nullptr;
        state.lineCapacity = 0;
        state.lineBuffer = new char[4 * state.consoleWidth + 1];
        state.rowBuffer = new char[state.consoleWidth + kRowSlack];
        state.lineCapacity = 4 * state.consoleWidth;
    }
    std::memset(state.lineBuffer, ' ', state.lineCapacity);
    state.lineBuffer[state.lineCapacity] = 0;
    state.lineLength = 0;
    state.carriageReturnPending = false;

    const PluginStartupInfo& services = host();
    HANDLE screen = nullptr;
    if (saveScreen && services.SaveScreen) screen = services.SaveScreen(0, 0, -1, -1);
    if (services.Text) {
        int background = configuration().colors.background << 4;
        for (int row = windowFirstRow(); row < state.consoleHeight; ++row) {
            services.Text(0, row, background, state.lineBuffer);
        }
        services.Text(0, 0, 0, nullptr);
    }
    return screen;
}

void DrawLines(int first, bool highlight) {
    BuildSession& state = session();
    const PluginStartupInfo& services = host();
    if (!services.Text || !state.rowBuffer) return;
    const ColorSet& colors = configuration().colors;
    bool numbers = configuration().options.shownumbers;
    int width = state.consoleWidth;
    int firstRow = windowFirstRow();
    // Drawing allocates nothing, so the output stays browsable when memory ran out.
    char* row = state.rowBuffer;
    for (int j = 0; j < visibleRows() && first + j < state.lineCount(); ++j) {
        int index = first + j;
        const String& line = *state.lines.at(index);
        int length = line.length();
        int offset = state.horizontalOffset;

        int used = 0;
        if (numbers) used = std::snprintf(row, kRowSlack, "%03d ", index);
        // From 1000 on the number is wider than the column: it keeps its colour all the same.
        int numberLength = used;
        int room = width - used;
        if (length >= offset && room > 0) {
            int shown = length - offset < room ? length - offset : room;
            std::memcpy(row + used, line.text() + offset, shown);
            used += shown;
        }
        while (used < width) row[used++] = ' ';
        row[used] = 0;

        bool selected = highlight && index == state.selected;
        int attribute = lineAttribute(state.matchAt(index));
        if (selected) attribute = swapNibbles(attribute);
        services.Text(0, firstRow + j, attribute, row);
        if (numbers) {
            attribute = colors.numbers | (colors.background << 4);
            if (selected) attribute = swapNibbles(attribute);
            row[numberLength] = 0;
            services.Text(0, firstRow + j, attribute, row);
        }
        if (length - offset > width) {
            int markerAttribute = attribute <= 15 ? 14 : attribute | 0x0E;
            services.Text(width - 1, firstRow + j, markerAttribute, ">");
        }
    }
    services.Text(0, 0, 0, nullptr);
}

void HideCursor() {
    platform().openConsole();
    platform().hideCursor();
}

void RestoreCursor() {
    platform().restoreCursor();
    platform().closeConsole();
}

void OutputWindow() {
    BuildSession& state = session();
    HideCursor();
    if (configuration().options.autodelete) DropUnmatchedLines();
    if (state.selected > lastLine()) {
        state.selected = 0;
        state.top = 0;
    }
    scrollToSelected();

    int failedReads = 0;
    for (bool leave = false; !leave;) {
        if (state.lineCount() == 0) state.appendLine(String(""), nullptr);
        DrawLines(state.top, true);
        KeyEvent key;
        if (!platform().readKey(key)) {
            if (++failedReads >= kMaxFailedReads) break;
            continue;
        }
        failedReads = 0;
        if (!key.isKey || !key.keyDown) continue;
        handleKey(key, leave);
    }
    RestoreCursor();
}
