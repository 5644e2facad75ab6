#pragma once

#include "foundation/text_string.h"

// Tools count columns their own way: clang and cl the n-th character, gcc the n-th screen
// column with a tab stopping at every eighth. An editor is put on the character they mark.

// Tab stops of the screen columns that gcc counts.
const int kToolTabSize = 8;

// The 0-based character of the text that covers the 1-based screen column; behind the text's
// end, as many characters further as the columns go on.
int CharacterAtDisplayColumn(const char* text, int length, int column);
// Reads the 1-based line of the file, without its line end; false when there is no such line.
bool ReadFileLine(const char* path, int line, String& text);
