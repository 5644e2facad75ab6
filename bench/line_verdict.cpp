#include <cstdlib>

#include "line_classifier.h"

LineVerdict verdictOf(const LineClass& found, const char* line) {
    LineVerdict verdict;
    verdict.kind = found.kind;
    if (found.kind == 0) return verdict;
    if (found.fileStart >= 0) verdict.file.assign(line + found.fileStart, size_t(found.fileEnd - found.fileStart));
    verdict.line = found.lineStart >= 0 ? std::atoi(line + found.lineStart) : 0;
    verdict.column = found.columnStart >= 0 ? std::atoi(line + found.columnStart) : -1;
    return verdict;
}
