#pragma once

#include <cstddef>

// The large blocks in which the containers keep a whole build's output (list nodes, line texts).
// By default they come from the global allocator; the platform may supply one that asks the
// system for large pages, so that a million stored lines cost a few page faults, not thousands.
struct BulkMemory {
    void* (*allocate)(size_t size);  // none when it fails
    void (*release)(void* block, size_t size);
};

// Blocks of at least this size go through the supplied allocator.
const size_t kBulkBlockSize = 2 << 20;

// A block and the allocator it came from (none: the global one), which takes it back.
struct BulkBlock {
    void* memory;
    const BulkMemory* supplier;
};

// Throws std::bad_alloc when no memory is left.
BulkBlock allocateBulk(size_t size);
void releaseBulk(const BulkBlock& block, size_t size);
// Installs the allocator for blocks of kBulkBlockSize or more; none goes back to the default.
void setBulkMemory(const BulkMemory* memory);

// While one lives, blocks released to the installed allocator are kept and handed out again
// for blocks of the same size: output that replaces output is then written into memory that is
// already mapped, instead of faulting in and zeroing fresh pages. The blocks still kept when
// the last one ends go back to their allocator.
class BulkRecycling {
public:
    BulkRecycling();
    ~BulkRecycling();
    BulkRecycling(const BulkRecycling&) = delete;
    BulkRecycling& operator=(const BulkRecycling&) = delete;
};
