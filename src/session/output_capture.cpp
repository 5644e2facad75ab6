#include "session/output_capture.h"

#include <cstring>
#include <utility>

#include "foundation/vector_search.h"
#if defined(TINKER_SSE2_SEARCH)
#include <emmintrin.h>
#endif

#include "session/build_session.h"
#include "session/output_window.h"
#include "config/command_resolution.h"
#include "far/host_services.h"
#include "far/message_index.h"
#include "foundation/byte_search.h"
#include "foundation/terminal_escapes.h"
#include "platform/platform.h"

namespace {

const unsigned char kCarriageReturn = 13;
const unsigned char kLineFeed = 10;
const char kEscape = 0x1B;
// While more output waits in the pipe, the view may lag behind the newest line this long.
const int64_t kRedrawIntervalMs = 50;
// The clock is read once for this many stored lines: lines arrive far faster than that.
const int kLinesPerClockReading = 64;

bool tailShown = true;
int64_t lastRedrawMs = 0;
int linesSinceClockReading = 0;

// The live view's first line once the user scrolled it; following the tail when negative.
int heldTop = -1;

int tailTop(const BuildSession& state) {
    int first = state.lineCount() - visibleRows();
    return first < 0 ? 0 : first;
}

void redrawTail(BuildSession& state) {
    state.classifyNewLines();
    if (heldTop < 0) {
        DrawLines(tailTop(state), false);
    } else {
        DrawLines(heldTop, false);
        DrawStatusLabel(hostMessage(MsgMoreOutputBelow));
    }
    tailShown = true;
    lastRedrawMs = platform().clockMilliseconds();
    linesSinceClockReading = 0;
}

// A line with an escape sequence: the sequences go, then the other control bytes become blanks.
int cleanColouredLine(char* text, int length) {
    length = RemoveTerminalEscapes(text, length);
    for (int i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) < 0x20) text[i] = ' ';
    }
    return length;
}

// Turns every byte below 0x20 into a blank, colour codes removed first; most lines have
// none, which whole blocks tell. Returns the line's new length.
int cleanControlBytes(char* text, int length) {
    int i = 0;
#if defined(TINKER_SSE2_SEARCH)
    const __m128i highestControl = _mm_set1_epi8(0x1F);
    const __m128i escape = _mm_set1_epi8(kEscape);
    for (; i + 16 <= length; i += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        unsigned controls = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(block, highestControl), block)));
        if (!controls) continue;
        // The blocks before held no ESC: what they blanked lay outside every sequence.
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(block, escape))) return cleanColouredLine(text, length);
        for (; controls; controls &= controls - 1) text[i + __builtin_ctz(controls)] = ' ';
    }
#endif
    for (; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x20) continue;
        if (text[i] == kEscape) return cleanColouredLine(text, length);
        text[i] = ' ';
    }
    return length;
}

// The first CR or LF from p on, or limit.
const unsigned char* findLineEnd(const unsigned char* p, const unsigned char* limit) {
    return reinterpret_cast<const unsigned char*>(findEitherByte(reinterpret_cast<const char*>(p),
                                                                 reinterpret_cast<const char*>(limit),
                                                                 char(kLineFeed), char(kCarriageReturn)));
}

// Stores a line, colour codes removed and other control bytes turned into blanks (unless it is
// known to have none); it is classified later, many lines at a time, when the chunk has been
// taken in or before the view shows it.
void endLine(BuildSession& state, const char* text, int length, bool mayHoldControlBytes = true) {
    String& stored = state.lines.appendText(text, length);
    if (mayHoldControlBytes && cleanControlBytes(stored.buffer(), length) != length) stored.updateLength();
    state.lineLength = 0;
    tailShown = false;
    if (++linesSinceClockReading < kLinesPerClockReading) return;
    linesSinceClockReading = 0;
    if (platform().clockMilliseconds() - lastRedrawMs >= kRedrawIntervalMs) redrawTail(state);
}

// Line ends found at a time when lines are taken whole from a chunk.
const size_t kLineEndBatch = 256;

