#include "platform/posix/terminal_keys.h"

#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

#include "far/win_types.h"

namespace {

// How long the rest of an escape sequence may take to arrive after its ESC.
const int kSequenceTimeoutMs = 50;

KeyEvent keyEvent(int virtualKey, unsigned controlState = 0, char character = 0) {
    KeyEvent event;
    event.isKey = true;
    event.keyDown = true;
    event.virtualKey = virtualKey;
    event.controlState = controlState;
    event.character = character;
    return event;
}

// xterm encodes modifiers as 1 + (shift 1 | alt 2 | ctrl 4).
unsigned modifierState(int parameter) {
    if (parameter < 2) return 0;
    int bits = parameter - 1;
    unsigned state = 0;
    if (bits & 1) state |= SHIFT_PRESSED;
    if (bits & 2) state |= LEFT_ALT_PRESSED;
    if (bits & 4) state |= LEFT_CTRL_PRESSED;
    return state;
}

int letterKey(int final) {
    switch (final) {
        case 'A': return VK_UP;
        case 'B': return VK_DOWN;
        case 'C': return VK_RIGHT;
        case 'D': return VK_LEFT;
        case 'H': return VK_HOME;
        case 'F': return VK_END;
        case 'P': return VK_F1;
        case 'Q': return VK_F2;
        case 'R': return VK_F3;
        case 'S': return VK_F4;
        default: return 0;
    }
}

int tildeKey(int code) {
    switch (code) {
        case 1: case 7: return VK_HOME;
        case 2: return VK_INSERT;
        case 3: return VK_DELETE;
        case 4: case 8: return VK_END;
        case 5: return VK_PRIOR;
        case 6: return VK_NEXT;
        case 11: return VK_F1;
        case 12: return VK_F2;
        case 13: return VK_F3;
        case 14: return VK_F4;
        case 15: return VK_F5;
        case 17: return VK_F6;
        case 18: return VK_F7;
        case 19: return VK_F8;
        case 20: return VK_F9;
        case 21: return VK_F10;
        case 23: return VK_F11;
        case 24: return VK_F12;
        default: return 0;
    }
}

// After "ESC [": parameters separated by ';' and one final byte.
bool readCsi(TerminalByteSource& source, KeyEvent& event) {
    int parameters[4] = {0, 0, 0, 0};
    int parameterCount = 0;
    int byte = source.readByte(kSequenceTimeoutMs);
    if (byte == '[') {
        // The Linux console's F1 to F5: ESC [ [ A .. E.
        byte = source.readByte(kSequenceTimeoutMs);
        if (byte >= 'A' && byte <= 'E') {
            event = keyEvent(VK_F1 + (byte - 'A'));
            return true;
        }
        event = keyEvent(0);
        return byte >= 0;
    }
    while (byte >= 0 && (std::isdigit(byte) || byte == ';')) {
        if (byte == ';') {
            if (parameterCount < 3) ++parameterCount;
        } else {
            parameters[parameterCount] = parameters[parameterCount] * 10 + (byte - '0');
            if (parameters[parameterCount] > 1000) parameters[parameterCount] = 1000;
        }
        byte = source.readByte(kSequenceTimeoutMs);
    }
    if (byte < 0) {
        event = keyEvent(VK_ESCAPE);
        return true;
    }
    int virtualKey = byte == '~' ? tildeKey(parameters[0]) : letterKey(byte);
    event = keyEvent(virtualKey, modifierState(parameters[1]));
    return true;
}

KeyEvent plainKey(int byte) {
    if (byte == '\r' || byte == '\n') return keyEvent(VK_RETURN, 0, '\r');
    if (byte == 0x7F || byte == 0x08) return keyEvent(VK_BACK, 0, 0x08);
    if (byte == '\t') return keyEvent(VK_TAB, 0, '\t');
    if (byte >= 1 && byte <= 26) return keyEvent('A' + byte - 1, LEFT_CTRL_PRESSED, static_cast<char>(byte));
    if (byte == ' ') return keyEvent(VK_SPACE, 0, ' ');
    int virtualKey = std::isalnum(byte) ? std::toupper(byte) : 0;
    unsigned state = std::isupper(byte) ? static_cast<unsigned>(SHIFT_PRESSED) : 0u;
    return keyEvent(virtualKey, state, static_cast<char>(byte));
}

}  // namespace

bool readTerminalKey(TerminalByteSource& source, KeyEvent& event) {
    int byte = source.readByte(-1);
    if (byte < 0) return false;
    if (byte != 0x1B) {
        event = plainKey(byte);
        return true;
    }
    int next = source.readByte(kSequenceTimeoutMs);
    if (next < 0) {
        event = keyEvent(VK_ESCAPE, 0, 0x1B);
        return true;
    }
    if (next == '[') return readCsi(source, event);
    if (next == 'O') {
        int final = source.readByte(kSequenceTimeoutMs);
        event = keyEvent(final < 0 ? VK_ESCAPE : letterKey(final));
        return true;
    }
    if (next == 0x1B) {
        event = keyEvent(VK_ESCAPE, 0, 0x1B);
        return true;
    }
    // ESC before an ordinary key is how terminals send Alt with it.
    event = plainKey(next);
    event.controlState |= LEFT_ALT_PRESSED;
    return true;
}

int FileByteSource::readByte(int timeoutMilliseconds) {
    for (;;) {
        pollfd request{fd_, POLLIN, 0};
        int ready = poll(&request, 1, timeoutMilliseconds);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return -1;
        unsigned char byte;
        ssize_t got = read(fd_, &byte, 1);
        if (got < 0 && errno == EINTR) continue;
        return got == 1 ? byte : -1;
    }
}
