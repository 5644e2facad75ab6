#include "terminal/screen.h"

#include <algorithm>

Screen::Screen(int width, int height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)),
      cells_(static_cast<size_t>(width_) * height_) {}

void Screen::text(int x, int y, uint8_t attribute, const char* text, int length) {
    if (!text || y < 0 || y >= height_) return;
    for (int i = 0; i < length && text[i]; ++i) {
        if (!inside(x + i, y)) continue;
        Cell& cell = cells_[static_cast<size_t>(y) * width_ + x + i];
        cell.character = static_cast<unsigned char>(text[i]);
        cell.attribute = attribute;
    }
}

void Screen::glyph(int x, int y, uint8_t attribute, uint32_t character) {
    if (!inside(x, y)) return;
    Cell& cell = cells_[static_cast<size_t>(y) * width_ + x];
    cell.character = character;
    cell.attribute = attribute;
}

void Screen::fill(int x, int y, int width, int height, uint8_t attribute, uint32_t character) {
    for (int row = std::max(y, 0); row < std::min(y + height, height_); ++row) {
        for (int column = std::max(x, 0); column < std::min(x + width, width_); ++column) {
            Cell& cell = cells_[static_cast<size_t>(row) * width_ + column];
            cell.character = character;
            cell.attribute = attribute;
        }
    }
}

void Screen::resize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == width_ && height == height_) return;
    std::vector<Cell> resized(static_cast<size_t>(width) * height);
    for (int y = 0; y < std::min(height, height_); ++y) {
        for (int x = 0; x < std::min(width, width_); ++x) resized[static_cast<size_t>(y) * width + x] = at(x, y);
    }
    cells_.swap(resized);
    width_ = width;
    height_ = height;
}

void Screen::put(const std::vector<Cell>& cells, int x, int y, int width, int height) {
    if (cells.size() < static_cast<size_t>(width) * height) return;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            if (inside(x + column, y + row)) {
                cells_[static_cast<size_t>(y + row) * width_ + x + column] = cells[static_cast<size_t>(row) * width + column];
            }
        }
    }
}
