#include "build/output_capture.h"

#include "build/build_session.h"
#include "build/output_window.h"
#include "config/command_resolution.h"
#include "platform/platform.h"

namespace {

const unsigned char kCarriageReturn = 13;
const unsigned char kLineFeed = 10;
// While more output waits in the pipe, the view may lag behind the newest line this long.
const int64_t kRedrawIntervalMs = 50;

bool tailShown = true;
int64_t lastRedrawMs = 0;

void redrawTail() {
    BuildSession& state = session();
    int first = state.lineCount() - visibleRows();
    DrawLines(first < 0 ? 0 : first, false);
    tailShown = true;
    lastRedrawMs = platform().clockMilliseconds();
}

// Stores the assembled line, control bytes turned into blanks, with its classification.
void endLine() {
    BuildSession& state = session();
    char* text = state.lineBuffer;
    for (int i = 0; i < state.lineLength; ++i) {
        if (static_cast<unsigned char>(text[i]) < 0x20) text[i] = ' ';
    }
    text[state.lineLength] = 0;
    String line;
    line.assignPart(text, 0, state.lineLength);
    LineMatch match;
    bool matched = ClassifyLine(state.currentParser.text(), line, match) != 0;
    state.appendLine(line, matched ? &match : nullptr);
    state.lineLength = 0;
    tailShown = false;
    if (platform().clockMilliseconds() - lastRedrawMs >= kRedrawIntervalMs) redrawTail();
}

void appendByte(unsigned char byte) {
    BuildSession& state = session();
    state.lineBuffer[state.lineLength++] = static_cast<char>(byte);
}

}  // namespace

void CaptureOutput(const char* bytes, unsigned count) {
    BuildSession& state = session();
    if (!state.lineBuffer || state.lineCapacity <= 0) return;
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes);
    for (unsigned i = 0; i < count; ++i) {
        unsigned char byte = data[i];
        if (state.carriageReturnPending) {
            // The CR that ended the previous chunk: with this LF it ends a line, alone it
            // discards the partial line.
            state.carriageReturnPending = false;
            if (byte == kLineFeed) {
                endLine();
                continue;
            }
            state.lineLength = 0;
        }
        if (byte != kCarriageReturn && byte != kLineFeed && state.lineLength < state.lineCapacity) {
            appendByte(byte);
        } else if (byte == kCarriageReturn && i + 1 == count) {
            state.carriageReturnPending = true;
        } else if (byte == kCarriageReturn && data[i + 1] != kLineFeed) {
            state.lineLength = 0;
        } else {
            endLine();
            if (byte == kCarriageReturn) {
                ++i;
            } else if (byte != kLineFeed) {
                // The line was full: this byte begins the next one instead of being lost.
                appendByte(byte);
            }
        }
    }
    // About to wait for more output: the view shows the newest lines.
    if (!tailShown && !platform().outputWaiting()) redrawTail();
}

void FinishCapture() {
    BuildSession& state = session();
    if (state.carriageReturnPending) {
        state.carriageReturnPending = false;
        state.lineLength = 0;
    }
    if (state.lineBuffer && state.lineLength > 0) endLine();
    if (!tailShown) redrawTail();
}
