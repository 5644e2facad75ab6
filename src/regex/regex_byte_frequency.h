#pragma once

#include <cstdint>
#include <cstring>

// How common a byte is in compiler output, 0 for rare: searches look for the least common bytes
// of a literal, so that they stop at few false candidates.
inline int byteCommonness(uint8_t c) {
    static const char kByFrequency[] =
        " etaoinsrhl:dcumfpgwybvkxjqz0123456789_/.-,()'=;|^~[]\"ETAOINSRHLDCUMFPGWYBVKXJQZ<>*";
    const char* found = static_cast<const char*>(std::memchr(kByFrequency, c, sizeof kByFrequency - 1));
    return found ? int(sizeof kByFrequency) - int(found - kByFrequency) : 0;
}
