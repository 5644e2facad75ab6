#include <cstring>

#include "xml/xml_reader.h"

namespace {

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int digitValue(char c, int base) {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "&#" digits or "&#x" hex digits at from: the byte written to *out and the position after
// the reference, or none. The digits are read by hand rather than with strtol, which would
// also take blanks, a sign or a "0x" before them; the value saturates as a 32-bit long would.
const char* readCharacterReference(const char* from, char* out) {
    int base = 10;
    const char* digits = from + 2;
    if (*digits == 'x') {
        base = 16;
        ++digits;
    }
    if (digitValue(*digits, base) < 0) return nullptr;
    const long kLongMax = 2147483647L;
    long value = 0;
    for (; digitValue(*digits, base) >= 0; ++digits) {
        long digit = digitValue(*digits, base);
        value = value > (kLongMax - digit) / base ? kLongMax : value * base + digit;
    }
    *out = static_cast<char>(static_cast<unsigned char>(value & 0xFF));
    // The byte after the digits is normally ";"; the text's terminator is never skipped.
    return *digits ? digits + 1 : digits;
}

struct NamedEntity {
    const char* text;
    size_t length;
    char byte;
};

const NamedEntity kNamedEntities[] = {
    {"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {"&quot;", 6, '"'}, {"&apos;", 6, '\''},
};

}  // namespace

char* xmlDecodeText(char* text) {
    if (!text) return text;
    const char* read = text;
    char* write = text;
    bool pendingSpace = false;
    while (*read) {
        if (isXmlSpace(*read)) {
            // A run becomes one blank, and only when something follows it.
            pendingSpace = write != text;
            while (isXmlSpace(*read)) ++read;
            continue;
        }
        if (pendingSpace) {
            *write++ = ' ';
            pendingSpace = false;
        }
        if (*read == '&') {
            char byte = 0;
            if (read[1] == '#') {
                if (const char* after = readCharacterReference(read, &byte)) {
                    *write++ = byte;
                    read = after;
                    continue;
                }
            }
            bool named = false;
            for (const NamedEntity& entity : kNamedEntities) {
                if (std::strncmp(read, entity.text, entity.length) == 0) {
                    *write++ = entity.byte;
                    read += entity.length;
                    named = true;
                    break;
                }
            }
            if (named) continue;
        }
        *write++ = *read++;
    }
    *write = '\0';
    return text;
}
