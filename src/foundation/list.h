#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

#include "foundation/bulk_memory.h"

// The one sequence container: a doubly linked list that keeps a cursor, so that visiting
// neighbouring positions one after another costs a step instead of a walk from the head.
// Elements are held by value: a List<String> owns its strings, a List<T*> only the references.
// Nodes come from blocks the list owns (growing from 4 nodes to bulk blocks of 2 MiB), so that
// a list of a million output lines does not pay the allocator's overhead a million times.
template <typename T>
class List {
public:
    // Where the last seek started its walk and how many steps it took.
    enum class SeekOrigin { None, Head, Cursor, Tail };
    struct SeekTrace {
        SeekOrigin origin = SeekOrigin::None;
        int steps = 0;
    };

    List() = default;
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    virtual ~List() { clear(); }

    T& append(const T& element) {
        return appendMade([&element]() -> const T& { return element; });
    }
    T& append(T&& element) {
        return appendMade([&element]() -> T&& { return std::move(element); });
    }
    // Appends the element that make() returns, made in its place. When making it throws, the
    // room goes back, so that every room handed out holds a node or waits for reuse.
    template <typename Make>
    T& appendMade(Make make) {
        void* room = allocateNode();
        try {
            return link(new (room) Node{last_, nullptr, make()});
        } catch (...) {
            *static_cast<void**>(room) = freeNodes_;
            freeNodes_ = room;
            throw;
        }
    }

    // Appends count elements, the i-th made by make(i), in order. Making must not throw, as a run
    // of them is laid into the newest block's rooms at once while no released room waits for reuse.
    template <typename Make>
    void appendRun(int count, Make make) {
        static_assert(noexcept(make(0)) && std::is_nothrow_constructible<T, decltype(make(0))>::value,
                      "a run of elements has no way back");
        int made = 0;
        while (made < count) {
            if (freeNodes_ || unusedInBlock_ == 0) {
                appendMade([&make, made] { return make(made); });
                ++made;
                continue;
            }
            int run = count - made < unusedInBlock_ ? count - made : unusedInBlock_;
            Node* rooms = blocks_->nodes + (blocks_->size - unusedInBlock_);
            unusedInBlock_ -= run;
            link(new (rooms) Node{last_, nullptr, make(made)});
            for (int i = 1; i < run; ++i) {
                rooms[i - 1].next = new (rooms + i) Node{rooms + i - 1, nullptr, make(made + i)};
            }
            last_ = current_ = rooms + run - 1;
            count_ += run - 1;
            position_ = count_ - 1;
            made += run;
        }
    }
    // Appends count copies of element.
    void appendCopies(const T& element, int count) {
        appendRun(count, [&element](int) noexcept -> const T& { return element; });
    }

private:
    struct Node;
    T& link(Node* node) {
        if (last_) {
            last_->next = node;
        } else {
            first_ = node;
        }
        last_ = node;
        current_ = node;
        position_ = count_++;
        return node->element;
    }

public:
    void seek(int index) {
        if (!first_) return;
        if (index < 0) index += count_;
        if (index < 0) index = 0;
        if (index >= count_) index = count_ - 1;

        int fromCursor = index > position_ ? index - position_ : position_ - index;
        int fromTail = count_ - 1 - index;
        if (fromCursor < fromTail) {
            if (fromCursor >= index) {
                walkFromHead(index);
            } else {
                trace_ = {SeekOrigin::Cursor, fromCursor};
                walk(index - position_);
            }
        } else if (fromTail < index) {
            trace_ = {SeekOrigin::Tail, fromTail};
            current_ = last_;
            position_ = count_ - 1;
            walk(-fromTail);
        } else {
            walkFromHead(index);
        }
    }

    // The element at index (clamped), or none on an empty list.
    T* at(int index) {
        seek(index);
        return current_ ? &current_->element : nullptr;
    }

    void removeCurrent() {
        if (!current_) return;
        Node* removed = current_;
        if (removed->prev) {
            removed->prev->next = removed->next;
        } else {
            first_ = removed->next;
        }
        if (removed->next) {
            removed->next->prev = removed->prev;
            current_ = removed->next;
        } else {
            last_ = removed->prev;
            current_ = last_;
            position_ = count_ - 2;
        }
        releaseNode(removed);
        --count_;
        if (count_ == 0) position_ = 0;
        appendedOnly_ = false;
    }

    void clear() {
        if (freeNodes_) {
            for (Node* node = first_; node;) {
                Node* next = node->next;
                node->~Node();
                node = next;
            }
        } else {
            forEachRoom([](Node& node) { node.~Node(); });
        }
        while (blocks_) {
            Block* older = blocks_->older;
            releaseBulk(blocks_->memory, sizeof(Node) * static_cast<std::size_t>(blocks_->size));
            delete blocks_;
            blocks_ = older;
        }
        oldestBlock_ = nullptr;
        appendedOnly_ = true;
        freeNodes_ = nullptr;
        unusedInBlock_ = 0;
        nextBlockSize_ = kFirstBlockSize;
        first_ = last_ = current_ = nullptr;
        count_ = 0;
        position_ = 0;
    }

