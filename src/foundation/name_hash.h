#pragma once

#include <cstdint>

// The name hash shared by the XML child index and the configuration's name tables, before
// their final remainder: over the key's bytes as signed 8-bit values, h starts at the first
// byte and takes h * 38 + b for every byte (the first included), then h * 19 + 12451, all in
// wrapping 32-bit arithmetic. The XML index takes the remainder by 8882693 on the signed value,
// the name tables on the unsigned one.
inline uint32_t nameHashMix(const char* key, int length) {
    uint32_t h = length > 0 ? static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(key[0]))) : 0;
    for (int i = 0; i < length; ++i) {
        h = h * 38u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(key[i])));
    }
    return h * 19u + 12451u;
}

const uint32_t kNameHashModulus = 8882693u;
