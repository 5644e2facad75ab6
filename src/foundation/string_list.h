#pragma once

#include <cstdint>
#include <unordered_set>

#include "foundation/bulk_memory.h"
#include "foundation/list.h"
#include "foundation/text_string.h"

// A list of owned strings that can be loaded from and saved to a text file, one line each.
class StringList : public List<String> {
public:
    StringList() = default;
    ~StringList() override;

    // Appends a copy of the first length bytes of text, kept in storage of the list's own: a
    // million lines then cost no allocation each. clear() releases that storage too.
    String& appendText(const char* text, int length);
    void clear();

    // Appends every line of the file (without its line end); false when it cannot be opened or
    // is not a regular file. A line of a mebibyte or more comes in pieces of just under a
    // mebibyte; a zero byte ends the text of its line or piece. With watchedSeen, tells whether
    // the text read holds the watched byte (found by the same search as the line ends).
    bool loadLines(const char* path, char watched = 0, bool* watchedSeen = nullptr);
    // Writes every element followed by a line end, except where loading found none: the pieces
    // of a long line are joined again and a last line without an end stays so. False when the
    // file cannot be created or a write fails (a full disk, a size limit).
    bool saveLines(const char* path);
    // Clears target and fills it with a copy of the elements in unsigned byte order.
    void sortInto(StringList& target);

    // The stretch of stored text that holds the given element's text, for scanning many lines
    // at once: the texts of lines appended one after another lie in it back to back, each
    // ending in a zero byte. For a text kept elsewhere, just that text and its zero byte.
    struct TextRegion {
        const char* begin;
        const char* end;
        // Compared as addresses, as the text may lie in another block altogether.
        bool holds(const char* text) const {
            uintptr_t address = reinterpret_cast<uintptr_t>(text);
            return address >= reinterpret_cast<uintptr_t>(begin) && address < reinterpret_cast<uintptr_t>(end);
        }
    };
    TextRegion regionOf(const String& element) const;

private:
    struct TextChunk {
        TextChunk* next;
        BulkBlock memory;
        size_t size;
        size_t used;  // of a chunk that is no longer filled; the newest one is filled up to freeText_
    };
    // Makes at least needed bytes of free text, carrying the kept bytes at its start along.
    void makeTextRoom(size_t needed, size_t kept);
    // Appends the line whose text lies at the start of the free text, ending it with a zero,
    // and passes over span bytes (at least the text and its zero).
    void appendFreeText(int length, size_t span);
    // The line that ends at the line feed lineFeed bytes into the free text, ending it with a
    // zero there or before; the free text then starts behind the line feed.
    String takeFreeLine(size_t lineFeed, bool mayHoldZero) noexcept;
    // Appends the first piece of a line too long for one, from the filled bytes of free text.
    void cutPiece(size_t filled, bool mayHoldZero);
    // Marks the line stored last as one that had no line end after it in the file.
    void markLastUnended() { unendedTexts_.insert(at(count() - 1)->text()); }
    TextChunk* chunks_ = nullptr;
    // The texts of the loaded lines that no line end followed: the pieces of a long line, and a
    // last line without one. Known by where their text lies, which stays while they do.
    std::unordered_set<const char*> unendedTexts_;
    size_t nextChunkSize_ = 4096;
    char* freeText_ = nullptr;
    size_t freeTextLength_ = 0;
};
