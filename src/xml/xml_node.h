#pragma once

#include <cstdint>

class XmlArena;
class XmlAttributeList;
class XmlChildIndex;

// Element names are kept to their first 255 bytes.
const int kXmlMaxNameLength = 255;

enum XmlNodeKind : int32_t {
    XmlDocument = 0,
    XmlElementWithChildren = 1,
    XmlElement = 2,
    XmlEmptyElement = 3,
    XmlText = 4,
    XmlComment = 5,
    XmlProcessingInstruction = 6,
    XmlDeclaration = 7,
};

// One node of a document tree; every field is zero when the node is made.
struct XmlNode {
    const char* name;             // elements only, at most 255 bytes
    char* value;                  // element text, or the content of the other kinds
    XmlNode* next;                // next sibling in document order
    XmlNode* parent;              // none only for the document node
    XmlNode* firstChild;          // first child of any kind
    XmlAttributeList* attributes;  // made at the first attribute
    XmlChildIndex* childIndex;    // child elements by name, made at the first child element
    int32_t kind;                 // XmlNodeKind

    bool isElement() const {
        return kind == XmlElementWithChildren || kind == XmlElement || kind == XmlEmptyElement;
    }
};

// The attributes of one element as (name, value) pairs in document order, duplicates kept,
// in chunks of 4, 8, 16 ... pairs.
class XmlAttributeList {
public:
    XmlAttributeList(XmlArena* arena, bool copyNames, bool copyValues);
    void add(const char* name, const char* value);
    // The value of the first pair with this name, or none.
    const char* find(const char* name) const;
    int count() const { return count_; }
    // The pair at a position in document order; none outside 0 .. count - 1.
    const char* nameAt(int index) const;
    const char* valueAt(int index) const;

private:
    struct Pair {
        const char* name;
        const char* value;
    };
    struct Chunk;
    const Pair* pairAt(int index) const;
    XmlArena* arena_;
    Chunk* first_ = nullptr;
    Chunk* last_ = nullptr;
    int count_ = 0;
    bool copyNames_;
    bool copyValues_;
};

// Child elements by name for one parent; entries of one name keep document order.
class XmlChildIndex {
public:
    explicit XmlChildIndex(XmlArena* arena);
    // Enters the element under an arena copy of the name (cut to 255 bytes) and returns that copy.
    const char* insert(const char* name, int nameLength, XmlNode* element);
    // The first entry whose name equals name (or its first length bytes); none if missing.
    XmlNode* find(const char* name) const;
    XmlNode* findPart(const char* name, int length) const;

    struct Entry {
        const char* name;
        XmlNode* element;
        int32_t hash;
        Entry* next;
    };
    // The first entry of the name's chain that holds this name, for iteration in order.
    Entry* findEntry(const char* name, int length) const;
    // The next entry after this one in its chain that holds the same name, or none.
    static Entry* nextOfSameName(const Entry* entry);

    int bucketCount() const { return bucketCount_; }
    int entryCount() const { return entryCount_; }

private:
    struct Bucket {
        Entry* head;
        Entry* tail;
    };
    void rebuild();
    Bucket* buckets_;
    int bucketCount_;
    int entryCount_ = 0;
    XmlArena* arena_;
};
