#pragma once

#include <string>

#include "widgets/ui_context.h"
#include "windows/help_file.h"

// A pager over a help topic: Up/Down, PgUp/PgDn, Home/End scroll; Tab and Shift+Tab select
// the next or previous link, Enter follows it, Backspace goes back; Esc or F10 closes.
// The screen under it comes back when it closes. False when the topic does not exist.
bool runHelpViewer(UiContext& ui, const HelpFile& file, const std::string& topic);
