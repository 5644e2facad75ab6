#pragma once

#include <cstdint>

#include "foundation/text_string.h"

enum MatchKind : int32_t {
    MatchNone = 0,
    MatchError = 1,
    MatchWarning = 2,
    MatchNote = 3,  // explains the error or warning near it: opened by Enter, passed over by the steps
};

// Where an output line points: filled by the classification, read by the output window and
// the navigation.
struct LineMatch {
    int32_t kind = MatchNone;
    // The folder the tools ran in at that line, as the session's folder table numbers it; -1
    // for the build's working directory.
    int32_t folder = -1;
    String file;
    int32_t line = 0;
    int32_t column = -1;
};
