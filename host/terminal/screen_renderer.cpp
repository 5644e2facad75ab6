#include "terminal/screen_renderer.h"

#include <wchar.h>

#include <algorithm>

#include "platform/posix/terminal_text.h"

namespace {

// Unchanged cells shorter than this between two changes are rewritten rather than jumped.
const int kMaxGapRewritten = 6;

void appendNumber(std::string& out, int value) { out += std::to_string(value); }

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

char asciiGlyph(uint32_t code) {
    switch (code) {
        case GlyphHorizontal: case GlyphDoubleHorizontal: return '-';
        case GlyphVertical: case GlyphDoubleVertical: return '|';
        case GlyphCheck: return '*';
        case GlyphArrowUp: return '^';
        case GlyphArrowDown: return 'v';
        default: return '+';
    }
}

// The length of the UTF-8 sequence of bytes starting at the index and its code point; 0 when
// the bytes there do not form one.
int utf8Sequence(const Cell* row, int index, int width, uint32_t& code) {
    uint32_t lead = row[index].character;
    int length = lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (lead >= 0xF5 || lead > 0xFF || length == 0 || index + length > width) return 0;
    code = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        uint32_t next = row[index + i].character;
        if (next < 0x80 || next > 0xBF) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms and surrogates are not characters.
    static const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::string ansiColors(int attribute) {
    static const int ansiOrder[8] = {0, 4, 2, 6, 1, 5, 3, 7};  // console blue-green-red bits
    int foreground = attribute & 0x0F;
    int background = (attribute >> 4) & 0x0F;
    std::string text;
    appendNumber(text, (foreground & 8 ? 90 : 30) + ansiOrder[foreground & 7]);
    text += ';';
    appendNumber(text, (background & 8 ? 100 : 40) + ansiOrder[background & 7]);
    return text;
}

void ScreenRenderer::invalidate() {
    valid_ = false;
    attribute_ = -1;
    terminalX_ = terminalY_ = -1;
    cursorKnown_ = false;
}

ScreenRenderer::Piece ScreenRenderer::encode(const Cell* row, int index, int width, std::string& out) const {
    uint32_t code = row[index].character;
    Piece piece;
    if (isTerminalControl(code) && (code < 0x80 || !utf8_)) {
        // Written raw, a control (the 8-bit C1 bytes too) would be acted on, not shown.
        out += code == 0 ? ' ' : '?';
    } else if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code >= 0x100) {
        if (utf8_) {
            appendUtf8(out, code);
        } else {
            out += asciiGlyph(code);
        }
    } else if (!utf8_) {
        out += static_cast<char>(code);
    } else {
        uint32_t character = 0;
        int length = utf8Sequence(row, index, width, character);
        // A UTF-8 control (U+0080-U+009F) or a character the locale cannot print is shown
        // byte by byte as '?': the terminal might act on it or give it a width of its own.
        int columns = length && !isTerminalControl(character) ? wcwidth(static_cast<wchar_t>(character)) : 0;
        if (length == 0 || columns <= 0 || columns > length) {
            out += '?';
        } else {
            appendUtf8(out, character);
            piece.cells = length;
            piece.columns = columns;
        }
    }
    return piece;
}

bool ScreenRenderer::rowNeedsWhole(const Cell* row, int width) const {
    if (!utf8_) return false;
    for (int x = 0; x < width; ++x) {
        if (row[x].character >= 0x80 && row[x].character < 0x100) return true;
    }
    return false;
}

void ScreenRenderer::moveTo(int x, int y, std::string& out) {
    if (x == terminalX_ && y == terminalY_) return;
    out += "\x1b[";
    appendNumber(out, y + 1);
    out += ';';
    appendNumber(out, x + 1);
    out += 'H';
    terminalX_ = x;
    terminalY_ = y;
}

void ScreenRenderer::setAttribute(int attribute, std::string& out) {
    if (attribute == attribute_) return;
    out += "\x1b[";
    out += ansiColors(attribute);
    out += 'm';
    attribute_ = attribute;
}

// Cells first..last of a row of plain characters, one terminal column each.
void ScreenRenderer::renderRun(const Screen& screen, int y, int first, int last, std::string& out) {
    const Cell* row = screen.row(y);
    moveTo(first, y, out);
    for (int x = first; x <= last; ++x) {
        setAttribute(row[x].attribute, out);
        encode(row, x, screen.width(), out);
    }
    // Without automatic wrapping the cursor stays in the last column after writing there.
    terminalX_ = last + 1 < screen.width() ? last + 1 : last;
}

// A row whose characters may take fewer columns than cells (UTF-8 sequences): written from the
// first changed cell to the end, then padded so that nothing of the old row stays.
void ScreenRenderer::renderRowTail(const Screen& screen, int y, int first, std::string& out) {
    const Cell* row = screen.row(y);
    int width = screen.width();
    int column = 0;
    int x = 0;
    std::string scratch;
    while (x < first) {
        scratch.clear();
        Piece piece = encode(row, x, width, scratch);
        if (x + piece.cells > first) break;  // the change is inside this character
        x += piece.cells;
        column += piece.columns;
    }
    moveTo(column, y, out);
    int attribute = row[x].attribute;
    while (x < width) {
        scratch.clear();
        Piece piece = encode(row, x, width, scratch);
        if (column + piece.columns > width) break;
        setAttribute(row[x].attribute, out);
        attribute = row[x].attribute;
        out += scratch;
        x += piece.cells;
        column += piece.columns;
    }
    setAttribute(attribute, out);
    out.append(static_cast<size_t>(width - column), ' ');
    // The cursor may sit past the last column now; say where it is before the next write.
    terminalX_ = terminalY_ = -1;
}

std::string ScreenRenderer::render(const Screen& screen, const CursorState& cursor) {
    std::string out;
    int width = screen.width();
    int height = screen.height();
    if (shownWidth_ != width || shownHeight_ != height) valid_ = false;

    for (int y = 0; y < height; ++y) {
        const Cell* row = screen.row(y);
        const Cell* old = valid_ ? &shown_[static_cast<size_t>(y) * width] : nullptr;
        int first = 0;
        while (old && first < width && row[first] == old[first]) ++first;
        if (first == width) continue;
        if (out.empty()) out += "\x1b[?25l";  // no cursor jumping around while we draw
        if (rowNeedsWhole(row, width) || (old && rowNeedsWhole(old, width))) {
            renderRowTail(screen, y, first, out);
            continue;
        }
        int x = first;
        while (x < width) {
            int last = x;
            int gap = 0;
            for (int scan = x + 1; scan < width && gap < kMaxGapRewritten; ++scan) {
                if (old && row[scan] == old[scan]) {
                    ++gap;
                } else {
                    last = scan;
                    gap = 0;
                }
            }
            renderRun(screen, y, x, last, out);
            x = last + 1;
            while (old && x < width && row[x] == old[x]) ++x;
        }
    }
    shown_ = screen.cells();
    shownWidth_ = width;
    shownHeight_ = height;
    valid_ = true;

    bool cellsWritten = !out.empty();
    if (!cellsWritten && cursorKnown_ && cursor == cursor_) return out;
    if (cursor.visible) {
        moveTo(std::min(std::max(cursor.x, 0), width - 1), std::min(std::max(cursor.y, 0), height - 1), out);
        out += "\x1b[?25h";
    } else if (cellsWritten || !cursorKnown_ || cursor_.visible) {
        out += "\x1b[?25l";
    }
    cursor_ = cursor;
    cursorKnown_ = true;
    return out;
}
