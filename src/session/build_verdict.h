#pragma once

#include <cstdint>

#include "foundation/text_string.h"
#include "platform/platform.h"

// The one line that says how a build went, e.g. "exit 2, 3 errors, 1 warning, 4 s": shown in
// the output window and the console title, never stored among the output lines.

// Counts the errors and warnings among the session's lines and puts the verdict together from
// the language file's texts.
String MakeVerdict(const RunOutcome& outcome, int64_t seconds);
