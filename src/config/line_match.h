#pragma once

#include <cstdint>

#include "foundation/text_string.h"

enum MatchKind : int32_t {
    MatchNone = 0,
    MatchError = 1,
    MatchWarning = 2,
};

// Where an output line points: filled by the classification, read by the output window and
// the navigation.
struct LineMatch {
    int32_t kind = MatchNone;
    String file;
    int32_t line = 0;
    int32_t column = -1;
};
