#pragma once

#include <functional>

#include "config/configuration_records.h"
#include "config/folder_messages.h"
#include "config/line_match.h"
#include "foundation/list.h"
#include "foundation/string_list.h"
#include "foundation/text_string.h"
#include "regex/regex.h"

// Every match is made with room for ten capture slots: the whole match and groups 1 to 9.
const int kCaptureSlotCount = 10;
typedef CaptureSpan CaptureSlots[kCaptureSlotCount];

// Appends a copy of every command of every file type whose name pattern matches the file text,
// in file order, with the texts its placeholders stand for; returns the list's element count.
int FindCommandsForFile(const String& file, List<BuildCommand>& commands);

// The command registered for the prefix, with the texts its placeholders stand for in the text
// after it; 1 when found and its file type accepts the text, 0 otherwise.
int ResolvePrefixCommand(const char* prefix, const char* argument, BuildCommand& command);

// Starts a classification round (a build, a load): every pattern gets its full allowance of
// step budgets back.
void StartClassificationRound();
// Moves to names "parser: pattern" for every pattern that ran past its step budget so often in
// this round that it was turned off for the rest of it; each is named once.
void TakeDisabledPatterns(StringList& names);

// Classifies an output line with the named parser: 0 for no match (the match is left as it
// was), MatchError, MatchWarning or MatchNote with the match filled in.
int ClassifyLine(const char* parserName, const String& line, LineMatch& match);
// How the named parser's tool counts columns (a ColumnKind); characters for an unknown parser.
int ParserColumnKind(const char* parserName);

// Classifies the lines from index first on, in order, calling matched(index, match) for every
// line the parser matches, until it returns false; the match is used again for the next line,
// so what is kept of it is copied. A parser whose every pattern has a gate passes over the
// lines that lack them all by scanning the text they are stored in, many lines at a time; the
// matches are those of ClassifyLine. A run from the first line fits that scan to the text,
// later runs (the next lines of a growing output) keep the fit. With folderChanged, a line
// where make or ninja enters or leaves a folder is passed to it too, with the folder's span in
// it, before its match.
void ClassifyStoredLines(const char* parserName, StringList& lines, int first,
                         const std::function<bool(int, LineMatch&)>& matched,
                         const std::function<void(const String&, FolderChange, const CaptureSpan&)>& folderChanged = nullptr);

// Appends to matching the names of those parsers among names that match at least one of the
// lines, in the order of names. After a look at the start of the output, the parsers still in
// question whose every pattern has a gate are searched for together, in one search of the text.
void FindParsersMatchingLines(StringList& names, StringList& lines, StringList& matching);
