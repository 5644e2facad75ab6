#pragma once

#include <functional>
#include <string>

#include "terminal/display.h"
#include "terminal/key_source.h"

// What the host's windows and dialogs work with: the screen, the keys, and the two things
// only the host as a whole can do (apply a terminal resize, show a help topic).
struct UiContext {
    Display& display;
    KeySource& keys;
    // Applies a pending terminal resize to the display; true when the size changed.
    std::function<bool()> applyResize;
    // Shows a topic of the plug-in's help file.
    std::function<void(const std::string& topic)> showHelp;
};

enum class KeyWait { Key, Resized, Ended };

// Shows the screen, then waits for the next key press (releases and other records are skipped).
KeyWait waitForKey(UiContext& ui, KeyEvent& key);

bool isControlPressed(const KeyEvent& key);
bool isAltPressed(const KeyEvent& key);
bool isShiftPressed(const KeyEvent& key);
// A key that types its character: no Ctrl or Alt, and a printable byte.
bool isTypedCharacter(const KeyEvent& key);
