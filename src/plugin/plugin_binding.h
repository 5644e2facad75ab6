#pragma once

#include "far/plugin_api.h"

// What the four entry points do, without the exception guard of the module entry.
void pluginStartup(const PluginStartupInfo& info);
void pluginDescribe(PluginInfo& info);
void pluginOpen(int openFrom, INT_PTR item);
void pluginExit();
// Tells the user that memory ran out; never throws.
void reportOutOfMemory();

// The command-prefix text announced to the host: "make" and the configured prefixes, in lower
// case, cut to whole prefixes within the host's 1023 characters.
const char* announcedCommandPrefix();
