#include "foundation/bulk_memory.h"

#include <new>

namespace {
const BulkMemory* installedMemory = nullptr;
}

BulkBlock allocateBulk(size_t size) {
    if (installedMemory && size >= kBulkBlockSize) {
        void* memory = installedMemory->allocate(size);
        if (!memory) throw std::bad_alloc();
        return BulkBlock{memory, installedMemory};
    }
    return BulkBlock{::operator new(size), nullptr};
}

void releaseBulk(const BulkBlock& block, size_t size) {
    if (!block.memory) return;
    if (block.supplier) {
        block.supplier->release(block.memory, size);
    } else {
        ::operator delete(block.memory);
    }
}

void setBulkMemory(const BulkMemory* memory) { installedMemory = memory; }
