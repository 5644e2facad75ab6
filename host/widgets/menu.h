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
    bool helpAsked = false;  // F1 on a menu with a help topic
};

// An entry's text as FAR shows it (the first lone '&' marks the hotkey and is dropped, unless
// shown literally) and its hotkey's index in it.
struct MenuLabel {
    std::string text;
    int hotkey = -1;
};
MenuLabel menuLabel(const std::string& text, bool showAmpersand);

// A framed menu: Up/Down (wrapping around with FMENU_WRAPMODE), PgUp/PgDn, Home/End, Enter,
// Esc or F10 to cancel, and the hotkey after '&' to choose an entry at once. The screen under
// it comes back when run() returns. F1 on a menu with a help topic ends run() with helpAsked:
// the caller shows the topic and runs the menu again, which carries on where it was.
class Menu {
public:
    Menu(UiContext& ui, const MenuRequest& request);
    MenuResult run();

private:
    int count() const { return static_cast<int>(request_.entries.size()); }
    bool selectable(int i) const { return !request_.entries[i].separator; }
    int step(int from, int direction, bool wrap) const;
    int visibleRows() const;
    void draw();
    bool handleKey(const KeyEvent& key, MenuResult& result);

    UiContext& ui_;
    const MenuRequest& request_;
    std::vector<MenuLabel> labels_;
    int selected_ = -1;
    int top_ = 0;
};

// Runs a menu without a help topic to its end.
MenuResult runMenu(UiContext& ui, const MenuRequest& request);
