#pragma once

// Puts file names into a configured command so that the program receives each as exactly that
// name: a name is only ever data, never shell code, an option or an environment reference.

#include <functional>

#include "config/configuration_records.h"
#include "foundation/text_string.h"
#include "platform/platform.h"

// The command line that runs the configured command: $0..$9 stand for the placeholder texts,
// $$ for a dollar sign. Environment references are expanded, by expandEnvironment, in the
// command's own text only. Each name is quoted for the place the command puts it in (outside
// quotes, inside double or single quotes) so that it reaches the program intact, and a name
// that starts an argument with '-' is given a leading "./" (".\") so it is not an option.
String ComposeCommandLine(const char* configuredCommand, const PlaceholderTexts& names, CommandSyntax syntax,
                          const std::function<String(const char*)>& expandEnvironment);
