#include "foundation/terminal_escapes.h"

#include <cstring>

namespace {

const char kEscape = 0x1B;
const char kBell = 0x07;

bool isCsiParameterOrIntermediate(unsigned char byte) { return byte >= 0x20 && byte <= 0x3F; }
bool isCsiFinal(unsigned char byte) { return byte >= 0x40 && byte <= 0x7E; }
bool isIntermediate(unsigned char byte) { return byte >= 0x20 && byte <= 0x2F; }

// The end of the sequence whose ESC stands at start.
int sequenceEnd(const char* text, int length, int start) {
    int i = start + 1;
    if (i == length) return i;
    if (text[i] == '[') {
        for (++i; i < length && isCsiParameterOrIntermediate(static_cast<unsigned char>(text[i])); ++i) {
        }
        // A byte that cannot end the sequence aborts it and stays, as in a terminal.
        return i < length && isCsiFinal(static_cast<unsigned char>(text[i])) ? i + 1 : i;
    }
    if (text[i] == ']') {
        for (++i; i < length; ++i) {
            if (text[i] == kBell) return i + 1;
            if (text[i] == kEscape && i + 1 < length && text[i + 1] == '\\') return i + 2;
        }
        return length;
    }
    // ESC, intermediate bytes (as in ESC ( B) and one final byte.
    while (i < length && isIntermediate(static_cast<unsigned char>(text[i]))) ++i;
    return i < length ? i + 1 : i;
}

}  // namespace

int RemoveTerminalEscapes(char* text, int length) {
    const void* first = std::memchr(text, kEscape, static_cast<size_t>(length));
    if (!first) {
        text[length] = 0;
        return length;
    }
    int kept = static_cast<int>(static_cast<const char*>(first) - text);
    for (int i = kept; i < length;) {
        if (text[i] == kEscape) {
            i = sequenceEnd(text, length, i);
        } else {
            text[kept++] = text[i++];
        }
    }
    text[kept] = 0;
    return kept;
}