    // The first element, from the head on, for which the predicate holds; the cursor stays.
    template <typename Predicate>
    T* findFirst(Predicate predicate) {
        for (Node* node = first_; node; node = node->next) {
            if (predicate(node->element)) return &node->element;
        }
        return nullptr;
    }

    // Calls visit(index, element) for the elements from index first on, in order, until it
    // returns false; the cursor stays at the first of them. While the list has only been
    // appended to, its order is that of the rooms, block by block, which the processor follows
    // faster than the links.
    template <typename Visit>
    void visitFrom(int first, Visit visit) {
        if (first < 0) first = 0;
        if (first >= count_) return;
        seek(first);
        if (appendedOnly_ && !freeNodes_) {
            int index = 0;  // of the block's first node
            for (Block* block = oldestBlock_; block; block = block->newer) {
                int used = block == blocks_ ? block->size - unusedInBlock_ : block->size;
                for (int i = first > index ? first - index : 0; i < used; ++i) {
                    if (!visit(index + i, block->nodes[i].element)) return;
                }
                index += used;
            }
            return;
        }
        int index = first;
        for (Node* node = current_; node; node = node->next) {
            if (!visit(index++, node->element)) return;
        }
    }

    int count() const { return count_; }
    int position() const { return position_; }
    SeekTrace lastSeek() const { return trace_; }

private:
    struct Node {
        Node* prev;
        Node* next;
        T element;
    };
    struct Block {
        Block* older;
        Block* newer;
        Node* nodes;
        int size;
        BulkBlock memory;
    };
    static const int kFirstBlockSize = 4;
    static const int kLargestBlockSize = static_cast<int>((kBulkBlockSize + sizeof(Node) - 1) / sizeof(Node));

    // Calls visit(node) for every room handed out, block by block; all of them hold nodes while
    // no released room waits for reuse. Every block but the newest is full.
    template <typename Visit>
    void forEachRoom(Visit visit) {
        for (Block* block = blocks_; block; block = block->older) {
            int used = block == blocks_ ? block->size - unusedInBlock_ : block->size;
            for (int i = 0; i < used; ++i) visit(block->nodes[i]);
        }
    }

    // Raw room for one node: a released one, else the next of the newest block.
    void* allocateNode() {
        if (freeNodes_) {
            void* room = freeNodes_;
            freeNodes_ = *static_cast<void**>(room);
            return room;
        }
        if (unusedInBlock_ == 0) {
            Block* block = new Block{blocks_, nullptr, nullptr, nextBlockSize_, BulkBlock{nullptr, nullptr}};
            try {
                block->memory = allocateBulk(sizeof(Node) * static_cast<std::size_t>(block->size));
                block->nodes = static_cast<Node*>(block->memory.memory);
            } catch (...) {
                delete block;
                throw;
            }
            if (blocks_) {
                blocks_->newer = block;
            } else {
                oldestBlock_ = block;
            }
            blocks_ = block;
            unusedInBlock_ = block->size;
            // Small lists stay small; a long one soon gets whole bulk blocks.
            nextBlockSize_ = nextBlockSize_ * 4 < kLargestBlockSize / 8 ? nextBlockSize_ * 4 : kLargestBlockSize;
        }
        return blocks_->nodes + (blocks_->size - unusedInBlock_--);
    }

    // A released node's room keeps the link to the next released one in its first bytes.
    void releaseNode(Node* node) {
        node->~Node();
        *reinterpret_cast<void**>(node) = freeNodes_;
        freeNodes_ = node;
    }

    void walkFromHead(int index) {
        trace_ = {SeekOrigin::Head, index};
        current_ = first_;
        position_ = 0;
        walk(index);
    }

    void walk(int steps) {
        for (; steps > 0 && current_->next; --steps) {
            current_ = current_->next;
            ++position_;
        }
        for (; steps < 0 && current_->prev; ++steps) {
            current_ = current_->prev;
            --position_;
        }
    }

    Node* first_ = nullptr;
    Node* last_ = nullptr;
    Node* current_ = nullptr;
    Block* blocks_ = nullptr;  // the newest; each links to the one before
    Block* oldestBlock_ = nullptr;
    // No node has been removed since the list was last cleared: the order of the rooms is the
    // order of the list, unless a room waits for reuse.
    bool appendedOnly_ = true;
    void* freeNodes_ = nullptr;  // room of released nodes
    int unusedInBlock_ = 0;
    int nextBlockSize_ = kFirstBlockSize;
    int count_ = 0;
    int position_ = 0;
    SeekTrace trace_;
};
