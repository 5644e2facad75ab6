#pragma once

#include <string>
#include <vector>

#include "terminal/screen.h"

struct CursorState {
    bool visible = false;
    int x = 0;
    int y = 0;

    bool operator==(const CursorState& other) const {
        return visible == other.visible && (!visible || (x == other.x && y == other.y));
    }
};

// Turns a screen into the ANSI bytes that bring the terminal from what it shows to that screen:
// only changed cells are written, with the 16 console colours as ANSI colours.
class ScreenRenderer {
public:
    // utf8: the terminal takes UTF-8, so byte sequences of the plug-in's text that form UTF-8
    // characters are shown as such and the host's glyphs as Unicode; otherwise bytes go out
    // as they are and the glyphs become ASCII.
    explicit ScreenRenderer(bool utf8) : utf8_(utf8) {}

    // Empty when the terminal already shows the screen with the cursor as asked.
    std::string render(const Screen& screen, const CursorState& cursor);
    // The terminal's content is unknown (a resize, a shell command ran): repaint everything.
    void invalidate();
    // The cursor's look was changed behind our back: state it again at the next render.
    void forgetCursor() { cursorKnown_ = false; }

private:
    struct Piece {
        int cells = 1;    // cells this piece of output stands for
        int columns = 1;  // terminal columns it takes
    };

    Piece encode(const Cell* row, int index, int width, std::string& out) const;
    bool rowNeedsWhole(const Cell* row, int width) const;
    void moveTo(int x, int y, std::string& out);
    void setAttribute(int attribute, std::string& out);
    void renderRun(const Screen& screen, int y, int first, int last, std::string& out);
    void renderRowTail(const Screen& screen, int y, int first, std::string& out);

    bool utf8_;
    bool valid_ = false;
    std::vector<Cell> shown_;
    int shownWidth_ = 0;
    int shownHeight_ = 0;
    int attribute_ = -1;  // the terminal's current colours, -1 unknown
    int terminalX_ = -1;  // where the terminal's cursor is, -1 unknown
    int terminalY_ = -1;
    bool cursorKnown_ = false;
    CursorState cursor_;
};

// The ANSI colour parameters of a console attribute, e.g. "91;44".
std::string ansiColors(int attribute);
