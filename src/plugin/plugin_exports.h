#pragma once

#include "far/plugin_api.h"

// The module's four entry points, as the host looks them up by name.
extern "C" {
void WINAPI SetStartupInfo(const PluginStartupInfo* info);
void WINAPI GetPluginInfo(PluginInfo* info);
HANDLE WINAPI OpenPlugin(int openFrom, INT_PTR item);
void WINAPI ExitFAR();
}
