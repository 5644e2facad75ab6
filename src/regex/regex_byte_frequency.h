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

// The offset of the two adjacent bytes of a literal that are least common together; -1 for a
// literal shorter than two bytes.
inline int32_t rarestPair(const char* bytes, int32_t length) {
    int32_t pair = -1;
    int rarity = 0;
    for (int32_t i = 0; i + 1 < length; ++i) {
        int here = byteCommonness(uint8_t(bytes[i])) + byteCommonness(uint8_t(bytes[i + 1]));
        if (pair < 0 || here < rarity) {
            pair = i;
            rarity = here;
        }
    }
    return pair;
}
