#pragma once

#include "config/configuration_records.h"
#include "config/line_match.h"
#include "foundation/list.h"
#include "foundation/text_string.h"
#include "regex/regex.h"

// Every match is made with room for ten capture slots: the whole match and groups 1 to 9.
const int kCaptureSlotCount = 10;
typedef CaptureSpan CaptureSlots[kCaptureSlotCount];

// The command text with $0..$9 replaced by the slots' text of the subject and $$ by $.
String ExpandPlaceholders(const String& command, const CaptureSlots& slots, const char* subject);

// Appends a composed copy of every command of every file type whose name pattern matches the
// file text, in file order; returns the list's element count.
int FindCommandsForFile(const String& file, List<BuildCommand>& commands);

// Composes the command registered for the prefix from the text after it; 1 when found and its
// file type accepts the text, 0 otherwise.
int ResolvePrefixCommand(const char* prefix, const char* argument, BuildCommand& command);

// Classifies an output line with the named parser: 0 for no match (the match is left as it
// was), MatchError or MatchWarning with the match filled in.
int ClassifyLine(const char* parserName, const String& line, LineMatch& match);
