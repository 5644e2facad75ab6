#pragma once

#include <string>
#include <vector>

#include "widgets/ui_context.h"

struct MenuEntry {
    std::string text;  // with '&' before the hotkey
    bool selected = false;
    bool checked = false;
    bool separator = false;
};

struct MenuRequest {
    int x = -1;  // -1: centred
    int y = -1;
    int maxHeight = 0;  // items shown at once; 0: as many as fit
    unsigned flags = 0;  // FMENU_*
    std::string title;
    std::string bottom;
    std::string helpTopic;
    std::vector<int> breakKeys;  // virtual-key codes that end the menu with their index
    std::vector<MenuEntry> entries;
};

struct MenuResult {
    int index = -1;  // the chosen entry, -1 when cancelled
    int breakCode = -1;  // the index of the break key that ended the menu, else -1
};

// A framed menu: Up/Down (wrapping around with FMENU_WRAPMODE), PgUp/PgDn, Home/End, Enter,
// Esc or F10 to cancel, F1 for help, and the hotkey after '&' to choose an entry at once.
// The screen under it comes back when it closes.
MenuResult runMenu(UiContext& ui, const MenuRequest& request);

// An entry's text as FAR shows it (the first lone '&' marks the hotkey and is dropped, unless
// shown literally) and its hotkey's index in it.
struct MenuLabel {
    std::string text;
    int hotkey = -1;
};
MenuLabel menuLabel(const std::string& text, bool showAmpersand);
