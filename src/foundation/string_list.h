#pragma once

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

    // Appends every line of the file (without its line end); false when it cannot be opened.
    // A line of a mebibyte or more comes in pieces of just under a mebibyte.
    bool loadLines(const char* path);
    // Writes every element followed by a line end; false when the file cannot be created.
    bool saveLines(const char* path);
    // Clears target and fills it with a copy of the elements in unsigned byte order.
    void sortInto(StringList& target);

private:
    struct TextChunk {
        TextChunk* next;
        BulkBlock memory;
        size_t size;
    };
    TextChunk* chunks_ = nullptr;
    size_t nextChunkSize_ = 4096;
    char* freeText_ = nullptr;
    size_t freeTextLength_ = 0;
};
