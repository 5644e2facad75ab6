#pragma once

#include "far/plugin_api.h"
#include "foundation/string_list.h"
#include "foundation/text_string.h"

// The plug-in's one door to its host: the copy of the host's service table and the few
// operations every part of the plug-in calls through it.

// Keeps a copy of the host's table and takes the plug-in directory from its ModuleName.
void bindHost(const PluginStartupInfo& info);
const PluginStartupInfo& host();
// The module's directory, ending in its path separator; empty when the name has none.
const String& pluginDirectory();

// The host's control services, answering 0 when the host lacks them.
INT_PTR hostAdvancedControl(int command, void* parameter);
int hostEditorControl(int command, void* parameter);
// Makes the window at that position of the host's window list the current one.
void hostSwitchToWindow(int position);

// The text of a message index from the plug-in's language file, or none.
const char* hostMessage(int index);
// The plug-in's message box: "Tinker", the text and an "Ok" button.
int ShowMessage(const char* text);
// A text as a FAR menu shows it, for use where FAR shows text as it is (titles, messages): the
// first lone '&' marks the hotkey and is dropped, "&&" before it is one '&'.
String withoutHotkeyMark(const char* text);
// A numbered menu over the items ("&1 " and so on: the digits are the hotkeys, so any later '&'
// in an item shows as written); the chosen 0-based index, or -1 when cancelled.
int ChooseFromMenu(const char* title, StringList& items, int preselected);
// Fills a format with one "%s" from the language file safely: any other directive is kept as
// written and a format without "%s" stays as it is.
String formatMessage(const char* format, const char* argument);
