#pragma once

#include "foundation/text_string.h"

// Loads a saved output file into the session, classified with a parser found by trying every
// configured parser on its lines (the user chooses when several apply); false when nothing is
// to be shown.
bool LoadOutputFile(const String& path);
// Loads the output file again when it changed since it was loaded.
void RefreshLoadedOutput();
