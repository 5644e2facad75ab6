#include "widgets/input_box.h"

#include <algorithm>

#include "far/plugin_api.h"
#include "services/environment_expansion.h"
#include "widgets/edit_line.h"
#include "widgets/frame.h"
#include "widgets/menu.h"

namespace {

const uint8_t kBoxColor = 0x70;
const uint8_t kEditColor = 0x30;
const uint8_t kFocusedButtonColor = 0x30;
const int kPreferredWidth = 76;

enum Focus { FocusEdit, FocusOk, FocusCancel };

}  // namespace

bool runInputBox(UiContext& ui, const InputRequest& request, std::string& answer) {
    EditLine line(static_cast<size_t>(std::max(request.maxLength, 0)));
    line.setText(request.initialText);
    bool buttons = request.flags & FIB_BUTTONS;
    bool password = request.flags & FIB_PASSWORD;
    // FAR shows the title as it is, unless asked to take its '&' for a hotkey mark.
    std::string title = request.flags & FIB_NOAMPERSAND ? menuLabel(request.title, false).text : request.title;

    ScreenSnapshot under = ui.display.save();
    int focus = FocusEdit;
    bool confirmed = false;
    for (bool done = false; !done;) {
        int screenWidth = ui.display.width();
        int height = buttons ? 8 : 6;
        Box box = placeBox(screenWidth, ui.display.height(), std::min(kPreferredWidth, screenWidth), height);
        ui.display.fill(box.x, box.y, box.width, box.height, kBoxColor);
        drawFrame(ui.display, Box{box.x + 1, box.y + 1, box.width - 2, box.height - 2}, kBoxColor, true, title);
        int inner = box.width - 6;
        ui.display.text(box.x + 3, box.y + 2, kBoxColor, fitText(request.prompt, inner));
        int cursorX = line.draw(ui.display, box.x + 3, box.y + 3, inner, kEditColor, password);
        if (buttons) {
            int y = box.y + 5;
            for (int x = box.x + 2; x < box.x + box.width - 2; ++x) ui.display.glyph(x, y - 1, kBoxColor, GlyphHorizontal);
            std::string ok = "[ Ok ]";
            std::string cancel = "[ Cancel ]";
            int x = box.x + (box.width - static_cast<int>(ok.size() + cancel.size()) - 1) / 2;
            ui.display.text(x, y, focus == FocusOk ? kFocusedButtonColor : kBoxColor, ok);
            ui.display.text(x + static_cast<int>(ok.size()) + 1, y, focus == FocusCancel ? kFocusedButtonColor : kBoxColor,
                            cancel);
        }
        ui.display.setCursor(CursorState{focus == FocusEdit, cursorX, box.y + 3});

        KeyEvent key;
        KeyWait wait = waitForKey(ui, key);
        if (wait == KeyWait::Ended) break;
        if (wait == KeyWait::Resized) {
            ui.display.restore(under);
            continue;
        }
        switch (key.virtualKey) {
            case VK_ESCAPE:
            case VK_F10:
                done = true;
                break;
            case VK_RETURN:
                if (focus == FocusCancel) {
                    done = true;
                } else if (!line.text().empty() || (request.flags & FIB_ENABLEEMPTY)) {
                    confirmed = true;
                    done = true;
                }
                break;
            case VK_TAB:
                if (buttons) focus = (focus + (isShiftPressed(key) ? 2 : 1)) % 3;
                break;
            case VK_F1:
                if (!request.helpTopic.empty() && ui.showHelp) ui.showHelp(request.helpTopic);
                break;
            default:
                if (focus == FocusEdit) line.handleKey(key);
                break;
        }
    }
    ui.display.setCursor(CursorState{});
    ui.display.restore(under);
    ui.display.requestFlush();
    if (!confirmed) return false;
    answer = line.text();
    if (request.flags & FIB_EXPANDENV) answer = expandEnvironmentReferences(answer);
    if (static_cast<int>(answer.size()) > request.maxLength) answer.resize(std::max(request.maxLength, 0));
    return true;
}
