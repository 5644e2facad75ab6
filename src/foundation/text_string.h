#pragma once

#include <cstring>

// The one text type of the plug-in: an owned, zero-terminated single-byte buffer.
// Positions are signed; negative ones count from the end, out-of-range ones are clamped.
class String {
public:
    String() : buffer_(nullptr), length_(0), capacity_(0) {}
    explicit String(const char* text);
    // The first length bytes of text, with no room to spare: for texts that are kept as they are.
    String(const char* text, int length);
    String(const String& other);
    String(String&& other) noexcept : buffer_(other.buffer_), length_(other.length_), capacity_(other.capacity_) {
        other.buffer_ = nullptr;
        other.length_ = 0;
        other.capacity_ = 0;
    }
    // A copy of length bytes of text placed in storage (length + 1 bytes) that another owner
    // keeps for as long as the string lives: the string never frees it, and moves to a buffer
    // of its own when it must grow. The text may already lie in the storage.
    static String inStorage(char* storage, const char* text, int length) noexcept {
        String kept;
        if (storage != text) std::memcpy(storage, text, size_t(length));
        storage[length] = 0;
        kept.buffer_ = storage;
        kept.length_ = length;
        kept.capacity_ = -(length + 1);
        return kept;
    }
    String& operator=(const String& other);
    // Inline, as a million stored lines are destroyed at once when the output is replaced.
    virtual ~String() { dropBuffer(); }

    const char* text() const { return buffer_; }
    // For writing straight into the buffer after prepare(n); call updateLength() afterwards.
    char* buffer() { return buffer_; }
    int length() const { return length_; }
    int capacity() const { return room(); }
    bool empty() const { return length_ == 0; }

    // Grow to hold n characters, keeping the content; true when the buffer was replaced.
    bool reserve(int n);
    // Make room for n characters; when the buffer must grow, the content is discarded.
    void prepare(int n);
    // After writing into buffer(): the length becomes that of the zero-terminated text.
    void updateLength();
    void clear();

    void assign(const String& other);
    void assign(const char* text);
    String& append(const String& other);
    String& append(const char* text);
    String& append(char ch);
    String concat(const String& other) const;
    String concat(const char* text) const;

    void assignPart(const char* text, int start, int count);
    // The count bytes at text, which the caller knows to be there.
    void assignBytes(const char* text, int count);
    int appendPart(const char* text, int start, int count);
    String mid(int start, int count) const;

    bool equals(const char* text) const;
    int find(const char* pattern, int n, int from) const;
    static int compareBytes(const char* a, const char* b);

    void erase(int pos, int count);
    String& toLower();
    int replaceAll(const char* pattern, const char* replacement);

private:
    void allocateFor(int n);
    int room() const { return capacity_ < 0 ? -capacity_ : capacity_; }
    void dropBuffer() {
        if (capacity_ > 0) delete[] buffer_;
    }

    char* buffer_;
    int length_;
    int capacity_;  // negative while the buffer is kept in storage the string does not own
};
