#include "widgets/frame.h"

#include <algorithm>

Box placeBox(int screenWidth, int screenHeight, int width, int height, int x, int y) {
    Box box;
    box.width = std::min(width, screenWidth);
    box.height = std::min(height, screenHeight);
    box.x = x >= 0 ? std::min(x, screenWidth - box.width) : (screenWidth - box.width) / 2;
    box.y = y >= 0 ? std::min(y, screenHeight - box.height) : (screenHeight - box.height) / 2;
    box.x = std::max(box.x, 0);
    box.y = std::max(box.y, 0);
    return box;
}

std::string fitText(const std::string& text, int width) {
    if (width <= 0) return std::string();
    return static_cast<int>(text.size()) <= width ? text : text.substr(0, width);
}

void drawCentred(Display& display, int x, int y, int width, uint8_t attribute, const std::string& text) {
    std::string shown = fitText(text, width);
    display.text(x + (width - static_cast<int>(shown.size())) / 2, y, attribute, shown);
}

void drawFrame(Display& display, const Box& box, uint8_t attribute, bool doubleLine, const std::string& title,
               const std::string& bottom) {
    display.fill(box.x, box.y, box.width, box.height, attribute);
    if (box.width < 2 || box.height < 2) return;
    uint32_t horizontal = doubleLine ? GlyphDoubleHorizontal : GlyphHorizontal;
    uint32_t vertical = doubleLine ? GlyphDoubleVertical : GlyphVertical;
    int right = box.x + box.width - 1;
    int lower = box.y + box.height - 1;
    for (int x = box.x + 1; x < right; ++x) {
        display.glyph(x, box.y, attribute, horizontal);
        display.glyph(x, lower, attribute, horizontal);
    }
    for (int y = box.y + 1; y < lower; ++y) {
        display.glyph(box.x, y, attribute, vertical);
        display.glyph(right, y, attribute, vertical);
    }
    display.glyph(box.x, box.y, attribute, doubleLine ? GlyphDoubleTopLeft : GlyphTopLeft);
    display.glyph(right, box.y, attribute, doubleLine ? GlyphDoubleTopRight : GlyphTopRight);
    display.glyph(box.x, lower, attribute, doubleLine ? GlyphDoubleBottomLeft : GlyphBottomLeft);
    display.glyph(right, lower, attribute, doubleLine ? GlyphDoubleBottomRight : GlyphBottomRight);
    if (!title.empty()) drawCentred(display, box.x + 1, box.y, box.width - 2, attribute, " " + fitText(title, box.width - 6) + " ");
    if (!bottom.empty()) drawCentred(display, box.x + 1, lower, box.width - 2, attribute, " " + fitText(bottom, box.width - 6) + " ");
}
