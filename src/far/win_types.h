#pragma once

// The few Windows type names and constants that the host's interface and the console key
// handling need, for targets other than Windows. On Windows they come from <windows.h>.
#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>

typedef int BOOL;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned short WORD;
typedef void* HANDLE;
typedef intptr_t INT_PTR;
typedef uintptr_t DWORD_PTR;

#define WINAPI
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

// Virtual-key codes of the keys the output window and the terminal host know.
enum : int {
    VK_CANCEL = 0x03,  // Ctrl+Break
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_F1 = 0x70,
    VK_F2 = 0x71,
    VK_F3 = 0x72,
    VK_F4 = 0x73,
    VK_F5 = 0x74,
    VK_F6 = 0x75,
    VK_F7 = 0x76,
    VK_F8 = 0x77,
    VK_F9 = 0x78,
    VK_F10 = 0x79,
    VK_F11 = 0x7A,
    VK_F12 = 0x7B,
};

// Control-key state bits of a console key event.
enum : DWORD {
    RIGHT_ALT_PRESSED = 0x0001,
    LEFT_ALT_PRESSED = 0x0002,
    RIGHT_CTRL_PRESSED = 0x0004,
    LEFT_CTRL_PRESSED = 0x0008,
    SHIFT_PRESSED = 0x0010,
};
#endif
