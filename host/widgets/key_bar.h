#pragma once

#include <string>
#include <vector>

#include "terminal/display.h"

// The bottom line of function keys: "1Help 2 3View ..." with the labels of F1 onwards.
void drawKeyBar(Display& display, int y, int width, const std::vector<std::string>& labels);
