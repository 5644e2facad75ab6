#pragma once

#include "foundation/list.h"
#include "foundation/text_string.h"

// A list of owned strings that can be loaded from and saved to a text file, one line each.
class StringList : public List<String> {
public:
    // Appends every line of the file (without its line end); false when it cannot be opened.
    // A line of a mebibyte or more comes in pieces of just under a mebibyte.
    bool loadLines(const char* path);
    // Writes every element followed by a line end; false when the file cannot be created.
    bool saveLines(const char* path);
    // Clears target and fills it with a copy of the elements in unsigned byte order.
    void sortInto(StringList& target);
};
