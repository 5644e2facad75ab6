#pragma once

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
// Applies a pending terminal resize to the display; true when there was one.
bool applyPendingResize(UiContext& ui);

bool isControlPressed(const KeyEvent& key);
bool isAltPressed(const KeyEvent& key);
bool isShiftPressed(const KeyEvent& key);
// A key that types its character: no Ctrl or Alt, and a printable byte.
bool isTypedCharacter(const KeyEvent& key);
