#include "widgets/input_box.h"

#include <algorithm>

#include "far/plugin_api.h"
#include "widgets/frame.h"
#include "widgets/menu.h"

namespace {

const uint8_t kBoxColor = 0x70;
const uint8_t kEditColor = 0x30;
const uint8_t kFocusedButtonColor = 0x30;
const int kPreferredWidth = 76;

enum Focus { FocusEdit, FocusOk, FocusCancel };

}  // namespace

InputBox::InputBox(UiContext& ui, const InputRequest& request)
    : ui_(ui), request_(request), line_(static_cast<size_t>(std::max(request.maxLength, 0))) {
    line_.setText(request.initialText);
    if (request.history) historyPlace_ = request.history->size();
}

void InputBox::stepThroughHistory(bool older) {
    const std::vector<std::string>& entries = *request_.history;
    if (older && historyPlace_ > 0) --historyPlace_;
    if (!older && historyPlace_ < entries.size()) ++historyPlace_;
    line_.setText(historyPlace_ < entries.size() ? entries[historyPlace_] : request_.initialText);
}

void InputBox::remember(const std::string& answer) {
    std::vector<std::string>& entries = *request_.history;
    entries.erase(std::remove(entries.begin(), entries.end(), answer), entries.end());
    entries.push_back(answer);
}

InputResult InputBox::run() {
    bool buttons = request_.flags & FIB_BUTTONS;
    bool password = request_.flags & FIB_PASSWORD;
    // FAR shows the title as it is, unless asked to take its '&' for a hotkey mark.
    std::string title = request_.flags & FIB_NOAMPERSAND ? menuLabel(request_.title, false).text : request_.title;

    ScreenSnapshot under = ui_.display.save();
    InputResult result = InputResult::Cancelled;
    for (bool done = false; !done;) {
        int screenWidth = ui_.display.width();
        int height = buttons ? 8 : 6;
        Box box = placeBox(screenWidth, ui_.display.height(), std::min(kPreferredWidth, screenWidth), height);
        ui_.display.fill(box.x, box.y, box.width, box.height, kBoxColor);
        drawFrame(ui_.display, Box{box.x + 1, box.y + 1, box.width - 2, box.height - 2}, kBoxColor, true, title);
        int inner = box.width - 6;
        ui_.display.text(box.x + 3, box.y + 2, kBoxColor, fitText(request_.prompt, inner));
        int cursorX = line_.draw(ui_.display, box.x + 3, box.y + 3, inner, kEditColor, password);
        if (buttons) {
            int y = box.y + 5;
            for (int x = box.x + 2; x < box.x + box.width - 2; ++x) ui_.display.glyph(x, y - 1, kBoxColor, GlyphHorizontal);
            std::string ok = "[ Ok ]";
            std::string cancel = "[ Cancel ]";
            int x = box.x + (box.width - static_cast<int>(ok.size() + cancel.size()) - 1) / 2;
            ui_.display.text(x, y, focus_ == FocusOk ? kFocusedButtonColor : kBoxColor, ok);
            ui_.display.text(x + static_cast<int>(ok.size()) + 1, y, focus_ == FocusCancel ? kFocusedButtonColor : kBoxColor,
                             cancel);
        }
        ui_.display.setCursor(CursorState{focus_ == FocusEdit, cursorX, box.y + 3});

        KeyEvent key;
        KeyWait wait = waitForKey(ui_, key);
        if (wait == KeyWait::Ended) break;
        if (wait == KeyWait::Resized) {
            ui_.display.restore(under);
            continue;
        }
        switch (key.virtualKey) {
            case VK_ESCAPE:
            case VK_F10:
                done = true;
                break;
            case VK_RETURN:
                if (focus_ == FocusCancel) {
                    done = true;
                } else if (!line_.text().empty() || (request_.flags & FIB_ENABLEEMPTY)) {
                    result = InputResult::Confirmed;
                    done = true;
                }
                break;
            case VK_TAB:
                if (buttons) focus_ = (focus_ + (isShiftPressed(key) ? 2 : 1)) % 3;
                break;
            case VK_UP:
            case VK_DOWN:
                if (focus_ == FocusEdit && request_.history) stepThroughHistory(key.virtualKey == VK_UP);
                break;
            case VK_F1:
                if (!request_.helpTopic.empty()) {
                    result = InputResult::HelpAsked;
                    done = true;
                }
                break;
            default:
                if (focus_ == FocusEdit) line_.handleKey(key);
                break;
        }
    }
    if (result == InputResult::Confirmed && request_.history && !line_.text().empty()) remember(line_.text());
    ui_.display.setCursor(CursorState{});
    ui_.display.restore(under);
    ui_.display.requestFlush();
    return result;
}

bool runInputBox(UiContext& ui, const InputRequest& request, std::string& answer) {
    InputBox box(ui, request);
    if (box.run() != InputResult::Confirmed) return false;
    answer = box.text();
    return true;
}
