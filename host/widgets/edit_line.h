#pragma once

#include <string>

#include "platform/platform.h"
#include "terminal/display.h"

// A one-line text editor: the host's command line and the input box.
class EditLine {
public:
    explicit EditLine(size_t maxLength = 4095) : maxLength_(maxLength) {}

    const std::string& text() const { return text_; }
    void setText(const std::string& text);
    int cursor() const { return cursor_; }

    // Typing, Backspace, Delete, Left, Right, Home, End, Ctrl+Y (clear); false for other keys.
    bool handleKey(const KeyEvent& key);
    // Draws the part around the cursor into width cells; returns the cursor's screen column.
    int draw(Display& display, int x, int y, int width, uint8_t attribute, bool password = false);

private:
    std::string text_;
    int cursor_ = 0;
    int scroll_ = 0;
    size_t maxLength_;
};
