#include "foundation/string_list.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

#ifdef _WIN32
const char kReadTextMode[] = "rt";
const char kWriteTextMode[] = "wt+";
#else
const char kReadTextMode[] = "r";
const char kWriteTextMode[] = "w+";
#endif

// Lines longer than this are loaded in pieces of this size, one piece a line, so that a
// file without line ends cannot demand its whole size at once.
const int kMaxLineBuffer = 1 << 20;

// Line texts are carved from chunks that grow from 4 KiB to bulk blocks; a text longer than
// this gets a buffer of its own, so that no chunk is wasted much.
const size_t kLongestKeptText = 64 << 10;

int compareEntries(const void* a, const void* b) {
    return String::compareBytes(*static_cast<const char* const*>(a), *static_cast<const char* const*>(b));
}

}  // namespace

StringList::~StringList() { clear(); }

String& StringList::appendText(const char* text, int length) {
    size_t needed = static_cast<size_t>(length) + 1;
    if (needed > kLongestKeptText) return append(String(text, length));
    if (needed > freeTextLength_) {
        TextChunk* chunk = new TextChunk{chunks_, BulkBlock{nullptr, nullptr}, nextChunkSize_};
        try {
            chunk->memory = allocateBulk(chunk->size);
        } catch (...) {
            delete chunk;
            throw;
        }
        chunks_ = chunk;
        freeText_ = static_cast<char*>(chunk->memory.memory);
        freeTextLength_ = chunk->size;
        // Small lists stay small; a long one soon gets whole bulk blocks.
        nextChunkSize_ = nextChunkSize_ * 4 < kBulkBlockSize / 8 ? nextChunkSize_ * 4 : kBulkBlockSize;
    }
    String& stored = append(String::inStorage(freeText_, text, length));
    freeText_ += needed;
    freeTextLength_ -= needed;
    return stored;
}

void StringList::clear() {
    List<String>::clear();
    while (chunks_) {
        TextChunk* next = chunks_->next;
        releaseBulk(chunks_->memory, chunks_->size);
        delete chunks_;
        chunks_ = next;
    }
    freeText_ = nullptr;
    freeTextLength_ = 0;
    nextChunkSize_ = 4096;
}

bool StringList::loadLines(const char* path) {
    std::FILE* file = std::fopen(path, kReadTextMode);
    if (!file) return false;

    char fixedBuffer[512];
    char* buffer = fixedBuffer;
    int bufferSize = static_cast<int>(sizeof fixedBuffer);
    int used = 0;  // the start of a line that did not fit so far
    for (;;) {
        // The marker in the last byte tells a full buffer from a line that holds a zero byte.
        buffer[bufferSize - 1] = '\n';
        if (!std::fgets(buffer + used, bufferSize - used, file)) {
            if (used > 0) appendText(buffer, used);
            break;
        }
        bool bufferFilled = buffer[bufferSize - 1] == 0 && buffer[bufferSize - 2] != '\n';
        if (bufferFilled && !std::feof(file)) {
            used = bufferSize - 1;
            if (bufferSize >= kMaxLineBuffer) {
                appendText(buffer, used);
                used = 0;
                continue;
            }
            // The line goes on: read the rest behind it in a buffer twice as large.
            char* larger = new char[bufferSize * 2];
            std::memcpy(larger, buffer, used);
            if (buffer != fixedBuffer) delete[] buffer;
            buffer = larger;
            bufferSize *= 2;
            continue;
        }
        int length = used + static_cast<int>(std::strlen(buffer + used));
        if (length > 0 && buffer[length - 1] == '\n') --length;
        appendText(buffer, length);
        used = 0;
    }
    if (buffer != fixedBuffer) delete[] buffer;
    std::fclose(file);
    return true;
}

bool StringList::saveLines(const char* path) {
    std::FILE* file = std::fopen(path, kWriteTextMode);
    if (!file) return false;
    for (int i = 0; i < count(); ++i) {
        const String& line = *at(i);
        if (line.length() > 0) std::fwrite(line.text(), 1, line.length(), file);
        std::fputc('\n', file);
    }
    std::fclose(file);
    return true;
}

void StringList::sortInto(StringList& target) {
    std::vector<const char*> texts;
    texts.reserve(count());
    for (int i = 0; i < count(); ++i) {
        const String& element = *at(i);
        texts.push_back(element.text() ? element.text() : "");
    }
    if (!texts.empty()) std::qsort(texts.data(), texts.size(), sizeof(const char*), compareEntries);
    target.clear();
    for (const char* text : texts) target.append(String(text));
}