// Stores the lines from p on that end in the chunk and fit in a line: their ends are found many
// at a time. A lone CR drops what stands before it, as progress output rewrites its line; a CR
// that ends the chunk, and a line too long, are left to the caller. Where the next line begins.
const unsigned char* storeWholeLines(BuildSession& state, const unsigned char* p, const unsigned char* end,
                                     bool mayHoldControlBytes) {
    for (;;) {
        uint32_t ends[kLineEndBatch + 64];
        size_t searched = 0;
        const char* from = reinterpret_cast<const char*>(p);
        size_t found = collectEitherByteOffsets(from, reinterpret_cast<const char*>(end), char(kLineFeed),
                                                char(kCarriageReturn), ends, kLineEndBatch, &searched);
        const unsigned char* lineStart = p;
        size_t i = 0;
        for (; i < found; ++i) {
            const unsigned char* lineEnd = p + ends[i];
            if (lineEnd - lineStart > state.lineCapacity) break;
            if (*lineEnd == kCarriageReturn) {
                if (lineEnd + 1 == end) break;
                if (lineEnd[1] != kLineFeed) {
                    lineStart = lineEnd + 1;
                    continue;
                }
                if (i + 1 < found && ends[i + 1] == ends[i] + 1) ++i;
            }
            endLine(state, reinterpret_cast<const char*>(lineStart), static_cast<int>(lineEnd - lineStart),
                    mayHoldControlBytes);
            lineStart = lineEnd + (*lineEnd == kCarriageReturn ? 2 : 1);
        }
        if (i < found || found == 0 || lineStart == end) return lineStart;
        p = lineStart;
    }
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
            endLine(state, state.lineBuffer, state.lineLength);
            ++p;
        } else {
            state.lineLength = 0;
        }
    }
    // Most chunks hold no control byte but the line ends: one look at the chunk spares every
    // line of it the look.
    const bool chunkHoldsControlBytes = holdsControlBytes(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(end));
    while (p < end) {
        if (state.lineLength == 0) {
            p = storeWholeLines(state, p, end, chunkHoldsControlBytes);
            if (p == end) break;
        }
        // The ordinary bytes up to the next line end, as far as the line has room. A line that
        // lies whole in the chunk is stored from there; others are assembled in the buffer.
        const unsigned char* limit = end - p > state.lineCapacity - state.lineLength
                                         ? p + (state.lineCapacity - state.lineLength)
                                         : end;
        const unsigned char* stop = findLineEnd(p, limit);
        bool whole = state.lineLength == 0 && stop < end;
        if (!whole) {
            std::memcpy(state.lineBuffer + state.lineLength, p, static_cast<size_t>(stop - p));
            state.lineLength += static_cast<int>(stop - p);
        }
        const char* text = whole ? reinterpret_cast<const char*>(p) : state.lineBuffer;
        int length = whole ? static_cast<int>(stop - p) : state.lineLength;
        const bool mayHoldControlBytes = !whole || chunkHoldsControlBytes;
        p = stop;
        if (p == end) break;
        if (*p == kLineFeed) {
            endLine(state, text, length, mayHoldControlBytes);
            ++p;
        } else if (*p != kCarriageReturn) {
            // The line is full: it ends here, and this byte begins the next one.
            endLine(state, text, length, mayHoldControlBytes);
        } else if (p + 1 == end) {
            // Whether this CR ends the line is told by the next chunk: the line waits in the buffer.
            if (whole) std::memcpy(state.lineBuffer, text, static_cast<size_t>(length));
            state.lineLength = length;
            state.carriageReturnPending = true;
            ++p;
        } else if (p[1] != kLineFeed) {
            // A lone CR: progress output rewrites its line, only what follows counts.
            state.lineLength = 0;
            ++p;
        } else {
            endLine(state, text, length, mayHoldControlBytes);
            p += 2;
        }
    }
    state.classifyNewLines();
    // About to wait for more output: the view shows the newest lines.
    if (!tailShown && !platform().outputWaiting()) redrawTail(state);
}

void FinishCapture() {
    BuildSession& state = session();
    if (state.carriageReturnPending) {
        state.carriageReturnPending = false;
        state.lineLength = 0;
    }
    if (state.lineBuffer && state.lineLength > 0) endLine(state, state.lineBuffer, state.lineLength);
    state.classifyNewLines();
    if (!tailShown) redrawTail(state);
}

void StartLiveView() { heldTop = -1; }

void ScrollLiveView(int rows) {
    BuildSession& state = session();
    state.classifyNewLines();
    int newest = tailTop(state);
    int top = (heldTop < 0 ? newest : heldTop) + rows;
    if (top < 0) top = 0;
    // Scrolled down to the newest lines: the view follows them again.
    heldTop = top >= newest ? -1 : top;
    redrawTail(state);
}

void ScrollLiveViewToTop() {
    BuildSession& state = session();
    heldTop = tailTop(state) > 0 ? 0 : -1;
    redrawTail(state);
}

void FollowLiveView() {
    heldTop = -1;
    redrawTail(session());
}

void RedrawLiveView() { redrawTail(session()); }
