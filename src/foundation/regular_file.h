#pragma once

// Only regular files are read: opening a FIFO waits for a writer, and reading a terminal or
// another device waits for input, either of which would hang the host.

#include <cstdio>

enum class PathKind {
    Missing,      // nothing there, or nothing that can be looked at
    RegularFile,
    Other,        // a folder, a FIFO, a device, a socket
};

PathKind KindOfPath(const char* path);

// The file opened for reading in binary mode; none when it cannot be opened or is not a
// regular file. Opening never waits, not even for a FIFO without a writer.
std::FILE* OpenRegularFileForReading(const char* path);
