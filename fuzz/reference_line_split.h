#pragma once

#include <string>
#include <vector>

// How a build's whole output becomes lines, written as plainly as possible to check the
// capture against: LF or CR LF ends a line; a CR followed by anything else, or ending the
// output, throws away what came before it on that line (a progress display redrawing itself);
// a line that reached the capacity ends there and the next byte begins a new line; an
// unfinished last line is kept. Escape sequences in a line go, its other control bytes become
// blanks.
std::vector<std::string> referenceLineSplit(const std::string& output, size_t capacity);
