#include "foundation/string_list.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/byte_search.h"
#include "foundation/regular_file.h"

namespace {

#ifdef _WIN32
const char kWriteTextMode[] = "wt+";
#else
const char kWriteTextMode[] = "w+";
#endif

// Lines longer than this are loaded in pieces of this size, one piece a line, so that a file
// without line ends cannot make one line of its whole size.
const size_t kPieceLength = (1 << 20) - 1;
// The file is read straight into the line storage, at least this much at a time.
const size_t kLeastRead = 16 << 10;
// Room kept behind what is read: the zero after the last line, and one byte for each piece
// cut from a line in place (a block read holds fewer than eight pieces).
const size_t kReadSlack = 8;
// Line ends found at a time before their lines are stored.
const size_t kLineFeedBatch = 256;

// Line texts are carved from chunks that grow from 4 KiB to bulk blocks; a text longer than
// this gets a buffer of its own, so that no chunk is wasted much.
const size_t kLongestKeptText = 64 << 10;

int compareEntries(const void* a, const void* b) {
    return String::compareBytes(*static_cast<const char* const*>(a), *static_cast<const char* const*>(b));
}

bool contains(const char* text, size_t length, char byte) { return length > 0 && std::memchr(text, byte, length); }

// The length of the line from start to its line feed; CR LF ends a line too, as a log written
// on Windows has it wherever it is read.
size_t lineLength(const char* start, const char* lineFeed) {
    size_t length = static_cast<size_t>(lineFeed - start);
    if (length > 0 && lineFeed[-1] == '\r') --length;
    return length;
}

}  // namespace

StringList::~StringList() { clear(); }

void StringList::makeTextRoom(size_t needed, size_t kept) {
    if (needed <= freeTextLength_) return;
    size_t size = nextChunkSize_ > needed ? nextChunkSize_ : needed;
    TextChunk* chunk = new TextChunk{chunks_, BulkBlock{nullptr, nullptr}, size, 0};
    try {
        chunk->memory = allocateBulk(size);
    } catch (...) {
        delete chunk;
        throw;
    }
    char* text = static_cast<char*>(chunk->memory.memory);
    if (kept > 0) std::memcpy(text, freeText_, kept);
    if (chunks_) chunks_->used = static_cast<size_t>(freeText_ - static_cast<char*>(chunks_->memory.memory));
    chunks_ = chunk;
    freeText_ = text;
    freeTextLength_ = size;
    // Small lists stay small; a long one soon gets whole bulk blocks.
    nextChunkSize_ = nextChunkSize_ * 4 < kBulkBlockSize / 8 ? nextChunkSize_ * 4 : kBulkBlockSize;
}

inline void StringList::appendFreeText(int length, size_t span) {
    freeText_[length] = 0;
    appendMade([this, length] { return String::inStorage(freeText_, freeText_, length); });
    size_t used = span > static_cast<size_t>(length) ? span : static_cast<size_t>(length) + 1;
    freeText_ += used;
    freeTextLength_ -= used;
}

inline String StringList::takeFreeLine(size_t lineFeed, bool mayHoldZero) noexcept {
    size_t length = lineLength(freeText_, freeText_ + lineFeed);
    // A zero byte ends the text of its line.
    if (mayHoldZero) length = strnlen(freeText_, length);
    String line = String::inStorage(freeText_, freeText_, static_cast<int>(length));
    freeText_ += lineFeed + 1;
    freeTextLength_ -= lineFeed + 1;
    return line;
}

String& StringList::appendText(const char* text, int length) {
    size_t needed = static_cast<size_t>(length) + 1;
    if (needed > kLongestKeptText) return append(String(text, length));
    makeTextRoom(needed, 0);
    String& stored = appendMade([this, text, length] { return String::inStorage(freeText_, text, length); });
    freeText_ += needed;
    freeTextLength_ -= needed;
    return stored;
}

