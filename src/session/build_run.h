#pragma once

#include "config/configuration_records.h"
#include "foundation/text_string.h"

// Runs a build: with a resolved command its text and parser, with a file name the command
// configured for it, with neither the last build again.
void RunBuild(const String* file, const BuildCommand* resolved);
// Runs the command line and captures its output; 0 when it ran to the end of its output,
// 1 when the pipe could not be set up, 2 when the process could not be started.
int RunCommand(const char* commandLine);
// Shows a message for each pattern turned off in this classification round for running past
// its step budget too often.
void ReportDisabledPatterns();
