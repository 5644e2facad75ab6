#include <cstring>
#include <new>

#include "foundation/name_hash.h"
#include "xml/xml_arena.h"
#include "xml/xml_node.h"

namespace {

const int kFirstBucketCount = 4;
const int kEntriesPerBucket = 4;

// The index keeps the signed remainder; only the bucket choice reads it as unsigned.
int32_t childNameHash(const char* name, int length) {
    return static_cast<int32_t>(nameHashMix(name, length)) % static_cast<int32_t>(kNameHashModulus);
}

// The entry's copy is zero-terminated; the name asked for need not be.
bool holdsName(const XmlChildIndex::Entry* entry, const char* name, int length) {
    return std::strlen(entry->name) == static_cast<size_t>(length) &&
           std::memcmp(entry->name, name, static_cast<size_t>(length)) == 0;
}

}  // namespace

XmlChildIndex::XmlChildIndex(XmlArena* arena)
    : buckets_(static_cast<Bucket*>(arena->allocateZeroed(sizeof(Bucket) * kFirstBucketCount))),
      bucketCount_(kFirstBucketCount),
      arena_(arena) {}

const char* XmlChildIndex::insert(const char* name, int nameLength, XmlNode* element) {
    if (nameLength > kXmlMaxNameLength) nameLength = kXmlMaxNameLength;
    if (nameLength < 0) nameLength = 0;
    const char* copy = arena_->copyPart(name, nameLength);
    Entry* entry = new (arena_->allocate(sizeof(Entry))) Entry{copy, element, childNameHash(copy, nameLength), nullptr};

    Bucket& bucket = buckets_[static_cast<uint32_t>(entry->hash) % static_cast<uint32_t>(bucketCount_)];
    if (bucket.tail) {
        bucket.tail->next = entry;
    } else {
        bucket.head = entry;
    }
    bucket.tail = entry;
    if (++entryCount_ > kEntriesPerBucket * bucketCount_) rebuild();
    return entry->name;
}

void XmlChildIndex::rebuild() {
    // Old chains are walked in order and appended at the new tails, so entries of one name,
    // which share an old chain, land in one new chain in the same order.
    int newCount = entryCount_ * 2;
    Bucket* fresh = static_cast<Bucket*>(arena_->allocateZeroed(sizeof(Bucket) * static_cast<size_t>(newCount)));
    for (int i = 0; i < bucketCount_; ++i) {
        Entry* entry = buckets_[i].head;
        while (entry) {
            Entry* following = entry->next;
            entry->next = nullptr;
            Bucket& bucket = fresh[static_cast<uint32_t>(entry->hash) % static_cast<uint32_t>(newCount)];
            if (bucket.tail) {
                bucket.tail->next = entry;
            } else {
                bucket.head = entry;
            }
            bucket.tail = entry;
            entry = following;
        }
    }
    buckets_ = fresh;
    bucketCount_ = newCount;
}

XmlChildIndex::Entry* XmlChildIndex::findEntry(const char* name, int length) const {
    if (!name || length < 0 || length > kXmlMaxNameLength) return nullptr;
    int32_t hash = childNameHash(name, length);
    Entry* entry = buckets_[static_cast<uint32_t>(hash) % static_cast<uint32_t>(bucketCount_)].head;
    for (; entry; entry = entry->next) {
        if (entry->hash == hash && holdsName(entry, name, length)) return entry;
    }
    return nullptr;
}

XmlChildIndex::Entry* XmlChildIndex::nextOfSameName(const Entry* entry) {
    for (Entry* other = entry->next; other; other = other->next) {
        if (other->hash == entry->hash && std::strcmp(other->name, entry->name) == 0) return other;
    }
    return nullptr;
}

XmlNode* XmlChildIndex::find(const char* name) const {
    if (!name) return nullptr;
    size_t length = std::strlen(name);
    if (length > static_cast<size_t>(kXmlMaxNameLength)) return nullptr;
    return findPart(name, static_cast<int>(length));
}

XmlNode* XmlChildIndex::findPart(const char* name, int length) const {
    Entry* entry = findEntry(name, length);
    return entry ? entry->element : nullptr;
}
