#include "widgets/ui_context.h"

#include "far/win_types.h"

KeyWait waitForKey(UiContext& ui, KeyEvent& key) {
    for (;;) {
        ui.display.flush();
        if (ui.keys.readKey(key)) {
            if (key.isKey && key.keyDown) return KeyWait::Key;
            continue;
        }
        if (ui.keys.ended()) return KeyWait::Ended;
        if (applyPendingResize(ui)) return KeyWait::Resized;
    }
}

bool applyPendingResize(UiContext& ui) {
    ConsoleSize size;
    if (!ui.keys.takeResize(size)) return false;
    ui.display.resize(size.width, size.height);
    ui.display.invalidate();
    return true;
}

void runModal(UiContext& ui, const std::function<void()>& draw, const std::function<bool(const KeyEvent&)>& handleKey) {
    ScreenSnapshot under = ui.display.save();
    for (bool done = false; !done;) {
        draw();
        KeyEvent key;
        KeyWait wait = waitForKey(ui, key);
        if (wait == KeyWait::Ended) break;
        if (wait == KeyWait::Resized) {
            ui.display.restore(under);
            continue;
        }
        done = handleKey(key);
    }
    ui.display.restore(under);
    ui.display.requestFlush();
}

bool isControlPressed(const KeyEvent& key) { return key.controlState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED); }

bool isAltPressed(const KeyEvent& key) { return key.controlState & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED); }

bool isShiftPressed(const KeyEvent& key) { return key.controlState & SHIFT_PRESSED; }

bool isTypedCharacter(const KeyEvent& key) {
    unsigned char character = static_cast<unsigned char>(key.character);
    return !isControlPressed(key) && !isAltPressed(key) && character >= 0x20 && character != 0x7F;
}
