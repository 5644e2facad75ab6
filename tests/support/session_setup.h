#pragma once

#include <string>
#include <vector>

// Fills the session with lines; a line "E:file:line:col text" or "W:..." gets that match,
// any other line none.
void fillSession(const std::vector<std::string>& lines);
