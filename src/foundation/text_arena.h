#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// Room for many short texts that are kept and dropped together, carved one after another from
// chunks: no allocation, and no release, of each.
class TextArena {
public:
    // Room for length bytes, kept until clear.
    char* room(size_t length);
    void clear();

private:
    static const size_t kChunkSize = 64 << 10;
    std::vector<std::unique_ptr<char[]>> chunks_;
    char* free_ = nullptr;
    size_t left_ = 0;
};
