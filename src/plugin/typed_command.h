#pragma once

// "Run command...": the user types (or edits the last) command, and it runs as a build.

// Asks for the command in an input box holding the last one, with the host's history of earlier
// ones, and builds it with the last parser (chosen from all parsers when there is none yet).
void RunTypedCommand();
