#include "widgets/edit_line.h"

#include <algorithm>

#include "far/win_types.h"
#include "widgets/ui_context.h"

void EditLine::setText(const std::string& text) {
    text_ = text.substr(0, maxLength_);
    cursor_ = static_cast<int>(text_.size());
    scroll_ = 0;
}

bool EditLine::handleKey(const KeyEvent& key) {
    int length = static_cast<int>(text_.size());
    if (isTypedCharacter(key)) {
        if (text_.size() < maxLength_) text_.insert(text_.begin() + cursor_++, key.character);
        return true;
    }
    if (isControlPressed(key) && key.virtualKey == 'Y') {
        setText("");
        return true;
    }
    switch (key.virtualKey) {
        case VK_BACK:
            if (cursor_ > 0) text_.erase(--cursor_, 1);
            return true;
        case VK_DELETE:
            if (cursor_ < length) text_.erase(cursor_, 1);
            return true;
        case VK_LEFT:
            if (cursor_ > 0) --cursor_;
            return true;
        case VK_RIGHT:
            if (cursor_ < length) ++cursor_;
            return true;
        case VK_HOME:
            cursor_ = 0;
            return true;
        case VK_END:
            cursor_ = length;
            return true;
        default:
            return false;
    }
}

int EditLine::draw(Display& display, int x, int y, int width, uint8_t attribute, bool password) {
    if (width <= 0) return x;
    if (cursor_ < scroll_) scroll_ = cursor_;
    if (cursor_ >= scroll_ + width) scroll_ = cursor_ - width + 1;
    std::string shown = text_.substr(std::min<size_t>(scroll_, text_.size()), width);
    if (password) shown.assign(shown.size(), '*');
    shown.resize(width, ' ');
    display.text(x, y, attribute, shown);
    return x + cursor_ - scroll_;
}
