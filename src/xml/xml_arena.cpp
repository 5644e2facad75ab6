#include "xml/xml_arena.h"

#include <cstring>
#include <limits>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define XML_ARENA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define XML_ARENA_SANITIZED 1
#endif
#endif

#ifdef XML_ARENA_SANITIZED
#include <sanitizer/asan_interface.h>
// The free part of every block stays poisoned, so that a read or write past the end of a
// carved record is caught although the block itself is one live allocation.
#define XML_ARENA_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define XML_ARENA_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define XML_ARENA_POISON(address, size) ((void)(address), (void)(size))
#define XML_ARENA_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

struct XmlArena::Block {
    char* base;
    size_t size;
    size_t used;
    Block* next;
};

namespace {

const size_t kAlignment = alignof(std::max_align_t);

size_t roundUp(size_t size, size_t alignment) {
    return (size + alignment - 1) / alignment * alignment;
}

size_t checkedSum(size_t a, size_t b) {
    if (a > std::numeric_limits<size_t>::max() - b) throw std::bad_alloc();
    return a + b;
}

void* rawAllocate(size_t size) {
    return ::operator new(size, std::align_val_t(kAlignment));
}

void rawRelease(void* memory) {
    ::operator delete(memory, std::align_val_t(kAlignment));
}

}  // namespace

XmlArena* XmlArena::create(size_t blockSize) {
    // The arena and its first block's bookkeeping share the first allocation, ahead of the
    // block's usable bytes.
    size_t arenaHead = roundUp(sizeof(XmlArena), kAlignment);
    size_t blockHead = roundUp(sizeof(Block), kAlignment);
    char* raw = static_cast<char*>(rawAllocate(checkedSum(arenaHead + blockHead, blockSize)));
    XmlArena* arena = new (raw) XmlArena();
    char* base = raw + arenaHead + blockHead;
    Block* block = new (raw + arenaHead) Block{base, blockSize, 0, nullptr};
    XML_ARENA_POISON(base, blockSize);
    arena->first_ = block;
    arena->last_ = block;
    arena->blockSize_ = blockSize;
    return arena;
}

XmlArena::Block* XmlArena::appendBlock(size_t size) {
    size_t blockHead = roundUp(sizeof(Block), kAlignment);
    char* raw = static_cast<char*>(rawAllocate(checkedSum(blockHead, size)));
    char* base = raw + blockHead;
    Block* block = new (raw) Block{base, size, 0, nullptr};
    XML_ARENA_POISON(base, size);
    last_->next = block;
    last_ = block;
    return block;
}

void* XmlArena::carve(size_t size, size_t alignment) {
    Block* block = last_;
    size_t start = roundUp(block->used, alignment);
    if (start > block->size || size >= block->size - start) {
        block = appendBlock(size > blockSize_ ? size : blockSize_);
        start = 0;
    }
    block->used = start + size;
    char* memory = block->base + start;
    XML_ARENA_UNPOISON(memory, size);
    return memory;
}

void* XmlArena::allocate(size_t size) {
    return carve(size, kAlignment);
}

void* XmlArena::allocateZeroed(size_t size) {
    void* memory = allocate(size);
    std::memset(memory, 0, size);
    return memory;
}

char* XmlArena::copyText(const char* text) {
    if (!text) return nullptr;
    size_t length = std::strlen(text);
    char* copy = static_cast<char*>(carve(checkedSum(length, 1), 1));
    std::memcpy(copy, text, length + 1);
    return copy;
}

char* XmlArena::copyPart(const char* text, int length) {
    if (!text || length < 0) return nullptr;
    char* copy = static_cast<char*>(carve(static_cast<size_t>(length) + 1, 1));
    std::memcpy(copy, text, static_cast<size_t>(length));
    copy[length] = '\0';
    return copy;
}

int XmlArena::blockCount() const {
    int count = 0;
    for (const Block* block = first_; block; block = block->next) ++count;
    return count;
}

void XmlArena::destroy() {
    // The first block lives in the arena's own allocation, so it goes last.
    Block* block = first_->next;
    while (block) {
        Block* next = block->next;
        XML_ARENA_UNPOISON(block->base, block->size);
        rawRelease(block);
        block = next;
    }
    XML_ARENA_UNPOISON(first_->base, first_->size);
    rawRelease(this);
}
