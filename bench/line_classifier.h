#pragma once

// One engine's way of classifying an output line with the gcc-like parser: the error patterns
// in order, then the warning patterns, the first match deciding.

#include <cstdint>
#include <string>
#include <vector>

struct LineClass {
    int kind = 0;  // 0 nothing, 1 error, 2 warning
    int fileStart = -1;
    int fileEnd = -1;
    int lineStart = -1;
    int columnStart = -1;

    bool operator==(const LineClass& other) const {
        return kind == other.kind && fileStart == other.fileStart && fileEnd == other.fileEnd &&
               lineStart == other.lineStart && columnStart == other.columnStart;
    }
    uint64_t checksum() const { return uint64_t(kind) * 1000003u + uint64_t(fileEnd + 1) * 101u + uint64_t(columnStart + 1); }
};

// A parser entry: the pattern in this engine's delimited form and in the common Perl-like
// notation of the peers, and the groups that hold file, line and column (-1: none).
struct ParserEntry {
    int kind;
    std::string delimited;
    std::string perl;
    bool caseless;
    int fileGroup;
    int lineGroup;
    int columnGroup;
};

class LineClassifier {
public:
    explicit LineClassifier(const std::vector<ParserEntry>& entries) : entries_(entries) {}
    virtual ~LineClassifier() = default;
    virtual const char* name() const = 0;
    virtual LineClass classify(const char* line, int length) = 0;

protected:
    const std::vector<ParserEntry>& entries_;
};

// What a classification tells the user: the kind, the file name, and the line and column
// numbers read at their groups' starts as the plug-in reads them.
struct LineVerdict {
    int kind = 0;
    std::string file;
    int line = 0;
    int column = -1;
    bool operator==(const LineVerdict& other) const {
        return kind == other.kind && file == other.file && line == other.line && column == other.column;
    }
};

LineVerdict verdictOf(const LineClass& found, const char* line);

// Fills a LineClass from an entry and the start/end offsets of its groups (-1 when unset).
inline LineClass classFromGroups(const ParserEntry& entry, const int* starts, const int* ends) {
    LineClass result;
    result.kind = entry.kind;
    if (entry.fileGroup >= 0 && starts[entry.fileGroup] >= 0) {
        result.fileStart = starts[entry.fileGroup];
        result.fileEnd = ends[entry.fileGroup];
    }
    if (entry.lineGroup >= 0) result.lineStart = starts[entry.lineGroup];
    if (entry.columnGroup >= 0) result.columnStart = starts[entry.columnGroup];
    return result;
}
