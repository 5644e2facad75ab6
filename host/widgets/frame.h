#pragma once

#include <string>

#include "terminal/display.h"

// A rectangle of the screen.
struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A box of the size centred on a screen (at (x, y) instead when they are not -1), kept on it.
Box placeBox(int screenWidth, int screenHeight, int width, int height, int x = -1, int y = -1);
// Fills the box and draws its frame with a title centred in the top line and a text in the
// bottom line (either may be empty).
void drawFrame(Display& display, const Box& box, uint8_t attribute, bool doubleLine, const std::string& title,
               const std::string& bottom = std::string());
// The text cut to at most width bytes.
std::string fitText(const std::string& text, int width);
// Writes text centred in a line of the given width starting at x.
void drawCentred(Display& display, int x, int y, int width, uint8_t attribute, const std::string& text);
