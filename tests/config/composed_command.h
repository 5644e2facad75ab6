#pragma once

// The command line a resolved command runs as under /bin/sh, for checking what resolution kept.

#include <string>

#include "config/configuration_records.h"
#include "session/command_composition.h"

inline std::string composedCommand(const BuildCommand& command) {
    return ComposeCommandLine(command.command.text(), command.placeholders, CommandSyntax::PosixShell,
                              [](const char* text) { return String(text); })
        .text();
}
