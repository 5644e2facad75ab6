#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads a fuzzer's input front to back: a few header bytes that steer the run, then texts.
// Reading past the end gives zero bytes and empty texts, so every input is usable.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : at_(data), end_(data + size) {}

    uint8_t takeByte() { return at_ < end_ ? *at_++ : 0; }

    // The bytes before the next separator, which is consumed too; all the rest when none is left.
    std::string takeUntil(uint8_t separator) {
        const uint8_t* from = at_;
        while (at_ < end_ && *at_ != separator) ++at_;
        std::string part(from, at_);
        if (at_ < end_) ++at_;
        return part;
    }

    std::string takeRest() {
        std::string rest(at_, end_);
        at_ = end_;
        return rest;
    }

private:
    const uint8_t* at_;
    const uint8_t* end_;
};
