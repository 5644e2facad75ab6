#pragma once

// Consumes one chunk read from the build's pipe: cuts it into lines, classifies and stores
// each line and keeps the view on the newest lines.
void CaptureOutput(const char* bytes, unsigned count);
// The output ended: stores the unfinished last line and shows the final tail.
void FinishCapture();

// The live view while output arrives: it follows the newest lines until scrolled; then it
// stays where it was put, marked, until scrolled back down to the newest lines or told to
// follow again.
void StartLiveView();
void ScrollLiveView(int rows);
void ScrollLiveViewToTop();
void FollowLiveView();
// Draws the live view as it stands (after a dialog covered it, say).
void RedrawLiveView();
