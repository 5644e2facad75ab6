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
    const char* delimited;
    const char* perl;
    int fileGroup;
    int lineGroup;
    int columnGroup;
};

const std::vector<ParserEntry>& gccParser();

class LineClassifier {
public:
    virtual ~LineClassifier() = default;
    virtual const char* name() const = 0;
    virtual LineClass classify(const char* line, int length) = 0;

protected:
    const std::vector<ParserEntry>& entries_ = gccParser();
};

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
