#pragma once

#include <cstddef>
#include <cstdint>

// Text from outside (file names, build output, messages) written straight to a terminal must
// not carry anything the terminal acts on: a control character in it could set the title,
// write the clipboard or erase the screen. These helpers find such characters and put a
// visible '?' in their place, byte for byte, so that the text keeps its length.

// C0 controls, DEL and the C1 controls U+0080-U+009F.
inline bool isTerminalControl(uint32_t code) { return code < 0x20 || (code >= 0x7F && code <= 0x9F); }

// True when the locale's characters are UTF-8 (then the terminal is taken to be UTF-8 too).
bool localeTakesUtf8();

// Replaces every byte the terminal could act on with '?'. utf8: whole UTF-8 characters that
// are controls or unprintable (wcwidth -1) and bytes that form no character are replaced;
// otherwise each control byte, the 8-bit C1 bytes 0x80-0x9F among them.
void replaceTerminalControls(char* text, size_t length, bool utf8);
