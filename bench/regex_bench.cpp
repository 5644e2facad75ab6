// Classifies a generated million-line compiler log with the gcc-like parser in this engine
// and in its peers, checks that every engine classifies every line alike, and prints the
// time per line of each.

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "build_log_generator.h"
#include "line_classifier.h"
#include "pcre2_classifier.h"
#include "re2_classifier.h"
#include "std_regex_classifier.h"
#include "tinker_classifier.h"

namespace {

struct Timing {
    const char* name;
    double nanosecondsPerLine;
    size_t mismatches;
};

// The processor time of this thread: time spent waiting while other programs run on a shared
// machine does not count.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// One pass over the log; a checksum keeps the work from being optimised away.
double timePerLine(LineClassifier& classifier, const BuildLog& log, uint64_t& checksum) {
    double start = threadSeconds();
    for (size_t i = 0; i < log.size(); ++i) checksum += classifier.classify(log.line(i), int(log.lengths[i])).checksum();
    return (threadSeconds() - start) * 1e9 / double(log.size());
}

std::vector<LineClass> classifyAll(LineClassifier& classifier, const BuildLog& log) {
    std::vector<LineClass> classes(log.size());
    for (size_t i = 0; i < log.size(); ++i) classes[i] = classifier.classify(log.line(i), int(log.lengths[i]));
    return classes;
}

}  // namespace

int main(int argc, char** argv) {
    size_t lineCount = 1000000;
    int rounds = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lines") == 0 && i + 1 < argc) lineCount = size_t(std::atol(argv[++i]));
        else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) rounds = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: %s [--lines N] [--rounds N]\n", argv[0]);
            return 2;
        }
    }

    BuildLog log = generateBuildLog(lineCount, 1789);
    TinkerClassifier tinker(true, false);
    std::vector<LineClass> reference = classifyAll(tinker, log);
    size_t errors = 0;
    size_t warnings = 0;
    for (const LineClass& c : reference) {
        errors += c.kind == 1;
        warnings += c.kind == 2;
    }
    std::printf("log: %zu lines, %.1f MB; %zu errors (%.1f%%), %zu warnings (%.1f%%), %.1f%% unclassified\n", log.size(),
                double(log.text.size()) / 1e6, errors, 100.0 * double(errors) / double(log.size()), warnings,
                100.0 * double(warnings) / double(log.size()), 100.0 - 100.0 * double(errors + warnings) / double(log.size()));
    std::printf("parser:\n");
    for (const ParserEntry& entry : gccParser()) std::printf("  %s  %s\n", entry.kind == 1 ? "error  " : "warning", entry.delimited);

    std::vector<std::unique_ptr<LineClassifier>> engines;
    engines.emplace_back(new TinkerClassifier(true, false));
    engines.emplace_back(new TinkerClassifier(true, true));
    engines.emplace_back(new TinkerClassifier(false, false));
    engines.emplace_back(new Pcre2Classifier(true));
    engines.emplace_back(new Pcre2Classifier(false));
    engines.emplace_back(new Re2Classifier());
    engines.emplace_back(new StdRegexClassifier());

    std::vector<Timing> timings;
    for (auto& engine : engines) {
        std::vector<LineClass> classes = classifyAll(*engine, log);
        size_t mismatches = 0;
        for (size_t i = 0; i < classes.size(); ++i) {
            if (classes[i] == reference[i]) continue;
            if (++mismatches <= 3) std::printf("  %s disagrees on line %zu: %s\n", engine->name(), i, log.line(i));
        }
        timings.push_back({engine->name(), 1e300, mismatches});
    }
    // Rounds take turns over the engines, so that a busy moment of the machine does not fall on
    // one engine only; within a round each engine runs a few passes back to back, warm. Each
    // keeps its best pass. std::regex, far slower, runs one pass in the first round.
    uint64_t checksum = 0;
    for (int round = 0; round < rounds; ++round) {
        for (size_t e = 0; e < engines.size(); ++e) {
            bool slow = std::strcmp(engines[e]->name(), "std::regex") == 0;
            if (slow && round > 0) continue;
            for (int pass = 0; pass < (slow ? 1 : 3); ++pass) {
                timings[e].nanosecondsPerLine = std::min(timings[e].nanosecondsPerLine, timePerLine(*engines[e], log, checksum));
            }
        }
    }
    if (checksum == 42) std::printf(" ");

    double pcreJit = 0;
    for (const Timing& t : timings) {
        if (std::strcmp(t.name, "PCRE2 JIT") == 0) pcreJit = t.nanosecondsPerLine;
    }
    std::printf("\n%-24s %12s %16s %16s %12s\n", "engine", "ns/line", "lines/s", "vs PCRE2 JIT", "mismatches");
    bool agree = true;
    for (const Timing& t : timings) {
        std::printf("%-24s %12.1f %16.0f %15.3fx %12zu\n", t.name, t.nanosecondsPerLine, 1e9 / t.nanosecondsPerLine,
                    t.nanosecondsPerLine / pcreJit, t.mismatches);
        agree = agree && t.mismatches == 0;
    }
    std::printf("\n%s\n", agree ? "all engines agree on every line" : "ENGINES DISAGREE");
    return agree ? 0 : 1;
}
