#include "platform/posix/terminal_text.h"

#include <langinfo.h>
#include <wchar.h>

#include <cstring>

namespace {

// The length of the UTF-8 character at text and its code point; 0 when the bytes there form
// none (a stray continuation byte, an overlong form, a surrogate, a cut sequence).
size_t utf8Character(const unsigned char* text, size_t available, uint32_t& code) {
    unsigned lead = text[0];
    size_t length = lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 && lead < 0xF0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
    if (length == 0 || length > available) return 0;
    code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80) return 0;
        code = (code << 6) | (text[i] & 0x3F);
    }
    static const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

bool localeTakesUtf8() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

void replaceTerminalControls(char* text, size_t length, bool utf8) {
    auto* bytes = reinterpret_cast<unsigned char*>(text);
    size_t index = 0;
    while (index < length) {
        unsigned byte = bytes[index];
        if (byte < 0x80 || !utf8) {
            if (isTerminalControl(byte)) bytes[index] = '?';
            ++index;
            continue;
        }
        uint32_t code = 0;
        size_t size = utf8Character(bytes + index, length - index, code);
        if (size == 0) {
            bytes[index++] = '?';
            continue;
        }
        if (isTerminalControl(code) || wcwidth(static_cast<wchar_t>(code)) < 0) std::memset(bytes + index, '?', size);
        index += size;
    }
}
