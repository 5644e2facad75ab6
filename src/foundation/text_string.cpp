#include "foundation/text_string.h"

#include <cctype>
#include <cstring>

namespace {

int grownCapacity(int n) { return n + n / 4 + 1; }

// Resolves a (start, count) piece of a text of length textLength; false when the piece is empty.
bool resolvePiece(int textLength, int& start, int& count) {
    if (start < 0) start += textLength;
    if (start < 0 || start >= textLength) return false;
    if (count < 0 || count > textLength - start) count = textLength - start;
    return count > 0;
}

}  // namespace

String::String(const char* text) {
    length_ = static_cast<int>(std::strlen(text));
    capacity_ = length_ + 16;
    buffer_ = new char[capacity_];
    std::memcpy(buffer_, text, length_ + 1);
}

String::String(const char* text, int length) : length_(length), capacity_(length + 1) {
    buffer_ = new char[capacity_];
    std::memcpy(buffer_, text, length);
    buffer_[length] = 0;
}

String::String(const String& other) {
    length_ = other.length_;
    capacity_ = grownCapacity(length_);
    buffer_ = new char[capacity_];
    if (other.buffer_) {
        std::memcpy(buffer_, other.buffer_, length_ + 1);
    } else {
        buffer_[0] = 0;
    }
}

String& String::operator=(const String& other) {
    assign(other);
    return *this;
}

void String::allocateFor(int n) {
    char* fresh = new char[grownCapacity(n)];
    dropBuffer();
    buffer_ = fresh;
    capacity_ = grownCapacity(n);
}

bool String::reserve(int n) {
    if (n < room()) return false;
    char* fresh = new char[grownCapacity(n)];
    if (buffer_) std::memcpy(fresh, buffer_, length_);
    fresh[length_] = 0;
    dropBuffer();
    buffer_ = fresh;
    capacity_ = grownCapacity(n);
    return true;
}

void String::prepare(int n) {
    if (n < room()) return;
    allocateFor(n);
    length_ = 0;
    buffer_[0] = 0;
}

void String::updateLength() { length_ = buffer_ ? static_cast<int>(std::strlen(buffer_)) : 0; }

void String::clear() {
    dropBuffer();
    buffer_ = nullptr;
    length_ = 0;
    capacity_ = 0;
}

void String::assign(const String& other) {
    if (&other == this) return;
    if (other.length_ >= room()) prepare(other.length_);
    if (other.buffer_) {
        std::memcpy(buffer_, other.buffer_, other.length_ + 1);
    } else {
        buffer_[0] = 0;
    }
    length_ = other.length_;
}

void String::assign(const char* text) {
    int n = static_cast<int>(std::strlen(text));
    if (n >= room()) {
        // The text may live in our own buffer; keep it alive until it is copied.
        char* fresh = new char[grownCapacity(n)];
        std::memcpy(fresh, text, n + 1);
        dropBuffer();
        buffer_ = fresh;
        capacity_ = grownCapacity(n);
    } else {
        std::memmove(buffer_, text, n + 1);
    }
    length_ = n;
}

String& String::append(const String& other) {
    if (!other.buffer_) return *this;
    return append(other.buffer_);
}

String& String::append(const char* text) {
    int n = static_cast<int>(std::strlen(text));
    appendPart(text, 0, n);
    if (!buffer_) prepare(0);
    return *this;
}

String& String::append(char ch) {
    reserve(length_ + 1);
    buffer_[length_++] = ch;
    buffer_[length_] = 0;
    return *this;
}

String String::concat(const String& other) const {
    String result(*this);
    result.append(other);
    return result;
}

String String::concat(const char* text) const {
    String result(*this);
    result.append(text);
    return result;
}

void String::assignPart(const char* text, int start, int count) {
    if (!resolvePiece(static_cast<int>(std::strlen(text)), start, count)) {
        prepare(0);
        length_ = 0;
        buffer_[0] = 0;
        return;
    }
    assignBytes(text + start, count);
}

void String::assignBytes(const char* text, int count) {
    if (count >= room()) {
        char* fresh = new char[grownCapacity(count)];
        std::memcpy(fresh, text, count);
        dropBuffer();
        buffer_ = fresh;
        capacity_ = grownCapacity(count);
    } else {
        std::memmove(buffer_, text, count);
    }
    length_ = count;
    buffer_[length_] = 0;
}

int String::appendPart(const char* text, int start, int count) {
    if (!resolvePiece(static_cast<int>(std::strlen(text)), start, count)) return length_;
    // Appending a piece of our own text must survive the buffer being replaced.
    bool ownText = buffer_ && text >= buffer_ && text < buffer_ + room();
    long offset = ownText ? static_cast<long>(text - buffer_) : 0;
    reserve(length_ + count);
    const char* source = ownText ? buffer_ + offset : text;
    std::memmove(buffer_ + length_, source + start, count);
    length_ += count;
    buffer_[length_] = 0;
    return length_;
}

String String::mid(int start, int count) const {
    String result;
    result.assignPart(buffer_ ? buffer_ : "", start, count);
    return result;
}

bool String::equals(const char* text) const {
    if (!text) return buffer_ == nullptr;
    if (!buffer_) return false;
    return std::strncmp(buffer_, text, length_) == 0 && text[length_] == 0;
}

int String::find(const char* pattern, int n, int from) const {
    if (!buffer_ || n < 0) return -1;
    if (from < 0) from += length_;
    if (from < 0 || from > length_) return -1;
    for (int position = from; position <= length_ - n; ++position) {
        if (std::memcmp(buffer_ + position, pattern, n) == 0) return position;
    }
    return -1;
}

int String::compareBytes(const char* a, const char* b) {
    const unsigned char* left = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* right = reinterpret_cast<const unsigned char*>(b);
    while (*left && *left == *right) {
        ++left;
        ++right;
    }
    if (*left < *right) return -1;
    return *left > *right ? 1 : 0;
}

void String::erase(int pos, int count) {
    if (!buffer_) return;
    if (pos < 0) pos += length_;
    // A position at or past the end has nothing to remove.
    if (pos < 0 || pos >= length_) return;
    if (count >= 0 && pos + count <= length_) {
        std::memmove(buffer_ + pos, buffer_ + pos + count, length_ - pos - count + 1);
        length_ -= count;
    } else {
        length_ = pos;
        buffer_[length_] = 0;
    }
}

String& String::toLower() {
    for (int i = 0; i < length_; ++i) {
        buffer_[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(buffer_[i])));
    }
    return *this;
}

int String::replaceAll(const char* pattern, const char* replacement) {
    int patternLength = static_cast<int>(std::strlen(pattern));
    if (!buffer_ || patternLength == 0) return 0;
    String result;
    int occurrences = 0;
    int searchFrom = 0;
    for (int found = find(pattern, patternLength, 0); found >= 0;
         found = find(pattern, patternLength, searchFrom)) {
        result.appendPart(buffer_, searchFrom, found - searchFrom);
        result.append(replacement);
        searchFrom = found + patternLength;
        ++occurrences;
    }
    if (occurrences == 0) return 0;
    result.appendPart(buffer_, searchFrom, -1);
    assign(result);
    return occurrences;
}
