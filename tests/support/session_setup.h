#pragma once

#include <string>
#include <vector>

// Fills the session with lines; a line "E:file:line:col text", "W:..." or "N:..." gets that match,
// any other line none.
void fillSession(const std::vector<std::string>& lines);
