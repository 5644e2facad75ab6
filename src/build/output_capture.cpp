#include "build/output_capture.h"

#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "build/build_session.h"
#include "build/output_window.h"
#include "config/command_resolution.h"
#include "platform/platform.h"

namespace {

const unsigned char kCarriageReturn = 13;
const unsigned char kLineFeed = 10;
// While more output waits in the pipe, the view may lag behind the newest line this long.
const int64_t kRedrawIntervalMs = 50;
// The clock is read once for this many stored lines: lines arrive far faster than that.
const int kLinesPerClockReading = 64;

bool tailShown = true;
int64_t lastRedrawMs = 0;
int linesSinceClockReading = 0;

void redrawTail(BuildSession& state) {
    int first = state.lineCount() - visibleRows();
    DrawLines(first < 0 ? 0 : first, false);
    tailShown = true;
    lastRedrawMs = platform().clockMilliseconds();
    linesSinceClockReading = 0;
}

// Turns every byte below 0x20 into a blank; most lines have none, which whole blocks tell.
void blankControlBytes(char* text, int length) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i highestControl = _mm_set1_epi8(0x1F);
    for (; i + 16 <= length; i += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        unsigned controls = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(block, highestControl), block)));
        for (; controls; controls &= controls - 1) text[i + __builtin_ctz(controls)] = ' ';
    }
#endif
    for (; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) < 0x20) text[i] = ' ';
    }
}

// The first CR or LF from p on, or limit.
const unsigned char* findLineEnd(const unsigned char* p, const unsigned char* limit) {
    const void* lineFeed = std::memchr(p, kLineFeed, static_cast<size_t>(limit - p));
    const unsigned char* stop = lineFeed ? static_cast<const unsigned char*>(lineFeed) : limit;
    const void* carriageReturn = std::memchr(p, kCarriageReturn, static_cast<size_t>(stop - p));
    return carriageReturn ? static_cast<const unsigned char*>(carriageReturn) : stop;
}

// Stores the assembled line, control bytes turned into blanks, with its classification.
void endLine(BuildSession& state) {
    blankControlBytes(state.lineBuffer, state.lineLength);
    int length = state.lineLength;
    state.lineLength = 0;
    state.appendClassifiedLine(state.lineBuffer, length);
    tailShown = false;
    if (++linesSinceClockReading < kLinesPerClockReading) return;
    linesSinceClockReading = 0;
    if (platform().clockMilliseconds() - lastRedrawMs >= kRedrawIntervalMs) redrawTail(state);
}

}  // namespace

void CaptureOutput(const char* bytes, unsigned count) {
    BuildSession& state = session();
    if (!state.lineBuffer || state.lineCapacity <= 0 || count == 0) return;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* end = p + count;
    if (state.carriageReturnPending) {
        // The CR that ended the previous chunk: with this LF it ends a line, alone it discards
        // the partial line.
        state.carriageReturnPending = false;
        if (*p == kLineFeed) {
            endLine(state);
            ++p;
        } else {
            state.lineLength = 0;
        }
    }
    while (p < end) {
        // The ordinary bytes up to the next line end, as far as the line has room.
        const unsigned char* limit = end - p > state.lineCapacity - state.lineLength
                                         ? p + (state.lineCapacity - state.lineLength)
                                         : end;
        const unsigned char* stop = findLineEnd(p, limit);
        std::memcpy(state.lineBuffer + state.lineLength, p, static_cast<size_t>(stop - p));
        state.lineLength += static_cast<int>(stop - p);
        p = stop;
        if (p == end) break;
        if (*p == kLineFeed) {
            endLine(state);
            ++p;
        } else if (*p != kCarriageReturn) {
            // The line is full: it ends here, and this byte begins the next one.
            endLine(state);
        } else if (p + 1 == end) {
            state.carriageReturnPending = true;
            ++p;
        } else if (p[1] != kLineFeed) {
            // A lone CR: progress output rewrites its line, only what follows counts.
            state.lineLength = 0;
            ++p;
        } else {
            endLine(state);
            p += 2;
        }
    }
    // About to wait for more output: the view shows the newest lines.
    if (!tailShown && !platform().outputWaiting()) redrawTail(state);
}

void FinishCapture() {
    BuildSession& state = session();
    if (state.carriageReturnPending) {
        state.carriageReturnPending = false;
        state.lineLength = 0;
    }
    if (state.lineBuffer && state.lineLength > 0) endLine(state);
    if (!tailShown) redrawTail(state);
}
