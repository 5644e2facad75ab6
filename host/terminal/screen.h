#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One character cell: a byte as the plug-in wrote it (0-255) or one of the host's own glyphs
// (a Unicode code point from 0x100 up, such as a frame line), with a console attribute:
// foreground in the low nibble, background in the high nibble.
struct Cell {
    uint32_t character = ' ';
    uint8_t attribute = 0x07;

    bool operator==(const Cell& other) const {
        return character == other.character && attribute == other.attribute;
    }
    bool operator!=(const Cell& other) const { return !(*this == other); }
};

// The host's own glyphs: frame lines and marks, drawn as Unicode where the terminal takes it.
enum Glyph : uint32_t {
    GlyphHorizontal = 0x2500,
    GlyphVertical = 0x2502,
    GlyphTopLeft = 0x250C,
    GlyphTopRight = 0x2510,
    GlyphBottomLeft = 0x2514,
    GlyphBottomRight = 0x2518,
    GlyphDoubleHorizontal = 0x2550,
    GlyphDoubleVertical = 0x2551,
    GlyphDoubleTopLeft = 0x2554,
    GlyphDoubleTopRight = 0x2557,
    GlyphDoubleBottomLeft = 0x255A,
    GlyphDoubleBottomRight = 0x255D,
    GlyphCheck = 0x221A,
    GlyphArrowUp = 0x25B2,
    GlyphArrowDown = 0x25BC,
};

// The host's screen buffer: what Text and the host's own drawing write into, and what the
// renderer brings to the terminal. Writes outside the screen are clipped.
class Screen {
public:
    Screen(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    // Writes length bytes of text from column x of row y (stopping early at a zero byte).
    void text(int x, int y, uint8_t attribute, const char* text, int length);
    void glyph(int x, int y, uint8_t attribute, uint32_t character);
    void fill(int x, int y, int width, int height, uint8_t attribute, uint32_t character = ' ');

    const Cell& at(int x, int y) const { return cells_[static_cast<size_t>(y) * width_ + x]; }
    Cell* row(int y) { return &cells_[static_cast<size_t>(y) * width_]; }
    const Cell* row(int y) const { return &cells_[static_cast<size_t>(y) * width_]; }

    // A new size keeps what fits from the top-left corner.
    void resize(int width, int height);
    const std::vector<Cell>& cells() const { return cells_; }
    // Writes a rectangle of cells (width x height, row by row) at (x, y), clipped.
    void put(const std::vector<Cell>& cells, int x, int y, int width, int height);

private:
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    int width_;
    int height_;
    std::vector<Cell> cells_;
};
