#pragma once

#include <string>
#include <vector>

#include "far/plugin_api.h"
#include "platform/platform.h"
#include "terminal/display.h"

// The host's editor window, read-only: a file with a cursor line and column. The plug-in
// sees it as an editor (ECTL_GETINFO, ECTL_SETPOSITION, ECTL_REDRAW, ECTL_SAVEFILE).
class Viewer {
public:
    static const int kTabSize = 8;

    // Reads the file; false (with the reason) when it cannot be read.
    bool load(const std::string& path, std::string& error);
    // Reads the file again, keeping the cursor where it fits.
    bool reload(std::string& error);

    const std::string& path() const { return path_; }
    int id() const { return id_; }
    void setId(int id) { id_ = id; }
    int lineCount() const { return static_cast<int>(lines_.size()); }
    const std::string& line(int index) const { return lines_[index]; }
    int cursorLine() const { return line_; }
    int cursorPos() const { return pos_; }
    int topLine() const { return top_; }
    int leftPos() const { return left_; }

    // Moves to a 0-based line and byte position, scrolled so that it shows.
    void moveTo(int line, int pos);
    // Cursor keys, PgUp/PgDn, Home/End, Ctrl+Home/Ctrl+End; false for other keys.
    bool handleKey(const KeyEvent& key, int textRows);

    // The status line, the text and (with the cursor on its cell) nothing else: the caller
    // draws the key bar in the last row.
    void draw(Display& display, int width, int textRows);
    // Where the terminal cursor goes: the cursor's cell on the screen.
    int cursorScreenX() const;
    int cursorScreenY() const { return 1 + line_ - top_; }

    void fillEditorInfo(EditorInfo& info, int width, int textRows) const;
    void applyPosition(const EditorSetPosition& place, int width, int textRows);
    // Writes the lines to another file (ECTL_SAVEFILE with a name); the viewer never changes
    // its own file.
    bool saveAs(const std::string& path, const char* lineEnd) const;

private:
    int tabColumn(int line, int pos) const;
    void keepVisible(int width, int textRows);

    std::string path_;
    std::vector<std::string> lines_;
    int id_ = 0;
    int line_ = 0;
    int pos_ = 0;
    int top_ = 0;
    int left_ = 0;
    int lastWidth_ = 80;
    int lastRows_ = 23;
};

// Expands tabs to the viewer's tab stops.
std::string expandTabs(const std::string& text, int tabSize);
