#include "foundation/bulk_memory.h"

#include <new>

namespace {

const BulkMemory* installedMemory = nullptr;

// A released block kept for reuse; the record lives at the block's start.
struct KeptBlock {
    KeptBlock* next;
    size_t size;
    const BulkMemory* supplier;
};
KeptBlock* keptBlocks = nullptr;
size_t keptBytes = 0;
int recyclingDepth = 0;
// Kept blocks are few enough to search one by one, and never hold more than this.
const size_t kMostKeptBytes = size_t(512) << 20;

void* takeKeptBlock(size_t size) {
    for (KeptBlock** link = &keptBlocks; *link; link = &(*link)->next) {
        KeptBlock* block = *link;
        if (block->size != size || block->supplier != installedMemory) continue;
        *link = block->next;
        keptBytes -= size;
        return block;
    }
    return nullptr;
}

void releaseKeptBlocks() {
    while (keptBlocks) {
        KeptBlock* block = keptBlocks;
        keptBlocks = block->next;
        block->supplier->release(block, block->size);
    }
    keptBytes = 0;
}

}  // namespace

BulkBlock allocateBulk(size_t size) {
    if (installedMemory && size >= kBulkBlockSize) {
        void* memory = takeKeptBlock(size);
        if (!memory) memory = installedMemory->allocate(size);
        if (!memory && keptBlocks) {
            // Blocks of other sizes may stand in the way of this one.
            releaseKeptBlocks();
            memory = installedMemory->allocate(size);
        }
        if (!memory) throw std::bad_alloc();
        return BulkBlock{memory, installedMemory};
    }
    return BulkBlock{::operator new(size), nullptr};
}

void releaseBulk(const BulkBlock& block, size_t size) {
    if (!block.memory) return;
    if (!block.supplier) {
        ::operator delete(block.memory);
    } else if (recyclingDepth > 0 && keptBytes + size <= kMostKeptBytes) {
        keptBlocks = new (block.memory) KeptBlock{keptBlocks, size, block.supplier};
        keptBytes += size;
    } else {
        block.supplier->release(block.memory, size);
    }
}

void setBulkMemory(const BulkMemory* memory) { installedMemory = memory; }

BulkRecycling::BulkRecycling() { ++recyclingDepth; }

BulkRecycling::~BulkRecycling() {
    if (--recyclingDepth == 0) releaseKeptBlocks();
}
