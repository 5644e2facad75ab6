#include <cstring>
#include <new>

#include "xml/xml_arena.h"
#include "xml/xml_node.h"

// The pairs of a chunk follow its header in the same arena allocation; both hold pointers,
// so the pairs start aligned.
struct XmlAttributeList::Chunk {
    Chunk* next;
    int capacity;
    int used;

    Pair* pairs() { return reinterpret_cast<Pair*>(this + 1); }
    const Pair* pairs() const { return reinterpret_cast<const Pair*>(this + 1); }
};

namespace {
const int kFirstChunkPairs = 4;
}

XmlAttributeList::XmlAttributeList(XmlArena* arena, bool copyNames, bool copyValues)
    : arena_(arena), copyNames_(copyNames), copyValues_(copyValues) {}

void XmlAttributeList::add(const char* name, const char* value) {
    if (!last_ || last_->used == last_->capacity) {
        int capacity = last_ ? last_->capacity * 2 : kFirstChunkPairs;
        void* memory = arena_->allocate(sizeof(Chunk) + sizeof(Pair) * static_cast<size_t>(capacity));
        Chunk* chunk = new (memory) Chunk{nullptr, capacity, 0};
        if (last_) {
            last_->next = chunk;
        } else {
            first_ = chunk;
        }
        last_ = chunk;
    }
    Pair& pair = last_->pairs()[last_->used++];
    pair.name = copyNames_ ? arena_->copyText(name) : name;
    pair.value = copyValues_ ? arena_->copyText(value) : value;
    ++count_;
}

const XmlAttributeList::Pair* XmlAttributeList::pairAt(int index) const {
    if (index < 0) return nullptr;
    for (const Chunk* chunk = first_; chunk; chunk = chunk->next) {
        if (index < chunk->used) return &chunk->pairs()[index];
        index -= chunk->used;
    }
    return nullptr;
}

const char* XmlAttributeList::nameAt(int index) const {
    const Pair* pair = pairAt(index);
    return pair ? pair->name : nullptr;
}

const char* XmlAttributeList::valueAt(int index) const {
    const Pair* pair = pairAt(index);
    return pair ? pair->value : nullptr;
}

const char* XmlAttributeList::find(const char* name) const {
    if (!name) return nullptr;
    for (const Chunk* chunk = first_; chunk; chunk = chunk->next) {
        for (int i = 0; i < chunk->used; ++i) {
            const Pair& pair = chunk->pairs()[i];
            if (pair.name && std::strcmp(pair.name, name) == 0) return pair.value;
        }
    }
    return nullptr;
}
