#pragma once

#include <cstdint>
#include <cstring>
#include <utility>

#include "foundation/name_hash.h"
#include "foundation/text_string.h"

// A chained hash table from a text key to a value, with 0, 8, 16, 32 ... buckets: it grows
// when an insertion makes the entry count reach the bucket count. Keys compare exactly.
// Iteration runs in ascending bucket order, each chain from head to tail; iterations of one
// table must not nest.
template <typename Value>
class NameMap {
public:
    NameMap() = default;
    NameMap(const NameMap&) = delete;
    NameMap& operator=(const NameMap&) = delete;
    ~NameMap() { clear(); }

    static uint32_t hash(const char* key) {
        return nameHashMix(key, static_cast<int>(std::strlen(key))) % kNameHashModulus;
    }

    Value* find(const char* key) {
        Node* node = findNode(key, hash(key));
        return node ? &node->value : nullptr;
    }

    Value& findOrInsert(const char* key) {
        uint32_t keyHash = hash(key);
        Node* node = findNode(key, keyHash);
        return node ? node->value : insertNode(key, keyHash, Value())->value;
    }

    // 1 when a node was inserted, 0 when an existing node's value was replaced.
    int insertOrReplace(const char* key, Value value) {
        uint32_t keyHash = hash(key);
        if (Node* node = findNode(key, keyHash)) {
            node->value = std::move(value);
            return 0;
        }
        insertNode(key, keyHash, std::move(value));
        return 1;
    }

    // 1 when a node was unlinked and released, 0 when the key was missing.
    int remove(const char* key) {
        if (size_ == 0) return 0;
        uint32_t keyHash = hash(key);
        Bucket& bucket = buckets_[keyHash % size_];
        Node* previous = nullptr;
        for (Node* node = bucket.head; node; previous = node, node = node->next) {
            if (node->hash != keyHash || !node->key.equals(key)) continue;
            if (previous) {
                previous->next = node->next;
            } else {
                bucket.head = node->next;
            }
            if (bucket.tail == node) bucket.tail = previous;
            if (iterationNode_ == node) advanceIterationPast(node);
            delete node;
            --count_;
            return 1;
        }
        return 0;
    }

    void resetIteration() {
        iterationBucket_ = 0;
        iterationNode_ = nullptr;
    }

    // Delivers the next key and value; 0 at the end.
    int next(const char** key, Value** value) {
        if (iterationBucket_ >= size_) return 0;
        if (!iterationNode_) {
            while (iterationBucket_ < size_ && !buckets_[iterationBucket_].head) ++iterationBucket_;
            if (iterationBucket_ >= size_) return 0;
            iterationNode_ = buckets_[iterationBucket_].head;
        }
        Node* node = iterationNode_;
        *key = node->key.text();
        *value = &node->value;
        advanceIterationPast(node);
        return 1;
    }

    void clear() {
        for (int i = 0; i < size_; ++i) {
            for (Node* node = buckets_[i].head; node;) {
                Node* following = node->next;
                delete node;
                node = following;
            }
        }
        delete[] buckets_;
        buckets_ = nullptr;
        size_ = 0;
        count_ = 0;
        resetIteration();
    }

    int count() const { return count_; }
    int size() const { return size_; }
    // The bucket a key lives in, -1 when it is missing.
    int bucketOf(const char* key) {
        Node* node = findNode(key, hash(key));
        return node ? static_cast<int>(node->hash % static_cast<uint32_t>(size_)) : -1;
    }

private:
    struct Node {
        String key;
        Value value;
        uint32_t hash;
        Node* next;
    };
    struct Bucket {
        Node* head;
        Node* tail;
    };

    Node* findNode(const char* key, uint32_t keyHash) {
        if (size_ == 0) return nullptr;
        for (Node* node = buckets_[keyHash % size_].head; node; node = node->next) {
            if (node->hash == keyHash && node->key.equals(key)) return node;
        }
        return nullptr;
    }

    Node* insertNode(const char* key, uint32_t keyHash, Value value) {
        ++count_;
        if (count_ >= size_) grow();
        Node* node = new Node{String(key), std::move(value), keyHash, nullptr};
        appendToBucket(buckets_[keyHash % size_], node);
        return node;
    }

    static void appendToBucket(Bucket& bucket, Node* node) {
        node->next = nullptr;
        if (bucket.tail) {
            bucket.tail->next = node;
        } else {
            bucket.head = node;
        }
        bucket.tail = node;
    }

    void grow() {
        int newSize = size_ ? size_ * 2 : 8;
        Bucket* fresh = new Bucket[newSize]();
        for (int i = 0; i < size_; ++i) {
            for (Node* node = buckets_[i].head; node;) {
                Node* following = node->next;
                appendToBucket(fresh[node->hash % static_cast<uint32_t>(newSize)], node);
                node = following;
            }
        }
        delete[] buckets_;
        buckets_ = fresh;
        size_ = newSize;
        resetIteration();
    }

    void advanceIterationPast(Node* node) {
        iterationNode_ = node->next;
        if (!iterationNode_) ++iterationBucket_;
    }

    Bucket* buckets_ = nullptr;
    int size_ = 0;
    int count_ = 0;
    int iterationBucket_ = 0;
    Node* iterationNode_ = nullptr;
};
