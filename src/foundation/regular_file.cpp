#include "foundation/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

PathKind KindOfPath(const char* path) {
    struct stat status;
    if (!path || stat(path, &status) != 0) return PathKind::Missing;
    return S_ISREG(status.st_mode) ? PathKind::RegularFile : PathKind::Other;
}

std::FILE* OpenRegularFileForReading(const char* path) {
    if (!path) return nullptr;
    struct stat status;
#ifdef _WIN32
    // Opening does not wait here; what was opened is looked at before it is read.
    std::FILE* file = std::fopen(path, "rb");
    if (file && (fstat(_fileno(file), &status) != 0 || !S_ISREG(status.st_mode))) {
        std::fclose(file);
        return nullptr;
    }
    return file;
#else
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return nullptr;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
#endif
}
