#include "widgets/message_box.h"

#include <algorithm>
#include <cctype>

#include "far/win_types.h"
#include "widgets/frame.h"
#include "widgets/menu.h"

namespace {

const uint8_t kBoxColor = 0x70;
const uint8_t kFocusedButtonColor = 0x30;

}  // namespace

std::vector<std::string> wrapText(const std::string& text, int width) {
    std::vector<std::string> lines;
    width = std::max(width, 1);
    size_t start = 0;
    while (start <= text.size()) {
        size_t newline = text.find('\n', start);
        std::string paragraph = text.substr(start, newline == std::string::npos ? std::string::npos : newline - start);
        while (static_cast<int>(paragraph.size()) > width) {
            size_t cut = paragraph.rfind(' ', width);
            if (cut == std::string::npos || cut == 0) cut = width;
            lines.push_back(paragraph.substr(0, cut));
            paragraph.erase(0, cut);
            if (!paragraph.empty() && paragraph[0] == ' ') paragraph.erase(0, 1);
        }
        lines.push_back(paragraph);
        if (newline == std::string::npos) break;
        start = newline + 1;
    }
    return lines;
}

int runMessageBox(UiContext& ui, const std::vector<std::string>& items, int buttons) {
    buttons = std::max(0, std::min(buttons, static_cast<int>(items.size()) - 1));
    std::string title = items.empty() ? std::string() : items[0];
    std::vector<MenuLabel> labels;
    for (size_t i = items.size() - buttons; i < items.size(); ++i) labels.push_back(menuLabel(items[i], false));
    int buttonsWidth = 0;
    for (const MenuLabel& label : labels) buttonsWidth += static_cast<int>(label.text.size()) + 5;

    int focused = 0;
    auto draw = [&] {
        int screenWidth = ui.display.width();
        int textRoom = std::max(screenWidth - 12, 10);
        std::vector<std::string> lines;
        for (size_t i = 1; i + buttons < items.size(); ++i) {
            for (const std::string& line : wrapText(items[i], textRoom)) lines.push_back(line);
        }
        int width = std::max(static_cast<int>(title.size()) + 4, buttonsWidth);
        for (const std::string& line : lines) width = std::max(width, static_cast<int>(line.size()));
        width = std::min(width + 6, screenWidth);
        int height = static_cast<int>(lines.size()) + 4 + (buttons > 0 ? 2 : 0);
        Box box = placeBox(screenWidth, ui.display.height(), width, height);
        // A margin of the box's colour around the frame, as the host's dialogs have.
        ui.display.fill(box.x, box.y, box.width, box.height, kBoxColor);
        drawFrame(ui.display, Box{box.x + 1, box.y + 1, box.width - 2, box.height - 2}, kBoxColor, true, title);
        for (size_t i = 0; i < lines.size(); ++i) {
            drawCentred(ui.display, box.x + 3, box.y + 2 + static_cast<int>(i), box.width - 6, kBoxColor, lines[i]);
        }
        if (buttons > 0) {
            int y = box.y + box.height - 3;
            for (int x = box.x + 2; x < box.x + box.width - 2; ++x) ui.display.glyph(x, y - 1, kBoxColor, GlyphHorizontal);
            int x = box.x + (box.width - buttonsWidth) / 2 + 1;
            for (int i = 0; i < buttons; ++i) {
                std::string text = "[ " + labels[i].text + " ]";
                ui.display.text(x, y, i == focused ? kFocusedButtonColor : kBoxColor, text);
                x += static_cast<int>(text.size()) + 1;
            }
        }
    };
    // Without buttons the message stays on the screen and nothing waits for a key.
    if (buttons == 0) {
        draw();
        ui.display.requestFlush();
        return -1;
    }
    int chosen = -1;
    runModal(ui, draw, [&](const KeyEvent& key) {
        int picked = -2;
        if (key.virtualKey == VK_RETURN || key.virtualKey == VK_SPACE) picked = focused;
        if (key.virtualKey == VK_ESCAPE || key.virtualKey == VK_F10) picked = -1;
        if (key.virtualKey == VK_TAB || key.virtualKey == VK_RIGHT) focused = (focused + 1) % buttons;
        if (key.virtualKey == VK_LEFT) focused = (focused + buttons - 1) % buttons;
        if (isTypedCharacter(key)) {
            for (int i = 0; i < buttons; ++i) {
                const MenuLabel& label = labels[i];
                if (label.hotkey >= 0 && std::tolower(static_cast<unsigned char>(label.text[label.hotkey])) ==
                                             std::tolower(static_cast<unsigned char>(key.character))) {
                    picked = i;
                }
            }
        }
        if (picked == -2) return false;
        chosen = picked;
        return true;
    });
    return chosen;
}
