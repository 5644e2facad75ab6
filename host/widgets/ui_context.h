#pragma once

#include <functional>

#include "terminal/display.h"
#include "terminal/key_source.h"

// What the host's windows and dialogs work with: the screen and the keys. A dialog needs
// nothing from above it: what it cannot do itself (show help) it reports to its caller.
struct UiContext {
    Display& display;
    KeySource& keys;
};

enum class KeyWait { Key, Resized, Ended };

// Shows the screen, then waits for the next key press (releases and other records are skipped).
// A resize is applied to the display before Resized is reported.
KeyWait waitForKey(UiContext& ui, KeyEvent& key);
// Runs a modal window over what the screen shows: draws it, waits for a key and hands it to
// handleKey until that returns true or the keys end; a resize redraws it over the restored
// screen. The screen under it is put back at the end.
void runModal(UiContext& ui, const std::function<void()>& draw, const std::function<bool(const KeyEvent&)>& handleKey);
// Applies a pending terminal resize to the display; true when there was one.
bool applyPendingResize(UiContext& ui);

bool isControlPressed(const KeyEvent& key);
bool isAltPressed(const KeyEvent& key);
bool isShiftPressed(const KeyEvent& key);
// A key that types its character: no Ctrl or Alt, and a printable byte.
bool isTypedCharacter(const KeyEvent& key);
