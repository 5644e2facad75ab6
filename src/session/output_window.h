#pragma once

#include "far/plugin_api.h"

// Refreshes the console size (and the line buffer with it), optionally saves the screen, and
// clears the window's rows; returns the saved-screen handle (none when not saving).
HANDLE ClearWindowArea(bool saveScreen);
// Draws the output from line first, the selected line highlighted when asked.
void DrawLines(int first, bool highlight);
// Opens the console and hides its cursor; RestoreCursor puts it back and closes the console.
void HideCursor();
void RestoreCursor();
// The output window's key loop; returns when the user leaves it.
void OutputWindow();

// Rows of the window and the console row it starts at, for the current mode.
int visibleRows();
int windowFirstRow();
// Scrolls the window so that the selected line shows; in the band, with the line after it
// shown too where there is one, so that the selection does not sit on the band's edge.
void scrollToSelected();
