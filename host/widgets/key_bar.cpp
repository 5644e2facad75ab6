#include "widgets/key_bar.h"

#include <algorithm>

namespace {

const uint8_t kNumberColor = 0x07;
const uint8_t kLabelColor = 0x30;

}  // namespace

void drawKeyBar(Display& display, int y, int width, const std::vector<std::string>& labels) {
    display.fill(0, y, width, 1, kNumberColor);
    int count = static_cast<int>(labels.size());
    if (count == 0) return;
    int slot = std::max(width / count, 1);
    int x = 0;
    for (int i = 0; i < count && x < width; ++i) {
        std::string number = std::to_string(i + 1);
        display.text(x, y, kNumberColor, number);
        int labelWidth = std::min(slot, width - x) - static_cast<int>(number.size());
        if (i == count - 1) labelWidth = width - x - static_cast<int>(number.size());
        if (labelWidth > 0) {
            std::string label = labels[i].substr(0, labelWidth);
            label.resize(labelWidth, ' ');
            display.text(x + static_cast<int>(number.size()), y, kLabelColor, label);
        }
        x += slot;
    }
}
