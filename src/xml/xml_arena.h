#pragma once

#include <cstddef>

// A chain of memory blocks from which everything of one document is carved, released in one
// piece. An allocation comes from the last block while the bytes in use plus its size stay
// strictly below the block's size; otherwise a new block of the larger of the standard size
// and the request is appended. Texts (copyText, copyPart) are packed byte to byte; allocate
// keeps every other record aligned for any type.
class XmlArena {
public:
    static XmlArena* create(size_t blockSize);
    void* allocate(size_t size);
    void* allocateZeroed(size_t size);
    // A copy of the text with its terminating zero; none for none.
    char* copyText(const char* text);
    // The first length bytes and a terminating zero; none for none or a negative length.
    char* copyPart(const char* text, int length);
    // Releases every block, the arena itself included.
    void destroy();

    int blockCount() const;

private:
    struct Block;
    XmlArena() = default;
    void* carve(size_t size, size_t alignment);
    Block* appendBlock(size_t size);
    Block* first_ = nullptr;
    Block* last_ = nullptr;
    size_t blockSize_ = 0;
};
