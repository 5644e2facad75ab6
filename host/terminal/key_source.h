#pragma once

#include "platform/platform.h"

// Where the host's windows and dialogs take their keys from: the terminal, or a script in
// tests. readKey is false when no key came (the screen was resized, or input ended).
class KeySource {
public:
    virtual ~KeySource() = default;
    virtual bool readKey(KeyEvent& event) = 0;
    // No more keys will ever come.
    virtual bool ended() const { return false; }
    // True once for every resize since the last call, with the new size.
    virtual bool takeResize(ConsoleSize& size) {
        (void)size;
        return false;
    }
};
