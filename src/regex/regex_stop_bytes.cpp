// Finds the sets that hold every byte but one to three, for the matcher's stop-byte scan.

#include "regex/regex.h"
#include "regex/regex_program.h"

void Regex::noteStopBytes() {
    const int32_t kMostStops = 3;
    for (int32_t i = 0; i < programSize_; ++i) {
        RegexNode& node = program_[i];
        node.stopCount = 0;
        if (node.kind != RepeatSet && node.kind != RepeatSetLazy) continue;
        int32_t count = 0;
        for (int byte = 0; byte < 256 && count <= kMostStops; ++byte) {
            if (setHas(node.set, uint8_t(byte))) continue;
            if (count < kMostStops) node.stops[count] = uint8_t(byte);
            ++count;
        }
        if (count == 0 || count > kMostStops) continue;
        for (int32_t k = count; k < kMostStops; ++k) node.stops[k] = node.stops[0];
        node.stopCount = count;
    }
}
