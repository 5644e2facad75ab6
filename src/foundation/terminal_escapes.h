#pragma once

// Tools that colour their output (gcc with -fdiagnostics-color, anything under CLICOLOR_FORCE)
// wrap words in terminal escape sequences; the stored and classified line is the text without
// them, as a terminal would show it.

// Removes every escape sequence from the first length bytes of text, in place: CSI (ESC [,
// parameters, one final byte), OSC (ESC ], up to BEL or ESC \) and the short ones (ESC, any
// intermediate bytes, one final byte). A sequence cut off by the end of the text is removed up to there. Every other
// byte stays in its order. Returns the new length and puts a zero byte behind it.
int RemoveTerminalEscapes(char* text, int length);
