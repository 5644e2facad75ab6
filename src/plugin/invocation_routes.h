#pragma once

#include "far/plugin_api.h"

// Decides what an OpenPlugin call asks for (a build from the command line, an editor menu
// action, a plug-ins menu action) and carries it out.
void routeInvocation(int openFrom, INT_PTR item);
