#include "widgets/menu.h"

#include <algorithm>
#include <cctype>

#include "far/plugin_api.h"
#include "widgets/frame.h"

namespace {

const uint8_t kMenuColor = 0x30;
const uint8_t kSelectedColor = 0x0F;
const uint8_t kHotkeyColor = 0x3E;
const uint8_t kSelectedHotkeyColor = 0x0E;
const uint8_t kDisabledColor = 0x38;

}  // namespace

Menu::Menu(UiContext& ui, const MenuRequest& request) : ui_(ui), request_(request) {
    bool showAmpersand = request.flags & FMENU_SHOWAMPERSAND;
    for (const MenuEntry& entry : request.entries) labels_.push_back(menuLabel(entry.text, showAmpersand));
    for (int i = 0; i < count(); ++i) {
        if (request.entries[i].selected && selectable(i)) {
            selected_ = i;
            break;
        }
    }
    if (selected_ < 0) selected_ = step(-1, 1, false);
}

MenuResult Menu::run() {
    MenuResult result;
    runModal(ui_, [this] { draw(); }, [this, &result](const KeyEvent& key) { return handleKey(key, result); });
    return result;
}

// The next selectable entry from `from` in the direction, or `from` when there is none
// (with wrapping, the search goes round once).
int Menu::step(int from, int direction, bool wrap) const {
    int position = from;
    for (int tries = 0; tries < count(); ++tries) {
        position += direction;
        if (position < 0 || position >= count()) {
            if (!wrap) return from;
            position = position < 0 ? count() - 1 : 0;
        }
        if (selectable(position)) return position;
    }
    return from;
}

int Menu::visibleRows() const {
    int fit = std::max(ui_.display.height() - 4, 1);
    int rows = request_.maxHeight > 0 ? std::min(request_.maxHeight, fit) : fit;
    return std::max(std::min(rows, count()), 1);
}

void Menu::draw() {
    int rows = visibleRows();
    if (selected_ >= 0) {
        if (selected_ < top_) top_ = selected_;
        if (selected_ >= top_ + rows) top_ = selected_ - rows + 1;
    }
    top_ = std::max(std::min(top_, count() - rows), 0);

    int textWidth = static_cast<int>(request_.title.size()) + 2;
    for (const MenuLabel& label : labels_) textWidth = std::max(textWidth, static_cast<int>(label.text.size()));
    int screenWidth = ui_.display.width();
    int width = std::min(textWidth + 6, std::max(screenWidth - 2, 8));
    Box box = placeBox(screenWidth, ui_.display.height(), width, rows + 2, request_.x, request_.y);
    drawFrame(ui_.display, box, kMenuColor, true, request_.title, request_.bottom);

    int inner = box.width - 2;
    for (int row = 0; row < rows && top_ + row < count(); ++row) {
        int index = top_ + row;
        int y = box.y + 1 + row;
        const MenuEntry& entry = request_.entries[index];
        if (entry.separator) {
            for (int x = 0; x < inner; ++x) ui_.display.glyph(box.x + 1 + x, y, kMenuColor, GlyphHorizontal);
            continue;
        }
        bool current = index == selected_;
        uint8_t color = current ? kSelectedColor : kMenuColor;
        ui_.display.fill(box.x + 1, y, inner, 1, color);
        if (entry.checked) ui_.display.glyph(box.x + 2, y, color, GlyphCheck);
        const MenuLabel& label = labels_[index];
        std::string shown = fitText(label.text, inner - 4);
        ui_.display.text(box.x + 4, y, color, shown);
        if (label.hotkey >= 0 && label.hotkey < static_cast<int>(shown.size())) {
            ui_.display.text(box.x + 4 + label.hotkey, y, current ? kSelectedHotkeyColor : kHotkeyColor,
                             shown.substr(label.hotkey, 1));
        }
    }
    int right = box.x + box.width - 1;
    if (top_ > 0) ui_.display.glyph(right, box.y + 1, kDisabledColor, GlyphArrowUp);
    if (top_ + rows < count()) ui_.display.glyph(right, box.y + rows, kDisabledColor, GlyphArrowDown);
}

bool Menu::handleKey(const KeyEvent& key, MenuResult& result) {
    if (!isControlPressed(key) && !isAltPressed(key) && !isShiftPressed(key)) {
        for (size_t i = 0; i < request_.breakKeys.size(); ++i) {
            if (request_.breakKeys[i] == key.virtualKey) {
                result.index = selected_;
                result.breakCode = static_cast<int>(i);
                return true;
            }
        }
    }
    bool wrap = request_.flags & FMENU_WRAPMODE;
    int page = visibleRows();
    switch (key.virtualKey) {
        case VK_RETURN:
            result.index = selected_;
            return true;
        case VK_ESCAPE:
        case VK_F10:
            result.index = -1;
            return true;
        case VK_UP:
            selected_ = step(selected_, -1, wrap);
            return false;
        case VK_DOWN:
            selected_ = step(selected_, 1, wrap);
            return false;
        case VK_HOME:
            selected_ = step(-1, 1, false);
            return false;
        case VK_END:
            selected_ = step(count(), -1, false);
            return false;
        case VK_PRIOR:
            for (int i = 0; i < page; ++i) selected_ = step(selected_, -1, false);
            return false;
        case VK_NEXT:
            for (int i = 0; i < page; ++i) selected_ = step(selected_, 1, false);
            return false;
        case VK_F1:
            if (request_.helpTopic.empty()) return false;
            result.index = selected_;
            result.helpAsked = true;
            return true;
        default:
            break;
    }
    if (!isTypedCharacter(key)) return false;
    int typed = std::tolower(static_cast<unsigned char>(key.character));
    for (int i = 0; i < count(); ++i) {
        const MenuLabel& label = labels_[i];
        if (!selectable(i) || label.hotkey < 0) continue;
        if (std::tolower(static_cast<unsigned char>(label.text[label.hotkey])) == typed) {
            selected_ = i;
            result.index = i;
            return true;
        }
    }
    return false;
}

MenuLabel menuLabel(const std::string& text, bool showAmpersand) {
    MenuLabel label;
    if (showAmpersand) {
        label.text = text;
        return label;
    }
    // As FAR draws it: up to the first lone '&', which marks the hotkey, "&&" is one '&'; after it
    // the text shows as written.
    for (size_t i = 0; i < text.size(); ++i) {
        if (label.hotkey < 0 && text[i] == '&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != '&') label.hotkey = static_cast<int>(label.text.size());
        }
        label.text += text[i];
    }
    return label;
}

MenuResult runMenu(UiContext& ui, const MenuRequest& request) { return Menu(ui, request).run(); }
