#pragma once

#include <string>
#include <vector>

#include "widgets/ui_context.h"

// A framed message: the first item is the title, the last `buttons` items are the buttons,
// the items between are the lines (long ones wrapped, "\n" starts a new line). Returns the
// chosen button (Enter, or the button's hotkey), -1 for Esc. Without buttons the message is
// drawn and left on the screen, and the call returns at once with -1.
int runMessageBox(UiContext& ui, const std::vector<std::string>& items, int buttons);

// Lines of at most width bytes, broken at blanks where possible.
std::vector<std::string> wrapText(const std::string& text, int width);
