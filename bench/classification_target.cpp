#include "classification_target.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "bench_clock.h"
#include "config/command_resolution.h"
#include "config/configuration.h"
#include "line_classifier.h"
#include "parser_from_configuration.h"
#include "pcre2_classifier.h"
#include "re2_classifier.h"
#include "std_regex_classifier.h"
#include "support/configuration_loading.h"
#include "tinker_classifier.h"

namespace {

struct Engine {
    std::string name;
    std::function<LineVerdict(size_t)> verdict;   // for the agreement check
    std::function<uint64_t(size_t)> classifyOnly;  // for the timing, without building verdicts
    bool slow = false;
    double nanosecondsPerLine = 1e300;
    size_t mismatches = 0;
};

LineVerdict verdictOf(const LineMatch& match, int kind) {
    LineVerdict verdict;
    verdict.kind = kind;
    if (kind == 0) return verdict;
    verdict.file = match.file.text() ? match.file.text() : "";
    verdict.line = match.line;
    verdict.column = match.column;
    return verdict;
}

double timePass(Engine& engine, size_t lineCount, uint64_t& checksum) {
    double start = threadSeconds();
    for (size_t i = 0; i < lineCount; ++i) checksum += engine.classifyOnly(i);
    return (threadSeconds() - start) * 1e9 / double(lineCount);
}

}  // namespace

TargetResult measureClassification(const BuildLog& log, const std::string& configPath, int rounds,
                                   double& ourSecondsPerLine) {
    std::vector<ParserEntry> entries = parserFromConfiguration(configPath, "gcc");
    RecordingReporter reporter;
    if (loadConfigurationFile(configPath, reporter) != 1 || !reporter.problems.empty()) {
        std::fprintf(stderr, "the configuration %s does not load cleanly\n", configPath.c_str());
        std::exit(2);
    }
    std::vector<String> lines;
    lines.reserve(log.size());
    for (size_t i = 0; i < log.size(); ++i) lines.emplace_back(log.line(i));

    std::vector<std::unique_ptr<LineClassifier>> peers;
    peers.emplace_back(new Pcre2Classifier(entries, true));
    peers.emplace_back(new TinkerClassifier(entries, true, false));
    peers.emplace_back(new TinkerClassifier(entries, false, false));
    peers.emplace_back(new Pcre2Classifier(entries, false));
    peers.emplace_back(new Re2Classifier(entries));
    peers.emplace_back(new StdRegexClassifier(entries));

    std::vector<Engine> engines;
    engines.push_back({"Tinker (ClassifyLine)",
                       [&](size_t i) {
                           LineMatch match;
                           return verdictOf(match, ClassifyLine("gcc", lines[i], match));
                       },
                       [&](size_t i) {
                           LineMatch match;
                           return uint64_t(ClassifyLine("gcc", lines[i], match)) + uint64_t(match.line);
                       }});
    for (auto& peer : peers) {
        LineClassifier* engine = peer.get();
        engines.push_back({engine->name(),
                           [&log, engine](size_t i) {
                               return verdictOf(engine->classify(log.line(i), int(log.lengths[i])), log.line(i));
                           },
                           [&log, engine](size_t i) { return engine->classify(log.line(i), int(log.lengths[i])).checksum(); },
                           std::string(engine->name()) == "std::regex"});
    }

    std::vector<LineVerdict> reference(log.size());
    size_t errors = 0;
    size_t warnings = 0;
    size_t notes = 0;
    for (size_t i = 0; i < log.size(); ++i) {
        reference[i] = engines[1].verdict(i);
        errors += reference[i].kind == 1;
        warnings += reference[i].kind == 2;
        notes += reference[i].kind == 3;
    }
    std::printf("classification: %zu lines; %zu errors, %zu warnings, %zu notes, %.1f%% unclassified; the gcc parser of %s:\n",
                log.size(), errors, warnings, notes, 100.0 - 100.0 * double(errors + warnings + notes) / double(log.size()),
                configPath.c_str());
    static const char* const kKindNames[] = {"", "error  ", "warning", "note   "};
    for (const ParserEntry& entry : entries) std::printf("  %s %s\n", kKindNames[entry.kind], entry.delimited.c_str());

    for (Engine& engine : engines) {
        for (size_t i = 0; i < log.size(); ++i) {
            if (engine.verdict(i) == reference[i]) continue;
            if (++engine.mismatches <= 3) std::printf("  %s disagrees on line %zu: %s\n", engine.name.c_str(), i, log.line(i));
        }
    }
    // Rounds take turns over the engines, so that a busy moment of the machine does not fall on
    // one engine only; each engine keeps its best pass.
    uint64_t checksum = 0;
    for (int round = 0; round < rounds; ++round) {
        for (Engine& engine : engines) {
            if (engine.slow && round > 0) continue;
            engine.nanosecondsPerLine = std::min(engine.nanosecondsPerLine, timePass(engine, log.size(), checksum));
        }
    }
    if (checksum == 42) std::printf(" ");

    double pcreJit = engines[1].nanosecondsPerLine;
    std::printf("\n  %-26s %10s %14s %14s %11s\n", "engine", "ns/line", "lines/s", "vs PCRE2 JIT", "mismatches");
    bool agree = true;
    for (const Engine& engine : engines) {
        std::printf("  %-26s %10.1f %14.0f %13.3fx %11zu\n", engine.name.c_str(), engine.nanosecondsPerLine,
                    1e9 / engine.nanosecondsPerLine, engine.nanosecondsPerLine / pcreJit, engine.mismatches);
        agree = agree && engine.mismatches == 0;
    }
    FreeConfiguration();

    ourSecondsPerLine = engines[0].nanosecondsPerLine * 1e-9;
    TargetResult result;
    result.name = "classification";
    result.figure = engines[0].nanosecondsPerLine;
    result.peer = pcreJit;
    result.figureText = std::to_string(int(result.figure + 0.5)) + " ns/line (ClassifyLine, default gcc parser)";
    result.peerText = std::to_string(int(result.peer + 0.5)) + " ns/line (PCRE2 JIT, same patterns)";
    result.goal = 0.25;
    result.valid = agree;
    return result;
}
