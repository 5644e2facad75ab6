#pragma once

// Consumes one chunk read from the build's pipe: cuts it into lines, classifies and stores
// each line and keeps the view on the newest lines.
void CaptureOutput(const char* bytes, unsigned count);
// The output ended: stores the unfinished last line and shows the final tail.
void FinishCapture();
