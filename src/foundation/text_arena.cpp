#include "foundation/text_arena.h"

char* TextArena::room(size_t length) {
    if (length > left_) {
        size_t size = length > kChunkSize ? length : kChunkSize;
        chunks_.reserve(chunks_.size() + 1);
        chunks_.emplace_back(new char[size]);
        free_ = chunks_.back().get();
        left_ = size;
    }
    char* given = free_;
    free_ += length;
    left_ -= length;
    return given;
}

void TextArena::clear() {
    chunks_.clear();
    free_ = nullptr;
    left_ = 0;
}
