#pragma once

#include <cstdio>
#include <cstring>
#include <string>

// The oracle for what the host writes to the terminal: apart from its own cursor movements,
// colours and cursor visibility (ESC [ digits ; ? then H, m, h or l), nothing in the bytes may
// be a control the terminal acts on: no other escape, C0 control, DEL or C1 control (as UTF-8
// when the terminal takes UTF-8, as a raw byte otherwise), and no broken UTF-8 that a terminal
// could read some other way.
inline std::string firstTerminalAction(const std::string& bytes, bool utf8) {
    auto describe = [&](size_t at, const char* what) {
        char text[96];
        std::snprintf(text, sizeof text, "%s at byte %zu (0x%02X)", what, at,
                      static_cast<unsigned>(static_cast<unsigned char>(bytes[at])));
        return std::string(text);
    };
    size_t at = 0;
    while (at < bytes.size()) {
        unsigned byte = static_cast<unsigned char>(bytes[at]);
        if (byte == 0x1B) {
            size_t end = at + 1;
            if (end >= bytes.size() || bytes[end] != '[') return describe(at, "an escape other than CSI");
            ++end;
            while (end < bytes.size() && std::strchr("0123456789;?", bytes[end]) && bytes[end] != '\0') ++end;
            if (end >= bytes.size() || !std::strchr("Hmhl", bytes[end]) || bytes[end] == '\0') {
                return describe(at, "a control sequence the renderer does not write");
            }
            at = end + 1;
            continue;
        }
        if (byte < 0x20 || byte == 0x7F) return describe(at, "a C0 control or DEL");
        if (byte < 0x80) {
            ++at;
            continue;
        }
        if (!utf8) {
            if (byte <= 0x9F) return describe(at, "an 8-bit C1 control");
            ++at;
            continue;
        }
        size_t length = byte >= 0xF0 && byte < 0xF5 ? 4 : byte >= 0xE0 && byte < 0xF0 ? 3 : byte >= 0xC2 && byte < 0xE0 ? 2 : 0;
        if (length == 0 || at + length > bytes.size()) return describe(at, "broken UTF-8");
        unsigned code = byte & (0x7F >> length);
        for (size_t i = 1; i < length; ++i) {
            unsigned next = static_cast<unsigned char>(bytes[at + i]);
            if ((next & 0xC0) != 0x80) return describe(at, "broken UTF-8");
            code = (code << 6) | (next & 0x3F);
        }
        static const unsigned smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return describe(at, "broken UTF-8");
        }
        if (code <= 0x9F) return describe(at, "a C1 control as UTF-8");
        at += length;
    }
    return std::string();
}
