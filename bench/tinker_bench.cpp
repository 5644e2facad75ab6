// Measures Tinker at the scale of a million-line build, each figure beside a peer's from the
// same run: classification against PCRE2 JIT, capturing a build against `cat | wc -l`,
// loading an output file against the classification alone, the memory of the stored output
// against its text, and the terminal host's writes against a budget.

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "benchmark_report.h"
#include "foundation/byte_search.h"
#include "regex/regex_needle_finder.h"
#include "build_log_generator.h"
#include "classification_target.h"
#include "host_flush_target.h"
#include "plugin_targets.h"

namespace {

const char kUsage[] =
    "usage: tinker_bench [--lines N] [--rounds N] [--tinker PROGRAM] [--classification-only]\n"
    "                    [--sse2-only] [--portable-classification NS] [--sse2-classification NS]\n";

void writeLog(const BuildLog& log, const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    for (size_t i = 0; i < log.size(); ++i) {
        file.write(log.line(i), log.lengths[i]);
        file.put('\n');
    }
}

void copyFile(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--plugin-child") == 0) return runPluginChild(argv[2], argv[3]);

    size_t lineCount = 1000000;
    int rounds = 5;
    std::string binaries = TINKER_BINARY_DIR;
    bool classificationOnly = false;
    double portableNanosecondsPerLine = 0;  // measured by a build of the portable search path
    double sse2NanosecondsPerLine = 0;      // measured with the searches held to SSE2
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lines") == 0 && i + 1 < argc) {
            lineCount = size_t(std::atol(argv[++i]));
        } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--classification-only") == 0) {
            classificationOnly = true;
        } else if (std::strcmp(argv[i], "--portable-classification") == 0 && i + 1 < argc) {
            portableNanosecondsPerLine = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--sse2-classification") == 0 && i + 1 < argc) {
            sse2NanosecondsPerLine = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--sse2-only") == 0) {
            // What the 32-bit DLL built with SSE2 searches with: no AVX2 or AVX-512 paths.
            RegexNeedleFinder::allowWide(false);
            allowWideByteSearch(false);
        } else if (std::strcmp(argv[i], "--tinker") == 0 && i + 1 < argc) {
            binaries = std::filesystem::path(argv[++i]).parent_path().string();
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }

    char pattern[] = "/tmp/tinker-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 2;
    std::string work = pattern;
    std::string logPath = work + "/build.log";
    std::string defaultConfig = std::string(TINKER_SOURCE_DIR) + "/data/tinker.xml";
    copyFile(binaries + "/tinker.so", work + "/tinker.so");
    copyFile(binaries + "/tinker.lng", work + "/tinker.lng");
    writeBenchmarkConfiguration(defaultConfig, work, logPath);

    std::vector<TargetResult> targets;
    double classificationSecondsPerLine = 0;
    {
        BuildLog log = generateBuildLog(lineCount, 1789);
        writeLog(log, logPath);
        targets.push_back(measureClassification(log, defaultConfig, rounds, classificationSecondsPerLine));
    }
    if (portableNanosecondsPerLine > 0) {
        std::printf("  %-26s %10.1f %14.0f %13.3fx   (the portable search path's build)\n", "Tinker, portable path",
                    portableNanosecondsPerLine, 1e9 / portableNanosecondsPerLine,
                    portableNanosecondsPerLine / targets.back().peer);
    }
    if (sse2NanosecondsPerLine > 0) {
        std::printf("  %-26s %10.1f %14.0f %13.3fx   (SSE2 searches only, as the 32-bit DLL)\n", "Tinker, SSE2 only",
                    sse2NanosecondsPerLine, 1e9 / sse2NanosecondsPerLine, sse2NanosecondsPerLine / targets.back().peer);
    }
    if (classificationOnly) {
        std::printf("classification: %.1f ns/line\n", classificationSecondsPerLine * 1e9);
        std::filesystem::remove_all(work);
        return targets.back().valid ? 0 : 1;
    }
    std::vector<TargetResult> pluginTargets = measurePluginTargets(work, logPath, rounds);
    targets.insert(targets.end(), pluginTargets.begin(), pluginTargets.end());
    targets.push_back(measureHostFlushes(binaries + "/tinker", work, work));

    printReport(targets);
    std::filesystem::remove_all(work);
    for (const TargetResult& target : targets) {
        if (!target.valid) return 1;
    }
    return 0;
}