void StringList::clear() {
    List<String>::clear();
    unendedTexts_.clear();
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

StringList::TextRegion StringList::regionOf(const String& element) const {
    const char* text = element.text();
    if (!text) return TextRegion{nullptr, nullptr};
    for (const TextChunk* chunk = chunks_; chunk; chunk = chunk->next) {
        const char* begin = static_cast<const char*>(chunk->memory.memory);
        size_t used = chunk == chunks_ ? static_cast<size_t>(freeText_ - begin) : chunk->used;
        TextRegion region{begin, begin + used};
        if (region.holds(text)) return region;
    }
    return TextRegion{text, text + element.length() + 1};
}

void StringList::cutPiece(size_t filled, bool mayHoldZero) {
    // The bytes behind the piece move one on, to make room for the zero that ends it.
    std::memmove(freeText_ + kPieceLength + 1, freeText_ + kPieceLength, filled - kPieceLength);
    appendFreeText(static_cast<int>(mayHoldZero ? strnlen(freeText_, kPieceLength) : kPieceLength), kPieceLength + 1);
    markLastUnended();
}

bool StringList::loadLines(const char* path, char watched, bool* watchedSeen) {
    std::FILE* file = OpenRegularFileForReading(path);
    if (!file) return false;
    bool watchedByteRead = false;
    // The bytes of a line whose end has not been read yet, at the start of the free text, and
    // whether they may hold a zero byte.
    size_t pending = 0;
    bool pendingMayHoldZero = false;
    bool atEnd = false;
    while (!atEnd) {
        makeTextRoom(pending + kLeastRead + kReadSlack, pending);
        size_t room = freeTextLength_ - pending - kReadSlack;
        size_t got = std::fread(freeText_ + pending, 1, room, file);
        atEnd = got < room;
#ifdef _WIN32
        // As the text mode of the C runtime reads it, Ctrl-Z ends the file.
        if (const void* endOfFile = std::memchr(freeText_ + pending, 0x1A, got)) {
            got = static_cast<size_t>(static_cast<const char*>(endOfFile) - (freeText_ + pending));
            atEnd = true;
        }
#endif
        size_t filled = pending + got;  // the bytes read from the free text on
        size_t searched = pending;      // the pending bytes hold no line end
        // Whether the bytes searched and not yet stored may hold a zero byte.
        bool mayHoldZero = pendingMayHoldZero;
        while (searched < filled) {
            // The line ends of a stretch are found first, then the lines are stored one after
            // another: the offsets count from the free text as it was when they were found.
            uint32_t lineFeeds[kLineFeedBatch + 64];
            size_t stretch = 0;
            BytesSeen seen;
            size_t found = collectByteOffsets(freeText_ + searched, freeText_ + filled, '\n', lineFeeds,
                                              kLineFeedBatch, &stretch, watched, &seen);
            const char* base = freeText_ + searched;
            searched += stretch;
            mayHoldZero = mayHoldZero || seen.zero;
            watchedByteRead = watchedByteRead || seen.watched;
            // The lines up to the first one too long for a piece are stored in one run.
            size_t run = 0;
            for (const char* lineStart = freeText_; run < found; ++run) {
                const char* lineFeed = base + lineFeeds[run];
                if (lineLength(lineStart, lineFeed) > kPieceLength) break;
                lineStart = lineFeed + 1;
            }
            size_t stored = static_cast<size_t>(base + (run > 0 ? lineFeeds[run - 1] + 1 : 0) - freeText_);
            if (run > 0) {
                appendRun(static_cast<int>(run), [this, base, &lineFeeds, mayHoldZero](int i) noexcept {
                    size_t lineFeed = static_cast<size_t>(base + lineFeeds[i] - freeText_);
                    return takeFreeLine(lineFeed, mayHoldZero);
                });
                filled -= stored;
                searched -= stored;
            }
            if (run < found) {
                // Pieces are cut from the long line in place, which moves the bytes behind them
                // and with them the line ends found: the search starts again behind the line.
                size_t lineFeed = static_cast<size_t>(base + lineFeeds[run] - freeText_);
                for (size_t length = lineLength(freeText_, freeText_ + lineFeed); length > kPieceLength;
                     length -= kPieceLength, lineFeed -= kPieceLength) {
                    cutPiece(filled, mayHoldZero);
                    filled -= kPieceLength;
                }
                appendMade([this, lineFeed, mayHoldZero] { return takeFreeLine(lineFeed, mayHoldZero); });
                filled -= lineFeed + 1;
                searched = 0;
            }
            mayHoldZero = mayHoldZero && contains(freeText_, searched, 0);
        }
        // A line known to be longer than a piece gives one; one of just a piece's length may
        // still end at the next byte.
        for (; filled > kPieceLength; filled -= kPieceLength) cutPiece(filled, mayHoldZero);
        pending = filled;
        pendingMayHoldZero = mayHoldZero && contains(freeText_, pending, 0);
    }
    if (pending > 0) {
        appendFreeText(static_cast<int>(pendingMayHoldZero ? strnlen(freeText_, pending) : pending), pending);
        markLastUnended();
    }
    std::fclose(file);
    if (watchedSeen) *watchedSeen = watchedByteRead;
    return true;
}

bool StringList::saveLines(const char* path) {
    std::FILE* file = std::fopen(path, kWriteTextMode);
    if (!file) return false;
    bool written = true;
    for (int i = 0; i < count() && written; ++i) {
        const String& line = *at(i);
        size_t length = static_cast<size_t>(line.length());
        if (length > 0) written = std::fwrite(line.text(), 1, length, file) == length;
        if (written && !unendedTexts_.count(line.text())) written = std::fputc('\n', file) != EOF;
    }
    written = written && !std::ferror(file);
    // The last buffered bytes are written by the close, which may fail too.
    bool closed = std::fclose(file) == 0;
    return written && closed;
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
