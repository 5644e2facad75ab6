#include "build_log_generator.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

const char* const kDirectories[] = {"net", "core", "util", "storage/btree", "ui/widgets", "codec", "third_party/zlib", "io"};
const char* const kFiles[] = {"socket_pool", "buffer", "hash_map", "page_cache", "scroll_view", "huffman", "inflate",
                              "file_reader", "config_parser", "event_loop", "string_util", "arena"};
const char* const kFunctions[] = {"pool_acquire", "buffer_grow", "map_insert", "cache_evict", "view_layout", "decode_block",
                                  "read_chunk", "parse_value", "loop_run", "arena_alloc"};
const char* const kIdentifiers[] = {"count", "tmp", "result", "len", "node", "ctx", "flags", "offset", "entry", "state"};
const char* const kErrors[] = {
    "'%s' undeclared (first use in this function)",
    "expected ';' before '}' token",
    "incompatible types when assigning to type 'size_t' from type 'struct %s'",
    "too few arguments to function '%s'",
    "implicit declaration of function '%s' [-Werror=implicit-function-declaration]",
    "conflicting types for '%s'; have 'int(void)'",
};
const char* const kWarnings[] = {
    "unused variable '%s' [-Wunused-variable]",
    "comparison of integer expressions of different signedness: 'int' and 'size_t' [-Wsign-compare]",
    "'%s' may be used uninitialized [-Wmaybe-uninitialized]",
    "implicit fallthrough [-Wimplicit-fallthrough=]",
    "unused parameter '%s' [-Wunused-parameter]",
    "format '%%d' expects argument of type 'int', but argument 2 has type 'long int' [-Wformat=]",
};
const char* const kNotes[] = {
    "each undeclared identifier is reported only once for each function it appears in",
    "declared here",
    "'%s' was declared here",
    "in expansion of macro 'CHECK'",
    "previous definition of '%s' with type 'int(int)'",
};
const char* const kCode[] = {
    "size_t %s = pool->used + 1;", "if (%s == NULL) return -1;", "for (int i = 0; i < %s; ++i) {",
    "memcpy(dst, src, %s);",      "%s = decode_block(ctx, in, out);", "return %s;",
    "struct entry *%s = map->buckets[h & mask];",
};

template <size_t N>
const char* pick(std::mt19937& random, const char* const (&items)[N]) {
    return items[random() % N];
}

std::string format(const char* pattern, const char* word) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, word);
    return buffer;
}

class LogWriter {
public:
    LogWriter(BuildLog& log, size_t limit) : log_(log), limit_(limit) {}
    bool full() const { return log_.size() >= limit_; }
    void line(const std::string& text) {
        if (full()) return;
        log_.starts.push_back(uint32_t(log_.text.size()));
        log_.lengths.push_back(uint32_t(text.size()));
        log_.text += text;
        log_.text += '\0';
    }

private:
    BuildLog& log_;
    size_t limit_;
};

}  // namespace

BuildLog generateBuildLog(size_t lineCount, uint32_t seed) {
    BuildLog log;
    log.text.reserve(lineCount * 64);
    std::mt19937 random(seed);
    LogWriter out(log, lineCount);
    int percent = 0;
    while (!out.full()) {
        const std::string directory = pick(random, kDirectories);
        const std::string file = pick(random, kFiles);
        const std::string source = "src/" + directory + "/" + file + ".c";
        const std::string word = pick(random, kIdentifiers);
        const std::string line = std::to_string(1 + random() % 2400);
        const std::string column = std::to_string(1 + random() % 60);
        const std::string codeLine = format(pick(random, kCode), word.c_str());
        const std::string gutter = std::string(5 - std::min<size_t>(4, line.size()), ' ');
        auto sourceAndCaret = [&] {
            out.line(gutter + line + " |     " + codeLine);
            out.line(std::string(gutter.size() + line.size(), ' ') + " |     " + std::string(random() % 20, ' ') + "^~~~~~");
        };
        unsigned block = random() % 1000;
        if (block < 300) {
            percent = (percent + 1) % 100;
            out.line("[" + std::string(percent < 10 ? "  " : " ") + std::to_string(percent) + "%] Building C object src/CMakeFiles/core.dir/" +
                     directory + "/" + file + ".c.o");
            out.line("/usr/bin/cc -DNDEBUG -D_GNU_SOURCE -Iinclude -Isrc/" + directory +
                     " -O2 -g -std=c11 -Wall -Wextra -Werror=implicit-function-declaration -MD -MT src/CMakeFiles/core.dir/" +
                     directory + "/" + file + ".c.o -c /home/ci/work/project/" + source);
        } else if (block < 420) {
            out.line(source + ": In function '" + pick(random, kFunctions) + "':");
            out.line(source + ":" + line + ":" + column + ": warning: " + format(pick(random, kWarnings), word.c_str()));
            sourceAndCaret();
            if (random() % 3 == 0) {
                out.line(source + ":" + std::to_string(1 + random() % 900) + ":" + column + ": note: " + format(pick(random, kNotes), word.c_str()));
                sourceAndCaret();
            }
        } else if (block < 500) {
            if (random() % 4 == 0) {
                out.line("In file included from src/" + directory + "/" + file + ".h:" + std::to_string(random() % 40) + ",");
                out.line("                 from " + source + ":" + std::to_string(random() % 20) + ":");
            }
            if (random() % 25 == 0) {
                out.line(source + ":" + line + ":10: fatal error: " + word + ".h: No such file or directory");
            } else {
                out.line(source + ":" + line + ":" + column + ": error: " + format(pick(random, kErrors), word.c_str()));
            }
            sourceAndCaret();
            out.line(source + ":" + line + ":" + column + ": note: " + format(pick(random, kNotes), word.c_str()));
            sourceAndCaret();
        } else if (block < 620) {
            out.line(source + ":" + std::to_string(1 + random() % 900) + ":" + column + ": note: " + format(pick(random, kNotes), word.c_str()));
            sourceAndCaret();
            sourceAndCaret();
        } else if (block < 760) {
            const char* verb = random() % 2 ? "Entering" : "Leaving";
            out.line("make[" + std::to_string(1 + random() % 3) + "]: " + verb + " directory '/home/ci/work/project/build/" + directory + "'");
            out.line("Consolidate compiler generated dependencies of target core");
        } else if (block < 790) {
            out.line("/usr/bin/ld: CMakeFiles/app.dir/" + file + ".c.o: in function `" + pick(random, kFunctions) + "':");
            out.line(file + ".c:(.text+0x" + std::to_string(100 + random() % 800) + "): undefined reference to `" + word + "_init'");
            out.line("collect2: error: ld returned 1 exit status");
        } else if (block < 800) {
            out.line("make[2]: *** [src/CMakeFiles/core.dir/build.make:" + std::to_string(random() % 300) + ": src/CMakeFiles/core.dir/" +
                     directory + "/" + file + ".c.o] Error 1");
            out.line("cc1: all warnings being treated as errors");
        } else {
            sourceAndCaret();
            out.line("   " + std::string(random() % 12, ' ') + "|          " + pick(random, kIdentifiers));
            out.line("-- Installing: /home/ci/work/project/stage/lib/lib" + file + ".a");
        }
    }
    return log;
}
